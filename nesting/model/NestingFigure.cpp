#include "model/NestingFigure.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"
#include "model/HotPointEditors.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace {

constexpr int kFigureCommand = static_cast<int>(MacroCommand::Figure);

double Width(const NRect& rc)
{
    return rc.pTop.x - rc.pBot.x;
}

double Height(const NRect& rc)
{
    return rc.pTop.y - rc.pBot.y;
}

template <class Fn>
void ForEachPolygon(Figure& figure, Fn fn)
{
    for (VectorPolygon* list : {&figure.m_borders, &figure.m_poligons, &figure.m_controls}) {
        for (const NPolygonPtr& polygon : *list)
            fn(*polygon);
    }
}

// Deep copies that keep their pole: a copy turns where the original would.
void AppendCopies(const VectorPolygon& from, VectorPolygon& to)
{
    for (const NPolygonPtr& polygon : from) {
        NPolygonPtr copy = polygon->GetCopy();
        copy->m_pole = polygon->m_pole;
        to.push_back(std::move(copy));
    }
}

}  // namespace

Figure::Figure(INestingMacroObjectPtr macro) : NObject(std::move(macro))
{
    m_color = NestingSetting::m_figureColor;
    m_command = MacroCommand::Figure;
    m_objectType = NestingObjectType::Figure;
}

Figure::~Figure() = default;

FigurePtr Figure::Create(INestingMacroObjectPtr macro)
{
    return std::make_shared<Figure>(std::move(macro));
}

// ---- Placement

void Figure::GetPlacement(double& x, double& y, double& angle) const
{
    NObject::GetPlacement(x, y, angle);
}

void Figure::SetPlacement(double x, double y, double angle, bool fromHP)
{
    NObject::SetPlacement(x, y, angle, fromHP);
    SetPolygonsPlacement(x, y, angle);
    TakeGabarits(); // the polygons found their boxes as they moved
}

void Figure::SetPolygonsPlacement(double x, double y, double angle)
{
    const double cosA = std::cos(angle * DR);
    const double sinA = std::sin(angle * DR);
    ForEachPolygon(*this, [&](NPolygon& polygon) { polygon.SetPlacement(x, y, cosA, sinA); });
}

void Figure::SetMirrorPlacement()
{
    NObject::SetMirrorPlacement();
    ForEachPolygon(*this, [](NPolygon& polygon) { polygon.MirrorX(); });
    UpdateGabarit();
}

void Figure::UpdateGabarit()
{
    if (!m_borders.empty())
        m_borders.front()->UpdateGabarit();
    if (!m_poligons.empty())
        m_poligons.front()->UpdateGabarit();
    TakeGabarits();
}

void Figure::TakeGabarits()
{
    if (!m_borders.empty())
        m_rectBorder = m_borders.front()->GetGabarit();
    if (!m_poligons.empty())
        m_rect = m_poligons.front()->GetGabarit();
}

void Figure::SetScale(double scale1, double scale2)
{
    if (!m_macro || std::fabs(scale1 - scale2) < EPS)
        return;
    if (std::fabs(m_scale1 - scale1) < EPS && std::fabs(m_scale2 - scale2) < EPS)
        return;
    const double factor = scale2 / scale1;
    m_macro->TransformScale(factor);
    ForEachPolygon(*this, [&](NPolygon& polygon) {
        polygon.Scale(factor);
        polygon.UpdateGabarit();
    });
    m_scale1 = scale1;
    m_scale2 = scale2;
    UpdateGabarit();
    m_rectArea = Width(m_rect) * Height(m_rect);
}

void Figure::RotateToMinGabarit()
{
    if (m_poligons.empty())
        return;
    SetPlacement(0.0, 0.0, m_poligons.front()->CalculateAngleMinGabarit(), false);
    if (Height(m_rect) > Width(m_rect))
        SetPlacement(0.0, 0.0, 90.0, false);
    m_rectArea = Width(m_rect) * Height(m_rect);
}

