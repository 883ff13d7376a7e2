// Documents in JSON files. Readers check every value and fail with a message
// naming what is wrong; a document is made only from a file read whole.
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <variant>

#include "host/Application.h"
#include "io/Files.h"
#include "io/JsonIo.h"
#include "model/Document3D.h"
#include "model/Group.h"
#include "model/Layout.h"
#include "model/Macro.h"
#include "model/Properties.h"
#include "model/Table.h"
#include "model/Text.h"

namespace vlhost {

using nlohmann::json;

namespace jsonio {

[[noreturn]] void Bad(const std::string& what) { throw ReadError{what}; }

namespace {

// What a JSON value is, as a message names it.
std::string KindOf(const json& j) {
  switch (j.type()) {
    case json::value_t::null: return "пустое значение";
    case json::value_t::boolean: return "логическое значение";
    case json::value_t::string: return "текст";
    case json::value_t::array: return "список";
    case json::value_t::object: return "объект";
    default: return "число";
  }
}

}  // namespace

const json& Field(const json& j, const char* name) {
  if (!j.is_object()) Bad(std::string("на месте объекта с полем \"") + name + "\" стоит " + KindOf(j));
  if (!j.contains(name)) Bad(std::string("нет поля \"") + name + "\"");
  return j.at(name);
}

bool OfThisSystem(const json& j) {
  const auto format = j.is_object() ? j.find("format") : j.end();
  return j.is_object() && format != j.end() && format->is_string() && format->get<std::string>() == kFormat;
}

double Number(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_number()) Bad(std::string("поле \"") + name + "\" не число");
  const double d = v.get<double>();
  if (!std::isfinite(d)) Bad(std::string("поле \"") + name + "\" не конечное число");
  return d;
}

int Integer(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_number_integer()) Bad(std::string("поле \"") + name + "\" не целое число");
  const auto i = v.is_number_unsigned() && v.get<uint64_t>() > INT32_MAX ? int64_t{INT32_MAX} + 1 : v.get<int64_t>();
  if (i < INT32_MIN || i > INT32_MAX) Bad(std::string("поле \"") + name + "\" вне допустимых значений");
  return static_cast<int>(i);
}

bool Flag(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_boolean()) Bad(std::string("поле \"") + name + "\" не логическое значение");
  return v.get<bool>();
}

std::wstring Text(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_string()) Bad(std::string("поле \"") + name + "\" не текст");
  return Wide(v.get<std::string>());
}

const json& List(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_array()) Bad(std::string("поле \"") + name + "\" не список");
  return v;
}

std::vector<double> Numbers(const json& j, const char* name) {
  std::vector<double> out;
  for (const json& v : List(j, name)) {
    if (!v.is_number() || !std::isfinite(v.get<double>())) Bad(std::string("в поле \"") + name + "\" есть не число");
    out.push_back(v.get<double>());
  }
  return out;
}

json PointJson(geom::Point p) { return json::array({p.x, p.y}); }

geom::Point PointOf(const json& j, const char* name) {
  const std::vector<double> xy = Numbers(j, name);
  if (xy.size() != 2) Bad(std::string("поле \"") + name + "\" не точка");
  return {xy[0], xy[1]};
}

json PointsJson(const std::vector<geom::Point>& points) {
  json out = json::array();
  for (const auto& p : points) out.push_back(PointJson(p));
  return out;
}

std::vector<geom::Point> PointsOf(const json& j, const char* name) {
  std::vector<geom::Point> out;
  for (const json& p : List(j, name)) {
    if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number()) Bad(std::string("в поле \"") + name + "\" есть не точка");
    out.push_back({p[0].get<double>(), p[1].get<double>()});
  }
  return out;
}

// Curves of the kernel.
json CurveJson(const geom::Curve& curve) {
  return std::visit(
      [](const auto& c) -> json {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, geom::Segment>) {
          return {{"curve", "segment"}, {"start", PointJson(c.start)}, {"end", PointJson(c.end)}};
        } else if constexpr (std::is_same_v<C, geom::Arc>) {
          return {{"curve", "arc"}, {"centre", PointJson(c.centre)}, {"radius", c.radius},
                  {"start", c.startAngle}, {"end", c.endAngle}, {"ccw", c.ccw}};
        } else if constexpr (std::is_same_v<C, geom::Circle>) {
          return {{"curve", "circle"}, {"centre", PointJson(c.centre)}, {"radius", c.radius}};
        } else if constexpr (std::is_same_v<C, geom::Ellipse>) {
          return {{"curve", "ellipse"}, {"centre", PointJson(c.centre)}, {"a", c.radiusA}, {"b", c.radiusB},
                  {"rotation", c.rotation}};
        } else if constexpr (std::is_same_v<C, geom::EllipticArc>) {
          json e = CurveJson(c.ellipse);
          e["curve"] = "ellipticArc";
          e["start"] = c.startParam;
          e["end"] = c.endParam;
          e["ccw"] = c.ccw;
          return e;
        } else if constexpr (std::is_same_v<C, geom::Bezier>) {
          return {{"curve", "bezier"}, {"poles", PointsJson(c.poles)}, {"degree", c.degree}};
        } else if constexpr (std::is_same_v<C, geom::Nurbs>) {
          return {{"curve", "nurbs"}, {"poles", PointsJson(c.poles)}, {"weights", c.weights},
                  {"knots", c.knots}, {"degree", c.degree}};
        } else if constexpr (std::is_same_v<C, geom::Conic>) {
          return {{"curve", "conic"}, {"start", PointJson(c.start)}, {"apex", PointJson(c.apex)},
                  {"end", PointJson(c.end)}, {"weight", c.weight}};
        } else {
          return {{"curve", "polyline"}, {"points", PointsJson(c.points)}, {"closed", c.closed}};
        }
      },
      curve);
}

geom::Curve CurveOf(const json& j) {
  const std::wstring kind = Text(j, "curve");
  if (kind == L"segment") return geom::Segment{PointOf(j, "start"), PointOf(j, "end")};
  if (kind == L"arc")
    return geom::Arc{PointOf(j, "centre"), Number(j, "radius"), Number(j, "start"), Number(j, "end"), Flag(j, "ccw")};
  if (kind == L"circle") return geom::Circle{PointOf(j, "centre"), Number(j, "radius")};
  if (kind == L"ellipse" || kind == L"ellipticArc") {
    geom::Ellipse e{PointOf(j, "centre"), Number(j, "a"), Number(j, "b"), Number(j, "rotation")};
    if (kind == L"ellipse") return e;
    return geom::EllipticArc{e, Number(j, "start"), Number(j, "end"), Flag(j, "ccw")};
  }
  if (kind == L"bezier") return geom::Bezier{PointsOf(j, "poles"), Integer(j, "degree")};
  if (kind == L"nurbs")
    return geom::Nurbs{PointsOf(j, "poles"), Numbers(j, "weights"), Numbers(j, "knots"), Integer(j, "degree")};
  if (kind == L"conic")
    return geom::Conic{PointOf(j, "start"), PointOf(j, "apex"), PointOf(j, "end"), Number(j, "weight")};
  if (kind == L"polyline") return geom::Polyline{PointsOf(j, "points"), Flag(j, "closed")};
  Bad("неизвестный вид кривой");
}

