#include "shell/BaseProcess.h"

#include "api/NAPIBase.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/WorkingDrawing.h"
#include "shell/Events.h"

#include <optional>

namespace {

// A process-parameters setting and a process mask the frame passes by value.
constexpr int kParamStyle = 0;
constexpr int kParamFlags = 1;
constexpr int kProcessMask = 65534;

const wchar_t kNoSnapshot[] = L"Не удалось запомнить чертёж: отмена команды не сможет вернуть его изменения";
const wchar_t kNotRestored[] = L"Не удалось полностью вернуть чертёж к началу команды";

// The icon font of the library the host knows by the text of IDS_LIBID;
// false when the host knows no such library.
bool LibraryFont(std::wstring& font)
{
    if (!application)
        return false;
    vlapi::ILibraryManagerPtr manager = application->GetLibraryManager();
    vlapi::IProceduresLibrariesPtr libraries = manager ? manager->GetProceduresLibraries() : nullptr;
    vlapi::IProceduresLibraryPtr library = libraries ? libraries->GetLibrary(vrnApi::LoadStr(IDS_LIBID)) : nullptr;
    if (!library)
        return false;
    font = library->GetFontName();
    return true;
}

}  // namespace

// One host call into a command's code: the command's drawing is the active
// document meanwhile, and the command is not deleted under it. When the last
// of the command's calls returns, the host's calls into the command that came
// meanwhile reach it; when the outermost call of all returns, the commands
// asked for meanwhile run (which may delete this command: nothing of it is
// used afterwards).
class BaseProcess::HandlerCall {
public:
    explicit HandlerCall(BaseProcess& process) : m_process(process)
    {
        ++m_process.m_calls;
        m_drawing.emplace(m_process.m_drawing);
    }
    ~HandlerCall()
    {
        if (m_process.m_calls == 1)
            m_process.RunDeferred();
        m_drawing.reset();
        --m_process.m_calls;
    }
    HandlerCall(const HandlerCall&) = delete;
    HandlerCall& operator=(const HandlerCall&) = delete;

private:
    Busy m_busy;  // released last
    BaseProcess& m_process;
    std::optional<vrnApi::WorkingDrawing> m_drawing;
};

BaseProcess::Busy::~Busy()
{
    if (--s_busy == 0)
        RunWaiting();
}

void BaseProcess::AfterHandlers(std::function<void()> work)
{
    if (!work)
        return;
    s_waiting.push_back(std::move(work));
    if (s_busy == 0)
        RunWaiting();
}

void BaseProcess::RunWaiting()
{
    while (s_busy == 0 && !s_waiting.empty()) {
        std::function<void()> work = std::move(s_waiting.front());
        s_waiting.pop_front();
        napi::Guarded([&] { work(); });
    }
}

template <class R, class F>
R BaseProcess::Forward(R fallback, F handler)
{
    if (m_calls > 0) {
        m_deferred.push_back([this, handler]() mutable {
            if (!EndedWithDrawing())
                handler();
        });
        return fallback;
    }
    if (EndedWithDrawing())
        return fallback;
    HandlerCall call(*this);
    return napi::Guarded(fallback, handler);
}

template <class F>
void BaseProcess::Forward(F handler)
{
    Forward(0, [handler]() mutable {
        handler();
        return 0;
    });
}

bool BaseProcess::EndedWithDrawing()
{
    if (!m_drawing || vrnApi::IsOpenDocument(m_drawing))
        return false;
    // What the user did for a drawing closed meanwhile would land in
    // whichever drawing is active now: the command ends instead.
    EndAsCancel();
    return true;
}

void BaseProcess::OnDrawingCloses()
{
    m_drawingCloses = true;
    if (m_calls > 0) {
        // The handler stops its work (Enter's too); the host's end of the
        // process, which follows, waits for it and ends the command as a cancel.
        m_cancelled = true;
        vrnApi::CancelWork();
        return;
    }
    HandlerCall call(*this);
    EndAsCancel();
}

void BaseProcess::EndAsCancel()
{
    m_cancelled = true;
    if (m_bound)
        Stop();
}

template <class R, class F>
R BaseProcess::Answer(R fallback, F&& handler)
{
    HandlerCall call(*this);
    return napi::Guarded(fallback, std::forward<F>(handler));
}

template <class F>
void BaseProcess::Answer(F&& handler)
{
    HandlerCall call(*this);
    napi::Guarded(std::forward<F>(handler));
}

