#include "shell/ReadContoursProcess.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostGuards.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/OutputFiles.h"
#include "shell/Controls.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <cmath>

namespace {

// Texts of the panel.
enum : int {
    IDS_SOURCE_DATA = 7100,
    IDS_DETAILS = 7101,
    IDS_LOAD_DETAILS = 7102,
    IDS_LIST_DETAILS = 7103,
    IDS_SELECT_ALL = 7104,
    IDS_UNSELECT_ALL = 7105,
    IDS_SORT_BY_NAMES = 7106,
    IDS_SORT_BY_AREAS_UP = 7107,
    IDS_SORT_BY_AREAS_DOWN = 7108,
    IDS_COPY_COUNT = 7109,
    IDS_DETAIL_THICKNESS = 7112,
    IDS_DETAILS_THICKNESS = 7113,
    IDS_DETAIL_MATERIAL = 7117,
    IDS_DETAILS_MATERIAL = 7118,
    IDS_UNITE_TRIANGS = 7119,
    IDS_UNITE_MIRRORS = 7120,
    IDS_CHECK_ORIENT = 7121,
    IDS_SHEET_PARAMS = 7123,
    IDS_SHEET_LENGTH = 7125,
    IDS_SHEET_WIDTH = 7126,
    IDS_SHEET_THICKNESS = 7127,
    IDS_SHEET_MATERIAL = 7128,
    IDS_LOAD_SHEET = 7129,
    IDS_FILE = 7130,
    IDS_ADD_FILE = 7131,
    IDS_LIST_SHEETS = 7132,
    IDS_TEXT = 7134,
    IDS_HIDE_TEXT = 7135,
    IDS_SIZE_FONT = 7136,
    IDS_PROMT_LOADING_DETAILS = 7138,
    IDS_PROMT_LOAD_DETAILS = 7139,
    IDS_SHEET_GAP = 7501,
    IDS_FIGURE_GAP = 7502,
    IDS_NESTING_BASE = 7900,
    IDS_NESTING_LINEAR = 7901,
    IDS_NESTING_TYPE = 7902,
    IDS_NESTING_PERCENT = 7903,
    IDS_NESTING_DETNAME = 7904,
    IDS_NESTING_LENGTH = 7905,
    IDS_NESTING_COUNT = 7906,
    IDS_NESTING_ADDDETAIL = 7907,
    IDS_NESTING_SORTNAME = 7908,
    IDS_NESTING_SORTLEN = 7909,
    IDS_NESTING_SORTCOUNT = 7910,
    IDS_NESTING_DETIMPORT = 7911,
    IDS_NESTING_MINLENGTH = 7912,
    IDS_NESTING_CALC = 7913,
    IDS_NESTING_CREATEDOC = 7914,
    IDS_NESTING_SHOWNESTING = 7915,
    IDS_NESTING_PREP = 7916,
    IDS_NESTING_EFFECTIVE = 7917,
    IDS_NESTING_SORTEFFECTIVE = 7918,
    IDS_NESTING_LISTNAME = 7919,
    IDS_NESTING_PARAMS = 7920,
    IDS_NESTING_PREPPARAMS = 7921,
    IDS_NESTING_PREPLEN = 7922,
    IDS_NESTING_PREPWIDTH = 7923,
    IDS_NESTING_PREPTHICK = 7924,
    IDS_NESTING_PREPMATERIAL = 7925,
    IDS_NESTING_PREPNAME = 7926,
    IDS_NESTING_FRWFILEEXT = 7927,
    IDS_NESTING_FRWFILEFILTER = 7928,
    IDS_NESTING_DETNUMWARN = 7929,
    IDS_NESTING_CSVFILEEXT = 7930,
    IDS_NESTING_CSVFILEFILTER = 7931,
    IDS_NESTING_FRWSHEETFILEEXT = 7932,
    IDS_NESTING_FRWSHEETFILEFILTER = 7933,
};

// Button ids of the tool bars (one id may name buttons of different bars).
enum : int {
    kAddDetail = 7201,
    kSortDetailsByName = 7202,
    kSortDetailsByLength = 7203,
    kSortDetailsByCount = 7204,
    kImportDetails = 7205,
    kSortResultsByCount = 7301,
    kSortResultsByEfficiency = 7302,
    kSelectAll = 7101,
    kUnselectAll = 7102,
    kSortByNames = 7103,
    kSortByAreasUp = 7104,
    kSortByAreasDown = 7105,
    kAddSheet = 7201,
};

constexpr int kHelpTopic = 3;
constexpr size_t kMostDetails = 15;  // the add button adds no row past this many
constexpr size_t kNamedLines = 10;   // lines of a list file a message names at most
// Rows the details list may hold after an import: a calculation and its
// drawing of this many distinct rows take seconds.
constexpr size_t kMostListRows = 5000;
constexpr double kSameThickness = 0.001;

// The question before linear nesting replaces a figure job: what it replaces,
// and the remnants and bridges it deletes.
std::wstring LinearReplacesText(const ReadContoursEditor::FigureJob& job)
{
    std::vector<std::wstring> deleted;
    if (job.remnants > 0)
        deleted.push_back(L"деловые отходы (" + std::to_wstring(job.remnants) + L" шт.)");
    if (job.bridges > 0)
        deleted.push_back(L"мостики (" + std::to_wstring(job.bridges) + L" шт.)");
    std::wstring text = std::wstring(L"Линейный раскрой заменит листы") + (job.parts ? L" и детали" : L"") +
                        L" фигурного раскроя этого чертежа";
    for (size_t i = 0; i < deleted.size(); ++i)
        text += (i == 0 ? L" и удалит его " : L" и ") + deleted[i];
    return text + L". Перейти к линейному раскрою?";
}
const wchar_t kFiguresReplaceLinear[] =
    L"Фигурный раскрой заменит заготовки и детали линейного раскроя этого чертежа. Перейти к фигурному раскрою?";

// The columns of the details grid and of the results grid.
enum : int { kColumnNumber = 0, kColumnName = 1, kColumnLength = 2, kColumnCount = 3 };

using panel::Str;

void AddGridHeader(const vlapi::IPropertyGridPtr& grid, int rows, const std::vector<std::pair<int, int>>& columns,
                   bool editable, int columnSetting)
{
    if (!grid)
        return;
    grid->SetRowCount(rows);
    grid->SetOption(1);
    grid->SetColumnCount(static_cast<int>(columns.size()));
    grid->SetOption(1);
    for (size_t c = 0; c < columns.size(); ++c) {
        grid->SetColumnWidth(static_cast<int>(c), columns[c].second);
        grid->SetCellText(0, static_cast<int>(c), Str(columns[c].first));
    }
    grid->SetOption(columnSetting);
    grid->SetCellEditable(-1, -1, editable);
    grid->Redraw();
}

// Sets `flag` for the scope and clears it however the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

}  // namespace

