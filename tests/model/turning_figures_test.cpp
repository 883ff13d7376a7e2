// Equal parts from two part files, their polygons built while they stand at
// different reference points, then turned and slid on a sheet by the keys
// and by the hot-point editor, step after step: after every step the drawing,
// read as the next command reads it, holds each figure's gap and control
// polygons on its outline and no two figures of the sheet overlap.
#include "figure_fixture.h"

#include "engine/CommandsWithoutPanel.h"
#include "model/HotPointEditors.h"

#include <functional>

namespace figuretest {
namespace {

constexpr double kGap = 10.0;

// An L-shaped part whose turns all show.
const std::vector<NPoint> kPart = {{0, 0}, {400, 0}, {400, 100}, {100, 100}, {100, 300}, {0, 300}};

class TurningFiguresTest : public FigureStaticsTest {
protected:
    void SetUp() override
    {
        FigureStaticsTest::SetUp();
        m_sheetView = AddCurrentView(5000, 0);
        SheetMacro(L"Лист 1", 3000, 1500);
        NestingModel model;
        model.InitSheetsFromActiveDoc();
        model.m_figureGap = kGap;
        model.SaveParams();

        // Part A once, part B twice; the first figure stands away from the
        // origin while the polygons are built, and every figure is turned
        // in memory, as the placement tries turns.
        std::vector<NPoint> shifted;
        for (const NPoint& p : kPart)
            shifted.push_back({p.x + 300, p.y + 200});
        model.AddFigure(PartFile({kPart}, 1, "A"));
        model.AddFigure(PartFile({shifted}, 2, "B"));
        ASSERT_EQ(model.m_figures.size(), 3u);
        model.m_figures[0]->SetPlacement(600, 0, 0, false);
        model.InitFigurePolygons();
        double x = 500;
        for (const FigurePtr& figure : model.m_figures) {
            figure->SetPlacement(0, 0, 90, false);
            ExpectPolygonsOnOutline(*figure, kGap);
            figure->ChangeView(m_sheetView, false);
            double at = 0, y = 0, angle = 0;
            figure->GetPlacement(at, y, angle);
            figure->SetPlacement(x - at, 700 - y, 0, false);
            figure->SaveParams();
            x += 700;
        }
        // Dropped, not cleared: the drawing keeps the figures the model made.
        model.m_figures.clear();
        model.m_sheets.clear();
    }

    // The figure macros of that name now in the drawing, selected alone.
    static std::vector<INestingMacroObjectPtr> Select(const std::wstring& name, size_t count = 1)
    {
        vrnApi::UnSelectAll();
        std::vector<INestingMacroObjectPtr> chosen;
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            if (chosen.size() < count && macro->GetName() == name &&
                macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure)) {
                macro->SelectMacro(true);
                chosen.push_back(macro);
            }
        }
        EXPECT_EQ(chosen.size(), count) << name;
        return chosen;
    }

    // The drawing as the next command reads it.
    void ExpectSoundJob(const std::string& step) const
    {
        SCOPED_TRACE(step);
        NestingModel read;
        read.InitSheetsFromActiveDoc();
        read.InitFiguresFromActiveDoc(nullptr);
        ASSERT_EQ(read.m_figures.size(), 3u);
        std::vector<FigurePtr> placed;
        for (const FigurePtr& figure : read.m_figures) {
            ExpectPolygonsOnOutline(*figure, kGap);
            ExpectInStepWithMacro(*figure);
            if (figure->GetView() == m_sheetView)
                placed.push_back(figure);
        }
        EXPECT_EQ(placed.size(), 3u);
        for (size_t i = 0; i < placed.size(); ++i) {
            for (size_t j = i + 1; j < placed.size(); ++j) {
                const NPolygon& a = *placed[i]->m_borders.front();
                const NPolygon& b = *placed[j]->m_borders.front();
                EXPECT_GE(ringtest::BoundaryDistance(a, b), kGap - 1e-3) << i << " " << j;
                EXPECT_FALSE(a.CheckContainPoint(b.m_points.front(), true)) << i << " " << j;
                EXPECT_FALSE(b.CheckContainPoint(a.m_points.front(), true)) << i << " " << j;
            }
        }
        read.m_figures.clear();
        read.m_sheets.clear();
    }

    // A drag of handle `index` of the figure's editor, ended as the host ends
    // it: the editor asks for command 300, which the host runs.
    static void Drag(const std::wstring& name, int index, double x, double y)
    {
        HP_Figure editor(Select(name).front());
        editor.Init();
        HotPoint point;
        point.x = x;
        point.y = y;
        ASSERT_TRUE(editor.SetHotPoint(point, index));
        editor.EditComplete(index, true);
        RunAutoPlacementInSheet();
    }

    int m_sheetView = 0;
};

// The figures stand 700 mm apart: turned where they stand they keep clear of
// one another, until Shift makes command 300 place them again by the
// bottom-left rule and the keys slide them together.
TEST_F(TurningFiguresTest, PolygonsStayOnTheOutlinesAndFiguresApartThroughEveryTurn)
{
    ExpectSoundJob("placed");
    const auto holdShift = [this] { State().keysDown.insert(0x10); };
    const std::pair<std::string, std::function<void()>> steps[] = {
        {"A turned right", [] { Select(L"A"); RotateFigure(90.0); }},
        {"B turned left", [] { Select(L"B"); RotateFigure(-90.0); }},
        {"both B turned right", [] { Select(L"B", 2); RotateFigure(90.0); }},
        {"B turned by its handle", [] { Drag(L"B", 1, 0, 50); }},
        {"A moved by its handle", [] { Drag(L"A", 0, 150, 0); }},
        {"A turned by its handle", [] { Drag(L"A", 1, -40, -40); }},
        {"B turned and placed again", [&] { holdShift(); Select(L"B"); RotateFigure(90.0); }},
        {"B slid left", [] { Select(L"B"); OffsetFigure(NestingMode::OffsetLeft); }},
        {"A slid down", [] { Select(L"A"); OffsetFigure(NestingMode::OffsetDown); }},
        {"A slid left", [] { Select(L"A"); OffsetFigure(NestingMode::OffsetLeft); }},
    };
    for (const auto& [name, step] : steps) {
        step();
        ExpectSoundJob(name);
    }
}

}  // namespace
}  // namespace figuretest
