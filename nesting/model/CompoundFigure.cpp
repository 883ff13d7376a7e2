// Compound figures: two members joined in one figure macro, and split again.
#include "model/NestingFigure.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"
#include "geometry/PairSlide.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {


// A figure on a member macro, with its own stored record.
FigurePtr LoadMember(INestingMacroObjectPtr macro)
{
    FigurePtr figure = Figure::Create(std::move(macro));
    figure->LoadParams();
    return figure;
}

NPoint BoxCentre(NPolygon& polygon)
{
    polygon.UpdateGabarit();
    const NRect& rc = polygon.GetGabarit();
    return {(rc.pBot.x + rc.pTop.x) / 2.0, (rc.pBot.y + rc.pTop.y) / 2.0};
}

NPolygon Centred(const NPolygon& polygon, const NPoint& centre)
{
    NPolygon centred(NPoint{}, polygon.m_points);
    centred.Offset(NPoint{} - centre);
    return centred;
}

// The joined outline of two borders where the first one stands, and the turn
// about the origin and the following shift that lay the second one against
// it. The outlines meet along their longest edges only when each is centred
// on its box; they are joined so and the move is carried back to where they
// stand.
NPolygonPtr JoinOutlines(NPolygon& border1, NPolygon& border2, double gap, NPoint& shift, double& angle)
{
    const NPoint centre1 = BoxCentre(border1);
    const NPoint centre2 = BoxCentre(border2);
    NPolygonPtr outline = CompoundPolygonsToRectangle(Centred(border1, centre1), Centred(border2, centre2), gap,
                                                      shift.x, shift.y, angle);
    if (!outline)
        return outline;
    outline->Offset(centre1);
    NPoint turned = centre2;
    turned.Rotate(NPoint{}, angle * DR);
    shift = shift + centre1 - turned;
    return outline;
}

// The outline of two borders side by side: the second turned until its
// longest edge runs back along the first one's, `gap` off it, and slid by
// `slide` along it from where the two edges' middles face each other; their
// hull (no longer a rectangle), with the turn about the origin and the
// following shift of the second border.
NPolygonPtr SlideOutlines(const NPolygon& border1, const NPolygon& border2, double gap, double slide, NPoint& shift,
                          double& angle)
{
    const std::optional<PairEdge> edge1 = LongestEdgeOf(border1);
    const std::optional<PairEdge> edge2 = LongestEdgeOf(border2);
    if (!edge1 || !edge2)
        return nullptr;
    angle = std::remainder(std::atan2(-edge1->along.y, -edge1->along.x) - std::atan2(edge2->along.y, edge2->along.x),
                           2.0 * PI) * RD;
    NPoint middle2 = edge2->middle;
    middle2.Rotate(NPoint{}, angle * DR);
    shift = edge1->middle - middle2 +
            NPoint{gap * edge1->out.x + slide * edge1->along.x, gap * edge1->out.y + slide * edge1->along.y};
    std::vector<NPoint> points = border1.m_points;
    for (NPoint p : border2.m_points) {
        p.Rotate(NPoint{}, angle * DR);
        points.push_back(p + shift);
    }
    std::vector<NPoint> hull;
    CreateConvexHull(points, hull);
    return std::make_shared<NPolygon>(NPoint{}, hull);
}

// The moves that put the two members of a join side by side.
struct JoinMove {
    NPoint centre;    // first member: moved by this
    NPoint second;    // second member: moved by this, then turned
    double angle = 0.0;
};

// The joined outline turns the second polygon about the origin, the figure
// turns about its placement point: the difference goes into its move.
NPoint TurnOffset(const Figure& figure, double angle)
{
    double x = 0.0;
    double y = 0.0;
    double current = 0.0;
    figure.GetPlacement(x, y, current);
    NPoint turned{x, y};
    turned.Rotate(NPoint{}, angle * DR);
    return turned - NPoint{x, y};
}

