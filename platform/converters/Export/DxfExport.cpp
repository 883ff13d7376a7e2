// The DXF export converter: a 2D document as DXF R2000, in sheet millimetres.
// Every view is mapped onto the sheet by its origin and scale; macros are
// written as their members; curves keep their kind where DXF has it (NURBS,
// Bézier and conic curves become splines); tables become lines and texts;
// layers keep their colour and visibility, line styles become linetypes.
#include <dxflib/dl_dxf.h>

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <variant>

#include "common/Converter.h"
#include "geom/Contour.h"
#include "io/Files.h"
#include "model/Macro.h"
#include "model/Table.h"
#include "model/Text.h"
#include "model/View.h"

namespace vlhost::dxf {
namespace {

constexpr double kDegrees = 180.0 / geom::kPi;
constexpr int kMaxMacroDepth = 64;

struct LineE { geom::Point a, b; };
struct CircleE { geom::Point centre; double radius; };
struct ArcE { geom::Point centre; double radius, start, end; };  // degrees, counter-clockwise
struct EllipseE { geom::Point centre, major; double ratio, start, end; };
struct PolyE { std::vector<geom::Point> points; std::vector<double> bulges; bool closed; };
struct SplineE { int degree; std::vector<double> knots; std::vector<geom::Point> poles; std::vector<double> weights; };
struct TextE { geom::Point at; double height, widthFactor; std::wstring text; double angle = 0; };  // angle in radians
using Geometry = std::variant<LineE, CircleE, ArcE, EllipseE, PolyE, SplineE, TextE>;

struct Entity {
  Geometry geometry;
  std::wstring layer;
  int style;
};

struct LayerE {
  std::wstring name;
  int color;
  bool visible;
};

bool Finite(double v) { return std::isfinite(v); }
bool Finite(geom::Point p) { return geom::isFinite(p); }

bool Finite(const Geometry& g) {
  return std::visit(
      [](const auto& e) {
        using E = std::decay_t<decltype(e)>;
        if constexpr (std::is_same_v<E, LineE>) return Finite(e.a) && Finite(e.b);
        else if constexpr (std::is_same_v<E, CircleE>) return Finite(e.centre) && Finite(e.radius) && e.radius > 0;
        else if constexpr (std::is_same_v<E, ArcE>) return Finite(e.centre) && Finite(e.radius) && e.radius > 0 && Finite(e.start) && Finite(e.end);
        else if constexpr (std::is_same_v<E, EllipseE>) return Finite(e.centre) && Finite(e.major) && Finite(e.ratio) && Finite(e.start) && Finite(e.end) && e.ratio > 0;
        else if constexpr (std::is_same_v<E, PolyE>) {
          for (auto p : e.points) if (!Finite(p)) return false;
          for (double b : e.bulges) if (!Finite(b)) return false;
          return e.points.size() >= 2;
        } else if constexpr (std::is_same_v<E, SplineE>) {
          for (auto p : e.poles) if (!Finite(p)) return false;
          for (double k : e.knots) if (!Finite(k)) return false;
          for (double w : e.weights) if (!Finite(w) || w <= 0) return false;
          return e.degree >= 1 && e.poles.size() > static_cast<std::size_t>(e.degree) &&
                 e.knots.size() == e.poles.size() + static_cast<std::size_t>(e.degree) + 1;
        } else {
          return Finite(e.at) && Finite(e.height) && e.height > 0 && Finite(e.widthFactor);
        }
      },
      g);
}

double Normalised(double radians) {
  double a = std::fmod(radians, 2 * geom::kPi);
  return a < 0 ? a + 2 * geom::kPi : a;
}

// A curve of the kernel as DXF geometry; pieces of lines and arcs go by `pieces`.
std::vector<Geometry> FromCurve(const geom::Curve& curve) {
  return std::visit(
      [](const auto& c) -> std::vector<Geometry> {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, geom::Segment>) {
          return {LineE{c.start, c.end}};
        } else if constexpr (std::is_same_v<C, geom::Circle>) {
          return {CircleE{c.centre, c.radius}};
        } else if constexpr (std::is_same_v<C, geom::Arc>) {
          if (std::abs(c.sweep()) >= 2 * geom::kPi - 1e-12) return {CircleE{c.centre, c.radius}};
          const double from = c.ccw ? c.startAngle : c.endAngle;
          const double to = c.ccw ? c.endAngle : c.startAngle;
          return {ArcE{c.centre, c.radius, Normalised(from) * kDegrees, Normalised(to) * kDegrees}};
        } else if constexpr (std::is_same_v<C, geom::Ellipse> || std::is_same_v<C, geom::EllipticArc>) {
          geom::Ellipse e;
          double from = 0, to = 2 * geom::kPi;
          if constexpr (std::is_same_v<C, geom::Ellipse>) {
            e = c;
          } else {
            e = c.ellipse;
            from = c.ccw ? c.startParam : c.endParam;
            to = c.ccw ? c.endParam : c.startParam;
          }
          const geom::Point a = geom::unitAt(e.rotation) * e.radiusA;
          const geom::Point b = geom::Point{-std::sin(e.rotation), std::cos(e.rotation)} * e.radiusB;
          // DXF takes the longer axis as the major one; its parameters then start a quarter turn later.
          const bool swap = e.radiusB > e.radiusA;
          const double shift = swap ? -geom::kPi / 2 : 0;
          const double ratio = swap ? e.radiusA / e.radiusB : e.radiusB / e.radiusA;
          if constexpr (std::is_same_v<C, geom::Ellipse>) {
            return {EllipseE{e.centre, swap ? b : a, ratio, 0, 2 * geom::kPi}};
          } else {
            double start = Normalised(from + shift), end = Normalised(to + shift);
            if (end <= start) end += 2 * geom::kPi;
            return {EllipseE{e.centre, swap ? b : a, ratio, start, end}};
          }
        } else if constexpr (std::is_same_v<C, geom::Polyline>) {
          return {PolyE{c.points, std::vector<double>(c.points.size(), 0.0), c.closed}};
        } else if constexpr (std::is_same_v<C, geom::Nurbs>) {
          return {SplineE{c.degree, c.knots, c.poles, c.weights}};
        } else if constexpr (std::is_same_v<C, geom::Bezier>) {
          // Pieces of degree d sharing their end poles: a B-spline whose inner knots repeat d times.
          const int d = c.degree;
          if (d < 1 || c.poles.size() < 2 || (c.poles.size() - 1) % static_cast<std::size_t>(d) != 0) return {};
          const int pieces = static_cast<int>((c.poles.size() - 1) / static_cast<std::size_t>(d));
          std::vector<double> knots(static_cast<std::size_t>(d) + 1, 0.0);
          for (int k = 1; k < pieces; ++k) knots.insert(knots.end(), static_cast<std::size_t>(d), k);
          knots.insert(knots.end(), static_cast<std::size_t>(d) + 1, pieces);
          return {SplineE{d, knots, c.poles, {}}};
        } else {  // a conic: a rational quadratic Bézier
          return {SplineE{2, {0, 0, 0, 1, 1, 1}, {c.start, c.apex, c.end}, {1, c.weight, 1}}};
        }
      },
      curve);
}

// A chain of lines and arcs as one polyline with bulges; nothing when it holds
// other curves or its pieces do not meet. The pieces meet, and the chain is
// closed, within the tolerance that joined them into a contour: each piece
// starts at its vertex, so a chain whose end comes back to its start within it
// is written closed, not left open by the rounding of the points it was
// traced through.
std::optional<PolyE> AsBulgedPolyline(const std::vector<geom::Curve>& pieces) {
  if (pieces.empty()) return std::nullopt;
  PolyE poly{{}, {}, false};
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const geom::Curve& piece = pieces[i];
    double bulge = 0;
    if (const auto* arc = std::get_if<geom::Arc>(&piece)) bulge = std::tan(arc->sweep() / 4);
    else if (!std::holds_alternative<geom::Segment>(piece)) return std::nullopt;
    if (i > 0 && !geom::near(geom::endPoint(pieces[i - 1]), geom::startPoint(piece), geom::kContourTolerance))
      return std::nullopt;
    poly.points.push_back(geom::startPoint(piece));
    poly.bulges.push_back(bulge);
  }
  const geom::Point end = geom::endPoint(pieces.back());
  if (pieces.size() > 1 && geom::near(end, poly.points.front(), geom::kContourTolerance)) {
    poly.closed = true;
  } else {
    poly.points.push_back(end);
    poly.bulges.push_back(0);
  }
  return poly;
}

