// The hot-point editors of figures and bridges, driven as the host's
// hot-point object drives them: handles read, dragged and released.
#include "bridge_fixture.h"
#include "figure_fixture.h"

#include "model/HotPointEditors.h"

#include <array>
#include <cmath>

namespace {

using bridgetest::BridgeTest;
using bridgetest::ExpectPoint;
using figuretest::ExpectInStepWithMacro;
using figuretest::ExpectPolygonsOnOutline;
using figuretest::Rectangle;

HotPoint At(double x, double y)
{
    HotPoint point;
    point.x = x;
    point.y = y;
    return point;
}

// The macro's placement: x, y and angle.
std::array<double, 3> Placement(const INestingMacroObjectPtr& macro)
{
    std::array<double, 3> placement{};
    macro->GetMacroPlacement(placement[0], placement[1], placement[2]);
    return placement;
}

class FigureEditorTest : public figuretest::FigureStaticsTest {
protected:
    // A stored figure 200 x 100 whose reference point is its lower left corner at (x, y).
    FigurePtr Plate(double x, double y)
    {
        const FigurePtr figure = StoredFigure(Rectangle(0, 0, 200, 100), L"Plate");
        figure->SetPlacement(x, y, 0, false);
        figure->SaveParams();
        return figure;
    }
};

TEST_F(FigureEditorTest, HandlesStandAtThePlacementPointAndHalfTheWidthAlong)
{
    const FigurePtr plate = Plate(300, 200);
    HP_Figure editor(plate->m_macro);
    EXPECT_EQ(HP_Figure::refMacro, plate->GetReference());
    editor.Init();
    EXPECT_DOUBLE_EQ(editor.m_armHP2, 100.0);

    HotPoint point{5, 5, L"", 7};
    ASSERT_TRUE(editor.GetHotPoints(point, 0));
    EXPECT_EQ(point.x, 0.0);
    EXPECT_EQ(point.y, 0.0);
    EXPECT_EQ(point.text, L"0");
    EXPECT_EQ(point.cursorId, 7);  // left as the caller filled it
    ASSERT_TRUE(editor.GetHotPoints(point, 1));
    EXPECT_EQ(point.x, 100.0);
    EXPECT_EQ(point.text, L"A");
    EXPECT_EQ(point.cursorId, 10011);
    EXPECT_FALSE(editor.GetHotPoints(point, 2));
    EXPECT_EQ(point.text, L"A");
    EXPECT_FALSE(editor.SetHotPoint(point, 2));
    EXPECT_EQ(editor.GetCursorText(0), L"");
}

// The turning handle dragged to a point turns the figure by the angle of that
// point seen from the placement point; its polygons turn with its outline.
TEST_F(FigureEditorTest, TheTurningHandleTurnsTheFigureAboutItsPlacementPoint)
{
    const FigurePtr plate = Plate(300, 200);
    HP_Figure editor(plate->m_macro);
    editor.Init();
    const struct {
        HotPoint to;
        double turn;
    } drags[] = {{At(0, 50), 90}, {At(0, -50), 270}, {At(-30, 0.00005), 180}, {At(40, 0), 0}, {At(0, 0), 180}};
    for (const auto& drag : drags) {
        const double before = Placement(plate->m_macro)[2];
        HotPoint to = drag.to;
        ASSERT_TRUE(editor.SetHotPoint(to, 1));
        const double turned = std::fmod(Placement(plate->m_macro)[2] - before + 720.0, 360.0);
        EXPECT_NEAR(turned, drag.turn, 1e-9) << drag.to.x << " " << drag.to.y;
        const Figure& figure = dynamic_cast<const Figure&>(*editor.m_object);
        ExpectPolygonsOnOutline(figure, 10.0);
        ExpectInStepWithMacro(figure);
    }
}

TEST_F(FigureEditorTest, TheMoveHandleMovesTheFigureAndTheCursorTellsTheAngle)
{
    const FigurePtr plate = Plate(300, 200);
    plate->SetPlacement(0, 0, 37.5, false);
    plate->SaveParams();
    HP_Figure editor(plate->m_macro);
    editor.Init();
    EXPECT_EQ(editor.GetCursorText(1), L"A = 37.50");

    HotPoint by = At(30, -20);
    ASSERT_TRUE(editor.SetHotPoint(by, 0));
    const auto [x, y, angle] = Placement(plate->m_macro);
    EXPECT_NEAR(x, 330, 1e-9);
    EXPECT_NEAR(y, 180, 1e-9);
    ExpectPolygonsOnOutline(dynamic_cast<const Figure&>(*editor.m_object), 10.0);
}

// A drag cancelled leaves the figure where it stood and asks for nothing; a
// drag done has the figures placed again (command 300).
TEST_F(FigureEditorTest, ACancelledDragPutsTheFigureBackADoneOnePlacesItAgain)
{
    const FigurePtr plate = Plate(300, 200);
    plate->SetPlacement(0, 0, 37.5, false);
    HP_Figure editor(plate->m_macro);
    editor.Init();
    const struct {
        int handle;
        std::vector<HotPoint> steps;
        bool success;
    } drags[] = {{0, {At(30, -20), At(45, 10)}, false}, {1, {At(0, 50), At(-20, -20)}, false}, {1, {}, false},
                 {0, {At(5, 5)}, true}};
    for (const auto& drag : drags) {
        const auto [x0, y0, a0] = Placement(plate->m_macro);
        State().commandQueue.clear();
        editor.BeginDrag(drag.handle);
        for (HotPoint step : drag.steps)
            ASSERT_TRUE(editor.SetHotPoint(step, drag.handle));
        EXPECT_TRUE(editor.EditComplete(drag.handle, drag.success));
        const auto [x, y, angle] = Placement(plate->m_macro);
        if (drag.success) {
            EXPECT_EQ(State().commandQueue, std::deque<int>{300});
            continue;
        }
        EXPECT_TRUE(State().commandQueue.empty());
        EXPECT_NEAR(x, x0, 1e-9);
        EXPECT_NEAR(y, y0, 1e-9);
        EXPECT_NEAR(std::remainder(angle - a0, 360.0), 0.0, 1e-9);
        ExpectPolygonsOnOutline(dynamic_cast<const Figure&>(*editor.m_object), 10.0);
    }
}

class JumperEditorTest : public BridgeTest {
protected:
    static const Jumper& Edited(const HP_Jumper& editor) { return dynamic_cast<const Jumper&>(*editor.m_object); }
};

TEST_F(JumperEditorTest, OnePointBridgesShowOneHandleTwoPointBridgesTwo)
{
    for (const BridgeType type : {BridgeType::Gap, BridgeType::Start}) {
        HP_Jumper editor(AddBridge(type, {300, 150}, F1())->m_macro);
        editor.Init();
        HotPoint point;
        EXPECT_TRUE(editor.GetHotPoints(point, 0));
        EXPECT_FALSE(editor.GetHotPoints(point, 1));
        EXPECT_FALSE(editor.SetPlacement(point, true));
    }
    HP_Jumper editor(AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 170}, F2())->m_macro);
    editor.Init();
    HotPoint point;
    ASSERT_TRUE(editor.GetHotPoints(point, 1));
    EXPECT_EQ(point.text, L"1");
    EXPECT_NEAR(point.x, 100, 1e-9);  // where the second end stands, seen from the first
    EXPECT_NEAR(point.y, 20, 1e-9);
    EXPECT_EQ(point.cursorId, 0);
    EXPECT_FALSE(editor.GetHotPoints(point, 2));
}

