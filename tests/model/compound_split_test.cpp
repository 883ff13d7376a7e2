// Compound figures split back into their members, and compounds kept in a
// drawing through a save and reopen.
#include "compound_fixture.h"
#include "readback.h"

#include <cstdlib>
#include <fstream>

namespace compoundtest {
namespace {

using SplitTest = CompoundTest;

// Each figure's outline ring, in model order.
std::vector<NPolygon> Outlines(const std::vector<FigurePtr>& figures)
{
    std::vector<NPolygon> rings;
    for (const FigurePtr& figure : figures)
        rings.push_back(*figure->m_borders.front());
    return rings;
}

TEST_F(SplitTest, SplittingGivesTheMembersBackAndTheirSourcePlacesRestoreThem)
{
    AddTriangle(Triangle(0, 0), L"A");
    AddTriangle(Triangle(300, 200), L"B");
    const FigurePtr single = AddTriangle(figuretest::Rectangle(500, 0, 40, 40), L"C");
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    const CompoundFigurePtr compound = std::dynamic_pointer_cast<CompoundFigure>(model.m_figures[1]);
    const std::vector<NPolygon> joined = Outlines(compound->m_figures);
    compound->m_gap = 7.0;

    model.DestroyCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 3u);
    EXPECT_EQ(model.m_figures[0], single);
    EXPECT_EQ(CompoundFigure::m_index, 0);
    EXPECT_EQ(TopMacros(), 3u);
    const FigurePtr& first = model.m_figures[1];
    const FigurePtr& second = model.m_figures[2];
    EXPECT_EQ(first->m_name, L"A");
    EXPECT_EQ(second->m_name, L"B");
    EXPECT_EQ(first->m_objectType, NestingObjectType::Figure);
    EXPECT_NEAR(second->m_thickness, 2.0, 1e-12);
    EXPECT_EQ(second->m_material, L"Ст3");
    EXPECT_NEAR(second->m_gap, 7.0, 1e-12);
    EXPECT_TRUE(second->m_child);

    // Split where they were joined, each macro in step with its figure.
    ExpectSameVertices(*first->m_borders[0], joined[0], 1e-6);
    ExpectSameVertices(*second->m_borders[0], joined[1], 1e-6);
    ExpectInStepWithMacro(*first);
    ExpectInStepWithMacro(*second);

    model.SetAllFiguresInSourcePlacement();
    ExpectSameVertices(*first->m_borders[0], Ring(Triangle(0, 0)), 1e-6);
    ExpectSameVertices(*second->m_borders[0], Ring(Triangle(300, 200)), 1e-6);
    ExpectInStepWithMacro(*second);

    // Numbering starts again after a split.
    model.CreateCompoundFigures();
    EXPECT_EQ(model.m_figures.back()->m_name, CompoundName(1));
}

TEST_F(SplitTest, MembersOfAMovedCompoundComeOutWhereItStands)
{
    AddTriangle(Triangle(0, 0));
    AddTriangle(Triangle(300, 200));
    model.CreateCompoundFigures();
    const CompoundFigurePtr compound = OnlyCompound();
    const NRect joined = compound->m_rectBorder;
    compound->SetPlacement(400, 100, 90, false);

    model.DestroyCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    const double w = joined.pTop.x - joined.pBot.x;
    const double h = joined.pTop.y - joined.pBot.y;
    const NRect turned{{400 - h / 2, 100 - w / 2}, {400 + h / 2, 100 + w / 2}};
    ExpectRectNear(Union(model.m_figures[0]->m_rectBorder, model.m_figures[1]->m_rectBorder), turned, 1e-6);
    ExpectInStepWithMacro(*model.m_figures[0]);
    ExpectInStepWithMacro(*model.m_figures[1]);
    EXPECT_FALSE(model.m_figures[0]->CheckIntersect(model.m_figures[1]));
}

TEST_F(SplitTest, AMirroredMemberGoesBackToItsSourcePlaceAndLooks)
{
    model.m_uniteMirrors = true;
    doc->GetLayoutSheets()->Add();
    const std::vector<vlapi::ILayoutSheetPtr> pages = readback::Pages();
    AddTriangle(Triangle(0, 0));
    AddTriangle(MirroredTriangle(200, 100));
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 1u);