json CurvesJson(const std::vector<geom::Curve>& curves) {
  json out = json::array();
  for (const auto& c : curves) out.push_back(CurveJson(c));
  return out;
}

std::vector<geom::Curve> CurvesOf(const json& j, const char* name) {
  std::vector<geom::Curve> out;
  for (const json& c : List(j, name)) out.push_back(CurveOf(c));
  return out;
}

// Lines [from, to) of a text.
json TextLinesJson(const TextModel& model, std::size_t from, std::size_t to) {
  json lines = json::array();
  for (std::size_t l = from; l < to; ++l) {
    const TextLineData& line = model.lines[l];
    json items = json::array();
    for (const auto& item : line.items)
      items.push_back({{"type", item.type}, {"text", Utf8(item.text)}, {"height", item.height},
                       {"font", Utf8(item.font)}, {"widthFactor", item.widthFactor},
                       {"justification", item.justification}, {"hasFont", item.hasFont}});
    lines.push_back({{"alignment", line.alignment}, {"step", line.step}, {"items", std::move(items)}});
  }
  return lines;
}

json TextJson(const TextModel& model) { return TextLinesJson(model, 0, model.lines.size()); }

TextModel TextOf(const json& lines) {
  if (!lines.is_array()) Bad("текст не список строк");
  TextModel model;
  for (const json& l : lines) {
    TextLineData line{{}, Integer(l, "alignment"), Number(l, "step")};
    for (const json& i : List(l, "items"))
      line.items.push_back({Integer(i, "type"), Text(i, "text"), Number(i, "height"), Text(i, "font"),
                            Number(i, "widthFactor"), Integer(i, "justification"), Flag(i, "hasFont")});
    model.lines.push_back(std::move(line));
  }
  return model;
}

json ValuesJson(const PropertyValues& values) {
  json out = json::array();
  for (const auto& [id, v] : values.values) {
    if (v.IsEmpty()) continue;
    json e = {{"id", id}};
    if (v.IsDouble()) e["number"] = v.GetDouble(); else e["text"] = Utf8(v.GetString());
    out.push_back(e);
  }
  return out;
}

