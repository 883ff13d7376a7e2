// The automation reporter: forwards to the Reporter it embeds.
#include "api/NestingAPIObjects.h"

void NAPIReporter::Init()
{
    napi::Guarded([&] { m_reporter.Init(); });
}

void NAPIReporter::Clear()
{
    napi::Guarded([&] { m_reporter.Clear(); });
}

NResult NAPIReporter::SetParams(ReportParams& params)
{
    return napi::SetWithin({{napi::kSheetFormat, static_cast<double>(params.format)},
                            {napi::kOrientation, static_cast<double>(params.orient)}},
                           [&] { m_reporter.SetParams(params); });
}

void NAPIReporter::CreateDocumentation()
{
    napi::Guarded([&] { m_reporter.CreateDocumentation(); });
}

IReporterPtr CreateReporterInstance()
{
    return napi::Guarded(IReporterPtr(), [] { return napi::Make<IReporterPtr, NAPIReporter>(); });
}
