#include "linear_instances.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <set>

namespace fs = std::filesystem;

namespace linear_instances {

bool ReadInstance(const fs::path& file, Instance& instance, std::string& error)
{
    std::ifstream in(file);
    instance = Instance{};
    instance.name = file.stem().string();
    size_t types = 0;
    if (!(in >> types >> instance.barLength)) {
        error = file.string() + ": no count and bar length";
        return false;
    }
    for (size_t i = 0; i < types; ++i) {
        Detail d;
        if (!(in >> d.length >> d.count)) {
            error = file.string() + ": line " + std::to_string(i + 3) + " is not \"length demand\"";
            return false;
        }
        d.name = std::to_wstring(static_cast<long>(d.length)) + L"-" + std::to_wstring(i);
        instance.details.push_back(d);
    }
    return true;
}

std::map<std::string, long> ReadOptima(const fs::path& file)
{
    std::map<std::string, long> optima;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        char name[256];
        long lower = 0;
        long upper = 0;
        if (std::sscanf(line.c_str(), "%255s %ld %ld", name, &lower, &upper) == 3 && lower == upper)
            optima[name] = lower;
    }
    return optima;
}

std::vector<fs::path> InstanceFiles(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".txt" &&
            entry.path().filename() != "optimum.txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

const std::vector<std::string>& SpreadNames()
{
    static const std::vector<std::string> names = {"wide", "long", "third", "half", "short", "any", "sixth"};
    return names;
}

namespace {

// A length in tenths of a millimetre for spread `spread` (bar of 6 m).
int SpreadLength(const std::string& spread, std::mt19937& generator)
{
    auto tenths = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(generator); };
    auto share = [&](double p) { return std::uniform_real_distribution<double>(0.0, 1.0)(generator) < p; };
    if (spread == "long")
        return tenths(15000, 35000);
    if (spread == "third")
        return share(0.6) ? tenths(20001, 24000) : tenths(1000, 19000);
    if (spread == "half")
        return share(0.4) ? tenths(30001, 36000) : tenths(1000, 29000);
    if (spread == "short")
        return tenths(200, 8000);
    if (spread == "any")
        return tenths(1000, 59000);
    if (spread == "sixth")
        return tenths(10000, 15000);
    return tenths(1000, 29000);
}

} // namespace

Instance GeneratedInstance(uint32_t index, size_t lengths, const std::string& spread)
{
    char name[64];
    if (lengths > 0) {
        // Today's family and pieces of a sixth to a quarter of the bar (one
        // each) keep their 3 mm cut; the others take 0-5 mm in turn.
        const bool wide = spread.empty() || spread == "wide";
        const bool single = spread == "sixth";
        const double cut = wide || single ? 3.0 : static_cast<double>(index % 6);
        const auto family = std::find(SpreadNames().begin(), SpreadNames().end(), spread) - SpreadNames().begin();
        std::mt19937 generator(0x1e5u * static_cast<uint32_t>(lengths) + index +
                               (wide ? 0u : 0x9e3779b9u * static_cast<uint32_t>(family)));
        Instance instance;
        std::snprintf(name, sizeof name, "generated_%s%s%zu_%02u", wide ? "" : spread.c_str(), wide ? "" : "_",
                      lengths, index);
        instance.name = name;
        instance.barLength = 6000.0 + cut;
        std::set<int> taken; // lengths in tenths of a millimetre
        while (instance.details.size() < lengths) {
            const int tenths = SpreadLength(spread, generator);
            if (!taken.insert(tenths).second)
                continue;
            Detail d;
            d.name = L"P" + std::to_wstring(instance.details.size());
            d.length = tenths / 10.0 + cut;
            d.count = single ? 1 : std::uniform_int_distribution<int32_t>(1, 5)(generator);
            instance.details.push_back(d);
        }
        return instance;
    }
    std::mt19937 generator(0x5eed0000u + index);
    Instance instance;
    std::snprintf(name, sizeof name, "generated_%02u", index);
    instance.name = name;
    instance.barLength = (index / 2) % 2 ? 12000.0 : 6000.0;
    const bool tenths = index % 2 == 1;
    const size_t types = std::uniform_int_distribution<size_t>(130, 200)(generator);
    std::uniform_real_distribution<double> share(0.02, 0.6);
    std::uniform_int_distribution<int32_t> demand(1, 40);
    std::set<long> taken; // lengths in tenths of a millimetre
    while (instance.details.size() < types) {
        const double length = share(generator) * instance.barLength;
        const long tenthsOfMm = tenths ? std::lround(length * 10.0) : std::lround(length) * 10;
        if (!taken.insert(tenthsOfMm).second)
            continue;
        Detail d;
        d.length = tenthsOfMm / 10.0;
        d.count = demand(generator);
        d.name = L"L" + std::to_wstring(tenthsOfMm);
        instance.details.push_back(d);
    }
    return instance;
}

