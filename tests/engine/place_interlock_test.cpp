// Parts that interlock: turned, the legs or teeth of one go into the notches
// of the other, and the parts share a sheet that holds them only so.
#include "place_fixture.h"

namespace placetest {
namespace {

// An E 130 x 140: a spine 30 wide and three legs 20 x 100, 40 apart.
std::vector<NPoint> Ee()
{
    return {{0, 0},   {130, 0},  {130, 20}, {30, 20},   {30, 60},   {130, 60},
            {130, 80}, {30, 80}, {30, 120}, {130, 120}, {130, 140}, {0, 140}};
}

// A comb: ten teeth 10 x 60, `slot` apart, on a spine 20 high.
std::vector<NPoint> Comb(double slot)
{
    const double width = 100 + 9 * slot;
    std::vector<NPoint> ring = {{0, 0}, {width, 0}};
    for (int k = 0; k < 10; ++k) {
        const double right = width - k * (10 + slot);
        ring.insert(ring.end(), {{right, 80}, {right - 10, 80}});
        if (k < 9)
            ring.insert(ring.end(), {{right - 10, 20}, {right - 10 - slot, 20}});
    }
    return ring;
}

// Eight teeth, triangles 20 wide and 30 high, on a spine 20 high.
std::vector<NPoint> Saw()
{
    std::vector<NPoint> ring = {{0, 0}, {160, 0}};
    for (int k = 0; k < 8; ++k)
        ring.insert(ring.end(), {{160.0 - 20 * k, 20}, {150.0 - 20 * k, 50}});
    ring.push_back({0, 20});
    return ring;
}

struct Interlock {
    const char* what;
    std::vector<NPoint> ring;
    int count;
    double width, height; // of the sheet
    double gap, edge;
    RotationType turns;
};

void PrintTo(const Interlock& c, std::ostream* os) { *os << c.what; }

class InterlockTest : public PlaceTest, public ::testing::WithParamInterface<Interlock> {};

TEST_P(InterlockTest, MeshedPartsShareOneSheet)
{
    const Interlock& c = GetParam();
    SheetPtr sheet = AddSheet(c.width, c.height);
    for (int k = 0; k < c.count; ++k) {
        FigurePtr figure = MakeFigure(c.ring);
        figure->m_gap = c.gap;
        Model().m_figures.push_back(figure);
    }
    // The gap polygons as loading the parts makes them.
    Model().m_figureGap = c.gap;
    Model().m_sheetGap = c.edge;
    Model().InitFigurePolygons();
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(c.gap, c.edge);
    optimizer.m_params.rotateMethod = c.turns;
    optimizer.m_params.autoAddSheet = true;
    optimizer.SetAutoPlacementAllFigures(NestingMode::AutoForAll);

    EXPECT_EQ(Model().m_sheets.size(), 1u);
    const std::vector<FigurePtr>& figures = Model().m_figures;
    for (size_t i = 0; i < figures.size(); ++i) {
        EXPECT_EQ(figures[i]->m_owner, sheet) << i;
        const NRect& rc = figures[i]->m_borders.front()->GetGabarit();
        EXPECT_GE(std::min(rc.pBot.x - sheet->m_rect.pBot.x, rc.pBot.y - sheet->m_rect.pBot.y), c.edge - 1e-3) << i;
        EXPECT_GE(std::min(sheet->m_rect.pTop.x - rc.pTop.x, sheet->m_rect.pTop.y - rc.pTop.y), c.edge - 1e-3) << i;
        for (size_t j = i + 1; j < figures.size(); ++j)
            EXPECT_GE(ringtest::BoundaryDistance(*figures[i]->m_borders.front(), *figures[j]->m_borders.front()),
                      c.gap - 1e-3)
                << i << " " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, InterlockTest,
    ::testing::Values(Interlock{"E_turns_180", Ee(), 2, 180, 190, 5, 3, RotationType::Rotation180},
                      Interlock{"E_turns_90", Ee(), 2, 180, 190, 5, 3, RotationType::Rotation90},
                      Interlock{"combs_slot_10_4", Comb(10.4), 2, 320, 102.5, 0.2, 1, RotationType::Rotation180},
                      Interlock{"combs_slot_20", Comb(20), 2, 320, 102.5, 0.2, 1, RotationType::Rotation90},
                      Interlock{"three_combs", Comb(10.4), 3, 210, 200, 0.2, 1, RotationType::Rotation180},
                      Interlock{"saw_teeth", Saw(), 2, 175, 77, 1, 0.5, RotationType::Rotation180}),
    [](const ::testing::TestParamInfo<Interlock>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace placetest
