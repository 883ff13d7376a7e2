// Automatic placement on the stand-in host: whole jobs on one and more
// sheets, the container for what fits nowhere, and single figures slid.
#include "place_fixture.h"

#include "support/shape_generators.h"

namespace placetest {
namespace {

const std::vector<NPoint> kBigEll = {{0, 0}, {120, 0}, {120, 40}, {40, 40}, {40, 100}, {0, 100}};
const std::vector<NPoint> kEllHole = {{10, 10}, {10, 30}, {30, 30}, {30, 10}};
using R = RotationType;

// A sheet `width` × `height` and a figure per ring, placed with `rotation`.
struct SheetCase { const char* name; double width, height; std::vector<std::vector<NPoint>> rings; R rotation;
                   double angle = 0.0; };

class SmallJobTest : public PlaceTest, public ::testing::WithParamInterface<RotationType> {};

TEST_P(SmallJobTest, PlacesEveryFigureOnTheSheetApart)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    AddFigure(kBigEll, {kEllHole});
    AddFigure(kBigEll, {kEllHole});
    AddFigure(Rectangle(0, 0, 60, 30));
    AddFigure(Rectangle(0, 0, 50, 20));
    AddFigure(Rectangle(0, 0, 30, 30));
    Model().SortFiguresByAreasDecrease();

    PlaceAll(GetParam());

    ASSERT_EQ(Model().m_sheets.size(), 1u);
    for (const FigurePtr& figure : Model().m_figures) {
        ASSERT_EQ(figure->m_owner, sheet);
        EXPECT_EQ(figure->GetView(), sheet->GetView());
        ExpectInsideSheet(*figure, *sheet);
        figuretest::ExpectInStepWithMacro(*figure);
    }
    ExpectApartOnSheets();
}

// Squares turned by 45 degrees are rectangles, but not upright ones: the
// rectangle route, which takes a figure as its outline's rectangle grown by
// half the gap, is for upright ones only (turned ones went that way over one
// another, and every one then took a sheet of its own).
TEST_P(SmallJobTest, TurnedSquaresShareOneSheet)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    const double h = 30.0 * std::sqrt(2.0);
    for (int i = 0; i < 3; ++i)
        AddFigure({{h, 0}, {2 * h, h}, {h, 2 * h}, {0, h}});

    PlaceAll(GetParam());

    ASSERT_EQ(Model().m_sheets.size(), 1u);
    for (const FigurePtr& figure : Model().m_figures)
        EXPECT_EQ(figure->m_owner, sheet);
    ExpectApartOnSheets();
}

INSTANTIATE_TEST_SUITE_P(Rotations, SmallJobTest,
                         ::testing::Values(RotationType::WithoutRotation, RotationType::Rotation90));

TEST_F(PlaceTest, FirstFigureGoesToTheBottomLeftCornerWithTheSheetGap)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(100, 100, 60, 30));
    PlaceAll(RotationType::WithoutRotation);
    ASSERT_EQ(figure->m_owner, sheet);
    const NRect& rc = figure->m_borders.front()->GetGabarit();
    EXPECT_NEAR(rc.pBot.x, kSheetGap, 1e-3);
    EXPECT_NEAR(rc.pBot.y, kSheetGap, 1e-3);
}

TEST_F(PlaceTest, BottomLeftRuleTakesTheLowestPointNearTheLeftmost)
{
    double x = 0.0, y = 0.0;
    // A candidate is taken whole: the x of one with the y of another may be
    // no free position.
    NestingOptimizer::GetPlacementPoint({{10.0, 5.0}, {10.05, 3.0}, {10.2, 1.0}, {10.08, 3.0}}, x, y);
    EXPECT_DOUBLE_EQ(x, 10.05);
    EXPECT_DOUBLE_EQ(y, 3.0);
    NestingOptimizer::GetPlacementPoint({}, x, y);
    EXPECT_GE(x, NestingOptimizer::kNoPoint);
    EXPECT_GE(y, NestingOptimizer::kNoPoint);
}

