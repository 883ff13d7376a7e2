// The model's sheets as a set: the common size, names, selection and
// look-up, the lay-out of the sheet views, its recognition from a drawing,
// and the sheet thickness and material taken from the figures.
#include "readback.h"
#include "sheet_fixture.h"

#include "model/NestingSetting.h"

namespace sheettest {
namespace {

class SheetModelTest : public ModelHostTest {
protected:
    static FigurePtr Part(double thickness, const std::wstring& material) {
        FigurePtr figure = Figure::Create(nullptr);
        figure->m_thickness = thickness;
        figure->m_material = material;
        return figure;
    }
    NPoint Origin(const Sheet& sheet) const {
        vlapi::IViewPtr view = View(sheet.GetView());
        return {view->GetX(), view->GetY()};
    }
};

}  // namespace

TEST_F(SheetModelTest, CommonSizeGoesToEveryRectangularSheet) {
    const SheetPtr a = AddSheet(0, 0);
    const SheetPtr b = AddSheet(3100, 0);
    const NPolygon ell({}, {{0, 0}, {300, 0}, {300, 100}, {100, 100}, {100, 200}, {0, 200}});
    const SheetPtr shaped = Sheet::Create(vrnApi::CreateMacroByPolygon(ell, L"L", 102));
    shaped->InitParams();
    model.m_sheets.push_back(shaped);

    model.SetWidthSheet(2000);
    model.SetHeightSheet(1000);
    EXPECT_EQ(NestingModel::m_widthSheet, 2000.0);
    EXPECT_EQ(NestingModel::m_heightSheet, 1000.0);
    for (const SheetPtr& sheet : {a, b}) {
        EXPECT_DOUBLE_EQ(sheet->GetWidth(), 2000);
        EXPECT_DOUBLE_EQ(sheet->GetHeight(), 1000);
    }
    EXPECT_DOUBLE_EQ(shaped->GetWidth(), 300);
}

TEST_F(SheetModelTest, NamesSelectionAndLookUpByIndexAndReference) {
    const SheetPtr a = AddSheet(0, 0);
    const SheetPtr b = AddSheet(3100, 0);
    model.m_sheets.insert(model.m_sheets.begin(), Sheet::Create(nullptr));
    EXPECT_EQ(model.GetSheetName(1), L"Лист 1");
    EXPECT_EQ(model.GetSheetName(3), L"");

    model.SelectSheet(2, true);
    EXPECT_TRUE(model.GetSheetSelect(2));
    model.InvertSelectSheet(2);
    EXPECT_FALSE(model.GetSheetSelect(2));
    model.SelectSheet(5, true);
    model.InvertSelectSheet(5);
    EXPECT_FALSE(model.GetSheetSelect(5));

    EXPECT_EQ(model.GetIndexSheetByRef(b->GetReference()), 2);
    EXPECT_EQ(model.GetIndexSheetByRef(0), -1);  // the sheet without a macro is passed over
    EXPECT_EQ(model.GetIndexSheetByRef(999999), -1);
    EXPECT_EQ(model.GetSheetByRef(a->GetReference()), a);
    EXPECT_FALSE(model.GetSheetByRef(0));
    EXPECT_FALSE(model.GetSheetByRef(999999));
}

TEST_F(SheetModelTest, SheetThicknessIsTheFiguresCommonThickness) {
    const struct {
        double before;
        std::vector<double> figures;
        double expected;
    } cases[] = {{0.0, {2.0, 2.0005, 2.0}, 2.0}, {0.0, {2.0, 3.0}, 0.0}, {4.0, {2.0}, 4.0}, {0.0, {}, 0.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.figures.size());
        model.m_thicknessSheet = c.before;
        model.m_figures.clear();
        for (const double thickness : c.figures)
            model.m_figures.push_back(Part(thickness, L""));
        model.InitSheetThickness();
        EXPECT_EQ(model.m_thicknessSheet, c.expected);
    }
}

TEST_F(SheetModelTest, SheetMaterialIsTheFiguresCommonMaterial) {
    const struct {
        const wchar_t* before;
        std::vector<const wchar_t*> figures;
        const wchar_t* expected;
    } cases[] = {{L"", {L"St3", L"St3", L"St3"}, L"St3"}, {L"", {L"St3", L"st3"}, L""}, {L"", {L"St3", L""}, L""},
                 {L"09Г2С", {L"St3"}, L"09Г2С"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.before) + L" / " + c.figures.back()));
        NestingModel::m_materialSheet = c.before;
        model.m_figures.clear();
        for (const wchar_t* material : c.figures)
            model.m_figures.push_back(Part(1, material));
        model.InitSheetMaterial();
        EXPECT_EQ(NestingModel::m_materialSheet, c.expected);
        EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"");  // the drawing is written by SaveParams
    }
}

