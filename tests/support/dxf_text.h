// DXF files written group by group: the awkward and hostile files that the
// converter's and the import's tests, the import benchmark and the fuzz
// seeds make for themselves.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace dxftext {

using Groups = std::vector<std::pair<int, std::string>>;

inline std::string Num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

inline Groups operator+(Groups a, const Groups& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Groups Line(double x1, double y1, double x2, double y2, const std::string& layer = "0")
{
    return {{0, "LINE"}, {8, layer}, {10, Num(x1)}, {20, Num(y1)}, {11, Num(x2)}, {21, Num(y2)}};
}

// An arc about (cx, cy) counter-clockwise from `from` to `to` degrees.
inline Groups Arc(double cx, double cy, double radius, double from, double to)
{
    return {{0, "ARC"}, {8, "0"}, {10, Num(cx)}, {20, Num(cy)}, {40, Num(radius)}, {50, Num(from)}, {51, Num(to)}};
}

// Half an ellipse about (cx, cy) with its major axis `a` along x and minor
// axis `b`: the upper half, or the lower one.
inline Groups HalfEllipse(double cx, double cy, double a, double b, bool upper)
{
    return {{0, "ELLIPSE"}, {8, "0"}, {10, Num(cx)}, {20, Num(cy)}, {11, Num(a)}, {21, "0"}, {40, Num(b / a)},
            {41, upper ? "0" : "3.141592653589793"}, {42, upper ? "3.141592653589793" : "6.283185307179586"}};
}

// A circle about (x, y); `more` groups follow (an extrusion direction, ...).
inline Groups Circle(const std::string& x, const std::string& y, double radius, const Groups& more = {})
{
    return Groups{{0, "CIRCLE"}, {8, "0"}, {10, x}, {20, y}, {40, Num(radius)}} + more;
}

// Four lines round a square with its corner at (x, y).
inline Groups Square(double x, double y, double side)
{
    return Line(x, y, x + side, y) + Line(x + side, y, x + side, y + side) + Line(x + side, y + side, x, y + side) +
           Line(x, y + side, x, y);
}

// A TEXT or MTEXT (`kind`) of height 2.5.
inline Groups Text(double x, double y, const std::string& value, const char* kind = "TEXT")
{
    return {{0, kind}, {8, "0"}, {10, Num(x)}, {20, Num(y)}, {40, "2.5"}, {1, value}};
}

inline Groups Block(const std::string& name, const Groups& members)
{
    return Groups{{0, "BLOCK"}, {2, name}, {70, "0"}, {10, "0"}, {20, "0"}} + members + Groups{{0, "ENDBLK"}};
}

// `cols` × `rows` copies of a block, `spacing` apart, scaled by `scale`.
inline Groups Insert(const std::string& name, double x, double y, const std::string& scale = "1", int cols = 1,
                     int rows = 1, double spacing = 0)
{
    return {{0, "INSERT"}, {8, "0"}, {2, name},           {10, Num(x)},     {20, Num(y)},
            {41, scale},   {42, scale}, {70, std::to_string(cols)}, {71, std::to_string(rows)},
            {44, Num(spacing)}, {45, Num(spacing)}};
}

// A copy of a block at (x, y) turned by `angle` degrees, scaled by `sx` and `sy`; `more` groups follow.
inline Groups TurnedInsert(const std::string& name, double x, double y, double angle, double sx = 1, double sy = 1,
                           const Groups& more = {})
{
    return Groups{{0, "INSERT"}, {8, "0"}, {2, name}, {10, Num(x)}, {20, Num(y)}, {41, Num(sx)}, {42, Num(sy)},
                  {50, Num(angle)}} + more;
}

// The tables of a linetype DASH with gaps, a layer FR frozen and a layer OFF off.
inline Groups DashFrozenOffTables()
{
    return {{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, "DASH"}, {70, "0"}, {73, "2"}, {40, "7"}, {49, "5"},
            {49, "-2"}, {0, "ENDTAB"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "FR"}, {70, "1"}, {62, "7"},
            {0, "LAYER"}, {2, "OFF"}, {70, "0"}, {62, "-7"}, {0, "ENDTAB"}};
}

// The objects of `groups` on `layer`, in the linetype `linetype` (none: by layer).
inline Groups OnLayer(Groups groups, const std::string& layer, const std::string& linetype = "")
{
    for (size_t k = 0; k < groups.size(); ++k)
        if (groups[k].first == 8 && (groups[k].second = layer, !linetype.empty()))
            groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(++k), {6, linetype});
    return groups;
}

inline Groups Polyline(const std::vector<std::pair<double, double>>& points, bool closed)
{
    Groups g{{0, "LWPOLYLINE"}, {8, "0"}, {90, std::to_string(points.size())}, {70, closed ? "1" : "0"}};
    for (const auto& [x, y] : points) {
        g.emplace_back(10, Num(x));
        g.emplace_back(20, Num(y));
    }
    return g;
}

// A cubic spline given by the points it runs through (`closed`: back to the first).
inline Groups FitSpline(const std::vector<std::pair<double, double>>& points, bool closed = false)
{
    Groups g{{0, "SPLINE"}, {8, "0"}, {70, closed ? "9" : "8"}, {71, "3"}, {72, "0"}, {73, "0"}, {74, std::to_string(points.size())}};
    for (const auto& [x, y] : points) {
        g.emplace_back(11, Num(x));
        g.emplace_back(21, Num(y));
        g.emplace_back(31, "0");
    }
    return g;
}

// A closed LWPOLYLINE of vertices {x, y, bulge of the edge to the next vertex}.
inline Groups BulgedPolyline(const std::vector<std::array<double, 3>>& vertices)
{
    Groups g{{0, "LWPOLYLINE"}, {8, "0"}, {90, std::to_string(vertices.size())}, {70, "1"}};
    for (const auto& [x, y, bulge] : vertices) {
        g.emplace_back(10, Num(x));
        g.emplace_back(20, Num(y));
        g.emplace_back(42, Num(bulge));
    }
    return g;
}

// A SPLINE of `degree` given by its control points, knots and weights (none: all 1).
inline Groups Spline(int degree, const std::vector<double>& knots, const std::vector<std::pair<double, double>>& poles,
                     const std::vector<double>& weights = {})
{
    Groups g{{0, "SPLINE"}, {8, "0"}, {70, weights.empty() ? "8" : "12"}, {71, std::to_string(degree)},
             {72, std::to_string(knots.size())}, {73, std::to_string(poles.size())}, {74, "0"}};
    for (double k : knots)
        g.emplace_back(40, Num(k));
    for (double w : weights)
        g.emplace_back(41, Num(w));
    for (const auto& [x, y] : poles) {
        g.emplace_back(10, Num(x));
        g.emplace_back(20, Num(y));
        g.emplace_back(30, "0");
    }
    return g;
}

// The file: its sections in order, then EOF.
inline std::string File(const std::vector<std::pair<std::string, Groups>>& sections)
{
    std::string out;
    auto put = [&](int code, const std::string& value) { out += std::to_string(code) + "\n" + value + "\n"; };
    for (const auto& [name, groups] : sections) {
        put(0, "SECTION");
        put(2, name);
        for (const auto& [code, value] : groups)
            put(code, value);
        put(0, "ENDSEC");
    }
    put(0, "EOF");
    return out;
}

}  // namespace dxftext
