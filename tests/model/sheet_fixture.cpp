#include "sheet_fixture.h"

namespace sheettest {

int SheetHostTest::Pages() const { return doc->GetLayoutSheets()->GetCount(); }

SheetPtr SheetHostTest::MakeSheet(const std::wstring& name, double width, double height) {
    SheetPtr sheet = Sheet::Create(SheetMacro(name, width, height));
    sheet->InitParams();
    return sheet;
}

FigurePtr SheetHostTest::RectangleFigure(double width, double height) {
    return Figure::Create(
        vrnApi::CreateMacroByRectangle(L"Part", width, height, static_cast<int>(MacroCommand::Figure)));
}

FigurePtr SheetHostTest::MakeFigure(const NRect& border, double area, double length) {
    const double width = border.pTop.x - border.pBot.x;
    const double height = border.pTop.y - border.pBot.y;
    FigurePtr figure = RectangleFigure(width, height);
    figure->m_rectBorder = border;
    figure->m_rect = border;
    figure->m_area = area;
    figure->m_length = length;
    return figure;
}

std::wstring SheetHostTest::TableCell(const Sheet& sheet, int row, int column) {
    auto macro = std::dynamic_pointer_cast<NMacroObject>(sheet.m_macro);
    vlapi::ITablePtr table(macro ? macro->GetTableFromMacro() : vlapi::IDrawingTablePtr{});
    vlapi::ITableCellPtr cell = table ? table->GetCell(row, column) : vlapi::ITableCellPtr{};
    vlapi::ITextPtr text = cell ? vlapi::ITextPtr(cell->GetText()) : vlapi::ITextPtr{};
    return text ? text->GetText() : std::wstring();
}

void ModelHostTest::SetUp() {
    HostTest::SetUp();
    m_session = NestingModel::m_session;
    m_copy = NestingModel::copyParams;
}

void ModelHostTest::TearDown() {
    model.m_sheets.clear();
    model.m_figures.clear();
    NestingModel::m_session = m_session;
    NestingModel::copyParams = m_copy;
    HostTest::TearDown();
}

SheetPtr ModelHostTest::AddSheet(double x, double y, double width, double height) {
    AddCurrentView(x, y, 1.0);
    SheetPtr sheet = MakeSheet(L"Лист " + std::to_wstring(model.m_sheets.size() + 1), width, height);
    model.m_sheets.push_back(sheet);
    return sheet;
}

}  // namespace sheettest
