// The hot points of the library's macros as the host sees them: HPObj is the
// host-facing hot-point object of one selected macro, forwarding every request
// to the editor that CreateHP_NObject made for it (a figure's or a bridge's).
// While a handle is dragged the drawings' event sinks are suspended, so that
// the drag's own moves ask for nothing; when the drag ends the editor
// completes the edit (a cancelled drag puts the object back where it stood)
// and the sinks hear the user's edits again. The object belongs to the
// drawing it was selected in: a drag the host hands it while the user works
// in another drawing moves nothing and is said (a drag refused midway puts
// the object back).
#pragma once

#include "model/HotPointEditors.h"
#include "vlapi/vlapi.h"

#include <memory>

// The editor of a library figure (HP_Figure) or bridge (HP_Jumper) macro,
// initialised; none for other objects and while an interactive command runs.
std::unique_ptr<HP_NObject> CreateHP_NObject(const vlapi::IVarnelAPIObjectPtr& object);

// A new hot-point object over the editor of `object`, in its holder; empty
// when the object gets no editor.
vlapi::IHotPointObjectPtr CreateHPObj(const vlapi::IVarnelAPIObjectPtr& object);