PropertyValues ValuesOf(const json& j) {
  PropertyValues values;
  for (const json& e : List(j, "values")) {
    const int id = Integer(e, "id");
    if (e.contains("number")) values.values[id] = vlapi::PropertyValue(Number(e, "number"));
    else values.values[id] = vlapi::PropertyValue(Text(e, "text"));
  }
  return values;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::vector<uint8_t> Bytes(const json& j, const char* name) {
  const json& v = Field(j, name);
  if (!v.is_string()) Bad(std::string("поле \"") + name + "\" не строка байтов");
  const std::string hex = v.get<std::string>();
  if (hex.size() % 2) Bad(std::string("поле \"") + name + "\" нечётной длины");
  auto nibble = [&](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    Bad(std::string("в поле \"") + name + "\" есть не шестнадцатеричная цифра");
  };
  std::vector<uint8_t> out;
  for (std::size_t i = 0; i < hex.size(); i += 2) out.push_back(static_cast<uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
  return out;
}

json RefsJson(const std::vector<Ref<Shape>>& shapes) {
  json out = json::array();
  for (const auto& s : shapes)
    if (s && s->Alive()) out.push_back(s->Reference());
  return out;
}

// ---- writing ----

json ShapeJson(const Shape& shape);

json MembersJson(const Container& container) {
  json out = json::array();
  for (const auto& s : container.Items()) out.push_back(ShapeJson(*s));
  return out;
}

json ShapeJson(const Shape& shape) {
  json j = {{"type", shape.Type()}, {"ref", shape.Reference()}, {"layer", shape.layer}, {"style", shape.style}};
  if (auto* s = dynamic_cast<const LineSegment*>(&shape)) {
    j["start"] = PointJson(s->seg.start);
    j["end"] = PointJson(s->seg.end);
  } else if (auto* c = dynamic_cast<const CircleShape*>(&shape)) {
    j["centre"] = PointJson(c->circle.centre);
    j["radius"] = c->circle.radius;
  } else if (auto* a = dynamic_cast<const ArcShape*>(&shape)) {
    j.update({{"centre", PointJson(a->centre)}, {"p1", PointJson(a->p1)}, {"p2", PointJson(a->p2)},
              {"radius", a->radius}, {"ccw", a->ccw}});
  } else if (auto* r = dynamic_cast<const RectangleShape*>(&shape)) {
    j.update({{"corner", PointJson(r->corner)}, {"width", r->width}, {"height", r->height}, {"angle", r->angle}});
  } else if (auto* p = dynamic_cast<const PolyLineShape*>(&shape)) {
    j.update({{"points", PointsJson(p->line.points)}, {"closed", p->line.closed}});
  } else if (auto* n = dynamic_cast<const NurbsShape*>(&shape)) {
    j.update({{"nurbs", CurveJson(n->nurbs)}, {"closed", n->closed}});
  } else if (auto* f = dynamic_cast<const FreeCurve*>(&shape)) {
    j["curve"] = CurveJson(f->Raw());
  } else if (auto* k = dynamic_cast<const ContourShape*>(&shape)) {
    j["pieces"] = CurvesJson(k->pieces);
  } else if (auto* e = dynamic_cast<const EquidistantShape*>(&shape)) {
    j.update({{"base", e->base && e->base->Alive() ? e->base->Reference() : 0}, {"side", e->side}, {"arc", e->arc},
              {"kind", e->kind}, {"radius1", e->radius1}, {"radius2", e->radius2}, {"curves", CurvesJson(e->Curves())}});
  } else if (auto* h = dynamic_cast<const HatchShape*>(&shape)) {
    j.update({{"boundaries", RefsJson(h->boundaries.shapes)}, {"mode", h->boundaries.mode}, {"angle", h->angle},
              {"step", h->step}});
  } else if (auto* g = dynamic_cast<const ColouringShape*>(&shape)) {
    j.update({{"boundaries", RefsJson(g->boundaries.shapes)}, {"mode", g->boundaries.mode}, {"color", g->color},
              {"transparency", g->transparency}});
  } else if (auto* t = dynamic_cast<const DrawingText*>(&shape)) {
    j.update({{"anchor", PointJson(t->anchor)}, {"lines", TextJson(t->model)}});
    if (t->angle != 0) j["angle"] = t->angle;
  } else if (auto* tb = dynamic_cast<const DrawingTable*>(&shape)) {
    json cells = json::array();
    for (const auto& row : tb->cells) {
      json r = json::array();
      for (const auto& cell : row) r.push_back(TextJson(cell->model));
      cells.push_back(r);
    }
    j.update({{"corner", PointJson(tb->corner)}, {"widths", tb->widths}, {"heights", tb->heights},
              {"headerFirst", tb->headerFirst}, {"headerCount", tb->headerCount}, {"cells", cells}});
  } else if (auto* m = dynamic_cast<const MacroObject*>(&shape)) {
    const MacroSettings& s = m->settings;
    j.update({{"name", Utf8(m->name)}, {"origin", PointJson(m->origin)}, {"angle", m->angle},
              {"settings", {{"editable", s.editable}, {"editMode", s.editMode},
                            {"hotPointsEditable", s.hotPointsEditable}, {"drawOrder", s.drawOrder},
                            {"copyMode", s.copyMode}, {"explodeMode", s.explodeMode}}},
              {"user", {{"command", m->user.command}, {"libraryId", Utf8(m->user.libraryId)},
                        {"moduleName", Utf8(m->user.moduleName)}, {"data", Hex(m->user.data)}}},
              {"values", ValuesJson(m->values)}, {"members", MembersJson(*m)}});
  }
  return j;
}

namespace {

// What stands for the list N of a JSON tree written item by item.
json ListMarker(std::size_t n) { return "\x01list " + std::to_string(n); }

json LayerJson(const Layer& l) {
  return {{"ref", l.Reference()}, {"number", l.Number()}, {"name", Utf8(l.Name())}, {"color", l.color},
          {"visible", l.visible}};
}

json LineStyleJson(const LineStyle& style) {
  return {{"number", style.number}, {"name", Utf8(style.name)}, {"linetype", Utf8(style.linetype)},
          {"pattern", style.pattern}};
}

// The document; with `lazy`, its line styles and each view's layers and
// objects as markers of lists (ListMarker(0), ListMarker(1 + 2 v) and
// ListMarker(2 + 2 v)), as they stand in the text.
json DocumentJson(Document2D& doc, bool lazy) {
  json views = json::array();
  for (const auto& v : doc.Views()) {
    json layers = json::array(), objects = json::array();
    if (lazy) {
      layers = ListMarker(1 + 2 * views.size());
      objects = ListMarker(2 + 2 * views.size());
    } else {
      for (const auto& l : v->LayerList()) layers.push_back(LayerJson(*l));
      objects = MembersJson(*v);
    }
    views.push_back({{"ref", v->Reference()}, {"number", v->number}, {"name", Utf8(v->name)}, {"x", v->x},
                     {"y", v->y}, {"scale", v->scale}, {"current", v->current},
                     {"currentLayer", v->CurrentLayer()}, {"layers", std::move(layers)},
                     {"objects", std::move(objects)}});
  }
  json pages = json::array();
  for (const auto& p : doc.Pages()) {
    json stamp = json::array();
    for (const auto& [cell, text] : p->stamp->cells)  // an empty cell is no cell
      if (!text->model.Joined().empty()) stamp.push_back({{"cell", cell}, {"lines", TextJson(text->model)}});
    pages.push_back({{"ref", p->Reference()}, {"format", p->format->format}, {"vertical", p->format->vertical},
                     {"userWidth", p->format->userWidth}, {"userHeight", p->format->userHeight},
                     {"styleLibrary", Utf8(p->styleLibrary)}, {"styleNumber", p->styleNumber}, {"stamp", stamp}});
  }
  json properties = json::array();
  for (const auto& p : doc.Properties().defined)
    properties.push_back({{"id", p->id}, {"name", Utf8(p->name)}, {"type", p->type}});
  json styles = lazy ? ListMarker(0) : json::array();
  if (!lazy)
    for (const LineStyle& style : doc.LineStyles().Own()) styles.push_back(LineStyleJson(style));
  json groups = json::array();
  for (const auto& g : doc.StoredGroups())
  {
    json views = json::array();
    for (const auto& v : g->LiveViews()) views.push_back(v->Reference());
    groups.push_back({{"ref", g->Reference()}, {"name", Utf8(g->name)}, {"members", RefsJson(g->LiveMembers())},
                      {"views", views}});
  }
  return {{"format", kFormat}, {"version", kVersion}, {"type", doc.DocType()}, {"nextRef", doc.NextReference()},
          {"views", views}, {"pages", pages}, {"properties", properties}, {"values", ValuesJson(doc.OwnValues())},
          {"lineStyles", styles}, {"groups", groups}};
}

}  // namespace

json DocumentJson(Document2D& doc) { return DocumentJson(doc, false); }

namespace {

// JSON has no numbers that are not finite: they would be written as null,
// which no reader takes back.
bool AllFinite(const json& j) {
  if (j.is_number_float()) return std::isfinite(j.get<double>());
  if (j.is_structured())
    for (const json& item : j) if (!AllFinite(item)) return false;
  return true;
}

}  // namespace

bool WriteJson(const json& j, const std::wstring& path) {
  if (!AllFinite(j)) throw std::runtime_error("в документе есть число, которое не конечно");
  std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out << j.dump(1);
  return static_cast<bool>(out);
}

namespace {

// Writes JSON to a stream as json::dump(1) does, a tree at a time: lists
// that may be long are written item by item.
class TreeWriter {
 public:
  // A list written item by item, as a string ListMarker(N) of a tree stands for it.
  struct LazyList {
    std::size_t size = 0;
    std::function<void(TreeWriter& writer, std::size_t item, unsigned depth)> write;
  };
  // A member of a flat object: a whole number, a number, a flag, a point or
  // a list written item by item.
  struct Field {
    const char* key;
    std::variant<int, double, bool, geom::Point, const LazyList*> value;
  };

  // The text is gathered in a buffer and handed to the stream a megabyte at
  // a time: a drawing of a million lines makes tens of millions of pieces.
  explicit TreeWriter(std::ostream& out)
      : stream_(out),
        serializer_(nlohmann::detail::output_adapter<char>(text_), ' ', nlohmann::detail::error_handler_t::strict) {}
  ~TreeWriter() { Flush(); }
  TreeWriter(const TreeWriter&) = delete;
  TreeWriter& operator=(const TreeWriter&) = delete;

  // Hands what is gathered to the stream.
  void Flush() {
    stream_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
    text_.clear();
  }

  // `j` when it stands `depth` levels in, each marker of `lists`
  // (ListMarker(n), a member's value) written as that list.
  void Dump(const json& j, unsigned depth, const std::vector<LazyList>& lists = {}) {
    if (!AllFinite(j)) throw std::runtime_error("в документе есть число, которое не конечно");
    if (lists.empty()) return serializer_.dump(j, true, false, 1, depth);
    const std::string skeleton = j.dump(1);  // at depth 0: the indents below add `depth`
    std::size_t from = 0;
    for (std::size_t n = 0; n < lists.size(); ++n) {
      const std::string marker = "\": \"\\u0001list " + std::to_string(n) + "\"";
      std::size_t at = skeleton.find(marker, from);
      if (at == std::string::npos) throw std::logic_error("a list of the document is not written");
      at += 3;  // past the key's quote, the colon and the space
      Indented(skeleton.substr(from, at - from), depth);
      // A member's line is indented as deep as its value stands.
      const std::size_t line = skeleton.rfind('\n', at) + 1;
      const unsigned inner = depth + static_cast<unsigned>(skeleton.find_first_not_of(' ', line) - line);
      const LazyList& list = lists[n];
      if (list.size == 0) {
        out_ << "[]";
      } else {
        out_ << "[\n";
        for (std::size_t i = 0; i < list.size; ++i) {
          Indent(inner + 1);
          list.write(*this, i, inner + 1);
          out_ << (i + 1 < list.size ? ",\n" : "\n");
        }
        Indent(inner);
        out_ << ']';
      }
      from = at + marker.size() - 3;
    }
    Indented(skeleton.substr(from), depth);
  }

  // An object of `fields` (in the order of their keys, as JSON objects
  // keep them), without making its tree: drawings have millions of lines.
  void Flat(std::initializer_list<Field> fields, unsigned depth) {
    out_ << "{\n";
    std::size_t k = 0;
    for (const Field& f : fields) {
      Indent(depth + 1);
      out_ << '"' << f.key << "\": ";
      if (const int* i = std::get_if<int>(&f.value)) {
        out_ << *i;
      } else if (const double* d = std::get_if<double>(&f.value)) {
        Number(*d);
      } else if (const bool* b = std::get_if<bool>(&f.value)) {
        out_ << (*b ? "true" : "false");
      } else if (const LazyList* const* list = std::get_if<const LazyList*>(&f.value)) {
        if ((*list)->size == 0) {
          out_ << "[]";
        } else {
          out_ << "[\n";
          for (std::size_t i = 0; i < (*list)->size; ++i) {
            Indent(depth + 2);
            (*list)->write(*this, i, depth + 2);
            out_ << (i + 1 < (*list)->size ? ",\n" : "\n");
          }
          Indent(depth + 1);
          out_ << ']';
        }
      } else {
        const geom::Point& p = std::get<geom::Point>(f.value);
        out_ << "[\n";
        Indent(depth + 2);
        Number(p.x);
        out_ << ",\n";
        Indent(depth + 2);
        Number(p.y);
        out_ << '\n';
        Indent(depth + 1);
        out_ << ']';
      }
      out_ << (++k < fields.size() ? ",\n" : "\n");
    }
    Indent(depth);
    out_ << '}';
  }

 private:
  void Indent(unsigned depth) {
    static const std::string spaces(64, ' ');
    for (; depth > spaces.size(); depth -= static_cast<unsigned>(spaces.size())) out_ << spaces;
    out_.write(spaces.data(), depth);
  }
  // Text dumped at depth 0, each of its lines after the first moved `depth` in.
  void Indented(const std::string& text, unsigned depth) {
    std::size_t from = 0;
    for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
      out_.write(text.data() + from, static_cast<std::streamsize>(end + 1 - from));
      Indent(depth);
    }
    out_.write(text.data() + from, static_cast<std::streamsize>(text.size() - from));
  }
  void Number(double v) {
    if (!std::isfinite(v)) throw std::runtime_error("в документе есть число, которое не конечно");
    serializer_.dump(json(v), true, false, 1, 0);
  }

  // Appends to the buffer as a stream would write.
  class Buffer {
   public:
    explicit Buffer(TreeWriter& owner) : owner_(owner) {}
    Buffer& operator<<(char c) { return Put(std::string_view(&c, 1)); }
    Buffer& operator<<(const char* text) { return Put(text); }
    Buffer& operator<<(const std::string& text) { return Put(text); }
    Buffer& operator<<(int v) { return Put(std::to_string(v)); }
    Buffer& operator<<(std::size_t v) { return Put(std::to_string(v)); }
    void write(const char* data, std::streamsize size) { Put(std::string_view(data, static_cast<std::size_t>(size))); }

   private:
    Buffer& Put(std::string_view text) {
      owner_.text_.append(text);
      if (owner_.text_.size() >= (std::size_t{1} << 20)) owner_.Flush();
      return *this;
    }
    TreeWriter& owner_;
  };

  std::ostream& stream_;
  std::string text_;
  Buffer out_{*this};
  nlohmann::detail::serializer<json> serializer_;
};

// A shape as ShapeJson gives it; lines and arcs without a tree, a text's
// lines one by one (a text may have a million).
void DumpShape(TreeWriter& writer, const Shape& shape, unsigned depth) {
  if (const auto* s = dynamic_cast<const LineSegment*>(&shape))
    return writer.Flat({{"end", s->seg.end}, {"layer", shape.layer}, {"ref", shape.Reference()}, {"start", s->seg.start},
                        {"style", shape.style}, {"type", shape.Type()}},
                       depth);
  if (const auto* a = dynamic_cast<const ArcShape*>(&shape))
    return writer.Flat({{"ccw", a->ccw}, {"centre", a->centre}, {"layer", shape.layer}, {"p1", a->p1}, {"p2", a->p2},
                        {"radius", a->radius}, {"ref", shape.Reference()}, {"style", shape.style}, {"type", shape.Type()}},
                       depth);
  const auto* text = dynamic_cast<const DrawingText*>(&shape);
  if (!text) return writer.Dump(ShapeJson(shape), depth);
  const TreeWriter::LazyList lines{text->model.lines.size(), [&](TreeWriter& w, std::size_t i, unsigned d) {
                                      w.Dump(TextLinesJson(text->model, i, i + 1).front(), d);
                                    }};
  // A text turned keeps its angle, one along x writes none (as ShapeJson does).
  if (text->angle != 0)
    return writer.Flat({{"anchor", text->anchor}, {"angle", text->angle}, {"layer", shape.layer}, {"lines", &lines},
                        {"ref", shape.Reference()}, {"style", shape.style}, {"type", shape.Type()}},
                       depth);
  writer.Flat({{"anchor", text->anchor}, {"layer", shape.layer}, {"lines", &lines}, {"ref", shape.Reference()},
               {"style", shape.style}, {"type", shape.Type()}},
              depth);
}

// Writes the 2D document as WriteJson(DocumentJson(doc)) does, but each
// object of a view made and written alone: a drawing of a million objects
// would take gigabytes as one JSON tree. The file is written beside `path`
// first, under a short name of its own, so that a document that cannot be
// written leaves `path` as it was.
bool WriteDocumentJson(Document2D& doc, const std::wstring& path) {
  const json skeleton = DocumentJson(doc, true);
  const auto& styles = doc.LineStyles().Own();
  std::vector<TreeWriter::LazyList> lists{{styles.size(), [&styles](TreeWriter& writer, std::size_t i, unsigned depth) {
                                             writer.Dump(LineStyleJson(styles[i]), depth);
                                           }}};
  for (const auto& view : doc.Views()) {
    const auto& layers = view->LayerList();
    lists.push_back({layers.size(), [&layers](TreeWriter& writer, std::size_t i, unsigned depth) {
                       writer.Dump(LayerJson(*layers[i]), depth);
                     }});
    const auto& items = view->Items();
    lists.push_back({items.size(), [&items](TreeWriter& writer, std::size_t i, unsigned depth) {
                       DumpShape(writer, *items[i], depth);
                     }});
  }
  const std::filesystem::path target = PathOf(path);
  const std::filesystem::path temporary = TemporaryBeside(target, ".writing");
  if (temporary.empty()) return false;
  std::error_code ec;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      std::filesystem::remove(temporary, ec);
      return false;
    }
    try {
      TreeWriter(out).Dump(skeleton, 0, lists);
    } catch (...) {
      out.close();
      std::filesystem::remove(temporary, ec);
      throw;
    }
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(temporary, ec);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, ec);
  if (!ec) return true;
  std::filesystem::remove(temporary, ec);
  return false;
}

}  // namespace

