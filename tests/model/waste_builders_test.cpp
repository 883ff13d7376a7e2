// Remnants made by the model: at a picked point, from the free area of each
// sheet, by rectangles.
#include "geometry/RingArea.h"
#include "readback.h"
#include "support/ring_distance.h"
#include "vlhost/Host.h"
#include "waste_fixture.h"

using wastetest::Grown;
using wastetest::InArea;
using wastetest::KeepsOff;
using wastetest::WasteModelTest;

namespace {

class WasteBuildersTest : public WasteModelTest {};

}  // namespace

TEST_F(WasteBuildersTest, RemnantAtAPointKeepsOffThePartsGapOutline)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const FigurePtr part = AddPart(sheet, 100, 100, 200, 200);
    const size_t before = ObjectsIn(View(sheet->GetView()));

    WastePtr waste = model.CreateWaste({600, 250});
    ASSERT_TRUE(waste);
    ASSERT_FALSE(waste->m_polygons.empty());
    EXPECT_EQ(waste->m_macro->GetCommand(), MacroCommand::Waste);
    EXPECT_EQ(waste->m_owner, sheet);
    EXPECT_EQ(waste->m_ownerRef, sheet->GetReference());
    EXPECT_TRUE(InArea(*waste, {600, 250}));
    EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
    EXPECT_TRUE(model.m_wastes.empty()) << "made, not yet added";

    // The temporary gap outlines are gone; the remnant macro is the one new object.
    EXPECT_EQ(ObjectsIn(View(sheet->GetView())), before + 1);

    model.AddWaste(waste);
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(waste->m_number, 1);
    EXPECT_EQ(model.GetWasteByRef(waste->GetReference()), waste);
}

TEST_F(WasteBuildersTest, NoRemnantOutsideTheSheetsOrInsideAPart)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 100, 100, 200, 200);
    const size_t before = ObjectsIn(View(sheet->GetView()));
    EXPECT_FALSE(model.CreateWaste({2000, 250}));
    // A point on the part, or beside it within the gap: the part's own
    // outline encloses it, yet the part is no remnant.
    EXPECT_FALSE(model.CreateWaste({200, 200}));
    EXPECT_FALSE(model.CreateWaste({305, 200}));
    EXPECT_EQ(ObjectsIn(View(sheet->GetView())), before);
}

TEST_F(WasteBuildersTest, AutomaticRemnantsFillTheFreeAreaClearOfTheParts)
{
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const FigurePtr part = AddPart(sheet, 0, 0, 300, 200);
    model.CalculateWastes();

    ASSERT_FALSE(model.m_wastes.empty());
    double area = 0.0;
    for (const WastePtr& waste : model.m_wastes) {
        EXPECT_TRUE(waste->m_method);
        EXPECT_EQ(waste->m_owner, sheet);
        EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
        area += (waste->m_rect.pTop.x - waste->m_rect.pBot.x) * (waste->m_rect.pTop.y - waste->m_rect.pBot.y);
    }
    // Far corners of the sheet are free area.
    const auto covered = [this](const NPoint& p) {
        return std::any_of(model.m_wastes.begin(), model.m_wastes.end(),
                           [&p](const WastePtr& w) { return InArea(*w, p); });
    };
    EXPECT_TRUE(covered({990, 490}));
    EXPECT_TRUE(covered({10, 490}));
    EXPECT_TRUE(covered({990, 10}));
    EXPECT_GT(area, 0.0);
}

TEST_F(WasteBuildersTest, AutomaticRemnantsOnlyWhereSheetsHaveParts)
{
    model.m_wasteMethod = true;
    const SheetPtr first = AddSheet(0, 0, 1000, 500);
    AddPart(first, 0, 0, 300, 200);
    const SheetPtr second = AddSheet(5000, 0, 1000, 500);
    const WastePtr old = AddRectWaste(second, 100, 100, 300, 300, true);
    old->m_edit = true;  // as read from the drawing: it goes all the same

    model.CalculateWastes();
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_EQ(waste->m_owner, first);
    EXPECT_EQ(std::find(model.m_wastes.begin(), model.m_wastes.end(), old), model.m_wastes.end());
    EXPECT_FALSE(InDrawing(*old));
}

