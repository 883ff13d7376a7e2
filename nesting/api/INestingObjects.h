// The automation interfaces of the library: reference counted, queried by
// interface-id text, held in the host SDK's smart pointer. The commands, the
// editors and the assembly reader drive the nesting model, the optimiser, the
// exporter and the reporter only through these.
//
// Conventions every implementation keeps:
// - a factory hands out exactly one reference, inside the smart pointer;
// - an object answers the query for its own id and its bases' ids only, and
//   gives an empty pointer for any other kind;
// - no exception leaves an operation;
// - an automation object of a sheet, figure, bridge or remnant keeps its model
//   object alive by itself: it stays safe to use after its model is released
//   or after its model object left the model;
// - operations given an object act on the model object behind it, never on
//   the automation object's identity; an empty or foreign object changes
//   nothing;
// - list operations append, in the model's order, to the vector given;
// - an operation that takes a value answers NResult: a value outside its
//   range (not a finite number, a negative size, a type that does not exist)
//   is refused with OutOfRange and changes nothing; one that names what is
//   not there (a part name no figure has, an empty bridge, an object whose
//   drawing object is gone, a bridge of another model or on another model's
//   figure) answers NotFound and changes nothing. A block of values is taken
//   whole or not at all, each value checked as its own setter checks it;
// - a model works on one drawing, the one active when it was made (or when
//   it first needed one): while another drawing is active, or once its own
//   is closed, what would read or change the active drawing does nothing
//   (NotFound where an answer is given); an object is never carried into
//   another drawing's view.
#pragma once

#include "geometry/BaseAlgorithms.h"
#include "model/Params.h"
#include "vlapi/SmartPtr.h"
#include "vlapi/Forward.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Declares interface `Name` deriving from `BaseName`, its id `IID_Name` and
// its holder `NamePtr`.
#define NESTING_INTERFACE(Name, BaseName, guid)                         \
    struct Name;                                                        \
    inline constexpr char IID_##Name[37] = guid;                        \
    using Name##Ptr = vlapi::SmartPtr<Name, IID_##Name>;

NESTING_INTERFACE(INObject, vlapi::IAPIObject, "33E1CF10-722F-4637-86B6-BD5976E54CEE")
NESTING_INTERFACE(ISheet, INObject, "BE900B28-3E5B-43E1-83D2-53D46E24C16B")
NESTING_INTERFACE(IFigure, INObject, "179BA5B5-9E83-4AE3-AC74-BD8424FF07EA")
NESTING_INTERFACE(IJumper, INObject, "16A720CE-68C5-4A32-8B50-640AD4C8DDF1")
NESTING_INTERFACE(IWaste, INObject, "DAD9C8B7-746E-45B4-BA91-71E78DDED3B1")
NESTING_INTERFACE(INestingModel, vlapi::IAPIObject, "EF9A5B76-D1AA-4A54-8C3B-E32E81D29B20")
NESTING_INTERFACE(IOptimizer, vlapi::IAPIObject, "48C6E211-FEDA-4782-A49D-3D4FC64D71E2")
NESTING_INTERFACE(IExporter, vlapi::IAPIObject, "E6D71465-10F5-4DDE-95E1-E5AFB7469DA9")
NESTING_INTERFACE(IReporter, vlapi::IAPIObject, "7676B608-6679-4A87-AD48-8842F2F7AEF7")

#undef NESTING_INTERFACE

// The answer of an operation that takes a value.
enum class NResult : int32_t {
    Done = 0,        // the value is taken
    OutOfRange = 1,  // the value lies outside its range; nothing changed
    NotFound = 2,    // what the call names is not there to act on; nothing changed
};

// Each interface names its id and its base, so that an implementation can
// answer queries along the chain.
#define NESTING_INTERFACE_IDENTITY(Name, BaseName)                      \
    using Base = BaseName;                                              \
    static constexpr vlapi::IAPIObjectIID iid = IID_##Name;

// The figures grouped by equal name, thickness (within EPS) and material, in
// model order; a compound figure is one figure of its group. No group holds
// an empty entry.
using IFiguresTree = std::vector<std::vector<IFigurePtr>>;

using LinearCutInfo = std::vector<std::tuple<double, double, double>>;

// What sheets, figures, bridges and remnants have in common. Every operation
// acts on the model object behind the automation object; without one the
// getters give the empty value (empty text, false, 0, -1) and the others do
// nothing.
struct INObject : vlapi::IAPIObject {
    NESTING_INTERFACE_IDENTITY(INObject, vlapi::IAPIObject)