std::wstring LayerName(const View& view, int number) {
  std::wstring name;
  if (const Layer* layer = view.LayerByNumber(number)) name = layer->Name();
  if (name.empty()) name = number == 0 ? L"0" : std::to_wstring(number);
  for (wchar_t& c : name)
    if (std::wstring_view(L"<>/\\\":;?*|=`").find(c) != std::wstring_view::npos) c = L'_';
  return name;
}

class Collector {
 public:
  Collector(Document2D& doc) : doc_(doc) {}

  void Run() {
    layers_.push_back({L"0", 0, true});
    for (const auto& view : doc_.Views()) {
      const geom::Transform toSheet =
          geom::Transform::scale({0, 0}, view->scale).then(geom::Transform::move(view->x, view->y));
      for (const auto& shape : view->Items()) Add(*view, *shape, toSheet, 0);
    }
  }

  std::vector<Entity> entities;
  std::vector<LayerE> layers_;
  int skipped = 0;

 private:
  void Add(const View& view, const Shape& shape, const geom::Transform& t, int depth) {
    if (const auto* macro = dynamic_cast<const MacroObject*>(&shape)) {
      if (depth >= kMaxMacroDepth) {
        ++skipped;
        return;
      }
      const geom::Transform inner = macro->Placement().then(t);
      for (const auto& member : macro->Items()) Add(view, *member, inner, depth + 1);
      return;
    }
    const std::wstring layer = UseLayer(view, shape.layer);
    auto put = [&](Geometry g) {
      if (Finite(g)) entities.push_back({std::move(g), layer, shape.style});
      else ++skipped;
    };
    if (const auto* text = dynamic_cast<const DrawingText*>(&shape)) {
      AddText(text->model, text->anchor, geom::Transform::turn(text->anchor, text->angle).then(t), put);
    } else if (const auto* table = dynamic_cast<const DrawingTable*>(&shape)) {
      AddTable(*table, t, put);
    } else if (const auto* contour = dynamic_cast<const ContourShape*>(&shape)) {
      std::vector<geom::Curve> pieces;
      for (const auto& piece : contour->pieces) pieces.push_back(geom::transformed(piece, t));
      if (auto poly = AsBulgedPolyline(pieces)) put(*poly);
      else for (const auto& piece : pieces) for (auto& g : FromCurve(piece)) put(std::move(g));
    } else if (const auto* free = dynamic_cast<const FreeCurve*>(&shape)) {
      for (auto& g : FromCurve(geom::transformed(free->Raw(), t))) put(std::move(g));
    } else if (shape.HasCurve()) {
      for (const geom::Curve& curve : shape.Curves())
        for (auto& g : FromCurve(geom::transformed(curve, t))) put(std::move(g));
    }
    // Hatches and colourings are fills of other objects' outlines: not written.
  }

