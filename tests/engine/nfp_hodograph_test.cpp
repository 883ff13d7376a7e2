// The no-fit polygon cache entry, the rectangle no-fit polygons and the
// builder's pair, convex, difference, inside and check operations.
#include "engine/HodographBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using Ring = std::vector<NPoint>;

NPolygonPtr Poly(const Ring& ring) { return std::make_shared<NPolygon>(NPoint{}, ring); }
Ring Rect(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }
NRect Box(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y1}}; }

NPolygonPtr Moved(const NPolygonPtr& p, const NPoint& d)
{
    NPolygonPtr copy = p->GetCopy();
    copy->Offset(d);
    return copy;
}

bool SamePoints(const Ring& a, const Ring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t k = 0; k < a.size(); ++k)
        if (!(a[k] == b[k]))
            return false;
    return true;
}

std::vector<NSegmentPtr> Sides(const HodographRect& r)
{
    std::vector<NSegmentPtr> sides;
    r.GetSegments(sides);
    return sides;
}

bool Covers(const VectorPolygon& polygons, const NPoint& p)
{
    return std::any_of(polygons.begin(), polygons.end(),
                       [&](const NPolygonPtr& poly) { return poly->CheckContainPoint(p, false); });
}

// ---------------------------------------------------------------- cache entry

struct CacheFixture : ::testing::Test {
    NPolygonPtr fixed = Poly(Rect(0, 0, 10, 10));
    NPolygonPtr moving = Poly({{0, 0}, {4, 0}, {2, 3}});
    NPoint place{0, 0};
    NPolygonPtr border = Poly(Rect(1, 1, 9, 9));
    NPolygonPtr nfp1 = Poly(Rect(-4, -3, 10, 10));
    NPolygonPtr nfp2 = Poly(Rect(20, 20, 21, 21));
    HodographCash entry;
    void SetUp() override { entry.Insert(fixed, moving, place, {}, {{nfp1, border}, {nfp2, border}}, {}); }
};

TEST_F(CacheFixture, AnswersForTheSameShapesElsewhereShiftedByTheFixedShape)
{
    NPoint df{5, 7};
    NPoint dm{-3, 2};
    ASSERT_TRUE(entry.IsContain(Moved(fixed, df), Moved(moving, dm), place + dm, {}));
    MapHodographPoligon ext;
    MapHodographPoligon inn;
    entry.GetHodographs(Moved(fixed, df), Moved(moving, dm), ext, inn);
    ASSERT_EQ(ext.size(), 2u);
    EXPECT_TRUE(inn.empty());
    EXPECT_TRUE(SamePoints(ext[0].first->m_points, Rect(1, 4, 15, 17))); // insertion order kept
    EXPECT_TRUE(SamePoints(ext[1].first->m_points, Rect(25, 27, 26, 28)));
    EXPECT_EQ(ext[0].second, border);
    // Returned polygons are copies: changing them leaves the entry alone.
    ext[0].first->Offset({100, 100});
    EXPECT_TRUE(SamePoints(entry.extHodographs[0].first->m_points, nfp1->m_points));
}

TEST_F(CacheFixture, MovingShapeWithItsPlacementPointElsewhereDoesNotMatch)
{
    // The same outline, but its placement point sits 1 mm further right:
    // the stored positions of the old point would be 1 mm off.
    EXPECT_FALSE(entry.IsContain(fixed, moving, NPoint{1, 0}, {}));
    EXPECT_FALSE(entry.IsContain(fixed, Moved(moving, {2, 2}), NPoint{0, 0}, {}));
}

TEST_F(CacheFixture, OtherVertexOrderHolesOrNullDoNotMatch)
{
    EXPECT_FALSE(entry.IsContain(Poly({{10, 0}, {10, 10}, {0, 10}, {0, 0}}), moving, place, {}));
    EXPECT_FALSE(entry.IsContain(fixed, moving, place, {Poly(Rect(2, 2, 3, 3))}));
    EXPECT_FALSE(entry.IsContain(nullptr, moving, place, {}));
    EXPECT_FALSE(entry.IsContain(fixed, nullptr, place, {}));
    HodographCash empty;
    empty.Insert(nullptr, moving, place, {}, {{nfp1, border}}, {});
    EXPECT_FALSE(empty.polygon1);
    EXPECT_TRUE(empty.extHodographs.empty());
}

