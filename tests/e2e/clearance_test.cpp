// job_check's exact distances between lines and arcs, which its gap check
// trusts: each case against a distance worked out by hand.
#include "job_check/Clearance.h"

#include <gtest/gtest.h>

namespace {

using jobcheck::Edge;

constexpr double kHalf = M_PI;

struct Case {
    const char* name;
    Edge p, q;
    double distance;
};

// Circles of radius 10: about the origin, and about (25, 0).
const Case kCases[] = {
    {"parallel lines", {{0, 0}, {10, 0}}, {{0, 5}, {10, 5}}, 5.0},
    {"crossing lines", {{0, 0}, {10, 10}}, {{0, 10}, {10, 0}}, 0.0},
    {"line over a half circle", {{-5, 15}, {5, 15}}, {{10, 0}, {-10, 0}, kHalf}, 5.0},
    {"line under an upper half circle", {{-5, -3}, {5, -3}}, {{10, 0}, {-10, 0}, kHalf}, std::hypot(5.0, 3.0)},
    {"line through a half circle", {{0, 0}, {0, 20}}, {{10, 0}, {-10, 0}, kHalf}, 0.0},
    {"facing half circles", {{0, -10}, {0, 10}, kHalf}, {{25, 10}, {25, -10}, kHalf}, 5.0},
    {"half circles turned away", {{0, 10}, {0, -10}, kHalf}, {{25, -10}, {25, 10}, kHalf}, 25.0},
    {"concentric arcs", {{10, 0}, {0, 10}, kHalf / 2}, {{0, 15}, {15, 0}, -kHalf / 2}, 5.0},
    {"crossing arcs", {{0, -10}, {0, 10}, kHalf}, {{15, 10}, {15, -10}, kHalf}, 0.0},
    {"clockwise quarter", {{20, 20}, {30, 30}}, {{0, 10}, {10, 0}, -kHalf / 2}, std::hypot(20 - 50 / std::sqrt(50.0), 20 - 50 / std::sqrt(50.0))},
};

TEST(Clearance, EdgeDistancesAreExact)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(jobcheck::EdgeDistance(c.p, c.q), c.distance, 1e-9);
        EXPECT_NEAR(jobcheck::EdgeDistance(c.q, c.p), c.distance, 1e-9);
    }
}

TEST(Clearance, PartsInHolesHaveTheirOwnParents)
{
    const auto circle = [](double x, double r) {
        return jobcheck::Loop{{{x + r, 0}, {x - r, 0}, kHalf}, {{x - r, 0}, {x + r, 0}, kHalf}};
    };
    const jobcheck::Loop sheet = {{{-100, -100}, {100, -100}}, {{100, -100}, {100, 100}},
                                  {{100, 100}, {-100, 100}}, {{-100, 100}, {-100, -100}}};
    // A washer (outline, hole), a disc in its hole, and a disc beside it.
    const std::vector<int> parents = jobcheck::Parents({sheet, circle(0, 50), circle(0, 30), circle(0, 20), circle(70, 10)});
    EXPECT_EQ(parents, (std::vector<int>{-1, 0, 1, 2, 0}));
    EXPECT_NEAR(jobcheck::LoopDistance(circle(0, 30), circle(0, 20), 0.0), 10.0, 1e-9);

    // Without an edge gap: a disc and a square touching the sheet's edges (a
    // hair beyond them, as exported), a triangle in its corner with every
    // vertex on them, and a square touching the first one's side.
    const auto ring = [](std::vector<NPoint> p) {
        jobcheck::Loop loop;
        for (size_t k = 0; k < p.size(); ++k)
            loop.push_back({p[k], p[(k + 1) % p.size()]});
        return loop;
    };
    const double hair = -1e-12;
    const std::vector<int> touching = jobcheck::Parents(
        {sheet, circle(90 - hair, 10), ring({{hair - 100, -50}, {-80, -50}, {-80, -30}, {hair - 100, -30}}),
         ring({{-100, -100}, {-60, -100}, {-100, -60}}), ring({{-80, -50}, {-60, -50}, {-60, -30}, {-80, -30}})});
    EXPECT_EQ(touching, (std::vector<int>{-1, 0, 0, 0, 0}));
}

}  // namespace
