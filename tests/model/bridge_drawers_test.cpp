// Every bridge kind drawn into the drawing between two figures and between a
// figure and its sheet: the arcs and segments of its macro, and the same
// bridge read back from the drawing with its owners.
#include "bridge_fixture.h"

#include "model/JumperDrawer.h"

namespace bridgetest {
namespace {

// Node points as multiples of the right-hand offset n: p1 = a + k1 n,
// p2 = b + k2 n, p3 = a + k3 n, p4 = b + k4 n.
struct Kind {
    BridgeType type;
    bool circle;
    int k1, k2, k3, k4;
    bool secondArcDirection;
};

const Kind kKinds[] = {
    {BridgeType::Gap, true, 0, 0, 0, 0, true},
    {BridgeType::Double, false, -1, -1, 1, 1, true},
    {BridgeType::Left, false, -1, -1, -1, -1, true},
    {BridgeType::Right, false, 1, 1, 1, 1, true},
    {BridgeType::Cross, false, -1, 1, 1, -1, false},
    {BridgeType::CutOut, false, -1, -1, 1, 1, true},
    {BridgeType::Start, true, 0, 0, 0, 0, true},
    {BridgeType::DoubleStart, false, -1, -1, 1, 1, true},
    {BridgeType::LeftStart, false, -1, -1, -1, -1, true},
    {BridgeType::RightStart, false, 1, 1, 1, 1, true},
    {BridgeType::CrossStart, false, -1, 1, 1, -1, false},
};

NPoint Times(const NPoint& n, int k)
{
    return {n.x * k, n.y * k};
}

void ExpectArc(const vlapi::IArcPtr& arc, NPoint centre, NPoint first, NPoint second, double r, bool dir)
{
    ASSERT_TRUE(arc);
    ExpectPoint({arc->GetXc(), arc->GetYc()}, centre);
    ExpectPoint({arc->GetX1(), arc->GetY1()}, first);
    ExpectPoint({arc->GetX2(), arc->GetY2()}, second);
    EXPECT_DOUBLE_EQ(arc->GetRadius(), r);
    EXPECT_EQ(arc->GetDirection(), dir);
}

void ExpectSegment(const vlapi::ILineSegmentPtr& segment, NPoint first, NPoint second)
{
    ASSERT_TRUE(segment);
    ExpectPoint({segment->GetX1(), segment->GetY1()}, first);
    ExpectPoint({segment->GetX2(), segment->GetY2()}, second);
}

// The macro's members, in macro coordinates (origin at a), for the ends a and b.
void ExpectDrawn(const Kind& kind, const INestingMacroObjectPtr& macro, NPoint a, NPoint b)
{
    const double r = kWidth / 2;
    if (kind.circle) {
        ASSERT_TRUE(macro->GetArcFromMacro(0));
        EXPECT_DOUBLE_EQ(macro->GetArcFromMacro(0)->GetRadius(), r);
        ExpectPoint({macro->GetArcFromMacro(0)->GetXc(), macro->GetArcFromMacro(0)->GetYc()}, 0, 0);
        EXPECT_FALSE(macro->GetArcFromMacro(1));
        EXPECT_FALSE(macro->GetLineSegmFromMacro(0));
        // Both ends of the circle are the drawing's origin, carried into the macro.
        ExpectPoint({macro->GetArcFromMacro(0)->GetX1(), macro->GetArcFromMacro(0)->GetY1()}, -a.x, -a.y);
        ExpectPoint({macro->GetArcFromMacro(0)->GetX2(), macro->GetArcFromMacro(0)->GetY2()}, -a.x, -a.y);
        return;
    }
    const double length = Distance(a, b);
    const NPoint n{r * (b.y - a.y) / length, r * (a.x - b.x) / length};
    const NPoint b0 = b - a;
    const NPoint p1 = Times(n, kind.k1), p2 = b0 + Times(n, kind.k2);
    const NPoint p3 = Times(n, kind.k3), p4 = b0 + Times(n, kind.k4);
    ExpectArc(macro->GetArcFromMacro(0), {0, 0}, p3, p1, r, true);
    ExpectArc(macro->GetArcFromMacro(1), b0, p2, p4, r, kind.secondArcDirection);
    ExpectSegment(macro->GetLineSegmFromMacro(0), p1, p2);
    ExpectSegment(macro->GetLineSegmFromMacro(1), p3, p4);
}

class BridgeKindTest : public BridgeTest, public ::testing::WithParamInterface<Kind> {
protected:
    // Draws the bridge, checks its macro, then reads the drawing again.
    void Check(NPoint a, const NObjectPtr& owner1, NPoint b, const NObjectPtr& owner2)
    {
        const Kind& kind = GetParam();
        const JumperPtr jumper = AddBridge(kind.type, a, owner1, b, owner2);
        ASSERT_TRUE(jumper->m_macro);
        EXPECT_TRUE(jumper->m_macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge));
        double x = 0, y = 0, angle = 0;
        jumper->m_macro->GetMacroPlacement(x, y, angle);
        ExpectPoint({x, y}, a);
        ExpectDrawn(kind, jumper->m_macro, a, b);

