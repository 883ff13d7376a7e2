#include "engine/LinearNesting/SimplexMethodSolver.h"

#include "engine/LinearNesting/LayoutKnapsack.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

// The exhaustive enumeration gives up in favour of random layouts when it
// would visit more tree nodes or find more layouts than this: a larger
// tableau costs more than the column generation that completes a smaller one.
constexpr size_t EnumerationBudget = 2'000'000;
constexpr size_t EnumeratedLayoutsBudget = 1000;
// Random attempts per detail when the enumeration gives up: enough for a
// varied start, while column generation supplies the layouts that matter.
constexpr size_t RandomAttemptsPerDetail = 20;
// The search for whole bars that reach the programme's bound: layouts tried
// one bar at a time at every step, and programmes solved at most.
constexpr size_t SearchBranching = 3;
constexpr size_t SearchSolves = 100;

bool IsEmpty(const Layout& layout)
{
    return std::all_of(layout.begin(), layout.end(), [](int32_t c) { return c == 0; });
}

void AddBars(MapLayout& bars, const Layout& layout, double number)
{
    if (number > 0.0 && !IsEmpty(layout))
        bars[layout] += number;
}

double SumOfBars(const MapLayout& layouts)
{
    double sum = 0.0;
    for (const auto& [layout, number] : layouts)
        sum += number;
    return sum;
}

bool AllCovered(const std::vector<Detail>& remaining)
{
    return std::all_of(remaining.begin(), remaining.end(), [](const Detail& d) { return d.count <= 0; });
}

Layout CountsOf(const std::vector<Detail>& details)
{
    Layout counts;
    for (const Detail& d : details)
        counts.push_back(std::max(d.count, 0));
    return counts;
}

// The number of bars of `layout` the remaining demand still takes, at most `wanted`.
int32_t BarsThatFit(const Layout& layout, const std::vector<Detail>& remaining, int32_t wanted)
{
    for (size_t j = 0; j < layout.size(); ++j)
        if (layout[j] > 0)
            wanted = std::min(wanted, remaining[j].count / layout[j]);
    return wanted;
}

void Subtract(const Layout& layout, int32_t bars, std::vector<Detail>& remaining)
{
    for (size_t j = 0; j < layout.size(); ++j)
        remaining[j].count -= layout[j] * bars;
}

} // namespace

bool Detail::operator<(const Detail& other) const
{
    if (name != other.name)
        return name < other.name;
    return length < other.length;
}

SimplexMethodSolver::SimplexMethodSolver(double precision, size_t iterationLimit)
    : eps(precision), limCount(iterationLimit)
{
}

void SimplexMethodSolver::Init(const std::vector<Detail>& details, double width, double length,
                               double minimumWaste)
{
    m_details = details;
    m_sheetWidht = width;
    m_sheetLength = length;
    m_minimumWaste = minimumWaste;
}

size_t SimplexMethodSolver::RunCalculate(const std::vector<Detail>& details)
{
    m_layouts.clear();
    m_result.clear();
    if (details.empty())
        return Solved;
    if (!IsValidProblem(details))
        return Infeasible;
    if (!CreateAllCombinations(details))
        CreateRandomCombinations(details);
    return Calculate(details);
}

// ---------------------------------------------------------------------------
// Layout generation

// How many pieces of each detail one layout may hold: what fits into a bar,
// and never more than is demanded.
std::vector<int32_t> SimplexMethodSolver::MaxCounts(const std::vector<Detail>& details) const
{
    std::vector<int32_t> maxCounts;
    for (const Detail& d : details) {
        const double fit = d.length > 0.0 ? std::floor((m_sheetLength + eps) / d.length) : 0.0;
        const double demand = std::max(d.count, 0);
        maxCounts.push_back(static_cast<int32_t>(std::clamp(fit, 0.0, demand)));
    }
    return maxCounts;
}

bool SimplexMethodSolver::CreateAllCombinations(const std::vector<Detail>& details)
{
    m_layouts.clear();
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    Layout digits(details.size(), 0);
    std::vector<Layout> found;
    size_t budget = EnumerationBudget;
    if (!EnumerateLayouts(details, maxCounts, 0, 0.0, digits, found, budget))
        return false;
    AddSingleDetailLayouts(details);
    for (const Layout& layout : found)
        m_layouts.emplace(layout, 0.0);
    return true;
}

