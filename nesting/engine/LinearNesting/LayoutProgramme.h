// The linear programme of the cutting-stock solver: how many bars of each
// layout (fractions allowed) meet every demand exactly with the fewest bars,
//   minimise sum x_k  subject to  sum_k layout_k[i] x_k = demand[i],  x >= 0.
//
// A revised simplex method: the tableau is never formed; the inverse of the
// basis (U) is kept and every other quantity is computed from it and the
// original columns, which are short integer vectors. Phase one starts from
// the artificial basis (one artificial variable per demand row) and drives
// the artificial variables out; phase two minimises the bars; a change of the
// demand (whole bars taken off while rounding) is repaired with the dual
// simplex method, so the basis of the previous optimum serves as a warm start.
// A column of which one bar no longer fits the demand is held at 0 (it leaves
// the basis and does not come back), so the programme only uses bars that can
// still be cut whole.
//
// Robustness: Dantzig's rule picks the entering column until a run of
// degenerate exchanges, then Bland's rule (least index) takes over until an
// exchange makes progress, so the method does not cycle; ratio tests and
// pivots use tolerances relative to the column at hand; the basis inverse is
// recomputed from the columns when the basic values drift from the demand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <utility>
#include <vector>

class LayoutProgramme {
public:
    using Column = std::vector<int32_t>;
    // Breakdown: the numbers no longer hold (a basis that does not factorise);
    // the caller starts anew from the artificial basis.
    enum class Stop { Optimal, Infeasible, IterationLimit, Breakdown };

    // `limCount` bounds the exchanges of each run of a phase.
    explicit LayoutProgramme(size_t limCount);

    // Starts the programme anew for `demand` with the artificial basis; the
    // columns already added stay.
    void InitSimplexTable(const std::vector<double>& demand);
    // Adds a column (not basic) unless it is there already; returns its index.
    size_t AddColumn(const Column& layout);
    bool Contains(const Column& layout) const { return m_index.count(layout) != 0; }
    const Column& GetColumn(size_t k) const { return m_columns[k]; }

    // Phase one: Infeasible when the artificial variables cannot all come
    // within `tolerance` of 0.
    Stop RunPhaseOne(double tolerance);
    // Phase two over the columns present.
    Stop RunPhaseTwo();
    // Takes `bars` bars of `layout` off the demand and restores feasibility
    // by the dual simplex method (the basis stays optimal for the columns
    // present).
    Stop TakeBars(const Column& layout, double bars);

    // Prices of one piece of each detail (the simplex multipliers of phase two).
    std::vector<double> Duals();
    // Phase two costs each column one bar, raised by up to `perturbation`
    // by a fixed share of its own: ties between the many equally good
    // layouts are what makes the dual simplex stall. 0 restores the true costs.
    void SetPerturbation(double perturbation);
    // The cost of a layout in phase two (of the next column added when it is
    // not there yet).
    double ColumnCost(const Column& layout) const;
    // The number of bars of the current solution.
    double Bars() const;
    // Basic layouts with their numbers of bars above `tolerance`, by column.
    std::vector<std::pair<size_t, double>> BasicLayouts(double tolerance) const;
    // Sum of the artificial variables.
    double Infeasibility() const;
    // The work done so far, in about nanoseconds: each exchange and each new
    // inverse of the basis costs in proportion to the rows squared or cubed.
    double Work() const { return m_work; }
    // Runs stop at the iteration limit once the work exceeds this.
    void SetWorkLimit(double limit) { m_workLimit = limit; }

    // The basis and demand of a solution, to come back to it later.
    struct Snapshot {
        std::vector<double> demand;
        std::vector<size_t> basis;
    };
    Snapshot Save() const { return {m_demand, I}; }
    // False when the saved basis no longer factorises (the caller starts anew).
    bool Restore(const Snapshot& snapshot);

private:
    enum class Phase { One, Two };
    // Variables v < m are the artificial ones of row v; v >= m is column v - m.
    bool IsArtificial(size_t v) const { return v < m; }
    void SetPhase(Phase phase);
    double Cost(size_t v) const;
    const std::vector<double>& Multipliers();
    double ReducedCost(size_t k, const std::vector<double>& y) const;
    std::vector<double> Ftran(size_t v) const;
    Stop RunSimplexMethod();
    bool FindPivotColumn(const std::vector<double>& y);
    bool FindPivotRow(const std::vector<double>& alpha);
    bool FindDualPivot(size_t r, bool down, const std::vector<double>& y);
    bool FitsDemand(size_t k) const;
    void UpdateUsable();
    // Basic variables that must stay at 0: artificial ones in phase two and
    // columns that no longer fit the demand.
    bool IsFixedAtZero(size_t v) const;
    bool CanEnter(size_t k) const { return m_basicRow[k] < 0 && m_usable[k]; }
    void Jordan_Gauss(const std::vector<double>& alpha);
    bool Refactorise();
    void CheckDrift();
    void DriveOutArtificials();

    const size_t limCount;
    size_t m = 0;
    std::vector<double> m_demand;
    double m_scale = 1.0; // the largest demand: primal tolerances are relative to it
    std::vector<Column> m_columns;
    // Nonzero entries (row, count) of each column.
    std::vector<std::vector<std::pair<uint32_t, double>>> m_sparse;
    std::map<Column, size_t> m_index;

    Phase m_phase = Phase::One;
    size_t m_stride = 0;         // length of a row of U: m padded to a multiple of 4
    std::vector<double> U;       // basis inverse, m by m, row-major
    std::vector<double> B;       // values of the basic variables
    std::vector<size_t> I;       // basic variable of each row
    std::vector<long> m_basicRow; // row in which a column is basic, or -1
    std::vector<char> m_usable;   // whether one bar of a column fits the demand
    std::vector<double> m_share;  // share of the perturbation in a column's cost
    size_t count = 0;            // exchanges in the current run
    double m_work = 0.0;
    double m_workLimit = std::numeric_limits<double>::infinity();
    size_t col = 0;              // entering variable
    size_t row = 0;              // leaving row
    size_t m_sinceCheck = 0;     // exchanges since the drift was last checked
    size_t m_degenerate = 0;     // consecutive exchanges that made no progress
    bool m_bland = false;
    double m_perturbation = 0.0;
    std::vector<double> m_prices; // the multipliers of the current phase
    bool m_pricesValid = false;
    double m_enteringCost = 0.0;  // reduced cost of the entering variable
};
