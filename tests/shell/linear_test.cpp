// Linear nesting: the list-file reader and the numbers of a field (no host),
// and the editor's calculation, sorts and reading back of its drawing.
#include "command_fixture.h"

#include <gmock/gmock.h>

#include <map>
#include <set>

namespace shelltest {
namespace {

TEST(DetailList, ReadsRowsAndCountsWhatItSkips)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::wstring, double>> details;  // name, length
        size_t skipped;
        bool error;
    } cases[] = {
        {"cells ending in ;", "Имя;Длина;Кол;\nA;1250.5;4;\nB;800;2;\n", {{L"A", 1250.5}, {L"B", 800}}, 0, false},
        {"header only", "Имя;Длина;Кол\n", {}, 0, false},
        {"empty field drops the line", "h\nA;;4\nB;800;2\n", {{L"B", 800}}, 1, false},
        {"leading ; drops the line", "h\n;A;1;2\n", {}, 1, false},
        {"fourth field ignored, units after numbers", "h\nD;500 мм;1 шт;x\n", {{L"D", 500}}, 0, false},
        {"header with an empty cell stays the header", "Имя;;Кол\nA;10;1\n", {{L"A", 10}}, 0, false},
        {"blank lines ignored, CR dropped", "\r\n  \nh\r\nA;1,5;3\r\n\n", {{L"A", 1.5}}, 0, false},
        {"too few fields, no number, negatives", "h\nA;1\nB;x;1\nC;5;-1\nE;-5;1\nF;5;1\n", {{L"F", 5}}, 4, false},
        {"BOM skipped", "\xEF\xBB\xBFh\nA;7;1\n", {{L"A", 7}}, 0, false},
        {"not UTF-8", "h\nA\xC3;7;1\n", {}, 0, true},
        {"overlong form", "h\n\xC0\xAF;1;1\n", {}, 0, true},
    };
    for (const Case& c : cases) {
        const DetailList list = ParseDetailList(c.bytes);
        EXPECT_EQ(list.skipped, c.skipped) << c.name;
        EXPECT_EQ(!list.error.empty(), c.error) << c.name;
        ASSERT_EQ(list.details.size(), c.details.size()) << c.name;
        for (size_t i = 0; i < c.details.size(); ++i) {
            EXPECT_EQ(list.details[i].name, c.details[i].first) << c.name;
            EXPECT_DOUBLE_EQ(list.details[i].length, c.details[i].second) << c.name;
        }
    }
    EXPECT_FALSE(ReadDetailList("/no/such/list.csv").error.empty());
    // Twenty rows: no limit on an import.
    std::string many = "h\n";
    for (int i = 0; i < 20; ++i)
        many += "P" + std::to_string(i) + ";100;1\n";
    EXPECT_EQ(ParseDetailList(many).details.size(), 20u);
}

TEST(DetailList, FieldNumbers)
{
    struct Case {
        const wchar_t* text;
        bool length;  // read as a length
        double lengthValue;
        bool count;  // read as a count
        int32_t countValue;
    } cases[] = {
        {L"  12.5e1x", true, 125.0, true, 12},
        {L"4.7", true, 4.7, true, 4},
        {L"+3,5 мм", true, 3.5, true, 3},
        {L"", false, 0, false, 0},
        {L"abc", false, 0, false, 0},
        {L".", false, 0, false, 0},
        {L"-1", false, 0, false, 0},
        {L"1e999", false, 0, true, 1},
        {L"99999999999", true, 99999999999.0, false, 0},
    };
    for (const Case& c : cases) {
        double length = -7;
        int32_t count = -7;
        EXPECT_EQ(ReadDetailLength(c.text, length), c.length) << vlhost::Host::Utf8(c.text);
        EXPECT_EQ(ReadDetailCount(c.text, count), c.count) << vlhost::Host::Utf8(c.text);
        EXPECT_DOUBLE_EQ(length, c.length ? c.lengthValue : -7) << vlhost::Host::Utf8(c.text);
        EXPECT_EQ(count, c.count ? c.countValue : -7) << vlhost::Host::Utf8(c.text);
    }
}

class LinearTest : public CommandTest {
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        editor.m_model = CreateNestingModelInstance();
        editor.m_model->SetWidthSheet(2000.0);
        editor.m_model->SetHeightSheet(50.0);
        editor.m_model->SetFigureGap(5.0);
        editor.m_seed = 7;
    }
    // Pieces of each detail name over all bars of the plan.
    std::map<std::wstring, int> Pieces() const
    {
        std::map<std::wstring, int> pieces;
        for (const LNResultParams& p : editor.m_results)
            for (size_t i = 0; i < p.counts.size(); ++i)
                pieces[editor.m_details[i].name] += p.counts[i] * static_cast<int>(p.count);
        return pieces;
    }
    // Each pattern as name -> pieces per bar, with its bars.
    std::vector<std::pair<std::map<std::wstring, int>, double>> Patterns() const
    {
        std::vector<std::pair<std::map<std::wstring, int>, double>> patterns;
        for (const LNResultParams& p : editor.m_results) {
            std::map<std::wstring, int> bar;
            for (size_t i = 0; i < p.counts.size(); ++i)
                if (p.counts[i] > 0)
                    bar[editor.m_details[i].name] = p.counts[i];
            patterns.emplace_back(bar, p.count);
        }
        return patterns;
    }
    LinearNestingEditor editor;
};

