#include "job_check/JobDrawing.h"

#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "model/NestingModel.h"
#include "vlhost/Driver.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <tuple>

namespace jobcheck {
namespace {

namespace fs = std::filesystem;

// The largest distance of a sampled curve from the curve, mm: small beside
// the 0.05 mm by which the overlap check shrinks the parts.
constexpr double kSag = 0.005;
// Curve ends closer than this meet.
constexpr double kJoin = 1e-3;

// A placement: a turn about the origin by `angle` degrees, then a move.
struct Placement {
    double c = 1.0, s = 0.0, x = 0.0, y = 0.0;

    NPoint Apply(const NPoint& p) const { return {c * p.x - s * p.y + x, s * p.x + c * p.y + y}; }
    // This placement, then `outer`.
    Placement Then(const Placement& outer) const
    {
        const NPoint origin = outer.Apply({x, y});
        return {outer.c * c - outer.s * s, outer.s * c + outer.c * s, origin.x, origin.y};
    }
};

Placement PlacementOf(const vlapi::IMacroObjectPtr& macro)
{
    double x = 0.0, y = 0.0, angle = 0.0;
    int mirrored = 0;
    macro->GetPlacement(x, y, angle, mirrored);
    const double a = angle * M_PI / 180.0;
    return {std::cos(a), std::sin(a), x, y};
}

// From the members of `macro` to its view, through every macro holding it.
Placement ToView(const vlapi::IDrawingObjectPtr& macro)
{
    Placement t;
    for (vlapi::IDrawingObjectPtr at = macro; vlapi::IMacroObjectPtr m{at};) {
        t = t.Then(PlacementOf(m));
        at = vlapi::IDrawingObjectPtr(at->GetParent());
    }
    return t;
}

bool IsOutlineCurve(const vlapi::IDrawingObjectPtr& obj)
{
    switch (obj->GetType()) {
    case vlapi::vlDrDrawText:
    case vlapi::vlDrPoint:
    case vlapi::vlDrHatch:
    case vlapi::vlDrColouring:
    case vlapi::vlDrTable:
    case vlapi::vlDrMacro:
        return false;
    default:
        return obj->IsGeometry();
    }
}

// The curve's points from its start to its end, within kSag of it.
void Sample(vlapi::ICurve2D& curve, double t0, const NPoint& p0, double t1, const NPoint& p1, int depth, Points& out)
{
    const double tm = 0.5 * (t0 + t1);
    NPoint pm;
    curve.GetPoint(tm, pm.x, pm.y);
    const NPoint chord{p1.x - p0.x, p1.y - p0.y};
    const double length = std::hypot(chord.x, chord.y);
    const double off = length > 0 ? std::fabs(chord.x * (pm.y - p0.y) - chord.y * (pm.x - p0.x)) / length
                                   : std::hypot(pm.x - p0.x, pm.y - p0.y);
    if (depth < 20 && (depth < 3 || off > kSag)) {
        Sample(curve, t0, p0, tm, pm, depth + 1, out);
        Sample(curve, tm, pm, t1, p1, depth + 1, out);
        return;
    }
    out.push_back(p1);
}

struct Piece {
    vlapi::IDrawingObjectPtr object;
    Points points;      // from its start to its end
    NPoint start, end;  // its ends in its macro's own coordinates
};

Piece SamplePiece(const vlapi::IDrawingObjectPtr& obj, const Placement& t)
{
    Piece piece{obj, {}, {}, {}};
    vlapi::ICurve2DPtr curve = obj->GetCurve();
    if (!curve)
        return piece;
    const double t0 = curve->GetParamMin(), t1 = curve->GetParamMax();
    NPoint p0, p1;
    curve->GetPoint(t0, p0.x, p0.y);
    curve->GetPoint(t1, p1.x, p1.y);
    piece.start = p0;
    piece.end = p1;
    Points local{p0};
    if (obj->GetType() == vlapi::vlDrLineSeg) {
        local.push_back(p1);
    } else {
        // A chain of curves (a contour, a polyline) runs over one unit of its
        // parameter per curve: each unit is sampled on its own, so that every
        // corner of the chain is a point of it.
        constexpr double kMostUnits = 1e6;
        double from = t0;
        NPoint at = p0;
        for (double k = std::floor(t0) + 1.0; k < t1 && k - t0 < kMostUnits; k += 1.0) {
            NPoint corner;
            curve->GetPoint(k, corner.x, corner.y);
            Sample(*curve.get(), from, at, k, corner, 0, local);
            from = k;
            at = corner;
        }
        Sample(*curve.get(), from, at, t1, p1, 0, local);
    }
    for (const NPoint& p : local)
        piece.points.push_back(t.Apply(p));
    return piece;
}

bool Near(const NPoint& a, const NPoint& b) { return std::hypot(a.x - b.x, a.y - b.y) < kJoin; }

// How far p lies from the segment a-b.
double DistanceToSegment(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

double Measure(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<vlapi::IDrawingObjectPtr>& objects)
{
    vlapi::IInertiaPropertiesPtr properties(doc->CreateAPIObject(vlapi::vlObjectInertiaProperties));
    vlapi::IInertiaPropertiesCalculateParamPtr param(doc->CreateAPIObject(vlapi::vlObjectInertiaPropertiesCalculateParam));
    vlapi::IMath2DPtr math = application->GetMath2D();
    if (!properties || !param || !math)
        return 0.0;
    if (!math->CalculateInertiaProperties(vlapi::APIObjectList(objects.begin(), objects.end()), properties.get(),
                                          param.get()))
        return 0.0;
    return properties->GetArea();
}

// The library takes a curve closed on itself for a point (a centre mark, no
// hole) when the host's box of it is smaller than this across, and reads a
// larger one as a ring, however few of its samples stand that far apart.
constexpr double kPointRing = 1e-3;

bool PointSized(const vlapi::IVarnelDocument2DPtr& doc, const Piece& piece)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (!doc || !piece.object || !doc->GetObjectsBox({piece.object}, x1, y1, x2, y2))
        return false;
    // Smaller by more than the rounding of the coordinates, as the library
    // takes it: circles of one radius are all points or all rings.
    const double far = std::max({1.0, std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)});
    const double size = kPointRing - 64.0 * std::numeric_limits<double>::epsilon() * far;
    return x2 - x1 < size && y2 - y1 < size;
}

// Curve ends that the host takes for one point; two pieces of an outline
// meeting farther apart are bridged for it to measure them.
constexpr double kHostJoin = 1e-5;

// Whether a piece keeps within `within` of the line between its ends.
bool Straight(const Points& points, double within = kJoin)
{
    return std::all_of(points.begin(), points.end(), [&](const NPoint& p) {
        return DistanceToSegment(p, points.front(), points.back()) < within;
    });
}

// The joints of the pieces' ends (2k the start of piece k, 2k + 1 its end).
// Ends at the very same point are one joint, however many meet there. An
// end left without a fellow there joins the nearest such end closer than
// kJoin (nearest pairs first): pieces a hair apart. A piece that is a
// point (its ends within kJoin, straight) joins the joints of its ends, the
// shortest first, while the ends of the joint all lie within kJoin of one
// another: a vertex repeated a hair away is one joint, yet a run of such
// pieces longer than kJoin (a densely sampled curve) keeps its way.
std::vector<size_t> Joints(const std::vector<Piece>& pieces)
{
    const size_t ends = 2 * pieces.size();
    const auto at = [&](size_t e) -> const NPoint& {
        const Points& points = pieces[e / 2].points;
        return e % 2 ? points.back() : points.front();
    };
    const auto valid = [&](size_t e) { return pieces[e / 2].points.size() >= 2; };
    std::vector<size_t> parent(ends);
    std::iota(parent.begin(), parent.end(), size_t{0});
    const auto root = [&](size_t e) {
        while (parent[e] != e)
            e = parent[e] = parent[parent[e]];
        return e;
    };
    // Sites: the ends at one point, under their first end.
    std::map<std::pair<double, double>, std::vector<size_t>> sites;
    for (size_t e = 0; e < ends; ++e) {
        if (valid(e))
            sites[{at(e).x + 0.0, at(e).y + 0.0}].push_back(e);
    }
    std::vector<size_t> odd;
    for (const auto& [point, members] : sites) {
        for (size_t e : members)
            parent[e] = members.front();
        if (members.size() % 2)
            odd.push_back(members.front());
    }
    std::sort(odd.begin(), odd.end());
    using Cell = std::pair<long long, long long>;
    const auto cellOf = [](const NPoint& p) {
        return Cell{static_cast<long long>(std::floor(p.x / kJoin)), static_cast<long long>(std::floor(p.y / kJoin))};
    };
    std::map<Cell, std::vector<size_t>> cells;
    std::vector<std::tuple<double, size_t, size_t>> meetings;
    for (size_t e : odd) {
        const Cell c = cellOf(at(e));
        for (long long dx = -1; dx <= 1; ++dx) {
            for (long long dy = -1; dy <= 1; ++dy) {
                const auto it = cells.find({c.first + dx, c.second + dy});
                if (it == cells.end())
                    continue;
                for (size_t f : it->second) {
                    if (Near(at(e), at(f)))
                        meetings.emplace_back(std::hypot(at(e).x - at(f).x, at(e).y - at(f).y), f, e);
                }
            }
        }
        cells[c].push_back(e);
    }
    std::sort(meetings.begin(), meetings.end());
    std::vector<NPoint> low(ends), high(ends);  // the box of a joint's ends, under its root
    for (size_t e = 0; e < ends; ++e) {
        if (valid(e))
            low[e] = high[e] = at(e);
    }
    const auto join = [&](size_t a, size_t b, const NPoint& lo, const NPoint& hi) {
        a = root(a);
        b = root(b);
        const size_t r = std::min(a, b);
        parent[std::max(a, b)] = r;
        low[r] = lo;
        high[r] = hi;
    };
    const auto box = [&](size_t a, size_t b) {
        a = root(a);
        b = root(b);
        return std::pair{NPoint{std::min(low[a].x, low[b].x), std::min(low[a].y, low[b].y)},
                         NPoint{std::max(high[a].x, high[b].x), std::max(high[a].y, high[b].y)}};
    };
    std::vector<bool> met(ends, false);
    for (const auto& [distance, a, b] : meetings) {
        if (met[a] || met[b])
            continue;
        met[a] = met[b] = true;
        const auto [lo, hi] = box(a, b);
        join(a, b, lo, hi);
    }
    std::vector<std::pair<double, size_t>> points;
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Points& p = pieces[k].points;
        if (p.size() >= 2 && Near(p.front(), p.back()) && Straight(p))
            points.emplace_back(std::hypot(p.back().x - p.front().x, p.back().y - p.front().y), k);
    }
    std::sort(points.begin(), points.end());
    for (const auto& [length, k] : points) {
        if (root(2 * k) == root(2 * k + 1))
            continue;
        const auto [lo, hi] = box(2 * k, 2 * k + 1);
        if (std::hypot(hi.x - lo.x, hi.y - lo.y) < kJoin)
            join(2 * k, 2 * k + 1, lo, hi);
    }
    for (size_t e = 0; e < ends; ++e)
        parent[e] = root(e);
    return parent;
}

