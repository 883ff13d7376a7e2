// The units a DXF file's drawing is in, as its header gives them ($INSUNITS):
// the host's DXF reader takes the drawing into millimetres by them, and the
// import says so for each part they scaled.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace dxfimport {

// The unit code (1 to 24) the header of the DXF file `file` gives, read as
// the host's reader reads it (the last value from 0 to 24 of $INSUNITS in a
// HEADER section counts); none when it gives millimetres (4), no units (0)
// or none at all, which the reader takes as millimetres, and none for a file
// that cannot be read.
std::optional<int> ScalingUnits(const std::filesystem::path& file);

// The code names a unit of $INSUNITS (0, no units, to 24).
bool IsUnitCode(long code);
// Millimetres in one unit of the code `code` of $INSUNITS; 1 for a code
// that names no unit (the reader then takes millimetres).
double MillimetresIn(long code);

// What the import says of a part drawn in the units `code`: "единицы файла
// ($INSUNITS) — метры: размеры умножены на 1000".
std::wstring UnitsText(int code);

}  // namespace dxfimport
