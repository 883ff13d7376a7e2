#include "model/Shapes.h"

#include <algorithm>
#include <cmath>

#include "geom/Contour.h"
#include "geom/Offset.h"
#include "model/Macro.h"
#include "model/Table.h"
#include "model/Text.h"

namespace vlhost {
namespace {

double Radians(double degrees) { return degrees * geom::kPi / 180.0; }
double Degrees(double radians) { return radians * 180.0 / geom::kPi; }

std::vector<Ref<Shape>> ShapesOf(const vlapi::DrawingObjectList& list) {
  std::vector<Ref<Shape>> shapes;
  for (const auto& object : list)
    if (Shape* s = ShapeOf(object.get())) shapes.emplace_back(s);
  return shapes;
}

vlapi::DrawingObjectList ObjectsOf(const std::vector<Ref<Shape>>& shapes) {
  vlapi::DrawingObjectList list;
  for (const auto& s : shapes)
    if (s->Alive()) list.emplace_back(s->Identity());
  return list;
}

}  // namespace

int FreeCurve::ApiType() const {
  switch (type_) {
    case vlapi::vlDrEllipse: return vlapi::vlObjectEllipse;
    case vlapi::vlDrEllipseArc: return vlapi::vlObjectEllipseArc;
    case vlapi::vlDrBezier: return vlapi::vlObjectBezier;
    case vlapi::vlDrNurbsByPoints: return vlapi::vlObjectNurbsByPoints;
    case vlapi::vlDrConicCurve: return vlapi::vlObjectConicCurve;
    default: return vlapi::vlObjectNurbs;
  }
}

void CircleShape::Apply(const geom::Transform& t) {
  circle.centre = t.apply(circle.centre);
  circle.radius *= t.lengthFactor();
}

// The ends give the arc's angles about the centre. Ends that coincide there
// close the arc: it is the whole circle, run from that angle in its direction.
geom::Curve ArcShape::Geometry() const {
  const double a1 = std::atan2(p1.y - centre.y, p1.x - centre.x);
  const double a2 = std::atan2(p2.y - centre.y, p2.x - centre.x);
  geom::Arc arc{centre, radius, a1, a2, ccw};
  if (arc.sweep() == 0) arc.endAngle = a1 + (ccw ? 2 : -2) * geom::kPi;
  return arc;
}

void ArcShape::Apply(const geom::Transform& t) {
  centre = t.apply(centre);
  p1 = t.apply(p1);
  p2 = t.apply(p2);
  radius *= t.lengthFactor();
  if (t.mirrors()) ccw = !ccw;
}

bool ArcShape::SetBy3Points(double x1, double y1, double x2, double y2, double x3, double y3) {
  // The arc runs from the first end through the third point to the second end.
  const auto arc = geom::Arc::through({x1, y1}, {x3, y3}, {x2, y2});
  if (!arc) return false;
  SetFrom(*arc);
  return true;
}

void ArcShape::SetFrom(const geom::Arc& arc) {
  centre = arc.centre;
  radius = arc.radius;
  ccw = arc.ccw;
  p1 = arc.centre + geom::unitAt(arc.startAngle) * arc.radius;
  p2 = arc.centre + geom::unitAt(arc.endAngle) * arc.radius;
}

std::vector<geom::Point> RectangleShape::Corners() const {
  const geom::Point u = geom::unitAt(Radians(angle));
  const geom::Point v{-u.y, u.x};
  return {corner, corner + u * width, corner + u * width + v * height, corner + v * height};
}

void RectangleShape::Apply(const geom::Transform& t) {
  const geom::Point u = geom::unitAt(Radians(angle));
  const geom::Point v{-u.y, u.x};
  // A mirrored rectangle keeps counter-clockwise corners: it starts at the image of the far side.
  const geom::Point start = t.mirrors() ? corner + v * height : corner;
  const geom::Point du = t.applyToVector(u);
  corner = t.apply(start);
  angle = Degrees(std::atan2(du.y, du.x));
  width *= t.lengthFactor();
  height *= t.lengthFactor();
}

std::vector<double> PolyLineShape::GetPoints() {
  std::vector<double> xy;
  for (const auto& p : line.points) {
    xy.push_back(p.x);
    xy.push_back(p.y);
  }
  return xy;
}

void PolyLineShape::SetPoints(const std::vector<double>& xy) {
  line.points.clear();
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) line.points.push_back({xy[i], xy[i + 1]});
}

