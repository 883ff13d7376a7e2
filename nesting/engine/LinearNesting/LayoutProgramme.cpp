#include "engine/LinearNesting/LayoutProgramme.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A reduced cost counts as negative below -DualTolerance; costs are one bar
// per layout, so the prices are of order one and the tolerance is absolute.
constexpr double DualTolerance = 1e-9;
// Basic values within PrimalTolerance times the largest demand of 0 are 0.
constexpr double PrimalTolerance = 1e-9;
// A pivot element must reach this share of the largest entry it competes with.
constexpr double PivotTolerance = 1e-9;
// Entries of a basis below this (after partial pivoting) make it singular.
constexpr double SingularTolerance = 1e-10;
// Consecutive exchanges without progress before Bland's rule takes over.
constexpr size_t DegenerateRun = 50;
// Exchanges between two checks of how far the basic values drift from the demand.
constexpr size_t DriftCheckInterval = 50;

constexpr size_t None = std::numeric_limits<size_t>::max();

// y -= a x over n entries, n a multiple of 4 (rows are padded to it), in a
// form the compiler turns into vector instructions.
void SubtractMultiple(double* __restrict y, const double* __restrict x, double a, size_t n)
{
    n &= ~size_t(3);
    for (size_t j = 0; j < n; ++j)
        y[j] -= a * x[j];
}

// A share in [0.5, 1) that column k's cost is perturbed by: a fixed
// scrambling of k (splitmix64), so that runs repeat.
double PerturbationShare(size_t k)
{
    uint64_t z = static_cast<uint64_t>(k) + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return 0.5 + 0.5 * static_cast<double>(z >> 11) / static_cast<double>(1ULL << 53);
}

} // namespace

LayoutProgramme::LayoutProgramme(size_t limit) : limCount(limit) {}

void LayoutProgramme::InitSimplexTable(const std::vector<double>& demand)
{
    m = demand.size();
    m_stride = (m + 3) & ~size_t(3);
    m_demand = demand;
    m_scale = 1.0;
    for (double d : demand)
        m_scale = std::max(m_scale, std::fabs(d));
    U.assign(m * m_stride, 0.0);
    for (size_t i = 0; i < m; ++i)
        U[i * m_stride + i] = 1.0;
    B = demand;
    I.resize(m);
    for (size_t i = 0; i < m; ++i)
        I[i] = i;
    m_basicRow.assign(m_columns.size(), -1);
    UpdateUsable();
    m_phase = Phase::One;
    m_pricesValid = false;
    m_sinceCheck = 0;
}

size_t LayoutProgramme::AddColumn(const Column& layout)
{
    const auto found = m_index.find(layout);
    if (found != m_index.end())
        return found->second;
    const size_t k = m_columns.size();
    m_index.emplace(layout, k);
    m_columns.push_back(layout);
    std::vector<std::pair<uint32_t, double>> entries;
    for (size_t i = 0; i < layout.size(); ++i)
        if (layout[i] != 0)
            entries.emplace_back(static_cast<uint32_t>(i), layout[i]);
    m_sparse.push_back(std::move(entries));
    m_basicRow.push_back(-1);
    m_usable.push_back(m_demand.empty() || FitsDemand(k));
    m_share.push_back(PerturbationShare(k));
    return k;
}

// A column is usable while one bar of it fits into the demand: only such
// bars can be cut, so the others stay out of the programme (at 0).
bool LayoutProgramme::FitsDemand(size_t k) const
{
    for (const auto& [j, a] : m_sparse[k])
        if (a > m_demand[j] + PrimalTolerance * m_scale)
            return false;
    return true;
}

void LayoutProgramme::UpdateUsable()
{
    m_usable.resize(m_columns.size());
    for (size_t k = 0; k < m_columns.size(); ++k)
        m_usable[k] = FitsDemand(k);
}

bool LayoutProgramme::IsFixedAtZero(size_t v) const
{
    return IsArtificial(v) ? m_phase == Phase::Two : !m_usable[v - m];
}

void LayoutProgramme::SetPhase(Phase phase)
{
    if (phase != m_phase)
        m_pricesValid = false;
    m_phase = phase;
}

