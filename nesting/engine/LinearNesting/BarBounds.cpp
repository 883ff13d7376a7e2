#include "engine/LinearNesting/BarBounds.h"

#include <algorithm>
#include <cmath>

namespace {

// Shares closer than this to a threshold of a function are taken on the side
// that gives the lower value, so that rounding never makes a bound too high.
constexpr double Tolerance = 1e-12;
// The steps k of the rounding function tried.
constexpr int MostSteps = 10;

// Fekete and Schepers: x rounded down to a multiple of 1/k of a bar on the
// grid of k + 1 steps ((k + 1) x pieces of 1/(k + 1) would fit at most k
// whole ones), x itself where (k + 1) x is whole.
double Rounded(double x, int k)
{
    const double t = (k + 1) * x;
    const double whole = std::round(t);
    if (std::fabs(t - whole) <= Tolerance * (k + 1))
        return std::max(0.0, std::min(x, (whole - 1.0) / k));
    return std::floor(t) / k;
}

} // namespace

double DualFunctionBound(const std::vector<BarPieces>& pieces, double capacity)
{
    if (!(capacity > 0.0) || pieces.empty())
        return 0.0;
    // The pieces' shares of the bar, sorted, with their counts.
    std::vector<std::pair<double, double>> sorted;
    for (const BarPieces& p : pieces)
        if (p.count > 0.0 && p.length > 0.0)
            sorted.emplace_back(std::min(1.0, p.length / capacity), p.count);
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    // sums[k][i]: the pieces before i valued by the rounding function of
    // step k (k = 0: by their share).
    std::vector<std::vector<double>> sums(MostSteps + 1, std::vector<double>(n + 1, 0.0));
    std::vector<double> pieceCounts(n + 1, 0.0);
    for (size_t i = 0; i < n; ++i) {
        const auto [x, count] = sorted[i];
        sums[0][i + 1] = sums[0][i] + x * count;
        for (int k = 1; k <= MostSteps; ++k)
            sums[static_cast<size_t>(k)][i + 1] = sums[static_cast<size_t>(k)][i] + Rounded(x, k) * count;
        pieceCounts[i + 1] = pieceCounts[i] + count;
    }
    double best = sums[0][n];
    // Every share up to a half is tried as the threshold of the long-piece
    // function: the pieces under it count nothing, those over 1 - t a whole
    // bar (whatever rounding follows), the others as the rounding values them.
    auto firstAtLeast = [&](double x) {
        return static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), std::make_pair(x, 0.0)) -
                                   sorted.begin());
    };
    auto firstAbove = [&](double x) {
        return static_cast<size_t>(
            std::upper_bound(sorted.begin(), sorted.end(), x, [](double v, const auto& p) { return v < p.first; }) -
            sorted.begin());
    };
    for (size_t t = 0; t <= n; ++t) {
        const double threshold = t == 0 ? 0.0 : sorted[t - 1].first;
        if (threshold > 0.5)
            break;
        if (t > 1 && threshold == sorted[t - 2].first)
            continue;
        const size_t low = threshold == 0.0 ? 0 : firstAtLeast(threshold - Tolerance);
        const size_t high = std::max(low, firstAbove(1.0 - threshold + Tolerance));
        const double whole = pieceCounts[n] - pieceCounts[high];
        for (const std::vector<double>& sum : sums)
            best = std::max(best, whole + sum[high] - sum[low]);
    }
    return best;
}
