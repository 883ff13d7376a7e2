// One sheet of material: a library macro (command 102) in a view of its own,
// whose outline is the area figures are placed on.
#pragma once

#include "model/NestingObject.h"

#include <memory>

class Sheet;
class Figure;
using SheetPtr = std::shared_ptr<Sheet>;
using FigurePtr = std::shared_ptr<Figure>;

class Sheet : public NObject {
public:
    explicit Sheet(INestingMacroObjectPtr macro);
    static SheetPtr Create(INestingMacroObjectPtr macro);

    void UpdateGabarit() override;
    bool GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const override;
    bool CheckContainPointOnBorders(const NPoint& p, double maxdist) const override;
    bool GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const override;
    bool GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0,
                                        NPoint& pi) const override;
    void Clear() override;
    void SaveParams() override;
    void LoadParams() override;

    // (Re)reads name and outline from the macro.
    void InitParams();
    bool CheckContainPoint(const NPoint& p) const;
    bool CheckContainFigure(FigurePtr figure) const;

    NPolygonPtr m_polygon;  // outline in the sheet's own frame
    SheetResult m_result;
    bool m_occupied = false;
    double m_count = 1.0;
    SheetTableParams m_tableParams;
};