// Phase one: 1 for artificial variables, 0 for columns. Phase two: a bar
// for each column, raised by the perturbation when it is on.
double LayoutProgramme::Cost(size_t v) const
{
    if (m_phase == Phase::One)
        return IsArtificial(v) ? 1.0 : 0.0;
    if (IsArtificial(v))
        return 0.0;
    return 1.0 + m_perturbation * m_share[v - m];
}

void LayoutProgramme::SetPerturbation(double perturbation)
{
    if (perturbation != m_perturbation)
        m_pricesValid = false;
    m_perturbation = perturbation;
}

double LayoutProgramme::ColumnCost(const Column& layout) const
{
    const auto found = m_index.find(layout);
    const size_t k = found != m_index.end() ? found->second : m_columns.size();
    return m_perturbation == 0.0 ? 1.0 : 1.0 + m_perturbation * PerturbationShare(k);
}

// y = c_B U: what one more unit of each demand costs in the current basis.
// Kept up to date by every exchange and computed anew when the phase or the
// basis inverse changes as a whole.
const std::vector<double>& LayoutProgramme::Multipliers()
{
    if (m_pricesValid)
        return m_prices;
    m_prices.assign(m, 0.0);
    for (size_t i = 0; i < m; ++i) {
        const double c = Cost(I[i]);
        if (c == 0.0)
            continue;
        const double* u = &U[i * m_stride];
        for (size_t j = 0; j < m; ++j)
            m_prices[j] += c * u[j];
    }
    m_pricesValid = true;
    return m_prices;
}

std::vector<double> LayoutProgramme::Duals()
{
    SetPhase(Phase::Two);
    return Multipliers();
}

double LayoutProgramme::ReducedCost(size_t k, const std::vector<double>& y) const
{
    double d = Cost(m + k);
    for (const auto& [i, a] : m_sparse[k])
        d -= a * y[i];
    return d;
}

// The entering variable's column in the current basis: U times its column.
std::vector<double> LayoutProgramme::Ftran(size_t v) const
{
    std::vector<double> alpha(m, 0.0);
    if (IsArtificial(v)) {
        for (size_t i = 0; i < m; ++i)
            alpha[i] = U[i * m_stride + v];
        return alpha;
    }
    for (const auto& [j, a] : m_sparse[v - m])
        for (size_t i = 0; i < m; ++i)
            alpha[i] += U[i * m_stride + j] * a;
    return alpha;
}

LayoutProgramme::Stop LayoutProgramme::RunPhaseOne(double tolerance)
{
    SetPhase(Phase::One);
    const Stop stop = RunSimplexMethod();
    if (stop != Stop::Optimal)
        return stop;
    if (Infeasibility() > tolerance)
        return Stop::Infeasible;
    DriveOutArtificials();
    return Stop::Optimal;
}

LayoutProgramme::Stop LayoutProgramme::RunPhaseTwo()
{
    SetPhase(Phase::Two);
    return RunSimplexMethod();
}

// The primal simplex method: exchanges until no column prices out.
LayoutProgramme::Stop LayoutProgramme::RunSimplexMethod()
{
    m_degenerate = 0;
    m_bland = false;
    for (count = 0;; ++count) {
        if (count >= limCount || m_work > m_workLimit)
            return Stop::IterationLimit;
        if (!FindPivotColumn(Multipliers()))
            return Stop::Optimal;
        const std::vector<double> alpha = Ftran(col);
        // The objective is bounded below, so a column without a pivot row
        // means the numbers have broken down.
        if (!FindPivotRow(alpha))
            return Stop::Breakdown;
        B[row] = std::max(B[row], 0.0);
        const bool progress = B[row] / alpha[row] > PrimalTolerance * m_scale;
        m_degenerate = progress ? 0 : m_degenerate + 1;
        m_bland = m_degenerate > DegenerateRun;
        Jordan_Gauss(alpha);
        if (U.empty())
            return Stop::Breakdown;
    }
}

// Dantzig's rule (the most negative reduced cost), or Bland's (the first
// negative one) while exchanges make no progress. Artificial variables that
// have left the basis never come back.
bool LayoutProgramme::FindPivotColumn(const std::vector<double>& y)
{
    double best = -DualTolerance;
    col = None;
    for (size_t k = 0; k < m_columns.size(); ++k) {
        if (!CanEnter(k))
            continue;
        const double d = ReducedCost(k, y);
        if (d < best) {
            best = d;
            m_enteringCost = d;
            col = m + k;
            if (m_bland)
                break;
        }
    }
    return col != None;
}

