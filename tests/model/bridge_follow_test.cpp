// Bridges stay with the figures they were made for: every move the library
// makes of a figure takes its bridges along, and deleting a figure or a sheet
// deletes the bridges on it.
#include "bridge_fixture.h"

#include "engine/CommandsWithoutPanel.h"
#include "engine/NestingOptimizer.h"
#include "sheet_statics.h"

#include <algorithm>
#include <array>
#include <functional>

namespace bridgetest {
namespace {

class BridgeFollowTest : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        AddBridge(BridgeType::Gap, {100, 150}, F1());                             // F1's left edge
        AddBridge(BridgeType::Gap, {400, 150}, F2());                             // F2's left edge
        AddBridge(BridgeType::Double, {300, 120}, F1(), {400, 120}, F2());        // across the gap
        AddBridge(BridgeType::LeftStart, {600, 150}, F2(), {1000, 150}, TheSheet());  // F2 to the sheet's edge
        Drop(model);
        Load(model);
        model.HoldBridges();  // as a command's model that moves figures does
    }

    void TearDown() override
    {
        HP_Figure::refMacro = 0;
        HP_Figure::refs.clear();
        BridgeTest::TearDown();
    }

    static INestingMacroObjectPtr FigureMacro(const std::wstring& name, MacroCommand command = MacroCommand::Figure)
    {
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            if (macro->GetName() == name && macro->CheckMacroLibraryNameAndCommand(command))
                return macro;
        }
        return nullptr;
    }

    // The host's own tools move the macros; the library then places the
    // selected figure again (command 300), as its document events make it.
    static void MovedByTheHost(const std::vector<INestingMacroObjectPtr>& macros,
                               const std::vector<std::array<double, 3>>& steps)
    {
        for (const INestingMacroObjectPtr& macro : macros) {
            ASSERT_TRUE(macro);
            for (const auto& [dx, dy, turn] : steps)
                macro->SetMacroPlacement(dx, dy, turn, false);
        }
        Select(L"F2");
        RunAutoPlacementInSheet();
    }

    static void Select(const std::wstring& name)
    {
        vrnApi::UnSelectAll();
        FigureMacro(name)->SelectMacro(true);
    }

    // The bridges as the bridges command reads them: their names, each
    // checked to be valid with both ends on its owners' borders.
    static std::vector<std::wstring> ReadBridges()
    {
        NestingModel read;
        Load(read);
        read.InitJumpersFromActiveDoc();
        std::vector<std::wstring> names;
        for (const JumperPtr& jumper : read.m_jumpers) {
            names.push_back(jumper->m_name);
            EXPECT_TRUE(jumper->m_valid) << jumper->m_name;
            const std::pair<NObjectPtr, NPoint> ends[] = {{jumper->m_owner1, jumper->m_point1},
                                                          {jumper->m_owner2, jumper->m_point2}};
            for (size_t end = 0; end < (jumper->m_twoPoints ? 2u : 1u); ++end) {
                NPoint on;
                if (ends[end].first && ends[end].first->GetProjectionPoint(ends[end].second, 1e9, on)) {
                    EXPECT_LT(Distance(on, ends[end].second), 1e-6) << jumper->m_name << " end " << end;
                }
            }
        }
        Drop(read);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    SavedSheetStatics m_sheetStatics;
};

