// Macro objects: placement applied to members, stamp data, breaking up, copies.
#include <cmath>

#include "HostFixture.h"

namespace vlhost::test {
namespace {

constexpr double kTol = 1e-9;

struct Box {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

Box BoxOf(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IAPIObjectPtr& o) {
  Box b;
  EXPECT_TRUE(doc->GetObjectsBox(ListOf(o), b.x1, b.y1, b.x2, b.y2));
  return b;
}

TEST_F(HostTest, TurnedAndMovedMacroShowsItsMembersTransformed) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  auto macro = AddSquareMacro(container, 20, 10);
  // Relative: shift by (100, 50), turn a quarter about the origin.
  ASSERT_TRUE(macro->SetPlacement(100, 50, 0, 0, 1));
  ASSERT_TRUE(macro->SetPlacement(0, 0, 90, 0, 1));
  double x, y, a;
  int mirrored;
  macro->GetPlacement(x, y, a, mirrored);
  EXPECT_DOUBLE_EQ(x, 100);
  EXPECT_DOUBLE_EQ(y, 50);
  EXPECT_DOUBLE_EQ(a, 90);

  // The 20 × 10 rectangle now spans x 90..100 and y 50..70 in the view.
  ExpectBox(doc, ListOf(vlapi::IAPIObjectPtr(macro)), 90, 50, 100, 70);

  // The members keep their own coordinates; the decomposition of the macro is placed.
  vlapi::ILineSegmentPtr first = vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlDrLineSeg})[0];
  EXPECT_DOUBLE_EQ(first->GetX2(), 20);
  auto pieces = doc->DecomposeObject(vlapi::IVarnelAPIObjectPtr(macro).get(), vlapi::vlDOLSegmentsArcsPoints, -2, 0.1);
  ASSERT_TRUE(pieces);
  vlapi::ILineSegmentPtr placed = pieces->GetObjects({vlapi::vlAllObj})[0];
  ASSERT_TRUE(placed);
  EXPECT_NEAR(placed->GetX1(), 100, kTol);
  EXPECT_NEAR(placed->GetY1(), 50, kTol);
  EXPECT_NEAR(placed->GetX2(), 100, kTol);
  EXPECT_NEAR(placed->GetY2(), 70, kTol);
  // The decomposition stands in no view.
  EXPECT_EQ(container->GetObjects({vlapi::vlDrLineSeg}).size(), 0u);

  // Broken up, the members stand where the macro showed them.
  ASSERT_TRUE(doc->DestroyMacroObjects(ListOf(vlapi::IAPIObjectPtr(macro))));
  const auto lines = container->GetObjects({vlapi::vlDrLineSeg});
  ASSERT_EQ(lines.size(), 4u);
  vlapi::ILineSegmentPtr freed = lines[0];
  EXPECT_NEAR(freed->GetX2(), 100, kTol);
  EXPECT_NEAR(freed->GetY2(), 70, kTol);
  EXPECT_TRUE(container->GetObjects({vlapi::vlDrMacro}).empty());
}

TEST_F(HostTest, RelativePlacementShiftsAlongTheViewAxesWhateverTheTurn) {
  auto doc = NewDrawing();
  auto turned = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  auto stepped = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  for (const auto& m : {turned, stepped}) m->SetPlacement(0, 0, 90, 0, 0);
  // One change, and the same change made as "turn back, shift, turn on".
  turned->SetPlacement(10, 0, 0, 0, 1);
  stepped->SetPlacement(0, 0, -90, 0, 1);
  stepped->SetPlacement(10, 0, 0, 0, 1);
  stepped->SetPlacement(0, 0, 90, 0, 1);
  for (const auto& m : {turned, stepped}) {
    double x, y, a;
    int mirrored;
    m->GetPlacement(x, y, a, mirrored);
    EXPECT_DOUBLE_EQ(x, 10);
    EXPECT_DOUBLE_EQ(y, 0);
    EXPECT_DOUBLE_EQ(a, 90);
  }
  const Box a = BoxOf(doc, vlapi::IAPIObjectPtr(turned)), b = BoxOf(doc, vlapi::IAPIObjectPtr(stepped));
  EXPECT_NEAR(a.x1, b.x1, kTol);
  EXPECT_NEAR(a.y2, b.y2, kTol);
  // Non-finite placements are refused.
  EXPECT_FALSE(turned->SetPlacement(std::nan(""), 0, 0, 0, 1));
}

TEST_F(HostTest, AddedObjectsAreThenPlacedByTheMacro) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  // A bridge's way: the objects come to the origin, the macro stands where they stood.
  auto line = AddLine(container, 100, 50, 110, 50);
  doc->MoveObjects(ListOf(vlapi::IAPIObjectPtr(line)), -100, -50);
  vlapi::IMacroObjectPtr macro = container->GetMacroObjects()->AddMacro(1);
  macro->SetPlacement(100, 50, 0, 1, 0);
  macro->AddObjects(ListOf(vlapi::IAPIObjectPtr(line)));
  EXPECT_NEAR(line->GetX1(), 0, kTol);
  EXPECT_NEAR(line->GetX2(), 10, kTol);
  EXPECT_EQ(vlapi::IAPIObjectPtr(line->GetParent()), vlapi::IAPIObjectPtr(macro));
  EXPECT_EQ(container->GetObjects({vlapi::vlDrLineSeg}).size(), 0u);
  ExpectBox(doc, ListOf(vlapi::IAPIObjectPtr(macro)), 100, 50, 110, 50);
  // A macro cannot take itself or the macro it stands in.
  vlapi::IMacroObjectPtr inner = vlapi::IDrawingContainerPtr(macro)->GetMacroObjects()->AddMacro(1);
  inner->AddObjects(ListOf(vlapi::IAPIObjectPtr(macro)));
  EXPECT_EQ(vlapi::IAPIObjectPtr(macro->GetParent()), vlapi::IAPIObjectPtr(ActiveView(doc)));
}

