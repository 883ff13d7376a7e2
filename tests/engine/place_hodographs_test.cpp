// The no-fit polygons of a figure on a sheet: every candidate vertex is a
// position free of the placed figures and inside the sheet.
#include "place_fixture.h"

namespace placetest {
namespace {

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
    // A frame with a cut corner: its outline is no rectangle, so its hole counts.
    FigurePtr frame = AddFigure({{0, 0}, {200, 0}, {200, 180}, {180, 200}, {0, 200}},
                                {{{50, 50}, {50, 150}, {150, 150}, {150, 50}}});
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
    const std::vector<NPoint> ell = {{0, 0}, {80, 0}, {80, 20}, {20, 20}, {20, 60}, {0, 60}};
    FigurePtr placed = AddFigure(ell);
    FigurePtr moving = AddFigure(ell);
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

}  // namespace
}  // namespace placetest

namespace placetest {
namespace {

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
