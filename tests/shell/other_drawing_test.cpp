// A command works on the drawing it was started in. The host hands the
// running command the cursor of whichever drawing the user works in, and a
// selected macro's hot-point object the drags made there: with the same job
// in two drawings, a click or a drag made in the other drawing changes
// neither of them and is said, naming both; back in its own drawing the
// command takes clicks again.
#include "command_fixture.h"

#include "host/WorkingDrawing.h"
#include "shell/HotPoint.h"

#include <array>

namespace shelltest {
namespace {

class OtherDrawingTest : public CommandTest {
protected:
    // The same placed job in the host's first drawing and in a second one.
    void SetUp() override
    {
        CommandTest::SetUp();
        MakeJob(Parts());
        Place();
        other = user->New();
        ASSERT_TRUE(other);
        MakeJob(Parts());
        Place();
        Turn(doc);
    }
    // The user turns to the drawing `to`.
    void Turn(const vlapi::IVarnelDocumentPtr& to)
    {
        const vlapi::IDocumentsPtr open = application->GetDocuments();
        for (int i = 0; i < open->GetCount(); ++i) {
            if (hostAccess::SameObject(open->GetItem(i), to)) {
                ASSERT_TRUE(user->Activate(i));
                return;
            }
        }
        FAIL() << "not open";
    }
    // The macros of each drawing made by `command` (Undefined: every macro):
    // the command's drawing, then the other.
    std::array<size_t, 2> Counts(MacroCommand command)
    {
        const vlapi::IVarnelDocumentPtr active = application->GetActiveDocument();
        std::array<size_t, 2> counts{};
        for (size_t i = 0; i < 2; ++i) {
            Turn(i == 0 ? vlapi::IVarnelDocumentPtr(doc) : other);
            counts[i] = command == MacroCommand::Undefined ? DrawingMacros().size() : MacrosOf(command);
        }
        Turn(active);
        return counts;
    }
    // What the user is told of a click made in the other drawing.
    std::wstring ClickElsewhere() const
    {
        return L"Щелчок в чертеже «" + vrnApi::DocumentTitle(other) + L"» не принят: команда «" + user->Caption() +
               L"» работает в чертеже «" + vrnApi::DocumentTitle(doc) + L"»";
    }
    // The middle of the lower edge of the plate "A", where it lies in both drawings.
    static NPoint OnPlate()
    {
        const INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        std::vector<INObjectPtr> named;
        model->GetFiguresByName(named, L"A");
        if (named.empty()) {
            ADD_FAILURE() << "no plate";
            return {};
        }
        NRect box;  // the outline and half the gap around it
        named.front()->GetGabarit(box);
        return {(box.pBot.x + box.pTop.x) / 2, box.pBot.y + model->GetFigureGap() / 2};
    }

    vlapi::IVarnelDocumentPtr other;
};

// Each command that takes clicks, started in the first drawing: a move and a
// click in the other drawing add nothing to either drawing, choose nothing in
// the panel and are said once; Enter keeps nothing. A click in its own
// drawing still acts. A command that takes no clicks says nothing of them.
TEST_F(OtherDrawingTest, AClickInAnotherDrawingAddsNothingAndIsSaid)
{
    const NPoint plate = OnPlate();
    const struct {
        const char* what;
        int command;
        NPoint click;
        MacroCommand made;  // what a click in its own drawing makes (Undefined: it chooses)
        bool takesClicks = true;
    } cases[] = {
        {"source data", 2, plate, MacroCommand::Undefined},
        {"remnants by a click", 4, {250.0, 150.0}, MacroCommand::Waste},
        {"bridges", 10, plate, MacroCommand::Bridge},
        {"optimisation", 3, plate, MacroCommand::Undefined, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::array<size_t, 2> macros = Counts(MacroCommand::Undefined), made = Counts(c.made);
        ASSERT_TRUE(user->Command(c.command));
        const std::string panel = user->Dump();
        Turn(other);
        const size_t said = host->State().messages.size();
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, false));
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, true));
        EXPECT_EQ(user->Dump(), panel);
        EXPECT_EQ(host->State().messages.size(), said + (c.takesClicks ? 1 : 0));
        if (c.takesClicks) {
            EXPECT_EQ(LastMessage(), ClickElsewhere());
        }
        EXPECT_EQ(Counts(MacroCommand::Undefined), macros);
        ASSERT_TRUE(user->Enter());
        EXPECT_EQ(Counts(MacroCommand::Undefined), macros);
        EXPECT_TRUE(hostAccess::SameObject(application->GetActiveDocument(), other));
        if (!c.takesClicks)
            continue;

