#pragma once
// Sheet-metal operations of the geometric kernel: finding the bends of a sheet
// solid, unbending it about a fixed face, and developing a curved face.
//
// A sheet solid has flat regions (plates) and cylindrical bends between them;
// both sides of the sheet carry fa_SheetSide, a bend's faces fa_InnerBend and
// fa_OuterBend. Unbending reads nothing but the faces, their surfaces, edges
// and attributes: each bend is developed to angle × (radius + kof × thickness)
// at the inner radius and angle its faces have, and every plate is carried
// into the plane of the fixed face's plate, so that each side of the sheet
// becomes one plane: one face per plate and per developed bend, the bend lines
// the edges they share.
#include "kernel/Topology.h"

// One bend: its two faces and what they measure, and the values an unbending
// is asked to use (its first four fields).
class MB_API MbSheetMetalBend {
 public:
  double kof = 0.5;        // the neutral layer lies at radius + kof × thickness
  double radius = 0;       // inner radius, mm
  double angle = 0;        // bend angle, degrees
  double coneAngle = 0;    // degrees; 0 for a cylindrical bend

  // Filled by CollectBends.
  const MbFace* innerFace = nullptr;
  const MbFace* outerFace = nullptr;
  double innerRadius = 0;  // measured, mm
  double thickness = 0;    // outer radius less inner radius, mm
  double bendAngle = 0;    // measured, degrees
  MbPlacement3D axis;      // Z along the bend's axis
};

class MB_API MbNameMaker {
 public:
  explicit MbNameMaker(int mainName = 0) : mainName_(mainName) {}
  virtual ~MbNameMaker() = default;
  int GetMainName() const { return mainName_; }

 private:
  int mainName_;
};

class MB_API MbSNameMaker : public MbNameMaker {
 public:
  explicit MbSNameMaker(int mainName = 0) : MbNameMaker(mainName) {}
};

// What RectifyFace develops about: the result lies in the XY plane of `place`,
// the surface point at `init` (its u, v) at the origin and the surface's u and
// v directions there along the plane.
struct MB_API RectifyValues {
  MbPlacement3D place;
  MbCartPoint init;
  MbStepData stepData;
  double myu = 0;
  bool faceted = false;
};

// Whether `face` may stay fixed while its solid is unbent: a plane side of the sheet, not a bend face.
MB_API bool IsSuitableForFixed(const MbFace& face);

// Pairs each inner bend face with the outer one on the same axis and angle and
// appends a bend for each pair to `bends`, its asked values set to what the
// faces measure (kof 0.5). True when a bend was found.
MB_API bool CollectBends(const MbFaceShell& shell, const RPArray<MbFace>& innerFaces,
                         const RPArray<MbFace>& outerFaces, PArray<MbSheetMetalBend>& bends);

// Unbends `solid` about `fixedFace` (a face of it) into a new solid in
// `result`. A bend whose asked radius or angle contradicts its faces
// (beyond 0.001 mm or 0.001°), whose kof lies outside [0, 1] or whose cone
// angle is not 0, a bend zone with faces or edges other than its cylinders,
// their end walls and segments and arcs along and about its axis, and bends
// that do not join plates into one chain fail. `bendLines`, when given,
// receives the bend lines of the result.
MB_API MbResultType UnbendSheetSolid(const MbSolid& solid, MbeCopyMode copyMode,
                                     const PArray<MbSheetMetalBend>& bends, const MbFace& fixedFace,
                                     const MbCartPoint& fixedPoint, const MbSNameMaker& names, MbSolid*& result,
                                     RPArray<const MbCurve3D>* bendLines = nullptr);

// Develops a plane or cylindrical face into a one-face solid in `result`
// (see RectifyValues); its edges must be segments along the axis and arcs
// about it.
MB_API MbResultType RectifyFace(const MbFace& face, const RectifyValues& values, MbSolid*& result);
