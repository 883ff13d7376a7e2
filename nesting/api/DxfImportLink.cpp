#include "api/DxfImportLink.h"

#include "io/ConverterDXF.h"
#include "io/DxfImport.h"

void ImportDxfFiles(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outPath)
{
    if (files.empty())
        return;
    // One converter for the whole run, reading into the document active at each call.
    ConverterDXF converter;
    dxfimport::DxfReader read;
    if (converter.Init(true, true))
        read = [&converter](const std::wstring& path) { return converter.Convert(path, std::wstring()); };
    dxfimport::ImportFiguresFromDxf(model, files, outPath, read);
}