// The host takes curve ends this near in each coordinate for one point, and
// a curve so short for closed on itself, chaining it to nothing.
constexpr double kHostPoint = 1e-4;

bool HostJoins(const NPoint& a, const NPoint& b)
{
    return std::fabs(a.x - b.x) <= kHostPoint && std::fabs(a.y - b.y) <= kHostPoint;
}

// One piece of a ring in the ring's order.
struct Step {
    size_t piece;
    bool reverse;
};

// The area of a closed ring of pieces, measured by the host on the pieces
// themselves, with temporary lines (in `container`, the pieces' own) across
// the joints whose ends it would not take for one point. A stretch of
// pieces each too short for the host to chain (a run of near-repeated
// vertices, a densely sampled curve) is measured by temporary lines between
// its vertices the host tells apart, and what they leave out is added.
double MeasureRing(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IDrawingContainerPtr& container,
                   const std::vector<Piece>& pieces, const std::vector<Step>& ring)
{
    std::vector<vlapi::IDrawingObjectPtr> objects, bridges;
    const auto line = [&](const NPoint& from, const NPoint& to) {
        if (!container)
            return;
        vlapi::ILineSegmentPtr made(container->GetCollection(vlapi::vlDrLineSeg)->Add());
        if (!made)
            return;
        made->SetX1(from.x);
        made->SetY1(from.y);
        made->SetX2(to.x);
        made->SetY2(to.y);
        made->Update();
        objects.emplace_back(made);
        bridges.emplace_back(made);
    };
    const auto from = [&](const Step& s) { return s.reverse ? pieces[s.piece].end : pieces[s.piece].start; };
    const auto to = [&](const Step& s) { return s.reverse ? pieces[s.piece].start : pieces[s.piece].end; };
    // A piece alone in its ring is closed on itself (a circle), not short.
    const auto isShort = [&](const Step& s) {
        return ring.size() > 1 && HostJoins(from(s), to(s)) && Straight(pieces[s.piece].points);
    };
    double left = 0.0;  // twice the area the lines leave out, counter-clockwise positive
    double turn = 0.0;  // twice the area of the ring's chords
    const NPoint origin = from(ring.front());
    const auto cross = [&](const NPoint& a, const NPoint& b) {
        return (a.x - origin.x) * (b.y - origin.y) - (b.x - origin.x) * (a.y - origin.y);
    };
    std::vector<NPoint> stretch;
    const auto flush = [&]() {
        if (stretch.empty())
            return;
        std::vector<NPoint> kept{stretch.front()};
        for (size_t k = 1; k < stretch.size(); ++k) {
            if (k + 1 == stretch.size() && kept.size() > 1 && HostJoins(kept.back(), stretch[k]))
                kept.back() = stretch[k];
            else if (!HostJoins(kept.back(), stretch[k]))
                kept.push_back(stretch[k]);
        }
        for (size_t k = 1; k < stretch.size(); ++k)
            left += cross(stretch[k - 1], stretch[k]);
        for (size_t k = 1; k < kept.size(); ++k) {
            left -= cross(kept[k - 1], kept[k]);
            line(kept[k - 1], kept[k]);
        }
        stretch.clear();
    };
    size_t first = 0;
    while (first < ring.size() && isShort(ring[first]))
        ++first;
    const size_t start = first < ring.size() ? first : 0;
    for (size_t n = 0; n < ring.size(); ++n) {
        const Step& s = ring[(start + n) % ring.size()];
        const Step& next = ring[(start + n + 1) % ring.size()];
        turn += cross(from(s), to(s));
        if (isShort(s)) {
            if (stretch.empty())
                stretch.push_back(from(s));
            stretch.push_back(to(s));
            continue;
        }
        if (!stretch.empty()) {
            stretch.push_back(from(s));
            flush();
        }
        objects.push_back(pieces[s.piece].object);
        if (isShort(next))
            stretch.push_back(to(s));
        else if (std::hypot(from(next).x - to(s).x, from(next).y - to(s).y) >= kHostJoin)
            line(to(s), from(next));
    }
    if (!stretch.empty()) {
        stretch.push_back(from(ring[start]));
        flush();
    }
    double area = Measure(doc, objects);
    if (left != 0.0)
        area = std::fabs(area + 0.5 * (turn < 0.0 ? -left : left));
    for (const vlapi::IDrawingObjectPtr& made : bridges)
        made->Delete();
    return area;
}

