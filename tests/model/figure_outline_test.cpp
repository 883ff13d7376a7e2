// A figure reads its outline from its macro and grows its gap and control
// polygons through host offsets.
#include "figure_fixture.h"

#include "model/NestingSetting.h"

#include <functional>

namespace figuretest {
namespace {

using FigureOutlineTest = FigureHostTest;

TEST_F(FigureOutlineTest, ReadsNameOutlineAreaAndLengthOnce)
{
    const FigurePtr figure = MakeFigure(Rectangle(0, 0, 100, 50), L"Plate", {Rectangle(20, 10, 20, 20)});
    EXPECT_EQ(figure->m_name, L"Plate");
    ASSERT_EQ(figure->m_borders.size(), 2u);
    EXPECT_NEAR(figure->m_area, 5000 - 400, 1e-6);
    EXPECT_NEAR(figure->m_length, 300 + 80, 1e-6);
    ExpectRectNear(figure->m_rectBorder, {{0, 0}, {100, 50}});
    ExpectRectNear(figure->m_rect, figure->m_rectBorder);

    // A second reading on a figure with rings changes nothing.
    figure->m_name = L"Kept";
    figure->InitParams();
    EXPECT_EQ(figure->m_name, L"Kept");

    // Re-reading the outline measures it afresh.
    figure->InitBorders();
    EXPECT_EQ(figure->m_borders.size(), 2u);
    EXPECT_NEAR(figure->m_length, 300 + 80, 1e-6);
}

TEST_F(FigureOutlineTest, GapPolygonsSurroundTheOutlineByHalfTheGap)
{
    const FigurePtr figure = MakeFigure(Rectangle(0, 0, 100, 50), L"Plate", {Rectangle(20, 10, 20, 20)});
    figure->InitPolygons(0.0, 10.0, nullptr);

    ASSERT_EQ(figure->m_poligons.size(), 2u);
    ExpectRectNear(figure->m_poligons[0]->GetGabarit(), Grown({{0, 0}, {100, 50}}, 5.0), 1e-3);
    ExpectRectNear(figure->m_poligons[1]->GetGabarit(), Grown({{20, 10}, {40, 30}}, -5.0), 1e-3);
    ExpectRectNear(figure->m_rect, Grown({{0, 0}, {100, 50}}, 5.0), 1e-3);
    EXPECT_NEAR(figure->m_rectArea, 110.0 * 60.0, 1e-2);

    // The outer one starts at its lowest vertex and runs the other way from the hole.
    const NPolygon& outer = *figure->m_poligons[0];
    EXPECT_EQ(outer.FindFirstIndexMinimumY(), 0u);
    EXPECT_TRUE(outer.CheckDirection());
    EXPECT_FALSE(figure->m_poligons[1]->CheckDirection());
    EXPECT_TRUE(figure->m_convex);

    // Control polygons lie 0.1 mm inside the gap polygons.
    ASSERT_EQ(figure->m_controls.size(), 2u);
    NRect outerControl = figure->m_controls[0]->GetGabarit();
    NRect innerControl = figure->m_controls[1]->GetGabarit();
    if (outerControl.pTop.x < innerControl.pTop.x)
        std::swap(outerControl, innerControl);
    ExpectRectNear(outerControl, Grown({{0, 0}, {100, 50}}, 4.9), 1e-3);
    ExpectRectNear(innerControl, Grown({{20, 10}, {40, 30}}, -4.9), 1e-3);
}

// The gap polygons keep half the gap from the true curves (sampled on the
// host's own curves) around a disc, inside a round hole, around an ellipse
// and a contour holding an elliptic arc; arcs and circles are followed
// exactly, so a rounded plate's gap polygon stands no further off its
// straight sides than half the gap; the record keeps the sag.
TEST_F(FigureOutlineTest, GapPolygonsKeepHalfTheGapFromTrueCurves)
{
    using Objects = std::vector<vlapi::IDrawingObjectPtr>;
    const auto contour = [this](const Objects& pieces) {
        vlapi::IDrawingContourPtr made = Container()->GetCollection(vlapi::vlDrContour)->Add();
        vlapi::IContourPtr(made)->CopyCurves(vlapi::APIObjectList(pieces.begin(), pieces.end()), 0);
        vlapi::IDrawingObjectPtr(made)->Update();
        for (const vlapi::IDrawingObjectPtr& piece : pieces)
            piece->Delete();
        return Objects{vlapi::IDrawingObjectPtr(made)};
    };
    struct Case {
        const char* name;
        std::function<Objects()> make;
        double sag;
        NRect box;  // of the outer gap polygon, when the outline's extremes are straight
    };
    const Case cases[] = {
        {"disc", [&] { return Objects{hosttest::AddCircle(Container(), {0, 0}, 40)}; }, 0.0, {}},
        {"hole", [&] {
             Objects o = AddRing(Container(), Rectangle(-100, -100, 200, 200));
             o.emplace_back(hosttest::AddCircle(Container(), {0, 0}, 40));
             return o;
         }, 0.0, Grown({{-100, -100}, {100, 100}}, 5.0)},
        {"ellipse", [&] { return Objects{vlhost::Host::AddEllipse(Container(), 0, 0, 80, 40, 0)}; }, kFineChordSag, {}},
        {"contour with an elliptic arc", [&] {
             return contour({vlhost::Host::AddEllipseArc(Container(), 0, 0, 80, 40, 0, 0, 180, true),
                             hosttest::AddLine(Container(), {-80, 0}, {80, 0})});
         }, 0.0, {}},
        {"rounded plate", [&] {
             // Lines between quarter arcs of radius 10 at the corners of 100 x 50.
             const double r = 10.0, q = r * (1.0 - 1.0 / std::sqrt(2.0));
             const NPoint arcs[][3] = {{{100, r}, {100 - r, 0}, {100 - q, q}}, {{100 - r, 50}, {100, 50 - r}, {100 - q, 50 - q}},
                                       {{0, 50 - r}, {r, 50}, {q, 50 - q}}, {{r, 0}, {0, r}, {q, q}}};
             Objects o;
             for (size_t k = 0; k < 4; ++k) {
                 o.emplace_back(hosttest::AddArc(Container(), arcs[k][0], arcs[k][1], arcs[k][2]));
                 o.emplace_back(hosttest::AddLine(Container(), arcs[k][0], arcs[(k + 1) % 4][1]));
             }
             return o;
         }, 0.0, Grown({{0, 0}, {100, 50}}, 5.0)},
        // Sides in 1 mm pieces are not a dense ring: the 0.005 mm dent stays.
        {"square in collinear pieces", [&] {
             const NPoint corners[] = {{0, 0}, {400, 0}, {400, 400}, {0, 400}}, steps[] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
             std::vector<NPoint> ring;
             for (size_t side = 0; side < 4; ++side)
                 for (int k = 0; k < 400; ++k)
                     ring.push_back({corners[side].x + k * steps[side].x, corners[side].y + k * steps[side].y});
             ring.insert(ring.begin() + 201, NPoint{200.5, 0.005});
             return AddRing(Container(), ring);
         }, 0.0, Grown({{0, 0}, {400, 400}}, 5.0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Objects objects = c.make();
        const FigurePtr figure = Figure::Create(MakeMacro(Container(), objects, L"Round"));
        figure->InitParams();
        figure->InitPolygons(0.0, 10.0, nullptr);
        ASSERT_FALSE(figure->m_poligons.empty());
        EXPECT_NEAR(figure->GapSag(), c.sag, 1e-9);
        double least = 1e300;
        for (const vlapi::IDrawingObjectPtr& object : objects) {
            const vlapi::ICurve2DPtr curve = object->GetCurve();
            ASSERT_TRUE(curve);
            for (int k = 0; curve && k <= 400; ++k) {
                NPoint p;
                curve->GetPoint(curve->GetParamMin() + (curve->GetParamMax() - curve->GetParamMin()) * k / 400, p.x, p.y);
                for (const NPolygonPtr& ring : figure->m_poligons)
                    least = std::min(least, ringtest::PointRingDistance(ring->m_points, p));
            }
        }
        EXPECT_GE(least, 5.0 - 1e-4);
        if (c.box.pTop.x > c.box.pBot.x)
            ExpectRectNear(figure->m_poligons.front()->GetGabarit(), c.box, 1e-4);
        figure->SaveParams();
        const FigurePtr again = Figure::Create(figure->m_macro);
        again->LoadParams();
        EXPECT_TRUE(again->HasSagOutward());
        EXPECT_EQ(again->GapSag(), figure->GapSag());
    }
}

// A convex corner's gap polygon follows the round of half the gap about it,
// not the mitre where its offset edges meet (0.41 of half the gap out at a
// right angle, 37 half gaps at the spike's 3° point): it keeps half the gap
// from the outline everywhere, stands past it by no more than curves are
// followed with (the precision), and exactly half the gap past the outline
// in every direction of a turn by 45° (a diamond's corners, an L turned so).
// Where the material pokes into a hole (the window's inner corner) the hole's
// ring is rounded as well. The control polygons, 0.1 mm inside, likewise.
TEST_F(FigureOutlineTest, ConvexCornersFollowTheRoundOfTheGap)
{
    const double saved = NestingSetting::m_instance.m_tolerance;
    const double half = 5.0;
    const struct {
        const char* name;
        std::vector<NPoint> ring;
        std::vector<std::vector<NPoint>> holes;
    } cases[] = {
        {"spike", {{0, 0}, {300, 0}, {0, 16}}, {}},
        {"gusset", {{0, 0}, {150, 0}, {0, 150}}, {}},
        {"diamond", {{0, 0}, {30, -30}, {60, 0}, {30, 30}}, {}},
        {"L turned 45°", {{0, 0}, {70.710678, 70.710678}, {56.568542, 84.852814}, {0, 28.284271},
                          {-56.568542, 84.852814}, {-70.710678, 70.710678}}, {}},
        {"frame with an L window", Rectangle(0, 0, 200, 200),
         {{{20, 20}, {20, 180}, {80, 180}, {80, 80}, {180, 80}, {180, 20}}}},
    };
    for (const double precision : {2.5, 0.1}) {
        NestingSetting::m_instance.m_tolerance = precision;
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(precision));
            const FigurePtr figure = MakeFigure(c.ring, L"Part", c.holes);
            figure->InitPolygons(0.0, 2.0 * half, nullptr);
            ASSERT_EQ(figure->m_poligons.size(), figure->m_borders.size());
            ASSERT_EQ(figure->m_controls.size(), figure->m_borders.size());
            for (size_t k = 0; k < figure->m_borders.size(); ++k) {
                const NPolygon& border = *figure->m_borders[k];
                EXPECT_NEAR(ringtest::BoundaryDistance(*figure->m_controls[k], *figure->m_poligons[k]), 0.1, 1e-3);
                for (const auto& [list, reach] :
                     {std::pair{&figure->m_poligons, half}, std::pair{&figure->m_controls, half - 0.1}}) {
                    const NPolygon& gap = *(*list)[k];
                    EXPECT_GE(ringtest::BoundaryDistance(gap, border), reach - 1e-4) << k;
                    for (const NPoint& p : gap.m_points)
                        EXPECT_LE(ringtest::PointRingDistance(border.m_points, p), reach + precision + 1e-4) << k;
                    for (int step = 0; k == 0 && step < 8; ++step) {
                        const NPoint d{std::cos(step * 45.0 * DR), std::sin(step * 45.0 * DR)};
                        const auto extent = [&](const NPolygon& r) {
                            double e = -1e300;
                            for (const NPoint& p : r.m_points)
                                e = std::max(e, p.x * d.x + p.y * d.y);
                            return e;
                        };
                        EXPECT_NEAR(extent(gap), extent(border) + reach, 1e-4) << step * 45 << "°";
                    }
                }
            }
        }
    }
    NestingSetting::m_instance.m_tolerance = saved;
}

TEST_F(FigureOutlineTest, ZeroGapKeepsTheOutlineAndControlsGoInside)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 0.0);
    ASSERT_EQ(figure->m_poligons.size(), 1u);
    ExpectSameVertices(*figure->m_poligons[0], NPolygon({0, 0}, kEll), 1e-3);
    ASSERT_EQ(figure->m_controls.size(), 1u);
    ExpectRectNear(figure->m_controls[0]->GetGabarit(), Grown({{0, 0}, {40, 30}}, -0.1), 1e-3);
    EXPECT_FALSE(figure->m_convex);

