// The model-wide check after a placement: every figure against the sheets'
// thickness and material and against the other figures, shown by the macro
// style (1 valid, 3 in conflict). Also the turn of all figures to their
// smallest bounding rectangle and the colourings of all figures.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"

namespace {

constexpr int kValidStyle = 1;
constexpr int kInvalidStyle = 3;

void ShowValidity(const Figure& figure) {
    if (figure.m_macro) {
        figure.m_macro->ChangeStyleMacro(figure.m_valid ? kValidStyle : kInvalidStyle);
    }
}

}  // namespace

bool NestingModel::MarkConflicts(FigurePtr figure, bool& mismatch) {
    for (const FigurePtr& each : m_figures) {
        each->m_valid = true;
    }
    // Thickness and material: a figure must match in both.
    std::vector<FigurePtr> checked;
    if (figure) {
        checked.push_back(figure);
    } else {
        checked = m_figures;
    }
    bool anyMatches = false;
    bool anyMismatch = false;
    for (const FigurePtr& each : checked) {
        const bool thickness = each->CheckOwnerThickness(m_thicknessSheet);
        const bool material = each->CheckOwnerMaterial(m_materialSheet);
        each->m_valid = thickness && material;
        anyMatches = anyMatches || each->m_valid;
        anyMismatch = anyMismatch || !each->m_valid;
    }
    // A part in the container, however large, lies on no sheet: figures of
    // different views never overlap.
    const auto overlapping = [](const FigurePtr& a, const FigurePtr& b) {
        return a && b && a->GetView() == b->GetView() && a->CheckIntersect(b);
    };
    bool overlap = false;
    if (figure && anyMatches) {
        for (const FigurePtr& other : m_figures) {
            overlap = overlapping(figure, other) || overlap;
        }
    } else if (anyMatches) {
        for (size_t i = 0; i < m_figures.size(); ++i) {
            for (size_t j = i + 1; j < m_figures.size(); ++j) {
                overlap = overlapping(m_figures[i], m_figures[j]) || overlap;
            }
        }
    }
    mismatch = !m_figures.empty() && anyMismatch;
    return overlap;
}

bool NestingModel::CheckIntersectAllFigures(FigurePtr figure, bool tellMismatch) {
    bool mismatch = false;
    const bool overlap = MarkConflicts(figure, mismatch);
    if (figure) {
        ShowValidity(*figure);
    }
    for (const FigurePtr& each : m_figures) {
        ShowValidity(*each);
    }
    if (mismatch && tellMismatch) {
        vrnApi::ShowErrorMessage(IDS_MESS_THICKNESS_MATERIAL);
    }
    return overlap;
}

void NestingModel::RotateAllFiguresToMinGabarit() {
    if (m_checkOrient) {
        return;
    }
    for (const FigurePtr& figure : m_figures) {
        figure->RotateToMinGabarit();
    }
}

void NestingModel::CreateFigureColouring() {
    for (const FigurePtr& figure : m_figures) {
        figure->CreateColouring();
    }
}

void NestingModel::DeleteFigureColouring() {
    for (const FigurePtr& figure : m_figures) {
        figure->DeleteColouring();
    }
}
