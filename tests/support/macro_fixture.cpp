#include "macro_fixture.h"

#include <cmath>

namespace macrotest {

INestingMacroObjectPtr MakeMacro(const vlapi::IDrawingContainerPtr& c, const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                 const std::wstring& name, MacroCommand command)
{
    vlapi::IMacroObjectPtr macro = c->GetMacroObjects()->AddMacro(1);
    if (!SetMacroParams(macro, name, static_cast<int>(command), objs))
        return {};
    return NMacroObject::Create(macro);
}

vlapi::IMacroObjectPtr HostMacro(const INestingMacroObjectPtr& macro)
{
    return std::dynamic_pointer_cast<NMacroObject>(macro)->GetMacro();
}

bool SameRing(const NPolygon& ring, const std::vector<NPoint>& expected, double tol)
{
    const size_t n = expected.size();
    if (ring.m_points.size() != n || !ring.CheckDirection())
        return false;
    for (size_t start = 0; start < n; ++start) {
        bool all = true;
        for (size_t i = 0; i < n && all; ++i) {
            const NPoint& p = ring.m_points[(start + i) % n];
            all = std::fabs(p.x - expected[i].x) < tol && std::fabs(p.y - expected[i].y) < tol;
        }
        if (all)
            return true;
    }
    return false;
}

}  // namespace macrotest
