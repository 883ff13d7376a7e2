#include "Import/DxfGroups.h"

#include "common/Converter.h"
#include "io/Files.h"

#include <dxflib/dl_codes.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace vlhost::dxf {
namespace {

constexpr std::size_t kMaxCount = 10'000'000;
static_assert(kMaxValue < DL_DXF_MAXLINE, "dxflib reads lines shorter than its buffer");
// The chunks an MTEXT's text is given to dxflib in (DXF writes at most 250).
constexpr std::size_t kTextChunk = 250;
constexpr char k3D[] = "3D-объекты";
// Texts not drawn (made invisible, attributes hidden by their flag): what is
// not shown is no marking of the part.
constexpr char kInvisibleTexts[] = "невидимые тексты, их маркировка не читается";

std::string_view Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool IsFloatCode(int c) {
  return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 460 && c <= 469) ||
         (c >= 1010 && c <= 1059);
}

bool IsIntCode(int c) {
  return (c >= 60 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) || (c >= 370 && c <= 389) ||
         (c >= 400 && c <= 409) || (c >= 1060 && c <= 1071);
}

// A decimal number: a sign, digits with a point (or a comma), an exponent.
// Hexadecimal numbers, "inf" and "nan", which strtod would take, are not
// DXF numbers (dxflib reads "0x32" as 0).
bool IsDecimal(std::string_view s) {
  std::size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
  if (i < s.size() && (s[i] == '.' || s[i] == ',')) ++i;
  for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++digits;
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t start = i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
    if (i == start) return false;
  }
  return i == s.size();
}

bool ParseDouble(std::string_view text, double& value) {
  if (text.empty() || text.size() > 256 || !IsDecimal(text)) return false;
  char s[257];  // on the stack: every coordinate of a file comes through here
  std::replace_copy(text.begin(), text.end(), s, ',', '.');
  s[text.size()] = '\0';
  char* end = nullptr;
  value = std::strtod(s, &end);
  // A number too small for a double is read as 0 or near it, as CAD reads it.
  return end && *end == '\0' && std::isfinite(value);
}

// Whether `text` is a DXF number that is finite as a double: without an
// exponent and with fewer digits than a double's largest value has, it is
// so without converting it.
bool IsFiniteNumber(std::string_view text) {
  if (text.size() < 300 && text.find_first_of("eE") == std::string_view::npos) return IsDecimal(text);
  double value = 0;
  return ParseDouble(text, value);
}

bool ParseLong(std::string_view text, long long& value) {
  if (text.empty() || text.size() > 32) return false;
  char s[33];
  std::copy(text.begin(), text.end(), s);
  s[text.size()] = '\0';
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(s, &end, 10);
  return end && *end == '\0' && errno != ERANGE;
}

// Lines end with LF, CR LF or CR; groups are pairs of lines. A group code
// is a whole number from 0 to 1071 (spaces around it allowed); the file's
// first line may start with a byte-order mark.
class Groups {
 public:
  explicit Groups(std::string_view text) : text_(text) {}

  // The next group; false at the end of the text. `bad` is set, and false
  // returned, at a line that is not a group code.
  bool Next(Group& g, bool& bad) {
    bad = false;
    // The group read last, read again after a step back to it (a reader
    // looks at the group that ends an object, then leaves it to the next).
    if (read_ && at_ == readFrom_) {
      g = readGroup_;
      at_ = readTo_;
      line_ = readLine_;
      return true;
    }
    std::string_view codeLine, valueLine;
    const std::size_t start = at_;
    if (!NextLine(codeLine) || !NextLine(valueLine)) {
      at_ = text_.size();
      return false;
    }
    if (start == 0 && codeLine.substr(0, 3) == "\xEF\xBB\xBF") codeLine.remove_prefix(3);
    const int code = Code(Trim(codeLine));
    if (code < 0) {
      at_ = start;
      bad = true;
      return false;
    }
    readGroup_ = {code, code == 1 || code == 3 ? valueLine : Trim(valueLine)};
    read_ = true;
    readFrom_ = start;
    readTo_ = at_;
    readLine_ = line_;
    g = readGroup_;
    return true;
  }
  bool Next(Group& g) {
    bool bad = false;
    return Next(g, bad);
  }

  std::size_t At() const { return at_; }
  void Seek(std::size_t at) { at_ = at; }
  std::size_t Line() const { return line_; }

 private:
  bool NextLine(std::string_view& out) {
    if (at_ >= text_.size()) return false;
    std::size_t end = at_;
    while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
    out = text_.substr(at_, end - at_);
    at_ = end + (end + 1 < text_.size() && text_[end] == '\r' && text_[end + 1] == '\n' ? 2 : 1);
    ++line_;
    return true;
  }

  // The group code of a line, or -1.
  static int Code(std::string_view text) {
    if (!text.empty() && text.size() <= 4 &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      int code = 0;
      for (char c : text) code = code * 10 + (c - '0');
      return code <= 1071 ? code : -1;
    }
    long long code = 0;
    return ParseLong(text, code) && code >= 0 && code <= 1071 ? static_cast<int>(code) : -1;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 0;
  bool read_ = false;  // a group was read: readGroup_, from readFrom_ to readTo_, up to line readLine_
  std::size_t readFrom_ = 0, readTo_ = 0, readLine_ = 0;
  Group readGroup_;
};

// The codes whose first value the first reading wants of an object, and
// those whose groups it counts.
constexpr int kWanted[] = {2, 8, 10, 11, 20, 21, 30, 31, 38, 60, 67, 70, 71, 72, 73, 74, 90, 210, 220, 230};
constexpr int kCounted[] = {10, 11, 40, 49};

// The groups an object may have besides those of its lists (vertices, knots
// and poles, text chunks, dashes): far more than any has, extended data
// included, and few enough that dxflib reads them in no time.
constexpr std::size_t kMaxGroups = 10'000;

// Whether groups of `code` make a list in objects of `type`.
bool ListCode(std::string_view type, int code) {
  if (type == "LWPOLYLINE") return code == 10 || code == 20 || (code >= 40 && code <= 42) || code == 91;
  if (type == "SPLINE") return (code >= 10 && code <= 11) || (code >= 20 && code <= 21) || (code >= 30 && code <= 31) ||
                               code == 40 || code == 41;
  if (type == "MTEXT") return code == 1 || code == 3;
  if (type == "LTYPE") return code == 9 || (code >= 44 && code <= 46) || code == 49 || code == 50 || code == 74 ||
                              code == 75 || code == 340;
  return false;
}

// The place of `code` in `codes`, or -1; looked up in a table of all codes.
template <std::size_t N>
int IndexOf(const int (&codes)[N], int code) {
  struct Table {
    signed char at[1072];
    explicit Table(const int (&codes)[N]) {
      std::fill(std::begin(at), std::end(at), -1);
      for (std::size_t i = 0; i < N; ++i) at[codes[i]] = static_cast<signed char>(i);
    }
  };
  static const Table table(codes);
  return code >= 0 && code < 1072 ? table.at[code] : -1;
}

// One object of a section, read once: its type, where its groups lie and
// what the first reading wants of them.
struct Record {
  std::string_view type;            // no data: the end of the file
  std::size_t first = 0, last = 0;  // its groups: bytes [first, last) of the file
  std::string why;                  // why it cannot be given to dxflib, or nothing
  // The values set are those whose bit `wanted` holds: a file may bring
  // tens of millions of records, each read into one of these.
  std::uint32_t wanted = 0;
  struct Span {
    const char* data;
    std::size_t size;
  } values[std::size(kWanted)];
  std::size_t counts[std::size(kCounted)] = {};
  std::size_t textBytes = 0;  // of its texts (codes 1 and 3)
  std::size_t breaks = 0;     // of an MTEXT's lines
  std::size_t arcs = 0;       // bulges (groups of code 42) that are not nought
  double lowest = INFINITY, highest = -INFINITY;  // its heights (groups 30 and 31) that are numbers

