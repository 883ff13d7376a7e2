// What a placement run does with a joined pair of parts larger than every
// sheet, and tells of the parts it left in the container: each part by name
// with its count, and why it found no sheet where that is known.
#include "engine/NestingOptimizer.h"
#include "geometry/PairSlide.h"
#include "geometry/UtilityFunctions.h"
#include "io/DxfUnits.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
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

// Parts by name, in the order met, each with its count, under the heading.
std::wstring CountedByName(const wchar_t* heading, const std::vector<FigurePtr>& parts)
{
    std::vector<std::pair<std::wstring, int>> counts;
    for (const FigurePtr& part : parts) {
        const std::wstring name = NameOf(*part);
        const auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == name; });
        if (it == counts.end())
            counts.emplace_back(name, 1);
        else
            ++it->second;
    }
    if (counts.empty())
        return {};
    std::wstring text = heading;
    for (const auto& [name, count] : counts)
        text += L"\n" + name + L" — " + std::to_wstring(count) + L" шт.";
    return text;
}

// Why a part fits no sheet, with its size and the largest sheet's, so that
// a part drawn in other units than meant is seen for what it is: "больше
// любого листа: деталь 30000 × 20000 мм, лист 2500 × 1250 мм"; a part that
// would fit but for the gaps is said to; the units of its DXF file, where
// they scaled it, are named ("единицы файла ($INSUNITS) — метры: размеры
// умножены на 1000"). Of a joined pair, the size of one of its parts
// (the pair's outline, gap and all, is no part's).
std::wstring LargerText(const FigurePtr& figure, const Size& sheet)
{
    const Figure& part = *PartsOf(figure).front();
    const NRect& rc = part.m_borders.empty() || !part.m_borders.front() ? part.m_rectBorder
                                                                        : part.m_borders.front()->GetGabarit();
    const Size size{rc.pTop.x - rc.pBot.x, rc.pTop.y - rc.pBot.y};
    const auto sizes = [](const Size& s) { return uf::NumberText(s.width) + L" × " + uf::NumberText(s.height) + L" мм"; };
    std::wstring text = std::wstring(kLarger) + L": деталь " + sizes(size);
    if (sheet.width > 0.0 && sheet.height > 0.0) {
        const std::vector<Size> whole{sheet};
        const bool alone = Fits(size, whole) || Fits({size.height, size.width}, whole);
        text += (alone ? L" с зазорами не помещается на лист " : L", лист ") + sizes(sheet);
    }
    if (const std::wstring units = dxfimport::UnitsText(part.m_fileUnits); !units.empty())
        text += L"; " + units;
    return text;
}

// The room a part's gap polygon has on each sheet of a run (and on a sheet
// the run would add), as the placement gives it: the sheet less what the edge
// gap asks beyond the half figure gap the polygon already keeps (more than
// the sheet where the edge gap is the smaller).
class SheetRoom {
public:
    explicit SheetRoom(const NestingOptimizer& run) : m_run(run)
    {
        const double margin = SheetInset(run.m_figureGap, run.m_sheetGap);
        const auto add = [&](double width, double height) {
            m_room.push_back({width - 2.0 * margin, height - 2.0 * margin});
            if (width * height > m_largest.width * m_largest.height)
                m_largest = {width, height};
        };
        for (const SheetPtr& sheet : run.m_model.m_sheets)
            add(sheet->GetWidth(), sheet->GetHeight());
        if (run.m_params.autoAddSheet)
            add(NestingModel::m_widthSheet, NestingModel::m_heightSheet);
    }

    bool None() const { return m_room.empty(); }
    // The room of each sheet, as a width and a height.
    std::vector<NPoint> Rooms() const
    {
        std::vector<NPoint> rooms;
        for (const Size& r : m_room)
            rooms.push_back({r.width, r.height});
        return rooms;
    }
    // The sheet of the largest area, as a refusal names it.
    const Size& Largest() const { return m_largest; }

    bool FitsUpright(const Figure& figure) const { return Fits(Upright(figure), m_room); }

