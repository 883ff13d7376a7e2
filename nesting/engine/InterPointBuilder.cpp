#include "engine/InterPointBuilder.h"

#include "engine/HodographBuilder.h"
#include "geometry/RingArea.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double LABEL_MARGIN = 0.5;  // the label rectangle exceeds the text's box by this on every side
constexpr double SMALLEST_SIDE = 1.0; // the smallest rectangle tried is a square of this side
constexpr int MAX_PASSES = 50;
// A rectangle standing clear of the outline and the holes by this has places about it.
constexpr double CLEAR_MARGIN = 0.01;
// The points of the grid over the outline where a rectangle is tried, along each side.
constexpr int TRIED_ACROSS = 9;
// The places whose middles are kept as hints for the next size.
constexpr size_t KEPT_HINTS = 16;
// Holes from which on a rectangle is first tried about smaller ones, and the
// vertices those have at most.
constexpr size_t MANY_HOLES = 100;
constexpr size_t SMALLER_HOLE_VERTICES = 12;

// The no-fit polygons of the search are built with these settings.
constexpr double SEARCH_FIGURE_GAP = 30.0;
constexpr double SEARCH_SHEET_GAP = 20.0;
constexpr int SEARCH_BUILD_METHOD = 1;

struct Size {
    double w = 0.0;
    double h = 0.0;
};

Size SizeOf(const NRect& r)
{
    return {r.pTop.x - r.pBot.x, r.pTop.y - r.pBot.y};
}

NPoint CentreOf(const NRect& r)
{
    return {(r.pBot.x + r.pTop.x) * 0.5, (r.pBot.y + r.pTop.y) * 0.5};
}

NRect Centred(const NPoint& c, const Size& s)
{
    return {{c.x - s.w * 0.5, c.y - s.h * 0.5}, {c.x + s.w * 0.5, c.y + s.h * 0.5}};
}

bool RingMeetsRect(const std::vector<NPoint>& ring, const NRect& r)
{
    for (size_t k = 0; k < ring.size(); ++k) {
        if (SegmentMeetsRect(ring[k == 0 ? ring.size() - 1 : k - 1], ring[k], r))
            return true;
    }
    return false;
}

bool RectsMeet(const NRect& a, const NRect& b)
{
    return a.pBot.x <= b.pTop.x && b.pBot.x <= a.pTop.x && a.pBot.y <= b.pTop.y && b.pBot.y <= a.pTop.y;
}

NPolygonPtr RectanglePolygon(const NRect& r)
{
    return std::make_shared<NPolygon>(
        NPoint{0.0, 0.0}, std::vector<NPoint>{r.pBot, {r.pTop.x, r.pBot.y}, r.pTop, {r.pBot.x, r.pTop.y}});
}

bool SegmentMeetsRectangle(const NPolygon& rect, const NPoint& a, const NPoint& b)
{
    std::vector<NIndexPoint> hits;
    return rect.Intersection(NSegment(a, b, 0), hits) || rect.CheckContainPoint(a, true);
}

bool CrossedByBends(const NPolygon& rect, const VectorPolygon& bends)
{
    for (const NPolygonPtr& bend : bends) {
        if (!bend)
            continue;
        const std::vector<NPoint>& pts = bend->m_points;
        for (size_t k = 1; k < pts.size(); ++k) {
            if (SegmentMeetsRectangle(rect, pts[k - 1], pts[k]))
                return true;
        }
    }
    return false;
}

LengthPoint MakeCandidate(const NPoint& p, const NPoint& centre)
{
    LengthPoint candidate;
    candidate.length2 = Distance(p, centre);
    candidate.p.x = p.x;
    candidate.p.y = p.y;
    return candidate;
}

// The vertices of a polygon and the midpoints of its edges (each midpoint
// before the vertex that ends its edge), nearest to `centre` first.
std::vector<LengthPoint> CandidatesOf(const NPolygon& polygon, const NPoint& centre)
{
    std::vector<NPoint> points;
    polygon.GetPoints(points);
    std::vector<LengthPoint> candidates;
    for (size_t k = 0; k < points.size(); ++k) {
        const NPoint& prev = points[k == 0 ? points.size() - 1 : k - 1];
        NPoint mid = prev + points[k];
        mid *= 0.5;
        candidates.push_back(MakeCandidate(mid, centre));
        candidates.push_back(MakeCandidate(points[k], centre));
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const LengthPoint& a, const LengthPoint& b) { return a.length2 < b.length2; });
    return candidates;
}

}  // namespace

