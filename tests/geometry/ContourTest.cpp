#include "geometry/Polygon.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

NSegmentPtr Seg(NPoint a, NPoint b) { return std::make_shared<NSegment>(a, b, 0); }
NPolygonPtr Frag(const std::vector<NPoint>& pts) { return std::make_shared<NPolygon>(NPoint{}, pts); }

void ExpectSegment(const NSegmentPtr& s, NPoint a, NPoint b)
{
    EXPECT_TRUE(s->p1 == a) << s->p1.x << "," << s->p1.y;
    EXPECT_TRUE(s->p2 == b) << s->p2.x << "," << s->p2.y;
}

TEST(ContourTest, MembersShareAndTransformSegments)
{
    std::vector<NSegmentPtr> segs{Seg({0, 0}, {1, 0}), Seg({1, 0}, {1, 1})};
    NContour c;
    c.InitSegments(segs);
    c.InitSegments(c.m_segments);
    ASSERT_EQ(c.m_segments.size(), 2u);
    EXPECT_EQ(c.m_segments[0], segs[0]);
    c.Invert();
    ExpectSegment(c.m_segments[0], {1, 1}, {1, 0});
    ExpectSegment(c.m_segments[1], {1, 0}, {0, 0});
    EXPECT_TRUE(segs[0]->invert);
    c.Offset({1, 0});
    c.Scale(2);
    ExpectSegment(segs[1], {4, 2}, {4, 0});

    NContour empty;
    empty.InsertSegment(5, segs[0]);
    empty.InsertSegment(0, segs[1]);
    EXPECT_EQ(empty.m_segments[0], segs[1]);
    empty.InsertSegment(99, segs[1]);  // beyond the end: appended
    EXPECT_EQ(empty.m_segments.size(), 3u);
    EXPECT_EQ(NContour().CreatePolygon(), nullptr);
}

TEST(ContourTest, CreatePolygonFromClosedChain)
{
    NContour c;
    c.InitSegments({Seg({0, 0}, {2, 0}), Seg({2, 0}, {2, 2}), Seg({2, 2}, {0, 2}), Seg({0, 2}, {0, 0})});
    const NPolygonPtr p = c.CreatePolygon();
    ASSERT_TRUE(p);
    ASSERT_EQ(p->m_points.size(), 4u);
    EXPECT_TRUE((p->m_pole == NPoint{0, 0}));
    EXPECT_TRUE((p->m_points[2] == NPoint{2, 2}));
    EXPECT_DOUBLE_EQ(p->GetGabarit().pTop.x, 2.0);
}

TEST(ChainingTest, JoinsAndTurnsSegments)
{
    std::vector<NSegmentPtr> segs{Seg({0, 0}, {1, 0}), Seg({2, 1}, {1, 1}), Seg({1, 0}, {1, 1})};
    const NSegmentPtr reversed = segs[1];
    std::vector<NContourPtr> outs;
    CreateContinuousContours(segs, outs);
    EXPECT_TRUE(segs.empty());
    ASSERT_EQ(outs.size(), 1u);
    const auto& chain = outs[0]->m_segments;
    ASSERT_EQ(chain.size(), 3u);
    ExpectSegment(chain[0], {0, 0}, {1, 0});
    ExpectSegment(chain[1], {1, 0}, {1, 1});
    ExpectSegment(chain[2], {1, 1}, {2, 1});
    EXPECT_EQ(chain[2], reversed);
    EXPECT_TRUE(reversed->invert);
}

TEST(ChainingTest, GrowsAtTheHeadToo)
{
    std::vector<NSegmentPtr> segs{Seg({1, 0}, {2, 0}), Seg({0, 0}, {1, 0}), Seg({0, 0}, {-1, 0})};
    std::vector<NContourPtr> outs;
    CreateContinuousContours(segs, outs);
    ASSERT_EQ(outs.size(), 1u);
    const auto& chain = outs[0]->m_segments;
    ASSERT_EQ(chain.size(), 3u);
    ExpectSegment(chain[0], {-1, 0}, {0, 0});
    ExpectSegment(chain[1], {0, 0}, {1, 0});
    ExpectSegment(chain[2], {1, 0}, {2, 0});
}

TEST(ChainingTest, JoinToleranceIsStrict)
{
    std::vector<NSegmentPtr> near{Seg({-1, 0}, {0, 0}), Seg({0.00005, 0}, {1, 0})};
    std::vector<NContourPtr> outs;
    CreateContinuousContours(near, outs);
    EXPECT_EQ(outs.size(), 1u);
    std::vector<NSegmentPtr> apart{Seg({-1, 0}, {0, 0}), Seg({0.0001, 0}, {1, 0})};
    outs.clear();
    CreateContinuousContours(apart, outs);
    EXPECT_EQ(outs.size(), 2u);
}