// Depth-first over the details, the last one varying fastest, so layouts come
// in lexicographic order; branches that overfill the bar are cut at once.
bool SimplexMethodSolver::EnumerateLayouts(const std::vector<Detail>& details,
                                           const std::vector<int32_t>& maxCounts, size_t j, double total,
                                           Layout& digits, std::vector<Layout>& found, size_t& budget) const
{
    if (budget == 0)
        return false;
    --budget;
    if (j == details.size()) {
        if (total > eps && IsMaximal(details, maxCounts, digits, total))
            found.push_back(digits);
        return found.size() <= EnumeratedLayoutsBudget;
    }
    for (int32_t v = 0; v <= maxCounts[j]; ++v) {
        const double t = total + v * details[j].length;
        if (t > m_sheetLength + eps)
            break;
        digits[j] = v;
        if (!EnumerateLayouts(details, maxCounts, j + 1, t, digits, found, budget))
            return false;
    }
    digits[j] = 0;
    return true;
}

// A layout is worth a column when no further piece of a still wanted detail
// fits into what is left of the bar.
bool SimplexMethodSolver::IsMaximal(const std::vector<Detail>& details, const std::vector<int32_t>& maxCounts,
                                    const Layout& layout, double total) const
{
    for (size_t j = 0; j < details.size(); ++j)
        if (layout[j] < maxCounts[j] && total + details[j].length <= m_sheetLength + eps)
            return false;
    return true;
}

// Every detail that fits a bar gets the layout of as many of its pieces as
// one bar holds (no more than demanded), so that every demand can be met.
void SimplexMethodSolver::AddSingleDetailLayouts(const std::vector<Detail>& details)
{
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    for (size_t i = 0; i < details.size(); ++i) {
        if (maxCounts[i] == 0)
            continue;
        Layout layout(details.size(), 0);
        layout[i] = maxCounts[i];
        m_layouts.emplace(layout, 0.0);
    }
}

