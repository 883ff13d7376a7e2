#pragma once
// A fresh headless host per test: its folders in a temporary directory, the
// nesting library registered with its resource module.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "vlhost/Failures.h"
#include "host/Application.h"
#include "io/Files.h"
#include "model/Document2D.h"
#include "vlapi/vlapi.h"

#include <algorithm>
#include <unistd.h>

namespace vlhost::test {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(test.begin(), test.end(), '/', '_');  // parameterised tests
    root = std::filesystem::temp_directory_path() / ("vlhost-tests-" + std::to_string(getpid())) / test;
    std::filesystem::remove_all(root);
    app = Make<Application>(root);
    app->RegisterLibrary(L"APP_Nesting", L"Nesting", L"libNesting.so");
  }
  void TearDown() override {
    Failures::Instance().RestoreAll();
    app = nullptr;
    std::filesystem::remove_all(root);
    std::error_code ignored;  // the process folder goes once it is empty
    std::filesystem::remove(root.parent_path(), ignored);
  }

  vlapi::IApplicationPtr Api() const { return vlapi::IApplicationPtr(static_cast<vlapi::IApplication*>(app.get())); }
  vlapi::IVarnelDocument2DPtr NewDrawing() {
    return vlapi::IVarnelDocument2DPtr(static_cast<vlapi::IVarnelDocument2D*>(app->NewDocument2D().get()));
  }
  static vlapi::IViewPtr ActiveView(const vlapi::IVarnelDocument2DPtr& doc) {
    return doc->GetViewsAndLayersManager()->GetViews()->GetActiveView();
  }
  static vlapi::IDrawingContainerPtr Container(const vlapi::IViewPtr& view) { return vlapi::IDrawingContainerPtr(view); }
  std::wstring File(const std::string& name) const { return WideOf(root / name); }

  std::filesystem::path root;
  Ref<Application> app;
};

// Drawing helpers in the way a library draws.
vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, double x1, double y1, double x2, double y2);
vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, double x, double y, double r);
vlapi::IDrawingTextPtr AddText(const vlapi::IDrawingContainerPtr& c, const std::wstring& text, double x, double y, double h);
// A macro holding a w × h rectangle drawn as four lines from (0, 0).
vlapi::IMacroObjectPtr AddSquareMacro(const vlapi::IDrawingContainerPtr& c, double w, double h);
vlapi::APIObjectList ListOf(const vlapi::IAPIObjectPtr& object);
// The objects span (x1, y1)-(x2, y2) in the drawing.
void ExpectBox(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& objects, double x1, double y1, double x2, double y2);

}  // namespace vlhost::test
