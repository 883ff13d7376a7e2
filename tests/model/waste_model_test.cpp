// Remnants in the model: names and numbers, the stored record, deletion by
// reference, method and shape, choice, and the layer shown or hidden.
#include "figure_fixture.h"
#include "readback.h"
#include "waste_fixture.h"

#include "model/NestingSetting.h"

#include <tuple>

using wastetest::InArea;
using wastetest::WasteModelTest;

namespace {

class WasteModelOpsTest : public WasteModelTest {};

int LayerOf(const WastePtr& waste)
{
    return waste->m_macro->GetMacroLayer();
}

}  // namespace

TEST_F(WasteModelOpsTest, RemnantsAreNumberedSheetBySheetAndNamed)
{
    NestingModel::m_materialSheet = L"St3";
    model.m_thicknessSheet = 2.0;
    const SheetPtr first = AddSheet(0, 0);
    const WastePtr a = AddRectWaste(first, 0, 0, 500, 300.7, false);
    AddRectWaste(first, 600, 0, 100.6, 99.99999, false);
    const SheetPtr second = AddSheet(5000, 0);
    for (int i = 0; i < 3; ++i)
        AddRectWaste(second, 200.0 * i, 0, 100, 100, false);

    model.UpdateWastesNames();
    const int numbers[] = {1, 2, 3, 4, 5};
    const int subNumbers[] = {1, 2, 1, 2, 3};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(model.m_wastes[i]->m_number, numbers[i]);
        EXPECT_EQ(model.m_wastes[i]->m_subNumber, subNumbers[i]);
    }
    EXPECT_EQ(a->m_name, L"Отход Лист 1-1(1) 2x500x300 St3");
    EXPECT_EQ(a->m_macro->GetName(), a->m_name);
    EXPECT_EQ(model.m_wastes[1]->m_name, L"Отход Лист 1-2(2) 2x100x100 St3");
    EXPECT_EQ(model.m_wastes[4]->m_name, L"Отход Лист 2-3(5) 2x100x100 St3");

    // The sides in whole millimetres, rounded down (a hair short of one
    // counts as that one): no name promises more than the remnant holds.
    const struct { double width, height; const wchar_t* size; } sides[] = {
        {172.718, 35.067, L"2x172x35"}, {107.145, 32.567, L"2x107x32"}, {52.102, 47.945, L"2x52x47"},
        {100.6, 99.99999, L"2x100x100"}, {500.0, 300.7, L"2x500x300"}, {35.5, 12.999, L"2x35x12"}};
    const auto kept = std::tuple(a->m_width, a->m_height);
    for (const auto& side : sides) {
        a->m_width = side.width;
        a->m_height = side.height;
        a->UpdateName(1, 1);
        EXPECT_EQ(a->m_name, std::wstring(L"Отход Лист 1-1(1) ") + side.size + L" St3") << side.width;
    }
    std::tie(a->m_width, a->m_height) = kept;

    model.m_thicknessSheet = 0.0;
    a->m_thickness = 0.0;
    a->m_material.clear();
    a->UpdateName(1, 1);
    EXPECT_EQ(a->m_name, L"Отход Лист 1-1(1) 500x300");
    a->m_rectform = false;  // not a rectangle: no size, not that of its bounding box
    a->m_material = L"St3";
    a->UpdateName(1, 1);
    EXPECT_EQ(a->m_name, L"Отход Лист 1-1(1) St3");
    a->m_polygons.clear();  // no outline, no size: one blank before the material
    a->UpdateName(1, 1);
    EXPECT_EQ(a->m_name, L"Отход Лист 1-1(1) St3");
}

// The label's box, as the host measures it.
NRect LabelBox(const Waste& waste)
{
    std::vector<FontParams> fonts;
    waste.m_macro->GetFontParams(fonts);
    std::vector<vlapi::IDrawingObjectPtr> texts;
    waste.m_macro->GetTextObjectsFromMacro(nullptr, fonts, texts);
    NRect box{{1, 1}, {0, 0}};
    if (texts.size() == 1)
        vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(texts.front()), box);
    for (const vlapi::IDrawingObjectPtr& copy : texts)
        copy->Delete();
    return box;
}