void Figure::ChangeView(int number, bool move)
{
    NObject::ChangeView(number, move);
    if (!m_macro)
        return;
    HP_Figure::refMacro = m_macro->GetReference();
    m_macro->SetMaterialPropertyToMacro(m_material);
}

// ---- Copies

void Figure::CopyDataFrom(const Figure& other)
{
    m_objectType = other.m_objectType;
    m_name = other.m_name;
    m_edit = other.m_edit;
    m_valid = other.m_valid;
    m_temp = other.m_temp;
    m_owner = other.m_owner;
    m_thickness = other.m_thickness;
    m_material = other.m_material;
    m_poligons.clear();
    m_controls.clear();
    AppendCopies(other.m_borders, m_borders);
    AppendCopies(other.m_poligons, m_poligons);
    AppendCopies(other.m_controls, m_controls);
    m_count = other.m_count;
    m_fileUnits = other.m_fileUnits;
    m_rectArea = other.m_rectArea;
    m_gap = other.m_gap;
    // The borders are the other's, followed on chords with its sag: the gap
    // polygons copied stand that much further out, as the other's do.
    m_borderSag = other.m_borderSag;
    m_beyond = other.m_beyond;
    m_beyondKnown = other.m_beyondKnown;
    m_sagKnown = other.m_sagKnown;
    m_roundKnown = other.m_roundKnown;
    m_area = other.m_area;
    m_length = other.m_length;
    m_color = other.m_color;
    m_equid = other.m_equid;
    m_child = other.m_child;
    m_sourceTextParams = other.m_sourceTextParams;
}

FigurePtr Figure::CreateCopy() const
{
    if (!m_macro)
        return {};
    INestingMacroObjectPtr macro = m_macro->CreateMacroCopy(kFigureCommand);
    if (!macro)
        return {};
    return CopyOn(std::move(macro));
}

void Figure::CreateCopies(int count, double step, std::vector<FigurePtr>& figures) const
{
    if (!m_macro)
        return;
    std::vector<INestingMacroObjectPtr> macros;
    m_macro->CreateMacroCopies(kFigureCommand, count, step, macros);
    for (INestingMacroObjectPtr& macro : macros)
        figures.push_back(CopyOn(std::move(macro)));
}

FigurePtr Figure::CopyOn(INestingMacroObjectPtr macro) const
{
    FigurePtr copy = Create(std::move(macro));
    copy->CopyDataFrom(*this);
    copy->m_edit = false;  // the model made this macro: removing the copy deletes it
    return copy;
}

void Figure::DestroyCompoundFigures(std::vector<FigurePtr>&) {}

// ---- Comparisons

bool Figure::IsEquilBorders(const Figure& other) const
{
    if (m_borders.size() != other.m_borders.size())
        return false;
    for (size_t i = 0; i < m_borders.size(); ++i) {
        if (!(*m_borders[i] == *other.m_borders[i]))
            return false;
    }
    return true;
}

bool Figure::IsEquilFigure(const Figure& other) const
{
    return IsEquilBorders(other) && IsEquilThicknessAndMaterial(other);
}

bool Figure::IsEquilThicknessAndMaterial(const Figure& other) const
{
    return std::fabs(m_thickness - other.m_thickness) < EPS && m_material == other.m_material;
}

bool Figure::CheckTriangularity() const
{
    return !m_borders.empty() && m_borders.front()->CheckTriangularity();
}

bool Figure::CheckMirror(const Figure& other) const
{
    return !m_borders.empty() && !other.m_borders.empty() &&
           m_borders.front()->CheckMirror(*other.m_borders.front());
}

bool Figure::CheckGap(double gap) const
{
    return std::fabs(m_gap - gap) < EPS;
}

bool Figure::CheckRectangle() const
{
    return !m_borders.empty() && m_borders.front()->CheckRectangle();
}

