// Lower bounds on the number of bars a cutting-stock job needs that cost no
// linear programme: dual feasible functions. A function f on [0, 1] whose
// values over the pieces of any layout (lengths as shares of the bar) add up
// to at most 1 proves that the job needs at least the sum of f over all its
// pieces; the length itself is one such function, and the ones tried here
// also count what long pieces forbid (two pieces over half a bar never share
// one, three over a third never do, ...).
#pragma once

#include <cstdint>
#include <vector>

struct BarPieces {
    double length = 0.0; // one piece, cut gap included
    double count = 0.0;  // pieces wanted
};

// The best bound the functions give (the pieces' length over the bar at
// least), unrounded. `capacity` is what one bar holds (tolerance included).
double DualFunctionBound(const std::vector<BarPieces>& pieces, double capacity);
