// Plane and space curves: points, NURBS forms, projections, boxes, coincidence.
#include <algorithm>

#include "Internal.h"
#include "geom/detail/Kernel.h"

namespace geom = vlhost::geom;

namespace kernel {

double Wrap(double angle) {
  angle = std::remainder(angle, Math::PI2);
  return angle <= -M_PI ? angle + Math::PI2 : angle;
}

bool OnRun(double angle, double from, double sweep, double eps) {
  double along = std::fmod(angle - from, Math::PI2);
  if (along < 0) along += Math::PI2;
  return along <= sweep + eps || along >= Math::PI2 - eps;
}

geom::Point GeomOf(const MbCartPoint& p) { return {p.x, p.y}; }

geom::Curve GeomOf(const MbCurve& curve) {
  if (auto* line = dynamic_cast<const MbLineSegment*>(&curve))
    return geom::Segment{GeomOf(line->GetPoint1()), GeomOf(line->GetPoint2())};
  if (auto* arc = dynamic_cast<const MbArc*>(&curve)) {
    const double start = arc->GetStartAngle(), sweep = arc->GetSweep();
    return geom::Arc{GeomOf(arc->GetCentre()), arc->GetRadius(), start, start + sweep, sweep >= 0};
  }
  const auto& nurbs = dynamic_cast<const MbNurbs&>(curve);
  geom::Nurbs n;
  for (const MbCartPoint& p : nurbs.GetPoints()) n.poles.push_back(GeomOf(p));
  n.weights = nurbs.GetWeights();
  n.knots = nurbs.GetKnots();
  n.degree = nurbs.GetDegree();
  return n;
}

double AngleAbout(const MbPlacement3D& frame, const MbCartPoint3D& p) {
  const MbVector3D d = p - frame.origin;
  return std::atan2(Dot(d, frame.axisY), Dot(d, frame.axisX));
}

bool TurnsAbout(const MbArc3D& arc, const MbPlacement3D& frame) {
  if (Cross(arc.GetPlacement().axisZ, frame.axisZ).Length() > 1e-7) return false;
  const MbVector3D d = arc.GetCentre() - frame.origin;
  return (d - frame.axisZ * Dot(d, frame.axisZ)).Length() <= kJoin;
}

void RunAbout(const MbArc3D& arc, const MbPlacement3D& frame, double& from, double& sweep) {
  sweep = arc.GetTMax() - arc.GetTMin();
  const bool sameWay = Dot(arc.GetPlacement().axisZ, frame.axisZ) > 0;
  from = AngleAbout(frame, arc.GetLimitPoint(sameWay ? 1 : 2));
}

namespace {

// Rational quadratic pieces of at most a quarter turn each; `at(angle, r)` the
// point at that angle and distance from the centre.
template <class Point, class At>
void ArcPieces(double start, double sweep, double radius, At at, std::vector<Point>& points,
               std::vector<double>& weights, std::vector<double>& knots) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (M_PI / 2) - 1e-9)));
  const double step = sweep / n, w = std::cos(step / 2), length = std::abs(sweep);
  knots = {0, 0, 0};
  for (int i = 0; i <= n; ++i) {
    points.push_back(at(start + i * step, radius));
    weights.push_back(1);
    if (i == n) break;
    points.push_back(at(start + (i + 0.5) * step, radius / w));
    weights.push_back(w);
    if (i + 1 < n) knots.insert(knots.end(), {length * (i + 1) / n, length * (i + 1) / n});
  }
  knots.insert(knots.end(), {length, length, length});
}

bool Near(const MbCartPoint& a, const MbCartPoint& b, double eps) { return std::hypot(a.x - b.x, a.y - b.y) <= eps; }

constexpr double kFractions[] = {0, 0.25, 0.5, 0.75, 1};

}  // namespace

}  // namespace kernel

using namespace kernel;

bool MbCurve::IsClosed() const {
  const MbCartPoint a = GetLimitPoint(1), b = GetLimitPoint(2);
  return std::hypot(a.x - b.x, a.y - b.y) <= Math::metricRegion;
}

bool MbCurve::IsSame(const MbCurve& other, double accuracy) const {
  auto at = [](const MbCurve& c, double f) { return c.PointOn(c.GetTMin() + f * (c.GetTMax() - c.GetTMin())); };
  if (IsA() == other.IsA() && IsA() != pt_Nurbs) {
    // Segments and arcs run evenly along their parameter.
    auto same = [&](bool back) {
      return std::all_of(std::begin(kFractions), std::end(kFractions),
                         [&](double f) { return Near(at(*this, f), at(other, back ? 1 - f : f), accuracy); });
    };
    return same(false) || same(true);
  }
  // Otherwise: the ends meet, and points along each lie on the other.
  const MbCartPoint a1 = GetLimitPoint(1), a2 = GetLimitPoint(2), b1 = other.GetLimitPoint(1), b2 = other.GetLimitPoint(2);
  if (!((Near(a1, b1, accuracy) && Near(a2, b2, accuracy)) || (Near(a1, b2, accuracy) && Near(a2, b1, accuracy))))
    return false;
  auto lies = [&](const MbCurve& from, const MbCurve& on) {
    const geom::Curve target = GeomOf(on);
    for (int i = 1; i < 16; ++i) {
      const auto nearest = geom::nearestPoint(target, GeomOf(at(from, i / 16.0)));
      if (!nearest || nearest->distance > accuracy) return false;
    }
    return true;
  };
  return lies(*this, other) && lies(other, *this);
}

