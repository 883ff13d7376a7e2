#include "shell/BridgesProcess.h"

#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "io/OutputFiles.h"
#include "model/NestingSetting.h"
#include "shell/Controls.h"
#include "shell/Events.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <algorithm>
#include <cmath>

namespace {

// The process value of the bridges panel, and the one a hover over a bridge gives back.
constexpr int kPanelMask = 65533;
constexpr int kHoverMask = 65534;
constexpr int kIcon = 57346;
constexpr int kColourOption = 1;
constexpr double kMaxLength = 1000.0;
const wchar_t kWidthRule[] = L"Ширина мостика должна быть больше 0 мм: оставлена прежняя ширина";
constexpr double kDefaultRadius = 25.0;
// Two widths closer than this are one width.
constexpr double kSameWidth = 0.0001;
constexpr int kSortButtons[] = {BridgesProcess::kSortByName, BridgesProcess::kSortByType,
                                BridgesProcess::kSortByWidth};

bool OnePoint(BridgeType type)
{
    return type == BridgeType::Gap || type == BridgeType::Start;
}

// The start types (double, left, right, crossed) may also stand on a sheet.
bool MayStandOnSheet(BridgeType type)
{
    return static_cast<int>(type) >= static_cast<int>(BridgeType::DoubleStart);
}

vlapi::IPropertyEditPtr LengthEdit(const vlapi::IPropertyControlsPtr& controls, int caption)
{
    return panel::AddEdit(controls, vlapi::vlControlEditLength, panel::Str(caption), 0.0, kMaxLength);
}

// A point box: its edit face captioned, one setting and the box's check
// state, and the same caption on its check-box face.
vlapi::IPropertyEditCheckBoxPtr PointBox(const vlapi::IPropertyControlsPtr& controls, int caption, int setting,
                                         vlapi::CheckStateEnum state)
{
    vlapi::IPropertyEditCheckBoxPtr box(controls ? controls->Add(vlapi::vlControlEditCheckBox) : nullptr);
    if (!box)
        return box;
    const std::wstring text = vrnApi::LoadStr(caption);
    if (const vlapi::IPropertyEditPtr edit = box->GetEdit()) {
        edit->SetCaption(text);
        edit->SetOption(setting);
    }
    box->SetCheckState(state);
    if (const vlapi::IPropertyCheckBoxPtr check = box->GetCheckBox())
        check->SetCaption(text);
    return box;
}

void FillMethod(const vlapi::IPropertyListPtr& method, const vlapi::IPropertyEditPtr& radius)
{
    if (method) {
        method->SetItems({vrnApi::LoadStr(IDS_BRIDGE_BYARC), vrnApi::LoadStr(IDS_BRIDGE_BYSTOP)});
        method->SetCurrentItem(0);
    }
    if (radius)
        radius->SetReal(kDefaultRadius);
}

}  // namespace

