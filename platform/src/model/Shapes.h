#pragma once
// The drawing objects that are curves, and the fills bounded by curves.
#include <vector>

#include "model/ShapeApi.h"

namespace vlhost {

template <class T>
Ref<Shape> CloneAs(const T& source, Document2D* doc, CloneMap& map) {
  Ref<T> copy(new T(source));
  map[&source] = copy.get();
  if (doc) copy->Register(doc);
  return copy;
}

#define VLHOST_SHAPE(T, drType, apiType)                                            \
  int Type() const override { return drType; }                                     \
  int ApiType() const override { return apiType; }                                 \
  Ref<Shape> Clone(Document2D* doc, CloneMap& map) const override { return CloneAs<T>(*this, doc, map); }

// A shape drawn by one curve of the curve kernel.
template <class Leaf, class... Extra>
class CurveShape : public ShapeApi<Leaf, Extra...> {
 public:
  std::vector<geom::Curve> Curves() const override {
    geom::Curve curve = Geometry();
    if (geom::isDegenerate(curve)) return {};
    return {curve};
  }
  bool HasCurve() const override { return true; }
  virtual geom::Curve Geometry() const = 0;
};

// Ellipses, elliptic arcs, Bézier curves, NURBS (also through points) and
// conic curves: made in code or read from files; the library reads them as curves.
class FreeCurve : public CurveShape<vlapi::IDrawingObject> {
 public:
  FreeCurve(int type, geom::Curve curve) : type_(type), curve_(std::move(curve)) {}
  int Type() const override { return type_; }
  int ApiType() const override;
  Ref<Shape> Clone(Document2D* doc, CloneMap& map) const override { return CloneAs<FreeCurve>(*this, doc, map); }
  geom::Curve Geometry() const override { return curve_; }
  void Apply(const geom::Transform& t) override { curve_ = geom::transformed(curve_, t); }
  const geom::Curve& Raw() const { return curve_; }

