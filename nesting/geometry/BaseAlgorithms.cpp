#include "geometry/BaseAlgorithms.h"

#include <algorithm>
#include <cmath>

namespace {

double ZeroBelow(double v, double limit) { return std::fabs(v) < limit ? 0.0 : v; }

// Orientation of c relative to the directed line a -> b (not normalised).
double Orientation(const NPoint& a, const NPoint& b, const NPoint& c)
{
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// The bounding boxes of the segments p1-p2 and p3-p4 meet, widened by EPS.
// For boxes built from two points this is exactly CheckIntersectRects.
bool SegmentBoxesMeet(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4)
{
    return std::min(p3.x, p4.x) < std::max(p1.x, p2.x) + EPS && std::max(p3.x, p4.x) > std::min(p1.x, p2.x) - EPS &&
           std::min(p3.y, p4.y) < std::max(p1.y, p2.y) + EPS && std::max(p3.y, p4.y) > std::min(p1.y, p2.y) - EPS;
}

bool InWidenedRect(const NRect& rect, double x, double y)
{
    return rect.pBot.x - EPS < x && x < rect.pTop.x + EPS && rect.pBot.y - EPS < y && y < rect.pTop.y + EPS;
}

bool AnyCornerInside(const NRect& corners, const NRect& rect)
{
    return InWidenedRect(rect, corners.pBot.x, corners.pBot.y) || InWidenedRect(rect, corners.pTop.x, corners.pBot.y) ||
           InWidenedRect(rect, corners.pTop.x, corners.pTop.y) || InWidenedRect(rect, corners.pBot.x, corners.pTop.y);
}

bool InWidenedRange(double v, double low, double high) { return low - EPS < v && v < high + EPS; }

// Direction angle of (dx, dy) in [0, 2*pi), axis directions exact.
double LineDirection(double dx, double dy)
{
    if (std::fabs(dx) < EPS)
        return dy > 0 ? PI / 2 : 3 * PI / 2;
    if (std::fabs(dy) < EPS)
        return dx > 0 ? 0.0 : PI;
    const double a = std::atan2(dy, dx);
    return a < 0 ? a + 2 * PI : a;
}

}  // namespace

// ---------------------------------------------------------------- NPoint

bool NPoint::IsEquil(const NPoint& p, double epsOverload) const
{
    return std::fabs(x - p.x) < epsOverload && std::fabs(y - p.y) < epsOverload;
}

bool NPoint::operator==(const NPoint& p) const { return IsEquil(p, EPS); }

void NPoint::Rotate(const NPoint& p0, double angle) { Rotate(p0, std::cos(angle), std::sin(angle)); }

// ---------------------------------------------------------------- NSegment

NSegment::NSegment(const NPoint& p1_, const NPoint& p2_, int dir_) : p1(p1_), p2(p2_), dir(dir_) {}

bool NSegment::operator==(const NSegment& other) const
{
    return (p1 == other.p1 && p2 == other.p2) || (p1 == other.p2 && p2 == other.p1);
}

void NSegment::Offset(const NPoint& p)
{
    p1 += p;
    p2 += p;
}

void NSegment::Scale(double scale)
{
    p1 *= scale;
    p2 *= scale;
}

void NSegment::Invert()
{
    std::swap(p1, p2);
    invert = !invert;
}

void NSegment::GetPoints(std::vector<NPoint>& p) const { p.push_back(p1); }

// ---------------------------------------------------------------- points and lines

bool CheckEquilPoints(double x1, double y1, double x2, double y2)
{
    return std::fabs(x1 - x2) < EPS && std::fabs(y1 - y2) < EPS;
}

bool CheckEquilPoints(const NPoint& p1, const NPoint& p2) { return p1 == p2; }

double Distance(const NPoint& p1, const NPoint& p2) { return std::sqrt(Distance2(p1, p2)); }

double Distance2(const NPoint& p1, const NPoint& p2)
{
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    return dx * dx + dy * dy;
}

bool IntersectionLines(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4, NPoint& p)
{
    if (p1 == p3 || p1 == p4) {
        p = p1;
        return true;
    }
    if (p2 == p3 || p2 == p4) {
        p = p2;
        return true;
    }
    const NPoint d1{ZeroBelow(p2.x - p1.x, EPS_DIRECTION), ZeroBelow(p2.y - p1.y, EPS_DIRECTION)};
    const NPoint d2{ZeroBelow(p4.x - p3.x, EPS_DIRECTION), ZeroBelow(p4.y - p3.y, EPS_DIRECTION)};
    const double den = d1.y * d2.x - d1.x * d2.y;
    if (std::fabs(den) < EPS_DIRECTION)
        return false;
    // Worked out with p1 as the origin, so that lines far from the origin
    // keep their digits: the crossing lies along the first line from p1.
    const NPoint q3 = p3 - p1;
    const double c2 = q3.y * d2.x - q3.x * d2.y;
    p = {p1.x + c2 * d1.x / den, p1.y + c2 * d1.y / den};
    return true;
}

// The line runs through p1 along p2 - p1, a direction component below EPS
// taken as 0: a nearly axis-parallel line counts as parallel, and it still
// passes through p1 wherever the segment lies. A segment too short to give a
// direction has no line: the distance is then the distance from its first point.
double DistancePointToLine(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    const double dx = ZeroBelow(p2.x - p1.x, EPS);
    const double dy = ZeroBelow(p2.y - p1.y, EPS);
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length == 0.0)
        return Distance(p1, p);
    return std::fabs(dy * (p.x - p1.x) - dx * (p.y - p1.y)) / length;
}