        NestingModel reread;
        Load(reread);
        reread.InitJumpersFromActiveDoc();
        ASSERT_EQ(reread.m_jumpers.size(), 1u);
        const Jumper& loaded = *reread.m_jumpers[0];
        EXPECT_EQ(loaded.m_type, static_cast<int32_t>(kind.type));
        EXPECT_DOUBLE_EQ(loaded.m_width, kWidth);
        EXPECT_EQ(loaded.m_twoPoints, !kind.circle);
        ExpectPoint(loaded.m_point1, a);
        ASSERT_TRUE(loaded.m_owner1);
        EXPECT_EQ(loaded.m_owner1->GetReference(), owner1->GetReference());
        if (kind.circle) {
            EXPECT_FALSE(loaded.m_owner2);
        } else {
            ExpectPoint(loaded.m_point2, b);
            ASSERT_TRUE(loaded.m_owner2);
            EXPECT_EQ(loaded.m_owner2->GetReference(), owner2->GetReference());
        }
        EXPECT_TRUE(loaded.m_valid);
        Drop(reread);
    }
};

TEST_P(BridgeKindTest, BetweenTwoFigures)
{
    Check({300, 150}, F1(), {400, 150}, F2());
}

TEST_P(BridgeKindTest, BetweenAFigureAndItsSheet)
{
    Check({200, 100}, F1(), {200, 0}, TheSheet());
}

TEST_P(BridgeKindTest, ASlantedBridgeKeepsItsShape)
{
    // Second end on the sheet's top edge, off the square directions.
    Check({600, 200}, F2(), {900, 500}, TheSheet());
}

INSTANTIATE_TEST_SUITE_P(ElevenKinds, BridgeKindTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) {
                             return "Type" + std::to_string(static_cast<int>(info.param.type));
                         });

// ---- The drawers alone

TEST(JumperDrawerTest, NodePointsOfTheDoubleAndTheCrossDrawer)
{
    DoubleJumperDrawer twin;
    twin.m_r = 5;
    twin.CalculateNodePoints({0, 0}, {10, 0});
    ExpectPoint(twin.m_p1, 0, 5);
    ExpectPoint(twin.m_p2, 10, 5);
    ExpectPoint(twin.m_p3, 0, -5);
    ExpectPoint(twin.m_p4, 10, -5);

    CrossJumperDrawer cross;
    cross.m_r = 5;
    cross.CalculateNodePoints({0, 0}, {10, 0});
    ExpectPoint(cross.m_p1, 0, 5);
    ExpectPoint(cross.m_p2, 10, -5);
    ExpectPoint(cross.m_p3, 0, -5);
    ExpectPoint(cross.m_p4, 10, 5);
}