TEST_F(SheetModelTest, LayOutInRowsOfColumnsWithTheirTablesAndTheContainer) {
    NestingModel::m_widthSheet = 2000;
    NestingModel::m_heightSheet = 1000;
    std::vector<SheetPtr> sheets;
    for (int i = 0; i < 5; ++i) {
        sheets.push_back(AddSheet(7 * i, 3 * i, 2000, 1000));
    }
    model.m_sheets.front()->Choose(true);
    model.SetSchemeParams({true, 3, 3});
    model.ArrangeSheetsEx();

    // gap = 0.025 * 2000 + ceil(2 * 12 * 2000 * 0.5 / 280)
    const double step = 2000 + 50 + 86;
    const std::vector<NPoint> expected = {{0, 0}, {step, 0}, {2 * step, 0}, {0, -1000 - 136}, {step, -1136}};
    for (size_t i = 0; i < sheets.size(); ++i) {
        EXPECT_NEAR(Origin(*sheets[i]).x, expected[i].x, 1e-9) << i;
        EXPECT_NEAR(Origin(*sheets[i]).y, expected[i].y, 1e-9) << i;
        EXPECT_EQ(TableCell(*sheets[i], 0, 0), L"Обозначение листа");
    }
    EXPECT_FALSE(model.GetSheetSelect(0));
    EXPECT_GE(vrnApi::GetViewByName(vrnApi::LoadStr(7142)), 0);
}

TEST_F(SheetModelTest, RowsWithoutColumnsMoveNoView) {
    const SheetPtr a = AddSheet(0, 0);
    const SheetPtr b = AddSheet(50, 60);
    model.SetSchemeParams({true, 3, 0});
    model.ArrangeSheetsEx();
    EXPECT_EQ(Origin(*b).x, 50);
    EXPECT_EQ(Origin(*b).y, 60);
    model.m_sheets.clear();
    model.ArrangeSheetsEx();  // no sheets: nothing
}

TEST_F(SheetModelTest, WithALayoutEachSheetViewGoesOneFormatFurther) {
    const SheetPtr a = AddSheet(30, 40);
    const SheetPtr b = AddSheet(500, 70);
    a->CreateResultTable();  // drawn while the drawing had no layout
    b->Choose(true);
    NestingSetting::m_withoutLayout = false;
    double width = 0, height = 0;
    vrnApi::GetDocumentFormatSizes(width, height);
    model.ArrangeSheets();
    EXPECT_EQ(Origin(*b).x, 30 + width);
    EXPECT_EQ(Origin(*b).y, 70);
    EXPECT_EQ(TableCell(*a, 0, 0), L"");
    EXPECT_FALSE(model.GetSheetSelect(1));
}

TEST_F(SheetModelTest, LayOutIsRecognisedFromTheViews) {
    AddSheet(0, 0);
    AddSheet(3100, 0);
    AddSheet(6250, 0);
    model.SetSchemeParams({false, 1, 3});
    model.RecognizeSheetScheme();
    EXPECT_FALSE(model.GetSchemeParams().withoutLayout);  // the new drawing's pages have a layout
    EXPECT_FALSE(NestingSetting::m_withoutLayout);
    EXPECT_EQ(model.GetSchemeParams().sheetScheme, 3);
    EXPECT_EQ(model.GetSchemeParams().countColumns, 2);

    vrnApi::DeleteDocumentLayout();
    model.RecognizeSheetScheme();
    EXPECT_TRUE(model.GetSchemeParams().withoutLayout);
    EXPECT_TRUE(NestingSetting::m_withoutLayout);
}

