// A figure's outline rings, read from its macro, and its gap and control
// polygons, offset by the host.
#include "model/NestingFigure.h"

#include "geometry/DentEntry.h"
#include "geometry/RingArea.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kControlInset = 0.1;  // control polygons lie this far inside the gap polygons, mm
constexpr double kLargestSag = 1.0;    // mm: a stored sag beyond it is no sag of ours
// A corner of a gap polygon that reaches further than this many offsets from
// the outline's corner is cut square.
constexpr double kSharpMitre = 2.0;

// Rings made by the host turn about the origin; the figure turns them about
// its macro's reference point, as the host turns the macro.
void SetPoles(const VectorPolygon& polygons, const NPoint& pole)
{
    for (const NPolygonPtr& polygon : polygons)
        polygon->m_pole = pole;
}

NPoint LowerCorner(const NPolygon& polygon)
{
    NPoint corner = polygon.m_points.empty() ? NPoint{} : polygon.m_points.front();
    for (const NPoint& p : polygon.m_points) {
        corner.x = std::min(corner.x, p.x);
        corner.y = std::min(corner.y, p.y);
    }
    return corner;
}

NPoint MacroPoint(const INestingMacroObjectPtr& macro)
{
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    macro->GetMacroPlacement(x, y, angle);
    return {x, y};
}

// Near-axis edges made exact where that moves no vertex into the part:
// Simplify keeps the material on the left of every edge, so the rings are
// oriented (and cleaned) first, and what the straightening repeats or lines
// up goes afterwards.
void StraightenOutlines(VectorPolygon& rings)
{
    CleanOutlines(rings);
    for (const NPolygonPtr& ring : rings) {
        ring->Simplify();
        ring->UpdateGabarit();
    }
    CleanOutlines(rings);
}

// The gap polygons enclose what they stand around: a vertex goes only where
// the ring runs on without it outside the material (no cut), as the outline's
// own cleaning already took what a hair's breadth off a line may go. Cut
// again, a curve drawn in steps shorter than the point tolerance would lose
// up to that much at every pass, and the part would stand out of the sheet
// edge its gap polygon touches. The outer ring comes first.
void CleanGapPolygons(const VectorPolygon& offsets, VectorPolygon& gaps)
{
    const auto clean = [](NPolygon& ring, bool solid) {
        const bool kept = CleanOutline(ring.m_points, solid);
        ring.UpdateGabarit();
        return kept;
    };
    for (size_t k = 0; k < offsets.size(); ++k) {
        const NPolygonPtr& ring = offsets[k];
        if (!ring)
            continue;
        if (clean(*ring, k == 0))
            ring->Simplify();
        if (clean(*ring, k == 0))
            gaps.push_back(ring);
        else if (k == 0)
            return;  // an outer ring that bounds nothing: no gap polygons
    }
}

// The outer gap polygon starts at its lowest vertex and runs the CheckDirection
// way; every further one runs the other way.
void OrientGapPolygons(const VectorPolygon& gaps)
{
    NPolygon& outer = *gaps.front();
    outer.ChangeFirstPoint(outer.FindFirstIndexMinimumY());
    if (!outer.CheckDirection())
        outer.Invert();
    for (size_t i = 1; i < gaps.size(); ++i) {
        if (gaps[i]->CheckDirection())
            gaps[i]->Invert();
    }
}

