#pragma once
// The first reading of a DXF file, before dxflib sees it: the file is split
// into groups and checked whole (binary DXF, DWG, damaged or cut-off files are
// refused), and what dxflib must not be given is taken out and counted:
// objects with numbers that are not finite, counts that do not match their
// data or values longer than dxflib's lines, objects misplaced in the header,
// 3D objects, paper space, kinds this host does not import and objects beyond
// the number one file may bring. What dxflib is given is bounded by the file:
// no count or value of it makes dxflib allocate more than the groups that
// follow, and no line of it is longer than dxflib reads. It is made as dxflib
// reads it, an object at a time, so that neither the file's groups nor the
// text given are ever held whole beside the file.
#include <cstddef>
#include <map>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

namespace vlhost::dxf {

// A group of the file: its code and its value, a view into the file's bytes.
struct Group {
  int code = 0;
  std::string_view value;
};

struct Prepared {
  std::string version;          // $ACADVER ("AC1009" for R12, ...)
  std::string codePage;         // $DWGCODEPAGE, empty when not given
  int units = 0;                // $INSUNITS
  std::map<std::string, int> skipped;  // why → how many objects
};

// The longest value dxflib reads whole (its line buffer, less the end of line).
inline constexpr std::size_t kMaxValue = 1023;
// What one file may bring (in its blocks and model space together) and
// expand to, so that the host and the library's import of parts read any file
// within seconds and a few hundred megabytes: objects; their pieces (each
// object one at least, a polyline one a vertex, a spline one a control or fit
// point, a text one a line); the characters of texts.
inline constexpr std::size_t kMaxObjects = 500'000;
inline constexpr std::size_t kMaxPieces = 1'000'000;
inline constexpr std::size_t kMaxTextBytes = 10'000'000;
inline constexpr char kTooManyObjects[] = "objects beyond the 500,000 this host imports from one file";
inline constexpr char kTooManyPieces[] =
    "objects beyond the million pieces (vertices, points of splines, lines of texts) this host imports from one file";
inline constexpr char kTooMuchText[] = "texts beyond the ten million characters this host imports from one file";
// Layers and linetypes one file may define or draw on (each makes a layer
// or a line style of the document), and blocks it may define.
inline constexpr std::size_t kMaxLayers = 100'000;
inline constexpr std::size_t kMaxBlocks = 500'000;
inline constexpr char kTooManyLayers[] = "layers beyond the 100,000 this host reads from one file";
inline constexpr char kTooManyLinetypes[] = "linetypes beyond the 100,000 this host reads from one file";
inline constexpr char kOnTooManyLayers[] = "objects on layers beyond the 100,000 this host reads from one file";
inline constexpr char kOfTooManyLinetypes[] = "objects in linetypes beyond the 100,000 this host reads from one file";
inline constexpr char kTooManyBlocks[] = "blocks beyond the 500,000 this host reads from one file";

// Empty `error` when `bytes` can be read as a DXF text whole, or the reason it cannot.
bool Check(std::string_view bytes, std::string& error);

class Preparer;

// The groups of `bytes` (a file Check took) that dxflib may be given, as a
// DXF text, made piece by piece as it is read.
class PreparedText : public std::streambuf {
 public:
  explicit PreparedText(std::string_view bytes);
  ~PreparedText() override;
  PreparedText(const PreparedText&) = delete;
  PreparedText& operator=(const PreparedText&) = delete;

  // What the file's header gave and what was left out: whole once the text
  // was read to its end.
  const Prepared& Result() const;

 protected:
  int_type underflow() override;

 private:
  std::unique_ptr<Preparer> preparer_;
  std::string chunk_;
};

}  // namespace vlhost::dxf