void RunReadContoursProcess()
{
    StartModelCommand<ReadContoursProcess>(&CreateNestingModelInstance);
}

// ---- The process object and its panel

void ReadContoursProcess::Init()
{
    if (!m_editor.Init(m_factory)) {
        vrnApi::ShowErrorText(kNoModelMessage);
        return;
    }
    // The shortest remnant of linear nesting is the drawing's: the one its
    // plan and registers were made with, not the one last typed in another.
    ModelParams params = m_editor.m_model->GetParams();
    if (const std::optional<double> kept = params.LinearMinimum()) {
        LinearNestingEditor::m_minWaste = *kept;
    } else {
        params.KeepLinearMinimum(LinearNestingEditor::m_minWaste);
        m_editor.m_model->SetParams(params);
    }
    m_LNEditor.Init(m_editor.m_model);
}

std::wstring ReadContoursProcess::GetCaption() const
{
    return Str(IDS_SOURCE_DATA);
}

bool ReadContoursProcess::Linear() const
{
    return m_editor.m_model && m_editor.m_model->GetNestingMethod() != 0;
}

void ReadContoursProcess::CreateControls()
{
    using namespace panel;
    vlapi::IPropertyControlsPtr c = AddTab(m_procParam, Str(IDS_DETAILS));
    m_listMethods = AddList(c, Str(IDS_NESTING_TYPE), {Str(IDS_NESTING_BASE), Str(IDS_NESTING_LINEAR)});
    m_gridLNDetails = Add<vlapi::IPropertyGridPtr>(c, vlapi::vlControlGrid);
    AddGridHeader(m_gridLNDetails, 4,
                  {{IDS_NESTING_PERCENT, 25}, {IDS_NESTING_DETNAME, 200}, {IDS_NESTING_LENGTH, 100}, {IDS_NESTING_COUNT, 100}},
                  true, 0);
    m_gridBarDetails = vlapi::IPropertyToolBarPtr(m_gridLNDetails);
    AddButtonInToolBar(m_gridBarDetails, kAddDetail, 0xF704, Str(IDS_NESTING_ADDDETAIL), true, false, false);
    AddButtonInToolBar(m_gridBarDetails, kSortDetailsByName, 0xE00E, Str(IDS_NESTING_SORTNAME), true, false, true);
    AddButtonInToolBar(m_gridBarDetails, kSortDetailsByLength, 0xE01A, Str(IDS_NESTING_SORTLEN), true, false, true);
    AddButtonInToolBar(m_gridBarDetails, kSortDetailsByCount, 0xE01B, Str(IDS_NESTING_SORTCOUNT), true, false, true);
    AddButtonInToolBar(m_gridBarDetails, kImportDetails, 0xE0A8, Str(IDS_NESTING_DETIMPORT), true, false, false);
    m_editMinWaste = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_NESTING_MINLENGTH), 0.0, 1000.0);
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_buttRunLN = Add<vlapi::IPropertyTextButtonPtr>(c, vlapi::vlControlTextButton, Str(IDS_NESTING_CALC));
    m_buttReportLN = Add<vlapi::IPropertyTextButtonPtr>(c, vlapi::vlControlTextButton, Str(IDS_NESTING_CREATEDOC));
    m_checkVisualLN = AddCheckBox(c, Str(IDS_NESTING_SHOWNESTING));
    m_gridResultLN = Add<vlapi::IPropertyGridPtr>(c, vlapi::vlControlGrid);
    AddGridHeader(m_gridResultLN, 1, {{IDS_NESTING_PREP, 300}, {IDS_NESTING_COUNT, 100}, {IDS_NESTING_EFFECTIVE, 100}},
                  false, 1);
    m_gridBarResult = vlapi::IPropertyToolBarPtr(m_gridResultLN);
    AddButtonInToolBar(m_gridBarResult, kSortResultsByCount, 0xE01B, Str(IDS_NESTING_SORTCOUNT), true, false, true);
    AddButtonInToolBar(m_gridBarResult, kSortResultsByEfficiency, 0xE01C, Str(IDS_NESTING_SORTEFFECTIVE), true, false,
                       true);
    m_openFigures = Add<vlapi::IPropertyTextButtonPtr>(c, vlapi::vlControlTextButton, Str(IDS_LOAD_DETAILS));
    m_listFigures.Init(false, c, Str(IDS_LIST_DETAILS), vlapi::vlCheckUndefined, true);
    m_toolBar = vlapi::IPropertyToolBarPtr(m_listFigures.GetControl());
    AddButtonInToolBar(m_toolBar, kSelectAll, 0xE009, Str(IDS_SELECT_ALL), true, false, true);
    AddButtonInToolBar(m_toolBar, kUnselectAll, 0xE012, Str(IDS_UNSELECT_ALL), true, false, true);
    AddButtonInToolBar(m_toolBar, kSortByNames, 0xE00E, Str(IDS_SORT_BY_NAMES), false, false, true);
    AddButtonInToolBar(m_toolBar, kSortByAreasUp, 0xE010, Str(IDS_SORT_BY_AREAS_UP), false, false, true);
    AddButtonInToolBar(m_toolBar, kSortByAreasDown, 0xE015, Str(IDS_SORT_BY_AREAS_DOWN), false, false, true);
    m_countFigures = AddEdit(c, vlapi::vlControlEditInt, Str(IDS_COPY_COUNT), 1.0, 1000.0);
    m_thicknessFigure = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_DETAIL_THICKNESS), 0.0, 1000.0);
    m_materialFigure = Add<vlapi::IPropertyEditPtr>(c, vlapi::vlControlEditStr, Str(IDS_DETAIL_MATERIAL));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_uniteFigures = AddCheckBox(c, Str(IDS_UNITE_TRIANGS));
    m_uniteMirrors = AddCheckBox(c, Str(IDS_UNITE_MIRRORS));
    m_checkOrient = AddCheckBox(c, Str(IDS_CHECK_ORIENT));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);

    c = AddTab(m_procParam, Str(IDS_SHEET_PARAMS), &tab2);
    m_widthSheet = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_SHEET_LENGTH), 1.0, 100000.0);
    m_heightSheet = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_SHEET_WIDTH), 1.0, 100000.0);
    m_thicknessSheet = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_SHEET_THICKNESS), 0.0, 1000.0);
    m_materialSheet = Add<vlapi::IPropertyEditPtr>(c, vlapi::vlControlEditStr, Str(IDS_SHEET_MATERIAL));
    m_editNameSheet = Add<vlapi::IPropertyEditPtr>(c, vlapi::vlControlEditStr, Str(IDS_NESTING_LISTNAME));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_openSheet = Add<vlapi::IPropertyTextButtonPtr>(c, vlapi::vlControlTextButton, Str(IDS_LOAD_SHEET));
    m_fileSheet = Add<vlapi::IPropertyEditPtr>(c, vlapi::vlControlEditStr, Str(IDS_FILE));
    if (m_fileSheet) {
        m_fileSheet->SetReadOnly(true);
        m_fileSheet->SetVisible(false);
    }
    m_listSheets = Add<vlapi::IPropertyEditListPtr>(c, vlapi::vlControlEditList, Str(IDS_LIST_SHEETS));
    if (m_listSheets) {
        m_listSheets->SetOption(1);
        m_listSheets->SetOption(1);
    }
    AddButtonInToolBar(vlapi::IPropertyToolBarPtr(m_listSheets), kAddSheet, 0xF704, Str(IDS_ADD_FILE), true, false,
                       false);

    c = AddTab(m_procParam, Str(IDS_NESTING_PARAMS));
    m_gapSheet = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_SHEET_GAP), 0.1, 10000.0);
    m_gapFigures = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_FIGURE_GAP), 0.0, 10000.0);

    c = AddTab(m_procParam, Str(IDS_TEXT));
    m_hideText = AddCheckBox(c, Str(IDS_HIDE_TEXT));
    m_sizeText = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_SIZE_FONT), 0.01, 100.0);
}