    // In any turn the run may give it: upright, a quarter turned, or with 45°
    // steps set on its corner.
    bool FitsAnyTurn(const Figure& figure) const
    {
        const Size upright = Upright(figure);
        if (Fits(upright, m_room) || Fits({upright.height, upright.width}, m_room))
            return true;
        if (m_run.m_params.rotateMethod != RotationType::Rotation45 || figure.m_poligons.empty() ||
            !figure.m_poligons.front())
            return false;
        const NPoint size = NestingOptimizer::TurnedSize(figure.m_poligons.front()->m_points, 45.0);
        return Fits({size.x, size.y}, m_room) || Fits({size.y, size.x}, m_room);
    }

private:
    Size Upright(const Figure& figure) const
    {
        const NRect box = GapBox(figure, m_run.m_figureGap);
        return {box.pTop.x - box.pBot.x, box.pTop.y - box.pBot.y};
    }

    const NestingOptimizer& m_run;
    std::vector<Size> m_room;
    Size m_largest;
};

struct Line {
    std::wstring name;
    std::wstring reason;  // of its first part: the size a part larger than any sheet has
    const wchar_t* kind = nullptr;  // of the reason: parts of one name and kind are one line
    int count = 0;
};

}  // namespace

std::vector<FigurePtr> NestingOptimizer::SplitPairsLargerThanSheets()
{
    m_pairsTogether.clear();
    m_pairsApart.clear();
    const SheetRoom room(*this);
    if (room.None())
        return {};
    // Only where its parts fit alone: two parts larger than any sheet stay
    // one pair, refused with one part's size.
    struct Split {
        std::wstring name;
        std::vector<reference> members;  // of the members' macros, in the pair's order
        bool mirror = false;             // the second was mirrored for the join
    };
    std::vector<Split> splits;
    std::vector<FigurePtr> members = m_model.SplitCompoundFigures([&](const Figure& figure) {
        const auto* compound = dynamic_cast<const CompoundFigure*>(&figure);
        const bool split = compound && !room.FitsAnyTurn(figure) &&
                           std::any_of(compound->m_figures.begin(), compound->m_figures.end(),
                                       [&](const FigurePtr& member) { return member && room.FitsAnyTurn(*member); });
        if (split) {
            Split& made = splits.emplace_back(Split{NameOf(figure), {}, false});
            for (const FigurePtr& member : compound->m_figures) {
                made.members.push_back(member && member->m_macro ? member->m_macro->GetReference() : 0);
                made.mirror = made.mirror || (member && member->m_symmetry);
            }
        }
        return split;
    });
    // Members joined before they had gap polygons of their own get them.
    if (!members.empty())
        m_model.InitMissingFigurePolygons();
    // The two parts side by side, the second slid along the first one's
    // longest edge, placed as one where they so fit a sheet: joined again,
    // slid so, in the first part's turn.
    std::unordered_map<reference, FigurePtr> byMacro;
    for (const FigurePtr& member : members)
        if (member->m_macro)
            byMacro.emplace(member->m_macro->GetReference(), member);
    const auto memberOf = [&](reference ref) {
        const auto it = byMacro.find(ref);
        return ref == 0 || it == byMacro.end() ? nullptr : it->second;
    };
    const bool quarterTurns = m_params.rotateMethod == RotationType::Rotation90 ||
                              m_params.rotateMethod == RotationType::Rotation45 ||
                              m_params.rotateMethod == RotationType::RotationGorzVert;
    std::unordered_set<const Figure*> joined;
    for (const Split& split : splits) {
        if (split.members.size() != 2)
            continue;
        const FigurePtr first = memberOf(split.members[0]);
        const FigurePtr second = memberOf(split.members[1]);
        // A pair of another stock goes to no sheet either way.
        if (!first || !second || first->m_borders.empty() || !first->m_borders.front() || DiffersFromSheet(*first))
            continue;
        const NRect box = PointsBox(first->m_borders.front()->m_points);
        const NRect reach = GapBox(*first, m_figureGap);
        const double grow = std::max((reach.pTop.x - reach.pBot.x) - (box.pTop.x - box.pBot.x),
                                     (reach.pTop.y - reach.pBot.y) - (box.pTop.y - box.pBot.y));
        const std::optional<double> slide =
            PairSlide(*first->m_borders.front(), m_figureGap, grow, room.Rooms(), quarterTurns);
        if (!slide)
            continue;
        const CompoundFigurePtr pair = m_model.JoinPair(first, second, split.mirror, slide, split.name);
        if (!pair)
            continue;
        pair->InitPolygons(2.0 * m_figureGap, m_figureGap, nullptr);
        pair->SaveParams();
        m_model.m_figures.push_back(pair);
        m_pairsTogether.push_back(pair);
        joined.insert(first.get());
        joined.insert(second.get());
    }
    const auto isJoined = [&](const FigurePtr& figure) { return joined.count(figure.get()) != 0; };
    std::erase_if(m_model.m_figures, isJoined);
    std::erase_if(members, isJoined);
    if (!m_model.m_checkOrient)
        for (const FigurePtr& member : members)
            member->RotateToMinGabarit();
    m_pairsApart = members;
    return members;
}

