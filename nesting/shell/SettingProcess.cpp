#include "shell/SettingProcess.h"

#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "model/NestingSetting.h"
#include "model/SheetLayout.h"
#include "shell/Controls.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <filesystem>
#include <iterator>

namespace {

enum : int {
    IDS_FORMAT = 7014,
    IDS_SETTING = 7500,
    IDS_BRIDGE_WIDTH = 7503,
    IDS_BRIDGE_LENGTH = 7504,
    IDS_LYT_STYLE = 7505,
    IDS_SHEET_ORIENTATION = 7506,
    IDS_HORIZONTAL_ORIENT = 7507,
    IDS_VERTICAL_ORIENT = 7508,
    IDS_LIST_FORM = 8000,
    IDS_LIST_NOFORM = 8001,
    IDS_LIST_A1 = 8002,
    IDS_LIST_A2 = 8003,
    IDS_LIST_A3 = 8004,
    IDS_LIST_A4 = 8005,
    IDS_LIST_USER = 8006,
    IDS_LIST_HORIZONTAL = 8007,
    IDS_LIST_VERTICAL = 8008,
    IDS_LIST_ROWHORIZONTAL = 8009,
    IDS_LIST_SCHEME = 8010,
    IDS_LIST_COLUMNCOUNT = 8011,
};

constexpr int kHelpTopic = 9;
constexpr int kRowsScheme = 3;
constexpr int kFirstFormat = 1;
constexpr int kLastFormat = 4;
const wchar_t kStyleFiles[] = L"ВАРНЕЛ-библиотеки оформлений (*.vst)|(*.vst)";
const wchar_t kStyleFilters[] = L"ВАРНЕЛ-библиотеки оформлений (*.vst)|*.vst|(*.vst)|*.vst|";

using panel::Str;

// A style library the user names but that is not there is said at once: the
// maps would otherwise be drawn without their frames and nothing would tell.
void WarnIfMissing(const std::wstring& path)
{
    std::error_code error;
    if (path.empty() || std::filesystem::is_regular_file(vrnApi::detail::PathOf(path), error))
        return;
    vrnApi::ShowWarningText(L"Библиотека оформлений не найдена: " + path + L". Путь сохранится в настройках, как введён.");
}

}  // namespace

void RunSettingProcess()
{
    StartModelCommand<SettingProcess>(&CreateNestingModelInstance);
}

std::wstring SettingProcess::GetCaption() const
{
    return Str(IDS_SETTING);
}

void SettingProcess::Init()
{
    m_adapters.clear();
    m_model = m_factory ? m_factory() : nullptr;
    if (!m_model) {
        vrnApi::ShowErrorText(kNoModelMessage);
        return;
    }
    m_model->InitSheetsFromActiveDoc();
    m_model->InitFiguresFromActiveDoc();
    m_model->ReadAdaptersFolder();
    m_model->ReadFromConfig();
    m_model->GetAdapters(m_adapters);
    m_schemeParams = *m_model->GetSchemeParams();
}

void SettingProcess::CreateControls()
{
    using namespace panel;
    vlapi::IPropertyControlsPtr c = AddTab(m_procParam, Str(IDS_SETTING));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_widthBridges = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_BRIDGE_WIDTH), 0.0, 10000.0);
    m_lenthBridges = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_BRIDGE_LENGTH), 0.0, 10000.0);
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_tolerance = AddEdit(c, vlapi::vlControlEditReal, L"", 0.1, 10.0);
    Show(m_tolerance, false);

    c = AddTab(m_procParam, Str(IDS_LIST_FORM));
    m_checkLayout = AddCheckBox(c, Str(IDS_LIST_NOFORM));
    SetChecked(m_checkLayout, NestingSetting::m_withoutLayout);
    m_lytPath = Add<vlapi::IPropertyEditCheckBoxPtr>(c, vlapi::vlControlEditCheckBox);
    if (const vlapi::IPropertyEditPtr edit = PathEdit()) {
        edit->SetCaption(Str(IDS_LYT_STYLE));
        edit->SetOption(1);
    }
    m_sheetFormat =
        AddList(c, Str(IDS_FORMAT), {Str(IDS_LIST_A1), Str(IDS_LIST_A2), Str(IDS_LIST_A3), Str(IDS_LIST_A4)});
    m_sheetOrient = AddList(c, Str(IDS_SHEET_ORIENTATION), {Str(IDS_HORIZONTAL_ORIENT), Str(IDS_VERTICAL_ORIENT)});
    m_listScheme = AddList(c, Str(IDS_LIST_SCHEME),
                           {Str(IDS_LIST_USER), Str(IDS_LIST_HORIZONTAL), Str(IDS_LIST_VERTICAL), Str(IDS_LIST_ROWHORIZONTAL)});
    SetCurrent(m_listScheme, m_schemeParams.sheetScheme);
    m_editColumns = AddEdit(c, vlapi::vlControlEditInt, Str(IDS_LIST_COLUMNCOUNT), 2.0, 100.0);
    SetInt(m_editColumns, m_schemeParams.countColumns);
    Show(m_widthBridges, false);
    Show(m_lenthBridges, false);
}

vlapi::IPropertyEditPtr SettingProcess::PathEdit() const
{
    return m_lytPath ? m_lytPath->GetEdit() : nullptr;
}