// ---- The refresh

void ReadContoursProcess::UpdateControls()
{
    using namespace panel;
    const INestingModelPtr& model = m_editor.m_model;
    if (!model) {
        Finish(m_process, Str(IDS_PROMT_LOAD_DETAILS));
        return;
    }
    switch (m_sortType) {
    case sortByName: model->SortFiguresByNames(); break;
    case sortByAreaIncrease: model->SortFiguresByAreasIncrease(); break;
    case sortByAreaDecrease: model->SortFiguresByAreasDecrease(); break;
    }
    const bool linear = Linear();
    SetCurrent(m_listMethods, linear ? 1 : 0);

    IFiguresTree tree;
    model->GetFigureObjectsTree(tree);
    m_listFigures.UpdateControls(tree);
    m_listFigures.SetVisible(!linear);
    std::vector<INObjectPtr> figures;
    std::vector<INObjectPtr> selected;
    model->GetFigureObjects(figures);
    m_listFigures.GetSelectedObjects(selected);

    UpdateDetailsGrid();
    Show(m_gridLNDetails, linear);
    SetReal(m_editMinWaste, LinearNestingEditor::m_minWaste);
    Show(m_editMinWaste, linear);
    SetChecked(m_checkVisualLN, LinearNestingEditor::m_visualSheets);
    Show(m_checkVisualLN, linear);
    const bool results = !m_LNEditor.m_results.empty();
    Show(m_buttRunLN, linear);
    Show(m_buttReportLN, linear && results);
    UpdateResultsGrid();
    Show(m_gridResultLN, linear && results);

    Caption(tab2, Str(linear ? IDS_NESTING_PREPPARAMS : IDS_SHEET_PARAMS));
    Caption(m_widthSheet, Str(linear ? IDS_NESTING_PREPLEN : IDS_SHEET_LENGTH));
    Caption(m_heightSheet, Str(linear ? IDS_NESTING_PREPWIDTH : IDS_SHEET_WIDTH));
    Caption(m_thicknessSheet, Str(linear ? IDS_NESTING_PREPTHICK : IDS_SHEET_THICKNESS));
    Caption(m_materialSheet, Str(linear ? IDS_NESTING_PREPMATERIAL : IDS_SHEET_MATERIAL));
    Caption(m_editNameSheet, Str(linear ? IDS_NESTING_PREPNAME : IDS_NESTING_LISTNAME));

    UpdateSelectionEdits(linear);

    const size_t count = figures.size();
    SetButton(m_toolBar, kSelectAll, count >= 2, count > 0 && selected.size() == count);
    SetButton(m_toolBar, kUnselectAll, count >= 2 && !selected.empty(), false);
    SetButton(m_toolBar, kSortByNames, count >= 3, count > 0 && m_sortType == sortByName);
    SetButton(m_toolBar, kSortByAreasUp, count >= 3, count > 0 && m_sortType == sortByAreaIncrease);
    SetButton(m_toolBar, kSortByAreasDown, count >= 3, count > 0 && m_sortType == sortByAreaDecrease);

    Show(m_openFigures, !linear);
    SetChecked(m_uniteFigures, model->GetUniteFigures());
    SetChecked(m_uniteMirrors, model->GetUniteMirrors());
    SetChecked(m_checkOrient, model->GetCheckOrient());
    Show(m_uniteFigures, !linear);
    Show(m_uniteMirrors, !linear);
    Show(m_checkOrient, !linear);

    const bool rectangular = model->GetRectSheet();
    SetReal(m_widthSheet, model->GetWidthSheet());
    SetReal(m_heightSheet, model->GetHeightSheet());
    SetReal(m_thicknessSheet, model->GetThicknessSheet());
    SetText(m_materialSheet, model->GetMaterialSheet());
    Show(m_widthSheet, rectangular);
    Show(m_heightSheet, rectangular);
    Show(m_thicknessSheet, true);
    Show(m_materialSheet, true);
    Show(m_openSheet, !linear);
    SetText(m_fileSheet, m_pathSheet);
    Show(m_fileSheet, !linear && !m_pathSheet.empty());
    UpdateSheetList(!linear);
    SetText(m_editNameSheet, model->GetSheetPattern());
    Show(m_editNameSheet, true);

    SetReal(m_gapFigures, model->GetFigureGap());
    SetReal(m_gapSheet, model->GetSheetGap());
    Show(m_gapFigures, true);
    Show(m_gapSheet, !linear);
    SetChecked(m_hideText, model->GetHideText());
    SetReal(m_sizeText, model->GetTextSize());
    Show(m_hideText, !linear);
    Show(m_sizeText, !linear);

    const int prompt = m_loading ? IDS_PROMT_LOADING_DETAILS : count > 0 ? IDS_SOURCE_DATA : IDS_PROMT_LOAD_DETAILS;
    Finish(m_process, Str(prompt));
}

