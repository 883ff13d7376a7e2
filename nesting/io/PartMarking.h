// The marking text of a part's fragment: inside the part's outline, clear of
// its holes and bend lines.
#pragma once

#include "io/ImportPartMetaData.h"
#include "vlapi/vlapi.h"

#include <string>

// Writes `text` (5 mm high, on `layer`) into `container`, first centred on
// what the container holds, then moved to a free place inside the outline on
// layer 0 found by the label search. `container` must be the current view of
// the active document: otherwise nothing is written and the answer is false.
bool CreateMarking(const vlapi::IDrawingContainerPtr& container, int32_t layer, CurvesVector bends,
                   const std::wstring& text);