    model.DestroyCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    const FigurePtr& mirror = model.m_figures[1];
    EXPECT_FALSE(mirror->m_symmetry);
    ExpectSameVertices(*mirror->m_borders[0], Ring(MirroredTriangle(200, 100)), 1e-4);
    ExpectInStepWithMacro(*mirror);
    double x = 0, y = 0, angle = 0;
    mirror->GetPlacement(x, y, angle);
    EXPECT_NEAR(x, 0.0, 1e-9);
    EXPECT_NEAR(y, 0.0, 1e-9);

    // The stored records are those of the members as they now stand.
    readback::ExpectDrawingReadsBackAs(model);
    readback::ExpectSamePages(pages);
}

TEST_F(SplitTest, MembersTheCompoundNoLongerListsAreNotLost)
{
    AddTriangle(Triangle(0, 0));
    AddTriangle(Triangle(200, 0));
    model.CreateCompoundFigures();
    const CompoundFigurePtr compound = OnlyCompound();
    compound->m_figures.pop_back();

    model.DestroyCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_EQ(TopMacros(), 2u);
    EXPECT_NEAR(model.m_figures[1]->m_thickness, 2.0, 1e-12);
}

TEST_F(SplitTest, ACompoundWithoutMacroGivesNothingAndIsDropped)
{
    const FigurePtr plain = AddTriangle(Triangle(0, 0));
    model.m_figures.push_back(CompoundFigure::Create(nullptr));
    CompoundFigure::m_index = 4;
    model.DestroyCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(model.m_figures[0], plain);
    EXPECT_EQ(CompoundFigure::m_index, 0);
}

TEST_F(SplitTest, ACompoundSurvivesASaveAndReopenOfTheDrawing)
{
    AddTriangle(Triangle(0, 0), L"A");
    AddTriangle(Triangle(300, 200), L"B");
    AddTriangle(Triangle(0, 300), L"D");
    AddTriangle(Triangle(300, 300), L"E");
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    const CompoundFigurePtr saved = std::dynamic_pointer_cast<CompoundFigure>(model.m_figures[0]);
    const std::vector<NPolygon> members = Outlines(saved->m_figures);
    const NPolygon outline = *saved->m_borders[0];
    if (const char* out = std::getenv("NESTING_COMPOUND_SVG"))
        std::ofstream(out) << vlhost::Host::Svg(doc);

    const std::wstring path = File("compound.vdw");
    ASSERT_TRUE(doc->SaveAs(path));
    doc->Close(0);
    doc = nullptr;
    ASSERT_TRUE(application->GetDocuments()->Open(path, true, 0));

    NestingModel loaded;
    loaded.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(loaded.m_figures.size(), 2u);
    EXPECT_EQ(CompoundFigure::m_index, 2);
    const CompoundFigurePtr compound = std::dynamic_pointer_cast<CompoundFigure>(loaded.m_figures[0]);
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->m_name, CompoundName(1));
    EXPECT_EQ(loaded.m_figures[1]->m_name, CompoundName(2));
    ASSERT_EQ(compound->m_borders.size(), 1u);
    ExpectSameVertices(*compound->m_borders[0], outline, 1e-6);
    EXPECT_FALSE(compound->m_poligons.empty());
    ASSERT_EQ(compound->m_figures.size(), 2u);
    EXPECT_EQ(compound->m_figures[1]->m_name, L"B");
    EXPECT_TRUE(compound->m_figures[1]->m_child);
    ExpectSameVertices(*compound->m_figures[1]->m_borders[0], members[1], 1e-6);

    loaded.DestroyCompoundFigures();
    ASSERT_EQ(loaded.m_figures.size(), 4u);
    EXPECT_EQ(loaded.m_figures[0]->m_name, L"A");
    EXPECT_EQ(loaded.m_figures[1]->m_name, L"B");
    EXPECT_TRUE(loaded.m_figures[1]->m_edit);
    loaded.SetAllFiguresInSourcePlacement();
    ExpectSameVertices(*loaded.m_figures[1]->m_borders[0], Ring(Triangle(300, 200)), 1e-6);
    loaded.m_figures.clear();
}

}  // namespace
}  // namespace compoundtest
