// The DXF import converter: a DXF file (R12 onwards) into a new fragment file
// or into the current view of the active 2D document. The file is checked
// and cleaned first (DxfGroups), read by dxflib, and its model space built
// in millimetres: blocks are expanded, every object keeps its layer and its
// linetype (as a line style of the document), texts their content, place and
// height. Geometry is taken as given: nothing is joined or dropped as a duplicate.
// What it cannot give the document is left out and named: objects whose
// coordinates overflow once block scales and units are applied, splines that
// collapse to a point, and all that lies beyond the copies and objects one
// file may expand to.
#include <dxflib/dl_creationadapter.h>
#include <dxflib/dl_dxf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cwctype>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <unordered_map>
#include <variant>

#include "Import/DxfGroups.h"
#include "common/Converter.h"
#include "io/Files.h"
#include "model/Shapes.h"
#include "model/Text.h"
#include "model/View.h"

namespace vlhost::dxf {
namespace {

constexpr double kRadians = geom::kPi / 180.0;
constexpr int kMaxBlockDepth = 16;
// Block copies and their objects visited while blocks are expanded: empty
// blocks inserted as arrays in arrays make no objects but cost their copies.
constexpr std::size_t kMaxVisits = 10'000'000;
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
// Points nearer than this (millimetres) are one point of the drawing.
constexpr double kPointTolerance = 1e-4;
// Degrees by which an arc's angles may miss a whole turn and it still be a
// full circle: the rounding of angles written with fifteen digits and more,
// far below any arc drawn (a gap under 0.001 mm on a radius of a kilometre).
constexpr double kFullTurnRounding = 1e-8;
constexpr char kFewPoints[] = "полилинии менее чем из двух точек";
constexpr char kNoRadius[] = "дуги и окружности без радиуса";
constexpr char kBadEllipse[] = "эллипсы с неверными осями";
constexpr char kBadKnots[] = "сплайны, узлы которых не подходят к управляющим точкам";
constexpr char kOverflow[] = "объекты, координаты которых переполняются с масштабами блоков и единицами файла";

// ---- what dxflib gives ----

// The names of layers and linetypes, each kept once: a file of a million
// objects names a few of them a million times.
class Names {
 public:
  std::uint32_t Id(const std::string& name) {
    auto [it, added] = ids_.emplace(name, static_cast<std::uint32_t>(names_.size()));
    if (added) names_.push_back(&it->first);
    return it->second;
  }
  const std::string& Name(std::uint32_t id) const { return *names_[id]; }

 private:
  std::unordered_map<std::string, std::uint32_t> ids_;
  std::vector<const std::string*> names_;
};

struct Attributes {
  std::uint32_t layer = 0, linetype = 0;  // names
  bool flipped = false;  // object coordinate system with its normal along -Z
  // Of an object given in its own coordinates on a plane tilted out of the
  // drawing's (so little that the first reading took it flat): 1 + its
  // place among the reader's plans; 0 for none.
  std::uint32_t plan = 0;
};

// x' = a x + b y + tx, y' = c x + d y + ty: the plan of a tilted plane's
// own coordinates at its elevation, its axes as DXF makes them of its normal
// (the arbitrary axis rule).
struct PlanMap {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};
PlanMap PlanOf(const double* normal, double elevation) {
  double n[3], x[3], y[3];
  if (!PlaneAxes(normal, n, x, y)) return {};
  return {x[0], y[0], x[1], y[1], elevation * n[0], elevation * n[1]};
}

struct PolylineR {
  std::vector<DL_VertexData> vertices;
  bool closed = false;
};
struct SplineR {
  int degree = 3;
  std::vector<double> knots;
  std::vector<DL_ControlPointData> poles;
  std::vector<DL_FitPointData> fits;
  bool closed = false;
  std::optional<geom::Point> startTangent, endTangent;  // of a spline given by fit points
};
struct TextR {
  DL_TextData data;
};
struct MTextR {
  DL_MTextData data;
};
// Lines, arcs and circles in the record itself; the rarer, larger kinds
// apart, so that a record is no larger than a line needs.
using Item = std::variant<DL_LineData, DL_ArcData, DL_CircleData, std::unique_ptr<DL_EllipseData>,
                          std::unique_ptr<PolylineR>, std::unique_ptr<SplineR>, std::unique_ptr<TextR>,
                          std::unique_ptr<MTextR>, std::unique_ptr<DL_InsertData>>;

template <class T>
Item MakeItem(T&& item) {
  using V = std::decay_t<T>;
  if constexpr (std::is_same_v<V, DL_LineData> || std::is_same_v<V, DL_ArcData> || std::is_same_v<V, DL_CircleData>)
    return Item(std::forward<T>(item));
  else
    return Item(std::make_unique<V>(std::forward<T>(item)));
}

struct Record {
  Item item;
  Attributes attributes;
};

struct Block {
  geom::Point base;
  std::vector<Record> records;
};

struct LayerR {
  int color = 7;
  int color24 = -1;
  bool visible = true;
  bool frozen = false;  // hides, besides its own objects, the block copies that stand on it
  std::string linetype = "CONTINUOUS";
};

class Reader : public DL_CreationAdapter {
 public:
  std::vector<Record> model;
  std::map<std::string, Block, NoCase> blocks;
  std::vector<std::pair<std::string, LayerR>> layers;  // in file order
  std::vector<PlanMap> plans;  // of the objects on tilted planes (Attributes::plan)
  std::map<std::string, std::vector<double>, NoCase> linetypes;  // their dash elements
  Names names;  // of the records' layers and linetypes

  void addLayer(const DL_LayerData& data) override {
    const DL_Attributes a = getAttributes();
    LayerR layer;
    layer.color = std::abs(a.getColor());
    layer.color24 = a.getColor24();
    layer.visible = a.getColor() >= 0 && !data.off && !(data.flags & 1);
    layer.frozen = (data.flags & 1) != 0;
    // A layer that names no linetype of its own (no group 6, as some writers
    // leave it, read as BYLAYER or BYBLOCK) draws solid lines.
    if (const std::string& own = a.getLinetype(); !own.empty() && !SameName(own, "BYLAYER") && !SameName(own, "BYBLOCK"))
      layer.linetype = own;
    layers.emplace_back(data.name, layer);
    if (layer.frozen) frozen_.insert(data.name);
    else frozen_.erase(data.name);
  }
  // dxflib gives a linetype's dashes before the linetype itself.
  void addLinetype(const DL_LinetypeData& data) override {
    linetypes[data.name] = dashes_;
    dashes_.clear();
  }
  void addLinetypeDash(double length) override { dashes_.push_back(length); }
  void addBlock(const DL_BlockData& data) override {
    Block& block = blocks[data.name];
    block = Block{{data.bpx, data.bpy}, {}};
    current_ = &block.records;
  }
  void endBlock() override { current_ = &model; }
  void addLine(const DL_LineData& d) override { Put(d); }
  void addArc(const DL_ArcData& d) override { Put(d); }
  void addCircle(const DL_CircleData& d) override { Put(d); }
  void addEllipse(const DL_EllipseData& d) override { Put(d); }
  void addPolyline(const DL_PolylineData& d) override { Put(PolylineR{{}, (d.flags & 1) != 0}); }
  void addVertex(const DL_VertexData& d) override {
    if (auto* p = Last<PolylineR>()) p->vertices.push_back(d);
  }
  void addSpline(const DL_SplineData& d) override {
    // dxflib gives a tangent the file leaves out as zero.
    auto tangent = [](double x, double y) {
      return x != 0 || y != 0 ? std::optional<geom::Point>({x, y}) : std::nullopt;
    };
    Put(SplineR{static_cast<int>(d.degree), {}, {}, {}, (d.flags & 1) != 0, tangent(d.tangentStartX, d.tangentStartY),
                tangent(d.tangentEndX, d.tangentEndY)});
  }
  void addKnot(const DL_KnotData& d) override {
    if (auto* s = Last<SplineR>()) s->knots.push_back(d.k);
  }
  void addControlPoint(const DL_ControlPointData& d) override {
    if (auto* s = Last<SplineR>()) s->poles.push_back(d);
  }
  void addFitPoint(const DL_FitPointData& d) override {
    if (auto* s = Last<SplineR>()) s->fits.push_back(d);
  }
  void addText(const DL_TextData& d) override { Put(TextR{d}); }
  // The attributes of a block copy on a frozen layer are hidden with it,
  // whatever layers they stand on: they take its layer.
  void addAttribute(const DL_AttributeData& d) override {
    Put(TextR{d});
    if (frozenInsert_) current_->back().attributes.layer = *frozenInsert_;
  }
  void addMTextChunk(const std::string& text) override { chunks_ += text; }
  void addMText(const DL_MTextData& d) override {
    DL_MTextData data = d;
    data.text = chunks_ + d.text;
    chunks_.clear();
    Put(MTextR{data});
  }
  void addInsert(const DL_InsertData& d) override {
    Put(d);
    const std::string& layer = getAttributes().getLayer();
    frozenInsert_.reset();
    if (frozen_.count(layer)) frozenInsert_ = names.Id(layer);
  }

