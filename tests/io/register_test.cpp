// The five registers, each from drawings built for its cases: the rows of the
// table document as expected, and its CSV twin equal to the table cell by cell.
#include "io/io_fixture.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "io/Reporter.h"

#include <string_view>

namespace iotest {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;

struct Register {
    bool ReportParams::*flag;
    std::wstring name;
};
const Register kCards{&ReportParams::addTableCards, L"Ведомость карт раскроя"};
const Register kDetails{&ReportParams::addTableDetails, L"Ведомость деталей"};
const Register kMaterials{&ReportParams::addTableMaterial, L"Ведомость материалов"};
const Register kWastes{&ReportParams::addTableWastes, L"Ведомость делового отхода"};
const Register kLinear{&ReportParams::addTableLN, L"Ведомость линейного раскроя"};

class RegisterTest : public IoTest {
protected:
    std::filesystem::path DocsFolder() const { return Out() / "Документация"; }
    std::filesystem::path FileOf(const Register& reg, const char* ext) const
    {
        return DocsFolder() / (vrnApi::detail::PathOf(reg.name).string() + ext);
    }

    // Stores the job and documents it with the register's flag alone.
    void Document(const Register& reg)
    {
        Store();
        Reporter reporter;
        reporter.Init();
        ReportParams params;
        params.folder = OutText();
        params.*reg.flag = true;
        reporter.SetParams(params);
        reporter.SetLinearMinimumRemnant(minimumRemnant);
        reporter.CreateDocumentation();
    }

    // Documents the job and reads the table back; the CSV twin must equal it
    // cell by cell, a text a spreadsheet would take for a formula ("=", "+",
    // "-" or "@" first, blanks before it or not) after an apostrophe.
    TableFile Run(const Register& reg)
    {
        Document(reg);
        EXPECT_EQ(ErrorMessages(), 0u) << vlhost::Host::Utf8(Messages().empty() ? L"" : Messages().back().text);
        TableFile table = ReadTableFile(FileOf(reg, ".vfw"));
        Rows twin = table.cells;
        for (std::vector<std::wstring>& row : twin)
            for (std::wstring& cell : row)
                if (const size_t first = cell.find_first_not_of(L" \n");
                    first != std::wstring::npos && std::wstring_view(L"=+-@").find(cell[first]) != std::wstring_view::npos)
                    cell = L"'" + cell;
        EXPECT_EQ(Csv(reg), twin);
        EXPECT_EQ(ExtraDocuments(), 0);
        return table;
    }

    Rows Csv(const Register& reg) const
    {
        return PythonCsv(PythonCheck("csv", {FileOf(reg, ".csv")})[FileOf(reg, ".csv").string()]);
    }

    // Data rows (the titles dropped).
    static Rows Data(const TableFile& table)
    {
        return table.cells.empty() ? Rows{} : Rows(table.cells.begin() + 1, table.cells.end());
    }

    double minimumRemnant = registers::kLinearMinimumRemnant;

