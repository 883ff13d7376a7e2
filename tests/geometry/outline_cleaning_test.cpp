// Cleaning of outline rings: repeated, nearly repeated and straight-run
// vertices go, the orientation is normalised and the cleaned ring never cuts
// into the material.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"
#include "support/ring_distance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

using Ring = std::vector<NPoint>;

// No vertex of `original` lies on the wrong side of `cleaned` (outside an
// outline, inside a hole) by more than rounding, and every vertex of
// `cleaned` lies within the tolerance of `original`.
void ExpectEncloses(const Ring& cleaned, const Ring& original, bool solid, const std::string& name)
{
    for (const NPoint& p : original)
        EXPECT_TRUE(ringtest::EvenOddInside(cleaned, p) == solid || ringtest::PointRingDistance(cleaned, p) < 1e-9)
            << name << ": (" << p.x << ", " << p.y << ") cut off";
    for (const NPoint& p : cleaned)
        EXPECT_LT(ringtest::PointRingDistance(original, p), EPS) << name << ": (" << p.x << ", " << p.y << ") far from the outline";
}

struct Case {
    const char* name;
    Ring ring;
    bool solid;
    size_t vertices; // after cleaning, 0 for a ring that bounds nothing
};

TEST(CleanOutline, RemovesRepeatsAndStraightRunsWithoutCuttingIn)
{
    const Case cases[] = {
        {"repeated vertices, clockwise", {{0, 0}, {0, 0}, {0, 10}, {0, 10}, {10, 10}, {10, 0}, {10, 0}, {0, 0}}, true, 4},
        {"straight runs", {{0, 0}, {5, 0}, {10, 0}, {10, 3}, {10, 10}, {5, 10}, {0, 10}, {0, 5}}, true, 4},
        {"nearly repeated, inward", {{0, 0}, {10, 0}, {10, 10}, {5.00003, 10}, {5, 9.99998}, {0, 10}}, true, 4},
        {"nearly repeated, outward", {{0, 0}, {10, 0}, {10, 10}, {5.00003, 10}, {5, 10.00002}, {0, 10}}, true, 5},
        {"nearly repeated corner", {{0, 0}, {10, 0}, {10, 9.99996}, {9.99997, 10}, {0, 10}}, true, 4},
        {"outward bump within the tolerance stays", {{0, 0}, {5, -0.00005}, {10, 0}, {10, 10}, {0, 10}}, true, 5},
        {"inward dent within the tolerance goes", {{0, 0}, {5, 0.00005}, {10, 0}, {10, 10}, {0, 10}}, true, 4},
        // The tip of a short spike stays as a shallow corner: the ring keeps
        // enclosing it.
        {"spike shorter than the tolerance", {{0, 0}, {10, 0}, {10, 5}, {10.00004, 5}, {10, 5}, {10, 10}, {0, 10}}, true, 5},
        {"long spike stays", {{0, 0}, {10, 0}, {10, 5}, {12, 5}, {10, 5}, {10, 10}, {0, 10}}, true, 7},
        {"hole, counter-clockwise given", {{0, 0}, {10, 0}, {10, 0}, {10, 10}, {5, 10}, {0, 10}}, false, 4},
        {"a sliver as wide as the tolerance keeps its corners", {{0, 0}, {10, 0}, {10, 0.0001}, {0, 0.0001}}, true, 4},
        {"a line run back and forth", {{0, 0}, {10, 0}, {5, 0}}, true, 0},
        {"far from the origin", {{1e6, 1e6}, {1e6 + 10, 1e6}, {1e6 + 10, 1e6}, {1e6 + 10, 1e6 + 10}, {1e6 + 5, 1e6 + 10}, {1e6, 1e6 + 10}}, true, 4},
    };
    for (const Case& c : cases) {
        Ring ring = c.ring;
        const bool kept = CleanOutline(ring, c.solid);
        EXPECT_EQ(kept, c.vertices > 0) << c.name;
        EXPECT_EQ(ring.size(), c.vertices) << c.name;
        if (!kept)
            continue;
        EXPECT_EQ(SignedArea(ring) > 0, c.solid) << c.name;
        ExpectEncloses(ring, c.ring, c.solid, c.name);
    }
}

TEST(CleanOutline, RandomOutlinesWithNoiseGiveBackTheirCorners)
{
    // A star whose edges get extra points on them, repeats and points a
    // fraction of the tolerance off either side: the cleaned ring encloses
    // the noisy one and keeps every corner of the star (and only the outward
    // noise).
    std::mt19937 random(7);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    for (int trial = 0; trial < 2000; ++trial) {
        const size_t n = 3 + random() % 12;
        std::vector<double> angles;
        for (size_t k = 0; k < n; ++k)
            angles.push_back(2 * PI * (k + uniform(0.1, 0.9)) / static_cast<double>(n));
        const NPoint centre{uniform(-1e5, 1e5), uniform(-1e5, 1e5)};
        Ring star;
        for (double a : angles) {
            const double r = uniform(5, 50);
            star.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
        Ring noisy;
        size_t mayStay = 0; // outward noise and nearly repeated points need not go
        for (size_t k = 0; k < n; ++k) {
            const NPoint& p = star[k];
            const NPoint& q = star[(k + 1) % n];
            noisy.push_back(p);
            switch (random() % 4) {
            case 0:
                noisy.push_back(p);
                break;
            case 1: { // just after the corner, a little off the edge
                ++mayStay;
                const NPoint d = q - p;
                const double len = std::hypot(d.x, d.y);
                const double along = uniform(0.05, 0.6) * EPS;
                const double off = uniform(-1e-3, 1e-3) * along; // keeps a sharp notch simple
                noisy.push_back({p.x + along * d.x / len + off * d.y / len, p.y + along * d.y / len - off * d.x / len});
                break;
            }
            case 2: {
                const double t = uniform(0.2, 0.8);
                const NPoint d = q - p;
                const double len = std::hypot(d.x, d.y);
                const double off = uniform(-0.9, 0.9) * EPS; // > 0: outward (right of p -> q)
                mayStay += off > 0 ? 1 : 0;
                noisy.push_back({p.x + t * d.x + off * d.y / len, p.y + t * d.y - off * d.x / len});
                break;
            }
            default:
                break;
            }
        }
        Ring ring = noisy;
        ASSERT_TRUE(CleanOutline(ring, true));
        EXPECT_GE(ring.size(), n);
        EXPECT_LE(ring.size(), n + mayStay);
        ExpectEncloses(ring, noisy, true, "trial " + std::to_string(trial));
        if (::testing::Test::HasFailure())
            return;
    }
}

}  // namespace
