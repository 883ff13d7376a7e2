// What the hot-point editor of figures holds while the user drags a figure:
// the model leaves these macros out when it reloads its figures.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

class HP_Figure {
public:
    inline static reference refMacro = 0;       // the figure macro being dragged
    inline static std::vector<reference> refs;  // the macros the editor holds
};
