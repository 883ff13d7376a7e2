// Sliding distance: how far one polygon travels along an axis until it
// touches another.
#include "geometry/Polygon.h"

#include <cmath>

namespace {

constexpr double SWEEP_EXTENSION = 1e6;
constexpr double SLIDE_STOP = 1e-6;
constexpr int SLIDE_ITERATIONS = 1002;

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
    return touchedEver ? PullTowardsZero(total) : 0.0;
}
