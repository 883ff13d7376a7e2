// The commands without a panel on a drawing: the update of results, and the
// placement of the selected figures again after the user moved them.
#include "figure_fixture.h"

#include "engine/CommandsWithoutPanel.h"
#include "model/HotPointEditors.h"
#include "model/NestingModel.h"
#include "model/NestingSetting.h"

namespace figuretest {
namespace {

class CommandsTest : public FigureStaticsTest {
protected:
    // A sheet of 3000 x 1500 in a new view at (x, 0), which stays current.
    int SheetInNewView(double x, const std::wstring& name)
    {
        const int view = AddCurrentView(x, 0);
        SheetMacro(name, 3000, 1500);
        return view;
    }

    // A stored figure whose macro is coloured, so that its style can be read.
    FigurePtr ColouredFigure(const std::vector<NPoint>& ring, const std::wstring& name = L"Part")
    {
        FigurePtr figure = StoredFigure(ring, name);
        figure->CreateColouring();
        return figure;
    }

    static NPoint Placement(const INestingMacroObjectPtr& macro)
    {
        NPoint at;
        double angle = 0.0;
        macro->GetMacroPlacement(at.x, at.y, angle);
        return at;
    }

    // The figure macro of that name now in the drawing: moving a macro to
    // another view makes it anew.
    static INestingMacroObjectPtr FigureMacro(const std::wstring& name)
    {
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            if (macro->GetName() == name && macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure))
                return macro;
        }
        return nullptr;
    }
};

TEST_F(CommandsTest, UpdateOfResultsMarksOverlapsAndKeepsTheDrawing)
{
    SheetInNewView(5000, L"Лист 1");
    const FigurePtr a = ColouredFigure(Rectangle(100, 100, 200, 100), L"A");
    const FigurePtr b = ColouredFigure(Rectangle(250, 150, 200, 100), L"B");
    const FigurePtr c = ColouredFigure(Rectangle(1000, 100, 200, 100), L"C");
    const size_t macros = MacrosInDrawing();

    RunUpdateResults();
    EXPECT_TRUE(a->m_macro->CheckStyleMacro());
    EXPECT_TRUE(b->m_macro->CheckStyleMacro());
    EXPECT_FALSE(c->m_macro->CheckStyleMacro());
    EXPECT_EQ(MacrosInDrawing(), macros);
    EXPECT_EQ(ErrorMessages(), 0u);
    const vlhost::DocumentSwitches switches = Switches();
    EXPECT_TRUE(switches.undoEnabled);
    EXPECT_EQ(switches.undoOff, 1);
    EXPECT_EQ(switches.undoOn, 1);
}

TEST_F(CommandsTest, UpdateOfResultsReportsAFigureOfAnotherThickness)
{
    SheetInNewView(5000, L"Лист 1");
    const FigurePtr thick = MakeFigure(Rectangle(100, 100, 200, 100), L"Thick");
    thick->InitPolygons(0.0, 10.0, nullptr);
    thick->SetThickness(7.0);
    thick->SaveParams();
    thick->CreateColouring();
    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.m_thicknessSheet = 2.0;
    model.SaveParams();
    model.ClearSheets();

    RunUpdateResults();
    EXPECT_TRUE(thick->m_macro->CheckStyleMacro());
    EXPECT_EQ(ErrorMessages(), 1u);
}

TEST_F(CommandsTest, AFigureDroppedOnASheetWithoutShiftStaysWhereItWasDropped)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    const FigurePtr dropped = StoredFigure(Rectangle(700, 300, 200, 100), L"A");
    const NPoint from = Placement(dropped->m_macro);
    dropped->m_macro->SelectMacro(true);

    RunAutoPlacementInSheet();
    const INestingMacroObjectPtr after = FigureMacro(L"A");
    ASSERT_TRUE(after);
    const NPoint to = Placement(after);
    EXPECT_EQ(after->GetMacroViewNumber(), sheetView);
    EXPECT_NEAR(to.x, from.x, 1e-6);
    EXPECT_NEAR(to.y, from.y, 1e-6);
    EXPECT_TRUE(after->CheckSelect());
    EXPECT_EQ(MacrosInDrawing(), 2u);
}

TEST_F(CommandsTest, WithShiftHeldTheDroppedFigureIsPlacedAgainInItsSheet)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    const FigurePtr dropped = StoredFigure(Rectangle(700, 300, 200, 100), L"A");
    const NPoint from = Placement(dropped->m_macro);
    dropped->m_macro->SelectMacro(true);
    State().keysDown.insert(0x10);

    RunAutoPlacementInSheet();
    const INestingMacroObjectPtr after = FigureMacro(L"A");
    ASSERT_TRUE(after);
    const NPoint to = Placement(after);
    EXPECT_EQ(after->GetMacroViewNumber(), sheetView);
    EXPECT_LT(to.x, from.x);  // towards the bottom-left corner
    EXPECT_LT(to.y, from.y);
}

