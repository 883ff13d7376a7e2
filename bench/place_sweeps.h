// The sweeps of place_bench: one job family placed at sizes from 100 to
// 2,000 pieces, and instances placed on strips from the tallest part's height
// up, each run checked as the bench checks a job.
#pragma once

#include "support/place_reference.h"

#include <filesystem>
#include <string>
#include <vector>

namespace place_sweeps {

// A fresh drawing on a fresh stand-in host in `scratch` (emptied first), the
// job placed on its strip there.
place_check::Outcome PlaceOnFreshHost(const place_check::Instance& instance, const std::filesystem::path& scratch);

// The instance with its demands scaled in proportion so that it has `pieces`
// copies in all (the rest of the rounding one copy each to the first items).
place_check::Instance Resized(const place_check::Instance& instance, size_t pieces);

// The narrowest strip every item fits, each in the orientations of 0° and
// 90° it allows (no orientation named: both).
double TallestPartHeight(const place_check::Instance& instance);

// place_bench --sizes FILE [N ...]: FILE's job at N pieces each (100, 200,
// 500, 1,000, 2,000 when none is given).
int SizeSweep(const std::filesystem::path& file, const std::vector<size_t>& sizes,
              const std::filesystem::path& scratch);

// place_bench --strips FILE|DIR ...: every job on strips of 1, 1.02, 1.1,
// 1.25, 1.5, 2 and 3 times its tallest part's height, that height and
// 0.001 mm and 1 mm more, and its own.
int StripSweep(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& scratch);

// place_bench --turns: long bars and short ones on strips from 1.3 to 200
// times as long as they are wide, turned in steps of 90° and of 45°, each
// run in a process of its own: the pieces placed, the density, the seconds
// of the placement and the peak memory of the process. A run fails when a
// piece is not placed, pieces overlap, or it takes 500 MB or more, or
// half a second or more for one piece (two for a job).
int TurnSweep(const std::filesystem::path& scratch);

} // namespace place_sweeps
