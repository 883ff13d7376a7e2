// The joints of a part's cut outline read from a DXF file: ends that CAD
// systems leave a hair apart are joined, and an outline left open is named
// by where its gap is.
#pragma once

#include "host/BorderRings.h"

#include <functional>
#include <string>
#include <vector>

namespace dxfimport {

// Curve ends closer than this (millimetres) are one joint of the outline:
// the size below which a ring is a point.
inline constexpr double kJoinTolerance = vrnApi::kPointRing;

// Whether two curve ends are one joint: within the point tolerance, or
// nearer than kJoinTolerance by more than the rounding of their coordinates.
bool WithinJoint(const NPoint& a, const NPoint& b);

// The ring each curve makes with others where it is drawn once and alone:
// the curves whose ends meet two by two (within the point tolerance) in one
// closed chain, with no other end within a joint of theirs (a small ring,
// a narrow slot, an outline of one polyline). Its joints may lie nearer to
// one another than a joint, but they are no ends a hair apart: they are not
// joined across it, and it keeps the shape the loading of the part reads
// (a hexagon of 0.0011 mm, two arcs of 0.001 mm). The same number for the curves of one ring; kNone
// (PointGrid::kNone) for a curve of no such ring. A ring within a point's
// box (its ends and middles less than kJoinTolerance apart either way) is
// a point, and none, unless `points` is given: it then tells such rings by
// their number.
std::vector<size_t> RingsDrawnAlone(const std::vector<vrnApi::CurveChord>& curves, std::vector<bool>* points = nullptr);

// Joins the ends of `curves` (chords of curves of `container` in `doc`)
// that lie closer than kJoinTolerance (WithinJoint): each end joins the
// nearest of the ends filed first within that distance of it (so that a run
// of pieces shorter than a joint makes joints one after another rather than
// one), and two joints with an
// end free each (an odd number of ends) that lie that near are joined, the
// nearest first; the curves of a ring drawn alone (RingsDrawnAlone) are
// left as they are. The ends of a joint that do not all lie within the point
// tolerance of one another are put onto one of them: ends of lines, arcs
// and splines that run through their end poles are moved there, the ends of
// other curves are linked to it by a line on layer 0 in the outline style.
// A line, or a curve no larger than a joint, whose two ends fall into one
// joint is deleted. The chords follow the curves; the links' chords are added.
void JoinNearEnds(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IDrawingContainerPtr& container,
                  std::vector<vrnApi::CurveChord>& curves);

// Where the outline of `curves`, made into `chains`, is open, as the refusal
// of the part says it: from the free end of the first chain that is not
// closed, a gap to the free end nearest to it; straight curves between two
// free ends that bound nothing; curves that leave the outline where it
// branches and end free; free ends nearer than a joint (three ends at one
// joint), that the chains branch there; where the chains branch with no
// free end at all, the first point where more than two curves meet.
// `open` gets the curves (indices of `curves`) that leave the outline open:
// those from every free end on to where the outline branches or to another
// free end; `meeting` (when given) the curves meeting at a branch point with
// no free end. `placeOf` tells where
// a free end (of the curve given by its index) stands: a free end told of
// that stands on another curve, not at its end, is said to; one whose curve
// runs on along that other curve is told as such instead of a gap.
enum class EndPlace { Free, OnCurve, AlongCurve };
using EndPlaceOf = std::function<EndPlace(const NPoint& end, size_t curve)>;
std::wstring OpenOutlineGap(const std::vector<vrnApi::CurveChord>& curves, const std::vector<NContourPtr>& chains,
                            std::vector<size_t>& open, const EndPlaceOf& placeOf = nullptr,
                            std::vector<size_t>* meeting = nullptr);

// A point as the import's messages give it: "(12.5; 40)".
std::wstring PointText(const NPoint& p);

}  // namespace dxfimport