TEST_F(CommandsTest, AFigureDroppedOutsideEverySheetGoesToTheContainer)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    const FigurePtr dropped = StoredFigure(Rectangle(4000, 3000, 200, 100), L"A");
    dropped->m_macro->SelectMacro(true);

    RunAutoPlacementInSheet();
    const INestingMacroObjectPtr after = FigureMacro(L"A");
    ASSERT_TRUE(after);
    const int view = after->GetMacroViewNumber();
    EXPECT_NE(view, sheetView);
    EXPECT_NE(view, vrnApi::GetSystemView());
    EXPECT_EQ(view, vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet));
}

// The model keeps a sheet's outline at its view's origin: a sheet the user
// moved with the host's tools goes back there, so that the drawn sheet is the
// one its figures are placed on.
TEST_F(CommandsTest, ASheetMovedWithTheHostsToolsGoesBackToItsViewsOrigin)
{
    SheetInNewView(5000, L"Лист 1");
    const INestingMacroObjectPtr sheet = SheetMacro(L"Лист 2", 1000, 500);
    const NPoint at = Placement(sheet);
    sheet->SetMacroPlacement(50, 20, 0, false);
    sheet->SelectMacro(true);

    RunAutoPlacementInSheet();
    EXPECT_NEAR(Placement(sheet).x, at.x, 1e-6);
    EXPECT_NEAR(Placement(sheet).y, at.y, 1e-6);
}

TEST_F(CommandsTest, PlacementIsOneUndoStepWithTheProgressBarClosed)
{
    SheetInNewView(5000, L"Лист 1");
    const FigurePtr first = StoredFigure(Rectangle(100, 100, 200, 100), L"A");
    const FigurePtr second = StoredFigure(Rectangle(1000, 100, 200, 100), L"B");
    first->m_macro->SelectMacro(true);
    second->m_macro->SelectMacro(true);

    RunAutoPlacementInSheet();
    const vlhost::DocumentSwitches switches = Switches();
    EXPECT_EQ(switches.undoContainersOpened, 1);
    EXPECT_EQ(switches.undoContainersClosed, 1);
    EXPECT_EQ(switches.undoDepth, 0);
    const vlhost::ProgressState& bar = State().progress;
    EXPECT_FALSE(bar.shown);
    ASSERT_FALSE(bar.positions.empty());
    EXPECT_EQ(bar.positions.front(), 50);
    EXPECT_TRUE(FigureMacro(L"A")->CheckSelect());
    EXPECT_TRUE(FigureMacro(L"B")->CheckSelect());
}

TEST_F(CommandsTest, PlacementWithoutSelectedFiguresOnlyOpensAndClosesItsFrame)
{
    SheetInNewView(5000, L"Лист 1");
    StoredFigure(Rectangle(100, 100, 200, 100), L"A");
    const size_t macros = MacrosInDrawing();

    RunAutoPlacementInSheet();
    EXPECT_EQ(MacrosInDrawing(), macros);
    EXPECT_EQ(Switches().undoContainersOpened, 1);
    EXPECT_EQ(Switches().undoContainersClosed, 1);
    EXPECT_FALSE(State().progress.shown);
    EXPECT_GE(State().progress.starts, 1);
}

// The keys: the selected figure slides until it touches, the selected
// figures turn and are placed again.
TEST_F(CommandsTest, ASelectedFigureSlidesUntilItTouchesItsNeighbour)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    StoredFigure(Rectangle(500, 300, 200, 100), L"B");
    const FigurePtr moved = StoredFigure(Rectangle(900, 300, 200, 100), L"A");
    moved->m_macro->SelectMacro(true);

    OffsetFigure(NestingMode::OffsetLeft);
    const INestingMacroObjectPtr after = FigureMacro(L"A");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->GetMacroViewNumber(), sheetView);
    EXPECT_NEAR(Placement(after).x, -(900 - 700 - 10), 1e-6);  // the gap polygons touch
    EXPECT_NEAR(Placement(after).y, 0.0, 1e-6);
    EXPECT_TRUE(after->CheckSelect());
    EXPECT_EQ(Switches().undoContainersOpened, 1);
    EXPECT_EQ(Switches().undoDepth, 0);
    // Touching B, A goes no further that way: it does not jump over B to the free edge.
    OffsetFigure(NestingMode::OffsetLeft);
    EXPECT_NEAR(Placement(FigureMacro(L"A")).x, -(900 - 700 - 10), 1e-6);

    // A figure on no sheet goes into the container and is not slid.
    const FigurePtr away = StoredFigure(Rectangle(4000, 3000, 200, 100), L"C");
    vrnApi::UnSelectAll();
    away->m_macro->SelectMacro(true);
    OffsetFigure(NestingMode::OffsetDown);
    const INestingMacroObjectPtr parked = FigureMacro(L"C");
    EXPECT_EQ(parked->GetMacroViewNumber(),
              vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet));
}

