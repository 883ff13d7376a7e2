// Bridges in the model: read from the drawing with their owners, stored across
// a save and reopen, placed with their ends snapped to the owners' borders,
// tested against points and other bridges, deleted and cleared.
#include "bridge_fixture.h"

#include "ByteAccess.h"

#include <functional>
#include <tuple>

namespace bridgetest {
namespace {

class BridgeModelTest : public BridgeTest {
protected:
    // The drawing read again into a second model, with its bridges.
    NestingModel& Reread()
    {
        Load(m_reread);
        m_reread.InitJumpersFromActiveDoc();
        return m_reread;
    }

    void TearDown() override
    {
        Drop(m_reread);
        BridgeTest::TearDown();
    }

    static NPoint Placement(const Jumper& jumper)
    {
        NPoint p;
        double angle = 0;
        jumper.m_macro->GetMacroPlacement(p.x, p.y, angle);
        return p;
    }

    static NPoint SecondArcCentre(const Jumper& jumper)
    {
        const vlapi::IArcPtr arc = jumper.m_macro->GetArcFromMacro(1);
        return {arc->GetXc(), arc->GetYc()};
    }

private:
    NestingModel m_reread;
};

// ---- Reading bridges and their owners

TEST_F(BridgeModelTest, OwnersAreFoundFiguresFirstThenSheets)
{
    AddBridge(BridgeType::Double, {200, 100}, F1(), {200, 0}, TheSheet());
    AddBridge(BridgeType::Gap, {400, 150}, F2());
    // A point on F1's border and within the bridge width of the sheet's too.
    AddBridge(BridgeType::Cross, {120, 100}, F1(), {120, 0}, TheSheet());

    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 3u);
    EXPECT_EQ(m.m_jumpers[0]->m_owner1, m.m_figures[0]);
    EXPECT_EQ(m.m_jumpers[0]->m_owner2, m.m_sheets[0]);
    EXPECT_EQ(m.m_jumpers[0]->m_name, L"Мостик: F1 - Лист 1 b30.0 тип-2");
    EXPECT_EQ(m.m_jumpers[1]->m_owner1, m.m_figures[1]);
    EXPECT_FALSE(m.m_jumpers[1]->m_owner2);
    EXPECT_TRUE(m.m_jumpers[1]->m_valid);
    EXPECT_EQ(m.m_jumpers[1]->m_name, L"Мостик: F2 b30.0 тип-1");
    for (const JumperPtr& jumper : m.m_jumpers)
        EXPECT_TRUE(jumper->m_edit);
}

TEST_F(BridgeModelTest, ABridgeInAnotherViewFindsNoOwnersAndIsInvalid)
{
    AddCurrentView(20000, 0);
    // The points lie where F1 and F2 stand, but in a view without figures.
    AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 1u);
    EXPECT_FALSE(m.m_jumpers[0]->m_owner1);
    EXPECT_FALSE(m.m_jumpers[0]->m_owner2);
    EXPECT_FALSE(m.m_jumpers[0]->m_valid);
    EXPECT_EQ(m.m_jumpers[0]->m_name, L"Мостик: Потерян объект - Потерян объект b30.0 тип-2");
}

TEST_F(BridgeModelTest, ASelectedMacroComesInChosen)
{
    const JumperPtr jumper = AddBridge(BridgeType::Gap, {300, 150}, F1());
    jumper->m_macro->SelectMacro(true);
    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 1u);
    EXPECT_TRUE(m.m_jumpers[0]->m_choose);
}

