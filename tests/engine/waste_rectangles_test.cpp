#include "engine/WasteBuilder.h"
#include "support/host_fixture.h"
#include "waste_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using waste_test::Box;
using waste_test::GabaritOf;
using waste_test::Hole;
using waste_test::Ring;

namespace {

VectorPolygon Decompose(const NPolygonPtr& sheet, const std::vector<VectorPolygon>& figures, double figureGap,
                        double minSize)
{
    WasteBuilder builder;
    builder.Init(figureGap, 20.0);
    VectorPolygon outs;
    builder.DecomposeToRectangles(sheet, figures, minSize, outs);
    return outs;
}

void ExpectPoints(const NPolygon& polygon, const std::vector<NPoint>& expected)
{
    ASSERT_EQ(polygon.m_points.size(), expected.size());
    for (size_t k = 0; k < expected.size(); ++k) {
        EXPECT_NEAR(polygon.m_points[k].x, expected[k].x, 1e-9) << "vertex " << k;
        EXPECT_NEAR(polygon.m_points[k].y, expected[k].y, 1e-9) << "vertex " << k;
    }
}

bool Contains(const VectorPolygon& outs, const NRect& rect)
{
    return std::any_of(outs.begin(), outs.end(), [&rect](const NPolygonPtr& p) {
        const NRect g = GabaritOf(*p);
        return std::fabs(g.pBot.x - rect.pBot.x) < 1e-6 && std::fabs(g.pBot.y - rect.pBot.y) < 1e-6 &&
               std::fabs(g.pTop.x - rect.pTop.x) < 1e-6 && std::fabs(g.pTop.y - rect.pTop.y) < 1e-6;
    });
}

}  // namespace

// A part in the corner of a 1000 x 500 sheet leaves an L of free area: two
// rectangles, inset by the gap where they face the part, and snapped together
// where they lay against each other.
TEST(WasteRectangles, PartInTheCornerLeavesTwoRectangles)
{
    const VectorPolygon outs = Decompose(Box(0, 0, 1000, 500), {{Box(0, 0, 200, 200)}}, 5.0, 50.0);
    ASSERT_EQ(outs.size(), 2u);
    ExpectPoints(*outs[0], {{1000, 0}, {205, 0}, {205, 500}, {1000, 500}});
    ExpectPoints(*outs[1], {{205, 205}, {0, 205}, {0, 500}, {205, 500}});
    for (const NPolygonPtr& p : outs) {
        EXPECT_DOUBLE_EQ(p->m_pole.x, 0.0);
        EXPECT_DOUBLE_EQ(p->m_pole.y, 0.0);
    }
}

