#include "engine/InterPointBuilder.h"
#include "support/host_fixture.h"
#include "waste_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using waste_test::Box;
using waste_test::Hole;
using waste_test::Ring;

namespace {

NPolygonPtr RectOf(const NRect& r)
{
    return Box(r.pBot.x, r.pBot.y, r.pTop.x, r.pTop.y);
}

NRect Moved(const NRect& r, const NPoint& d)
{
    return {r.pBot + d, r.pTop + d};
}

// The label box moved by `offset` lies in the outline and off the holes.
void ExpectRoomForLabel(const NPolygon& outline, const VectorPolygon& holes, const NRect& label, const NPoint& offset)
{
    const NPolygonPtr placed = RectOf(Moved(label, offset));
    EXPECT_TRUE(outline.CheckContainPoligon(*placed, true)) << "label outside the outline";
    for (const NPolygonPtr& hole : holes)
        if (hole && !hole->m_points.empty()) {
            EXPECT_TRUE(waste_test::KeepApart(*placed, *hole, 0.0)) << "label over a hole";
        }
}

NPoint Search(const NPolygonPtr& outline, const VectorPolygon& holes, const NRect& label, NPoint& offset,
              const VectorPolygon& bends = {})
{
    InterPointBuilder builder;
    builder.Init(outline, holes);
    return builder.FindInternalPointForLabel(label, bends, offset);
}

}  // namespace

// Found fault: once the label fitted, the next pass tried the outline's
// gabarit centred on the gabarit rather than on the label, so a rectangular
// outline answered with the label's own place, outside the outline.
TEST(LabelPoint, LabelGoesNearTheMiddleOfALargeOutline)
{
    const NPolygonPtr outline = Box(0, 0, 200, 200);
    const NRect label{{300, 300}, {320, 308}};
    NPoint offset;
    const NPoint p = Search(outline, {}, label, offset);
    EXPECT_NEAR(p.x, 100.0, 10.0);
    EXPECT_NEAR(p.y, 100.0, 10.0);
    EXPECT_NEAR(offset.x, p.x - 310.0, 1e-9);
    EXPECT_NEAR(offset.y, p.y - 304.0, 1e-9);
    ExpectRoomForLabel(*outline, {}, label, offset);
}

TEST(LabelPoint, LabelKeepsOffTheHoles)
{
    const NPolygonPtr outline = Box(0, 0, 200, 120);
    const VectorPolygon holes{Hole(60, 20, 140, 100), nullptr, Ring({})};
    const NRect label{{95, 55}, {105, 65}};
    NPoint offset;
    Search(outline, holes, label, offset);
    ExpectRoomForLabel(*outline, holes, label, offset);
}

// A label among hundreds of holes, round and square, 2 mm apart: it fits only
// in the pocket the field leaves, which the positions over the holes enclose
// all round.
TEST(LabelPoint, LabelFindsThePocketInAFieldOfHoles)
{
    const NPolygonPtr outline = Box(0, 0, 200, 200);
    VectorPolygon holes;
    for (int i = 0; i < 20; ++i) {
        for (int j = 0; j < 20; ++j) {
            const double x = 6 + 10 * i, y = 6 + 10 * j;
            if (x > 50 && x < 90 && y > 110 && y < 140)
                continue;
            if ((i + j) % 2 == 0) {
                holes.push_back(Box(x - 4, y - 4, x + 4, y + 4));
                continue;
            }
            std::vector<NPoint> round;
            for (int k = 0; k < 84; ++k)
                round.push_back({x + 4 * std::cos(2 * PI * k / 84), y + 4 * std::sin(2 * PI * k / 84)});
            holes.push_back(std::make_shared<NPolygon>(NPoint{}, round));
        }
    }
    const NRect label{{10, 10}, {30, 18}};
    InterPointBuilder builder;
    builder.Init(outline, holes);
    EXPECT_TRUE(builder.LabelFits(label));
    EXPECT_FALSE(builder.LabelFits({{0, 0}, {44, 8}}));
    NPoint offset;
    // Grown about as large as the pocket (50..92 × 110..142), it stands near its middle.
    const NPoint p = builder.FindInternalPointForLabel(label, {}, offset);
    EXPECT_NEAR(p.x, 71, 2);
    EXPECT_NEAR(p.y, 126, 2);
    ExpectRoomForLabel(*outline, holes, label, offset);
}

