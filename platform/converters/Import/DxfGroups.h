#pragma once
// The first reading of a DXF file, before dxflib sees it: the file is split
// into groups and checked whole (binary DXF, DWG, damaged or cut-off files are
// refused), and what dxflib must not be given is taken out and counted:
// objects with numbers that are not finite, counts that do not match their
// data or values longer than dxflib's lines, objects misplaced in the header,
// 3D objects, paper space and kinds this host does not import. What dxflib is
// given is bounded by the file: no count or value of it makes dxflib allocate
// more than the groups that follow, and no line of it is longer than dxflib
// reads.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vlhost::dxf {

// A group of the file: its code and its value, a view into the file's bytes.
struct Group {
  int code = 0;
  std::string_view value;
};

struct Prepared {
  std::string stream;           // the groups kept, as a DXF text for dxflib
  std::string version;          // $ACADVER ("AC1009" for R12, ...)
  std::string codePage;         // $DWGCODEPAGE, empty when not given
  int units = 0;                // $INSUNITS
  std::map<std::string, int> skipped;  // why → how many objects
};

// The longest value dxflib reads whole (its line buffer, less the end of line).
inline constexpr std::size_t kMaxValue = 1023;

// Empty `error` and the prepared groups, or the reason the file cannot be read.
std::optional<Prepared> Prepare(const std::string& bytes, std::string& error);

}  // namespace vlhost::dxf