TEST_F(BridgeModelTest, OwnersFromTheDrawingWithoutAModel)
{
    const JumperPtr added = AddBridge(BridgeType::RightStart, {300, 150}, F1(), {400, 150}, F2());
    const JumperPtr jumper = Jumper::Create(added->m_macro);
    jumper->LoadParams();
    jumper->Init();
    InitJumperOwnersFromFigures(jumper);
    ASSERT_TRUE(jumper->m_owner1);
    ASSERT_TRUE(jumper->m_owner2);
    EXPECT_EQ(jumper->m_owner1->GetReference(), F1()->GetReference());
    EXPECT_EQ(jumper->m_owner2->GetReference(), F2()->GetReference());
    EXPECT_NE(jumper->m_owner1, F1());  // objects of their own, not the model's

    const JumperPtr toSheet = Jumper::Create(AddBridge(BridgeType::Left, {200, 100}, F1(), {200, 0}, TheSheet())->m_macro);
    toSheet->LoadParams();
    toSheet->Init();
    InitJumperOwnersFromFigures(toSheet);
    ASSERT_TRUE(toSheet->m_owner2);
    EXPECT_EQ(toSheet->m_owner2->GetReference(), TheSheet()->GetReference());
    EXPECT_EQ(toSheet->m_owner2->m_name, L"Лист 1");
}

TEST_F(BridgeModelTest, RecordAndEndsSurviveASaveAndReopen)
{
    const JumperPtr jumper = AddBridge(BridgeType::CrossStart, {300, 150}, F1(), {400, 170}, F2(), 24.0);
    const std::wstring path = File("bridges.vdw");
    ASSERT_TRUE(doc->SaveAs(path));
    Drop(model);
    doc->Close(0);
    doc = nullptr;
    ASSERT_TRUE(application->GetDocuments()->Open(path, true, 0));

    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 1u);
    const Jumper& loaded = *m.m_jumpers[0];
    EXPECT_EQ(loaded.m_type, static_cast<int32_t>(BridgeType::CrossStart));
    EXPECT_DOUBLE_EQ(loaded.m_width, 24.0);
    EXPECT_DOUBLE_EQ(loaded.m_radius1, 25.0);
    EXPECT_TRUE(loaded.m_byarc2);
    ExpectPoint(loaded.m_point1, 300, 150);
    ExpectPoint(loaded.m_point2, 400, 170);
    EXPECT_EQ(loaded.m_name, L"Мостик: F1 - F2 b24.0 тип-11");
    EXPECT_EQ(loaded.m_macro->GetName(), loaded.m_name);
}

// The record after its 40 bytes: per end the owner's reference and where it
// stood (three doubles), then where each end stood (two doubles each). An end
// without an owner (the second of a one-point bridge, one on nothing) stores
// zeros: no record holds a number that is not finite.
TEST_F(BridgeModelTest, RecordsHoldOnlyFiniteNumbers)
{
    const JumperPtr bridges[] = {AddBridge(BridgeType::Gap, {200, 100}, F1()),
                                 AddBridge(BridgeType::Double, {300, 150}, F1(), {350, 150}, nullptr)};
    for (const JumperPtr& bridge : bridges) {
        ByteBlock block;
        bridge->m_macro->LoadMacroParams(block);
        ASSERT_EQ(block.size(), 40u + 2 * 28 + 2 * 16);
        for (const size_t at : {44, 52, 60, 72, 80, 88, 96, 104, 112, 120})
            EXPECT_TRUE(std::isfinite(ReadAt<double>(block, at))) << at;
        EXPECT_EQ(ReadAt<int32_t>(block, 68), 0);
        EXPECT_EQ(ReadAt<double>(block, 96), bridge->m_point1.x);
    }
}

