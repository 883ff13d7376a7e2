// The drawing the library works on. The host binding reads and changes "the
// active document"; a command that runs while the user has made another
// document active, or a long run that lets the host handle the user's waiting
// events (a new drawing, another drawing activated, one closed), must still
// work on its own drawing. A WorkingDrawing makes it the active document for
// the time of a scope and, when it took the activation from a document the
// user chose, gives it back at the end of the outermost scope.
#pragma once

#include "vlapi/vlapi.h"

#include <string>

namespace vrnApi {

// Whether `doc` is one of the host's open documents.
bool IsOpenDocument(const vlapi::IVarnelDocumentPtr& doc);
// The host's active document when it is another one than `doc` (the user
// works in another drawing); empty when `doc` is active (or is the drawing
// of the sketch the active document edits), or when there is no `doc` or no
// active document.
vlapi::IVarnelDocumentPtr OtherActiveDocument(const vlapi::IVarnelDocumentPtr& doc);
// A document as the host names it to the user: its title (the file's name,
// or the name the host gave a document never saved).
std::wstring DocumentTitle(const vlapi::IVarnelDocumentPtr& doc);

class WorkingDrawing {
public:
    // Makes `doc` (when open) the active document; an empty `doc` changes nothing.
    explicit WorkingDrawing(vlapi::IVarnelDocument2DPtr doc);
    ~WorkingDrawing();
    WorkingDrawing(const WorkingDrawing&) = delete;
    WorkingDrawing& operator=(const WorkingDrawing&) = delete;

    // The drawing of the innermost scope; empty outside every scope.
    static vlapi::IVarnelDocument2DPtr Current();

private:
    vlapi::IVarnelDocument2DPtr m_outer;
};

// Lets the host handle the user's waiting events. Whatever they did, the
// drawing worked on (that of the innermost WorkingDrawing, else the one active
// before the call) is the active document afterwards. False, with a message
// to the user, when that drawing was closed meanwhile: the caller stops its
// work without touching the drawing again. False too, without a message,
// once the user has cancelled the work (CancelWork).
bool ProcessPendingEvents();

// The user cancelled what runs under the outermost WorkingDrawing: until that
// scope ends, ProcessPendingEvents answers false. Outside every scope, nothing.
void CancelWork();

}  // namespace vrnApi
