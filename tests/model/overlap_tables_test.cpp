// Results written back after a check: each sheet's result table or the title
// block, the document's material, the remnants' numbers, and the host's
// progress bar as the model drives it.
#include "sheet_fixture.h"

#include "model/NestingSetting.h"
#include "model/ProgressIndicator.h"

namespace sheettest {
namespace {

class ResultTablesTest : public ModelHostTest {
protected:
    void SetUp() override {
        ModelHostTest::SetUp();
        NestingModel::m_widthSheet = 3000;
        NestingModel::m_heightSheet = 1500;
        NestingModel::m_materialSheet = L"Ст3";
        model.m_thicknessSheet = 2;
    }

    void TearDown() override {
        model.m_wastes.clear();
        ModelHostTest::TearDown();
    }

    // Two sheets, a third of the first covered, the second empty; current view back to 0.
    void TwoSheetsOneCovered() {
        first = AddSheet(0, 0);
        first->CreateResultTable();
        figure = MakeFigure(NRect{{10, 10}, {1510, 1010}}, 1500000, 5000);
        second = AddSheet(3100, 0);
        second->CreateResultTable();
        MakeViewCurrent(0);
    }

    WastePtr RemnantInView(int view) {
        MakeViewCurrent(view);
        WastePtr waste = Waste::Create(
            vrnApi::CreateMacroByRectangle(L"Остаток", 100, 50, static_cast<int>(MacroCommand::Waste)));
        model.m_wastes.push_back(waste);
        return waste;
    }

    std::wstring StampCell(int page, int cell) const {
        return doc->GetLayoutSheets()->GetItem(page)->GetStamp()->GetCellText(cell)->GetText();
    }

    const vlhost::ProgressState& Bar() { return host->State().progress; }

    SheetPtr first;
    SheetPtr second;
    FigurePtr figure;
};

}  // namespace

TEST_F(ResultTablesTest, EachSheetsTableShowsItsAreaLengthAndUtilisation) {
    TwoSheetsOneCovered();
    model.UpdateResultTables(figure);  // the figure joins the model
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(TableCell(*first, 1, 0), L"Лист 1");
    EXPECT_EQ(TableCell(*first, 1, 1), L"Ст3");
    EXPECT_EQ(TableCell(*first, 1, 2), L"3000x1500x2");
    EXPECT_EQ(TableCell(*first, 1, 3), L"33.33");
    EXPECT_EQ(TableCell(*first, 1, 4), L"5000.00");
    EXPECT_EQ(TableCell(*second, 1, 0), L"Лист 2");
    EXPECT_EQ(TableCell(*second, 1, 3), L"0.00");
    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"Ст3");
}

TEST_F(ResultTablesTest, AFigureAlreadyInTheModelIsCountedOnce) {
    TwoSheetsOneCovered();
    model.m_figures = {figure};
    model.UpdateResultTables(figure);
    EXPECT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(TableCell(*first, 1, 3), L"33.33");
    EXPECT_EQ(TableCell(*first, 1, 4), L"5000.00");
}

// An overlap found by the check leaves the sheet's result as it is; a part of
// other stock is not cut from the sheet and takes none of it.
TEST_F(ResultTablesTest, AnOverlapKeepsTheSheetsResultAPartOfOtherStockIsNotCounted) {
    TwoSheetsOneCovered();
    model.m_figures = {figure};
    figure->m_valid = false;
    model.UpdateResultTables(nullptr);
    EXPECT_EQ(TableCell(*first, 1, 3), L"33.33");
    EXPECT_EQ(TableCell(*first, 1, 4), L"5000.00");
    figure->SetThickness(model.m_thicknessSheet + 1.0);
    model.UpdateResultTables(nullptr);
    EXPECT_EQ(TableCell(*first, 1, 3), L"0.00");
    EXPECT_EQ(TableCell(*first, 1, 4), L"0.00");
}