// Texts standing in the active view outside every macro.
size_t LooseTexts()
{
    return vrnApi::GetActiveDrawingContainer()->GetObjects({vlapi::vlDrDrawText}).size();
}

bool BoxInArea(const Waste& waste, const NRect& box)
{
    const NPoint corners[] = {box.pBot, {box.pTop.x, box.pBot.y}, box.pTop, {box.pBot.x, box.pTop.y}};
    return box.pBot.x < box.pTop.x &&
           std::all_of(std::begin(corners), std::end(corners), [&waste](const NPoint& p) { return InArea(waste, p); });
}

// The label stands inside the outline: moved in where the middle of the
// gabarit lies outside an L, kept in the middle of a strip it barely fits.
// It is the remnant's only text: nothing used to place it stays behind.
TEST_F(WasteModelOpsTest, LabelStandsInsideTheOutline)
{
    struct Case {
        double textSize;
        std::vector<NPoint> outline;
    };
    const Case cases[] = {
        {20.0, {{0, 0}, {600, 0}, {600, 100}, {100, 100}, {100, 600}, {0, 600}}},
        {5.0, {{0, 0}, {100, 0}, {100, 20}, {0, 20}}},
    };
    const SheetPtr sheet = AddSheet(0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.outline.size());
        model.m_textSize = c.textSize;
        const WastePtr waste = Waste::Create(
            vrnApi::CreateMacroByPolygon(NPolygon({}, c.outline), L"", static_cast<int>(MacroCommand::Waste)));
        model.InitWasteParams(waste, sheet, false);
        model.AddWaste(waste);
        EXPECT_EQ(LooseTexts(), 0u);
        EXPECT_TRUE(BoxInArea(*waste, LabelBox(*waste)));
        model.ClearWastes();
    }
}

// A remnant around a part: the label keeps off the hole the part leaves.
TEST_F(WasteModelOpsTest, LabelKeepsOffTheRemnantsHoles)
{
    model.m_textSize = 20.0;
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 200, 100, 600, 300);
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    ASSERT_EQ(model.m_wastes.front()->m_polygons.size(), 2u);
    EXPECT_TRUE(BoxInArea(*model.m_wastes.front(), LabelBox(*model.m_wastes.front())));
}

TEST_F(WasteModelOpsTest, RecordRoundTripsThroughTheDrawing)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr waste = AddRectWaste(sheet, 0, 0, 500, 300, true);
    waste->WasteParams::reserve1[3] = 7.5;
    waste->WasteParams::reserve2[6] = -4;
    waste->WasteParams::reserve3[4] = true;
    waste->SaveParams();

    NestingModel reopened;
    reopened.InitSheetsFromActiveDoc();
    reopened.InitWastesFromActiveDoc();
    ASSERT_EQ(reopened.m_wastes.size(), 1u);
    const WastePtr again = reopened.m_wastes.front();
    EXPECT_EQ(again->m_ownerRef, sheet->GetReference());
    EXPECT_EQ(again->m_owner ? again->m_owner->GetReference() : 0, sheet->GetReference());
    EXPECT_DOUBLE_EQ(again->m_width, 500.0);
    EXPECT_DOUBLE_EQ(again->m_height, 300.0);
    EXPECT_TRUE(again->m_rectform);
    EXPECT_TRUE(again->m_method);
    EXPECT_DOUBLE_EQ(again->WasteParams::reserve1[3], 7.5);
    EXPECT_EQ(again->WasteParams::reserve2[6], -4);
    EXPECT_TRUE(again->WasteParams::reserve3[4]);
    // What it was built for: the sheet's size and the parts on it then (none).
    EXPECT_EQ(again->m_builtKnown, 1);
    EXPECT_DOUBLE_EQ(again->m_builtWidth, sheet->GetWidth());
    EXPECT_DOUBLE_EQ(again->m_builtHeight, sheet->GetHeight());
    EXPECT_EQ(again->m_builtParts, 0);

    ByteBlock saved;
    waste->m_macro->LoadMacroParams(saved);
    EXPECT_EQ(saved.size(), 144u);

    // A short block leaves the parameters as they were.
    waste->m_macro->SaveMacroParams(ByteBlock(100, 0xFF));
    again->LoadParams();
    EXPECT_DOUBLE_EQ(again->m_width, 500.0);
    reopened.ClearWastes();
    reopened.ClearSheets();
}

