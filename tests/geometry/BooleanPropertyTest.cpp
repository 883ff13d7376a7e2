// Union, difference and intersection of random pairs of polygons against an
// independent clipper: the regions must agree up to the area of their
// symmetric difference. The pairs include edge-sharing, collinear-overlapping
// and vertex-touching operands, as no-fit polygons are.
#include "geometry/Polygon.h"

#include <polyclipping/clipper.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>

namespace {

constexpr double SCALE = 1e6;  // clipper works on integers
constexpr int PAIRS_PER_KIND = 150;

ClipperLib::Path ToPath(const std::vector<NPoint>& points)
{
    ClipperLib::Path path;
    for (const NPoint& p : points)
        path.emplace_back(std::llround(p.x * SCALE), std::llround(p.y * SCALE));
    return path;
}

ClipperLib::Paths ToPaths(const VectorPolygon& polygons)
{
    ClipperLib::Paths paths;
    for (const NPolygonPtr& p : polygons)
        paths.push_back(ToPath(p->m_points));
    return paths;
}

double NetArea(const ClipperLib::Paths& paths)
{
    double area = 0.0;
    for (const ClipperLib::Path& path : paths)
        area += ClipperLib::Area(path);
    return area / (SCALE * SCALE);
}

ClipperLib::Paths Clip(const ClipperLib::Paths& subject, ClipperLib::PolyFillType subjectFill,
                       const ClipperLib::Paths& clip, ClipperLib::ClipType type)
{
    ClipperLib::Clipper clipper;
    clipper.AddPaths(subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(clip, ClipperLib::ptClip, true);
    ClipperLib::Paths solution;
    clipper.Execute(type, solution, subjectFill, ClipperLib::pftNonZero);
    return solution;
}

ClipperLib::ClipType OracleType(BooleanType type)
{
    switch (type) {
    case BooleanType::Union: return ClipperLib::ctUnion;
    case BooleanType::Difference: return ClipperLib::ctDifference;
    case BooleanType::Intersection: return ClipperLib::ctIntersection;
    }
    return ClipperLib::ctUnion;
}

std::string Describe(const VectorPolygon& operands)
{
    std::ostringstream text;
    text.precision(17);
    for (const NPolygonPtr& p : operands) {
        text << "{";
        for (const NPoint& v : p->m_points)
            text << "{" << v.x << ", " << v.y << "}, ";
        text << "}\n";
    }
    return text.str();
}

// Checks one operation on `operands` against the clipper (the first operand
// is the subject, the others the clip); the result rings are read with the
// even-odd rule, so holes may run either way.
void ExpectSameRegion(const VectorPolygon& operands, BooleanType type)
{
    VectorPolygon outs;
    const bool produced = CreateBooleanPoligons(operands, type, outs, false);
    EXPECT_EQ(produced, !outs.empty());
    const VectorPolygon others(operands.begin() + 1, operands.end());
    ClipperLib::Paths subject{ToPath(operands.front()->m_points)};
    if (type == BooleanType::Union)
        subject = ToPaths(operands);
    const ClipperLib::Paths expected = Clip(subject, ClipperLib::pftNonZero, ToPaths(others), OracleType(type));
    const ClipperLib::Paths mismatch = Clip(ToPaths(outs), ClipperLib::pftEvenOdd, expected, ClipperLib::ctXor);
    // Vertices closer than the repeated-vertex tolerance are merged, which may
    // move the boundary by that much.
    double perimeters = 0.0;
    for (const NPolygonPtr& p : operands)
        perimeters += p->CalculateLength();
    const double expectedArea = NetArea(expected);
    EXPECT_LT(std::fabs(NetArea(mismatch)), EPS_REPEATED * perimeters)
        << "operation " << static_cast<int>(type) << ", expected area " << expectedArea << "\n"
        << Describe(operands);
}

class PairGenerator {
public:
    explicit PairGenerator(unsigned seed) : m_random(seed) {}

    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }
    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    // A star-shaped ring round `centre`; with equal radii it is convex.
    NPolygonPtr Star(const NPoint& centre, double radius, bool convex)
    {
        const std::vector<double> angles = SortedAngles();
        std::vector<NPoint> points;
        for (double a : angles) {
            const double r = convex ? radius : Uniform(0.3 * radius, radius);
            points.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
        return std::make_shared<NPolygon>(NPoint{}, points);
    }

    // Directions of 3 to 14 vertices round a centre, no two neighbours half a
    // turn or more apart, so that the star is simple.
    std::vector<double> SortedAngles()
    {
        for (;;) {
            std::vector<double> angles(static_cast<size_t>(Integer(3, 14)));
            for (double& a : angles)
                a = Uniform(0.0, 2 * PI);
            std::sort(angles.begin(), angles.end());
            double widest = angles.front() + 2 * PI - angles.back();
            for (size_t k = 1; k < angles.size(); ++k)
                widest = std::max(widest, angles[k] - angles[k - 1]);
            if (widest < 0.9 * PI)
                return angles;
        }
    }

    NPolygonPtr RandomStar(bool convex) { return Star({Uniform(0, 60), Uniform(0, 60)}, Uniform(10, 40), convex); }

    NPolygonPtr GridRectangle()
    {
        const int x = Integer(0, 5);
        const int y = Integer(0, 5);
        const double w = Integer(1, 6 - x);
        const double h = Integer(1, 6 - y);
        return std::make_shared<NPolygon>(NPoint{},
                                          std::vector<NPoint>{{double(x), double(y)}, {x + w, double(y)}, {x + w, y + h}, {double(x), y + h}});
    }

    // A triangle on the integer grid, counter-clockwise, of non-zero area.
    NPolygonPtr GridTriangle()
    {
        for (;;) {
            std::vector<NPoint> t;
            for (int k = 0; k < 3; ++k)
                t.push_back({double(Integer(0, 4)), double(Integer(0, 4))});
            const double turn = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
            if (turn == 0)
                continue;
            if (turn < 0)
                std::swap(t[1], t[2]);
            return std::make_shared<NPolygon>(NPoint{}, t);
        }
    }

    // The mirror image of `a` across one of its edges, listed the same way
    // round; the two share that edge exactly.
    NPolygonPtr MirroredAcrossEdge(const NPolygon& a)
    {
        const size_t n = a.m_points.size();
        const size_t k = static_cast<size_t>(Integer(0, static_cast<int>(n) - 1));
        const NPoint p = a.m_points[k];
        const NPoint q = a.m_points[(k + 1) % n];
        const NPoint d = q - p;
        const double length2 = d.x * d.x + d.y * d.y;
        std::vector<NPoint> points;
        for (size_t m = 0; m < n; ++m) {
            const NPoint v = a.m_points[m];
            const double t = ((v.x - p.x) * d.x + (v.y - p.y) * d.y) / length2;
            const NPoint foot{p.x + t * d.x, p.y + t * d.y};
            points.push_back(m == k ? p : m == (k + 1) % n ? q : NPoint{2 * foot.x - v.x, 2 * foot.y - v.y});
        }
        auto mirrored = std::make_shared<NPolygon>(NPoint{}, points);
        mirrored->Invert();
        return mirrored;
    }

    // `a` turned by a half turn about one of its vertices: the two touch there.
    NPolygonPtr TurnedAboutVertex(const NPolygon& a)
    {
        const NPoint v = a.m_points[static_cast<size_t>(Integer(0, static_cast<int>(a.m_points.size()) - 1))];
        std::vector<NPoint> points;
        for (const NPoint& p : a.m_points)
            points.push_back({2 * v.x - p.x, 2 * v.y - p.y});
        return std::make_shared<NPolygon>(NPoint{}, points);
    }

private:
    std::mt19937 m_random;
};

void CheckOperands(unsigned seed, const std::function<VectorPolygon(PairGenerator&)>& make,
                   std::initializer_list<BooleanType> types)
{
    PairGenerator generator(seed);
    for (int k = 0; k < PAIRS_PER_KIND; ++k) {
        const VectorPolygon operands = make(generator);
        for (BooleanType type : types)
            ExpectSameRegion(operands, type);
        if (::testing::Test::HasFailure())
            return;
    }
}

void CheckPairs(unsigned seed, const std::function<std::pair<NPolygonPtr, NPolygonPtr>(PairGenerator&)>& make)
{
    CheckOperands(
        seed,
        [&](PairGenerator& g) {
            const auto [a, b] = make(g);
            return VectorPolygon{a, b};
        },
        {BooleanType::Union, BooleanType::Difference, BooleanType::Intersection});
}

TEST(BooleanPoligonsProperty, ConvexPairs)
{
    CheckPairs(11, [](PairGenerator& g) { return std::pair{g.RandomStar(true), g.RandomStar(true)}; });
}

TEST(BooleanPoligonsProperty, SimplePairs)
{
    CheckPairs(12, [](PairGenerator& g) { return std::pair{g.RandomStar(false), g.RandomStar(false)}; });
}

TEST(BooleanPoligonsProperty, PairsSharingAnEdge)
{
    CheckPairs(13, [](PairGenerator& g) {
        const NPolygonPtr a = g.RandomStar(g.Integer(0, 1) == 0);
        return std::pair{a, g.MirroredAcrossEdge(*a)};
    });
}

TEST(BooleanPoligonsProperty, PairsTouchingAtAVertex)
{
    CheckPairs(14, [](PairGenerator& g) {
        const NPolygonPtr a = g.RandomStar(g.Integer(0, 1) == 0);
        return std::pair{a, g.TurnedAboutVertex(*a)};
    });
}

TEST(BooleanPoligonsProperty, GridRectangles)
{
    CheckPairs(15, [](PairGenerator& g) { return std::pair{g.GridRectangle(), g.GridRectangle()}; });
}

TEST(BooleanPoligonsProperty, GridTriangles)
{
    CheckPairs(16, [](PairGenerator& g) { return std::pair{g.GridTriangle(), g.GridTriangle()}; });
}

// Several operands, as when the no-fit polygons of all placed parts are
// united: the union of all, and the first minus all the others.
TEST(BooleanPoligonsProperty, SeveralGridRectangles)
{
    CheckOperands(
        17,
        [](PairGenerator& g) {
            VectorPolygon operands;
            for (int k = g.Integer(3, 6); k > 0; --k)
                operands.push_back(g.GridRectangle());
            return operands;
        },
        {BooleanType::Union, BooleanType::Difference});
}

TEST(BooleanPoligonsProperty, SeveralStars)
{
    CheckOperands(
        18,
        [](PairGenerator& g) {
            VectorPolygon operands;
            for (int k = g.Integer(3, 5); k > 0; --k)
                operands.push_back(g.RandomStar(g.Integer(0, 1) == 0));
            return operands;
        },
        {BooleanType::Union, BooleanType::Difference});
}

}  // namespace
