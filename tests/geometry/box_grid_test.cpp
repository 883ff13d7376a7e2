// The grid of boxes the placement looks candidate points and rings up in:
// every box within the point tolerance of a point, or of another box, is
// found, each once, in the order filed; boxes and points off the area, boxes
// over very many squares, areas of too many squares and what is not finite
// are safe; a query looks at the boxes about it, not at all of them.
#include "geometry/BoxGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

bool Holds(const NRect& box, const NPoint& p)
{
    return box.pBot.x - EPS <= p.x && p.x <= box.pTop.x + EPS && box.pBot.y - EPS <= p.y && p.y <= box.pTop.y + EPS;
}

bool Meet(const NRect& a, const NRect& b)
{
    return a.pBot.x - EPS <= b.pTop.x && b.pBot.x <= a.pTop.x + EPS && a.pBot.y - EPS <= b.pTop.y &&
           b.pBot.y <= a.pTop.y + EPS;
}

NRect Box(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y1}}; }

TEST(BoxGridTest, FindsEveryBoxAboutAPointOrABoxOnceInOrder)
{
    struct Case {
        const char* name;
        NRect area;
        double square;
        std::vector<NRect> boxes;    // filed as ids 0, 1, ...
        std::vector<NPoint> points;  // asked besides the boxes' corners and middles
        size_t mostFound;            // found at a point, on average, at most
    };
    const double far = 1e6;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> at(0.0, 1000.0), size(1.0, 30.0);
    std::vector<NRect> scattered;
    for (int k = 0; k < 2000; ++k) {
        const double x = at(random), y = at(random);
        scattered.push_back(Box(x, y, x + size(random), y + size(random)));
    }
    const Case cases[] = {
        {"touching within the tolerance", Box(0, 0, 10, 10), 1.0,
         {Box(0, 0, 1, 1), Box(1 + EPS / 2, 0, 2, 1), Box(0, 1 + EPS / 2, 1, 2)},
         {{1 + EPS / 2, 0.5}, {0.5, 1 + EPS / 2}, {1, 1}}, 3},
        {"off the area", Box(0, 0, 100, 100), 10.0,
         {Box(-50, 5, -40, 15), Box(120, -30, 130, -20), Box(40, 40, 60, 60), Box(-far, -far, -far + 1, -far + 1)},
         {{-45, 10}, {125, -25}, {-far, -far}, {far, far}}, 4},
        {"a box over very many squares", Box(0, 0, 1000, 1000), 1.0,
         {Box(10, 10, 11, 11), Box(0, 0, 1000, 1000), Box(500, 500, 501, 501)}, {{10.5, 10.5}, {500.5, 500.5}}, 3},
        {"squares too small for the area", Box(0, 0, far, far), 1e-6,
         {Box(0, 0, 1, 1), Box(far - 1, far - 1, far, far), Box(far / 2, far / 2, far / 2 + 1e-3, far / 2 + 1e-3)},
         {{0.5, 0.5}, {far / 2, far / 2}}, 3},
        {"an area that is none", Box(HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL), 5.0,
         {Box(0, 0, 1, 1), Box(3, 3, 4, 4)}, {{0.5, 0.5}}, 2},
        {"what is not a number", Box(0, 0, 100, 100), 10.0,
         {Box(NAN, 0, 1, 1), Box(5, 5, 6, 6), Box(0, 0, INFINITY, 1)}, {{5.5, 5.5}, {50, 0.5}}, 3},
        {"thousands scattered", Box(0, 0, 1000, 1000), 40.0, scattered, {}, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxGrid grid(c.area, c.square);
        for (size_t id = 0; id < c.boxes.size(); ++id)
            grid.Add(id, c.boxes[id]);
        EXPECT_EQ(grid.Size(), c.boxes.size());
        std::vector<NPoint> points = c.points;
        for (const NRect& box : c.boxes) {
            points.push_back(box.pBot);
            points.push_back(box.pTop);
            points.push_back({(box.pBot.x + box.pTop.x) / 2, (box.pBot.y + box.pTop.y) / 2});
            points.push_back({box.pTop.x + EPS / 2, box.pBot.y - EPS / 2});
        }
        size_t found = 0;
        for (const NPoint& p : points) {
            std::vector<size_t> ids;
            grid.ForEachAt(p, [&](size_t id) { ids.push_back(id); });
            found += ids.size();
            EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()) &&
                        std::adjacent_find(ids.begin(), ids.end()) == ids.end());
            for (size_t id = 0; id < c.boxes.size(); ++id)
                EXPECT_TRUE(!Holds(c.boxes[id], p) || std::binary_search(ids.begin(), ids.end(), id))
                    << id << " at " << p.x << " " << p.y;
        }
        EXPECT_LE(found, c.mostFound * points.size());
        for (const NRect& box : c.boxes) {
            const std::vector<size_t> ids = grid.Meeting(box);
            EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()) &&
                        std::adjacent_find(ids.begin(), ids.end()) == ids.end());
            for (size_t id = 0; id < c.boxes.size(); ++id)
                EXPECT_TRUE(!Meet(c.boxes[id], box) || std::binary_search(ids.begin(), ids.end(), id)) << id;
        }
    }
}

} // namespace
