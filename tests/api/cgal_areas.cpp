#include "api/cgal_areas.h"

#include <CGAL/Boolean_set_operations_2.h>
#include <CGAL/Exact_predicates_exact_constructions_kernel.h>
#include <CGAL/Polygon_set_2.h>

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

}  // namespace areas
