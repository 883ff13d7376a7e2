#pragma once
// Tolerances, result codes, points, vectors, rigid motions, placements and
// boxes of the geometric kernel. Lengths are millimetres, angles radians
// unless a name says degrees.
#include <cmath>

#include "kernel/RefItem.h"

namespace Math {
inline constexpr double metricRegion = 1e-5;  // lengths closer than this are equal
inline constexpr double angleRegion = 1e-7;   // directions closer than this are parallel
inline constexpr double visualSag = 0.05;     // deviation of chords from curves in pictures
inline constexpr double PI2 = 6.28318530717958647692;
}  // namespace Math

// The version of the kernel's file format; operations that may change from one
// version to the next take it.
using VERSION = unsigned int;
MB_API VERSION GetCurrentMathFileVersion();

enum MbResultType {
  rt_Success = 0,
  rt_Error = 1,           // the input is not what the operation works on
  rt_ParameterError = 2,  // a given value contradicts the geometry
  rt_NotSupported = 3,    // a face or an edge of a kind the operation does not handle
  rt_TopologyError = 4,   // faces that do not make one connected sheet
};

enum MbeCopyMode {
  cm_Same = 0,
  cm_KeepHistory = 1,
  cm_KeepSurface = 2,
  cm_Copy = 3,
};

enum MbeStepType {
  ist_SpaceStep = 1,  // by a deviation in space
  ist_ParamStep = 2,
};

class IProgressIndicator;

// How finely a curve or a surface is stepped.
struct MB_API MbStepData {
  MbStepData(MbeStepType type = ist_SpaceStep, double sag = Math::visualSag, IProgressIndicator* progress = nullptr)
      : type(type), sag(sag), progress(progress) {}
  MbeStepType type;
  double sag;
  IProgressIndicator* progress;
};

struct MB_API MbCartPoint {
  double x = 0, y = 0;
  MbCartPoint() = default;
  MbCartPoint(double x, double y) : x(x), y(y) {}
};

struct MB_API MbVector3D {
  double x = 0, y = 0, z = 0;
  MbVector3D() = default;
  MbVector3D(double x, double y, double z) : x(x), y(y), z(z) {}
  double Length() const { return std::sqrt(x * x + y * y + z * z); }
  // The unit vector along this one; the vector itself when it has no length.
  MbVector3D Normalized() const;
  friend MbVector3D operator+(MbVector3D a, MbVector3D b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  friend MbVector3D operator-(MbVector3D a, MbVector3D b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend MbVector3D operator-(MbVector3D a) { return {-a.x, -a.y, -a.z}; }
  friend MbVector3D operator*(MbVector3D a, double k) { return {a.x * k, a.y * k, a.z * k}; }
  friend MbVector3D operator*(double k, MbVector3D a) { return a * k; }
};

inline double Dot(const MbVector3D& a, const MbVector3D& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline MbVector3D Cross(const MbVector3D& a, const MbVector3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct MB_API MbCartPoint3D {
  double x = 0, y = 0, z = 0;
  MbCartPoint3D() = default;
  MbCartPoint3D(double x, double y, double z) : x(x), y(y), z(z) {}
  double DistanceToPoint(const MbCartPoint3D& p) const { return std::sqrt(Sq(x - p.x) + Sq(y - p.y) + Sq(z - p.z)); }
  friend MbVector3D operator-(const MbCartPoint3D& a, const MbCartPoint3D& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
  friend MbCartPoint3D operator+(const MbCartPoint3D& a, const MbVector3D& v) { return {a.x + v.x, a.y + v.y, a.z + v.z}; }
  friend MbCartPoint3D operator-(const MbCartPoint3D& a, const MbVector3D& v) { return {a.x - v.x, a.y - v.y, a.z - v.z}; }

 private:
  static double Sq(double v) { return v * v; }
};

class MbPlacement3D;

// A rigid motion (a turn followed by a shift): p -> R p + t.
class MB_API MbMatrix3D {
 public:
  MbMatrix3D() = default;
  static MbMatrix3D Shift(const MbVector3D& by);
  // A turn by `angle` counter-clockwise about the line through `point` along `axis`.
  static MbMatrix3D Turn(const MbCartPoint3D& point, const MbVector3D& axis, double angle);
  // The motion that carries `from` onto `to`, axis by axis.
  static MbMatrix3D FromTo(const MbPlacement3D& from, const MbPlacement3D& to);
  // This motion followed by `next`.
  MbMatrix3D Then(const MbMatrix3D& next) const;
  MbCartPoint3D Apply(const MbCartPoint3D& p) const;
  MbVector3D Apply(const MbVector3D& v) const;

 private:
  double r_[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  double t_[3] = {0, 0, 0};
};

// A local coordinate system: an origin and three unit axes. A right-handed
// one has axisZ = axisX × axisY; `flag` marks a left-handed one.
class MB_API MbPlacement3D {
 public:
  MbCartPoint3D origin;
  MbVector3D axisX{1, 0, 0}, axisY{0, 1, 0}, axisZ{0, 0, 1};
  bool flag = false;

  MbPlacement3D() = default;
  // Origin and Z axis given; X and Y chosen square to it.
  MbPlacement3D(const MbCartPoint3D& origin, const MbVector3D& axisZ, bool left);
  // Origin, X axis and a direction in the XY plane; Z = X × Y.
  MbPlacement3D(const MbCartPoint3D& origin, const MbVector3D& axisX, const MbVector3D& inPlaneY);

  MbCartPoint3D PointOn(double x, double y, double z = 0) const;
  // The coordinates (x, y) of the point's projection onto the XY plane.
  MbCartPoint PointProjection(const MbCartPoint3D& p) const;
  double Height(const MbCartPoint3D& p) const { return Dot(p - origin, axisZ); }
  // Whether both XY planes are one plane: Z axes parallel (either way) within
  // `angleEps` and each origin in the other's plane within Math::metricRegion.
  bool Complanar(const MbPlacement3D& other, double angleEps) const;
  void Transform(const MbMatrix3D& motion);
  // The same plane seen from its other side (Z and Y reversed).
  MbPlacement3D Reversed() const;
};

// An axis-parallel box; a new box is empty and takes in what is added to it.
class MB_API MbCube {
 public:
  MbCartPoint3D pmin{1e300, 1e300, 1e300};
  MbCartPoint3D pmax{-1e300, -1e300, -1e300};

  bool IsEmpty() const { return pmin.x > pmax.x || pmin.y > pmax.y || pmin.z > pmax.z; }
  MbCube& operator|=(const MbCartPoint3D& p);
  MbCube& operator|=(const MbCube& other);
  double GetLengthX() const { return IsEmpty() ? 0 : pmax.x - pmin.x; }
  double GetLengthY() const { return IsEmpty() ? 0 : pmax.y - pmin.y; }
  double GetLengthZ() const { return IsEmpty() ? 0 : pmax.z - pmin.z; }
  // The product of the box's extents that are larger than `eps`: a flat box
  // measures its area, a thin one its length; 0 for an empty box or a point.
  double GetVolume(double eps) const;
};
