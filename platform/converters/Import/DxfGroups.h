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
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vlhost::dxf {

// A group of the file: its code and its value, a view into the file's bytes.
struct Group {
  int code = 0;
  std::string_view value;
};

// What a conversion leaves out, by why: how many objects, and where the
// first few stand (kind, layer, block, point), so that the user can find them.
class Leftovers {
 public:
  void Add(const std::string& why, const std::string& where);
  void Add(const Leftovers& other);
  // Whether one more object left out for `why` would be named (not only counted).
  bool Names(const std::string& why) const;
  bool Empty() const { return byWhy_.empty(); }
  // "why — n (where, where, … and k more); why — n (…)"; UTF-8.
  std::string Text() const;

 private:
  struct Entry {
    std::size_t count = 0;
    std::vector<std::string> places;
  };
  std::map<std::string, Entry> byWhy_;
};

// Where an object stands for Leftovers: "<kind> на слое «<layer>»
// [в блоке «<block>»] [у (x; y)]", the point left out when it is not finite.
std::string Place(std::string_view type, std::string_view layer, std::string_view block, double x, double y);

// Orders DXF names (of blocks, layers) as the file means them: one name
// whatever the case of its Latin letters ("Hole" is the block "HOLE").
struct NoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

inline bool SameName(std::string_view a, std::string_view b) { return !NoCase()(a, b) && !NoCase()(b, a); }

struct Prepared {
  std::string stream;           // the groups kept, as a DXF text for dxflib
  std::string version;          // $ACADVER ("AC1009" for R12, ...)
  std::string codePage;         // $DWGCODEPAGE, empty when not given
  int units = 0;                // $INSUNITS
  Leftovers skipped;
  std::set<std::string, NoCase> duplicateBlocks;  // defined more than once (the first definition read)
  std::set<std::string, NoCase> externalBlocks;   // external references: their drawings are other files
};

// The longest value dxflib reads whole (its line buffer, less the end of line).
inline constexpr std::size_t kMaxValue = 1023;

// Empty `error` and the prepared groups, or the reason the file cannot be read
// (in Russian, as the host speaks). Nothing after the first EOF is read;
// blocks that nothing in the model space inserts are left out unread.
std::optional<Prepared> Prepare(const std::string& bytes, std::string& error);

}  // namespace vlhost::dxf
