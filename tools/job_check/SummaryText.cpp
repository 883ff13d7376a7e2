#include "job_check/SummaryText.h"

#include <cmath>
#include <vector>

namespace jobcheck {

namespace {

// A ratio this little above a whole number is that number: lengths in tenths
// of a millimetre add up with rounding errors far below it.
constexpr double kWhole = 1e-7;

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
