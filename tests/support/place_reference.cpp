#include "support/place_reference.h"

#include "engine/NestingOptimizer.h"
#include "geometry/RingArea.h"
#include "host/NestingMacro.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"
#include "support/cgal_areas.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

namespace place_check {

namespace {

constexpr double kStripMillimetres = 1000.0;

// The processor time of this thread: the time on one core, whatever else
// the machine runs.
double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

NRect BoxOf(const Ring& ring) { return NPolygon(NPoint{}, ring).GetGabarit(); }

// The engine's rotation tries: the angles from a figure's first orientation.
struct Turns {
    RotationType type;
    std::vector<double> angles;
};

const std::vector<Turns>& EngineTurns()
{
    static const std::vector<Turns> turns{
        {RotationType::WithoutRotation, {0.0}},
        {RotationType::Rotation180, {0.0, 180.0}},
        {RotationType::RotationGorzVert, {0.0, 90.0}},
        {RotationType::Rotation90, {0.0, 90.0, 180.0, 270.0}},
        {RotationType::Rotation45, {0.0, 45.0, 90.0, 135.0, 180.0, 225.0, 270.0, 315.0}},
    };
    return turns;
}

double Normalised(double degrees)
{
    const double a = std::fmod(degrees, 360.0);
    return a < -1e-9 ? a + 360.0 : (a > 360.0 - 1e-9 ? 0.0 : a);
}

bool Among(const std::vector<double>& angles, double angle)
{
    return std::any_of(angles.begin(), angles.end(), [&](double a) {
        const double d = std::fabs(Normalised(a) - Normalised(angle));
        return d < 1e-6 || 360.0 - d < 1e-6;
    });
}

// The orientation an item's figure is made in so that the tries give exactly
// its allowed orientations; none when they cannot.
std::optional<double> BaseTurn(const Item& item, const Turns& turns)
{
    std::vector<double> allowed;
    for (double a : item.orientations)
        if (!Among(allowed, a))
            allowed.push_back(Normalised(a));
    if (allowed.size() != turns.angles.size())
        return std::nullopt;
    for (double base : allowed) {
        const bool all = std::all_of(turns.angles.begin(), turns.angles.end(),
                                     [&](double t) { return Among(allowed, base + t); });
        if (all)
            return base;
    }
    return std::nullopt;
}

// One kind of tries for the whole run, giving every item exactly the
// orientations it allows (an item that names none allows any, and takes
// quarter turns when no item names any); empty with the reason when the
// engine has none such.
std::optional<Turns> RunTurns(const Instance& instance, std::vector<double>& bases, std::string& why)
{
    const bool anyNamed = std::any_of(instance.items.begin(), instance.items.end(),
                                      [](const Item& item) { return !item.orientations.empty(); });
    for (const Turns& turns : EngineTurns()) {
        if (!anyNamed && turns.type != RotationType::Rotation90)
            continue;
        bases.clear();
        for (const Item& item : instance.items) {
            const std::optional<double> base = item.orientations.empty() ? 0.0 : BaseTurn(item, turns);
            if (!base)
                break;
            bases.push_back(*base);
        }
        if (bases.size() == instance.items.size())
            return turns;
    }
    why = "the engine turns every part by one set of steps (none, 180°, 90° once, quarter turns or 45°): no set "
          "gives each item exactly its allowed orientations";
    return std::nullopt;
}

// A part macro drawn from line segments along the item's rings.
INestingMacroObjectPtr RingMacro(const Item& item)
{
    vlapi::IDrawingContainerPtr container = vrnApi::GetActiveDrawingContainer();
    std::vector<vlapi::IDrawingObjectPtr> lines;
    auto draw = [&](const Ring& ring) {
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
    };
    draw(item.ring);
    for (const Ring& hole : item.holes)
        draw(hole);
    vlapi::IMacroObjectPtr macro = container->GetMacroObjects()->AddMacro(1);
    if (!SetMacroParams(macro, L"Part", static_cast<int>(MacroCommand::Figure), lines))
        return {};
    return NMacroObject::Create(macro);
}

FigurePtr MakeFigure(const Item& item, const FigurePtr& pattern)
{
    FigurePtr figure = Figure::Create(RingMacro(item));
    figure->InitParams();
    figure->InitPolygons(0.0, 0.0, pattern);
    return figure;
}

// Long enough for every copy side by side, each lying on its longer side in
// the widest orientation it allows (a bar set at 45° is wider laid flat).
double StripLength(const Instance& instance)
{
    double length = 0.0;
    for (const Item& item : instance.items) {
        double widest = 0.0;
        std::vector<double> angles = item.orientations;
        angles.push_back(0.0);
        for (double a : angles) {
            const NRect box = BoxOf(esicup::Turned(item.ring, a));
            widest = std::max({widest, box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y});
        }
        length += widest * item.demand;
    }
    return length;
}

struct Placement {
    NPoint point;
    double angle = 0.0;
};

Placement PlacementOf(const Figure& figure)
{
    Placement p;
    figure.GetPlacement(p.point.x, p.point.y, p.angle);
    return p;
}

// The copy's outline moved from where it was made to where it stands.
Ring Moved(const Ring& ring, const Placement& from, const Placement& to)
{
    Ring moved = esicup::Turned(ring, to.angle - from.angle, from.point);
    for (NPoint& p : moved)
        p += to.point - from.point;
    return moved;
}

bool Inside(const Ring& ring, const NRect& rect)
{
    return std::all_of(ring.begin(), ring.end(), [&](const NPoint& p) {
        return p.x > rect.pBot.x - EPS && p.x < rect.pTop.x + EPS && p.y > rect.pBot.y - EPS &&
               p.y < rect.pTop.y + EPS;
    });
}

double LeavesBy(const Ring& ring, const NRect& rect)
{
    const NRect box = BoxOf(ring);
    return std::max({rect.pBot.x - box.pBot.x, rect.pBot.y - box.pBot.y, box.pTop.x - rect.pTop.x,
                     box.pTop.y - rect.pTop.y, 0.0});
}

// Why a copy that found no place could not have one: tried again alone, in
// every rotation, against the copies that were placed.
std::string WhyNotPlaced(NestingOptimizer& optimizer, const SheetPtr& sheet, const Item& item, const Turns& turns,
                         const VectorFigure& placed, const std::vector<size_t>& placedCopies)
{
    const double height = sheet->GetHeight();
    bool fits = false;
    for (double angle : turns.angles) {
        const NRect box = BoxOf(esicup::Turned(areas::Material(item.ring), angle, {}));
        fits = fits || box.pTop.y - box.pBot.y <= height + EPS;
    }
    if (!fits)
        return "taller than the strip in every orientation";
    FigurePtr probe = MakeFigure(item, nullptr);
    probe->ChangeView(sheet->GetView(), true);
    // The run's gaps and method: a run that tried no figure has not set them.
    optimizer.m_hodographBuilder.Init(optimizer.m_figureGap, optimizer.m_sheetGap, optimizer.m_params.optimizationMethod,
                                      false);
    const int tries = static_cast<int>(turns.angles.size());
    std::string why;
    for (int k = 0; k < tries; ++k) {
        if (k > 0)
            probe->SetPlacement(0.0, 0.0, turns.angles[k] - turns.angles[k - 1], false);
        double x = 0.0, y = 0.0, angle = 0.0;
        probe->GetPlacement(x, y, angle);
        VectorPolygon free;
        optimizer.m_hodographBuilder.CreateHodographs(x, y, placed, probe, sheet, free, true, false);
        std::vector<NPoint> points;
        for (const NPolygonPtr& polygon : free)
            polygon->GetPoints(points);
        double bx = 0.0, by = 0.0;
        NestingOptimizer::GetPlacementPoint(points, bx, by, NestingOptimizer::BottomLeftBand(*sheet));
        char line[160];
        if (bx >= NestingOptimizer::kNoPoint) {
            std::snprintf(line, sizeof line, "%s%g°: no free position", why.empty() ? "" : "; ", turns.angles[k]);
        } else {
            probe->SetPlacement(bx - x, by - y, 0.0, false);
            std::string hits;
            for (size_t i = 0; i < placed.size(); ++i)
                if (probe->CheckIntersect(placed[i]))
                    hits += " " + std::to_string(placedCopies[i]);
            std::snprintf(line, sizeof line, "%s%g°: bottom-left (%.3f, %.3f) %s%s", why.empty() ? "" : "; ",
                          turns.angles[k], bx, by, hits.empty() ? "is free" : "overlaps copies", hits.c_str());
            probe->SetPlacement(x - bx, y - by, 0.0, false);
        }
        why += line;
    }
    probe->m_edit = false;
    probe->Clear();
    return why;
}

} // namespace

bool LoadInstance(const std::filesystem::path& file, Instance& instance, std::string& error)
{
    if (!esicup::Load(file, instance, error))
        return false;
    if (!(instance.stripHeight > 0.0)) {
        error = "no strip height in " + file.string();
        return false;
    }
    for (Item& item : instance.items)
        if (SignedArea(item.ring) < 0)
            std::reverse(item.ring.begin(), item.ring.end());
    return true;
}

void ScaleToMillimetres(Instance& instance)
{
    if (instance.millimetres || instance.name.rfind("gardeyn", 0) == 0 || instance.stripHeight <= 0.0)
        return;
    const double factor = kStripMillimetres / instance.stripHeight;
    instance.stripHeight = kStripMillimetres;
    for (Item& item : instance.items) {
        for (NPoint& p : item.ring)
            p *= factor;
        for (Ring& hole : item.holes)
            for (NPoint& p : hole)
                p *= factor;
    }
}

Outcome PlaceOnStrip(const Instance& instance)
{
    const bool savedLayout = NestingSetting::m_withoutLayout;
    const double savedWidth = NestingModel::m_widthSheet;
    const double savedHeight = NestingModel::m_heightSheet;
    NestingSetting::m_withoutLayout = true;

    Outcome outcome;
    // Each item as its figures are made: turned so that the run's tries give
    // it exactly its allowed orientations.
    std::vector<double> bases;
    const std::optional<Turns> turns = RunTurns(instance, bases, outcome.refused);
    std::vector<Item> drawn = instance.items;
    for (size_t i = 0; turns && i < drawn.size(); ++i) {
        drawn[i].ring = esicup::Turned(drawn[i].ring, bases[i]);
        for (Ring& hole : drawn[i].holes)
            hole = esicup::Turned(hole, bases[i]);
    }
    if (turns) {
        NestingOptimizer optimizer;
        NestingModel& model = optimizer.m_model;
        model.m_figureGap = 0.0;
        model.m_sheetGap = 0.0;
        NestingModel::m_widthSheet = StripLength(instance);
        NestingModel::m_heightSheet = instance.stripHeight;
        SheetPtr sheet = Sheet::Create(vrnApi::CreateMacroByRectangle(
            L"Strip", NestingModel::m_widthSheet, instance.stripHeight, static_cast<int>(MacroCommand::Sheet)));
        sheet->InitParams();
        model.m_sheets.push_back(sheet);

        std::vector<FigurePtr> figures;
        std::vector<Placement> made;
        for (size_t i = 0; i < instance.items.size(); ++i) {
            FigurePtr first;
            for (int k = 0; k < instance.items[i].demand; ++k) {
                FigurePtr figure = MakeFigure(drawn[i], first);
                first = first ? first : figure;
                figures.push_back(figure);
                made.push_back(PlacementOf(*figure));
                outcome.copies.push_back({i, {}, false, {}, {}});
            }
        }
        model.m_figures = figures;
        model.SortFiguresByAreasDecrease();

        const double start = ThreadSeconds();
        optimizer.Init(model.m_figures, model.m_sheets);
        optimizer.SetGaps(0.0, 0.0);
        optimizer.m_params.rotateMethod = turns->type;
        optimizer.m_params.autoAddSheet = false;
        optimizer.SetAutoPlacementAllFigures(NestingMode::AutoForAll);
        outcome.seconds = ThreadSeconds() - start;

        const NRect& strip = sheet->m_rect;
        double usedLength = 0.0;
        double area = 0.0;
        VectorFigure placed;
        std::vector<size_t> placedCopies;
        for (size_t c = 0; c < figures.size(); ++c) {
            Copy& copy = outcome.copies[c];
            const Item& item = drawn[copy.item];
            const Placement now = PlacementOf(*figures[c]);
            copy.outline = Moved(item.ring, made[c], now);
            for (const Ring& hole : item.holes)
                copy.holes.push_back(Moved(hole, made[c], now));
            if (figures[c]->m_owner != sheet) {
                copy.why = "no place found";
                continue;
            }
            const double orientation = Normalised(bases[copy.item] + now.angle - made[c].angle);
            if (!item.orientations.empty() && !Among(item.orientations, orientation)) {
                char line[96];
                std::snprintf(line, sizeof line, "placed turned by %g°, which the item does not allow", orientation);
                copy.why = line;
                continue;
            }
            // The part's material: a spike of its outline holds none.
            const Ring material = areas::Material(copy.outline);
            if (!Inside(material, strip)) {
                char line[96];
                std::snprintf(line, sizeof line, "owned by the strip, but its outline leaves it by %.4f mm",
                              LeavesBy(material, strip));
                copy.why = line;
                continue;
            }
            copy.placed = true;
            ++outcome.placed;
            placed.push_back(figures[c]);
            placedCopies.push_back(c);
            area += std::fabs(SignedArea(copy.outline));
            for (const Ring& hole : copy.holes)
                area -= std::fabs(SignedArea(hole));
            usedLength = std::max(usedLength, BoxOf(material).pTop.x - strip.pBot.x);
        }
        if (usedLength > 0.0)
            outcome.density = area / (instance.stripHeight * usedLength);
        for (size_t c = 0; c < figures.size(); ++c)
            if (!outcome.copies[c].placed && !figures[c]->m_owner)
                outcome.copies[c].why =
                    WhyNotPlaced(optimizer, sheet, drawn[outcome.copies[c].item], *turns, placed, placedCopies);
        model.m_figures.clear();
        model.m_sheets.clear();
    }
    outcome.overlaps = FindOverlaps(outcome.copies);

    NestingSetting::m_withoutLayout = savedLayout;
    NestingModel::m_widthSheet = savedWidth;
    NestingModel::m_heightSheet = savedHeight;
    return outcome;
}

std::vector<Overlap> FindOverlaps(const std::vector<Copy>& copies)
{
    auto RegionOf = [](const Copy& copy) {
        areas::Region region{copy.outline};
        region.insert(region.end(), copy.holes.begin(), copy.holes.end());
        return region;
    };
    struct Candidate {
        size_t copy;
        NRect box; // shrunk
    };
    std::vector<Candidate> candidates;
    for (size_t c = 0; c < copies.size(); ++c) {
        if (!copies[c].placed)
            continue;
        NRect box = BoxOf(copies[c].outline);
        box.pBot += NPoint{kOverlapShrink, kOverlapShrink};
        box.pTop -= NPoint{kOverlapShrink, kOverlapShrink};
        candidates.push_back({c, box});
    }
    // Sweep over the boxes from the left.
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.box.pBot.x < b.box.pBot.x; });
    std::vector<Overlap> overlaps;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& a = candidates[i];
        for (size_t j = i + 1; j < candidates.size() && candidates[j].box.pBot.x < a.box.pTop.x; ++j) {
            const Candidate& b = candidates[j];
            if (b.box.pBot.y >= a.box.pTop.y || a.box.pBot.y >= b.box.pTop.y)
                continue;
            const size_t first = std::min(a.copy, b.copy), second = std::max(a.copy, b.copy);
            try {
                const double area = areas::ShrunkOverlapArea(RegionOf(copies[a.copy]), RegionOf(copies[b.copy]),
                                                             kOverlapShrink);
                if (area > kOverlapArea)
                    overlaps.push_back({first, second, area, {}});
            } catch (const std::exception& e) {
                overlaps.push_back({first, second, 0.0, e.what()});
            }
        }
    }
    std::sort(overlaps.begin(), overlaps.end(),
              [](const Overlap& x, const Overlap& y) { return x.a != y.a ? x.a < y.a : x.b < y.b; });
    return overlaps;
}

std::string Describe(const Instance& instance, const Outcome& outcome, const Overlap& overlap)
{
    char line[160];
    std::snprintf(line, sizeof line, "copies %zu (item %s) and %zu (item %s): ", overlap.a,
                  instance.items[outcome.copies[overlap.a].item].id.c_str(), overlap.b,
                  instance.items[outcome.copies[overlap.b].item].id.c_str());
    if (!overlap.unmeasured.empty())
        return line + ("cannot be measured: " + overlap.unmeasured);
    char area[48];
    std::snprintf(area, sizeof area, "%.6f mm²", overlap.area);
    return line + std::string(area);
}

} // namespace place_check
