// The documentation command (id 7) needs no panel: the user picks a folder,
// and the reporter writes the drawing's documents there, one kind after the
// other with the host's progress bar, in the style library, format and
// orientation of the configuration: for figure nesting the nesting maps with
// their part tables and the registers of maps, parts, materials and
// remnants, for linear nesting the register of linear cuts. One closing
// message ends the run: what could not be written and why, or the folder
// once everything was written (with a warning when no part stands on a
// sheet), or that the drawing held nothing to document; beside it the maps that cannot be cut as drawn (parts over one
// another, over the sheet's edge or of other stock) or whose parts stand
// nearer than the gaps, the remnants out of date, the style library the
// user set that is not there, and the documents an earlier run left in the
// folders. The
// documents go in place together at the end: a run whose files cannot all
// be put there leaves the folders as they were, and says so.
#include "host/VarnelAPI.h"
#include "io/Reporter.h"
#include "shell/LinearNestingEditor.h"
#include "shell/ModelCommand.h"
#include "shell/Starters.h"

#include <memory>
#include <vector>

namespace {

constexpr int IDS_DOCUMENTATION = 7450;
constexpr int kProgressRange = 100;

// The documents of one kind each.
std::vector<bool ReportParams::*> Kinds(bool linear)
{
    if (linear)
        return {&ReportParams::addTableLN};
    return {&ReportParams::addCards,        &ReportParams::addSpecif,        &ReportParams::addTableCards,
            &ReportParams::addTableDetails, &ReportParams::addTableMaterial, &ReportParams::addTableWastes};
}


class ProgressBar {
public:
    explicit ProgressBar(const std::wstring& text)
    {
        if (application)
            application->StartProgressBar(text, kProgressRange);
    }
    ~ProgressBar()
    {
        if (application)
            application->StopProgressBar();
    }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;
    void Set(size_t done, size_t all) const
    {
        if (application && all > 0)
            application->SetProgressBarPosition(static_cast<int>(done * kProgressRange / all));
    }
};

}  // namespace

void RunDocumentationProcess()
{
    std::wstring folder;
    if (!BaseProcess::ChooseFolder(folder))
        return;
    const INestingModelPtr model = CreateNestingModelInstance();
    if (!model) {
        vrnApi::ShowErrorText(kNoModelMessage);
        return;
    }
    model->InitSheetsFromActiveDoc();
    model->ReadFromConfig();
    ReportParams params;
    params.folder = folder;
    model->GetLytPath(params.lytPath);
    params.format = model->GetSheetFormat();
    params.orient = model->GetSheetOrient() ? 1 : 0;
    const bool linear = model->GetNestingMethod() != 0;
    for (bool ReportParams::*kind : Kinds(linear))
        params.*kind = true;
    // The reporter itself rather than its automation object: the closing
    // message needs to know what was written and what was not.
    const auto reporter = std::make_unique<Reporter>();
    {
        const ProgressBar progress(vrnApi::LoadStr(IDS_DOCUMENTATION));
        reporter->Init();
        reporter->SetParams(params);
        // The drawing's own, or, in one saved before it kept it, this session's.
        reporter->SetLinearMinimumRemnant(model->GetParams().LinearMinimum().value_or(LinearNestingEditor::m_minWaste));
        reporter->Run([&progress](size_t done, size_t all) { progress.Set(done, all); });
    }
    if (!reporter->NotPlaced().empty()) {
        vrnApi::ShowErrorText(reporter->NotPlaced());
        return;
    }
    const std::wstring earlier = reporter->EarlierNote();
    // Maps that cannot be cut as drawn, remnants the registers leave out or
    // that are out of date, and a style library set that is not there, are
    // named whatever was written.
    const std::wstring maps = reporter->MapsNote() + reporter->WastesNote() + reporter->StyleLibraryNote();
    if (!reporter->Failures().Empty())
        vrnApi::ShowErrorText(reporter->Failures().Text(L"Не записаны файлы документации:", outputs::FailureList::kShownOfMany) +
                              maps + earlier);
    else if (reporter->Written().empty() && linear)
        vrnApi::ShowWarningText(L"Документация не создана: в чертеже нет показанного раскроя" + earlier);
    else if (reporter->Written().empty())
        vrnApi::ShowWarningText(L"Документация не создана: в чертеже нет деталей для неё" + earlier);
    else if (!linear && reporter->DocumentedSheets().empty())
        vrnApi::ShowWarningText(L"Создание документации завершено: " + folder +
                                L"\n\nНи одна деталь не размещена на листах: карт раскроя нет, в ведомости деталей все "
                                L"детали — «не размещены»." + earlier);
    else if (!maps.empty() || !earlier.empty())
        vrnApi::ShowWarningText(L"Создание документации завершено: " + folder + maps + earlier);
    else
        vrnApi::ShowInformText(L"Создание документации завершено: " + folder);
}
