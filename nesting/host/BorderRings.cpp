#include "host/BorderRings.h"

#include <algorithm>
#include <numeric>

namespace vrnApi {

bool HasRepeatedCurve(const std::vector<CurveChord>& curves)
{
    for (size_t i = 0; i < curves.size(); ++i) {
        for (size_t j = i + 1; j < curves.size(); ++j) {
            const NSegment& a = *curves[i].chord;
            const NSegment& b = *curves[j].chord;
            if (a.p1 == b.p1 && a.p2 == b.p2 && curves[i].middle == curves[j].middle)
                return true;
        }
    }
    return false;
}

size_t FindOuterRing(const std::vector<NPolygonPtr>& rings)
{
    std::vector<size_t> order(rings.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return rings[a]->GetGabaritArea() > rings[b]->GetGabaritArea();
    });
    for (size_t candidate : order) {
        const NPolygon& outer = *rings[candidate];
        bool holdsAll = true;
        for (size_t k = 0; k < rings.size() && holdsAll; ++k)
            holdsAll = k == candidate || outer.CheckContainPoligon(*rings[k], true);
        if (holdsAll)
            return candidate;
    }
    return NOT_FOUND_INDEX;
}

}  // namespace vrnApi