// The closed outlines the pieces make, each piece used once, chained from
// joint to joint: a piece from a joint to itself that keeps within the
// host's point tolerance of the line between its ends is a point and bounds
// nothing (a line of no length, or one shorter than a joint, wherever the
// outline starts), and so is a closed one smaller than a point ring; any
// other is a ring of its own (a circle). The host measures each ring on its
// pieces, with temporary lines (in `container`, the pieces' own) across the
// joints whose ends it would not take for one point.
Outline Chain(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IDrawingContainerPtr& container,
              const std::vector<Piece>& pieces)
{
    Outline outline;
    const std::vector<size_t> joint = Joints(pieces);
    const auto closedOnItself = [&](size_t k) { return joint[2 * k] == joint[2 * k + 1]; };
    std::vector<bool> used(pieces.size(), false);
    std::map<size_t, std::vector<size_t>> at;  // the pieces at each joint, in order
    for (size_t k = 0; k < pieces.size(); ++k) {
        const Points& points = pieces[k].points;
        if (points.size() < 2 || (closedOnItself(k) && (Straight(points, kHostPoint) || PointSized(doc, pieces[k])))) {
            used[k] = true;
            continue;
        }
        at[joint[2 * k]].push_back(k);
        at[joint[2 * k + 1]].push_back(k);
    }
    for (size_t start = 0; start < pieces.size(); ++start) {
        if (used[start])
            continue;
        used[start] = true;
        Points ring = pieces[start].points;
        std::vector<Step> steps{{start, false}};
        size_t tail = joint[2 * start + 1];
        bool closed = closedOnItself(start);
        while (!closed) {
            size_t next = pieces.size();
            for (size_t k : at[tail]) {
                if (!used[k]) {
                    next = k;
                    break;
                }
            }
            if (next == pieces.size())
                break;
            used[next] = true;
            const Piece& piece = pieces[next];
            const bool reverse = joint[2 * next] != tail;
            Points add = piece.points;
            if (reverse)
                std::reverse(add.begin(), add.end());
            ring.insert(ring.end(), add.begin() + 1, add.end());
            steps.push_back({next, reverse});
            tail = joint[2 * next + (reverse ? 0 : 1)];
            closed = tail == joint[2 * start];
        }
        if (!closed) {
            outline.open.push_back(std::move(ring));
            continue;
        }
        ring.pop_back();
        outline.rings.push_back({std::move(ring), MeasureRing(doc, container, pieces, steps)});
    }
    std::stable_sort(outline.rings.begin(), outline.rings.end(),
                     [](const Ring& a, const Ring& b) { return a.area > b.area; });
    return outline;
}