TEST_F(WasteBuildersTest, AutomaticRemnantsReplaceOverlappedManualOnes)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 0, 0, 300, 200);
    const WastePtr overlapped = AddRectWaste(sheet, 600, 100, 200, 200, false);
    const WastePtr apart = AddRectWaste(sheet, 5000, 5000, 100, 100, false);
    model.m_wasteMethod = false;
    model.CalculateWastes();
    EXPECT_EQ(model.m_wastes.size(), 2u) << "switched off: nothing changes";

    model.m_wasteMethod = true;
    model.CalculateWastes();
    EXPECT_EQ(std::count(model.m_wastes.begin(), model.m_wastes.end(), overlapped), 0);
    ASSERT_EQ(model.m_wastes.front(), apart);
    EXPECT_EQ(apart->m_number, 1) << "the kept one comes first on its sheet";
    EXPECT_GT(model.m_wastes.size(), 1u);
}

TEST_F(WasteBuildersTest, RectangleRemnantsReplaceEveryRemnant)
{
    model.m_wasteMethod = true;
    model.m_wastRectSize = 50.0;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const FigurePtr part = AddPart(sheet, 0, 0, 200, 200);
    const WastePtr old = AddRectWaste(sheet, 600, 100, 200, 200, false);

    model.DecomposeWastesToRectangles();
    ASSERT_EQ(model.m_wastes.size(), 2u);
    EXPECT_EQ(std::count(model.m_wastes.begin(), model.m_wastes.end(), old), 0);
    for (const WastePtr& waste : model.m_wastes) {
        EXPECT_TRUE(waste->m_rectform);
        EXPECT_TRUE(waste->CheckRectangle(50.0));
        EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
    }
    EXPECT_NEAR(model.m_wastes[0]->m_width, 1000 - 200 - kGap, 1e-6);
    EXPECT_NEAR(model.m_wastes[0]->m_height, 500, 1e-6);
}

// A part hanging over the sheet's edge has no owner after the placement; no
// rectangle may be laid over it all the same.
TEST_F(WasteBuildersTest, RectangleRemnantsKeepOffAPartOverTheEdge)
{
    model.m_wasteMethod = true;
    model.m_wastRectSize = 50.0;
    doc->GetLayoutSheets()->Add();
    const std::vector<vlapi::ILayoutSheetPtr> pages = readback::Pages();
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 0, 0, 200, 200)->SaveParams();
    const FigurePtr part = AddPart(sheet, 900, 100, 200, 200);
    part->m_owner.reset();
    part->SaveParams();

    model.DecomposeWastesToRectangles();
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3))) << waste->m_name;
    readback::ExpectDrawingReadsBackAs(model);
    readback::ExpectSamePages(pages);
}

TEST_F(WasteBuildersTest, RectangleRemnantsTakeHalfTheSmallerSheetSideAsMinimum)
{
    NestingModel::m_widthSheet = 3000;
    NestingModel::m_heightSheet = 1500;
    model.m_wasteMethod = false;
    model.m_wastRectSize = 0.0;
    const SheetPtr first = AddSheet(0, 0, 3000, 1500);
    AddPart(first, 0, 0, 200, 200);
    const SheetPtr second = AddSheet(5000, 0, 3000, 1500);
    AddPart(second, 0, 0, 200, 200);
    AddRectWaste(second, 1000, 1000, 100, 100, false);

    model.DecomposeWastesToRectangles();
    EXPECT_DOUBLE_EQ(model.m_wastRectSize, 750.0);
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_EQ(waste->m_owner, second) << "only the sheet that had remnants";
}

