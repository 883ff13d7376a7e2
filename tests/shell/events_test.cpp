// The drawings' sinks, the key table and the hot-point drag bracket, as the
// host calls them.
#include "shell_fixture.h"

#include <gmock/gmock.h>

#include "support/macro_fixture.h"

#include "api/INestingObjects.h"
#include "model/NestingFigure.h"
#include "model/ProgressIndicator.h"

#include <array>
#include <cmath>
#include <functional>

namespace shelltest {
namespace {

using macrotest::AddRing;
using macrotest::MakeMacro;

std::vector<NPoint> Rectangle(double x, double y, double w, double h)
{
    return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

class EventsTest : public ShellTest {
protected:
    static std::vector<reference> SinkDocuments()
    {
        std::vector<reference> refs;
        for (const DocumentEventsPtr& sink : documentEvents)
            refs.push_back(hostAccess::ReferenceOf(sink->Document()));
        return refs;
    }
    // Figures of the library as a nesting drawing keeps them, on a 3000 x
    // 1500 sheet in a view of its own, side by side.
    void FigureOnSheet(const std::wstring& name, const std::vector<std::wstring>& more = {})
    {
        AddCurrentView(5000, 0);
        SheetMacro(L"Лист 1", 3000, 1500);
        for (size_t k = 0; k <= more.size(); ++k) {
            FigurePtr figure = Figure::Create(
                MakeMacro(Container(), AddRing(Container(), Rectangle(700 + 400.0 * k, 300, 200, 100)), k ? more[k - 1] : name));
            figure->InitParams();
            figure->InitPolygons(0.0, 10.0, nullptr);
            figure->SaveParams();
        }
    }
    // A macro of nobody's library.
    void PlainMacro(const std::wstring& name)
    {
        vlapi::IMacroObjectPtr macro = Container()->GetMacroObjects()->AddMacro(1);
        vlapi::APIObjectList lines;
        for (const vlapi::IDrawingObjectPtr& line : AddRing(Container(), Rectangle(0, 0, 10, 10)))
            lines.emplace_back(line);
        macro->AddObjects(lines);
        macro->SetName(name);
        macro->Update();
    }
    // Where the figure macro of that name stands now: x, y and angle.
    static std::array<double, 3> Placement(const std::wstring& name)
    {
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            if (macro->GetName() == name && macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure)) {
                std::array<double, 3> at{};
                macro->GetMacroPlacement(at[0], at[1], at[2]);
                return at;
            }
        }
        ADD_FAILURE() << "no figure macro";
        return {};
    }
};

TEST_F(EventsTest, EachDrawingHasOneSinkAndClosingOneRemovesOnlyItsEntry)
{
    const reference first = hostAccess::ReferenceOf(doc);
    CreateDocumentEvents(doc);  // asked again: no second sink
    user->New(vlapi::vlDocumentFragment);
    EXPECT_EQ(SinkDocuments(), std::vector<reference>{first});

    const reference second = hostAccess::ReferenceOf(user->New());
    const reference third = hostAccess::ReferenceOf(user->New());
    ASSERT_TRUE(user->Activate(2));  // the second drawing, among fragment and drawings made active
    ASSERT_EQ(hostAccess::ReferenceOf(vrnApi::GetActiveDocument2D()), second);
    ASSERT_TRUE(user->Close());
    EXPECT_EQ(SinkDocuments(), (std::vector<reference>{first, third}));
    for (const DocumentEventsPtr& sink : documentEvents)
        EXPECT_TRUE(sink->Advised());
    EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 6);
    EXPECT_EQ(host->HandlerCount(handlerProcessOwner), 2);
}

TEST_F(EventsTest, OnlyAnEditOfLibraryMacrosAloneAsksForPlacementOnce)
{
    MakeMacro(Container(), AddRing(Container(), Rectangle(0, 0, 50, 20)), L"A");
    PlainMacro(L"X");
    struct Case {
        const char* event;
        std::wstring objects;
        size_t asked;
    } cases[] = {
        {"ObjectsMoved", L"macro:A", 1},
        {"ObjectsRotated", L"macro:A", 1},
        {"ObjectsCopied", L"macro:A", 1},
        {"ObjectsMoved", L"none", 1},  // an empty list counts as the library's
        {"ObjectsMoved", L"macro:A macro:X", 0},
        {"ObjectsRotated", L"macro:X", 0},
    };
    for (const Case& c : cases) {
        const size_t mark = Mark();
        ASSERT_TRUE(user->Raw(c.event, {c.objects}));
        EXPECT_EQ(CountCalls(mark, "RunCommand(300, 1)"), c.asked) << c.event << " " << vlhost::Host::Utf8(c.objects);
        const std::vector<std::string> answers = AnswersSince(mark, std::string("On") + c.event);
        ASSERT_FALSE(answers.empty()) << c.event;
        EXPECT_EQ(answers.front(), "true") << "the host's edit is never refused";
    }
}

