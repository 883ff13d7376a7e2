// The bridges command on a 300 x 200 sheet of the shell's drawing: the order
// of its list, its panel over the drawing's bridges, edit mode, placement by
// clicks and the preview under the cursor.
#include "shell_fixture.h"

#include "api/NAPIBase.h"
#include "model/sheet_statics.h"
#include "shell/BridgesProcess.h"
#include "shell/Starters.h"

#include <cmath>
#include <limits>

namespace shelltest {
namespace {

// A bridge as the list's order sees it.
class FakeBridge : public napi::RefCounted<IJumper> {
public:
    FakeBridge(std::wstring name, BridgeType type, double width) : name(std::move(name)), type(type), width(width) {}
    std::wstring GetName() override { return name; }
    void SetName(std::wstring) override {}
    bool GetChoose() override { return false; }
    void Choose(bool) override {}
    void InvertChoose() override {}
    bool GetValid() override { return true; }
    void SetEdit(bool) override {}
    bool CheckReference(int) override { return false; }
    int GetReference() override { return 0; }
    void GetGabarit(NRect&) override {}
    int GetView() override { return -1; }
    void SetCurrentView() override {}
    NResult SetPlacement(double, double, double) override { return NResult::Done; }
    void ChangeView(int) override {}
    void SaveParams() override {}
    BridgeType GetType() override { return type; }
    NResult SetType(BridgeType) override { return NResult::Done; }
    double GetWidth() override { return width; }
    NResult SetWidth(double) override { return NResult::Done; }
    bool GetByNormal() override { return false; }
    void SetByNormal(bool) override {}
    bool IsTwoPoints() override { return false; }
    void SetOwner1(const INObjectPtr&) override {}
    void SetOwner2(const INObjectPtr&) override {}
    NResult SetPoint1(double, double) override { return NResult::Done; }
    NResult SetPoint2(double, double) override { return NResult::Done; }
    void GetPhantomGroup(double, double, bool, int&) override {}
    void ReBuild() override {}

    std::wstring name;
    BridgeType type;
    double width;
};

TEST(BridgeOrderTest, NamesByCodesTypesAndWidthsAscendingStableAndWidthsThatAreNoNumberLast)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        BridgeOrder order;
        std::vector<std::tuple<std::wstring, BridgeType, double>> bridges;
        std::vector<std::wstring> sorted;
    } cases[] = {
        {BridgeOrder::Name, {{L"B2", {}, 1}, {L"A10", {}, 1}, {L"A9", {}, 1}}, {L"A10", L"A9", L"B2"}},
        {BridgeOrder::Name, {{L"b", {}, 1}, {L"a", {}, 1}, {L"B", {}, 1}, {L"ab", {}, 1}}, {L"B", L"a", L"ab", L"b"}},
        {BridgeOrder::Type,
         {{L"x", BridgeType::CrossStart, 1}, {L"y", BridgeType::Double, 1}, {L"z", BridgeType::Gap, 1},
          {L"w", BridgeType::Double, 1}},
         {L"z", L"y", L"w", L"x"}},
        {BridgeOrder::Width,
         {{L"nan", {}, nan}, {L"30", {}, 30}, {L"5", {}, 5}, {L"12.5", {}, 12.5}, {L"5b", {}, 5}},
         {L"5", L"5b", L"12.5", L"30", L"nan"}},
        {BridgeOrder::None, {{L"b", {}, 2}, {L"a", {}, 1}}, {L"b", L"a"}},
    };
    for (const Case& c : cases) {
        std::vector<INObjectPtr> bridges;
        for (const auto& [name, type, width] : c.bridges)
            bridges.emplace_back(static_cast<INObject*>(new FakeBridge(name, type, width)));
        SortBridges(bridges, c.order);
        std::vector<std::wstring> names;
        for (const INObjectPtr& bridge : bridges)
            names.push_back(bridge->GetName());
        EXPECT_EQ(names, c.sorted) << static_cast<int>(c.order);
    }
}

class BridgesTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        model = CreateNestingModelInstance();
        model->SetWidthSheet(300.0);
        model->SetHeightSheet(200.0);
        sheet = model->AddSheet();
        sheet->SetCurrentView();
        model->SaveParams();
    }
    void TearDown() override
    {
        BaseProcess::ReleaseCurrent();
        sheet = nullptr;
        model = nullptr;
        ShellTest::TearDown();
    }
    // A bridge of the drawing at x on the sheet's lower edge (one of two
    // points to its upper edge), its macro on layer 0.
    void AddBridge(double x, double width, BridgeType type = BridgeType::Gap)
    {
        IJumperPtr bridge = model->CreateJumper(0.0, 0.0, width, type, false);
        double y = 0.0;
        bridge->SetOwner1(model->CheckObjectForJumperOwner(sheet->GetReference(), x, y, width, NestingObjectType::Sheet));
        bridge->SetPoint1(x, y);
        if (bridge->IsTwoPoints()) {
            bridge->SetOwner2(sheet);
            bridge->SetPoint2(x, y + 200.0);
        }
        ASSERT_EQ(model->AddJumper(bridge, 0), NResult::Done);
    }
    // The bridges of the drawing as a fresh model reads them.
    static std::vector<IJumperPtr> DrawnBridges()
    {
        const INestingModelPtr fresh = CreateNestingModelInstance();
        fresh->InitSheetsFromActiveDoc();
        fresh->InitJumpersFromActiveDoc();
        std::vector<INObjectPtr> objects;
        fresh->GetJumperObjects(objects);
        std::vector<IJumperPtr> bridges;
        for (const INObjectPtr& object : objects)
            bridges.emplace_back(object);
        return bridges;
    }
    bool Has(const std::string& line) const { return user->Dump().find(line + "\n") != std::string::npos; }
    vlapi::IPropertyControlPtr List() const { return user->Find(L"Список мостиков"); }
    size_t Bridges() const { return DrawnBridges().size(); }

    SavedSheetStatics statics;
    INestingModelPtr model;
    ISheetPtr sheet;
};