// Each part belongs to the sheet in whose view it lies, whatever owner it had.
TEST_F(WasteBuildersTest, AutomaticRemnantsFollowThePartsViews)
{
    model.m_wasteMethod = true;
    const SheetPtr first = AddSheet(0, 0, 1000, 500);
    const SheetPtr second = AddSheet(5000, 0, 1000, 500);
    const FigurePtr part = AddPart(first, 0, 0, 300, 200);  // drawn in the second sheet's view
    model.CalculateWastes();
    EXPECT_EQ(part->m_owner, second);
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_EQ(waste->m_owner, second);
}

TEST_F(WasteBuildersTest, WithoutPartsAutomaticRemnantsGoAndOthersAreRenumbered)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const WastePtr automatic = AddRectWaste(sheet, 0, 0, 100, 100, true);
    const WastePtr manual = AddRectWaste(sheet, 200, 0, 100, 100, false);
    model.UpdateWastesNames();
    ASSERT_EQ(manual->m_number, 2);
    model.m_wasteMethod = true;
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(model.m_wastes.front(), manual);
    EXPECT_EQ(manual->m_number, 1);
    EXPECT_FALSE(InDrawing(*automatic));
}

// A strip narrower than the remnant size above a tall part is a ledge of
// the free area: cut off with a positive size, kept with size 0.
TEST_F(WasteBuildersTest, NarrowLedgesAreCutOffByTheRemnantSize)
{
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 0, 0, 300, 470);
    const auto reachesOverThePart = [this] {
        return std::any_of(model.m_wastes.begin(), model.m_wastes.end(),
                           [](const WastePtr& w) { return w->m_rect.pBot.x < 100.0; });
    };
    model.CalculateWastes();
    ASSERT_FALSE(model.m_wastes.empty());
    EXPECT_TRUE(reachesOverThePart());

    model.m_wastSize = 50.0;
    model.CalculateWastes();
    ASSERT_FALSE(model.m_wastes.empty());
    EXPECT_FALSE(reachesOverThePart());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_EQ(waste->m_macro->GetCommand(), MacroCommand::Waste);
}

// How far the remnant's area stands from the rectangle: 0 when they share
// any area, else the least distance between their outlines.
double Clearance(const Waste& waste, const NRect& part)
{
    const std::vector<NPoint> box{part.pBot, {part.pTop.x, part.pBot.y}, part.pTop, {part.pBot.x, part.pTop.y}};
    NPoint middle{(part.pBot.x + part.pTop.x) / 2, (part.pBot.y + part.pTop.y) / 2};
    if (InArea(waste, middle))
        return 0.0;
    double least = 1e300;
    for (const NPolygonPtr& ring : waste.m_polygons) {
        const std::vector<NPoint>& r = ring->m_points;
        for (size_t i = 0; i < r.size(); ++i) {
            if (ringtest::EvenOddInside(box, r[i]))
                return 0.0;
            for (size_t k = 0; k < box.size(); ++k)
                least = std::min(least, ringtest::SegmentDistance(r[i], r[(i + 1) % r.size()], box[k],
                                                                 box[(k + 1) % box.size()]));
        }
    }
    return least;
}

// Steps between the parts' edges shorter than the simplification are
// flattened, the notches among them too, yet no remnant comes nearer to a
// part than the part gap: only what the free area holds is kept.
TEST_F(WasteBuildersTest, SimplifiedRemnantsKeepTheGapToEveryPart)
{
    const struct {
        const char* what;
        std::vector<NRect> parts;  // lower-left corner, width and height
    } layouts[] = {
        // Beside the upper part the step is lifted to the sheet's top, into its gap.
        {"the upper part 3 wider", {{{0, 0}, {300, 300}}, {{0, 310}, {303, 180}}}},
        // Above the right part the step is moved to the sheet's edge, into its gap.
        {"the right part 3 higher", {{{0, 0}, {700, 200}}, {{710, 0}, {290, 203}}}},
        {"the right part 2.2 lower", {{{0, 0}, {700, 200}}, {{710, 0}, {290, 197.8}}}},
    };
    for (const double size : {5.0, 10.0}) {
        for (const auto& layout : layouts) {
            SCOPED_TRACE(std::string(layout.what) + ", simplified by " + std::to_string(size));
            model.ClearWastes();
            model.m_figures.clear();
            model.m_sheets.clear();
            model.m_wasteMethod = true;
            model.m_wastSize = size;
            const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
            for (const NRect& p : layout.parts)
                AddPart(sheet, p.pBot.x, p.pBot.y, p.pTop.x, p.pTop.y);
            model.CalculateWastes();
            ASSERT_FALSE(model.m_wastes.empty());
            for (const WastePtr& waste : model.m_wastes) {
                for (const FigurePtr& part : model.m_figures)
                    EXPECT_GE(Clearance(*waste, part->m_rectBorder), kGap - 1e-3) << vlhost::Host::Utf8(part->m_name);
            }
        }
    }
}

