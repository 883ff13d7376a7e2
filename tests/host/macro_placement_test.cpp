// Macros moved, turned, mirrored, scaled, copied and carried into other views,
// in step with the polygons the model keeps for them.
#include "support/macro_fixture.h"

#include <cmath>

namespace macrotest {
namespace {

// An L-shaped outline: no symmetry hides a wrong turn or mirror.
const std::vector<NPoint> kEll = {{0, 0}, {40, 0}, {40, 10}, {10, 10}, {10, 30}, {0, 30}};

class MacroPlacementTest : public MacroHostTest {
protected:
    INestingMacroObjectPtr Ell() { return MakeMacro(Container(), AddRing(Container(), kEll), L"Ell"); }

    static NPolygon Outline(const INestingMacroObjectPtr& macro)
    {
        std::vector<NPolygonPtr> borders;
        macro->InitBordersFromMacro(borders);
        EXPECT_EQ(borders.size(), 1u);
        return borders.empty() ? NPolygon{} : *borders[0];
    }

    // The same vertices, whatever the start and direction.
    static void ExpectSameVertices(const NPolygon& a, const NPolygon& b)
    {
        ASSERT_EQ(a.m_points.size(), b.m_points.size());
        for (const NPoint& p : a.m_points) {
            bool found = false;
            for (const NPoint& q : b.m_points)
                found = found || (std::fabs(p.x - q.x) < 1e-6 && std::fabs(p.y - q.y) < 1e-6);
            EXPECT_TRUE(found) << p.x << " " << p.y;
        }
    }

    static NPolygon Shifted(NPolygon p, double dx, double dy)
    {
        p.Offset({dx, dy});
        return p;
    }

    size_t MacrosIn(const vlapi::IViewPtr& view) const
    {
        return vlapi::IDrawingContainerPtr(view)->GetObjects({vlapi::vlDrMacro}).size();
    }
};

TEST_F(MacroPlacementTest, MovesAndTurnsKeepStepWithThePolygon)
{
    const INestingMacroObjectPtr macro = Ell();
    NPolygon model = Outline(macro);
    ExpectSameVertices(Outline(macro), NPolygon({0, 0}, kEll));

    macro->SetMacroPlacement(30, 20, 0, false);
    model.Offset({30, 20});
    ExpectSameVertices(Outline(macro), model);

    macro->SetMacroPlacement(0, 0, 90, false);
    model.Rotate(90 * DR);
    ExpectSameVertices(Outline(macro), model);

    // A turned macro still moves along the view's axes.
    macro->SetMacroPlacement(10, 0, 0, false);
    model.Offset({10, 0});
    ExpectSameVertices(Outline(macro), model);

    double x = 0, y = 0, angle = 0;
    macro->GetMacroPlacement(x, y, angle);
    EXPECT_NEAR(x, 40, 1e-9);
    EXPECT_NEAR(y, 20, 1e-9);
    EXPECT_NEAR(angle, 90, 1e-9);
}

// The host adds the turns up; the library keeps the angle it stores and reads
// within one turn, and a macro stored with any angle (earlier versions added
// the turns up too) still reads and moves as it stands.
TEST_F(MacroPlacementTest, AnglesStayWithinOneTurn)
{
    const INestingMacroObjectPtr macro = Ell();
    const vlapi::IMacroObjectPtr host = HostMacro(macro);
    NPolygon model = Outline(macro);
    const struct {
        double turn;
        bool fromHP;
        double angle;
    } cases[] = {{300, false, 300}, {300, false, 240}, {-250, true, 350}, {-1090, false, 340}, {20, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.turn);
        macro->SetMacroPlacement(0, 0, c.turn, c.fromHP);
        model.Rotate(c.turn * DR);
        ExpectSameVertices(Outline(macro), model);
        double x = 0, y = 0, stored = 0, read = 0;
        int mirrored = 0;
        host->GetPlacement(x, y, stored, mirrored);
        macro->GetMacroPlacement(x, y, read);
        EXPECT_NEAR(stored, c.angle, 1e-9);
        EXPECT_NEAR(read, c.angle, 1e-9);
    }
    host->SetPlacement(0, 0, 823.25, 0, 0);
    model = Outline(macro);
    double x = 0, y = 0, angle = 0;
    macro->GetMacroPlacement(x, y, angle);
    EXPECT_DOUBLE_EQ(angle, 103.25);
    macro->SetMacroPlacement(10, 0, 0, false);
    model.Offset({10, 0});
    ExpectSameVertices(Outline(macro), model);
}

TEST_F(MacroPlacementTest, HotPointMovesGoToTheHostAsTheyAre)
{
    const INestingMacroObjectPtr macro = Ell();
    macro->SetMacroPlacement(0, 0, 90, false);
    macro->SetMacroPlacement(10, 0, 0, true);
    double x = 0, y = 0, angle = 0;
    macro->GetMacroPlacement(x, y, angle);
    EXPECT_NEAR(x, 10, 1e-9);
    EXPECT_NEAR(angle, 90, 1e-9);
}

TEST_F(MacroPlacementTest, MirrorAndScaleFollowThePolygonTransforms)
{
    const INestingMacroObjectPtr macro = Ell();
    macro->SetMacroPlacement(5, 7, 0, false);
    NPolygon model = Outline(macro);

    macro->SetMacroMirrorPlacement();
    model.MirrorX();
    ExpectSameVertices(Outline(macro), model);

    macro->TransformScale(2.0);
    model.Scale(2.0);
    ExpectSameVertices(Outline(macro), model);
}

TEST_F(MacroPlacementTest, CopiesStandOnTheSourceOrAlongTheMesh)
{
    const INestingMacroObjectPtr macro = Ell();
    macro->SetMacroPlacement(3, 4, 0, false);
    const NPolygon source = Outline(macro);

    const INestingMacroObjectPtr copy = macro->CreateMacroCopy(101);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy->GetReference(), macro->GetReference());
    ExpectSameVertices(Outline(copy), source);

