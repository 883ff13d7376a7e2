// Sheet metal: bends found from their faces, unbending about a fixed face,
// development of a curved face.
#include <algorithm>
#include <numeric>
#include <optional>

#include "Internal.h"
#include "kernel/SheetMetal.h"

namespace kernel {
namespace {

constexpr double kRadiusSlack = 1e-3;  // mm between an asked and a measured radius
constexpr double kAngleSlack = 1e-3;   // degrees between an asked and a measured angle
constexpr double kOnLine = 1e-6;       // radians: a point on a bend line
constexpr double RD = 180 / M_PI;

const MbCylinderSurface* CylinderOf(const MbFace* face) {
  return face ? dynamic_cast<const MbCylinderSurface*>(&face->GetSurface()) : nullptr;
}

template <class F>
void ForEachEdge(const MbFace& face, F f) {
  for (std::size_t l = 0; l < face.GetLoopsCount(); ++l)
    for (std::size_t e = 0; e < face.GetLoop(l)->GetEdgesCount(); ++e) f(*face.GetLoop(l)->GetOrientedEdge(e));
}

// The angles a cylinder face covers about the Z axis of `frame`, read from
// its first arc about that axis.
bool AngularRun(const MbFace& face, const MbPlacement3D& frame, double& from, double& sweep) {
  bool found = false;
  ForEachEdge(face, [&](const MbOrientedEdge& edge) {
    auto* arc = dynamic_cast<const MbArc3D*>(&edge.GetCurveEdge().GetSpaceCurve());
    if (!found && arc && TurnsAbout(*arc, frame)) {
      RunAbout(*arc, frame, from, sweep);
      found = true;
    }
  });
  return found;
}

bool Coaxial(const MbPlacement3D& a, const MbPlacement3D& b) {
  if (Cross(a.axisZ, b.axisZ).Length() > 1e-7) return false;
  const MbVector3D d = b.origin - a.origin;
  return (d - a.axisZ * Dot(d, a.axisZ)).Length() <= kJoin;
}

// A bend zone: the faces of one bend and how it develops.
struct Zone {
  const MbSheetMetalBend* bend = nullptr;
  std::size_t inner = 0, outer = 0;
  MbPlacement3D frame;  // Z along the axis
  double radius = 0, thickness = 0, from = 0, sweep = 0, neutral = 0;
  int groupFrom = -1, groupTo = -1;  // plates at the angles `from` and `from + sweep`
  // Set once developed from the plate `fixedSide`.
  MbMatrix3D toFlat;  // that plate's motion
  double phiA = 0, sense = 1;
  MbVector3D along;   // direction into the bend at phiA

  MbVector3D Radial(double phi) const { return frame.axisX * std::cos(phi) + frame.axisY * std::sin(phi); }

  // Where a point of the bend zone lands: its distance from the axis and
  // place along it kept, its angle laid out along the neutral layer.
  MbCartPoint3D Develop(const MbCartPoint3D& p) const {
    const MbVector3D d = p - frame.origin;
    const double z = Dot(d, frame.axisZ);
    const double rho = (d - frame.axisZ * z).Length();
    double alpha = sense * (AngleAbout(frame, p) - phiA);
    alpha = sweep / 2 + Wrap(alpha - sweep / 2);
    return toFlat.Apply(frame.origin + frame.axisZ * z + Radial(phiA) * rho + along * (alpha * neutral));
  }

