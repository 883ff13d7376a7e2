// The steps that make a drawing read from a DXF file into a part's fragment:
// its objects sorted onto layers by line style, and its cut outline checked
// and cleaned by the rules of a figure's closed borders.
#pragma once

#include "host/HostAccess.h"
#include "io/DxfFileCurves.h"
#include "vlapi/vlapi.h"

#include <map>

#include <string>

namespace dxfimport {

// The layer of the texts in a part's fragment; the cut outline stands on layer 0.
inline constexpr int kTextLayer = 1;
// The line style of the cut outline (the host's main line).
inline constexpr int kOutlineStyle = 1;

// Why an outline cannot make a figure when the drawing holds none: the
// start of the reason CheckOutline gives then.
inline constexpr wchar_t kNoOutlineReason[] = L"нет замкнутого внешнего контура";

// `n` with the word of its count: "1 отрезок", "2 отрезка", "5 отрезков".
std::wstring Counted(size_t n, const wchar_t* one, const wchar_t* few, const wchar_t* many);

// The name of the layer each object stood on in the file it was read from,
// by the object's reference.
using FileLayers = std::map<reference, std::wstring>;

// Puts every object of `view` on the layer of its kind: curves of the main
// line style on layer 0 (the cut outline), texts on the text layer, the
// objects of each other line style on a layer of their own (numbered from 2
// in the order the styles are met). The layers the drawing had are replaced;
// their names are kept in `fileLayers` when given. Curves on layers that
// are off or frozen are deleted (they are not drawn, so not cut); what they
// were is told in `hiddenCurves` by layer and kind ("2 окружности на слое
// «HOLES»"), empty when there were none, and the closed ones among them go
// to `hiddenRings`, each named with its place, with its box, and so do the
// rings that open ones close together (an outline of lines on a frozen layer).
// Texts on those layers are not shown either, so they give no marking: they
// are deleted too, and go to `hiddenTexts` (each with its layer's name).
struct LayerText {
    std::wstring layer;
    std::wstring text;
};
void SortOntoLayers(const vlapi::IViewPtr& view, FileLayers* fileLayers = nullptr,
                    std::wstring* hiddenCurves = nullptr, std::vector<FileCurve>* hiddenRings = nullptr,
                    std::vector<LayerText>* hiddenTexts = nullptr);

// Why the part cannot be taken from what of its file `view` holds: the
// outline was lost, a closed curve left out holds every curve to cut (the
// drawing's box of them) with room beyond it, so that a hole would be
// written as the part. Left out are the closed curves of hidden layers
// (`hiddenRings`), the rings `view` has in other line styles, which are not
// cut (closed curves, or open ones closing one together; their layers as
// `fileLayers` gives them) and, when given, the curves the reader did not take of
// the DXF `file` for whatever reason (found by reading the file's groups for
// rings that hold the cut curves, in paper space, 3D, external references
// and blocks of any depth too, and taking away one for each ring of its box
// that `view` has of other line styles or `hiddenRings` has; paper space's
// rings do not count around a viewport, nor about cut curves that make a
// part with holes: paper space has coordinates of its own; a circle or an
// ellipse left out whose size is no number counts when its centre lies among
// the cut curves, as it may be the outline). Names the curve lost; empty
// when none was.
std::wstring LostOutline(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view,
                         const std::vector<FileCurve>& hiddenRings, const std::filesystem::path* file,
                         const FileLayers* fileLayers = nullptr);

// The closed curves of the DXF `file` (as ClosedFileCurves finds them, in
// blocks of any depth too) that the reader did not take into `view`: those
// of which some point does not lie on a curve `view` holds, on any layer
// (read before the curves of hidden layers go), and those of no known size.
// Curves in paper space, made invisible, hatches (fills, never cut) or
// within a point's box are none.
std::vector<FileCurve> CurvesNotRead(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view,
                                     const std::filesystem::path& file);

// Why the part on layer 0 of `view` is not written: curves of `notRead`
// stand, even in part, inside its outer outline (the ring of the largest
// box its curves close, closed curves or chains), where the part would
// lack them (a hole, whatever the reader left it out for: 3D, of a kind it
// does not read, a value that is no number, ...). Names them (a few, and how
// many more) with their layers and places; empty when none does.
std::wstring LostHoles(const vlapi::IViewPtr& view, const std::vector<FileCurve>& notRead);

// The rings the curves of `curves` make: closed curves, and open ones
// chained end to end, each named by its kinds, its layers (as `layerOf`
// gives them) and its place ("окружность на слое «0» у (50; 50)", "4
// отрезка на слое «F» (контур у (0; 0))"), with its box and its course.
// `curves` stand in the active document.
std::vector<FileCurve> NamedRings(const std::vector<vlapi::IDrawingObjectPtr>& curves,
                                  const std::function<std::wstring(const vlapi::IDrawingObjectPtr&)>& layerOf);

// The closed curves of `view` in line styles other than the outline's (on
// the layers SortOntoLayers gives them), which are not cut, by layer (that
// `fileLayers` gives them) and kind; empty when there are none.
std::wstring ClosedCurvesNotCut(const vlapi::IViewPtr& view, const FileLayers* fileLayers);

// Why the outline on layer 0 of `view` cannot make a figure; empty when it
// can. The first problem found is named, each at its place (a point, or
// the layers and kinds of the curves), in this order: a size no part has, a
// curve that cannot be read, no curve to cut (with what the drawing holds
// instead), an open chain (with where its gap is), an outline that crosses
// itself or another, two outer outlines, an outline inside a hole. On the
// way, objects on layer 0 that are not single curves (polylines, contours,
// rectangles) are broken into their lines and arcs, a curve drawn again
// over one already there (either way round) is deleted, curves lying on one
// another are made one (DropOverlaps), and ends a hair apart are joined
// (JoinNearEnds); before that, curves that lie within a point's box
// (vrnApi::kPointRing) apart from the others are deleted, as the reading of
// the figure would take them for points: `points`, when given, names them
// by layer and kind with the place of the first (empty when none the
// drawing tells from a point went). An open outline is told with the kinds
// of its open curves and the layers `fileLayers` gives them (the pieces of
// a polyline take its layer). `doc` must be the active document.
std::wstring CheckOutline(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view,
                          FileLayers* fileLayers = nullptr, std::wstring* points = nullptr);

}  // namespace dxfimport
