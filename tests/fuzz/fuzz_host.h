// What the fuzz entry points share: one headless host for the whole run, in a
// folder of its own, and the input written as the DXF file it converts.
#pragma once

#include "vlhost/Host.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace fuzzhost {

inline std::filesystem::path Scratch(const char* name)
{
    const std::filesystem::path shm("/dev/shm");
    std::error_code ec;
    const std::filesystem::path base = std::filesystem::is_directory(shm, ec) ? shm : std::filesystem::temp_directory_path();
    return base / (std::string(name) + "-" + std::to_string(getpid()));
}

// Takes away the fragments a run before left in `folder`.
inline void ClearFragments(const std::filesystem::path& folder)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".vfw")
            std::filesystem::remove(entry.path(), ec);
}

inline void WriteInput(const std::filesystem::path& file, const uint8_t* data, size_t size)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                     static_cast<std::streamsize>(size));
}

// A broken promise: printed, then the run stops as libFuzzer stops on a crash.
[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

}  // namespace fuzzhost
