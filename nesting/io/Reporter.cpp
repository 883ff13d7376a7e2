// The documentation run: the reporter's model, its folders and names, and the
// builders in their fixed order.
#include "io/Reporter.h"

#include "host/HostGuards.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <algorithm>
#include <iterator>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kMapsFolder[] = L"Карты раскроя";
constexpr wchar_t kDocsFolder[] = L"Документация";

}  // namespace

void Reporter::Init()
{
    m_model.InitSheetsFromActiveDoc();
    m_model.InitFiguresFromActiveDoc(nullptr);
    m_model.InitWastesFromActiveDoc();
    m_model.ReadFromConfig();
    // The sheets whose parts overlap: their maps cannot be cut as drawn.
    m_overlaps.clear();
    for (const auto& [a, b] : m_model.OverlappingFigures()) {
        const SheetPtr sheet = registers::SheetInView(m_model.m_sheets, a->GetView());
        if (!sheet)
            continue;  // the container is no map
        auto it = std::find_if(m_overlaps.begin(), m_overlaps.end(),
                               [&](const auto& entry) { return entry.first == sheet; });
        if (it == m_overlaps.end())
            it = m_overlaps.insert(m_overlaps.end(), {sheet, {}});
        for (const FigurePtr& figure : {a, b}) {
            if (std::find(it->second.begin(), it->second.end(), figure) == it->second.end())
                it->second.push_back(figure);
        }
    }
    // Each sheet's parts in the drawing's order.
    const auto position = [this](const FigurePtr& figure) {
        return std::find(m_model.m_figures.begin(), m_model.m_figures.end(), figure) - m_model.m_figures.begin();
    };
    for (auto& entry : m_overlaps)
        std::stable_sort(entry.second.begin(), entry.second.end(),
                         [&](const FigurePtr& x, const FigurePtr& y) { return position(x) < position(y); });
    // The parts a map shows that are not cut from its sheet: one that stands
    // over the sheet's edge, or one of another thickness or material. Its
    // result leaves them out, as its result table does.
    m_leftOut.clear();
    for (const FigurePtr& figure : m_model.m_figures) {
        if (!figure)
            continue;
        SheetPtr home;
        bool beyond = false;
        for (const SheetPtr& sheet : m_model.m_sheets) {
            if (sheet->GetView() != 0 && sheet->GetView() != figure->GetView())
                continue;
            if (sheet->CheckContainFigure(figure)) {
                home = sheet;
                beyond = false;
                break;
            }
            if (!home && CheckIntersectRects(sheet->m_rect, figure->m_rectBorder)) {
                home = sheet;
                beyond = true;
            }
        }
        if (!home || (!beyond && figure->OfStock(m_model.m_thicknessSheet, NestingModel::m_materialSheet)))
            continue;
        auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(), [&](const LeftOut& entry) { return entry.sheet == home; });
        if (it == m_leftOut.end())
            it = m_leftOut.insert(m_leftOut.end(), LeftOut{home, {}});
        it->parts.emplace_back(figure, beyond);
    }
    // A sheet's result counts each of its parts whole, overlapping or not,
    // as its result table does.
    m_model.CalculateNestingResult();
    m_model.UpdateWastesNames();
    if (const std::optional<double> kept = m_model.LinearMinimum())
        m_linearMinimumRemnant = *kept;
}

void Reporter::Clear()
{
    m_model.ClearSheets();
    m_model.ClearFigures();
    m_model.ClearWastes();
}

void Reporter::CreateDocumentation()
{
    if (m_params.folder.empty()) {
        vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return;
    }
    std::wstring covered;
    m_model.FreeWastes(covered);
    if (!covered.empty() && (m_params.addTableWastes || m_params.addTableCards))
        vrnApi::ShowWarningText(L"Отходы, на которых стоят детали, в ведомости не вошли:" + covered);
    Run();
    if (!m_notPlaced.empty())
        vrnApi::ShowErrorText(m_notPlaced);
    else if (!m_failures.Empty())
        vrnApi::ShowErrorText(m_failures.Text(L"Не записаны файлы документации:", outputs::FailureList::kShownOfMany) +
                              MapsNote());
    else if (!m_written.empty() && !MapsNote().empty())
        vrnApi::ShowWarningText(MapsNote().substr(2));
}