TEST_F(BridgesTest, OpensOnTheDrawingsBridgesWithTheirButtonsAndTheLayer)
{
    struct Case {
        int bridges;
        const char* sortButton;  // 7101
    } cases[] = {
        {0, "    button 7101 icon 57346 \"Сортировать по имени\" disabled font \"Nesting Icons\""},
        {1, "    button 7101 icon 57346 \"Сортировать по имени\" disabled font \"Nesting Icons\""},
        {2, "    button 7101 icon 57346 \"Сортировать по имени\" pressed font \"Nesting Icons\""},
    };
    int added = 0;
    for (const Case& c : cases) {
        for (; added < c.bridges; ++added)
            AddBridge(60.0 + 100.0 * added, 30.0);
        RunBridgesProcess();
        EXPECT_EQ(user->Caption(), L"Мостики");
        EXPECT_EQ(user->Prompt(), L"Укажите базовую точку мостика");
        EXPECT_TRUE(Has(c.sortButton)) << user->Dump();
        EXPECT_TRUE(Has("  length \"Ширина\" = \"30\" range 0..1000"));
        EXPECT_TRUE(Has("  colour \"Слой мостиков\" = C8D200"));
        // Confirm is offered with no bridge too: deleting every one is an edit to keep.
        EXPECT_TRUE(user->Enter()) << c.bridges;
    }
    EXPECT_EQ(Bridges(), 2u);
}

// Bridges selected in the drawing open edit mode; the panel shows what the
// chosen bridges have in common.
TEST_F(BridgesTest, EditModeShowsTheCommonWidthAndType)
{
    struct Case {
        std::pair<double, BridgeType> first, second;
        const char* width;
        const char* type;
    } cases[] = {
        {{30.0, BridgeType::Gap}, {30.00005, BridgeType::Gap}, "30", "0"},
        {{20.0, BridgeType::Double}, {40.0, BridgeType::Left}, "30", "-1"},
        {{12.0, BridgeType::Left}, {12.0, BridgeType::Left}, "12", "2"},
    };
    for (const Case& c : cases) {
        user->New();
        model = CreateNestingModelInstance();
        sheet = model->AddSheet();
        sheet->SetCurrentView();
        AddBridge(60.0, c.first.first, c.first.second);
        AddBridge(200.0, c.second.first, c.second.second);
        model->SaveParams();
        ASSERT_TRUE(user->Select(user->Objects(L"macros")));
        RunBridgesProcess();
        EXPECT_EQ(user->Prompt(), L"Режим редактирования");
        const std::string dump = user->Dump();
        EXPECT_TRUE(Has(std::string("  length \"Ширина\" = \"") + c.width + "\" range 0..1000")) << dump;
        EXPECT_NE(dump.find(std::string("  list \"Тип мостика\" = ") + c.type + " ["), std::string::npos) << dump;
        EXPECT_NE(dump.find("    item 1 [x]"), std::string::npos) << dump;
        EXPECT_TRUE(Has("  editcheck state 1 disabled")) << dump;
    }
}

// A new width is drawn: each chosen bridge is built again; a width of zero is refused.
TEST_F(BridgesTest, AWidthChangeRebuildsTheChosenBridgesAndZeroIsRefused)
{
    AddBridge(60.0, 30.0);
    AddBridge(200.0, 30.0);
    model->SaveParams();
    RunBridgesProcess();
    ASSERT_TRUE(user->CheckItem(List(), 0, true));
    const auto boxWidth = [](const IJumperPtr& bridge) {
        NRect box;
        bridge->GetGabarit(box);
        return box.pTop.x - box.pBot.x;
    };
    const double before = boxWidth(DrawnBridges()[0]);
    ASSERT_TRUE(user->SetValue(user->Find(L"Ширина"), L"12"));
    // The rebuilt macro is the drawing's newest.
    std::vector<IJumperPtr> drawn = DrawnBridges();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_DOUBLE_EQ(drawn[0]->GetWidth(), 30.0);
    EXPECT_DOUBLE_EQ(drawn[1]->GetWidth(), 12.0);
    EXPECT_NEAR(boxWidth(drawn[1]), before * 12.0 / 30.0, 1e-6);

    ASSERT_TRUE(user->SetValue(user->Find(L"Ширина"), L"0"));
    EXPECT_TRUE(Has("  length \"Ширина\" = \"12\" range 0..1000")) << user->Dump();
    EXPECT_DOUBLE_EQ(DrawnBridges()[1]->GetWidth(), 12.0);
}

