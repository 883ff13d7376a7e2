#include "geom_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace {

using namespace vlhost::geom;
using namespace geomtest;

struct NamedCurve {
    std::string name;
    Curve curve;
};

std::vector<NamedCurve> smoothAndCircularCurves()
{
    return {
        {"arc", Arc{{5, -3}, 20, 0.3, 2.9, true}},
        {"clockwise arc", Arc{{0, 0}, 7, 2.0, -1.0, false}},
        {"circle", Circle{{1, 2}, 15}},
        {"ellipse", Ellipse{{3, 4}, 30, 10, 0.5}},
        {"elliptic arc", EllipticArc{Ellipse{{0, 0}, 25, 8, -0.4}, 0.2, 4.0, false}},
        {"nurbs", wavyNurbs()},
        {"nurbs circle", nurbsCircle({10, 10}, 12)},
        {"bezier", Bezier{{{0, 0}, {10, 20}, {30, 20}, {40, 0}, {50, -20}, {70, -5}, {80, 10}}, 3}},
        {"conic", Conic{{0, 0}, {20, 30}, {40, 0}, 0.6}},
        {"nurbs by points", nurbsThroughPoints(std::vector<Point>{{0, 0}, {5, 8}, {12, 3}, {20, 9}, {26, -4}})},
    };
}

TEST(GeomChords, StayWithinTheSagAndInsideTheBox)
{
    for (const auto& [name, curve] : smoothAndCircularCurves())
        for (double sag : {0.5, 0.01, 0.001}) {
            SCOPED_TRACE(name + " sag " + std::to_string(sag));
            const std::vector<Point> chords = chordPoints(curve, sag);
            ASSERT_GE(chords.size(), 2u);
            EXPECT_TRUE(near(chords.front(), startPoint(curve), 1e-9));
            EXPECT_TRUE(near(chords.back(), endPoint(curve), 1e-9));
            const Box box = boundingBox(curve);
            for (Point p : chords)
                EXPECT_TRUE(box.contains(p, 1e-9));
            double worst = 0;
            for (Point p : denseSamples(curve))
                worst = std::max(worst, distanceToChain(p, chords));
            const std::size_t step = chords.size() / 64 + 1;
            for (std::size_t i = 1; i < chords.size(); i += step)
                worst = std::max(worst, nearestPoint(curve, lerp(chords[i - 1], chords[i], 0.5))->distance);
            EXPECT_LE(worst, sag);
        }
}

TEST(GeomChords, ArcCountFollowsTheSag)
{
    // A chord over the angle φ of a radius-10 circle has the sag 10 (1 - cos φ/2).
    const Curve circle = Circle{{0, 0}, 10};
    EXPECT_EQ(chordPoints(circle, 10 * (1 - std::cos(kPi / 8))).size(), 9u);
    EXPECT_EQ(chordPoints(Arc{{0, 0}, 10, 0, kPi / 2, true}, 100).size(), 2u);
}

TEST(GeomBox, ExactForArcsAndEllipses)
{
    const Box arc = boundingBox(Arc{{0, 0}, 10, kPi / 6, 2 * kPi / 3, true});
    EXPECT_NEAR(arc.min.x, 10 * std::cos(2 * kPi / 3), 1e-12);
    EXPECT_NEAR(arc.max.x, 10 * std::cos(kPi / 6), 1e-12);
    EXPECT_NEAR(arc.min.y, 10 * std::sin(kPi / 6), 1e-12);
    EXPECT_NEAR(arc.max.y, 10, 1e-12);

    const Box clockwise = boundingBox(Arc{{0, 0}, 10, kPi / 6, 2 * kPi / 3, false});
    EXPECT_NEAR(clockwise.min.y, -10, 1e-12);
    EXPECT_NEAR(clockwise.min.x, -10, 1e-12);
    EXPECT_NEAR(clockwise.max.x, 10, 1e-12);

    const double a = 30, b = 10, rot = 0.5;
    const Box ellipse = boundingBox(Ellipse{{3, 4}, a, b, rot});
    const double halfWidth = std::hypot(a * std::cos(rot), b * std::sin(rot));
    const double halfHeight = std::hypot(a * std::sin(rot), b * std::cos(rot));
    EXPECT_NEAR(ellipse.min.x, 3 - halfWidth, 1e-12);
    EXPECT_NEAR(ellipse.max.x, 3 + halfWidth, 1e-12);
    EXPECT_NEAR(ellipse.min.y, 4 - halfHeight, 1e-12);
    EXPECT_NEAR(ellipse.max.y, 4 + halfHeight, 1e-12);
}

