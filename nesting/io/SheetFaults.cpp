#include "io/SheetFaults.h"

#include "geometry/CutClearance.h"
#include "geometry/RingClearance.h"
#include "geometry/UtilityFunctions.h"
#include "host/BorderRings.h"
#include "host/VarnelAPI.h"
#include "io/RegisterTables.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <iterator>
#include <optional>
#include <set>

namespace {

// Outlines that cross by no more than this stand on each other only as
// curves followed from outside do where they touch: a part is cut within
// half of it of its outline.
constexpr double kOverlapSlack = 0.1;  // mm
// A part this much nearer than a gap stands the gap apart all the same; a
// pair with curves, as much as kBorderSag for each of the two that has them:
// curves are followed within it as parts are placed.
constexpr double kGapTolerance = 0.001;  // mm
constexpr size_t kShown = 5;  // parts or pairs of one sheet named, the rest counted

// The first kShown of `names`, and how many more: "A, B и ещё 3".
std::wstring Shown(const std::vector<std::wstring>& names) { return uf::FirstNames(names, kShown); }

// One part as it is measured: a figure, or a member of a compound figure.
struct Part {
    FigurePtr figure;
    VectorPolygon rings;  // where the part stands in its sheet's view
    SheetPtr sheet;
    size_t group = 0;  // the parts of one figure share it: they are not measured against each other
    bool cut = true;   // cut from its sheet: on it and of its stock
    NRect box;
    // How far the part may stand off its outline rings: they follow arcs
    // from outside, so that a part with arcs may stand that much further
    // from another than its rings do.
    double standoff = 0.0;
    // How far its rings may pass inside its outline (chords of curves other
    // than arcs, dense rings thinned): it may stand that much nearer.
    double inside = 0.0;
    const Figure* compound = nullptr;  // the compound figure the part is a member of
    // The outline as it is cut, where the part stands; read once, when a
    // distance of a part with curves is measured.
    std::optional<std::vector<clearance::CutPiece>> outline;

    bool Curved() const { return standoff > 0.0; }
};

// The rings follow the outline exactly where their length is the cut
// length measured on the curves (lines only); otherwise they stand off it
// by no more than the sag arcs are followed with, and the thinning added.
double Standoff(const Figure& figure)
{
    double rings = 0.0;
    for (const NPolygonPtr& ring : figure.m_borders)
        rings += ring ? ring->CalculateLength() : 0.0;
    const bool exact = std::fabs(rings - figure.m_length) <= 1e-6 + 1e-9 * figure.m_length;
    return exact ? 0.0 : kBorderSag + figure.GapSag();
}

// The rings of a member of a compound figure stand in the compound's own
// frame: they go where the compound stands.
VectorPolygon MemberRings(const Figure& member, const Figure& compound)
{
    double x = 0.0, y = 0.0, angle = 0.0;
    compound.GetPlacement(x, y, angle);
    const double c = std::cos(angle * DR), s = std::sin(angle * DR);
    VectorPolygon rings;
    for (const NPolygonPtr& ring : member.m_borders) {
        if (!ring)
            continue;
        std::vector<NPoint> points;
        points.reserve(ring->m_points.size());
        for (const NPoint& p : ring->m_points)
            points.push_back({x + p.x * c - p.y * s, y + p.x * s + p.y * c});
        rings.push_back(std::make_shared<NPolygon>(NPoint{x, y}, points));
    }
    return rings;
}

// The part's outline as it is cut, where it stands in its sheet's view:
// the rings themselves when they follow it exactly (lines only); empty when
// its curves cannot be read.
const std::vector<clearance::CutPiece>& CutOutline(Part& part)
{
    if (part.outline)
        return *part.outline;
    part.outline.emplace();
    if (!part.Curved()) {
        for (const NPolygonPtr& ring : part.rings)
            clearance::AddRingPieces(ring->m_points, *part.outline);
        return *part.outline;
    }
    if (!part.figure->m_macro)
        return *part.outline;
    std::vector<clearance::CutPiece> own;
    part.figure->m_macro->GetCutPieces(own);
    double x = 0.0, y = 0.0, angle = 0.0, cx = 0.0, cy = 0.0, cangle = 0.0;
    part.figure->GetPlacement(x, y, angle);
    if (part.compound)
        part.compound->GetPlacement(cx, cy, cangle);
    for (const clearance::CutPiece& piece : own)
        part.outline->push_back(clearance::Placed(clearance::Placed(piece, x, y, angle), cx, cy, cangle));
    return *part.outline;
}

// How far apart two parts' outlines stand as they are cut, when below
// `reach` (kFar otherwise); as far as the rings let them where the curves of
// one cannot be read.
double CutDistance(Part& p, Part& q, double reach)
{
    const std::vector<clearance::CutPiece>& a = CutOutline(p);
    const std::vector<clearance::CutPiece>& b = CutOutline(q);
    if (a.empty() || b.empty())
        return clearance::RingsDistance(p.rings, q.rings, reach) + p.standoff + q.standoff;
    return clearance::PiecesDistance(a, b, reach);
}

// The same from a part to its sheet's edge.
double EdgeCutDistance(Part& p, const NPolygon& edge, double reach)
{
    const std::vector<clearance::CutPiece>& a = CutOutline(p);
    if (a.empty())
        return clearance::EdgeDistance(p.rings, edge, reach) + p.standoff;
    std::vector<clearance::CutPiece> sheet;
    clearance::AddRingPieces(edge.m_points, sheet);
    return clearance::PiecesDistance(a, sheet, reach);
}

// How near a part may come to a gap and still be taken to stand it.
double Tolerance(const Part& p, const Part* q = nullptr)
{
    const int curved = (p.Curved() ? 1 : 0) + (q && q->Curved() ? 1 : 0);
    return curved > 0 ? curved * kBorderSag : kGapTolerance;
}

// A distance as the notes show it against its gap: rounded, with as many
// decimals as it takes, from one, to read less than the gap ("5.99 мм при
// зазоре 6 мм").
std::wstring Measured(double mm, double gap)
{
    wchar_t text[64] = {};
    for (int decimals = 1;; ++decimals) {
        std::swprintf(text, std::size(text), L"%.*f", decimals, mm);
        if (decimals >= 6 || std::wcstod(text, nullptr) < gap)
            return text;
    }
}

}  // namespace