void SortBridges(std::vector<INObjectPtr>& bridges, BridgeOrder order)
{
    if (order == BridgeOrder::None || bridges.size() < 2)
        return;
    // Each key is read once; keyless entries (no bridge, a width that is not
    // a number) follow the others in their order.
    struct Keyed {
        std::wstring name;
        double number = 0.0;
        bool keyless = false;
        INObjectPtr object;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(bridges.size());
    for (INObjectPtr& object : bridges) {
        Keyed entry;
        const IJumperPtr jumper(object);
        if (!jumper)
            entry.keyless = true;
        else if (order == BridgeOrder::Name)
            entry.name = jumper->GetName();
        else if (order == BridgeOrder::Type)
            entry.number = static_cast<double>(jumper->GetType());
        else
            entry.number = jumper->GetWidth();
        entry.keyless = entry.keyless || std::isnan(entry.number);
        entry.object = std::move(object);
        keyed.push_back(std::move(entry));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [order](const Keyed& a, const Keyed& b) {
        if (a.keyless || b.keyless)
            return !a.keyless;
        return order == BridgeOrder::Name ? a.name < b.name : a.number < b.number;
    });
    for (size_t i = 0; i < keyed.size(); ++i)
        bridges[i] = std::move(keyed[i].object);
}

// ---- Preparing and the panel

void BridgesProcess::Init()
{
    m_model = CreateNestingModelInstance();
    if (!m_model)
        return;
    m_model->ReadFromConfig();
    m_model->InitSheetsFromActiveDoc();
    m_model->InitFiguresFromActiveDoc();
    m_model->InitJumpersFromActiveDoc();
    // Bridges selected before the command opens it on them, in edit mode.
    std::vector<IJumperPtr> chosen;
    m_model->GetSelectedJumpers(chosen);
    m_editmode = !chosen.empty();
    for (const IJumperPtr& jumper : chosen)
        jumper->Choose(true);
    m_width = m_model->GetBridgesWidth();
    m_layerNumber = vrnApi::CreateLayer(m_layerName, m_layerColor, false);
    m_tempJumper = m_model->CreateJumper(0.0, 0.0, m_width, m_type, m_bynorm);
}

void BridgesProcess::CreateControls()
{
    if (!m_model)
        return;
    if (m_process)
        m_process->SetMask(kPanelMask);
    // The first tab stays empty.
    panel::AddTab(m_procParam, L"");
    const vlapi::IPropertyControlsPtr controls = panel::AddTab(m_procParam, panel::Str(IDS_BRIDGE_BRIDGES));
    if (!controls)
        return;

    controls->Add(vlapi::vlControlSeparator);
    m_listJumpers.Init(false, controls, vrnApi::LoadStr(IDS_BRIDGE_LIST), vlapi::vlCheckCurrent, true);
    controls->Add(vlapi::vlControlSeparator);
    m_typesJumpers = panel::AddList(controls, panel::Str(IDS_BRIDGE_TYPE), {});
    controls->Add(vlapi::vlControlSeparator);
    m_widthJumper = LengthEdit(controls, IDS_BRIDGE_WIDHT);
    m_methodStop = panel::Add<vlapi::IPropertyListPtr>(controls, vlapi::vlControlListStr, panel::Str(IDS_BRIDGE_WAYOUT));
    m_radiusStop = LengthEdit(controls, IDS_BRIDGE_RAROUT);
    m_methodStart = panel::Add<vlapi::IPropertyListPtr>(controls, vlapi::vlControlListStr, panel::Str(IDS_BRIDGE_WAYIN));
    m_radiusStart = LengthEdit(controls, IDS_BRIDGE_RADIN);
    controls->Add(vlapi::vlControlSeparator);
    m_refPoint1 = PointBox(controls, IDS_BRIDGE_FIRSTPOINT, 0, vlapi::vlCheckCurrent);
    m_refPoint2 = PointBox(controls, IDS_BRIDGE_SECONDPOINT, 1, vlapi::vlCheckVariable);
    controls->Add(vlapi::vlControlSeparator);
    m_colorLayer =
        panel::Add<vlapi::IPropertyColorPtr>(controls, vlapi::vlControlColor, panel::Str(IDS_BRIDGE_BRIDGELAY));
    if (m_colorLayer) {
        m_colorLayer->SetOption(kColourOption);
        m_colorLayer->SetColor(m_layerColor);
        m_colorLayer->SetInitialColor(m_layerColor);
    }

    m_toolBar = vlapi::IPropertyToolBarPtr(m_listJumpers.GetControl());
    const bool byName = m_model->GetJumpersCount() >= 2;
    AddButtonInToolBar(m_toolBar, kSelectAll, kIcon, vrnApi::LoadStr(IDS_BRIDGE_SELECT), false, false, true);
    AddButtonInToolBar(m_toolBar, kSortByName, kIcon, vrnApi::LoadStr(IDS_BRIDGE_SORTNAME), false, byName, true);
    AddButtonInToolBar(m_toolBar, kSortByType, kIcon, vrnApi::LoadStr(IDS_BRIDGE_SORTTYPE), false, false, true);
    AddButtonInToolBar(m_toolBar, kSortByWidth, kIcon, vrnApi::LoadStr(IDS_BRIDGE_SORTWIDTH), false, false, true);
    AddButtonInToolBar(m_toolBar, kEditMode, kIcon, vrnApi::LoadStr(IDS_BRIDGE_REDACT), false, false, true);

    const vlapi::IPropertyToolBarPtr side(m_refPoint2 ? m_refPoint2->GetEdit() : nullptr);
    if (side) {
        side->AddButton(kByNormal, kIcon, kIcon);
        side->SetButtonHint(kByNormal, vrnApi::LoadStr(IDS_BRIDGE_BYNORMAL));
        side->SetButtonFont(kByNormal, m_font);
        side->SetButtonPressed(kByNormal, m_bynorm);
    }
}

std::wstring BridgesProcess::GetCaption() const
{
    return L"Мостики";
}

// ---- Refreshing the panel

bool BridgesProcess::Pressed(int id) const
{
    return m_toolBar && m_toolBar->GetButtonPressed(id);
}

void BridgesProcess::SortObjects(std::vector<INObjectPtr>& objects) const
{
    if (!m_toolBar)
        return;
    BridgeOrder order = BridgeOrder::None;
    if (Pressed(kSortByName))
        order = BridgeOrder::Name;
    else if (Pressed(kSortByType))
        order = BridgeOrder::Type;
    else if (Pressed(kSortByWidth))
        order = BridgeOrder::Width;
    SortBridges(objects, order);
}

std::vector<IJumperPtr> BridgesProcess::SelectedBridges() const
{
    std::vector<INObjectPtr> objects;
    m_listJumpers.GetSelectedObjects(objects);
    std::vector<IJumperPtr> bridges;
    for (const INObjectPtr& object : objects) {
        if (IJumperPtr bridge{object})
            bridges.push_back(std::move(bridge));
    }
    return bridges;
}

void BridgesProcess::UpdateControls()
{
    if (!m_model)
        return;
    std::vector<INObjectPtr> objects;
    m_model->GetJumperObjects(objects);
    SortObjects(objects);
    m_listJumpers.UpdateControls(objects);
    if (m_toolBar) {
        for (int id : {kSelectAll, kSortByName, kSortByType, kSortByWidth})
            m_toolBar->SetButtonEnable(id, objects.size() >= 2);
    }
    UpdateJumperData();
    panel::Enable(m_refPoint1, !m_editmode);
    panel::Enable(m_refPoint2, !m_editmode);
    panel::Enable(m_colorLayer, !m_editmode);
    if (m_process) {
        const int prompt = m_editmode ? IDS_BRIDGE_REDACTREGIME
                           : m_second ? IDS_BRIDGE_SETSECONDPOINT
                                      : IDS_BRIDGE_SETBASEPOINT;
        m_process->SetPrompt(vrnApi::LoadStr(prompt));
    }
}

void BridgesProcess::UpdateJumperData()
{
    int shownType = static_cast<int>(m_type);
    panel::Enable(m_widthJumper, true);
    const std::vector<IJumperPtr> selected = SelectedBridges();
    if (m_toolBar) {
        m_toolBar->SetButtonEnable(kEditMode, !selected.empty() || m_editmode);
        m_toolBar->SetButtonPressed(kEditMode, m_editmode);
    }
    if (m_editmode && !selected.empty()) {
        // The chosen bridges' common width and type; none where they differ.
        const double width = selected.front()->GetWidth();
        const BridgeType type = selected.front()->GetType();
        const bool sameWidth = std::all_of(selected.begin(), selected.end(), [&](const IJumperPtr& bridge) {
            return std::fabs(bridge->GetWidth() - width) <= kSameWidth;
        });
        const bool sameType = std::all_of(selected.begin(), selected.end(),
                                          [&](const IJumperPtr& bridge) { return bridge->GetType() == type; });
        if (sameWidth && width > kSameWidth)
            m_width = width;
        shownType = sameType ? static_cast<int>(type) : -1;
        if (sameType)
            m_type = type;
    }
    if (m_widthJumper)
        m_widthJumper->SetReal(m_width);
    if (m_typesJumpers) {
        m_typesJumpers->SetItems(std::vector<std::wstring>(typesBridges.begin(), typesBridges.end()));
        m_typesJumpers->SetCurrentItem(shownType);
    }
    if (OnePoint(m_type))
        m_second = false;
    FillMethod(m_methodStop, m_radiusStop);
    FillMethod(m_methodStart, m_radiusStart);
}

void BridgesProcess::UpdateRefPoints(double x, double y)
{
    const vlapi::IPropertyEditPtr face1 = m_refPoint1 ? m_refPoint1->GetEdit() : nullptr;
    const vlapi::IPropertyEditPtr face2 = m_refPoint2 ? m_refPoint2->GetEdit() : nullptr;
    if (m_editmode) {
        if (face1)
            face1->SetText(vrnApi::LoadStr(IDS_BRIDGE_CHOICENOTALLOWED));
        return;
    }
    const std::wstring point = outputs::Format(L"%f; %f", x, y);
    const bool twoPoints = m_tempJumper && m_tempJumper->IsTwoPoints();
    if (face1) {
        face1->SetCaption(vrnApi::LoadStr(twoPoints ? IDS_BRIDGE_FIRSTPOINT : IDS_BRIDGE_BASEPOINT));
        // Once the first point is taken the box keeps it.
        if (!m_second)
            face1->SetText(point);
    }
    if (m_refPoint1) {
        m_refPoint1->SetCheckState(m_second ? vlapi::vlCheckVariable : vlapi::vlCheckCurrent);
        if (const vlapi::IPropertyCheckBoxPtr check = m_refPoint1->GetCheckBox())
            check->SetChecked(m_second);
    }
    if (face1)
        face1->SetMark(m_second);
    if (m_refPoint2)
        m_refPoint2->SetCheckState(m_second ? vlapi::vlCheckCurrent : vlapi::vlCheckVariable);
    if (face2) {
        face2->SetText(m_second ? point : std::wstring());
        face2->SetMark(m_second);
    }
    if (face1)
        face1->SetMark(false);
}

// ---- The panel's events

void BridgesProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (!m_model)
        return;
    LibraryEdit edit;
    if (m_typesJumpers && SameControl(ctrl, m_typesJumpers)) {
        const int index = m_typesJumpers->GetCurrentItem();
        if (index >= 0 && index < BridgeTypeCount) {
            m_type = static_cast<BridgeType>(index);
            if (!m_editmode) {
                if (m_tempJumper)
                    m_tempJumper->SetType(m_type);
            } else {
                for (const IJumperPtr& bridge : SelectedBridges()) {
                    if (OnePoint(bridge->GetType()))
                        continue;
                    bridge->SetType(m_type);
                    bridge->ReBuild();
                }
            }
        }
        if (OnePoint(m_type))
            m_second = false;
    } else if (m_widthJumper && SameControl(ctrl, m_widthJumper)) {
        // A bridge has a width: zero or less is refused, with a message, and
        // the edit shows the old one again.
        const double width = m_widthJumper->GetReal();
        if (!(width > 0.0)) {
            vrnApi::ShowErrorText(kWidthRule);
        } else {
            m_width = width;
            if (m_tempJumper)
                m_tempJumper->SetWidth(width);
            // Each chosen bridge is drawn again at its new width.
            for (const IJumperPtr& bridge : SelectedBridges()) {
                bridge->SetWidth(width);
                bridge->ReBuild();
            }
        }
    } else if (m_colorLayer && SameControl(ctrl, m_colorLayer)) {
        m_layerColor = m_colorLayer->GetColor();
        vrnApi::ChangeLayerColor(m_layerName, m_layerColor);
        return;
    } else {
        return;
    }
    UpdateControls();
}

