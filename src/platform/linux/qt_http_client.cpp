#include "platform/linux/qt_http_client.h"

#include "platform/main_queue.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cmath>
#include <cstring>

#include <utility>

namespace quorlix::platform {

namespace {

constexpr const char* tooLargeReason = "respuesta demasiado grande";
constexpr const char* timeoutReason = "tiempo de espera agotado";
constexpr const char* redirectReason = "redirección no permitida";
constexpr const char* slowReason = "descarga demasiado lenta";
// What Qt may hold of a body that has not been read yet: past it, it stops reading from the
// network, so a body arriving faster than it is taken cannot grow memory without bound.
constexpr qint64 readBufferSize = 1024 * 1024;

// Aborts `reply` while it still runs. A reply that has failed is ending already, though Qt
// may not have delivered its end yet, and aborting it would fail it twice (Qt warns of that).
void abortRunning(QNetworkReply* reply) {
    if (reply && reply->isRunning() && reply->error() == QNetworkReply::NoError) reply->abort();
}

// The life of one request: the body so far and why it ended early, if it did. `done` is
// cleared when the request is cancelled.
struct Transfer {
    std::function<void(HttpResult)> done;
    std::size_t maxBodySize = 0;
    std::string body;
    std::string abortReason;
};

// The life of one download: the file being written and why it ended early, if it did. A
// download that never finished (cancelled, or the client went first) takes its partial file
// with it.
struct FileTransfer {
    std::function<void(HttpDownloadResult)> done;
    QPointer<QNetworkReply> reply;
    QPointer<QTimer> idle;
    std::uint64_t maxSize = 0;
    std::uint64_t written = 0;
    // `written` at the last look of the low-speed limit, and the next look.
    std::uint64_t lastLook = 0;
    WorkItem speedLook;
    WorkItem deadline;
    std::string path;
    int fd = -1;
    bool finished = false;
    bool tooLarge = false;
    std::string abortReason;

    ~FileTransfer() { discard(); }
    // Ends the transfer for `reason` (the first one given stands).
    void giveUp(std::string reason, bool beyondCap = false) {
        if (!abortReason.empty()) return;
        abortReason = std::move(reason);
        tooLarge = beyondCap;
        speedLook.cancel();
        deadline.cancel();
        if (idle) idle->stop();
        abortRunning(reply);
    }
    // Closes and removes the partial file.
    void discard() {
        if (fd >= 0) ::close(std::exchange(fd, -1));
        if (!finished) ::unlink(path.c_str());
        finished = true;
    }
    // False (with errno set) when the bytes could not all be written.
    bool write(const QByteArray& chunk) {
        const char* data = chunk.constData();
        std::size_t left = static_cast<std::size_t>(chunk.size());
        while (left > 0) {
            const ssize_t n = ::write(fd, data, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            left -= static_cast<std::size_t>(n);
        }
        written += static_cast<std::uint64_t>(chunk.size());
        return true;
    }
};

int milliseconds(double seconds, double fallback) {
    const double s = std::isfinite(seconds) && seconds > 0 ? seconds : fallback;
    return static_cast<int>(std::min(s * 1000.0, 2147483647.0));
}

// Calls a transfer's `done` at most once, whatever `done` does meanwhile (a caller may cancel
// the finished transfer's handle from inside it).
template <class T, class Result>
void answer(T& transfer, Result result) {
    if (auto done = std::exchange(transfer.done, {})) done(std::move(result));
}

// The handle of a transfer: cancelling it forgets `done` and aborts the reply (which then
// answers no one).
template <class T>
HttpTask handle(QNetworkReply* reply, const std::shared_ptr<T>& transfer) {
    return HttpTask([reply = QPointer<QNetworkReply>(reply), weak = std::weak_ptr<T>(transfer)] {
        if (const auto t = weak.lock()) t->done = nullptr;
        abortRunning(reply);
    });
}

// A failure known before any transfer starts, answered from the main queue; its handle
// cancels that answer.
template <class Result>
HttpTask failAtOnce(std::function<void(Result)> done, Result result) {
    auto pending = std::make_shared<std::function<void(Result)>>(std::move(done));
    MainQueue::shared().post([pending, result = std::move(result)]() mutable {
        if (auto d = std::exchange(*pending, {})) d(std::move(result));
    });
    return HttpTask([weak = std::weak_ptr(pending)] {
        if (const auto p = weak.lock()) *p = nullptr;
    });
}

// The request for `url`, or nothing when it is not an absolute http(s) address.
std::optional<QNetworkRequest> makeRequest(const std::string& url,
                                           const std::vector<std::pair<std::string, std::string>>& headers) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    const QString scheme = address.scheme();
    if (!address.isValid() || address.host().isEmpty() || (scheme != "https" && scheme != "http")) {
        return std::nullopt;
    }
    QNetworkRequest r(address);
    for (const auto& [name, value] : headers) {
        r.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    return r;
}

// Looks at `transfer` every `window` seconds on the main queue (so tests run it on virtual
// time), and gives it up once fewer than `least` bytes came in since the last look.
void watchSpeed(const std::shared_ptr<FileTransfer>& transfer, double window, double least) {
    transfer->speedLook = MainQueue::shared().after(window, [weak = std::weak_ptr(transfer), window, least] {
        const auto t = weak.lock();
        if (!t || !t->reply || !t->reply->isRunning()) return;
        if (static_cast<double>(t->written - t->lastLook) < least) return t->giveUp(slowReason);
        t->lastLook = t->written;
        watchSpeed(t, window, least);
    });
}

// Calls `abort` as soon as the announced length passes `cap`.
void refuseAnnouncedLength(QNetworkReply* reply, std::uint64_t cap, const std::function<void()>& abort) {
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, cap, abort] {
        bool known = false;
        const qlonglong length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > 0 && static_cast<unsigned long long>(length) > cap) abort();
    });
}

}  // namespace

