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
// user could reach is never used. Main thread only.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;

namespace quorlix::platform {

class SingleInstance {
public:
    // The socket in a "quorlix" folder of $XDG_RUNTIME_DIR, else of the temporary folder.
    static std::filesystem::path defaultSocket();

    explicit SingleInstance(std::filesystem::path socket = defaultSocket());
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
    // lines, or one "reopen" line. Lines that are neither are dropped.
    static std::string message(const std::vector<std::string>& urls);
    struct Request {
        std::vector<std::string> urls;
        bool reopen = false;
    };
    static Request parse(const std::string& message);

    // Longest message read; the rest is dropped.
    static constexpr std::size_t maxMessage = 64 * 1024;

private:
    bool handOver(const std::vector<std::string>& urls);
    // Replaces a socket nobody answers on with ours; false when it cannot listen.
    bool serve();
    void listen();
    void receive(const std::string& message);

    std::filesystem::path socket_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace quorlix::platform
