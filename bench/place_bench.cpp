// place_bench DIR: places every ESICUP instance of DIR (*.json) on one long
// sheet as high as the instance's strip, through the working model on the
// stand-in host, and prints the density of each layout.
#include "engine/NestingOptimizer.h"
#include "host/NestingMacro.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"
#include "vlhost/Host.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Item {
    std::vector<NPoint> ring;
    int demand = 0;
    std::vector<double> orientations;
};

struct Instance {
    std::string name;
    double stripHeight = 0.0;
    std::vector<Item> items;
};

struct Outcome {
    size_t placed = 0;
    size_t total = 0;
    double density = 0.0;
    double seconds = 0.0;
    size_t overlaps = 0;
    double overlapArea = 0.0;
};

double RingArea(const std::vector<NPoint>& ring)
{
    double twice = 0.0;
    for (size_t i = 0; i < ring.size(); ++i) {
        const NPoint& a = ring[i];
        const NPoint& b = ring[(i + 1) % ring.size()];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::fabs(0.5 * twice);
}

// Pairs of placed outlines that cross or hold one another, and the largest
// area two of them share.
void CountOverlaps(const std::vector<FigurePtr>& figures, Outcome& outcome)
{
    for (size_t i = 0; i < figures.size(); ++i) {
        for (size_t j = i + 1; j < figures.size(); ++j) {
            const NPolygonPtr& a = figures[i]->m_borders.front();
            const NPolygonPtr& b = figures[j]->m_borders.front();
            if (!a->CheckIntersection(*b, false) && !a->CheckContainPoligon(*b, false) &&
                !b->CheckContainPoligon(*a, false))
                continue;
            ++outcome.overlaps;
            VectorPolygon common;
            CreateBooleanPoligons({a, b}, BooleanType::Intersection, common, false);
            double area = 0.0;
            for (const NPolygonPtr& piece : common)
                area += RingArea(piece->m_points);
            outcome.overlapArea = std::max(outcome.overlapArea, area);
        }
    }
}

bool LoadInstance(const fs::path& path, Instance& instance, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path.string();
        return false;
    }
    const nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (json.is_discarded() || !json.contains("items") || !json.contains("strip_height")) {
        error = "not an instance: " + path.string();
        return false;
    }
    instance.name = json.value("name", path.stem().string());
    instance.stripHeight = json["strip_height"].get<double>();
    for (const nlohmann::json& entry : json["items"]) {
        Item item;
        item.demand = entry.value("demand", 1);
        if (entry.contains("allowed_orientations"))
            item.orientations = entry["allowed_orientations"].get<std::vector<double>>();
        for (const nlohmann::json& p : entry["shape"]["data"])
            item.ring.push_back({p.at(0).get<double>(), p.at(1).get<double>()});
        if (item.ring.size() > 1 && item.ring.front() == item.ring.back())
            item.ring.pop_back();
        if (item.ring.size() < 3 || item.demand < 0) {
            error = "bad item in " + path.string();
            return false;
        }
        instance.items.push_back(std::move(item));
    }
    return true;
}

// The rotation tries the instance allows every item.
RotationType Rotations(const Instance& instance)
{
    auto allows = [&](double angle) {
        return std::all_of(instance.items.begin(), instance.items.end(), [&](const Item& item) {
            return item.orientations.empty() ||
                   std::any_of(item.orientations.begin(), item.orientations.end(),
                               [&](double a) { return std::fabs(a - angle) < 1e-9; });
        });
    };
    if (allows(90.0) && allows(180.0) && allows(270.0))
        return RotationType::Rotation90;
    if (allows(180.0))
        return RotationType::Rotation180;
    return RotationType::WithoutRotation;
}

INestingMacroObjectPtr RingMacro(const std::vector<NPoint>& ring, int command)
{
    vlapi::IDrawingContainerPtr container = vrnApi::GetActiveDrawingContainer();
    std::vector<vlapi::IDrawingObjectPtr> lines;
    for (size_t i = 0; i < ring.size(); ++i) {
        vlapi::ILineSegmentPtr line(container->GetCollection(vlapi::vlDrLineSeg)->Add());
        const NPoint& a = ring[i];
        const NPoint& b = ring[(i + 1) % ring.size()];
        line->SetX1(a.x);
        line->SetY1(a.y);
        line->SetX2(b.x);
        line->SetY2(b.y);
        line->Update();
        lines.emplace_back(line);
    }
    vlapi::IMacroObjectPtr macro = container->GetMacroObjects()->AddMacro(1);
    if (!SetMacroParams(macro, L"Part", command, lines))
        return {};
    return NMacroObject::Create(macro);
}

