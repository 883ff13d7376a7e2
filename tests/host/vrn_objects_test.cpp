// Drawing objects made, drawn, found and deleted; decomposition; selection,
// coordinates and library commands; document properties.
#include "vrn_fixture.h"

#include "geometry/RingArea.h"
#include "host/BorderRings.h"
#include "host/HostAccess.h"

#include <cmath>

namespace {

using VrnObjectsTest = vrntest::VrnTest;

TEST_F(VrnObjectsTest, CreationWithoutAContainerMakesNothing)
{
    const vlapi::IDrawingContainerPtr none;
    EXPECT_FALSE(vrnApi::CreateLineSegm(none, 0, 0, 1, 1, 1));
    EXPECT_FALSE(vrnApi::CreateCircle(none, 0, 0, 1, 1));
    EXPECT_FALSE(vrnApi::CreateArc(none, {0, 0}, {1, 0}, {0, 1}, 1, true, 1));
    EXPECT_FALSE(vrnApi::CreateArcBy3Points(none, {1, 0}, {-1, 0}, {0, 1}, 1));
    EXPECT_FALSE(vrnApi::CreateText(none, L"a", 0, 0, 5));
    EXPECT_FALSE(vrnApi::CreateNURBS(none, {0, 0, 1, 1}, {1, 1}, {0, 0, 1, 1}, 1, false, 1));
    EXPECT_FALSE(vrnApi::CreateEquidistant(none, nullptr, true, true, 5, 1));
    EXPECT_EQ(DrawingObjects(), 0u);
}

TEST_F(VrnObjectsTest, ObjectsAreMadeWithTheirSettingsAndStyle)
{
    vlapi::IArcPtr arc = vrnApi::CreateArc(Container(), {0, 0}, {5, 0}, {0, 5}, 5, true, 2);
    ASSERT_TRUE(arc);
    EXPECT_DOUBLE_EQ(arc->GetX1(), 5);
    EXPECT_DOUBLE_EQ(arc->GetY2(), 5);
    EXPECT_TRUE(arc->GetDirection());
    EXPECT_EQ(arc->GetStyle(), 2);
    vlapi::IDrawingTextPtr text = vrnApi::CreateText(Container(), L"Деталь 1", 10, 20, 3.5);
    ASSERT_TRUE(text);
    EXPECT_EQ(vlapi::ITextPtr(text)->GetText(), L"Деталь 1");
    EXPECT_DOUBLE_EQ(text->GetHeight(), 3.5);
    vlapi::ILineSegmentPtr line = vrnApi::CreateLineSegm(Container(), 0, 0, 10, 0, 1);
    vlapi::IEquidistantPtr equid = vrnApi::CreateEquidistant(Container(), line, false, true, 5, 4);
    ASSERT_TRUE(equid);
    EXPECT_DOUBLE_EQ(equid->GetRadius1(), 5);
    EXPECT_EQ(equid->GetStyle(), 4);
    EXPECT_EQ(DrawingObjects(), 4u);
}

TEST_F(VrnObjectsTest, DrawnObjectsAreKnownByReferenceAndDeletedByIt)
{
    const reference rect = vrnApi::DrawRectangle({0, 0}, 30, 20, 3);
    const reference circle = vrnApi::DrawCircle({50, 0}, 5, 1);
    const reference arc = vrnApi::DrawArcby3points({60, 0}, {70, 0}, {65, 5}, 1);
    ASSERT_NE(rect, 0);
    ASSERT_NE(circle, 0);
    ASSERT_NE(arc, 0);
    EXPECT_EQ(DrawingObjects(), 3u);
    vrnApi::DeleteDrawingObj(rect);
    vrnApi::DeleteDrawingObj(0);
    vrnApi::DeleteDrawingObj(rect);
    EXPECT_EQ(DrawingObjects(), 2u);

    NPolygon ring({0, 0}, {{0, 0}, {10, 0}, {10, 10}});
    ring.Draw(4);
    ring.Draw(4);
    EXPECT_EQ(ring.m_segments.size(), 2u);
    ring.Clear();
    EXPECT_TRUE(ring.m_segments.empty());
    EXPECT_EQ(DrawingObjects(), 2u);
}

TEST_F(VrnObjectsTest, DecompositionKeepsLinesAndArcsAndLeavesNoGroup)
{
    const reference since = NextReference();
    vlapi::IRectanglePtr rect = vrnApi::CreateRectangle(Container(), 0, 0, 10, 5, 1);
    std::vector<vlapi::IDrawingObjectPtr> pieces;
    vrnApi::DecomposeDrawingObject(rect, 0.1, pieces);
    ASSERT_EQ(pieces.size(), 4u);
    for (const vlapi::IDrawingObjectPtr& piece : pieces)
        EXPECT_EQ(piece->GetType(), vlapi::vlDrLineSeg);
    EXPECT_TRUE(NoTemporaryGroupSince(since));
    EXPECT_EQ(DrawingObjects(), 1u);
    NRect rc{};
    vrnApi::GetObjectGabarit(rect, rc);
    EXPECT_DOUBLE_EQ(rc.pTop.x, 10);
    EXPECT_DOUBLE_EQ(rc.pTop.y, 5);
}

// Whatever the configured sag, a curve is approximated within a small
// fraction of its size: a round hole of radius 0.5 is a polygon whose area is
// within 0.1 % of the circle's, and so is a half circle.
TEST_F(VrnObjectsTest, CurvesAreApproximatedWithinAFractionOfTheirRadius)
{
    struct Case {
        vlapi::IDrawingObjectPtr curve;
        double area;  // between the curve and its chord
    };
    const Case cases[] = {
        {vlapi::IDrawingObjectPtr(hosttest::AddCircle(Container(), {10, 10}, 0.5)), PI * 0.25},
        {vlapi::IDrawingObjectPtr(hosttest::AddCircle(Container(), {10, 10}, 2.381)), PI * 2.381 * 2.381},
        {vlapi::IDrawingObjectPtr(hosttest::AddCircle(Container(), {0, 0}, 500)), PI * 500 * 500},
        {vlapi::IDrawingObjectPtr(hosttest::AddArc(Container(), {-1, 0}, {1, 0}, {0, -1})), PI * 0.5},
    };
    for (const Case& c : cases) {
        std::vector<NSegmentPtr> segments;
        vrnApi::ApproximateObjectByLineSegments(c.curve, segments);
        std::vector<NPoint> ring;
        for (const NSegmentPtr& s : segments)
            ring.push_back(s->p1);
        ring.push_back(segments.back()->p2);
        EXPECT_GE(ring.size(), 4u);
        EXPECT_NEAR(std::fabs(SignedArea(ring)), c.area, c.area * 1e-3) << ring.size() << " points";
    }
}

// The chords of lines and arcs read from their ends, and the vertices of
// arcs and circles computed for the reading of rings, are those the host's
// curves and decomposition give, from either end of an arc.
TEST_F(VrnObjectsTest, ChordsAndArcVerticesAreThoseOfTheCurves)
{
    const vlapi::IDrawingObjectPtr curves[] = {
        vlapi::IDrawingObjectPtr(hosttest::AddCircle(Container(), {10, 10}, 2.381)),
        vlapi::IDrawingObjectPtr(hosttest::AddCircle(Container(), {-3, 4}, 500)),
        vlapi::IDrawingObjectPtr(hosttest::AddArc(Container(), {-1, 0}, {1, 0}, {0, -1})),
        vlapi::IDrawingObjectPtr(hosttest::AddArc(Container(), {5, 0}, {0, 5}, {3, 4})),
        vlapi::IDrawingObjectPtr(hosttest::AddArc(Container(), {5, 0}, {0, 5}, {-3, -4})),
    };
    for (const vlapi::IDrawingObjectPtr& curve : curves) {
        vrnApi::CurveChord chord;
        ASSERT_TRUE(vrnApi::ReadCurveChord(curve, chord));
        // Ends and middle as the curve gives them, however they are read.
        const vlapi::ICurve2DPtr path = curve->GetCurve();
        NPoint start, end, middle;
        const double t0 = path->GetParamMin(), t1 = path->GetParamMax();
        ASSERT_TRUE(path->GetPoint(t0, start.x, start.y) && path->GetPoint(t1, end.x, end.y) &&
                    path->GetPoint((t0 + t1) / 2, middle.x, middle.y));
        for (const auto& [got, want] : {std::pair{chord.chord->p1, start}, {chord.chord->p2, end}, {chord.middle, middle}}) {
            EXPECT_NEAR(got.x, want.x, 1e-9);
            EXPECT_NEAR(got.y, want.y, 1e-9);
        }
        std::vector<NSegmentPtr> pieces;
        vrnApi::ApproximateObjectByLineSegments(curve, pieces);
        for (const bool inverted : {false, true}) {
            NSegment along = *chord.chord;
            if (inverted) {
                if (along.p1 == along.p2)
                    continue;
                std::swap(along.p1, along.p2);
                for (const NSegmentPtr& piece : pieces)
                    piece->Invert();
                std::reverse(pieces.begin(), pieces.end());
            }
            std::vector<NPoint> points;
            ASSERT_TRUE(vrnApi::AppendArcChordPoints(curve, along, points));
            ASSERT_EQ(points.size(), pieces.size());
            for (size_t k = 0; k < points.size(); ++k) {
                EXPECT_NEAR(points[k].x, pieces[k]->p1.x, 1e-9) << k;
                EXPECT_NEAR(points[k].y, pieces[k]->p1.y, 1e-9) << k;
            }
        }
    }
    std::vector<NPoint> none;
    const vlapi::IDrawingObjectPtr line{vrntest::AddLine(Container(), {0.1, 0.7}, {1.3, -2.9})};
    EXPECT_FALSE(vrnApi::AppendArcChordPoints(line, NSegment({0, 0}, {1, 0}, 0), none));
    EXPECT_TRUE(none.empty());
    vrnApi::CurveChord chord;
    ASSERT_TRUE(vrnApi::ReadCurveChord(line, chord));
    double x = 0.0, y = 0.0;
    const vlapi::ICurve2DPtr path = line->GetCurve();
    ASSERT_TRUE(path->GetPoint((path->GetParamMin() + path->GetParamMax()) / 2, x, y));
    EXPECT_NEAR(chord.middle.x, x, 1e-12);
    EXPECT_NEAR(chord.middle.y, y, 1e-12);
}

TEST_F(VrnObjectsTest, FirstSelectedObjectCountsOnlyWhenItIsAMacro)
{
    INestingMacroObjectPtr figure =
        vrnApi::CreateMacroByRectangle(L"F", 5, 5, static_cast<int>(MacroCommand::Figure));
    vlapi::ILineSegmentPtr line = vrntest::AddLine(Container(), {20, 0}, {30, 0});
    const reference lineRef = hostAccess::ReferenceOf(line);
    vrnApi::SelectObjects({figure->GetReference(), 9999, lineRef});
    EXPECT_EQ(vrnApi::GetFirstSelectedObj(), figure->GetReference());
    vrnApi::UnSelectAll();
    EXPECT_EQ(vrnApi::GetFirstSelectedObj(), 0);
    vrnApi::SelectObjects({lineRef, figure->GetReference()});
    EXPECT_EQ(vrnApi::GetFirstSelectedObj(), 0);
    EXPECT_EQ(vrnApi::FindObjByPoint({25, 0}), lineRef);
    EXPECT_EQ(vrnApi::FindObjByPoint({500, 500}), 0);
}

TEST_F(VrnObjectsTest, PointsGoFromViewToSheetAndBack)
{
    AddView(100, 50, 0.5)->SetCurrent(true);
    NPoint p{10, 20};
    vrnApi::TransformFromViewToSheet(p);
    EXPECT_DOUBLE_EQ(p.x, 105);
    EXPECT_DOUBLE_EQ(p.y, 60);
    vrnApi::TransformFromSheetToView(p);
    EXPECT_NEAR(p.x, 10, 1e-9);
    EXPECT_NEAR(p.y, 20, 1e-9);
}

TEST_F(VrnObjectsTest, LibraryCommandsAndTheRunningProcessGoThroughTheHost)
{
    vrnApi::RunLibraryCommand(300);
    EXPECT_EQ(State().commandQueue, std::deque<int>{300});
    EXPECT_FALSE(vrnApi::CheckActiveProcessRunnig());
    vlhost::Host::SetProcessRunning(doc, true);
    EXPECT_TRUE(vrnApi::CheckActiveProcessRunnig());
}

TEST_F(VrnObjectsTest, NumericPropertiesAreMadeOnceAndMaterialIsBuiltIn)
{
    vlapi::IPropertyMngPtr manager = doc->GetPropertyMng();
    const int before = manager->GetCount();
    EXPECT_EQ(vrnApi::GetPropertyFromDocument(L"Количество"), 0.0);
    EXPECT_EQ(manager->GetCount(), before);
    vrnApi::SetPropertyToDocument(L"Количество", 3);
    vrnApi::SetPropertyToDocument(L"Количество", 5);
    EXPECT_EQ(manager->GetCount(), before + 1);
    EXPECT_EQ(manager->GetProperty(L"Количество")->GetDataType(), vlapi::vlPropertyDataTypeDouble);
    EXPECT_DOUBLE_EQ(vrnApi::GetPropertyFromDocument(L"Количество"), 5);

    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"");
    vrnApi::SetMaterialPropertyToDocument(L"09Г2С");
    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"09Г2С");
    EXPECT_EQ(manager->GetCount(), before + 1);
}

