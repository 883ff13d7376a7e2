// What a placement run tells of the parts it placed that have no thickness or
// no material of their own: they fit a sheet of any, and the registers give
// them the sheet's.
#include "engine/NestingOptimizer.h"
#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Lines named one by one; the rest are counted, as the parts left in the
// container are.
constexpr size_t kShownLines = 20;

struct Line {
    std::wstring name;
    std::wstring taken;  // "без толщины, без материала"
    int count = 0;
};

}  // namespace

std::wstring NestingOptimizer::SheetStockTakenText() const
{
    const double sheetThickness = m_model.m_thicknessSheet;
    const std::wstring& sheetMaterial = NestingModel::m_materialSheet;
    const bool sheetHasThickness = sheetThickness >= EPS;
    if (!sheetHasThickness && sheetMaterial.empty())
        return {};
    bool thickness = false, material = false;  // some part takes the sheet's
    std::vector<Line> lines;
    const SheetOwners owners(m_model.m_sheets);
    for (const FigurePtr& figure : m_model.m_figures) {
        if (!figure || !owners.Of(*figure))
            continue;
        // Each part of a joined pair is counted, as the registers count them.
        for (const FigurePtr& part : PartsOf(figure)) {
            const bool noThickness = sheetHasThickness && part->m_thickness < EPS;
            const bool noMaterial = !sheetMaterial.empty() && part->m_material.empty();
            if (!noThickness && !noMaterial)
                continue;
            thickness = thickness || noThickness;
            material = material || noMaterial;
            const std::wstring taken = noThickness && noMaterial ? L"без толщины, без материала"
                                       : noThickness             ? L"без толщины"
                                                                 : L"без материала";
            const std::wstring name = part->m_macro ? part->m_macro->GetName() : part->m_name;
            auto it = std::find_if(lines.begin(), lines.end(),
                                   [&](const Line& l) { return l.name == name && l.taken == taken; });
            if (it == lines.end())
                it = lines.insert(lines.end(), Line{name, taken, 0});
            ++it->count;
        }
    }
    if (lines.empty())
        return {};
    std::wstring own, sheets, stock;
    if (thickness) {
        own = L"своей толщины";
        sheets = L"толщиной";
        stock = uf::NumberText(sheetThickness) + L" мм";
    }
    if (material) {
        own += own.empty() ? L"своего материала" : L" или материала";
        sheets += sheets.empty() ? L"материалом" : L" и материалом";
        stock += (stock.empty() ? L"«" : L", «") + sheetMaterial + L"»";
    }
    std::wstring text = L"Детали без " + own + L" размещены на листах и в ведомостях записываются с " + sheets +
                        L" листа (" + stock + L"):";
    for (size_t i = 0; i < lines.size() && i < kShownLines; ++i)
        text += L"\n" + lines[i].name + L" — " + std::to_wstring(lines[i].count) + L" шт.: " + lines[i].taken;
    if (lines.size() > kShownLines) {
        int pieces = 0;
        for (size_t i = kShownLines; i < lines.size(); ++i)
            pieces += lines[i].count;
        text += L"\n… и ещё " + std::to_wstring(lines.size() - kShownLines) + L" строк (" + std::to_wstring(pieces) +
                L" шт.)";
    }
    return text;
}
