#include "host/ContourMeasure.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
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

// The host takes curve ends this near in each coordinate for one point, and a
// curve whose ends are that near for closed on itself.
bool HostJoins(const NPoint& a, const NPoint& b)
{
    return std::fabs(a.x - b.x) <= EPS && std::fabs(a.y - b.y) <= EPS;
}

// The contour's curves in its order, as a temporary host contour. A curve
// the host would take for a point (a vertex repeated a hair away, one step
// of a curve digitised in steps shorter than the point tolerance) is left
// out, and the way from the curve before it to the next one the host can
// take runs on temporary lines through its vertices, each kept vertex far
// enough from the one before for the host to tell them apart: a run of such
// steps keeps its shape, and ends the point tolerance apart (the curves of
// no length between them left out) are bridged as the chain is closed. The
// lines are the caller's to delete with the contour; no contour when every
// curve is a point.
vlapi::IDrawingContourPtr MakeTemporaryContour(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour,
                                               std::vector<vlapi::IDrawingObjectPtr>& bridges)
{
    const vlapi::IDrawingContainerPtr container = GetActiveDrawingContainer();
    const std::vector<NSegmentPtr>& chain = contour.m_segments;
    // A curve alone in its contour is closed on itself (a circle), not a point.
    const auto isPoint = [&](const NSegment& s) { return chain.size() > 1 && HostJoins(s.p1, s.p2); };
    const auto first = std::find_if(chain.begin(), chain.end(), [&](const NSegmentPtr& s) { return !isPoint(*s); });
    if (first == chain.end())
        return nullptr;
    const size_t n = chain.size();
    const size_t start = static_cast<size_t>(first - chain.begin());
    std::vector<vlapi::IDrawingObjectPtr> objects;
    const auto line = [&](const NPoint& from, const NPoint& to) {
        if (vlapi::IDrawingObjectPtr made{CreateLineSegm(container, from.x, from.y, to.x, to.y, 1)}) {
            objects.push_back(made);
            bridges.push_back(made);
        }
    };
    std::vector<NPoint> way;  // the vertices of the curves taken for points between two kept
    size_t k = start;
    do {
        const NSegment& curve = *chain[k];
        if (vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, curve.m_ref)})
            objects.push_back(obj);
        size_t next = (k + 1) % n;
        way.clear();
        for (; isPoint(*chain[next]); next = (next + 1) % n) {
            way.push_back(chain[next]->p1);
            way.push_back(chain[next]->p2);
        }
        const NPoint& to = chain[next]->p1;
        NPoint at = curve.p2;
        for (const NPoint& p : way) {
            if (!HostJoins(at, p) && !HostJoins(p, to)) {
                line(at, p);
                at = p;
            }
        }
        if (!HostJoins(at, to))
            line(at, to);
        k = next;
    } while (k != start);
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
