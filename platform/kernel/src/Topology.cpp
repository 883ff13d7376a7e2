// Surfaces, faces, shells and solids: measures, building and sewing, copies.
#include <algorithm>

#include "Internal.h"
#include "geom/detail/Kernel.h"

namespace geom = vlhost::geom;

namespace kernel {
namespace {

bool Near(const MbCartPoint3D& a, const MbCartPoint3D& b) { return a.DistanceToPoint(b) <= kJoin; }

const MbCylinderSurface* Cylinder(const MbFace& face) {
  return dynamic_cast<const MbCylinderSurface*>(&face.GetSurface());
}

// The loop's signed area in the plane of `place` (counter-clockwise about its Z positive).
bool PlaneLoopArea(const MbPlacement3D& place, const MbLoop& loop, double& area) {
  area = 0;
  for (std::size_t i = 0; i < loop.GetEdgesCount(); ++i) {
    const MbOrientedEdge* edge = loop.GetOrientedEdge(i);
    SPtr<MbCurve> curve(edge->GetCurveEdge().GetSpaceCurve().GetProjection(place, GetCurrentMathFileVersion()));
    if (!curve) return false;
    geom::Curve plane = GeomOf(*curve);
    if (!edge->GetOrientation()) plane = geom::reversed(plane);
    area += geom::detail::areaTermOf(plane);
  }
  return true;
}

// On a cylinder the area is radius × ∮ u dv over the loop in (u, v), that is
// radius × Σ -v Δu over its arcs about the axis (segments along the axis have Δu = 0).
bool CylinderLoopArea(const MbCylinderSurface& surface, const MbLoop& loop, double& area) {
  const MbPlacement3D& axis = surface.GetPlacement();
  double sum = 0;
  for (std::size_t i = 0; i < loop.GetEdgesCount(); ++i) {
    const MbOrientedEdge* edge = loop.GetOrientedEdge(i);
    const MbCurve3D& curve = edge->GetCurveEdge().GetSpaceCurve();
    if (auto* arc = dynamic_cast<const MbArc3D*>(&curve)) {
      if (!TurnsAbout(*arc, axis)) return false;
      sum -= axis.Height(arc->GetCentre()) * TurnOf(*edge, axis);
    } else if (auto* line = dynamic_cast<const MbLineSegment3D*>(&curve)) {
      if (Cross((line->GetPoint2() - line->GetPoint1()).Normalized(), axis.axisZ).Length() > 1e-7) return false;
    } else {
      return false;
    }
  }
  area = surface.GetRadius() * sum;
  return true;
}

// How far along the surface's u the loop runs, following its arcs from the angle of its first point.
void UnwrapRange(const MbCylinderSurface& surface, const MbLoop& loop, double& u1, double& u2) {
  const MbPlacement3D& axis = surface.GetPlacement();
  double u = AngleAbout(axis, loop.GetOrientedEdge(0)->GetBeginPoint());
  u1 = u2 = u;
  for (std::size_t i = 0; i < loop.GetEdgesCount(); ++i) {
    u += TurnOf(*loop.GetOrientedEdge(i), axis);
    u1 = std::min(u1, u);
    u2 = std::max(u2, u);
  }
}

// A loop round a whole cylinder (two circles joined by a seam met twice) must
// come back to its first angle: its second circle runs against the first.
MbLoop* Seamed(const MbCylinderSurface& surface, MbLoop* loop) {
  double turn = 0;
  std::vector<std::size_t> circles;
  for (std::size_t e = 0; e < loop->GetEdgesCount(); ++e) {
    const MbOrientedEdge& edge = *loop->GetOrientedEdge(e);
    turn += TurnOf(edge, surface.GetPlacement());
    if (edge.GetCurveEdge().GetSpaceCurve().IsClosed()) circles.push_back(e);
  }
  if (circles.size() != 2 || std::abs(turn) < M_PI) return loop;
  auto* fixed = new MbLoop;
  for (std::size_t e = 0; e < loop->GetEdgesCount(); ++e) {
    const MbOrientedEdge& edge = *loop->GetOrientedEdge(e);
    fixed->AddEdge(*new MbOrientedEdge(edge.GetCurveEdge(), edge.GetOrientation() != (e == circles[1])));
  }
  SPtr<MbLoop> drop(loop);
  return fixed;
}

MbFace* Orient(MbFace* face, const std::vector<MbSpaceCurves>& loops, bool outerPositive) {
  std::unique_ptr<MbFace> hold(face);
  for (std::size_t i = 0; i < loops.size(); ++i) {
    SPtr<MbLoop> loop(LoopOf(loops[i]));
    if (!loop) return nullptr;
    if (auto* cylinder = Cylinder(*face)) loop = Seamed(*cylinder, loop.get());
    double area = 0;
    if (!LoopArea(*face, *loop, area)) return nullptr;
    if ((area > 0) != ((i == 0) == outerPositive)) loop = Reversed(*loop);
    face->AddLoop(*loop);
  }
  return hold.release();
}

// The rectangle a, b, c, d (in order) as a plane face with the outward `normal`.
SPtr<MbFace> Rectangle(const MbCartPoint3D& a, const MbCartPoint3D& b, const MbCartPoint3D& c,
                       const MbCartPoint3D& d, const MbVector3D& normal) {
  MbSpaceCurves loop{SPtr<MbCurve3D>(new MbLineSegment3D(a, b)), SPtr<MbCurve3D>(new MbLineSegment3D(b, c)),
                     SPtr<MbCurve3D>(new MbLineSegment3D(c, d)), SPtr<MbCurve3D>(new MbLineSegment3D(d, a))};
  return MakePlaneFace(MbPlacement3D(a, normal, false), {loop});
}

}  // namespace

double TurnOf(const MbOrientedEdge& edge, const MbPlacement3D& axis) {
  auto* arc = dynamic_cast<const MbArc3D*>(&edge.GetCurveEdge().GetSpaceCurve());
  if (!arc) return 0;
  return (arc->GetTMax() - arc->GetTMin()) * (Dot(arc->GetPlacement().axisZ, axis.axisZ) > 0 ? 1 : -1) *
         (edge.GetOrientation() ? 1 : -1);
}

bool LoopArea(const MbFace& face, const MbLoop& loop, double& area) {
  if (auto* cylinder = Cylinder(face)) {
    if (!CylinderLoopArea(*cylinder, loop, area)) return false;
    if (!face.IsSameSense()) area = -area;
    return true;
  }
  MbPlacement3D place;
  face.GetPlacement(place);
  return PlaneLoopArea(place, loop, area);
}

MbLoop* LoopOf(const MbSpaceCurves& curves) {
  if (curves.empty() || std::any_of(curves.begin(), curves.end(), [](const auto& c) { return !c; })) return nullptr;
  std::vector<bool> forward(curves.size(), true);
  if (curves.size() == 1) {
    if (!curves[0]->IsClosed()) return nullptr;
  } else {
    const MbCurve3D& next = *curves[1];
    auto meetsNext = [&](const MbCartPoint3D& p) { return Near(p, next.GetLimitPoint(1)) || Near(p, next.GetLimitPoint(2)); };
    if (!meetsNext(curves[0]->GetLimitPoint(2))) {
      if (!meetsNext(curves[0]->GetLimitPoint(1))) return nullptr;
      forward[0] = false;
    }
    MbCartPoint3D at = curves[0]->GetLimitPoint(forward[0] ? 2 : 1);
    for (std::size_t i = 1; i < curves.size(); ++i) {
      if (Near(curves[i]->GetLimitPoint(1), at)) forward[i] = true;
      else if (Near(curves[i]->GetLimitPoint(2), at)) forward[i] = false;
      else return nullptr;
      at = curves[i]->GetLimitPoint(forward[i] ? 2 : 1);
    }
    if (!Near(at, curves[0]->GetLimitPoint(forward[0] ? 1 : 2))) return nullptr;
  }
  auto* loop = new MbLoop;
  for (std::size_t i = 0; i < curves.size(); ++i)
    loop->AddEdge(*new MbOrientedEdge(*new MbCurveEdge(*curves[i]), forward[i]));
  return loop;
}

MbLoop* Reversed(const MbLoop& loop) {
  auto* reversed = new MbLoop;
  for (std::size_t i = loop.GetEdgesCount(); i-- > 0;) {
    const MbOrientedEdge* edge = loop.GetOrientedEdge(i);
    reversed->AddEdge(*new MbOrientedEdge(edge->GetCurveEdge(), !edge->GetOrientation()));
  }
  return reversed;
}

void LinkEdges(MbFaceShell& shell) {
  std::map<MbCurveEdge*, std::vector<MbFace*>> users;
  std::vector<MbCurveEdge*> order;
  for (std::size_t f = 0; f < shell.GetFacesCount(); ++f) {
    MbFace* face = shell.GetFace(f);
    for (std::size_t l = 0; l < face->GetLoopsCount(); ++l)
      for (std::size_t e = 0; e < face->GetLoop(l)->GetEdgesCount(); ++e) {
        MbCurveEdge* edge = &face->GetLoop(l)->GetOrientedEdge(e)->GetCurveEdge();
        auto& list = users[edge];
        if (list.empty()) order.push_back(edge);
        list.push_back(face);
      }
  }
  for (MbCurveEdge* edge : order) {
    const auto& list = users[edge];
    edge->SetFaces(list[0], list.size() > 1 ? list[1] : nullptr);
  }
}

void FitRanges(MbFace& face) {
  auto* surface = const_cast<MbSurface*>(&face.GetSurface());
  if (surface->IsA() != st_Plane) return;
  const MbPlacement3D& place = surface->GetPlacement();
  double u1 = INFINITY, u2 = -INFINITY, v1 = INFINITY, v2 = -INFINITY;
  for (std::size_t l = 0; l < face.GetLoopsCount(); ++l)
    for (std::size_t e = 0; e < face.GetLoop(l)->GetEdgesCount(); ++e) {
      MbCube box;
      face.GetLoop(l)->GetOrientedEdge(e)->GetCurveEdge().GetSpaceCurve().AddYourGabaritTo(box);
      for (double x : {box.pmin.x, box.pmax.x})
        for (double y : {box.pmin.y, box.pmax.y})
          for (double z : {box.pmin.z, box.pmax.z}) {
            const MbCartPoint p = place.PointProjection({x, y, z});
            u1 = std::min(u1, p.x), u2 = std::max(u2, p.x), v1 = std::min(v1, p.y), v2 = std::max(v2, p.y);
          }
    }
  if (u1 <= u2) surface->SetRanges(u1, u2, v1, v2);
}

MbSolid* MapSolid(const MbSolid& solid, const SolidMap& map) {
  std::vector<const MbFace*> faces;
  for (std::size_t f = 0; f < solid.GetShell()->GetFacesCount(); ++f) faces.push_back(solid.GetShell()->GetFace(f));
  return MapFaces(faces, map);
}

MbSolid* MapFaces(const std::vector<const MbFace*>& faces, const SolidMap& map) {
  std::map<const MbCurveEdge*, SPtr<MbCurveEdge>> edges;
  SPtr<MbFaceShell> copy(new MbFaceShell);
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const MbFace& face = *faces[f];
    SPtr<MbFace> made(map.face(face, f));
    if (!made) return nullptr;
    for (std::size_t l = 0; l < face.GetLoopsCount(); ++l) {
      const MbLoop& loop = *face.GetLoop(l);
      auto* mapped = new MbLoop;
      made->AddLoop(*mapped);
      for (std::size_t e = 0; e < loop.GetEdgesCount(); ++e) {
        const MbOrientedEdge& edge = *loop.GetOrientedEdge(e);
        SPtr<MbCurveEdge>& to = edges[&edge.GetCurveEdge()];
        if (!to) {
          SPtr<MbCurve3D> curve(map.curve(edge.GetCurveEdge()));
          if (!curve) return nullptr;
          to = SPtr<MbCurveEdge>(new MbCurveEdge(*curve));
        }
        mapped->AddEdge(*new MbOrientedEdge(*to, edge.GetOrientation()));
      }
    }
    FitRanges(*made);
    copy->AddFace(*made);
  }
  LinkEdges(*copy);
  return new MbSolid(*copy);
}

}  // namespace kernel

