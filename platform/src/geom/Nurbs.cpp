// Rational B-splines: evaluation, conversions and interpolation through points.

#include "geom/detail/Kernel.h"

#include <algorithm>
#include <array>

namespace vlhost::geom {

namespace detail {

namespace {

constexpr std::size_t kMaxDegree = 30;

double weightOf(const Nurbs& n, std::size_t i)
{
    return n.weights.empty() ? 1.0 : n.weights[i];
}

// Index s of the knot span [knots[s], knots[s+1]) that holds u, within the curve's domain.
std::size_t findSpan(const std::vector<double>& knots, int degree, std::size_t poleCount, double u)
{
    const auto p = static_cast<std::size_t>(degree);
    const auto first = knots.begin() + static_cast<std::ptrdiff_t>(p);
    const auto last = knots.begin() + static_cast<std::ptrdiff_t>(poleCount);
    std::size_t s = static_cast<std::size_t>(std::upper_bound(first, last, u) - knots.begin());
    s = std::clamp(s, p + 1, poleCount) - 1;
    while (s > p && knots[s] == knots[s + 1])
        --s;
    return s;
}

// The span that ends at or after u, for the curve as it arrives at u: the
// span [knots[s], knots[s+1]] with knots[s] < u <= knots[s+1], within the domain.
std::size_t findSpanBefore(const std::vector<double>& knots, int degree, std::size_t poleCount, double u)
{
    const auto p = static_cast<std::size_t>(degree);
    if (!(u > knots[p]))
        return findSpan(knots, degree, poleCount, u);
    const auto first = knots.begin() + static_cast<std::ptrdiff_t>(p);
    const auto last = knots.begin() + static_cast<std::ptrdiff_t>(poleCount);
    const std::size_t s = static_cast<std::size_t>(std::lower_bound(first, last, u) - knots.begin());
    return std::clamp(s, p + 1, poleCount) - 1;
}

using BasisRow = std::array<double, kMaxDegree + 1>;

// Values and first derivatives of the degree + 1 basis functions that are non-zero on span s.
void basisWithDerivatives(const std::vector<double>& knots, int degree, std::size_t s, double u,
                          BasisRow& values, BasisRow& slopes)
{
    const auto p = static_cast<std::size_t>(degree);
    // ndu[j][r]: upper triangle the basis functions of rising degree, lower triangle the knot differences.
    std::array<BasisRow, kMaxDegree + 1> ndu;
    BasisRow left, right;
    ndu[0][0] = 1;
    for (std::size_t j = 1; j <= p; ++j) {
        left[j] = u - knots[s + 1 - j];
        right[j] = knots[s + j] - u;
        double saved = 0;
        for (std::size_t r = 0; r < j; ++r) {
            ndu[j][r] = right[r + 1] + left[j - r];
            const double temp = ndu[r][j - 1] / ndu[j][r];
            ndu[r][j] = saved + right[r + 1] * temp;
            saved = left[j - r] * temp;
        }
        ndu[j][j] = saved;
    }
    for (std::size_t r = 0; r <= p; ++r) {
        values[r] = ndu[r][p];
        double d = 0;
        if (r >= 1)
            d += ndu[r - 1][p - 1] / ndu[p][r - 1];
        if (r < p)
            d -= ndu[r][p - 1] / ndu[p][r];
        slopes[r] = static_cast<double>(p) * d;
    }
}

struct Homogeneous {
    Point point;    // Σ N w P
    double weight;  // Σ N w
    Point slope;    // Σ N' w P
    double weightSlope;
};

Homogeneous evaluate(const Nurbs& n, double u, bool arriving = false)
{
    const std::size_t s = arriving ? findSpanBefore(n.knots, n.degree, n.poles.size(), u)
                                   : findSpan(n.knots, n.degree, n.poles.size(), u);
    BasisRow values, slopes;
    basisWithDerivatives(n.knots, n.degree, s, u, values, slopes);
    Homogeneous h{{}, 0, {}, 0};
    for (std::size_t r = 0; r <= static_cast<std::size_t>(n.degree); ++r) {
        const std::size_t i = s - static_cast<std::size_t>(n.degree) + r;
        const double w = weightOf(n, i);
        h.point = h.point + n.poles[i] * (values[r] * w);
        h.weight += values[r] * w;
        h.slope = h.slope + n.poles[i] * (slopes[r] * w);
        h.weightSlope += slopes[r] * w;
    }
    return h;
}

double domainStart(const Nurbs& n)
{
    return n.knots[static_cast<std::size_t>(n.degree)];
}

double domainEnd(const Nurbs& n)
{
    return n.knots[n.poles.size()];
}

std::vector<double> clampedKnots(int degree, std::vector<double> interior, double end)
{
    std::vector<double> knots(static_cast<std::size_t>(degree) + 1, 0.0);
    knots.insert(knots.end(), interior.begin(), interior.end());
    knots.insert(knots.end(), static_cast<std::size_t>(degree) + 1, end);
    return knots;
}

// Solves the interpolation system whose row k holds the basis functions at params[k].
// The matrix is banded and totally positive, so elimination without pivoting is stable.
std::vector<Point> solveBanded(const Nurbs& shape, const std::vector<double>& params, const std::vector<Point>& rhs)
{
    const std::size_t n = rhs.size();
    const auto p = static_cast<std::size_t>(shape.degree);
    const std::size_t width = 3 * p + 1;   // columns k - p .. k + 2p of row k
    std::vector<double> band(n * width, 0.0);
    auto at = [&](std::size_t row, std::size_t col) -> double& { return band[row * width + (col + p - row)]; };
    BasisRow values, slopes;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t s = findSpan(shape.knots, shape.degree, n, params[k]);
        basisWithDerivatives(shape.knots, shape.degree, s, params[k], values, slopes);
        for (std::size_t r = 0; r <= p; ++r)
            at(k, s - p + r) = values[r];
    }
    std::vector<Point> x = rhs;
    for (std::size_t j = 0; j < n; ++j) {
        const double pivot = at(j, j);
        for (std::size_t i = j + 1; i < std::min(n, j + p + 1); ++i) {
            const double f = at(i, j) / pivot;
            if (f == 0)
                continue;
            for (std::size_t c = j; c < std::min(n, j + 2 * p + 1); ++c)
                at(i, c) -= f * at(j, c);
            x[i] = x[i] - x[j] * f;
        }
    }
    for (std::size_t j = n; j-- > 0;) {
        for (std::size_t c = j + 1; c < std::min(n, j + 2 * p + 1); ++c)
            x[j] = x[j] - x[c] * at(j, c);
        x[j] = x[j] / at(j, j);
    }
    return x;
}

}  // namespace

Point NurbsPath::at(double t) const
{
    const Homogeneous h = evaluate(n_, t);
    return h.point / h.weight;
}

namespace {

Point derivativeOf(const Homogeneous& h)
{
    const Point c = h.point / h.weight;
    return (h.slope - c * h.weightSlope) / h.weight;
}

}  // namespace

Point NurbsPath::derivative(double t) const
{
    return derivativeOf(evaluate(n_, t));
}

Point NurbsPath::derivativeBefore(double t) const
{
    return derivativeOf(evaluate(n_, t, true));
}

std::vector<double> NurbsPath::breaks() const
{
    std::vector<double> br;
    const double lo = domainStart(n_);
    const double hi = domainEnd(n_);
    for (double k : n_.knots)
        if (k >= lo && k <= hi && (br.empty() || k > br.back()))
            br.push_back(k);
    return br;
}

bool isValid(const Nurbs& n)
{
    if (n.degree < 1 || static_cast<std::size_t>(n.degree) > kMaxDegree || n.poles.size() < static_cast<std::size_t>(n.degree) + 1 ||
        n.knots.size() != n.poles.size() + static_cast<std::size_t>(n.degree) + 1)
        return false;
    if (!n.weights.empty() && n.weights.size() != n.poles.size())
        return false;
    if (!std::all_of(n.knots.begin(), n.knots.end(), [](double k) { return std::isfinite(k); }) ||
        !std::is_sorted(n.knots.begin(), n.knots.end()) || !(domainEnd(n) > domainStart(n)))
        return false;
    if (!std::all_of(n.weights.begin(), n.weights.end(), [](double w) { return std::isfinite(w) && w > 0; }))
        return false;
    if (!std::all_of(n.poles.begin(), n.poles.end(), [](Point p) { return isFinite(p); }))
        return false;
    return std::any_of(n.poles.begin(), n.poles.end(), [&](Point p) { return distance(p, n.poles[0]) > kTiny; });
}

std::optional<Nurbs> toNurbs(const Bezier& b)
{
    if (b.degree < 1 || static_cast<std::size_t>(b.degree) > kMaxDegree || b.poles.size() < 2 ||
        (b.poles.size() - 1) % static_cast<std::size_t>(b.degree) != 0)
        return std::nullopt;
    const std::size_t pieces = (b.poles.size() - 1) / static_cast<std::size_t>(b.degree);
    std::vector<double> interior;
    for (std::size_t i = 1; i < pieces; ++i)
        interior.insert(interior.end(), static_cast<std::size_t>(b.degree), static_cast<double>(i));
    return Nurbs{b.poles, {}, clampedKnots(b.degree, interior, static_cast<double>(pieces)), b.degree};
}

std::optional<Nurbs> toNurbs(const Conic& c)
{
    if (!std::isfinite(c.weight) || c.weight <= 0)
        return std::nullopt;
    return Nurbs{{c.start, c.apex, c.end}, {1, c.weight, 1}, clampedKnots(2, {}, 1), 2};
}

Nurbs reversedNurbs(const Nurbs& n)
{
    Nurbs r{{n.poles.rbegin(), n.poles.rend()}, {n.weights.rbegin(), n.weights.rend()}, {}, n.degree};
    if (n.knots.empty())
        return r;
    const double sum = n.knots.front() + n.knots.back();
    for (auto k = n.knots.rbegin(); k != n.knots.rend(); ++k)
        r.knots.push_back(sum - *k);
    return r;
}

}  // namespace detail