// An end's owner is the figure or sheet whose border is nearest, within half
// the bridge's width; a bridge that stored its owners takes only those, so a
// neighbour never inherits it. Old records store no owners.
TEST_F(BridgeModelTest, OwnersAreTheNearestBordersWithinHalfTheWidth)
{
    StoredFigure(Rectangle(310, 100, 80, 100), L"F3");  // 10 mm right of F1
    model.InitFiguresFromActiveDoc(nullptr);
    const auto named = [this](const wchar_t* name) -> NObjectPtr {
        for (const FigurePtr& figure : model.m_figures) {
            if (figure->m_name == name)
                return figure;
        }
        return nullptr;
    };
    const struct {
        const char* what;
        BridgeType type;
        NPoint a, b;
        const wchar_t* owner1;
        const wchar_t* owner2;
        bool oldRecord;
        bool deleteF3;
        const wchar_t* name;
    } cases[] = {
        {"across a narrow gap", BridgeType::Double, {300, 150}, {310, 150}, L"F1", L"F3", true, false,
         L"Мостик: F1 - F3 b30.0 тип-2"},
        {"on the nearer figure", BridgeType::Gap, {310, 150}, {}, L"F3", nullptr, true, false, L"Мостик: F3 b30.0 тип-1"},
        {"beyond half the width", BridgeType::Gap, {200, 216}, {}, L"F1", nullptr, true, false,
         L"Мостик: Потерян объект b30.0 тип-1"},
        {"its owner deleted", BridgeType::Gap, {310, 170}, {}, L"F3", nullptr, false, true,
         L"Мостик: Потерян объект b30.0 тип-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const JumperPtr added =
            AddBridge(c.type, c.a, named(c.owner1), c.b, c.owner2 ? named(c.owner2) : nullptr);
        if (c.oldRecord) {
            ByteBlock block;
            added->m_macro->LoadMacroParams(block);
            block.resize(JumperParams::kSize);
            added->m_macro->SaveMacroParams(block);
        }
        if (c.deleteF3)
            named(L"F3")->m_macro->DeleteMacro();  // by the host's own tools
        NestingModel& m = Reread();
        const JumperPtr read = m.GetJumperByRef(added->GetReference());
        ASSERT_TRUE(read);
        EXPECT_EQ(read->m_name, c.name);
        EXPECT_EQ(read->m_valid, c.name != std::wstring(L"Мостик: Потерян объект b30.0 тип-1"));
        Drop(m);
    }
}

// The name follows the owners and the type: selecting a bridge (its editor
// reads it before it knows the owners) keeps it, a change of type renews it.
TEST_F(BridgeModelTest, TheStoredNameFollowsTheOwnersAndTheType)
{
    const JumperPtr bridge = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    const std::tuple<const char*, std::function<void()>, const wchar_t*> steps[] = {
        {"selected", [&] { HP_Jumper(bridge->m_macro).Init(); }, L"Мостик: F1 - F2 b30.0 тип-2"},
        {"made a cross", [&] { bridge->SetType(BridgeType::Cross); bridge->ReBuild(); }, L"Мостик: F1 - F2 b30.0 тип-5"},
        {"made a gap", [&] { bridge->SetType(BridgeType::Gap); bridge->ReBuild(); }, L"Мостик: F1 b30.0 тип-1"},
    };
    for (const auto& [what, step, name] : steps) {
        SCOPED_TRACE(what);
        step();
        EXPECT_EQ(bridge->m_macro->GetName(), name);
    }
}

// ---- Points and bridges

TEST_F(BridgeModelTest, PointsNearBridgeEndsAreStrict)
{
    AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    EXPECT_FALSE(model.CheckIntersectPointWithJumpers(300, 180, 30));  // exactly (30 + 30) / 2
    EXPECT_TRUE(model.CheckIntersectPointWithJumpers(400, 179.9, 30));
    EXPECT_FALSE(model.CheckIntersectPointWithJumpers(350, 150, 30));

    NestingModel empty;
    EXPECT_FALSE(empty.CheckIntersectPointWithJumpers(300, 150, 30));
    EXPECT_FALSE(empty.CheckJumper(model.m_jumpers[0]));
}

TEST_F(BridgeModelTest, ABridgeOverlapsOnlyOtherBridges)
{
    const JumperPtr first = AddBridge(BridgeType::Gap, {300, 150}, F1());
    EXPECT_FALSE(model.CheckJumper(first));
    const JumperPtr second = AddBridge(BridgeType::Gap, {300, 170}, F1());
    EXPECT_TRUE(model.CheckJumper(first));
    EXPECT_TRUE(model.CheckJumper(second));
}

// ---- The object under a bridge end

TEST_F(BridgeModelTest, AnEndNearAnOutlineSnapsOntoIt)
{
    const int f1 = F1()->GetReference();
    double x = 300.5, y = 150;
    EXPECT_FALSE(model.CheckObjectForJumper(f1, x, y, 0.4, NestingObjectType::Figure));
    ExpectPoint({x, y}, 300.5, 150);
    EXPECT_EQ(model.CheckObjectForJumper(f1, x, y, 1, NestingObjectType::Figure), F1());
    ExpectPoint({x, y}, 300, 150);

    x = 998;
    EXPECT_EQ(model.CheckObjectForJumper(TheSheet()->GetReference(), x, y, 30, NestingObjectType::Sheet),
              TheSheet());
    ExpectPoint({x, y}, 1000, 150);
}

TEST_F(BridgeModelTest, OnlySheetsAndFiguresOfTheModelCarryBridgeEnds)
{
    double x = 300, y = 150;
    EXPECT_FALSE(model.CheckObjectForJumper(F1()->GetReference(), x, y, 30, NestingObjectType::Waste));
    EXPECT_FALSE(model.CheckObjectForJumper(F1()->GetReference(), x, y, 30, NestingObjectType::Sheet));
    EXPECT_FALSE(model.CheckObjectForJumper(0, x, y, 30, NestingObjectType::Figure));
    EXPECT_FALSE(model.CheckObjectForJumper(-5, x, y, 30, NestingObjectType::Figure));
}

TEST_F(BridgeModelTest, AnEndTooCloseToAnotherBridgeIsRefused)
{
    AddBridge(BridgeType::Gap, {300, 150}, F1());
    const int f1 = F1()->GetReference();
    double x = 300, y = 130;
    EXPECT_FALSE(model.CheckObjectForJumper(f1, x, y, 30, NestingObjectType::Figure));
    ExpectPoint({x, y}, 300, 130);
    y = 120;
    EXPECT_EQ(model.CheckObjectForJumper(f1, x, y, 30, NestingObjectType::Figure), F1());
}

TEST_F(BridgeModelTest, AnEndClickedInAnotherViewIsCarriedIntoTheOwnersView)
{
    MakeViewCurrent(0);
    double x = 5300.5, y = 150;  // the view of the sheet stands at (5000, 0)
    EXPECT_EQ(model.CheckObjectForJumper(F1()->GetReference(), x, y, 1, NestingObjectType::Figure), F1());
    ExpectPoint({x, y}, 300, 150);
    EXPECT_EQ(vrnApi::GetActiveView(), m_sheetView);
}

// ---- Ends snapping to the owners' borders

TEST_F(BridgeModelTest, CorrectingTheEndsPullsThemOntoTheOwners)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {310, 150}, F1(), {410, 160}, F2());
    jumper->CorrectPlacement1();
    ExpectPoint(jumper->GetPoint1(), 300, 150);
    ExpectPoint(Placement(*jumper), 300, 150);

    jumper->CorrectPlacement2();
    ExpectPoint(jumper->GetPoint2(), 400, 160);
    ExpectPoint(SecondArcCentre(*jumper), 100, 10);

    const JumperPtr ownerless = AddBridge(BridgeType::Double, {310, 250}, nullptr);
    ownerless->CorrectPlacement1();
    ownerless->CorrectPlacement2();
    ExpectPoint(ownerless->GetPoint1(), 310, 250);
}