TEST_F(LinearTest, PiecesAndBarCarryTheGapAndLeftOutRowsKeepTheirPlace)
{
    editor.m_details = {{L"A", 500, 9}, {L"Z", 0.1, 3}, {L"B", 700, 4}, {L"N", 300, 0}};
    editor.CalculateLinearNesting();
    ASSERT_FALSE(editor.m_results.empty());
    for (const LNResultParams& p : editor.m_results) {
        ASSERT_EQ(p.counts.size(), 4u);
        EXPECT_EQ(p.counts[1], 0);
        EXPECT_EQ(p.counts[3], 0);
        // 505 and 705 in a bar of 2005: four of A would fit 2000 but not 2005 with gaps.
        EXPECT_LE(p.counts[0] * 505 + p.counts[2] * 705, 2005);
        EXPECT_NEAR(p.efficiency, (p.counts[0] * 500.0 + p.counts[2] * 700.0) * 100.0 / 2005.0, 1e-9);
        EXPECT_GT(p.count, 0.0);
    }
    const std::map<std::wstring, int> pieces = Pieces();
    EXPECT_GE(pieces.at(L"A"), 9);
    EXPECT_GE(pieces.at(L"B"), 4);
    for (size_t i = 1; i < editor.m_results.size(); ++i)
        EXPECT_GE(editor.m_results[i - 1].efficiency, editor.m_results[i].efficiency);

    const auto patterns = Patterns();
    editor.SortDetailsByLength();
    EXPECT_EQ(Patterns(), patterns);
    editor.SortDetailsByNames();
    EXPECT_EQ(editor.m_details.front().name, L"A");
    EXPECT_EQ(Patterns(), patterns);
    editor.SortDetailsByCounts();
    EXPECT_EQ(Patterns(), patterns);
    editor.SortResultBySheetsCounts();
    for (size_t i = 1; i < editor.m_results.size(); ++i)
        EXPECT_GE(editor.m_results[i - 1].count, editor.m_results[i].count);
}

TEST_F(LinearTest, NothingToCutOrNoPlanGivesAMessageAndNoPatterns)
{
    struct Case {
        std::vector<LNDetailParams> details;
        const wchar_t* message;
    } cases[] = {
        {{{L"A", 0.1, 2}, {L"B", 500, 0}}, L"Нет деталей для расчёта"},
        {{}, L"Нет деталей для расчёта"},
        {{{L"A", 2500, 1}}, L"Исходная задача неразрешима!"},
    };
    for (const Case& c : cases) {
        editor.m_details = c.details;
        editor.m_results = {{{1}, 1.0, 50.0}};
        editor.CalculateLinearNesting();
        EXPECT_TRUE(editor.m_results.empty());
        EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), testing::HasSubstr(vlhost::Host::Utf8(c.message)));
    }
}

// Each pattern as "name length" -> pieces per bar, with its bars, in any order.
std::multiset<std::pair<std::map<std::wstring, int>, double>> Plan(const LinearNestingEditor& e)
{
    std::multiset<std::pair<std::map<std::wstring, int>, double>> plan;
    for (const LNResultParams& p : e.m_results) {
        std::map<std::wstring, int> bar;
        for (size_t i = 0; i < p.counts.size(); ++i)
            if (p.counts[i] > 0)
                bar[e.m_details[i].name + L" " + std::to_wstring(e.m_details[i].length)] = p.counts[i];
        plan.emplace(bar, p.count);
    }
    return plan;
}

TEST_F(LinearTest, TheDrawnPatternsReadBackAsTheyWere)
{
    editor.m_model->AddSheet();
    editor.m_details = {{L"A", 1000, 2}, {L"A", 1200, 1}, {L"B", 400, 3}};
    editor.CalculateLinearNesting();
    ASSERT_FALSE(editor.m_results.empty());
    LinearNestingEditor::m_visualSheets = true;
    editor.VisualizeNesting();
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), editor.m_results.size());

    // Rows by name and length: the two A rows stay apart, and each drawn piece
    // counts for the row of its name and length.
    LinearNestingEditor again;
    const INestingModelPtr model = CreateNestingModelInstance();
    model->InitSheetsFromActiveDoc();
    model->InitFiguresFromActiveDoc();
    again.Init(model);
    EXPECT_TRUE(LinearNestingEditor::m_visualSheets);
    EXPECT_EQ(again.m_details.size(), 3u);
    EXPECT_EQ(Plan(again), Plan(editor));

    // Without patterns to show: one empty bar and a strip per usable row.
    LinearNestingEditor::m_visualSheets = false;
    again.m_details = {{L"A", 1000, 2}, {L"Z", 0.1, 1}};
    again.VisualizeNesting();
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), 1u);
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 1u);
}

}  // namespace
}  // namespace shelltest
