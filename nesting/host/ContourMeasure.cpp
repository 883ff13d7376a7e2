#include "host/ContourMeasure.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <vector>

namespace vrnApi {
namespace {

// The host objects one measurement needs.
struct Measurer {
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    vlapi::IInertiaPropertiesPtr properties;
    vlapi::IInertiaPropertiesCalculateParamPtr param;
    vlapi::IMath2DPtr math;

    Measurer()
    {
        if (!doc || !application)
            return;
        properties = vlapi::IInertiaPropertiesPtr(doc->CreateAPIObject(vlapi::vlObjectInertiaProperties));
        param = vlapi::IInertiaPropertiesCalculateParamPtr(
            doc->CreateAPIObject(vlapi::vlObjectInertiaPropertiesCalculateParam));
        math = application->GetMath2D();
    }
    bool Ready() const { return properties && param && math; }
};

// The contour's curves in its order, as a temporary host contour. Where two
// curves of the chain meet only through a joint of ends the point tolerance
// apart (the curves of no length between them left out), a temporary line
// bridges them, so that the host closes the contour as the chain is closed.
// The lines are the caller's to delete with the contour.
vlapi::IDrawingContourPtr MakeTemporaryContour(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour,
                                               std::vector<vlapi::IDrawingObjectPtr>& bridges)
{
    const vlapi::IDrawingContainerPtr container = GetActiveDrawingContainer();
    const std::vector<NSegmentPtr>& chain = contour.m_segments;
    std::vector<vlapi::IDrawingObjectPtr> objects;
    for (size_t k = 0; k < chain.size(); ++k) {
        if (vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chain[k]->m_ref)})
            objects.push_back(obj);
        const NPoint& end = chain[k]->p2;
        const NPoint& next = chain[k + 1 < chain.size() ? k + 1 : 0]->p1;
        if (end == next)
            continue;
        if (vlapi::IDrawingObjectPtr bridge{CreateLineSegm(container, end.x, end.y, next.x, next.y, 1)}) {
            objects.push_back(bridge);
            bridges.push_back(bridge);
        }
    }
    return CreateContour(container, objects, 1);
}

bool Measure(const Measurer& m, const vlapi::IDrawingContourPtr& contour, double& area, double& length)
{
    if (!m.math->CalculateInertiaProperties(hostAccess::ListOf(contour), m.properties.get(), m.param.get()))
        return false;
    area = m.properties->GetArea();
    if (vlapi::ICurve2DPtr curve = contour->GetCurve())
        length += curve->GetLength();
    return true;
}

bool MeasureWith(const Measurer& m, const NContour& contour, double& area, double& length)
{
    std::vector<vlapi::IDrawingObjectPtr> bridges;
    vlapi::IDrawingContourPtr temporary = MakeTemporaryContour(m.doc, contour, bridges);
    const bool measured = temporary && Measure(m, temporary, area, length);
    if (temporary)
        temporary->Delete();
    for (const vlapi::IDrawingObjectPtr& bridge : bridges)
        bridge->Delete();
    return measured;
}

}  // namespace

bool MeasureContour(const NContour& contour, double& area, double& length)
{
    Measurer m;
    return m.Ready() && MeasureWith(m, contour, area, length);
}

double CalculateContourAreaAndLength(const std::vector<NContourPtr>& contours, double& length)
{
    Measurer m;
    if (!m.Ready())
        return 0.0;
    double total = 0.0;
    bool outer = true;
    for (const NContourPtr& contour : contours) {
        double area = 0.0;
        if (!MeasureWith(m, *contour, area, length))
            continue;
        total += outer ? area : -area;
        outer = false;
    }
    return total;
}

}  // namespace vrnApi
