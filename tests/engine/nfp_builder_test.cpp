// The orbiting no-fit polygon builder: worked examples, and degenerate pairs
// checked against the direct test "B at translation t does not overlap A".
#include "support/nfp_reference.h"
#include "engine/NfpBuilder.h"
#include "support/shape_generators.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using nfp_oracle::Ring;
using shapes::Comb;

NPolygonPtr Poly(const Ring& ring) { return std::make_shared<NPolygon>(NPoint{}, ring); }

struct Result {
    VectorPolygon rings;
    bool complete = false;
};

Result Build(const Ring& a, const Ring& b, bool inner = false, NPoint p0 = {})
{
    NFP_Builder builder;
    builder.Init(p0, Poly(a), Poly(b), inner);
    builder.RunCalculate();
    return {builder.GetNfpPolygons(), builder.IsComplete()};
}

std::vector<Ring> Rings(const VectorPolygon& polygons)
{
    std::vector<Ring> out;
    for (const NPolygonPtr& p : polygons)
        out.push_back(p->m_points);
    return out;
}

Ring Rect(double x0, double y0, double x1, double y1) { return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}; }

// Translations to probe: a grid over the region, every ring vertex and
// the middle of every ring edge (points exactly on the boundary).
std::vector<NPoint> Probes(const std::vector<Ring>& rings, const NRect& box)
{
    // A 25 x 25 grid, its steps chosen not to line up with the shapes.
    std::vector<NPoint> probes;
    double w = box.pTop.x - box.pBot.x + 2.0;
    double h = box.pTop.y - box.pBot.y + 2.0;
    for (int i = 0; i < 25; ++i)
        for (int j = 0; j < 25; ++j)
            probes.push_back({box.pBot.x - 1.0 + w * (i + 0.37) / 25.0, box.pBot.y - 1.0 + h * (j + 0.41) / 25.0});
    for (const Ring& ring : rings)
        for (size_t k = 0; k < ring.size(); ++k) {
            const NPoint& p = ring[k];
            const NPoint& q = ring[(k + 1) % ring.size()];
            probes.push_back(p);
            probes.push_back({(p.x + q.x) / 2, (p.y + q.y) / 2});
        }
    return probes;
}

// Membership of the no-fit region (outside or on a ring: B may stand there)
// agrees with the direct overlap test at every probe.
void ExpectAgreesWithOverlap(const Ring& a, const Ring& b, const std::vector<Ring>& rings)
{
    ASSERT_FALSE(rings.empty());
    NRect box = NPolygon(NPoint{}, rings.front()).GetGabarit();
    for (const NPoint& t : Probes(rings, box)) {
        bool free = !nfp_oracle::StrictlyInside(rings, t, 1e-7);
        EXPECT_EQ(free, !nfp_oracle::Overlaps(a, b, t)) << "at (" << t.x << ", " << t.y << ")";
    }
}

bool HasRingThrough(const VectorPolygon& rings, const NPoint& p)
{
    for (const NPolygonPtr& ring : rings)
        for (const NPoint& q : ring->m_points)
            if (std::hypot(q.x - p.x, q.y - p.y) < 1e-9)
                return true;
    return false;
}

TEST(NfpBuilder, TwoSquaresGiveTheSquareOfTheSumOfSides)
{
    // B's placement point is its lower-left corner at (5, 5): the ring holds
    // the positions of that point, a square of side a + b around A.
    Result r = Build(Rect(0, 0, 10, 10), Rect(5, 5, 9, 9), false, {5, 5});
    ASSERT_EQ(r.rings.size(), 1u);
    EXPECT_TRUE(r.complete);
    Ring expected = Rect(-4, -4, 10, 10);
    const Ring& got = r.rings[0]->m_points;
    ASSERT_EQ(got.size(), 4u);
    for (const NPoint& p : expected)
        EXPECT_TRUE(HasRingThrough(r.rings, p)) << p.x << ", " << p.y;
    EXPECT_GT(nfp::SignedArea2(got), 0.0);
}

TEST(NfpBuilder, ClockwiseInputGivesTheSameRegion)
{
    Ring a{{0, 0}, {10, 0}, {10, 3}, {3, 3}, {3, 10}, {0, 10}};
    Ring b{{0, 0}, {4, 0}, {2, 3}};
    Ring aCw(a.rbegin(), a.rend());
    Ring bCw(b.rbegin(), b.rend());
    EXPECT_LT(nfp_oracle::MismatchRatio(Build(aCw, bCw).rings, a, b), 1e-9);
    EXPECT_GE(nfp_oracle::MismatchRatio(Build(aCw, bCw).rings, a, b), 0.0);
}

