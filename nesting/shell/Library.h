// The library as the host loads it: the two exported entry points (declared
// in vlapi/Library.h), the callbacks LoadVarnelLibrary registers, in the order
// it registers them, and the resources it records with its module.
#pragma once

#include "vlapi/vlapi.h"

#include <string>

// The command being started, 0 otherwise.
extern int command;

// Command ids: those of the library's menu and the one it asks for itself.
enum LibraryCommand : int {
    kCommandImport = 1,
    kCommandSourceData = 2,
    kCommandOptimization = 3,
    kCommandWastes = 4,
    kCommandUpdateResults = 5,
    kCommandExport = 6,
    kCommandDocumentation = 7,
    kCommandSettings = 8,
    kCommandHelp = 9,
    kCommandBridges = 10,
    kCommandSourceDataAlias = 101,
    kCommandWastesAlias = 104,
    kCommandPlaceSelected = 300,
};

// Runs command `comm` on the active 2D drawing (`mode` unused); elsewhere
// shows message 101 and runs nothing. An unknown id does nothing. True when
// the command was run.
bool RunCommand(int comm, int mode);
// Fills nothing: false.
bool FillContextPanel(const vlapi::IProcessContextPanelPtr& panel);
// For the command being started: whether an interactive command runs; false
// for every other id. `enable`, `checked` and `reason` are left as they are.
bool LibCommandState(int comm, bool& enable, int& checked, std::wstring& reason);
// IDS_LIBID, whose text titles the menu.
int GetMenuId();
// A hot-point object for a library figure or bridge macro; none otherwise and
// none while an interactive command runs.
vlapi::IAPIObjectPtr LibObjHotPointsEntry(const vlapi::IVarnelAPIObjectPtr& object);
// The library has no property objects: none.
vlapi::IAPIObjectPtr LibObjPropertiesEntry(const vlapi::IVarnelAPIObjectPtr& object);
// Records with the resource module "Nesting" the turning cursor, the library
// id with its menu entries and the string ids; keeps the module.
void LoadResources();
