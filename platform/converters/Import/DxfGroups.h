#pragma once
// The first reading of a DXF file, before dxflib sees it: the file is split
// into groups and checked whole (binary DXF, DWG, damaged or cut-off files are
// refused), and what dxflib must not be given is taken out and counted:
// objects with numbers that are not finite, counts that do not match their
// data or values longer than dxflib's lines, objects misplaced in the header,
// 3D objects, paper space, kinds this host does not import and what lies
// beyond the caps of one file. What dxflib is given is bounded by the file: no
// count or value of it makes dxflib allocate more than the groups that follow,
// and no line of it is longer than dxflib reads. It is made as dxflib reads
// it, an object at a time, so that neither the file's groups nor the text
// given are ever held whole beside the file.
#include <cstddef>
#include <map>
#include <memory>
#include <set>
#include <streambuf>
#include <string>
#include <string_view>
#include <unordered_set>
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
  void Add(const std::string& why, const std::string& where, std::size_t count = 1);
  void Add(const Leftovers& other);
  // Whether one more object left out for `why` would be named (not only counted).
  bool Names(const std::string& why) const;
  bool Empty() const { return byWhy_.empty(); }
  // Objects named for each why; the rest are counted.
  static constexpr std::size_t kPlaces = 3;
  // "why — n (where, where, … and k more); why — n (…)"; UTF-8. A why
  // added with no count stands alone.
  std::string Text() const;
  // The same of the whys BeyondCaps tells (`caps`), or of the others.
  std::string Text(bool caps) const;
  bool Empty(bool caps) const { return Text(caps).empty(); }

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

// Hashes and compares DXF names so: for sets of many names.
struct NoCaseHash {
  std::size_t operator()(std::string_view s) const;
};
struct NoCaseEqual {
  bool operator()(std::string_view a, std::string_view b) const { return SameName(a, b); }
};

// What the first reading left out of one block for one why: how many, and
// the kind, layer and point (in the block's coordinates) of the first few,
// to be named where each copy of the block puts them.
struct BlockLeftovers {
  struct Named {
    std::string type, layer;  // the layer as UTF-8
    double x, y;
  };
  std::size_t count = 0;
  std::vector<Named> named;
};

struct Prepared {
  std::string version;          // $ACADVER ("AC1009" for R12, ...)
  std::string codePage;         // $DWGCODEPAGE, empty when not given
  int units = 0;                // $INSUNITS
  Leftovers skipped;  // of the model space
  // Of the blocks, by block and why: an object of a block stands in the
  // drawing where the block's copies put it, and is left out once a copy.
  std::map<std::string, std::map<std::string, BlockLeftovers>, NoCase> inBlocks;
  std::set<std::string, NoCase> duplicateBlocks;  // defined more than once (the first definition read)
  std::set<std::string, NoCase> externalBlocks;   // external references: their drawings are other files
  // Layers and linetypes whose definitions were left out past kMaxLayers
  // (NoCaseHash of their names): whether what is drawn on them is shown, or
  // solid, is not known.
  std::unordered_set<std::size_t> cappedLayers, cappedLinetypes;
};

// Millimetres in one unit of the code `units` of $INSUNITS (0 to 24); 1 for
// no units or a code out of range, as the file is then read in millimetres.
double MillimetresIn(int units);

// The unit normal `n` of `normal` (groups 210 to 230) and the axes `x`
// and `y` DXF makes of it (the arbitrary axis rule) for the coordinates of
// objects on that plane, in the drawing's coordinates; false for a normal of
// no length.
bool PlaneAxes(const double normal[3], double n[3], double x[3], double y[3]);

// Heights (millimetres) within which the points of a curve lie in one plane:
// a 3D projection leaves its outline's heights some 1e-9 apart.
inline constexpr double kFlatHeights = 0.001;

// The longest value dxflib reads whole (its line buffer, less the end of line).
inline constexpr std::size_t kMaxValue = 1023;

// What one file may bring (in its blocks and model space together) and
// expand to, so that the host and the library's import of parts read any file
// within seconds and under a gigabyte: objects (as many round holes make
// 700 MB of rings); their pieces (each object one at least, a polyline one a
// vertex and two one whose edge to the next is an arc, a spline one a control
// or fit point, a text one a line); the characters of texts; layers and
// linetypes, defined or drawn on (each a layer or a line style of the
// document); blocks.
inline constexpr std::size_t kMaxObjects = 250'000;
inline constexpr std::size_t kMaxPieces = 500'000;
// Points of splines (control and fit points, also counted among the pieces):
// a spline's point costs the reading of its outline many times a vertex's.
inline constexpr std::size_t kMaxSplinePoints = 100'000;
// Ellipses and their arcs, each followed on a hundred chords or more.
inline constexpr std::size_t kMaxEllipses = 20'000;
inline constexpr std::size_t kMaxTextBytes = 10'000'000;
inline constexpr std::size_t kMaxLayers = 100'000;
inline constexpr std::size_t kMaxBlocks = 500'000;
// The records of a file looked at (objects, vertices, table entries, blocks:
// each group of code 0), eight times the objects read, and its groups, as
// many as a file of the largest size has of sound objects: the objects beyond
// those read are still counted where a file has some more, and a file of
// millions of empty records or groups is read in a second, not for minutes.
// A file is read up to the record in which either is passed.
inline constexpr std::size_t kMaxRecords = 2'000'000;
inline constexpr std::size_t kMaxFileGroups = 20'000'000;
inline constexpr char kTooManyObjects[] = "объекты сверх 250 000, которые программа берёт из одного файла";
inline constexpr char kTooManyPieces[] =
    "объекты сверх 500 000 частей (вершин, дуговых за две, точек сплайнов, строк текстов), которые программа берёт из "
    "одного файла";
