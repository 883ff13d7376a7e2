#include "job_check/RemnantCheck.h"

#include "model/Params.h"
#include "support/cgal_areas.h"
#include "support/ring_distance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace jobcheck {
namespace {

constexpr double kCommonArea = 1e-6;  // mm² a remnant and a part may share
constexpr double kGapShort = 0.01;    // mm a remnant may come nearer than the part gap
constexpr double kLeastSide = 1.0;    // mm: a size registered as 0 below it
constexpr double kDefaultMinimum = 10.0;  // mm: the minimum size while the drawing gives none (0)
constexpr double kNear = 1.0;         // mm beyond the part gap within which a pair is measured
// mm: a common area no wider than twice this is where a remnant runs along a
// curve of the part (both sampled within 0.005 mm of their curves).
constexpr double kAlongCurve = 0.006;

std::string Text(double value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

bool Apart(const NRect& a, const NRect& b, double by)
{
    return a.pBot.x - b.pTop.x >= by || b.pBot.x - a.pTop.x >= by || a.pBot.y - b.pTop.y >= by ||
           b.pBot.y - a.pTop.y >= by;
}

areas::Region Region(const Outline& outline)
{
    areas::Region region;
    for (const Ring& ring : outline.rings)
        region.push_back(ring.points);
    return region;
}

// The least distance between the rings of the two outlines; stops once it
// is below `below`.
double Distance(const Outline& a, const Outline& b, double below)
{
    double least = 1e300;
    for (const Ring& p : a.rings) {
        for (const Ring& q : b.rings) {
            for (size_t i = 0; i < p.points.size(); ++i) {
                const NPoint& p1 = p.points[i];
                const NPoint& p2 = p.points[(i + 1) % p.points.size()];
                for (size_t j = 0; j < q.points.size(); ++j) {
                    least = std::min(least, ringtest::SegmentDistance(p1, p2, q.points[j],
                                                                      q.points[(j + 1) % q.points.size()]));
                    if (least < below)
                        return least;
                }
            }
        }
    }
    return least;
}

// The common area of a remnant and a part that is more than the sampling of
// a curve they both run along (a remnant beside a part with no gap).
double HeldArea(const areas::Region& remnant, const areas::Region& part)
{
    try {
        return areas::ShrunkOverlapArea(remnant, part, kAlongCurve);
    } catch (const areas::Unmeasurable&) {
        return areas::OverlapArea(remnant, part);
    }
}

// One ring bounding the same area as its box.
bool IsRectangle(const Outline& outline, const NRect& box)
{
    if (outline.rings.size() != 1)
        return false;
    const double area = (box.pTop.x - box.pBot.x) * (box.pTop.y - box.pBot.y);
    return std::fabs(areas::Area(Region(outline)) - area) <= 1e-6 * std::max(area, 1.0);
}

}  // namespace

RemnantReport CheckRemnants(const Job& job)
{
    RemnantReport report;
    ModelParams params;
    size_t offset = 0;
    const bool rectanglesOnly = params.LoadModelParams(job.params, offset) && params.m_wastesRect;
    const double minimum = params.m_wastRectSize > 0.0 ? params.m_wastRectSize : kDefaultMinimum;
    size_t measured = 0, pairs = 0;
    for (size_t r = 0; r < job.remnants.size(); ++r) {
        const RemnantRecord& remnant = job.remnants[r];
        const std::string name = "remnant " + std::to_string(r + 1) + " \"" + vlhost::Host::Utf8(remnant.name) + "\"";
        const auto sheet = std::find_if(job.sheets.begin(), job.sheets.end(),
                                        [&](const SheetRecord& s) { return s.view == remnant.view; });
        if (sheet == job.sheets.end())
            continue;
        if (remnant.outline.rings.empty() || !remnant.outline.open.empty()) {
            report.faults.push_back(name + " has no closed outline");
            continue;
        }
        ++measured;
        const NRect box = BoxOf(remnant.outline);
        const double width = box.pTop.x - box.pBot.x;
        const double height = box.pTop.y - box.pBot.y;
        if (width < kLeastSide || height < kLeastSide)
            report.faults.push_back(name + " is " + Text(width, 2) + " x " + Text(height, 2) +
                                    " mm: its registered size is 0");
        else if ((rectanglesOnly ? IsRectangle(remnant.outline, box) : remnant.automatic) &&
                 !(std::min(width, height) > minimum - kRemnantWidthShort))
            report.faults.push_back(name + " is " + Text(width, 2) + " x " + Text(height, 2) +
                                    " mm, under the minimum size " + Text(minimum, 2) + " mm");
        const areas::Region region = Region(remnant.outline);
        const int sheetIndex = static_cast<int>(sheet - job.sheets.begin());
        for (size_t p = 0; p < job.parts.size(); ++p) {
            const PartRecord& part = job.parts[p];
            if (part.sheet != sheetIndex || part.outline.rings.empty() || Apart(box, BoxOf(part.outline), job.figureGap + kNear))
                continue;
            ++pairs;
            const std::string partName = "part " + std::to_string(p + 1) + " \"" + vlhost::Host::Utf8(part.name) + "\"";
            const areas::Region partRegion = Region(part.outline);
            const double common = areas::OverlapArea(region, partRegion);
            if (common > kCommonArea && HeldArea(region, partRegion) > kCommonArea) {
                report.faults.push_back(name + " holds " + Text(common, 4) + " mm² of " + partName);
                continue;
            }
            const double apart = Distance(remnant.outline, part.outline, job.figureGap - kGapShort);
            if (apart < job.figureGap - kGapShort)
                report.faults.push_back(name + " stands " + Text(apart, 4) + " mm from " + partName +
                                        ", within the part gap " + Text(job.figureGap, 4) + " mm");
        }
    }
    report.passed = std::to_string(measured) + " remnants on sheets, " + std::to_string(pairs) +
                    " near parts measured: none holds a part or reaches into its gap of " + Text(job.figureGap, 4) +
                    " mm, none is under 1 mm, nor, built " + (rectanglesOnly ? "as rectangles" : "automatically") +
                    ", under the minimum size " + Text(minimum, 2) + " mm";
    return report;
}

}  // namespace jobcheck
