// The remnants command on a placed job: its tool bar and panel, clicks,
// confirm and cancel, value changes, list commands and renaming.
#include "command_fixture.h"

#include <gmock/gmock.h>

#include "host/HostAccess.h"
#include "model/NestingModel.h"
#include "shell/WasteProcess.h"

namespace shelltest {
namespace {

class WasteTest : public CommandTest {
protected:
    // Two plates placed on a 300 x 200 sheet, the remnants command running.
    void SetUp() override
    {
        CommandTest::SetUp();
        MakeJob({Fragment("A", testparts::Rectangle(0, 0, 60, 40)), Fragment("B", testparts::Rectangle(0, 0, 50, 50))});
        Place();
        ASSERT_TRUE(user->Command(4));
        ASSERT_TRUE(user->Running());
    }
    WasteProcess& Process() const { return Current<WasteProcess>(); }
    INestingModel& Model() const { return *Process().m_model.get(); }
    vlapi::IPropertyEditListPtr List() const { return vlapi::IPropertyEditListPtr(C(L"Список отходов")); }
    std::string Buttons() const
    {
        const vlapi::IPropertyToolBarPtr bar(List());
        std::string states;
        for (int id : {7100, 7200, 7300, 7400})
            states += std::string(bar->GetButtonEnable(id) ? "e" : "-") + (bar->GetButtonPressed(id) ? "p " : "_ ");
        return states;
    }
    std::vector<INObjectPtr> Wastes() const
    {
        std::vector<INObjectPtr> wastes;
        Model().GetWasteObjects(wastes);
        return wastes;
    }
    // The text of the remnant's label in the drawing.
    std::wstring Label(const INObjectPtr& waste) const
    {
        std::vector<vlapi::IDrawingTextPtr> texts;
        vrnApi::InitTextFromMacro(vlapi::IMacroObjectPtr(hostAccess::ObjectOf(vrnApi::GetActiveDocument2D(),
                                                                               waste->GetReference())),
                                  texts);
        return texts.empty() ? L"" : vlapi::ITextPtr(texts.front())->GetText();
    }
    // A manual remnant by a click in the free area right of the plates.
    void ClickRemnant() { ASSERT_TRUE(user->Cursor(250, 150, true)); }
};

TEST_F(WasteTest, TheToolBarAndPanelFollowTheRemnantsAndTheSelection)
{
    EXPECT_EQ(Buttons(), "-_ -_ -_ -_ ");
    EXPECT_EQ(vlhost::Host::Utf8(user->Prompt()), "Укажите точку внутри области отхода");
    EXPECT_FALSE(Shown(L"Упрощение контура") || Shown(L"Построить отходы"));
    // The minimum size holds by hand too: shown, at its default while none is given.
    EXPECT_TRUE(Shown(L"Минимальный размер отхода"));
    EXPECT_EQ(Text(L"Минимальный размер отхода"), L"10");
    ClickRemnant();
    ASSERT_EQ(Wastes().size(), 1u);
    EXPECT_FALSE(Wastes().front()->GetChoose());
    EXPECT_EQ(Buttons(), "e_ e_ e_ -_ ");
    ASSERT_TRUE(user->Press(List(), 7100));
    EXPECT_EQ(Buttons(), "ep ep e_ e_ ");
    ASSERT_TRUE(user->Press(List(), 7400));
    EXPECT_EQ(Buttons(), "ep ep e_ ep ");
    EXPECT_FALSE(List()->GetEnable());
    EXPECT_FALSE(C(L"Способ построения")->GetEnable());
    EXPECT_EQ(Text(L"Имя"), Wastes().front()->GetName());
    EXPECT_FALSE(Process().CallBackCursor(250, 150, 0, false));  // no clicks while renaming
    ASSERT_TRUE(user->Press(C(L"Имя"), 7402));
    EXPECT_FALSE(Shown(L"Имя"));

    ASSERT_TRUE(user->SetValue(C(L"Способ построения"), L"Автоматически"));
    EXPECT_TRUE(Shown(L"Упрощение контура") && Shown(L"Построить отходы"));
    EXPECT_EQ(vlhost::Host::Utf8(user->Prompt()), "Отходы будут построены по свободной площади листов");
    const size_t before = Wastes().size();
    ClickRemnant();  // the automatic method makes nothing by a click
    EXPECT_EQ(Wastes().size(), before);
    ASSERT_TRUE(user->Press(C(L"Построить отходы")));
    ASSERT_FALSE(Wastes().empty());
    for (const INObjectPtr& w : Wastes())
        EXPECT_TRUE(IWastePtr(w)->GetMethod());
    ASSERT_TRUE(user->Press(List(), 7300));
    EXPECT_EQ(Buttons(), "ep e_ ep e_ ");
    ASSERT_TRUE(user->Press(List(), 7300));
    EXPECT_EQ(Buttons(), "e_ e_ e_ -_ ");
    ASSERT_TRUE(user->Tick(C(L"Только прямоугольные отходы"), true));
    EXPECT_EQ(Text(L"Минимальный размер отхода"), L"100");  // half the sheet's shorter side
    EXPECT_TRUE(Model().GetWastesRect());
}

TEST_F(WasteTest, ClicksConfirmAndCancel)
{
    ASSERT_TRUE(user->Cursor(-100, -100, true));  // no sheet there: nothing
    EXPECT_TRUE(Wastes().empty());
    ASSERT_TRUE(user->Cursor(250, 150, false));  // a move: nothing
    EXPECT_TRUE(Wastes().empty());
    ClickRemnant();
    ASSERT_EQ(Wastes().size(), 1u);
    // A click on the listed remnant's outline chooses it, again unchooses it.
    NRect box;
    Wastes().front()->GetGabarit(box);
    const INObjectPtr first = Wastes().front();
    ASSERT_TRUE(user->Cursor(box.pTop.x, (box.pBot.y + box.pTop.y) / 2, true));
    EXPECT_TRUE(first->GetChoose());
    EXPECT_EQ(Wastes().size(), 1u);
    ASSERT_TRUE(user->Enter());
    EXPECT_EQ(Process().m_returnValue, 1);
    EXPECT_FALSE(first->GetChoose());
    Process().OnButtonClick(vlapi::pbEsc);  // cancel after confirm keeps everything
    EXPECT_EQ(Process().m_returnValue, 1);
    EXPECT_EQ(MacrosOf(MacroCommand::Waste), 1u);

    // A new run: a click inside the confirmed remnant chooses it and makes
    // none over it; once it is deleted, a remnant made there and cancelled goes.
    ASSERT_TRUE(user->Command(4));
    EXPECT_EQ(Wastes().size(), 1u);
    ASSERT_TRUE(user->Cursor(110, 20, true));
    ASSERT_EQ(Wastes().size(), 1u);
    EXPECT_TRUE(Wastes().front()->GetChoose());
    ASSERT_TRUE(user->Press(List(), vlapi::vlControlCommandDelete));
    ASSERT_TRUE(user->Cursor(110, 20, true));
    ASSERT_EQ(Wastes().size(), 1u);
    const int made = Wastes().front()->GetReference();
    ASSERT_TRUE(user->Esc());
    EXPECT_EQ(MacrosOf(MacroCommand::Waste), 1u);
    // The drawing given back holds copies: the remnant names its sheet's new macro.
    NestingModel reread;
    reread.InitSheetsFromActiveDoc();
    reread.InitWastesFromActiveDoc();
    ASSERT_EQ(reread.m_wastes.size(), 1u);
    EXPECT_TRUE(reread.m_wastes.front()->m_owner);
    for (const INestingMacroObjectPtr& macro : DrawingMacros())
        EXPECT_NE(macro->GetReference(), made);
    ASSERT_TRUE(user->Command(4));
    ASSERT_TRUE(user->Help());
    EXPECT_EQ(host->State().helpTopics.back(), 5);
}

// A build that deletes a remnant marked by hand says which: the free area's
// remnants over it, and rectangles in place of every remnant, alike. Esc
// gives the drawing back.
TEST_F(WasteTest, ABuildNamesTheRemnantsMarkedByHandItDeletes)
{
    const std::function<bool()> builds[] = {
        [this] { return user->SetValue(C(L"Способ построения"), L"Автоматически") &&
                        user->Press(C(L"Построить отходы")); },
        [this] { return user->Tick(C(L"Только прямоугольные отходы"), true); },
    };
    for (const auto& build : builds) {
        ClickRemnant();
        ASSERT_EQ(Wastes().size(), 1u);
        const std::wstring marked = Wastes().front()->GetName();
        const size_t shown = host->State().messages.size();
        ASSERT_TRUE(build());
        ASSERT_EQ(host->State().messages.size(), shown + 1);
        EXPECT_EQ(LastMessage(), L"Отходы, построенные вручную по точке, удалены: на их месте построены новые — 1 шт.: " +
                                     marked);
        ASSERT_TRUE(user->Esc());
        EXPECT_EQ(MacrosOf(MacroCommand::Waste), 0u);
        ASSERT_TRUE(user->Command(4));
    }
}

TEST_F(WasteTest, LayerDeleteAndRenames)
{
    // Sheets of 100 x 80 hold a plate each: a remnant beside each plate.
    ASSERT_TRUE(user->Esc());
    MakeJob({}, 100.0, 80.0);
    Place();
    ASSERT_TRUE(user->Command(4));
    std::vector<INObjectPtr> sheets;
    Model().GetSheetObjects(sheets);
    ASSERT_EQ(sheets.size(), 2u);
    for (const INObjectPtr& sheet : sheets) {
        sheet->SetCurrentView();
        ASSERT_TRUE(user->Cursor(90, 70, true));
    }
    ASSERT_EQ(Wastes().size(), 2u);
    // Colour and visibility go to the layer and the model.
    ASSERT_TRUE(user->SetValue(C(L"Цвет слоя отходов"), L"255"));
    EXPECT_EQ(Model().GetWastesColor(), 255);
    int colour = 0;
    bool hidden = false;
    vrnApi::GetLayerParams(vrnApi::LoadStr(7300), colour, hidden);
    EXPECT_EQ(colour, 255);
    ASSERT_TRUE(user->Tick(C(L"Скрыть слой отходов"), true));
    vrnApi::GetLayerParams(vrnApi::LoadStr(7300), colour, hidden);
    EXPECT_TRUE(hidden);

    // Both renamed through the name edit: names and labels.
    ASSERT_TRUE(user->Press(List(), 7100));
    ASSERT_TRUE(user->Press(List(), 7400));
    ASSERT_TRUE(user->SetValue(C(L"Имя"), L""));
    EXPECT_TRUE(Process().m_editmode);  // an empty name is no name
    ASSERT_TRUE(user->SetValue(C(L"Имя"), L"Обрезок"));
    EXPECT_FALSE(Process().m_editmode);
    for (const INObjectPtr& w : Wastes()) {
        EXPECT_EQ(w->GetName(), L"Обрезок");
        EXPECT_EQ(Label(w), L"Обрезок");
    }
    ASSERT_TRUE(user->Press(List(), 7400));
    ASSERT_TRUE(user->Press(C(L"Имя"), 7401));
    EXPECT_FALSE(Process().m_editmode);

    // Renamed in place: the label follows, as with the name edit.
    ASSERT_TRUE(List()->EditItem(1));
    ASSERT_TRUE(user->EditItem(List(), 1, L"Остаток"));
    EXPECT_EQ(Wastes()[1]->GetName(), L"Остаток");
    EXPECT_EQ(Label(Wastes()[1]), L"Остаток");
    EXPECT_EQ(List()->GetItemText(1), L"Остаток");

    // The list's delete takes the selected remnant from the drawing; an unknown id does nothing.
    Process().m_listWastes.UnselectAll();
    ASSERT_TRUE(user->SelectItem(List(), 1));
    Process().OnControlCommand(vlapi::IPropertyControlPtr(List()), 7500);
    ASSERT_TRUE(user->Press(List(), vlapi::vlControlCommandDelete));
    EXPECT_EQ(Wastes().size(), 1u);
    EXPECT_EQ(MacrosOf(MacroCommand::Waste), 1u);
}

}  // namespace
}  // namespace shelltest
