// A fresh headless host per test with the library's globals pointing at it,
// and drawing helpers for the macro tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/NestingMacro.h"
#include "host/VarnelAPI.h"
#include "vlhost/Host.h"

#include <memory>

namespace macrotest {

class MacroHostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    vlapi::IVarnelDocument2DPtr NewDrawing();
    vlapi::IViewPtr ActiveView() const;
    vlapi::IDrawingContainerPtr Container() const;
    // A second view of the drawing, with its origin and scale.
    vlapi::IViewPtr AddView(double x, double y, double scale) const;
    std::vector<vlhost::RecordedMessage>& Messages() { return host->State().messages; }
    // The stored groups of the active drawing, and whether one is left open.
    int StoredGroups() const;
    bool AnyGroupOpen() const;
    std::wstring File(const std::string& name) const { return (root / name).wstring(); }

    std::filesystem::path root;
    std::unique_ptr<vlhost::Host> host;
    vlapi::IVarnelDocument2DPtr doc;
};

vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b);
// The arc from `a` to `b` through `via`.
vlapi::IArcPtr AddArc(const vlapi::IDrawingContainerPtr& c, NPoint a, NPoint b, NPoint via);
vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, NPoint centre, double r);
// A closed chain of lines through the points, in their order.
std::vector<vlapi::IDrawingObjectPtr> AddRing(const vlapi::IDrawingContainerPtr& c, const std::vector<NPoint>& points);
// A library macro of the objects (stamped as `command`), as the factories make one.
INestingMacroObjectPtr MakeMacro(const vlapi::IDrawingContainerPtr& c, const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                 const std::wstring& name, MacroCommand command = MacroCommand::Figure);
vlapi::IMacroObjectPtr HostMacro(const INestingMacroObjectPtr& macro);

// Every vertex of `ring` runs counter-clockwise and lies within `tol` of `expected`, in any start.
bool SameRing(const NPolygon& ring, const std::vector<NPoint>& expected, double tol);

}  // namespace macrotest