void SimplexMethodSolver::CreateRandomCombinations(const std::vector<Detail>& details)
{
    m_layouts.clear();
    const uint32_t seed = m_seed ? *m_seed : std::random_device("/dev/urandom")();
    std::mt19937 generator(seed);
    std::vector<size_t> order(details.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    const size_t attempts = RandomAttemptsPerDetail * details.size();
    for (size_t attempt = 0; attempt < attempts; ++attempt) {
        double rest = 0.0;
        Layout layout = RandomLayout(details, maxCounts, order, generator, rest);
        if (!IsEmpty(layout))
            m_layouts.emplace(std::move(layout), rest);
    }
}

// One random layout: the details in a shuffled order, each taking a random
// share of what is left, then a second pass filling the bar up.
Layout SimplexMethodSolver::RandomLayout(const std::vector<Detail>& details, const std::vector<int32_t>& maxCounts,
                                         std::vector<size_t>& order, std::mt19937& generator, double& rest) const
{
    const size_t size = details.size();
    for (size_t p = 0; size >= 2 && p < size; ++p)
        std::swap(order[p], order[std::uniform_int_distribution<size_t>(p, size - 1)(generator)]);
    Layout counts(size, 0);
    rest = m_sheetLength;
    auto piecesThatFit = [&](size_t d) {
        const double fit = std::floor((rest + eps) / details[d].length);
        return static_cast<int32_t>(std::min<double>(fit, maxCounts[d] - counts[d]));
    };
    for (size_t p = 0; p < size; ++p) {
        const size_t d = order[p];
        int32_t k = piecesThatFit(d);
        if (k >= 1 && p + 1 < size)
            k = std::uniform_int_distribution<int32_t>(1, k)(generator);
        counts[d] = std::max(k, 0);
        rest -= counts[d] * details[d].length;
    }
    for (size_t p = 0; p < size; ++p) {
        const size_t d = order[p];
        const int32_t k = piecesThatFit(d);
        if (k >= 1) {
            counts[d] += k;
            rest -= k * details[d].length;
        }
    }
    return counts;
}

// ---------------------------------------------------------------------------
// The linear programme

size_t SimplexMethodSolver::Calculate(const std::vector<Detail>& details)
{
    m_result.clear();
    if (details.empty())
        return Solved;
    if (!IsValidProblem(details))
        return Infeasible;
    AddSingleDetailLayouts(details);
    InitSimplexTable(details);
    size_t code = Solved;
    double demand = 0.0;
    for (double b : B)
        demand += b;
    if (RunSimplexMethod() != Stop::Optimal)
        code = IterationLimit;
    else if (Q < -eps * (1.0 + demand))
        code = Infeasible;
    else {
        RemoveColumns();
        DriveOutArtificials();
        SetPhaseTwoObjective();
        code = GenerateColumns(details);
    }
    if (code == Solved)
        StoreResult();
    ClearSimplexTable();
    return code;
}

// Pieces and bars of positive length, and no negative demand (which no
// number of bars can meet).
bool SimplexMethodSolver::IsValidProblem(const std::vector<Detail>& details) const
{
    return m_sheetLength > 0.0 && std::isfinite(m_sheetLength) && std::all_of(details.begin(), details.end(), [](const Detail& d) {
               return d.count >= 0 && d.length > 0.0 && std::isfinite(d.length);
           });
}

bool SimplexMethodSolver::IsUsable(const Layout& layout, const std::vector<Detail>& details) const
{
    for (size_t j = 0; j < details.size(); ++j)
        if (layout[j] > details[j].count)
            return false;
    return !IsEmpty(layout);
}

void SimplexMethodSolver::InitSimplexTable(const std::vector<Detail>& details)
{
    m_columns.clear();
    for (const auto& [layout, value] : m_layouts)
        if (IsUsable(layout, details))
            m_columns.push_back(layout);
    m = details.size();
    n = N = m_columns.size();
    A.assign(m, std::vector<double>(n, 0.0));
    U.assign(m, std::vector<double>(m, 0.0));
    B.assign(m, 0.0);
    P.assign(n, 0.0);
    I.resize(m);
    J.resize(n);
    Q = 0.0;
    for (size_t i = 0; i < m; ++i) {
        for (size_t k = 0; k < n; ++k) {
            A[i][k] = m_columns[k][i];
            P[k] -= A[i][k];
        }
        U[i][i] = 1.0;
        B[i] = details[i].count;
        I[i] = N + i;
        Q -= B[i];
    }
    std::iota(J.begin(), J.end(), size_t{0});
}

SimplexMethodSolver::Stop SimplexMethodSolver::RunSimplexMethod()
{
    for (count = 0;; ++count) {
        if (count >= limCount)
            return Stop::IterationLimit;
        if (!FindPivotColumn())
            return Stop::Optimal;
        if (!FindPivotRow())
            return Stop::Unbounded;
        Jordan_Gauss();
    }
}

// The most negative reduced cost; an artificial variable that has left the
// basis never comes back.
bool SimplexMethodSolver::FindPivotColumn()
{
    double minP = 1e10;
    bool found = false;
    for (size_t k = 0; k < n; ++k) {
        if (J[k] < N && P[k] < -eps && P[k] < minP) {
            minP = P[k];
            col = k;
            found = true;
        }
    }
    return found;
}

// Lexicographic ratio test over (B, U) so that degenerate exchanges never cycle.
bool SimplexMethodSolver::FindPivotRow()
{
    row = std::numeric_limits<size_t>::max();
    for (size_t i = 0; i < m; ++i) {
        if (A[i][col] <= eps)
            continue;
        if (row == std::numeric_limits<size_t>::max()) {
            row = i;
            continue;
        }
        const double a = A[i][col];
        const double b = A[row][col];
        double minB = B[row] / b;
        double ratio = B[i] / a;
        for (size_t j = 0; ratio == minB && j < m; ++j) {
            ratio = U[i][j] / a;
            minB = U[row][j] / b;
        }
        if (ratio < minB)
            row = i;
    }
    return row != std::numeric_limits<size_t>::max();
}

void SimplexMethodSolver::Jordan_Gauss()
{
    const size_t r = row;
    const size_t c = col;
    std::swap(I[r], J[c]);
    std::vector<double> s(m);
    for (size_t i = 0; i < m; ++i)
        s[i] = A[i][c];
    const double Ar = 1.0 / A[r][c];
    for (size_t i = 0; i < m; ++i)
        A[i][c] = i == r ? Ar : A[i][c] * -Ar;
    for (double& u : U[r])
        u *= Ar;
    const double p = P[c];
    P[c] *= -Ar;
    for (size_t k = 0; k < n; ++k)
        if (k != c)
            A[r][k] *= Ar;
    B[r] *= Ar;
    for (size_t i = 0; i < m; ++i) {
        if (i == r || s[i] == 0.0)
            continue;
        for (size_t k = 0; k < n; ++k)
            if (k != c)
                A[i][k] -= A[r][k] * s[i];
        for (size_t j = 0; j < m; ++j)
            U[i][j] -= U[r][j] * s[i];
        B[i] -= B[r] * s[i];
    }
    for (size_t k = 0; k < n; ++k)
        if (k != c)
            P[k] -= A[r][k] * p;
    Q -= p * B[r];
}

// Drops the columns of artificial variables that have left the basis.
void SimplexMethodSolver::RemoveColumns()
{
    size_t kept = 0;
    for (size_t k = 0; k < n; ++k) {
        if (J[k] >= N)
            continue;
        for (size_t i = 0; i < m; ++i)
            A[i][kept] = A[i][k];
        P[kept] = P[k];
        J[kept] = J[k];
        ++kept;
    }
    n = kept;
    for (auto& a : A)
        a.resize(n);
    P.resize(n);
    J.resize(n);
}

// Exchanges every artificial variable still basic (at level 0) for a layout.
// A row with no usable coefficient is a redundant demand: its artificial
// variable stays basic at 0 and takes no part in the objective.
void SimplexMethodSolver::DriveOutArtificials()
{
    for (size_t i = 0; i < m; ++i) {
        if (I[i] < N)
            continue;
        for (size_t k = 0; k < n; ++k) {
            if (std::fabs(A[i][k]) > eps) {
                row = i;
                col = k;
                Jordan_Gauss();
                RemoveColumns();
                break;
            }
        }
    }
}

// The second phase minimises the number of bars: every layout costs one bar,
// so a column's reduced cost is 1 minus the bars its basic representation uses.
void SimplexMethodSolver::SetPhaseTwoObjective()
{
    Q = 0.0;
    for (size_t i = 0; i < m; ++i)
        if (I[i] < N)
            Q -= B[i];
    for (size_t k = 0; k < n; ++k) {
        P[k] = 1.0;
        for (size_t i = 0; i < m; ++i)
            if (I[i] < N)
                P[k] -= A[i][k];
    }
}

// Runs the second phase and prices further layouts in until none improves
// the number of bars (column generation).
size_t SimplexMethodSolver::GenerateColumns(const std::vector<Detail>& details)
{
    for (size_t round = 0;; ++round) {
        // The objective is bounded below by 0, so only the limit (or numerical
        // breakdown, reported alike) stops a run short of the optimum.
        if (RunSimplexMethod() != Stop::Optimal || round >= limCount)
            return IterationLimit;
        const std::optional<Layout> layout = PriceLayout(details);
        if (!layout)
            return Solved;
        m_layouts.emplace(*layout, 0.0);
        AddColumn(*layout);
    }
}

// Prices of one piece of each detail in the current basis (cost of a bar
// times the basis inverse).
std::vector<double> SimplexMethodSolver::Duals() const
{
    std::vector<double> duals(m, 0.0);
    for (size_t i = 0; i < m; ++i)
        if (I[i] < N)
            for (size_t j = 0; j < m; ++j)
                duals[j] += U[i][j];
    return duals;
}

// The layout of greatest price, when its price exceeds one bar.
std::optional<Layout> SimplexMethodSolver::PriceLayout(const std::vector<Detail>& details) const
{
    const std::vector<double> duals = Duals();
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    std::vector<KnapsackItem> items;
    for (size_t j = 0; j < m; ++j)
        items.push_back({duals[j], details[j].length, maxCounts[j]});
    double value = 0.0;
    Layout layout = SolveKnapsack(items, m_sheetLength + eps, 1.0 + eps, value);
    if (value <= 1.0 + eps || m_layouts.count(layout))
        return std::nullopt;
    return layout;
}

// Appends a layout to the tableau in the current basis: its column is the
// basis inverse times the layout, its reduced cost one bar less its price.
void SimplexMethodSolver::AddColumn(const Layout& layout)
{
    const std::vector<double> duals = Duals();
    for (size_t& v : I)
        if (v >= N)
            ++v;
    for (size_t& v : J)
        if (v >= N)
            ++v;
    double price = 0.0;
    for (size_t i = 0; i < m; ++i) {
        double a = 0.0;
        for (size_t j = 0; j < m; ++j)
            a += U[i][j] * layout[j];
        A[i].push_back(a);
        price += duals[i] * layout[i];
    }
    P.push_back(1.0 - price);
    J.push_back(N);
    ++N;
    ++n;
    m_columns.push_back(layout);
}

void SimplexMethodSolver::StoreResult()
{
    for (size_t i = 0; i < m; ++i)
        if (I[i] < N && B[i] > eps)
            m_result[m_columns[I[i]]] += B[i];
}

void SimplexMethodSolver::ClearSimplexTable()
{
    A.clear();
    U.clear();
    B.clear();
    P.clear();
    I.clear();
    J.clear();
    m_columns.clear();
    m = n = N = 0;
}

// ---------------------------------------------------------------------------
// Whole bars

// Rounds the fractional solution to whole bars. Simple rounding comes first;
// when it misses the programme's bound (no plan can use fewer bars), a
// bounded search over the roundings tries to reach it.
MapLayout SimplexMethodSolver::ReduceResultToDiscreteValues(const std::vector<Detail>& details)
{
    const MapLayout solution = m_result;
    WholeBarSearch search;
    search.bound = std::ceil(SumOfBars(solution) - eps);
    search.solves = SearchSolves;
    for (Rounding rule : {Rounding::Down, Rounding::UpLargestFraction}) {
        m_result = solution;
        if (search.Record(RoundByResolving(details, rule)))
            break;
    }
    if (SumOfBars(search.best) > search.bound) {
        m_result = solution;
        SearchWholeBars(details, {}, search);
    }
    m_result = solution;
    return search.best;
}

bool SimplexMethodSolver::WholeBarSearch::Record(const MapLayout& plan)
{
    if (best.empty() || SumOfBars(plan) < SumOfBars(best))
        best = plan;
    return SumOfBars(best) <= bound;
}

// Depth first over the roundings of m_result: all whole bars at once, or one
// bar of one of the most used layouts; every branch re-solves the programme
// on what is left and is cut when that cannot reach the bound.
bool SimplexMethodSolver::SearchWholeBars(const std::vector<Detail>& remaining, const MapLayout& bars,
                                          WholeBarSearch& search)
{
    const MapLayout solution = m_result;
    if (SumOfBars(bars) + std::ceil(SumOfBars(solution) - eps) > search.bound)
        return false;
    std::vector<const Layout*> choices;
    for (const auto& [layout, value] : solution)
        choices.push_back(&layout);
    std::stable_sort(choices.begin(), choices.end(),
                     [&](const Layout* a, const Layout* b) { return solution.at(*a) > solution.at(*b); });
    if (choices.size() > SearchBranching)
        choices.resize(SearchBranching);
    // Branch 0 takes every whole bar; with none, it would repeat branch 1.
    const bool anyWhole = !choices.empty() && solution.at(*choices[0]) >= 1.0 - eps;
    for (size_t branch = anyWhole ? 0 : 1; branch <= choices.size(); ++branch) {
        std::vector<Detail> rest = remaining;
        MapLayout taken = bars;
        if (branch == 0)
            TakeWholeBars(solution, Rounding::Down, rest, taken);
        else
            TakeOneBar(*choices[branch - 1], rest, taken);
        if (AllCovered(rest) || FitsOneBar(rest)) {
            AddBars(taken, CountsOf(rest), 1.0);
            if (search.Record(taken))
                return true;
            continue;
        }
        if (search.solves == 0)
            return false;
        --search.solves;
        if (Calculate(rest) == Solved && SearchWholeBars(rest, taken, search))
            return true;
    }
    return false;
}

// Takes the whole bars of the fractional solution and re-solves the
// programme on what is left, until every demand is met.
MapLayout SimplexMethodSolver::RoundByResolving(const std::vector<Detail>& details, Rounding rule)
{
    MapLayout bars;
    std::vector<Detail> remaining = details;
    while (!AllCovered(remaining)) {
        TakeWholeBars(m_result, rule, remaining, bars);
        if (AllCovered(remaining))
            break;
        if (FitsOneBar(remaining)) {
            AddBars(bars, CountsOf(remaining), 1.0);
            break;
        }
        if (Calculate(remaining) != Solved) {
            PackFirstFit(details, remaining, bars);
            break;
        }
    }
    return bars;
}

// Rounds every number of bars down; then one more bar (trimmed to what is
// still wanted) of the layout with the largest fraction, when the rule asks
// for it or when nothing rounded down to a whole bar.
void SimplexMethodSolver::TakeWholeBars(const MapLayout& solution, Rounding rule,
                                        std::vector<Detail>& remaining, MapLayout& bars) const
{
    bool taken = false;
    const Layout* largest = nullptr;
    double largestFraction = eps;
    for (const auto& [layout, value] : solution) {
        const double whole = std::floor(value + eps);
        const int32_t fit = BarsThatFit(layout, remaining, static_cast<int32_t>(whole));
        if (fit >= 1) {
            AddBars(bars, layout, fit);
            Subtract(layout, fit, remaining);
            taken = true;
        }
        if (value - whole > largestFraction) {
            largestFraction = value - whole;
            largest = &layout;
        }
    }
    if (largest != nullptr && (!taken || rule == Rounding::UpLargestFraction))
        TakeOneBar(*largest, remaining, bars);
}

// One bar of `layout`, trimmed to what is still wanted.
void SimplexMethodSolver::TakeOneBar(const Layout& layout, std::vector<Detail>& remaining, MapLayout& bars) const
{
    Layout trimmed = layout;
    for (size_t j = 0; j < trimmed.size(); ++j)
        trimmed[j] = std::min(trimmed[j], std::max(remaining[j].count, 0));
    AddBars(bars, trimmed, 1.0);
    Subtract(trimmed, 1, remaining);
}

bool SimplexMethodSolver::FitsOneBar(const std::vector<Detail>& remaining) const
{
    double total = 0.0;
    for (const Detail& d : remaining)
        total += std::max(d.count, 0) * d.length;
    return total <= m_sheetLength + eps;
}

// One piece per remaining unit, in detail order (name, then length), each into
// the first bar it fits; equal bars are counted together.
void SimplexMethodSolver::PackFirstFit(const std::vector<Detail>& details, std::vector<Detail>& remaining,
                                       MapLayout& bars) const
{
    std::vector<size_t> pieces;
    for (size_t j = 0; j < remaining.size(); ++j)
        for (int32_t c = 0; c < remaining[j].count; ++c)
            pieces.push_back(j);
    std::stable_sort(pieces.begin(), pieces.end(),
                     [&](size_t a, size_t b) { return details[a] < details[b]; });
    std::vector<Layout> packed;
    std::vector<double> loads;
    for (size_t j : pieces) {
        const double length = details[j].length;
        size_t b = 0;
        while (b < packed.size() && loads[b] + length > m_sheetLength + eps)
            ++b;
        if (b == packed.size()) {
            packed.emplace_back(details.size(), 0);
            loads.push_back(0.0);
        }
        ++packed[b][j];
        loads[b] += length;
        --remaining[j].count;
    }
    for (const Layout& layout : packed)
        AddBars(bars, layout, 1.0);
}