// The ratio test: the row that limits the entering variable first. Among
// ties, the largest pivot element (stable), or under Bland's rule the least
// variable. In phase two an artificial variable left in the basis (a
// redundant demand row, at 0) must stay at 0, so it leaves at once when the
// entering column touches its row.
bool LayoutProgramme::FindPivotRow(const std::vector<double>& alpha)
{
    double largest = 0.0;
    for (double a : alpha)
        largest = std::max(largest, std::fabs(a));
    const double tolerance = std::max(PivotTolerance * largest, 1e-12);
    row = None;
    double least = std::numeric_limits<double>::infinity();
    std::vector<double> ratio(m, std::numeric_limits<double>::infinity());
    for (size_t i = 0; i < m; ++i) {
        if (IsFixedAtZero(I[i]) && std::fabs(alpha[i]) > tolerance)
            ratio[i] = 0.0;
        else if (alpha[i] > tolerance)
            ratio[i] = std::max(B[i], 0.0) / alpha[i];
        least = std::min(least, ratio[i]);
    }
    if (least == std::numeric_limits<double>::infinity())
        return false;
    const double tie = least + PrimalTolerance * m_scale / largest;
    for (size_t i = 0; i < m; ++i) {
        if (ratio[i] > tie)
            continue;
        if (row == None || (m_bland ? I[i] < I[row] : std::fabs(alpha[i]) > std::fabs(alpha[row])))
            row = i;
    }
    return true;
}

// One exchange at (row, col): the basis inverse and the basic values follow.
void LayoutProgramme::Jordan_Gauss(const std::vector<double>& alpha)
{
    // The update of the inverse, and the pricing of every column's few entries.
    m_work += 0.4 * static_cast<double>(m) * static_cast<double>(m_stride) + 20.0 * static_cast<double>(m_columns.size());
    const size_t r = row;
    const double Ar = 1.0 / alpha[r];
    const double theta = B[r] * Ar;
    for (size_t i = 0; i < m; ++i)
        if (i != r)
            B[i] -= theta * alpha[i];
    B[r] = theta;
    double* ur = &U[r * m_stride];
    for (size_t j = 0; j < m; ++j)
        ur[j] *= Ar;
    for (size_t i = 0; i < m; ++i)
        if (i != r && alpha[i] != 0.0)
            SubtractMultiple(&U[i * m_stride], ur, alpha[i], m_stride);
    // The multipliers move by the entering reduced cost along the new row r.
    if (m_pricesValid)
        for (size_t j = 0; j < m; ++j)
            m_prices[j] += m_enteringCost * ur[j];
    if (!IsArtificial(I[r]))
        m_basicRow[I[r] - m] = -1;
    I[r] = col;
    if (!IsArtificial(col))
        m_basicRow[col - m] = static_cast<long>(r);
    const double zero = PrimalTolerance * m_scale;
    for (double& b : B)
        if (std::fabs(b) < zero)
            b = 0.0;
    if (++m_sinceCheck >= DriftCheckInterval)
        CheckDrift();
}

// Recomputes the basis inverse when the basic values no longer reproduce the
// demand; a basis that does not factorise leaves U empty.
void LayoutProgramme::CheckDrift()
{
    m_sinceCheck = 0;
    m_pricesValid = false;
    std::vector<double> residual = m_demand;
    for (size_t i = 0; i < m; ++i) {
        if (IsArtificial(I[i]))
            residual[I[i]] -= B[i];
        else
            for (const auto& [j, a] : m_sparse[I[i] - m])
                residual[j] -= a * B[i];
    }
    for (double r : residual)
        if (std::fabs(r) > PrimalTolerance * m_scale) {
            if (!Refactorise())
                U.clear();
            return;
        }
}

