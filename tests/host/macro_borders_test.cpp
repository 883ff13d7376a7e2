// Closed borders of figure macros: rings, host-measured area and cut length,
// and the refusals the user is told about.
#include "support/macro_fixture.h"

#include "host/HostAccess.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace macrotest {
namespace {

const std::vector<NPoint> kSquare = {{0, 0}, {100, 0}, {100, 100}, {0, 100}};

class MacroBordersTest : public MacroHostTest {
protected:
    struct Result {
        std::vector<NPolygonPtr> borders;
        double area = -1.0;
        double length = 50.0;
        double sag = -1.0;
        double beyond = -1.0;
    };

    Result Borders(const INestingMacroObjectPtr& macro)
    {
        Result r;
        macro->InitConvexBordersFromMacro(r.borders, r.area, r.length, r.sag, r.beyond);
        return r;
    }

    // The square with a circular hole of radius 10 in its middle, the hole
    // drawn as two half circles.
    INestingMacroObjectPtr SquareWithHole()
    {
        auto objs = AddRing(Container(), kSquare);
        objs.emplace_back(AddArc(Container(), {40, 50}, {60, 50}, {50, 40}));
        objs.emplace_back(AddArc(Container(), {60, 50}, {40, 50}, {50, 60}));
        return MakeMacro(Container(), objs, L"Plate");
    }

    // The area `ring` bounds, its coordinates taken from (o, o).
    static double Area(const std::vector<NPoint>& ring, double o = 0.0)
    {
        double area = 0.0;
        for (size_t k = 0, n = ring.size(); k < n; ++k)
            area += 0.5 * ((ring[k].x - o) * (ring[(k + 1) % n].y - o) - (ring[(k + 1) % n].x - o) * (ring[k].y - o));
        return area;
    }

    // The lines of every ring in `rings`, in their order.
    std::vector<vlapi::IDrawingObjectPtr> Rings(const std::vector<std::vector<NPoint>>& rings)
    {
        std::vector<vlapi::IDrawingObjectPtr> objs;
        for (const std::vector<NPoint>& ring : rings)
            for (const auto& line : AddRing(Container(), ring))
                objs.push_back(line);
        return objs;
    }

    void ExpectRefused(const INestingMacroObjectPtr& macro, int messageId)
    {
        const Result r = Borders(macro);
        EXPECT_TRUE(r.borders.empty());
        EXPECT_EQ(r.area, -1.0);
        EXPECT_EQ(r.length, 50.0);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].text, vrnApi::LoadStr(messageId) + L" " + macro->GetName());
        EXPECT_EQ(Messages()[0].flags, 0x10);
    }
};

TEST_F(MacroBordersTest, SquareWithRoundHoleGivesCounterClockwiseRingsAndHostMeasures)
{
    const double sag = NestingSetting::m_instance.m_tolerance;
    const Result r = Borders(SquareWithHole());
    ASSERT_EQ(r.borders.size(), 2u);
    EXPECT_TRUE(SameRing(*r.borders[0], kSquare, 1e-6));
    const NPolygon& hole = *r.borders[1];
    EXPECT_TRUE(hole.CheckDirection());
    EXPECT_GE(hole.m_points.size(), 3u);
    for (const NPoint& p : hole.m_points) {
        const double d = std::hypot(p.x - 50, p.y - 50);
        EXPECT_LE(d, 10.0 + 1e-9);  // a circle is followed exactly: never into the part
        EXPECT_GE(d, 10.0 - sag);
    }
    EXPECT_EQ(r.sag, 0.0);
    EXPECT_NEAR(r.area, 10000 - 100 * PI, 0.01);     // 9685.84
    EXPECT_NEAR(r.length, 50 + 400 + 20 * PI, 0.01);  // 50 + 462.83
    EXPECT_EQ(NestingSetting::m_instance.m_tolerance, sag);
    EXPECT_TRUE(Messages().empty());
    // Nothing temporary stays: the view holds the figure alone.
    EXPECT_EQ(DrawingObjects(), 1u);
    EXPECT_EQ(StoredGroups(), 0);
}