TEST(GeomBox, TightForSplines)
{
    const Box circle = boundingBox(nurbsCircle({10, 10}, 12));
    EXPECT_NEAR(circle.min.x, -2, 1e-9);
    EXPECT_NEAR(circle.max.y, 22, 1e-9);
    for (const auto& [name, curve] : smoothAndCircularCurves()) {
        SCOPED_TRACE(name);
        Box sampled;
        for (Point p : denseSamples(curve, 10000))
            sampled.add(p);
        const Box box = boundingBox(curve);
        EXPECT_TRUE(box.contains(sampled, 1e-9));
        EXPECT_TRUE(sampled.contains(box, 5e-5));
    }
}

TEST(GeomMeasure, LengthsAndNearestPoints)
{
    EXPECT_NEAR(length(Circle{{0, 0}, 10}), 20 * kPi, 1e-12);
    EXPECT_NEAR(length(Arc{{0, 0}, 10, 0, kPi / 2, false}), 15 * kPi, 1e-12);
    EXPECT_NEAR(length(nurbsCircle({0, 0}, 10)), 20 * kPi, 1e-9);
    EXPECT_NEAR(length(Ellipse{{0, 0}, 10, 5, 1}), 48.44224110273838, 1e-9);
    EXPECT_NEAR(length(Polyline{{{0, 0}, {3, 4}, {3, 0}}, true}), 12, 1e-12);

    // The rational circle's points lie on the circle.
    for (Point p : denseSamples(nurbsCircle({1, 2}, 5), 100))
        EXPECT_NEAR(distance(p, {1, 2}), 5, 1e-12);

    const auto onArc = nearestPoint(Arc{{0, 0}, 10, 0, kPi / 2, true}, {20, 20});
    ASSERT_TRUE(onArc);
    EXPECT_NEAR(onArc->distance, std::hypot(20, 20) - 10, 1e-12);
    const auto offArc = nearestPoint(Arc{{0, 0}, 10, 0, kPi / 2, true}, {5, -20});
    ASSERT_TRUE(offArc);
    EXPECT_TRUE(near(offArc->point, {10, 0}, 1e-12));

    for (const auto& [name, curve] : smoothAndCircularCurves()) {
        SCOPED_TRACE(name);
        const NearestFinder finder(curve);  // asked about every point, as the host's curves are
        for (Point p : {Point{3, 7}, Point{-40, 10}, Point{60, -30}}) {
            double best = 1e300;
            for (Point q : denseSamples(curve, 4000))
                best = std::min(best, distance(p, q));
            const auto n = nearestPoint(curve, p);
            ASSERT_TRUE(n);
            EXPECT_LE(n->distance, best + 1e-9);
            EXPECT_NEAR(distance(pointAt(curve, n->t), n->point), 0, 1e-9);
            const auto kept = finder(p);
            ASSERT_TRUE(kept);
            EXPECT_EQ(kept->t, n->t);
            EXPECT_EQ(kept->distance, n->distance);
        }
    }
}

TEST(GeomDecomposition, PiecesStayWithinTheSagAndInsideTheBox)
{
    for (const auto& [name, curve] : smoothAndCircularCurves())
        for (double sag : {0.1, 0.001}) {
            SCOPED_TRACE(name + " sag " + std::to_string(sag));
            const std::vector<LineArc> pieces = linesAndArcs(curve, sag);
            ASSERT_FALSE(pieces.empty());
            const Box box = boundingBox(curve);
            Point previous = startPoint(curve);
            for (const LineArc& piece : pieces) {
                const Curve c = toCurve(piece);
                EXPECT_TRUE(near(startPoint(c), previous, 1e-9));
                previous = endPoint(c);
                EXPECT_TRUE(box.contains(boundingBox(c), 1e-7));
                for (int k = 1; k < 4; ++k)
                    EXPECT_LE(nearestPoint(curve, pointOnPiece(piece, k / 4.0))->distance, sag);
            }
            EXPECT_TRUE(near(previous, endPoint(curve), 1e-9));
            for (Point p : denseSamples(curve, 300))
                EXPECT_LE(distanceToPieces(p, pieces), sag);
        }
}

TEST(GeomDecomposition, FewerPiecesThanChords)
{
    const Curve ellipse = Ellipse{{0, 0}, 100, 40, 0};
    EXPECT_LT(linesAndArcs(ellipse, 0.001).size(), chordPoints(ellipse, 0.001).size() / 4);
}

// Corners of a spline (knots of full multiplicity) are its chords' ends and
// cost no extra pieces, whatever the knots start from: a zig-zag of three
// straight quadratic spans takes two chords or pieces a span, as any span does.
TEST(GeomDecomposition, SplineCornersAreEndsOfPieces)
{
    const Curve zigzag = Nurbs{{{0, 0}, {5, 5}, {10, 10}, {15, 5}, {20, 0}, {25, 5}, {30, 10}}, {}, {3, 3, 3, 4, 4, 5, 5, 6, 6, 6}, 2};
    EXPECT_EQ(chordPoints(zigzag, 0.001).size(), 7u);
    EXPECT_EQ(linesAndArcs(zigzag, 0.001).size(), 6u);
}

