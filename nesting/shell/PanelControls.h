// Small helpers the command panels share: making a tab and its controls, and
// setting a control that the host may have refused to make (an empty pointer
// is skipped, so that a panel with a missing control still works).
#pragma once

#include "host/VarnelAPI.h"
#include "vlapi/vlapi.h"

#include <cstdio>
#include <string>
#include <vector>

namespace panel {

// The library's text of a resource id.
inline std::wstring Str(int id)
{
    return vrnApi::LoadStr(id);
}

// The controls of a new tab captioned `caption`; the panel's default tab is
// hidden first. `tab` receives the tab when asked for.
inline vlapi::IPropertyControlsPtr AddTab(const vlapi::IProcessParamPtr& param, const std::wstring& caption,
                                          vlapi::IPropertyTabPtr* tab = nullptr)
{
    const vlapi::IPropertyTabsPtr tabs = param ? param->GetPropertyTabs() : nullptr;
    if (!tabs)
        return nullptr;
    if (tabs->GetCount() > 0) {
        if (const vlapi::IPropertyTabPtr first = tabs->GetTab(0))
            first->SetVisible(false);
    }
    const vlapi::IPropertyTabPtr added = tabs->Add(caption);
    if (tab)
        *tab = added;
    return added ? added->GetControls() : nullptr;
}

// A control of `kind` appended to `controls`, as its kind's interface `Ptr`;
// empty when the host gave none.
template <class Ptr>
Ptr Add(const vlapi::IPropertyControlsPtr& controls, int kind)
{
    return controls ? Ptr(controls->Add(kind)) : Ptr();
}

// The same, captioned.
template <class Ptr>
Ptr Add(const vlapi::IPropertyControlsPtr& controls, int kind, const std::wstring& caption)
{
    Ptr control = Add<Ptr>(controls, kind);
    if (control)
        control->SetCaption(caption);
    return control;
}

// A check box: the panels' check-box setting, then its caption.
inline vlapi::IPropertyCheckBoxPtr AddCheckBox(const vlapi::IPropertyControlsPtr& controls, const std::wstring& caption)
{
    vlapi::IPropertyCheckBoxPtr box = Add<vlapi::IPropertyCheckBoxPtr>(controls, vlapi::vlControlCheckBox);
    if (box) {
        box->SetOption(1);
        box->SetCaption(caption);
    }
    return box;
}

// A list of texts with the panels' list setting.
inline vlapi::IPropertyListPtr AddList(const vlapi::IPropertyControlsPtr& controls, const std::wstring& caption,
                                       const std::vector<std::wstring>& items)
{
    vlapi::IPropertyListPtr list = Add<vlapi::IPropertyListPtr>(controls, vlapi::vlControlListStr, caption);
    if (list) {
        list->SetItems(items);
        list->SetOption(1);
    }
    return list;
}

// An edit of `kind` with its range.
inline vlapi::IPropertyEditPtr AddEdit(const vlapi::IPropertyControlsPtr& controls, int kind, const std::wstring& caption,
                                       double minimum, double maximum)
{
    vlapi::IPropertyEditPtr edit = Add<vlapi::IPropertyEditPtr>(controls, kind, caption);
    if (edit)
        edit->SetRange(minimum, maximum);
    return edit;
}

template <class C>
void Show(const C& control, bool visible)
{
    if (control)
        control->SetVisible(visible);
}

template <class C>
void Enable(const C& control, bool enable)
{
    if (control)
        control->SetEnable(enable);
}

template <class C>
void Caption(const C& control, const std::wstring& caption)
{
    if (control)
        control->SetCaption(caption);
}

inline void SetReal(const vlapi::IPropertyEditPtr& edit, double value)
{
    if (edit)
        edit->SetReal(value);
}

inline void SetInt(const vlapi::IPropertyEditPtr& edit, int value)
{
    if (edit)
        edit->SetInt(value);
}

inline void SetText(const vlapi::IPropertyEditPtr& edit, const std::wstring& text)
{
    if (edit)
        edit->SetText(text);
}

// The edit face of an edit with a check box, captioned, its insertion mark on.
inline void SetUpPathEdit(const vlapi::IPropertyEditCheckBoxPtr& control, const std::wstring& caption)
{
    if (const vlapi::IPropertyEditPtr edit = control ? control->GetEdit() : nullptr) {
        edit->SetCaption(caption);
        edit->SetMark(true);
    }
}

// The text of the edit face of an edit with a check box.
inline void SetPathText(const vlapi::IPropertyEditCheckBoxPtr& control, const std::wstring& text)
{
    SetText(control ? control->GetEdit() : nullptr, text);
}

inline void SetChecked(const vlapi::IPropertyCheckBoxPtr& box, bool checked)
{
    if (box)
        box->SetChecked(checked);
}

inline bool Checked(const vlapi::IPropertyCheckBoxPtr& box)
{
    return box && box->GetChecked();
}

inline void SetCurrent(const vlapi::IPropertyListPtr& list, int index)
{
    if (list)
        list->SetCurrentItem(index);
}

// The index of the list's current text among its items; -1 without one.
inline int CurrentIndex(const vlapi::IPropertyListPtr& list)
{
    return list ? list->FindItem(list->GetCurrentText()) : -1;
}

inline void SetButton(const vlapi::IPropertyToolBarPtr& bar, int id, bool enable, bool pressed)
{
    if (!bar)
        return;
    bar->SetButtonEnable(id, enable);
    bar->SetButtonPressed(id, pressed);
}

inline bool Pressed(const vlapi::IPropertyToolBarPtr& bar, int id)
{
    return bar && bar->GetButtonPressed(id);
}

// The process prompt, then the panel shown again.
inline void Finish(const vlapi::IProcessPtr& process, const std::wstring& prompt)
{
    if (!process)
        return;
    process->SetPrompt(prompt);
    process->RefreshPanel();
}

// A number formatted as the panels show it ("%1.1f" and the like).
inline std::wstring Format(const wchar_t* format, double value)
{
    wchar_t buffer[255];
    const int n = std::swprintf(buffer, 255, format, value);
    return n > 0 ? std::wstring(buffer, static_cast<size_t>(n)) : std::wstring();
}

}  // namespace panel