// The offset lines of a sharp corner of the outline meet far out (ten half
// gaps at a 11° point): the outer ring's sharp corners are cut square where
// the offset would end if it were rounded about the outline's corner, `reach`
// beyond it, so that a pointed part keeps its gap and no more. The cut meets
// both edges of the corner; a corner whose edges are shorter is kept.
void CutSharpCorners(NPolygon& ring, double reach)
{
    std::vector<NPoint>& v = ring.m_points;
    const size_t n = v.size();
    if (n < 3 || !(reach > 0.0))
        return;
    const double turn = ring.CheckDirection() ? 1.0 : -1.0;  // a convex corner turns this way
    std::vector<NPoint> cut;
    cut.reserve(n + 4);
    for (size_t i = 0; i < n; ++i) {
        const NPoint& p = v[(i + n - 1) % n];
        const NPoint& m = v[i];
        const NPoint& q = v[(i + 1) % n];
        const double l1 = Distance(p, m), l2 = Distance(m, q);
        if (l1 < EPS || l2 < EPS) {
            cut.push_back(m);
            continue;
        }
        const NPoint u1{(m.x - p.x) / l1, (m.y - p.y) / l1};
        const NPoint u2{(q.x - m.x) / l2, (q.y - m.y) / l2};
        const double cross = u1.x * u2.y - u1.y * u2.x;
        const double halfSine = std::sqrt(std::max(0.0, 0.5 * (1.0 - (u1.x * u2.x + u1.y * u2.y))));  // sin of half the turn
        const double halfCosine = std::sqrt(std::max(0.0, 1.0 - halfSine * halfSine));  // sin of half the corner
        // The corner's point stands reach / sin(half the corner) off the outline's corner.
        if (cross * turn <= 0.0 || halfCosine * kSharpMitre >= 1.0) {
            cut.push_back(m);
            continue;
        }
        const double along = (reach / halfCosine - reach) / halfSine;  // from the point to the cut, along each edge
        if (along >= l1 || along >= l2) {
            cut.push_back(m);
            continue;
        }
        cut.push_back({m.x - u1.x * along, m.y - u1.y * along});
        cut.push_back({m.x + u2.x * along, m.y + u2.y * along});
    }
    v = std::move(cut);
    ring.UpdateGabarit();
}

// The offset lines of a convex corner meet in a mitre, which stands past the
// round of the gap about the outline's corner: a part turned so that such a
// corner is its lowest point stands higher than its gap by up to 0.41 of the
// gap's half at a right angle (and by up to the half at a sharp corner cut
// square). The corner follows that round instead, on its tangents at every
// multiple of a step of 45° / k between its edges' normals: the gap
// polygon's extent in each of those directions (the axes and the diagonals
// among them, whatever turn by 45° the part is tried in) is the outline's
// and the gap exactly, and elsewhere it stands past the round by no more
// than curves are followed with (the configured precision; k at most 4).
constexpr int kRoundSteps = 4;

double RoundStep(double reach)
{
    const double precision = NestingSetting::m_instance.m_tolerance;
    int k = 1;
    while (k < kRoundSteps && !(reach * (1.0 / std::cos(0.5 * 45.0 * DR / k) - 1.0) <= precision))
        ++k;
    return 45.0 * DR / k;
}

// The outline vertices a corner's round may be centred on, sorted by x (the
// outline whose notches are closed before it is offset has no others).
class CornerCentres {
public:
    explicit CornerCentres(const VectorPolygon& rings)
    {
        for (const NPolygonPtr& ring : rings)
            if (ring)
                m_points.insert(m_points.end(), ring->m_points.begin(), ring->m_points.end());
        std::sort(m_points.begin(), m_points.end(), [](const NPoint& a, const NPoint& b) { return a.x < b.x; });
    }
    // The vertex nearest to `p` within `tol`, if any.
    std::optional<NPoint> Nearest(const NPoint& p, double tol) const
    {
        auto it = std::lower_bound(m_points.begin(), m_points.end(), p.x - tol,
                                   [](const NPoint& a, double x) { return a.x < x; });
        std::optional<NPoint> best;
        for (; it != m_points.end() && it->x <= p.x + tol; ++it)
            if (Distance(*it, p) <= tol && (!best || Distance(*it, p) < Distance(*best, p)))
                best = *it;
        return best;
    }

private:
    std::vector<NPoint> m_points;
};

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }

// A convex corner of an offset ring as it follows the round.
struct Round {
    NPoint corner;               // the outline's corner it is centred on
    std::vector<NPoint> points;  // from the incoming edge to the outgoing one
    double in = 0.0, out = 0.0;  // how much of each edge it takes from the ring's corner
};

