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

// The run's own folder, made afresh and taken away at the end.
struct Folder {
    std::filesystem::path path;

    explicit Folder(const char* name)
    {
        const std::filesystem::path shm("/dev/shm");
        std::error_code ec;
        const bool memory = std::filesystem::is_directory(shm, ec);
        path = (memory ? shm : std::filesystem::temp_directory_path()) / (std::string(name) + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(path, ec);
        std::filesystem::create_directories(path, ec);
    }
    ~Folder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

// The input written as `file`, once the fragments the run before left in
// `fragments` are gone.
inline void TakeInput(const std::filesystem::path& file, const std::filesystem::path& fragments, const uint8_t* data,
                      size_t size)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(fragments, ec))
        if (entry.path().extension() == ".vfw")
            std::filesystem::remove(entry.path(), ec);
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                     static_cast<std::streamsize>(size));
}

// A broken promise: printed, then the run stops as libFuzzer stops on a crash.
[[noreturn]] inline void Fail(const std::string& what)
{
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::abort();
}

// A fragment that was written opens again; `what` names it in the failure.
inline void ExpectOpens(vlhost::Host& host, const std::filesystem::path& fragment, const std::string& what)
{
    vlapi::IVarnelDocumentPtr written = host.Open(fragment, false);
    if (!written)
        Fail(what + " does not open: " + vlhost::Host::Utf8(host.State().errorText));
    written->Close(0);
}

}  // namespace fuzzhost
