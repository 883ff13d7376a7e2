#include "io/DxfFileCurves.h"
#include "io/AcisPoints.h"
#include "io/DxfGroups.h"
#include "io/DxfUnits.h"

#include "geometry/BaseAlgorithms.h"
#include "geometry/Polygon.h"
#include "geometry/UtilityFunctions.h"
#include "io/DxfPartDrawing.h"
#include "io/OutlineJoints.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

// Levels of blocks looked into: far more than the converter reads (16), so
// that a curve it left out for its depth is found all the same.
constexpr int kMaxDepth = 256;
// Block copies and their curves looked into, at most: as many as the converter visits.
constexpr size_t kMaxVisits = 10'000'000;
// Layer and block names are named up to this many characters.
constexpr size_t kNamedLength = 64;

// A number as the converter reads one: decimal (a point or a comma), finite.
std::optional<double> Decimal(std::string_view text)
{
    if (text.empty() || text.size() > 256)
        return std::nullopt;
    size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0, digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++digits;
    if (i < text.size() && (text[i] == '.' || text[i] == ','))
        ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        ++digits;
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        const size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        if (i == start)
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    std::string s(text);
    std::replace(s.begin(), s.end(), ',', '.');
    const double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// x' = a x + b y + e, y' = c x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
    NPoint Apply(const NPoint& p) const { return {a * p.x + b * p.y + e, c * p.x + d * p.y + f}; }
    // This after `first`.
    Affine After(const Affine& first) const
    {
        return {a * first.a + b * first.c, a * first.b + b * first.d, c * first.a + d * first.c,
                c * first.b + d * first.d, a * first.e + b * first.f + e, c * first.e + d * first.f + f};
    }
};

std::wstring NameText(std::string_view bytes)
{
    std::wstring text;
    if (!uf::DecodeUtf8(bytes, text))
        text = uf::DecodeCp1251(bytes);
    return text.size() > kNamedLength ? text.substr(0, kNamedLength) + L"…" : text;
}

// What bounds a curve in the coordinates it is read in: points (its
// vertices, or points along it), and arcs of circles and ellipses, each
// c + u cos t + v sin t for t from `from` on by `sweep` (radians). A block
// copy may turn, scale or mirror the curve: its box is then found of these
// as placed, never by placing the box it has in its block, which holds more
// than the curve wherever the turn is no right angle.
struct Extent {
    struct Conic {
        NPoint c, u, v;
        double from = 0.0, sweep = 2.0 * PI;
    };
    std::vector<NPoint> points;
    std::vector<Conic> conics;

    bool Empty() const { return points.empty() && conics.empty(); }
    void Add(const Extent& other)
    {
        points.insert(points.end(), other.points.begin(), other.points.end());
        conics.insert(conics.end(), other.conics.begin(), other.conics.end());
    }
    // Keeps of the points the corners of their hull alone: no placement
    // puts any other outside them.
    void Hull()
    {
        std::vector<NPoint> hull;
        CreateConvexHull(points, hull);
        points = std::move(hull);
    }
    // The box of all of it placed by `placed`; false when there is nothing,
    // or the box is no finite one.
    bool Box(const Affine& placed, double& x1, double& y1, double& x2, double& y2) const
    {
        x1 = y1 = INFINITY;
        x2 = y2 = -INFINITY;
        const auto add = [&](const NPoint& p) {
            x1 = std::min(x1, p.x), x2 = std::max(x2, p.x);
            y1 = std::min(y1, p.y), y2 = std::max(y2, p.y);
        };
        for (const NPoint& p : points)
            add(placed.Apply(p));
        for (const Conic& k : conics) {
            const NPoint c = placed.Apply(k.c);
            const NPoint u{placed.a * k.u.x + placed.b * k.u.y, placed.c * k.u.x + placed.d * k.u.y};
            const NPoint v{placed.a * k.v.x + placed.b * k.v.y, placed.c * k.v.x + placed.d * k.v.y};
            const auto at = [&](double t) {
                return NPoint{c.x + u.x * std::cos(t) + v.x * std::sin(t), c.y + u.y * std::cos(t) + v.y * std::sin(t)};
            };
            add(at(k.from));
            add(at(k.from + k.sweep));
            // Each coordinate is furthest where its derivative is nought:
            // at atan2(v, u) and half a turn on, where the arc reaches them.
            for (const double turn : {std::atan2(v.x, u.x), std::atan2(v.y, u.y)}) {
                for (const double t : {turn, turn + PI}) {
                    const double past = std::fmod(std::fmod(t - k.from, 2.0 * PI) + 2.0 * PI, 2.0 * PI);
                    if (past <= k.sweep)
                        add(at(k.from + past));
                }
            }
        }
        return x1 <= x2 && y1 <= y2 && std::isfinite(x1 + y1 + x2 + y2);
    }
};

// The layer an object stands on and the linetype it names (none: by layer).
struct Look {
    std::string layer, linetype;
    bool operator<(const Look& other) const { return std::tie(layer, linetype) < std::tie(other.layer, other.linetype); }
};

// A closed curve, or open curves closing a ring together, in the
// coordinates of its block (or of the model space).
struct Local {
    std::wstring what;  // "полилиния", "4 отрезка"
    std::string layer;
    NPoint at;
    Extent extent;
    bool sized = true;
    bool paper = false;    // drawn in paper space
    bool several = false;  // open curves closing one ring
    bool invisible = false;
    bool fill = false;            // a hatch (FileCurve::fill)
    std::vector<NPoint> on = {};  // on the curve (FileCurve::on)
    std::vector<Look> looks = {};  // of its curves (none: its layer's, by layer)
    bool unplaced = false;         // FileCurve::unplaced
};

// At most kOnPoints of `points`, taken evenly along them.
std::vector<NPoint> Evenly(std::vector<NPoint> points)
{
    if (points.size() <= kOnPoints)
        return points;
    std::vector<NPoint> out;
    for (size_t k = 0; k < kOnPoints; ++k)
        out.push_back(points[k * points.size() / kOnPoints]);
    return out;
}

// The point of a bulged edge from `a` to `b` halfway along it: a bulge
// above 0 turns it counter-clockwise, standing it off the chord to its right.
NPoint BulgeMiddle(const NPoint& a, const NPoint& b, double bulge)
{
    const NPoint mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
    const double off = std::isfinite(bulge) ? bulge / 2 : 0.0;  // the sagitta over the chord's length
    return {mid.x + (b.y - a.y) * off, mid.y - (b.x - a.x) * off};
}

// An open curve: its ends, and the box of its points.
struct Piece {
    const wchar_t* kind;  // of Counted: "отрезок", "дуга", "полилиния"
    std::string layer;
    NPoint start, end;
    Extent extent;
    bool paper = false;
    bool invisible = false;
    std::vector<NPoint> on = {};  // its ends and middle (a polyline's vertices and middles)
    std::string linetype = {};
};

// A block copy: its block, and where it puts the block's coordinates.
struct Copy {
    std::string block;
    Affine placed;
    bool paper = false;
    bool invisible = false;
    Look look = {};
};

struct Space {
    std::vector<Local> curves;
    std::vector<Piece> pieces;
    std::vector<Copy> copies;
};