void ReadContoursProcess::UpdateDetailsGrid()
{
    const vlapi::IPropertyGridPtr& grid = m_gridLNDetails;
    if (!grid)
        return;
    const std::vector<LNDetailParams>& details = m_LNEditor.m_details;
    const int rows = details.empty() ? 1 : static_cast<int>(details.size()) + 2;
    grid->SetRowCount(rows);
    for (int row = 1; row < rows; ++row) {
        for (int column = 0; column < 4; ++column) {
            grid->SetCellText(row, column, L"");
            grid->SetCellEditable(row, column, false);
        }
    }
    int64_t total = 0;
    for (size_t i = 0; i < details.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        grid->SetCellText(row, kColumnNumber, std::to_wstring(row));
        grid->SetCellText(row, kColumnName, details[i].name);
        // The same text as the register of linear cuts gives the length.
        grid->SetCellText(row, kColumnLength, outputs::TenthsText(details[i].length));
        grid->SetCellText(row, kColumnCount, std::to_wstring(details[i].count));
        for (int column = kColumnName; column <= kColumnCount; ++column)
            grid->SetCellEditable(row, column, true);
        total += details[i].count;
    }
    if (!details.empty())
        grid->SetCellText(rows - 1, kColumnCount, std::to_wstring(total));
    grid->Redraw();
}

void ReadContoursProcess::UpdateResultsGrid()
{
    const vlapi::IPropertyGridPtr& grid = m_gridResultLN;
    const std::vector<LNResultParams>& results = m_LNEditor.m_results;
    if (!grid || results.empty())
        return;
    const int rows = static_cast<int>(results.size()) + 2;
    grid->SetRowCount(rows);
    const std::wstring pattern = m_editor.m_model->GetSheetPattern();
    double total = 0.0;
    for (size_t k = 0; k < results.size(); ++k) {
        const int row = static_cast<int>(k) + 1;
        grid->SetCellText(row, 0, pattern + std::to_wstring(row));
        grid->SetCellText(row, 1, panel::Format(L"%1.0f", results[k].count));
        grid->SetCellText(row, 2, panel::Format(L"%1.2f", results[k].efficiency));
        total += results[k].count;
    }
    grid->SetCellText(rows - 1, 0, L"");
    grid->SetCellText(rows - 1, 1, panel::Format(L"%1.0f", total));
    grid->SetCellText(rows - 1, 2, L"");
    grid->Redraw();
}

