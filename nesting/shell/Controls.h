// Panel controls carry no ids: a handler recognises the control of an event by
// comparing it with the controls it kept.
#pragma once

#include "vlapi/vlapi.h"

#include <string>
#include <type_traits>

// Two control pointers name the same control when they are the same pointer
// (two empty ones included), or when both are present and the host gives the
// same object for their common interface. The faces of a control (the edit of
// an edit with a check box, a list's tool bar) answer the control itself.
template <class A, class B>
bool SameControl(const A& a, const B& b)
{
    if constexpr (std::is_same_v<A, B>) {
        if (a == b)
            return true;
    }
    if (!a || !b)
        return !a && !b;
    const vlapi::IAPIObjectPtr first(a);
    const vlapi::IAPIObjectPtr second(b);
    return first && first == second;
}

// The tab set of a command's new panel, with the element the host hands out
// before any tab is added hidden; empty when the host gives no tab set.
inline vlapi::IPropertyTabsPtr OpenPanel(const vlapi::IProcessParamPtr& param)
{
    vlapi::IPropertyTabsPtr tabs = param ? param->GetPropertyTabs() : nullptr;
    if (vlapi::IPropertyTabPtr first = tabs ? tabs->GetTab(0) : nullptr)
        first->SetVisible(false);
    return tabs;
}

// A new tab with `caption` (kept in `tab` when asked) and its controls; empty
// when the host gives none.
inline vlapi::IPropertyControlsPtr AddTab(const vlapi::IPropertyTabsPtr& tabs, const std::wstring& caption,
                                          vlapi::IPropertyTabPtr* tab = nullptr)
{
    const vlapi::IPropertyTabPtr added = tabs ? tabs->Add(caption) : nullptr;
    if (tab)
        *tab = added;
    return added ? added->GetControls() : nullptr;
}

// A control of `kind` appended to `controls`, as the interface of `Ptr`; empty
// when the host gives none.
template <class Ptr>
Ptr AddControl(const vlapi::IPropertyControlsPtr& controls, int kind)
{
    return controls ? Ptr(controls->Add(kind)) : Ptr();
}

// A check box given the option every panel gives check boxes (1), then its
// caption; empty when the host gives none.
inline vlapi::IPropertyCheckBoxPtr AddCheckBox(const vlapi::IPropertyControlsPtr& controls, const std::wstring& caption)
{
    const auto box = AddControl<vlapi::IPropertyCheckBoxPtr>(controls, vlapi::vlControlCheckBox);
    if (box) {
        box->SetOption(1);
        box->SetCaption(caption);
    }
    return box;
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
    if (const vlapi::IPropertyEditPtr edit = control ? control->GetEdit() : nullptr)
        edit->SetText(text);
}
