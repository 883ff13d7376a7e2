// A model with sheets and parts in the stand-in drawing, for the remnant tests.
#pragma once

#include "sheet_fixture.h"

#include <algorithm>
#include <vector>

namespace wastetest {

class WasteModelTest : public sheettest::ModelHostTest {
protected:
    void SetUp() override
    {
        ModelHostTest::SetUp();
        model.m_figureGap = kGap;
        model.m_sheetGap = 0.0;
        model.m_wastSize = 0.0;
    }

    void TearDown() override
    {
        model.ClearWastes();
        ModelHostTest::TearDown();
    }

    // A rectangular part with its lower-left corner at (x, y) in the current
    // view, with its gap polygons, on `sheet`, added to the model.
    FigurePtr AddPart(const SheetPtr& sheet, double x, double y, double width, double height)
    {
        FigurePtr figure = RectangleFigure(width, height);
        figure->InitParams();
        figure->InitPolygons(0.0, kGap, nullptr);
        figure->SetPlacement(x, y, 0.0, false);
        figure->m_owner = sheet;
        model.m_figures.push_back(figure);
        return figure;
    }

    // A part of the outline `ring` with its gap polygons for `gap`, turned by
    // `angle` degrees, its gabarit's lower-left corner then moved to `at`,
    // on `sheet`, added to the model.
    FigurePtr AddOutline(const SheetPtr& sheet, const std::vector<NPoint>& ring, double angle, const NPoint& at,
                         double gap)
    {
        FigurePtr figure = Figure::Create(
            vrnApi::CreateMacroByPolygon(NPolygon({}, ring), L"Part", static_cast<int>(MacroCommand::Figure)));
        figure->InitParams();
        figure->InitPolygons(0.0, gap, nullptr);
        figure->SetPlacement(0.0, 0.0, angle, false);
        figure->SetPlacement(at.x - figure->m_rectBorder.pBot.x, at.y - figure->m_rectBorder.pBot.y, 0.0, false);
        figure->m_owner = sheet;
        model.m_figures.push_back(figure);
        return figure;
    }

    // A remnant of a rectangle at (x, y) in the current view, finished by the model on `sheet`.
    WastePtr AddRectWaste(const SheetPtr& sheet, double x, double y, double width, double height, bool method)
    {
        const NPolygon ring({}, {{x, y}, {x + width, y}, {x + width, y + height}, {x, y + height}});
        WastePtr waste =
            Waste::Create(vrnApi::CreateMacroByPolygon(ring, L"", static_cast<int>(MacroCommand::Waste)));
        model.m_wasteMethod = method;
        model.InitWasteParams(waste, sheet, false);
        model.m_wastes.push_back(waste);
        return waste;
    }

    // The remnant's macro is still among the drawing's library macros.
    static bool InDrawing(const Waste& waste)
    {
        const std::vector<INestingMacroObjectPtr> macros = DrawingMacros();
        const reference ref = waste.GetReference();
        return ref != 0 && std::any_of(macros.begin(), macros.end(), [ref](const INestingMacroObjectPtr& m) {
                   return m->GetReference() == ref;
               });
    }

    static constexpr double kGap = 10.0;
};

// The point lies in the remnant's area: inside its outer ring and in none of its holes.
inline bool InArea(const Waste& waste, const NPoint& p)
{
    if (waste.m_polygons.empty() || !waste.m_polygons.front()->CheckContainPoint(p, false))
        return false;
    for (size_t i = 1; i < waste.m_polygons.size(); ++i) {
        if (waste.m_polygons[i]->CheckContainPoint(p, true))
            return false;
    }
    return true;
}

// Neither the remnant's area reaches a vertex of `ring` (a part's grown
// outline) nor a vertex of the remnant's outline lies inside the ring.
inline bool KeepsOff(const Waste& waste, const NPolygon& ring)
{
    for (const NPoint& p : ring.m_points) {
        if (InArea(waste, p))
            return false;
    }
    for (const NPolygonPtr& outline : waste.m_polygons) {
        for (const NPoint& p : outline->m_points) {
            if (ring.CheckContainPoint(p, false))
                return false;
        }
    }
    return true;
}

// The part's border rectangle grown by `by`.
inline NPolygon Grown(const Figure& part, double by)
{
    const NRect& b = part.m_rectBorder;
    return NPolygon({}, {{b.pBot.x - by, b.pBot.y - by},
                         {b.pTop.x + by, b.pBot.y - by},
                         {b.pTop.x + by, b.pTop.y + by},
                         {b.pBot.x - by, b.pTop.y + by}});
}

}  // namespace wastetest
