// The result table of a sheet macro, the table helpers and the specification object.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <cmath>

namespace {


std::vector<std::wstring> ResultTableTitles()
{
    return {L"Обозначение листа", L"Материал", vrnApi::LoadStr(IDS_SHEET_SIZE_MM), vrnApi::LoadStr(IDS_KIM_PROC),
            L"Периметр, мм"};
}

// To the nearest whole millimetre, an exact half going down.
double RoundSize(double v)
{
    return std::ceil(v - 0.5);
}

vlapi::ICellFormatPtr CellFormat(vlapi::ITable& table, int row, int column)
{
    return vlapi::ICellFormatPtr(table.GetCell(row, column));
}

vlapi::ITextPtr CellText(vlapi::ITable& table, int row, int column)
{
    vlapi::ITableCellPtr cell = table.GetCell(row, column);
    return cell ? vlapi::ITextPtr(cell->GetText()) : vlapi::ITextPtr{};
}

void SetFontHeights(vlapi::IText& text, double height)
{
    for (int l = 0; l < text.GetLinesCount(); ++l) {
        vlapi::ITextLinePtr line = text.GetLine(l);
        for (int k = 0; line && k < line->GetItemsCount(); ++k) {
            vlapi::ITextItemPtr item = line->GetItem(k);
            if (vlapi::ITextFontPtr font{item}) {
                font->SetHeight(height);
                item->Update();
            }
        }
    }
}

void ScaleTable(vlapi::ITable& table, const SheetTableParams& par, double scale)
{
    const int rows = table.GetRowsCount();
    const int columns = table.GetColumnsCount();
    for (int r = 0; r < rows; ++r) {
        if (vlapi::ICellFormatPtr format = CellFormat(table, r, 0))
            format->SetHeight(RoundSize(par.cellHeight * scale));
    }
    for (int c = 0; c < columns; ++c) {
        if (vlapi::ICellFormatPtr format = CellFormat(table, 0, c))
            format->SetWidth(RoundSize(par.cellWidth * scale));
    }
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (vlapi::ITextPtr text = CellText(table, r, c))
                SetFontHeights(*text.get(), RoundSize(par.heightFont * scale));
        }
    }
}

void TuneSpecification(vlapi::ISpecificationDescription& description)
{
    vlapi::ISpecificationTuningPtr tuning = description.GetTuning();
    if (!tuning)
        return;
    if (vlapi::ISpecificationTuningSectionsPtr sections = tuning->GetSections()) {
        for (int i = 0; i < sections->GetCount(); ++i) {
            vlapi::ISpecificationTuningSectionPtr section = sections->GetItem(i);
            if (section && section->GetKind() == 20)
                section->SetColumns(0, 5, 1, 3);
        }
    }
    tuning->Apply();
}

}  // namespace

namespace vrnApi {

vlapi::IDrawingTablePtr CreateTable(vlapi::ISymbols2DContainerPtr container, double x, double y, int rowsCount,
                                    double height, const std::vector<double>& widths,
                                    const std::vector<std::wstring>& title)
{
    if (!container || widths.empty() || widths.size() != title.size())
        return {};
    vlapi::IDrawingTablesPtr tables = container->GetDrawingTables();
    vlapi::IDrawingTablePtr table = tables ? tables->AddTable(rowsCount, static_cast<int>(title.size()), height,
                                                              widths.front(), 0)
                                           : vlapi::IDrawingTablePtr{};
    if (!table)
        return {};
    vlapi::ITablePtr cells{table};
    if (!cells)
        return table;
    cells->SetHeaderRows(0, 1);
    // Row 0 holds the titles, rows 1 .. rowsCount the data.
    if (const int missing = rowsCount + 1 - cells->GetRowsCount(); missing > 0)
        cells->AddRows(missing);
    for (size_t c = 0; c < title.size(); ++c)
        SetTextInTableCell(cells, 0, static_cast<int>(c), title[c]);
    for (size_t c = 0; c < widths.size(); ++c) {
        if (vlapi::ICellFormatPtr format = CellFormat(*cells.get(), 0, static_cast<int>(c)))
            format->SetWidth(std::ceil(widths[c]));
    }
    table->SetX(x);
    table->SetY(y);
    table->Update();
    return table;
}

void SetTextInTableCell(const vlapi::ITablePtr& table, int i, int j, std::wstring str)
{
    vlapi::ITextPtr text = table ? CellText(*table.get(), i, j) : vlapi::ITextPtr{};
    if (!text)
        return;
    text->SetText(str);
    vlapi::ITextLinePtr line = text->GetLinesCount() > 0 ? text->GetLine(0) : vlapi::ITextLinePtr{};
    if (!line)
        return;
    line->SetAlignment(1);
    line->SetStep(1.0);
    if (vlapi::ITextItemPtr item = line->GetItemsCount() > 0 ? line->GetItem(0) : vlapi::ITextItemPtr{}) {
        item->SetJustification(3);
        item->Update();
    }
}

}  // namespace vrnApi