TEST(HodographCash, HolesMustMatchInNumberAndOrder)
{
    NPolygonPtr fixed = Poly(Rect(0, 0, 10, 10));
    NPolygonPtr moving = Poly(Rect(0, 0, 1, 1));
    NPolygonPtr h1 = Poly(Rect(1, 1, 2, 2));
    NPolygonPtr h2 = Poly(Rect(3, 3, 5, 5));
    HodographCash entry;
    entry.Insert(fixed, moving, {}, {h1, h2}, {{Poly(Rect(-1, -1, 10, 10)), fixed}}, {{Poly(Rect(1, 1, 1.5, 1.5)), fixed}});
    EXPECT_TRUE(entry.IsContain(fixed, moving, {}, {h1, h2}));
    EXPECT_FALSE(entry.IsContain(fixed, moving, {}, {h2, h1}));
    EXPECT_FALSE(entry.IsContain(fixed, moving, {}, {h1}));
    MapHodographPoligon ext;
    MapHodographPoligon inn;
    entry.GetHodographs(Moved(fixed, {1, 0}), moving, ext, inn);
    ASSERT_EQ(inn.size(), 1u);
    EXPECT_TRUE(SamePoints(inn[0].first->m_points, Rect(2, 1, 2.5, 1.5)));
}

// ---------------------------------------------------------------- rectangles

TEST(HodographRect, CornersOfExternalAndInternalRectangles)
{
    // Moving rectangle 4 x 2 with its placement point 1 right of its left
    // side and 0.5 above its bottom; gap 1 on every side.
    NRect moving = Box(10, 20, 14, 22);
    NPoint p0{11, 20.5};
    HodographRect ext(Box(0, 0, 10, 10), moving, p0, 1.0, false);
    EXPECT_TRUE(ext.p1 == NPoint({-4, -2.5}));
    EXPECT_TRUE(ext.p3 == NPoint({12, 11.5}));
    HodographRect in(Box(0, 0, 10, 10), moving, p0, 1.0, true);
    EXPECT_TRUE(in.p1 == NPoint({2, 1.5}));
    EXPECT_TRUE(in.p3 == NPoint({6, 7.5}));
    ASSERT_EQ(in.m_segments.size(), 4u);
    EXPECT_EQ(in.m_segments[0]->dir, 1);
    EXPECT_EQ(in.m_segments[3]->dir, 4);
    EXPECT_FALSE(in.IsCrossed());
    EXPECT_TRUE(HodographRect(Box(0, 0, 5, 5), moving, p0, 1.0, true).IsCrossed());
}

