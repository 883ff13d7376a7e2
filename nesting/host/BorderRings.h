// The closed borders of one figure: host curves read as chords, chains of
// chords approximated, and the pure decisions about repeated curves and which
// ring is the outer border.
#pragma once

#include "geometry/Polygon.h"
#include "vlapi/vlapi.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The most a figure's border stands off its curves (outside the part, inside
// a hole), whatever the configured precision: round parts keep their gaps to
// within twice this much.
inline constexpr double kBorderSag = 0.025;  // mm

namespace vrnApi {

// Curve ends nearer than this are one point, and a closed curve or chain of
// curves whose box is smaller than this either way is a point, not a ring
// (a centre mark drawn as a circle of a micron): the import of a part joins
// ends and drops such rings by it, and the reading of a figure's borders
// drops the same rings, so that every ring a part file holds is read.
inline constexpr double kPointRing = 0.001;  // mm

// Whether the curves all lie within a box smaller than kPointRing either
// way (by more than the rounding of their coordinates), as the host gives
// their box; false when it gives none. `moved`: the curves have been moved
// since that was decided (a part file placed as a figure), and a box that
// rounding makes a hair smaller is still no point.
bool IsPointSized(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& curves, bool moved = false);
// Whether the curves of a chain of chords (whose references name curves of
// `doc`), moved since the import wrote them, are so.
bool IsPointChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& chain);

// One host curve seen as its chord (start to end, with the curve's reference)
// and the curve's point at its middle parameter.
struct CurveChord {
    NSegmentPtr chord;
    NPoint middle;
};

// The chord of one host curve (its start and end, with the curve's reference)
// and its middle point; false when the object has no curve to read.
bool ReadCurveChord(const vlapi::IDrawingObjectPtr& obj, CurveChord& out);

// The ring a figure's border is made of, from the closed chain `chain` (whose
// references name curves of the active document) and its straight
// approximation: a tangential polygon at the sag `arrow` running
// counter-clockwise, on the side of the curves away from the material (an
// outer ring's outside, a hole's inside), cleaned by the point tolerance;
// empty when that leaves no ring (a ring thinner than the tolerance). The
// chain is turned to run with the material on its left. A dense ring (a
// digitised outline, a text, a CAM export of thousands of short pieces)
// keeps only the vertices that stand out more than the fine chord sag:
// every later step on the figure works edge by edge. `strayed` grows to the
// farthest the thinned ring passes from the one it stands for, which the
// gap polygons add. The sag is never taken coarser than kBorderSag, and an
// arc's points on the axes and the diagonals are vertices (the ring reaches
// exactly as far as the part there), unless `atPrecision` asks for the
// curves followed at `arrow` however coarse, without them.
NPolygonPtr BorderRing(NContour& chain, NPolygon& approximation, bool outer, double arrow, double& strayed,
                       bool atPrecision = false);

// A chain whose last end meets its first start (each coordinate within 1e-4).
bool IsClosedChain(const NContour& contour);

// The joints of the curves' ends, one tolerance ruling what is one point:
// ends closer than the point tolerance (NPoint::operator==) are one joint,
// and so, through them, are all the ends of a run of such ends (exports
// repeat vertices, a hair's breadth apart and more than once). A curve whose
// two ends fall in one joint is a point and goes from `curves` (a line, or a
// curve no farther from its ends in the middle), however far the run of
// its joint reaches; one that comes back to its start from afar (a circle,
// a closed spline) stays, a ring of its own. `joints` gets the joint of
// each end of the curves left: 2c for the start of curve c, 2c + 1 for its end.
void CollapsePointCurves(std::vector<CurveChord>& curves, std::vector<size_t>& joints);

// The chains the curves make from joint to joint (joints as
// CollapsePointCurves gives them), each curve turned to run its chain's way,
// as CreateContinuousContours chains segments: a chain grows at either end
// by the first curve left (in the given order) that has an end at that
// end's joint. A curve closed on itself is a chain of its own. `open` counts
// the chains that do not come back to the joint they start from; their
// curves' ends need not meet by a hair within a joint.
std::vector<NContourPtr> ChainByJoints(const std::vector<CurveChord>& curves, const std::vector<size_t>& joints,
                                       size_t& open);

// The straight approximation of a closed chain of chords whose references name
// curves of `doc`: lines as they are, other curves within the configured sag.
// Empty when a reference names no object.
NPolygonPtr ApproximateChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour);

// Two curves with the same start, end and middle point, in the same direction,
// are one curve drawn twice, unless a third runs back along them between
// them (a zigzag narrower than the point tolerance, no material). A line and
// an arc between the same two points are not; nor is a curve and its reverse.
// Ends are the same where they are one joint (`joints` as CollapsePointCurves
// gives them).
bool HasRepeatedCurve(const std::vector<CurveChord>& curves, const std::vector<size_t>& joints);

// Why the rings cannot bound a part because one crosses itself or another:
// "контур пересекает сам себя в точке (x; y)" or "контуры пересекаются в
// точке (x; y)"; empty when no ring does.
std::wstring CrossingReason(const std::vector<NPolygonPtr>& rings);

// Copies of the rings without their spikes (the ring running out and right
// back along one line, wherever it runs: past another ring, across it or
// across another spike), on which what holds what is decided: a spike holds
// no material. A ring that is nothing but spikes stays as it is.
std::vector<NPolygonPtr> WithoutSpikes(const std::vector<NPolygonPtr>& rings);

// The index of the ring that holds every other ring (contact with its boundary
// allowed); NOT_FOUND_INDEX when no ring does. Among rings of equal standing
// the one with the larger gabarit area wins.
size_t FindOuterRing(const std::vector<NPolygonPtr>& rings);

// Two rings of which neither holds the other, when no ring holds every ring:
// the ring of the largest gabarit and the first ring outside it.
std::pair<size_t, size_t> RingsApart(const std::vector<NPolygonPtr>& rings);

// A ring other than `outer` that holds another such ring (an island within a
// hole), contact with its boundary allowed: the hole and the island.
std::optional<std::pair<size_t, size_t>> RingInHole(const std::vector<NPolygonPtr>& rings, size_t outer);
inline bool HasRingInHole(const std::vector<NPolygonPtr>& rings, size_t outer)
{
    return RingInHole(rings, outer).has_value();
}

}  // namespace vrnApi
