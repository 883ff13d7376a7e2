// dxf_import_bench [NAME]: DXF part files of many outline pieces through the DXF
// converter alone and through the library's import on the stand-in host.
// Prints per file the seconds of each and the import's closing message (none:
// a fragment was written). Exit status 1 when an import takes longer than its
// goal or ends otherwise than expected. NAME: a part of the names of the
// cases to run (all by default).
#include "io/DxfImport.h"
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

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

std::string Groups(std::initializer_list<std::pair<int, std::string>> groups)
{
    std::string out;
    for (const auto& [code, value] : groups)
        out += std::to_string(code) + "\n" + value + "\n";
    return out;
}

std::string Line(double x1, double y1, double x2, double y2)
{
    return Groups({{0, "LINE"}, {8, "0"}, {10, std::to_string(x1)}, {20, std::to_string(y1)},
                   {11, std::to_string(x2)}, {21, std::to_string(y2)}});
}

std::string Section(const char* name, const std::string& body)
{
    return Groups({{0, "SECTION"}, {2, name}}) + body + Groups({{0, "ENDSEC"}});
}

// A 10 × 10 square of four lines inserted as `cols` × `rows` copies 20 apart.
std::string Squares(int cols, int rows)
{
    const std::string block = Groups({{0, "BLOCK"}, {2, "SQ"}, {70, "0"}, {10, "0"}, {20, "0"}}) + Line(0, 0, 10, 0) +
                              Line(10, 0, 10, 10) + Line(10, 10, 0, 10) + Line(0, 10, 0, 0) + Groups({{0, "ENDBLK"}});
    const std::string insert = Groups({{0, "INSERT"}, {8, "0"}, {2, "SQ"}, {10, "0"}, {20, "0"},
                                       {70, std::to_string(cols)}, {71, std::to_string(rows)}, {44, "20"}, {45, "20"}});
    return Section("BLOCKS", block) + Section("ENTITIES", insert) + Groups({{0, "EOF"}});
}

// One polyline of `count` vertices round a circle of radius 500, open by
// one step or closed.
std::string Polyline(int count, bool closed)
{
    std::string body = Groups({{0, "LWPOLYLINE"}, {8, "0"}, {90, std::to_string(count)}, {70, closed ? "1" : "0"}});
    const double step = 2 * std::numbers::pi / (closed ? count : count + 1);
    for (int i = 0; i < count; ++i)
        body += Groups({{10, std::to_string(500 * std::cos(i * step))}, {20, std::to_string(500 * std::sin(i * step))}});
    return Section("ENTITIES", body) + Groups({{0, "EOF"}});
}

struct Case {
    const char* name;
    std::string bytes;
    bool imports;     // a fragment is written
    double goal;      // seconds the import may take
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    const Case cases[] = {
        {"square, 1,000 copies", Squares(100, 10), false, 1},
        {"square, 10,000 copies", Squares(100, 100), false, 3},
        {"square, 100,000 copies", Squares(1000, 100), false, 20},
        {"open polyline, 100,000 vertices", Polyline(100000, false), false, 10},
        {"closed polyline, 100,000 vertices", Polyline(100000, true), true, 10},
    };
    const fs::path scratch = fs::temp_directory_path() / ("dxf_import_bench-" + std::to_string(getpid()));
    int status = 0;
    std::printf("%-36s %10s %10s  %s\n", "file", "convert s", "import s", "closing message");
    for (const Case& c : cases) {
        if (std::string(c.name).find(only) == std::string::npos)
            continue;
        std::error_code ec;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch);
        const fs::path file = scratch / "part.dxf";
        std::ofstream(file, std::ios::binary) << c.bytes;
        const std::wstring path = vlhost::Host::Wide(file.string());
        double convert = 0, import = 0;
        std::wstring closing;
        bool written = false;
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
            written = fs::exists(scratch / "out" / "part.vfw");
            application = nullptr;
            resourceModule = nullptr;
        }
        const bool ok = written == c.imports && import <= c.goal;
        status |= ok ? 0 : 1;
        std::printf("%-36s %10.2f %10.2f  %s%s\n", c.name, convert, import,
                    vlhost::Host::Utf8(closing.substr(0, 160)).c_str(), ok ? "" : "  << FAILED");
        std::fflush(stdout);
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return status;
}