 private:
  int type_;
  geom::Curve curve_;
};

class LineSegment : public CurveShape<vlapi::ILineSegment> {
 public:
  VLHOST_SHAPE(LineSegment, vlapi::vlDrLineSeg, vlapi::vlObjectLineSegment)
  geom::Segment seg;
  geom::Curve Geometry() const override { return seg; }
  void Apply(const geom::Transform& t) override { seg = {t.apply(seg.start), t.apply(seg.end)}; }
  double GetX1() override { return seg.start.x; }
  double GetY1() override { return seg.start.y; }
  double GetX2() override { return seg.end.x; }
  double GetY2() override { return seg.end.y; }
  void SetX1(double v) override { seg.start.x = v; }
  void SetY1(double v) override { seg.start.y = v; }
  void SetX2(double v) override { seg.end.x = v; }
  void SetY2(double v) override { seg.end.y = v; }
};

class CircleShape : public CurveShape<vlapi::ICircle> {
 public:
  VLHOST_SHAPE(CircleShape, vlapi::vlDrCircle, vlapi::vlObjectCircle)
  geom::Circle circle;
  geom::Curve Geometry() const override { return circle; }
  void Apply(const geom::Transform& t) override;
  double GetXc() override { return circle.centre.x; }
  double GetYc() override { return circle.centre.y; }
  double GetRadius() override { return circle.radius; }
  void SetXc(double v) override { circle.centre.x = v; }
  void SetYc(double v) override { circle.centre.y = v; }
  void SetRadius(double v) override { circle.radius = v; }
};

// An arc kept as the host keeps it: centre, two ends, radius and direction.
// Ends on one ray from the centre make a full circle.
class ArcShape : public CurveShape<vlapi::IArc> {
 public:
  VLHOST_SHAPE(ArcShape, vlapi::vlDrArc, vlapi::vlObjectArc)
  geom::Point centre, p1, p2;
  double radius = 0;
  bool ccw = true;
  geom::Curve Geometry() const override;
  void Apply(const geom::Transform& t) override;
  double GetXc() override { return centre.x; }
  double GetYc() override { return centre.y; }
  double GetX1() override { return p1.x; }
  double GetY1() override { return p1.y; }
  double GetX2() override { return p2.x; }
  double GetY2() override { return p2.y; }
  double GetRadius() override { return radius; }
  bool GetDirection() override { return ccw; }
  void SetXc(double v) override { centre.x = v; }
  void SetYc(double v) override { centre.y = v; }
  void SetX1(double v) override { p1.x = v; }
  void SetY1(double v) override { p1.y = v; }
  void SetX2(double v) override { p2.x = v; }
  void SetY2(double v) override { p2.y = v; }
  void SetRadius(double v) override { radius = v; }
  void SetDirection(bool v) override { ccw = v; }
  bool SetBy3Points(double x1, double y1, double x2, double y2, double x3, double y3) override;
  void SetFrom(const geom::Arc& arc);
};

class RectangleShape : public CurveShape<vlapi::IRectangle> {
 public:
  VLHOST_SHAPE(RectangleShape, vlapi::vlDrRectangle, vlapi::vlObjectRectangle)
  geom::Point corner;
  double width = 0, height = 0, angle = 0;  // angle in degrees
  std::vector<geom::Point> Corners() const;
  geom::Curve Geometry() const override { return geom::Polyline{Corners(), true}; }
  void Apply(const geom::Transform& t) override;
  double GetX() override { return corner.x; }
  double GetY() override { return corner.y; }
  double GetWidth() override { return width; }
  double GetHeight() override { return height; }
  double GetAngle() override { return angle; }
  void SetX(double v) override { corner.x = v; }
  void SetY(double v) override { corner.y = v; }
  void SetWidth(double v) override { width = v; }
  void SetHeight(double v) override { height = v; }
  void SetAngle(double v) override { angle = v; }
};

class PolyLineShape : public CurveShape<vlapi::IPolyLine2D> {
 public:
  VLHOST_SHAPE(PolyLineShape, vlapi::vlDrPolyLine, vlapi::vlObjectPolyLine)
  geom::Polyline line;
  geom::Curve Geometry() const override { return line; }
  void Apply(const geom::Transform& t) override { for (auto& p : line.points) p = t.apply(p); }
  std::vector<double> GetPoints() override;
  void SetPoints(const std::vector<double>& xy) override;
  int GetClosed() override { return line.closed ? 1 : 0; }
  void SetClosed(int closed) override { line.closed = closed != 0; }
};

class NurbsShape : public CurveShape<vlapi::INurbs> {
 public:
  VLHOST_SHAPE(NurbsShape, vlapi::vlDrNurbs, vlapi::vlObjectNurbs)
  geom::Nurbs nurbs;
  bool closed = false;
  geom::Curve Geometry() const override { return nurbs; }
  void Apply(const geom::Transform& t) override { for (auto& p : nurbs.poles) p = t.apply(p); }
  bool SetNurbs(const std::vector<double>& points, const std::vector<double>& weights,
                const std::vector<double>& knots, int degree, bool closed) override;
  std::vector<double> GetPoints() override;
  std::vector<double> GetWeights() override { return nurbs.weights; }
  std::vector<double> GetKnots() override { return nurbs.knots; }
  int GetDegree() override { return nurbs.degree; }
  bool GetClosed() override { return closed; }
};

// A chain of curves copied from other objects.
class ContourShape : public ShapeApi<vlapi::IDrawingContour, vlapi::IContour> {
 public:
  VLHOST_SHAPE(ContourShape, vlapi::vlDrContour, vlapi::vlObjectDrawingContour)
  std::vector<geom::Curve> pieces;
  std::vector<geom::Curve> Curves() const override { return pieces; }
  bool HasCurve() const override { return !pieces.empty(); }
  void Apply(const geom::Transform& t) override { for (auto& c : pieces) c = geom::transformed(c, t); }
  bool CopyCurves(const vlapi::APIObjectList& objects, int mode) override;
  int GetSegmentsCount() override { return static_cast<int>(pieces.size()); }
  // The curves in chain order, each run along the chain.
  void SetChain(const std::vector<geom::Curve>& curves);
};

// An equidistant of a closed base curve, rebuilt from the base when read.
class EquidistantShape : public ShapeApi<vlapi::IEquidistant> {
 public:
  VLHOST_SHAPE(EquidistantShape, vlapi::vlDrEquidistant, vlapi::vlObjectEquidistant)
  Ref<Shape> base;
  bool side = true, arc = false;
  int kind = vlapi::vlETLeft;
  double radius1 = 0, radius2 = 0;
  double sag = 0.01;
  std::vector<geom::Curve> Curves() const override;
  bool HasCurve() const override { return true; }
  void Apply(const geom::Transform& t) override;
  void Remap(const CloneMap& map) override;
  // A base that is this equidistant or is drawn from it is refused.
  void SetBaseObject(vlapi::IDrawingObject* object) override;
  vlapi::IDrawingObjectPtr GetBaseObject() override;
  void SetSide(bool v) override { side = v; }
  void SetArc(bool v) override { arc = v; }
  void SetEquidistantType(int v) override { kind = v; }
  void SetRadius1(double v) override { radius1 = v; }
  void SetRadius2(double v) override { radius2 = v; }
  double GetRadius1() override { return radius1; }
  // Keeps the curves as they are, without a base.
  void Freeze(std::vector<geom::Curve> curves) { frozen_ = std::move(curves); isFrozen_ = true; }

