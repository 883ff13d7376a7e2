#include "model/Layout.h"

#include <algorithm>

namespace vlhost {
namespace {

struct FormatSize {
  double longSide, shortSide;
};

constexpr FormatSize kFormats[] = {{1189, 841}, {841, 594}, {594, 420}, {420, 297}, {297, 210}, {210, 148}};

class PagesApi : public Api<NoCore, vlapi::ILayoutSheets> {
 public:
  explicit PagesApi(Document2D* doc) : doc_(doc) {}
  int GetCount() override { return static_cast<int>(doc_->Pages().size()); }
  vlapi::ILayoutSheetPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::ILayoutSheet>("ILayoutSheets::GetItem", doc_->Pages()[static_cast<std::size_t>(index)].get());
  }
  vlapi::ILayoutSheetPtr Add() override {
    if (Failures::Instance().Fails("ILayoutSheets::Add")) return {};
    return Give<vlapi::ILayoutSheet>(doc_->AddPage().get());
  }

 private:
  Ref<Document2D> doc_;
};

}  // namespace

double SheetFormat::GetWidth() {
  if (format == vlapi::vlFormatUser) return userWidth;
  const FormatSize& f = kFormats[format];
  return vertical ? f.shortSide : f.longSide;
}

double SheetFormat::GetHeight() {
  if (format == vlapi::vlFormatUser) return userHeight;
  const FormatSize& f = kFormats[format];
  return vertical ? f.longSide : f.shortSide;
}

Ref<CellText> Stamp::Cell(int number) {
  Ref<CellText>& cell = cells[number];
  if (!cell) {
    cell = Make<CellText>();
    cell->model.Assign(L"", DefaultTextHeight());
  }
  return cell;
}

vlapi::ITextPtr Stamp::GetCellText(int cell) {
  if (cell <= 0) return {};
  return Give<vlapi::IText>("IStamp::GetCellText", Cell(cell).get());
}

std::vector<int> Stamp::GetCellNumbers() {
  std::vector<int> numbers;
  for (const auto& [number, cell] : cells)
    if (!cell->GetText().empty()) numbers.push_back(number);
  return numbers;
}

LayoutSheet::LayoutSheet(Document2D* doc)
    : format(Make<SheetFormat>()), styleLibrary(L"GOST.vst"), stamp(Make<Stamp>()) {
  Register(doc);
}

bool LayoutSheet::HasLayout() const {
  const std::wstring suffix = L"GRAPHIC.vst";
  return !(styleLibrary.size() >= suffix.size() &&
           styleLibrary.compare(styleLibrary.size() - suffix.size(), suffix.size(), suffix) == 0);
}

vlapi::ISheetFormatPtr LayoutSheet::GetFormat() { return Give<vlapi::ISheetFormat>("ILayoutSheet::GetFormat", format.get()); }

vlapi::IStampPtr LayoutSheet::GetStamp() { return Give<vlapi::IStamp>("ILayoutSheet::GetStamp", stamp.get()); }

bool LayoutSheet::Delete() {
  Document2D* doc = Doc();
  if (!doc || doc->Pages().size() < 2) return false;  // a drawing keeps one page
  doc->RemovePage(this);
  return true;
}

vlapi::ILayoutSheetsPtr MakeLayoutSheets(Document2D* doc) { return Give<vlapi::ILayoutSheets>(new PagesApi(doc)); }

}  // namespace vlhost
