// linear_bench DIR [seconds]
//
// Runs the linear cutting-stock solver and its rounding to whole bars on every
// BPPLIB instance under DIR (files "count / bar length / length demand..."),
// checks the plan (every bar fits, every demand is met exactly) and compares
// the bars used with DIR/optimum.txt. Each instance runs in a child process
// that is stopped at the time budget (default 1 s), so memory and time are
// measured per instance. One line per instance, then the closing line
//   linear_bench: instances N, optimal K, above A, below B, timeouts T, median_ms X, max_ms Y, peak_mb Z
// where "below" counts every wrong answer: fewer bars than the proven
// optimum, a plan that does not fit or does not meet the demand, a solver
// error or a crash. A timed-out instance counts the budget as its time.
#include "engine/LinearNesting/SimplexMethodSolver.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t Seed = 20261207;

struct Instance {
    double barLength = 0.0;
    std::vector<Detail> details;
};

// What a child process sends back.
struct Outcome {
    size_t code = 0;
    long bars = 0;
    bool planValid = false;
    double lpBars = 0.0;
    double ms = 0.0;
};

bool ReadInstance(const fs::path& path, Instance& instance)
{
    std::ifstream in(path);
    size_t types = 0;
    if (!(in >> types >> instance.barLength))
        return false;
    for (size_t i = 0; i < types; ++i) {
        Detail d;
        if (!(in >> d.length >> d.count))
            return false;
        d.name = std::to_wstring(static_cast<long>(d.length)) + L"-" + std::to_wstring(i);
        instance.details.push_back(d);
    }
    return true;
}

std::map<std::string, long> ReadOptima(const fs::path& path)
{
    std::map<std::string, long> optima;
    std::ifstream in(path);
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

// Every bar of the plan fits and the pieces meet every demand exactly.
bool CheckPlan(const Instance& instance, const MapLayout& plan, long& bars)
{
    std::vector<long> cut(instance.details.size(), 0);
    bars = 0;
    for (const auto& [layout, number] : plan) {
        if (layout.size() != cut.size() || number < 1.0 || number != static_cast<long>(number))
            return false;
        double length = 0.0;
        for (size_t j = 0; j < layout.size(); ++j) {
            if (layout[j] < 0)
                return false;
            length += layout[j] * instance.details[j].length;
            cut[j] += layout[j] * static_cast<long>(number);
        }
        if (length > instance.barLength + 1e-6)
            return false;
        bars += static_cast<long>(number);
    }
    for (size_t j = 0; j < cut.size(); ++j)
        if (cut[j] != instance.details[j].count)
            return false;
    return true;
}

Outcome Solve(const Instance& instance)
{
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    SimplexMethodSolver solver;
    solver.SetRandomSeed(Seed);
    solver.Init(instance.details, 0.0, instance.barLength, 0.0);
    outcome.code = solver.RunCalculate(instance.details);
    if (outcome.code == SimplexMethodSolver::Solved) {
        for (const auto& [layout, number] : solver.GetResult())
            outcome.lpBars += number;
        const MapLayout plan = solver.ReduceResultToDiscreteValues(instance.details);
        outcome.planValid = CheckPlan(instance, plan, outcome.bars);
    }
    outcome.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

enum class Run { Answered, TimedOut, Failed };

// Solves in a child process, stopped when it has not answered in time.
Run SolveInChild(const Instance& instance, double seconds, Outcome& outcome)
{
    int fds[2];
    if (pipe(fds) != 0)
        return Run::Failed;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const Outcome result = Solve(instance);
        const bool written = write(fds[1], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
        _exit(written ? 0 : 1);
    }
    close(fds[1]);
    pollfd pfd{fds[0], POLLIN, 0};
    const bool ready = pid > 0 && poll(&pfd, 1, static_cast<int>(seconds * 1000.0)) == 1;
    const bool answered = ready && read(fds[0], &outcome, sizeof outcome) == static_cast<ssize_t>(sizeof outcome);
    close(fds[0]);
    if (pid > 0) {
        if (!ready)
            kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return answered ? Run::Answered : ready ? Run::Failed : Run::TimedOut;
}

std::vector<fs::path> InstanceFiles(const fs::path& dir)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".txt" && entry.path().filename() != "optimum.txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t h = values.size() / 2;
    return values.size() % 2 ? values[h] : (values[h - 1] + values[h]) / 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: linear_bench DIR [seconds]\n";
        return 2;
    }
    const fs::path dir = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 1.0;
    const std::map<std::string, long> optima = ReadOptima(dir / "optimum.txt");
    size_t instances = 0, optimal = 0, above = 0, below = 0, timeouts = 0;
    std::vector<double> times;
    for (const fs::path& file : InstanceFiles(dir)) {
        const std::string name = file.stem().string();
        Instance instance;
        const auto optimum = optima.find(name);
        if (!ReadInstance(file, instance) || optimum == optima.end()) {
            std::printf("%s: skipped (unreadable or no proven optimum)\n", name.c_str());
            continue;
        }
        ++instances;
        Outcome outcome;
        const Run run = SolveInChild(instance, seconds, outcome);
        if (run != Run::Answered) {
            times.push_back(seconds * 1000.0);
            if (run == Run::TimedOut)
                ++timeouts;
            else
                ++below;
            std::printf("%s: %s\n", name.c_str(), run == Run::TimedOut ? "timeout" : "WRONG (the solver crashed)");
            continue;
        }
        times.push_back(outcome.ms);
        const char* verdict = "optimal";
        if (outcome.code != SimplexMethodSolver::Solved || !outcome.planValid || outcome.bars < optimum->second) {
            ++below;
            verdict = outcome.code != SimplexMethodSolver::Solved ? "WRONG (solver error)"
                      : !outcome.planValid                         ? "WRONG (invalid plan)"
                                                                   : "WRONG (below the optimum)";
        } else if (outcome.bars > optimum->second) {
            ++above;
            verdict = "above";
        } else {
            ++optimal;
        }
        std::printf("%s: bars %ld, optimum %ld, lp %.3f, code %zu, %.1f ms, %s\n", name.c_str(), outcome.bars,
                    optimum->second, outcome.lpBars, outcome.code, outcome.ms, verdict);
        std::fflush(stdout);
    }
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const double maxMs = times.empty() ? 0.0 : *std::max_element(times.begin(), times.end());
    std::printf("linear_bench: instances %zu, optimal %zu, above %zu, below %zu, timeouts %zu, "
                "median_ms %.1f, max_ms %.1f, peak_mb %.1f\n",
                instances, optimal, above, below, timeouts, Median(times), maxMs, usage.ru_maxrss / 1024.0);
    return below == 0 ? 0 : 1;
}
