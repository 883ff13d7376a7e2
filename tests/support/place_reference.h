// Strip-packing jobs of the ESICUP format placed by the optimiser on the
// stand-in host, and the checks of the result: every copy placed, no two
// overlapping (measured exactly with CGAL, stricter than the system's own
// test). Shared by place_bench and the engine tests.
#pragma once

#include "geometry/Polygon.h"
#include "support/esicup.h"

#include <filesystem>
#include <string>
#include <vector>

namespace place_check {

using Ring = esicup::Ring;
using Item = esicup::Item;         // orientations empty: any
using Instance = esicup::Instance;

// Reads one instance file, its outlines made counter-clockwise; false with a
// message, also for a file without a strip height.
bool LoadInstance(const std::filesystem::path& file, Instance& instance, std::string& error);

// Realistic millimetres: the industrial instances (gardeyn*) and the files
// that say so are millimetres already; the classic ones are scaled to a strip
// 1,000 mm high.
void ScaleToMillimetres(Instance& instance);

// One copy of an item after the run.
struct Copy {
    size_t item = 0;
    Ring outline;       // the item's outline where the copy ended
    bool placed = false; // owned by the strip, its outline inside it
    std::string why;     // for a copy not placed: the reason
    std::vector<Ring> holes; // the item's holes where the copy ended
};

struct Overlap {
    size_t a = 0; // indices into Outcome::copies
    size_t b = 0;
    double area = 0.0; // common area of the two shrunk outlines, mm²
    // Why the pair could not be measured (an outline the exact arithmetic
    // cannot take): it counts as overlapping. Empty when measured.
    std::string unmeasured;
};

struct Outcome {
    // Why the instance was not run (the engine cannot give every item
    // exactly its allowed orientations); empty when it was.
    std::string refused;
    std::vector<Copy> copies;
    size_t placed = 0;
    double density = 0.0; // item area placed / (strip height × used length)
    double seconds = 0.0; // processor time of the placement run alone
    std::vector<Overlap> overlaps;
};

// Places every copy of every item on one strip sheet as high as the
// instance's strip: gaps 0, no automatic sheets, each item tried in exactly
// the orientations it allows (refused when the engine cannot). Needs the library's host globals to point at a running host; makes
// a new drawing in it.
Outcome PlaceOnStrip(const Instance& instance);

// Copies are counted as overlapping when their outlines, each shrunk by this
// much (mm), share more than kOverlapArea (mm²).
constexpr double kOverlapShrink = 0.05;
constexpr double kOverlapArea = 1e-6;

// The pairs of the placed copies that overlap by that rule, exactly, and
// those that cannot be measured.
std::vector<Overlap> FindOverlaps(const std::vector<Copy>& copies);

// "a 3 (item 1) and 7 (item 4): 0.25 mm²"
std::string Describe(const Instance& instance, const Outcome& outcome, const Overlap& overlap);

} // namespace place_check
