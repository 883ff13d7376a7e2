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
#include <optional>
#include <set>

namespace vlhost::dxf {
namespace {

constexpr std::size_t kMaxCount = 10'000'000;
static_assert(kMaxValue < DL_DXF_MAXLINE, "dxflib reads lines shorter than its buffer");
// The chunks an MTEXT's text is given to dxflib in (DXF writes at most 250).
constexpr std::size_t kTextChunk = 250;
constexpr char k3D[] = "3D-объекты";
constexpr char kLongValues[] = "объекты со значениями длиннее 1023 символов";

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
  std::string s(text);
  std::replace(s.begin(), s.end(), ',', '.');
  char* end = nullptr;
  value = std::strtod(s.c_str(), &end);
  // A number too small for a double is read as 0 or near it, as CAD reads it.
  return end && *end == '\0' && std::isfinite(value);
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
    FindInsertedBlocks();
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
    block_ = {};
    for (std::size_t r = 0; r < records.size(); ++r) {
      const std::string_view type = groups_[records[r].first].value;
      if (name == "HEADER") {  // variables only: dxflib would take objects here for real ones
        Skip("объекты в заголовке файла", records[r]);
        continue;
      }
      if (name == "TABLES") {
        static const std::set<std::string_view> kept = {"TABLE", "ENDTAB", "LAYER", "LTYPE"};
        if (kept.count(type) && Sound(records[r]).empty()) Keep(records[r].first, records[r].last);
        else if (kept.count(type)) Skip("повреждённые записи таблиц", records[r]);
        continue;
      }
      if (type == "ENDBLK") {  // its groups (layer, handle) mean nothing here
        Put(0, "ENDBLK");
        block_ = {};
        continue;
      }
      if (type == "BLOCK") {
        const std::string_view block = Value(records[r], 2);
        // Blocks that nothing draws are not read; a name defined again is
        // not read again, and its inserts are left out as ambiguous.
        const bool drawn = inserted_.count(block) > 0, again = drawn && !defined_.insert(block).second;
        std::string why = drawn ? Sound(records[r]) : std::string();
        if (again) out_.duplicateBlocks.insert(std::string(block));
        long long flags = 0;
        if (drawn && !again && why.empty() && ParseLong(Value(records[r], 70, "0"), flags) && (flags & 4))
          out_.externalBlocks.insert(std::string(block));  // its objects are in another file
        if (drawn && !again && why.empty()) {
          Keep(records[r].first, records[r].last);
          block_ = block;
          continue;
        }
        if (drawn && !again) Skip("повреждённые блоки", records[r]);  // with everything in them
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
    if (!block_.empty()) Put(0, "ENDBLK");  // a block the section ends: its objects are not the model's
  }

  void Object(const std::vector<Record>& records, std::size_t r, std::size_t end) {
    static const std::set<std::string_view> imported = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE", "POLYLINE",
                                                        "SPLINE", "TEXT", "MTEXT", "INSERT"};
    static const std::set<std::string_view> solid = {"3DFACE", "3DSOLID", "BODY", "SURFACE", "MESH",
                                                     "PLANESURFACE", "EXTRUDEDSURFACE", "LOFTEDSURFACE",
                                                     "REVOLVEDSURFACE", "SWEPTSURFACE", "POLYFACE"};
    static const std::set<std::string_view> quiet = {"ATTDEF", "VIEWPORT", "SEQEND", "VERTEX", "ATTRIB"};
    const std::string_view type = groups_[records[r].first].value;
    for (std::size_t k = r; k < end; ++k)
      if (Value(records[k], 67) == "1") return;  // paper space: not part of the drawing's model
    if (quiet.count(type)) return;
    if (solid.count(type)) return Skip(k3D, records[r]);
    if (!imported.count(type)) return Skip("объекты " + std::string(type.substr(0, 64)) + ", которые не импортируются", records[r]);
    std::string why;
    for (std::size_t k = r; k < end && why.empty(); ++k) why = Sound(records[k]);
    if (why.empty() && type == "POLYLINE") {
      long long flags = 0;
      ParseLong(Value(records[r], 70), flags);
      // A 3D polyline whose vertices all stand at one height is a plane
      // outline (as CAM and 3D systems export sections): its plan is read.
      if ((flags & (16 | 64)) || ((flags & 8) && !Level(records, r, end))) why = k3D;
    }
    if (why.empty() && type == "LINE" && Value(records[r], 30) != Value(records[r], 31)) {
      double z1 = 0, z2 = 0;
      ParseDouble(Value(records[r], 30, "0"), z1);
      ParseDouble(Value(records[r], 31, "0"), z2);
      if (z1 != z2) why = k3D;
    }
    if (!why.empty()) return Skip(why, records[r]);
    // The control frame of a polyline smoothed into a spline is not drawn:
    // only its curve's vertices are.
    for (std::size_t k = r; k < end; ++k) {
      long long flags = 0;
      if (k == r || groups_[records[k].first].value != "VERTEX" || !ParseLong(Value(records[k], 70, "0"), flags) ||
          !(flags & 16))
        Keep(records[k].first, records[k].last);
    }
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
    if (type.size() > kMaxValue) return kLongValues;
    for (std::size_t i = record.first + 1; i < record.last; ++i) {
      const Group& g = groups_[i];
      const bool chunked = type == "MTEXT" && (g.code == 1 || g.code == 3);
      if (g.value.size() > kMaxValue && !chunked) return kLongValues;
      double d = 0;
      long long n = 0;
      if (IsFloatCode(g.code) && !ParseDouble(g.value, d)) return "объекты с числами не в десятичной записи или бесконечными";
      if (IsIntCode(g.code) && (!ParseLong(g.value, n) || n < INT32_MIN || n > INT32_MAX))
        return "объекты с повреждёнными целыми числами";
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
    if (!ok) return "объекты, в которых данных не столько, сколько заявлено";
    if (type == "SPLINE") {
      long long degree = 0;
      if (!ParseLong(Value(record, 71, "3"), degree) || degree < 1 || degree > 25)
        return "сплайны невозможной степени";
    }
    const std::string_view ex = Value(record, 210, "0"), ey = Value(record, 220, "0"), ez = Value(record, 230, "1");
    double x = 0, y = 0, z = 1;
    if (ParseDouble(ex, x) && ParseDouble(ey, y) && ParseDouble(ez, z) &&
        (std::abs(x) > 1e-9 || std::abs(y) > 1e-9 || std::abs(std::abs(z) - 1) > 1e-9))
      return k3D;
    return {};
  }

  void Skip(const std::string& why, const Record& record) {
    if (!out_.skipped.Names(why)) return out_.skipped.Add(why, {});
    double x = NAN, y = NAN;
    ParseDouble(Value(record, 10), x);
    ParseDouble(Value(record, 20), y);
    out_.skipped.Add(why, Place(groups_[record.first].value, Named(Value(record, 8)), Named(block_), x, y));
  }

  // A name of the file (a layer's, a block's) as UTF-8.
  std::string Named(std::string_view bytes) const {
    return bytes.empty() ? std::string() : Utf8(DecodeText(std::string(bytes), out_.codePage, out_.version >= "AC1021"));
  }

  // The blocks the model space draws: inserted there (not in paper space), or
  // by a block it draws.
  void FindInsertedBlocks() {
    std::map<std::string_view, std::vector<std::string_view>, NoCase> inserts;  // by the block they stand in
    std::vector<std::string_view> roots;
    std::string_view section, block, type, name;
    bool paper = false;
    auto finish = [&] {
      if (type == "INSERT" && section == "ENTITIES" && !paper) roots.push_back(name);
      if (type == "INSERT" && section == "BLOCKS" && !block.empty()) inserts[block].push_back(name);
      if (type == "BLOCK") block = name;
      if (type == "ENDBLK") block = {};
    };
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      const Group& g = groups_[i];
      if (g.code == 0) {
        finish();
        type = g.value;
        name = {};
        paper = false;
        if (type == "SECTION") section = i + 1 < groups_.size() && groups_[i + 1].code == 2 ? groups_[i + 1].value : "";
        if (type == "ENDSEC") section = {};
      } else if (g.code == 2 && name.empty()) {
        name = g.value;
      } else if (g.code == 67) {
        paper = g.value == "1";
      }
    }
    finish();
    while (!roots.empty()) {
      const std::string_view next = roots.back();
      roots.pop_back();
      if (!inserted_.insert(next).second) continue;
      const auto it = inserts.find(next);
      if (it != inserts.end()) roots.insert(roots.end(), it->second.begin(), it->second.end());
    }
  }

