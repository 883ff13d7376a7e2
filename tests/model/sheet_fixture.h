// The host fixture without the page layout, and helpers that make sheet and
// figure macros in views.
#pragma once

#include "support/host_fixture.h"

#include <string>

#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "model/NestingSheet.h"
#include "sheet_statics.h"

namespace sheettest {

// The host fixture with the job's page layout switched off for the test.
class SheetHostTest : public hosttest::HostTest {
protected:
    bool HasView(int number) const { return View(number) != nullptr; }
    int Pages() const;

    // A sheet read from a new sheet macro of the given size in the current view.
    static SheetPtr MakeSheet(const std::wstring& name, double width, double height);
    // A figure on a new rectangle macro of the given size in the current view.
    static FigurePtr RectangleFigure(double width, double height);
    // A figure on a rectangle macro in the current view, whose border rectangle
    // is `border` and whose stored area and cut length are given.
    static FigurePtr MakeFigure(const NRect& border, double area, double length);

    // The text of a cell of the sheet's result table; empty without a table.
    static std::wstring TableCell(const Sheet& sheet, int row, int column);

private:
    hosttest::LayoutSwitch m_layout{true};
};

// The same with a model, whose process-wide statics (sheet size and material,
// session copy) are put back after each test.
class ModelHostTest : public SheetHostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sheet of the given size in a new view at (x, y), scale 1, added to the model.
    SheetPtr AddSheet(double x, double y, double width = 3000.0, double height = 1500.0);

    NestingModel model;

private:
    SavedSheetStatics m_sheetStatics;
    bool m_session = false;
    ModelParams m_copy;
};

}  // namespace sheettest
