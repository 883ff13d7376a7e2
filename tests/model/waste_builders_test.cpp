// Remnants made by the model: at a picked point, from the free area of each
// sheet, by rectangles.
#include "geometry/RingArea.h"
#include "host/WorkingDrawing.h"
#include "readback.h"
#include "support/macro_fixture.h"
#include "support/ring_distance.h"
#include "vlhost/Host.h"
#include "waste_fixture.h"

#include <cstdio>
#include <fstream>

using wastetest::Grown;
using wastetest::InArea;
using wastetest::KeepsOff;
using wastetest::WasteModelTest;

namespace {

class WasteBuildersTest : public WasteModelTest {
protected:
    // An empty model making remnants automatically, for the next case of a table.
    void Restart()
    {
        model.ClearWastes();
        model.m_figures.clear();
        model.m_sheets.clear();
        model.m_wasteMethod = true;
    }
    // A 1000 x 500 sheet at the origin, its remnants made automatically.
    SheetPtr AutomaticSheet()
    {
        model.m_wasteMethod = true;
        return AddSheet(0, 0, 1000, 500);
    }
    static bool KeepsGap(const Waste& waste, const Figure& part) { return KeepsOff(waste, Grown(part, kGap - 1e-3)); }
};

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
    EXPECT_TRUE(KeepsGap(*waste, *part));
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
    // Off the sheet, on the part, or beside it within the gap: the part's own
    // outline encloses the last two, yet the part is no remnant.
    for (const NPoint& p : {NPoint{2000, 250}, NPoint{200, 200}, NPoint{305, 200}})
        EXPECT_FALSE(model.CreateWaste(p)) << p.x << " " << p.y;
    EXPECT_EQ(ObjectsIn(View(sheet->GetView())), before);

    // A part hanging over the sheet's edge has no owner; a point on it, or
    // within its gap, is still no remnant, and one beside it keeps its gap.
    const FigurePtr over = AddPart(sheet, 900, 100, 200, 200);
    over->m_owner.reset();
    const size_t withOver = ObjectsIn(View(sheet->GetView()));
    for (const NPoint& p : {NPoint{950, 200}, NPoint{895, 200}})
        EXPECT_FALSE(model.CreateWaste(p)) << p.x << " " << p.y;
    EXPECT_EQ(ObjectsIn(View(sheet->GetView())), withOver);
    const WastePtr beside = model.CreateWaste({600, 250});
    ASSERT_TRUE(beside);
    EXPECT_TRUE(KeepsGap(*beside, *over));
}

