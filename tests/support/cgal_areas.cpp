#include "support/cgal_areas.h"

// GCC 12 at -O3 takes a local of CGAL's simplicity test for uninitialised
// once inlined here; the warning names CGAL's lines, so it is silenced there.
#pragma GCC diagnostic push
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_set_2.h>
#include <CGAL/create_offset_polygons_from_polygon_with_holes_2.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace areas {
namespace {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Polygon = CGAL::Polygon_2<Kernel>;
using PolygonWithHoles = CGAL::Polygon_with_holes_2<Kernel>;
using PolygonSet = CGAL::Polygon_set_2<Kernel>;

std::string Text(const Ring& ring)
{
    std::string text;
    char point[64];
    for (size_t k = 0; k < ring.size() && k < 8; ++k) {
        std::snprintf(point, sizeof point, "(%.9g, %.9g)", ring[k].x, ring[k].y);
        text += point;
    }
    return text + (ring.size() > 8 ? "..." : "");
}

Polygon ToPolygon(const Ring& ring, CGAL::Orientation orientation, const char* role)
{
    Polygon polygon;
    // A spike (the ring running out and back along one line) bounds nothing.
    for (const NPoint& p : Material(ring)) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            throw Unmeasurable(std::string(role) + " has a point that is not a number: " + Text(ring));
        polygon.push_back(Kernel::Point_2(p.x, p.y));
    }
    if (polygon.size() < 3 || !polygon.is_simple() || polygon.orientation() == CGAL::COLLINEAR)
        throw Unmeasurable(std::string(role) + " of " + std::to_string(ring.size()) +
                           " points is not a simple ring: " + Text(ring));
    if (polygon.orientation() != orientation)
        polygon.reverse_orientation();
    return polygon;
}

double AreaOf(const PolygonSet& set)
{
    std::vector<PolygonWithHoles> parts;
    set.polygons_with_holes(std::back_inserter(parts));
    Kernel::FT total = 0;
    for (const PolygonWithHoles& part : parts) {
        total += part.outer_boundary().area();
        for (auto hole = part.holes_begin(); hole != part.holes_end(); ++hole)
            total += hole->area();  // holes run clockwise: negative
    }
    return CGAL::to_double(total);
}

// Points of a ring closer than this that it passes apart are where it
// touches itself: outlines traced around parts that touch one another come
// back to a point within the joining of their pieces.
constexpr double kPinch = 1e-3;
// Common area, mm², that tells a hole crossing another ring from one touching it.
constexpr double kTouch = 1e-6;

// The ring as the simple loops it closes where it touches itself; each point
// that comes back near one passed before is taken as that one.
std::vector<Ring> PinchedLoops(const Ring& ring)
{
    Ring snapped = WithoutRepeats(ring);
    for (size_t k = 0; k < snapped.size(); ++k) {
        for (size_t j = 0; j + 1 < k; ++j) {
            if (std::hypot(snapped[k].x - snapped[j].x, snapped[k].y - snapped[j].y) < kPinch &&
                !(j == 0 && k + 1 == snapped.size())) {
                snapped[k] = snapped[j];
                break;
            }
        }
    }
    std::vector<Ring> loops;
    for (Ring& loop : SplitAtRepeatedPoints(WithoutRepeats(snapped))) {
        loop = WithoutSpikes(WithoutRepeats(loop));
        if (loop.size() >= 3)
            loops.push_back(std::move(loop));
    }
    return loops;
}

// Simple once its spikes and slivers are gone, as ToPolygon measures it.
bool IsSimple(const Ring& ring)
{
    Polygon polygon;
    for (const NPoint& p : Material(ring)) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
        polygon.push_back(Kernel::Point_2(p.x, p.y));
    }
    return polygon.size() >= 3 && polygon.is_simple() && polygon.orientation() != CGAL::COLLINEAR;
}