 private:
  template <class T>
  void Put(T item) {
    Attributes a{names.Id(getAttributes().getLayer()), names.Id(getAttributes().getLinetype()), false};
    if (const DL_Extrusion* e = getExtrusion()) {
      const double* n = e->getDirection();
      a.flipped = n[2] < 0;
      if (std::abs(n[0]) > 1e-9 || std::abs(n[1]) > 1e-9) {
        plans.push_back(PlanOf(n, e->getElevation()));
        a.plan = static_cast<std::uint32_t>(plans.size());
      }
    }
    current_->push_back({MakeItem(std::move(item)), a});
  }
  template <class T>
  T* Last() {
    auto* item = current_->empty() ? nullptr : std::get_if<std::unique_ptr<T>>(&current_->back().item);
    return item ? item->get() : nullptr;
  }

  std::vector<Record>* current_ = &model;
  std::set<std::string, NoCase> frozen_;          // the layers frozen
  std::optional<std::uint32_t> frozenInsert_;    // the layer of the last insert, when frozen
  std::vector<double> dashes_;
  std::string chunks_;
};

// ---- placing what was read ----

// x' = a x + b y + tx, y' = c x + d y + ty
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  geom::Point Apply(geom::Point p) const { return {a * p.x + b * p.y + tx, c * p.x + d * p.y + ty}; }
  Affine Then(const Affine& n) const {
    return {n.a * a + n.b * c, n.a * b + n.b * d, n.c * a + n.d * c, n.c * b + n.d * d, n.a * tx + n.b * ty + n.tx,
            n.c * tx + n.d * ty + n.ty};
  }
  double Det() const { return a * d - b * c; }
  // The same map as a similarity transform, when it is one.
  std::optional<geom::Transform> Similarity() const {
    const double s1 = std::hypot(a, c), s2 = std::hypot(b, d);
    if (s1 <= 0 || std::abs(s1 - s2) > 1e-9 * s1 || std::abs(a * b + c * d) > 1e-9 * s1 * s1) return std::nullopt;
    geom::Transform t;
    if (Det() < 0) t = geom::Transform::mirror({0, 0}, {1, 0});
    return t.then(geom::Transform::scale({0, 0}, s1))
        .then(geom::Transform::turn({0, 0}, std::atan2(c, a) / kRadians))
        .then(geom::Transform::move(tx, ty));
  }
  double HeightFactor() const { return std::sqrt(std::abs(Det())); }
};

Affine Scaling(double s) { return {s, 0, 0, s, 0, 0}; }

// Whether the edge from a to b of bulge `bulge`, placed by m, stands off its
// chord by more than the drawing's point tolerance; CAD round-off leaves
// bulges of 1e-12 and less on straight edges, which would be arcs of
// astronomic radius.
bool Bends(geom::Point a, geom::Point b, double bulge, const Affine& m) {
  if (bulge == 0 || !std::isfinite(bulge)) return false;
  // From the chord's middle to the arc's: the chord's normal times its half length times the bulge.
  const geom::Point sag{-(b.y - a.y) * bulge / 2, (b.x - a.x) * bulge / 2};
  return std::hypot(m.a * sag.x + m.b * sag.y, m.c * sag.x + m.d * sag.y) > kPointTolerance;
}

// A circular arc as a rational quadratic B-spline of pieces of at most a
// quarter turn: `at(t)` its point a turn t on from its start, `tangent(t)`
// its unit tangent there (ccw), `radius` its radius.
template <class At, class Tangent>
geom::Nurbs QuarterPieces(double sweep, double radius, At at, Tangent tangent) {
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (geom::kPi / 2) - 1e-9)));
  const double step = sweep / pieces;
  geom::Nurbs n;
  n.degree = 2;
  n.knots = {0, 0, 0};
  for (int i = 0; i < pieces; ++i) {
    if (i == 0) {
      n.poles.push_back(at(0.0));
      n.weights.push_back(1);
    }
    // The corner of the piece's tangents, from its start.
    n.poles.push_back(at(i * step) + tangent(i * step) * (radius * std::tan(step / 2)));
    n.weights.push_back(std::cos(step / 2));
    n.poles.push_back(at((i + 1) * step));
    n.weights.push_back(1);
    if (i + 1 < pieces) n.knots.insert(n.knots.end(), 2, i + 1.0);
  }
  n.knots.insert(n.knots.end(), 3, static_cast<double>(pieces));
  return n;
}

geom::Nurbs ArcAsNurbs(geom::Point centre, double radius, double start, double sweep) {
  return QuarterPieces(
      sweep, radius, [&](double t) { return centre + geom::unitAt(start + t) * radius; },
      [&](double t) { return geom::unitAt(start + t + geom::kPi / 2); });
}

// Bulges below this make arcs of radii over 2,500 chords, whose points a
// centre and radius no longer give to the drawing's tolerance.
constexpr double kFlatBulge = 1e-4;

// The polyline edge from a to b of bulge `bulge` as such a B-spline, its
// points taken from the chord: the edges of round-off bulges are arcs of
// radii of 1e11 and more, whose centres cannot give their points.
geom::Nurbs BulgeAsNurbs(geom::Point a, geom::Point b, double bulge) {
  const double sweep = 4 * std::atan(bulge);
  const double chord = geom::distance(a, b);
  const double radius = chord / (2 * std::sin(sweep / 2));  // signed as the sweep
  // The tangent at a, the chord's direction turned back by half the sweep, and its left normal.
  const geom::Point d = (b - a) / chord;
  const double c = std::cos(sweep / 2), s = std::sin(sweep / 2);
  const geom::Point t0{d.x * c + d.y * s, -d.x * s + d.y * c}, n0{-t0.y, t0.x};
  // `radius` and turns of one sign: ahead along the tangent, to the side the arc bends.
  const auto at = [&](double t) {
    const double half = std::sin(t / 2);
    return a + t0 * (radius * std::sin(t)) + n0 * (2 * radius * half * half);
  };
  return QuarterPieces(sweep, radius, at, [&](double t) { return t0 * std::cos(t) + n0 * std::sin(t); });
}

