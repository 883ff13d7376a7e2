// The host's computing services on real curves: contours and their area and
// length, contours around a point, equidistants, approximation.
#include <cmath>

#include "HostFixture.h"
#include "vlhost/Host.h"

namespace vlhost::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

vlapi::IDrawingContourPtr ContourOf(const vlapi::IDrawingContainerPtr& c, const vlapi::APIObjectList& objects) {
  vlapi::IDrawingContourPtr contour = c->GetDrawingContours()->Add();
  vlapi::IContourPtr(contour)->CopyCurves(objects, 0);
  contour->Update();
  return contour;
}

vlapi::APIObjectList Square(const vlapi::IDrawingContainerPtr& c, double x, double y, double side) {
  return {vlapi::IVarnelAPIObjectPtr(AddLine(c, x, y, x + side, y)),
          vlapi::IVarnelAPIObjectPtr(AddLine(c, x + side, y + side, x + side, y)),  // reversed on purpose
          vlapi::IVarnelAPIObjectPtr(AddLine(c, x + side, y + side, x, y + side)),
          vlapi::IVarnelAPIObjectPtr(AddLine(c, x, y + side, x, y))};
}

TEST_F(HostTest, ContoursAreMeasuredOnTheirRealCurves) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  auto outer = ContourOf(c, Square(c, 0, 0, 100));
  auto hole = ContourOf(c, {vlapi::IVarnelAPIObjectPtr(AddCircle(c, 50, 50, 10))});
  vlapi::IInertiaPropertiesPtr props = doc->CreateAPIObject(vlapi::vlObjectInertiaProperties);
  vlapi::IInertiaPropertiesCalculateParamPtr param = doc->CreateAPIObject(vlapi::vlObjectInertiaPropertiesCalculateParam);
  auto math = Api()->GetMath2D();
  ASSERT_TRUE(math->CalculateInertiaProperties(ListOf(vlapi::IAPIObjectPtr(outer)), props.get(), param.get()));
  EXPECT_NEAR(props->GetArea(), 10000, 1e-6);
  ASSERT_TRUE(math->CalculateInertiaProperties(ListOf(vlapi::IAPIObjectPtr(hole)), props.get(), param.get()));
  EXPECT_NEAR(props->GetArea(), 100 * kPi, 1e-6);
  EXPECT_NEAR(outer->GetCurve()->GetLength() + hole->GetCurve()->GetLength(), 400 + 20 * kPi, 1e-6);
}

TEST_F(HostTest, ContoursAroundAPointComeBackAsATemporaryGroup) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  Square(c, 0, 0, 100);
  AddCircle(c, 50, 50, 10);
  auto contours = c->GetDrawingContours();
  vlapi::IDrawingGroupPtr around = contours->CreateEnclosingContours(20, 20, {}, 0);
  ASSERT_TRUE(around);
  const auto found = around->GetObjects({vlapi::vlAllObj});
  EXPECT_EQ(found.size(), 2u);  // the square and the hole in it
  EXPECT_EQ(doc->GetDrawingGroups()->GetCount(), 0);
  EXPECT_FALSE(contours->CreateEnclosingContours(500, 500, {}, 0));
}

// A sheet's outline is a member of its macro: the search sees it where the
// placements put it, and not on a hidden layer.
TEST_F(HostTest, ContoursAroundAPointSeeVisibleMacroMembersWherePlaced) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  vlapi::IMacroObjectPtr inner = AddSquareMacro(c, 100, 40);
  vlapi::IMacroObjectPtr outer = c->GetMacroObjects()->AddMacro(1);
  outer->AddObjects(ListOf(vlapi::IAPIObjectPtr(inner)));
  inner->SetPlacement(100, 0, 90, 0, 0);  // x 60..100, y 0..100 in the outer macro
  outer->SetPlacement(200, 50, 0, 0, 0);  // x 260..300, y 50..150 in the view
  auto contours = c->GetDrawingContours();
  EXPECT_FALSE(contours->CreateEnclosingContours(50, 20, {}, 0));  // where the members stand unplaced
  vlapi::IDrawingGroupPtr around = contours->CreateEnclosingContours(280, 100, {}, 0);
  ASSERT_TRUE(around);
  vlapi::APIObjectList found;
  for (const auto& object : around->GetObjects({vlapi::vlAllObj})) found.emplace_back(object);
  ExpectBox(doc, found, 260, 50, 300, 150);
  around->Delete();
  vlapi::ILayerPtr hidden = ActiveView(doc)->GetLayers()->Add();
  hidden->SetVisible(false);
  outer->SetLayer(hidden->GetNumber());
  EXPECT_FALSE(contours->CreateEnclosingContours(280, 100, {}, 0));
}