TEST_F(WasteModelOpsTest, SavingRefreshesTheOwnerReference)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr waste = AddRectWaste(sheet, 0, 0, 500, 300, false);
    waste->m_ownerRef = 0;
    waste->SaveParams();
    EXPECT_EQ(waste->m_ownerRef, sheet->GetReference());
}

TEST_F(WasteModelOpsTest, DeletingByReferenceRenumbersByMethodDoesNot)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr a = AddRectWaste(sheet, 0, 0, 100, 100, true);
    const WastePtr b = AddRectWaste(sheet, 200, 0, 100, 100, false);
    const WastePtr c = AddRectWaste(sheet, 400, 0, 100, 100, false);
    model.UpdateWastesNames();

    model.ClearWastesByMethod(true);
    ASSERT_EQ(model.m_wastes.size(), 2u);
    EXPECT_FALSE(InDrawing(*a));
    EXPECT_EQ(b->m_number, 2);
    EXPECT_EQ(c->m_number, 3);

    model.DelWaste(b->GetReference());
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(c->m_number, 1);

    model.DelWaste(123456);  // matches nothing: still renumbers
    EXPECT_EQ(model.m_wastes.size(), 1u);
    WastePtr stranger = Waste::Create(nullptr);
    model.DelWaste(stranger);
    EXPECT_TRUE(stranger) << "not in the list: left alone";
}

TEST_F(WasteModelOpsTest, NonRectangularAndSmallRemnantsAreDeleted)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr big = AddRectWaste(sheet, 0, 0, 600, 500, false);
    const WastePtr small = AddRectWaste(sheet, 700, 0, 600, 300, false);
    const NPolygon ell({}, {{0, 600}, {600, 600}, {600, 700}, {100, 700}, {100, 1300}, {0, 1300}});
    const WastePtr shaped =
        Waste::Create(vrnApi::CreateMacroByPolygon(ell, L"", static_cast<int>(MacroCommand::Waste)));
    model.InitWasteParams(shaped, sheet, false);
    model.m_wastes.push_back(shaped);
    model.UpdateWastesNames();
    EXPECT_FALSE(shaped->m_rectform);

    model.m_wastRectSize = 500.0;
    std::vector<WastePtr> rects;
    model.GetRectWasteObjects(rects);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects.front(), big);

    big->m_edit = true;
    model.DeleteNonRectangularWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(model.m_wastes.front(), big);
    EXPECT_EQ(big->m_number, 1);
    EXPECT_TRUE(InDrawing(*big));
    EXPECT_FALSE(InDrawing(*small));
    EXPECT_FALSE(InDrawing(*shaped));
}

TEST_F(WasteModelOpsTest, OverlapIgnoresARemnantInsideAHole)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr a = AddRectWaste(sheet, 0, 0, 500, 300, false);
    const WastePtr b = AddRectWaste(sheet, 400, 100, 500, 300, false);
    const WastePtr apart = AddRectWaste(sheet, 2000, 0, 100, 100, false);
    EXPECT_TRUE(a->CheckIntersect(*b));
    EXPECT_TRUE(b->CheckIntersect(*a));
    EXPECT_FALSE(a->CheckIntersect(*apart));

    Waste framed(nullptr);
    framed.m_polygons = {std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{{-100, -100}, {1000, -100}, {1000, 1000}, {-100, 1000}}),
                         std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>{{-50, -50}, {-50, 900}, {950, 900}, {950, -50}})};
    EXPECT_FALSE(framed.CheckIntersect(*a)) << "a lies in the hole";
    EXPECT_FALSE(a->CheckIntersect(framed));
    EXPECT_FALSE(Waste(nullptr).CheckIntersect(*a));
}

