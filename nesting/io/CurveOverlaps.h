// Curves of a part's cut outline that lie on one another: one hole drawn as a
// circle and again as a polyline of two bulges, an edge drawn as one line and
// again in pieces, arcs of one circle split at other angles. Whatever their
// kinds and split points, curves that run nearer to one another than the
// ends a joint takes as one (0.001 mm) are one curve: the outline keeps each stretch once.
#pragma once

#include "host/BorderRings.h"
#include "io/DxfPartDrawing.h"

#include <optional>
#include <vector>

namespace dxfimport {

// Curves shorter than this take no part: they are joints, not stretches of
// the outline (OutlineJoints), and near their ends any curve runs within the
// tolerance of its neighbour.
inline constexpr double kLeastOverlapping = vrnApi::kPointRing;

// Curves running along one another from one point that are told apart, at most.
inline constexpr size_t kMostAlong = 64;

// Makes every stretch of the outline that `curves` (chords of the curves
// `objects` of `container`, one a curve) cover more than once
// covered once. Curves that lie on one another (nearer than a joint)
// form a group; the group's curves are taken one by one (those that cannot
// be cut first, then the longest first) and each keeps only what the ones
// taken before do not cover: a curve covered whole is deleted, one covered
// in part is cut to the rest (lines, arcs and circles; a circle becomes
// arcs), each new end put on the end of the curve that covers it. A group
// is left as it is where a curve from outside it ends at an end of one of
// its curves inside the stretch they cover together: that is two outlines
// sharing an edge (a hole along the outer outline), each of them closed.
// Where sides of one ring drawn alone (its curves' ends meeting two by two
// in one closed chain, no other end within a joint of them; larger than a
// point's box) lie on one another, `thin`, when given, gets the first
// place: the ring is thinner than a joint there (a slit), or runs along
// itself. A ring drawn alone within a point's box is left to the points,
// wherever it stands. The vectors follow: deleted curves leave, cut ones are read again, pieces
// are added; the pieces take the file layer of their curve in `fileLayers`.
// Where more than kMostAlong curves run along one another from one point,
// their group is left as it is drawn (a file that piles up curves so is not
// searched through in time squared), and that point is returned.
std::optional<NPoint> DropOverlaps(const vlapi::IDrawingContainerPtr& container, std::vector<vrnApi::CurveChord>& curves,
                                   std::vector<vlapi::IDrawingObjectPtr>& objects, FileLayers* fileLayers,
                                   std::optional<NPoint>* thin = nullptr);

}  // namespace dxfimport