double SheetLength(const Instance& instance)
{
    double length = 0.0;
    for (const Item& item : instance.items) {
        double w = 0.0, h = 0.0;
        auto [minX, maxX] = std::minmax_element(item.ring.begin(), item.ring.end(),
                                                [](const NPoint& a, const NPoint& b) { return a.x < b.x; });
        auto [minY, maxY] = std::minmax_element(item.ring.begin(), item.ring.end(),
                                                [](const NPoint& a, const NPoint& b) { return a.y < b.y; });
        w = maxX->x - minX->x;
        h = maxY->y - minY->y;
        length += std::max(w, h) * item.demand;
    }
    return length;
}

Outcome Place(const Instance& instance, const fs::path& scratch)
{
    fs::remove_all(scratch);
    vlhost::Host host(scratch);
    application = host.Application();
    resourceModule = application->GetResourcesModule(L"Nesting");
    host.NewDrawing();
    NestingSetting::m_withoutLayout = true;

    NestingOptimizer optimizer;
    NestingModel& model = optimizer.m_model;
    model.m_figureGap = 0.0;
    model.m_sheetGap = 0.0;
    NestingModel::m_widthSheet = SheetLength(instance);
    NestingModel::m_heightSheet = instance.stripHeight;
    SheetPtr sheet = Sheet::Create(vrnApi::CreateMacroByRectangle(L"Strip", NestingModel::m_widthSheet,
                                                                   instance.stripHeight,
                                                                   static_cast<int>(MacroCommand::Sheet)));
    sheet->InitParams();
    model.m_sheets.push_back(sheet);

    Outcome outcome;
    std::vector<double> areas;
    for (const Item& item : instance.items) {
        FigurePtr first;
        for (int k = 0; k < item.demand; ++k) {
            FigurePtr figure = Figure::Create(RingMacro(item.ring, static_cast<int>(MacroCommand::Figure)));
            figure->InitParams();
            figure->InitPolygons(0.0, 0.0, first);
            first = first ? first : figure;
            model.m_figures.push_back(figure);
            ++outcome.total;
        }
    }
    model.SortFiguresByAreasDecrease();

    const auto start = std::chrono::steady_clock::now();
    optimizer.Init(model.m_figures, model.m_sheets);
    optimizer.SetGaps(0.0, 0.0);
    optimizer.m_params.rotateMethod = Rotations(instance);
    optimizer.m_params.autoAddSheet = false;
    optimizer.SetAutoPlacementAllFigures(NestingMode::AutoForAll);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    double usedLength = 0.0;
    double area = 0.0;
    std::vector<FigurePtr> placed;
    for (const FigurePtr& figure : model.m_figures) {
        if (figure->m_owner != sheet || figure->m_borders.empty())
            continue;
        placed.push_back(figure);
        area += RingArea(figure->m_borders.front()->m_points);
        usedLength = std::max(usedLength, figure->m_borders.front()->GetGabarit().pTop.x - sheet->m_rect.pBot.x);
    }
    outcome.placed = placed.size();
    CountOverlaps(placed, outcome);
    if (usedLength > 0.0)
        outcome.density = area / (instance.stripHeight * usedLength);
    model.m_figures.clear();
    model.m_sheets.clear();
    application = nullptr;
    resourceModule = nullptr;
    return outcome;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: place_bench DIR\n");
        return 2;
    }
    std::vector<fs::path> files;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(argv[1], ec))
        if (entry.path().extension() == ".json")
            files.push_back(entry.path());
    if (ec) {
        std::fprintf(stderr, "place_bench: cannot read %s\n", argv[1]);
        return 1;
    }
    std::sort(files.begin(), files.end());
    const fs::path scratch = fs::temp_directory_path() / "place_bench";
    size_t instances = 0, placed = 0, total = 0;
    double densities = 0.0, seconds = 0.0;
    for (const fs::path& file : files) {
        Instance instance;
        std::string error;
        if (!LoadInstance(file, instance, error)) {
            std::fprintf(stderr, "place_bench: %s\n", error.c_str());
            continue;
        }
        const Outcome outcome = Place(instance, scratch);
        std::printf("%-10s placed %zu of %zu, overlaps %zu (largest common area %.4f), density %.4f, %.2f s\n",
                    instance.name.c_str(), outcome.placed, outcome.total, outcome.overlaps, outcome.overlapArea,
                    outcome.density, outcome.seconds);
        std::fflush(stdout);
        ++instances;
        placed += outcome.placed;
        total += outcome.total;
        densities += outcome.density;
        seconds += outcome.seconds;
    }
    fs::remove_all(scratch, ec);
    std::printf("place_bench: instances %zu, placed %zu of %zu items, mean_density %.4f, total_s %.2f\n", instances,
                placed, total, instances ? densities / static_cast<double>(instances) : 0.0, seconds);
    return 0;
}