// The remnants of simple layouts, by their number and the rectangles among
// them: none without a sheet or parts, or where the parts cover the sheet;
// touching parts leave the area above them, which a small part on top splits
// into two remnants snapped together again after the inset; parts without an
// outline are skipped; a remnant is kept only when it exceeds the minimum size
// less the tolerance (100 x 50 free, 100 x 45 once the gap of 5 has cut it
// down); vertex coordinates closer than 0.1 make one grid line, at the one
// met first, the sheet's; rectangles narrower than 2.5 times the gap are
// dropped by the inset; a right triangle's slanted side runs along the cell
// diagonal, and the cell is taken although its centre lies on the border.
TEST(WasteRectangles, SimpleLayoutsLeaveTheirRemnants)
{
    const NPolygonPtr sheet = Box(0, 0, 1000, 500), square = Box(0, 0, 100, 100);
    const struct {
        const char* name;
        NPolygonPtr sheet;
        std::vector<VectorPolygon> parts;
        double gap, minSize;
        size_t count;
        std::vector<NRect> rectangles{};  // among the remnants
    } cases[] = {
        {"no sheet", nullptr, {{Box(0, 0, 10, 10)}}, 5, 50, 0},
        {"no parts", sheet, {}, 5, 50, 0},
        {"an empty sheet", Ring({}), {{Box(0, 0, 10, 10)}}, 5, 50, 0},
        {"the sheet covered", sheet, {{Box(0, 0, 1000, 500)}}, 5, 50, 0},
        {"the sheet covered and more", sheet, {{Box(-10, -10, 1010, 510)}}, 5, 50, 0},
        {"touching parts", square, {{Box(0, 0, 50, 50)}, {Box(50, 0, 100, 50)}, {Box(20, 50, 30, 60)}}, 5, 30, 2,
         {{{35, 55}, {100, 100}}, {{0, 65}, {35, 100}}}},
        {"parts without outline", sheet, {{}, {nullptr}, {Ring({})}, {Box(0, 0, 1000, 250)}}, 5, 50, 1,
         {{{0, 255}, {1000, 500}}}},
        {"the minimum size", square, {{Box(0, 0, 100, 50)}}, 5, 45, 1},
        {"the minimum size and a hair", square, {{Box(0, 0, 100, 50)}}, 5, 45.0002, 0},
        {"the minimum size uncut", square, {{Box(0, 0, 100, 50)}}, 5, 50, 0},
        {"close coordinates", square, {{Box(0, 0, 99.95, 50)}}, 5, 20, 1, {{{0, 55}, {100, 100}}}},
        {"2.5 gaps of 4", square, {{Box(0, 0, 100, 90)}}, 4, 5, 0},
        {"2.5 gaps of 3.9", square, {{Box(0, 0, 100, 90)}}, 3.9, 5, 1},
        {"a triangle", square, {{Ring({{0, 0}, {100, 0}, {0, 100}})}}, 5, 20, 0},
    };
    for (const auto& c : cases) {
        const VectorPolygon outs = Decompose(c.sheet, c.parts, c.gap, c.minSize);
        EXPECT_EQ(outs.size(), c.count) << c.name;
        for (const NRect& r : c.rectangles)
            EXPECT_TRUE(Contains(outs, r)) << c.name;
    }
}

// Two small rectangles stacked between parts (40..80 by 70..90 and by
// 90..100) are united into one remnant big enough to keep, also once the
// gap has cut it down.
TEST(WasteRectangles, SmallRectanglesAreUnitedIntoARemnant)
{
    const std::vector<VectorPolygon> parts{{Box(10, 90, 40, 100)}, {Box(80, 70, 100, 100)}, {Box(30, 10, 100, 70)}};
    WasteBuilder builder;
    builder.Init(1.0, 0.0);
    VectorPolygon outs;
    builder.DecomposeToRectangles(Box(0, 0, 100, 100), parts, 28.0, outs);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_TRUE(Contains(outs, {{0, 0}, {29, 70}}));
    EXPECT_TRUE(Contains(outs, {{41, 71}, {79, 100}}));
    EXPECT_TRUE(std::any_of(builder.m_restRectangles.begin(), builder.m_restRectangles.end(),
                            [](const auto& r) { return r->x1 == 80 && r->y1 == 90 && r->x2 == 40; }));
}

// Cells lying inside a part's hole are free; the frame itself is not.
TEST(WasteRectangles, CellsInsideAHoleAreFree)
{
    const std::vector<VectorPolygon> parts{
        {Box(100, 100, 900, 900), Hole(300, 300, 700, 700)},
        {Box(350, 350, 360, 360)},
        {Box(640, 640, 650, 650)},
    };
    const VectorPolygon outs = Decompose(Box(0, 0, 1000, 1000), parts, 5.0, 50.0);
    ASSERT_EQ(outs.size(), 6u);
    const NRect inHole{{365, 305}, {695, 635}};
    ASSERT_TRUE(Contains(outs, inHole));
    const NPolygonPtr remnant = Box(inHole.pBot.x, inHole.pBot.y, inHole.pTop.x, inHole.pTop.y);
    EXPECT_GE(waste_test::BoundaryDistance(*remnant, *parts[0][1]), 5.0 - 1e-6);
    EXPECT_TRUE(waste_test::KeepApart(*remnant, *parts[1][0], 5.0 - 1e-6));
    EXPECT_TRUE(waste_test::KeepApart(*remnant, *parts[2][0], 5.0 - 1e-6));
}

