// Hot paths of the planar geometry on outlines of 100 to 1000 vertices: point
// in polygon, boundary crossings, sliding distance, and the booleans as the
// no-fit-polygon builder uses them (the union of overlapping outlines, the
// difference of a region and an outline, the union of rectangles that share
// edges).
#include "geometry/Polygon.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
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

// Booleans.

void RunBoolean(benchmark::State& state, BooleanType type)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const VectorPolygon operands{std::make_shared<NPolygon>(Wavy(n, 0, 0, 9)),
                                 std::make_shared<NPolygon>(Wavy(n, 60, 20, 10))};
    size_t rings = 0;
    for (auto _ : state) {
        VectorPolygon outs;
        benchmark::DoNotOptimize(CreateBooleanPoligons(operands, type, outs, false));
        rings = outs.size();
    }
    state.counters["rings"] = static_cast<double>(rings);
}

void BM_UnionOverlapping(benchmark::State& state) { RunBoolean(state, BooleanType::Union); }
BENCHMARK(BM_UnionOverlapping)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_DifferenceOverlapping(benchmark::State& state) { RunBoolean(state, BooleanType::Difference); }
BENCHMARK(BM_DifferenceOverlapping)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// A row of unit-wide rectangles of alternating heights, each sharing a side
// with the next: every edge meets a collinear one.
void BM_UnionOfAdjoiningRectangles(benchmark::State& state)
{
    VectorPolygon operands;
    for (int k = 0; k < state.range(0); ++k) {
        const double x = k;
        const double h = 1 + (k % 2);
        operands.push_back(std::make_shared<NPolygon>(
            NPoint{}, std::vector<NPoint>{{x, 0}, {x + 1, 0}, {x + 1, h}, {x, h}}));
    }
    for (auto _ : state) {
        VectorPolygon outs;
        benchmark::DoNotOptimize(CreateBooleanPoligons(operands, BooleanType::Union, outs, false));
    }
}
BENCHMARK(BM_UnionOfAdjoiningRectangles)->Arg(10)->Arg(40)->Unit(benchmark::kMillisecond);

}  // namespace