// One object as its groups come: what tells where it stands.
struct Object {
    std::string type, layer, block;
    std::string handle, linetype;  // groups 5 and 6
    bool paper = false;
    long flags = 0;
    long viewport = 0;  // of a viewport (group 69): 1 is paper space's overall one
    double normal[3] = {0, 0, 1};
    std::vector<NPoint> points;  // of groups 10 and 20 that are numbers
    std::vector<NPoint> others;  // of groups 11 and 21
    std::optional<NPoint> first;  // its first point of groups 10 and 20, when both are numbers
    std::optional<double> g40, g41, g42, g50, g51;
    std::optional<double> g31;  // the height of its first point of groups 11 and 21
    std::optional<double> elevation;  // its first height (group 30), a light polyline's (38)
    std::vector<double> knots, weights;  // of a spline (groups 40 and 41)
    long degree = 3;                     // of a spline (group 71)
    std::optional<double> x10, x11;  // waiting for their y
    bool pending10 = false, pending11 = false;
    bool seeds = false;  // a hatch's seed points come: no more of its boundary
    bool unread = false;  // a point of groups 10 and 20, or 11 and 21, that is no number
    bool invisible = false;  // group 60: not drawn
    std::vector<double> bulges;  // of a light polyline's vertices (group 42), or a vertex's own
    // Points of groups 12 and 22, 13 and 23, 14 and 24: a face's, a solid
    // fill's third and fourth corners; a multiline's directions and miters;
    // an image's second vector, its size, the corners of its clip.
    std::vector<NPoint> g12, g13, g14;
    std::optional<double> x12, x13, x14;
    std::optional<long> g71, g280;
    // A multiline's element offsets along each vertex's miter (the first
    // of each element's parameters, group 41 after its count, group 74).
    std::vector<std::vector<double>> offsets;
    bool offsetNext = false;
    std::string styleHandle;  // of a multiline (group 340)
    // A helix's turns (group 41 of its own part, after the spline's).
    bool helix = false;
    std::optional<double> turns;
    // An ACIS body's text (groups 1, and 3 going on with a line).
    std::string acis;
    // A hatch's boundary as its groups come (from its first path, group
    // 92, on): whether the path is a polyline (bit 2), and the edge being
    // read (group 72: 1 a line, 2 an arc, 3 an elliptic arc, 4 a spline),
    // whose points lie on it; an arc's and an ellipse's once all is read.
    struct Edge {
        long kind = 0;
        std::optional<NPoint> centre, axis;
        std::optional<double> size, from, to;  // radius or ratio; angles in degrees
        bool ccw = true;
        size_t poles = 0;  // of a spline: its first control point alone lies on it
    };
    bool boundary = false, polylinePath = false;
    Edge edge;
    std::vector<NPoint> outline;  // points of a hatch's boundary that lie on it

    bool Hatch() const { return type == "HATCH" || type == "MPOLYGON"; }
    // A body given by ACIS data.
    bool Acis() const { return type == "REGION" || type == "3DSOLID" || type == "BODY" || type.ends_with("SURFACE"); }

    // The groups of the kinds the converter does not read that tell their
    // shape: true when `code` was one of them.
    bool Unread(int code, std::string_view value)
    {
        if (code == 5 && handle.empty()) {
            handle = value;
        } else if (code == 6) {
            linetype = value;
        } else if ((code == 1 || code == 3) && Acis()) {
            constexpr size_t kMostAcis = size_t{64} << 20;
            if (acis.size() + value.size() < kMostAcis)
                acis += (code == 1 && !acis.empty() ? "\n" : "") + std::string(value);
        } else if (code == 100 && type == "HELIX") {
            helix = helix || value == "AcDbHelix";
        } else if (helix && (code == 10 || code == 20 || code == 11 || code == 21 || code == 40)) {
            // The axis, the start point and the radius of a helix: its spline draws it.
        } else if (helix && code == 41) {
            turns = Decimal(value);
        } else if ((code == 12 || code == 13 || code == 14) && !seeds) {
            (code == 12 ? x12 : code == 13 ? x13 : x14) = Decimal(value);
        } else if ((code == 22 || code == 23 || code == 24) && !seeds) {
            std::optional<double>& x = code == 22 ? x12 : code == 23 ? x13 : x14;
            const std::optional<double> y = Decimal(value);
            if (x && y)
                (code == 22 ? g12 : code == 23 ? g13 : g14).push_back({*x, *y});
            x.reset();
        } else if (code == 280) {
            g280 = std::strtol(std::string(value).c_str(), nullptr, 10);
        } else if (type == "MLINE" && code == 74) {
            offsetNext = true;
            if (std::strtol(std::string(value).c_str(), nullptr, 10) <= 0 && !offsets.empty())
                offsets.back().push_back(0.0), offsetNext = false;
        } else if (type == "MLINE" && code == 41 && offsetNext) {
            if (!offsets.empty())
                offsets.back().push_back(Decimal(value).value_or(0.0));
            offsetNext = false;
        } else if (type == "MLINE" && code == 340) {
            styleHandle = value;
        } else {
            return false;
        }
        return true;
    }

    // The points an arc or an elliptic arc of the boundary has on it: its
    // ends and middle. Clockwise edges give their angles as complements
    // (360 less the angle), and an ellipse's are angles, not parameters.
    void EndEdge()
    {
        const Edge done = edge;
        edge = Edge{};
        if ((done.kind != 2 && done.kind != 3) || !done.centre || !done.size || !done.from || !done.to)
            return;
        const double from = *done.from, sweep = std::fmod(std::fmod(*done.to - from, 360.0) + 360.0, 360.0);
        const double turn = sweep == 0.0 ? 360.0 : sweep, sign = done.ccw ? 1.0 : -1.0;
        for (const double a : {from, from + turn / 2, from + turn}) {
            const double angle = sign * a * PI / 180.0;
            if (done.kind == 2) {
                outline.push_back({done.centre->x + *done.size * std::cos(angle), done.centre->y + *done.size * std::sin(angle)});
            } else if (done.axis && *done.size > 0.0) {
                const double t = std::atan2(std::sin(angle) / *done.size, std::cos(angle));
                const NPoint m = *done.axis, n{-m.y * *done.size, m.x * *done.size};
                outline.push_back({done.centre->x + m.x * std::cos(t) + n.x * std::sin(t),
                                   done.centre->y + m.y * std::cos(t) + n.y * std::sin(t)});
            }
        }
    }

    // A point of the boundary (groups 10 and 20, `first`, or 11 and 21).
    void BoundaryPoint(const NPoint& p, bool first)
    {
        if (!boundary)
            return;
        if (polylinePath) {
            if (first)
                outline.push_back(p);
        } else if (edge.kind == 1 || (edge.kind == 4 && !first)) {
            outline.push_back(p);  // a line's ends, a spline's fit points
        } else if (edge.kind == 4) {
            if (edge.poles++ == 0)
                outline.push_back(p);
        } else if (first) {
            edge.centre = p;
        } else {
            edge.axis = p;
        }
    }

