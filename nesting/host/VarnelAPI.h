// The library's layer over the host API: free functions of namespace vrnApi.
// Every function starts from the global `application`; a missing host object
// ends it quietly with its empty result.
#pragma once

#include "geometry/Polygon.h"
#include "host/INestingMacro.h"
#include "model/Params.h"
#include "vlapi/vlapi.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Set by the library's entry point when the host loads it; null before.
extern vlapi::IApplication* application;
// The library's resource module, obtained when the resources are registered.
extern vlapi::IResourcesModulePtr resourceModule;

// The identity of this library module for the host's resource look-ups.
vlapi::IResourcesModulePtr& GetModule();

// Layer number -> layer name of one view, ascending by number.
using MacroLayers = std::map<int, std::wstring>;

namespace vrnApi {

// ---- Active document, views, layers and groups
vlapi::IVarnelDocument2DPtr GetActiveDocument2D();
vlapi::IDrawingGroupPtr CreateGroupInActiveDoc(bool temp);
vlapi::IDrawingContainerPtr GetActiveDrawingContainer();
vlapi::IViewPtr GetViewPtrByNumber(int numView);
void GetLayersFromView(int numView, MacroLayers& layers);
void AddLayersToView(int numView, const MacroLayers& layers);
int GetActiveView();
void GetAllViews(vlapi::IVarnelDocument2DPtr doc, std::vector<vlapi::IViewPtr>& views);
void SetActiveSysLayer(int numView);
void ClearGroup(int ref, bool temp);

// ---- Messages
void Message(std::wstring mess);

// ---- Resources and the library module
vlapi::IProceduresLibraryPtr GetProceduresLibrary();
std::wstring LoadStr(int strID);
std::wstring GetFileNameModule();

// ---- Listing and composing library macros
void GetMacrosFromActiveDoc(std::vector<INestingMacroObjectPtr>& macros);
// The macros standing in the views of `doc`, view after view.
void GetMacrosFromDoc(const vlapi::IVarnelDocument2DPtr& doc, std::vector<INestingMacroObjectPtr>& macros);
void GetSelectedMacrosFromActiveDoc(MacroCommand command, std::vector<INestingMacroObjectPtr>& macros);
// The same for a command number as the model's records hold it.
inline void GetSelectedMacrosFromActiveDoc(int command, std::vector<INestingMacroObjectPtr>& macros)
{
    GetSelectedMacrosFromActiveDoc(static_cast<MacroCommand>(command), macros);
}
INestingMacroObjectPtr CreateMacroByMacros(INestingMacroObjectPtr object1, INestingMacroObjectPtr object2,
                                           std::wstring name);
INestingMacroObjectPtr CreateMacroByObjects(const std::vector<vlapi::IDrawingObjectPtr>& objects, const NPoint& p,
                                            int32_t command);
bool ReadFileAndWriteToClip(FileMetaParams& par, MacroLayers& layers);

// ---- Macro factories and drawing helpers
vlapi::IRectanglePtr CreateRectangle(vlapi::IDrawingContainerPtr container, double x, double y, double w,
                                     double h, int style);
vlapi::IPolyLine2DPtr CreatePolyLine(vlapi::IDrawingContainerPtr container, const NPolygon& polygon,
                                     int style);
vlapi::IDrawingContourPtr CreateContour(vlapi::IDrawingContainerPtr container,
                                        const std::vector<vlapi::IDrawingObjectPtr>& objects, int style);
reference DrawLineSeg(const NPoint& p1, const NPoint& p2, int style);
reference DrawPolyLine(const NPolygon& polygon, int style);
void DeleteDrawingObj(reference ref);
INestingMacroObjectPtr CreateMacroByObject(vlapi::IVarnelAPIObjectPtr obj);
INestingMacroObjectPtr CreateMacroByReference(reference ref);
// True when the macro stands in the active drawing (not in another one, nor deleted).
bool InActiveDrawing(const INestingMacroObject& macro);
INestingMacroObjectPtr CreateMacroByRectangle(std::wstring name, double width, double height, int command);
INestingMacroObjectPtr CreateMacroByEncloseContours(const NPoint& point, int command);
INestingMacroObjectPtr CreateMacroByPolygon(const NPolygon& polygon, std::wstring name, int command);
INestingMacroObjectPtr CreateMacroFromFile(FileMetaParams& par, int command);

// ---- Host curves to segments
// Lines, circles, arcs, ellipses and their arcs, Bezier, NURBS and conic curves:
// the single curves, which the reading of borders takes as they are.
bool IsCurveType(int type);
// The members of the macro that draw it: with `sysLayer` its curves on layer
// 0, otherwise its curves and texts on any layer; never a hatch or a
// colouring, which hangs on other members as its boundaries.
void GetGeomObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                             bool sysLayer);
void GetCurveObjects(vlapi::IDrawingContainerPtr container, std::vector<vlapi::IDrawingObjectPtr>& objs,
                     double arrow);
void GetCurveObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                              double arrow);
void ApproximateObjectByLineSegments(vlapi::IDrawingObjectPtr obj, std::vector<NSegmentPtr>& segments);
// The fine pieces of one curve in its order, every one: those of a curve
// smaller than a few point tolerances are shorter than one, and are still
// the curve (the segments above take one of two such pieces as the other).
void ApproximateCurvePieces(const vlapi::IDrawingObjectPtr& obj, std::vector<NSegmentPtr>& pieces);
// The vertices of an arc or a circle followed on its chords, as its segments
// above give them, from `chord.p1` (one of its ends; a circle's start) up
// to but without `chord.p2`, computed from its centre and radius instead of
// made as objects; false, with nothing appended, for any other object.
bool AppendArcChordPoints(const vlapi::IDrawingObjectPtr& obj, const NSegment& chord, std::vector<NPoint>& out);
// The same for each object in turn, into one list.
void ApproximateObjectsByLineSegments(const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                      std::vector<NSegmentPtr>& segments);
NPolygonPtr ApproximateByTangentialPoligon(const std::vector<NSegmentPtr>& segments, double arrow);
// One curve as it is cut, appended to `pieces`: a line, an arc or a circle
// as it is, any other curve on chords within kCutChordSag of it.
void AppendCutPieces(const vlapi::IDrawingObjectPtr& obj, std::vector<clearance::CutPiece>& pieces);
inline constexpr double kCutChordSag = 0.001;  // mm

// ---- Host-measured area and length
double CalculateContourAreaAndLength(const std::vector<NContourPtr>& contours, double& length);

// ---- Texts in macros
void GetTextObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs);
void InitTextFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingTextPtr>& text);
int GetLayerNumber(std::wstring name);
void OffsetObject(vlapi::IVarnelAPIObjectPtr obj, const NPoint& dp);

// ---- Member objects
vlapi::IDrawingObjectPtr GetObiectFromMacro(vlapi::IMacroObjectPtr macro, vlapi::VarnelAPIObjectTypeEnum type,
                                            size_t ind);

// ---- Tables
vlapi::IDrawingTablePtr CreateTable(vlapi::ISymbols2DContainerPtr container, double x, double y,
                                    int rowsCount, double height, const std::vector<double>& widths,
                                    const std::vector<std::wstring>& title);
void SetTextInTableCell(const vlapi::ITablePtr& table, int i, int j, std::wstring str);

// ---- Drawing files, assemblies and the clipboard
// "Не удалось открыть файл PATH: " and why, for a file the host did not open:
// missing, a folder, the host's own reason when it gave one, or damaged.
std::wstring OpenFailureText(const std::wstring& path, const std::wstring& hostReason = {});
// With `mess`, a file that does not open is told (OpenFailureText).
vlapi::IVarnelDocument2DPtr GetVarnel2DDocument(std::wstring path, bool& visible, bool mess);
// The closed and open chains of the curves of the active view of a drawing
// or fragment file, and its texts; false, with OpenFailureText, when the host
// does not open the file. The macros standing in it, whose members are not
// read, are counted into `macros`.
bool ReadFileDrawing(const std::wstring& path, std::vector<NContourPtr>& contours, std::vector<std::wstring>& texts,
                     std::wstring& failure, size_t* macros = nullptr);
// Gives `read` the active drawing container of a drawing or fragment file
// while the file is open (and the active document); false, with
// OpenFailureText, when the host does not open the file.
bool ReadFileObjects(const std::wstring& path, std::wstring& failure,
                     const std::function<void(const vlapi::IDrawingContainerPtr&)>& read);
// The same of the objects of a view or another container.
void ReadDrawing(const vlapi::IDrawingContainerPtr& container, std::vector<NContourPtr>& contours,
                 std::vector<std::wstring>& texts, size_t* macros = nullptr);
void ReadContoursFromFile(std::wstring path, std::vector<NContourPtr>& contours);
void GetPartsFromAssembly(vlapi::IPartPtr assembly, bool uniqueParts, std::vector<vlapi::IPartPtr>& parts);
void WriteObjectsToClip(const std::vector<vlapi::IDrawingObjectPtr>& objs);
void ReadObjectsFromClip();