void Reporter::Run(const Progress& progress)
{
    m_failures = {};
    m_written.clear();
    m_notPlaced.clear();
    m_staged.reset();
    m_mapNames.clear();
    m_folder = m_mapsFolder = m_docsFolder = 0;
    if (m_params.folder.empty())
        return;
    m_source = application ? application->GetActiveDocument() : nullptr;
    vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
    const std::pair<bool, void (Reporter::*)()> builders[] = {
        {m_params.addCards, &Reporter::CreateCardsDrawing},
        {m_params.addSpecif, &Reporter::CreateCardsDetailTables},
        {m_params.addTableCards, &Reporter::CreateCardsTable},
        {m_params.addTableDetails, &Reporter::CreateDetailsTable},
        {m_params.addTableMaterial, &Reporter::CreateMaterialTable},
        {m_params.addTableWastes, &Reporter::CreateWastesTable},
        {m_params.addTableLN, &Reporter::CreateLNTable},
    };
    const size_t all = static_cast<size_t>(
        std::count_if(std::begin(builders), std::end(builders), [](const auto& b) { return b.first; }));
    size_t done = 0;
    for (const auto& [wanted, builder] : builders) {
        if (!wanted)
            continue;
        // A builder that fails does not stop the ones after it.
        try {
            (this->*builder)();
        } catch (...) {
            m_failures.Add(Shown(Folder()), outputs::kNotWritten);
        }
        if (m_source)
            m_source->Activate();
        if (progress)
            progress(++done, all);
    }
    // The run's files go in place together, or none of them.
    std::wstring file;
    std::wstring reason;
    if (m_staged && !m_staged->Commit(file, reason)) {
        m_failures.Add(file, reason);
        m_notPlaced = L"Документация не создана: файл " + file + L" не удалось поместить в папку " + m_params.folder +
                      L" (" + reason + L").\nФайлы папки оставлены как были.";
        m_written.clear();
    }
    m_staged.reset();
}

std::vector<SheetPtr> Reporter::DocumentedSheets() const
{
    std::vector<SheetPtr> sheets;
    for (const SheetPtr& sheet : m_model.m_sheets) {
        const bool holds = std::any_of(m_model.m_figures.begin(), m_model.m_figures.end(),
                                       [&](const FigurePtr& figure) { return sheet && sheet->CheckContainFigure(figure); });
        if (holds)
            sheets.push_back(sheet);
    }
    return sheets;
}

std::vector<std::wstring> Reporter::EarlierFiles() const
{
    std::vector<std::wstring> earlier;
    // A run that put nothing in place left the folders as they were: said so.
    if (m_params.folder.empty() || !m_notPlaced.empty())
        return earlier;
    for (const fs::path& folder : {MapsFolder(), DocsFolder()}) {
        const std::vector<std::wstring> found =
            outputs::EarlierFiles(folder, {".vdw", ".vfw", ".csv"}, m_written, m_failures, Folder());
        earlier.insert(earlier.end(), found.begin(), found.end());
    }
    return earlier;
}

std::wstring Reporter::EarlierNote() const
{
    constexpr size_t kShown = 10;  // named one by one
    return outputs::NamesNote(L"В папке остались документы прежних запусков, которых нет в этой документации:",
                              EarlierFiles(), kShown);
}

std::wstring Reporter::MapsNote() const
{
    return OverlapNote() + LeftOutNote();
}

std::wstring Reporter::LeftOutNote() const
{
    if (m_leftOut.empty())
        return {};
    constexpr size_t kShown = 5;  // parts of one map, the rest counted
    std::wstring text = L"\n\nНа картах раскроя есть детали, которые из листа не вырезать; в эффективность и периметр "
                        L"ведомости карт раскроя они не вошли:";
    for (const SheetPtr& sheet : m_model.m_sheets) {
        const auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(),
                                     [&](const LeftOut& entry) { return entry.sheet == sheet; });
        if (it == m_leftOut.end())
            continue;
        text += L"\n" + sheet->m_name + L": ";
        for (size_t i = 0; i < it->parts.size() && i < kShown; ++i) {
            const auto& [figure, beyond] = it->parts[i];
            text += (i > 0 ? L", " : L"") + figure->GetName() +
                    (beyond ? L" (за краем листа)" : L" (другой толщины или материала)");
        }
        if (it->parts.size() > kShown)
            text += L" и ещё " + std::to_wstring(it->parts.size() - kShown);
    }
    return text;
}

std::wstring Reporter::OverlapNote() const
{
    if (m_overlaps.empty())
        return {};
    constexpr size_t kNamesShown = 5;  // part names of one map, the rest counted
    // Parts the sheet does not count are named after these, and the figures
    // leave them out.
    std::wstring text = L"\n\nНа картах раскроя детали наложены друг на друга, по ним резать нельзя; эффективность "
                        L"и периметр в ведомости карт раскроя посчитаны по всем деталям карты, каждая целиком" +
                        std::wstring(m_leftOut.empty() ? L":" : L", кроме названных ниже:");
    // The maps in the sheets' order, each with the names of its overlapping parts.
    for (const SheetPtr& sheet : m_model.m_sheets) {
        const auto it = std::find_if(m_overlaps.begin(), m_overlaps.end(),
                                     [&](const auto& entry) { return entry.first == sheet; });
        if (it == m_overlaps.end())
            continue;
        std::vector<std::wstring> names;
        for (const FigurePtr& figure : it->second) {
            if (std::find(names.begin(), names.end(), figure->GetName()) == names.end())
                names.push_back(figure->GetName());
        }
        text += L"\n" + sheet->m_name + L" (деталей: " + std::to_wstring(it->second.size()) + L"): ";
        for (size_t i = 0; i < names.size() && i < kNamesShown; ++i)
            text += (i > 0 ? L", " : L"") + names[i];
        if (names.size() > kNamesShown)
            text += L" и ещё " + std::to_wstring(names.size() - kNamesShown);
    }
    return text;
}