TEST_F(EventsTest, KeysSlideAndTurnTheSelectedFigureUnlessModifiedOrDuringACommand)
{
    FigureOnSheet(L"A");
    ASSERT_TRUE(user->Select(user->Objects(L"macro:A")));
    enum Effect { None, Slides, Turns };
    struct Case {
        const char* what;
        int key;
        int held;  // a modifier key held down, 0 for none
        bool commandRuns;
        Effect effect;
        double turn;  // degrees
    } cases[] = {
        {"Ctrl+left arrow", 37, 17, false, Slides, 0},
        {"Shift+up arrow", 38, 16, false, Slides, 0},
        {"D", 68, 0, false, Slides, 0},
        {"Ctrl+S", 83, 17, false, None, 0},
        {"Alt+W", 87, 18, false, None, 0},
        {"Q", 81, 0, false, None, 0},
        {"R", 82, 0, false, Turns, 90},
        {"Shift+L", 76, 16, false, Turns, -90},
        {"Ctrl+R", 82, 17, false, None, 0},
        {"left arrow during a command", 37, 0, true, None, 0},
        {"R during a command", 82, 0, true, None, 0},
    };
    const size_t mark = Mark();
    for (const Case& c : cases) {
        const std::array<double, 3> before = Placement(L"A");
        vlhost::Host::SetProcessRunning(vrnApi::GetActiveDocument2D(), c.commandRuns);
        if (c.held)
            user->KeyDown(c.held);
        ASSERT_TRUE(user->Key(c.key)) << c.what;
        if (c.held)
            user->KeyUp(c.held);
        vlhost::Host::SetProcessRunning(vrnApi::GetActiveDocument2D(), false);
        const std::array<double, 3> after = Placement(L"A");
        const bool moved = std::hypot(after[0] - before[0], after[1] - before[1]) > 1e-6;
        const double turned = std::remainder(after[2] - before[2], 360.0);
        // A turn places the figure again, which may move it.
        if (c.effect != Turns) {
            EXPECT_EQ(moved, c.effect == Slides) << c.what;
        }
        EXPECT_NEAR(turned, c.turn, 1e-6) << c.what;
    }
    // Every key answers true, and the library's own moves ask for no placement.
    const std::vector<std::string> answers = AnswersSince(mark, "OnKeyDown(");
    const auto held = std::count_if(std::begin(cases), std::end(cases), [](const Case& c) { return c.held != 0; });
    EXPECT_EQ(answers.size(), std::size(cases) + static_cast<size_t>(held));  // with the modifiers' own
    EXPECT_THAT(answers, ::testing::Each(std::string("true")));
    EXPECT_EQ(CountCalls(mark, "RunCommand(300, 1)"), 0u);
}

TEST_F(EventsTest, AFigureHandleDragTakesTheSinksOffAndGivesTheActiveDrawingItsSinkBack)
{
    FigureOnSheet(L"A");
    ASSERT_TRUE(user->Select(user->Objects(L"macro:A")));
    ASSERT_EQ(user->HotPoints().size(), 2u);
    EXPECT_EQ(user->HotPoints()[1].cursorId, 10011);

    const size_t mark = Mark();
    ASSERT_TRUE(user->Drag(1, {{0, 50}}));
    // The drag's own moves reach no sink; its end places the figures again once.
    const std::vector<std::string> calls = CallsSince(mark);
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("OnObjects", 0) == 0; }), 0);
    EXPECT_EQ(CountCalls(mark, "RunCommand(300, 1)"), 1u);
    EXPECT_NEAR(Placement(L"A")[2], 90.0, 1e-6);
    EXPECT_EQ(SinkDocuments(), std::vector<reference>{hostAccess::ReferenceOf(doc)});
    EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 3);

    // While a command runs, a library macro shows no hot points; a sheet never does.
    user->Select(user->Objects(L"none"));
    vlhost::Host::SetProcessRunning(doc, true);
    ASSERT_TRUE(user->Select(user->Objects(L"macro:A")));
    EXPECT_TRUE(user->HotPoints().empty());
    vlhost::Host::SetProcessRunning(doc, false);
    ASSERT_TRUE(user->Select(user->Objects(L"macro:Лист 1")));
    EXPECT_TRUE(user->HotPoints().empty());
}

