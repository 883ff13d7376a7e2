// The library's layer over the host API: free functions of namespace vrnApi.
// Every function starts from the global `application`; a missing host object
// ends it quietly with its empty result.
#pragma once

#include "geometry/Polygon.h"
#include "host/INestingMacro.h"
#include "model/Params.h"
#include "vlapi/vlapi.h"

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
void GetSelectedMacrosFromActiveDoc(MacroCommand command, std::vector<INestingMacroObjectPtr>& macros);
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
INestingMacroObjectPtr CreateMacroByRectangle(std::wstring name, double width, double height, int command);
INestingMacroObjectPtr CreateMacroByEncloseContours(const NPoint& point, int command);
INestingMacroObjectPtr CreateMacroByPolygon(const NPolygon& polygon, std::wstring name, int command);
INestingMacroObjectPtr CreateMacroFromFile(FileMetaParams& par, int command);

// ---- Host curves to segments
void GetGeomObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                             bool sysLayer);
void GetCurveObjects(vlapi::IDrawingContainerPtr container, std::vector<vlapi::IDrawingObjectPtr>& objs,
                     double arrow);
void GetCurveObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                              double arrow);
void ApproximateObjectByLineSegments(vlapi::IDrawingObjectPtr obj, std::vector<NSegmentPtr>& segments);
NPolygonPtr ApproximateByTangentialPoligon(const std::vector<NSegmentPtr>& segments, double arrow);

// ---- Host-measured area and length
double CalculateContourAreaAndLength(const std::vector<NContourPtr>& contours, double& length);

// ---- Texts in macros
void GetTextObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs);
void InitTextFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingTextPtr>& text);
int GetLayerNumber(std::wstring name);
void OffsetObject(vlapi::IVarnelAPIObjectPtr obj, const NPoint& dp);

// ---- Member objects
vlapi::IDrawingObjectPtr GetObiectFromMacro(vlapi::IMacroObjectPtr macro, int type, size_t ind);

// ---- Tables
vlapi::IDrawingTablePtr CreateTable(vlapi::ISymbols2DContainerPtr container, double x, double y,
                                    int rowsCount, double height, const std::vector<double>& widths,
                                    const std::vector<std::wstring>& title);
void SetTextInTableCell(vlapi::ITablePtr& table, int i, int j, std::wstring str);

}  // namespace vrnApi