// What the ring encloses. A ring that touches itself encloses what an odd
// number of its loops do: two lobes side by side, or a lobe less the pocket
// it closes off.
PolygonSet RingSet(const Ring& ring, const char* role)
{
    PolygonSet set;
    if (IsSimple(ring)) {
        set.insert(ToPolygon(ring, CGAL::COUNTERCLOCKWISE, role));
        return set;
    }
    const std::vector<Ring> loops = PinchedLoops(ring);
    if (loops.empty())
        ToPolygon(ring, CGAL::COUNTERCLOCKWISE, role);  // throws, naming the ring
    for (const Ring& loop : loops) {
        if (!IsSimple(loop))
            throw Unmeasurable(std::string(role) + " of " + std::to_string(ring.size()) +
                               " points is not a simple ring, nor one touching itself: " + Text(ring));
        set.symmetric_difference(ToPolygon(loop, CGAL::COUNTERCLOCKWISE, role));
    }
    return set;
}

PolygonSet ToSet(const Region& region)
{
    PolygonSet set;
    if (region.empty())
        return set;
    if (std::all_of(region.begin(), region.end(), IsSimple)) {
        PolygonWithHoles shape(ToPolygon(region.front(), CGAL::COUNTERCLOCKWISE, "an outline"));
        for (size_t i = 1; i < region.size(); ++i)
            shape.add_hole(ToPolygon(region[i], CGAL::CLOCKWISE, "a hole"));
        if (region.size() == 1 || CGAL::is_valid_polygon_with_holes(shape, PolygonSet::Traits_2())) {
            set.insert(shape);
            return set;
        }
    }
    // Rings that touch themselves or one another: the outline's area less
    // the holes', each hole within the outline and clear of the others
    // (touching counts as clear). Holes that leave the outline or cross one
    // another make no region.
    set = RingSet(region.front(), "an outline");
    PolygonSet holes;
    for (size_t i = 1; i < region.size(); ++i) {
        const PolygonSet hole = RingSet(region[i], "a hole");
        PolygonSet outside = hole;
        outside.difference(set);
        PolygonSet crossing = hole;
        crossing.intersection(holes);
        if (AreaOf(outside) > kTouch || AreaOf(crossing) > kTouch)
            throw Unmeasurable("the holes leave the outline or cross: " + Text(region.front()));
        holes.join(hole);
    }
    set.difference(holes);
    return set;
}

using Inexact = CGAL::Exact_predicates_inexact_constructions_kernel;
using InexactPolygon = CGAL::Polygon_2<Inexact>;
using InexactPolygonWithHoles = CGAL::Polygon_with_holes_2<Inexact>;

Ring ToDoubles(const Polygon& polygon)
{
    Ring ring;
    for (const Kernel::Point_2& p : polygon.container())
        ring.push_back({CGAL::to_double(p.x()), CGAL::to_double(p.y())});
    return ring;
}

// The exact ring rounded to doubles, for the straight skeleton. Rounding may
// merge points and flatten slivers into spikes, which bound nothing and go;
// a ring it leaves not simple otherwise cannot be shrunk.
InexactPolygon ToInexact(const Polygon& polygon)
{
    const Ring ring = ToDoubles(polygon);
    InexactPolygon inexact;
    for (const NPoint& p : WithoutSpikes(WithoutRepeats(ring)))
        inexact.push_back(Inexact::Point_2(p.x, p.y));
    if (inexact.size() < 3 || !inexact.is_simple())
        throw Unmeasurable("a common region is not simple in doubles: " + Text(ring));
    return inexact;
}

