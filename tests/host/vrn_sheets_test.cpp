// Sheet views on their pages: the scale that fits a sheet on its page, the
// pages' format and style library, the placement of the views and of the
// container view, and pages added and deleted.
#include "vrn_fixture.h"

#include "model/NestingSetting.h"

#include <cmath>

namespace {

class VrnSheetsTest : public vrntest::WithLayoutTest {
protected:
    vlapi::ILayoutSheetsPtr Pages() const { return doc->GetLayoutSheets(); }
    vlapi::ISheetFormatPtr Format(int page) const { return Pages()->GetItem(page)->GetFormat(); }
    // A sheet of `width` that the free page width (375 mm) fits `k` times.
    static double Scale(double k)
    {
        bool isHeight = false;
        return vrnApi::CalculateSheetViewScale(375.0 / k, 1.0, isHeight);
    }
};

TEST_F(VrnSheetsTest, ScaleIsTheLargestStandardScaleThatFits)
{
    bool isHeight = false;
    EXPECT_DOUBLE_EQ(vrnApi::CalculateSheetViewScale(3000, 1500, isHeight), 0.1);
    EXPECT_FALSE(isHeight);
    EXPECT_DOUBLE_EQ(vrnApi::CalculateSheetViewScale(100, 1000, isHeight), 0.2);
    EXPECT_TRUE(isHeight);

    EXPECT_DOUBLE_EQ(Scale(1.0 / 75 - 0.0001 + 1e-9), 1.0 / 75);
    EXPECT_DOUBLE_EQ(Scale(1.0 / 75 - 0.0001 - 1e-7), 1.0 / 100);
    EXPECT_DOUBLE_EQ(Scale(0.99995), 1.0);
    EXPECT_DOUBLE_EQ(Scale(1000.0), 100.0);
}

TEST_F(VrnSheetsTest, SizesThatAreNotPositiveNeverDivideByZero)
{
    bool isHeight = false;
    const double byHeight = vrnApi::CalculateSheetViewScale(1.0, 1500, isHeight);
    EXPECT_DOUBLE_EQ(vrnApi::CalculateSheetViewScale(0.0, 1500, isHeight), byHeight);
    EXPECT_DOUBLE_EQ(vrnApi::CalculateSheetViewScale(-20.0, 1500, isHeight), byHeight);
    EXPECT_TRUE(isHeight);
    const double both = vrnApi::CalculateSheetViewScale(0.0, -1.0, isHeight);
    EXPECT_TRUE(std::isfinite(both));
    EXPECT_DOUBLE_EQ(both, 100.0);
}

TEST_F(VrnSheetsTest, WithoutLayoutScalesAreOneAndPagesArePlain)
{
    NestingSetting::m_withoutLayout = true;
    bool isHeight = false;
    EXPECT_DOUBLE_EQ(vrnApi::CalculateSheetViewScale(3000, 1500, isHeight), 1.0);
    vrnApi::UpdateSheetsParams(L"/styles/job.vst", vlapi::vlFormatA1, true);
    const vlapi::ILayoutSheetPtr page = Pages()->GetItem(0);
    EXPECT_EQ(std::filesystem::path(page->GetStyleLibrary()),
              host->Folder(vlapi::vlSystemFiles) / "GRAPHIC.vst");
    EXPECT_EQ(page->GetStyleNumber(), 15);
    EXPECT_EQ(Format(0)->GetFormat(), vlapi::vlFormatA3);
}

TEST_F(VrnSheetsTest, JobFormatAndStyleGoToEveryPage)
{
    Pages()->Add();
    vrnApi::UpdateSheetsParams(L"/styles/job.vst", vlapi::vlFormatA2, true);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Format(i)->GetFormat(), vlapi::vlFormatA2);
        EXPECT_TRUE(Format(i)->GetVertical());
        EXPECT_EQ(Pages()->GetItem(i)->GetStyleLibrary(), L"/styles/job.vst");
        EXPECT_EQ(Pages()->GetItem(i)->GetStyleNumber(), 1);
    }
}

TEST_F(VrnSheetsTest, SheetViewStandsOnItsPageAfterThePagesBeforeIt)
{
    Pages()->Add();
    Pages()->Add();
    Format(1)->SetFormat(vlapi::vlFormatA2);
    const int view = vrnApi::AddView(L"Лист 3");
    vrnApi::UpdateSheetView(view, 2, 3000, 1500);
    double x = 0, y = 0, scale = 0;
    vrnApi::GetViewParams(view, x, y, scale);
    EXPECT_DOUBLE_EQ(x, 420 + 594 + 30);
    EXPECT_DOUBLE_EQ(y, std::ceil(297 - 0.1 * 1500) * 0.5 + 20);
    EXPECT_DOUBLE_EQ(scale, 0.1);

    vrnApi::SetViewParams(view, 5, 6, 1);
    vrnApi::UpdateSheetView(view, 7, 3000, 1500);  // no such page: only the scale
    vrnApi::GetViewParams(view, x, y, scale);
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_DOUBLE_EQ(y, 6);
    EXPECT_DOUBLE_EQ(scale, 0.1);
}

