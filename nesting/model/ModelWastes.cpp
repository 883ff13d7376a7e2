// Remnants in the model: finishing a new remnant, deleting, choosing and
// showing them.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"

#include <algorithm>

namespace {


std::wstring WastesLayerName()
{
    return vrnApi::LoadStr(IDS_WASTES);
}

}  // namespace

void NestingModel::InitWasteParams(WastePtr waste, SheetPtr sheet, bool transform)
{
    if (!waste || !sheet)
        return;
    waste->m_owner = sheet;
    waste->m_ownerRef = sheet->GetReference();
    waste->m_method = m_wasteMethod;
    waste->m_thickness = m_thicknessSheet;
    waste->m_material = m_materialSheet;
    waste->InitParams(transform);
    waste->AddText(m_textSize);
    waste->UpdateSizeText(m_textSize);
    waste->m_startPoint = NPoint{0.0, 0.0};
    waste->SaveParams();
    if (sheet->m_macro)
        sheet->m_macro->SetCurrentMacroView();
    if (waste->m_macro)
        waste->m_macro->ChangeMacroLayer(vrnApi::CreateLayer(WastesLayerName(), m_wastesColor, m_wastesHide));
}

void NestingModel::DelWaste(WastePtr& waste)
{
    const auto it = std::find(m_wastes.begin(), m_wastes.end(), waste);
    if (!waste || it == m_wastes.end())
        return;
    // The caller's pointer may be the list's own element: it is emptied
    // before the element is erased, so no other remnant is touched.
    const WastePtr doomed = waste;
    waste.reset();
    doomed->m_edit = false;
    doomed->Clear();
    doomed->m_owner.reset();
    m_wastes.erase(it);
}

void NestingModel::ClearWastesByMethod(bool method)
{
    std::vector<WastePtr> doomed;
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(doomed),
                 [method](const WastePtr& waste) { return waste->m_method == method; });
    for (WastePtr& waste : doomed) {
        waste->Clear();
        DelWaste(waste);
    }
}

void NestingModel::SelectWastesByMethod(bool method, bool on)
{
    for (const WastePtr& waste : m_wastes) {
        if (waste->m_method != method || !waste->m_macro || waste->m_choose == on)
            continue;
        waste->m_macro->ChooseMacro(on);
        waste->m_choose = on;
    }
}

void NestingModel::DeleteNonRectangularWastes()
{
    std::vector<WastePtr> doomed;
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(doomed),
                 [this](const WastePtr& waste) { return !waste->CheckRectangle(m_wastRectSize); });
    for (WastePtr& waste : doomed) {
        waste->Clear();
        DelWaste(waste);
    }
}

void NestingModel::GetRectWasteObjects(std::vector<WastePtr>& wastes) const
{
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(wastes),
                 [this](const WastePtr& waste) { return waste->CheckRectangle(m_wastRectSize); });
}

void NestingModel::UpdateWastes()
{
    vrnApi::ShowHideLayer(WastesLayerName(), m_wastesHide);
}

void FollowMovedSheets(const std::vector<INestingMacroObjectPtr>& macros, const std::map<reference, reference>& moved)
{
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Waste))
            continue;
        const WastePtr waste = Waste::Create(macro);
        waste->LoadParams();
        const auto found = moved.find(waste->m_ownerRef);
        if (found == moved.end())
            continue;
        waste->m_ownerRef = found->second;
        waste->SaveParams();
    }
}