using namespace kernel;

void MbSurface::SetRanges(double u1, double u2, double v1, double v2) {
  u1_ = u1, u2_ = u2, v1_ = v1, v2_ = v2;
}

MbSurface* MbPlane::Transformed(const MbMatrix3D& motion) const {
  MbPlacement3D place = place_;
  place.Transform(motion);
  auto* plane = new MbPlane(place);
  plane->SetRanges(u1_, u2_, v1_, v2_);
  return plane;
}

MbCartPoint3D MbCylinderSurface::PointOn(double u, double v) const {
  return place_.PointOn(radius_ * std::cos(u), radius_ * std::sin(u), v);
}

MbVector3D MbCylinderSurface::Normal(double u, double) const {
  return place_.axisX * std::cos(u) + place_.axisY * std::sin(u);
}

MbSurface* MbCylinderSurface::Transformed(const MbMatrix3D& motion) const {
  MbPlacement3D place = place_;
  place.Transform(motion);
  auto* cylinder = new MbCylinderSurface(place, radius_);
  cylinder->SetRanges(u1_, u2_, v1_, v2_);
  return cylinder;
}

MbVector3D MbFace::Normal(double u, double v) const {
  const MbVector3D n = surface_->Normal(u, v);
  return sameSense_ ? n : -n;
}

