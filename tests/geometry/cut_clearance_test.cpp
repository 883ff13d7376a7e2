// How far apart outlines of lines and arcs stand as they are cut: exactly,
// whichever of their points are nearest (their ends, points within both, a
// crossing), wherever the pieces are placed.
#include "geometry/CutClearance.h"
#include "support/ring_distance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using clearance::ArcPiece;
using clearance::CutPiece;
using clearance::LinePiece;

// An arc of radius r about (cx, cy) from `from` turning by `sweep`, in degrees.
CutPiece Arc(double cx, double cy, double r, double from, double sweep)
{
    return ArcPiece({cx, cy}, r, from * DR, sweep * DR);
}
CutPiece Circle(double cx, double cy, double r) { return Arc(cx, cy, r, 0, 360); }
double Gap(const NPoint& p, const NPoint& q) { return std::hypot(p.x - q.x, p.y - q.y); }

// The piece's points every `step` along it, its ends included.
std::vector<NPoint> Sampled(const CutPiece& piece, double step)
{
    const double length = piece.IsArc() ? std::fabs(piece.sweep) * piece.radius : Gap(piece.a, piece.b);
    const int n = std::max(1, static_cast<int>(std::ceil(length / step)));
    std::vector<NPoint> points;
    for (int k = 0; k <= n; ++k) {
        const double t = static_cast<double>(k) / n, angle = piece.from + t * piece.sweep;
        points.push_back(piece.IsArc() ? NPoint{piece.centre.x + piece.radius * std::cos(angle),
                                                piece.centre.y + piece.radius * std::sin(angle)}
                                       : NPoint{piece.a.x + t * (piece.b.x - piece.a.x), piece.a.y + t * (piece.b.y - piece.a.y)});
    }
    return points;
}

// How far the point stands from the piece: from its line, or from its ends
// and from its circle where it faces the arc (its direction from the centre
// within the sweep).
double PointDistance(const NPoint& p, const CutPiece& piece)
{
    if (!piece.IsArc())
        return ringtest::PointSegmentDistance(p, piece.a, piece.b);
    double turn = (std::atan2(p.y - piece.centre.y, p.x - piece.centre.x) - piece.from) * (piece.sweep > 0 ? 1 : -1);
    turn = std::fmod(std::fmod(turn, 2 * PI) + 2 * PI, 2 * PI);
    const double ends = std::min(Gap(p, piece.a), Gap(p, piece.b));
    return turn <= std::fabs(piece.sweep) ? std::min(ends, std::fabs(Gap(p, piece.centre) - piece.radius)) : ends;
}

// The least distance from the points of one, sampled every `step`, to the
// other, and the other way: no less than the true one, within half the step.
double SampledDistance(const CutPiece& p, const CutPiece& q, double step)
{
    double best = 1e300;
    for (const auto& [from, to] : {std::pair{&p, &q}, {&q, &p}})
        for (const NPoint& x : Sampled(*from, step))
            best = std::min(best, PointDistance(x, *to));
    return best;
}

