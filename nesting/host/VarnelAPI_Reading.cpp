// Reading back from the drawing: the objects of a group, an object broken
// down by the host into line segments and arcs, the curves of a container's
// system layer, the texts of the drawing, an
// object's bounding box, and the closed outlines of a group.
#include "host/VarnelAPI_Detail.h"

#include <algorithm>

namespace vrnApi {

bool IsCurveType(int type)
{
    static constexpr int curves[] = {vlapi::vlDrLineSeg,  vlapi::vlDrCircle,        vlapi::vlDrArc,
                                     vlapi::vlDrBezier,   vlapi::vlDrEllipse,       vlapi::vlDrNurbs,
                                     vlapi::vlDrEllipseArc, vlapi::vlDrNurbsByPoints, vlapi::vlDrConicCurve};
    return std::find(std::begin(curves), std::end(curves), type) != std::end(curves);
}

namespace detail {

void SortByGabaritArea(std::vector<NPolygonPtr>& polygons)
{
    std::stable_sort(polygons.begin(), polygons.end(), [](const NPolygonPtr& a, const NPolygonPtr& b) {
        return a->GetGabaritArea() > b->GetGabaritArea();
    });
}

}  // namespace detail

void GetGeomObjectsFromGroup(reference group, std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    vlapi::IDrawingGroupPtr found(hostAccess::ObjectOf(GetActiveDocument2D(), group));
    if (!found)
        return;
    const vlapi::DrawingObjectList members = found->GetObjects({vlapi::vlAllObj});
    objs.insert(objs.end(), members.begin(), members.end());
}

void DecomposeDrawingObject(vlapi::IDrawingObjectPtr object, double arrow, std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!object || !doc)
        return;
    vlapi::IDrawingGroupPtr parts = doc->DecomposeObject(object.get(), vlapi::vlDOLSegmentsArcsPoints, -2, arrow);
    if (!parts)
        return;
    for (const vlapi::IDrawingObjectPtr& part : parts->GetObjects({vlapi::vlAllObj})) {
        const int type = part ? part->GetType() : vlapi::vlAllObj;
        if (type == vlapi::vlDrLineSeg || type == vlapi::vlDrArc)
            objs.push_back(part);
    }
    // The pieces stand in no view: they live on while the caller holds them.
    hostAccess::ReleaseGroup(parts);
}

void GetCurveObjects(vlapi::IDrawingContainerPtr container, std::vector<vlapi::IDrawingObjectPtr>& objs,
                     double arrow)
{
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (!obj || obj->GetLayer() != 0)
            continue;
        const int type = obj->GetType();
        if (IsCurveType(type))
            objs.push_back(obj);
        else if (type != vlapi::vlDrTable)
            DecomposeDrawingObject(obj, arrow, objs);
    }
}

void GetTextObjectsFromActiveDoc(std::vector<vlapi::IDrawingTextPtr>& text)
{
    for (const vlapi::IDrawingObjectPtr& obj : detail::ActiveDrawingObjects({vlapi::vlDrDrawText}))
        text.emplace_back(obj);
}

void GetObjectGabarit(vlapi::IVarnelAPIObjectPtr obj, NRect& rc)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return;
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (!doc->GetObjectsBox(hostAccess::ListOf(obj), x1, y1, x2, y2))
        return;
    rc.pBot = {x1, y1};
    rc.pTop = {x2, y2};
}

void BordersOfCurves(const std::vector<vlapi::IDrawingObjectPtr>& objs, std::vector<NPolygonPtr>& polygons)
{
    std::vector<NSegmentPtr> segments;
    ApproximateObjectsByLineSegments(objs, segments);
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);
    for (const NContourPtr& contour : contours) {
        NPolygonPtr polygon = contour->CreatePolygon();
        if (!polygon)
            continue;
        polygon->DelColinearPoints();
        polygon->UpdateGabarit();
        if (!polygon->m_points.empty())
            polygons.push_back(polygon);
    }
    detail::SortByGabaritArea(polygons);
}

void InitBordersFromGroup(reference group, std::vector<NPolygonPtr>& polygons)
{
    std::vector<vlapi::IDrawingObjectPtr> objs;
    GetGeomObjectsFromGroup(group, objs);
    BordersOfCurves(objs, polygons);
}

}  // namespace vrnApi
