// Speed of the curve kernel: approximations of splines and ellipses, and the
// drawing-wide operations (chaining, enclosing contours, offsets).

#include "geom/Offset.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vlhost::geom;

Nurbs wavy()
{
    return Nurbs{{{0, 0}, {10, 25}, {25, -15}, {40, 30}, {55, 5}, {60, 40}, {80, 0}},
                 {1, 2, 0.5, 1, 3, 1, 1},
                 {0, 0, 0, 0, 1, 2, 2.5, 4, 4, 4, 4},
                 3};
}

void chordsOfNurbs(benchmark::State& state)
{
    const Curve c = wavy();
    for (auto _ : state)
        benchmark::DoNotOptimize(chordPoints(c, 0.01));
}
BENCHMARK(chordsOfNurbs);

void linesAndArcsOfNurbs(benchmark::State& state)
{
    const Curve c = wavy();
    for (auto _ : state)
        benchmark::DoNotOptimize(linesAndArcs(c, 0.01));
}
BENCHMARK(linesAndArcsOfNurbs);

void linesAndArcsOfEllipse(benchmark::State& state)
{
    const Curve c = Ellipse{{0, 0}, 100, 40, 0.3};
    for (auto _ : state)
        benchmark::DoNotOptimize(linesAndArcs(c, 0.01));
}
BENCHMARK(linesAndArcsOfEllipse);

void nearestOnNurbs(benchmark::State& state)
{
    const Curve c = wavy();
    for (auto _ : state)
        benchmark::DoNotOptimize(nearestPoint(c, {30, 10}));
}
BENCHMARK(nearestOnNurbs);

// A 100 x 100 grid of lines with a small arc in each of 2000 cells.
std::vector<Curve> gridDrawing()
{
    std::vector<Curve> curves;
    for (int k = 0; k <= 100; ++k) {
        curves.push_back(Segment{{k * 10.0, -5}, {k * 10.0, 1005}});
        curves.push_back(Segment{{-5, k * 10.0}, {1005, k * 10.0}});
    }
    for (int k = 0; k < 2000; ++k)
        curves.push_back(Arc{{(k % 50) * 20.0 + 5, (k / 50) * 20.0 + 5}, 3, 0, 3, true});
    return curves;
}

void enclosingInGrid(benchmark::State& state)
{
    const std::vector<Curve> curves = gridDrawing();
    for (auto _ : state)
        benchmark::DoNotOptimize(enclosingContours(curves, {505, 505}));
}
BENCHMARK(enclosingInGrid)->Unit(benchmark::kMillisecond);

void chainingThousands(benchmark::State& state)
{
    std::vector<Curve> curves;
    for (int k = 0; k < 3000; ++k) {
        const double x = (k % 60) * 10.0;
        const double y = (k / 60) * 10.0;
        if (k % 2)
            curves.push_back(Segment{{x, y}, {x + 10, y}});
        else
            curves.push_back(Arc::fromEnds({x + 5, y}, {x, y}, {x + 10, y}, false));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(chainContours(curves));
}
BENCHMARK(chainingThousands)->Unit(benchmark::kMillisecond);

void offsetOfRoundedOutline(benchmark::State& state)
{
    std::vector<Curve> curves{Circle{{0, 0}, 100}};
    for (int k = 0; k < 50; ++k)
        curves.push_back(Circle{{(k % 10) * 15.0 - 70, (k / 10) * 15.0 - 30}, 5});
    const std::vector<Contour> contours = chainContours(curves);
    for (auto _ : state)
        benchmark::DoNotOptimize(offsetContours(contours, 2, Corners::Round, 0.01));
}
BENCHMARK(offsetOfRoundedOutline)->Unit(benchmark::kMillisecond);

}  // namespace
