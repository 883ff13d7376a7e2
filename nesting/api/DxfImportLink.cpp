#include "api/DxfImportLink.h"

#include "io/ConverterDXF.h"
#include "io/DxfImport.h"

void ImportDxfFiles(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outPath)
{
    if (files.empty())
        return;
    // One converter for the whole run, reading into the document active at each call.
    // What it cannot read of a file goes into the run's closing message, not into boxes of its own.
    ConverterDXF converter;
    dxfimport::DxfReader read;
    dxfimport::DxfProblems problems;
    if (converter.Init(true, true)) {
        converter.ShowProblems(false);
        read = [&converter](const std::wstring& path) { return converter.Convert(path, std::wstring()); };
        problems = [&converter] { return converter.Problems(); };
    }
    dxfimport::ImportFiguresFromDxf(model, files, outPath, read, problems);
}
