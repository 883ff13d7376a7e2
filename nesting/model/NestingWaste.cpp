// The basics of a remnant: its construction and stored record.
#include "model/NestingWaste.h"

#include "model/NestingSetting.h"
#include "model/NestingSheet.h"

Waste::Waste(INestingMacroObjectPtr macro) : NObject(std::move(macro))
{
    m_objectType = NestingObjectType::Waste;
    m_command = MacroCommand::Waste;
    m_color = NestingSetting::m_wasteColor;
}

WastePtr Waste::Create(INestingMacroObjectPtr macro)
{
    return std::make_shared<Waste>(std::move(macro));
}

void Waste::UpdateGabarit()
{
    if (m_polygons.empty())
        return;
    m_polygons.front()->UpdateGabarit();
    m_rect = m_polygons.front()->GetGabarit();
}

void Waste::SaveParams()
{
    if (!m_macro)
        return;
    if (m_owner)
        m_ownerRef = m_owner->GetReference();
    ByteBlock block;
    size_t offset = 0;
    SaveWasteParams(block, offset);
    m_macro->SaveMacroParams(block);
}

void Waste::LoadParams()
{
    if (!m_macro)
        return;
    ByteBlock block;
    m_macro->LoadMacroParams(block);
    size_t offset = 0;
    LoadWasteParams(block, offset);
}

void Waste::ChangeLayer(int layer)
{
    if (m_macro)
        m_macro->ChangeMacroLayer(layer);
}

void Waste::ChangeText(std::wstring text)
{
    if (m_macro)
        m_macro->ChangeTextInMacro(std::move(text));
}
