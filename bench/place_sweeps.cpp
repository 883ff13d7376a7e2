#include "place_sweeps.h"

#include <array>

#include "host/VarnelAPI.h"
#include "support/cgal_areas.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace place_sweeps {

namespace {

struct Totals {
    size_t runs = 0;
    size_t failed = 0;
    double slowest = 0.0;
};

// One row of a sweep; a run with a copy not placed or a pair overlapping or
// unmeasured fails.
void Report(const char* label, const place_check::Instance& instance, const place_check::Outcome& outcome,
            Totals& totals)
{
    if (!outcome.refused.empty()) {
        std::printf("%-10s %-14s refused: %s  FAILED\n", instance.name.c_str(), label, outcome.refused.c_str());
        ++totals.runs;
        ++totals.failed;
        return;
    }
    size_t unmeasured = 0;
    for (const place_check::Overlap& o : outcome.overlaps)
        unmeasured += !o.unmeasured.empty();
    const bool ok = outcome.placed == outcome.copies.size() && outcome.overlaps.empty();
    std::printf("%-10s %-14s strip %9.2f  pieces %5zu  placed %5zu  overlaps %zu  unmeasured %zu  density %.4f  "
                "%7.2f s%s\n",
                instance.name.c_str(), label, instance.stripHeight, outcome.copies.size(), outcome.placed,
                outcome.overlaps.size() - unmeasured, unmeasured, outcome.density, outcome.seconds,
                ok ? "" : "  FAILED");
    std::fflush(stdout);
    ++totals.runs;
    totals.failed += !ok;
    totals.slowest = std::max(totals.slowest, outcome.seconds);
}

int Summary(const char* sweep, const Totals& totals)
{
    std::printf("place_bench %s: runs %zu, failed %zu, max_s %.2f\n", sweep, totals.runs, totals.failed,
                totals.slowest);
    return totals.runs > 0 && totals.failed == 0 ? 0 : 1;
}

bool Load(const fs::path& file, place_check::Instance& instance)
{
    std::string error;
    if (!place_check::LoadInstance(file, instance, error)) {
        std::fprintf(stderr, "place_bench: %s\n", error.c_str());
        return false;
    }
    place_check::ScaleToMillimetres(instance);
    return true;
}

} // namespace

place_check::Outcome PlaceOnFreshHost(const place_check::Instance& instance, const fs::path& scratch)
{
    std::error_code ec;
    fs::remove_all(scratch, ec);
    vlhost::Host host(scratch);
    application = host.Application();
    resourceModule = application->GetResourcesModule(L"Nesting");
    host.NewDrawing();
    place_check::Outcome outcome = place_check::PlaceOnStrip(instance);
    application = nullptr;
    resourceModule = nullptr;
    return outcome;
}

place_check::Instance Resized(const place_check::Instance& instance, size_t pieces)
{
    place_check::Instance resized = instance;
    size_t demand = 0;
    for (const place_check::Item& item : instance.items)
        demand += static_cast<size_t>(item.demand);
    if (demand == 0 || resized.items.empty())
        return resized;
    size_t given = 0;
    for (place_check::Item& item : resized.items) {
        item.demand = static_cast<int>(pieces * static_cast<size_t>(item.demand) / demand);
        given += static_cast<size_t>(item.demand);
    }
    for (size_t k = 0; given < pieces; k = (k + 1) % resized.items.size(), ++given)
        ++resized.items[k].demand;
    return resized;
}

double TallestPartHeight(const place_check::Instance& instance)
{
    double tallest = 0.0;
    for (const place_check::Item& item : instance.items) {
        auto allows = [&](double angle) {
            return item.orientations.empty() ||
                   std::any_of(item.orientations.begin(), item.orientations.end(),
                               [&](double a) { return std::fabs(a - angle) < 1e-9; });
        };
        double lowest = HUGE_VAL;
        for (double angle : {0.0, 90.0}) {
            if (!allows(angle))
                continue;
            // The part's material: a spike of its outline adds no height.
            const place_check::Ring turned =
                esicup::Turned(areas::Material(item.ring), angle);
            const auto [low, high] = std::minmax_element(
                turned.begin(), turned.end(), [](const NPoint& a, const NPoint& b) { return a.y < b.y; });
            lowest = std::min(lowest, high->y - low->y);
        }
        if (std::isfinite(lowest))
            tallest = std::max(tallest, lowest);
    }
    return tallest;
}

int SizeSweep(const fs::path& file, const std::vector<size_t>& sizes, const fs::path& scratch)
{
    place_check::Instance instance;
    if (!Load(file, instance))
        return 1;
    Totals totals;
    for (size_t pieces : sizes) {
        const place_check::Instance resized = Resized(instance, pieces);
        Report("size", resized, PlaceOnFreshHost(resized, scratch), totals);
    }
    return Summary("sizes", totals);
}

int StripSweep(const std::vector<fs::path>& inputs, const fs::path& scratch)
{
    std::vector<fs::path> files;
    for (const fs::path& input : inputs) {
        std::error_code ec;
        if (!fs::is_directory(input, ec)) {
            files.push_back(input);
            continue;
        }
        std::vector<fs::path> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(input, ec))
            if (entry.path().extension() == ".json")
                found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    Totals totals;
    for (const fs::path& file : files) {
        place_check::Instance instance;
        if (!Load(file, instance))
            return 1;
        const double tallest = TallestPartHeight(instance);
        std::vector<std::pair<std::string, double>> strips;
        for (double factor : {1.0, 1.02, 1.1, 1.25, 1.5, 2.0, 3.0}) {
            char label[32];
            std::snprintf(label, sizeof label, "tallest x%.2f", factor);
            strips.emplace_back(label, tallest * factor);
        }
        // Exactly as tall, a hair taller and a millimetre taller: the fits that
        // rounding decides.
        strips.emplace_back("tallest +0.001", tallest + 0.001);
        strips.emplace_back("tallest +1", tallest + 1.0);
        strips.emplace_back("own", instance.stripHeight);
        for (const auto& [label, height] : strips) {
            place_check::Instance strip = instance;
            strip.stripHeight = height;
            Report(label.c_str(), strip, PlaceOnFreshHost(strip, scratch), totals);
        }
    }
    return Summary("strips", totals);
}