QtHttpClient::QtHttpClient() = default;

QtHttpClient::~QtHttpClient() {
    *alive_ = false;
    if (!manager_) return;
    // Whatever is still under way ends now: quitting never waits for the network.
    for (QNetworkReply* reply : manager_->findChildren<QNetworkReply*>()) abortRunning(reply);
    delete manager_;
}

QNetworkAccessManager& QtHttpClient::manager() {
    if (!manager_) manager_ = new QNetworkAccessManager();
    return *manager_;
}

HttpTask QtHttpClient::get(HttpRequest request, std::function<void(HttpResult)> done) {
    const auto r = makeRequest(request.url, request.headers);
    if (!r) return failAtOnce(std::move(done), HttpResult::failure("dirección no válida"));

    auto transfer = std::make_shared<Transfer>();
    transfer->done = std::move(done);
    transfer->maxBodySize = request.maxBodySize;

    QNetworkReply* reply = manager().get(*r);
    reply->setReadBufferSize(readBufferSize);
    const auto abort = [reply, transfer](const char* reason) {
        if (!transfer->abortReason.empty()) return;
        transfer->abortReason = reason;
        abortRunning(reply);
    };

    refuseAnnouncedLength(reply, transfer->maxBodySize, [abort] { abort(tooLargeReason); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, transfer, abort] {
        const QByteArray chunk = reply->readAll();
        if (transfer->body.size() + static_cast<std::size_t>(chunk.size()) > transfer->maxBodySize) {
            abort(tooLargeReason);
            return;
        }
        transfer->body.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    });

    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [abort] { abort(timeoutReason); });
    deadline->start(milliseconds(request.timeout, 10.0));

    QObject::connect(
        reply, &QNetworkReply::finished, reply, [reply, transfer, alive = std::weak_ptr<bool>(alive_)] {
            reply->deleteLater();
            const auto owner = alive.lock();
            if (!owner || !*owner || !transfer->done) return;
            if (!transfer->abortReason.empty()) {
                answer(*transfer, HttpResult::failure(transfer->abortReason));
                return;
            }
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (!status.isValid()) {
                answer(*transfer, HttpResult::failure(reply->errorString().toStdString()));
                return;
            }
            // Whatever readyRead has not taken yet.
            const QByteArray rest = reply->readAll();
            if (transfer->body.size() + static_cast<std::size_t>(rest.size()) > transfer->maxBodySize) {
                answer(*transfer, HttpResult::failure(tooLargeReason));
                return;
            }
            transfer->body.append(rest.constData(), static_cast<std::size_t>(rest.size()));
            answer(*transfer, HttpResult::success(status.toInt(), std::move(transfer->body)));
        });
    return handle(reply, transfer);
}

