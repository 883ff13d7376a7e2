#pragma once
// Host events: of the application, of a document and of its drawing objects.
//
// Handlers are function objects registered on an event source under an owner
// key; a source drops every handler of one key at once (RemoveHandlers). A
// handler may drop its own key, or any other, while it is being called: a
// dropped handler is never called again, not even later in the same dispatch.
// A handler keeps what it captures alive until it is dropped, so whoever
// registers it removes it before the captured objects go.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "vlapi/Document.h"

namespace vlapi {

// The keys held down when a key event comes (virtual-key codes).
struct IPressedKeys : IAPIObject {
  virtual bool IsKeyDown(int virtualKey) = 0;
  virtual std::vector<int> GetKeys() = 0;  // ascending
};

using DocumentHandler = std::function<void(const IVarnelDocumentPtr& document)>;
using QueryHandler = std::function<bool()>;
using NotifyHandler = std::function<void()>;
// `keyCode` may be changed by the handler (the host reads it back); the answer
// tells whether the handler took the key.
using KeyHandler = std::function<bool(int& keyCode, int keyFlags, const IPressedKeysPtr& pressedKeys)>;

// Events of the application, reached through IApplication::GetApplicationEvents.
struct IApplicationEvents : IAPIObject {
  // A document was created, or opened from a file; documents without a window too.
  virtual void OnCreateDocument(const std::wstring& owner, DocumentHandler handler) = 0;
  virtual void OnOpenDocument(const std::wstring& owner, DocumentHandler handler) = 0;
  // Every document is about to close; a handler answering false keeps them open.
  virtual void OnBeginCloseAllDocument(const std::wstring& owner, QueryHandler handler) = 0;
  // The application is going (called before the libraries are unloaded).
  virtual void OnApplicationDestroy(const std::wstring& owner, NotifyHandler handler) = 0;
  virtual void OnKeyDown(const std::wstring& owner, KeyHandler handler) = 0;
  virtual void OnKeyUp(const std::wstring& owner, KeyHandler handler) = 0;
  virtual void RemoveHandlers(const std::wstring& owner) = 0;
};

// The objects concerned (for a copy: the copies); the answer is the handler's
// consent, which the host records and does not otherwise use.
using ObjectsHandler = std::function<bool(const DrawingObjectList& objects)>;

// A 2D document's drawing-object events as one owner key sees them
// (IVarnelDocument2D::GetDrawingObjectEvents): its handlers and its type filter
// belong to that key alone. The host reports the objects moved, rotated or
// copied by the user's tools and by any library's calls (IMacroObject::SetPlacement,
// IVarnelDocument2D::MoveObjects, RotateObjects, TransformObjects, MirrorObjects,
// CopyObjects), filtered by type; a report with no object left after the
// filter is not made.
struct IDrawingObjectEvents : IAPIObject {
  // DrawingObjectTypeEnum numbers; {vlAllObj} (the default) lets every object through.
  virtual void SetTypes(const TypeList& types) = 0;
  virtual TypeList GetTypes() = 0;
  virtual void OnObjectsMoved(ObjectsHandler handler) = 0;
  virtual void OnObjectsRotated(ObjectsHandler handler) = 0;
  virtual void OnObjectsCopied(ObjectsHandler handler) = 0;
  // Drops every handler of this object's owner key.
  virtual void RemoveHandlers() = 0;
};

// Events of one document (IVarnelDocument2D::GetDocumentEvents).
struct IVarnelDocumentEvents : IAPIObject {
  // The document is closing; it still stands while the handlers run, and a
  // process running in it ends after them.
  virtual void OnCloseDocument(const std::wstring& owner, NotifyHandler handler) = 0;
  virtual void RemoveHandlers(const std::wstring& owner) = 0;
};

}  // namespace vlapi