// ---- reading ----

class Reader {
 public:
  explicit Reader(Document2D& doc) : doc_(doc) {}

  void ReadDocument(const json& j) {
    Begin(j);
    for (const json& v : List(j, "views")) ReadView(v);
    Finish(j);
  }

  // The document's fields that its views are read with.
  void Begin(const json& j) {
    if (!OfThisSystem(j)) Bad("не документ этой системы");
    if (Integer(j, "version") != kVersion) Bad("неизвестная версия документа");
    doc_.ClearForReading();
    for (const json& p : List(j, "properties")) {
      const int id = Integer(p, "id");
      if (id < 1000 || doc_.Properties().ById(id)) Bad("номер свойства занят дважды");
      doc_.Properties().Define(Text(p, "name"), Integer(p, "type"), id);
    }
    doc_.OwnValues() = ValuesOf(j);
    if (j.contains("lineStyles"))  // files written before documents had styles of their own have none
      for (const json& style : List(j, "lineStyles"))
        if (!doc_.LineStyles().Add({Integer(style, "number"), Text(style, "name"), Text(style, "linetype"),
                                    Numbers(style, "pattern")}))
          Bad("стиль линии " + std::to_string(Integer(style, "number")) + " не собственный стиль документа или занят дважды");
  }

  // What follows the views: the pages, the links between objects, the groups.
  void Finish(const json& j) {
    if (doc_.Views().empty() || !doc_.ViewByNumber(0)) Bad("в документе нет системного вида");
    for (const json& p : List(j, "pages")) ReadPage(p);
    if (doc_.Pages().empty()) Bad("в документе нет листа");
    for (const auto& link : links_) link();
    for (const Shape* shape : linked_) RefuseCycles(*shape);
    for (const json& g : List(j, "groups")) ReadGroup(g);
    doc_.SetNextReference(std::max(doc_.HighestReference() + 1, Integer(j, "nextRef")));
  }

