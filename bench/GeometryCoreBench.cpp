#include "geometry/Polygon.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace {

// A wavy outline of n vertices (radius 75 +- 20 around (cx, cy)), like a part
// whose arcs are approximated by short chords.
NPolygon Wavy(size_t n, double cx, double cy, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> noise(-0.5, 0.5);
    std::vector<NPoint> points;
    for (size_t k = 0; k < n; ++k) {
        const double a = 2 * PI * static_cast<double>(k) / static_cast<double>(n);
        const double r = 75.0 + 20.0 * std::sin(7 * a) + noise(rng);
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return NPolygon(NPoint{}, points);
}

void BM_PointInPolygon(benchmark::State& state)
{
    const NPolygon star = Wavy(static_cast<size_t>(state.range(0)), 0, 0, 1);
    std::mt19937 rng(2);
    std::uniform_real_distribution<double> coord(-100.0, 100.0);
    std::vector<NPoint> probes;
    for (int k = 0; k < 256; ++k)
        probes.push_back({coord(rng), coord(rng)});
    size_t k = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(star.CheckContainPoint(probes[k++ % probes.size()], true));
}
BENCHMARK(BM_PointInPolygon)->Arg(100)->Arg(1000);

void BM_IntersectionOverlapping(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const NPolygon a = Wavy(n, 0, 0, 3);
    const NPolygon b = Wavy(n, 60, 20, 4);
    std::vector<NIndexPoint> hits;
    for (auto _ : state) {
        hits.clear();
        benchmark::DoNotOptimize(a.Intersection(b, hits));
    }
    state.counters["hits"] = static_cast<double>(hits.size());
}
BENCHMARK(BM_IntersectionOverlapping)->Arg(100)->Arg(1000);

void BM_CheckIntersectionNeighbours(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const NPolygon a = Wavy(n, 0, 0, 5);
    const NPolygon b = Wavy(n, 165, 0, 6);  // gabarits overlap, outlines barely meet
    for (auto _ : state)
        benchmark::DoNotOptimize(a.CheckIntersection(b, false));
}
BENCHMARK(BM_CheckIntersectionNeighbours)->Arg(100)->Arg(1000);

void BM_SlidingDistance(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const NPolygon fixed = Wavy(n, 0, 0, 7);
    const NPolygon moving = Wavy(n, 400, 10, 8);
    for (auto _ : state)
        benchmark::DoNotOptimize(fixed.Distance(moving, {-1, 0}, false));
}
BENCHMARK(BM_SlidingDistance)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