// A curve under an affine map: exact for every kind (circles, arcs and
// ellipses become rational splines when the map is not a similarity).
geom::Curve Mapped(const geom::Curve& curve, const Affine& m) {
  if (auto similar = m.Similarity()) return geom::transformed(curve, *similar);
  auto nurbs = [&](geom::Nurbs n) -> geom::Curve {
    for (auto& p : n.poles) p = m.Apply(p);
    return n;
  };
  if (const auto* s = std::get_if<geom::Segment>(&curve)) return geom::Segment{m.Apply(s->start), m.Apply(s->end)};
  if (const auto* p = std::get_if<geom::Polyline>(&curve)) {
    geom::Polyline out = *p;
    for (auto& q : out.points) q = m.Apply(q);
    return out;
  }
  if (const auto* n = std::get_if<geom::Nurbs>(&curve)) return nurbs(*n);
  if (const auto* c = std::get_if<geom::Circle>(&curve)) return nurbs(ArcAsNurbs(c->centre, c->radius, 0, 2 * geom::kPi));
  if (const auto* a = std::get_if<geom::Arc>(&curve)) return nurbs(ArcAsNurbs(a->centre, a->radius, a->startAngle, a->sweep()));
  // An ellipse is the unit circle under its own affine map.
  auto ellipse = [&](const geom::Ellipse& e, double start, double sweep) {
    const geom::Point u = geom::unitAt(e.rotation);
    const Affine own{u.x * e.radiusA, -u.y * e.radiusB, u.y * e.radiusA, u.x * e.radiusB, e.centre.x, e.centre.y};
    geom::Nurbs n = ArcAsNurbs({0, 0}, 1, start, sweep);
    for (auto& p : n.poles) p = own.Then(m).Apply(p);
    return geom::Curve(n);
  };
  if (const auto* e = std::get_if<geom::Ellipse>(&curve)) return ellipse(*e, 0, 2 * geom::kPi);
  if (const auto* e = std::get_if<geom::EllipticArc>(&curve)) {
    double sweep = e->endParam - e->startParam;
    if (e->ccw && sweep <= 0) sweep += 2 * geom::kPi;
    if (!e->ccw && sweep >= 0) sweep -= 2 * geom::kPi;
    return ellipse(e->ellipse, e->startParam, sweep);
  }
  return curve;
}

// Every number of the curve is finite.
bool Finite(double v) { return std::isfinite(v); }
bool Finite(geom::Point p) { return geom::isFinite(p); }
template <class T>
bool Finite(const std::vector<T>& values) {
  return std::all_of(values.begin(), values.end(), [](const T& v) { return Finite(v); });
}
bool Finite(const geom::Curve& curve) {
  return std::visit(
      [](const auto& c) {
        using C = std::decay_t<decltype(c)>;
        if constexpr (std::is_same_v<C, geom::Segment>) return Finite(c.start) && Finite(c.end);
        else if constexpr (std::is_same_v<C, geom::Arc>) return Finite(c.centre) && Finite(c.radius) && Finite(c.startAngle) && Finite(c.endAngle);
        else if constexpr (std::is_same_v<C, geom::Circle>) return Finite(c.centre) && Finite(c.radius);
        else if constexpr (std::is_same_v<C, geom::Ellipse>) return Finite(c.centre) && Finite(c.radiusA) && Finite(c.radiusB) && Finite(c.rotation);
        else if constexpr (std::is_same_v<C, geom::EllipticArc>)
          return Finite(c.ellipse.centre) && Finite(c.ellipse.radiusA) && Finite(c.ellipse.radiusB) &&
                 Finite(c.ellipse.rotation) && Finite(c.startParam) && Finite(c.endParam);
        else if constexpr (std::is_same_v<C, geom::Nurbs>) return Finite(c.poles) && Finite(c.weights) && Finite(c.knots);
        else if constexpr (std::is_same_v<C, geom::Bezier>) return Finite(c.poles);
        else if constexpr (std::is_same_v<C, geom::Conic>) return Finite(c.start) && Finite(c.apex) && Finite(c.end) && Finite(c.weight);
        else return Finite(c.points);
      },
      curve);
}

// The DXF kind of what was read, and the point that tells where it stands
// (in its own coordinates: `world` when they are the world's, not the OCS).
struct Anchor {
  const char* type;
  geom::Point point;
  bool world = false;
};
Anchor AnchorOf(const DL_LineData& d) { return {"LINE", {d.x1, d.y1}, true}; }
Anchor AnchorOf(const DL_ArcData& d) { return {"ARC", {d.cx, d.cy}}; }
Anchor AnchorOf(const DL_CircleData& d) { return {"CIRCLE", {d.cx, d.cy}}; }
Anchor AnchorOf(const DL_EllipseData& d) { return {"ELLIPSE", {d.cx, d.cy}, true}; }
Anchor AnchorOf(const PolylineR& d) {
  return {"LWPOLYLINE", d.vertices.empty() ? geom::Point{NAN, NAN} : geom::Point{d.vertices[0].x, d.vertices[0].y}};
}
Anchor AnchorOf(const SplineR& d) {
  if (!d.poles.empty()) return {"SPLINE", {d.poles[0].x, d.poles[0].y}, true};
  return {"SPLINE", d.fits.empty() ? geom::Point{NAN, NAN} : geom::Point{d.fits[0].x, d.fits[0].y}, true};
}
Anchor AnchorOf(const TextR& d) { return {"TEXT", {d.data.ipx, d.data.ipy}}; }
Anchor AnchorOf(const MTextR& d) { return {"MTEXT", {d.data.ipx, d.data.ipy}}; }
Anchor AnchorOf(const DL_InsertData& d) { return {"INSERT", {d.ipx, d.ipy}}; }
template <class T>
Anchor AnchorOf(const std::unique_ptr<T>& d) {
  return AnchorOf(*d);
}

// The colour of an indexed DXF colour (the first nine; others as grey).
int ColourOf(const LayerR& layer) {
  if (layer.color24 >= 0)
    return ((layer.color24 >> 16) & 0xFF) | (layer.color24 & 0xFF00) | ((layer.color24 & 0xFF) << 16);
  static const int rgb[] = {0, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF, 0, 0x808080, 0xC0C0C0};
  return layer.color >= 0 && layer.color <= 9 ? rgb[layer.color] : 0x808080;
}

struct Built {
  Ref<Shape> shape;
  std::uint32_t layer, linetype;  // names of the reader's
};

class Builder {
 public:
  Builder(Reader& reader, const Prepared& prepared) : reader_(reader), prepared_(prepared) {
    utf8_ = prepared.version >= "AC1021";
    for (const auto& [name, layer] : reader.layers) layers_[name] = layer;
  }

  std::vector<Built> shapes;
  Leftovers skipped;

  void Run() {
    const Affine units = Scaling(MillimetresIn(prepared_.units));
    std::vector<std::string> path;
    const std::uint32_t layer = reader_.names.Id("0"), linetype = reader_.names.Id("CONTINUOUS");
    for (const Record& r : reader_.model) Place(r, units, layer, linetype, path);
  }