  // A view read object by object as the file streams: `j` holds its fields
  // but its objects, of which those written before them (`ViewFields`) are
  // read here; its reference and its place once the objects are read
  // (EndView). A reference its own objects took is refused there as one
  // taken twice.
  View& BeginView(const json& j) {
    const int number = Integer(j, "number");
    if (doc_.ViewByNumber(number)) Bad("номер вида занят дважды");
    Ref<View> view = doc_.AddView(number);
    view->name = Text(j, "name");
    if (Flag(j, "current")) doc_.MakeCurrent(view.get());
    ReadLayers(j, *view);
    return *view;
  }
  void TakeObject(View& view, const json& object) {
    if (++depth_ > kMaxDepth) Bad("макрообъекты вложены слишком глубоко");
    view.Adopt(ReadShape(object));
    --depth_;
  }
  void EndView(View& view, const json& j) {
    const int32_t ref = Integer(j, "ref");
    if (ref > 0 && doc_.Find(ref)) Bad("ссылка занята дважды");
    view.Register(&doc_, ref);
    view.x = Number(j, "x");
    view.y = Number(j, "y");
    view.scale = Number(j, "scale");
    if (view.scale <= 0) Bad("масштаб вида не больше нуля");
  }
  // The fields of a view BeginView reads, written before its objects.
  static bool ViewField(const std::string& key) {
    return key == "number" || key == "name" || key == "current" || key == "layers" || key == "currentLayer";
  }
  // The fields of a document Begin reads, written before its views.
  static bool DocumentField(const std::string& key) {
    return key == "format" || key == "version" || key == "type" || key == "properties" || key == "values" ||
           key == "lineStyles";
  }

 private:
  // An equidistant built on itself, or a fill among its own boundaries, would
  // be drawn without end: such a file is refused.
  void RefuseCycles(const Shape& shape) {
    const bool equidistant = shape.Type() == vlapi::vlDrEquidistant;
    const std::string name = std::string(equidistant                             ? "эквидистанта"
                                         : shape.Type() == vlapi::vlDrHatch ? "штриховка"
                                                                            : "заливка") +
                             " " + std::to_string(shape.Reference());
    const LinkCheck check = FollowLinks(shape, shape);
    if (check == LinkCheck::Sound) return;
    // The refused document goes: its objects must not keep each other alive.
    for (Shape* linked : linked_) {
      if (auto* e = dynamic_cast<EquidistantShape*>(linked)) e->base = nullptr;
      if (auto* h = dynamic_cast<HatchShape*>(linked)) h->boundaries.shapes.clear();
      if (auto* c = dynamic_cast<ColouringShape*>(linked)) c->boundaries.shapes.clear();
    }
    switch (check) {
      case LinkCheck::Cycle:
        Bad(name + (equidistant ? " построена на себе самой через свою основу" : " входит в свои же границы или в их границы"));
      case LinkCheck::TooDeep: Bad(name + " построена на объектах слишком глубокой вложенности");
      case LinkCheck::Sound: break;
    }
  }

  Shape* Resolve(int32_t ref) {
    auto* shape = dynamic_cast<Shape*>(doc_.Find(ref));
    if (!shape) Bad("ссылка не указывает ни на один объект чертежа");
    return shape;
  }

  std::vector<Ref<Shape>> Resolve(const json& refs) {
    if (!refs.is_array()) Bad("ссылки не список");
    std::vector<Ref<Shape>> out;
    for (const json& r : refs) {
      if (!r.is_number_integer()) Bad("ссылка не целое число");
      out.emplace_back(Resolve(r.get<int32_t>()));
    }
    return out;
  }

  void ReadView(const json& j) {
    const int number = Integer(j, "number");
    if (doc_.ViewByNumber(number)) Bad("номер вида занят дважды");
    Ref<View> view = doc_.AddView(number);
    view->Register(&doc_, Integer(j, "ref"));
    view->name = Text(j, "name");
    view->x = Number(j, "x");
    view->y = Number(j, "y");
    view->scale = Number(j, "scale");
    if (view->scale <= 0) Bad("масштаб вида не больше нуля");
    if (Flag(j, "current")) doc_.MakeCurrent(view.get());
    ReadLayers(j, *view);
    ReadMembers(j, "objects", *view);
  }

