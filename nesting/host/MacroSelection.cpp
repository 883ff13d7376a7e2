// Selection, choice and looks of a library macro.
#include "host/NestingMacro.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

namespace {

vlapi::IColouringPtr FirstColouring(const vlapi::IMacroObjectPtr& macro)
{
    vlapi::IDrawingContainerPtr container(macro);
    vlapi::IColouringsPtr colourings = container ? container->GetColourings() : vlapi::IColouringsPtr{};
    if (!colourings || colourings->GetCount() == 0)
        return {};
    return vlapi::IColouringPtr(colourings->GetItem(0));
}

void RestyleGeometry(const vlapi::IMacroObjectPtr& macro, int style)
{
    std::vector<vlapi::IDrawingObjectPtr> objects;
    vrnApi::GetGeomObjectsFromMacro(macro, objects, true);
    for (const vlapi::IDrawingObjectPtr& obj : objects) {
        obj->SetStyle(style);
        obj->Update();
    }
}

}  // namespace

bool NMacroObject::CheckSelect()
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    vlapi::ISelectionManagerPtr selection = doc ? doc->GetSelectionManager() : vlapi::ISelectionManagerPtr{};
    if (!m_macro || !selection)
        return false;
    for (const vlapi::IVarnelAPIObjectPtr& selected : selection->GetSelectedObjects()) {
        if (selected && hostAccess::SameObject(selected, m_macro))
            return true;
    }
    return false;
}

void NMacroObject::SelectMacro(bool select)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    vlapi::ISelectionManagerPtr selection = doc ? doc->GetSelectionManager() : vlapi::ISelectionManagerPtr{};
    if (!m_macro || !selection)
        return;
    if (select)
        selection->Select(hostAccess::ListOf(m_macro));
    else
        selection->Unselect(hostAccess::ListOf(m_macro));
}

void NMacroObject::ChooseMacro(bool choose)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    vlapi::IChooseManagerPtr chosen = doc ? doc->GetChooseManager() : vlapi::IChooseManagerPtr{};
    if (!m_macro || !chosen)
        return;
    if (choose)
        chosen->Choose(hostAccess::ListOf(m_macro));
    else
        chosen->Unchoose(hostAccess::ListOf(m_macro));
}

void NMacroObject::SetBorderStyle(int style)
{
    if (!m_macro)
        return;
    RestyleGeometry(m_macro, style);
    m_macro->Update();
}

void NMacroObject::ChangeStyleMacro(int style)
{
    if (vlapi::IColouringPtr colouring = FirstColouring(m_macro)) {
        const int target = style == 1 ? NestingSetting::m_figureColor : NestingSetting::m_errorColor;
        const bool changed = colouring->GetColor() != target;
        colouring->SetColor(target);
        colouring->Update();
        if (changed)
            RestyleGeometry(m_macro, style);
    }
    std::vector<INestingMacroObjectPtr> members;
    GetMacroObjectsFromMacro(members);
    for (const INestingMacroObjectPtr& member : members)
        member->ChangeStyleMacro(style);
}

bool NMacroObject::CheckStyleMacro() const
{
    vlapi::IColouringPtr colouring = FirstColouring(m_macro);
    return colouring && colouring->GetColor() == NestingSetting::m_errorColor;
}
