#pragma once
// Plane curves (segments, circular arcs, NURBS) and space curves (segments,
// circular arcs) of the geometric kernel.
#include <vector>

#include "kernel/Math.h"

enum MbePlaneType {
  pt_Curve = 200,
  pt_LineSegment = 203,
  pt_Arc = 204,
  pt_Nurbs = 210,
};

enum MbeSpaceType {
  st_Curve3D = 300,
  st_LineSegment3D = 303,
  st_Arc3D = 304,
  st_Surface = 400,
  st_Plane = 402,
  st_CylinderSurface = 403,
};

class MbNurbs;

// A plane curve, run from its start (parameter GetTMin) to its end (GetTMax).
class MB_API MbCurve : public MbRefItem {
 public:
  virtual MbePlaneType IsA() const = 0;
  virtual double GetTMin() const = 0;
  virtual double GetTMax() const = 0;
  virtual MbCartPoint PointOn(double t) const = 0;
  // 1: the start point, 2: the end point.
  MbCartPoint GetLimitPoint(int number) const { return PointOn(number == 1 ? GetTMin() : GetTMax()); }
  virtual bool IsClosed() const;
  // The curve as a NURBS (a new object): segments of degree 1, arcs as exact
  // rational quadratic pieces. Degree, points, weights and knots follow the
  // host's convention: points + degree + 1 knots.
  virtual MbNurbs* NurbsCurve() const = 0;
  // Whether both curves are one set of points within `accuracy`, whichever way each runs.
  bool IsSame(const MbCurve& other, double accuracy) const;
  // Points from start to end whose chords stay within `sag` of the curve
  // (a closed curve repeats its start); `points` is replaced.
  void CalculatePolygon(double sag, std::vector<MbCartPoint>& points) const;
};

class MB_API MbLineSegment : public MbCurve {
 public:
  MbLineSegment(const MbCartPoint& p1, const MbCartPoint& p2) : p1_(p1), p2_(p2) {}
  MbePlaneType IsA() const override { return pt_LineSegment; }
  double GetTMin() const override { return 0; }
  double GetTMax() const override { return 1; }
  MbCartPoint PointOn(double t) const override;
  bool IsClosed() const override { return false; }
  MbNurbs* NurbsCurve() const override;
  const MbCartPoint& GetPoint1() const { return p1_; }
  const MbCartPoint& GetPoint2() const { return p2_; }

 private:
  MbCartPoint p1_, p2_;
};

// A circular arc about `centre` from the angle `start`, turning by `sweep`
// (positive counter-clockwise, at most a whole turn); the parameter runs
// from 0 to |sweep|.
class MB_API MbArc : public MbCurve {
 public:
  MbArc(const MbCartPoint& centre, double radius, double start, double sweep)
      : centre_(centre), radius_(radius), start_(start), sweep_(sweep) {}
  MbePlaneType IsA() const override { return pt_Arc; }
  double GetTMin() const override { return 0; }
  double GetTMax() const override { return std::abs(sweep_); }
  MbCartPoint PointOn(double t) const override;
  MbNurbs* NurbsCurve() const override;
  // A whole turn within `eps` (radians).
  bool IsCircle(double eps) const { return std::abs(std::abs(sweep_) - Math::PI2) < eps; }
  const MbCartPoint& GetCentre() const { return centre_; }
  double GetRadius() const { return radius_; }
  double GetStartAngle() const { return start_; }
  double GetSweep() const { return sweep_; }
  // The point halfway along the arc.
  MbCartPoint GetMiddlePoint() const { return PointOn(0.5 * GetTMax()); }

 private:
  MbCartPoint centre_;
  double radius_, start_, sweep_;
};

