#include "Import/DxfGroups.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>

namespace vlhost::dxf {
namespace {

constexpr std::size_t kMaxCount = 10'000'000;

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

bool IsFloatCode(int c) {
  return (c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239) || (c >= 460 && c <= 469) ||
         (c >= 1010 && c <= 1059);
}

bool IsIntCode(int c) {
  return (c >= 60 && c <= 99) || (c >= 170 && c <= 179) || (c >= 270 && c <= 289) || (c >= 370 && c <= 389) ||
         (c >= 400 && c <= 409) || (c >= 1060 && c <= 1071);
}

bool ParseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  std::string s = text;
  std::replace(s.begin(), s.end(), ',', '.');
  char* end = nullptr;
  errno = 0;
  value = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value) && errno != ERANGE;
}

bool ParseLong(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
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
        const std::string name = groups_[i + 1].value;
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

  void Keep(std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      out_.stream += std::to_string(groups_[i].code);
      out_.stream += '\n';
      out_.stream += groups_[i].value;
      out_.stream += '\n';
    }
  }

  void Header(std::size_t first, std::size_t last) {
    for (std::size_t i = first; i + 1 < last; ++i) {
      if (groups_[i].code != 9) continue;
      const std::string& name = groups_[i].value;
      const Group& v = groups_[i + 1];
      long long n = 0;
      if (name == "$ACADVER") out_.version = v.value;
      else if (name == "$DWGCODEPAGE") out_.codePage = v.value;
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

  void Section(const std::string& name, std::size_t first, std::size_t last) {
    const std::vector<Record> records = Records(first, last);
    for (std::size_t r = 0; r < records.size(); ++r) {
      const std::string& type = groups_[records[r].first].value;
      if (name == "HEADER") {
        Keep(records[r].first, records[r].last);
        continue;
      }
      if (name == "TABLES") {
        static const std::set<std::string> kept = {"TABLE", "ENDTAB", "LAYER", "LTYPE"};
        if (kept.count(type) && Sound(records[r]).empty()) Keep(records[r].first, records[r].last);
        else if (kept.count(type)) Skip("damaged table entries");
        continue;
      }
      if (type == "BLOCK" || type == "ENDBLK") {
        Keep(records[r].first, records[r].last);
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
    static const std::set<std::string> imported = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE",
                                                   "SPLINE", "TEXT", "MTEXT", "INSERT"};
    static const std::set<std::string> solid = {"3DFACE", "3DSOLID", "BODY", "REGION", "SURFACE", "MESH",
                                                "PLANESURFACE", "EXTRUDEDSURFACE", "LOFTEDSURFACE",
                                                "REVOLVEDSURFACE", "SWEPTSURFACE", "POLYFACE"};
    static const std::set<std::string> quiet = {"ATTDEF", "VIEWPORT", "SEQEND", "VERTEX", "ATTRIB"};
    const std::string& type = groups_[records[r].first].value;
    for (std::size_t k = r; k < end; ++k)
      if (Value(records[k], 67) == "1") return;  // paper space: not part of the drawing's model
    if (quiet.count(type)) return;
    if (solid.count(type)) return Skip("3D objects");
    if (!imported.count(type)) return Skip(type + " objects, which are not imported");
    std::string why;
    for (std::size_t k = r; k < end && why.empty(); ++k) why = Sound(records[k]);
    if (why.empty() && type == "POLYLINE") {
      long long flags = 0;
      ParseLong(Value(records[r], 70), flags);
      if (flags & (8 | 16 | 64)) why = "3D objects";
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

  std::string Value(const Record& record, int code, const std::string& otherwise = "") const {
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
    for (std::size_t i = record.first + 1; i < record.last; ++i) {
      const Group& g = groups_[i];
      double d = 0;
      long long n = 0;
      if (IsFloatCode(g.code) && !ParseDouble(g.value, d)) return "objects with numbers that are not finite";
      if (IsIntCode(g.code) && (!ParseLong(g.value, n) || n < INT32_MIN || n > INT32_MAX))
        return "objects with damaged whole numbers";
    }
    const std::string& type = groups_[record.first].value;
    // Each declared count must be the number of groups that follow it.
    auto counted = [&](int countCode, int itemCode) {
      long long n = 0;
      const std::string v = Value(record, countCode, "0");
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
    const std::string ex = Value(record, 210, "0"), ey = Value(record, 220, "0"), ez = Value(record, 230, "1");
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
  // Lines end with LF, CR LF or CR.
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= bytes.size(); ++i) {
    if (i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r') {
      if (i == bytes.size() && start == i) break;
      lines.push_back(bytes.substr(start, i - start));
      if (i + 1 < bytes.size() && bytes[i] == '\r' && bytes[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  // A byte-order mark may start the file.
  if (!lines.empty() && lines[0].rfind("\xEF\xBB\xBF", 0) == 0) lines[0].erase(0, 3);
  std::vector<Group> groups;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
    long long code = 0;
    if (!ParseLong(Trim(lines[i]), code) || code < 0 || code > 1071) {
      error = i == 0 ? "it is not a DXF file" : "it is damaged at line " + std::to_string(i + 1) + " (a group code is expected)";
      return std::nullopt;
    }
    groups.push_back({static_cast<int>(code), code == 1 || code == 3 ? lines[i + 1] : Trim(lines[i + 1])});
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