    // A linear-nesting bar and its details, each L x the bar's width, laid
    // along it with the model's gap between them.
    SheetPtr Bar(const std::wstring& name, double length, double count, const std::vector<std::pair<std::wstring, double>>& details)
    {
        SheetPtr bar = AddSheet(name, length, 40.0, count);
        double x = 0.0;
        for (const auto& [detail, l] : details) {
            AddRectPart(bar, detail, l, 40.0, x, 0.0);
            x += l + model.m_figureGap;
        }
        return bar;
    }
};

// Sizes as drawn, to a tenth of a millimetre.
TEST_F(RegisterTest, MapsShowSizesCountsResultsAndRemnantLabels)
{
    model.m_figureGap = 0.0;
    SheetPtr s1 = AddSheet(L"S1", 2500.5, 1000.0, 2.5);
    AddRectPart(s1, L"P", 2086.8, 1000.0, 0.0, 0.0);
    AddWaste(s1, 2100, 0, 100, 100);
    AddWaste(s1, 2100, 200, 100, 100);
    AddWaste(s1, 2100, 400, 100, 100);
    SheetPtr s2 = AddSheet(L"S2", 2500.6, 1000.0, 1000000.0);
    AddWaste(s2, 0, 0, 100, 100);
    AddRectPart(s2, L"Q", 10, 10, 200, 200);
    AddRectPart(AddSheet(L"S3", 1000.0, 500.0, 1.0000000001), L"Q", 10, 10, 0, 0);
    // A sheet that holds nothing is not cut: no row, nor its remnant.
    AddWaste(AddSheet(L"S4", 1000.0, 500.0), 0, 0, 100, 100);

    const TableFile table = Run(kCards);
    ASSERT_TRUE(table.read);
    const Rows expected = {
        {L"S1", L"Ст3", L"2.00", L"2500.5", L"1000", L"3", L"83.46", L"6173.60", L"S1-1\nS1-2\nS1-3"},
        {L"S2", L"Ст3", L"2.00", L"2500.6", L"1000", L"1000000", L"0.00", L"40.00", L"S2-1"},
        {L"S3", L"Ст3", L"2.00", L"1000", L"500", L"1", L"0.02", L"40.00", L""},
    };
    EXPECT_EQ(Data(table), expected);
    EXPECT_EQ(table.cells.front().back(), L"Номера остатков");
    EXPECT_EQ(table.heights, (std::vector<double>{12.0, 28.0, 12.0, 12.0}));
    EXPECT_DOUBLE_EQ(table.y, 48.0);
    EXPECT_DOUBLE_EQ(table.titleY, 51.0);
    EXPECT_EQ(table.title, L"Ведомость карт раскроя");
}

const std::wstring kOverlap = L"На картах раскроя детали наложены друг на друга, по ним резать нельзя; эффективность и "
                               L"периметр в ведомости карт раскроя посчитаны по всем деталям карты, каждая целиком";
const std::wstring kLeftOut = L"На картах раскроя есть детали, которые из листа не вырезать; в эффективность и "
                              L"периметр ведомости карт раскроя они не вошли:\nS: ";
const std::wstring kOther = L" (другой толщины или материала)";

// A sheet's utilisation and cut length count its parts of the sheets' stock,
// each whole, as its result table does: parts over one another count (and
// the sheet is named with them); a part of another thickness, or one over the
// sheet's edge or wholly off it in its view, is not cut from it and does not,
// and is named so.
TEST_F(RegisterTest, ASheetCountsItsPartsOfItsStockEachWholeOverlappingOrNot)
{
    model.m_figureGap = 0.0;
    // 100 x 100, 0: the sheets' thickness; or a joined pair of triangles
    // (100 x 60 each), two parts.
    struct Part { const wchar_t* name; double x, y, thickness = 0.0; bool pair = false; };
    const struct {
        const char* what;
        std::vector<Part> parts;
        const wchar_t *utilisation, *cut;
        std::wstring warning;
    } cases[] = {
        {"a part of another thickness alone", {{L"P", 0, 0, 3}}, L"0.00", L"0.00", kLeftOut + L"P" + kOther},
        {"a part over the sheet's edge beside one on it", {{L"P", 0, 0}, {L"Q", 950, 0}}, L"2.00", L"400.00",
         kLeftOut + L"Q (за краем листа)"},
        {"a part wholly off the sheet beside one on it", {{L"P", 0, 0}, {L"Q", 1500, 0}}, L"2.00", L"400.00",
         kLeftOut + L"Q (за краем листа)"},
        {"a part over two others", {{L"P", 0, 0}, {L"Q", 150, 0}, {L"R", 75, 50}}, L"6.00", L"1200.00",
         kOverlap + L":\nS (деталей: 3): P, Q, R"},
        {"parts over one another beside one of another thickness", {{L"P", 0, 0}, {L"P", 50, 0}, {L"T", 300, 0, 3}},
         L"4.00", L"800.00", kOverlap + L", кроме названных ниже:\nS (деталей: 2): P\n\n" + kLeftOut + L"T" + kOther},
        {"a joined pair over a part", {{L"P", 0, 0}, {L"T", 50, 0, 0, true}}, L"3.20", L"953.24",
         kOverlap + L":\nS (деталей: 3): P, T"},
        {"a joined pair over the sheet's edge", {{L"P", 0, 0}, {L"T", 950, 0, 0, true}}, L"2.00", L"400.00",
         kLeftOut + L"T (за краем листа), T (за краем листа)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FreshDrawing();
        Messages().clear();
        const SheetPtr sheet = AddSheet(L"S", 1000.0, 500.0);
        for (const Part& p : c.parts)
            if (const FigurePtr part = p.pair ? AddCompound(sheet, p.name, p.x, p.y)
                                              : AddRectPart(sheet, p.name, 100, 100, p.x, p.y);
                p.thickness)
                part->SetThickness(p.thickness);
        const Rows expected = {{L"S", L"Ст3", L"2.00", L"1000", L"500", L"1", c.utilisation, c.cut, L""}};
        EXPECT_EQ(Data(Run(kCards)), expected);
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages().back().text, c.warning);
        EXPECT_EQ(Messages().back().flags, vlapi::vlMBIconWarning);
    }
}

// Parts in the container are not cut: they stand after the maps' parts,
// marked, wherever their view lies among the sheets'.
TEST_F(RegisterTest, PartsAreGroupedByNameAndMapMapByMapThenThoseOnNoMapMarked)
{
    SheetPtr s1 = AddSheet(L"S1", 1000.0, 500.0);
    vrnApi::GetViewPtrByNumber(vrnApi::CreateContainerView(1000.0, 500.0))->SetCurrent(true);
    model.m_figures.push_back(Figure::Create(vrnApi::CreateMacroByRectangle(L"C", 20, 20, 101)));
    SheetPtr s2 = AddSheet(L"S2", 1000.0, 500.0);
    AddRectPart(s2, L"B", 50, 50, 0, 0);
    for (int i = 0; i < 5; ++i)
        AddRectPart(s1, L"A", 50, 50, 60.0 * i, 0);
    AddRectPart(s1, L"a", 50, 50, 0, 100);
    AddRectPart(s2, L"A", 50, 50, 100, 0);
    AddRectPart(s2, L"A", 50, 50, 200, 0);
    AddCompound(s2, L"T", 400, 0);
    // A part of its own thickness and material is listed with them, apart.
    const FigurePtr own = AddRectPart(s1, L"A", 50, 50, 0, 200);
    own->SetThickness(3.0);
    own->SetMaterial(L"AISI 304");
    vrnApi::SetActiveSystemView();
    model.m_figures.push_back(Figure::Create(vrnApi::CreateMacroByRectangle(L"C", 20, 20, 101)));

    const TableFile table = Run(kDetails);
    const Rows expected = {
        {L"A", L"5", L"Ст3", L"2.00", L"S1"},
        {L"a", L"1", L"Ст3", L"2.00", L"S1"},
        {L"A", L"1", L"AISI 304", L"3.00", L"S1"},
        {L"B", L"1", L"Ст3", L"2.00", L"S2"},
        {L"A", L"2", L"Ст3", L"2.00", L"S2"},
        {L"T", L"2", L"Ст3", L"2.00", L"S2"},
        {L"C", L"2", L"Ст3", L"2.00", L"не размещены"},
    };
    EXPECT_EQ(Data(table), expected);
    EXPECT_EQ(table.title, L"Ведомость вхождения деталей в карты раскроя");
}

TEST_F(RegisterTest, MaterialsSumTheBlanksOfEqualSheetsAndRoundUpOnce)
{
    struct Case {
        const char* what;
        std::vector<std::tuple<double, double, double>> sheets;  // width, height, count; a count 0 holds nothing
        Rows expected;
    };
    const Case cases[] = {
        {"equal outlines make one group whose counts add up; an empty sheet is no blank",
         {{1250, 2500, 2}, {3000, 1500, 1.5}, {1250, 2500, 1}, {1250.00001, 2500, 0.5}, {999, 999, 0}},
         {{L"1", L"1250", L"2500", L"2.00", L"Ст3", L"4"}, {L"2", L"3000", L"1500", L"2.00", L"Ст3", L"2"}}},
        {"noise is dropped before rounding up",
         {{1250.0000001, 2500, 1.1}, {1250, 2500, 1.3}, {1250, 2500, 0.6}, {1250.01, 2500, 1}},
         {{L"1", L"1250", L"2500", L"2.00", L"Ст3", L"3"}, {L"2", L"1251", L"2500", L"2.00", L"Ст3", L"1"}}},
        {"a million blanks are written in full", {{1000, 500, 999999.5}}, {{L"1", L"1000", L"500", L"2.00", L"Ст3", L"1000000"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshDrawing();
        for (auto [w, h, count] : c.sheets) {
            const SheetPtr sheet = AddSheet(L"S", w, h, count);
            if (count > 0)
                AddRectPart(sheet, L"P", 10, 10, 0, 0);
        }
        EXPECT_EQ(Data(Run(kMaterials)), c.expected);
    }
}

TEST_F(RegisterTest, RemnantsShowMapLabelAndSizeWithTheThicknessItself)
{
    struct Case {
        double thickness;
        std::wstring size;
    };
    for (const Case& c : {Case{1.5, L"1.5x1200x800"}, Case{0.4, L"0.4x1200x800"}, Case{0.0, L"1200x800"}}) {
        SCOPED_TRACE(c.thickness);
        FreshDrawing();
        model.m_thicknessSheet = c.thickness;
        SheetPtr k1 = AddSheet(L"K1", 3000.0, 1500.0);
        AddRectPart(k1, L"P", 10, 10, 2900, 1400);
        AddWaste(k1, 0, 0, 1200.4, 800.5);
        AddWaste(k1, 1500, 0, 2500.5 - 1500, 100);
        // Whole millimetres rounded down: never more stock than there is.
        AddWaste(k1, 1500, 200, 172.718, 35.067);
        // An L-shaped remnant is not rectangular: no size (its bounding box would promise more).
        k1->SetCurrentView();
        const NPoint o = k1->m_rect.pBot;
        const NPolygon ell({}, {{o.x + 0, o.y + 900}, {o.x + 300, o.y + 900}, {o.x + 300, o.y + 1000},
                                {o.x + 100, o.y + 1000}, {o.x + 100, o.y + 1200}, {o.x + 0, o.y + 1200}});
        WastePtr odd = Waste::Create(vrnApi::CreateMacroByPolygon(ell, L"", 104));
        model.InitWasteParams(odd, k1, false);
        model.m_wastes.push_back(odd);
        // One narrower than the minimum size (10 mm while none is given),
        // kept from an earlier one, is no stock: left out, and said so.
        AddWaste(k1, 1500, 400, 300, 6);

        const std::wstring t = c.thickness > 0 ? outputs::Format(L"%gx", c.thickness) : L"";
        const Rows expected = {
            {L"K1", L"K1-1", c.size},
            {L"K1", L"K1-2", t + L"1000x100"},
            {L"K1", L"K1-3", t + L"172x35"},
            {L"K1", L"K1-4", L""},
        };
        EXPECT_EQ(Data(Run(kWastes)), expected);
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back().text, L"Отходы уже минимального размера отхода 10 мм в ведомости не вошли:\nОтход K1-5(5) " +
                                              t + L"300x6 Ст3");
    }
}

// Names a spreadsheet would take for formulas ("=", "+", "-" or "@" first:
// parts, sheets and bars, materials, remnants by their maps) stay text in
// every CSV register, an apostrophe before them; the table documents keep
// them as they are, and numbers and other names stand as they are.
TEST_F(RegisterTest, NamesThatLookLikeFormulasStayTextInEveryCsv)
{
    NestingModel::m_materialSheet = L"-Ст3";
    const SheetPtr sheet = AddSheet(L"=S", 1500.0, 500.0);
    // The parts' cells in the register of details; each part is named without the apostrophe.
    const std::wstring details[] = {L"'=1+2", L"'-10 Планка", L"'+7", L"'@SUM(1)", L"'=HYPERLINK(\"http://x\",\"y\")",
                                    L"Плита", L"'  =1+2", L"'\n-5"};
    Rows detailRows;
    for (const std::wstring& cell : details) {
        AddRectPart(sheet, cell.substr(cell[0] == L'\''), 100, 50, 150.0 * detailRows.size(), 0);
        detailRows.push_back({cell, L"1", L"'-Ст3", L"2.00", L"'=S"});
    }
    AddWaste(sheet, 0, 300, 100, 100);
    // The table's first data cell as it is, and the CSV's data rows.
    const auto expect = [this](const Register& reg, const std::wstring& first, const Rows& rows) {
        SCOPED_TRACE(vlhost::Host::Utf8(reg.name));
        const TableFile table = Run(reg);
        ASSERT_FALSE(Data(table).empty());
        EXPECT_EQ(Data(table).front().front(), first);
        const Rows csv = Csv(reg);
        EXPECT_EQ(Rows(csv.begin() + 1, csv.end()), rows);
    };
    expect(kDetails, L"=1+2", detailRows);
    expect(kCards, L"=S", {{L"'=S", L"'-Ст3", L"2.00", L"1500", L"500", L"1", L"5.33", L"2400.00", L"'=S-1"}});
    expect(kMaterials, L"1", {{L"1", L"1500", L"500", L"2.00", L"'-Ст3", L"1"}});
    expect(kWastes, L"=S", {{L"'=S", L"'=S-1", L"2x100x100"}});
    FreshDrawing();
    Bar(L"-Прут", 6000.0, 1.0, {{L"+Деталь", 500}});
    expect(kLinear, L"-Прут",
           {{L"'-Прут", L"6000x40x2", L"'-Ст3", L"1", L"'+Деталь", L"500", L"1", L"5495", L"'-Прут-1"}});
}

// Lengths as planned, to a tenth of a millimetre. The remainder is what is
// left once every piece is cut off, with a cut of the gap between neighbours
// and one parting the offcut from the last piece (0 for a bar used up, or
// for an end no longer than that cut, never "-0"), named as a remnant only
// from the minimum up; pieces of one name and length are one line, pieces of equal
// length and other names lines of their own.
TEST_F(RegisterTest, LinearCutsListEachBarWithItsGroupedDetailsAndRemainder)
{
    NestingModel::m_materialSheet = L"M";
    model.m_figureGap = 3.0;
    Bar(L"B1", 6000.0, 3.0, {{L"D1500", 1500}, {L"D1500", 1500}, {L"D1500", 1500}, {L"D1200", 1200}});
    Bar(L"B2", 1000.0, 12345678.5, {});  // a count of eight digits, written in full
    Bar(L"B3", 1003.4, 1.0, {{L"E", 499.9}, {L"F", 499.8}});
    Bar(L"B4", 2000.0, 1.0, {{L"A", 500}, {L"C", 300}, {L"A", 500}});
    Bar(L"B5", 6000.0, 1.0, {{L"Стойка", 1000}, {L"Стойка", 1000}, {L"Ригель", 1000}, {L"Упор", 500}});
    Bar(L"B6", 1003.0, 2.0, {{L"E", 500}, {L"E", 500}});
    Bar(L"B7", 6000.0, 1.0, {{L"G", 2000}});
    Bar(L"B8", 6000.0, 1.0, std::vector<std::pair<std::wstring, double>>(25, {L"H", 150}));
    vrnApi::SetActiveSystemView();
    model.m_figures.push_back(Figure::Create(vrnApi::CreateMacroByRectangle(L"Stray", 100, 40, 101)));

    const TableFile table = Run(kLinear);
    const std::wstring _;
    const Rows expected = {
        {L"B1", L"6000x40x2", L"M", L"3", L"D1500", L"1500", L"3", L"288", L"B1-1"},
        {_, _, _, _, L"D1200", L"1200", L"1", _, _},
        {L"B2", L"1000x40x2", L"M", L"12345679", _, _, _, L"1000", L"B2-2"},
        {L"B3", L"1003.4x40x2", L"M", L"1", L"E", L"499.9", L"1", L"0", _},
        {_, _, _, _, L"F", L"499.8", L"1", _, _},
        {L"B4", L"2000x40x2", L"M", L"1", L"A", L"500", L"2", L"691", L"B4-4"},
        {_, _, _, _, L"C", L"300", L"1", _, _},
        {L"B5", L"6000x40x2", L"M", L"1", L"Стойка", L"1000", L"2", L"2488", L"B5-5"},
        {_, _, _, _, L"Ригель", L"1000", L"1", _, _},
        {_, _, _, _, L"Упор", L"500", L"1", _, _},
        {L"B6", L"1003x40x2", L"M", L"2", L"E", L"500", L"2", L"0", _},
        {L"B7", L"6000x40x2", L"M", L"1", L"G", L"2000", L"1", L"3997", L"B7-7"},
        {L"B8", L"6000x40x2", L"M", L"1", L"H", L"150", L"25", L"2175", L"B8-8"},
    };
    EXPECT_EQ(Data(table), expected);
    EXPECT_DOUBLE_EQ(table.y, 0.0);
    EXPECT_DOUBLE_EQ(table.titleY, 3.0);
}

// Pieces as planned to a tenth, remainders in whole tenths rounded down
// (never named longer than they are); an offcut shorter than the minimum is
// waste, with no remnant name, even one that the nearest tenth would make
// the minimum.
TEST_F(RegisterTest, LinearRemaindersToATenthNamedFromTheMinimumUp)
{
    struct Case {
        double minimum, bar, piece;
        int pieces;  // of P, beside one Q of 450 mm, 3 mm cut between each two
        std::wstring length, remainder, name;
    };
    const Case cases[] = {
        {250.0, 6000.0, 2450.5, 2, L"2450.5", L"640", L"B-1"},
        {250.0, 2908.0, 2450.5, 1, L"2450.5", L"1.5", L""},
        {250.0, 3156.5, 2450.5, 1, L"2450.5", L"250", L"B-1"},  // the minimum itself is a remnant
        {250.0, 3156.4, 2450.5, 1, L"2450.5", L"249.9", L""},
        {0.0, 2907.0, 2450.5, 1, L"2450.5", L"0.5", L"B-1"},     // no minimum: any offcut
        {0.0, 2903.5, 2450.5, 1, L"2450.5", L"0", L""},          // used up: no last cut
        {0.0, 2905.0, 2450.5, 1, L"2450.5", L"0", L""},          // an end shorter than the last cut
        {0.0, 2906.5, 2450.5, 1, L"2450.5", L"0", L""},          // as long as the last cut
        {250.0, 6000.0, 987.34, 1, L"987.3", L"4556.6", L"B-1"},  // 4556.66
        {100.0, 3006.46, 2450.5, 1, L"2450.5", L"99.9", L""},    // 99.96
        {100.0, 3006.54, 2450.5, 1, L"2450.5", L"100", L"B-1"},  // 100.04
        {250.0, 6000.0, 215.56, 1, L"215.6", L"5328.4", L"B-1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(c.length + L" leaving " + c.remainder));
        FreshDrawing();
        model.m_figureGap = 3.0;
        minimumRemnant = c.minimum;
        std::vector<std::pair<std::wstring, double>> pieces(static_cast<size_t>(c.pieces), {L"P", c.piece});
        pieces.emplace_back(L"Q", 450.0);
        Bar(L"B", c.bar, 1.0, pieces);
        const Rows data = Data(Run(kLinear));
        ASSERT_EQ(data.size(), 2u);
        EXPECT_EQ(data[0][5], c.length);
        EXPECT_EQ(data[0][7], c.remainder);
        EXPECT_EQ(data[0][8], c.name);
        EXPECT_EQ(data[1][5], L"450");
    }
}

TEST_F(RegisterTest, EachRegisterWithoutItsDataWritesNothing)
{
    for (const Register& reg : {kCards, kMaterials, kWastes, kDetails, kLinear}) {
        SCOPED_TRACE(vlhost::Host::Utf8(reg.name));
        Document(reg);
        EXPECT_FALSE(std::filesystem::exists(DocsFolder()));
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(RegisterTest, LinearCutsWithDetailsButNoBarsGiveTheTitlesAlone)
{
    vrnApi::SetActiveSystemView();
    model.m_figures.push_back(Figure::Create(vrnApi::CreateMacroByRectangle(L"D", 100, 40, 101)));
    const TableFile table = Run(kLinear);
    EXPECT_EQ(table.cells.size(), 1u);
}

}  // namespace
}  // namespace iotest
