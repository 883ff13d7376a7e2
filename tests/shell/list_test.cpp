// The object list of a command panel over a host edit list or grid: its rows
// for flat lists and figure groups, and the way back from rows to objects.
#include "support/host_fixture.h"

#include "api/NAPIBase.h"
#include "shell/ListObiects.h"

#include <gmock/gmock.h>

namespace shelltest {
namespace {

// A figure of a model as the list sees it.
class FakeFigure : public napi::RefCounted<IFigure> {
public:
    FakeFigure(std::wstring name, int ref, bool chosen, bool valid)
        : name(std::move(name)), ref(ref), chosen(chosen), valid(valid)
    {
    }
    std::wstring GetName() override { return name; }
    void SetName(std::wstring n) override { name = std::move(n); }
    bool GetChoose() override { return chosen; }
    void Choose(bool c) override
    {
        ++chooseCalls;
        chosen = c;
    }
    void InvertChoose() override { chosen = !chosen; }
    bool GetValid() override { return valid; }
    void SetEdit(bool) override {}
    bool CheckReference(int r) override { return r == ref; }
    int GetReference() override { return ref; }
    void GetGabarit(NRect&) override {}
    int GetView() override { return -1; }
    void SetCurrentView() override {}
    NResult SetPlacement(double, double, double) override { return NResult::Done; }
    void ChangeView(int) override {}
    void SaveParams() override {}
    void InitChoose() override {}
    NResult SetThickness(double) override { return NResult::Done; }
    void SetMaterial(std::wstring) override {}
    double GetThickness() override { return 0.0; }
    std::wstring GetMaterial() override { return {}; }
    int32_t GetCount() override { return 1; }

    std::wstring name;
    int ref;
    bool chosen;
    bool valid;
    int chooseCalls = 0;
};

class ListTest : public hosttest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        param = application->CreateProcessParam();
        controls = param->GetPropertyTabs()->Add(L"Объекты")->GetControls();
    }
    FakeFigure& Add(const std::wstring& name, bool chosen = false, bool valid = true)
    {
        auto* figure = new FakeFigure(name, static_cast<int>(figures.size()) + 1, chosen, valid);
        figures.emplace_back(figure);
        return *figure;
    }
    IFigurePtr Figure(size_t i) const { return figures[i]; }
    INObjectPtr Object(size_t i) const { return INObjectPtr(figures[i]); }
    static std::vector<std::wstring> Names(const std::vector<INObjectPtr>& objects)
    {
        std::vector<std::wstring> names;
        for (const INObjectPtr& object : objects)
            names.push_back(object->GetName());
        return names;
    }
    struct Row {
        std::wstring text;
        bool checked;
        bool invalid;
        bool operator==(const Row&) const = default;
    };
    static std::vector<Row> Rows(const ListObiects& list)
    {
        std::vector<Row> rows;
        const vlapi::IPropertyEditListPtr control = list.GetControl();
        for (int i = 0; i < control->GetCount(); ++i)
            rows.push_back({control->GetItemText(i), control->GetItemChecked(i), control->GetItemInvalid(i)});
        return rows;
    }

    vlapi::IProcessParamPtr param;
    vlapi::IPropertyControlsPtr controls;
    std::vector<IFigurePtr> figures;
};

TEST_F(ListTest, GroupsOfThreeOneNoneAndTwoTakeTheirRowsAndRowsLeadBackToTheirFigures)
{
    Add(L"A1", true);
    Add(L"A2", true, false);
    Add(L"A3", true);
    Add(L"B", false, false);
    Add(L"C1", true);
    Add(L"C2", false, false);
    const IFiguresTree tree = {{Figure(0), Figure(1), Figure(2)}, {Figure(3)}, {}, {Figure(4), Figure(5)}};
    ListObiects list;
    list.Init(false, controls, L"Детали", vlapi::vlCheckUndefined, true);
    list.UpdateControls(tree);
    const std::wstring in = L"     ";
    EXPECT_EQ(Rows(list), (std::vector<Row>{{L"A1", true, false},
                                            {in + L"A1", true, false},
                                            {in + L"A2", true, true},
                                            {in + L"A3", true, false},
                                            {L"B", false, false},  // one figure: no header, no invalid mark
                                            {L"C1", false, false},
                                            {in + L"C1", true, false},
                                            {in + L"C2", false, true}}));

    // Row by row: a header row chooses its whole group, a member row its figure.
    const vlapi::IPropertyControlPtr control(list.GetControl());
    struct Case {
        int row;
        bool select;
        std::vector<bool> chosen;  // A1 A2 A3 B C1 C2 afterwards
    } cases[] = {
        {0, false, {false, false, false, false, true, false}},
        {2, true, {false, true, false, false, true, false}},
        {4, true, {false, true, false, true, true, false}},
        {5, true, {false, true, false, true, true, true}},
        {7, false, {false, true, false, true, true, false}},
        {8, true, {false, true, false, true, true, false}},   // past the last row
        {-1, true, {false, true, false, true, true, false}},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(list.SelectItem(control, c.row, c.select)) << c.row;
        std::vector<bool> chosen;
        for (const IFigurePtr& figure : figures)
            chosen.push_back(figure->GetChoose());
        EXPECT_EQ(chosen, c.chosen) << c.row;
    }

    // Refilled, the ticks read back as figures; header rows give none.
    list.SelectItem(control, 5, true);
    list.UpdateControls(tree);
    std::vector<INObjectPtr> selected;
    list.GetSelectedObjects(selected);
    EXPECT_EQ(Names(selected), (std::vector<std::wstring>{L"A2", L"B", L"C1", L"C2"}));

    list.InvertSelect(figures[0]->GetReference());
    EXPECT_TRUE(figures[0]->GetChoose());
    EXPECT_TRUE(list.CheckReference(figures[5]->GetReference()));
    EXPECT_FALSE(list.CheckReference(99));
    // Renaming is for flat lists only.
    list.BeginEditItemName();
    list.EndEditItemName();
    EXPECT_EQ(figures[0]->GetName(), L"A1");
}

