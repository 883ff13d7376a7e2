// The frame of every interactive command: a panel of host controls over a
// host process.
//
// A command derives from BaseProcess and supplies its preparation (Init), its
// panel (CreateControls, UpdateControls), its caption and the handlers it
// needs. Its starter builds it and hands it to StartCommand, which makes it
// the one current command (stopping and deleting the one before) and calls
// Run: the frame fetches the process parameters, gives them the caption and
// the confirm, cancel and help buttons, and, only on an active 2D document,
// creates the process, calls Init, clears the selection, builds and fills
// the panel, binds the host's events to the handlers and starts the process.
//
// A command works on the drawing it was started in, its Drawing(): while
// Run prepares it and while any of its handlers runs, that drawing is the
// active document, even when the user has made another one active meanwhile
// (who gets it back when the handler returns). The cursor is the exception:
// its points are of the drawing the user works in, so a move or a click made
// while another drawing is active reaches no handler; a click is said to the
// user, naming both drawings, by a command that takes clicks. A handler that
// lets the host handle waiting events does so through
// vrnApi::ProcessPendingEvents, which keeps the drawing active and tells when
// it was closed.
//
// Nothing the host does while a handler runs deletes the command: a command
// asked for meanwhile (RunCommand) starts once the outermost handler has
// returned. Nor does it re-enter the command: what the user did meanwhile in
// its panel (a value, a button, Enter, Esc, a click) and the end of the
// process the host announced reach the command in their order once its
// handler has returned, while it is still bound (a question the host asks, as
// whether a button is enabled, is answered at once). An Esc among them tells
// the handler's work to stop: ProcessPendingEvents answers false.
//
// While the command is bound the drawings' event sinks are suspended. The
// host's end of the process runs OnStopProcess and then UnadviseEvents; a
// command that ends itself with Stop is unbound first and gets no
// OnStopProcess. Either way every open drawing's sink hears moves again. The
// command object stays current, idle, until the next command replaces it.
//
// Cancel cancels: before Init the frame takes a snapshot of the drawing and
// of the session values (CommandSnapshot, with the panel's own values the
// command names in KeepSession). A command cancelled with Esc gives the
// snapshot back, and so does one whose drawing closes under it (alone, with
// all the others, or as the application quits), whenever the close comes:
// the session values, and the drawing while it still stands, are those of
// the command's start, and nothing is written (what Enter's work wrote
// before the close came stays). One that ends any other way keeps what it
// did: confirmed with Enter, or ended by the host (the panel closed, another
// command chosen) or replaced by another command, when it keeps its work as
// Enter keeps it (Confirm).
//
//   class MyProcess : public BaseProcess { ... };
//   void RunMyProcess() { StartCommand<MyProcess>(); }
#pragma once

#include "shell/CommandSnapshot.h"
#include "vlapi/vlapi.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

class BaseProcess {
public:
    BaseProcess() = default;
    // A copy shares the host objects and holds no handlers.
    BaseProcess(const BaseProcess& other);
    BaseProcess& operator=(const BaseProcess&) = delete;
    virtual ~BaseProcess();

    virtual void Init() = 0;
    virtual void CreateControls() = 0;
    virtual void UpdateControls() = 0;
    virtual std::wstring GetCaption() const = 0;
    // Suspends the drawings' sinks and binds the cursor, the end of the
    // process and the seventeen panel events to the handlers below.
    virtual void AdviseEvents();
    // Drops every handler of the command and lets the sinks hear moves again
    // (the active drawing gets one when it had none).
    virtual void UnadviseEvents();