void SheetFaults::Clear()
{
    m_overlaps.clear();
    m_close.clear();
    m_edge.clear();
    m_leftOut.clear();
}

void SheetFaults::Read(NestingModel& model)
{
    Clear();
    m_figureGap = model.m_figureGap;
    // A bar of linear nesting is cut from its end, its pieces across its
    // whole width: it keeps no gap to its edge (its panel sets none), only
    // the cut between its pieces.
    m_sheetGap = model.m_nestingMethod == 0 ? model.m_sheetGap : 0.0;
    std::set<const Figure*> notCut;
    // Each object's view asked of the host once.
    std::vector<int> sheetViews;
    for (const SheetPtr& sheet : model.m_sheets)
        sheetViews.push_back(sheet->GetView());
    const registers::SheetsByView sheetOfView(model.m_sheets);
    for (const FigurePtr& figure : model.m_figures) {
        if (!figure)
            continue;
        SheetPtr home;
        bool beyond = false;
        std::optional<int> figureView = figure->GetView();
        for (size_t k = 0; k < model.m_sheets.size(); ++k) {
            const SheetPtr& sheet = model.m_sheets[k];
            if (sheetViews[k] != 0 && sheetViews[k] != *figureView)
                continue;
            if (sheet->HoldsFigure(*figure, sheetViews[k], figureView)) {
                home = sheet;
                beyond = false;
                break;
            }
            if (!home && CheckIntersectRects(sheet->m_rect, figure->m_rectBorder)) {
                home = sheet;
                beyond = true;
            }
        }
        // One standing wholly off the sheet of its view is on that sheet's
        // map all the same (its register lists it there): past its edge.
        if (!home) {
            home = sheetOfView.Of(*figureView);
            beyond = true;
        }
        if (!home || (!beyond && figure->OfStock(model.m_thicknessSheet, NestingModel::m_materialSheet)))
            continue;
        auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(), [&](const LeftOut& entry) { return entry.sheet == home; });
        if (it == m_leftOut.end())
            it = m_leftOut.insert(m_leftOut.end(), LeftOut{home, {}});
        it->parts.emplace_back(figure, beyond);
        notCut.insert(figure.get());
    }

    // The parts on sheets, in the drawing's order.
    std::vector<Part> parts;
    for (size_t k = 0; k < model.m_figures.size(); ++k) {
        const FigurePtr& figure = model.m_figures[k];
        const SheetPtr sheet = figure ? sheetOfView.Of(figure->GetView()) : nullptr;
        if (!sheet)
            continue;  // the container is no sheet
        const bool cut = notCut.count(figure.get()) == 0;
        for (const FigurePtr& member : PartsOf(figure)) {
            if (!member || member->m_borders.empty() || !member->m_borders.front())
                continue;
            VectorPolygon rings = member != figure ? MemberRings(*member, *figure) : member->m_borders;
            const NRect box = clearance::Box(rings);
            parts.push_back({member, std::move(rings), sheet, k, cut, box, Standoff(*member), member->GapSag(),
                             member != figure ? figure.get() : nullptr, std::nullopt});
        }
    }
    std::vector<size_t> order(parts.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t i, size_t j) { return parts[i].box.pBot.x < parts[j].box.pBot.x; });
    const double reach = std::max(m_figureGap, kOverlapSlack);
    std::vector<std::pair<size_t, size_t>> overlapping;  // in the order the sweep meets them
    for (size_t a = 0; a < order.size(); ++a) {
        Part& p = parts[order[a]];
        for (size_t b = a + 1; b < order.size() && parts[order[b]].box.pBot.x <= p.box.pTop.x + reach; ++b) {
            Part& q = parts[order[b]];
            if (q.sheet != p.sheet || q.group == p.group || q.box.pBot.y > p.box.pTop.y + reach ||
                q.box.pTop.y < p.box.pBot.y - reach)
                continue;
            if (clearance::Overlap(p.rings, q.rings, kOverlapSlack)) {
                overlapping.emplace_back(std::min(order[a], order[b]), std::max(order[a], order[b]));
                continue;
            }
            if (!p.cut || !q.cut || m_figureGap <= 0.0)
                continue;
            // The rings stand no nearer than the outlines, but where they
            // pass inside them.
            const double d = clearance::RingsDistance(p.rings, q.rings, m_figureGap);
            if (d - p.inside - q.inside >= m_figureGap - kGapTolerance)
                continue;
            const double measured = p.Curved() || q.Curved() ? CutDistance(p, q, m_figureGap) : d;
            if (measured < m_figureGap - Tolerance(p, &q)) {
                const Part& first = order[a] < order[b] ? p : q;
                const Part& second = order[a] < order[b] ? q : p;
                m_close.push_back({p.sheet, first.figure->GetName() + L" и " + second.figure->GetName(), measured});
            }
        }
    }
    // Each sheet's parts over one another, in the drawing's order.
    std::vector<std::pair<SheetPtr, std::vector<size_t>>> over;
    for (const auto& [i, j] : overlapping) {
        const SheetPtr& sheet = parts[i].sheet;
        auto it = std::find_if(over.begin(), over.end(), [&](const auto& entry) { return entry.first == sheet; });
        if (it == over.end())
            it = over.insert(over.end(), {sheet, {}});
        it->second.insert(it->second.end(), {i, j});
    }
    for (auto& [sheet, indices] : over) {
        std::sort(indices.begin(), indices.end());
        indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
        std::vector<FigurePtr> figures;
        for (const size_t i : indices)
            figures.push_back(parts[i].figure);
        m_overlaps.emplace_back(sheet, std::move(figures));
    }
    if (m_sheetGap > 0.0) {
        for (Part& p : parts) {
            if (!p.cut || !p.sheet->m_polygon)
                continue;
            const double d = clearance::EdgeDistance(p.rings, *p.sheet->m_polygon, m_sheetGap);
            if (d - p.inside >= m_sheetGap - kGapTolerance)
                continue;
            const double measured = p.Curved() ? EdgeCutDistance(p, *p.sheet->m_polygon, m_sheetGap) : d;
            if (measured < m_sheetGap - Tolerance(p))
                m_edge.push_back({p.sheet, p.figure->GetName(), measured});
        }
    }
    // The nearest first on each sheet.
    for (std::vector<Near>* near : {&m_close, &m_edge})
        std::stable_sort(near->begin(), near->end(), [](const Near& x, const Near& y) { return x.distance < y.distance; });
}

