// The factories that bring sheets, figures and remnants into the drawing as
// stamped macros, and what they leave behind when the host refuses.
#include "support/macro_fixture.h"

#include "host/HostAccess.h"

#include <cmath>

namespace macrotest {
namespace {

class MacroFactoriesTest : public MacroHostTest {
protected:
    static vlapi::DrawingObjectList Members(const INestingMacroObjectPtr& macro, int type = vlapi::vlAllObj)
    {
        return vlapi::IDrawingContainerPtr(HostMacro(macro))->GetObjects({type});
    }
};

TEST_F(MacroFactoriesTest, SheetIsOneRectangleAtTheOrigin)
{
    const INestingMacroObjectPtr sheet = vrnApi::CreateMacroByRectangle(L"Sheet 1", 2000, 1000, 102);
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->CheckMacroLibraryNameAndCommand(MacroCommand::Sheet));
    EXPECT_EQ(sheet->GetName(), L"Sheet 1");
    double x = 1, y = 1, angle = 1;
    sheet->GetMacroPlacement(x, y, angle);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(angle, 0);
    ASSERT_EQ(Members(sheet).size(), 1u);
    vlapi::IRectanglePtr rect = sheet->GetRectangleFromMacro();
    ASSERT_TRUE(rect);
    EXPECT_EQ(rect->GetWidth(), 2000);
    EXPECT_EQ(rect->GetHeight(), 1000);
    EXPECT_EQ(rect->GetStyle(), 4);
    EXPECT_EQ(DrawingObjects(), 1u);
}

TEST_F(MacroFactoriesTest, FactoryThatCannotStampLeavesNothing)
{
    vlhost::FailureScope noParams("IUserParameters");
    EXPECT_FALSE(vrnApi::CreateMacroByRectangle(L"Sheet", 100, 50, 102));
    EXPECT_FALSE(vrnApi::CreateMacroByPolygon(NPolygon({0, 0}, {{0, 0}, {10, 0}, {0, 10}}), L"Rest", 104));
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(MacroFactoriesTest, RemnantPolygonGivesOneSegmentPerEdge)
{
    const NPolygon polygon({0, 0}, {{0, 0}, {50, 0}, {60, 20}, {30, 40}, {0, 30}});
    const INestingMacroObjectPtr remnant = vrnApi::CreateMacroByPolygon(polygon, L"Rest", 104);
    ASSERT_TRUE(remnant);
    EXPECT_TRUE(remnant->CheckMacroLibraryNameAndCommand(MacroCommand::Waste));
    ASSERT_EQ(polygon.m_segments.size(), 5u);
    const vlapi::DrawingObjectList lines = Members(remnant, vlapi::vlDrLineSeg);
    ASSERT_EQ(lines.size(), 5u);
    vlapi::ILineSegmentPtr closing(lines.back());
    EXPECT_EQ(closing->GetX1(), 0);
    EXPECT_EQ(closing->GetY1(), 30);
    EXPECT_EQ(closing->GetX2(), 0);
    EXPECT_EQ(closing->GetY2(), 0);
    EXPECT_EQ(DrawingObjects(), 1u);  // the macro alone; no temporary group kept anything
    EXPECT_EQ(StoredGroups(), 0);
}

TEST_F(MacroFactoriesTest, RemnantOfNoPointsDrawsNothingAndOfOnePointOneSegment)
{
    EXPECT_FALSE(vrnApi::CreateMacroByPolygon(NPolygon(), L"Empty", 104));
    EXPECT_EQ(DrawingObjects(), 0u);
    const INestingMacroObjectPtr dot = vrnApi::CreateMacroByPolygon(NPolygon({0, 0}, {{5, 5}}), L"Dot", 104);
    ASSERT_TRUE(dot);
    EXPECT_EQ(Members(dot, vlapi::vlDrLineSeg).size(), 1u);
    EXPECT_FALSE(vrnApi::CreatePolyLine(Container(), NPolygon(), 1));
}

TEST_F(MacroFactoriesTest, RemnantAroundAPoint)
{
    AddRing(Container(), {{0, 0}, {100, 0}, {100, 100}, {0, 100}});
    EXPECT_FALSE(vrnApi::CreateMacroByEncloseContours({200, 200}, 104));
    EXPECT_TRUE(Container()->GetObjects({vlapi::vlDrMacro}).empty());

    const INestingMacroObjectPtr remnant = vrnApi::CreateMacroByEncloseContours({50, 50}, 104);
    ASSERT_TRUE(remnant);
    EXPECT_EQ(remnant->GetName(), vrnApi::LoadStr(7315));
    EXPECT_TRUE(remnant->CheckMacroLibraryNameAndCommand(MacroCommand::Waste));
    EXPECT_FALSE(Members(remnant).empty());
}

TEST_F(MacroFactoriesTest, WrappersOfExistingObjects)
{
    EXPECT_FALSE(vrnApi::CreateMacroByObject(vlapi::IVarnelAPIObjectPtr(AddLine(Container(), {0, 0}, {1, 0}))));
    const INestingMacroObjectPtr sheet = vrnApi::CreateMacroByRectangle(L"S", 10, 10, 102);
    EXPECT_EQ(vrnApi::CreateMacroByObject(vlapi::IVarnelAPIObjectPtr(HostMacro(sheet)))->GetName(), L"S");
    const INestingMacroObjectPtr none = vrnApi::CreateMacroByReference(987654);
    ASSERT_TRUE(none);
    EXPECT_EQ(none->GetReference(), 0);
}

TEST_F(MacroFactoriesTest, BridgeMacroKeepsItsObjectsWhereTheyStood)
{
    const vlapi::IDrawingObjectPtr line(AddLine(Container(), {100, 50}, {120, 50}));
    const INestingMacroObjectPtr bridge = vrnApi::CreateMacroByObjects({line}, {100, 50}, 103);
    ASSERT_TRUE(bridge);
    EXPECT_EQ(bridge->GetName(), L"");
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    doc->GetObjectsBox(hostAccess::ListOf(HostMacro(bridge)), x1, y1, x2, y2);
    EXPECT_NEAR(x1, 100, 1e-9);
    EXPECT_NEAR(x2, 120, 1e-9);
    EXPECT_NEAR(y1, 50, 1e-9);
}

TEST_F(MacroFactoriesTest, BridgeThatCannotBeStampedPutsItsObjectsBack)
{
    const vlapi::ILineSegmentPtr line = AddLine(Container(), {100, 50}, {120, 50});
    {
        vlhost::FailureScope noParams("IUserParameters");
        EXPECT_FALSE(vrnApi::CreateMacroByObjects({vlapi::IDrawingObjectPtr(line)}, {100, 50}, 103));
    }
    EXPECT_EQ(line->GetX1(), 100);
    EXPECT_EQ(line->GetY2(), 50);
    EXPECT_TRUE(Container()->GetObjects({vlapi::vlDrMacro}).empty());
}

TEST_F(MacroFactoriesTest, CompoundFigureHoldsBothFigures)
{
    const auto a = MakeMacro(Container(), AddRing(Container(), {{0, 0}, {10, 0}, {0, 10}}), L"A");
    const auto b = MakeMacro(Container(), AddRing(Container(), {{20, 0}, {30, 0}, {20, 10}}), L"B");
    EXPECT_FALSE(vrnApi::CreateMacroByMacros(a, nullptr, L"AB"));
    const INestingMacroObjectPtr both = vrnApi::CreateMacroByMacros(a, b, L"AB");
    ASSERT_TRUE(both);
    EXPECT_TRUE(both->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    std::vector<INestingMacroObjectPtr> members;
    both->GetMacroObjectsFromMacro(members);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0]->GetName(), L"A");
    EXPECT_EQ(members[1]->GetMacroViewNumber(), both->GetMacroViewNumber());
}

TEST_F(MacroFactoriesTest, FigureFromFileIsCentredAndNamedAfterTheFile)
{
    const vlapi::IVarnelDocument2DPtr part = NewDrawing();
    AddRing(Container(), {{10, -5}, {30, -5}, {30, 15}, {10, 15}});
    vlapi::IDrawingTextPtr label(Container()->GetCollection(vlapi::vlDrDrawText)->Add());
    vlapi::ITextPtr(label)->SetText(L"label");
    label->SetX(100);
    label->SetY(100);
    label->Update();
    vlapi::IPropertyMngPtr properties = part->GetPropertyMng();
    const auto define = [&](int id, double value) {
        vlapi::IPropertyPtr p = properties->AddProperty();
        p->SetName(vrnApi::LoadStr(id));
        p->SetDataType(vlapi::vlPropertyDataTypeDouble);
        p->Update();
        vlapi::IPropertyKeeperPtr(part)->SetPropertyValue(p.get(), vlapi::PropertyValue(value), true);
    };
    define(7109, 3.9);
    define(7111, 2.5);
    vlapi::IPropertyKeeperPtr(part)->SetPropertyValue(properties->GetBuiltInProperty(vlapi::vlPropertyMaterial).get(),
                                                      vlapi::PropertyValue(std::wstring(L"Steel")), true);
    const std::wstring path = File("bracket.vdw");
    ASSERT_TRUE(part->SaveAs(path));
    part->Close(0);
    doc->Activate();

    FileMetaParams par;
    par.m_path = path;
    const INestingMacroObjectPtr figure = vrnApi::CreateMacroFromFile(par, 101);
    ASSERT_TRUE(figure);
    EXPECT_EQ(figure->GetName(), L"bracket");
    EXPECT_EQ(par.m_count, 3);
    EXPECT_EQ(par.m_thickness, 2.5);
    EXPECT_EQ(par.m_material, L"Steel");
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    doc->GetObjectsBox(hostAccess::ListOf(vlapi::IDrawingObjectPtr(figure->GetLineSegmFromMacro(0))), x1, y1, x2, y2);
    vlapi::DrawingObjectList texts = Members(figure, vlapi::vlDrDrawText);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NEAR(vlapi::IDrawingTextPtr(texts[0])->GetX(), 80, 1e-9);  // moved by (-20, -5) with the outline
    EXPECT_NEAR(vlapi::IDrawingTextPtr(texts[0])->GetY(), 95, 1e-9);
    std::vector<NPolygonPtr> borders;
    figure->InitBordersFromMacro(borders);
    ASSERT_EQ(borders.size(), 1u);
    EXPECT_NEAR(borders[0]->GetGabarit().pBot.x, -10, 1e-9);
    EXPECT_NEAR(borders[0]->GetGabarit().pTop.y, 10, 1e-9);
    EXPECT_EQ(DrawingObjects(), 1u);
}

}  // namespace
}  // namespace macrotest
