// A fresh stand-in host with one active drawing per test, for the engine
// parts that reach the host.
#pragma once

#include "host/VarnelAPI.h"
#include "vlhost/Host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

class EngineHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root = std::filesystem::temp_directory_path() / "nesting-engine-tests" /
               (std::string(info->test_suite_name()) + "." + info->name());
        std::filesystem::remove_all(root);
        host = std::make_unique<vlhost::Host>(root);
        application = host->Application();
        doc = host->NewDrawing();
    }

    void TearDown() override
    {
        doc = nullptr;
        application = nullptr;
        host.reset();
        std::filesystem::remove_all(root);
    }

    vlapi::IViewPtr AddView(double x, double y, double scale) const
    {
        vlapi::IViewPtr view = doc->GetViewsAndLayersManager()->GetViews()->Add(1);
        view->SetX(x);
        view->SetY(y);
        view->SetScale(scale);
        view->Update();
        return view;
    }

    size_t ObjectsInActiveView() const
    {
        vlapi::IViewPtr view = doc->GetViewsAndLayersManager()->GetViews()->GetActiveView();
        return vlapi::IDrawingContainerPtr(view)->GetObjects({vlapi::vlAllObj}).size();
    }

    std::filesystem::path root;
    std::unique_ptr<vlhost::Host> host;
    vlapi::IVarnelDocument2DPtr doc;
};
