#include "engine/LinearNesting/SimplexMethodSolver.h"

#include "engine/LinearNesting/BarBounds.h"
#include "engine/LinearNesting/BarRegrouping.h"
#include "engine/LinearNesting/LayoutKnapsack.h"
#include "engine/LinearNesting/LayoutProgramme.h"
#include "engine/LinearNesting/PieceExchange.h"

#include <algorithm>
#include <chrono>
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
// The work allowed for one job (the programme and its rounding), in about
// nanoseconds of this machine, and the share of it the programme may take.
constexpr double WorkBudget = 2.5e9;
constexpr double ProgrammeShare = 0.7;
// Jobs with at least this many details whose first plan reaches the
// lower bound skip the programme: its fractional solution would tell no more.
constexpr size_t LargeJob = 100;
// Best fill: search nodes allowed for one bar and for a whole plan, and the
// work of one node.
constexpr size_t FillNodesPerBar = 5'000;
constexpr size_t FillNodes = 40'000'000;
constexpr double FillNodeWork = 15.0;
// The work of solving a programme, in terms of its rows cubed.
constexpr double ProgrammeWorkPerRowCubed = 20.0;
// A job whose programme is not solved may regroup its first plan's bars
// with this much more work (this share of it when the first plan is within a
// bar of the bound), each group planned with this share of a job's work.
constexpr double RegroupBudget = 1.2 * WorkBudget;
constexpr double NearBoundShare = 0.25;
constexpr double GroupWorkScale = 0.02;
// Where the first plan is more than a bar above the bound, the lengths are
// also planned in this many classes with this share of a job's work, when
// that plan has no more bars than these.
constexpr size_t LengthClasses = 300;
constexpr double ClassWorkScale = 1.0;
constexpr double MostClassBars = 200'000;
// The work a job may take to exchange pieces between the bars of its first
// plan, and the share of its time limit.
constexpr double ExchangeBudget = 1.5 * WorkBudget;
constexpr double ExchangeTimeShare = 0.5;

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

double BarsOf(const MapLayout& plan)
{
    double bars = 0.0;
    for (const auto& [layout, number] : plan)
        bars += number;
    return bars;
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
    m_programme.reset();
    m_programmeDetails.clear();
    m_programmeTried = false;
    m_work = m_programmeWork = 0.0;
    m_regroupWork = m_boundWork = m_exchangeWork = 0.0;
    m_exchanged = false;
    m_shownPercent = -1;
    m_started = std::chrono::steady_clock::now();
    m_startPlan.clear();
    m_startDetails.clear();
    m_lowerBound = 0.0;
    if (details.empty())
        return Solved;
    if (!IsValidProblem(details))
        return Infeasible;
    StartPlan(details);
    if (m_startPlan.empty())
        return Solved;
    // A large job whose first plan reaches the bound is done; one whose
    // programme could not be solved within the work allowed (each exchange
    // costs about the rows squared, and column generation takes some tens of
    // exchanges per row) keeps the first plan.
    const double rows = static_cast<double>(details.size());
    const bool atBound = BarsOf(m_startPlan) <= std::ceil(m_lowerBound - eps);
    if ((details.size() >= LargeJob && atBound) ||
        ProgrammeWorkPerRowCubed * rows * rows * rows > ProgrammeShare * WorkBudget * m_workScale) {
        if (!atBound && m_regroup) {
            // Only a plan more than a bar above the bound is worth the time.
            if (BarsOf(m_startPlan) > std::ceil(m_lowerBound - eps) + 1.0)
                RaiseBoundByClasses(details);
            if (BarsOf(m_startPlan) > std::ceil(m_lowerBound - eps))
                ExchangePieces(details, m_startPlan, ExchangeTimeShare);
            if (BarsOf(m_startPlan) > std::ceil(m_lowerBound - eps))
                Regroup(details);
        }
        m_result = m_startPlan;
        m_programmeTried = true;
        return Solved;
    }
    if (!CreateAllCombinations(details))
        CreateRandomCombinations(details);
    if (Calculate(details) != Solved)
        m_result = m_startPlan;
    return Solved;
}

// The plan every job starts from, and the bound of the pieces' length.
void SimplexMethodSolver::StartPlan(const std::vector<Detail>& details)
{
    const Layout wanted = CountsOf(details);
    m_startPlan = FirstFitDecreasing(details, wanted);
    MapLayout filled = BestFillPlan(details, wanted);
    if (!filled.empty() && BarsOf(filled) < BarsOf(m_startPlan))
        m_startPlan = std::move(filled);
    m_startDetails = details;
    std::vector<BarPieces> pieces;
    for (size_t j = 0; j < details.size(); ++j)
        pieces.push_back({details[j].length, static_cast<double>(wanted[j])});
    m_lowerBound = DualFunctionBound(pieces, m_sheetLength + eps);
}