TEST_F(MacroBordersTest, ClockwiseOutlineComesBackCounterClockwise)
{
    const std::vector<NPoint> clockwise(kSquare.rbegin(), kSquare.rend());
    const Result r = Borders(MakeMacro(Container(), AddRing(Container(), clockwise), L"Back"));
    ASSERT_EQ(r.borders.size(), 1u);
    EXPECT_TRUE(SameRing(*r.borders[0], kSquare, 1e-6));
    EXPECT_NEAR(r.area, 10000, 1e-6);
    EXPECT_EQ(r.sag, 0.0);  // straight edges are followed exactly
}

TEST_F(MacroBordersTest, LineAndArcBetweenTheSamePointsAreOneBorder)
{
    std::vector<vlapi::IDrawingObjectPtr> objs = {vlapi::IDrawingObjectPtr(AddLine(Container(), {0, 0}, {0, 20})),
                                                  vlapi::IDrawingObjectPtr(AddArc(Container(), {0, 0}, {0, 20}, {10, 10}))};
    const Result r = Borders(MakeMacro(Container(), objs, L"D"));
    ASSERT_EQ(r.borders.size(), 1u);
    EXPECT_TRUE(r.borders[0]->CheckDirection());
    EXPECT_NEAR(r.area, 50 * PI, 0.01);
    EXPECT_TRUE(Messages().empty());
}

// Exports repeat vertices: a line from a corner to itself (twice), one to a
// point a hair's breadth away. They bound nothing and go; a vertex that
// stands out less than the repeat tolerance but more than the point
// tolerance stays, or the outline would cut into the part.
TEST_F(MacroBordersTest, RepeatedVerticesGoButNoVertexTheOutlineNeeds)
{
    const struct {
        std::vector<NPoint> drawn;
        double top;  // of the border read
        bool square; // the border is the square itself
    } cases[] = {
        {{{0, 0}, {100, 0}, {100, 0}, {100, 0}, {100, 100}, {100 + 1e-7, 100}, {0, 100}, {0, 100 - 1e-5}}, 100.0, true},
        {{{0, 0}, {100, 0}, {100, 100}, {99.9995, 100.0008}, {0, 100}}, 100.0008, false},
    };
    for (const auto& c : cases) {
        Messages().clear();
        const Result r = Borders(MakeMacro(Container(), AddRing(Container(), c.drawn), L"Exported"));
        ASSERT_EQ(r.borders.size(), 1u) << c.top;
        EXPECT_NEAR(r.borders[0]->GetGabarit().pTop.y, c.top, 1e-9);
        EXPECT_EQ(SameRing(*r.borders[0], kSquare, 1e-4), c.square);
        EXPECT_NEAR(r.area, 10000.0, 0.1);
        EXPECT_TRUE(Messages().empty());
    }
}

