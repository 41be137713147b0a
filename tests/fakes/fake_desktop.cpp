#include "fakes/fake_desktop.h"

#include "platform/main_queue.h"

#include <algorithm>

namespace quorlix::fakes {

FakePanelWindow::FakePanelWindow(const Rect& frame, std::vector<FakePanelWindow*>& registry,
                                 ui::FontEngine* fonts)
    : frame_(frame), registry_(registry), fonts_(fonts) {
    registry_.push_back(this);
    if (fonts_) extent_ = std::make_unique<ui::WindowExtent>(Rect({0, 0}, frame.size));
}

FakePanelWindow::~FakePanelWindow() {
    host_.reset();
    std::erase(registry_, this);
}

void FakePanelWindow::setInputAreas(const std::vector<Rect>& areas) {
    inputAreas = areas;
    // As the panel's window: a frame about to come places it.
    if (extent_ && host_ && extent_->setInputRegion(areas, host_->graph(), host_->needsRender()))
        ++windowChanges;
}

void FakePanelWindow::setWindowLimit(const Rect& limit) {
    windowLimit = limit;
    if (extent_) extent_->setLimit(limit);
}

void FakePanelWindow::setContent(const ui::View& root, const ui::EnvironmentValues& environment) {
    content = root;
    this->environment = environment;
    if (!fonts_) return;
    host_ = std::make_unique<ui::ViewHost>(*fonts_, root, frame_.size, environment);
    extent_->setInputRegion(inputAreas, host_->graph(), true);
    host_->onFrame = [this] {
        const bool placed = !extent_->rect().isEmpty();
        if (extent_->update(host_->graph()) && placed) ++windowChanges;
    };
    host_->render();
}

void FakePanelWindow::fade(double alpha, double duration, std::function<void()> completion) {
    alphaValue = alpha;
    fades.push_back({alpha, duration, static_cast<bool>(completion)});
    fadeDone_ = completion ? platform::MainQueue::shared().after(duration, std::move(completion))
                           : platform::WorkItem();
}

std::unique_ptr<platform::PanelWindow> FakePanelWindows::makePanel(const Rect& frame) {
    ++madeCount;
    return std::make_unique<FakePanelWindow>(frame, live, renderWith);
}

std::optional<Subscription> FakePointerMonitor::monitor(
    std::function<void(const platform::PointerEvent&)> handler) {
    return events_.connect(std::move(handler));
}

Subscription FakePointerMonitor::followMoves() {
    ++*followers_;
    return Subscription([count = std::weak_ptr<int>(followers_)] {
        if (const auto c = count.lock()) --*c;
    });
}

void FakePointerMonitor::send(platform::PointerEventType type, Point at) {
    location = at;
    events_.emit(platform::PointerEvent{type, at, {}});
}

void FakePointerMonitor::scroll(const platform::ScrollDetail& detail, Point at) {
    location = at;
    events_.emit(platform::PointerEvent{platform::PointerEventType::scrollWheel, at, detail});
}

class FakeStatusItem final : public platform::StatusItem {
public:
    FakeStatusItem(FakeStatusBar& bar, std::function<std::vector<platform::MenuItem>()> menu)
        : bar_(bar), menu(std::move(menu)) {
        bar_.item_ = this;
    }
    ~FakeStatusItem() override {
        if (bar_.item_ == this) bar_.item_ = nullptr;
    }

    FakeStatusBar& bar_;
    std::function<std::vector<platform::MenuItem>()> menu;
};

std::unique_ptr<platform::StatusItem> FakeStatusBar::makeItem(
    const platform::Image& image, const std::string& text,
    std::function<std::vector<platform::MenuItem>()> menu) {
    ++itemsMade;
    icon = image;
    description = text;
    return std::make_unique<FakeStatusItem>(*this, std::move(menu));
}

std::vector<platform::MenuItem> FakeStatusBar::open() const {
    if (!item_) return {};
    return item_->menu();
}

bool FakeStatusBar::choose(const std::string& title, const std::string& parent) const {
    auto items = open();
    if (!parent.empty()) {
        const auto it = std::find_if(items.begin(), items.end(),
                                     [&](const platform::MenuItem& m) { return m.title == parent; });
        if (it == items.end()) return false;
        items = it->submenu;
    }
    for (const auto& item : items) {
        if (item.title == title && item.action) {
            item.action();
            return true;
        }
    }
    return false;
}

}  // namespace quorlix::fakes
