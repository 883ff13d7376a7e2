// Equal right-triangle figures of a model are joined in pairs into compound
// figures: which pairs, where the members go, what the drawing holds.
#include "compound_fixture.h"

namespace compoundtest {
namespace {

class JoinTest : public CompoundTest {
protected:
    // Two equal triangles side by side, joined into the model's one compound.
    CompoundFigurePtr JoinedPair(const std::wstring& first = L"Part", const std::wstring& second = L"Part")
    {
        AddTriangle(Triangle(0, 0), first);
        AddTriangle(Triangle(200, 0), second);
        model.CreateCompoundFigures();
        return OnlyCompound();
    }
};

TEST_F(JoinTest, TwoEqualTrianglesBecomeOneCompoundCentredOnTheOrigin)
{
    const FigurePtr first = AddTriangle(Triangle(0, 0), L"A");
    const FigurePtr second = AddTriangle(Triangle(300, 200), L"A");
    model.CreateCompoundFigures();

    const CompoundFigurePtr compound = OnlyCompound();
    ASSERT_TRUE(compound);
    EXPECT_EQ(compound->m_objectType, NestingObjectType::CompoundFigure);
    EXPECT_EQ(compound->m_name, CompoundName(1));
    EXPECT_EQ(compound->m_macro->GetName(), CompoundName(1));
    EXPECT_EQ(CompoundFigure::m_index, 1);
    ASSERT_EQ(compound->m_figures.size(), 2u);
    EXPECT_EQ(compound->m_figures[0], first);
    EXPECT_EQ(compound->m_figures[1], second);
    EXPECT_EQ(compound->m_count, 1);
    EXPECT_EQ(first->m_count, 1);
    EXPECT_TRUE(first->m_child);
    EXPECT_TRUE(second->m_child);
    EXPECT_NEAR(compound->m_thickness, 2.0, 1e-12);
    EXPECT_EQ(compound->m_material, L"Ст3");
    EXPECT_NEAR(compound->m_area, 2 * 3000.0, 1e-6);

    // The longest edges face each other a gap apart; the pair's box is the
    // compound's, centred on the origin: 100 wide, the 60 leg plus the gap
    // measured along y.
    ExpectJoinedAlongLongestEdges(*first, *second, 5.0);
    EXPECT_FALSE(first->CheckIntersect(second));
    const double height = 60.0 + 5.0 * Hypotenuse() / 100.0;
    const NRect expected{{-50.0, -height / 2}, {50.0, height / 2}};
    ExpectRectNear(compound->m_rectBorder, expected, 1e-6);
    ExpectRectNear(Union(first->m_rectBorder, second->m_rectBorder), expected, 1e-6);
    ASSERT_EQ(compound->m_borders.size(), 1u);

    // Both member macros stand where their figures say, inside the one
    // compound macro, which the model gave gap polygons and a record.
    ExpectInStepWithMacro(*first);
    ExpectInStepWithMacro(*second);
    EXPECT_EQ(TopMacros(), 1u);
    std::vector<INestingMacroObjectPtr> members;
    compound->m_macro->GetMacroObjectsFromMacro(members);
    ASSERT_EQ(members.size(), 2u);
    EXPECT_EQ(members[0]->GetReference(), first->m_macro->GetReference());
    EXPECT_EQ(members[1]->GetReference(), second->m_macro->GetReference());
    EXPECT_FALSE(compound->m_poligons.empty());
    ExpectRectNear(compound->m_rect, figuretest::Grown(expected, 2.5), 1e-3);
}

TEST_F(JoinTest, TooFewFiguresLeaveTheModelAsItWas)
{
    model.CreateCompoundFigures();
    EXPECT_TRUE(model.m_figures.empty());
    const FigurePtr alone = AddTriangle(Triangle(0, 0));
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 1u);
    EXPECT_EQ(model.m_figures[0], alone);
    EXPECT_EQ(CompoundFigure::m_index, 0);
}

TEST_F(JoinTest, AnOddCountLeavesTheLastTriangleSingleBeforeTheCompound)
{
    AddTriangle(Triangle(0, 0));
    AddTriangle(Triangle(200, 0));
    const FigurePtr third = AddTriangle(Triangle(400, 0));
    const FigurePtr square = AddTriangle(figuretest::Rectangle(600, 0, 60, 60));
    model.CreateCompoundFigures();

    ASSERT_EQ(model.m_figures.size(), 3u);
    EXPECT_EQ(model.m_figures[0], third);
    EXPECT_EQ(model.m_figures[1], square);
    EXPECT_EQ(model.m_figures[2]->m_objectType, NestingObjectType::CompoundFigure);
    EXPECT_FALSE(third->m_child);
    EXPECT_EQ(TopMacros(), 3u);
}

TEST_F(JoinTest, PairsThatDifferStayApart)
{
    struct Case {
        const char* what;
        double thickness;
        std::wstring material;
        std::vector<NPoint> ring;
    };
    const std::vector<Case> cases = {
        {"thickness off by the tolerance", 2.0001, L"Ст3", Triangle(200, 0)},
        {"other material", 2.0, L"Д16", Triangle(200, 0)},
        {"no material", 2.0, L"", Triangle(200, 0)},
        {"wider box", 2.0, L"Ст3", {{200, 0}, {300.00015, 0}, {200, 60}}},
        {"higher box", 2.0, L"Ст3", {{200, 0}, {300, 0}, {200, 60.00015}}},
        {"not a right triangle", 2.0, L"Ст3", {{200, 0}, {300, 0}, {230, 60}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        model.m_figures.clear();
        CompoundFigure::m_index = 0;
        AddTriangle(Triangle(0, 0));
        const FigurePtr other = AddTriangle(c.ring);
        other->SetThickness(c.thickness);
        other->SetMaterial(c.material);
        model.CreateCompoundFigures();
        EXPECT_EQ(model.m_figures.size(), 2u);
        EXPECT_EQ(CompoundFigure::m_index, 0);
    }
}

TEST_F(JoinTest, RectanglesAndCompoundsAreNeverJoined)
{
    const FigurePtr compound = JoinedPair();
    AddTriangle(Triangle(0, 300));
    AddTriangle(figuretest::Rectangle(300, 300, 100, 60));
    AddTriangle(figuretest::Rectangle(500, 300, 100, 60));
    model.CreateCompoundFigures();

    ASSERT_EQ(model.m_figures.size(), 4u);
    EXPECT_EQ(model.m_figures[0], compound);
    EXPECT_EQ(CompoundFigure::m_index, 1);
}

TEST_F(JoinTest, MirrorImagesJoinOnlyWhenTheModelAllowsIt)
{
    AddTriangle(Triangle(0, 0));
    const FigurePtr mirror = AddTriangle(MirroredTriangle(200, 0));
    model.CreateCompoundFigures();
    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_FALSE(mirror->m_symmetry);
    ExpectSameVertices(*mirror->m_borders[0], Ring(MirroredTriangle(200, 0)));

    model.m_uniteMirrors = true;
    model.CreateCompoundFigures();
    const CompoundFigurePtr compound = OnlyCompound();
    ASSERT_TRUE(compound);
    EXPECT_TRUE(mirror->m_symmetry);
    ExpectJoinedAlongLongestEdges(*compound->m_figures[0], *mirror, 5.0);
    EXPECT_FALSE(compound->m_figures[0]->CheckIntersect(mirror));
    ExpectInStepWithMacro(*mirror);
}

TEST_F(JoinTest, SecondMemberAwayFromItsSourcePlacementLandsAgainstTheFirst)
{
    const FigurePtr first = AddTriangle(Triangle(0, 0));
    const FigurePtr second = AddTriangle(Triangle(0, 0));
    second->SetPlacement(250, 40, 0, false);
    model.CreateCompoundFigures();

    ASSERT_TRUE(OnlyCompound());
    ExpectJoinedAlongLongestEdges(*first, *second, 5.0);
    EXPECT_FALSE(first->CheckIntersect(second));
    ExpectRectNear(Union(first->m_rectBorder, second->m_rectBorder), OnlyCompound()->m_rectBorder, 1e-6);
    ExpectInStepWithMacro(*second);
}

TEST_F(JoinTest, OverlappingJoinLeavesBothFiguresWhereTheyWere)
{
    const FigurePtr first = AddTriangle(Triangle(10, 20));
    const FigurePtr second = AddTriangle(Triangle(300, 200));
    const CompoundFigurePtr compound = CompoundFigure::Create(nullptr);
    EXPECT_FALSE(compound->AddFigures(first, second, -30.0));

    EXPECT_TRUE(compound->m_figures.empty());
    EXPECT_FALSE(compound->m_macro);
    EXPECT_TRUE(first->m_valid);
    EXPECT_FALSE(second->m_child);
    ExpectSameVertices(*first->m_borders[0], Ring(Triangle(10, 20)));
    ExpectSameVertices(*second->m_borders[0], Ring(Triangle(300, 200)));
    ExpectInStepWithMacro(*first);
    ExpectInStepWithMacro(*second);
    EXPECT_EQ(CompoundFigure::m_index, 0);
    EXPECT_EQ(TopMacros(), 2u);
}

TEST_F(JoinTest, NoCompoundMacroMeansNoJoinAndAMirroredPartnerIsMirroredBack)
{
    AddTriangle(Triangle(0, 0));
    // A figure whose macro is gone: the host cannot hold it in a compound.
    const FigurePtr loose = Figure::Create(nullptr);
    loose->CopyDataFrom(*AddTriangle(MirroredTriangle(200, 0)));
    model.m_figures.back() = loose;
    model.m_uniteMirrors = true;
    model.CreateCompoundFigures();

    ASSERT_EQ(model.m_figures.size(), 2u);
    EXPECT_EQ(model.m_figures[1], loose);
    EXPECT_FALSE(loose->m_symmetry);
    ExpectSameVertices(*loose->m_borders[0], Ring(MirroredTriangle(200, 0)));
    ExpectSameVertices(*model.m_figures[0]->m_borders[0], Ring(Triangle(0, 0)));
    EXPECT_EQ(CompoundFigure::m_index, 0);
}

TEST_F(JoinTest, ThicknessMaterialAndColouringReachTheMembers)
{
    const CompoundFigurePtr compound = JoinedPair();
    compound->SetThickness(4.0);
    compound->SetMaterial(L"Д16");
    for (const FigurePtr& member : compound->m_figures) {
        EXPECT_NEAR(member->m_thickness, 4.0, 1e-12);
        EXPECT_EQ(member->m_material, L"Д16");
    }

    const auto colourings = [&](size_t k) {
        vlapi::IDrawingContainerPtr member(macrotest::HostMacro(compound->m_figures[k]->m_macro));
        return member->GetColourings()->GetCount();
    };
    compound->CreateColouring();
    EXPECT_EQ(colourings(0), 1);
    EXPECT_EQ(colourings(1), 1);
    EXPECT_EQ(vlapi::IDrawingContainerPtr(macrotest::HostMacro(compound->m_macro))->GetColourings()->GetCount(), 0);
    compound->DeleteColouring();
    EXPECT_EQ(colourings(0), 0);
    EXPECT_EQ(colourings(1), 0);
}

using CompoundMacroTest = JoinTest;

// Members read from the compound macro stand in its frame, each in step with
// its own macro, so their colourings and records stay right.
TEST_F(CompoundMacroTest, MembersReadBackFromAMovedCompoundStandInItsFrame)
{
    const CompoundFigurePtr compound = JoinedPair(L"A", L"B");
    const NRect before = compound->m_rectBorder;
    compound->SetPlacement(400, 100, 0, false);
    compound->UpdateFigures();

    ASSERT_EQ(compound->m_figures.size(), 2u);
    EXPECT_EQ(compound->m_figures[0]->m_name, L"A");
    const NRect moved{{before.pBot.x + 400, before.pBot.y + 100}, {before.pTop.x + 400, before.pTop.y + 100}};
    ExpectRectNear(compound->m_rectBorder, moved, 1e-6);
    ExpectRectNear(Union(compound->m_figures[0]->m_rectBorder, compound->m_figures[1]->m_rectBorder), before, 1e-6);
    ExpectInStepWithMacro(*compound->m_figures[0]);
    ExpectInStepWithMacro(*compound->m_figures[1]);
}

TEST_F(CompoundMacroTest, ContourAndTextObjectsComeFromBothMembers)
{
    const CompoundFigurePtr compound = JoinedPair();
    std::vector<vlapi::IDrawingObjectPtr> objects;
    compound->GetContourObjects(objects, false);
    EXPECT_EQ(objects.size(), 6u);  // three edges each

    const CompoundFigurePtr bare = CompoundFigure::Create(nullptr);
    bare->GetContourObjects(objects, true);
    bare->GetTextObjects(objects);
    bare->UpdateFigures();
    EXPECT_EQ(objects.size(), 6u);
}

TEST_F(CompoundMacroTest, ACopyIsAPlainFigureWithTheCompoundsRecord)
{
    const CompoundFigurePtr compound = JoinedPair();
    const FigurePtr copy = compound->CreateCopy();
    ASSERT_TRUE(copy);
    EXPECT_FALSE(std::dynamic_pointer_cast<CompoundFigure>(copy));
    EXPECT_EQ(copy->m_objectType, NestingObjectType::CompoundFigure);
    EXPECT_NE(copy->m_macro->GetReference(), compound->m_macro->GetReference());
    ASSERT_EQ(copy->m_borders.size(), 1u);
    ExpectSameVertices(*copy->m_borders[0], *compound->m_borders[0], 1e-6);
    copy->Clear();
}

}  // namespace
}  // namespace compoundtest
