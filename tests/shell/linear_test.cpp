// Linear nesting: the list-file reader and the numbers of a field (no host),
// and the editor's calculation, sorts and reading back of its drawing.
#include "command_fixture.h"

#include <gmock/gmock.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace shelltest {
namespace {

TEST(DetailList, ReadsRowsAndCountsWhatItSkips)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::wstring, double>> details;  // name, length
        size_t skipped;
        bool error = false;
    } cases[] = {
        {"cells ending in ;", "Имя;Длина;Кол;\nA;1250.5;4;\nB;800;2;\n", {{L"A", 1250.5}, {L"B", 800}}, 0},
        {"header only", "Имя;Длина;Кол\n", {}, 0},
        {"empty field drops the line", "h\nA;;4\nB;800;2\n", {{L"B", 800}}, 1},
        {"leading ; drops the line", "h\n;A;1;2\n", {}, 1},
        {"fourth field ignored, units after numbers", "h\nD;500 мм;1 шт;x\n", {{L"D", 500}}, 0},
        {"header with an empty cell stays the header", "Имя;;Кол\nA;10;1\n", {{L"A", 10}}, 0},
        {"blank lines ignored, CR dropped", "\r\n  \nh\r\nA;1,5;3\r\n\n", {{L"A", 1.5}}, 0},
        {"too few fields, no number, negatives", "h\nA;1\nB;x;1\nC;5;-1\nE;-5;1\nF;5;1\n", {{L"F", 5}}, 4},
        {"no header: a first line of numbers is a detail", "A;500;3;\nB;700;2;\n", {{L"A", 500}, {L"B", 700}}, 0},
        {"out of range, the first line too", "A;1e300;3\nB;0;1\nC;5;0\nD;5;1000000001\nE;1000000000;1000000000\n",
         {{L"E", 1e9}}, 4},
        {"BOM skipped", "\xEF\xBB\xBFh\nA;7;1\n", {{L"A", 7}}, 0},
        {"not UTF-8: Windows-1251", "\xC8\xEC\xFF;;\n\xC3\xE0\xE9\xEA\xE0;7;1\n", {{L"Гайка", 7}}, 0},
        {"overlong form: Windows-1251", "h\n\xC0\xAF;1;1\n", {{L"А\u0407", 1}}, 0},
        {"quoted names hold ; and quotes", "h\n\"A;1\";5;1\n \"B \"\"x\"\"\" ;6;1\n", {{L"A;1", 5}, {L"B \"x\"", 6}}, 0},
        {"tabs, CR alone ends a line", "h\rA\t;\t7,5\t;\t2\rB;8;1", {{L"A", 7.5}, {L"B", 8}}, 0},
        {"grouped digits", "h\nA;1 250,5;1\nB;1.250,5;1\nC;1,250.5;1\nD;1 25;1\n",
         {{L"A", 1250.5}, {L"B", 1250.5}, {L"C", 1250.5}}, 1},
        {"comment line and empty name named", "h\n# заметка\n;5;1\nA;5;1\n", {{L"A", 5}}, 2},
        {"same name, other lengths both kept", "h\nA;5;1\nA;6;2\n", {{L"A", 5}, {L"A", 6}}, 0},
        {"fractional count refused", "h\nA;5;4.7\nB;5;1e3\n", {}, 2},
        {"a quoted name holding a line break runs on", "h\n\"Балка\nдлинная\";7000;1\nB;5;1\n",
         {{L"Балка\nдлинная", 7000}, {L"B", 5}}, 0},
        {"a break in quotes written as CR LF", "h\r\n\"A\r\nB\" ;5;1\r\n", {{L"A\nB", 5}}, 0},
        {"a quote never closed keeps its line", "h\n\"A;5;1\nB;6;1\n", {{L"B", 6}}, 1},
        {"a quote closed into more text keeps its line", "h\n\"A;5;1\nB\"x;6;1\n", {{L"B\"x", 6}}, 1},
        {"UTF-16 is no list", std::string("\xFF\xFEh\0;\0l\0;\0c\0\nA\0;\0005\0;\0001\0", 23), {}, 0, true},
        {"a minus sign opens a number, the first line's too", "A;\u22125;1\nB;6;\u22121\nC;7;1\n", {{L"C", 7}}, 2},
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
    // Each line refused is named with its number and reason.
    const DetailList refused = ParseDetailList("A;1e300;3\n\nB;700;0\nC;84о;1\n");
    ASSERT_EQ(refused.refused.size(), 3u);
    EXPECT_THAT(vlhost::Host::Utf8(refused.refused[0]), testing::StartsWith("строка 1 «A»: длина детали"));
    EXPECT_THAT(vlhost::Host::Utf8(refused.refused[1]), testing::StartsWith("строка 3 «B»: количество"));
    EXPECT_EQ(vlhost::Host::Utf8(refused.refused[2]),
              "строка 4 «C»: за числом «84» стоит «о»: длина детали — число, после него можно написать только «мм»");
    // A row is named by the line it starts on, the lines its quoted field
    // runs over counted.
    const DetailList spanning = ParseDetailList("h\n\"A\nB\";5;1\nC;;1\r\n\"D\r\n\r\nE\";6;1\n");
    EXPECT_EQ(spanning.lines, (std::vector<size_t>{2, 5}));
    ASSERT_EQ(spanning.refused.size(), 1u);
    EXPECT_THAT(vlhost::Host::Utf8(spanning.refused[0]), testing::StartsWith("строка 4 «C»: пустое поле"));
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
    };
    std::vector<Case> cases = {
        {L"  12.5e1", true, 125.0, false, 0},
        {L"4.7", true, 4.7, false, 0},
        {L"+3,5 мм", true, 3.5, false, 0},
        {L"12 шт", false, 0, true, 12},
        {L"845 мм", true, 845, false, 0},
        {L"1200mm", true, 1200, false, 0},
        {L"1200 MM. ", true, 1200, false, 0},
        {L"845\u202Fмм", true, 845, false, 0},
        {L"4\u2009шт", false, 0, true, 4},
        {L"4 шт.", false, 0, true, 4},
        {L"1\u00A0250", true, 1250, true, 1250},
        {L"1'250,5", true, 1250.5, false, 0},
        {L"1000000000", true, 1e9, true, 1000000000},
    };
    // Read as neither. After a number only blanks or its unit: a letter for
    // a zero, a word or another unit refuses the field.
    for (const wchar_t* text : {L"84о", L"84o", L"84 см", L"12.5e1x", L"4 штуки", L"1,25.5", L"", L"abc", L".", L"-1",
                                L"1e999", L"99999999999", L"0"})
        cases.push_back({text, false, 0, false, 0});
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
        editor.m_model->SetNestingMethod(1);
        editor.m_seed = 7;
    }
    void Job(double bar, double gap, const std::vector<LNDetailParams>& details)
    {
        editor.m_model->SetWidthSheet(bar);
        editor.m_model->SetFigureGap(gap);
        editor.m_details = details;
    }
    // `into` set up from the drawing, as when the command starts anew.
    static void ReadBack(LinearNestingEditor& into)
    {
        const INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        into.Init(model);
    }
    // Pieces of each detail name the plan cuts, each bar checked to hold its
    // pieces with a gap between neighbours.
    std::map<std::wstring, int> Cut(double bar, double gap) const
    {
        std::map<std::wstring, int> cut;
        for (const LNResultParams& p : editor.m_results) {
            double used = -gap;
            EXPECT_EQ(p.counts.size(), editor.m_details.size());
            for (size_t i = 0; i < p.counts.size() && i < editor.m_details.size(); ++i) {
                EXPECT_GE(p.counts[i], 0);
                used += p.counts[i] * (editor.m_details[i].length + gap);
                if (p.counts[i] > 0)
                    cut[editor.m_details[i].name] += p.counts[i] * static_cast<int>(p.count);
            }
            EXPECT_LE(used, bar + 1e-6);
            EXPECT_GE(p.count, 1.0);
            EXPECT_EQ(p.count, std::floor(p.count));
        }
        return cut;
    }
    // Each pattern as "name length" -> pieces per bar, with its bars.
    static std::vector<std::pair<std::map<std::wstring, int>, double>> Patterns(const LinearNestingEditor& e)
    {
        std::vector<std::pair<std::map<std::wstring, int>, double>> patterns;
        for (const LNResultParams& p : e.m_results) {
            std::map<std::wstring, int> bar;
            for (size_t i = 0; i < p.counts.size(); ++i)
                if (p.counts[i] > 0)
                    bar[e.m_details[i].name + L" " + std::to_wstring(e.m_details[i].length)] = p.counts[i];
            patterns.emplace_back(bar, p.count);
        }
        return patterns;
    }
    // The same in any order.
    static std::multiset<std::pair<std::map<std::wstring, int>, double>> Plan(const LinearNestingEditor& e)
    {
        const auto patterns = Patterns(e);
        return {patterns.begin(), patterns.end()};
    }
    // The register of linear cuts written into `folder`, as its CSV text.
    std::string Register(const std::string& folder) { return Register(folder, editor); }
    std::string Register(const std::string& folder, LinearNestingEditor& from)
    {
        State().folderAnswers.push_back(File(folder));
        from.CreateReport();
        std::ifstream in(root / folder / "Документация" / "Ведомость линейного раскроя.csv", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    LinearNestingEditor editor;
};

// Jobs as the editor solves them: every row that fits the bar is cut exactly
// as often as wanted, each bar holds its pieces with a cut between
// neighbours, a row longer than the bar is named and the others still cut,
// rows of one name and length become one row with the counts added (not
// when that sum would pass the largest count: no plan then), and counts up
// to the largest a list takes are planned without a piece list.
TEST_F(LinearTest, EveryJobGetsAnExactPlanOfBarsThatFit)
{
    struct Case {
        const char* name;
        double bar;
        std::vector<LNDetailParams> details;
        std::map<std::wstring, int> cut;
        const char* message;
        double gap = 5.0;
    } cases[] = {
        {"equal rows", 2000, {{L"A", 500, 3}, {L"A", 500, 2}, {L"B", 700, 2}}, {{L"A", 5}, {L"B", 2}},
         "строка 1 «A»: 3 шт., строка 2 «A»: 2 шт., 500 мм, вместе 5 шт."},
        {"too long", 6000, {{L"A", 7000, 1}, {L"C", 529, 1000000}}, {{L"C", 1000000}}, "строка 1 «A»: 7000 мм"},
        {"huge count", 6000,
         {{L"A", 960, 10}, {L"B", 33, 22}, {L"C", 5, 421}, {L"D", 52, 100000000}, {L"E", 524, 16}, {L"F", 3161, 20}},
         {{L"A", 10}, {L"B", 22}, {L"C", 421}, {L"D", 100000000}, {L"E", 16}, {L"F", 20}}, ""},
        {"a billion", 6000, {{L"A", 960, 10}, {L"D", 52, 1000000000}}, {{L"A", 10}, {L"D", 1000000000}}, ""},
        {"a billion of each of two rows", 6000, {{L"A", 52, 1000000000}, {L"B", 53, 1000000000}},
         {{L"A", 1000000000}, {L"B", 1000000000}}, ""},
        {"equal rows of more than a row holds", 2000, {{L"A", 500, 1000000000}, {L"B", 700, 1}, {L"A", 500, 1000000000}},
         {}, "строка 1 «A», строка 3 «A», 500 мм: 2000000000 шт.\nРаскрой не рассчитан."},
        {"gap longer than pieces", 2000, {{L"A", 2, 50}, {L"B", 995, 3}}, {{L"A", 50}, {L"B", 3}}, ""},
        {"bar shorter than every piece", 400, {{L"A", 500, 1}, {L"B", 450, 2}}, {}, "строка 2 «B»: 450 мм"},
        {"pieces as long as the bar", 2000, {{L"A", 2000, 3}}, {{L"A", 3}}, ""},
        {"pieces as long as the bar, no gap", 2000, {{L"A", 2000, 3}, {L"B", 1000, 3}}, {{L"A", 3}, {L"B", 3}}, "", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Job(c.bar, c.gap, c.details);
        const int starts = State().progress.starts;
        State().messages.clear();
        editor.CalculateLinearNesting();
        EXPECT_EQ(State().progress.starts, starts + (c.cut.empty() ? 0 : 1));
        EXPECT_FALSE(State().progress.shown);
        EXPECT_EQ(Cut(c.bar, c.gap), c.cut);
        // Merged or not, the rows still ask for every piece.
        std::map<std::wstring, int64_t> asked, kept;
        for (const LNDetailParams& d : c.details)
            asked[d.name] += d.count;
        for (const LNDetailParams& d : editor.m_details)
            kept[d.name] += d.count;
        EXPECT_EQ(kept, asked);
        if (*c.message)
            EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), testing::HasSubstr(c.message));
        else
            EXPECT_TRUE(State().messages.empty());
    }
}

