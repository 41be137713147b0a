#include "platform/linux/single_instance.h"

#include "platform/key_log.h"

#include <QLocalSocket>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

struct SingleInstance::Connection {
    int fd = -1;
    QSocketNotifier* notifier = nullptr;
    QTimer* deadline = nullptr;
    std::string message;
};

SingleInstance::SingleInstance(fs::path socket, double timeLimit)
    : socket_(std::move(socket)), timeLimit_(timeLimit), owner_(std::make_unique<QObject>()) {}

SingleInstance::~SingleInstance() {
    owner_.reset();
    for (auto& connection : connections_) ::close(connection.fd);
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(socket_.c_str());
    }
}

SingleInstance::Outcome SingleInstance::start(const std::vector<std::string>& urls) {
    if (!privateFolder(socket_.parent_path())) {
        KeyLog::write("single instance: " + socket_.parent_path().string() + " is not a private folder");
        return Outcome::failed;
    }
    StartLock lock(socket_.string() + ".lock");
    if (handOver(urls)) return Outcome::handedOver;
    return listen() ? Outcome::primary : Outcome::failed;
}

void SingleInstance::stopListening() {
    if (listener_ < 0) return;
    // Launches already connected are still read.
    listenerNotifier_->setEnabled(false);
    listenerNotifier_->deleteLater();
    listenerNotifier_ = nullptr;
    ::close(listener_);
    listener_ = -1;
    ::unlink(socket_.c_str());
}

bool SingleInstance::listenAgain() {
    if (listener_ >= 0) return true;
    if (!privateFolder(socket_.parent_path())) return false;
    StartLock lock(socket_.string() + ".lock");
    QLocalSocket probe;
    probe.connectToServer(QString::fromStdString(socket_.string()));
    if (probe.waitForConnected(waitMilliseconds)) return false;
    return listen();
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

bool SingleInstance::listen() {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socket_.native().size() >= sizeof address.sun_path) {
        KeyLog::write("single instance: socket path too long: " + socket_.string());
        return false;
    }
    std::memcpy(address.sun_path, socket_.c_str(), socket_.native().size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    // Nobody answered: a socket left behind, if any, is stale.
    ::unlink(socket_.c_str());
    if (fd < 0 || ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(socket_.c_str(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        KeyLog::write(std::string("single instance: cannot listen: ") + std::strerror(errno));
        if (fd >= 0) ::close(fd);
        return false;
    }
    listener_ = fd;
    listenerNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read, owner_.get());
    QObject::connect(listenerNotifier_, &QSocketNotifier::activated, [this] { acceptWaiting(); });
    return true;
}

void SingleInstance::acceptWaiting() {
    while (connections_.size() < maxConnections) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            // Out of descriptors or memory: the launch stays queued; try again shortly.
            if (!outOfDescriptors_)
                KeyLog::write(std::string("single instance: cannot accept: ") + std::strerror(errno));
            outOfDescriptors_ = true;
            listenerNotifier_->setEnabled(false);
            QTimer::singleShot(500, owner_.get(), [this] {
                if (!listenerNotifier_) return;  // no longer listening
                listenerNotifier_->setEnabled(true);
                acceptWaiting();
            });
            return;
        }
        outOfDescriptors_ = false;
        const auto connection = connections_.insert(connections_.end(), Connection{fd});
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner_.get());
        QObject::connect(connection->notifier, &QSocketNotifier::activated,
                         [this, connection] { read(connection); });
        // A launch says what it has to say at once; one that does not is dropped.
        connection->deadline = new QTimer(owner_.get());
        connection->deadline->setSingleShot(true);
        QObject::connect(connection->deadline, &QTimer::timeout, [this, connection] { close(connection); });
        connection->deadline->start(static_cast<int>(timeLimit_ * 1000));
    }
    // Full: the rest wait in the socket's queue until a connection ends.
    listenerNotifier_->setEnabled(false);
}

void SingleInstance::read(std::list<Connection>::iterator connection) {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(connection->fd, buffer, sizeof buffer);
        if (n > 0) {
            if (connection->message.size() + static_cast<std::size_t>(n) > maxMessage) {
                // Acting on the part read could act on a cut line.
                KeyLog::write("single instance: message over " + std::to_string(maxMessage) +
                              " bytes refused");
                return close(connection);
            }
            connection->message.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
        // The launch hung up: its message is whole. (An error ends the connection unread.)
        const std::string message = n == 0 ? std::move(connection->message) : std::string();
        close(connection);
        receive(message);
        return;
    }
}

void SingleInstance::close(std::list<Connection>::iterator connection) {
    // The notifier or the timer may be the one calling: they go once it has returned.
    connection->notifier->setEnabled(false);
    connection->notifier->deleteLater();
    connection->deadline->stop();
    connection->deadline->deleteLater();
    ::close(connection->fd);
    connections_.erase(connection);
    if (listenerNotifier_ && !outOfDescriptors_) {
        listenerNotifier_->setEnabled(true);
        acceptWaiting();
    }
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
    if (text.size() > maxMessage) return request;
    // Only lines that end in a line feed: a message that was cut short is not guessed at.
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line = std::string_view(text).substr(start, end - start);
        if (line == "reopen") {
            request.reopen = true;
        } else if (line.starts_with("open ") && line.size() > 5 &&
                   std::none_of(line.begin(), line.end(), [](unsigned char c) { return isControl(c); })) {
            request.urls.emplace_back(line.substr(5));
        }
    }
    return request;
}

}  // namespace quorlix::platform