  // The first value of a code kWanted names.
  std::string_view Value(int code, std::string_view otherwise = "") const {
    const int w = IndexOf(kWanted, code);
    return w >= 0 && (wanted & (1u << w)) ? std::string_view(values[w].data, values[w].size) : otherwise;
  }
  std::size_t Count(int code) const { return counts[IndexOf(kCounted, code)]; }
  bool Paper() const { return Value(67) == "1"; }
  void Clear() {
    type = {};
    first = last = 0;
    why.clear();
    wanted = 0;
    std::fill(std::begin(counts), std::end(counts), 0);
    textBytes = breaks = arcs = 0;
    lowest = INFINITY;
    highest = -INFINITY;
  }
  bool End() const { return !type.data() || type == "ENDSEC" || type == "EOF"; }
};

// What the first reading wants of an object's followers (a POLYLINE's
// vertices and SEQEND, an INSERT's attributes): the runs of them given to
// dxflib, and whether all are sound, in model space and, for vertices, at
// heights no further apart than a flat drawing's (kFlatHeights).
struct Followers {
  std::vector<std::pair<std::size_t, std::size_t>> kept;  // bytes [first, last) of the file
  std::vector<Record> invisible;  // attributes not drawn: not kept
  bool paper = false;
  std::string why;
  bool heights = true;  // every vertex's height a number
  double lowest = INFINITY, highest = -INFINITY;
  std::size_t count = 0, textBytes = 0, arcs = 0;
  std::string_view x, y;  // the first drawn vertex's point (groups 10 and 20)

  void Add(const Record& f) {
    // The control frame of a polyline smoothed into a spline is not drawn:
    // only its curve's vertices are.
    long long flags = 0;
    const bool frame = f.type == "VERTEX" && ParseLong(f.Value(70, "0"), flags) && (flags & 16);
    if (f.type == "ATTRIB" && (f.Value(60) == "1" || (ParseLong(f.Value(70, "0"), flags) && (flags & 1)))) {
      invisible.push_back(f);
      return;
    }
    if (!frame && f.type == "VERTEX" && x.empty() && y.empty()) x = f.Value(10), y = f.Value(20);
    if (!frame && !kept.empty() && kept.back().second == f.first) kept.back().second = f.last;
    else if (!frame) kept.emplace_back(f.first, f.last);
    paper = paper || f.Paper();
    if (why.empty()) why = f.why;
    if (f.type != "SEQEND") ++count;
    arcs += f.arcs;
    textBytes += f.textBytes;
    if (f.type != "VERTEX") return;
    double z = 0;
    if (!ParseDouble(f.Value(30, "0"), z)) heights = false;
    lowest = std::min(lowest, z);
    highest = std::max(highest, z);
  }
};

}  // namespace

// Makes the text for dxflib an object at a time.
class Preparer {
 public:
  Preparer(std::string_view text, const Survey& survey) : text_(text), groups_(text), survey_(survey) {}

  // Appends what follows to `out`; false once all was given.
  bool Step(std::string& out) {
    out_ = &out;
    switch (state_) {
      case State::Outside: Outside(); break;
      case State::InSection: InSection(); break;
      case State::Done: return false;
    }
    return true;
  }

  const Prepared& Result() {
    Flush();
    if (survey_.Cut() && !cutNamed_) {
      result_.skipped.Add(std::string(kTooManyRecords) + " (со строки " + std::to_string(survey_.CutLine()) + ")", {}, 0);
      cutNamed_ = true;
    }
    return result_;
  }

 private:
  enum class State { Outside, InSection, Done };

  // Between sections: on to the next "0 SECTION" with its name.
  void Outside() {
    Group g;
    while (groups_.Next(g)) {
      if (g.code == 0 && g.value == "EOF") break;  // the file ends here, whatever follows
      if (g.code != 0 || g.value != "SECTION") continue;
      const std::size_t at = groups_.At();
      Group name;
      if (!groups_.Next(name) || name.code != 2) {
        groups_.Seek(at);
        continue;
      }
      section_ = name.value;
      kept_ = section_ == "HEADER" || section_ == "TABLES" || section_ == "BLOCKS" || section_ == "ENTITIES";
      block_ = {};
      if (kept_) {
        Put(g.code, g.value);
        Put(name.code, name.value);
      }
      // What stands before the section's first object belongs to none: the
      // header's variables, or nothing.
      for (std::size_t before = groups_.At(); groups_.Next(g); before = groups_.At()) {
        if (g.code == 0) {
          groups_.Seek(before);
          break;
        }
        if (section_ == "HEADER" && g.code == 9) Header(g.value);
      }
      state_ = State::InSection;
      return;
    }
    *out_ += "  0\nEOF\n";
    state_ = State::Done;
  }

  // A header variable `name`, its value the next group (not the section's end).
  void Header(std::string_view name) {
    const std::size_t at = groups_.At();
    Group v;
    const bool read = groups_.Next(v);
    groups_.Seek(at);
    if (!read || (v.code == 0 && (v.value == "ENDSEC" || v.value == "EOF"))) return;
    long long n = 0;
    if (name == "$ACADVER") result_.version = v.value.substr(0, 16);
    else if (name == "$DWGCODEPAGE") result_.codePage = v.value.substr(0, 32);
    else if (name == "$INSUNITS" && ParseLong(v.value, n) && n >= 0 && n <= 24) result_.units = static_cast<int>(n);
  }

