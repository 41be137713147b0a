// The settings window: the sidebar's search, the controller's one window on the fake
// platform, and the layout of the pane area and its blocks.

#include "settings/setting_rows.h"
#include "settings/settings_search.h"
#include "settings/settings_view.h"
#include "settings_test_support.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace quorlix {
namespace {

using testing::SettingsFixture;

std::string rowId(SettingsSection s) { return "row:" + std::string(rawValue(s)); }

struct SearchCase {
    const char* query;
    std::vector<SettingsSection> rows;  // in sidebar order, the foot's last
    bool avisosHeader;
};

class SettingsSearchTest : public SettingsFixture {};

TEST_F(SettingsSearchTest, TheSidebarShowsThePassingRowsUnderHeadersOfNonEmptyGroupsOnly) {
    using S = SettingsSection;
    const auto cases_ = allCases<S>();
    const std::vector<S> all(cases_.begin(), cases_.end());
    const std::string decomposed = "mu\xCC\x81sica";  // "música" with a combining accent
    const std::vector<SearchCase> cases{
        {"", all, true},
        {" \t ", all, true},
        {"MÚSICA", {S::media}, false},
        {"musica", {S::media}, false},
        {"batería", {S::battery, S::privacy}, true},
        {"bateria", {S::battery}, true},
        {"pantalla", {S::general, S::lockScreen}, true},
        {"versión", {S::updates}, false},
        {"no molestar", {S::focus}, true},
        {"blue", {S::accessories}, true},
        {"zzz", {}, false},
        {decomposed.c_str(), {S::media}, false},
    };
    open();
    for (const auto& c : cases) {
        search(c.query);
        std::vector<S> shownRows;
        for (const S s : all)
            if (has(rowId(s))) shownRows.push_back(s);
        EXPECT_EQ(shownRows, c.rows) << "query «" << c.query << "»";
        EXPECT_EQ(has("header:Avisos"), c.avisosHeader) << "query «" << c.query << "»";
        // The search filters the sidebar, never the selection: General's pane stays.
        EXPECT_NE(shown().findText("Abrir al iniciar sesión"), nullptr) << "query «" << c.query << "»";
    }
    // The pure rule agrees with what is drawn.
    EXPECT_EQ(searchSections(SettingsSections::footer(), "  VERSIÓN\t"), std::vector<S>{S::updates});
    // Every Unicode space goes (no-break, ideographic, thin, narrow no-break), line breaks stay.
    for (const auto& [query, key] : {std::pair(" \tMÚSICA \n", "música \n"),
                                     {"\u00a0\u3000MÚSICA\u2009\u202f", "música"},
                                     {"\u00a0 \u3000", ""},
                                     {"no\u00a0molestar\u00a0", "no\u00a0molestar"}})
        EXPECT_EQ(searchKey(query), key) << query;
    EXPECT_EQ(searchSections(SettingsSections::footer(), "\u00a0versión\u3000"), std::vector<S>{S::updates});
}

class SettingsWindowTest : public SettingsFixture {};

TEST_F(SettingsWindowTest, OneWindowIsMadeAndBroughtBackRestoredOnTheRequestedSection) {
    open();
    ASSERT_EQ(fake.windows.madeCount, 1);
    fakes::FakeWindow& w = window();
    EXPECT_EQ(w.options.title, "Quorlix");
    EXPECT_EQ(w.options.size, (Size{620, 720}));
    EXPECT_TRUE(w.visible);
    EXPECT_EQ(w.focusClears, 1);  // after the show, on the main queue

    // A click on a sidebar row selects its section.
    click(rowId(SettingsSection::battery));
    EXPECT_EQ(controller->selection.section.get(), SettingsSection::battery);
    EXPECT_NE(shown().findText("Batería"), nullptr);

    w.miniaturize();
    w.close();
    controller->show(SettingsSection::updates);
    EXPECT_EQ(fake.windows.madeCount, 1);
    EXPECT_FALSE(w.miniaturized);
    EXPECT_TRUE(w.visible);
    EXPECT_EQ(w.contentsSet, 1);
    EXPECT_EQ(controller->selection.section.get(), SettingsSection::updates);
    EXPECT_EQ(w.focusClears, 1);
    fake.time.runPending();
    EXPECT_EQ(w.focusClears, 2);
}

TEST_F(SettingsWindowTest, TheSearchTextStaysAcrossACloseAndTheFocusResetOutlivesNothing) {
    open();
    search("pantalla");
    window().close();
    open(SettingsSection::general);
    EXPECT_TRUE(has(rowId(SettingsSection::lockScreen)));
    EXPECT_FALSE(has(rowId(SettingsSection::media)));
    EXPECT_NE(shown().findText("pantalla"), nullptr);

    // The focus reset is posted; the controller and its window go before it runs.
    controller->show(SettingsSection::media);
    controller.reset();
    fake.time.runPending();  // nothing left to touch, nothing touched
    EXPECT_TRUE(fake.windows.live.empty());
}

TEST_F(SettingsWindowTest, TheApplicationOpensTheWindowThroughItsEntries) {
    app->applicationDidFinishLaunching();
    fake.time.runPending();
    const int before = fake.windows.madeCount;
    EXPECT_TRUE(app->applicationShouldHandleReopen());
    AppActions::openSettingsSection(SettingsSection::privacy);
    fake.time.runPending();
    EXPECT_EQ(fake.windows.madeCount, before + 1);
    fakes::FakeWindow& w = *fake.windows.live.back();
    w.host().render();
    EXPECT_TRUE(w.visible);
    EXPECT_NE(w.shown().findText("Privacidad"), nullptr);
}

TEST_F(SettingsWindowTest, ThePaneAreaIs366PointsWideAndItsBlocksKeepTheirRhythm) {
    open();
    // The first card of General spans the pane's width, 22 points in from the sidebar.
    const ui::DisplayItem* login = shown().findText("Abrir al iniciar sesión");
    ASSERT_NE(login, nullptr);
    const Rect header = frame("pane:general");
    EXPECT_EQ(header.x(), 210);
    EXPECT_EQ(header.width(), 410);
    EXPECT_EQ(frame("pane.content").x(), 232);
    EXPECT_EQ(frame("pane.content").width(), 366);

    using namespace ui;
    const View pane = VStack({.alignment = HorizontalAlignment::leading, .spacing = 0},
                             {
                                 View(Card{{ToggleRow{"Uno", Binding<bool>::constant(true)}, RowDivider{},
                                            ToggleRow{"Dos", Binding<bool>::constant(false), "hand.draw"}}})
                                     .id("card"),
                                 View(Footnote{std::string(300, 'x') + " fin"}).id("note"),
                             })
                          .frame({.width = 366});
    ui::testing::Layout layout(pane, {366, 600});
    const Rect card = layout.frame("card");
    EXPECT_EQ(card.width(), 366);
    EXPECT_EQ(card.height(), 97 + 10);  // two rows and a divider, then the card's gap
    EXPECT_EQ(layout.frame("Uno").x(), 15);
    EXPECT_EQ(layout.frame("Dos").x(), 43);
    const ui::DisplayItem& note = layout.text((std::string(300, 'x') + " fin").c_str());
    EXPECT_EQ(note.frame.y(), 97 + 7);
    EXPECT_FALSE(note.truncated);
    EXPECT_GT(note.frame.height(), 30);  // wrapped onto several lines
    EXPECT_LE(note.frame.width(), 366 - 12);
}

}  // namespace
}  // namespace quorlix
