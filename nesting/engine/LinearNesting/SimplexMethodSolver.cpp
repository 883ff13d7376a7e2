#include "engine/LinearNesting/SimplexMethodSolver.h"

#include "engine/LinearNesting/LayoutKnapsack.h"
#include "engine/LinearNesting/LayoutProgramme.h"

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
constexpr size_t RandomAttemptsPerDetail = 2;
// The search for whole bars that reach the programme's bound: fractional
// layouts tried one bar at a time at every step, and the returns to an
// earlier step allowed in all.
constexpr size_t SearchBranching = 3;
constexpr size_t SearchBacktracks = 300;
// A layout prices out when its pieces are worth more than one bar by this much.
constexpr double PricingTolerance = 1e-9;
// Pricing at prices this much of the way from the programme's own towards the
// best proven ones.
constexpr double Smoothing = 0.8;
// The programme is optimal when its bars exceed a proven lower bound by no
// more than this share.
constexpr double ProvenGap = 1e-9;
// Layouts the pricing step adds at most in one round.
constexpr size_t ColumnsPerRound = 4;
// The largest share by which a layout's cost is raised while searching.
constexpr double CostPerturbation = 1e-6;
// The iteration limit holds per this many details.
constexpr size_t DetailsPerLimit = 100;

bool IsEmpty(const Layout& layout)
{
    return std::all_of(layout.begin(), layout.end(), [](int32_t c) { return c == 0; });
}

void AddBars(MapLayout& bars, const Layout& layout, double number)
{
    if (number > 0.0 && !IsEmpty(layout))
        bars[layout] += number;
}

bool AllCovered(const Layout& wanted)
{
    return std::all_of(wanted.begin(), wanted.end(), [](int32_t c) { return c <= 0; });
}

Layout CountsOf(const std::vector<Detail>& details)
{
    Layout counts;
    for (const Detail& d : details)
        counts.push_back(std::max(d.count, 0));
    return counts;
}

// The number of bars of `layout` the wanted pieces still take, at most `most`.
int32_t BarsThatFit(const Layout& layout, const Layout& wanted, int32_t most)
{
    for (size_t j = 0; j < layout.size(); ++j)
        if (layout[j] > 0)
            most = std::min(most, wanted[j] / layout[j]);
    return most;
}

// `layout` without the pieces that are no longer wanted.
Layout Trimmed(Layout layout, const Layout& wanted)
{
    for (size_t j = 0; j < layout.size(); ++j)
        layout[j] = std::min(layout[j], std::max(wanted[j], 0));
    return layout;
}

bool SameDetails(const std::vector<Detail>& a, const std::vector<Detail>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Detail& x, const Detail& y) {
        return x.name == y.name && x.length == y.length && x.count == y.count;
    });
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

SimplexMethodSolver::~SimplexMethodSolver() = default;

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

// The limit given at construction holds per hundred details: a programme
// needs a number of exchanges that grows with its rows.
size_t SimplexMethodSolver::IterationLimitFor(size_t rows) const
{
    return limCount * std::max<size_t>(1, (rows + DetailsPerLimit - 1) / DetailsPerLimit);
}

size_t SimplexMethodSolver::Calculate(const std::vector<Detail>& details)
{
    m_result.clear();
    m_programme.reset();
    m_programmeDetails.clear();
    if (details.empty())
        return Solved;
    if (!IsValidProblem(details))
        return Infeasible;
    AddSingleDetailLayouts(details);
    m_programme = std::make_unique<LayoutProgramme>(IterationLimitFor(details.size()));
    const Layout wanted = CountsOf(details);
    for (const auto& [layout, value] : m_layouts)
        if (!IsEmpty(layout) && Trimmed(layout, wanted) == layout)
            m_programme->AddColumn(layout);
    const size_t code = SolveFromScratch(details, wanted, true);
    if (code != Solved) {
        m_programme.reset();
        return code;
    }
    m_programmeDetails = details;
    StoreResult();
    return Solved;
}

// Pieces and bars of positive length, and no negative demand (which no
// number of bars can meet).
bool SimplexMethodSolver::IsValidProblem(const std::vector<Detail>& details) const
{
    return m_sheetLength > 0.0 && std::isfinite(m_sheetLength) &&
           std::all_of(details.begin(), details.end(), [](const Detail& d) {
               return d.count >= 0 && d.length > 0.0 && std::isfinite(d.length);
           });
}