// One ring of an offset list with the rounds its corners may take; its
// points run with the material on their left.
struct RoundedRing {
    NPolygon* ring = nullptr;
    bool materialLeft = true;
    std::vector<NPoint> points;
    std::vector<std::optional<Round>> rounds;
};

// The rounds of the convex corners of `ring` (those turning towards the
// material, which lies on the left with `materialLeft`, on the right
// otherwise) that are mitres of an outline corner at `reach` from it. A
// corner keeps its mitre where its outline corner is not found among
// `centres`, where its edges are too short for the round, or where some
// vertex of `rings` (the list the ring belongs to) stands in the corner that
// the round cuts off.
RoundedRing PlanRounds(NPolygon& ring, bool materialLeft, double reach, double step, const CornerCentres& centres,
                       const VectorPolygon& rings)
{
    RoundedRing plan{&ring, materialLeft, ring.m_points, {}};
    std::vector<NPoint>& v = plan.points;
    const size_t n = v.size();
    plan.rounds.resize(n);
    if (n < 3 || !(reach > EPS))
        return plan;
    if (!materialLeft)
        std::reverse(v.begin(), v.end());
    // An angle this near an edge's normal gives the round no tangent of its own.
    const double margin = std::min(0.25 * step, EPS / reach);
    for (size_t i = 0; i < n; ++i) {
        const NPoint& p = v[(i + n - 1) % n];
        const NPoint& m = v[i];
        const NPoint& q = v[(i + 1) % n];
        const double l1 = Distance(p, m), l2 = Distance(m, q);
        if (l1 < EPS || l2 < EPS)
            continue;
        const NPoint u1{(m.x - p.x) / l1, (m.y - p.y) / l1};
        const NPoint u2{(q.x - m.x) / l2, (q.y - m.y) / l2};
        const double turn = std::atan2(Cross(u1, u2), u1.x * u2.x + u1.y * u2.y);
        if (!(turn > 0.0) || turn > PI - 1e-6)
            continue;
        const double from = std::atan2(-u1.x, u1.y);  // the incoming edge's outer normal
        const double to = from + turn;
        std::vector<double> directions{from};
        for (double k = std::ceil((from + margin) / step); k * step < to - margin; k += 1.0)
            directions.push_back(k * step);
        directions.push_back(to);
        // With no tangent of the round between its edges, the mitre stands
        // no further past the round than the tangents would.
        if (directions.size() == 2)
            continue;
        // The outline's corner, where the mitre came from.
        const double bisector = from + 0.5 * turn;
        const double apart = reach / std::cos(0.5 * turn);
        const NPoint centre{m.x - apart * std::cos(bisector), m.y - apart * std::sin(bisector)};
        const std::optional<NPoint> corner = centres.Nearest(centre, EPS);
        if (!corner)
            continue;
        // The mitre was made at a reach that differs from this one by no more
        // than the corner lies off where it was looked for: the round keeps
        // that much more.
        const double radius = reach + 2.0 * Distance(*corner, centre);
        Round round{*corner, {}, 0.0, 0.0};
        for (size_t k = 0; k + 1 < directions.size(); ++k) {
            const double half = 0.5 * (directions[k + 1] - directions[k]);
            const double r = radius / std::cos(half);
            const double a = directions[k] + half;
            round.points.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
        const NPoint& a = round.points.front();
        const NPoint& b = round.points.back();
        round.in = (m.x - a.x) * u1.x + (m.y - a.y) * u1.y;
        round.out = (b.x - m.x) * u2.x + (b.y - m.y) * u2.y;
        if (round.in < 0.0 || round.out < 0.0 || round.in > l1 - EPS || round.out > l2 - EPS)
            continue;
        // Nothing of the list may stand in the corner the round cuts off.
        const auto left = [](const NPoint& s, const NPoint& e, const NPoint& x) { return Cross(e - s, x - s); };
        const auto inCorner = [&](const NPoint& x) {
            return left(a, m, x) > 0.0 && left(m, b, x) > 0.0 && left(b, a, x) >= 0.0;
        };
        if (std::any_of(rings.begin(), rings.end(), [&](const NPolygonPtr& other) {
                return std::any_of(other->m_points.begin(), other->m_points.end(), inCorner);
            }))
            continue;
        plan.rounds[i] = std::move(round);
    }
    // Two rounds on one edge must leave each other room.
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        if (plan.rounds[i] && plan.rounds[j] && plan.rounds[i]->out + plan.rounds[j]->in > Distance(v[i], v[j]) - EPS)
            plan.rounds[j].reset();
    }
    return plan;
}

