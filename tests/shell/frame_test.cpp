// The command frame on the stand-in host: how a command is run, bound,
// forwarded to, ended and replaced.
#include "shell_fixture.h"

#include <gmock/gmock.h>

#include "host/WorkingDrawing.h"
#include "shell/BaseProcess.h"

#include <functional>
#include <sstream>

namespace shelltest {
namespace {

std::vector<std::string> probeLog;

// Buttons of the probe: one that lets the host handle the user's waiting
// events, one that tells whether the command's drawing is the active one.
constexpr int kWaitButton = 5;
constexpr int kWhereButton = 6;

std::string Caption(const vlapi::IPropertyControlPtr& c)
{
    return c ? vlhost::Host::Utf8(c->GetCaption()) : "none";
}

// A command that logs every call of the frame with its arguments and answers
// with values the host can tell apart from the defaults.
class Probe : public BaseProcess {
public:
    explicit Probe(std::string name = "probe") : m_name(std::move(name)) {}
    Probe(const Probe&) = default;
    ~Probe() override { Log("deleted"); }

    void Init() override { Log("Init"); }
    void CreateControls() override
    {
        Log("CreateControls");
        vlapi::IPropertyTabsPtr tabs = m_procParam->GetPropertyTabs();
        tabs->GetTab(0)->SetVisible(false);
        m_list = vlapi::IPropertyEditListPtr(tabs->Add(L"Проба")->GetControls()->Add(vlapi::vlControlEditList));
        m_list->SetCaption(L"Список");
        const vlapi::IPropertyToolBarPtr bar(m_list);
        AddButtonInToolBar(bar, 7100, 57346, L"шрифт библиотеки", true, true, true);
        AddButtonInToolBar(bar, 7101, 57347, L"свой шрифт", false, false, false);
        AddButtonInToolBar(nullptr, 7102, 57348, L"нет панели", true, false, true);
    }
    void UpdateControls() override { Log("UpdateControls"); }
    std::wstring GetCaption() const override { return L"Проба"; }

    bool CallBackCursor(double x, double y, double angle, bool dynamic) override
    {
        Log("Cursor " + Num(x) + " " + Num(y) + " " + Num(angle) + " " + Flag(dynamic));
        return dynamic;
    }
    bool OnButtonClick(int id) override
    {
        Log("ButtonClick " + Num(id));
        if (id == kWaitButton) {
            const bool open = vrnApi::ProcessPendingEvents();
            Log(std::string("waited ") + Flag(open) + Where());
        }
        else if (id == kWhereButton)
            Log(std::string("working") + Where());
        SetReturnValue(id);
        return id == 7;
    }
    void OnChangeControlValue(vlapi::IPropertyControlPtr c) override { Log("ChangeControlValue " + Caption(c)); }
    void OnControlCommand(vlapi::IPropertyControlPtr c, int id) override
    {
        Log("ControlCommand " + Caption(c) + " " + Num(id));
    }
    bool OnButtonUpdate(int id, bool& enable, int& checked) override
    {
        Log("ButtonUpdate " + Num(id));
        enable = false;
        checked = id;
        return true;
    }
    void OnProcessActivate() override { Log("ProcessActivate"); }
    void OnProcessDeactivate() override { Log("ProcessDeactivate"); }
    void OnSelectItem(const vlapi::IPropertyControlPtr& c, int i, bool on) override
    {
        Log("SelectItem " + Caption(c) + " " + Num(i) + " " + Flag(on));
    }
    void OnCheckItem(const vlapi::IPropertyControlPtr& c, int i, bool on) override
    {
        Log("CheckItem " + Caption(c) + " " + Num(i) + " " + Flag(on));
    }
    void OnSelectCell(const vlapi::IPropertyControlPtr& c, int row, int column) override
    {
        Log("SelectCell " + Caption(c) + " " + Num(row) + " " + Num(column));
    }
    void OnEditFocus(const vlapi::IPropertyControlPtr& c, bool set) override
    {
        Log("EditFocus " + Caption(c) + " " + Flag(set));
    }
    void OnUserMenuCommand(const vlapi::IPropertyControlPtr& c, int id) override
    {
        Log("UserMenuCommand " + Caption(c) + " " + Num(id));
    }
    void OnFillContextPanel(const vlapi::IProcessContextPanelPtr& p) override
    {
        Log(std::string("FillContextPanel ") + Flag(static_cast<bool>(p)));
    }
    void OnFillContextIconMenu(const vlapi::IProcessContextIconMenuPtr& m) override
    {
        Log(std::string("FillContextIconMenu ") + Flag(static_cast<bool>(m)));
    }
    void OnEndEditItem(const vlapi::IPropertyControlPtr& c, int i) override
    {
        Log("EndEditItem " + Caption(c) + " " + Num(i));
    }
    void OnChangeTabExpanded(int tab) override { Log("ChangeTabExpanded " + Num(tab)); }
    void OnDoubleClickItem(const vlapi::IPropertyControlPtr& c, int i) override
    {
        Log("DoubleClickItem " + Caption(c) + " " + Num(i));
    }
    vlapi::vlProcessContextMenuType OnGetContextMenuType(int x, int y) override
    {
        Log("GetContextMenuType " + Num(x) + " " + Num(y));
        return vlapi::vlProcessContextPanel;
    }
    void OnStopProcess() override { Log("StopProcess"); }

private:
    static std::string Num(double v)
    {
        std::ostringstream out;
        out << v;
        return out.str();
    }
    static const char* Flag(bool b) { return b ? "true" : "false"; }
    std::string Where() const
    {
        const bool own = Drawing() && hostAccess::SameObject(application->GetActiveDocument(), Drawing());
        return own ? " in its drawing" : " elsewhere";
    }
    void Log(const std::string& line) const { probeLog.push_back(m_name + ": " + line); }