TEST_F(HostTest, MirroredAndScaledMacrosStayConsistent) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  macro->SetPlacement(30, 5, 0, 0, 0);
  doc->MirrorObjects(ListOf(vlapi::IAPIObjectPtr(macro)), 0, 0, 100, 0, 0, 1, 1);
  ExpectBox(doc, ListOf(vlapi::IAPIObjectPtr(macro)), 30, -15, 50, -5);
  doc->SetTransformation(0, 0, 0, 2, 2);
  doc->TransformObjects(ListOf(vlapi::IAPIObjectPtr(macro)));
  doc->ResetTransformation();
  ExpectBox(doc, ListOf(vlapi::IAPIObjectPtr(macro)), 60, -30, 100, -10);
}

TEST_F(HostTest, StampSettingsAndUserDataSurviveInTheMacro) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  vlapi::IUserParametersPtr user = macro;
  user->SetCommand(101);
  user->SetLibraryId(L"Раскрой");
  user->SetModuleName(L"libNesting.so");
  user->SetUserData({1, 2, 0, 255});
  macro->SetEditable(true);
  macro->SetEditMode(false);
  macro->SetHotPointsEditable(true);
  macro->SetDrawOrder(-1);
  macro->SetCopyMode(1);
  macro->SetExplodeMode(1);
  macro->SetName(L"Фигура 1");
  ASSERT_TRUE(doc->SaveAs(File("stamp.vdw")));
  doc->Close(0);
  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("stamp.vdw"), true, 1));
  ASSERT_TRUE(opened);
  const auto macros = Container(ActiveView(opened))->GetObjects({vlapi::vlDrMacro});
  ASSERT_EQ(macros.size(), 1u);
  vlapi::IMacroObjectPtr again = macros[0];
  vlapi::IUserParametersPtr userAgain = again;
  EXPECT_EQ(userAgain->GetCommand(), 101);
  EXPECT_EQ(userAgain->GetLibraryId(), L"Раскрой");
  EXPECT_EQ(userAgain->GetModuleName(), L"libNesting.so");
  EXPECT_EQ(userAgain->GetUserData(), (std::vector<uint8_t>{1, 2, 0, 255}));
  EXPECT_EQ(again->GetName(), L"Фигура 1");
  EXPECT_EQ(again->GetDrawOrder(), -1);
  EXPECT_EQ(again->GetCopyMode(), 1);
  EXPECT_EQ(again->GetExplodeMode(), 1);
  EXPECT_EQ(vlapi::IDrawingContainerPtr(again)->GetObjects({vlapi::vlObjectLineSegment}).size(), 4u);
}

TEST_F(HostTest, CopyInPlaceAndMeshCopy) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  auto macro = AddSquareMacro(container, 20, 10);
  vlapi::ICopyObjectParamPtr inPlace = doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam);
  ASSERT_TRUE(inPlace);
  const auto copies = doc->CopyObjects(ListOf(vlapi::IAPIObjectPtr(macro)), inPlace.get());
  ASSERT_EQ(copies.size(), 1u);
  const Box a = BoxOf(doc, vlapi::IAPIObjectPtr(macro)), b = BoxOf(doc, vlapi::IAPIObjectPtr(copies[0]));
  EXPECT_NEAR(a.x1, b.x1, kTol);
  EXPECT_NEAR(a.y2, b.y2, kTol);
  EXPECT_EQ(vlapi::IDrawingContainerPtr(copies[0])->GetObjects({vlapi::vlAllObj}).size(), 4u);

  vlapi::IMeshCopyObjectParamPtr mesh = doc->CreateAPIObject(vlapi::vlObjectMeshCopyObjectParam);
  ASSERT_TRUE(mesh);
  mesh->SetColumns(3);
  mesh->SetRows(1);
  mesh->SetRowStep(1);
  mesh->SetColumnStep(25);
  const auto row = doc->CopyObjects(ListOf(vlapi::IAPIObjectPtr(macro)), vlapi::ICopyObjectParamPtr(mesh).get());
  ASSERT_EQ(row.size(), 3u);
  EXPECT_NEAR(BoxOf(doc, vlapi::IAPIObjectPtr(row[2])).x1, 75, kTol);
  EXPECT_EQ(container->GetObjects({vlapi::vlDrMacro}).size(), 5u);
}

TEST_F(HostTest, MembersCopiedWithAPlacementStandAsTheMacroShowsThem) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  macro->SetPlacement(100, 0, 90, 0, 0);
  vlapi::ICopyObjectParamPtr param = doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam);
  param->SetTargetX(100);
  param->SetTargetY(0);
  param->SetAngle(90);
  const auto members = vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlAllObj});
  vlapi::APIObjectList list(members.begin(), members.end());
  const auto copies = doc->CopyObjects(list, param.get());
  ASSERT_EQ(copies.size(), 4u);
  vlapi::ILineSegmentPtr first = copies[0];
  EXPECT_NEAR(first->GetX1(), 100, kTol);
  EXPECT_NEAR(first->GetY2(), 20, kTol);
  EXPECT_EQ(vlapi::IAPIObjectPtr(first->GetParent()), vlapi::IAPIObjectPtr(ActiveView(doc)));
}

}  // namespace
}  // namespace vlhost::test
