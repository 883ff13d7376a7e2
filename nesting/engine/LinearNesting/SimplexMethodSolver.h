// Linear (one-dimensional) cutting stock: details of given lengths and counts
// are cut from stock bars of one length. The solver generates cutting layouts,
// solves the linear programme "how many bars of each layout" with a two-phase
// simplex method on a compact tableau, prices further layouts in with a
// knapsack step (column generation), and reduces the fractional solution to
// whole bars.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
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

// Entry j of a layout is the number of pieces of detail j one bar yields.
using Layout = std::vector<int32_t>;
// A layout mapped to a number of bars (or, for generated layouts, to an
// informational value).
using MapLayout = std::map<Layout, double>;

class SimplexMethodSolver {
public:
    // Codes of RunCalculate and Calculate.
    static constexpr size_t Solved = 0;
    static constexpr size_t IterationLimit = 1;
    static constexpr size_t Infeasible = 2;

    explicit SimplexMethodSolver(double precision = 1e-6, size_t iterationLimit = 1000);

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

    const MapLayout& GetLayouts() const { return m_layouts; }
    const MapLayout& GetResult() const { return m_result; }

private:
    enum class Stop { Optimal, Unbounded, IterationLimit };
    // How a fractional solution becomes whole bars: all numbers rounded down,
    // or in addition one more bar of the layout with the largest fraction.
    enum class Rounding { Down, UpLargestFraction };

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
    std::optional<Layout> PriceLayout(const std::vector<Detail>& details) const;

    // Tableau
    void InitSimplexTable(const std::vector<Detail>& details);
    Stop RunSimplexMethod();
    bool FindPivotColumn();
    bool FindPivotRow();
    void Jordan_Gauss();
    void RemoveColumns();
    void DriveOutArtificials();
    void SetPhaseTwoObjective();
    size_t GenerateColumns(const std::vector<Detail>& details);
    void AddColumn(const Layout& layout);
    std::vector<double> Duals() const;
    void StoreResult();
    void ClearSimplexTable();
    bool IsValidProblem(const std::vector<Detail>& details) const;
    bool IsUsable(const Layout& layout, const std::vector<Detail>& details) const;

    // Whole bars
    struct WholeBarSearch {
        double bound = 0.0; // the least number of bars any plan can use
        size_t solves = 0;  // programmes the search may still solve
        MapLayout best;     // the plan with fewest bars so far
        // Keeps `plan` when it beats the best; true once the bound is reached.
        bool Record(const MapLayout& plan);
    };
    bool SearchWholeBars(const std::vector<Detail>& remaining, const MapLayout& bars, WholeBarSearch& search);
    void TakeOneBar(const Layout& layout, std::vector<Detail>& remaining, MapLayout& bars) const;
    MapLayout RoundByResolving(const std::vector<Detail>& details, Rounding rule);
    void TakeWholeBars(const MapLayout& solution, Rounding rule, std::vector<Detail>& remaining,
                       MapLayout& bars) const;
    void PackFirstFit(const std::vector<Detail>& details, std::vector<Detail>& remaining, MapLayout& bars) const;
    bool FitsOneBar(const std::vector<Detail>& remaining) const;

    const double eps;
    double m_sheetLength = 0.0;
    double m_sheetWidht = 0.0;
    double m_minimumWaste = 0.0;
    std::vector<Detail> m_details;
    MapLayout m_layouts;
    MapLayout m_result;

    // The tableau, alive only inside Calculate. Variables 0..N-1 are the
    // layouts of m_columns, N..N+m-1 the artificial ones.
    size_t m = 0;
    size_t n = 0;
    size_t N = 0;
    std::vector<std::vector<double>> A;
    std::vector<std::vector<double>> U;
    std::vector<double> B;
    std::vector<double> P;
    std::vector<size_t> I;
    std::vector<size_t> J;
    std::vector<Layout> m_columns;
    const size_t limCount;
    size_t count = 0;
    size_t col = 0;
    size_t row = 0;
    double Q = 0.0;

    std::optional<uint32_t> m_seed;
};