TEST(CutClearance, PiecesStandAsMeasured)
{
    const double s2 = std::sqrt(2.0);
    const struct {
        const char* what;
        CutPiece p, q;
        double distance;
    } cases[] = {
        {"parallel lines 5.99 apart", LinePiece({0, 0}, {100, 0}), LinePiece({20, 5.99}, {50, 5.99}), 5.99},
        {"lines end to end", LinePiece({0, 0}, {100, 0}), LinePiece({103, 4}, {200, 4}), 5.0},
        {"crossing lines", LinePiece({0, 0}, {100, 100}), LinePiece({0, 100}, {100, 0}), 0.0},
        {"lines on one line, overlapping", LinePiece({0, 0}, {100, 0}), LinePiece({50, 0}, {150, 0}), 0.0},
        {"a circle and a line 6 mm off it", Circle(0, 0, 40), LinePiece({-10, 46}, {10, 46}), 6.0},
        {"a circle and a line through its centre, within it", Circle(0, 0, 40), LinePiece({-10, 0}, {10, 0}), 30.0},
        {"a circle crossed by a line", Circle(0, 0, 40), LinePiece({0, 0}, {50, 0}), 0.0},
        {"a circle and a corner at 37°", Circle(0, 0, 40),
         LinePiece({45.987 * std::cos(37 * DR), 45.987 * std::sin(37 * DR)}, {100, 45.987 * std::sin(37 * DR)}), 5.987},
        {"a quarter arc and a line beyond its ends", Arc(0, 0, 10, 0, 90), LinePiece({-20, -5}, {-20, 5}),
         std::hypot(20.0, 5.0)},
        {"a quarter arc and a line facing its middle", Arc(0, 0, 10, 0, 90), LinePiece({20, 10}, {10, 20}),
         30 / s2 - 10},
        {"the same arc turned the other way", Arc(0, 0, 10, 90, -90), LinePiece({20, 10}, {10, 20}), 30 / s2 - 10},
        {"two circles 2.2496 apart at 37°", Circle(0, 0, 40),
         Circle(72.2496 * std::cos(37 * DR), 72.2496 * std::sin(37 * DR), 30), 2.2496},
        {"a circle in a ring's hole", Circle(0, 0, 15), Circle(1, 0, 35), 19.0},
        {"concentric arcs sharing a direction", Arc(0, 0, 10, 0, 90), Arc(0, 0, 16, 80, 30), 6.0},
        {"concentric arcs apart", Arc(0, 0, 10, 0, 90), Arc(0, 0, 16, 180, 90), std::hypot(10.0, 16.0)},
        {"arcs turned away from each other: their ends", Arc(0, 0, 10, 90, 90), Arc(30, 0, 10, 0, 90), 30.0},
        {"crossing circles", Circle(0, 0, 10), Circle(15, 0, 10), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(clearance::PieceDistance(c.p, c.q), c.distance, 1e-9);
        EXPECT_NEAR(clearance::PieceDistance(c.q, c.p), c.distance, 1e-9);
        // Placed elsewhere, turned, the two stand as far apart.
        const CutPiece p = clearance::Placed(c.p, 120, -35, 71), q = clearance::Placed(c.q, 120, -35, 71);
        EXPECT_NEAR(clearance::PieceDistance(p, q), c.distance, 1e-9);
        EXPECT_NEAR(clearance::PiecesDistance({p}, {q}, 1000), c.distance, 1e-9);
        EXPECT_NEAR(SampledDistance(p, q, 0.001), c.distance, 0.001);
    }
}

// Pieces of every kind at random: the distance is the sampled one (within
// the sampling), never more; an outline's box holds every point of it.
TEST(CutClearance, RandomPiecesAgreeWithTheirPoints)
{
    std::mt19937 random(70);
    std::uniform_real_distribution<double> at(-50, 50), radius(1, 40), angle(-360, 360);
    const auto piece = [&] {
        return random() % 3 == 0 ? LinePiece({at(random), at(random)}, {at(random), at(random)})
                                 : Arc(at(random), at(random), radius(random), angle(random), angle(random));
    };
    for (int k = 0; k < 200; ++k) {
        const CutPiece p = piece(), q = piece();
        const double sampled = SampledDistance(p, q, 0.01);
        const double exact = clearance::PieceDistance(p, q);
        EXPECT_LE(exact, sampled + 1e-9) << k;
        EXPECT_GE(exact, sampled - 0.005) << k;
        const NRect box = clearance::PieceBox(p);
        for (const NPoint& point : Sampled(p, 0.5))
            EXPECT_TRUE(point.x >= box.pBot.x - 1e-9 && point.x <= box.pTop.x + 1e-9 && point.y >= box.pBot.y - 1e-9 &&
                        point.y <= box.pTop.y + 1e-9)
                << k;
    }
    // Beyond the reach: kFar.
    EXPECT_EQ(clearance::PiecesDistance({Circle(0, 0, 10)}, {Circle(100, 0, 10)}, 50), clearance::kFar);
}

}  // namespace
