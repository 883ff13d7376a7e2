// The automation tests' host: a fresh stand-in host, the job's statics
// (sheet size and material, session copy, configuration) put back after each
// test, and parts of the repository's test data written as fragment files.
#pragma once

#include "api/INestingObjects.h"
#include "model/NestingModel.h"
#include "model/NestingSetting.h"
#include "model/sheet_statics.h"
#include "support/host_fixture.h"
#include "support/test_parts.h"

#include <string>
#include <vector>

namespace apitest {

using testparts::Part;
using testparts::Rectangle;
using testparts::TestParts;

// A small job made through the interfaces: one 300 x 200 sheet, the first
// test part with its copies in the container, a whole-sheet manual remnant
// and a one-point bridge on the sheet's lower edge.
struct Job {
    INestingModelPtr model;
    ISheetPtr sheet;
    IFigurePtr figure;
    IWastePtr waste;
    IJumperPtr jumper;
};

class ApiTest : public hosttest::HostTest {
protected:
    Job MakeJob();

    void SetUp() override;
    void TearDown() override;

    // A fragment file of the outline carrying count, thickness and material
    // as document properties; the active drawing stays active.
    std::wstring FragmentFile(const std::string& file, const std::vector<NPoint>& outline, int count = 1,
                              double thickness = 0.0, const std::wstring& material = L"");
    std::wstring FragmentFile(const Part& part);
    // The library macros of the active drawing made with the command.
    static size_t MacrosOf(MacroCommand command);

private:
    SavedSheetStatics m_sheetStatics;
    hosttest::LayoutSwitch m_layout{true};
    NestingSetting m_setting;
    bool m_session = false;
    ModelParams m_copyParams;
};

}  // namespace apitest