  std::vector<Group> groups_;
  Prepared out_;
  std::set<std::string_view, NoCase> inserted_, defined_;  // blocks drawn, blocks read
  std::string_view block_;                          // the block being read
};

}  // namespace

namespace {
constexpr std::size_t kPlaces = 3;  // objects named for each reason; the rest are counted
}  // namespace

void Leftovers::Add(const std::string& why, const std::string& where) {
  Entry& entry = byWhy_[why];
  ++entry.count;
  if (entry.places.size() < kPlaces && !where.empty()) entry.places.push_back(where);
}

void Leftovers::Add(const Leftovers& other) {
  for (const auto& [why, entry] : other.byWhy_) {
    Entry& mine = byWhy_[why];
    mine.count += entry.count;
    for (const std::string& place : entry.places)
      if (mine.places.size() < kPlaces) mine.places.push_back(place);
  }
}

bool Leftovers::Names(const std::string& why) const {
  const auto it = byWhy_.find(why);
  return it == byWhy_.end() || it->second.places.size() < kPlaces;
}

std::string Leftovers::Text() const {
  std::string out;
  for (const auto& [why, entry] : byWhy_) {
    out += (out.empty() ? "" : "; ") + why + " — " + std::to_string(entry.count);
    if (entry.places.empty()) continue;
    out += " (";
    for (std::size_t i = 0; i < entry.places.size(); ++i) out += (i ? ", " : "") + entry.places[i];
    if (entry.count > entry.places.size()) out += " и ещё " + std::to_string(entry.count - entry.places.size());
    out += ")";
  }
  return out;
}