// Two parts a hair more than twice the gap apart leave a strip of free area
// between them, closed by a part above: under a millimetre wide it is no
// remnant (its size would be registered as 0); wider, it is one.
TEST_F(WasteBuildersTest, NoRemnantIsUnderAMillimetreAcross)
{
    for (const double strip : {0.39, 0.9, 1.5}) {
        SCOPED_TRACE(strip);
        model.ClearWastes();
        model.m_figures.clear();
        model.m_sheets.clear();
        model.m_wasteMethod = true;
        const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
        const double apart = 2 * kGap + strip;
        AddPart(sheet, 0, 0, 300, 300);
        AddPart(sheet, 300 + apart, 0, 300, 300);
        AddPart(sheet, 0, 310, 600 + apart, 190);
        model.CalculateWastes();
        ASSERT_FALSE(model.m_wastes.empty());
        size_t narrow = 0;
        for (const WastePtr& waste : model.m_wastes) {
            const NRect& r = waste->m_rect;
            EXPECT_GE(std::min(r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y), 1.0) << vlhost::Host::Utf8(waste->m_name);
            narrow += r.pTop.x - r.pBot.x < 2.0 ? 1 : 0;
        }
        EXPECT_EQ(narrow, strip > 1.0 ? 1u : 0u);
    }
}

// The picked point is given in the active view; the remnant is made in the
// view of the sheet under it.
TEST_F(WasteBuildersTest, PointInAnotherViewIsCarriedIntoTheSheetsView)
{
    AddSheet(0, 0, 1000, 500);
    const SheetPtr second = AddSheet(5000, 0, 1000, 500);
    const FigurePtr part = AddPart(second, 100, 100, 200, 200);
    MakeViewCurrent(0);

    const WastePtr waste = model.CreateWaste({5600, 250});
    ASSERT_TRUE(waste);
    EXPECT_EQ(waste->m_owner, second);
    EXPECT_EQ(waste->GetView(), second->GetView());
    EXPECT_TRUE(InArea(*waste, {600, 250}));
    EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
}

// On an L-shaped sheet (1000 x 200 with 400 x 300 above its left end) the
// remnants lie on the sheet, whether the part stands at an edge or in the
// open, and cover the sheet's free area.
TEST_F(WasteBuildersTest, AutomaticRemnantsStayOnANonRectangularSheet)
{
    model.m_wasteMethod = true;
    const NPolygon ell({}, {{0, 0}, {1000, 0}, {1000, 200}, {400, 200}, {400, 500}, {0, 500}});
    const struct {
        NRect at;
        double free;  // the sheet's area less the part's grown by the gap
    } cases[] = {{{{0, 0}, {200, 100}}, 320000 - 210 * 110}, {{{600, 50}, {700, 150}}, 320000 - 120 * 120}};
    for (const auto& [at, free] : cases) {
        AddCurrentView(0, 0, 1.0);
        const SheetPtr sheet = Sheet::Create(
            vrnApi::CreateMacroByPolygon(ell, L"Лист", static_cast<int>(MacroCommand::Sheet)));
        sheet->InitParams();
        model.m_sheets = {sheet};
        const FigurePtr part = AddPart(sheet, at.pBot.x, at.pBot.y, at.pTop.x - at.pBot.x, at.pTop.y - at.pBot.y);
        model.m_figures = {part};

        model.CalculateWastes();
        ASSERT_FALSE(model.m_wastes.empty());
        double area = 0.0;
        for (const WastePtr& waste : model.m_wastes) {
            for (const NPoint& p : waste->m_polygons.front()->m_points)
                EXPECT_TRUE(ell.CheckContainPoint(p, true)) << p.x << " " << p.y;
            EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
            area += std::fabs(SignedArea(waste->m_polygons.front()->m_points));
            for (size_t i = 1; i < waste->m_polygons.size(); ++i)
                area -= std::fabs(SignedArea(waste->m_polygons[i]->m_points));
        }
        EXPECT_NEAR(area, free, 1.0);
        model.ClearWastes();
    }
}

