// The sheet object on the stand-in host: read from its macro, sized, named,
// counted, tested against figures and points, and cleared.
#include "sheet_fixture.h"

#include "host/HostAccess.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace sheettest {
namespace {

class SheetObjectTest : public SheetHostTest {};

void ExpectRect(const NRect& rect, double x1, double y1, double x2, double y2) {
    EXPECT_NEAR(rect.pBot.x, x1, 1e-6);
    EXPECT_NEAR(rect.pBot.y, y1, 1e-6);
    EXPECT_NEAR(rect.pTop.x, x2, 1e-6);
    EXPECT_NEAR(rect.pTop.y, y2, 1e-6);
}

NRect Rect(double x1, double y1, double x2, double y2) { return NRect{{x1, y1}, {x2, y2}}; }

}  // namespace

TEST_F(SheetObjectTest, NewSheetHasTheSheetDefaults) {
    const Sheet sheet(nullptr);
    EXPECT_EQ(sheet.m_objectType, NestingObjectType::Sheet);
    EXPECT_EQ(sheet.m_command, MacroCommand::Sheet);
    EXPECT_TRUE(sheet.m_valid);
    EXPECT_FALSE(sheet.m_edit || sheet.m_choose || sheet.m_temp || sheet.m_occupied);
    EXPECT_EQ(sheet.m_count, 1.0);
    EXPECT_FALSE(sheet.m_polygon);
    ExpectRect(sheet.m_rect, 0, 0, 0, 0);
    EXPECT_EQ(sheet.m_tableParams.cellWidth, 70.0);
    EXPECT_EQ(sheet.m_tableParams.cellHeight, 12.0);
    EXPECT_EQ(sheet.m_tableParams.countCols, 4);
}

TEST_F(SheetObjectTest, OutlineIsReadIntoTheSheetsOwnFrame) {
    AddCurrentView(20, 10, 0.1);
    const SheetPtr sheet = MakeSheet(L"Лист 1", 3000, 1500);
    EXPECT_EQ(sheet->m_name, L"Лист 1");
    ASSERT_TRUE(sheet->m_polygon);
    ExpectRect(sheet->m_rect, 0, 0, 3000, 1500);
    EXPECT_DOUBLE_EQ(sheet->GetWidth(), 3000);
    EXPECT_DOUBLE_EQ(sheet->GetHeight(), 1500);
}

TEST_F(SheetObjectTest, RectangularSheetsTakeANewSizeOthersIgnoreIt) {
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    sheet->SetWidth(2000);
    sheet->SetHeight(1000);
    ExpectRect(sheet->m_rect, 0, 0, 2000, 1000);

    const NPolygon ell({}, {{0, 0}, {300, 0}, {300, 100}, {100, 100}, {100, 200}, {0, 200}});
    const SheetPtr shaped = Sheet::Create(vrnApi::CreateMacroByPolygon(ell, L"L", 102));
    shaped->InitParams();
    ASSERT_TRUE(shaped->m_polygon);
    shaped->SetWidth(1000);
    ExpectRect(shaped->m_rect, 0, 0, 300, 200);

    Sheet bare(nullptr);
    bare.SetWidth(1000);  // nothing to resize
    EXPECT_FALSE(bare.m_polygon);
}

TEST_F(SheetObjectTest, CountLivesInTheMacrosProperty) {
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    sheet->m_count = 4.0;
    sheet->SaveParams();
    const SheetPtr again = Sheet::Create(sheet->m_macro);
    again->LoadParams();
    EXPECT_EQ(again->m_count, 4.0);

    const SheetPtr unsaved = MakeSheet(L"Лист 2", 3000, 1500);
    unsaved->LoadParams();
    EXPECT_EQ(unsaved->m_count, 1.0);

    // A count edited in the drawing into what counts no sheets is not taken.
    for (const double edited : {-3.0, std::nan(""), HUGE_VAL, 1e16}) {
        sheet->m_macro->SetPropertyMacro(L"Count", edited);
        const SheetPtr read = Sheet::Create(sheet->m_macro);
        read->LoadParams();
        EXPECT_EQ(read->m_count, 1.0) << edited;
    }
}

