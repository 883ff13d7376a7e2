#include "vrn_fixture.h"

namespace vrntest {

void VrnTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = std::filesystem::temp_directory_path() / "nesting-vrn-tests" /
           (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root);
    host = std::make_unique<vlhost::Host>(root);
    application = host->Application();
    resourceModule = application->GetResourcesModule(L"Nesting");
    doc = NewDrawing();
}

void VrnTest::TearDown()
{
    vlhost::Failures::Instance().RestoreAll();
    doc = nullptr;
    resourceModule = nullptr;
    application = nullptr;
    host.reset();
    std::filesystem::remove_all(root);
}

vlapi::IViewPtr VrnTest::ActiveView() const
{
    return vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->GetActiveView();
}

vlapi::IViewPtr VrnTest::AddView(double x, double y, double scale) const
{
    vlapi::IViewPtr view = vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->Add(1);
    view->SetX(x);
    view->SetY(y);
    view->SetScale(scale);
    view->Update();
    return view;
}

size_t VrnTest::ObjectsIn(const vlapi::IViewPtr& view) const
{
    return vlapi::IDrawingContainerPtr(view)->GetObjects({vlapi::vlAllObj}).size();
}

reference VrnTest::NextReference() const
{
    vlapi::ILineSegmentPtr probe = AddLine(Container(), {0, 0}, {1, 0});
    const reference next = hostAccess::ReferenceOf(probe);
    probe->Delete();
    return next;
}

bool VrnTest::NoTemporaryGroupSince(reference since) const
{
    const vlapi::IVarnelDocument2DPtr active = vrnApi::GetActiveDocument2D();
    const reference end = NextReference();
    for (reference ref = since; ref < end; ++ref) {
        vlapi::IDrawingGroupPtr group(hostAccess::ObjectOf(active, ref));
        if (group && group->IsTemporary())
            return false;
    }
    return true;
}

vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b)
{
    return vrnApi::CreateLineSegm(c, a.x, a.y, b.x, b.y, 1);
}

vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, NPoint centre, double r)
{
    return vrnApi::CreateCircle(c, centre.x, centre.y, r, 1);
}

std::vector<vlapi::IDrawingObjectPtr> AddRing(const vlapi::IDrawingContainerPtr& c, const std::vector<NPoint>& points)
{
    std::vector<vlapi::IDrawingObjectPtr> lines;
    for (size_t i = 0; i < points.size(); ++i)
        lines.emplace_back(AddLine(c, points[i], points[(i + 1) % points.size()]));
    return lines;
}

}  // namespace vrntest
