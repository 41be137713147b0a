// A program a user keeps open under the island, for the desktop tests: `quorlix-event-log`
// shows one GTK 3 window, maximised and without a title bar (its content reaches the top of
// the work area), as a Wayland program or an X one (GDK_BACKEND), and writes to its standard
// output a line for each pointer event its content gets, with the point in the content's own
// coordinates: "motion X Y", "press X Y", "scroll X Y", and "enter X Y", "leave X Y" as the
// pointer comes and goes (crossings of grabs left out). Once the window is maximised and drawn
// it writes "ready W H", the content's size, first.

#include <gtk/gtk.h>

#include <cstdio>
#include <initializer_list>

namespace {

bool announced = false;

void logLine(const char* kind, double x, double y) {
    std::printf("%s %d %d\n", kind, static_cast<int>(x), static_cast<int>(y));
    std::fflush(stdout);
}

gboolean onEvent(GtkWidget*, GdkEvent* event, gpointer) {
    double x = 0, y = 0;
    gdk_event_get_coords(event, &x, &y);
    switch (gdk_event_get_event_type(event)) {
        case GDK_MOTION_NOTIFY: logLine("motion", x, y); break;
        case GDK_BUTTON_PRESS: logLine("press", x, y); break;
        case GDK_SCROLL: logLine("scroll", x, y); break;
        case GDK_ENTER_NOTIFY:
        case GDK_LEAVE_NOTIFY:
            if (event->crossing.mode == GDK_CROSSING_NORMAL)
                logLine(gdk_event_get_event_type(event) == GDK_ENTER_NOTIFY ? "enter" : "leave", x, y);
            break;
        default: break;
    }
    return FALSE;
}

// Ready once maximised and drawn at its full size.
gboolean onDrawn(GtkWidget* content, cairo_t*, gpointer window) {
    const bool maximised =
        gdk_window_get_state(gtk_widget_get_window(GTK_WIDGET(window))) & GDK_WINDOW_STATE_MAXIMIZED;
    if (!announced && maximised) {
        announced = true;
        std::printf("ready %d %d\n", gtk_widget_get_allocated_width(content),
                    gtk_widget_get_allocated_height(content));
        std::fflush(stdout);
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    gtk_init(&argc, &argv);
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "quorlix-event-log");
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    GtkWidget* content = gtk_event_box_new();
    gtk_container_add(GTK_CONTAINER(window), content);
    gtk_widget_add_events(content, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_SCROLL_MASK |
                                       GDK_SMOOTH_SCROLL_MASK | GDK_ENTER_NOTIFY_MASK |
                                       GDK_LEAVE_NOTIFY_MASK);
    g_signal_connect(content, "event", G_CALLBACK(onEvent), nullptr);
    g_signal_connect_after(content, "draw", G_CALLBACK(onDrawn), window);
    g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
    gtk_window_maximize(GTK_WINDOW(window));
    gtk_widget_show_all(window);
    // Every move as it comes, not once a frame: the test reads them.
    for (GtkWidget* widget : {window, content})
        gdk_window_set_event_compression(gtk_widget_get_window(widget), FALSE);
    gtk_main();
    return 0;
}