    std::string m_name;
    vlapi::IPropertyEditListPtr m_list;
};

// A command that overrides nothing the frame offers.
class Plain : public BaseProcess {
public:
    void Init() override {}
    void CreateControls() override {}
    void UpdateControls() override {}
    std::wstring GetCaption() const override { return L"Простая"; }
};

// A command that draws a line when it starts and changes a value of the
// session it names to the frame.
class Marker : public BaseProcess {
public:
    inline static int session = 0;
    void Init() override
    {
        hosttest::AddLine(vlapi::IDrawingContainerPtr(vrnApi::GetViewPtrByNumber(vrnApi::GetActiveView())), {0, 0},
                          {10, 10});
        ++session;
    }
    void CreateControls() override {}
    void UpdateControls() override {}
    std::wstring GetCaption() const override { return L"Метка"; }
    bool OnButtonClick(int id) override
    {
        probeLog.push_back("marker: ButtonClick " + std::to_string(id));
        if (id == kWaitButton)
            vrnApi::ProcessPendingEvents();
        return true;
    }
    void KeepSession(CommandSnapshot& snapshot) override { snapshot.Keep(session); }
};

class FrameTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        probeLog.clear();
    }
    int Handlers() const { return host->HandlerCount(L"Nesting"); }
    // The sinks' drawings by their references.
    static std::vector<reference> SinkDocuments()
    {
        std::vector<reference> refs;
        for (const DocumentEventsPtr& sink : documentEvents)
            refs.push_back(hostAccess::ReferenceOf(sink->Document()));
        return refs;
    }
    static bool AnySinkHears()
    {
        return std::any_of(documentEvents.begin(), documentEvents.end(),
                           [](const DocumentEventsPtr& sink) { return sink->Advised(); });
    }
    static reference Active() { return hostAccess::ReferenceOf(application->GetActiveDocument()); }
};

