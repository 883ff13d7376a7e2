// The automation optimiser: drives the NestingOptimizer it embeds.
#include "api/NestingAPIObjects.h"

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
    napi::Guarded([&] { m_optimizer.RunOptimization(params); });
}

IOptimizerPtr CreateOptimizerInstance()
{
    return napi::Guarded(IOptimizerPtr(), [] { return napi::Make<IOptimizerPtr, NAPIOptimizer>(); });
}
