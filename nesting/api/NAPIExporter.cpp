// The automation exporter: forwards to the Exporter it embeds.
#include "api/NestingAPIObjects.h"

void NAPIExporter::SetParams(const ExportParams& params)
{
    napi::Guarded([&] { m_exporter.SetParams(params); });
}

void NAPIExporter::ExportToDXF(std::wstring folder)
{
    napi::Guarded([&] { m_exporter.ExportToDXF(std::move(folder)); });
}

IExporterPtr CreateExporterInstance()
{
    return napi::Guarded(IExporterPtr(), [] { return napi::Make<IExporterPtr, NAPIExporter>(); });
}