  template <class Put>
  void AddText(const TextModel& model, geom::Point anchor, const geom::Transform& t, Put& put) {
    const double f = t.lengthFactor();
    const geom::Point at = t.apply(anchor);
    const double height = model.Height() * f;
    const double widthFactor = model.lines.empty() || model.lines[0].items.empty() ? 1.0 : model.lines[0].items[0].widthFactor;
    // Its lines run the way the placement turns them.
    const geom::Point along = t.applyToVector({1, 0});
    put(TextE{at, height, widthFactor, model.Joined(), std::atan2(along.y, along.x)});
  }

  template <class Put>
  void AddTable(const DrawingTable& table, const geom::Transform& t, Put& put) {
    double width = 0, height = 0;
    for (double w : table.widths) width += w;
    for (double h : table.heights) height += h;
    const geom::Point c = table.corner;
    double y = c.y;
    put(LineE{t.apply({c.x, y}), t.apply({c.x + width, y})});
    for (double h : table.heights) {
      y -= h;
      put(LineE{t.apply({c.x, y}), t.apply({c.x + width, y})});
    }
    double x = c.x;
    put(LineE{t.apply({x, c.y}), t.apply({x, c.y - height})});
    for (double w : table.widths) {
      x += w;
      put(LineE{t.apply({x, c.y}), t.apply({x, c.y - height})});
    }
    double top = c.y;
    for (std::size_t r = 0; r < table.cells.size() && r < table.heights.size(); ++r) {
      double left = c.x;
      const double bottom = top - table.heights[r];
      for (std::size_t k = 0; k < table.cells[r].size() && k < table.widths.size(); ++k) {
        const TextModel& text = table.cells[r][k]->model;
        if (!text.Joined().empty()) {
          const double h = std::min(text.Height(), table.heights[r] * 0.7);
          TextModel fitted = text;
          for (auto& line : fitted.lines)
            for (auto& item : line.items) item.height = h;
          AddText(fitted, {left + 1, bottom + (table.heights[r] - h) / 2}, t, put);
        }
        left += table.widths[k];
      }
      top = bottom;
    }
  }

