// The documentation command (id 7) needs no panel: the user picks a folder,
// and the reporter writes the drawing's documents there, one kind after the
// other with the host's progress bar, in the style library, format and
// orientation of the configuration: for figure nesting the nesting maps with
// their part tables and the registers of maps, parts, materials and
// remnants, for linear nesting the register of linear cuts. A closing message
// names the folder once everything was written; what could not be written
// the reporter names itself.
#include "host/VarnelAPI.h"
#include "io/Reporter.h"
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
    const std::vector<bool ReportParams::*> kinds = Kinds(model->GetNestingMethod() != 0);
    // The reporter itself rather than its automation object: the closing
    // message needs to know whether every file was written.
    const auto reporter = std::make_unique<Reporter>();
    bool complete = true;
    {
        const ProgressBar progress(vrnApi::LoadStr(IDS_DOCUMENTATION));
        reporter->Init();
        for (size_t k = 0; k < kinds.size(); ++k) {
            ReportParams one = params;
            one.*kinds[k] = true;
            reporter->SetParams(one);
            reporter->CreateDocumentation();
            complete = complete && reporter->Failures().Empty();
            progress.Set(k + 1, kinds.size());
        }
    }
    if (complete)
        vrnApi::ShowInformText(L"Создание документации завершено: " + folder);
}
