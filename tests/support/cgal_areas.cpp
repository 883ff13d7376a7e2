#include "support/cgal_areas.h"

#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_set_2.h>
#include <CGAL/create_offset_polygons_from_polygon_with_holes_2.h>

namespace areas {
namespace {

using Kernel = CGAL::Exact_predicates_exact_constructions_kernel;
using Polygon = CGAL::Polygon_2<Kernel>;
using PolygonWithHoles = CGAL::Polygon_with_holes_2<Kernel>;
using PolygonSet = CGAL::Polygon_set_2<Kernel>;

Polygon ToPolygon(const Ring& ring, CGAL::Orientation orientation)
{
    Polygon polygon;
    for (const NPoint& p : ring)
        polygon.push_back(Kernel::Point_2(p.x, p.y));
    if (polygon.orientation() != orientation)
        polygon.reverse_orientation();
    return polygon;
}

PolygonSet ToSet(const Region& region)
{
    PolygonSet set;
    if (region.empty())
        return set;
    PolygonWithHoles shape(ToPolygon(region.front(), CGAL::COUNTERCLOCKWISE));
    for (size_t i = 1; i < region.size(); ++i)
        shape.add_hole(ToPolygon(region[i], CGAL::CLOCKWISE));
    set.insert(shape);
    return set;
}

using Inexact = CGAL::Exact_predicates_inexact_constructions_kernel;
using InexactPolygon = CGAL::Polygon_2<Inexact>;
using InexactPolygonWithHoles = CGAL::Polygon_with_holes_2<Inexact>;

InexactPolygon ToInexact(const Polygon& polygon)
{
    InexactPolygon inexact;
    for (const Kernel::Point_2& p : polygon.container())
        inexact.push_back(Inexact::Point_2(CGAL::to_double(p.x()), CGAL::to_double(p.y())));
    return inexact;
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

}  // namespace

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
        InexactPolygonWithHoles inexact(ToInexact(piece.outer_boundary()));
        for (auto hole = piece.holes_begin(); hole != piece.holes_end(); ++hole)
            inexact.add_hole(ToInexact(*hole));
        for (const auto& shrunk : CGAL::create_interior_skeleton_and_offset_polygons_with_holes_2(shrink, inexact, Inexact())) {
            area += shrunk->outer_boundary().area();
            for (const InexactPolygon& hole : shrunk->holes())
                area += hole.area();  // clockwise: negative
        }
    }
    return area;
}

}  // namespace areas
