// The overlap test of two figures and the model-wide check of thickness,
// material and overlaps, shown by the macros' style.
#include "model/figure_fixture.h"

#include "model/NestingModel.h"

namespace figuretest {
namespace {

constexpr double kGap = 10.0;

double Width(const NRect& rc) { return rc.pTop.x - rc.pBot.x; }
double Height(const NRect& rc) { return rc.pTop.y - rc.pBot.y; }

class OverlapTest : public FigureHostTest {
protected:
    void TearDown() override
    {
        model.m_figures.clear();
        FigureHostTest::TearDown();
    }

    // A square part of side 40 at (x, y) with its gap polygons, shown coloured
    // so that its style can be read back.
    FigurePtr Square(double x, double y)
    {
        FigurePtr figure = MakeFigureWithGap(Rectangle(x, y, 40, 40), kGap);
        figure->CreateColouring();
        return figure;
    }

    static bool ShownInError(const Figure& figure) { return figure.m_macro->CheckStyleMacro(); }

    NestingModel model;

private:
    SavedSheetStatics m_sheetStatics;
};

TEST_F(OverlapTest, PartsOneGapApartTouchWithoutOverlapping)
{
    FigurePtr a = Square(0, 0);
    FigurePtr touching = Square(40 + kGap, 0);   // gap polygons share an edge
    FigurePtr closer = Square(0, 40 + kGap - 1);  // 1 mm too close
    EXPECT_FALSE(a->CheckIntersect(touching));
    EXPECT_TRUE(a->m_valid);
    EXPECT_TRUE(touching->m_valid);
    EXPECT_TRUE(a->CheckIntersect(closer));
    EXPECT_FALSE(a->m_valid);
    EXPECT_FALSE(closer->m_valid);
}

TEST_F(OverlapTest, APartInAHoleIsClearButAPartOverAWholeOutlineIsNot)
{
    FigurePtr frame = MakeFigure(Rectangle(0, 0, 200, 200), L"Frame", {Rectangle(50, 50, 100, 100)});
    frame->InitPolygons(0.0, kGap, nullptr);
    FigurePtr inHole = Square(80, 80);
    EXPECT_FALSE(frame->CheckIntersect(inHole));
    EXPECT_FALSE(inHole->CheckIntersect(frame));

    FigurePtr plate = MakeFigureWithGap(Rectangle(300, 0, 200, 200), kGap);
    FigurePtr onPlate = Square(380, 80);
    EXPECT_TRUE(plate->CheckIntersect(onPlate));
    EXPECT_TRUE(onPlate->CheckIntersect(plate));
}

TEST_F(OverlapTest, AClearPairKeepsTheMarkOfAnEarlierOverlap)
{
    FigurePtr frame = MakeFigure(Rectangle(0, 0, 200, 200), L"Frame", {Rectangle(50, 50, 100, 100)});
    frame->InitPolygons(0.0, kGap, nullptr);
    FigurePtr inHole = Square(80, 80);
    FigurePtr crossing = Square(180, 180);
    EXPECT_TRUE(frame->CheckIntersect(crossing));
    EXPECT_FALSE(frame->CheckIntersect(inHole));
    EXPECT_FALSE(frame->m_valid);
    EXPECT_TRUE(inHole->m_valid);
}

TEST_F(OverlapTest, AFigureIsNotItsOwnObstacleAndNeedsControlPolygons)
{
    FigurePtr a = Square(0, 0);
    EXPECT_FALSE(a->CheckIntersect(a));
    EXPECT_TRUE(a->m_valid);
    EXPECT_FALSE(a->CheckIntersect(nullptr));
    FigurePtr bare = MakeFigure(Rectangle(10, 10, 40, 40));
    EXPECT_FALSE(a->CheckIntersect(bare));
    EXPECT_FALSE(bare->CheckIntersect(a));
}

TEST_F(OverlapTest, FiguresOfOtherViewsAreComparedOnTheDrawing)
{
    FigurePtr a = Square(0, 0);
    AddCurrentView(500, 0);
    FigurePtr farAway = Square(0, 0);  // the same numbers 500 mm further right
    const std::vector<NPoint> before = farAway->m_controls.front()->m_points;
    EXPECT_FALSE(a->CheckIntersect(farAway));
    EXPECT_FALSE(farAway->CheckIntersect(a));
    FigurePtr near = Square(-480, 0);  // its drawing place crosses a
    EXPECT_TRUE(a->CheckIntersect(near));
    const std::vector<NPoint>& after = farAway->m_controls.front()->m_points;
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(after[i] == before[i]);
}

TEST_F(OverlapTest, DistanceIsTheFreeTravelBetweenGapPolygons)
{
    FigurePtr a = Square(0, 0);
    FigurePtr b = Square(100, 0);
    // signed: the travel leftwards comes out negative
    EXPECT_NEAR(a->Distance(*b, NPoint{-1, 0}), -(100 - 40 - kGap), 1e-4);
    FigurePtr bare = MakeFigure(Rectangle(300, 0, 10, 10));
    EXPECT_EQ(a->Distance(*bare, NPoint{-1, 0}), 0.0);
}

TEST_F(OverlapTest, ModelMarksOverlappingPairsByStyle)
{
    FigurePtr a = Square(0, 0);
    FigurePtr b = Square(30, 30);
    FigurePtr c = Square(200, 0);
    model.m_figures = {a, b, c};
    EXPECT_TRUE(model.CheckIntersectAllFigures(nullptr));
    EXPECT_TRUE(ShownInError(*a));
    EXPECT_TRUE(ShownInError(*b));
    EXPECT_FALSE(ShownInError(*c));
    EXPECT_EQ(ErrorMessages(), 0u);

    b->SetPlacement(200, 200, 0, false);  // moved clear: the marks go
    EXPECT_FALSE(model.CheckIntersectAllFigures(nullptr));
    EXPECT_FALSE(ShownInError(*a));
    EXPECT_FALSE(ShownInError(*b));
}

// Among many parts in two views, the model marks exactly the parts that
// overlap another of their view, wherever they stand in the list: a long bar
// across a row, a part over the last of the row, parts of the other view
// at the same numbers.
TEST_F(OverlapTest, ModelMarksEveryOverlapAmongManyParts)
{
    std::vector<FigurePtr> figures;
    for (int view = 0; view < 2; ++view) {
        if (view == 1)
            AddCurrentView(5000, 0);
        for (int k = 0; k < 30; ++k)
            figures.push_back(Square(60.0 * k, 0));
        figures.push_back(MakeFigureWithGap(Rectangle(-20, view == 0 ? 45 : 80, 1000, 10), kGap));
        figures.push_back(Square(60.0 * 29 + 30, view == 0 ? 30 : 300));
    }
    // What every pair of one view tested in turn finds.
    std::vector<bool> expected(figures.size(), true);
    for (size_t i = 0; i < figures.size(); ++i) {
        for (size_t j = i + 1; j < figures.size(); ++j) {
            if (figures[i]->GetView() == figures[j]->GetView() && figures[i]->CheckIntersect(figures[j]))
                expected[i] = expected[j] = false;
        }
    }
    ASSERT_LT(std::count(expected.begin(), expected.end(), false), static_cast<long>(figures.size()) - 30);
    model.m_figures = figures;
    EXPECT_TRUE(model.CheckIntersectAllFigures(nullptr));
    for (size_t i = 0; i < figures.size(); ++i)
        EXPECT_EQ(figures[i]->m_valid, expected[i]) << "part " << i;
}

TEST_F(OverlapTest, ThicknessOrMaterialOtherThanTheSheetsIsFlagged)
{
    FigurePtr thick = Square(0, 0);
    FigurePtr otherMaterial = Square(100, 0);
    FigurePtr right = Square(200, 0);
    model.m_thicknessSheet = 2.0;
    NestingModel::m_materialSheet = L"Сталь";
    thick->SetThickness(3.0);
    thick->SetMaterial(L"Сталь");
    otherMaterial->SetThickness(2.0);
    otherMaterial->SetMaterial(L"Латунь");
    right->SetThickness(2.0);
    right->SetMaterial(L"Сталь");
    // A joined pair of triangles of 3 mm: two parts of their own name.
    for (const double x : {300.0, 400.0}) {
        const FigurePtr triangle = model.m_figures.emplace_back(MakeFigureWithGap({{x, 0}, {x + 40, 0}, {x, 20}}, kGap));
        triangle->m_macro->SetName(L"T");
        triangle->SetThickness(3.0);
        triangle->SetMaterial(L"Сталь");
    }
    model.m_figureGap = kGap;
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 1u);
    model.m_figures.front()->SetPlacement(400.0, 200.0, 0.0, false);  // joined at the origin, clear of the others
    model.m_figures.insert(model.m_figures.begin(), {thick, otherMaterial, right});