inline constexpr char kTooManySplinePoints[] =
    "сплайны сверх 100 000 точек (управляющих и определяющих), которые программа берёт из одного файла";
inline constexpr char kTooManyEllipses[] = "эллипсы сверх 20 000, которые программа берёт из одного файла";
inline constexpr char kTooMuchText[] = "тексты сверх десяти миллионов символов, которые программа берёт из одного файла";
inline constexpr char kTooManyLayers[] = "слои сверх 100 000, которые программа читает из одного файла";
inline constexpr char kTooManyLinetypes[] = "типы линий сверх 100 000, которые программа читает из одного файла";
inline constexpr char kOnTooManyLayers[] = "объекты на слоях сверх 100 000, которые программа читает из одного файла";
inline constexpr char kOfTooManyLinetypes[] =
    "объекты с типами линий сверх 100 000, которые программа читает из одного файла";
inline constexpr char kTooManyBlocks[] = "блоки сверх 500 000, которые программа читает из одного файла";
inline constexpr char kTooManyRecords[] =
    "всё, что в файле дальше первых 2 000 000 записей (объектов, вершин, элементов таблиц) или 20 000 000 групп, "
    "которые программа просматривает в одном файле";
inline constexpr char kTooManyGroups[] = "объекты больше чем из десяти тысяч групп помимо их списков";
// Of the expansion of blocks: copies and objects of blocks visited in all; the
// objects an insert's copies make, as many as the same objects drawn one by
// one; the levels of blocks within blocks.
inline constexpr char kTooManyVisits[] =
    "вставки, блоки которых разворачиваются больше чем в десять миллионов копий и объектов, которые программа "
    "просматривает в одном файле";
inline constexpr char kTooManyCopied[] =
    "вставки, копии которых дают объекты сверх 250 000, которые программа берёт из одного файла";
inline constexpr char kTooDeep[] = "вставки глубже 16 уровней блоков";
// dxflib reads no value longer than its line buffer.
inline constexpr char kLongValues[] = "объекты со значениями длиннее 1023 символов";

// Whether objects left out for `why` were left out by a cap of this reader
// (the caps above save those on the table entries themselves): the drawing
// read lacks them though they are sound, so a part read from it is not whole.
bool BeyondCaps(std::string_view why);
// How the reader starts the list of what its caps left out, and the list of
// all else it left out.
inline constexpr wchar_t kBeyondCapsLeftOut[] = L"пропущено сверх пределов программы: ";
inline constexpr wchar_t kLeftOut[] = L"пропущено: ";

// The first reading of the whole file: empty `error` when `bytes` can be read
// as a DXF text, or the reason it cannot (in Russian, as the host speaks).
// Nothing after the first EOF is read. It also finds the blocks the model
// space draws: blocks that nothing there inserts are left out unread.
class Survey {
 public:
  bool Check(std::string_view bytes, std::string& error);
  bool Drawn(std::string_view block) const { return drawn_.count(block) > 0; }
  // The bytes read: the whole file, or up to the record where it is cut.
  std::size_t Read() const { return read_; }
  bool Cut() const { return cut_; }
  // The line where the record it is cut before starts.
  std::size_t CutLine() const { return cutLine_; }

 private:
  std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> drawn_;
  std::size_t read_ = 0;
  bool cut_ = false;
  std::size_t cutLine_ = 0;
};

class Preparer;

// The groups of `bytes` (a file the survey took) that dxflib may be given,
// as a DXF text, made piece by piece as it is read.
class PreparedText : public std::streambuf {
 public:
  PreparedText(std::string_view bytes, const Survey& survey);
  ~PreparedText() override;
  PreparedText(const PreparedText&) = delete;
  PreparedText& operator=(const PreparedText&) = delete;

  // What the file's header gave and what was left out: whole once the text
  // was read to its end.
  const Prepared& Result();

 protected:
  int_type underflow() override;

 private:
  std::unique_ptr<Preparer> preparer_;
  std::string chunk_;
};

}  // namespace vlhost::dxf
