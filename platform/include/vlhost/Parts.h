#pragma once
// The component tree of a 3D document as plain data, with the recipes of its
// details' bodies: sheet parts (a base plate with flanges bent off its
// straight edges) and blocks. A body's solid is built by the host's geometric
// kernel when the body is added, and again when its document is opened; the
// solid keeps no trace of the recipe.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vlhost {

// A vertex of a loop and the bulge of the edge that leaves it: 0 for a
// straight edge, else tan(a / 4) of the arc's angle a (positive counter-clockwise).
struct SheetVertex {
  double x = 0, y = 0, bulge = 0;
};

// A closed loop in a plate's plane: a circle (radius > 0), or a chain of
// edges from each vertex to the next and from the last back to the first.
struct SheetLoop {
  std::vector<SheetVertex> vertices;
  double cx = 0, cy = 0, radius = 0;

  static SheetLoop Circle(double cx, double cy, double radius);
  static SheetLoop Rectangle(double x0, double y0, double x1, double y1);
  // A rectangle with its corners rounded by `r` (< half its smaller side).
  static SheetLoop Rounded(double x0, double y0, double x1, double y1, double r);
};

// A flange bent off a straight edge of the base plate's outline.
struct Flange {
  int edge = 0;        // the outline's edge from vertex `edge` to the next
  double angle = 90;   // degrees, 0 < angle <= 180
  double radius = 0;   // inner bend radius; 0: the sheet's
  double length = 10;  // straight length beyond the bend
  bool up = true;      // bent towards the side the plate's top (+z) faces
  // Holes in the flange: x along the edge from its start, y from the end of the bend.
  std::vector<SheetLoop> holes;
};

// A sheet part: the base plate lies between z = 0 and z = thickness, its
// outline and holes given in its plane.
struct SheetRecipe {
  double thickness = 1;
  double radius = 1;         // inner bend radius of the flanges that give none
  double coefficient = 0.4;  // the neutral layer lies at radius + coefficient × thickness
  SheetLoop outline;
  std::vector<SheetLoop> holes;  // holes and cut-outs
  std::vector<Flange> flanges;
};

// Where a body stands in its part: turned by rx, ry and rz degrees about the
// x, y and z axes, in that order, then moved by (x, y, z).
struct Pose {
  double x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;
};

struct BuiltBody;  // the body's solid and which recipe element made each face

struct BodyData {
  int64_t id = 0;
  std::wstring name;
  bool sheet = true;
  SheetRecipe recipe;           // of a sheet body
  double size[3] = {1, 1, 1};   // a block's extents along x, y and z
  Pose pose;
  std::shared_ptr<const BuiltBody> built;
};

struct SketchData;  // a sketch: its name, base plane and 2D content

struct PartData {
  std::wstring name;
  std::wstring designation;
  std::wstring fileName;
  std::wstring material;
  bool detail = true;    // false for an assembly
  bool unfold = false;   // the sheet-metal unfold switch
  std::vector<BodyData> bodies;
  std::vector<std::shared_ptr<SketchData>> sketches;
  std::vector<std::shared_ptr<PartData>> children;

  // A new component, appended.
  PartData& Add(const std::wstring& componentName, bool isDetail);
  // Adds a sheet body or a block, with the next free identifier. A recipe
  // that cannot be built adds nothing; the answer says why (empty: added).
  std::wstring AddSheet(const SheetRecipe& recipe, const Pose& pose = {}, const std::wstring& bodyName = L"");
  std::wstring AddBlock(double x, double y, double z, const Pose& pose = {}, const std::wstring& bodyName = L"");
  // Builds a body's solid from its recipe; the answer says why not (empty: built).
  static std::wstring Build(BodyData& body);
};

}  // namespace vlhost
