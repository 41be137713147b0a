#include "platform/linux/qt_status_bar.h"

#include "platform/key_log.h"
#include "platform/linux/panel_appearance.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <optional>

namespace quorlix::platform {

namespace {

// The glyph at each size trays ask for, square and in `colour`: only the template's alpha
// counts. A StatusNotifierItem host picks among them; an X11 tray paints the one that fits.
QIcon tintedIcon(const Image& image, const QColor& colour) {
    if (image.isEmpty()) return {};
    const QImage alpha(image.pixels->data(), image.width, image.height, image.width * 4,
                       QImage::Format_RGBA8888);
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        // The glyph's width fills the square, in the middle of its height.
        const QImage glyph = alpha.scaledToWidth(size, Qt::SmoothTransformation);
        QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
        square.fill(Qt::transparent);
        QPainter painter(&square);
        painter.drawImage(0, (size - glyph.height()) / 2, glyph);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(square.rect(), colour);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(square));
    }
    return icon;
}

// Said once a run: without a tray the icon shows nowhere, though the item stays and an icon
// appears should a tray come later.
void tellWhenNoTray() {
    static bool told = false;
    if (told || QSystemTrayIcon::isSystemTrayAvailable()) return;
    told = true;
    KeyLog::write(
        "bandeja: no hay bandeja del sistema (nadie tiene _NET_SYSTEM_TRAY_S0 ni "
        "org.kde.StatusNotifierWatcher); el icono de estado no se verá mientras no haya una");
}

QKeySequence keySequence(const std::string& key) {
    if (key.empty()) return {};
    const QString text = QString::fromStdString(key);
    // An upper-case letter adds Shift, as on the platform.
    if (text.size() == 1 && text[0].isUpper()) return QKeySequence(QStringLiteral("Ctrl+Shift+") + text);
    return QKeySequence(QStringLiteral("Ctrl+") + text.toUpper());
}

bool isEditing(StandardAction action) {
    switch (action) {
        case StandardAction::undo:
        case StandardAction::redo:
        case StandardAction::cut:
        case StandardAction::copy:
        case StandardAction::paste:
        case StandardAction::selectAll: return true;
        default: return false;
    }
}

// Qt's X11 tray icon is a window of its own, made and shown whenever a tray is there to dock
// it: the panel's look hears of each, for what the tray shows behind it.
class IconWindowWatch final : public QObject {
public:
    explicit IconWindowWatch(PanelAppearanceMonitor& panel) : panel_(panel) {
        if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
    }
    ~IconWindowWatch() override {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            watched->objectName() == QLatin1String("QSystemTrayIconSys"))
            panel_.watchIcon(static_cast<std::uint32_t>(static_cast<QWidget*>(watched)->winId()));
        return false;
    }

private:
    PanelAppearanceMonitor& panel_;
};

class TrayItem final : public StatusItem {
public:
    TrayItem(const Image& image, const std::string& description, std::function<std::vector<MenuItem>()> build)
        : image_(image), build_(std::move(build)), panel_([this] { tint(); }), iconWindow_(panel_) {
        tellWhenNoTray();
        tint();
        icon_.setToolTip(QString::fromStdString(description));
        icon_.setContextMenu(&menu_);
        QObject::connect(&menu_, &QMenu::aboutToShow, [this] { QtStatusBar::fill(menu_, build_()); });
        QObject::connect(&icon_, &QSystemTrayIcon::activated,
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger) menu_.popup(QCursor::pos());
                         });
        icon_.show();
    }

private:
    // Light bars on a dark panel, dark ones on a light panel.
    void tint() {
        const PanelAppearance now = panel_.current();
        if (now == appearance_) return;
        appearance_ = now;
        icon_.setIcon(tintedIcon(image_, now == PanelAppearance::dark ? Qt::white : Qt::black));
    }

    Image image_;
    std::function<std::vector<MenuItem>()> build_;
    QMenu menu_;
    QSystemTrayIcon icon_;
    PanelAppearanceMonitor panel_;
    IconWindowWatch iconWindow_;
    std::optional<PanelAppearance> appearance_;
};

}  // namespace

// The main menu's key equivalents, watched in every window of the application.
class QtStatusBar::Shortcuts final : public QObject {
public:
    std::vector<MenuItem> items;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & Qt::ControlModifier)) return false;
        const QKeySequence pressed(key->keyCombination());
        for (const MenuItem& item : items) {
            if (item.keyEquivalent.empty() || keySequence(item.keyEquivalent) != pressed) continue;
            // The focused text field carries out the editing commands itself.
            if (isEditing(item.standardAction)) return false;
            if (item.action)
                item.action();
            else
                perform(item.standardAction);
            return true;
        }
        return false;
    }
};

QtStatusBar::QtStatusBar() : shortcuts_(std::make_unique<Shortcuts>()) {
    if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(shortcuts_.get());
}

QtStatusBar::~QtStatusBar() {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(shortcuts_.get());
}

std::unique_ptr<StatusItem> QtStatusBar::makeItem(const Image& icon, const std::string& description,
                                                  std::function<std::vector<MenuItem>()> menu) {
    return std::make_unique<TrayItem>(icon, description, std::move(menu));
}

void QtStatusBar::setMainMenu(const std::vector<Menu>& menus) {
    shortcuts_->items.clear();
    for (const Menu& menu : menus)
        for (const MenuItem& item : menu.items) shortcuts_->items.push_back(item);
}

void QtStatusBar::fill(QMenu& menu, const std::vector<MenuItem>& items) {
    menu.clear();
    for (const MenuItem& item : items) {
        if (item.separator) {
            menu.addSeparator();
            continue;
        }
        const QString title = QString::fromStdString(item.title);
        if (!item.submenu.empty()) {
            fill(*menu.addMenu(title), item.submenu);
            continue;
        }
        QAction* action = menu.addAction(title);
        action->setShortcut(keySequence(item.keyEquivalent));
        action->setCheckable(item.checkable);
        action->setChecked(item.checked);
        QObject::connect(action, &QAction::triggered, [run = item.action, standard = item.standardAction] {
            if (run)
                run();
            else
                perform(standard);
        });
    }
}

void QtStatusBar::perform(StandardAction action) {
    QWidget* window = QApplication::activeWindow();
    QWidget* focus = QApplication::focusWidget();
    const auto edit = [focus](const char* command) {
        if (focus) QMetaObject::invokeMethod(focus, command);
    };
    switch (action) {
        case StandardAction::none: return;
        case StandardAction::terminate: QCoreApplication::quit(); return;
        case StandardAction::about:
            QMessageBox::about(nullptr, QStringLiteral("Acerca de Quorlix"),
                               QStringLiteral("Quorlix ") + QCoreApplication::applicationVersion());
            return;
        case StandardAction::hide:
            // The islands stay; the application's ordinary windows go.
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && !(w->windowFlags() & Qt::X11BypassWindowManagerHint)) w->hide();
            return;
        case StandardAction::minimize:
            if (window) window->showMinimized();
            return;
        case StandardAction::close:
            if (window) window->close();
            return;
        case StandardAction::undo: edit("undo"); return;
        case StandardAction::redo: edit("redo"); return;
        case StandardAction::cut: edit("cut"); return;
        case StandardAction::copy: edit("copy"); return;
        case StandardAction::paste: edit("paste"); return;
        case StandardAction::selectAll: edit("selectAll"); return;
    }
}

}  // namespace quorlix::platform
