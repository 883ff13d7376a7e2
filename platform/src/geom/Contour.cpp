// Contours: chaining curves end to end, and the measures of closed contours.

#include "geom/Contour.h"
#include "geom/detail/Kernel.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>

namespace vlhost::geom {

using detail::kTiny;

namespace {

// Curve ends in a grid of cells at least as wide as the tolerance, so that
// the ends near a point lie in the 3 x 3 cells around it.
class EndIndex {
public:
    EndIndex(std::span<const Curve> curves, const std::vector<bool>& chainable, double tol)
        : cell_(2 * tol), tol_(tol)
    {
        for (std::size_t i = 0; i < curves.size(); ++i) {
            if (!chainable[i])
                continue;
            ends_.push_back({startPoint(curves[i]), i, true});
            ends_.push_back({endPoint(curves[i]), i, false});
        }
        for (std::size_t k = 0; k < ends_.size(); ++k)
            cells_[cellOf(ends_[k].point)].push_back(k);
    }

    struct Match {
        std::size_t curve;
        bool atStart;
    };

    // The unused curve of lowest index with an end near p (its start preferred).
    std::optional<Match> find(Point p, const std::vector<bool>& used) const
    {
        std::optional<Match> best;
        const auto [cx, cy] = cellOf(p);
        for (long long dx = -1; dx <= 1; ++dx)
            for (long long dy = -1; dy <= 1; ++dy) {
                const auto it = cells_.find({cx + dx, cy + dy});
                if (it == cells_.end())
                    continue;
                for (std::size_t k : it->second) {
                    const End& e = ends_[k];
                    if (used[e.curve] || !near(e.point, p, tol_))
                        continue;
                    if (!best || e.curve < best->curve || (e.curve == best->curve && e.atStart))
                        best = Match{e.curve, e.atStart};
                }
            }
        return best;
    }

private:
    struct End {
        Point point;
        std::size_t curve;
        bool atStart;
    };

    std::pair<long long, long long> cellOf(Point p) const
    {
        constexpr double kLimit = 4e18;
        auto index = [&](double v) { return static_cast<long long>(std::clamp(std::floor(v / cell_), -kLimit, kLimit)); };
        return {index(p.x), index(p.y)};
    }

    double cell_;
    double tol_;
    std::vector<End> ends_;
    std::map<std::pair<long long, long long>, std::vector<std::size_t>> cells_;
};

ContourEdge edgeOf(const Curve& curve, std::size_t source, bool reverse)
{
    return {reverse ? reversed(curve) : curve, source, reverse};
}

class Chainer {
public:
    Chainer(std::span<const Curve> curves, double tol)
        : curves_(curves), tol_(tol), used_(curves.size(), false), chainable_(curves.size(), false)
    {
        for (std::size_t i = 0; i < curves.size(); ++i) {
            used_[i] = isDegenerate(curves[i]);
            chainable_[i] = !used_[i] && !isClosed(curves[i], tol);
        }
        index_.emplace(curves, chainable_, tol);
    }

    std::vector<Contour> run()
    {
        std::vector<Contour> out;
        for (std::size_t i = 0; i < curves_.size(); ++i) {
            if (used_[i])
                continue;
            used_[i] = true;
            out.push_back(chainable_[i] ? chainFrom(i) : Contour{{edgeOf(curves_[i], i, false)}});
        }
        return out;
    }

private:
    Contour chainFrom(std::size_t seed)
    {
        std::deque<ContourEdge> chain{edgeOf(curves_[seed], seed, false)};
        Point head = startPoint(curves_[seed]);
        Point tail = endPoint(curves_[seed]);
        while (!near(head, tail, tol_)) {
            const auto m = index_->find(tail, used_);
            if (!m)
                break;
            used_[m->curve] = true;
            chain.push_back(edgeOf(curves_[m->curve], m->curve, !m->atStart));
            tail = m->atStart ? endPoint(curves_[m->curve]) : startPoint(curves_[m->curve]);
        }
        while (!near(head, tail, tol_)) {
            const auto m = index_->find(head, used_);
            if (!m)
                break;
            used_[m->curve] = true;
            chain.push_front(edgeOf(curves_[m->curve], m->curve, m->atStart));
            head = m->atStart ? endPoint(curves_[m->curve]) : startPoint(curves_[m->curve]);
        }
        return Contour{{chain.begin(), chain.end()}};
    }

    std::span<const Curve> curves_;
    double tol_;
    std::vector<bool> used_;
    std::vector<bool> chainable_;
    std::optional<EndIndex> index_;
};

}  // namespace

std::vector<Contour> chainContours(std::span<const Curve> curves, double tol)
{
    return Chainer(curves, std::isfinite(tol) && tol > kTiny ? tol : kTiny).run();
}

bool isClosed(const Contour& contour, double tol)
{
    return !contour.edges.empty() && near(startPoint(contour.edges.front().curve), endPoint(contour.edges.back().curve), tol);
}

namespace {

// Sum of a term over the contour's curves and over the straight bridges of the
// gaps (within the tolerance) between consecutive curves and back to the start,
// so that the sum does not depend on where the contour lies.
template <class Term>
double sumOverClosedContour(const Contour& contour, Term term)
{
    double sum = 0;
    for (std::size_t i = 0; i < contour.edges.size(); ++i) {
        const Curve& curve = contour.edges[i].curve;
        const Curve& next = contour.edges[(i + 1) % contour.edges.size()].curve;
        sum += term(curve) + term(Segment{endPoint(curve), startPoint(next)});
    }
    return sum;
}

}  // namespace

double signedArea(const Contour& contour)
{
    return sumOverClosedContour(contour, [](const Curve& c) { return detail::areaTermOf(c); });
}

double area(const Contour& contour)
{
    return std::abs(signedArea(contour));
}

bool isCounterClockwise(const Contour& contour)
{
    return signedArea(contour) > 0;
}

double length(const Contour& contour)
{
    double sum = 0;
    for (const ContourEdge& e : contour.edges)
        sum += length(e.curve);
    return sum;
}

Box boundingBox(const Contour& contour)
{
    Box box;
    for (const ContourEdge& e : contour.edges)
        box.add(boundingBox(e.curve));
    return box;
}

Contour reversed(const Contour& contour)
{
    Contour out;
    for (auto e = contour.edges.rbegin(); e != contour.edges.rend(); ++e)
        out.edges.push_back({reversed(e->curve), e->source, !e->reversed});
    return out;
}

bool encloses(const Contour& contour, Point p)
{
    if (!isFinite(p))
        return false;
    return std::abs(sumOverClosedContour(contour, [p](const Curve& c) { return detail::windingAngleOf(c, p); })) > kPi;
}

std::vector<Point> ringPoints(const Contour& contour, double sag)
{
    std::vector<Point> ring;
    for (const ContourEdge& e : contour.edges)
        for (Point p : chordPoints(e.curve, sag))
            if (ring.empty() || distance(ring.back(), p) > kTiny)
                ring.push_back(p);
    while (ring.size() > 1 && distance(ring.back(), ring.front()) <= kTiny)
        ring.pop_back();
    return ring;
}

}  // namespace vlhost::geom