double DistancePointToSegment(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    const double t = length2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
    return Distance(p, NPoint{a.x + t * dx, a.y + t * dy});
}

double GetPlacementPointLine(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    const double ax = ZeroBelow(p2.x - p1.x, EPS_DIRECTION);
    const double ay = ZeroBelow(p2.y - p1.y, EPS_DIRECTION);
    const double bx = ZeroBelow(p.x - p1.x, EPS_DIRECTION);
    const double by = ZeroBelow(p.y - p1.y, EPS_DIRECTION);
    const double cross = ax * by - bx * ay;
    if (cross >= EPS_SIDE_CROSS)
        return cross;
    return DistancePointToLine(p1, p2, p) < EPS ? 0.0 : cross;
}

bool CheckLineContainPoint(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    return std::fabs(GetPlacementPointLine(p1, p2, p)) < EPS;
}

bool CheckSegmentContainPoint(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    // Every rule below needs p inside the widened box: reject early.
    if (!SegmentBoxContains(p1, p2, p))
        return false;
    if (p == p1 || p == p2)
        return true;
    if (p == NPoint{(p1.x + p2.x) * 0.5, (p1.y + p2.y) * 0.5})
        return true;
    if (std::fabs(p1.x - p2.x) < EPS)
        return std::fabs(p1.x - p.x) < EPS && InWidenedRange(p.y, std::min(p1.y, p2.y), std::max(p1.y, p2.y));
    if (std::fabs(p1.y - p2.y) < EPS)
        return std::fabs(p1.y - p.y) < EPS && InWidenedRange(p.x, std::min(p1.x, p2.x), std::max(p1.x, p2.x));
    return CheckLineContainPoint(p1, p2, p);
}

// A segment too short to give a direction projects every point onto its first point.
NPoint GetProjectionPointToLine(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    const double dx = p2.x - p1.x;
    const double dy = p2.y - p1.y;
    if (std::fabs(dx) < EPS && std::fabs(dy) < EPS)
        return p1;
    const double alpha = LineDirection(dx, dy);
    const double side = GetPlacementPointLine(p1, p2, p);
    const double dist = DistancePointToLine(p1, p2, p);
    // A point taken as on the line still steps towards it, never away: its
    // side is the sign of the plain cross product.
    const bool left = side > 0 || (side == 0 && dx * (p.y - p1.y) - dy * (p.x - p1.x) > 0);
    const double beta = left ? alpha - PI / 2 : alpha + PI / 2;
    return {p.x + dist * std::cos(beta), p.y + dist * std::sin(beta)};
}

bool CheckIntersectionSegments(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4)
{
    // Shared end points imply meeting boxes, so the box test may come first.
    if (!SegmentBoxesMeet(p1, p2, p3, p4))
        return false;
    if (p1 == p3 || p1 == p4 || p2 == p3 || p2 == p4)
        return true;
    const double d3 = Orientation(p1, p2, p3);
    const double d4 = Orientation(p1, p2, p4);
    if (!((d4 < EPS && d3 > -EPS) || (d4 > -EPS && d3 < EPS)))
        return false;
    const double d1 = Orientation(p3, p4, p1);
    const double d2 = Orientation(p3, p4, p2);
    return (d1 > -EPS && d2 < EPS) || (d1 < EPS && d2 > -EPS);
}

double AnglePoint(double x1, double y1, double x2, double y2)
{
    if (std::fabs(y2 - y1) < EPS)
        return x2 > x1 ? 0.0 : PI;
    const double a = std::atan2(y2 - y1, x2 - x1);
    return a < 0 ? a + 2 * PI : a;
}

