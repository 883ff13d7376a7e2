#include "job_check/Registers.h"

#include "model/Params.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <optional>
#include <string_view>
#include <cwctype>

namespace jobcheck {
namespace {

constexpr double kTenth = 0.05 + 1e-6;      // mm a length may differ by, shown to a tenth
constexpr double kHundredth = 0.005 + 1e-6;  // a value shown to two decimals
constexpr double kSameLength = 1e-4;        // mm: pieces this close are of one length

const std::wstring kParts = L"Ведомость деталей";
const std::wstring kMaps = L"Ведомость карт раскроя";
const std::wstring kMaterials = L"Ведомость материалов";
const std::wstring kRemnants = L"Ведомость делового отхода";
const std::wstring kLinear = L"Ведомость линейного раскроя";

using Fault = std::function<void(const std::string&)>;

std::string Text(const std::wstring& text) { return vlhost::Host::Utf8(text); }

// The number a whole cell holds; none for an empty cell or one holding more.
std::optional<double> Number(const std::wstring& cell)
{
    if (cell.empty())
        return std::nullopt;
    wchar_t* end = nullptr;
    const double value = std::wcstod(cell.c_str(), &end);
    if (end != cell.c_str() + cell.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::wstring CellOf(const std::vector<std::wstring>& row, size_t column)
{
    return column < row.size() ? row[column] : std::wstring();
}

std::string Quoted(const std::wstring& text) { return "\"" + Text(text) + "\""; }

std::string Shown(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

// `what` of a row said as the register gives it and as the drawing holds it.
void Compare(const Fault& fault, const std::string& where, const std::string& what, const std::wstring& cell,
             double drawn, double within)
{
    const std::optional<double> value = Number(cell);
    if (!value || std::fabs(*value - drawn) > within)
        fault(where + ": " + what + " " + Quoted(cell) + ", the drawing " + Shown(drawn));
}

double Width(const NRect& r) { return r.pTop.x - r.pBot.x; }
double Height(const NRect& r) { return r.pTop.y - r.pBot.y; }

// The number of parts on the sheet.
size_t PartsOn(const Job& job, size_t sheet)
{
    return static_cast<size_t>(std::count_if(job.parts.begin(), job.parts.end(),
                                             [&](const PartRecord& p) { return p.sheet == static_cast<int>(sheet); }));
}

// Whether the registers list the remnant as stock: none is narrower either
// way than the least width any build of the drawing makes (the minimum size
// given, or, while none is, 10 mm and half the sheets' shorter side).
bool Stock(const Job& job, const RemnantRecord& remnant)
{
    constexpr double kDefaultMinimum = 10.0;  // mm
    constexpr double kLeastSide = 1.0;        // mm: a size registered as 0 below it
    ModelParams params;
    size_t offset = 0;
    double least = params.LoadModelParams(job.params, offset) && params.m_wastRectSize > 0.0 ? params.m_wastRectSize
                                                                                             : kDefaultMinimum;
    if (!(params.m_wastRectSize > 0.0)) {
        for (const SheetRecord& sheet : job.sheets)
            least = std::min(least, 0.5 * std::min(Width(sheet.rect), Height(sheet.rect)));
    }
    least = std::max(least, kLeastSide);
    const NRect box = BoxOf(remnant.outline);
    return Width(box) > least - kRemnantWidthShort && Height(box) > least - kRemnantWidthShort;
}

// The sheets the maps, materials and remnants registers are for: those holding a part.
std::vector<size_t> CutSheets(const Job& job)
{
    std::vector<size_t> cut;
    for (size_t s = 0; s < job.sheets.size(); ++s)
        if (PartsOn(job, s) > 0)
            cut.push_back(s);
    return cut;
}

double Blanks(double count) { return std::ceil(count - 1e-4); }

// Material and thickness as the register gives them for parts on a sheet,
// against the sheet's (what the part must match to be cut from it).
void CompareSheetStock(const Job& job, const Fault& fault, const std::string& where, const std::wstring& material,
                       const std::wstring& thickness)
{
    if (!job.sheetMaterial.empty() && !material.empty() && material != job.sheetMaterial)
        fault(where + ": material " + Quoted(material) + ", the sheets' " + Quoted(job.sheetMaterial));
    if (job.sheetThickness > 1e-4)
        Compare(fault, where, "thickness", thickness, job.sheetThickness, kHundredth);
}

// ---- the register of parts

void CheckParts(const Job& job, const RegisterRows& rows, const Fault& fault)
{
    // name → map (empty: on no map) → pieces
    std::map<std::pair<std::wstring, std::wstring>, int> drawn, listed;
    for (const PartRecord& part : job.parts) {
        const std::wstring map = part.sheet >= 0 ? job.sheets[static_cast<size_t>(part.sheet)].name : L"";
        ++drawn[{part.name, map}];
        if (part.sheet >= 0 && !job.sheetMaterial.empty() && !part.material.empty() && part.material != job.sheetMaterial)
            fault(Text(kParts) + ": " + Quoted(part.name) + " of " + Quoted(part.material) + " stands on " + Quoted(map) +
                  " of " + Quoted(job.sheetMaterial));
        if (part.sheet >= 0 && job.sheetThickness > 1e-4 && part.thickness > 1e-4 &&
            std::fabs(part.thickness - job.sheetThickness) > 1e-4)
            fault(Text(kParts) + ": " + Quoted(part.name) + " of " + Shown(part.thickness) + " mm stands on " + Quoted(map) +
                  " of " + Shown(job.sheetThickness) + " mm");
    }
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::wstring>& row = rows[r];
        const std::string where = Text(kParts) + " row " + std::to_string(r);
        const std::wstring map = CellOf(row, 4);
        const bool onSheet = std::any_of(job.sheets.begin(), job.sheets.end(),
                                         [&](const SheetRecord& s) { return s.name == map; });
        if (map.empty())
            fault(where + ": " + Quoted(CellOf(row, 0)) + " names no map and does not say it is not placed");
        const std::optional<double> count = Number(CellOf(row, 1));
        if (!count || *count < 1 || *count != std::floor(*count)) {
            fault(where + ": a count " + Quoted(CellOf(row, 1)));
            continue;
        }
        listed[{CellOf(row, 0), onSheet ? map : L""}] += static_cast<int>(*count);
        if (onSheet)
            CompareSheetStock(job, fault, where, CellOf(row, 2), CellOf(row, 3));
    }
    for (const auto& [key, count] : drawn) {
        const int said = listed.count(key) ? listed.at(key) : 0;
        if (said != count)
            fault(Text(kParts) + ": " + Quoted(key.first) + (key.second.empty() ? " on no map" : " on " + Quoted(key.second)) +
                  ": " + std::to_string(said) + " listed, the drawing holds " + std::to_string(count));
    }
    for (const auto& [key, count] : listed)
        if (!drawn.count(key))
            fault(Text(kParts) + ": " + Quoted(key.first) + (key.second.empty() ? " on no map" : " on " + Quoted(key.second)) +
                  ": " + std::to_string(count) + " listed, the drawing holds none");
}

// ---- the register of maps

void CheckMaps(const Job& job, const RegisterRows& rows, const Fault& fault)
{
    const std::vector<size_t> cut = CutSheets(job);
    if (rows.size() != cut.size() + 1)
        fault(Text(kMaps) + ": " + std::to_string(rows.size() - 1) + " maps, the drawing has " + std::to_string(cut.size()) +
              " sheets holding parts");
    for (size_t k = 0; k < cut.size() && k + 1 < rows.size(); ++k) {
        const SheetRecord& sheet = job.sheets[cut[k]];
        const std::vector<std::wstring>& row = rows[k + 1];
        const std::string where = Text(kMaps) + " " + Quoted(sheet.name);
        if (CellOf(row, 0) != sheet.name)
            fault(where + ": the row of " + Quoted(CellOf(row, 0)) + " stands in its place");
        CompareSheetStock(job, fault, where, CellOf(row, 1), CellOf(row, 2));
        Compare(fault, where, "length", CellOf(row, 3), Width(sheet.rect), kTenth);
        Compare(fault, where, "width", CellOf(row, 4), Height(sheet.rect), kTenth);
        Compare(fault, where, "count", CellOf(row, 5), Blanks(sheet.count), 0.0);
        Compare(fault, where, "utilisation", CellOf(row, 6), sheet.utilisation, kHundredth);
        // One label a remnant of the sheet.
        const size_t remnants = static_cast<size_t>(std::count_if(
            job.remnants.begin(), job.remnants.end(),
            [&](const RemnantRecord& w) { return w.view == sheet.view && Stock(job, w); }));
        size_t labels = 0;
        const std::wstring text = CellOf(row, 8);
        for (size_t at = 0; at < text.size();) {
            const size_t end = std::min(text.find(L'\n', at), text.size());
            if (text.compare(at, sheet.name.size() + 1, sheet.name + L"-") != 0)
                fault(where + ": a remnant label " + Quoted(text.substr(at, end - at)) + " not of this map");
            ++labels;
            at = end + 1;
        }
        if (labels != remnants)
            fault(where + ": " + std::to_string(labels) + " remnant labels, the sheet holds " + std::to_string(remnants) +
                  " remnants");
    }
}

// ---- the register of materials

void CheckMaterials(const Job& job, const RegisterRows& rows, const Fault& fault)
{
    const std::vector<size_t> cut = CutSheets(job);
    double blanks = 0.0, needed = 0.0;
    for (size_t s : cut)
        needed += job.sheets[s].count;
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::wstring>& row = rows[r];
        const std::string where = Text(kMaterials) + " row " + std::to_string(r);
        CompareSheetStock(job, fault, where, CellOf(row, 4), CellOf(row, 3));
        // A blank's size is the sheet's rounded up to the millimetre.
        const std::optional<double> length = Number(CellOf(row, 1)), width = Number(CellOf(row, 2));
        const bool ofASheet = length && width && std::any_of(cut.begin(), cut.end(), [&](size_t s) {
            const double w = Width(job.sheets[s].rect), h = Height(job.sheets[s].rect);
            return *length >= w - 1e-4 && *length < w + 1.0 && *width >= h - 1e-4 && *width < h + 1.0;
        });
        if (!ofASheet)
            fault(where + ": a blank of " + Quoted(CellOf(row, 1)) + " x " + Quoted(CellOf(row, 2)) +
                  " that no sheet holding parts has");
        blanks += Number(CellOf(row, 5)).value_or(0.0);
    }
    // Each group of equal sheets rounds its blanks up once.
    if (blanks < needed - 1e-9 || blanks > needed + static_cast<double>(rows.size()))
        fault(Text(kMaterials) + ": " + Shown(blanks) + " blanks, the sheets holding parts count " + Shown(needed));
}

// ---- the register of remnants

// One ring bounding as much as its box.
bool IsRectangle(const Outline& outline)
{
    if (outline.rings.size() != 1 || outline.rings.front().points.size() < 4)
        return false;
    const std::vector<NPoint>& p = outline.rings.front().points;
    double twice = 0.0;
    for (size_t i = 0; i < p.size(); ++i)
        twice += p[i].x * p[(i + 1) % p.size()].y - p[(i + 1) % p.size()].x * p[i].y;
    const NRect box = BoxOf(outline);
    const double area = (box.pTop.x - box.pBot.x) * (box.pTop.y - box.pBot.y);
    return std::fabs(std::fabs(twice) * 0.5 - area) <= 1e-6 * std::max(area, 1.0);
}

// The size a row gives ("THICKNESSxLENGTHxWIDTH", or "LENGTHxWIDTH" without a
// thickness) against the remnant its label names: the sheets' thickness, and
// the sides of the remnant's box in whole millimetres, rounded down (a stock
// register never promises more than there is; a side a hair short of a
// millimetre counts as that millimetre), either way round.
void CompareRemnantSize(const Job& job, const Fault& fault, const std::string& where, const std::wstring& label,
                        const std::wstring& size)
{
    const auto remnant = std::find_if(job.remnants.begin(), job.remnants.end(), [&](const RemnantRecord& w) {
        return w.name.find(L" " + label + L"(") != std::wstring::npos;
    });
    if (remnant == job.remnants.end())
        return;
    // Only a rectangle has a length and a width to register.
    const bool rectangle = IsRectangle(remnant->outline);
    if (!rectangle || size.empty()) {
        if (rectangle || !size.empty())
            fault(where + ": " + Quoted(label) + (rectangle ? " is a rectangle registered without its size"
                                                            : " is no rectangle, yet registered as " + Quoted(size)));
        return;
    }
    std::vector<std::wstring> fields;
    for (size_t at = 0;;) {
        const size_t x = size.find(L'x', at);
        fields.push_back(size.substr(at, x == std::wstring::npos ? x : x - at));
        if (x == std::wstring::npos)
            break;
        at = x + 1;
    }
    if (fields.size() < 2 || fields.size() > 3) {
        fault(where + ": a size " + Quoted(size));
        return;
    }
    const double thickness = fields.size() == 3 ? Number(fields[0]).value_or(-1.0) : 0.0;
    const std::optional<double> a = Number(fields[fields.size() - 2]), b = Number(fields.back());
    if (!a || !b) {
        fault(where + ": a size " + Quoted(size));
        return;
    }
    if (std::fabs(thickness - job.sheetThickness) > kHundredth)
        fault(where + ": a thickness of " + Shown(thickness) + " mm in " + Quoted(size) + ", the sheets' " +
              Shown(job.sheetThickness));
    const NRect box = BoxOf(remnant->outline);
    const double w = Width(box), h = Height(box);
    const auto near = [](double shown, double drawn) {
        return shown == std::floor(shown) && shown <= drawn + 1e-3 && drawn - shown < 1.0 + 1e-3;
    };
    if (!(near(*a, w) && near(*b, h)) && !(near(*a, h) && near(*b, w)))
        fault(where + ": " + Quoted(label) + " of " + Quoted(size) + ", the drawing " + Shown(w) + " x " + Shown(h));
}

void CheckRemnants(const Job& job, const RegisterRows& rows, const Fault& fault)
{
    std::map<std::wstring, int> drawn, listed;
    for (const RemnantRecord& remnant : job.remnants) {
        const auto sheet = std::find_if(job.sheets.begin(), job.sheets.end(),
                                        [&](const SheetRecord& s) { return s.view == remnant.view; });
        if (!Stock(job, remnant))
            continue;
        if (sheet == job.sheets.end())
            ++drawn[L""];
        else if (PartsOn(job, static_cast<size_t>(sheet - job.sheets.begin())) > 0)
            ++drawn[sheet->name];
    }
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::wstring map = CellOf(rows[r], 0);
        const std::string where = Text(kRemnants) + " row " + std::to_string(r);
        ++listed[map];
        if (CellOf(rows[r], 1).compare(0, map.size() + 1, map + L"-") != 0)
            fault(where + ": the label " + Quoted(CellOf(rows[r], 1)) + " is not of its map " + Quoted(map));
        CompareRemnantSize(job, fault, where, CellOf(rows[r], 1), CellOf(rows[r], 2));
    }
    if (listed != drawn)
        for (const auto& [map, count] : drawn)
            if (!listed.count(map) || listed.at(map) != count)
                fault(Text(kRemnants) + ": " + Quoted(map) + ": " +
                      std::to_string(listed.count(map) ? listed.at(map) : 0) + " remnants listed, the drawing holds " +
                      std::to_string(count));
    for (const auto& [map, count] : listed)
        if (!drawn.count(map))
            fault(Text(kRemnants) + ": " + Quoted(map) + ": " + std::to_string(count) +
                  " remnants listed of a map that holds no parts or none");
}

// ---- the register of linear cuts

struct Bar {
    std::vector<std::wstring> line;
    std::vector<std::pair<std::wstring, std::pair<std::wstring, std::wstring>>> pieces;  // name, length, count
};

void CheckLinear(const Job& job, const RegisterRows& rows, double minimumRemnant, const Fault& fault)
{
    std::vector<Bar> bars;
    for (size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::wstring>& row = rows[r];
        if (!CellOf(row, 0).empty())
            bars.push_back({row, {}});
        else if (bars.empty())
            fault(Text(kLinear) + " row " + std::to_string(r) + ": a piece before any bar");
        if (!CellOf(row, 4).empty() && !bars.empty())
            bars.back().pieces.push_back({CellOf(row, 4), {CellOf(row, 5), CellOf(row, 6)}});
    }
    if (bars.size() != job.sheets.size())
        fault(Text(kLinear) + ": " + std::to_string(bars.size()) + " bars, the drawing has " +
              std::to_string(job.sheets.size()));
    for (size_t p = 0; p < bars.size() && p < job.sheets.size(); ++p) {
        const SheetRecord& sheet = job.sheets[p];
        const Bar& bar = bars[p];
        const std::string where = Text(kLinear) + " " + Quoted(sheet.name);
        if (CellOf(bar.line, 0) != sheet.name)
            fault(where + ": the bar " + Quoted(CellOf(bar.line, 0)) + " stands in its place");
        // "LENGTHxWIDTHxTHICKNESS", of which a bar gives only what the
        // linear job was given: its width when typed ("—" before a
        // thickness when not), its thickness and material when set.
        // Drawings saved before give all three.
        std::vector<std::wstring> size;
        for (size_t from = 0, x = 0; x != std::wstring::npos; from = x + 1) {
            x = CellOf(bar.line, 1).find(L'x', from);
            size.push_back(CellOf(bar.line, 1).substr(from, x == std::wstring::npos ? x : x - from));
        }
        size.resize(std::max<size_t>(size.size(), 3));
        const bool before = job.barSized == 0;
        Compare(fault, where, "length", size[0], Width(sheet.rect), kTenth);
        if (before || job.barSized == 2)
            Compare(fault, where, "width", size[1], Height(sheet.rect), kTenth);
        else if (!size[1].empty() && size[1] != L"—")
            fault(where + ": a width " + Quoted(size[1]) + " never given");
        if (before || job.sheetThickness > 0.0)
            Compare(fault, where, "thickness", size[2], job.sheetThickness, kHundredth);
        else if (!size[2].empty())
            fault(where + ": a thickness " + Quoted(size[2]) + " never given");
        if (CellOf(bar.line, 2) != job.sheetMaterial)
            fault(where + ": material " + Quoted(CellOf(bar.line, 2)) + ", the drawing's " + Quoted(job.sheetMaterial));
        Compare(fault, where, "bars", CellOf(bar.line, 3), Blanks(sheet.count), 0.0);

        // The drawing's pieces of the bar by name and length.
        std::vector<std::pair<std::wstring, std::pair<double, int>>> drawn;
        double used = 0.0;
        int pieces = 0;
        for (const PartRecord& part : job.parts) {
            if (part.view != sheet.view)
                continue;
            const double length = Width(BoxOf(part.outline));
            used += length;
            ++pieces;
            const auto it = std::find_if(drawn.begin(), drawn.end(), [&](const auto& d) {
                return d.first == part.name && std::fabs(d.second.first - length) < kSameLength;
            });
            if (it != drawn.end())
                ++it->second.second;
            else
                drawn.push_back({part.name, {length, 1}});
        }
        std::vector<bool> matched(bar.pieces.size(), false);
        for (const auto& [name, measure] : drawn) {
            const auto& [length, count] = measure;
            size_t k = 0;
            for (; k < bar.pieces.size(); ++k) {
                const std::optional<double> l = Number(bar.pieces[k].second.first);
                if (!matched[k] && bar.pieces[k].first == name && l && std::fabs(*l - length) <= kTenth)
                    break;
            }
            if (k == bar.pieces.size()) {
                fault(where + ": no line of " + Quoted(name) + " " + Shown(length) + " mm as drawn");
                continue;
            }
            matched[k] = true;
            Compare(fault, where + " " + Quoted(name), "count", bar.pieces[k].second.second, count, 0.0);
        }
        for (size_t k = 0; k < bar.pieces.size(); ++k)
            if (!matched[k])
                fault(where + ": a line of " + Quoted(bar.pieces[k].first) + " " + Quoted(bar.pieces[k].second.first) +
                      " that the bar does not hold");
        // What is left once every piece is cut off: a cut of the gap between
        // neighbours, and one more parting the offcut from the last piece,
        // which takes all of an end no longer than it.
        const double end = Width(sheet.rect) - used - std::max(pieces - 1, 0) * job.figureGap;
        const double left = pieces == 0 ? end : end > job.figureGap + 1e-9 ? end - job.figureGap : 0.0;
        // The remainder in whole tenths, rounded down: never longer than it is.
        const double kept = std::floor(std::round(left * 1e6) / 1e6 * 10.0 + 1e-6) / 10.0;
        Compare(fault, where, "remainder", CellOf(bar.line, 7), kept, 1e-6);
        const std::wstring remnant =
            kept > 0.0 && kept >= minimumRemnant - 1e-9 ? sheet.name + L"-" + std::to_wstring(p + 1) : L"";
        if (CellOf(bar.line, 8) != remnant)
            fault(where + ": the remnant named " + Quoted(CellOf(bar.line, 8)) + " where a remainder of " + Shown(kept) +
                  " mm " + (remnant.empty() ? "is waste" : "is the remnant " + Quoted(remnant)));
    }
}

// ---- CSV cells as a spreadsheet takes them

// What a spreadsheet takes for the start of a formula, blanks or line feeds before it or not.
bool FormulaStart(const std::wstring& text)
{
    const size_t first = text.find_first_not_of(L" \u00A0\n");
    return first != std::wstring::npos && std::wstring_view(L"=+-@\t\r").find(text[first]) != std::wstring_view::npos;
}

// A sign, digits with at most one point among or after them, an exponent.
bool PlainNumber(const std::wstring& text)
{
    size_t at = text.empty() || (text[0] != L'-' && text[0] != L'+') ? 0 : 1;
    const auto digits = [&] {
        const size_t from = at;
        while (at < text.size() && std::iswdigit(text[at]))
            ++at;
        return at - from;
    };
    size_t mantissa = digits();
    if (at < text.size() && text[at] == L'.') {
        ++at;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (at < text.size() && (text[at] == L'e' || text[at] == L'E')) {
        ++at;
        if (at < text.size() && (text[at] == L'-' || text[at] == L'+'))
            ++at;
        if (digits() == 0)
            return false;
    }
    return at == text.size();
}

}  // namespace

bool SameCell(const std::wstring& csv, const std::wstring& table)
{
    return csv == table || (FormulaStart(table) && csv == L"'" + table);
}

bool Evaluated(const std::wstring& csv) { return FormulaStart(csv) && !PlainNumber(csv); }

std::wstring CellText(const std::wstring& csv)
{
    return csv.size() > 1 && csv[0] == L'\'' && FormulaStart(csv.substr(1)) ? csv.substr(1) : csv;
}

size_t CheckRegisters(const Job& job, const std::map<std::wstring, RegisterRows>& registers, double minimumRemnant,
                      const Fault& fault)
{
    size_t checked = 0;
    const auto each = [&](const std::wstring& name, const std::function<void(const RegisterRows&)>& check) {
        const auto it = registers.find(name);
        if (it == registers.end())
            return;
        ++checked;
        check(it->second);
    };
    if (job.method != 0) {
        each(kLinear, [&](const RegisterRows& rows) { CheckLinear(job, rows, minimumRemnant, fault); });
        return checked;
    }
    each(kParts, [&](const RegisterRows& rows) { CheckParts(job, rows, fault); });
    each(kMaps, [&](const RegisterRows& rows) { CheckMaps(job, rows, fault); });
    each(kMaterials, [&](const RegisterRows& rows) { CheckMaterials(job, rows, fault); });
    each(kRemnants, [&](const RegisterRows& rows) { CheckRemnants(job, rows, fault); });
    return checked;
}

}  // namespace jobcheck
