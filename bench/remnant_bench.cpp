// remnant_bench [JOB ...]: the remnants command (command 4) on placed jobs
// of many parts turned by 45°, as a user plays it on the stand-in host: the
// remnants built from the sheets' free area, then as rectangles only (the
// minimum size as the command sets it, then that and 50 mm or 1 mm: two
// builds; at 1 mm nearly every free rectangle is kept and stretched).
// Jobs: "sheet" (286 parts on a sheet 3000 × 1500), "strip" (2,000 parts
// three times as large on a sheet 100000 × 3000), "sheets" (1,000 parts on
// sheets 3000 × 1500); all by default. Each job's parts (thirteen kinds: plates, angles, gussets,
// flanges and washers with holes, lugs with an arc, ribs, hexagons, slotted
// plates) are made by tools/nesting_job and placed by the optimisation with
// turns of 45° (not timed); each run then opens the placed drawing in a
// process of its own, and prints the seconds of the command (from its
// choice to Enter, every build the panel makes included) and the peak
// memory of the process (the drawing's own included: the free-area run
// shows how much that is). tools/job_check then checks every remnant of
// the drawing the run saved: none holds a part or comes nearer to one than
// the part gap, none is under the minimum size. Exit status 1 when a run or
// a check fails, or when the rectangles take longer than 3 s.
#include "vlapi/Library.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr double kMostSeconds = 3.0; // for the rectangles

struct Job {
    std::string name;
    int parts;
    double scale; // of the parts' sizes
    double width, height;
};

// One line of nesting_job's parts list per kind, `count` pieces in all.
std::string PartsList(int count, double scale)
{
    const auto ring = [&](const std::vector<std::pair<double, double>>& points) {
        std::string text;
        for (const auto& [x, y] : points)
            text += (text.empty() ? "" : " ") + std::to_string(x * scale) + "," + std::to_string(y * scale);
        return text;
    };
    const auto circle = [&](double x, double y, double r) {
        return "@" + std::to_string(x * scale) + "," + std::to_string(y * scale) + "," + std::to_string(r * scale);
    };
    std::vector<std::pair<double, double>> hexagon;
    for (int k = 0; k < 6; ++k)
        hexagon.emplace_back(50 + 50 * std::cos(k * M_PI / 3), 50 + 50 * std::sin(k * M_PI / 3));
    const std::vector<std::pair<std::string, std::string>> kinds = {
        {"Планка", ring({{0, 0}, {160, 0}, {160, 60}, {0, 60}})},
        {"Уголок", ring({{0, 0}, {120, 0}, {120, 30}, {30, 30}, {30, 110}, {0, 110}})},
        {"Косынка", ring({{0, 0}, {130, 0}, {0, 100}})},
        {"Трапеция", ring({{0, 0}, {150, 0}, {115, 70}, {35, 70}})},
        {"Фланец", circle(60, 60, 60) + ";" + circle(60, 60, 25)},
        {"Пластина",
         ring({{0, 0}, {140, 0}, {140, 90}, {0, 90}}) + ";" + ring({{30, 25}, {110, 25}, {110, 65}, {30, 65}})},
        {"Проушина", ring({{0, 0}, {100, 0}, {100, 50}}) + ",1 " + ring({{0, 50}})},
        {"Ребро", ring({{0, 0}, {180, 0}, {180, 20}, {90, 50}, {0, 20}})},
        {"Шестигранник", ring(hexagon)},
        {"Кронштейн", ring({{0, 0}, {100, 0}, {100, 40}, {60, 40}, {60, 100}, {0, 100}})},
        {"Шайба", circle(40, 40, 40) + ";" + circle(40, 40, 15)},
        {"Паз", ring({{0, 0}, {150, 0}, {150, 70}, {95, 70}, {95, 30}, {55, 30}, {55, 70}, {0, 70}})},
        {"Клин", ring({{0, 0}, {170, 0}, {170, 45}})},
    };
    std::string list;
    const int n = static_cast<int>(kinds.size());
    for (int k = 0; k < n; ++k) {
        const int pieces = count / n + (k < count % n ? 1 : 0);
        list += kinds[static_cast<size_t>(k)].first + "|" + std::to_string(pieces) + "|2|Ст3|" +
                kinds[static_cast<size_t>(k)].second + "\n";
    }
    return list;
}

