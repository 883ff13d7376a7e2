// Ellipses and elliptic arcs.

#include "geom/detail/Kernel.h"

#include <algorithm>

namespace vlhost::geom::detail {

EllipticPath::EllipticPath(const Ellipse& e, double start, double sweep)
    : centre_(e.centre), axisA_(unitAt(e.rotation) * e.radiusA),
      axisB_(unitAt(e.rotation + kPi / 2) * e.radiusB), start_(start), sweep_(sweep)
{
}

Point EllipticPath::at(double t) const
{
    const double u = start_ + (sweep_ >= 0 ? t : -t);
    return centre_ + axisA_ * std::cos(u) + axisB_ * std::sin(u);
}

Point EllipticPath::derivative(double t) const
{
    const double u = start_ + (sweep_ >= 0 ? t : -t);
    const Point d = axisB_ * std::cos(u) - axisA_ * std::sin(u);
    return sweep_ >= 0 ? d : -d;
}

std::vector<double> EllipticPath::breaks() const
{
    // Cut at the ends of the axes so that no span turns by more than a quarter.
    const double total = std::abs(sweep_);
    std::vector<double> br{0};
    for (int quarter = 0; quarter < 8; ++quarter) {
        const double along = travelled(quarter * kPi / 2, start_, sweep_);
        if (along > 1e-9 && along < total - 1e-9)
            br.push_back(along);
    }
    br.push_back(total);
    std::sort(br.begin(), br.end());
    br.erase(std::unique(br.begin(), br.end()), br.end());
    return br;
}

Box EllipticPath::exactBox() const
{
    Box box;
    box.add(at(0));
    box.add(at(std::abs(sweep_)));
    // x(u) and y(u) are extreme where A.x sin u = B.x cos u (and likewise for y).
    for (double base : {std::atan2(axisB_.x, axisA_.x), std::atan2(axisB_.y, axisA_.y)})
        for (double u : {base, base + kPi})
            if (onSweep(u, start_, sweep_, 0))
                box.add(centre_ + axisA_ * std::cos(u) + axisB_ * std::sin(u));
    return box;
}

bool isValid(const Ellipse& e)
{
    return isFinite(e.centre) && std::isfinite(e.rotation) && std::isfinite(e.radiusA) && std::isfinite(e.radiusB) &&
           e.radiusA > kTiny && e.radiusB > kTiny;
}

EllipticPath ellipticPath(const Ellipse& e)
{
    return {e, 0, 2 * kPi};
}

EllipticPath ellipticPath(const EllipticArc& arc)
{
    return {arc.ellipse, arc.startParam, normalisedSweep(arc.startParam, arc.endParam, arc.ccw)};
}

}  // namespace vlhost::geom::detail
