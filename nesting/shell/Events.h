// The library's answers to host events outside its commands.
//
// Every open drawing has one sink, a DocumentEvents, held by the list
// `documentEvents`: when the user moves, turns or copies macros of this
// library with the host's own tools, the sink asks the host for command 300,
// which places the selected figures again in their sheet. The application
// handlers give new and opened drawings their sinks and turn key presses into
// nudges and turns of the selected figure. While an interactive command runs
// or a hot point is dragged, every sink is suspended: it keeps its place in
// the list and its drawing's closing, but hears no moves, turns or copies;
// when the last of them ends every open drawing's sink hears them again.
#pragma once

#include "host/LibraryEdit.h"
#include "vlapi/vlapi.h"

#include <memory>
#include <string>
#include <vector>

// Owner keys under which the library registers with the host's event sources.
inline const std::wstring handlerApplicationOwner = L"ApplicationEvents_Nesting";
inline const std::wstring handlerObjectOwner = L"DrawingObjectEvents_Nesting";
inline const std::wstring handlerSelectionOwner = L"SelectionEvents_Nesting";
inline const std::wstring handlerProcessOwner = L"ProcessEvents_Nesting";

// The sink of one 2D drawing. Its callbacks hold it weakly and keep it alive
// while they run, so a sink that removes itself from `documentEvents` when
// its drawing closes is destroyed only after its callback has returned.
class DocumentEvents : public std::enable_shared_from_this<DocumentEvents> {
public:
    explicit DocumentEvents(vlapi::IVarnelDocument2DPtr doc);
    virtual ~DocumentEvents();
    DocumentEvents(const DocumentEvents&) = delete;
    DocumentEvents& operator=(const DocumentEvents&) = delete;

    // Subscribes to the drawing's closing and, unless the sinks are
    // suspended, to its moves, turns and copies of macros. Requires the sink
    // to be held by a shared pointer.
    void Advise();
    // Drops every handler of the sink; the sink stays in `documentEvents`.
    void UnAdvise();
    // Drops, or takes again, the moves, turns and copies only.
    void Suspend();
    void Resume();
    // True when every object is a macro of this library (an empty list too).
    static bool CheckObjects(const vlapi::DrawingObjectList& objects);
    // Ask for command 300 when CheckObjects holds; true in every case.
    bool OnMoveObject(const vlapi::DrawingObjectList& objects);
    bool OnRotateObject(const vlapi::DrawingObjectList& objects);
    bool OnCopyObject(const vlapi::DrawingObjectList& objects);
    // Unsubscribes and leaves `documentEvents`.
    void OnCloseDocument();

    const vlapi::IVarnelDocument2DPtr& Document() const { return m_doc; }
    bool Advised() const { return static_cast<bool>(m_objectEvents); }

private:
    bool AskForPlacement(const vlapi::DrawingObjectList& objects);
    void AdviseObjects();

    vlapi::IVarnelDocument2DPtr m_doc;
    vlapi::IDrawingObjectEventsPtr m_objectEvents;
};
using DocumentEventsPtr = std::shared_ptr<DocumentEvents>;

// One sink per subscribed drawing, in the order they were made.
extern std::vector<DocumentEventsPtr> documentEvents;

// A subscribed sink for `doc` when it is a 2D drawing (not a fragment) that
// has none yet; nothing otherwise.
void CreateDocumentEvents(const vlapi::IVarnelDocumentPtr& doc);
// At unload: every sink unsubscribed, the list emptied, no suspension left.
void RemoveDocumentEvents();
// Suspends every sink, those made meanwhile too, until as many resumes as
// suspends have come.
void SuspendDocumentEvents();
void ResumeDocumentEvents();
bool DocumentEventsSuspended();
// A suspend (true) or a resume (false): how a LibraryRun holds the sinks back.
void HoldDocumentEvents(bool held);

// Application handlers.
void OnCreateDocument(const vlapi::IVarnelDocumentPtr& doc);
void OnOpenDocument(const vlapi::IVarnelDocumentPtr& doc);
bool OnBeginCloseAllDocument();
// The application goes: a command still running ends as a cancel.
void OnApplicationDestroy();
// Arrows and A, D, W, S slide the selected figure until it touches; L and R
// turn it by -90 and +90 degrees. Letters with Ctrl or Alt held, and every
// key while an interactive command runs, do nothing; arrows still slide with
// Shift or Ctrl held. Every key answers true.
bool OnKeyDown(int& keyCode, int keyFlags, const vlapi::IPressedKeysPtr& pressedKeys);
bool OnKeyUp(int& keyCode, int keyFlags, const vlapi::IPressedKeysPtr& pressedKeys);

// Registers the six application handlers under handlerApplicationOwner, and
// drops them again.
void CreateApplicationEvents();
void RemoveApplicationEvents();
