// The working copy of one nesting drawing. The drawing is the store: a model
// is filled from the active drawing's library macros, acts on them through
// its objects, and is dropped at the end of the command without touching the
// drawing. The model owns its objects through shared pointers; back links
// (a figure's or remnant's sheet, a bridge's owners) are shared too, and the
// clearing operations break those cycles.
#pragma once

#include "model/BridgeAnchors.h"
#include "model/NestingFigure.h"
#include "model/NestingJumper.h"
#include "model/NestingSheet.h"
#include "model/NestingWaste.h"
#include "model/Params.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <utility>
#include <vector>

class NestingModel : public ModelParams, public ConfigParams {
public:
    NestingModel();
    virtual ~NestingModel();

    NestingModel(const NestingModel&) = delete;
    NestingModel& operator=(const NestingModel&) = delete;

    // Loading from the active drawing
    void InitSheetsFromActiveDoc();
    void InitFiguresFromActiveDoc(FigurePtr figure);
    void InitWastesFromActiveDoc();
    void InitJumpersFromActiveDoc();
    // The configuration file's values (NestingSetting::ReadFromConfig); what
    // the file gave amiss is shown once, until the file reads whole again.
    void ReadFromConfig();
    void SortFiguresByAreasDecrease();
    void SortFiguresByAreasIncrease();
    void SortFiguresByNames();

    // Clear every object of a list (deleting what the model made itself), then
    // empty the list.
    void ClearSheets();
    void ClearFigures();
    void ClearWastes();
    void ClearJumpers();

    // Figures
    // The part of a fragment file with as many pieces as it asks for; none,
    // and `why` says why, for a file that does not open, holds no closed
    // outline or asks for more pieces than a model makes.
    FigurePtr AddFigure(std::wstring path, std::wstring* why = nullptr);
    FigurePtr AddLinNestFigure(LNDetailParams par, size_t count);
    void RemFigure(FigurePtr& figure);
    void DelFigure(FigurePtr& figure);
    // The figures of the model among `figures` taken out as RemFigure takes
    // each (the drawing's bridges read once for all of them).
    void RemFigures(const std::vector<FigurePtr>& figures);
    FigurePtr GetFigureByRef(int ref) const;
    void GetFigureObjectsTree(std::vector<std::vector<FigurePtr>>& tree) const;
    void GetFiguresByName(std::vector<FigurePtr>& figures, const std::wstring& name) const;
    void GetFiguresByThickness(std::vector<FigurePtr>& figures, double thickness) const;
    void GetRectangleFigures(std::vector<FigurePtr>& figures) const;
    void InitFigureBorders();
    void InitFigurePolygons();
    // The figures stored before their gap polygons were built (the copies
    // AddFigure saves, a figure saved straight after it was added, one never
    // saved): the outline read from the macro when the record has none, then
    // InitFigurePolygons. Nothing when every figure has gap polygons.
    void InitMissingFigurePolygons();
    void CreateCompoundFigures();
    // Joins the two figures into a compound as CreateCompoundFigures joins a
    // pair (the second, a `mirror` image of the first, mirrored for it; the
    // bridges on them taken along), the second slid by `slide` along the
    // first's longest edge when one is given (CompoundFigure::AddFigures),
    // named `name` when one is given. Null, both as they were, when they
    // cannot be joined. The model's list is left to the caller.
    CompoundFigurePtr JoinPair(const FigurePtr& first, const FigurePtr& second, bool mirror,
                               std::optional<double> slide = std::nullopt, const std::wstring& name = {});
    void DestroyCompoundFigures();
    // The compound figures `which` picks split into their members, which take
    // their places in the list after the others; the members returned.
    std::vector<FigurePtr> SplitCompoundFigures(const std::function<bool(const Figure&)>& which);
    void RotateAllFiguresToMinGabarit();
    void SetAllFiguresInSourcePlacement();
    void MoveFiguresToSysView();
    void CreateFigureColouring();
    void DeleteFigureColouring();
    void UpdateSizeText(bool offset);
    void UpdateHideText();
    void UpdateGaps();
    // False when the figure found no room on its sheet and went to the
    // container (NestingOptimizer::SetAutoPlacementFigure).
    bool SetAutoPlacementFigure(FigurePtr figure, NestingMode mode);
    // The selected compound figures, in model order (appended).
    void GetCompoundFigures(std::vector<FigurePtr>& figures) const;
    // Makes the number of figures of that name equal to `count`.
    void CopyFiguresByName(const std::wstring& name, size_t count);
    void MoveFiguresToContainer();
    void UpdateFiguresProperty();
    void UpdateFiguresScale() {}
    void ShowHideColouring(bool show);
    // The drawing scale as "m_scale1:m_scale2".
    void GetStringScale(std::wstring& text) const;
    // A new scale from such a text lays the figures out in the container
    // again; a text that does not read as a scale changes nothing.
    void SetStringScale(const std::wstring& text);