TEST(JumperDrawerTest, EveryTypeHasItsDrawerAndOthersNone)
{
    for (const Kind& kind : kKinds)
        EXPECT_TRUE(JumperDrawer::Make(static_cast<int32_t>(kind.type)));
    EXPECT_FALSE(JumperDrawer::Make(11));
    EXPECT_FALSE(JumperDrawer::Make(-1));
}

TEST(JumperDrawerTest, CoincidentEndsGiveNoDirectionAndNoNaN)
{
    LeftJumperDrawer drawer;
    drawer.m_r = 5;
    ExpectPoint(drawer.CalculateOffsetPoints({3, 4}, {3, 4}), 0, 0);
    drawer.CalculateNodePoints({3, 4}, {3, 4});
    ExpectPoint(drawer.m_p1, 3, 4);
    EXPECT_FALSE(std::isnan(drawer.m_p4.x));
}

TEST(JumperDrawerTest, SecondEndWithoutASecondArcIsTheFirst)
{
    RightJumperDrawer drawer;
    ExpectPoint(drawer.GetPoint2({7, 8}), 7, 8);
}

// ---- Drawing edge cases in a drawing

TEST_F(BridgeTest, AOnePointBridgeOfATwoPointKindIsOneCircle)
{
    DoubleJumperDrawer drawer;
    drawer.m_r = 5;
    drawer.Draw(Container(), {10, 10}, {50, 10}, false);
    std::vector<vlapi::IDrawingObjectPtr> objects;
    drawer.GetObjects(objects);
    EXPECT_EQ(objects.size(), 1u);
}

TEST_F(BridgeTest, TwoPointBridgeWithCoincidentEndsIsDrawnAsItsCircle)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {300, 150}, F1(), {300, 150}, F1());
    ASSERT_TRUE(jumper->m_macro);
    const vlapi::IArcPtr circle = jumper->m_macro->GetArcFromMacro(0);
    ASSERT_TRUE(circle);
    EXPECT_DOUBLE_EQ(circle->GetRadius(), kWidth / 2);
    EXPECT_FALSE(jumper->m_macro->GetArcFromMacro(1));
    EXPECT_FALSE(jumper->m_macro->GetLineSegmFromMacro(0));
}

TEST_F(BridgeTest, NewWidthResizesTheCircleOnly)
{
    const JumperPtr jumper = AddBridge(BridgeType::Gap, {300, 150}, F1());
    jumper->SetWidth(50);
    const vlapi::IArcPtr circle = jumper->m_macro->GetArcFromMacro(0);
    EXPECT_DOUBLE_EQ(circle->GetRadius(), 25);
    ExpectPoint({circle->GetXc(), circle->GetYc()}, 0, 0);
    // The drawing shows the whole circle around the bridge's point.
    NRect shown;
    vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(macrotest::HostMacro(jumper->m_macro)), shown);
    ExpectPoint(shown.pBot, jumper->m_point1.x - 25, jumper->m_point1.y - 25);
    ExpectPoint(shown.pTop, jumper->m_point1.x + 25, jumper->m_point1.y + 25);

    JumperParams stored;
    ByteBlock block;
    jumper->m_macro->LoadMacroParams(block);
    size_t offset = 0;
    ASSERT_TRUE(stored.LoadFigureParams(block, offset));
    EXPECT_DOUBLE_EQ(stored.m_width, 50);
}

TEST_F(BridgeTest, NewSecondEndRewritesTheMacroInPlace)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    const reference ref = jumper->GetReference();
    jumper->SetPoint2({400, 180});
    EXPECT_EQ(jumper->GetReference(), ref);
    ExpectPoint(jumper->GetPoint2(), 400, 180);
    ExpectDrawn(kKinds[1], jumper->m_macro, {300, 150}, {400, 180});
}

}  // namespace
}  // namespace bridgetest
