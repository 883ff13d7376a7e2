#pragma once
// Pieces the kernel's sources share; not for callers.
#include <functional>
#include <map>

#include "geom/Curves.h"
#include "kernel/Topology.h"

namespace kernel {

// Points closer than this are one point when faces are built and sewn.
inline constexpr double kJoin = 1e-6;

// An angle in (-π, π].
double Wrap(double angle);
// Whether `angle` lies on the counter-clockwise run from `from` by `sweep` (>= 0), within `eps`.
bool OnRun(double angle, double from, double sweep, double eps);

vlhost::geom::Curve GeomOf(const MbCurve& curve);
vlhost::geom::Point GeomOf(const MbCartPoint& p);

// The angle of `p` about the Z axis of `frame`, from its X axis.
double AngleAbout(const MbPlacement3D& frame, const MbCartPoint3D& p);
// Whether the arc turns about the Z axis of `frame` (parallel axes, centre on it).
bool TurnsAbout(const MbArc3D& arc, const MbPlacement3D& frame);
// The arc's run about the Z axis of `frame` from the angle `from` (radians,
// counter-clockwise about that axis, >= 0 in `sweep`).
void RunAbout(const MbArc3D& arc, const MbPlacement3D& frame, double& from, double& sweep);

// How far an edge turns about the Z axis of `axis` as its loop runs it
// (counter-clockwise positive; 0 for a segment).
double TurnOf(const MbOrientedEdge& edge, const MbPlacement3D& axis);

// Signed area of a loop (positive counter-clockwise about the face's outward
// normal); false when its edges are of kinds the face cannot measure.
bool LoopArea(const MbFace& face, const MbLoop& loop, double& area);

// Makes a loop of new edges over the curves, each turned to follow the one
// before; null when they do not join into a closed loop.
MbLoop* LoopOf(const MbSpaceCurves& curves);
// The loop run the other way.
MbLoop* Reversed(const MbLoop& loop);
// Sets the faces of every edge of the shell from the loops that use it.
void LinkEdges(MbFaceShell& shell);
// Fits a plane face's parameter ranges to its loops.
void FitRanges(MbFace& face);

// Copies a solid through two maps: faces (a new face without loops, or null
// to fail) and edge curves (a new curve, or null to fail). Loops keep their
// order and orientations; each edge is mapped once, so the copy keeps the
// solid's topology. Plane faces get ranges fitted to their new loops.
struct SolidMap {
  std::function<MbFace*(const MbFace& face, std::size_t index)> face;
  std::function<MbCurve3D*(const MbCurveEdge& edge)> curve;
};
MbSolid* MapSolid(const MbSolid& solid, const SolidMap& map);
// The same for some faces alone: a solid of their copies.
MbSolid* MapFaces(const std::vector<const MbFace*>& faces, const SolidMap& map);

}  // namespace kernel
