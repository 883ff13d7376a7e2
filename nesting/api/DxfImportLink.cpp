#include "api/DxfImportLink.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI.h"

// The DXF conversion is not built yet: every listed file is reported as not
// imported. Connect the io layer's DXF import here, and only here.
void ImportDxfFiles(std::vector<FileMetaParams>& files, const std::wstring&)
{
    if (files.empty())
        return;
    std::wstring text = vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L":";
    for (const FileMetaParams& file : files)
        text += L"\n" + file.m_path;
    vrnApi::ShowInformText(text);
}
