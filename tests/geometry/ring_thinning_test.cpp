// Dense rings (thousands of short edges, as digitised and CAM outlines come)
// thinned within a sag, spanning the same rectangle, and collinear vertices
// dropped without a dense arc going whole.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"
#include "geometry/RingThinning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

namespace {

using Points = std::vector<NPoint>;

// `count` vertices round the origin at radius r(t).
Points Round(size_t count, const std::function<double(double)>& r)
{
    Points ring;
    for (size_t k = 0; k < count; ++k) {
        const double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(count);
        ring.push_back({r(t) * std::cos(t), r(t) * std::sin(t)});
    }
    return ring;
}

Points Reversed(Points ring)
{
    std::reverse(ring.begin(), ring.end());
    return ring;
}

// A 200 × 200 square with each side cut into `pieces` edges.
Points DenseSquare(size_t pieces)
{
    Points ring;
    const NPoint corners[] = {{0, 0}, {200, 0}, {200, 200}, {0, 200}, {0, 0}};
    for (size_t side = 0; side < 4; ++side)
        for (size_t k = 0; k < pieces; ++k) {
            const double t = static_cast<double>(k) / static_cast<double>(pieces);
            ring.push_back({corners[side].x + (corners[side + 1].x - corners[side].x) * t,
                            corners[side].y + (corners[side + 1].y - corners[side].y) * t});
        }
    return ring;
}

double ToSegment(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const NPoint d = b - a;
    const double l2 = d.x * d.x + d.y * d.y;
    const double t = l2 > 0 ? std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / l2, 0.0, 1.0) : 0.0;
    return Distance(p, {a.x + d.x * t, a.y + d.y * t});
}

double ToRing(const NPoint& p, const Points& ring)
{
    double best = INFINITY;
    for (size_t k = 0; k < ring.size(); ++k)
        best = std::min(best, ToSegment(p, ring[k], ring[(k + 1) % ring.size()]));
    return best;
}

TEST(RingThinning, DenseRingsKeepTheirShapeWithinTheSag)
{
    const double sag = 0.01;
    const struct {
        const char* name;
        Points ring;
        size_t most;       // vertices left at most
        double strayed;    // what ThinRing returns, at most
    } cases[] = {
        {"circle r 500 of 20,000 edges", Round(20000, [](double) { return 500.0; }), 600, sag},
        // Clockwise, as a hole runs: its chords cut into no material.
        {"round hole r 500 of 20,000 edges", Reversed(Round(20000, [](double) { return 500.0; })), 600, 0.0},
        {"wavy ring of 20,000 edges", Round(20000, [](double t) { return 100 + 2 * std::sin(12 * t); }), 2000, sag},
        {"star of 40 spikes, 20,000 edges", Round(20000, [](double t) { return 60 + 20 * std::sin(40 * t); }), 6000, sag},
        {"square of 20,000 edges", DenseSquare(5000), 4, 1e-9},
        {"square", DenseSquare(1), 4, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Points thinned = c.ring;
        const double strayed = ThinRing(thinned, sag);
        EXPECT_LE(thinned.size(), c.most);
        EXPECT_LE(strayed, c.strayed);
        // Every old vertex within the sag of the new ring.
        for (size_t k = 0; k < c.ring.size(); k += 7)
            ASSERT_LE(ToRing(c.ring[k], thinned), sag * (1 + 1e-9)) << "vertex " << k;
        // Every kept vertex is an old one, in the old order round the ring.
        const size_t n = c.ring.size();
        size_t at = 0, walked = 0;
        while (!(c.ring[at].x == thinned[0].x && c.ring[at].y == thinned[0].y) && ++at < n) {
        }
        for (const NPoint& p : thinned) {
            while (walked <= n && !(c.ring[at % n].x == p.x && c.ring[at % n].y == p.y))
                ++at, ++walked;
            ASSERT_LE(walked, n) << "a kept vertex out of order";
        }
        EXPECT_NEAR(SignedArea(thinned), SignedArea(c.ring), 1e-3 * std::fabs(SignedArea(c.ring)));
        // It spans the rectangle the old one spans: a part reaches as far.
        const NRect before = NPolygon(NPoint{}, c.ring).GetGabarit();
        const NRect after = NPolygon(NPoint{}, thinned).GetGabarit();
        EXPECT_TRUE(before.pBot.x == after.pBot.x && before.pBot.y == after.pBot.y && before.pTop.x == after.pTop.x &&
                    before.pTop.y == after.pTop.y);
    }
}

// A small hole drawn as a polyline of 900 edges turns by less than the point
// tolerance at each vertex: it stays a circle.
TEST(RingThinning, CollinearVerticesGoButADenseArcStays)
{
    NPolygon circle(NPoint{}, Round(900, [](double) { return 3.0; }));
    circle.DelColinearPoints();
    EXPECT_NEAR(SignedArea(circle.m_points), 9 * std::numbers::pi, 0.01);
    for (const NPoint& p : circle.m_points)
        ASSERT_NEAR(Distance(p, {0, 0}), 3.0, 1e-9);
    for (size_t k = 0; k < circle.m_points.size(); ++k)
        ASSERT_NEAR(ToSegment({0, 0}, circle.m_points[k], circle.m_points[(k + 1) % circle.m_points.size()]), 3.0,
                    EPS * 2);

    NPolygon square(NPoint{}, DenseSquare(2500));
    EXPECT_TRUE(square.DelColinearPoints());
    EXPECT_EQ(square.m_points.size(), 4u);
}

}  // namespace