HttpTask QtHttpClient::download(HttpDownloadRequest request, std::function<void(HttpDownloadResult)> done) {
    const auto fail = [&done](std::string reason) {
        return failAtOnce(std::move(done), HttpDownloadResult::failure(std::move(reason)));
    };
    auto r = makeRequest(request.url, request.headers);
    if (!r) return fail("dirección no válida");
    // Over HTTP/1.1, where a full read buffer stops Qt reading from the socket, so the server
    // waits; Qt's HTTP/2 takes in whatever the server sends, read or not.
    r->setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    // Every hop of a redirect is put to the caller.
    if (request.allowRedirect)
        r->setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                        QNetworkRequest::UserVerifiedRedirectPolicy);
    // Never through a link, never over an existing file.
    const int fd =
        ::open(request.destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return fail(std::string("no se pudo crear el archivo: ") + std::strerror(errno));

    auto transfer = std::make_shared<FileTransfer>();
    transfer->done = std::move(done);
    transfer->maxSize = request.maxSize;
    transfer->path = request.destination.string();
    transfer->fd = fd;

    QNetworkReply* reply = manager().get(*r);
    reply->setReadBufferSize(readBufferSize);
    transfer->reply = reply;
    auto* idle = new QTimer(reply);
    idle->setSingleShot(true);
    idle->setInterval(milliseconds(request.idleTimeout, 60.0));
    transfer->idle = idle;

    refuseAnnouncedLength(reply, transfer->maxSize, [transfer] { transfer->giveUp(tooLargeReason, true); });
    const auto take = [reply, transfer] {
        if (!transfer->abortReason.empty()) return;
        const QByteArray chunk = reply->readAll();
        if (chunk.isEmpty()) return;
        if (transfer->written + static_cast<std::uint64_t>(chunk.size()) > transfer->maxSize) {
            transfer->giveUp(tooLargeReason, true);
            return;
        }
        if (!transfer->write(chunk)) {
            transfer->giveUp(std::string("no se pudo escribir: ") + std::strerror(errno));
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [take, idle] {
        idle->start();
        take();
    });
    QObject::connect(idle, &QTimer::timeout, reply, [transfer] { transfer->giveUp(timeoutReason); });
    idle->start();
    if (request.deadline > 0) {
        transfer->deadline = MainQueue::shared().after(request.deadline, [weak = std::weak_ptr(transfer)] {
            if (const auto t = weak.lock()) t->giveUp(timeoutReason);
        });
    }
    if (request.lowSpeedLimit > 0 && request.lowSpeedTime > 0) {
        watchSpeed(transfer, request.lowSpeedTime,
                   static_cast<double>(request.lowSpeedLimit) * request.lowSpeedTime);
    }
    if (request.allowRedirect) {
        QObject::connect(reply, &QNetworkReply::redirected, reply,
                         [reply, transfer, allow = request.allowRedirect](const QUrl& next) {
                             if (allow(next.toString(QUrl::FullyEncoded).toStdString())) {
                                 Q_EMIT reply->redirectAllowed();
                             } else {
                                 transfer->giveUp(redirectReason);
                             }
                         });
    }

    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, transfer, take, idle, alive = std::weak_ptr<bool>(alive_)] {
                         reply->deleteLater();
                         idle->stop();
                         transfer->speedLook.cancel();
                         transfer->deadline.cancel();
                         const auto owner = alive.lock();
                         if (!owner || !*owner || !transfer->done) return;
                         take();
                         const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
                         std::string reason = transfer->abortReason;
                         if (reason.empty() && !status.isValid()) reason = reply->errorString().toStdString();
                         if (reason.empty() && ::close(std::exchange(transfer->fd, -1)) != 0) {
                             reason = std::string("no se pudo escribir: ") + std::strerror(errno);
                         }
                         if (!reason.empty()) {
                             transfer->discard();
                             answer(*transfer, HttpDownloadResult::failure(reason, transfer->tooLarge));
                             return;
                         }
                         transfer->finished = true;
                         answer(*transfer, HttpDownloadResult::success(status.toInt()));
                     });
    return handle(reply, transfer);
}

}  // namespace quorlix::platform