TEST_F(SheetModelTest, OnlyTheLastPagesStyleFileNameTellsALayout) {
    vrnApi::DeleteDocumentLayout();
    doc->GetLayoutSheets()->Add()->SetStyleLibrary(L"/styles/GRAPHIC/job.vst");
    model.RecognizeSheetScheme();
    EXPECT_FALSE(model.GetSchemeParams().withoutLayout);  // a folder of that name is not the plain style
    doc->GetLayoutSheets()->GetItem(1)->SetStyleLibrary(L"C:\\styles\\GRAPHIC.vst");
    model.RecognizeSheetScheme();
    EXPECT_TRUE(model.GetSchemeParams().withoutLayout);
}

TEST_F(SheetModelTest, WithALayoutEverySheetViewStandsOnItsOwnPage) {
    NestingSetting::m_withoutLayout = false;
    doc->GetLayoutSheets()->Add();
    const SheetPtr a = AddSheet(0, 0);
    const SheetPtr b = AddSheet(0, 0);
    NestingModel::m_widthSheet = 3000;
    NestingModel::m_heightSheet = 1500;
    model.UpdateViews();
    double pageWidth = 0, pageHeight = 0;
    vrnApi::GetDocumentFormatSizes(pageWidth, pageHeight);
    EXPECT_EQ(Origin(*a).x, 30);
    EXPECT_EQ(Origin(*b).x, pageWidth + 30);
    EXPECT_EQ(View(b->GetView())->GetScale(), View(a->GetView())->GetScale());
    EXPECT_LT(View(a->GetView())->GetScale(), 1.0);
}

// A sheet added keeps every page in the format and orientation of the job.
TEST_F(SheetModelTest, ASheetAddedKeepsThePagesOrientation) {
    NestingSetting::m_withoutLayout = false;
    model.m_sheetFormat = 2;
    for (const bool vertical : {true, false}) {
        model.m_sheetOrient = vertical;
        model.AddSheet();
        for (int i = 0; i < Pages(); ++i) {
            const vlapi::ISheetFormatPtr format = doc->GetLayoutSheets()->GetItem(i)->GetFormat();
            EXPECT_EQ(format->GetVertical(), vertical) << i;
            EXPECT_EQ(format->GetFormat(), 2) << i;
        }
    }
}

// Sheet i stands on page i: clearing a sheet the model made takes its own
// page, and every other sheet keeps its page, with or without a layout.
TEST_F(SheetModelTest, ClearingASheetTakesItsOwnPage) {
    const auto page = [this](int i) { return doc->GetLayoutSheets()->GetItem(i); };
    for (const bool withoutLayout : {true, false}) {
        NestingSetting::m_withoutLayout = withoutLayout;
        for (int i = 0; i < 3; ++i)
            model.AddSheet();
        ASSERT_EQ(Pages(), 3);
        const vlapi::ILayoutSheetPtr first = page(0);
        const vlapi::ILayoutSheetPtr last = page(2);

        model.DelSheet(model.m_sheets[1]);
        ASSERT_EQ(Pages(), 2);
        EXPECT_TRUE(hostAccess::SameObject(page(0), first));
        EXPECT_TRUE(hostAccess::SameObject(page(1), last));
        model.UpdateSheets();
        readback::ExpectDrawingReadsBackAs(model);

        // The first sheet's page goes too: the last sheet's page becomes the first.
        model.DelSheet(model.m_sheets[0]);
        ASSERT_EQ(Pages(), 1);
        EXPECT_TRUE(hostAccess::SameObject(page(0), last));
        model.DelSheet(model.m_sheets[0]);
        EXPECT_EQ(Pages(), 1);  // a drawing keeps one page
    }
}

TEST_F(SheetModelTest, WithoutAnActiveDrawingNothingIsRecognised) {
    AddSheet(0, 0);
    AddSheet(0, 500);
    model.SetSchemeParams({false, 2, 4});
    NestingSetting::m_withoutLayout = false;
    vlhost::FailureScope noDrawing("IApplication::GetActiveDocument");
    model.RecognizeSheetScheme();
    EXPECT_FALSE(model.GetSchemeParams().withoutLayout);
    EXPECT_EQ(model.GetSchemeParams().sheetScheme, 2);
    EXPECT_FALSE(NestingSetting::m_withoutLayout);
}

}  // namespace sheettest