  // The next object of the section, or its end.
  void InSection() {
    if (!kept_) return SkipSection();
    Record record;
    if (!NextRecord(record)) {  // ENDSEC, EOF or the end of the file
      if (!block_.empty()) Put(0, "ENDBLK");  // a block the section ends: its objects are not the model's
      block_ = {};
      if (record.type.data()) Put(0, record.type);
      state_ = State::Outside;
      if (record.type == "EOF") {  // the file ends here, whatever follows
        *out_ += "  0\nEOF\n";
        state_ = State::Done;
      }
      return;
    }
    const std::string_view type = record.type;
    if (section_ == "HEADER") {  // variables only: dxflib would take objects here for real ones
      Group g;
      for (groups_.Seek(record.first), groups_.Next(g); groups_.At() < record.last && groups_.Next(g);)
        if (g.code == 9) Header(g.value);
      groups_.Seek(record.last);
      return Skip("объекты в заголовке файла", record);
    }
    if (section_ == "TABLES") {
      static const std::set<std::string_view> kept = {"TABLE", "ENDTAB", "LAYER", "LTYPE"};
      if (kept.count(type) && !record.why.empty()) Skip("повреждённые записи таблиц", record);
      else if (type == "LAYER" && ++layers_ > kMaxLayers) {
        Skip(kTooManyLayers, record);
        result_.cappedLayers.insert(NoCaseHash()(record.Value(2)));
      } else if (type == "LTYPE" && ++linetypes_ > kMaxLayers) {
        Skip(kTooManyLinetypes, record);
        result_.cappedLinetypes.insert(NoCaseHash()(record.Value(2)));
      } else if (kept.count(type)) {
        Keep(record.first, record.last);
      }
      return;
    }
    if (type == "ENDBLK") {  // its groups (layer, handle) mean nothing here
      Put(0, "ENDBLK");
      block_ = {};
      return;
    }
    if (type == "BLOCK") {
      // Blocks that nothing draws are not read; a name defined again is not
      // read again, and its inserts are left out as ambiguous.
      const std::string_view block = record.Value(2);
      const bool drawn = survey_.Drawn(block), again = drawn && !defined_.insert(block).second;
      if (again) result_.duplicateBlocks.insert(std::string(block));
      long long flags = 0;
      if (drawn && !again && record.why.empty() && ParseLong(record.Value(70, "0"), flags) && (flags & 4))
        result_.externalBlocks.insert(std::string(block));  // its objects are in another file
      if (drawn && !again && record.why.empty() && ++blocks_ <= kMaxBlocks) {
        Keep(record.first, record.last);
        block_ = block;
        return;
      }
      if (drawn && !again) Skip(record.why.empty() ? kTooManyBlocks : "повреждённые блоки", record);  // with everything in it
      Record member;
      while (NextRecord(member) && member.type != "ENDBLK") {
      }
      if (member.End()) pending_ = std::move(member);
      return;
    }
    // An object with its followers: a POLYLINE's vertices, an INSERT's attributes.
    Followers followers;
    if (type == "POLYLINE" || type == "INSERT") {
      Record next;
      while (NextRecord(next) && (next.type == "VERTEX" || next.type == "ATTRIB")) followers.Add(next);
      if (next.type == "SEQEND") followers.Add(next);
      else pending_ = std::move(next);
    }
    Object(record, followers);
  }

  // The groups of a section not given to dxflib, up to its end.
  void SkipSection() {
    Group g;
    while (groups_.Next(g))
      if (g.code == 0 && (g.value == "ENDSEC" || g.value == "EOF")) break;
    state_ = State::Outside;
  }

  // Reads the next record; false at the section's end (ENDSEC or EOF, the
  // record's type, or the end of the file).
  bool NextRecord(Record& record) {
    if (pending_) {
      record = std::move(*pending_);
      pending_.reset();
      return !record.End();
    }
    record.Clear();
    record.first = groups_.At();
    Group g;
    if (!groups_.Next(g)) return false;
    record.type = g.value;
    if (record.End()) {
      record.last = groups_.At();
      return false;
    }
    Analyse(record);
    return true;
  }

  // Reads the groups of `record` after its code-0 group, up to the next one.
  void Analyse(Record& record) {
    const bool mtext = record.type == "MTEXT";
    std::string why = record.type.size() > kMaxValue ? kLongValues : "";
    std::size_t others = 0;  // groups outside the object's lists
    Group g;
    for (std::size_t before = groups_.At(); groups_.Next(g); before = groups_.At()) {
      if (g.code == 0) {
        groups_.Seek(before);
        break;
      }
      if (++others > kMaxGroups && ListCode(record.type, g.code)) --others;
      if (const int w = IndexOf(kWanted, g.code); w >= 0 && !(record.wanted & (1u << w))) {
        record.wanted |= 1u << w;
        record.values[w] = {g.value.data(), g.value.size()};
      }
      if (const int c = IndexOf(kCounted, g.code); c >= 0) ++record.counts[c];
      if (g.code == 42) {
        double bulge = 0;
        record.arcs += ParseDouble(g.value, bulge) && bulge != 0;
      }
      if (double z = 0; (g.code == 30 || g.code == 31) && ParseDouble(g.value, z)) {
        record.lowest = std::min(record.lowest, z);
        record.highest = std::max(record.highest, z);
      }
      if (g.code == 1 || g.code == 3) {
        record.textBytes += g.value.size();
        // \P and \X start new lines (an escaped backslash before a P counts too: this bounds, not reads)
        if (mtext)
          for (std::size_t at = g.value.find('\\'); at != std::string_view::npos && at + 1 < g.value.size();
               at = g.value.find('\\', at + 1))
            record.breaks += g.value[at + 1] == 'P' || g.value[at + 1] == 'N' || g.value[at + 1] == 'X';
      }
      if (!why.empty()) continue;
      const bool chunked = mtext && (g.code == 1 || g.code == 3);
      long long n = 0;
      if (g.value.size() > kMaxValue && !chunked) why = kLongValues;
      else if (IsFloatCode(g.code) && !IsFiniteNumber(g.value)) why = "объекты с числами не в десятичной записи или бесконечными";
      else if (IsIntCode(g.code) && (!ParseLong(g.value, n) || n < INT32_MIN || n > INT32_MAX))
        why = "объекты с повреждёнными целыми числами";
    }
    record.last = groups_.At();
    if (why.empty() && others > kMaxGroups) why = kTooManyGroups;
    record.why = why.empty() ? Sound(record) : why;
  }

  void Put(int code, std::string_view value) {
    *out_ += std::to_string(code);
    *out_ += '\n';
    *out_ += value;
    *out_ += '\n';
  }

