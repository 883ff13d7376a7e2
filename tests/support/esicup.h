// Instances of the ESICUP irregular strip-packing set, in the JSON form of
// the shared data: read for the no-fit polygon oracle and the placement
// checks (tests and benchmarks only).
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <filesystem>
#include <string>
#include <vector>

namespace esicup {

using Ring = std::vector<NPoint>;

struct Item {
    std::string id;
    Ring ring;                        // as the file gives it, without a repeated first point
    std::vector<Ring> holes;          // likewise ("holes" beside the outline's "data", or "inner" beside "outer",
                                      // beside the shape's "type" or in its "data")
    int demand = 1;
    std::vector<double> orientations; // degrees; empty: the file names none
};

struct Instance {
    std::string name;
    double stripHeight = 0.0; // 0 when the file gives none
    bool millimetres = false; // the file says so ("units": "mm")
    std::vector<Item> items;
};

// Reads one instance file; false with a message for a file that is not one
// (no items, an item of fewer than three points or of negative demand).
bool Load(const std::filesystem::path& file, Instance& instance, std::string& error);

// The ring turned by `degrees` about `pole`, quarter turns exactly.
Ring Turned(const Ring& ring, double degrees, const NPoint& pole = {});

} // namespace esicup
