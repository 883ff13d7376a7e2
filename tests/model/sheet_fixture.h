// A fresh headless host per test with a new drawing, the library's globals
// pointing at it, and helpers that make sheet and figure macros in views.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/NestingMacro.h"
#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "model/NestingSheet.h"
#include "vlhost/Host.h"

namespace sheettest {

class SheetHostTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new view of the drawing with its origin and scale, made current so
    // that the next macros stand in it; its number.
    int AddCurrentView(double x, double y, double scale) const;
    void MakeViewCurrent(int number) const;
    vlapi::IViewPtr View(int number) const;
    bool HasView(int number) const { return View(number) != nullptr; }
    int Pages() const;

    // A sheet macro of the given size in the current view, and a sheet read from it.
    static INestingMacroObjectPtr SheetMacro(const std::wstring& name, double width, double height);
    static SheetPtr MakeSheet(const std::wstring& name, double width, double height);
    // A figure on a rectangle macro in the current view, whose border rectangle
    // is `border` and whose stored area and cut length are given.
    static FigurePtr MakeFigure(const NRect& border, double area, double length);

    // The text of a cell of the sheet's result table; empty without a table.
    static std::wstring TableCell(const Sheet& sheet, int row, int column);

    std::vector<vlhost::RecordedMessage>& Messages() { return host->State().messages; }

    std::filesystem::path root;
    std::unique_ptr<vlhost::Host> host;
    vlapi::IVarnelDocument2DPtr doc;

private:
    bool m_savedWithoutLayout = true;
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
    double m_width = 0.0;
    double m_height = 0.0;
    std::wstring m_material;
    bool m_session = false;
    ModelParams m_copy;
};

}  // namespace sheettest