namespace detail {
namespace {

// The finite points, consecutive coincident ones once.
std::vector<Point> distinctPoints(std::span<const Point> points)
{
    std::vector<Point> q;
    for (Point p : points)
        if (isFinite(p) && (q.empty() || distance(q.back(), p) > kTiny))
            q.push_back(p);
    return q;
}

// Chord-length parameters of distinct points, in [0, 1]; `total` the length of their polygon.
std::vector<double> chordParameters(const std::vector<Point>& q, double& total)
{
    std::vector<double> params{0};
    total = 0;
    for (std::size_t k = 1; k < q.size(); ++k)
        total += distance(q[k - 1], q[k]);
    for (std::size_t k = 1; k < q.size(); ++k)
        params.push_back(params.back() + distance(q[k - 1], q[k]) / total);
    params.back() = 1;
    return params;
}

}  // namespace
}  // namespace detail

Nurbs nurbsThroughPoints(std::span<const Point> points, int degree)
{
    const std::vector<Point> q = detail::distinctPoints(points);
    if (q.size() < 2 || degree < 1)
        return {};
    const int p = std::min(degree, static_cast<int>(q.size()) - 1);
    const std::size_t count = q.size();
    // Chord-length parameters and knots averaged from them.
    double total = 0;
    const std::vector<double> params = detail::chordParameters(q, total);
    std::vector<double> interior;
    for (std::size_t j = 1; j + static_cast<std::size_t>(p) < count; ++j) {
        double sum = 0;
        for (std::size_t i = j; i < j + static_cast<std::size_t>(p); ++i)
            sum += params[i];
        interior.push_back(sum / p);
    }
    Nurbs shape{q, {}, detail::clampedKnots(p, interior, 1), p};
    shape.poles = detail::solveBanded(shape, params, q);
    return shape;
}