// The job's drawing with its parts placed by the optimisation (turns of 45°).
bool Placed(const Job& job, const fs::path& folder, const fs::path& drawing)
{
    const fs::path list = folder / "parts.txt";
    std::ofstream(list) << PartsList(job.parts, job.scale);
    const fs::path unplaced = folder / "unplaced.vdw";
    const std::string make = std::string(NESTING_JOB) + " '" + list.string() + "' '" + unplaced.string() +
                             "' --sheet " + std::to_string(job.width) + " " + std::to_string(job.height) +
                             " --gaps 5 10";
    if (std::system(make.c_str()) != 0)
        return false;
    vlhost::Host host(folder / "host");
    vlhost::Driver user(host);
    if (!user.Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary) || !user.Open(unplaced) || !user.Command(3) ||
        !user.SetValue(user.Find(L"Поворот деталей"), L"45") || !user.Press(user.Find(L"Начать оптимизацию")))
        return false;
    user.Enter();
    const bool saved = user.Save(drawing);
    user.Unload();
    return saved;
}

struct Run {
    std::string name;
    bool rectangles;
    std::wstring minimum; // empty: as the command sets it
};

struct Result {
    bool ended = false;
    double seconds = 0.0;
    double megabytes = 0.0;
};

// The command played on the placed drawing in a process of its own, the
// drawing it leaves saved as `out`.
Result Play(const fs::path& drawing, const Run& run, const fs::path& folder, const fs::path& out)
{
    int channel[2];
    Result result;
    if (pipe(channel) != 0)
        return result;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        alarm(600);
        double seconds = -1.0;
        {
            vlhost::Host host(folder / "host");
            vlhost::Driver user(host);
            if (user.Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary) && user.Open(drawing)) {
                // The free area built by the button; the rectangles by the
                // box ticked, and again for the minimum size set then.
                const auto start = std::chrono::steady_clock::now();
                bool played = user.Command(4) && user.SetValue(user.Find(L"Способ построения"), L"Автоматически");
                if (played)
                    played = run.rectangles ? user.Tick(user.Find(L"Только прямоугольные отходы"), true)
                                            : user.Press(user.Find(L"Построить отходы"));
                if (played && !run.minimum.empty())
                    played = user.SetValue(user.Find(L"Минимальный размер отхода"), run.minimum);
                played = played && user.Enter() && !user.Running();
                if (played)
                    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (!user.Save(out))
                    seconds = -1.0;
                user.Unload();
            }
        }
        const bool sent = write(channel[1], &seconds, sizeof seconds) == sizeof seconds;
        _exit(sent && seconds >= 0.0 ? 0 : 1);
    }
    close(channel[1]);
    double seconds = -1.0;
    const bool got = child > 0 && read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        result.ended = got && WIFEXITED(status) && WEXITSTATUS(status) == 0 && seconds >= 0.0;
        result.seconds = seconds;
        result.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
    return result;
}

// job_check remnants on the drawing: its last line, and whether it passed.
bool Checked(const fs::path& drawing, std::string& line)
{
    const std::string command = std::string(JOB_CHECK) + " remnants '" + drawing.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe))
        line = buffer;
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    return pclose(pipe) == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<Job> jobs = {
        {"sheet", 286, 1.0, 3000, 1500},
        {"strip", 2000, 3.0, 100000, 3000},
        {"sheets", 1000, 1.0, 3000, 1500},
    };
    const std::vector<Run> runs = {
        {"free area", false, L""},
        {"rectangles", true, L""},
        {"rectangles 50", true, L"50"},
        {"rectangles 1", true, L"1"},
    };
    std::vector<std::string> chosen(argv + 1, argv + argc);
    const fs::path scratch = fs::temp_directory_path() / ("remnant_bench-" + std::to_string(getpid()));
    size_t done = 0, failed = 0;
    double slowest = 0.0;
    for (const Job& job : jobs) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), job.name) == chosen.end())
            continue;
        std::error_code ec;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch);
        const fs::path drawing = scratch / "placed.vdw";
        if (!Placed(job, scratch, drawing)) {
            std::printf("%-7s %5d parts: not placed  FAILED\n", job.name.c_str(), job.parts);
            ++failed;
            continue;
        }
        for (const Run& run : runs) {
            const fs::path out = scratch / "remnants.vdw";
            fs::remove(out, ec);
            const Result r = Play(drawing, run, scratch, out);
            std::string check;
            const bool checked = r.ended && Checked(out, check);
            const bool ok = checked && (!run.rectangles || r.seconds < kMostSeconds);
            std::printf("%-7s %5d parts on %6.0f x %4.0f  %-14s %7.3f s %8.1f MB  %s%s\n", job.name.c_str(),
                        job.parts, job.width, job.height, run.name.c_str(), r.seconds, r.megabytes,
                        r.ended ? check.c_str() : "the command failed", ok ? "" : "  FAILED");
            std::fflush(stdout);
            ++done;
            failed += !ok;
            if (run.rectangles)
                slowest = std::max(slowest, r.seconds);
        }
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    std::printf("remnant_bench: runs %zu, failed %zu, rectangles max_s %.3f\n", done, failed, slowest);
    return done > 0 && failed == 0 ? 0 : 1;
}