TEST_F(FrameTest, RunBuildsTheProcessInOrderAndBindsTheCommandWithTheSinksOff)
{
    const size_t mark = Mark();
    StartCommand<Probe>();
    EXPECT_EQ(probeLog, (std::vector<std::string>{"probe: deleted", "probe: Init", "probe: CreateControls",
                                                    "probe: UpdateControls"}));  // the starter's local value goes before Run
    EXPECT_TRUE(user->Running());
    EXPECT_EQ(user->Caption(), L"Проба");
    EXPECT_EQ(user->Mask(), 65534);
    EXPECT_TRUE(BaseProcess::m_update);
    EXPECT_TRUE(BaseProcess::currentProcess->Bound());
    EXPECT_EQ(Handlers(), 20);  // cursor, end, the drawing's closing and the seventeen of the panel
    EXPECT_EQ(SinkDocuments(), std::vector<reference>{hostAccess::ReferenceOf(doc)});  // suspended
    EXPECT_FALSE(AnySinkHears());
    EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 0);

    // The seventeen panel handlers are registered in the host's order of the
    // table, the context-menu question last.
    const std::vector<std::string> expected = {
        "OnButtonClick", "OnChangeControlValue", "OnControlCommand", "OnButtonUpdate", "OnProcessActivate",
        "OnProcessDeactivate", "OnSelectItem", "OnCheckItem", "OnSelectCell", "OnEditFocus", "OnUserMenuCommand",
        "OnFillContextPanel", "OnFillContextIconMenu", "OnEndEditItem", "OnChangeTabExpanded", "OnDoubleClickItem",
        "OnGetContextMenuType"};
    std::vector<std::string> registered;
    for (const std::string& note : NotesSince(mark, "IPropertiesManagerEvents::")) {
        const size_t from = note.find("::") + 2;
        registered.push_back(note.substr(from, note.find('(') - from));
    }
    EXPECT_EQ(registered, expected);
    const std::vector<std::string> order = {"IProcessParam::SetStyle(0)", "IProcessParam::SetCaption(\"Проба\")",
                                            "IProcessParam::SetButtons(3)", "IProcessParam::SetFlags(1)"};
    EXPECT_EQ(NotesSince(mark, "IProcessParam::Set"), order);
    EXPECT_EQ(NotesSince(mark, "IProcess::Start"), std::vector<std::string>{"IProcess::Start(1, 0)"});

    // Tool-bar buttons: the library's font only where asked, nothing without a tool bar.
    const std::string dump = user->Dump();
    EXPECT_NE(dump.find("button 7100 icon 57346 \"шрифт библиотеки\" pressed font \"Nesting Icons\"\n"),
              std::string::npos) << dump;
    EXPECT_NE(dump.find("button 7101 icon 57347 \"свой шрифт\" disabled\n"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("7102"), std::string::npos);
}

