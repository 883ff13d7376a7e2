#include "engine/LinearNesting/BarBounds.h"

#include "engine/LinearNesting/LayoutProgramme.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace {

// Shares closer than this to a threshold of a function are taken on the side
// that gives the lower value, so that rounding never makes a bound too high.
constexpr double Tolerance = 1e-12;
// The steps k of the rounding function tried.
constexpr int MostSteps = 10;
// The relaxation: the most cells of its pricing table (grid steps of a bar
// times the pieces' binary parts), the exchanges of one simplex run per
// class, a share of a layout's worth above one bar that prices it in, the
// weight of the best prices so far in the prices a layout is sought at
// (the programme's own jump about on these degenerate programmes), and
// how near to a whole number the bound and the programme's bars count as
// reaching it.
constexpr double MostCells = 4e6;
constexpr size_t ExchangesPerClass = 10;
constexpr double PricingTolerance = 1e-9;
constexpr double Smoothing = 0.8;
constexpr double WholeTolerance = 1e-6;
// The classes of the first relaxation, and the share by which its programme
// raises demands at most.
constexpr size_t FirstClasses = 100;
constexpr double DemandShare = 1e-3;

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

namespace {

// Classes of neighbouring lengths, each as long as its shortest piece.
struct LengthClass {
    double length = 0.0;
    double count = 0.0;
    int32_t most = 0;  // pieces of it one bar may take
};

// A row of the pricing table: `pieces` pieces of a class (1, 2, 4, ... of
// them, so that a class of many pieces takes a few rows), or, `any`, as
// many as fit: the grid never lets more of the class into a bar than it
// may take.
struct TableRow {
    size_t lengthClass;
    int32_t pieces;
    long long steps;
    bool any;
};

// The rows of the table over a grid of `step`, `room` steps to a bar.
std::vector<TableRow> TableRows(const std::vector<LengthClass>& lengths, double step, long long room)
{
    std::vector<TableRow> rows;
    for (size_t c = 0; c < lengths.size(); ++c) {
        const long long steps = static_cast<long long>(std::floor(lengths[c].length / step + WholeTolerance));
        if (steps > 0 && room / steps <= lengths[c].most) {
            rows.push_back({c, 1, steps, true});
            continue;
        }
        for (int32_t left = lengths[c].most, part = 1; left > 0; part *= 2) {
            const int32_t taken = std::min(part, left);
            rows.push_back({c, taken, taken * steps, false});
            left -= taken;
        }
    }
    return rows;
}

// The layout of greatest worth at `prices` over the grid: its counts per
// class and its worth. Every layout of the classes fits the table, so no
// layout is worth more.
double BestLayout(const std::vector<TableRow>& rows, long long room, const std::vector<double>& prices,
                  std::vector<double>& best, std::vector<char>& taken, std::vector<int32_t>& counts)
{
    const size_t width = static_cast<size_t>(room) + 1;
    best.assign(width, 0.0);
    taken.assign(rows.size() * width, 0);
    for (size_t k = 0; k < rows.size(); ++k) {
        const double value = rows[k].pieces * prices[rows[k].lengthClass];
        if (value <= 0.0)
            continue;
        const size_t length = static_cast<size_t>(rows[k].steps);
        char* take = &taken[k * width];
        if (rows[k].any) {
            // Upwards: a bar may take one more of the row at every cell.
            for (size_t c = length; c < width; ++c) {
                const double with = best[c - length] + value;
                if (with > best[c]) {
                    best[c] = with;
                    take[c] = 1;
                }
            }
            continue;
        }
        for (size_t c = width; c-- > length;) {
            const double with = best[c - length] + value;
            if (with > best[c]) {
                best[c] = with;
                take[c] = 1;
            }
        }
    }
    std::fill(counts.begin(), counts.end(), 0);
    size_t c = width - 1;
    for (size_t k = rows.size(); k-- > 0;) {
        do {
            if (!taken[k * width + c])
                break;
            counts[rows[k].lengthClass] += rows[k].pieces;
            c -= static_cast<size_t>(rows[k].steps);
        } while (rows[k].any);
    }
    return best[width - 1];
}

// The relaxation over `k` classes of `sorted` (longest first).
RelaxedBound ClassRelaxation(const std::vector<BarPieces>& sorted, double capacity, double known, double work,
                             size_t k)
{
    RelaxedBound result;
    const size_t n = sorted.size();
    std::vector<LengthClass> lengths(k);
    for (size_t c = 0; c < k; ++c) {
        const size_t from = c * n / k, to = (c + 1) * n / k;
        for (size_t i = from; i < to; ++i)
            lengths[c].count += sorted[i].count;
        lengths[c].length = sorted[to - 1].length;
        lengths[c].most = static_cast<int32_t>(
            std::min(lengths[c].count, std::min(std::floor(capacity / lengths[c].length), 1e9)));
    }
    // The finest grid of 1, 2 or 5 times a power of ten whose table stays
    // within its cells.
    double step = 1e-3;
    long long room = 0;
    std::vector<TableRow> table;
    for (size_t i = 0;; ++i) {
        room = static_cast<long long>(std::floor(capacity / step + WholeTolerance));
        table = TableRows(lengths, step, room);
        if (static_cast<double>(room + 1) * static_cast<double>(table.size()) <= MostCells)
            break;
        step *= i % 3 == 1 ? 2.5 : 2.0;
    }
    const double cells = static_cast<double>(room + 1) * static_cast<double>(table.size());

    LayoutProgramme programme(ExchangesPerClass * k);
    programme.SetWorkLimit(work);
    std::vector<double> demand;
    for (size_t c = 0; c < k; ++c) {
        std::vector<int32_t> single(k, 0);
        single[c] = lengths[c].most;
        programme.AddColumn(single);
        demand.push_back(lengths[c].count);
    }
    // The programme meets demands raised by a little share of their own,
    // each another: unit demands leave its plans so degenerate that it
    // stalls. The bound counts the true demands.
    std::vector<double> raised = demand;
    for (size_t c = 0; c < k; ++c)
        raised[c] *= 1.0 + DemandShare * static_cast<double>((c * 2654435761u) % 1000) / 1000.0;
    // The layouts of first fit by decreasing length start the programme near
    // a plan: pieces taken longest first while they fit, each layout as many
    // bars as its pieces last.
    std::vector<double> left = demand;
    for (bool any = true; any;) {
        any = false;
        std::vector<int32_t> layout(k, 0);
        double room = capacity;
        for (size_t c = 0; c < k; ++c) {
            const double fit = std::min({left[c], std::floor(room / lengths[c].length), double(lengths[c].most)});
            if (fit >= 1.0) {
                layout[c] = static_cast<int32_t>(fit);
                room -= fit * lengths[c].length;
                any = true;
            }
        }
        if (!any)
            break;
        double bars = std::numeric_limits<double>::infinity();
        for (size_t c = 0; c < k; ++c)
            if (layout[c] > 0)
                bars = std::min(bars, std::floor(left[c] / layout[c]));
        for (size_t c = 0; c < k; ++c)
            left[c] -= bars * layout[c];
        programme.AddColumn(layout);
    }
    double total = 0.0;
    for (const double d : raised)
        total += d;
    programme.InitSimplexTable(raised);
    const auto spent = [&] { return programme.Work() + result.work; };
    if (programme.RunPhaseOne(1e-9 * (1.0 + total)) != LayoutProgramme::Stop::Optimal) {
        result.work = spent();
        return result;
    }
    // Prices proportional to length are always valid, and start the best.
    std::vector<double> centre(k);
    for (size_t c = 0; c < k; ++c)
        centre[c] = lengths[c].length / capacity;
    std::vector<double> best, prices(k);
    std::vector<char> taken;
    std::vector<int32_t> counts(k);
    while (programme.RunPhaseTwo() == LayoutProgramme::Stop::Optimal && spent() < work) {
        const double bars = programme.Bars();
        if (std::ceil(bars - WholeTolerance) <= std::ceil(std::max(result.bars, known) - WholeTolerance))
            break;
        const std::vector<double> duals = programme.Duals();
        bool added = false;
        for (const double weight : {Smoothing, 0.0}) {
            double worth = 0.0;
            for (size_t c = 0; c < k; ++c) {
                prices[c] = std::max(weight * centre[c] + (1.0 - weight) * duals[c], 0.0);
                worth += prices[c] * lengths[c].count;
            }
            const double most = BestLayout(table, room, prices, best, taken, counts);
            result.work += cells;
            if (most > 0.0 && worth / most > result.bars) {
                result.bars = worth / most;
                for (size_t c = 0; c < k; ++c)
                    centre[c] = prices[c] / most;
            }
            double reduced = 0.0;
            for (size_t c = 0; c < k; ++c)
                reduced += duals[c] * counts[c];
            if (reduced > 1.0 + PricingTolerance && !programme.Contains(counts)) {
                programme.AddColumn(counts);
                added = true;
                break;
            }
        }
        if (!added)
            break;
    }
    result.work = spent();
    return result;
}

} // namespace