// Lists and jobs as users make them, drawn from a fixed seed: the reader
// takes only rows it can plan and names every line it leaves out; the editor
// cuts each row that fits its bar exactly as often as wanted.
TEST_F(LinearTest, RandomListsAndJobsGetExactPlans)
{
    std::mt19937 random(20261207);
    const char* tokens[] = {";", ";", ";", "\"", "\r", "\n", "\n", "1", "25", "0", ",", ".", " ", "\t",
                            "А", "\xFF", "e", "-", "#", "мм", "1 000", "\xEF\xBB\xBF"};
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        for (size_t t = random() % 80; t > 0; --t)
            bytes += tokens[random() % std::size(tokens)];
        const DetailList list = ParseDetailList(bytes);
        EXPECT_EQ(list.skipped, list.refused.size()) << bytes;
        for (const LNDetailParams& d : list.details)
            EXPECT_TRUE(!d.name.empty() && d.length > 0 && d.length <= 1e9 && d.count >= 1 && d.count <= 1000000000)
                << bytes;
    }
    for (int round = 0; round < 150; ++round) {
        const double bar = static_cast<double>(50 + random() % 12000);
        const double gap = static_cast<double>(random() % 6);
        std::vector<LNDetailParams> details;
        for (size_t r = random() % 9 + 1; r > 0; --r)
            details.push_back({L"P" + std::to_wstring(random() % 5),
                               static_cast<double>(random() % static_cast<uint32_t>(11 * bar)) / 10.0,
                               static_cast<int32_t>(random() % 30)});
        SCOPED_TRACE(round);
        Job(bar, gap, details);
        editor.CalculateLinearNesting();
        std::map<std::wstring, int> wanted;
        for (const LNDetailParams& d : editor.m_details)
            if (d.length > 0.1 && d.length <= bar && d.count > 0)
                wanted[d.name] += d.count;
        EXPECT_EQ(Cut(bar, gap), wanted);
    }
}