    void BoundaryGroup(int code, std::string_view value)
    {
        const std::optional<double> v = Decimal(value);
        if (code == 92 || code == 75) {
            EndEdge();
            boundary = code == 92;
            polylinePath = boundary && v && (static_cast<long>(*v) & 2);
        } else if (code == 72 && boundary && !polylinePath) {
            EndEdge();
            edge.kind = v ? static_cast<long>(*v) : 0;
        } else if (code == 40 && !edge.size) {
            edge.size = v;
        } else if (code == 50) {
            edge.from = v;
        } else if (code == 51) {
            edge.to = v;
        } else if (code == 73 && (edge.kind == 2 || edge.kind == 3)) {
            edge.ccw = !v || *v != 0.0;
        }
    }

    void Take(int code, std::string_view value)
    {
        if (code == 71)
            g71 = std::strtol(std::string(value).c_str(), nullptr, 10);
        if (Unread(code, value))
            return;
        if (Hatch() && !seeds && (code == 92 || code == 75 || code == 72 || code == 40 || code == 50 || code == 51 || code == 73))
            BoundaryGroup(code, value);
        switch (code) {
        case 8: layer = value; break;
        case 2: block = value; break;
        case 67: paper = value == "1"; break;
        case 60: invisible = value == "1"; break;
        case 70: flags = std::strtol(std::string(value).c_str(), nullptr, 10); break;
        case 69: viewport = std::strtol(std::string(value).c_str(), nullptr, 10); break;
        case 98:
            if (Hatch() && !seeds)
                EndEdge();
            seeds = seeds || type == "HATCH";
            break;
        case 10:
            if (!seeds)
                x10 = Decimal(value), pending10 = true;
            break;
        case 11:
            if (!seeds)
                x11 = Decimal(value), pending11 = true;
            break;
        case 20:
            if (pending10) {
                const std::optional<double> y = Decimal(value);
                if (x10 && y) {
                    points.push_back({*x10, *y});
                    if (!first && points.size() == 1)
                        first = points.back();
                    if (Hatch())
                        BoundaryPoint(points.back(), true);
                } else {
                    unread = true;
                }
                pending10 = false;
            }
            break;
        case 21:
            if (pending11) {
                const std::optional<double> y = Decimal(value);
                if (x11 && y) {
                    others.push_back({*x11, *y});
                    if (type == "MLINE")
                        offsets.emplace_back();
                    if (Hatch())
                        BoundaryPoint(others.back(), false);
                } else
                    unread = true;
                pending11 = false;
            }
            break;
        case 40:
            if (!g40)
                g40 = Decimal(value);
            if (type == "SPLINE" || type == "HELIX")
                knots.push_back(Decimal(value).value_or(NAN));
            break;
        case 41:
            if (!g41)
                g41 = Decimal(value);
            if (type == "SPLINE" || type == "HELIX")
                weights.push_back(Decimal(value).value_or(NAN));
            break;
        case 71: degree = std::strtol(std::string(value).c_str(), nullptr, 10); break;
        case 42:
            g42 = Decimal(value);
            if (type == "LWPOLYLINE" && !points.empty()) {
                bulges.resize(points.size(), 0.0);
                bulges.back() = g42.value_or(0.0);
            }
            break;
        case 50: g50 = Decimal(value); break;
        case 51: g51 = Decimal(value); break;
        case 30:
            if (!elevation)
                elevation = Decimal(value);
            break;
        case 31:
            if (!g31)
                g31 = Decimal(value);
            break;
        case 38: elevation = Decimal(value); break;
        case 210: case 220: case 230: normal[(code - 210) / 10] = Decimal(value).value_or(0.0); break;
        default: break;
        }
    }
};

// The plane of an object given in its own coordinates (its normal, groups
// 210 to 230) as DXF makes its axes, seen from above: a point's plan.
class Plane {
public:
    explicit Plane(const Object& o)
    {
        const double length = std::sqrt(o.normal[0] * o.normal[0] + o.normal[1] * o.normal[1] + o.normal[2] * o.normal[2]);
        if (!(length > 0.0) || !std::isfinite(length))
            return;
        const double n[3] = {o.normal[0] / length, o.normal[1] / length, o.normal[2] / length};
        std::copy(n, n + 3, m_n);
        m_tilted = std::fabs(o.normal[0]) > 1e-9 || std::fabs(o.normal[1]) > 1e-9;
        // Its x axis: Y × N, or Z × N for a normal near Z's (the arbitrary axis rule).
        double ax[3];
        if (std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64)
            ax[0] = n[2], ax[1] = 0.0, ax[2] = -n[0];
        else
            ax[0] = -n[1], ax[1] = n[0], ax[2] = 0.0;
        const double a = std::sqrt(ax[0] * ax[0] + ax[1] * ax[1] + ax[2] * ax[2]);
        m_x = {ax[0] / a, ax[1] / a};
        // Its y axis: N × X.
        m_y = {n[1] * ax[2] / a - n[2] * ax[1] / a, n[2] * ax[0] / a - n[0] * ax[2] / a};
        // How far up its own z puts it (a polyline's elevation, a circle's centre).
        const double up = o.elevation.value_or(0.0);
        m_shift = m_tilted ? NPoint{n[0] * up, n[1] * up} : NPoint{};
        m_valid = true;
    }
    bool Valid() const { return m_valid; }
    bool Tilted() const { return m_tilted; }
    NPoint Plan(const NPoint& p) const
    {
        return {p.x * m_x.x + p.y * m_y.x + m_shift.x, p.x * m_x.y + p.y * m_y.y + m_shift.y};
    }
    // Plan as a map of the plane's own coordinates.
    Affine Map() const { return {m_x.x, m_y.x, m_x.y, m_y.y, m_shift.x, m_shift.y}; }
    // Its unit normal.
    const double* Normal() const { return m_n; }

private:
    bool m_valid = false, m_tilted = false;
    NPoint m_x{1, 0}, m_y{0, 1}, m_shift;
    double m_n[3] = {0, 0, 1};
};

// Points along the spline of `o` given by control points, knots and weights
// (de Boor), sixteen a knot span; none when they make no spline.
std::vector<NPoint> SplinePoints(const Object& o)
{
    const size_t n = o.points.size();
    if (o.degree < 1 || o.degree > 25 || n <= static_cast<size_t>(o.degree) || o.knots.size() != n + o.degree + 1 ||
        o.unread || !std::is_sorted(o.knots.begin(), o.knots.end()) ||
        !std::all_of(o.knots.begin(), o.knots.end(), [](double k) { return std::isfinite(k); }))
        return {};
    const size_t p = static_cast<size_t>(o.degree);
    const bool weighted = o.weights.size() == n;
    if (weighted && !std::all_of(o.weights.begin(), o.weights.end(), [](double w) { return w > 0.0 && std::isfinite(w); }))
        return {};
    constexpr int kSteps = 16;
    std::vector<NPoint> out;
    std::vector<double> x(p + 1), y(p + 1), w(p + 1);
    for (size_t span = p; span < n; ++span) {
        const double u0 = o.knots[span], u1 = o.knots[span + 1];
        if (!(u0 < u1))
            continue;
        for (int step = 0; step <= kSteps; ++step) {
            const double u = u0 + (u1 - u0) * step / kSteps;
            for (size_t j = 0; j <= p; ++j) {
                const size_t i = span - p + j;
                w[j] = weighted ? o.weights[i] : 1.0;
                x[j] = o.points[i].x * w[j], y[j] = o.points[i].y * w[j];
            }
            for (size_t r = 1; r <= p; ++r) {
                for (size_t j = p; j >= r; --j) {
                    const size_t i = span - p + j;
                    const double d = o.knots[i + p + 1 - r] - o.knots[i];
                    const double a = d > 0.0 ? (u - o.knots[i]) / d : 0.0;
                    x[j] = (1 - a) * x[j - 1] + a * x[j];
                    y[j] = (1 - a) * y[j - 1] + a * y[j];
                    w[j] = (1 - a) * w[j - 1] + a * w[j];
                }
            }
            if (w[p] > 0.0)
                out.push_back({x[p] / w[p], y[p] / w[p]});
        }
    }
    return out;
}

