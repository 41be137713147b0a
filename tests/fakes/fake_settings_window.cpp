#include "fakes/fake_settings_window.h"

#include "platform/main_queue.h"
#include "ui/views.h"

#include <algorithm>

namespace quorlix::fakes {

FakeWindow::FakeWindow(const platform::WindowOptions& o, std::vector<FakeWindow*>& registry)
    : options(o),
      host_(std::make_unique<ui::ViewHost>(fonts_, ui::EmptyView(), o.size)),
      registry_(registry) {
    registry_.push_back(this);
}

FakeWindow::~FakeWindow() { std::erase(registry_, this); }

void FakeWindow::setContent(const ui::View& root, const ui::EnvironmentValues& environment) {
    ++contentsSet;
    host_->setEnvironment(environment);
    host_->setRoot(root);
}

void FakeWindow::makeKeyAndOrderFront() {
    ++ordersFront;
    visible = true;
}

void FakeWindow::close() {
    visible = false;
    closed_.emit();
}

void FakeWindow::click(Point at) {
    host_->render();
    host_->events().pointerPressed(at);
    host_->events().pointerReleased(at);
    host_->render();
}

std::unique_ptr<platform::Window> FakeWindows::makeWindow(const platform::WindowOptions& options) {
    ++madeCount;
    return std::make_unique<FakeWindow>(options, live);
}

}  // namespace quorlix::fakes
