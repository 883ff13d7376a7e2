// Exact areas of regions given as rings (outer ring first, holes after),
// computed by CGAL for the independent checks of a drawing (tests and
// tools; never linked into the library). Rings run in any orientation, their
// first point repeated at the end or not. Every ring is checked before the
// exact arithmetic sees it: it is taken as its Material (consecutive
// repeats of a point and the tips of spikes, slivers too, dropped). A ring
// that touches itself (comes back within 0.001 mm of a point it passed)
// bounds what an odd number of its loops enclose, and holes may touch the
// outline and one another. A ring that crosses itself, bounds nothing, or a
// hole that leaves the outline or crosses another cannot be measured: the
// functions throw Unmeasurable, naming the ring.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <stdexcept>
#include <vector>

namespace areas {

using Ring = std::vector<NPoint>;
using Region = std::vector<Ring>;

class Unmeasurable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The ring without consecutive repeats of a point (the first compared with
// the last, coordinates exactly equal).
Ring WithoutRepeats(const Ring& ring);
// The ring without repeated points and the tips of spikes (zero-area
// features), until it turns only at real corners.
Ring WithoutSpikes(Ring ring);

// The ring as a part's material, by the library's rule for outlines (kept
// here apart from its code): vertices closer than the point tolerance are
// one, and a spike whose sides stay within the point tolerance of each
// other, however long, holds no material, as one of no width holds none
// (a ring that is no more than a sliver keeps its corners).
Ring Material(const Ring& ring);

// The loops of a ring that runs through a point more than once (a region
// pinched at a point), each without such a repeat.
std::vector<Ring> SplitAtRepeatedPoints(const Ring& ring);

double Area(const Region& region);
// The area the two regions have in common.
double OverlapArea(const Region& a, const Region& b);
// The area of `inner` that lies outside `outer`.
double OutsideArea(const Region& inner, const Region& outer);
// The area the two regions have in common once each is shrunk by `shrink`
// (> 0): the overlap that counts when parts may touch. Shrinking
// distributes over the intersection, so the exact common region is shrunk.
double ShrunkOverlapArea(const Region& a, const Region& b, double shrink);

}  // namespace areas
