// Reading the curves of a drawing container.
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>

namespace vrnApi {
namespace {

bool IsCurve(int type)
{
    static constexpr int curves[] = {vlapi::vlDrLineSeg,  vlapi::vlDrCircle,        vlapi::vlDrArc,
                                     vlapi::vlDrBezier,   vlapi::vlDrEllipse,       vlapi::vlDrNurbs,
                                     vlapi::vlDrEllipseArc, vlapi::vlDrNurbsByPoints, vlapi::vlDrConicCurve};
    return std::find(std::begin(curves), std::end(curves), type) != std::end(curves);
}

}  // namespace

void GetCurveObjects(vlapi::IDrawingContainerPtr container, std::vector<vlapi::IDrawingObjectPtr>& objs,
                     double arrow)
{
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (!obj || obj->GetLayer() != 0)
            continue;
        const int type = obj->GetType();
        if (IsCurve(type))
            objs.push_back(obj);
        else if (type != vlapi::vlDrTable)
            DecomposeDrawingObject(obj, arrow, objs);
    }
}

}  // namespace vrnApi
