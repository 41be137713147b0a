#pragma once
// HTTP GET requests for the web services and downloads (lyrics, artwork). Every request has
// a time limit for the whole transfer and a cap on the body it accepts; going past either
// ends it with an error. Redirects are followed, but never from HTTPS to plain HTTP.
//
// Main thread only: `get` returns at once and `done` is called later on the main thread,
// exactly once, unless the client is destroyed first.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorlix::platform {

struct HttpRequest {
    std::string url;  // "https://" or "http://" only
    std::vector<std::pair<std::string, std::string>> headers;
    double timeout = 10;  // seconds for the whole transfer
    std::size_t maxBodySize = 4 * 1024 * 1024;
};

struct HttpResponse {
    int statusCode = 0;
    std::string body;  // bytes, as received
};

// A response of any status, or the reason there is none (transport failure, time-out, body
// too large, bad address).
struct HttpResult {
    std::optional<HttpResponse> response;
    std::string error;

    static HttpResult failure(std::string reason) { return {std::nullopt, std::move(reason)}; }
    static HttpResult success(int status, std::string body) {
        return {HttpResponse{status, std::move(body)}, {}};
    }
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual void get(HttpRequest request, std::function<void(HttpResult)> done) = 0;
};

}  // namespace quorlix::platform
