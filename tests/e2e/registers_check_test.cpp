// job_check's reading of the registers against the drawing: registers that
// say what was drawn pass, and each way one can say otherwise is named.
#include "job_check/Registers.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using jobcheck::Job;
using jobcheck::RegisterRows;

const std::wstring kParts = L"Ведомость деталей";
const std::wstring kMaps = L"Ведомость карт раскроя";
const std::wstring kLinear = L"Ведомость линейного раскроя";
const std::wstring kRemnants = L"Ведомость делового отхода";

jobcheck::Outline Box(double x, double y, double w, double h)
{
    return {{{{{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, w * h}}, {}};
}

jobcheck::PartRecord Part(const std::wstring& name, int view, int sheet, double x, double w)
{
    jobcheck::PartRecord p;
    p.name = name;
    p.view = view;
    p.sheet = sheet;
    p.thickness = 2.0;
    p.material = L"Ст3";
    p.outline = Box(x, 0, w, 40);
    return p;
}

// Bars of 6000 × 40 mm, 2 mm, Ст3, a 3 mm cut: B1 holds 2450.5 twice and
// 987.3, B2 215.5 three times.
Job LinearJob()
{
    Job job;
    job.method = 1;
    job.figureGap = 3.0;
    job.sheetThickness = 2.0;
    job.sheetMaterial = L"Ст3";
    job.sheets = {{L"B1", 1, 1.0, {{0, 0}, {6000, 40}}, 1.0}, {L"B2", 2, 1.0, {{0, 0}, {6000, 40}}, 2.0}};
    job.parts = {Part(L"P", 1, 0, 0, 2450.5), Part(L"P", 1, 0, 2453.5, 2450.5), Part(L"Q", 1, 0, 4907, 987.3)};
    for (int i = 0; i < 3; ++i)
        job.parts.push_back(Part(L"R", 2, 1, 218.5 * i, 215.5));
    return job;
}

const RegisterRows kLinearRows = {
    {L"Имя заготовки", L"Размеры заготовки, мм", L"Материал", L"Кол-во заготовок", L"Имя детали", L"Длина детали, мм",
     L"Кол-во деталей", L"Длина остатка, мм", L"Имя остатка"},
    {L"B1", L"6000x40x2", L"Ст3", L"1", L"P", L"2450.5", L"2", L"102.7", L""},
    {L"", L"", L"", L"", L"Q", L"987.3", L"1", L"", L""},
    {L"B2", L"6000x40x2", L"Ст3", L"2", L"R", L"215.5", L"3", L"5344.5", L"B2-2"},
};

// S1 holds A, S2 holds B, C lies in the container; sheets of Ст3, 2 mm.
Job FigureJob()
{
    Job job;
    job.sheetThickness = 2.0;
    job.sheetMaterial = L"Ст3";
    job.sheets = {{L"S1", 1, 1.0, {{0, 0}, {2500.5, 1250}}, 1.0, 0, 0, 12.5},
                  {L"S2", 2, 1.0, {{0, 0}, {2500, 1250}}, 1.0, 0, 0, 3.25}};
    job.parts = {Part(L"A", 1, 0, 10, 100), Part(L"B", 2, 1, 10, 100), Part(L"C", 3, -1, 0, 100)};
    job.remnants = {{L"Отход S1-1(1) 2x300x300 Ст3", 1, true, Box(0, 0, 300, 300)}};
    return job;
}

const RegisterRows kPartsRows = {
    {L"Имя детали", L"Кол-во", L"Материал", L"Толщина, мм", L"Имя карты"},
    {L"A", L"1", L"Ст3", L"2.00", L"S1"},
    {L"B", L"1", L"Ст3", L"2.00", L"S2"},
    {L"C", L"1", L"Ст3", L"2.00", L"не размещены"},
};

const RegisterRows kMapsRows = {
    {L"Имя карты", L"Материал", L"Толщина, мм", L"Длина, мм", L"Ширина, мм", L"Кол-во", L"Эффект-сть, %",
     L"Периметр, мм", L"Номера остатков"},
    {L"S1", L"Ст3", L"2.00", L"2500.5", L"1250", L"1", L"12.50", L"0.00", L"S1-1"},
    {L"S2", L"Ст3", L"2.00", L"2500", L"1250", L"1", L"3.25", L"0.00", L""},
};

const RegisterRows kRemnantsRows = {
    {L"Имя карты", L"№ остатка", L"Размер остатка, мм"},
    {L"S1", L"S1-1", L"2x300x300"},
};

struct Case {
    const char* what;
    std::function<void(Job&, std::map<std::wstring, RegisterRows>&)> spoil;
    bool linear;
    const char* fault;  // what the check names; none for registers as drawn
};

// Q 987.24 mm long, 102.76 mm left of B1.
void QOf98724(Job& job, std::map<std::wstring, RegisterRows>& registers)
{
    job.parts[2] = Part(L"Q", 1, 0, 4907, 987.24);
    registers[kLinear][2][5] = L"987.2";
}

// A second remnant on S1, 300 mm long and `width` wide, listed by both registers.
void ListedS12(Job& job, std::map<std::wstring, RegisterRows>& registers, double width)
{
    job.remnants.push_back({L"Отход S1-2(2) 2x300x10 Ст3", 1, true, Box(400, 0, 300, width)});
    registers[kMaps][1][8] = L"S1-1\nS1-2";
    registers[kRemnants].push_back({L"S1", L"S1-2", L"2x300x10"});
}

const Case kCases[] = {
    {"a linear job as drawn", [](Job&, auto&) {}, true, nullptr},
    {"a figure job as drawn", [](Job&, auto&) {}, false, nullptr},
    {"lengths rounded to millimetres", [](Job&, auto& r) { r[kLinear][1][5] = L"2450"; }, true, "no line of \"P\" 2450"},
    {"a remainder rounded to millimetres", [](Job&, auto& r) { r[kLinear][1][7] = L"106"; }, true, "remainder \"106\""},
    {"a remainder in whole tenths, rounded down", QOf98724, true, nullptr},
    {"a remainder rounded up to a tenth", [](Job& j, auto& r) { QOf98724(j, r), r[kLinear][1][7] = L"102.8"; }, true,
     "remainder \"102.8\""},
    {"an offcut under the minimum named a remnant", [](Job&, auto& r) { r[kLinear][1][8] = L"B1-1"; }, true, "is waste"},
    {"a remnant left unnamed", [](Job&, auto& r) { r[kLinear][3][8] = L""; }, true, "is the remnant \"B2-2\""},
    {"a bar count", [](Job&, auto& r) { r[kLinear][3][3] = L"1"; }, true, "bars \"1\""},
    {"bars of another material", [](Job&, auto& r) { r[kLinear][3][2] = L"09Г2С"; }, true,
     "material \"09Г2С\", the drawing's \"Ст3\""},
    {"a bar's width never given", [](Job& j, auto&) { j.barSized = 1; }, true, "a width \"40\" never given"},
    {"a bar given its length alone",
     [](Job& j, auto& r) {
         j.barSized = 1, j.sheetThickness = 0.0, j.sheetMaterial.clear();
         for (const size_t row : {1, 3})
             r[kLinear][row][1] = L"6000", r[kLinear][row][2] = L"";
     },
     true, nullptr},
    {"a thickness never given", [](Job& j, auto& r) { j.barSized = 1, j.sheetThickness = 0.0, r[kLinear][1][1] = L"6000x—x2"; },
     true, "a thickness \"2\" never given"},
    {"parts on no map not marked", [](Job&, auto& r) { r[kParts][3][4] = L""; }, false, "does not say it is not placed"},
    {"parts in the container listed on a map", [](Job&, auto& r) { r[kParts][3][4] = L"S1"; }, false,
     "\"C\" on no map: 0 listed, the drawing holds 1"},
    {"parts left on a sheet of another material",
     [](Job& j, auto&) {
         j.sheetMaterial = L"AISI 304";
         j.sheetThickness = 3.0;
     },
     false, "\"A\" of \"Ст3\" stands on \"S1\" of \"AISI 304\""},
    {"a sheet's length rounded to millimetres", [](Job&, auto& r) { r[kMaps][1][3] = L"2500"; }, false,
     "length \"2500\", the drawing 2500"},
    {"a utilisation the drawing does not show", [](Job&, auto& r) { r[kMaps][2][6] = L"0.00"; }, false,
     "utilisation \"0.00\", the drawing 3.25"},
    {"a remnant of another size", [](Job&, auto& r) { r[kRemnants][1][2] = L"2x300x301"; }, false,
     "\"S1-1\" of \"2x300x301\", the drawing 300 x 300"},
    {"a remnant's sides in whole millimetres, rounded down",
     [](Job& j, auto&) { j.remnants[0].outline = Box(0, 0, 300.7, 300.9); }, false, nullptr},
    {"a remnant's side rounded up", [](Job& j, auto& r) {
         j.remnants[0].outline = Box(0, 0, 300.7, 300);
         r[kRemnants][1][2] = L"2x301x300";
     },
     false, "\"S1-1\" of \"2x301x300\", the drawing 300.7 x 300"},
    {"a remnant of the sheets' thickness before they changed", [](Job& j, auto&) { j.sheetThickness = 3.0; },
     false, "a thickness of 2 mm in \"2x300x300\", the sheets' 3"},
    {"a remnant narrower than the minimum size left out",
     [](Job& j, auto&) { j.remnants.push_back({L"Отход S1-2(2) 2x300x9 Ст3", 1, true, Box(400, 0, 300, 9)}); }, false,
     nullptr},
    {"a remnant a hair under the minimum size listed", [](Job& j, auto& r) { ListedS12(j, r, 10 - 1.3e-5); }, false,
     "\"S1\": 2 remnants listed, the drawing holds 1"},
    {"a remnant the minimum size to the rounding of doubles listed",
     [](Job& j, auto& r) { ListedS12(j, r, 10 - 1e-9); }, false, nullptr},
    {"a map holding nothing", [](Job& j, auto&) { j.parts[1].sheet = -1, j.parts[1].view = 3; }, false,
     "2 maps, the drawing has 1 sheets holding parts"},
};

TEST(JobCheckRegisters, RegistersAsDrawnPassAndEachDisagreementIsNamed)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Job job = c.linear ? LinearJob() : FigureJob();
        std::map<std::wstring, RegisterRows> registers;
        if (c.linear)
            registers[kLinear] = kLinearRows;
        else
            registers = {{kParts, kPartsRows}, {kMaps, kMapsRows}, {kRemnants, kRemnantsRows}};
        c.spoil(job, registers);
        std::string faults;
        const size_t checked = jobcheck::CheckRegisters(job, registers, 250.0, [&](const std::string& f) { faults += f + "\n"; });
        EXPECT_EQ(checked, registers.size());
        if (!c.fault)
            EXPECT_EQ(faults, "");
        else
            EXPECT_NE(faults.find(c.fault), std::string::npos) << faults;
    }
}

}  // namespace

