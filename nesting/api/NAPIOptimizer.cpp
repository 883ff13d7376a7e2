// The automation optimiser: drives the NestingOptimizer it embeds.
#include "api/NestingAPIObjects.h"

#include "host/VarnelAPI.h"

namespace {

// A turn that would set a part across its material's rolling direction, as
// the optimisation panel names it; empty for none and 180°.
std::wstring TurnAgainstRolling(RotationType rotation)
{
    switch (rotation) {
    case RotationType::Rotation90: return L"90";
    case RotationType::Rotation45: return L"45";
    case RotationType::RotationGorzVert: return L"горизонтально/вертикально";
    default: return {};
    }
}

}  // namespace

void NAPIOptimizer::Init()
{
    napi::Guarded([&] { m_optimizer.Init(); });
}

void NAPIOptimizer::Clear()
{
    napi::Guarded([&] { m_optimizer.Clear(); });
}

bool NAPIOptimizer::GetNestingMethod() { return m_optimizer.m_model.m_nestingMethod != 0; }

bool NAPIOptimizer::GetMaterialOrient() { return m_optimizer.m_model.m_checkOrient; }

NestingResult NAPIOptimizer::GetResult()
{
    return napi::Guarded(NestingResult(), [&] { return m_optimizer.m_model.m_result; });
}

// The optimiser measures in microseconds; callers read milliseconds.
int64_t NAPIOptimizer::GetTime() { return m_optimizer.m_dt / 1000; }

void NAPIOptimizer::RunOptimization(const OptimizationParams& params)
{
    // A method or a rotation that does not exist runs nothing: the figures
    // stay where they are (no rotation would have taken every one off its sheet).
    constexpr napi::Range kMethod{0.0, 1.0, false, true};
    constexpr napi::Range kRotation{0.0, 4.0, false, true};  // WithoutRotation to RotationGorzVert
    if (!kMethod.Holds(params.optimizationMethod) || !kRotation.Holds(static_cast<double>(params.rotateMethod)))
        return;
    napi::Guarded([&] {
        // What the optimisation command refuses, every caller's run refuses,
        // and says why: a drawing of linear nesting, and parts of several
        // thicknesses or materials for sheets that have none, which would
        // all be cut from them.
        if (m_optimizer.m_model.m_nestingMethod != 0) {
            vrnApi::Message(kFigureNestingOnly);
            return;
        }
        if (const std::wstring mixed = m_optimizer.MixedStockText(); !mixed.empty()) {
            vrnApi::ShowErrorText(mixed);
            return;
        }
        // Parts of a material with a rolling direction turn by 180° at most,
        // as the command offers them: another turn asked for is not made, and said.
        OptimizationParams run = params;
        if (const std::wstring turn = TurnAgainstRolling(params.rotateMethod);
            m_optimizer.m_model.m_checkOrient && !turn.empty()) {
            run.rotateMethod = RotationType::WithoutRotation;
            vrnApi::ShowInformText(L"Учитывается направление проката: детали поворачиваются только на 180°, поворот «" +
                                   turn + L"» не выполняется, детали размещаются без поворота.");
        }
        m_optimizer.RunOptimization(run);
    });
}

IOptimizerPtr CreateOptimizerInstance()
{
    return napi::Guarded(IOptimizerPtr(), [] { return napi::Make<IOptimizerPtr, NAPIOptimizer>(); });
}
