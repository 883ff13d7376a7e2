#pragma once
// Surfaces, faces, shells and solids of the geometric kernel, and the calls
// that build them.
//
// A face lies on a surface (a plane or a circular cylinder) and is bounded by
// loops of oriented edges, the outer loop first: seen against the face's
// outward normal the outer loop runs counter-clockwise, the others clockwise.
// Each curve edge of a closed solid is used by two faces (a cylinder's seam
// twice by one face). Faces carry attribute bits, which the sheet-metal
// operations read: fa_SheetSide on both sides of a sheet, fa_InnerBend and
// fa_OuterBend on the two faces of a bend.
#include <vector>

#include "kernel/Curves.h"

enum MbeFaceAttribute {
  fa_SheetSide = 2,
  fa_InnerBend = 4,
  fa_OuterBend = 8,
};

// A surface and its parameter ranges (those of the face made on it).
class MB_API MbSurface : public MbRefItem {
 public:
  virtual MbeSpaceType IsA() const = 0;
  virtual MbCartPoint3D PointOn(double u, double v) const = 0;
  // The unit normal of the surface's own sense at (u, v).
  virtual MbVector3D Normal(double u, double v) const = 0;
  virtual MbSurface* Transformed(const MbMatrix3D& motion) const = 0;
  const MbPlacement3D& GetPlacement() const { return place_; }
  double GetUMin() const { return u1_; }
  double GetUMax() const { return u2_; }
  double GetVMin() const { return v1_; }
  double GetVMax() const { return v2_; }
  void SetRanges(double u1, double u2, double v1, double v2);

 protected:
  explicit MbSurface(const MbPlacement3D& place) : place_(place) {}
  MbPlacement3D place_;
  double u1_ = 0, u2_ = 0, v1_ = 0, v2_ = 0;
};

// The XY plane of a placement: P(u, v) = origin + u X + v Y, normal Z.
class MB_API MbPlane : public MbSurface {
 public:
  explicit MbPlane(const MbPlacement3D& place) : MbSurface(place) {}
  MbeSpaceType IsA() const override { return st_Plane; }
  MbCartPoint3D PointOn(double u, double v) const override { return place_.PointOn(u, v); }
  MbVector3D Normal(double, double) const override { return place_.axisZ; }
  MbSurface* Transformed(const MbMatrix3D& motion) const override;
};

// The cylinder of `radius` about the placement's Z axis:
// P(u, v) = origin + radius (cos u X + sin u Y) + v Z, normal away from the axis.
class MB_API MbCylinderSurface : public MbSurface {
 public:
  MbCylinderSurface(const MbPlacement3D& place, double radius) : MbSurface(place), radius_(radius) {}
  MbeSpaceType IsA() const override { return st_CylinderSurface; }
  MbCartPoint3D PointOn(double u, double v) const override;
  MbVector3D Normal(double u, double v) const override;
  MbSurface* Transformed(const MbMatrix3D& motion) const override;
  double GetRadius() const { return radius_; }

 private:
  double radius_;
};

class MbFace;

class MB_API MbCurveEdge : public MbRefItem {
 public:
  explicit MbCurveEdge(const MbCurve3D& curve) : curve_(const_cast<MbCurve3D*>(&curve)) {}
  const MbCurve3D& GetSpaceCurve() const { return *curve_; }
  // The faces that use the edge (the first along its curve's direction when
  // the faces agree); null where none.
  MbFace* GetFacePlus() const { return plus_; }
  MbFace* GetFaceMinus() const { return minus_; }
  void SetFaces(MbFace* plus, MbFace* minus) { plus_ = plus; minus_ = minus; }

 private:
  SPtr<MbCurve3D> curve_;
  MbFace* plus_ = nullptr;
  MbFace* minus_ = nullptr;
};

// A curve edge as a loop runs it: along its curve (orientation true) or back.
class MB_API MbOrientedEdge : public MbRefItem {
 public:
  MbOrientedEdge(const MbCurveEdge& edge, bool orientation)
      : edge_(const_cast<MbCurveEdge*>(&edge)), orientation_(orientation) {}
  MbCurveEdge& GetCurveEdge() const { return *edge_; }
  bool GetOrientation() const { return orientation_; }
  MbCartPoint3D GetBeginPoint() const { return edge_->GetSpaceCurve().GetLimitPoint(orientation_ ? 1 : 2); }
  MbCartPoint3D GetEndPoint() const { return edge_->GetSpaceCurve().GetLimitPoint(orientation_ ? 2 : 1); }
  void Share(const MbCurveEdge& edge, bool orientation) {
    edge_ = const_cast<MbCurveEdge*>(&edge);
    orientation_ = orientation;
  }

