// One sheet of material: a library macro (command 102) in a view of its own,
// whose outline is the area figures are placed on. The outline is kept in the
// sheet's own frame: the lower-left corner of its bounding rectangle at the
// origin, in drawing millimetres at scale 1.
#pragma once

#include "model/NestingObject.h"

#include <memory>
#include <optional>
#include <vector>

class Sheet;
class Figure;
using SheetPtr = std::shared_ptr<Sheet>;
using FigurePtr = std::shared_ptr<Figure>;

// How far inside a sheet's edge a figure's gap polygon (its outline grown by
// half the figure gap) stays, so that the outline stands the edge gap from
// the edge: the edge gap less that half. Negative where the edge gap is the
// smaller: the gap polygon then reaches past the edge by as much.
inline double SheetInset(double figureGap, double sheetGap) { return sheetGap - 0.5 * figureGap; }

class Sheet : public NObject {
public:
    explicit Sheet(INestingMacroObjectPtr macro);
    static SheetPtr Create(INestingMacroObjectPtr macro);

    // Overrides of NObject
    void UpdateGabarit() override;
    bool GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const override;
    bool CheckContainPointOnBorders(const NPoint& p, double maxdist) const override;
    bool GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const override;
    bool GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0,
                                        NPoint& pi) const override;
    // Deletes the sheet's view and its own page of the drawing (sheet i of
    // the drawing stands on page i), unless the sheet was read from the
    // drawing (m_edit) or has no macro of its own.
    void Clear() override;
    // The count, as the macro's numeric property "Count".
    void SaveParams() override;
    void LoadParams() override;

    // (Re)reads name and outline from the macro.
    void InitParams();
    // New width or height of a rectangular sheet, on its macro; other
    // outlines ignore it.
    void SetWidth(double width);
    void SetHeight(double height);
    // Moves the sheet by (x, y); the angle is not used.
    using NObject::SetPlacement;
    void SetPlacement(double x, double y, double angle);
    double GetWidth() const { return m_rect.pTop.x - m_rect.pBot.x; }
    double GetHeight() const { return m_rect.pTop.y - m_rect.pBot.y; }

    // Geometric tests
    bool CheckContainPoint(const NPoint& p) const;
    bool CheckContainFigure(FigurePtr figure) const;
    // The figure's gap rectangle lies within the sheet's grown by `reach`
    // (how far a gap polygon may stand past the edge, SheetInset).
    bool CheckContainFigureEx(FigurePtr figure, double reach = 0.0) const;
    // The figure lies on the sheet (HoldsFigure), the sheet's view given and
    // the figure's asked only where needed, kept in `figureView` for the next
    // sheet.
    bool HoldsFigure(const Figure& figure, int view, std::optional<int>& figureView) const;
    // How far the figure's outline may travel in `direction` before it
    // touches the sheet's edge.
    double Distance(const Figure& figure, const NPoint& direction) const;
    bool IsEquilSheet(const Sheet& other) const;

    // Name, outline drawn, result table
    void UpdateName();
    void DrawContour();
    void CreateResultTable();
    void DeleteResultTable();
    double GetResultTableHeight() const;

    // Results: from all figures of the model (the sheet picks its own), and
    // the value row of the result table.
    void CalculateSheetResult(const std::vector<FigurePtr>& figures);
    void UpdateResultTable(const SheetParams& params);

    NPolygonPtr m_polygon;  // outline in the sheet's own frame
    SheetResult m_result;
    bool m_occupied = false;
    double m_count = 1.0;
    SheetTableParams m_tableParams;

private:
    // The view's origin and scale; scale 0 without a view.
    void GetViewParams(double& x, double& y, double& scale) const;
    // The figure's view is this sheet's (a sheet in view 0 holds any view),
    // and its border rectangle lies within the sheet's.
    bool HoldsFigure(const Figure& figure) const;
};

// Which of many sheets holds a figure (Sheet::HoldsFigure), for many
// figures: the host is asked for each sheet's view once, and for each
// figure's once.
class SheetOwners {
public:
    explicit SheetOwners(const std::vector<SheetPtr>& sheets);
    // The first of the sheets that holds the figure, or null.
    SheetPtr Of(const Figure& figure) const;

private:
    const std::vector<SheetPtr>& m_sheets;
    std::vector<int> m_views;
};