        // In its own drawing the same click acts.
        Turn(doc);
        ASSERT_TRUE(user->Command(c.command));
        ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, true));
        EXPECT_NE(user->Dump(), panel);
        ASSERT_TRUE(user->Esc());
        EXPECT_EQ(host->State().messages.size(), said + 1);
        if (c.made != MacroCommand::Undefined) {
            ASSERT_TRUE(user->Command(c.command));
            ASSERT_TRUE(user->Cursor(c.click.x, c.click.y, true));
            ASSERT_TRUE(user->Enter());
            EXPECT_EQ(Counts(c.made), (std::array<size_t, 2>{made[0] + 1, made[1]}));
        }
    }
}

// A click made in the other drawing while a handler lets the host handle the
// user's waiting events reaches the command after the handler, said the same.
TEST_F(OtherDrawingTest, AClickInAnotherDrawingWhileAHandlerWaitsIsSaid)
{
    const NPoint plate = OnPlate();
    ASSERT_TRUE(user->Command(2));
    host->State().filesAnswers.push_back({Fragment("C", testparts::Rectangle(0, 0, 20, 20))});
    State().pendingEvents.push_back([&] { Turn(other); });
    State().pendingEvents.push_back([&] { user->Cursor(plate.x, plate.y, true); });
    ASSERT_TRUE(user->Press(C(L"Загрузить детали")));
    EXPECT_EQ(LastMessage(), ClickElsewhere());
    EXPECT_EQ(user->Dump().find("[x]"), std::string::npos) << user->Dump();  // no part chosen
    ASSERT_TRUE(user->Esc());
}

// A figure's or a bridge's hot point dragged in the other drawing, from the
// start or midway, leaves the object where it stood in its own drawing, asks
// for no placement and is said once.
TEST_F(OtherDrawingTest, AHotPointDraggedInAnotherDrawingMovesNothing)
{
    const NPoint plate = OnPlate();
    ASSERT_TRUE(user->Command(10));
    ASSERT_TRUE(user->Cursor(plate.x, plate.y, true));
    ASSERT_TRUE(user->Enter());
    const auto macroOf = [&](MacroCommand command) {
        std::vector<INestingMacroObjectPtr> macros;
        vrnApi::GetMacrosFromDoc(doc, macros);
        for (const INestingMacroObjectPtr& macro : macros) {
            if (macro->CheckMacroLibraryNameAndCommand(command) &&
                (command != MacroCommand::Figure || macro->GetName() == L"A"))
                return macro;
        }
        return INestingMacroObjectPtr();
    };
    const auto placement = [](const INestingMacroObjectPtr& macro) {
        std::array<double, 3> at{};
        macro->GetMacroPlacement(at[0], at[1], at[2]);
        return at;
    };
    for (const MacroCommand command : {MacroCommand::Figure, MacroCommand::Bridge}) {
        for (const bool midway : {false, true}) {
            SCOPED_TRACE(std::to_string(static_cast<int>(command)) + (midway ? " midway" : " from the start"));
            Turn(doc);
            const INestingMacroObjectPtr macro = macroOf(command);
            ASSERT_TRUE(macro);
            const std::array<double, 3> before = placement(macro);
            const vlapi::IHotPointObjectPtr handles =
                CreateHPObj(vlapi::IVarnelAPIObjectPtr(hostAccess::ObjectOf(doc, macro->GetReference())));
            ASSERT_TRUE(handles);
            const size_t mark = Mark(), said = host->State().messages.size();
            if (!midway)
                Turn(other);
            handles->BeginDrag(0);
            if (midway) {
                EXPECT_TRUE(handles->Set(0, 30.0, -20.0));
                Turn(other);
            }
            EXPECT_FALSE(handles->Set(0, 40.0, -30.0));
            EXPECT_FALSE(handles->Set(0, 50.0, -40.0));
            handles->EndDrag(0, true);
            EXPECT_EQ(host->State().messages.size(), said + 1);
            EXPECT_EQ(LastMessage(), L"Перетаскивание в чертеже «" + vrnApi::DocumentTitle(other) +
                                         L"» не принято: объект «" + macro->GetName() + L"» стоит в чертеже «" +
                                         vrnApi::DocumentTitle(doc) + L"»");
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