// The lengths with a count in classes of as many lengths each (at most
// LengthClasses), longest first: `order` the details by length, `first` the
// first position in it of each class (and its end), `grouped` a detail per
// class of its pieces' total count, as long as the longest of its class.
// False when there are too few lengths or a class's count overflows.
bool SimplexMethodSolver::LengthClassesOf(const std::vector<Detail>& details, std::vector<size_t>& order,
                                          std::vector<size_t>& first, std::vector<Detail>& grouped) const
{
    for (size_t j = 0; j < details.size(); ++j)
        if (details[j].count > 0)
            order.push_back(j);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return details[a].length > details[b].length; });
    const size_t classes = std::min(LengthClasses, order.size() / 2);
    if (classes < 2)
        return false;
    for (size_t k = 0; k < classes; ++k) {
        const size_t from = k * order.size() / classes;
        const size_t to = (k + 1) * order.size() / classes;
        int64_t count = 0;
        for (size_t p = from; p < to; ++p)
            count += details[order[p]].count;
        if (count > std::numeric_limits<int32_t>::max())
            return false;
        const Detail& kind = details[order[from]];
        grouped.push_back({kind.name, kind.length, static_cast<int32_t>(count)});
        first.push_back(from);
    }
    first.push_back(order.size());
    return true;
}

// The bound of the programme's relaxation over classes of lengths (see
// RelaxationBound), which beats the pieces' own where long pieces pair badly
// and where a bar takes one piece more only of the shorter ones.
void SimplexMethodSolver::RaiseBoundByClasses(const std::vector<Detail>& details)
{
    std::vector<BarPieces> pieces;
    for (const Detail& d : details)
        pieces.push_back({d.length, static_cast<double>(std::max(d.count, 0))});
    const RelaxedBound relaxed =
        RelaxationBound(pieces, m_sheetLength + eps, m_lowerBound, ClassWorkScale * WorkBudget * m_workScale);
    m_lowerBound = std::max(m_lowerBound, relaxed.bars);
    // Its work comes on top of the job's, not out of the regrouping's.
    m_boundWork = relaxed.work;
    Spend(m_boundWork);
}

// The lengths in classes (see LengthClassesOf), every piece taken as long
// as the longest of its class, planned by a solver of their own (the
// programme over the classes): the plan holds for the pieces themselves,
// which are put into their class's places longest first. False when the
// classes could not be planned or their plan has too many bars to place
// piece by piece.
bool SimplexMethodSolver::ClassPlan(const std::vector<Detail>& details, BarRegrouping& plan)
{
    std::vector<size_t> order, first;
    std::vector<Detail> grouped;
    if (!LengthClassesOf(details, order, first, grouped))
        return false;
    double work = 0.0;
    const MapLayout classPlan = PartPlan(grouped, m_seed.value_or(0), ClassWorkScale, work);
    if (classPlan.empty() || BarsOf(classPlan) > MostClassBars)
        return false;
    // The pieces of each class still to place, longest first.
    std::vector<size_t> next(first.begin(), first.end() - 1);
    std::vector<int32_t> left;
    for (size_t j = 0; j < details.size(); ++j)
        left.push_back(details[j].count);
    for (const auto& [layout, number] : classPlan) {
        for (double bar = 0.0; bar < number; bar += 1.0) {
            std::map<uint32_t, int32_t> pieces;
            for (size_t k = 0; k < layout.size(); ++k) {
                for (int32_t c = 0; c < layout[k]; ++c) {
                    while (next[k] < first[k + 1] && left[order[next[k]]] == 0)
                        ++next[k];
                    if (next[k] == first[k + 1])
                        return false;
                    --left[order[next[k]]];
                    ++pieces[static_cast<uint32_t>(order[next[k]])];
                }
            }
            plan.Add(BarRegrouping::Pieces(pieces.begin(), pieces.end()), 1);
        }
    }
    return true;
}

