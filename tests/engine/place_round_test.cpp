// Round parts (discs, washers, rings, links with round ends) placed as a run
// places them: gap polygons made, equal right triangles joined, then placed
// with turns. Their true outlines, measured as curves (every part here is
// the set of points within its radius of a core segment, less a round hole),
// keep the gap from one another and the edge gap from the sheet's edge, at any
// precision, on sheets (and in windows) just large enough for them; refused by
// their true size, they lie side by side in the container.
#include "model/NestingSetting.h"
#include "place_fixture.h"
#include "support/macro_fixture.h"

#include <map>

namespace placetest {
namespace {

// A part: the points within `r` of the core from (0, 0) to (`length`, 0),
// less the disc of radius `hole` about (0, 0).
struct RoundPart { const wchar_t* name; double r, length = 0.0, hole = 0.0; int count = 1; };

// The sheet is `width` × `height`; `refused` parts go to the container.
struct RoundJob { const char* name; std::vector<RoundPart> parts; RotationType rotation; double width, height;
                  double precision = 2.5, gap = 5.0, edge = 10.0; size_t refused = 0; };

void PrintTo(const RoundJob& c, std::ostream* os) { *os << c.name; }

struct Placed {
    const RoundPart* part;
    NPoint a, b;  // the core's ends on the sheet
};

class PlaceRoundTest : public PlaceTest, public ::testing::WithParamInterface<RoundJob> {
protected:
    void AddPart(const RoundPart& part)
    {
        using namespace macrotest;
        const vlapi::IDrawingContainerPtr c = Container();
        const double r = part.r, l = part.length;
        std::vector<vlapi::IDrawingObjectPtr> objects;
        if (l > 0.0) {
            objects = {AddLine(c, {0, -r}, {l, -r}), AddArc(c, {l, -r}, {l, r}, {l + r, 0}), AddLine(c, {l, r}, {0, r}),
                       AddArc(c, {0, r}, {0, -r}, {-r, 0})};
        } else {
            objects = {AddCircle(c, {0, 0}, r)};
        }
        if (part.hole > 0.0)
            objects.emplace_back(AddCircle(c, {0, 0}, part.hole));
        FigurePtr figure = Figure::Create(MakeMacro(c, objects, part.name));
        figure->InitParams();
        Model().m_figures.push_back(figure);
    }

