// No-fit polygons (hodographs) of a figure against a sheet and the figures
// placed on it: the positions its placement point may take.
#pragma once

#include "engine/Hodograph.h"
#include "engine/NfpBuilder.h"
#include "engine/OutlineDents.h"
#include "engine/RectLayout.h"
#include "geometry/DentEntry.h"
#include "geometry/Polygon.h"

#include <array>
#include <limits>
#include <map>
#include <vector>

class Figure;
class Sheet;
using VectorFigure = std::vector<std::shared_ptr<Figure>>;

// Where the placement point of a moving figure may be free as far as some
// placed figures go (those whose no-fit polygons are not built): a point; and
// whether an allowed point of a rectangle may put the figure over or against
// a given placed figure.
class PositionFilter {
public:
    virtual ~PositionFilter() = default;
    virtual bool Allows(const NPoint& p) const = 0;
    virtual bool MayMeet(const Figure& placed, const NRect& positions) const = 0;
    // No point left of this x is allowed.
    virtual double FreeFrom() const { return -std::numeric_limits<double>::infinity(); }
};

// Every position: no placed figure is left out.
class AllPositions final : public PositionFilter {
public:
    bool Allows(const NPoint&) const override { return true; }
    bool MayMeet(const Figure&, const NRect&) const override { return true; }
};

class HodographBuilder {
public:
    HodographBuilder() = default;
    virtual ~HodographBuilder() = default;

    void Init(double figureGap, double sheetGap, int buildMethod, bool testHodograph);

    // The no-fit polygon of convex polygon2 moving around convex polygon1, as
    // translations of polygon2.
    void CreateConvexHodograph(std::shared_ptr<const NPolygon> polygon1, std::shared_ptr<const NPolygon> polygon2,
                               VectorPolygon& outs) const;
    // The orbiting no-fit polygons of polygon2 (placement point p0) around
    // polygon1, or inside it when `inner`. Appends nothing when the orbit
    // fails: the caller then takes its fallback.
    void CreatePairHodograph(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1,
                             std::shared_ptr<const NPolygon> polygon2, bool inner, VectorPolygon& outs) const;
    // Removes the polygons that lie inside a placed figure's outer gap polygon
    // and inside none of its hole gap polygons. `placed` holds each placed
    // figure's gap polygons, outer first; figures with holes take part only
    // with `useInners`.
    void CheckHodographs(const std::vector<VectorPolygon>& placed, VectorPolygon& hodographs, bool useInners) const;
    // Appends what is left of `source` after subtracting `hodographs`, with
    // the rings of the subtracted polygons that lie wholly inside it.
    void CreateDifferenceHodographs(NPolygonPtr source, VectorPolygon& hodographs, VectorPolygon& outs,
                                    bool test) const;
    // The placement points of polygon2 (placement point p0) inside the ring
    // polygon1 that keep it off the `holes`.
    void CreateInsideHodographs(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1,
                                std::shared_ptr<const NPolygon> polygon2, const VectorPolygon& holes,
                                VectorPolygon& outs) const;
    // The clipped rectangles of a figure's gap rectangle `figureRect`
    // (placement point (x, y)) on `sheetRect` beside the placed figures' gap
    // rectangles `placedRects`. Nothing when the figure does not fit.
    void CreateRectHodographs(double x, double y, const std::vector<NRect>& placedRects, const NRect& figureRect,
                              const NRect& sheetRect, std::vector<HodographRectPtr>& outs) const;

