#include "api/DxfImportLink.h"

#include "io/DxfImport.h"

// The host's DXF converter is not connected yet: without a reader every file
// is reported as not imported.
void ImportDxfFiles(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outPath)
{
    dxfimport::ImportFiguresFromDxf(model, files, outPath, nullptr);
}
