// Creating drawing objects in a container and in the active drawing.
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace vrnApi {

vlapi::IDrawingContourPtr CreateContour(vlapi::IDrawingContainerPtr container,
                                        const std::vector<vlapi::IDrawingObjectPtr>& objects, int style)
{
    vlapi::IDrawingContoursPtr contours = container ? container->GetDrawingContours() : vlapi::IDrawingContoursPtr{};
    vlapi::IDrawingContourPtr contour = contours ? vlapi::IDrawingContourPtr(contours->Add())
                                                 : vlapi::IDrawingContourPtr{};
    if (!contour)
        return {};
    if (vlapi::IContourPtr curves{contour})
        curves->CopyCurves(vlapi::APIObjectList(objects.begin(), objects.end()), 0);
    contour->SetStyle(style);
    contour->Update();
    return contour;
}

reference DrawLineSeg(const NPoint& p1, const NPoint& p2, int style)
{
    return hostAccess::ReferenceOf(CreateLineSegm(GetActiveDrawingContainer(), p1.x, p1.y, p2.x, p2.y, style));
}

}  // namespace vrnApi

namespace vrnApi {

vlapi::IRectanglePtr CreateRectangle(vlapi::IDrawingContainerPtr container, double x, double y, double w, double h,
                                     int style)
{
    vlapi::IDrawingObjectsPtr rects = container ? container->GetCollection(vlapi::vlDrRectangle)
                                                : vlapi::IDrawingObjectsPtr{};
    vlapi::IRectanglePtr rect = rects ? vlapi::IRectanglePtr(rects->Add()) : vlapi::IRectanglePtr{};
    if (!rect)
        return {};
    rect->SetX(x);
    rect->SetY(y);
    rect->SetWidth(w);
    rect->SetHeight(h);
    rect->SetStyle(style);
    rect->Update();
    return rect;
}

vlapi::IPolyLine2DPtr CreatePolyLine(vlapi::IDrawingContainerPtr container, const NPolygon& polygon, int style)
{
    if (polygon.m_points.empty() || !container)
        return {};
    vlapi::IDrawingObjectsPtr polylines = container->GetCollection(vlapi::vlDrPolyLine);
    vlapi::IPolyLine2DPtr polyline = polylines ? vlapi::IPolyLine2DPtr(polylines->Add()) : vlapi::IPolyLine2DPtr{};
    if (!polyline)
        return {};
    std::vector<double> xy;
    xy.reserve(polygon.m_points.size() * 2);
    for (const NPoint& p : polygon.m_points) {
        xy.push_back(p.x);
        xy.push_back(p.y);
    }
    polyline->SetPoints(xy);
    polyline->SetClosed(1);
    polyline->SetStyle(style);
    polyline->Update();
    return polyline;
}

reference DrawPolyLine(const NPolygon& polygon, int style)
{
    return hostAccess::ReferenceOf(CreatePolyLine(GetActiveDrawingContainer(), polygon, style));
}

void DeleteDrawingObj(reference ref)
{
    vlapi::IDrawingObjectPtr obj(hostAccess::ObjectOf(GetActiveDocument2D(), ref));
    if (obj)
        obj->Delete();
}

}  // namespace vrnApi