TEST_F(WasteModelOpsTest, RectangleTestUsesTheMinimumSize)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr waste = AddRectWaste(sheet, 0, 0, 500, 300.7, false);
    EXPECT_TRUE(waste->CheckRectangle(300.7));
    EXPECT_FALSE(waste->CheckRectangle(300.8));
}

TEST_F(WasteModelOpsTest, SelectionByMethod)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr manual = AddRectWaste(sheet, 0, 0, 100, 100, false);
    const WastePtr automatic = AddRectWaste(sheet, 200, 0, 100, 100, true);
    model.SelectWastesByMethod(false, true);
    EXPECT_TRUE(manual->m_choose);
    EXPECT_FALSE(automatic->m_choose);
    std::vector<WastePtr> chosen;
    model.GetSelectedWastes(chosen);
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen.front(), manual);
}

TEST_F(WasteModelOpsTest, RemnantsLayerIsShownAndHidden)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr waste = AddRectWaste(sheet, 0, 0, 100, 100, false);
    const std::wstring name = L"Деловой отход";
    const int layer = vrnApi::GetLayerNumber(name);
    ASSERT_GE(layer, 0);
    EXPECT_EQ(LayerOf(waste), layer);

    int color = 0;
    bool hidden = true;
    model.m_wastesHide = true;
    model.UpdateWastes();
    vrnApi::GetLayerParams(name, color, hidden);
    EXPECT_TRUE(hidden);
    EXPECT_EQ(color, model.m_wastesColor);

    model.m_wastesHide = false;
    model.UpdateWastes();
    vrnApi::GetLayerParams(name, color, hidden);
    EXPECT_FALSE(hidden);
}

// The host binding reports a macro's outline in its view's own millimetres
// whatever the view's scale: the remnant keeps it at that size.
TEST_F(WasteModelOpsTest, OutlineStaysInTheViewsMillimetres)
{
    AddCurrentView(20, 10, 0.1);
    const SheetPtr sheet = MakeSheet(L"Лист", 3000, 1500);
    const NPolygon ring({}, {{100, 100}, {600, 100}, {600, 400}, {100, 400}});
    const WastePtr waste = Waste::Create(vrnApi::CreateMacroByPolygon(ring, L"", static_cast<int>(MacroCommand::Waste)));
    model.InitWasteParams(waste, sheet, true);
    EXPECT_TRUE(waste->m_rectform);
    EXPECT_NEAR(waste->m_width, 500.0, 1e-6);
    EXPECT_NEAR(waste->m_height, 300.0, 1e-6);
    EXPECT_NEAR(waste->m_rect.pBot.x, 100.0, 1e-6);
    EXPECT_NEAR(waste->m_rect.pTop.y, 400.0, 1e-6);
}

// Deleting through the list's own element empties that element only.
TEST_F(WasteModelOpsTest, DeletingTheListsOwnElementKeepsTheOthers)
{
    const SheetPtr sheet = AddSheet(0, 0);
    AddRectWaste(sheet, 0, 0, 100, 100, false);
    const WastePtr second = AddRectWaste(sheet, 200, 0, 100, 100, false);
    model.DelWaste(model.m_wastes.front());
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(model.m_wastes.front(), second);
    EXPECT_TRUE(InDrawing(*second));
}

// Remnants read back from the drawing carry their outlines, so new
// automatic remnants that overlap a stored manual one replace it.
TEST_F(WasteModelOpsTest, ReadRemnantsTakePartInTheOverlapTest)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const WastePtr stored = AddRectWaste(sheet, 600, 100, 200, 200, false);
    const FigurePtr part = RectangleFigure(300, 200);
    part->InitParams();
    part->InitPolygons(0.0, kGap, nullptr);

    NestingModel reopened;
    reopened.m_figureGap = kGap;
    reopened.m_sheetGap = 0.0;
    reopened.InitSheetsFromActiveDoc();
    reopened.InitWastesFromActiveDoc();
    ASSERT_EQ(reopened.m_wastes.size(), 1u);
    ASSERT_FALSE(reopened.m_wastes.front()->m_polygons.empty());
    EXPECT_NEAR(reopened.m_wastes.front()->m_rect.pBot.x, 600.0, 1e-6);

    part->m_owner = reopened.m_sheets.front();
    reopened.m_figures.push_back(part);
    reopened.m_wasteMethod = true;
    reopened.CalculateWastes();
    EXPECT_FALSE(InDrawing(*stored));
    for (const WastePtr& waste : reopened.m_wastes)
        EXPECT_TRUE(waste->m_method);
    EXPECT_FALSE(reopened.m_wastes.empty());
    reopened.ClearWastes();
    reopened.m_figures.clear();
    reopened.ClearSheets();
}

