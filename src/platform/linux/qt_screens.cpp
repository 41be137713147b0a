#include "platform/linux/qt_screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace quorlix::platform {

namespace {
double primaryHeight() {
    const QScreen* p = QGuiApplication::primaryScreen();
    return p ? p->geometry().height() : 0;
}

Screen describe(const QScreen* s) {
    Screen out;
    out.id = s->name().toStdString() + "|" + s->serialNumber().toStdString();
    out.name = s->name().toStdString();
    out.frame = fromQtGeometry(s->geometry());
    out.backingScaleFactor = s->devicePixelRatio();
    // What the island must clear at the top: the strip the desktop reserves there for its bar
    // (the work area, from _NET_WORKAREA and the panels' struts). A bare screen has none.
    const QRect available = s->availableGeometry();
    if (available.isValid() && s->geometry().contains(available))
        out.safeAreaInsets.top = available.top() - s->geometry().top();
    // Panels named eDP or LVDS are a laptop's own display.
    out.isBuiltIn = s->name().startsWith("eDP") || s->name().startsWith("LVDS");
    return out;
}
}  // namespace

Rect fromQtGeometry(const QRect& g) {
    return Rect(g.x(), primaryHeight() - (g.y() + g.height()), g.width(), g.height());
}

QRect toQtGeometry(const Rect& frame) { return toQtGeometry(frame, primaryHeight()); }

QRect toQtGeometry(const Rect& frame, double primaryHeight) {
    return QRect(qRound(frame.minX()), qRound(primaryHeight - frame.maxY()), qRound(frame.width()),
                 qRound(frame.height()));
}

Point fromQtPoint(const QPoint& point) { return fromQtGeometry(QRect(point, QSize(1, 1))).origin; }

std::vector<Screen> QtScreens::screens() const {
    std::vector<Screen> out;
    for (const QScreen* s : QGuiApplication::screens()) out.push_back(describe(s));
    return out;
}

std::optional<Screen> QtScreens::mainScreen() const {
    const QScreen* p = QGuiApplication::primaryScreen();
    if (!p) return std::nullopt;
    return describe(p);
}

}  // namespace quorlix::platform
