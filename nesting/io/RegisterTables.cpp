#include "io/RegisterTables.h"

#include "geometry/UtilityFunctions.h"
#include "io/OutputFiles.h"
#include "model/ResultTexts.h"

#include <algorithm>
#include <cmath>

using outputs::CeilClean;
using outputs::CountText;
using outputs::Format;
using outputs::TenthsText;

namespace registers {

namespace {

// The map cell of parts that lie on no sheet.
const wchar_t kNotPlaced[] = L"не размещены";

// A written cell.
std::optional<std::wstring> Cell(std::wstring text) { return std::optional<std::wstring>(std::move(text)); }

std::wstring Decimal(long long n) { return std::to_wstring(n); }

// Sheet thickness as the registers show it.
std::wstring Thickness(const NestingModel& model) { return Format(L"%1.2f", model.m_thicknessSheet); }

// A part's own thickness and material; one it does not know is the sheet's
// (it matches any sheet).
std::wstring PartThickness(const Figure& part, const NestingModel& model)
{
    return part.m_thickness > 1e-4 ? Format(L"%1.2f", part.m_thickness) : Thickness(model);
}

const std::wstring& PartMaterial(const Figure& part)
{
    return part.m_material.empty() ? NestingModel::m_materialSheet : part.m_material;
}

}  // namespace

std::vector<FigureGroup> GroupFigures(const std::vector<FigurePtr>& figures)
{
    std::vector<FigureGroup> groups;
    for (const FigurePtr& figure : figures) {
        if (!figure)
            continue;
        auto same = [&](const FigureGroup& g) {
            return g.first->m_name == figure->m_name && g.first->m_owner == figure->m_owner &&
                   std::fabs(g.first->m_thickness - figure->m_thickness) <= 1e-4 &&
                   g.first->m_material == figure->m_material;
        };
        auto it = std::find_if(groups.begin(), groups.end(), same);
        if (it != groups.end())
            ++it->count;
        else
            groups.push_back({figure, 1});
    }
    return groups;
}

std::vector<SheetGroup> GroupSheets(const std::vector<SheetPtr>& sheets)
{
    std::vector<SheetGroup> groups;
    for (const SheetPtr& sheet : sheets) {
        if (!sheet)
            continue;
        auto it = std::find_if(groups.begin(), groups.end(),
                               [&](const SheetGroup& g) { return g.first->IsEquilSheet(*sheet); });
        if (it != groups.end()) {
            ++it->size;
            it->blanks += sheet->m_count;
        } else {
            groups.push_back({sheet, 1, sheet->m_count});
        }
    }
    return groups;
}

SheetPtr SheetInView(const std::vector<SheetPtr>& sheets, int view)
{
    for (const SheetPtr& sheet : sheets) {
        if (sheet && sheet->GetView() == view)
            return sheet;
    }
    return nullptr;
}

SheetsByView::SheetsByView(const std::vector<SheetPtr>& sheets)
{
    for (const SheetPtr& sheet : sheets) {
        if (sheet)
            m_sheets.emplace(sheet->GetView(), sheet);  // the first of a view stays
    }
}

SheetPtr SheetsByView::Of(int view) const
{
    const auto it = m_sheets.find(view);
    return it != m_sheets.end() ? it->second : nullptr;
}

Table CardsTable(const NestingModel& model, const std::vector<SheetPtr>& sheets, const std::vector<WastePtr>& wastes)
{
    Table table{L"Ведомость карт раскроя",
                L"Ведомость карт раскроя",
                {{L"Имя карты", 50, true},
                 {L"Материал", 100, true},
                 {L"Толщина, мм", 50, false},
                 {L"Длина, мм", 50, false},
                 {L"Ширина, мм", 50, false},
                 {L"Кол-во", 30, false},
                 {L"Эффект-сть, %", 50, false},
                 {L"Периметр, мм", 50, false},
                 {L"Номера остатков", 100, true}},
                {},
                false};
    // The remnants of each view, in their order, each view asked once.
    std::map<int, std::vector<WastePtr>> inView;
    for (const WastePtr& waste : wastes)
        inView[waste->GetView()].push_back(waste);
    for (const SheetPtr& sheet : sheets) {
        std::wstring labels;
        int k = 0;
        for (const WastePtr& waste : inView[sheet->GetView()]) {
            if (!labels.empty())
                labels += L"\n";
            labels += sheet->m_name + L"-" + Decimal(waste->m_subNumber);
            ++k;
        }
        Row row;
        row.cells = {Cell(sheet->m_name),
                     Cell(NestingModel::m_materialSheet),
                     Cell(Thickness(model)),
                     Cell(TenthsText(sheet->GetWidth())),
                     Cell(TenthsText(sheet->GetHeight())),
                     Cell(CountText(sheet->m_count)),
                     Cell(Format(L"%1.2f", sheet->m_result.KIM)),
                     Cell(Format(L"%1.2f", sheet->m_result.length)),
                     Cell(labels)};
        // Labels on lines of their own need a taller row.
        row.height = k >= 2 ? 7.0 * k + 7.0 : 0.0;
        table.rows.push_back(std::move(row));
    }
    return table;
}

Table DetailsTable(const NestingModel& model, const std::vector<FigureGroup>& groups)
{
    Table table{L"Ведомость деталей",
                L"Ведомость вхождения деталей в карты раскроя",
                {{L"Имя детали", 250, true},
                 {L"Кол-во", 30, false},
                 {L"Материал", 100, true},
                 {L"Толщина, мм", 50, false},
                 {L"Имя карты", 70, true}},
                {},
                false};
    // The parts of each map, map after map, then those placed on none,
    // marked so: a part in the container is not cut.
    const auto mapOf = [&](const FigureGroup& group) {
        const auto at = std::find(model.m_sheets.begin(), model.m_sheets.end(), group.first->m_owner);
        return group.first->m_owner ? static_cast<size_t>(at - model.m_sheets.begin()) : model.m_sheets.size();
    };
    std::vector<FigureGroup> ordered = groups;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [&](const FigureGroup& a, const FigureGroup& b) { return mapOf(a) < mapOf(b); });
    for (const FigureGroup& group : ordered) {
        Row row;
        const bool placed = mapOf(group) < model.m_sheets.size();
        row.cells = {Cell(group.first->m_name), Cell(Decimal(group.count)), Cell(PartMaterial(*group.first)),
                     Cell(PartThickness(*group.first, model)), Cell(placed ? group.first->m_owner->m_name : kNotPlaced)};
        table.rows.push_back(std::move(row));
    }
    return table;
}

