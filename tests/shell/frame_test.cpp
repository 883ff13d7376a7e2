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

using Lines = std::vector<std::string>;
using Control = vlapi::IPropertyControlPtr;

Lines probeLog;

// Buttons of the probe: one that lets the host handle the user's waiting
// events, one that tells whether the command's drawing is the active one.
constexpr int kWaitButton = 5;
constexpr int kWhereButton = 6;

std::string Word(const Control& c)
{
    return c ? vlhost::Host::Utf8(c->GetCaption()) : "none";
}
template <class T>
const T& Word(const T& value)
{
    return value;
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
        Log("Cursor", x, y, angle, dynamic);
        return dynamic;
    }
    bool OnButtonClick(int id) override
    {
        Log("ButtonClick", id);
        if (id == kWaitButton) {
            const bool open = vrnApi::ProcessPendingEvents();
            Log("waited", open, Where());
        }
        else if (id == kWhereButton)
            Log("working", Where());
        SetReturnValue(id);
        return id == 7;
    }
    bool OnButtonUpdate(int id, bool& enable, int& checked) override
    {
        Log("ButtonUpdate", id);
        enable = false;
        checked = id;
        return true;
    }
    void OnChangeControlValue(Control c) override { Log("ChangeControlValue", c); }
    void OnControlCommand(Control c, int id) override { Log("ControlCommand", c, id); }
    void OnProcessActivate() override { Log("ProcessActivate"); }
    void OnProcessDeactivate() override { Log("ProcessDeactivate"); }
    void OnSelectItem(const Control& c, int i, bool on) override { Log("SelectItem", c, i, on); }
    void OnCheckItem(const Control& c, int i, bool on) override { Log("CheckItem", c, i, on); }
    void OnSelectCell(const Control& c, int row, int column) override { Log("SelectCell", c, row, column); }
    void OnEditFocus(const Control& c, bool set) override { Log("EditFocus", c, set); }
    void OnUserMenuCommand(const Control& c, int id) override { Log("UserMenuCommand", c, id); }
    void OnFillContextPanel(const vlapi::IProcessContextPanelPtr& p) override { Log("FillContextPanel", bool(p)); }
    void OnFillContextIconMenu(const vlapi::IProcessContextIconMenuPtr& m) override
    {
        Log("FillContextIconMenu", bool(m));
    }
    void OnEndEditItem(const Control& c, int i) override { Log("EndEditItem", c, i); }
    void OnChangeTabExpanded(int tab) override { Log("ChangeTabExpanded", tab); }
    void OnDoubleClickItem(const Control& c, int i) override { Log("DoubleClickItem", c, i); }
    vlapi::vlProcessContextMenuType OnGetContextMenuType(int x, int y) override
    {
        Log("GetContextMenuType", x, y);
        return vlapi::vlProcessContextPanel;
    }
    void OnStopProcess() override { Log("StopProcess"); }

private:
    std::string Where() const
    {
        const bool own = Drawing() && hostAccess::SameObject(application->GetActiveDocument(), Drawing());
        return own ? "in its drawing" : "elsewhere";
    }
    // "name: what arg...", the arguments spaced, flags as true or false.
    template <class... Args>
    void Log(const char* what, const Args&... args) const
    {
        std::ostringstream line;
        line << std::boolalpha << m_name << ": " << what;
        ((line << ' ' << Word(args)), ...);
        probeLog.push_back(line.str());
    }

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
    // A panel's button click as the host sends it.
    bool Click(int id) { return user->Raw("ButtonClick", {std::to_wstring(id)}); }
};