 private:
  std::vector<geom::Curve> frozen_;  // the shape once its base is gone or it was moved
  bool isFrozen_ = false;
};

// What hatches and colourings share: boundaries made of other shapes.
struct Boundaries {
  std::vector<Ref<Shape>> shapes;
  int mode = 0;
  void Remap(const CloneMap& map);
  // The closed rings of the boundaries, chord points within `sag`.
  std::vector<std::vector<geom::Point>> Rings(double sag) const;
};

class HatchShape : public ShapeApi<vlapi::IHatch, vlapi::IBoundariesObject> {
 public:
  VLHOST_SHAPE(HatchShape, vlapi::vlDrHatch, vlapi::vlObjectHatch)
  Boundaries boundaries;
  double angle = 45, step = 3;
  bool Graphic() const override { return false; }
  geom::Box Box() const override;
  void Apply(const geom::Transform& t) override;
  void Remap(const CloneMap& map) override { boundaries.Remap(map); }
  double GetAngle() override { return angle; }
  double GetStep() override { return step; }
  bool SetBoundaries(const vlapi::DrawingObjectList& list, int mode) override;
  vlapi::DrawingObjectList GetBoundaries() override;
};

class ColouringShape : public ShapeApi<vlapi::IColouring, vlapi::IBoundariesObject> {
 public:
  VLHOST_SHAPE(ColouringShape, vlapi::vlDrColouring, vlapi::vlObjectColouring)
  Boundaries boundaries;
  int color = 0xC0C0C0;
  int transparency = 0;
  bool Graphic() const override { return false; }
  geom::Box Box() const override;
  void Apply(const geom::Transform&) override {}
  void Remap(const CloneMap& map) override { boundaries.Remap(map); }
  int GetColor() override { return color; }
  void SetColor(int v) override { color = v; }
  int GetTransparency() override { return transparency; }
  void SetTransparency(int v) override { transparency = v; }
  bool SetBoundaries(const vlapi::DrawingObjectList& list, int mode) override;
  vlapi::DrawingObjectList GetBoundaries() override;
};

// A new shape of DrawingObjectTypeEnum `type` with default settings, or null
// for a type that cannot be made by a collection.
Ref<Shape> MakeShape(int type);

// The shapes a shape is drawn from: an equidistant's base, the boundaries of
// a hatch or a colouring.
std::vector<const Shape*> DrawnFrom(const Shape& shape);
inline constexpr int kMaxLinkDepth = 64;
enum class LinkCheck { Sound, Cycle, TooDeep };
// Whether following those links from `from` reaches `to` (a cycle when `to`
// is drawn from `from`), or runs deeper than kMaxLinkDepth.
LinkCheck FollowLinks(const Shape& from, const Shape& to);

// Bounds the recursion of drawing a shape through its links (a guard per level).
class LinkDepth {
 public:
  LinkDepth() : ok_(++depth_ <= kMaxLinkDepth) {}
  ~LinkDepth() { --depth_; }
  LinkDepth(const LinkDepth&) = delete;
  LinkDepth& operator=(const LinkDepth&) = delete;
  bool Ok() const { return ok_; }

 private:
  static thread_local int depth_;
  bool ok_;
};

}  // namespace vlhost
