// Every operation on rings that hardly are rings: empty, one or two points,
// repeated and collinear vertices, zero-length edges and spikes, alone and in
// pairs. Nothing may crash, read past a ring (the sanitizer build watches) or
// give a coordinate that is not a number.
#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using Points = std::vector<NPoint>;

struct Sample {
    const char* name;
    Points points;
};

const std::vector<Sample>& Samples()
{
    static const std::vector<Sample> samples{
        {"empty", {}},
        {"one point", {{1, 1}}},
        {"two points", {{0, 0}, {3, 1}}},
        {"two equal points", {{2, 2}, {2, 2}}},
        {"coincident points", {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
        {"collinear", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {"collinear turning back", {{0, 0}, {3, 0}, {1, 0}}},
        {"zero-length edges", {{0, 0}, {0, 0}, {2, 0}, {2, 2}, {2, 2}, {0, 2}}},
        {"near-repeated vertex", {{0, 0}, {0.00003, 0}, {2, 0}, {2, 2}, {0, 2}}},
        {"spike", {{0, 0}, {2, 0}, {2, 1}, {4, 1}, {2, 1}, {2, 2}, {0, 2}}},
        {"square", {{0, 0}, {2, 0}, {2, 2}, {0, 2}}},
        {"bow tie", {{0, 0}, {2, 2}, {2, 0}, {0, 2}}},
        {"many collinear", {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0}, {8, 0}, {9, 0}, {10, 0},
                            {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 0}, {17, 0}, {18, 0}, {19, 0},
                            {20, 0}, {21, 0}, {22, 0}, {23, 0}, {24, 0}}},
    };
    return samples;
}

bool Finite(const NPoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void ExpectFinite(const Points& points, const std::string& what)
{
    for (const NPoint& p : points)
        ASSERT_TRUE(Finite(p)) << what;
}

void ExpectFinite(const VectorPolygon& polygons, const std::string& what)
{
    for (const NPolygonPtr& p : polygons)
        ExpectFinite(p->m_points, what);
}

NPolygonPtr Shared(const Points& points) { return std::make_shared<NPolygon>(NPoint{}, points); }

// The queries and transforms of one ring.
void ExerciseOne(const Sample& sample)
{
    const std::string what = sample.name;
    const NPolygon polygon(NPoint{}, sample.points);
    std::vector<NIndexPoint> hits;
    polygon.SelfIntersection(hits);
    polygon.Intersection(NSegment({-1, 1}, {5, 1}, 0), hits);
    VectorPolygon subs;
    polygon.GetSubPolygons(subs);
    ExpectFinite(subs, what + ": sub-polygons");
    polygon.CheckDirection();
    polygon.CheckContainPoint({1, 1}, true);
    NPoint pn1;
    NPoint pn2;
    for (const NPoint& v : sample.points) {
        if (polygon.Normal(v, pn1, pn2)) {
            ASSERT_TRUE(Finite(pn1) && Finite(pn2)) << what << ": normal";
        }
    }
    ASSERT_TRUE(Finite(GetProjectionPointToPoligon(polygon, {1.5, 3}))) << what << ": projection";
    ASSERT_TRUE(std::isfinite(polygon.CalculateAngleMinGabarit())) << what << ": turning angle";
    polygon.CheckRectangle();
    polygon.CheckTriangularity();
    Points hull;
    CreateConvexHull(sample.points, hull);
    CheckConvexHull(sample.points);

    NPolygon edited = polygon;
    edited.DelEquilPoints();
    edited.DelColinearPoints();
    edited.Simplify();
    edited.TransformCoordsToLong();
    edited.SetWidthIfRectangle(5);
    edited.ChangeFirstPoint(2);
    edited.InsertPoint(3, {7, 7});
    edited.GetIndexPoint(NIndexPoint{{1, 1}, 2, 0, Simple});
    ExpectFinite(edited.m_points, what + ": clean-up");

    ExpectFinite(RemoveDentsStraight(Shared(sample.points), 2)->m_points, what + ": dents");
    ExpectFinite(RemoveLedgesTarvel(Shared(sample.points), 2)->m_points, what + ": ledges");
    ExpectFinite(removeLedgesOnce(sample.points, 120), what + ": protrusions");
    Points flattened = sample.points;
    FlattenLedges(flattened, 0, flattened.size());
}

// The operations on two rings.
void ExercisePair(const Sample& first, const Sample& second)
{
    const std::string what = std::string(first.name) + " with " + second.name;
    const NPolygon a(NPoint{}, first.points);
    const NPolygon b(NPoint{}, second.points);
    std::vector<NIndexPoint> hits;
    a.Intersection(b, hits);
    a.CheckIntersection(b, true);
    a.CheckContainPoligon(b, false);
    a.CheckContainPoligonOn(b);
    a.CheckMirror(b);
    ASSERT_TRUE(std::isfinite(a.Distance(b, {-1, 0}, false))) << what << ": distance";

    double dx = 0;
    double dy = 0;
    double angle = 0;
    if (const NPolygonPtr joined = CompoundPolygonsToRectangle(a, b, 1, dx, dy, angle)) {
        ExpectFinite(joined->m_points, what + ": joined outline");
        ASSERT_TRUE(std::isfinite(dx) && std::isfinite(dy) && std::isfinite(angle)) << what << ": joining move";
    }
    for (BooleanType type : {BooleanType::Union, BooleanType::Difference, BooleanType::Intersection}) {
        VectorPolygon outs;
        CreateBooleanPoligons({Shared(first.points), Shared(second.points)}, type, outs, false);
        ExpectFinite(outs, what + ": boolean");
    }
    VectorPolygon fragments{Shared(first.points), Shared(second.points), std::make_shared<NPolygon>()};
    SortPolygonFragments(fragments);
    VectorPolygon rings;
    CreateContinuousPoligons(fragments, rings);
    ExpectFinite(rings, what + ": chaining");
    SearchLedges(first.points, second.points);
}

TEST(DegenerateInput, EveryRingAlone)
{
    for (const Sample& sample : Samples())
        ExerciseOne(sample);
}

TEST(DegenerateInput, EveryPairOfRings)
{
    for (const Sample& first : Samples()) {
        for (const Sample& second : Samples())
            ExercisePair(first, second);
    }
}

}  // namespace