TEST_F(BridgeModelTest, SecondEndFollowsTheNormalOfTheFirstOwner)
{
    JumperPtr jumper = model.CreateJumper(0, 0, kWidth, BridgeType::Double, true);
    EXPECT_TRUE(jumper->m_bynormal);
    jumper->m_owner1 = F1();
    jumper->SetPoint1({300, 150});
    jumper->SetPoint2({420, 180});
    ExpectPoint(jumper->GetPoint2(), 420, 180);  // no second owner yet
    jumper->m_owner2 = F2();
    jumper->SetPoint2({420, 180});
    ExpectPoint(jumper->GetPoint2(), 400, 150);
    // A click on F2's near edge straight across stays there, not on its far edge.
    jumper->SetPoint2({400, 150});
    ExpectPoint(jumper->GetPoint2(), 400, 150);

    jumper->m_bynormal = false;
    jumper->SetPoint2({420, 180});
    ExpectPoint(jumper->GetPoint2(), 420, 180);
}

TEST_F(BridgeModelTest, SettingTheFirstEndOfAPlacedBridgePutsItThere)
{
    const JumperPtr jumper = AddBridge(BridgeType::Gap, {300, 150}, F1());
    jumper->SetPoint1({300, 120});
    ExpectPoint(jumper->GetPoint1(), 300, 120);
    ExpectPoint(Placement(*jumper), 300, 120);
}

