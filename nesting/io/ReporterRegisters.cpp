// The five registers in their common form (a fragment with one table and its
// title, in the documentation folder, with a CSV twin), and the part tables
// of the maps, which share the table document.
#include "io/Reporter.h"

#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <set>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr double kRowHeight = 12.0;

fs::path CsvTwin(const fs::path& document)
{
    fs::path csv = document;
    return csv.replace_extension(".csv");
}

void FillRow(const vlapi::ITablePtr& cells, int row, const registers::Row& line)
{
    for (size_t c = 0; c < line.cells.size(); ++c) {
        if (line.cells[c])
            vrnApi::SetTextInTableCell(cells, row, static_cast<int>(c), *line.cells[c]);
    }
    if (line.height > 0.0 && !line.cells.empty()) {
        vlapi::ITableCellPtr cell = cells->GetCell(row, static_cast<int>(line.cells.size() - 1));
        if (vlapi::ICellFormatPtr format{cell})
            format->SetHeight(line.height);
    }
}

// Writes the rows into the table: all at once into a table made with them, or
// inserted one after another below the header of a growing table, whose one
// starting data row is removed at the end.
bool FillTable(const vlapi::ITablePtr& cells, const registers::Table& table)
{
    if (!table.growing) {
        for (size_t r = 0; r < table.rows.size(); ++r)
            FillRow(cells, static_cast<int>(r) + 1, table.rows[r]);
        return true;
    }
    int last = 0;
    for (const registers::Row& line : table.rows) {
        if (!cells->InsertRow(last))
            return false;
        FillRow(cells, ++last, line);
    }
    return cells->RemoveRow(last + 1);
}

}  // namespace

void Reporter::WriteRegister(const registers::Table& table, const std::function<bool()>& writeCsv)
{
    if (!DocsFolderReady())
        return;
    WriteTableDocument(table, DocsFolder() / vrnApi::detail::PathOf(table.name + L".vfw"), writeCsv);
}

void Reporter::WriteTableDocument(const registers::Table& table, const fs::path& target,
                                  const std::function<bool()>& writeCsv)
{
    const auto failed = [&](const wchar_t* reason) {
        m_failures.Add(Shown(target), reason);
        if (writeCsv)
            m_failures.Add(Shown(CsvTwin(target)), reason);
    };
    if (outputs::OpenDocument(target)) {
        failed(outputs::kOpenInHost);
        return;
    }
    outputs::PendingFile file(Staged(target), target);
    outputs::HiddenDocument document(outputs::NewHiddenDocument(vlapi::vlDocumentFragment), m_source, 1);
    vlapi::IVarnelDocument2DPtr fragment(document.Get());
    if (!fragment) {
        failed(outputs::kNoDocument);
        return;
    }
    fragment->Activate();
    vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(vrnApi::GetActiveView(fragment));

    std::vector<std::wstring> titles;
    std::vector<double> widths;
    for (const registers::Column& column : table.columns) {
        titles.push_back(column.title);
        widths.push_back(column.width);
    }
    const int rows = static_cast<int>(table.rows.size());
    const double y = table.growing ? 0.0 : (rows + 1) * kRowHeight;
    vlapi::IDrawingTablePtr drawn = vrnApi::CreateTable(vlapi::ISymbols2DContainerPtr(view), 0.0, y,
                                                        table.growing ? 1 : rows, kRowHeight, widths, titles);
    vlapi::ITablePtr cells{drawn};
    if (!cells) {
        failed(outputs::kNoTable);
        return;
    }
    // A register's table and its CSV twin are one job's or none: neither
    // goes in place without the other.
    if (writeCsv && !writeCsv()) {
        m_failures.Add(Shown(target), outputs::kTwinNotWritten);
        return;
    }
    const auto undoTwin = [&] {
        if (writeCsv)
            Undo(CsvTwin(target), outputs::kTwinNotWritten);
    };
    if (!FillTable(cells, table)) {
        m_failures.Add(Shown(target), outputs::kNoTable);
        undoTwin();
        return;
    }
    drawn->Update();
    if (vlapi::IDrawingContainerPtr container{view})
        vrnApi::CreateText(container, table.title, 0.0, y + 3.0, 5.0);
    if (!SaveDocument(document, file, target))
        undoTwin();
}

// ---- The registers

std::vector<WastePtr> Reporter::DocumentedWastes(const std::vector<SheetPtr>& documented) const
{
    std::vector<WastePtr> wastes;
    // A remnant a part stands on, or one too narrow to use, is no stock
    // (CreateDocumentation says so).
    std::wstring covered;
    std::vector<std::wstring> narrow;
    const registers::SheetsByView byView(m_model.m_sheets);
    const std::set<SheetPtr> documentedSet(documented.begin(), documented.end());
    for (const WastePtr& waste : m_model.FreeWastes(covered, &narrow)) {
        const SheetPtr sheet = byView.Of(waste->GetView());
        if (!sheet || documentedSet.count(sheet) != 0)
            wastes.push_back(waste);
    }
    return wastes;
}

void Reporter::CreateCardsTable()
{
    const std::vector<SheetPtr> sheets = DocumentedSheets();
    const std::vector<WastePtr> wastes = DocumentedWastes(sheets);
    if (sheets.empty())
        return;
    WriteRegister(registers::CardsTable(m_model, sheets, wastes), [&] { return CreateCardsTableAsCSV(sheets, wastes); });
}