void SettingProcess::UpdateControls()
{
    using namespace panel;
    if (!m_model) {
        Finish();
        return;
    }
    SetReal(m_widthBridges, m_model->GetBridgesWidth());
    SetReal(m_lenthBridges, m_model->GetBridgesLength());
    SetReal(m_tolerance, m_model->GetTolerance());
    const bool withoutLayout = Checked(m_checkLayout);
    if (const vlapi::IPropertyEditPtr edit = PathEdit()) {
        std::wstring path;
        m_model->GetLytPath(path);
        edit->SetText(path);
        edit->SetVisible(!withoutLayout);
    }
    // A format outside A1 to A4 is shown, and kept, as A4.
    int format = m_model->GetSheetFormat();
    if (format < kFirstFormat || format > kLastFormat) {
        format = kLastFormat;
        m_model->SetSheetFormat(format);
    }
    SetCurrent(m_sheetFormat, format - kFirstFormat);
    SetCurrent(m_sheetOrient, m_model->GetSheetOrient() ? 1 : 0);
    Show(m_sheetFormat, !withoutLayout);
    Show(m_sheetOrient, !withoutLayout);
    Show(m_listScheme, withoutLayout);
    Show(m_editColumns, withoutLayout && CurrentIndex(m_listScheme) == kRowsScheme);
    Finish();
}

void SettingProcess::Finish()
{
    if (!m_process)
        return;
    m_process->SetCaption(Str(IDS_SETTING));
    m_process->RefreshPanel();
}

void SettingProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (!m_model || !ctrl)
        return;
    if (SameControl(ctrl, m_checkLayout) || SameControl(ctrl, m_listScheme)) {
        // only what is shown changes
    } else if (SameControl(ctrl, m_sheetFormat)) {
        m_model->SetSheetFormat(panel::CurrentIndex(m_sheetFormat) + kFirstFormat);
    } else if (SameControl(ctrl, m_sheetOrient)) {
        m_model->SetSheetOrient(panel::CurrentIndex(m_sheetOrient) != 0);
    } else if (SameControl(ctrl, m_widthBridges)) {
        m_model->SetBridgesWidth(m_widthBridges->GetReal());
    } else if (SameControl(ctrl, m_lenthBridges)) {
        m_model->SetBridgesLength(m_lenthBridges->GetReal());
    } else if (SameControl(ctrl, m_tolerance)) {
        m_model->SetTolerance(m_tolerance->GetReal());
    } else if (const vlapi::IPropertyEditPtr edit = PathEdit();
               edit && (SameControl(ctrl, edit) || SameControl(ctrl, m_lytPath))) {
        // A path typed in is the path, as one chosen in the dialog.
        m_model->SetLytPath(edit->GetText());
        WarnIfMissing(edit->GetText());
    } else {
        return;
    }
    UpdateControls();
}

// The style library's own buttons: its delete only refreshes; any other opens
// the file dialog, and the path changes only when a file is chosen.
void SettingProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    const vlapi::IPropertyEditPtr edit = PathEdit();
    if (!m_model || !edit || !SameControl(ctrl, edit))
        return;
    if (buttonId != vlapi::vlControlCommandDelete) {
        const std::wstring path = vrnApi::ChoiceFileDialog(kStyleFiles, kStyleFilters, L"", true);
        if (path.empty())
            return;
        m_model->SetLytPath(path);
        WarnIfMissing(path);
    }
    UpdateControls();
}

bool SettingProcess::OnButtonClick(int buttonId)
{
    if (buttonId == vlapi::pbHelp) {
        vrnApi::CallHelp(kHelpTopic);
        return true;
    }
    if (buttonId != vlapi::pbEnter && buttonId != vlapi::pbEsc)
        return true;
    // A file that cannot be written (the user is told why) leaves the session
    // and the drawing as they were, as a cancel does.
    const NestingSetting session = NestingSetting::m_instance;
    if (m_model && buttonId == vlapi::pbEnter && !m_model->WriteToConfig()) {
        NestingSetting::m_instance = session;
    } else if (m_model && buttonId == vlapi::pbEnter) {
        m_schemeParams.withoutLayout = panel::Checked(m_checkLayout);
        m_schemeParams.sheetScheme = panel::CurrentIndex(m_listScheme);
        if (m_editColumns)
            m_schemeParams.countColumns = m_editColumns->GetInt();
        NestingSetting::m_withoutLayout = m_schemeParams.withoutLayout;
        m_model->SetSchemeParams(m_schemeParams);
        vrnApi::SetPropertyToDocument(kSheetSchemeProperty, SheetSchemeNumber(m_schemeParams));
        m_model->UpdateSheets();
        m_model->UpdateResultTables();
    }
    SetReturnValue(buttonId);
    if (m_model) {
        m_model->ClearSheets();
        m_model->ClearFigures();
    }
    Stop();
    return true;
}

bool SettingProcess::OnButtonUpdate(int, bool& enable, int&)
{
    enable = true;
    return true;
}

void SettingProcess::OnCheckItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool check)
{
    if (!m_model || !m_listAdapters || !SameControl(ctrl, m_listAdapters) || index < 0 ||
        static_cast<size_t>(index) >= m_adapters.size())
        return;
    std::next(m_adapters.begin(), index)->second = check;
    m_model->SetAdapters(m_adapters);
}
