// The sheets that cannot be cut as drawn: those whose parts overlap, and
// those showing parts that are not cut from them (over the sheet's edge, or
// of another thickness or material); and the sheets whose parts stand closer
// to one another than the part gap, or to the sheet's edge than the edge
// gap, as a part moved by hand may, measured on their outlines as they are
// cut (a bar of linear nesting keeps no edge gap). The documentation and the
// export read them alike and name each such sheet with its parts and why.
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

// Two line feeds, `heading`, then each of `sheets` with those of `wastes`
// built for what it no longer is (NestingModel::StaleWastes): how many, and
// for what ("построены для листа 900 × 600 мм, лист теперь 1200 × 600 мм",
// or "построены для прежнего раскроя листа"); empty when there are none.
std::wstring StaleWastesNote(const std::wstring& heading, const NestingModel& model, const std::vector<WastePtr>& wastes,
                             const std::vector<SheetPtr>& sheets);

class SheetFaults {
public:
    // The faults of the model's sheets (the container is no sheet), the
    // parts measured by their outlines (a compound figure by its members);
    // the parts of a sheet in the drawing's order.
    void Read(NestingModel& model);
    void Clear();
    bool AnyLeftOut() const { return !m_leftOut.empty(); }

    // Two line feeds, `heading`, then each sheet whose parts overlap, in the
    // order of `sheets`, with the count and names of those parts; empty
    // when none overlap.
    std::wstring OverlapNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;
    // Two line feeds, `heading`, then each sheet whose parts (cut from it)
    // stand closer to one another than the part gap, with each such pair and
    // how far apart it stands against the gap, rounded to the decimals it
    // takes to read less than the gap ("A и B — 5.99 мм при зазоре 6 мм"),
    // the nearest first; empty when there are none. A pair with curves is
    // taken to stand the gap within kBorderSag for each part with curves.
    std::wstring CloseNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;
    // The same for the parts that stand closer to the sheet's edge than the
    // edge gap ("A — 4.5 мм при зазоре 10 мм").
    std::wstring EdgeNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;
    // Two line feeds, `heading`, then each sheet with the parts not cut from
    // it and why; empty when there are none.
    std::wstring LeftOutNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets) const;

private:
    // A part, or a pair of parts, nearer than a gap: its sheet, its names
    // and how near its outline stands as it is cut.
    struct Near {
        SheetPtr sheet;
        std::wstring names;
        double distance = 0.0;
    };
    static std::wstring NearNote(const std::wstring& heading, const std::vector<SheetPtr>& sheets,
                                 const std::vector<Near>& near, double gap);

    // The sheets whose parts overlap, each with those parts.
    std::vector<std::pair<SheetPtr, std::vector<FigurePtr>>> m_overlaps;
    std::vector<Near> m_close;
    std::vector<Near> m_edge;
    double m_figureGap = 0.0;
    double m_sheetGap = 0.0;
    // The sheets that show parts not cut from them, each with those parts:
    // true for one over the sheet's edge, false for one of other stock.
    struct LeftOut {
        SheetPtr sheet;
        std::vector<std::pair<FigurePtr, bool>> parts;
    };
    std::vector<LeftOut> m_leftOut;
};