TEST_F(VrnObjectsTest, TextsOfEveryViewAndObjectsOfAGroupAreGathered)
{
    vrnApi::CreateText(Container(), L"Лист 1", 0, 0, 5);
    vlapi::IViewPtr second = AddView(500, 0, 1);
    vrnApi::CreateText(vlapi::IDrawingContainerPtr(second), L"Лист 2", 0, 0, 5);
    vrntest::AddLine(Container(), {0, 0}, {1, 1});
    std::vector<vlapi::IDrawingTextPtr> texts(1);
    vrnApi::GetTextObjectsFromActiveDoc(texts);
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(vlapi::ITextPtr(texts[2])->GetText(), L"Лист 2");

    vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(false);
    group->AddObjects(hostAccess::ListOf(texts[1]));
    std::vector<vlapi::IDrawingObjectPtr> members;
    vrnApi::GetGeomObjectsFromGroup(hostAccess::ReferenceOf(group), members);
    vrnApi::GetGeomObjectsFromGroup(hostAccess::ReferenceOf(texts[1]), members);  // not a group
    ASSERT_EQ(members.size(), 1u);
    EXPECT_TRUE(hostAccess::SameObject(members[0], texts[1]));
}

TEST_F(VrnObjectsTest, NurbsAndEquidistantsAreDrawnInTheActiveView)
{
    vlapi::INurbsPtr nurbs = vrnApi::CreateNURBS(Container(), {0, 0, 10, 10, 20, 0}, {1, 1, 1},
                                                 {0, 0, 0, 1, 1, 1}, 2, false, 1);
    ASSERT_TRUE(nurbs);
    EXPECT_EQ(nurbs->GetDegree(), 2);
    EXPECT_EQ(nurbs->GetKnots().size(), 6u);
    const reference equid = vrnApi::DrawEquidistant(nurbs, true, true, 2, 4);
    EXPECT_NE(equid, 0);
    EXPECT_EQ(DrawingObjects(), 2u);
}

TEST_F(VrnObjectsTest, TextWithoutItsTextFaceIsPlacedWithoutAString)
{
    vlapi::IDrawingTextPtr text;
    {
        vlhost::FailureScope noFace("IText");
        text = vrnApi::CreateText(Container(), L"Деталь", 10, 20, 5);
    }
    ASSERT_TRUE(text);
    EXPECT_DOUBLE_EQ(text->GetX(), 10);
    EXPECT_EQ(vlapi::ITextPtr(text)->GetText(), L"");
    EXPECT_EQ(DrawingObjects(), 1u);
}

TEST_F(VrnObjectsTest, MaterialNeedsTheBuiltInProperty)
{
    vlhost::FailureScope noBuiltIn("IPropertyMng::GetBuiltInProperty");
    vrnApi::SetMaterialPropertyToDocument(L"Ст3");
    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"");
}

}  // namespace