void ReadContoursProcess::UpdateSelectionEdits(bool linear)
{
    using namespace panel;
    std::vector<INObjectPtr> selected;
    m_listFigures.GetSelectedObjects(selected);
    const bool several = selected.size() >= 2;
    Caption(m_thicknessFigure, Str(several ? IDS_DETAILS_THICKNESS : IDS_DETAIL_THICKNESS));
    Caption(m_materialFigure, Str(several ? IDS_DETAILS_MATERIAL : IDS_DETAIL_MATERIAL));
    if (selected.empty() || linear) {
        Show(m_countFigures, false);
        Show(m_thicknessFigure, false);
        Show(m_materialFigure, false);
        return;
    }
    std::vector<INObjectPtr> named;
    m_editor.m_model->GetFiguresByName(named, selected.front()->GetName());
    SetInt(m_countFigures, static_cast<int>(named.size()));
    Show(m_countFigures, named.size() == selected.size());

    std::vector<IFigurePtr> figures;
    for (const INObjectPtr& object : selected) {
        if (const IFigurePtr figure = IFigurePtr(object))
            figures.push_back(figure);
    }
    if (figures.empty()) {
        Show(m_thicknessFigure, false);
        Show(m_materialFigure, false);
        return;
    }
    const double thickness = figures.front()->GetThickness();
    const std::wstring material = figures.front()->GetMaterial();
    bool sameThickness = true;
    bool sameMaterial = true;
    for (const IFigurePtr& figure : figures) {
        sameThickness = sameThickness && std::fabs(figure->GetThickness() - thickness) <= kSameThickness;
        sameMaterial = sameMaterial && figure->GetMaterial() == material;
    }
    SetReal(m_thicknessFigure, thickness);
    Show(m_thicknessFigure, sameThickness);
    SetText(m_materialFigure, material);
    Show(m_materialFigure, sameMaterial);
}

void ReadContoursProcess::UpdateSheetList(bool figureMode)
{
    if (!m_listSheets)
        return;
    m_listSheets->Clear();
    std::vector<INObjectPtr> sheets;
    m_editor.m_model->GetSheetObjects(sheets);
    for (const INObjectPtr& sheet : sheets) {
        const int item = m_listSheets->AddItem(sheet->GetName());
        m_listSheets->SetItemChecked(item, sheet->GetChoose());
    }
    m_listSheets->SetVisible(figureMode);
}

void ReadContoursProcess::Refresh()
{
    UpdateControls();
    vrnApi::RefreshActiveWindow();
}

void ReadContoursProcess::RedrawAndRefresh()
{
    m_LNEditor.VisualizeNesting();
    Refresh();
}

// ---- Value changes

void ReadContoursProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    const INestingModelPtr& model = m_editor.m_model;
    if (!model || !ctrl)
        return;
    auto real = [&](const vlapi::IPropertyEditPtr& edit) { return edit->GetReal(); };
    if (SameControl(ctrl, m_listMethods)) {
        const int method = panel::CurrentIndex(m_listMethods);
        const bool wasLinear = Linear();
        // Each kind of nesting draws its job in place of the other's (linear
        // nesting its bars for the sheets and parts, figure nesting an empty
        // sheet for the drawn bars and pieces): where parts or pieces go the
        // user says so first, and what the question says is done at once.
        const ReadContoursEditor::FigureJob job =
            method != 0 && !wasLinear ? m_editor.FigureJobOf() : ReadContoursEditor::FigureJob{};
        const bool replaces = method != 0 ? !wasLinear && (job.parts || job.remnants > 0 || job.bridges > 0)
                                          : wasLinear && (model->GetFiguresCount() != 0 || model->GetSheetsCount() != 0);
        if (replaces &&
            !vrnApi::AskYesNo(method != 0 ? LinearReplacesText(job) : std::wstring(kFiguresReplaceLinear))) {
            UpdateControls();
            return;
        }
        model->SetNestingMethod(method);
        if (method != 0 && !wasLinear) {
            m_editor.DeleteRemnantsAndBridges();
            StartBars();
        }
        // Linear nesting draws its job also in place of a figure job of sheets
        // alone (their sizes are the bar's), and its details of this session
        // (figure nesting cleared them away); the drawing never keeps figure
        // sheets under linear nesting.
        if (method != 0 && (!wasLinear || !m_LNEditor.m_details.empty())) {
            m_LNEditor.VisualizeNesting();
        } else if (replaces) {
            m_LNEditor.m_typedCells.Take();
            m_LNEditor.ClearDrawing();
            m_editor.AddSheet();
            m_LNEditor.m_typedCells.Put();
        }
    } else if (SameControl(ctrl, m_gridLNDetails)) {
        ChangeDetail();
    } else if (SameControl(ctrl, m_editMinWaste)) {
        LinearNestingEditor::m_minWaste = real(m_editMinWaste);
        ModelParams params = model->GetParams();
        params.KeepLinearMinimum(LinearNestingEditor::m_minWaste);
        model->SetParams(params);
    } else if (SameControl(ctrl, m_countFigures)) {
        if (!m_editor.SetCountFiguresCopies(m_countFigures->GetInt(), panel::Checked(m_uniteFigures)))
            return;
    } else if (SameControl(ctrl, m_uniteFigures) || SameControl(ctrl, m_uniteMirrors)) {
        m_editor.SetUniteFiguresOrMirrors(panel::Checked(m_uniteFigures), panel::Checked(m_uniteMirrors));
    } else if (SameControl(ctrl, m_checkOrient)) {
        model->SetCheckOrient(panel::Checked(m_checkOrient));
        return;
    } else if (SameControl(ctrl, m_thicknessFigure)) {
        if (!m_editor.SetFiguresThickness(real(m_thicknessFigure)))
            return;
    } else if (SameControl(ctrl, m_materialFigure)) {
        m_editor.SetFiguresMaterial(m_materialFigure->GetText());
        return;
    } else if (SameControl(ctrl, m_checkVisualLN)) {
        LinearNestingEditor::m_visualSheets = panel::Checked(m_checkVisualLN);
        m_LNEditor.VisualizeNesting();
    } else if (SameControl(ctrl, m_widthSheet)) {
        m_pathSheet.clear();
        m_editor.SetWidthSheet(real(m_widthSheet));
        if (Linear()) {
            m_LNEditor.ClearResult();
            m_LNEditor.VisualizeNesting();
        }
    } else if (SameControl(ctrl, m_heightSheet)) {
        m_pathSheet.clear();
        if (Linear()) {
            ModelParams params = model->GetParams();
            params.m_barSized = ModelParams::kBarWidthGiven;
            model->SetParams(params);
        }
        m_editor.SetHeightSheet(real(m_heightSheet));
        if (Linear())
            m_LNEditor.VisualizeNesting();
    } else if (SameControl(ctrl, m_thicknessSheet)) {
        m_editor.SetSheetThickness(real(m_thicknessSheet));
    } else if (SameControl(ctrl, m_materialSheet)) {
        m_editor.SetSheetMaterial(m_materialSheet->GetText());
    } else if (SameControl(ctrl, m_editNameSheet)) {
        m_editor.SetSheetPattern(m_editNameSheet->GetText());
    } else if (SameControl(ctrl, m_hideText)) {
        m_editor.SetTextHide(panel::Checked(m_hideText));
    } else if (SameControl(ctrl, m_sizeText)) {
        m_editor.SetTextSize(real(m_sizeText));
    } else if (SameControl(ctrl, m_gapFigures)) {
        model->SetFigureGap(real(m_gapFigures));
        if (Linear()) {
            m_LNEditor.ClearResult();
            m_LNEditor.VisualizeNesting();
        }
        m_updateGaps = true;
    } else if (SameControl(ctrl, m_gapSheet)) {
        model->SetSheetGap(real(m_gapSheet));
        m_updateGaps = true;
    } else {
        return;
    }
    UpdateControls();
}

