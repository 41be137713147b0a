// The tray page and its file views over the tray store, with the fake workspace's icons and
// thumbnails.

#include "island/tray_panel.h"
#include "fakes/fake_widgets.h"
#include "island/tray_item_view.h"
#include "island_pages_test_support.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace quorlix {
namespace {

namespace fs = std::filesystem;
using namespace ui;

class TrayPanelTest : public testing::IslandPagesTest {
protected:
    const platform::Image icon = fakes::FakeImageDecoder::solid(32, 32, 0, 0, 255);
    const platform::Image picture = fakes::FakeImageDecoder::solid(100, 50, 255, 0, 0);
    std::vector<std::vector<std::string>> menus;
    std::vector<std::vector<DropItem>> drags;
    std::vector<MenuItem> lastMenu;

    fs::path file(const std::string& name) {
        const fs::path path = fake.home.path() / name;
        std::ofstream(path) << name;
        fake.workspace.fileIcons[path.string()] = icon;
        return path;
    }
    void showTray(bool targeted = false) {
        inputs.flag = targeted;
        showPage([this] { return View(TrayPanel{.isTargeted = inputs.flag.get()}); });
        host->events().showMenu = [this](const std::vector<MenuItem>& items, Point) {
            lastMenu = items;
            std::vector<std::string> titles;
            for (const auto& item : items) titles.push_back(item.title);
            menus.push_back(titles);
        };
        host->events().startDrag = [this](const std::vector<DropItem>& items) { drags.push_back(items); };
    }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        for (const auto& text : texts())
            if (text.find('.') != std::string::npos) out.push_back(text);
        return out;
    }
    std::vector<const DisplayItem*> pictures() {
        return shown().findAll([](auto& i) { return i.kind == DisplayItem::Kind::image; });
    }
    const DisplayItem* dashes(double opacity) {
        return find([opacity](auto& i) {
            return i.strokePaint && !i.stroke.dash.empty() &&
                   std::abs(i.strokePaint->color.a - opacity) < 1e-9;
        });
    }
};