// The points of a polyline that lie on it, in plan: its vertices and the
// middles of its edges (of a closed one's closing edge too), at most
// kOnPoints of them.
std::vector<NPoint> PolylineOn(const Object& o, const Plane& plane, bool closed)
{
    std::vector<NPoint> on;
    const size_t n = o.points.size();
    for (size_t k = 0; k < n; ++k) {
        on.push_back(plane.Plan(o.points[k]));
        if (k + 1 < n || (closed && n > 2))
            on.push_back(plane.Plan(BulgeMiddle(o.points[k], o.points[(k + 1) % n], k < o.bulges.size() ? o.bulges[k] : 0.0)));
    }
    return Evenly(std::move(on));
}

// A name in capitals, as DXF compares layer, linetype and style names and handles.
std::string UpperName(std::string_view name)
{
    std::string up(name);
    for (char& c : up)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    return up;
}

// A layer: off or frozen, its linetype (none: continuous).
struct LayerLook {
    bool hidden = false, frozen = false;
    std::string linetype;
};

// A table entry, a multiline style or a record of binary ACIS data, as its groups come.
struct Entry {
    std::string type, name, handle, linetype, id;
    long flags = 0;
    bool off = false, gaps = false;  // a layer's colour below 0; a linetype's dash below 0
    bool idNext = false, data = false;
    std::string hex;

    void Take(int code, std::string_view value, const std::set<std::string>& wanted)
    {
        if (code == 2 && type == "ACDSRECORD") {
            idNext = value == "AcDbDs::ID";
            data = data || value == "ASM_Data";
        } else if (code == 320 && idNext) {
            id = UpperName(value), idNext = false;
        } else if (code == 310 && data && wanted.count(id)) {
            hex += value;
        } else if (code == 2) {
            name = value;
        } else if (code == 5) {
            handle = UpperName(value);
        } else if (code == 6) {
            linetype = value;
        } else if (code == 62) {
            off = std::strtol(std::string(value).c_str(), nullptr, 10) < 0;
        } else if (code == 70) {
            flags = std::strtol(std::string(value).c_str(), nullptr, 10);
        } else if (code == 49) {
            gaps = gaps || Decimal(value).value_or(0.0) < 0.0;
        }
    }
};

class Reader {
public:
    bool Read(const fs::path& file)
    {
        bool sectionName = true;  // the next name group names a section
        bool blockHeader = false;
        const GroupsRead read = ReadGroups(file, [&](int code, std::string_view value) {
            m_units.Take(code, value);
            if (code == 0) {
                if (blockHeader) {  // the block's header read: its objects follow
                    // An external reference's own curves, where it has
                    // some, are read too: the converter leaves them out.
                    m_headers.emplace(m_block.name, m_block);
                    m_into = &m_blocks[m_block.name];
                }
                Finish(value == "VERTEX" || value == "SEQEND");
                FinishEntry();
                if ((m_section == "TABLES" && (value == "LAYER" || value == "LTYPE")) ||
                    (m_section == "OBJECTS" && value == "MLINESTYLE") || (m_section == "ACDSDATA" && value == "ACDSRECORD"))
                    m_entry.emplace().type = value;
                blockHeader = value == "BLOCK";
                if (value == "SECTION" || value == "ENDSEC" || value == "BLOCK" || value == "ENDBLK") {
                    if (value == "SECTION" || value == "ENDSEC")
                        sectionName = value == "SECTION";
                    if (value == "ENDSEC")
                        m_section.clear();
                    m_into = nullptr;
                    m_block = BlockHeader{};
                } else if (m_into) {
                    m_object.emplace().type = value;
                }
                return;
            }
            if (code == 2 && sectionName) {
                sectionName = false;
                m_section = value;
                m_into = value == "ENTITIES" ? &m_model : nullptr;
            } else if (m_entry) {
                m_entry->Take(code, value, m_binaryWanted);
            } else if (blockHeader) {
                if (code == 2)
                    m_block.name = value;
                else if (code == 70)
                    m_block.external = (std::strtol(std::string(value).c_str(), nullptr, 10) & (4 | 8)) != 0;
                else if (code == 10 || code == 20)
                    (code == 10 ? m_block.base.x : m_block.base.y) = Decimal(value).value_or(0.0);
            } else if (m_object) {
                m_object->Take(code, value);
            }
        });
        if (read == GroupsRead::Unreadable)
            return false;
        Finish(false);
        FinishEntry();
        m_scale.a = m_scale.d = MillimetresIn(m_units.Code());
        for (auto& [space, object] : m_pending)
            FilePending(*space, object);
        m_pending.clear();
        Chain(m_model);
        for (auto& [name, space] : m_blocks)
            Chain(space);
        return true;
    }

    // The closed curves of the model space and of its block copies, as placed.
    void Place(const std::function<bool(const FileCurve&)>& keep, std::vector<FileCurve>& out) const
    {
        size_t visits = 0;
        std::vector<const std::string*> path;
        Place(m_model, m_scale, std::wstring(), false, false, path, visits, keep, out);
    }

private:
    struct BlockHeader {
        std::string name;
        NPoint base;
        bool external = false;
    };

    void FinishEntry()
    {
        if (!m_entry)
            return;
        const Entry e = std::move(*m_entry);
        m_entry.reset();
        if (e.type == "LAYER") {
            const std::string linetype = UpperName(e.linetype);
            m_layers[UpperName(e.name)] = {e.off || (e.flags & 1), (e.flags & 1) != 0,
                                       linetype == "BYLAYER" || linetype == "BYBLOCK" ? std::string() : e.linetype};
        } else if (e.type == "LTYPE") {
            m_gaps[UpperName(e.name)] = e.gaps;
        } else if (e.type == "MLINESTYLE") {
            m_mlineStyles[UpperName(e.name)] = e.flags;
            if (!e.handle.empty())
                m_mlineStyles["#" + e.handle] = e.flags;
        } else if (e.type == "ACDSRECORD" && !e.hex.empty()) {
            std::string bytes;
            bytes.reserve(e.hex.size() / 2);
            const auto nibble = [](char c) {
                return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            };
            for (size_t i = 0; i + 1 < e.hex.size(); i += 2) {
                const int high = nibble(e.hex[i]), low = nibble(e.hex[i + 1]);
                if (high < 0 || low < 0)
                    break;
                bytes += static_cast<char>(high * 16 + low);
            }
            m_binary[e.id] = std::move(bytes);
        }
    }