  // The groups in bytes [first, last) of the file, from an object's code-0
  // group on. An MTEXT's text goes in chunks that dxflib joins again: every
  // part but the last as a code-3 group, the last as the code-1 group.
  void Keep(std::size_t first, std::size_t last) {
    Groups groups(text_);
    groups.Seek(first);
    Group g;
    std::optional<bool> mtext;
    while (groups.At() < last && groups.Next(g)) {
      if (!mtext) mtext = g.code == 0 && g.value == "MTEXT";
      if (!*mtext || (g.code != 1 && g.code != 3) || g.value.size() <= kTextChunk) {
        Put(g.code, g.value);
        continue;
      }
      std::string_view rest = g.value;
      while (rest.size() > kTextChunk) {
        Put(3, rest.substr(0, kTextChunk));
        rest.remove_prefix(kTextChunk);
      }
      Put(g.code, rest);
    }
  }

  void Object(const Record& head, const Followers& followers) {
    enum Kind { kImported, kSolid, kQuiet };
    static const std::unordered_map<std::string_view, Kind> kinds = {
        {"LINE", kImported}, {"ARC", kImported}, {"CIRCLE", kImported}, {"ELLIPSE", kImported},
        {"LWPOLYLINE", kImported}, {"POLYLINE", kImported}, {"SPLINE", kImported}, {"TEXT", kImported},
        {"MTEXT", kImported}, {"INSERT", kImported}, {"3DFACE", kSolid}, {"3DSOLID", kSolid}, {"BODY", kSolid},
        {"SURFACE", kSolid}, {"MESH", kSolid}, {"PLANESURFACE", kSolid},
        {"EXTRUDEDSURFACE", kSolid}, {"LOFTEDSURFACE", kSolid}, {"REVOLVEDSURFACE", kSolid},
        {"SWEPTSURFACE", kSolid}, {"POLYFACE", kSolid}, {"ATTDEF", kQuiet}, {"VIEWPORT", kQuiet},
        {"SEQEND", kQuiet}, {"VERTEX", kQuiet}, {"ATTRIB", kQuiet}};
    const std::string_view type = head.type;
    if (head.Paper() || followers.paper) return;  // paper space: not part of the drawing's model
    const auto kind = kinds.find(type);
    if (type == "ATTDEF" && !block_.empty() && head.why.empty()) {
      // A constant attribute of a block is drawn in every copy, as a text.
      long long flags = 0;
      const bool constant = ParseLong(head.Value(70, "0"), flags) && (flags & 2);
      if (constant && ((flags & 1) || head.Value(60) == "1")) return Skip(kInvisibleTexts, head);
      if (constant && objects_ + 1 <= kMaxObjects && textBytes_ + head.textBytes <= kMaxTextBytes) {
        ++objects_;
        ++pieces_;
        textBytes_ += head.textBytes;
        KeepAsText(head);
      }
      return;
    }
    if (kind != kinds.end() && kind->second == kQuiet) return;
    if (kind != kinds.end() && kind->second == kSolid) return Skip(k3D, head, &followers);
    if (kind == kinds.end()) {
      if (!otherType_ || type != *otherType_) {  // files bring one kind by the thousand
        otherType_ = type;
        otherWhy_ = type.empty() ? std::string("объекты без имени типа, которые не импортируются")
                                 : "объекты " + std::string(type.substr(0, 64)) + ", которые не импортируются";
      }
      return Skip(otherWhy_, head, &followers);
    }
    std::string why = head.why.empty() ? followers.why : head.why;
    // On a plane tilted so little that it rises no more than a flat
    // drawing's heights, a curve is read by its plan, as a 3D polyline,
    // line or spline that rises so little is.
    if (why == k3D && head.why == k3D && Flat(0, Rise(head, followers))) why.clear();
    // An object made invisible (not drawn, though on a layer that is) is
    // not cut, nor is a marking read from a text not shown.
    if (why.empty() && head.Value(60) == "1")
      why = type == "TEXT" || type == "MTEXT" ? kInvisibleTexts : "невидимые объекты, которые не импортируются";
    if (why.empty() && type == "POLYLINE") {
      long long flags = 0;
      ParseLong(head.Value(70), flags);
      // A 3D polyline whose vertices all stand at one height, within the
      // rounding of a 3D projection, is a plane outline (as CAM and 3D
      // systems export sections): its plan is read.
      const bool level = followers.heights && (followers.count == 0 || Flat(followers.lowest, followers.highest));
      if ((flags & (16 | 64)) || ((flags & 8) && !level)) why = k3D;
    }
    // So is a spline whose points (control and fit ones) do.
    if (why.empty() && type == "SPLINE" && head.lowest < head.highest && !Flat(head.lowest, head.highest)) why = k3D;
    if (why.empty() && type == "LINE" && head.Value(30) != head.Value(31)) {
      double z1 = 0, z2 = 0;
      ParseDouble(head.Value(30, "0"), z1);
      ParseDouble(head.Value(31, "0"), z2);
      if (!Flat(std::min(z1, z2), std::max(z1, z2))) why = k3D;
    }
    if (!why.empty()) return Skip(why, head, &followers);
    if (objects_ + 1 > kMaxObjects) return Skip(kTooManyObjects, head, &followers);
    std::size_t pieces = 1;
    if (type == "LWPOLYLINE") pieces = std::max<std::size_t>(1, head.Count(10)) + head.arcs;
    else if (type == "SPLINE") pieces = std::max<std::size_t>(1, head.Count(10) + head.Count(11));
    else if (type == "POLYLINE") pieces = std::max<std::size_t>(1, followers.count) + followers.arcs;
    else if (type == "MTEXT") pieces = 1 + head.breaks;
    else if (type == "INSERT") pieces = 1 + followers.count;
    if (pieces_ + pieces > kMaxPieces) return Skip(kTooManyPieces, head, &followers);
    const std::size_t splinePoints = type == "SPLINE" ? pieces : 0;
    if (splinePoints_ + splinePoints > kMaxSplinePoints) return Skip(kTooManySplinePoints, head, &followers);
    const std::size_t ellipses = type == "ELLIPSE" ? 1 : 0;
    if (ellipses_ + ellipses > kMaxEllipses) return Skip(kTooManyEllipses, head, &followers);
    const std::size_t text = type == "TEXT" || type == "MTEXT" || type == "INSERT" ? head.textBytes + followers.textBytes : 0;
    if (textBytes_ + text > kMaxTextBytes) return Skip(kTooMuchText, head, &followers);
    ++objects_;
    pieces_ += pieces;
    splinePoints_ += splinePoints;
    ellipses_ += ellipses;
    textBytes_ += text;
    Keep(head.first, head.last);
    for (const auto& [first, last] : followers.kept) Keep(first, last);
    for (const Record& attribute : followers.invisible) Skip(kInvisibleTexts, attribute);
  }

