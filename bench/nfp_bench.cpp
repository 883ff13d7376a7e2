// Orbiting no-fit polygons of large non-convex outlines: stars of many spikes
// and a plate whose rounded corners and holes are approximated by chords; and
// the regions of parts in holes just large enough for them: a disc in a round
// hole, a many-sided plate in its window, a six-lobed plate in its window.
#include "engine/NfpBuilder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <utility>

namespace {

// A star of `vertices` points (an even count) alternating between two radii.
std::shared_ptr<NPolygon> Star(size_t vertices, double outer, double inner)
{
    std::vector<NPoint> points;
    for (size_t k = 0; k < vertices; ++k) {
        double a = 2.0 * PI * static_cast<double>(k) / static_cast<double>(vertices);
        double r = k % 2 == 0 ? outer : inner;
        points.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return std::make_shared<NPolygon>(NPoint{}, points);
}

// Chords of an arc of `radius` from angle a0 to a1 whose sag stays below `sag`.
void AppendArc(std::vector<NPoint>& points, const NPoint& centre, double radius, double a0, double a1, double sag)
{
    double step = 2.0 * std::acos(1.0 - sag / radius);
    int n = std::max(1, static_cast<int>(std::ceil(std::fabs(a1 - a0) / step)));
    for (int k = 0; k <= n; ++k) {
        double a = a0 + (a1 - a0) * k / n;
        points.push_back({centre.x + radius * std::cos(a), centre.y + radius * std::sin(a)});
    }
}

// A 200 x 120 mm plate with corners rounded at 15 mm, cut open by a slot from
// its top edge to a round hole of 20 mm radius, so that the outline is one ring
// with a deep non-convex pocket; chords at a 0.01 mm sag.
std::shared_ptr<NPolygon> Plate(double sag)
{
    constexpr double W = 200.0;
    constexpr double H = 120.0;
    constexpr double R = 15.0;
    constexpr double HOLE = 20.0;
    constexpr double SLOT = 12.0; // half-width of the slot
    std::vector<NPoint> p;
    AppendArc(p, {W - R, R}, R, -0.5 * PI, 0.0, sag);
    AppendArc(p, {W - R, H - R}, R, 0.0, 0.5 * PI, sag);
    // The slot down to the hole and the hole itself, clockwise around it.
    double cx = 0.5 * W;
    double cy = 0.5 * H;
    double open = std::asin(SLOT / HOLE);
    p.push_back({cx + SLOT, H});
    AppendArc(p, {cx, cy}, HOLE, 0.5 * PI - open, -1.5 * PI + open, sag);
    p.push_back({cx - SLOT, H});
    AppendArc(p, {R, H - R}, R, 0.5 * PI, PI, sag);
    AppendArc(p, {R, R}, R, PI, 1.5 * PI, sag);
    return std::make_shared<NPolygon>(NPoint{}, p);
}

std::shared_ptr<NPolygon> Turned90(const NPolygon& polygon)
{
    std::vector<NPoint> points;
    for (const NPoint& q : polygon.m_points)
        points.push_back({-q.y, q.x});
    return std::make_shared<NPolygon>(NPoint{}, points);
}

// A ring of `vertices` points at `radius` round the origin, its radius
// varied by `lobes` waves of `amplitude` (a share of the radius), less `less`.
std::shared_ptr<NPolygon> Round(size_t vertices, double radius, double less, int lobes = 0, double amplitude = 0.0)
{
    std::vector<NPoint> points;
    for (size_t k = 0; k < vertices; ++k) {
        double a = 2.0 * PI * static_cast<double>(k) / static_cast<double>(vertices);
        double r = radius * (1.0 + amplitude * std::cos(lobes * a)) - less;
        points.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return std::make_shared<NPolygon>(NPoint{}, points);
}

std::shared_ptr<NPolygon> Reversed(const NPolygon& polygon)
{
    return std::make_shared<NPolygon>(NPoint{}, std::vector<NPoint>(polygon.m_points.rbegin(), polygon.m_points.rend()));
}

void RunNfp(benchmark::State& state, const std::shared_ptr<NPolygon>& a, const std::shared_ptr<NPolygon>& b,
            bool inner = false)
{
    size_t rings = 0;
    for (auto _ : state) {
        NFP_Builder builder;
        builder.Init(NPoint{}, a, b, inner);
        builder.RunCalculate();
        rings = builder.GetNfpPolygons().size();
        benchmark::DoNotOptimize(rings);
    }
    state.counters["rings"] = static_cast<double>(rings);
    state.counters["vertices"] = static_cast<double>(a->m_points.size() + b->m_points.size());
}

void BM_NfpStars(benchmark::State& state)
{
    auto a = Star(static_cast<size_t>(state.range(0)), 100.0, 60.0);
    auto b = Star(static_cast<size_t>(state.range(1)), 40.0, 25.0);
    RunNfp(state, a, b);
}
BENCHMARK(BM_NfpStars)->Args({40, 20})->Args({100, 50})->Args({200, 100})->Args({400, 200})->Unit(benchmark::kMillisecond);

void BM_NfpRoundedPlate(benchmark::State& state)
{
    auto plate = Plate(0.01);
    RunNfp(state, plate, Turned90(*plate));
}
BENCHMARK(BM_NfpRoundedPlate)->Unit(benchmark::kMillisecond);

// A disc of 119.5 mm in a round hole of 120 mm, both of as many chords.
void BM_NfpDiscInRoundHole(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    RunNfp(state, Reversed(*Round(n, 120.0, 0.0)), Round(n, 120.0, 0.5), true);
}
BENCHMARK(BM_NfpDiscInRoundHole)->Arg(96)->Arg(192)->Arg(360)->Arg(720)->Unit(benchmark::kMillisecond);

// A regular plate of n sides in its window of 100 mm radius, `less` smaller
// in radius (thousandths of a millimetre): it goes in, in a region that
// small.
void BM_NfpPlateInManySidedWindow(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const double less = static_cast<double>(state.range(1)) * 1e-3;
    RunNfp(state, Reversed(*Round(n, 100.0, 0.0)), Round(n, 100.0, less), true);
}
BENCHMARK(BM_NfpPlateInManySidedWindow)
    ->Args({24, 1})->Args({48, 5})->Args({96, 20})->Args({192, 50})->Unit(benchmark::kMillisecond);

// The same with six lobes of a tenth of the radius: a window no convex one.
void BM_NfpLobedPlateInItsWindow(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const double less = static_cast<double>(state.range(1)) * 1e-3;
    RunNfp(state, Reversed(*Round(n, 100.0, 0.0, 6, 0.1)), Round(n, 100.0, less, 6, 0.1), true);
}
BENCHMARK(BM_NfpLobedPlateInItsWindow)
    ->Args({96, 1})->Args({192, 1})->Args({360, 1})->Args({360, 10})->Args({360, 200})->Unit(benchmark::kMillisecond);

// A gear of `teeth` teeth of 5 vertices each, 100 mm to their tips and 6 mm
// deep, its edges moved `less` inwards (mitred): in its window, many teeth
// are in contact at once.
std::shared_ptr<NPolygon> Gear(size_t teeth, double less)
{
    std::vector<NPoint> points;
    for (size_t t = 0; t < teeth; ++t)
        for (const auto& [share, radius] : {std::pair{0.0, 94.0}, {0.2, 94.0}, {0.35, 100.0}, {0.65, 100.0}, {0.8, 94.0}}) {
            const double a = 2.0 * PI * (static_cast<double>(t) + share) / static_cast<double>(teeth);
            points.push_back({radius * std::cos(a), radius * std::sin(a)});
        }
    std::vector<NPoint> moved(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
        const NPoint& p = points[k];
        const NPoint e1 = p - points[(k + points.size() - 1) % points.size()];
        const NPoint e2 = points[(k + 1) % points.size()] - p;
        const NPoint n1{-e1.y / std::hypot(e1.x, e1.y), e1.x / std::hypot(e1.x, e1.y)};
        const NPoint n2{-e2.y / std::hypot(e2.x, e2.y), e2.x / std::hypot(e2.x, e2.y)};
        const double f = less / (1.0 + n1.x * n2.x + n1.y * n2.y);
        moved[k] = {p.x + f * (n1.x + n2.x), p.y + f * (n1.y + n2.y)};
    }
    return std::make_shared<NPolygon>(NPoint{}, moved);
}

void BM_NfpGearInItsWindow(benchmark::State& state)
{
    const size_t teeth = static_cast<size_t>(state.range(0));
    const double less = static_cast<double>(state.range(1)) * 1e-3;
    RunNfp(state, Reversed(*Gear(teeth, 0.0)), Gear(teeth, less), true);
}
BENCHMARK(BM_NfpGearInItsWindow)->Args({72, 1})->Args({72, 10})->Args({72, 100})->Unit(benchmark::kMillisecond);

} // namespace
