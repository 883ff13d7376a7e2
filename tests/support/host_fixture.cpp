#include "host_fixture.h"

#include "model/NestingSetting.h"

#include <algorithm>
#include <string>

#include <unistd.h>

namespace hosttest {

void HostTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Named after the process too: two test folders may hold tests of one
    // name, and two builds may run their tests at the same time.
    std::string test = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(test.begin(), test.end(), '/', '_');  // parameterised tests
    root = std::filesystem::temp_directory_path() / ("nesting-tests-" + std::to_string(getpid())) / test;
    std::filesystem::remove_all(root);
    host = std::make_unique<vlhost::Host>(root);
    application = host->Application();
    resourceModule = application->GetResourcesModule(L"Nesting");
    doc = NewDrawing();
}

void HostTest::TearDown()
{
    vlhost::Failures::Instance().RestoreAll();
    doc = nullptr;
    resourceModule = nullptr;
    application = nullptr;
    host.reset();
    std::filesystem::remove_all(root);
    std::error_code ignored;  // the process folder goes once it is empty
    std::filesystem::remove(root.parent_path(), ignored);
}

vlapi::IViewPtr HostTest::ActiveView() const
{
    return vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->GetActiveView();
}

vlapi::IViewPtr HostTest::AddView(double x, double y, double scale) const
{
    vlapi::IViewPtr view = vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->Add(1);
    view->SetX(x);
    view->SetY(y);
    view->SetScale(scale);
    view->Update();
    return view;
}

int HostTest::AddCurrentView(double x, double y, double scale) const
{
    const int number = AddView(x, y, scale)->GetNumber();
    MakeViewCurrent(number);
    return number;
}

void HostTest::MakeViewCurrent(int number) const
{
    vlapi::IViewPtr view = View(number);
    view->SetCurrent(true);
    view->Update();
}

vlapi::IViewPtr HostTest::View(int number) const
{
    return vrnApi::GetActiveDocument2D()->GetViewsAndLayersManager()->GetViews()->GetView(number);
}

std::vector<INestingMacroObjectPtr> HostTest::DrawingMacros()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    return macros;
}

INestingMacroObjectPtr HostTest::SheetMacro(const std::wstring& name, double width, double height)
{
    return vrnApi::CreateMacroByRectangle(name, width, height, static_cast<int>(MacroCommand::Sheet));
}

size_t HostTest::ObjectsIn(const vlapi::IViewPtr& view) const
{
    return vlapi::IDrawingContainerPtr(view)->GetObjects({vlapi::vlAllObj}).size();
}

size_t HostTest::ErrorMessages() const
{
    size_t count = 0;
    for (const vlhost::RecordedMessage& message : host->State().messages)
        count += message.flags == 0x10 ? 1 : 0;
    return count;
}

std::vector<std::filesystem::path> HostTest::FilesOutside(const std::filesystem::path& folder) const
{
    std::vector<std::filesystem::path> files;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::recursive_directory_iterator();
         ++it) {
        if (it->path() == folder)
            it.disable_recursion_pending();
        else
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

int HostTest::StoredGroups() const
{
    return vrnApi::GetActiveDocument2D()->GetDrawingGroups()->GetCount();
}

bool HostTest::AnyGroupOpen() const
{
    vlapi::IDrawingGroupsPtr groups = vrnApi::GetActiveDocument2D()->GetDrawingGroups();
    for (int i = 0; i < groups->GetCount(); ++i) {
        if (groups->GetItem(i)->IsOpen())
            return true;
    }
    return false;
}

reference HostTest::NextReference() const
{
    vlapi::ILineSegmentPtr probe = AddLine(Container(), {0, 0}, {1, 0});
    const reference next = hostAccess::ReferenceOf(probe);
    probe->Delete();
    return next;
}

bool HostTest::NoTemporaryGroupSince(reference since) const
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

LayoutSwitch::LayoutSwitch(bool withoutLayout)
    : m_saved(NestingSetting::m_withoutLayout)
{
    NestingSetting::m_withoutLayout = withoutLayout;
}

LayoutSwitch::~LayoutSwitch()
{
    NestingSetting::m_withoutLayout = m_saved;
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

std::filesystem::path PathOfLength(std::filesystem::path path, size_t bytes)
{
    while (path.native().size() + 1 < bytes)
        path /= std::string(std::min<size_t>(200, bytes - path.native().size() - 1), 'f');
    return path;
}

}  // namespace hosttest
