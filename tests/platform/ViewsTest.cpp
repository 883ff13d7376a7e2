// Views and their layers: numbering, the current view and layer, coordinates.
#include "HostFixture.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, NewObjectsGoToTheCurrentViewOnItsCurrentLayer) {
  auto doc = NewDrawing();
  auto views = doc->GetViewsAndLayersManager()->GetViews();
  ASSERT_EQ(views->GetCount(), 1);
  EXPECT_EQ(views->GetView(0)->GetNumber(), 0);
  vlapi::IViewPtr sheet = views->Add(1);
  EXPECT_EQ(sheet->GetNumber(), 1);
  EXPECT_FALSE(sheet->GetCurrent());
  sheet->SetCurrent(true);
  EXPECT_TRUE(sheet->GetCurrent());
  EXPECT_FALSE(views->GetView(0)->GetCurrent());
  EXPECT_EQ(vlapi::IAPIObjectPtr(views->GetActiveView()), vlapi::IAPIObjectPtr(sheet));

  vlapi::ILayersPtr layers = sheet->GetLayers();
  ASSERT_EQ(layers->GetCount(), 1);
  EXPECT_EQ(layers->GetLayer(0)->GetNumber(), 0);
  vlapi::ILayerPtr texts = layers->Add();
  EXPECT_EQ(texts->GetNumber(), 1);
  texts->SetName(L"Надписи");
  texts->SetNumber(3);
  texts->MakeCurrent();
  texts->Update();
  EXPECT_EQ(vlapi::IAPIObjectPtr(layers->FindLayer(L"Надписи")), vlapi::IAPIObjectPtr(texts));
  EXPECT_EQ(vlapi::IAPIObjectPtr(layers->GetLayer(3)), vlapi::IAPIObjectPtr(texts));
  // Position 0 of the collection is the system layer.
  EXPECT_EQ(vlapi::ILayerPtr(layers->GetItem(0))->GetNumber(), 0);

  auto line = AddLine(Container(sheet), 0, 0, 1, 1);
  EXPECT_EQ(line->GetLayer(), 3);
  EXPECT_EQ(vlapi::IAPIObjectPtr(line->GetView()), vlapi::IAPIObjectPtr(sheet));
  // Members of a macro start on the system layer whatever the view's current layer.
  vlapi::IMacroObjectPtr macro = Container(sheet)->GetMacroObjects()->AddMacro(1);
  auto member = AddLine(vlapi::IDrawingContainerPtr(macro), 0, 0, 1, 0);
  EXPECT_EQ(member->GetLayer(), 0);
  EXPECT_EQ(vlapi::IAPIObjectPtr(member->GetView()), vlapi::IAPIObjectPtr(sheet));
  EXPECT_EQ(vlapi::IAPIObjectPtr(member->GetParent()), vlapi::IAPIObjectPtr(macro));

  // The system layer and the system view stay.
  EXPECT_FALSE(layers->GetLayer(0)->Delete());
  EXPECT_FALSE(views->GetView(0)->Delete());
  EXPECT_TRUE(texts->Delete());
  EXPECT_FALSE(layers->FindLayer(L"Надписи"));
  const int32_t lineRef = GetTransferService()->GetReference(line.get());
  ASSERT_NE(lineRef, 0);
  EXPECT_TRUE(sheet->Delete());
  EXPECT_EQ(views->GetCount(), 1);
  EXPECT_TRUE(views->GetView(0)->GetCurrent());
  // Its objects went with it.
  EXPECT_FALSE(GetTransferService()->GetObject(lineRef, GetTransferService()->GetReference(doc.get())));
  EXPECT_EQ(GetTransferService()->GetReference(line.get()), 0);
}

TEST_F(HostTest, ViewCoordinatesMapOntoTheSheetAndBack) {
  auto doc = NewDrawing();
  vlapi::IViewPtr view = doc->GetViewsAndLayersManager()->GetViews()->Add(1);
  view->SetX(100);
  view->SetY(50);
  view->SetScale(0.5);
  double x = 20, y = -10;
  view->TransformViewToSheet(x, y);
  EXPECT_DOUBLE_EQ(x, 110);
  EXPECT_DOUBLE_EQ(y, 45);
  view->TransformSheetToView(x, y);
  EXPECT_DOUBLE_EQ(x, 20);
  EXPECT_DOUBLE_EQ(y, -10);
  view->SetScale(0);  // refused
  EXPECT_DOUBLE_EQ(view->GetScale(), 0.5);
}

TEST_F(HostTest, CopiedMacroKeepsItsOwnColouringBoundaries) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  vlapi::IDrawingContainerPtr members = macro;
  vlapi::IColouringPtr colouring = members->GetColourings()->Add();
  vlapi::IBoundariesObjectPtr(colouring)->SetBoundaries(members->GetObjects({vlapi::vlDrLineSeg}), 0);
  vlapi::ICopyObjectParamPtr param = doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam);
  const auto copies = doc->CopyObjects(ListOf(vlapi::IAPIObjectPtr(macro)), param.get());
  ASSERT_EQ(copies.size(), 1u);
  vlapi::IDrawingContainerPtr copied = copies[0];
  vlapi::IColouringPtr copiedColouring = copied->GetColourings()->GetItem(0);
  ASSERT_TRUE(copiedColouring);
  const auto boundaries = vlapi::IBoundariesObjectPtr(copiedColouring)->GetBoundaries();
  ASSERT_EQ(boundaries.size(), 4u);
  for (const auto& b : boundaries) EXPECT_EQ(vlapi::IAPIObjectPtr(b->GetParent()), vlapi::IAPIObjectPtr(copied));
  // Deleting the source leaves the copy's colouring whole.
  macro->Delete();
  EXPECT_EQ(vlapi::IBoundariesObjectPtr(copiedColouring)->GetBoundaries().size(), 4u);
}

TEST_F(HostTest, PropertiesAreDefinedOnceAndHeldPerObject) {
  auto doc = NewDrawing();
  auto a = AddSquareMacro(Container(ActiveView(doc)), 1, 1);
  auto b = AddSquareMacro(Container(ActiveView(doc)), 1, 1);
  vlapi::IPropertyMngPtr mng = doc->GetPropertyMng();
  EXPECT_FALSE(mng->GetProperty(L"Count"));
  vlapi::IPropertyPtr count = mng->AddProperty();
  count->SetName(L"Count");
  count->SetDataType(vlapi::vlPropertyDataTypeDouble);
  count->Update();
  EXPECT_EQ(vlapi::IAPIObjectPtr(mng->GetProperty(L"Count")), vlapi::IAPIObjectPtr(count));
  vlapi::IPropertyKeeperPtr(a)->SetPropertyValue(count.get(), vlapi::PropertyValue(3.0), true);
  vlapi::PropertyValue value(7.0);
  bool fromSource = true;
  EXPECT_FALSE(vlapi::IPropertyKeeperPtr(b)->GetPropertyValue(count.get(), value, true, fromSource));
  EXPECT_DOUBLE_EQ(value.GetDouble(), 7.0);  // untouched
  EXPECT_TRUE(vlapi::IPropertyKeeperPtr(a)->GetPropertyValue(count.get(), value, true, fromSource));
  EXPECT_DOUBLE_EQ(value.GetDouble(), 3.0);
  EXPECT_EQ(mng->GetCount(), 1);
  EXPECT_EQ(mng->GetBuiltInProperty(vlapi::vlPropertyMaterial)->GetDataType(), vlapi::vlPropertyDataTypeString);
}

}  // namespace
}  // namespace vlhost::test
