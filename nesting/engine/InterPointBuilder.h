// A point inside an outline with holes where a label (a host text) can
// stand: the label's rectangle is grown as far as it still fits somewhere in
// the outline, and a point near the middle of the largest region of places
// that fit is taken.
#pragma once

#include "geometry/Polygon.h"
#include "vlapi/vlapi.h"

#include <memory>
#include <vector>

class InterPointBuilder {
public:
    virtual ~InterPointBuilder() = default;

    // Keeps a copy of the outer ring and the caller's holes.
    void Init(std::shared_ptr<const NPolygon> extPolygon, const VectorPolygon& holes);

    // The point for the first text of `objs` (its bounding box measured by
    // the host, in the coordinates of the outline) and, in `offset`, the move
    // that takes the text's centre there. A place whose label rectangle a
    // segment of the polylines `bends` crosses is avoided where another one
    // exists. Without an outline, a text or a measurable box: (0, 0) and
    // `offset` untouched; when no place is found: (0, 0) and a zero offset.
    NPoint FindInternalPointForTextPlacement(const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                             const VectorPolygon& bends, NPoint& offset) const;

    // The same search for a label whose bounding box is `label`.
    NPoint FindInternalPointForLabel(const NRect& label, const VectorPolygon& bends, NPoint& offset) const;

    // Whether a label of the size of `label`, with its margin, has a place
    // inside the outline, off the holes.
    bool LabelFits(const NRect& label) const;

    NPolygonPtr m_extPolygon;
    VectorPolygon m_holes;

private:
    // The places of the rectangle `rect` (centred on `centre`) inside the
    // outline and off the holes, as positions of `centre`.
    void FitRectangle(const NPoint& centre, const NRect& rect, VectorPolygon& places) const;
    // The same about `holes` instead of the builder's.
    void FitRectangle(const NPoint& centre, const NRect& rect, const VectorPolygon& holes, VectorPolygon& places) const;
    // Whether a rectangle of the size of `rect` has places, told at once
    // where it stands clear at one of the `hints` (positions of its centre,
    // the one found put first) or at a point of a grid over the outline;
    // where it has none about the smaller holes, it has none; else from its
    // places (the middles of their gabarits put first).
    bool HasPlaces(const NRect& rect, std::vector<NPoint>& hints) const;
    // Whether `rect` lies inside the outline and off every hole, each by a
    // margin: the places about where it stands then have an area.
    bool StandsClear(const NRect& rect) const;

    NPoint ChoosePoint(const VectorPolygon& places, const NRect& labelRect, const NPoint& centre,
                       const VectorPolygon& bends) const;

    std::vector<NRect> m_holeBoxes;  // of m_holes, as Init found them
    // The holes with fewer vertices, each within its own (a round hole of
    // many vertices as a polygon of some of them); empty when none has fewer.
    VectorPolygon m_smallerHoles;
};