class MB_API MbNurbs : public MbCurve {
 public:
  MbNurbs(int degree, std::vector<MbCartPoint> points, std::vector<double> weights, std::vector<double> knots,
          bool closed);
  MbePlaneType IsA() const override { return pt_Nurbs; }
  double GetTMin() const override;
  double GetTMax() const override;
  MbCartPoint PointOn(double t) const override;
  bool IsClosed() const override { return closed_; }
  MbNurbs* NurbsCurve() const override { return new MbNurbs(*this); }
  int GetDegree() const { return degree_; }
  const std::vector<MbCartPoint>& GetPoints() const { return points_; }
  const std::vector<double>& GetWeights() const { return weights_; }
  const std::vector<double>& GetKnots() const { return knots_; }

 private:
  int degree_;
  std::vector<MbCartPoint> points_;
  std::vector<double> weights_;
  std::vector<double> knots_;
  bool closed_;
};

// A space curve, run from GetTMin to GetTMax.
class MB_API MbCurve3D : public MbRefItem {
 public:
  virtual MbeSpaceType IsA() const = 0;
  virtual double GetTMin() const = 0;
  virtual double GetTMax() const = 0;
  virtual MbCartPoint3D PointOn(double t) const = 0;
  MbCartPoint3D GetLimitPoint(int number) const { return PointOn(number == 1 ? GetTMin() : GetTMax()); }
  // The point at the fraction `f` of the parameter range.
  MbCartPoint3D PointAtFraction(double f) const { return PointOn(GetTMin() + f * (GetTMax() - GetTMin())); }
  bool IsClosed() const;
  // A new curve, moved by `motion`.
  virtual MbCurve3D* Transformed(const MbMatrix3D& motion) const = 0;
  // The curve's orthogonal projection onto the XY plane of `place`, as a new
  // plane curve in its coordinates: a segment stays a segment, an arc in a
  // parallel plane an arc, any other arc becomes an exact NURBS.
  virtual MbCurve* GetProjection(const MbPlacement3D& place, VERSION version) const = 0;
  virtual void AddYourGabaritTo(MbCube& cube) const = 0;
  // Whether both curves are one set of points within `accuracy`; `sameWay`
  // tells whether they run the same way.
  bool IsSame(const MbCurve3D& other, double accuracy, bool* sameWay = nullptr) const;
};

class MB_API MbLineSegment3D : public MbCurve3D {
 public:
  MbLineSegment3D(const MbCartPoint3D& p1, const MbCartPoint3D& p2) : p1_(p1), p2_(p2) {}
  MbeSpaceType IsA() const override { return st_LineSegment3D; }
  double GetTMin() const override { return 0; }
  double GetTMax() const override { return 1; }
  MbCartPoint3D PointOn(double t) const override { return p1_ + (p2_ - p1_) * t; }
  MbCurve3D* Transformed(const MbMatrix3D& motion) const override;
  MbCurve* GetProjection(const MbPlacement3D& place, VERSION version) const override;
  void AddYourGabaritTo(MbCube& cube) const override;
  const MbCartPoint3D& GetPoint1() const { return p1_; }
  const MbCartPoint3D& GetPoint2() const { return p2_; }

 private:
  MbCartPoint3D p1_, p2_;
};

// A circular arc in the XY plane of `place` about its origin, from the angle
// t1 to t2 (t1 < t2, at most a whole turn apart) counter-clockwise about its Z
// axis; the parameter is the angle.
class MB_API MbArc3D : public MbCurve3D {
 public:
  MbArc3D(const MbPlacement3D& place, double radius, double t1, double t2)
      : place_(place), radius_(radius), t1_(t1), t2_(t2) {}
  MbeSpaceType IsA() const override { return st_Arc3D; }
  double GetTMin() const override { return t1_; }
  double GetTMax() const override { return t2_; }
  MbCartPoint3D PointOn(double t) const override;
  MbCurve3D* Transformed(const MbMatrix3D& motion) const override;
  MbCurve* GetProjection(const MbPlacement3D& place, VERSION version) const override;
  void AddYourGabaritTo(MbCube& cube) const override;
  const MbPlacement3D& GetPlacement() const { return place_; }
  const MbCartPoint3D& GetCentre() const { return place_.origin; }
  double GetRadius() const { return radius_; }

 private:
  MbPlacement3D place_;
  double radius_, t1_, t2_;
};