    // A diamond, its corners rounded over 0.02 mm in steps shorter than the
    // point tolerance or a little longer: with no gap, its gap polygon still
    // reaches as far as its outline (the part goes to a sheet's edge, not past).
    for (const double step : {9e-5, 1.6e-4}) {
        SCOPED_TRACE(step);
        const std::vector<NPoint> corners = {{0, 0}, {150, -150}, {300, 0}, {150, 150}};
        std::vector<NPoint> diamond;
        for (size_t k = 0; k < corners.size(); ++k) {
            const NPoint &a = corners[(k + 3) % 4], &p = corners[k], &b = corners[(k + 1) % 4];
            const double reach = 0.02 / Distance(a, p);
            const NPoint from{p.x + (a.x - p.x) * reach, p.y + (a.y - p.y) * reach};
            const NPoint to{p.x + (b.x - p.x) * reach, p.y + (b.y - p.y) * reach};
            const int steps = static_cast<int>(0.04 / step);
            for (int j = 0; j <= steps; ++j) {
                const double u = static_cast<double>(j) / steps;
                diamond.push_back({(1 - u) * (1 - u) * from.x + 2 * u * (1 - u) * p.x + u * u * to.x,
                                   (1 - u) * (1 - u) * from.y + 2 * u * (1 - u) * p.y + u * u * to.y});
            }
        }
        const FigurePtr rounded = MakeFigureWithGap(diamond, 0.0);
        ASSERT_EQ(rounded->m_poligons.size(), 1u);
        const NRect& outline = rounded->m_borders[0]->GetGabarit();
        ExpectRectNear(outline, {{0.00707, -149.99293}, {299.99293, 149.99293}}, 1e-4);
        const NRect& gap = rounded->m_poligons[0]->GetGabarit();
        EXPECT_LE(gap.pBot.x, outline.pBot.x + 1e-9);
        EXPECT_LE(gap.pBot.y, outline.pBot.y + 1e-9);
        EXPECT_GE(gap.pTop.x, outline.pTop.x - 1e-9);
        EXPECT_GE(gap.pTop.y, outline.pTop.y - 1e-9);
    }
}