    // Sheets
    SheetPtr AddSheet();
    void DelSheet(SheetPtr sheet);
    void DeleteEmptySheets();
    int GetIndexSheetByRef(int ref) const;
    void SelectSheet(size_t i, bool on);
    void InvertSelectSheet(size_t i);
    void ArrangeSheets();
    void ArrangeSheetsEx();
    // Lays out in the container view every figure (allFigures) or those on no
    // sheet; `unplaced` (a placement run's leftovers) go there wherever they
    // stand: a figure the run could not place is on no sheet, even where its
    // last try or its start left it over one.
    void ArrangeFiguresInContainer(bool allFigures = true, bool delWastes = false,
                                   const std::vector<FigurePtr>& unplaced = {});
    // A figure on a sheet must be of the sheets' thickness and material: one
    // that is not (the sheets or the figure changed since it was placed) is
    // laid out in the container with the figures there, and every figure is
    // marked valid or not again, without a message. The figures moved.
    std::vector<FigurePtr> MoveMismatchedFiguresToContainer();
    void UpdateSheets();
    void RecognizeSheetScheme();
    void InitSheetThickness();
    void InitSheetMaterial();
    // The common size of the sheets: the statics, and every rectangular sheet.
    void SetWidthSheet(double w);
    void SetHeightSheet(double h);
    void UpdateViews();
    std::wstring GetSheetName(size_t i) const;
    bool GetSheetSelect(size_t i) const;
    SheetPtr GetSheetByRef(int ref) const;

    // Bridges
    // The owners of the bridge's ends among the model's figures, then sheets,
    // of the bridge's view (BridgeOwners); an end without one is left empty.
    void InitJumperOwners(JumperPtr jumper);
    // Holds the drawing's bridges that stand on the model's figures, so that
    // FollowBridges brings them after the figures (the model's own moves
    // follow them: the layout of the container, a sheet deleted); a new load
    // of all figures lets them go. The second form holds those on the given
    // figures only, their owners chosen among the drawing's macros.
    void HoldBridges();
    void HoldBridges(const std::vector<FigurePtr>& figures);
    void FollowBridges();
    // The same among the library macros of the active drawing, without a loaded model.
    void InitJumperFromActiveDoc(JumperPtr jumper);
    // Another bridge of the model overlaps this one.
    bool CheckJumper(JumperPtr jumper) const;
    bool CheckIntersectPointWithJumpers(double x, double y, double width) const;
    NObjectPtr CheckObjectForJumper(int ref, double& x, double& y, double width,
                                    NestingObjectType type);
    JumperPtr CreateJumper(double x, double y, double width, BridgeType type, bool bynorm);
    void AddJumper(JumperPtr jumper, int layer);
    void DelJumper(JumperPtr& jumper);
    JumperPtr GetJumperByRef(int ref) const;