TEST_F(ResultTablesTest, WithAPageLayoutOnlyTheTitleBlockIsWritten) {
    doc->GetLayoutSheets()->Add();
    TwoSheetsOneCovered();
    model.m_figures = {figure};
    NestingSetting::m_withoutLayout = false;
    model.UpdateResultTables(nullptr);
    EXPECT_EQ(StampCell(0, 1101), L"3000x1500x2");
    EXPECT_EQ(StampCell(0, 1103), L"5000.000");
    EXPECT_EQ(StampCell(0, 1104), L"33.33");
    EXPECT_EQ(StampCell(1, 1104), L"0.00");
    EXPECT_EQ(TableCell(*first, 1, 0), L"");
    EXPECT_NE(vrnApi::GetMaterialPropertyFromDocument(), L"Ст3");
}

// With a page layout or without, the remnants are numbered and labelled with
// the sheets' stock as it is now (changed since they were built).
TEST_F(ResultTablesTest, RemnantsAreNumberedThroughTheSheets) {
    doc->GetLayoutSheets()->Add();
    TwoSheetsOneCovered();
    const WastePtr a = RemnantInView(first->GetView());
    const WastePtr b = RemnantInView(second->GetView());
    const WastePtr c = RemnantInView(first->GetView());
    const WastePtr loose = RemnantInView(0);
    b->m_owner = second;  // labelled by its sheet
    for (const bool withoutLayout : {true, false}) {
        SCOPED_TRACE(withoutLayout);
        NestingSetting::m_withoutLayout = withoutLayout;
        NestingModel::m_materialSheet = withoutLayout ? L"Ст3" : L"AISI 304";
        model.m_thicknessSheet = withoutLayout ? 2.0 : 3.0;
        loose->m_number = 7;
        loose->m_subNumber = 3;
        model.m_textSize = 12;
        model.UpdateResultTables(nullptr);
        EXPECT_EQ(std::make_pair(a->m_number, a->m_subNumber), std::make_pair(1, 1));
        EXPECT_EQ(std::make_pair(c->m_number, c->m_subNumber), std::make_pair(2, 2));
        EXPECT_EQ(std::make_pair(b->m_number, b->m_subNumber), std::make_pair(3, 1));
        EXPECT_EQ(std::make_pair(loose->m_number, loose->m_subNumber), std::make_pair(7, 3));
        EXPECT_EQ(a->m_material, NestingModel::m_materialSheet);
        EXPECT_EQ(loose->m_material, NestingModel::m_materialSheet);
        EXPECT_EQ(b->m_macro->GetName(), withoutLayout ? L"Отход Лист 2-1(3) Ст3" : L"Отход Лист 2-1(3) AISI 304");
        EXPECT_EQ(b->m_thickness, model.m_thicknessSheet);
        EXPECT_TRUE(View(first->GetView())->GetCurrent());
    }
}

TEST_F(ResultTablesTest, ProgressGoesToTheHostsBarAndTheBarIsClosed) {
    model.CreateProgressIndicator();
    EXPECT_TRUE(Bar().shown);
    EXPECT_EQ(Bar().range, 100);
    EXPECT_EQ(Bar().text, L"");
    ASSERT_NE(ProgressIndicator::GetInstance(), nullptr);
    ProgressIndicator::GetInstance()->SetValue(42.9);
    EXPECT_EQ(Bar().position, 42);
    model.SetProgressIndicator(60.0);
    EXPECT_EQ(Bar().position, 60);
    EXPECT_DOUBLE_EQ(ProgressIndicator::GetInstance()->m_value, 60.0);
    model.SetProgressIndicator(100.0);
    EXPECT_FALSE(Bar().shown);
    model.SetProgressIndicator(0.0);
    EXPECT_TRUE(Bar().shown);
    model.DeleteProgressIndicator();
    EXPECT_FALSE(Bar().shown);
    EXPECT_EQ(Bar().starts, Bar().stops);
}

TEST_F(ResultTablesTest, ProgressWithoutAHostDoesNothing) {
    application = nullptr;
    model.CreateProgressIndicator();
    model.SetProgressIndicator(50.0);
    model.DeleteProgressIndicator();
    EXPECT_EQ(Bar().starts, 0);
}

}  // namespace sheettest