void BridgesProcess::OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select)
{
    if (m_listJumpers.SelectItem(ctrl, index, select))
        UpdateJumperData();
}

void BridgesProcess::OnCheckItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool check)
{
    OnSelectItem(ctrl, index, check);
}

void BridgesProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    if (!m_model)
        return;
    if (m_listJumpers.ControlCommand(ctrl, buttonId)) {
        switch (buttonId) {
        case kSelectAll: {
            const bool pressed = Pressed(kSelectAll);
            if (m_toolBar)
                m_toolBar->SetButtonPressed(kSelectAll, !pressed);
            if (pressed)
                m_listJumpers.UnselectAll();
            else
                m_listJumpers.SelectAll();
            break;
        }
        case vlapi::vlControlCommandDelete: {
            LibraryEdit edit;
            for (const IJumperPtr& bridge : SelectedBridges())
                m_model->DelJumper(bridge);
            break;
        }
        case kSortByName:
        case kSortByType:
        case kSortByWidth:
            if (m_toolBar) {
                for (int id : kSortButtons)
                    m_toolBar->SetButtonPressed(id, false);
                m_toolBar->SetButtonPressed(buttonId, true);
            }
            break;
        case kEditMode:
            m_editmode = !Pressed(kEditMode);
            if (m_toolBar)
                m_toolBar->SetButtonPressed(kEditMode, m_editmode);
            if (!m_editmode) {
                // Back to placing: the panel shows the working bridge's values again.
                if (m_tempJumper) {
                    m_width = m_tempJumper->GetWidth();
                    m_type = m_tempJumper->GetType();
                }
            } else {
                m_second = false;
                ClearPreview();
            }
            UpdateRefPoints(0.0, 0.0);
            break;
        default:
            return;
        }
        UpdateControls();
        return;
    }
    if (m_refPoint1 && SameControl(ctrl, m_refPoint1)) {
        m_second = false;
        return;
    }
    if (buttonId == kByNormal && m_refPoint2 && SameControl(ctrl, m_refPoint2) && m_tempJumper) {
        m_bynorm = !m_tempJumper->GetByNormal();
        m_tempJumper->SetByNormal(m_bynorm);
        if (const vlapi::IPropertyToolBarPtr side{m_refPoint2->GetEdit()})
            side->SetButtonPressed(kByNormal, m_bynorm);
    }
}

