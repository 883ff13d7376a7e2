// Drawing groups: what an open group captures, temporary groups, store, clear,
// delete and the clipboard.
#include "HostFixture.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, ClosedGroupKeepsWhatWasDrawnWhileItWasOpen) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  AddLine(container, 0, 0, 1, 0);  // before: not captured
  vlapi::IDrawingGroupPtr group = doc->GetDrawingGroups()->Add(false, L"Набор");
  ASSERT_TRUE(group->Open());
  auto inside = AddLine(container, 0, 0, 2, 0);
  auto macro = AddSquareMacro(container, 5, 5);  // its four lines and the macro itself
  vlapi::IViewPtr second = doc->GetViewsAndLayersManager()->GetViews()->Add(1);
  auto elsewhere = AddCircle(Container(second), 0, 0, 3);  // drawn in another view
  ASSERT_TRUE(group->Close());
  AddLine(container, 0, 0, 3, 0);  // after: not captured

  const auto lines = group->GetObjects({vlapi::vlDrLineSeg});
  EXPECT_EQ(lines.size(), 5u);
  EXPECT_EQ(group->GetObjects({vlapi::vlDrMacro}).size(), 1u);
  EXPECT_EQ(group->GetObjects({vlapi::vlDrCircle}).size(), 1u);
  EXPECT_EQ(vlapi::IAPIObjectPtr(lines[0]), vlapi::IAPIObjectPtr(inside));

  // A stored group survives a save and an open with its members.
  ASSERT_TRUE(doc->SaveAs(File("group.vdw")));
  doc->Close(0);
  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("group.vdw"), true, 1));
  ASSERT_TRUE(opened);
  auto groups = opened->GetDrawingGroups();
  ASSERT_EQ(groups->GetCount(), 1);
  EXPECT_EQ(groups->GetItem(0)->GetName(), L"Набор");
  EXPECT_EQ(groups->GetItem(0)->GetObjects({vlapi::vlAllObj}).size(), 7u);
}

TEST_F(HostTest, TemporaryGroupIsNotKeptAndDeleteTakesItsContent) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  {
    vlapi::IDrawingGroupPtr temporary = doc->GetDrawingGroups()->Add(true, L"");
    temporary->Open();
    AddLine(container, 0, 0, 1, 0);
    temporary->Close();
    EXPECT_EQ(doc->GetDrawingGroups()->GetCount(), 0);
    // Cleared, the group lets go; the line stays in the drawing.
    temporary->Clear(true);
    EXPECT_TRUE(temporary->GetObjects({vlapi::vlAllObj}).empty());
  }
  EXPECT_EQ(container->GetObjects({vlapi::vlAllObj}).size(), 1u);
  vlapi::IDrawingGroupPtr doomed = doc->GetDrawingGroups()->Add(true, L"");
  doomed->AddObjects(ListOf(vlapi::IAPIObjectPtr(container->GetObjects({vlapi::vlAllObj})[0])));
  doomed->Delete();
  EXPECT_TRUE(container->GetObjects({vlapi::vlAllObj}).empty());
}

TEST_F(HostTest, ClipboardCarriesObjectsIntoAnotherDocument) {
  auto source = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(source)), 20, 10);
  macro->SetPlacement(50, 0, 0, 0, 0);
  vlapi::IDrawingGroupPtr out = source->GetDrawingGroups()->Add(true, L"");
  out->AddObjects(ListOf(vlapi::IAPIObjectPtr(macro)));
  ASSERT_TRUE(out->CopyToClipboard(0, 0));

  auto target = NewDrawing();
  vlapi::IDrawingGroupPtr in = target->GetDrawingGroups()->Add(true, L"");
  ASSERT_TRUE(in->ReadFromClipboard(0, 0));
  const auto pasted = in->GetObjects({vlapi::vlAllObj});
  ASSERT_EQ(pasted.size(), 1u);
  // Pasted objects stand in no view until the group is stored.
  EXPECT_TRUE(Container(ActiveView(target))->GetObjects({vlapi::vlAllObj}).empty());
  double x1, y1, x2, y2;
  ASSERT_TRUE(target->GetObjectsBox(ListOf(vlapi::IAPIObjectPtr(pasted[0])), x1, y1, x2, y2));
  EXPECT_DOUBLE_EQ(x1, 50);
  ASSERT_TRUE(in->Store());
  EXPECT_EQ(Container(ActiveView(target))->GetObjects({vlapi::vlDrMacro}).size(), 1u);
  // The source is untouched.
  EXPECT_EQ(Container(ActiveView(source))->GetObjects({vlapi::vlDrMacro}).size(), 1u);
}

TEST_F(HostTest, ClipboardOutlivesTheDocumentItWasCopiedFrom) {
  auto source = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(source)), 20, 10);
  vlapi::IDrawingGroupPtr out = source->GetDrawingGroups()->Add(true, L"");
  out->AddObjects(ListOf(vlapi::IAPIObjectPtr(macro)));
  vlapi::IDrawingObjectPtr member = vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlAllObj})[1];
  out->AddObjects(ListOf(vlapi::IAPIObjectPtr(member)));
  ASSERT_TRUE(out->CopyToClipboard(0, 0));
  out = nullptr;
  macro = nullptr;
  member = nullptr;
  source->Close(0);
  source = nullptr;

  auto target = NewDrawing();
  vlapi::IDrawingGroupPtr in = target->GetDrawingGroups()->Add(true, L"");
  ASSERT_TRUE(in->ReadFromClipboard(0, 0));
  ASSERT_TRUE(in->Store());
  auto container = Container(ActiveView(target));
  EXPECT_EQ(container->GetObjects({vlapi::vlDrMacro}).size(), 1u);
  EXPECT_EQ(container->GetObjects({vlapi::vlDrLineSeg}).size(), 1u);
  vlapi::IMacroObjectPtr pasted = container->GetObjects({vlapi::vlDrMacro})[0];
  EXPECT_EQ(vlapi::IDrawingContainerPtr(pasted)->GetObjects({vlapi::vlAllObj}).size(), 4u);
  EXPECT_EQ(vlapi::IAPIObjectPtr(pasted->GetView()), vlapi::IAPIObjectPtr(ActiveView(target)));
}

