// The failure switch: a chosen host call or interface gives nothing.
#include "HostFixture.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, SwitchedOffCallGivesNothingUntilRestored) {
  auto doc = NewDrawing();
  ASSERT_TRUE(doc->GetLayoutSheets());
  {
    FailureScope off("IVarnelDocument2D::GetLayoutSheets");
    EXPECT_FALSE(doc->GetLayoutSheets());
    EXPECT_TRUE(doc->GetViewsAndLayersManager());
  }
  EXPECT_TRUE(doc->GetLayoutSheets());
}

TEST_F(HostTest, SwitchedOffInterfaceIsNotAnswered) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 1, 1);
  FailureScope off("IUserParameters");
  EXPECT_FALSE(vlapi::IUserParametersPtr(macro));
  EXPECT_TRUE(vlapi::IDrawingContainerPtr(macro));
}

TEST_F(HostTest, EveryStepOfTheActiveDocumentRoadCanFail) {
  NewDrawing();
  for (const char* call : {"IApplication::GetActiveDocument", "IVarnelDocument2D::GetViewsAndLayersManager",
                           "IViewsAndLayersManager::GetViews", "IViews::GetActiveView", "IVarnelDocument2D"}) {
    FailureScope off(call);
    vlapi::IVarnelDocument2DPtr doc = Api()->GetActiveDocument();
    vlapi::IViewPtr view = doc && doc->GetViewsAndLayersManager() && doc->GetViewsAndLayersManager()->GetViews()
                               ? doc->GetViewsAndLayersManager()->GetViews()->GetActiveView()
                               : nullptr;
    EXPECT_FALSE(view) << call;
  }
  vlapi::IVarnelDocument2DPtr doc = Api()->GetActiveDocument();
  EXPECT_TRUE(doc->GetViewsAndLayersManager()->GetViews()->GetActiveView());
}

}  // namespace
}  // namespace vlhost::test