// A vertex repeated a hair's breadth apart more than once (edges each shorter
// than the point tolerance, together longer, in a line or as a jog, or one edge
// of the tolerance itself) collapses into its neighbours at any size, offset and
// precision: the outline and its area are read as drawn. A gap no curve bridges
// still leaves it open.
TEST_F(MacroBordersTest, RunsOfNearRepeatedVerticesCollapseIntoTheirNeighbours)
{
    // A jog goes across and along by turns, off the edge's line.
    const struct { double step; int count; bool jog; } runs[] = {
        {7e-5, 2, false}, {5e-5, 2, false}, {5e-5, 3, false}, {3e-5, 5, false}, {1e-4, 1, false},
        {1e-4, 2, false}, {7e-5, 2, true},  {5e-5, 4, true},  {1e-4, 3, true}};
    for (const auto& run : runs)
        for (const NPoint& size : {NPoint{10, 20}, NPoint{6000, 2500}})
            for (const double offset : {0.0, 10000.0})
                for (const bool rounded : {false, true}) {
                    const auto round = [&](double v) { return rounded ? std::round(v * 1e6) / 1e6 : v; };
                    const auto at = [&](double x, double y) { return NPoint{round(offset + x), round(offset + y)}; };
                    std::vector<NPoint> drawn = {at(0, 0), at(size.x, 0), at(size.x, size.y / 2)};
                    for (int k = 1; k <= run.count; ++k)
                        drawn.push_back(run.jog ? at(size.x + run.step * ((k + 1) / 2 % 2 ? 1 : 0), size.y / 2 + run.step * (k / 2))
                                                : at(size.x, size.y / 2 + run.step * k));
                    drawn.insert(drawn.end(), {at(size.x, size.y), at(0, size.y)});
                    SCOPED_TRACE(testing::Message() << run.step << " x " << run.count << (run.jog ? " jog, " : ", ") << size.x
                                                    << " x " << size.y << " at " << offset << (rounded ? ", rounded" : ""));
                    Messages().clear();
                    const Result r = Borders(MakeMacro(Container(), AddRing(Container(), drawn), L"Exported"));
                    EXPECT_TRUE(Messages().empty());
                    ASSERT_EQ(r.borders.size(), 1u);
                    // The rectangle, but for a jog's vertex standing out of it (the part's own, not cut off).
                    const NPolygon& border = *r.borders[0];
                    EXPECT_TRUE(border.CheckDirection());
                    EXPECT_LE(border.m_points.size(), 5u);
                    for (size_t k = 0; k < border.m_points.size(); ++k)
                        EXPECT_FALSE(border.m_points[k] == border.m_points[(k + 1) % border.m_points.size()]);
                    EXPECT_TRUE(border.GetGabarit().pBot == at(0, 0));
                    EXPECT_TRUE(border.GetGabarit().pTop == at(size.x, size.y));
                    const double area = Area(drawn, offset);
                    EXPECT_NEAR(r.area, area, 1e-9 * area);
                }
    // A gap of one and a half tolerances that no curve bridges.
    auto lines = AddRing(Container(), {{0, 0}, {10, 0}, {10, 10}, {10, 10.00015}, {10, 20}, {0, 20}});
    lines[2]->Delete();
    lines.erase(lines.begin() + 2);
    Messages().clear();
    ExpectRefused(MakeMacro(Container(), lines, L"Gapped"), 7425);
}

// A curve digitised in steps shorter than the point tolerance, together far
// longer (a bump out of an edge, a corner rounded so): the steps are not one
// point, the outline keeps the curve's reach and its area as drawn.
TEST_F(MacroBordersTest, CurvesDigitisedInStepsBelowThePointToleranceKeepTheirShape)
{
    const struct { double radius, step; } bumps[] = {{0.02, 9e-5}, {0.1, 9e-5}, {0.02, 3e-5}, {0.5, 9.9e-5}};
    for (const auto& bump : bumps) {
        SCOPED_TRACE(testing::Message() << "radius " << bump.radius << ", step " << bump.step);
        std::vector<NPoint> drawn = {{0, 0}, {10, 0}, {10, 10 - bump.radius}};
        const int steps = static_cast<int>(std::ceil(PI * bump.radius / bump.step));
        for (int k = 1; k < steps; ++k) {
            const double t = -0.5 * PI + PI * k / steps;
            drawn.push_back({10 + bump.radius * std::cos(t), 10 + bump.radius * std::sin(t)});
        }
        drawn.insert(drawn.end(), {{10, 10 + bump.radius}, {10, 20}, {0, 20}});
        Messages().clear();
        const Result r = Borders(MakeMacro(Container(), AddRing(Container(), drawn), L"Dense"));
        EXPECT_TRUE(Messages().empty());
        ASSERT_EQ(r.borders.size(), 1u);
        EXPECT_NEAR(r.borders[0]->GetGabarit().pTop.x, 10 + bump.radius, 0.5 * EPS);
        EXPECT_NEAR(r.area, Area(drawn), 1e-6);
    }
}

TEST_F(MacroBordersTest, OpenOutlineIsRefusedByName)
{
    auto objs = AddRing(Container(), kSquare);
    objs.back()->Delete();
    objs.pop_back();
    ExpectRefused(MakeMacro(Container(), objs, L"Open"), 7425);
}