TEST_F(FrameTest, EveryHostEventReachesItsHandlerWithItsArgumentsAndTheAnswerGoesBack)
{
    StartCommand<Probe>();
    struct Case {
        const char* event;
        std::vector<std::wstring> args;
        std::string logged;
        std::string answer;
    } cases[] = {
        {"ButtonClick", {L"7"}, "ButtonClick 7", "true"},
        {"ButtonClick", {L"2"}, "ButtonClick 2", "false"},
        {"ChangeControlValue", {L"Список"}, "ChangeControlValue Список", ""},
        {"ControlCommand", {L"Список", L"7100"}, "ControlCommand Список 7100", ""},
        {"ButtonUpdate", {L"8"}, "ButtonUpdate 8", "true enable false checked 8"},
        {"ProcessActivate", {}, "ProcessActivate", ""},
        {"ProcessDeactivate", {}, "ProcessDeactivate", ""},
        {"SelectItem", {L"Список", L"3", L"on"}, "SelectItem Список 3 true", ""},
        {"CheckItem", {L"Список", L"4", L"off"}, "CheckItem Список 4 false", ""},
        {"SelectCell", {L"Список", L"5", L"6"}, "SelectCell Список 5 6", ""},
        {"EditFocus", {L"Список", L"on"}, "EditFocus Список true", ""},
        {"UserMenuCommand", {L"Список", L"9"}, "UserMenuCommand Список 9", ""},
        {"FillContextPanel", {}, "FillContextPanel true", ""},
        {"FillContextIconMenu", {}, "FillContextIconMenu true", ""},
        {"EndEditItem", {L"Список", L"2"}, "EndEditItem Список 2", ""},
        {"ChangeTabExpanded", {L"1"}, "ChangeTabExpanded 1", ""},
        {"DoubleClickItem", {L"Список", L"0"}, "DoubleClickItem Список 0", ""},
        {"GetContextMenuType", {L"-5", L"12"}, "GetContextMenuType -5 12", "-3"},
        {"Cursor", {L"10.5", L"20", L"30", L"on"}, "Cursor 10.5 20 30 true", "true"},
        {"Cursor", {L"1", L"2", L"off"}, "Cursor 1 2 0 false", "false"},
    };
    for (const Case& c : cases) {
        probeLog.clear();
        ASSERT_TRUE(user->Raw(c.event, c.args)) << c.event << ": " << user->Refusal();
        EXPECT_EQ(probeLog, std::vector<std::string>{"probe: " + c.logged}) << c.event;
        EXPECT_EQ(LastAnswer(), c.answer) << c.event;
    }
    // A cancel after a confirm leaves the command confirmed.
    EXPECT_EQ(BaseProcess::currentProcess->m_returnValue, 2);
    ASSERT_TRUE(user->Raw("ButtonClick", {L"1"}));
    ASSERT_TRUE(user->Raw("ButtonClick", {L"2"}));
    EXPECT_EQ(BaseProcess::currentProcess->m_returnValue, 1);
}

TEST_F(FrameTest, ACommandThatOverridesNothingAnswersTheDefaults)
{
    StartCommand<Plain>();
    struct Case {
        const char* event;
        std::vector<std::wstring> args;
        std::string answer;
    } cases[] = {
        {"ButtonClick", {L"1"}, "false"},
        {"ButtonUpdate", {L"1"}, "false enable true checked 0"},  // the host's values, untouched
        {"GetContextMenuType", {L"3", L"4"}, "0"},
        {"Cursor", {L"1", L"2", L"on"}, "true"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(user->Raw(c.event, c.args)) << c.event;
        EXPECT_EQ(LastAnswer(), c.answer) << c.event;
    }
}

TEST_F(FrameTest, WithoutAnActive2DDrawingRunBindsNothingAndLeavesTheSinks)
{
    struct Case {
        const char* what;
        std::function<void()> arrange;
    } cases[] = {
        {"a 3D part", [&] { user->New(vlapi::vlDocumentPart); }},
        {"no document", [&] { user->CloseAll(); }},
    };
    for (const Case& c : cases) {
        c.arrange();
        const size_t sinks = documentEvents.size();
        probeLog.clear();
        StartCommand<Probe>();
        EXPECT_THAT(probeLog, ::testing::Each(::testing::EndsWith("deleted"))) << c.what;
        EXPECT_EQ(documentEvents.size(), sinks) << c.what;
        EXPECT_FALSE(BaseProcess::currentProcess->m_process) << c.what;
        EXPECT_TRUE(BaseProcess::currentProcess->m_procParam) << c.what;
        EXPECT_EQ(Handlers(), 0) << c.what;
        EXPECT_FALSE(user->Running()) << c.what;
    }
}

TEST_F(FrameTest, StopUnbindsWithoutOnStopProcessAndGivesTheActiveDrawingItsSink)
{
    StartCommand<Probe>();
    probeLog.clear();
    BaseProcess::currentProcess->Stop();
    // Ended without Enter or Esc, it keeps its work as Enter keeps it.
    EXPECT_EQ(probeLog, std::vector<std::string>{"probe: ButtonClick 1"});
    EXPECT_EQ(Handlers(), 0);
    EXPECT_FALSE(user->Running());
    EXPECT_EQ(SinkDocuments(), std::vector<reference>{hostAccess::ReferenceOf(doc)});
    EXPECT_TRUE(BaseProcess::currentProcess);  // stays current, idle
}

TEST_F(FrameTest, EveryOpenDrawingKeepsItsSinkSuspendedWhileACommandRuns)
{
    const reference first = hostAccess::ReferenceOf(doc);
    const reference second = hostAccess::ReferenceOf(user->New());
    StartCommand<Probe>();
    const reference third = hostAccess::ReferenceOf(user->New());  // made while the command runs
    EXPECT_EQ(SinkDocuments(), (std::vector<reference>{first, second, third}));
    EXPECT_FALSE(AnySinkHears());
    EXPECT_EQ(host->HandlerCount(handlerProcessOwner), 3);  // their closing is still heard
    probeLog.clear();
    ASSERT_TRUE(user->ClosePanel());
    EXPECT_EQ(probeLog, (std::vector<std::string>{"probe: StopProcess", "probe: ButtonClick 1"}));
    EXPECT_EQ(Handlers(), 0);
    EXPECT_EQ(SinkDocuments(), (std::vector<reference>{first, second, third}));
    EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 9);

    // Closing the command's own drawing ends the command; the others hear again.
    StartCommand<Probe>();
    ASSERT_TRUE(user->Close());
    EXPECT_FALSE(BaseProcess::currentProcess->Bound());
    EXPECT_EQ(SinkDocuments(), (std::vector<reference>{first, second}));
    EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 6);
}