TEST(NfpBuilder, EmptyOrDegenerateInputGivesNoRing)
{
    EXPECT_TRUE(Build({}, {}).rings.empty());
    EXPECT_TRUE(Build(Rect(0, 0, 1, 1), {{0, 0}, {1, 1}}).rings.empty());
    NFP_Builder builder;
    builder.Init({}, nullptr, Poly(Rect(0, 0, 1, 1)), false);
    builder.RunCalculate();
    EXPECT_TRUE(builder.GetNfpPolygons().empty());
}

TEST(NfpBuilder, CallerPolygonsAreNotChanged)
{
    NPolygonPtr a = Poly({{0, 0}, {0, 10}, {10, 10}, {10, 0}}); // clockwise
    NPolygonPtr b = Poly(Rect(0, 0, 2, 2));
    Ring aBefore = a->m_points;
    Ring bBefore = b->m_points;
    NFP_Builder builder;
    builder.Init({}, a, b, false);
    builder.RunCalculate();
    EXPECT_EQ(a->m_points.size(), aBefore.size());
    for (size_t k = 0; k < aBefore.size(); ++k)
        EXPECT_TRUE(a->m_points[k] == aBefore[k]);
    for (size_t k = 0; k < bBefore.size(); ++k)
        EXPECT_TRUE(b->m_points[k] == bBefore[k]);
}

// ---------------------------------------------------------------- inner mode

TEST(NfpBuilder, InnerModeTracesTheInsideOfAContainerOfEitherOrientation)
{
    // A counter-clockwise square is taken as a container all the same.
    Ring square = Rect(0, 0, 10, 10);
    Ring squareCw(square.rbegin(), square.rend());
    for (const Ring& container : {square, squareCw}) {
        Result r = Build(container, Rect(0, 0, 4, 3), true);
        ASSERT_EQ(r.rings.size(), 1u);
        EXPECT_TRUE(r.complete);
        const Ring& inside = r.rings[0]->m_points;
        EXPECT_EQ(inside.size(), 4u);
        for (const NPoint& p : Rect(0, 0, 6, 7))
            EXPECT_TRUE(HasRingThrough(r.rings, p)) << p.x << ", " << p.y;
        EXPECT_GT(nfp::SignedArea2(inside), 0.0);
    }
}

TEST(NfpBuilder, InnerModeWithALargerShapeGivesNoRing)
{
    EXPECT_TRUE(Build(Rect(0, 0, 10, 10), Rect(0, 0, 10.001, 3), true).rings.empty());
    EXPECT_TRUE(Build(Rect(0, 0, 10, 10), Rect(0, 0, 3, 10.001), true).rings.empty());
}

TEST(NfpBuilder, InnerModeExactFitKeepsTheOnePosition)
{
    Result r = Build(Rect(0, 0, 10, 10), Rect(0, 0, 10, 10), true);
    ASSERT_EQ(r.rings.size(), 1u);
    EXPECT_TRUE(HasRingThrough(r.rings, {0, 0}));
}

