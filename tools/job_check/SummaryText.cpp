#include "job_check/SummaryText.h"

#include "engine/LinearNesting/BarBounds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace jobcheck {

namespace {

// A ratio this little above a whole number is that number: lengths in tenths
// of a millimetre add up with rounding errors far below it.
constexpr double kWhole = 1e-7;
// The solver's tolerance on a bar's length, and on its bounds; the work its
// relaxation may take (about two seconds).
constexpr double kBarTolerance = 1e-6;
constexpr double kRelaxationWork = 2.5e9;

std::string Counted(int n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int LeastBars(double pieces, int count, double bar, double gap)
{
    if (count <= 0 || bar + gap <= 0.0)
        return 0;
    return static_cast<int>(std::ceil((pieces + count * gap) / (bar + gap) - kWhole));
}

int ProvenLeastBars(const std::vector<std::pair<double, int>>& lengths, double bar, double gap, int bars)
{
    double total = 0.0;
    int count = 0;
    std::vector<BarPieces> pieces;
    for (const auto& [length, pieceCount] : lengths) {
        total += length * pieceCount;
        count += pieceCount;
        pieces.push_back({length + gap, static_cast<double>(pieceCount)});
    }
    int least = LeastBars(total, count, bar, gap);
    const double capacity = bar + gap + kBarTolerance;
    const auto rounded = [](double bound) { return static_cast<int>(std::ceil(bound - kBarTolerance)); };
    if (bars > least)
        least = std::max(least, rounded(DualFunctionBound(pieces, capacity)));
    if (bars > least)
        least = std::max(least, rounded(RelaxationBound(pieces, capacity, least, kRelaxationWork).bars));
    return least;
}

std::string BarsAgainstLeast(int bars, int least)
{
    const std::string used = Counted(bars, "bar", "bars");
    return bars <= least ? used + ", the minimum" : used + ", at least " + std::to_string(least) + " needed";
}

std::string LayoutBars(int bars, int pieces)
{
    const std::string each = Counted(pieces, "piece", "pieces");
    return bars == 1 ? "1 bar of " + each : Counted(bars, "bar", "bars") + ", each of " + each;
}

std::string ImportedAgainstNested(const std::map<std::wstring, int>& imported,
                                  const std::map<std::wstring, int>& toNest)
{
    int importedPieces = 0, nestPieces = 0, notTaken = 0, notImported = 0;
    bool recounted = false;
    for (const auto& [name, count] : imported) {
        importedPieces += count;
        const auto it = toNest.find(name);
        if (it == toNest.end())
            ++notTaken;
        else if (it->second != count)
            recounted = true;
    }
    for (const auto& [name, count] : toNest) {
        nestPieces += count;
        notImported += imported.count(name) ? 0 : 1;
    }
    std::vector<std::string> why;
    if (recounted)
        why.push_back("counts set in source data");
    if (notTaken > 0)
        why.push_back(Counted(notTaken, "part", "parts") + " not taken into source data");
    if (notImported > 0)
        why.push_back(Counted(notImported, "part", "parts") + " not imported");
    std::string text = Counted(importedPieces, "piece", "pieces") + " imported, ";
    if (why.empty())
        return text + "all to nest";
    text += std::to_string(nestPieces) + " to nest: ";
    for (size_t i = 0; i < why.size(); ++i)
        text += (i == 0 ? "" : ", ") + why[i];
    return text;
}

}  // namespace jobcheck
