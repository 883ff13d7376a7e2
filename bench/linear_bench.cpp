// linear_bench DIR [seconds]
// linear_bench --generated [count] [seconds] [lengths] [spread] [limit]
// linear_bench --lookalike [count] [seconds]
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
//
// --generated runs `count` (default 20) generated instances with 130-200
// distinct lengths instead, or, with `lengths`, jobs of that many distinct
// lengths as the linear-nesting editor gives them (500 to 5,000 are the
// sizes to watch; `spread` picks the lengths: "wide" 100-2,900 mm, "long"
// 1,500-3,500, "third" and "half" many just over a third or a half of the
// bar, "short" 20-800, "any" 100-5,900, "sixth" 1,000-1,500 one piece
// each), whose optimum is unknown: each must end with a checked plan;
// `limit` gives the solver the time limit the editor gives it (8 s) and the
// editor's seed;
// "at_bound" counts the plans that reach the bound the solver proved (the
// rounded-up fractional bars, the pieces' total length or the relaxation
// over classes of their lengths), which makes them optimal, "within_one"
// those at most one bar above it.
//   linear_bench generated: instances N, planned P, at_bound K, within_one W, failed F, timeouts T, median_ms X, max_ms Y, peak_mb Z
//
// --lookalike runs `count` (default 100) instances of four families made
// like published ones (lengths close to each other, hard to round,
// triplets; see linear_instances.h) the same way, closing with
//   linear_bench lookalike: ...
#include "linear_instances.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using linear_instances::Instance;
using linear_instances::Outcome;

namespace {

constexpr uint32_t Seed = 20261207;
constexpr uint32_t EditorSeed = 1;
// The solver's own time limit (none when 0), and then the editor's seed.
double g_limit = 0.0;

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
        const Outcome result = linear_instances::Solve(instance, g_limit > 0.0 ? EditorSeed : Seed, g_limit);
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

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t h = values.size() / 2;
    return values.size() % 2 ? values[h] : (values[h - 1] + values[h]) / 2.0;
}

double PeakMb()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss / 1024.0;
}

double Max(const std::vector<double>& values)
{
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

// A run that did not answer: its line, and the budget as its time.
void ReportLost(const std::string& name, Run run, double seconds, std::vector<double>& times)
{
    times.push_back(seconds * 1000.0);
    std::printf("%s: %s\n", name.c_str(), run == Run::TimedOut ? "timeout" : "WRONG (the solver crashed)");
}

int RunFolder(const fs::path& dir, double seconds)
{
    const std::map<std::string, long> optima = linear_instances::ReadOptima(dir / "optimum.txt");
    size_t instances = 0, optimal = 0, above = 0, below = 0, timeouts = 0;
    std::vector<double> times;
    for (const fs::path& file : linear_instances::InstanceFiles(dir)) {
        Instance instance;
        std::string error;
        const std::string name = file.stem().string();
        const auto optimum = optima.find(name);
        if (!linear_instances::ReadInstance(file, instance, error) || optimum == optima.end()) {
            std::printf("%s: skipped (%s)\n", name.c_str(), error.empty() ? "no proven optimum" : error.c_str());
            continue;
        }
        ++instances;
        Outcome outcome;
        const Run run = SolveInChild(instance, seconds, outcome);
        if (run != Run::Answered) {
            ReportLost(name, run, seconds, times);
            ++(run == Run::TimedOut ? timeouts : below);
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
    std::printf("linear_bench: instances %zu, optimal %zu, above %zu, below %zu, timeouts %zu, "
                "median_ms %.1f, max_ms %.1f, peak_mb %.1f\n",
                instances, optimal, above, below, timeouts, Median(times), Max(times), PeakMb());
    return below == 0 ? 0 : 1;
}

int RunGenerated(uint32_t count, double seconds, size_t lengths, const std::string& spread, bool lookalike)
{
    size_t planned = 0, atBound = 0, withinOne = 0, failed = 0, timeouts = 0;
    std::vector<double> times;
    for (uint32_t index = 0; index < count; ++index) {
        const Instance instance = lookalike ? linear_instances::LookalikeInstance(index)
                                            : linear_instances::GeneratedInstance(index, lengths, spread);
        Outcome outcome;
        const Run run = SolveInChild(instance, seconds, outcome);
        if (run != Run::Answered) {
            ReportLost(instance.name, run, seconds, times);
            ++(run == Run::TimedOut ? timeouts : failed);
            continue;
        }
        times.push_back(outcome.ms);
        const bool ok = outcome.code == SimplexMethodSolver::Solved && outcome.planValid;
        const long bound = outcome.bound;
        planned += ok;
        failed += !ok;
        atBound += ok && outcome.bars == bound;
        withinOne += ok && outcome.bars <= bound + 1;
        std::printf("%s: lengths %zu, bar %.0f, bars %ld, bound %ld, lp %.3f, code %zu, %.1f ms, %s\n",
                    instance.name.c_str(), instance.details.size(), instance.barLength, outcome.bars, bound,
                    outcome.lpBars, outcome.code, outcome.ms,
                    !ok ? "WRONG (no valid plan)" : outcome.bars == bound ? "at bound"
                    : outcome.bars == bound + 1 ? "one above the bound" : "above bound");
        std::fflush(stdout);
    }
    std::printf("linear_bench %s: instances %u, planned %zu, at_bound %zu, within_one %zu, failed %zu, "
                "timeouts %zu, median_ms %.1f, max_ms %.1f, peak_mb %.1f\n",
                lookalike ? "lookalike" : "generated", count, planned, atBound, withinOne, failed, timeouts, Median(times),
                Max(times), PeakMb());
    return failed == 0 && timeouts == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: linear_bench DIR [seconds]\n       linear_bench --generated [count] [seconds] [lengths] [spread] [limit]\n"
                     "       linear_bench --lookalike [count] [seconds]\n";
        return 2;
    }
    if (std::string(argv[1]) == "--generated") {
        const long count = argc > 2 ? std::atol(argv[2]) : 20;
        const double seconds = argc > 3 ? std::atof(argv[3]) : 1.0;
        const long lengths = argc > 4 ? std::atol(argv[4]) : 0;
        const std::string spread = argc > 5 ? argv[5] : "wide";
        g_limit = argc > 6 ? std::max(std::atof(argv[6]), 0.0) : 0.0;
        const auto& spreads = linear_instances::SpreadNames();
        if (std::find(spreads.begin(), spreads.end(), spread) == spreads.end()) {
            std::cerr << "linear_bench: unknown spread " << spread << "\n";
            return 2;
        }
        return RunGenerated(static_cast<uint32_t>(std::max(count, 0L)), seconds, static_cast<size_t>(std::max(lengths, 0L)),
                            spread, false);
    }
    if (std::string(argv[1]) == "--lookalike") {
        const long count = argc > 2 ? std::atol(argv[2]) : 100;
        return RunGenerated(static_cast<uint32_t>(std::max(count, 0L)), argc > 3 ? std::atof(argv[3]) : 2.0, 0, {}, true);
    }
    return RunFolder(argv[1], argc > 2 ? std::atof(argv[2]) : 1.0);
}
