// Messages by resource id and by text, host errors and help, key state, the host's
// folders, window refresh, the tree-rebuild and undo switches, the user's
// access, the file and folder dialogs, and the configuration's folders.
#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "model/NestingSetting.h"

namespace vrnApi {
namespace {

void ShowResourceMessage(int resId, int flags)
{
    if (application)
        application->MessageBox(LoadStr(resId), std::wstring(), flags, 0, 0);
}

std::wstring SystemPath(int kind)
{
    vlapi::ISystemSettingsPtr settings = application ? application->GetSystemSettings() : nullptr;
    return settings ? settings->GetSystemPath(kind) : std::wstring();
}

vlapi::IApplicationDialogsPtr Dialogs()
{
    return application ? application->GetApplicationDialogs() : nullptr;
}

}  // namespace

void Message(std::wstring mess)
{
    if (application)
        application->MessageBox(mess, LoadStr(IDS_LIBID), vlapi::vlMBIconInformation, 0, 1);
}

bool AskYesNo(const std::wstring& text)
{
    if (!application)
        return false;
    return application->MessageBox(text, LoadStr(IDS_LIBID), vlapi::vlMBIconQuestion | vlapi::vlMBYesNo, 0, 0) ==
           vlapi::vlIDYes;
}

void ShowErrorMessage(int resId)
{
    ShowResourceMessage(resId, vlapi::vlMBIconError);
}

void ShowWarningMessage(int resId)
{
    ShowResourceMessage(resId, vlapi::vlMBIconWarning);
}

void ShowInformMessage(int resId)
{
    ShowResourceMessage(resId, vlapi::vlMBIconInformation);
}

int GetErrorCode()
{
    vlapi::IVarnelErrorPtr error = application ? application->GetLastError() : nullptr;
    return error ? error->GetCode() : 0;
}

void ClearError()
{
    if (vlapi::IVarnelErrorPtr error = application ? application->GetLastError() : nullptr)
        error->Clear();
}

void CallHelp(int helpId)
{
    if (vlapi::IProceduresLibraryPtr library = GetProceduresLibrary())
        library->ShowHelp(helpId);
}

bool IsKeyDown(uint8_t key)
{
    vlapi::IApplicationServicesPtr services = application ? application->GetApplicationServices() : nullptr;
    return services && services->IsKeyDown(key);
}

std::wstring GetSystemPathToLibs()
{
    return SystemPath(vlapi::vlApplications);
}

std::wstring GetSystemPathToConfig()
{
    return SystemPath(vlapi::vlConfigurations);
}

std::wstring GetSystemPathToSystemFiles()
{
    return SystemPath(vlapi::vlSystemFiles);
}

void RefreshActiveWindow()
{
    vlapi::IVarnelDocumentPtr doc = application ? application->GetActiveDocument() : nullptr;
    if (vlapi::IDocumentFramePtr frame = doc ? doc->GetFrame() : nullptr)
        frame->Refresh();
}

void SetTreeRebuild(bool rebuild)
{
    if (vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D()) {
        doc->SetTreeRebuild(rebuild);
        doc->SetTreeUpdate(rebuild);
    }
}

void SetEnableUndo(bool enable)
{
    if (vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D())
        doc->SetEnableUndo(enable);
}

void SetUndoContainer(bool begin)
{
    if (vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D())
        doc->SetUndoContainer(begin);
}

void EnableUserAccess(bool enable)
{
    if (application)
        application->EnableUserAccess(enable);
}

std::wstring ChoiceFileDialog(std::wstring defaultExtension, std::wstring filters, std::wstring startDirectory,
                              bool preview)
{
    vlapi::IApplicationDialogsPtr dialogs = Dialogs();
    return dialogs ? dialogs->OpenFileDialog(0, defaultExtension, filters, startDirectory, 0, preview)
                   : std::wstring();
}

void ChoiceFilesDialog(std::wstring defaultExtension, std::wstring filters, std::wstring startDirectory,
                       bool preview, std::vector<std::wstring>& files)
{
    if (vlapi::IApplicationDialogsPtr dialogs = Dialogs())
        files = dialogs->OpenFilesDialog(0, defaultExtension, filters, startDirectory, 0, preview);
}

std::wstring ChoiceFolderDialog(std::wstring& path)
{
    if (vlapi::IApplicationDialogsPtr dialogs = Dialogs())
        path = dialogs->ChooseFolderDialog(0, path);
    return path;
}

void ConnectConfiguration()
{
    NestingSetting::SetFoldersHook([] {
        return NestingSetting::Folders{detail::PathOf(GetSystemPathToConfig()),
                                       detail::PathOf(GetSystemPathToSystemFiles())};
    });
}

}  // namespace vrnApi