  // An attribute definition given to dxflib as the text it draws: its tag,
  // prompt, flags and field length left out, its vertical alignment (74) as
  // a text's (73); an embedded MTEXT (from group 101 on) is not read.
  void KeepAsText(const Record& record) {
    Groups groups(text_);
    groups.Seek(record.first);
    Group g;
    groups.Next(g);
    Put(0, "TEXT");
    while (groups.At() < record.last && groups.Next(g) && g.code != 101) {
      if (g.code == 2 || g.code == 3 || g.code == 70 || g.code == 73 || g.code == 280) continue;
      Put(g.code == 74 ? 73 : g.code, g.value);
    }
  }

  // Why a record whose groups are each sound cannot be given to dxflib, or nothing.
  static std::string Sound(const Record& record) {
    const std::string_view type = record.type;
    // Each declared count must be the number of groups that follow it.
    auto counted = [&](int countCode, int itemCode) {
      long long n = 0;
      const std::string_view v = record.Value(countCode, "0");
      return ParseLong(v, n) && n >= 0 && static_cast<std::size_t>(n) <= kMaxCount &&
             static_cast<std::size_t>(n) == record.Count(itemCode);
    };
    bool ok = true;
    if (type == "LWPOLYLINE") ok = counted(90, 10);
    else if (type == "SPLINE") ok = counted(72, 40) && counted(73, 10) && counted(74, 11);
    else if (type == "LTYPE") ok = counted(73, 49);
    if (!ok) return "объекты, в которых данных не столько, сколько заявлено";
    if (type == "SPLINE") {
      long long degree = 0;
      if (!ParseLong(record.Value(71, "3"), degree) || degree < 1 || degree > 25)
        return "сплайны невозможной степени";
    }
    const std::string_view ex = record.Value(210, "0"), ey = record.Value(220, "0"), ez = record.Value(230, "1");
    if (ex == "0" && ey == "0" && ez == "1") return {};  // as most objects have it, said or not
    double x = 0, y = 0, z = 1;
    if (ParseDouble(ex, x) && ParseDouble(ey, y) && ParseDouble(ez, z) &&
        (std::abs(x) > 1e-9 || std::abs(y) > 1e-9 || std::abs(std::abs(z) - 1) > 1e-9))
      return k3D;
    return {};
  }

  // How far a curve on a tilted plane (its normal, groups 210 to 230)
  // rises, in the file's units: a circle's or an ellipse's whole turn, an
  // arc and a polyline's edges followed; a line and a spline give their
  // points in the drawing's coordinates, their heights told apart. Infinite
  // for another kind (a text, a block's copy), or a curve not told whole.
  double Rise(const Record& head, const Followers& followers) const {
    const std::string_view type = head.type;
    if (type == "LINE" || type == "SPLINE") return 0;
    double normal[3] = {0, 0, 1}, n[3], ax[3], ay[3];
    ParseDouble(head.Value(210, "0"), normal[0]);
    ParseDouble(head.Value(220, "0"), normal[1]);
    ParseDouble(head.Value(230, "1"), normal[2]);
    if (!PlaneAxes(normal, n, ax, ay)) return INFINITY;
    const double hx = ax[2], hy = ay[2];  // the heights of the plane's own axes
    double low = INFINITY, high = -INFINITY;
    const auto at = [&](double x, double y) {
      low = std::min(low, x * hx + y * hy);
      high = std::max(high, x * hx + y * hy);
    };
    // An arc about (cx, cy) of radius r from angle a (radians) on by `sweep`.
    const auto arc = [&](double cx, double cy, double r, double a, double sweep) {
      for (int k = 0; k <= 64; ++k) at(cx + r * std::cos(a + sweep * k / 64), cy + r * std::sin(a + sweep * k / 64));
    };
    // The groups of the object (and of its vertices): points, bulges, sizes, angles.
    std::vector<double> xs, ys, bulges;
    double g40 = NAN, g50 = NAN, g51 = NAN, mx = NAN, my = NAN, mz = 0;
    const auto scan = [&](std::size_t first, std::size_t last) {
      Groups groups(text_);
      groups.Seek(first);
      Group g;
      double v = NAN;
      while (groups.At() < last && groups.Next(g)) {
        if (!ParseDouble(g.value, v)) v = NAN;
        switch (g.code) {
          case 10: xs.push_back(v), bulges.push_back(0); break;
          case 20: ys.push_back(v); break;
          case 42: if (!bulges.empty()) bulges.back() = v; break;
          case 40: if (std::isnan(g40)) g40 = v; break;
          case 50: g50 = v; break;
          case 51: g51 = v; break;
          case 11: mx = v; break;
          case 21: my = v; break;
          case 31: mz = v; break;
          default: break;
        }
      }
    };
    constexpr double kDegree = 3.14159265358979323846 / 180;
    if (type == "CIRCLE" || type == "ARC") {
      scan(head.first, head.last);
      if (xs.empty() || ys.empty() || !(g40 >= 0)) return INFINITY;
      const bool whole = type == "CIRCLE" || !std::isfinite(g50) || !std::isfinite(g51);
      const double sweep = whole ? 360 : std::fmod(std::fmod(g51 - g50, 360) + 360, 360);
      arc(xs[0], ys[0], g40, whole ? 0 : g50 * kDegree, (sweep == 0 ? 360 : sweep) * kDegree);
    } else if (type == "ELLIPSE") {
      scan(head.first, head.last);
      if (!std::isfinite(mx) || !std::isfinite(my) || !std::isfinite(mz) || !(g40 > 0)) return INFINITY;
      // Its minor axis: the ratio (40) of its major one turned about its
      // normal; its plan stands where the flat ellipse of the major axis's
      // plan puts it (turned the other way under a normal along -Z) only
      // for a major axis in the plane.
      const double minor[3] = {g40 * (n[1] * mz - n[2] * my), g40 * (n[2] * mx - n[0] * mz), g40 * (n[0] * my - n[1] * mx)};
      const double side = n[2] < 0 ? -1 : 1, apart = std::hypot(minor[0] + side * g40 * my, minor[1] - side * g40 * mx);
      return 2 * std::max(std::hypot(mz, minor[2]), apart);
    } else if (type == "LWPOLYLINE" || type == "POLYLINE") {
      if (type == "LWPOLYLINE") scan(head.first, head.last);
      else
        for (const auto& [first, last] : followers.kept) scan(first, last);
      const std::size_t count = std::min(xs.size(), ys.size());
      for (std::size_t k = 0; k < count; ++k) {
        at(xs[k], ys[k]);
        const std::size_t next = k + 1 < count ? k + 1 : 0;
        const double b = bulges[k];
        if (b == 0 || !std::isfinite(b) || next == k) continue;
        // The edge's arc: its sweep four times the bulge's arctangent.
        const double sweep = 4 * std::atan(b), dx = xs[next] - xs[k], dy = ys[next] - ys[k];
        const double chord = std::hypot(dx, dy);
        if (!(chord > 0)) continue;
        const double r = chord / (2 * std::abs(std::sin(sweep / 2))), h = r * std::cos(sweep / 2);
        const double side = sweep > 0 ? h : -h;  // the centre stands off the chord's middle to its left
        const double cx = (xs[k] + xs[next]) / 2 - dy / chord * side, cy = (ys[k] + ys[next]) / 2 + dx / chord * side;
        arc(cx, cy, r, std::atan2(ys[k] - cy, xs[k] - cx), sweep);
      }
    } else {
      return INFINITY;
    }
    return high >= low ? high - low : INFINITY;
  }