// The outline of a library macro: its curves on layer 0 (a figure's cut
// outline), or on any layer, in view coordinates.
Outline OutlineOf(const vlapi::IVarnelDocument2DPtr& doc, reference ref, bool layerZero)
{
    vlapi::IDrawingObjectPtr macro(hostAccess::ObjectOf(doc, ref));
    if (!vlapi::IMacroObjectPtr(macro))
        return {};
    const Placement t = ToView(macro);
    std::vector<Piece> pieces;
    for (const vlapi::IDrawingObjectPtr& obj : vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlAllObj})) {
        if (obj && IsOutlineCurve(obj) && (!layerZero || obj->GetLayer() == 0))
            pieces.push_back(SamplePiece(obj, t));
    }
    return Chain(doc, vlapi::IDrawingContainerPtr(macro), pieces);
}

std::vector<std::vector<std::wstring>> Cells(const vlapi::ITablePtr& table)
{
    std::vector<std::vector<std::wstring>> rows;
    for (int r = 0; r < table->GetRowsCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < table->GetColumnsCount(); ++c) {
            vlapi::ITableCellPtr cell = table->GetCell(r, c);
            vlapi::ITextPtr text = cell ? vlapi::ITextPtr(cell->GetText()) : vlapi::ITextPtr{};
            rows.back().push_back(text ? text->GetText() : std::wstring());
        }
    }
    return rows;
}