  void ReadLayers(const json& j, View& view) {
    for (const json& l : List(j, "layers")) {
      const int layerNumber = Integer(l, "number");
      Layer* layer = view.LayerByNumber(layerNumber);
      if (layer && layerNumber != 0) Bad("номер слоя занят дважды");
      Ref<Layer> made = layer ? Ref<Layer>(layer) : view.AddLayer(layerNumber, L"");
      made->Register(&doc_, Integer(l, "ref"));
      made->SetName(Text(l, "name"));
      made->color = Integer(l, "color");
      made->visible = Flag(l, "visible");
    }
    view.SetCurrentLayer(Integer(j, "currentLayer"));
  }

  void ReadMembers(const json& j, const char* name, Container& container) {
    if (++depth_ > kMaxDepth) Bad("макрообъекты вложены слишком глубоко");
    for (const json& s : List(j, name)) container.Adopt(ReadShape(s));
    --depth_;
  }

  Ref<Shape> ReadShape(const json& j) {
    const int type = Integer(j, "type");
    Ref<Shape> shape = type == vlapi::vlDrEllipse || type == vlapi::vlDrEllipseArc || type == vlapi::vlDrBezier ||
                               type == vlapi::vlDrNurbsByPoints || type == vlapi::vlDrConicCurve
                           ? Ref<Shape>(Make<FreeCurve>(type, CurveOf(Field(j, "curve"))))
                           : MakeShape(type);
    if (!shape) Bad("неизвестный тип объекта чертежа " + std::to_string(type));
    const int32_t ref = Integer(j, "ref");
    if (ref <= 0 || doc_.Find(ref)) Bad("ссылка занята дважды");
    shape->Register(&doc_, ref);
    shape->layer = Integer(j, "layer");
    shape->style = Integer(j, "style");
    ReadKind(j, *shape);
    return shape;
  }

  void ReadKind(const json& j, Shape& shape) {
    if (auto* s = dynamic_cast<LineSegment*>(&shape)) {
      s->seg = {PointOf(j, "start"), PointOf(j, "end")};
    } else if (auto* c = dynamic_cast<CircleShape*>(&shape)) {
      c->circle = {PointOf(j, "centre"), Number(j, "radius")};
    } else if (auto* a = dynamic_cast<ArcShape*>(&shape)) {
      a->centre = PointOf(j, "centre");
      a->p1 = PointOf(j, "p1");
      a->p2 = PointOf(j, "p2");
      a->radius = Number(j, "radius");
      a->ccw = Flag(j, "ccw");
    } else if (auto* r = dynamic_cast<RectangleShape*>(&shape)) {
      r->corner = PointOf(j, "corner");
      r->width = Number(j, "width");
      r->height = Number(j, "height");
      r->angle = Number(j, "angle");
    } else if (auto* p = dynamic_cast<PolyLineShape*>(&shape)) {
      p->line = {PointsOf(j, "points"), Flag(j, "closed")};
    } else if (auto* n = dynamic_cast<NurbsShape*>(&shape)) {
      const geom::Curve curve = CurveOf(Field(j, "nurbs"));
      if (!std::holds_alternative<geom::Nurbs>(curve)) Bad("в кривой NURBS кривая другого вида");
      n->nurbs = std::get<geom::Nurbs>(curve);
      n->closed = Flag(j, "closed");
    } else if (auto* k = dynamic_cast<ContourShape*>(&shape)) {
      k->pieces = CurvesOf(j, "pieces");
    } else if (auto* e = dynamic_cast<EquidistantShape*>(&shape)) {
      ReadEquidistant(j, *e);
    } else if (auto* h = dynamic_cast<HatchShape*>(&shape)) {
      h->boundaries.mode = Integer(j, "mode");
      h->angle = Number(j, "angle");
      h->step = Number(j, "step");
      const json refs = Field(j, "boundaries");
      links_.push_back([this, h, refs] { h->boundaries.shapes = Resolve(refs); });
      linked_.push_back(h);
    } else if (auto* g = dynamic_cast<ColouringShape*>(&shape)) {
      g->boundaries.mode = Integer(j, "mode");
      g->color = Integer(j, "color");
      g->transparency = Integer(j, "transparency");
      const json refs = Field(j, "boundaries");
      links_.push_back([this, g, refs] { g->boundaries.shapes = Resolve(refs); });
      linked_.push_back(g);
    } else if (auto* t = dynamic_cast<DrawingText*>(&shape)) {
      t->anchor = PointOf(j, "anchor");
      t->angle = j.contains("angle") ? Number(j, "angle") : 0.0;
      t->model = TextOf(Field(j, "lines"));
    } else if (auto* tb = dynamic_cast<DrawingTable*>(&shape)) {
      ReadTable(j, *tb);
    } else if (auto* m = dynamic_cast<MacroObject*>(&shape)) {
      ReadMacro(j, *m);
    }
  }

  void ReadEquidistant(const json& j, EquidistantShape& e) {
    e.side = Flag(j, "side");
    e.arc = Flag(j, "arc");
    e.kind = Integer(j, "kind");
    e.radius1 = Number(j, "radius1");
    e.radius2 = Number(j, "radius2");
    const int32_t base = Integer(j, "base");
    const std::vector<geom::Curve> curves = CurvesOf(j, "curves");
    EquidistantShape* target = &e;
    linked_.push_back(target);
    links_.push_back([this, target, base, curves] {
      if (base != 0) target->base = Ref<Shape>(Resolve(base));
      if (!target->base) target->Freeze(curves);
    });
  }

  void ReadTable(const json& j, DrawingTable& table) {
    table.corner = PointOf(j, "corner");
    table.widths = Numbers(j, "widths");
    table.heights = Numbers(j, "heights");
    table.headerFirst = Integer(j, "headerFirst");
    table.headerCount = Integer(j, "headerCount");
    const json& rows = List(j, "cells");
    if (rows.size() != table.heights.size()) Bad("в таблице строк не столько, сколько высот");
    table.cells.clear();
    for (const json& row : rows) {
      if (!row.is_array() || row.size() != table.widths.size()) Bad("в строке таблицы ячеек не столько, сколько столбцов");
      table.cells.emplace_back();
      for (const json& cell : row) {
        Ref<CellText> text = Make<CellText>();
        text->model = TextOf(cell);
        table.cells.back().push_back(text);
      }
    }
  }