  std::wstring UseLayer(const View& view, int number) {
    const std::wstring name = LayerName(view, number);
    for (const auto& l : layers_)
      if (l.name == name) return name;
    const Layer* layer = view.LayerByNumber(number);
    layers_.push_back({name, layer ? layer->color : 0, layer ? layer->visible : true});
    return name;
  }

  Document2D& doc_;
};

// The nearest of the first nine indexed colours.
int IndexedColour(int rgb) {
  if (rgb == 0) return 7;
  static const int table[][4] = {{1, 255, 0, 0},   {2, 255, 255, 0}, {3, 0, 255, 0},     {4, 0, 255, 255}, {5, 0, 0, 255},
                                 {6, 255, 0, 255}, {7, 255, 255, 255}, {8, 128, 128, 128}, {9, 192, 192, 192}};
  const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
  int best = 7, bestDistance = 1 << 30;
  for (const auto& e : table) {
    const int d = (r - e[1]) * (r - e[1]) + (g - e[2]) * (g - e[2]) + (b - e[3]) * (b - e[3]);
    if (d < bestDistance) {
      bestDistance = d;
      best = e[0];
    }
  }
  return best;
}

class Writer {
 public:
  Writer(Document2D& doc, const Collector& content) : doc_(doc), content_(content) {}