namespace {

// A job of bars (length, width, pieces) on a strip `height` high, each bar
// turned in steps of `step` degrees.
place_check::Instance Bars(const std::string& name, const std::vector<std::array<double, 3>>& bars, double height,
                           double step)
{
    place_check::Instance instance;
    instance.name = name;
    instance.stripHeight = height;
    instance.millimetres = true;
    for (const auto& [length, width, pieces] : bars) {
        place_check::Item item;
        item.id = std::to_string(instance.items.size());
        item.ring = {{0.0, 0.0}, {length, 0.0}, {length, width}, {0.0, width}};
        item.demand = static_cast<int>(pieces);
        for (double a = 0.0; a < 360.0 - 1e-9; a += step)
            item.orientations.push_back(a);
        instance.items.push_back(std::move(item));
    }
    return instance;
}

} // namespace

int TurnSweep(const fs::path& scratch)
{
    constexpr double kMostSecondsAlone = 0.5; // one piece
    constexpr double kMostSeconds = 2.0;
    constexpr double kMostMegabytes = 500.0;
    struct Job {
        std::string name;
        std::vector<std::array<double, 3>> bars;
        std::vector<double> heights;
    };
    const std::vector<Job> jobs = {
        {"bar 4000x20", {{4000, 20, 1}}, {21, 30, 60, 200, 1000, 3000}},
        {"bar 1000x20", {{1000, 20, 1}}, {21, 30, 60, 200}},
        {"bars 4000x20", {{4000, 20, 3}}, {60, 61}},
        {"bars mixed", {{4000, 20, 2}, {1500, 20, 3}, {500, 15, 6}, {200, 10, 10}}, {60, 120}},
        {"bar and plates", {{4000, 20, 1}, {50, 8, 40}}, {30}},
        {"bars 60x10", {{60, 10, 66}}, {60}},
    };
    size_t runs = 0, failed = 0;
    double slowest = 0.0, largest = 0.0;
    for (const Job& job : jobs) {
        for (const double height : job.heights) {
            for (const double step : {90.0, 45.0}) {
                const place_check::Instance instance = Bars(job.name, job.bars, height, step);
                int channel[2];
                if (pipe(channel) != 0)
                    return 1;
                std::fflush(stdout);
                const pid_t child = fork();
                if (child == 0) {
                    close(channel[0]);
                    alarm(120);
                    const place_check::Outcome outcome = PlaceOnFreshHost(instance, scratch);
                    size_t unmeasured = 0;
                    for (const place_check::Overlap& o : outcome.overlaps)
                        unmeasured += !o.unmeasured.empty();
                    char line[256];
                    const int n = std::snprintf(line, sizeof line, "%zu %zu %zu %zu %.6f %.6f %s",
                                                outcome.copies.size(), outcome.placed,
                                                outcome.overlaps.size() - unmeasured, unmeasured, outcome.density,
                                                outcome.seconds, outcome.refused.empty() ? "-" : "refused");
                    const bool written = n > 0 && write(channel[1], line, static_cast<size_t>(n)) == n;
                    _exit(written ? 0 : 1);
                }
                close(channel[1]);
                char buffer[256] = {};
                const ssize_t got = child > 0 ? read(channel[0], buffer, sizeof buffer - 1) : -1;
                close(channel[0]);
                int status = 0;
                rusage usage{};
                const bool ended = child > 0 && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) &&
                                   WEXITSTATUS(status) == 0;
                size_t copies = 0, placed = 0, overlaps = 0, unmeasured = 0;
                double density = 0.0, seconds = 0.0;
                char refused[16] = {};
                const bool read = ended && got > 0 &&
                                  std::sscanf(buffer, "%zu %zu %zu %zu %lf %lf %15s", &copies, &placed, &overlaps,
                                              &unmeasured, &density, &seconds, refused) == 7;
                const double megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
                const bool ok = read && std::string(refused) == "-" && copies > 0 && placed == copies &&
                                overlaps == 0 && unmeasured == 0 &&
                                seconds < (copies == 1 ? kMostSecondsAlone : kMostSeconds) &&
                                megabytes < kMostMegabytes;
                // The strip is as long as the bars laid end to end.
                double length = 0.0;
                for (const auto& bar : job.bars)
                    length += bar[0] * bar[2];
                std::printf("%-15s strip %6.0f  length/width %6.1f  turns %2.0f°  pieces %3zu  placed %3zu  overlaps "
                            "%zu  density %.4f  %6.3f s  %7.1f MB%s\n",
                            job.name.c_str(), height, length / height, step, copies, placed, overlaps + unmeasured,
                            density, seconds, megabytes, ok ? "" : "  FAILED");
                ++runs;
                failed += !ok;
                slowest = std::max(slowest, seconds);
                largest = std::max(largest, megabytes);
            }
        }
    }
    std::printf("place_bench turns: runs %zu, failed %zu, max_s %.3f, max_MB %.1f\n", runs, failed, slowest, largest);
    return runs > 0 && failed == 0 ? 0 : 1;
}

} // namespace place_sweeps