TEST_F(TrayPanelTest, TheHintBrightensWhileTargetedAndComesBackWhenTheTrayIsEmptied) {
    showTray();
    EXPECT_NE(shown().findText("Arrastra archivos aquí"), nullptr);
    EXPECT_NE(shown().findText("Se quedan a la mano hasta que los saques"), nullptr);
    EXPECT_NE(dashes(0.22), nullptr);
    EXPECT_NE(shown().findSymbol("tray.and.arrow.down.fill"), nullptr);

    inputs.flag = true;
    advance(0.075);
    const auto* border = find([](auto& i) { return i.strokePaint && !i.stroke.dash.empty(); });
    EXPECT_GT(border->strokePaint->color.a, 0.22 + 0.01);
    EXPECT_LT(border->strokePaint->color.a, 0.7 - 0.01);
    advance(0.1);
    EXPECT_NE(dashes(0.7), nullptr);
    EXPECT_NEAR(shown().findSymbol("tray.and.arrow.down.fill")->textPaint->color.a, 0.9, 1e-9);
    inputs.flag = false;

    tray.add({file("a.txt"), file("b.txt")});
    advance(1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Bandeja", "2", "Vaciar", "a.txt", "b.txt"}));
    EXPECT_EQ(dashes(0.6), nullptr);
    inputs.flag = true;
    advance(0);
    ASSERT_NE(dashes(0.6), nullptr);  // at once
    // Its round corners keep clear of the header's ends: each text's outer top corner stands
    // well inside a corner of 20 points (the frame's own, however it is drawn).
    const Rect frame = shown().drawnFrame(dashes(0.6));
    constexpr double radius = 20;
    for (const char* end : {"Bandeja", "Vaciar"}) {
        const Rect text = shown().drawnFrame(shown().findText(end));
        const double dx = std::min(text.minX() - frame.minX(), frame.maxX() - text.maxX());
        const double dy = text.minY() - frame.minY();
        const double clearance =
            dx < radius && dy < radius ? radius - std::hypot(radius - dx, radius - dy) : std::min(dx, dy);
        EXPECT_GT(clearance, 4) << end;
    }
    inputs.flag = false;
    advance(0);
    EXPECT_EQ(dashes(0.6), nullptr);

    clickText("Vaciar");
    advance(1);
    EXPECT_TRUE(tray.items->empty());
    EXPECT_NE(shown().findText("Arrastra archivos aquí"), nullptr);
}

TEST_F(TrayPanelTest, AnItemOpensOnADoubleClickAndItsMenuRevealsOrRemovesIt) {
    const auto a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    tray.add({a, b, c});
    showTray();
    clickText("b.txt");
    EXPECT_TRUE(fake.workspace.openedFiles.empty());
    clickText("b.txt", 2);
    EXPECT_EQ(fake.workspace.openedFiles, std::vector<std::string>{b.string()});
    EXPECT_EQ(host->events().helpAt(centre(shown().findText("b.txt"))), b.string());

    const Point onB = centre(shown().findText("b.txt"));
    host->events().pointerPressed(onB, EventRouter::Button::secondary);
    host->events().pointerReleased(onB, EventRouter::Button::secondary);
    ASSERT_EQ(menus, (std::vector<std::vector<std::string>>{
                         {"Abrir", "Mostrar en la carpeta", "", "Quitar de la bandeja"}}));
    lastMenu[1].action();
    EXPECT_EQ(fake.workspace.revealed, std::vector<std::vector<std::string>>{{b.string()}});
    lastMenu[0].action();
    EXPECT_EQ(fake.workspace.openedFiles.size(), 2u);
    lastMenu[3].action();
    advance(1);
    EXPECT_EQ(names(), (std::vector<std::string>{"a.txt", "c.txt"}));
}

TEST_F(TrayPanelTest, DraggingAnItemOutHandsOverItsAddressAndKeepsIt) {
    const auto odd = file("informe final #2 ñ.txt");
    tray.add({odd});
    showTray();
    const Point p = centre(shown().findText(odd.filename().string()));
    host->events().pointerPressed(p);
    host->events().pointerMoved({p.x + 12, p.y + 12});
    host->events().pointerReleased({p.x + 12, p.y + 12});
    const std::string url = "file://" + fake.home.path().string() + "/informe%20final%20%232%20%C3%B1.txt";
    EXPECT_EQ(drags, (std::vector<std::vector<DropItem>>{{{UTType::fileURL, url}}}));
    EXPECT_EQ(TrayStore::filePath(url), odd);
    EXPECT_EQ(tray.items->size(), 1u);
    EXPECT_TRUE(fake.workspace.openedFiles.empty());
}

TEST_F(TrayPanelTest, EachItemAsksForItsIconThenOneThumbnailAndKeepsItsIconWithoutOne) {
    const auto a = file("a.jpg"), b = file("b.txt"), c = file("c.jpg");
    tray.add({a, b, c});
    showTray();
    // The icons first, told off the main thread; each thumbnail once its icon has come.
    EXPECT_EQ(fake.workspace.iconRequests.size(), 3u);
    EXPECT_TRUE(fake.workspace.thumbnailRequests.empty());
    EXPECT_TRUE(pictures().empty());
    EXPECT_EQ(fake.workspace.answerFileIcons(), 3u);
    advance(1);
    ASSERT_EQ(fake.workspace.thumbnailRequests.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& request = fake.workspace.thumbnailRequests[i];
        EXPECT_EQ(request.path, (std::vector<fs::path>{a, b, c})[i].string());
        EXPECT_EQ(request.size, (Size{100, 100}));
        EXPECT_EQ(request.scale, 2);  // no main screen
    }
    EXPECT_EQ(pictures().size(), 3u);
    EXPECT_EQ(pictures().at(0)->image, icon);

    fake.workspace.answerThumbnail(0, picture);
    fake.workspace.answerThumbnail(1, std::nullopt);
    advance(1);
    EXPECT_EQ(pictures().at(0)->image, picture);
    EXPECT_EQ(pictures().at(0)->frame.size, (Size{50, 25}));  // fitted
    EXPECT_EQ(pictures().at(1)->image, icon);
    host->events().pointerMoved(centre(shown().findText("b.txt")));  // hover renders again
    advance(1);
    EXPECT_EQ(fake.workspace.thumbnailRequests.size(), 3u);

    // c leaves before its thumbnail comes.
    tray.remove(tray.items->at(2));
    advance(1);
    EXPECT_FALSE(fake.workspace.isThumbnailWanted(2));
    frames = 0;
    fake.workspace.answerThumbnail(2, picture);
    advance(1);
    EXPECT_EQ(frames, 0);
    EXPECT_FALSE(host->isFrameScheduled());

    fake.screens.list = {fakes::FakeScreens::notchedLaptop()};
    fake.screens.list[0].backingScaleFactor = 1;
    tray.add({file("d.txt")});
    advance(1);
    fake.workspace.answerFileIcons();
    advance(1);
    EXPECT_EQ(fake.workspace.thumbnailRequests.back().scale, 1);
    EXPECT_EQ(fake.workspace.iconRequests.size(), 4u);
}

TEST_F(TrayPanelTest, AFileWhoseTypeIsNeverToldHoldsBackNoOtherAndAsksForNoThumbnail) {
    // A file whose reading hangs (on a mount that stopped answering): its icon never comes.
    const auto hung = file("montaje.bin"), b = file("b.txt");
    tray.add({hung, b});
    showTray();
    EXPECT_EQ(fake.workspace.answerFileIcons(hung.string()), 1u);
    advance(1);
    EXPECT_EQ(names(), (std::vector<std::string>{"montaje.bin", "b.txt"}));
    ASSERT_EQ(pictures().size(), 1u);
    EXPECT_EQ(pictures().at(0)->image, icon);
    ASSERT_EQ(fake.workspace.thumbnailRequests.size(), 1u);
    EXPECT_EQ(fake.workspace.thumbnailRequests[0].path, b.string());

    // Taken out of the tray, it is no longer waited for.
    tray.remove(tray.items->at(0));
    advance(1);
    EXPECT_EQ(fake.workspace.answerFileIcons(), 0u);
}

TEST_F(TrayPanelTest, DroppedFilesShowInTheOrderTheirLoadsComplete) {
    const auto a = file("a.txt"), b = file("b.txt");
    showTray();
    auto first = std::make_shared<fakes::FakeItemProvider>(TrayStore::fileURL(a));
    auto second = std::make_shared<fakes::FakeItemProvider>(TrayStore::fileURL(b));
    tray.add({first, second});
    second->complete();
    advance(0.5);
    first->complete();
    advance(0.5);
    EXPECT_EQ(names(), (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(texts().at(1), "2");
}

}  // namespace
}  // namespace quorlix
