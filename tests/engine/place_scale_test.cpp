// A sheet that holds many parts: the work of placing each grows with the
// parts about where it goes, not with all those placed before it.
#include "place_fixture.h"

#include <cmath>

namespace placetest {
namespace {

std::vector<NPoint> Circle(double r, int vertices)
{
    std::vector<NPoint> ring;
    for (int k = 0; k < vertices; ++k) {
        const double a = 2.0 * M_PI * k / vertices;
        ring.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return ring;
}

struct ScaleCase { const char* name; RotationType rotation; size_t pieces; };
void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }

class PlaceScaleTest : public PlaceTest, public ::testing::WithParamInterface<ScaleCase> {
protected:
    struct Work {
        size_t lookedAt = 0;       // placed figures the free-space grid looked at
        size_t polygonsTaken = 0;  // placed figures whose no-fit polygons were taken
        size_t pointTests = 0;     // tests of a candidate point against them
    };

    // Plates 40 × 15, then washers Ø24 (hole Ø13), half each, placed on a
    // strip long enough for all of them: the washers come to a sheet that
    // holds all the plates already, a shape it has not seen.
    Work Place(size_t pieces)
    {
        Model().m_sheets.clear();
        Model().m_figures.clear();
        AddSheet(2500.0, 200.0);
        for (size_t k = 0; k < pieces; ++k) {
            if (k < pieces / 2)
                AddFigure(Rectangle(0, 0, 40, 15));
            else
                AddFigure(Circle(12.0, 48), {Circle(6.5, 32)});
        }
        const Work before = Measured();
        PlaceAll(GetParam().rotation, false);
        EXPECT_EQ(Model().m_sheets.size(), 1u);
        for (const FigurePtr& figure : Model().m_figures) {
            EXPECT_TRUE(figure->m_owner);
            if (figure->m_owner)
                ExpectInsideSheet(*figure, *figure->m_owner);
        }
        const Work after = Measured();
        return {after.lookedAt - before.lookedAt, after.polygonsTaken - before.polygonsTaken,
                after.pointTests - before.pointTests};
    }

private:
    Work Measured() const
    {
        const HodographBuilder::SearchWork& search = optimizer.m_hodographBuilder.Work();
        return {optimizer.LastFreeSpace().FiguresLookedAt(), search.polygonsTaken, search.pointTests};
    }
};

// Four times the parts take about four times the work, however many lie on
// the sheet already: the grid follows the parts added and finds those near
// a part among the ones it may reach, the no-fit polygons taken are those of
// the parts about the place found, and a point is tested against those
// about it.
TEST_P(PlaceScaleTest, WorkGrowsAsThePiecesDo)
{
    const size_t pieces = GetParam().pieces;
    const Work few = Place(pieces);
    const Work many = Place(4 * pieces);
    const auto perPiece = [](size_t work, size_t pieces) { return static_cast<double>(work) / pieces; };
    constexpr double kSlack = 1.25;  // the first columns, and the last, cost each piece otherwise
    EXPECT_LE(perPiece(many.lookedAt, 4 * pieces), kSlack * perPiece(few.lookedAt, pieces));
    EXPECT_LE(perPiece(many.polygonsTaken, 4 * pieces), kSlack * perPiece(few.polygonsTaken, pieces));
    EXPECT_LE(perPiece(many.pointTests, 4 * pieces), kSlack * perPiece(few.pointTests, pieces));
}

// Where the grid can rule out no placed part (a washer whose ring is
// narrower than its cells, the first of its shape on a sheet full of
// plates), the search takes the no-fit polygons of all of them: still each
// of its candidate points is tested against the polygons about it, so that
// four times the plates take about four times the tests, not sixteen.
TEST_F(PlaceTest, SearchOverEveryPartTestsEachPointAgainstThoseAboutIt)
{
    HodographBuilder builder;
    builder.Init(kFigureGap, kSheetGap, 1, false);
    struct Search {
        size_t taken = 0, tests = 0;
        NPoint leftmost{NestingOptimizer::kNoPoint, 0.0};
    };
    const auto search = [&](int columns) {
        constexpr int kRows = 6;
        SheetPtr sheet = AddSheet(2600.0, 200.0);
        VectorFigure plates;
        for (int c = 0; c < columns; ++c) {
            for (int r = 0; r < kRows; ++r) {
                FigurePtr plate = AddFigure(Rectangle(0, 0, 40, 15));
                const NRect& box = plate->m_borders.front()->GetGabarit();
                const NPoint to = sheet->m_rect.pBot + NPoint{20.0 + 60.0 * c, 20.0 + 30.0 * r};
                plate->SetPlacement(to.x - box.pBot.x, to.y - box.pBot.y, 0.0, false);
                plate->m_owner = sheet;
                plates.push_back(plate);
            }
        }
        FigurePtr washer = AddFigure(Circle(12.0, 48), {Circle(6.5, 32)});
        double x = 0.0, y = 0.0, angle = 0.0;
        washer->GetPlacement(x, y, angle);
        const HodographBuilder::SearchWork before = builder.Work();
        std::vector<NPoint> points;
        builder.FindFreePoints(x, y, plates, AllPositions(), washer, sheet, 0.1, NestingOptimizer::kNoPoint, points);
        const HodographBuilder::SearchWork& after = builder.Work();
        Search found{after.polygonsTaken - before.polygonsTaken, after.pointTests - before.pointTests};
        for (const NPoint& p : points)
            found.leftmost.x = std::min(found.leftmost.x, p.x);
        // Beside the last column of plates (the washer's round side dips
        // between two of them).
        const double right = sheet->m_rect.pBot.x + 20.0 + 60.0 * (columns - 1) + 40.0 + kFigureGap;
        const double left = found.leftmost.x - (x - washer->m_borders.front()->GetGabarit().pBot.x);
        EXPECT_GT(left, right - 2.0);
        EXPECT_LE(left, right + 1e-6);
        return found;
    };
    const Search few = search(10);
    const Search many = search(40);
    EXPECT_EQ(few.taken, 60u);
    EXPECT_EQ(many.taken, 240u);
    EXPECT_LE(static_cast<double>(many.tests) / 240.0, 1.25 * static_cast<double>(few.tests) / 60.0);
}

using R = RotationType;
const ScaleCase kScales[] = {{"no turns", R::WithoutRotation, 40}, {"quarter turns", R::Rotation90, 40}};
INSTANTIATE_TEST_SUITE_P(Place, PlaceScaleTest, ::testing::ValuesIn(kScales));

} // namespace
} // namespace placetest
