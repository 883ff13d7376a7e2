// dxf_import_bench [NAME | FILE]: DXF part files of many outline pieces through the DXF
// converter alone and through the library's import on the stand-in host, and
// a written part on through the rest of a job: loaded as a figure with its
// gap polygons (as the source-data command does), placed on a 3000 × 1500
// sheet by the optimiser and exported as the sheet's DXF file. Prints per file
// the seconds of each step ("none" where the step gave nothing: no figure, the
// part not placed, no sheet file) and the import's closing message (none: a
// fragment was written). Exit status 1 when a step takes longer than its goal
// or ends otherwise than expected. NAME: a part of the names of the cases to
// run (all by default); FILE: a DXF file of one's own to run instead.
#include "api/INestingObjects.h"
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

// One polyline of `count` vertices round a closed curve of radius r(t) about
// the origin, open by one step or closed.
template <class Radius>
std::string Ring(int count, bool closed, Radius r)
{
    std::vector<std::pair<double, double>> points;
    const double step = 2 * std::numbers::pi / (closed ? count : count + 1);
    for (int i = 0; i < count; ++i)
        points.emplace_back(r(i * step) * std::cos(i * step), r(i * step) * std::sin(i * step));
    return File({{"ENTITIES", Polyline(points, closed)}});
}

std::string Circle(int count, bool closed)
{
    return Ring(count, closed, [](double) { return 500.0; });
}

// A 200 × 200 square whose sides are cut into `count` / 4 pieces each, as
// digitised outlines come.
std::string DenseSquare(int count)
{
    std::vector<std::pair<double, double>> points;
    const int side = count / 4;
    for (int i = 0; i < side; ++i) points.emplace_back(200.0 * i / side, 0.0);
    for (int i = 0; i < side; ++i) points.emplace_back(200.0, 200.0 * i / side);
    for (int i = 0; i < side; ++i) points.emplace_back(200.0 - 200.0 * i / side, 200.0);
    for (int i = 0; i < side; ++i) points.emplace_back(0.0, 200.0 - 200.0 * i / side);
    return File({{"ENTITIES", Polyline(points, true)}});
}

struct Case {
    std::string name;
    std::string bytes;
    int imports;  // 1: a fragment is written, 0: the file is refused, -1: either
    double goal;  // seconds the import may take; each later step of a written part as long
    std::string says = {};  // what a refusal must say (UTF-8), when it must say something
};

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The rest of a job for the written fragment, step by step as the commands
// run them; a step's time is negative when it gave nothing.
struct Job {
    double figure = -1, place = -1, exported = -1;
};

Job RunJob(const fs::path& fragment, const fs::path& folder)
{
    Job job;
    auto start = std::chrono::steady_clock::now();
    {
        INestingModelPtr model = CreateNestingModelInstance();
        model->SetWidthSheet(3000.0);
        model->SetHeightSheet(1500.0);
        if (!model->AddSheet() || !model->AddFigure(vlhost::Host::Wide(fragment.string())))
            return job;
        model->MoveFiguresToSysView();
        model->SetAllFiguresInSourcePlacement();
        model->InitFigurePolygons();
        model->RotateAllFiguresToMinGabarit();
        model->ArrangeFiguresInContainer(true, false);
        model->SaveSession();
        std::vector<INObjectPtr> figures;
        model->GetFigureObjects(figures);
        for (const INObjectPtr& figure : figures)
            figure->SaveParams();
        model->SaveParams();
    }
    job.figure = Seconds(start);
    start = std::chrono::steady_clock::now();
    {
        IOptimizerPtr optimizer = CreateOptimizerInstance();
        optimizer->Init();
        optimizer->RunOptimization(OptimizationParams{1, RotationType::Rotation90, false});
        const NestingResult result = optimizer->GetResult();
        if (result.sheet_results.empty() || result.sheet_results.front().figuresArea <= 0.0)
            return job;
    }
    job.place = Seconds(start);
    start = std::chrono::steady_clock::now();
    {
        IExporterPtr exporter = CreateExporterInstance();
        ExportParams params;
        params.addCard = false;
        params.addWastes = false;
        params.format = 1;
        exporter->SetParams(params);
        exporter->ExportToDXF(vlhost::Host::Wide(folder.string()));
    }
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec))
        if (entry.path().extension() == ".dxf")
            job.exported = Seconds(start);
    return job;
}