// A plan that is not drawn is what the register lists and what Enter keeps;
// the register then reads the same from the drawing, and the plan and its
// efficiencies read back the same after reopening.
TEST_F(LinearTest, APlanNotDrawnIsListedAsComputedAndKept)
{
    editor.m_model->AddSheet();
    editor.m_details = {{L"A", 500, 4}, {L"B", 700, 2}};
    editor.CalculateLinearNesting();
    ASSERT_FALSE(editor.m_results.empty());
    editor.VisualizeNesting();
    const std::string computed = Register("plan");
    EXPECT_THAT(computed, testing::HasSubstr("\"A\";\"500\";\"3\""));

    editor.KeepPlan();
    EXPECT_TRUE(LinearNestingEditor::m_visualSheets);
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), editor.m_results.size());
    EXPECT_EQ(Register("drawn"), computed);

    LinearNestingEditor again;
    ReadBack(again);
    const auto efficiencies = [](const LinearNestingEditor& e) {
        std::multiset<std::pair<std::multiset<int32_t>, double>> plan;
        for (const LNResultParams& p : e.m_results)
            plan.emplace(std::multiset<int32_t>(p.counts.begin(), p.counts.end()), p.efficiency);
        return plan;
    };
    EXPECT_EQ(efficiencies(again), efficiencies(editor));

    // A count edited and the plan computed again: the register lists the new
    // plan, whether it is drawn or not.
    editor.m_details[1].count = 5;
    editor.CalculateLinearNesting();
    LinearNestingEditor::m_visualSheets = false;
    const std::string recomputed = Register("recomputed");
    EXPECT_NE(recomputed, computed);
    LinearNestingEditor::m_visualSheets = true;
    editor.VisualizeNesting();
    EXPECT_EQ(Register("redrawn"), recomputed);
}

