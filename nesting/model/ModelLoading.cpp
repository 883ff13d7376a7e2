// Filling a working model from the library macros of the active drawing, and
// emptying its lists again.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "model/HotPointEditors.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <unordered_set>

namespace {

std::vector<INestingMacroObjectPtr> LibraryMacros()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    return macros;
}

bool HeldByHotPointEditor(reference ref)
{
    return std::find(HP_Figure::refs.begin(), HP_Figure::refs.end(), ref) != HP_Figure::refs.end();
}

// A figure macro as its stored record says: a plain or a compound figure.
FigurePtr LoadFigure(const INestingMacroObjectPtr& macro)
{
    FigurePtr figure = Figure::Create(macro);
    figure->m_edit = true;
    figure->LoadParams();
    if (figure->m_objectType != NestingObjectType::CompoundFigure)
        return figure;
    FigurePtr compound = CompoundFigure::Create(macro);
    compound->m_edit = true;
    compound->LoadParams();
    return compound;
}

// With a figure being dragged: only the figures of its sheet, and those of
// its own view that it touches.
bool AroundDraggedFigure(const Figure& loaded, const Figure& dragged, const Sheet& sheet, const NRect& draggedRect)
{
    const int view = loaded.GetView();
    if (view == sheet.GetView())
        return true;
    return view == dragged.GetView() && CheckIntersectRects(loaded.m_rect, draggedRect);
}

template <class T>
void ClearList(std::vector<std::shared_ptr<T>>& list)
{
    for (const std::shared_ptr<T>& object : list)
        object->Clear();
    list.clear();
}

// The values of `mine` that differ from `read` (what this session read from
// the file), set in `target`; the rest of `target` stays. The answer names
// the file's items among them (the adapters are no item of the file);
// `adapters` tells whether those differ.
unsigned TakeChanges(ConfigParams& target, const ConfigParams& read, const ConfigParams& mine, bool& adapters)
{
    unsigned items = 0;
    const auto take = [&](auto ConfigParams::*field, unsigned item) {
        if (!(mine.*field == read.*field)) {
            target.*field = mine.*field;
            items |= item;
        }
    };
    take(&ConfigParams::m_bridgesWidth, NestingSetting::BridgesWidth);
    take(&ConfigParams::m_bridgesLength, NestingSetting::BridgesLength);
    take(&ConfigParams::m_tolerance, NestingSetting::Tolerance);
    take(&ConfigParams::m_lytPath, NestingSetting::LytPath);
    take(&ConfigParams::m_sheetFormat, NestingSetting::SheetFormat);
    take(&ConfigParams::m_sheetOrient, NestingSetting::SheetOrient);
    take(&ConfigParams::m_sheetPattern, NestingSetting::SheetPattern);
    adapters = mine.m_adapters != read.m_adapters;
    if (adapters)
        target.m_adapters = mine.m_adapters;
    return items;
}

}  // namespace

void NestingModel::InitSheetsFromActiveDoc()
{
    // One sheet a view: the views of the sheets so far, asked once.
    std::unordered_set<int> taken;
    for (const SheetPtr& sheet : m_sheets)
        taken.insert(sheet->GetView());
    for (const INestingMacroObjectPtr& macro : LibraryMacros()) {
        const int view = macro->GetMacroViewNumber();
        if (taken.count(view) != 0 || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Sheet))
            continue;
        SheetPtr sheet = Sheet::Create(macro);
        sheet->InitParams();
        sheet->m_edit = true;
        taken.insert(sheet->GetView());
        m_sheets.push_back(std::move(sheet));
    }
    LoadParams();
    RecognizeSheetScheme();
}

void NestingModel::InitFiguresFromActiveDoc(FigurePtr figure)
{
    m_figures.clear();
    if (!figure)
        m_heldBridges.Release();  // held to the figures of the load before
    const std::vector<INestingMacroObjectPtr> macros = LibraryMacros();
    NRect draggedRect;
    SheetPtr draggedSheet;
    const SheetOwners owners(m_sheets);
    if (figure) {
        draggedRect = figure->m_rect;
        figure->m_owner = owners.Of(*figure);
        draggedSheet = figure->m_owner;
    }
    for (const INestingMacroObjectPtr& macro : macros) {
        const reference ref = macro->GetReference();
        if ((figure && ref == HP_Figure::refMacro) || HeldByHotPointEditor(ref))
            continue;
        if (!macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure))
            continue;
        FigurePtr loaded;
        if (draggedSheet) {
            loaded = Figure::Create(macro);
            loaded->m_edit = true;
            loaded->LoadParams();
            if (!AroundDraggedFigure(*loaded, *figure, *draggedSheet, draggedRect))
                continue;
        } else {
            loaded = LoadFigure(macro);
        }
        loaded->m_owner = owners.Of(*loaded);
        m_figures.push_back(std::move(loaded));
    }
    CompoundFigure::m_index = static_cast<int32_t>(
        std::count_if(m_figures.begin(), m_figures.end(), [](const FigurePtr& f) {
            return f->m_objectType == NestingObjectType::CompoundFigure;
        }));
}

