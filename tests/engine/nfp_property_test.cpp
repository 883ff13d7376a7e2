// The orbiting no-fit polygons of generated near-degenerate pairs against the
// exact Minkowski sums: the region must match within the point-equality
// tolerance band, and every orbit must close.
#include "support/nfp_reference.h"
#include "engine/NfpBuilder.h"
#include "support/shape_generators.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string Text(const shapes::Ring& ring)
{
    std::ostringstream out;
    out.precision(17);
    for (const NPoint& p : ring)
        out << "{" << p.x << ", " << p.y << "}, ";
    return out.str();
}

void CheckFamily(const shapes::Family& family, int cases)
{
    shapes::Generator generator(family.seed);
    for (int k = 0; k < cases; ++k) {
        const auto [a, b] = (generator.*family.make)();
        NFP_Builder builder;
        builder.Init({}, std::make_shared<NPolygon>(NPoint{}, a), std::make_shared<NPolygon>(NPoint{}, b), false);
        builder.RunCalculate();
        const nfp_oracle::Comparison c = nfp_oracle::Compare(builder.GetNfpPolygons(), a, b);
        EXPECT_TRUE(builder.IsComplete() && c.Matches())
            << family.name << " case " << k << ": complete " << builder.IsComplete() << ", check "
            << static_cast<int>(c.check) << ", ratio " << c.ratio << ", difference " << c.difference << " "
            << c.detail << "\nA " << Text(a) << "\nB " << Text(b);
        if (::testing::Test::HasFailure())
            return;
    }
}

class NfpFamily : public ::testing::TestWithParam<shapes::Family> {};

// A few cases of every family (also under the sanitizers), and thousands.
TEST_P(NfpFamily, Sample) { CheckFamily(GetParam(), 25); }
TEST_P(NfpFamily, SlowThousands) { CheckFamily(GetParam(), 2000); }

INSTANTIATE_TEST_SUITE_P(NfpProperty, NfpFamily, ::testing::ValuesIn(shapes::Families()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
