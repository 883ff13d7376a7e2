// The library's commands on the stand-in host, driven by its user: a nesting
// job made in the test's drawing through the model, the controls of the
// running panel by caption, and the library's statics put back after each test.
#pragma once

#include "shell_fixture.h"

#include "api/NestingAPIObjects.h"
#include "model/NestingModel.h"
#include "model/NestingSetting.h"
#include "shell/BaseProcess.h"
#include "shell/LinearNestingEditor.h"
#include "shell/ReadContoursProcess.h"
#include "support/test_parts.h"

#include <string>
#include <vector>

namespace shelltest {

class CommandTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        NestingModel::m_session = false;
        NestingModel::m_widthSheet = 300.0;
        NestingModel::m_heightSheet = 200.0;
        NestingModel::m_materialSheet.clear();
        LinearNestingEditor::m_minWaste = 250.0;
        LinearNestingEditor::m_visualSheets = false;
        ReadContoursProcess::m_pathSheet.clear();
    }
    void TearDown() override
    {
        ShellTest::TearDown();
        NestingModel::m_session = m_saved.session;
        NestingModel::copyParams = m_saved.params;
        NestingModel::m_widthSheet = m_saved.width;
        NestingModel::m_heightSheet = m_saved.height;
        NestingModel::m_materialSheet = m_saved.material;
        NestingSetting::m_instance = m_saved.setting;
        NestingSetting::m_withoutLayout = m_saved.withoutLayout;
        LinearNestingEditor::m_minWaste = 250.0;
        LinearNestingEditor::m_visualSheets = false;
        ReadContoursProcess::m_pathSheet.clear();
    }

    // A fragment file of the outline in the test's folder.
    std::wstring Fragment(const std::string& name, const std::vector<NPoint>& outline, int count = 1,
                          double thickness = 2.0, const std::wstring& material = L"Ст3")
    {
        const std::filesystem::path path = root / (name + ".vfr");
        EXPECT_TRUE(testparts::WriteFragment(path, outline, count, thickness, material));
        return path.wstring();
    }
    // A sheet of the size and the fragments' figures in the container, loaded
    // and confirmed as the source data does (`unite`: equal right triangles joined in pairs).
    void MakeJob(const std::vector<std::wstring>& fragments, double width = 300.0, double height = 200.0,
                 bool unite = false)
    {
        ReadContoursEditor editor;
        ASSERT_TRUE(editor.Init());
        editor.SetWidthSheet(width);
        editor.SetHeightSheet(height);
        editor.LoadFigures(fragments, unite);
        editor.OK();
    }
    // The job's figures placed on its sheets by the optimiser's own run,
    // whatever their stock: as a drawing of an earlier version keeps parts of
    // several thicknesses on a sheet of none (the optimisation refuses them now).
    static void Place()
    {
        const IOptimizerPtr optimizer = CreateOptimizerInstance();
        optimizer->Init();
        static_cast<NAPIOptimizer*>(optimizer.get())->Optimizer().RunOptimization({1, RotationType::WithoutRotation, true});
    }
    // Three fragments: two equal plates and a cross.
    std::vector<std::wstring> Parts()
    {
        return {Fragment("A", testparts::Rectangle(0, 0, 60, 40)), Fragment("A2", testparts::Rectangle(0, 0, 60, 40)),
                Fragment("B", testparts::TestParts()[3].outline, 1, 3.0, L"09Г2С")};
    }

    vlapi::IPropertyControlPtr C(const std::wstring& caption) const
    {
        vlapi::IPropertyControlPtr control = user->Find(caption);
        EXPECT_TRUE(control) << vlhost::Host::Utf8(caption);
        return control;
    }
    bool Shown(const std::wstring& caption) const
    {
        const vlapi::IPropertyControlPtr control = user->Find(caption);
        return control && control->GetVisible();
    }
    std::wstring Text(const std::wstring& caption) const
    {
        const vlapi::IPropertyEditPtr edit(C(caption));
        return edit ? edit->GetText() : L"";
    }
    template <class P>
    P& Current() const
    {
        P* process = dynamic_cast<P*>(BaseProcess::currentProcess.get());
        EXPECT_TRUE(process);
        return *process;
    }
    std::wstring LastMessage() const
    {
        const auto& messages = host->State().messages;
        return messages.empty() ? L"" : messages.back().text;
    }
    size_t MacrosOf(MacroCommand command) const
    {
        size_t n = 0;
        for (const INestingMacroObjectPtr& macro : DrawingMacros())
            n += macro->GetCommand() == command ? 1 : 0;
        return n;
    }

private:
    struct Saved {
        bool session = NestingModel::m_session;
        ModelParams params = NestingModel::copyParams;
        double width = NestingModel::m_widthSheet;
        double height = NestingModel::m_heightSheet;
        std::wstring material = NestingModel::m_materialSheet;
        NestingSetting setting = NestingSetting::m_instance;
        bool withoutLayout = NestingSetting::m_withoutLayout;
    } m_saved;
};

// A model factory that makes none.
inline INestingModelPtr NoModel()
{
    return nullptr;
}

}  // namespace shelltest