TEST_F(FrameTest, RunBuildsTheProcessInOrderAndBindsTheCommandWithTheSinksOff)
{
    const size_t mark = Mark();
    StartCommand<Probe>();
    // The starter's local value goes before Run.
    EXPECT_EQ(probeLog, (Lines{"probe: deleted", "probe: Init", "probe: CreateControls", "probe: UpdateControls"}));
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
    Lines registered;
    for (const std::string& note : NotesSince(mark, "IPropertiesManagerEvents::")) {
        const size_t from = note.find("::") + 2;
        registered.push_back(note.substr(from, note.find('(') - from));
    }
    EXPECT_EQ(registered,
              (Lines{"OnButtonClick", "OnChangeControlValue", "OnControlCommand", "OnButtonUpdate", "OnProcessActivate",
                     "OnProcessDeactivate", "OnSelectItem", "OnCheckItem", "OnSelectCell", "OnEditFocus",
                     "OnUserMenuCommand", "OnFillContextPanel", "OnFillContextIconMenu", "OnEndEditItem",
                     "OnChangeTabExpanded", "OnDoubleClickItem", "OnGetContextMenuType"}));
    EXPECT_EQ(NotesSince(mark, "IProcessParam::Set"),
              (Lines{"IProcessParam::SetStyle(0)", "IProcessParam::SetCaption(\"Проба\")", "IProcessParam::SetButtons(3)",
                     "IProcessParam::SetFlags(1)"}));
    EXPECT_EQ(NotesSince(mark, "IProcess::Start"), Lines{"IProcess::Start(1, 0)"});

    // Tool-bar buttons: the library's font only where asked, nothing without a tool bar.
    const std::string dump = user->Dump();
    EXPECT_THAT(dump, testing::HasSubstr("button 7100 icon 57346 \"шрифт библиотеки\" pressed font \"Nesting Icons\"\n"));
    EXPECT_THAT(dump, testing::HasSubstr("button 7101 icon 57347 \"свой шрифт\" disabled\n"));
    EXPECT_EQ(dump.find("7102"), std::string::npos);
}

// Each event, as the host sends it, reaches the probe's handler with its
// arguments and the handler's answer goes back; a command that overrides
// nothing answers the frame's defaults (for ButtonUpdate the host's values,
// untouched).
TEST_F(FrameTest, EveryHostEventReachesItsHandlerWithItsArgumentsAndTheAnswerGoesBack)
{
    struct Case {
        const char* event;
        std::vector<std::wstring> args;
        std::string logged;  // empty: the command overrides nothing
        std::string answer;
    };
    const Case probe[] = {
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
    const Case plain[] = {
        {"ButtonClick", {L"1"}, "", "false"},
        {"ButtonUpdate", {L"1"}, "", "false enable true checked 0"},
        {"GetContextMenuType", {L"3", L"4"}, "", "0"},
        {"Cursor", {L"1", L"2", L"on"}, "", "true"},
    };
    const auto run = [&](const Case& c) {
        SCOPED_TRACE(c.event);
        probeLog.clear();
        ASSERT_TRUE(user->Raw(c.event, c.args)) << user->Refusal();
        EXPECT_EQ(probeLog, c.logged.empty() ? Lines{} : Lines{"probe: " + c.logged});
        EXPECT_EQ(LastAnswer(), c.answer);
    };
    StartCommand<Probe>();
    for (const Case& c : probe)
        run(c);
    // A cancel after a confirm leaves the command confirmed.
    EXPECT_EQ(BaseProcess::currentProcess->m_returnValue, 2);
    ASSERT_TRUE(Click(1));
    ASSERT_TRUE(Click(2));
    EXPECT_EQ(BaseProcess::currentProcess->m_returnValue, 1);
    StartCommand<Plain>();
    for (const Case& c : plain)
        run(c);
}

TEST_F(FrameTest, WithoutAnActive2DDrawingRunBindsNothingAndLeavesTheSinks)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a 3D part", [&] { user->New(vlapi::vlDocumentPart); }},
        {"no document", [&] { user->CloseAll(); }},
    };
    for (const auto& [what, arrange] : cases) {
        SCOPED_TRACE(what);
        arrange();
        const size_t sinks = documentEvents.size();
        probeLog.clear();
        StartCommand<Probe>();
        EXPECT_THAT(probeLog, testing::Each(testing::EndsWith("deleted")));
        EXPECT_EQ(documentEvents.size(), sinks);
        EXPECT_FALSE(BaseProcess::currentProcess->m_process);
        EXPECT_TRUE(BaseProcess::currentProcess->m_procParam);
        EXPECT_EQ(Handlers(), 0);
        EXPECT_FALSE(user->Running());
    }
}