  // The curve of an edge of the zone, developed: segments along the axis or
  // across it, arcs about it; anything else is not a bend's.
  MbCurve3D* Develop(const MbCurve3D& curve) const {
    if (auto* arc = dynamic_cast<const MbArc3D*>(&curve)) {
      if (!TurnsAbout(*arc, frame)) return nullptr;
    } else if (auto* line = dynamic_cast<const MbLineSegment3D*>(&curve)) {
      const MbVector3D dir = (line->GetPoint2() - line->GetPoint1()).Normalized();
      const bool along = Cross(dir, frame.axisZ).Length() <= 1e-7;
      const bool across = std::abs(Dot(dir, frame.axisZ)) <= 1e-7 &&
                          std::abs(Wrap(AngleAbout(frame, line->GetPoint1()) - AngleAbout(frame, line->GetPoint2()))) <= 1e-7;
      if (!along && !across) return nullptr;
    } else {
      return nullptr;
    }
    return new MbLineSegment3D(Develop(curve.GetLimitPoint(1)), Develop(curve.GetLimitPoint(2)));
  }
};

int Find(std::vector<int>& parent, int i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

class Unbender {
 public:
  Unbender(const MbSolid& solid, const PArray<MbSheetMetalBend>& bends, const MbFace& fixed)
      : solid_(solid), shell_(*solid.GetShell()), bends_(bends), fixed_(fixed) {}

  MbResultType Run(MbSolid*& result, RPArray<const MbCurve3D>* bendLines) {
    MbResultType rt = Index();
    if (rt == rt_Success) rt = Zones();
    if (rt == rt_Success) rt = Groups();
    if (rt == rt_Success) rt = Develop();
    if (rt != rt_Success) return rt;
    std::map<const MbCurveEdge*, const MbCurve3D*> made;
    result = MapSolid(solid_, {[&](const MbFace& face, std::size_t i) { return Face(face, i); },
                               [&](const MbCurveEdge& edge) {
                                 MbCurve3D* curve = Curve(edge);
                                 made[&edge] = curve;
                                 return curve;
                               }});
    if (!result) return rt_NotSupported;
    if (bendLines)
      for (const MbCurveEdge* edge : edges_)
        if (IsBendLine(users_[edge])) bendLines->Add(made[edge]);
    return rt_Success;
  }

 private:
  static constexpr int kNone = -1;

  MbResultType Index() {
    for (std::size_t f = 0; f < shell_.GetFacesCount(); ++f) {
      const MbFace* face = shell_.GetFace(f);
      index_[face] = f;
      ForEachEdge(*face, [&](const MbOrientedEdge& e) {
        auto& faces = users_[&e.GetCurveEdge()];
        if (faces.empty()) edges_.push_back(&e.GetCurveEdge());
        faces.push_back(f);
      });
    }
    zoneOf_.assign(shell_.GetFacesCount(), kNone);
    groupOf_.assign(shell_.GetFacesCount(), kNone);
    auto fixed = index_.find(&fixed_);
    if (fixed == index_.end() || !IsSuitableForFixed(fixed_)) return rt_Error;
    fixedIndex_ = fixed->second;
    return rt_Success;
  }

  MbResultType Zones() {
    for (std::size_t b = 0; b < bends_.Count(); ++b) {
      const MbSheetMetalBend& bend = *bends_[b];
      const MbCylinderSurface* inner = CylinderOf(bend.innerFace);
      const MbCylinderSurface* outer = CylinderOf(bend.outerFace);
      if (!inner || !outer || !index_.count(bend.innerFace) || !index_.count(bend.outerFace)) return rt_Error;
      Zone zone;
      zone.bend = &bend;
      zone.inner = index_[bend.innerFace];
      zone.outer = index_[bend.outerFace];
      zone.frame = inner->GetPlacement();
      zone.radius = inner->GetRadius();
      zone.thickness = outer->GetRadius() - inner->GetRadius();
      double from = 0, sweep = 0;
      if (!Coaxial(zone.frame, outer->GetPlacement()) || !(zone.thickness > kJoin) ||
          !AngularRun(*bend.innerFace, zone.frame, zone.from, zone.sweep) ||
          !AngularRun(*bend.outerFace, zone.frame, from, sweep) || std::abs(sweep - zone.sweep) > 1e-6 ||
          std::abs(Wrap(from - zone.from)) > 1e-6)
        return rt_Error;
      if (bend.coneAngle != 0) return rt_NotSupported;
      if (!(std::abs(bend.radius - zone.radius) <= kRadiusSlack) ||
          !(std::abs(bend.angle - zone.sweep * RD) <= kAngleSlack) || !(bend.kof >= 0 && bend.kof <= 1))
        return rt_ParameterError;
      zone.neutral = zone.radius + bend.kof * zone.thickness;
      for (std::size_t f : {zone.inner, zone.outer}) {
        if (zoneOf_[f] != kNone) return rt_Error;
        zoneOf_[f] = static_cast<int>(zones_.size());
      }
      zones_.push_back(zone);
    }
    // A face of no sheet side beside a bend's face is an end wall of that bend.
    for (std::size_t z = 0; z < zones_.size(); ++z)
      for (std::size_t f : {zones_[z].inner, zones_[z].outer})
        for (std::size_t wall : Neighbours(f)) {
          if (shell_.GetFace(wall)->GetAttributes() & fa_SheetSide) continue;
          if (zoneOf_[wall] != kNone && zoneOf_[wall] != static_cast<int>(z)) return rt_TopologyError;
          if (shell_.GetFace(wall)->GetSurface().IsA() != st_Plane) return rt_NotSupported;
          zoneOf_[wall] = static_cast<int>(z);
        }
    return zoneOf_[fixedIndex_] == kNone ? rt_Success : rt_Error;
  }

  // Plates: faces outside every bend zone, joined by the edges they share.
  MbResultType Groups() {
    std::vector<int> parent(shell_.GetFacesCount());
    std::iota(parent.begin(), parent.end(), 0);
    for (const auto& [edge, faces] : users_)
      for (std::size_t i = 1; i < faces.size(); ++i)
        if (zoneOf_[faces[0]] == kNone && zoneOf_[faces[i]] == kNone)
          parent[Find(parent, static_cast<int>(faces[i]))] = Find(parent, static_cast<int>(faces[0]));
    std::map<int, int> number;
    for (std::size_t f = 0; f < parent.size(); ++f)
      if (zoneOf_[f] == kNone) groupOf_[f] = number.emplace(Find(parent, static_cast<int>(f)), number.size()).first->second;
    groups_ = static_cast<int>(number.size());
    // Each bend joins the plates at its two bend lines.
    for (Zone& zone : zones_)
      for (std::size_t f : {zone.inner, zone.outer})
        for (const auto& [edge, faces] : users_) {
          if (std::find(faces.begin(), faces.end(), f) == faces.end()) continue;
          auto* line = dynamic_cast<const MbLineSegment3D*>(&edge->GetSpaceCurve());
          for (std::size_t other : faces) {
            if (other == f || zoneOf_[other] != kNone) continue;
            if (!line) return rt_NotSupported;
            const double at = AngleAbout(zone.frame, line->GetPoint1());
            int* side = std::abs(Wrap(at - zone.from)) <= kOnLine                ? &zone.groupFrom
                        : std::abs(Wrap(at - zone.from - zone.sweep)) <= kOnLine ? &zone.groupTo
                                                                                  : nullptr;
            if (!side || (*side != kNone && *side != groupOf_[other])) return rt_TopologyError;
            *side = groupOf_[other];
          }
        }
    for (const Zone& zone : zones_)
      if (zone.groupFrom == kNone || zone.groupTo == kNone || zone.groupFrom == zone.groupTo) return rt_TopologyError;
    return rt_Success;
  }

  // Lays the plates out from the fixed face's plate, bend by bend.
  MbResultType Develop() {
    motions_.assign(static_cast<std::size_t>(groups_), std::nullopt);
    motions_[static_cast<std::size_t>(groupOf_[fixedIndex_])] = MbMatrix3D();
    std::vector<int> queue{groupOf_[fixedIndex_]};
    std::vector<bool> developed(zones_.size(), false);
    for (std::size_t next = 0; next < queue.size(); ++next) {
      const int plate = queue[next];
      for (std::size_t z = 0; z < zones_.size(); ++z) {
        Zone& zone = zones_[z];
        if (developed[z] || (zone.groupFrom != plate && zone.groupTo != plate)) continue;
        developed[z] = true;
        const bool fromStart = zone.groupFrom == plate;
        zone.toFlat = *motions_[static_cast<std::size_t>(plate)];
        zone.sense = fromStart ? 1 : -1;
        zone.phiA = fromStart ? zone.from : zone.from + zone.sweep;
        zone.along = (zone.frame.axisX * -std::sin(zone.phiA) + zone.frame.axisY * std::cos(zone.phiA)) * zone.sense;
        // The far plate turns back about the axis by the bend's angle and
        // moves on by the developed length.
        const MbMatrix3D far = MbMatrix3D::Turn(zone.frame.origin, zone.frame.axisZ, -zone.sense * zone.sweep)
                                   .Then(MbMatrix3D::Shift(zone.along * (zone.sweep * zone.neutral)))
                                   .Then(zone.toFlat);
        const int other = fromStart ? zone.groupTo : zone.groupFrom;
        auto& motion = motions_[static_cast<std::size_t>(other)];
        if (motion) {
          // A ring of bends: it closes only if it lands where it began, which a sheet never does.
          const MbCartPoint3D probe = zone.frame.origin + zone.Radial(zone.phiA) * zone.radius;
          if (motion->Apply(probe).DistanceToPoint(far.Apply(probe)) > kJoin) return rt_TopologyError;
          continue;
        }
        motion = far;
        queue.push_back(other);
      }
    }
    if (std::any_of(motions_.begin(), motions_.end(), [](const auto& m) { return !m; })) return rt_TopologyError;
    return rt_Success;
  }

  std::vector<std::size_t> Neighbours(std::size_t f) const {
    std::vector<std::size_t> out;
    for (const auto& [edge, faces] : users_)
      if (std::find(faces.begin(), faces.end(), f) != faces.end())
        for (std::size_t other : faces)
          if (other != f && std::find(out.begin(), out.end(), other) == out.end()) out.push_back(other);
    std::sort(out.begin(), out.end());
    return out;
  }

  bool IsBendLine(const std::vector<std::size_t>& faces) const {
    bool bend = false, plate = false;
    for (std::size_t f : faces) {
      const int z = zoneOf_[f];
      bend |= z != kNone && (zones_[z].inner == f || zones_[z].outer == f);
      plate |= z == kNone;
    }
    return bend && plate;
  }

  MbFace* Face(const MbFace& face, std::size_t i) {
    const int z = zoneOf_[i];
    if (z == kNone) {
      auto* moved = new MbFace(*face.GetSurface().Transformed(*motions_[static_cast<std::size_t>(groupOf_[i])]),
                               face.IsSameSense());
      moved->SetAttributes(face.GetAttributes());
      return moved;
    }
    const Zone& zone = zones_[static_cast<std::size_t>(z)];
    const MbMatrix3D& m = zone.toFlat;
    MbPlacement3D place;
    MbVector3D outward;
    if (i == zone.inner || i == zone.outer) {
      // A side of the bend becomes a strip in the plane of its plate's side.
      const double rho = i == zone.inner ? zone.radius : zone.radius + zone.thickness;
      place = MbPlacement3D(m.Apply(zone.frame.origin + zone.Radial(zone.phiA) * rho), m.Apply(zone.along),
                            m.Apply(zone.frame.axisZ));
      outward = m.Apply(zone.Radial(zone.phiA)) * (face.IsSameSense() ? 1 : -1);
    } else {
      // An end wall stays square to the axis.
      const MbCartPoint3D corner = face.GetLoop(0)->GetOrientedEdge(0)->GetBeginPoint();
      place = MbPlacement3D(zone.Develop(corner), m.Apply(zone.along), m.Apply(zone.Radial(zone.phiA)));
      outward = m.Apply(face.Normal(0, 0));
    }
    if (Dot(place.axisZ, outward) < 0) place = place.Reversed();
    auto* flat = new MbFace(*new MbPlane(place), true);
    flat->SetAttributes(face.GetAttributes() & ~(fa_InnerBend | fa_OuterBend));
    return flat;
  }

  MbCurve3D* Curve(const MbCurveEdge& edge) {
    const std::vector<std::size_t>& faces = users_[&edge];
    for (std::size_t f : faces)
      if (zoneOf_[f] != kNone) return zones_[static_cast<std::size_t>(zoneOf_[f])].Develop(edge.GetSpaceCurve());
    return edge.GetSpaceCurve().Transformed(*motions_[static_cast<std::size_t>(groupOf_[faces.front()])]);
  }

  const MbSolid& solid_;
  const MbFaceShell& shell_;
  const PArray<MbSheetMetalBend>& bends_;
  const MbFace& fixed_;
  std::size_t fixedIndex_ = 0;
  std::map<const MbFace*, std::size_t> index_;
  std::map<const MbCurveEdge*, std::vector<std::size_t>> users_;
  std::vector<const MbCurveEdge*> edges_;  // in the order the faces meet them
  std::vector<Zone> zones_;
  std::vector<int> zoneOf_, groupOf_;
  int groups_ = 0;
  std::vector<std::optional<MbMatrix3D>> motions_;
};

// Develops a cylinder face: the surface point (u, v) goes to
// origin + eu radius (u - u0) + ev (v - v0) in the plane of `place`.
MbResultType DevelopCylinder(const MbFace& face, const MbCylinderSurface& cylinder, const RectifyValues& values,
                             MbSolid*& result) {
  const MbPlacement3D& axis = cylinder.GetPlacement();
  const MbPlacement3D& place = values.place;
  const double u0 = values.init.x, v0 = values.init.y, radius = cylinder.GetRadius();
  const MbVector3D tangent = axis.axisX * -std::sin(u0) + axis.axisY * std::cos(u0);
  MbVector3D eu = tangent - place.axisZ * Dot(tangent, place.axisZ);
  eu = eu.Length() > 1e-9 ? eu.Normalized() : place.axisX;
  MbVector3D ev = Cross(place.axisZ, eu);
  if (Dot(ev, axis.axisZ) < 0) ev = -ev;
  auto flat = [&](double u, double v) { return place.origin + eu * (radius * (u - u0)) + ev * (v - v0); };
  std::vector<MbSpaceCurves> loops;
  for (std::size_t l = 0; l < face.GetLoopsCount(); ++l) {
    const MbLoop& loop = *face.GetLoop(l);
    // u follows the loop's arcs from the angle of its first point, so a seam
    // met twice lands on both sides of the development.
    double u = cylinder.GetUMin() + Wrap(AngleAbout(axis, loop.GetOrientedEdge(0)->GetBeginPoint()) - cylinder.GetUMin());
    if (u < cylinder.GetUMin() - 1e-9) u += Math::PI2;
    MbSpaceCurves curves;
    for (std::size_t e = 0; e < loop.GetEdgesCount(); ++e) {
      const MbOrientedEdge& edge = *loop.GetOrientedEdge(e);
      const MbCurve3D& curve = edge.GetCurveEdge().GetSpaceCurve();
      if (auto* arc = dynamic_cast<const MbArc3D*>(&curve)) {
        if (!TurnsAbout(*arc, axis)) return rt_NotSupported;
      } else if (auto* line = dynamic_cast<const MbLineSegment3D*>(&curve)) {
        if (Cross((line->GetPoint2() - line->GetPoint1()).Normalized(), axis.axisZ).Length() > 1e-7)
          return rt_NotSupported;
      } else {
        return rt_NotSupported;
      }
      const MbCartPoint3D from = flat(u, axis.Height(edge.GetBeginPoint()));
      u += TurnOf(edge, axis);
      curves.emplace_back(new MbLineSegment3D(from, flat(u, axis.Height(edge.GetEndPoint()))));
    }
    loops.push_back(std::move(curves));
  }
  SPtr<MbFace> developed(MakePlaneFace(place, loops, face.GetAttributes() & ~(fa_InnerBend | fa_OuterBend)));
  if (!developed) return rt_Error;
  result = MakeSolid({developed});
  return rt_Success;
}

}  // namespace
}  // namespace kernel

using namespace kernel;

bool IsSuitableForFixed(const MbFace& face) {
  const int bits = face.GetAttributes();
  return face.GetSurface().IsA() == st_Plane && (bits & fa_SheetSide) && !(bits & (fa_InnerBend | fa_OuterBend)) &&
         face.GetLoopsCount() > 0;
}

bool CollectBends(const MbFaceShell& shell, const RPArray<MbFace>& innerFaces, const RPArray<MbFace>& outerFaces,
                  PArray<MbSheetMetalBend>& bends) {
  RPArray<MbFace> faces;
  shell.GetFaces(faces);
  auto inShell = [&](const MbFace* f) { return std::find(faces.begin(), faces.end(), f) != faces.end(); };
  std::vector<const MbFace*> taken;
  bool found = false;
  for (const MbFace* inner : innerFaces) {
    const MbCylinderSurface* in = CylinderOf(inner);
    double from = 0, sweep = 0;
    if (!in || !inShell(inner) || !AngularRun(*inner, in->GetPlacement(), from, sweep)) continue;
    for (const MbFace* outer : outerFaces) {
      const MbCylinderSurface* out = CylinderOf(outer);
      double outerFrom = 0, outerSweep = 0;
      if (!out || !inShell(outer) || std::find(taken.begin(), taken.end(), outer) != taken.end() ||
          !Coaxial(in->GetPlacement(), out->GetPlacement()) || !(out->GetRadius() > in->GetRadius() + kJoin) ||
          !AngularRun(*outer, in->GetPlacement(), outerFrom, outerSweep) || std::abs(outerSweep - sweep) > 1e-6 ||
          std::abs(Wrap(outerFrom - from)) > 1e-6)
        continue;
      auto* bend = new MbSheetMetalBend;
      bend->innerFace = inner;
      bend->outerFace = outer;
      bend->innerRadius = bend->radius = in->GetRadius();
      bend->thickness = out->GetRadius() - in->GetRadius();
      bend->bendAngle = bend->angle = sweep * RD;
      bend->axis = in->GetPlacement();
      bends.Add(bend);
      taken.push_back(outer);
      found = true;
      break;
    }
  }
  return found;
}

MbResultType UnbendSheetSolid(const MbSolid& solid, MbeCopyMode, const PArray<MbSheetMetalBend>& bends,
                              const MbFace& fixedFace, const MbCartPoint& fixedPoint, const MbSNameMaker&,
                              MbSolid*& result, RPArray<const MbCurve3D>* bendLines) {
  result = nullptr;
  if (!solid.GetShell() || !std::isfinite(fixedPoint.x) || !std::isfinite(fixedPoint.y)) return rt_Error;
  return Unbender(solid, bends, fixedFace).Run(result, bendLines);
}

MbResultType RectifyFace(const MbFace& face, const RectifyValues& values, MbSolid*& result) {
  result = nullptr;
  if (face.GetLoopsCount() == 0) return rt_Error;
  if (auto* cylinder = dynamic_cast<const MbCylinderSurface*>(&face.GetSurface()))
    return DevelopCylinder(face, *cylinder, values, result);
  if (face.GetSurface().IsA() != st_Plane) return rt_NotSupported;
  // A plane face is flat already: it is moved so that `init` lands on the origin of `place`.
  MbPlacement3D from;
  face.GetPlacement(from);
  from.origin = face.GetSurface().PointOn(values.init.x, values.init.y);
  const MbMatrix3D motion = MbMatrix3D::FromTo(from, values.place);
  result = MapFaces({&face}, {[&](const MbFace& f, std::size_t) {
                                auto* moved = new MbFace(*f.GetSurface().Transformed(motion), f.IsSameSense());
                                moved->SetAttributes(f.GetAttributes());
                                return moved;
                              },
                              [&](const MbCurveEdge& edge) { return edge.GetSpaceCurve().Transformed(motion); }});
  return result ? rt_Success : rt_Error;
}