    std::vector<INestingMacroObjectPtr> copies = {macro};
    macro->CreateMacroCopies(101, 3, 50, copies);
    ASSERT_EQ(copies.size(), 4u);
    for (size_t k = 1; k < copies.size(); ++k)
        ExpectSameVertices(Outline(copies[k]), Shifted(source, 50.0 * k, 0));
}

TEST_F(MacroPlacementTest, CopiesLeaveNoGroupBehind)
{
    const INestingMacroObjectPtr macro = Ell();
    const int groups = StoredGroups();
    {
        vlhost::FailureScope noParams("IVarnelDocument2D::CreateAPIObject");
        EXPECT_FALSE(macro->CreateMacroCopy(101));
        std::vector<INestingMacroObjectPtr> copies;
        macro->CreateMacroCopies(101, 2, 10, copies);
        EXPECT_TRUE(copies.empty());
    }
    EXPECT_EQ(StoredGroups(), groups);
    // No group is left open to swallow what is drawn next.
    // Nor one that a later move of the copies would leave empty.
    const INestingMacroObjectPtr copy = macro->CreateMacroCopy(101);
    ASSERT_TRUE(copy);
    EXPECT_FALSE(AnyGroupOpen());
    EXPECT_EQ(StoredGroups(), groups);
    EXPECT_TRUE(copy->CheckMacroLibraryNameAndCommand(macro->GetCommand())) << "the copy stays";
}

TEST_F(MacroPlacementTest, CarriedToAnotherViewAndShiftedItStaysWhereItWas)
{
    const vlapi::IViewPtr from = AddView(100, 50, 2);
    const vlapi::IViewPtr to = AddView(400, 0, 1);
    from->SetCurrent(true);
    from->Update();
    const INestingMacroObjectPtr macro = Ell();
    ASSERT_EQ(macro->GetMacroViewNumber(), from->GetNumber());
    const NPolygon before = Outline(macro);

    double x = 0, y = 0;
    macro->ChangeMacroView(to->GetNumber(), x, y);
    EXPECT_NEAR(x, 50 - 400, 1e-9);
    EXPECT_NEAR(y, 25 - 0, 1e-9);
    EXPECT_EQ(macro->GetMacroViewNumber(), to->GetNumber());
    EXPECT_EQ(MacrosIn(from), 0u);
    EXPECT_EQ(MacrosIn(to), 1u);
    EXPECT_TRUE(macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));