TEST_F(PlaceTest, JobTooLargeForOneSheetGetsASecond)
{
    AddSheet(150.0, 100.0);
    for (int i = 0; i < 3; ++i)
        AddFigure(Rectangle(0, 0, 100, 60));

    PlaceAll(RotationType::WithoutRotation);

    ASSERT_GE(Model().m_sheets.size(), 2u);
    for (const FigurePtr& figure : Model().m_figures) {
        ASSERT_TRUE(figure->m_owner);
        EXPECT_EQ(figure->GetView(), figure->m_owner->GetView());
        ExpectInsideSheet(*figure, *figure->m_owner);
    }
    ExpectApartOnSheets();
    for (const SheetPtr& sheet : Model().m_sheets) {
        const bool used = std::any_of(Model().m_figures.begin(), Model().m_figures.end(),
                                      [&](const FigurePtr& f) { return f->m_owner == sheet; });
        EXPECT_TRUE(used) << "an empty sheet was left";
    }
}

TEST_F(PlaceTest, FigureLargerThanEverySheetGoesToTheContainer)
{
    SheetPtr sheet = AddSheet(150.0, 100.0);
    FigurePtr small = AddFigure(Rectangle(0, 0, 40, 20));
    FigurePtr large = AddFigure(Rectangle(0, 0, 200, 50));
    Model().SortFiguresByAreasDecrease();

    PlaceAll(RotationType::Rotation90);

    EXPECT_EQ(small->m_owner, sheet);
    EXPECT_FALSE(large->m_owner);
    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    EXPECT_EQ(large->GetView(), container);
    EXPECT_NE(container, sheet->GetView());
    // The sheet added for it stayed empty and is gone again.
    ASSERT_EQ(Model().m_sheets.size(), 1u);
    EXPECT_EQ(Model().m_sheets.front(), sheet);
    EXPECT_EQ(Model().m_figures.size(), 2u);
}

TEST_F(PlaceTest, NothingFitsKeepsTheFirstSheet)
{
    SheetPtr first = AddSheet(150.0, 100.0);
    AddSheet(150.0, 100.0);
    FigurePtr large = AddFigure(Rectangle(0, 0, 200, 150));

    PlaceAll(RotationType::WithoutRotation);

    EXPECT_FALSE(large->m_owner);
    ASSERT_EQ(Model().m_sheets.size(), 1u);
    EXPECT_EQ(Model().m_sheets.front(), first);
    EXPECT_TRUE(HasViewOf(*first));
}

TEST_F(PlaceTest, ExactFitIsAPositionLikeAnyOther)
{
    // The square, one figure gap from every wall, just fills the notch; the
    // sheet leaves no room above the frame.
    SheetPtr sheet = AddSheet(400.0, 76.0);
    FigurePtr frame = AddFigure({{0, 0}, {100, 0}, {100, 60}, {70, 60}, {70, 30}, {30, 30}, {30, 60}, {0, 60}});
    FigurePtr square = AddFigure(Rectangle(200, 0, 20, 20));

    PlaceAll(RotationType::WithoutRotation, false);

    ASSERT_EQ(frame->m_owner, sheet);
    ASSERT_EQ(square->m_owner, sheet);
    const NPoint corner = frame->m_borders.front()->GetGabarit().pBot;
    figuretest::ExpectRectNear(square->m_borders.front()->GetGabarit(),
                               NRect{corner + NPoint{40, 40}, corner + NPoint{60, 60}}, 1e-3);
    ExpectApartOnSheets();
}

