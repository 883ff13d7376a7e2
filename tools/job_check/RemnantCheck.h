// The remnants of a job against its parts: a remnant is stock that can be
// cut again, so none may hold a part or reach into the gap kept around one,
// and each has the size it is registered with.
#pragma once

#include "job_check/JobDrawing.h"

#include <string>
#include <vector>

namespace jobcheck {

struct RemnantReport {
    std::vector<std::string> faults;  // one line each
    std::string passed;               // what was measured, when no fault was found
};

// Every remnant standing on a sheet measured against every part of that
// sheet: no common area (beyond 1e-6 mm², once the common area is shrunk by
// 0.006 mm: a remnant running along a part's curve shares slivers with it
// where the two are sampled apart), and no point of its outline
// nearer to a part's outline than the part gap, less 0.01 mm. Each remnant
// is at least 1 mm in both directions (its registered size is never 0), and
// with remnants made as rectangles only, every rectangle is larger than the
// minimum size set for them (less 0.000001 mm), as is each remnant built
// from the free area.
RemnantReport CheckRemnants(const Job& job);

}  // namespace jobcheck