double AngleBetweenTwoLines(const NSegment& seg1, const NSegment& seg2)
{
    const NPoint d1 = seg1.p2 - seg1.p1;
    const NPoint d2 = seg2.p2 - seg2.p1;
    const double len1 = d1.x * d1.x + d1.y * d1.y;
    const double len2 = d2.x * d2.x + d2.y * d2.y;
    if (!(len1 > EPS && len2 > EPS))
        return 0.0;
    const double dot = d1.x * d2.x + d1.y * d2.y;
    // Rounding may push the cosine a hair above 1.
    const double cosA = std::min(1.0, std::sqrt(dot * dot / len1 / len2));
    const double a = std::acos(cosA);
    if (std::fabs(a) < EPS && (d1.x * d2.x < 0 || d1.y * d2.y < 0))
        return PI;
    return a;
}

void GetParamCircleBy3Points(NPoint p1, NPoint p2, NPoint p3, double& x0, double& y0, double& r)
{
    GetParamCircleBy3Points_(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y, x0, y0, r);
}

void GetParamCircleBy3Points_(double x1, double y1, double x2, double y2, double x3, double y3,
                              double& x0, double& y0, double& r)
{
    const double d = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
    if (std::fabs(d) < EPS) {
        r = 0.0;
        return;
    }
    const double s1 = x1 * x1 + y1 * y1;
    const double s2 = x2 * x2 + y2 * y2;
    const double s3 = x3 * x3 + y3 * y3;
    x0 = ((y1 - y2) * s3 + (y2 - y3) * s1 + (y3 - y1) * s2) * 0.5 / d;
    y0 = ((x2 - x1) * s3 + (x3 - x2) * s1 + (x1 - x3) * s2) * 0.5 / d;
    r = ((x1 * y2 - y1 * x2) * s3 + (x2 * y3 - y2 * x3) * s1 + (y1 * x3 - x1 * y3) * s2) / d + x0 * x0 + y0 * y0;
}

// ---------------------------------------------------------------- rectangles

bool CheckRectContainRect(const NRect& rect1, const NRect& rect2)
{
    return InWidenedRect(rect1, rect2.pBot.x, rect2.pBot.y) && InWidenedRect(rect1, rect2.pTop.x, rect2.pTop.y);
}

bool CheckRectContainPoint(const NRect& rect, const NPoint& p) { return InWidenedRect(rect, p.x, p.y); }

bool CheckIntersectRects(const NRect& rect1, const NRect& rect2)
{
    if (AnyCornerInside(rect2, rect1) || AnyCornerInside(rect1, rect2))
        return true;
    const bool tallAcross = InWidenedRange(rect2.pBot.x, rect1.pBot.x, rect1.pTop.x) &&
                            InWidenedRange(rect2.pTop.x, rect1.pBot.x, rect1.pTop.x) &&
                            rect2.pBot.y < rect1.pBot.y && rect2.pTop.y > rect1.pTop.y;
    const bool wideAcross = InWidenedRange(rect2.pBot.y, rect1.pBot.y, rect1.pTop.y) &&
                            InWidenedRange(rect2.pTop.y, rect1.pBot.y, rect1.pTop.y) &&
                            rect2.pTop.x > rect1.pTop.x && rect1.pBot.x > rect2.pBot.x;
    return tallAcross || wideAcross;
}

bool SegmentMeetsRect(const NPoint& a, const NPoint& b, const NRect& r)
{
    double t0 = 0.0, t1 = 1.0;
    const double d[2] = {b.x - a.x, b.y - a.y};
    const double from[2] = {a.x, a.y};
    const double low[2] = {r.pBot.x, r.pBot.y};
    const double high[2] = {r.pTop.x, r.pTop.y};
    for (int axis = 0; axis < 2; ++axis) {
        if (d[axis] == 0.0) {
            if (from[axis] < low[axis] || from[axis] > high[axis])
                return false;
            continue;
        }
        double ta = (low[axis] - from[axis]) / d[axis], tb = (high[axis] - from[axis]) / d[axis];
        if (ta > tb)
            std::swap(ta, tb);
        t0 = std::max(t0, ta);
        t1 = std::min(t1, tb);
        if (t0 > t1)
            return false;
    }
    return true;
}

bool CheckEquilRects(const NRect& rect1, const NRect& rect2)
{
    const double w1 = rect1.pTop.x - rect1.pBot.x;
    const double h1 = rect1.pTop.y - rect1.pBot.y;
    const double w2 = rect2.pTop.x - rect2.pBot.x;
    const double h2 = rect2.pTop.y - rect2.pBot.y;
    return std::fabs(w1 - w2) < EPS && std::fabs(h1 - h2) < EPS;
}

void ExtentRectX(NRect& rect, double ext)
{
    rect.pBot.x -= 0.5 * ext;
    rect.pTop.x += 0.5 * ext;
}

void ExtentRectY(NRect& rect, double ext)
{
    rect.pBot.y -= 0.5 * ext;
    rect.pTop.y += 0.5 * ext;
}

void OffsetRect(NRect& rect, NPoint dp)
{
    rect.pBot += dp;
    rect.pTop += dp;
}