    LayerLook Layer(const std::string& name) const
    {
        const auto found = m_layers.find(UpperName(name));
        return found == m_layers.end() ? LayerLook{} : found->second;
    }

    // Whether a linetype draws the main (solid) line, the one that is cut,
    // as the converter takes it: continuous, or one the file defines
    // without gaps (but the host's own thin, thick and wavy lines).
    bool Cut(const std::string& linetype) const
    {
        const std::string up = UpperName(linetype);
        if (up.empty() || up == "CONTINUOUS")
            return true;
        if (up == "THIN" || up == "THICK" || up == "WAVY")
            return false;
        const auto found = m_gaps.find(up);
        return found != m_gaps.end() && !found->second;
    }

    // How an object shows: the layer that decides (a block's objects on
    // layer 0 take their copy's), its linetype (by layer or by block
    // resolved), and whether a frozen layer hides its copy whole.
    struct Shown {
        std::string layer, linetype;
        bool frozen = false;
    };
    Shown Resolve(const Look& look, const Shown* in) const
    {
        Shown shown;
        shown.layer = (look.layer.empty() || look.layer == "0") && in ? in->layer : look.layer;
        const std::string up = UpperName(look.linetype);
        if (up == "BYBLOCK")
            shown.linetype = in ? in->linetype : std::string();
        else if (up.empty() || up == "BYLAYER")
            shown.linetype = Layer(shown.layer).linetype;
        else
            shown.linetype = look.linetype;
        shown.frozen = (in && in->frozen) || Layer(shown.layer).frozen;
        return shown;
    }

    // A multiline or an ACIS body, once the file has been read whole.
    void FilePending(Space& into, const Object& o)
    {
        Local curve{{}, o.layer, {}, {}};
        curve.paper = o.paper;
        curve.invisible = o.invisible;
        curve.looks = {{o.layer, o.linetype}};
        const auto add = [&](const NPoint& p) {
            curve.extent.points.push_back(p);
            curve.on.push_back(p);
        };
        if (o.type == "MLINE") {
            // Its elements run along its vertices (group 11), each its offset
            // along the vertex's miter (13) away. Closed (group 71, bit 2;
            // or its ends met), or capped at both ends by its style (square
            // or round caps, bits 16 or 64 and 256 or 1024) where the
            // multiline does not leave them off (bits 4, 8): a closed shape.
            const std::vector<NPoint>& vertices = o.others;
            if (vertices.size() < 2)
                return;
            const long flags = o.g71.value_or(0);
            auto style = m_mlineStyles.find("#" + UpperName(o.styleHandle));
            if (o.styleHandle.empty() || style == m_mlineStyles.end())
                style = m_mlineStyles.find(UpperName(o.block.empty() ? "STANDARD" : o.block));
            const long caps = style == m_mlineStyles.end() ? 0 : style->second;
            const bool closed = (flags & 2) || Distance(vertices.front(), vertices.back()) < kJoinTolerance;
            const bool capped = !(flags & (4 | 8)) && (caps & (16 | 64)) && (caps & (256 | 1024));
            if (!closed && !capped)
                return;
            // Each element's points in turn, and the middles of its edges.
            size_t elements = 0;
            for (const std::vector<double>& offsets : o.offsets)
                elements = std::max(elements, offsets.size());
            const auto at = [&](size_t k, size_t e) {
                const NPoint miter = k < o.g13.size() ? o.g13[k] : NPoint{};
                const double off = k < o.offsets.size() && e < o.offsets[k].size() ? o.offsets[k][e] : 0.0;
                return NPoint{vertices[k].x + miter.x * off, vertices[k].y + miter.y * off};
            };
            for (size_t e = 0; e < std::max<size_t>(elements, 1); ++e) {
                for (size_t k = 0; k < vertices.size(); ++k) {
                    const NPoint p = at(k, e);
                    add(p);
                    if (k + 1 < vertices.size() || closed) {
                        const NPoint q = at((k + 1) % vertices.size(), e);
                        add({(p.x + q.x) / 2, (p.y + q.y) / 2});
                    }
                }
            }
            curve.what = L"мультилиния";
            curve.at = o.first.value_or(vertices.front());
        } else {
            // A body by the points of its ACIS data: as text in the object,
            // or binary in the file's ACDSDATA.
            std::optional<std::vector<AcisPoint>> points;
            if (!o.acis.empty())
                points = AcisTextPoints(o.acis);
            else if (const auto data = m_binary.find(UpperName(o.handle)); data != m_binary.end())
                points = AcisBinaryPoints(data->second);
            curve.what = o.type == "REGION" ? L"область" : o.type == "3DSOLID" ? L"3D-тело" : o.type == "BODY" ? L"тело" : L"поверхность";
            if (!points) {
                curve.unplaced = true;
                curve.sized = false;
                curve.extent.points = {NPoint{}};
            } else {
                for (const AcisPoint& p : *points)
                    add({p.x, p.y});
                curve.at = curve.on.front();
            }
        }
        curve.on = Evenly(std::move(curve.on));
        if (curve.extent.Empty())
            return;
        curve.extent.Hull();
        into.curves.push_back(std::move(curve));
    }


    // Files the object just read; a polyline takes the vertices that follow
    // it (`more` when a vertex or the end of its sequence follows).
    void Finish(bool more)
    {
        std::optional<Object> object = std::move(m_object);
        m_object.reset();
        if (object && object->type == "VERTEX" && m_polyline) {
            // The control frame of a polyline smoothed into a spline is not
            // drawn; a polyface's face records stand at no point.
            if (!(object->flags & 16) && !((object->flags & 128) && !(object->flags & 64))) {
                m_polyline->points.insert(m_polyline->points.end(), object->points.begin(), object->points.end());
                m_polyline->bulges.resize(m_polyline->points.size(), object->g42.value_or(0.0));
            }
            m_polyline->unread = m_polyline->unread || object->unread;
            if (!m_polyline->first && object->first)
                m_polyline->first = object->first;
            object.reset();
        }
        if (m_polyline && !more) {
            File(*m_polyline);
            m_polyline.reset();
        }
        if (!object || object->type == "SEQEND" || object->type == "VERTEX")
            return;
        if (object->type == "POLYLINE") {
            // Its own point gives only its height: its vertices follow.
            object->points.clear();
            object->first.reset();
            m_polyline = std::move(object);
            return;
        }
        if (object->Hatch())
            object->EndEdge();
        File(*object);
    }