// An arc is read from its centre, radius, direction and the rays through its
// ends; ends that coincide make the whole circle, wherever they lie.
TEST_F(HostTest, ArcsRunBetweenTheRaysOfTheirEndsAndCoincidentEndsCloseThem) {
  struct Case {
    const char* name;
    double x1, y1, x2, y2;
    bool ccw;
    double turns;
  };
  const Case cases[] = {
      {"quarter", 35, 40, 30, 45, true, 0.25},
      {"three quarters clockwise", 35, 40, 30, 45, false, 0.75},
      {"ends on the circle", 30, 45, 30, 45, true, 1},
      {"ends on the circle clockwise", 30, 45, 30, 45, false, 1},
      {"ends at the origin", 0, 0, 0, 0, true, 1},  // a one-point bridge's circle
      {"ends at the centre", 30, 40, 30, 40, true, 1},
  };
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    vlapi::IArcPtr arc = c->GetCollection(vlapi::vlDrArc)->Add();
    arc->SetXc(30);
    arc->SetYc(40);
    arc->SetX1(k.x1);
    arc->SetY1(k.y1);
    arc->SetX2(k.x2);
    arc->SetY2(k.y2);
    arc->SetRadius(5);
    arc->SetDirection(k.ccw);
    arc->Update();
    vlapi::ICurve2DPtr curve = arc->GetCurve();
    ASSERT_TRUE(curve);
    EXPECT_NEAR(curve->GetLength(), k.turns * 10 * kPi, 1e-9);
    if (k.turns == 1) ExpectBox(doc, ListOf(vlapi::IAPIObjectPtr(arc)), 25, 35, 35, 45);
  }
}

TEST_F(HostTest, EquidistantOfAClosedPolylineLiesOnTheAskedSide) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  vlapi::IPolyLine2DPtr polyline = c->GetCollection(vlapi::vlDrPolyLine)->Add();
  polyline->SetPoints({0, 0, 100, 0, 100, 50, 0, 50});  // counter-clockwise
  polyline->SetClosed(1);
  polyline->Update();
  auto widthOf = [&](bool side) {
    vlapi::IEquidistantPtr e = c->GetCollection(vlapi::vlDrEquidistant)->Add();
    e->SetBaseObject(vlapi::IDrawingObjectPtr(polyline).get());
    e->SetSide(side);
    e->SetArc(true);
    e->SetEquidistantType(vlapi::vlETLeft);
    e->SetRadius1(5);
    e->SetRadius2(5);
    e->Update();
    double x1, y1, x2, y2;
    EXPECT_TRUE(doc->GetObjectsBox(ListOf(vlapi::IAPIObjectPtr(e)), x1, y1, x2, y2));
    e->Delete();
    return x2 - x1;
  };
  EXPECT_NEAR(widthOf(true), 90, 1e-6);   // the left of a counter-clockwise ring is inside
  EXPECT_NEAR(widthOf(false), 110, 1e-6);
}

TEST_F(HostTest, ApproximationStaysWithinTheCurveBox) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  auto ellipse = Host::AddEllipse(c, 0, 0, 40, 20, 30);
  ASSERT_TRUE(ellipse);
  EXPECT_EQ(ellipse->GetType(), vlapi::vlDrEllipse);
  EXPECT_TRUE(ellipse->IsGeometry());
  double bx1, by1, bx2, by2;
  ASSERT_TRUE(doc->GetObjectsBox(ListOf(vlapi::IAPIObjectPtr(ellipse)), bx1, by1, bx2, by2));
  for (int level : {vlapi::vlDOLSegments, vlapi::vlDOLSegmentsArcsPoints}) {
    auto pieces = doc->DecomposeObject(vlapi::IVarnelAPIObjectPtr(ellipse).get(), level, -2, 0.05);
    ASSERT_TRUE(pieces);
    const auto objects = pieces->GetObjects({vlapi::vlAllObj});
    EXPECT_GT(objects.size(), 4u);
    double x1, y1, x2, y2;
    ASSERT_TRUE(doc->GetObjectsBox(vlapi::APIObjectList(objects.begin(), objects.end()), x1, y1, x2, y2));
    EXPECT_GE(x1, bx1 - 1e-4);
    EXPECT_LE(x2, bx2 + 1e-4);
    EXPECT_LE(bx2 - x2, 0.05);
    if (level == vlapi::vlDOLSegments) {
      for (const auto& o : objects) EXPECT_EQ(o->GetType(), vlapi::vlDrLineSeg);
    }
  }
  // The curve face: from its smallest to its largest parameter, nearest points on it.
  auto curve = ellipse->GetCurve();
  double x, y, nx, ny, t, d;
  ASSERT_TRUE(curve->GetPoint(curve->GetParamMin(), x, y));
  ASSERT_TRUE(curve->GetNearestPoint(x * 2, y * 2, nx, ny, t, d));
  EXPECT_NEAR(nx, x, 1e-6);
  EXPECT_NEAR(ny, y, 1e-6);
}

}  // namespace
}  // namespace vlhost::test
