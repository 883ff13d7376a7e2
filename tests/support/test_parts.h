// Flat parts of the repository's test data (tests/data/parts.txt) and
// fragment files of outlines, for the library's tests on the stand-in host.
#pragma once

#include "geometry/Polygon.h"

#include <filesystem>
#include <string>
#include <vector>

namespace testparts {

// One part of tests/data/parts.txt.
struct Part {
    std::wstring name;
    int count = 1;
    double thickness = 0.0;
    std::wstring material;
    std::vector<NPoint> outline;
};

const std::vector<Part>& TestParts();
// A rectangle of the size with its lower-left corner at (x, y).
std::vector<NPoint> Rectangle(double x, double y, double w, double h);

// Writes a fragment file of the outline carrying count, thickness and
// material as document properties; the active document stays active.
// False when the host cannot save it.
bool WriteFragment(const std::filesystem::path& path, const std::vector<NPoint>& outline, int count = 1,
                   double thickness = 0.0, const std::wstring& material = L"");

}  // namespace testparts