void ApplyJoinMove(Figure& figure1, Figure& figure2, NPolygon& outline, const JoinMove& move)
{
    figure1.SetPlacement(move.centre.x, move.centre.y, 0.0, false);
    figure2.SetPlacement(move.second.x, move.second.y, move.angle, false);
    outline.Offset(move.centre);
}

void UndoJoinMove(Figure& figure1, Figure& figure2, NPolygon& outline, const JoinMove& move)
{
    figure1.SetPlacement(-move.centre.x, -move.centre.y, 0.0, false);
    figure2.SetPlacement(-move.second.x, -move.second.y, -move.angle, false);
    outline.Offset(NPoint{} - move.centre);
}

}  // namespace

CompoundFigure::CompoundFigure(INestingMacroObjectPtr macro) : Figure(std::move(macro))
{
    m_objectType = NestingObjectType::CompoundFigure;
}

CompoundFigure::~CompoundFigure()
{
    m_figures.clear();
}

CompoundFigurePtr CompoundFigure::Create(INestingMacroObjectPtr macro)
{
    return std::make_shared<CompoundFigure>(std::move(macro));
}

std::vector<INestingMacroObjectPtr> CompoundFigure::MemberMacros() const
{
    std::vector<INestingMacroObjectPtr> macros;
    if (m_macro)
        m_macro->GetMacroObjectsFromMacro(macros);
    return macros;
}

void CompoundFigure::InitParams()
{
    if (m_macro)
        m_macro->GetFontParams(m_sourceTextParams);
}

// ---- Joining

bool CompoundFigure::AddFigures(FigurePtr figure1, FigurePtr figure2, double gap, std::optional<double> slide,
                               const std::wstring& name)
{
    if (!figure1 || !figure2)
        return false;
    m_figures.clear();
    if (figure1->m_borders.empty() || figure2->m_borders.empty())
        return false;

    JoinMove move;
    NPoint shift;
    NPolygon& border1 = *figure1->m_borders.front();
    NPolygon& border2 = *figure2->m_borders.front();
    const NPolygonPtr outline = slide ? SlideOutlines(border1, border2, gap, *slide, shift, move.angle)
                                      : JoinOutlines(border1, border2, gap, shift, move.angle);
    if (!outline || outline->m_points.empty())
        return false;
    outline->UpdateGabarit();
    m_rect = outline->GetGabarit();
    m_rectBorder = m_rect;
    move.centre = NPoint{-(m_rect.pBot.x + m_rect.pTop.x) / 2.0, -(m_rect.pBot.y + m_rect.pTop.y) / 2.0};
    move.second = move.centre + shift + TurnOffset(*figure2, move.angle);

    ApplyJoinMove(*figure1, *figure2, *outline, move);
    figure1->m_valid = true;
    figure2->m_valid = true;
    // Overlapping, or the host made no compound macro: both stay single
    // figures where they were.
    // A pair joined again keeps its name; a new one takes the next number.
    const std::wstring named =
        name.empty() ? vrnApi::LoadStr(IDS_COMPOUND_FIGURE) + L" " + std::to_wstring(m_index + 1) : name;
    INestingMacroObjectPtr macro;
    if (!figure1->CheckIntersect(figure2))
        macro = vrnApi::CreateMacroByMacros(figure1->m_macro, figure2->m_macro, named);
    if (!macro) {
        // A refused join is no verdict on the figures as they stand apart.
        figure1->m_valid = true;
        figure2->m_valid = true;
        UndoJoinMove(*figure1, *figure2, *outline, move);
        return false;
    }
    figure1->m_child = true;
    figure2->m_child = true;
    figure1->SaveParams();
    figure2->SaveParams();
    m_name = named;
    if (name.empty())
        ++m_index;
    m_figures = {figure1, figure2};
    m_thickness = figure1->m_thickness;
    m_macro = std::move(macro);
    m_borders = {outline};
    m_area = figure1->m_area + figure2->m_area;
    m_length = figure1->m_length + figure2->m_length;
    m_borderSag = std::max(figure1->GapSag(), figure2->GapSag());
    m_sagKnown = figure1->HasSagOutward() && figure2->HasSagOutward() ? 1 : 0;
    m_beyondKnown = 0;
    return true;
}