    virtual std::wstring GetName() = 0;
    // Nothing is written to the drawing.
    virtual void SetName(std::wstring name) = 0;
    virtual bool GetChoose() = 0;
    // Highlights or un-highlights the macro only when the state changes.
    virtual void Choose(bool choose) = 0;
    virtual void InvertChoose() = 0;
    virtual bool GetValid() = 0;
    // With the mark on, clearing the object keeps its drawing object.
    virtual void SetEdit(bool edit) = 0;
    virtual bool CheckReference(int reference) = 0;
    // The host reference of the macro; 0 without one.
    virtual int GetReference() = 0;
    virtual void GetGabarit(NRect& out) = 0;
    // The number of the macro's view; -1 without a macro.
    virtual int GetView() = 0;
    virtual void SetCurrentView() = 0;
    // Places the macro at (x, y) turned by `angle` degrees, in its view; the
    // bridges on the object come along. A sheet stays where it stands (the
    // sheet layout moves its view): any other placement is refused; so is a
    // remnant's that would take it off its sheet or onto another remnant.
    virtual NResult SetPlacement(double x, double y, double angle) = 0;
    // Moves the macro into the view; callers place it afterwards.
    virtual void ChangeView(int view) = 0;
    // Stores the object's parameter block in its macro.
    virtual void SaveParams() = 0;
};

struct IFigure : INObject {
    NESTING_INTERFACE_IDENTITY(IFigure, INObject)

    // The chosen state from the drawing's selection.
    virtual void InitChoose() = 0;
    virtual NResult SetThickness(double thickness) = 0;
    virtual void SetMaterial(std::wstring material) = 0;
    virtual double GetThickness() = 0;
    virtual std::wstring GetMaterial() = 0;
    // The wanted count.
    virtual int32_t GetCount() = 0;
};

struct ISheet : INObject {
    NESTING_INTERFACE_IDENTITY(ISheet, INObject)

    // Writes the name into the macro and the sheet's view.
    virtual void UpdateName() = 0;
    // How many such sheets are cut, a whole number from 1; stored in the
    // drawing by the model's SaveParams.
    virtual double GetCount() = 0;
    virtual NResult SetCount(double count) = 0;
};

struct IJumper : INObject {
    NESTING_INTERFACE_IDENTITY(IJumper, INObject)

    virtual BridgeType GetType() = 0;
    // Re-initialises the bridge for the type.
    virtual NResult SetType(BridgeType type) = 0;
    virtual double GetWidth() = 0;
    // Also the drawing radius (half the width), name, geometry and the stored
    // parameters; the macro is not rebuilt.
    virtual NResult SetWidth(double width) = 0;
    virtual bool GetByNormal() = 0;
    virtual void SetByNormal(bool byNormal) = 0;
    virtual bool IsTwoPoints() = 0;
    // The figure or sheet behind `owner`; an empty or foreign object clears it.
    virtual void SetOwner1(const INObjectPtr& owner) = 0;
    virtual void SetOwner2(const INObjectPtr& owner) = 0;
    // The end points; the geometry is renewed. The second point follows the
    // first owner's normal when the bridge is by-normal and has both owners.
    virtual NResult SetPoint1(double x, double y) = 0;
    virtual NResult SetPoint2(double x, double y) = 0;
    // A temporary group of the bridge drawn to (x, y) as its first or second
    // point; its reference goes to `group` (0 without one, for a point out
    // of range, and for a bridge of a drawing that is not the active one).
    virtual void GetPhantomGroup(double x, double y, bool second, int& group) = 0;
    // The macro made again on its layer and in its view; nothing while its
    // drawing is not the active one.
    virtual void ReBuild() = 0;
};

struct IWaste : INObject {
    NESTING_INTERFACE_IDENTITY(IWaste, INObject)

    // True for an automatic remnant.
    virtual bool GetMethod() = 0;
    virtual void ChangeText(std::wstring text) = 0;
    // The colour in the model only.
    virtual NResult SetColor(int colour) = 0;
};

// A whole working model. Getters and setters of parameters change nothing in
// the drawing.
struct INestingModel : vlapi::IAPIObject {
    NESTING_INTERFACE_IDENTITY(INestingModel, vlapi::IAPIObject)

