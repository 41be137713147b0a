// Times one start of a program to the moment its window of a given size is viewable: watches
// the X server (DISPLAY) for top-level windows being created and mapped, starts the program,
// and prints the milliseconds from its exec to the map of the first window of that size, then
// ends the program. The start-up measure (startup_time.sh) runs it once per start.
//
//     quorlix-bench-startup 920 340 build/release/quorlix
//
// Exit status 0 with the milliseconds on standard output; 1 when the window did not come within
// 20 s or the program ended first.

#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s width height program [arguments...]\n", argv[0]);
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "quorlix-bench-startup: no X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[3], argv + 3);
        std::perror("exec");
        _exit(127);
    }

    // Windows of the size asked for, by id, as they are created; sizes may also come later.
    std::set<xcb_window_t> sized;
    double found = -1;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (found < 0 && millisecondsSince(start) < 20000) {
        if (waitpid(child, nullptr, WNOHANG) == child) break;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            switch (event->response_type & 0x7f) {
                case XCB_CREATE_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
                    if (e->width == width && e->height == height) sized.insert(e->window);
                    break;
                }
                case XCB_CONFIGURE_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                    if (e->width == width && e->height == height) sized.insert(e->window);
                    else sized.erase(e->window);
                    break;
                }
                case XCB_MAP_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    if (found < 0 && sized.contains(e->window)) found = millisecondsSince(start);
                    break;
                }
                default: break;
            }
            std::free(event);
        }
        if (xcb_connection_has_error(c)) break;
        if (found < 0) poll(&fd, 1, 50);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    xcb_disconnect(c);
    if (found < 0) {
        std::fprintf(stderr, "quorlix-bench-startup: no %dx%d window was shown\n", width, height);
        return 1;
    }
    std::printf("%.1f\n", found);
    return 0;
}