// A plan of `details` (a part of the job, or its lengths in classes) by a
// solver of its own that does not regroup, with `scale` of a job's work;
// empty when it found none. Its work is spent here and set in `work`.
MapLayout SimplexMethodSolver::PartPlan(const std::vector<Detail>& details, uint32_t seed, double scale, double& work)
{
    SimplexMethodSolver solver(eps, limCount);
    solver.m_regroup = false;
    solver.SetRandomSeed(seed);
    solver.SetWorkScale(scale * m_workScale);
    // The job's time limit holds for the parts too.
    if (m_timeLimit > 0.0) {
        const std::chrono::duration<double> past = std::chrono::steady_clock::now() - m_started;
        solver.SetTimeLimit(std::max(m_timeLimit - past.count(), 1e-3));
    }
    solver.Init(details, m_sheetWidht, m_sheetLength, m_minimumWaste);
    MapLayout plan;
    if (solver.RunCalculate(details) == Solved)
        plan = solver.ReduceResultToDiscreteValues(details);
    work = solver.Work();
    Spend(work);
    return plan;
}

// `plan` improved piece by piece (see PieceExchange) where it has few enough
// pieces, until this share of the time limit has passed.
void SimplexMethodSolver::ExchangePieces(const std::vector<Detail>& details, MapLayout& plan, double timeShare)
{
    m_exchanged = true;
    if (PieceExchange::PiecesOf(plan) > PieceExchange::MostPieces)
        return;
    std::vector<double> lengths;
    for (const Detail& d : details)
        lengths.push_back(d.length);
    // Its work comes on top of the job's; what it leaves unused is not
    // passed on.
    const double allowed = ExchangeBudget * m_workScale;
    double spent = 0.0;
    m_exchangeWork = allowed;
    // Half the tolerance: a bar it fills stays within the bar however its
    // lengths are added up.
    PieceExchange exchange(lengths, m_sheetLength + 0.5 * eps, plan);
    exchange.Improve(std::ceil(m_lowerBound - eps), m_seed.value_or(0), [&](double work) {
        spent += work;
        Spend(work);
        return spent > allowed || OverBudget(1.0) || PastTime(timeShare);
    });
    m_exchangeWork = spent;
    if (static_cast<double>(exchange.Bars()) < BarsOf(plan)) {
        MapLayout fewer = exchange.Plan();
        if (IsExactPlan(details, fewer))
            plan = std::move(fewer);
    }
}

// The first plan improved group of bars by group of bars (see BarRegrouping),
// each group planned by a solver of its own with a share of the work.
void SimplexMethodSolver::Regroup(const std::vector<Detail>& details)
{
    const bool nearBound = BarsOf(m_startPlan) <= std::ceil(m_lowerBound - eps) + 1.0;
    m_regroupWork = RegroupBudget * m_workScale * (nearBound ? NearBoundShare : 1.0);
    auto regrouping = std::make_unique<BarRegrouping>(details, m_sheetLength + eps, m_startPlan);
    if (regrouping->Bars() > std::ceil(m_lowerBound - eps) + 1.0) {
        auto classes = std::make_unique<BarRegrouping>(details, m_sheetLength + eps);
        if (ClassPlan(details, *classes) && classes->Bars() < regrouping->Bars())
            regrouping = std::move(classes);
    }
    auto planGroup = [&](const std::vector<Detail>& group, uint32_t seed, double& work) {
        return PartPlan(group, seed, GroupWorkScale, work);
    };
    auto stop = [&](double work) {
        Spend(work);
        return OverBudget(1.0);
    };
    regrouping->Improve(std::ceil(m_lowerBound - eps), m_seed.value_or(0), planGroup, stop);
    if (regrouping->Bars() < BarsOf(m_startPlan)) {
        MapLayout plan = regrouping->Plan();
        if (IsExactPlan(details, plan))
            m_startPlan = std::move(plan);
    }
}

// ---------------------------------------------------------------------------
// Bounded work

void SimplexMethodSolver::Spend(double work)
{
    m_work += work;
    if (!m_progress)
        return;
    const int percent = static_cast<int>(std::min(99.0, 100.0 * Work() / Budget()));
    if (percent > m_shownPercent) {
        m_shownPercent = percent;
        m_progress(percent);
    }
}

double SimplexMethodSolver::Work() const
{
    return m_work + m_programmeWork + (m_programme ? m_programme->Work() : 0.0);
}

double SimplexMethodSolver::Budget() const
{
    return WorkBudget * m_workScale + m_regroupWork + m_boundWork + m_exchangeWork;
}

void SimplexMethodSolver::DropProgramme()
{
    if (m_programme)
        m_programmeWork += m_programme->Work();
    m_programme.reset();
}

