#include "shell/ExportProcess.h"

#include "host/HostGuards.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "io/Exporter.h"
#include "shell/Controls.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <tuple>

using namespace panel;

namespace {

constexpr int IDS_FORMAT = 7014;
constexpr int IDS_EXPORT = 7400;
constexpr int IDS_EXPORT_PARAMS = 7401;
constexpr int IDS_EXPORT_CARD = 7402;
constexpr int IDS_EXPORT_SHEETS = 7403;
constexpr int IDS_EXPORT_WASTES = 7404;
constexpr int IDS_EXPORT_DXF_FRW = 7405;
constexpr int IDS_EXPORT_DXF = 7406;
constexpr int IDS_EXPORT_FRW = 7407;
constexpr int IDS_EXPORT_3D = 7408;
constexpr int IDS_EXPORT_TEXT_3D = 7409;
constexpr int IDS_EXPORT_TEXT_3D_BY_SPLINES = 7410;
constexpr int IDS_EXPORT_PATH = 7411;
constexpr int IDS_PROMT_EXPORT_DXF = 7413;

// The map is a DXF file only: with fragments alone the panel says so.
constexpr wchar_t kMapOnlyAsDxf[] =
    L"Карта раскроя записывается только в формате DXF: с форматом «Только фрагменты» она не будет записана";

// The host's icons of the two kinds of text button.
constexpr int BMP_TEXT = 58144;
constexpr int BMP_CONT = 59246;
constexpr int kHelpTopic = 7;

// A check box captioned `caption`, with the pair of text buttons `first`
// and `second` at its side when they are given.
vlapi::IPropertyCheckBoxPtr AddSideCheckBox(const vlapi::IPropertyControlsPtr& controls, int caption, int first = 0,
                                            int second = 0)
{
    const vlapi::IPropertyCheckBoxPtr box = AddCheckBox(controls, Str(caption));
    if (const vlapi::IPropertyToolBarPtr side{box}; side && first != 0) {
        for (const auto& [id, icon, hint] : {std::tuple{first, BMP_TEXT, IDS_EXPORT_TEXT_3D},
                                             std::tuple{second, BMP_CONT, IDS_EXPORT_TEXT_3D_BY_SPLINES}}) {
            side->AddButton(id, icon, icon);
            side->SetButtonHint(id, Str(hint));
            side->SetButtonFont(id, std::wstring());
        }
    }
    return box;
}

// The side pair of `box`: both enabled as `enable`, each pressed as its flag.
void ShowPair(const vlapi::IPropertyCheckBoxPtr& box, bool enable, int first, bool firstPressed, int second,
              bool secondPressed)
{
    const vlapi::IPropertyToolBarPtr side{box};
    SetButton(side, first, enable, firstPressed);
    SetButton(side, second, enable, secondPressed);
}

// A press of one button of a pair: it flips, and pressing it releases the other.
void FlipPair(int buttonId, int first, bool& firstPressed, int second, bool& secondPressed)
{
    bool* flipped = buttonId == first ? &firstPressed : buttonId == second ? &secondPressed : nullptr;
    if (!flipped)
        return;
    *flipped = !*flipped;
    if (*flipped)
        (flipped == &firstPressed ? secondPressed : firstPressed) = false;
}

}  // namespace

void RunExportProcess()
{
    StartCommand<ExportProcess>();
}

void ExportProcess::Init()
{
    m_exporter = CreateExporterInstance();
}

std::wstring ExportProcess::GetCaption() const
{
    return Str(IDS_EXPORT);
}

void ExportProcess::CreateControls()
{
    const vlapi::IPropertyControlsPtr controls = AddTab(m_procParam, Str(IDS_EXPORT_PARAMS));
    m_editFolder = Add<vlapi::IPropertyEditCheckBoxPtr>(controls, vlapi::vlControlEditCheckBox);
    SetUpPathEdit(m_editFolder, Str(IDS_EXPORT_PATH));
    m_checkCard = AddSideCheckBox(controls, IDS_EXPORT_CARD);
    m_checkSheets = AddSideCheckBox(controls, IDS_EXPORT_SHEETS, kText2DSour, kText2DCont);
    m_checkWastes = AddSideCheckBox(controls, IDS_EXPORT_WASTES);
    m_listFormat = AddList(controls, Str(IDS_FORMAT), {Str(IDS_EXPORT_DXF_FRW), Str(IDS_EXPORT_DXF), Str(IDS_EXPORT_FRW)});
    Add<vlapi::IPropertyControlPtr>(controls, vlapi::vlControlSeparator);
    m_checkM3D = AddSideCheckBox(controls, IDS_EXPORT_3D, kText3DSour, kText3DCont);
    Add<vlapi::IPropertyControlPtr>(controls, vlapi::vlControlSeparator);
}