    macro->SetMacroPlacement(x, y, 0, false);
    ExpectSameVertices(Outline(macro), Shifted(before, x, y));
}

TEST_F(MacroPlacementTest, CarriedToAnotherViewItStaysOnTheLayerOfItsName)
{
    // Layer 4 is the bridges' in one view and the remnants' in the other.
    const vlapi::IViewPtr from = AddView(0, 0, 1);
    const vlapi::IViewPtr to = AddView(400, 0, 1);
    const auto layer = [](const vlapi::IViewPtr& view, const std::wstring& name) {
        vlapi::ILayerPtr made = view->GetLayers()->Add();
        made->SetName(name);
        made->SetNumber(4);
        made->Update();
    };
    layer(from, L"Мостики");
    layer(to, L"Отходы");
    from->SetCurrent(true);
    from->Update();
    const INestingMacroObjectPtr macro = Ell();
    macro->ChangeMacroLayer(4);
    double x = 0, y = 0;
    macro->ChangeMacroView(to->GetNumber(), x, y);
    const vlapi::ILayerPtr bridges = to->GetLayers()->FindLayer(L"Мостики");
    ASSERT_TRUE(bridges);
    EXPECT_NE(bridges->GetNumber(), 4);
    EXPECT_EQ(macro->GetMacroLayer(), bridges->GetNumber());
    EXPECT_EQ(to->GetLayers()->GetLayer(4)->GetName(), L"Отходы");
}

TEST_F(MacroPlacementTest, FailedCarryKeepsTheOriginal)
{
    const vlapi::IViewPtr to = AddView(400, 0, 1);
    const INestingMacroObjectPtr macro = Ell();
    const int home = macro->GetMacroViewNumber();
    const reference ref = macro->GetReference();
    double x = 7, y = 8;
    {
        vlhost::FailureScope noCopy("IDrawingGroup::CopyToDocument");
        macro->ChangeMacroView(to->GetNumber(), x, y);
    }
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
    EXPECT_EQ(macro->GetReference(), ref);
    EXPECT_EQ(macro->GetMacroViewNumber(), home);
    EXPECT_EQ(MacrosIn(to), 0u);
    ExpectSameVertices(Outline(macro), NPolygon({0, 0}, kEll));
}

TEST_F(MacroPlacementTest, ViewNumberIsMinusOneWhenUnknown)
{
    EXPECT_EQ(NMacroObject::Create(vlapi::IMacroObjectPtr{})->GetMacroViewNumber(), -1);
    const INestingMacroObjectPtr macro = Ell();
    EXPECT_EQ(macro->GetMacroViewNumber(), ActiveView()->GetNumber());
    vlhost::FailureScope noParent("IDrawingObject::GetParent");
    vlhost::FailureScope noView("IDrawingObject::GetView");
    EXPECT_EQ(macro->GetMacroViewNumber(), -1);
}

TEST_F(MacroPlacementTest, LayerAndGabarit)
{
    const INestingMacroObjectPtr sheet = vrnApi::CreateMacroByRectangle(L"Sheet", 2000, 1000, 102);
    ASSERT_TRUE(sheet);
    sheet->ChangeMacroLayer(5);
    EXPECT_EQ(sheet->GetMacroLayer(), 5);
    NRect rc{};
    sheet->GetGabarit(rc);
    EXPECT_NEAR(rc.pTop.x - rc.pBot.x, 2000, 1e-9);
    EXPECT_NEAR(rc.pTop.y - rc.pBot.y, 1000, 1e-9);

    NRect untouched{{1, 2}, {3, 4}};
    Ell()->GetGabarit(untouched);
    EXPECT_EQ(untouched.pTop.x, 3);
}

}  // namespace
}  // namespace macrotest
