// Repainting only what changed: the damage between two frames, and the property that a
// window repainting only its damaged region shows what a full repaint shows, over random
// sequences of changes.

#include "ui/damage.h"
#include "fakes/fixed_font_engine.h"
#include "fakes/virtual_time.h"
#include "qt_test_support.h"
#include "ui/qt/qt_canvas.h"
#include "ui/ui.h"
#include "ui/view_host.h"

#include <QDir>
#include <QFile>

#include <random>

namespace quorlix::ui {
namespace {
// Its own names: the test program is compiled a few files at a time as one unit.
namespace damage_test {

using testing::pixel;

// ---- The damage of simple changes ----

const DisplayItem& listOf(ViewGraph& graph, const View& view) { return graph.update(view, {300, 200}); }

// The union of a region's rectangles, for checks that need one rectangle.
Rect boundsOf(const Region& r) { return r.bounds(); }

bool covers(const Region& region, const Rect& r) {
    const Rect b = region.bounds();
    return b.minX() <= r.minX() && b.minY() <= r.minY() && b.maxX() >= r.maxX() && b.maxY() >= r.maxY();
}

struct Panel {
    std::string label = "1:24";
    double progress = 40;
    Color accent = Color::white;
    double shadowRadius = 12;
    bool contentShadow = false;