// ---- Creating drawing objects in a container, and drawing them in the active view
vlapi::ILineSegmentPtr CreateLineSegm(vlapi::IDrawingContainerPtr container, double x1, double y1, double x2,
                                      double y2, int style);
vlapi::ICirclePtr CreateCircle(vlapi::IDrawingContainerPtr container, double x, double y, double r, int style);
vlapi::IArcPtr CreateArc(vlapi::IDrawingContainerPtr container, const NPoint& p0, const NPoint& p1,
                         const NPoint& p2, double r, bool dir, int style);
vlapi::IArcPtr CreateArcBy3Points(vlapi::IDrawingContainerPtr container, const NPoint& p1, const NPoint& p2,
                                  const NPoint& p3, int style);
vlapi::IDrawingTextPtr CreateText(vlapi::IDrawingContainerPtr container, std::wstring str, double x, double y,
                                  double h);
vlapi::INurbsPtr CreateNURBS(vlapi::IDrawingContainerPtr container, const std::vector<double>& points,
                             const std::vector<double>& weights, const std::vector<double>& knots, int32_t degree,
                             bool closed, int style);
vlapi::IEquidistantPtr CreateEquidistant(vlapi::IDrawingContainerPtr container, vlapi::IDrawingObjectPtr baseObject,
                                         bool side, bool arc, double radius, int style);
reference DrawArc(const NPoint& p0, const NPoint& p1, const NPoint& p2, double r, bool dir, int style);
reference DrawArcby3points(const NPoint& p0, const NPoint& p1, const NPoint& p2, int style);
reference DrawCircle(const NPoint& mid, double radius, int style);
reference DrawRectangle(const NPoint& p1, double width, double height, int style);
reference DrawEquidistant(vlapi::IDrawingObjectPtr baseObject, bool side, bool arc, double radius, int style);

// ---- Reading drawing objects and groups
void GetGeomObjectsFromGroup(reference group, std::vector<vlapi::IDrawingObjectPtr>& objs);
void DecomposeDrawingObject(vlapi::IDrawingObjectPtr object, double arrow, std::vector<vlapi::IDrawingObjectPtr>& objs);
// The sag with which the curved pieces of a polyline or contour that are not
// arcs (an arc under a block's uneven scale is elliptic) are followed as a
// single curve of the object's size would be: `arrow`, or less for a small object.
double SagOfPieces(const vlapi::IDrawingObjectPtr& obj, double arrow);
void GetTextObjectsFromActiveDoc(std::vector<vlapi::IDrawingTextPtr>& text);
void GetObjectGabarit(vlapi::IVarnelAPIObjectPtr obj, NRect& rc);
// The closed outlines the curves make, each approximated by segments,
// appended to `polygons`, which is then sorted largest box first.
void BordersOfCurves(const std::vector<vlapi::IDrawingObjectPtr>& objs, std::vector<NPolygonPtr>& polygons);
void InitBordersFromGroup(reference group, std::vector<NPolygonPtr>& polygons);

// ---- Offset polygons computed by the host
void CreateEquidistantPoligons(const std::vector<NPolygonPtr>& borders, double radius, std::vector<NPolygonPtr>& equids,
                               bool arc);

// ---- Sheet views, formats and document sheets
// The standard drawing scales, ascending, index for index the names of stringStandartScale.
inline constexpr std::array<double, 22> standartScale = {
    1.0 / 100, 1.0 / 75, 1.0 / 50, 1.0 / 40, 1.0 / 25, 1.0 / 20, 1.0 / 15, 1.0 / 10, 1.0 / 5, 1.0 / 4, 1.0 / 2.5,
    1.0 / 2,   1.0,      2.0,      2.5,      4.0,      5.0,      10.0,     20.0,    40.0,    50.0,    100.0};
double CalculateSheetViewScale(double width, double height, bool& isHeight);
void GetDocumentFormatSizes(double& width, double& height);
void DeleteDocumentLayout();
std::wstring GetSystemPathToSystemFiles();
void UpdateSheetsParams(std::wstring lytPath, int format, bool vertical);
void UpdateSheetView(int numView, int index, double width, double height);
int GetViewByName(std::wstring name);
int AddView(std::wstring name);
void AddDocumentSheet(std::wstring lyt, int numView, int format, double width, double height, bool vertical,
                      bool add);
