#pragma once
// Drawing tables: a grid of cells with texts, column widths and row heights.
#include <vector>

#include "model/Text.h"

namespace vlhost {

// The table's corner (x, y) is its top-left; rows run down from it.
class DrawingTable : public ShapeApi<vlapi::IDrawingTable, vlapi::ITable> {
 public:
  DrawingTable() = default;
  DrawingTable(const DrawingTable& other);
  VLHOST_SHAPE(DrawingTable, vlapi::vlDrTable, vlapi::vlObjectDrawingTable)
  geom::Point corner;
  std::vector<double> widths;   // per column
  std::vector<double> heights;  // per row
  std::vector<std::vector<Ref<CellText>>> cells;  // [row][column]
  int headerFirst = 0, headerCount = 0;

  void Resize(int rows, int columns, double rowHeight, double columnWidth);
  // Appends `count` empty rows at row `at` (the end when at < 0).
  void AddRowsOf(int count, int at = -1);
  bool Graphic() const override { return false; }
  geom::Box Box() const override;
  void Apply(const geom::Transform& t) override;
  // vlapi::IDrawingTable
  double GetX() override { return corner.x; }
  double GetY() override { return corner.y; }
  void SetX(double v) override { corner.x = v; }
  void SetY(double v) override { corner.y = v; }
  // vlapi::ITable
  int GetRowsCount() override { return static_cast<int>(heights.size()); }
  int GetColumnsCount() override { return static_cast<int>(widths.size()); }
  vlapi::ITableCellPtr GetCell(int row, int column) override;
  void SetHeaderRows(int first, int count) override;
  bool AddRows(int count) override;
  bool InsertRow(int after) override;
  bool RemoveRow(int row) override;
};

}  // namespace vlhost
