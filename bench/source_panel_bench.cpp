// source_panel_bench [--runs N] [--triangle] [PIECES ...]: the source-data
// panel (command 2) with many pieces of one part, played through the
// stand-in host as a user plays it. A tab part (a plate 240 wide ending in a
// half circle round a hole), or with --triangle a right triangle 300 × 200
// (equal ones are joined in pairs), its DXF file asking for PIECES pieces, is
// imported (command 1), then loaded on a 3000 × 1500 sheet ("Загрузить
// детали"); the sheet's length and width are edited down (the container is
// laid out again) and up, the gaps, text and parts edited, uniting the
// triangles turned off and on (laid out again), the panel confirmed (Enter:
// the gaps changed, so every part is made again) and the parts optimised
// (command 3) for comparison; the panel opened again on the placed parts,
// the sheet's width edited (every part goes back to the container) and the
// command cancelled (Esc); opened once more, the part's count set to 900, its
// pieces deleted and the command cancelled. Prints the seconds of each step
// per count (300, 1,000 and 3,000 pieces by default; each the least of N
// runs, 3 by default). Exit status 1 when a step fails or, for the largest
// count against the smallest, when a panel edit takes half a second or more
// or grows clearly faster than the pieces (past twice their ratio times the
// smallest count's time, with 0.05 s for the host's own: the work counted in
// instructions grows as the pieces do, the time a little faster as the
// drawing outgrows the caches), or when Enter takes longer than the
// optimisation.
#include "vlapi/Library.h"
#include "support/dxf_text.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using namespace dxftext;