bool NurbsShape::SetNurbs(const std::vector<double>& points, const std::vector<double>& weights,
                          const std::vector<double>& knots, int degree, bool isClosed) {
  if (points.size() % 2 != 0 || degree < 1) return false;
  geom::Nurbs n;
  for (std::size_t i = 0; i + 1 < points.size(); i += 2) n.poles.push_back({points[i], points[i + 1]});
  if (!weights.empty() && weights.size() != n.poles.size()) return false;
  if (knots.size() != n.poles.size() + static_cast<std::size_t>(degree) + 1) return false;
  n.weights = weights;
  n.knots = knots;
  n.degree = degree;
  nurbs = std::move(n);
  closed = isClosed;
  return true;
}

std::vector<double> NurbsShape::GetPoints() {
  std::vector<double> xy;
  for (const auto& p : nurbs.poles) {
    xy.push_back(p.x);
    xy.push_back(p.y);
  }
  return xy;
}

bool ContourShape::CopyCurves(const vlapi::APIObjectList& objects, int) {
  std::vector<geom::Curve> curves;
  for (const auto& object : objects) {
    if (Shape* s = ShapeOf(object.get())) {
      for (const geom::Curve& c : s->Curves()) curves.push_back(c);
    }
  }
  SetChain(curves);
  return !pieces.empty();
}

void ContourShape::SetChain(const std::vector<geom::Curve>& curves) {
  pieces.clear();
  for (const geom::Contour& contour : geom::chainContours(curves)) {
    for (const geom::ContourEdge& edge : contour.edges) pieces.push_back(edge.curve);
  }
}

thread_local int LinkDepth::depth_ = 0;

// Chosen by the shape's type rather than by casts: links are followed for
// every boundary of every fill made, and each cast that fails is costly.
std::vector<const Shape*> DrawnFrom(const Shape& shape) {
  std::vector<const Shape*> out;
  const Boundaries* boundaries = nullptr;
  switch (shape.Type()) {
    case vlapi::vlDrEquidistant:
      if (const auto& base = static_cast<const EquidistantShape&>(shape).base) out.push_back(base.get());
      return out;
    case vlapi::vlDrHatch: boundaries = &static_cast<const HatchShape&>(shape).boundaries; break;
    case vlapi::vlDrColouring: boundaries = &static_cast<const ColouringShape&>(shape).boundaries; break;
    default: return out;
  }
  for (const auto& b : boundaries->shapes) out.push_back(b.get());
  return out;
}

namespace {
LinkCheck Follow(const Shape& from, const Shape& to, int depth) {
  if (depth > kMaxLinkDepth) return LinkCheck::TooDeep;
  for (const Shape* next : DrawnFrom(from)) {
    if (!next) continue;
    if (next == &to) return LinkCheck::Cycle;
    const LinkCheck found = Follow(*next, to, depth + 1);
    if (found != LinkCheck::Sound) return found;
  }
  return LinkCheck::Sound;
}
}  // namespace

LinkCheck FollowLinks(const Shape& from, const Shape& to) { return Follow(from, to, 0); }

// Whether `self` may be drawn from `from`: not when that closes a circle or
// makes a chain that a reader would refuse as too deep.
static bool MayDrawFrom(const Shape& self, const Shape& from) {
  return &from != &self && Follow(from, self, 1) == LinkCheck::Sound;
}

std::vector<geom::Curve> EquidistantShape::Curves() const {
  if (isFrozen_) return frozen_;
  LinkDepth depth;
  if (!depth.Ok()) return {};
  if (!base || !base->Alive() || radius1 <= 0) return {};
  const std::vector<geom::Curve> baseCurves = base->Curves();
  std::vector<geom::Contour> contours = geom::chainContours(baseCurves);
  if (contours.size() != 1 || !geom::isClosed(contours[0])) return {};
  // The left side of a counter-clockwise ring is its inside.
  const bool inside = side == geom::isCounterClockwise(contours[0]);
  const double distance = inside ? -radius1 : radius1;
  const auto corners = arc ? geom::Corners::Round : geom::Corners::Sharp;
  std::vector<geom::Curve> out;
  for (const geom::Ring& ring : geom::offsetContours(contours, distance, corners, sag))
    out.push_back(geom::Polyline{ring, true});
  return out;
}