TEST_F(SheetObjectTest, NameGoesToTheMacroAndTheView) {
    const int view = AddCurrentView(0, 0, 1);
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    sheet->m_name = L"Карта раскроя 1";
    sheet->UpdateName();
    EXPECT_EQ(sheet->m_macro->GetName(), L"Карта раскроя 1");
    EXPECT_EQ(View(view)->GetName(), L"Карта раскроя 1");
}

TEST_F(SheetObjectTest, FigureMustLieWithinTheSheetInItsView) {
    const int sheetView = AddCurrentView(0, 0, 1);
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    const FigurePtr touching = MakeFigure(Rect(0, 0, 3000, 1500), 1, 1);
    const FigurePtr over = MakeFigure(Rect(0, 0, 3000.0002, 100), 1, 1);
    EXPECT_TRUE(sheet->CheckContainFigure(touching));
    EXPECT_FALSE(sheet->CheckContainFigure(over));
    EXPECT_FALSE(sheet->CheckContainFigure(nullptr));

    AddCurrentView(0, 0, 1);
    const FigurePtr elsewhere = MakeFigure(Rect(10, 10, 20, 20), 1, 1);
    EXPECT_FALSE(sheet->CheckContainFigure(elsewhere));
    MakeViewCurrent(0);
    const SheetPtr systemSheet = MakeSheet(L"Лист 0", 3000, 1500);
    EXPECT_TRUE(systemSheet->CheckContainFigure(elsewhere));
    EXPECT_NE(sheetView, 0);
}

TEST_F(SheetObjectTest, FigureInAnotherViewIsJudgedAgainstTheShiftedSheet) {
    const int sheetView = AddCurrentView(200, 100, 0.5);
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    MakeViewCurrent(0);
    // The sheet's rectangle in the other view's frame: (400, 200)-(3400, 1700).
    FigurePtr inside = MakeFigure(Rect(400, 200, 500, 300), 1, 1);
    FigurePtr outside = MakeFigure(Rect(10, 10, 20, 20), 1, 1);
    EXPECT_TRUE(sheet->CheckContainFigureEx(inside));
    EXPECT_FALSE(sheet->CheckContainFigureEx(outside));
    MakeViewCurrent(sheetView);
    FigurePtr same = MakeFigure(Rect(10, 10, 20, 20), 1, 1);
    EXPECT_TRUE(sheet->CheckContainFigureEx(same));
    EXPECT_FALSE(sheet->CheckContainFigureEx(nullptr));
}

TEST_F(SheetObjectTest, PickedPointIsTakenIntoTheSheetsFrame) {
    AddCurrentView(100, 50, 0.5);
    const SheetPtr sheet = MakeSheet(L"Лист", 300, 200);
    EXPECT_TRUE(sheet->CheckContainPoint({10, 10}));
    EXPECT_TRUE(sheet->CheckContainPoint({290, 190}));
    EXPECT_FALSE(sheet->CheckContainPoint({310, 10}));
    EXPECT_FALSE(sheet->CheckContainPoint({300, 100}));  // on the border
    EXPECT_FALSE(Sheet(nullptr).CheckContainPoint({10, 10}));
}

TEST_F(SheetObjectTest, BorderQueries) {
    const SheetPtr sheet = MakeSheet(L"Лист", 300, 200);
    NPoint out{-1, -1};
    EXPECT_FALSE(sheet->GetProjectionPoint({150, 5}, 5.0, out));  // at exactly the distance
    EXPECT_EQ(out.x, -1);
    EXPECT_TRUE(sheet->GetProjectionPoint({150, 5}, 5.01, out));
    EXPECT_NEAR(out.x, 150, 1e-9);
    EXPECT_NEAR(out.y, 0, 1e-9);
    EXPECT_TRUE(sheet->CheckContainPointOnBorders({150, 195}, 6.0));
    EXPECT_FALSE(sheet->CheckContainPointOnBorders({150, 100}, 6.0));

    NPoint crossing;
    EXPECT_TRUE(sheet->GetNearIntersectionWithBorders(NSegment({150, 100}, {150, 500}, 0), {150, 100}, crossing));
    EXPECT_NEAR(crossing.y, 200, 1e-9);

    const Sheet bare(nullptr);
    NPoint a, b;
    EXPECT_FALSE(bare.GetProjectionPoint({0, 0}, 100, out));
    EXPECT_FALSE(bare.CheckContainPointOnBorders({0, 0}, 100));
    EXPECT_FALSE(bare.GetNormalToBorders({0, 0}, a, b));
    EXPECT_FALSE(bare.GetNearIntersectionWithBorders(NSegment({0, 0}, {1, 1}, 0), {0, 0}, crossing));
}

