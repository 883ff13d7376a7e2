// A placement job on the stand-in host: sheets in views of their own, figures
// with gap polygons, and an optimiser whose working model holds them.
#pragma once

#include "engine/NestingOptimizer.h"
#include "model/figure_fixture.h"
#include "model/sheet_statics.h"
#include "support/ring_distance.h"

#include <algorithm>


namespace placetest {

using figuretest::Rectangle;

// A point of the part's macro where its view shows it, through the compound
// macro holding it: each macro turns it about the origin, then moves it.
inline NPoint InView(const vlapi::IMacroObjectPtr& macro, NPoint p)
{
    for (vlapi::IDrawingObjectPtr at{macro}; vlapi::IMacroObjectPtr m{at};) {
        double x = 0.0, y = 0.0, angle = 0.0;
        int mirrored = 0;
        m->GetPlacement(x, y, angle, mirrored);
        p.Rotate(NPoint{}, angle * DR);
        p += NPoint{x, y};
        at = vlapi::IDrawingObjectPtr(at->GetParent());
    }
    return p;
}

class PlaceTest : public figuretest::FigureHostTest {
protected:
    static constexpr double kFigureGap = 10.0;
    static constexpr double kSheetGap = 8.0;

    void SetUp() override
    {
        FigureHostTest::SetUp();
        m_figureView = ActiveView()->GetNumber();
        Model().m_figureGap = kFigureGap;
        Model().m_sheetGap = kSheetGap;
        Model().m_sheetPattern = L"Sheet ";
    }

    NestingModel& Model() { return optimizer.m_model; }

    // A sheet in a new view; later figures are drawn in the figures' view.
    SheetPtr AddSheet(double width, double height)
    {
        NestingModel::m_widthSheet = width;
        NestingModel::m_heightSheet = height;
        AddCurrentView(10000.0 * static_cast<double>(Model().m_sheets.size() + 1), 0.0);
        SheetPtr sheet = Sheet::Create(SheetMacro(L"Sheet", width, height));
        sheet->InitParams();
        Model().m_sheets.push_back(sheet);
        MakeViewCurrent(m_figureView);
        return sheet;
    }

    FigurePtr AddFigure(const std::vector<NPoint>& ring, const std::vector<std::vector<NPoint>>& holes = {})
    {
        FigurePtr figure = MakeFigure(ring, L"Part", holes);
        figure->InitPolygons(0.0, kFigureGap, nullptr);
        figure->m_gap = kFigureGap;
        Model().m_figures.push_back(figure);
        return figure;
    }

    // Hands the model's lists to the optimiser and places every figure.
    void PlaceAll(RotationType rotation, bool autoAddSheet = true, double sheetGap = kSheetGap)
    {
        optimizer.Init(Model().m_figures, Model().m_sheets);
        optimizer.SetGaps(kFigureGap, sheetGap);
        optimizer.m_params.rotateMethod = rotation;
        optimizer.m_params.autoAddSheet = autoAddSheet;
        optimizer.SetAutoPlacementAllFigures(NestingMode::AutoForAll);
    }

    // The figure's outline lies on its sheet, the sheet gap off its edges.
    static void ExpectInsideSheet(const Figure& figure, const Sheet& sheet)
    {
        const NRect& rc = figure.m_borders.front()->GetGabarit();
        const double tol = 1e-3;
        EXPECT_GE(rc.pBot.x, sheet.m_rect.pBot.x + kSheetGap - tol);
        EXPECT_GE(rc.pBot.y, sheet.m_rect.pBot.y + kSheetGap - tol);
        EXPECT_LE(rc.pTop.x, sheet.m_rect.pTop.x - kSheetGap + tol);
        EXPECT_LE(rc.pTop.y, sheet.m_rect.pTop.y - kSheetGap + tol);
    }

    // No two outlines on one sheet cross, hold each other or stand closer
    // than the figure gap.
    void ExpectApartOnSheets() const
    {
        const std::vector<FigurePtr>& figures = optimizer.m_model.m_figures;
        for (size_t i = 0; i < figures.size(); ++i) {
            for (size_t j = i + 1; j < figures.size(); ++j) {
                if (!figures[i]->m_owner || figures[i]->m_owner != figures[j]->m_owner)
                    continue;
                const NPolygon& a = *figures[i]->m_borders.front();
                const NPolygon& b = *figures[j]->m_borders.front();
                EXPECT_FALSE(a.CheckIntersection(b, false)) << i << " " << j;
                EXPECT_FALSE(a.CheckContainPoligon(b, false)) << i << " " << j;
                EXPECT_FALSE(b.CheckContainPoligon(a, false)) << i << " " << j;
                EXPECT_GE(ringtest::BoundaryDistance(a, b), kFigureGap - 1e-2) << i << " " << j;
            }
        }
    }

    bool HasViewOf(const Sheet& sheet) const { return vrnApi::GetViewPtrByNumber(sheet.GetView()) != nullptr; }

    // The placed figures the free-space grid leaves out for `figure` (its
    // point at `at`) after Near gave `near`: at once, or where the figure
    // could overlap them.
    static size_t LeftOut(const FreeSpace& space, const VectorFigure& placed, const VectorFigure& near,
                          const Figure& figure, const NPoint& at)
    {
        size_t leftOut = 0;
        for (const FigurePtr& f : placed) {
            const NRect& rc = f->m_rect;
            const NRect& own = figure.m_rect;
            const NRect positions{{rc.pBot.x - (own.pTop.x - at.x) - 1, rc.pBot.y - (own.pTop.y - at.y) - 1},
                                  {rc.pTop.x + (at.x - own.pBot.x) + 1, rc.pTop.y + (at.y - own.pBot.y) + 1}};
            leftOut += std::find(near.begin(), near.end(), f) == near.end() || !space.MayMeet(*f, positions);
        }
        return leftOut;
    }

    NestingOptimizer optimizer;
    int m_figureView = 0;

private:
    hosttest::LayoutSwitch m_layout{true};
    SavedSheetStatics m_sheetStatics;
};

}  // namespace placetest
