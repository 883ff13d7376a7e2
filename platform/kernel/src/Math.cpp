// Reference counting, rigid motions, placements and boxes.
#include <algorithm>

#include "kernel/Math.h"

MbRefItem::~MbRefItem() = default;

long MbRefItem::Release() const {
  const long left = --refs_;
  if (left == 0) delete this;
  return left;
}

VERSION GetCurrentMathFileVersion() { return 0x01000000; }

MbVector3D MbVector3D::Normalized() const {
  const double length = Length();
  return length > 0 ? *this * (1 / length) : *this;
}

MbMatrix3D MbMatrix3D::Shift(const MbVector3D& by) {
  MbMatrix3D m;
  m.t_[0] = by.x;
  m.t_[1] = by.y;
  m.t_[2] = by.z;
  return m;
}

MbMatrix3D MbMatrix3D::Turn(const MbCartPoint3D& point, const MbVector3D& axis, double angle) {
  const MbVector3D k = axis.Normalized();
  const double c = std::cos(angle), s = std::sin(angle), v = 1 - c;
  MbMatrix3D m;
  const double r[3][3] = {{c + k.x * k.x * v, k.x * k.y * v - k.z * s, k.x * k.z * v + k.y * s},
                          {k.y * k.x * v + k.z * s, c + k.y * k.y * v, k.y * k.z * v - k.x * s},
                          {k.z * k.x * v - k.y * s, k.z * k.y * v + k.x * s, c + k.z * k.z * v}};
  std::copy(&r[0][0], &r[0][0] + 9, &m.r_[0][0]);
  // The axis point stays where it is: t = p - R p.
  const MbVector3D p(point.x, point.y, point.z);
  const MbVector3D turned = m.Apply(p);
  m.t_[0] = p.x - turned.x;
  m.t_[1] = p.y - turned.y;
  m.t_[2] = p.z - turned.z;
  return m;
}

MbMatrix3D MbMatrix3D::Then(const MbMatrix3D& next) const {
  MbMatrix3D m;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      m.r_[i][j] = 0;
      for (int k = 0; k < 3; ++k) m.r_[i][j] += next.r_[i][k] * r_[k][j];
    }
    m.t_[i] = next.t_[i];
    for (int k = 0; k < 3; ++k) m.t_[i] += next.r_[i][k] * t_[k];
  }
  return m;
}

MbVector3D MbMatrix3D::Apply(const MbVector3D& v) const {
  return {r_[0][0] * v.x + r_[0][1] * v.y + r_[0][2] * v.z, r_[1][0] * v.x + r_[1][1] * v.y + r_[1][2] * v.z,
          r_[2][0] * v.x + r_[2][1] * v.y + r_[2][2] * v.z};
}

MbCartPoint3D MbMatrix3D::Apply(const MbCartPoint3D& p) const {
  const MbVector3D v = Apply(MbVector3D(p.x, p.y, p.z));
  return {v.x + t_[0], v.y + t_[1], v.z + t_[2]};
}

MbPlacement3D::MbPlacement3D(const MbCartPoint3D& o, const MbVector3D& z, bool left) : origin(o), flag(left) {
  axisZ = z.Normalized();
  // X along the world axis most square to Z.
  const double ax = std::abs(axisZ.x), ay = std::abs(axisZ.y), az = std::abs(axisZ.z);
  const MbVector3D world = ax <= ay && ax <= az ? MbVector3D(1, 0, 0) : ay <= az ? MbVector3D(0, 1, 0) : MbVector3D(0, 0, 1);
  axisX = (world - axisZ * Dot(world, axisZ)).Normalized();
  axisY = Cross(axisZ, axisX);
  if (left) axisY = -axisY;
}

MbPlacement3D::MbPlacement3D(const MbCartPoint3D& o, const MbVector3D& x, const MbVector3D& inPlaneY) : origin(o) {
  axisX = x.Normalized();
  axisY = (inPlaneY - axisX * Dot(inPlaneY, axisX)).Normalized();
  axisZ = Cross(axisX, axisY);
}

MbCartPoint3D MbPlacement3D::PointOn(double x, double y, double z) const {
  return origin + axisX * x + axisY * y + axisZ * z;
}

MbCartPoint MbPlacement3D::PointProjection(const MbCartPoint3D& p) const {
  const MbVector3D d = p - origin;
  return {Dot(d, axisX), Dot(d, axisY)};
}

bool MbPlacement3D::Complanar(const MbPlacement3D& other, double angleEps) const {
  if (Cross(axisZ, other.axisZ).Length() > angleEps) return false;
  return std::abs(Height(other.origin)) <= Math::metricRegion && std::abs(other.Height(origin)) <= Math::metricRegion;
}

void MbPlacement3D::Transform(const MbMatrix3D& motion) {
  origin = motion.Apply(origin);
  axisX = motion.Apply(axisX);
  axisY = motion.Apply(axisY);
  axisZ = motion.Apply(axisZ);
}

MbPlacement3D MbPlacement3D::Reversed() const {
  MbPlacement3D p = *this;
  p.axisY = -axisY;
  p.axisZ = -axisZ;
  return p;
}

MbCube& MbCube::operator|=(const MbCartPoint3D& p) {
  pmin = {std::min(pmin.x, p.x), std::min(pmin.y, p.y), std::min(pmin.z, p.z)};
  pmax = {std::max(pmax.x, p.x), std::max(pmax.y, p.y), std::max(pmax.z, p.z)};
  return *this;
}

MbCube& MbCube::operator|=(const MbCube& other) {
  if (!other.IsEmpty()) {
    *this |= other.pmin;
    *this |= other.pmax;
  }
  return *this;
}

double MbCube::GetVolume(double eps) const {
  if (IsEmpty()) return 0;
  double volume = 1;
  bool any = false;
  for (double extent : {GetLengthX(), GetLengthY(), GetLengthZ()}) {
    if (extent > eps) {
      volume *= extent;
      any = true;
    }
  }
  return any ? volume : 0;
}

MbMatrix3D MbMatrix3D::FromTo(const MbPlacement3D& from, const MbPlacement3D& to) {
  // R = Σ to.axis ⊗ from.axis, t = to.origin - R from.origin.
  MbMatrix3D m;
  const MbVector3D f[3] = {from.axisX, from.axisY, from.axisZ};
  const MbVector3D g[3] = {to.axisX, to.axisY, to.axisZ};
  const double fc[3][3] = {{f[0].x, f[0].y, f[0].z}, {f[1].x, f[1].y, f[1].z}, {f[2].x, f[2].y, f[2].z}};
  const double gc[3][3] = {{g[0].x, g[0].y, g[0].z}, {g[1].x, g[1].y, g[1].z}, {g[2].x, g[2].y, g[2].z}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      m.r_[i][j] = 0;
      for (int k = 0; k < 3; ++k) m.r_[i][j] += gc[k][i] * fc[k][j];
    }
  const MbCartPoint3D moved = m.Apply(from.origin);
  m.t_[0] = to.origin.x - moved.x;
  m.t_[1] = to.origin.y - moved.y;
  m.t_[2] = to.origin.z - moved.z;
  return m;
}
