// The candidate positions of placement, found as points: the vertices of the
// free region without building the region itself.
//
// The free region of a moving figure's placement point is the sheet's
// inner-fit rectangle less, for every placed figure, the inside of its
// no-fit polygon (the orbit) that lies in none of its cavities or inner
// no-fit polygons. Its vertices lie among the corners of the rectangle, the
// vertices of the rings and the points where rings of different figures, or
// a ring and the rectangle, cross. A point is free unless it lies inside a
// forbidden region by more than the point tolerance: a figure may touch
// another, and an exact fit (a position where it touches several at once)
// is a vertex like any other.
#include "engine/HodographBuilder.h"

#include "geometry/BoxGrid.h"
#include "geometry/EdgeIndex.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

enum class Where { Inside, Boundary, Outside };

// A ring with its edges indexed by height, for locating points.
class IndexedRing {
public:
    explicit IndexedRing(NPolygonPtr polygon)
        : m_polygon(std::move(polygon)), m_index(m_polygon->m_points, m_polygon->GetGabarit())
    {
    }

    const NPolygonPtr& Polygon() const { return m_polygon; }

    // Inside, on the boundary (within EPS of it) or outside.
    Where Locate(const NPoint& p)
    {
        const NRect& box = m_polygon->GetGabarit();
        if (p.x < box.pBot.x - EPS || p.x > box.pTop.x + EPS || p.y < box.pBot.y - EPS || p.y > box.pTop.y + EPS)
            return Where::Outside;
        const std::vector<NPoint>& v = m_polygon->m_points;
        bool inside = false;
        for (size_t j : m_index.Near(p.y, p.y)) {
            const NPoint& a = v[j == 0 ? v.size() - 1 : j - 1];
            const NPoint& b = v[j];
            const NPoint e = b - a;
            const double length2 = e.x * e.x + e.y * e.y;
            const double t =
                length2 > 0.0 ? std::clamp(((p.x - a.x) * e.x + (p.y - a.y) * e.y) / length2, 0.0, 1.0) : 0.0;
            if (Distance2(p, NPoint{a.x + t * e.x, a.y + t * e.y}) <= EPS * EPS)
                return Where::Boundary;
            if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * e.x / e.y)
                inside = !inside;
        }
        return inside && v.size() >= 3 ? Where::Inside : Where::Outside;
    }

private:
    NPolygonPtr m_polygon;
    EdgeIndex m_index;
};

// The no-fit polygons of one placed figure: positions inside the orbit
// overlap it, unless they lie in a cavity or an inner no-fit polygon.
struct Obstacle {
    std::vector<IndexedRing> rings; // the orbit first
    size_t free = 1;                // rings [free, end) are cavities and inner no-fit polygons
};

bool Forbids(Obstacle& obstacle, const NPoint& p)
{
    if (obstacle.rings.empty() || obstacle.rings.front().Locate(p) != Where::Inside)
        return false;
    for (size_t k = obstacle.free; k < obstacle.rings.size(); ++k)
        if (obstacle.rings[k].Locate(p) != Where::Outside)
            return false;
    return true;
}

} // namespace

bool HodographBuilder::SheetFit(double x, double y, const Figure& figure, const Sheet& sheet, NRect& inner) const
{
    const NRect& sheetRect = sheet.m_rect;
    const NRect& figureRect = figure.m_rect;
    // A figure as large as the room the edge gap leaves but for rounding fits
    // (within the point tolerance, as the inner-fit rectangle says).
    const double sheetGap = SheetInset(m_figureGap, m_sheetGap);
    if (figureRect.pTop.x - figureRect.pBot.x > sheetRect.pTop.x - sheetRect.pBot.x - 2.0 * sheetGap + EPS ||
        figureRect.pTop.y - figureRect.pBot.y > sheetRect.pTop.y - sheetRect.pBot.y - 2.0 * sheetGap + EPS)
        return false;
    const HodographRect fit(sheetRect, figureRect, NPoint{x, y}, sheetGap, true);
    if (fit.IsCrossed())
        return false;
    inner = NRect{fit.p1, fit.p3};
    return true;
}

