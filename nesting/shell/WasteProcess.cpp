#include "shell/WasteProcess.h"

#include "api/NestingAPIObjects.h"
#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"
#include "shell/Controls.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

namespace {

enum : int {
    IDS_EDIT = 7010,
    IDS_NAME = 7011,
    IDS_OK = 7012,
    IDS_CANCEL = 7013,
    IDS_SELECT_ALL = 7104,
    IDS_WASTES = 7300,
    IDS_WASTES_LIST = 7301,
    IDS_SELECT_MANUAL_WASTES = 7302,
    IDS_SELECT_AUTO_WASTES = 7303,
    IDS_WASTE_METHOD = 7304,
    IDS_WASTE_MANUAL_METHOD = 7305,
    IDS_WASTE_AUTO_METHOD = 7306,
    IDS_WASTE_SIMPLIFICATION = 7307,
    IDS_CREATE_AUTO_WASTES = 7308,
    IDS_ONLY_RECT_WASTES = 7309,
    IDS_MIN_SIZE_RECT_WASTES = 7310,
    IDS_COLOR_LAYER_WASTES = 7311,
    IDS_HIDE_LAYER_WASTES = 7312,
    IDS_PROMT_POINT_WASTES = 7313,
    IDS_PROMT_AUTO_WASTES = 7314,
};

// Buttons of the remnant list's tool bar and of the name edit.
enum : int {
    kSelectAll = 7100,
    kSelectManual = 7200,
    kSelectAutomatic = 7300,
    kRename = 7400,
    kApplyName = 7401,
    kCancelName = 7402,
};

constexpr int kHelpTopic = 5;
constexpr int kDefaultColour = 0xC8D200;

using panel::Str;

// The remnants marked by hand at a point: their references and names.
std::vector<std::pair<int, std::wstring>> MarkedByHand(INestingModel& model)
{
    std::vector<INObjectPtr> wastes;
    model.GetWasteObjects(wastes);
    std::vector<std::pair<int, std::wstring>> marked;
    for (const INObjectPtr& object : wastes) {
        if (const IWastePtr waste = IWastePtr(object); waste && !waste->GetMethod())
            marked.emplace_back(object->GetReference(), object->GetName());
    }
    return marked;
}

// A build that deleted remnants marked by hand (new ones overlap them, or
// rectangles replace every remnant) says which.
template <class Build>
void BuildTellingDeleted(INestingModel& model, Build build)
{
    const auto before = MarkedByHand(model);
    build();
    const auto after = MarkedByHand(model);
    std::vector<std::wstring> deleted;
    for (const auto& marked : before) {
        const int ref = marked.first;
        if (std::none_of(after.begin(), after.end(), [ref](const auto& kept) { return kept.first == ref; }))
            deleted.push_back(marked.second);
    }
    if (deleted.empty())
        return;
    constexpr size_t kNamed = 5;
    vrnApi::ShowWarningText(L"Отходы, построенные вручную по точке, удалены: на их месте построены новые — " +
                            std::to_wstring(deleted.size()) + L" шт.: " + uf::FirstNames(deleted, kNamed));
}

}  // namespace

void RunWasteProcess()
{
    StartModelCommand<WasteProcess>(&CreateNestingModelInstance);
}

WasteProcess::WasteProcess(ModelFactory factory) : m_layerName(Str(IDS_WASTES)), m_factory(factory) {}

std::wstring WasteProcess::GetCaption() const
{
    return Str(IDS_WASTES);
}

void WasteProcess::Init()
{
    m_model = m_factory ? m_factory() : nullptr;
    if (!m_model) {
        vrnApi::ShowErrorText(kNoModelMessage);
        return;
    }
    m_model->InitSheetsFromActiveDoc();
    m_model->InitFiguresFromActiveDoc();
    m_model->InitWastesFromActiveDoc();
    m_model->ReadFromConfig();
    m_minSize = m_model->GetWastSize();
    int colour = kDefaultColour;
    bool hidden = false;
    vrnApi::GetLayerParams(m_layerName, colour, hidden);
    m_model->SetWastesColor(colour);
    m_model->SetWastesHide(hidden);
}

