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

void NAPIReporter::SetParams(ReportParams& params)
{
    napi::Guarded([&] { m_reporter.SetParams(params); });
}

void NAPIReporter::CreateDocumentation()
{
    napi::Guarded([&] { m_reporter.CreateDocumentation(); });
}

IReporterPtr CreateReporterInstance()
{
    return napi::Guarded(IReporterPtr(), [] { return napi::Make<IReporterPtr, NAPIReporter>(); });
}
