// Host measurement of closed contours made of the drawing's own curves.
#pragma once

#include "geometry/Polygon.h"

namespace vrnApi {

// Area and curve length of one closed chain whose segments name host curves
// by reference, measured by the host on a temporary contour that is deleted
// again. False when the host made no contour of it or could not measure it.
bool MeasureContour(const NContour& contour, double& area, double& length);

}  // namespace vrnApi