    // The handlers, with what a command inherits.
    virtual bool CallBackCursor(double x, double y, double angle, bool dynamic);
    // Whether the command takes clicks in its drawing, so that one made in
    // another drawing is said to the user; false by default.
    virtual bool TakesClicks() const;
    virtual bool OnButtonClick(int buttonId);
    virtual void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl);
    virtual void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId);
    // False, with `enable` and `checked` untouched.
    virtual bool OnButtonUpdate(int buttonId, bool& enable, int& checked);
    virtual void OnProcessActivate();
    virtual void OnProcessDeactivate();
    virtual void OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select);
    virtual void OnCheckItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool check);
    virtual void OnSelectCell(const vlapi::IPropertyControlPtr& ctrl, int row, int column);
    virtual void OnEditFocus(const vlapi::IPropertyControlPtr& ctrl, bool set);
    virtual void OnUserMenuCommand(const vlapi::IPropertyControlPtr& ctrl, int menuId);
    virtual void OnFillContextPanel(const vlapi::IProcessContextPanelPtr& contextPanel);
    virtual void OnFillContextIconMenu(const vlapi::IProcessContextIconMenuPtr& contextMenu);
    virtual void OnEndEditItem(const vlapi::IPropertyControlPtr& ctrl, int itemIndex);
    virtual void OnChangeTabExpanded(int tabIndex);
    virtual void OnDoubleClickItem(const vlapi::IPropertyControlPtr& ctrl, int itemIndex);
    virtual vlapi::vlProcessContextMenuType OnGetContextMenuType(int screenX, int screenY);
    virtual void OnStopProcess();
    // The values outside the drawing that the command changes and a cancel
    // gives back (its panel's class-wide choices): each named with
    // snapshot.Keep. Nothing by default.
    virtual void KeepSession(CommandSnapshot& snapshot);
    // What the command keeps when it ends without Enter or Esc (the host
    // ends it, another command replaces it): by default what Enter keeps.
    virtual void Confirm();

    // Builds and starts the process (see the top of this file).
    void Run();
    // Ends the command from inside: unbinds it, then stops the host process.
    // The command keeps its work unless Esc cancelled it.
    void Stop();
    // Stop as a cancel: the drawing and the session values given back.
    void Abandon();

    // Whether the command's handlers are registered with the host.
    bool Bound() const { return m_bound; }
    // The drawing the command was started in; empty before Run made the process.
    const vlapi::IVarnelDocument2DPtr& Drawing() const { return m_drawing; }

    // Marks a host call into the library that runs a command's code: while
    // one lives, RunCommand waits (AfterHandlers). When the outermost ends,
    // what waited runs, in the order it was asked for.
    class Busy {
    public:
        Busy() { ++s_busy; }
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;
    };
    // Whether a command's handler, start or starter is on the stack.
    static bool HandlerRuns() { return s_busy > 0; }
    // `work` at once when no handler runs, else when the outermost returns.
    static void AfterHandlers(std::function<void()> work);
    // Whether an interactive command runs: the current command is bound, or
    // the host runs a process in the active document.
    static bool CommandRuns();
    // Makes `process` the current command: a still-bound current command is
    // stopped first (keeping its work), then deleted.
    static void MakeCurrent(std::unique_ptr<BaseProcess> process);
    // At unload: the current command stopped when still bound, then deleted.
    static void ReleaseCurrent();
    // As the application goes: the current command, when still bound, ends
    // as a cancel.
    static void AbandonCurrent();

    // The owner key of every handler the command registers.
    std::wstring handlerOwner = L"Nesting";
    vlapi::IProcessPtr m_process;
    vlapi::IProcessParamPtr m_procParam;
    std::wstring m_font;
    // 0 while the command runs, 1 after a confirm, 2 after a cancel (a cancel
    // after a confirm leaves 1); set by the commands' OnButtonClick.
    int32_t m_returnValue = 0;

    static inline std::unique_ptr<BaseProcess> currentProcess;
    // Set by every Run; read by nothing.
    static inline bool m_update = false;

    // Asks the user for a folder, the dialog starting at `folder`: the answer
    // replaces it, a cancelled dialog (an empty answer) keeps it. False when
    // cancelled. Every command that asks for a folder asks through it.
    static bool ChooseFolder(std::wstring& folder);

protected:
    // A button on `toolBar` with its tip, enabled and pressed states, and the
    // library's icon font when `useLibraryFont`; nothing without a tool bar.
    void AddButtonInToolBar(const vlapi::IPropertyToolBarPtr& toolBar, int id, int icon, const std::wstring& tip,
                            bool enable, bool check, bool useLibraryFont);
    void OpenHelp(int id);
    // m_returnValue after the standard button `buttonId` (for the commands'
    // OnButtonClick): pbEnter gives 1, pbEsc 2 unless a confirm came first;
    // other buttons change nothing.
    void SetReturnValue(int buttonId);
    // The cursor and end-of-process callbacks on the process's 2D side.
    void InitPlacementProcess();
    // The end of the process: OnStopProcess, then UnadviseEvents; false.
    bool EndProcess();

private:
    class HandlerCall;
    void AdvisePanel();
    // The snapshot given back or let go, once, as the command ended.
    void Conclude();
    CommandSnapshot m_snapshot;
    bool m_confirmed = false;
    bool m_cancelled = false;
    bool m_concluded = true;
    // The host ends the process: at once, or, under a handler of the
    // command, when that handler returns.
    bool OnHostEnd();
    // Runs `handler` as a host call into the command (HandlerCall); under a
    // handler of the command it waits (m_deferred) and `fallback` answers.
    template <class R, class F>
    R Forward(R fallback, F handler);
    template <class F>
    void Forward(F handler);
    // Whether the command's drawing has been closed; the command, still
    // bound, is stopped then as a cancel.
    bool EndedWithDrawing();
    // The host announces that the command's drawing closes (it still
    // stands): the command ends as a cancel, at once, or, under one of its
    // handlers, once the handler (told to stop its work) has returned.
    void OnDrawingCloses();
    // Ends the bound command as a cancel.
    void EndAsCancel();
    // A click the user made in the drawing titled `there`, not the command's
    // own: nothing is done but saying so.
    void TellClickElsewhere(const std::wstring& there);
    // A question of the host, answered at once even under a handler.
    template <class R, class F>
    R Answer(R fallback, F&& handler);
    template <class F>
    void Answer(F&& handler);
    // What waited in m_deferred, in its order, while the command is bound.
    void RunDeferred();
    static void RunWaiting();

    bool m_bound = false;
    vlapi::IVarnelDocument2DPtr m_drawing;
    vlapi::IVarnelDocumentEventsPtr m_drawingEvents;  // its closing, while bound
    bool m_drawingCloses = false;
    int m_calls = 0;  // the command's handlers on the stack
    // The host's calls into the command that came under one of its handlers.
    std::deque<std::function<void()>> m_deferred;
    bool m_sinksSuspended = false;
    static inline int s_busy = 0;
    static inline std::deque<std::function<void()>> s_waiting;
};

// The starter's work: a command of type `Process` built from `args` as a
// local value, moved into the new current command (the one before is stopped
// when still bound, then deleted), the local value destroyed, and the current
// command run. A starter runs from RunCommand, never under a handler.
template <class Process, class... Args>
void StartCommand(Args&&... args)
{
    BaseProcess::Busy busy;
    {
        Process local(std::forward<Args>(args)...);
        BaseProcess::MakeCurrent(std::make_unique<Process>(std::move(local)));
    }
    BaseProcess::currentProcess->Run();
}