// A drawing turned to linear nesting: its bars have no width, thickness or
// material until they are given (the sheets', often those another drawing
// left for this session, are no bar's); the sheets' width, thickness and
// material are said to be left to the sheets, and what width the bars are
// drawn with meanwhile.
void ReadContoursProcess::StartBars()
{
    const INestingModelPtr& model = m_editor.m_model;
    ModelParams params = model->GetParams();
    params.m_barSized = ModelParams::kBarWidthNotGiven;
    model->SetParams(params);
    std::wstring dropped;
    // Bars of no width given are drawn as wide as the library's default sheet.
    const double width = model->GetHeightSheet();
    const bool widthDropped = width != NestingModel::kDefaultHeightSheet;
    if (widthDropped) {
        dropped += L"ширина " + uf::NumberText(width) + L" мм";
        model->SetHeightSheet(NestingModel::kDefaultHeightSheet);
    }
    if (const double thickness = model->GetThicknessSheet(); thickness > 0.0) {
        dropped += (dropped.empty() ? L"толщина " : L", толщина ") + uf::NumberText(thickness) + L" мм";
        model->SetThicknessSheet(0.0);
    }
    if (const std::wstring material = model->GetMaterialSheet(); !material.empty()) {
        dropped += (dropped.empty() ? L"материал «" : L", материал «") + material + L"»";
        model->SetMaterialSheet(L"");
    }
    if (!dropped.empty())
        vrnApi::ShowInformText(L"Заготовкам линейного раскроя не перенесены с листов: " + dropped +
                               L". Задайте заготовкам свои на вкладке «" + Str(IDS_NESTING_PREPPARAMS) + L"»." +
                               (widthDropped ? L" Пока ширина не задана, заготовки нарисованы шириной " +
                                                   uf::NumberText(NestingModel::kDefaultHeightSheet) + L" мм."
                                             : L""));
}

// A cell of the details grid typed in: the detail of its row takes the
// cell's name, length or count; a length or count out of range keeps the
// detail as it was, with a message naming the row. A row that becomes equal
// to another in name and length is merged into it, unless their counts
// together pass the most a row may want: the edit is refused then.
void ReadContoursProcess::ChangeDetail()
{
    const vlapi::IPropertyGridPtr& grid = m_gridLNDetails;
    const int row = grid->GetCurrentRow();
    const int column = grid->GetCurrentColumn();
    std::vector<LNDetailParams>& details = m_LNEditor.m_details;
    if (row < 1 || static_cast<size_t>(row) > details.size())
        return;
    LNDetailParams detail = details[static_cast<size_t>(row - 1)];
    const std::wstring text = grid->GetCellText(row, column);
    std::wstring why;
    const bool read = column == kColumnLength  ? ReadDetailLength(text, detail.length, &why)
                      : column == kColumnCount ? ReadDetailCount(text, detail.count, &why)
                      : column == kColumnName  ? (detail.name = text, true)
                                               : false;
    if (!read) {
        if (column == kColumnLength || column == kColumnCount)
            vrnApi::ShowErrorText(m_LNEditor.RowText(static_cast<size_t>(row - 1)) + L": " + why + L" («" + text +
                                  L"»)");
        return;
    }
    const LinearNestingEditor::Merge merge = m_LNEditor.ChangeDetail(static_cast<size_t>(row - 1), detail);
    if (merge == LinearNestingEditor::Merge::Refused)
        return;
    if (merge == LinearNestingEditor::Merge::Merged || column != kColumnName) {
        m_LNEditor.ClearResult();
        m_LNEditor.VisualizeNesting();
    }
}

