// The model-wide check after a placement: every figure against the sheets'
// thickness and material and against the other figures, shown by the macro
// style (1 valid, 3 in conflict). Also the turn of all figures to their
// smallest bounding rectangle and the colourings of all figures.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"
#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int kValidStyle = 1;
constexpr int kInvalidStyle = 3;

void ShowValidity(const Figure& figure) {
    if (figure.m_macro) {
        figure.m_macro->ChangeStyleMacro(figure.m_valid ? kValidStyle : kInvalidStyle);
    }
}

// The pairs (i < j) of figures that may overlap: of one view, their control
// outlines' rectangles meeting. Others cannot (figures of different views
// never overlap), so that the test is not asked of every pair of a job of
// thousands. Each figure's view is asked once.
std::vector<std::pair<size_t, size_t>> PairsThatMayOverlap(const std::vector<FigurePtr>& figures) {
    struct Entry {
        int view;
        NRect box;
        size_t index;
    };
    std::vector<Entry> entries;
    for (size_t i = 0; i < figures.size(); ++i) {
        const FigurePtr& f = figures[i];
        if (!f || f->m_controls.empty() || !f->m_controls.front()) {
            continue;
        }
        entries.push_back({f->GetView(), f->m_controls.front()->GetGabarit(), i});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.view != b.view ? a.view < b.view : a.box.pBot.x < b.box.pBot.x;
    });
    // Well past the tolerances of the outline tests.
    constexpr double kSlack = 1.0;
    std::vector<std::pair<size_t, size_t>> pairs;
    for (size_t a = 0; a < entries.size(); ++a) {
        const Entry& e = entries[a];
        for (size_t b = a + 1; b < entries.size() && entries[b].view == e.view &&
                               entries[b].box.pBot.x <= e.box.pTop.x + kSlack;
             ++b) {
            const Entry& o = entries[b];
            if (o.box.pTop.x >= e.box.pBot.x - kSlack && o.box.pBot.y <= e.box.pTop.y + kSlack &&
                o.box.pTop.y >= e.box.pBot.y - kSlack) {
                pairs.emplace_back(std::min(e.index, o.index), std::max(e.index, o.index));
            }
        }
    }
    std::sort(pairs.begin(), pairs.end());
    return pairs;
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
        overlap = !OverlappingFigures().empty();
    }
    mismatch = !m_figures.empty() && anyMismatch;
    return overlap;
}

std::vector<std::pair<FigurePtr, FigurePtr>> NestingModel::OverlappingFigures() {
    std::vector<std::pair<FigurePtr, FigurePtr>> overlapping;
    for (const auto& [i, j] : PairsThatMayOverlap(m_figures)) {
        if (m_figures[i]->CheckIntersect(m_figures[j])) {
            overlapping.emplace_back(m_figures[i], m_figures[j]);
        }
    }
    return overlapping;
}

std::wstring NestingModel::StockAgainstSheets(const Figure& figure) const {
    const auto stock = [](double thickness, const std::wstring& material) {
        return (thickness > 0.0 ? uf::NumberText(thickness) + L" мм" : std::wstring(L"без толщины")) + L", " +
               (material.empty() ? std::wstring(L"без материала") : L"«" + material + L"»");
    };
    std::wstring text = L"деталь " + stock(figure.m_thickness, figure.m_material) + L", лист " +
                        stock(m_thicknessSheet, m_materialSheet);
    if (uf::DifferOnlyInLookalikes(figure.m_material, m_materialSheet)) {
        text += L" — материалы различаются только латинскими и русскими буквами одного вида";
        if (const std::wstring mixed = uf::MixedScriptsText(figure.m_material); !mixed.empty()) {
            text += L": " + mixed;
        }
    }
    return text;
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
        // Each kind of part that differs, with its thickness and material against the sheets'.
        constexpr size_t kShownLines = 20;
        std::vector<std::pair<std::wstring, int>> lines;
        for (const FigurePtr& each : m_figures) {
            if (!each || each->m_valid) {
                continue;
            }
            const std::wstring stock = StockAgainstSheets(*each);
            for (const FigurePtr& part : PartsOf(each)) {
                const std::wstring line = (part->m_macro ? part->m_macro->GetName() : part->m_name) + L": " + stock;
                const auto it =
                    std::find_if(lines.begin(), lines.end(), [&](const auto& l) { return l.first == line; });
                if (it == lines.end()) {
                    lines.emplace_back(line, 1);
                } else {
                    ++it->second;
                }
            }
        }
        std::wstring text = vrnApi::LoadStr(IDS_MESS_THICKNESS_MATERIAL) + L":";
        for (size_t i = 0; i < lines.size() && i < kShownLines; ++i) {
            const int count = lines[i].second;
            text += L"\n" + lines[i].first + (count > 1 ? L" (" + std::to_wstring(count) + L" шт.)" : L"");
        }
        if (lines.size() > kShownLines) {
            text += L"\n… и ещё " + std::to_wstring(lines.size() - kShownLines) + L" строк";
        }
        vrnApi::ShowErrorText(text);
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
