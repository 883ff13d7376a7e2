// Whether two figures overlap: their control polygons (just inside the gap
// polygons) cross, or one holds the other. Figures without gap polygons are
// compared by their outlines.
#include "model/NestingFigure.h"

namespace {

const NPolygonPtr& OverlapRing(const Figure& figure)
{
    return figure.m_controls.empty() ? figure.m_borders.front() : figure.m_controls.front();
}

}  // namespace

bool Figure::CheckIntersect(FigurePtr other)
{
    if (!other || (m_controls.empty() && m_borders.empty()) ||
        (other->m_controls.empty() && other->m_borders.empty()))
        return false;
    NPolygon& a = *OverlapRing(*this);
    NPolygon& b = *OverlapRing(*other);
    a.UpdateGabarit();
    b.UpdateGabarit();
    return a.CheckIntersection(b, false) || a.CheckContainPoligon(b, false) || b.CheckContainPoligon(a, false);
}
