// Polygon booleans as the no-fit-polygon builder uses them: the union of
// overlapping outlines, the difference of a region and an outline, and the
// union of rectangles that share edges.
#include "geometry/Polygon.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// A wavy outline of n vertices round (cx, cy), like a part whose arcs are
// approximated by short chords.
NPolygonPtr Wavy(size_t n, double cx, double cy)
{
    std::vector<NPoint> points;
    for (size_t k = 0; k < n; ++k) {
        const double a = 2 * PI * static_cast<double>(k) / static_cast<double>(n);
        const double r = 75.0 + 20.0 * std::sin(7 * a);
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return std::make_shared<NPolygon>(NPoint{}, points);
}

void RunBoolean(benchmark::State& state, BooleanType type)
{
    const size_t n = static_cast<size_t>(state.range(0));
    const VectorPolygon operands{Wavy(n, 0, 0), Wavy(n, 60, 20)};
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
