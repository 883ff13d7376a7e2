// The marking text of a part's fragment: inside one flat face of the part's
// outline, clear of its holes and bend lines.
#pragma once

#include "io/ImportPartMetaData.h"
#include "vlapi/vlapi.h"

#include <string>

// The most vertices of a flat pattern's outline and holes among which the
// marking looks for its place.
constexpr size_t kMostSearchedVertices = 250000;

enum class Marking {
    Inside,    // written inside one face, clear of every bend line (or centred, with no outline to hold it)
    Crowded,   // no face holds it: written in the largest face as well as it goes
    NotMade,   // the container is not the active document's current view: nothing written
    Unsearched,  // the outline and holes have more vertices than the search takes: written centred on the drawing
};

// Writes `text` (5 mm high, on `layer`) into `container`, first centred on
// what the container holds, then moved by the label search to a free place in
// one flat face of the outline on layer 0: the regions the bend lines cut the
// outline into, less the bend zones between the two lines of one bend. The
// largest face that holds the text gets it; when none does, the largest face.
// `container` must be the current view of the active document.
Marking CreateMarking(const vlapi::IDrawingContainerPtr& container, int32_t layer, CurvesVector bends,
                      const std::wstring& text);