// Inverts the basis anew (Gauss-Jordan with partial pivoting) and recomputes
// the basic values from the demand.
bool LayoutProgramme::Refactorise()
{
    m_work += static_cast<double>(m) * static_cast<double>(m) * static_cast<double>(m_stride);
    std::vector<double> M(m * m_stride, 0.0);
    for (size_t i = 0; i < m; ++i) {
        if (IsArtificial(I[i]))
            M[I[i] * m_stride + i] = 1.0;
        else
            for (const auto& [j, a] : m_sparse[I[i] - m])
                M[j * m_stride + i] = a;
    }
    U.assign(m * m_stride, 0.0);
    for (size_t i = 0; i < m; ++i)
        U[i * m_stride + i] = 1.0;
    for (size_t c = 0; c < m; ++c) {
        size_t p = c;
        for (size_t i = c + 1; i < m; ++i)
            if (std::fabs(M[i * m_stride + c]) > std::fabs(M[p * m_stride + c]))
                p = i;
        if (std::fabs(M[p * m_stride + c]) < SingularTolerance)
            return false;
        if (p != c) {
            std::swap_ranges(M.begin() + p * m_stride, M.begin() + (p + 1) * m_stride, M.begin() + c * m_stride);
            std::swap_ranges(U.begin() + p * m_stride, U.begin() + (p + 1) * m_stride, U.begin() + c * m_stride);
        }
        const double inv = 1.0 / M[c * m_stride + c];
        for (size_t j = 0; j < m; ++j) {
            M[c * m_stride + j] *= inv;
            U[c * m_stride + j] *= inv;
        }
        // Columns before c are eliminated already: row c is 0 there.
        const size_t from = c & ~size_t(3);
        for (size_t i = 0; i < m; ++i) {
            const double f = M[i * m_stride + c];
            if (i == c || f == 0.0)
                continue;
            SubtractMultiple(&M[i * m_stride + from], &M[c * m_stride + from], f, m_stride - from);
            SubtractMultiple(&U[i * m_stride], &U[c * m_stride], f, m_stride);
        }
    }
    for (size_t i = 0; i < m; ++i) {
        double b = 0.0;
        for (size_t j = 0; j < m; ++j)
            b += U[i * m_stride + j] * m_demand[j];
        B[i] = std::fabs(b) < PrimalTolerance * m_scale ? 0.0 : b;
    }
    m_sinceCheck = 0;
    m_pricesValid = false;
    return true;
}

// After phase one, every artificial variable still basic (at 0) is exchanged
// for a column that touches its row; a row no column touches is a redundant
// demand and keeps its artificial variable at 0.
void LayoutProgramme::DriveOutArtificials()
{
    for (size_t r = 0; r < m; ++r) {
        if (!IsArtificial(I[r]))
            continue;
        const double* ur = &U[r * m_stride];
        size_t best = None;
        double bestAlpha = 0.0;
        for (size_t k = 0; k < m_columns.size(); ++k) {
            if (!CanEnter(k))
                continue;
            double a = 0.0;
            for (const auto& [j, v] : m_sparse[k])
                a += ur[j] * v;
            if (std::fabs(a) > std::max(bestAlpha, 1e-7)) {
                bestAlpha = std::fabs(a);
                best = k;
            }
        }
        if (best == None)
            continue;
        row = r;
        col = m + best;
        B[r] = 0.0;
        m_pricesValid = false;
        Jordan_Gauss(Ftran(col));
        if (U.empty())
            return;
    }
}

LayoutProgramme::Stop LayoutProgramme::TakeBars(const Column& layout, double bars)
{
    std::vector<double> taken(m, 0.0);
    for (size_t i = 0; i < m; ++i) {
        m_demand[i] -= bars * layout[i];
        taken[i] = bars * layout[i];
    }
    for (size_t i = 0; i < m; ++i) {
        const double* u = &U[i * m_stride];
        double d = 0.0;
        for (size_t j = 0; j < m; ++j)
            d += u[j] * taken[j];
        B[i] -= d;
        if (std::fabs(B[i]) < PrimalTolerance * m_scale)
            B[i] = 0.0;
    }
    UpdateUsable();
    // The dual simplex method: the basic value furthest outside its bounds
    // leaves, the column keeping every reduced cost non-negative enters.
    SetPhase(Phase::Two);
    m_degenerate = 0;
    m_bland = false;
    for (count = 0;; ++count) {
        if (count >= limCount || m_work > m_workLimit)
            return Stop::IterationLimit;
        row = None;
        double worst = 0.0;
        for (size_t i = 0; i < m; ++i) {
            const double violation = B[i] < 0.0 ? -B[i] : IsFixedAtZero(I[i]) ? B[i] : 0.0;
            if (violation > 0.0 && (row == None || (m_bland ? I[i] < I[row] : violation > worst))) {
                row = i;
                worst = violation;
            }
        }
        if (row == None)
            return Stop::Optimal;
        const bool down = B[row] > 0.0;
        if (!FindDualPivot(row, down, Multipliers()))
            return Stop::Infeasible;
        const std::vector<double> alpha = Ftran(col);
        if (down ? alpha[row] <= 0.0 : alpha[row] >= 0.0)
            return Stop::Breakdown;
        Jordan_Gauss(alpha);
        if (U.empty())
            return Stop::Breakdown;
    }
}

