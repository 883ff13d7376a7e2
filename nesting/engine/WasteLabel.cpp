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
    // The label is measured on placed copies of the macro's texts, which
    // are made in the drawing for this alone and go again at the end.
    std::vector<vlapi::IDrawingObjectPtr> texts;
    m_macro->GetTextObjectsFromMacro(nullptr, fonts, texts);
    if (texts.empty())
        return;
    if (vrnApi::GetActiveDocument2D()) {
        // The label's reference point becomes its horizontal middle: the
        // copy measured below and the macro's texts move alike.
        NRect box{};
        vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(texts.front()), box);
        const NPoint half{-(box.pTop.x - box.pBot.x) * 0.5, 0.0};
        vrnApi::OffsetObject(vlapi::IVarnelAPIObjectPtr(texts.front()), half);
        m_macro->OffsetTextInMacro(half);
    }
    // The finder always gets the outer ring one way round and the holes the
    // other. The holes are the parts' areas the remnant runs around: the
    // label keeps off them.
    NPolygonPtr outer = m_polygons.front()->GetCopy();
    if (outer->CheckDirection())
        outer->Invert();
    VectorPolygon holes;
    for (size_t i = 1; i < m_polygons.size(); ++i) {
        NPolygonPtr hole = m_polygons[i]->GetCopy();
        if (!hole->CheckDirection())
            hole->Invert();
        holes.push_back(std::move(hole));
    }
    InterPointBuilder finder;
    finder.Init(outer, holes);
    NPoint offset{};
    finder.FindInternalPointForTextPlacement(texts, {}, offset);
    m_macro->OffsetTextInMacro(offset);
    for (const vlapi::IDrawingObjectPtr& copy : texts)
        if (copy)
            copy->Delete();
}