// ---- Selection, buttons and the cursor

void ReadContoursProcess::OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select)
{
    const INestingModelPtr& model = m_editor.m_model;
    if (!model)
        return;
    if (m_listFigures.SelectItem(ctrl, index, select)) {
        Refresh();
    } else if (SameControl(ctrl, m_gridLNDetails)) {
        if (index > 0)
            m_LNEditor.SelectDetail(m_gridLNDetails->GetCellText(index, kColumnName));
    } else if (SameControl(ctrl, m_listSheets)) {
        if (index >= 0)
            model->SelectSheet(static_cast<size_t>(index), select);
        Refresh();
    } else if (SameControl(ctrl, m_gridResultLN)) {
        for (size_t i = 0; i < model->GetSheetsCount(); ++i)
            model->SelectSheet(i, false);
        if (index >= 1)
            model->SelectSheet(static_cast<size_t>(index - 1), true);
    }
}

void ReadContoursProcess::ClearSelection()
{
    m_listFigures.UnselectAll();
    const INestingModelPtr& model = m_editor.m_model;
    for (size_t i = 0; model && i < model->GetSheetsCount(); ++i)
        model->SelectSheet(i, false);
    m_LNEditor.UnselectAllDetails();
}

bool ReadContoursProcess::OnButtonClick(int buttonId)
{
    if (buttonId == vlapi::pbHelp) {
        vrnApi::CallHelp(kHelpTopic);
        return true;
    }
    if (buttonId != vlapi::pbEnter && buttonId != vlapi::pbEsc)
        return true;
    ClearSelection();
    if (buttonId == vlapi::pbEnter) {
        m_returnValue = 1;
        // Linear nesting drew its gap already; rebuilding the offsets would
        // take the drawn pieces off their bars into the container.
        const bool linear = Linear();
        if (linear)
            m_LNEditor.KeepPlan();
        m_editor.OK();
        if (m_updateGaps && !linear)
            m_editor.UpdateGaps();
        m_editor.TellSheetResized();
    } else if (m_returnValue != 1) {
        // The frame gives the drawing and the session values back.
        m_returnValue = 2;
    }
    return true;
}

void ReadContoursProcess::KeepSession(CommandSnapshot& snapshot)
{
    snapshot.Keep(m_pathSheet);
    snapshot.Keep(m_pathFigures);
    snapshot.Keep(LinearNestingEditor::m_minWaste);
    snapshot.Keep(LinearNestingEditor::m_visualSheets);
}

bool ReadContoursProcess::CallBackCursor(double x, double y, double, bool dynamic)
{
    if (m_returnValue != 0)
        return false;
    const INestingModelPtr& model = m_editor.m_model;
    if (!model || Linear())
        return true;
    const reference found = vrnApi::FindObjByPoint(NPoint{x, y});
    if (found == 0 || dynamic)
        return true;
    if (m_listFigures.CheckReference(found)) {
        m_listFigures.InvertSelect(found);
        UpdateControls();
        return true;
    }
    const int32_t sheet = model->GetIndexSheetByRef(found);
    if (sheet < 0)
        return true;
    model->InvertSelectSheet(static_cast<size_t>(sheet));
    UpdateControls();
    return true;
}

// ---- Panel commands

void ReadContoursProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    if (!m_editor.m_model || !ctrl)
        return;
    if (SameControl(ctrl, m_openFigures)) {
        LoadFigures();
    } else if (SameControl(ctrl, m_gridLNDetails)) {
        switch (buttonId) {
        case kAddDetail: AddDetail(); break;
        case kSortDetailsByName: m_LNEditor.SortDetailsByNames(); break;
        case kSortDetailsByLength: m_LNEditor.SortDetailsByLength(); break;
        case kSortDetailsByCount: m_LNEditor.SortDetailsByCounts(); break;
        case kImportDetails: ImportDetails(); break;
        case vlapi::vlControlCommandDelete: DeleteDetail(); break;
        default: break;
        }
        if (buttonId >= kSortDetailsByName && buttonId <= kSortDetailsByCount) {
            if (!m_LNEditor.m_results.empty())
                m_LNEditor.VisualizeNesting();
            Refresh();
        }
    } else if (SameControl(ctrl, m_buttRunLN)) {
        m_LNEditor.CalculateLinearNesting();
        RedrawAndRefresh();
    } else if (SameControl(ctrl, m_buttReportLN)) {
        m_LNEditor.CreateReport();
        Refresh();
    } else if (SameControl(ctrl, m_gridResultLN)) {
        if (buttonId == kSortResultsByCount)
            m_LNEditor.SortResultBySheetsCounts();
        else if (buttonId == kSortResultsByEfficiency)
            m_LNEditor.SortResultByEfficiency();
        else
            return;
        RedrawAndRefresh();
    } else if (m_listFigures.ControlCommand(ctrl, buttonId)) {
        FigureListCommand(buttonId);
    } else if (SameControl(ctrl, m_listSheets)) {
        if (buttonId == kAddSheet) {
            m_editor.AddSheet();
            Refresh();
        } else if (buttonId == vlapi::vlControlCommandDelete) {
            DeleteSheets();
        }
    } else if (SameControl(ctrl, m_openSheet)) {
        LoadSheet();
    }
}

