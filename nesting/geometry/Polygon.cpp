// NPolygon: construction, access, vertex editing, clean-up and transforms.
#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Index of the first vertex equal (EPS) to p, or the vertex count.
size_t FindEqualPoint(const std::vector<NPoint>& points, const NPoint& p)
{
    const auto it = std::find(points.begin(), points.end(), p);
    return static_cast<size_t>(it - points.begin());
}

void EraseFirstEqual(std::vector<NPoint>& points, const NPoint& p)
{
    const size_t k = FindEqualPoint(points, p);
    if (k < points.size())
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(k));
}

// Index of the first vertex that `better` prefers to every other (the earliest
// of equal ones); NOT_FOUND_INDEX for an empty ring.
template <class Better>
size_t FirstExtremeIndex(const std::vector<NPoint>& points, Better better)
{
    if (points.empty())
        return NOT_FOUND_INDEX;
    size_t best = 0;
    for (size_t k = 1; k < points.size(); ++k) {
        if (better(points[k], points[best]))
            best = k;
    }
    return best;
}

// Snaps v up to a whole number, a value within EPS above one going down to it.
double SnapUp(double v) { return std::ceil(v - EPS); }

}  // namespace

NPolygon::NPolygon(const NPoint& pole, const std::vector<NPoint>& points) : m_pole(pole), m_points(points)
{
    UpdateGabarit();
}

// ---------------------------------------------------------------- access

NPolygonPtr NPolygon::GetCopy() const { return std::make_shared<NPolygon>(NPoint{}, m_points); }

void NPolygon::GetPoints(std::vector<NPoint>& points) const
{
    points.insert(points.end(), m_points.begin(), m_points.end());
}

void NPolygon::UpdateGabarit()
{
    double left = GABARIT_LOW, bottom = GABARIT_LOW, right = GABARIT_HIGH, top = GABARIT_HIGH;
    for (const NPoint& p : m_points) {
        left = p.x < left ? p.x : left;
        bottom = p.y < bottom ? p.y : bottom;
        right = p.x > right ? p.x : right;
        top = p.y > top ? p.y : top;
    }
    m_rect = {{left, bottom}, {right, top}};
}

double NPolygon::GetGabaritArea() const
{
    return (m_rect.pTop.x - m_rect.pBot.x) * (m_rect.pTop.y - m_rect.pBot.y);
}

bool NPolygon::operator==(const NPolygon& other) const
{
    if (m_points.empty() || m_points.size() != other.m_points.size())
        return false;
    if (!CheckEquilRects(m_rect, other.m_rect))
        return false;
    const NPoint d = m_rect.pBot - other.m_rect.pBot;
    for (size_t k = 0; k < m_points.size(); ++k) {
        if (!(other.m_points[k] + d == m_points[k]))
            return false;
    }
    return true;
}

double NPolygon::CalculateLength() const
{
    if (m_points.empty())
        return 0.0;
    double length = 0.0;
    NPoint prev = m_points.back();
    for (const NPoint& cur : m_points) {
        length += ::Distance(prev, cur);
        prev = cur;
    }
    return length;
}

size_t NPolygon::FindFirstIndexMaximumY() const
{
    return FirstExtremeIndex(m_points, [](const NPoint& a, const NPoint& b) { return a.y > b.y; });
}

size_t NPolygon::FindFirstIndexMinimumY() const
{
    return FirstExtremeIndex(m_points, [](const NPoint& a, const NPoint& b) { return a.y < b.y; });
}

// Tests the fan of segments from the first vertex to every other vertex,
// skipping the one that ends at p.i.
size_t NPolygon::GetIndexPoint(const NIndexPoint& p) const
{
    if (m_points.size() < 2)
        return NOT_FOUND_INDEX;
    for (size_t k = 0; k + 1 < m_points.size(); ++k) {
        if (k + 1 == p.i)
            continue;
        if (CheckSegmentContainPoint(m_points[0], m_points[k + 1], p))
            return k;
    }
    return NOT_FOUND_INDEX;
}

// The mid point of p1 and vertex p1.i; p1 itself when that vertex does not exist.
NPoint NPolygon::GetMidPoint(const NIndexPoint& p1, const NIndexPoint& /*p2*/) const
{
    const NPoint p{p1.x, p1.y};
    if (p1.i >= m_points.size())
        return p;
    const NPoint& v = m_points[p1.i];
    return {(p.x + v.x) * 0.5, (p.y + v.y) * 0.5};
}

