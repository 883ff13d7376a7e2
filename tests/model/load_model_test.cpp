// A working model loads from a drawing with sheets, figures and remnants; the
// drawing stays as it was when the model is dropped.
#include "figure_fixture.h"

#include "model/HotPointEditors.h"
#include "model/NestingModel.h"
#include "model/NestingSetting.h"

namespace figuretest {
namespace {

class LoadModelTest : public FigureStaticsTest {
protected:
    // A sheet of 3000 x 1500 in a view of its own.
    INestingMacroObjectPtr SheetInNewView(double x, const std::wstring& name)
    {
        AddCurrentView(x, 0);
        return SheetMacro(name, 3000, 1500);
    }

    INestingMacroObjectPtr Remnant(reference owner)
    {
        INestingMacroObjectPtr macro =
            MakeMacro(Container(), AddRing(Container(), Rectangle(0, 0, 300, 200)), L"Остаток", MacroCommand::Waste);
        WasteParams params;
        params.m_ownerRef = owner;
        params.m_rectform = true;
        ByteBlock block;
        size_t offset = 0;
        params.SaveWasteParams(block, offset);
        macro->SaveMacroParams(block);
        return macro;
    }

    static void StoreObjectType(Figure& figure, NestingObjectType type)
    {
        figure.m_objectType = type;
        figure.SaveParams();
    }
};

TEST_F(LoadModelTest, SheetsFiguresAndRemnantsWithTheirOwners)
{
    const FigurePtr inContainer = StoredFigure(Rectangle(-500, -500, 100, 100), L"Spare");
    const INestingMacroObjectPtr sheet1 = SheetInNewView(5000, L"Лист 1");
    SheetMacro(L"Second in the same view", 100, 100);
    const FigurePtr onFirst = StoredFigure(Rectangle(100, 100, 200, 50), L"A");
    const FigurePtr sticksOut = StoredFigure(Rectangle(2900, 100, 200, 50), L"B");
    Remnant(0);
    const INestingMacroObjectPtr sheet2 = SheetInNewView(10000, L"Лист 2");
    const FigurePtr onSecond = StoredFigure(Rectangle(1000, 500, 100, 100), L"C");
    const INestingMacroObjectPtr remnant = Remnant(sheet2->GetReference());
    // Macros that are not the model's: another library's, and a bridge.
    vlapi::IMacroObjectPtr foreign = Container()->GetMacroObjects()->AddMacro(1);
    vlapi::IUserParametersPtr(foreign)->SetLibraryId(L"Another library");
    vlapi::IUserParametersPtr(foreign)->SetCommand(101);
    MakeMacro(Container(), AddRing(Container(), Rectangle(0, 0, 5, 5)), L"Bridge", MacroCommand::Bridge);
    const size_t macros = MacrosInDrawing();

    {
        NestingModel model;
        model.InitSheetsFromActiveDoc();
        model.InitFiguresFromActiveDoc(nullptr);
        model.InitWastesFromActiveDoc();

        ASSERT_EQ(model.m_sheets.size(), 2u);
        EXPECT_EQ(model.m_sheets[0]->GetReference(), sheet1->GetReference());
        EXPECT_EQ(model.m_sheets[1]->GetReference(), sheet2->GetReference());
        EXPECT_DOUBLE_EQ(NestingModel::GetWidthSheet(), 3000);
        EXPECT_DOUBLE_EQ(NestingModel::GetHeightSheet(), 1500);

        ASSERT_EQ(model.m_figures.size(), 4u);
        const wchar_t* const names[] = {L"Spare", L"A", L"B", L"C"};
        for (size_t i = 0; i < std::size(names); ++i)
            EXPECT_EQ(model.m_figures[i]->m_name, names[i]);
        EXPECT_FALSE(model.m_figures[0]->m_owner);
        EXPECT_EQ(model.m_figures[1]->m_owner, model.m_sheets[0]);
        EXPECT_FALSE(model.m_figures[2]->m_owner);  // out of its sheet by more than 1e-4
        EXPECT_EQ(model.m_figures[3]->m_owner, model.m_sheets[1]);
        ExpectInStepWithMacro(*model.m_figures[3]);

        ASSERT_EQ(model.m_wastes.size(), 2u);
        EXPECT_FALSE(model.m_wastes[0]->m_owner);
        EXPECT_EQ(model.m_wastes[1]->m_owner, model.m_sheets[1]);
        EXPECT_EQ(model.m_wastes[1]->GetReference(), remnant->GetReference());
        EXPECT_EQ(model.m_wastes[1]->m_name, L"Остаток");
        EXPECT_TRUE(model.m_wastes[1]->m_rectform);
        EXPECT_EQ(model.m_wastes[1]->m_thickness, model.m_thicknessSheet);

        for (const SheetPtr& s : model.m_sheets)
            EXPECT_TRUE(s->m_edit);
        for (const FigurePtr& f : model.m_figures)
            EXPECT_TRUE(f->m_edit);
        for (const WastePtr& w : model.m_wastes)
            EXPECT_TRUE(w->m_edit);

        // Clearing what was loaded leaves the drawing alone too.
        model.ClearFigures();
        model.ClearWastes();
        model.ClearSheets();
        EXPECT_TRUE(model.m_figures.empty());
        EXPECT_TRUE(model.m_sheets.empty());
    }
    EXPECT_EQ(MacrosInDrawing(), macros);
    ExpectInStepWithMacro(*onFirst);
    (void)inContainer;
    (void)sticksOut;
    (void)onSecond;
}

TEST_F(LoadModelTest, DroppedModelReleasesEveryObjectDespiteTheBackLinks)
{
    SheetInNewView(5000, L"Лист 1");
    StoredFigure(Rectangle(100, 100, 100, 100));
    Remnant(0);
    std::weak_ptr<Sheet> sheet;
    std::weak_ptr<Figure> figure;
    std::weak_ptr<Waste> waste;
    {
        NestingModel model;
        model.InitSheetsFromActiveDoc();
        model.InitFiguresFromActiveDoc(nullptr);
        model.InitWastesFromActiveDoc();
        model.m_wastes.at(0)->m_owner = model.m_sheets.at(0);
        sheet = model.m_sheets.at(0);
        figure = model.m_figures.at(0);
        waste = model.m_wastes.at(0);
        ASSERT_EQ(figure.lock()->m_owner, sheet.lock());
    }
    EXPECT_TRUE(sheet.expired());
    EXPECT_TRUE(figure.expired());
    EXPECT_TRUE(waste.expired());
}

TEST_F(LoadModelTest, SheetInViewZeroTakesFiguresOfAnyView)
{
    SheetMacro(L"Лист", 3000, 1500);
    AddCurrentView(5000, 0);
    StoredFigure(Rectangle(10, 10, 50, 50));
    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(model.m_figures[0]->m_owner, model.m_sheets.at(0));
}

TEST_F(LoadModelTest, CompoundRecordLoadsAsCompoundFigure)
{
    const FigurePtr plain = StoredFigure(kEll, L"Plain");
    const FigurePtr joined = StoredFigure(Rectangle(100, 0, 10, 10), L"Joined");
    StoreObjectType(*joined, NestingObjectType::CompoundFigure);

    NestingModel model;
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_FALSE(std::dynamic_pointer_cast<CompoundFigure>(model.m_figures[0]));
    const CompoundFigurePtr compound = std::dynamic_pointer_cast<CompoundFigure>(model.m_figures[1]);
    ASSERT_TRUE(compound);
    EXPECT_TRUE(compound->m_edit);
    EXPECT_EQ(compound->m_name, L"Joined");
    EXPECT_EQ(compound->m_borders.size(), 1u);
    EXPECT_EQ(CompoundFigure::m_index, 1);
}

TEST_F(LoadModelTest, MacrosHeldByTheHotPointEditorAreLeftOut)
{
    const FigurePtr held = StoredFigure(kEll, L"Held");
    const FigurePtr dragged = StoredFigure(Rectangle(100, 0, 10, 10), L"Dragged");
    StoredFigure(Rectangle(200, 0, 10, 10), L"Free");
    HP_Figure::refs = {held->GetReference()};
    HP_Figure::refMacro = dragged->GetReference();

    NestingModel model;
    model.InitFiguresFromActiveDoc(nullptr);  // the dragged one counts only around a figure
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_EQ(model.m_figures[0]->m_name, L"Dragged");
    EXPECT_EQ(model.m_figures[1]->m_name, L"Free");
}

TEST_F(LoadModelTest, ReloadAroundADraggedFigureTakesItsSheetAndItsNeighbours)
{
    const int sheetView = AddCurrentView(5000, 0);
    SheetMacro(L"Лист", 3000, 1500);
    const FigurePtr dragged = StoredFigure(Rectangle(100, 100, 100, 100), L"Dragged");
    const FigurePtr neighbour = StoredFigure(Rectangle(1000, 100, 100, 100), L"Neighbour");
    StoreObjectType(*neighbour, NestingObjectType::CompoundFigure);
    AddCurrentView(10000, 0);
    StoredFigure(Rectangle(100, 100, 100, 100), L"Elsewhere");
    MakeViewCurrent(sheetView);

    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_figures.size(), 3u);
    const FigurePtr figure = model.m_figures[0];
    HP_Figure::refMacro = figure->GetReference();

