// Automatic placement: figures are put on sheets one by one at the
// bottom-left vertex of their no-fit polygons, sheets are added while figures
// remain, figures that fit nowhere go to the container view and empty sheets
// are deleted. Every move goes to the figure's macro at once.
#pragma once

#include "engine/FreeSpace.h"
#include "engine/HodographBuilder.h"
#include "engine/OutlineKinds.h"
#include "geometry/BoxGrid.h"
#include "model/NestingModel.h"

#include <cstdint>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

using VectorSheet = std::vector<SheetPtr>;
using VectorWaste = std::vector<WastePtr>;

// One successful rotation try: the figure's placement after it, and what the
// tries are compared by: the left edge of its rectangle there; where that
// ties, the area its outline shuts off under and left of it within its
// rectangle, then the distance of its centre of gravity from the sheet's
// bottom-left corner.
struct NPlacement {
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    double left = 0.0;
    double shut = 0.0;
    double corner = 0.0;
};

class NestingOptimizer {
public:
    NestingOptimizer() = default;
    virtual ~NestingOptimizer() = default;

    NestingOptimizer(const NestingOptimizer&) = delete;
    NestingOptimizer& operator=(const NestingOptimizer&) = delete;

    // Loads the working model from the active drawing and the configuration.
    void Init();
    void Init(const VectorFigure& figures, const VectorSheet& sheets);
    void SetGaps(double figureGap, double sheetGap);

    // The whole placement, in one undo step of the drawing.
    void RunOptimization(const OptimizationParams& params);
    void PrepareOptimization();
    void SetAutoPlacementAllFigures(NestingMode mode);
    void SetAutoPlacementAllFiguresOnSheets(NestingMode mode);
    // The figure placed again on the sheet it stands on, or moved to the
    // container when it stands on none. False only when the automatic rule
    // (Shift held) found it no free position there and, where it stands, it
    // overlaps a neighbour or juts out of the sheet: it has gone to the
    // container too.
    bool SetAutoPlacementFigure(FigurePtr figure, NestingMode mode);
    bool SetAutoPlacementFigureOnSheet(FigurePtr figure, SheetPtr sheet, NestingMode mode);
    bool OffsetFigureInSheet(FigurePtr figure, SheetPtr sheet, NestingMode mode);
    void Clear();

    // Whether the figure's thickness or material differ from the sheets'
    // (an unknown value differs from none).
    bool DiffersFromSheet(const Figure& figure) const;
    // A joined pair of parts that fits no sheet of the run (nor a sheet it
    // would add) in any turn it may give is laid out anew: its two parts
    // side by side, the second slid along the first one's longest edge,
    // joined so and placed as one where they so fit a sheet (m_pairsTogether);
    // otherwise split, its parts placed each where it fits (m_pairsApart).
    // The parts split off, each turned to its smallest rectangle as the run
    // turns every part.
    std::vector<FigurePtr> SplitPairsLargerThanSheets();
    // The pairs laid out anew that the placement left without a sheet are
    // split as above, and every figure is taken off its sheet for the
    // placement to start again; false when there are none.
    bool SplitPairsLeftOver();
    // What the run says of the parts SplitPairsLargerThanSheets split off:
    // each name with its count; empty when there are none.
    static std::wstring SplitPairsText(const std::vector<FigurePtr>& members);
    // What it says of the pairs placed together on a sheet and of those
    // split; empty when there are none.
    std::wstring PairsText() const;
    // The closing message's text on the parts the run left in the container,
    // with their counts and why, where that is known; empty when every part
    // lies on a sheet.
    std::wstring LeftInContainerText() const;
    // The closing message's text on the parts placed on sheets of a
    // thickness or material they have none of their own of (the sheets'
    // then stands for theirs), each name with its count; empty when there
    // are none.
    std::wstring SheetStockTakenText() const;
    // Why the run cannot start: the sheets have no thickness (material) while
    // the parts have more than one, which would all be cut from them; empty
    // when it can.
    std::wstring MixedStockText() const;
    // The remnants a run deleted from the drawing to place the parts anew:
    // all of them, and those of them built by hand at a point.
    struct DeletedWastes {
        size_t all = 0;
        size_t byHand = 0;
    };
    // The closing message's paragraph on them; empty when there were none.
    static std::wstring DeletedWastesText(const DeletedWastes& deleted);