void InterPointBuilder::Init(std::shared_ptr<const NPolygon> extPolygon, const VectorPolygon& holes)
{
    m_extPolygon = extPolygon ? extPolygon->GetCopy() : nullptr;
    if (m_extPolygon)
        m_extPolygon->UpdateGabarit();
    m_holes = holes;
    m_holeBoxes.clear();
    for (const NPolygonPtr& hole : m_holes)
        m_holeBoxes.push_back(hole ? PointsBox(hole->m_points) : NRect{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}});
    // Convex holes of many vertices as polygons of every few of them: each
    // lies within its hole, so that where a rectangle has no place about
    // them, it has none about the holes.
    m_smallerHoles.clear();
    bool fewer = false;
    for (const NPolygonPtr& hole : m_holes) {
        if (!hole || hole->m_points.size() <= 2 * SMALLER_HOLE_VERTICES || !BoundsItsHull(hole->m_points)) {
            m_smallerHoles.push_back(hole);
            continue;
        }
        const size_t n = hole->m_points.size(), step = (n + SMALLER_HOLE_VERTICES - 1) / SMALLER_HOLE_VERTICES;
        std::vector<NPoint> some;
        for (size_t k = 0; k < n; k += step)
            some.push_back(hole->m_points[k]);
        m_smallerHoles.push_back(std::make_shared<NPolygon>(NPoint{}, some));
        fewer = true;
    }
    if (!fewer || m_holes.size() < MANY_HOLES)
        m_smallerHoles.clear();
}

NPoint InterPointBuilder::FindInternalPointForTextPlacement(const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                                            const VectorPolygon& bends, NPoint& offset) const
{
    if (!m_extPolygon || objs.empty() || !objs.front())
        return {};
    // An inverted box tells that the host could not measure the text.
    NRect box{{1.0, 1.0}, {0.0, 0.0}};
    vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(objs.front()), box);
    if (box.pBot.x > box.pTop.x || box.pBot.y > box.pTop.y)
        return {};
    return FindInternalPointForLabel(box, bends, offset);
}

// Bisection on the rectangle's size, always centred on the label: from the
// label's own size towards the outline's gabarit while it fits, towards the
// smallest square while it does not.
NPoint InterPointBuilder::FindInternalPointForLabel(const NRect& label, const VectorPolygon& bends,
                                                    NPoint& offset) const
{
    if (!m_extPolygon || m_extPolygon->m_points.size() < 3)
        return {};
    const NRect labelRect{{label.pBot.x - LABEL_MARGIN, label.pBot.y - LABEL_MARGIN},
                          {label.pTop.x + LABEL_MARGIN, label.pTop.y + LABEL_MARGIN}};
    const NPoint centre = CentreOf(labelRect);
    const Size labelSize = SizeOf(labelRect);
    const double lim = std::min(labelSize.w, labelSize.h) * 0.5;
    Size good = labelSize;
    Size bad = SizeOf(m_extPolygon->GetGabarit());
    Size current = labelSize;
    std::vector<NPoint> hints{centre};
    for (int iter = 0; iter < MAX_PASSES;) {
        const NRect rect = Centred(centre, current);
        // The places themselves are wanted only where a fit ends the search.
        VectorPolygon places;
        bool fits = false;
        if (iter != 0 && std::fabs(bad.w - current.w) < lim && std::fabs(bad.h - current.h) < lim) {
            FitRectangle(centre, rect, places);
            fits = !places.empty();
        } else {
            fits = HasPlaces(rect, hints);
        }
        if (iter == 0) {
            if (fits) {
                current = bad;
                iter = 1;
                continue;
            }
            bad = labelSize;
            good = {SMALLEST_SIDE, SMALLEST_SIDE};
            iter = 2;
        }
        (fits ? good : bad) = current;
        const Size& target = fits ? bad : good;
        const double dx = target.w - current.w;
        const double dy = target.h - current.h;
        current.w += dx * 0.5;
        current.h += dy * 0.5;
        ++iter;
        if (fits && std::fabs(dx) < lim && std::fabs(dy) < lim) {
            const NPoint result = ChoosePoint(places, labelRect, centre, bends);
            offset = result - centre;
            return result;
        }
    }
    // No size found: the label stays where it is.
    offset = {0.0, 0.0};
    return {};
}

bool InterPointBuilder::LabelFits(const NRect& label) const
{
    if (!m_extPolygon || m_extPolygon->m_points.size() < 3)
        return false;
    const NRect labelRect{{label.pBot.x - LABEL_MARGIN, label.pBot.y - LABEL_MARGIN},
                          {label.pTop.x + LABEL_MARGIN, label.pTop.y + LABEL_MARGIN}};
    std::vector<NPoint> hints{CentreOf(labelRect)};
    return HasPlaces(labelRect, hints);
}