bool Reporter::createDirectory(const std::wstring& path)
{
    return outputs::EnsureFolder(vrnApi::detail::PathOf(path));
}

void Reporter::GetAllFigures(NestingModel& model, std::vector<FigurePtr>& all)
{
    for (const FigurePtr& figure : model.m_figures) {
        if (!figure)
            continue;
        if (SheetPtr sheet = registers::SheetInView(model.m_sheets, figure->GetView()))
            figure->m_owner = sheet;
        auto compound = std::dynamic_pointer_cast<CompoundFigure>(figure);
        if (compound && figure->m_objectType == NestingObjectType::CompoundFigure) {
            for (const FigurePtr& member : compound->m_figures) {
                member->m_owner = figure->m_owner;
                all.push_back(member);
            }
        } else {
            all.push_back(figure);
        }
    }
}

fs::path Reporter::Folder() const { return vrnApi::detail::PathOf(m_params.folder); }

fs::path Reporter::MapsFolder() const { return Folder() / vrnApi::detail::PathOf(kMapsFolder); }

fs::path Reporter::DocsFolder() const { return Folder() / vrnApi::detail::PathOf(kDocsFolder); }

std::wstring Reporter::Shown(const fs::path& file) const { return outputs::ShownName(file, Folder()); }

const std::vector<std::wstring>& Reporter::MapNames(const std::vector<SheetPtr>& sheets)
{
    if (m_mapNames.size() != sheets.size()) {
        outputs::NameBook book;
        m_mapNames.clear();
        for (const SheetPtr& sheet : sheets)
            m_mapNames.push_back(book.Reserve(outputs::SafeFileName(sheet->m_name), {L".vdw", L"_Ведомость Деталей.vfw"}));
    }
    return m_mapNames;
}

bool Reporter::MapsFolderReady() { return FolderReady(m_mapsFolder, MapsFolder()); }

bool Reporter::DocsFolderReady() { return FolderReady(m_docsFolder, DocsFolder()); }

bool Reporter::FolderReady(int& state, const fs::path& folder)
{
    if (m_folder == 0) {
        m_folder = outputs::EnsureFolder(Folder()) ? 1 : -1;
        if (m_folder < 0) {
            m_failures.Add(Shown(Folder()), outputs::NoFolderReason(Folder()));
        } else {
            m_staged = std::make_unique<outputs::StagedFiles>(Folder(), ".documentation-");
            if (!m_staged->Ready()) {
                m_failures.Add(Shown(Folder()), L"файлы в папку не записать: " + m_staged->Error());
                m_staged.reset();
                m_folder = -1;
            }
        }
    }
    if (state == 0) {
        state = m_folder < 0 ? -1 : (outputs::EnsureFolder(folder) ? 1 : -1);
        if (state < 0 && m_folder > 0)
            m_failures.Add(Shown(folder), outputs::NoFolderReason(folder));
    }
    return state > 0;
}

bool Reporter::SaveDocument(outputs::HiddenDocument& document, outputs::PendingFile& file, const fs::path& target)
{
    std::wstring reason;
    const vlapi::IVarnelDocumentPtr saved = document.Get();
    // Saved, then closed, then complete.
    const bool written = file.Fault().empty() && saved->SaveAs(file.HostPath());
    document.Close();
    if (written && file.Commit(reason)) {
        Done(target);
        return true;
    }
    m_failures.Add(Shown(target), written ? reason : !file.Fault().empty() ? file.Fault() : std::wstring(outputs::kNotSaved));
    return false;
}

fs::path Reporter::Staged(const fs::path& target) const { return m_staged ? m_staged->Staged(target) : target; }

void Reporter::Done(const fs::path& target)
{
    if (m_staged)
        m_staged->Written(target);
    m_written.push_back(target);
}

void Reporter::Undo(const fs::path& target, const wchar_t* reason)
{
    if (m_staged)
        m_staged->Drop(target);
    m_written.erase(std::remove(m_written.begin(), m_written.end(), target), m_written.end());
    m_failures.Add(Shown(target), reason);
}
