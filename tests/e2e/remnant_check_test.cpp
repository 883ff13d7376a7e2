// job_check's measure of remnants against parts, on jobs made by hand: each
// fault it is there for is named, and a job without one passes.
#include "job_check/RemnantCheck.h"

#include "model/Params.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace jobcheck;

Outline Box(double x1, double y1, double x2, double y2)
{
    return Outline{{Ring{{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}}, (x2 - x1) * (y2 - y1)}}, {}};
}

// A sheet 300 x 200 with a part 100 x 50 in its corner, a gap of 5 and one remnant.
Job JobWith(const Outline& remnant, bool rectanglesOnly = false, double minimum = 0.0)
{
    Job job;
    job.figureGap = 5.0;
    ModelParams params;
    params.m_wastesRect = rectanglesOnly;
    params.m_wastRectSize = minimum;
    size_t offset = 0;
    params.SaveModelParams(job.params, offset);
    SheetRecord sheet;
    sheet.name = L"Лист 1";
    sheet.view = 1;
    sheet.rect = {{0, 0}, {300, 200}};
    job.sheets.push_back(sheet);
    PartRecord part;
    part.name = L"Plate";
    part.view = 1;
    part.sheet = 0;
    part.outline = Box(10, 10, 110, 60);
    job.parts.push_back(part);
    job.remnants.push_back({L"Отход", 1, true, remnant});
    return job;
}

// The same job with no gap between parts, and the part given.
Job Gapless(Job job, const Outline& part)
{
    job.figureGap = 0.0;
    job.parts.front().outline = part;
    return job;
}

// The sheet less the rings given as its holes.
Outline SheetLess(std::vector<Points> holes)
{
    Outline outline = Box(0, 0, 300, 200);
    for (Points& hole : holes)
        outline.rings.push_back(Ring{std::move(hole), 0.0});
    return outline;
}

// A circle of radius 30 about (150, 100) on `n` points, turned by `phase` of a step.
Points Circle(int n, double phase)
{
    Points points;
    for (int k = 0; k < n; ++k) {
        const double a = 2 * M_PI * (k + phase) / n;
        points.push_back({150 + 30 * std::cos(a), 100 + 30 * std::sin(a)});
    }
    return points;
}

// Two lobes touching at (110, 60), the second visit a little off it as
// traced around parts that touch: the part's box and the box beside it.
const Points kEight{{10, 10}, {110, 10}, {110, 60}, {160, 60}, {160, 100}, {110, 100}, {110.00001, 60.000005}, {10, 60}};
// The same shape moved off the part: the part lies under the remnant.
const Points kEightBeside{{160, 10}, {200, 10}, {200, 60}, {250, 60}, {250, 100}, {200, 100}, {200.00001, 60.000005}, {160, 60}};

TEST(RemnantCheck, NamesEachFaultAndPassesAJobWithout)
{
    const struct {
        const char* what;
        Job job;
        const char* fault;  // nullptr: none
    } cases[] = {
        {"clear of the part by the gap", JobWith(Box(115, 10, 290, 190)), nullptr},
        {"over the part", JobWith(Box(100, 10, 290, 190)), "holds 500.0000 mm² of part 1 \"Plate\""},
        {"within the part's gap", JobWith(Box(112, 10, 290, 190)), "stands 2.0000 mm from part 1 \"Plate\""},
        {"a hair wide", JobWith(Box(200, 100, 286.56, 100.39)), "is 86.56 x 0.39 mm"},
        {"under the minimum once cut down", JobWith(Box(200, 100, 259.3, 138), true, 40.0), "under the minimum size 40.00 mm"},
        {"the minimum kept", JobWith(Box(200, 100, 259.3, 140), true, 40.0), nullptr},
        {"from the free area, under the default minimum", JobWith(Box(200, 100, 286, 109.9)), "under the minimum size 10.00 mm"},
        {"a hair under the minimum", JobWith(Box(200, 100, 286, 109.99999)), "is 86.00 x 10.00 mm, under the minimum size"},
        {"the minimum to the rounding of doubles", JobWith(Box(200, 100, 286, 110 - 1e-9)), nullptr},
        // With no gap: a remnant round parts that touch one another, its hole touching itself.
        {"round touching parts", Gapless(JobWith(SheetLess({kEight})), Box(10, 10, 110, 60)), nullptr},
        {"round touching parts beside the part", Gapless(JobWith(SheetLess({kEightBeside})), Box(10, 10, 110, 60)),
         "holds 5000.0000 mm² of part 1 \"Plate\""},
        {"holes touching each other and the outline",
         Gapless(JobWith(SheetLess({{{0, 0}, {110, 10}, {10, 60}}, {{110, 10}, {150, 10}, {150, 60}}})), Box(10, 10, 110, 60)),
         "holds 2500.0000 mm² of part 1 \"Plate\""},
        {"along a round part, sampled apart", Gapless(JobWith(SheetLess({Circle(180, 0.5)})), Outline{{Ring{Circle(240, 0), 0.0}}, {}}),
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RemnantReport report = CheckRemnants(c.job);
        if (!c.fault) {
            EXPECT_TRUE(report.faults.empty()) << report.faults.front();
            EXPECT_NE(report.passed.find("1 remnants on sheets"), std::string::npos) << report.passed;
            continue;
        }
        ASSERT_EQ(report.faults.size(), 1u);
        EXPECT_NE(report.faults.front().find(c.fault), std::string::npos) << report.faults.front();
    }
}

}  // namespace