RelaxedBound RelaxationBound(const std::vector<BarPieces>& pieces, double capacity, double known, double work,
                             size_t classes)
{
    RelaxedBound result;
    if (!(capacity > 0.0) || !std::isfinite(capacity) || classes == 0)
        return result;
    std::vector<BarPieces> sorted;
    for (const BarPieces& p : pieces)
        if (p.count > 0.0 && p.length > 0.0 && p.length <= capacity)
            sorted.push_back(p);
    if (sorted.empty())
        return result;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BarPieces& a, const BarPieces& b) { return a.length > b.length; });
    // Few classes first: their programme is quickly solved. More classes
    // follow only where the length the first ones took off their pieces
    // might make up for a bar of the bound.
    const size_t first = std::min({FirstClasses, classes, sorted.size()});
    result = ClassRelaxation(sorted, capacity, known, work, first);
    if (first == std::min(classes, sorted.size()))
        return result;
    double lost = 0.0;
    for (size_t c = 0, n = sorted.size(); c < first; ++c)
        for (size_t i = c * n / first; i < (c + 1) * n / first; ++i)
            lost += sorted[i].count * (sorted[i].length - sorted[(c + 1) * n / first - 1].length) / capacity;
    const double proven = std::max(known, result.bars);
    if (std::ceil(proven + lost - WholeTolerance) <= std::ceil(proven - WholeTolerance))
        return result;
    const RelaxedBound sharper =
        ClassRelaxation(sorted, capacity, proven, work - result.work, std::min(classes, sorted.size()));
    result.bars = std::max(result.bars, sharper.bars);
    result.work += sharper.work;
    return result;
}
