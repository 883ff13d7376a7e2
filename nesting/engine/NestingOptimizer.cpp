#include "engine/NestingOptimizer.h"

#include "geometry/RingArea.h"
#include "host/LibraryEdit.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"
#include "model/ProgressIndicator.h"
#include "model/ResultTexts.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <optional>
#include <unordered_set>

namespace {

constexpr double kScaleReference = 1000.0; // mm: the shorter side at which the lengths are as they are
constexpr double kLeastScale = 0.1;         // sheets of 100 mm and less: ten times finer, no more
constexpr uint8_t kShiftKey = 0x10;
constexpr int64_t kRotationCounts[] = {2, 4, 8, 2};
constexpr double kRotationSteps[] = {180.0, 90.0, 45.0, 90.0};

int64_t MonotonicMicroseconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>((static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec)) * 0.001);
}

// What a run opens on the host, closed again by Close() or however the run
// ends: the drawings' sinks held back (the run is the library's own edit,
// whoever asked for it: the optimisation command or an automation caller),
// the user's access, tree rebuilding and one undo container. Closing also
// takes the progress bar away and gives every figure its colouring again.
class RunBrackets {
public:
    explicit RunBrackets(NestingModel& model) : m_model(model)
    {
        m_run.emplace();
        vrnApi::EnableUserAccess(false);
        vrnApi::SetTreeRebuild(false);
        vrnApi::SetUndoContainer(true);
    }
    ~RunBrackets() { Close(); }
    RunBrackets(const RunBrackets&) = delete;
    RunBrackets& operator=(const RunBrackets&) = delete;

    void Close() noexcept
    {
        if (!m_run)
            return;
        try {
            if (application)
                application->StopProgressBar();
            for (const FigurePtr& figure : m_model.m_figures)
                figure->CreateColouring();
        } catch (...) {
            // The drawing keeps what was done; the brackets close all the same.
        }
        vrnApi::SetUndoContainer(false);
        vrnApi::SetTreeRebuild(true);
        vrnApi::EnableUserAccess(true);
        m_run.reset();
    }

private:
    NestingModel& m_model;
    std::optional<LibraryRun> m_run;
};

int ViewOf(const SheetPtr& sheet) { return sheet->m_macro ? sheet->m_macro->GetMacroViewNumber() : -1; }

// The figure's centre of gravity: of its outline less its holes, however
// their rings run; the middle of its rectangle when they enclose no area.
NPoint Gravity(const Figure& figure)
{
    double area = 0.0;
    NPoint moment;
    for (size_t k = 0; k < figure.m_borders.size(); ++k) {
        if (!figure.m_borders[k] || figure.m_borders[k]->m_points.size() < 3)
            continue;
        const std::vector<NPoint>& ring = figure.m_borders[k]->m_points;
        // Twice the ring's signed area and six times its moments about its
        // first vertex, summed over the triangles from that vertex.
        double twice = 0.0;
        NPoint sixfold;
        for (size_t i = 2; i < ring.size(); ++i) {
            const NPoint a = ring[i - 1] - ring[0];
            const NPoint b = ring[i] - ring[0];
            const double cross = a.x * b.y - b.x * a.y;
            twice += cross;
            sixfold += NPoint{(a.x + b.x) * cross, (a.y + b.y) * cross};
        }
        const double sign = (k == 0) == (twice > 0.0) ? 1.0 : -1.0;
        area += sign * twice / 2.0;
        moment += NPoint{sign * (sixfold.x / 6.0 + ring[0].x * twice / 2.0),
                         sign * (sixfold.y / 6.0 + ring[0].y * twice / 2.0)};
    }
    if (area > EPS)
        return {moment.x / area, moment.y / area};
    return {(figure.m_rect.pBot.x + figure.m_rect.pTop.x) / 2.0, (figure.m_rect.pBot.y + figure.m_rect.pTop.y) / 2.0};
}

// The area between the ring and the bottom of its rectangle that a line
// straight up from the bottom reaches before the ring: summed over the strips
// between the x of its vertices, in each of which the lowest edge runs
// straight. Edges are swept along x, each strip looking at those over it.
double AreaUnder(const std::vector<NPoint>& ring)
{
    if (ring.size() < 3)
        return 0.0;
    struct Edge {
        NPoint a, b; // a left of b
    };
    std::vector<Edge> edges;
    std::vector<double> xs;
    double bottom = ring[0].y;
    for (size_t i = 0; i < ring.size(); ++i) {
        const NPoint& p = ring[i];
        const NPoint& q = ring[(i + 1) % ring.size()];
        bottom = std::min(bottom, p.y);
        xs.push_back(p.x);
        if (p.x != q.x)
            edges.push_back(p.x < q.x ? Edge{p, q} : Edge{q, p});
    }
    std::sort(xs.begin(), xs.end());
    xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
    std::stable_sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.a.x < f.a.x; });
    std::vector<const Edge*> over;
    size_t next = 0;
    double area = 0.0;
    for (size_t k = 0; k + 1 < xs.size(); ++k) {
        const double mid = 0.5 * (xs[k] + xs[k + 1]);
        for (; next < edges.size() && edges[next].a.x < mid; ++next)
            over.push_back(&edges[next]);
        std::erase_if(over, [&](const Edge* e) { return e->b.x <= mid; });
        double lowest = HUGE_VAL;
        for (const Edge* e : over)
            lowest = std::min(lowest, e->a.y + (e->b.y - e->a.y) * (mid - e->a.x) / (e->b.x - e->a.x));
        if (lowest < HUGE_VAL)
            area += (lowest - bottom) * (xs[k + 1] - xs[k]);
    }
    return area;
}

// The space the figure shuts off within its rectangle: under it, and left of it.
double ShutOff(const Figure& figure)
{
    if (figure.m_borders.empty() || !figure.m_borders[0])
        return 0.0;
    std::vector<NPoint> ring = figure.m_borders[0]->m_points;
    double area = AreaUnder(ring);
    for (NPoint& p : ring)
        p = {p.y, p.x};
    return area + AreaUnder(ring);
}