// A nearly level edge (slope 2 : 2384, as an industrial part has it) is not
// straightened by moving its end into the part: the outline and the gap
// polygon still enclose the part, and the hole's ring still lies in its hole.
TEST_F(FigureOutlineTest, StraightenedRingsStillEnclose)
{
    const std::vector<NPoint> part = {{5214, 1000}, {7598, 1000}, {7598, 2447}, {5214, 2449}};
    const std::vector<NPoint> hole = {{5300, 1100}, {7500, 1100}, {7500, 2347}, {5300, 2349}};
    const FigurePtr figure = MakeFigure(Rectangle(5000, 500, 3000, 2500), L"Plate", {hole});
    const FigurePtr solid = MakeFigure(part);
    figure->InitPolygons(0.0, 0.0, nullptr);
    solid->InitPolygons(0.0, 0.0, nullptr);
    // `inner` lies inside `outer` (within EPS): no vertex of either on the wrong side.
    const auto expectWithin = [](const std::vector<NPoint>& inner, const std::vector<NPoint>& outer) {
        for (const NPoint& p : inner)
            EXPECT_TRUE(ringtest::EvenOddInside(outer, p) || ringtest::PointRingDistance(outer, p) < 2 * EPS)
                << p.x << " " << p.y;
        for (const NPoint& p : outer)
            EXPECT_TRUE(!ringtest::EvenOddInside(inner, p) || ringtest::PointRingDistance(inner, p) < 2 * EPS)
                << p.x << " " << p.y;
    };
    for (const VectorPolygon* rings : {&solid->m_borders, &solid->m_poligons})
        expectWithin(part, rings->front()->m_points);
    for (const VectorPolygon* rings : {&figure->m_borders, &figure->m_poligons}) {
        ASSERT_EQ(rings->size(), 2u);
        expectWithin((*rings)[1]->m_points, hole);
    }
}