bool InterPointBuilder::HasPlaces(const NRect& rect, std::vector<NPoint>& hints) const
{
    const Size size = SizeOf(rect);
    const auto clearAt = [&](const NPoint& q) {
        if (!StandsClear(Centred(q, size)))
            return false;
        hints.insert(hints.begin(), q);
        return true;
    };
    for (size_t k = 0; k < hints.size(); ++k) {
        if (StandsClear(Centred(hints[k], size))) {
            std::rotate(hints.begin(), hints.begin() + static_cast<std::ptrdiff_t>(k), hints.begin() + static_cast<std::ptrdiff_t>(k) + 1);
            return true;
        }
    }
    const NRect& box = m_extPolygon->GetGabarit();
    const Size room{SizeOf(box).w - size.w, SizeOf(box).h - size.h};
    if (room.w > 0.0 && room.h > 0.0) {
        for (int i = 0; i < TRIED_ACROSS; ++i) {
            for (int j = 0; j < TRIED_ACROSS; ++j) {
                const NPoint q{box.pBot.x + size.w * 0.5 + room.w * (i + 0.5) / TRIED_ACROSS,
                               box.pBot.y + size.h * 0.5 + room.h * (j + 0.5) / TRIED_ACROSS};
                if (clearAt(q))
                    return true;
            }
        }
    }
    const NPoint centre = CentreOf(rect);
    if (!m_smallerHoles.empty()) {
        VectorPolygon rough;
        FitRectangle(centre, rect, m_smallerHoles, rough);
        if (rough.empty())
            return false;
        for (const NPolygonPtr& place : rough) {
            if (clearAt(CentreOf(PointsBox(place->m_points))))
                return true;
        }
    }
    VectorPolygon places;
    FitRectangle(centre, rect, places);
    std::vector<std::pair<double, NPoint>> middles;
    for (const NPolygonPtr& place : places) {
        const NRect r = PointsBox(place->m_points);
        middles.push_back({SizeOf(r).w * SizeOf(r).h, CentreOf(r)});
    }
    std::stable_sort(middles.begin(), middles.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    if (middles.size() > KEPT_HINTS)
        middles.resize(KEPT_HINTS);
    std::vector<NPoint> found;
    for (const auto& [area, middle] : middles)
        found.push_back(middle);
    hints.insert(hints.begin(), found.begin(), found.end());
    return !places.empty();
}

bool InterPointBuilder::StandsClear(const NRect& rect) const
{
    const NRect wide{{rect.pBot.x - CLEAR_MARGIN, rect.pBot.y - CLEAR_MARGIN},
                     {rect.pTop.x + CLEAR_MARGIN, rect.pTop.y + CLEAR_MARGIN}};
    const NPoint middle = CentreOf(wide);
    if (!CheckRectContainRect(m_extPolygon->GetGabarit(), wide) || RingMeetsRect(m_extPolygon->m_points, wide) ||
        !m_extPolygon->CheckContainPoint(middle, false))
        return false;
    for (size_t k = 0; k < m_holes.size(); ++k) {
        if (m_holes[k] && RectsMeet(m_holeBoxes[k], wide) &&
            (RingMeetsRect(m_holes[k]->m_points, wide) || CheckPoligonContainPoint(m_holes[k]->m_points, middle, true)))
            return false;
    }
    return true;
}

void InterPointBuilder::FitRectangle(const NPoint& centre, const NRect& rect, VectorPolygon& places) const
{
    FitRectangle(centre, rect, m_holes, places);
}

void InterPointBuilder::FitRectangle(const NPoint& centre, const NRect& rect, const VectorPolygon& holes,
                                     VectorPolygon& places) const
{
    HodographBuilder builder;
    builder.Init(SEARCH_FIGURE_GAP, SEARCH_SHEET_GAP, SEARCH_BUILD_METHOD, false);
    builder.CreateInsideHodographs(centre, m_extPolygon, RectanglePolygon(rect), holes, places);
}

// Among the places, largest gabarit first, the candidate nearest to the
// middle of its region at which no bend crosses the label rectangle; failing
// that, the nearest candidate of the last region tried.
NPoint InterPointBuilder::ChoosePoint(const VectorPolygon& places, const NRect& labelRect, const NPoint& centre,
                                      const VectorPolygon& bends) const
{
    struct GabaritHodograph {
        double area;
        NPoint centre;
        NPolygonPtr hodograph;
    };
    std::vector<GabaritHodograph> regions;
    for (const NPolygonPtr& place : places) {
        place->UpdateGabarit();
        const Size size = SizeOf(place->GetGabarit());
        regions.push_back({size.w * size.h, CentreOf(place->GetGabarit()), place});
    }
    std::stable_sort(regions.begin(), regions.end(),
                     [](const GabaritHodograph& a, const GabaritHodograph& b) { return a.area > b.area; });

    NPoint result = centre;
    const NPolygonPtr labelPolygon = RectanglePolygon(labelRect);
    for (const GabaritHodograph& region : regions) {
        const std::vector<LengthPoint> candidates = CandidatesOf(*region.hodograph, region.centre);
        if (candidates.empty())
            continue;
        result = candidates.front().p;
        for (const LengthPoint& candidate : candidates) {
            NPolygonPtr moved = labelPolygon->GetCopy();
            moved->Offset(NPoint(candidate.p) - centre);
            if (!CrossedByBends(*moved, bends))
                return candidate.p;
        }
    }
    return result;
}
