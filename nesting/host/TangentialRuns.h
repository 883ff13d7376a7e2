// Replacing the fine straight pieces of one curve by a polygon that stays on
// the right-hand side of the curve: tangent vertices on runs that turn left,
// chords on runs that turn right, each within a sag.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <functional>
#include <vector>

namespace vrnApi {

// The curve's point nearest to a given point; false when the host gives none.
using NearestCurvePoint = std::function<bool(const NPoint& p, NPoint& nearest)>;

// Appends to `out` the vertices that stand for the curve whose fine pieces are
// `fine` (at least two, running in the chain's direction). A candidate vertex
// is kept only when the curve passes within the sag `arrow` of it.
void AppendTangentialRuns(const std::vector<NSegmentPtr>& fine, double arrow,
                          const NearestCurvePoint& nearest, std::vector<NPoint>& out);

}  // namespace vrnApi