    // Loading, configuration and the parameter block
    virtual void InitSheetsFromActiveDoc() = 0;
    virtual void InitFiguresFromActiveDoc() = 0;
    virtual void InitWastesFromActiveDoc() = 0;
    virtual void InitJumpersFromActiveDoc() = 0;
    virtual void ReadFromConfig() = 0;
    // False when the file could not be written (the user was told why).
    virtual bool WriteToConfig() = 0;
    virtual void ReadAdaptersFolder() = 0;
    virtual void GetAdapters(std::map<std::wstring, bool>& adapters) = 0;
    virtual void SetAdapters(std::map<std::wstring, bool>& adapters) = 0;
    // The model's own scheme.
    virtual SheetSchemeParams* GetSchemeParams() = 0;
    virtual NResult SetSchemeParams(const SheetSchemeParams& params) = 0;
    virtual ModelParams GetParams() = 0;
    virtual NResult SetParams(const ModelParams& params) = 0;
    virtual void SaveSession() = 0;
    virtual void SaveParams() = 0;

    // Configuration values
    virtual double GetBridgesWidth() = 0;
    virtual NResult SetBridgesWidth(double width) = 0;
    virtual double GetBridgesLength() = 0;
    virtual NResult SetBridgesLength(double length) = 0;
    virtual double GetTolerance() = 0;
    virtual NResult SetTolerance(double tolerance) = 0;
    virtual int GetSheetFormat() = 0;
    virtual NResult SetSheetFormat(int format) = 0;
    virtual bool GetSheetOrient() = 0;
    virtual void SetSheetOrient(bool vertical) = 0;
    virtual void GetLytPath(std::wstring& path) = 0;
    virtual void SetLytPath(std::wstring path) = 0;
    // The sheet-name pattern is a configuration value: WriteToConfig carries
    // it, SaveParams and SaveSession do not.
    virtual std::wstring GetSheetPattern() = 0;
    virtual void SetSheetPattern(std::wstring pattern) = 0;

    // Model parameters, sheet size and counts
    virtual int32_t GetNestingMethod() = 0;
    virtual NResult SetNestingMethod(int32_t method) = 0;
    virtual bool GetCheckOrient() = 0;
    virtual void SetCheckOrient(bool check) = 0;
    virtual bool GetRectSheet() = 0;
    virtual void SetRectSheet(bool rect) = 0;
    virtual double GetWidthSheet() = 0;
    virtual double GetHeightSheet() = 0;
    // For new sheets, and for every existing sheet whose outline is a rectangle.
    virtual NResult SetWidthSheet(double width) = 0;
    virtual NResult SetHeightSheet(double height) = 0;
    virtual double GetThicknessSheet() = 0;
    virtual NResult SetThicknessSheet(double thickness) = 0;
    virtual std::wstring GetMaterialSheet() = 0;
    virtual void SetMaterialSheet(std::wstring material) = 0;
    virtual bool GetHideText() = 0;
    virtual void SetHideText(bool hide) = 0;
    virtual double GetTextSize() = 0;
    virtual NResult SetTextSize(double size) = 0;
    virtual double GetFigureGap() = 0;
    virtual NResult SetFigureGap(double gap) = 0;
    virtual double GetSheetGap() = 0;
    virtual NResult SetSheetGap(double gap) = 0;
    virtual bool GetUniteFigures() = 0;
    virtual void SetUniteFigures(bool unite) = 0;
    virtual bool GetUniteMirrors() = 0;
    virtual void SetUniteMirrors(bool unite) = 0;
    virtual size_t GetFiguresCount() = 0;
    virtual size_t GetSheetsCount() = 0;
    virtual size_t GetJumpersCount() = 0;

    // Remnant parameters
    virtual bool GetWasteMethod() = 0;
    virtual void SetWasteMethod(bool automatic) = 0;
    virtual double GetWastSize() = 0;
    virtual NResult SetWastSize(double size) = 0;
    virtual double GetWastRectSize() = 0;
    virtual NResult SetWastRectSize(double size) = 0;
    virtual bool GetWastesRect() = 0;
    virtual void SetWastesRect(bool rect) = 0;
    virtual int32_t GetWastesColor() = 0;
    virtual NResult SetWastesColor(int32_t colour) = 0;
    virtual bool GetWastesHide() = 0;
    virtual void SetWastesHide(bool hide) = 0;
    virtual size_t GetWastesCount() = 0;