TEST_F(BridgeFollowTest, BridgesMoveWithTheirFigures)
{
    const std::vector<std::wstring> before = ReadBridges();
    ASSERT_EQ(before.size(), 4u);
    const std::pair<const char*, std::function<void()>> moves[] = {
        // Turned a quarter about the origin, then shifted: turned about its middle.
        {"turned by the host's tools", [] { MovedByTheHost({FigureMacro(L"F2")}, {{0, 0, 90}, {650, -350, 0}}); }},
        {"moved by the host's tools with one of its bridges",
         [] {
             MovedByTheHost({FigureMacro(L"F2"), FigureMacro(L"Мостик: F2 b30.0 тип-1", MacroCommand::Bridge)},
                            {{-20, 10, 0}});
         }},
        {"slid by the arrow key", [] { Select(L"F2"); OffsetFigure(NestingMode::OffsetLeft); }},
        {"moved by the host's tools, of an earlier version",
         [] {
             for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
                 ByteBlock record;
                 macro->LoadMacroParams(record);
                 if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge) && record.size() > 40) {
                     record.resize(40);  // no owners stored
                     macro->SaveMacroParams(record);
                 }
             }
             MarkBridgeOwners();  // as opening the drawing does
             MovedByTheHost({FigureMacro(L"F2")}, {{0, 60, 0}});
         }},
        {"turned by R", [] { Select(L"F2"); RotateFigure(90.0); }},
        {"dragged by its handle",
         [] {
             HP_Figure editor(FigureMacro(L"F1"));
             editor.Init();
             HotPoint by;
             by.x = -30;
             by.y = 40;
             ASSERT_TRUE(editor.SetHotPoint(by, 0));
             editor.EditComplete(0, true);
         }},
        {"placed by the optimiser",
         [] {
             NestingOptimizer optimizer;
             optimizer.Init();
             optimizer.RunOptimization(OptimizationParams{1, RotationType::Rotation90, true});
             Drop(optimizer.m_model);
         }},
        {"on a sheet made wider and higher", [this] { model.SetWidthSheet(1200.0); model.SetHeightSheet(600.0); }},
        {"sent to the container with their sheet",
         [this] {
             Drop(model);
             Load(model);
             model.HoldBridges();
             model.DelSheet(model.m_sheets.at(0));
         }},
    };
    for (const auto& [what, move] : moves) {
        SCOPED_TRACE(what);
        move();
        std::vector<std::wstring> expected = before;
        if (std::string(what) == "sent to the container with their sheet")
            std::erase(expected, L"Мостик: F2 - Лист 1 b30.0 тип-9");
        EXPECT_EQ(ReadBridges(), expected);
    }
}

// An L turned a quarter about the middle of its box by the host's tools:
// every bridge on it turns with it, those whose point happens to lie on the
// turned outline too; a bridge the user turned along with it is not turned twice.
TEST_F(BridgeFollowTest, BridgesTurnWithTheirFigureWhereverTheyStand)
{
    StoredFigure({{700, 200}, {820, 200}, {820, 240}, {740, 240}, {740, 320}, {700, 320}}, L"L");
    Drop(model);
    Load(model);
    const FigurePtr L = model.m_figures.back();
    // Turned about (760, 260): (x, y) goes to (1020 - y, x - 500).
    const auto turned = [](const NPoint& p) { return NPoint{1020 - p.y, p.x - 500}; };
    const struct {
        const char* what;
        NPoint at;
        bool turnedAlong;  // selected and turned with the L
    } bridges[] = {
        {"at a corner of the turned outline", {780, 240}, false},
        {"inside an edge of the turned outline", {760, 240}, false},
        {"off the turned outline", {700, 260}, false},
        {"turned along with the L", {800, 200}, true},
    };
    vlapi::APIObjectList moved{vlapi::IAPIObjectPtr(hostAccess::ObjectOf(doc, L->GetReference()))};
    for (const auto& bridge : bridges) {
        const JumperPtr made = AddBridge(BridgeType::Gap, bridge.at, L);
        if (bridge.turnedAlong)
            moved.push_back(vlapi::IAPIObjectPtr(hostAccess::ObjectOf(doc, made->GetReference())));
    }
    Drop(model);
    doc->RotateObjects(moved, 760.0, 260.0, 90.0);
    // Then shifted along the turned L's lower edge: a bridge standing on it
    // stands on the shifted edge too, and moves all the same.
    for (const double shift : {0.0, 10.0}) {
        if (shift != 0.0)
            doc->MoveObjects({vlapi::IAPIObjectPtr(hostAccess::ObjectOf(doc, FigureMacro(L"L")->GetReference()))},
                             shift, 0.0);
        Select(L"L");
        RunAutoPlacementInSheet();
        NestingModel read;
        Load(read);
        read.InitJumpersFromActiveDoc();
        std::vector<NPoint> found;
        for (const JumperPtr& jumper : read.m_jumpers) {
            if (jumper->m_owner1 && jumper->m_owner1->GetName() == L"L")
                found.push_back(jumper->m_point1);
        }
        Drop(read);
        ASSERT_EQ(found.size(), std::size(bridges));
        for (size_t i = 0; i < found.size(); ++i) {
            SCOPED_TRACE(bridges[i].what);
            ExpectPoint(found[i], turned(bridges[i].at) + NPoint{shift, 0.0}, 1e-6);
        }
    }
}