// A panel's button pressed while another drawing is active acts on the
// command's drawing; the user's drawing is active again afterwards.
TEST_F(FrameTest, HandlersWorkOnTheCommandsOwnDrawing)
{
    StartCommand<Probe>();
    const reference other = hostAccess::ReferenceOf(user->New());
    probeLog.clear();
    ASSERT_TRUE(user->Raw("ButtonClick", {std::to_wstring(kWhereButton)}));
    EXPECT_EQ(probeLog, (std::vector<std::string>{"probe: ButtonClick 6", "probe: working in its drawing"}));
    EXPECT_EQ(Active(), other);
}

// What the user did while a handler let the host handle waiting events never
// deletes the command under it, nor re-enters it: a command chosen starts,
// and what the user did in the command's own panel and the end of the
// process reach the command, in their order, once the handler has returned
// (a question is answered at once, a mere move of the cursor is gone); the
// handler goes on in its own drawing, or learns that it was closed or that
// the user cancelled it.
TEST_F(FrameTest, WaitingUserActionsNeverDeleteTheRunningCommand)
{
    enum Effect { Runs, Replaced, Ended };
    struct Case {
        const char* what;
        std::function<void()> action;
        std::vector<std::string> log;
        Effect effect;
        bool userDrawingActive;  // the drawing the action made active is active afterwards
    } cases[] = {
        {"a command chosen", [&] { user->Command(9); },
         {"ButtonClick 5", "waited true in its drawing", "StopProcess", "ButtonClick 1"}, Ended, false},
        {"a new drawing", [&] { user->New(); }, {"ButtonClick 5", "waited true in its drawing"}, Runs, true},
        {"another drawing activated", [&] { user->Activate(0); },
         {"ButtonClick 5", "waited true in its drawing"}, Runs, true},
        {"its drawing closed", [&] { user->Close(); },
         {"ButtonClick 5", "waited false elsewhere", "StopProcess"}, Ended, false},
        {"a panel command chosen", [&] { user->Command(8); },
         {"ButtonClick 5", "waited true in its drawing", "StopProcess", "ButtonClick 1", "deleted"}, Replaced, false},
        {"Esc in its panel", [&] { user->Raw("ButtonClick", {L"2"}); },
         {"ButtonClick 5", "waited false in its drawing", "ButtonClick 2"}, Runs, false},
        {"its own buttons", [&] { user->Raw("ButtonClick", {L"6"}); user->Raw("ButtonClick", {L"5"}); },
         {"ButtonClick 5", "waited true in its drawing", "ButtonClick 6", "working in its drawing", "ButtonClick 5",
          "waited true in its drawing"}, Runs, false},
        {"a value and a question", [&] { user->Raw("ChangeControlValue", {L"Список"}); user->Raw("ButtonUpdate", {L"8"}); },
         {"ButtonClick 5", "ButtonUpdate 8", "waited true in its drawing", "ChangeControlValue Список"}, Runs, false},
        {"the cursor moved, then clicked", [&] { user->Raw("Cursor", {L"1", L"2", L"on"}); user->Raw("Cursor", {L"3", L"4", L"off"}); },
         {"ButtonClick 5", "waited true in its drawing", "Cursor 3 4 0 false"}, Runs, false},
    };
    for (const Case& c : cases) {
        user->New();
        user->New();
        StartCommand<Probe>();
        const vlapi::IVarnelDocumentPtr own = application->GetActiveDocument();
        State().pendingEvents.push_back(c.action);
        reference chosen = 0;
        State().pendingEvents.push_back([&] { chosen = Active(); });
        probeLog.clear();
        ASSERT_TRUE(user->Raw("ButtonClick", {std::to_wstring(kWaitButton)})) << c.what;
        std::vector<std::string> log;
        for (const std::string& line : probeLog)
            log.push_back(line.substr(line.find(": ") + 2));
        EXPECT_EQ(log, c.log) << c.what;
        EXPECT_TRUE(State().faults.empty()) << c.what;
        const bool bound = BaseProcess::currentProcess && BaseProcess::currentProcess->Bound();
        EXPECT_EQ(bound, c.effect != Ended) << c.what;
        EXPECT_EQ(user->Running(), c.effect != Ended) << c.what;
        if (c.userDrawingActive) {
            EXPECT_EQ(Active(), chosen) << c.what;
        } else if (c.effect != Ended) {
            EXPECT_TRUE(hostAccess::SameObject(application->GetActiveDocument(), own)) << c.what;
        }
        BaseProcess::ReleaseCurrent();
        EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 3 * static_cast<int>(documentEvents.size())) << c.what;
    }
    EXPECT_TRUE(std::any_of(Messages().begin(), Messages().end(), [](const vlhost::RecordedMessage& m) {
        return m.text.find(L"закрыт") != std::wstring::npos;
    }));
}