    // Lists (appended in model order; every call makes new automation objects)
    virtual void GetFigureObjects(std::vector<INObjectPtr>& out) = 0;
    virtual void GetSheetObjects(std::vector<INObjectPtr>& out) = 0;
    virtual void GetJumperObjects(std::vector<INObjectPtr>& out) = 0;
    virtual void GetWasteObjects(std::vector<INObjectPtr>& out) = 0;
    virtual void GetFigureObjectsTree(IFiguresTree& out) = 0;
    virtual void GetSelectedSheets(std::vector<ISheetPtr>& out) = 0;
    virtual void GetSelectedFigures(std::vector<IFigurePtr>& out) = 0;
    virtual void GetSelectedJumpers(std::vector<IJumperPtr>& out) = 0;
    virtual void GetFiguresByName(std::vector<INObjectPtr>& out, std::wstring name) = 0;
    virtual void GetRectangleFigures(std::vector<IFigurePtr>& out) = 0;

    // Sheets
    virtual ISheetPtr AddSheet() = 0;
    // Deletes the sheet from the drawing and the model; its figures go to the container.
    virtual void DelSheet(const ISheetPtr& sheet) = 0;
    virtual void ArrangeSheets() = 0;
    virtual void UpdateSheets() = 0;
    virtual void ClearSheets() = 0;
    virtual void SelectSheet(size_t index, bool select) = 0;
    virtual void InvertSelectSheet(size_t index) = 0;
    // -1 when no sheet has it: compare at 32 bits (its unsigned image is 0xFFFFFFFF).
    virtual int32_t GetIndexSheetByRef(int reference) = 0;
    // A drawing, fragment or DXF file whose outer outline is a rectangle sets
    // the sheet size (whole millimetres, rounded down), and a remnant's label
    // in it the sheet's thickness and material; true then. A file that does
    // not open, or whose outline is no rectangle of 1 mm a side at least, is
    // refused with a message naming it and why, and changes nothing.
    virtual bool ImportSheetFromFile(std::wstring path) = 0;
    virtual void InitSheetThickness() = 0;
    virtual void InitSheetMaterial() = 0;

    // Figures
    virtual IFigurePtr AddFigure(std::wstring path) = 0;
    // `count` pieces of the detail, the first returned; empty, and none made,
    // for a length or a count out of range (a count of 0 among them).
    virtual IFigurePtr AddLinNestFigure(LNDetailParams detail, size_t count) = 0;
    virtual void RemFigure(const IFigurePtr& figure) = 0;
    virtual void DelFigure(const IFigurePtr& figure) = 0;
    virtual void ClearFigures() = 0;
    // Makes the figures of that name `count`; NotFound when no figure has it.
    virtual NResult CopyFiguresByName(std::wstring name, size_t count) = 0;
    virtual void SortFiguresByNames() = 0;
    virtual void SortFiguresByAreasIncrease() = 0;
    virtual void SortFiguresByAreasDecrease() = 0;
    virtual void MoveFiguresToSysView() = 0;
    virtual void SetAllFiguresInSourcePlacement() = 0;
    virtual void InitFigurePolygons() = 0;
    // Both go straight to the model, whatever the uniting flags: the model
    // tests the mirror flag itself and callers test the triangles flag.
    virtual void CreateCompoundFigures() = 0;
    virtual void DestroyCompoundFigures() = 0;
    virtual void RotateAllFiguresToMinGabarit() = 0;
    virtual void ArrangeFiguresInContainer(bool allFigures, bool delWastes) = 0;
    virtual void CheckIntersectAllFigures() = 0;
    // The figures on sheets whose thickness or material is not the sheets'
    // laid out in the container, and every figure marked valid or not again
    // without a message; their names, one a part (a compound figure's
    // members), in model order, each with its thickness and material against
    // the sheets' ("деталь 3 мм, «Ст3», лист 2 мм, «Ст3»").
    virtual std::vector<std::pair<std::wstring, std::wstring>> MoveMismatchedFiguresToContainer() = 0;
    virtual void CreateFigureColouring() = 0;
    virtual void UpdateFiguresScale() = 0;

    // Drawing updates
    virtual void UpdateResultTables() = 0;
    virtual void UpdateSizeText(bool offset) = 0;
    virtual void UpdateHideText() = 0;
    virtual void UpdateGaps() = 0;

    // Progress and DXF import
    virtual void CreateProgressIndicator() = 0;
    virtual void SetProgressIndicator(double percent) = 0;
    virtual void DeleteProgressIndicator() = 0;
    // Converts each listed DXF file into a fragment in `outPath`; the entries
    // may be updated in place. `scriptParam` is not used.
    virtual void ImportFiguresFromDXF(std::vector<FileMetaParams>& params, std::wstring outPath,
                                      const ScriptMetaParams& scriptParam) = 0;