void Reporter::CreateDetailsTable()
{
    if (m_model.m_figures.empty())
        return;
    std::vector<FigurePtr> figures;
    GetAllFigures(m_model, figures);
    const std::vector<registers::FigureGroup> groups = registers::GroupFigures(figures);
    WriteRegister(registers::DetailsTable(m_model, groups), [&] { return CreateDetailsTableAsCSV(groups); });
}

void Reporter::CreateMaterialTable()
{
    const std::vector<SheetPtr> sheets = DocumentedSheets();
    if (sheets.empty())
        return;
    const std::vector<registers::SheetGroup> groups = registers::GroupSheets(sheets);
    WriteRegister(registers::MaterialTable(m_model, groups), [&] { return CreateMaterialTableAsCSV(groups); });
}

void Reporter::CreateWastesTable()
{
    const std::vector<SheetPtr> sheets = m_model.m_sheets;
    const std::vector<WastePtr> wastes = DocumentedWastes(DocumentedSheets());
    if (wastes.empty())
        return;
    WriteRegister(registers::WastesTable(wastes, sheets), [&] { return CreateWastesTableAsCSV(wastes, sheets); });
}

void Reporter::CreateLNTable()
{
    if (m_linearPlan ? m_linearPlan->empty() : m_model.m_figures.empty())
        return;
    const std::vector<registers::LinearBar> bars =
        m_linearPlan ? *m_linearPlan : registers::LinearBars(m_model.m_figures, m_model.m_sheets);
    // Bars that all hold no piece are the one empty bar of a drawing that
    // shows the details waiting in the container, not a plan: nothing is cut.
    const auto empty = [](const registers::LinearBar& bar) { return bar.pieces.empty(); };
    if (!m_linearPlan && !bars.empty() && std::all_of(bars.begin(), bars.end(), empty))
        return;
    WriteRegister(registers::LNTable(m_model, bars, m_model.m_figureGap, m_linearMinimumRemnant),
                  [&] { return CreateLNTableAsCSV(bars); });
}

// ---- The CSV twins

namespace {

constexpr wchar_t kOpenFailure[] = L"Ошибка при отккрытии .csv файла отчета";
constexpr wchar_t kOpenFailureMaterials[] = L"Ошибка при открытии .csv файла отчета";
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

}  // namespace

std::wstring Reporter::EditCSV(const std::wstring& field)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : field) {
        quoted += c;
        if (c == L'"')
            quoted += L'"';
    }
    return quoted + L"\"";
}

std::wstring Reporter::TextCSV(const std::wstring& text)
{
    // What a spreadsheet takes for the start of a formula, blanks or line
    // feeds before it too: a spreadsheet that trims a cell would read what
    // follows them.
    constexpr std::wstring_view kFormula = L"=+-@\t\r";
    const size_t first = text.find_first_not_of(L" \u00A0\n");
    return first != std::wstring::npos && kFormula.find(text[first]) != std::wstring_view::npos ? L"'" + text : text;
}

bool Reporter::WriteCsv(const registers::Table& table, const wchar_t* openFailure)
{
    std::wstring text;
    for (const registers::Column& column : table.columns)
        text += column.title + L";";
    text += L"\n";
    for (const registers::Row& row : table.rows) {
        for (size_t c = 0; c < table.columns.size(); ++c) {
            if (c < row.cells.size() && row.cells[c])
                text += EditCSV(table.columns[c].text ? TextCSV(*row.cells[c]) : *row.cells[c]);
            text += L";";
        }
        text += L"\n";
    }
    const fs::path target = DocsFolder() / vrnApi::detail::PathOf(table.name + L".csv");
    if (!DocsFolderReady())
        return false;
    outputs::PendingFile file(Staged(target), target);
    if (!file.Fault().empty()) {
        m_failures.Add(Shown(target), file.Fault());
        return false;
    }
    {
        std::ofstream out(file.Temporary(), std::ios::binary | std::ios::trunc);
        if (!out) {
            m_failures.Add(Shown(target), openFailure);
            return false;
        }
        // The byte-order mark tells a spreadsheet the text is UTF-8 (else it
        // takes the Cyrillic for the system's code page).
        out << kUtf8Mark << pugi::as_utf8(text);
        out.close();
        if (!out) {
            m_failures.Add(Shown(target), outputs::kNotWritten);
            return false;
        }
    }
    std::wstring reason;
    if (!file.Commit(reason)) {
        m_failures.Add(Shown(target), reason);
        return false;
    }
    Done(target);
    return true;
}

bool Reporter::CreateCardsTableAsCSV(const std::vector<SheetPtr>& sheets, const std::vector<WastePtr>& wastes)
{
    return WriteCsv(registers::CardsTable(m_model, sheets, wastes), kOpenFailure);
}

bool Reporter::CreateDetailsTableAsCSV(const std::vector<registers::FigureGroup>& singleFigures)
{
    return WriteCsv(registers::DetailsTable(m_model, singleFigures), kOpenFailure);
}

bool Reporter::CreateMaterialTableAsCSV(const std::vector<registers::SheetGroup>& singleSheets)
{
    return WriteCsv(registers::MaterialTable(m_model, singleSheets), kOpenFailureMaterials);
}

bool Reporter::CreateWastesTableAsCSV(const std::vector<WastePtr>& wastes, const std::vector<SheetPtr>& sheets)
{
    return WriteCsv(registers::WastesTable(wastes, sheets), kOpenFailure);
}

bool Reporter::CreateLNTableAsCSV(const std::vector<registers::LinearBar>& bars)
{
    return WriteCsv(registers::LNTable(m_model, bars, m_model.m_figureGap, m_linearMinimumRemnant), kOpenFailure);
}