bool MbFace::GetPlacement(MbPlacement3D& place) const {
  if (surface_->IsA() == st_Plane) {
    place = sameSense_ ? surface_->GetPlacement() : surface_->GetPlacement().Reversed();
    return true;
  }
  const double u = 0.5 * (surface_->GetUMin() + surface_->GetUMax());
  const double v = 0.5 * (surface_->GetVMin() + surface_->GetVMax());
  place = MbPlacement3D(surface_->PointOn(u, v), Normal(u, v), false);
  return false;
}

bool MbFace::IsPlanar(double eps) const {
  if (surface_->IsA() == st_Plane) return true;
  const auto* cylinder = Cylinder(*this);
  if (!cylinder) return false;
  const double half = std::min(M_PI, surface_->GetUMax() - surface_->GetUMin()) / 2;
  return cylinder->GetRadius() * (1 - std::cos(half)) <= eps;
}

void MbFace::AddYourGabaritTo(MbCube& cube) const {
  for (const auto& loop : loops_)
    for (std::size_t e = 0; e < loop->GetEdgesCount(); ++e)
      loop->GetOrientedEdge(e)->GetCurveEdge().GetSpaceCurve().AddYourGabaritTo(cube);
  const auto* cylinder = Cylinder(*this);
  if (!cylinder) return;
  // Lines of the cylinder where a coordinate is extreme, when the face reaches them.
  const MbPlacement3D& axis = cylinder->GetPlacement();
  const double xs[3] = {axis.axisX.x, axis.axisX.y, axis.axisX.z};
  const double ys[3] = {axis.axisY.x, axis.axisY.y, axis.axisY.z};
  const double u1 = surface_->GetUMin(), u2 = surface_->GetUMax();
  for (int k = 0; k < 3; ++k) {
    if (std::hypot(xs[k], ys[k]) < 1e-15) continue;
    const double t = std::atan2(ys[k], xs[k]);
    for (double u : {t, t + M_PI})
      if (OnRun(u, u1, u2 - u1, 0)) {
        cube |= cylinder->PointOn(u, surface_->GetVMin());
        cube |= cylinder->PointOn(u, surface_->GetVMax());
      }
  }
}