// A CSV cell against its table's: a text a spreadsheet would take for a
// formula stands after an apostrophe, which the registers' reading drops;
// any other cell is the table's own.
TEST(JobCheckCsv, ATextThatLooksLikeAFormulaStandsAfterAnApostrophe)
{
    const auto expect = [](const std::wstring& csv, const std::wstring& table, bool same, bool evaluated,
                           const std::wstring& text) {
        SCOPED_TRACE(vlhost::Host::Utf8(csv));
        EXPECT_EQ(jobcheck::SameCell(csv, table), same);
        EXPECT_EQ(jobcheck::Evaluated(csv), evaluated);
        EXPECT_EQ(jobcheck::CellText(csv), text);
    };
    // After its apostrophe a formula is the table's text; bare, a spreadsheet evaluates it.
    for (const std::wstring formula : {L"=1+2", L"-10 Планка", L"@SUM(1)", L" =1+2", L"\n@A"}) {
        expect(L"'" + formula, formula, true, false, formula);
        expect(formula, formula, true, true, formula);
    }
    // Numbers and other texts are the table's own; an apostrophe before one is the cell's own.
    for (const wchar_t* text : {L"+7", L"-2.5e3", L"Плита"})
        expect(text, text, true, false, text);
    expect(L"'Плита", L"Плита", false, false, L"'Плита");
    expect(L"'", L"", false, false, L"'");
}