namespace {

// A coordinate of a message: at most six significant digits.
std::string Short(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v == 0 ? 0.0 : v);
  return text;
}

// The kind of a DXF object as a user calls it.
std::string KindName(std::string_view type) {
  static const std::map<std::string_view, const char*> names = {
      {"LINE", "отрезок"},   {"ARC", "дуга"},        {"CIRCLE", "окружность"}, {"ELLIPSE", "эллипс"},
      {"LWPOLYLINE", "полилиния"}, {"POLYLINE", "полилиния"}, {"SPLINE", "сплайн"}, {"TEXT", "текст"},
      {"MTEXT", "текст"},    {"ATTRIB", "атрибут"},  {"INSERT", "вставка блока"},
      {"DIMENSION", "размер"}, {"HATCH", "штриховка"}, {"POINT", "точка"}, {"LEADER", "выноска"},
      {"MULTILEADER", "мультивыноска"}, {"REGION", "область"}, {"SOLID", "фигура"}, {"TRACE", "полоса"},
      {"XLINE", "прямая"}, {"RAY", "луч"}, {"MLINE", "мультилиния"}, {"IMAGE", "изображение"},
      {"WIPEOUT", "маскировка"}, {"TOLERANCE", "допуск формы"}, {"3DFACE", "3D-грань"}, {"3DSOLID", "3D-тело"},
      {"MESH", "сеть"}};
  const auto it = names.find(type);
  return it != names.end() ? it->second : "объект " + std::string(type.substr(0, 64));
}

}  // namespace

bool NoCase::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return static_cast<unsigned char>(up(x)) < static_cast<unsigned char>(up(y));
  });
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

std::optional<Prepared> Prepare(const std::string& bytes, std::string& error) {
  if (bytes.empty()) {
    error = "файл пуст";
    return std::nullopt;
  }
  if (bytes.rfind("AutoCAD Binary DXF", 0) == 0) {
    error = "это двоичный DXF, он не читается: сохраните его как текстовый DXF";
    return std::nullopt;
  }
  if (bytes.size() >= 6 && bytes.compare(0, 4, "AC10") == 0 && bytes.find('\n') > 16) {
    error = "это чертёж DWG, а не файл DXF";
    return std::nullopt;
  }
  if (bytes.find('\0') != std::string::npos) {
    error = "это не текстовый файл DXF (в нём двоичные данные)";
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
      error = line == 2 ? "это не файл DXF" : "файл повреждён в строке " + std::to_string(line - 1) + " (ожидается код группы)";
      return std::nullopt;
    }
    groups.push_back({static_cast<int>(code), code == 1 || code == 3 ? valueLine : Trim(valueLine)});
    if (code == 0 && groups.back().value == "EOF") break;  // the file ends here, whatever follows
  }
  const bool ends = !groups.empty() && groups.back().code == 0 && groups.back().value == "EOF";
  if (!ends) {
    error = groups.empty() ? "это не файл DXF" : "файл обрывается до конца (нет EOF)";
    return std::nullopt;
  }
  int open = 0;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (groups[i].code != 0) continue;
    if (groups[i].value == "SECTION") ++open;
    else if (groups[i].value == "ENDSEC") --open;
    if (open < 0 || open > 1) {
      error = "секции файла повреждены";
      return std::nullopt;
    }
  }
  if (open != 0) {
    error = "файл обрывается до конца (секция не закрыта)";
    return std::nullopt;
  }
  return Preparer(std::move(groups)).Run();
}

}  // namespace vlhost::dxf