void WasteProcess::CreateControls()
{
    using namespace panel;
    const vlapi::IPropertyControlsPtr c = AddTab(m_procParam, Str(IDS_WASTES));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_listWastes.Init(false, c, Str(IDS_WASTES_LIST), vlapi::vlCheckUndefined, true);
    m_toolBar = vlapi::IPropertyToolBarPtr(m_listWastes.GetControl());
    AddButtonInToolBar(m_toolBar, kSelectAll, 0xE009, Str(IDS_SELECT_ALL), true, false, true);
    AddButtonInToolBar(m_toolBar, kSelectManual, 0xE013, Str(IDS_SELECT_MANUAL_WASTES), true, false, true);
    AddButtonInToolBar(m_toolBar, kSelectAutomatic, 0xE014, Str(IDS_SELECT_AUTO_WASTES), true, false, true);
    AddButtonInToolBar(m_toolBar, kRename, 0xE00A, Str(IDS_EDIT), true, false, true);
    m_editWaste = Add<vlapi::IPropertyEditPtr>(c, vlapi::vlControlEditStr, Str(IDS_NAME));
    const vlapi::IPropertyToolBarPtr nameButtons(m_editWaste);
    AddButtonInToolBar(nameButtons, kApplyName, 0xE00B, Str(IDS_OK), true, false, true);
    AddButtonInToolBar(nameButtons, kCancelName, 0xE00C, Str(IDS_CANCEL), true, false, true);
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_listMethods = AddList(c, Str(IDS_WASTE_METHOD), {Str(IDS_WASTE_MANUAL_METHOD), Str(IDS_WASTE_AUTO_METHOD)});
    m_editSize = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_WASTE_SIMPLIFICATION), 0.0, 100000.0);
    m_buttCreate = Add<vlapi::IPropertyTextButtonPtr>(c, vlapi::vlControlTextButton, Str(IDS_CREATE_AUTO_WASTES));
    Add<vlapi::IPropertyControlPtr>(c, vlapi::vlControlSeparator);
    m_onlyRect = AddCheckBox(c, Str(IDS_ONLY_RECT_WASTES));
    m_editRectSize = AddEdit(c, vlapi::vlControlEditReal, Str(IDS_MIN_SIZE_RECT_WASTES), 0.0, 100000.0);
    m_colorLayer = Add<vlapi::IPropertyColorPtr>(c, vlapi::vlControlColor, Str(IDS_COLOR_LAYER_WASTES));
    if (m_colorLayer) {
        m_colorLayer->SetOption(1);
        m_colorLayer->SetColor(m_model ? m_model->GetWastesColor() : kDefaultColour);
    }
    m_hideWastes = AddCheckBox(c, Str(IDS_HIDE_LAYER_WASTES));
}

void WasteProcess::UpdateControls()
{
    using namespace panel;
    if (!m_model) {
        Finish(m_process, Str(IDS_PROMT_POINT_WASTES));
        return;
    }
    m_rows.clear();
    m_model->GetWasteObjects(m_rows);
    m_listWastes.UpdateControls(m_rows);
    std::vector<INObjectPtr> selected;
    m_listWastes.GetSelectedObjects(selected);
    size_t manual = 0;
    for (const INObjectPtr& object : selected) {
        const IWastePtr waste(object);
        if (waste && !waste->GetMethod())
            ++manual;
    }
    const size_t count = m_model->GetWastesCount();
    SetButton(m_toolBar, kSelectAll, count > 0, count > 0 && selected.size() == count);
    SetButton(m_toolBar, kSelectManual, count > 0, manual > 0 && manual == selected.size());
    SetButton(m_toolBar, kSelectAutomatic, count > 0, !selected.empty() && manual == 0);
    SetButton(m_toolBar, kRename, !selected.empty(), m_editmode);

    m_listWastes.SetEnable(!m_editmode);
    Enable(m_listMethods, !m_editmode);
    Show(m_editWaste, m_editmode);
    SetText(m_editWaste, m_editmode && !selected.empty() ? selected.front()->GetName() : std::wstring());

    const bool automatic = m_model->GetWasteMethod();
    SetCurrent(m_listMethods, automatic ? 1 : 0);
    Show(m_editSize, automatic);
    SetReal(m_editSize, m_minSize);
    Show(m_buttCreate, automatic);
    // The minimum size holds for every remnant: shown always, the default
    // that stands for it while none is given.
    const bool rectangles = m_model->GetWastesRect();
    SetChecked(m_onlyRect, rectangles);
    auto* napi = dynamic_cast<NAPIModel*>(m_model.get());
    SetReal(m_editRectSize, napi ? napi->RemnantMinimum(rectangles) : m_model->GetWastRectSize());
    if (m_colorLayer)
        m_colorLayer->SetColor(m_model->GetWastesColor());
    SetChecked(m_hideWastes, m_model->GetWastesHide());
    Finish(m_process, Str(automatic ? IDS_PROMT_AUTO_WASTES : IDS_PROMT_POINT_WASTES));
}