// A part standing free of the sheet's edges leaves a hole in the free area:
// one remnant with that hole, none over the part.
TEST_F(WasteBuildersTest, PartAwayFromTheEdgesLeavesAHoleInTheRemnant)
{
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const FigurePtr part = AddPart(sheet, 400, 100, 300, 200);
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    const WastePtr waste = model.m_wastes.front();
    EXPECT_EQ(waste->m_polygons.size(), 2u);
    EXPECT_FALSE(waste->m_rectform);
    EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
    EXPECT_TRUE(InArea(*waste, {10, 10}));
    EXPECT_FALSE(InArea(*waste, {550, 200}));
}

// A part whose gap polygons are not built yet still keeps the free area off it.
TEST_F(WasteBuildersTest, PartWithoutGapPolygonsIsKeptClearOf)
{
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    const FigurePtr part = RectangleFigure(300, 200);
    part->InitParams();
    part->SetPlacement(0, 100, 0.0, false);
    ASSERT_TRUE(part->m_poligons.empty());
    model.m_figures.push_back(part);
    model.CalculateWastes();
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_TRUE(KeepsOff(*waste, Grown(*part, kGap - 1e-3)));
}

// A part across the sheet leaves a remnant on either side; a stored remnant
// reaching over both is noted twice and deleted once.
TEST_F(WasteBuildersTest, RemnantOverlappingTwoNewOnesIsDeletedOnce)
{
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 400, 0, 200, 500);
    const WastePtr across = AddRectWaste(sheet, 100, 200, 800, 100, false);
    const WastePtr beside = AddRectWaste(sheet, 3000, 0, 100, 100, false);
    model.m_wasteMethod = true;
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 3u);
    EXPECT_EQ(model.m_wastes.front(), beside);
    EXPECT_EQ(std::count(model.m_wastes.begin(), model.m_wastes.end(), across), 0);
    EXPECT_FALSE(InDrawing(*across));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(model.m_wastes[i]->m_number, static_cast<int>(i + 1));
}

// Two parts standing free: one remnant with two holes, read back whole from
// the drawing.
TEST_F(WasteBuildersTest, RemnantWithHolesIsReadBackWhole)
{
    model.m_wasteMethod = true;
    const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
    AddPart(sheet, 100, 100, 200, 200);
    AddPart(sheet, 600, 100, 200, 200);
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    EXPECT_EQ(model.m_wastes.front()->m_polygons.size(), 3u);

    NestingModel reopened;
    reopened.InitSheetsFromActiveDoc();
    reopened.InitWastesFromActiveDoc();
    ASSERT_EQ(reopened.m_wastes.size(), 1u);
    EXPECT_EQ(reopened.m_wastes.front()->m_polygons.size(), 3u);
    EXPECT_TRUE(reopened.m_wastes.front()->m_method);
    EXPECT_EQ(reopened.m_wastes.front()->m_name, model.m_wastes.front()->m_name);
    reopened.ClearWastes();
    reopened.ClearSheets();
}