// Every table of the drawing, in its views and their macros, in order.
void CollectTables(const vlapi::IDrawingContainerPtr& container, Job& job)
{
    for (const vlapi::IDrawingObjectPtr& obj : container->GetObjects({vlapi::vlAllObj})) {
        if (obj->GetType() == vlapi::vlDrTable)
            job.tables.push_back(Cells(vlapi::ITablePtr(obj)));
        else if (vlapi::IDrawingContainerPtr inner{obj})
            CollectTables(inner, job);
    }
}

// Every cell of every page's title block that holds a text.
void CollectTitleBlocks(const vlapi::IVarnelDocument2DPtr& doc, Job& job)
{
    vlapi::ILayoutSheetsPtr pages = doc->GetLayoutSheets();
    for (int i = 0; pages && i < pages->GetCount(); ++i) {
        vlapi::ILayoutSheetPtr page = pages->GetItem(i);
        vlapi::IStampPtr stamp = page ? page->GetStamp() : vlapi::IStampPtr{};
        std::map<int, std::wstring>& cells = job.titleBlocks.emplace_back();
        for (int cell : stamp ? stamp->GetCellNumbers() : std::vector<int>{}) {
            if (vlapi::ITextPtr text = stamp->GetCellText(cell))
                cells[cell] = text->GetText();
        }
    }
}

