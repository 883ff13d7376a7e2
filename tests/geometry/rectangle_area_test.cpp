// The free area of a rectangle beside rectangles that line up, overlap,
// touch at a corner, reach past it or miss one another by a rounding: the
// pieces cover what a cell-by-cell count leaves free, no more and no less,
// and each ring is simple and runs its way.
#include "geometry/RectangleArea.h"
#include "geometry/RingArea.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

NRect R(double x1, double y1, double x2, double y2) { return {{x1, y1}, {x2, y2}}; }

// The area no rectangle covers, counted over the cells between all the
// coordinates the rectangles give.
double FreeByCells(const NRect& area, const std::vector<NRect>& taken)
{
    std::set<double> xs{area.pBot.x, area.pTop.x}, ys{area.pBot.y, area.pTop.y};
    for (const NRect& r : taken) {
        for (double x : {r.pBot.x, r.pTop.x})
            xs.insert(std::clamp(x, area.pBot.x, area.pTop.x));
        for (double y : {r.pBot.y, r.pTop.y})
            ys.insert(std::clamp(y, area.pBot.y, area.pTop.y));
    }
    const std::vector<double> x(xs.begin(), xs.end()), y(ys.begin(), ys.end());
    double free = 0.0;
    for (size_t i = 0; i + 1 < x.size(); ++i) {
        for (size_t j = 0; j + 1 < y.size(); ++j) {
            const NPoint c{(x[i] + x[i + 1]) / 2, (y[j] + y[j + 1]) / 2};
            const bool covered = std::any_of(taken.begin(), taken.end(), [&](const NRect& r) {
                return r.pBot.x < c.x && c.x < r.pTop.x && r.pBot.y < c.y && c.y < r.pTop.y;
            });
            if (!covered)
                free += (x[i + 1] - x[i]) * (y[j + 1] - y[j]);
        }
    }
    return free;
}

// No vertex repeats, and no vertex lies inside a rectangle.
void ExpectClearSimpleRing(const std::vector<NPoint>& ring, const std::vector<NRect>& taken, const char* name)
{
    std::set<std::pair<double, double>> seen;
    for (const NPoint& p : ring) {
        EXPECT_TRUE(seen.insert({p.x, p.y}).second) << name << ": (" << p.x << ", " << p.y << ") repeats";
        for (const NRect& r : taken)
            EXPECT_FALSE(r.pBot.x + 1e-3 < p.x && p.x < r.pTop.x - 1e-3 && r.pBot.y + 1e-3 < p.y &&
                         p.y < r.pTop.y - 1e-3)
                << name << ": (" << p.x << ", " << p.y << ") is covered";
    }
}

// The free area, or (a width given) less every part narrower than the width:
// strips and arms go, an island's ring of free area narrow on one side loses
// that side, a neck parts a pocket, a strip exactly as wide stays (areas
// counted by hand).
TEST(RectangleAreaTest, PiecesAreWhatTheRectanglesLeaveFree)
{
    struct Case {
        const char* name;
        NRect area;
        std::vector<NRect> taken;
        size_t pieces, islands;
        double width = 0, kept = 0;  // mm, mm²; no width: all the free area, counted by cells
    };
    const std::vector<Case> cases{
        {"nothing taken", R(0, 0, 100, 50), {}, 1, 0},
        {"all taken", R(0, 0, 100, 50), {R(-5, -5, 105, 55)}, 0, 0},
        {"an island", R(0, 0, 100, 100), {R(40, 40, 60, 60)}, 1, 1},
        // Sides on one line, one box overlapping another, one against the
        // area's edge: the free-area fault of turned parts' gap boxes.
        {"sides lined up",
         R(5, 5, 2495, 1495),
         {R(861.04312006926466, 1243, 1467.0431200692647, 1495), R(1467.0431200692647, 884, 1842.0431200692647, 1259),
          R(1014.9774698351121, 884, 1445.9774698351121, 1177),
          R(1467.0431200692647, 1037.9945699999998, 1898.0431200692647, 1330.9945699999998)},
         1, 1},
        {"overlapping boxes", R(0, 0, 300, 200), {R(50, 50, 150, 150), R(100, 100, 200, 180), R(120, 20, 160, 120)}, 1, 1},
        {"two pieces meeting at a corner", R(0, 0, 100, 100), {R(0, 50, 50, 100), R(50, 0, 100, 50)}, 2, 0},
        {"an island touching the edge's box at a corner", R(0, 0, 100, 100), {R(0, 0, 30, 30), R(30, 30, 60, 60)}, 1, 1},
        {"islands meeting at a corner", R(0, 0, 100, 100), {R(20, 20, 40, 40), R(40, 40, 60, 60)}, 1, 2},
        {"a pocket walled in", R(0, 0, 100, 100),
         {R(20, 20, 80, 30), R(20, 70, 80, 80), R(20, 30, 30, 70), R(70, 30, 80, 70)}, 2, 1},
        {"sides missing by a rounding", R(0, 0, 100, 100), {R(10, 10, 50.00004, 50), R(50, 10, 90, 50.00002)}, 1, 1},
        {"boxes past the area", R(0, 0, 100, 100), {R(-20, -20, 30, 120), R(90, 40, 140, 60)}, 1, 0},
        {"wide: an L's narrow arm", R(0, 0, 200, 100), {R(20, 8, 200, 100)}, 1, 0, 10, 2000},
        {"wide: a strip as wide", R(0, 0, 100, 50), {R(10, 0, 100, 50)}, 1, 0, 10, 500},
        {"wide: an island narrow on its left", R(0, 0, 100, 100), {R(5, 20, 80, 80)}, 1, 0, 10, 10000 - 4500 - 300},
        {"wide: an island clear all round", R(0, 0, 100, 100), {R(20, 20, 80, 80)}, 1, 1, 10, 10000 - 3600},
        {"wide: a pocket's narrow neck", R(0, 0, 100, 100), {R(0, 20, 48, 30), R(52, 20, 100, 30)}, 2, 0, 10, 9000},
    };
    for (const Case& c : cases) {
        const std::vector<RectangleAreaPiece> pieces =
            c.width > 0 ? WideRectangleArea(c.area, c.taken, c.width) : FreeRectangleArea(c.area, c.taken);
        EXPECT_EQ(pieces.size(), c.pieces) << c.name;
        double area = 0.0;
        size_t islands = 0;
        for (const RectangleAreaPiece& piece : pieces) {
            EXPECT_GT(SignedArea(piece.outer), 0.0) << c.name;
            ExpectClearSimpleRing(piece.outer, c.taken, c.name);
            area += SignedArea(piece.outer);
            for (const std::vector<NPoint>& island : piece.islands) {
                EXPECT_LT(SignedArea(island), 0.0) << c.name;
                ExpectClearSimpleRing(island, c.taken, c.name);
                area += SignedArea(island);
                ++islands;
            }
        }
        EXPECT_EQ(islands, c.islands) << c.name;
        EXPECT_NEAR(area, c.width > 0 ? c.kept : FreeByCells(c.area, c.taken), 0.01) << c.name;
    }
}

}  // namespace
