// Compares the orbiting no-fit polygons with exact Minkowski sums over every
// instance file of a folder: nfp_oracle DIR
#include "nfp_reference.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: nfp_oracle DIR\n";
        return 2;
    }
    try {
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
            if (entry.path().extension() == ".json")
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
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
        std::cout << total.Line("nfp_oracle") << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "nfp_oracle: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
