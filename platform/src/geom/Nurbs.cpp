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

Homogeneous evaluate(const Nurbs& n, double u)
{
    const std::size_t s = findSpan(n.knots, n.degree, n.poles.size(), u);
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

Point NurbsPath::derivative(double t) const
{
    const Homogeneous h = evaluate(n_, t);
    const Point c = h.point / h.weight;
    return (h.slope - c * h.weightSlope) / h.weight;
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

Nurbs nurbsThroughPoints(std::span<const Point> points, int degree)
{
    std::vector<Point> q;
    for (Point p : points)
        if (isFinite(p) && (q.empty() || distance(q.back(), p) > detail::kTiny))
            q.push_back(p);
    if (q.size() < 2 || degree < 1)
        return {};
    const int p = std::min(degree, static_cast<int>(q.size()) - 1);
    const std::size_t count = q.size();
    // Chord-length parameters in [0, 1] and knots averaged from them.
    std::vector<double> params{0};
    double total = 0;
    for (std::size_t k = 1; k < count; ++k)
        total += distance(q[k - 1], q[k]);
    for (std::size_t k = 1; k < count; ++k)
        params.push_back(params.back() + distance(q[k - 1], q[k]) / total);
    params.back() = 1;
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

}  // namespace vlhost::geom
