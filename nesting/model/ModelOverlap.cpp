// The model-wide check after a placement: every figure against the sheets'
// thickness and material and against the other figures, shown by the macro
// style (1 valid, 3 in conflict). Also the turn of all figures to their
// smallest bounding rectangle and the colourings of all figures.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr int kValidStyle = 1;
constexpr int kInvalidStyle = 3;

// A figure with its view and the box of its outer control polygon.
struct Placed {
    FigurePtr figure;
    int view;
    NRect box;
};

NRect BoxOf(const NPolygon& polygon) {
    NRect box{{std::numeric_limits<double>::max(), std::numeric_limits<double>::max()},
              {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()}};
    for (const NPoint& p : polygon.m_points) {
        box.pBot.x = std::min(box.pBot.x, p.x);
        box.pBot.y = std::min(box.pBot.y, p.y);
        box.pTop.x = std::max(box.pTop.x, p.x);
        box.pTop.y = std::max(box.pTop.y, p.y);
    }
    return box;
}

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
        // Pairs of one view whose outlines' boxes meet, swept along x: a
        // drawing of thousands of figures is not tested pair by pair.
        std::vector<Placed> placed;
        placed.reserve(m_figures.size());
        for (const FigurePtr& each : m_figures) {
            if (each && !each->m_controls.empty()) {
                placed.push_back({each, each->GetView(), BoxOf(*each->m_controls.front())});
            }
        }
        std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
            return a.view != b.view ? a.view < b.view : a.box.pBot.x < b.box.pBot.x;
        });
        for (size_t i = 0; i < placed.size(); ++i) {
            for (size_t j = i + 1; j < placed.size() && placed[j].view == placed[i].view &&
                                   placed[j].box.pBot.x <= placed[i].box.pTop.x;
                 ++j) {
                if (placed[j].box.pBot.y <= placed[i].box.pTop.y && placed[i].box.pBot.y <= placed[j].box.pTop.y) {
                    overlap = placed[i].figure->CheckIntersect(placed[j].figure) || overlap;
                }
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