void BaseProcess::RunDeferred()
{
    // A call run here that comes under this very call waits at the end of the queue.
    while (!m_deferred.empty()) {
        const std::function<void()> call = std::move(m_deferred.front());
        m_deferred.pop_front();
        if (m_bound)
            napi::Guarded([&] { call(); });
    }
}

BaseProcess::BaseProcess(const BaseProcess& other)
    : handlerOwner(other.handlerOwner),
      m_process(other.m_process),
      m_procParam(other.m_procParam),
      m_font(other.m_font),
      m_returnValue(other.m_returnValue)
{
}

BaseProcess::~BaseProcess() = default;

// ---- Inherited handlers

bool BaseProcess::CallBackCursor(double, double, double, bool)
{
    return true;
}

bool BaseProcess::TakesClicks() const
{
    return false;
}

bool BaseProcess::OnButtonClick(int)
{
    return false;
}

void BaseProcess::OnChangeControlValue(vlapi::IPropertyControlPtr) {}

void BaseProcess::OnControlCommand(vlapi::IPropertyControlPtr, int) {}

bool BaseProcess::OnButtonUpdate(int, bool&, int&)
{
    return false;
}

void BaseProcess::OnProcessActivate() {}

void BaseProcess::OnProcessDeactivate() {}

void BaseProcess::OnSelectItem(const vlapi::IPropertyControlPtr&, int, bool) {}

void BaseProcess::OnCheckItem(const vlapi::IPropertyControlPtr&, int, bool) {}

void BaseProcess::OnSelectCell(const vlapi::IPropertyControlPtr&, int, int) {}

void BaseProcess::OnEditFocus(const vlapi::IPropertyControlPtr&, bool) {}

void BaseProcess::OnUserMenuCommand(const vlapi::IPropertyControlPtr&, int) {}

void BaseProcess::OnFillContextPanel(const vlapi::IProcessContextPanelPtr&) {}

void BaseProcess::OnFillContextIconMenu(const vlapi::IProcessContextIconMenuPtr&) {}

void BaseProcess::OnEndEditItem(const vlapi::IPropertyControlPtr&, int) {}

void BaseProcess::OnChangeTabExpanded(int) {}

void BaseProcess::OnDoubleClickItem(const vlapi::IPropertyControlPtr&, int) {}

vlapi::vlProcessContextMenuType BaseProcess::OnGetContextMenuType(int, int)
{
    return vlapi::vlProcessDefaultContextMenu;
}

void BaseProcess::OnStopProcess() {}

void BaseProcess::KeepSession(CommandSnapshot&) {}

void BaseProcess::Confirm()
{
    OnButtonClick(vlapi::pbEnter);
}

// ---- Running and stopping

void BaseProcess::Run()
{
    m_update = true;
    if (!application)
        return;
    m_procParam = application->CreateProcessParam();
    if (!m_procParam)
        return;
    m_procParam->SetStyle(kParamStyle);
    m_procParam->SetCaption(GetCaption());
    m_procParam->SetButtons(vlapi::pnEnterEscHelp);
    m_procParam->SetFlags(kParamFlags);
    LibraryFont(m_font);

    if (vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D()) {
        m_process = doc->CreateProcess(vlapi::vlProcess2DCursor);
        if (m_process)
            m_drawing = doc;
    }
    if (!m_process)
        return;
    HandlerCall call(*this);
    m_process->SetMask(kProcessMask);
    m_confirmed = false;
    m_cancelled = false;
    m_concluded = false;
    if (!m_snapshot.Take(m_drawing))
        vrnApi::ShowErrorText(kNoSnapshot);
    KeepSession(m_snapshot);
    Init();
    vrnApi::UnSelectAll();
    CreateControls();
    UpdateControls();
    AdviseEvents();
    m_process->SetProcessParam(m_procParam.get());
    // A process the host does not start leaves no handler and no change behind.
    if (!m_process->Start(1, 0)) {
        m_cancelled = true;
        Conclude();
        if (m_bound)
            UnadviseEvents();
    }
}

void BaseProcess::Stop()
{
    Conclude();
    UnadviseEvents();
    if (m_process)
        m_process->Stop();
}

void BaseProcess::Abandon()
{
    m_cancelled = true;
    Stop();
}

void BaseProcess::Conclude()
{
    if (m_concluded)
        return;
    m_concluded = true;
    // A drawing closed under the command ends it as a cancel: the session
    // values are given back, the drawing is gone.
    if (m_drawing && !vrnApi::IsOpenDocument(m_drawing)) {
        m_snapshot.RestoreValues();
        m_snapshot.Drop();
        return;
    }
    if (m_cancelled) {
        if (m_snapshot.Restore())
            vrnApi::RefreshActiveWindow();
        else
            vrnApi::ShowErrorText(kNotRestored);
        return;
    }
    if (!m_confirmed)
        napi::Guarded([&] { Confirm(); });
    m_snapshot.Drop();
}