// A common region without holes as the regions the skeleton can shrink: an
// outline that runs through a point twice (two parts touching at a corner
// and along edges leave such pinched slivers) is one region per loop, each
// shrunk alone. A loop that then runs clockwise, or is not simple, cannot
// be measured.
std::vector<InexactPolygon> ToInexactLoops(const Polygon& polygon)
{
    const Ring ring = ToDoubles(polygon);
    std::vector<InexactPolygon> loops;
    for (const Ring& loop : SplitAtRepeatedPoints(WithoutRepeats(ring))) {
        InexactPolygon inexact;
        for (const NPoint& p : WithoutSpikes(loop))
            inexact.push_back(Inexact::Point_2(p.x, p.y));
        if (inexact.size() < 3)
            continue;
        if (!inexact.is_simple() || inexact.orientation() != CGAL::COUNTERCLOCKWISE)
            throw Unmeasurable("a common region is not simple in doubles: " + Text(ring));
        loops.push_back(std::move(inexact));
    }
    return loops;
}


// Of two consecutive vertices closer than `tol`, the one whose going moves
// the ring least goes (a vertex a hair's breadth beside a corner, not the
// corner), until no two are that close: a run of such vertices, however far
// it reaches, ends as one, and the edges beside it keep their lines.
Ring WithoutNearRepeats(Ring ring, double tol)
{
    const auto apart = [](const NPoint& a, const NPoint& b) { return std::hypot(b.x - a.x, b.y - a.y); };
    const auto offLine = [&](const NPoint& p, const NPoint& a, const NPoint& b) {
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double length2 = dx * dx + dy * dy;
        const double t = length2 > 0.0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length2, 0.0, 1.0) : 0.0;
        return apart(p, {a.x + t * dx, a.y + t * dy});
    };
    while (ring.size() > 3) {
        const size_t n = ring.size();
        size_t goes = n;
        double least = 0.0;
        for (size_t k = 0; k < n; ++k) {
            const NPoint& prev = ring[(k + n - 1) % n];
            const NPoint& next = ring[(k + 1) % n];
            if (apart(prev, ring[k]) >= tol && apart(ring[k], next) >= tol)
                continue;
            const double moved = offLine(ring[k], prev, next);
            if (goes == n || moved < least) {
                goes = k;
                least = moved;
            }
        }
        if (goes == n)
            break;
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(goes));
    }
    return ring;
}

}  // namespace

Ring WithoutRepeats(const Ring& ring)
{
    Ring out;
    for (const NPoint& p : ring)
        if (out.empty() || out.back().x != p.x || out.back().y != p.y)
            out.push_back(p);
    while (out.size() > 1 && out.back().x == out.front().x && out.back().y == out.front().y)
        out.pop_back();
    return out;
}

std::vector<Ring> SplitAtRepeatedPoints(const Ring& ring)
{
    std::vector<Ring> loops;
    Ring path;
    for (const NPoint& p : ring) {
        auto again = std::find_if(path.begin(), path.end(), [&](const NPoint& q) { return q.x == p.x && q.y == p.y; });
        if (again != path.end()) {
            loops.emplace_back(again, path.end());
            path.erase(again + 1, path.end());
        } else {
            path.push_back(p);
        }
    }
    loops.push_back(path);
    return loops;
}

Ring Material(const Ring& ring)
{
    constexpr double tol = EPS;
    // b goes: it repeats a or c, or the ring runs out to it and back with
    // its sides within the tolerance (the far end of the shorter leg that
    // near the longer leg's line), or straight through it.
    const auto goes = [](const NPoint& a, const NPoint& b, const NPoint& c) {
        const NPoint in = b - a;
        const NPoint out = c - b;
        const double lengthIn = std::hypot(in.x, in.y);
        const double lengthOut = std::hypot(out.x, out.y);
        if (lengthIn < tol || lengthOut < tol)
            return true;
        const double cross = in.x * out.y - in.y * out.x;
        if (std::fabs(cross) <= 1e-12 * lengthIn * lengthOut)
            return true;
        if (in.x * out.x + in.y * out.y >= 0.0)
            return false;
        return std::fabs(cross) < tol * std::max(lengthIn, lengthOut);
    };
    Ring kept;
    for (const NPoint& p : WithoutNearRepeats(WithoutRepeats(ring), tol)) {
        kept.push_back(p);
        while (kept.size() >= 3 && goes(kept[kept.size() - 3], kept[kept.size() - 2], kept.back()))
            kept.erase(kept.end() - 2);
        if (kept.size() == 2 && std::hypot(kept[1].x - kept[0].x, kept[1].y - kept[0].y) < tol)
            kept.pop_back();
    }
    while (kept.size() >= 3) {
        const size_t n = kept.size();
        if (goes(kept[n - 2], kept[n - 1], kept[0]))
            kept.pop_back();
        else if (goes(kept[n - 1], kept[0], kept[1]))
            kept.erase(kept.begin());
        else
            break;
    }
    while (kept.size() > 1 && std::hypot(kept.back().x - kept.front().x, kept.back().y - kept.front().y) < tol)
        kept.pop_back();
    // A ring that is no more than a sliver keeps its corners (so the library
    // keeps it): it is measured as it is.
    return kept.size() >= 3 ? kept : WithoutSpikes(WithoutRepeats(ring));
}