bool Figure::CheckOwnerThickness(double thickness)
{
    m_valid = OfStock(thickness, m_material);
    return m_valid;
}

bool Figure::CheckOwnerMaterial(const std::wstring& material)
{
    m_valid = OfStock(m_thickness, material);
    return m_valid;
}

bool Figure::OfStock(double thickness, const std::wstring& material) const
{
    const bool ofThickness = thickness < EPS || m_thickness < EPS || std::fabs(thickness - m_thickness) < EPS;
    return ofThickness && (m_material.empty() || material.empty() || m_material == material);
}

// ---- Border queries

bool Figure::GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const
{
    bool found = false;
    for (const NPolygonPtr& ring : m_borders) {
        const NPoint q = GetProjectionPointToPoligon(*ring, p);
        const double d = ::Distance(q, p);
        if (d < maxdist) {
            pp = q;
            maxdist = d;
            found = true;
        }
    }
    return found;
}

bool Figure::CheckContainPointOnBorders(const NPoint& p, double maxdist) const
{
    for (const NPolygonPtr& ring : m_borders) {
        if (::Distance(GetProjectionPointToPoligon(*ring, p), p) < maxdist)
            return true;
    }
    return false;
}

bool Figure::GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const
{
    for (const NPolygonPtr& ring : m_borders) {
        if (ring->Normal(p, pn1, pn2))
            return true;
    }
    return false;
}

bool Figure::GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0, NPoint& pi) const
{
    double minimum = 2147483647.0;
    for (const NPolygonPtr& ring : m_borders) {
        if (ring->CheckContainPointOn(p0))
            return ring->NearIntersectionToPoint(segm, p0, pi, minimum);
    }
    bool found = false;
    for (const NPolygonPtr& ring : m_borders) {
        if (ring->NearIntersectionToPoint(segm, p0, pi, minimum))
            found = true;
    }
    return found;
}

// ---- Texts, colouring, property, specification

void Figure::InitTextLayer()
{
    if (m_macro)
        m_macro->InitTextLayer();
}

void Figure::UpdateSizeText(double height, bool offset)
{
    if (!m_macro)
        return;
    const std::vector<FontParams> heights(m_sourceTextParams.size(), FontParams{height});
    m_macro->SetFontParams(heights, offset, false);
}

void Figure::GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool text)
{
    if (!m_macro)
        return;
    std::vector<FontParams> saved;
    if (text) {
        m_macro->GetFontParams(saved);
        m_macro->SetFontParams(m_sourceTextParams, false, true);
    }
    m_macro->GetDrawingObjectsFromMacro(nullptr, objects, true, text);
    if (text)
        m_macro->SetFontParams(saved, true, false);
}

void Figure::GetTextObjects(std::vector<vlapi::IDrawingObjectPtr>& objects)
{
    if (!m_macro)
        return;
    std::vector<FontParams> saved;
    m_macro->GetFontParams(saved);
    m_macro->GetTextObjectsFromMacro(nullptr, m_sourceTextParams, objects);
    m_macro->SetFontParams(saved, true, false);
}

void Figure::CreateColouring()
{
    if (!m_macro)
        return;
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    m_macro->GetMacroPlacement(x, y, angle);
    for (const NPolygonPtr& ring : m_borders)
        ring->SetPlacement(-x, -y, -angle * DR);
    m_macro->CreateColouringInMacro(m_borders, m_color);
    for (const NPolygonPtr& ring : m_borders)
        ring->SetPlacement(x, y, angle * DR);
}

void Figure::DeleteColouring()
{
    if (m_macro)
        m_macro->DeleteColouringInMacro(m_color);
}

void Figure::UpdateProperty()
{
    if (m_macro)
        m_macro->SetPropertyMacro(vrnApi::LoadStr(IDS_THICKNESS), m_thickness);
}

void Figure::CreateSpecificationObject()
{
    if (m_macro)
        m_macro->CreateSpecificationObject();
}
