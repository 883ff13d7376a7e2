// Reference checks of no-fit polygons: the Minkowski sum A + (-B) computed
// exactly by CGAL, and the direct test of whether B at a translation overlaps A.
#pragma once

#include "geometry/Polygon.h"
#include "support/esicup.h"

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace nfp_oracle {

using Ring = esicup::Ring;
using Item = esicup::Item;
using Instance = esicup::Instance;

// Reads one instance file of the shared data set, its outlines as the file
// gives them (an item without orientations takes the four quarter turns);
// false with a message.
bool LoadInstance(const std::filesystem::path& file, Instance& instance, std::string& error);

struct PairResult {
    bool failure = false;  // no ring, rings that bound no area, or an outline that is not simple
    bool mismatch = false; // region differs from the Minkowski sum, or a ring is not simple
    double ratio = 0.0;    // symmetric difference area / oracle area
    double ms = 0.0;       // time of the no-fit polygon builder
    size_t rings = 0;
    std::string detail;    // what was wrong, for the log
};

// What the rings of a no-fit polygon bound. Every ring is checked before it
// reaches the exact arithmetic, which must never see a ring that is not simple.
enum class RegionCheck { Valid, NoRegion, NotSimple, BadInput };

struct Comparison {
    RegionCheck check = RegionCheck::Valid;
    double ratio = 0.0;      // symmetric difference area / oracle area, when valid
    double difference = 0.0; // symmetric difference area
    // The difference a boundary moved by the point-equality tolerance makes:
    // EPS times the perimeters of A and B.
    double toleranceBand = 0.0;
    // Every region where B fits (a cavity of A + (-B), a part of the region
    // inside a hole) is found, however small: the band above never hides one.
    bool fitsFound = true;
    std::string detail;
    // Valid, every fit found, and the same region but for rounding or the
    // tolerance band.
    bool Matches() const
    {
        return check == RegionCheck::Valid && fitsFound && (ratio <= 1e-6 || difference <= toleranceBand);
    }
};

// The region of `rings` (even-odd: the orbit less its cavities) against A + (-B).
Comparison Compare(const VectorPolygon& rings, const Ring& a, const Ring& b);

// Compare's ratio; negative when the rings bound no valid region.
double MismatchRatio(const VectorPolygon& rings, const Ring& a, const Ring& b);

// Builds the no-fit polygon of B around A (exterior, reference point at the
// origin) and compares its region with A + (-B).
PairResult ComparePair(const Ring& a, const Ring& b);

// The region of `rings` (even-odd) against the translations that keep B
// inside `hole` (a region of no area, where B fits nowhere or only at points
// or along lines, matches no rings), within a band of the tolerance along
// the two regions' own boundaries.
Comparison CompareInner(const VectorPolygon& rings, const Ring& hole, const Ring& b);
// Builds the inner no-fit polygon of B in `hole` and compares it so.
PairResult CompareInnerPair(const Ring& hole, const Ring& b);

struct Summary {
    size_t pairs = 0;
    size_t innerPairs = 0; // of the pairs: B inside a hole of A
    size_t mismatches = 0;
    size_t failures = 0;
    std::vector<double> times;
    void Add(const Summary& other);
    std::string Line(const std::string& label) const;
};

// Every ordered pair of items and every pair of their orientations, B
// around A and inside each hole of A; details of bad pairs go to `log` when
// it is given.
Summary RunInstance(const Instance& instance, std::ostream* log);

// Interior of A (less its holes) and of B moved by t overlap by more than
// `minArea` (so that a touch computed in doubles is not taken for overlap).
bool Overlaps(const Ring& a, const Ring& b, const NPoint& t, const std::vector<Ring>& holes = {},
              double minArea = 1e-9);
// B moved by t lies inside A, but for at most `maxOutside` of its area.
bool Contains(const Ring& a, const Ring& b, const NPoint& t, double maxOutside = 1e-9);
// p lies in the region bounded by `rings` (even-odd), not on any ring.
bool StrictlyInside(const std::vector<Ring>& rings, const NPoint& p, double tol);
// p lies on one of the rings.
bool OnRings(const std::vector<Ring>& rings, const NPoint& p, double tol);

} // namespace nfp_oracle