// The ring with the rounds of the corners `allowed` takes.
template <class Allowed>
void ApplyRounds(RoundedRing& plan, const Allowed& allowed)
{
    std::vector<NPoint> result;
    bool changed = false;
    for (size_t i = 0; i < plan.points.size(); ++i) {
        const std::optional<Round>& round = plan.rounds[i];
        if (round && allowed(round->corner)) {
            result.insert(result.end(), round->points.begin(), round->points.end());
            changed = true;
        } else {
            result.push_back(plan.points[i]);
        }
    }
    if (!changed)
        return;
    if (!plan.materialLeft)
        std::reverse(result.begin(), result.end());
    plan.ring->m_points = std::move(result);
    plan.ring->UpdateGabarit();
}

// Every ring of an offset list: the first is the outer one, the material
// inside it; the others bound holes, the material outside them.
std::vector<RoundedRing> PlanAllRounds(const VectorPolygon& rings, double reach, double step,
                                       const CornerCentres& centres)
{
    std::vector<RoundedRing> plans;
    for (size_t k = 0; k < rings.size(); ++k) {
        if (!rings[k])
            continue;
        const bool counterClockwise = SignedArea(rings[k]->m_points) > 0.0;
        plans.push_back(PlanRounds(*rings[k], counterClockwise == (k == 0), reach, step, centres, rings));
    }
    return plans;
}

// The gap polygons and the control polygons, which lie `inset` inside them,
// follow the gap's round at the same corners: a control polygon that kept a
// mitre where its gap polygon is round would stand out of it.
void RoundGapCorners(const VectorPolygon& gaps, const VectorPolygon& controls, double reach, double inset,
                     const VectorPolygon& borders)
{
    const CornerCentres centres(borders);
    const double step = RoundStep(reach);
    std::vector<RoundedRing> gapPlans = PlanAllRounds(gaps, reach, step, centres);
    std::vector<RoundedRing> controlPlans = PlanAllRounds(controls, reach - inset, step, centres);
    const auto corners = [](const std::vector<RoundedRing>& plans) {
        std::vector<NPoint> found;
        for (const RoundedRing& plan : plans)
            for (const std::optional<Round>& round : plan.rounds)
                if (round)
                    found.push_back(round->corner);
        std::sort(found.begin(), found.end(), [](const NPoint& a, const NPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
        return found;
    };
    const std::vector<NPoint> inGaps = corners(gapPlans);
    const std::vector<NPoint> inControls = corners(controlPlans);
    const auto in = [](const std::vector<NPoint>& list) {
        return [&list](const NPoint& p) {
            return std::binary_search(list.begin(), list.end(), p, [](const NPoint& a, const NPoint& b) {
                return a.x < b.x || (a.x == b.x && a.y < b.y);
            });
        };
    };
    for (RoundedRing& plan : gapPlans)
        ApplyRounds(plan, in(inControls));
    for (RoundedRing& plan : controlPlans)
        ApplyRounds(plan, in(inGaps));
}

// The ring cut by the rectangle grown by `grow` on every side (Sutherland and
// Hodgman: a side at a time). A ring that lies within it stays as it is.
void ClipToRectangle(NPolygon& ring, const NRect& rect, double grow)
{
    const NRect box = ring.GetGabarit();
    const NPoint lo = rect.pBot - NPoint{grow, grow};
    const NPoint hi = rect.pTop + NPoint{grow, grow};
    if (ring.m_points.size() < 3 || !(lo.x < hi.x && lo.y < hi.y) ||
        (box.pBot.x >= lo.x && box.pBot.y >= lo.y && box.pTop.x <= hi.x && box.pTop.y <= hi.y))
        return;
    // Each side as the coordinate it bounds and the sign of its inside.
    const struct {
        bool x;
        double bound;
        double sign;
    } sides[] = {{true, lo.x, 1.0}, {true, hi.x, -1.0}, {false, lo.y, 1.0}, {false, hi.y, -1.0}};
    std::vector<NPoint> points = ring.m_points;
    std::vector<NPoint> cut;
    for (const auto& side : sides) {
        const auto inside = [&](const NPoint& p) { return side.sign * ((side.x ? p.x : p.y) - side.bound); };
        cut.clear();
        for (size_t k = 0; k < points.size(); ++k) {
            const NPoint& p = points[k];
            const NPoint& q = points[(k + 1) % points.size()];
            const double dp = inside(p);
            const double dq = inside(q);
            if (dp >= 0.0)
                cut.push_back(p);
            if ((dp > 0.0 && dq < 0.0) || (dp < 0.0 && dq > 0.0)) {
                const double t = dp / (dp - dq);
                cut.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)});
            }
        }
        points.swap(cut);
        if (points.size() < 3)
            return;
    }
    if (!CleanOutline(points, SignedArea(points) > 0.0))
        return;
    ring.m_points = std::move(points);
    ring.UpdateGabarit();
}

}  // namespace

