// The figure record kept in the figure's macro: parameters, source text
// heights and the three polygon lists in the macro's own frame.
#include "model/FigureRecord.h"
#include "model/NestingFigure.h"

#include "host/VarnelAPI.h"

namespace {

struct Placement {
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
};

Placement MacroPlacement(const INestingMacroObjectPtr& macro)
{
    Placement placement;
    macro->GetMacroPlacement(placement.x, placement.y, placement.angle);
    return placement;
}

}  // namespace

void Figure::SaveParams()
{
    if (!m_macro)
        return;
    const Placement at = MacroPlacement(m_macro);
    SetPolygonsPlacement(-at.x, -at.y, -at.angle);
    const FigureRecord record{*this, *this, m_sourceTextParams, m_borders, m_poligons, m_controls};
    const ByteBlock block = SaveFigureRecord(record);
    SetPolygonsPlacement(at.x, at.y, at.angle);

    m_macro->SaveMacroParams(block);
    m_macro->SetMaterialPropertyToMacro(m_material);
}

void Figure::LoadParams()
{
    if (!m_macro)
        return;
    ByteBlock block;
    m_macro->LoadMacroParams(block);
    FigureRecord record;
    if (!block.empty() && !LoadFigureRecord(block, record)) {
        vrnApi::Message(L"Запись фигуры \"" + m_macro->GetName() + L"\" повреждена и не прочитана");
        return;
    }
    m_borders.clear();
    m_poligons.clear();
    m_controls.clear();
    if (block.empty())
        return;

    static_cast<ObjectParams&>(*this) = record.object;
    static_cast<FigureParams&>(*this) = record.figure;
    if (!record.texts.empty())
        m_sourceTextParams = std::move(record.texts);
    m_borders = std::move(record.borders);
    m_poligons = std::move(record.poligons);
    m_controls = std::move(record.controls);

    const Placement at = MacroPlacement(m_macro);
    SetPolygonsPlacement(at.x, at.y, at.angle);
    UpdateGabarit();
    // The stored cut length is the outline's, measured with its area when the
    // outline was read; a record without a usable one is measured on its rings.
    if (!(m_length > 0.0)) {
        m_length = 0.0;
        for (const NPolygonPtr& ring : m_borders)
            m_length += ring->CalculateLength();
    }
    m_rectArea = (m_rect.pTop.x - m_rect.pBot.x) * (m_rect.pTop.y - m_rect.pBot.y);
    m_name = m_macro->GetName();
    m_material = m_macro->GetMaterialPropertyFromMacro();
}
