// Drawing objects made in a chosen container (the creation family) and in the
// active view, known afterwards by their reference (the drawing family).
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {
namespace {

// A new object of the container's collection of `type`, as `P`; empty when
// the container, the collection or the new object is missing. An object the
// host made but that is not a `P` is deleted again.
template <class P>
P AddObject(const vlapi::IDrawingContainerPtr& container, int type)
{
    vlapi::IDrawingObjectsPtr collection = container ? container->GetCollection(type) : nullptr;
    vlapi::IDrawingObjectPtr added = collection ? collection->Add() : nullptr;
    P typed(added);
    if (added && !typed)
        added->Delete();
    return typed;
}

template <class P>
P Commit(const P& object, int style)
{
    object->SetStyle(style);
    object->Update();
    return object;
}

}  // namespace

vlapi::IRectanglePtr CreateRectangle(vlapi::IDrawingContainerPtr container, double x, double y, double w, double h,
                                     int style)
{
    auto rect = AddObject<vlapi::IRectanglePtr>(container, vlapi::vlDrRectangle);
    if (!rect)
        return {};
    rect->SetX(x);
    rect->SetY(y);
    rect->SetWidth(w);
    rect->SetHeight(h);
    return Commit(rect, style);
}

vlapi::IPolyLine2DPtr CreatePolyLine(vlapi::IDrawingContainerPtr container, const NPolygon& polygon, int style)
{
    if (polygon.m_points.empty())
        return {};
    auto polyline = AddObject<vlapi::IPolyLine2DPtr>(container, vlapi::vlDrPolyLine);
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
    return Commit(polyline, style);
}

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
    return Commit(contour, style);
}

vlapi::ILineSegmentPtr CreateLineSegm(vlapi::IDrawingContainerPtr container, double x1, double y1, double x2,
                                      double y2, int style)
{
    auto line = AddObject<vlapi::ILineSegmentPtr>(container, vlapi::vlDrLineSeg);
    if (!line)
        return {};
    line->SetX1(x1);
    line->SetY1(y1);
    line->SetX2(x2);
    line->SetY2(y2);
    return Commit(line, style);
}

vlapi::ICirclePtr CreateCircle(vlapi::IDrawingContainerPtr container, double x, double y, double r, int style)
{
    auto circle = AddObject<vlapi::ICirclePtr>(container, vlapi::vlDrCircle);
    if (!circle)
        return {};
    circle->SetXc(x);
    circle->SetYc(y);
    circle->SetRadius(r);
    return Commit(circle, style);
}

vlapi::IArcPtr CreateArc(vlapi::IDrawingContainerPtr container, const NPoint& p0, const NPoint& p1,
                         const NPoint& p2, double r, bool dir, int style)
{
    auto arc = AddObject<vlapi::IArcPtr>(container, vlapi::vlDrArc);
    if (!arc)
        return {};
    arc->SetXc(p0.x);
    arc->SetYc(p0.y);
    arc->SetX1(p1.x);
    arc->SetY1(p1.y);
    arc->SetX2(p2.x);
    arc->SetY2(p2.y);
    arc->SetRadius(r);
    arc->SetDirection(dir);
    return Commit(arc, style);
}

vlapi::IArcPtr CreateArcBy3Points(vlapi::IDrawingContainerPtr container, const NPoint& p1, const NPoint& p2,
                                  const NPoint& p3, int style)
{
    auto arc = AddObject<vlapi::IArcPtr>(container, vlapi::vlDrArc);
    if (!arc)
        return {};
    arc->SetBy3Points(p1.x, p1.y, p2.x, p2.y, p3.x, p3.y);
    return Commit(arc, style);
}

vlapi::IDrawingTextPtr CreateText(vlapi::IDrawingContainerPtr container, std::wstring str, double x, double y,
                                  double h)
{
    auto text = AddObject<vlapi::IDrawingTextPtr>(container, vlapi::vlDrDrawText);
    if (!text)
        return {};
    text->SetX(x);
    text->SetY(y);
    text->SetHeight(h);
    if (vlapi::ITextPtr face{text})
        face->SetText(str);
    text->Update();
    return text;
}

vlapi::INurbsPtr CreateNURBS(vlapi::IDrawingContainerPtr container, const std::vector<double>& points,
                             const std::vector<double>& weights, const std::vector<double>& knots, int32_t degree,
                             bool closed, int style)
{
    auto nurbs = AddObject<vlapi::INurbsPtr>(container, vlapi::vlDrNurbs);
    if (!nurbs)
        return {};
    nurbs->SetNurbs(points, weights, knots, degree, closed);
    return Commit(nurbs, style);
}

vlapi::IEquidistantPtr CreateEquidistant(vlapi::IDrawingContainerPtr container, vlapi::IDrawingObjectPtr baseObject,
                                         bool side, bool arc, double radius, int style)
{
    auto equid = AddObject<vlapi::IEquidistantPtr>(container, vlapi::vlDrEquidistant);
    if (!equid)
        return {};
    equid->SetBaseObject(baseObject.get());
    equid->SetSide(side);
    equid->SetArc(arc);
    equid->SetEquidistantType(vlapi::vlETLeft);
    equid->SetRadius1(radius);
    equid->SetRadius2(radius);
    return Commit(equid, style);
}

reference DrawLineSeg(const NPoint& p1, const NPoint& p2, int style)
{
    return hostAccess::ReferenceOf(CreateLineSegm(GetActiveDrawingContainer(), p1.x, p1.y, p2.x, p2.y, style));
}

reference DrawPolyLine(const NPolygon& polygon, int style)
{
    return hostAccess::ReferenceOf(CreatePolyLine(GetActiveDrawingContainer(), polygon, style));
}

reference DrawArc(const NPoint& p0, const NPoint& p1, const NPoint& p2, double r, bool dir, int style)
{
    return hostAccess::ReferenceOf(CreateArc(GetActiveDrawingContainer(), p0, p1, p2, r, dir, style));
}

reference DrawArcby3points(const NPoint& p0, const NPoint& p1, const NPoint& p2, int style)
{
    return hostAccess::ReferenceOf(CreateArcBy3Points(GetActiveDrawingContainer(), p0, p1, p2, style));
}

reference DrawCircle(const NPoint& mid, double radius, int style)
{
    return hostAccess::ReferenceOf(CreateCircle(GetActiveDrawingContainer(), mid.x, mid.y, radius, style));
}

reference DrawRectangle(const NPoint& p1, double width, double height, int style)
{
    return hostAccess::ReferenceOf(CreateRectangle(GetActiveDrawingContainer(), p1.x, p1.y, width, height, style));
}

reference DrawEquidistant(vlapi::IDrawingObjectPtr baseObject, bool side, bool arc, double radius, int style)
{
    return hostAccess::ReferenceOf(CreateEquidistant(GetActiveDrawingContainer(), baseObject, side, arc, radius, style));
}

void DeleteDrawingObj(reference ref)
{
    vlapi::IDrawingObjectPtr obj(hostAccess::ObjectOf(GetActiveDocument2D(), ref));
    if (obj)
        obj->Delete();
}

}  // namespace vrnApi