  bool Write(const std::filesystem::path& path) {
    DL_Dxf dxf;
    std::unique_ptr<DL_WriterA> dw(dxf.out(path.c_str(), DL_Codes::AC1015));
    if (!dw || dw->openFailed()) return false;
    dxf.writeHeader(*dw);
    dw->dxfString(9, "$INSUNITS");
    dw->dxfInt(70, 4);  // millimetres
    dw->dxfString(9, "$MEASUREMENT");
    dw->dxfInt(70, 1);
    dw->dxfString(9, "$DWGCODEPAGE");
    dw->dxfString(3, kWrittenCodePage);
    dw->sectionEnd();
    dw->sectionTables();
    dxf.writeVPort(*dw);
    WriteLinetypes(dxf, *dw);
    WriteLayers(dxf, *dw);
    dw->tableStyle(1);
    dxf.writeStyle(*dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw->tableEnd();
    dxf.writeView(*dw);
    dxf.writeUcs(*dw);
    dw->tableAppid(1);
    dxf.writeAppid(*dw, "ACAD");
    dw->tableEnd();
    dxf.writeDimStyle(*dw, 1, 1, 1, 1, 1);
    dxf.writeBlockRecord(*dw);
    dw->tableEnd();
    dw->sectionEnd();
    dw->sectionBlocks();
    for (const char* block : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
      dxf.writeBlock(*dw, DL_BlockData(block, 0, 0.0, 0.0, 0.0));
      dxf.writeEndBlock(*dw, block);
    }
    dw->sectionEnd();
    dw->sectionEntities();
    for (const Entity& e : content_.entities) WriteEntity(dxf, *dw, e);
    dw->sectionEnd();
    WriteObjects(*dw);
    dw->dxfEOF();
    dw->close();
    return !dw->openFailed();
  }

 private:
  // The objects section as dxflib writes it (the root dictionary, groups,
  // layouts, the standard multiline style, plot settings and styles, the
  // variables), each object with the handle of its owner, which dxflib
  // leaves out: readers that check ownership would otherwise mend every
  // file. The handles are those dxflib gives these objects and the tables;
  // the variables take the first free ones, after the entities'.
  void WriteObjects(DL_WriterA& dw) const {
    const int variables = static_cast<int>(dw.getNextHandle());
    struct Field { int code; std::variant<int, double, const char*> value; bool hex = false; };
    struct Object { const char* type; int handle; int owner; std::vector<Field> fields; };
    auto dictionary = [](int handle, int owner, std::vector<std::pair<const char*, int>> entries, bool hard) {
      Object o{"DICTIONARY", handle, owner, {{100, "AcDbDictionary"}}};
      if (hard) o.fields.push_back({280, 0});
      o.fields.push_back({281, 1});
      for (const auto& [name, entry] : entries) {
        o.fields.push_back({3, name});
        o.fields.push_back({350, entry, true});
      }
      return o;
    };
    // A layout on its tab, with the block record of its space; the first
    // paper layout is set up for an A3 sheet.
    auto layout = [](int handle, const char* name, int flags, int plotType, int paperUnits, int tab, int block) {
      Object o{"LAYOUT", handle, 0x1A, {{100, "AcDbPlotSettings"}, {1, ""}, {2, "none_device"}, {4, ""}, {6, ""}}};
      for (int code : {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 140, 141}) o.fields.push_back({code, 0.0});
      o.fields.insert(o.fields.end(), {{142, 1.0}, {143, 1.0}, {70, flags}, {72, 0}, {73, 0}, {74, plotType}, {7, ""},
                                       {75, paperUnits}, {147, 1.0}, {148, 0.0}, {149, 0.0}, {100, "AcDbLayout"},
                                       {1, name}, {70, 1}, {71, tab}, {10, 0.0}, {20, 0.0}});
      const bool a3 = tab == 1;
      const double limit = a3 ? 420.0 : 12.0, limitY = a3 ? 297.0 : 9.0, extent = a3 ? 1e20 : 0.0;
      o.fields.insert(o.fields.end(), {{11, limit}, {21, limitY}, {12, 0.0}, {22, 0.0}, {32, 0.0}, {14, extent},
                                       {24, extent}, {34, extent}, {15, -extent}, {25, -extent}, {35, -extent},
                                       {146, 0.0}, {13, 0.0}, {23, 0.0}, {33, 0.0}, {16, 1.0}, {26, 0.0}, {36, 0.0},
                                       {17, 0.0}, {27, 1.0}, {37, 0.0}, {76, 0}, {330, block, true}});
      return o;
    };
    const std::vector<Object> objects = {
        dictionary(0xC, 0,
                   {{"ACAD_GROUP", 0xD}, {"ACAD_LAYOUT", 0x1A}, {"ACAD_MLINESTYLE", 0x17}, {"ACAD_PLOTSETTINGS", 0x19},
                    {"ACAD_PLOTSTYLENAME", 0xE}, {"AcDbVariableDictionary", variables}},
                   true),
        dictionary(0xD, 0xC, {}, true),
        {"ACDBDICTIONARYWDFLT", 0xE, 0xC,
         {{100, "AcDbDictionary"}, {281, 1}, {3, "Normal"}, {350, 0xF, true}, {100, "AcDbDictionaryWithDefault"},
          {340, 0xF, true}}},
        {"ACDBPLACEHOLDER", 0xF, 0xE, {}},
        dictionary(0x17, 0xC, {{"Standard", 0x18}}, true),
        {"MLINESTYLE", 0x18, 0x17,
         {{100, "AcDbMlineStyle"}, {2, "STANDARD"}, {70, 0}, {3, ""}, {62, 256}, {51, 90.0}, {52, 90.0}, {71, 2},
          {49, 0.5}, {62, 256}, {6, "BYLAYER"}, {49, -0.5}, {62, 256}, {6, "BYLAYER"}}},
        dictionary(0x19, 0xC, {}, true),
        dictionary(0x1A, 0xC, {{"Layout1", 0x1E}, {"Layout2", 0x26}, {"Model", 0x22}}, false),
        layout(0x1E, "Layout1", 688, 5, 16, 1, 0x1B),
        layout(0x22, "Model", 1712, 0, 0, 0, 0x1F),
        layout(0x26, "Layout2", 688, 5, 16, 2, 0x23),
        dictionary(variables, 0xC, {{"DIMASSOC", variables + 2}, {"HIDETEXT", variables + 1}}, false),
        {"DICTIONARYVAR", variables + 1, variables, {{100, "DictionaryVariables"}, {280, 0}, {1, "2"}}},
        {"DICTIONARYVAR", variables + 2, variables, {{100, "DictionaryVariables"}, {280, 0}, {1, "1"}}},
    };
    dw.sectionObjects();
    for (const Object& o : objects) {
      dw.dxfString(0, o.type);
      dw.dxfHex(5, o.handle);
      dw.dxfHex(330, o.owner);
      for (const Field& f : o.fields) {
        if (const int* i = std::get_if<int>(&f.value)) {
          if (f.hex) dw.dxfHex(f.code, *i);
          else dw.dxfInt(f.code, *i);
        } else if (const double* d = std::get_if<double>(&f.value)) {
          dw.dxfReal(f.code, *d);
        } else {
          dw.dxfString(f.code, std::get<const char*>(f.value));
        }
      }
    }
    dw.sectionEnd();
  }

  std::string Linetype(int style) const {
    const LineStyle* s = doc_.LineStyles().Find(style);
    return s ? EncodeText(s->linetype) : std::string("CONTINUOUS");
  }

  void WriteLinetypes(DL_Dxf& dxf, DL_WriterA& dw) {
    std::vector<const LineStyle*> used;
    for (const Entity& e : content_.entities) {
      const LineStyle* s = doc_.LineStyles().Find(e.style);
      if (s && s->linetype != L"CONTINUOUS" && std::find(used.begin(), used.end(), s) == used.end()) used.push_back(s);
    }
    dw.tableLinetypes(static_cast<int>(used.size()) + 3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    for (const LineStyle* s : used) {
      std::vector<double> pattern = s->pattern;
      double length = 0;
      for (double d : pattern) length += std::abs(d);
      dxf.writeLinetype(dw, DL_LinetypeData(EncodeText(s->linetype), EncodeText(s->name), 0,
                                            static_cast<int>(pattern.size()), length,
                                            pattern.empty() ? nullptr : pattern.data()));
    }
    dw.tableEnd();
  }

  void WriteLayers(DL_Dxf& dxf, DL_WriterA& dw) {
    dw.tableLayers(static_cast<int>(content_.layers_.size()));
    for (const LayerE& l : content_.layers_) {
      const int aci = IndexedColour(l.color);
      const int rgb = l.color == 0 ? -1 : ((l.color & 0xFF) << 16) | (l.color & 0xFF00) | ((l.color >> 16) & 0xFF);
      dxf.writeLayer(dw, DL_LayerData(EncodeText(l.name), 0),
                     DL_Attributes("", l.visible ? aci : -aci, rgb, 100, "CONTINUOUS"));
    }
    dw.tableEnd();
  }

  void WriteEntity(DL_Dxf& dxf, DL_WriterA& dw, const Entity& e) {
    const DL_Attributes a(EncodeText(e.layer), 256, -1, -1, Linetype(e.style));
    std::visit(
        [&](const auto& g) {
          using G = std::decay_t<decltype(g)>;
          if constexpr (std::is_same_v<G, LineE>) {
            dxf.writeLine(dw, DL_LineData(g.a.x, g.a.y, 0, g.b.x, g.b.y, 0), a);
          } else if constexpr (std::is_same_v<G, CircleE>) {
            dxf.writeCircle(dw, DL_CircleData(g.centre.x, g.centre.y, 0, g.radius), a);
          } else if constexpr (std::is_same_v<G, ArcE>) {
            dxf.writeArc(dw, DL_ArcData(g.centre.x, g.centre.y, 0, g.radius, g.start, g.end), a);
          } else if constexpr (std::is_same_v<G, EllipseE>) {
            dxf.writeEllipse(dw, DL_EllipseData(g.centre.x, g.centre.y, 0, g.major.x, g.major.y, 0, g.ratio, g.start, g.end), a);
          } else if constexpr (std::is_same_v<G, PolyE>) {
            dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(g.points.size()), 0, 0, g.closed ? 1 : 0), a);
            for (std::size_t i = 0; i < g.points.size(); ++i)
              dxf.writeVertex(dw, DL_VertexData(g.points[i].x, g.points[i].y, 0, g.bulges[i]));
            dxf.writePolylineEnd(dw);
          } else if constexpr (std::is_same_v<G, SplineE>) {
            const bool rational = std::any_of(g.weights.begin(), g.weights.end(), [](double w) { return w != 1.0; });
            DL_SplineData data(g.degree, static_cast<int>(g.knots.size()), static_cast<int>(g.poles.size()), 0,
                               8 | (rational ? 4 : 0));
            dxf.writeSpline(dw, data, a);
            for (double k : g.knots) dxf.writeKnot(dw, DL_KnotData(k));
            // Each control point with its weight (dxflib's own writer leaves weights out).
            for (std::size_t i = 0; i < g.poles.size(); ++i) {
              dw.dxfReal(10, g.poles[i].x);
              dw.dxfReal(20, g.poles[i].y);
              dw.dxfReal(30, 0.0);
              if (rational) dw.dxfReal(41, g.weights[i]);
            }
          } else {
            WriteText(dxf, dw, g, a);
          }
        },
        e.geometry);
  }