// The data lines of a register of linear cuts, its cells unquoted.
std::vector<std::vector<std::string>> Lines(const std::string& csv)
{
    std::vector<std::vector<std::string>> lines;
    std::istringstream text(csv);
    std::string line;
    std::getline(text, line);  // the titles
    while (std::getline(text, line)) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, ';');)
            cells.push_back(cell.size() >= 2 ? cell.substr(1, cell.size() - 2) : cell);
        cells.resize(9);
        lines.push_back(std::move(cells));
    }
    return lines;
}

// Pieces of each name a register of linear cuts lists, over all its bars.
std::map<std::string, long long> ListedPieces(const std::string& csv)
{
    std::map<std::string, long long> pieces;
    long long bars = 0;
    for (const std::vector<std::string>& cells : Lines(csv)) {
        if (!cells[0].empty())
            bars = std::stoll(cells[3]);
        if (!cells[4].empty())
            pieces[cells[4]] += bars * std::stoll(cells[6]);
    }
    return pieces;
}

// Lists of many pieces, with the plan drawn and not: the register lists
// every piece the list asks for, the drawn plan holds every piece of its
// patterns and reads back as the same register, and Enter keeps the plan
// whole; a plan whose patterns hold more pieces than a drawing is not made.
TEST_F(LinearTest, EveryRegisterListsEveryPieceOfThePlanWhateverIsShown)
{
    struct Case {
        const char* name;
        double bar, gap;
        std::vector<LNDetailParams> details;
        const char* refused;  // the message of a plan not made
    } cases[] = {
        {"200,003 pieces", 6000, 3, {{L"A", 1, 200000}, {L"B", 2000, 3}}, nullptr},
        {"ten million of one row", 6000, 3, {{L"A", 1, 10000000}}, nullptr},
        {"a billion on 90,909,091 bars", 6000, 3, {{L"A", 500, 1000000000}}, nullptr},
        {"more pieces than a drawing holds", 100000, 0.5, {{L"A", 0.5, 250000}, {L"B", 700, 3}},
         "Раскрой не составлен: деталей на его картах раскроя 250003 (карт 3), а чертёж раскроя вмещает не больше 20000"},
    };
    SuspendDocumentEvents();  // as while the source-data command runs
    for (const Case& c : cases) {
        for (const bool shown : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (shown ? ", shown" : ", not shown"));
            State().messages.clear();
            Job(c.bar, c.gap, c.details);
            LinearNestingEditor::m_visualSheets = shown;
            editor.CalculateLinearNesting();
            editor.VisualizeNesting();
            if (c.refused) {
                EXPECT_TRUE(editor.m_results.empty());
                EXPECT_EQ(vlhost::Host::Utf8(LastMessage()).rfind(c.refused, 0), 0u) << vlhost::Host::Utf8(LastMessage());
                EXPECT_EQ(MacrosOf(MacroCommand::Sheet), 1u) << "the details are drawn, no plan";
                continue;
            }
            std::map<std::string, long long> wanted;
            for (const LNDetailParams& d : c.details)
                wanted[vlhost::Host::Utf8(d.name)] += d.count;
            const std::string planned = Register(std::string(c.name) + (shown ? "1" : "0"));
            EXPECT_EQ(ListedPieces(planned), wanted);
            editor.KeepPlan();
            size_t drawn = 0;
            for (const LNResultParams& p : editor.m_results)
                for (int32_t count : p.counts)
                    drawn += static_cast<size_t>(count);
            EXPECT_EQ(MacrosOf(MacroCommand::Sheet), editor.m_results.size());
            EXPECT_EQ(MacrosOf(MacroCommand::Figure), drawn);
            // The documentation of the drawing lists what the plan does.
            LinearNestingEditor::m_visualSheets = true;
            editor.m_results.clear();
            EXPECT_EQ(Register(std::string(c.name) + (shown ? "1d" : "0d")), planned);
        }
    }
    ResumeDocumentEvents();
}

