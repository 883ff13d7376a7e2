// A nesting drawing for the bridge tests: a sheet of 1000 x 500 in a view of
// its own with two figures on it, F1 (100..300 x 100..200) and F2
// (400..600 x 100..200), loaded into a model as a command would.
#pragma once

#include "figure_fixture.h"

#include "model/NestingModel.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace bridgetest {

using figuretest::Rectangle;

inline constexpr double kWidth = 30.0;  // bridge width of the tests: radius 15

class BridgeTest : public figuretest::FigureHostTest {
protected:
    void SetUp() override
    {
        FigureHostTest::SetUp();
        m_sheetView = AddCurrentView(5000, 0);
        SheetMacro(L"Лист 1", 1000, 500);
        StoredFigure(Rectangle(100, 100, 200, 100), L"F1");
        StoredFigure(Rectangle(400, 100, 200, 100), L"F2");
        Load(model);
    }

    void TearDown() override
    {
        Drop(model);
        FigureHostTest::TearDown();
    }

    // Sheets and figures of the active drawing, as a command loads them.
    static void Load(NestingModel& m)
    {
        m.InitSheetsFromActiveDoc();
        m.InitFiguresFromActiveDoc(nullptr);
    }

    static void Drop(NestingModel& m)
    {
        m.m_jumpers.clear();
        m.m_figures.clear();
        m.m_sheets.clear();
    }

    const SheetPtr& TheSheet() const { return model.m_sheets.at(0); }
    const FigurePtr& F1() const { return model.m_figures.at(0); }
    const FigurePtr& F2() const { return model.m_figures.at(1); }

    // A bridge of the model from `a` on `owner1` to `b` on `owner2`, as the
    // bridges command places one.
    JumperPtr AddBridge(BridgeType type, NPoint a, NObjectPtr owner1, NPoint b = {}, NObjectPtr owner2 = nullptr,
                        double width = kWidth)
    {
        JumperPtr jumper = model.CreateJumper(0, 0, width, type, false);
        jumper->m_owner1 = std::move(owner1);
        jumper->SetPoint1(a);
        if (owner2) {
            jumper->m_owner2 = std::move(owner2);
            jumper->SetPoint2(b);
        }
        model.AddJumper(jumper, 0);
        return jumper;
    }

    size_t BridgeMacros() const
    {
        size_t count = 0;
        for (const INestingMacroObjectPtr& macro : DrawingMacros())
            count += macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge) ? 1 : 0;
        return count;
    }

    NestingModel model;
    int m_sheetView = 0;
};

inline void ExpectPoint(const NPoint& p, double x, double y, double tol = 1e-9)
{
    EXPECT_NEAR(p.x, x, tol);
    EXPECT_NEAR(p.y, y, tol);
}

inline void ExpectPoint(const NPoint& p, const NPoint& q, double tol = 1e-9)
{
    ExpectPoint(p, q.x, q.y, tol);
}

}  // namespace bridgetest