// A washer (r 35, hole r 15) whose rings follow the circles finely or
// coarsely, turned and shifted off the grid: its hole's slug, a free circle
// of 20 once the gap of 5 is kept, holds one remnant of at least two thirds
// of the square that fits it (14.14 × 14.14), not a thin strip.
TEST(WasteRectangles, HoleSlugHoldsARectangleWhateverTheRingsAndTheirPlace)
{
    struct Row { double sag, turn, shift; };
    const auto circle = [](double r, double sag, double turn, bool hole) {
        const int n = 8 * static_cast<int>(std::ceil(PI / 4 / (2.0 * std::acos(1.0 - sag / r))));
        std::vector<NPoint> points;
        for (int k = 0; k < n; ++k) {
            const double a = (hole ? -2.0 : 2.0) * PI * k / n + turn;
            const double reach = hole ? r : r / std::cos(PI / n); // the part's side of the circle
            points.push_back({reach * std::cos(a), reach * std::sin(a)});
        }
        return Ring(points);
    };
    for (const Row& row : {Row{0.025, 0.0, 0.0}, Row{0.025, 0.5, 0.37}, Row{0.1, 0.1, 0.0}, Row{1.0, 0.3, 0.37},
                           Row{2.5, 0.1, 0.0}, Row{2.5, 0.5, 0.37}}) {
        SCOPED_TRACE(testing::Message() << "sag " << row.sag << " turn " << row.turn);
        VectorPolygon washer{circle(35, row.sag, row.turn, false), circle(15, row.sag, row.turn, true)};
        const NPoint centre{50 + row.shift, 50 + 0.7 * row.shift};
        for (const NPolygonPtr& ring : washer)
            ring->Offset(centre);
        const VectorPolygon outs = Decompose(Box(0, 0, 400, 300), {washer}, 5.0, 1.0);
        const auto slug = std::find_if(outs.begin(), outs.end(), [&](const NPolygonPtr& p) {
            const NRect g = GabaritOf(*p);
            return std::fabs(g.pBot.x - centre.x) < 15 && std::fabs(g.pTop.x - centre.x) < 15;
        });
        ASSERT_NE(slug, outs.end());
        const NRect g = GabaritOf(**slug);
        const double w = g.pTop.x - g.pBot.x, h = g.pTop.y - g.pBot.y;
        EXPECT_TRUE(std::min(w, h) > 9.0 && w * h > 130.0) << w << " x " << h;
        for (const NPoint& corner : (*slug)->m_points)
            EXPECT_LE(std::hypot(corner.x - centre.x, corner.y - centre.y), 10.0 + 1e-6);
    }
}

TEST(WasteRectangles, NonRectangularSheetKeepsCellsInsideItsOutline)
{
    // An L-shaped sheet; the notch at the upper right is no sheet.
    const NPolygonPtr sheet = Ring({{0, 0}, {1000, 0}, {1000, 400}, {600, 400}, {600, 800}, {0, 800}});
    const VectorPolygon outs = Decompose(sheet, {{Box(0, 0, 100, 100)}}, 5.0, 50.0);
    ASSERT_FALSE(outs.empty());
    for (const NPolygonPtr& p : outs) {
        const NRect g = GabaritOf(*p);
        EXPECT_FALSE(g.pTop.x > 600 + 1e-6 && g.pTop.y > 400 + 1e-6) << "reaches into the notch";
    }
}

// Found fault: a part lying outside a rectangular sheet added grid lines
// there, and the cells beyond the sheet became remnants.
TEST(WasteRectangles, NoRemnantBeyondTheSheet)
{
    const std::vector<VectorPolygon> parts{{Box(1200, 0, 1400, 200)}, {Box(900, 400, 1100, 700)}};
    const VectorPolygon outs = Decompose(Box(0, 0, 1000, 500), parts, 5.0, 50.0);
    ASSERT_FALSE(outs.empty());
    for (const NPolygonPtr& p : outs) {
        const NRect g = GabaritOf(*p);
        EXPECT_GE(g.pBot.x, -1e-9);
        EXPECT_GE(g.pBot.y, -1e-9);
        EXPECT_LE(g.pTop.x, 1000 + 1e-9);
        EXPECT_LE(g.pTop.y, 500 + 1e-9);
    }
}