bool NestingOptimizer::SplitPairsLeftOver()
{
    std::unordered_set<const Figure*> left;
    for (const FigurePtr& pair : m_pairsTogether)
        if (!pair->m_owner)
            left.insert(pair.get());
    if (left.empty())
        return false;
    const auto isLeft = [&](const Figure& figure) { return left.count(&figure) != 0; };
    std::erase_if(m_pairsTogether, [&](const FigurePtr& pair) { return isLeft(*pair); });
    std::vector<FigurePtr> members = m_model.SplitCompoundFigures(isLeft);
    if (!members.empty())
        m_model.InitMissingFigurePolygons();
    if (!m_model.m_checkOrient)
        for (const FigurePtr& member : members)
            member->RotateToMinGabarit();
    m_pairsApart.insert(m_pairsApart.end(), members.begin(), members.end());
    // The placement starts again on the sheets the run kept.
    m_sheets = m_model.m_sheets;
    for (const SheetPtr& sheet : m_sheets)
        sheet->m_occupied = false;
    for (const FigurePtr& figure : m_model.m_figures)
        figure->m_owner.reset();
    return true;
}

std::wstring NestingOptimizer::SplitPairsText(const std::vector<FigurePtr>& members)
{
    return CountedByName(
        L"Пары треугольных деталей, которые вместе не помещаются ни на один лист, размещаются по одной:", members);
}

std::wstring NestingOptimizer::PairsText() const
{
    std::vector<FigurePtr> together;
    for (const FigurePtr& pair : m_pairsTogether)
        if (pair->m_owner)
            for (const FigurePtr& part : PartsOf(pair))
                together.push_back(part);
    std::wstring text = CountedByName(L"Пары треугольных деталей, которые, сложенные в прямоугольник, не помещаются "
                                      L"ни на один лист, размещены вместе со сдвигом вдоль длинной стороны:",
                                      together);
    if (const std::wstring apart = SplitPairsText(m_pairsApart); !apart.empty())
        text += (text.empty() ? L"" : L"\n\n") + apart;
    return text;
}

std::wstring NestingOptimizer::LeftInContainerText() const
{
    const SheetRoom room(*this);
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
        if (DiffersFromSheet(*figure))
            kind = kMismatch;
        else if (!room.FitsAnyTurn(*figure))
            kind = kLarger;
        else if (!room.FitsUpright(*figure) && !quarterTurns)
            kind = kOnlyTurned;
        else if (!m_params.autoAddSheet)
            kind = kNoRoom;
        if (kind == kLarger)
            reason = LargerText(figure, room.Largest());
        else if (kind == kMismatch)
            reason = std::wstring(kMismatch) + L": " + m_model.StockAgainstSheets(*figure);
        else if (kind)
            reason = kind;
        // A size refused that the units of its DXF file gave says so.
        if (kind == kOnlyTurned)
            if (const std::wstring units = dxfimport::UnitsText(PartsOf(figure).front()->m_fileUnits); !units.empty())
                reason += L"; " + units;
        for (const FigurePtr& part : PartsOf(figure)) {
            const std::wstring name = NameOf(*part);
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
