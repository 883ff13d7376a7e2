// The model's results: every sheet measured in order, the title block of
// each page written, and the linear-nesting results kept and reported.
#include "sheet_fixture.h"

namespace sheettest {
namespace {

class ModelResultsTest : public ModelHostTest {
protected:
    std::wstring StampCell(int page, int cell) const {
        return doc->GetLayoutSheets()->GetItem(page)->GetStamp()->GetCellText(cell)->GetText();
    }
};

}  // namespace

TEST_F(ModelResultsTest, EverySheetIsMeasuredInOrder) {
    const SheetPtr first = AddSheet(0, 0);
    const FigurePtr onFirst = MakeFigure(NRect{{0, 0}, {1000, 1000}}, 900000, 4000);
    const SheetPtr second = AddSheet(3100, 0, 2000, 1000);
    const FigurePtr onSecond = MakeFigure(NRect{{0, 0}, {1000, 500}}, 500000, 3000);
    AddSheet(6200, 0);  // holds nothing
    model.m_figures = {onFirst, onSecond};
    MakeViewCurrent(0);

    model.CalculateNestingResult();
    ASSERT_EQ(model.m_result.sheet_results.size(), 3u);
    EXPECT_DOUBLE_EQ(model.m_result.sheet_results[0].figuresArea, 900000);
    EXPECT_DOUBLE_EQ(model.m_result.sheet_results[0].KIM, 20);
    EXPECT_DOUBLE_EQ(model.m_result.sheet_results[1].length, 3000);
    EXPECT_DOUBLE_EQ(model.m_result.sheet_results[1].KIM, 25);
    EXPECT_EQ(model.m_result.sheet_results[2].KIM, 0.0);
    // The job: the figures' area over the area of the two sheets used.
    EXPECT_DOUBLE_EQ(model.m_result.KIM, 1400000.0 * 100.0 / (4500000.0 + 2000000.0));
    EXPECT_TRUE(View(first->GetView())->GetCurrent());

    model.m_figures.clear();
    model.CalculateNestingResult();
    EXPECT_EQ(model.m_result.KIM, 0.0);
}

TEST_F(ModelResultsTest, WithoutSheetsThePreviousResultStays) {
    model.m_result.sheet_results = {SheetResult{1, 2, 3, 4}};
    model.m_result.KIM = 9.0;
    model.CalculateNestingResult();
    ASSERT_EQ(model.m_result.sheet_results.size(), 1u);
    EXPECT_EQ(model.m_result.KIM, 9.0);
}

TEST_F(ModelResultsTest, EachPageGetsItsSheetsLengthAndUtilisation) {
    doc->GetLayoutSheets()->Add();
    doc->GetLayoutSheets()->Add();
    for (int i = 0; i < 3; ++i) {
        AddSheet(3100.0 * i, 0, i == 1 ? 2000 : 3000, i == 1 ? 1250 : 1500);
    }
    NestingModel::m_widthSheet = 3000;
    NestingModel::m_heightSheet = 1500;
    model.m_thicknessSheet = 2;
    model.m_result.sheet_results = {SheetResult{0, 0, 1234.5, 78.251}, SheetResult{0, 0, 0, 0},
                                    SheetResult{0, 0, 7000, 100.0 / 3.0}};
    model.UpdateTablesInStamp();
    // Each page shows its own sheet's size.
    EXPECT_EQ(StampCell(0, 1101), L"3000x1500x2");
    EXPECT_EQ(StampCell(1, 1101), L"2000x1250x2");
    EXPECT_EQ(StampCell(2, 1101), L"3000x1500x2");
    EXPECT_EQ(StampCell(0, 1103), L"1234.500");
    EXPECT_EQ(StampCell(0, 1104), L"78.25");
    EXPECT_EQ(StampCell(1, 1104), L"0.00");
    EXPECT_EQ(StampCell(2, 1103), L"7000.000");
    EXPECT_EQ(StampCell(2, 1104), L"33.33");
}

TEST_F(ModelResultsTest, EachResultTableShowsItsOwnSheetsSize) {
    const SheetPtr big = AddSheet(0, 0, 3000, 1500);
    const SheetPtr small = AddSheet(3100, 0, 1000, 500);
    for (const SheetPtr& sheet : model.m_sheets)
        sheet->CreateResultTable();
    model.m_thicknessSheet = 4;
    model.UpdateResultTables(nullptr);
    EXPECT_EQ(TableCell(*big, 1, 2), L"3000x1500x4");
    EXPECT_EQ(TableCell(*small, 1, 2), L"1000x500x4");
}

TEST_F(ModelResultsTest, ASheetWithoutAResultYetLeavesItsPageAlone) {
    doc->GetLayoutSheets()->Add();
    AddSheet(0, 0);
    AddSheet(3100, 0);
    model.m_result.sheet_results = {SheetResult{0, 0, 10, 50}};
    model.UpdateTablesInStamp();
    EXPECT_EQ(StampCell(0, 1104), L"50.00");
    EXPECT_EQ(StampCell(1, 1104), L"");
}

TEST_F(ModelResultsTest, LinearResultsAreKeptAndTheirNumberShown) {
    const std::vector<std::tuple<double, double, double>> info = {{6000, 2, 95.5}, {6000, 1, 80}, {3000, 4, 99}};
    model.SetLinearCutInfo(info);
    EXPECT_EQ(model.m_linearCutInfo, info);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, L"3");
    EXPECT_EQ(Messages()[0].caption, L"");
    EXPECT_EQ(Messages()[0].flags, 0x40);
}

}  // namespace sheettest