    // Remnants
    // A manual remnant around the point, on the first sheet that holds it;
    // none inside a remnant, nor one that would overlap a remnant; why none,
    // in `why` when given.
    WastePtr CreateWaste(const NPoint& point, std::wstring* why = nullptr);
    void AddWaste(WastePtr waste);
    void DelWaste(WastePtr& waste);
    void DelWaste(int ref);
    WastePtr GetWasteByRef(int ref) const;
    // The remnant whose area holds the point of the active view (its outline
    // counts, its holes do not), on the first sheet that holds the point; the
    // active view stays.
    WastePtr GetWasteAtPoint(const NPoint& point);
    void GetRectWasteObjects(std::vector<WastePtr>& wastes) const;
    void InitWasteParams(WastePtr waste, SheetPtr sheet, bool transform);
    // The same for remnants built together on the sheet, whose parts stand
    // as `layout` (PartsLayout) says.
    void InitWasteParams(WastePtr waste, SheetPtr sheet, bool transform, std::pair<int32_t, uint32_t> layout);
    void UpdateWastesNames();
    void SelectWastesByMethod(bool method, bool on);
    void ClearWastesByMethod(bool method);
    void CalculateWastes();
    void DecomposeWastesToRectangles();
    // The least width of a remnant: the minimum size given, or, while none
    // is (0), half the sheets' shorter side for rectangles and
    // kDefaultRemnantMinimum for the others (by hand or from the free area).
    double RemnantMinimum(bool rectangles) const;
    void DeleteNonRectangularWastes();
    // The remnants that a part stands on or comes nearer to than the part
    // gap (a part moved onto a remnant), each with the first such part of its
    // view: they are free no longer.
    std::vector<std::pair<WastePtr, FigurePtr>> CoveredWastes() const;
    // The other remnants, in model order; a line "\n<remnant>: деталь <part>"
    // is appended to `covered` for each covered one. Given `narrow`, the
    // remnants narrower either way than any build of the drawing now makes
    // (kept from an earlier minimum, or from before there was one) are no
    // stock either: each one's name goes there.
    std::vector<WastePtr> FreeWastes(std::wstring& covered, std::vector<std::wstring>* narrow = nullptr) const;
    // Of the remnants, those built for what their sheet no longer is, in
    // their order: each with its sheet and whether the sheet's size changed
    // since (otherwise the parts on it did: they were added, taken off,
    // moved or turned). A remnant of an earlier version, which does not know
    // what it was built for, is none of them.
    struct StaleWaste {
        WastePtr waste;
        SheetPtr sheet;
        bool resized = false;
    };
    std::vector<StaleWaste> StaleWastes(const std::vector<WastePtr>& wastes) const;
    // The least width of a remnant that is stock: the narrower of the
    // minimums of the builds (never under 1 mm).
    double LeastStockWidth() const;
    // Shows or hides the remnants' layer.
    void UpdateWastes();

    // Chosen objects (appended in list order)
    void GetSelectedSheets(std::vector<SheetPtr>& sheets) const;
    void GetSelectedFigures(std::vector<FigurePtr>& figures) const;
    void GetSelectedJumpers(std::vector<JumperPtr>& jumpers) const;
    void GetSelectedWastes(std::vector<WastePtr>& wastes) const;

    // Results, tables, overlap test
    void CalculateNestingResult();
    void UpdateResultTables(FigurePtr figure);
    void UpdateTablesInStamp();
    // Marks every figure valid or not (thickness, material, overlap) by macro
    // style and tells of figures whose thickness or material differ from the
    // sheet's (unless the caller names them itself); true when an overlap
    // was found.
    bool CheckIntersectAllFigures(FigurePtr figure, bool tellMismatch = true);
    // A part's thickness and material against the sheets': "деталь 3 мм,
    // «Cт3», лист 2 мм, «Ст3»", saying so when the materials differ only by
    // Latin letters standing for Cyrillic ones, which no screen shows.
    std::wstring StockAgainstSheets(const Figure& figure) const;
    // The same verdicts in the model alone, the drawing untouched: figures
    // overlap only within one view (a sheet's, or the container's).
    // `mismatch`: some figure differs from the sheet in thickness or material.
    bool MarkConflicts(FigurePtr figure, bool& mismatch);
    // The pairs of figures that overlap, each pair once, in the figures'
    // order; both of each pair are marked not valid.
    std::vector<std::pair<FigurePtr, FigurePtr>> OverlappingFigures();

