#include "shell/CommandSnapshot.h"

#include "host/VarnelAPI.h"
#include "model/BridgeAnchors.h"
#include "model/NestingModel.h"
#include "model/NestingSetting.h"

bool CommandSnapshot::Take(const vlapi::IVarnelDocument2DPtr& doc)
{
    Drop();
    Keep(NestingModel::m_widthSheet);
    Keep(NestingModel::m_heightSheet);
    Keep(NestingModel::m_materialSheet);
    Keep(NestingModel::m_session);
    Keep(NestingModel::copyParams);
    Keep(NestingSetting::m_instance);
    Keep(NestingSetting::m_withoutLayout);
    Keep(CompoundFigure::m_index);
    return m_drawing.Take(doc);
}

void CommandSnapshot::RestoreValues()
{
    for (auto it = m_restorers.rbegin(); it != m_restorers.rend(); ++it)
        (*it)();
    m_restorers.clear();
}

bool CommandSnapshot::Restore()
{
    RestoreValues();
    if (!m_drawing.Holds())
        return false;
    DrawingSnapshot::Moved moved;
    const vlapi::IVarnelDocument2DPtr doc = m_drawing.Document();
    const bool whole = m_drawing.Restore(moved);
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromDoc(doc, macros);
    FollowMovedSheets(macros, moved);
    FollowMovedOwners(macros, moved);
    return whole;
}

void CommandSnapshot::Drop()
{
    m_restorers.clear();
    m_drawing.Drop();
}
