// Times one start of Quorlix to the moment its island's window is viewable: watches the X server
// (DISPLAY) for top-level windows being created, placed and mapped, starts the program, and
// prints the milliseconds from its exec to the map of the first window that stands where the
// island does: left alone by the window manager (override-redirect) and centred across the
// screen. Its size is no mark: the window is as large as what the island shows. Then it ends the
// program. The start-up measure (startup_time.sh) runs it once per start.
//
//     quorlix-bench-startup build/release/quorlix
//
// Exit status 0 with the milliseconds on standard output; 1 when the island did not come within
// 20 s or the program ended first.

#include <xcb/xcb.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s program [arguments...]\n", argv[0]);
        return 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "quorlix-bench-startup: no X display\n");
        return 2;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t root = screen->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        std::perror("exec");
        _exit(127);
    }

    // Top-level windows by id, with their latest place; a window's place may change before it
    // is mapped, and whether the window manager leaves it alone is told by its map.
    struct Place {
        int x, width;
    };
    std::map<xcb_window_t, Place> places;
    const auto centred = [&](const Place& p) {
        return p.width > 1 && std::abs(2 * p.x + p.width - screen->width_in_pixels) <= 1;
    };
    double found = -1;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (found < 0 && millisecondsSince(start) < 20000) {
        if (waitpid(child, nullptr, WNOHANG) == child) break;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            switch (event->response_type & 0x7f) {
                case XCB_CREATE_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
                    places[e->window] = {e->x, e->width};
                    break;
                }
                case XCB_CONFIGURE_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
                    places[e->window] = {e->x, e->width};
                    break;
                }
                case XCB_MAP_NOTIFY: {
                    const auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event);
                    const auto known = places.find(e->window);
                    if (found < 0 && e->override_redirect && known != places.end() && centred(known->second))
                        found = millisecondsSince(start);
                    break;
                }
                case XCB_DESTROY_NOTIFY:
                    places.erase(reinterpret_cast<xcb_destroy_notify_event_t*>(event)->window);
                    break;
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
        std::fprintf(stderr, "quorlix-bench-startup: no island was shown\n");
        return 1;
    }
    std::printf("%.1f\n", found);
    return 0;
}