    // The bottom-left rule: of the points within `band` of the smallest x,
    // the lowest (then the leftmost), taken whole; both stay at kNoPoint for no point.
    static void GetPlacementPoint(const std::vector<NPoint>& points, double& x, double& y,
                                  double band = kBottomLeftBand);
    // The lengths by which the placement tells positions apart grow with the
    // sheet, so that a job drawn larger or smaller gets its layout: the
    // shorter side in metres, never less than 0.1 (parts of a few mm are
    // told apart as finely as parts ten times as large; below that the
    // point tolerance would be most of the band).
    static double LengthScale(const Sheet& sheet);
    // The bottom-left band on the sheet: 0.1 mm per metre of its shorter
    // side, never less than 0.01 mm.
    static double BottomLeftBand(const Sheet& sheet) { return kBottomLeftBand * LengthScale(sheet); }

    // The width and height of the ring's rectangle once the ring is turned
    // by `degrees`.
    static NPoint TurnedSize(const std::vector<NPoint>& ring, double degrees);

    // The free space of the sheet last filled (what it has measured).
    const FreeSpace& LastFreeSpace() const { return m_freeSpace; }
    // The tries of figures on sheets (each in all of its turns) since the
    // placement of all figures started: the work grows with them.
    size_t FiguresTried() const { return m_figuresTried; }

    static constexpr double kNoPoint = 2147483647.0;
    static constexpr double kBottomLeftBand = 0.1; // mm

    NestingModel m_model;
    OptimizationParams m_params;
    VectorFigure m_figures;
    VectorSheet m_sheets;
    VectorWaste m_wastes;
    double m_figureGap = 0.0;
    double m_sheetGap = 0.0;
    HodographBuilder m_hodographBuilder;
    int64_t m_t1 = 0;
    int64_t m_t2 = 0;
    int64_t m_dt = 0;
    bool m_testHodograph = false;
    bool m_test = false;
    // Off: every sheet's tries are made, none taken from a sheet filled alike.
    bool m_repeatFills = true;
    // The run's pairs of parts too large joined: placed together, slid, and
    // split (their parts).
    VectorFigure m_pairsTogether;
    VectorFigure m_pairsApart;

private:
    VectorFigure PlacedOn(const SheetPtr& sheet) const;
    bool FreeOfOverlaps(const FigurePtr& figure, const VectorFigure& placed);
    void CandidatePoints(double x0, double y0, const VectorFigure& placed, const FigurePtr& figure,
                         const SheetPtr& sheet, NestingMode mode, std::vector<NPoint>& points);
    // The free positions by the free space and the near figures' no-fit
    // polygons, for a figure that fits the sheet in its turn.
    void FreePoints(double x0, double y0, const VectorFigure& placed, const FigurePtr& figure, const SheetPtr& sheet,
                    std::vector<NPoint>& points);
    // The placed figures the figure (placement point `at`) may touch at a
    // free position: only their no-fit polygons may be built. `measured`: the
    // free space was measured for the figure (it then filters the positions
    // the others would forbid).
    VectorFigure NearFigures(const VectorFigure& placed, const Figure& figure, const NPoint& at, const Sheet& sheet,
                             bool& measured);
    bool MoveToBottomLeft(const FigurePtr& figure, const std::vector<NPoint>& points, double band);
    void MarkThicknessAndMaterial();
    bool PlaceWithRotations(const FigurePtr& figure, const SheetPtr& sheet, NestingMode mode);
    void AddSheetsWhileFiguresRemain(NestingMode mode, const VectorFigure& keep);
    void SetCurrentFirstSheetView();