TEST(LabelPoint, LabelInAnLShapedOutline)
{
    const NPolygonPtr outline = Ring({{0, 0}, {300, 0}, {300, 40}, {40, 40}, {40, 300}, {0, 300}});
    const NRect label{{150, 150}, {180, 160}};
    NPoint offset;
    Search(outline, {}, label, offset);
    ExpectRoomForLabel(*outline, {}, label, offset);
}

// A label larger than the outline shrinks towards the smallest square around
// its centre: the point still lies in the outline.
TEST(LabelPoint, LabelLargerThanTheOutline)
{
    const NPolygonPtr outline = Box(0, 0, 20, 20);
    NPoint offset;
    const NPoint p = Search(outline, {}, {{-40, 5}, {60, 15}}, offset);
    EXPECT_TRUE(outline->CheckContainPoint(p, true));
    EXPECT_NEAR(offset.x, p.x - 10.0, 1e-9);
}

TEST(LabelPoint, NoOutlineLeavesTheOffsetAlone)
{
    NPoint offset{7, 7};
    EXPECT_TRUE(Search(nullptr, {}, {{0, 0}, {1, 1}}, offset) == NPoint({0, 0}));
    EXPECT_TRUE(Search(Ring({}), {}, {{0, 0}, {1, 1}}, offset) == NPoint({0, 0}));
    EXPECT_TRUE(offset == NPoint({7, 7}));
}

// Found fault: when no size fitted, the offset moved the label to the
// drawing's origin.
TEST(LabelPoint, NothingFitsKeepsTheLabelWhereItIs)
{
    NPoint offset{7, 7};
    const NPoint p = Search(Box(0, 0, 0.5, 0.5), {}, {{100, 100}, {120, 110}}, offset);
    EXPECT_TRUE(p == NPoint({0, 0}));
    EXPECT_TRUE(offset == NPoint({0, 0}));
}

// A bend crossing the label at the first choice (just inside its top side)
// sends it to the nearest candidate that no bend crosses.
TEST(LabelPoint, BendsCrossingTheLabelAreAvoided)
{
    const NPolygonPtr outline = Ring({{0, 0}, {300, 0}, {300, 40}, {40, 40}, {40, 300}, {0, 300}});
    const NRect label{{0, 0}, {20, 6}};
    NPoint offset;
    const NPoint first = Search(outline, {}, label, offset);
    const NPolygonPtr bend = Ring({first + NPoint{-1, 3.4}, first + NPoint{1, 3.4}});
    NPoint offset2;
    const NPoint second = Search(outline, {}, label, offset2, {bend});
    EXPECT_FALSE(second == first);
    ExpectRoomForLabel(*outline, {}, label, offset2);
    const NPolygonPtr placed = RectOf(Moved({{-0.5, -0.5}, {20.5, 6.5}}, offset2));
    std::vector<NIndexPoint> hits;
    EXPECT_FALSE(placed->Intersection(NSegment(bend->m_points[0], bend->m_points[1], 0), hits));
    EXPECT_FALSE(placed->CheckContainPoint(bend->m_points[0], true));
}