    // Every part on a sheet, its core where the drawing shows it.
    std::vector<Placed> PlacedParts(const std::map<std::wstring, const RoundPart*>& parts) const
    {
        std::vector<Placed> placed;
        for (const FigurePtr& figure : optimizer.m_model.m_figures) {
            if (!figure->m_owner)
                continue;
            VectorFigure leaves{figure};
            if (const auto* compound = dynamic_cast<const CompoundFigure*>(figure.get()))
                leaves = compound->m_figures;
            for (const FigurePtr& leaf : leaves) {
                const RoundPart* part = parts.at(leaf->m_macro->GetName());
                const vlapi::IMacroObjectPtr macro = macrotest::HostMacro(leaf->m_macro);
                placed.push_back({part, InView(macro, {0, 0}), InView(macro, {part->length, 0})});
            }
        }
        return placed;
    }
};

// How far apart the two parts' outlines stand (below 0 where they overlap);
// a part wholly inside the other's hole stands off the hole's edge.
double Clearance(const Placed& p, const Placed& q)
{
    const auto inHole = [](const Placed& holder, const Placed& part) {
        const double reach = std::max(Distance(holder.a, part.a), Distance(holder.a, part.b)) + part.part->r;
        return holder.part->hole - reach;
    };
    if (p.part->hole > 0.0 && inHole(p, q) >= 0.0)
        return inHole(p, q);
    if (q.part->hole > 0.0 && inHole(q, p) >= 0.0)
        return inHole(q, p);
    return ringtest::SegmentDistance(p.a, p.b, q.a, q.b) - p.part->r - q.part->r;
}

TEST_P(PlaceRoundTest, TrueOutlinesKeepTheGaps)
{
    const RoundJob& job = GetParam();
    const double saved = std::exchange(NestingSetting::m_instance.m_tolerance, job.precision);
    SheetPtr sheet = AddSheet(job.width, job.height);
    Model().m_figureGap = job.gap;
    std::map<std::wstring, const RoundPart*> names;
    size_t total = 0;
    for (const RoundPart& part : job.parts) {
        names[part.name] = &part;
        for (int k = 0; k < part.count; ++k)
            AddPart(part);
        total += static_cast<size_t>(part.count);
    }
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(job.gap, job.edge);
    optimizer.RunOptimization(OptimizationParams{1, job.rotation, true});
    NestingSetting::m_instance.m_tolerance = saved;
    const std::vector<Placed> placed = PlacedParts(names);
    EXPECT_EQ(placed.size(), total - job.refused);
    EXPECT_EQ(Model().m_sheets.size(), 1u);
    EXPECT_EQ(optimizer.LeftInContainerText().find(L"деталь 300 × 300 мм с зазорами") != std::wstring::npos, job.refused > 0);
    const std::vector<FigurePtr>& all = Model().m_figures;
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = 0; j < i; ++j) {
            const NRect &a = all[i]->m_rectBorder, &b = all[j]->m_rectBorder;
            EXPECT_FALSE(!all[i]->m_owner && !all[j]->m_owner && a.pBot.x < b.pTop.x && b.pBot.x < a.pTop.x)
                << i << " " << j;
        }
    const NRect& s = sheet->m_rect;
    for (size_t i = 0; i < placed.size(); ++i) {
        const Placed& p = placed[i];
        const double r = p.part->r - EPS;
        EXPECT_GE(std::min(p.a.x, p.b.x) - r, s.pBot.x + job.edge) << i;
        EXPECT_GE(std::min(p.a.y, p.b.y) - r, s.pBot.y + job.edge) << i;
        EXPECT_LE(std::max(p.a.x, p.b.x) + r, s.pTop.x - job.edge) << i;
        EXPECT_LE(std::max(p.a.y, p.b.y) + r, s.pTop.y - job.edge) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_GE(Clearance(p, placed[j]), job.gap - EPS) << i << " " << j;
    }
}

using R = RotationType;
const RoundJob kJobs[] = {
    {"discs_and_washers", {{L"Disc", 115.25, 0, 0, 4}, {L"Washer", 60, 0, 20.5, 6}}, R::Rotation90, 1000.5, 600},
    {"washers", {{L"Washer", 60, 0, 20.5, 8}}, R::WithoutRotation, 600, 400},
    {"rings_and_discs", {{L"Ring", 200, 0, 150, 2}, {L"Disc", 115.25, 0, 0, 3}, {L"Small", 40, 0, 0, 4}},
     R::Rotation180, 1000.5, 600},
    {"links", {{L"Link", 50, 300.4, 15, 4}, {L"Disc", 60, 0, 0, 3}}, R::Rotation90, 1000.5, 600},
    {"links_at_45", {{L"Link", 25, 120, 0, 5}, {L"Washer", 35, 0, 15, 4}}, R::Rotation45, 500, 400},
    {"discs_at_0_1", {{L"Disc", 150, 0, 0, 3}}, R::Rotation90, 930, 320, 0.1},
    {"discs_at_0_5", {{L"Disc", 150, 0, 0, 3}}, R::Rotation90, 930, 320, 0.5},
    {"discs_at_2_5", {{L"Disc", 150, 0, 0, 3}}, R::Rotation90, 930, 320},
    {"small_discs_at_10", {{L"Disc", 18.65, 0, 0, 5}}, R::Rotation90, 188.9, 37.7, 10, 0.5, 0.2},
    {"large_discs", {{L"Disc", 500, 0, 0, 2}}, R::Rotation90, 2022, 1010, 2.5, 12, 5},
    {"blanks_in_windows_at_1_5", {{L"Flange", 150, 0, 65.06, 4}, {L"Blank", 60, 0, 0, 4}}, R::Rotation90, 1235, 320,
     1.5},
    {"refused_discs", {{L"Disc", 150, 0, 0, 3}}, R::Rotation90, 930, 319.9, 0.5, 5, 10, 3}};

INSTANTIATE_TEST_SUITE_P(Shapes, PlaceRoundTest, ::testing::ValuesIn(kJobs),
                         [](const ::testing::TestParamInfo<RoundJob>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace placetest
