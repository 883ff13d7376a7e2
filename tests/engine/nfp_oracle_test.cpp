// The orbiting no-fit polygons of every pair of items of two shared instances
// agree with the exact Minkowski sums.
#include "nfp_reference.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

void ExpectInstanceMatches(const std::string& name)
{
    nfp_oracle::Instance instance;
    std::string error;
    ASSERT_TRUE(nfp_oracle::LoadInstance(nfp_oracle::DataDir() / "esicup" / (name + ".json"),
                                         instance, error))
        << error;
    std::ostringstream log;
    nfp_oracle::Summary s = nfp_oracle::RunInstance(instance, &log);
    EXPECT_GT(s.pairs, 0u);
    EXPECT_EQ(s.mismatches, 0u) << log.str();
    EXPECT_EQ(s.failures, 0u) << log.str();
}

TEST(NfpOracle, Shapes0PairsMatchMinkowskiSums) { ExpectInstanceMatches("shapes0"); }

TEST(NfpOracle, AlbanoPairsMatchMinkowskiSums) { ExpectInstanceMatches("albano"); }

TEST(NfpOracle, ComparisonSeesAWrongRegion)
{
    // The reference itself: the sum of two unit squares is the square of
    // side 2 at (-1, -1); a shifted or a smaller ring is reported.
    nfp_oracle::Ring square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    auto ring = [](double x0, double y0, double side) {
        return std::make_shared<NPolygon>(
            NPoint{}, std::vector<NPoint>{{x0, y0}, {x0 + side, y0}, {x0 + side, y0 + side}, {x0, y0 + side}});
    };
    EXPECT_NEAR(nfp_oracle::MismatchRatio({ring(-1, -1, 2)}, square, square), 0.0, 1e-12);
    EXPECT_GT(nfp_oracle::MismatchRatio({ring(-1, -0.999, 2)}, square, square), 1e-6);
    EXPECT_GT(nfp_oracle::MismatchRatio({ring(-1, -1, 2), ring(-0.5, -0.5, 1)}, square, square), 1e-6);
    EXPECT_LT(nfp_oracle::MismatchRatio({}, square, square), 0.0);
    EXPECT_TRUE(nfp_oracle::Overlaps(square, square, {0.5, 0.5}));
    EXPECT_FALSE(nfp_oracle::Overlaps(square, square, {1.0, 0.0}));
}

} // namespace
