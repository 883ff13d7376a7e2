#include "support/nfp_reference.h"

#include "engine/NfpBuilder.h"
#include "support/cgal_areas.h"

#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_2.h>
#include <CGAL/Polygon_set_2.h>
#include <CGAL/Polygon_with_holes_2.h>
#include <CGAL/minkowski_sum_2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iomanip>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace nfp_oracle {

namespace {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Polygon = CGAL::Polygon_2<Kernel>;
using PolygonWithHoles = CGAL::Polygon_with_holes_2<Kernel>;
using PolygonSet = CGAL::Polygon_set_2<Kernel>;

using areas::WithoutRepeats;
using areas::SplitAtRepeatedPoints;
using areas::WithoutSpikes;

// The polygon of a ring, counter-clockwise; false when the ring is not simple
// (CGAL's operations must never see such a ring).
bool ToCgal(const Ring& ring, Polygon& p)
{
    p.clear();
    for (const NPoint& q : WithoutRepeats(ring))
        p.push_back(Kernel::Point_2(q.x, q.y));
    if (p.size() < 3 || !p.is_simple())
        return false;
    if (p.orientation() == CGAL::CLOCKWISE)
        p.reverse_orientation();
    return true;
}

Polygon ToCgal(const Ring& ring)
{
    Polygon p;
    if (!ToCgal(ring, p))
        throw std::invalid_argument("not a simple polygon");
    return p;
}

std::string Text(const Ring& ring)
{
    std::ostringstream out;
    out << std::setprecision(17);
    for (const NPoint& p : ring)
        out << "(" << p.x << ", " << p.y << ")";
    return out.str();
}

Kernel::FT Area(const PolygonSet& set)
{
    std::vector<PolygonWithHoles> parts;
    set.polygons_with_holes(std::back_inserter(parts));
    Kernel::FT area = 0;
    for (const PolygonWithHoles& part : parts) {
        area += part.outer_boundary().area();
        for (auto h = part.holes_begin(); h != part.holes_end(); ++h)
            area += h->area(); // holes run clockwise: negative area
    }
    return area;
}

// The region the rings bound, read with the even-odd rule (the orbit around
// A, less its cavities). Points and spikes (exact and sliding fits) bound no
// area and are left to the degenerate tests.
RegionCheck RegionOf(const VectorPolygon& rings, PolygonSet& region, std::string& detail)
{
    bool any = false;
    for (size_t k = 0; k < rings.size(); ++k) {
        for (const Ring& loop : SplitAtRepeatedPoints(WithoutSpikes(WithoutRepeats(rings[k]->m_points)))) {
            Ring clean = WithoutSpikes(loop);
            if (clean.size() < 3)
                continue;
            Polygon p;
            if (!ToCgal(clean, p)) {
                detail = "ring " + std::to_string(k) + " is not simple: " + Text(rings[k]->m_points);
                return RegionCheck::NotSimple;
            }
            region.symmetric_difference(PolygonSet(p));
            any = true;
        }
        if (k == 0 && !any)
            return RegionCheck::NoRegion;
    }
    return any ? RegionCheck::Valid : RegionCheck::NoRegion;
}

double Perimeter(const Ring& ring)
{
    double length = 0.0;
    for (size_t k = 0; k < ring.size(); ++k)
        length += Distance(ring[k], ring[(k + 1) % ring.size()]);
    return length;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

// A (or the hole) and -B as polygons for the exact arithmetic, as material:
// spikes and slivers left out (they bound no area and overlap nothing); false, with the comparison
// marked, when either is not simple.
bool ExactInputs(const Ring& a, const Ring& b, Polygon& pa, Polygon& negB, Comparison& c)
{
    Ring negated;
    for (const NPoint& p : b)
        negated.push_back({-p.x, -p.y});
    if (ToCgal(areas::Material(a), pa) && ToCgal(areas::Material(negated), negB))
        return true;
    c.check = RegionCheck::BadInput;
    c.detail = "an input outline is not simple";
    return false;
}

double Perimeter(const Polygon& polygon)
{
    double length = 0.0;
    for (auto e = polygon.edges_begin(); e != polygon.edges_end(); ++e)
        length += std::sqrt(CGAL::to_double(e->squared_length()));
    return length;
}

double Perimeter(const PolygonWithHoles& part)
{
    double length = Perimeter(part.outer_boundary());
    for (auto h = part.holes_begin(); h != part.holes_end(); ++h)
        length += Perimeter(*h);
    return length;
}

double Perimeter(const PolygonSet& set)
{
    std::vector<PolygonWithHoles> parts;
    set.polygons_with_holes(std::back_inserter(parts));
    double length = 0.0;
    for (const PolygonWithHoles& part : parts)
        length += Perimeter(part);
    return length;
}

// p lies in the region or within `tol` of its boundary.
bool Reaches(const PolygonSet& region, const NPoint& p, double tol)
{
    if (region.oriented_side(Kernel::Point_2(p.x, p.y)) != CGAL::ON_NEGATIVE_SIDE)
        return true;
    std::vector<PolygonWithHoles> parts;
    region.polygons_with_holes(std::back_inserter(parts));
    const auto near = [&](const Polygon& polygon) {
        for (auto e = polygon.edges_begin(); e != polygon.edges_end(); ++e) {
            const NPoint q0{CGAL::to_double(e->source().x()), CGAL::to_double(e->source().y())};
            const NPoint q1{CGAL::to_double(e->target().x()), CGAL::to_double(e->target().y())};
            const NPoint d = q1 - q0;
            const double len2 = d.x * d.x + d.y * d.y;
            const double t = len2 > 0.0 ? std::clamp(((p.x - q0.x) * d.x + (p.y - q0.y) * d.y) / len2, 0.0, 1.0) : 0.0;
            if (Distance(p, NPoint{q0.x + t * d.x, q0.y + t * d.y}) < tol)
                return true;
        }
        return false;
    };
    for (const PolygonWithHoles& part : parts) {
        if (near(part.outer_boundary()))
            return true;
        for (auto h = part.holes_begin(); h != part.holes_end(); ++h)
            if (near(*h))
                return true;
    }
    return false;
}

// Each region where B fits, of the exact answer, is found by the rings: at
// least half of it lies where they say B fits (`free`), or, where it is
// thinner than the tolerance, a point of the rings from `firstRing` on (exact
// and sliding fits are points and lines) lies in it or within the tolerance
// of it, or it touches a ring within the tolerance (B touches A there, which
// is free). A region is missed however small it is next to the whole.
bool FindsEveryFit(const std::vector<PolygonSet>& fits, const PolygonSet& free, const VectorPolygon& rings,
                   size_t firstRing, std::string& detail)
{
    for (const PolygonSet& fit : fits) {
        const double area = CGAL::to_double(Area(fit));
        if (!(area > 0.0))
            continue;
        PolygonSet found = fit;
        found.intersection(free);
        if (CGAL::to_double(Area(found)) >= 0.5 * area)
            continue;
        bool touched = false;
        if (area <= 2.0 * EPS * Perimeter(fit)) {
            for (size_t k = firstRing; k < rings.size() && !touched; ++k)
                for (const NPoint& p : rings[k]->m_points)
                    touched = touched || Reaches(fit, p, EPS);
            std::vector<Ring> all;
            for (const NPolygonPtr& ring : rings)
                all.push_back(ring->m_points);
            std::vector<PolygonWithHoles> parts;
            fit.polygons_with_holes(std::back_inserter(parts));
            for (const PolygonWithHoles& part : parts)
                for (auto v = part.outer_boundary().vertices_begin(); v != part.outer_boundary().vertices_end() && !touched;
                     ++v)
                    touched = OnRings(all, {CGAL::to_double(v->x()), CGAL::to_double(v->y())}, EPS);
        }
        if (touched)
            continue;
        std::vector<PolygonWithHoles> parts;
        fit.polygons_with_holes(std::back_inserter(parts));
        const Kernel::Point_2& at = *parts.front().outer_boundary().vertices_begin();
        std::ostringstream out;
        out << "misses a region of " << area << " mm² where B fits, at (" << CGAL::to_double(at.x()) << ", "
            << CGAL::to_double(at.y()) << ")";
        detail = out.str();
        return false;
    }
    return true;
}

// The orbiting builder's no-fit polygon of B around A, or inside the hole A
// (`inner`), timed and compared with the exact one.
PairResult BuildAndCompare(const Ring& a, const Ring& b, bool inner)
{
    PairResult result;
    auto pa = std::make_shared<NPolygon>(NPoint{}, a);
    auto pb = std::make_shared<NPolygon>(NPoint{}, b);
    const auto t0 = std::chrono::steady_clock::now();
    NFP_Builder builder;
    builder.Init(NPoint{}, pa, pb, inner);
    builder.RunCalculate();
    result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const VectorPolygon& rings = builder.GetNfpPolygons();
    result.rings = rings.size();
    const Comparison c = inner ? CompareInner(rings, a, b) : Compare(rings, a, b);
    result.ratio = c.ratio;
    result.detail = c.detail;
    // An outline the exact arithmetic cannot take is measured by nothing;
    // around A, a no-fit polygon of no area neither.
    result.failure = c.check == RegionCheck::BadInput || (!inner && c.check == RegionCheck::NoRegion);
    result.mismatch = !result.failure && !c.Matches();
    return result;
}

} // namespace

bool LoadInstance(const std::filesystem::path& file, Instance& instance, std::string& error)
{
    if (!esicup::Load(file, instance, error))
        return false;
    for (Item& item : instance.items)
        if (item.orientations.empty())
            item.orientations = {0.0, 90.0, 180.0, 270.0};
    return true;
}

PairResult ComparePair(const Ring& a, const Ring& b) { return BuildAndCompare(a, b, false); }

Comparison Compare(const VectorPolygon& rings, const Ring& a, const Ring& b)
{
    Comparison c;
    Polygon pa;
    Polygon pb;
    if (!ExactInputs(a, b, pa, pb, c))
        return c;
    PolygonSet oracle;
    oracle.insert(CGAL::minkowski_sum_2(pa, pb));
    PolygonSet mine;
    c.check = RegionOf(rings, mine, c.detail);
    if (c.check != RegionCheck::Valid)
        return c;
    // The cavities of the sum are where B fits inside A's reach.
    std::vector<PolygonWithHoles> parts;
    oracle.polygons_with_holes(std::back_inserter(parts));
    std::vector<PolygonSet> cavities;
    for (const PolygonWithHoles& part : parts)
        for (auto h = part.holes_begin(); h != part.holes_end(); ++h) {
            Polygon cavity = *h;
            cavity.reverse_orientation();
            cavities.emplace_back(cavity);
        }
    if (!cavities.empty()) {
        PolygonSet free = mine;
        free.complement();
        c.fitsFound = FindsEveryFit(cavities, free, rings, 1, c.detail);
    }
    mine.symmetric_difference(oracle);
    c.difference = CGAL::to_double(Area(mine));
    c.ratio = c.difference / CGAL::to_double(Area(oracle));
    c.toleranceBand = EPS * (Perimeter(a) + Perimeter(b));
    return c;
}

Comparison CompareInner(const VectorPolygon& rings, const Ring& hole, const Ring& b)
{
    Comparison c;
    Polygon ph;
    Polygon pb;
    if (!ExactInputs(hole, b, ph, pb, c))
        return c;
    // B + t lies in the hole where t lies in the box that keeps B's box in
    // the hole's and B + t meets nothing round the hole: that box less the
    // sum of -B and a frame round the hole.
    const CGAL::Bbox_2 h = ph.bbox();
    const CGAL::Bbox_2 nb = pb.bbox(); // of -B
    using FT = Kernel::FT;
    const FT x0 = FT(h.xmin()) + FT(nb.xmax()), x1 = FT(h.xmax()) + FT(nb.xmin());
    const FT y0 = FT(h.ymin()) + FT(nb.ymax()), y1 = FT(h.ymax()) + FT(nb.ymin());
    PolygonSet oracle;
    if (x0 < x1 && y0 < y1) {
        Polygon box;
        box.push_back(Kernel::Point_2(x0, y0));
        box.push_back(Kernel::Point_2(x1, y0));
        box.push_back(Kernel::Point_2(x1, y1));
        box.push_back(Kernel::Point_2(x0, y1));
        oracle.insert(box);
        const double margin = 1.0 + (h.xmax() - h.xmin()) + (h.ymax() - h.ymin());
        Polygon outer;
        outer.push_back(Kernel::Point_2(h.xmin() - margin, h.ymin() - margin));
        outer.push_back(Kernel::Point_2(h.xmax() + margin, h.ymin() - margin));
        outer.push_back(Kernel::Point_2(h.xmax() + margin, h.ymax() + margin));
        outer.push_back(Kernel::Point_2(h.xmin() - margin, h.ymax() + margin));
        Polygon inner = ph;
        inner.reverse_orientation();
        PolygonWithHoles frame(outer);
        frame.add_hole(inner);
        oracle.difference(CGAL::minkowski_sum_2(frame, pb));
    }
    const double oracleArea = CGAL::to_double(Area(oracle));
    PolygonSet mine;
    c.check = RegionOf(rings, mine, c.detail);
    // Where B fits nowhere, or only at points or along lines, the rings bound
    // no area either; where it fits, they find it, however small.
    if (c.check == RegionCheck::NoRegion) {
        c.check = RegionCheck::Valid;
        mine.clear();
    }
    if (c.check != RegionCheck::Valid)
        return c;
    std::vector<PolygonWithHoles> parts;
    oracle.polygons_with_holes(std::back_inserter(parts));
    std::vector<PolygonSet> fits(parts.begin(), parts.end());
    c.fitsFound = FindsEveryFit(fits, mine, rings, 0, c.detail);
    // Both regions may stand off by the tolerance along their own boundaries.
    c.toleranceBand = EPS * (Perimeter(oracle) + Perimeter(mine));
    mine.symmetric_difference(oracle);
    c.difference = CGAL::to_double(Area(mine));
    c.ratio = oracleArea > 0.0 ? c.difference / oracleArea : (c.difference > 0.0 ? 1.0 : 0.0);
    return c;
}

PairResult CompareInnerPair(const Ring& hole, const Ring& b) { return BuildAndCompare(hole, b, true); }

double MismatchRatio(const VectorPolygon& rings, const Ring& a, const Ring& b)
{
    Comparison c = Compare(rings, a, b);
    return c.check == RegionCheck::Valid ? c.ratio : -1.0;
}

void Summary::Add(const Summary& other)
{
    pairs += other.pairs;
    innerPairs += other.innerPairs;
    mismatches += other.mismatches;
    failures += other.failures;
    times.insert(times.end(), other.times.begin(), other.times.end());
}

std::string Summary::Line(const std::string& label) const
{
    std::ostringstream out;
    out << label << ": pairs " << pairs << " (in holes " << innerPairs << "), mismatches " << mismatches << ", failures " << failures
        << ", median_ms " << std::fixed << std::setprecision(4) << Median(times) << ", max_ms "
        << (times.empty() ? 0.0 : *std::max_element(times.begin(), times.end()));
    return out.str();
}

Summary RunInstance(const Instance& instance, std::ostream* log)
{
    Summary summary;
    auto count = [&](const PairResult& r, const Item& itemA, double oa, const Item& itemB, double ob,
                     const std::string& hole) {
        ++summary.pairs;
        summary.times.push_back(r.ms);
        summary.failures += r.failure;
        summary.mismatches += r.mismatch;
        if (log && (r.failure || r.mismatch))
            *log << instance.name << ": A " << itemA.id << "@" << oa << hole << ", B " << itemB.id << "@" << ob
                 << (r.failure ? " failure" : " mismatch") << ", rings " << r.rings << ", ratio " << r.ratio
                 << (r.detail.empty() ? "" : ", ") << r.detail << "\n";
    };
    for (const Item& itemA : instance.items)
        for (const Item& itemB : instance.items)
            for (double oa : itemA.orientations)
                for (double ob : itemB.orientations) {
                    const Ring b = esicup::Turned(itemB.ring, ob);
                    count(ComparePair(esicup::Turned(itemA.ring, oa), b), itemA, oa, itemB, ob, "");
                    // B inside each hole of A: the inner no-fit polygons.
                    for (size_t k = 0; k < itemA.holes.size(); ++k) {
                        count(CompareInnerPair(esicup::Turned(itemA.holes[k], oa), b), itemA, oa, itemB, ob,
                              " hole " + std::to_string(k));
                        ++summary.innerPairs;
                    }
                }
    return summary;
}

bool Overlaps(const Ring& a, const Ring& b, const NPoint& t, const std::vector<Ring>& holes, double minArea)
{
    Ring moved;
    for (const NPoint& p : b)
        moved.push_back(p + t);
    PolygonSet part;
    part.insert(ToCgal(a));
    for (const Ring& hole : holes)
        part.difference(ToCgal(hole));
    part.intersection(ToCgal(moved));
    return CGAL::to_double(Area(part)) > minArea;
}

bool Contains(const Ring& a, const Ring& b, const NPoint& t, double maxOutside)
{
    Ring moved;
    for (const NPoint& p : b)
        moved.push_back(p + t);
    PolygonSet outside;
    outside.insert(ToCgal(moved));
    outside.difference(ToCgal(a));
    return CGAL::to_double(Area(outside)) <= maxOutside;
}

namespace {

bool OnEdge(const NPoint& q0, const NPoint& q1, const NPoint& p, double tol)
{
    double len = std::hypot(q1.x - q0.x, q1.y - q0.y);
    if (len == 0.0)
        return std::hypot(p.x - q0.x, p.y - q0.y) < tol;
    double along = ((p.x - q0.x) * (q1.x - q0.x) + (p.y - q0.y) * (q1.y - q0.y)) / len;
    double across = std::fabs((q1.x - q0.x) * (p.y - q0.y) - (q1.y - q0.y) * (p.x - q0.x)) / len;
    return across < tol && along > -tol && along < len + tol;
}

} // namespace

bool OnRings(const std::vector<Ring>& rings, const NPoint& p, double tol)
{
    for (const Ring& ring : rings)
        for (size_t k = 0; k < ring.size(); ++k)
            if (OnEdge(ring[k], ring[(k + 1) % ring.size()], p, tol))
                return true;
    return false;
}

bool StrictlyInside(const std::vector<Ring>& rings, const NPoint& p, double tol)
{
    if (OnRings(rings, p, tol))
        return false;
    bool inside = false;
    for (const Ring& ring : rings)
        for (size_t k = 0; k < ring.size(); ++k) {
            const NPoint& q0 = ring[k];
            const NPoint& q1 = ring[(k + 1) % ring.size()];
            if ((q0.y > p.y) != (q1.y > p.y) && q0.x + (p.y - q0.y) * (q1.x - q0.x) / (q1.y - q0.y) > p.x)
                inside = !inside;
        }
    return inside;
}

} // namespace nfp_oracle
