// Adding, copying, removing, finding and choosing the model's objects.
#include "figure_fixture.h"
#include "host/NestingResources.h"

#include "model/NestingModel.h"

namespace figuretest {
namespace {


class CollectionsTest : public FigureHostTest {
protected:
    static FigurePtr Bare(const std::wstring& name, double thickness = 0.0, const std::wstring& material = L"")
    {
        FigurePtr figure = Figure::Create(nullptr);
        figure->m_name = name;
        figure->SetThickness(thickness);
        figure->SetMaterial(material);
        return figure;
    }

    static bool HasRecord(const Figure& figure)
    {
        ByteBlock block;
        figure.m_macro->LoadMacroParams(block);
        return !block.empty();
    }

    NestingModel model;

private:
    SavedSheetStatics m_sheetStatics;
};

TEST_F(CollectionsTest, FigureFromAPartFileComesWithItsSavedCopies)
{
    model.m_figureGap = 7.0;
    const FigurePtr first = model.AddFigure(PartFile({Rectangle(0, 0, 200, 100)}, 3));
    ASSERT_TRUE(first);
    ASSERT_EQ(model.m_figures.size(), 3u);
    EXPECT_EQ(model.m_figures[0], first);
    EXPECT_EQ(first->m_count, 3);
    EXPECT_EQ(first->m_thickness, 2.5);
    EXPECT_EQ(first->m_material, L"Ст3");
    EXPECT_EQ(first->m_gap, 7.0);
    EXPECT_EQ(first->m_name, L"part1");
    EXPECT_EQ(MacrosInDrawing(), 3u);
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_TRUE(HasRecord(*model.m_figures[i]));
        EXPECT_EQ(model.m_figures[i]->m_material, L"Ст3");
        EXPECT_NE(model.m_figures[i]->GetReference(), first->GetReference());
    }

    EXPECT_TRUE(model.AddFigure(PartFile({Rectangle(0, 0, 50, 50)}, 1)));
    EXPECT_EQ(model.m_figures.size(), 4u);
}

TEST_F(CollectionsTest, PartFileWithoutClosedOutlineAddsNothing)
{
    const vlapi::IVarnelDocument2DPtr part = NewDrawing();
    macrotest::AddLine(Container(), {0, 0}, {100, 0});
    const std::wstring path = File("open.vdw");
    ASSERT_TRUE(part->SaveAs(path));
    part->Close(0);
    doc->Activate();

    EXPECT_FALSE(model.AddFigure(path));
    EXPECT_FALSE(model.AddFigure(File("missing.vdw")));
    EXPECT_TRUE(model.m_figures.empty());
    EXPECT_EQ(MacrosInDrawing(), 0u);
}

TEST_F(CollectionsTest, LinearDetailGivesRectanglesAsHighAsTheSheet)
{
    NestingModel::m_heightSheet = 40.0;
    NestingModel::m_materialSheet = L"Труба";
    model.m_thicknessSheet = 3.0;
    LNDetailParams detail;
    detail.name = L"Стойка";
    detail.length = 600.0;
    detail.count = 3;
    const FigurePtr first = model.AddLinNestFigure(detail, 3);
    ASSERT_TRUE(first);
    ASSERT_EQ(model.m_figures.size(), 3u);
    EXPECT_EQ(first->m_name, L"Стойка");
    EXPECT_EQ(first->m_count, 3);
    EXPECT_EQ(first->m_thickness, 3.0);
    EXPECT_EQ(first->m_material, L"Труба");
    ExpectRectNear(first->m_rectBorder, {{0, 0}, {600, 40}});
    EXPECT_TRUE(first->CheckRectangle());
    EXPECT_FALSE(HasRecord(*model.m_figures[1]));  // copies are not saved

    EXPECT_TRUE(model.AddLinNestFigure(detail, 0));
    EXPECT_EQ(model.m_figures.size(), 4u);
}

TEST_F(CollectionsTest, RemovalDeletesTheMacroOnlyWhenAskedOrMadeHere)
{
    StoredFigure(kEll, L"Loaded 1");
    StoredFigure(Rectangle(100, 0, 10, 10), L"Loaded 2");
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_figures.size(), 2u);

    FigurePtr loaded = model.m_figures[0];
    model.RemFigure(loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(MacrosInDrawing(), 2u);

    FigurePtr other = model.m_figures[0];
    model.DelFigure(other);
    EXPECT_TRUE(model.m_figures.empty());
    EXPECT_EQ(MacrosInDrawing(), 1u);

    FigurePtr added = model.AddFigure(PartFile({Rectangle(0, 0, 20, 20)}, 1));
    ASSERT_TRUE(added);
    model.RemFigure(added);
    EXPECT_EQ(MacrosInDrawing(), 1u);

    FigurePtr stranger = MakeFigure(kEll);
    model.RemFigure(stranger);
    EXPECT_TRUE(stranger);
    FigurePtr none;
    model.DelFigure(none);
    model.RemFigure(none);
}

TEST_F(CollectionsTest, CopyOfALoadedFigureIsTheModelsOwnToDelete)
{
    StoredFigure(kEll, L"Loaded");
    model.InitFiguresFromActiveDoc(nullptr);
    FigurePtr copy = model.m_figures.at(0)->CreateCopy();
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->m_edit);
    model.m_figures.push_back(copy);
    ASSERT_EQ(MacrosInDrawing(), 2u);
    model.RemFigure(copy);
    EXPECT_EQ(MacrosInDrawing(), 1u);
}