// ---- Splitting

void CompoundFigure::DestroyCompoundFigures(std::vector<FigurePtr>& figures)
{
    if (!m_macro)
        return;
    const std::vector<INestingMacroObjectPtr> macros = MemberMacros();
    m_macro->DestroyMacro();
    for (size_t k = 0; k < macros.size(); ++k) {
        FigurePtr figure = LoadMember(macros[k]);
        // Members known to the compound hand on their thickness and material;
        // a member macro the list does not know keeps its own record's.
        if (k < m_figures.size() && macros.size() == m_figures.size()) {
            figure->SetThickness(m_figures[k]->m_thickness);
            figure->SetMaterial(m_figures[k]->m_material);
        }
        figure->m_edit = m_edit;
        figure->m_gap = m_gap;
        if (figure->m_symmetry) {
            double x = 0.0;
            double y = 0.0;
            double angle = 0.0;
            figure->GetPlacement(x, y, angle);
            figure->SetPlacement(-x, -y, -angle, false);
            figure->m_symmetry = false;
            figure->SetMirrorPlacement();
        }
        // Stored once the member stands as it will be drawn.
        figure->SaveParams();
        figures.push_back(std::move(figure));
    }
    m_figures.clear();
}

bool CompoundFigure::HoldsMember(reference ref) const
{
    const std::vector<INestingMacroObjectPtr> macros = MemberMacros();
    return ref != 0 && std::any_of(macros.begin(), macros.end(), [ref](const INestingMacroObjectPtr& macro) {
               return macro && macro->GetReference() == ref;
           });
}

void CompoundFigure::UpdateFigures()
{
    if (!m_macro)
        return;
    m_figures.clear();
    for (const INestingMacroObjectPtr& macro : MemberMacros())
        m_figures.push_back(LoadMember(macro));
}

std::vector<FigurePtr> PartsOf(const FigurePtr& figure)
{
    const auto* compound = dynamic_cast<const CompoundFigure*>(figure.get());
    if (compound && !compound->m_figures.empty())
        return compound->m_figures;
    return {figure};
}

// ---- Overrides

void CompoundFigure::ChangeView(int number, bool move)
{
    Figure::ChangeView(number, move);
    UpdateFigures();
}

void CompoundFigure::SaveParams()
{
    Figure::SaveParams();
    for (const FigurePtr& member : m_figures)
        member->SaveParams();
}

void CompoundFigure::LoadParams()
{
    Figure::LoadParams();
    UpdateFigures();
}

FigurePtr CompoundFigure::CreateCopy() const
{
    FigurePtr copy = Figure::CreateCopy();
    if (copy)
        copy->LoadParams();
    return copy;
}

void CompoundFigure::SetThickness(double thickness)
{
    Figure::SetThickness(thickness);
    for (const FigurePtr& member : m_figures)
        member->SetThickness(thickness);
}

void CompoundFigure::SetMaterial(std::wstring material)
{
    for (const FigurePtr& member : m_figures)
        member->SetMaterial(material);
    Figure::SetMaterial(std::move(material));
}

void CompoundFigure::GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool text)
{
    for (const INestingMacroObjectPtr& member : MemberMacros())
        member->GetDrawingObjectsFromMacro(m_macro, objects, true, text);
}

void CompoundFigure::GetTextObjects(std::vector<vlapi::IDrawingObjectPtr>& objects)
{
    for (const INestingMacroObjectPtr& member : MemberMacros())
        member->GetTextObjectsFromMacro(m_macro, m_sourceTextParams, objects);
}

void CompoundFigure::CreateColouring()
{
    for (const FigurePtr& member : m_figures)
        member->CreateColouring();
}

void CompoundFigure::DeleteColouring()
{
    for (const FigurePtr& member : m_figures)
        member->DeleteColouring();
}
