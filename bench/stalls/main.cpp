// How long a running Quorlix's main thread keeps others waiting: every 20 ms it is asked
// something only its main thread answers (a launch's empty message on the instance socket,
// which it reads and closes there), and the time until the answer is taken. Meanwhile, once a
// second, a player is told to move on to another track (SIGUSR1 to its process). At the end
// it prints how many answers took over 100 ms, the longest, and the share of the time the
// main thread kept the asks waiting past 20 ms.
//
//     quorlix-stalls SOCKET PLAYER_PID [seconds = 30]

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// One ask: connect, say nothing, and wait for the instance to close. Milliseconds, or a
// negative number when the socket could not be reached.
double ask(const char* socketPath) {
    const auto start = Clock::now();
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath, sizeof address.sun_path - 1);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    ::shutdown(fd, SHUT_WR);  // the whole message: nothing
    char byte;
    while (::read(fd, &byte, 1) > 0) {
    }
    ::close(fd);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: quorlix-stalls SOCKET PLAYER_PID [seconds]\n");
        return 2;
    }
    const char* socketPath = argv[1];
    const pid_t player = static_cast<pid_t>(std::atoi(argv[2]));
    const double seconds = argc > 3 ? std::atof(argv[3]) : 30;

    std::vector<double> answers;
    const auto start = Clock::now();
    auto nextSkip = start + std::chrono::seconds(1);
    auto nextAsk = start;
    while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
        if (Clock::now() >= nextSkip) {
            ::kill(player, SIGUSR1);
            nextSkip += std::chrono::seconds(1);
        }
        const double ms = ask(socketPath);
        if (ms < 0) {
            std::fprintf(stderr, "quorlix-stalls: no instance at %s\n", socketPath);
            return 1;
        }
        answers.push_back(ms);
        nextAsk += std::chrono::milliseconds(20);
        std::this_thread::sleep_until(std::max(nextAsk, Clock::now()));
    }
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    int over100 = 0;
    double longest = 0, waited = 0;
    for (const double ms : answers) {
        over100 += ms > 100;
        longest = std::max(longest, ms);
        waited += std::max(ms - 20, 0.0);
    }
    std::sort(answers.begin(), answers.end());
    std::printf(
        "asks %zu, over 100 ms %d, longest %.0f ms, median %.1f ms, kept waiting %.1f %% of the time\n",
        answers.size(), over100, longest, answers[answers.size() / 2], 100 * waited / total);
    return 0;
}
