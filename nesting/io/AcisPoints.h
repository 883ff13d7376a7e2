// Where an ACIS body of a DXF file (a region, a 3D solid, a body, a
// surface) stands: the points its data gives. Neither the host's converter
// nor the import reads the shape itself; a region drawn inside a part, or a
// solid over it, is still known to be there.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dxfimport {

struct AcisPoint {
    double x = 0.0, y = 0.0, z = 0.0;
};

// Most points an ACIS body is given by: its vertices first, then points
// round its circles and ellipses.
inline constexpr size_t kAcisMostPoints = 100'000;

// The points of the body the ACIS text `sat` holds (its lines as groups 1
// and 3 of the object give them, coded as DXF files code them, or plain):
// its vertices, and eight points round each of its circles and ellipses,
// placed by its transform. None when the text is none ACIS can be.
std::optional<std::vector<AcisPoint>> AcisTextPoints(std::string_view sat);

// The same of binary ACIS data (as DXF files from 2013 on keep it, in the
// section ACDSDATA).
std::optional<std::vector<AcisPoint>> AcisBinaryPoints(std::string_view sab);

}  // namespace dxfimport
