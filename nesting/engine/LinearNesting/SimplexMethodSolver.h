// Linear (one-dimensional) cutting stock: details of given lengths and counts
// are cut from stock bars of one length. The solver generates cutting layouts,
// solves the linear programme "how many bars of each layout" with a two-phase
// simplex method (LayoutProgramme), prices further layouts in with a knapsack
// step (column generation), and reduces the fractional solution to whole bars
// by a search that takes bars one layout at a time and re-optimises the rest
// from the previous basis.
//
// Every job that can be cut gets a plan: the better of first fit by
// decreasing length (packing whole groups of equal bars at once, so that the
// counts may be large) and best fill (the fullest bar after bar) gives one
// at the start, the programme and its rounding only ever
// replace it by a plan of fewer bars (a plan still above the bound then has
// its pieces exchanged between its bars, see PieceExchange, where it has not
// too many), and every plan is checked (each bar
// fits, each demand met exactly) before it is returned. The work of the
// programme and of the rounding is bounded, so that the time is too; a job
// whose first plan already reaches the lower bound needs neither.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

// One detail type: the length one piece takes from a bar (cut gap included)
// and the number of pieces wanted.
struct Detail {
    std::wstring name;
    double length = 0.0;
    int32_t count = 0;

    // By name, then by length; the count takes no part.
    bool operator<(const Detail& other) const;
};

class BarRegrouping;
class LayoutProgramme;
struct KnapsackResult;

// Entry j of a layout is the number of pieces of detail j one bar yields.
using Layout = std::vector<int32_t>;
// A layout mapped to a number of bars (or, for generated layouts, to an
// informational value).
using MapLayout = std::map<Layout, double>;

class SimplexMethodSolver {
public:
    // Codes of RunCalculate and Calculate. RunCalculate gives Infeasible
    // only for a job that cannot be cut (a piece longer than the bar, a
    // length that is not a positive number, a negative count); the
    // iteration limit stops the programme but never leaves a job without a
    // plan.
    static constexpr size_t Solved = 0;
    static constexpr size_t IterationLimit = 1;
    static constexpr size_t Infeasible = 2;

    // `iterationLimit` bounds the exchanges of one simplex run (and the
    // pricing rounds) per hundred details.
    explicit SimplexMethodSolver(double precision = 1e-6, size_t iterationLimit = 1000);
    ~SimplexMethodSolver();

    void Init(const std::vector<Detail>& details, double width, double length, double minimumWaste);
    size_t RunCalculate(const std::vector<Detail>& details);
    bool CreateAllCombinations(const std::vector<Detail>& details);
    void CreateRandomCombinations(const std::vector<Detail>& details);
    size_t Calculate(const std::vector<Detail>& details);
    MapLayout ReduceResultToDiscreteValues(const std::vector<Detail>& details);
    void PrintTable(const std::wstring&) const {}

    // Fixes the seed of the random layouts; without it every run draws its
    // seed from the system's random device.
    void SetRandomSeed(uint32_t seed) { m_seed = seed; }
    // Called with the share of the work done, in per cent, as it grows.
    void SetProgress(std::function<void(double)> progress) { m_progress = std::move(progress); }
    // Scales the work allowed (tests; 1 by default).
    void SetWorkScale(double scale) { m_workScale = scale; }
    // Whatever the work, a job stops this many seconds after it started (on
    // a machine far slower than this one, or shared by many jobs); none by
    // default, so that the same job always gives the same plan.
    void SetTimeLimit(double seconds) { m_timeLimit = seconds; }

    const MapLayout& GetLayouts() const { return m_layouts; }
    // The programme's fractional solution; when the programme could not be
    // solved within its bounds, the first plan.
    const MapLayout& GetResult() const { return m_result; }
    // The least number of bars any plan of the last job can use, as proven
    // (the pieces' total length, or the programme's bound when it was solved).
    double LowerBound() const { return m_lowerBound; }
    // True when `plan` cuts every detail exactly as often as demanded from
    // bars of whole numbers that each fit.
    bool IsExactPlan(const std::vector<Detail>& details, const MapLayout& plan) const;

private:
    // Layout generation
    std::vector<int32_t> MaxCounts(const std::vector<Detail>& details) const;
    bool EnumerateLayouts(const std::vector<Detail>& details, const std::vector<int32_t>& maxCounts,
                          size_t j, double total, Layout& digits, std::vector<Layout>& found,
                          size_t& budget) const;
    bool IsMaximal(const std::vector<Detail>& details, const std::vector<int32_t>& maxCounts,
                   const Layout& layout, double total) const;
    void AddSingleDetailLayouts(const std::vector<Detail>& details);
    Layout RandomLayout(const std::vector<Detail>& details, const std::vector<int32_t>& maxCounts,
                        std::vector<size_t>& order, std::mt19937& generator, double& rest) const;