// Deletes page `index` (from 0); a drawing keeps its last page.
void DelDocumentSheet(int index);
void DelEmptyDocumentSheets(int sheetsCount);
int GetActiveView(vlapi::IVarnelDocument2DPtr doc);
// Appends the style-library path of every page of the active drawing, in page order.
void GetLayoutStyleLibraries(std::vector<std::wstring>& libraries);

// ---- Document properties and material
void SetPropertyToDocument(std::wstring name, double value);
double GetPropertyFromDocument(std::wstring name);
void SetMaterialPropertyToDocument(std::wstring value);
std::wstring GetMaterialPropertyFromDocument();

// ---- Views and layers
int CreateView();
int GetSystemView();
int SetActiveSystemView();
int CreateContainerView(double width, double height);
void GetViewParams(int numView, double& x, double& y, double& scale);
void SetViewParams(int numView, double x, double y, double scale);
void SetViewName(int numView, std::wstring name);
void DeleteView(int numView);
int CreateLayer(std::wstring name, int color, bool hide);
void ChangeLayerColor(std::wstring name, int color);
void ShowHideLayer(std::wstring name, bool hide);
void GetLayerParams(std::wstring name, int& color, bool& hide);
void DeleteLayer(vlapi::IVarnelDocument2DPtr doc, std::wstring name);

// ---- Visibility, title block and auxiliary documents
void ShowHideObject(vlapi::IDrawingObjectPtr obj, bool hide);
void ShowHideText(bool hide);
void UpdateStamp(int index, std::wstring gabarit, std::wstring length, std::wstring KIM);
// The cells of the pages' title blocks that the user fills in (the cells
// the results write aside), by page: pages a redraw deletes and makes again
// get back what was typed on them, also after a redraw with fewer pages.
class UserStampCells {
public:
    // The cells of every page the active drawing has now; a page it has no
    // more keeps what it held when it was last seen.
    void Take();
    // Every page of that drawing gets its cells.
    void Put() const;

private:
    vlapi::IVarnelDocument2DPtr m_drawing;
    std::vector<std::map<int, std::wstring>> m_pages;
};
vlapi::IVarnelDocument2DPtr CreateSleep2DDocument(bool visible);
vlapi::IVarnelDocument3DPtr CreateSleep3DDocument();
vlapi::IVarnelDocument3DPtr GetVarnel3DDocument(std::wstring path, bool& visible);
void DeleteActiveDocument();

// ---- Library commands, selection and coordinates
void RunLibraryCommand(int command);
bool CheckActiveProcessRunnig();
reference GetFirstSelectedObj();
void SelectObjects(const std::vector<reference>& refs);
void UnSelectAll();
void TransformFromViewToSheet(NPoint& p);
void TransformFromSheetToView(NPoint& p);
reference FindObjByPoint(const NPoint& p);

// ---- Messages, dialogs, paths, undo and host state
void ShowErrorMessage(int resId);
void ShowWarningMessage(int resId);
void ShowInformMessage(int resId);
// A ready text in the information box, with an empty caption.
void ShowInformText(std::wstring text);
// A ready text in the error box, with an empty caption.
void ShowErrorText(std::wstring text);
// The error box of a document file the host did not open: the file, and why
// as the host tells it (`why`, when it tells).
void ShowOpenFailure(const std::wstring& path, const std::wstring& why);
// A question with the buttons Yes and No; true for Yes.
bool AskYesNo(const std::wstring& text);
// A ready text in the warning box, with an empty caption.
void ShowWarningText(std::wstring text);
int GetErrorCode();
void ClearError();
void CallHelp(int helpId);
bool IsKeyDown(uint8_t key);
std::wstring GetSystemPathToLibs();
std::wstring GetSystemPathToConfig();
void RefreshActiveWindow();
// Brackets: use ScopedSwitch (host/HostGuards.h) so that they close on every path.
void SetTreeRebuild(bool rebuild);
void SetEnableUndo(bool enable);
void SetUndoContainer(bool begin);
void EnableUserAccess(bool enable);
std::wstring ChoiceFileDialog(std::wstring defaultExtension, std::wstring filters, std::wstring startDirectory,
                              bool preview);
void ChoiceFilesDialog(std::wstring defaultExtension, std::wstring filters, std::wstring startDirectory,
                       bool preview, std::vector<std::wstring>& files);
std::wstring ChoiceFolderDialog(std::wstring& path);
// Points the configuration at the host's configuration and system-files
// folders; the shell calls it when the host loads the library.
void ConnectConfiguration();

}  // namespace vrnApi
