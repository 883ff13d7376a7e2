// Pure decisions about the closed borders of one figure: repeated curves and
// which ring is the outer border.
#pragma once

#include "geometry/Polygon.h"

#include <vector>

namespace vrnApi {

// One host curve seen as its chord (start to end, with the curve's reference)
// and the curve's point at its middle parameter.
struct CurveChord {
    NSegmentPtr chord;
    NPoint middle;
};

// Two curves with the same start, end and middle point, in the same direction,
// are one curve drawn twice. A line and an arc between the same two points are not.
bool HasRepeatedCurve(const std::vector<CurveChord>& curves);

// The index of the ring that holds every other ring (contact with its boundary
// allowed); NOT_FOUND_INDEX when no ring does. Among rings of equal standing
// the one with the larger gabarit area wins.
size_t FindOuterRing(const std::vector<NPolygonPtr>& rings);

}  // namespace vrnApi