bool RectFits(const NRect& s, const NPoint& p)
{
    return s.pBot.x - EPS < p.x && p.x < s.pTop.x + EPS && s.pBot.y - EPS < p.y && p.y < s.pTop.y + EPS;
}

// A rectangle of the size fits the sheet's room (its rectangle less `inset`
// on every side, SheetInset) upright or turned by a quarter.
bool SizeFits(const Sheet& sheet, const NPoint& size, double inset)
{
    const NRect s{sheet.m_rect.pBot + NPoint{inset, inset}, sheet.m_rect.pTop - NPoint{inset, inset}};
    const NPoint p{s.pBot.x + size.x, s.pBot.y + size.y};
    if (!RectFits(s, s.pBot))
        return false;
    return RectFits(s, p) || RectFits(s, NPoint{p.y, p.x});
}

// The figure's rectangle fits the sheet in one of the turns it is tried in:
// upright or turned by a quarter, and with 45° steps also turned by 45°
// (a square set on its corner fits a strip narrower than its diagonal only
// so).
bool PassesRectangleTest(const Figure& figure, const Sheet& sheet, RotationType rotation, double inset)
{
    const NRect& r = figure.m_rect;
    if (SizeFits(sheet, NPoint{r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y}, inset))
        return true;
    return rotation == RotationType::Rotation45 && !figure.m_poligons.empty() && figure.m_poligons[0] &&
           SizeFits(sheet, NestingOptimizer::TurnedSize(figure.m_poligons[0]->m_points, 45.0), inset);
}

// The figure's outline lies within the sheet's rectangle: whatever the
// candidates said, a figure is never counted as on a sheet it stands out of.
bool InsideSheet(const Figure& figure, const Sheet& sheet)
{
    if (figure.m_borders.empty() || !figure.m_borders[0])
        return false;
    const NRect& outline = figure.m_borders[0]->GetGabarit();
    const NRect& s = sheet.m_rect;
    return outline.pBot.x > s.pBot.x - EPS && outline.pBot.y > s.pBot.y - EPS && outline.pTop.x < s.pTop.x + EPS &&
           outline.pTop.y < s.pTop.y + EPS;
}

// Gap rectangles that lie apart (by more than the point tolerance).
bool Apart(const NRect& other, const NRect& box)
{
    return other.pBot.x > box.pTop.x + EPS || other.pTop.x < box.pBot.x - EPS || other.pBot.y > box.pTop.y + EPS ||
           other.pTop.y < box.pBot.y - EPS;
}

// A travel of no length means a neighbour that is not in the way or one
// touched already; from a step back, the second is a step away.
bool TouchesAhead(Figure& figure, const Figure& neighbour, const NPoint& direction)
{
    constexpr double kStep = 0.01;  // mm, well past the touching tolerance
    figure.SetPolygonsPlacement(-direction.x * kStep, -direction.y * kStep, 0.0);
    const double travel = neighbour.Distance(figure, direction);
    figure.SetPolygonsPlacement(direction.x * kStep, direction.y * kStep, 0.0);
    figure.UpdateGabarit();
    return std::fabs(travel) > EPS;
}

bool SameThickness(double sheetThickness, double thickness)
{
    if (sheetThickness < EPS || thickness < EPS)
        return true;
    return std::fabs(sheetThickness - thickness) < EPS;
}

} // namespace

bool NestingOptimizer::DiffersFromSheet(const Figure& figure) const
{
    const std::wstring& sheetMaterial = NestingModel::m_materialSheet;
    if (!SameThickness(m_model.m_thicknessSheet, figure.m_thickness))
        return true;
    return !figure.m_material.empty() && !sheetMaterial.empty() && figure.m_material != sheetMaterial;
}

NPoint NestingOptimizer::TurnedSize(const std::vector<NPoint>& ring, double degrees)
{
    const double c = std::cos(degrees * DR);
    const double s = std::sin(degrees * DR);
    double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
    for (const NPoint& p : ring) {
        const double x = p.x * c - p.y * s;
        const double y = p.x * s + p.y * c;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
    }
    return ring.empty() ? NPoint{} : NPoint{x1 - x0, y1 - y0};
}

double NestingOptimizer::LengthScale(const Sheet& sheet)
{
    const NRect& s = sheet.m_rect;
    const double side = std::min(s.pTop.x - s.pBot.x, s.pTop.y - s.pBot.y);
    return std::isfinite(side) ? std::max(kLeastScale, side / kScaleReference) : 1.0;
}

void NestingOptimizer::GetPlacementPoint(const std::vector<NPoint>& points, double& x, double& y, double band)
{
    // The lowest of the points near the leftmost, as it is: the x of one
    // point with the y of another may be no free position at all.
    double left = kNoPoint;
    for (const NPoint& p : points)
        left = std::min(left, p.x);
    x = kNoPoint;
    y = kNoPoint;
    for (const NPoint& p : points) {
        if (std::fabs(p.x - left) < band && (p.y < y || (p.y == y && p.x < x))) {
            x = p.x;
            y = p.y;
        }
    }
}

void NestingOptimizer::Init()
{
    m_model.InitSheetsFromActiveDoc();
    m_model.InitFiguresFromActiveDoc(nullptr);
    m_model.HoldBridges();  // the placement takes them along
    m_model.InitWastesFromActiveDoc();
    m_model.SortFiguresByAreasDecrease();
    m_model.ReadFromConfig();
    m_figures = m_model.m_figures;
    m_sheets = m_model.m_sheets;
    m_wastes = m_model.m_wastes;
    m_figureGap = m_model.m_figureGap;
    m_sheetGap = m_model.m_sheetGap;
}

void NestingOptimizer::Init(const VectorFigure& figures, const VectorSheet& sheets)
{
    if (&m_figures != &figures)
        m_figures = figures;
    if (&m_sheets != &sheets)
        m_sheets = sheets;
}

void NestingOptimizer::SetGaps(double figureGap, double sheetGap)
{
    m_figureGap = figureGap;
    m_sheetGap = sheetGap;
}

