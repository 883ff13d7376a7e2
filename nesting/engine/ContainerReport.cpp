// What a placement run tells of the parts it left in the container: each
// part by name with its count, and why it found no sheet where that is known.
#include "engine/NestingOptimizer.h"
#include "geometry/UtilityFunctions.h"
#include "io/DxfUnits.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kHeading[] = L"Не размещены на листах и остались в контейнере:";
constexpr wchar_t kMismatch[] = L"толщина или материал не совпадают с листом";
constexpr wchar_t kLarger[] = L"больше любого листа";
constexpr wchar_t kOnlyTurned[] = L"помещается на лист только с поворотом на 90°";
constexpr wchar_t kNoRoom[] = L"не хватило места на листах";
// Lines named one by one; the rest are counted, so that the message fits
// on a screen however many kinds of parts a job leaves.
constexpr size_t kShownLines = 20;

struct Size {
    double width = 0.0;
    double height = 0.0;
};

bool Fits(const Size& part, const std::vector<Size>& room)
{
    return std::any_of(room.begin(), room.end(), [&](const Size& r) {
        return part.width <= r.width + EPS && part.height <= r.height + EPS;
    });
}

// The box of the figure's gap polygon; of its outline grown by half the gap
// where it has none.
NRect GapBox(const Figure& figure, double gap)
{
    if (!figure.m_poligons.empty() && figure.m_poligons.front())
        return figure.m_poligons.front()->GetGabarit();
    const NRect& rc = figure.m_borders.empty() ? figure.m_rectBorder : figure.m_borders.front()->GetGabarit();
    const double grow = 0.5 * gap + figure.GapSag();
    return {rc.pBot - NPoint{grow, grow}, rc.pTop + NPoint{grow, grow}};
}

// The name the drawing shows: the macro's (a figure read without its record
// has no name of its own yet).
std::wstring NameOf(const Figure& figure)
{
    return figure.m_macro ? figure.m_macro->GetName() : figure.m_name;
}

// The units of the DXF file a part was imported from, as the import said
// they scaled it ("единицы файла ($INSUNITS) — метры: размеры умножены на
// 1000"); empty when none did. A compound's are its first member's.
std::wstring UnitsOf(const Figure& figure)
{
    const auto compound = dynamic_cast<const CompoundFigure*>(&figure);
    const Figure& part = compound && !compound->m_figures.empty() && compound->m_figures.front()
                             ? *compound->m_figures.front()
                             : figure;
    return dxfimport::UnitsText(part.m_fileUnits);
}

// Why a part fits no sheet, with its size and the largest sheet's, so that
// a part drawn in other units than meant is seen for what it is: "больше
// любого листа: деталь 30000 × 20000 мм, лист 2500 × 1250 мм"; a part that
// would fit but for the gaps is said to; the units of its DXF file, where
// they scaled it, are named.
std::wstring LargerText(const Figure& figure, const Size& sheet)
{
    const NRect& rc = figure.m_borders.empty() || !figure.m_borders.front() ? figure.m_rectBorder
                                                                            : figure.m_borders.front()->GetGabarit();
    const Size part{rc.pTop.x - rc.pBot.x, rc.pTop.y - rc.pBot.y};
    const auto sizes = [](const Size& s) { return uf::NumberText(s.width) + L" × " + uf::NumberText(s.height) + L" мм"; };
    std::wstring text = std::wstring(kLarger) + L": деталь " + sizes(part);
    if (sheet.width > 0.0 && sheet.height > 0.0) {
        const std::vector<Size> whole{sheet};
        const bool alone = Fits(part, whole) || Fits({part.height, part.width}, whole);
        text += (alone ? L" с зазорами не помещается на лист " : L", лист ") + sizes(sheet);
    }
    if (const std::wstring units = UnitsOf(figure); !units.empty())
        text += L"; " + units;
    return text;
}

struct Line {
    std::wstring name;
    std::wstring reason;  // of its first part: the size a part larger than any sheet has
    const wchar_t* kind = nullptr;  // of the reason: parts of one name and kind are one line
    int count = 0;
};

}  // namespace