// Copies lowered in number leave their sheet's view (into the system view)
// before they are deleted: their bridges go with them all the same.
TEST_F(BridgeFollowTest, BridgesGoWithAFigureDeletedAfterItLeftItsView)
{
    model.MoveFiguresToSysView();
    model.DelFigure(model.m_figures.at(1));  // F2
    model.FollowBridges();
    EXPECT_EQ(ReadBridges(), std::vector<std::wstring>{L"Мостик: F1 b30.0 тип-1"});
    EXPECT_EQ(BridgeMacros(), 1u);
}

// Figures deleted together (copies lowered in number, parts deleted from the
// list) take every bridge on any of them, and leave the others' (a figure
// listed twice goes once).
TEST_F(BridgeFollowTest, BridgesGoWithFiguresDeletedTogether)
{
    model.MoveFiguresToSysView();
    const FigurePtr f1 = model.m_figures.at(0), f2 = model.m_figures.at(1);
    f2->m_edit = false;
    model.RemFigures({f2, f2});
    model.FollowBridges();
    EXPECT_EQ(ReadBridges(), std::vector<std::wstring>{L"Мостик: F1 b30.0 тип-1"});
    f1->m_edit = false;
    model.RemFigures({f1});
    EXPECT_EQ(BridgeMacros(), 0u);
    EXPECT_TRUE(model.m_figures.empty() || std::none_of(model.m_figures.begin(), model.m_figures.end(),
                                                       [&](const FigurePtr& f) { return f == f1 || f == f2; }));
}

}  // namespace
}  // namespace bridgetest

namespace bridgetest {
namespace {

// Two right triangles joined into a compound (mirror images or not) with a
// bridge on each of the compound's three longest edges; a gap change splits
// the compound and joins its members again, or leaves them apart.
class CompoundBridgeTest : public BridgeFollowTest, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(CompoundBridgeTest, BridgesOnACompoundGoWithItsMembers)
{
    const auto [mirror, unite] = GetParam();
    // The gap change takes every figure into the container: none may keep a bridge to the sheet.
    FigureMacro(L"Мостик: F2 - Лист 1 b30.0 тип-9", MacroCommand::Bridge)->DeleteMacro();
    StoredFigure({{700, 100}, {800, 100}, {700, 160}}, L"T1");
    StoredFigure(mirror ? std::vector<NPoint>{{700, 300}, {800, 300}, {800, 360}}
                        : std::vector<NPoint>{{700, 300}, {800, 300}, {700, 360}},
                 L"T2");
    Drop(model);
    Load(model);
    model.m_uniteFigures = true;
    model.m_uniteMirrors = true;
    model.m_figureGap = 10.0;  // as the figures' gap polygons were made
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 3u);
    const FigurePtr compound = model.m_figures.back();
    ASSERT_EQ(compound->m_objectType, NestingObjectType::CompoundFigure);
    std::vector<NPoint> outline = compound->m_borders.front()->m_points;
    std::vector<std::pair<double, NPoint>> edges;
    for (size_t i = 0; i < outline.size(); ++i) {
        const NPoint& a = outline[i];
        const NPoint& b = outline[(i + 1) % outline.size()];
        edges.emplace_back(Distance(a, b), NPoint{(a.x + b.x) / 2, (a.y + b.y) / 2});
    }
    std::sort(edges.begin(), edges.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
    for (size_t i = 0; i < 3; ++i)
        AddBridge(BridgeType::Gap, edges[i].second, compound, {}, nullptr, 4.0);
    Drop(model);
    Load(model);
    model.HoldBridges();

    model.m_uniteFigures = unite;
    model.UpdateGaps();
    Drop(model);
    const auto onTriangles = [&](const std::vector<std::wstring>& names) {
        return std::count_if(names.begin(), names.end(), [&](const std::wstring& name) {
            return name.find(model.m_uniteFigures ? L"Мостик: Составная деталь" : L"Мостик: T") != std::wstring::npos;
        });
    };
    // The bridges name the owners they were handed to at once, not only
    // when they are read again.
    std::vector<std::wstring> drawn;
    for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
        if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            drawn.push_back(macro->GetName());
    }
    EXPECT_EQ(onTriangles(drawn), 3);
    const std::vector<std::wstring> names = ReadBridges();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(onTriangles(names), 3);
}

INSTANTIATE_TEST_SUITE_P(MirroredOrNotJoinedAgainOrNot, CompoundBridgeTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

}  // namespace
}  // namespace bridgetest