// A step's seconds as a column: "none" when it gave nothing, blank when it did not run.
std::string Step(bool ran, double seconds)
{
    char text[32];
    if (!ran || seconds < 0)
        std::snprintf(text, sizeof text, " %10s", ran ? "none" : "");
    else
        std::snprintf(text, sizeof text, " %10.2f", seconds);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string only = argc > 1 ? argv[1] : "";
    auto wavy = [](double t) { return 100.0 + 2.0 * std::sin(12.0 * t); };
    auto star = [](double t) { return 60.0 + 20.0 * std::sin(200.0 * t); };
    std::vector<Case> cases = {
        {"square, 1,000 copies", Squares(100, 10), 0, 1},
        {"square, 10,000 copies", Squares(100, 100), 0, 3},
        {"square, 60,000 copies", Squares(600, 100), 0, 10},
        // 400,000 lines: past the 250,000 objects the reader takes from a file.
        {"square, 100,000 copies", Squares(1000, 100), 0, 1, "сверх 250 000"},
        {"open polyline, 100,000 vertices", Circle(100000, false), 0, 10},
        {"closed polyline, 5,000 vertices", Circle(5000, true), 1, 1},
        {"closed polyline, 10,000 vertices", Circle(10000, true), 1, 2},
        {"closed polyline, 100,000 vertices", Circle(100000, true), 1, 10},
        {"wavy ring, 100,000 vertices", Ring(100000, true, wavy), 1, 10},
        {"star of 200 spikes, 100,000 vertices", Ring(100000, true, star), 1, 10},
        {"square of 100,000 pieces", DenseSquare(100000), 1, 10},
    };
    std::error_code ec;
    if (fs::is_regular_file(only, ec)) {  // a file of one's own instead
        std::ifstream in(only, std::ios::binary);
        cases = {{fs::path(only).filename().string(), std::string(std::istreambuf_iterator<char>(in), {}), -1, 10}};
    }
    const fs::path scratch = fs::temp_directory_path() / ("dxf_import_bench-" + std::to_string(getpid()));
    int status = 0;
    std::printf("%-38s %10s %10s %10s %10s %10s  %s\n", "file", "convert s", "import s", "figure s", "place s",
                "export s", "closing message");
    for (const Case& c : cases) {
        if (cases.size() > 1 && c.name.find(only) == std::string::npos)
            continue;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch / "export");
        const fs::path file = scratch / "part.dxf";
        std::ofstream(file, std::ios::binary) << c.bytes;
        const std::wstring path = vlhost::Host::Wide(file.string());
        double convert = 0, import = 0;
        Job job;
        std::wstring closing;
        bool written = false;
        {
            vlhost::Host host(scratch / "host");
            application = host.Application();
            resourceModule = application->GetResourcesModule(L"Nesting");
            host.NewDrawing();
            vlhost::ConverterModule converter(application, "dxfImport");
            converter.ShowProblems(false);
            auto start = std::chrono::steady_clock::now();
            converter.Convert(path, vlhost::Host::Wide((scratch / "alone.vfw").string()));
            convert = Seconds(start);
            const size_t before = host.State().messages.size();
            std::vector<FileMetaParams> entries{{path, L"", 3, 0.0}};
            {
                NestingModel model;
                start = std::chrono::steady_clock::now();
                dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide((scratch / "out").string()),
                                                [&](const std::wstring& dxf) { return converter.Convert(dxf, L""); },
                                                [&] { return converter.Problems(); });
                import = Seconds(start);
            }
            if (host.State().messages.size() > before)
                closing = host.State().messages.back().text;
            std::replace(closing.begin(), closing.end(), L'\n', L' ');
            written = fs::exists(scratch / "out" / "part.vfw");
            if (written)
                job = RunJob(scratch / "out" / "part.vfw", scratch / "export");
            application = nullptr;
            resourceModule = nullptr;
        }
        const bool jobDone = job.figure >= 0 && job.place >= 0 && job.exported >= 0;
        const bool said = c.says.empty() || vlhost::Host::Utf8(closing).find(c.says) != std::string::npos;
        const bool ok = (c.imports < 0 || written == (c.imports == 1)) && said && import <= c.goal &&
                        (!written || (jobDone && std::max({job.figure, job.place, job.exported}) <= c.goal));
        status |= ok ? 0 : 1;
        std::printf("%-38s %10.2f %10.2f%s%s%s  %s%s\n", c.name.c_str(), convert, import,
                    Step(written, job.figure).c_str(), Step(written, job.place).c_str(),
                    Step(written, job.exported).c_str(), vlhost::Host::Utf8(closing.substr(0, 160)).c_str(),
                    ok ? "" : "  << FAILED");
        std::fflush(stdout);
    }
    fs::remove_all(scratch, ec);
    return status;
}