std::wstring NestingOptimizer::LeftInContainerText() const
{
    // The room a part's gap polygon has on each sheet (and on a sheet the run
    // would add), as the placement gives it: the sheet less what the edge gap
    // asks beyond the half figure gap the polygon already keeps (more than
    // the sheet where the edge gap is the smaller).
    const double margin = SheetInset(m_figureGap, m_sheetGap);
    std::vector<Size> room;
    Size largest;  // the sheet of the largest area, as the message names it
    const auto addRoom = [&](double width, double height) {
        room.push_back({width - 2.0 * margin, height - 2.0 * margin});
        if (width * height > largest.width * largest.height)
            largest = {width, height};
    };
    for (const SheetPtr& sheet : m_model.m_sheets)
        addRoom(sheet->GetWidth(), sheet->GetHeight());
    if (m_params.autoAddSheet)
        addRoom(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    const bool quarterTurns = m_params.rotateMethod == RotationType::Rotation90 ||
                              m_params.rotateMethod == RotationType::Rotation45 ||
                              m_params.rotateMethod == RotationType::RotationGorzVert;

    std::vector<Line> lines;
    const SheetOwners owners(m_model.m_sheets);
    for (const FigurePtr& figure : m_model.m_figures) {
        if (!figure)
            continue;
        if (owners.Of(*figure))
            continue;
        std::wstring reason;
        const wchar_t* kind = nullptr;
        const NRect box = GapBox(*figure, m_figureGap);
        const Size upright{box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y};
        const Size turned{upright.height, upright.width};
        // With 45° steps a part may fit only set on its corner.
        bool cornerwise = false;
        if (m_params.rotateMethod == RotationType::Rotation45 && !figure->m_poligons.empty() &&
            figure->m_poligons.front()) {
            const NPoint size = TurnedSize(figure->m_poligons.front()->m_points, 45.0);
            cornerwise = Fits({size.x, size.y}, room) || Fits({size.y, size.x}, room);
        }
        if (DiffersFromSheet(*figure))
            kind = kMismatch;
        else if (!Fits(upright, room) && !Fits(turned, room) && !cornerwise)
            kind = kLarger;
        else if (!Fits(upright, room) && !quarterTurns)
            kind = kOnlyTurned;
        else if (!m_params.autoAddSheet)
            kind = kNoRoom;
        if (kind == kLarger)
            reason = LargerText(*figure, largest);
        else if (kind == kMismatch)
            reason = std::wstring(kMismatch) + L": " + m_model.StockAgainstSheets(*figure);
        else if (kind)
            reason = kind;
        // A compound figure stands for its members.
        std::vector<std::wstring> names;
        if (const auto compound = std::dynamic_pointer_cast<CompoundFigure>(figure); compound && !compound->m_figures.empty()) {
            for (const FigurePtr& member : compound->m_figures)
                names.push_back(NameOf(*member));
        } else {
            names.push_back(NameOf(*figure));
        }
        for (const std::wstring& name : names) {
            // Parts of one name but of other stocks are lines of their own.
            auto it = std::find_if(lines.begin(), lines.end(), [&](const Line& l) {
                return l.name == name && l.kind == kind && (kind != kMismatch || l.reason == reason);
            });
            if (it == lines.end())
                it = lines.insert(lines.end(), Line{name, reason, kind, 0});
            ++it->count;
        }
    }
    if (lines.empty())
        return {};
    std::wstring text = kHeading;
    for (size_t i = 0; i < lines.size() && i < kShownLines; ++i) {
        const Line& line = lines[i];
        text += L"\n" + line.name + L" — " + std::to_wstring(line.count) + L" шт.";
        if (!line.reason.empty())
            text += L": " + line.reason;
    }
    if (lines.size() > kShownLines) {
        int pieces = 0;
        for (size_t i = kShownLines; i < lines.size(); ++i)
            pieces += lines[i].count;
        text += L"\n… и ещё " + std::to_wstring(lines.size() - kShownLines) + L" строк (" +
                std::to_wstring(pieces) + L" шт.)";
    }
    return text;
}