void ExportProcess::UpdateControls()
{
    SetChecked(m_checkCard, m_params.addCard);
    SetChecked(m_checkSheets, m_params.addSheets);
    SetChecked(m_checkWastes, m_params.addWastes);
    SetCurrent(m_listFormat, m_params.format);
    SetChecked(m_checkM3D, m_params.add3D);
    SetPathText(m_editFolder, m_folder);
    ShowPair(m_checkM3D, m_params.add3D, kText3DSour, m_params.text3DSour, kText3DCont, m_params.text3DCont);
    ShowPair(m_checkSheets, m_params.addSheets, kText2DSour, m_params.text2DSour, kText2DCont, m_params.text2DCont);
    Finish(m_process, m_params.addCard && m_params.format > 1 ? std::wstring(kMapOnlyAsDxf) : Str(IDS_PROMT_EXPORT_DXF));
}

void ExportProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (SameControl(ctrl, m_checkCard)) {
        m_params.addCard = Checked(m_checkCard);
    } else if (SameControl(ctrl, m_checkSheets)) {
        m_params.addSheets = Checked(m_checkSheets);
        m_params.text2DSour = m_params.text2DCont = false;
    } else if (SameControl(ctrl, m_checkWastes)) {
        m_params.addWastes = Checked(m_checkWastes);
    } else if (SameControl(ctrl, m_listFormat)) {
        // A list without a current item leaves the format as it was.
        if (const int index = CurrentIndex(m_listFormat); index >= 0)
            m_params.format = index;
    } else if (SameControl(ctrl, m_checkM3D)) {
        m_params.add3D = Checked(m_checkM3D);
        m_params.text3DSour = m_params.text3DCont = false;
    } else {
        return;
    }
    UpdateControls();
}

void ExportProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    const vlapi::IPropertyEditPtr folder = m_editFolder ? m_editFolder->GetEdit() : nullptr;
    if (folder && SameControl(ctrl, folder)) {
        if (buttonId == vlapi::vlControlCommandDelete)
            m_folder.clear();
        else
            ChooseFolder(m_folder);
    } else if (SameControl(ctrl, m_checkM3D)) {
        FlipPair(buttonId, kText3DSour, m_params.text3DSour, kText3DCont, m_params.text3DCont);
        if (m_params.add3D && (m_params.text3DSour || m_params.text3DCont))
            vrnApi::ShowWarningMessage(IDS_MESS_EXPORT_LING);
    } else if (SameControl(ctrl, m_checkSheets)) {
        FlipPair(buttonId, kText2DSour, m_params.text2DSour, kText2DCont, m_params.text2DCont);
    } else {
        return;
    }
    UpdateControls();
}

bool ExportProcess::OnButtonUpdate(int buttonId, bool& enable, int&)
{
    enable = buttonId != vlapi::pbEnter || (!m_folder.empty() && AsksForFiles(m_params));
    return true;
}

bool ExportProcess::OnButtonClick(int buttonId)
{
    if (buttonId == vlapi::pbEnter) {
        if (RunExport())
            Stop();
    } else if (buttonId == vlapi::pbHelp) {
        OpenHelp(kHelpTopic);
    }
    return true;
}

void ExportProcess::KeepSession(CommandSnapshot& snapshot)
{
    snapshot.Keep(m_folder);
    snapshot.Keep(m_params);
}

bool ExportProcess::RunExport()
{
    if (m_folder.empty()) {
        vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return false;
    }
    const vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
    if (m_exporter) {
        m_exporter->SetParams(m_params);
        m_exporter->ExportToDXF(m_folder);
    }
    return true;
}