// Found fault: two remnants on either side of a bar narrower than half the
// gap were snapped together across the bar.
TEST(WasteRectangles, RemnantsAreNotSnappedAcrossAThinPart)
{
    const NPolygonPtr bar = Box(400, 0, 403, 500);
    const VectorPolygon outs = Decompose(Box(0, 0, 1000, 500), {{bar}}, 10.0, 50.0);
    ASSERT_EQ(outs.size(), 2u);
    for (const NPolygonPtr& p : outs)
        EXPECT_TRUE(waste_test::KeepApart(*p, *bar, 10.0 - 1e-6));
}

// Found fault: a slender slanted part crossing a cell between its corners
// and away from its centre left the cell free.
TEST(WasteRectangles, SlantedSlenderPartTakesTheCellsItCrosses)
{
    const NPolygonPtr slender = Ring({{50, 50}, {150, 149}, {150, 150}, {50, 51}});
    const std::vector<VectorPolygon> parts{{slender}, {Box(120, 0, 130, 10)}};
    const VectorPolygon outs = Decompose(Box(0, 0, 200, 200), parts, 2.0, 20.0);
    ASSERT_FALSE(outs.empty());
    for (const NPolygonPtr& p : outs) {
        EXPECT_TRUE(waste_test::KeepApart(*p, *slender, 2.0 - 0.11));
        EXPECT_TRUE(waste_test::KeepApart(*p, *parts[1][0], 2.0 - 0.11));
    }
}

TEST(WasteRectangles, BuilderCanDecomposeSeveralSheets)
{
    WasteBuilder builder;
    builder.Init(5.0, 20.0);
    VectorPolygon outs;
    builder.DecomposeToRectangles(Box(0, 0, 1000, 500), {{Box(0, 0, 200, 200)}}, 50.0, outs);
    builder.DecomposeToRectangles(Box(0, 0, 100, 100), {{Box(0, 0, 100, 50)}}, 20.0, outs);
    ASSERT_EQ(outs.size(), 3u);
    EXPECT_TRUE(Contains(outs, {{0, 55}, {100, 100}}));
    EXPECT_EQ(builder.Columns(), 1u);
    EXPECT_EQ(builder.Rows(), 2u);
}

// ---------------------------------------------------------------------------
// Property: on random layouts every remnant stays on the sheet, keeps the
// part gap to every part on the sheet (less the 0.1 grid-line merge), stays
// off the parts sticking out of it and overlaps no other remnant.

namespace {

NPolygonPtr RandomPart(std::mt19937& rng, double sheetW, double sheetH)
{
    std::uniform_real_distribution<double> posX(-50.0, sheetW - 20.0);
    std::uniform_real_distribution<double> posY(-50.0, sheetH - 20.0);
    std::uniform_real_distribution<double> size(20.0, 250.0);
    std::uniform_real_distribution<double> angle(0.0, PI);
    std::uniform_int_distribution<int> kind(0, 3);
    const double x = posX(rng);
    const double y = posY(rng);
    const double w = size(rng);
    const double h = size(rng);
    switch (kind(rng)) {
    case 0:
        return Box(x, y, x + w, y + h);
    case 1:
        return Ring({{x, y}, {x + w, y}, {x, y + h}});
    case 2:
        return Ring({{x, y}, {x + w, y}, {x + w, y + h * 0.3}, {x + w * 0.3, y + h * 0.3}, {x + w * 0.3, y + h},
                     {x, y + h}});
    default: {
        NPolygonPtr p = Box(0, 0, w, h * 0.3);
        p->SetPlacement(0, 0, angle(rng));
        p->Offset({x + w * 0.5, y + h * 0.5});
        return p;
    }
    }
}

}  // namespace