TEST_F(CollectionsTest, RemovingThroughTheListsOwnSlotRemovesJustThatFigure)
{
    for (const wchar_t* name : {L"A", L"B", L"C"})
        model.m_figures.push_back(Bare(name));
    model.RemFigure(model.m_figures[0]);
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_EQ(model.m_figures[0]->m_name, L"B");
    EXPECT_EQ(model.m_figures[1]->m_name, L"C");
    model.DelFigure(model.m_figures[1]);
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(model.m_figures[0]->m_name, L"B");
}

TEST_F(CollectionsTest, EqualFiguresAreGroupedByNameThicknessAndMaterial)
{
    model.m_figures = {Bare(L"A", 2.0), Bare(L"B", 2.0), Bare(L"A", 2.00005), Bare(L"A", 2.001),
                       Bare(L"A", 2.0, L"Ст3")};
    std::vector<std::vector<FigurePtr>> tree = {{}};
    model.GetFigureObjectsTree(tree);
    const std::vector<FigurePtr>& f = model.m_figures;  // groups appended after what was there
    EXPECT_EQ(tree, (std::vector<std::vector<FigurePtr>>{{}, {f[0], f[2]}, {f[1]}, {f[3]}, {f[4]}}));
}

TEST_F(CollectionsTest, FindersAppendInModelOrder)
{
    model.m_figures = {Bare(L"A", 2.0), Bare(L"", 3.0), Bare(L"A", 3.00005)};
    std::vector<FigurePtr> found;
    model.GetFiguresByName(found, L"A");
    model.GetFiguresByName(found, L"");
    EXPECT_EQ(found, (std::vector<FigurePtr>{model.m_figures[0], model.m_figures[2], model.m_figures[1]}));
    found.clear();
    model.GetFiguresByThickness(found, 3.0);
    EXPECT_EQ(found, (std::vector<FigurePtr>{model.m_figures[1], model.m_figures[2]}));

    model.m_figures[2]->m_choose = true;
    found.clear();
    model.GetSelectedFigures(found);
    model.GetSelectedFigures(found);
    EXPECT_EQ(found, (std::vector<FigurePtr>{model.m_figures[2], model.m_figures[2]}));

    std::vector<SheetPtr> sheets;
    std::vector<WastePtr> wastes;
    std::vector<JumperPtr> jumpers;
    model.GetSelectedSheets(sheets);
    model.GetSelectedWastes(wastes);
    model.GetSelectedJumpers(jumpers);
    EXPECT_TRUE(sheets.empty() && wastes.empty() && jumpers.empty());
}

TEST_F(CollectionsTest, FiguresAreFoundByTheirMacroReferenceAndShape)
{
    const FigurePtr ell = MakeFigure(kEll);
    const FigurePtr square = MakeFigure(Rectangle(100, 0, 10, 10));
    model.m_figures = {Bare(L"no macro"), ell, square};
    EXPECT_EQ(model.GetFigureByRef(square->GetReference()), square);
    EXPECT_FALSE(model.GetFigureByRef(0));
    EXPECT_FALSE(model.GetFigureByRef(-7));
    EXPECT_FALSE(model.GetWasteByRef(square->GetReference()));

    std::vector<FigurePtr> rectangles;
    model.GetRectangleFigures(rectangles);
    EXPECT_EQ(rectangles, (std::vector<FigurePtr>{square}));
}

TEST_F(CollectionsTest, DeletedSheetSendsItsFiguresToTheContainer)
{
    const int sheetView = AddCurrentView(5000, 0);
    SheetMacro(L"Лист 1", 3000, 1500);
    StoredFigure(Rectangle(100, 100, 100, 100), L"On the sheet");
    model.InitSheetsFromActiveDoc();
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_sheets.size(), 1u);
    const SheetPtr sheet = model.m_sheets[0];
    const FigurePtr figure = model.m_figures.at(0);
    ASSERT_EQ(figure->m_owner, sheet);

    model.DelSheet(sheet);
    EXPECT_TRUE(model.m_sheets.empty());
    EXPECT_FALSE(figure->m_owner);
    EXPECT_NE(figure->GetView(), sheetView);
    EXPECT_GE(figure->GetView(), 0);
    EXPECT_FALSE(sheet->m_edit);
    ExpectInStepWithMacro(*figure);

    // A sheet that is not in the model is still cleared and loses its figures.
    AddCurrentView(10000, 0);
    const SheetPtr stranger = Sheet::Create(SheetMacro(L"Лист 2", 3000, 1500));
    stranger->InitParams();
    figure->m_owner = stranger;
    model.DelSheet(stranger);
    EXPECT_FALSE(figure->m_owner);
    model.DelSheet(nullptr);
}

}  // namespace
}  // namespace figuretest
