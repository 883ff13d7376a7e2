// Figures on library macros of a fresh stand-in drawing, and comparisons of
// the figure's polygons with what the host reads from its macro.
#pragma once

#include "support/macro_fixture.h"
#include "support/ring_distance.h"
#include "host/NestingResources.h"
#include "model/HotPointEditors.h"
#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "sheet_statics.h"

#include <cmath>

namespace figuretest {

using macrotest::AddRing;
using macrotest::MakeMacro;

// An L-shaped outline: no symmetry hides a wrong turn or mirror.
inline const std::vector<NPoint> kEll = {{0, 0}, {40, 0}, {40, 10}, {10, 10}, {10, 30}, {0, 30}};

inline std::vector<NPoint> Rectangle(double x, double y, double w, double h)
{
    return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

class FigureHostTest : public macrotest::MacroHostTest {
protected:
    INestingMacroObjectPtr Macro(const std::vector<NPoint>& ring, const std::wstring& name = L"Part")
    {
        return MakeMacro(Container(), AddRing(Container(), ring), name);
    }

    // A figure read from a new macro of the ring (and holes).
    FigurePtr MakeFigure(const std::vector<NPoint>& ring, const std::wstring& name = L"Part",
                         const std::vector<std::vector<NPoint>>& holes = {})
    {
        std::vector<vlapi::IDrawingObjectPtr> objects = AddRing(Container(), ring);
        for (const std::vector<NPoint>& hole : holes) {
            for (const vlapi::IDrawingObjectPtr& line : AddRing(Container(), hole))
                objects.push_back(line);
        }
        FigurePtr figure = Figure::Create(MakeMacro(Container(), objects, name));
        figure->InitParams();
        return figure;
    }

    // A figure with its gap and control polygons for the given gap.
    FigurePtr MakeFigureWithGap(const std::vector<NPoint>& ring, double gap)
    {
        FigurePtr figure = MakeFigure(ring);
        figure->InitPolygons(0.0, gap, nullptr);
        return figure;
    }

    // A figure with gap polygons whose record is stored in its macro, as a
    // nesting drawing keeps it.
    FigurePtr StoredFigure(const std::vector<NPoint>& ring, const std::wstring& name = L"Part")
    {
        FigurePtr figure = MakeFigure(ring, name);
        figure->InitPolygons(0.0, 10.0, nullptr);
        figure->SaveParams();
        return figure;
    }

    size_t MacrosInDrawing() const { return DrawingMacros().size(); }

    // A part drawing "<name>.vdw" ("part<n>.vdw" without a name) with
    // `rings`, `count` pieces of 2.5 mm Ст3; back to the nesting drawing.
    std::wstring PartFile(const std::vector<std::vector<NPoint>>& rings, int count, std::string name = {})
    {
        const vlapi::IVarnelDocument2DPtr part = NewDrawing();
        for (const std::vector<NPoint>& ring : rings)
            AddRing(Container(), ring);
        if (count > 1)
            vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), count);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), 2.5);
        vrnApi::SetMaterialPropertyToDocument(L"Ст3");
        ++m_files;
        const std::wstring path = File((name.empty() ? "part" + std::to_string(m_files) : name) + ".vdw");
        EXPECT_TRUE(part->SaveAs(path));
        part->Close(0);
        doc->Activate();
        return path;
    }

private:
    int m_files = 0;
};

// The same, putting back the process-wide sheet size and material and the
// hot points of the figures after each test.
class FigureStaticsTest : public FigureHostTest {
protected:
    void TearDown() override
    {
        HP_Figure::refMacro = 0;
        HP_Figure::refs.clear();
        FigureHostTest::TearDown();
    }

private:
    SavedSheetStatics m_sheetStatics;
};

// The outline rings of the macro where the host shows it now.
inline VectorPolygon HostRings(const INestingMacroObjectPtr& macro)
{
    VectorPolygon rings;
    macro->InitBordersFromMacro(rings);
    return rings;
}

inline bool HasVertex(const NPolygon& polygon, const NPoint& p, double tol)
{
    for (const NPoint& q : polygon.m_points) {
        if (std::fabs(p.x - q.x) < tol && std::fabs(p.y - q.y) < tol)
            return true;
    }
    return false;
}

// The same vertices, whatever the start and direction.
inline void ExpectSameVertices(const NPolygon& a, const NPolygon& b, double tol = 1e-6)
{
    ASSERT_EQ(a.m_points.size(), b.m_points.size());
    for (const NPoint& p : a.m_points)
        EXPECT_TRUE(HasVertex(b, p, tol)) << p.x << " " << p.y;
}

// The figure's outline rings stand where the host shows its macro.
inline void ExpectInStepWithMacro(const Figure& figure)
{
    const VectorPolygon rings = HostRings(figure.m_macro);
    ASSERT_EQ(rings.size(), figure.m_borders.size());
    for (size_t i = 0; i < rings.size(); ++i)
        ExpectSameVertices(*figure.m_borders[i], *rings[i]);
}

// Every gap polygon lies half the gap from the figure's outline and every
// control polygon 0.1 mm closer, each around it (holes aside).
inline void ExpectPolygonsOnOutline(const Figure& figure, double gap)
{
    ASSERT_FALSE(figure.m_borders.empty());
    const NPolygon& outline = *figure.m_borders.front();
    const struct {
        const VectorPolygon& polygons;
        double distance;
    } lists[] = {{figure.m_poligons, gap * 0.5}, {figure.m_controls, gap * 0.5 - 0.1}};
    for (const auto& list : lists) {
        ASSERT_FALSE(list.polygons.empty());
        const NPolygon& outer = *list.polygons.front();
        EXPECT_NEAR(ringtest::BoundaryDistance(outer, outline), list.distance, 1e-3) << figure.m_name;
        EXPECT_TRUE(outer.CheckContainPoint(outline.m_points.front(), false)) << figure.m_name;
    }
}

inline NRect Grown(const NRect& rc, double d)
{
    return {{rc.pBot.x - d, rc.pBot.y - d}, {rc.pTop.x + d, rc.pTop.y + d}};
}

inline void ExpectRectNear(const NRect& a, const NRect& b, double tol = 1e-6)
{
    EXPECT_NEAR(a.pBot.x, b.pBot.x, tol);
    EXPECT_NEAR(a.pBot.y, b.pBot.y, tol);
    EXPECT_NEAR(a.pTop.x, b.pTop.x, tol);
    EXPECT_NEAR(a.pTop.y, b.pTop.y, tol);
}

}  // namespace figuretest