// The planner's rule (a bar holds pieces with a cut between neighbours) and
// the register's offcut (the bar less its pieces, those cuts and one more
// parting the offcut from the last piece) agree, drawn or not: a bar filled
// exactly leaves 0, an end shorter than the last cut goes in it.
TEST_F(LinearTest, TheOffcutIsTheBarLessItsPiecesAndTheCutsThatPartThem)
{
    struct Case {
        std::vector<LNDetailParams> details;
        const char* bars;  // count and remainder of each bar line, in the register's order
    } cases[] = {
        {{{L"A", 2000, 1}}, "1:3997;"},
        {{{L"A", 150, 25}}, "1:2175;"},
        {{{L"A", 2998.5, 2}}, "1:0;"},
        {{{L"A", 1998, 3}}, "1:0;"},
        {{{L"A", 5999, 1}}, "1:0;"},
        {{{L"A", 5996, 1}}, "1:1;"},
        {{{L"A", 1998.5, 3}}, "1:1997;1:3998.5;"},  // three take 6001.5 with their cuts: two bars
        {{{L"A", 1500.15, 3}}, "1:1490.5;"},  // 1490.55 (summed as 1490.5499999999993), rounded down
    };
    editor.m_model->SetWidthSheet(6000.0);
    editor.m_model->SetFigureGap(3.0);
    LinearNestingEditor::m_minWaste = 0.0;
    int run = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bars);
        editor.m_details = c.details;
        LinearNestingEditor::m_visualSheets = true;
        editor.CalculateLinearNesting();
        editor.VisualizeNesting();
        const std::string planned = Register("offcut" + std::to_string(run));
        std::string bars;
        for (const std::vector<std::string>& cells : Lines(planned))
            if (!cells[0].empty())
                bars += cells[3] + ":" + cells[7] + ";";
        EXPECT_EQ(bars, c.bars);
        // The drawing read back lists the same.
        editor.m_results.clear();
        EXPECT_EQ(Register("offcut-drawn" + std::to_string(run++)), planned);
    }
}