// Figures whose outermost points are convex corners at a slant fit with
// their gaps exactly: a long bar set across a square sheet, an L on a strip
// only turned by 45° (its corners then its lowest and highest points), a
// house whose roof's ridge is its top, a square plate in a round window
// (its corners towards the window). A sheet 0.01 mm smaller, or a window
// 0.1 mm smaller in radius, holds none of them.
TEST_F(PlaceTest, FiguresWhoseCornersStandOutFitWithTheirGapsExactly)
{
    std::vector<NPoint> window;
    for (int k = 0; k < 720; ++k)
        window.push_back({200.0 + 100.0 * std::cos(-k * PI / 360.0), 200.0 + 100.0 * std::sin(-k * PI / 360.0)});
    const double inRadius = 100.0 * std::cos(PI / 720.0);
    // The square that fits the window with 0.05 mm to spare: the round of
    // its gap, followed on tangents, stands a little past the true one.
    const double half = (inRadius - kFigureGap - 0.05) / std::sqrt(2.0);
    const std::vector<NPoint> square = Rectangle(500, 0, 2 * half, 2 * half);
    const double across = (1400.0 + 10.0) / std::sqrt(2.0) + 2 * kSheetGap;
    const double low = 120.0 / std::sqrt(2.0) + 2 * kSheetGap;
    const SheetCase cases[] = {  // the plate in the window: the plate, its hole, the square
        {"bar across a square sheet", across, across, {Rectangle(0, 0, 1400, 10)}, R::Rotation45},
        {"L turned by 45°", 400, low, {{{0, 0}, {100, 0}, {100, 20}, {20, 20}, {20, 100}, {0, 100}}}, R::Rotation45},
        {"house", 116, 106, {{{0, 0}, {100, 0}, {100, 60}, {50, 90}, {0, 60}}}, R::WithoutRotation},
        {"square in a round window", 400 + 2 * kSheetGap, 400 + 2 * kSheetGap,
         {Rectangle(0, 0, 400, 400), window, square}, R::WithoutRotation}};
    for (const auto& c : cases) {
        for (const double less : {0.0, 0.01}) {
            SCOPED_TRACE(std::string(c.name) + (less > 0 ? ", 0.01 mm less" : ""));
            Model().m_figures.clear();
            Model().m_sheets.clear();
            const bool framed = c.rings.size() == 3;
            std::vector<NPoint> hole = framed ? c.rings[1] : std::vector<NPoint>{};
            const double shrink = 1.0 - 10.0 * less / inRadius;  // 0.1 mm smaller in radius
            for (NPoint& p : hole)
                p = {200.0 + (p.x - 200.0) * shrink, 200.0 + (p.y - 200.0) * shrink};
            const SheetPtr sheet = AddSheet(c.width - (framed ? 0.0 : less), c.height - (framed ? 0.0 : less));
            if (framed) {
                AddFigure(c.rings[0], {hole});
                AddFigure(c.rings[2]);
            } else {
                AddFigure(c.rings[0]);
            }
            PlaceAll(c.rotation, false);
            for (const FigurePtr& figure : Model().m_figures) {
                // The frame itself fits its sheet either way.
                EXPECT_EQ(figure->m_owner == sheet, less == 0.0 || (framed && figure == Model().m_figures.front()));
                if (figure->m_owner)
                    ExpectInsideSheet(*figure, *sheet);
            }
            const VectorFigure& figures = Model().m_figures;
            if (framed && figures.back()->m_owner) {  // in the window, the gap from its edge
                EXPECT_GE(ringtest::BoundaryDistance(*figures.back()->m_borders[0], *figures.front()->m_borders[1]),
                          kFigureGap - 1e-3);
            }
        }
    }
}