TEST_F(WasteBuildersTest, AutomaticRemnantsFillTheFreeAreaClearOfTheParts)
{
    const SheetPtr sheet = AutomaticSheet();
    const FigurePtr part = AddPart(sheet, 0, 0, 300, 200);
    model.CalculateWastes();

    ASSERT_FALSE(model.m_wastes.empty());
    double area = 0.0;
    for (const WastePtr& waste : model.m_wastes) {
        EXPECT_TRUE(waste->m_method);
        EXPECT_EQ(waste->m_owner, sheet);
        EXPECT_TRUE(KeepsGap(*waste, *part));
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
    const SheetPtr first = AutomaticSheet();
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

// Switched on, automatic remnants replace the stored ones they overlap (one
// over the new ones either side of a part is deleted once; an automatic one
// goes with no part left) and renumber the rest; switched off, nothing changes.
TEST_F(WasteBuildersTest, AutomaticRemnantsReplaceTheStoredOnesTheyOverlap)
{
    struct Rect { double x, y, width, height; };
    const struct {
        const char* what;
        std::vector<Rect> parts;
        Rect gone;  // the stored remnant that goes
        bool goneAutomatic;
        Rect kept;           // the stored remnant that stays
        size_t least, most;  // remnants after
    } cases[] = {
        {"manual, overlapped", {{0, 0, 300, 200}}, {600, 100, 200, 200}, false, {5000, 5000, 100, 100}, 2, SIZE_MAX},
        {"automatic, no part left", {}, {0, 0, 100, 100}, true, {200, 0, 100, 100}, 1, 1},
        {"manual, over two new ones", {{400, 0, 200, 500}}, {100, 200, 800, 100}, false, {3000, 0, 100, 100}, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Restart();
        const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
        for (const Rect& p : c.parts)
            AddPart(sheet, p.x, p.y, p.width, p.height);
        const WastePtr gone = AddRectWaste(sheet, c.gone.x, c.gone.y, c.gone.width, c.gone.height, c.goneAutomatic);
        const WastePtr kept = AddRectWaste(sheet, c.kept.x, c.kept.y, c.kept.width, c.kept.height, false);
        model.UpdateWastesNames();
        ASSERT_EQ(kept->m_number, 2);
        model.m_wasteMethod = false;
        model.CalculateWastes();
        EXPECT_EQ(model.m_wastes.size(), 2u) << "switched off: nothing changes";
        model.m_wasteMethod = true;
        model.CalculateWastes();
        ASSERT_GE(model.m_wastes.size(), c.least);
        ASSERT_LE(model.m_wastes.size(), c.most);
        ASSERT_EQ(model.m_wastes.front(), kept) << "the kept one comes first on its sheet";
        EXPECT_EQ(std::count(model.m_wastes.begin(), model.m_wastes.end(), gone), 0);
        EXPECT_FALSE(InDrawing(*gone));
        for (size_t i = 0; i < model.m_wastes.size(); ++i)
            EXPECT_EQ(model.m_wastes[i]->m_number, static_cast<int>(i + 1));
    }
}

TEST_F(WasteBuildersTest, RectangleRemnantsReplaceEveryRemnant)
{
    model.m_wastRectSize = 50.0;
    const SheetPtr sheet = AutomaticSheet();
    const FigurePtr part = AddPart(sheet, 0, 0, 200, 200);
    const WastePtr old = AddRectWaste(sheet, 600, 100, 200, 200, false);

    model.DecomposeWastesToRectangles();
    ASSERT_EQ(model.m_wastes.size(), 2u);
    EXPECT_EQ(std::count(model.m_wastes.begin(), model.m_wastes.end(), old), 0);
    for (const WastePtr& waste : model.m_wastes) {
        EXPECT_TRUE(waste->m_rectform);
        EXPECT_TRUE(waste->CheckRectangle(50.0));
        EXPECT_TRUE(KeepsGap(*waste, *part));
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
        EXPECT_TRUE(KeepsGap(*waste, *part)) << vlhost::Host::Utf8(waste->m_name);
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
    // The default is no value of the user's: the drawing keeps none, and
    // the other builds keep their own.
    EXPECT_DOUBLE_EQ(model.m_wastRectSize, 0.0);
    EXPECT_DOUBLE_EQ(model.RemnantMinimum(false), 10.0);
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes) {
        EXPECT_EQ(waste->m_owner, second) << "only the sheet that had remnants";
        const NRect& r = waste->m_rect;
        EXPECT_GE(std::min(r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y), 750.0 - 1e-6);
    }
}

// Remnants are built sheet by sheet on the host's progress bar, closed when
// they are done: as rectangles and from the free area alike. An Esc that
// reaches the library meanwhile (here at its second look at the user's
// waiting events) stops the build before its next sheet: only the first
// sheet has remnants, and the bar is closed.
TEST_F(WasteBuildersTest, RemnantsShowTheirProgressSheetBySheetAndEscStopsThem)
{
    for (int k = 0; k < 3; ++k)
        AddPart(AddSheet(5000.0 * k, 0, 1000, 500), 0, 0, 300, 200);
    model.m_wastRectSize = 50.0;
    for (const bool esc : {false, true}) {
        for (const bool rectangles : {true, false}) {
            SCOPED_TRACE(testing::Message() << (rectangles ? "rectangles" : "free area") << (esc ? ", Esc" : ""));
            model.ClearWastes();
            model.m_wasteMethod = true;
            State().progress = {};
            const vrnApi::WorkingDrawing work(doc);
            if (esc)
                State().pendingEvents.push_back([this] { State().pendingEvents.push_back([] { vrnApi::CancelWork(); }); });
            rectangles ? model.DecomposeWastesToRectangles() : model.CalculateWastes();
            EXPECT_EQ(model.m_wastes.size(), (rectangles ? 6u : 3u) / (esc ? 3 : 1));
            for (const WastePtr& waste : model.m_wastes)
                EXPECT_TRUE(!esc || waste->m_owner == model.m_sheets.front());
            EXPECT_GE(State().progress.starts, 1);
            EXPECT_FALSE(State().progress.shown);
            if (!esc) {
                EXPECT_EQ(State().progress.positions, (std::vector<int>{33, 66}));
            }
        }
    }
}

// Each part belongs to the sheet in whose view it lies, whatever owner it had.
TEST_F(WasteBuildersTest, AutomaticRemnantsFollowThePartsViews)
{
    const SheetPtr first = AutomaticSheet();
    const SheetPtr second = AddSheet(5000, 0, 1000, 500);
    const FigurePtr part = AddPart(first, 0, 0, 300, 200);  // drawn in the second sheet's view
    model.CalculateWastes();
    EXPECT_EQ(part->m_owner, second);
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_EQ(waste->m_owner, second);
}

// A strip narrower than the remnant size above a tall part is a ledge of
// the free area: cut off with a positive size, kept with size 0.
TEST_F(WasteBuildersTest, NarrowLedgesAreCutOffByTheRemnantSize)
{
    const SheetPtr sheet = AutomaticSheet();
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

// How far the remnant's area stands from the part's material (its outline
// rings, outer first): 0 when they share any area, else the least distance
// between their rings.
double Clearance(const Waste& waste, const VectorPolygon& part)
{
    for (const NPoint& p : part.front()->m_points) {
        if (InArea(waste, p))
            return 0.0;
    }
    const auto inPart = [&part](const NPoint& p) {
        return ringtest::EvenOddInside(part.front()->m_points, p) &&
               std::none_of(part.begin() + 1, part.end(),
                            [&p](const NPolygonPtr& hole) { return ringtest::EvenOddInside(hole->m_points, p); });
    };
    double least = 1e300;
    for (const NPolygonPtr& ring : waste.m_polygons) {
        for (const NPoint& p : ring->m_points) {
            if (inPart(p))
                return 0.0;
        }
        for (const NPolygonPtr& partRing : part)
            least = std::min(least, ringtest::BoundaryDistance(*ring, *partRing));
    }
    return least;
}

std::vector<NPoint> Box(double width, double height)
{
    return {{0, 0}, {width, 0}, {width, height}, {0, height}};
}

// An L-bracket: legs `a` and `b` long along x and y, `t` wide.
std::vector<NPoint> Ell(double a, double b, double t)
{
    return {{0, 0}, {a, 0}, {a, t}, {t, t}, {t, b}, {0, b}};
}

// Remnants built automatically (simplified by each size given) or as
// rectangles (of each minimum size given) keep the whole part gap from every
// part, whatever the parts' turns: steps between the parts' edges shorter
// than the simplification are flattened, the notches among them too, yet
// only what the free area holds is kept; parts whose gap boxes line up or
// overlap (a turned L-bracket beside a flange), parts standing on no grid
// line of their own (their edges a hair apart) and parts turned by 45°.
TEST_F(WasteBuildersTest, RemnantsKeepTheGapToEveryPart)
{
    struct Part {
        std::vector<NPoint> ring;  // in its own frame
        double angle;              // turned by, degrees
        NPoint at;                 // its gabarit's lower-left corner, turned
    };
    const std::vector<Part> inLine{{Box(596, 242), 0, {866.04312, 1248}},
                                   {Box(365, 365), 0, {1472.04312, 889}},
                                   {Box(421, 283), 0, {1019.97747, 889}},
                                   {Ell(421, 283, 46), 180, {1472.04312, 1042.99457}}};
    const std::vector<Part> turned{{Box(600, 40), 45, {100, 100}}, {Box(300, 300), 45, {700, 200}}};
    // The gap boxes (outlines grown by half the gap) of a shop's job turned
    // by 90° on 2500 x 1500: round flanges' boxes overlap, L-brackets' boxes
    // reach over their neighbours', sides lie on one line.
    const std::vector<NRect> shop{
        {{4.9999999999999858, 4.9999999999999432}, {540.74977835799768, 539.50082687150052}},
        {{5, 539.50079303172242}, {540.74977835799768, 1074.0016199032229}},
        {{327.43817574272629, 960.49917312849959}, {863.18795410072391, 1495.0000000000002}},
        {{467.75478329546758, 273.71787240477141}, {1003.5045616534652, 808.21869927627199}},
        {{537.36603941049157, 5}, {1143.3660394104916, 257}},
        {{783.97746983511206, 800.81291717330168}, {1389.9774698351121, 1052.8129171733017}},
        {{861.04312006926466, 1243}, {1467.0431200692647, 1495}}, {{998.9772917439318, 257}, {1604.9772917439318, 509}},
        {{1389.9774698351121, 509}, {1764.9774698351121, 884}}, {{1467.0431200692647, 884}, {1842.0431200692647, 1259}},
        {{1604.9772917439318, 5}, {1979.9772917439318, 380}}, {{1764.9774698351121, 380}, {2139.9774698351121, 755}},
        {{1014.9774698351121, 884}, {1445.9774698351121, 1177}},
        {{1467.0431200692647, 1037.9945699999998}, {1898.0431200692647, 1330.9945699999998}},
        {{1523.0431200692647, 1109.9891399999997}, {1954.0431200692647, 1402.9891399999997}},
        {{1579.0431200692647, 1181.9837099999995}, {2010.0431200692647, 1474.9837099999995}},
        {{1764.9774698351121, 533.99456999999984}, {2195.9774698351121, 826.99456999999984}},
        {{1834.5447162937749, 591}, {2265.5447162937749, 884}},
        {{1890.5447162937749, 662.99456999999984}, {2321.5447162937749, 955.99456999999984}},
        {{1946.5447162937749, 734.98913999999968}, {2377.5447162937749, 1027.9891399999997}},
        {{1979.9772917439318, 5}, {2410.9772917439318, 298}}, {{5, 1067.8337131070648}, {228, 1234.8337131070648}},
        {{5, 1234.8337131070648}, {228, 1401.8337131070648}},
        {{540.31737504245314, 793.49917312849948}, {763.31737504245314, 960.49917312849948}},
        {{589.36603941049157, 62.99456999999984}, {757.36603941049157, 174.99456999999984}}};
    const struct {
        const char* what;
        double width, height, gap;
        std::vector<Part> parts;
        bool rectangles;
        std::vector<double> sizes;  // simplification, or the rectangles' minimum size
        std::vector<NRect> boxes{};  // parts given by their gap boxes alone
    } layouts[] = {
        // Beside the upper part the step is lifted to the sheet's top, into its gap.
        {"the upper part 3 wider", 1000, 500, 10, {{Box(300, 300), 0, {0, 0}}, {Box(303, 180), 0, {0, 310}}}, false,
         {5, 10}},
        // Above the right part the step is moved to the sheet's edge, into its gap.
        {"the right part 3 higher", 1000, 500, 10, {{Box(700, 200), 0, {0, 0}}, {Box(290, 203), 0, {710, 0}}}, false,
         {5, 10}},
        {"the right part 2.2 lower", 1000, 500, 10, {{Box(700, 200), 0, {0, 0}}, {Box(290, 197.8), 0, {710, 0}}},
         false, {5, 10}},
        // A frame along the top edge, a flange and a plate below it, and an
        // L-bracket turned 180° whose box reaches over the flange's: the
        // left sides of three boxes on one line.
        {"an L-bracket turned 180° in line with a flange", 2500, 1500, 10, inLine, false, {0, 20}},
        {"the same as rectangles", 2500, 1500, 10, inLine, true, {50, 200}},
        // The grid line at the first part's top stands for the second's too.
        {"a part's top 0.013 above another's", 1000, 600, 10,
         {{Box(200, 155.987), 0, {400, 200}}, {Box(200, 256), 0, {100, 100}}}, true, {50}},
        {"the gap boxes of a shop's job", 2500, 1500, 10, {}, false, {0, 20}, shop},
        {"parts turned 45°", 1500, 1000, 6, turned, false, {0}},
        {"parts turned 45° as rectangles", 1500, 1000, 6, turned, true, {20}},
    };
    for (const auto& layout : layouts) {
        for (const double size : layout.sizes) {
            SCOPED_TRACE(std::string(layout.what) + ", size " + std::to_string(size));
            Restart();
            model.m_figureGap = layout.gap;
            model.m_sheetGap = layout.gap;
            model.m_wastSize = layout.rectangles ? 0.0 : size;
            model.m_wastRectSize = size;
            const SheetPtr sheet = AddSheet(0, 0, layout.width, layout.height);
            for (const Part& p : layout.parts)
                AddOutline(sheet, p.ring, p.angle, p.at, layout.gap);
            for (const NRect& box : layout.boxes) {
                const double h = layout.gap / 2;
                const NRect border{{box.pBot.x + h, box.pBot.y + h}, {box.pTop.x - h, box.pTop.y - h}};
                const FigurePtr part = MakeFigure(border, 0.0, 0.0);
                part->m_borders = {std::make_shared<NPolygon>(
                    NPoint{}, std::vector<NPoint>{border.pBot, {border.pTop.x, border.pBot.y}, border.pTop,
                                                  {border.pBot.x, border.pTop.y}})};
                part->m_owner = sheet;
                model.m_figures.push_back(part);
            }
            if (layout.rectangles)
                model.DecomposeWastesToRectangles();
            else
                model.CalculateWastes();
            ASSERT_FALSE(model.m_wastes.empty());
            for (const WastePtr& waste : model.m_wastes) {
                for (const FigurePtr& part : model.m_figures)
                    EXPECT_GE(Clearance(*waste, part->m_borders), layout.gap - 1e-3)
                        << vlhost::Host::Utf8(waste->m_name);
            }
        }
    }
}

// A strip of free area between two parts (closed by a part above), or an
// arm of it above a tall part, narrower than the minimum size is no remnant
// and no part of one; one as wide as the minimum is. The minimum is 10 mm
// while none is given, and never under 1 mm (a size registered as 0).
TEST_F(WasteBuildersTest, NoRemnantIsNarrowerThanTheMinimumSize)
{
    const struct { double minimum, width; bool kept; } cases[] = {
        {0, 1.5, false}, {0, 9.9, false}, {0, 10, true}, {0, 12, true},
        {5, 4.9, false}, {5, 6, true},    {0.5, 0.9, false}, {0.5, 1.5, true}};
    for (const auto& c : cases) {
        for (const bool arm : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.minimum << " " << c.width << (arm ? " arm" : " strip"));
            Restart();
            model.m_wastRectSize = c.minimum;
            const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
            if (arm) {
                AddPart(sheet, 0, 0, 600, 500 - kGap - c.width);
            } else {
                const double apart = 2 * kGap + c.width;
                AddPart(sheet, 0, 0, 300, 300);
                AddPart(sheet, 300 + apart, 0, 300, 300);
                AddPart(sheet, 0, 310, 600 + apart, 190);
            }
            model.CalculateWastes();
            ASSERT_FALSE(model.m_wastes.empty());
            const double least = std::max(c.minimum > 0 ? c.minimum : 10.0, 1.0);
            bool narrow = false;
            for (const WastePtr& waste : model.m_wastes) {
                const NRect& r = waste->m_rect;
                EXPECT_GE(std::min(r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y), least - 1e-3)
                    << vlhost::Host::Utf8(waste->m_name);
                narrow = narrow || (arm ? r.pBot.x < 600 : r.pTop.x < 600);
            }
            EXPECT_EQ(narrow, c.kept);
        }
    }
}

// A strip between two parts narrower than the minimum size by a hair, as
// the placement may leave them (9.99999 mm where the minimum is 10), is no
// remnant on any route: from the free area, as rectangles or by hand; one
// short of it by the rounding of doubles is the minimum, and is one (by
// hand, the host's contour joins points nearer than 0.0001 mm: it may draw
// the strip exactly as wide). Each remnant built is stock the export and the
// registers take; one stored earlier a hair under is left out of them, and named.
TEST_F(WasteBuildersTest, AStripAHairUnderTheMinimumIsNoRemnantOnAnyRoute)
{
    enum Route { kFreeArea, kRectangles, kByHand, kStored };
    const char* const routes[] = {"from the free area", "as rectangles", "by hand", "stored earlier"};
    const struct { double width; bool kept, byHand; } strips[] = {
        {10 - 1.3e-5, false, false}, {10 - 2e-6, false, true}, {10 - 1e-9, true, true}, {10, true, true},
        {10 + 1.3e-5, true, true}};
    for (const Route route : {kFreeArea, kRectangles, kByHand, kStored}) {
        for (const auto& strip : strips) {
            SCOPED_TRACE(testing::Message() << routes[route] << ", a strip " << strip.width - 10 << " mm off 10");
            Restart();
            model.m_wastRectSize = 10.0;
            const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
            // The strip between two parts, closed above by a third.
            const double right = 300 + 2 * kGap + strip.width;
            AddPart(sheet, 0, 0, 300, 300);
            AddPart(sheet, right, 0, 300, 300);
            AddPart(sheet, 0, 310, right + 300, 190);
            const NPoint middle{300 + kGap + 0.5 * strip.width, 150};
            switch (route) {
            case kFreeArea: model.CalculateWastes(); break;
            case kRectangles: model.DecomposeWastesToRectangles(); break;
            case kByHand:
                if (const WastePtr waste = model.CreateWaste(middle))
                    model.AddWaste(waste);
                break;
            case kStored: AddRectWaste(sheet, 300 + kGap, 0, strip.width, 300 - kGap, false); break;
            }
            const auto holding = [&](const std::vector<WastePtr>& wastes) {
                return std::count_if(wastes.begin(), wastes.end(), [&](const WastePtr& w) { return InArea(*w, middle); });
            };
            const bool kept = route == kByHand ? strip.byHand : strip.kept;
            std::wstring covered;
            std::vector<std::wstring> narrow;
            const std::vector<WastePtr> stock = model.FreeWastes(covered, &narrow);
            EXPECT_EQ(holding(stock), kept ? 1 : 0);
            if (route != kStored) {
                EXPECT_EQ(holding(model.m_wastes), kept ? 1 : 0);
                EXPECT_EQ(stock.size(), model.m_wastes.size()) << "every remnant built is stock";
            } else {
                EXPECT_EQ(narrow.size(), kept ? 0u : 1u);
            }
            for (const WastePtr& waste : stock) {
                const NRect& r = waste->m_rect;
                EXPECT_GT(std::min(r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y), 10 - 1e-6) << vlhost::Host::Utf8(waste->m_name);
            }
        }
    }
}

// A strip of free area that two parts bound on one side, out of line by a
// hair as the placement leaves them, is one rectangle with its size: a step
// under a millimetre is not drawn, and the strip keeps the gap to both
// parts; one of 1.5 mm is drawn. The strip upright and lying alike.
TEST_F(WasteBuildersTest, AStepUnderAMillimetreIsNotDrawn)
{
    const struct { double step; bool rectangle; } cases[] = {
        {0.02, true}, {0.19, true}, {0.9, true}, {-0.3, true}, {1.5, false}};
    for (const auto& c : cases) {
        for (const bool lying : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.step << (lying ? " lying" : " upright"));
            Restart();
            const auto at = [lying](double x, double y) { return lying ? NPoint{y, x} : NPoint{x, y}; };
            const NPoint size = at(1000, 500);
            const SheetPtr sheet = AddSheet(0, 0, size.x, size.y);
            const auto part = [&](double x, double y, double width, double height) {
                const NPoint p = at(x, y), extent = at(width, height);
                AddPart(sheet, p.x, p.y, extent.x, extent.y);
            };
            // A part the sheet's height, a strip of 25 mm and the gap on either
            // side, then one part below and one above, the upper one moved by the step.
            part(0, 0, 300, 500);
            part(345, 0, 655, 300);
            part(345 + c.step, 310, 655 - c.step, 190);
            model.CalculateWastes();
            const auto strip = std::find_if(model.m_wastes.begin(), model.m_wastes.end(),
                                            [&](const WastePtr& w) { return InArea(*w, at(322.5, 250)); });
            ASSERT_NE(strip, model.m_wastes.end());
            const Waste& waste = **strip;
            EXPECT_EQ(waste.m_rectform, c.rectangle) << waste.m_polygons.front()->m_points.size() << " vertices";
            if (c.rectangle) {  // its longer side first
                EXPECT_NEAR(waste.m_width, 500, 1e-6);
                EXPECT_NEAR(waste.m_height, 25 + std::min(c.step, 0.0), 1e-6);
            }
            for (const FigurePtr& p : model.m_figures)
                EXPECT_TRUE(KeepsGap(waste, *p));
        }
    }
}

// The remnants' area, m².
double AreaOf(const std::vector<WastePtr>& wastes)
{
    double area = 0.0;
    for (const WastePtr& waste : wastes)
        for (size_t k = 0; k < waste->m_polygons.size(); ++k)
            area += (k == 0 ? 1.0 : -1.0) * std::fabs(SignedArea(waste->m_polygons[k]->m_points));
    return area * 1e-6;
}

// Remnants from the free area keep to the parts' bounding boxes: an L
// part's notch, a right triangle's free half and a disc's corners are not
// offered; a remnant built by hand at a point there follows the part's
// outline, and rectangles reach into the L's notch. The areas are the ones
// the document of the system's limits gives, row by row.
TEST_F(WasteBuildersTest, AutomaticRemnantsKeepToThePartsBoxes)
{
    std::vector<NPoint> disc;
    for (int k = 0; k < 720; ++k)
        disc.push_back({700 + 700 * std::cos(k * M_PI / 360), 700 + 700 * std::sin(k * M_PI / 360)});
    const struct {
        const char* row;  // the first cell of the document's row
        std::vector<NPoint> ring;
        NPoint free;      // a point the part's box holds and the part leaves free
    } shapes[] = {
        {"an L 2000 × 1400, legs 300 wide", {{0, 0}, {2000, 0}, {2000, 300}, {300, 300}, {300, 1400}, {0, 1400}},
         {1000, 900}},
        {"a right triangle, legs 2000 and 1400", {{0, 0}, {2000, 0}, {0, 1400}}, {1500, 1200}},
        {"a disc Ø 1400", disc, {60, 1360}},
    };
    std::ifstream file(std::filesystem::path(NESTING_SOURCE_DIR) / "docs" / "limits.md");
    std::stringstream limits;
    limits << file.rdbuf();
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.row);
        Restart();
        model.m_sheetGap = kGap;
        NestingModel::m_widthSheet = 3000;  // rectangles of half its shorter side at least
        NestingModel::m_heightSheet = 1500;
        const SheetPtr sheet = AddSheet(0, 0, 3000, 1500);
        AddOutline(sheet, shape.ring, 0, {kGap, kGap}, kGap);
        model.CalculateWastes();
        const double automatic = AreaOf(model.m_wastes);
        for (const WastePtr& waste : model.m_wastes)
            EXPECT_FALSE(InArea(*waste, shape.free));
        model.DecomposeWastesToRectangles();
        const double rectangles = AreaOf(model.m_wastes);
        model.ClearWastes();
        const WastePtr byHand = model.CreateWaste(shape.free);
        ASSERT_TRUE(byHand);
        const double hand = AreaOf({byHand});
        EXPECT_GT(hand, automatic);
        char cells[128];
        std::snprintf(cells, sizeof cells, " | %.2f m² | %.2f m² | %.2f m² |", automatic, rectangles, hand);
        EXPECT_NE(limits.str().find(std::string("| ") + shape.row + cells), std::string::npos) << cells;
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
    EXPECT_TRUE(KeepsGap(*waste, *part));
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
            EXPECT_TRUE(KeepsGap(*waste, *part));
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
    const SheetPtr sheet = AutomaticSheet();
    const FigurePtr part = AddPart(sheet, 400, 100, 300, 200);
    model.CalculateWastes();
    ASSERT_EQ(model.m_wastes.size(), 1u);
    const WastePtr waste = model.m_wastes.front();
    EXPECT_EQ(waste->m_polygons.size(), 2u);
    EXPECT_FALSE(waste->m_rectform);
    EXPECT_TRUE(KeepsGap(*waste, *part));
    EXPECT_TRUE(InArea(*waste, {10, 10}));
    EXPECT_FALSE(InArea(*waste, {550, 200}));
}

// A part whose gap polygons are not built yet still keeps the free area off it.
TEST_F(WasteBuildersTest, PartWithoutGapPolygonsIsKeptClearOf)
{
    const SheetPtr sheet = AutomaticSheet();
    const FigurePtr part = RectangleFigure(300, 200);
    part->InitParams();
    part->SetPlacement(0, 100, 0.0, false);
    ASSERT_TRUE(part->m_poligons.empty());
    model.m_figures.push_back(part);
    model.CalculateWastes();
    ASSERT_FALSE(model.m_wastes.empty());
    for (const WastePtr& waste : model.m_wastes)
        EXPECT_TRUE(KeepsGap(*waste, *part)) << vlhost::Host::Utf8(waste->m_name);
}

// Two parts standing free: one remnant with two holes, read back whole from
// the drawing.
TEST_F(WasteBuildersTest, RemnantWithHolesIsReadBackWhole)
{
    const SheetPtr sheet = AutomaticSheet();
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

// With no gap between parts, round parts that touch one another (flanges
// touching at a slant, around a pocket of free area, a plate touching one's
// side) leave their material to no remnant, made at a point (beside them, in
// the pocket, in a flange's hole), automatically or
// as rectangles; a remnant running along a part is stock (exported and
// registered), one laid over a part is not.
TEST_F(WasteBuildersTest, RoundPartsTouchingWithNoGapKeepTheirMaterial)
{
    const double r = 100, bore = 40;
    const NPoint c1{150.123, 160.77};
    const NPoint c2{c1.x + 2 * r * std::cos(M_PI / 3), c1.y + 2 * r * std::sin(M_PI / 3)};
    const NPoint c3{c1.x + 2 * r, c1.y};
    const std::vector<NPoint> centres{c1, c2, c3};
    // Points of the parts' material: rings of each flange, the plate's middle.
    std::vector<NPoint> material{{30, 160.77}, {45, 130}};
    for (const NPoint& c : centres) {
        for (const double at : {bore + 0.05, (r + bore) / 2, r - 0.05}) {
            for (int k = 0; k < 72; ++k)
                material.push_back({c.x + at * std::cos(k * M_PI / 36), c.y + at * std::sin(k * M_PI / 36)});
        }
    }
    const struct {
        const char* what;
        std::vector<NPoint> points;  // made at these points; none: automatically
        bool rectangles;
    } modes[] = {
        {"at points", {{900, 450}, {(c1.x + c2.x + c3.x) / 3, (c1.y + c2.y + c3.y) / 3}, c1}, false},
        {"automatically", {}, false},
        {"as rectangles", {}, true},
    };
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.what);
        Restart();
        model.m_figureGap = 0.0;
        model.m_sheetGap = 0.0;
        model.m_wastRectSize = 50;
        const SheetPtr sheet = AddSheet(0, 0, 1000, 500);
        const auto add = [&](std::vector<vlapi::IDrawingObjectPtr> objects) {
            FigurePtr part = Figure::Create(macrotest::MakeMacro(Container(), objects, L"Part"));
            part->InitParams();
            part->InitPolygons(0.0, 0.0, nullptr);
            part->m_owner = sheet;
            model.m_figures.push_back(part);
        };
        for (const NPoint& c : centres)
            add({macrotest::AddCircle(Container(), c, r), macrotest::AddCircle(Container(), c, bore)});
        add(macrotest::AddRing(Container(), {{10, 100}, {c1.x - r, 100}, {c1.x - r, 180}, {10, 180}}));
        for (const NPoint& p : mode.points) {
            std::wstring why;
            const WastePtr waste = model.CreateWaste(p, &why);
            ASSERT_TRUE(waste) << p.x << " " << p.y << ": " << vlhost::Host::Utf8(why);
            model.AddWaste(waste);
        }
        if (mode.rectangles)
            model.DecomposeWastesToRectangles();
        else if (mode.points.empty())
            model.CalculateWastes();
        ASSERT_FALSE(model.m_wastes.empty());
        for (const WastePtr& waste : model.m_wastes) {
            for (const NPoint& p : material)
                ASSERT_FALSE(InArea(*waste, p)) << vlhost::Host::Utf8(waste->m_name) << " holds " << p.x << " " << p.y;
        }
        std::wstring covered;
        EXPECT_EQ(model.FreeWastes(covered).size(), model.m_wastes.size()) << vlhost::Host::Utf8(covered);
    }
    const WastePtr over = AddRectWaste(model.m_sheets.front(), 240, 100, 100, 100, false);
    std::wstring covered;
    model.FreeWastes(covered);
    EXPECT_NE(covered.find(over->m_name), std::wstring::npos);
}
