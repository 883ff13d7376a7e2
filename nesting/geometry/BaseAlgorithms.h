// Elementary planar geometry: points, segments, axis-parallel rectangles and
// the free functions on them. Coordinates are millimetres, angles radians,
// the y axis points up (positive cross products and angles are counter-clockwise).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The host's signed 32-bit reference of a drawing object within a document.
using reference = int32_t;

inline constexpr double PI = 3.141592653589793;
inline constexpr double DR = PI / 180.0;  // degrees to radians
inline constexpr double RD = 180.0 / PI;  // radians to degrees

// Tolerances. Every comparison against them is strict.
inline constexpr double EPS = 0.0001;            // equality of coordinates and values
inline constexpr double EPS_DIRECTION = 1e-6;    // direction components taken as 0
inline constexpr double EPS_REPEATED = 0.001;    // repeated vertices, near-axis slope ratio
inline constexpr double EPS_SIDE_CROSS = 0.01;   // side test falls back to a distance test below it
// A width short of a least width by less than this is that width: the
// rounding of doubles, not a placement's hair (a remnant of 9.99999 mm is
// under a minimum of 10, one of 9.9999999999 is not).
inline constexpr double EPS_WIDTH = 1e-6;

// Start values of every gabarit computation (the gabarit of an empty ring).
inline constexpr double GABARIT_LOW = 2147483647.0;
inline constexpr double GABARIT_HIGH = -2147483648.0;

// Index searches return this when nothing is found.
inline constexpr size_t NOT_FOUND_INDEX = 4294967295u;

struct NPoint {
    double x = 0.0;
    double y = 0.0;

    NPoint& operator+=(const NPoint& other) { x += other.x; y += other.y; return *this; }
    NPoint& operator-=(const NPoint& other) { x -= other.x; y -= other.y; return *this; }
    NPoint& operator*=(double v) { x *= v; y *= v; return *this; }
    NPoint& operator/=(double v) { x /= v; y /= v; return *this; }
    NPoint operator+(const NPoint& other) const { return {x + other.x, y + other.y}; }
    NPoint operator-(const NPoint& other) const { return {x - other.x, y - other.y}; }

    bool IsEquil(const NPoint& p, double epsOverload) const;
    bool operator==(const NPoint& p) const;

    void Rotate(const NPoint& p0, double angle);
    void Rotate(const NPoint& p0, double cosA, double sinA)
    {
        const double dx = x - p0.x;
        const double dy = y - p0.y;
        x = p0.x + dx * cosA - dy * sinA;
        y = p0.y + dx * sinA + dy * cosA;
    }
};

enum PointType : int32_t { Simple = 0, Intersect = 1 };

// A point that remembers the edges it was found on. Equality compares the
// coordinates only (the inherited NPoint::operator==).
struct NIndexPoint : NPoint {
    size_t i = 0;
    size_t j = 0;
    PointType type = Simple;
};

// A hit with its squared distance from a reference point: the sort key.
struct LengthPoint {
    double length2 = 0.0;
    NIndexPoint p;
};

// Axis-parallel rectangle; pBot holds the smallest, pTop the largest coordinates.
struct NRect {
    NPoint pBot;
    NPoint pTop;
};

class NSegment {
public:
    NSegment() = default;
    NSegment(const NPoint& p1, const NPoint& p2, int dir);

    bool operator==(const NSegment& other) const;
    void Offset(const NPoint& p);
    void Scale(double scale);
    void Invert();
    void GetPoints(std::vector<NPoint>& p) const;
    // Shown in the active drawing as a host line segment (defined by the host binding).
    void Draw();
    void Clear();

    NPoint p1;
    NPoint p2;
    int dir = 0;
    reference m_ref = 0;
    bool invert = false;
};

using NSegmentPtr = std::shared_ptr<NSegment>;

bool CheckEquilPoints(double x1, double y1, double x2, double y2);
bool CheckEquilPoints(const NPoint& p1, const NPoint& p2);
double Distance(const NPoint& p1, const NPoint& p2);
double Distance2(const NPoint& p1, const NPoint& p2);
bool IntersectionLines(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4, NPoint& p);
double DistancePointToLine(const NPoint& p1, const NPoint& p2, const NPoint& p);
// The least distance from p to the segment a-b.
double DistancePointToSegment(const NPoint& p, const NPoint& a, const NPoint& b);
double GetPlacementPointLine(const NPoint& p1, const NPoint& p2, const NPoint& p);
bool CheckLineContainPoint(const NPoint& p1, const NPoint& p2, const NPoint& p);
bool CheckSegmentContainPoint(const NPoint& p1, const NPoint& p2, const NPoint& p);
// p lies strictly inside the box of p1-p2 widened by EPS (where
// CheckSegmentContainPoint looks first).
inline bool SegmentBoxContains(const NPoint& p1, const NPoint& p2, const NPoint& p)
{
    return std::min(p1.x, p2.x) - EPS < p.x && p.x < std::max(p1.x, p2.x) + EPS &&
           std::min(p1.y, p2.y) - EPS < p.y && p.y < std::max(p1.y, p2.y) + EPS;
}

NPoint GetProjectionPointToLine(const NPoint& p1, const NPoint& p2, const NPoint& p);
bool CheckIntersectionSegments(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4);
double AnglePoint(double x1, double y1, double x2, double y2);
// The angle brought into [0, turn): 360 for degrees, 2 pi for radians.
inline double NormalizeAngle(double angle, double turn = 360.0)
{
    // Sums and differences of angles already in range need no division.
    double r = angle >= -turn && angle < 2.0 * turn ? angle : std::fmod(angle, turn);
    if (r < 0.0)
        r += turn;
    if (r >= turn)
        r -= turn;
    return r >= turn ? 0.0 : r;  // a tiny negative angle rounds up to a whole turn
}
double AngleBetweenTwoLines(const NSegment& seg1, const NSegment& seg2);
void GetParamCircleBy3Points(NPoint p1, NPoint p2, NPoint p3, double& x0, double& y0, double& r);
void GetParamCircleBy3Points_(double x1, double y1, double x2, double y2, double x3, double y3,
                              double& x0, double& y0, double& r);

bool CheckRectContainRect(const NRect& rect1, const NRect& rect2);
bool CheckRectContainPoint(const NRect& rect, const NPoint& p);
bool CheckIntersectRects(const NRect& rect1, const NRect& rect2);
// The segment a-b has a point in the closed rectangle (its border included):
// clipped to the rectangle's slabs it keeps a stretch.
bool SegmentMeetsRect(const NPoint& a, const NPoint& b, const NRect& r);
bool CheckEquilRects(const NRect& rect1, const NRect& rect2);
void ExtentRectX(NRect& rect, double ext);
void ExtentRectY(NRect& rect, double ext);
void OffsetRect(NRect& rect, NPoint dp);
