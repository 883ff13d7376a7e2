// Sheets made and removed around the placement, the container view for the
// figures that found no sheet, and the rebuild after a new figure gap.
#include "place_fixture.h"

namespace placetest {
namespace {

TEST_F(PlaceTest, AddedSheetIsNamedByThePatternAndStandsInItsOwnView)
{
    Model().m_sheetPattern = L"Карта раскроя ";
    for (int i = 0; i < 3; ++i)
        AddSheet(150.0, 100.0);

    SheetPtr sheet = Model().AddSheet();

    ASSERT_TRUE(sheet);
    ASSERT_EQ(Model().m_sheets.size(), 4u);
    EXPECT_EQ(Model().m_sheets.back(), sheet);
    vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(sheet->GetView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->GetName(), L"Карта раскроя 4");
    for (size_t i = 0; i + 1 < Model().m_sheets.size(); ++i)
        EXPECT_NE(Model().m_sheets[i]->GetView(), sheet->GetView());
    EXPECT_NEAR(sheet->GetWidth(), 150.0, 1e-6);
    EXPECT_NEAR(sheet->GetHeight(), 100.0, 1e-6);
}

TEST_F(PlaceTest, EmptySheetsSharingAViewAreKept)
{
    AddSheet(150.0, 100.0);
    // Two empty sheets on one view.
    const int shared = AddCurrentView(50000.0, 0.0);
    for (int i = 0; i < 2; ++i) {
        SheetPtr sheet = Sheet::Create(SheetMacro(L"Twin", 150.0, 100.0));
        sheet->InitParams();
        Model().m_sheets.push_back(sheet);
    }
    MakeViewCurrent(m_figureView);
    FigurePtr figure = AddFigure(Rectangle(0, 0, 40, 20));
    figure->m_owner = Model().m_sheets.front();

    Model().DeleteEmptySheets();

    EXPECT_EQ(Model().m_sheets.size(), 3u);
    EXPECT_EQ(Model().m_sheets.back()->GetView(), shared);
}

TEST_F(PlaceTest, ContainerTakesOnlyLooseFiguresAndGivesTheSheetItsSizeBack)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    FigurePtr onSheet = AddFigure(Rectangle(0, 0, 40, 20));
    FigurePtr tall = AddFigure(Rectangle(0, 0, 50, 300));
    PlaceAll(RotationType::WithoutRotation, false);
    ASSERT_EQ(onSheet->m_owner, sheet);
    const NRect before = onSheet->m_borders.front()->GetGabarit();

    Model().ArrangeFiguresInContainer(false, true);

    figuretest::ExpectRectNear(onSheet->m_borders.front()->GetGabarit(), before);
    EXPECT_EQ(onSheet->GetView(), sheet->GetView());
    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    EXPECT_EQ(tall->GetView(), container);
    EXPECT_FALSE(tall->m_owner);
    EXPECT_NEAR(sheet->GetWidth(), 300.0, 1e-6);
    EXPECT_NEAR(sheet->GetHeight(), 200.0, 1e-6);
    EXPECT_DOUBLE_EQ(NestingModel::m_widthSheet, 300.0);
    EXPECT_DOUBLE_EQ(NestingModel::m_heightSheet, 200.0);
    ASSERT_EQ(Model().m_figures.size(), 2u);
}

TEST_F(PlaceTest, RunWithoutSheetsSendsEveryFigureToTheContainer)
{
    FigurePtr a = AddFigure(Rectangle(0, 0, 40, 20));
    FigurePtr b = AddFigure(Rectangle(0, 0, 30, 30));
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(kFigureGap, kSheetGap);
    OptimizationParams params;
    params.rotateMethod = RotationType::Rotation90;

    optimizer.RunOptimization(params);

    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    EXPECT_EQ(a->GetView(), container);
    EXPECT_EQ(b->GetView(), container);
    EXPECT_FALSE(a->m_owner);
    EXPECT_FALSE(b->m_owner);
    EXPECT_GE(optimizer.m_dt, 0);
    EXPECT_EQ(Model().m_figures.size(), 2u);
}

TEST_F(PlaceTest, NewFigureGapRebuildsTheGapPolygons)
{
    AddSheet(300.0, 200.0);
    FigurePtr figure = AddFigure(Rectangle(20, 30, 40, 20));
    Model().m_figureGap = 20.0;

    Model().UpdateGaps();

    EXPECT_DOUBLE_EQ(figure->m_gap, 20.0);
    ASSERT_FALSE(figure->m_poligons.empty());
    const NRect& border = figure->m_borders.front()->GetGabarit();
    figuretest::ExpectRectNear(figure->m_poligons.front()->GetGabarit(), figuretest::Grown(border, 10.0), 1e-3);
    figuretest::ExpectInStepWithMacro(*figure);
}

TEST_F(PlaceTest, UpdatedSheetsKeepOnePagePerSheet)
{
    NestingModel::m_widthSheet = 150.0;
    NestingModel::m_heightSheet = 100.0;
    SheetPtr first = Model().AddSheet();
    SheetPtr second = Model().AddSheet();
    ASSERT_TRUE(first && second);
    ASSERT_EQ(doc->GetLayoutSheets()->GetCount(), 2);
    Model().m_sheets.pop_back();

    Model().UpdateSheets();

    EXPECT_EQ(doc->GetLayoutSheets()->GetCount(), 1);
    EXPECT_EQ(Model().m_sheets.size(), 1u);
    EXPECT_NEAR(first->GetWidth(), 150.0, 1e-6);
}

TEST_F(PlaceTest, RunIsOneUndoStepAndGivesTheUserBackTheApplication)
{
    SheetPtr sheet = AddSheet(300.0, 200.0);
    AddFigure(Rectangle(0, 0, 60, 30));
    AddFigure(Rectangle(0, 0, 30, 30));
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(kFigureGap, kSheetGap);
    Model().CreateProgressIndicator();

    optimizer.RunOptimization(OptimizationParams{});

    const vlhost::DocumentSwitches switches = Switches();
    EXPECT_EQ(switches.undoContainersOpened, 1);
    EXPECT_EQ(switches.undoDepth, 0);
    EXPECT_TRUE(switches.treeRebuild);
    EXPECT_TRUE(State().access.enabled);
    EXPECT_EQ(State().access.offs, 1);
    EXPECT_FALSE(State().progress.shown);
    for (const FigurePtr& figure : Model().m_figures)
        EXPECT_EQ(figure->m_owner, sheet);
    ExpectApartOnSheets();
}

}  // namespace
}  // namespace placetest
