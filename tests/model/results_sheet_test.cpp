// One sheet's result: its area, the area and cut length of the valid figures
// on it, its utilisation, and the value row of its result table.
#include "sheet_fixture.h"

#include "model/NestingSetting.h"

#include <cmath>

namespace sheettest {
namespace {

class SheetResultTest : public SheetHostTest {
protected:
    void SetUp() override {
        SheetHostTest::SetUp();
        sheetView = AddCurrentView(0, 0, 1);
        sheet = MakeSheet(L"Лист 1", 3000, 1500);
        big = MakeFigure(NRect{{10, 10}, {1010, 1010}}, 1000000, 4000);
        small = MakeFigure(NRect{{1100, 10}, {1600, 1010}}, 500000, 3000);
    }

    static SheetParams Params() { return SheetParams{1, L"Лист 1", 3000, 1500, 2, L"Ст3", {}}; }

    int sheetView = -1;
    SheetPtr sheet;
    FigurePtr big;
    FigurePtr small;
};

}  // namespace

TEST_F(SheetResultTest, ValidFiguresOnTheSheetMakeItsResult) {
    sheet->CalculateSheetResult({big, nullptr, small});
    EXPECT_DOUBLE_EQ(sheet->m_result.sheetArea, 4500000);
    EXPECT_DOUBLE_EQ(sheet->m_result.figuresArea, 1500000);
    EXPECT_DOUBLE_EQ(sheet->m_result.length, 7000);
    EXPECT_NEAR(sheet->m_result.KIM, 100.0 / 3.0, 1e-12);

    sheet->CreateResultTable();
    sheet->UpdateResultTable(Params());
    EXPECT_EQ(TableCell(*sheet, 1, 0), L"Лист 1");
    EXPECT_EQ(TableCell(*sheet, 1, 1), L"Ст3");
    EXPECT_EQ(TableCell(*sheet, 1, 2), L"3000x1500x2");
    EXPECT_EQ(TableCell(*sheet, 1, 3), L"33.33");
    EXPECT_EQ(TableCell(*sheet, 1, 4), L"7000.00");
    // Resized to the sheet: half its width over four natural columns.
    vlapi::ITablePtr table(std::dynamic_pointer_cast<NMacroObject>(sheet->m_macro)->GetTableFromMacro());
    EXPECT_EQ(vlapi::ICellFormatPtr(table->GetCell(0, 2))->GetWidth(), 375);
}

// A figure over another (marked not valid) still takes its area of the
// sheet and has its cut: the result counts it whole.
TEST_F(SheetResultTest, AnOverlappingFigureCountsWhole) {
    small->m_valid = false;
    sheet->CalculateSheetResult({big, small});
    EXPECT_DOUBLE_EQ(sheet->m_result.sheetArea, 4500000);
    EXPECT_DOUBLE_EQ(sheet->m_result.figuresArea, 1500000);
    EXPECT_DOUBLE_EQ(sheet->m_result.length, 7000);
    sheet->CreateResultTable();
    sheet->UpdateResultTable(Params());
    EXPECT_EQ(TableCell(*sheet, 1, 3), L"33.33");
    EXPECT_EQ(TableCell(*sheet, 1, 4), L"7000.00");
}

TEST_F(SheetResultTest, FiguresOfOtherViewsCountOnlyForASheetInTheSystemView) {
    AddCurrentView(0, 0, 1);
    const FigurePtr elsewhere = MakeFigure(NRect{{10, 10}, {1010, 1010}}, 1000000, 4000);
    sheet->CalculateSheetResult({elsewhere});
    EXPECT_EQ(sheet->m_result.figuresArea, 0.0);

    MakeViewCurrent(0);
    const SheetPtr systemSheet = MakeSheet(L"Лист 0", 3000, 1500);
    systemSheet->CalculateSheetResult({elsewhere});
    EXPECT_DOUBLE_EQ(systemSheet->m_result.figuresArea, 1000000);
}

TEST_F(SheetResultTest, ASheetWithoutAreaHasNoUtilisation) {
    Sheet flat(nullptr);  // no outline: a zero rectangle
    flat.CalculateSheetResult({big});
    EXPECT_EQ(flat.m_result.sheetArea, 0.0);
    EXPECT_TRUE(std::isfinite(flat.m_result.KIM));
    EXPECT_EQ(flat.m_result.KIM, 0.0);
    sheet->CalculateSheetResult({});
    EXPECT_EQ(sheet->m_result.KIM, 0.0);
}

TEST_F(SheetResultTest, ResultsAreWrittenOnlyWithoutALayout) {
    sheet->CalculateSheetResult({big});
    sheet->CreateResultTable();
    NestingSetting::m_withoutLayout = false;
    sheet->UpdateResultTable(Params());
    EXPECT_EQ(TableCell(*sheet, 1, 0), L"");
    EXPECT_EQ(TableCell(*sheet, 0, 0), L"Обозначение листа");
    Sheet(nullptr).UpdateResultTable(Params());  // no macro: nothing to write
}

}  // namespace sheettest