 private:
  SPtr<MbCurveEdge> edge_;
  bool orientation_;
};

class MB_API MbLoop : public MbRefItem {
 public:
  std::size_t GetEdgesCount() const { return edges_.size(); }
  MbOrientedEdge* GetOrientedEdge(std::size_t i) const { return i < edges_.size() ? edges_[i].get() : nullptr; }
  void AddEdge(const MbOrientedEdge& edge) { edges_.emplace_back(const_cast<MbOrientedEdge*>(&edge)); }

 private:
  std::vector<SPtr<MbOrientedEdge>> edges_;
};

class MB_API MbFace : public MbRefItem {
 public:
  // `sameSense`: whether the face's outward normal is the surface's normal.
  MbFace(const MbSurface& surface, bool sameSense)
      : surface_(const_cast<MbSurface*>(&surface)), sameSense_(sameSense) {}
  const MbSurface& GetSurface() const { return *surface_; }
  bool IsSameSense() const { return sameSense_; }
  std::size_t GetLoopsCount() const { return loops_.size(); }
  MbLoop* GetLoop(std::size_t i) const { return i < loops_.size() ? loops_[i].get() : nullptr; }
  void AddLoop(const MbLoop& loop) { loops_.emplace_back(const_cast<MbLoop*>(&loop)); }
  int GetAttributes() const { return attributes_; }
  void SetAttributes(int bits) { attributes_ = bits; }

  // The outward unit normal at (u, v) of the surface.
  MbVector3D Normal(double u, double v) const;
  // A plane face gives its plane (Z the outward normal) and true; a curved
  // face its tangent placement at the middle of its parameter ranges and false.
  bool GetPlacement(MbPlacement3D& place) const;
  // Whether the face departs from a plane by no more than `eps`.
  bool IsPlanar(double eps) const;
  void AddYourGabaritTo(MbCube& cube) const;
  // The face's area: its outer loop less its other loops.
  double GetArea() const;

 private:
  SPtr<MbSurface> surface_;
  bool sameSense_;
  std::vector<SPtr<MbLoop>> loops_;
  int attributes_ = 0;
};

class MB_API MbFaceShell : public MbRefItem {
 public:
  std::size_t GetFacesCount() const { return faces_.size(); }
  MbFace* GetFace(std::size_t i) const { return i < faces_.size() ? faces_[i].get() : nullptr; }
  void GetFaces(RPArray<MbFace>& faces) const;
  void AddFace(const MbFace& face) { faces_.emplace_back(const_cast<MbFace*>(&face)); }
  // Whether every edge is used by two faces.
  bool IsClosed() const;

 private:
  std::vector<SPtr<MbFace>> faces_;
};

class MB_API MbSolid : public MbRefItem {
 public:
  explicit MbSolid(const MbFaceShell& shell) : shell_(const_cast<MbFaceShell*>(&shell)) {}
  MbFaceShell* GetShell() const { return shell_.get(); }
  void AddYourGabaritTo(MbCube& cube) const;
  // A new solid: this one moved by `motion`.
  MbSolid* Transformed(const MbMatrix3D& motion) const;

 private:
  SPtr<MbFaceShell> shell_;
};

// Building solids. Loops are given as curves in order around the loop, each
// either way; a loop of one curve is a closed curve.
using MbSpaceCurves = std::vector<SPtr<MbCurve3D>>;

// A plane face on `place`, whose Z axis is the face's outward normal; the
// first loop is the outer one. Null when a loop does not close.
MB_API MbFace* MakePlaneFace(const MbPlacement3D& place, const std::vector<MbSpaceCurves>& loops, int attributes = 0);
// A face on the cylinder of `radius` about the Z axis of `axis`; `outward`
// when its normal points away from the axis. Its curves are segments along the
// axis and arcs about it. Null when a loop does not close.
MB_API MbFace* MakeCylinderFace(const MbPlacement3D& axis, double radius, bool outward,
                                const std::vector<MbSpaceCurves>& loops, int attributes = 0);
// A solid of the faces: edges that two faces have in common become one edge.
MB_API MbSolid* MakeSolid(const std::vector<SPtr<MbFace>>& faces);
// The box of the extents along the axes of `corner` from its origin.
MB_API MbSolid* MakeBox(const MbPlacement3D& corner, double dx, double dy, double dz);
