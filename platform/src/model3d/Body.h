#pragma once
// A body's solid as the host keeps it: the kernel solid and, for each of its
// faces, the recipe element that made it (the host's own record: the solid
// itself knows nothing of recipes).
#include <vector>

#include "kernel/Kernel.h"
#include "vlhost/Parts.h"

namespace vlhost {

struct BuiltBody {
  SPtr<MbSolid> solid;
  std::vector<int> element;  // per face: 0 the base plate or the block, 1 + i the flange i
};

}  // namespace vlhost