// A second ring drawn over the outline or outside it (never a hole) is refused by name.
TEST_F(MacroBordersTest, OutlineDrawnTwiceOrOutsideTheOuterBorderIsRefusedByName)
{
    const std::pair<const wchar_t*, std::vector<NPoint>> cases[] = {
        {L"Twice", kSquare}, {L"Pair", {{200, 0}, {250, 0}, {250, 50}, {200, 50}}}};
    for (const auto& [name, second] : cases) {
        Messages().clear();
        ExpectRefused(MakeMacro(Container(), Rings({kSquare, second}), name), 7423);
    }
}

TEST_F(MacroBordersTest, OutlineCrossingItselfOrAnotherIsRefusedWithThePlace)
{
    struct Case {
        const wchar_t* name;
        std::vector<std::vector<NPoint>> rings;
        const wchar_t* reason;
    };
    const Case cases[] = {
        {L"Bow", {{{0, 0}, {100, 60}, {100, 0}, {0, 60}}}, L"контур пересекает сам себя в точке (50; 30)"},
        {L"Notch", {kSquare, {{90, 40}, {110, 40}, {110, 60}, {90, 60}}}, L"контуры пересекаются в точке (100; 40)"},
        // Without its spike the hole still crosses the outline.
        {L"SpikedNotch", {kSquare, {{90, 40}, {110, 40}, {110, 60}, {95, 60}, {95, 130}, {95, 60}, {90, 60}}},
         L"контуры пересекаются в точке (100; 40)"},
    };
    for (const Case& c : cases) {
        const size_t before = Messages().size();
        EXPECT_TRUE(Borders(MakeMacro(Container(), Rings(c.rings), c.name)).borders.empty());
        ASSERT_EQ(Messages().size(), before + 1);
        EXPECT_EQ(Messages().back().text, std::wstring(c.name) + L": " + c.reason);
    }
}