    // The linear programme
    size_t IterationLimitFor(size_t rows) const;
    size_t SolveFromScratch(const std::vector<Detail>& details, const Layout& wanted, bool exact);
    size_t GenerateColumns(const std::vector<Detail>& details, const Layout& wanted, bool exact);
    size_t PriceColumns(const std::vector<Detail>& details, const Layout& wanted, double gap, bool early);
    KnapsackResult PriceLayouts(const std::vector<Detail>& details, const Layout& wanted,
                                const std::vector<double>& prices) const;
    bool AddImprovingColumn(const Layout& layout, const std::vector<double>& duals);
    void AddSingleDetailColumns(const std::vector<Detail>& details, const Layout& wanted);
    void StoreResult();
    bool IsValidProblem(const std::vector<Detail>& details) const;

    // Whole bars
    // The search for whole bars: the bars taken on the way to the current
    // step, and the best plan found.
    struct WholeBarSearch {
        double bound = 0.0;     // the least number of bars any plan can use
        size_t backtracks = 0;  // returns to an earlier step still allowed
        std::vector<std::pair<Layout, int32_t>> path;
        double pathBars = 0.0;
        MapLayout best;
        double bestBars = std::numeric_limits<double>::infinity();

        void Take(const Layout& layout, int32_t number, Layout& wanted);
        void Undo(size_t size);
        // Keeps the path when it beats the best plan; true once the bound is reached.
        bool Record();
    };
    double WholeBars(double bars) const;
    bool SearchWholeBars(const std::vector<Detail>& details, const Layout& wanted, WholeBarSearch& search);
    void PackFirstFit(const std::vector<Detail>& details, Layout& wanted, WholeBarSearch& search) const;
    MapLayout FirstFitDecreasing(const std::vector<Detail>& details, const Layout& wanted) const;
    MapLayout BestFillPlan(const std::vector<Detail>& details, const Layout& wanted);
    bool FitsOneBar(const std::vector<Detail>& details, const Layout& wanted) const;
    // The first plan of `details` (the better of first fit and best fill)
    // and the lower bound of their length.
    void StartPlan(const std::vector<Detail>& details);
    // A first plan above the bound improved: from a plan over classes of
    // lengths where that has fewer bars, then group of bars by group of bars.
    void Regroup(const std::vector<Detail>& details);
    // A plan above the bound improved piece by piece (see PieceExchange).
    void ExchangePieces(const std::vector<Detail>& details, MapLayout& plan, double timeShare);
    bool LengthClassesOf(const std::vector<Detail>& details, std::vector<size_t>& order, std::vector<size_t>& first,
                         std::vector<Detail>& grouped) const;
    void RaiseBoundByClasses(const std::vector<Detail>& details);
    bool ClassPlan(const std::vector<Detail>& details, BarRegrouping& plan);
    MapLayout PartPlan(const std::vector<Detail>& details, uint32_t seed, double scale, double& work);

    // The work done, in about nanoseconds, against its bound.
    void Spend(double work);
    void DropProgramme();
    double Work() const;
    // The work a job may take: the programme's and the regrouping's.
    double Budget() const;
    bool OverBudget(double share) const;
    // Whether this share of the time limit has passed (never without one).
    bool PastTime(double share) const;

    const double eps;
    double m_sheetLength = 0.0;
    double m_sheetWidht = 0.0;
    double m_minimumWaste = 0.0;
    std::vector<Detail> m_details;
    MapLayout m_layouts;
    MapLayout m_result;

    // The programme of the last Calculate, kept for the rounding to whole
    // bars, which starts from its optimal basis; `m_programmeDetails` are the
    // details it was built for.
    const size_t limCount;
    std::unique_ptr<LayoutProgramme> m_programme;
    std::vector<Detail> m_programmeDetails;

    std::optional<uint32_t> m_seed;
    std::function<void(double)> m_progress;
    int m_shownPercent = -1;
    double m_workScale = 1.0;
    double m_timeLimit = 0.0;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    double m_regroupWork = 0.0;   // the work allowed the regrouping
    double m_boundWork = 0.0;     // the work of the bound over classes of lengths
    double m_exchangeWork = 0.0;  // the work allowed the exchange of pieces
    bool m_exchanged = false;     // whether the job's plan was improved piece by piece
    bool m_regroup = true;        // whether a job without programme regroups its bars
    double m_work = 0.0;          // work outside the programme
    double m_programmeWork = 0.0; // work of programmes dropped
    double m_lowerBound = 0.0;
    double m_budgetShare = 1.0;   // of the work, what the current step may reach
    double m_priceBound = 0.0;    // the best bound the pricing proved
    bool m_programmeTried = false;
    MapLayout m_startPlan;         // the first plan of m_startDetails
    std::vector<Detail> m_startDetails;
};