// The panel's minimum length of an offcut decides which remainders the
// register names as remnants; a folder holding another job's documents is
// said so once the register is written.
TEST_F(LinearTest, TheRegisterNamesOffcutsFromThePanelsMinimumAndTheDocumentsBesideIt)
{
    editor.m_model->AddSheet();
    editor.m_details = {{L"A", 1000.5, 1}};  // one bar: 994.5 mm left past the cut
    editor.CalculateLinearNesting();
    ASSERT_EQ(editor.m_results.size(), 1u);
    for (const auto& [minimum, remainder] : {std::pair{250.0, "\"994.5\";\"1-1\";"}, {994.5, "\"994.5\";\"1-1\";"},
                                             {1000.0, "\"994.5\";\"\";"}}) {
        LinearNestingEditor::m_minWaste = minimum;
        EXPECT_THAT(Register("minimum" + std::to_string(minimum)), testing::HasSubstr(remainder)) << minimum;
    }
    EXPECT_TRUE(State().messages.empty());
    const std::filesystem::path earlier = root / "shared" / "Документация" / "Ведомость деталей.csv";
    std::filesystem::create_directories(earlier.parent_path());
    std::ofstream(earlier) << "earlier";
    Register("shared");
    ASSERT_FALSE(State().messages.empty());
    EXPECT_EQ(State().messages.back().text, L"В папке остались документы прежних запусков, которых нет в этой "
                                            L"документации:\nДокументация/Ведомость деталей.csv");
}

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
        // The share of the 2000 mm bar the finished pieces take.
        EXPECT_NEAR(p.efficiency, (p.counts[0] * 500.0 + p.counts[2] * 700.0) * 100.0 / 2000.0, 1e-9);
        EXPECT_GT(p.count, 0.0);
    }
    const std::map<std::wstring, int> pieces = Cut(2000.0, 5.0);
    EXPECT_GE(pieces.at(L"A"), 9);
    EXPECT_GE(pieces.at(L"B"), 4);
    for (size_t i = 1; i < editor.m_results.size(); ++i)
        EXPECT_GE(editor.m_results[i - 1].efficiency, editor.m_results[i].efficiency);

    const auto patterns = Patterns(editor);
    editor.SortDetailsByLength();
    EXPECT_EQ(Patterns(editor), patterns);
    editor.SortDetailsByNames();
    EXPECT_EQ(editor.m_details.front().name, L"A");
    EXPECT_EQ(Patterns(editor), patterns);
    editor.SortDetailsByCounts();
    EXPECT_EQ(Patterns(editor), patterns);
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
        {{{L"A", 0.1, 2}, {L"B", 500, 0}}, L"Детали длиной не больше 0.1 мм не раскроены:\nстрока 1 «A»: 0.1 мм"},
        {{{L"B", 500, 0}}, L"Нет деталей для расчёта"},
        {{}, L"Нет деталей для расчёта"},
        {{{L"A", 2500, 1}}, L"Детали длиннее заготовки (2000 мм) не раскроены:\nстрока 1 «A»: 2500 мм"},
    };
    for (const Case& c : cases) {
        editor.m_details = c.details;
        editor.m_results = {{{1}, 1.0, 50.0}};
        editor.CalculateLinearNesting();
        EXPECT_TRUE(editor.m_results.empty());
        EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), testing::HasSubstr(vlhost::Host::Utf8(c.message)));
    }
}