// The library's own runs over the drawing, asked for through the automation
// interfaces as through the commands: the sinks hear none of their moves (a
// single object's move passes them without asking for a placement), and hear
// the user's again afterwards, with every host bracket closed, however the
// run ended.
TEST_F(EventsTest, TheLibrarysOwnRunsReachNoSinkAndTheUsersEditsAreHeardAfterHoweverTheyEnd)
{
    FigureOnSheet(L"A", {L"B", L"C"});
    const auto optimise = [](RotationType rotation, bool failing) {
        const IOptimizerPtr optimizer = CreateOptimizerInstance();
        optimizer->Init();
        if (failing)
            ProgressIndicator::Create().m_function = [](double) { throw std::runtime_error("progress"); };
        optimizer->RunOptimization({1, rotation, true});
        ProgressIndicator::Create().m_function = nullptr;
    };
    struct Case {
        const char* what;
        std::function<void()> run;
        bool sinksHear;  // a single move: the sinks hear it, and let it pass
        bool moves = true;
    } cases[] = {
        {"optimiser", [&] { optimise(RotationType::Rotation90, false); }, false},
        {"export",
         [this] {
             const IExporterPtr exporter = CreateExporterInstance();
             exporter->ExportToDXF(File("export"));
             EXPECT_TRUE(std::filesystem::exists(root / "export" / "card.dxf"));
         },
         false, false},
        {"documentation",
         [this] {
             const IReporterPtr reporter = CreateReporterInstance();
             reporter->Init();
             ReportParams params{true, true, File("docs/"), L"", 4, 0, true, true, true, true, false};
             reporter->SetParams(params);
             reporter->CreateDocumentation();
             EXPECT_TRUE(std::filesystem::exists(root / "docs" / "Карты раскроя"));
         },
         false, false},
        {"optimiser failing", [&] { optimise(RotationType::WithoutRotation, true); }, false, false},
        {"container",
         [] {
             const INestingModelPtr model = CreateNestingModelInstance();
             model->InitSheetsFromActiveDoc();
             model->InitFiguresFromActiveDoc();
             model->ArrangeFiguresInContainer(true, true);
         },
         false},
        {"one figure",
         [] {
             const INestingModelPtr model = CreateNestingModelInstance();
             model->InitFiguresFromActiveDoc();
             std::vector<INObjectPtr> figures;
             model->GetFigureObjects(figures);
             ASSERT_FALSE(figures.empty());
             figures.front()->SetPlacement(123, 45, 0);
         },
         true},
    };
    for (const Case& c : cases) {
        const std::array<double, 3> before = Placement(L"A");
        const size_t mark = Mark();
        c.run();
        const auto heard = std::ranges::count_if(CallsSince(mark), [](const std::string& call) { return call.starts_with("OnObjects"); });
        EXPECT_EQ(heard > 0, c.sinksHear) << c.what;
        EXPECT_EQ(CountCalls(mark, "RunCommand(300, 1)"), 0u) << c.what;
        EXPECT_TRUE(!c.moves || Placement(L"A") != before) << c.what << ": the run moved nothing";
        const vlhost::DocumentSwitches switches = Switches();
        EXPECT_EQ(switches.undoDepth, 0) << c.what;
        EXPECT_TRUE(switches.treeRebuild) << c.what;
        EXPECT_TRUE(State().access.enabled) << c.what;
        EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 3) << c.what;
        EXPECT_FALSE(DocumentEventsSuspended()) << c.what;
        const size_t userMark = Mark();
        ASSERT_TRUE(user->Raw("ObjectsMoved", {L"macro:A"}));
        EXPECT_EQ(CountCalls(userMark, "RunCommand(300, 1)"), 1u) << c.what;
    }
}

}  // namespace
}  // namespace shelltest
