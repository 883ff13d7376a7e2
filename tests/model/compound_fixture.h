// Right-triangle figures on a fresh stand-in drawing, a model holding them,
// and checks of where joined members stand.
#pragma once

#include "figure_fixture.h"

#include "model/NestingModel.h"

#include <cmath>

namespace compoundtest {

using figuretest::ExpectInStepWithMacro;
using figuretest::ExpectRectNear;
using figuretest::ExpectSameVertices;

// Legs 100 along x and 60 along y; the longest edge runs from (x + 100, y) to (x, y + 60).
inline std::vector<NPoint> Triangle(double x, double y)
{
    return {{x, y}, {x + 100, y}, {x, y + 60}};
}

// Its mirror image: the right angle at the other end of the x leg.
inline std::vector<NPoint> MirroredTriangle(double x, double y)
{
    return {{x, y}, {x + 100, y}, {x + 100, y + 60}};
}

inline double Hypotenuse()
{
    return std::sqrt(100.0 * 100.0 + 60.0 * 60.0);
}

inline NPolygon Ring(const std::vector<NPoint>& points)
{
    return NPolygon(NPoint{}, points);
}

// Distance of `p` from the line through a and b.
inline double LineDistance(const NPoint& a, const NPoint& b, const NPoint& p)
{
    const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    return std::fabs(cross) / std::hypot(b.x - a.x, b.y - a.y);
}

// The two members lie `gap` apart along their longest edges.
inline void ExpectJoinedAlongLongestEdges(const Figure& first, const Figure& second, double gap)
{
    size_t i1 = 0;
    size_t i2 = 0;
    const NSegment edge = first.m_borders.front()->FindMaxSegment(i1, i2);
    int onGapLine = 0;
    for (const NPoint& p : second.m_borders.front()->m_points) {
        if (std::fabs(LineDistance(edge.p1, edge.p2, p) - gap) < 1e-4)
            ++onGapLine;
    }
    EXPECT_EQ(onGapLine, 2);
}

inline NRect Union(const NRect& a, const NRect& b)
{
    return {{std::min(a.pBot.x, b.pBot.x), std::min(a.pBot.y, b.pBot.y)},
            {std::max(a.pTop.x, b.pTop.x), std::max(a.pTop.y, b.pTop.y)}};
}

class CompoundTest : public figuretest::FigureHostTest {
protected:
    void SetUp() override
    {
        FigureHostTest::SetUp();
        CompoundFigure::m_index = 0;
        model.m_figureGap = 5.0;
        model.m_uniteMirrors = false;
    }

    void TearDown() override
    {
        model.m_figures.clear();
        CompoundFigure::m_index = 0;
        FigureHostTest::TearDown();
    }

    // A figure of the model with its gap polygons, as the model prepares it.
    FigurePtr AddTriangle(const std::vector<NPoint>& ring, const std::wstring& name = L"Part")
    {
        FigurePtr figure = MakeFigure(ring, name);
        figure->m_thickness = 2.0;
        figure->SetMaterial(L"Ст3");
        figure->InitPolygons(0.0, model.m_figureGap, nullptr);
        figure->m_gap = model.m_figureGap;
        figure->SaveParams();
        model.m_figures.push_back(figure);
        return figure;
    }

    CompoundFigurePtr OnlyCompound() const
    {
        EXPECT_EQ(model.m_figures.size(), 1u);
        return std::dynamic_pointer_cast<CompoundFigure>(model.m_figures.front());
    }

    static std::wstring CompoundName(int number)
    {
        return vrnApi::LoadStr(7110) + L" " + std::to_wstring(number);
    }

    // Top-level library macros of the drawing.
    size_t TopMacros() const { return MacrosInDrawing(); }

    NestingModel model;
};

}  // namespace compoundtest
