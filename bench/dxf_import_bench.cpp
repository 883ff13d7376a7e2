// dxf_import_bench [NAME | FILE]: DXF part files of many outline pieces through the DXF
// converter alone and through the library's import on the stand-in host.
// Prints per file the seconds of each, of reading the written fragment as a
// figure ("none" when it gives none), and the import's closing message (none:
// a fragment was written). Exit status 1 when an import takes longer than its
// goal or ends otherwise than expected. NAME: a part of the names of the
// cases to run (all by default); FILE: a DXF file of one's own to run instead.
#include "io/DxfImport.h"
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "support/dxf_text.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using namespace dxftext;

// A 10 × 10 square inserted as `cols` × `rows` copies 20 apart.
std::string Squares(int cols, int rows)
{
    return File({{"BLOCKS", Block("SQ", Square(0, 0, 10))}, {"ENTITIES", Insert("SQ", 0, 0, "1", cols, rows, 20)}});
}

// One polyline of `count` vertices round a circle of radius 500, open by one
// step or closed.
std::string Ring(int count, bool closed)
{
    std::vector<std::pair<double, double>> points;
    const double step = 2 * std::numbers::pi / (closed ? count : count + 1);
    for (int i = 0; i < count; ++i)
        points.emplace_back(500 * std::cos(i * step), 500 * std::sin(i * step));
    return File({{"ENTITIES", Polyline(points, closed)}});
}

struct Case {
    std::string name;
    std::string bytes;
    int imports;  // 1: a fragment is written, 0: the file is refused, -1: either
    double goal;  // seconds the import may take
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    std::vector<Case> cases = {
        {"square, 1,000 copies", Squares(100, 10), 0, 1},
        {"square, 10,000 copies", Squares(100, 100), 0, 3},
        {"square, 100,000 copies", Squares(1000, 100), 0, 10},
        {"open polyline, 100,000 vertices", Ring(100000, false), 0, 10},
        {"closed polyline, 5,000 vertices", Ring(5000, true), 1, 1},
        {"closed polyline, 10,000 vertices", Ring(10000, true), 1, 1},
        {"closed polyline, 100,000 vertices", Ring(100000, true), 1, 10},
    };
    std::error_code ec;
    if (fs::is_regular_file(only, ec)) {  // a file of one's own instead
        std::ifstream in(only, std::ios::binary);
        cases = {{fs::path(only).filename().string(), std::string(std::istreambuf_iterator<char>(in), {}), -1, 10}};
    }
    const fs::path scratch = fs::temp_directory_path() / ("dxf_import_bench-" + std::to_string(getpid()));
    int status = 0;
    std::printf("%-36s %10s %10s %10s  %s\n", "file", "convert s", "import s", "figure s", "closing message");
    for (const Case& c : cases) {
        if (cases.size() > 1 && c.name.find(only) == std::string::npos)
            continue;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch);
        const fs::path file = scratch / "part.dxf";
        std::ofstream(file, std::ios::binary) << c.bytes;
        const std::wstring path = vlhost::Host::Wide(file.string());
        double convert = 0, import = 0, figure = 0;
        std::wstring closing;
        bool written = false, made = false;
        {
            vlhost::Host host(scratch / "host");
            application = host.Application();
            resourceModule = application->GetResourcesModule(L"Nesting");
            host.NewDrawing();
            vlhost::ConverterModule converter(application, "dxfImport");
            auto start = std::chrono::steady_clock::now();
            converter.Convert(path, vlhost::Host::Wide((scratch / "alone.vfw").string()));
            convert = Seconds(start);
            const size_t before = host.State().messages.size();
            std::vector<FileMetaParams> entries{{path, L"", 1, 0.0}};
            NestingModel model;
            start = std::chrono::steady_clock::now();
            dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide((scratch / "out").string()),
                                            [&](const std::wstring& dxf) { return converter.Convert(dxf, L""); });
            import = Seconds(start);
            if (host.State().messages.size() > before)
                closing = host.State().messages.back().text;
            std::replace(closing.begin(), closing.end(), L'\n', L' ');
            written = fs::exists(scratch / "out" / "part.vfw");
            if (written) {
                start = std::chrono::steady_clock::now();
                made = model.AddFigure(vlhost::Host::Wide((scratch / "out" / "part.vfw").string())) != nullptr;
                figure = Seconds(start);
            }
            application = nullptr;
            resourceModule = nullptr;
        }
        const bool ok = (c.imports < 0 || written == (c.imports == 1)) && import <= c.goal;
        status |= ok ? 0 : 1;
        std::printf("%-36s %10.2f %10.2f %10.2f%s  %s%s\n", c.name.c_str(), convert, import, figure,
                    written && !made ? " (none)" : "", vlhost::Host::Utf8(closing.substr(0, 160)).c_str(),
                    ok ? "" : "  << FAILED");
        std::fflush(stdout);
    }
    fs::remove_all(scratch, ec);
    return status;
}