    View build() const {
        const View row =
            HStack({.spacing = 6}, {
                                       Text(label).font(Font::system(10)).frame({.width = 40}).id("label"),
                                       ZStack({.alignment = Alignment::leading},
                                              {
                                                  Capsule().fill(Color::white.opacity(0.2)),
                                                  Capsule().fill(accent).frame({.width = progress}),
                                              })
                                           .frame({.width = 120, .height = 4})
                                           .id("bar"),
                                   });
        View body = row.padding(20).frame({.width = 220, .height = 80});
        // The island's body: content clipped to an outline that an opaque fill of it covers; or
        // content with a shadow of its own.
        if (contentShadow) return body.shadow(Color::black, shadowRadius, 0, 6);
        return body.background(RoundedRectangle(24).fill(Color::black))
            .clipShape(RoundedRectangle(24))
            .shadow(Color::black.opacity(0.5), shadowRadius, 0, 6);
    }
};

TEST(Damage, CoversWhatChangedAndNothingWhenNothingDid) {
    fakes::FixedFontEngine fonts;
    ViewGraph a(fonts), b(fonts);
    Panel panel;
    const DisplayItem& before = listOf(a, panel.build());
    EXPECT_TRUE(damageBetween(before, listOf(b, panel.build())).isEmpty());

    // A new label damages the label, not the bar beside it nor the island's shadow.
    panel.label = "1:25";
    const DisplayItem& relabelled = listOf(b, panel.build());
    const Region text = damageBetween(before, relabelled);
    ASSERT_FALSE(text.isEmpty());
    const Rect label = relabelled.findId("label")->frame;
    const Rect bar = relabelled.findId("bar")->frame;
    EXPECT_TRUE(covers(text, relabelled.findText("1:25")->visualBounds()));
    EXPECT_TRUE(covers(text, before.findText("1:24")->visualBounds()));
    EXPECT_FALSE(text.intersects(bar));
    EXPECT_LT(boundsOf(text).width(), 80);

    // A longer bar damages the part of the bar that changed.
    panel.label = "1:24";
    panel.progress = 60;
    const Region longer = damageBetween(before, listOf(b, panel.build()));
    EXPECT_TRUE(longer.intersects({bar.minX() + 45, bar.minY(), 10, bar.height()}));
    EXPECT_FALSE(longer.intersects(label));
    // Its moving end alone, rounded corner and all: the start stands as it was...
    EXPECT_FALSE(longer.intersects({bar.minX(), bar.minY(), 30, bar.height()}));
    EXPECT_TRUE(covers(longer, {bar.minX() + 38, bar.minY(), 22, bar.height()}));
    // ...unless the fill changed too: then all of it.
    panel.accent = Color::orange;
    const Region recoloured = damageBetween(before, listOf(b, panel.build()));
    EXPECT_TRUE(covers(recoloured, {bar.minX(), bar.minY(), 60, bar.height()}));
    panel.accent = Color::white;

    // A new shadow radius damages the shadow around the island.
    panel.progress = 40;
    panel.shadowRadius = 20;
    const Region shadow = damageBetween(before, listOf(b, panel.build()));
    EXPECT_GT(boundsOf(shadow).width(), 220 + 2 * 20);
}

// A view built again is compared; the rest of the tree keeps the stamp of the render that
// drew it and is not looked into, unless an animation moves it.
struct Clock : ObservableObject {
    Published<std::string> label{this, "1:24"};
    Published<double> progress{this, 40};
};

struct ClockLabel {
    Clock* clock;
    View body(Context& ctx) const {
        ctx.observe(*clock);
        return Text(clock->label.get()).font(Font::system(10)).frame({.width = 40}).id("label");
    }
};

struct ClockBar {
    Clock* clock;
    View body(Context& ctx) const {
        ctx.observe(*clock);
        return Capsule().fill(Color::white).frame({.width = clock->progress.get(), .height = 4}).id("bar");
    }
};

TEST(Damage, OnlyWhatWasDrawnAnewIsCompared) {
    fakes::FixedFontEngine fonts;
    ViewGraph graph(fonts);
    Clock labelClock, barClock;
    const View root = HStack({.spacing = 6}, {ClockLabel{&labelClock}, ClockBar{&barClock}}).padding(20);
    graph.update(root, {300, 200});
    const std::shared_ptr<const DisplayItem> before = graph.shownList();

    labelClock.label = "1:25";
    graph.invalidate(labelClock);
    graph.update(root, {300, 200});
    graph.present(0);
    const std::shared_ptr<const DisplayItem> after = graph.shownList();
    const auto stampOf = [](const DisplayItem& list, const char* id) { return list.findId(id)->stamp; };
    EXPECT_NE(stampOf(*after, "bar"), 0u);
    EXPECT_EQ(stampOf(*after, "bar"), stampOf(*before, "bar")) << "the bar was not drawn anew";
    EXPECT_NE(stampOf(*after, "label"), stampOf(*before, "label"));
    EXPECT_NE(after->children.front().stamp, before->children.front().stamp) << "nor its ancestors";
    // Nor was its item made again: the list below it is the one the last render made.
    EXPECT_TRUE(after->findId("bar")->children.sharesWith(before->findId("bar")->children));
    EXPECT_FALSE(after->findId("label")->children.sharesWith(before->findId("label")->children));
    const Region damage = damageBetween(*before, *after);
    EXPECT_TRUE(covers(damage, after->findText("1:25")->visualBounds()));
    EXPECT_FALSE(damage.intersects(after->findId("bar")->frame));

    // What carries an equal stamp is not looked into, whatever it holds.
    DisplayItem altered = *after;
    const auto alter = [](DisplayItem& list, bool keepStamps) {
        std::function<void(DisplayItem&)> walk = [&](DisplayItem& i) {
            if (!keepStamps) i.stamp = 0;
            if (i.shape) i.fill = Paint::solid(Color::red);
            for (auto& c : i.children.edit()) walk(c);
        };
        walk(list);
    };
    alter(altered, true);
    EXPECT_TRUE(damageBetween(*after, altered).isEmpty());
    EXPECT_EQ(after->findId("bar")->find([](const DisplayItem& i) { return i.shape != nullptr; })->fill,
              Paint::solid(Color::white))
        << "a copy changed leaves the list it was copied from as it was";
    alter(altered, false);
    EXPECT_TRUE(damageBetween(*after, altered).intersects(after->findId("bar")->frame));

    // An animated change is drawn at every frame, though the list it animates to stays the same.
    withAnimation(Animation::linear(1), [&] {
        barClock.progress = 100;
        graph.invalidate(barClock);
    });
    graph.update(root, {300, 200}, {}, {0, Date(0)});
    graph.present(0.25);
    const std::shared_ptr<const DisplayItem> quarter = graph.shownList();
    graph.present(0.5);
    const std::shared_ptr<const DisplayItem> half = graph.shownList();
    EXPECT_EQ(stampOf(*half, "bar"), 0u);
    EXPECT_TRUE(damageBetween(*quarter, *half).intersects(half->findId("bar")->frame));

    // A list held stays as it was through the updates after it: its room goes to no later list.
    graph.update(root, {300, 200}, {}, {1, Date(1)});
    ASSERT_NE(before->findText("1:24"), nullptr);
    EXPECT_EQ(before->findText("1:25"), nullptr);
    EXPECT_EQ(before->findId("bar")->frame.size.width, 40);
}

// Bounds found for a subtree while repainting a part are kept with it for its stamp: a copy
// moved and unstamped (as an animation shows it) is found where it is now.
TEST(Damage, KeptBoundsFollowTheStamp) {
    fakes::FixedFontEngine fonts;
    ViewGraph graph(fonts);
    const DisplayItem& list =
        listOf(graph, VStack({Color::red.frame({.width = 20, .height = 20}).id("box")})
                          .frame({.width = 300, .height = 200, .alignment = Alignment::topLeading}));
    QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    qt::repaintRegion(image, list, 1, Region(Rect{{0, 0}, {50, 50}}));
    const QColor red = pixel(image, 10, 10);
    ASSERT_EQ(red.alpha(), 255);

    DisplayItem moved = list;
    std::function<void(DisplayItem&)> move = [&](DisplayItem& i) {
        i.stamp = 0;
        if (i.explicitId == detail::idHash(std::string_view("box")))
            i.transform = Transform::translation(200, 100);
        for (auto& c : i.children.edit()) move(c);
    };
    move(moved);
    image.fill(Qt::transparent);
    qt::repaintRegion(image, moved, 1, Region(Rect{{200, 100}, {20, 20}}));
    EXPECT_EQ(pixel(image, 210, 110), red);
}

TEST(Damage, AChangeUnderAShadowOfContentSpreadsByTheShadow) {
    fakes::FixedFontEngine fonts;
    ViewGraph a(fonts), b(fonts);
    Panel panel;
    panel.contentShadow = true;
    const DisplayItem& before = listOf(a, panel.build());
    panel.label = "1:25";
    const DisplayItem& after = listOf(b, panel.build());
    const Rect label = after.findId("label")->frame;
    const Region damage = damageBetween(before, after);
    // The label's shadow lies 6 points below it, blurred by 12.
    EXPECT_TRUE(covers(damage, label.offsetBy(0, 6).insetBy(-12, -12)));
}

TEST(Damage, ViewsComingAndGoingDamageTheirBounds) {
    fakes::FixedFontEngine fonts;
    ViewGraph a(fonts), b(fonts);
    auto tree = [](bool badge) {
        return VStack({Color::red.frame({.width = 50, .height = 20}).id("keep"),
                       If(badge, View(Color::blue.frame({.width = 30, .height = 30}).id("badge")))});
    };
    const DisplayItem& with = listOf(a, tree(true));
    const Rect badge = with.findId("badge")->frame;
    const Region gone = damageBetween(with, listOf(b, tree(false)));
    EXPECT_TRUE(covers(gone, badge));
}

TEST(Damage, ATextDamagesOnlyTheGlyphsItChanges) {
    fakes::FixedFontEngine fonts;
    ViewGraph a(fonts), b(fonts);
    const auto clock = [](const std::string& time, bool rolls) {
        View text = Text(time).font(Font::system(40).monospacedDigit()).frame({.width = 200}).id("clock");
        if (rolls) text = text.contentTransition(ContentTransition::numericText());
        return text.shadow(Color::black.opacity(0.3), 4, 0, 2);
    };
    for (const bool rolls : {false, true}) {
        SCOPED_TRACE(rolls ? "rolling" : "plain");
        const DisplayItem& before = listOf(a, clock("12:34", rolls));
        const DisplayItem& after = listOf(b, clock("12:35", rolls));
        const Region damage = damageBetween(before, after);
        ASSERT_FALSE(damage.isEmpty());
        // The last digit's glyphs before and after, with the shadow's reach, and not the first.
        const DisplayItem& text = *after.findText("12:35");
        const TextRun& last = text.runs.back();
        ASSERT_EQ(last.text, "5");
        EXPECT_TRUE(covers(damage, runBounds(last)));
        EXPECT_TRUE(covers(damage, runBounds(before.findText("12:34")->runs.back())));
        EXPECT_FALSE(damage.intersects(runBounds(text.runs.front())));
        EXPECT_LT(boundsOf(damage).width(), after.visualBounds().width() / 2);
    }
}

// ---- Repainting the damage shows what a full repaint shows ----

struct Knobs : ObservableObject {
    Published<std::string> label{this, "1:24"};
    Published<double> progress{this, 40};
    Published<double> width{this, 220};
    Published<bool> badge{this, false};
    Published<double> fade{this, 1};
    Published<double> shadowRadius{this, 10};
    Published<bool> capsule{this, false};
    Published<double> nudge{this, 0};
    Published<int> minute{this, 24};
    Published<double> blur{this, 0};
    Published<bool> paused{this, false};
    Published<int> art{this, 0};
    Published<int> tag{this, 0};
};

platform::Image picture(int seed) {
    std::vector<std::uint8_t> px(24 * 24 * 4);
    for (std::size_t i = 0; i < px.size(); ++i)
        px[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>((i * 37 + seed * 91) % 251);
    return *platform::Image::fromRGBA(24, 24, std::move(px));
}

struct Scene {
    Knobs* knobs;
    const std::vector<platform::Image>* pictures;

    View body(Context& ctx) const {
        Knobs& k = *knobs;
        ctx.observe(k);
        const AnyShape outline = k.capsule.get()
                                     ? AnyShape(Capsule())
                                     : AnyShape(RoundedRectangle(18, RoundedCornerStyle::continuous));
        const View bars =
            TimelineView(TimelineSchedule::animation(1.0 / 30, k.paused.get()), [](const TimelineContext& t) {
                Views v;
                for (int i = 0; i < 4; ++i) {
                    const double h = 3 + 9 * (0.5 + 0.5 * std::sin(t.date.secondsSince1970 * (3 + i)));
                    v.push_back(Capsule().fill(Color::white).frame({.width = 2, .height = h}));
                }
                return HStack({.spacing = 2}, std::move(v)).frame({.height = 12});
            });
        const View artwork = Image((*pictures)[static_cast<std::size_t>(k.art.get()) % pictures->size()])
                                 .resizable()
                                 .frame({.width = 36, .height = 36})
                                 .clipShape(RoundedRectangle(8))
                                 .shadow(Color::black.opacity(0.4), 6, 0, 3)
                                 .offset(k.nudge.get(), 0);
        const View row = HStack(
            {.spacing = 6},
            {
                artwork,
                VStack({.alignment = HorizontalAlignment::leading, .spacing = 4},
                       {
                           Text("Canción de la orilla")
                               .font(Font::system(11, FontWeight::semibold))
                               .lineLimit(1),
                           ZStack({.alignment = Alignment::leading},
                                  {
                                      Capsule().fill(Color::white.opacity(0.2)),
                                      Capsule().fill(Color::white).frame({.width = k.progress.get()}),
                                  })
                               .frame({.width = 100, .height = 4}),
                           HStack({Text(k.label.get()).monospacedDigit(), Spacer(), Text("-2:31")})
                               .font(Font::system(9))
                               .frame({.width = 100}),
                       }),
                bars.opacity(k.fade.get()),
                If(k.badge.get(),
                   View(Circle()
                            .fill(Color::orange)
                            .frame({.width = 10, .height = 10})
                            .transition(AnyTransition::scale(0.5).combined(AnyTransition::opacity())))),
            });
        return VStack({.spacing = 10},
                      {
                          row.padding(12)
                              .frame({.width = k.width.get(), .height = 70})
                              .background(outline.fill(Color::black))
                              .clipShape(outline)
                              .shadow(Color::black.opacity(0.5), k.shadowRadius.get(), 0, 5)
                              .animation(Animation::spring(0.3, 0.7), k.width.get()),
                          Text("desenfocado")
                              .font(Font::system(14, FontWeight::bold))
                              .foregroundStyle(Color::yellow)
                              .blur(k.blur.get()),
                          // Kept layers whose content changes in a small part of them.
                          HStack({
                              Text(std::to_string(k.tag.get()))
                                  .font(Font::system(9))
                                  .padding(Edges::horizontal, 30)
                                  .padding(Edges::vertical, 12)
                                  .background(RoundedRectangle(10).fill(Color::teal))
                                  .cachedLayer(),
                              Text(std::to_string(k.art.get()))
                                  .font(Font::system(9))
                                  .padding(Edges::horizontal, 30)
                                  .padding(Edges::vertical, 12)
                                  .background(RoundedRectangle(10).fill(Color::indigo))
                                  .blur(1.5),
                              // A clock whose digits roll, casting a shadow.
                              Text("12:" + std::to_string(k.minute.get()))
                                  .font(Font::system(16, FontWeight::bold).monospacedDigit())
                                  .shadow(Color::black.opacity(0.4), 5, 0, 2)
                                  .contentTransition(ContentTransition::numericText()),
                          }),
                      })
            .foregroundStyle(Color::white);
    }
};

// Largest difference of any channel between two images of one size.
int largestDifference(const QImage& a, const QImage& b, QPoint* where) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = a.constScanLine(y);
        const auto* q = b.constScanLine(y);
        for (int i = 0; i < a.bytesPerLine(); ++i) {
            const int d = std::abs(int(p[i]) - int(q[i]));
            if (d > worst) {
                worst = d;
                *where = {i / 4, y};
            }
        }
    }
    return worst;
}

TEST(Damage, RepaintingTheDamagedRegionShowsWhatAFullRepaintShows) {
    fakes::VirtualTime time;
    const Size size{320, 180};
    const double scale = 2;
    Knobs knobs;
    const std::vector<platform::Image> pictures{picture(1), picture(2)};
    ViewHost host(qt::QtFontEngine::shared(), View(Scene{&knobs, &pictures}), size);

    QImage damaged(640, 360, QImage::Format_ARGB32_Premultiplied);
    std::shared_ptr<const DisplayItem> painted;
    int frames = 0, emptyFrames = 0;
    double damagedArea = 0;
    bool failed = false;
    std::string step = "start";
    host.onFrame = [&] {
        std::shared_ptr<const DisplayItem> next = host.shownList();
        if (!painted) {
            damaged.fill(Qt::transparent);
            qt::repaintRegion(damaged, *next, scale, Region(Rect{{0, 0}, size}));
        } else {
            const Region damage = damageBetween(*painted, *next);
            emptyFrames += damage.isEmpty();
            damagedArea += damage.area();
            qt::repaintRegion(damaged, *next, scale, damage);
        }
        painted = next;
        ++frames;
        // Every few frames, and at the end, the full picture with a cache of its own (every
        // kept result made afresh) must match.
        if (failed || frames % 4 != 0) return;
        qt::EffectCache fresh;
        QImage whole(640, 360, QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::transparent);
        qt::repaintRegion(whole, *next, scale, Region(Rect{{0, 0}, size}), false, &fresh);
        QPoint at;
        const int worst = largestDifference(damaged, whole, &at);
        if (worst > 1) {
            failed = true;
            ADD_FAILURE() << "frame " << frames << " after " << step << ": differs by " << worst << " at "
                          << at.x() << ", " << at.y();
        }
    };
    host.render();

    std::mt19937 random(20240611);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto animated = [&](const std::function<void()>& change) {
        if (pick(2))
            withAnimation(Animation::spring(0.3, 0.7), change);
        else
            change();
    };
    for (int i = 0; i < 52 && !failed; ++i) {
        switch (pick(13)) {
            case 0:
                step = "label";
                knobs.label = std::to_string(pick(9)) + ":" + std::to_string(10 + pick(50));
                break;
            case 1:
                step = "progress";
                animated([&] { knobs.progress = 5 + pick(95); });
                break;
            case 2:
                step = "width";
                animated([&] { knobs.width = 180 + pick(120); });
                break;
            case 3:
                step = "badge";
                withAnimation(Animation::easeOut(0.2), [&] { knobs.badge = !knobs.badge.get(); });
                break;
            case 4:
                step = "fade";
                animated([&] { knobs.fade = pick(5) / 4.0; });
                break;
            case 5:
                step = "shadow";
                animated([&] { knobs.shadowRadius = pick(24); });
                break;
            case 6:
                step = "outline";
                animated([&] { knobs.capsule = !knobs.capsule.get(); });
                break;
            case 7:
                step = "nudge";
                animated([&] { knobs.nudge = pick(21) - 10 + pick(4) / 4.0; });
                break;
            case 8:
                step = "blur";
                knobs.blur = pick(3) * 2.5;
                break;
            case 9:
                step = "pause";
                knobs.paused = !knobs.paused.get();
                break;
            case 10:
                step = "art";
                knobs.art = pick(2);
                break;
            case 11:
                step = "tag";
                knobs.tag = pick(10);
                break;
            case 12:
                step = "minute";
                animated([&] { knobs.minute = 10 + pick(50); });
                break;
        }
        time.advance(std::uniform_real_distribution<double>(0.02, 0.2)(random));
    }
    knobs.paused = true;
    time.advance(1);
    EXPECT_GT(frames, 60);
    // Damage stayed a part of the canvas on average.
    EXPECT_LT(damagedArea / frames, 0.6 * size.width * size.height);
    // A render that changes nothing damages nothing.
    const int still = emptyFrames;
    knobs.label = knobs.label.get();
    time.advance(0.1);
    EXPECT_EQ(emptyFrames, still + 1);
}

// Tall outlines, solid (opaque and translucent, at rest and inside a faded group) and filled
// with a gradient, at a scale and a fractional offset: repainting parts of them (one band,
// several bands, two rectangles at once) gives exactly the pixels a full repaint gives.
TEST(Damage, APartRepaintedDrawsTallFillsExactlyAsTheWholeDoes) {
    fakes::VirtualTime time;
    const Size size{200, 160};
    const double scale = 2;
    const View view = HStack({.spacing = 8},
                             {
                                 RoundedRectangle(26, RoundedCornerStyle::continuous)
                                     .fill(Color::black)
                                     .frame({.width = 60, .height = 120}),
                                 Capsule().fill(Color::teal.opacity(0.6)).frame({.width = 30, .height = 130}),
                                 RoundedRectangle(8)
                                     .fill(LinearGradient({Color::pink, Color::purple, Color::blue},
                                                          UnitPoint::topLeading, UnitPoint::bottomTrailing))
                                     .frame({.width = 40, .height = 110}),
                                 Circle().fill(Color::orange).frame({.width = 40, .height = 90}).opacity(0.5),
                             })
                          .offset(0.3, 0.45)
                          .background(Color::sRGB(0.11, 0.11, 0.125, 0.94));
    ViewHost host(qt::QtFontEngine::shared(), view, size);
    host.render();
    const DisplayItem& list = host.displayList();
    QImage whole(400, 320, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    qt::repaintRegion(whole, list, scale, Region(Rect{{0, 0}, size}));

    const std::vector<std::pair<const char*, Region>> parts{
        {"a band", Region(Rect{10, 20, 180, 20})},
        {"several bands", Region(Rect{3.5, 7.25, 190, 140})},
        {"two rectangles",
         [] {
             Region r(Rect{0, 0, 120, 100});
             r.add(Rect{90, 60, 100, 90});
             return r;
         }()},
    };
    for (const auto& [name, part] : parts) {
        QImage repainted = whole.copy();
        {
            // What lay there before must not show through.
            QPainter painter(&repainted);
            for (const QRect& r : qt::deviceRegion(part, scale, repainted.rect()))
                painter.fillRect(r, Qt::magenta);
        }
        qt::repaintRegion(repainted, list, scale, part);
        QPoint at;
        EXPECT_EQ(largestDifference(repainted, whole, &at), 0) << name << " at " << at.x() << ", " << at.y();
    }
}

// How often Qt's drawing threads have slept, summed, a thread started counting once (/proc):
// work handed to Qt's thread pool wakes one of them (or starts one), which sleeps again after.
long pooledThreadSleeps() {
    long sleeps = 0;
    const QDir tasks("/proc/self/task");
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + "/comm")), status(tasks.filePath(task + "/status"));
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "Thread (pooled)" ||
            !status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:")) sleeps += 1 + line.mid(24).trimmed().toLong();
    }
    return sleeps;
}

