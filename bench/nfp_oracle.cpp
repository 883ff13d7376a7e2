// Compares the orbiting no-fit polygons with exact Minkowski sums over every
// instance file of a folder: nfp_oracle [DIR] (default: the shared ESICUP set).
// Bad pairs are printed on the error stream; a ring that is not simple is a
// mismatch, never handed to the exact arithmetic.
#include "support/nfp_reference.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc > 2) {
        std::cerr << "usage: nfp_oracle [DIR]\n";
        return 2;
    }
    try {
        const std::filesystem::path dir = argc == 2 ? argv[1] : std::filesystem::path(NESTING_DATA_DIR) / "esicup";
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().extension() == ".json")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        const auto start = std::chrono::steady_clock::now();
        nfp_oracle::Summary total;
        for (const auto& file : files) {
            nfp_oracle::Instance instance;
            std::string error;
            if (!nfp_oracle::LoadInstance(file, instance, error)) {
                std::cerr << error << "\n";
                return 1;
            }
            nfp_oracle::Summary s = nfp_oracle::RunInstance(instance, &std::cerr);
            std::cout << s.Line(instance.name) << std::endl;
            total.Add(s);
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::cout << total.Line("nfp_oracle") << ", total_s " << std::fixed << std::setprecision(0) << seconds
                  << std::endl;
        return total.mismatches == 0 && total.failures == 0 ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << "nfp_oracle: " << e.what() << "\n";
        return 1;
    }
}