void Figure::InitParams()
{
    if (!m_macro || !m_borders.empty())
        return;
    m_name = m_macro->GetName();
    m_macro->GetFontParams(m_sourceTextParams);
    InitBorders();
}

VectorPolygon Figure::ReadBorders(double& area, double& length, double& sag, double* beyond, bool atPrecision) const
{
    VectorPolygon rings;
    if (!m_macro)
        return rings;
    double reach = sag;
    m_macro->InitConvexBordersFromMacro(rings, area, length, sag, reach, atPrecision);
    if (beyond)
        *beyond = reach;
    CleanOutlines(rings);
    // The rings come in the macro's own frame: they go where the macro stands.
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    m_macro->GetMacroPlacement(x, y, angle);
    for (const NPolygonPtr& ring : rings)
        ring->SetPlacement(x, y, angle * DR);
    if (!rings.empty())
        rings.front()->UpdateGabarit();
    return rings;
}

void Figure::InitBorders()
{
    if (!m_macro)
        return;
    double area = 0.0;
    double length = 0.0;
    double sag = 0.0;
    m_borders = ReadBorders(area, length, sag, &m_beyond);
    m_borderSag = sag;
    m_sagKnown = 1;
    m_beyondKnown = 1;
    if (m_borders.empty()) {
        Clear();
        m_macro.reset();
        return;
    }
    m_area = area;
    m_length = length;
    m_rect = m_borders.front()->GetGabarit();
    m_rectBorder = m_rect;
}

