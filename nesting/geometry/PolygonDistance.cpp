// Sliding distance: how far one polygon travels along an axis until it
// touches another.
#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double SWEEP_EXTENSION = 1e6;
constexpr double SLIDE_STOP = 1e-6;
constexpr int SLIDE_ITERATIONS = 1002;
constexpr double CONTACT_OVERSHOOT = 0.01;  // first jump past the place where the boundaries meet
constexpr double kContactWindow = 4.0 * EPS;  // a slide's end this little past the first contact is the contact

// The first step of a slide: one full gabarit size of the moving polygon
// along the axis direction `vect`; (0, 0) for any other direction.
NPoint SlideStep(const NRect& box, const NPoint& vect)
{
    const double w = box.pTop.x - box.pBot.x;
    const double h = box.pTop.y - box.pBot.y;
    if (std::fabs(vect.x + 1) < EPS)
        return {-w, 0.0};
    if (std::fabs(vect.x - 1) < EPS)
        return {w, 0.0};
    if (std::fabs(vect.y + 1) < EPS)
        return {0.0, -h};
    if (std::fabs(vect.y - 1) < EPS)
        return {0.0, h};
    return {};
}

// The moving polygon's gabarit stretched far along the direction of motion.
NRect SweepBox(NRect box, const NPoint& step)
{
    if (step.x > EPS)
        box.pTop.x += SWEEP_EXTENSION;
    if (step.x < -EPS)
        box.pBot.x -= SWEEP_EXTENSION;
    if (step.y > EPS)
        box.pTop.y += SWEEP_EXTENSION;
    if (step.y < -EPS)
        box.pBot.y -= SWEEP_EXTENSION;
    return box;
}

double PullTowardsZero(double total)
{
    if (total > EPS)
        return total - EPS;
    if (total < -EPS)
        return total + EPS;
    return total;
}

// Coordinates along the slide (u) and across it (v).
struct AxisFrame {
    bool alongX;
    double sign;  // +1 or -1: the direction of the slide along its axis
    double U(const NPoint& p) const { return (alongX ? p.x : p.y) * sign; }
    double V(const NPoint& p) const { return alongX ? p.y : p.x; }
};

// How far the vertices of `from` travel forwards (u growing) before they
// meet an edge of `ring`; infinity when none does.
double VertexTravel(const std::vector<NPoint>& from, const std::vector<NPoint>& ring, const AxisFrame& f)
{
    double best = std::numeric_limits<double>::infinity();
    const size_t n = ring.size();
    for (size_t k = 0; k < n; ++k) {
        const NPoint& a = ring[k == 0 ? n - 1 : k - 1];
        const NPoint& b = ring[k];
        const double va = f.V(a);
        const double vb = f.V(b);
        if (va == vb)
            continue;  // along the slide: its ends are met on the neighbouring edges
        for (const NPoint& p : from) {
            const double t = (f.V(p) - va) / (vb - va);
            if (t < 0.0 || t > 1.0)
                continue;
            const double travel = f.U(a) + t * (f.U(b) - f.U(a)) - f.U(p);
            if (travel >= 0.0 && travel < best)
                best = travel;
        }
    }
    return best;
}

// How far `moving` slides along `step` until its boundary first meets the
// boundary of `fixed`: a vertex of one reaching an edge of the other.
double ContactTravel(const NPolygon& fixed, const NPolygon& moving, const NPoint& step)
{
    const AxisFrame forwards{step.x != 0.0, (step.x != 0.0 ? step.x : step.y) > 0 ? 1.0 : -1.0};
    const AxisFrame backwards{forwards.alongX, -forwards.sign};
    return std::min(VertexTravel(moving.m_points, fixed.m_points, forwards),
                    VertexTravel(fixed.m_points, moving.m_points, backwards));
}

// Contact of the fixed polygon with the moving copy. Besides crossing
// boundaries (and, unless `inner`, the copy lying inside the fixed polygon),
// the fixed polygon lying wholly inside the copy is contact too: a jump must
// not swallow a smaller obstacle.
bool Touches(const NPolygon& fixed, const NPolygon& moving, bool inner)
{
    return fixed.CheckIntersection(moving, false) || moving.CheckIntersection(fixed, false) ||
           (!inner && fixed.CheckContainPoligon(moving, false)) || moving.CheckContainPoligon(fixed, false);
}

}  // namespace

double NPolygon::Distance(const NPolygon& other, const NPoint& vect, bool inner) const
{
    NPoint s = SlideStep(other.m_rect, vect);
    if (s.x == 0.0 && s.y == 0.0)
        return 0.0;  // no direction or no extent: the slide would stay where it is
    if (!CheckIntersectRects(m_rect, SweepBox(other.m_rect, s)))
        return 0.0;
    // The slide jumps by the mover's size while it is free, and a thin
    // obstacle could pass through a dent of the mover between two probes:
    // when the boundaries are bound to meet, the first jump goes just past
    // the place where they do, and the search closes in from there.
    const double contact = ContactTravel(*this, other, s);
    if (std::isfinite(contact))
        s *= (contact + CONTACT_OVERSHOOT) / std::fabs(s.x + s.y);  // s lies along one axis
    NPolygon copy(NPoint{}, other.m_points);
    copy.Offset(s);
    double total = s.x + s.y;
    bool previousTouch = false;
    bool touchedEver = false;
    for (int iteration = 0; iteration < SLIDE_ITERATIONS; ++iteration) {
        const bool touch = Touches(*this, copy, inner);
        if (!touch && std::fabs(s.x) < SLIDE_STOP && std::fabs(s.y) < SLIDE_STOP)
            break;
        if (touch != previousTouch)
            s *= -0.5;
        touchedEver = touchedEver || touch;
        copy.Offset(s);
        total += s.x + s.y;
        previousTouch = touch;
    }
    if (!touchedEver)
        return 0.0;
    // The probes tell a touch only once the outlines overlap by about the
    // point tolerance (more where they meet at a slant, as a rounded corner
    // does): where the search ends that little past the first contact, the
    // slide stops at the contact itself.
    const double travel = PullTowardsZero(total);
    if (std::isfinite(contact) && std::fabs(travel) > contact && std::fabs(travel) - contact <= kContactWindow)
        return std::copysign(contact, travel);
    return travel;
}