    void File(const Object& o)
    {
        Space* into = m_into;
        if (!into)
            return;
        if (o.type == "VIEWPORT") {
            // A view of the model on the sheet: its box in paper space.
            const double w = o.g40.value_or(0.0) / 2, h = o.g41.value_or(0.0) / 2;
            if (o.paper && o.viewport != 1 && o.first && w > 0.0 && h > 0.0)
                m_viewports.push_back({o.first->x - w, o.first->y - h, o.first->x + w, o.first->y + h});
            return;
        }
        // Objects given in their own coordinates (polylines, circles, arcs,
        // copies) run mirrored in x when their normal is -Z; tilted out of
        // the plane (3D, which the converter leaves out), their plan is
        // taken, the plane's axes as DXF makes them of its normal.
        const Plane plane(o);
        if (!plane.Valid())
            return;
        const bool flipped = o.normal[2] < 0.0;
        const auto mirror = [&](NPoint p) { return plane.Plan(p); };
        if (o.type == "INSERT") {
            if (!o.first)
                return;
            // A copy made invisible hides what its block draws.
            const double sx = o.g41.value_or(0.0) == 0.0 ? 1.0 : *o.g41, sy = o.g42.value_or(0.0) == 0.0 ? 1.0 : *o.g42;
            const double turn = o.g50.value_or(0.0) * PI / 180.0;
            const BlockHeader* header = nullptr;
            const auto found = m_headers.find(o.block);
            if (found != m_headers.end())
                header = &found->second;
            const NPoint base = header ? header->base : NPoint{};
            Affine placed{std::cos(turn) * sx, -std::sin(turn) * sy, std::sin(turn) * sx, std::cos(turn) * sy, 0, 0};
            placed.e = o.first->x - (placed.a * base.x + placed.b * base.y);
            placed.f = o.first->y - (placed.c * base.x + placed.d * base.y);
            if (plane.Tilted())
                placed = plane.Map().After(placed);
            else if (flipped)
                placed = Affine{-1, 0, 0, 1, 0, 0}.After(placed);
            into->copies.push_back({o.block, placed, o.paper, o.invisible, {o.layer, o.linetype}});
            return;
        }
        // A multiline's caps and an ACIS body's data may be given further
        // on in the file (its styles, its binary data): told at its end.
        if (o.type == "MLINE" || o.Acis()) {
            if (o.Acis() && o.acis.empty() && !o.handle.empty())
                m_binaryWanted.insert(UpperName(o.handle));
            m_pending.push_back({into, o});
            return;
        }
        if (Open(o, plane))
            return;
        Local curve{{}, o.layer, {}, {}};
        curve.paper = o.paper;
        curve.invisible = o.invisible;
        curve.looks = {{o.layer, o.linetype}};
        const auto add = [&](const NPoint& p) { curve.extent.points.push_back(p); };
        // Ends that meet close a curve; with a point that is no number, where
        // its ends stand is not known, and it may be closed.
        const auto ends = [&](const std::vector<NPoint>& p) {
            return p.size() > 2 && (o.unread || Distance(p.front(), p.back()) < kJoinTolerance);
        };
        if (o.type == "MESH" || (o.type == "POLYLINE" && (o.flags & (16 | 64)))) {
            // A mesh (a polyline's too) by the plan of its vertices, its faces' corners.
            if (o.points.size() < 3)
                return;
            curve.what = o.type == "MESH" ? L"сеть" : L"полилиния";
            for (const NPoint& p : o.points)
                add(p);
            curve.at = o.points.front();
            curve.on = Evenly(o.points);
        } else if (o.type == "SOLID" || o.type == "TRACE" || o.type == "3DFACE") {
            // Three or four corners: a face's in plan, a solid fill's and a
            // trace's in their plane, their last two crossed (a fill, not cut).
            std::vector<NPoint> corners;
            for (const std::vector<NPoint>* given : {&o.points, &o.others, &o.g12, &o.g13})
                if (!given->empty())
                    corners.push_back(o.type == "3DFACE" ? given->front() : mirror(given->front()));
            if (corners.size() < 3)
                return;
            if (corners.size() == 4 && o.type != "3DFACE")
                std::swap(corners[2], corners[3]);
            curve.what = o.type == "3DFACE" ? L"3D-грань" : o.type == "SOLID" ? L"фигура" : L"полоса";
            curve.fill = o.type != "3DFACE";
            for (const NPoint& p : corners)
                add(p);
            curve.at = corners.front();
            curve.on = corners;
        } else if (o.type == "HELIX") {
            // Of a turn or more, a helix runs round its axis in plan: a closed shape.
            const std::vector<NPoint> followed = SplinePoints(o);
            const std::vector<NPoint>& drawn = followed.empty() ? o.points : followed;
            if (!(o.turns.value_or(0.0) >= 1.0 - 1e-9) || drawn.size() < 3)
                return;
            curve.what = L"спираль";
            for (const NPoint& p : drawn)
                add(p);
            curve.at = drawn.front();
            curve.on = Evenly(drawn);
        } else if (o.type == "IMAGE" || o.type == "WIPEOUT" || o.type == "OLE2FRAME") {
            // A frame: of an image (a wipeout's is a fill) from its corner
            // (group 10), a pixel's steps along its sides (11, 12) and its
            // size in pixels (13), clipped to the corners of its clip (14,
            // in pixels from the middle of its top left one); of an OLE
            // object, by its top left and bottom right corners (10, 11).
            std::vector<NPoint> corners;
            if (o.type == "OLE2FRAME") {
                if (o.points.empty() || o.others.empty())
                    return;
                const NPoint a = o.points.front(), b = o.others.front();
                corners = {a, {b.x, a.y}, b, {a.x, b.y}};
            } else {
                if (o.points.empty() || o.others.empty() || o.g12.empty() || o.g13.empty())
                    return;
                const NPoint p = o.points.front(), u = o.others.front(), v = o.g12.front(), size = o.g13.front();
                std::vector<NPoint> clip = o.g14;
                if ((o.type == "IMAGE" && o.g280.value_or(0) == 0) || clip.size() < 2)
                    clip = {{-0.5, -0.5}, {size.x - 0.5, size.y - 0.5}};
                if (clip.size() == 2)
                    clip = {clip[0], {clip[1].x, clip[0].y}, clip[1], {clip[0].x, clip[1].y}};
                for (const NPoint& c : clip)
                    corners.push_back({p.x + u.x * (c.x + 0.5) + v.x * (size.y - c.y - 0.5),
                                       p.y + u.y * (c.x + 0.5) + v.y * (size.y - c.y - 0.5)});
            }
            curve.what = o.type == "IMAGE" ? L"изображение" : o.type == "WIPEOUT" ? L"маскировка" : L"OLE-объект";
            curve.fill = o.type == "WIPEOUT";
            for (size_t k = 0; k < corners.size(); ++k) {
                add(corners[k]);
                curve.on.push_back(corners[k]);
                const NPoint& next = corners[(k + 1) % corners.size()];
                curve.on.push_back({(corners[k].x + next.x) / 2, (corners[k].y + next.y) / 2});
            }
            curve.at = o.type == "OLE2FRAME" ? corners.front() : o.points.front();
            curve.on = Evenly(std::move(curve.on));
        } else if (o.type == "LWPOLYLINE" || o.type == "POLYLINE") {
            // A 3D polyline is taken by its plan.
            if (!((o.flags & 1) || ends(o.points)))
                return;
            curve.what = L"полилиния";
            for (const NPoint& p : o.points)
                add(mirror(p));
            curve.at = mirror(o.first.value_or(o.points.empty() ? NPoint{} : o.points.front()));
            curve.on = PolylineOn(o, plane, true);
        } else if (o.type == "CIRCLE" || (o.type == "ARC" && FullArc(o))) {
            // A radius that is no number, or below 0, leaves the circle's size
            // unknown, its centre known; one of 0 is a point.
            if (!o.first || (o.g40 && *o.g40 == 0.0))
                return;
            curve.what = o.type == "ARC" ? L"дуга" : L"окружность";
            curve.at = mirror(*o.first);
            curve.sized = o.g40.has_value() && *o.g40 > 0.0;
            const double r = curve.sized ? *o.g40 : 0.0;
            const NPoint u = mirror({o.first->x + r, o.first->y}), v = mirror({o.first->x, o.first->y + r});
            curve.extent.conics.push_back(
                {curve.at, {u.x - curve.at.x, u.y - curve.at.y}, {v.x - curve.at.x, v.y - curve.at.y}});
            curve.on.push_back(curve.at);
            if (curve.sized) {
                curve.on.clear();
                for (int k = 0; k < 8; ++k)
                    curve.on.push_back(mirror({o.first->x + r * std::cos(k * PI / 4), o.first->y + r * std::sin(k * PI / 4)}));
            }
        } else if (o.type == "ELLIPSE") {
            const double from = o.g41.value_or(0.0), to = o.g42.value_or(2.0 * PI);
            if (!o.first || std::fabs(std::remainder(to - from, 2.0 * PI)) > 1e-6 || std::fabs(to - from) < 1e-6)
                return;
            // Its reach along x and along y in plan: of its major axis (in
            // the drawing's coordinates) and its minor axis, `ratio` of the
            // major one turned a quarter about its normal.
            const NPoint major = o.others.empty() ? NPoint{} : o.others.front();
            const double mz = o.g31.value_or(0.0);
            // One of no minor axis encloses nothing; one whose minor axis
            // is the longer (which the converter leaves out) is as drawn.
            const double ratio = o.g40.value_or(1.0);
            if (!(ratio > 0.0) || !(ratio < 1e6))
                return;
            const double* n = plane.Normal();
            const NPoint minor{ratio * (n[1] * mz - n[2] * major.y), ratio * (n[2] * major.x - n[0] * mz)};
            curve.what = L"эллипс";
            curve.at = *o.first;
            curve.sized = !o.others.empty();
            curve.extent.conics.push_back({curve.at, major, minor});
            curve.on.push_back(curve.at);
            if (curve.sized) {
                curve.on.clear();
                for (int k = 0; k < 8; ++k)
                    curve.on.push_back({curve.at.x + major.x * std::cos(k * PI / 4) + minor.x * std::sin(k * PI / 4),
                                        curve.at.y + major.y * std::cos(k * PI / 4) + minor.y * std::sin(k * PI / 4)});
            }
        } else if (o.Hatch()) {
            // A fill, not cut, whose boundary may be all that draws the
            // outline: the box of its boundary's points (its first point is
            // its elevation's, none of the boundary's).
            if (o.points.size() < 3 || plane.Tilted())
                return;
            curve.what = L"штриховка";
            curve.fill = true;
            for (size_t k = 1; k < o.points.size(); ++k)
                add(mirror(o.points[k]));
            for (const NPoint& p : o.others)
                add(mirror(p));
            curve.at = mirror(o.outline.empty() ? o.points[1] : o.outline.front());
            for (const NPoint& p : Evenly(o.outline))
                curve.on.push_back(mirror(p));
        } else if (o.type == "SPLINE") {
            std::vector<NPoint> all = o.points;
            all.insert(all.end(), o.others.begin(), o.others.end());
            if (!((o.flags & (1 | 2)) || ends(o.points) || ends(o.others)) || all.empty())
                return;
            curve.what = L"сплайн";
            // The curve's own points where its knots give them: its control
            // points stand off it.
            const std::vector<NPoint> followed = SplinePoints(o);
            for (const NPoint& p : followed.empty() ? all : followed)
                add(p);
            curve.at = all.front();
            // Fit points lie on it; control points only where its knots say how.
            curve.on = Evenly(followed.empty() ? (o.others.empty() ? all : o.others) : followed);
        }
        if (!curve.what.empty() && !curve.extent.Empty()) {
            curve.extent.Hull();
            into->curves.push_back(std::move(curve));
        }
    }