vlapi::IDrawingTablePtr NMacroObject::GetTableFromMacro() const
{
    return vlapi::IDrawingTablePtr(vrnApi::GetObiectFromMacro(m_macro, vlapi::vlObjectDrawingTable, 0));
}

void NMacroObject::CreateTableInMacro(const SheetTableParams& par)
{
    vlapi::ISymbols2DContainerPtr symbols(m_macro);
    if (!symbols)
        return;
    vlapi::IDrawingTablesPtr tables = symbols->GetDrawingTables();
    if (tables && tables->GetCount() == 0) {
        const std::vector<std::wstring> titles = ResultTableTitles();
        vrnApi::CreateTable(symbols, par.botX, par.botY, 1, par.cellHeight,
                            std::vector<double>(titles.size(), par.cellWidth), titles);
    }
    m_macro->Update();
}

void NMacroObject::UpdateTableInMacro(int i, int j, std::wstring str)
{
    vlapi::IDrawingTablePtr table = GetTableFromMacro();
    if (!table)
        return;
    if (vlapi::ITablePtr cells{table})
        vrnApi::SetTextInTableCell(cells, i, j, str);
    table->Update();
    m_macro->Update();
}

void NMacroObject::ResizeTableInMacro(const SheetTableParams& par)
{
    NRect rc{};
    GetGabarit(rc);
    const double lengthSheet = rc.pTop.x - rc.pBot.x;
    vlapi::IDrawingTablePtr table = GetTableFromMacro();
    if (!table)
        return;
    const double lengthTable = par.countCols * par.cellWidth;
    vlapi::ITablePtr cells{table};
    // A table or sheet without width gives no scale.
    if (cells && lengthTable > 0.0 && lengthSheet > 0.0) {
        const double target = lengthTable < par.kofWidth * lengthSheet ? par.kofWidth * lengthSheet : lengthSheet;
        ScaleTable(*cells.get(), par, target / lengthTable);
    }
    table->Update();
}

void NMacroObject::DeleteTableInMacro()
{
    vlapi::IDrawingTablePtr table = GetTableFromMacro();
    if (!table)
        return;
    table->Delete();
    m_macro->Update();
}

void NMacroObject::CreateSpecificationObject()
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !doc)
        return;
    vlapi::ISpecificationObjectCreateParamPtr param(doc->CreateAPIObject(vlapi::vlSpecificationObjectCreateParam));
    vlapi::ISpecificationDescriptionsPtr descriptions = doc->GetSpecificationDescriptions();
    if (!descriptions)
        return;
    vlapi::ISpecificationDescriptionPtr description = descriptions->GetDescription();
    if (!description)
        description = descriptions->Add(L"", 0, L"");
    if (!description || !param)
        return;
    TuneSpecification(*description.get());
    vlapi::ISpecificationBaseObjectsPtr baseObjects = description->GetBaseObjects();
    if (!baseObjects)
        return;
    param->SetSectionMode(0);
    param->SetPositionMode(0);
    vlapi::IPropertyKeeperPtr keeper(m_macro);
    if (vlapi::ISpecificationBaseObjectPtr object = baseObjects->Add(param.get(), keeper.get(), 1, {})) {
        object->SetAutoFill(1);
        object->Update();
    }
}