// The part: a tab (an outline with a half circle and a hole) or a right
// triangle (equal ones are joined in pairs), and the count text.
std::string Part(int pieces, bool triangle)
{
    if (triangle)
        return File({{"ENTITIES", BulgedPolyline({{{0, 0, 0}}, {{300, 0, 0}}, {{0, 200, 0}}}) +
                                      Text(0, -60, "[Quantity=" + std::to_string(pieces) + "]")}});
    const Groups outline = BulgedPolyline({{{0, 0, 0}}, {{240, 0, 0}}, {{240, 160, 1}}, {{0, 160, 0}}});
    return File({{"ENTITIES", outline + Circle("120", "160", 40) +
                                  Text(0, -60, "[Quantity=" + std::to_string(pieces) + "]")}});
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Step {
    std::string name;
    bool edit;  // a panel edit, held to the goals of an edit
    std::function<bool(vlhost::Driver&)> run;
};

// Sets an edit of the panel by its caption.
std::function<bool(vlhost::Driver&)> Set(const std::wstring& caption, const std::wstring& value)
{
    return [=](vlhost::Driver& user) { return user.SetValue(user.Find(caption), value); };
}

// Presses a tool-bar button of a control found by its caption.
std::function<bool(vlhost::Driver&)> Press(const std::wstring& caption, int button)
{
    return [=](vlhost::Driver& user) { return user.Press(user.Find(caption), button); };
}

std::function<bool(vlhost::Driver&)> Tick(const std::wstring& caption, bool on)
{
    return [=](vlhost::Driver& user) { return user.Tick(user.Find(caption), on); };
}

// The row of the parts list chosen.
std::function<bool(vlhost::Driver&)> Select(int row)
{
    return [=](vlhost::Driver& user) { return user.SelectItem(user.Find(L"Список деталей"), row); };
}

// Buttons of the parts list's tool bar.
constexpr int kSelectAll = 7101;
constexpr int kUnselectAll = 7102;
constexpr int kSortByNames = 7103;

// Seconds of each step, in order; empty when a step failed (it is named).
struct Time {
    std::string name;
    bool edit;
    double seconds;
};

std::vector<Time> Play(int pieces, bool triangle, const fs::path& scratch)
{
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch / "import");
    const fs::path dxf = scratch / "Проушина.dxf";
    std::ofstream(dxf, std::ios::binary) << Part(pieces, triangle);
    const fs::path fragment = scratch / "import" / "Проушина.vfw";

    vlhost::Host host(scratch / "host");
    const std::vector<Step> steps = {
        {"import", false,
         [&](vlhost::Driver& user) {
             user.New();
             if (!user.Command(1))
                 return false;
             host.State().folderAnswers.push_back(vlhost::Host::Wide((scratch / "import").string()));
             user.Press(user.Find(L"Папка экспорта"));
             user.SetValue(user.Find(L"Тип импорта"), L"Импорт из DXF");
             host.State().filesAnswers.push_back({vlhost::Host::Wide(dxf.string())});
             user.Press(user.Find(L"Загрузить детали"));
             user.Esc();
             return fs::exists(fragment);
         }},
        {"open panel", false,
         [&](vlhost::Driver& user) {
             user.New();
             return user.Command(2) && user.Running();
         }},
        {"sheet length 3000", true, Set(L"Длина листа", L"3000")},
        {"sheet width 1500", true, Set(L"Ширина листа", L"1500")},
        {"load parts", false,
         [&](vlhost::Driver& user) {
             host.State().filesAnswers.push_back({vlhost::Host::Wide(fragment.string())});
             return user.Press(user.Find(L"Загрузить детали"));
         }},
        {"sheet length 2900", true, Set(L"Длина листа", L"2900")},
        {"sheet width 1400", true, Set(L"Ширина листа", L"1400")},
        {"sheet length 3000", true, Set(L"Длина листа", L"3000")},
        {"sheet width 1500", true, Set(L"Ширина листа", L"1500")},
        {"sheet gap 12", true, Set(L"Зазор до края листа", L"12")},
        {"figure gap 6", true, Set(L"Зазор между деталями", L"6")},
        {"text size 7", true, Set(L"Размер шрифта", L"7")},
        {"sheet thickness 2", true, Set(L"Толщина листа", L"2")},
        {"select all parts", true, Press(L"Список деталей", kSelectAll)},
        {"parts' thickness 2", true, Set(L"Толщина деталей", L"2")},
        {"parts' material", true, Set(L"Материал деталей", L"Ст3")},
        {"unselect all parts", true, Press(L"Список деталей", kUnselectAll)},
        {"sort by names", true, Press(L"Список деталей", kSortByNames)},
        {"labels hidden", true, Tick(L"Скрыть надписи", true)},
        {"labels shown", true, Tick(L"Скрыть надписи", false)},
        {"triangles apart", true, Tick(L"Объединять треугольные детали", false)},
        {"triangles joined", true, Tick(L"Объединять треугольные детали", true)},

        {"enter", false,
         [&](vlhost::Driver& user) {
             user.Enter();
             return !user.Running();
         }},
        {"optimisation", false,
         [&](vlhost::Driver& user) {
             return user.Command(3) && user.Press(user.Find(L"Начать оптимизацию")) && user.Enter();
         }},
        {"panel on the placed", false, [&](vlhost::Driver& user) { return user.Command(2) && user.Running(); }},
        {"sheet width 1450", true, Set(L"Ширина листа", L"1450")},
        {"esc", false,
         [&](vlhost::Driver& user) {
             user.Esc();
             return !user.Running();
         }},
        {"panel again", false, [&](vlhost::Driver& user) { return user.Command(2) && user.Running(); }},
        {"group chosen", true, Select(0)},
        {"count 900", true, Set(L"Количество", L"900")},
        {"group chosen again", true, Select(0)},
        {"group deleted", true, Press(L"Список деталей", vlapi::vlControlCommandDelete)},
        {"esc again", false,
         [&](vlhost::Driver& user) {
             user.Esc();
             return !user.Running();
         }},
    };
    std::vector<Time> times;
    vlhost::Driver user(host);
    if (!user.Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary)) {
        std::fprintf(stderr, "%s\n", user.LoadError().c_str());
        return {};
    }
    for (const Step& step : steps) {
        const auto start = std::chrono::steady_clock::now();
        const bool done = step.run(user);
        times.push_back({step.name, step.edit, Seconds(start)});
        if (!done || !host.State().faults.empty()) {
            std::fprintf(stderr, "%d pieces: step \"%s\" failed: %s\n", pieces, step.name.c_str(), user.Refusal().c_str());
            return {};
        }
    }
    user.Unload();
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> counts;
    int runs = 3;
    bool triangle = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--triangle")
            triangle = true;
        else
            counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty())
        counts = {300, 1000, 3000};
    const fs::path scratch = fs::temp_directory_path() / ("source_panel_bench-" + std::to_string(getpid()));
    std::vector<std::vector<Time>> played;
    for (const int pieces : counts) {
        std::vector<Time> least;
        for (int run = 0; run < runs; ++run) {
            const std::vector<Time> times = Play(pieces, triangle, scratch);
            if (times.empty())
                return 1;
            if (least.empty())
                least = times;
            for (size_t s = 0; s < times.size(); ++s)
                least[s].seconds = std::min(least[s].seconds, times[s].seconds);
        }
        played.push_back(least);
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);

    std::printf("%-20s", "step");
    for (const int pieces : counts)
        std::printf(" %10d", pieces);
    std::printf("\n");
    int status = 0;
    const auto& small = played.front();
    const auto& large = played.back();
    for (size_t s = 0; s < small.size(); ++s) {
        std::printf("%-20s", small[s].name.c_str());
        for (const auto& run : played)
            std::printf(" %10.3f", run[s].seconds);
        // The goals of a panel edit, the largest count against the smallest.
        const double ratio = static_cast<double>(counts.back()) / static_cast<double>(counts.front());
        if (small[s].edit && (large[s].seconds >= 0.5 || large[s].seconds > 2.0 * ratio * small[s].seconds + 0.05)) {
            std::printf("  << FAILED");
            status = 1;
        }
        std::printf("\n");
    }
    const auto seconds = [&](const char* name) {
        return std::find_if(large.begin(), large.end(), [&](const Time& t) { return t.name == name; })->seconds;
    };
    const double enter = seconds("enter");
    const double optimisation = seconds("optimisation");
    if (enter > optimisation) {
        std::printf("Enter takes %.2f s, longer than the optimisation (%.2f s)  << FAILED\n", enter, optimisation);
        status = 1;
    }
    return status;
}
