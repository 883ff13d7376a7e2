#include "io/PartMarking.h"

#include "engine/InterPointBuilder.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/KernelCurveDrawing.h"

namespace {

constexpr double kTextHeight = 5.0;

vlapi::APIObjectList AsList(const vlapi::DrawingObjectList& objects)
{
    vlapi::APIObjectList list;
    for (const vlapi::IDrawingObjectPtr& obj : objects)
        list.emplace_back(obj);
    return list;
}

}  // namespace

bool CreateMarking(const vlapi::IDrawingContainerPtr& container, int32_t layer, CurvesVector bends,
                   const std::wstring& text)
{
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(doc);
    if (!container || !views || !hostAccess::SameObject(views->GetActiveView(), container))
        return false;

    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    doc->GetObjectsBox(AsList(container->GetObjects({vlapi::vlAllObj})), x1, y1, x2, y2);
    vlapi::IDrawingTextPtr label = vrnApi::CreateText(container, text, (x1 + x2) * 0.5, (y1 + y2) * 0.5, kTextHeight);
    if (!label)
        return true;
    double tx1 = 0.0, ty1 = 0.0, tx2 = 0.0, ty2 = 0.0;
    if (doc->GetObjectsBox(hostAccess::ListOf(label), tx1, ty1, tx2, ty2))
        doc->MoveObjects(hostAccess::ListOf(label), -(tx2 - tx1) * 0.5, 0.0);
    label->SetLayer(layer);
    label->Update();

    std::vector<NPolygonPtr> borders;
    flatpattern::InitBordersFromContainer(container, borders);
    VectorPolygon bendPolygons;
    for (const SPtr<MbCurve>& bend : bends) {
        std::vector<NPoint> points;
        flatpattern::GetPointsFromCurve(bend, points);
        bendPolygons.push_back(std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points));
    }
    if (borders.empty())
        return true;
    if (borders.front()->CheckDirection())
        borders.front()->Invert();
    VectorPolygon holes;
    for (size_t i = 1; i < borders.size(); ++i) {
        if (!borders[i]->CheckDirection())
            borders[i]->Invert();
        holes.push_back(borders[i]);
    }
    InterPointBuilder builder;
    builder.Init(borders.front(), holes);
    NPoint offset{0.0, 0.0};
    builder.FindInternalPointForTextPlacement({vlapi::IDrawingObjectPtr(label)}, bendPolygons, offset);
    vrnApi::OffsetObject(vlapi::IVarnelAPIObjectPtr(label), offset);
    return true;
}