// Turns on sheets of every proportion: each bar lands in the first turn tried
// that fits (0°, 45°, 135°, 270°, 90° and so on; a later one wins only by lying
// further left), or nowhere; the free space measures no turn that cannot fit,
// nor a fitting one on more cells than the parts need, however narrow the sheet
// (a 4 m bar at 45° on a 40 mm strip once took hundreds of millions of cells).
TEST_F(PlaceTest, TurnsLandWhereTheyFitWhateverTheSheetsProportions)
{
    const std::vector<NPoint> bar = Rectangle(0, 0, 4000, 20);
    const SheetCase cases[] = {  // `angle` of every bar placed; none placed when negative
        {"along a strip 100 times as long as wide, 45°", 4020, 40, {bar}, R::Rotation45, 0},
        {"along a strip 100 times as long as wide, 90°", 4020, 40, {bar}, R::Rotation90, 0},
        {"drawn upright on the strip, 45°", 4020, 40, {Rectangle(0, 0, 20, 4000)}, R::Rotation45, 270},
        {"drawn upright on the strip, 90°", 4020, 40, {Rectangle(0, 0, 20, 4000)}, R::Rotation90, 90},
        {"drawn at 45° on the strip, 45°", 4020, 40, {shapes::Turned(bar, {}, 45)}, R::Rotation45, 135},
        {"drawn at 45° on the strip, 90°", 4020, 40, {shapes::Turned(bar, {}, 45)}, R::Rotation90, -1},
        {"three filling the strip's width", 4020, 96, {bar, bar, bar}, R::Rotation45, 0},
        {"along a strip 400 times as long as wide", 8020, 27, {Rectangle(0, 0, 8000, 10)}, R::Rotation45, 0},
        {"longer than the sheet every way", 3000, 60, {bar}, R::Rotation45, -1},
        {"a short one across a square sheet", 1000, 1000, {Rectangle(0, 0, 600, 20)}, R::Rotation45, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model().m_figures.clear();
        Model().m_sheets.clear();
        optimizer.Clear();
        const SheetPtr sheet = AddSheet(c.width, c.height);
        for (const std::vector<NPoint>& ring : c.rings)
            AddFigure(ring);
        const size_t before = optimizer.LastFreeSpace().CellsMeasured();
        PlaceAll(c.rotation, false);
        for (const FigurePtr& figure : Model().m_figures) {
            EXPECT_EQ(figure->m_owner == sheet, c.angle >= 0.0);
            if (figure->m_owner) {
                double x = 0.0, y = 0.0, angle = 0.0;
                figure->GetPlacement(x, y, angle);
                EXPECT_NEAR(std::fmod(angle + 360.0, 360.0), c.angle, 1e-9);
                ExpectInsideSheet(*figure, *sheet);
            }
        }
        ExpectApartOnSheets();
        EXPECT_LE(optimizer.LastFreeSpace().CellsMeasured() - before, c.rings.size() << 20);
    }
}

TEST_F(PlaceTest, LeftoversOfARunWhoseLastSheetGotNothingAreLaidOutInTheContainer)
{
    AddSheet(150.0, 100.0);
    // Too large for the sheet either way, and drawn on one another.
    FigurePtr a = AddFigure(Rectangle(0, 0, 200, 60));
    FigurePtr b = AddFigure(Rectangle(0, 0, 200, 60));

    PlaceAll(RotationType::WithoutRotation);

    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    for (const FigurePtr& figure : {a, b}) {
        EXPECT_FALSE(figure->m_owner);
        EXPECT_EQ(figure->GetView(), container);
    }
    EXPECT_GE(ringtest::BoundaryDistance(*a->m_borders.front(), *b->m_borders.front()), kFigureGap - 1e-2);
}

TEST_F(PlaceTest, FigureThatFitsOnlyWithoutTheSheetGapIsNotPlaced)
{
    SheetPtr sheet = AddSheet(150.0, 100.0);
    // Its gap rectangle fits the sheet; with the sheet gap it does not.
    FigurePtr figure = AddFigure(Rectangle(0, 0, 138, 88));

    PlaceAll(RotationType::WithoutRotation, false);

    EXPECT_FALSE(figure->m_owner);
}

// The edge gap as set, however small beside half the part gap (10 mm): parts
// on a sheet just large enough stand that far from its edges, and the last
// one nudged right stops that far from the right edge.
TEST_F(PlaceTest, PartsKeepTheEdgeGapAsSetWhateverThePartGap)
{
    const struct { double width, height; int count; double sheetWidth, sheetHeight, edge; } cases[] = {
        {2490, 1240, 1, 2498, 1248, 4}, {2000, 20, 40, 2000.2, 1250, 0.1}, {100, 50, 2, 214, 54, 2},
        {50, 50, 4, 230, 50, 0}, {100, 50, 2, 250, 90, 20}, {100, 50, 1, 300, 60, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        Model().m_figures.clear();
        Model().m_sheets.clear();
        const SheetPtr sheet = AddSheet(c.sheetWidth, c.sheetHeight);
        for (int k = 0; k < c.count; ++k)
            AddFigure(Rectangle(0, 0, c.width, c.height));
        PlaceAll(RotationType::Rotation90, false, c.edge);
        EXPECT_TRUE((Model().m_figures.front()->m_rectBorder.pBot == NPoint{c.edge, c.edge}));
        Model().m_sheetGap = c.edge;
        Model().SetAutoPlacementFigure(Model().m_figures.back(), NestingMode::OffsetRight);
        for (const FigurePtr& figure : Model().m_figures)
            EXPECT_EQ(figure->m_owner, sheet);
        EXPECT_NEAR(Model().m_figures.back()->m_rectBorder.pTop.x, c.sheetWidth - c.edge, 1e-3);
    }
}

TEST_F(PlaceTest, SlidFigureStopsAtItsNeighbour)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr fixed = AddFigure(Rectangle(0, 0, 50, 50));
    FigurePtr moving = AddFigure(Rectangle(0, 0, 40, 40));
    PlaceAll(RotationType::WithoutRotation);
    ASSERT_EQ(fixed->m_owner, sheet);
    ASSERT_EQ(moving->m_owner, sheet);
    // Put the moving square level with the fixed one, far right, then slide it back.
    const NRect start = moving->m_borders.front()->GetGabarit();
    moving->SetPlacement(158.0 - start.pBot.x, kSheetGap - start.pBot.y, 0.0, false);
    const double fixedRight = fixed->m_borders.front()->GetGabarit().pTop.x;

    EXPECT_TRUE(optimizer.OffsetFigureInSheet(moving, sheet, NestingMode::OffsetLeft));

    EXPECT_NEAR(moving->m_borders.front()->GetGabarit().pBot.x, fixedRight + kFigureGap, 1e-3);
    EXPECT_FALSE(optimizer.OffsetFigureInSheet(moving, sheet, NestingMode::OffsetLeft));

    // Downwards, clear of the fixed square, it stops at the sheet gap.
    moving->SetPlacement(0.0, 100.0, 0.0, false);
    EXPECT_TRUE(optimizer.OffsetFigureInSheet(moving, sheet, NestingMode::OffsetDown));
    EXPECT_NEAR(moving->m_borders.front()->GetGabarit().pBot.y, kSheetGap, 1e-3);
    figuretest::ExpectInStepWithMacro(*moving);
}

TEST_F(PlaceTest, SingleFigureNeedsShiftHeld)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 40));
    optimizer.Init(Model().m_figures, Model().m_sheets);
    EXPECT_FALSE(optimizer.SetAutoPlacementFigureOnSheet(figure, sheet, NestingMode::AutoForOne));
}

