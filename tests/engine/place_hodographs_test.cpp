// The no-fit polygons of a figure on a sheet: every candidate vertex is a
// position free of the placed figures and inside the sheet.
#include "place_fixture.h"

namespace placetest {
namespace {

// A frame with a cut corner (its outline is no rectangle, so its hole counts), and an L.
const std::vector<NPoint> kFrame = {{0, 0}, {200, 0}, {200, 180}, {180, 200}, {0, 200}};
const std::vector<NPoint> kFrameHole = {{50, 50}, {50, 150}, {150, 150}, {150, 50}};
const std::vector<NPoint> kEll = {{0, 0}, {80, 0}, {80, 20}, {20, 20}, {20, 60}, {0, 60}};

class HodographsTest : public PlaceTest {
protected:
    void SetUp() override
    {
        PlaceTest::SetUp();
        builder.Init(kFigureGap, kSheetGap, 1, false);
    }

    VectorPolygon Hodographs(const VectorFigure& placed, const FigurePtr& figure, const SheetPtr& sheet,
                             bool useInners = true)
    {
        double x = 0.0, y = 0.0, angle = 0.0;
        figure->GetPlacement(x, y, angle);
        VectorPolygon outs;
        builder.CreateHodographs(x, y, placed, figure, sheet, outs, useInners, false);
        return outs;
    }

    void MoveTo(const FigurePtr& figure, const NPoint& p)
    {
        double x = 0.0, y = 0.0, angle = 0.0;
        figure->GetPlacement(x, y, angle);
        figure->SetPlacement(p.x - x, p.y - y, 0.0, false);
    }

    HodographBuilder builder;
};

TEST_F(HodographsTest, AloneOnTheSheetTheResultIsTheInnerFitRectangle)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));

    const VectorPolygon outs = Hodographs({}, figure, sheet);

    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs.front()->m_points.size(), 4u);
    for (const NPoint& p : outs.front()->m_points) {
        MoveTo(figure, p);
        ExpectInsideSheet(*figure, *sheet);
    }
}

TEST_F(HodographsTest, FigureWiderThanTheSheetGetsNothing)
{
    SheetPtr sheet = AddSheet(100.0, 100.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 95, 20));
    EXPECT_TRUE(Hodographs({}, figure, sheet).empty());
}

TEST_F(HodographsTest, CandidatesClearThePlacedFigureAndReachIntoItsHole)
{
    SheetPtr sheet = AddSheet(400.0, 300.0);
    FigurePtr frame = AddFigure(kFrame, {kFrameHole});
    FigurePtr square = AddFigure(Rectangle(0, 0, 30, 30));
    MoveTo(frame, {100.0, 100.0});
    const NRect hole = frame->m_borders[1]->GetGabarit();

    const VectorPolygon outs = Hodographs({frame}, square, sheet);

    ASSERT_FALSE(outs.empty());
    bool inHole = false;
    for (const NPolygonPtr& polygon : outs) {
        for (const NPoint& p : polygon->m_points) {
            MoveTo(square, p);
            const NRect rc = square->m_borders.front()->GetGabarit();
            if (rc.pBot.x > hole.pBot.x && rc.pTop.x < hole.pTop.x && rc.pBot.y > hole.pBot.y &&
                rc.pTop.y < hole.pTop.y)
                inHole = true;
            else
                ExpectInsideSheet(*square, *sheet);
            EXPECT_FALSE(square->CheckIntersect(frame)) << p.x << " " << p.y;
        }
    }
    EXPECT_TRUE(inHole);
}

TEST_F(HodographsTest, EqualShapesComeFromTheCache)
{
    SheetPtr sheet = AddSheet(400.0, 300.0);
    FigurePtr placed = AddFigure(kEll), moving = AddFigure(kEll);
    MoveTo(placed, {50.0, 50.0});
    const VectorPolygon first = Hodographs({placed}, moving, sheet);
    const size_t cached = builder.m_hodographsContainer.size();
    ASSERT_EQ(cached, 1u);

    MoveTo(placed, {150.0, 120.0});
    const VectorPolygon second = Hodographs({placed}, moving, sheet);

    EXPECT_EQ(builder.m_hodographsContainer.size(), cached);
    ASSERT_FALSE(second.empty());
    for (const NPolygonPtr& polygon : second) {
        for (const NPoint& p : polygon->m_points) {
            MoveTo(moving, p);
            EXPECT_FALSE(moving->CheckIntersect(placed)) << p.x << " " << p.y;
        }
    }
}

// A pair turned together by quarter turns, the fixed one with a hole: its
// no-fit polygons come from the cache, turned, and are those built afresh.
class TurnedPairTest : public HodographsTest, public ::testing::WithParamInterface<int> {};