  std::wstring Text(const std::string& bytes) const { return DecodeText(bytes, prepared_.codePage, utf8_); }
  // What the texts read as cp1251 against the file's code page say: "тексты …
  // — n («…», …)"; empty when there were none.
  std::wstring Recoded() const {
    if (recoded_.empty()) return {};
    std::wstring text = L"тексты с русскими буквами прочитаны в кодировке windows-1251, а не в указанной в файле " +
                        Wide(prepared_.codePage) + L" — " + std::to_wstring(recodedCount_) + L" (";
    for (std::size_t i = 0; i < recoded_.size(); ++i) text += (i ? L", «" : L"«") + recoded_[i] + L"»";
    if (recodedCount_ > recoded_.size()) text += L" и ещё " + std::to_wstring(recodedCount_ - recoded_.size());
    return text + L")";
  }
  // What the texts read as UTF-8 against the file's code page say: "тексты
  // прочитаны в кодировке UTF-8 … — n («…», …)"; empty when there were none.
  std::wstring ReadAsUtf8() const {
    if (utf8Texts_.empty()) return {};
    std::wstring text = L"тексты прочитаны в кодировке UTF-8, а не в указанной в файле " + Wide(prepared_.codePage) +
                        L" — " + std::to_wstring(utf8Count_) + L" (";
    for (std::size_t i = 0; i < utf8Texts_.size(); ++i) text += (i ? L", «" : L"«") + utf8Texts_[i] + L"»";
    if (utf8Count_ > utf8Texts_.size()) text += L" и ещё " + std::to_wstring(utf8Count_ - utf8Texts_.size());
    return text + L")";
  }
  // What the texts of an R2007+ file read in its code page say, UTF-8
  // failing them; empty when there were none.
  std::wstring ReadInCodePage() const {
    if (codePageTexts_.empty()) return {};
    const bool named = !prepared_.codePage.empty() && !SameName(prepared_.codePage.substr(0, 3), "UTF");
    std::wstring text = L"тексты, байты которых не UTF-8, прочитаны в кодировке " +
                        Wide(named ? prepared_.codePage : std::string(kWrittenCodePage)) + L" — " +
                        std::to_wstring(codePageCount_) + L" (";
    for (std::size_t i = 0; i < codePageTexts_.size(); ++i) text += (i ? L", «" : L"«") + codePageTexts_[i] + L"»";
    if (codePageCount_ > codePageTexts_.size()) text += L" и ещё " + std::to_wstring(codePageCount_ - codePageTexts_.size());
    return text + L")";
  }
  const std::map<std::string, LayerR, NoCase>& Layers() const { return layers_; }

 private:
  // `blockLayer`, `blockLinetype`: what objects of a block on layer 0 or BYBLOCK take.
  // Counts one block copy or object of a block; false once the file's share is spent.
  bool Visit() {
    if (visits_ >= kMaxVisits) {
      ++refused_;
      return false;
    }
    ++visits_;
    return true;
  }

  // The objects of the model space are placed whatever their blocks cost.
  void Place(const Record& r, const Affine& m, std::uint32_t blockLayer, std::uint32_t blockLinetype,
             std::vector<std::string>& path) {
    if (!path.empty() && !Visit()) return;
    const std::string& own = reader_.names.Name(r.attributes.layer);
    const std::uint32_t layer = own.empty() || (own == "0" && !path.empty()) ? blockLayer : r.attributes.layer;
    const PlanMap* plan = r.attributes.plan ? &reader_.plans[r.attributes.plan - 1] : nullptr;
    const Affine local = plan ? Affine{plan->a, plan->b, plan->c, plan->d, plan->tx, plan->ty}.Then(m)
                         : r.attributes.flipped ? Affine{-1, 0, 0, 1, 0, 0}.Then(m)
                                                : m;
    const Anchor anchor = std::visit([](const auto& item) { return AnchorOf(item); }, r.item);
    const Here here{anchor.type, (anchor.world ? m : local).Apply(anchor.point), &reader_.names.Name(layer),
                    path.empty() ? nullptr : &path.back()};
    const Here* const outer = here_;
    here_ = &here;
    std::uint32_t linetype = 0;
    if (!Admit(r, layer, blockLinetype, linetype)) {
      here_ = outer;
      return;
    }
    // Objects given in their own coordinate system (arcs, circles, polylines,
    // texts, inserts) run mirrored in x when their normal is -Z; lines,
    // ellipses and splines are given in world coordinates.
    flipped_ = r.attributes.flipped;
    const std::size_t refused = refused_;
    // A block copy on a frozen layer is not drawn, whatever layers its
    // objects stand on: they take its layer, and are hidden with it.
    const std::uint32_t drawnOn = frozenCopy_ ? *frozenCopy_ : layer;
    const std::optional<std::uint32_t> outerFrozen = frozenCopy_;
    if (!frozenCopy_ && std::holds_alternative<std::unique_ptr<DL_InsertData>>(r.item)) {
      const auto found = layers_.find(reader_.names.Name(layer));
      if (found != layers_.end() && found->second.frozen) frozenCopy_ = layer;
    }
    std::visit([&](const auto& item) { From(item, m, local, drawnOn, linetype, path); }, r.item);
    frozenCopy_ = outerFrozen;
    here_ = &here;
    if (path.empty() && refused_ > refused) Drop(kTooManyVisits);
    here_ = outer;
  }

  // Whether `r`, on `layer`, stays within what one file may expand to; the
  // linetype it is drawn in.
  bool Admit(const Record& r, std::uint32_t layer, std::uint32_t blockLinetype, std::uint32_t& linetype) {
    if (shapes.size() >= kMaxObjects) {
      Drop(kTooManyObjects);
      return false;
    }
    linetype = r.attributes.linetype;
    const Linetype& kind = LinetypeOf(linetype);
    if (kind.byLayer) linetype = LinetypeOf(layer).ofLayer;
    else if (kind.byBlock) linetype = blockLinetype;
    if (!std::holds_alternative<std::unique_ptr<DL_InsertData>>(r.item)) {  // a copy's objects count themselves
      // Each layer and linetype drawn on makes a layer or a line style of
      // the document; one whose definition a cap left out is not known to
      // be shown, nor solid.
      if (!Drawn(layersDrawn_, layersCount_, layer) || prepared_.cappedLayers.count(NoCaseHash()(reader_.names.Name(layer)))) {
        Drop(kOnTooManyLayers);
        return false;
      }
      if (!Drawn(linetypesDrawn_, linetypesCount_, linetype) ||
          prepared_.cappedLinetypes.count(NoCaseHash()(reader_.names.Name(linetype)))) {
        Drop(kOfTooManyLinetypes);
        return false;
      }
      const std::size_t text = TextBytes(r.item);
      if (text_ + text > kMaxTextBytes) {
        Drop(kTooMuchText);
        return false;
      }
      const std::size_t pieces = Pieces(r.item);
      if (pieces_ + pieces > kMaxPieces) {
        Drop(kTooManyPieces);
        return false;
      }
      const std::size_t splinePoints = std::holds_alternative<std::unique_ptr<SplineR>>(r.item) ? pieces : 0;
      if (splinePoints_ + splinePoints > kMaxSplinePoints) {
        Drop(kTooManySplinePoints);
        return false;
      }
      const std::size_t ellipses = std::holds_alternative<std::unique_ptr<DL_EllipseData>>(r.item) ? 1 : 0;
      if (ellipses_ + ellipses > kMaxEllipses) {
        Drop(kTooManyEllipses);
        return false;
      }
      text_ += text;
      pieces_ += pieces;
      splinePoints_ += splinePoints;
      ellipses_ += ellipses;
    }
    return true;
  }

  // Whether `name` may be drawn on (as a layer, or a linetype): once it is,
  // and while fewer than kMaxLayers are.
  static bool Drawn(std::vector<bool>& drawn, std::size_t& count, std::uint32_t name) {
    if (name >= drawn.size()) drawn.resize(name + 1, false);
    if (drawn[name]) return true;
    if (count >= kMaxLayers) return false;
    drawn[name] = true;
    ++count;
    return true;
  }