void Figure::InitPolygons(double size, double gap, FigurePtr other, double narrowest)
{
    if (m_borders.empty() || !m_poligons.empty())
        return;
    if (other) {
        CopyPolygonsFrom(*other);
    } else {
        m_controls.clear();
        StraightenOutlines(m_borders);
        VectorPolygon working = m_borders;
        const NPolygon& outer = *m_borders.front();
        working.front() =
            CloseDentsStraight(m_borders.front(), DentsHoldingNone(outer, FindDentsStraight(outer, size), narrowest));
        if (!working.front()->CheckDirection())
            working.front()->Invert();

        // The borders follow curves on chords that may lie a little inside
        // them: the gap polygons stand that much further out, so that the
        // true outlines keep the whole gap.
        const double reach = gap * 0.5 + GapSag();
        VectorPolygon offsets;
        vrnApi::CreateEquidistantPoligons(working, reach, offsets, false);
        if (offsets.empty())
            return;
        CleanGapPolygons(offsets, m_poligons);
        // The sag the gap polygons keep stands for where the outline rings
        // may lie inside the part; the part reaches no further past their
        // rectangle than `beyond` (a dense ring thinned keeps its extremes).
        // The outer polygons reach no further than they would without the
        // sag, and that much: a part as long as its sheet keeps its place.
        const double sag = GapSag();
        const bool known = m_beyondKnown == 1 && std::isfinite(m_beyond) && m_beyond >= 0.0;
        const double beyond = known ? std::min(m_beyond, sag) : sag;
        // Without the sag the outer polygon, its corners round, would reach
        // half the gap past the outline's rectangle.
        std::optional<NRect> bound;
        if (sag > beyond && !m_poligons.empty()) {
            working.front()->UpdateGabarit();
            const NRect& box = working.front()->GetGabarit();
            bound = NRect{box.pBot - NPoint{gap * 0.5, gap * 0.5}, box.pTop + NPoint{gap * 0.5, gap * 0.5}};
        }
        vrnApi::CreateEquidistantPoligons(working, reach - kControlInset, m_controls, false);
        RoundGapCorners(m_poligons, m_controls, reach, kControlInset, m_borders);
        m_roundKnown = 1;
        if (!m_poligons.empty()) {
            CutSharpCorners(*m_poligons.front(), reach);
            if (bound)
                ClipToRectangle(*m_poligons.front(), *bound, beyond);
            OrientGapPolygons(m_poligons);
        }
        if (!m_controls.empty()) {
            CutSharpCorners(*m_controls.front(), reach - kControlInset);
            if (bound)
                ClipToRectangle(*m_controls.front(), *bound, beyond - kControlInset);
        }

        const NPoint pole = Pole();
        SetPoles(m_poligons, pole);
        SetPoles(m_controls, pole);
    }
    UpdateGabarit();
    m_rectArea = (m_rect.pTop.x - m_rect.pBot.x) * (m_rect.pTop.y - m_rect.pBot.y);
    if (!m_poligons.empty()) {
        std::vector<NPoint> points;
        m_poligons.front()->GetPoints(points);
        m_convex = CheckConvexHull(points);
    }
}

double Figure::GapSag() const
{
    const bool sound = std::isfinite(m_borderSag) && m_borderSag >= 0.0 && m_borderSag <= kLargestSag;
    return HasSagOutward() && sound ? m_borderSag : 0.0;
}

void Figure::CopyPolygonsFrom(const Figure& other)
{
    if (!other.m_macro)
        return;
    m_poligons.clear();
    m_controls.clear();
    for (const NPolygonPtr& polygon : other.m_poligons)
        m_poligons.push_back(polygon->GetCopy());
    for (const NPolygonPtr& polygon : other.m_controls)
        m_controls.push_back(polygon->GetCopy());

    // The outlines are equal up to a translation: the copies go where this
    // figure's outline lies, and turn about this figure's own reference point
    // (the other figure's may lie elsewhere relative to its outline).
    NPoint shift;
    if (!m_borders.empty() && !other.m_borders.empty())
        shift = LowerCorner(*m_borders.front()) - LowerCorner(*other.m_borders.front());
    else
        shift = NPoint{} - MacroPoint(other.m_macro);
    for (VectorPolygon* list : {&m_poligons, &m_controls}) {
        for (const NPolygonPtr& polygon : *list)
            polygon->SetPlacement(shift.x, shift.y, 0.0);
    }
    const NPoint pole = Pole();
    SetPoles(m_poligons, pole);
    SetPoles(m_controls, pole);
    m_roundKnown = other.m_roundKnown;
}

NPoint Figure::Pole() const
{
    if (m_macro)
        return MacroPoint(m_macro);
    return m_borders.empty() ? NPoint{} : m_borders.front()->m_pole;
}

void Figure::ClearPolygons()
{
    m_poligons.clear();
    m_controls.clear();
}
