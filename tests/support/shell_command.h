// Running a command line through the shell and reading what it prints, for
// the tests and tools that check files with outside programs (Debian's
// python3 with ezdxf, rsvg-convert, the project's own tools).
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace shellcommand {

// The text in single quotes for the shell.
inline std::string Quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

struct Outcome {
    int status = -1;     // the exit status; -1 when the command did not end normally
    std::string output;  // standard output and standard error together
};

inline Outcome Run(const std::string& command)
{
    Outcome outcome;
    if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            outcome.output.append(buffer, n);
        const int status = pclose(pipe);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return outcome;
}

}  // namespace shellcommand
