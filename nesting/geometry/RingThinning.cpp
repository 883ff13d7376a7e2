#include "geometry/RingThinning.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

double Cross(const NPoint& a, const NPoint& b) { return a.x * b.y - a.y * b.x; }
double Dot(const NPoint& a, const NPoint& b) { return a.x * b.x + a.y * b.y; }

// The farthest vertex after `anchor` (indices into `chain`, which ends at
// `last`) that the chain can run to straight: every vertex between lies
// within `sag` of the line from the anchor to it (their directions seen from
// the anchor leave an open cone about it) and none lies farther from the
// anchor than it. The cone is measured in angles from the direction of the
// first vertex beyond the sag; a vertex more than a right angle off it, or
// coming back towards the anchor, ends the search.
size_t FarthestStraight(const std::vector<NPoint>& chain, size_t anchor, size_t last, double sag)
{
    const NPoint& a = chain[anchor];
    size_t best = anchor + 1;
    bool directed = false;
    NPoint ref;
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    double farthest = 0.0;
    for (size_t j = anchor + 1; j <= last; ++j) {
        const NPoint v = chain[j] - a;
        const double d = std::sqrt(Dot(v, v));
        double angle = 0.0;
        if (directed) {
            angle = std::atan2(Cross(ref, v), Dot(ref, v));
            if (std::fabs(angle) >= std::numbers::pi / 2)
                break;
        }
        if (d >= farthest && (!directed || (angle >= lo && angle <= hi)))
            best = j;
        if (d < farthest - sag)
            break;
        farthest = std::max(farthest, d);
        if (d > sag) {
            if (!directed) {
                directed = true;
                ref = NPoint{v.x / d, v.y / d};
                angle = 0.0;
            }
            const double spread = std::asin(sag / d);
            lo = std::max(lo, angle - spread);
            hi = std::min(hi, angle + spread);
            if (lo > hi)
                break;
        }
    }
    return best;
}

}  // namespace

double ThinRing(std::vector<NPoint>& ring, double sag)
{
    const size_t n = ring.size();
    if (n < 4 || !(sag > 0.0))
        return 0.0;
    const auto lowest = std::min_element(ring.begin(), ring.end(), [](const NPoint& p, const NPoint& q) {
        return p.y < q.y || (p.y == q.y && p.x < q.x);
    });
    // The ring as an open chain from its lowest vertex round to that vertex again.
    std::vector<NPoint> chain(lowest, ring.end());
    chain.insert(chain.end(), ring.begin(), lowest);
    chain.push_back(chain.front());
    const size_t last = chain.size() - 1;

    // The ring's extreme vertices stay: the thinned ring spans the same
    // rectangle, which is how far the part reaches.
    std::vector<size_t> extremes{last};
    const auto extreme = [&](auto better) {
        size_t best = 0;
        for (size_t k = 1; k < last; ++k)
            if (better(chain[k], chain[best]))
                best = k;
        extremes.push_back(best);
    };
    extreme([](const NPoint& p, const NPoint& q) { return p.x < q.x; });
    extreme([](const NPoint& p, const NPoint& q) { return p.x > q.x; });
    extreme([](const NPoint& p, const NPoint& q) { return p.y > q.y; });
    std::sort(extremes.begin(), extremes.end());

    std::vector<NPoint> kept{chain.front()};
    double strayed = 0.0;
    for (size_t anchor = 0; anchor < last;) {
        const size_t stop = *std::upper_bound(extremes.begin(), extremes.end(), anchor);
        const size_t next = FarthestStraight(chain, anchor, stop, sag);
        for (size_t k = anchor + 1; k < next; ++k)
            if (Cross(chain[next] - chain[anchor], chain[k] - chain[anchor]) < 0.0)
                strayed = std::max(strayed, DistancePointToSegment(chain[k], chain[anchor], chain[next]));
        if (next != last)
            kept.push_back(chain[next]);
        anchor = next;
    }
    if (kept.size() < 3 || kept.size() == n)
        return 0.0;
    ring = std::move(kept);
    return strayed;
}