TEST_F(HostTest, GroupCopiedIntoADocumentGoesToItsCurrentView) {
  auto doc = NewDrawing();
  auto views = doc->GetViewsAndLayersManager()->GetViews();
  vlapi::IViewPtr sheet = views->Add(1);
  auto macro = AddSquareMacro(Container(views->GetView(0)), 20, 10);
  vlapi::IDrawingGroupPtr temporary = doc->GetDrawingGroups()->Add(true, L"");
  temporary->AddObjects(ListOf(vlapi::IAPIObjectPtr(macro)));
  sheet->SetCurrent(true);
  vlapi::IDrawingGroupPtr copy = temporary->CopyToDocument(doc.get());
  ASSERT_TRUE(copy);
  vlapi::IMacroObjectPtr copied = copy->GetObjects({vlapi::vlDrMacro})[0];
  EXPECT_FALSE(copied->GetParent());  // stands in no view until stored
  EXPECT_EQ(vlapi::IDrawingContainerPtr(copied)->GetObjects({vlapi::vlAllObj}).size(), 4u);
  ASSERT_TRUE(copy->Store());
  EXPECT_EQ(Container(sheet)->GetObjects({vlapi::vlDrMacro}).size(), 1u);
  copy->Clear(true);
  copy->Delete();
  temporary->Delete();
  EXPECT_TRUE(Container(views->GetView(0))->GetObjects({vlapi::vlAllObj}).empty());
  EXPECT_EQ(Container(sheet)->GetObjects({vlapi::vlDrMacro}).size(), 1u);
}

// A nesting map copies a sheet's view into a new drawing through a group.
TEST_F(HostTest, ViewInAGroupIsCopiedWholeIntoAnotherDocumentAndStored) {
  auto source = NewDrawing();
  vlapi::IViewPtr sheet = source->GetViewsAndLayersManager()->GetViews()->Add(1);
  sheet->SetScale(0.5);
  sheet->SetX(40);
  vlapi::ILayerPtr layer = sheet->GetLayers()->Add();
  layer->SetName(L"Раскраска");
  layer->SetColor(0x00FF00);
  layer->SetVisible(false);
  auto macro = AddSquareMacro(Container(sheet), 20, 10);
  auto line = AddLine(Container(sheet), 0, 0, 5, 5);
  line->SetLayer(layer->GetNumber());
  vlapi::IColouringPtr fill = vlapi::IDrawingContainerPtr(macro)->GetColourings()->Add();
  vlapi::IBoundariesObjectPtr(fill)->SetBoundaries(vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlDrLineSeg}), 0);
  vlapi::IDrawingGroupPtr group = source->GetDrawingGroups()->Add(true, L"");
  group->AddObjects(ListOf(vlapi::IAPIObjectPtr(sheet)));
  group->AddObjects(ListOf(vlapi::IAPIObjectPtr(sheet)));  // still one member
  EXPECT_TRUE(group->GetObjects({vlapi::vlAllObj}).empty());

  auto target = NewDrawing();
  vlapi::IDrawingGroupPtr copy = group->CopyToDocument(target.get());
  ASSERT_TRUE(copy);
  EXPECT_EQ(target->GetViewsAndLayersManager()->GetViews()->GetCount(), 1);  // not stored yet
  ASSERT_TRUE(copy->Store());
  ASSERT_TRUE(target->SaveAs(File("map.vdw")));
  target->Close(0);
  group->Delete();  // the source's view goes with its group
  EXPECT_FALSE(source->GetViewsAndLayersManager()->GetViews()->GetView(1));

  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("map.vdw"), true, 1));
  ASSERT_TRUE(opened);
  vlapi::IViewPtr view = opened->GetViewsAndLayersManager()->GetViews()->GetView(1);
  ASSERT_TRUE(view);
  EXPECT_DOUBLE_EQ(view->GetScale(), 0.5);
  EXPECT_DOUBLE_EQ(view->GetX(), 40);
  vlapi::ILayerPtr layerAgain = view->GetLayers()->FindLayer(L"Раскраска");
  ASSERT_TRUE(layerAgain);
  EXPECT_EQ(layerAgain->GetColor(), 0x00FF00);
  EXPECT_FALSE(layerAgain->GetVisible());
  auto objects = Container(view)->GetObjects({vlapi::vlAllObj});
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[1]->GetLayer(), layerAgain->GetNumber());
  vlapi::IDrawingContainerPtr members = vlapi::IMacroObjectPtr(objects[0]);
  ASSERT_EQ(members->GetColourings()->GetCount(), 1);
  // The colouring is bounded by the copied lines, not by the source's.
  for (const auto& b : vlapi::IBoundariesObjectPtr(members->GetColourings()->GetItem(0))->GetBoundaries())
    EXPECT_EQ(vlapi::IAPIObjectPtr(b->GetView()), vlapi::IAPIObjectPtr(view));
}

}  // namespace
}  // namespace vlhost::test
