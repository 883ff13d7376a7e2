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
// outline, inside a hole) by `cut` or more (by more than rounding with no
// cut), and every vertex of `cleaned` lies within the tolerance of `original`.
void ExpectEncloses(const Ring& cleaned, const Ring& original, bool solid, const std::string& name, double cut = 0.0)
{
    for (const NPoint& p : original)
        EXPECT_TRUE(ringtest::EvenOddInside(cleaned, p) == solid ||
                    ringtest::PointRingDistance(cleaned, p) < std::max(cut, 1e-9))
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

// A spike, the ring running out and back along one line, holds no material:
// it goes whole, whatever its length, outward or as a slit into the part;
// so does a sliver whose sides lie closer than the tolerance, blunt or
// coming back a hair off where it left.
TEST(CleanOutline, SpikesGoWhole)
{
    const Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const Ring hole{{2, 2}, {2, 8}, {8, 8}, {8, 2}};
    const struct {
        const char* name;
        Ring ring;
        bool solid;
        Ring cleaned; // from its lowest-left vertex on
    } cases[] = {
        {"outward spike", {{0, 0}, {10, 0}, {10, 5}, {12, 5}, {10, 5}, {10, 10}, {0, 10}}, true, square},
        {"slit into the part", {{0, 0}, {10, 0}, {10, 5}, {4, 5}, {10, 5}, {10, 10}, {0, 10}}, true, square},
        {"vertices on its way out and back", {{0, 0}, {10, 0}, {10, 5}, {12, 5}, {40, 5}, {25, 5}, {10, 5}, {10, 10}, {0, 10}},
         true, square},
        {"along an edge's line, off a corner", {{0, 0}, {10, 0}, {10, 10}, {10, 25}, {10, 10}, {0, 10}}, true, square},
        {"slanted, its sides closer than the tolerance", {{0, 0}, {10, 0}, {10, 5}, {90, 37}, {10, 5.00005}, {10, 10}, {0, 10}},
         true, square},
        {"out of a hole into the part", {{2, 2}, {8, 2}, {8, 8}, {5, 8}, {5, 9.5}, {5, 8}, {2, 8}}, false, hole},
        {"a strip 1e-6 wide", {{0, 0}, {10, 0}, {10, 5}, {40, 5}, {40, 5.000001}, {10, 5.000001}, {10, 10}, {0, 10}},
         true, square},
        {"back 1e-5 off where it left", {{0, 0}, {10, 0}, {13, 0}, {10, -1e-5}, {10, 10}, {0, 10}}, true, square},
    };
    for (const auto& c : cases) {
        Ring ring = c.ring;
        ASSERT_TRUE(CleanOutline(ring, c.solid)) << c.name;
        const auto first = std::min_element(ring.begin(), ring.end(), [](const NPoint& a, const NPoint& b) {
            return a.x + a.y < b.x + b.y;
        });
        std::rotate(ring.begin(), first, ring.end());
        ASSERT_EQ(ring.size(), c.cleaned.size()) << c.name;
        for (size_t k = 0; k < ring.size(); ++k)
            EXPECT_LT(Distance(ring[k], c.cleaned[k]), EPS) << c.name << ": vertex " << k;
    }
}

// Figures' rings are cleaned with a cut of half the tolerance: a vertex that
// close to its neighbours' line goes whichever side it lies, the corner
// beside a near repeat stays where it is, and what goes is never cut deeper
// than that all together.
TEST(CleanOutline, CutOfHalfTheToleranceKeepsTheCornersOnly)
{
    const double cut = 0.5 * EPS;
    const Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const struct {
        const char* name;
        Ring ring;
        Ring cleaned; // exactly; empty: only the count and the cut are checked
        size_t vertices;
    } cases[] = {
        {"outward bump", {{0, 0}, {5, -0.00004}, {10, 0}, {10, 10}, {0, 10}}, square, 4},
        {"outward bump beyond the cut stays", {{0, 0}, {5, -0.00006}, {10, 0}, {10, 10}, {0, 10}}, {}, 5},
        {"a vertex 1e-3 after a corner, outward", {{0, 0}, {10, 0}, {10, 10}, {9.999, 10.00004}, {0, 10}}, square, 4},
        {"a vertex 1e-5 after a corner", {{0, 0}, {10, 0}, {10, 10}, {9.99999, 10.000004}, {0, 10}}, square, 4},
        {"spike shorter than the cut", {{0, 0}, {10, 0}, {10, 5}, {10.00004, 5}, {10, 5}, {10, 10}, {0, 10}}, square, 4},
        // Each vertex of the flat arc lies within the cut of its neighbours'
        // line, the arc as a whole does not: some of it stays.
        {"flat arc", {{0, 0}, {10, 0}, {10, 10}, {7.5, 10.00004}, {5, 10.00007}, {2.5, 10.00004}, {0, 10}}, {}, 5},
    };
    for (const auto& c : cases) {
        Ring ring = c.ring;
        ASSERT_TRUE(CleanOutline(ring, true, EPS, cut)) << c.name;
        EXPECT_EQ(ring.size(), c.vertices) << c.name;
        for (const NPoint& p : c.cleaned) {
            EXPECT_TRUE(std::any_of(ring.begin(), ring.end(), [&](const NPoint& q) { return Distance(p, q) < 1e-9; }))
                << c.name << ": no vertex at (" << p.x << ", " << p.y << ")";
        }
        ExpectEncloses(ring, c.ring, true, c.name, cut);
    }
}

TEST(CleanOutline, RandomOutlinesWithNoiseGiveBackTheirCorners)
{
    // A star whose edges get extra points on them, repeats and points a
    // fraction of the tolerance off either side: the cleaned ring encloses
    // the noisy one (but for the cut allowed) and keeps every corner of the
    // star (and only the outward noise, or that beyond the cut).
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
        size_t beyondCut = 0; // outward noise that a cut of half the tolerance keeps
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
                beyondCut += off >= 0.5 * EPS ? 1 : 0;
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
        // With a cut of half the tolerance, only the noise beyond it stays.
        ring = noisy;
        ASSERT_TRUE(CleanOutline(ring, true, EPS, 0.5 * EPS));
        EXPECT_EQ(ring.size(), n + beyondCut);
        ExpectEncloses(ring, noisy, true, "trial " + std::to_string(trial) + " with the cut", 0.5 * EPS);
        if (::testing::Test::HasFailure())
            return;
    }
}

}  // namespace