  void ReadMacro(const json& j, MacroObject& m) {
    m.name = Text(j, "name");
    m.origin = PointOf(j, "origin");
    m.angle = Number(j, "angle");
    const json& s = Field(j, "settings");
    m.settings = {Flag(s, "editable"), Flag(s, "editMode"), Flag(s, "hotPointsEditable"), Integer(s, "drawOrder"),
                  Integer(s, "copyMode"), Integer(s, "explodeMode")};
    const json& u = Field(j, "user");
    m.user = {Integer(u, "command"), Text(u, "libraryId"), Text(u, "moduleName"), Bytes(u, "data")};
    m.values = ValuesOf(j);
    ReadMembers(j, "members", m);
  }

  void ReadPage(const json& j) {
    Ref<LayoutSheet> page = doc_.AddPage();
    page->Register(&doc_, Integer(j, "ref"));
    const int format = Integer(j, "format");
    if (format < vlapi::vlFormatA0 || format > vlapi::vlFormatUser) Bad("неизвестный формат листа");
    page->format->format = format;
    page->format->vertical = Flag(j, "vertical");
    page->format->userWidth = Number(j, "userWidth");
    page->format->userHeight = Number(j, "userHeight");
    page->styleLibrary = Text(j, "styleLibrary");
    page->styleNumber = Integer(j, "styleNumber");
    for (const json& c : List(j, "stamp")) page->stamp->Cell(Integer(c, "cell"))->model = TextOf(Field(c, "lines"));
  }

  void ReadGroup(const json& j) {
    Ref<Group> group = Make<Group>(&doc_, false, Text(j, "name"));
    group->Register(&doc_, Integer(j, "ref"));
    for (const auto& s : Resolve(Field(j, "members"))) group->Take(s);
    if (j.contains("views"))  // files written before groups held views have none
      for (const json& r : List(j, "views")) {
        auto* view = r.is_number_integer() ? dynamic_cast<View*>(doc_.Find(r.get<int32_t>())) : nullptr;
        if (!view) Bad("ссылка группы на вид не указывает ни на один вид");
        group->views.emplace_back(view);
      }
    doc_.Keep(group);
  }

  static constexpr int kMaxDepth = 64;
  Document2D& doc_;
  std::vector<std::function<void()>> links_;
  std::vector<Shape*> linked_;
  int depth_ = 0;
};

void ReadDocument2D(const json& j, Document2D& doc) { Reader(doc).ReadDocument(j); }

}  // namespace jsonio

using namespace jsonio;

bool SaveDocument2D(Document2D& doc, const std::wstring& path) {
  try {
    if (!WriteDocumentJson(doc, path)) return false;
  } catch (const std::exception& e) {
    if (doc.App()) doc.App()->Fail(2, Wide(e.what()));
    return false;
  }
  doc.SetPath(path);
  return true;
}

namespace {

// Where a byte of the file stands: its line and column, from 1.
std::string PlaceOf(const std::wstring& path, std::size_t byte) {
  std::ifstream in(PathOf(path), std::ios::binary);
  std::size_t line = 1, column = 1;
  char c = 0;
  for (std::size_t i = 0; i < byte && in.get(c); ++i) {
    if (c == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return "строка " + std::to_string(line) + ", столбец " + std::to_string(column);
}

// The JSON library's reader of whole documents, told where it stopped and why
// instead of throwing: a number beyond a double's range is a place in the
// file as much as a broken record is.
class PlacedParser : public nlohmann::detail::json_sax_dom_parser<json> {
 public:
  explicit PlacedParser(json& result) : json_sax_dom_parser(result, false) {}
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    failed = true;
    byte = position;
    id = e.id;
    return false;
  }
  bool failed = false;
  std::size_t byte = 0;  // from 1
  int id = 0;
};

// A drawing's file read as it streams: the document's fields are gathered
// as a tree (its views' list left empty), each view's fields but its objects
// likewise, and each object of a view as a tree of its own, handed to the
// reader as soon as its record ends and then let go. A drawing of many parts
// would otherwise take several times its file's size as one tree. The files
// this host writes put a document's views after the fields the views are read
// with, and a view's objects after the fields its objects are added with;
// where a file does not (or is no drawing), the reading stops (`Late`) and the
// file is read whole.
class StreamedParser {
 public:
  using DomParser = nlohmann::detail::json_sax_dom_parser<json>;
  // `begin` takes the document's fields; false when the file is to be read whole.
  StreamedParser(std::function<bool(const json&)> begin, std::optional<Reader>& reader)
      : begin_(std::move(begin)), reader_(reader), headParser_(head, false) {}

  bool null() { return Value([](DomParser& p) { return p.null(); }); }
  bool boolean(bool v) { return Value([&](DomParser& p) { return p.boolean(v); }); }
  bool number_integer(json::number_integer_t v) { return Value([&](DomParser& p) { return p.number_integer(v); }); }
  bool number_unsigned(json::number_unsigned_t v) { return Value([&](DomParser& p) { return p.number_unsigned(v); }); }
  bool number_float(json::number_float_t v, const json::string_t& text) {
    return Value([&](DomParser& p) { return p.number_float(v, text); });
  }
  bool string(json::string_t& v) { return Value([&](DomParser& p) { return p.string(v); }); }
  bool binary(json::binary_t& v) { return Value([&](DomParser& p) { return p.binary(v); }); }
  bool key(json::string_t& v) {
    if (object_) return object_->key(v);
    if (depth_ == 1) {
      if (views_ != Views::Before && Reader::DocumentField(v)) return Stop();
      if (v == "views") {
        if (views_ != Views::Before || !begin_(head)) return Stop();
        views_ = Views::Next;
      }
      return headParser_.key(v);
    }
    if (depth_ == 3 && viewParser_) {
      if (objects_ != Objects::Before && Reader::ViewField(v)) return Stop();
      if (v == "objects") {
        if (objects_ != Objects::Before) return Stop();
        objects_ = Objects::Next;
        return true;
      }
    }
    return Sink().key(v);
  }
  bool start_object(std::size_t n) {
    if (object_ || InObjects()) return OpenObject([&](DomParser& p) { return p.start_object(n); });
    if (depth_ == 2 && views_ == Views::Started) {
      viewFields_ = json();
      viewParser_ = std::make_unique<DomParser>(viewFields_, false);
      view_ = nullptr;
      objects_ = Objects::Before;
      ++depth_;
      return viewParser_->start_object(n);
    }
    if (Misplaced()) return Stop();
    ++depth_;
    return Sink().start_object(n);
  }
  bool start_array(std::size_t n) {
    if (object_ || InObjects()) return OpenObject([&](DomParser& p) { return p.start_array(n); });
    if (depth_ == 3 && viewParser_ && objects_ == Objects::Next) {
      for (const char* field : {"number", "name", "current", "layers", "currentLayer"})
        if (!viewFields_.contains(field)) return Stop();
      view_ = &reader_->BeginView(viewFields_);
      objects_ = Objects::Inside;
      ++depth_;
      return true;
    }
    if (depth_ == 1 && views_ == Views::Next) views_ = Views::Started;
    else if (Misplaced()) return Stop();
    ++depth_;
    return Sink().start_array(n);
  }
  bool end_object() {
    if (object_) return CloseObject([](DomParser& p) { return p.end_object(); });
    --depth_;
    if (depth_ == 2 && viewParser_) {
      const bool ok = viewParser_->end_object();
      if (!view_) return Stop();  // a view without its list of objects
      reader_->EndView(*view_, viewFields_);
      viewParser_.reset();
      viewFields_ = json();
      view_ = nullptr;
      return ok;
    }
    return Sink().end_object();
  }
  bool end_array() {
    if (object_) return CloseObject([](DomParser& p) { return p.end_array(); });
    --depth_;
    if (depth_ == 3 && objects_ == Objects::Inside) {
      objects_ = Objects::After;
      return true;
    }
    if (depth_ == 1 && views_ == Views::Started) views_ = Views::After;
    return Sink().end_array();
  }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) {
    failed = true;
    byte = position;
    id = e.id;
    return false;
  }

  json head;             // the document's fields
  bool late = false;     // the file is to be read whole
  bool failed = false;   // not JSON
  std::size_t byte = 0;  // from 1
  int id = 0;

 private:
  enum class Views { Before, Next, Started, After };
  enum class Objects { Before, Next, Inside, After };
  bool Stop() {
    late = true;
    return false;
  }
  bool InObjects() const { return objects_ == Objects::Inside && depth_ == 4; }
  // A value where a list of views, a view or a list of objects belongs.
  bool Misplaced() const {
    return (depth_ == 1 && views_ == Views::Next) || (depth_ == 2 && views_ == Views::Started) ||
           (depth_ == 3 && viewParser_ && objects_ == Objects::Next);
  }
  DomParser& Sink() { return viewParser_ ? *viewParser_ : headParser_; }
  template <class Event>
  bool Value(Event event) {
    if (object_) return event(*object_);
    if (InObjects()) {
      json value;
      DomParser single(value, false);
      event(single);
      reader_->TakeObject(*view_, value);
      return true;
    }
    if (Misplaced()) return Stop();
    return event(Sink());
  }
  template <class Event>
  bool OpenObject(Event event) {
    if (!object_) {
      object = json();
      object_ = std::make_unique<DomParser>(object, false);
    }
    ++objectDepth_;
    return event(*object_);
  }
  template <class Event>
  bool CloseObject(Event event) {
    const bool ok = event(*object_);
    if (--objectDepth_ == 0) {
      object_.reset();
      reader_->TakeObject(*view_, object);
      object = json();
    }
    return ok;
  }

  std::function<bool(const json&)> begin_;
  std::optional<Reader>& reader_;  // made by begin_
  DomParser headParser_;
  int depth_ = 0;  // containers open outside the object being gathered
  Views views_ = Views::Before;
  json viewFields_;                       // of the view being read
  std::unique_ptr<DomParser> viewParser_;  // their parser
  View* view_ = nullptr;                   // the view, once its objects begin
  Objects objects_ = Objects::Before;
  json object;                          // the object being gathered
  std::unique_ptr<DomParser> object_;   // its parser
  int objectDepth_ = 0;
};

[[noreturn]] void BadJson(const std::wstring& path, std::istream& in, std::size_t failedByte, int id) {
  if (failedByte <= 1 && in.peek() == std::char_traits<char>::eof()) Bad("файл пуст");
  const std::string place = PlaceOf(path, failedByte > 0 ? failedByte - 1 : 0);
  constexpr int kNumberOverflow = 406;
  if (id == kNumberOverflow) Bad("файл повреждён: число вне пределов чисел с плавающей точкой (" + place + ")");
  Bad("файл повреждён: запись JSON нарушена (" + place + ")");
}

json Parsed(const std::wstring& path) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) Bad("файл не открывается");
  json result;
  PlacedParser parser(result);
  if (json::sax_parse(in, &parser) && !parser.failed) return result;
  BadJson(path, in, parser.byte, parser.id);
}