void ReadContoursProcess::FigureListCommand(int buttonId)
{
    switch (buttonId) {
    case kSelectAll:
        if (panel::Pressed(m_toolBar, kSelectAll))
            m_listFigures.UnselectAll();
        else
            m_listFigures.SelectAll();
        break;
    case kUnselectAll: m_listFigures.UnselectAll(); break;
    case kSortByNames: m_sortType = sortByName; break;
    case kSortByAreasUp: m_sortType = sortByAreaIncrease; break;
    case kSortByAreasDown: m_sortType = sortByAreaDecrease; break;
    case vlapi::vlControlCommandDelete: {
        std::vector<INObjectPtr> selected;
        m_listFigures.GetSelectedObjects(selected);
        m_editor.DeleteSelectedFigures(selected);
        break;
    }
    default: return;
    }
    Refresh();
}

void ReadContoursProcess::LoadFigures()
{
    std::vector<std::wstring> files;
    vrnApi::ChoiceFilesDialog(Str(IDS_NESTING_FRWFILEEXT), Str(IDS_NESTING_FRWFILEFILTER), L"", true, files);
    if (files.empty())
        return;
    {
        vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
        FlagScope loading(m_loading);
        UpdateControls();
        m_listFigures.UnselectAll();
        m_editor.LoadFigures(files, panel::Checked(m_uniteFigures));
    }
    m_updateGaps = false;
    Refresh();
}

void ReadContoursProcess::AddDetail()
{
    if (m_LNEditor.m_details.size() >= kMostDetails) {
        vrnApi::Message(Str(IDS_NESTING_DETNUMWARN));
        return;
    }
    m_LNEditor.AddDetail();
    m_LNEditor.ClearResult();
    RedrawAndRefresh();
}

// A list file's details appended to the list. A file that cannot be read,
// gives no usable row, would make the list too long or has rows that cannot
// be merged with equal rows (their counts together too many) changes nothing; each
// line skipped is counted in one message, and a file with no row at all (empty,
// or a header alone) is told of.
void ReadContoursProcess::ImportDetails()
{
    const std::wstring path = vrnApi::ChoiceFileDialog(Str(IDS_NESTING_CSVFILEEXT), Str(IDS_NESTING_CSVFILEFILTER), L"", true);
    if (path.empty())
        return;
    DetailList list;
    {
        vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
        FlagScope loading(m_loading);
        UpdateControls();
        list = ReadDetailList(vrnApi::detail::PathOf(path));
    }
    if (!list.error.empty()) {
        vrnApi::ShowErrorText(list.error + L": " + path + (list.reason.empty() ? L"" : L": " + list.reason));
        Refresh();
        return;
    }
    if (const size_t rows = m_LNEditor.m_details.size() + list.details.size(); rows > kMostListRows) {
        vrnApi::ShowErrorText(L"В списке деталей было бы " + std::to_wstring(rows) + L" строк, а можно не больше " +
                              std::to_wstring(kMostListRows) + L": файл не загружен: " + path);
        Refresh();
        return;
    }
    if (!list.details.empty() && !m_LNEditor.AppendDetails(list.details, list.lines, path)) {
        Refresh();
        return;
    }
    if (list.skipped > 0) {
        std::wstring lines;
        for (size_t i = 0; i < list.refused.size() && i < kNamedLines; ++i)
            lines += L"\n" + list.refused[i];
        if (list.refused.size() > kNamedLines)
            lines += L"\n… и ещё " + std::to_wstring(list.refused.size() - kNamedLines);
        vrnApi::ShowErrorText(L"Строки файла списка деталей пропущены: " + std::to_wstring(list.skipped) + lines);
    }
    if (list.details.empty() && list.skipped > 0) {
        Refresh();
        return;
    }
    if (list.details.empty())
        vrnApi::ShowWarningText(L"В файле списка деталей нет ни одной детали: " + path);
    UpdateControls();
    m_LNEditor.ClearResult();
    m_LNEditor.VisualizeNesting();
    Refresh();
}

void ReadContoursProcess::DeleteDetail()
{
    const int row = m_gridLNDetails->GetCurrentRow();
    if (row <= 0)
        return;
    m_LNEditor.DeleteDetail(row - 1);
    m_LNEditor.ClearResult();
    RedrawAndRefresh();
}

void ReadContoursProcess::DeleteSheets()
{
    std::vector<INObjectPtr> sheets;
    m_editor.m_model->GetSheetObjects(sheets);
    if (sheets.size() < 2)
        return;
    std::vector<INObjectPtr> checked;
    for (int i = 0; i < m_listSheets->GetCount() && static_cast<size_t>(i) < sheets.size(); ++i) {
        if (m_listSheets->GetItemChecked(i))
            checked.push_back(sheets[static_cast<size_t>(i)]);
    }
    m_editor.DeleteSelectedSheets(checked);
    Refresh();
}

void ReadContoursProcess::LoadSheet()
{
    const std::wstring path =
        vrnApi::ChoiceFileDialog(Str(IDS_NESTING_FRWSHEETFILEEXT), Str(IDS_NESTING_FRWSHEETFILEFILTER), L" ", true);
    if (path.empty())
        return;
    {
        vrnApi::ScopedSwitch undo(vrnApi::SetUndoContainer, true);
        // A refused file is not shown as the sheet's.
        if (m_editor.ImportSheetFromFile(path))
            m_pathSheet = path;
    }
    Refresh();
}