std::wstring NestingOptimizer::MixedStockText() const
{
    std::vector<double> thicknesses;
    std::vector<std::wstring> materials;
    for (const FigurePtr& figure : m_model.m_figures) {
        const double t = figure->m_thickness;
        if (m_model.m_thicknessSheet < EPS && t >= EPS &&
            std::none_of(thicknesses.begin(), thicknesses.end(), [&](double each) { return SameThickness(each, t); }))
            thicknesses.push_back(t);
        const std::wstring& m = figure->m_material;
        if (NestingModel::m_materialSheet.empty() && !m.empty() &&
            std::find(materials.begin(), materials.end(), m) == materials.end())
            materials.push_back(m);
    }
    std::wstring text;
    if (thicknesses.size() > 1) {
        std::sort(thicknesses.begin(), thicknesses.end());
        std::wstring listed;
        for (const double t : thicknesses)
            listed += (listed.empty() ? L"" : L", ") + SheetThicknessText(t);
        text = L"детали разной толщины (" + listed + L" мм), а толщина листа не задана";
    }
    if (materials.size() > 1) {
        std::wstring listed;
        for (const std::wstring& m : materials)
            listed += (listed.empty() ? L"" : L", ") + m;
        text += (text.empty() ? L"" : L"; ") + (L"детали из разных материалов (" + listed + L"), а материал листа не задан");
    }
    if (text.empty())
        return text;
    return L"Оптимизация не выполнена: " + text +
           L".\nИз одного листа вырезаются детали одной толщины и одного материала: задайте их листу в исходных "
           L"данных.";
}

void NestingOptimizer::RunOptimization(const OptimizationParams& params)
{
    if (params.optimizationMethod != m_params.optimizationMethod)
        m_hodographBuilder.m_hodographsContainer.clear();
    m_params = params;
    m_t1 = MonotonicMicroseconds();
    RunBrackets brackets(m_model);
    for (const FigurePtr& figure : m_model.m_figures)
        figure->DeleteColouring();
    m_figures = m_model.m_figures;
    PrepareOptimization();
    // Turned and sorted once every figure has its gap polygons: a figure
    // stored without them has no rectangle before (all would count as equal
    // and keep the container's order), and new gap polygons are made with
    // the figures back in their first turn.
    m_model.RotateAllFiguresToMinGabarit();
    SplitPairsLargerThanSheets();
    // A pair placed together that found no sheet is split, and the
    // placement made again with its parts apart.
    do {
        m_model.SortFiguresByAreasDecrease();
        m_figures = m_model.m_figures;
        SetAutoPlacementAllFigures(NestingMode::AutoForAll);
    } while (SplitPairsLeftOver());
    const std::wstring split = PairsText();
    // The parts whose thickness or material differ are named with the others
    // left in the container, in the one closing message.
    m_model.CheckIntersectAllFigures(nullptr, false);
    m_model.UpdateResultTables(nullptr);
    brackets.Close();
    m_t2 = MonotonicMicroseconds();
    m_dt = m_t2 - m_t1;
    // Pairs placed together or one by one are said to be, with the parts
    // left out, the parts placed without a thickness or material of their
    // own and the remnants the run deleted.
    const std::wstring left = LeftInContainerText();
    const std::wstring taken = SheetStockTakenText();
    const std::wstring deleted = DeletedWastesText(m_deletedWastes);
    std::wstring text = left;
    for (const std::wstring* paragraph : {&split, &taken, &deleted})
        if (!paragraph->empty())
            text += (text.empty() ? L"" : L"\n\n") + *paragraph;
    if (!left.empty() || !deleted.empty())
        vrnApi::ShowWarningText(text);
    else if (!text.empty())
        vrnApi::ShowInformText(text);
}

void NestingOptimizer::PrepareOptimization()
{
    m_deletedWastes = {};
    if (m_sheets.empty())
        return;
    for (const WastePtr& waste : m_wastes)
        waste->m_edit = false;
    // Every remnant goes, one built by hand too: the closing message counts them.
    for (const WastePtr& waste : m_model.m_wastes) {
        if (!waste->m_macro)
            continue;
        ++m_deletedWastes.all;
        m_deletedWastes.byHand += waste->m_method ? 0 : 1;
    }
    for (const WastePtr& waste : m_model.m_wastes)
        waste->Clear();
    m_model.m_wastes.clear();
    SetCurrentFirstSheetView();
    for (const SheetPtr& sheet : m_sheets)
        sheet->m_occupied = false;
    for (const FigurePtr& figure : m_figures)
        figure->m_owner.reset();
    // Gap polygons of another gap, or of an earlier drawing that made them
    // without the borders' sag or with mitred corners, are made again.
    const bool gapChanged = std::any_of(m_figures.begin(), m_figures.end(), [this](const FigurePtr& figure) {
        return std::fabs(figure->m_gap - m_figureGap) > EPS || !figure->HasSagOutward() ||
               !figure->HasRoundCorners();
    });
    // A figure stored before its gap polygons were built would be passed over:
    // it gets them as UpdateGaps would give them.
    if (gapChanged) {
        m_model.UpdateGaps();
        // The new gap split the compound figures and joined them again: the
        // joined ones are new figures of the model (after the others), which
        // the list taken before would never place. The list is taken again.
        m_figures = m_model.m_figures;
        for (const FigurePtr& figure : m_figures)
            figure->m_owner.reset();
    } else {
        m_model.InitMissingFigurePolygons();
    }
}

std::wstring NestingOptimizer::DeletedWastesText(const DeletedWastes& deleted)
{
    if (deleted.all == 0)
        return {};
    std::wstring text = L"Удалены деловые отходы прежнего раскроя — " + std::to_wstring(deleted.all) + L" шт.";
    if (deleted.byHand == deleted.all)
        text += L" (все построены вручную по точке)";
    else if (deleted.byHand > 0)
        text += L" (из них построены вручную по точке — " + std::to_wstring(deleted.byHand) + L" шт.)";
    return text + L": постройте их заново для нового раскроя";
}

void NestingOptimizer::SetCurrentFirstSheetView()
{
    if (!m_sheets.empty() && m_sheets.front()->m_macro)
        m_sheets.front()->m_macro->SetCurrentMacroView();
}

