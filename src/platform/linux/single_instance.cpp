#include "platform/linux/single_instance.h"

#include "foundation/key_log.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorlix::platform {

namespace fs = std::filesystem;

namespace {

constexpr int waitMilliseconds = 2000;

// A folder this user alone owns and can enter, created if missing; false when the path is
// taken by anything else (a symbolic link, another user's folder).
bool privateFolder(const fs::path& folder) {
    ::mkdir(folder.c_str(), 0700);
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// Held while a launch decides whether it is the first, so two launches at once cannot both
// think so.
class StartLock {
public:
    explicit StartLock(const fs::path& file) : fd_(::open(file.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600)) {
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~StartLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

private:
    int fd_;
};

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

}  // namespace

fs::path SingleInstance::defaultSocket() {
    fs::path base = fs::temp_directory_path();
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) base = runtime;
    return base / ("quorlix-" + std::to_string(::getuid())) / "instance";
}

SingleInstance::SingleInstance(fs::path socket) : socket_(std::move(socket)) {}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

SingleInstance::Outcome SingleInstance::start(const std::vector<std::string>& urls) {
    if (!privateFolder(socket_.parent_path())) {
        KeyLog::write("single instance: " + socket_.parent_path().string() + " is not a private folder");
        return Outcome::failed;
    }
    StartLock lock(socket_.string() + ".lock");
    if (handOver(urls)) return Outcome::handedOver;
    return serve() ? Outcome::primary : Outcome::failed;
}

void SingleInstance::stopListening() {
    // Closing removes the socket.
    server_.reset();
}

bool SingleInstance::listenAgain() {
    if (server_) return true;
    if (!privateFolder(socket_.parent_path())) return false;
    StartLock lock(socket_.string() + ".lock");
    QLocalSocket probe;
    probe.connectToServer(QString::fromStdString(socket_.string()));
    if (probe.waitForConnected(waitMilliseconds)) return false;
    return serve();
}

bool SingleInstance::serve() {
    // Nobody answers: a socket left behind, if any, is stale.
    QLocalServer::removeServer(QString::fromStdString(socket_.string()));
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(QString::fromStdString(socket_.string()))) {
        KeyLog::write("single instance: cannot listen: " + server_->errorString().toStdString());
        server_.reset();
        return false;
    }
    listen();
    return true;
}

bool SingleInstance::handOver(const std::vector<std::string>& urls) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(socket_.string()));
    if (!socket.waitForConnected(waitMilliseconds)) return false;
    const std::string text = message(urls);
    socket.write(text.data(), static_cast<qint64>(text.size()));
    socket.waitForBytesWritten(waitMilliseconds);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(waitMilliseconds);
    return true;
}

void SingleInstance::listen() {
    QObject::connect(server_.get(), &QLocalServer::newConnection, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            auto buffer = std::make_shared<std::string>();
            // Read as it comes, up to the limit; acted on once the launch hangs up.
            const auto read = [client, buffer] {
                const QByteArray bytes = client->readAll();
                const std::size_t room = maxMessage - std::min(buffer->size(), maxMessage);
                buffer->append(bytes.constData(), std::min(room, static_cast<std::size_t>(bytes.size())));
            };
            QObject::connect(client, &QLocalSocket::readyRead, read);
            QObject::connect(client, &QLocalSocket::disconnected, [this, client, buffer, read] {
                read();
                client->deleteLater();
                receive(*buffer);
            });
        }
    });
}

void SingleInstance::receive(const std::string& text) {
    const Request request = parse(text);
    if (request.reopen && onReopen) onReopen();
    if (!request.urls.empty() && onOpenURLs) onOpenURLs(request.urls);
}

std::string SingleInstance::message(const std::vector<std::string>& urls) {
    if (urls.empty()) return "reopen\n";
    std::string out;
    for (const auto& url : urls) {
        // A line break inside an address would start a line of its own.
        if (std::any_of(url.begin(), url.end(), [](unsigned char c) { return isControl(c); })) continue;
        out += "open " + url + "\n";
    }
    return out.empty() ? "reopen\n" : out;
}

SingleInstance::Request SingleInstance::parse(const std::string& text) {
    Request request;
    std::istringstream lines(text.substr(0, maxMessage));
    for (std::string line; std::getline(lines, line);) {
        if (line == "reopen") {
            request.reopen = true;
        } else if (line.rfind("open ", 0) == 0 && line.size() > 5 &&
                   std::none_of(line.begin(), line.end(), [](unsigned char c) { return isControl(c); })) {
            request.urls.push_back(line.substr(5));
        }
    }
    return request;
}

}  // namespace quorlix::platform