// The ends are looked up in a grid (cells 4 EPS wide): ends just within the
// tolerance join wherever they fall against its cells, diagonally too, far
// from the origin, and whichever piece the chain starts from; ends just
// beyond it do not.
TEST(ChainingTest, EndsJoinWhereverTheyFallAgainstTheLookupCells)
{
    const double in = 0.99 * EPS, out = 1.01 * EPS;
    struct Case {
        NPoint at;    // the first piece's end
        NPoint step;  // from there to the second piece's start
        size_t chains;
    };
    const Case cases[] = {
        {{0.000399, 0}, {in, 0}, 1},     {{0, -0.00001}, {0, in}, 1},        {{0.00041, 0.00041}, {-in, -in}, 1},
        {{-0.00039, 0.00039}, {-in, in}, 1}, {{0.0002, 0.0002}, {in, -in}, 1},  {{1234.5676, -987.6544}, {-in, in}, 1},
        {{-1e6, 1e6}, {in, -in}, 1},     {{1e15, -1e21}, {in, in}, 1},  {{0.00039, 0}, {out, 0}, 2},        {{0.00041, 0.00041}, {-in, -out}, 2},
    };
    for (const Case& c : cases) {
        for (bool swapped : {false, true}) {
            const NPoint next{c.at.x + c.step.x, c.at.y + c.step.y};
            std::vector<NSegmentPtr> segs{Seg({c.at.x - 1, c.at.y}, c.at), Seg(next, {next.x + 1, next.y + 2})};
            if (swapped)
                std::swap(segs[0], segs[1]);
            std::vector<NContourPtr> outs;
            CreateContinuousContours(segs, outs);
            EXPECT_EQ(outs.size(), c.chains) << c.at.x << "," << c.at.y << " + " << c.step.x << "," << c.step.y;
        }
    }
}

TEST(ChainingTest, SeparateSquaresGiveSeparateChains)
{
    std::vector<NSegmentPtr> segs{Seg({0, 0}, {1, 0}),     Seg({5, 5}, {6, 5}), Seg({1, 1}, {0, 1}),
                                  Seg({6, 6}, {6, 5}),     Seg({1, 0}, {1, 1}), Seg({5, 6}, {5, 5}),
                                  Seg({0, 1}, {0, 0}),     Seg({6, 6}, {5, 6})};
    const NSegmentPtr first = segs[0];
    std::vector<NContourPtr> outs{std::make_shared<NContour>()};  // outs is appended to
    CreateContinuousContours(segs, outs);
    ASSERT_EQ(outs.size(), 3u);
    EXPECT_EQ(outs[1]->m_segments.size(), 4u);
    EXPECT_EQ(outs[2]->m_segments.size(), 4u);
    EXPECT_NE(std::find(outs[1]->m_segments.begin(), outs[1]->m_segments.end(), first), outs[1]->m_segments.end());
}

TEST(ChainingTest, SingleAndEmptyInput)
{
    std::vector<NSegmentPtr> one{Seg({0, 0}, {1, 0})};
    std::vector<NContourPtr> outs;
    CreateContinuousContours(one, outs);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0]->m_segments.size(), 1u);
    std::vector<NSegmentPtr> none{nullptr};
    CreateContinuousContours(none, outs);
    EXPECT_EQ(outs.size(), 1u);
}

TEST(ChainingTest, PolygonFragmentsJoinIntoOneRing)
{
    const NPolygonPtr first = Frag({{0, 0}, {1, 0}, {1, 1}});
    VectorPolygon frags{first, Frag({{1, 1}, {0, 1}, {0, 0}})};
    VectorPolygon outs;
    CreateContinuousPoligons(frags, outs);
    EXPECT_TRUE(frags.empty());
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0], first);
    ASSERT_EQ(first->m_points.size(), 4u);
    EXPECT_TRUE((first->m_points[3] == NPoint{0, 1}));
    EXPECT_DOUBLE_EQ(first->GetGabarit().pTop.y, 1.0);
}

TEST(ChainingTest, ReversedFragmentAndDroppedShortRing)
{
    VectorPolygon frags{Frag({{0, 0}, {2, 0}, {2, 2}}), Frag({{0, 0}, {0, 2}, {2, 2}})};
    VectorPolygon outs;
    CreateContinuousPoligons(frags, outs);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0]->m_points.size(), 4u);
    VectorPolygon single{Frag({{3, 3}})};
    CreateContinuousPoligons(single, outs);
    EXPECT_EQ(outs.size(), 1u);
}

TEST(ChainingTest, ChainStartingWithEmptyFragment)
{
    // An empty fragment's ends are its pole, which the next fragment meets.
    auto empty = std::make_shared<NPolygon>(NPoint{0, 0}, std::vector<NPoint>{});
    VectorPolygon frags{empty, Frag({{0, 0}, {4, 0}, {4, 4}}), Frag({{4, 4}, {0, 4}, {0, 0}})};
    VectorPolygon outs;
    CreateContinuousPoligons(frags, outs);
    ASSERT_EQ(outs.size(), 1u);
    EXPECT_EQ(outs[0], empty);
    EXPECT_EQ(empty->m_points.size(), 4u);
}

}  // namespace
