#include "platform/linux/detached_process_launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace quorlix::platform {

namespace {

// Tells the parent why the child failed, then ends the child. Only async-signal-safe calls
// may follow a fork in a threaded process.
[[noreturn]] void report(int pipe, int error) {
    ssize_t ignored = ::write(pipe, &error, sizeof error);
    (void)ignored;
    ::_exit(127);
}

}  // namespace

std::optional<std::string> DetachedProcessLauncher::launchDetached(
    const std::string& program, const std::vector<std::string>& arguments) {
    // Everything the children need is made before forking.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigset_t none;
    sigemptyset(&none);

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) return std::string("pipe: ") + std::strerror(errno);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(channel[0]);
        ::close(channel[1]);
        return std::string("fork: ") + std::strerror(error);
    }
    if (child == 0) {
        ::close(channel[0]);
        if (::setsid() < 0) report(channel[1], errno);
        const pid_t grandchild = ::fork();
        if (grandchild < 0) report(channel[1], errno);
        if (grandchild > 0) ::_exit(0);

        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0) report(channel[1], errno);
        for (int fd = 0; fd < 3; ++fd) {
            if (::dup2(null, fd) < 0) report(channel[1], errno);
        }
        // Every other descriptor goes, but the report pipe, which closes when exec succeeds.
        const unsigned reportFd = static_cast<unsigned>(channel[1]);
        if (reportFd > 3) ::close_range(3, reportFd - 1, 0);
        ::close_range(reportFd + 1, ~0U, 0);
        // Handlers do not survive exec, but ignored signals and the mask would.
        for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &standard, nullptr);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(program.c_str(), argv.data());
        report(channel[1], errno);
    }

    ::close(channel[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = ::read(channel[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(channel[0]);
    if (n == static_cast<ssize_t>(sizeof error)) return program + ": " + std::strerror(error);
    return std::nullopt;
}

}  // namespace quorlix::platform
