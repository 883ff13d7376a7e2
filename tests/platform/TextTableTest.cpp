// Texts with lines, items and fonts; drawing tables with cells and formats.
#include "HostFixture.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, ResultTableHasAHeaderRowAboveItsDataRows) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 3000, 1500);
  vlapi::IDrawingTablesPtr tables = vlapi::ISymbols2DContainerPtr(macro)->GetDrawingTables();
  ASSERT_EQ(tables->GetCount(), 0);
  vlapi::IDrawingTablePtr drawing = tables->AddTable(1, 5, 8, 70, 0);
  ASSERT_TRUE(drawing);
  vlapi::ITablePtr table = drawing;
  table->SetHeaderRows(0, 1);
  ASSERT_EQ(table->GetRowsCount(), 2);
  ASSERT_EQ(table->GetColumnsCount(), 5);
  auto write = [&](int r, int c, const std::wstring& s) {
    vlapi::ITextPtr text = table->GetCell(r, c)->GetText();
    text->SetText(s);
    vlapi::ITextLinePtr line = text->GetLine(0);
    line->SetAlignment(1);
    line->SetStep(1.0);
    line->GetItem(0)->SetJustification(3);
  };
  write(0, 0, L"Обозначение листа");
  write(1, 0, L"Лист 1");
  vlapi::ICellFormatPtr format = table->GetCell(0, 2);
  format->SetWidth(71);
  EXPECT_DOUBLE_EQ(vlapi::ICellFormatPtr(table->GetCell(1, 2))->GetWidth(), 71);  // a column has one width
  EXPECT_FALSE(table->GetCell(2, 0));
  EXPECT_EQ(vlapi::ITextPtr(table->GetCell(1, 0)->GetText())->GetText(), L"Лист 1");
  EXPECT_EQ(vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlObjectDrawingTable}).size(), 1u);
  drawing->Delete();
  EXPECT_EQ(tables->GetCount(), 0);
}

TEST_F(HostTest, TableRowsAreInsertedAfterARowAndRemovedAcrossSaveAndOpen) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 100, 50);
  vlapi::ITablePtr table = vlapi::ISymbols2DContainerPtr(macro)->GetDrawingTables()->AddTable(2, 2, 8, 30, 0);
  auto text = [&](int r) { return vlapi::ITextPtr(table->GetCell(r, 0)->GetText())->GetText(); };
  vlapi::ITextPtr(table->GetCell(0, 0)->GetText())->SetText(L"Заголовок");
  vlapi::ITextPtr(table->GetCell(1, 0)->GetText())->SetText(L"Последняя");
  vlapi::ICellFormatPtr(table->GetCell(0, 0))->SetHeight(12);
  ASSERT_TRUE(table->InsertRow(0));  // a new empty row 1, as high as row 0
  EXPECT_EQ(table->GetRowsCount(), 3);
  EXPECT_EQ(text(1), L"");
  EXPECT_DOUBLE_EQ(vlapi::ICellFormatPtr(table->GetCell(1, 1))->GetHeight(), 12);
  EXPECT_EQ(text(2), L"Последняя");
  ASSERT_TRUE(table->InsertRow(2));  // after the last row
  for (int out : {-1, 4}) {
    EXPECT_FALSE(table->InsertRow(out));
    EXPECT_FALSE(table->RemoveRow(out));
  }
  ASSERT_TRUE(table->RemoveRow(2));
  EXPECT_EQ(table->GetRowsCount(), 3);
  ASSERT_TRUE(doc->SaveAs(File("rows.vdw")));
  doc->Close(0);
  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("rows.vdw"), true, 1));
  ASSERT_TRUE(opened);
  vlapi::IMacroObjectPtr again = Container(ActiveView(opened))->GetObjects({vlapi::vlDrMacro})[0];
  table = vlapi::IDrawingContainerPtr(again)->GetObjects({vlapi::vlObjectDrawingTable})[0];
  ASSERT_EQ(table->GetRowsCount(), 3);
  EXPECT_EQ(text(0), L"Заголовок");
  EXPECT_EQ(text(1), L"");
  EXPECT_EQ(text(2), L"");
}

TEST_F(HostTest, TextItemsCarryFontsAndTypes) {
  auto doc = NewDrawing();
  auto text = AddText(Container(ActiveView(doc)), L"Первая\nВторая", 10, 20, 5);
  vlapi::ITextPtr face = text;
  ASSERT_EQ(face->GetLinesCount(), 2);
  vlapi::ITextItemPtr item = face->GetLine(1)->GetItem(0);
  EXPECT_EQ(item->GetString(), L"Вторая");
  vlapi::ITextFontPtr font = item;
  ASSERT_TRUE(font);
  EXPECT_DOUBLE_EQ(font->GetHeight(), 5);
  item->SetItemType(vlapi::vlTItHyperText);
  face->GetLine(1)->SetHeight(7);
  EXPECT_EQ(item->GetItemType(), vlapi::vlTItHyperText);
  EXPECT_DOUBLE_EQ(font->GetHeight(), 7);
  EXPECT_DOUBLE_EQ(text->GetHeight(), 5);  // of the first item
  EXPECT_EQ(face->GetText(), L"Первая\nВторая");
  // A line taken before the text was rewritten does not reach past the new text.
  vlapi::ITextLinePtr old = face->GetLine(1);
  face->SetText(L"Одна");
  EXPECT_EQ(old->GetItemsCount(), 0);
  EXPECT_FALSE(face->GetLine(1));
}

}  // namespace
}  // namespace vlhost::test
