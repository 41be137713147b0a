#pragma once
// HTTP GET over Qt Network (HTTPS through the system's TLS backend). A request has a
// deadline for the whole transfer, a download one for the silence between two chunks (and,
// when asked, one for the whole transfer and a low-speed limit, both looked at on the main
// queue); both have a cap on the body, which is read as it arrives, so an oversized reply is
// cut off without being held in memory or written out, and Qt buffers at most a little of it
// ahead.
// Destroying the client aborts whatever is still under way. Qt's network stack is set up with
// the first request, not at start-up.

#include "platform/http_client.h"

#include <memory>

class QNetworkAccessManager;

namespace quorlix::platform {

class QtHttpClient final : public HttpClient {
public:
    QtHttpClient();
    ~QtHttpClient() override;
    HttpTask get(HttpRequest request, std::function<void(HttpResult)> done) override;
    HttpTask download(HttpDownloadRequest request, std::function<void(HttpDownloadResult)> done) override;

private:
    QNetworkAccessManager& manager();

    QNetworkAccessManager* manager_ = nullptr;
    // Cleared first on destruction, so replies aborted by the teardown answer no one.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace quorlix::platform
