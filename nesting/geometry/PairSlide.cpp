// A pair of equal parts side by side along their longest edges, slid along
// them to fit a room.
#include "geometry/PairSlide.h"

#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>

namespace {

// mm: as far as the pair keeps off the room's sides where it has room to
// spare, so that the placement does not meet it exactly at the room's edge
constexpr double kKeepOff = 1.0;
// a slack that changes less than this per mm of slide does not change
constexpr double kFlat = 1e-12;

struct Box {
    double x0 = HUGE_VAL, y0 = HUGE_VAL, x1 = -HUGE_VAL, y1 = -HUGE_VAL;
};

Box BoxOf(const std::vector<NPoint>& points)
{
    Box box;
    for (const NPoint& p : points) {
        box.x0 = std::min(box.x0, p.x);
        box.y0 = std::min(box.y0, p.y);
        box.x1 = std::max(box.x1, p.x);
        box.y1 = std::max(box.y1, p.y);
    }
    return box;
}

// How much room one side of the pair's rectangle leaves at a slide t: b - a·t.
struct Slack {
    double b = 0.0;
    double a = 0.0;
    double At(double t) const { return b - a * t; }
};

double Least(const std::vector<Slack>& slacks, double t)
{
    double least = HUGE_VAL;
    for (const Slack& s : slacks)
        least = std::min(least, s.At(t));
    return least;
}

// The slide that leaves the most room on the tightest side: where a slack
// that grows with the slide meets one that shrinks (0 when none changes).
double Widest(const std::vector<Slack>& slacks)
{
    double best = 0.0;
    double most = Least(slacks, best);
    for (size_t i = 0; i < slacks.size(); ++i)
        for (size_t j = i + 1; j < slacks.size(); ++j) {
            const Slack& s = slacks[i];
            const Slack& r = slacks[j];
            if (!(s.a > kFlat && r.a < -kFlat) && !(s.a < -kFlat && r.a > kFlat))
                continue;
            const double t = (s.b - r.b) / (s.a - r.a);
            if (const double least = Least(slacks, t); least > most) {
                most = least;
                best = t;
            }
        }
    return best;
}

// The pair in a room (outline sizes): its first part's box, its second part's
// box at slide 0, and the direction of the slide.
struct Pair {
    Box first;
    Box second;
    NPoint along;

    double Width(double t) const
    {
        return std::max(first.x1, second.x1 + t * along.x) - std::min(first.x0, second.x0 + t * along.x);
    }
    double Height(double t) const
    {
        return std::max(first.y1, second.y1 + t * along.y) - std::min(first.y0, second.y0 + t * along.y);
    }
    // The slacks of the pair's rectangle in a room `width` × `height`.
    std::vector<Slack> Slacks(double width, double height) const
    {
        return {{width - (first.x1 - first.x0), 0.0},
                {width - (second.x1 - first.x0), along.x},
                {width - (first.x1 - second.x0), -along.x},
                {height - (first.y1 - first.y0), 0.0},
                {height - (second.y1 - first.y0), along.y},
                {height - (first.y1 - second.y0), -along.y}};
    }
};

}  // namespace

std::optional<PairEdge> LongestEdgeOf(const NPolygon& ring)
{
    if (ring.m_points.size() < 2)
        return std::nullopt;
    size_t s = 0;
    size_t e = 0;
    const NSegment edge = ring.FindMaxSegment(s, e);
    const NPoint d = edge.p2 - edge.p1;
    const double length = std::hypot(d.x, d.y);
    if (!(length > 0.0))
        return std::nullopt;
    const NPoint along{d.x / length, d.y / length};
    // Right of the edge lies outside a ring that runs counter-clockwise.
    const double side = SignedArea(ring.m_points) < 0.0 ? -1.0 : 1.0;
    return PairEdge{{(edge.p1.x + edge.p2.x) / 2.0, (edge.p1.y + edge.p2.y) / 2.0},
                    along,
                    {side * along.y, -side * along.x}};
}

std::vector<NPoint> PartnerRing(const NPolygon& first, double gap, double slide)
{
    const std::optional<PairEdge> edge = LongestEdgeOf(first);
    if (!edge)
        return {};
    const NPoint centre{2.0 * edge->middle.x + gap * edge->out.x + slide * edge->along.x,
                        2.0 * edge->middle.y + gap * edge->out.y + slide * edge->along.y};
    std::vector<NPoint> ring;
    ring.reserve(first.m_points.size());
    for (const NPoint& p : first.m_points)
        ring.push_back(centre - p);
    return ring;
}

std::optional<double> PairSlide(const NPolygon& first, double gap, double grow, const std::vector<NPoint>& rooms,
                                bool quarterTurns)
{
    const std::optional<PairEdge> edge = LongestEdgeOf(first);
    if (!edge)
        return std::nullopt;
    const Pair pair{BoxOf(first.m_points), BoxOf(PartnerRing(first, gap, 0.0)), edge->along};
    // Each room, and each turned a quarter where the placement may turn the pair.
    std::vector<std::vector<Slack>> fits;
    for (const NPoint& room : rooms) {
        fits.push_back(pair.Slacks(room.x - grow, room.y - grow));
        if (quarterTurns)
            fits.push_back(pair.Slacks(room.y - grow, room.x - grow));
    }
    // Where the pair fits a room, the slides at which its rectangle is
    // smallest while it keeps off the room's sides: the ends of the range
    // so kept and the slides between at which one of its parts stops
    // standing out of the other's rectangle.
    std::vector<double> tries;
    for (const std::vector<Slack>& slacks : fits) {
        const double widest = Widest(slacks);
        const double room = Least(slacks, widest);
        if (room < 0.0)
            continue;
        const double keep = std::min(room / 2.0, kKeepOff);
        double lo = -HUGE_VAL;
        double hi = HUGE_VAL;
        for (const Slack& s : slacks) {
            if (s.a > kFlat)
                hi = std::min(hi, (s.b - keep) / s.a);
            else if (s.a < -kFlat)
                lo = std::max(lo, (s.b - keep) / s.a);
        }
        lo = std::min(lo, widest);  // against rounding: the widest slide keeps off
        hi = std::max(hi, widest);
        tries.push_back(lo);
        tries.push_back(hi);
        const auto meets = [&](double firstSide, double secondSide, double along) {
            if (std::fabs(along) <= kFlat)
                return;
            const double t = (firstSide - secondSide) / along;
            if (lo < t && t < hi)
                tries.push_back(t);
        };
        meets(pair.first.x0, pair.second.x0, edge->along.x);
        meets(pair.first.x1, pair.second.x1, edge->along.x);
        meets(pair.first.y0, pair.second.y0, edge->along.y);
        meets(pair.first.y1, pair.second.y1, edge->along.y);
    }
    // The slide that fits the most rooms; of those, the smallest rectangle.
    std::optional<double> best;
    size_t bestRooms = 0;
    double bestArea = HUGE_VAL;
    for (const double t : tries) {
        const size_t count = static_cast<size_t>(std::count_if(
            fits.begin(), fits.end(), [&](const std::vector<Slack>& slacks) { return Least(slacks, t) >= 0.0; }));
        const double area = pair.Width(t) * pair.Height(t);
        if (count > bestRooms || (count == bestRooms && count > 0 && area < bestArea)) {
            best = t;
            bestRooms = count;
            bestArea = area;
        }
    }
    return best;
}
