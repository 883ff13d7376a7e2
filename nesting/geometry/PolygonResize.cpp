// Resizing an axis-parallel rectangle listed as (x0, y0), (x0, y1), (x1, y1), (x1, y0).
#include "geometry/Polygon.h"

void NPolygon::SetWidthIfRectangle(double w)
{
    if (!CheckRectangle())
        return;
    m_points[2].x = m_points[0].x + w;
    m_points[3].x = m_points[0].x + w;
}

void NPolygon::SetHeightIfRectangle(double h)
{
    if (!CheckRectangle())
        return;
    m_points[1].y = m_points[0].y + h;
    m_points[2].y = m_points[0].y + h;
}