// Phase one from the artificial basis, then phase two with pricing (see
// GenerateColumns for `exact`).
size_t SimplexMethodSolver::SolveFromScratch(const std::vector<Detail>& details, const Layout& wanted, bool exact)
{
    using Stop = LayoutProgramme::Stop;
    const std::vector<double> demand(wanted.begin(), wanted.end());
    double total = 0.0;
    for (double d : demand)
        total += d;
    AddSingleDetailColumns(details, wanted);
    m_programme->InitSimplexTable(demand);
    const Stop stop = m_programme->RunPhaseOne(eps * (1.0 + total));
    if (stop == Stop::Infeasible)
        return Infeasible;
    if (stop != Stop::Optimal || GenerateColumns(details, wanted, exact) != Solved)
        return IterationLimit;
    return Solved;
}

// Runs phase two and prices further layouts in until none lowers the number
// of bars (column generation); only layouts within `wanted` are priced. The
// costs are perturbed first (see LayoutProgramme::SetPerturbation), which
// leaves the bars within a share of about CostPerturbation of the least;
// `exact` then ends with the true costs; otherwise the run may also end once
// the bars and the lower bound round up to the same whole number, which is
// all the search for whole bars needs.
size_t SimplexMethodSolver::GenerateColumns(const std::vector<Detail>& details, const Layout& wanted, bool exact)
{
    m_programme->SetPerturbation(CostPerturbation);
    if (PriceColumns(details, wanted, 2.0 * CostPerturbation, !exact) != Solved)
        return IterationLimit;
    if (!exact)
        return Solved;
    m_programme->SetPerturbation(0.0);
    return PriceColumns(details, wanted, ProvenGap, false);
}

// Column generation at the costs in force.
//
// The programme's own prices jump about from round to round on these very
// degenerate programmes, and pricing at them alone adds layout after layout
// that barely helps. Pricing is therefore done first at prices smoothed
// towards the best proven prices so far (those that give the highest lower
// bound; prices proportional to length are always valid and start it), and
// at the programme's own prices only when the smoothed ones find nothing.
// The run also ends once the bars come within a share `gap` of the lower
// bound, or, when `early`, round up to the same whole number.
size_t SimplexMethodSolver::PriceColumns(const std::vector<Detail>& details, const Layout& wanted, double gap,
                                         bool early)
{
    const size_t limit = IterationLimitFor(details.size());
    std::vector<double> centre(details.size(), 0.0);
    double bound = 0.0;
    for (size_t j = 0; j < details.size(); ++j) {
        if (wanted[j] > 0)
            centre[j] = details[j].length / (m_sheetLength + eps);
        bound += centre[j] * wanted[j];
    }
    for (size_t round = 0;; ++round) {
        if (m_programme->RunPhaseTwo() != LayoutProgramme::Stop::Optimal)
            return IterationLimit;
        const double bars = m_programme->Bars();
        if (bars <= bound + gap * (1.0 + bars) || (early && WholeBars(bars) <= std::ceil(bound - eps)))
            return Solved;
        if (round >= limit)
            return IterationLimit;
        const std::vector<double> duals = m_programme->Duals();
        bool added = false;
        for (const double weight : {Smoothing, 0.0}) {
            std::vector<double> prices(details.size());
            for (size_t j = 0; j < details.size(); ++j)
                prices[j] = std::max(weight * centre[j] + (1.0 - weight) * duals[j], 0.0);
            const KnapsackResult priced = PriceLayouts(details, wanted, prices);
            // No layout is worth more than `most` at these prices, so they
            // scaled down by `most` bound the bars from below.
            const double most = std::max(priced.value, 1.0 + PricingTolerance);
            if (priced.complete) {
                double worth = 0.0;
                for (size_t j = 0; j < details.size(); ++j)
                    worth += prices[j] * wanted[j];
                if (worth / most > bound) {
                    bound = worth / most;
                    for (size_t j = 0; j < details.size(); ++j)
                        centre[j] = prices[j] / most;
                }
            }
            added = AddImprovingColumn(priced.counts, duals);
            for (const Layout& layout : priced.others)
                added = AddImprovingColumn(layout, duals) || added;
            if (added)
                break;
        }
        if (!added)
            return Solved;
    }
}

// The layouts of greatest price (a bounded knapsack) when they are worth more
// than a bar, the best and a few more met on the way.
KnapsackResult SimplexMethodSolver::PriceLayouts(const std::vector<Detail>& details, const Layout& wanted,
                                                 const std::vector<double>& prices) const
{
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    std::vector<KnapsackItem> items;
    for (size_t j = 0; j < details.size(); ++j)
        items.push_back({prices[j], details[j].length, std::min(maxCounts[j], wanted[j])});
    return SolveKnapsack(items, m_sheetLength + eps, 1.0 + PricingTolerance, ColumnsPerRound - 1);
}