    // The candidate positions of `figure`'s placement point (x, y) on
    // `sheet` beside the placed `figures`: the free regions of the sheet and
    // the rings of forbidden islands inside them. `test` has no effect.
    void CreateHodographs(double x, double y, const VectorFigure& figures, std::shared_ptr<Figure> figure,
                          std::shared_ptr<Sheet> sheet, VectorPolygon& outs, bool useInners, bool test);
    // The candidate positions the bottom-left rule looks at, leftmost first:
    // the vertices of the free region of `figure`'s placement point (x, y) on
    // `sheet`, from the leftmost one up to `band` right of it; nothing when
    // the leftmost one lies at `bound` or right of it (a try that cannot win).
    // The free region is the inner-fit rectangle less the positions where the
    // figure overlaps one of the `near` figures (by their no-fit polygons) and
    // less the positions `filter` refuses (where it overlaps a placed figure
    // left out of `near`). Touching is free, so an exact fit between figures
    // is a vertex too. A near figure's no-fit polygon is built only when
    // positions the filter allows, left of the band, can overlap it.
    void FindFreePoints(double x, double y, const VectorFigure& near, const PositionFilter& filter,
                        std::shared_ptr<Figure> figure, std::shared_ptr<Sheet> sheet, double band, double bound,
                        std::vector<NPoint>& points);
    // The inner-fit rectangle of `figure`'s placement point (x, y) on
    // `sheet`: where it keeps its gap rectangle on the sheet, the sheet gap
    // to the edges. False when there is none: in its present turn the figure
    // cannot stand on the sheet at all, whatever lies there, and
    // FindFreePoints finds it nothing (no grid or no-fit polygon need be
    // made for that turn).
    bool SheetFit(double x, double y, const Figure& figure, const Sheet& sheet, NRect& inner) const;
    // The rectangle variant for a figure on a sheet: its gap rectangle on the
    // sheet's rectangle moved to the origin.
    void CreateRectHodographs(double x, double y, const VectorFigure& figures, std::shared_ptr<Figure> figure,
                              std::shared_ptr<Sheet> sheet, std::vector<HodographRectPtr>& outs) const;
    // The node points of those rectangles that the bottom-left rule with
    // `band` looks at, in their order (RectLayout::CandidatePoints); `layout`
    // keeps the clipped rectangles from one figure to the next.
    void RectCandidatePoints(double x, double y, const VectorFigure& figures, std::shared_ptr<Figure> figure,
                             std::shared_ptr<Sheet> sheet, double band, RectLayout& layout,
                             std::vector<NPoint>& points) const;

    // The no-fit polygons of `figure` against one placed figure, from the
    // cache or built and cached, appended to the call's maps.
    void CreateFigureHodographs(const Figure& placed, const Figure& figure, bool useInners,
                                MapHodographPoligon& extAll, MapHodographPoligon& innAll);

    // The polygons drawn for inspection by the last call that drew.
    inline static VectorPolygon testHodographs;

    // The work of FindFreePoints since the builder was made: the placed
    // figures whose no-fit polygons it took, and the tests of a candidate
    // point against one figure's polygons (each placement's work follows
    // the figures about the place it finds, not all those placed).
    struct SearchWork {
        size_t polygonsTaken = 0;
        size_t pointTests = 0;
    };
    const SearchWork& Work() const { return m_work; }

    std::vector<HodographCash> m_hodographsContainer;
    double m_figureGap = 30.0;
    double m_sheetGap = 20.0;
    int32_t m_buildMethod = 1;
    bool m_testHodograph = false;

private:
    // The gap the rectangle variant keeps to the sheet's edges: the sheet gap
    // less half the figure gap, never below zero.
    double RectSheetGap() const;

    // The first cache entry that answers for the pair, or null. Only entries
    // whose shapes have as many vertices (and holes) can match: the lookup
    // walks those, in the order of the cache.
    const HodographCash* FindCash(const NPolygonPtr& polygon1, const NPolygonPtr& polygon2, const NPoint& p0,
                                  const VectorPolygon& innerPolygons);

    // The no-fit polygons of a pair turned by quarter turns from a pair in
    // the cache (the figures of a run meet in every turn), turned as the pair
    // is, appended to the maps; false when the cache has no such pair.
    bool FindTurnedCash(const NPolygonPtr& polygon1, const NPolygonPtr& polygon2, const NPoint& p0,
                        const VectorPolygon& innerPolygons, MapHodographPoligon& extAll, MapHodographPoligon& innAll);

    // `polygon` with those of its notches narrower than `size` closed that
    // `moving`, as it is turned, cannot enter (the dents remembered).
    NPolygonPtr WithoutDents(const NPolygonPtr& polygon, const NPolygon& moving, double size);

    using CashKey = std::array<size_t, 3>; // vertices of the fixed and the moving shape, holes
    std::map<CashKey, std::vector<size_t>> m_cashIndex; // entries of m_hodographsContainer by key
    size_t m_cashIndexed = 0;                           // entries listed in m_cashIndex
    NPolygonPtr m_cashLast;                             // the fixed shape of the last one
    // The placed figures' outer gap polygons' dents, by shape (a bound on
    // the shapes kept: a long session's drawings meet many).
    static constexpr size_t kDentShapesKept = 4096;
    OutlineDents m_outlineDents;
    SearchWork m_work;
};
