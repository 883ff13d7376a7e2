// The orbiting no-fit polygons of generated near-degenerate pairs against the
// exact Minkowski sums: the region must match within the point-equality
// tolerance band, and every orbit must close. The shortcuts of the contact
// geometry (the contacts sorted by direction, the grids' distance bounds)
// must agree with the plain search over every vertex and edge.
#include "support/nfp_reference.h"
#include "engine/NfpBuilder.h"
#include "engine/NfpContacts.h"
#include "support/shape_generators.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

double Distance(const NPoint& p, const shapes::Ring& ring)
{
    double best = HUGE_VAL;
    for (size_t k = 0; k < ring.size(); ++k) {
        const NPoint q0 = ring[k];
        const NPoint e = ring[(k + 1) % ring.size()] - q0;
        const double len2 = nfp::Dot(e, e);
        const double t = len2 > 0.0 ? std::clamp(nfp::Dot(p - q0, e) / len2, 0.0, 1.0) : 0.0;
        best = std::min(best, nfp::Length(q0 + NPoint{e.x * t, e.y * t} - p));
    }
    return best;
}

// The filtered contacts are exactly those CanTouch admits, in the order
// (i, j, kind); the grid never bounds a point's distance above the truth.
std::string FrameFault(const shapes::Ring& a, const shapes::Ring& b)
{
    const nfp::ContactFrame frame(a, b, 1e-4);
    std::vector<nfp::Contact> filtered;
    frame.TouchingContacts(filtered);
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            for (auto kind : {nfp::ContactKind::VertexVertex, nfp::ContactKind::VertexOnEdgeA,
                              nfp::ContactKind::VertexOnEdgeB}) {
                if (!frame.CanTouch({kind, i, j}))
                    continue;
                if (n >= filtered.size() || filtered[n].i != i || filtered[n].j != j || filtered[n].kind != kind)
                    return "contact " + std::to_string(i) + "/" + std::to_string(j) + " kind " +
                           std::to_string(static_cast<int>(kind)) + " missing";
                ++n;
            }
    if (n != filtered.size())
        return "extra contacts";
    const nfp::EdgeGrid grid(a);
    for (const NPoint& shift : {NPoint{0, 0}, NPoint{3.7, -2.1}, NPoint{-11.3, 5.9}})
        for (const NPoint& v : b) {
            const NPoint p = v + shift;
            if (grid.LowerDistance(p) > Distance(p, a) + 1e-12) // one rounding apart where both measure a corner
                return "grid bound above the distance";
        }
    return {};
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
        const std::string fault = FrameFault(a, b);
        EXPECT_EQ(fault, "") << family.name << " case " << k << "\nA " << Text(a) << "\nB " << Text(b);
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