// A part just smaller than its window (a disc in a round hole, a regular
// plate in its many-sided window, a six-lobed plate in its window, an L in
// an L) goes in, however small the region where it fits; one too large by
// less than the tolerance fits at a point, one too large by more nowhere.
TEST(NfpBuilder, InnerModeFindsTheRegionOfAPartJustSmallerThanItsWindow)
{
    // n vertices at radius r less `less`, in `lobes` waves of a tenth of r.
    const auto round = [](size_t n, double r, double less, int lobes = 0) {
        Ring ring;
        for (size_t k = 0; k < n; ++k) {
            const double t = 2.0 * PI * static_cast<double>(k) / static_cast<double>(n);
            const double radius = r * (1.0 + 0.1 * std::cos(lobes * t)) - less;
            ring.push_back({radius * std::cos(t), radius * std::sin(t)});
        }
        return ring;
    };
    // A gear of 72 teeth of 5 vertices, 100 to their tips and 6 deep, its
    // edges moved `less` inwards (mitred): every tooth in contact at once.
    const auto gear = [](double less) {
        Ring tips;
        for (int t = 0; t < 72; ++t)
            for (const auto& [share, r] : {std::pair{0.0, 94.0}, {0.2, 94.0}, {0.35, 100.0}, {0.65, 100.0}, {0.8, 94.0}})
                tips.push_back({r * std::cos(2.0 * PI * (t + share) / 72.0), r * std::sin(2.0 * PI * (t + share) / 72.0)});
        Ring ring;
        for (size_t k = 0; k < tips.size(); ++k) {
            const NPoint d1 = tips[k] - tips[(k + tips.size() - 1) % tips.size()];
            const NPoint d2 = tips[(k + 1) % tips.size()] - tips[k];
            const NPoint n1{-d1.y / std::hypot(d1.x, d1.y), d1.x / std::hypot(d1.x, d1.y)};
            const NPoint n2{-d2.y / std::hypot(d2.x, d2.y), d2.x / std::hypot(d2.x, d2.y)};
            const double f = less / (1.0 + n1.x * n2.x + n1.y * n2.y);
            ring.push_back({tips[k].x + f * (n1.x + n2.x), tips[k].y + f * (n1.y + n2.y)});
        }
        return ring;
    };
    const auto ell = [](double less) {
        return Ring{{less, less}, {200 - less, less}, {200 - less, 80 - less}, {80 - less, 80 - less},
                    {80 - less, 200 - less}, {less, 200 - less}};
    };
    const struct {
        const char* name;
        Ring window;
        Ring part;
        bool fits;
        bool searched = true; // to the end (a gear's teeth may leave an orbit open: the rings found stand)
    } cases[] = {
        {"disc in a round hole, 360 chords, 0.5 to spare", round(360, 120, 0), round(360, 120, 0.5), true},
        {"24 sides, 0.001 to spare", round(24, 100, 0), round(24, 100, 0.001), true},
        {"48 sides, 0.005 to spare", round(48, 100, 0), round(48, 100, 0.005), true},
        {"96 sides, 0.02 to spare", round(96, 100, 0), round(96, 100, 0.02), true},
        {"192 sides, 0.05 to spare", round(192, 100, 0), round(192, 100, 0.05), true},
        {"24 sides, an exact fit", round(24, 100, 0), round(24, 100, 0), true},
        {"24 sides, too large by less than the tolerance", round(24, 100, 0), round(24, 100, -5e-5), true},
        {"24 sides, too large by 0.001", round(24, 100, 0), round(24, 100, -0.001), false},
        {"six lobes, 96 vertices, 0.001 to spare", round(96, 100, 0, 6), round(96, 100, 0.001, 6), true},
        {"six lobes, 192 vertices, 0.01 to spare", round(192, 100, 0, 6), round(192, 100, 0.01, 6), true},
        {"L, 0.001 to spare", ell(0), ell(0.001), true},
        {"gear of 72 teeth, 0.001 to spare", gear(0), gear(0.001), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Ring window(c.window.rbegin(), c.window.rend());
        const Result r = Build(window, c.part, true);
        EXPECT_TRUE(r.complete || !c.searched);
        EXPECT_EQ(!r.rings.empty(), c.fits);
        const nfp_oracle::Comparison cmp = nfp_oracle::CompareInner(r.rings, window, c.part);
        EXPECT_TRUE(cmp.Matches()) << "ratio " << cmp.ratio << ", difference " << cmp.difference << " " << cmp.detail;
    }
}

TEST(NfpBuilder, InnerModeFindsEveryPocketOfAContainer)
{
    // A dumbbell container: two rooms joined by a corridor too narrow for B.
    Ring container{{0, 0}, {10, 0}, {10, 4}, {20, 4}, {20, 0}, {30, 0}, {30, 10}, {20, 10}, {20, 6}, {10, 6}, {10, 10}, {0, 10}};
    Result r = Build(container, Rect(0, 0, 5, 5), true);
    ASSERT_EQ(r.rings.size(), 2u);
    EXPECT_TRUE(HasRingThrough(r.rings, {0, 0}));
    EXPECT_TRUE(HasRingThrough(r.rings, {25, 5}));
}

TEST(NfpBuilder, InnerModePocketBehindACorridorOfExactWidth)
{
    // B fits a pocket of the container that a corridor of B's exact width
    // joins to the rest: both stay in the result.
    Ring container{{0, 0}, {5, 2.5}, {10, 0}, {7.5, 5}, {10, 12.5}, {5, 10}, {0, 12.5}, {2.5, 7.5}};
    Ring b{{0, 0}, {0, 5}, {-5, 5}, {-5, 4}, {-3, 3}, {-2, 2}, {-1, 0}};
    Result r = Build(container, b, true);
    ASSERT_FALSE(r.rings.empty());
    EXPECT_TRUE(r.complete);
    std::vector<Ring> rings = Rings(r.rings);
    NRect box = r.rings[0]->GetGabarit();
    for (const NPoint& t : Probes(rings, {{box.pBot.x - 1, box.pBot.y - 1}, {box.pTop.x + 1, box.pTop.y + 2}})) {
        bool inside = nfp_oracle::StrictlyInside(rings, t, 1e-7) || nfp_oracle::OnRings(rings, t, 1e-7);
        EXPECT_EQ(inside, nfp_oracle::Contains(container, b, t)) << t.x << ", " << t.y;
    }
    EXPECT_TRUE(nfp_oracle::StrictlyInside(rings, {7.275, 3.97}, 1e-7));
}

// ---------------------------------------------------------------- degenerate pairs

// Degenerate pairs: the outer region agrees with the overlap test at the
// probes and with the Minkowski sum by area. A slot exactly as wide as B:
// B slides in and back out along the same line (a move and the opposite move
// both), so the whole slide is kept. A pocket exactly B's size behind a mouth
// narrower than B keeps the fit position; a larger room behind such a mouth
// gives a second ring, a cavity running clockwise. Combs: B's teeth enter
// A's gaps and hang on A's teeth all along the orbit; with other pitches the
// orbit needs more than 2 (|A| + |B|) moves, and teeth trapped between teeth
// give cavities. Equal widths: the start has B's top edge along A's bottom
// edge; the L-shapes slide along shared lines all the way round. A long
// slide along A's edge meets a fin much thinner than B: B stops at the fin
// instead of passing through it.
TEST(NfpDegenerate, OuterRegionAgreesWithTheOverlapTest)
{
    const Ring square = Rect(0, 0, 10, 10);
    const Ring l1{{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};
    const Ring l2{{0, 0}, {5, 0}, {5, 5}, {10, 5}, {10, 10}, {0, 10}};
    const struct {
        const char* name;
        Ring a, b;
        size_t rings = 1;  // at least
        bool complete = true;
        bool cavity = false;  // exactly two rings, the second clockwise
        bool corner = false;  // a ring through (10, 10): the bottom of the slot or pocket
    } cases[] = {
        {"slot of B's width", {{0, 0}, {30, 0}, {30, 20}, {20, 20}, {20, 10}, {10, 10}, {10, 20}, {0, 20}}, square, 1,
         true, false, true},
        {"pocket of B's size behind a narrow mouth",
         {{0, 0}, {30, 0}, {30, 30}, {16, 30}, {16, 20}, {20, 20}, {20, 10}, {10, 10}, {10, 20}, {14, 20}, {14, 30}, {0, 30}},
         square, 2, true, false, true},
        {"cavity behind a narrow mouth",
         {{0, 0}, {30, 0}, {30, 30}, {16, 30}, {16, 25}, {25, 25}, {25, 5}, {5, 5}, {5, 25}, {14, 25}, {14, 30}, {0, 30}},
         square, 2, false, true},
        {"combs of one pitch", Comb(6, 3.0, 1.0, 5.0, false), Comb(6, 3.0, 1.5, 4.0, true)},
        {"combs of other pitches", Comb(6, 3.0, 1.0, 5.0, false), Comb(3, 4.3, 0.5, 4.0, true)},
        {"combs with trapped teeth", Comb(8, 2.0, 0.5, 5.0, false), Comb(4, 3.1, 0.4, 3.0, true), 2},
        {"bars of one width", Rect(0, 0, 10, 5), Rect(0, 0, 10, 5), 1, false},
        {"L on L", l1, l2, 1, false},
        {"L on L, swapped", l2, l1, 1, false},
        {"thin fin", {{0, 0}, {4.95, 0}, {4.95, -3}, {5.05, -3}, {5.05, 0}, {10, 0}, {10, 1}, {0, 1}}, Rect(0, 0, 2, 2),
         1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Result r = Build(c.a, c.b);
        ASSERT_GE(r.rings.size(), c.rings);
        EXPECT_TRUE(r.complete || !c.complete);
        EXPECT_TRUE(HasRingThrough(r.rings, {10, 10}) || !c.corner);
        ExpectAgreesWithOverlap(c.a, c.b, Rings(r.rings));
        const double ratio = nfp_oracle::MismatchRatio(r.rings, c.a, c.b);
        EXPECT_GE(ratio, 0.0);
        EXPECT_LT(ratio, 1e-9);
        if (c.cavity) {
            ASSERT_EQ(r.rings.size(), 2u);
            EXPECT_LT(nfp::SignedArea2(r.rings[1]->m_points), 0.0);
        }
    }
    const Result slot = Build(cases[0].a, square);
    for (double y : {10.0, 12.5, 15.0, 19.0})
        EXPECT_TRUE(nfp_oracle::OnRings(Rings(slot.rings), {10, y}, 1e-9)) << y;
}

TEST(NfpDegenerate, NearDuplicateVertices)
{
    Ring a{{0, 0}, {10, 0}, {10, 0.00005}, {10, 10}, {5.00003, 10}, {5, 10}, {0, 10}};
    Ring b{{0, 0}, {4, 0}, {4.00002, 0.00002}, {2, 3}};
    Result r = Build(a, b);
    ASSERT_FALSE(r.rings.empty());
    ExpectAgreesWithOverlap(a, b, Rings(r.rings));
    EXPECT_TRUE(nfp_oracle::Compare(r.rings, a, b).Matches());
}

TEST(NfpDegenerate, PartWithAHole)
{
    // Outside: the orbit around the outline; inside: the inner ring of the
    // hole. B may stand outside the first or inside the second.
    Ring outline = Rect(0, 0, 20, 20);
    Ring hole = Rect(4, 4, 16, 12);
    Ring b{{0, 0}, {6, 0}, {6, 2}, {2, 2}, {2, 5}, {0, 5}};
    Result outside = Build(outline, b);
    Result inside = Build(Ring(hole.rbegin(), hole.rend()), b, true);
    ASSERT_EQ(outside.rings.size(), 1u);
    ASSERT_EQ(inside.rings.size(), 1u);
    std::vector<Ring> outer = Rings(outside.rings);
    std::vector<Ring> innerRings = Rings(inside.rings);
    for (const NPoint& t : Probes(Rings(outside.rings), outside.rings[0]->GetGabarit())) {
        bool inHole = nfp_oracle::StrictlyInside(innerRings, t, 1e-7) || nfp_oracle::OnRings(innerRings, t, 1e-7);
        bool free = !nfp_oracle::StrictlyInside(outer, t, 1e-7) || inHole;
        EXPECT_EQ(free, !nfp_oracle::Overlaps(outline, b, t, {hole})) << t.x << ", " << t.y;
    }
}

} // namespace

namespace {

// ---------------------------------------------------------------- reproducers

Ring Turned(const Ring& ring, double degrees) { return shapes::Turned(ring, {}, degrees); }

struct ReproCase {
    const char* name;
    Ring a;
    Ring b;
};

std::vector<ReproCase> Reproducers()
{
    Ring rect = Rect(0, 0, 4, 2);
    Ring a{{-1e-8, 0}, {1, 8}, {0, 8}};
    Ring b{{0, 0}, {5, 1}, {5, 1.0000001}, {0, 8}};
    std::vector<ReproCase> cases{
        {"rect turned 1e-9", rect, Turned(rect, 1e-9)},
        {"rect turned 1e-7", rect, Turned(rect, 1e-7)},
        {"rect turned 1e-5", rect, Turned(rect, 1e-5)},
        {"rect turned 89.9999", rect, Turned(rect, 89.9999)},
        {"rect turned 90.0000001", rect, Turned(rect, 90.0000001)},
        {"near-duplicate vertex", a, b},
        {"spike 1e-7", {{0, 0}, {10, 0}, {7.5, 5}, {7.5 + 0.8e-7, 5 + 0.4e-7}, {7.5, 5}, {5, 10}}, Rect(0, 0, 3, 2)},
        {"bump 1e-7", {{0, 0}, {10, 0}, {7.5, 5}, {7.5 + 0.8e-7, 5 + 0.4e-7 + 1e-9}, {7.49, 5.02}, {5, 10}}, Rect(0, 0, 3, 2)},
        {"sliver as wide as the tolerance", Rect(0, 0, 10, 1e-4), {{0, 0}, {3, 0}, {1, 2}}},
        {"slot as wide as B plus the tolerance",
         {{0, 0}, {10, 0}, {10, 5}, {6.00005, 5}, {6.00005, 1}, {3.99995, 1}, {3.99995, 5}, {0, 5}}, Rect(0, 0, 2, 2)},
    };
    for (const NPoint& d : {NPoint{1e5, 1e5}, NPoint{-1e5, 5e4}, NPoint{1e6, 1e6}, NPoint{-1e6, 3e5}})
        cases.push_back({"near-duplicate vertex far away", shapes::Moved(a, d), shapes::Moved(b, d)});
    return cases;
}

TEST(NfpReproducers, MatchTheMinkowskiSum)
{
    for (const ReproCase& c : Reproducers()) {
        Result r = Build(c.a, c.b);
        nfp_oracle::Comparison cmp = nfp_oracle::Compare(r.rings, c.a, c.b);
        EXPECT_TRUE(cmp.Matches()) << c.name << ": check " << static_cast<int>(cmp.check) << ", ratio " << cmp.ratio
                                   << ", difference " << cmp.difference << " " << cmp.detail;
    }
}

} // namespace