void NestingOptimizer::MarkThicknessAndMaterial()
{
    for (const FigurePtr& figure : m_figures) {
        if (figure->m_poligons.empty() || !figure->m_poligons[0])
            continue;
        figure->m_valid = !DiffersFromSheet(*figure);
    }
}

void NestingOptimizer::SetAutoPlacementAllFigures(NestingMode mode)
{
    MarkThicknessAndMaterial();
    size_t outlines = 0, vertices = 0;
    m_outlineArea = 0.0;
    for (const FigurePtr& figure : m_figures)
        if (!figure->m_poligons.empty() && figure->m_poligons[0]) {
            ++outlines;
            vertices += figure->m_poligons[0]->m_points.size();
            m_outlineArea += std::fabs(SignedArea(figure->m_poligons[0]->m_points));
        }
    m_outlineVertices = outlines ? static_cast<double>(vertices) / static_cast<double>(outlines) : 0.0;
    m_outlines = outlines;
    const VectorFigure keep = m_figures;
    m_outlineKinds.Clear();
    m_fills.clear();
    ForgetTurns();
    m_figuresTried = 0;
    {
        // What the passes learn of the outlines is kept from one to the next.
        m_turnsHeld = true;
        struct Held {
            bool& held;
            ~Held() { held = false; }
        } held{m_turnsHeld};
        SetAutoPlacementAllFiguresOnSheets(mode);
        if (mode != NestingMode::AutoArrange) {
            if (m_params.autoAddSheet) {
                AddSheetsWhileFiguresRemain(mode, keep);
            } else {
                for (const SheetPtr& sheet : m_sheets)
                    sheet->m_occupied = false;
            }
        }
    }
    SettleTurns();
    if (mode == NestingMode::AutoArrange)
        return;
    // What the run did not place goes to the container, wherever it stood:
    // a figure left on a sheet from before would lie there as if placed.
    if (!m_figures.empty()) {
        const int container = vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
        for (const FigurePtr& figure : m_figures) {
            figure->m_owner.reset();
            if (figure->GetView() != container)
                figure->ChangeView(container, true);
        }
    }
    SetCurrentFirstSheetView();
    m_model.ArrangeFiguresInContainer(false, true, m_figures);
    m_figures = keep;
    m_model.DeleteEmptySheets();
}

void NestingOptimizer::AddSheetsWhileFiguresRemain(NestingMode mode, const VectorFigure& keep)
{
    while (!m_figures.empty()) {
        const size_t before = m_figures.size();
        m_model.SortFiguresByAreasDecrease();
        if (!m_sheets.empty()) {
            for (const SheetPtr& sheet : m_sheets)
                sheet->m_occupied = true;
            const SheetPtr last = m_sheets.back();
            const bool lastUsed =
                std::any_of(keep.begin(), keep.end(), [&](const FigurePtr& f) { return f->m_owner == last; });
            if (lastUsed) {
                SheetPtr added = m_model.AddSheet();
                // A sheet the host could not make ends the additions: the
                // figures left go to the container.
                if (!added)
                    break;
                added->m_edit = true;
                m_model.ArrangeSheets();
                m_sheets = m_model.m_sheets;
            }
        }
        SetAutoPlacementAllFiguresOnSheets(mode);
        if (m_figures.size() == before)
            break;
    }
}

NestingOptimizer::Turned& NestingOptimizer::TurnedOf(const Figure& figure)
{
    const auto found = m_turned.find(&figure);
    if (found != m_turned.end())
        return found->second;
    return m_turned.emplace(&figure, Turned{m_outlineKinds.KindOf(figure), 0, 0.0}).first->second;
}

NestingOptimizer::Turned& NestingOptimizer::TurnedAt(size_t k)
{
    if (m_turnedAt.size() != m_figures.size())
        m_turnedAt.assign(m_figures.size(), {nullptr, nullptr});
    auto& [figure, turned] = m_turnedAt[k];
    if (figure != m_figures[k].get()) {
        figure = m_figures[k].get();
        turned = &TurnedOf(*figure);
    }
    return *turned;
}

void NestingOptimizer::ForgetTurns()
{
    m_turned.clear();
    m_turnedAt.clear();
}

double NestingOptimizer::TurnOfFailedTries(NestingMode mode) const
{
    if (m_params.rotateMethod == RotationType::WithoutRotation || mode == NestingMode::AutoArrange)
        return 0.0;
    const auto table = static_cast<uint32_t>(static_cast<int32_t>(m_params.rotateMethod) - 1);
    if (table >= 4)
        return 0.0;
    // Each try turns the figure on by k steps from where the last one left it.
    double degrees = 0.0;
    for (int64_t k = 1; k < kRotationCounts[table]; ++k)
        degrees += static_cast<double>(k) * kRotationSteps[table];
    return std::fmod(degrees, 360.0);
}

void NestingOptimizer::TurnBy(Turned& turned, double degrees, bool later)
{
    turned.turn = (turned.turn + static_cast<int>(std::lround(degrees / 45.0))) % 8;
    if (later)
        turned.pending = std::fmod(turned.pending + degrees, 360.0);
}

void NestingOptimizer::SettleTurn(Figure& figure)
{
    const auto found = m_turned.find(&figure);
    if (found == m_turned.end() || found->second.pending == 0.0)
        return;
    figure.SetPlacement(0.0, 0.0, found->second.pending, false);
    found->second.pending = 0.0;
}

void NestingOptimizer::SettleTurns()
{
    for (const FigurePtr& figure : m_figures)
        SettleTurn(*figure);
    ForgetTurns();
    m_outlineKinds.Clear();
    m_fills.clear();
}