  void WriteText(DL_Dxf& dxf, DL_WriterA& dw, const TextE& t, const DL_Attributes& a) {
    if (t.text.find(L'\n') == std::wstring::npos) {
      std::wstring text;
      for (wchar_t c : t.text) text += c == L'%' ? std::wstring(L"%%%") : std::wstring(1, c);
      dxf.writeText(dw, DL_TextData(t.at.x, t.at.y, 0, t.at.x, t.at.y, 0, t.height, t.widthFactor, 0, 0, 0,
                                    EncodeText(text), "Standard", t.angle),
                    a);
      return;
    }
    std::wstring text;
    for (wchar_t c : t.text) {
      if (c == L'\n') text += L"\\P";
      else if (c == L'\\' || c == L'{' || c == L'}') text += std::wstring(L"\\") + c;
      else text += c;
    }
    // Attached at its top left, which lies a text height above the first line's base.
    const double c = std::cos(t.angle), s = std::sin(t.angle);
    dxf.writeMText(dw, DL_MTextData(t.at.x - s * t.height, t.at.y + c * t.height, 0, c, s, 0, t.height, 0, 1, 1, 1, 1.0,
                                    EncodeText(text), "Standard", t.angle),
                   a);
  }

  Document2D& doc_;
  const Collector& content_;
};

