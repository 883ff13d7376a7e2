// The active drawing's layers as the macro operations carry them, host
// measurement of contours, and the specification object.
#include "support/macro_fixture.h"

#include "host/BorderRings.h"
#include "host/HostAccess.h"

#include <cmath>

namespace macrotest {
namespace {

using MacroDocumentTest = MacroHostTest;

vlapi::ILayerPtr AddLayer(const vlapi::IViewPtr& view, const std::wstring& name, int number)
{
    vlapi::ILayerPtr layer = view->GetLayers()->Add();
    layer->SetName(name);
    layer->SetNumber(number);
    layer->Update();
    return layer;
}

NContourPtr ContourOf(const std::vector<vlapi::IDrawingObjectPtr>& curves)
{
    auto contour = std::make_shared<NContour>();
    for (const vlapi::IDrawingObjectPtr& curve : curves) {
        vrnApi::CurveChord chord;
        EXPECT_TRUE(vrnApi::ReadCurveChord(curve, chord));
        contour->AddSegment(chord.chord);
    }
    return contour;
}

TEST_F(MacroDocumentTest, LayersAreMatchedByName)
{
    const vlapi::IViewPtr view = ActiveView();
    AddLayer(view, L"B", 5)->MakeCurrent();
    vrnApi::AddLayersToView(view->GetNumber(), {{1, L"A"}, {2, L"B"}, {5, L"C"}});
    vlapi::ILayersPtr layers = view->GetLayers();
    ASSERT_TRUE(layers->FindLayer(L"A"));
    EXPECT_EQ(layers->FindLayer(L"A")->GetNumber(), 1);
    EXPECT_EQ(layers->FindLayer(L"B")->GetNumber(), 5);
    EXPECT_FALSE(layers->GetLayer(2));
    // C's number is B's here: C takes another, as no number is taken twice.
    ASSERT_TRUE(layers->FindLayer(L"C"));
    EXPECT_NE(layers->FindLayer(L"C")->GetNumber(), 5);
    EXPECT_EQ(layers->GetLayer(5)->GetName(), L"B");
    EXPECT_TRUE(layers->GetLayer(0)->GetCurrent());

    MacroLayers known = {{5, L"X"}};
    vrnApi::GetLayersFromView(view->GetNumber(), known);
    EXPECT_EQ(known[5], L"X");  // names already known stay
    EXPECT_EQ(known[1], L"A");
}

TEST_F(MacroDocumentTest, GroupsAndViewsNeedAnActiveDrawing)
{
    EXPECT_FALSE(vrnApi::GetViewPtrByNumber(77));
    const vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(true);
    ASSERT_TRUE(group);
    EXPECT_FALSE(group->IsOpen());
    EXPECT_TRUE(group->GetObjects({vlapi::vlAllObj}).empty());
    vlhost::FailureScope noDocument("IApplication::GetActiveDocument");
    EXPECT_FALSE(vrnApi::CreateGroupInActiveDoc(true));
    EXPECT_FALSE(vrnApi::GetActiveDrawingContainer());
    EXPECT_FALSE(vrnApi::CreateMacroByRectangle(L"S", 10, 10, 102));
}

TEST_F(MacroDocumentTest, HostMeasuresOuterBorderLessHolesAndLeavesNoContour)
{
    const auto square = AddRing(Container(), {{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    const std::vector<vlapi::IDrawingObjectPtr> hole = {
        vlapi::IDrawingObjectPtr(AddArc(Container(), {40, 50}, {60, 50}, {50, 40})),
        vlapi::IDrawingObjectPtr(AddArc(Container(), {60, 50}, {40, 50}, {50, 60}))};
    const size_t objects = DrawingObjects();

    double length = 50;
    EXPECT_EQ(vrnApi::CalculateContourAreaAndLength({}, length), 0.0);
    EXPECT_EQ(length, 50);
    EXPECT_NEAR(vrnApi::CalculateContourAreaAndLength({ContourOf(square), ContourOf(hole)}, length),
                10000 - 100 * PI, 0.01);
    EXPECT_NEAR(length, 50 + 400 + 20 * PI, 0.01);
    length = 0;
    EXPECT_NEAR(vrnApi::CalculateContourAreaAndLength({ContourOf(hole), ContourOf(square)}, length),
                100 * PI - 10000, 0.01);  // taken in the order given
    EXPECT_EQ(DrawingObjects(), objects);
}

TEST_F(MacroDocumentTest, SpecificationObjectMakesItsDescriptionWhenMissing)
{
    const INestingMacroObjectPtr macro = vrnApi::CreateMacroByRectangle(L"Sheet", 100, 50, 102);
    vlapi::ISpecificationDescriptionsPtr descriptions = doc->GetSpecificationDescriptions();
    const bool hadOne = static_cast<bool>(descriptions->GetDescription());
    macro->CreateSpecificationObject();
    vlapi::ISpecificationDescriptionPtr description = descriptions->GetDescription();
    ASSERT_TRUE(description);
    EXPECT_EQ(description->GetBaseObjects()->GetCount(), 1);
    if (!hadOne) {
        EXPECT_EQ(descriptions->GetCount(), 1);
    }
}

}  // namespace
}  // namespace macrotest
