#include "shell/Library.h"

#include "api/NAPIBase.h"
#include "engine/CommandsWithoutPanel.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "model/BridgeAnchors.h"
#include "shell/BaseProcess.h"
#include "shell/Events.h"
#include "shell/HotPoint.h"
#include "shell/Starters.h"

#include <utility>
#include <vector>

int command = 0;

namespace {

constexpr int kIdsOnlyInDrawing = 101;
constexpr int kHelpTopic = 1;
const std::wstring kModuleName = L"Nesting";

// The menu: the library id's entries, each running the command of its id.
const std::vector<int> kMenuEntries = {kCommandImport,      kCommandSourceData,    kCommandOptimization,
                                       kCommandWastes,      kCommandUpdateResults, kCommandExport,
                                       kCommandDocumentation, kCommandBridges};

// The string ids, in blocks of consecutive ids (first, last).
constexpr std::pair<int, int> kStringBlocks[] = {
    {100, 105},   // general
    {7010, 7018}, // common
    {7100, 7142}, // parts and sheets
    {7200, 7225}, // optimisation and results
    {7300, 7315}, // remnants
    {7400, 7425}, // export
    {7450, 7450}, // documentation
    {7500, 7510}, // settings
    {7600, 7623}, // bridges
    {7700, 7712}, // documents
    {7800, 7828}, // import
    {7830, 7835},
    {7900, 7933}, // linear nesting
    {8000, 8011}, // sheet lists
};

void OpenHelp()
{
    vrnApi::CallHelp(kHelpTopic);
}

using Starter = void (*)();

Starter StarterOf(int comm)
{
    switch (comm) {
    case kCommandImport: return &RunImportProcess;
    case kCommandSourceData:
    case kCommandSourceDataAlias: return &RunReadContoursProcess;
    case kCommandOptimization: return &RunOptimizationProcess;
    case kCommandWastes:
    case kCommandWastesAlias: return &RunWasteProcess;
    case kCommandUpdateResults: return &RunUpdateResults;
    case kCommandExport: return &RunExportProcess;
    case kCommandDocumentation: return &RunDocumentationProcess;
    case kCommandSettings: return &RunSettingProcess;
    case kCommandHelp: return &OpenHelp;
    case kCommandBridges: return &RunBridgesProcess;
    case kCommandPlaceSelected: return &RunAutoPlacementInSheet;
    default: return nullptr;
    }
}

bool ActiveDrawing()
{
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    return doc && doc->GetDocumentType() == vlapi::vlDocumentDrawing;
}

// `command` holds the id while the command starts, on every path.
class StartingCommand {
public:
    explicit StartingCommand(int comm) { command = comm; }
    ~StartingCommand() { command = 0; }
    StartingCommand(const StartingCommand&) = delete;
    StartingCommand& operator=(const StartingCommand&) = delete;

private:
    LibraryEdit m_edit;
};

void RegisterCallbacks(vlapi::IVarnelLibraryActions& actions)
{
    actions.RegisterRunCommand(&RunCommand);
    actions.RegisterFillContextPanel(&FillContextPanel);
    actions.RegisterLibCommandState(&LibCommandState);
    actions.RegisterGetMenuId(&GetMenuId);
    actions.RegisterLibObjInterfaceEntry(vlapi::vlLibObjHotPoints, &LibObjHotPointsEntry);
    actions.RegisterLibObjInterfaceEntry(vlapi::vlLibObjProperties, &LibObjPropertiesEntry);
}

// Everything the library holds of the host let go, each step whatever the
// others do: the current command (stopped when still bound), the sinks, the
// application handlers, the resource module and the application.
void Disconnect()
{
    napi::Guarded([] { BaseProcess::ReleaseCurrent(); });
    LibraryRun::SetHold(nullptr);
    napi::Guarded([] { RemoveDocumentEvents(); });
    napi::Guarded([] { RemoveApplicationEvents(); });
    resourceModule = nullptr;
    application = nullptr;
}

}  // namespace

bool RunCommand(int comm, int mode)
{
    return napi::Guarded(false, [&] {
        const Starter starter = StarterOf(comm);
        if (!starter)
            return false;
        // Asked for while a command's code runs (the host handled the user's
        // waiting events): the command starts once that code has returned.
        if (BaseProcess::HandlerRuns()) {
            BaseProcess::AfterHandlers([comm, mode] { RunCommand(comm, mode); });
            return true;
        }
        if (!ActiveDrawing()) {
            vrnApi::ShowErrorMessage(kIdsOnlyInDrawing);
            return false;
        }
        BaseProcess::Busy busy;
        StartingCommand starting(comm);
        // Bridges left behind by parts moved with the host's own tools are
        // brought onto them before the command reads the drawing (the
        // command runs all the same should that fail).
        napi::Guarded([] { BridgeAnchors::AfterOwners(); });
        starter();
        return true;
    });
}

bool FillContextPanel(const vlapi::IProcessContextPanelPtr&)
{
    return false;
}

bool LibCommandState(int comm, bool&, int&, std::wstring&)
{
    return napi::Guarded(false, [&] { return comm == command && BaseProcess::CommandRuns(); });
}

int GetMenuId()
{
    return IDS_LIBID;
}

vlapi::IAPIObjectPtr LibObjHotPointsEntry(const vlapi::IVarnelAPIObjectPtr& object)
{
    return napi::Guarded(vlapi::IAPIObjectPtr(), [&] { return vlapi::IAPIObjectPtr(CreateHPObj(object)); });
}

vlapi::IAPIObjectPtr LibObjPropertiesEntry(const vlapi::IVarnelAPIObjectPtr&)
{
    return nullptr;
}

void LoadResources()
{
    resourceModule = application ? application->GetResourcesModule(kModuleName) : nullptr;
    if (!resourceModule)
        return;
    resourceModule->AddCursor(CURSOR_ROTATE, L"CURSOR_ROTATE");
    resourceModule->AddLibraryId(IDS_LIBID, kMenuEntries);
    for (const auto& [first, last] : kStringBlocks) {
        for (int id = first; id <= last; ++id)
            resourceModule->AddString(id);
    }
}

extern "C" __attribute__((visibility("default"))) bool LoadVarnelLibrary(vlapi::IApplication* app,
                                                                          vlapi::IVarnelLibraryActions* actions)
{
    try {
        application = app;
        if (!application || !actions) {
            Disconnect();
            return false;
        }
        RegisterCallbacks(*actions);
        CreateApplicationEvents();
        // The library's own runs over a drawing hold the drawings' sinks back.
        LibraryRun::SetHold(&HoldDocumentEvents);
        LoadResources();
        vrnApi::ConnectConfiguration();
        return true;
    } catch (...) {
        Disconnect();
        return false;
    }
}

extern "C" __attribute__((visibility("default"))) void UnloadVarnelLibrary()
{
    Disconnect();
}