    // A figure that finds no room on a sheet in any of its tries leaves none
    // for a later figure of its outline in the same turn either: the sheet
    // only fills up. Such figures are not tried on that sheet again; each is
    // turned as its tries would have left it, when it is next tried or at
    // the end of the placement.
    struct Turned {
        size_t kind = 0;     // its outline's, as the placement first saw it
        int turn = 0;        // its turn since then, in eighths of a full turn
        double pending = 0.0; // degrees it is still to turn by
    };
    Turned& TurnedOf(const Figure& figure);
    // The same for the figure m_figures[k]: each pass over a new sheet goes
    // through the figures left, and their entries are kept by position.
    Turned& TurnedAt(size_t k);
    void ForgetTurns();
    // The degrees by which a figure's tries leave it turned when none finds room.
    double TurnOfFailedTries(NestingMode mode) const;
    // The tries left the figure turned by `degrees` more; `later`: it is
    // still to be turned so.
    static void TurnBy(Turned& turned, double degrees, bool later);
    void SettleTurn(Figure& figure);
    void SettleTurns();
    // Sheets filled alike. A sheet that starts empty takes the figures left
    // in their order, each in its turn; where a sheet of the same outline
    // started so before and its figures come in the same outlines and turns,
    // every try comes out as it did there, up to where the two part ways:
    // those tries are taken from there. Kinds of outline are the placement's
    // own, so what is kept goes with them.
    struct SheetTry {
        size_t kind = 0;
        int turn = 0;
        bool stays = false;
        double turned = 0.0; // degrees the try turned the figure by
        NPoint first;        // where the first vertex of its gap polygon ended
    };
    struct SheetFill {
        NRect rect;
        std::vector<NPoint> outline;
        std::vector<SheetTry> tries;
        bool Fits(const Sheet& sheet) const;
    };
    static SheetFill FillOf(const Sheet& sheet);
    // Of the fills kept for sheets like `sheet`, the one whose tries the
    // figures left (in their kinds and turns; `eligible`: tried on the sheet
    // at all) repeat furthest; null when none repeats a try.
    const SheetFill* LongestFill(const Sheet& sheet, const std::vector<char>& eligible);
    static bool HasGapPolygon(const Figure& figure);
    static void RepeatTry(Figure& figure, const SheetTry& done);
    std::vector<SheetFill> m_fills;

    OutlineKinds m_outlineKinds;
    std::unordered_map<const Figure*, Turned> m_turned;
    std::vector<std::pair<const Figure*, Turned*>> m_turnedAt; // beside m_figures
    bool m_turnsHeld = false; // kept from one pass over the sheets to the next
    size_t m_figuresTried = 0;

    DeletedWastes m_deletedWastes; // by the last PrepareOptimization
    FreeSpace m_freeSpace;    // of the sheet last filled
    // The figures placed on the sheet being filled when none stood on it
    // before: only added to, each where it stays (null otherwise).
    const VectorFigure* m_filling = nullptr;
    RectLayout m_rectLayout;  // of the figures on the sheet being filled, laid out as rectangles
    // Those figures by view, and by where their gap rectangles lie on the
    // sheet (`area`, the sheet's rectangle).
    struct PlacedIndex {
        NRect area;
        size_t seen = 0;
        std::map<int, BoxGrid> byView;
        bool FreeOfOverlaps(const FigurePtr& figure, const VectorFigure& placed);
    };
    PlacedIndex m_placedIndex;
    double m_outlineVertices = 0.0; // of the figures of the run, on average (the grid's detail)
    double m_outlineArea = 0.0;     // of the figures of the run, all of them (bounds the grid's cells)
    size_t m_outlines = 0;          // the figures of the run (so does their count)
    double m_bound = kNoPoint; // a try's placement points at this x or right of it cannot win
};