// Adds `layout` to the programme when its reduced cost at `duals` is negative.
bool SimplexMethodSolver::AddImprovingColumn(const Layout& layout, const std::vector<double>& duals)
{
    double reducedCost = m_programme->ColumnCost(layout);
    for (size_t j = 0; j < layout.size(); ++j)
        reducedCost -= duals[j] * layout[j];
    if (reducedCost >= -PricingTolerance || m_programme->Contains(layout))
        return false;
    m_layouts.emplace(layout, 0.0);
    m_programme->AddColumn(layout);
    return true;
}

// Every wanted detail keeps a column of its own that fits the demand, so the
// programme stays feasible with the columns it has.
void SimplexMethodSolver::AddSingleDetailColumns(const std::vector<Detail>& details, const Layout& wanted)
{
    const std::vector<int32_t> maxCounts = MaxCounts(details);
    for (size_t j = 0; j < details.size(); ++j) {
        if (std::min(maxCounts[j], wanted[j]) <= 0)
            continue;
        Layout layout(details.size(), 0);
        layout[j] = std::min(maxCounts[j], wanted[j]);
        m_programme->AddColumn(layout);
    }
}

void SimplexMethodSolver::StoreResult()
{
    for (const auto& [k, bars] : m_programme->BasicLayouts(eps))
        m_result[m_programme->GetColumn(k)] += bars;
}

// ---------------------------------------------------------------------------
// Whole bars

// The least whole number of bars a programme's solution of `bars` bars
// allows: a solution at perturbed costs may exceed the least bars by a share
// of twice the perturbation.
double SimplexMethodSolver::WholeBars(double bars) const
{
    return std::ceil(bars - std::max(eps, 2.0 * CostPerturbation * bars));
}

// Rounds the fractional solution to whole bars: a depth-first search that
// keeps the whole bars of the programme's solution, takes one bar of a
// fractional layout, re-optimises the rest from the previous basis and goes
// on, and comes back to try another layout when the rest cannot reach fewer
// bars than the best plan found, until a plan reaches the programme's bound
// or the allowed returns are used up. First fit packs whatever the programme
// cannot serve.
MapLayout SimplexMethodSolver::ReduceResultToDiscreteValues(const std::vector<Detail>& details)
{
    if (!IsValidProblem(details))
        return {};
    const MapLayout solution = m_result;
    const Layout wanted = CountsOf(details);
    WholeBarSearch search;
    if (AllCovered(wanted))
        return {};
    if (!m_programme || !SameDetails(details, m_programmeDetails)) {
        if (Calculate(details) != Solved) {
            m_result = solution;
            Layout rest = wanted;
            PackFirstFit(details, rest, search);
            search.Record();
            return search.best;
        }
    }
    // First only plans that reach the bound are sought, so that every step
    // that cannot reach it is left at once; then any plan, the fewer bars
    // the better.
    search.bound = WholeBars(m_programme->Bars());
    search.bestBars = search.bound + 1.0;
    search.backtracks = SearchBacktracks;
    const LayoutProgramme::Snapshot root = m_programme->Save();
    if (!SearchWholeBars(details, wanted, search) && m_programme->Restore(root)) {
        search.bestBars = std::numeric_limits<double>::infinity();
        search.backtracks = SearchBacktracks;
        SearchWholeBars(details, wanted, search);
    }
    if (search.best.empty()) {
        Layout rest = wanted;
        PackFirstFit(details, rest, search);
        search.bestBars = std::numeric_limits<double>::infinity();
        search.Record();
    }
    if (!m_programme->Restore(root))
        m_programme.reset();
    m_result = solution;
    return search.best;
}

void SimplexMethodSolver::WholeBarSearch::Take(const Layout& layout, int32_t number, Layout& wanted)
{
    path.emplace_back(layout, number);
    pathBars += number;
    for (size_t j = 0; j < layout.size(); ++j)
        wanted[j] -= layout[j] * number;
}

void SimplexMethodSolver::WholeBarSearch::Undo(size_t size)
{
    for (; path.size() > size; path.pop_back())
        pathBars -= path.back().second;
}

bool SimplexMethodSolver::WholeBarSearch::Record()
{
    if (pathBars < bestBars) {
        bestBars = pathBars;
        best.clear();
        for (const auto& [layout, number] : path)
            AddBars(best, layout, number);
    }
    return bestBars <= bound;
}