    // Whether `o` is an arc of a whole turn (its angles equal, or a turn
    // apart, within rounding), which the converter takes as a circle.
    static bool FullArc(const Object& o)
    {
        return o.type == "ARC" && o.g50 && o.g51 && std::fabs(std::remainder(*o.g51 - *o.g50, 360.0)) < 1e-8;
    }

    // Files `o` among the open pieces of its space when it is a line, an arc
    // or an open polyline; false for any other object.
    bool Open(const Object& o, const Plane& plane)
    {
        const auto mirror = [&](NPoint p) { return plane.Plan(p); };
        Piece piece{nullptr, o.layer, {}, {}, {}, o.paper, o.invisible, {}, o.linetype};
        const auto add = [&](const NPoint& p) { piece.extent.points.push_back(p); };
        if (o.type == "LINE") {
            if (o.points.empty() || o.others.empty() || o.unread)
                return true;
            piece.kind = L"отрезок";
            piece.start = o.points.front(), piece.end = o.others.front();
            add(piece.start), add(piece.end);
            piece.on = {piece.start, {(piece.start.x + piece.end.x) / 2, (piece.start.y + piece.end.y) / 2}, piece.end};
        } else if (o.type == "ARC") {
            if (FullArc(o))
                return false;
            if (!o.first || !o.g40 || *o.g40 <= 0.0 || !o.g50 || !o.g51)
                return true;
            const double from = std::remainder(*o.g50, 360.0) * PI / 180.0, r = *o.g40;
            double sweep = std::remainder(*o.g51 - *o.g50, 360.0) * PI / 180.0;
            if (sweep <= 0.0)
                sweep += 2.0 * PI;
            const auto at = [&](double angle) {
                return mirror(NPoint{o.first->x + r * std::cos(angle), o.first->y + r * std::sin(angle)});
            };
            piece.kind = L"дуга";
            piece.start = at(from), piece.end = at(from + sweep);
            add(piece.start), add(piece.end);
            piece.on = {piece.start, at(from + sweep / 2), piece.end};
            const NPoint centre = mirror(*o.first), x = at(0.0), y = at(PI / 2);
            piece.extent.conics.push_back(
                {centre, {x.x - centre.x, x.y - centre.y}, {y.x - centre.x, y.y - centre.y}, from, sweep});
        } else if (o.type == "LWPOLYLINE" || o.type == "POLYLINE") {
            if ((o.flags & 1) || o.points.size() < 2 || o.unread || (o.type == "POLYLINE" && (o.flags & (16 | 64))) ||
                Distance(o.points.front(), o.points.back()) < kJoinTolerance)
                return false;
            piece.kind = L"полилиния";
            piece.start = mirror(o.points.front()), piece.end = mirror(o.points.back());
            piece.on = PolylineOn(o, plane, false);
            // Its vertices' box: an edge bulged out past it is not followed.
            for (const NPoint& p : o.points)
                add(mirror(p));
        } else {
            return false;
        }
        if (Distance(piece.start, piece.end) >= kJoinTolerance) {
            piece.extent.Hull();
            m_into->pieces.push_back(std::move(piece));
        }
        return true;
    }