TEST(HodographRect, BottomSideThroughAnotherRectangleIsSplit)
{
    HodographRect a(Box(0, 0, 20, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    HodographRect b(Box(5, -5, 8, 5), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    a -= b;
    const std::vector<NSegmentPtr> sides = Sides(a);
    ASSERT_EQ(sides.size(), 5u);
    EXPECT_TRUE(sides[0]->p1 == NPoint({0, 0}));
    EXPECT_TRUE(sides[0]->p2 == NPoint({5, 0}));
    EXPECT_TRUE(sides[1]->p1 == NPoint({8, 0}));
    EXPECT_TRUE(sides[1]->p2 == NPoint({20, 0}));
}

TEST(HodographRect, SideAlongTheOthersEdgeIsCutHalfway)
{
    // a's bottom side runs along b's bottom edge into b.
    HodographRect a(Box(0, 0, 10, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    HodographRect b(Box(6, 0, 16, 4), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    a -= b;
    EXPECT_TRUE(a.m_segments[0]->p2 == NPoint({8, 0}));
}

TEST(HodographRect, SameObjectIsLeftAloneEqualRectanglesEraseEachOther)
{
    HodographRect a(Box(0, 0, 10, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    const HodographRect& same = a;
    a -= same;
    EXPECT_EQ(Sides(a).size(), 4u);
    HodographRect b(Box(0, 0, 10, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    a -= b;
    EXPECT_TRUE(Sides(a).empty());
}

TEST(HodographRect, InternalClipTrimsCrossingSidesAndDropsSidesBesideIt)
{
    HodographRect sheet(Box(0, 0, 10, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, true);
    // Bottom side crossing the whole sheet: trimmed to it.
    HodographRect across(Box(-5, 4, 15, 6), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    across -= sheet;
    EXPECT_TRUE(across.m_segments[0]->p1 == NPoint({0, 4}));
    EXPECT_TRUE(across.m_segments[0]->p2 == NPoint({10, 4}));
    EXPECT_FALSE(across.m_segments[1]); // right side outside the sheet
    // A rectangle wholly left of the sheet, at its height: nothing is left
    // of it (its sides do not reach the sheet).
    HodographRect beside(Box(-8, 4, -2, 6), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    beside -= sheet;
    EXPECT_TRUE(Sides(beside).empty());
}

TEST(HodographRect, NodePointsAreDistinctAlsoAgainstGivenPoints)
{
    HodographRect a(Box(0, 0, 10, 10), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    std::vector<NPoint> points{{0.00005, 0}};
    a.GetNodePoints(points);
    EXPECT_EQ(points.size(), 4u);
}

TEST(HodographRect, UniteAndOffsetMoveSidesNotCorners)
{
    HodographRect a(Box(0, 0, 1, 1), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    HodographRect b(Box(5, 5, 6, 6), Box(0, 0, 0, 0), {0, 0}, 0.0, false);
    a.Unite(b);
    EXPECT_EQ(a.m_segments.size(), 8u);
    EXPECT_TRUE(b.m_segments.empty());
    a.Offset({1, 0});
    EXPECT_TRUE(a.m_segments[0]->p1 == NPoint({1, 0}));
    EXPECT_TRUE(a.p1 == NPoint({0, 0}));
}

// The builder's rectangle no-fit polygons of `figure` at (0, 0) on `sheet`.
std::vector<HodographRectPtr> RectHodographs(double figureGap, double sheetGap, const std::vector<NRect>& placed,
                                             const NRect& figure, const NRect& sheet)
{
    HodographBuilder builder;
    builder.Init(figureGap, sheetGap, 1, false);
    std::vector<HodographRectPtr> outs;
    builder.CreateRectHodographs(0, 0, placed, figure, sheet, outs);
    return outs;
}

TEST(CreateRectHodographs, FigureOnAnEmptySheetGivesTheInnerRectangle)
{
    const std::vector<HodographRectPtr> outs = RectHodographs(20.0, 30.0, {}, Box(0, 0, 10, 10), Box(0, 0, 100, 60));
    ASSERT_EQ(outs.size(), 1u);
    std::vector<NPoint> nodes;
    outs[0]->GetNodePoints(nodes);
    ASSERT_EQ(nodes.size(), 4u);
    EXPECT_TRUE(outs[0]->p1 == NPoint({20, 20})); // sheet gap 30 less half the figure gap
    EXPECT_TRUE(outs[0]->p3 == NPoint({70, 30}));
}

// The gap rectangle reaches past the sheet's edge by what half the figure
// gap exceeds the edge gap: the outline keeps the edge gap as set.
TEST(CreateRectHodographs, SmallEdgeGapLetsTheGapRectangleReachPastTheEdge)
{
    const std::vector<HodographRectPtr> outs = RectHodographs(20.0, 5.0, {}, Box(0, 0, 10, 10), Box(0, 0, 100, 50));
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_TRUE(outs[0]->p1 == NPoint({-5, -5}));
    EXPECT_TRUE(outs[0]->p3 == NPoint({95, 45}));
}

TEST(CreateRectHodographs, FigureTooLargeWithOrWithoutItsGapGivesNothing)
{
    EXPECT_TRUE(RectHodographs(0.0, 10.0, {}, Box(0, 0, 101, 10), Box(0, 0, 100, 50)).empty());
    // Fits the sheet, but not with 10 mm kept on each side.
    EXPECT_TRUE(RectHodographs(0.0, 10.0, {}, Box(0, 0, 90, 10), Box(0, 0, 100, 50)).empty());
    EXPECT_EQ(RectHodographs(0.0, 10.0, {}, Box(0, 0, 80, 30), Box(0, 0, 100, 50)).size(), 1u); // exactly fitting passes
}

TEST(CreateRectHodographs, PlacedFigureClipsTheSheetRectangle)
{
    const std::vector<HodographRectPtr> outs =
        RectHodographs(0.0, 0.0, {Box(0, 0, 20, 20)}, Box(0, 0, 10, 10), Box(0, 0, 100, 50));
    ASSERT_EQ(outs.size(), 2u);
    std::vector<NPoint> nodes;
    for (const HodographRectPtr& r : outs)
        r->GetNodePoints(nodes);
    // The bottom-left candidates: right of the placed figure, and above it.
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const NPoint& p) { return p == NPoint({20, 0}); }));
    EXPECT_TRUE(std::any_of(nodes.begin(), nodes.end(), [](const NPoint& p) { return p == NPoint({0, 20}); }));
    EXPECT_FALSE(std::any_of(nodes.begin(), nodes.end(), [](const NPoint& p) { return p == NPoint({0, 0}); }));
}

// ---------------------------------------------------------------- builder operations

TEST(HodographBuilder, DefaultsAndInit)
{
    HodographBuilder builder;
    EXPECT_EQ(builder.m_figureGap, 30.0);
    EXPECT_EQ(builder.m_sheetGap, 20.0);
    EXPECT_EQ(builder.m_buildMethod, 1);
    EXPECT_FALSE(builder.m_testHodograph);
    builder.Init(4.0, 6.0, 0, true);
    EXPECT_EQ(builder.m_figureGap, 4.0);
    EXPECT_EQ(builder.m_sheetGap, 6.0);
    EXPECT_EQ(builder.m_buildMethod, 0);
    EXPECT_TRUE(builder.m_testHodograph);
}

TEST(HodographBuilder, ConvexHodographIsTheHullOfVertexDifferences)
{
    HodographBuilder builder;
    VectorPolygon outs;
    builder.CreateConvexHodograph(Poly(Rect(0, 0, 10, 10)), Poly(Rect(0, 0, 2, 3)), outs);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0]->m_points.size(), 4u);
    NRect box = outs[0]->GetGabarit();
    EXPECT_TRUE(box.pBot == NPoint({-2, -3}));
    EXPECT_TRUE(box.pTop == NPoint({10, 10}));
    builder.CreateConvexHodograph(nullptr, Poly(Rect(0, 0, 2, 3)), outs);
    EXPECT_EQ(outs.size(), 1u);
}

// Many-sided convex outlines: the hodograph is the hull of every vertex
// difference, whether edges of the two run parallel, a ring runs clockwise
// or has vertices on its edges.
TEST(HodographBuilder, ConvexHodographOfManySidedOutlinesIsTheHullOfEveryDifference)
{
    auto polygon = [](double cx, double cy, double r, int sides, double turn) {
        Ring ring;
        for (int k = 0; k < sides; ++k)
            ring.push_back({cx + r * std::cos(turn + 2 * PI * k / sides), cy + r * std::sin(turn + 2 * PI * k / sides)});
        return ring;
    };
    Ring clockwise = polygon(0, 0, 7, 40, 0.1);
    std::reverse(clockwise.begin(), clockwise.end());
    const struct {
        const char* name;
        Ring a, b;
    } cases[] = {
        {"parallel edges", polygon(100, 50, 30, 48, 0), polygon(0, 0, 12, 48, 0)},
        {"turned", polygon(100, 50, 30, 300, 0.3), polygon(-5, 2, 12, 120, 0.01)},
        {"clockwise", polygon(3, 4, 20, 64, 0), clockwise},
        {"vertices on edges", {{0, 0}, {5, 0}, {10, 0}, {10, 5}, {10, 10}, {0, 10}}, polygon(0, 0, 3, 17, 0.2)},
        {"triangle", {{0, 0}, {10, 0}, {0, 10}}, polygon(50, 50, 3, 90, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Ring differences;
        for (const NPoint& a : c.a)
            for (const NPoint& b : c.b)
                differences.push_back(a - b);
        Ring expected;
        CreateConvexHull(differences, expected);
        VectorPolygon outs;
        HodographBuilder().CreateConvexHodograph(Poly(c.a), Poly(c.b), outs);
        ASSERT_EQ(outs.size(), 1u);
        const Ring& hull = outs[0]->m_points;
        ASSERT_EQ(hull.size(), expected.size());
        for (size_t k = 0; k < hull.size(); ++k) {
            EXPECT_NEAR(hull[k].x, expected[k].x, 1e-9) << k;
            EXPECT_NEAR(hull[k].y, expected[k].y, 1e-9) << k;
        }
    }
}

TEST(HodographBuilder, PairHodographAppendsTheOrbitOrNothing)
{
    HodographBuilder builder;
    VectorPolygon outs{Poly(Rect(0, 0, 1, 1))};
    builder.CreatePairHodograph({0, 0}, nullptr, Poly(Rect(0, 0, 1, 1)), false, outs);
    EXPECT_EQ(outs.size(), 1u);
    builder.CreatePairHodograph({0, 0}, Poly(Rect(0, 0, 10, 10)), Poly(Rect(0, 0, 2, 2)), false, outs);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_TRUE(outs[1]->GetGabarit().pBot == NPoint({-2, -2}));
    // A self-crossing outline cannot be orbited: nothing, so that the caller
    // falls back to the gap rectangles.
    builder.CreatePairHodograph({0, 0}, Poly({{0, 0}, {10, 10}, {10, 0}, {0, 10}}), Poly(Rect(0, 0, 2, 2)), false,
                                outs);
    EXPECT_EQ(outs.size(), 2u);
}

TEST(HodographBuilder, DifferenceOfNothingAppendsNothing)
{
    HodographBuilder builder;
    VectorPolygon hodographs;
    VectorPolygon outs;
    builder.CreateDifferenceHodographs(Poly(Rect(0, 0, 10, 10)), hodographs, outs, false);
    EXPECT_TRUE(outs.empty());
}

TEST(HodographBuilder, IslandInsideTheSourceIsKeptAsARing)
{
    HodographBuilder builder;
    NPolygonPtr source = Poly(Rect(0, 0, 10, 10));
    NPolygonPtr island = Poly(Rect(4, 4, 6, 6));
    VectorPolygon hodographs{island};
    VectorPolygon outs;
    builder.CreateDifferenceHodographs(source, hodographs, outs, false);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_EQ(outs[0], island);
    EXPECT_EQ(outs[1], source);
    EXPECT_TRUE(hodographs.empty());
}

TEST(HodographBuilder, EveryPieceOfASplitRegionLosesTheRemainingPolygons)
{
    // h1 cuts the source in two; h2 (not touching h1) reaches into both
    // pieces. Neither piece may keep any of h2.
    HodographBuilder builder;
    NPolygonPtr source = Poly(Rect(0, 0, 30, 10));
    NPolygonPtr h1 = Poly(Rect(10, -5, 12, 15));
    NPolygonPtr h2 = Poly({{5, 5}, {9, 5}, {9, 16}, {13, 16}, {13, 5}, {17, 5}, {17, 20}, {5, 20}});
    VectorPolygon hodographs{h1, h2};
    VectorPolygon outs;
    builder.CreateDifferenceHodographs(source, hodographs, outs, false);
    EXPECT_FALSE(Covers(outs, {7, 7}));  // h2 in the left piece
    EXPECT_FALSE(Covers(outs, {15, 7})); // h2 in the right piece
    EXPECT_TRUE(Covers(outs, {2, 2}));
    EXPECT_TRUE(Covers(outs, {25, 2}));
}

TEST(HodographBuilder, InsideHodographsOfACounterClockwiseContainer)
{
    HodographBuilder builder;
    VectorPolygon outs;
    builder.CreateInsideHodographs({0, 0}, Poly(Rect(0, 0, 10, 10)), Poly(Rect(0, 0, 2, 2)), {}, outs);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_TRUE(outs[0]->GetGabarit().pBot == NPoint({0, 0}));
    EXPECT_TRUE(outs[0]->GetGabarit().pTop == NPoint({8, 8}));
    outs.clear();
    builder.CreateInsideHodographs({0, 0}, nullptr, Poly(Rect(0, 0, 2, 2)), {}, outs);
    builder.CreateInsideHodographs({0, 0}, Poly(Rect(0, 0, 1, 1)), Poly(Rect(0, 0, 2, 2)), {}, outs);
    EXPECT_TRUE(outs.empty());
}

TEST(HodographBuilder, InsideHodographsKeepOffTheHoles)
{
    // A hole in the middle of the region: the region comes back with the
    // ring of positions around the hole inside it.
    HodographBuilder builder;
    VectorPolygon outs;
    builder.CreateInsideHodographs({0, 0}, Poly(Rect(0, 0, 20, 20)), Poly(Rect(0, 0, 2, 2)),
                                   {Poly(Rect(9, 9, 11, 11))}, outs);
    ASSERT_EQ(outs.size(), 2u);
    EXPECT_TRUE(outs[0]->GetGabarit().pBot == NPoint({7, 7}));
    EXPECT_TRUE(outs[0]->GetGabarit().pTop == NPoint({11, 11}));
    EXPECT_TRUE(outs[1]->GetGabarit().pTop == NPoint({18, 18}));
}

TEST(HodographBuilder, CheckRemovesPolygonsInsidePlacedFiguresButNotInTheirHoles)
{
    HodographBuilder builder;
    NPolygonPtr inFigure = Poly(Rect(1, 1, 2, 2));
    NPolygonPtr inHole = Poly(Rect(5, 5, 6, 6));
    NPolygonPtr outside = Poly(Rect(30, 30, 31, 31));
    std::vector<VectorPolygon> placed{{Poly(Rect(0, 0, 10, 10)), Poly(Rect(4, 4, 7, 7))}};
    VectorPolygon hodographs{inFigure, inHole, outside};
    builder.CheckHodographs(placed, hodographs, true);
    ASSERT_EQ(hodographs.size(), 2u);
    EXPECT_EQ(hodographs[0], inHole);
    EXPECT_EQ(hodographs[1], outside);
    // Without inner polygons a figure with holes takes no part.
    VectorPolygon all{inFigure, inHole, outside};
    builder.CheckHodographs(placed, all, false);
    EXPECT_EQ(all.size(), 3u);
}

} // namespace
