// What the placement leaves out to bound its work gives what the whole work
// gives: the free-space grid's rectangle counts answer as a plain count
// would; a job placed copy after copy with the grid (each shape starting
// where its last copy found room) gets the bottom-left point of the search
// over every placed figure at every step; rectangles clipped only by those
// that reach them end as when clipped by all.
#include "place_fixture.h"

#include <random>

namespace placetest {
namespace {

TEST(FreeSpaceCellCounts, AnswerAsACountOfTheCellsSet)
{
    struct Case {
        const char* name;
        int32_t columns, rows, from;
        double density; // share of the cells set
        bool all;
    };
    const Case cases[] = {
        {"sparse", 9, 6, 0, 0.05, false},       {"dense", 7, 5, 0, 0.7, false},
        {"late start", 12, 4, 5, 0.3, false},   {"empty", 6, 6, 2, 0.0, false},
        {"every cell", 8, 3, 3, 0.0, true},     {"one row", 10, 1, 1, 0.2, false},
    };
    std::mt19937 random(7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::bernoulli_distribution setCell(c.density);
        std::vector<std::vector<char>> set(static_cast<size_t>(c.columns), std::vector<char>(c.rows, 0));
        FreeSpace::CellCounts counts = c.all ? FreeSpace::CellCounts::All(c.columns, c.rows, c.from)
                                             : FreeSpace::CellCounts(c.columns, c.rows, c.from);
        for (int32_t col = c.from; col < c.columns; ++col) {
            // Rows outside lo..hi are given set but are not to be read.
            const int32_t lo = c.all ? 0 : col % 2, hi = c.all ? c.rows - 1 : c.rows - 1 - (col % 3 == 1);
            std::vector<char> given(static_cast<size_t>(c.rows), 1);
            for (int32_t r = 0; r < c.rows; ++r) {
                set[col][r] = r >= lo && r <= hi && (c.all || setCell(random));
                if (r >= lo && r <= hi)
                    given[r] = set[col][r];
            }
            if (!c.all)
                counts.Add(col % 3 == 0 && !std::count(set[col].begin(), set[col].end(), 1) ? nullptr
                                                                                              : given.data(),
                           lo, hi);
        }
        // Every rectangle, partly off the grid too.
        for (int32_t c0 = -1; c0 <= c.columns; ++c0)
            for (int32_t c1 = c0 - 1; c1 <= c.columns; ++c1)
                for (int32_t r0 = -1; r0 <= c.rows; ++r0)
                    for (int32_t r1 = r0 - 1; r1 <= c.rows; ++r1) {
                        bool any = false;
                        for (int32_t col = std::max(c0, 0); col <= std::min(c1, c.columns - 1); ++col)
                            for (int32_t r = std::max(r0, 0); r <= std::min(r1, c.rows - 1); ++r)
                                any = any || set[col][r];
                        ASSERT_EQ(counts.Any(c0, r0, c1, r1), any) << c0 << " " << r0 << " " << c1 << " " << r1;
                    }
    }
}

TEST(RectangleClipping, ByTheRectanglesThatReachEachAsByAll)
{
    struct Case {
        const char* name;
        int placed;
        double spread; // placed rectangles' corners lie on a grid of this step
        double size;   // ... and their sides are multiples of it up to this
    };
    const Case cases[] = {
        {"coarse grid", 30, 40.0, 40.0}, {"touching on a grid", 40, 10.0, 30.0},
        {"overlapping", 25, 7.0, 60.0}, {"one large among small", 20, 5.0, 200.0},
    };
    std::mt19937 random(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uniform_int_distribution<int> corner(0, static_cast<int>(400.0 / c.spread));
        std::uniform_int_distribution<int> side(1, static_cast<int>(c.size / c.spread));
        std::vector<NRect> placed;
        for (int k = 0; k < c.placed; ++k) {
            const NPoint p{corner(random) * c.spread, corner(random) * c.spread};
            placed.push_back({p, p + NPoint{side(random) * c.spread, side(random) * c.spread}});
        }
        const NRect figure{{-5.0, -3.0}, {15.0, 12.0}};
        const NRect sheet{{0.0, 0.0}, {420.0, 300.0}};
        HodographBuilder builder;
        builder.Init(4.0, 6.0, 1, false);
        std::vector<HodographRectPtr> pruned;
        builder.CreateRectHodographs(0.0, 0.0, placed, figure, sheet, pruned);
        // Every rectangle clipped by every other, in order.
        std::vector<HodographRectPtr> all{std::make_shared<HodographRect>(sheet, figure, NPoint{}, 4.0, true)};
        for (const NRect& rect : placed)
            all.push_back(std::make_shared<HodographRect>(rect, figure, NPoint{}, 0.0, false));
        for (const HodographRectPtr& h : all)
            for (const HodographRectPtr& k : all)
                if (h != k)
                    *h -= *k;
        ASSERT_EQ(pruned.size(), all.size());
        for (size_t k = 0; k < all.size(); ++k) {
            std::vector<NSegmentPtr> a, b;
            pruned[k]->GetSegments(a);
            all[k]->GetSegments(b);
            ASSERT_EQ(a.size(), b.size()) << "rectangle " << k;
            for (size_t m = 0; m < a.size(); ++m)
                EXPECT_TRUE(a[m]->p1 == b[m]->p1 && a[m]->p2 == b[m]->p2 && a[m]->dir == b[m]->dir)
                    << "rectangle " << k << " side " << m;
        }
    }
}

// The container's layout keeps the clipped rectangles from one figure to the
// next: figure after figure, the bottom-left point it gives is the one of
// the whole work (every rectangle made and clipped again), also where the
// figure's shape changes and the kept work starts anew.
TEST(RectangleLayout, FigureAfterFigureAsTheWholeWork)
{
    struct Shape {
        double width, height;
        NPoint point;  // the placement point, from the rectangle's lower left corner
    };
    struct Case {
        const char* name;
        double height;  // of the strip
        std::vector<Shape> shapes;
        int run;  // copies of a shape before the next
        int figures;
    };
    const Shape tab{245.0, 205.0, {122.5, 102.5}};
    const Case cases[] = {
        {"copies of one part", 1500.0, {tab}, 1, 60},
        {"two parts in turn", 1000.0, {tab, {90.0, 130.0, {10.0, 5.0}}}, 1, 40},
        {"runs of three parts", 800.0, {{300.0, 120.0, {0.0, 0.0}}, tab, {40.0, 45.0, {40.0, 45.0}}}, 7, 63},
        {"a strip two parts high", 2.0 * 205.0 + 9.0, {tab}, 1, 30},
        // More shapes in turn than the layout keeps work for.
        {"five parts in turn", 900.0,
         {tab, {90.0, 130.0, {10.0, 5.0}}, {60.0, 60.0, {30.0, 30.0}}, {200.0, 40.0, {0.0, 40.0}}, {33.3, 71.7, {1.1, 2.2}}},
         1, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HodographBuilder builder;
        builder.Init(4.0, 6.0, 1, false);
        const NRect sheet{{0.0, 0.0}, {1.0e6, c.height}};
        RectLayout layout;
        VectorFigure placed;
        for (int k = 0; k < c.figures; ++k) {
            const Shape& shape = c.shapes[static_cast<size_t>(k / c.run) % c.shapes.size()];
            // Where the figure stands before it is laid out does not matter
            // (its rectangle about its point differs there by rounding).
            const NPoint at{-5000.0 / 3.0 - 3.7 * k, 2500.0 / 7.0 + 0.3 * k};
            const NRect rect{at - shape.point, at - shape.point + NPoint{shape.width, shape.height}};
            std::vector<NRect> rects;
            for (const FigurePtr& figure : placed)
                rects.push_back(figure->m_rect);
            std::vector<HodographRectPtr> whole;
            builder.CreateRectHodographs(at.x, at.y, rects, rect, sheet, whole);
            std::vector<NPoint> all, kept;
            for (const HodographRectPtr& h : whole)
                h->GetNodePoints(all);
            const auto moving = Figure::Create(nullptr);
            // The sheet's gap as the builder keeps it: 6 less half of 4.
            layout.CandidatePoints(at.x, at.y, placed, *moving, rect, sheet, 4.0, 0.1, kept);
            NPoint a{NestingOptimizer::kNoPoint, NestingOptimizer::kNoPoint}, b = a;
            NestingOptimizer::GetPlacementPoint(all, a.x, a.y, 0.1);
            NestingOptimizer::GetPlacementPoint(kept, b.x, b.y, 0.1);
            ASSERT_EQ(std::make_pair(a.x, a.y), std::make_pair(b.x, b.y)) << "figure " << k;
            ASSERT_LT(a.x, NestingOptimizer::kNoPoint) << "figure " << k;
            const FigurePtr figure = Figure::Create(nullptr);
            figure->m_rect = {rect.pBot + (a - at), rect.pTop + (a - at)};
            placed.push_back(figure);
        }
    }
}

class FreeSpaceSearchTest : public PlaceTest {
protected:
    void SetUp() override
    {
        PlaceTest::SetUp();
        builder.Init(kFigureGap, kSheetGap, 1, false);
    }

    static NPoint BottomLeft(const std::vector<NPoint>& points)
    {
        NPoint p{NestingOptimizer::kNoPoint, NestingOptimizer::kNoPoint};
        NestingOptimizer::GetPlacementPoint(points, p.x, p.y);
        return p;
    }

    HodographBuilder builder;
};

// A job of a few shapes in many copies, each copy placed at the point the
// grid's search gives; the search over every placed figure must give the
// same point at every step, in every turn tried, whether the grid follows
// the copies as they come or looks over all of them.
TEST_F(FreeSpaceSearchTest, PlacingCopyAfterCopyFindsThePointsOfTheWholeSearch)
{
    using Ring = std::vector<NPoint>;
    struct Case {
        const char* name;
        double width, height;
        std::vector<std::pair<Ring, std::vector<Ring>>> shapes; // outline and holes
        int copies;  // of every shape, taken in turn
        int turns;   // quarter turns tried
        double material = 0.0; // the run's figures' area, as the grid is told
    };
    const Ring ell{{0, 0}, {60, 0}, {60, 15}, {15, 15}, {15, 45}, {0, 45}};
    const Ring wedge{{0, 0}, {50, 0}, {25, 30}};
    const Ring frame = Rectangle(0, 0, 90, 70);
    const Ring window = Rectangle(20, 20, 70, 50);
    const Case cases[] = {
        {"equal copies", 700, 160, {{ell, {}}}, 24, 1},
        {"shapes in turn, turned", 800, 150, {{ell, {}}, {wedge, {}}, {Rectangle(0, 0, 35, 20), {}}}, 9, 4},
        {"strip as tall as the tallest part", 1200, 61, {{ell, {}}, {wedge, {}}}, 12, 2},
        // Figures of so much area that the cells grow (to 1 mm) to keep their count within bounds.
        {"coarser cells for a run of much area", 4000, 61, {{ell, {}}, {wedge, {}}}, 12, 2, 16.0 * 1024 * 1024},
        {"small parts into frames", 900, 200, {{frame, {window}}, {Rectangle(0, 0, 12, 8), {}}}, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SheetPtr sheet = AddSheet(c.width, c.height);
        const double g = kSheetGap - 0.5 * kFigureGap;
        const NRect region{sheet->m_rect.pBot + NPoint{g, g}, sheet->m_rect.pTop - NPoint{g, g}};
        FreeSpace space;
        VectorFigure placed;
        size_t leftOut = 0;
        for (int copy = 0; copy < c.copies; ++copy) {
            for (const auto& [ring, holes] : c.shapes) {
                FigurePtr figure = AddFigure(ring, holes);
                NPoint chosen{NestingOptimizer::kNoPoint, NestingOptimizer::kNoPoint};
                double chosenAngle = 0.0;
                for (int turn = 0; turn < c.turns; ++turn) {
                    if (turn > 0)
                        figure->SetPlacement(0.0, 0.0, 90.0, false);
                    double x = 0.0, y = 0.0, angle = 0.0;
                    figure->GetPlacement(x, y, angle);
                    std::vector<NPoint> all, pruned;
                    builder.FindFreePoints(x, y, placed, AllPositions(), figure, sheet, 0.1,
                                           NestingOptimizer::kNoPoint, all);
                    // The grid follows the copies as they are added, or
                    // looks over all of them, in turn.
                    if (copy % 2 == 0)
                        space.Update(*sheet, region, placed, 0.0, c.material);
                    else
                        space.Add(*sheet, region, placed, 0.0, c.material);
                    const VectorFigure near = space.Near(placed, *figure, NPoint{x, y});
                    leftOut += LeftOut(space, placed, near, *figure, NPoint{x, y});
                    builder.FindFreePoints(x, y, near, space, figure, sheet, 0.1, NestingOptimizer::kNoPoint,
                                           pruned);
                    double leftmost = NestingOptimizer::kNoPoint;
                    for (const NPoint& p : pruned)
                        leftmost = std::min(leftmost, p.x);
                    space.NoneLeftOf(leftmost);
                    const NPoint a = BottomLeft(all), p = BottomLeft(pruned);
                    ASSERT_NEAR(p.x, a.x, 1e-9) << "copy " << copy << " turn " << turn;
                    ASSERT_NEAR(p.y, a.y, 1e-9) << "copy " << copy << " turn " << turn;
                    if (p.x < chosen.x - 1e-3) {
                        chosen = p;
                        chosenAngle = angle;
                    }
                }
                if (chosen.x >= NestingOptimizer::kNoPoint)
                    continue;
                double x = 0.0, y = 0.0, angle = 0.0;
                figure->GetPlacement(x, y, angle);
                figure->SetPlacement(chosen.x - x, chosen.y - y, chosenAngle - angle, false);
                figure->m_owner = sheet;
                placed.push_back(figure);
            }
        }
        EXPECT_GT(placed.size(), c.shapes.size() * 3);
        EXPECT_GT(leftOut, 0u);
    }
}

} // namespace
} // namespace placetest
