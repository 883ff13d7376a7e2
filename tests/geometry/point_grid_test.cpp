// The point grid the outline readers chain and join ends with: every id
// within reach is found, the smallest accepted one first, in cells of one
// point, of a joint's two and of a junction of thousands, and after
// removals; far points and points that are not finite are safe.
#include "geometry/PointGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Ids near `p` in the order the grid gives them.
std::vector<size_t> Near(const PointGrid& grid, const NPoint& p)
{
    std::vector<size_t> ids;
    grid.ForEachNear(p, [&](size_t id) { ids.push_back(id); });
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST(PointGridTest, FindsWhatIsWithinReachInEveryKindOfCell)
{
    const double reach = 1e-4;
    struct Case {
        const char* name;
        std::vector<NPoint> points;  // filed as ids 0, 1, ...
        std::vector<size_t> removed;
        NPoint query;
        std::vector<size_t> near;  // ids within reach of the query that must be found
        size_t firstOdd;           // the smallest odd id near the query, or kNone
    };
    const std::vector<NPoint> junction(5000, NPoint{3, 4});  // thousands of ends at one point
    std::vector<size_t> all, evens, odds;
    for (size_t i = 0; i < junction.size(); ++i) {
        all.push_back(i);
        (i % 2 ? odds : evens).push_back(i);
    }
    const double far = 1e300;
    const Case cases[] = {
        {"alone", {{1, 1}}, {}, {1, 1}, {0}, PointGrid::kNone},
        {"joint", {{1, 1}, {2, 2}, {1, 1}}, {}, {1 + reach / 2, 1}, {0, 2}, PointGrid::kNone},
        {"across_a_cell_side", {{0.0004, 0}, {0.0004 - reach / 2, 0}}, {}, {0.0004 + reach / 4, 0}, {0, 1}, 1},
        {"across_a_corner", {{-reach / 3, -reach / 3}, {reach / 3, reach / 3}}, {}, {0, 0}, {0, 1}, 1},
        {"junction", junction, {}, {3, 4}, all, 1},
        {"junction_less_its_odd_ends", junction, odds, {3, 4}, evens, PointGrid::kNone},
        {"removed", {{5, 5}, {5, 5}, {5, 5}}, {1}, {5, 5}, {0, 2}, PointGrid::kNone},
        {"far_out", {{far, far}, {far, -far}}, {}, {far, far}, {0}, PointGrid::kNone},
        {"not_finite", {{NAN, 0}, {0, INFINITY}, {0, 0}}, {}, {0, 0}, {2}, PointGrid::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PointGrid grid(reach);
        for (size_t i = 0; i < c.points.size(); ++i)
            grid.Add(c.points[i], i);
        for (size_t id : c.removed)
            grid.Remove(c.points[id], id);
        const std::vector<size_t> found = Near(grid, c.query);
        for (size_t id : c.near)
            EXPECT_TRUE(std::binary_search(found.begin(), found.end(), id)) << id;
        for (size_t id : c.removed)
            EXPECT_FALSE(std::binary_search(found.begin(), found.end(), id)) << id;
        EXPECT_EQ(grid.FirstNear(c.query, [](size_t id) { return id % 2 == 1; }), c.firstOdd);
        EXPECT_EQ(grid.FirstNear(c.query, [](size_t) { return true; }), c.near.front());
    }
}

// A grid of a hundred thousand points along a curve, filed, found and taken
// out again in any order, as the chaining of an outline does.
TEST(PointGridTest, ManyPointsAreFiledFoundAndTakenOut)
{
    const size_t count = 100000;
    std::vector<NPoint> points;
    for (size_t i = 0; i < count; ++i) {
        const double t = 2 * M_PI * static_cast<double>(i) / count;
        points.push_back({500 * std::cos(t), 500 * std::sin(t)});
    }
    PointGrid grid(1e-4);
    for (size_t i = 0; i < count; ++i)
        grid.Add(points[i], i);
    for (size_t i = 0; i < count; i += 7)
        EXPECT_EQ(grid.FirstNear(points[i], [](size_t) { return true; }), i);
    for (size_t i = 0; i < count; i += 2)
        grid.Remove(points[i], i);
    size_t found = 0;
    for (size_t i = 0; i < count; ++i)
        found += grid.FirstNear(points[i], [](size_t) { return true; }) == i;
    EXPECT_EQ(found, count / 2);
}

}  // namespace