TEST_F(FigureOutlineTest, PolygonsAreBuiltOnceUntilCleared)
{
    const FigurePtr figure = MakeFigureWithGap(Rectangle(0, 0, 100, 50), 10.0);
    const NPolygonPtr first = figure->m_poligons[0];
    figure->InitPolygons(0.0, 20.0, nullptr);
    EXPECT_EQ(figure->m_poligons[0], first);

    figure->ClearPolygons();
    EXPECT_TRUE(figure->m_poligons.empty());
    EXPECT_TRUE(figure->m_controls.empty());
    EXPECT_EQ(figure->m_borders.size(), 1u);
    figure->InitPolygons(0.0, 20.0, nullptr);
    ExpectRectNear(figure->m_rect, Grown({{0, 0}, {100, 50}}, 10.0), 1e-3);
}

TEST_F(FigureOutlineTest, NotchesNarrowerThanTheSizeAreClosedBeforeOffsetting)
{
    // A comb: a 2 mm notch in the top edge.
    const std::vector<NPoint> comb = {{0, 0}, {50, 0}, {50, 20}, {26, 20}, {26, 5}, {24, 5}, {24, 20}, {0, 20}};
    const FigurePtr open = MakeFigure(comb);
    open->InitPolygons(0.0, 0.0, nullptr);
    const FigurePtr closed = MakeFigure(comb);
    closed->InitPolygons(5.0, 0.0, nullptr);
    EXPECT_EQ(open->m_poligons[0]->m_points.size(), 8u);
    EXPECT_EQ(closed->m_poligons[0]->m_points.size(), 4u);
    EXPECT_EQ(open->m_borders[0]->m_points.size(), 8u);  // the outline itself keeps the notch
}