TEST_F(CommandsTest, SelectedFiguresTurnAndArePlacedAgainAsOneUndoStep)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    // Each turns about its reference point, at its lower left corner.
    for (const wchar_t* name : {L"A", L"B"}) {
        const FigurePtr figure = StoredFigure(Rectangle(0, 0, 200, 100), name);
        figure->SetPlacement(name == std::wstring(L"A") ? 500 : 1000, 300, 0, false);
        figure->SaveParams();
        figure->m_macro->SelectMacro(true);
    }

    RotateFigure(90.0);
    for (const wchar_t* name : {L"A", L"B"}) {
        const INestingMacroObjectPtr after = FigureMacro(name);
        ASSERT_TRUE(after);
        double x = 0, y = 0, angle = 0;
        after->GetMacroPlacement(x, y, angle);
        EXPECT_NEAR(angle, 90.0, 1e-9) << name;
        EXPECT_EQ(after->GetMacroViewNumber(), sheetView);
    }
    EXPECT_EQ(Switches().undoDepth, 0);
    EXPECT_EQ(Switches().undoContainersOpened, Switches().undoContainersClosed);
}

// A figure turned or moved so that it juts out of its sheet (by the keys, by
// its handle, by the host's own tools) is brought back inside when it fits
// there; one that fits no more, or left the sheet altogether, goes to the
// container.
TEST_F(CommandsTest, AFigureTurnedOrMovedOverTheSheetsEdgeStaysOnItsSheetWhenItFits)
{
    const int sheetView = SheetInNewView(5000, L"Лист 1");
    const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    enum How { Key, Handle, Host };
    const struct {
        const wchar_t* name;
        double width, height, x, y;
        How how;
        double turn, dy;
        bool staysOnSheet;
    } cases[] = {
        {L"A", 100, 50, 500, 10, Key, -90, 0, true},      // lower edge 10 mm above the sheet's
        {L"B", 100, 50, 1000, 1440, Key, 90, 0, true},    // would cross the upper edge
        {L"C", 2000, 100, 500, 1300, Key, -90, 0, false}, // longer than the sheet is high
        {L"D", 100, 50, 1500, 10, Handle, -90, 0, true},
        {L"E", 100, 50, 2000, 10, Host, -90, 0, true},
        {L"F", 100, 50, 2500, 10, Host, 0, -30, true},    // dragged half over the edge
        {L"G", 100, 50, 2500, 300, Host, 0, -2000, false}, // dragged off the sheet
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + 1));
        vrnApi::GetViewPtrByNumber(sheetView)->SetCurrent(true);
        const FigurePtr figure = StoredFigure(Rectangle(0, 0, c.width, c.height), c.name);
        figure->SetPlacement(c.x, c.y, 0, false);
        figure->SaveParams();
        vrnApi::UnSelectAll();
        figure->m_macro->SelectMacro(true);
        if (c.how == Key) {
            RotateFigure(c.turn);
        } else if (c.how == Handle) {
            HP_Figure editor(figure->m_macro);
            editor.Init();
            HotPoint towards;
            towards.y = -50.0;  // three quarters round
            ASSERT_TRUE(editor.SetHotPoint(towards, 1));
            RunAutoPlacementInSheet();  // what the end of the drag asks the host for
        } else {
            figure->m_macro->SetMacroPlacement(0.0, c.dy, 0.0, false);
            figure->SetPlacement(0.0, 0.0, c.turn, false);
            RunAutoPlacementInSheet();
        }
        const INestingMacroObjectPtr after = FigureMacro(c.name);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->GetMacroViewNumber(), c.staysOnSheet ? sheetView : container);
        if (!c.staysOnSheet)
            continue;
        const FigurePtr turned = Figure::Create(after);
        turned->LoadParams();
        const NRect& box = turned->m_rectBorder;
        EXPECT_NEAR(box.pTop.x - box.pBot.x, c.turn != 0 ? c.height : c.width, 1e-6);
        EXPECT_TRUE(box.pBot.x >= 0 && box.pBot.y >= 0 && box.pTop.x <= 3000 && box.pTop.y <= 1500)
            << box.pBot.x << " " << box.pBot.y << " " << box.pTop.x << " " << box.pTop.y;
    }
}

// Without a selected figure the keys do nothing, not even an undo step.
TEST_F(CommandsTest, KeysWithoutASelectedFigureDoNothing)
{
    const INestingMacroObjectPtr sheet = SheetMacro(L"Лист 1", 3000, 1500);
    StoredFigure(Rectangle(100, 100, 200, 100), L"A");
    for (const bool sheetSelected : {false, true}) {
        vrnApi::UnSelectAll();
        if (sheetSelected)
            sheet->SelectMacro(true);
        OffsetFigure(NestingMode::OffsetLeft);
        RotateFigure(90.0);
        EXPECT_NEAR(Placement(FigureMacro(L"A")).x, 0.0, 1e-12);
        EXPECT_EQ(Switches().undoContainersOpened, 0);
    }
}

}  // namespace
}  // namespace figuretest