TEST_F(SheetObjectTest, MovingASheetMovesMacroAndOutline) {
    const SheetPtr sheet = MakeSheet(L"Лист", 300, 200);
    double x0 = 0, y0 = 0, a0 = 0;
    sheet->GetPlacement(x0, y0, a0);
    sheet->SetPlacement(50, 20, 45);
    double x = 0, y = 0, a = 0;
    sheet->GetPlacement(x, y, a);
    EXPECT_NEAR(x - x0, 50, 1e-9);
    EXPECT_NEAR(y - y0, 20, 1e-9);
    EXPECT_NEAR(a, a0, 1e-9);
    ExpectRect(sheet->m_rect, 50, 20, 350, 220);
}

TEST_F(SheetObjectTest, EqualSheetsAreEqualUpToTranslation) {
    const SheetPtr a = MakeSheet(L"A", 300, 200);
    const SheetPtr b = MakeSheet(L"B", 300, 200);
    const SheetPtr c = MakeSheet(L"C", 300, 201);
    b->SetPlacement(1000, 0, 0);
    EXPECT_TRUE(a->IsEquilSheet(*b));
    EXPECT_FALSE(a->IsEquilSheet(*c));
    EXPECT_FALSE(a->IsEquilSheet(Sheet(nullptr)));
}

TEST_F(SheetObjectTest, ResultTableHeightFollowsTheSheetWidth) {
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    EXPECT_EQ(sheet->GetResultTableHeight(), 129.0);
    EXPECT_EQ(Sheet(nullptr).GetResultTableHeight(), 0.0);
    sheet->m_tableParams.countCols = 0;  // no table width: no height rather than a division by zero
    EXPECT_EQ(sheet->GetResultTableHeight(), 0.0);
}

TEST_F(SheetObjectTest, ContourIsDrawnInTheActiveView) {
    const SheetPtr sheet = MakeSheet(L"Лист", 300, 200);
    sheet->DrawContour();
    ASSERT_EQ(sheet->m_polygon->m_segments.size(), 1u);
    EXPECT_TRUE(hostAccess::ObjectOf(doc, sheet->m_polygon->m_segments[0]));
    Sheet(nullptr).DrawContour();  // no outline: nothing
}

TEST_F(SheetObjectTest, ResultTableIsDrawnOnlyWithoutALayout) {
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    NestingSetting::m_withoutLayout = false;
    sheet->CreateResultTable();
    EXPECT_EQ(TableCell(*sheet, 0, 1), L"");
    NestingSetting::m_withoutLayout = true;
    sheet->CreateResultTable();
    EXPECT_EQ(TableCell(*sheet, 0, 0), L"Обозначение листа");
    EXPECT_EQ(TableCell(*sheet, 0, 4), L"Периметр, мм");
    sheet->DeleteResultTable();
    EXPECT_EQ(TableCell(*sheet, 0, 0), L"");
}

TEST_F(SheetObjectTest, ClearingDeletesOnlyWhatTheModelMade) {
    doc->GetLayoutSheets()->Add();
    const int loadedView = AddCurrentView(0, 0, 1);
    const SheetPtr loaded = MakeSheet(L"Лист 1", 300, 200);
    loaded->m_edit = true;
    loaded->Clear();
    EXPECT_TRUE(HasView(loadedView));
    EXPECT_EQ(Pages(), 2);

    Sheet bare(nullptr);
    bare.Clear();  // owns no view and no page
    EXPECT_EQ(Pages(), 2);

    const int madeView = AddCurrentView(0, 0, 1);
    const SheetPtr made = MakeSheet(L"Лист 2", 300, 200);
    made->Clear();
    EXPECT_FALSE(HasView(madeView));
    EXPECT_EQ(Pages(), 1);
}

}  // namespace sheettest
