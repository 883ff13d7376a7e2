// source_panel_bench [--runs N] [--triangle] [--kinds K] [PIECES ...]: the
// source-data panel (command 2) with many pieces, and the other commands on
// the job they make, played through the stand-in host as a user plays it. A
// tab part (a plate 240 wide ending in a half circle round a hole), or with
// --triangle a right triangle 300 × 200 (equal ones are joined in pairs), or
// with --kinds K that many tabs of different widths sharing the pieces, their
// DXF files asking for PIECES pieces in all, is imported (command 1) with a
// small plate asking for a tenth as many, then loaded on a 3000 × 1500 sheet
// ("Загрузить детали"); the sheet's length and width are edited down (the
// container is laid out again) and up, the gaps, text, material and names
// edited, the parts chosen and edited, sorted, uniting the triangles and the
// mirror images turned off and on (laid out again), a sheet added and
// deleted, the plates loaded besides, the panel confirmed (Enter: the gaps
// changed, so every part is made again) and the parts optimised (command 3)
// for comparison; the panel opened again on the placed parts, the sheet's
// width edited (every part goes back to the container) and the command
// cancelled (Esc); opened once more, the first part's count lowered, raised
// and set to 900, its pieces deleted and the command cancelled; opened
// again for every kind of edit and cancelled; then the optimisation panel,
// the remnants (built automatically), the bridges, the export and the
// documentation on the placed job. Prints the seconds of each step per count
// (300, 1,000 and 3,000 pieces by default; each the least of N runs, 3 by
// default). Exit status 1 when a step fails or, for the largest count
// against the smallest, when a panel edit takes half a second or more or
// grows clearly faster than the pieces (past twice their ratio times the
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

// A part: a tab (an outline with a half circle and a hole) `widen` mm wider
// than 240, or a right triangle (equal ones are joined in pairs), and the
// count text.
std::string Part(int pieces, bool triangle, int widen = 0)
{
    const Groups quantity = Text(0, -60, "[Quantity=" + std::to_string(pieces) + "]");
    if (triangle)
        return File({{"ENTITIES", BulgedPolyline({{{0, 0, 0}}, {{300, 0, 0}}, {{0, 200, 0}}}) + quantity}});
    const double w = 240.0 + widen;
    const Groups outline = BulgedPolyline({{{0, 0, 0}}, {{w, 0, 0}}, {{w, 160, 1}}, {{0, 160, 0}}});
    return File({{"ENTITIES", outline + Circle(Num(w / 2), "160", 40) + quantity}});
}