// A drawing read as its file streams (StreamedParser), or null where the
// file is to be read whole: then `whole` holds its tree where the file was
// read to its end without a list of views (a 3D document), and is null
// where it is to be read again.
Ref<Document2D> StreamedDrawing(Application& app, const std::wstring& path, bool visible, json& whole) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) Bad("файл не открывается");
  Ref<Document2D> doc;
  std::optional<Reader> reader;
  const auto begin = [&](const json& head) {
    if (!head.is_object()) return false;
    for (const char* field : {"format", "version", "type", "properties", "values"})
      if (!head.contains(field)) return false;
    const int type = Integer(head, "type");
    if (type != vlapi::vlDocumentDrawing && type != vlapi::vlDocumentFragment) return false;
    doc = Make<Document2D>(&app, type, visible);
    reader.emplace(*doc);
    reader->Begin(head);
    return true;
  };
  StreamedParser parser(begin, reader);
  const bool parsed = json::sax_parse(in, &parser);
  if (parser.failed) BadJson(path, in, parser.byte, parser.id);
  if (parser.late || !parsed) return {};
  if (!doc) {
    whole = std::move(parser.head);
    return {};
  }
  reader->Finish(parser.head);
  return doc;
}

}  // namespace

vlapi::IVarnelDocumentPtr ReadDocument(Application& app, const std::wstring& path, bool visible, std::wstring& error) {
  try {
    json read;
    if (Ref<Document2D> doc = StreamedDrawing(app, path, visible, read)) {
      doc->SetPath(path);
      app.Activate(doc.get());
      return vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument2D*>(doc.get()));
    }
    const json j = read.is_null() ? Parsed(path) : std::move(read);
    if (!j.is_object()) Bad("не документ этой системы");
    const int type = Integer(j, "type");
    if (type == vlapi::vlDocumentDrawing || type == vlapi::vlDocumentFragment) {
      Ref<Document2D> doc = Make<Document2D>(&app, type, visible);
      Reader(*doc).ReadDocument(j);
      doc->SetPath(path);
      app.Activate(doc.get());
      return vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument2D*>(doc.get()));
    }
    if (type == vlapi::vlDocumentPart || type == vlapi::vlDocumentAssembly) {
      Ref<Document3D> doc = Make<Document3D>(&app, type, visible);
      ReadDocument3D(j, *doc);
      doc->SetPath(path);
      app.Activate(doc.get());
      return vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument3D*>(doc.get()));
    }
    Bad("неизвестный тип документа");
  } catch (const ReadError& e) {
    error = Wide(Utf8(path) + ": " + e.what);
  } catch (const std::bad_alloc&) {
    error = Wide(Utf8(path) + ": не хватило памяти, чтобы прочитать файл");
  } catch (const std::exception&) {
    error = Wide(Utf8(path) + ": файл повреждён: строение документа нарушено");
  }
  return {};
}

bool Document2D::SaveAs(const std::wstring& path) {
  if (Failures::Instance().Fails("IVarnelDocument::SaveAs")) return false;
  return SaveDocument2D(*this, path);
}

}  // namespace vlhost
