// Offset polygons computed by the host around the rings of an outline.
#include "vrn_fixture.h"

#include "host/HostAccess.h"

#include <algorithm>

namespace {

NPolygonPtr Square(double x, double y, double side, bool clockwise = false)
{
    std::vector<NPoint> points{{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
    if (clockwise)
        std::reverse(points.begin(), points.end());
    return std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points);
}

class VrnOffsetsTest : public vrntest::VrnTest {
protected:
    // The outline of a 20 mm square with a 6 mm square hole in its middle.
    std::vector<NPolygonPtr> Frame() const { return {Square(0, 0, 20), Square(7, 7, 6, true)}; }
    static void ExpectBox(const NPolygonPtr& polygon, double x1, double y1, double x2, double y2)
    {
        const NRect rc = polygon->GetGabarit();
        EXPECT_NEAR(rc.pBot.x, x1, 0.01);
        EXPECT_NEAR(rc.pBot.y, y1, 0.01);
        EXPECT_NEAR(rc.pTop.x, x2, 0.01);
        EXPECT_NEAR(rc.pTop.y, y2, 0.01);
    }
};

TEST_F(VrnOffsetsTest, NoRadiusGivesPlainCopiesWithoutTouchingTheDrawing)
{
    std::vector<NPolygonPtr> borders{Square(5, 5, 10), Square(7, 7, 2)};
    borders[0]->m_pole = {3, 3};
    borders[0]->m_segments = {42};
    std::vector<NPolygonPtr> equids;
    vrnApi::CreateEquidistantPoligons(borders, 0.00009, equids, true);
    ASSERT_EQ(equids.size(), 2u);
    EXPECT_NE(equids[0], borders[0]);
    EXPECT_EQ(equids[0]->m_points, borders[0]->m_points);
    EXPECT_EQ(equids[0]->m_pole, (NPoint{0, 0}));
    EXPECT_TRUE(equids[0]->m_segments.empty());
    EXPECT_EQ(equids[1]->m_points, borders[1]->m_points);
    EXPECT_EQ(DrawingObjects(), 0u);
    vrnApi::CreateEquidistantPoligons({}, 5.0, equids, true);
    EXPECT_EQ(equids.size(), 2u);
}

TEST_F(VrnOffsetsTest, GrowingWidensTheOuterRingAndNarrowsTheHoles)
{
    std::vector<NPolygonPtr> equids{Square(100, 100, 1)};
    vrnApi::CreateEquidistantPoligons(Frame(), 2.0, equids, false);
    ASSERT_EQ(equids.size(), 3u);
    ExpectBox(equids[0], 100, 100, 101, 101);
    ExpectBox(equids[1], -2, -2, 22, 22);
    ExpectBox(equids[2], 9, 9, 11, 11);
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(VrnOffsetsTest, ShrinkingNarrowsTheOuterRingAndWidensTheHoles)
{
    std::vector<NPolygonPtr> equids;
    vrnApi::CreateEquidistantPoligons(Frame(), -2.0, equids, true);
    ASSERT_EQ(equids.size(), 2u);
    ExpectBox(equids[0], 2, 2, 18, 18);
    ExpectBox(equids[1], 5, 5, 15, 15);
    EXPECT_FALSE(equids[0]->m_inner);
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(VrnOffsetsTest, AHoleNarrowerThanTheGapVanishes)
{
    std::vector<NPolygonPtr> equids;
    vrnApi::CreateEquidistantPoligons(Frame(), 4.0, equids, false);
    ASSERT_EQ(equids.size(), 1u);
    ExpectBox(equids[0], -4, -4, 24, 24);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(VrnOffsetsTest, WithoutTheOuterRingsOffsetNothingStandsInForIt)
{
    // Shrinking by 11 mm leaves nothing of the 20 mm ring while the hole grows.
    std::vector<NPolygonPtr> equids{Square(100, 100, 1)};
    vrnApi::CreateEquidistantPoligons(Frame(), -11.0, equids, false);
    ASSERT_EQ(equids.size(), 1u);
    ExpectBox(equids[0], 100, 100, 101, 101);
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(VrnOffsetsTest, NoTemporaryIsLeftWhenTheHostMakesNoEquidistant)
{
    vrntest::AddLine(Container(), {0, 0}, {1, 1});
    std::vector<NPolygonPtr> equids;
    {
        vlhost::FailureScope noEquidistant("IEquidistant");
        vrnApi::CreateEquidistantPoligons(Frame(), 2.0, equids, false);
    }
    EXPECT_TRUE(equids.empty());
    EXPECT_EQ(DrawingObjects(), 1u);
}

TEST_F(VrnOffsetsTest, OutlinesOfAGroupComeLargestFirstAndKeepTheirOrderOtherwise)
{
    vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(false);
    group->Open();
    vrntest::AddRing(Container(), {{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    vrntest::AddRing(Container(), {{20, 0}, {21, 0}, {21, 1}, {20, 1}});
    vrntest::AddRing(Container(), {{30, 0}, {31, 0}, {31, 1}, {30, 1}});
    vrntest::AddLine(Container(), {0, 10}, {0, 0});  // a side drawn twice, reversed
    group->Close();
    std::vector<NPolygonPtr> polygons{Square(-50, -50, 40)};
    vrnApi::InitBordersFromGroup(hostAccess::ReferenceOf(group), polygons);
    ASSERT_EQ(polygons.size(), 4u);
    ExpectBox(polygons[0], -50, -50, -10, -10);
    ExpectBox(polygons[1], 0, 0, 10, 10);
    ExpectBox(polygons[2], 20, 0, 21, 1);
    ExpectBox(polygons[3], 30, 0, 31, 1);
    EXPECT_EQ(polygons[1]->m_points.size(), 4u);
}

}  // namespace
