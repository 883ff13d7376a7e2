#pragma once
// Points, boxes and similarity transforms of the stand-in host's curve kernel.
// Lengths are millimetres; angles are radians unless a name says degrees.

#include <cmath>
#include <limits>

namespace vlhost::geom {

inline constexpr double kPi = 3.14159265358979323846;

struct Point {
    double x = 0;
    double y = 0;

    friend Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
    friend Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
    friend Point operator-(Point a) { return {-a.x, -a.y}; }
    friend Point operator*(Point a, double k) { return {a.x * k, a.y * k}; }
    friend Point operator*(double k, Point a) { return {a.x * k, a.y * k}; }
    friend Point operator/(Point a, double k) { return {a.x / k, a.y / k}; }
    friend bool operator==(Point a, Point b) = default;
};

inline double dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
inline double cross(Point a, Point b) { return a.x * b.y - a.y * b.x; }
inline double norm(Point a) { return std::hypot(a.x, a.y); }
inline double distance(Point a, Point b) { return norm(b - a); }
inline Point lerp(Point a, Point b, double t) { return a + (b - a) * t; }
inline Point unitAt(double angle) { return {std::cos(angle), std::sin(angle)}; }
inline bool isFinite(Point a) { return std::isfinite(a.x) && std::isfinite(a.y); }
inline bool near(Point a, Point b, double tol) { return std::abs(a.x - b.x) <= tol && std::abs(a.y - b.y) <= tol; }

// Distance from p to the segment a-b (to the point a when a == b).
double distanceToSegment(Point p, Point a, Point b);

// Axis-parallel bounding box; a default box is empty and absorbs what is added.
struct Box {
    Box() = default;   // not an aggregate, so that add({x, y}) means a point

    Point min{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    Point max{-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};

    bool empty() const { return min.x > max.x || min.y > max.y; }
    double width() const { return empty() ? 0 : max.x - min.x; }
    double height() const { return empty() ? 0 : max.y - min.y; }
    void add(Point p);
    void add(const Box& other);
    bool contains(Point p, double tol = 0) const;
    bool contains(const Box& other, double tol = 0) const;
    bool overlaps(const Box& other, double tol = 0) const;
};

// A similarity transform (move, turn, mirror, uniform scale and their compositions),
// so that circles stay circles and ellipses stay ellipses.
class Transform {
public:
    Transform() = default;
    static Transform move(double dx, double dy);
    static Transform turn(Point centre, double degrees);
    static Transform mirror(Point a, Point b);   // about the line through a and b (none when a == b)
    static Transform scale(Point centre, double factor);

    // This transform followed by `next`.
    Transform then(const Transform& next) const;
    Point apply(Point p) const;
    Point applyToVector(Point v) const;
    // Length factor (|factor| of the scale) and whether orientation is reversed.
    double lengthFactor() const;
    bool mirrors() const;
    // Angle by which directions turn (for a mirroring transform: after the reflection x -> x, y -> -y).
    double turnAngle() const;

private:
    Transform(double a, double b, double c, double d, double tx, double ty) : a_(a), b_(b), c_(c), d_(d), tx_(tx), ty_(ty) {}
    // x' = a x + b y + tx, y' = c x + d y + ty
    double a_ = 1, b_ = 0, c_ = 0, d_ = 1, tx_ = 0, ty_ = 0;
};

}  // namespace vlhost::geom