std::wstring SheetFaults::OverlapNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    if (m_overlaps.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    for (const SheetPtr& sheet : sheets) {
        const auto it = std::find_if(m_overlaps.begin(), m_overlaps.end(),
                                     [&](const auto& entry) { return entry.first == sheet; });
        if (it == m_overlaps.end())
            continue;
        // The parts, a compound's members each (Read measures them so).
        std::vector<std::wstring> names;
        for (const FigurePtr& part : it->second) {
            if (std::find(names.begin(), names.end(), part->GetName()) == names.end())
                names.push_back(part->GetName());
        }
        text += L"\n" + sheet->m_name + L" (деталей: " + std::to_wstring(it->second.size()) + L"): " + Shown(names);
    }
    return text;
}

std::wstring SheetFaults::LeftOutNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    if (m_leftOut.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    for (const SheetPtr& sheet : sheets) {
        const auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(),
                                     [&](const LeftOut& entry) { return entry.sheet == sheet; });
        if (it == m_leftOut.end())
            continue;
        std::vector<std::wstring> named;
        for (const auto& [figure, beyond] : it->parts) {
            for (const FigurePtr& part : PartsOf(figure))
                named.push_back(part->GetName() + (beyond ? L" (за краем листа)" : L" (другой толщины или материала)"));
        }
        text += L"\n" + sheet->m_name + L": " + Shown(named);
    }
    return text;
}

