#include "geom/Point.h"

#include <algorithm>

namespace vlhost::geom {

double distanceToSegment(Point p, Point a, Point b)
{
    const Point d = b - a;
    const double len2 = dot(d, d);
    if (len2 == 0)
        return distance(p, a);
    const double t = std::clamp(dot(p - a, d) / len2, 0.0, 1.0);
    return distance(p, a + d * t);
}

void Box::add(Point p)
{
    min.x = std::min(min.x, p.x);
    min.y = std::min(min.y, p.y);
    max.x = std::max(max.x, p.x);
    max.y = std::max(max.y, p.y);
}

void Box::add(const Box& other)
{
    if (other.empty())
        return;
    add(other.min);
    add(other.max);
}

bool Box::contains(Point p, double tol) const
{
    return p.x >= min.x - tol && p.x <= max.x + tol && p.y >= min.y - tol && p.y <= max.y + tol;
}

bool Box::contains(const Box& other, double tol) const
{
    return !other.empty() && contains(other.min, tol) && contains(other.max, tol);
}

bool Box::overlaps(const Box& other, double tol) const
{
    return !empty() && !other.empty() && other.min.x <= max.x + tol && other.max.x >= min.x - tol &&
           other.min.y <= max.y + tol && other.max.y >= min.y - tol;
}

Transform Transform::move(double dx, double dy)
{
    return {1, 0, 0, 1, dx, dy};
}

Transform Transform::turn(Point centre, double degrees)
{
    const double angle = degrees * kPi / 180;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return {c, -s, s, c, centre.x - c * centre.x + s * centre.y, centre.y - s * centre.x - c * centre.y};
}

Transform Transform::mirror(Point a, Point b)
{
    const Point d = b - a;
    if (dot(d, d) == 0)
        return {};
    const double angle2 = 2 * std::atan2(d.y, d.x);
    const double c = std::cos(angle2);
    const double s = std::sin(angle2);
    return {c, s, s, -c, a.x - c * a.x - s * a.y, a.y - s * a.x + c * a.y};
}

Transform Transform::scale(Point centre, double factor)
{
    return {factor, 0, 0, factor, centre.x * (1 - factor), centre.y * (1 - factor)};
}

Transform Transform::then(const Transform& n) const
{
    return {n.a_ * a_ + n.b_ * c_, n.a_ * b_ + n.b_ * d_, n.c_ * a_ + n.d_ * c_, n.c_ * b_ + n.d_ * d_,
            n.a_ * tx_ + n.b_ * ty_ + n.tx_, n.c_ * tx_ + n.d_ * ty_ + n.ty_};
}

Point Transform::apply(Point p) const
{
    return {a_ * p.x + b_ * p.y + tx_, c_ * p.x + d_ * p.y + ty_};
}

Point Transform::applyToVector(Point v) const
{
    return {a_ * v.x + b_ * v.y, c_ * v.x + d_ * v.y};
}

double Transform::lengthFactor() const
{
    return std::sqrt(std::abs(a_ * d_ - b_ * c_));
}

bool Transform::mirrors() const
{
    return a_ * d_ - b_ * c_ < 0;
}

double Transform::turnAngle() const
{
    return std::atan2(c_, a_);
}

}  // namespace vlhost::geom