Instance LookalikeInstance(uint32_t index)
{
    static const char* const Families[] = {"close", "wide", "hard", "triplets"};
    const uint32_t family = index % 4;
    const uint32_t round = index / 4;
    std::mt19937 generator(0xfa000000u + index);
    auto uniform = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(generator); };
    std::map<long, int32_t> pieces;
    Instance instance;
    char name[32];
    std::snprintf(name, sizeof name, "%s_%02u", Families[family], round);
    instance.name = name;
    switch (family) {
    case 0:
        instance.barLength = 1000.0;
        for (int i = 0, n = round % 2 ? 120 : 100; i < n; ++i)
            ++pieces[uniform(150, 200)];
        break;
    case 1:
        instance.barLength = 10000.0;
        for (long i = 0, n = uniform(57, 239); i < n; ++i)
            ++pieces[uniform(150, 3000)];
        break;
    case 2:
        instance.barLength = 1000.0;
        for (long i = 0, n = uniform(160, 200); i < n; ++i)
            ++pieces[uniform(round % 2 ? 200 : 1, 800)];
        break;
    default: {
        const long bar = round % 2 ? 2500 : 1000;
        instance.barLength = static_cast<double>(bar);
        for (int b = 0; b < 67; ++b) {
            const long first = uniform(bar / 4 + 1, bar / 2 - 2);
            const long rest = bar - first;
            const long second = uniform(std::max(bar / 4 + 1, rest - (bar / 2 - 1)), std::min(bar / 2 - 1, rest - (bar / 4 + 1)));
            ++pieces[first];
            ++pieces[second];
            ++pieces[rest - second];
        }
    }
    }
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
        instance.details.push_back({L"L" + std::to_wstring(it->first), static_cast<double>(it->first), it->second});
    return instance;
}

bool CheckPlan(const std::vector<Detail>& details, double barLength, const MapLayout& plan, long& bars)
{
    std::vector<long> cut(details.size(), 0);
    bars = 0;
    for (const auto& [layout, number] : plan) {
        if (layout.size() != details.size() || number < 1.0 || number != std::floor(number))
            return false;
        double length = 0.0;
        long pieces = 0;
        for (size_t j = 0; j < layout.size(); ++j) {
            if (layout[j] < 0)
                return false;
            length += layout[j] * details[j].length;
            pieces += layout[j];
            cut[j] += layout[j] * static_cast<long>(number);
        }
        if (pieces == 0 || length > barLength + 1e-6)
            return false;
        bars += static_cast<long>(number);
    }
    for (size_t j = 0; j < details.size(); ++j)
        if (cut[j] != details[j].count)
            return false;
    return true;
}

Outcome Solve(const Instance& instance, uint32_t seed, double seconds)
{
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    SimplexMethodSolver solver;
    solver.SetRandomSeed(seed);
    solver.SetTimeLimit(seconds);
    solver.Init(instance.details, 0.0, instance.barLength, 0.0);
    outcome.code = solver.RunCalculate(instance.details);
    if (outcome.code == SimplexMethodSolver::Solved) {
        for (const auto& [layout, number] : solver.GetResult())
            outcome.lpBars += number;
        const MapLayout plan = solver.ReduceResultToDiscreteValues(instance.details);
        outcome.bound = static_cast<long>(std::ceil(solver.LowerBound() - 1e-6));
        outcome.planValid = CheckPlan(instance.details, instance.barLength, plan, outcome.bars);
    }
    outcome.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

} // namespace linear_instances
