#include "shell/OptimizationProcess.h"

#include "api/NestingAPIObjects.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/WorkingDrawing.h"
#include "io/OutputFiles.h"
#include "shell/Controls.h"
#include "shell/Events.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kHelpTopic = 4;
constexpr int kGridRowsOption = 7;
constexpr int kGridColumnsOption = 5;
constexpr int kGridOption = 1;
constexpr int kEditOption = 1;
constexpr double kTimeRange = 100000.0;

// The result grid's columns: header text and width.
struct Column {
    int header;  // a resource id, 0 for the literal
    int width;
};
constexpr Column kColumns[] = {
    {IDS_NUMBER_SYMB, 25}, {IDS_SHEET_AREA, 100}, {IDS_FIGURES_AREA, 100}, {IDS_KIM_PROC, 125}, {0, 125}};
const std::wstring kLengthHeader = L"Периметр, мм";
constexpr int kKimColumn = 3;

// Every rotation step, in RotationType order; the first two are always offered.
const std::vector<std::wstring> kRotations = {L"0", L"180", L"90", L"45", L"горизонтально/вертикально"};
constexpr size_t kAlwaysOffered = 2;


}  // namespace

IOptimizerPtr OptimizationProcess::CreateOptimizer() const
{
    return CreateOptimizerInstance();
}

void OptimizationProcess::Init()
{
    m_optimizer = CreateOptimizer();
    if (m_optimizer)
        m_optimizer->Init();
}

void OptimizationProcess::CreateControls()
{
    using panel::Str;
    const vlapi::IPropertyControlsPtr first = panel::AddTab(m_procParam, Str(IDS_OPTIMIZATION_PARAMS));
    m_listMethods =
        panel::AddList(first, Str(IDS_NESTING_METHOD), {Str(IDS_METHOD_BY_GABARITS), Str(IDS_METHOD_BY_CONTOURS)});
    m_addSheet = panel::AddCheckBox(first, Str(IDS_ADD_SHEETS));
    panel::Show(m_addSheet, false);
    m_listRotate = panel::AddList(first, Str(IDS_ROTATE_OPTIMIZATION), {});
    panel::Add<vlapi::IPropertyControlPtr>(first, vlapi::vlControlSeparator);
    const auto button = [&](int caption) {
        return panel::Add<vlapi::IPropertyTextButtonPtr>(first, vlapi::vlControlTextButton, Str(caption));
    };
    m_runOptimization = button(IDS_START_OPTIMIZATION);
    m_pauseOptimization = button(IDS_PAUSE_OPTIMIZATION);
    panel::Show(m_pauseOptimization, false);
    m_stopOptimization = button(IDS_STOP_OPTIMIZATION);
    panel::Show(m_stopOptimization, false);
    panel::Add<vlapi::IPropertyControlPtr>(first, vlapi::vlControlSeparator);

    const vlapi::IPropertyControlsPtr second = panel::AddTab(m_procParam, Str(IDS_REPORT));
    m_listReport = panel::Add<vlapi::IPropertyGridPtr>(second, vlapi::vlControlGrid);
    if (m_listReport) {
        m_listReport->SetRowCount(1);
        m_listReport->SetOption(kGridRowsOption);
        m_listReport->SetColumnCount(static_cast<int>(std::size(kColumns)));
        m_listReport->SetOption(kGridColumnsOption);
        for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column)
            m_listReport->SetColumnWidth(column, kColumns[column].width);
        for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
            const int header = kColumns[column].header;
            m_listReport->SetCellText(0, column, header != 0 ? Str(header) : kLengthHeader);
        }
        m_listReport->SetOption(kGridOption);
        m_listReport->Redraw();
    }
    m_textTime = panel::AddEdit(second, vlapi::vlControlEditStr, Str(IDS_OPTIMIZATION_TIME), 0.0, kTimeRange);
    if (m_textTime)
        m_textTime->SetOption(kEditOption);
}

std::vector<std::wstring> OptimizationProcess::RotationItems()
{
    const bool oriented = m_optimizer && m_optimizer->GetMaterialOrient();
    const size_t offered = oriented ? kAlwaysOffered : kRotations.size();
    return {kRotations.begin(), kRotations.begin() + static_cast<std::ptrdiff_t>(offered)};
}

void OptimizationProcess::FitRotation(size_t offered)
{
    const int rotation = static_cast<int>(m_params.rotateMethod);
    if (rotation < 0 || static_cast<size_t>(rotation) >= offered)
        m_params.rotateMethod = RotationType::WithoutRotation;
}