std::wstring SheetFaults::CloseNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    return NearNote(heading, sheets, m_close, m_figureGap);
}

std::wstring SheetFaults::EdgeNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    return NearNote(heading, sheets, m_edge, m_sheetGap);
}

std::wstring SheetFaults::NearNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets,
                                   const std::vector<Near>& near, double gap)
{
    if (near.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    for (const SheetPtr& sheet : sheets) {
        std::vector<std::wstring> items;
        for (const Near& n : near) {
            if (n.sheet == sheet)
                items.push_back(n.names + L" — " + Measured(n.distance, gap) + L" мм при зазоре " + uf::NumberText(gap) +
                                L" мм");
        }
        if (!items.empty())
            text += L"\n" + sheet->m_name + L": " + uf::FirstNames(items, kShown, L"; ");
    }
    return text;
}

std::wstring LostBridgesNote(const std::wstring& heading, const std::vector<reference>& lost,
                             const std::vector<SheetPtr>& sheets, bool elsewhere)
{
    std::vector<std::pair<int, std::wstring>> bridges;  // view and name
    for (const reference ref : lost) {
        if (const INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(ref))
            bridges.emplace_back(macro->GetMacroViewNumber(), macro->GetName());
    }
    if (bridges.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    const auto line = [&](const std::wstring& lead, const auto& of) {
        std::vector<std::wstring> names;
        for (const auto& [view, name] : bridges) {
            if (of(view))
                names.push_back(name);
        }
        if (names.empty())
            return;
        text += L"\n" + lead + Shown(names);
    };
    for (const SheetPtr& sheet : sheets)
        line(sheet->m_name + L": ", [&](int view) { return view == sheet->GetView(); });
    if (elsewhere)
        line(L"", [&](int view) { return !registers::SheetInView(sheets, view); });
    return text;
}

std::wstring StaleWastesNote(const std::wstring& heading, const NestingModel& model, const std::vector<WastePtr>& wastes,
                             const std::vector<SheetPtr>& sheets)
{
    const std::vector<NestingModel::StaleWaste> stale = model.StaleWastes(wastes);
    if (stale.empty())
        return {};
    const auto size = [](double width, double height) {
        return uf::NumberText(width) + L" × " + uf::NumberText(height) + L" мм";
    };
    std::wstring text;
    for (const SheetPtr& sheet : sheets) {
        // The reasons in the order first met, each with its count.
        std::vector<std::pair<std::wstring, size_t>> reasons;
        for (const NestingModel::StaleWaste& entry : stale) {
            if (entry.sheet != sheet)
                continue;
            const std::wstring why =
                entry.resized ? L"построены для листа " + size(entry.waste->m_builtWidth, entry.waste->m_builtHeight) +
                                    L", лист теперь " + size(sheet->GetWidth(), sheet->GetHeight())
                              : std::wstring(L"построены для прежнего раскроя листа");
            const auto it = std::find_if(reasons.begin(), reasons.end(), [&](const auto& r) { return r.first == why; });
            if (it == reasons.end())
                reasons.emplace_back(why, 1);
            else
                ++it->second;
        }
        for (const auto& [why, count] : reasons)
            text += L"\n" + sheet->m_name + L" — " + std::to_wstring(count) + L" шт.: " + why;
    }
    return text.empty() ? text : L"\n\n" + heading + text;
}