// One step of the search with the programme at its optimum for `wanted`;
// true once a plan reaches the bound. The choices, in this order: every
// whole bar of the solution (which leaves the basis optimal), then one bar of
// each of the most used layouts.
bool SimplexMethodSolver::SearchWholeBars(const std::vector<Detail>& details, const Layout& wanted,
                                          WholeBarSearch& search)
{
    using Stop = LayoutProgramme::Stop;
    const size_t pathSize = search.path.size();
    if (AllCovered(wanted) || FitsOneBar(details, wanted)) {
        Layout rest = wanted;
        if (!AllCovered(rest))
            search.Take(rest, 1, rest);
        const bool reached = search.Record();
        search.Undo(pathSize);
        return reached;
    }
    if (search.pathBars + WholeBars(m_programme->Bars()) >= search.bestBars)
        return false;

    std::vector<std::pair<size_t, double>> used = m_programme->BasicLayouts(eps);
    auto longest = [&](size_t k) {
        const Layout& layout = m_programme->GetColumn(k);
        double most = 0.0;
        for (size_t j = 0; j < layout.size(); ++j)
            if (layout[j] > 0 && wanted[j] > 0)
                most = std::max(most, details[j].length);
        return most;
    };
    std::stable_sort(used.begin(), used.end(), [&](const auto& a, const auto& b) {
        const double la = longest(a.first), lb = longest(b.first);
        return la != lb ? la > lb : a.second > b.second; });
    std::vector<std::vector<std::pair<Layout, int32_t>>> choices(1);
    for (const auto& [k, x] : used) {
        const Layout& layout = m_programme->GetColumn(k);
        const int32_t whole = BarsThatFit(layout, wanted, static_cast<int32_t>(std::floor(x + eps)));
        if (whole >= 1)
            choices[0].emplace_back(layout, whole);
    }
    if (choices[0].empty())
        choices.clear();
    for (size_t c = 0; c < used.size() && c < SearchBranching; ++c)
        choices.push_back({{Trimmed(m_programme->GetColumn(used[c].first), wanted), 1}});
    if (choices.size() >= 2 && choices[0] == choices[1])
        choices.erase(choices.begin());

    const LayoutProgramme::Snapshot snapshot =
        choices.size() > 1 && search.backtracks > 0 ? m_programme->Save() : LayoutProgramme::Snapshot{};
    bool reached = false;
    for (size_t c = 0; c < choices.size() && !reached; ++c) {
        if (c > 0) {
            if (search.backtracks == 0)
                break;
            --search.backtracks;
            if (!m_programme->Restore(snapshot) && SolveFromScratch(details, wanted, false) != Solved)
                break;
        }
        Layout rest = wanted;
        for (const auto& [layout, number] : choices[c])
            search.Take(layout, number, rest);
        AddSingleDetailColumns(details, rest);
        Stop stop = Stop::Optimal;
        for (const auto& [layout, number] : choices[c])
            if (stop == Stop::Optimal)
                stop = m_programme->TakeBars(layout, number);
        // Re-optimised from the previous basis, or anew when the dual
        // simplex run broke down; first fit when even that fails.
        if (AllCovered(rest) || FitsOneBar(details, rest) ||
            (stop == Stop::Optimal && GenerateColumns(details, rest, false) == Solved) ||
            SolveFromScratch(details, rest, false) == Solved) {
            reached = SearchWholeBars(details, rest, search);
        } else {
            PackFirstFit(details, rest, search);
            reached = search.Record();
        }
        search.Undo(pathSize);
    }
    return reached;
}

bool SimplexMethodSolver::FitsOneBar(const std::vector<Detail>& details, const Layout& wanted) const
{
    double total = 0.0;
    for (size_t j = 0; j < details.size(); ++j)
        total += std::max(wanted[j], 0) * details[j].length;
    return total <= m_sheetLength + eps;
}

// One piece per wanted unit, in detail order (name, then length), each into
// the first bar it fits.
void SimplexMethodSolver::PackFirstFit(const std::vector<Detail>& details, Layout& wanted,
                                       WholeBarSearch& search) const
{
    std::vector<size_t> pieces;
    for (size_t j = 0; j < wanted.size(); ++j)
        for (int32_t c = 0; c < wanted[j]; ++c)
            pieces.push_back(j);
    std::stable_sort(pieces.begin(), pieces.end(), [&](size_t a, size_t b) { return details[a] < details[b]; });
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
    }
    for (const Layout& layout : packed)
        search.Take(layout, 1, wanted);
}