void NestingOptimizer::SetAutoPlacementAllFiguresOnSheets(NestingMode mode)
{
    if (m_sheets.empty())
        return;
    // Called on its own, the pass keeps what it learns of the outlines to itself.
    const bool held = m_turnsHeld;
    if (!held) {
        m_outlineKinds.Clear();
        m_fills.clear();
        ForgetTurns();
        m_figuresTried = 0;
    }
    const double failedTurn = TurnOfFailedTries(mode);
    for (const SheetPtr& sheet : m_sheets) {
        if (sheet->m_occupied)
            continue;
        ProgressIndicator& progress = ProgressIndicator::Create();
        progress.SetValue(0.0);
        if (m_figures.empty())
            continue;
        VectorFigure placedHere;
        // None stands on the sheet yet: those placed here are only added, each
        // where it stays, and the tries look at them as they come.
        const bool filling = PlacedOn(sheet).empty();
        m_filling = filling ? &placedHere : nullptr;
        m_rectLayout.Reset();
        m_placedIndex = PlacedIndex{sheet->m_rect, 0, {}};
        size_t handled = 0;
        const size_t total = m_figures.size();
        // The outlines, in their turns, that found no room on this sheet
        // (while figures are only added to it).
        std::set<std::pair<size_t, int>> full;
        // A part of another thickness or material is never cut from this sheet.
        std::vector<char> eligible(m_figures.size(), 0);
        for (size_t k = 0; k < m_figures.size(); ++k)
            eligible[k] = mode == NestingMode::AutoArrange ||
                          (!DiffersFromSheet(*m_figures[k]) &&
                           PassesRectangleTest(*m_figures[k], *sheet, m_params.rotateMethod,
                                               SheetInset(m_figureGap, m_sheetGap)));
        // What this sheet's tries come to is kept for the sheets after it
        // while each try can be told again (a figure with a gap polygon);
        // those of a sheet filled alike before are taken while they last.
        bool recording = filling && held && mode != NestingMode::AutoArrange && !m_test && m_repeatFills;
        SheetFill fill = recording ? FillOf(*sheet) : SheetFill{};
        const SheetFill* source = recording ? LongestFill(*sheet, eligible) : nullptr;
        size_t repeated = 0;
        // The figure's macro goes to the sheet's view only when the figure
        // stays there (and a try cut short by an exception leaves it where
        // it was).
        struct Try {
            Figure& figure;
            bool stays = false;
            ~Try() { figure.EndTry(stays); }
        };
        for (size_t k = 0; k < m_figures.size(); ++k) {
            const FigurePtr& figure = m_figures[k];
            if (m_test)
                break;
            if (eligible[k]) {
                Turned& turned = TurnedAt(k);
                const std::pair<size_t, int> outline{turned.kind, turned.turn};
                if (full.count(outline) != 0) {
                    figure->m_owner.reset();
                    TurnBy(turned, failedTurn, true);
                } else if (source && repeated < source->tries.size() && source->tries[repeated].kind == turned.kind &&
                           source->tries[repeated].turn == turned.turn && HasGapPolygon(*figure)) {
                    const SheetTry& done = source->tries[repeated++];
                    fill.tries.push_back(done);
                    if (done.stays) {
                        SettleTurn(*figure);
                        Try attempt{*figure};
                        figure->BeginTry(ViewOf(sheet));
                        RepeatTry(*figure, done);
                        figure->m_owner = sheet;
                        attempt.stays = true;
                        placedHere.push_back(figure);
                    } else {
                        figure->m_owner.reset();
                        full.insert(outline);
                        TurnBy(turned, failedTurn, true);
                    }
                } else {
                    // The sheets part ways here.
                    source = nullptr;
                    SettleTurn(*figure);
                    ++m_figuresTried;
                    Try attempt{*figure};
                    figure->BeginTry(ViewOf(sheet));
                    double x0 = 0.0, y0 = 0.0, angle0 = 0.0;
                    figure->GetPlacement(x0, y0, angle0);
                    attempt.stays = PlaceWithRotations(figure, sheet, mode);
                    SheetTry done{turned.kind, turned.turn, attempt.stays, 0.0, NPoint{}};
                    if (attempt.stays) {
                        placedHere.push_back(figure);
                        recording = recording && HasGapPolygon(*figure);
                        if (recording) {
                            figure->GetPlacement(x0, y0, done.turned);
                            done.turned -= angle0;
                            done.first = figure->m_poligons[0]->m_points[0];
                        }
                    } else {
                        if (filling)
                            full.insert(outline);
                        TurnBy(turned, failedTurn, false);
                    }
                    if (recording)
                        fill.tries.push_back(done);
                }
            }
            ++handled;
            progress.SetValue(static_cast<double>(handled) * 100.0 / static_cast<double>(total));
        }
        if (recording)
            m_fills.push_back(std::move(fill));
        m_filling = nullptr;
        const std::unordered_set<const Figure*> done = [&] {
            std::unordered_set<const Figure*> set;
            for (const FigurePtr& figure : placedHere)
                set.insert(figure.get());
            return set;
        }();
        // The entries of the figures' turns go with them.
        const bool inStep = m_turnedAt.size() == m_figures.size();
        size_t kept = 0;
        for (size_t k = 0; k < m_figures.size(); ++k) {
            if (done.count(m_figures[k].get()) != 0)
                continue;
            m_figures[kept] = std::move(m_figures[k]);
            if (inStep)
                m_turnedAt[kept] = m_turnedAt[k];
            ++kept;
        }
        m_figures.resize(kept);
        if (inStep)
            m_turnedAt.resize(kept);
    }
    if (!held)
        SettleTurns();
}

NestingOptimizer::SheetFill NestingOptimizer::FillOf(const Sheet& sheet)
{
    SheetFill fill;
    fill.rect = sheet.m_rect;
    if (sheet.m_polygon)
        fill.outline = sheet.m_polygon->m_points;
    return fill;
}

bool NestingOptimizer::SheetFill::Fits(const Sheet& sheet) const
{
    // To the last digit: the tries on it must come out as they did here.
    const auto same = [](const NPoint& a, const NPoint& b) { return a.x == b.x && a.y == b.y; };
    const std::vector<NPoint> none;
    const std::vector<NPoint>& points = sheet.m_polygon ? sheet.m_polygon->m_points : none;
    return same(rect.pBot, sheet.m_rect.pBot) && same(rect.pTop, sheet.m_rect.pTop) &&
           std::equal(outline.begin(), outline.end(), points.begin(), points.end(), same);
}