// Two clicks on the sheet's edges place a start bridge; a click on it chooses
// it, the list's delete removes the chosen ones; cancel gives the drawing its
// bridge back and takes those of this run away.
TEST_F(BridgesTest, ClicksPlaceChooseAndDeleteBridgesAndCancelGivesTheDrawingBack)
{
    AddBridge(60.0, 30.0);
    model->SaveParams();
    RunBridgesProcess();
    ASSERT_TRUE(user->SetValue(user->Find(L"Тип мостика"), L"тип 8 - двойной переход"));
    ASSERT_TRUE(user->Cursor(150.0, 0.0, false));
    ASSERT_TRUE(user->Cursor(150.0, 0.0, true));
    EXPECT_EQ(user->Prompt(), L"Укажите вторую точку мостика");
    ASSERT_TRUE(user->Cursor(150.0, 200.0, true));
    EXPECT_EQ(user->Prompt(), L"Укажите базовую точку мостика");
    ASSERT_TRUE(user->Cursor(230.0, 0.0, true));
    ASSERT_TRUE(user->Cursor(230.0, 200.0, true));
    EXPECT_EQ(Bridges(), 3u);
    EXPECT_NE(user->Dump().find("    item 2 [ ]"), std::string::npos) << user->Dump();

    // A click on the bridge of the drawing chooses it; the delete takes the chosen.
    ASSERT_TRUE(user->Cursor(60.0, 15.0, true));
    EXPECT_NE(user->Dump().find("    item 0 [x] \"Мостик: 1 b30.0 тип-1\""), std::string::npos) << user->Dump();
    ASSERT_TRUE(user->Press(List(), vlapi::vlControlCommandDelete));
    EXPECT_EQ(Bridges(), 2u);

    // Edit mode takes no clicks and says so in the first-point box.
    ASSERT_TRUE(user->CheckItem(List(), 0, true));
    ASSERT_TRUE(user->Press(List(), BridgesProcess::kEditMode));
    EXPECT_EQ(user->Prompt(), L"Режим редактирования");
    EXPECT_NE(user->Dump().find("\"Выбор объекта здесь недоступен\""), std::string::npos) << user->Dump();
    ASSERT_TRUE(user->Cursor(150.0, 0.0, true));
    EXPECT_EQ(Bridges(), 2u);
    ASSERT_TRUE(user->Press(List(), BridgesProcess::kEditMode));
    EXPECT_EQ(user->Prompt(), L"Укажите базовую точку мостика");

    ASSERT_TRUE(user->Esc());
    ASSERT_EQ(Bridges(), 1u);
    EXPECT_EQ(DrawnBridges()[0]->GetType(), BridgeType::Gap);
    // The sheet given back is a copy: the bridge still knows it.
    EXPECT_EQ(DrawnBridges()[0]->GetName(), L"Мостик: 1 b30.0 тип-1");
}

// The preview of one move goes before the next one is drawn, and the last one
// with the command, also when the bridge that drew it is gone; a drawing that
// cannot have the bridges layer gets no bridge.
TEST_F(BridgesTest, OnePreviewAtATimeNoneAfterTheCommandAndNoBridgeWithoutTheLayer)
{
    const size_t objects = DrawingObjects();
    auto noLayer = std::make_unique<vlhost::FailureScope>("ILayers::Add");
    RunBridgesProcess();
    ASSERT_TRUE(user->SetValue(user->Find(L"Тип мостика"), L"тип 8 - двойной переход"));
    ASSERT_TRUE(user->Cursor(100.0, 100.0, false));
    const size_t preview = DrawingObjects() - objects;
    EXPECT_GT(preview, 0u);
    for (double x : {110.0, 120.0, 130.0})
        ASSERT_TRUE(user->Cursor(x, 100.0, false));
    EXPECT_EQ(DrawingObjects(), objects + preview);

    ASSERT_TRUE(user->Cursor(150.0, 0.0, true));
    ASSERT_TRUE(user->Cursor(150.0, 200.0, true));
    EXPECT_EQ(Bridges(), 0u);
    EXPECT_EQ(user->Prompt(), L"Укажите вторую точку мостика");

    // With the layer the same click makes the bridge whose preview stands; deleted, it takes nothing along.
    noLayer.reset();
    ASSERT_TRUE(user->Cursor(150.0, 200.0, true));
    ASSERT_EQ(Bridges(), 1u);
    ASSERT_TRUE(user->CheckItem(List(), 0, true));
    ASSERT_TRUE(user->Press(List(), vlapi::vlControlCommandDelete));
    ASSERT_TRUE(user->ClosePanel());
    EXPECT_EQ(DrawingObjects(), objects);
}

}  // namespace
}  // namespace shelltest