class ExportConverter : public Converter {
 public:
  using Converter::Converter;

 protected:
  std::wstring Caption() const override { return L"Экспорт DXF"; }
  std::wstring Subject(const std::wstring& in, const std::wstring& out) const override {
    return out.empty() ? (in.empty() ? L"Экспорт DXF" : in) : out;
  }

  bool Run(const std::wstring& in, const std::wstring& out, std::vector<std::wstring>& problems) override {
    if (out.empty()) {
      problems.push_back(L"не задан файл, в который писать");
      return false;
    }
    SourceDocument source(App(), in);
    if (!source.Get()) {
      problems.push_back(source.Error());
      return false;
    }
    Collector content(*source.Get());
    content.Run();
    const std::filesystem::path target = PathOf(out);
    SafeFile file(target);
    if (!Writer(*source.Get(), content).Write(file.Temporary()) || !file.Commit()) {
      problems.push_back(NameTooLong(target) ? L"имя файла длиннее, чем допускает файловая система"
                                             : L"файл не записывается");
      return false;
    }
    if (content.skipped > 0)
      problems.push_back(std::to_wstring(content.skipped) +
                         L" объектов не записано: их числа не конечны или они вложены слишком глубоко");
    return true;
  }
};

}  // namespace
}  // namespace vlhost::dxf

VLHOST_DXF_CONVERTER(vlhost::dxf::ExportConverter)