void OptimizationProcess::UpdateControls()
{
    if (m_listMethods)
        m_listMethods->SetCurrentItem(m_params.optimizationMethod);
    if (m_addSheet)
        m_addSheet->SetChecked(m_params.autoAddSheet);

    const std::vector<std::wstring> rotations = RotationItems();
    FitRotation(rotations.size());
    if (m_listRotate) {
        m_listRotate->Clear();
        m_listRotate->SetItems(rotations);
        m_listRotate->SetCurrentItem(static_cast<int>(m_params.rotateMethod));
    }
    if (m_runOptimization)
        m_runOptimization->SetCaption(vrnApi::LoadStr(IDS_START_OPTIMIZATION));

    panel::Enable(m_listMethods, m_terminate);
    panel::Enable(m_addSheet, m_terminate);
    panel::Enable(m_runOptimization, m_terminate);
    panel::Enable(m_pauseOptimization, !m_terminate);
    panel::Enable(m_stopOptimization, m_pause || !m_terminate);

    ShowResults();

    if (m_process) {
        const std::wstring caption = vrnApi::LoadStr(IDS_OPTIMIZATION);
        m_process->SetCaption(caption);
        m_process->SetPrompt(caption);
        m_process->RefreshPanel();
    }
}

void OptimizationProcess::ShowResults()
{
    const NestingResult result = m_optimizer ? m_optimizer->GetResult() : NestingResult();
    if (m_listReport) {
        const std::vector<SheetResult>& sheets = result.sheet_results;
        // A totals row with the overall utilisation closes the sheets' rows.
        const int rows = static_cast<int>(sheets.size()) + (sheets.empty() ? 1 : 2);
        m_listReport->SetRowCount(rows);
        for (size_t i = 0; i < sheets.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            const SheetResult& sheet = sheets[i];
            m_listReport->SetCellText(row, 0, std::to_wstring(row));
            m_listReport->SetCellText(row, 1, outputs::Format(L"%1.1f", sheet.sheetArea));
            m_listReport->SetCellText(row, 2, outputs::Format(L"%1.1f", sheet.figuresArea));
            m_listReport->SetCellText(row, 3, outputs::Format(L"%1.2f", sheet.KIM));
            m_listReport->SetCellText(row, 4, outputs::Format(L"%1.2f", sheet.length));
        }
        if (!sheets.empty()) {
            const int total = rows - 1;
            for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column)
                m_listReport->SetCellText(total, column, L"");
            m_listReport->SetCellText(total, 0, vrnApi::LoadStr(IDS_TOTAL));
            m_listReport->SetCellText(total, kKimColumn, outputs::Format(L"%1.2f", result.KIM));
        }
        m_listReport->Redraw();
    }
    if (m_textTime) {
        const double seconds = static_cast<double>(m_optimizer ? m_optimizer->GetTime() : 0) * 0.001;
        m_textTime->SetText(outputs::Format(L"%1.1f сек", seconds));
    }
}

std::wstring OptimizationProcess::GetCaption() const
{
    return vrnApi::LoadStr(IDS_OPTIMIZATION);
}

void OptimizationProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (m_listMethods && SameControl(ctrl, m_listMethods)) {
        if (const int method = panel::CurrentIndex(m_listMethods); method >= 0)
            m_params.optimizationMethod = method;
    } else if (m_addSheet && SameControl(ctrl, m_addSheet)) {
        m_params.autoAddSheet = m_addSheet->GetChecked();
    } else if (m_listRotate && SameControl(ctrl, m_listRotate)) {
        if (const int rotation = panel::CurrentIndex(m_listRotate); rotation >= 0)
            m_params.rotateMethod = static_cast<RotationType>(rotation);
    } else {
        return;
    }
    UpdateControls();
}

void OptimizationProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int)
{
    if (m_runOptimization && SameControl(ctrl, m_runOptimization)) {
        UpdateControls();
        // The drawing closed meanwhile: nothing is left to place.
        if (!vrnApi::ProcessPendingEvents())
            return;
        // The run refuses parts of several thicknesses or materials itself,
        // and holds the drawings' sinks back.
        if (m_optimizer) {
            FitRotation(RotationItems().size());
            m_optimizer->RunOptimization(m_params);
        }
        UpdateControls();
    } else if ((m_pauseOptimization && SameControl(ctrl, m_pauseOptimization)) ||
               (m_stopOptimization && SameControl(ctrl, m_stopOptimization))) {
        UpdateControls();
    }
}

void OptimizationProcess::KeepSession(CommandSnapshot& snapshot)
{
    snapshot.Keep(m_params);
}

bool OptimizationProcess::OnButtonClick(int buttonId)
{
    if (buttonId == vlapi::pbEnter || buttonId == vlapi::pbEsc) {
        if (m_optimizer)
            m_optimizer->Clear();
    } else if (buttonId == vlapi::pbHelp) {
        OpenHelp(kHelpTopic);
    }
    return true;
}

void RunOptimizationProcess()
{
    {
        // The drawing's nesting method decides; the look-up's optimiser goes at once.
        const IOptimizerPtr probe = CreateOptimizerInstance();
        if (!probe)
            return;
        probe->Init();
        if (probe->GetNestingMethod()) {
            vrnApi::Message(NAPIOptimizer::kFigureNestingOnly);
            return;
        }
    }
    StartCommand<OptimizationProcess>(false, true);
}