TEST_F(FrameTest, StopUnbindsWithoutOnStopProcessAndGivesTheActiveDrawingItsSink)
{
    StartCommand<Probe>();
    probeLog.clear();
    BaseProcess::currentProcess->Stop();
    // Ended without Enter or Esc, it keeps its work as Enter keeps it.
    EXPECT_EQ(probeLog, Lines{"probe: ButtonClick 1"});
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
    EXPECT_EQ(probeLog, (Lines{"probe: StopProcess", "probe: ButtonClick 1"}));
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
    ASSERT_TRUE(Click(kWhereButton));
    EXPECT_EQ(probeLog, (Lines{"probe: ButtonClick 6", "probe: working in its drawing"}));
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
    const std::string click = "ButtonClick 5", waited = "waited true in its drawing";
    struct Case {
        const char* what;
        std::function<void()> action;
        Lines log;
        Effect effect;
        bool userDrawingActive;  // the drawing the action made active is active afterwards
    } cases[] = {
        {"a command chosen", [&] { user->Command(9); }, {click, waited, "StopProcess", "ButtonClick 1"}, Ended, false},
        {"a new drawing", [&] { user->New(); }, {click, waited}, Runs, true},
        {"another drawing activated", [&] { user->Activate(0); }, {click, waited}, Runs, true},
        {"its drawing closed", [&] { user->Close(); }, {click, "waited false elsewhere", "StopProcess"}, Ended, false},
        {"a panel command chosen", [&] { user->Command(8); }, {click, waited, "StopProcess", "ButtonClick 1", "deleted"},
         Replaced, false},
        {"Esc in its panel", [&] { Click(2); }, {click, "waited false in its drawing", "ButtonClick 2"}, Runs, false},
        {"its own buttons", [&] { Click(6); Click(5); },
         {click, waited, "ButtonClick 6", "working in its drawing", click, waited}, Runs, false},
        {"a value and a question", [&] { user->Raw("ChangeControlValue", {L"Список"}); user->Raw("ButtonUpdate", {L"8"}); },
         {click, "ButtonUpdate 8", waited, "ChangeControlValue Список"}, Runs, false},
        {"the cursor moved, then clicked",
         [&] { user->Raw("Cursor", {L"1", L"2", L"on"}); user->Raw("Cursor", {L"3", L"4", L"off"}); },
         {click, waited, "Cursor 3 4 0 false"}, Runs, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        user->New();
        user->New();
        StartCommand<Probe>();
        const vlapi::IVarnelDocumentPtr own = application->GetActiveDocument();
        State().pendingEvents.push_back(c.action);
        reference chosen = 0;
        State().pendingEvents.push_back([&] { chosen = Active(); });
        probeLog.clear();
        ASSERT_TRUE(Click(kWaitButton));
        Lines log;
        for (const std::string& line : probeLog)
            log.push_back(line.substr(line.find(": ") + 2));
        EXPECT_EQ(log, c.log);
        EXPECT_TRUE(State().faults.empty());
        EXPECT_EQ(BaseProcess::currentProcess && BaseProcess::currentProcess->Bound(), c.effect != Ended);
        EXPECT_EQ(user->Running(), c.effect != Ended);
        if (c.userDrawingActive) {
            EXPECT_EQ(Active(), chosen);
        } else if (c.effect != Ended) {
            EXPECT_TRUE(hostAccess::SameObject(application->GetActiveDocument(), own));
        }
        BaseProcess::ReleaseCurrent();
        EXPECT_EQ(host->HandlerCount(handlerObjectOwner), 3 * static_cast<int>(documentEvents.size()));
    }
    EXPECT_TRUE(std::any_of(Messages().begin(), Messages().end(), [](const vlhost::RecordedMessage& m) {
        return m.text.find(L"закрыт") != std::wstring::npos;
    }));
}

// Esc gives the drawing and the session values back as the command found
// them; every other end keeps them, as Enter does.
TEST_F(FrameTest, OnlyACancelGivesTheDrawingAndTheSessionBack)
{
    const Lines enter{"marker: ButtonClick 1"};
    const struct {
        const char* end;
        std::function<void()> act;
        bool kept;
        Lines clicks;
    } ends[] = {
        {"enter", [&] { ASSERT_TRUE(user->Enter()); }, true, enter},
        {"esc", [&] { ASSERT_TRUE(user->Esc()); }, false, {"marker: ButtonClick 2"}},
        {"esc after enter", [&] { ASSERT_TRUE(Click(1)); ASSERT_TRUE(user->Esc()); }, true,
         {"marker: ButtonClick 1", "marker: ButtonClick 2"}},
        {"the panel closed", [&] { ASSERT_TRUE(user->ClosePanel()); }, true, enter},
        {"another command", [&] { StartCommand<Plain>(); }, true, enter},
        {"abandoned", [&] { BaseProcess::currentProcess->Abandon(); }, false, {}},
    };
    for (const auto& c : ends) {
        SCOPED_TRACE(c.end);
        const size_t objects = DrawingObjects();
        Marker::session = 0;
        probeLog.clear();
        StartCommand<Marker>();
        ASSERT_EQ(DrawingObjects(), objects + 1);
        c.act();
        EXPECT_EQ(DrawingObjects(), objects + (c.kept ? 1 : 0));
        EXPECT_EQ(Marker::session, c.kept ? 1 : 0);
        EXPECT_EQ(probeLog, c.clicks);
        EXPECT_EQ(ErrorMessages(), 0u);
    }
}

// Closing the command's drawing, alone or with all the others, or the
// application going, whether the panel is idle or a handler runs, ends the
// command as Esc does: nothing is confirmed, the session values are those of
// the start, and a drawing that still stands is given back.
TEST_F(FrameTest, ClosingItsDrawingEndsTheCommandAsACancel)
{
    const auto underHandler = [&](std::function<void()> action) {
        State().pendingEvents.push_back(std::move(action));
        ASSERT_TRUE(Click(kWaitButton));
    };
    const struct {
        const char* what;
        std::function<void()> act;
        bool stands;  // the drawing is still open afterwards
    } closes[] = {
        {"closed", [&] { ASSERT_TRUE(user->Close()); }, false},
        {"all closed", [&] { ASSERT_TRUE(user->CloseAll()); }, false},
        {"its closing announced", [&] { ASSERT_TRUE(user->Raw("CloseDocument", {})); }, true},
        {"the application going", [&] { ASSERT_TRUE(user->Raw("ApplicationDestroy", {})); }, true},
        {"closed under a handler", [&] { underHandler([&] { user->Close(); }); }, false},
        {"all closed under a handler", [&] { underHandler([&] { user->CloseAll(); }); }, false},
    };
    for (const auto& c : closes) {
        SCOPED_TRACE(c.what);
        user->New();
        const size_t objects = DrawingObjects();
        Marker::session = 0;
        probeLog.clear();
        StartCommand<Marker>();
        c.act();
        EXPECT_FALSE(BaseProcess::currentProcess->Bound());
        EXPECT_FALSE(user->Running());
        EXPECT_EQ(Marker::session, 0);
        EXPECT_THAT(probeLog, testing::Not(testing::Contains("marker: ButtonClick 1")));
        EXPECT_TRUE(std::all_of(documentEvents.begin(), documentEvents.end(), [](const DocumentEventsPtr& sink) {
            return vrnApi::IsOpenDocument(sink->Document());
        }));  // no sink outlives its drawing
        if (c.stands) {
            EXPECT_EQ(DrawingObjects(), objects);
        }
        EXPECT_TRUE(State().faults.empty());
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
    EXPECT_EQ(probeLog, (Lines{"first: ButtonClick 1", "first: deleted", "second: deleted", "second: Init",
                               "second: CreateControls", "second: UpdateControls"}));
    EXPECT_EQ(Handlers(), 20);
    EXPECT_TRUE(user->Running());
    EXPECT_FALSE(AnySinkHears());

    probeLog.clear();
    BaseProcess::ReleaseCurrent();
    EXPECT_EQ(probeLog, (Lines{"second: ButtonClick 1", "second: deleted"}));
    EXPECT_EQ(Handlers(), 0);
    EXPECT_FALSE(user->Running());
    EXPECT_EQ(documentEvents.size(), 1u);
}

}  // namespace
}  // namespace shelltest
