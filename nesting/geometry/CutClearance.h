// How far apart parts' outlines stand as they are cut: lines and arcs taken
// exactly, not on the rings that follow the arcs from outside, so that a
// distance is what a measure of the cut part gives.
#pragma once

#include "geometry/RingClearance.h"

#include <vector>

namespace clearance {

// A piece of a cut outline: a line from `a` to `b`, or an arc from `a` to
// `b` about `centre`, starting in the direction `from` (radians) and turning
// by `sweep` (counter-clockwise positive, a whole circle 2π).
struct CutPiece {
    NPoint a, b;
    NPoint centre;
    double radius = 0.0;
    double from = 0.0;
    double sweep = 0.0;  // 0 for a line
    bool IsArc() const { return sweep != 0.0; }
};

CutPiece LinePiece(const NPoint& a, const NPoint& b);
// A degenerate arc (no radius, no turn, not finite) is the line of its ends.
CutPiece ArcPiece(const NPoint& centre, double radius, double from, double sweep);
// The sides of a ring as lines.
void AddRingPieces(const std::vector<NPoint>& ring, std::vector<CutPiece>& pieces);

// The piece turned by `angle` degrees about the origin and then moved by
// (x, y), as a macro placed so puts its members.
CutPiece Placed(const CutPiece& piece, double x, double y, double angle);

// The box of the piece, an arc's bulge included.
NRect PieceBox(const CutPiece& piece);

// The least distance between any point of one piece and any of the other;
// 0 where they touch or cross.
double PieceDistance(const CutPiece& p, const CutPiece& q);

// The least distance between a piece of `a` and one of `b` when it is below
// `reach`, kFar otherwise.
double PiecesDistance(const std::vector<CutPiece>& a, const std::vector<CutPiece>& b, double reach);

}  // namespace clearance