// The dual ratio test on row r, whose basic variable must come `down` to 0
// or up from below 0: among columns whose entry there moves it that way, the
// one whose reduced cost reaches 0 first; ties go to the largest entry, or
// under Bland's rule to the least column.
bool LayoutProgramme::FindDualPivot(size_t r, bool down, const std::vector<double>& y)
{
    const double sign = down ? 1.0 : -1.0;
    const double* ur = &U[r * m_stride];
    std::vector<double> entry(m_columns.size(), 0.0);
    double largest = 0.0;
    for (size_t k = 0; k < m_columns.size(); ++k) {
        if (!CanEnter(k))
            continue;
        for (const auto& [j, a] : m_sparse[k])
            entry[k] += ur[j] * a;
        largest = std::max(largest, std::fabs(entry[k]));
    }
    const double tolerance = std::max(PivotTolerance * largest, 1e-12);
    std::vector<double> ratio(m_columns.size(), std::numeric_limits<double>::infinity());
    std::vector<double> reduced(m_columns.size(), 0.0);
    double least = std::numeric_limits<double>::infinity();
    for (size_t k = 0; k < m_columns.size(); ++k) {
        if (!CanEnter(k) || sign * entry[k] <= tolerance)
            continue;
        reduced[k] = ReducedCost(k, y);
        ratio[k] = std::max(reduced[k], 0.0) / (sign * entry[k]);
        least = std::min(least, ratio[k]);
    }
    if (least == std::numeric_limits<double>::infinity())
        return false;
    const double tie = least + DualTolerance / largest;
    col = None;
    for (size_t k = 0; k < m_columns.size(); ++k) {
        if (ratio[k] > tie)
            continue;
        if (col == None || (!m_bland && std::fabs(entry[k]) > std::fabs(entry[col - m])))
            col = m + k;
        if (m_bland)
            break;
    }
    m_enteringCost = reduced[col - m];
    m_degenerate = least > DualTolerance ? 0 : m_degenerate + 1;
    m_bland = m_degenerate > DegenerateRun;
    return true;
}

double LayoutProgramme::Bars() const
{
    double bars = 0.0;
    for (size_t i = 0; i < m; ++i)
        if (!IsArtificial(I[i]))
            bars += B[i];
    return bars;
}

double LayoutProgramme::Infeasibility() const
{
    double sum = 0.0;
    for (size_t i = 0; i < m; ++i)
        if (IsArtificial(I[i]))
            sum += B[i];
    return sum;
}

std::vector<std::pair<size_t, double>> LayoutProgramme::BasicLayouts(double tolerance) const
{
    std::vector<std::pair<size_t, double>> layouts;
    for (size_t i = 0; i < m; ++i)
        if (!IsArtificial(I[i]) && B[i] > tolerance)
            layouts.emplace_back(I[i] - m, B[i]);
    std::sort(layouts.begin(), layouts.end());
    return layouts;
}

bool LayoutProgramme::Restore(const Snapshot& snapshot)
{
    m_demand = snapshot.demand;
    I = snapshot.basis;
    m_basicRow.assign(m_columns.size(), -1);
    for (size_t i = 0; i < m; ++i)
        if (!IsArtificial(I[i]))
            m_basicRow[I[i] - m] = static_cast<long>(i);
    UpdateUsable();
    SetPhase(Phase::Two);
    return Refactorise();
}
