// The closed curves a DXF file draws, as its groups give them, read by the
// import itself: where the host's converter leaves a curve out (a vertex
// that is no number, a layer name longer than it reads), the import still
// knows where that curve stood, and so whether the part's outline is what
// was lost.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace dxfimport {

// A closed curve of the file: how a message names it ("полилиния на слое
// «0» у (0; 0)", "... в блоке «B» у ..."), and the box of its points that
// are plain finite numbers (a circle's and an ellipse's reach about their
// centre), in millimetres where the drawing has it: the file's units
// applied, a block's copy placed as inserted. A circle or an ellipse whose
// size is no number has its centre for its box and is not `sized`.
struct FileCurve {
    std::wstring named;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    bool sized = true;
    // `named` names several curves closing one ring together (they hold).
    bool several = false;
    // Drawn in paper space (or in a block inserted there); `frame`: there
    // around one of its viewports (a sheet's frame about a view of the model).
    bool paper = false;
    bool frame = false;
    // Made invisible (group 60), or in a block copy that is: not drawn, so
    // not cut, as a curve on a hidden layer is not.
    bool invisible = false;
    // A hatch, by its boundary: a fill, never cut, so never a hole the
    // part would lack (though it may be all that draws a lost outline). So
    // are a solid fill (SOLID), a trace and a wipeout.
    bool fill = false;
    // On a layer off or frozen (or in a block copy on a frozen one), or in
    // a linetype with gaps: not drawn, or not cut.
    bool hidden = false;
    bool uncut = false;
    // Where it stands is not known: an ACIS body (a region, a solid) whose
    // data could not be read. Its box is a point, and says nothing.
    bool unplaced = false;
    // The curve followed within the configured sag, where the drawing holds
    // it (a curve on a hidden layer): what it encloses is then told exactly,
    // not by its box alone. Empty for a curve known only from the file.
    std::vector<NPoint> ring;
    // Points of a curve known from the file that lie on it, placed as its
    // box is: its vertices and the middles of its edges, points round a
    // circle or an ellipse, points along a spline, the ends and middles of
    // the pieces of a ring, the corners and edges of a hatch's boundary (at
    // most kOnPoints, taken evenly along it). A curve of no known size has
    // its centre alone.
    std::vector<NPoint> on;
};

inline constexpr size_t kOnPoints = 64;

// The closed curves (polylines, 3D ones by their plan, circles, arcs and
// ellipses of a whole turn, splines, hatches by their boundary), the closed
// shapes of the kinds the converter does not read (multilines closed or
// capped at both ends, regions, 3D solids, bodies and surfaces by the points
// of their ACIS data, faces and meshes by their plan, helices of a turn or
// more, solid fills, traces, wipeouts, images and OLE frames), and the rings
// open lines, arcs and polylines close end to end, of the file's model space and paper space and
// of the blocks they insert (an array's first copy; external references
// and blocks deeper than the converter reads too), in the file's order, for
// which `keep` holds (asked of the box: the name is made for those kept,
// "... в пространстве листа ..." for those of paper space); none when the
// file cannot be read as text groups. Curves and block copies on planes
// tilted out of the drawing's are taken by their plan. Only so
// many block copies are looked into as the converter visits.
std::vector<FileCurve> ClosedFileCurves(const std::filesystem::path& file,
                                        const std::function<bool(const FileCurve&)>& keep);

}  // namespace dxfimport