TEST_F(PlaceTest, FigureWhoseTriesOverlapGoesBackWhereItStood)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr placed = AddFigure(Rectangle(0, 0, 40, 40));
    FigurePtr figure = AddFigure(Rectangle(0, 0, 30, 30));
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(kFigureGap, kSheetGap);
    ASSERT_TRUE(optimizer.SetAutoPlacementFigureOnSheet(placed, sheet, NestingMode::AutoForAll));
    // Its overlap test now reaches over the whole sheet: every try fails.
    placed->m_controls = {std::make_shared<NPolygon>(NPoint{}, Rectangle(-1000, -1000, 3000, 3000))};
    double x0 = 0.0, y0 = 0.0, a0 = 0.0;
    figure->GetPlacement(x0, y0, a0);

    EXPECT_FALSE(optimizer.SetAutoPlacementFigureOnSheet(figure, sheet, NestingMode::AutoForAll));

    double x = 0.0, y = 0.0, a = 0.0;
    figure->GetPlacement(x, y, a);
    EXPECT_NEAR(x, x0, 1e-6);
    EXPECT_NEAR(y, y0, 1e-6);
    EXPECT_FALSE(figure->m_owner);
}

// A figure the run could not place stands where it started, over the sheet:
// it is on no sheet all the same, and goes to the container.
TEST_F(PlaceTest, FigureThatFoundNoPlaceIsOnNoSheetWhereverItStands)
{
    SheetPtr sheet = AddSheet(150.0, 100.0);
    MakeViewCurrent(sheet->GetView());
    FigurePtr first = AddFigure(Rectangle(20, 20, 100, 60));
    FigurePtr second = AddFigure(Rectangle(20, 20, 100, 60));
    ASSERT_TRUE(sheet->CheckContainFigure(second));

    PlaceAll(RotationType::WithoutRotation, false);

    EXPECT_EQ(first->m_owner, sheet);
    EXPECT_FALSE(second->m_owner);
    EXPECT_NE(second->GetView(), sheet->GetView());
}

