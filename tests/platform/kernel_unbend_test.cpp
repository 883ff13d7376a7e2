// The geometric kernel on the test parts: bends found from faces alone,
// unbending to the closed forms (also for turned copies), refusals of bends
// that contradict their faces, development of curved faces and box volumes.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "kernel/Kernel.h"
#include "model3d/Body.h"
#include "vlhost/TestParts.h"

namespace {

using vlhost::testparts::FlatPattern;
using vlhost::testparts::TestPart;

constexpr double kPi = 3.14159265358979323846;

SPtr<MbSolid> Solid(const vlhost::SheetRecipe& recipe, const vlhost::Pose& pose = {}) {
  vlhost::PartData part;
  const std::wstring error = part.AddSheet(recipe, pose);
  EXPECT_EQ(error, L"");
  return error.empty() ? part.bodies[0].built->solid : nullptr;
}

// A sheet solid's bends and fixed face, found as a caller finds them: by the faces' attribute bits.
struct Sheet {
  MbFace* fixed = nullptr;
  MbCartPoint fixedPoint;
  PArray<MbSheetMetalBend> bends;
};

void Prepare(const MbSolid& solid, Sheet& sheet) {
  RPArray<MbFace> inner, outer;
  const MbFaceShell& shell = *solid.GetShell();
  for (std::size_t i = 0; i < shell.GetFacesCount(); ++i) {
    MbFace* face = shell.GetFace(i);
    const int bits = face->GetAttributes();
    if (!(bits & fa_SheetSide)) continue;
    if (bits & fa_InnerBend) inner.Add(face);
    else if (bits & fa_OuterBend) outer.Add(face);
    if (!sheet.fixed && IsSuitableForFixed(*face)) {
      sheet.fixed = face;
      const MbSurface& s = face->GetSurface();
      sheet.fixedPoint = {(s.GetUMin() + s.GetUMax()) / 2, (s.GetVMin() + s.GetVMax()) / 2};
    }
  }
  CollectBends(shell, inner, outer, sheet.bends);
}

// The flat solid as seen in the fixed face's plane: its faces there, their
// edges projected, an edge met twice a bend line.
struct Reading {
  std::vector<SPtr<MbCurve>> outline, bendLines;
  double area = 0;
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
};

Reading Read(const MbSolid& flat, const MbFace& fixed) {
  Reading r;
  MbPlacement3D place;
  fixed.GetPlacement(place);
  const MbFaceShell& shell = *flat.GetShell();
  for (std::size_t i = 0; i < shell.GetFacesCount(); ++i) {
    const MbFace& face = *shell.GetFace(i);
    MbPlacement3D own;
    face.GetPlacement(own);  // a curved face gives its tangent placement, never the sheet's plane
    if (!own.Complanar(place, Math::angleRegion)) continue;
    r.area += face.GetArea();
    for (std::size_t l = 0; l < face.GetLoopsCount(); ++l)
      for (std::size_t e = 0; e < face.GetLoop(l)->GetEdgesCount(); ++e) {
        SPtr<MbCurve> curve(face.GetLoop(l)->GetOrientedEdge(e)->GetCurveEdge().GetSpaceCurve().GetProjection(
            place, GetCurrentMathFileVersion()));
        auto twin = std::find_if(r.outline.begin(), r.outline.end(), [&](const auto& c) { return c->IsSame(*curve, 1e-4); });
        if (twin != r.outline.end()) {
          r.outline.erase(twin);
          r.bendLines.push_back(curve);
        } else {
          r.outline.push_back(curve);
        }
      }
  }
  for (const auto& curve : r.outline) {
    std::vector<MbCartPoint> points;
    curve->CalculatePolygon(1e-4, points);
    for (const MbCartPoint& p : points) {
      r.minX = std::min(r.minX, p.x), r.maxX = std::max(r.maxX, p.x);
      r.minY = std::min(r.minY, p.y), r.maxY = std::max(r.maxY, p.y);
    }
  }
  return r;
}

const vlhost::Pose kTurned{120, -35, 410, 30, 45, 60};

// An L bracket folded flat onto itself, downwards: its flange turns by 180°.
TestPart Hem() {
  TestPart part = vlhost::testparts::LBracket();
  part.recipe.flanges[0].angle = 180;
  part.recipe.flanges[0].up = false;
  const double bend = kPi * (3 + 0.4 * 2), grow = bend - kPi / 2 * (3 + 0.4 * 2);
  part.flat.maxX += grow;
  part.flat.area += grow * part.flat.width;
  part.flat.bendLines[1] += grow;
  return part;
}

// Each test part, also turned, develops to its closed form.
TEST(UnbendTest, DevelopsToTheClosedForms) {
  const struct {
    const char* name;
    TestPart part;
    vlhost::Pose pose;
  } cases[] = {{"LBracket", vlhost::testparts::LBracket(), {}},
               {"LBracketTurned", vlhost::testparts::LBracket(), kTurned},
               {"UChannel", vlhost::testparts::UChannel(), {}},
               {"UChannelThick", vlhost::testparts::UChannel(10, 10, 0.4, 100, 60, 40, 80), kTurned},
               {"HolePlate", vlhost::testparts::HolePlate(), {}},
               {"HolePlateTurned", vlhost::testparts::HolePlate(), kTurned},
               {"TwoBends", vlhost::testparts::TwoBends(), {}},
               {"TwoBendsTurned", vlhost::testparts::TwoBends(), kTurned},
               {"Hem", Hem(), kTurned}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SPtr<MbSolid> solid = Solid(c.part.recipe, c.pose);
    ASSERT_TRUE(solid);
    EXPECT_TRUE(solid->GetShell()->IsClosed());
    Sheet sheet;
    Prepare(*solid, sheet);
    ASSERT_TRUE(sheet.fixed);
    ASSERT_EQ(sheet.bends.Count(), c.part.recipe.flanges.size());
    for (std::size_t i = 0; i < sheet.bends.Count(); ++i) sheet.bends[i]->kof = c.part.recipe.coefficient;

    MbSolid* result = nullptr;
    RPArray<const MbCurve3D> lines;
    ASSERT_EQ(UnbendSheetSolid(*solid, cm_KeepHistory, sheet.bends, *sheet.fixed, sheet.fixedPoint, MbSNameMaker(),
                               result, &lines),
              rt_Success);
    SPtr<MbSolid> flat(result);
    EXPECT_TRUE(flat->GetShell()->IsClosed());
    EXPECT_EQ(lines.Count(), 4 * c.part.recipe.flanges.size());  // two per bend on each side

    const FlatPattern& expected = c.part.flat;
    const Reading r = Read(*flat, *sheet.fixed);
    EXPECT_NEAR(r.minX, expected.minX, 0.01);
    EXPECT_NEAR(r.maxX, expected.maxX, 0.01);
    EXPECT_NEAR(r.maxY - r.minY, expected.width, 0.01);
    EXPECT_NEAR(r.area, expected.area, expected.area * 1e-4);
    std::vector<double> bendX;
    for (const auto& line : r.bendLines) {
      const MbCartPoint a = line->GetLimitPoint(1), b = line->GetLimitPoint(2);
      EXPECT_NEAR(a.x, b.x, 1e-6) << "a bend line runs across the development";
      bendX.push_back(a.x);
    }
    std::sort(bendX.begin(), bendX.end());
    ASSERT_EQ(bendX.size(), expected.bendLines.size());
    for (std::size_t i = 0; i < bendX.size(); ++i) EXPECT_NEAR(bendX[i], expected.bendLines[i], 0.01);
  }
}

TEST(UnbendTest, TheClosedFormOfTheLBracket) {
  EXPECT_NEAR(vlhost::testparts::LBracket().flat.Length(), 105.969, 5e-4);
}

// A bend is unbent only with the radius and angle its faces have, a
// coefficient within [0, 1] and no cone.
TEST(UnbendTest, BendsThatContradictTheirFacesFail) {
  SPtr<MbSolid> solid = Solid(vlhost::testparts::LBracket().recipe);
  struct Wrong {
    void (*spoil)(MbSheetMetalBend&);
    MbResultType result;
  };
  const Wrong cases[] = {{[](MbSheetMetalBend& b) { b.radius = 4; }, rt_ParameterError},
                         {[](MbSheetMetalBend& b) { b.angle = 0; }, rt_ParameterError},
                         {[](MbSheetMetalBend& b) { b.angle = 60; }, rt_ParameterError},
                         {[](MbSheetMetalBend& b) { b.kof = 1.5; }, rt_ParameterError},
                         {[](MbSheetMetalBend& b) { b.coneAngle = 5; }, rt_NotSupported},
                         {[](MbSheetMetalBend& b) { b.radius = 3.0005; }, rt_Success}};
  for (const Wrong& wrong : cases) {
    Sheet sheet;
    Prepare(*solid, sheet);
    wrong.spoil(*sheet.bends[0]);
    MbSolid* result = nullptr;
    EXPECT_EQ(UnbendSheetSolid(*solid, cm_KeepHistory, sheet.bends, *sheet.fixed, sheet.fixedPoint, MbSNameMaker(),
                               result),
              wrong.result);
    EXPECT_EQ(result != nullptr, wrong.result == rt_Success);
    SPtr<MbSolid> drop(result);
  }
  // A bend face cannot stay fixed.
  Sheet sheet;
  Prepare(*solid, sheet);
  MbSolid* result = nullptr;
  EXPECT_FALSE(IsSuitableForFixed(*sheet.bends[0]->innerFace));
  EXPECT_EQ(UnbendSheetSolid(*solid, cm_KeepHistory, sheet.bends, *sheet.bends[0]->innerFace, {}, MbSNameMaker(), result),
            rt_Error);
}

TEST(UnbendTest, BlockHasNoSheetFaceAndNoBend) {
  vlhost::PartData part;
  ASSERT_EQ(part.AddBlock(40, 30, 20), L"");
  SPtr<MbSolid> block = part.bodies[0].built->solid;
  Sheet sheet;
  Prepare(*block, sheet);
  EXPECT_FALSE(sheet.fixed);
  EXPECT_EQ(sheet.bends.Count(), 0u);
  EXPECT_TRUE(block->GetShell()->IsClosed());
  MbCube box;
  block->AddYourGabaritTo(box);
  EXPECT_NEAR(box.GetVolume(Math::metricRegion), 40 * 30 * 20, 1e-9);
}

// Development of a face about a tangent placement, as a caller makes it.
TEST(RectifyTest, CylinderFacesDevelopToTheirUnrolledArea) {
  struct Turn {
    double sweep;
    bool outward;
  };
  const double R = 10, h = 25;
  for (const Turn turn : {Turn{kPi, true}, Turn{kPi, false}, Turn{2 * kPi, true}, Turn{kPi / 3, false}}) {
    const MbPlacement3D axis(MbCartPoint3D(5, -3, 7), MbVector3D(1, 2, 2), false);
    auto arc = [&](double v) {
      MbPlacement3D at = axis;
      at.origin = axis.PointOn(0, 0, v);
      return SPtr<MbCurve3D>(new MbArc3D(at, R, 0, turn.sweep));
    };
    auto line = [&](double u) {
      return SPtr<MbCurve3D>(new MbLineSegment3D(axis.PointOn(R * std::cos(u), R * std::sin(u), 0),
                                                 axis.PointOn(R * std::cos(u), R * std::sin(u), h)));
    };
    SPtr<MbFace> face(MakeCylinderFace(axis, R, turn.outward, {{arc(0), line(turn.sweep), arc(h), line(0)}}));
    ASSERT_TRUE(face);
    EXPECT_NEAR(face->GetArea(), turn.sweep * R * h, 1e-9);
    EXPECT_FALSE(face->IsPlanar(1e-8));

    const MbSurface& s = face->GetSurface();
    const double u = (s.GetUMin() + s.GetUMax()) / 2, v = (s.GetVMin() + s.GetVMax()) / 2;
    RectifyValues values{MbPlacement3D(s.PointOn(u, v), face->Normal(u, v), false), MbCartPoint(u, v),
                         MbStepData(ist_SpaceStep, Math::visualSag), 0, false};
    MbSolid* result = nullptr;
    ASSERT_EQ(RectifyFace(*face, values, result), rt_Success);
    SPtr<MbSolid> developed(result);
    ASSERT_EQ(developed->GetShell()->GetFacesCount(), 1u);
    const MbFace& flat = *developed->GetShell()->GetFace(0);
    EXPECT_TRUE(flat.IsPlanar(1e-8));
    EXPECT_NEAR(flat.GetArea(), turn.sweep * R * h, 1e-6);
    MbPlacement3D place;
    flat.GetPlacement(place);
    EXPECT_TRUE(place.Complanar(values.place, Math::angleRegion));
  }
}

// Each face's box is the box of its points: its edges and, on a cylinder, the
// lines of the surface between them.
TEST(KernelTest, FaceBoxesHoldTheirFacesTightly) {
  for (const auto& part : {vlhost::testparts::TwoBends(), vlhost::testparts::HolePlate()}) {
    SPtr<MbSolid> solid = Solid(part.recipe, {7, 8, 9, 20, -35, 50});
    const MbFaceShell& shell = *solid->GetShell();
    for (std::size_t f = 0; f < shell.GetFacesCount(); ++f) {
      const MbFace& face = *shell.GetFace(f);
      MbCube box, sampled;
      face.AddYourGabaritTo(box);
      for (std::size_t l = 0; l < face.GetLoopsCount(); ++l)
        for (std::size_t e = 0; e < face.GetLoop(l)->GetEdgesCount(); ++e)
          for (int i = 0; i <= 400; ++i)
            sampled |= face.GetLoop(l)->GetOrientedEdge(e)->GetCurveEdge().GetSpaceCurve().PointAtFraction(i / 400.0);
      const MbSurface& s = face.GetSurface();
      if (s.IsA() == st_CylinderSurface)
        for (int i = 0; i <= 400; ++i)
          for (double v : {s.GetVMin(), s.GetVMax()}) sampled |= s.PointOn(s.GetUMin() + i * (s.GetUMax() - s.GetUMin()) / 400, v);
      for (auto [lo, hi, slo, shi] : {std::tuple{box.pmin.x, box.pmax.x, sampled.pmin.x, sampled.pmax.x},
                                      std::tuple{box.pmin.y, box.pmax.y, sampled.pmin.y, sampled.pmax.y},
                                      std::tuple{box.pmin.z, box.pmax.z, sampled.pmin.z, sampled.pmax.z}}) {
        EXPECT_LE(lo, slo + 1e-9) << "face " << f;
        EXPECT_GE(hi, shi - 1e-9) << "face " << f;
        EXPECT_NEAR(lo, slo, 1e-3) << "face " << f;
        EXPECT_NEAR(hi, shi, 1e-3) << "face " << f;
      }
    }
  }
}

TEST(KernelTest, BoxVolumeMultipliesOnlyTheExtentsBeyondTheTolerance) {
  struct Box {
    MbCartPoint3D a, b;
    double volume;
  };
  const Box boxes[] = {{{0, 0, 0}, {2, 3, 4}, 24},           {{0, 0, 5}, {60, 40, 5}, 2400},
                       {{1, 1, 1}, {1, 1, 1 + 1e-9}, 0},      {{0, 0, 0}, {7, 1e-7, 0}, 7},
                       {{-1, 2, 3}, {-1 + 1e-6, 12, 8}, 50}};
  for (const Box& b : boxes) {
    MbCube cube;
    cube |= b.a;
    cube |= b.b;
    EXPECT_NEAR(cube.GetVolume(Math::metricRegion), b.volume, 1e-9);
  }
  EXPECT_EQ(MbCube().GetVolume(Math::metricRegion), 0);
}

// Arcs as exact rational NURBS in the host's convention; projections,
// coincidence and polygons.
TEST(KernelTest, PlaneCurvesConvertProjectAndCompare) {
  const MbArc arc(MbCartPoint(3, -2), 7, 0.3, 4.5);
  SPtr<MbNurbs> nurbs(arc.NurbsCurve());
  EXPECT_EQ(nurbs->GetDegree(), 2);
  EXPECT_EQ(nurbs->GetKnots().size(), nurbs->GetPoints().size() + 3);
  EXPECT_EQ(nurbs->GetWeights().size(), nurbs->GetPoints().size());
  for (int i = 0; i <= 20; ++i) {
    const MbCartPoint p = nurbs->PointOn(nurbs->GetTMin() + i * (nurbs->GetTMax() - nurbs->GetTMin()) / 20);
    EXPECT_NEAR(std::hypot(p.x - 3, p.y + 2), 7, 1e-12);
  }
  EXPECT_TRUE(arc.IsSame(*nurbs, 1e-6));
  EXPECT_TRUE(arc.IsSame(MbArc(MbCartPoint(3, -2), 7, 4.8, -4.5), 1e-9));
  EXPECT_FALSE(arc.IsSame(MbArc(MbCartPoint(3, -2), 7, 0.3, 4.4), 1e-4));
  EXPECT_TRUE(MbArc(MbCartPoint(), 2, 1, -2 * kPi).IsCircle(1e-7));
  SPtr<MbNurbs> circle(MbArc(MbCartPoint(), 2, 1, 2 * kPi).NurbsCurve());
  EXPECT_TRUE(circle->IsClosed());

  std::vector<MbCartPoint> polygon;
  arc.CalculatePolygon(0.5, polygon);
  ASSERT_GE(polygon.size(), 3u);
  for (std::size_t i = 1; i < polygon.size(); ++i) {
    const MbCartPoint m((polygon[i - 1].x + polygon[i].x) / 2, (polygon[i - 1].y + polygon[i].y) / 2);
    EXPECT_LE(7 - std::hypot(m.x - 3, m.y + 2), 0.5 + 1e-9);
  }

  // A circle seen at a slant is an ellipse, exactly.
  const MbPlacement3D tilted(MbCartPoint3D(1, 2, 3), MbVector3D(0, 1, 1), false);
  const MbArc3D ring(tilted, 5, 0, 2 * kPi);
  SPtr<MbCurve> seen(ring.GetProjection(MbPlacement3D(), GetCurrentMathFileVersion()));
  ASSERT_EQ(seen->IsA(), pt_Nurbs);
  // Each point of the projection is the centre plus 5 (cos t X + sin t Y) seen from above, for some t.
  const double det = tilted.axisX.x * tilted.axisY.y - tilted.axisX.y * tilted.axisY.x;
  for (int i = 0; i <= 16; ++i) {
    const MbCartPoint q = seen->PointOn(seen->GetTMin() + i * (seen->GetTMax() - seen->GetTMin()) / 16);
    const double dx = (q.x - 1) / 5, dy = (q.y - 2) / 5;
    const double c = (dx * tilted.axisY.y - dy * tilted.axisY.x) / det, s = (tilted.axisX.x * dy - tilted.axisX.y * dx) / det;
    EXPECT_NEAR(c * c + s * s, 1, 1e-12);
  }
  SPtr<MbCurve> flat(ring.GetProjection(tilted, GetCurrentMathFileVersion()));
  ASSERT_EQ(flat->IsA(), pt_Arc);
  EXPECT_TRUE(static_cast<const MbArc&>(*flat).IsCircle(1e-7));
}

}  // namespace
