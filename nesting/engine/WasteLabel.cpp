// The remnant's label placed where it fits inside the outline.
#include "engine/InterPointBuilder.h"
#include "host/VarnelAPI.h"
#include "model/NestingWaste.h"

void Waste::CorrectTextPosition()
{
    if (!m_macro || m_polygons.empty())
        return;
    std::vector<FontParams> fonts;
    m_macro->GetFontParams(fonts);
    std::vector<vlapi::IDrawingObjectPtr> texts;
    m_macro->GetTextObjectsFromMacro(nullptr, fonts, texts);
    if (texts.empty())
        return;
    if (vrnApi::GetActiveDocument2D()) {
        // The label's reference point becomes its horizontal middle. Moving
        // the macro's texts moves this text object too: it is moved once.
        NRect box{};
        vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(texts.front()), box);
        m_macro->OffsetTextInMacro(NPoint{-(box.pTop.x - box.pBot.x) * 0.5, 0.0});
    }
    NPolygonPtr outer = m_polygons.front()->GetCopy();
    if (outer->CheckDirection())
        outer->Invert();
    InterPointBuilder finder;
    finder.Init(outer, {});
    NPoint offset{};
    finder.FindInternalPointForTextPlacement(texts, {}, offset);
    m_macro->OffsetTextInMacro(offset);
}
