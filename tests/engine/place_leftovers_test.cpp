// The parts a placement run leaves in the container: they go there wherever
// they stood, the closing message names them with their counts and why, and
// a sheet's results count only what lies on it. And gap polygons of an
// earlier drawing's records, made without the borders' sag, made again.
#include "place_fixture.h"
#include "support/macro_fixture.h"

#include <map>

namespace placetest {
namespace {

constexpr wchar_t kHeading[] = L"Не размещены на листах и остались в контейнере:\n";

struct LeftCase {
    const char* name;
    std::vector<NPoint> part;  // besides a small part that always finds room
    int copies;
    double thickness;          // of the part; the sheet's is 2 mm
    RotationType rotation;
    bool autoAddSheet;
    std::wstring lines;        // of the message, after its heading
    double sheetGap = 8.0;     // the figure gap is 10 mm
    std::wstring material = L"";  // of the part; the sheet's is Ст3
    int32_t fileUnits = 0;        // of the DXF file it came from ($INSUNITS), where they scaled it
};

const LeftCase kLeft[] = {
    {"larger than every sheet", Rectangle(0, 0, 400, 20), 1, 2.0, RotationType::Rotation90, true,
     L"Part — 1 шт.: больше любого листа: деталь 400 × 20 мм, лист 300 × 200 мм"},
    {"fits only turned", Rectangle(0, 0, 50, 250), 1, 2.0, RotationType::WithoutRotation, true,
     L"Part — 1 шт.: помещается на лист только с поворотом на 90°"},
    {"no room left", Rectangle(0, 0, 200, 150), 2, 2.0, RotationType::WithoutRotation, false,
     L"Part — 1 шт.: не хватило места на листах"},
    {"other thickness", Rectangle(0, 0, 60, 30), 2, 3.0, RotationType::WithoutRotation, true,
     L"Part — 2 шт.: толщина или материал не совпадают с листом: деталь 3 мм, без материала, лист 2 мм, «Ст3»"},
    {"other material", Rectangle(0, 0, 60, 30), 2, 2.0, RotationType::WithoutRotation, true,
     L"Part — 2 шт.: толщина или материал не совпадают с листом: деталь 2 мм, «Cт3», лист 2 мм, «Ст3» — материалы "
     L"различаются только латинскими и русскими буквами одного вида: в слове «Cт3» латинские буквы C, русские т",
     8.0, L"Cт3"},
    // The edge gap as set, however much smaller than half the figure gap.
    {"larger with the gaps", Rectangle(0, 0, 299, 20), 1, 2.0, RotationType::Rotation90, true,
     L"Part — 1 шт.: больше любого листа: деталь 299 × 20 мм с зазорами не помещается на лист 300 × 200 мм", 1.0},
    // The units that scaled its drawing named where it is refused for its size.
    {"larger, drawn in metres", Rectangle(0, 0, 400, 20), 1, 2.0, RotationType::Rotation90, true,
     L"Part — 1 шт.: больше любого листа: деталь 400 × 20 мм, лист 300 × 200 мм; единицы файла ($INSUNITS) — метры: "
     L"размеры умножены на 1000", 8.0, L"", 6},
    {"fits only turned, drawn in inches", Rectangle(0, 0, 50, 250), 1, 2.0, RotationType::WithoutRotation, true,
     L"Part — 1 шт.: помещается на лист только с поворотом на 90°; единицы файла ($INSUNITS) — дюймы: размеры умножены "
     L"на 25.4", 8.0, L"", 1},
};

TEST_F(PlaceTest, PartsLeftInTheContainerAreNamedWithWhy)
{
    for (const LeftCase& c : kLeft) {
        SCOPED_TRACE(c.name);
        Model().m_figures.clear();
        Model().m_sheets.clear();
        Model().m_thicknessSheet = 2.0;
        NestingModel::m_materialSheet = L"Ст3";
        const SheetPtr sheet = AddSheet(300.0, 200.0);
        const FigurePtr small = AddFigure(Rectangle(0, 0, 20, 20));
        small->SetThickness(2.0);
        std::vector<FigurePtr> parts;
        for (int k = 0; k < c.copies; ++k) {
            parts.push_back(AddFigure(c.part));
            parts.back()->SetThickness(c.thickness);
            parts.back()->SetMaterial(c.material);
            parts.back()->m_fileUnits = c.fileUnits;
        }
        // A part that fits stands on the sheet from an earlier run.
        parts.front()->ChangeView(sheet->GetView(), false);
        parts.front()->SetPlacement(sheet->m_rect.pTop.x - 100.0, sheet->m_rect.pTop.y - 60.0, 0.0, false);
        const bool stood = sheet->CheckContainFigure(parts.front());

        PlaceAll(c.rotation, c.autoAddSheet, c.sheetGap);

        EXPECT_TRUE(sheet->CheckContainFigure(small));
        EXPECT_EQ(optimizer.LeftInContainerText(), kHeading + c.lines);
        const size_t left = std::count_if(parts.begin(), parts.end(), [&](const FigurePtr& f) {
            return std::none_of(Model().m_sheets.begin(), Model().m_sheets.end(),
                                [&](const SheetPtr& s) { return s->CheckContainFigure(f); });
        });
        EXPECT_EQ(left, c.lines.find(L"— 2") == std::wstring::npos ? 1u : 2u);
        // The part of another thickness or material that stood on the sheet is taken off it.
        EXPECT_EQ(stood && sheet->CheckContainFigure(parts.front()), false);
        EXPECT_EQ(stood, c.thickness != 2.0 || !c.material.empty());
    }
    NestingModel::m_materialSheet.clear();
}

// Equal right triangles joined in pairs, as a run joins them: a pair that
// fits no sheet (nor a sheet the run adds) is placed side by side, the second
// slid along the first one's long side, where it so fits a sheet, else as its
// two triangles each where it fits, and said to be; a pair that fits stays
// joined, as does one of triangles larger than every sheet, refused with a
// triangle's size. Mirror images are joined when the model unites them. Their
// true outlines keep the gaps.
struct PairCase {
    const char* name;
    double a, b;                      // the legs of each triangle
    double width, height, gap, edge;  // the sheet's size, the gaps
    int count;
    bool autoAddSheet;
    size_t placed, compounds;  // parts on sheets, pairs still joined
    int together, apart;       // parts the closing message names placed together, one by one
    std::wstring lines;        // of the closing message, after its heading; empty: none
    bool mirrored = false;     // every second triangle drawn mirrored
};

const PairCase kPairs[] = {
    {"pair wider than the sheet", 2975, 1475, 3000, 1500, 10, 10, 2, true, 2, 0, 0, 2, L""},
    {"square pair", 1225, 1225, 1250, 1250, 10, 10, 2, true, 2, 0, 0, 2, L""},
    {"small gaps", 590, 590, 600, 600, 5, 5, 2, true, 2, 0, 0, 2, L""},
    {"three triangles", 2975, 1475, 3000, 1500, 10, 10, 3, true, 3, 0, 0, 2, L""},
    {"one sheet only", 2975, 1475, 3000, 1500, 10, 10, 2, false, 1, 0, 0, 2, L"T — 1 шт.: не хватило места на листах"},
    {"pair that fits", 1000, 500, 3000, 1500, 10, 10, 2, true, 2, 1, 0, 0, L""},
    {"triangle larger than the sheet", 3100, 1475, 3000, 1500, 10, 10, 2, true, 0, 1, 0, 0,
     L"T — 2 шт.: больше любого листа: деталь 3100 × 1475 мм, лист 3000 × 1500 мм"},
    {"side by side", 2960, 1470, 3000, 1500, 10, 12, 2, true, 2, 1, 2, 0, L""},
    {"side by side, much room along", 2000, 1470, 3000, 1500, 10, 12, 4, true, 4, 2, 4, 0, L""},
    {"mirror images side by side", 2960, 1470, 3000, 1500, 10, 12, 2, true, 2, 1, 2, 0, L"", true},
    // The second pair finds no sheet side by side: split, its triangles find none either.
    {"side by side, one sheet only", 2960, 1470, 3000, 1500, 10, 12, 4, false, 2, 1, 2, 2,
     L"T — 2 шт.: не хватило места на листах"},
};

const std::wstring kTogether = L"Пары треугольных деталей, которые, сложенные в прямоугольник, не помещаются ни на "
                               L"один лист, размещены вместе со сдвигом вдоль длинной стороны:\nT — ";
const std::wstring kApart =
    L"Пары треугольных деталей, которые вместе не помещаются ни на один лист, размещаются по одной:\nT — ";

class TrianglesTest : public PlaceTest {
protected:
    // The case's triangles, read with no gap polygons yet (the run makes and joins them), drawn turned by
    // `hand` (and mirrored) and placed with the turns `rotation`, checked; each sheet's where their views show them.
    std::map<const Sheet*, std::vector<NPolygon>> PlaceAndCheck(const PairCase& c, int hand = 0, bool mirror = false,
                                                                RotationType rotation = RotationType::Rotation90)
    {
        Model().m_figures.clear();
        Model().m_sheets.clear();
        Model().m_figureGap = c.gap;
        Model().m_sheetGap = c.edge;
        Model().m_uniteMirrors = c.mirrored;
        AddSheet(c.width, c.height);
        Messages().clear();
        std::vector<std::vector<NPoint>> drawn;
        for (int k = 0; k < c.count; ++k) {
            drawn.push_back({{0, 0}, {mirror != (c.mirrored && k % 2) ? -c.a : c.a, 0}, {0, c.b}});
            for (NPoint& p : drawn.back())
                p.Rotate(NPoint{}, hand * DR);
            if (mirror)
                std::reverse(drawn.back().begin(), drawn.back().end());
            Model().m_figures.push_back(MakeFigure(drawn.back(), L"T"));
        }
        optimizer.Init(Model().m_figures, Model().m_sheets);
        optimizer.SetGaps(c.gap, c.edge);
        optimizer.RunOptimization(OptimizationParams{1, rotation, c.autoAddSheet});
        Model().m_uniteMirrors = false;

        size_t placed = 0, compounds = 0;
        std::map<const Sheet*, std::vector<NPolygon>> onSheet;
        for (const FigurePtr& figure : Model().m_figures) {
            const auto* pair = dynamic_cast<const CompoundFigure*>(figure.get());
            compounds += pair != nullptr;
            if (!figure->m_owner)
                continue;
            placed += pair ? pair->m_figures.size() : 1;
            // Its gap polygon keeps the edge gap less the half figure gap it holds.
            const NRect &rc = figure->m_poligons.front()->GetGabarit(), &s = figure->m_owner->m_rect;
            EXPECT_GE(std::min({rc.pBot.x - s.pBot.x, rc.pBot.y - s.pBot.y, s.pTop.x - rc.pTop.x, s.pTop.y - rc.pTop.y}),
                      c.edge - 0.5 * c.gap - 1e-3);
            for (const FigurePtr& part : c.mirrored ? VectorFigure{} : PartsOf(figure)) {  // all drawn alike
                std::vector<NPoint> shown;  // where its view shows it
                for (const NPoint& p : drawn.front())
                    shown.push_back(InView(macrotest::HostMacro(part->m_macro), p));
                onSheet[figure->m_owner.get()].emplace_back(NPoint{}, shown);
            }
        }
        EXPECT_EQ(placed, c.placed);
        EXPECT_EQ(compounds, c.compounds);
        EXPECT_EQ(optimizer.LeftInContainerText(), c.lines.empty() ? L"" : kHeading + c.lines);
        for (const auto& [sheet, parts] : onSheet) {
            const NRect& s = sheet->m_rect;
            for (size_t i = 0; i < parts.size(); ++i) {
                for (const NPoint& p : parts[i].m_points)
                    EXPECT_GE(std::min({p.x - s.pBot.x, p.y - s.pBot.y, s.pTop.x - p.x, s.pTop.y - p.y}), c.edge - 1e-3);
                for (size_t j = 0; j < parts.size(); ++j) {
                    EXPECT_TRUE(i == j || ringtest::BoundaryDistance(parts[i], parts[j]) >= c.gap - 1e-3);
                    EXPECT_FALSE(i != j && ringtest::EvenOddInside(parts[i].m_points, parts[j].m_points.front()));
                }
            }
        }
        // Pairs placed together, and one by one, are said to be; none is said when there are none.
        const std::wstring said = (c.together ? kTogether + std::to_wstring(c.together) + L" шт." : L"") +
                                  (c.together && c.apart ? L"\n\n" : L"") +
                                  (c.apart ? kApart + std::to_wstring(c.apart) + L" шт." : L"");
        const std::wstring last = Messages().empty() ? L"" : Messages().back().text;
        EXPECT_TRUE(said.empty() ? last.find(L"Пары треугольных") == std::wstring::npos : last.ends_with(said))
            << vlhost::Host::Utf8(last);
        return onSheet;
    }

