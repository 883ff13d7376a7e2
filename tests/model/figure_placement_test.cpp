// A figure moves, turns, mirrors, scales and copies together with its macro:
// the polygons it keeps and the drawing never disagree.
#include "figure_fixture.h"

#include "model/HotPointEditors.h"

namespace figuretest {
namespace {

class FigurePlacementTest : public FigureHostTest {
protected:
    static NRect GapRectOf(const Figure& figure) { return figure.m_poligons[0]->GetGabarit(); }
};

TEST_F(FigurePlacementTest, MovesAndTurnsKeepPolygonsAndMacroInStep)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetPlacement(30, 20, 0, false);
    ExpectInStepWithMacro(*figure);
    figure->SetPlacement(0, 0, 90, false);
    ExpectInStepWithMacro(*figure);
    figure->SetPlacement(-5, 7, 45, false);
    ExpectInStepWithMacro(*figure);

    // The gap polygon keeps its distance from the outline, and the gabarits follow.
    ExpectRectNear(figure->m_rectBorder, figure->m_borders[0]->GetGabarit());
    figure->SetPlacement(0, 0, -45, false);
    ExpectRectNear(figure->m_rect, Grown(figure->m_rectBorder, 5.0), 1e-3);

    double x = 0, y = 0, angle = 0;
    figure->GetPlacement(x, y, angle);
    EXPECT_NEAR(angle, 90, 1e-9);
}

TEST_F(FigurePlacementTest, OutlineReadFromAMovedMacroTurnsAboutTheMacro)
{
    const INestingMacroObjectPtr macro = Macro(kEll);
    macro->SetMacroPlacement(100, 50, 30, false);
    const FigurePtr figure = Figure::Create(macro);
    figure->InitParams();
    figure->InitPolygons(0.0, 10.0, nullptr);

    figure->SetPlacement(0, 0, 60, false);
    ExpectInStepWithMacro(*figure);
    ExpectRectNear(figure->m_rect, Grown(figure->m_rectBorder, 5.0), 1e-3);
}

TEST_F(FigurePlacementTest, MirrorFollowsTheMacro)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetPlacement(50, 20, 0, false);
    figure->SetMirrorPlacement();
    ExpectInStepWithMacro(*figure);
    ExpectRectNear(figure->m_rect, Grown(figure->m_rectBorder, 5.0), 1e-3);
}

TEST_F(FigurePlacementTest, ScaleAppliesTheRatioOnceAndOnlyForANewPair)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetScale(1, 2);
    ExpectInStepWithMacro(*figure);
    ExpectRectNear(figure->m_rectBorder, {{0, 0}, {80, 60}});
    EXPECT_EQ(figure->m_scale1, 1.0);
    EXPECT_EQ(figure->m_scale2, 2.0);

    figure->SetScale(1, 2);  // the stored pair
    figure->SetScale(2, 2);  // no ratio
    ExpectInStepWithMacro(*figure);
    EXPECT_NEAR(figure->m_borders[0]->GetGabarit().pTop.x, 80, 1e-9);
}

TEST_F(FigurePlacementTest, WithoutMacroThePolygonsStillMove)
{
    const FigurePtr figure = Figure::Create(nullptr);
    figure->m_borders.push_back(std::make_shared<NPolygon>(NPoint{}, kEll));
    figure->m_poligons.push_back(std::make_shared<NPolygon>(NPoint{}, kEll));
    figure->SetPlacement(10, 5, 0, false);
    ExpectRectNear(figure->m_rect, {{10, 5}, {50, 35}});
    ExpectRectNear(figure->m_rectBorder, {{10, 5}, {50, 35}});
    figure->SetMirrorPlacement();
    figure->SetScale(1, 2);  // needs a macro
    EXPECT_NEAR(figure->m_borders[0]->GetGabarit().pTop.x, 50, 1e-9);
}

TEST_F(FigurePlacementTest, RotationToMinimalGabaritLeavesItLying)
{
    const FigurePtr tall = MakeFigureWithGap(Rectangle(0, 0, 10, 40), 0.0);
    tall->RotateToMinGabarit();
    const NRect rc = tall->m_rect;
    EXPECT_NEAR(rc.pTop.x - rc.pBot.x, 40, 1e-6);
    EXPECT_NEAR(rc.pTop.y - rc.pBot.y, 10, 1e-6);
    EXPECT_NEAR(tall->m_rectArea, 400, 1e-6);
    ExpectInStepWithMacro(*tall);

    const FigurePtr tilted = MakeFigureWithGap(Rectangle(0, 0, 60, 20), 0.0);
    tilted->SetPlacement(0, 0, 30, false);
    tilted->RotateToMinGabarit();
    EXPECT_NEAR(tilted->m_rectArea, 1200, 1e-3);
    EXPECT_GE(tilted->m_rect.pTop.x - tilted->m_rect.pBot.x, tilted->m_rect.pTop.y - tilted->m_rect.pBot.y);
    ExpectInStepWithMacro(*tilted);
}