TEST(GeomTransform, MapsEveryCurveKind)
{
    std::vector<NamedCurve> curves = smoothAndCircularCurves();
    curves.push_back({"segment", Segment{{1, 1}, {4, 5}}});
    curves.push_back({"polyline", Polyline{{{0, 0}, {4, 0}, {4, 3}}, true}});
    const Transform transforms[] = {Transform::move(3, -2), Transform::turn({5, 5}, 30),
                                    Transform::mirror({0, 1}, {2, 4}), Transform::scale({1, 1}, 2.5),
                                    Transform::turn({0, 0}, 90).then(Transform::mirror({0, 0}, {1, 0}))};
    for (const auto& [name, curve] : curves)
        for (const Transform& t : transforms) {
            SCOPED_TRACE(name);
            const Curve moved = transformed(curve, t);
            // A circle always starts at its angle 0, so it may start elsewhere after a turn.
            if (!std::holds_alternative<Circle>(curve)) {
                EXPECT_TRUE(near(startPoint(moved), t.apply(startPoint(curve)), 1e-9));
                EXPECT_TRUE(near(endPoint(moved), t.apply(endPoint(curve)), 1e-9));
            }
            EXPECT_NEAR(length(moved), length(curve) * t.lengthFactor(), 1e-7);
            const Domain d = domain(curve);
            const Point mid = pointAt(curve, (d.min + d.max) / 2);
            EXPECT_LT(nearestPoint(moved, t.apply(mid))->distance, 1e-7);
        }
}

TEST(GeomTransform, TurnIsInDegreesAboutThePoint)
{
    const Point p = Transform::turn({1, 1}, 90).apply({3, 1});
    EXPECT_TRUE(near(p, {1, 3}, 1e-12));
    const Point m = Transform::mirror({0, 0}, {1, 1}).apply({2, 0});
    EXPECT_TRUE(near(m, {0, 2}, 1e-12));
}

TEST(GeomReverse, SwapsEndsAndKeepsTheShape)
{
    std::vector<NamedCurve> curves = smoothAndCircularCurves();
    curves.push_back({"polyline", Polyline{{{0, 0}, {4, 0}, {4, 3}}, false}});
    for (const auto& [name, curve] : curves) {
        SCOPED_TRACE(name);
        const Curve back = reversed(curve);
        EXPECT_TRUE(near(startPoint(back), endPoint(curve), 1e-9));
        EXPECT_TRUE(near(endPoint(back), startPoint(curve), 1e-9));
        EXPECT_NEAR(length(back), length(curve), 1e-9);
        const Domain d = domain(back);
        EXPECT_LT(nearestPoint(curve, pointAt(back, d.min + (d.max - d.min) * 0.3))->distance, 1e-9);
    }
}

TEST(GeomNurbs, InterpolationPassesThroughThePoints)
{
    const std::vector<Point> points{{0, 0}, {5, 8}, {5, 8}, {12, 3}, {20, 9}, {26, -4}, {30, 0}};
    const Curve curve = nurbsThroughPoints(points);
    for (Point p : points)
        EXPECT_LT(nearestPoint(curve, p)->distance, 1e-9);
    EXPECT_TRUE(near(startPoint(curve), points.front(), 1e-12));
    EXPECT_TRUE(near(endPoint(curve), points.back(), 1e-12));
    // Two points give a straight line.
    const Curve line = nurbsThroughPoints(std::vector<Point>{{0, 0}, {10, 0}});
    EXPECT_NEAR(length(line), 10, 1e-12);
}

