// The nesting-map drawings and their part tables: one of each per sheet, in
// the folder of maps.
#include "io/Reporter.h"

#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "model/BridgeAnchors.h"
#include "model/NestingSetting.h"

namespace fs = std::filesystem;

namespace {

// Puts the job's page-layout switch back however the map ends.
class LayoutSwitchBack {
public:
    LayoutSwitchBack()
        : m_saved(NestingSetting::m_withoutLayout)
    {
    }
    ~LayoutSwitchBack() { NestingSetting::m_withoutLayout = m_saved; }
    LayoutSwitchBack(const LayoutSwitchBack&) = delete;
    LayoutSwitchBack& operator=(const LayoutSwitchBack&) = delete;

private:
    bool m_saved;
};

double ViewScale(int number)
{
    vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(number);
    const double scale = view ? view->GetScale() : 0.0;
    return scale > 0.0 ? scale : 1.0;
}

// Copies the sheet's view of the source drawing, with everything in it, into
// `target` at its own scale; `scale` is that scale (1.0 when not copied).
bool CopySheetView(const Sheet& sheet, const vlapi::IVarnelDocument2DPtr& source,
                   const vlapi::IVarnelDocument2DPtr& target, double& scale)
{
    scale = 1.0;
    source->Activate();
    vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(sheet.GetView());
    vlapi::IDrawingGroupPtr group = view ? vrnApi::CreateGroupInActiveDoc(true) : nullptr;
    if (!group)
        return false;
    group->AddObjects(hostAccess::ListOf(view));
    vlapi::IDrawingGroupPtr copy = group->CopyToDocument(target.get());
    hostAccess::ReleaseGroup(group);
    target->Activate();
    const bool stored = copy && copy->Store();
    hostAccess::ReleaseGroup(copy);
    if (stored)
        scale = view->GetScale() > 0.0 ? view->GetScale() : 1.0;
    return stored;
}

}  // namespace

void Reporter::CreateCardsDrawing()
{
    const std::vector<SheetPtr> sheets = DocumentedSheets();
    if (sheets.empty())
        return;
    vlapi::IVarnelDocument2DPtr source = vrnApi::GetActiveDocument2D();
    if (!source) {
        m_failures.Add(Shown(MapsFolder()), outputs::kNoDrawing);
        return;
    }
    if (!MapsFolderReady())
        return;
    const std::vector<std::wstring>& names = MapNames(sheets);
    // A bridge whose part is gone is on no map.
    const BridgesAside aside(m_lostBridges);
    for (size_t i = 0; i < sheets.size(); ++i)
        WriteMap(*sheets[i], names[i], source);
}

void Reporter::WriteMap(const Sheet& sheet, const std::wstring& name, const vlapi::IVarnelDocument2DPtr& source)
{
    const fs::path target = MapsFolder() / vrnApi::detail::PathOf(name + L".vdw");
    // Reading the map's objects back recognises its layout: the job's own
    // switch is put back however the map ends.
    LayoutSwitchBack layout;
    if (outputs::OpenDocument(target)) {
        m_failures.Add(Shown(target), outputs::kOpenInHost);
        return;
    }
    outputs::PendingFile file(Staged(target), target);
    outputs::HiddenDocument map(outputs::NewHiddenDocument(vlapi::vlDocumentDrawing), source, 1);
    vlapi::IVarnelDocument2DPtr drawing(map.Get());
    if (!drawing) {
        m_failures.Add(Shown(target), outputs::kNoDocument);
        return;
    }
    double sourceScale = 1.0;
    const bool copied = CopySheetView(sheet, source, drawing, sourceScale);
    drawing->Activate();

    // The copied objects, read back as the map's own model.
    NestingModel local;
    local.m_thicknessSheet = m_model.m_thicknessSheet;
    local.SaveParams();
    local.InitSheetsFromActiveDoc();
    local.InitFiguresFromActiveDoc(nullptr);
    local.InitWastesFromActiveDoc();
    if (!copied || local.m_sheets.empty()) {
        m_failures.Add(Shown(target), outputs::kNoView);
        return;
    }

    // No colourings on a map.
    for (const FigurePtr& figure : local.m_figures)
        figure->DeleteColouring();
    vrnApi::DeleteLayer(drawing, vrnApi::LoadStr(IDS_COLORING));

    {
        NestingSetting::m_withoutLayout = false;
        // One page per nesting sheet.
        if (vlapi::ILayoutSheetsPtr pages = drawing->GetLayoutSheets()) {
            for (size_t n = 1; n < local.m_sheets.size(); ++n)
                pages->Add();
        }
        local.m_lytPath = m_params.lytPath;
        local.m_sheetFormat = m_params.format;
        local.m_sheetOrient = m_params.orient != 0;
        local.m_scheme = SheetSchemeParams{false, 1, 3};
        local.UpdateSheets();
        // The title block gives what the registers give.
        local.UpdateResultTables(nullptr);

        // Texts keep their size on paper at the map's scale.
        const double targetScale = ViewScale(local.m_sheets.front()->GetView());
        const double textSize = local.m_textSize;
        local.m_textSize = 0.1;
        local.UpdateSizeText(false);
        local.m_textSize = textSize * targetScale / sourceScale;
        local.UpdateSizeText(false);

        // The map's objects are plain drawing content: its figures, compound
        // figures and their members, its remnants and its bridges.
        std::vector<FigurePtr> figures = local.m_figures;
        GetAllFigures(local, figures);
        for (const FigurePtr& figure : figures)
            figure->ForbidEditable();
        for (const WastePtr& waste : local.m_wastes) {
            waste->DeleteColouring();
            waste->ForbidEditable();
        }
        // So are its bridges, named after their parts as in the drawing: as
        // library objects they would look for parts the map holds as plain
        // content only, and any command run on the map would name them lost.
        std::vector<INestingMacroObjectPtr> macros;
        vrnApi::GetMacrosFromActiveDoc(macros);
        for (const INestingMacroObjectPtr& macro : macros) {
            if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
                macro->ForbidEditable();
        }
    }
    local.ClearSheets();
    local.ClearFigures();
    local.ClearWastes();
    SaveDocument(map, file, target);
}

void Reporter::CreateCardsDetailTables()
{
    const std::vector<SheetPtr> sheets = DocumentedSheets();
    if (sheets.empty())
        return;
    if (!vrnApi::GetActiveDocument2D()) {
        m_failures.Add(Shown(MapsFolder()), outputs::kNoDrawing);
        return;
    }
    if (!MapsFolderReady())
        return;
    std::vector<FigurePtr> figures;
    GetAllFigures(m_model, figures);
    const std::vector<registers::FigureGroup> groups = registers::GroupFigures(figures);
    const std::vector<std::wstring>& names = MapNames(sheets);
    for (size_t i = 0; i < sheets.size(); ++i) {
        registers::Table table{L"", L"Ведомость деталей карты раскроя " + sheets[i]->m_name,
                               {{L"Имя детали", 250.0}, {L"Кол-во", 30.0}}, {}, false};
        for (const registers::FigureGroup& group : groups) {
            if (group.first->m_owner == sheets[i])
                table.rows.push_back({{group.first->m_name, std::to_wstring(group.count)}, 0.0});
        }
        WriteTableDocument(table, MapsFolder() / vrnApi::detail::PathOf(names[i] + L"_Ведомость Деталей.vfw"),
                           nullptr);
    }
}
