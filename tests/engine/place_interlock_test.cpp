// Parts that interlock: turned, the legs or teeth of one go into the notches
// of the other, and the parts share a sheet that holds them only so.
#include "place_fixture.h"

namespace placetest {
namespace {

// An E 130 x 140: a spine 30 wide and three legs 20 x 100, 40 apart.
const std::vector<NPoint> kEe = {{0, 0},   {130, 0}, {130, 20}, {30, 20},   {30, 60},   {130, 60},
                                 {130, 80}, {30, 80}, {30, 120}, {130, 120}, {130, 140}, {0, 140}};

// Three legs 10 x 60 hanging from a spine 5 high, 70 apart, each ending in a
// head 30 x 30: heavier at the heads than at the spine.
const std::vector<NPoint> kHeadsDown = {
    {0, 90}, {10, 90}, {10, 30}, {0, 30}, {0, 0}, {30, 0}, {30, 30}, {20, 30}, {20, 90}, {80, 90}, {80, 30},
    {70, 30}, {70, 0}, {100, 0}, {100, 30}, {90, 30}, {90, 90}, {150, 90}, {150, 30}, {140, 30}, {140, 0},
    {170, 0}, {170, 30}, {160, 30}, {160, 90}, {170, 90}, {170, 95}, {0, 95}};

// `n` teeth `w` wide at their foot (`top` wide at their tip), `h` high and
// `slot` apart at their foot, on a spine 20 high: combs and saws.
std::vector<NPoint> Teeth(int n, double w, double top, double h, double slot)
{
    const double width = n * w + (n - 1) * slot;
    std::vector<NPoint> ring = {{0, 0}, {width, 0}};
    for (int k = 0; k < n; ++k) {
        const double right = width - k * (w + slot), side = (w - top) / 2;
        for (const NPoint& p : {NPoint{right, 20}, {right - side, 20 + h}, {right - w + side, 20 + h}, {right - w, 20}})
            if (!(p == ring.back()))
                ring.push_back(p);
    }
    return ring;
}

// The sheet is `width` × `height`; `gap` between the parts, `edge` from the sheet's edges.
struct Interlock { const char* what; std::vector<NPoint> ring; int count;
                   double width, height, gap, edge; RotationType turns; };

class InterlockTest : public PlaceTest, public ::testing::WithParamInterface<Interlock> {};

TEST_P(InterlockTest, MeshedPartsShareOneSheet)
{
    const Interlock& c = GetParam();
    const SheetPtr sheet = AddSheet(c.width, c.height);
    for (int k = 0; k < c.count; ++k) {
        Model().m_figures.push_back(MakeFigure(c.ring));
        Model().m_figures.back()->m_gap = c.gap;
    }
    Model().m_figureGap = c.gap;
    Model().InitFigurePolygons();  // as loading the parts makes them
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(c.gap, c.edge);
    optimizer.m_params.rotateMethod = c.turns;
    optimizer.SetAutoPlacementAllFigures(NestingMode::AutoForAll);
    EXPECT_EQ(Model().m_sheets.size(), 1u);
    const VectorFigure& figures = Model().m_figures;
    const NRect& s = sheet->m_rect;
    for (size_t i = 0; i < figures.size(); ++i) {
        EXPECT_EQ(figures[i]->m_owner, sheet) << i;
        const NRect& rc = figures[i]->m_borders.front()->GetGabarit();
        EXPECT_GE(std::min({rc.pBot.x - s.pBot.x, rc.pBot.y - s.pBot.y, s.pTop.x - rc.pTop.x, s.pTop.y - rc.pTop.y}),
                  c.edge - 1e-3) << i;
        for (size_t j = i + 1; j < figures.size(); ++j)
            EXPECT_GE(ringtest::BoundaryDistance(*figures[i]->m_borders.front(), *figures[j]->m_borders.front()),
                      c.gap - 1e-3) << i << " " << j;
    }
}

using R = RotationType;
INSTANTIATE_TEST_SUITE_P(
    Shapes, InterlockTest,
    ::testing::Values(Interlock{"E_turns_180", kEe, 2, 180, 190, 5, 3, R::Rotation180},
                      Interlock{"E_turns_90", kEe, 2, 180, 190, 5, 3, R::Rotation90},
                      Interlock{"combs_slot_10_4", Teeth(10, 10, 10, 60, 10.4), 2, 320, 102.5, 0.2, 1, R::Rotation180},
                      Interlock{"combs_slot_20", Teeth(10, 10, 10, 60, 20), 2, 320, 102.5, 0.2, 1, R::Rotation90},
                      Interlock{"three_combs", Teeth(10, 10, 10, 60, 10.4), 3, 210, 200, 0.2, 1, R::Rotation180},
                      Interlock{"saw_teeth", Teeth(8, 20, 0, 30, 0), 2, 175, 77, 1, 0.5, R::Rotation180},
                      Interlock{"heads_down", kHeadsDown, 2, 215, 115, 5, 3, R::Rotation180}),
    [](const ::testing::TestParamInfo<Interlock>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace placetest
