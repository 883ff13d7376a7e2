// No-fit polygons (hodographs) kept for reuse, and the rectangle no-fit
// polygons of figures taken as their bounding rectangles.
#pragma once

#include "geometry/Polygon.h"

#include <memory>
#include <utility>
#include <vector>

// No-fit polygon -> outer border of the placed figure it was built against,
// in the order of insertion.
using MapHodographPoligon = std::vector<std::pair<NPolygonPtr, NPolygonPtr>>;
using cMapHodographPoligon = const MapHodographPoligon;

// One cache entry: the no-fit polygons of a moving shape around a fixed shape
// (with the fixed figure's holes). It answers for any pair equal to its own
// up to translation whose moving shape has its placement point at the same
// place relative to its outline.
class HodographCash {
public:
    // p0 is the moving shape's placement point.
    bool IsContain(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2, const NPoint& p0,
                   const VectorPolygon& inns) const;
    // Appends copies of the stored polygons moved to p1's position.
    void GetHodographs(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2,
                       MapHodographPoligon& externs, MapHodographPoligon& inners) const;
    void Insert(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2, const NPoint& p0,
                const VectorPolygon& inns, cMapHodographPoligon& externs, cMapHodographPoligon& inners);

    NPolygonPtr polygon1;
    NPolygonPtr polygon2;
    NPoint placeOffset; // the moving shape's placement point less its first point
    VectorPolygon innPolygons;
    MapHodographPoligon extHodographs;
    MapHodographPoligon innHodographs;
};

// A rectangle of placement points of a moving figure's rectangle: around a
// placed figure (external) or inside the sheet (internal). Its sides are kept
// apart so that a set of rectangles can be clipped against one another.
class HodographRect {
public:
    // rc1: fixed rectangle; rc2: the moving figure's, p0 its placement point;
    // gap: the distance kept on every side; inter: internal rectangle.
    HodographRect(const NRect& rc1, const NRect& rc2, const NPoint& p0, double gap, bool inter);

    HodographRect& operator-=(const HodographRect& other);
    HodographRect& Unite(HodographRect& other);
    void Offset(const NPoint& p);
    void GetSegments(std::vector<NSegmentPtr>& segments) const;
    void GetNodePoints(std::vector<NPoint>& points) const;
    // An internal rectangle whose moving rectangle, with its gaps, is larger
    // than the fixed one: it holds no placement point.
    bool IsCrossed() const;

    std::vector<NSegmentPtr> m_segments;
    NPoint p1;
    NPoint p2;
    NPoint p3;
    NPoint p4;
    int32_t m_internal = 0;

private:
    void ClipByExternal(const HodographRect& other, std::vector<std::pair<size_t, NSegmentPtr>>& pieces);
    void ClipByInternal(const HodographRect& other);
};

using HodographRectPtr = std::shared_ptr<HodographRect>;
