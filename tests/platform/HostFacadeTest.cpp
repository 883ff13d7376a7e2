// The public face of the stand-in host, as other folders' tests use it.
#include <gtest/gtest.h>

#include <filesystem>

#include "vlhost/Host.h"

namespace {

std::filesystem::path Folder(const char* name) {
  auto path = std::filesystem::temp_directory_path() / "vlhost-facade" / name;
  std::filesystem::remove_all(path);
  return path;
}

TEST(HostFacade, DrivesAnApplicationThroughVlapiAlone) {
  const auto root = Folder("drive");
  {
    vlhost::Host host(root);
    vlapi::IApplication* app = host.Application();
    auto doc = host.NewDrawing();
    EXPECT_EQ(vlapi::IVarnelDocumentPtr(app->GetActiveDocument()), vlapi::IVarnelDocumentPtr(doc));
    vlapi::IDrawingContainerPtr view = doc->GetViewsAndLayersManager()->GetViews()->GetActiveView();
    auto arc = vlhost::Host::AddEllipseArc(view, 0, 0, 30, 10, 0, 0, 180, true);
    auto spline = vlhost::Host::AddNurbsByPoints(view, {0, 0, 10, 5, 20, 0, 30, 5});
    auto conic = vlhost::Host::AddConic(view, 0, 0, 10, 10, 20, 0, 0.7);
    auto bezier = vlhost::Host::AddBezier(view, {0, 0, 0, 10, 10, 10, 10, 0}, 3);
    ASSERT_TRUE(arc && spline && conic && bezier);
    EXPECT_EQ(spline->GetType(), vlapi::vlDrNurbsByPoints);
    EXPECT_EQ(conic->GetType(), vlapi::vlDrConicCurve);
    // A curve through points passes through them.
    auto curve = spline->GetCurve();
    double nx, ny, t, d;
    ASSERT_TRUE(curve->GetNearestPoint(20, 0, nx, ny, t, d));
    EXPECT_NEAR(d, 0, 1e-6);
    EXPECT_NEAR(arc->GetCurve()->GetLength(), 66.8245, 1e-3);  // half an ellipse of semi-axes 30 and 10

    doc->SetUndoContainer(true);
    EXPECT_EQ(vlhost::Host::Switches(doc).undoDepth, 1);
    doc->SetUndoContainer(false);
    arc->Update();
    EXPECT_EQ(vlhost::Host::Updates(vlapi::IAPIObjectPtr(arc)), 1);
    EXPECT_GT(vlhost::Host::UpdateCount(doc), 0);
    EXPECT_NE(vlhost::Host::Svg(doc).find("<path"), std::string::npos);

    {
      vlhost::FailureScope off("IApplication::GetActiveDocument");
      EXPECT_FALSE(app->GetActiveDocument());
    }
    EXPECT_TRUE(app->GetActiveDocument());

    auto assembly = host.NewDocument3D();
    vlhost::PartData* top = vlhost::Host::Tree(assembly);
    ASSERT_TRUE(top);
    top->Add(L"Кронштейн", true).designation = L"НР.001";
    EXPECT_EQ(assembly->GetTopPart()->GetParts()->GetItem(0)->GetDesignation(), L"НР.001");
    EXPECT_TRUE(std::filesystem::is_directory(host.Folder(vlapi::vlConfigurations)));
  }
  std::filesystem::remove_all(root);
}

}  // namespace