bool BridgesProcess::OnButtonClick(int buttonId)
{
    if (buttonId != vlapi::pbEnter && buttonId != vlapi::pbEsc)
        return true;
    m_listJumpers.UnselectAll();
    if (buttonId == vlapi::pbEsc) {
        if (m_returnValue == 1)
            return true;
        m_returnValue = 2;
        if (m_model) {
            // The bridges placed in this run go; those of the drawing stay.
            LibraryEdit edit;
            m_model->ClearJumpers();
        }
        vrnApi::RefreshActiveWindow();
        return true;
    }
    m_returnValue = 1;
    if (m_model) {
        std::vector<INObjectPtr> bridges;
        m_model->GetJumperObjects(bridges);
        for (const INObjectPtr& bridge : bridges)
            bridge->SaveParams();
    }
    return true;
}

void BridgesProcess::UnadviseEvents()
{
    ClearPreview();
    BaseProcess::UnadviseEvents();
}

// ---- Placing by the cursor

void BridgesProcess::ClearPreview()
{
    if (m_phantom)
        m_phantom->Delete();
    m_phantom = nullptr;
    m_phantomGroup = 0;
}

bool BridgesProcess::CallBackCursor(double x, double y, double, bool dynamic)
{
    if (m_returnValue != 0 || m_editmode || !m_model)
        return true;
    UpdateRefPoints(x, y);
    const int ref = vrnApi::FindObjByPoint(NPoint{x, y});
    if (ref == 0 || dynamic) {
        // Over a bridge, or too near a bridge's end, the preview stays where it was.
        if (m_model->GetJumperByRef(ref) || m_model->CheckIntersectPointWithJumpers(x, y, m_width)) {
            if (m_process) {
                m_process->SetMask(kHoverMask);
                m_process->RefreshPanel();
            }
        } else if (m_tempJumper) {
            ClearPreview();
            m_tempJumper->GetPhantomGroup(x, y, m_second, m_phantomGroup);
            m_phantom = vlapi::IDrawingGroupPtr(hostAccess::ObjectOf(vrnApi::GetActiveDocument2D(), m_phantomGroup));
        }
        return true;
    }
    Click(ref, x, y);
    UpdateControls();
    return true;
}

