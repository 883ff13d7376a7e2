#pragma once
// How the host loads an application library and what the library registers.
//
// The host opens the library's shared object and calls its exported
// LoadVarnelLibrary with the application and a registrar of callbacks; the
// library registers its callbacks there, subscribes to the events it wants,
// records its resources with its resource module and answers true. Before the
// host lets go of the library it ends a running process and calls
// UnloadVarnelLibrary, after which the library must have no handler left with
// the host. Every call either way is made on the host's user-interface thread,
// and no exception may leave a call into the library.
#include <functional>
#include <string>

#include "vlapi/Process.h"

namespace vlapi {

// Runs library command `command` (mode unused by the host: 0 from the menu).
using RunCommandCallback = std::function<bool(int command, int mode)>;
// May fill the context panel the host shows while no process runs; answers
// whether it added anything.
using FillContextPanelCallback = std::function<bool(const IProcessContextPanelPtr& panel)>;
// Asked before a command is run from the menu: an answer of true applies
// `enable` (false greys the entry and the command is not run) and `checked`;
// `reason` may tell the user why a command is off.
using LibCommandStateCallback = std::function<bool(int command, bool& enable, int& checked, std::wstring& reason)>;
// The resource id whose text titles the library's menu.
using GetMenuIdCallback = std::function<int()>;
// An object of the library's for one selected drawing object (a hot-point
// object, IHotPointObject, or a property object); empty for none.
using LibObjInterfaceEntryCallback = std::function<IAPIObjectPtr(const IVarnelAPIObjectPtr& object)>;

// What a library asks the host to give objects for (RegisterLibObjInterfaceEntry).
enum vlLibObjInterfaceKind {
  vlLibObjHotPoints = 1,
  vlLibObjProperties = 2,
};

// The registrar a library gets at load time. Each registration replaces the
// one of the same kind; the host records them in order.
struct IVarnelLibraryActions : IAPIObject {
  virtual bool RegisterRunCommand(RunCommandCallback callback) = 0;
  virtual bool RegisterFillContextPanel(FillContextPanelCallback callback) = 0;
  virtual bool RegisterLibCommandState(LibCommandStateCallback callback) = 0;
  virtual bool RegisterGetMenuId(GetMenuIdCallback callback) = 0;
  virtual bool RegisterLibObjInterfaceEntry(int kind, LibObjInterfaceEntryCallback callback) = 0;  // vlLibObjInterfaceKind
};

// One hot point of a selected object, in the coordinates of the object (a
// macro's own coordinates: (0, 0) is its placement point).
struct HotPoint {
  double x = 0;
  double y = 0;
  std::wstring text;
  int cursorId = 0;  // a cursor resource id of the library; 0 for the host's own
};

// The hot points of one selected object, implemented by the library. While
// the object is selected the host lists them with Get(0), Get(1), ... until an
// answer is false. A drag of point `index` is BeginDrag, then for every step
// Set with the new position and GetCursorText, then EndDrag with whether the
// drag was completed (false: cancelled).
struct IHotPointObject : IAPIObject {
  virtual bool Get(int index, HotPoint& point) = 0;
  // Point `index` dragged to (x, y).
  virtual bool Set(int index, double x, double y) = 0;
  virtual std::wstring GetCursorText(int index) = 0;
  virtual IAPIObjectPtr GetMenu(int index) = 0;  // empty for none
  virtual bool BeginDrag(int index) = 0;
  virtual bool EndDrag(int index, bool success) = 0;
};

}  // namespace vlapi

// The entry points a library exports (unmangled).
extern "C" {
bool LoadVarnelLibrary(vlapi::IApplication* application, vlapi::IVarnelLibraryActions* actions);
void UnloadVarnelLibrary();
}

namespace vlapi {
using LoadVarnelLibraryFunction = bool (*)(IApplication*, IVarnelLibraryActions*);
using UnloadVarnelLibraryFunction = void (*)();
}  // namespace vlapi