TEST_F(VrnSheetsTest, ContainerViewHasOnePlaceWhoeverPlacesIt)
{
    for (bool withoutLayout : {false, true}) {
        NestingSetting::m_withoutLayout = withoutLayout;
        const int container = vrnApi::CreateContainerView(3000, 1000);
        ASSERT_GE(container, 0);
        double x = 0, y = 0, scale = 0;
        vrnApi::GetViewParams(container, x, y, scale);
        const NPoint expected = withoutLayout ? NPoint{0.0, 1100.0} : NPoint{30.0, 327.0};
        EXPECT_DOUBLE_EQ(x, expected.x);
        EXPECT_DOUBLE_EQ(y, expected.y);

        vrnApi::UpdateSheetView(vrnApi::AddView(L"Лист"), 0, 3000, 1000);
        double x2 = 0, y2 = 0;
        vrnApi::GetViewParams(container, x2, y2, scale);
        EXPECT_DOUBLE_EQ(x2, x);
        EXPECT_DOUBLE_EQ(y2, y);
        EXPECT_EQ(vrnApi::CreateContainerView(10, 10), container);
    }
}

TEST_F(VrnSheetsTest, ExistingContainerViewMovesAndKeepsItsScale)
{
    NestingSetting::m_withoutLayout = true;
    const int container = vrnApi::CreateContainerView(3000, 1000);
    EXPECT_EQ(vrnApi::GetViewByName(vrnApi::LoadStr(7142)), container);
    vrnApi::SetViewParams(container, 0, 0, 0.5);
    vrnApi::CreateContainerView(100, 200);
    double x = 0, y = 0, scale = 0;
    vrnApi::GetViewParams(container, x, y, scale);
    EXPECT_DOUBLE_EQ(y, 220.0);
    EXPECT_DOUBLE_EQ(scale, 0.5);
}

TEST_F(VrnSheetsTest, PagesAreAddedAtTheEndAndSurplusPagesDeleted)
{
    const int view = vrnApi::AddView(L"Лист 2");
    vrnApi::AddDocumentSheet(L"/styles/job.vst", view, vlapi::vlFormatA3, 3000, 1500, false, true);
    EXPECT_EQ(Pages()->GetCount(), 2);
    double x = 0, y = 0, scale = 0;
    vrnApi::GetViewParams(view, x, y, scale);
    EXPECT_DOUBLE_EQ(x, 420 + 30);

    vrnApi::DelEmptyDocumentSheets(0);
    EXPECT_EQ(Pages()->GetCount(), 1);
    vrnApi::DelDocumentSheet(0);
    EXPECT_EQ(Pages()->GetCount(), 1);
    for (int i = 0; i < 3; ++i)
        Pages()->Add();
    // A page in the middle goes by its index; the others keep their order.
    const vlapi::ILayoutSheetPtr last = Pages()->GetItem(3);
    vrnApi::DelDocumentSheet(1);
    vrnApi::DelDocumentSheet(3);
    ASSERT_EQ(Pages()->GetCount(), 3);
    EXPECT_TRUE(hostAccess::SameObject(Pages()->GetItem(2), last));
    Pages()->Add();
    vrnApi::DelEmptyDocumentSheets(2);
    EXPECT_EQ(Pages()->GetCount(), 2);
    vrnApi::DelEmptyDocumentSheets(1);
    EXPECT_EQ(Pages()->GetCount(), 1);
}

TEST_F(VrnSheetsTest, TitleBlockGetsItsThreeCellsAndOneUpdate)
{
    vlapi::ITextPtr other = Pages()->GetItem(0)->GetStamp()->GetCellText(1102);
    other->SetText(L"кеп");
    vrnApi::UpdateStamp(0, L"3000x1500x2", L"1234.500", L"78.25");
    vlapi::IStampPtr stamp = Pages()->GetItem(0)->GetStamp();
    EXPECT_EQ(stamp->GetCellText(1101)->GetText(), L"3000x1500x2");
    EXPECT_EQ(stamp->GetCellText(1103)->GetText(), L"1234.500");
    EXPECT_EQ(stamp->GetCellText(1104)->GetText(), L"78.25");
    EXPECT_EQ(stamp->GetCellText(1102)->GetText(), L"кеп");
    vrnApi::UpdateStamp(3, L"x", L"y", L"z");  // no such page
    EXPECT_EQ(stamp->GetCellText(1101)->GetText(), L"3000x1500x2");
}

}  // namespace