TEST(GeomNurbs, FitPointCubicKeepsItsPointsTangentsAndJoint)
{
    struct Case {
        std::string name;
        std::vector<Point> points;
        std::optional<Point> start, end;
        bool closed;
        std::optional<Point> startDirection, endDirection;  // expected; the joint's for a closed one
    };
    const std::vector<Point> blob{{0, 0}, {40, -10}, {80, 5}, {90, 40}, {60, 70}, {20, 60}, {-5, 30}};
    std::vector<Point> blobAgain = blob;
    blobAgain.push_back(blob.front());
    const Case cases[] = {
        {"open, estimated", {{0, 0}, {30, -40}, {70, -35}, {100, 0}}, {}, {}, false, {}, {}},
        {"open, given", {{0, 0}, {30, -40}, {70, -35}, {100, 0}}, Point{1, -2}, Point{1, 1.5}, false, Point{1, -2},
         Point{1, 1.5}},
        {"closed, estimated", blob, {}, {}, true, {}, {}},
        {"closed, given, first point again", blobAgain, Point{2, -0.8}, Point{2, -0.8}, true, Point{1, -0.4}, {}},
        {"closed, start given", blob, Point{1, -0.4}, {}, true, Point{1, -0.4}, {}},
        {"three points, tangent at the end", {{0, 0}, {50, 40}, {100, 0}}, {}, Point{0, -1}, false, {}, Point{0, -1}},
    };
    auto direction = [](Point v) { return v / std::hypot(v.x, v.y); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Nurbs n = cubicThroughFitPoints(c.points, c.start, c.end, c.closed);
        ASSERT_EQ(n.degree, 3);
        for (Point p : c.points)
            EXPECT_LT(nearestPoint(n, p)->distance, 1e-9);
        EXPECT_TRUE(near(startPoint(n), c.points.front(), 1e-12));
        EXPECT_EQ(isClosed(n, 1e-12), c.closed);
        // End derivatives of the clamped cubic.
        const std::size_t last = n.poles.size() - 1;
        const Point d0 = (n.poles[1] - n.poles[0]) * (3 / n.knots[4]);
        const Point d1 = (n.poles[last] - n.poles[last - 1]) * (3 / (1 - n.knots[n.knots.size() - 5]));
        EXPECT_TRUE(!c.startDirection || near(direction(d0), direction(*c.startDirection), 1e-12));
        EXPECT_TRUE(!c.endDirection || near(direction(d1), direction(*c.endDirection), 1e-12));
        EXPECT_TRUE(!c.closed || near(d0, d1, 1e-9)) << "a closed spline runs smoothly through its joint";
    }
    // Two points give a straight line; one point nothing.
    EXPECT_NEAR(length(cubicThroughFitPoints(std::vector<Point>{{0, 0}, {10, 0}}, {}, {}, true)), 10, 1e-9);
    EXPECT_TRUE(isDegenerate(cubicThroughFitPoints(std::vector<Point>{{1, 1}, {1, 1}}, {}, {}, false)));
}

TEST(GeomDegenerate, GivesEmptyResultsNeverNaN)
{
    Nurbs badKnots = wavyNurbs();
    badKnots.knots[5] = -1;
    Nurbs coincident = wavyNurbs();
    for (Point& p : coincident.poles)
        p = {3, 3};
    const double nan = std::nan("");
    const std::vector<Curve> degenerate{
        Segment{{1, 1}, {1, 1}},
        Arc{{0, 0}, 0, 0, 1, true},
        Arc{{0, 0}, 5, 1, 1, true},
        Circle{{0, 0}, 0},
        Circle{{0, 0}, -3},
        Ellipse{{0, 0}, 5, 0, 0},
        EllipticArc{Ellipse{{0, 0}, 5, 3, 0}, 2, 2, true},
        Bezier{{{1, 1}, {1, 1}, {1, 1}, {1, 1}}, 3},
        Bezier{{{0, 0}, {1, 1}}, 3},
        coincident,
        badKnots,
        Nurbs{},
        Conic{{0, 0}, {1, 1}, {2, 0}, 0},
        Conic{{2, 2}, {2, 2}, {2, 2}, 1},
        Polyline{{{5, 5}, {5, 5}}, true},
        Polyline{},
        nurbsThroughPoints(std::vector<Point>{{1, 1}, {1, 1}}),
        Segment{{nan, 0}, {1, 1}},
        Circle{{0, 0}, nan},
    };
    for (std::size_t i = 0; i < degenerate.size(); ++i) {
        SCOPED_TRACE("curve " + std::to_string(i));
        const Curve& c = degenerate[i];
        EXPECT_TRUE(isDegenerate(c));
        EXPECT_TRUE(chordPoints(c, 0.01).empty());
        EXPECT_TRUE(linesAndArcs(c, 0.01).empty());
        EXPECT_EQ(length(c), 0);
        EXPECT_TRUE(boundingBox(c).empty());
        EXPECT_FALSE(nearestPoint(c, {1, 2}));
        EXPECT_FALSE(isClosed(c));
        EXPECT_TRUE(isDegenerate(reversed(c)));
        if (i + 2 < degenerate.size()) {   // the last two carry NaN on purpose
            EXPECT_TRUE(isFinite(pointAt(c, 0.5)));
        }
    }
    // A sound curve with an unusable sag or query still answers sensibly.
    EXPECT_GE(chordPoints(Circle{{0, 0}, 1}, 0).size(), 3u);
    EXPECT_GE(chordPoints(Circle{{0, 0}, 1}, nan).size(), 3u);
    EXPECT_FALSE(nearestPoint(Circle{{0, 0}, 1}, {nan, 0}));
    EXPECT_TRUE(isFinite(pointAt(Circle{{0, 0}, 1}, nan)));
}

}  // namespace