// ---- Creating, adding, deleting

TEST_F(BridgeModelTest, CreatedBridgeIsOutsideTheModelUntilAdded)
{
    const JumperPtr jumper = model.CreateJumper(10, 20, 40, BridgeType::Right, false);
    ASSERT_TRUE(jumper);
    EXPECT_FALSE(jumper->m_macro);
    EXPECT_EQ(jumper->GetType(), static_cast<int>(BridgeType::Right));
    EXPECT_DOUBLE_EQ(jumper->GetWidth(), 40);
    EXPECT_DOUBLE_EQ(jumper->m_drawer->m_r, 20);
    EXPECT_TRUE(jumper->m_twoPoints);
    ExpectPoint(jumper->GetPoint1(), 0, 0);  // x and y are not used
    EXPECT_TRUE(model.m_jumpers.empty());
    EXPECT_EQ(BridgeMacros(), 0u);

    jumper->m_owner1 = F1();
    jumper->m_owner2 = F2();
    jumper->SetPoint1({300, 150});
    jumper->SetPoint2({400, 150});
    model.AddJumper(jumper, 0);
    ASSERT_EQ(model.m_jumpers.size(), 1u);
    ASSERT_TRUE(jumper->m_macro);
    EXPECT_EQ(BridgeMacros(), 1u);
    EXPECT_EQ(jumper->m_name, L"Мостик: F1 - F2 b40.0 тип-4");
    EXPECT_EQ(model.GetJumperByRef(jumper->GetReference()), jumper);
    EXPECT_FALSE(model.GetJumperByRef(0));

    model.AddJumper(nullptr, 0);
    EXPECT_EQ(model.m_jumpers.size(), 1u);
}

TEST_F(BridgeModelTest, AddingOnALayerPutsTheMacroThere)
{
    const int layer = vrnApi::CreateLayer(L"Мостики", 255, false);
    const JumperPtr jumper = model.CreateJumper(0, 0, kWidth, BridgeType::Gap, false);
    jumper->SetPoint1({300, 150});
    model.AddJumper(jumper, layer);
    EXPECT_EQ(jumper->m_macro->GetMacroLayer(), layer);
}

TEST_F(BridgeModelTest, DeletingTakesTheMacroEvenOfALoadedBridge)
{
    AddBridge(BridgeType::Gap, {300, 150}, F1());
    AddBridge(BridgeType::Gap, {400, 150}, F2());
    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 2u);
    const JumperPtr second = m.m_jumpers[1];

    // The list's own entry as the argument: the other bridge stays listed.
    m.DelJumper(m.m_jumpers[0]);
    ASSERT_EQ(m.m_jumpers.size(), 1u);
    EXPECT_EQ(m.m_jumpers[0], second);
    EXPECT_EQ(BridgeMacros(), 1u);

    JumperPtr stranger = model.CreateJumper(0, 0, kWidth, BridgeType::Gap, false);
    m.DelJumper(stranger);
    EXPECT_TRUE(stranger);
    JumperPtr none;
    m.DelJumper(none);
    EXPECT_EQ(m.m_jumpers.size(), 1u);

    JumperPtr last = second;
    m.DelJumper(last);
    EXPECT_FALSE(last);
    EXPECT_TRUE(m.m_jumpers.empty());
    EXPECT_EQ(BridgeMacros(), 0u);
}