    // Parameters
    void LoadParams();
    void SaveParams();
    void SaveSession();
    // The configuration values this model changed since it read them become
    // the session's and go to the file, those alone: every other item keeps
    // its text in the file, whatever another window saved meanwhile or the
    // user wrote there by hand. A changed value that replaces one the reader
    // refused is named in a message. False, after a message naming the file
    // and why, when the file could not be written (it stays as it was).
    bool WriteToConfig();
    void Init();
    const ModelParams& GetParams() const { return *this; }
    void SetParams(const ModelParams& params);
    const SheetSchemeParams& GetSchemeParams() const { return m_scheme; }
    void SetSchemeParams(const SheetSchemeParams& params) { m_scheme = params; }
    void SetLinearCutInfo(const std::vector<std::tuple<double, double, double>>& info);
    // The size a sheet's result table and title block show: a sheet's width,
    // height and thickness; a bar of linear nesting as given (BarSizeText).
    std::wstring SizeText(const Sheet& sheet) const;

    static double GetWidthSheet() { return m_widthSheet; }
    static double GetHeightSheet() { return m_heightSheet; }
    static const std::wstring& GetMaterialSheet() { return m_materialSheet; }

    // Progress bar
    void CreateProgressIndicator();
    void SetProgressIndicator(double percent);
    void DeleteProgressIndicator();
    static void UpdateProgressIndicator(double value);

    std::vector<FigurePtr> m_figures;
    std::vector<JumperPtr> m_jumpers;
    std::vector<WastePtr> m_wastes;
    std::vector<SheetPtr> m_sheets;
    NestingResult m_result;
    std::vector<std::tuple<double, double, double>> m_linearCutInfo;
    SheetSchemeParams m_scheme;

    // Shared by every model: the size and material of new sheets, and the
    // session copy of the parameters. Until a drawing or the user sets a
    // size, sheets have the default one (ModelParams::m_sheetSized tells).
    static constexpr double kDefaultRemnantMinimum = 10.0;  // mm
    static constexpr double kDefaultWidthSheet = 12000.0;
    static constexpr double kDefaultHeightSheet = 2500.0;
    inline static double m_widthSheet = kDefaultWidthSheet;
    inline static double m_heightSheet = kDefaultHeightSheet;
    inline static std::wstring m_materialSheet;
    inline static bool m_session = false;
    inline static ModelParams copyParams;

private:
    // Finishes the remnants a builder made on the sheet and appends them.
    // The remnants made on the sheet, finished and kept; one narrower than
    // `least` either way is none.
    void FinishNewWastes(const std::vector<WastePtr>& wastes, const SheetPtr& sheet, double least);
    // Deletes the bridges standing on the objects, which are about to go.
    void DeleteBridgesOn(const std::vector<NObjectPtr>& owners);
    // The parts standing in the sheet's view: their count, and their
    // places (where each stands, turned how far, mirrored or not) hashed
    // whatever their order.
    std::pair<int32_t, uint32_t> PartsLayout(const Sheet& sheet) const;

    BridgeAnchors m_heldBridges;
    // The configuration values as this model last read or wrote them: what
    // the session changes is told against them.
    std::optional<ConfigParams> m_configRead;
};

// Finds the bridge's owners in the active drawing through a temporary model.
void InitJumperOwnersFromFigures(JumperPtr jumper);

// A remnant names its sheet by the reference of the sheet's macro. When the
// drawing's objects were made anew (a cancelled command gives the drawing
// back as copies), `moved` tells the old references and the new ones: the
// remnants among `macros` are made to name their sheets' new macros.
void FollowMovedSheets(const std::vector<INestingMacroObjectPtr>& macros, const std::map<reference, reference>& moved);