void CollectLayers(const vlapi::IViewPtr& view, Job& job)
{
    vlapi::ILayersPtr layers = view ? view->GetLayers() : vlapi::ILayersPtr{};
    for (int i = 0; layers && i < layers->GetCount(); ++i) {
        if (vlapi::ILayerPtr layer{layers->GetItem(i)})
            job.layers.push_back("view " + std::to_string(view->GetNumber()) + ": " + Utf8(layer->GetName()) +
                                 ", colour " + std::to_string(layer->GetColor()) +
                                 (layer->GetVisible() ? ", shown" : ", hidden"));
    }
}

void ReadModel(const vlapi::IVarnelDocument2DPtr& doc, Job& job)
{
    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.InitFiguresFromActiveDoc(nullptr);
    model.InitWastesFromActiveDoc();
    model.InitJumpersFromActiveDoc();
    model.CalculateNestingResult();
    job.method = model.m_nestingMethod;
    size_t offset = 0;
    model.SaveModelParams(job.params, offset);
    job.figureGap = model.m_figureGap;
    job.sheetGap = model.m_sheetGap;
    job.sheetThickness = model.m_thicknessSheet;
    job.sheetMaterial = NestingModel::m_materialSheet;
    job.barSized = model.m_barSized;
    for (size_t i = 0; i < model.m_sheets.size(); ++i) {
        const SheetPtr& sheet = model.m_sheets[i];
        SheetRecord r;
        r.name = sheet->GetName();
        r.view = sheet->GetView();
        vlapi::IViewPtr view = doc->GetViewsAndLayersManager()->GetViews()->GetView(r.view);
        r.scale = view ? view->GetScale() : 1.0;
        r.rect = sheet->GetGabarit();
        r.count = sheet->m_count;
        if (i < model.m_result.sheet_results.size()) {
            const SheetResult& result = model.m_result.sheet_results[i];
            r.sheetArea = result.sheetArea;
            r.figuresArea = result.figuresArea;
            r.utilisation = result.KIM;
        }
        job.sheets.push_back(r);
    }
    job.utilisation = model.m_result.KIM;
    auto sheetOf = [&](int view) {
        for (size_t i = 0; i < job.sheets.size(); ++i)
            if (job.sheets[i].view == view)
                return static_cast<int>(i);
        return -1;
    };
    auto addPart = [&](const FigurePtr& figure, const std::wstring& compound, int view) {
        PartRecord p;
        p.name = figure->GetName();
        p.view = view;
        p.sheet = sheetOf(view);
        figure->GetPlacement(p.x, p.y, p.angle);
        p.count = figure->GetCount();
        p.thickness = figure->GetThickness();
        p.material = figure->GetMaterial();
        p.compound = compound;
        p.outline = OutlineOf(doc, figure->GetReference(), true);
        job.parts.push_back(std::move(p));
    };
    for (const FigurePtr& figure : model.m_figures) {
        if (auto compound = std::dynamic_pointer_cast<CompoundFigure>(figure)) {
            for (const FigurePtr& member : compound->m_figures)
                addPart(member, compound->GetName(), compound->GetView());
        } else {
            addPart(figure, L"", figure->GetView());
        }
    }
    for (const WastePtr& waste : model.m_wastes)
        job.remnants.push_back({waste->m_name, waste->GetView(), waste->m_method, OutlineOf(doc, waste->GetReference(), false)});
    for (const JumperPtr& jumper : model.m_jumpers)
        job.bridges.push_back({jumper->GetName(), jumper->GetType(), jumper->GetView(), jumper->GetWidth(),
                               jumper->GetPoint1(), jumper->GetPoint2()});
    model.ClearFigures();
    model.ClearSheets();
}

}  // namespace