  // Whether heights from `low` to `high` (in the file's units) lie within
  // kFlatHeights of one another.
  bool Flat(double low, double high) const {
    return (high - low) * MillimetresIn(result_.units) <= kFlatHeights;
  }

  // Leaves `record` out for `why`: named by where it stands while few are,
  // then counted (a file may bring millions of one kind).
  void Skip(std::string_view why, const Record& record, const Followers* followers = nullptr) {
    if (!block_.empty()) return SkipInBlock(why, record, followers);
    if (unnamed_ && why == unnamedWhy_) {
      ++unnamed_;
      return;
    }
    Flush();
    const std::string reason(why);
    if (!result_.skipped.Names(reason)) {
      unnamedWhy_ = reason;
      unnamed_ = 1;
      return;
    }
    double x = NAN, y = NAN;
    PointOf(record, followers, x, y);
    result_.skipped.Add(reason, Place(record.type, Named(record.Value(8)), {}, x, y));
  }
  // Leaves `record` of the block being read out for `why`: the builder names
  // it where each copy of the block puts it.
  void SkipInBlock(std::string_view why, const Record& record, const Followers* followers) {
    if (!blockLeft_ || block_ != blockLeftBlock_ || why != blockLeftWhy_) {
      blockLeftBlock_ = block_;
      blockLeftWhy_ = why;
      blockLeft_ = &result_.inBlocks[std::string(block_)][std::string(why)];
    }
    if (blockLeft_->count++ >= Leftovers::kPlaces) return;
    double x = NAN, y = NAN;
    PointOf(record, followers, x, y);
    blockLeft_->named.push_back({std::string(record.type), Named(record.Value(8)), x, y});
  }
  // Where `record` stands, seen from above: its first point; a spline given
  // by fit points has it among them; a polyline's and a hatch's own point
  // gives only their height (the first vertex, the boundary's start stand
  // for them).
  void PointOf(const Record& record, const Followers* followers, double& x, double& y) const {
    if (record.type == "POLYLINE") {
      if (followers) ParseDouble(followers->x, x), ParseDouble(followers->y, y);
    } else if (record.type == "HATCH" || record.type == "MPOLYGON") {
      BoundaryStart(record, x, y);
    } else {
      const bool fit = record.Value(10).empty() && record.Value(20).empty();
      ParseDouble(record.Value(fit ? 11 : 10), x);
      ParseDouble(record.Value(fit ? 21 : 20), y);
    }
    Plan(record, x, y);
  }
  // Where the point (x, y) of `record` stands seen from above, when the
  // record gives it in the coordinates of a plane tilted out of the
  // drawing's (its normal, groups 210 to 230; its elevation, group 30 or a
  // light polyline's 38).
  static void Plan(const Record& record, double& x, double& y) {
    static const std::set<std::string_view> ownCoordinates = {"CIRCLE", "ARC", "LWPOLYLINE", "POLYLINE", "TEXT", "ATTRIB",
                                                              "ATTDEF", "INSERT", "HATCH", "MPOLYGON", "SOLID", "TRACE"};
    long long flags = 0;
    if (!ownCoordinates.count(record.type) ||
        (record.type == "POLYLINE" && ParseLong(record.Value(70, "0"), flags) && (flags & (8 | 16 | 64))))
      return;
    double normal[3] = {0, 0, 1}, n[3], ax[3], ay[3], elevation = 0;
    ParseDouble(record.Value(210, "0"), normal[0]);
    ParseDouble(record.Value(220, "0"), normal[1]);
    ParseDouble(record.Value(230, "1"), normal[2]);
    if ((normal[0] == 0 && normal[1] == 0 && normal[2] > 0) || !PlaneAxes(normal, n, ax, ay)) return;
    ParseDouble(record.Value(record.type == "LWPOLYLINE" ? 38 : 30, "0"), elevation);
    const double px = x * ax[0] + y * ay[0] + elevation * n[0], py = x * ax[1] + y * ay[1] + elevation * n[1];
    x = px, y = py;
  }

  // Where the boundary of a hatch starts, from its first path on (group
  // 92): a polyline path's first vertex; a line's or a spline's first point;
  // an arc's or an elliptic arc's start (a clockwise one gives the
  // complement of its angle; an ellipse's angle is no parameter). Left NaN
  // when the record tells none.
  void BoundaryStart(const Record& record, double& x, double& y) const {
    Groups groups(text_);
    groups.Seek(record.first);
    Group g;
    bool path = false, polyline = false;
    long long edge = 0;
    double cx = NAN, cy = NAN, mx = NAN, my = NAN, size = NAN, from = NAN;
    while (groups.At() < record.last && groups.Next(g)) {
      double v = NAN;
      ParseDouble(g.value, v);
      if (g.code == 98) return;  // seed points
      if (g.code == 92) {
        path = true;
        polyline = (static_cast<long long>(std::isfinite(v) ? v : 0) & 2) != 0;
      } else if (!path) {
        continue;
      } else if (g.code == 72 && !polyline) {
        edge = std::isfinite(v) ? static_cast<long long>(v) : 0;
      } else if (g.code == 10 || g.code == 11) {
        (g.code == 10 ? cx : mx) = v;
      } else if (g.code == 20 || g.code == 21) {
        (g.code == 20 ? cy : my) = v;
        if (polyline || edge == 1 || edge == 4) {
          x = g.code == 20 ? cx : mx, y = g.code == 20 ? cy : my;
          return;
        }
      } else if (g.code == 40 && std::isnan(size)) {
        size = v;
      } else if (g.code == 50) {
        from = v;
      } else if (g.code == 73 && (edge == 2 || edge == 3)) {
        const double a = (v == 0 ? -from : from) * 3.14159265358979323846 / 180;
        if (edge == 2) {
          x = cx + size * std::cos(a), y = cy + size * std::sin(a);
        } else {
          const double t = std::atan2(std::sin(a) / size, std::cos(a));
          x = cx + mx * std::cos(t) - my * size * std::sin(t), y = cy + my * std::cos(t) + mx * size * std::sin(t);
        }
        return;
      }
    }
  }

  void Flush() {
    if (unnamed_) result_.skipped.Add(unnamedWhy_, {}, unnamed_);
    unnamed_ = 0;
  }