    model.InitFiguresFromActiveDoc(figure);
    EXPECT_EQ(figure->m_owner, model.m_sheets.at(0));
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(model.m_figures[0]->m_name, L"Neighbour");
    EXPECT_FALSE(std::dynamic_pointer_cast<CompoundFigure>(model.m_figures[0]));
}

// Equal areas, and areas a vertex repeated a hair's breadth outside the
// rectangle makes differ (30 against 30.0004), keep their order.
TEST_F(LoadModelTest, SortByAreaKeepsTheOrderOfEqualAreas)
{
    NestingModel model;
    const double widths[] = {10, 30, 10, 30.0004, 20};
    for (int i = 0; i < 5; ++i) {
        model.m_figures.push_back(Figure::Create(nullptr));
        model.m_figures.back()->m_rect = {{0, 0}, {widths[i], 1}};
        model.m_figures.back()->m_rectArea = widths[i];
        model.m_figures.back()->m_name = std::to_wstring(i);
    }
    model.SortFiguresByAreasDecrease();
    std::wstring order;
    for (const FigurePtr& f : model.m_figures)
        order += f->m_name;
    EXPECT_EQ(order, L"13402");
}

TEST_F(LoadModelTest, ClearingDeletesOnlyWhatTheModelMade)
{
    StoredFigure(kEll, L"Loaded");
    NestingModel model;
    model.InitFiguresFromActiveDoc(nullptr);
    model.m_figures.push_back(MakeFigure(Rectangle(100, 0, 10, 10), L"Made"));
    ASSERT_EQ(MacrosInDrawing(), 2u);
    model.ClearFigures();
    EXPECT_TRUE(model.m_figures.empty());
    EXPECT_EQ(MacrosInDrawing(), 1u);
}

TEST_F(LoadModelTest, ConfigurationIsCopiedIntoTheModel)
{
    const ConfigParams saved = NestingSetting::m_instance;
    NestingSetting::m_instance.m_bridgesWidth = 42.0;
    NestingSetting::m_instance.m_adapters[L"dxf"] = true;
    NestingModel model;
    model.ReadFromConfig();
    EXPECT_EQ(model.m_bridgesWidth, 42.0);
    EXPECT_EQ(model.m_adapters.size(), 1u);
    static_cast<ConfigParams&>(NestingSetting::m_instance) = saved;
}

}  // namespace
}  // namespace figuretest
