#include "platform/linux/qt_http_client.h"

#include "platform/main_queue.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cmath>

namespace quorlix::platform {

namespace {

// The life of one request: the body so far and why it ended early, if it did.
struct Transfer {
    std::function<void(HttpResult)> done;
    std::size_t maxBodySize = 0;
    std::string body;
    std::string abortReason;
};

}  // namespace

QtHttpClient::QtHttpClient() : manager_(new QNetworkAccessManager()) {}

QtHttpClient::~QtHttpClient() {
    *alive_ = false;
    delete manager_;
}

void QtHttpClient::get(HttpRequest request, std::function<void(HttpResult)> done) {
    const QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.host().isEmpty() || (scheme != "https" && scheme != "http")) {
        MainQueue::shared().post(
            [done = std::move(done)] { done(HttpResult::failure("dirección no válida")); });
        return;
    }
    QNetworkRequest r(url);
    for (const auto& [name, value] : request.headers) {
        r.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    r.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);

    auto transfer = std::make_shared<Transfer>();
    transfer->done = std::move(done);
    transfer->maxBodySize = request.maxBodySize;

    QNetworkReply* reply = manager_->get(r);
    const auto abort = [reply, transfer](const char* reason) {
        if (!transfer->abortReason.empty()) return;
        transfer->abortReason = reason;
        reply->abort();
    };

    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, transfer, abort] {
        bool known = false;
        const qlonglong length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&known);
        if (known && length > 0 && static_cast<unsigned long long>(length) > transfer->maxBodySize) {
            abort("respuesta demasiado grande");
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, transfer, abort] {
        const QByteArray chunk = reply->readAll();
        if (transfer->body.size() + static_cast<std::size_t>(chunk.size()) > transfer->maxBodySize) {
            abort("respuesta demasiado grande");
            return;
        }
        transfer->body.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
    });

    const double seconds = std::isfinite(request.timeout) && request.timeout > 0 ? request.timeout : 10.0;
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [abort] { abort("tiempo de espera agotado"); });
    deadline->start(static_cast<int>(std::min(seconds * 1000.0, 2147483647.0)));

    QObject::connect(
        reply, &QNetworkReply::finished, reply, [reply, transfer, alive = std::weak_ptr<bool>(alive_)] {
            reply->deleteLater();
            const auto owner = alive.lock();
            if (!owner || !*owner) return;
            if (!transfer->abortReason.empty()) {
                transfer->done(HttpResult::failure(transfer->abortReason));
                return;
            }
            const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
            if (!status.isValid()) {
                transfer->done(HttpResult::failure(reply->errorString().toStdString()));
                return;
            }
            // Whatever readyRead has not taken yet.
            const QByteArray rest = reply->readAll();
            if (transfer->body.size() + static_cast<std::size_t>(rest.size()) > transfer->maxBodySize) {
                transfer->done(HttpResult::failure("respuesta demasiado grande"));
                return;
            }
            transfer->body.append(rest.constData(), static_cast<std::size_t>(rest.size()));
            transfer->done(HttpResult::success(status.toInt(), std::move(transfer->body)));
        });
}

}  // namespace quorlix::platform