TEST_F(FigurePlacementTest, CopiesGetNewMacrosAndTheData)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetThickness(2);
    figure->SetMaterial(L"Ст3");
    figure->m_count = 4;
    figure->m_choose = true;
    figure->m_convex = true;
    figure->m_sourceTextParams = {{5.0}};
    figure->m_borderSag = 0.25;

    const FigurePtr copy = figure->CreateCopy();
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->GetReference(), figure->GetReference());
    EXPECT_EQ(MacrosInDrawing(), 2u);
    EXPECT_EQ(copy->m_name, L"Part");
    EXPECT_EQ(copy->m_material, L"Ст3");
    EXPECT_EQ(copy->m_thickness, 2);
    EXPECT_EQ(copy->m_count, 4);
    EXPECT_FALSE(copy->m_choose);
    EXPECT_FALSE(copy->m_convex);
    ASSERT_EQ(copy->m_sourceTextParams.size(), 1u);
    // Its gap polygons are the original's, made with the borders' sag: the
    // copy says so, and a run does not make them again with another one.
    EXPECT_TRUE(copy->HasSagOutward());
    EXPECT_EQ(copy->GapSag(), 0.25);
    ASSERT_EQ(copy->m_poligons.size(), 1u);
    EXPECT_NE(copy->m_poligons[0], figure->m_poligons[0]);

    // The copy and its macro move together, the original stays.
    copy->SetPlacement(100, 0, 90, false);
    ExpectInStepWithMacro(*copy);
    ExpectInStepWithMacro(*figure);

    std::vector<FigurePtr> copies{copy};
    figure->CreateCopies(2, 50.0, copies);
    ASSERT_EQ(copies.size(), 3u);
    for (const FigurePtr& c : copies)
        EXPECT_EQ(c->m_material, L"Ст3");
}

TEST_F(FigurePlacementTest, CarriedToAnotherViewItIsMarkedForTheHotPointEditor)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetMaterial(L"Сталь");
    const vlapi::IViewPtr view = AddView(1000, 0, 1.0);
    figure->ChangeView(view->GetNumber(), true);
    EXPECT_EQ(figure->GetView(), view->GetNumber());
    EXPECT_EQ(HP_Figure::refMacro, figure->GetReference());
    EXPECT_EQ(figure->m_macro->GetMaterialPropertyFromMacro(), L"Сталь");
    ExpectInStepWithMacro(*figure);
}

TEST_F(FigurePlacementTest, ATryOnAnotherViewsSheetMovesTheMacroOnlyWhenItStays)
{
    const FigurePtr figure = MakeFigureWithGap(kEll, 10.0);
    figure->SetPlacement(30, 20, 0, false);
    const int home = figure->GetView();
    const auto reference = figure->GetReference();
    const NRect before = figure->m_borders[0]->GetGabarit();
    const vlapi::IViewPtr view = AddView(1000, 0, 1.0);
    const auto shifted = [](NRect rect, double dx) {
        rect.pBot.x += dx;
        rect.pTop.x += dx;
        return rect;
    };

    // In the try the figure stands in the other view's frame, as a carried
    // one would, while its macro stays put: no copy is made.
    for (const bool stays : {false, true}) {
        figure->BeginTry(view->GetNumber());
        EXPECT_EQ(figure->GetView(), view->GetNumber());
        EXPECT_EQ(figure->GetReference(), reference);
        ExpectRectNear(figure->m_borders[0]->GetGabarit(), shifted(before, -1000), 1e-9);
        figure->EndTry(stays);
        ExpectInStepWithMacro(*figure);
        if (!stays) {
            EXPECT_EQ(figure->GetView(), home);
            EXPECT_EQ(figure->GetReference(), reference);
            ExpectRectNear(figure->m_borders[0]->GetGabarit(), before, 1e-9);
        }
    }
    // The one that stays is carried there, where the try left it.
    EXPECT_EQ(figure->GetView(), view->GetNumber());
    EXPECT_EQ(figure->m_macro->GetMacroViewNumber(), view->GetNumber());
    ExpectRectNear(figure->m_borders[0]->GetGabarit(), shifted(before, -1000), 1e-9);
}

TEST_F(FigurePlacementTest, ClearDeletesOnlyWhatTheModelMade)
{
    const FigurePtr figure = MakeFigure(kEll);
    figure->m_edit = true;
    figure->Clear();
    EXPECT_EQ(MacrosInDrawing(), 1u);
    figure->m_edit = false;
    figure->Clear();
    EXPECT_EQ(MacrosInDrawing(), 0u);
}

}  // namespace
}  // namespace figuretest