bool SimplexMethodSolver::OverBudget(double share) const
{
    return Work() > share * Budget() || PastTime(1.0);
}

bool SimplexMethodSolver::PastTime(double share) const
{
    return m_timeLimit > 0.0 &&
           std::chrono::steady_clock::now() - m_started > std::chrono::duration<double>(share * m_timeLimit);
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
    DropProgramme();
    m_programmeDetails.clear();
    m_programmeTried = true;
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
    m_budgetShare = ProgrammeShare;
    m_priceBound = 0.0;
    m_programme->SetWorkLimit(ProgrammeShare * WorkBudget * m_workScale - m_work - m_programmeWork);
    const size_t code = SolveFromScratch(details, wanted, true);
    m_budgetShare = 1.0;
    m_programme->SetWorkLimit(WorkBudget * m_workScale - m_work - m_programmeWork);
    if (SameDetails(details, m_startDetails))
        m_lowerBound = std::max(m_lowerBound, m_priceBound);
    if (code != Solved) {
        DropProgramme();
        return code;
    }
    m_programmeDetails = details;
    StoreResult();
    return Solved;
}

// Pieces and bars of positive length, no negative demand (which no number
// of bars can meet) and no wanted piece longer than the bar.
bool SimplexMethodSolver::IsValidProblem(const std::vector<Detail>& details) const
{
    return m_sheetLength > 0.0 && std::isfinite(m_sheetLength) &&
           std::all_of(details.begin(), details.end(), [&](const Detail& d) {
               return d.count >= 0 && d.length > 0.0 && std::isfinite(d.length) &&
                      (d.count == 0 || d.length <= m_sheetLength + eps);
           });
}