const NestingOptimizer::SheetFill* NestingOptimizer::LongestFill(const Sheet& sheet, const std::vector<char>& eligible)
{
    // Sheets repeat one another in short cycles (the turns of the figures
    // passed over alternate): the last few fills are enough to look at.
    constexpr size_t kLooked = 8;
    const SheetFill* best = nullptr;
    size_t longest = 0, looked = 0;
    std::vector<std::pair<size_t, int>> full;
    for (auto it = m_fills.rbegin(); it != m_fills.rend() && looked < kLooked; ++it) {
        if (!it->Fits(sheet))
            continue;
        ++looked;
        full.clear();
        size_t n = 0;
        for (size_t k = 0; k < m_figures.size() && n < it->tries.size(); ++k) {
            if (!eligible[k])
                continue;
            const Turned& turned = TurnedAt(k);
            const std::pair<size_t, int> outline{turned.kind, turned.turn};
            if (std::find(full.begin(), full.end(), outline) != full.end())
                continue;
            const SheetTry& done = it->tries[n];
            if (done.kind != turned.kind || done.turn != turned.turn)
                break;
            if (!done.stays)
                full.push_back(outline);
            ++n;
        }
        if (n > longest) {
            best = &*it;
            longest = n;
        }
    }
    return best;
}

bool NestingOptimizer::HasGapPolygon(const Figure& figure)
{
    return !figure.m_poligons.empty() && figure.m_poligons[0] && !figure.m_poligons[0]->m_points.empty();
}

void NestingOptimizer::RepeatTry(Figure& figure, const SheetTry& done)
{
    // Turned as the try turned its twin (the rings about their pole), and
    // moved so that its gap polygon's first vertex lands where the twin's did.
    const NPolygon& gaps = *figure.m_poligons[0];
    NPoint first = gaps.m_points[0];
    first.Rotate(gaps.m_pole, std::cos(done.turned * DR), std::sin(done.turned * DR));
    figure.SetPlacement(done.first.x - first.x, done.first.y - first.y, done.turned, false);
}

bool NestingOptimizer::PlaceWithRotations(const FigurePtr& figure, const SheetPtr& sheet, NestingMode mode)
{
    if (m_params.rotateMethod == RotationType::WithoutRotation || mode == NestingMode::AutoArrange)
        return SetAutoPlacementFigureOnSheet(figure, sheet, mode);
    figure->m_owner.reset();
    const auto table = static_cast<uint32_t>(static_cast<int32_t>(m_params.rotateMethod) - 1);
    if (table >= 4)
        return false;
    // The try that puts the figure furthest left wins. Tries whose
    // rectangles' left edges lie within the repeat tolerance of the leftmost
    // one (grown with the sheet as the band is: the same position reached in
    // another rotation differs by rounding, or by a vertex an export repeated
    // a hair's breadth away) stand equally far left. Of those the one that
    // shuts off the least space under and left of it wins (the bottom-left
    // rule fills that side first: a notch open to it is lost, a notch open to
    // the free side may take a neighbour's leg); of equals, the one whose
    // centre of gravity lies nearest the sheet's bottom-left corner; of those
    // again, the first. A part that is the same whichever way it turns keeps
    // its first turn. Edges, not placement points, are compared: the
    // placement point turns with the figure, and may lie anywhere, far from
    // the outline too.
    const double tie = EPS_REPEATED * LengthScale(*sheet);
    const NRect& box = figure->m_rect;
    const double areaTie = tie * (box.pTop.x - box.pBot.x + box.pTop.y - box.pBot.y);
    std::vector<NPlacement> placements;
    placements.reserve(static_cast<size_t>(kRotationCounts[table]));
    double leftmost = kNoPoint;
    for (int64_t k = 0; k < kRotationCounts[table]; ++k) {
        if (k > 0)
            figure->SetPlacement(0.0, 0.0, static_cast<double>(k) * kRotationSteps[table], false);
        // A try that cannot come out as far left as the best one need not
        // look far: its bound is the leftmost edge seen, and the tolerance,
        // from this rotation's placement point.
        double x0 = 0.0, y0 = 0.0, angle0 = 0.0;
        figure->GetPlacement(x0, y0, angle0);
        m_bound = leftmost < kNoPoint ? leftmost + tie + (x0 - figure->m_rect.pBot.x) : kNoPoint;
        const bool placed = SetAutoPlacementFigureOnSheet(figure, sheet, mode);
        m_bound = kNoPoint;
        if (placed) {
            NPlacement placement;
            figure->GetPlacement(placement.x, placement.y, placement.angle);
            placement.left = figure->m_rect.pBot.x;
            placements.push_back(placement);
            leftmost = std::min(leftmost, placement.left);
            // What ties are told apart by, for a try that may tie.
            if (placement.left < leftmost + tie) {
                const NPoint gravity = Gravity(*figure) - sheet->m_rect.pBot;
                placements.back().shut = ShutOff(*figure);
                placements.back().corner = std::hypot(gravity.x, gravity.y);
            }
        }
    }
    const NPlacement* best = nullptr;
    for (const NPlacement& placement : placements) {
        if (placement.left >= leftmost + tie)
            continue;
        if (!best || placement.shut < best->shut - areaTie ||
            (placement.shut < best->shut + areaTie && placement.corner < best->corner - tie))
            best = &placement;
    }
    if (!best)
        return false;
    double x = 0.0, y = 0.0, angle = 0.0;
    figure->GetPlacement(x, y, angle);
    figure->SetPlacement(best->x - x, best->y - y, best->angle - angle, false);
    figure->m_owner = sheet;
    return true;
}

