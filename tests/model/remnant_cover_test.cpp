// A part moved onto a remnant, or into the gap kept around one, takes that
// stock: after the host's tools or the keyboard moved it, the remnant is no
// longer in the drawing, the user is told, and the others stay.
#include "bridge_fixture.h"

#include "engine/CommandsWithoutPanel.h"
#include "sheet_statics.h"

#include <algorithm>
#include <functional>

namespace bridgetest {
namespace {

class RemnantCoverTest : public BridgeTest, public ::testing::WithParamInterface<size_t> {
public:
    void SetUp() override
    {
        BridgeTest::SetUp();
        Remnant(700, 50, 950, 450);  // far from both parts
        Remnant(100, 300, 300, 450);  // above F1, 100 mm clear of it
        model.UpdateWastesNames();
        model.m_wastes.clear();
        Drop(model);
    }

    void TearDown() override
    {
        HP_Figure::refMacro = 0;
        BridgeTest::TearDown();
    }

protected:
    void Remnant(double x1, double y1, double x2, double y2)
    {
        const NPolygon ring({}, {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
        const WastePtr waste =
            Waste::Create(vrnApi::CreateMacroByPolygon(ring, L"", static_cast<int>(MacroCommand::Waste)));
        model.InitWasteParams(waste, TheSheet(), false);
        model.m_wastes.push_back(waste);
    }

public:
    static INestingMacroObjectPtr Macro(MacroCommand command, const std::wstring& start)
    {
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            if (macro->CheckMacroLibraryNameAndCommand(command) && macro->GetName().rfind(start, 0) == 0)
                return macro;
        }
        return nullptr;
    }

    // Moved by the host's own tool, then placed again as the document events make it.
    static void MovedByTheHost(const INestingMacroObjectPtr& macro, double dx, double dy)
    {
        ASSERT_TRUE(macro);
        macro->SetMacroPlacement(dx, dy, 0.0, false);
        vrnApi::UnSelectAll();
        macro->SelectMacro(true);
        RunAutoPlacementInSheet();
    }

    static size_t Remnants()
    {
        size_t n = 0;
        for (const INestingMacroObjectPtr& macro : DrawingMacros())
            n += macro->CheckMacroLibraryNameAndCommand(MacroCommand::Waste) ? 1 : 0;
        return n;
    }

private:
    SavedSheetStatics m_sheetStatics;
};

const struct {
    const char* what;
    std::function<void()> move;
    const wchar_t* dropped;  // the remnant that went, or none
} kMoves[] = {
    {"a part moved onto a remnant", [] { RemnantCoverTest::MovedByTheHost(RemnantCoverTest::Macro(MacroCommand::Figure, L"F2"), 300, 0); },
     L"Отход Лист 1-1(1)"},
    {"a part moved into a remnant's gap", [] { RemnantCoverTest::MovedByTheHost(RemnantCoverTest::Macro(MacroCommand::Figure, L"F1"), 0, 97); },
     L"Отход Лист 1-2(2)"},
    {"a part moved clear of the remnants", [] { RemnantCoverTest::MovedByTheHost(RemnantCoverTest::Macro(MacroCommand::Figure, L"F1"), 0, 90); },
     nullptr},
    {"a part slid up by the arrow key",
     [] {
         vrnApi::UnSelectAll();
         RemnantCoverTest::Macro(MacroCommand::Figure, L"F1")->SelectMacro(true);
         OffsetFigure(NestingMode::OffsetUp);
     },
     L"Отход Лист 1-2(2)"},
    {"a remnant moved onto a part", [] { RemnantCoverTest::MovedByTheHost(RemnantCoverTest::Macro(MacroCommand::Waste, L"Отход Лист 1-2"), 0, -150); },
     L"Отход Лист 1-2(2)"},
};

TEST_P(RemnantCoverTest, ARemnantAPartStandsOnGoesAndTheUserIsTold)
{
    const auto& c = kMoves[GetParam()];
    SCOPED_TRACE(c.what);
    const size_t messages = Messages().size();
    c.move();
    EXPECT_EQ(Remnants(), c.dropped ? 1u : 2u);
    if (!c.dropped) {
        EXPECT_EQ(Messages().size(), messages);
        return;
    }
    ASSERT_EQ(Messages().size(), messages + 1);
    EXPECT_NE(Messages().back().text.find(c.dropped), std::wstring::npos);
    // The one left is numbered as the first of its sheet.
    EXPECT_TRUE(Macro(MacroCommand::Waste, L"Отход Лист 1-1(1)"));
}

INSTANTIATE_TEST_SUITE_P(Moves, RemnantCoverTest, ::testing::Range<size_t>(0, std::size(kMoves)));

}  // namespace
}  // namespace bridgetest