TEST_F(ListTest, AFlatListDropsAbsentEntriesSoThatEveryTickFindsItsObject)
{
    Add(L"A");
    Add(L"B", true);
    Add(L"C", true, false);
    ListObiects list;
    list.Init(false, controls, L"Мостики", vlapi::vlCheckCurrent, true);
    EXPECT_EQ(list.GetCheckState(), vlapi::vlCheckCurrent);
    list.UpdateControls({Object(0), nullptr, Object(1), Object(2)});
    EXPECT_EQ(Rows(list), (std::vector<Row>{{L"A", false, false}, {L"B", true, false}, {L"C", true, true}}));

    // A row the list did not make belongs to no object.
    const vlapi::IPropertyEditListPtr control = list.GetControl();
    control->SetItemChecked(control->AddItem(L"чужая"), true);
    std::vector<INObjectPtr> selected = {Object(0)};
    list.GetSelectedObjects(selected);
    EXPECT_EQ(Names(selected), (std::vector<std::wstring>{L"B", L"C"}));

    // The first chosen object's row is edited; every ticked row renames its object.
    const size_t mark = host->State().transcript.size();
    list.BeginEditItemName();
    EXPECT_EQ(host->State().transcript.size() > mark ? host->State().transcript.back() : "",
              ". editlist \"Мостики\".EditItem(1)");
    control->SetItemText(1, L"B2");
    control->SetItemText(2, L"C2");
    control->SetItemChecked(0, false);
    list.EndEditItemName();
    EXPECT_EQ(Names({Object(0), Object(1), Object(2)}), (std::vector<std::wstring>{L"A", L"B2", L"C2"}));

    // Choosing all touches only the unchosen; unchoosing touches every object.
    auto& a = dynamic_cast<FakeFigure&>(*figures[0].get());
    auto& b = dynamic_cast<FakeFigure&>(*figures[1].get());
    list.SelectAll();
    EXPECT_EQ(std::make_pair(a.chooseCalls, b.chooseCalls), std::make_pair(1, 0));
    list.UnselectAll();
    EXPECT_EQ(std::make_pair(a.chooseCalls, b.chooseCalls), std::make_pair(2, 1));

    // Controls: only the list's own, whatever the button.
    const vlapi::IPropertyControlPtr own(control);
    const vlapi::IPropertyControlPtr other = controls->Add(vlapi::vlControlEditList);
    EXPECT_TRUE(list.ControlCommand(own, 12345));
    EXPECT_FALSE(list.ControlCommand(other, 2));
    EXPECT_FALSE(list.ControlCommand(nullptr, 2));
    EXPECT_FALSE(list.SelectItem(other, 0, true));
    EXPECT_TRUE(list.SelectItem(own, 3, true));  // past the objects: nothing
    EXPECT_FALSE(a.chosen);
}

TEST_F(ListTest, AGridShowsNamesAndReadsNoTicks)
{
    Add(L"A");
    Add(L"B");
    ListObiects list;
    list.Init(true, controls, L"Таблица", vlapi::vlCheckCurrent, false);
    EXPECT_FALSE(list.GetControl());
    EXPECT_EQ(list.GetCheckState(), vlapi::vlCheckUndefined);
    const vlapi::IPropertyGridPtr grid(controls->GetItem(controls->GetCount() - 1));
    ASSERT_TRUE(grid);

    list.UpdateControls(std::vector<INObjectPtr>{});
    EXPECT_EQ(grid->GetRowCount(), 1);
    list.UpdateControls({Object(0), nullptr, Object(1)});
    ASSERT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetCellText(2, 0), L"B");
    EXPECT_EQ(grid->GetCellText(2, 1), L"1");

    std::vector<INObjectPtr> untouched = {Object(1)};
    list.GetSelectedObjects(untouched);
    EXPECT_EQ(Names(untouched), std::vector<std::wstring>{L"B"});

    // A tree is kept (and found by reference) while the grid shows nothing of it.
    list.UpdateControls(std::vector<INObjectPtr>{});
    list.UpdateControls(IFiguresTree{{Figure(0)}});
    EXPECT_EQ(grid->GetRowCount(), 1);
    EXPECT_TRUE(list.CheckReference(figures[0]->GetReference()));
    // With a flat list held too, the flat list alone answers.
    list.UpdateControls({Object(1)});
    EXPECT_FALSE(list.CheckReference(figures[0]->GetReference()));
    EXPECT_TRUE(list.CheckReference(figures[1]->GetReference()));
}

}  // namespace
}  // namespace shelltest
