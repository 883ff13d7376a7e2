// Exact distances between outlines made of line segments and circular arcs,
// as a cutting machine would follow them (no arc replaced by chords), and
// which outlines of a sheet belong to which part.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

namespace jobcheck {

// A piece of outline from a to b: a line, or an arc turning by `sweep`
// radians (counter-clockwise positive, |sweep| < 2π).
struct Edge {
    NPoint a, b;
    double sweep = 0.0;
};
using Loop = std::vector<Edge>;

// The least distance between any point of one edge and any point of the
// other; 0 when they touch or cross.
double EdgeDistance(const Edge& p, const Edge& q);

// The least distance between two outlines; stops looking once it is known
// to be below `below` (what it returns then is below it too).
double LoopDistance(const Loop& p, const Loop& q, double below);

// The box that holds the edges, arcs' bulges included.
NRect LoopBox(const Loop& loop);

// Each loop's enclosing loop (the smallest that holds it), -1 for none.
std::vector<int> Parents(const std::vector<Loop>& loops);

}  // namespace jobcheck