// The island's ground, an opaque outline many bands of rows tall clipped to itself, repainted
// in part at each frame of a spring: Qt writes an opaque colour on the drawing thread, so no
// part of it is handed to Qt's thread pool (a wake-up there costs more than the rows it fills).
TEST(Damage, APartRepaintedFillsAnOpaqueGroundWithoutWakingQtsThreads) {
    fakes::VirtualTime time;
    const AnyShape ground = RoundedRectangle(20, RoundedCornerStyle::continuous);
    const Size size{140, 170};
    const View view = Color::clear.frame({.width = 120, .height = 150})
                          .background(ground.fill(Color::black))
                          .clipShape(ground)
                          .offset(0.3, 0.45);
    ViewHost host(qt::QtFontEngine::shared(), view, size);
    host.render();
    QImage image(280, 340, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    qt::repaintRegion(image, host.displayList(), 2, Region(Rect{{0, 0}, size}));

    const long before = pooledThreadSleeps();
    for (int frame = 0; frame < 8; ++frame)
        qt::repaintRegion(image, host.displayList(), 2, Region(Rect{2.5 + frame, 4, 130, 160}));
    // None woken (one ending on its idle timeout leaves the sum).
    EXPECT_LE(pooledThreadSleeps() - before, 0);
}

}  // namespace damage_test
}  // namespace
}  // namespace quorlix::ui
