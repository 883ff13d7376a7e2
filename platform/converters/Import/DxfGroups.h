#pragma once
// The first reading of a DXF file, before dxflib sees it: the file is split
// into groups and checked whole (binary DXF, DWG, damaged or cut-off files are
// refused), and what dxflib must not be given is taken out and counted:
// objects with numbers that are not finite or counts that do not match their
// data, 3D objects, paper space and kinds this host does not import.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vlhost::dxf {

struct Group {
  int code = 0;
  std::string value;
};

struct Prepared {
  std::string stream;           // the groups kept, as a DXF text for dxflib
  std::string version;          // $ACADVER ("AC1009" for R12, ...)
  std::string codePage;         // $DWGCODEPAGE, empty when not given
  int units = 0;                // $INSUNITS
  std::map<std::string, int> skipped;  // why → how many objects
};

// Empty `error` and the prepared groups, or the reason the file cannot be read.
std::optional<Prepared> Prepare(const std::string& bytes, std::string& error);

}  // namespace vlhost::dxf
