// The documentation run: the reporter's model, its folders and names, and the
// builders in their fixed order.
#include "io/Reporter.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostGuards.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "model/BridgeAnchors.h"
#include "model/NestingSetting.h"
#include "model/SheetLayout.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kMapsFolder[] = L"Карты раскроя";
constexpr wchar_t kDocsFolder[] = L"Документация";

}  // namespace

void Reporter::Init()
{
    // The bridges on their parts first, as any reading of the drawing finds them.
    m_lostBridges = BridgeAnchors::AfterOwners();
    m_model.InitSheetsFromActiveDoc();
    m_model.InitFiguresFromActiveDoc(nullptr);
    m_model.InitWastesFromActiveDoc();
    m_model.ReadFromConfig();
    // The sheets whose parts overlap or are not cut from them: their maps
    // cannot be cut as drawn. The result of a sheet leaves out the parts not
    // cut from it, as its result table does.
    m_faults.Read(m_model);
    // A sheet's result counts each of its parts whole, overlapping or not,
    // as its result table does.
    m_model.CalculateNestingResult();
    m_model.UpdateWastesNames();
    m_lostNote = LostBridgesNote(L"Мостики, которые не стоят ни на одной детали, на карты раскроя не вошли:",
                                 m_lostBridges, DocumentedSheets(), false);
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
    if (const std::wstring note = WastesNote(); !note.empty())
        vrnApi::ShowWarningText(note.substr(2));
    Run();
    if (!m_notPlaced.empty())
        vrnApi::ShowErrorText(m_notPlaced);
    else if (const std::wstring maps = MapsNote() + StyleLibraryNote(); !m_failures.Empty())
        vrnApi::ShowErrorText(m_failures.Text(L"Не записаны файлы документации:", outputs::FailureList::kShownOfMany) +
                              maps);
    else if (!m_written.empty() && !maps.empty())
        vrnApi::ShowWarningText(maps.substr(2));
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
    // The figures of each view, each view asked once: a sheet is tried
    // against the figures of its own view (against all in view 0).
    std::map<int, std::vector<const Figure*>> inView;
    std::vector<const Figure*> all;
    for (const FigurePtr& figure : m_model.m_figures) {
        if (figure) {
            inView[figure->GetView()].push_back(figure.get());
            all.push_back(figure.get());
        }
    }
    std::vector<SheetPtr> sheets;
    for (const SheetPtr& sheet : m_model.m_sheets) {
        if (!sheet)
            continue;
        const int view = sheet->GetView();
        const std::vector<const Figure*>& figures = view == 0 ? all : inView[view];
        const bool holds = std::any_of(figures.begin(), figures.end(), [&](const Figure* figure) {
            std::optional<int> figureView = view;  // the view it was listed under
            return sheet->HoldsFigure(*figure, view, figureView);
        });
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

std::wstring Reporter::WastesNote() const
{
    // The maps show the remnants, the registers of maps and remnants list them.
    std::wstring stale;
    if (m_params.addCards || m_params.addTableWastes || m_params.addTableCards) {
        const std::vector<SheetPtr> sheets = DocumentedSheets();
        stale = StaleWastesNote(L"Деловые отходы построены для прежнего листа или раскроя и устарели — постройте "
                                L"их заново (в документацию вошли как есть):",
                                m_model, DocumentedWastes(sheets), sheets);
    }
    if (!m_params.addTableWastes && !m_params.addTableCards)
        return stale;
    constexpr size_t kShown = 15;  // remnants named, the rest counted
    std::wstring covered;
    std::vector<std::wstring> narrow;
    m_model.FreeWastes(covered, &narrow);
    return (covered.empty() ? L"" : L"\n\nОтходы, на которых стоят детали, в ведомости не вошли:" + covered) +
           outputs::NamesNote(L"Отходы уже минимального размера отхода " + uf::NumberText(m_model.LeastStockWidth()) +
                                  L" мм в ведомости не вошли:",
                              narrow, kShown) +
           stale;
}

std::wstring Reporter::StyleLibraryNote() const
{
    const std::wstring& path = m_params.lytPath;
    const bool maps = std::any_of(m_written.begin(), m_written.end(),
                                  [&](const fs::path& file) { return file.parent_path() == MapsFolder() &&
                                                                     file.extension() == ".vdw"; });
    if (!maps || path.empty())
        return {};
    // A bare name is looked for in the host's system-files folder. Its
    // default library and its library of pages without layout are the
    // host's own, not the user's.
    const NestingSetting::Folders folders = NestingSetting::HostFolders();
    fs::path file = vrnApi::detail::PathOf(path);
    if (file.is_relative())
        file = folders.systemFiles / file;
    std::error_code error;
    if (file.lexically_normal() == NestingSetting::DefaultStyleLibrary(folders).lexically_normal() ||
        IsPlainLayout(path) || fs::is_regular_file(file, error))
        return {};
    return L"\n\nБиблиотека оформлений не найдена: " + path + L". Карты раскроя записаны без оформления из неё.";
}

std::wstring Reporter::MapsNote() const
{
    return OverlapNote() + LeftOutNote() +
           m_faults.CloseNote(L"На картах раскроя детали стоят друг к другу ближе зазора между деталями:",
                              m_model.m_sheets) +
           m_faults.EdgeNote(L"На картах раскроя детали стоят к краю листа ближе зазора до края:", m_model.m_sheets) +
           (m_params.addCards ? m_lostNote : std::wstring());
}

std::wstring Reporter::LeftOutNote() const
{
    return m_faults.LeftOutNote(L"На картах раскроя есть детали, которые из листа не вырезать; в эффективность и "
                                L"периметр ведомости карт раскроя они не вошли:",
                                m_model.m_sheets);
}

std::wstring Reporter::OverlapNote() const
{
    // Parts the sheet does not count are named after these, and the figures
    // leave them out.
    return m_faults.OverlapNote(L"На картах раскроя детали наложены друг на друга, по ним резать нельзя; эффективность "
                                L"и периметр в ведомости карт раскроя посчитаны по всем деталям карты, каждая целиком" +
                                    std::wstring(m_faults.AnyLeftOut() ? L", кроме названных ниже:" : L":"),
                                m_model.m_sheets);
}

bool Reporter::createDirectory(const std::wstring& path)
{
    return outputs::EnsureFolder(vrnApi::detail::PathOf(path));
}

void Reporter::GetAllFigures(NestingModel& model, std::vector<FigurePtr>& all)
{
    const registers::SheetsByView byView(model.m_sheets);
    for (const FigurePtr& figure : model.m_figures) {
        if (!figure)
            continue;
        if (SheetPtr sheet = byView.Of(figure->GetView()))
            figure->m_owner = sheet;
        for (const FigurePtr& part : PartsOf(figure)) {
            part->m_owner = figure->m_owner;
            all.push_back(part);
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