// The figure's gap polygon overlaps none of the placed figures. Figures of
// one view whose gap rectangles lie apart cannot overlap: only the others are
// tested, in order, up to the first that overlaps (and a figure's view is
// asked only of those).
bool NestingOptimizer::FreeOfOverlaps(const FigurePtr& figure, const VectorFigure& placed)
{
    if (&placed == m_filling)
        return m_placedIndex.FreeOfOverlaps(figure, placed);
    const NRect& box = figure->m_rect;
    int view = 0;
    bool viewKnown = false;
    return std::none_of(placed.begin(), placed.end(), [&](const FigurePtr& g) {
        if (g == figure)
            return false;
        if (Apart(g->m_rect, box)) {
            if (!viewKnown) {
                view = figure->GetView();
                viewKnown = true;
            }
            if (g->GetView() == view)
                return false;
        }
        return figure->CheckIntersect(g);
    });
}

// The same test over figures that are only added: each one's view is asked
// once, and those of the figure's view are found by their rectangles (in a
// grid of squares over the sheet: a figure tried meets those near it, not
// the thousands a sheet may hold).
bool NestingOptimizer::PlacedIndex::FreeOfOverlaps(const FigurePtr& figure, const VectorFigure& placed)
{
    for (; seen < placed.size(); ++seen) {
        // Squares as large as the view's first figure (the largest, as the
        // run sorts them, but for its shape) at least.
        const NRect& rect = placed[seen]->m_rect;
        const double side = std::max(rect.pTop.x - rect.pBot.x, rect.pTop.y - rect.pBot.y);
        byView.try_emplace(placed[seen]->GetView(), area, side).first->second.Add(seen, rect);
    }
    // A figure without control polygons overlaps none (as CheckIntersect
    // finds): copies not yet measured lie piled at one point.
    if (byView.empty() || figure->m_controls.empty())
        return true;
    const NRect& box = figure->m_rect;
    const int view = figure->GetView();
    std::vector<size_t> tested;
    // Figures of another view are tested all (their rectangles are in
    // another view's coordinates).
    const NRect everywhere{{-HUGE_VAL, -HUGE_VAL}, {HUGE_VAL, HUGE_VAL}};
    for (auto& [v, grid] : byView) {
        const std::vector<size_t>& near = grid.Meeting(v == view ? box : everywhere);
        for (size_t k : near)
            if (v != view || !Apart(placed[k]->m_rect, box))
                tested.push_back(k);
    }
    std::sort(tested.begin(), tested.end());
    return std::none_of(tested.begin(), tested.end(), [&](size_t k) {
        return placed[k] != figure && figure->CheckIntersect(placed[k]);
    });
}

VectorFigure NestingOptimizer::PlacedOn(const SheetPtr& sheet) const
{
    VectorFigure placed;
    std::copy_if(m_figures.begin(), m_figures.end(), std::back_inserter(placed),
                 [&](const FigurePtr& f) { return f->m_owner == sheet; });
    return placed;
}

void NestingOptimizer::CandidatePoints(double x0, double y0, const VectorFigure& placed, const FigurePtr& figure,
                                       const SheetPtr& sheet, NestingMode mode, std::vector<NPoint>& points)
{
    if (mode == NestingMode::AutoArrange) {
        // The clipped rectangles are kept only while the placed figures are only added.
        if (&placed != m_filling)
            m_rectLayout.Reset();
        m_hodographBuilder.RectCandidatePoints(x0, y0, placed, figure, sheet, BottomLeftBand(*sheet), m_rectLayout,
                                               points);
        return;
    }
    // In a turn where the figure cannot stand on the sheet at all, whatever
    // lies there, there is nothing to find: neither the free space nor a
    // no-fit polygon is worked out for it (a long part turned by 45° on a
    // long narrow sheet would measure itself on millions of cells).
    NRect inner;
    if (m_hodographBuilder.SheetFit(x0, y0, *figure, *sheet, inner))
        FreePoints(x0, y0, placed, figure, sheet, points);
    // The regions themselves are built only to be drawn for inspection (and
    // so that a drawing left by an earlier call goes).
    if (m_testHodograph || !HodographBuilder::testHodographs.empty()) {
        VectorPolygon polygons;
        m_hodographBuilder.CreateHodographs(x0, y0, placed, figure, sheet, polygons, true, m_test);
    }
}

void NestingOptimizer::FreePoints(double x0, double y0, const VectorFigure& placed, const FigurePtr& figure,
                                  const SheetPtr& sheet, std::vector<NPoint>& points)
{
    bool measured = false;
    const VectorFigure near = NearFigures(placed, *figure, NPoint{x0, y0}, *sheet, measured);
    // The figure stands nowhere left of a better rotation's point: the try
    // cannot win.
    const double unbounded = std::numeric_limits<double>::infinity();
    if (measured && m_freeSpace.LeftmostStand() >= m_bound + EPS) {
        m_freeSpace.NoneLeftOf(m_bound < kNoPoint ? m_bound : unbounded);
        return;
    }
    const AllPositions everywhere;
    const PositionFilter& filter = measured ? static_cast<const PositionFilter&>(m_freeSpace) : everywhere;
    m_hodographBuilder.FindFreePoints(x0, y0, near, filter, figure, sheet, BottomLeftBand(*sheet), m_bound, points);
    // The leftmost free position found (or none left of the bound): figures
    // of this shape need not look left of it again on this sheet.
    if (measured) {
        double leftmost = m_bound < kNoPoint ? m_bound : unbounded;
        for (const NPoint& p : points)
            leftmost = std::min(leftmost, p.x);
        m_freeSpace.NoneLeftOf(leftmost);
    }
}

VectorFigure NestingOptimizer::NearFigures(const VectorFigure& placed, const Figure& figure, const NPoint& at,
                                           const Sheet& sheet, bool& measured)
{
    // Figures taken as their rectangles forbid more than their outlines: all
    // of them count.
    measured = false;
    if (m_params.optimizationMethod == 0 || figure.m_poligons.empty() || !figure.m_poligons[0])
        return placed;
    measured = true;
    const double gap = SheetInset(m_figureGap, m_sheetGap);
    const NRect region{sheet.m_rect.pBot + NPoint{gap, gap}, sheet.m_rect.pTop - NPoint{gap, gap}};
    // Figures only added to the sheet, each where it stays, are drawn on
    // the grid as they come (the figure tried is none of them).
    if (&placed == m_filling) {
        m_freeSpace.Add(sheet, region, placed, m_outlineVertices, m_outlineArea, m_outlines);
        return m_freeSpace.Near(placed, figure, at, m_bound);
    }
    // A figure tried in another rotation still counts as placed: it is no
    // obstacle of its own.
    VectorFigure others;
    std::copy_if(placed.begin(), placed.end(), std::back_inserter(others),
                 [&](const FigurePtr& f) { return f.get() != &figure; });
    m_freeSpace.Update(sheet, region, others, m_outlineVertices, m_outlineArea, m_outlines);
    return m_freeSpace.Near(others, figure, at, m_bound);
}

