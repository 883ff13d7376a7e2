// The positions of a part inside a convex container (a round or many-sided
// window, a rectangular one turned): where every edge of the container keeps
// the part on its inner side. Exact, and linear in the vertices, where the
// orbit along the inside would trace the region a contact at a time (and, for
// a part nearly as large as the window, meet every contact at every step).
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

namespace nfp {

// `container` runs with its material on the left (clockwise, as the orbit
// takes a container), `part` counter-clockwise, both in one frame. False when
// the container is not convex within `tol` (its boundary lies farther than
// that inside its hull): the caller then traces the region. Otherwise
// `region` receives the translations of `part` that keep it inside, as a
// convex ring counter-clockwise; a single point where the part fits only to
// within `tol` (an exact fit, or one too tight by less than the tolerance);
// nothing where it does not fit.
bool ConvexContainerFit(const std::vector<NPoint>& container, const std::vector<NPoint>& part, double tol,
                        std::vector<NPoint>& region);

} // namespace nfp
