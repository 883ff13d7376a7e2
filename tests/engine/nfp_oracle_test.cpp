// The orbiting no-fit polygons of every pair of items of small ESICUP
// instances agree with the exact Minkowski sums, also when the outlines come
// clockwise with every vertex repeated (as CAD exports give them).
#include "support/nfp_reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

// An instance of the test data, by default an ESICUP one.
nfp_oracle::Instance Load(const std::string& name, const std::string& dir = "esicup")
{
    nfp_oracle::Instance instance;
    std::string error;
    const std::filesystem::path file = std::filesystem::path(NESTING_TEST_DATA_DIR) / dir / (name + ".json");
    EXPECT_TRUE(nfp_oracle::LoadInstance(file, instance, error)) << error;
    return instance;
}

// The square of side `side` with its lower left corner at (x0, y0).
NPolygonPtr Square(double x0, double y0, double side)
{
    return std::make_shared<NPolygon>(
        NPoint{}, std::vector<NPoint>{{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}});
}

nfp_oracle::Instance RepeatedClockwise(nfp_oracle::Instance instance)
{
    for (nfp_oracle::Item& item : instance.items) {
        nfp_oracle::Ring ring;
        for (auto p = item.ring.rbegin(); p != item.ring.rend(); ++p)
            ring.insert(ring.end(), {*p, *p});
        item.ring = ring;
    }
    return instance;
}

// Every pair of the instance matches; the count of pairs, or of pairs in holes, is not 0.
void ExpectMatches(const nfp_oracle::Instance& instance,
                   size_t nfp_oracle::Summary::*pairs = &nfp_oracle::Summary::pairs)
{
    std::ostringstream log;
    nfp_oracle::Summary s = nfp_oracle::RunInstance(instance, &log);
    EXPECT_GT(s.*pairs, 0u);
    EXPECT_EQ(s.mismatches, 0u) << log.str();
    EXPECT_EQ(s.failures, 0u) << log.str();
}

class NfpOracleInstances : public ::testing::TestWithParam<const char*> {};

TEST_P(NfpOracleInstances, PairsMatchMinkowskiSums) { ExpectMatches(Load(GetParam())); }

TEST_P(NfpOracleInstances, RepeatedClockwiseOutlinesMatchToo) { ExpectMatches(RepeatedClockwise(Load(GetParam()))); }

INSTANTIATE_TEST_SUITE_P(NfpOracle, NfpOracleInstances, ::testing::Values("shapes0", "albano", "gardeyn1_items01"),
                         [](const auto& info) { return std::string(info.param); });

TEST(NfpOracle, ComparisonSeesAWrongRegion)
{
    // The reference itself: the sum of two unit squares is the square of
    // side 2 at (-1, -1); a shifted or a smaller ring is reported, a ring
    // that crosses itself is a mismatch, never handed to the exact arithmetic.
    nfp_oracle::Ring square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    EXPECT_NEAR(nfp_oracle::MismatchRatio({Square(-1, -1, 2)}, square, square), 0.0, 1e-12);
    EXPECT_GT(nfp_oracle::MismatchRatio({Square(-1, -0.999, 2)}, square, square), 1e-6);
    EXPECT_GT(nfp_oracle::MismatchRatio({Square(-1, -1, 2), Square(-0.5, -0.5, 1)}, square, square), 1e-6);
    EXPECT_LT(nfp_oracle::MismatchRatio({}, square, square), 0.0);
    auto bowtie = std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{{-1, -1}, {1, 1}, {1, -1}, {-1, 1}});
    EXPECT_EQ(nfp_oracle::Compare({bowtie}, square, square).check, nfp_oracle::RegionCheck::NotSimple);
    // A region pinched at a point is two loops, not a crossing.
    auto pinched = std::make_shared<NPolygon>(
        NPoint{}, std::vector<NPoint>{{-1, -1}, {0, -1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {-1, 0}});
    EXPECT_EQ(nfp_oracle::Compare({pinched}, square, square).check, nfp_oracle::RegionCheck::Valid);
    EXPECT_TRUE(nfp_oracle::Overlaps(square, square, {0.5, 0.5}));
    EXPECT_FALSE(nfp_oracle::Overlaps(square, square, {1.0, 0.0}));
}

// Runs of vertices each nearer than the point tolerance (two after a
// corner, a jog, one the tolerance along an edge) leave the plate the
// rectangle it is, to the builder and to the reference alike: the corners
// stay, not the vertices beside them.
TEST(NfpOracle, RunsOfNearVerticesLeaveTheOutlineWhereItIs)
{
    const nfp_oracle::Ring plate{{0, 0},         {100, 0},       {100, 0.00007},      {100, 0.00014},
                                 {100, 25},      {99.99995, 25}, {99.99995, 24.99995}, {99.9999, 24.99995},
                                 {0, 25},        {0, 24.9999}};
    nfp_oracle::Ring turned;
    for (const NPoint& p : plate)
        turned.push_back({-p.x, -p.y});
    for (const nfp_oracle::Ring& b : {plate, turned}) {
        const nfp_oracle::PairResult result = nfp_oracle::ComparePair(plate, b);
        EXPECT_FALSE(result.failure || result.mismatch) << result.detail;
        EXPECT_LT(result.ratio, 1e-9);
    }
}

// Inside a hole the reference is the set of translations that keep B in it:
// a unit square in a square hole of side 10 (spikes of the hole's ring hold
// no material) has the square of side 9 at the origin; a shifted ring is
// reported, and so is a missing region, however small, but not where B fits
// nowhere.
TEST(NfpOracle, InnerComparisonSeesAWrongRegion)
{
    const nfp_oracle::Ring unit{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const nfp_oracle::Ring hole{{0, 0}, {10, 0}, {10, 5}, {14, 5}, {10, 5}, {10, 10}, {0, 10}};
    const struct {
        const char* name;
        VectorPolygon rings;
        nfp_oracle::Ring b;
        bool matches;
    } cases[] = {
        {"the region", {Square(0, 0, 9)}, unit, true},
        {"shifted", {Square(0, 0.01, 9)}, unit, false},
        {"missing", {}, unit, false},
        {"a small region", {Square(0, 0, 0.001)}, Square(0, 0, 9.999)->m_points, true},
        {"a small region missing", {}, Square(0, 0, 9.999)->m_points, false},
        {"an exact fit, no area", {}, Square(0, 0, 10)->m_points, true},
        {"too large", {}, nfp_oracle::Ring{{0, 0}, {11, 0}, {11, 1}, {0, 1}}, true},
        {"too large, yet a region", {Square(0, 0, 1)}, nfp_oracle::Ring{{0, 0}, {11, 0}, {11, 1}, {0, 1}}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nfp_oracle::CompareInner(c.rings, hole, c.b).Matches(), c.matches) << c.name;
    const nfp_oracle::PairResult built = nfp_oracle::CompareInnerPair(hole, unit);
    EXPECT_FALSE(built.failure || built.mismatch) << built.detail;
}

// The pairs of an instance with holes take B into each hole of A too.
TEST(NfpOracle, PairsInHolesMatch)
{
    ExpectMatches(Load("holed_plate", "place/variants"), &nfp_oracle::Summary::innerPairs);
}

} // namespace