  // The pieces an object makes (at least one; a polyline one a vertex and two
  // one whose edge is an arc, a spline one a point, a text one a line), and
  // the bytes of its text.
  static std::size_t Pieces(const Item& item) {
    if (const auto* p = std::get_if<std::unique_ptr<PolylineR>>(&item)) {
      const auto& v = (*p)->vertices;
      return std::max<std::size_t>(1, v.size()) +
             static_cast<std::size_t>(std::count_if(v.begin(), v.end(), [](const DL_VertexData& d) { return d.bulge != 0; }));
    }
    if (const auto* s = std::get_if<std::unique_ptr<SplineR>>(&item))
      return std::max<std::size_t>(1, (*s)->poles.size() + (*s)->fits.size());
    if (const auto* m = std::get_if<std::unique_ptr<MTextR>>(&item)) {
      const std::string& text = (*m)->data.text;
      std::size_t lines = 1;
      for (std::size_t at = text.find('\\'); at != std::string::npos && at + 1 < text.size(); at = text.find('\\', at + 1))
        lines += text[at + 1] == 'P' || text[at + 1] == 'N' || text[at + 1] == 'X';
      return lines;
    }
    return 1;
  }
  static std::size_t TextBytes(const Item& item) {
    if (const auto* t = std::get_if<std::unique_ptr<TextR>>(&item)) return (*t)->data.text.size();
    if (const auto* m = std::get_if<std::unique_ptr<MTextR>>(&item)) return (*m)->data.text.size();
    return 0;
  }

  // What a name means as a linetype, and as a layer the linetype the layer draws with.
  struct Linetype {
    bool known = false, byLayer = false, byBlock = false;
    std::uint32_t ofLayer = 0;
  };
  const Linetype& LinetypeOf(std::uint32_t name) {
    if (name >= linetypes_.size()) linetypes_.resize(name + 1);
    Linetype& l = linetypes_[name];
    if (l.known) return l;
    std::string upper;
    for (char ch : reader_.names.Name(name)) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    auto layer = layers_.find(reader_.names.Name(name));
    const std::uint32_t ofLayer = reader_.names.Id(layer == layers_.end() ? "CONTINUOUS" : layer->second.linetype);
    l = {true, upper.empty() || upper == "BYLAYER", upper == "BYBLOCK", ofLayer};
    return l;
  }

  void Add(geom::Curve curve, const Affine& m, std::uint32_t layer, std::uint32_t linetype, int kind) {
    geom::Curve mapped = Mapped(curve, m);
    if (!Finite(mapped)) return Drop(kOverflow);
    // A curve the kernel cannot follow (a circle of radius 1e-300, an ellipse
    // flattened to a line) draws nothing; lines and polylines of one point
    // stay, as exports repeat vertices so.
    if (geom::isDegenerate(mapped) && !std::holds_alternative<geom::Segment>(mapped) &&
        !std::holds_alternative<geom::Polyline>(mapped)) {
      if (kind == vlapi::vlDrArc || kind == vlapi::vlDrCircle) return Drop(kNoRadius);
      if (kind == vlapi::vlDrEllipse || kind == vlapi::vlDrEllipseArc) return Drop(kBadEllipse);
      return Drop("сплайны через совпадающие точки");
    }
    Ref<Shape> shape;
    if (const auto* s = std::get_if<geom::Segment>(&mapped)) {
      Ref<LineSegment> line = Make<LineSegment>();
      line->seg = *s;
      shape = line;
    } else if (const auto* c = std::get_if<geom::Circle>(&mapped)) {
      Ref<CircleShape> circle = Make<CircleShape>();
      circle->circle = *c;
      shape = circle;
    } else if (const auto* a = std::get_if<geom::Arc>(&mapped)) {
      Ref<ArcShape> arc = Make<ArcShape>();
      arc->SetFrom(*a);
      shape = arc;
    } else if (const auto* p = std::get_if<geom::Polyline>(&mapped)) {
      Ref<PolyLineShape> poly = Make<PolyLineShape>();
      poly->line = *p;
      shape = poly;
    } else if (const auto* n = std::get_if<geom::Nurbs>(&mapped)) {
      Ref<NurbsShape> nurbs = Make<NurbsShape>();
      nurbs->nurbs = *n;
      nurbs->closed = geom::isClosed(mapped);
      shape = nurbs;
    } else {
      shape = Make<FreeCurve>(kind, mapped);
    }
    Put(shape, layer, linetype);
  }

  void Put(const Ref<Shape>& shape, std::uint32_t layer, std::uint32_t linetype) {
    shapes.push_back({shape, layer, linetype});
  }

