// The command table: which ids run, where, and what each id starts.
#include "shell_fixture.h"

#include "api/INestingObjects.h"
#include "shell/Library.h"

#include <functional>

namespace shelltest {
namespace {

using LibraryTest = ShellTest;

// What a command left behind that the host can tell.
struct Trace {
    size_t messages = 0;
    size_t helpTopics = 0;
    int undoOff = 0;           // the update of results works with undo off
    int undoContainers = 0;    // the placement makes one undo step
    bool operator==(const Trace&) const = default;
};

TEST_F(LibraryTest, CommandsRunOnlyOnA2DDrawingAndUnknownIdsAreInert)
{
    const auto trace = [&] {
        Trace t{Messages().size(), State().helpTopics.size(), 0, 0};
        if (const vlapi::IVarnelDocument2DPtr active = vrnApi::GetActiveDocument2D()) {
            t.undoOff = vlhost::Host::Switches(active).undoOff;
            t.undoContainers = vlhost::Host::Switches(active).undoContainersOpened;
        }
        return t;
    };
    // On the drawing: 5, 9 and 300 do their work, the starters of the other
    // commands run (and show nothing yet), unknown ids do nothing.
    struct Case {
        int id;
        bool runs;
        Trace effect;
    } onDrawing[] = {
        {5, true, {0, 0, 1, 0}},   {9, true, {0, 1, 0, 0}},   {300, true, {0, 0, 0, 1}},
        {1, true, {}},             {2, true, {}},             {101, true, {}},
        {3, true, {}},             {4, true, {}},             {104, true, {}},
        {6, true, {}},             {7, true, {}},             {8, true, {}},
        {10, true, {}},            {0, false, {}},            {11, false, {}},
        {100, false, {}},          {102, false, {}},          {299, false, {}},
        {-1, false, {}},
    };
    for (const Case& c : onDrawing) {
        const Trace before = trace();
        EXPECT_EQ(RunCommand(c.id, 0), c.runs) << c.id;
        const Trace after = trace();
        EXPECT_EQ((Trace{after.messages - before.messages, after.helpTopics - before.helpTopics,
                         after.undoOff - before.undoOff, after.undoContainers - before.undoContainers}),
                  c.effect)
            << c.id;
        EXPECT_EQ(command, 0) << c.id;
    }
    EXPECT_EQ(State().helpTopics, std::vector<int>{1});

    // Off a drawing every command of the table shows message 101 and runs nothing.
    const std::function<void()> elsewhere[] = {[&] { user->New(vlapi::vlDocumentFragment); },
                                               [&] { user->New(vlapi::vlDocumentAssembly); },
                                               [&] { user->CloseAll(); }};
    for (const auto& arrange : elsewhere) {
        arrange();
        for (int id : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 101, 104, 300, 11}) {
            const size_t messages = Messages().size();
            EXPECT_FALSE(RunCommand(id, 0)) << id;
            if (id == 11) {
                EXPECT_EQ(Messages().size(), messages);
                continue;
            }
            ASSERT_EQ(Messages().size(), messages + 1) << id;
            EXPECT_EQ(Messages().back().text, L"Команда доступна только в документе-чертеже");
            EXPECT_EQ(Messages().back().flags, 16);
        }
    }
    EXPECT_EQ(State().helpTopics, std::vector<int>{1});
}

}  // namespace
}  // namespace shelltest

namespace shelltest {

// A host script that holds the library's automation objects past the
// library's unload: each call stays safe and the drawing keeps its macros.
TEST_F(LibraryTest, AutomationObjectsHeldPastTheUnloadStaySafe)
{
    INestingModelPtr model = CreateNestingModelInstance();
    model->SetWidthSheet(300.0);
    model->SetHeightSheet(200.0);
    ISheetPtr sheet = model->AddSheet();
    IJumperPtr jumper = model->CreateJumper(10.0, 0.0, 20.0, BridgeType::Gap, false);
    jumper->SetOwner1(sheet);
    model->AddJumper(jumper, 0);
    IOptimizerPtr optimizer = CreateOptimizerInstance();
    IReporterPtr reporter = CreateReporterInstance();
    IExporterPtr exporter = CreateExporterInstance();

    user->Unload();
    for (INObject* object : std::initializer_list<INObject*>{sheet.get(), jumper.get()}) {
        object->GetName();
        object->Choose(true);
        object->SetPlacement(5.0, 5.0, 0.0);
        object->SaveParams();
        object->SetCurrentView();
    }
    jumper->SetWidth(12.0);
    jumper->ReBuild();
    EXPECT_FALSE(model->AddSheet()) << "no drawing is reached without the library";
    model->UpdateSheets();
    model->WriteToConfig();
    model->SaveSession();
    optimizer->Init();
    optimizer->RunOptimization(OptimizationParams{});
    reporter->Init();
    reporter->CreateDocumentation();
    exporter->ExportToDXF(File("out"));
    model->DelJumper(jumper);
    model->DelSheet(sheet);
}

}  // namespace shelltest