Table MaterialTable(const NestingModel& model, const std::vector<SheetGroup>& groups)
{
    Table table{L"Ведомость материалов",
                L"Сводная ведомость материалов",
                {{L"№", 20, false},
                 {L"Длина, мм", 50, false},
                 {L"Ширина, мм", 50, false},
                 {L"Толщина, мм", 50, false},
                 {L"Марка материала", 100, true},
                 {L"Кол-во заготовок", 70, false}},
                {},
                false};
    long long number = 0;
    for (const SheetGroup& group : groups) {
        Row row;
        row.cells = {Cell(Decimal(++number)),
                     Cell(Format(L"%1.0f", CeilClean(group.first->GetWidth()))),
                     Cell(Format(L"%1.0f", CeilClean(group.first->GetHeight()))),
                     Cell(Thickness(model)),
                     Cell(NestingModel::m_materialSheet),
                     Cell(CountText(group.blanks))};
        table.rows.push_back(std::move(row));
    }
    return table;
}

Table WastesTable(const std::vector<WastePtr>& wastes, const std::vector<SheetPtr>& sheets)
{
    Table table{L"Ведомость делового отхода",
                L"Ведомость делового отхода",
                {{L"Имя карты", 100, true}, {L"№ остатка", 100, true}, {L"Размер остатка, мм", 100, true}},
                {},
                false};
    const SheetsByView byView(sheets);
    for (const WastePtr& waste : wastes) {
        const SheetPtr sheet = byView.Of(waste->GetView());
        const std::wstring map = sheet ? sheet->m_name : std::wstring();
        // The size as the remnant's label shows it, for every remnant.
        Row row;
        row.cells = {Cell(map), Cell(map + L"-" + Decimal(waste->m_subNumber)), Cell(waste->SizeText())};
        table.rows.push_back(std::move(row));
    }
    return table;
}

