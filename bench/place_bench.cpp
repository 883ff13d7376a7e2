// place_bench [DIR]: places every ESICUP instance of DIR (*.json; default the
// shared data's esicup folder) on one strip sheet through the working model on
// the stand-in host, at a realistic scale in millimetres, and prints per
// instance the copies placed, the overlapping pairs (exact, each outline
// shrunk by 0.05 mm), the density and the time of the placement run alone.
// A pair whose outlines the exact check cannot take is printed as unmeasured.
// Every item is tried in exactly the orientations it allows; an instance the
// engine cannot turn so (or a file that is no instance) is refused, and the
// others run. Exit status 1 when an instance is refused, a copy is not
// placed, a pair overlaps or cannot be measured. `--sizes FILE [N ...]`,
// `--strips FILE|DIR ...` and `--turns` run the sweeps of place_sweeps.h
// instead.
#include "place_sweeps.h"
#include "support/place_reference.h"

#include "host/VarnelAPI.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    const fs::path scratch = fs::temp_directory_path() / ("place_bench-" + std::to_string(getpid()));
    if (argc > 2 && std::string(argv[1]) == "--sizes") {
        std::vector<size_t> sizes;
        for (int k = 3; k < argc; ++k)
            sizes.push_back(std::stoul(argv[k]));
        if (sizes.empty())
            sizes = {100, 200, 500, 1000, 2000};
        const int status = place_sweeps::SizeSweep(argv[2], sizes, scratch);
        fs::remove_all(scratch);
        return status;
    }
    if (argc > 2 && std::string(argv[1]) == "--strips") {
        const int status = place_sweeps::StripSweep({argv + 2, argv + argc}, scratch);
        fs::remove_all(scratch);
        return status;
    }
    if (argc == 2 && std::string(argv[1]) == "--turns") {
        const int status = place_sweeps::TurnSweep(scratch);
        fs::remove_all(scratch);
        return status;
    }
    if (argc > 2) {
        std::fprintf(stderr, "usage: place_bench [DIR] | --sizes FILE [N ...] | --strips FILE|DIR ... | --turns\n");
        return 2;
    }
    const fs::path folder = argc == 2 ? fs::path(argv[1]) : fs::path(NESTING_DATA_DIR) / "esicup";
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".json")
            files.push_back(entry.path());
    if (ec || files.empty()) {
        std::fprintf(stderr, "place_bench: no instance in %s\n", folder.c_str());
        return 1;
    }
    std::sort(files.begin(), files.end());
    size_t instances = 0, refused = 0, placed = 0, total = 0, overlaps = 0, unmeasuredPairs = 0;
    double densities = 0.0, seconds = 0.0, slowest = 0.0;
    for (const fs::path& file : files) {
        place_check::Instance instance;
        std::string error;
        if (!place_check::LoadInstance(file, instance, error)) {
            std::printf("%-10s refused: %s\n", file.stem().c_str(), error.c_str());
            ++refused;
            continue;
        }
        place_check::ScaleToMillimetres(instance);
        const place_check::Outcome outcome = place_sweeps::PlaceOnFreshHost(instance, scratch);
        if (!outcome.refused.empty()) {
            std::printf("%-10s refused: %s\n", instance.name.c_str(), outcome.refused.c_str());
            ++refused;
            continue;
        }
        double largest = 0.0;
        size_t unmeasured = 0;
        for (const place_check::Overlap& o : outcome.overlaps) {
            largest = std::max(largest, o.area);
            unmeasured += !o.unmeasured.empty();
        }
        std::printf("%-10s placed %3zu of %3zu, overlaps %zu (largest %.6f mm²), unmeasured %zu, density %.4f, "
                    "%6.2f s\n",
                    instance.name.c_str(), outcome.placed, outcome.copies.size(), outcome.overlaps.size() - unmeasured,
                    largest, unmeasured, outcome.density, outcome.seconds);
        for (size_t c = 0; c < outcome.copies.size(); ++c)
            if (!outcome.copies[c].placed)
                std::printf("    copy %zu (item %s) not placed: %s\n", c,
                            instance.items[outcome.copies[c].item].id.c_str(), outcome.copies[c].why.c_str());
        for (const place_check::Overlap& o : outcome.overlaps)
            std::printf("    %s: %s\n", o.unmeasured.empty() ? "overlap" : "unmeasured",
                        place_check::Describe(instance, outcome, o).c_str());
        std::fflush(stdout);
        ++instances;
        placed += outcome.placed;
        total += outcome.copies.size();
        overlaps += outcome.overlaps.size() - unmeasured;
        unmeasuredPairs += unmeasured;
        densities += outcome.density;
        seconds += outcome.seconds;
        slowest = std::max(slowest, outcome.seconds);
    }
    fs::remove_all(scratch, ec);
    std::printf("place_bench: instances %zu, refused %zu, placed %zu of %zu, overlapping pairs %zu, unmeasured pairs %zu, "
                "mean_density %.4f, max_s %.2f, total_s %.2f\n",
                instances, refused, placed, total, overlaps, unmeasuredPairs,
                instances ? densities / static_cast<double>(instances) : 0.0, slowest, seconds);
    return refused == 0 && placed == total && overlaps == 0 && unmeasuredPairs == 0 ? 0 : 1;
}