void WasteProcess::Refresh()
{
    UpdateControls();
    vrnApi::RefreshActiveWindow();
}

void WasteProcess::Recalculate()
{
    BuildTellingDeleted(*m_model.get(), [this] {
        if (panel::Checked(m_onlyRect))
            m_model->DecomposeWastesToRectangles();
        else
            m_model->CalculateWastes();
    });
}

void WasteProcess::Rename(const INObjectPtr& object, const std::wstring& name)
{
    if (const IWastePtr waste = object ? m_model->GetWasteByRef(object->GetReference()) : nullptr) {
        waste->SetName(name);
        waste->ChangeText(name);
    }
}

void WasteProcess::RenameSelected(const std::wstring& name)
{
    std::vector<INObjectPtr> selected;
    m_listWastes.GetSelectedObjects(selected);
    for (const INObjectPtr& object : selected)
        Rename(object, name);
}

// ---- Handlers

bool WasteProcess::CallBackCursor(double x, double y, double, bool dynamic)
{
    if (m_returnValue != 0 || m_editmode)
        return false;
    if (dynamic || !m_model)
        return true;
    const reference found = vrnApi::FindObjByPoint(NPoint{x, y});
    if (found != 0) {
        if (m_listWastes.CheckReference(found)) {
            m_listWastes.InvertSelect(found);
            UpdateControls();
        }
        return true;
    }
    // A click inside a remnant chooses it as one on its outline does.
    if (const IWastePtr inside = m_model->GetWasteByPoint(x, y)) {
        m_listWastes.InvertSelect(inside->GetReference());
        UpdateControls();
        return true;
    }
    if (m_model->GetWasteMethod())
        return true;
    // The user is told why a click made no remnant.
    std::wstring why;
    auto* napi = dynamic_cast<NAPIModel*>(m_model.get());
    const IWastePtr waste = napi ? napi->CreateWaste(x, y, why) : m_model->CreateWaste(x, y);
    if (!waste) {
        if (!why.empty())
            vrnApi::ShowWarningText(L"Отход не построен: " + why);
        return true;
    }
    m_model->AddWaste(waste);
    if (panel::Checked(m_onlyRect))
        m_model->DecomposeWastesToRectangles();
    UpdateControls();
    return true;
}

bool WasteProcess::OnButtonClick(int buttonId)
{
    if (buttonId == vlapi::pbHelp) {
        OpenHelp(kHelpTopic);
        return true;
    }
    if ((buttonId != vlapi::pbEnter && buttonId != vlapi::pbEsc) || !m_model)
        return true;
    m_listWastes.UnselectAll();
    for (size_t i = 0; i < m_model->GetSheetsCount(); ++i)
        m_model->SelectSheet(i, false);
    if (buttonId == vlapi::pbEnter) {
        m_returnValue = 1;
        m_model->SaveParams();
    } else if (m_returnValue != 1) {
        m_returnValue = 2;
        m_model->ClearSheets();
        m_model->ClearWastes();
        vrnApi::RefreshActiveWindow();
    }
    return true;
}

void WasteProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (!m_model || !ctrl)
        return;
    if (SameControl(ctrl, m_listMethods)) {
        m_model->SetWasteMethod(panel::CurrentIndex(m_listMethods) != 0);
    } else if (SameControl(ctrl, m_editWaste)) {
        const std::wstring name = m_editWaste->GetText();
        if (name.empty())
            return;
        RenameSelected(name);
        m_editmode = false;
    } else if (SameControl(ctrl, m_editSize)) {
        m_minSize = m_editSize->GetReal();
        m_model->SetWastSize(m_minSize);
        Recalculate();
    } else if (SameControl(ctrl, m_editRectSize)) {
        m_model->SetWastRectSize(m_editRectSize->GetReal());
        Recalculate();
    } else if (SameControl(ctrl, m_colorLayer)) {
        const int colour = m_colorLayer->GetColor();
        m_model->SetWastesColor(colour);
        vrnApi::ChangeLayerColor(m_layerName, colour);
        std::vector<INObjectPtr> wastes;
        m_model->GetWasteObjects(wastes);
        for (const INObjectPtr& object : wastes) {
            if (const IWastePtr waste = IWastePtr(object))
                waste->SetColor(colour);
        }
        return;
    } else if (SameControl(ctrl, m_onlyRect)) {
        const bool rectangles = panel::Checked(m_onlyRect);
        m_model->SetWastesRect(rectangles);
        if (rectangles)
            BuildTellingDeleted(*m_model.get(), [this] { m_model->DecomposeWastesToRectangles(); });
    } else if (SameControl(ctrl, m_hideWastes)) {
        m_model->SetWastesHide(panel::Checked(m_hideWastes));
        m_model->UpdateWastes();
        return;
    } else {
        return;
    }
    UpdateControls();
}

void WasteProcess::OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select)
{
    if (m_model && m_listWastes.SelectItem(ctrl, index, select))
        Refresh();
}

void WasteProcess::SelectByButton(int buttonId)
{
    const bool on = !panel::Pressed(m_toolBar, buttonId);
    if (m_toolBar)
        m_toolBar->SetButtonPressed(buttonId, on);
    if (buttonId == kSelectAll) {
        if (on)
            m_listWastes.SelectAll();
        else
            m_listWastes.UnselectAll();
        return;
    }
    m_listWastes.UnselectAll();
    m_model->SelectWastesByMethod(buttonId == kSelectAutomatic, on);
}

void WasteProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    if (!m_model || !ctrl)
        return;
    if (m_listWastes.ControlCommand(ctrl, buttonId)) {
        switch (buttonId) {
        case vlapi::vlControlCommandDelete: {
            std::vector<INObjectPtr> selected;
            m_listWastes.GetSelectedObjects(selected);
            for (const INObjectPtr& object : selected)
                m_model->DelWaste(IWastePtr(object));
            break;
        }
        case kSelectAll:
        case kSelectManual:
        case kSelectAutomatic: SelectByButton(buttonId); break;
        case kRename: m_editmode = !panel::Pressed(m_toolBar, kRename); break;
        default: return;
        }
    } else if (SameControl(ctrl, m_editWaste)) {
        if (buttonId == kApplyName) {
            const std::wstring name = m_editWaste->GetText();
            if (!name.empty())
                RenameSelected(name);
        }
        m_editmode = false;
    } else if (SameControl(ctrl, m_buttCreate)) {
        Recalculate();
    } else {
        return;
    }
    Refresh();
}

void WasteProcess::OnEndEditItem(const vlapi::IPropertyControlPtr& ctrl, int itemIndex)
{
    const vlapi::IPropertyEditListPtr list = m_listWastes.GetControl();
    if (!m_model || !list || !SameControl(ctrl, list))
        return;
    const std::wstring name = list->GetItemText(itemIndex);
    if (!name.empty() && itemIndex >= 0 && static_cast<size_t>(itemIndex) < m_rows.size())
        Rename(m_rows[static_cast<size_t>(itemIndex)], name);
    Refresh();
}