void EquidistantShape::Apply(const geom::Transform& t) {
  std::vector<geom::Curve> now = Curves();
  for (auto& c : now) c = geom::transformed(c, t);
  frozen_ = std::move(now);
  isFrozen_ = true;
}

void EquidistantShape::Remap(const CloneMap& map) {
  auto it = map.find(base.get());
  if (it != map.end()) base = Ref<Shape>(it->second);
}

void EquidistantShape::SetBaseObject(vlapi::IDrawingObject* object) {
  Shape* wanted = ShapeOf(object);
  if (wanted && !MayDrawFrom(*this, *wanted)) return;
  base = Ref<Shape>(wanted);
  isFrozen_ = false;
}

vlapi::IDrawingObjectPtr EquidistantShape::GetBaseObject() {
  if (!base || !base->Alive()) return {};
  return vlapi::IDrawingObjectPtr(base->Identity());
}

void Boundaries::Remap(const CloneMap& map) {
  for (Ref<Shape>& s : shapes) {
    auto it = map.find(s.get());
    if (it != map.end()) s = Ref<Shape>(it->second);
  }
}

std::vector<std::vector<geom::Point>> Boundaries::Rings(double sag) const {
  LinkDepth depth;
  if (!depth.Ok()) return {};
  std::vector<geom::Curve> curves;
  for (const auto& s : shapes)
    if (s && s->Alive())
      for (const geom::Curve& c : s->Curves()) curves.push_back(c);
  std::vector<std::vector<geom::Point>> rings;
  for (const geom::Contour& contour : geom::chainContours(curves))
    if (geom::isClosed(contour)) rings.push_back(geom::ringPoints(contour, sag));
  return rings;
}

namespace {
geom::Box RingsBox(const Boundaries& b) {
  LinkDepth depth;
  geom::Box box;
  if (!depth.Ok()) return box;
  for (const auto& s : b.shapes)
    if (s && s->Alive()) box.add(s->Box());
  return box;
}
}  // namespace

geom::Box HatchShape::Box() const { return RingsBox(boundaries); }
void HatchShape::Apply(const geom::Transform&) {}
// Boundaries that are the fill itself or are drawn from it are refused.
static bool Refused(const Shape& fill, const std::vector<Ref<Shape>>& shapes) {
  return std::any_of(shapes.begin(), shapes.end(),
                     [&](const Ref<Shape>& s) { return !MayDrawFrom(fill, *s); });
}

bool HatchShape::SetBoundaries(const vlapi::DrawingObjectList& list, int mode) {
  std::vector<Ref<Shape>> shapes = ShapesOf(list);
  if (Refused(*this, shapes)) return false;
  boundaries.shapes = std::move(shapes);
  boundaries.mode = mode;
  return true;
}
vlapi::DrawingObjectList HatchShape::GetBoundaries() { return ObjectsOf(boundaries.shapes); }

geom::Box ColouringShape::Box() const { return RingsBox(boundaries); }
bool ColouringShape::SetBoundaries(const vlapi::DrawingObjectList& list, int mode) {
  std::vector<Ref<Shape>> shapes = ShapesOf(list);
  if (Refused(*this, shapes)) return false;
  boundaries.shapes = std::move(shapes);
  boundaries.mode = mode;
  return true;
}
vlapi::DrawingObjectList ColouringShape::GetBoundaries() { return ObjectsOf(boundaries.shapes); }

Ref<Shape> MakeShape(int type) {
  switch (type) {
    case vlapi::vlDrLineSeg: return Make<LineSegment>();
    case vlapi::vlDrCircle: return Make<CircleShape>();
    case vlapi::vlDrArc: return Make<ArcShape>();
    case vlapi::vlDrDrawText: return Make<DrawingText>();
    case vlapi::vlDrPolyLine: return Make<PolyLineShape>();
    case vlapi::vlDrRectangle: return Make<RectangleShape>();
    case vlapi::vlDrNurbs: return Make<NurbsShape>();
    case vlapi::vlDrContour: return Make<ContourShape>();
    case vlapi::vlDrEquidistant: return Make<EquidistantShape>();
    case vlapi::vlDrHatch: return Make<HatchShape>();
    case vlapi::vlDrColouring: return Make<ColouringShape>();
    case vlapi::vlDrTable: return Make<DrawingTable>();
    case vlapi::vlDrMacro: return Make<MacroObject>();
    default: return {};
  }
}

}  // namespace vlhost