// A drawn plan reopened reads back as it was, and its register lists each
// bar's pieces in the order they lie along it, as before, though the rows
// come back sorted by name.
TEST_F(LinearTest, TheDrawnPatternsReadBackAsTheyWere)
{
    editor.m_model->AddSheet();
    editor.m_details = {{L"B", 400, 3}, {L"A", 1000, 2}, {L"A", 1200, 1}};
    editor.CalculateLinearNesting();
    ASSERT_FALSE(editor.m_results.empty());
    LinearNestingEditor::m_visualSheets = true;
    editor.VisualizeNesting();
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), editor.m_results.size());

    // Rows by name and length: the two A rows stay apart, and each drawn piece
    // counts for the row of its name and length.
    LinearNestingEditor again;
    ReadBack(again);
    EXPECT_TRUE(LinearNestingEditor::m_visualSheets);
    EXPECT_EQ(again.m_details.size(), 3u);
    EXPECT_EQ(again.m_details.front().name, L"A");
    EXPECT_EQ(Plan(again), Plan(editor));
    const std::string drawn = Register("read back drawn");
    EXPECT_THAT(drawn, testing::HasSubstr("\"B\";\"400\""));
    EXPECT_EQ(Register("read back", again), drawn);

    // Without patterns to show: one empty bar and a strip per usable row.
    LinearNestingEditor::m_visualSheets = false;
    again.m_details = {{L"A", 1000, 2}, {L"Z", 0.1, 1}};
    again.VisualizeNesting();
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), 1u);
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 1u);
}

}  // namespace
}  // namespace shelltest
