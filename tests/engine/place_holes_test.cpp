// Parts placed into the holes of placed parts, whatever the shapes of the
// two, and parts whose outlines run out and back along a line (spikes).
#include "place_fixture.h"

namespace placetest {
namespace {

std::vector<NPoint> Hexagon(const NPoint& centre, double radius)
{
    std::vector<NPoint> ring;
    for (int k = 0; k < 6; ++k)
        ring.push_back({centre.x + radius * std::cos(k * PI / 3), centre.y + radius * std::sin(k * PI / 3)});
    return ring;
}

std::vector<NPoint> Circle(const NPoint& centre, double radius, int chords)
{
    std::vector<NPoint> ring;
    for (int k = 0; k < chords; ++k)
        ring.push_back({centre.x + radius * std::cos(2 * PI * k / chords),
                        centre.y + radius * std::sin(2 * PI * k / chords)});
    return ring;
}

// A square of the side turned 45° about its centre.
std::vector<NPoint> Diamond(const NPoint& centre, double side)
{
    const double r = side / std::sqrt(2.0);
    return {{centre.x, centre.y - r}, {centre.x + r, centre.y}, {centre.x, centre.y + r}, {centre.x - r, centre.y}};
}

std::vector<NPoint> Reversed(std::vector<NPoint> ring)
{
    std::reverse(ring.begin(), ring.end());
    return ring;
}

const std::vector<NPoint> kFrame = Rectangle(0, 0, 300, 300);
const std::vector<NPoint> kCutFrame = {{0, 0}, {300, 0}, {300, 280}, {280, 300}, {0, 300}};
const std::vector<NPoint> kWindow = Rectangle(30, 30, 240, 240);

struct HoleCase {
    const char* name;
    std::vector<NPoint> outline;
    std::vector<NPoint> hole;
    std::vector<NPoint> part;
    int count;
    RotationType rotation;
    int method;        // 0: figures taken as their rectangles
    int inHole;        // of the parts
    bool holeCorner;   // the first part stands in the hole's lower-left corner, the gap off its edges
};

void PrintTo(const HoleCase& c, std::ostream* os) { *os << c.name; }

class PlaceIntoHoleTest : public PlaceTest, public ::testing::WithParamInterface<HoleCase> {};

// Every part is placed; those in the hole keep the gap to its edge, the
// others keep it to the outline, and all keep it to one another.
TEST_P(PlaceIntoHoleTest, PartsGoIntoTheHoleTheGapOffItsEdge)
{
    const HoleCase& c = GetParam();
    SheetPtr sheet = AddSheet(800.0, 320.0);
    FigurePtr frame = AddFigure(c.outline, {c.hole});
    VectorFigure parts;
    for (int k = 0; k < c.count; ++k)
        parts.push_back(AddFigure(c.part));
    Model().SortFiguresByAreasDecrease();
    optimizer.m_params.optimizationMethod = c.method;

    PlaceAll(c.rotation, false);

    ASSERT_EQ(frame->m_owner, sheet);
    const NPolygon& outer = *frame->m_borders[0];
    const NPolygon& hole = *frame->m_borders[1];
    const NRect window = hole.GetGabarit();
    int inHole = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        ASSERT_EQ(parts[i]->m_owner, sheet) << i;
        ExpectInsideSheet(*parts[i], *sheet);
        EXPECT_FALSE(parts[i]->CheckIntersect(frame)) << i;
        const NPolygon& outline = *parts[i]->m_borders[0];
        const NRect rc = outline.GetGabarit();
        const bool inside = rc.pBot.x > window.pBot.x && rc.pTop.x < window.pTop.x && rc.pBot.y > window.pBot.y &&
                            rc.pTop.y < window.pTop.y;
        inHole += inside ? 1 : 0;
        EXPECT_FALSE(outline.CheckIntersection(inside ? hole : outer, false)) << i;
        EXPECT_GE(ringtest::BoundaryDistance(inside ? hole : outer, outline), kFigureGap - 1e-2) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_GE(ringtest::BoundaryDistance(*parts[j]->m_borders[0], outline), kFigureGap - 1e-2) << i << " " << j;
    }
    EXPECT_EQ(inHole, c.inHole);
    if (c.holeCorner) {
        const NRect rc = parts[0]->m_borders[0]->GetGabarit();
        EXPECT_NEAR(rc.pBot.x, window.pBot.x + kFigureGap, 1e-3);
        EXPECT_NEAR(rc.pBot.y, window.pBot.y + kFigureGap, 1e-3);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PlaceIntoHoleTest,
    ::testing::Values(
        HoleCase{"SquareInARectangularWindow", kFrame, kWindow, Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInARectangularWindowTurning90", kFrame, kWindow, Rectangle(0, 0, 60, 60), 1,
                 RotationType::Rotation90, 1, 1, true},
        HoleCase{"SquareInARectangularWindowTurning180", kFrame, kWindow, Rectangle(0, 0, 60, 60), 1,
                 RotationType::Rotation180, 1, 1, true},
        HoleCase{"FourOfSixSquaresInARectangularWindow", kFrame, kWindow, Rectangle(0, 0, 100, 100), 6,
                 RotationType::WithoutRotation, 1, 4, true},
        HoleCase{"SquareAsLargeAsTheWindowLessTheGaps", kFrame, kWindow, Rectangle(0, 0, 220, 220), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAHexagonalWindow", kFrame, Hexagon({150, 150}, 115), Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 1, 1, false},
        HoleCase{"SquareInTheWindowOfAFrameWithACutCorner", kCutFrame, kWindow, Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"PlateThatFitsTheSlotOnlyTurned", kFrame, Rectangle(40, 110, 220, 80), Rectangle(0, 0, 50, 160), 1,
                 RotationType::Rotation90, 1, 1, true},
        HoleCase{"SquareInAWindowWithFiguresTakenAsRectangles", kFrame, kWindow, Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 0, 1, true},
        HoleCase{"PlateThatFitsTheSlotExactlyOnlyTurned", kFrame, Rectangle(40, 110, 220, 80), Rectangle(0, 0, 60, 200),
                 1, RotationType::Rotation90, 1, 1, true},
        HoleCase{"SquareInAHexagonalWindowTurning90", kFrame, Hexagon({150, 150}, 115), Rectangle(0, 0, 120, 120), 1,
                 RotationType::Rotation90, 1, 1, false},
        // The frame turns its bulk to the sheet's corner and the window's
        // legs away from it: no square stands in the window's corner.
        HoleCase{"SquaresInBothLegsOfAnLShapedWindow", kFrame,
                 {{30, 30}, {270, 30}, {270, 110}, {110, 110}, {110, 270}, {30, 270}}, Rectangle(0, 0, 60, 60), 3,
                 RotationType::Rotation90, 1, 3, false},
        HoleCase{"SquareInARoundWindow", kFrame, Circle({150, 150}, 115, 48), Rectangle(0, 0, 140, 140), 1,
                 RotationType::WithoutRotation, 1, 1, false},
        // Round and many-sided windows with a part that fits them with the gap
        // and half a millimetre, or a twentieth, to spare.
        HoleCase{"DiscInARoundHoleOf720Chords", kFrame, Circle({150, 150}, 120, 720), Circle({0, 0}, 109.5, 720), 1,
                 RotationType::WithoutRotation, 1, 1, false},
        HoleCase{"PlateOf192SidesInItsWindowAHairLarger", kFrame, Circle({150, 150}, 120, 192),
                 Circle({0, 0}, 109.95, 192), 1, RotationType::WithoutRotation, 1, 1, false},
        HoleCase{"SquareInTheWindowOfAFrameTurned45", Diamond({150, 150}, 200), Diamond({150, 150}, 160),
                 Rectangle(0, 0, 90, 90), 1, RotationType::Rotation90, 1, 1, false},
        HoleCase{"SquareInAWindowGivenTheWayTheOutlineRuns", kFrame, Reversed(kWindow), Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWithASpikeIntoTheFrame", kFrame,
                 {{30, 30}, {270, 30}, {270, 270}, {150, 270}, {150, 290}, {150, 270}, {30, 270}},
                 Rectangle(0, 0, 220, 220), 1, RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWithASpikeIntoIt", kFrame,
                 {{30, 30}, {50, 50}, {30, 30}, {270, 30}, {270, 270}, {30, 270}}, Rectangle(0, 0, 60, 60), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWithASpikePastTheOutline", kFrame,
                 {{30, 30}, {270, 30}, {270, 270}, {150, 270}, {150, 330}, {150, 270}, {30, 270}},
                 Rectangle(0, 0, 220, 220), 1, RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWithASpikeToTheOutline", kFrame,
                 {{30, 30}, {270, 30}, {270, 270}, {150, 270}, {150, 300}, {150, 270}, {30, 270}},
                 Rectangle(0, 0, 220, 220), 1, RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWithASpikeFromItsFirstVertexPastTheOutline", kFrame,
                 {{30, 30}, {-20, -20}, {30, 30}, {270, 30}, {270, 270}, {30, 270}}, Rectangle(0, 0, 220, 220), 1,
                 RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowTheOutlinesSpikeCrosses",
                 {{0, 0}, {300, 0}, {300, 300}, {150, 300}, {150, 10}, {150, 300}, {0, 300}}, kWindow,
                 Rectangle(0, 0, 100, 100), 1, RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowTheOutlinesSpikeRunsInto",
                 {{0, 0}, {300, 0}, {300, 300}, {150, 300}, {150, 200}, {150, 300}, {0, 300}}, kWindow,
                 Rectangle(0, 0, 100, 100), 1, RotationType::WithoutRotation, 1, 1, true},
        HoleCase{"SquareInAWindowWhoseSpikeCrossesTheOutlinesSpike",
                 {{0, 0}, {300, 0}, {300, 300}, {100, 300}, {100, 340}, {100, 300}, {0, 300}},
                 {{30, 30}, {270, 30}, {270, 270}, {150, 270}, {60, 330}, {150, 270}, {30, 270}},
                 Rectangle(0, 0, 220, 220), 1, RotationType::WithoutRotation, 1, 1, true}),
    [](const ::testing::TestParamInfo<HoleCase>& info) { return std::string(info.param.name); });

// A plate goes into the window of a frame that goes into the window of a
// larger frame, each the gap off the window's edges.
TEST_F(PlaceTest, PartsGoIntoHolesOfPartsInHoles)
{
    SheetPtr sheet = AddSheet(1000.0, 640.0);
    FigurePtr outer = AddFigure(Rectangle(0, 0, 600, 600), {Rectangle(60, 60, 480, 480)});
    FigurePtr inner = AddFigure(Rectangle(0, 0, 440, 440), {Rectangle(60, 60, 320, 320)});
    FigurePtr plate = AddFigure(Rectangle(0, 0, 280, 280));
    Model().SortFiguresByAreasDecrease();

    PlaceAll(RotationType::Rotation90, false);

    for (const FigurePtr& figure : {outer, inner, plate})
        ASSERT_EQ(figure->m_owner, sheet);
    const struct {
        FigurePtr frame, part;
    } nests[] = {{outer, inner}, {inner, plate}};
    for (const auto& n : nests) {
        const NPolygon& hole = *n.frame->m_borders[1];
        const NRect window = hole.GetGabarit();
        const NRect rc = n.part->m_borders[0]->GetGabarit();
        EXPECT_TRUE(rc.pBot.x > window.pBot.x && rc.pTop.x < window.pTop.x && rc.pBot.y > window.pBot.y &&
                    rc.pTop.y < window.pTop.y);
        EXPECT_FALSE(n.part->CheckIntersect(n.frame));
        EXPECT_GE(ringtest::BoundaryDistance(hole, *n.part->m_borders[0]), kFigureGap - 1e-2);
    }
    EXPECT_FALSE(plate->CheckIntersect(outer));
}

struct SpikeCase {
    const char* name;
    std::vector<NPoint> outline;
};

void PrintTo(const SpikeCase& c, std::ostream* os) { *os << c.name; }

class PlaceSpikedTest : public PlaceTest, public ::testing::WithParamInterface<SpikeCase> {};

// A spike holds no material, nor does one whose sides are closer than the
// point tolerance (a sliver): the part is read, placed like the outline
// without it, and its copies stand the gap apart.
TEST_P(PlaceSpikedTest, PartsWithASpikeArePlacedApart)
{
    SheetPtr sheet = AddSheet(400.0, 200.0);
    for (int k = 0; k < 3; ++k)
        AddFigure(GetParam().outline);
    for (const FigurePtr& figure : Model().m_figures)
        ASSERT_EQ(figure->m_borders.size(), 1u);

    PlaceAll(RotationType::Rotation90, false);

    for (const FigurePtr& figure : Model().m_figures) {
        ASSERT_EQ(figure->m_owner, sheet);
        ExpectInsideSheet(*figure, *sheet);
        EXPECT_EQ(figure->m_borders[0]->m_points.size(), 4u);
    }
    ExpectApartOnSheets();
}

INSTANTIATE_TEST_SUITE_P(
    Spikes, PlaceSpikedTest,
    ::testing::Values(SpikeCase{"Outward", {{0, 0}, {100, 0}, {100, 50}, {60, 50}, {60, 80}, {60, 50}, {0, 50}}},
                      SpikeCase{"IntoThePart", {{0, 0}, {100, 0}, {100, 50}, {60, 50}, {60, 10}, {60, 50}, {0, 50}}},
                      SpikeCase{"AlongAnEdgeWithAVertexOnTheWayBack",
                                {{0, 0}, {100, 0}, {130, 0}, {115, 0}, {100, 0}, {100, 50}, {0, 50}}},
                      SpikeCase{"AtTheFirstVertex", {{0, 0}, {-30, 0}, {0, 0}, {100, 0}, {100, 50}, {0, 50}}},
                      SpikeCase{"TwoAtOneVertex",
                                {{0, 0}, {100, 0}, {100, 50}, {100, 80}, {100, 50}, {130, 50}, {100, 50}, {0, 50}}},
                      SpikeCase{"SliverBackBesideItsStart",
                                {{0, 0}, {100, 0}, {130, 0}, {100, -1e-5}, {100, 50}, {0, 50}}},
                      SpikeCase{"SliverLeftBackOverItsStart",
                                {{0, 0}, {100, 0}, {100, 50}, {0, 50}, {-30, 50}, {1e-6, 50.0000001}}},
                      SpikeCase{"SliverDownAsAThinStrip",
                                {{0, 0}, {50, 0}, {50, -30}, {50.0000001, -30}, {50.0000001, 0}, {100, 0}, {100, 50},
                                 {0, 50}}}),
    [](const ::testing::TestParamInfo<SpikeCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace placetest
