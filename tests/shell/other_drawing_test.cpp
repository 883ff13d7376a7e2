// A command works on the drawing it was started in. The host hands the
// running command the cursor of whichever drawing the user works in, and a
// selected macro's hot-point object the drags made there: with the same job
// in two drawings, a click or a drag made in the other drawing changes
// neither of them and is said, naming both.
#include "command_fixture.h"

#include "host/WorkingDrawing.h"
#include "shell/HotPoint.h"

#include <array>

namespace shelltest {
namespace {

class OtherDrawingTest : public CommandTest {
protected:
    // The same placed job in the host's first drawing and in a second one;
    // the first active.
    void SetUp() override
    {
        CommandTest::SetUp();
        MakeJob(Parts());
        Place();
        other = user->New();
        MakeJob(Parts());
        Place();
        Turn(doc);
    }
    void Turn(const vlapi::IVarnelDocumentPtr& to)
    {
        const vlapi::IDocumentsPtr open = application->GetDocuments();
        for (int i = 0; i < open->GetCount(); ++i)
            if (hostAccess::SameObject(open->GetItem(i), to)) {
                ASSERT_TRUE(user->Activate(i));
            }
    }
    // The library's macros in the first drawing and in the other.
    std::array<size_t, 2> Macros() const
    {
        std::array<std::vector<INestingMacroObjectPtr>, 2> macros;
        vrnApi::GetMacrosFromDoc(doc, macros[0]);
        vrnApi::GetMacrosFromDoc(other, macros[1]);
        return {macros[0].size(), macros[1].size()};
    }
    // The macro of the plate "A" and the middle of its lower edge.
    INestingMacroObjectPtr Plate(NPoint& edge) const
    {
        const INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        std::vector<INObjectPtr> named;
        model->GetFiguresByName(named, L"A");
        NRect box;  // the outline and half the gap around it
        named.at(0)->GetGabarit(box);
        edge = {(box.pBot.x + box.pTop.x) / 2, box.pBot.y + model->GetFigureGap() / 2};
        return vrnApi::CreateMacroByReference(named[0]->GetReference());
    }
    std::wstring Title(const vlapi::IVarnelDocumentPtr& drawing) const { return vrnApi::DocumentTitle(drawing); }

    vlapi::IVarnelDocumentPtr other;
};

// Each command that takes clicks, started in the first drawing: a move and a
// click in the other drawing add nothing to either drawing, choose nothing in
// the panel and are said once; Enter keeps nothing, while a click in its own
// drawing acts. A command that takes no clicks says nothing of them.
TEST_F(OtherDrawingTest, AClickInAnotherDrawingAddsNothingAndIsSaid)
{
    NPoint edge;
    Plate(edge);
    const struct {
        const char* what;
        int command;
        NPoint click;
        bool takesClicks = true;
    } cases[] = {
        {"source data", 2, edge},
        {"remnants by a click", 4, {250.0, 150.0}},
        {"bridges", 10, edge},
        {"optimisation", 3, edge, false},
    };
    const std::array<size_t, 2> macros = Macros();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(user->Command(c.command));
        const std::string panel = user->Dump();
        Turn(other);
        const size_t said = host->State().messages.size();
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, false));
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, true));
        EXPECT_EQ(user->Dump(), panel);
        EXPECT_EQ(host->State().messages.size(), said + (c.takesClicks ? 1 : 0));
        if (c.takesClicks) {
            EXPECT_EQ(LastMessage(), L"Щелчок в чертеже «" + Title(other) + L"» не принят: команда «" +
                                         user->Caption() + L"» работает в чертеже «" + Title(doc) + L"»");
        }
        ASSERT_TRUE(user->Enter());
        EXPECT_EQ(Macros(), macros);
        Turn(doc);
        ASSERT_TRUE(user->Command(c.command));
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, true));
        EXPECT_EQ(user->Dump() != panel, c.takesClicks);
        ASSERT_TRUE(user->Esc());
    }
}

// A figure's or a bridge's hot point dragged in the other drawing, from the
// start or midway, leaves the object where it stood in its own drawing, asks
// for no placement and is said once.
TEST_F(OtherDrawingTest, AHotPointDraggedInAnotherDrawingMovesNothing)
{
    NPoint edge;
    const INestingMacroObjectPtr plate = Plate(edge);
    ASSERT_TRUE(user->Command(10));
    ASSERT_TRUE(user->Cursor(edge.x, edge.y, true));
    ASSERT_TRUE(user->Enter());
    std::vector<INestingMacroObjectPtr> bridges;
    vrnApi::GetMacrosFromDoc(doc, bridges);
    std::erase_if(bridges, [](const auto& m) { return !m->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge); });
    ASSERT_EQ(bridges.size(), 1u);
    const auto placement = [](const INestingMacroObjectPtr& macro) {
        std::array<double, 3> at{};
        macro->GetMacroPlacement(at[0], at[1], at[2]);
        return at;
    };
    for (const INestingMacroObjectPtr& macro : {plate, bridges[0]}) {
        for (const bool midway : {false, true}) {
            SCOPED_TRACE(vlhost::Host::Utf8(macro->GetName()) + (midway ? " midway" : " from the start"));
            const std::array<double, 3> before = placement(macro);
            const vlapi::IHotPointObjectPtr handles =
                CreateHPObj(vlapi::IVarnelAPIObjectPtr(hostAccess::ObjectOf(doc, macro->GetReference())));
            ASSERT_TRUE(handles);
            const size_t mark = Mark(), said = host->State().messages.size();
            if (!midway)
                Turn(other);
            handles->BeginDrag(0);
            EXPECT_EQ(handles->Set(0, 30.0, -20.0), midway);
            Turn(other);
            EXPECT_FALSE(handles->Set(0, 50.0, -40.0));
            handles->EndDrag(0, true);
            EXPECT_EQ(host->State().messages.size(), said + 1);
            EXPECT_EQ(LastMessage(), L"Перетаскивание в чертеже «" + Title(other) + L"» не принято: объект «" +
                                         macro->GetName() + L"» стоит в чертеже «" + Title(doc) + L"»");
            EXPECT_EQ(CountCalls(mark, "RunCommand(300, 1)"), 0u);
            Turn(doc);
            const std::array<double, 3> after = placement(macro);
            for (size_t i = 0; i < after.size(); ++i)
                EXPECT_NEAR(after[i], before[i], 1e-9) << i;
        }
    }
}

}  // namespace
}  // namespace shelltest