void HodographBuilder::FindFreePoints(double x, double y, const VectorFigure& near, const PositionFilter& filter,
                                      std::shared_ptr<Figure> figure, std::shared_ptr<Sheet> sheet, double band,
                                      double bound, std::vector<NPoint>& points)
{
    if (!figure || !sheet || figure->m_poligons.empty() || !figure->m_poligons[0] || figure->m_borders.empty() ||
        !figure->m_borders[0])
        return;
    const NRect& figureRect = figure->m_rect;
    const NPoint at{x, y};
    NRect inner;
    if (!SheetFit(x, y, *figure, *sheet, inner))
        return;
    const std::vector<NPoint> corners{inner.pBot, {inner.pTop.x, inner.pBot.y}, inner.pTop,
                                      {inner.pBot.x, inner.pTop.y}};
    const auto sheetRing = std::make_shared<NPolygon>(NPoint{}, corners);

    // The positions where the near figures can overlap the figure (their gap
    // rectangles against the figure's, widened by the gap the rectangle
    // route keeps). A figure whose positions hold no allowed one left of a
    // point neither forbids a candidate there nor adds a free vertex.
    struct Pending {
        const std::shared_ptr<Figure>* placed;
        NRect positions;
    };
    std::vector<Pending> pending;
    const double margin = m_figureGap + EPS;
    // Where the near figures' no-fit polygons can lie, and the size of the
    // placed figures, most of them (the squares the polygons are filed in).
    NRect area{{HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL}};
    std::vector<double> sizes;
    for (const std::shared_ptr<Figure>& placed : near) {
        if (!placed || placed == figure || placed->m_poligons.empty() || !placed->m_poligons[0] ||
            placed->m_borders.empty() || !placed->m_borders[0])
            continue;
        const NRect& rc = placed->m_rect;
        pending.push_back({&placed,
                           {{rc.pBot.x - (figureRect.pTop.x - at.x) - margin, rc.pBot.y - (figureRect.pTop.y - at.y) - margin},
                            {rc.pTop.x + (at.x - figureRect.pBot.x) + margin, rc.pTop.y + (at.y - figureRect.pBot.y) + margin}}});
        const NRect& positions = pending.back().positions;
        area = {{std::min(area.pBot.x, positions.pBot.x), std::min(area.pBot.y, positions.pBot.y)},
                {std::max(area.pTop.x, positions.pTop.x), std::max(area.pTop.y, positions.pTop.y)}};
        sizes.push_back(std::max(rc.pTop.x - rc.pBot.x, rc.pTop.y - rc.pBot.y));
    }
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Pending& a, const Pending& b) { return a.positions.pBot.x < b.positions.pBot.x; });

    // Candidates in a heap, leftmost (then first found) on top. A point off
    // the inner-fit rectangle, or left of where the filter allows any, is
    // never free: it is not kept.
    const double from = filter.FreeFrom();
    auto mayBeFree = [&](const NPoint& p) {
        return !(p.x < inner.pBot.x - EPS || p.x > inner.pTop.x + EPS || p.y < inner.pBot.y - EPS ||
                 p.y > inner.pTop.y + EPS || p.x < from);
    };
    std::vector<NPoint> candidates;
    auto later = [&](size_t a, size_t b) {
        return candidates[a].x != candidates[b].x ? candidates[a].x > candidates[b].x : a > b;
    };
    std::vector<size_t> heap;
    auto add = [&](const NPoint& p) {
        if (!mayBeFree(p))
            return;
        candidates.push_back(p);
        heap.push_back(candidates.size() - 1);
        std::push_heap(heap.begin(), heap.end(), later);
    };
    for (const NPoint& corner : corners)
        add(corner);

    // The obstacles by their orbits' boxes and the rings by theirs: a point
    // is looked up among the obstacles whose orbit may hold it, a ring's
    // crossings among the rings whose boxes it meets, in the order taken.
    double square = std::max(figureRect.pTop.x - figureRect.pBot.x, figureRect.pTop.y - figureRect.pBot.y);
    if (!sizes.empty()) {
        std::nth_element(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(sizes.size() / 2), sizes.end());
        square += sizes[sizes.size() / 2];
    }
    BoxGrid orbits(area, square);
    BoxGrid ringBoxes(area, square);
    std::vector<Obstacle> obstacles;
    std::vector<NPolygonPtr> rings; // of all obstacles taken, for the crossings
    auto take = [&](const Figure& placed) {
        MapHodographPoligon externs;
        MapHodographPoligon inners;
        CreateFigureHodographs(placed, *figure, true, externs, inners);
        if (externs.empty())
            return;
        ++m_work.polygonsTaken;
        Obstacle obstacle;
        for (const MapHodographPoligon* list : {&externs, &inners}) {
            for (const auto& entry : *list) {
                const NPolygonPtr& ring = entry.first;
                ring->UpdateGabarit();
                obstacle.rings.emplace_back(ring);
                for (const NPoint& p : ring->m_points)
                    add(p);
                if (ring->m_points.size() >= 3) {
                    std::vector<NIndexPoint> hits;
                    ring->Intersection(*sheetRing, hits);
                    // The rings of the obstacles taken before (whose boxes
                    // do not meet its box give no crossing), but those whose
                    // crossings all lie where no point is kept, well clear
                    // of any that is: where they stand apart from the
                    // others, they merge only with points not kept either.
                    const NRect& box = ring->GetGabarit();
                    for (size_t k : ringBoxes.Meeting(box)) {
                        const NRect& other = rings[k]->GetGabarit();
                        if (std::min(box.pTop.x, other.pTop.x) < std::max(from, inner.pBot.x) - 3.0 * EPS ||
                            std::max(box.pBot.x, other.pBot.x) > inner.pTop.x + 3.0 * EPS ||
                            std::min(box.pTop.y, other.pTop.y) < inner.pBot.y - 3.0 * EPS ||
                            std::max(box.pBot.y, other.pBot.y) > inner.pTop.y + 3.0 * EPS)
                            continue;
                        if (rings[k]->m_points.size() >= 3)
                            ring->Intersection(*rings[k], hits);
                    }
                    for (const NIndexPoint& hit : hits)
                        add(hit);
                }
            }
        }
        for (const IndexedRing& ring : obstacle.rings) {
            ringBoxes.Add(rings.size(), ring.Polygon()->GetGabarit());
            rings.push_back(ring.Polygon());
        }
        orbits.Add(obstacles.size(), obstacle.rings.front().Polygon()->GetGabarit());
        obstacles.push_back(std::move(obstacle));
    };

    size_t lastBlocker = 0; // the obstacle that forbade the last point: the likeliest for the next
    auto free = [&](const NPoint& p) {
        if (!filter.Allows(p))
            return false;
        if (lastBlocker < obstacles.size()) {
            ++m_work.pointTests;
            if (Forbids(obstacles[lastBlocker], p))
                return false;
        }
        bool forbidden = false;
        orbits.ForEachAt(p, [&](size_t k) {
            if (!forbidden && k != lastBlocker) {
                ++m_work.pointTests;
                if (Forbids(obstacles[k], p)) {
                    lastBlocker = k;
                    forbidden = true;
                }
            }
        });
        return !forbidden;
    };
    // The leftmost free candidate with the obstacles taken so far; the
    // forbidden ones leave the heap for good, since obstacles only add.
    auto leftmostFree = [&]() -> const NPoint* {
        while (!heap.empty()) {
            const size_t top = heap.front();
            if (free(candidates[top]))
                return &candidates[top];
            std::pop_heap(heap.begin(), heap.end(), later);
            heap.pop_back();
        }
        return nullptr;
    };

    // Figures are taken while one could still matter to the leftmost free
    // point: while allowed positions where it overlaps the figure lie left of
    // that point's band, and left of `bound`. (The try is cut only where its
    // point lies clearly right of `bound`: the caller compares the points
    // where the figure ends.) A figure left for now is looked at again as the
    // band moves right.
    bound += EPS;
    size_t next = 0;
    // Indices into pending, ascending; those taken are kNone, and the first
    // `head` entries all are.
    constexpr size_t kNone = SIZE_MAX;
    std::vector<size_t> waiting;
    size_t head = 0;
    // Per pending figure: the right end of the positions up to which the
    // filter said it meets nothing there (a check that reaches no further
    // need not be made again).
    std::vector<double> metNothingTo(pending.size(), -HUGE_VAL);
    const NPoint* best = nullptr;
    while (true) {
        best = leftmostFree();
        const double limit = std::min(best ? best->x + band : bound, bound);
        while (next < pending.size() && pending[next].positions.pBot.x < limit)
            waiting.push_back(next++);
        while (head < waiting.size() && waiting[head] == kNone)
            ++head;
        // The one whose positions start furthest left first: the free point
        // it may give moves the band, and those it leaves right of the band
        // wait (their no-fit polygons may never be needed).
        size_t due = kNone;
        for (size_t k = head; k < waiting.size(); ++k) {
            if (waiting[k] == kNone)
                continue;
            NRect reach = pending[waiting[k]].positions;
            if (reach.pBot.x >= limit)
                break;
            reach.pTop.x = std::min(reach.pTop.x, limit);
            if (reach.pTop.x <= metNothingTo[waiting[k]])
                continue;
            if (filter.MayMeet(**pending[waiting[k]].placed, reach)) {
                due = k;
                break;
            }
            metNothingTo[waiting[k]] = reach.pTop.x;
        }
        if (due == kNone)
            break;
        take(**pending[waiting[due]].placed);
        waiting[due] = kNone;
    }
    if (!best || best->x >= bound)
        return;
    const double end = best->x + band;
    while (!heap.empty() && candidates[heap.front()].x < end) {
        const size_t top = heap.front();
        std::pop_heap(heap.begin(), heap.end(), later);
        heap.pop_back();
        if (free(candidates[top]))
            points.push_back(candidates[top]);
    }
}