// The second end goes where its handle is dragged, then onto the second
// owner's border; the first end is moved, pulled back onto the
// first owner's border, and the second end stays where it was.
TEST_F(JumperEditorTest, DraggedEndsArePulledOntoTheirOwners)
{
    HP_Jumper editor(AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 170}, F2())->m_macro);
    editor.Init();
    const Jumper& bridge = Edited(editor);
    ASSERT_TRUE(bridge.m_owner1);
    ASSERT_TRUE(bridge.m_owner2);

    HotPoint second = At(110, 10);
    ASSERT_TRUE(editor.SetHotPoint(second, 1));
    ExpectPoint(bridge.m_point2, 400, 160);  // (410, 160), pulled onto F2's left edge
    HotPoint shown;
    ASSERT_TRUE(editor.GetHotPoints(shown, 1));
    ExpectPoint(NPoint{shown.x, shown.y}, 100, 10);  // the handle stands at the end it moves

    HotPoint first = At(15, 20);
    ASSERT_TRUE(editor.SetHotPoint(first, 0));
    ExpectPoint(bridge.m_point1, 300, 170);  // (315, 170), pulled onto F1's right edge
    ExpectPoint(NPoint{first.x, first.y}, 300, 170);
    ExpectPoint(bridge.m_point2, 400, 160);
    const auto [x, y, angle] = Placement(bridge.m_macro);
    ExpectPoint(NPoint{x, y}, 300, 170);
    EXPECT_TRUE(editor.EditComplete(0, true));
    EXPECT_TRUE(State().commandQueue.empty());
}

TEST_F(JumperEditorTest, ACancelledDragPutsBothEndsBack)
{
    HP_Jumper editor(AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 170}, F2())->m_macro);
    editor.Init();
    const Jumper& bridge = Edited(editor);
    for (int handle : {1, 0}) {
        editor.BeginDrag(handle);
        HotPoint to = At(-110, 10);
        ASSERT_TRUE(editor.SetHotPoint(to, handle));
        EXPECT_TRUE(editor.EditComplete(handle, false));
        ExpectPoint(bridge.m_point1, 300, 150);
        ExpectPoint(bridge.m_point2, 400, 170);
        const auto [x, y, angle] = Placement(bridge.m_macro);
        ExpectPoint(NPoint{x, y}, 300, 150);
    }
}

// The host's own move corrects every selected bridge, not only the edited one.
TEST_F(JumperEditorTest, AMoveByTheHostCorrectsEverySelectedBridge)
{
    const JumperPtr a = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    const JumperPtr b = AddBridge(BridgeType::Double, {300, 120}, F1(), {400, 120}, F2());
    HP_Jumper editor(a->m_macro);
    editor.Init();
    for (const JumperPtr& bridge : {a, b}) {
        bridge->m_macro->SetMacroPlacement(8, 0, 0, false);  // dragged off by the host
        bridge->m_macro->SelectMacro(true);
    }
    ASSERT_TRUE(editor.External_Move());
    model.m_jumpers.clear();
    model.InitJumpersFromActiveDoc();
    ASSERT_EQ(model.m_jumpers.size(), 2u);
    for (const JumperPtr& bridge : model.m_jumpers) {
        EXPECT_NEAR(bridge->m_point1.x, 300, 1e-9);
        EXPECT_NEAR(bridge->m_point2.x, 400, 1e-9);
    }
    EXPECT_TRUE(editor.External_Rotate());
    EXPECT_TRUE(editor.AddToModel());
}

}  // namespace