bool BaseProcess::CommandRuns()
{
    return (currentProcess && currentProcess->Bound()) || vrnApi::CheckActiveProcessRunnig();
}

void BaseProcess::MakeCurrent(std::unique_ptr<BaseProcess> process)
{
    if (currentProcess && currentProcess->Bound())
        currentProcess->Stop();
    currentProcess = std::move(process);
}

void BaseProcess::ReleaseCurrent()
{
    MakeCurrent(nullptr);
}

void BaseProcess::AbandonCurrent()
{
    if (currentProcess && currentProcess->Bound())
        currentProcess->OnDrawingCloses();
}

// ---- Binding the host's events

void BaseProcess::AdviseEvents()
{
    if (!m_sinksSuspended) {
        m_sinksSuspended = true;
        SuspendDocumentEvents();
    }
    m_bound = true;
    InitPlacementProcess();
    AdvisePanel();
    m_drawingEvents = m_drawing ? m_drawing->GetDocumentEvents() : nullptr;
    if (m_drawingEvents)
        m_drawingEvents->OnCloseDocument(handlerOwner, [this] { napi::Guarded([&] { OnDrawingCloses(); }); });
}

void BaseProcess::InitPlacementProcess()
{
    const vlapi::IProcess2DPtr process2D(m_process);
    const vlapi::IProcess2DEventsPtr events = process2D ? process2D->GetProcess2DEvents() : nullptr;
    if (!events)
        return;
    events->OnCursor(handlerOwner, [this](double x, double y, double angle, bool dynamic) {
        // A move of the cursor under a handler is over before the handler returns.
        if (dynamic && m_calls > 0)
            return true;
        // The host hands the command the cursor of whichever drawing the user
        // works in, in that drawing's coordinates: a move there shows nothing
        // in the command's drawing, a click there adds nothing to it and is
        // said when the command takes clicks.
        if (const vlapi::IVarnelDocumentPtr elsewhere = vrnApi::OtherActiveDocument(m_drawing)) {
            if (!dynamic && TakesClicks())
                Forward([this, there = vrnApi::DocumentTitle(elsewhere)] { TellClickElsewhere(there); });
            return true;
        }
        return Forward(true, [=, this] { return CallBackCursor(x, y, angle, dynamic); });
    });
    events->OnEndProcess(handlerOwner, [this] { return napi::Guarded(false, [&] { return OnHostEnd(); }); });
}

void BaseProcess::TellClickElsewhere(const std::wstring& there)
{
    vrnApi::ShowWarningText(L"Щелчок в чертеже «" + there + L"» не принят: команда «" + GetCaption() +
                            L"» работает в чертеже «" + vrnApi::DocumentTitle(m_drawing) + L"»");
}

bool BaseProcess::OnHostEnd()
{
    if (m_calls > 0) {
        m_deferred.push_back([this] { EndProcess(); });
        return false;
    }
    HandlerCall call(*this);
    return EndProcess();
}

bool BaseProcess::EndProcess()
{
    // The frame unbinds the command whatever its own handler does.
    napi::Guarded([&] { OnStopProcess(); });
    Conclude();
    UnadviseEvents();
    return false;
}