    // Pairs too large to join on the sheet, not to lie on it side by side, take a sheet per pair in whatever
    // hand the part is drawn (its right angle at any corner, lying or upright, mirrored), at every turn.
    void PlaceInEveryHand(const PairCase& c)
    {
        for (const bool mirror : {false, true})
            for (const int hand : {0, 90, 180, 270})
                for (const RotationType rotation :
                     {RotationType::WithoutRotation, RotationType::Rotation180, RotationType::Rotation90})
                    for (const int count : {2, 4}) {
                        SCOPED_TRACE(std::string(c.name) + (mirror ? " mirrored" : "") + " drawn at " +
                                     std::to_string(hand) + ", turns " + std::to_string(static_cast<int>(rotation)) +
                                     ", " + std::to_string(count) + " pieces");
                        PairCase pairs = c;
                        pairs.count = pairs.together = count;
                        pairs.placed = count, pairs.compounds = count / 2;
                        for (const auto& [sheet, parts] : PlaceAndCheck(pairs, hand, mirror, rotation))
                            EXPECT_EQ(parts.size(), 2u);
                        EXPECT_EQ(Model().m_sheets.size(), static_cast<size_t>(count / 2));
                    }
    }
};

TEST_F(TrianglesTest, JoinedTrianglesThatFitNoSheetArePlacedSideBySideOrOneByOne)
{
    for (const PairCase& c : kPairs) {
        SCOPED_TRACE(c.name);
        PlaceAndCheck(c);
    }
}

// The shop's pair; the same a tenth the size, and a longer, narrower one
// (left out of the sanitizer's run: each places the pairs 48 times).
TEST_F(TrianglesTest, TrianglesSideBySideTakeAsManySheetsInEveryHand)
{
    PlaceInEveryHand({"the shop's pair", 2960, 1470, 3000, 1500, 10, 12, 2, true, 2, 1, 2, 0, L""});
}

TEST_F(TrianglesTest, TrianglesOfOtherSizesSideBySideSlow)
{
    PlaceInEveryHand({"a tenth of it", 296, 147, 300, 150, 1, 1.2, 2, true, 2, 1, 2, 0, L""});
    PlaceInEveryHand({"long and narrow", 2900, 800, 3000, 820, 10, 6, 2, true, 2, 1, 2, 0, L""});
}

// Parts placed on sheets of a thickness or material they have none of their
// own of are named in the run's closing message, each part of a joined pair
// counted; a message of information alone, or after the parts left out.
struct StockCase {
    const char* name;
    double sheetThickness;
    const wchar_t* sheetMaterial;
    double thickness;         // of the parts
    const wchar_t* material;  // of the parts
    bool pair;                // two triangles joined, or a rectangle
    std::wstring text;        // the closing message; empty: none
    bool leftOne = false;     // besides, a part of 3 mm left in the container
};

const std::wstring kWithout = L"Детали без своей толщины или материала размещены на листах и в ведомостях "
                              L"записываются с толщиной и материалом листа (2 мм, «Ст3»):\n";
const std::wstring kWithoutMaterial = L"Детали без своего материала размещены на листах и в ведомостях записываются с "
                                      L"материалом листа («Ст3»):\nPart — 1 шт.: без материала";

const StockCase kStock[] = {
    {"neither", 2.0, L"Ст3", 0.0, L"", false, kWithout + L"Part — 1 шт.: без толщины, без материала"},
    {"no material", 2.0, L"Ст3", 2.0, L"", false, kWithoutMaterial},
    {"no thickness", 2.0, L"Ст3", 0.0, L"Ст3", false,
     L"Детали без своей толщины размещены на листах и в ведомостях записываются с толщиной листа (2 мм):\n"
     L"Part — 1 шт.: без толщины"},
    {"both of their own", 2.0, L"Ст3", 2.0, L"Ст3", false, L""},
    {"sheets of neither", 0.0, L"", 0.0, L"", false, L""},
    {"sheets of a material only", 0.0, L"Ст3", 0.0, L"", false, kWithoutMaterial},
    {"a joined pair", 2.0, L"Ст3", 0.0, L"", true, kWithout + L"T — 2 шт.: без толщины, без материала"},
    {"after a part left out", 2.0, L"Ст3", 0.0, L"", false,
     std::wstring(kHeading) + L"Part — 1 шт.: толщина или материал не совпадают с листом: деталь 3 мм, без материала, "
                              L"лист 2 мм, «Ст3»\n\n" + kWithout + L"Part — 1 шт.: без толщины, без материала",
     true},
};

TEST_F(PlaceTest, PartsPlacedWithoutAThicknessOrMaterialOfTheirOwnAreNamed)
{
    for (const StockCase& c : kStock) {
        SCOPED_TRACE(c.name);
        Model().m_figures.clear();
        Model().m_sheets.clear();
        Model().m_thicknessSheet = c.sheetThickness;
        NestingModel::m_materialSheet = c.sheetMaterial;
        AddSheet(300.0, 200.0);
        // Read with no gap polygons yet: the run makes them and joins the pairs.
        const auto add = [&](const std::vector<NPoint>& ring, const wchar_t* name, double thickness) {
            Model().m_figures.push_back(MakeFigure(ring, name));
            Model().m_figures.back()->SetThickness(thickness);
            Model().m_figures.back()->SetMaterial(c.material);
        };
        for (int k = 0; k < (c.pair ? 2 : 1); ++k)
            add(c.pair ? std::vector<NPoint>{{0, 0}, {60, 0}, {0, 40}} : Rectangle(0, 0, 60, 30), c.pair ? L"T" : L"Part",
                c.thickness);
        if (c.leftOne)
            add(Rectangle(0, 0, 50, 20), L"Part", 3.0);
        optimizer.Init(Model().m_figures, Model().m_sheets);
        optimizer.SetGaps(kFigureGap, kSheetGap);
        const size_t messages = Messages().size();

        optimizer.RunOptimization(OptimizationParams{1, RotationType::WithoutRotation, true});

        EXPECT_EQ(Model().m_figures.size(), c.pair ? 1u : 1u + c.leftOne);  // a pair joined
        ASSERT_EQ(Messages().size(), messages + !c.text.empty());
        if (c.text.empty())
            continue;
        EXPECT_EQ(Messages().back().text, c.text);
        EXPECT_EQ(Messages().back().flags, c.leftOne ? vlapi::vlMBIconWarning : vlapi::vlMBIconInformation);
    }
    NestingModel::m_materialSheet.clear();
}

// A part of a kilometre (a drawing in metres read as millimetres) lies in the
// container: the sheet still counts the part it holds, and the run's closing
// message says why the large one is not placed, with its size and the sheet's.
TEST_F(PlaceTest, AHugePartInTheContainerLeavesTheSheetsResultsAlone)
{
    const SheetPtr sheet = AddSheet(300.0, 200.0);
    const FigurePtr small = AddFigure(Rectangle(0, 0, 100, 50));
    AddFigure(Rectangle(-500000, -450000, 1000000, 900000))->m_macro->SetName(L"Huge");
    optimizer.Init(Model().m_figures, Model().m_sheets);
    optimizer.SetGaps(kFigureGap, kSheetGap);
    const size_t messages = Messages().size();

    optimizer.RunOptimization(OptimizationParams{1, RotationType::WithoutRotation, true});

    ASSERT_EQ(Model().m_result.sheet_results.size(), 1u);
    EXPECT_DOUBLE_EQ(Model().m_result.sheet_results[0].figuresArea, small->m_area);
    EXPECT_GT(Model().m_result.sheet_results[0].KIM, 0.0);
    ASSERT_EQ(Messages().size(), messages + 1);
    EXPECT_EQ(Messages().back().text, std::wstring(kHeading) + L"Huge — 1 шт.: больше любого листа: деталь 1000000 × 900000 мм, лист 300 × 200 мм");
}

// However many kinds of parts stay in the container, the message fits on a
// screen: twenty lines by name, then the rest counted.
TEST_F(PlaceTest, ManyKindsLeftInTheContainerAreCountedBeyondTwenty)
{
    AddSheet(300.0, 200.0);
    for (int k = 1; k <= 23; ++k)
        AddFigure(Rectangle(0, 0, 400 + k, 250))->m_macro->SetName(L"P" + std::to_wstring(k));
    AddFigure(Rectangle(0, 0, 500, 250))->m_macro->SetName(L"P23");
    PlaceAll(RotationType::Rotation90, false, 8.0);
    const std::wstring text = optimizer.LeftInContainerText();
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 21);
    EXPECT_NE(text.find(L"\nP20 — 1 шт.: больше любого листа: деталь 420 × 250 мм, лист 300 × 200 мм\n… и ещё 3 строк (4 шт.)"),
              std::wstring::npos);
}

// Records of earlier drawings: gap polygons made without the borders' sag,
// or with the offsets' mitres at convex corners.
TEST_F(PlaceTest, GapPolygonsOfAnEarlierRecordAreMadeAgainBeforeARun)
{
    for (uint8_t FigureParams::*known : {&FigureParams::m_sagKnown, &FigureParams::m_roundKnown}) {
        Model().m_figures.clear();
        Model().m_sheets.clear();
        AddSheet(300.0, 200.0);
        const FigurePtr figure = AddFigure(Rectangle(0, 0, 100, 50));
        (*figure).*known = 0;  // as a record of an earlier drawing reads
        optimizer.Init(Model().m_figures, Model().m_sheets);
        optimizer.SetGaps(kFigureGap, kSheetGap);
        optimizer.RunOptimization(OptimizationParams{1, RotationType::WithoutRotation, true});
        EXPECT_TRUE(figure->HasSagOutward());
        EXPECT_TRUE(figure->HasRoundCorners());
    }
}

}  // namespace
}  // namespace placetest