  // A name of the file (a layer's, a block's) as UTF-8.
  std::string Named(std::string_view bytes) const {
    return bytes.empty() ? std::string() : Utf8(DecodeText(std::string(bytes), result_.codePage, result_.version >= "AC1021"));
  }

  std::string_view text_;
  Groups groups_;
  State state_ = State::Outside;
  std::string_view section_;
  std::string_view block_;  // the block being read
  const Survey& survey_;
  std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> defined_;  // blocks read
  std::string unnamedWhy_;               // objects last left out for, once no more are named
  std::size_t unnamed_ = 0;              // and how many since
  // What a block's objects were last left out for, and of which block.
  std::string_view blockLeftBlock_;
  std::string blockLeftWhy_;
  BlockLeftovers* blockLeft_ = nullptr;
  std::optional<std::string_view> otherType_;  // the last kind not imported
  std::string otherWhy_;
  bool kept_ = false;
  std::optional<Record> pending_;  // read ahead: what follows an object's followers
  std::size_t objects_ = 0, pieces_ = 0, splinePoints_ = 0, ellipses_ = 0, textBytes_ = 0;  // given to dxflib
  std::size_t layers_ = 0, linetypes_ = 0, blocks_ = 0;  // defined
  std::string* out_ = nullptr;
  bool cutNamed_ = false;
  Prepared result_;
};

void Leftovers::Add(const std::string& why, const std::string& where, std::size_t count) {
  Entry& entry = byWhy_[why];
  entry.count += count;
  if (entry.places.size() < Leftovers::kPlaces && !where.empty()) entry.places.push_back(where);
}

void Leftovers::Add(const Leftovers& other) {
  for (const auto& [why, entry] : other.byWhy_) {
    Entry& mine = byWhy_[why];
    mine.count += entry.count;
    for (const std::string& place : entry.places)
      if (mine.places.size() < Leftovers::kPlaces) mine.places.push_back(place);
  }
}

bool Leftovers::Names(const std::string& why) const {
  const auto it = byWhy_.find(why);
  return it == byWhy_.end() || it->second.places.size() < Leftovers::kPlaces;
}

bool BeyondCaps(std::string_view why) {
  static const std::string_view caps[] = {kTooManyObjects,   kTooManyPieces,    kTooManySplinePoints, kTooManyEllipses,
                                          kTooMuchText,      kOnTooManyLayers,  kOfTooManyLinetypes,  kTooManyBlocks,
                                          kTooManyRecords,   kTooManyGroups,    kTooManyVisits,       kTooManyCopied,
                                          kTooDeep,          kLongValues};
  return std::any_of(std::begin(caps), std::end(caps), [&](std::string_view cap) { return why.starts_with(cap); });
}

std::string Leftovers::Text() const {
  const std::string caps = Text(true), others = Text(false);
  return caps.empty() || others.empty() ? caps + others : caps + "; " + others;
}

std::string Leftovers::Text(bool caps) const {
  std::string out;
  for (const auto& [why, entry] : byWhy_) {
    if (BeyondCaps(why) != caps) continue;
    out += (out.empty() ? "" : "; ") + why;
    if (entry.count == 0) continue;
    out += " — " + std::to_string(entry.count);
    if (entry.places.empty()) continue;
    out += " (";
    for (std::size_t i = 0; i < entry.places.size(); ++i) out += (i ? ", " : "") + entry.places[i];
    if (entry.count > entry.places.size()) out += " и ещё " + std::to_string(entry.count - entry.places.size());
    out += ")";
  }
  return out;
}

namespace {

// A coordinate of a message, as the library writes places in its own
// messages: at most four decimals, no trailing zeros; six significant
// digits past 1e9.
std::string Short(double v) {
  char text[400];
  if (std::fabs(v) >= 1e9) {
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
  }
  std::snprintf(text, sizeof text, "%.4f", v);
  std::string out = text;
  out.erase(out.find_last_not_of('0') + 1);
  if (out.back() == '.') out.pop_back();
  return out == "-0" ? "0" : out;
}

// The kind of a DXF object as a user calls it.
std::string KindName(std::string_view type) {
  static const std::map<std::string_view, const char*> names = {
      {"LINE", "отрезок"},   {"ARC", "дуга"},        {"CIRCLE", "окружность"}, {"ELLIPSE", "эллипс"},
      {"LWPOLYLINE", "полилиния"}, {"POLYLINE", "полилиния"}, {"SPLINE", "сплайн"}, {"TEXT", "текст"},
      {"MTEXT", "текст"},    {"ATTRIB", "атрибут"},  {"ATTDEF", "атрибут"},  {"INSERT", "вставка блока"},
      {"DIMENSION", "размер"}, {"HATCH", "штриховка"}, {"POINT", "точка"}, {"LEADER", "выноска"},
      {"MULTILEADER", "мультивыноска"}, {"REGION", "область"}, {"SOLID", "фигура"}, {"TRACE", "полоса"},
      {"XLINE", "прямая"}, {"RAY", "луч"}, {"MLINE", "мультилиния"}, {"IMAGE", "изображение"},
      {"WIPEOUT", "маскировка"}, {"TOLERANCE", "допуск формы"}, {"3DFACE", "3D-грань"}, {"3DSOLID", "3D-тело"},
      {"MESH", "сеть"}, {"BODY", "тело"}, {"HELIX", "спираль"}, {"OLE2FRAME", "OLE-объект"}, {"SURFACE", "поверхность"},
      {"PLANESURFACE", "поверхность"}, {"EXTRUDEDSURFACE", "поверхность"}, {"LOFTEDSURFACE", "поверхность"},
      {"REVOLVEDSURFACE", "поверхность"}, {"SWEPTSURFACE", "поверхность"}};
  const auto it = names.find(type);
  if (it != names.end()) return it->second;
  return type.empty() ? std::string("объект без имени типа") : "объект " + std::string(type.substr(0, 64));
}

}  // namespace

bool PlaneAxes(const double normal[3], double n[3], double x[3], double y[3]) {
  const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (!(length > 0) || !std::isfinite(length)) return false;
  for (int i = 0; i < 3; ++i) n[i] = normal[i] / length;
  if (std::abs(n[0]) < 1.0 / 64 && std::abs(n[1]) < 1.0 / 64) x[0] = n[2], x[1] = 0, x[2] = -n[0];  // Y × N
  else x[0] = -n[1], x[1] = n[0], x[2] = 0;                                                        // Z × N
  const double l = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (int i = 0; i < 3; ++i) x[i] /= l;
  y[0] = n[1] * x[2] - n[2] * x[1], y[1] = n[2] * x[0] - n[0] * x[2], y[2] = n[0] * x[1] - n[1] * x[0];  // N × X
  return true;
}