// Esc gives the drawing and the session values back as the command found
// them; every other end keeps them, as Enter does.
TEST_F(FrameTest, OnlyACancelGivesTheDrawingAndTheSessionBack)
{
    struct Case {
        const char* end;
        std::function<void()> act;
        bool kept;
        std::vector<std::string> clicks;
    } cases[] = {
        {"enter", [&] { ASSERT_TRUE(user->Enter()); }, true, {"marker: ButtonClick 1"}},
        {"esc", [&] { ASSERT_TRUE(user->Esc()); }, false, {"marker: ButtonClick 2"}},
        {"esc after enter", [&] { ASSERT_TRUE(user->Raw("ButtonClick", {L"1"}));
                                  ASSERT_TRUE(user->Esc()); }, true, {"marker: ButtonClick 1", "marker: ButtonClick 2"}},
        {"the panel closed", [&] { ASSERT_TRUE(user->ClosePanel()); }, true, {"marker: ButtonClick 1"}},
        {"another command", [&] { StartCommand<Plain>(); }, true, {"marker: ButtonClick 1"}},
        {"abandoned", [&] { BaseProcess::currentProcess->Abandon(); }, false, {}},
    };
    for (const Case& c : cases) {
        const size_t objects = DrawingObjects();
        Marker::session = 0;
        probeLog.clear();
        StartCommand<Marker>();
        ASSERT_EQ(DrawingObjects(), objects + 1) << c.end;
        c.act();
        EXPECT_EQ(DrawingObjects(), objects + (c.kept ? 1 : 0)) << c.end;
        EXPECT_EQ(Marker::session, c.kept ? 1 : 0) << c.end;
        EXPECT_EQ(probeLog, c.clicks) << c.end;
        EXPECT_EQ(ErrorMessages(), 0u) << c.end;
    }
}

