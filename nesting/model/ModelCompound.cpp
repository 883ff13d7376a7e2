// Joining equal right-triangle figures of the model into compound figures,
// and splitting them again.
#include "model/NestingModel.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_set>

namespace {

// Removes the listed objects; the others keep their order.
void RemoveEach(std::vector<FigurePtr>& figures, const std::vector<FigurePtr>& removed)
{
    const std::unordered_set<const Figure*> gone = [&] {
        std::unordered_set<const Figure*> set;
        for (const FigurePtr& figure : removed)
            set.insert(figure.get());
        return set;
    }();
    figures.erase(std::remove_if(figures.begin(), figures.end(),
                                 [&](const FigurePtr& figure) { return gone.count(figure.get()) != 0; }),
                  figures.end());
}

NRect OutlineRect(const Figure& figure)
{
    NPolygon& outline = *figure.m_borders.front();
    outline.UpdateGabarit();
    return outline.GetGabarit();
}

bool SameSize(const NRect& ra, const NRect& rb)
{
    return std::fabs((ra.pTop.x - ra.pBot.x) - (rb.pTop.x - rb.pBot.x)) < EPS &&
           std::fabs((ra.pTop.y - ra.pBot.y) - (rb.pTop.y - rb.pBot.y)) < EPS;
}

bool HasOutline(const Figure& figure)
{
    return !figure.m_borders.empty() && figure.m_borders.front();
}

// A right triangle of the model, with its outline's rectangle.
struct Candidate {
    size_t index;
    NRect rect;
};

// Equal right triangles (of these outline rectangles) of one thickness and
// material (mirror images or not).
bool CanPair(const Figure& a, const Figure& b, const NRect& ra, const NRect& rb)
{
    return std::fabs(a.m_thickness - b.m_thickness) < EPS && a.m_material == b.m_material && SameSize(ra, rb);
}

// A mirror image is joined mirrored back and turned half round.
void MirrorForJoin(Figure& figure)
{
    figure.SetMirrorPlacement();
    figure.SetPlacement(0.0, 0.0, 180.0, false);
    figure.m_symmetry = true;
}

// The ends on a figure mirrored for a join, mirrored with it: across the x
// axis, then half round its placement point.
void MirrorForJoin(std::vector<BridgeAnchors::Handover>& ends, const Figure& figure)
{
    for (BridgeAnchors::Handover& end : ends) {
        const BridgeAnchors::Placement& was = end.fromAt;
        end.at = {2.0 * was.x - end.at.x, end.at.y - 2.0 * was.y};
        figure.GetPlacement(end.fromAt.x, end.fromAt.y, end.fromAt.angle);
    }
}

void UndoMirrorForJoin(Figure& figure)
{
    figure.SetPlacement(0.0, 0.0, -180.0, false);
    figure.SetMirrorPlacement();
    figure.m_symmetry = false;
}

}  // namespace

void NestingModel::CreateCompoundFigures()
{
    if (m_figures.size() < 2)
        return;
    // Only right triangles pair: each figure's shape is looked at once, and
    // the pairs are sought among the triangles alone.
    std::vector<Candidate> triangles;
    for (size_t i = 0; i < m_figures.size(); ++i) {
        const Figure& figure = *m_figures[i];
        if (!HasOutline(figure))
            continue;
        const NRect rect = OutlineRect(figure);
        if (figure.CheckTriangularity())
            triangles.push_back({i, rect});
    }
    std::vector<FigurePtr> compounds;
    std::vector<FigurePtr> joined;
    std::vector<char> taken(m_figures.size(), 0);
    for (size_t a = 0; a + 1 < triangles.size(); ++a) {
        const FigurePtr& first = m_figures[triangles[a].index];
        if (taken[triangles[a].index])
            continue;
        for (size_t b = a + 1; b < triangles.size(); ++b) {
            const FigurePtr& second = m_figures[triangles[b].index];
            if (taken[triangles[b].index] || !CanPair(*first, *second, triangles[a].rect, triangles[b].rect))
                continue;
            const bool mirror = first->CheckMirror(*second);
            if (mirror && !m_uniteMirrors)
                continue;
            if (CompoundFigurePtr compound = JoinPair(first, second, mirror)) {
                compounds.push_back(compound);
                joined.push_back(first);
                joined.push_back(second);
                taken[triangles[a].index] = 1;
                taken[triangles[b].index] = 1;
            }
            break;
        }
    }
    RemoveEach(m_figures, joined);
    m_figures.insert(m_figures.end(), compounds.begin(), compounds.end());
    if (!compounds.empty())
        InitFigurePolygons();
}

CompoundFigurePtr NestingModel::JoinPair(const FigurePtr& first, const FigurePtr& second, bool mirror,
                                        std::optional<double> slide, const std::wstring& name)
{
    // The bridges on the pair go with them into the compound.
    std::vector<BridgeAnchors::Handover> bridges = m_heldBridges.Leave(first->m_macro);
    std::vector<BridgeAnchors::Handover> mirrored = m_heldBridges.Leave(second->m_macro);
    if (mirror) {
        MirrorForJoin(*second);
        MirrorForJoin(mirrored, *second);
    }
    bridges.insert(bridges.end(), mirrored.begin(), mirrored.end());
    CompoundFigurePtr compound = CompoundFigure::Create(nullptr);
    if (!compound->AddFigures(first, second, m_figureGap, slide, name)) {
        if (mirror)
            UndoMirrorForJoin(*second);  // a pair that stays apart keeps its own looks
        return nullptr;
    }
    m_heldBridges.Hand(bridges, {compound});
    compound->InitParams();
    compound->m_edit = first->m_edit;
    compound->m_gap = first->m_gap;
    compound->SetThickness(first->m_thickness);
    compound->SetMaterial(first->m_material);
    return compound;
}

std::vector<FigurePtr> NestingModel::SplitCompoundFigures(const std::function<bool(const Figure&)>& which)
{
    std::vector<FigurePtr> restored;
    std::vector<FigurePtr> compounds;
    for (const FigurePtr& figure : m_figures) {
        if (figure->m_objectType != NestingObjectType::CompoundFigure || !which(*figure))
            continue;
        // The bridges on the compound go with the members under them.
        if (const auto* compound = dynamic_cast<const CompoundFigure*>(figure.get()))
            m_heldBridges.Split(*compound, restored, [&] { figure->DestroyCompoundFigures(restored); });
        else
            figure->DestroyCompoundFigures(restored);
        compounds.push_back(figure);
    }
    m_figures.insert(m_figures.end(), restored.begin(), restored.end());
    RemoveEach(m_figures, compounds);
    return restored;
}

void NestingModel::DestroyCompoundFigures()
{
    SplitCompoundFigures([](const Figure&) { return true; });
    CompoundFigure::m_index = 0;
}