std::string Utf8(const std::wstring& text) { return vlhost::Host::Utf8(text); }

struct Reader::State {
    fs::path root;
    vlhost::Host host;
    vlhost::Driver user;

    explicit State(const fs::path& folder) : root(folder), host(folder), user(host) {}
};

Reader::Reader()
{
    const fs::path root = fs::temp_directory_path() / (std::string("job_check-") + std::to_string(getpid()));
    fs::remove_all(root);
    m_state = new State(root);
    m_state->user.Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary);
}

Reader::~Reader()
{
    m_state->user.Unload();
    const fs::path root = m_state->root;
    delete m_state;
    std::error_code ec;
    fs::remove_all(root, ec);
}

vlhost::Host& Reader::Host() { return m_state->host; }

bool Reader::Read(const fs::path& drawing, Job& job, std::string& error)
{
    job = {};
    if (!m_state->user.Loaded()) {
        error = std::string("the library did not load: ") + m_state->user.LoadError();
        return false;
    }
    vlapi::IVarnelDocument2DPtr doc(m_state->user.Open(drawing));
    if (!doc) {
        error = std::string("cannot open ") + drawing.string() + ": " + Utf8(m_state->host.State().errorText);
        return false;
    }
    ReadModel(doc, job);
    std::vector<vlapi::IViewPtr> views;
    vrnApi::GetAllViews(doc, views);
    for (const vlapi::IViewPtr& view : views) {
        CollectTables(vlapi::IDrawingContainerPtr(view), job);
        CollectLayers(view, job);
    }
    CollectTitleBlocks(doc, job);
    doc->Close(0);
    return true;
}

bool Reader::RunAndSave(const fs::path& drawing, int command, const fs::path& copy, std::string& error)
{
    vlapi::IVarnelDocument2DPtr doc(m_state->user.Open(drawing));
    if (!doc) {
        error = std::string("cannot open ") + drawing.string();
        return false;
    }
    m_state->user.Command(command);
    const bool saved = m_state->user.Save(copy);
    if (!saved)
        error = std::string("cannot save ") + copy.string();
    doc->Close(0);
    return saved;
}

bool Reader::ReadTable(const fs::path& file, std::vector<std::vector<std::wstring>>& cells)
{
    vlapi::IVarnelDocument2DPtr doc(m_state->host.Open(file, false));
    if (!doc)
        return false;
    Job job;
    std::vector<vlapi::IViewPtr> views;
    vrnApi::GetAllViews(doc, views);
    for (const vlapi::IViewPtr& view : views)
        CollectTables(vlapi::IDrawingContainerPtr(view), job);
    doc->Close(0);
    if (job.tables.empty())
        return false;
    cells = job.tables.front();
    return true;
}

int Reader::CountOf(const fs::path& fragment)
{
    vlapi::IVarnelDocumentPtr doc = m_state->host.Open(fragment, false);
    if (!doc)
        return 0;
    const double count = vrnApi::GetPropertyFromDocument(vrnApi::LoadStr(IDS_COPY_COUNT));
    doc->Close(0);
    return count >= 1.0 ? static_cast<int>(count) : 1;
}

}  // namespace jobcheck