void BaseProcess::AdvisePanel()
{
    const vlapi::IPropertiesManagerEventsPtr events = m_procParam ? m_procParam->GetPropertiesManagerEvents() : nullptr;
    if (!events)
        return;
    using Control = vlapi::IPropertyControlPtr;
    const std::wstring& owner = handlerOwner;
    events->OnButtonClick(owner, [this](int id) {
        // Marked before the handler runs: a command may end itself in it. A
        // cancel after a confirm gives nothing back, but under a handler it
        // stops the handler's work all the same (that of Enter too).
        if (id == vlapi::pbEnter && !m_cancelled) {
            m_confirmed = true;
        } else if (id == vlapi::pbEsc) {
            m_cancelled = m_cancelled || !m_confirmed;
            if (m_calls > 0)
                vrnApi::CancelWork();
        }
        return Forward(false, [this, id] { return OnButtonClick(id); });
    });
    events->OnChangeControlValue(owner, [this](const Control& c) { Forward([this, c] { OnChangeControlValue(c); }); });
    events->OnControlCommand(owner, [this](const Control& c, int id) {
        Forward([this, c, id] { OnControlCommand(c, id); });
    });
    events->OnButtonUpdate(owner, [this](int id, bool& enable, int& checked) {
        return Answer(false, [&] { return OnButtonUpdate(id, enable, checked); });
    });
    events->OnProcessActivate(owner, [this] { Forward([this] { OnProcessActivate(); }); });
    events->OnProcessDeactivate(owner, [this] { Forward([this] { OnProcessDeactivate(); }); });
    events->OnSelectItem(owner, [this](const Control& c, int i, bool on) {
        Forward([this, c, i, on] { OnSelectItem(c, i, on); });
    });
    events->OnCheckItem(owner, [this](const Control& c, int i, bool on) {
        Forward([this, c, i, on] { OnCheckItem(c, i, on); });
    });
    events->OnSelectCell(owner, [this](const Control& c, int r, int col) {
        Forward([this, c, r, col] { OnSelectCell(c, r, col); });
    });
    events->OnEditFocus(owner, [this](const Control& c, bool set) { Forward([this, c, set] { OnEditFocus(c, set); }); });
    events->OnUserMenuCommand(owner, [this](const Control& c, int id) {
        Forward([this, c, id] { OnUserMenuCommand(c, id); });
    });
    events->OnFillContextPanel(owner, [this](const vlapi::IProcessContextPanelPtr& panel) {
        Answer([&] { OnFillContextPanel(panel); });
    });
    events->OnFillContextIconMenu(owner, [this](const vlapi::IProcessContextIconMenuPtr& menu) {
        Answer([&] { OnFillContextIconMenu(menu); });
    });
    events->OnEndEditItem(owner, [this](const Control& c, int i) { Forward([this, c, i] { OnEndEditItem(c, i); }); });
    events->OnChangeTabExpanded(owner, [this](int tab) { Forward([this, tab] { OnChangeTabExpanded(tab); }); });
    events->OnDoubleClickItem(owner, [this](const Control& c, int i) {
        Forward([this, c, i] { OnDoubleClickItem(c, i); });
    });
    events->OnGetContextMenuType(owner, [this](int x, int y) {
        return Answer(static_cast<int>(vlapi::vlProcessDefaultContextMenu),
                      [&] { return static_cast<int>(OnGetContextMenuType(x, y)); });
    });
}

void BaseProcess::UnadviseEvents()
{
    m_bound = false;
    const vlapi::IProcess2DPtr process2D(m_process);
    if (const vlapi::IProcess2DEventsPtr events = process2D ? process2D->GetProcess2DEvents() : nullptr)
        events->RemoveHandlers(handlerOwner);
    if (const vlapi::IPropertiesManagerEventsPtr events =
            m_procParam ? m_procParam->GetPropertiesManagerEvents() : nullptr)
        events->RemoveHandlers(handlerOwner);
    if (m_drawingEvents) {
        m_drawingEvents->RemoveHandlers(handlerOwner);
        m_drawingEvents = nullptr;
    }
    if (m_sinksSuspended) {
        m_sinksSuspended = false;
        ResumeDocumentEvents();
    }
    // A drawing that closes gets no sink (it would outlive the drawing).
    const vlapi::IVarnelDocumentPtr active = application ? application->GetActiveDocument() : nullptr;
    if (active && !(m_drawingCloses && hostAccess::SameObject(active, m_drawing)))
        CreateDocumentEvents(active);
}

// ---- Services for the commands

void BaseProcess::AddButtonInToolBar(const vlapi::IPropertyToolBarPtr& toolBar, int id, int icon,
                                     const std::wstring& tip, bool enable, bool check, bool useLibraryFont)
{
    if (!toolBar)
        return;
    toolBar->AddButton(id, icon, -1);
    toolBar->SetButtonHint(id, tip);
    toolBar->SetButtonEnable(id, enable);
    toolBar->SetButtonPressed(id, check);
    if (useLibraryFont)
        toolBar->SetButtonFont(id, m_font);
}

void BaseProcess::OpenHelp(int id)
{
    vrnApi::CallHelp(id);
}

bool BaseProcess::ChooseFolder(std::wstring& folder)
{
    std::wstring chosen = folder;
    vrnApi::ChoiceFolderDialog(chosen);
    if (chosen.empty())
        return false;
    folder = std::move(chosen);
    return true;
}

void BaseProcess::SetReturnValue(int buttonId)
{
    if (buttonId == vlapi::pbEnter)
        m_returnValue = 1;
    else if (buttonId == vlapi::pbEsc && m_returnValue != 1)
        m_returnValue = 2;
}
