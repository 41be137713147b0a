#include "platform/linux/qt_windows.h"

#include "ui/qt/window_host.h"
#include "ui/views.h"

namespace quorlix::platform {

namespace {

class QtWindow final : public Window {
public:
    explicit QtWindow(const WindowOptions& options)
        : host_(ui::EmptyView(),
                {.title = options.title, .size = options.size, .translucent = true, .frameless = true}) {
        host_.onClose = [this] { closed_.emit(); };
    }
    ~QtWindow() override { host_.onClose = nullptr; }

    void setContent(const ui::View& root, const ui::EnvironmentValues& environment) override {
        host_.host().setEnvironment(environment);
        host_.setRoot(root);
    }
    void makeKeyAndOrderFront() override { host_.show(); }
    bool isVisible() const override { return host_.isVisible(); }
    bool isMiniaturized() const override { return host_.isMinimized(); }
    void deminiaturize() override {
        if (host_.isMinimized()) host_.widget().showNormal();
    }
    void close() override { host_.close(); }
    void clearFocus() override { host_.clearFocus(); }
    Subscription onClose(std::function<void()> handler) override {
        return closed_.connect(std::move(handler));
    }

private:
    ui::qt::WindowHost host_;
    Signal<> closed_;
};

}  // namespace

std::unique_ptr<Window> QtWindows::makeWindow(const WindowOptions& options) {
    return std::make_unique<QtWindow>(options);
}

}  // namespace quorlix::platform