    // Bridges
    // A new bridge in no list and without a macro; empty for a type, a width
    // or a point out of range.
    virtual IJumperPtr CreateJumper(double x, double y, double width, BridgeType type, bool byNormal) = 0;
    // Makes the bridge's macro on the layer and appends it to the model; a
    // bridge whose width, type or ends are out of range is refused; an empty
    // or foreign object, a bridge standing for another model or on a figure
    // or sheet of another, is not found; nor is one without the owner of an
    // end, with an end never placed, or with an end off its owner (farther
    // than half its width from the owner's outline, or in another view than
    // the active one). One of the model already is there.
    virtual NResult AddJumper(const IJumperPtr& jumper, int layer) = 0;
    virtual void DelJumper(const IJumperPtr& jumper) = 0;
    virtual void ClearJumpers() = 0;
    virtual IJumperPtr GetJumperByRef(int reference) = 0;
    virtual bool CheckIntersectPointWithJumpers(double x, double y, double width) = 0;
    // The sheet or figure (as `type` asks) whose macro has the reference, with
    // (x, y) moved onto its border; empty, (x, y) unchanged, otherwise.
    virtual INObjectPtr CheckObjectForJumperOwner(int reference, double& x, double& y, double width,
                                                  NestingObjectType type) = 0;

    // Remnants
    // A manual remnant around the point, not yet in the model's list; none
    // inside a remnant, nor one that would overlap a remnant.
    virtual IWastePtr CreateWaste(double x, double y) = 0;
    virtual void AddWaste(const IWastePtr& waste) = 0;
    virtual void DelWaste(const IWastePtr& waste) = 0;
    virtual void ClearWastes() = 0;
    virtual IWastePtr GetWasteByRef(int reference) = 0;
    // The remnant whose area holds the point; empty for none.
    virtual IWastePtr GetWasteByPoint(double x, double y) = 0;
    virtual void CalculateWastes() = 0;
    virtual void DecomposeWastesToRectangles() = 0;
    virtual void SelectWastesByMethod(bool automatic, bool select) = 0;
    virtual void UpdateWastes() = 0;
};

// The automatic placement over a working model of its own, filled by Init.
struct IOptimizer : vlapi::IAPIObject {
    NESTING_INTERFACE_IDENTITY(IOptimizer, vlapi::IAPIObject)

    virtual void Init() = 0;
    // Clears the working model's sheets, figures and remnants.
    virtual void Clear() = 0;
    // True for linear nesting.
    virtual bool GetNestingMethod() = 0;
    virtual bool GetMaterialOrient() = 0;
    virtual NestingResult GetResult() = 0;
    // The last run's duration in milliseconds; 0 before the first run.
    virtual int64_t GetTime() = 0;
    // A method other than 0 or 1, or a rotation that does not exist, runs nothing.
    virtual void RunOptimization(const OptimizationParams& params) = 0;
};

// Export of the nesting map, sheets and remnants to DXF and fragments.
struct IExporter : vlapi::IAPIObject {
    NESTING_INTERFACE_IDENTITY(IExporter, vlapi::IAPIObject)

    // A format other than 0 to 2 is refused.
    virtual NResult SetParams(const ExportParams& params) = 0;
    virtual void ExportToDXF(std::wstring folder) = 0;
};

// The documentation: nesting maps and registers.
struct IReporter : vlapi::IAPIObject {
    NESTING_INTERFACE_IDENTITY(IReporter, vlapi::IAPIObject)

    // Builds the reporter's model from the active drawing.
    virtual void Init() = 0;
    virtual void Clear() = 0;
    // A sheet format other than 1 to 4 (A1 to A4), or an orientation other
    // than 0 (horizontal) or 1 (vertical), is refused.
    virtual NResult SetParams(ReportParams& params) = 0;
    // Writes what the flags ask for into the parameters' folder.
    virtual void CreateDocumentation() = 0;
};

#undef NESTING_INTERFACE_IDENTITY

// A new working model: empty lists, the model parameters of the last
// SaveSession (defaults before one), the configuration defaults and the scheme
// {without layout, horizontal, 3 columns}. Never empty.
INestingModelPtr CreateNestingModelInstance();
// A new optimiser: {by contours, without rotation, sheets added}, gaps 0, run
// time 0, its working model empty until Init. Never empty.
IOptimizerPtr CreateOptimizerInstance();
// A new reporter with a model of its own: every flag off, no folder and no
// style library, format 4, orientation 0. Never empty.
IReporterPtr CreateReporterInstance();
// A new exporter with an empty model of its own: map, sheets and remnants on,
// 3D and the text options off, format 0 (fragments and DXF). Never empty.
IExporterPtr CreateExporterInstance();