    EXPECT_FALSE(model.CheckIntersectAllFigures(nullptr));
    // The right material does not clear a wrong thickness.
    EXPECT_FALSE(thick->m_valid);
    EXPECT_TRUE(ShownInError(*thick));
    EXPECT_TRUE(ShownInError(*otherMaterial));
    EXPECT_FALSE(ShownInError(*right));
    // Reported though the last figure tested is right.
    EXPECT_EQ(ErrorMessages(), 1u);
    EXPECT_EQ(Messages().back().text.substr(Messages().back().text.find(L"\n")),
              L"\nPart: деталь 3 мм, «Сталь», лист 2 мм, «Сталь»\nPart: деталь 2 мм, «Латунь», лист 2 мм, «Сталь»"
              L"\nT: деталь 3 мм, «Сталь», лист 2 мм, «Сталь» (2 шт.)");
}

TEST_F(OverlapTest, UnknownThicknessOrMaterialMatchesAnySheet)
{
    FigurePtr a = Square(0, 0);
    model.m_thicknessSheet = 2.0;
    NestingModel::m_materialSheet = L"Сталь";
    model.m_figures = {a};
    model.CheckIntersectAllFigures(nullptr);
    EXPECT_TRUE(a->m_valid);
    EXPECT_EQ(ErrorMessages(), 0u);
}

TEST_F(OverlapTest, OneFigureIsTestedAgainstAllOthers)
{
    FigurePtr a = Square(0, 0);
    FigurePtr b = Square(200, 0);
    FigurePtr dropped = Square(20, 20);
    model.m_figures = {a, b, dropped};
    EXPECT_TRUE(model.CheckIntersectAllFigures(dropped));
    EXPECT_TRUE(ShownInError(*dropped));
    EXPECT_TRUE(ShownInError(*a));
    EXPECT_FALSE(ShownInError(*b));

    dropped->SetPlacement(0, 200, 0, false);
    EXPECT_FALSE(model.CheckIntersectAllFigures(dropped));
    EXPECT_FALSE(ShownInError(*dropped));
    EXPECT_FALSE(ShownInError(*a));
}

TEST_F(OverlapTest, TurningToTheSmallestRectangleLeavesPartsLying)
{
    FigurePtr tall = MakeFigureWithGap(Rectangle(0, 0, 40, 70), kGap);  // 50 x 80 with its gap
    model.m_figures = {tall};
    model.m_checkOrient = true;
    tall->m_rectArea = 1.0;
    model.RotateAllFiguresToMinGabarit();
    EXPECT_NEAR(Width(tall->m_rect), 50, 1e-6);
    EXPECT_EQ(tall->m_rectArea, 1.0);

    model.m_checkOrient = false;
    model.RotateAllFiguresToMinGabarit();
    EXPECT_NEAR(Width(tall->m_rect), 80, 1e-6);
    EXPECT_NEAR(Height(tall->m_rect), 50, 1e-6);
    EXPECT_NEAR(tall->m_rectArea, 4000, 1e-6);
    ExpectInStepWithMacro(*tall);
}

TEST_F(OverlapTest, ColouringsAreMadeAndRemovedForEveryFigure)
{
    FigurePtr a = MakeFigureWithGap(Rectangle(0, 0, 40, 40), kGap);
    FigurePtr b = MakeFigureWithGap(Rectangle(100, 0, 40, 40), kGap);
    model.m_figures = {a, b};
    auto colourings = [](const Figure& figure) {
        return vlapi::IDrawingContainerPtr(macrotest::HostMacro(figure.m_macro))->GetColourings()->GetCount();
    };
    model.CreateFigureColouring();
    EXPECT_EQ(colourings(*a), 1);
    EXPECT_EQ(colourings(*b), 1);
    model.DeleteFigureColouring();
    EXPECT_EQ(colourings(*a), 0);
    EXPECT_EQ(colourings(*b), 0);
}

}  // namespace
}  // namespace figuretest
