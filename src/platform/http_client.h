#pragma once
// HTTP GET requests for the web services and downloads (lyrics, artwork, updates). Every
// request has a time limit and a cap on the body it accepts; going past either ends it with
// an error. Redirects are followed, but never from HTTPS to plain HTTP.
//
// `get` keeps the body in memory; `download` streams it into a new file, for bodies too
// large to hold. Each returns the transfer's handle: cancelling it, or letting it go, ends the
// transfer at once, so a lookup nobody waits for any more costs nothing.
//
//     lookup_ = http.get(request, [this](platform::HttpResult r) { use(r); });
//     lookup_.cancel();   // the transfer is aborted and `use` is never called
//
// Main thread only: `get` and `download` return at once and `done` is called later on the
// main thread, exactly once, unless the transfer is cancelled or the client destroyed first.

#include <cstddef>
#include <cstdint>
#include <filesystem>
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

struct HttpDownloadRequest {
    std::string url;  // "https://" or "http://" only
    std::vector<std::pair<std::string, std::string>> headers;
    // A new file, created with permissions 0600; the download fails if anything is there.
    std::filesystem::path destination;
    // Seconds without a byte arriving after which the transfer is given up.
    double idleTimeout = 60;
    // Seconds for the whole transfer, redirects included (0: no limit of its own). Counted on
    // the main queue, as the low-speed limit is.
    double deadline = 0;
    // As download tools do: fewer than `lowSpeedLimit` bytes a second over `lowSpeedTime`
    // seconds gives the transfer up (0: no such limit).
    std::uint64_t lowSpeedLimit = 0;
    double lowSpeedTime = 60;
    std::uint64_t maxSize = 512ull * 1024 * 1024;
    // Asked before each redirect is followed, with the address it leads to; none follows
    // every redirect (never from HTTPS to plain HTTP). A refused one ends the download.
    std::function<bool(const std::string& url)> allowRedirect;
};

// The status of the response whose body is now in the file, or the reason there is none
// (the file is then removed). `tooLarge`: the body would have passed `maxSize`.
struct HttpDownloadResult {
    std::optional<int> statusCode;
    std::string error;
    bool tooLarge = false;

    static HttpDownloadResult failure(std::string reason, bool tooLarge = false) {
        return {std::nullopt, std::move(reason), tooLarge};
    }
    static HttpDownloadResult success(int status) { return {status, {}, false}; }
};

// One transfer under way. Destroying or reassigning the handle cancels it, as `cancel()`
// does: the transfer is aborted and its `done` is never called. `detach()` lets it run to its
// end without a handle.
class [[nodiscard]] HttpTask {
public:
    HttpTask() = default;
    explicit HttpTask(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    HttpTask(const HttpTask&) = delete;
    HttpTask& operator=(const HttpTask&) = delete;
    HttpTask(HttpTask&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    HttpTask& operator=(HttpTask&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    ~HttpTask() { cancel(); }

    void cancel() {
        if (auto c = std::exchange(cancel_, {})) c();
    }
    void detach() { cancel_ = nullptr; }

private:
    std::function<void()> cancel_;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpTask get(HttpRequest request, std::function<void(HttpResult)> done) = 0;
    virtual HttpTask download(HttpDownloadRequest request, std::function<void(HttpDownloadResult)> done) = 0;
};

}  // namespace quorlix::platform