TEST_F(BridgeModelTest, ClearingKeepsLoadedBridgesAndTakesMadeOnes)
{
    AddBridge(BridgeType::Gap, {300, 150}, F1());
    NestingModel& m = Reread();
    m.ClearJumpers();
    EXPECT_TRUE(m.m_jumpers.empty());
    EXPECT_EQ(BridgeMacros(), 1u);

    model.ClearJumpers();  // the model made its bridge: it goes
    EXPECT_EQ(BridgeMacros(), 0u);
}

// ---- Rebuilding and the preview

TEST_F(BridgeModelTest, RebuildingAsACircleLeavesNoOldMembers)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    jumper->Choose(true);
    jumper->SetType(BridgeType::Gap);
    jumper->ReBuild();
    EXPECT_EQ(BridgeMacros(), 1u);
    EXPECT_TRUE(jumper->m_macro->GetArcFromMacro(0));
    EXPECT_FALSE(jumper->m_macro->GetArcFromMacro(1));
    EXPECT_FALSE(jumper->m_macro->GetLineSegmFromMacro(0));
    ExpectPoint(Placement(*jumper), 300, 150);

    NestingModel& m = Reread();
    ASSERT_EQ(m.m_jumpers.size(), 1u);
    EXPECT_EQ(m.m_jumpers[0]->m_type, static_cast<int32_t>(BridgeType::Gap));
}

TEST_F(BridgeModelTest, AFailedRebuildKeepsTheOldMacro)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    const reference before = jumper->GetReference();
    const size_t objects = DrawingObjects();
    {
        vlhost::FailureScope refuse("IMacroObjects::AddMacro");
        jumper->ReBuild();
    }
    EXPECT_EQ(jumper->GetReference(), before);
    EXPECT_EQ(BridgeMacros(), 1u);
    EXPECT_EQ(DrawingObjects(), objects);
    // The bridge still acts on its own macro.
    jumper->SetPoint2({400, 170});
    ExpectPoint(SecondArcCentre(*jumper), 100, 20);
}

TEST_F(BridgeModelTest, ABridgeWithoutADrawerKeepsItsMacro)
{
    const JumperPtr jumper = AddBridge(BridgeType::Gap, {300, 150}, F1());
    const reference before = jumper->GetReference();
    jumper->m_type = 11;
    jumper->Init();
    jumper->ReBuild();
    EXPECT_EQ(jumper->GetReference(), before);
    EXPECT_EQ(BridgeMacros(), 1u);
}

TEST_F(BridgeModelTest, ThePreviewIsATemporaryGroupAndLeavesTheMacroAlone)
{
    const JumperPtr jumper = AddBridge(BridgeType::Double, {300, 150}, F1(), {400, 150}, F2());
    // The stand-in host lets a temporary group go with its last holder; the
    // objects drawn into it stand in the view.
    size_t objects = DrawingObjects();
    EXPECT_NE(jumper->GetPhantomGroup({450, 160}, true), 0);
    EXPECT_EQ(DrawingObjects(), objects + 4);
    ExpectPoint(jumper->GetPoint2(), 450, 160);
    EXPECT_FALSE(AnyGroupOpen());

    // Later edits still reach the macro, not the preview.
    jumper->SetPoint2({400, 170});
    ExpectPoint(SecondArcCentre(*jumper), 100, 20);

    objects = DrawingObjects();
    EXPECT_NE(jumper->GetPhantomGroup({310, 150}, false), 0);
    EXPECT_EQ(DrawingObjects(), objects + 1);  // dragging the first end shows its circle
    ExpectPoint(jumper->GetPoint1(), 310, 150);
}

TEST_F(BridgeModelTest, ThePreviewFollowsTheNormalOfTheFirstOwner)
{
    JumperPtr jumper = model.CreateJumper(0, 0, kWidth, BridgeType::Double, true);
    jumper->m_owner1 = F1();
    jumper->SetPoint1({300, 150});
    ASSERT_NE(jumper->GetPhantomGroup({420, 180}, true), 0);
    ExpectPoint(jumper->GetPoint2(), 420, 150, 1e-6);
}

}  // namespace
}  // namespace bridgetest
