// The five registers of the documentation as plain tables: their file name,
// title, columns and rows, built from the reporter's lists. The host table
// document and its CSV twin are both written from one of these, so that the
// two always agree.
#pragma once

#include "model/NestingModel.h"

#include <optional>
#include <map>
#include <string>
#include <vector>

namespace registers {

struct Column {
    std::wstring title;
    double width = 0.0;  // mm
    // The column holds text (names, materials, sizes as "2x500x300"), not
    // numbers: its CSV cells are kept as text by a spreadsheet.
    bool text = false;
};

// One line of a register; a cell without a value is left unwritten.
struct Row {
    std::vector<std::optional<std::wstring>> cells;
    double height = 0.0;  // of the row's last cell, mm; 0 keeps the table's rows
};

struct Table {
    std::wstring name;  // the file name without extension
    std::wstring title;
    std::vector<Column> columns;
    std::vector<Row> rows;
    // Made with one data row at the origin and grown row by row (the register
    // of linear cuts); otherwise made with all its rows, its top at their height.
    bool growing = false;
};

// Equal figures (same name, owner sheet, thickness and material) and equal
// sheets (same outline),
// each group led by its first member, in the order of first appearance.
struct FigureGroup {
    FigurePtr first;
    int32_t count = 0;
};
struct SheetGroup {
    SheetPtr first;
    int32_t size = 0;
    double blanks = 0.0;  // the sum of the group's sheet counts
};
std::vector<FigureGroup> GroupFigures(const std::vector<FigurePtr>& figures);
std::vector<SheetGroup> GroupSheets(const std::vector<SheetPtr>& sheets);

// The sheet whose view holds the object: the first in list order; none for
// an object in no sheet's view.
SheetPtr SheetInView(const std::vector<SheetPtr>& sheets, int view);
// The same for many objects: each sheet's view is asked of the host once.
class SheetsByView {
public:
    explicit SheetsByView(const std::vector<SheetPtr>& sheets);
    SheetPtr Of(int view) const;

private:
    std::map<int, SheetPtr> m_sheets;
};

Table CardsTable(const NestingModel& model, const std::vector<SheetPtr>& sheets, const std::vector<WastePtr>& wastes);
// The parts of each map in the order of the maps, then the parts placed on
// no map, whose map cell says so.
Table DetailsTable(const NestingModel& model, const std::vector<FigureGroup>& groups);
Table MaterialTable(const NestingModel& model, const std::vector<SheetGroup>& groups);
Table WastesTable(const std::vector<WastePtr>& wastes, const std::vector<SheetPtr>& sheets);
// One bar of linear nesting as its register lists it: how often it is cut,
// and its pieces, one entry per name and length in the order they first
// lie along the bar.
struct LinearPiece {
    std::wstring name;
    double length = 0.0;  // mm
    int32_t count = 0;
};
struct LinearBar {
    std::wstring name;
    double length = 0.0;  // mm
    double width = 0.0;   // mm
    double count = 0.0;   // bars cut so
    std::vector<LinearPiece> pieces;
};
// An offcut of linear nesting shorter than this is waste (mm), unless the
// user sets another minimum.
inline constexpr double kLinearMinimumRemnant = 250.0;
// The bars a linear-nesting drawing holds: each sheet, in list order, with
// the figures in its view (a figure's length is that of its outline).
std::vector<LinearBar> LinearBars(const std::vector<FigurePtr>& figures, const std::vector<SheetPtr>& sheets);
// The offcut a bar of `bar` mm leaves once `pieces` pieces of `used` mm in
// all are cut from it with cuts `gap` wide: a cut between neighbours and one
// more that parts the offcut from the last piece. Pieces that use the bar
// exactly need no last cut, and an end shorter than that cut goes in it: 0.
double LinearOffcut(double bar, double used, long long pieces, double gap);
// The register of linear cuts, lengths to a tenth of a millimetre as
// planned. A bar's remainder is its offcut (LinearOffcut) in whole tenths,
// rounded down (never longer than it is); it is named as a remnant only when
// that is `minimumRemnant` long or longer (a shorter one is waste).
Table LNTable(const NestingModel& model, const std::vector<LinearBar>& bars, double gap, double minimumRemnant);

}  // namespace registers