void NestingModel::InitWastesFromActiveDoc()
{
    for (const INestingMacroObjectPtr& macro : LibraryMacros()) {
        if (!macro->CheckMacroLibraryNameAndCommand(MacroCommand::Waste))
            continue;
        WastePtr waste = Waste::Create(macro);
        waste->m_name = macro->GetName();
        waste->m_thickness = m_thicknessSheet;
        waste->m_material = m_materialSheet;
        waste->m_edit = true;
        waste->InitChoose();
        waste->LoadParams();
        // The outline too: overlap tests and the label need it, and it may
        // have been reshaped since the record was written.
        waste->ReadOutline();
        for (const SheetPtr& sheet : m_sheets) {
            if (sheet->GetReference() == waste->m_ownerRef) {
                waste->m_owner = sheet;
                break;
            }
        }
        m_wastes.push_back(std::move(waste));
    }
}

void NestingModel::SortFiguresByAreasDecrease()
{
    // Rectangles that differ only by what the repeat tolerance adds to their
    // sides (a vertex an export repeated a hair's breadth away) count as
    // equal: such figures keep the order they had, so that the placement
    // does not hang on that hair.
    std::vector<std::pair<size_t, FigurePtr>> order;
    for (size_t k = 0; k < m_figures.size(); ++k)
        order.emplace_back(k, m_figures[k]);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.second->m_rectArea > b.second->m_rectArea; });
    for (size_t first = 0; first < order.size();) {
        const NRect& rc = order[first].second->m_rect;
        const double tolerance = 2.0 * EPS_REPEATED * ((rc.pTop.x - rc.pBot.x) + (rc.pTop.y - rc.pBot.y));
        size_t end = first + 1;
        while (end < order.size() &&
               order[first].second->m_rectArea - order[end].second->m_rectArea <= tolerance)
            ++end;
        std::sort(order.begin() + static_cast<std::ptrdiff_t>(first), order.begin() + static_cast<std::ptrdiff_t>(end),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        first = end;
    }
    for (size_t k = 0; k < order.size(); ++k)
        m_figures[k] = order[k].second;
}

void NestingModel::ReadFromConfig()
{
    // Every command reads the file: what is amiss in it is told once.
    static std::wstring told;
    const std::wstring said = NestingSetting::m_instance.ReadFromConfig();
    if (!said.empty() && said != told)
        vrnApi::ShowWarningText(said);
    told = said;
    static_cast<ConfigParams&>(*this) = NestingSetting::m_instance;
    m_configRead = NestingSetting::m_instance;
}

bool NestingModel::WriteToConfig()
{
    // The file as it stands now with what this session changed since it read
    // it: what another window of the program saved meanwhile, or the user
    // wrote there by hand, stays.
    const NestingSetting::Folders folders = NestingSetting::HostFolders();
    NestingSetting now = NestingSetting::m_instance;
    now.ReadFromConfig(folders);
    const ConfigParams& read = m_configRead ? *m_configRead : static_cast<const ConfigParams&>(NestingSetting::m_instance);
    bool adapters = false;
    const unsigned items = TakeChanges(now, read, *this, adapters);
    // The file is written only when the session has something to save in it:
    // a confirm that changed no setting leaves it byte for byte, whatever it
    // holds (a file not read was told of at the read).
    if (items == 0) {
        if (adapters)
            NestingSetting::m_instance.m_adapters = m_adapters;
        m_configRead = static_cast<const ConfigParams&>(*this);
        return true;
    }
    std::wstring reason;
    std::filesystem::path kept;
    std::vector<std::wstring> replaced;
    const std::wstring file =
        folders.config.empty() ? std::wstring() : vrnApi::detail::TextOf(NestingSetting::ConfigFile(folders.config));
    if (!now.WriteItems(folders.config, items, reason, kept, replaced)) {
        vrnApi::ShowErrorText(L"Настройки не сохранены в файл " + file + L": " + reason +
                              L".\nПрежний файл оставлен без изменений.");
        return false;
    }
    NestingSetting::m_instance = now;
    m_configRead = static_cast<const ConfigParams&>(*this);
    if (!kept.empty())
        vrnApi::ShowWarningText(L"Файл настроек " + file + L" был повреждён и не прочитан; его прежнее содержимое "
                                L"сохранено в файле " + vrnApi::detail::TextOf(kept) + L", а настройки записаны в " + file +
                                L" заново.");
    if (!replaced.empty()) {
        std::wstring text = L"В файле настроек " + file + L" значения, не принятые при чтении, заменены изменёнными:";
        for (const std::wstring& line : replaced)
            text += L"\n" + line;
        vrnApi::ShowWarningText(text);
    }
    return true;
}

void NestingModel::ClearSheets()
{
    ClearList(m_sheets);
}

void NestingModel::ClearFigures()
{
    for (const FigurePtr& figure : m_figures)
        figure->m_owner.reset();
    ClearList(m_figures);
}

void NestingModel::ClearWastes()
{
    for (const WastePtr& waste : m_wastes)
        waste->m_owner.reset();
    ClearList(m_wastes);
}
