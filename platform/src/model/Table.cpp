#include "model/Table.h"

#include <algorithm>

namespace vlhost {
namespace {

class CellApi : public Api<NoCore, vlapi::ITableCell, vlapi::ICellFormat> {
 public:
  CellApi(Ref<DrawingTable> table, int row, int column) : table_(std::move(table)), row_(row), column_(column) {}
  vlapi::IVarnelAPIObjectPtr GetText() override {
    return Give<vlapi::IVarnelAPIObject>("ITableCell::GetText", table_->cells[row_][column_].get());
  }
  double GetWidth() override { return table_->widths[column_]; }
  void SetWidth(double width) override { if (width > 0) table_->widths[column_] = width; }
  double GetHeight() override { return table_->heights[row_]; }
  void SetHeight(double height) override { if (height > 0) table_->heights[row_] = height; }

 private:
  Ref<DrawingTable> table_;
  int row_, column_;
};

}  // namespace

DrawingTable::DrawingTable(const DrawingTable& other)
    : ShapeApi(other), corner(other.corner), widths(other.widths), heights(other.heights),
      headerFirst(other.headerFirst), headerCount(other.headerCount) {
  for (const auto& row : other.cells) {
    cells.emplace_back();
    for (const auto& cell : row) {
      Ref<CellText> copy = Make<CellText>();
      copy->model = cell->model;
      cells.back().push_back(copy);
    }
  }
}

void DrawingTable::Resize(int rows, int columns, double rowHeight, double columnWidth) {
  widths.assign(static_cast<std::size_t>(columns), columnWidth);
  heights.assign(static_cast<std::size_t>(rows), rowHeight);
  cells.clear();
  AddRowsOf(rows);
}

void DrawingTable::AddRowsOf(int count, int at) {
  const auto position = at < 0 || at > static_cast<int>(cells.size()) ? cells.size() : static_cast<std::size_t>(at);
  for (int r = 0; r < count; ++r) {
    std::vector<Ref<CellText>> row;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      Ref<CellText> text = Make<CellText>();
      text->model.Assign(L"", DefaultTextHeight());
      row.push_back(text);
    }
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(position), std::move(row));
  }
}

void DrawingTable::SetHeaderRows(int first, int count) {
  if (count <= 0 || first < 0 || first > GetRowsCount()) return;
  const double h = heights.empty() ? 8.0 : heights.front();
  heights.insert(heights.begin() + first, static_cast<std::size_t>(count), h);
  AddRowsOf(count, first);
  headerFirst = first;
  headerCount = count;
}

bool DrawingTable::AddRows(int count) {
  if (count <= 0) return false;
  const double h = heights.empty() ? 8.0 : heights.back();
  heights.insert(heights.end(), static_cast<std::size_t>(count), h);
  AddRowsOf(count);
  return true;
}

bool DrawingTable::InsertRow(int after) {
  if (after < 0 || after >= GetRowsCount()) return false;
  heights.insert(heights.begin() + after + 1, heights[static_cast<std::size_t>(after)]);
  AddRowsOf(1, after + 1);
  if (after + 1 <= headerFirst) ++headerFirst;
  else if (after + 1 < headerFirst + headerCount) ++headerCount;
  return true;
}

bool DrawingTable::RemoveRow(int row) {
  if (row < 0 || row >= GetRowsCount()) return false;
  heights.erase(heights.begin() + row);
  cells.erase(cells.begin() + row);
  if (row < headerFirst) --headerFirst;
  else if (row < headerFirst + headerCount) --headerCount;
  return true;
}

geom::Box DrawingTable::Box() const {
  double w = 0, h = 0;
  for (double x : widths) w += x;
  for (double y : heights) h += y;
  geom::Box box;
  box.add(corner);
  box.add({corner.x + w, corner.y - h});
  return box;
}

void DrawingTable::Apply(const geom::Transform& t) {
  corner = t.apply(corner);
  const double f = t.lengthFactor();
  for (double& w : widths) w *= f;
  for (double& h : heights) h *= f;
}

vlapi::ITableCellPtr DrawingTable::GetCell(int row, int column) {
  if (row < 0 || column < 0 || row >= GetRowsCount() || column >= GetColumnsCount()) return {};
  return Give<vlapi::ITableCell>("ITable::GetCell", new CellApi(Ref<DrawingTable>(this), row, column));
}

}  // namespace vlhost
