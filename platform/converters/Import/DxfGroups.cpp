#include "Import/DxfGroups.h"

#include <dxflib/dl_codes.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>

namespace vlhost::dxf {
namespace {

constexpr std::size_t kMaxCount = 10'000'000;
static_assert(kMaxValue < DL_DXF_MAXLINE, "dxflib reads lines shorter than its buffer");
// The chunks an MTEXT's text is given to dxflib in (DXF writes at most 250).
constexpr std::size_t kTextChunk = 250;

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

bool ParseDouble(std::string_view text, double& value) {
  if (text.empty() || text.size() > 256) return false;
  std::string s(text);
  std::replace(s.begin(), s.end(), ',', '.');
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value) && errno != ERANGE;
}

bool ParseLong(std::string_view text, long long& value) {
  if (text.empty() || text.size() > 32) return false;
  const std::string s(text);
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(s.c_str(), &end, 10);
  return end && *end == '\0' && errno != ERANGE;
}

// One object of a section: its groups from its code-0 group on.
struct Record {
  std::size_t first, last;  // groups [first, last)
};

class Preparer {
 public:
  Preparer(std::vector<Group> groups) : groups_(std::move(groups)) {}

  Prepared Run() {
    std::size_t i = 0;
    while (i < groups_.size()) {
      if (Is(i, 0, "SECTION") && i + 1 < groups_.size() && groups_[i + 1].code == 2) {
        const std::string_view name = groups_[i + 1].value;
        const std::size_t end = SectionEnd(i + 2);
        if (name == "HEADER") Header(i + 2, end);
        if (name == "HEADER" || name == "TABLES" || name == "BLOCKS" || name == "ENTITIES") {
          Keep(i, i + 2);
          Section(name, i + 2, end);
          Keep(end, std::min(end + 1, groups_.size()));
        }
        i = end + 1;
      } else {
        ++i;
      }
    }
    out_.stream += "  0\nEOF\n";
    return std::move(out_);
  }

 private:
  bool Is(std::size_t i, int code, const char* value) const {
    return i < groups_.size() && groups_[i].code == code && groups_[i].value == value;
  }

  std::size_t SectionEnd(std::size_t from) const {
    for (std::size_t i = from; i < groups_.size(); ++i)
      if (groups_[i].code == 0 && (groups_[i].value == "ENDSEC" || groups_[i].value == "EOF")) return i;
    return groups_.size();
  }

  void Put(int code, std::string_view value) {
    out_.stream += std::to_string(code);
    out_.stream += '\n';
    out_.stream += value;
    out_.stream += '\n';
  }

