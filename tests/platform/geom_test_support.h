#pragma once
// Helpers of the curve-kernel tests: dense sampling and distances to chains.

#include "geom/Curves.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace geomtest {

using namespace vlhost::geom;

inline std::vector<Point> denseSamples(const Curve& c, int count = 2000)
{
    const Domain d = domain(c);
    std::vector<Point> out;
    for (int i = 0; i <= count; ++i)
        out.push_back(pointAt(c, d.min + (d.max - d.min) * i / count));
    return out;
}

inline double distanceToChain(Point p, const std::vector<Point>& chain)
{
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < chain.size(); ++i)
        best = std::min(best, distanceToSegment(p, chain[i - 1], chain[i]));
    return best;
}

inline Point pointOnPiece(const LineArc& piece, double fraction)
{
    const Curve c = toCurve(piece);
    const Domain d = domain(c);
    return pointAt(c, d.min + (d.max - d.min) * fraction);
}

inline double distanceToPieces(Point p, const std::vector<LineArc>& pieces)
{
    double best = std::numeric_limits<double>::infinity();
    for (const LineArc& piece : pieces)
        if (const auto n = nearestPoint(toCurve(piece), p))
            best = std::min(best, n->distance);
    return best;
}

// A full circle of radius r about c as a rational quadratic NURBS (nine poles).
inline Nurbs nurbsCircle(Point c, double r)
{
    const double w = std::sqrt(0.5);
    Nurbs n;
    n.degree = 2;
    const Point poles[] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    for (Point p : poles)
        n.poles.push_back(c + p * r);
    n.weights = {1, w, 1, w, 1, w, 1, w, 1};
    n.knots = {0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1};
    return n;
}

inline Nurbs wavyNurbs()
{
    Nurbs n;
    n.degree = 3;
    n.poles = {{0, 0}, {10, 25}, {25, -15}, {40, 30}, {55, 5}, {60, 40}, {80, 0}};
    n.weights = {1, 2, 0.5, 1, 3, 1, 1};
    n.knots = {0, 0, 0, 0, 1, 2, 2.5, 4, 4, 4, 4};
    return n;
}

}  // namespace geomtest
