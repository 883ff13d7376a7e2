#pragma once
// The host SDK as the application libraries see it.
//
// Conventions
// - Every host object is a reference-counted interface derived from
//   IAPIObject. Hold it in the interface's smart pointer (IViewPtr for IView,
//   ...): copying adds a reference, destroying releases one. Converting one
//   smart pointer into another asks the object for that interface by its
//   36-character id and gives an empty pointer when it has none. Two pointers
//   name the same object when both converted to IAPIObjectPtr are equal.
// - Objects returned by the host are handed over with a reference for the
//   caller; pointers passed to the host are borrowed for the call only.
// - The host reports failure only by giving nothing: an empty pointer, false,
//   0, an empty text or an empty list. It never throws.
// - Every change made to a host object takes effect in the drawing with its
//   Update(); getters never need it.
// - Lists of objects are handed to the host as APIObjectList; objects are
//   asked for by TypeList of DrawingObjectTypeEnum (or VarnelAPIObjectTypeEnum)
//   numbers, {vlAllObj} meaning every type. Parameter objects are made by the
//   2D document from VarnelAPIObjectTypeEnum numbers.
// - Objects within a document have stable integer references, given and
//   resolved by the transfer service from GetTransferService().
// - Every object's geometry is in the coordinates of its container: a view's
//   own coordinates (the view maps them onto the sheet by its origin and
//   scale), or a macro's own coordinates (the macro's placement maps them into
//   its container).
// - Lengths are millimetres, angles degrees counter-clockwise, y points up,
//   texts are wide strings, colours red | green << 8 | blue << 16.
// - All calls are made on the host's user-interface thread.
// - Libraries, events, processes and panels: Library.h, Events.h, Process.h.
#include "vlapi/Application.h"
#include "vlapi/Converter.h"
#include "vlapi/Document.h"
#include "vlapi/Drawing.h"
#include "vlapi/Events.h"
#include "vlapi/Forward.h"
#include "vlapi/Library.h"
#include "vlapi/Model3D.h"
#include "vlapi/Process.h"
#include "vlapi/SmartPtr.h"
#include "vlapi/Types.h"
