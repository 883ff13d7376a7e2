#include "host/ContourMeasure.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

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

vlapi::IDrawingContourPtr MakeTemporaryContour(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour)
{
    std::vector<vlapi::IDrawingObjectPtr> objects;
    for (const NSegmentPtr& segment : contour.m_segments) {
        if (vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, segment->m_ref)})
            objects.push_back(obj);
    }
    return CreateContour(GetActiveDrawingContainer(), objects, 1);
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
    vlapi::IDrawingContourPtr temporary = MakeTemporaryContour(m.doc, contour);
    if (!temporary)
        return false;
    const bool measured = Measure(m, temporary, area, length);
    temporary->Delete();
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