std::vector<LinearBar> LinearBars(const std::vector<FigurePtr>& figures, const std::vector<SheetPtr>& sheets)
{
    constexpr double kSameLength = 1e-4;
    std::vector<LinearBar> bars;
    for (const SheetPtr& sheet : sheets) {
        if (!sheet)
            continue;
        LinearBar bar{sheet->m_name, sheet->GetWidth(), sheet->GetHeight(), sheet->m_count, {}};
        std::vector<std::pair<double, const Figure*>> laid;
        for (const FigurePtr& figure : figures)
            if (figure && figure->GetView() == sheet->GetView())
                laid.emplace_back(figure->m_rectBorder.pBot.x, figure.get());
        std::stable_sort(laid.begin(), laid.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : laid) {
            const Figure* figure = entry.second;
            const double length = figure->m_rectBorder.pTop.x - figure->m_rectBorder.pBot.x;
            auto same = [&](const LinearPiece& p) {
                return p.name == figure->m_name && std::fabs(p.length - length) < kSameLength;
            };
            const auto it = std::find_if(bar.pieces.begin(), bar.pieces.end(), same);
            if (it != bar.pieces.end())
                ++it->count;
            else
                bar.pieces.push_back({figure->m_name, length, 1});
        }
        bars.push_back(std::move(bar));
    }
    return bars;
}

double LinearOffcut(double bar, double used, long long pieces, double gap)
{
    if (pieces <= 0)
        return std::max(bar, 0.0);
    // Past the cuts between neighbours, what the pieces leave of the bar; a
    // last cut parts the offcut from them, and takes all of one no longer.
    const double beyond = bar - used - static_cast<double>(pieces - 1) * gap;
    constexpr double kSame = 1e-9;  // mm: a bar filled up to rounding
    return beyond > gap + kSame ? beyond - gap : 0.0;
}

Table LNTable(const NestingModel& model, const std::vector<LinearBar>& bars, double gap, double minimumRemnant)
{
    Table table{L"Ведомость линейного раскроя",
                L"Ведомость линейного раскроя",
                {{L"Имя заготовки", 100, true},
                 {L"Размеры заготовки, мм", 70, true},
                 {L"Материал", 100, true},
                 {L"Кол-во заготовок", 50, false},
                 {L"Имя детали", 100, true},
                 {L"Длина детали, мм", 55, false},
                 {L"Кол-во деталей", 50, false},
                 {L"Длина остатка, мм", 55, false},
                 {L"Имя остатка", 100, true}},
                {},
                true};
    const size_t columns = table.columns.size();
    for (size_t p = 0; p < bars.size(); ++p) {
        const LinearBar& bar = bars[p];
        Row line;
        line.cells.resize(columns);
        line.cells[0] = Cell(bar.name);
        // A bar gives only what the linear job was given of it: never the
        // sheets of the drawing it started from. Drawings saved before that
        // was kept give every size, as they did.
        if (model.m_barSized == ModelParams::kBarsBefore)
            line.cells[1] = Cell(TenthsText(bar.length) + L"x" + TenthsText(bar.width) + L"x" +
                                 uf::NumberText(model.m_thicknessSheet));
        else
            line.cells[1] = Cell(BarSizeText(TenthsText(bar.length),
                                             model.m_barSized == ModelParams::kBarWidthGiven ? TenthsText(bar.width)
                                                                                              : std::wstring(),
                                             model.m_thicknessSheet > 0.0 ? uf::NumberText(model.m_thicknessSheet)
                                                                          : std::wstring()));
        line.cells[2] = Cell(NestingModel::m_materialSheet);
        line.cells[3] = Cell(CountText(bar.count));
        const size_t barLine = table.rows.size();
        table.rows.push_back(line);

        double used = 0.0;
        long long pieces = 0;
        for (size_t k = 0; k < bar.pieces.size(); ++k) {
            const LinearPiece& piece = bar.pieces[k];
            used += piece.count * piece.length;
            pieces += piece.count;
            Row& row = k == 0 ? table.rows[barLine]
                              : table.rows.emplace_back(Row{std::vector<std::optional<std::wstring>>(columns), 0.0});
            row.cells[4] = Cell(piece.name);
            row.cells[5] = Cell(TenthsText(piece.length));
            row.cells[6] = Cell(Decimal(piece.count));
        }
        const double left = LinearOffcut(bar.length, used, pieces, gap);
        // What is left in whole tenths, rounded down: a remnant is never
        // named longer than it is, nor a remnant at all when it falls short
        // of the minimum by less than a tenth; a bar used up leaves nothing
        // to name.
        const double kept = outputs::FloorTenths(left);
        table.rows[barLine].cells[7] = Cell(TenthsText(kept));
        const bool remnant = kept > 0.0 && kept >= minimumRemnant - 1e-9;
        table.rows[barLine].cells[8] = Cell(remnant ? bar.name + L"-" + Decimal(static_cast<long long>(p + 1)) : L"");
    }
    return table;
}

}  // namespace registers