void NPolygon::AddRelatives(const NPolygonPtr& p)
{
    if (!p)
        return;
    const VectorPolygon relatives = p->m_relatives;  // p may be this polygon
    m_relatives.insert(m_relatives.end(), relatives.begin(), relatives.end());
}

bool NPolygon::CheckRelatives(const NPolygonPtr& p) const
{
    return std::find(m_relatives.begin(), m_relatives.end(), p) != m_relatives.end();
}

const NPoint& NPolygon::GetBegPoint() const { return m_points.empty() ? m_pole : m_points.front(); }

const NPoint& NPolygon::GetEndPoint() const { return m_points.empty() ? m_pole : m_points.back(); }

// ---------------------------------------------------------------- vertex editing

void NPolygon::AddPoint(const NPoint& p)
{
    if (FindEqualPoint(m_points, p) == m_points.size())
        m_points.push_back(p);
}

// Inserts p in front of the first vertex equal to vertex `ind`; nothing for
// an index beyond the ring.
void NPolygon::InsertPoint(size_t ind, const NPoint& p)
{
    if (ind >= m_points.size())
        return;
    const size_t at = FindEqualPoint(m_points, m_points[ind]);
    m_points.insert(m_points.begin() + static_cast<std::ptrdiff_t>(at), p);
}

void NPolygon::DelPoint(const NPoint& p) { EraseFirstEqual(m_points, p); }

void NPolygon::DelEquilPoints()
{
    if (m_points.empty())
        return;
    std::vector<NPoint> repeated;
    NPoint prev = m_points.back();
    for (const NPoint& cur : m_points) {
        if (cur.IsEquil(prev, EPS_REPEATED))
            repeated.push_back(cur);
        prev = cur;
    }
    for (const NPoint& p : repeated) {
        if (m_points.size() < 2)
            break;
        EraseFirstEqual(m_points, p);
    }
}

bool NPolygon::DelColinearPoints()
{
    const size_t n = m_points.size();
    if (n < 3)
        return false;
    // A vertex goes when it lies on the line from the last vertex kept to
    // the next one and so do all the vertices dropped since: those bound the
    // line's direction to a cone about the last one kept (angles folded to a
    // half turn, the line running either way). Measured against its old
    // neighbours only, every vertex of a dense arc (each turning by less than
    // the tolerance) would go and the arc with them.
    std::vector<NPoint> kept;
    kept.reserve(n);
    NPoint a = m_points[n - 1];
    NPoint ref;
    bool directed = false;
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    const auto lineAngle = [&ref](const NPoint& v) {
        double t = std::atan2(ref.x * v.y - ref.y * v.x, ref.x * v.x + ref.y * v.y);
        if (t > std::numbers::pi / 2)
            t -= std::numbers::pi;
        else if (t <= -std::numbers::pi / 2)
            t += std::numbers::pi;
        return t;
    };
    for (size_t i = 0; i < n; ++i) {
        const NPoint& b = m_points[i];
        const NPoint& c = i + 1 < n ? m_points[i + 1] : (kept.empty() ? m_points[0] : kept.front());
        bool drop = CheckLineContainPoint(a, c, b);
        if (drop && directed && ::Distance(a, c) > EPS) {
            const double t = lineAngle(c - a);
            drop = t >= lo && t <= hi;
        }
        if (!drop) {
            kept.push_back(b);
            a = b;
            directed = false;
            lo = -std::numeric_limits<double>::infinity();
            hi = std::numeric_limits<double>::infinity();
            continue;
        }
        const double d = ::Distance(a, b);
        if (d > EPS) {
            if (!directed) {
                directed = true;
                ref = NPoint{(b.x - a.x) / d, (b.y - a.y) / d};
            }
            const double t = lineAngle(b - a);
            const double spread = std::asin(EPS / d);
            lo = std::max(lo, t - spread);
            hi = std::min(hi, t + spread);
        }
    }
    if (kept.size() == n)
        return false;
    m_points = std::move(kept);
    return true;
}

