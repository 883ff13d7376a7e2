#include "io/KernelCurveDrawing.h"

#include "host/VarnelAPI.h"
#include "io/AssemblyReader.h"
#include "model/NestingSetting.h"

namespace flatpattern {

vlapi::IDrawingObjectPtr DrawLineSeg(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve,
                                     int style)
{
    const MbLineSegment* line = dynamic_cast<const MbLineSegment*>(curve.get());
    if (!container || !line)
        return {};
    const MbCartPoint& a = line->GetPoint1();
    const MbCartPoint& b = line->GetPoint2();
    return vlapi::IDrawingObjectPtr(vrnApi::CreateLineSegm(container, a.x, a.y, b.x, b.y, style));
}

vlapi::IDrawingObjectPtr DrawArc(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve, int style)
{
    const MbArc* arc = dynamic_cast<const MbArc*>(curve.get());
    if (!container || !arc)
        return {};
    if (arc->IsClosed()) {
        const MbCartPoint& c = arc->GetCentre();
        return vlapi::IDrawingObjectPtr(vrnApi::CreateCircle(container, c.x, c.y, arc->GetRadius(), style));
    }
    const MbCartPoint start = arc->PointOn(arc->GetTMin());
    const MbCartPoint end = arc->PointOn(arc->GetTMax());
    const MbCartPoint middle = arc->GetMiddlePoint();
    return vlapi::IDrawingObjectPtr(
        vrnApi::CreateArcBy3Points(container, {start.x, start.y}, {end.x, end.y}, {middle.x, middle.y}, style));
}

vlapi::IDrawingObjectPtr DrawNurbs(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve,
                                   int style)
{
    const MbNurbs* nurbs = dynamic_cast<const MbNurbs*>(curve.get());
    if (!container || !nurbs)
        return {};
    std::vector<double> points;
    for (const MbCartPoint& p : nurbs->GetPoints()) {
        points.push_back(p.x);
        points.push_back(p.y);
    }
    return vlapi::IDrawingObjectPtr(vrnApi::CreateNURBS(container, points, nurbs->GetWeights(), nurbs->GetKnots(),
                                                        nurbs->GetDegree(), nurbs->IsClosed(), style));
}

void GetPointsFromCurve(const SPtr<MbCurve>& curve, std::vector<NPoint>& points)
{
    if (!curve)
        return;
    std::vector<MbCartPoint> polygon;
    curve->CalculatePolygon(0.5, polygon);
    for (const MbCartPoint& p : polygon)
        points.push_back({p.x, p.y});
}

void InitBordersFromContainer(const vlapi::IDrawingContainerPtr& container, std::vector<NPolygonPtr>& borders)
{
    std::vector<vlapi::IDrawingObjectPtr> objects;
    vrnApi::GetCurveObjects(container, objects, NestingSetting::m_instance.m_tolerance);
    vrnApi::BordersOfCurves(objects, borders);
}

}  // namespace flatpattern

void AssemblyReader::DrawCurve(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve,
                               int32_t layerNum, int32_t style)
{
    if (!curve)
        return;
    vlapi::IDrawingObjectPtr made;
    switch (curve->IsA()) {
    case pt_LineSegment:
        made = flatpattern::DrawLineSeg(container, curve, style);
        break;
    case pt_Arc:
        made = flatpattern::DrawArc(container, curve, style);
        break;
    case pt_Nurbs:
        made = flatpattern::DrawNurbs(container, curve, style);
        break;
    default:
        break;
    }
    if (made) {
        made->SetLayer(layerNum);
        made->Update();
    }
}