// Closing the command's drawing, alone or with all the others, or the
// application going, whether the panel is idle or a handler runs, ends the
// command as Esc does: nothing is confirmed, the session values are those
// of the start, and a drawing that still stands is given back.
TEST_F(FrameTest, ClosingItsDrawingEndsTheCommandAsACancel)
{
    const auto underHandler = [&](std::function<void()> action) {
        State().pendingEvents.push_back(std::move(action));
        ASSERT_TRUE(user->Raw("ButtonClick", {std::to_wstring(kWaitButton)}));
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        bool stands;  // the drawing is still open afterwards
    } cases[] = {
        {"closed", [&] { ASSERT_TRUE(user->Close()); }, false},
        {"all closed", [&] { ASSERT_TRUE(user->CloseAll()); }, false},
        {"its closing announced", [&] { ASSERT_TRUE(user->Raw("CloseDocument", {})); }, true},
        {"the application going", [&] { ASSERT_TRUE(user->Raw("ApplicationDestroy", {})); }, true},
        {"closed under a handler", [&] { underHandler([&] { user->Close(); }); }, false},
        {"all closed under a handler", [&] { underHandler([&] { user->CloseAll(); }); }, false},
    };
    for (const Case& c : cases) {
        user->New();
        const size_t objects = DrawingObjects();
        Marker::session = 0;
        probeLog.clear();
        StartCommand<Marker>();
        c.act();
        EXPECT_FALSE(BaseProcess::currentProcess->Bound()) << c.what;
        EXPECT_FALSE(user->Running()) << c.what;
        EXPECT_EQ(Marker::session, 0) << c.what;
        EXPECT_THAT(probeLog, ::testing::Not(::testing::Contains("marker: ButtonClick 1"))) << c.what;
        EXPECT_TRUE(std::all_of(documentEvents.begin(), documentEvents.end(), [](const DocumentEventsPtr& sink) {
            return vrnApi::IsOpenDocument(sink->Document());
        })) << c.what;  // no sink outlives its drawing
        if (c.stands) {
            EXPECT_EQ(DrawingObjects(), objects) << c.what;
        }
        EXPECT_TRUE(State().faults.empty()) << c.what;
    }
}

TEST_F(FrameTest, ADrawingTheHostCannotCopySaysSoAtTheStartAndAtTheCancel)
{
    vlhost::FailureScope noCopy("IDrawingGroup::CopyToDocument");
    Marker::session = 0;
    StartCommand<Marker>();
    EXPECT_EQ(ErrorMessages(), 1u);
    ASSERT_TRUE(user->Esc());
    EXPECT_EQ(ErrorMessages(), 2u);
    EXPECT_EQ(Marker::session, 0);  // the session values come back all the same
}

TEST_F(FrameTest, AStillBoundCommandIsConfirmedAndStoppedBeforeItIsReplacedOrReleased)
{
    StartCommand<Probe>("first");
    probeLog.clear();
    StartCommand<Probe>("second");
    // The first keeps its work as Enter keeps it; no OnStopProcess reaches it:
    // Stop unbinds it before the host ends its process.
    EXPECT_EQ(probeLog, (std::vector<std::string>{"first: ButtonClick 1", "first: deleted", "second: deleted", "second: Init",
                                                    "second: CreateControls", "second: UpdateControls"}));
    EXPECT_EQ(Handlers(), 20);
    EXPECT_TRUE(user->Running());
    EXPECT_FALSE(AnySinkHears());

    probeLog.clear();
    BaseProcess::ReleaseCurrent();
    EXPECT_EQ(probeLog, (std::vector<std::string>{"second: ButtonClick 1", "second: deleted"}));
    EXPECT_EQ(Handlers(), 0);
    EXPECT_FALSE(user->Running());
    EXPECT_EQ(documentEvents.size(), 1u);
}

}  // namespace
}  // namespace shelltest