double MillimetresIn(int units) {
  static const double mm[] = {1, 25.4, 304.8, 1609344, 1, 10, 1000, 1e6, 2.54e-5, 0.0254, 914.4, 1e-7, 1e-6, 1e-3,
                              100, 1e4, 1e5, 1e12, 1.495978707e14, 9.4607304725808e18, 3.0856775814913673e19,
                              304.8006096, 25.40005080, 914.4018288, 1609347.219};
  return units >= 0 && units <= 24 ? mm[units] : 1.0;
}

bool NoCase::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return static_cast<unsigned char>(up(x)) < static_cast<unsigned char>(up(y));
  });
}

std::size_t NoCaseHash::operator()(std::string_view s) const {
  std::size_t h = 14695981039346656037ull;  // FNV-1a over the letters in capitals
  for (char c : s) h = (h ^ static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c)) * 1099511628211ull;
  return h;
}

std::string Place(std::string_view type, std::string_view layer, std::string_view block, double x, double y) {
  // A name of at most 64 characters (of UTF-8, cut between characters).
  auto clip = [](std::string_view name) {
    std::size_t end = 0;
    for (int n = 0; end < name.size() && n < 64; ++n)
      do ++end; while (end < name.size() && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80);
    return std::string(name.substr(0, end)) + (end < name.size() ? "…" : "");
  };
  std::string out = KindName(type) + " на слое «" + (layer.empty() ? std::string("0") : clip(layer)) + "»";
  if (!block.empty()) out += " в блоке «" + clip(block) + "»";
  if (std::isfinite(x) && std::isfinite(y)) out += " у (" + Short(x) + "; " + Short(y) + ")";
  return out;
}

bool Survey::Check(std::string_view bytes, std::string& error) {
  if (bytes.empty()) {
    error = "файл пуст";
    return false;
  }
  if (bytes.rfind("AutoCAD Binary DXF", 0) == 0) {
    error = "это двоичный DXF, он не читается: сохраните его как текстовый DXF";
    return false;
  }
  if (bytes.size() >= 6 && bytes.compare(0, 4, "AC10") == 0 && bytes.find('\n') > 16) {
    error = "это чертёж DWG, а не файл DXF";
    return false;
  }
  if (bytes.find('\0') != std::string::npos) {
    error = "это не текстовый файл DXF (в нём двоичные данные)";
    return false;
  }
  // The blocks the model space draws: inserted there (not in paper space), or
  // by a block it draws. The names of a file's first 250,000 inserts are
  // looked at: no more objects are read from one file.
  constexpr std::size_t kInsertsLookedAt = kMaxObjects;
  std::size_t inserts = 0;
  std::unordered_map<std::string_view, std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual>, NoCaseHash,
                     NoCaseEqual>
      into;  // by the block they stand in
  std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> roots;
  std::string_view section, block, type, name;
  bool paper = false;
  auto finish = [&] {
    if (type == "SECTION") section = name;
    if (type == "INSERT" && inserts < kInsertsLookedAt) {
      ++inserts;
      if (section == "ENTITIES" && !paper) roots.insert(name);
      if (section == "BLOCKS" && !block.empty()) into[block].insert(name);
    }
    if (type == "BLOCK") block = name;
    if (type == "ENDBLK") block = {};
  };
  Groups groups(bytes);
  Group g;
  bool bad = false, any = false, ended = false;
  int open = 0;
  std::size_t records = 0, count = 0, record = 0, recordLine = 1;  // where the last record starts: byte, line
  std::size_t opened = 0;  // the line where the open section starts
  std::string damaged;     // where the sections first go wrong
  read_ = bytes.size();
  cut_ = false;
  for (std::size_t before = 0; groups.Next(g, bad); before = groups.At()) {
    any = true;
    if (g.code == 0) {
      record = before;
      recordLine = groups.Line() - 1;
    }
    if ((g.code == 0 && ++records > kMaxRecords) || ++count > kMaxFileGroups) {
      read_ = record;  // the file is read as if it ended before this record
      cutLine_ = recordLine;
      cut_ = ended = true;
      break;
    }
    if (g.code == 0) {
      finish();
      type = g.value;
      name = {};
      paper = false;
      const std::size_t line = groups.Line() - 1;  // of the group's code
      if (type == "ENDSEC") section = {};
      if (type == "EOF") {  // the file ends here, whatever follows
        ended = true;
        break;
      }
      if (type == "SECTION" && ++open == 1) opened = line;
      else if (type == "ENDSEC") --open;
      if (damaged.empty() && open > 1)
        damaged = "в строке " + std::to_string(line) + " секция начата внутри секции из строки " + std::to_string(opened);
      if (damaged.empty() && open < 0)
        damaged = "в строке " + std::to_string(line) + " конец секции (ENDSEC) без её начала";
    } else if (g.code == 2 && name.empty()) {
      name = g.value;
    } else if (g.code == 67) {
      paper = g.value == "1";
    }
  }
  if (bad) {
    const std::size_t line = groups.Line() - 1;
    error = line <= 1 ? "это не файл DXF" : "файл повреждён в строке " + std::to_string(line) + " (ожидается код группы)";
    return false;
  }
  if (!ended) {
    error = !any ? "это не файл DXF" : "файл обрывается до конца (нет EOF) в строке " + std::to_string(groups.Line());
    return false;
  }
  if (!damaged.empty()) {
    error = "секции файла повреждены: " + damaged;
    return false;
  }
  if (open != 0 && !cut_) {
    error = "файл обрывается до конца (секция не закрыта): секция" +
            (section.empty() ? std::string() : " " + std::string(section.substr(0, 64))) + " из строки " +
            std::to_string(opened) + " не закрыта до EOF в строке " + std::to_string(groups.Line() - 1);
    return false;
  }
  std::vector<std::string_view> next(roots.begin(), roots.end());
  while (!next.empty()) {
    const std::string_view block = next.back();
    next.pop_back();
    if (!drawn_.insert(block).second) continue;
    const auto it = into.find(block);
    if (it != into.end()) next.insert(next.end(), it->second.begin(), it->second.end());
  }
  return true;
}

PreparedText::PreparedText(std::string_view bytes, const Survey& survey)
    : preparer_(std::make_unique<Preparer>(bytes.substr(0, survey.Read()), survey)) {}
PreparedText::~PreparedText() = default;

const Prepared& PreparedText::Result() { return preparer_->Result(); }

PreparedText::int_type PreparedText::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  // Some tens of kilobytes at a time; an object comes whole however long it is.
  chunk_.clear();
  while (chunk_.size() < (std::size_t{64} << 10) && preparer_->Step(chunk_)) {
  }
  if (chunk_.empty()) return traits_type::eof();
  setg(chunk_.data(), chunk_.data(), chunk_.data() + chunk_.size());
  return traits_type::to_int_type(*gptr());
}

}  // namespace vlhost::dxf
