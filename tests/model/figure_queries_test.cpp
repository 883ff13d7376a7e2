// What a figure answers about its outline, its likeness to others and its
// fit to a sheet, and its texts and colouring.
#include "figure_fixture.h"

namespace figuretest {
namespace {

using FigureQueriesTest = FigureHostTest;

TEST_F(FigureQueriesTest, ProjectionTakesTheNearestRingWithinTheDistance)
{
    const FigurePtr figure = MakeFigure(Rectangle(0, 0, 100, 50), L"Plate", {Rectangle(20, 10, 20, 20)});
    NPoint pp{-1, -1};
    EXPECT_FALSE(figure->GetProjectionPoint({50, 0}, 0.0, pp));  // maxdist 0 never succeeds
    EXPECT_FALSE(figure->GetProjectionPoint({50, 25}, 5.0, pp));
    EXPECT_EQ(pp, (NPoint{-1, -1}));

    // Nearer to the hole than to the outer edge.
    ASSERT_TRUE(figure->GetProjectionPoint({43, 20}, 100.0, pp));
    EXPECT_EQ(pp, (NPoint{40, 20}));
    EXPECT_TRUE(figure->CheckContainPointOnBorders({43, 20}, 3.5));
    EXPECT_FALSE(figure->CheckContainPointOnBorders({43, 20}, 3.0));

    // As near to the outer ring as to the hole: the outer ring's point stays.
    ASSERT_TRUE(figure->GetProjectionPoint({30, 5}, 100.0, pp));
    EXPECT_EQ(pp, (NPoint{30, 0}));
}

TEST_F(FigureQueriesTest, ChoiceFollowsTheDrawingsSelection)
{
    const FigurePtr figure = MakeFigure(kEll);
    figure->Choose(true);
    EXPECT_TRUE(figure->m_choose);
    figure->InvertChoose();
    EXPECT_FALSE(figure->GetChoose());

    // The drawing's selection is taken over.
    figure->m_macro->SelectMacro(true);
    figure->InitChoose();
    EXPECT_TRUE(figure->m_choose);

    const FigurePtr bare = Figure::Create(nullptr);
    bare->Choose(true);
    bare->InvertChoose();
    EXPECT_FALSE(bare->m_choose);
    EXPECT_FALSE(bare->CheckReference(0));
    EXPECT_EQ(bare->GetView(), -1);
}

TEST_F(FigureQueriesTest, NormalsAndNearestCrossingsOfTheOutline)
{
    const FigurePtr figure = MakeFigure(Rectangle(0, 0, 100, 50), L"Plate", {Rectangle(20, 10, 20, 20)});
    NPoint pn1, pn2;
    EXPECT_TRUE(figure->GetNormalToBorders({50, 0}, pn1, pn2));
    EXPECT_NEAR(pn1.x, pn2.x, 1e-9);  // vertical normal to the lower edge
    EXPECT_FALSE(figure->GetNormalToBorders({50, 25}, pn1, pn2));

    // A horizontal line through y = 20: from the hole's right edge only the hole is asked.
    NPoint pi;
    ASSERT_TRUE(figure->GetNearIntersectionWithBorders(NSegment({-10, 20}, {110, 20}, 0), {40, 20}, pi));
    EXPECT_NEAR(pi.x, 20, 1e-6);
    // From inside the plate the nearest crossing of any ring wins.
    ASSERT_TRUE(figure->GetNearIntersectionWithBorders(NSegment({-10, 20}, {110, 20}, 0), {60, 20}, pi));
    EXPECT_NEAR(pi.x, 40, 1e-6);
}

TEST_F(FigureQueriesTest, LikenessComparesOutlinesUpToTranslationThicknessAndMaterial)
{
    const FigurePtr a = MakeFigure(kEll);
    std::vector<NPoint> moved;
    for (const NPoint& p : kEll)
        moved.push_back({p.x + 500, p.y - 20});
    const FigurePtr b = MakeFigure(moved);
    EXPECT_TRUE(a->IsEquilBorders(*b));
    EXPECT_TRUE(a->IsEquilFigure(*b));
    a->SetThickness(2.0);
    b->SetThickness(2.00005);
    EXPECT_TRUE(a->IsEquilFigure(*b));
    b->SetThickness(2.001);
    EXPECT_FALSE(a->IsEquilFigure(*b));
    b->SetThickness(2.0);
    b->SetMaterial(L"ст3");
    a->SetMaterial(L"Ст3");
    EXPECT_FALSE(a->IsEquilThicknessAndMaterial(*b));

    const FigurePtr square = MakeFigure(Rectangle(0, 0, 10, 10));
    EXPECT_FALSE(a->IsEquilBorders(*square));
    EXPECT_TRUE(square->CheckRectangle());
    EXPECT_FALSE(a->CheckRectangle());
    EXPECT_TRUE(Figure::Create(nullptr)->IsEquilBorders(*Figure::Create(nullptr)));
    EXPECT_FALSE(Figure::Create(nullptr)->CheckMirror(*a));
    EXPECT_FALSE(Figure::Create(nullptr)->CheckTriangularity());

    a->m_gap = 5.0;
    EXPECT_TRUE(a->CheckGap(5.00005));
    EXPECT_FALSE(a->CheckGap(5.001));
}

TEST_F(FigureQueriesTest, OwnerThicknessAndMaterialSetValidity)
{
    const FigurePtr figure = Figure::Create(nullptr);
    figure->SetThickness(2.0);
    EXPECT_TRUE(figure->CheckOwnerThickness(0.0));
    EXPECT_FALSE(figure->CheckOwnerThickness(3.0));
    EXPECT_FALSE(figure->m_valid);
    EXPECT_TRUE(figure->CheckOwnerThickness(2.00005));
    EXPECT_TRUE(figure->m_valid);

    figure->SetMaterial(L"Ст3");
    EXPECT_TRUE(figure->CheckOwnerMaterial(L""));
    EXPECT_FALSE(figure->CheckOwnerMaterial(L"Ст3 "));
    EXPECT_FALSE(figure->m_valid);
    EXPECT_TRUE(figure->CheckOwnerMaterial(L"Ст3"));
}

TEST_F(FigureQueriesTest, TextsAndColouringWithoutMacroDoNothing)
{
    const FigurePtr figure = Figure::Create(nullptr);
    std::vector<vlapi::IDrawingObjectPtr> objects;
    figure->GetTextObjects(objects);
    figure->GetContourObjects(objects, true);
    figure->CreateColouring();
    figure->DeleteColouring();
    figure->UpdateSizeText(5.0, false);
    figure->UpdateProperty();
    EXPECT_TRUE(objects.empty());
}

TEST_F(FigureQueriesTest, ColouringLeavesTheOutlineWhereItWas)
{
    const FigurePtr figure = MakeFigure(kEll);
    figure->SetPlacement(70, 30, 45, false);
    const NPolygon before = *figure->m_borders[0];
    figure->CreateColouring();
    ExpectSameVertices(*figure->m_borders[0], before, 1e-9);
    ExpectInStepWithMacro(*figure);

    std::vector<vlapi::IDrawingObjectPtr> objects;
    figure->GetContourObjects(objects, false);
    EXPECT_GE(objects.size(), kEll.size());
}

}  // namespace
}  // namespace figuretest