bool SimplexMethodSolver::IsExactPlan(const std::vector<Detail>& details, const MapLayout& plan) const
{
    std::vector<double> cut(details.size(), 0.0);
    for (const auto& [layout, number] : plan) {
        if (layout.size() != details.size() || !(number >= 1.0) || number != std::floor(number))
            return false;
        double length = 0.0;
        int64_t pieces = 0;
        for (size_t j = 0; j < layout.size(); ++j) {
            if (layout[j] < 0)
                return false;
            length += layout[j] * details[j].length;
            pieces += layout[j];
            cut[j] += layout[j] * number;
        }
        if (pieces == 0 || length > m_sheetLength + eps)
            return false;
    }
    for (size_t j = 0; j < details.size(); ++j)
        if (cut[j] != std::max(details[j].count, 0))
            return false;
    return true;
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
        m_priceBound = std::max(m_priceBound, bound);
        if (bars <= bound + gap * (1.0 + bars) || (early && WholeBars(bars) <= std::ceil(bound - eps)))
            return Solved;
        if (round >= limit || OverBudget(m_budgetShare))
            return IterationLimit;
        const std::vector<double> duals = m_programme->Duals();
        bool added = false;
        for (const double weight : {Smoothing, 0.0}) {
            std::vector<double> prices(details.size());
            for (size_t j = 0; j < details.size(); ++j)
                prices[j] = std::max(weight * centre[j] + (1.0 - weight) * duals[j], 0.0);
            const KnapsackResult priced = PriceLayouts(details, wanted, prices);
            Spend(priced.work);
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
// or the allowed returns or the work are used up. The first plan stands
// unless the search beats it, and the plan returned is checked.
MapLayout SimplexMethodSolver::ReduceResultToDiscreteValues(const std::vector<Detail>& details)
{
    if (!IsValidProblem(details))
        return {};
    const Layout wanted = CountsOf(details);
    if (AllCovered(wanted))
        return {};
    if (!SameDetails(details, m_startDetails)) {
        DropProgramme();
        m_programmeTried = false;
        m_started = std::chrono::steady_clock::now();
        m_exchanged = false;
        StartPlan(details);
    }
    const MapLayout solution = m_result;
    MapLayout best = m_startPlan;
    const double startBars = BarsOf(best);
    if (startBars > std::ceil(m_lowerBound - eps) &&
        (m_programme ? SameDetails(details, m_programmeDetails) : !m_programmeTried && Calculate(details) == Solved)) {
        WholeBarSearch search;
        // First only plans that reach the bound are sought, so that every
        // step that cannot reach it is left at once; then any plan that
        // beats the first plan, the fewer bars the better.
        search.bound = std::max(WholeBars(m_programme->Bars()), std::ceil(m_lowerBound - eps));
        search.bestBars = std::min(search.bound + 1.0, startBars);
        search.backtracks = SearchBacktracks;
        const LayoutProgramme::Snapshot root = m_programme->Save();
        if (!SearchWholeBars(details, wanted, search) && !OverBudget(1.0) && m_programme->Restore(root)) {
            search.bestBars = startBars;
            search.backtracks = SearchBacktracks;
            SearchWholeBars(details, wanted, search);
        }
        if (!search.best.empty() && search.bestBars < startBars && IsExactPlan(details, search.best))
            best = std::move(search.best);
        if (!m_programme->Restore(root))
            DropProgramme();
    }
    m_result = solution;
    // A plan the search left above the bound is improved piece by piece,
    // once a job.
    if (m_regroup && !m_exchanged && BarsOf(best) > std::ceil(m_lowerBound - eps))
        ExchangePieces(details, best, 1.0);
    // The first plan is exact by construction; a plan that is not is
    // never shown.
    return IsExactPlan(details, best) ? best : MapLayout{};
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
    if (search.pathBars + WholeBars(m_programme->Bars()) >= search.bestBars || OverBudget(1.0))
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
            if (search.backtracks == 0 || OverBudget(1.0))
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

namespace {

// The fullest bar of pieces still wanted: a depth-first search over the
// details by decreasing length, the most pieces first, a branch left when
// even all the pieces after it would not beat the fullest bar found; it
// stops at a full bar or at its node budget.
class BarFill {
public:
    BarFill(const std::vector<double>& lengths, const std::vector<int64_t>& left, double room, size_t budget)
        : m_lengths(lengths), m_left(left), m_room(room), m_budget(budget), m_current(lengths.size(), 0),
          m_best(m_current), m_after(lengths.size() + 1, 0.0), m_next(lengths.size() + 1, lengths.size())
    {
        for (size_t i = lengths.size(); i-- > 0;) {
            m_after[i] = m_after[i + 1] + std::min<double>(static_cast<double>(left[i]), room / lengths[i]) * lengths[i];
            m_next[i] = left[i] > 0 ? i : m_next[i + 1];
        }
        Search(0, 0.0);
    }
    const std::vector<int64_t>& Best() const { return m_best; }
    size_t Nodes() const { return m_nodes; }

private:
    bool Done() const { return m_nodes >= m_budget || m_room - m_bestLoad <= 0.0; }
    void Search(size_t i, double load)
    {
        if (load > m_bestLoad) {
            m_bestLoad = load;
            m_best = m_current;
        }
        if (Done())
            return;
        ++m_nodes;
        // The first detail from i on that is still wanted and fits (the
        // lengths fall along the list).
        const auto fits = std::partition_point(m_lengths.begin() + static_cast<std::ptrdiff_t>(i), m_lengths.end(),
                                               [&](double length) { return load + length > m_room; });
        i = m_next[static_cast<size_t>(fits - m_lengths.begin())];
        if (i == m_lengths.size() || load + m_after[i] <= m_bestLoad)
            return;
        const int64_t most =
            std::min<int64_t>({m_left[i], static_cast<int64_t>(std::floor((m_room - load) / m_lengths[i])),
                               int64_t{std::numeric_limits<int32_t>::max()}});
        for (int64_t k = most; k >= 0 && !Done(); --k) {
            m_current[i] = k;
            if (load + k * m_lengths[i] <= m_room)
                Search(i + 1, load + k * m_lengths[i]);
        }
        m_current[i] = 0;
    }

    const std::vector<double>& m_lengths;
    const std::vector<int64_t>& m_left;
    const double m_room;
    const size_t m_budget;
    std::vector<int64_t> m_current;
    std::vector<int64_t> m_best;
    std::vector<double> m_after; // the most the pieces from each detail on can add
    std::vector<size_t> m_next;  // the first detail from each on that is still wanted
    double m_bestLoad = 0.0;
    size_t m_nodes = 0;
};

} // namespace

// Best fill: bar after bar, the longest piece still wanted and the fullest
// fill of the rest of the bar, cut as often as the wanted pieces allow.
// Where first fit leaves many bars part-empty (long pieces that pair
// badly), this packs much closer. Empty when its node budget runs out.
MapLayout SimplexMethodSolver::BestFillPlan(const std::vector<Detail>& details, const Layout& wanted)
{
    std::vector<size_t> order;
    for (size_t j = 0; j < details.size(); ++j)
        if (wanted[j] > 0)
            order.push_back(j);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return details[a].length > details[b].length; });
    std::vector<double> lengths;
    std::vector<int64_t> left;
    for (size_t j : order) {
        lengths.push_back(details[j].length);
        left.push_back(wanted[j]);
    }
    const double capacity = m_sheetLength + eps;
    MapLayout plan;
    size_t nodes = 0;
    for (size_t first = 0; first < left.size();) {
        if (left[first] == 0) {
            ++first;
            continue;
        }
        --left[first];
        const BarFill fill(lengths, left, capacity - lengths[first], FillNodesPerBar);
        ++left[first];
        nodes += fill.Nodes();
        Spend(static_cast<double>(fill.Nodes()) * FillNodeWork);
        if (nodes > FillNodes)
            return {};
        std::vector<int64_t> bar = fill.Best();
        ++bar[first];
        int64_t times = std::numeric_limits<int64_t>::max();
        for (size_t p = 0; p < bar.size(); ++p)
            if (bar[p] > 0)
                times = std::min(times, left[p] / bar[p]);
        Layout layout(details.size(), 0);
        for (size_t p = 0; p < bar.size(); ++p) {
            left[p] -= bar[p] * times;
            layout[order[p]] = static_cast<int32_t>(bar[p]);
        }
        AddBars(plan, layout, static_cast<double>(times));
    }
    return plan;
}

// The wanted pieces packed by first fit by decreasing length.
void SimplexMethodSolver::PackFirstFit(const std::vector<Detail>& details, Layout& wanted,
                                       WholeBarSearch& search) const
{
    for (const auto& [layout, number] : FirstFitDecreasing(details, wanted))
        search.Take(layout, static_cast<int32_t>(number), wanted);
}

// First fit by decreasing length: each piece into the first bar it fits,
// with equal bars kept as one group, so that a piece wanted many times
// fills whole groups at once and nothing is held per piece.
MapLayout SimplexMethodSolver::FirstFitDecreasing(const std::vector<Detail>& details, const Layout& wanted) const
{
    struct Group {
        Layout layout;
        double load = 0.0;
        int64_t bars = 0;
    };
    std::vector<size_t> order;
    for (size_t j = 0; j < details.size(); ++j)
        if (j < wanted.size() && wanted[j] > 0)
            order.push_back(j);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return details[a].length > details[b].length; });
    const double capacity = m_sheetLength + eps;
    // Pieces of `length` a bar of `load` still takes.
    auto room = [&](double load, double length) {
        int64_t fit = static_cast<int64_t>(
            std::min(std::floor((capacity - load) / length), double{std::numeric_limits<int32_t>::max()}));
        while (fit > 0 && load + fit * length > capacity)
            --fit;
        return std::max<int64_t>(fit, 0);
    };
    std::vector<Group> groups;
    auto grown = [&](const Group& from, size_t j, int64_t pieces, int64_t bars) {
        Group g = from;
        g.layout[j] += static_cast<int32_t>(pieces);
        g.load += pieces * details[j].length;
        g.bars = bars;
        return g;
    };
    for (const size_t j : order) {
        const double length = details[j].length;
        int64_t left = wanted[j];
        for (size_t g = 0; g < groups.size() && left > 0; ++g) {
            const int64_t fit = room(groups[g].load, length);
            if (fit == 0)
                continue;
            if (left >= fit * groups[g].bars) {
                left -= fit * groups[g].bars;
                groups[g] = grown(groups[g], j, fit, groups[g].bars);
                continue;
            }
            // The first bars of the group take `fit` pieces, the next one the
            // rest, the others none.
            const int64_t full = left / fit;
            const int64_t rest = left % fit;
            std::vector<Group> split;
            if (full > 0)
                split.push_back(grown(groups[g], j, fit, full));
            if (rest > 0)
                split.push_back(grown(groups[g], j, rest, 1));
            groups[g].bars -= full + (rest > 0 ? 1 : 0);
            if (groups[g].bars == 0)
                groups.erase(groups.begin() + static_cast<std::ptrdiff_t>(g));
            groups.insert(groups.begin() + static_cast<std::ptrdiff_t>(g), split.begin(), split.end());
            left = 0;
        }
        const int64_t per = room(0.0, length);
        if (left > 0 && per > 0) {
            const Group empty{Layout(details.size(), 0), 0.0, 0};
            if (left / per > 0)
                groups.push_back(grown(empty, j, per, left / per));
            if (left % per > 0)
                groups.push_back(grown(empty, j, left % per, 1));
        }
    }
    MapLayout plan;
    for (const Group& g : groups)
        AddBars(plan, g.layout, static_cast<double>(g.bars));
    return plan;
}
