#include "io/SheetFaults.h"

#include "host/VarnelAPI.h"
#include "io/RegisterTables.h"

#include <algorithm>

void SheetFaults::Clear()
{
    m_overlaps.clear();
    m_leftOut.clear();
}

void SheetFaults::Read(NestingModel& model)
{
    Clear();
    for (const auto& [a, b] : model.OverlappingFigures()) {
        const SheetPtr sheet = registers::SheetInView(model.m_sheets, a->GetView());
        if (!sheet)
            continue;  // the container is no sheet
        auto it = std::find_if(m_overlaps.begin(), m_overlaps.end(),
                               [&](const auto& entry) { return entry.first == sheet; });
        if (it == m_overlaps.end())
            it = m_overlaps.insert(m_overlaps.end(), {sheet, {}});
        for (const FigurePtr& figure : {a, b}) {
            if (std::find(it->second.begin(), it->second.end(), figure) == it->second.end())
                it->second.push_back(figure);
        }
    }
    // Each sheet's parts in the drawing's order.
    const auto position = [&model](const FigurePtr& figure) {
        return std::find(model.m_figures.begin(), model.m_figures.end(), figure) - model.m_figures.begin();
    };
    for (auto& entry : m_overlaps)
        std::stable_sort(entry.second.begin(), entry.second.end(),
                         [&](const FigurePtr& x, const FigurePtr& y) { return position(x) < position(y); });
    for (const FigurePtr& figure : model.m_figures) {
        if (!figure)
            continue;
        SheetPtr home;
        bool beyond = false;
        for (const SheetPtr& sheet : model.m_sheets) {
            if (sheet->GetView() != 0 && sheet->GetView() != figure->GetView())
                continue;
            if (sheet->CheckContainFigure(figure)) {
                home = sheet;
                beyond = false;
                break;
            }
            if (!home && CheckIntersectRects(sheet->m_rect, figure->m_rectBorder)) {
                home = sheet;
                beyond = true;
            }
        }
        // One standing wholly off the sheet of its view is on that sheet's
        // map all the same (its register lists it there): past its edge.
        if (!home) {
            home = registers::SheetInView(model.m_sheets, figure->GetView());
            beyond = true;
        }
        if (!home || (!beyond && figure->OfStock(model.m_thicknessSheet, NestingModel::m_materialSheet)))
            continue;
        auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(), [&](const LeftOut& entry) { return entry.sheet == home; });
        if (it == m_leftOut.end())
            it = m_leftOut.insert(m_leftOut.end(), LeftOut{home, {}});
        it->parts.emplace_back(figure, beyond);
    }
}

std::wstring SheetFaults::OverlapNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    if (m_overlaps.empty())
        return {};
    constexpr size_t kNamesShown = 5;  // part names of one sheet, the rest counted
    std::wstring text = L"\n\n" + heading;
    for (const SheetPtr& sheet : sheets) {
        const auto it = std::find_if(m_overlaps.begin(), m_overlaps.end(),
                                     [&](const auto& entry) { return entry.first == sheet; });
        if (it == m_overlaps.end())
            continue;
        std::vector<std::wstring> names;
        size_t parts = 0;
        for (const FigurePtr& figure : it->second) {
            for (const FigurePtr& part : PartsOf(figure)) {
                ++parts;
                if (std::find(names.begin(), names.end(), part->GetName()) == names.end())
                    names.push_back(part->GetName());
            }
        }
        text += L"\n" + sheet->m_name + L" (деталей: " + std::to_wstring(parts) + L"): ";
        for (size_t i = 0; i < names.size() && i < kNamesShown; ++i)
            text += (i > 0 ? L", " : L"") + names[i];
        if (names.size() > kNamesShown)
            text += L" и ещё " + std::to_wstring(names.size() - kNamesShown);
    }
    return text;
}

std::wstring SheetFaults::LeftOutNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const
{
    if (m_leftOut.empty())
        return {};
    constexpr size_t kShown = 5;  // parts of one sheet, the rest counted
    std::wstring text = L"\n\n" + heading;
    for (const SheetPtr& sheet : sheets) {
        const auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(),
                                     [&](const LeftOut& entry) { return entry.sheet == sheet; });
        if (it == m_leftOut.end())
            continue;
        std::vector<std::wstring> named;
        for (const auto& [figure, beyond] : it->parts) {
            for (const FigurePtr& part : PartsOf(figure))
                named.push_back(part->GetName() + (beyond ? L" (за краем листа)" : L" (другой толщины или материала)"));
        }
        text += L"\n" + sheet->m_name + L": ";
        for (size_t i = 0; i < named.size() && i < kShown; ++i)
            text += (i > 0 ? L", " : L"") + named[i];
        if (named.size() > kShown)
            text += L" и ещё " + std::to_wstring(named.size() - kShown);
    }
    return text;
}

std::wstring LostBridgesNote(const std::wstring& heading, const std::vector<reference>& lost,
                             const std::vector<SheetPtr>& sheets, bool elsewhere)
{
    constexpr size_t kShown = 5;  // bridges of one sheet, the rest counted
    std::vector<std::pair<int, std::wstring>> bridges;  // view and name
    for (const reference ref : lost) {
        if (const INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(ref))
            bridges.emplace_back(macro->GetMacroViewNumber(), macro->GetName());
    }
    if (bridges.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    const auto line = [&](const std::wstring& lead, const auto& of) {
        std::vector<std::wstring> names;
        for (const auto& [view, name] : bridges) {
            if (of(view))
                names.push_back(name);
        }
        if (names.empty())
            return;
        text += L"\n" + lead;
        for (size_t i = 0; i < names.size() && i < kShown; ++i)
            text += (i > 0 ? L", " : L"") + names[i];
        if (names.size() > kShown)
            text += L" и ещё " + std::to_wstring(names.size() - kShown);
    };
    for (const SheetPtr& sheet : sheets)
        line(sheet->m_name + L": ", [&](int view) { return view == sheet->GetView(); });
    if (elsewhere)
        line(L"", [&](int view) { return !registers::SheetInView(sheets, view); });
    return text;
}