void MbCurve::CalculatePolygon(double sag, std::vector<MbCartPoint>& points) const {
  points.clear();
  for (const geom::Point& p : geom::chordPoints(GeomOf(*this), sag)) points.emplace_back(p.x, p.y);
}

MbCartPoint MbLineSegment::PointOn(double t) const {
  return {p1_.x + (p2_.x - p1_.x) * t, p1_.y + (p2_.y - p1_.y) * t};
}

MbNurbs* MbLineSegment::NurbsCurve() const { return new MbNurbs(1, {p1_, p2_}, {1, 1}, {0, 0, 1, 1}, false); }

MbCartPoint MbArc::PointOn(double t) const {
  const double a = start_ + (sweep_ < 0 ? -t : t);
  return {centre_.x + radius_ * std::cos(a), centre_.y + radius_ * std::sin(a)};
}

MbNurbs* MbArc::NurbsCurve() const {
  std::vector<MbCartPoint> points;
  std::vector<double> weights, knots;
  ArcPieces(start_, sweep_, radius_,
            [&](double a, double r) { return MbCartPoint(centre_.x + r * std::cos(a), centre_.y + r * std::sin(a)); },
            points, weights, knots);
  return new MbNurbs(2, std::move(points), std::move(weights), std::move(knots), IsCircle(1e-9));
}

MbNurbs::MbNurbs(int degree, std::vector<MbCartPoint> points, std::vector<double> weights, std::vector<double> knots,
                 bool closed)
    : degree_(degree), points_(std::move(points)), weights_(std::move(weights)), knots_(std::move(knots)),
      closed_(closed) {}

double MbNurbs::GetTMin() const { return geom::domain(GeomOf(*this)).min; }
double MbNurbs::GetTMax() const { return geom::domain(GeomOf(*this)).max; }

MbCartPoint MbNurbs::PointOn(double t) const {
  const geom::Point p = geom::pointAt(GeomOf(*this), t);
  return {p.x, p.y};
}

bool MbCurve3D::IsClosed() const { return GetLimitPoint(1).DistanceToPoint(GetLimitPoint(2)) <= Math::metricRegion; }

bool MbCurve3D::IsSame(const MbCurve3D& other, double accuracy, bool* sameWay) const {
  if (IsA() != other.IsA()) return false;
  auto same = [&](bool back) {
    return std::all_of(std::begin(kFractions), std::end(kFractions), [&](double f) {
      return PointAtFraction(f).DistanceToPoint(other.PointAtFraction(back ? 1 - f : f)) <= accuracy;
    });
  };
  const bool forward = same(false);
  if (!forward && !same(true)) return false;
  if (sameWay) *sameWay = forward;
  return true;
}

MbCurve3D* MbLineSegment3D::Transformed(const MbMatrix3D& motion) const {
  return new MbLineSegment3D(motion.Apply(p1_), motion.Apply(p2_));
}

MbCurve* MbLineSegment3D::GetProjection(const MbPlacement3D& place, VERSION) const {
  return new MbLineSegment(place.PointProjection(p1_), place.PointProjection(p2_));
}

void MbLineSegment3D::AddYourGabaritTo(MbCube& cube) const {
  cube |= p1_;
  cube |= p2_;
}

MbCartPoint3D MbArc3D::PointOn(double t) const {
  return place_.origin + place_.axisX * (radius_ * std::cos(t)) + place_.axisY * (radius_ * std::sin(t));
}

MbCurve3D* MbArc3D::Transformed(const MbMatrix3D& motion) const {
  MbPlacement3D place = place_;
  place.Transform(motion);
  return new MbArc3D(place, radius_, t1_, t2_);
}

MbCurve* MbArc3D::GetProjection(const MbPlacement3D& place, VERSION) const {
  const MbCartPoint centre = place.PointProjection(place_.origin);
  if (Cross(place_.axisZ, place.axisZ).Length() <= 1e-9) {
    const MbCartPoint start = place.PointProjection(PointOn(t1_));
    const double sweep = (t2_ - t1_) * (Dot(place_.axisZ, place.axisZ) > 0 ? 1 : -1);
    return new MbArc(centre, radius_, std::atan2(start.y - centre.y, start.x - centre.x), sweep);
  }
  // Seen at a slant the arc is elliptic: project its exact NURBS form.
  std::vector<MbCartPoint> points;
  std::vector<double> weights, knots;
  ArcPieces(t1_, t2_ - t1_, radius_,
            [&](double a, double r) {
              return place.PointProjection(place_.origin + place_.axisX * (r * std::cos(a)) +
                                           place_.axisY * (r * std::sin(a)));
            },
            points, weights, knots);
  return new MbNurbs(2, std::move(points), std::move(weights), std::move(knots), IsClosed());
}

void MbArc3D::AddYourGabaritTo(MbCube& cube) const {
  cube |= PointOn(t1_);
  cube |= PointOn(t2_);
  // Each coordinate is c + r (X cos t + Y sin t): extreme where tan t = Y / X.
  const double xs[3] = {place_.axisX.x, place_.axisX.y, place_.axisX.z};
  const double ys[3] = {place_.axisY.x, place_.axisY.y, place_.axisY.z};
  for (int k = 0; k < 3; ++k) {
    if (std::hypot(xs[k], ys[k]) < 1e-15) continue;
    const double t = std::atan2(ys[k], xs[k]);
    for (double extreme : {t, t + M_PI})
      if (OnRun(extreme, t1_, t2_ - t1_, 0)) cube |= PointOn(extreme);
  }
}