Ring WithoutSpikes(Ring ring)
{
    bool changed = true;
    while (changed && ring.size() >= 3) {
        changed = false;
        for (size_t k = 0; k < ring.size() && ring.size() >= 3; ++k) {
            const NPoint& prev = ring[(k + ring.size() - 1) % ring.size()];
            const NPoint& cur = ring[k];
            const NPoint& next = ring[(k + 1) % ring.size()];
            double cross = (cur.x - prev.x) * (next.y - cur.y) - (cur.y - prev.y) * (next.x - cur.x);
            double scale = std::hypot(cur.x - prev.x, cur.y - prev.y) * std::hypot(next.x - cur.x, next.y - cur.y);
            bool repeated = std::hypot(cur.x - prev.x, cur.y - prev.y) < 1e-12;
            if (repeated || std::fabs(cross) <= 1e-12 * scale) {
                ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(k));
                changed = true;
            }
        }
    }
    return ring;
}

double Area(const Region& region) { return AreaOf(ToSet(region)); }

double OverlapArea(const Region& a, const Region& b)
{
    PolygonSet set = ToSet(a);
    set.intersection(ToSet(b));
    return AreaOf(set);
}

double OutsideArea(const Region& inner, const Region& outer)
{
    PolygonSet set = ToSet(inner);
    set.difference(ToSet(outer));
    return AreaOf(set);
}

double ShrunkOverlapArea(const Region& a, const Region& b, double shrink)
{
    PolygonSet common = ToSet(a);
    common.intersection(ToSet(b));
    std::vector<PolygonWithHoles> pieces;
    common.polygons_with_holes(std::back_inserter(pieces));
    double area = 0.0;
    for (const PolygonWithHoles& piece : pieces) {
        // What is left of a piece holds a disc of the shrink's radius: a
        // smaller piece (a sliver where two parts touch) leaves nothing.
        Kernel::FT pieceArea = piece.outer_boundary().area();
        for (auto hole = piece.holes_begin(); hole != piece.holes_end(); ++hole)
            pieceArea += hole->area();
        if (CGAL::to_double(pieceArea) < 3.14159 * shrink * shrink)
            continue;
        std::vector<InexactPolygonWithHoles> regions;
        if (piece.has_holes()) {
            regions.emplace_back(ToInexact(piece.outer_boundary()));
            for (auto hole = piece.holes_begin(); hole != piece.holes_end(); ++hole)
                regions.back().add_hole(ToInexact(*hole));
        } else {
            for (InexactPolygon& loop : ToInexactLoops(piece.outer_boundary()))
                regions.emplace_back(std::move(loop));
        }
        for (const InexactPolygonWithHoles& region : regions) {
            for (const auto& shrunk : CGAL::create_interior_skeleton_and_offset_polygons_with_holes_2(shrink, region, Inexact())) {
                area += shrunk->outer_boundary().area();
                for (const InexactPolygon& hole : shrunk->holes())
                    area += hole.area();  // clockwise: negative
            }
        }
    }
    return area;
}

}  // namespace areas
