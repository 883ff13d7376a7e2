// A fresh headless host per test with the library's globals pointing at it,
// and small drawing helpers shared by the tests of the library on that host.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/HostAccess.h"
#include "host/NestingMacro.h"
#include "host/VarnelAPI.h"
#include "vlhost/Host.h"

namespace hosttest {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    vlapi::IVarnelDocument2DPtr NewDrawing() { return host->NewDrawing(); }
    vlapi::IViewPtr ActiveView() const;
    vlapi::IDrawingContainerPtr Container() const { return vlapi::IDrawingContainerPtr(ActiveView()); }
    // A further view of the drawing, with its origin and scale.
    vlapi::IViewPtr AddView(double x, double y, double scale) const;
    // A further view made current, so that the next objects stand in it; its number.
    int AddCurrentView(double x, double y, double scale = 1.0) const;
    void MakeViewCurrent(int number) const;
    // The view of the given number; null when there is none.
    vlapi::IViewPtr View(int number) const;
    size_t ObjectsIn(const vlapi::IViewPtr& view) const;
    size_t DrawingObjects() const { return ObjectsIn(ActiveView()); }
    vlhost::HostState& State() { return host->State(); }
    std::vector<vlhost::RecordedMessage>& Messages() { return host->State().messages; }
    // The messages shown as errors.
    size_t ErrorMessages() const;
    vlhost::DocumentSwitches Switches() const { return vlhost::Host::Switches(vrnApi::GetActiveDocument2D()); }
    int OpenDocuments() const { return application->GetDocuments()->GetCount(); }
    std::wstring File(const std::string& name) const { return (root / name).wstring(); }

    // The library macros of the active drawing, as the host lists them.
    static std::vector<INestingMacroObjectPtr> DrawingMacros();
    // A sheet macro of the given size in the current view.
    static INestingMacroObjectPtr SheetMacro(const std::wstring& name, double width, double height);

    // Every file and folder under the test's folder but those inside
    // `folder`, in order: what a run that writes into `folder` must leave as
    // it was.
    std::vector<std::filesystem::path> FilesOutside(const std::filesystem::path& folder) const;

    // The stored groups of the active drawing, and whether one is left open.
    int StoredGroups() const;
    bool AnyGroupOpen() const;
    // The reference the next object of the active drawing gets.
    reference NextReference() const;
    // True when no temporary group made from `since` on still stands in the
    // active drawing.
    bool NoTemporaryGroupSince(reference since) const;

    std::filesystem::path root;
    std::unique_ptr<vlhost::Host> host;
    vlapi::IVarnelDocument2DPtr doc;
};

// Sets the job's page-layout switch for a test and puts the old value back
// when the test ends.
class LayoutSwitch {
public:
    explicit LayoutSwitch(bool withoutLayout);
    LayoutSwitch(const LayoutSwitch&) = delete;
    LayoutSwitch& operator=(const LayoutSwitch&) = delete;
    ~LayoutSwitch();

private:
    bool m_saved;
};

// The same host with the job's page layout switched on for the test.
class WithLayoutTest : public HostTest {
private:
    LayoutSwitch m_layout{false};
};

vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b);
// The arc from `a` to `b` through `via`.
vlapi::IArcPtr AddArc(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b, NPoint via);
vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, NPoint centre, double r);
// A closed chain of lines through the points, in their order.
std::vector<vlapi::IDrawingObjectPtr> AddRing(const vlapi::IDrawingContainerPtr& c, const std::vector<NPoint>& points);

// `path` (absolute) made `bytes` bytes long by folders of names of 200 bytes at most: near the file
// system's limit, it takes a file of a short name but not the longer one a file is first written under.
std::filesystem::path PathOfLength(std::filesystem::path path, size_t bytes);

}  // namespace hosttest
