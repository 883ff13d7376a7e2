// Kernel plane curves drawn as host objects of the same kind, and back: the
// points of a kernel curve, and the closed borders of what a container holds.
#pragma once

#include "geometry/Polygon.h"
#include "io/ImportPartMetaData.h"
#include "vlapi/vlapi.h"

#include <vector>

namespace flatpattern {

// A segment, arc (a whole circle as a circle) or NURBS as a new host object
// in the line style; null for a curve of another kind or when the host
// makes none.
vlapi::IDrawingObjectPtr DrawLineSeg(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve,
                                     int style);
vlapi::IDrawingObjectPtr DrawArc(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve, int style);
vlapi::IDrawingObjectPtr DrawNurbs(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve,
                                   int style);

// Appends the curve's polygon within a sag of 0.5 mm.
void GetPointsFromCurve(const SPtr<MbCurve>& curve, std::vector<NPoint>& points);

// Appends the closed borders of the container's curves on layer 0, then sorts
// all of `borders` by the area of their boxes, largest first.
void InitBordersFromContainer(const vlapi::IDrawingContainerPtr& container, std::vector<NPolygonPtr>& borders);

}  // namespace flatpattern
