// The tangential polygon of one curve, with the host's nearest-point query
// played by an exact circle.
#include "host/TangentialRuns.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kRadius = 10.0;

// Fine pieces of a circle arc about the origin from angle a0 to a1 (radians).
std::vector<NSegmentPtr> ArcPieces(double a0, double a1, int count)
{
    std::vector<NSegmentPtr> pieces;
    for (int k = 0; k < count; ++k) {
        const double t0 = a0 + (a1 - a0) * k / count;
        const double t1 = a0 + (a1 - a0) * (k + 1) / count;
        pieces.push_back(std::make_shared<NSegment>(NPoint{kRadius * std::cos(t0), kRadius * std::sin(t0)},
                                                    NPoint{kRadius * std::cos(t1), kRadius * std::sin(t1)}, 0));
    }
    return pieces;
}

bool NearestOnCircle(const NPoint& p, NPoint& n)
{
    const double r = std::hypot(p.x, p.y);
    if (r < 1e-12)
        return false;
    n = {p.x * kRadius / r, p.y * kRadius / r};
    return true;
}

}  // namespace

TEST(MacroTangentialRuns, CounterClockwiseCircleIsCircumscribedWithinTheSag)
{
    const double arrow = 0.5;
    std::vector<NPoint> out;
    vrnApi::AppendTangentialRuns(ArcPieces(0.0, 2 * PI, 360), arrow, NearestOnCircle, out);
    ASSERT_GT(out.size(), 8u);
    for (const NPoint& p : out) {
        const double r = std::hypot(p.x, p.y);
        EXPECT_GE(r, kRadius - 0.01);
        EXPECT_LT(r - kRadius, std::sqrt(arrow * arrow + 0.0001) + 1e-9);
    }
    EXPECT_LT(out.size(), 100u);  // the sag lets few vertices stand for 360 pieces
}

TEST(MacroTangentialRuns, ClockwiseCircleIsInscribedByChords)
{
    const double arrow = 0.5;
    std::vector<NPoint> out;
    vrnApi::AppendTangentialRuns(ArcPieces(2 * PI, 0.0, 360), arrow, NearestOnCircle, out);
    ASSERT_GT(out.size(), 8u);
    for (const NPoint& p : out)
        EXPECT_NEAR(std::hypot(p.x, p.y), kRadius, 1e-9);  // chord ends lie on the curve
    for (size_t i = 1; i < out.size(); ++i) {
        const NPoint mid{(out[i - 1].x + out[i].x) / 2, (out[i - 1].y + out[i].y) / 2};
        EXPECT_LT(kRadius - std::hypot(mid.x, mid.y), arrow + 0.0001);
    }
}

TEST(MacroTangentialRuns, CurveWithoutNearestPointsKeepsItsSamples)
{
    std::vector<NPoint> out;
    const auto none = [](const NPoint&, NPoint&) { return false; };
    const auto pieces = ArcPieces(0.0, PI / 2, 4);
    vrnApi::AppendTangentialRuns(pieces, 0.5, none, out);
    // No candidate is ever accepted: only the run starts and the end point remain.
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(out.back() == pieces.back()->p2);
    for (const NPoint& p : out)
        EXPECT_NEAR(std::hypot(p.x, p.y), kRadius, 1e-9);
}

TEST(MacroTangentialRuns, SinglePieceAddsNothing)
{
    std::vector<NPoint> out;
    vrnApi::AppendTangentialRuns(ArcPieces(0.0, 1.0, 1), 0.5, NearestOnCircle, out);
    EXPECT_TRUE(out.empty());
}
