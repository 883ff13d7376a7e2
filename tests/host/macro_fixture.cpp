#include "macro_fixture.h"

#include <cmath>

namespace macrotest {

void MacroHostTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = std::filesystem::temp_directory_path() / "nesting-host-tests" /
           (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root);
    host = std::make_unique<vlhost::Host>(root);
    application = host->Application();
    resourceModule = application->GetResourcesModule(L"Nesting");
    doc = NewDrawing();
}

void MacroHostTest::TearDown()
{
    vlhost::Failures::Instance().RestoreAll();
    doc = nullptr;
    resourceModule = nullptr;
    application = nullptr;
    host.reset();
    std::filesystem::remove_all(root);
}

vlapi::IVarnelDocument2DPtr MacroHostTest::NewDrawing()
{
    return host->NewDrawing();
}

vlapi::IViewPtr MacroHostTest::ActiveView() const
{
    return vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->GetActiveView();
}

vlapi::IDrawingContainerPtr MacroHostTest::Container() const
{
    return vlapi::IDrawingContainerPtr(ActiveView());
}

vlapi::IViewPtr MacroHostTest::AddView(double x, double y, double scale) const
{
    vlapi::IViewPtr view = doc->GetViewsAndLayersManager()->GetViews()->Add(1);
    view->SetX(x);
    view->SetY(y);
    view->SetScale(scale);
    view->Update();
    return view;
}

int MacroHostTest::StoredGroups() const
{
    return vrnApi::GetActiveDocument2D()->GetDrawingGroups()->GetCount();
}

bool MacroHostTest::AnyGroupOpen() const
{
    vlapi::IDrawingGroupsPtr groups = vrnApi::GetActiveDocument2D()->GetDrawingGroups();
    for (int i = 0; i < groups->GetCount(); ++i) {
        if (groups->GetItem(i)->IsOpen())
            return true;
    }
    return false;
}

vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b)
{
    vlapi::ILineSegmentPtr line(c->GetCollection(vlapi::vlDrLineSeg)->Add());
    line->SetX1(a.x);
    line->SetY1(a.y);
    line->SetX2(b.x);
    line->SetY2(b.y);
    line->Update();
    return line;
}

vlapi::IArcPtr AddArc(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b, NPoint via)
{
    vlapi::IArcPtr arc(c->GetCollection(vlapi::vlDrArc)->Add());
    arc->SetBy3Points(a.x, a.y, b.x, b.y, via.x, via.y);
    arc->Update();
    return arc;
}

vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, NPoint centre, double r)
{
    vlapi::ICirclePtr circle(c->GetCollection(vlapi::vlDrCircle)->Add());
    circle->SetXc(centre.x);
    circle->SetYc(centre.y);
    circle->SetRadius(r);
    circle->Update();
    return circle;
}

std::vector<vlapi::IDrawingObjectPtr> AddRing(const vlapi::IDrawingContainerPtr& c, const std::vector<NPoint>& points)
{
    std::vector<vlapi::IDrawingObjectPtr> lines;
    for (size_t i = 0; i < points.size(); ++i)
        lines.emplace_back(AddLine(c, points[i], points[(i + 1) % points.size()]));
    return lines;
}

INestingMacroObjectPtr MakeMacro(const vlapi::IDrawingContainerPtr& c, const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                 const std::wstring& name, MacroCommand command)
{
    vlapi::IMacroObjectPtr macro = c->GetMacroObjects()->AddMacro(1);
    if (!SetMacroParams(macro, name, static_cast<int>(command), objs))
        return {};
    return NMacroObject::Create(macro);
}

vlapi::IMacroObjectPtr HostMacro(const INestingMacroObjectPtr& macro)
{
    return std::dynamic_pointer_cast<NMacroObject>(macro)->GetMacro();
}

bool SameRing(const NPolygon& ring, const std::vector<NPoint>& expected, double tol)
{
    const size_t n = expected.size();
    if (ring.m_points.size() != n || !ring.CheckDirection())
        return false;
    for (size_t start = 0; start < n; ++start) {
        bool all = true;
        for (size_t i = 0; i < n && all; ++i) {
            const NPoint& p = ring.m_points[(start + i) % n];
            all = std::fabs(p.x - expected[i].x) < tol && std::fabs(p.y - expected[i].y) < tol;
        }
        if (all)
            return true;
    }
    return false;
}

}  // namespace macrotest