// With no minimum size only the remnants that are not rectangles go.
TEST_F(WasteModelOpsTest, WithoutMinimumSizeOnlyShapedRemnantsAreDeleted)
{
    const SheetPtr sheet = AddSheet(0, 0);
    const WastePtr tiny = AddRectWaste(sheet, 0, 0, 10, 10, false);
    const NPolygon ell({}, {{0, 600}, {600, 600}, {600, 700}, {100, 700}, {100, 1300}, {0, 1300}});
    const WastePtr shaped =
        Waste::Create(vrnApi::CreateMacroByPolygon(ell, L"", static_cast<int>(MacroCommand::Waste)));
    model.InitWasteParams(shaped, sheet, false);
    model.m_wastes.push_back(shaped);
    model.m_wastRectSize = 0.0;
    model.DeleteNonRectangularWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(model.m_wastes.front(), tiny);
}

// The user redraws a remnant's outline by hand; the next command reads the
// drawing again and takes the remnant's shape and size from its outline.
TEST_F(WasteModelOpsTest, ARemnantReshapedByHandIsTakenAsItIsDrawn)
{
    const struct {
        std::vector<NPoint> outline;
        bool rectangle;
        const wchar_t* size;  // in the name
    } cases[] = {
        {{{0, 0}, {500, 0}, {500, 100}, {100, 100}, {100, 300}, {0, 300}}, false, L""},
        {figuretest::Rectangle(0, 0, 700, 200), true, L" 700x200"},
    };
    NestingModel::m_materialSheet.clear();
    doc->GetLayoutSheets()->Add();
    const std::vector<vlapi::ILayoutSheetPtr> pages = readback::Pages();
    for (const auto& c : cases) {
        const SheetPtr sheet = AddSheet(0, 0);
        const WastePtr waste = AddRectWaste(sheet, 0, 0, 500, 300, false);
        model.UpdateWastesNames();
        ASSERT_TRUE(waste->m_name.ends_with(L"500x300"));
        const vlapi::IMacroObjectPtr host = macrotest::HostMacro(waste->m_macro);
        for (const vlapi::IDrawingObjectPtr& line : vlapi::IDrawingContainerPtr(host)->GetObjects({vlapi::vlDrLineSeg}))
            line->Delete();
        vlapi::APIObjectList redrawn;
        for (const vlapi::IDrawingObjectPtr& line : hosttest::AddRing(Container(), c.outline))
            redrawn.push_back(vlapi::IVarnelAPIObjectPtr(line));
        ASSERT_TRUE(host->AddObjects(redrawn));

        NestingModel next;
        next.InitSheetsFromActiveDoc();
        next.InitWastesFromActiveDoc();
        ASSERT_EQ(next.m_wastes.size(), 1u);
        const WastePtr read = next.m_wastes.front();
        EXPECT_EQ(read->m_rectform, c.rectangle);
        next.UpdateWastesNames();
        EXPECT_TRUE(read->m_name.ends_with(L"(1)" + std::wstring(c.size))) << read->m_name;
        readback::ExpectDrawingReadsBackAs(next);
        readback::ExpectSamePages(pages);

        next.m_wastRectSize = 100.0;
        next.DeleteNonRectangularWastes();
        EXPECT_EQ(next.m_wastes.size(), c.rectangle ? 1u : 0u);
        next.m_wastes.clear();
        next.m_sheets.clear();
        model.m_wastes.clear();
        model.m_sheets.clear();
    }
}
