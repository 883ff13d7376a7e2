// The model's operations on all its figures: gap polygons with the progress
// bar, order, copies of a part, views, labels, property and scale text.
#include "compound_fixture.h"

namespace compoundtest {
namespace {

using ModelFiguresTest = CompoundTest;

FigurePtr Named(const std::wstring& name, double rectArea = 0.0)
{
    FigurePtr figure = Figure::Create(nullptr);
    figure->m_name = name;
    figure->m_rectArea = rectArea;
    return figure;
}

std::vector<std::wstring> Names(const std::vector<FigurePtr>& figures)
{
    std::vector<std::wstring> names;
    for (const FigurePtr& figure : figures)
        names.push_back(figure->m_name);
    return names;
}

TEST_F(ModelFiguresTest, SortingByNameAndByArea)
{
    model.m_figures = {Named(L"B", 50), Named(L"A", 10), Named(L"AB", 30), Named(L"A", 20)};
    model.SortFiguresByNames();
    EXPECT_EQ(Names(model.m_figures), (std::vector<std::wstring>{L"A", L"A", L"AB", L"B"}));
    model.SortFiguresByAreasIncrease();
    EXPECT_EQ(Names(model.m_figures), (std::vector<std::wstring>{L"A", L"A", L"AB", L"B"}));
    EXPECT_NEAR(model.m_figures[1]->m_rectArea, 20.0, 0.0);
}

TEST_F(ModelFiguresTest, GapPolygonsOfEqualFiguresComeFromTheFirstAndAreStored)
{
    for (double x : {0.0, 200.0, 400.0}) {
        const FigurePtr figure = MakeFigure(figuretest::kEll);
        figure->SetPlacement(x, 50, 0, false);
        model.m_figures.push_back(figure);
    }
    model.InitFigurePolygons();

    for (const FigurePtr& figure : model.m_figures) {
        ASSERT_FALSE(figure->m_poligons.empty());
        ExpectRectNear(figure->m_rect, figuretest::Grown(figure->m_rectBorder, 2.5), 1e-3);
        // The record holds the polygons.
        const FigurePtr stored = Figure::Create(figure->m_macro);
        stored->LoadParams();
        ASSERT_EQ(stored->m_poligons.size(), figure->m_poligons.size());
        ExpectSameVertices(*stored->m_poligons[0], *figure->m_poligons[0], 1e-6);
    }
    const NPolygon& first = *model.m_figures[0]->m_poligons[0];
    EXPECT_TRUE(first == *model.m_figures[2]->m_poligons[0]);

    const vlhost::ProgressState& progress = State().progress;
    EXPECT_GE(progress.starts, 1);
    EXPECT_EQ(progress.positions, (std::vector<int>{33, 66}));
    EXPECT_EQ(progress.stops, 1);
    EXPECT_FALSE(progress.shown);
}

TEST_F(ModelFiguresTest, ProgressSteps)
{
    NestingModel::UpdateProgressIndicator(0.0);
    EXPECT_TRUE(State().progress.shown);
    EXPECT_EQ(State().progress.range, 100);
    NestingModel::UpdateProgressIndicator(42.9);
    EXPECT_EQ(State().progress.position, 42);
    NestingModel::UpdateProgressIndicator(100.0);
    EXPECT_FALSE(State().progress.shown);
}

TEST_F(ModelFiguresTest, CopiesByNameAddTheMissingAndRemoveTheSurplus)
{
    const FigurePtr a = AddTriangle(Triangle(0, 0), L"A");
    const FigurePtr b = AddTriangle(Triangle(200, 0), L"B");
    model.CopyFiguresByName(L"A", 3);
    ASSERT_EQ(model.m_figures.size(), 4u);
    EXPECT_EQ(Names(model.m_figures), (std::vector<std::wstring>{L"A", L"B", L"A", L"A"}));
    EXPECT_FALSE(model.m_figures[3]->m_edit);
    const FigurePtr stored = Figure::Create(model.m_figures[3]->m_macro);
    stored->LoadParams();
    EXPECT_NEAR(stored->m_thickness, 2.0, 1e-12);
    EXPECT_EQ(TopMacros(), 4u);

    model.CopyFiguresByName(L"A", 3);
    EXPECT_EQ(model.m_figures.size(), 4u);
    model.CopyFiguresByName(L"A", 1);
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_EQ(model.m_figures[0], a);
    EXPECT_EQ(model.m_figures[1], b);
    EXPECT_EQ(TopMacros(), 2u);
    model.CopyFiguresByName(L"Z", 2);
    EXPECT_EQ(model.m_figures.size(), 2u);
}

TEST_F(ModelFiguresTest, SelectedCompoundsOnly)
{
    AddTriangle(Triangle(0, 0));
    AddTriangle(Triangle(200, 0));
    AddTriangle(Triangle(0, 200));
    AddTriangle(Triangle(200, 200));
    model.CreateCompoundFigures();
    AddTriangle(figuretest::Rectangle(0, 400, 10, 10))->m_choose = true;
    model.m_figures[1]->m_choose = true;
    std::vector<FigurePtr> compounds;
    model.GetCompoundFigures(compounds);
    ASSERT_EQ(compounds.size(), 1u);
    EXPECT_EQ(compounds[0], model.m_figures[1]);
}

TEST_F(ModelFiguresTest, ContainerViewTakesEveryFigureAndItsOwner)
{
    const FigurePtr figure = AddTriangle(Triangle(0, 0));
    figure->m_owner = Sheet::Create(nullptr);
    model.MoveFiguresToContainer();
    EXPECT_FALSE(figure->m_owner);
    EXPECT_NE(figure->GetView(), vrnApi::GetSystemView());
    EXPECT_EQ(figure->GetView(), vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet));

    model.MoveFiguresToSysView();
    EXPECT_EQ(figure->GetView(), vrnApi::GetSystemView());
}

TEST_F(ModelFiguresTest, LabelsPropertyAndScaleText)
{
    const FigurePtr figure = AddTriangle(Triangle(0, 0));
    figure->m_macro->AddTextInMacro(L"A", 10, 10, 3.5);
    figure->InitParams();
    figure->m_sourceTextParams = {FontParams{3.5}};
    model.m_textSize = 7.0;
    model.UpdateSizeText(false);
    std::vector<FontParams> heights;
    figure->m_macro->GetFontParams(heights);
    ASSERT_EQ(heights.size(), 1u);
    EXPECT_NEAR(heights[0].height, 7.0, 1e-9);

    figure->m_thickness = 3.0;
    model.UpdateFiguresProperty();
    double thickness = 0.0;
    figure->m_macro->GetPropertyMacro(vrnApi::LoadStr(7111), thickness);
    EXPECT_NEAR(thickness, 3.0, 1e-12);

    model.m_scale1 = 1.0;
    model.m_scale2 = 2.5;
    std::wstring text;
    model.GetStringScale(text);
    EXPECT_EQ(text, L"1:2.5");

    // A new scale lays the figures out in the container again; a text that
    // is no scale changes nothing.
    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    model.SetStringScale(L"abc");
    model.SetStringScale(L"2:0");
    EXPECT_NE(figure->GetView(), container);
    model.GetStringScale(text);
    EXPECT_EQ(text, L"1:2.5");
    model.SetStringScale(L"2:5");
    model.GetStringScale(text);
    EXPECT_EQ(text, L"2:5");
    EXPECT_EQ(figure->GetView(), container);
}

}  // namespace
}  // namespace compoundtest