// Near-axis edges made exact. The ring keeps the material on its left (an
// outline counter-clockwise, a hole clockwise): a vertex moves only where it
// goes no deeper than the point-equality tolerance EPS into the material
// beside either of its edges, so the straightened ring still encloses the
// part (a snap of a long, nearly level edge may move its end by millimetres).
void NPolygon::Simplify()
{
    const size_t n = m_points.size();
    if (n < 3)
        return;
    // How far s lies left of the line a -> b (into the material); 0 for a
    // zero-length edge.
    auto depth = [](const NPoint& a, const NPoint& b, const NPoint& s) {
        const NPoint d = b - a;
        const double length = std::hypot(d.x, d.y);
        return length > 0.0 ? (d.x * (s.y - a.y) - d.y * (s.x - a.x)) / length : 0.0;
    };
    NPoint prev = m_points.back();
    for (size_t k = 0; k < n; ++k) {
        NPoint& cur = m_points[k];
        // Slope ratios |dx|/|dy| and |dy|/|dx| below the limit, without dividing
        // by zero: a zero-length edge changes nothing.
        const double dx = std::fabs(cur.x - prev.x);
        const double dy = std::fabs(cur.y - prev.y);
        NPoint snapped = cur;
        if (dx < EPS_REPEATED * dy)
            snapped.x = prev.x;
        if (dy < EPS_REPEATED * dx)
            snapped.y = prev.y;
        const NPoint& next = m_points[k + 1 < n ? k + 1 : 0];
        if (depth(prev, cur, snapped) <= EPS && depth(cur, next, snapped) <= EPS)
            cur = snapped;
        prev = cur;
    }
}

void NPolygon::TransformCoordsToLong()
{
    if (m_points.empty())
        return;
    const std::vector<NPoint> input = m_points;
    m_points[0] = {SnapUp(input[0].x), SnapUp(input[0].y)};
    for (size_t k = 1; k < input.size(); ++k) {
        NPoint& cur = m_points[k];
        const NPoint& prevNew = m_points[k - 1];
        cur.x = std::fabs(input[k].x - input[k - 1].x) < EPS ? prevNew.x : SnapUp(input[k].x);
        cur.y = std::fabs(input[k].y - input[k - 1].y) < EPS ? prevNew.y : SnapUp(input[k].y);
    }
}

void NPolygon::ChangeFirstPoint(size_t ind)
{
    if (ind >= m_points.size())
        return;
    std::rotate(m_points.begin(), m_points.begin() + static_cast<std::ptrdiff_t>(ind), m_points.end());
}

void NPolygon::Invert() { std::reverse(m_points.begin(), m_points.end()); }

// Appends the vertices of `other`, merging the shared end point, extending
// straight runs and dropping a final vertex that closes the ring. An empty
// target takes the first vertex as it is.
NPolygon& NPolygon::operator+=(const NPolygon& other)
{
    if (&other == this) {
        const NPolygon copy = other;
        return *this += copy;
    }
    const std::vector<NPoint>& source = other.m_points;
    for (size_t k = 0; k < source.size(); ++k) {
        const NPoint& q = source[k];
        const size_t n = m_points.size();
        if (n == 0) {
            m_points.push_back(q);
        } else if (n == 1) {
            if (!(q == m_points[0]))
                m_points.push_back(q);
        } else if (k + 1 == source.size() && q == m_points.front()) {
            continue;
        } else if (CheckLineContainPoint(m_points[n - 2], m_points[n - 1], q)) {
            m_points[n - 1] = q;
        } else {
            m_points.push_back(q);
        }
    }
    return *this;
}

// ---------------------------------------------------------------- transforms

void NPolygon::Offset(const NPoint& p)
{
    m_pole += p;
    for (NPoint& v : m_points)
        v += p;
    UpdateGabarit();
}

void NPolygon::Rotate(double angle) { Rotate(std::cos(angle), std::sin(angle)); }

void NPolygon::Rotate(double cosA, double sinA)
{
    for (NPoint& v : m_points)
        v.Rotate(m_pole, cosA, sinA);
    UpdateGabarit();
}

void NPolygon::SetPlacement(double x, double y, double angle) { SetPlacement(x, y, std::cos(angle), std::sin(angle)); }

void NPolygon::SetPlacement(double x, double y, double cosA, double sinA)
{
    // Moved, then turned about the moved pole; the box once, at the end.
    const NPoint shift{x, y};
    m_pole += shift;
    for (NPoint& v : m_points) {
        v += shift;
        v.Rotate(m_pole, cosA, sinA);
    }
    UpdateGabarit();
}

void NPolygon::Scale(double scale)
{
    for (NPoint& v : m_points)
        v *= scale;
}

void NPolygon::MirrorX()
{
    for (NPoint& v : m_points)
        v.y = -v.y;
    Invert();
}