  template <class I, class L, class T, class P>
  void From(const std::unique_ptr<I>& d, const Affine& m, const Affine& local, L& layer, T& linetype, P& path) {
    From(*d, m, local, layer, linetype, path);
  }
  template <class L, class T, class P>
  void From(const DL_LineData& d, const Affine& m, const Affine&, L& layer, T& linetype, P&) {
    Add(geom::Segment{{d.x1, d.y1}, {d.x2, d.y2}}, m, layer, linetype, vlapi::vlDrLineSeg);
  }
  template <class L, class T, class P>
  void From(const DL_ArcData& d, const Affine&, const Affine& local, L& layer, T& linetype, P&) {
    if (d.radius <= 0) return Drop(kNoRadius);
    // Angles a whole turn apart within rounding (0..360, a..a+360, equal
    // angles) draw a full circle: as an arc its ends would stand a rounding
    // apart, and read as an arc of no sweep or of a full turn by chance.
    if (std::abs(std::remainder(d.angle2 - d.angle1, 360.0)) < kFullTurnRounding)
      return Add(geom::Circle{{d.cx, d.cy}, d.radius}, local, layer, linetype, vlapi::vlDrCircle);
    Add(geom::Arc{{d.cx, d.cy}, d.radius, d.angle1 * kRadians, d.angle2 * kRadians, true}, local, layer, linetype,
        vlapi::vlDrArc);
  }
  template <class L, class T, class P>
  void From(const DL_CircleData& d, const Affine&, const Affine& local, L& layer, T& linetype, P&) {
    if (d.radius <= 0) return Drop(kNoRadius);
    Add(geom::Circle{{d.cx, d.cy}, d.radius}, local, layer, linetype, vlapi::vlDrCircle);
  }
  template <class L, class T, class P>
  void From(const DL_EllipseData& d, const Affine& m, const Affine&, L& layer, T& linetype, P&) {
    const double major = std::hypot(d.mx, d.my);
    if (major <= 0 || d.ratio <= 0 || d.ratio > 1 + 1e-9) return Drop(kBadEllipse);
    // A -Z normal turns an ellipse's parameters round.
    const bool flipped = flipped_;
    const geom::Ellipse e{{d.cx, d.cy}, major, major * d.ratio, std::atan2(d.my, d.mx)};
    double start = d.angle1, end = d.angle2;
    const bool full = std::abs(std::remainder(end - start, 2 * geom::kPi)) < 1e-9 && std::abs(end - start) > 1e-9;
    if (full) return Add(flipped ? geom::Curve(geom::EllipticArc{e, 0, -2 * geom::kPi, false}) : geom::Curve(e), m,
                         layer, linetype, vlapi::vlDrEllipse);
    if (end <= start) end += 2 * geom::kPi;
    const geom::EllipticArc arc = flipped ? geom::EllipticArc{e, -start, -end, false} : geom::EllipticArc{e, start, end, true};
    Add(arc, m, layer, linetype, vlapi::vlDrEllipseArc);
  }
  template <class L, class T, class P>
  void From(const PolylineR& d, const Affine&, const Affine& local, L& layer, T& linetype, P&) {
    if (d.vertices.size() < 2) return Drop(kFewPoints);
    const std::size_t n = d.vertices.size();
    bool bulged = false;  // an edge bends: bulges of round-off leave it straight
    for (std::size_t i = 0; i < (d.closed ? n : n - 1) && !bulged; ++i) {
      const DL_VertexData &v = d.vertices[i], &w = d.vertices[(i + 1) % n];
      bulged = Bends({v.x, v.y}, {w.x, w.y}, v.bulge, local);
    }
    if (!bulged) {
      geom::Polyline p;
      for (const auto& v : d.vertices) p.points.push_back({v.x, v.y});
      p.closed = d.closed;
      return Add(p, local, layer, linetype, vlapi::vlDrPolyLine);
    }
    // Bulges make arcs: the polyline becomes one contour of lines and arcs.
    Ref<ContourShape> contour = Make<ContourShape>();
    for (std::size_t i = 0; i < (d.closed ? n : n - 1); ++i) {
      const geom::Point a{d.vertices[i].x, d.vertices[i].y};
      const geom::Point b{d.vertices[(i + 1) % n].x, d.vertices[(i + 1) % n].y};
      if (geom::near(a, b, 0)) continue;
      const double bulge = d.vertices[i].bulge;
      geom::Curve piece = geom::Segment{a, b};
      if (!Bends(a, b, bulge, local)) {
      } else if (!local.Similarity() || std::abs(bulge) < kFlatBulge) {
        piece = BulgeAsNurbs(a, b, bulge);  // mapped exactly by its poles
      } else {
        const double sweep = 4 * std::atan(bulge);
        const double chord = geom::distance(a, b);
        const double radius = chord / (2 * std::abs(std::sin(sweep / 2)));
        const geom::Point mid = geom::lerp(a, b, 0.5);
        const geom::Point dir = (b - a) / chord;
        const geom::Point normal{-dir.y, dir.x};
        const double h = radius * std::cos(sweep / 2);  // signed distance from the chord's middle to the centre
        const geom::Point centre = mid + normal * (sweep > 0 ? h : -h);
        piece = geom::Arc::fromEnds(centre, a, b, sweep > 0);
      }
      contour->pieces.push_back(Mapped(piece, local));
      if (!Finite(contour->pieces.back())) return Drop(kOverflow);
    }
    if (contour->pieces.empty()) return Drop(kFewPoints);
    Put(contour, layer, linetype);
  }
  template <class L, class T, class P>
  void From(const SplineR& d, const Affine& m, const Affine&, L& layer, T& linetype, P&) {
    if (d.poles.empty() && d.fits.size() >= 2) {
      std::vector<geom::Point> through;
      for (const auto& f : d.fits) through.push_back({f.x, f.y});
      return Add(geom::cubicThroughFitPoints(through, d.startTangent, d.endTangent, d.closed), m, layer, linetype,
                 vlapi::vlDrNurbs);
    }
    geom::Nurbs n;
    n.degree = d.degree;
    n.knots = d.knots;
    bool weighted = false;
    for (const auto& p : d.poles) {
      n.poles.push_back({p.x, p.y});
      n.weights.push_back(p.w);
      weighted = weighted || p.w != 1.0;
      if (!(p.w > 0)) return Drop("сплайны с весами не больше нуля");
    }
    if (!weighted) n.weights.clear();
    const std::size_t p = static_cast<std::size_t>(n.degree), count = n.poles.size();
    if (count <= p || n.knots.size() != count + p + 1 || !std::is_sorted(n.knots.begin(), n.knots.end()) ||
        !(n.knots[p] < n.knots[count]))
      return Drop(kBadKnots);
    // A knot inside the curve repeated more than `degree` times ends one
    // curve at a control point and starts another at the next one used: the
    // curve breaks there unless the two points are one.
    for (std::size_t k = p + 1; k < count;) {
      std::size_t run = 1;
      while (k + run < n.knots.size() && n.knots[k + run] == n.knots[k]) ++run;
      if (run > p && n.knots[k] > n.knots[p] && n.knots[k] < n.knots[count] &&
          geom::distance(m.Apply(n.poles[k - 1]), m.Apply(n.poles[k + run - p - 1])) > kPointTolerance)
        return Drop("сплайны, разорванные на кратном узле");
      k += run;
    }
    Add(n, m, layer, linetype, vlapi::vlDrNurbs);
  }
  template <class L, class T, class P>
  void From(const TextR& d, const Affine&, const Affine& local, L& layer, T& linetype, P&) {
    const std::wstring text = Content(d.data.text, ExpandSpecials);
    // Aligned by its second point (the insertion point when the file leaves it out).
    const bool aligned = (d.data.hJustification != 0 || d.data.vJustification != 0) && std::isfinite(d.data.apx) &&
                         std::isfinite(d.data.apy);
    geom::Point at = aligned && d.data.hJustification != 3 && d.data.hJustification != 5
                         ? geom::Point{d.data.apx, d.data.apy} : geom::Point{d.data.ipx, d.data.ipy};
    const double h = d.data.height;
    const double w = 0.7 * h * (d.data.xScaleFactor > 0 ? d.data.xScaleFactor : 1) * static_cast<double>(text.size());
    // The aligned point moved to the start of the base line, along and across the line.
    geom::Point shift;
    if (d.data.hJustification == 1 || d.data.hJustification == 4) shift.x -= w / 2;
    if (d.data.hJustification == 2) shift.x -= w;
    if (d.data.vJustification == 2 || d.data.hJustification == 4) shift.y -= h / 2;
    if (d.data.vJustification == 3) shift.y -= h;
    const double angle = std::isfinite(d.data.angle) ? d.data.angle : 0.0;
    at = at + geom::Point{shift.x * std::cos(angle) - shift.y * std::sin(angle), shift.x * std::sin(angle) + shift.y * std::cos(angle)};
    AddText(text, at, h, d.data.xScaleFactor, local, layer, linetype, angle);
  }
  template <class L, class T, class P>
  void From(const MTextR& d, const Affine&, const Affine& local, L& layer, T& linetype, P&) {
    const std::wstring text = Content(d.data.text, PlainMText);
    const double h = d.data.height;
    std::size_t lines = 1, longest = 0, current = 0;
    for (wchar_t c : text) {
      if (c == L'\n') {
        ++lines;
        current = 0;
      } else {
        longest = std::max(longest, ++current);
      }
    }
    const double width = 0.7 * h * static_cast<double>(longest);
    const double height = h * (1 + 1.6 * static_cast<double>(lines - 1));
    const int attach = d.data.attachmentPoint >= 1 && d.data.attachmentPoint <= 9 ? d.data.attachmentPoint : 1;
    // Its direction: the x axis it gives, or else its angle.
    const bool axis = std::isfinite(d.data.dirx) && std::isfinite(d.data.diry) && (d.data.dirx != 0 || d.data.diry != 0);
    const double angle = axis ? std::atan2(d.data.diry, d.data.dirx) : std::isfinite(d.data.angle) ? d.data.angle : 0.0;
    const geom::Point shift{-width * (((attach - 1) % 3) / 2.0), -(h - height * (((attach - 1) / 3) / 2.0))};
    const geom::Point at{d.data.ipx + shift.x * std::cos(angle) - shift.y * std::sin(angle),
                         d.data.ipy + shift.x * std::sin(angle) + shift.y * std::cos(angle)};
    AddText(text, at, h, 1.0, local, layer, linetype, angle);
  }
  template <class L, class T, class P>
  void From(const DL_InsertData& d, const Affine&, const Affine& local, L& layer, T& linetype, P& path) {
    auto block = reader_.blocks.find(d.name);
    if (prepared_.duplicateBlocks.count(d.name)) return Drop("вставки блоков, определённых в файле дважды");
    if (block == reader_.blocks.end()) return Drop("вставки блоков, которых нет в файле");
    if (prepared_.externalBlocks.count(d.name)) return Drop("вставки внешних ссылок (их файлы не читаются)");
    if (std::any_of(path.begin(), path.end(), [&](const std::string& b) { return SameName(b, d.name); }))
      return Drop("вставки блоков, которые вставляют сами себя");
    if (path.size() >= kMaxBlockDepth) return Drop(kTooDeep);
    const double sx = d.sx == 0 ? 1 : d.sx, sy = d.sy == 0 ? 1 : d.sy;
    const int cols = std::max(1, d.cols), rows = std::max(1, d.rows);
    // An array of arrays is stopped as early as one array, before any copy
    // is made: by the objects its copies make, as many as the same objects
    // drawn one by one may be, and by the copies and objects it visits.
    path.push_back(d.name);
    const Expansion own = ExpansionOf(block->second, path);
    path.pop_back();
    const double copies = static_cast<double>(cols) * rows;
    if (static_cast<double>(shapes.size()) + copies * own.objects > kMaxObjects) return Drop(kTooManyCopied);
    if (static_cast<double>(visits_) + copies * (1 + own.visits) > kMaxVisits) return Drop(kTooManyVisits);
    const double angle = d.angle * kRadians;
    path.push_back(d.name);
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols && Visit(); ++c) {
        // Block coordinates: less the base point, scaled, shifted within the array, turned, placed.
        const Affine inBlock{sx, 0, 0, sy, -block->second.base.x * sx + c * d.colSp, -block->second.base.y * sy + r * d.rowSp};
        const Affine turn{std::cos(angle), -std::sin(angle), std::sin(angle), std::cos(angle), d.ipx, d.ipy};
        const Affine m = inBlock.Then(turn).Then(local);
        LeftInCopy(d.name, m);
        for (const Record& member : block->second.records) Place(member, m, layer, linetype, path);
      }
    }
    path.pop_back();
  }

  // `angle`: the direction of its lines in the file's frame, radians.
  void AddText(const std::wstring& text, geom::Point at, double height, double widthFactor, const Affine& m,
               std::uint32_t layer, std::uint32_t linetype, double angle = 0.0) {
    const double h = height * m.HeightFactor();
    if (!(h > 0)) return Drop("тексты без высоты");
    const geom::Point anchor = m.Apply(at);
    if (!std::isfinite(h) || !Finite(anchor)) return Drop(kOverflow);
    Ref<DrawingText> shape = Make<DrawingText>();
    shape->anchor = anchor;
    const geom::Point along{m.a * std::cos(angle) + m.b * std::sin(angle), m.c * std::cos(angle) + m.d * std::sin(angle)};
    if (along.x != 0 || along.y != 0) shape->angle = std::atan2(along.y, along.x) * 180 / geom::kPi;
    shape->model.Assign(text, h);
    if (widthFactor > 0 && std::isfinite(widthFactor))
      for (auto& line : shape->model.lines)
        for (auto& item : line.items) item.widthFactor = widthFactor;
    Put(shape, layer, linetype);
  }

  // A text's content as `plain` makes it; one read as cp1251 against the
  // file's code page is kept for Recoded, on one line.
  std::wstring Content(const std::string& bytes, std::wstring (*plain)(const std::wstring&)) {
    bool asCp1251 = false, asUtf8 = false, asCodePage = false;
    const std::wstring text = plain(DecodeText(bytes, prepared_.codePage, utf8_, &asCp1251, &asUtf8, &asCodePage));
    const auto keep = [&](std::vector<std::wstring>& shown, std::size_t& count) {
      if (++count > kRecodedNamed) return;
      shown.push_back(text.substr(0, kRecodedLength));
      std::replace(shown.back().begin(), shown.back().end(), L'\n', L' ');
    };
    if (asCp1251) keep(recoded_, recodedCount_);
    if (asUtf8) keep(utf8Texts_, utf8Count_);
    if (asCodePage) keep(codePageTexts_, codePageCount_);
    return text;
  }

  // What one copy of a block makes: the objects placed (those of its
  // blocks' copies too, as far as they would be made: not in a block
  // inserting itself, nor deeper than kMaxBlockDepth), and the copies and
  // objects visited.
  struct Expansion {
    double objects = 0, visits = 0;
  };
  // The expansion of a copy of `block` (placed inside the blocks of `path`),
  // counted up to a little past the caps: each object looked at adds a visit
  // at least, so the count takes no longer than the copies it stops short of
  // making.
  Expansion ExpansionOf(const Block& block, std::vector<std::string>& path) {
    Expansion out;
    for (const Record& member : block.records) {
      ++out.visits;
      const auto* insert = std::get_if<std::unique_ptr<DL_InsertData>>(&member.item);
      if (!insert) {
        ++out.objects;
        continue;
      }
      const std::string& name = (*insert)->name;
      const auto inner = reader_.blocks.find(name);
      if (path.size() >= kMaxBlockDepth || inner == reader_.blocks.end() || prepared_.duplicateBlocks.count(name) ||
          std::any_of(path.begin(), path.end(), [&](const std::string& b) { return SameName(b, name); }))
        continue;
      path.push_back(name);
      const Expansion copy = ExpansionOf(inner->second, path);
      path.pop_back();
      const double copies = static_cast<double>(std::max(1, (*insert)->cols)) * std::max(1, (*insert)->rows);
      out.objects += copies * copy.objects;
      out.visits += copies * (1 + copy.visits);
      if (out.objects > kMaxObjects || out.visits > kMaxVisits) break;
    }
    return out;
  }

  // Names what the first reading left out of `block` where the copy placed
  // by `m` puts it.
  void LeftInCopy(const std::string& block, const Affine& m) {
    const auto found = prepared_.inBlocks.find(block);
    if (found == prepared_.inBlocks.end()) return;
    for (const auto& [why, left] : found->second) {
      // Once enough are named, a copy's are only counted: an array may make millions.
      std::size_t named = 0;
      for (; named < left.named.size() && skipped.Names(why); ++named) {
        const BlockLeftovers::Named& one = left.named[named];
        const geom::Point at = m.Apply({one.x, one.y});
        skipped.Add(why, dxf::Place(one.type, one.layer, Utf8(Text(block)), at.x, at.y));
      }
      skipped.Add(why, {}, left.count - named);
    }
  }

  // Leaves out the object being placed, named by where it stands.
  void Drop(const std::string& why) {
    if (!here_ || !skipped.Names(why)) return skipped.Add(why, {});
    skipped.Add(why, dxf::Place(here_->type, Utf8(Text(*here_->layer)), here_->block ? Utf8(Text(*here_->block)) : "",
                                here_->at.x, here_->at.y));
  }

  Reader& reader_;
  const Prepared& prepared_;
  std::vector<Linetype> linetypes_;  // by name, as met
  std::map<std::string, LayerR, NoCase> layers_;
  bool utf8_ = false;
  static constexpr std::size_t kRecodedNamed = 3, kRecodedLength = 60;
  std::vector<std::wstring> recoded_;  // the first texts read as cp1251 against the file's code page
  std::size_t recodedCount_ = 0;
  std::vector<std::wstring> utf8Texts_;  // the first texts read as UTF-8 against the file's code page
  std::size_t utf8Count_ = 0;
  std::vector<std::wstring> codePageTexts_;  // the first texts of an R2007+ file read in its code page
  std::size_t codePageCount_ = 0;
  bool flipped_ = false;  // of the object being placed
  // Where the object being placed stands: its kind, point, layer and block.
  struct Here {
    const char* type;
    geom::Point at;
    const std::string* layer;
    const std::string* block;
  };
  const Here* here_ = nullptr;
  std::optional<std::uint32_t> frozenCopy_;  // the frozen layer of the block copy being placed
  std::size_t visits_ = 0;
  std::size_t refused_ = 0;  // visits refused once kMaxVisits were made
  std::size_t pieces_ = 0, splinePoints_ = 0, ellipses_ = 0, text_ = 0;  // placed
  std::vector<bool> layersDrawn_, linetypesDrawn_;  // by name
  std::size_t layersCount_ = 0, linetypesCount_ = 0;
};