// A spike holds no material wherever it runs: past the outline, across a
// hole, across another spike. The rings are read without it.
TEST_F(MacroBordersTest, SpikesGoWhereverTheyRun)
{
    const struct {
        std::vector<std::vector<NPoint>> rings;
        double area;
    } cases[] = {
        {{kSquare, {{20, 20}, {80, 20}, {80, 60}, {50, 60}, {50, 120}, {50, 60}, {20, 60}}}, 10000.0 - 2400.0},
        {{kSquare, {{20, 20}, {20, 60}, {50, 60}, {50, 100}, {50, 60}, {80, 60}, {80, 20}}}, 10000.0 - 2400.0},
        {{{{0, 0}, {100, 0}, {100, 100}, {70, 100}, {70, 5}, {70, 100}, {0, 100}},
          {{50, 20}, {90, 20}, {90, 50}, {50, 50}},
          {{10, 60}, {40, 60}, {40, 80}, {25, 80}, {25, 30}, {25, 80}, {10, 80}},
          {{15, 35}, {35, 35}, {35, 45}, {15, 45}}},
         10000.0 - 1200.0 - 600.0 - 200.0},
        {{{{0, 0}, {100, 0}, {100, 100}, {20, 100}, {20, 130}, {20, 100}, {0, 100}},
          {{20, 20}, {80, 20}, {80, 60}, {50, 60}, {10, 140}, {50, 60}, {20, 60}}},
         10000.0 - 2400.0},
    };
    for (const auto& c : cases) {
        Messages().clear();
        const Result r = Borders(MakeMacro(Container(), Rings(c.rings), L"Spiked"));
        ASSERT_EQ(r.borders.size(), c.rings.size()) << c.area;
        for (const NPolygonPtr& ring : r.borders)
            EXPECT_EQ(ring->m_points.size(), 4u);
        EXPECT_NEAR(r.area, c.area, 1e-6);
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(MacroBordersTest, RingTheHostCannotMeasureIsRefused)
{
    const INestingMacroObjectPtr macro = SquareWithHole();
    vlhost::FailureScope noMeasure("IMath2D::CalculateInertiaProperties");
    ExpectRefused(macro, 7425);
}

TEST_F(MacroBordersTest, CurveWithoutFineApproximationIsRefusedAndTheSagIsPutBack)
{
    // A spline's arch over a line (an arc or a circle is followed from its centre and radius).
    const vlapi::INurbsPtr arch =
        vrnApi::CreateNURBS(Container(), {0, 0, 10, 10, 20, 0}, {1, 1, 1}, {0, 0, 0, 1, 1, 1}, 2, false, 1);
    const INestingMacroObjectPtr macro = MakeMacro(
        Container(), {vlapi::IDrawingObjectPtr(arch), vlapi::IDrawingObjectPtr(AddLine(Container(), {20, 0}, {0, 0}))}, L"Arch");
    const double sag = NestingSetting::m_instance.m_tolerance;
    vlhost::FailureScope noApproximation("IVarnelDocument2D::DecomposeObject");
    ExpectRefused(macro, 7425);
    EXPECT_EQ(NestingSetting::m_instance.m_tolerance, sag);
}

TEST_F(MacroBordersTest, FigureWithoutCurvesOnTheSystemLayerGivesNothingQuietly)
{
    vlapi::ILineSegmentPtr line = AddLine(Container(), {0, 0}, {10, 0});
    line->SetLayer(2);
    line->Update();
    const Result r = Borders(MakeMacro(Container(), {vlapi::IDrawingObjectPtr(line)}, L"Texts"));
    EXPECT_TRUE(r.borders.empty());
    EXPECT_EQ(r.area, -1.0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MacroBordersTest, BoundaryContoursNameTheHostCurves)
{
    const INestingMacroObjectPtr macro = SquareWithHole();
    std::vector<NContourPtr> contours;
    macro->GetBoundaryContours(contours);
    ASSERT_EQ(contours.size(), 2u);
    EXPECT_EQ(contours[0]->m_segments.size() + contours[1]->m_segments.size(), 6u);
    for (const NContourPtr& contour : contours) {
        for (const NSegmentPtr& s : contour->m_segments)
            EXPECT_TRUE(NMacroObject::Create(s->m_ref) != nullptr && s->m_ref != 0);
    }
}

// Chords of the half circles of the hole, as a closed chain, and one chord
// whose curve is gone from the drawing.
TEST_F(MacroBordersTest, TangentialPolygonPutsTheConfiguredSagBackAndSkipsStaleChords)
{
    const vlapi::IArcPtr lower = AddArc(Container(), {40, 50}, {60, 50}, {50, 40});
    const vlapi::IArcPtr upper = AddArc(Container(), {60, 50}, {40, 50}, {50, 60});
    const vlapi::ILineSegmentPtr gone = AddLine(Container(), {40, 50}, {40, 50});
    const auto chord = [](NPoint a, NPoint b, reference ref) {
        auto s = std::make_shared<NSegment>(a, b, 0);
        s->m_ref = ref;
        return s;
    };
    const std::vector<NSegmentPtr> chain = {chord({40, 50}, {60, 50}, hostAccess::ReferenceOf(lower)),
                                            chord({60, 50}, {40, 50}, hostAccess::ReferenceOf(upper)),
                                            chord({40, 50}, {40, 50}, hostAccess::ReferenceOf(gone))};
    gone->Delete();

    const double configured = NestingSetting::m_instance.m_tolerance;
    NestingSetting::m_instance.m_tolerance = 1.0;
    const NPolygonPtr ring = vrnApi::ApproximateByTangentialPoligon(chain, 0.5);
    EXPECT_EQ(NestingSetting::m_instance.m_tolerance, 1.0);
    NestingSetting::m_instance.m_tolerance = configured;

    ASSERT_TRUE(ring);
    ring->DelEquilPoints();
    EXPECT_TRUE(ring->CheckDirection());
    for (const NPoint& p : ring->m_points) {
        const double d = std::hypot(p.x - 50, p.y - 50);
        EXPECT_GE(d, 10.0 - 0.01);  // circumscribed: never inside the circle
        EXPECT_LT(d, 10.0 + std::sqrt(0.5 * 0.5 + 0.0001) + 0.01);
    }
}

}  // namespace
}  // namespace macrotest