TEST(WasteRectangles, RemnantsKeepClearOfPartsAndOfEachOther)
{
    std::mt19937 rng(20261207);
    const double sheetW = 1200.0;
    const double sheetH = 700.0;
    const NPolygonPtr sheet = Box(0, 0, sheetW, sheetH);
    // Checks the remnants of the layout, the gap 5 or 12 mm by turns; their count.
    const auto check = [&](const std::vector<VectorPolygon>& parts, double minSize, int layout) {
        const double gap = layout % 2 == 0 ? 5.0 : 12.0;
        const VectorPolygon outs = Decompose(sheet, parts, gap, minSize);
        for (size_t a = 0; a < outs.size(); ++a) {
            const NRect g = GabaritOf(*outs[a]);
            EXPECT_TRUE(g.pBot.x > -1e-9 && g.pBot.y > -1e-9 && g.pTop.x < sheetW + 1e-9 && g.pTop.y < sheetH + 1e-9)
                << "layout " << layout;
            for (const VectorPolygon& part : parts) {
                // Beside a part sticking out of the sheet a remnant may reach the sheet's edge.
                const NRect pg = GabaritOf(*part[0]);
                const bool onSheet = pg.pBot.x >= 0 && pg.pBot.y >= 0 && pg.pTop.x <= sheetW && pg.pTop.y <= sheetH;
                EXPECT_TRUE(waste_test::KeepApart(*outs[a], *part[0], onSheet ? gap - 0.11 : 0.0))
                    << "layout " << layout;
            }
            for (size_t b = a + 1; b < outs.size(); ++b) {
                const NRect o = GabaritOf(*outs[b]);
                const double w = std::min(g.pTop.x, o.pTop.x) - std::max(g.pBot.x, o.pBot.x);
                const double h = std::min(g.pTop.y, o.pTop.y) - std::max(g.pBot.y, o.pBot.y);
                EXPECT_FALSE(w > 1e-6 && h > 1e-6) << "layout " << layout << " remnants " << a << ", " << b;
            }
        }
        return outs.size();
    };
    for (int layout = 0; layout < 300; ++layout) {
        std::vector<VectorPolygon> parts;
        const int count = 1 + layout % 12;
        for (int k = 0; k < count; ++k)
            parts.push_back({RandomPart(rng, sheetW, sheetH)});
        check(parts, 40.0 + 10.0 * (layout % 4), layout);
    }
    // Rows of parts turned by 45° over part of the sheet, a grid line at
    // nearly every vertex: remnants of every size among them.
    for (int layout = 0; layout < 12; ++layout) {
        std::vector<VectorPolygon> parts;
        std::uniform_real_distribution<double> jitter(0.0, 6.0);
        for (double y = 40.0; y < sheetH - 100.0; y += 95.0)
            for (double x = 40.0; x < sheetW * (0.4 + 0.03 * layout); x += 95.0) {
                NPolygonPtr part = layout % 2 == 0 ? Box(0, 0, 70, 30)
                                                   : Ring({{0, 0}, {70, 0}, {70, 20}, {20, 20}, {20, 60}, {0, 60}});
                part->SetPlacement(0, 0, PI / 4 * (1 + layout % 3));
                part->Offset({x + jitter(rng), y + jitter(rng)});
                parts.push_back({part});
            }
        EXPECT_GT(check(parts, std::vector<double>{10.0, 40.0, 200.0}[layout % 3], 300 + layout), 0u);
    }
}

// ---------------------------------------------------------------------------
// Through the stand-in host: diagnostic drawings and the conversion into a
// view's coordinates.

using WasteRectanglesHost = hosttest::HostTest;

TEST_F(WasteRectanglesHost, RectangleDrawingIsClearedAgain)
{
    WasteBuilder::NRectangle rect(100, 0, 0, 50, 0, 0);
    rect.Draw(1);
    EXPECT_EQ(rect.segments.size(), 4u);
    EXPECT_EQ(DrawingObjects(), 4u);
    rect.Clear();
    EXPECT_TRUE(rect.segments.empty());
    EXPECT_EQ(DrawingObjects(), 0u);

    WasteBuilder::RectanglesGroup group;
    group.Draw();
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(WasteRectanglesHost, PolygonsAreTakenIntoTheViewsCoordinates)
{
    const vlapi::IViewPtr view = AddView(100, 50, 0.5);
    VectorPolygon polygons{Box(100, 50, 150, 100)};
    WasteBuilder::TransformPolygons(view->GetNumber(), polygons);
    const NRect g = GabaritOf(*polygons[0]);
    EXPECT_NEAR(g.pBot.x, 0.0, 1e-9);
    EXPECT_NEAR(g.pBot.y, 0.0, 1e-9);
    EXPECT_NEAR(g.pTop.x, 100.0, 1e-9);
    EXPECT_NEAR(g.pTop.y, 100.0, 1e-9);
}