// The host's main line, in which the outlines of parts are drawn and cut.
constexpr int kMainLineStyle = 1;

// Whether `linetype` names one of the host's system styles drawn without
// dashes (its thin or thick line), which its own DXF files bring back.
bool HostSolidStyle(const std::wstring& linetype) {
  const std::vector<LineStyle>& styles = SystemLineStyles();
  return std::any_of(styles.begin(), styles.end(), [&](const LineStyle& s) {
    return s.pattern.empty() && s.linetype.size() == linetype.size() &&
           std::equal(s.linetype.begin(), s.linetype.end(), linetype.begin(), [](wchar_t a, wchar_t b) {
             return std::towupper(static_cast<wint_t>(a)) == std::towupper(static_cast<wint_t>(b));
           });
  });
}

// Puts what was built into `view` of `doc`: layers by name, line styles by linetype.
void Commit(Builder& built, const Reader& reader, Document2D& doc, View& view) {
  // The view's layers by name (the first of a name, as the view finds it) and
  // the next free number, looked up once: a file may bring many thousands.
  std::map<std::wstring, int> viewLayers;
  int next = 0;
  for (const auto& l : view.LayerList()) {
    viewLayers.emplace(l->Name(), l->Number());
    next = std::max(next, l->Number() + 1);
  }
  std::map<std::string, int, NoCase> layerNumbers;
  auto layerOf = [&](const std::string& name) {
    auto it = layerNumbers.find(name);
    if (it != layerNumbers.end()) return it->second;
    const std::wstring wide = name.empty() ? L"0" : built.Text(name);
    int number = 0;
    // The file's layer 0 frozen or off: its objects stand on a hidden layer
    // of that name, and the document's own layer 0 keeps its state.
    const auto file0 = built.Layers().find("0");
    const bool hidden0 = name == "0" && file0 != built.Layers().end() && !file0->second.visible;
    if (hidden0) {
      number = next++;
      Ref<Layer> layer = view.AddLayer(number, wide);
      layer->color = ColourOf(file0->second);
      layer->visible = false;
    } else if (name != "0") {
      if (auto existing = viewLayers.find(wide); existing != viewLayers.end()) {
        number = existing->second;
      } else {
        number = next++;
        viewLayers.emplace(wide, number);
        Ref<Layer> layer = view.AddLayer(number, wide);
        auto found = built.Layers().find(name);
        if (found != built.Layers().end()) {
          layer->color = ColourOf(found->second);
          layer->visible = found->second.visible;
        }
      }
    }
    layerNumbers[name] = number;
    return number;
  };
  std::map<std::string, int> styles;
  auto styleOf = [&](const std::string& linetype) {
    auto it = styles.find(linetype);
    if (it != styles.end()) return it->second;
    const auto pattern = reader.linetypes.find(linetype);
    const std::wstring name = built.Text(linetype);
    // A linetype the file defines without gaps draws a solid line whatever
    // its name ("SOLID", "Сплошная", "DASHED" left with no dash elements): the
    // main line, save the host's own solid styles it writes by their names.
    const bool solid = pattern != reader.linetypes.end() &&
                       std::none_of(pattern->second.begin(), pattern->second.end(), [](double d) { return d < 0; });
    const int number = solid && !HostSolidStyle(name)
                           ? kMainLineStyle
                           : doc.LineStyles().ForLinetype(name, pattern == reader.linetypes.end() ? std::vector<double>{}
                                                                                                  : pattern->second);
    return styles[linetype] = number;
  };
  // Layer and style by name, each looked up once.
  std::vector<int> layerById, styleById;
  auto byId = [](std::vector<int>& cache, std::uint32_t id, auto find) {
    if (id >= cache.size()) cache.resize(id + 1, -1);
    if (cache[id] < 0) cache[id] = find();
    return cache[id];
  };
  for (const Built& b : built.shapes) {
    b.shape->layer = byId(layerById, b.layer, [&] { return layerOf(reader.names.Name(b.layer)); });
    b.shape->style = byId(styleById, b.linetype, [&] { return styleOf(reader.names.Name(b.linetype)); });
    b.shape->Register(&doc);
    view.Adopt(b.shape);
    doc.Drawn(b.shape);
  }
}

