#include "platform/linux/gnome_desktop_focus.h"

#include "fakes/wait_for.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace quorlix::platform {
namespace {

TEST(GnomeDesktopFocus, BannersOffMeansDoNotDisturb) {
    // Settings kept in memory: nothing of the user's is read or changed.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    auto focus = GnomeDesktopFocus::create();
    ASSERT_TRUE(focus) << "the org.gnome.desktop.notifications schema is missing";
    int changes = 0;
    const Subscription s = focus->observe([&] { ++changes; });
    EXPECT_EQ(focus->doNotDisturb(), false);

    GSettings* settings = g_settings_new("org.gnome.desktop.notifications");
    g_settings_set_boolean(settings, "show-banners", FALSE);
    EXPECT_TRUE(testing::waitFor([&] { return changes > 0; }, {},
                                 [] {
                                     if (!g_main_context_iteration(nullptr, FALSE)) testing::shortPause();
                                 }));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(focus->doNotDisturb(), true);
    g_object_unref(settings);
}

}  // namespace
}  // namespace quorlix::platform