TEST_P(TurnedPairTest, TurnedPairComesFromTheCacheAsBuilt)
{
    AddSheet(400.0, 300.0);
    FigurePtr frame = AddFigure(kFrame, {kFrameHole}), ell = AddFigure(kEll);
    MoveTo(frame, {100.0, 100.0});
    MapHodographPoligon ext, inn, turnedExt, turnedInn, builtExt, builtInn;
    builder.CreateFigureHodographs(*frame, *ell, true, ext, inn);
    ASSERT_EQ(builder.m_hodographsContainer.size(), 1u);
    for (const FigurePtr& figure : {frame, ell})
        figure->SetPlacement(0.0, 0.0, 90.0 * GetParam(), false);
    MoveTo(frame, {130.0, 70.0});
    builder.CreateFigureHodographs(*frame, *ell, true, turnedExt, turnedInn);
    HodographBuilder fresh;
    fresh.Init(kFigureGap, kSheetGap, 1, false);
    fresh.CreateFigureHodographs(*frame, *ell, true, builtExt, builtInn);
    EXPECT_EQ(builder.m_hodographsContainer.size(), 1u);
    for (const auto& [turned, built] : {std::pair{&turnedExt, &builtExt}, std::pair{&turnedInn, &builtInn}}) {
        ASSERT_EQ(turned->size(), built->size());
        for (size_t k = 0; k < turned->size(); ++k) {
            const std::vector<NPoint> &a = (*turned)[k].first->m_points, &b = (*built)[k].first->m_points;
            ASSERT_EQ(a.size(), b.size());
            for (const NPoint& p : a)
                EXPECT_TRUE(std::any_of(b.begin(), b.end(), [&](const NPoint& q) { return Distance(p, q) < 1e-6; }))
                    << p.x << " " << p.y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Place, TurnedPairTest, ::testing::Values(1, 2, 3));

// Figures the moving one can touch nowhere are left out of the no-fit
// polygons; the positions they would forbid are refused by the free-space
// grid instead. The bottom-left point must be the same either way.
TEST_F(HodographsTest, LeavingOutFiguresOutOfReachKeepsTheBottomLeftPointSlow)
{
    SheetPtr sheet = AddSheet(2000.0, 150.0);
    for (int i = 0; i < 24; ++i) {
        const double w = 30.0 + (i * 37) % 50;
        const double h = 20.0 + (i * 23) % 40;
        if (i % 3 == 0)
            AddFigure({{0, 0}, {w, 0}, {w, h / 3}, {w / 3, h / 3}, {w / 3, h}, {0, h}});
        else if (i % 3 == 1)
            AddFigure({{0, 0}, {w, 0}, {w / 2, h}});
        else
            AddFigure(Rectangle(0, 0, w, h / 2));
    }
    Model().SortFiguresByAreasDecrease();
    PlaceAll(RotationType::Rotation90, false);
    VectorFigure placed;
    for (const FigurePtr& figure : Model().m_figures)
        if (figure->m_owner == sheet)
            placed.push_back(figure);
    ASSERT_EQ(placed.size(), 24u);
    const double g = kSheetGap - 0.5 * kFigureGap;
    const NRect region{sheet->m_rect.pBot + NPoint{g, g}, sheet->m_rect.pTop - NPoint{g, g}};

    size_t leftOut = 0;
    for (const std::vector<NPoint>& ring : {std::vector<NPoint>{{0, 0}, {12, 0}, {6, 10}}, Rectangle(0, 0, 25, 15),
                                            std::vector<NPoint>{{0, 0}, {40, 0}, {40, 8}, {8, 8}, {8, 30}, {0, 30}}}) {
        FigurePtr probe = AddFigure(ring);
        for (int turn = 0; turn < 4; ++turn) {
            probe->SetPlacement(0.0, 0.0, 90.0 * turn, false);
            double x = 0.0, y = 0.0, angle = 0.0;
            probe->GetPlacement(x, y, angle);
            std::vector<NPoint> all, pruned;
            builder.FindFreePoints(x, y, placed, AllPositions(), probe, sheet, 0.1, NestingOptimizer::kNoPoint, all);
            FreeSpace space;
            space.Update(*sheet, region, placed);
            const VectorFigure near = space.Near(placed, *probe, NPoint{x, y});
            leftOut += LeftOut(space, placed, near, *probe, NPoint{x, y});
            builder.FindFreePoints(x, y, near, space, probe, sheet, 0.1, NestingOptimizer::kNoPoint, pruned);
            double ax = 0.0, ay = 0.0, px = 0.0, py = 0.0;
            NestingOptimizer::GetPlacementPoint(all, ax, ay);
            NestingOptimizer::GetPlacementPoint(pruned, px, py);
            ASSERT_LT(ax, NestingOptimizer::kNoPoint);
            EXPECT_NEAR(px, ax, 1e-9) << "turn " << turn;
            EXPECT_NEAR(py, ay, 1e-9) << "turn " << turn;
        }
    }
    EXPECT_GT(leftOut, 0u);
}

TEST_F(HodographsTest, InspectionDrawingShowsOnlyTheLastCall)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));
    builder.Init(kFigureGap, kSheetGap, 1, true);
    const size_t before = DrawingObjects();

    const VectorPolygon first = Hodographs({}, figure, sheet);
    const size_t afterFirst = DrawingObjects();
    const VectorPolygon second = Hodographs({}, figure, sheet);

    EXPECT_EQ(afterFirst, before + first.size());
    EXPECT_EQ(DrawingObjects(), afterFirst);
    EXPECT_EQ(HodographBuilder::testHodographs.size(), second.size());
    builder.Init(kFigureGap, kSheetGap, 1, false);
    Hodographs({}, figure, sheet);
    EXPECT_EQ(DrawingObjects(), before);
    EXPECT_TRUE(HodographBuilder::testHodographs.empty());
}

}  // namespace
}  // namespace placetest