void BridgesProcess::Click(int ref, double x, double y)
{
    LibraryEdit edit;
    if (m_model->GetJumperByRef(ref)) {
        m_listJumpers.InvertSelect(ref);
        return;
    }
    INObjectPtr owner;
    if (MayStandOnSheet(m_type))
        owner = m_model->CheckObjectForJumperOwner(ref, x, y, m_width, NestingObjectType::Sheet);
    if (!owner)
        owner = m_model->CheckObjectForJumperOwner(ref, x, y, m_width, NestingObjectType::Figure);
    if (!owner || !m_tempJumper)
        return;
    if (!OnePoint(m_type) && !m_second) {
        m_tempJumper->SetOwner1(owner);
        m_tempJumper->SetPoint1(x, y);
        m_second = true;
        return;
    }
    // The last click: the bridge is made, on the bridges layer only.
    m_layerNumber = vrnApi::CreateLayer(m_layerName, m_layerColor, false);
    if (m_layerNumber < 0)
        return;
    if (OnePoint(m_type)) {
        m_tempJumper->SetOwner1(owner);
        m_tempJumper->SetPoint1(x, y);
    } else {
        m_tempJumper->SetOwner2(owner);
        m_tempJumper->SetPoint2(x, y);
        m_second = false;
    }
    m_model->AddJumper(m_tempJumper, m_layerNumber);
    m_tempJumper = m_model->CreateJumper(x, y, m_width, m_type, m_bynorm);
}

void RunBridgesProcess()
{
    StartCommand<BridgesProcess>();
}