    // The rings the open pieces of `space` close end to end, filed among its
    // closed curves.
    static void Chain(Space& space)
    {
        if (space.pieces.size() < 2)
            return;
        std::vector<NSegmentPtr> chords;
        for (size_t i = 0; i < space.pieces.size(); ++i) {
            auto chord = std::make_shared<NSegment>(space.pieces[i].start, space.pieces[i].end, 0);
            chord->m_ref = static_cast<reference>(i);
            chords.push_back(std::move(chord));
        }
        std::vector<NContourPtr> chains;
        CreateContinuousContours(chords, chains);
        for (const NContourPtr& chain : chains) {
            const auto& segments = chain->m_segments;
            if (segments.size() < 2 || Distance(segments.front()->p1, segments.back()->p2) >= kJoinTolerance)
                continue;
            std::map<const wchar_t*, size_t> kinds;
            Local ring{{}, space.pieces[static_cast<size_t>(segments.front()->m_ref)].layer, segments.front()->p1, {}};
            ring.several = true;
            std::set<Look> looks;
            for (const NSegmentPtr& segment : segments) {
                const Piece& piece = space.pieces[static_cast<size_t>(segment->m_ref)];
                ++kinds[piece.kind];
                looks.insert({piece.layer, piece.linetype});
                ring.extent.Add(piece.extent);
                ring.paper = ring.paper || piece.paper;
                ring.invisible = ring.invisible || piece.invisible;
                ring.on.insert(ring.on.end(), piece.on.begin(), piece.on.end());
            }
            for (const auto& [kind, n] : kinds) {
                const std::wstring word(kind);
                const std::wstring counted = word == L"отрезок"  ? Counted(n, L"отрезок", L"отрезка", L"отрезков")
                                             : word == L"дуга" ? Counted(n, L"дуга", L"дуги", L"дуг")
                                                               : Counted(n, L"полилиния", L"полилинии", L"полилиний");
                ring.what += (ring.what.empty() ? L"" : L", ") + counted;
            }
            ring.on = Evenly(std::move(ring.on));
            ring.extent.Hull();
            ring.looks.assign(looks.begin(), looks.end());
            space.curves.push_back(std::move(ring));
        }
        space.pieces.clear();
    }

    // `path`: the blocks the copy being placed stands in (none in the model
    // space); `paper`: the copy stands in paper space.
    // `in`: how the copy being placed shows (none in the model space).
    void Place(const Space& space, const Affine& placed, const std::wstring& block, bool paper, bool invisible,
               std::vector<const std::string*>& path, size_t& visits, const std::function<bool(const FileCurve&)>& keep,
               std::vector<FileCurve>& out, const Shown* in = nullptr) const
    {
        for (const Local& curve : space.curves) {
            if (!path.empty() && ++visits > kMaxVisits)
                return;
            FileCurve placedCurve;
            placedCurve.sized = curve.sized;
            placedCurve.several = curve.several;
            placedCurve.paper = paper || curve.paper;
            placedCurve.invisible = invisible || curve.invisible;
            placedCurve.fill = curve.fill;
            placedCurve.unplaced = curve.unplaced;
            for (const Look& look : curve.looks.empty() ? std::vector<Look>{{curve.layer, {}}} : curve.looks) {
                const Shown shown = Resolve(look, in);
                placedCurve.hidden = placedCurve.hidden || shown.frozen || Layer(shown.layer).hidden;
                placedCurve.uncut = placedCurve.uncut || !Cut(shown.linetype);
            }
            for (const NPoint& p : curve.on)
                placedCurve.on.push_back(placed.Apply(p));
            if (!curve.extent.Box(placed, placedCurve.x1, placedCurve.y1, placedCurve.x2, placedCurve.y2))
                continue;
            placedCurve.frame = placedCurve.paper && std::any_of(m_viewports.begin(), m_viewports.end(), [&](const Box& v) {
                const NPoint low = m_scale.Apply({v.x1, v.y1}), high = m_scale.Apply({v.x2, v.y2});
                const double t = kJoinTolerance;
                return placedCurve.x1 <= low.x + t && placedCurve.y1 <= low.y + t && placedCurve.x2 >= high.x - t &&
                       placedCurve.y2 >= high.y - t;
            });
            if (!keep(placedCurve))
                continue;
            placedCurve.named = curve.what + L" на слое «" + NameText(curve.layer) + L"»" +
                                (block.empty() ? L"" : L" в блоке «" + block + L"»") +
                                (placedCurve.paper ? L" в пространстве листа" : L"") +
                                (curve.unplaced ? L"" : L" у " + PointText(placed.Apply(curve.at)));
            out.push_back(std::move(placedCurve));
        }
        if (path.size() >= kMaxDepth)
            return;
        for (const Copy& copy : space.copies) {
            const auto found = m_blocks.find(copy.block);
            // A block inserted within itself is placed once.
            if (found == m_blocks.end() || ++visits > kMaxVisits ||
                std::any_of(path.begin(), path.end(), [&](const std::string* b) { return *b == copy.block; }))
                continue;
            path.push_back(&found->first);
            const Shown shown = Resolve(copy.look, in);
            Place(found->second, placed.After(copy.placed), NameText(copy.block), paper || copy.paper,
                  invisible || copy.invisible, path, visits, keep, out, &shown);
            path.pop_back();
        }
    }

    struct Box {
        double x1, y1, x2, y2;
    };
    Space m_model;
    std::map<std::string, Space> m_blocks;
    std::vector<Box> m_viewports;  // of paper space, its overall one left out
    Affine m_scale;                // the file's units in millimetres
    std::map<std::string, BlockHeader> m_headers;
    BlockHeader m_block;  // the header being read
    Space* m_into = nullptr;  // of the section or block being read
    std::string m_section;    // the name of the section being read
    std::optional<Entry> m_entry;
    std::map<std::string, LayerLook> m_layers;  // by name in capitals
    std::map<std::string, bool> m_gaps;         // linetypes by name in capitals: have gaps
    std::map<std::string, long> m_mlineStyles;  // flags by name in capitals, and by "#" and handle
    std::set<std::string> m_binaryWanted;       // handles of bodies whose ACIS data is binary
    std::map<std::string, std::string> m_binary;  // that data by handle
    std::vector<std::pair<Space*, Object>> m_pending;  // multilines and bodies, told at the end
    HeaderUnits m_units;
    std::optional<Object> m_object;
    std::optional<Object> m_polyline;  // waiting for its vertices
};

}  // namespace

std::vector<FileCurve> ClosedFileCurves(const fs::path& file, const std::function<bool(const FileCurve&)>& keep)
{
    Reader reader;
    std::vector<FileCurve> curves;
    if (reader.Read(file))
        reader.Place(keep, curves);
    return curves;
}

}  // namespace dxfimport