// Property: on random outlines with holes and labels that fit somewhere, the
// label moved by the offset lies in the outline and off every hole.
TEST(LabelPoint, MovedLabelHasRoomInRandomOutlines)
{
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 30; ++round) {
        const double x0 = -200 + 400 * unit(rng);
        const double y0 = -200 + 400 * unit(rng);
        const double w = 100 + 300 * unit(rng);
        const double h = 60 + 240 * unit(rng);
        const NPolygonPtr outline = Box(x0, y0, x0 + w, y0 + h);
        VectorPolygon holes;
        const int count = round % 4;
        for (int k = 0; k < count; ++k) {
            // One hole per third of the width, in the middle band of the height.
            const double left = x0 + w * k / 3.0 + 2 + 10 * unit(rng);
            const double right = x0 + w * (k + 1) / 3.0 - 2 - 10 * unit(rng);
            holes.push_back(Hole(left, y0 + h * 0.3, right, y0 + h * 0.7));
        }
        const double lx = x0 - 100 + (w + 200) * unit(rng);
        const double ly = y0 - 100 + (h + 200) * unit(rng);
        const NRect label{{lx, ly}, {lx + 5 + 25 * unit(rng), ly + 3 + 7 * unit(rng)}};
        NPoint offset;
        Search(outline, holes, label, offset);
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectRoomForLabel(*outline, holes, label, offset);
    }
}

// ---------------------------------------------------------------------------
// Through the stand-in host: the text's box is measured by the host.

using LabelPointHost = hosttest::HostTest;

// Found fault: the label rectangle was shifted by the position of the view
// that holds the text, while the host measures the text, like the outline,
// in the view's own coordinates; in a view away from the origin the label
// ended off its place.
TEST_F(LabelPointHost, TextInAViewAwayFromTheOriginGetsRoomInTheOutline)
{
    const vlapi::IDrawingContainerPtr view(AddView(500, 300, 1));
    vlapi::IDrawingTextPtr text = vrnApi::CreateText(view, L"Остаток 12", 400, 400, 5);
    ASSERT_TRUE(text);
    NRect box;
    vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(text), box);
    const NPolygonPtr outline = Box(0, 0, 150, 60);
    InterPointBuilder builder;
    builder.Init(outline, {});
    NPoint offset;
    const NPoint p = builder.FindInternalPointForTextPlacement({vlapi::IDrawingObjectPtr(text)}, {}, offset);
    EXPECT_TRUE(outline->CheckContainPoint(p, false));
    ExpectRoomForLabel(*outline, {}, box, offset);
}

TEST_F(LabelPointHost, OnlyTheFirstTextDecides)
{
    const vlapi::IDrawingContainerPtr view(AddView(0, 0, 1));
    vlapi::IDrawingTextPtr first = vrnApi::CreateText(view, L"A", 10, 10, 5);
    vlapi::IDrawingTextPtr second = vrnApi::CreateText(view, L"Длинная надпись", 500, 500, 20);
    InterPointBuilder builder;
    builder.Init(Box(0, 0, 100, 100), {});
    NPoint offsetOne;
    NPoint offsetTwo;
    const NPoint one = builder.FindInternalPointForTextPlacement({vlapi::IDrawingObjectPtr(first)}, {}, offsetOne);
    const NPoint two = builder.FindInternalPointForTextPlacement(
        {vlapi::IDrawingObjectPtr(first), vlapi::IDrawingObjectPtr(second)}, {}, offsetTwo);
    EXPECT_TRUE(one == two);
    EXPECT_TRUE(offsetOne == offsetTwo);
}

TEST_F(LabelPointHost, NoTextLeavesTheOffsetAlone)
{
    InterPointBuilder builder;
    builder.Init(Box(0, 0, 100, 100), {});
    NPoint offset{3, 4};
    EXPECT_TRUE(builder.FindInternalPointForTextPlacement({}, {}, offset) == NPoint({0, 0}));
    EXPECT_TRUE(builder.FindInternalPointForTextPlacement({vlapi::IDrawingObjectPtr()}, {}, offset) == NPoint({0, 0}));
    EXPECT_TRUE(offset == NPoint({3, 4}));
}