TEST_F(FigureOutlineTest, EqualFigureTakesCopiesWhereItsOwnOutlineLies)
{
    const FigurePtr first = MakeFigureWithGap(kEll, 10.0);
    std::vector<NPoint> shifted;
    for (const NPoint& p : kEll)
        shifted.push_back({p.x + 200, p.y + 100});
    const FigurePtr second = MakeFigure(shifted);
    second->InitPolygons(0.0, 10.0, first);

    ASSERT_EQ(second->m_poligons.size(), first->m_poligons.size());
    EXPECT_NE(second->m_poligons[0], first->m_poligons[0]);  // copies, not shared
    ExpectRectNear(second->m_rect, Grown({{200, 100}, {240, 130}}, 5.0), 1e-3);
    ExpectRectNear(second->m_controls[0]->GetGabarit(), Grown({{200, 100}, {240, 130}}, 4.9), 1e-3);
    EXPECT_FALSE(second->m_convex);  // taken from the outline, not copied
}

// Copies of an equal figure's polygons, and copies of a whole figure, turn
// with their own outline even when it lies far from the reference point of
// the figure they were copied from.
TEST_F(FigureOutlineTest, CopiedPolygonsTurnWithTheirOwnOutline)
{
    const FigurePtr first = MakeFigureWithGap(kEll, 10.0);
    std::vector<NPoint> far;
    for (const NPoint& p : kEll)
        far.push_back({p.x + 300, p.y});
    const FigurePtr pattern = MakeFigure(far);
    pattern->InitPolygons(0.0, 10.0, first);
    first->SetPlacement(250, 40, 0, false);
    const FigurePtr copy = first->CreateCopy();
    ASSERT_TRUE(copy);
    EXPECT_NEAR(copy->m_length, first->m_length, 1e-9);

    for (const FigurePtr& figure : {pattern, copy}) {
        for (double angle : {90.0, 45.0, -135.0}) {
            figure->SetPlacement(0, 0, angle, false);
            ExpectPolygonsOnOutline(*figure, 10.0);
            ExpectInStepWithMacro(*figure);
        }
    }
}

TEST_F(FigureOutlineTest, MacroWithoutClosedOutlineIsDroppedAndDeletedUnlessLoaded)
{
    const auto openChain = [&] {
        return MakeMacro(Container(), {macrotest::AddLine(Container(), {0, 0}, {10, 0})}, L"Open");
    };
    Messages().clear();
    const FigurePtr made = Figure::Create(openChain());
    made->InitParams();
    EXPECT_FALSE(made->m_macro);
    EXPECT_EQ(MacrosInDrawing(), 0u);

    const FigurePtr loaded = Figure::Create(openChain());
    loaded->m_edit = true;
    loaded->InitBorders();
    EXPECT_FALSE(loaded->m_macro);
    EXPECT_EQ(MacrosInDrawing(), 1u);

    // The figure is inert afterwards.
    loaded->InitPolygons(0.0, 10.0, nullptr);
    loaded->SetPlacement(10, 0, 0, false);
    EXPECT_TRUE(loaded->m_poligons.empty());
}

}  // namespace
}  // namespace figuretest
