// Many copies of few outlines over many sheets, and the order in which a run
// places figures stored without their gap polygons.
#include "place_fixture.h"

namespace placetest {
namespace {

// An L: 100 × 100 with a 60 × 60 bite out of its upper right; a sheet 250 × 250 holds four.
const std::vector<NPoint> kEll = {{0, 0}, {100, 0}, {100, 40}, {40, 40}, {40, 100}, {0, 100}};

struct CopiesCase { size_t copies; RotationType rotation; };
class CopiesTest : public PlaceTest, public ::testing::WithParamInterface<CopiesCase> {};

// The copies fill sheet after sheet, each tried on a sheet only while its outline still finds room
// there: once per copy placed and once per sheet filled, not once per copy waiting on every sheet.
TEST_P(CopiesTest, CopiesAreTriedOncePerSheetOnceFull)
{
    const CopiesCase c = GetParam();
    AddSheet(250.0, 250.0);
    for (size_t k = 0; k < c.copies; ++k)
        AddFigure(kEll);
    PlaceAll(c.rotation);
    const size_t sheets = Model().m_sheets.size();
    EXPECT_GE(sheets, c.copies / 4);
    for (const FigurePtr& figure : Model().m_figures) {
        ASSERT_TRUE(figure->m_owner);
        ExpectInsideSheet(*figure, *figure->m_owner);
    }
    ExpectApartOnSheets();
    EXPECT_LE(optimizer.FiguresTried(), c.copies + sheets) << sheets << " sheets";
}

using R = RotationType;
const CopiesCase kCopies[] = {{12, R::WithoutRotation}, {60, R::WithoutRotation}, {12, R::Rotation90},
                              {60, R::Rotation90}, {60, R::Rotation45}};
INSTANTIATE_TEST_SUITE_P(Place, CopiesTest, ::testing::ValuesIn(kCopies));

// Sheets that start alike repeat one another's tries up to where their figures part ways (an outline
// runs short): those tries are taken from the sheet repeated. Every figure ends where the tries made one
// by one put it, with fewer tries made.
struct RepeatCase { RotationType rotation; size_t ells, squares, triangles; };
class RepeatTest : public PlaceTest, public ::testing::WithParamInterface<RepeatCase> {
protected:
    struct Run {
        std::vector<std::pair<ptrdiff_t, NRect>> layout; // each figure's sheet and outline box on it
        size_t tries = 0;
    };
    Run Place(bool repeat)
    {
        const RepeatCase c = GetParam();
        Model().m_sheets.clear();
        Model().m_figures.clear();
        AddSheet(250.0, 250.0);
        for (size_t k = 0; k < c.ells + c.squares + c.triangles; ++k)
            AddFigure(k < c.ells ? kEll : k < c.ells + c.squares ? Rectangle(0, 0, 30, 30)
                                                               : std::vector<NPoint>{{0, 0}, {70, 0}, {0, 45}});
        optimizer.m_repeatFills = repeat;
        PlaceAll(c.rotation);
        ExpectApartOnSheets();
        Run run{{}, optimizer.FiguresTried()};
        const VectorSheet& sheets = Model().m_sheets;
        for (const FigurePtr& figure : Model().m_figures) {
            const auto on = std::find(sheets.begin(), sheets.end(), figure->m_owner);
            NRect box = figure->m_borders.front()->GetGabarit();
            if (on != sheets.end()) {
                ExpectInsideSheet(*figure, **on);
                box = NRect{box.pBot - (*on)->m_rect.pBot, box.pTop - (*on)->m_rect.pBot};
            }
            run.layout.emplace_back(on - sheets.begin(), box);
        }
        return run;
    }
};

TEST_P(RepeatTest, RepeatedSheetsComeOutAsTriedOneByOne)
{
    const Run tried = Place(false);
    const Run repeated = Place(true);
    ASSERT_EQ(repeated.layout.size(), tried.layout.size());
    for (size_t k = 0; k < tried.layout.size(); ++k) {
        EXPECT_EQ(repeated.layout[k].first, tried.layout[k].first) << k;
        for (const auto& [a, b] : {std::pair{repeated.layout[k].second.pBot, tried.layout[k].second.pBot},
                                   std::pair{repeated.layout[k].second.pTop, tried.layout[k].second.pTop}}) {
            EXPECT_NEAR(a.x, b.x, 1e-6) << k;
            EXPECT_NEAR(a.y, b.y, 1e-6) << k;
        }
    }
    EXPECT_LT(repeated.tries, tried.tries);
}

const RepeatCase kRepeats[] = {{R::WithoutRotation, 41, 0, 0}, {R::Rotation90, 41, 0, 0},
                               {R::Rotation90, 30, 45, 13}, {R::Rotation45, 22, 31, 9}};
INSTANTIATE_TEST_SUITE_P(Place, RepeatTest, ::testing::ValuesIn(kRepeats));

// Copies left over are tried in every turn on the sheet, or passed over once
// one of them found no room: either way they end alike.
TEST_F(PlaceTest, CopiesLeftOverLieInOneTurn)
{
    AddSheet(250.0, 250.0);
    for (size_t k = 0; k < 10; ++k)
        AddFigure(kEll);
    PlaceAll(RotationType::Rotation90, false);
    std::vector<double> angles;
    for (const FigurePtr& figure : Model().m_figures) {
        double x = 0.0, y = 0.0, angle = 0.0;
        figure->GetPlacement(x, y, angle);
        if (!figure->m_owner)
            angles.push_back(std::fmod(std::fmod(angle, 360.0) + 360.0, 360.0));
    }
    ASSERT_GE(angles.size(), 5u);
    for (const double angle : angles)
        EXPECT_NEAR(angle, angles.front(), 1e-6);
}

// Figures stored without gap polygons (as a drawing made outside the source data keeps them) have no
// rectangle until the run makes them: the run still turns the plates to lie and places them before the
// small squares listed first, with the figure gap as set (10) or another one.
class StoredOrderTest : public PlaceTest, public ::testing::WithParamInterface<double> {};

TEST_P(StoredOrderTest, RunPlacesTheLargestFirstWhateverTheListOrder)
{
    const SheetPtr sheet = AddSheet(1000.0, 500.0);
    for (int k = 0; k < 14; ++k) {
        Model().m_figures.push_back(MakeFigure(k < 12 ? Rectangle(0, 0, 50, 50) : Rectangle(0, 0, 300, 400)));
        ASSERT_TRUE(Model().m_figures.back()->m_poligons.empty());
        Model().m_figures.back()->m_gap = GetParam();
    }
    const VectorFigure plates(Model().m_figures.end() - 2, Model().m_figures.end());
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(kFigureGap, kSheetGap);
    optimizer.RunOptimization(OptimizationParams{1, RotationType::WithoutRotation, true});
    double left = HUGE_VAL;
    for (const FigurePtr& plate : plates) {
        ASSERT_EQ(plate->m_owner, sheet);
        const NRect& rc = plate->m_borders.front()->GetGabarit();
        EXPECT_NEAR(rc.pTop.x - rc.pBot.x, 400.0, 1e-6);
        EXPECT_NEAR(rc.pBot.y, kSheetGap, 1e-3);
        left = std::min(left, rc.pBot.x);
    }
    EXPECT_NEAR(left, kSheetGap, 1e-3);
    ExpectApartOnSheets();
}

INSTANTIATE_TEST_SUITE_P(Place, StoredOrderTest, ::testing::Values(10.0, 0.0));

}  // namespace
}  // namespace placetest
