// The automation exporter: forwards to the Exporter it embeds.
#include "api/NestingAPIObjects.h"

NResult NAPIExporter::SetParams(const ExportParams& params)
{
    return napi::SetWithin({{napi::kExportFormat, static_cast<double>(params.format)}}, [&] { m_exporter.SetParams(params); });
}

void NAPIExporter::ExportToDXF(std::wstring folder)
{
    napi::Guarded([&] { m_exporter.ExportToDXF(std::move(folder)); });
}

IExporterPtr CreateExporterInstance()
{
    return napi::Guarded(IExporterPtr(), [] { return napi::Make<IExporterPtr, NAPIExporter>(); });
}
