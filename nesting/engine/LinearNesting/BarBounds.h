// Lower bounds on the number of bars a cutting-stock job needs that cost no
// linear programme: dual feasible functions. A function f on [0, 1] whose
// values over the pieces of any layout (lengths as shares of the bar) add up
// to at most 1 proves that the job needs at least the sum of f over all its
// pieces; the length itself is one such function, and the ones tried here
// also count what long pieces forbid (two pieces over half a bar never share
// one, three over a third never do, ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct BarPieces {
    double length = 0.0; // one piece, cut gap included
    double count = 0.0;  // pieces wanted
};

// The best bound the functions give (the pieces' length over the bar at
// least), unrounded. `capacity` is what one bar holds (tolerance included).
double DualFunctionBound(const std::vector<BarPieces>& pieces, double capacity);

// The bound of the linear relaxation of the cutting-stock programme (bars
// of each layout in fractions), solved on a smaller job that every plan of
// the pieces also cuts: the lengths fall into at most `classes` classes of
// neighbours, each piece taken as short as the shortest of its class, and
// are measured in whole steps of a grid, rounded down. Its layouts come by
// column generation, each the best at the programme's prices by dynamic
// programming over the grid; at any prices y of a piece under which no
// layout is worth more than U, the pieces need at least sum(y × count) / U
// bars (Farley), and the best of these is kept. It stops once the
// programme's bars round up to no more than the bound, or than `known` (a
// bound proven otherwise), does; `work` bounds the work (in about
// nanoseconds) and gives what it took. The bound is 0 when the programme
// could not be started.
struct RelaxedBound {
    double bars = 0.0;  // unrounded
    double work = 0.0;
};
RelaxedBound RelaxationBound(const std::vector<BarPieces>& pieces, double capacity, double known, double work,
                             size_t classes = 300);