class ImportConverter : public Converter {
 public:
  using Converter::Converter;

 protected:
  std::wstring Caption() const override { return L"Импорт DXF"; }
  std::wstring Subject(const std::wstring& in, const std::wstring&) const override { return in.empty() ? L"Импорт DXF" : in; }

  bool Run(const std::wstring& in, const std::wstring& out, std::vector<std::wstring>& problems) override {
    std::string bytes;
    if (!ReadFile(in, bytes, problems)) return false;
    std::string error;
    Survey survey;
    if (!survey.Check(bytes, error)) {
      problems.push_back(Wide(error));
      return false;
    }
    Reader reader;
    std::optional<Prepared> prepared;
    {
      PreparedText text(bytes, survey);
      std::istream stream(&text);
      DL_Dxf dxf;
      if (!dxf.in(stream, &reader)) {
        problems.push_back(L"файл не читается как DXF");
        return false;
      }
      prepared = text.Result();
    }
    survey = Survey();
    std::string().swap(bytes);
    Builder built(reader, *prepared);
    built.Run();
    Leftovers skipped = prepared->skipped;
    skipped.Add(built.skipped);
    // What its caps left out apart: a part read from the drawing would lack it.
    if (!skipped.Empty(true)) problems.push_back(kBeyondCapsLeftOut + Wide(skipped.Text(true)));
    if (!skipped.Empty(false)) problems.push_back(kLeftOut + Wide(skipped.Text(false)));
    if (const std::wstring recoded = built.Recoded(); !recoded.empty()) problems.push_back(recoded);
    if (const std::wstring utf8 = built.ReadAsUtf8(); !utf8.empty()) problems.push_back(utf8);
    if (const std::wstring own = built.ReadInCodePage(); !own.empty()) problems.push_back(own);
    if (built.shapes.empty() && !skipped.Empty()) {
      problems.push_back(L"ничего не импортировано");
      return false;
    }
    return out.empty() ? IntoActive(built, reader, problems) : IntoFragment(built, reader, out, problems);
  }

 private:
  bool ReadFile(const std::wstring& in, std::string& bytes, std::vector<std::wstring>& problems) {
    std::error_code ec;
    const std::filesystem::path path = PathOf(in);
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    if (in.empty() || ec || !file) {
      problems.push_back(L"файл не открывается");
      return false;
    }
    if (size > kMaxFileBytes) {
      problems.push_back(L"файл больше 256 МБ");
      return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    if (!file.read(bytes.data(), static_cast<std::streamsize>(size))) {
      problems.push_back(L"файл не читается");
      return false;
    }
    return true;
  }

  bool IntoActive(Builder& built, const Reader& reader, std::vector<std::wstring>& problems) {
    auto* doc = dynamic_cast<Document2D*>(App().Active().get());
    View* view = doc ? doc->CurrentView() : nullptr;
    if (!view) {
      problems.push_back(L"нет активного 2D-документа, в который импортировать");
      return false;
    }
    Commit(built, reader, *doc, *view);
    return true;
  }

  bool IntoFragment(Builder& built, const Reader& reader, const std::wstring& out, std::vector<std::wstring>& problems) {
    Ref<Document2D> doc = App().NewDocument2D(vlapi::vlDocumentFragment, false);
    Commit(built, reader, *doc, *doc->ViewByNumber(0));
    SafeFile file(PathOf(out));
    const bool saved = !file.Temporary().empty() && SaveDocument2D(*doc, WideOf(file.Temporary())) && file.Commit();
    doc->SetPath(saved ? out : std::wstring());
    doc->Close(0);
    if (!saved)
      problems.push_back(NameTooLong(PathOf(out)) ? L"фрагмент не записан: имя файла длиннее, чем допускает файловая система"
                                                   : L"фрагмент не записан");
    return saved;
  }
};

}  // namespace
}  // namespace vlhost::dxf

VLHOST_DXF_CONVERTER(vlhost::dxf::ImportConverter)
