#include "platform/linux/qt_screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorlix::platform {

namespace {
Screen describe(const QScreen* s, double primaryHeight) {
    const QRect g = s->geometry();
    Screen out;
    out.id = s->name().toStdString() + "|" + s->serialNumber().toStdString();
    out.name = s->name().toStdString();
    out.frame = Rect(g.x(), primaryHeight - (g.y() + g.height()), g.width(), g.height());
    out.backingScaleFactor = s->devicePixelRatio();
    // Panels named eDP or LVDS are a laptop's own display.
    out.isBuiltIn = s->name().startsWith("eDP") || s->name().startsWith("LVDS");
    return out;
}

double primaryHeight() {
    const QScreen* p = QGuiApplication::primaryScreen();
    return p ? p->geometry().height() : 0;
}
}  // namespace

std::vector<Screen> QtScreens::screens() const {
    std::vector<Screen> out;
    const double h = primaryHeight();
    for (const QScreen* s : QGuiApplication::screens()) out.push_back(describe(s, h));
    return out;
}

std::optional<Screen> QtScreens::mainScreen() const {
    const QScreen* p = QGuiApplication::primaryScreen();
    if (!p) return std::nullopt;
    return describe(p, primaryHeight());
}

}  // namespace quorlix::platform