TEST_F(PlaceTest, RefusedSheetEndsTheAdditions)
{
    AddSheet(150.0, 100.0);
    for (int i = 0; i < 3; ++i)
        AddFigure(Rectangle(0, 0, 100, 60));
    {
        vlhost::FailureScope refuse("IMacroObjects::AddMacro");
        PlaceAll(RotationType::WithoutRotation);
    }
    ASSERT_EQ(Model().m_sheets.size(), 1u);
    size_t placed = 0;
    for (const FigurePtr& figure : Model().m_figures)
        placed += figure->m_owner ? 1 : 0;
    EXPECT_EQ(placed, 1u);
    EXPECT_EQ(Model().m_figures.size(), 3u);
}

// A single figure is its sheet's own after the containment test: it must not
// stand in its own way.
class SingleFigureTest : public PlaceTest {
protected:
    SheetPtr PlaceOnSheet(const FigurePtr& figure, double x = 100.0, double y = 60.0)
    {
        SheetPtr sheet = Model().m_sheets.front();
        figure->ChangeView(sheet->GetView(), false);
        figure->SetPlacement(x, y, 0.0, false);
        return sheet;
    }
};

TEST_F(SingleFigureTest, NudgedFigureSlidesToTheSheetGap)
{
    AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));
    SheetPtr sheet = PlaceOnSheet(figure);

    Model().SetAutoPlacementFigure(figure, NestingMode::OffsetLeft);

    EXPECT_EQ(figure->m_owner, sheet);
    EXPECT_NEAR(figure->m_borders.front()->GetGabarit().pBot.x, kSheetGap, 1e-3);
}

TEST_F(SingleFigureTest, DroppedFigureWithShiftHeldGoesBottomLeft)
{
    AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));
    // Close to the corner, where its own outline would block its way.
    SheetPtr sheet = PlaceOnSheet(figure, 20.0, 15.0);
    State().keysDown.insert(0x10);

    Model().SetAutoPlacementFigure(figure, NestingMode::AutoForOne);

    EXPECT_EQ(figure->m_owner, sheet);
    const NRect& rc = figure->m_borders.front()->GetGabarit();
    EXPECT_NEAR(rc.pBot.x, kSheetGap, 1e-3);
    EXPECT_NEAR(rc.pBot.y, kSheetGap, 1e-3);
}

TEST_F(SingleFigureTest, FigureOnNoSheetGoesToTheContainer)
{
    AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));
    figure->SetPlacement(-5000.0, 0.0, 0.0, false);

    Model().SetAutoPlacementFigure(figure, NestingMode::OffsetLeft);

    EXPECT_EQ(figure->GetView(),
              vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet));
}

}  // namespace
}  // namespace placetest