bool NestingOptimizer::MoveToBottomLeft(const FigurePtr& figure, const std::vector<NPoint>& points, double band)
{
    double x = kNoPoint, y = kNoPoint;
    GetPlacementPoint(points, x, y, band);
    if (x >= kNoPoint || y >= kNoPoint)
        return false;
    double x0 = 0.0, y0 = 0.0, angle = 0.0;
    figure->GetPlacement(x0, y0, angle);
    figure->SetPlacement(x - x0, y - y0, 0.0, false);
    return true;
}

bool NestingOptimizer::SetAutoPlacementFigureOnSheet(FigurePtr figure, SheetPtr sheet, NestingMode mode)
{
    if (m_test || !figure || !sheet)
        return false;
    if (mode == NestingMode::AutoForOne && !vrnApi::IsKeyDown(kShiftKey))
        return false;
    m_hodographBuilder.Init(m_figureGap, m_sheetGap, m_params.optimizationMethod, m_testHodograph);
    VectorFigure owned;
    if (!m_filling)
        owned = PlacedOn(sheet);
    const VectorFigure& placed = m_filling ? *m_filling : owned;
    double x0 = 0.0, y0 = 0.0, angle = 0.0;
    figure->GetPlacement(x0, y0, angle);
    const double xStart = x0, yStart = y0;
    std::vector<NPoint> points;
    CandidatePoints(x0, y0, placed, figure, sheet, mode, points);
    const double band = BottomLeftBand(*sheet);
    bool placedWell = MoveToBottomLeft(figure, points, band) && FreeOfOverlaps(figure, placed);
    if (!placedWell && mode != NestingMode::AutoArrange && !points.empty()) {
        // One more try at the same candidates from where the figure stands now.
        placedWell = MoveToBottomLeft(figure, points, band) && FreeOfOverlaps(figure, placed);
    }
    placedWell = placedWell && (mode == NestingMode::AutoArrange || InsideSheet(*figure, *sheet));
    if (placedWell) {
        figure->m_owner = sheet;
        return true;
    }
    // A figure left where its try overlapped would count as lying on the
    // sheet afterwards: it goes back to where it stood.
    figure->m_owner.reset();
    double x1 = 0.0, y1 = 0.0, angle1 = 0.0;
    figure->GetPlacement(x1, y1, angle1);
    figure->SetPlacement(xStart - x1, yStart - y1, 0.0, false);
    return false;
}

bool NestingOptimizer::SetAutoPlacementFigure(FigurePtr figure, NestingMode mode)
{
    if (!figure)
        return true;
    bool roomy = true;
    for (const SheetPtr& sheet : m_sheets) {
        if (!sheet->CheckContainFigureEx(figure, -SheetInset(m_figureGap, m_sheetGap)))
            continue;
        figure->m_owner = sheet;
        figure->ChangeView(ViewOf(sheet), true);
        if (mode >= NestingMode::OffsetLeft) {
            OffsetFigureInSheet(figure, sheet, mode);
            return true;
        }
        if (SetAutoPlacementFigureOnSheet(figure, sheet, mode) || mode != NestingMode::AutoForOne ||
            !vrnApi::IsKeyDown(kShiftKey))
            return true;
        // Asked to find the figure a free position and none was found: left
        // where it overlaps a neighbour, it would spoil the sheet; it goes
        // where the parts without room go.
        if (FreeOfOverlaps(figure, PlacedOn(sheet)) && InsideSheet(*figure, *sheet))
            return true;
        roomy = false;
        break;
    }
    figure->ChangeView(vrnApi::CreateContainerView(NestingModel::m_widthSheet, NestingModel::m_heightSheet), true);
    return roomy;
}

bool NestingOptimizer::OffsetFigureInSheet(FigurePtr figure, SheetPtr sheet, NestingMode mode)
{
    if (!figure || !sheet)
        return false;
    const VectorFigure placed = PlacedOn(sheet);
    NPoint direction;
    switch (mode) {
    case NestingMode::OffsetLeft: direction = {-1.0, 0.0}; break;
    case NestingMode::OffsetRight: direction = {1.0, 0.0}; break;
    case NestingMode::OffsetUp: direction = {0.0, 1.0}; break;
    case NestingMode::OffsetDown: direction = {0.0, -1.0}; break;
    default: return false;
    }
    // The outline stops the edge gap short of the sheet's edge.
    double d = sheet->Distance(*figure, direction);
    const double c = m_sheetGap - EPS;
    d = d > 0.0 ? d - c : d + c;
    for (const FigurePtr& g : placed) {
        if (g == figure)
            continue;
        const double dg = g->Distance(*figure, direction);
        if (std::fabs(dg) > EPS && std::fabs(dg) < std::fabs(d))
            d = dg;
        else if (std::fabs(dg) <= EPS && TouchesAhead(*figure, *g, direction))
            d = 0.0;  // a neighbour it touches already blocks the way: no jumping over it
    }
    if (std::fabs(d) <= EPS)
        return false;
    const double dx = direction.x != 0.0 ? d : 0.0;
    const double dy = direction.y != 0.0 ? d : 0.0;
    figure->SetPlacement(dx, dy, 0.0, false);
    if (!FreeOfOverlaps(figure, placed)) {
        figure->SetPlacement(-dx, -dy, 0.0, false);
        return false;
    }
    return true;
}

void NestingOptimizer::Clear()
{
    m_model.ClearSheets();
    m_model.ClearFigures();
    m_model.ClearWastes();
}
