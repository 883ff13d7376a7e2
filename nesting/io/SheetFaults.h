// The sheets that cannot be cut as drawn: those whose parts overlap, and
// those showing parts that are not cut from them (over the sheet's edge, or
// of another thickness or material). The documentation and the export read
// them alike and name each such sheet with its parts and why.
#pragma once

#include "model/NestingModel.h"

#include <string>
#include <utility>
#include <vector>

// Two line feeds, `heading`, then the bridges of `lost` (their names as the
// drawing gives them now), sheet by sheet in the order of `sheets`, and with
// `elsewhere` those in no such sheet's view last; empty when there are none.
// Read before the bridges are set aside: their references change then.
std::wstring LostBridgesNote(const std::wstring& heading, const std::vector<reference>& lost,
                             const std::vector<SheetPtr>& sheets, bool elsewhere);

class SheetFaults {
public:
    // The faults of the model's sheets (the container is no sheet); the
    // parts of a sheet in the drawing's order.
    void Read(NestingModel& model);
    void Clear();
    bool Empty() const { return m_overlaps.empty() && m_leftOut.empty(); }
    bool AnyLeftOut() const { return !m_leftOut.empty(); }

    // Two line feeds, `heading`, then each sheet whose parts overlap, in the
    // order of `sheets`, with the count and names of those parts; empty
    // when none overlap.
    std::wstring OverlapNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;
    // Two line feeds, `heading`, then each sheet with the parts not cut from
    // it and why; empty when there are none.
    std::wstring LeftOutNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;

private:
    // The sheets whose figures overlap, each with those figures.
    std::vector<std::pair<SheetPtr, std::vector<FigurePtr>>> m_overlaps;
    // The sheets that show parts not cut from them, each with those parts:
    // true for one over the sheet's edge, false for one of other stock.
    struct LeftOut {
        SheetPtr sheet;
        std::vector<std::pair<FigurePtr, bool>> parts;
    };
    std::vector<LeftOut> m_leftOut;
};