double MbFace::GetArea() const {
  double area = 0;
  for (std::size_t i = 0; i < loops_.size(); ++i) {
    double loop = 0;
    if (!LoopArea(*this, *loops_[i], loop)) return 0;
    area += i == 0 ? std::abs(loop) : -std::abs(loop);
  }
  return area;
}

void MbFaceShell::GetFaces(RPArray<MbFace>& faces) const {
  for (const auto& face : faces_) faces.Add(face.get());
}

bool MbFaceShell::IsClosed() const {
  std::map<const MbCurveEdge*, int> uses;
  for (const auto& face : faces_)
    for (std::size_t l = 0; l < face->GetLoopsCount(); ++l)
      for (std::size_t e = 0; e < face->GetLoop(l)->GetEdgesCount(); ++e)
        ++uses[&face->GetLoop(l)->GetOrientedEdge(e)->GetCurveEdge()];
  return !uses.empty() && std::all_of(uses.begin(), uses.end(), [](const auto& u) { return u.second == 2; });
}

void MbSolid::AddYourGabaritTo(MbCube& cube) const {
  for (std::size_t f = 0; f < shell_->GetFacesCount(); ++f) shell_->GetFace(f)->AddYourGabaritTo(cube);
}

MbSolid* MbSolid::Transformed(const MbMatrix3D& motion) const {
  return MapSolid(*this, {[&](const MbFace& face, std::size_t) {
                            auto* moved = new MbFace(*face.GetSurface().Transformed(motion), face.IsSameSense());
                            moved->SetAttributes(face.GetAttributes());
                            return moved;
                          },
                          [&](const MbCurveEdge& edge) { return edge.GetSpaceCurve().Transformed(motion); }});
}