// A small plate, loaded besides the parts.
std::string Plate(int pieces)
{
    return File({{"ENTITIES", BulgedPolyline({{{0, 0, 0}}, {{100, 0, 0}}, {{100, 50, 0}}, {{0, 50, 0}}}) +
                                  Text(0, -30, "[Quantity=" + std::to_string(pieces) + "]")}});
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

// An item of a list ticked or not, by its index.
std::function<bool(vlhost::Driver&)> CheckItem(const std::wstring& caption, int index, bool on)
{
    return [=](vlhost::Driver& user) { return user.CheckItem(user.Find(caption), index, on); };
}

// Buttons of the parts list's tool bar.
constexpr int kSelectAll = 7101;
constexpr int kUnselectAll = 7102;
constexpr int kSortByNames = 7103;
constexpr int kSortByAreasUp = 7104;
constexpr int kSortByAreasDown = 7105;
// The sheets list's button that adds a sheet.
constexpr int kAddSheet = 7201;

// Seconds of each step, in order; empty when a step failed (it is named).
struct Time {
    std::string name;
    bool edit;
    double seconds;
};

std::vector<Time> Play(int pieces, bool triangle, int kinds, const fs::path& scratch)
{
    std::error_code ec;
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch / "import");
    // The parts' files (the last kind takes what the others leave), then the plates'.
    std::vector<std::wstring> dxfs, fragments;
    std::vector<fs::path> written;
    for (int k = 0; k < kinds; ++k) {
        const std::string name = kinds == 1 ? "Проушина" : "Проушина-" + std::to_string(k + 1);
        const int count = k + 1 < kinds ? pieces / kinds : pieces - (kinds - 1) * (pieces / kinds);
        std::ofstream(scratch / (name + ".dxf"), std::ios::binary) << Part(count, triangle, 6 * k);
        dxfs.push_back(vlhost::Host::Wide((scratch / (name + ".dxf")).string()));
        written.push_back(scratch / "import" / (name + ".vfw"));
        fragments.push_back(vlhost::Host::Wide(written.back().string()));
    }
    const int plates = std::max(1, pieces / 10);
    std::ofstream(scratch / "Пластина.dxf", std::ios::binary) << Plate(plates);
    dxfs.push_back(vlhost::Host::Wide((scratch / "Пластина.dxf").string()));
    const std::wstring plate = vlhost::Host::Wide((scratch / "import" / "Пластина.vfw").string());
    // The first part's pieces, lowered and raised again (the panel takes 1 to 1,000).
    const int first = pieces / kinds;
    const std::wstring lower = std::to_wstring(std::max(1, first * 3 / 10));
    const std::wstring higher = std::to_wstring(std::min(1000, std::max(1, first * 3 / 10) + 100));
    const fs::path folder = scratch / "out";

    vlhost::Host host(scratch / "host");
    const auto answerFolder = [&] { host.State().folderAnswers.push_back(vlhost::Host::Wide(folder.string())); };
    const auto esc = [](vlhost::Driver& user) {
        user.Esc();
        return !user.Running();
    };
    const auto enter = [](vlhost::Driver& user) {
        user.Enter();
        return !user.Running();
    };
    const auto command = [](int id) { return [=](vlhost::Driver& user) { return user.Command(id) && user.Running(); }; };
    const std::vector<Step> steps = {
        {"import", false,
         [&](vlhost::Driver& user) {
             user.New();
             if (!user.Command(1))
                 return false;
             host.State().folderAnswers.push_back(vlhost::Host::Wide((scratch / "import").string()));
             user.Press(user.Find(L"Папка экспорта"));
             user.SetValue(user.Find(L"Тип импорта"), L"Импорт из DXF");
             host.State().filesAnswers.push_back(dxfs);
             user.Press(user.Find(L"Загрузить детали"));
             user.Esc();
             return std::all_of(written.begin(), written.end(), [](const fs::path& f) { return fs::exists(f); });
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
             host.State().filesAnswers.push_back(fragments);
             return user.Press(user.Find(L"Загрузить детали"));
         }},
        {"plates loaded", false,
         [&](vlhost::Driver& user) {
             host.State().filesAnswers.push_back({plate});
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
        {"sheet material", true, Set(L"Материал листа", L"Ст3")},
        {"sheets' names", true, Set(L"Список заготовок", L"Лист ")},
        {"select all parts", true, Press(L"Список деталей", kSelectAll)},
        {"parts' thickness 2", true, Set(L"Толщина деталей", L"2")},
        {"parts' material", true, Set(L"Материал деталей", L"Ст3")},
        {"unselect all parts", true, Press(L"Список деталей", kUnselectAll)},
        {"sort by names", true, Press(L"Список деталей", kSortByNames)},
        {"sort by areas up", true, Press(L"Список деталей", kSortByAreasUp)},
        {"sort by areas down", true, Press(L"Список деталей", kSortByAreasDown)},
        {"labels hidden", true, Tick(L"Скрыть надписи", true)},
        {"labels shown", true, Tick(L"Скрыть надписи", false)},
        {"triangles apart", true, Tick(L"Объединять треугольные детали", false)},
        {"triangles joined", true, Tick(L"Объединять треугольные детали", true)},
        {"mirrors joined", true, Tick(L"Объединять зеркальные детали", true)},
        {"mirrors apart", true, Tick(L"Объединять зеркальные детали", false)},
        {"rolling direction", true, Tick(L"Учитывать направление проката", true)},
        {"sheet added", true, Press(L"Список листов", kAddSheet)},
        {"sheet ticked", true, CheckItem(L"Список листов", 1, true)},
        {"sheet deleted", true, Press(L"Список листов", vlapi::vlControlCommandDelete)},
        {"enter", false, enter},
        {"optimisation", false,
         [&](vlhost::Driver& user) {
             return user.Command(3) && user.Press(user.Find(L"Начать оптимизацию")) && user.Enter();
         }},
        {"panel on the placed", false, command(2)},
        {"sheet width 1450", true, Set(L"Ширина листа", L"1450")},
        {"esc", false, esc},
        {"panel again", false, command(2)},
        {"group chosen", true, Select(0)},
        {"count lowered", true, Set(L"Количество", lower)},
        {"chosen for raising", true, Select(0)},
        {"count raised", true, Set(L"Количество", higher)},
        {"chosen for 900", true, Select(0)},
        {"count 900", true, Set(L"Количество", L"900")},
        {"chosen for thickness", true, Select(0)},
        {"its thickness 3", true, Set(L"Толщина деталей", L"3")},
        {"chosen for material", true, Select(0)},
        {"its material", true, Set(L"Материал деталей", L"09Г2С")},
        {"group chosen again", true, Select(0)},
        {"group deleted", true, Press(L"Список деталей", vlapi::vlControlCommandDelete)},
        {"esc again", false, esc},
        {"panel, every edit", false, command(2)},
        {"its sheet length", true, Set(L"Длина листа", L"2900")},
        {"its gaps", true, Set(L"Зазор между деталями", L"7")},
        {"its triangles apart", true, Tick(L"Объединять треугольные детали", false)},
        {"its group chosen", true, Select(0)},
        {"its count", true, Set(L"Количество", lower)},
        {"its sheet added", true, Press(L"Список листов", kAddSheet)},
        {"esc after every edit", false, esc},
        {"optimisation panel", false, command(3)},
        {"its esc", false, esc},
        {"remnants panel", false, command(4)},
        {"remnants built", false,
         [&](vlhost::Driver& user) {
             return user.SetValue(user.Find(L"Способ построения"), L"Автоматически") &&
                    user.SetValue(user.Find(L"Упрощение контура"), L"5");
         }},
        {"remnants as rectangles", false, Tick(L"Только прямоугольные отходы", true)},
        {"remnants esc", false, esc},
        {"bridges panel", false, command(10)},
        {"bridges esc", false, esc},
        {"export panel", false, command(6)},
        {"export written", false,
         [&](vlhost::Driver& user) {
             answerFolder();
             user.Press(user.Find(L"Папка экспорта"));
             return enter(user) && fs::exists(folder / "card.dxf");
         }},
        {"documentation", false,
         [&](vlhost::Driver& user) {
             answerFolder();
             return user.Command(7) && fs::exists(folder / "Документация");
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
    int kinds = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::string(argv[i]) == "--kinds" && i + 1 < argc)
            kinds = std::max(1, std::atoi(argv[++i]));
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
            const std::vector<Time> times = Play(pieces, triangle, kinds, scratch);
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

    std::printf("%-24s", "step");
    for (const int pieces : counts)
        std::printf(" %10d", pieces);
    std::printf("\n");
    int status = 0;
    const auto& small = played.front();
    const auto& large = played.back();
    for (size_t s = 0; s < small.size(); ++s) {
        std::printf("%-24s", small[s].name.c_str());
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