  // An MTEXT's text goes in chunks that dxflib joins again: every part but
  // the last as a code-3 group, the last as the code-1 group.
  void Keep(std::size_t first, std::size_t last) {
    const bool mtext = groups_[first].code == 0 && groups_[first].value == "MTEXT";
    for (std::size_t i = first; i < last; ++i) {
      const Group& g = groups_[i];
      if (!mtext || (g.code != 1 && g.code != 3) || g.value.size() <= kTextChunk) {
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

  void Header(std::size_t first, std::size_t last) {
    for (std::size_t i = first; i + 1 < last; ++i) {
      if (groups_[i].code != 9) continue;
      const std::string_view name = groups_[i].value;
      const Group& v = groups_[i + 1];
      long long n = 0;
      if (name == "$ACADVER") out_.version = v.value.substr(0, 16);
      else if (name == "$DWGCODEPAGE") out_.codePage = v.value.substr(0, 32);
      else if (name == "$INSUNITS" && ParseLong(v.value, n) && n >= 0 && n <= 24) out_.units = static_cast<int>(n);
    }
  }

  std::vector<Record> Records(std::size_t first, std::size_t last) const {
    std::vector<Record> records;
    for (std::size_t i = first; i < last; ++i) {
      if (groups_[i].code == 0) records.push_back({i, i + 1});
      else if (!records.empty()) records.back().last = i + 1;
    }
    return records;
  }

  void Section(std::string_view name, std::size_t first, std::size_t last) {
    const std::vector<Record> records = Records(first, last);
    for (std::size_t r = 0; r < records.size(); ++r) {
      const std::string_view type = groups_[records[r].first].value;
      if (name == "HEADER") {  // variables only: dxflib would take objects here for real ones
        Skip("objects misplaced in the file's header");
        continue;
      }
      if (name == "TABLES") {
        static const std::set<std::string_view> kept = {"TABLE", "ENDTAB", "LAYER", "LTYPE"};
        if (kept.count(type) && Sound(records[r]).empty()) Keep(records[r].first, records[r].last);
        else if (kept.count(type)) Skip("damaged table entries");
        continue;
      }
      if (type == "ENDBLK") {  // its groups (layer, handle) mean nothing here
        Put(0, "ENDBLK");
        continue;
      }
      if (type == "BLOCK") {
        if (Sound(records[r]).empty()) {
          Keep(records[r].first, records[r].last);
          continue;
        }
        Skip("damaged blocks");  // with everything in them
        while (r + 1 < records.size() && groups_[records[r + 1].first].value != "ENDBLK") ++r;
        ++r;
        continue;
      }
      // An object with its followers: a POLYLINE's vertices, an INSERT's attributes.
      std::size_t end = r + 1;
      if (type == "POLYLINE" || type == "INSERT") {
        while (end < records.size() && (groups_[records[end].first].value == "VERTEX" ||
                                        groups_[records[end].first].value == "ATTRIB"))
          ++end;
        if (end < records.size() && groups_[records[end].first].value == "SEQEND") ++end;
      }
      Object(records, r, end);
      r = end - 1;
    }
  }

  void Object(const std::vector<Record>& records, std::size_t r, std::size_t end) {
    static const std::set<std::string_view> imported = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE",
                                                        "SPLINE", "TEXT", "MTEXT", "INSERT"};
    static const std::set<std::string_view> solid = {"3DFACE", "3DSOLID", "BODY", "REGION", "SURFACE", "MESH",
                                                     "PLANESURFACE", "EXTRUDEDSURFACE", "LOFTEDSURFACE",
                                                     "REVOLVEDSURFACE", "SWEPTSURFACE", "POLYFACE"};
    static const std::set<std::string_view> quiet = {"ATTDEF", "VIEWPORT", "SEQEND", "VERTEX", "ATTRIB"};
    const std::string_view type = groups_[records[r].first].value;
    for (std::size_t k = r; k < end; ++k)
      if (Value(records[k], 67) == "1") return;  // paper space: not part of the drawing's model
    if (quiet.count(type)) return;
    if (solid.count(type)) return Skip("3D objects");
    if (!imported.count(type)) return Skip(std::string(type.substr(0, 64)) + " objects, which are not imported");
    std::string why;
    for (std::size_t k = r; k < end && why.empty(); ++k) why = Sound(records[k]);
    if (why.empty() && type == "POLYLINE") {
      long long flags = 0;
      ParseLong(Value(records[r], 70), flags);
      // A 3D polyline whose vertices all stand at one height is a plane
      // outline (as CAM and 3D systems export sections): its plan is read.
      if ((flags & (16 | 64)) || ((flags & 8) && !Level(records, r, end))) why = "3D objects";
    }
    if (why.empty() && type == "LINE" && Value(records[r], 30) != Value(records[r], 31)) {
      double z1 = 0, z2 = 0;
      ParseDouble(Value(records[r], 30, "0"), z1);
      ParseDouble(Value(records[r], 31, "0"), z2);
      if (z1 != z2) why = "3D objects";
    }
    if (!why.empty()) return Skip(why);
    Keep(records[r].first, records[end - 1].last);
  }

  // Whether the vertices of the polyline records[r, end) all stand at one height.
  bool Level(const std::vector<Record>& records, std::size_t r, std::size_t end) const {
    std::optional<double> height;
    for (std::size_t k = r + 1; k < end; ++k) {
      if (groups_[records[k].first].value != "VERTEX") continue;
      double z = 0;
      if (!ParseDouble(Value(records[k], 30, "0"), z)) return false;
      if (height && *height != z) return false;
      height = z;
    }
    return true;
  }

  std::string_view Value(const Record& record, int code, std::string_view otherwise = "") const {
    for (std::size_t i = record.first + 1; i < record.last; ++i)
      if (groups_[i].code == code) return groups_[i].value;
    return otherwise;
  }

  std::size_t Count(const Record& record, int code) const {
    std::size_t n = 0;
    for (std::size_t i = record.first + 1; i < record.last; ++i) n += groups_[i].code == code;
    return n;
  }

  // Why a record cannot be given to dxflib, or nothing.
  std::string Sound(const Record& record) const {
    const std::string_view type = groups_[record.first].value;
    if (type.size() > kMaxValue) return "objects with values longer than 1,023 characters";
    for (std::size_t i = record.first + 1; i < record.last; ++i) {
      const Group& g = groups_[i];
      const bool chunked = type == "MTEXT" && (g.code == 1 || g.code == 3);
      if (g.value.size() > kMaxValue && !chunked) return "objects with values longer than 1,023 characters";
      double d = 0;
      long long n = 0;
      if (IsFloatCode(g.code) && !ParseDouble(g.value, d)) return "objects with numbers that are not finite";
      if (IsIntCode(g.code) && (!ParseLong(g.value, n) || n < INT32_MIN || n > INT32_MAX))
        return "objects with damaged whole numbers";
    }
    // Each declared count must be the number of groups that follow it.
    auto counted = [&](int countCode, int itemCode) {
      long long n = 0;
      const std::string_view v = Value(record, countCode, "0");
      return ParseLong(v, n) && n >= 0 && static_cast<std::size_t>(n) <= kMaxCount &&
             static_cast<std::size_t>(n) == Count(record, itemCode);
    };
    bool ok = true;
    if (type == "LWPOLYLINE") ok = counted(90, 10);
    else if (type == "SPLINE") ok = counted(72, 40) && counted(73, 10) && counted(74, 11);
    else if (type == "LTYPE") ok = counted(73, 49);
    if (!ok) return "objects whose counts do not match their data";
    if (type == "SPLINE") {
      long long degree = 0;
      if (!ParseLong(Value(record, 71, "3"), degree) || degree < 1 || degree > 25)
        return "splines of a degree that cannot be";
    }
    const std::string_view ex = Value(record, 210, "0"), ey = Value(record, 220, "0"), ez = Value(record, 230, "1");
    double x = 0, y = 0, z = 1;
    if (ParseDouble(ex, x) && ParseDouble(ey, y) && ParseDouble(ez, z) &&
        (std::abs(x) > 1e-9 || std::abs(y) > 1e-9 || std::abs(std::abs(z) - 1) > 1e-9))
      return "3D objects";
    return {};
  }

  void Skip(const std::string& why) { ++out_.skipped[why]; }

  std::vector<Group> groups_;
  Prepared out_;
};

}  // namespace

std::optional<Prepared> Prepare(const std::string& bytes, std::string& error) {
  if (bytes.empty()) {
    error = "the file is empty";
    return std::nullopt;
  }
  if (bytes.rfind("AutoCAD Binary DXF", 0) == 0) {
    error = "it is a binary DXF file, which cannot be read; save it as a text DXF";
    return std::nullopt;
  }
  if (bytes.size() >= 6 && bytes.compare(0, 4, "AC10") == 0 && bytes.find('\n') > 16) {
    error = "it is a DWG drawing, not a DXF file";
    return std::nullopt;
  }
  if (bytes.find('\0') != std::string::npos) {
    error = "it is not a text DXF file (it holds binary data)";
    return std::nullopt;
  }
  // Lines end with LF, CR LF or CR; groups are pairs of lines, kept as views.
  const std::string_view text(bytes);
  std::size_t at = 0, line = 0;
  auto nextLine = [&](std::string_view& out) {
    if (at >= text.size()) return false;
    const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    out = text.substr(at, end - at);
    at = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    ++line;
    return true;
  };
  std::vector<Group> groups;
  std::string_view codeLine, valueLine;
  while (nextLine(codeLine) && nextLine(valueLine)) {
    if (line == 2 && codeLine.rfind("\xEF\xBB\xBF", 0) == 0) codeLine.remove_prefix(3);  // a byte-order mark
    long long code = 0;
    if (!ParseLong(Trim(codeLine), code) || code < 0 || code > 1071) {
      error = line == 2 ? "it is not a DXF file" : "it is damaged at line " + std::to_string(line - 1) + " (a group code is expected)";
      return std::nullopt;
    }
    groups.push_back({static_cast<int>(code), code == 1 || code == 3 ? valueLine : Trim(valueLine)});
  }
  const bool ends = !groups.empty() && groups.back().code == 0 && groups.back().value == "EOF";
  if (!ends) {
    error = groups.empty() ? "it is not a DXF file" : "it is cut off before its end (no EOF)";
    return std::nullopt;
  }
  int open = 0;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].code != 0) continue;
    if (groups[i].value == "SECTION") ++open;
    else if (groups[i].value == "ENDSEC") --open;
    if (open < 0 || open > 1) {
      error = "its sections are damaged";
      return std::nullopt;
    }
  }
  if (open != 0) {
    error = "it is cut off before its end (a section is not closed)";
    return std::nullopt;
  }
  return Preparer(std::move(groups)).Run();
}

}  // namespace vlhost::dxf
