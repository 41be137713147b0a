#pragma once
// One running Quorlix per user. The first launch listens on a local socket that only its
// user can reach; a later launch hands it the `quorlix://` addresses it was given (or, given
// none, a request to reopen, which shows the settings) and ends.
//
//     SingleInstance instance;
//     if (instance.start(urls) == SingleInstance::Outcome::handedOver) return 0;
//     instance.onOpenURLs = [&](const auto& urls) { app.openURLs(urls); };
//
// A socket left behind by a launch that crashed is taken over. A socket folder that another
// user could reach is never used.
//
// The running instance never lets its own clients stop it from listening: it reads at most
// `maxConnections` at once (later ones wait in the socket's queue), gives each `timeLimit`
// seconds to deliver its message, refuses a message over `maxMessage` whole, and when the
// process runs out of descriptors it keeps the socket and accepts again shortly after.
// Main thread only.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QSocketNotifier;

namespace quorlix::platform {

class SingleInstance {
public:
    // The socket in a "quorlix" folder of $XDG_RUNTIME_DIR, else of the temporary folder.
    static std::filesystem::path defaultSocket();

    explicit SingleInstance(std::filesystem::path socket = defaultSocket(), double timeLimit = 3.0);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Outcome {
        // This launch is the running instance now, and listens.
        primary,
        // Another instance runs and has been handed the request.
        handedOver,
        // Neither: the socket cannot be used; this launch runs on its own.
        failed,
    };
    Outcome start(const std::vector<std::string>& urls);

    // Stops listening: the next launch finds no one and runs on its own.
    void stopListening();
    // Listens again after `stopListening`, unless another instance listens now. True when
    // this one listens.
    bool listenAgain();

    // The requests of later launches, on the main thread.
    std::function<void(const std::vector<std::string>& urls)> onOpenURLs;
    std::function<void()> onReopen;

    // The message a launch sends, and what a running instance reads from it: "open <url>"
    // lines, or one "reopen" line, each ending in a line feed. Lines that are neither, and a
    // message longer than `maxMessage`, are dropped.
    static std::string message(const std::vector<std::string>& urls);
    struct Request {
        std::vector<std::string> urls;
        bool reopen = false;
    };
    static Request parse(const std::string& message);

    static constexpr std::size_t maxMessage = 64 * 1024;
    static constexpr std::size_t maxConnections = 8;

private:
    struct Connection;

    bool handOver(const std::vector<std::string>& urls);
    bool listen();
    void acceptWaiting();
    void read(std::list<Connection>::iterator connection);
    void close(std::list<Connection>::iterator connection);
    void receive(const std::string& message);

    std::filesystem::path socket_;
    double timeLimit_;
    int listener_ = -1;
    // Parent of the notifiers and timers, which go with it.
    std::unique_ptr<QObject> owner_;
    QSocketNotifier* listenerNotifier_ = nullptr;
    std::list<Connection> connections_;
    bool outOfDescriptors_ = false;
};

}  // namespace quorlix::platform