namespace {

// The five-point tangent estimate at a fit point, from the chords q0 and q1
// either side of it and the chords qm beyond q0 and q2 beyond q1: a blend
// that follows the straighter side.
Point blendedTangent(Point qm, Point q0, Point q1, Point q2)
{
    const double before = std::abs(cross(qm, q0)), after = std::abs(cross(q1, q2));
    const double a = before + after > 0 ? before / (before + after) : 0.5;
    return q0 * (1 - a) + q1 * a;
}

// `tangent` scaled to `length`; nothing for a tangent without a direction.
std::optional<Point> scaledTangent(std::optional<Point> tangent, double length)
{
    if (!tangent || !isFinite(*tangent))
        return std::nullopt;
    const double norm = std::hypot(tangent->x, tangent->y);
    if (!(norm > detail::kTiny) || !std::isfinite(norm))
        return std::nullopt;
    return *tangent * (length / norm);
}

}  // namespace

Nurbs cubicThroughFitPoints(std::span<const Point> points, std::optional<Point> startTangent,
                            std::optional<Point> endTangent, bool closed)
{
    std::vector<Point> q = detail::distinctPoints(points);
    if (closed && q.size() >= 2 && distance(q.front(), q.back()) <= detail::kTiny)
        q.pop_back();
    closed = closed && q.size() >= 3;
    if (closed)
        q.push_back(q.front());
    const std::size_t count = q.size();
    if (count < 2)
        return {};
    double total = 0;
    const std::vector<double> params = detail::chordParameters(q, total);
    std::optional<Point> start = scaledTangent(startTangent, total), end = scaledTangent(endTangent, total);
    if (closed) {
        // One tangent at the joint: the one given, or estimated across it.
        if (!start && !end) {
            const std::size_t m = count - 1;  // distinct points
            auto chord = [&](std::size_t k) { return q[k % m] - q[(k + m - 1) % m]; };  // q[k] - q[k - 1]
            start = scaledTangent(blendedTangent(chord(m - 1), chord(0), chord(1), chord(2)), total);
        }
        if (!start)
            start = end;
        if (!end)
            end = start;
    }
    if (!start || !end) {
        std::optional<Point> first, last;
        if (count == 2) {
            first = last = q[1] - q[0];
        } else {
            // The chords before the first and after the last point continue
            // the polygon's own turning.
            const Point q1 = q[1] - q[0], q2 = q[2] - q[1];
            const Point q0 = q1 * 2 - q2;
            first = blendedTangent(q0 * 2 - q1, q0, q1, q2);
            const Point qa = q[count - 2] - q[count - 3], qb = q[count - 1] - q[count - 2];
            const Point qc = qb * 2 - qa;
            last = blendedTangent(qa, qb, qc, qc * 2 - qb);
        }
        if (!start)
            start = scaledTangent(first, total);
        if (!end)
            end = scaledTangent(last, total);
    }
    if (!start || !end)
        start = end = (q.back() - q.front());  // a straight run: its own direction

    // Knots 0 0 0 0, the inner parameters, 1 1 1 1; count + 2 poles. The
    // first two and the last two poles follow from the ends and tangents;
    // the inner fit points give a tridiagonal system for the rest.
    std::vector<double> inner(params.begin() + 1, params.end() - 1);
    Nurbs shape{std::vector<Point>(count + 2), {}, detail::clampedKnots(3, inner, 1), 3};
    std::vector<Point>& poles = shape.poles;
    poles[0] = q.front();
    poles[1] = q.front() + *start * (params[1] / 3);
    poles[count + 1] = q.back();
    poles[count] = q.back() - *end * ((1 - params[count - 2]) / 3);
    const std::size_t unknowns = count - 2;  // poles 2 .. count - 1
    std::vector<double> sub(unknowns), diag(unknowns), super(unknowns);
    std::vector<Point> rhs(unknowns);
    detail::BasisRow values, slopes;
    for (std::size_t k = 1; k + 1 < count; ++k) {
        // At the simple knot params[k] = knots[k + 3] the poles k .. k + 2 act.
        detail::basisWithDerivatives(shape.knots, 3, k + 3, params[k], values, slopes);
        const std::size_t row = k - 1;
        sub[row] = values[0];
        diag[row] = values[1];
        super[row] = values[2];
        rhs[row] = q[k];
        if (k == 1)
            rhs[row] = rhs[row] - poles[1] * values[0];
        if (k + 2 == count)
            rhs[row] = rhs[row] - poles[count] * values[2];
    }
    // The collocation matrix is totally positive: elimination without pivoting is stable.
    for (std::size_t i = 1; i < unknowns; ++i) {
        const double f = sub[i] / diag[i - 1];
        diag[i] -= f * super[i - 1];
        rhs[i] = rhs[i] - rhs[i - 1] * f;
    }
    for (std::size_t i = unknowns; i-- > 0;) {
        Point x = rhs[i];
        if (i + 1 < unknowns)
            x = x - poles[i + 3] * super[i];
        poles[i + 2] = x / diag[i];
    }
    return shape;
}

}  // namespace vlhost::geom