MbFace* MakePlaneFace(const MbPlacement3D& place, const std::vector<MbSpaceCurves>& loops, int attributes) {
  if (loops.empty()) return nullptr;
  MbFace* face = Orient(new MbFace(*new MbPlane(place), true), loops, true);
  if (face) {
    face->SetAttributes(attributes);
    FitRanges(*face);
  }
  return face;
}

MbFace* MakeCylinderFace(const MbPlacement3D& axis, double radius, bool outward, const std::vector<MbSpaceCurves>& loops,
                         int attributes) {
  if (loops.empty() || !(radius > 0)) return nullptr;
  auto* surface = new MbCylinderSurface(axis, radius);
  SPtr<MbSurface> hold(surface);
  MbFace* face = Orient(new MbFace(*surface, outward), loops, true);
  if (!face) return nullptr;
  face->SetAttributes(attributes);
  double u1 = 0, u2 = 0, v1 = INFINITY, v2 = -INFINITY;
  UnwrapRange(*surface, *face->GetLoop(0), u1, u2);
  const MbLoop& outer = *face->GetLoop(0);
  for (std::size_t e = 0; e < outer.GetEdgesCount(); ++e) {
    const double v = axis.Height(outer.GetOrientedEdge(e)->GetBeginPoint());
    v1 = std::min(v1, v), v2 = std::max(v2, v);
  }
  surface->SetRanges(u1, u2, v1, v2);
  return face;
}

MbSolid* MakeSolid(const std::vector<SPtr<MbFace>>& faces) {
  SPtr<MbFaceShell> shell(new MbFaceShell);
  struct Use {
    MbOrientedEdge* edge;
    bool taken;
  };
  std::vector<Use> uses;
  for (const auto& face : faces) {
    if (!face) return nullptr;
    shell->AddFace(*face);
    for (std::size_t l = 0; l < face->GetLoopsCount(); ++l)
      for (std::size_t e = 0; e < face->GetLoop(l)->GetEdgesCount(); ++e)
        uses.push_back({face->GetLoop(l)->GetOrientedEdge(e), false});
  }
  // Two uses of one curve (either way) become two uses of one edge: each use
  // is paired with the first one after it that runs between the same ends,
  // looked for among the uses whose first end lies as far along x (a plate
  // of thousands of holes has tens of thousands of uses).
  std::vector<std::pair<MbCartPoint3D, MbCartPoint3D>> ends;
  for (const Use& use : uses) {
    const MbCurve3D& c = use.edge->GetCurveEdge().GetSpaceCurve();
    MbCartPoint3D p1 = c.GetLimitPoint(1), p2 = c.GetLimitPoint(2);
    if (p2.x < p1.x) std::swap(p1, p2);
    ends.push_back({p1, p2});
  }
  std::vector<std::size_t> byX(uses.size());
  for (std::size_t i = 0; i < byX.size(); ++i) byX[i] = i;
  std::stable_sort(byX.begin(), byX.end(), [&](std::size_t a, std::size_t b) { return ends[a].first.x < ends[b].first.x; });
  std::vector<std::size_t> rank(uses.size());
  for (std::size_t k = 0; k < byX.size(); ++k) rank[byX[k]] = k;
  std::vector<std::size_t> alike;
  for (std::size_t i = 0; i < uses.size(); ++i) {
    if (uses[i].taken) continue;
    const auto& [a1, a2] = ends[i];
    // The uses whose lower end along x lies within the joint of this one's: any that meets its ends.
    alike.clear();
    const double from = a1.x - 2 * kJoin, to = a1.x + 2 * kJoin;
    for (std::size_t k = rank[i]; k-- > 0 && ends[byX[k]].first.x >= from;) alike.push_back(byX[k]);
    for (std::size_t k = rank[i] + 1; k < byX.size() && ends[byX[k]].first.x <= to; ++k) alike.push_back(byX[k]);
    std::sort(alike.begin(), alike.end());
    const MbCurve3D& a = uses[i].edge->GetCurveEdge().GetSpaceCurve();
    for (std::size_t j : alike) {
      if (j <= i || uses[j].taken) continue;
      const auto& [b1, b2] = ends[j];
      if (!((Near(a1, b1) && Near(a2, b2)) || (Near(a1, b2) && Near(a2, b1)))) continue;
      MbOrientedEdge& other = *uses[j].edge;
      const MbCurve3D& b = other.GetCurveEdge().GetSpaceCurve();
      bool sameWay = true;
      if (!a.IsSame(b, kJoin, &sameWay)) continue;
      other.Share(uses[i].edge->GetCurveEdge(), sameWay == other.GetOrientation());
      uses[i].taken = uses[j].taken = true;
      break;
    }
  }
  LinkEdges(*shell);
  return new MbSolid(*shell);
}

MbSolid* MakeBox(const MbPlacement3D& corner, double dx, double dy, double dz) {
  if (!(dx > 0 && dy > 0 && dz > 0)) return nullptr;
  auto at = [&](int i, int j, int k) { return corner.PointOn(i * dx, j * dy, k * dz); };
  const MbVector3D x = corner.axisX, y = corner.axisY, z = corner.axisZ;
  return MakeSolid({Rectangle(at(0, 0, 1), at(1, 0, 1), at(1, 1, 1), at(0, 1, 1), z),
                    Rectangle(at(0, 0, 0), at(0, 1, 0), at(1, 1, 0), at(1, 0, 0), -z),
                    Rectangle(at(0, 0, 0), at(1, 0, 0), at(1, 0, 1), at(0, 0, 1), -y),
                    Rectangle(at(1, 0, 0), at(1, 1, 0), at(1, 1, 1), at(1, 0, 1), x),
                    Rectangle(at(1, 1, 0), at(0, 1, 0), at(0, 1, 1), at(1, 1, 1), y),
                    Rectangle(at(0, 1, 0), at(0, 0, 0), at(0, 0, 1), at(0, 1, 1), -x)});
}
