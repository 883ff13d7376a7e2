// The model's only way to act on its object in the drawing: one library macro
// object of the host, reached through this interface.
#pragma once

#include "geometry/CutClearance.h"
#include "geometry/Polygon.h"
#include "model/Params.h"
#include "vlapi/vlapi.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class INestingMacroObject;
using INestingMacroObjectPtr = std::shared_ptr<INestingMacroObject>;

class INestingMacroObject {
public:
    virtual ~INestingMacroObject() = default;

    // Identity and life
    virtual MacroCommand GetCommand() const = 0;
    virtual reference GetReference() const = 0;
    virtual void GetGabarit(NRect& rc) const = 0;
    virtual std::wstring GetName() const = 0;
    virtual void SetName(std::wstring name) = 0;
    virtual void DestroyMacro() = 0;
    virtual void DeleteMacro() = 0;
    virtual void CancelEditMode() = 0;
    // The macro stands in a view of the active drawing.
    virtual bool InActiveDocument() const = 0;

    // Copies, views, layers, placement
    virtual INestingMacroObjectPtr CreateMacroCopy(int command) const = 0;
    virtual void CreateMacroCopies(int command, int count, double step,
                                   std::vector<INestingMacroObjectPtr>& copies) const = 0;
    virtual int GetMacroViewNumber() const = 0;
    virtual void SetMacroViewNumber(int viewNumber) = 0;
    virtual void SetCurrentMacroView() = 0;
    // Moves the macro into the active drawing's view; nothing for a macro of
    // another drawing.
    virtual void ChangeMacroView(int viewNumber, double& x, double& y) = 0;
    virtual void ChangeMacroLayer(int numLayer) = 0;
    virtual int GetMacroLayer() const = 0;
    virtual void GetMacroPlacement(double& x, double& y, double& angle) const = 0;
    virtual void SetMacroPlacement(double x, double y, double angle, bool fromHP) = 0;
    virtual void SetMacroMirrorPlacement() = 0;
    virtual void TransformScale(double scale) = 0;

    // Selection, choice and looks
    virtual bool CheckSelect() = 0;
    virtual void SelectMacro(bool select) = 0;
    virtual void ChooseMacro(bool choose) = 0;
    virtual void SetBorderStyle(int style) = 0;
    virtual void ChangeStyleMacro(int style) = 0;
    virtual bool CheckStyleMacro() const = 0;

    // Borders
    virtual void InitBordersFromMacro(std::vector<NPolygonPtr>& borders) = 0;
    // Rings that never cut into the part but may lie up to `sag` inside its
    // curves (0 when every curve is a line segment). `beyond`: how far the
    // part may reach past the outer ring's rectangle (0 where the rings run
    // through the part's extremes: lines and arcs, and dense rings thinned,
    // keep them). The rings follow arcs and other curves within the
    // configured precision and never coarser than kBorderSag.
    virtual void InitConvexBordersFromMacro(std::vector<NPolygonPtr>& borders, double& area, double& length,
                                            double& sag, double& beyond) = 0;
    virtual void GetBoundaryContours(std::vector<NContourPtr>& contours) = 0;
    // The outline as it is cut, in the macro's own frame: its lines and
    // arcs as they are (a circle a whole turn), other curves on chords
    // within a thousandth of a millimetre.
    virtual void GetCutPieces(std::vector<clearance::CutPiece>& pieces) = 0;

    // Fills
    virtual void CreateHatchInMacro(const std::vector<NPolygonPtr>& poligons) = 0;
    virtual void CreateColouringInMacro(const std::vector<NPolygonPtr>& poligons, int color) = 0;
    virtual void DeleteColouringInMacro(int color) = 0;

    // Texts
    virtual void InitTextLayer() = 0;
    virtual void AddTextInMacro(std::wstring str, double x, double y, double h) = 0;
    virtual void ChangeTextInMacro(std::wstring str) = 0;
    virtual void OffsetTextInMacro(const NPoint& dp) = 0;
    virtual void GetFontParams(std::vector<FontParams>& params) const = 0;
    virtual void SetFontParams(const std::vector<FontParams>& params, bool offset, bool inverScale) = 0;

    // Stamp
    virtual bool CheckMacroLibraryNameAndCommand(MacroCommand command) = 0;
    // The same test for a command number as the model's records hold it.
    bool CheckMacroLibraryNameAndCommand(int command)
    {
        return CheckMacroLibraryNameAndCommand(static_cast<MacroCommand>(command));
    }

    // Members
    virtual vlapi::ILineSegmentPtr GetLineSegmFromMacro(size_t ind) = 0;
    virtual vlapi::ICirclePtr GetCircleFromMacro(size_t ind) = 0;
    virtual vlapi::IArcPtr GetArcFromMacro(size_t ind) = 0;
    virtual vlapi::IRectanglePtr GetRectangleFromMacro() = 0;
    virtual void GetMacroObjectsFromMacro(std::vector<INestingMacroObjectPtr>& macros) = 0;
    virtual void GetDrawingObjectsFromMacro(INestingMacroObjectPtr owner,
                                            std::vector<vlapi::IDrawingObjectPtr>& objs,
                                            bool sysLayer, bool withText) = 0;
    virtual void GetTextObjectsFromMacro(INestingMacroObjectPtr owner,
                                         const std::vector<FontParams>& params,
                                         std::vector<vlapi::IDrawingObjectPtr>& objs) = 0;
    virtual void SetRectangleWidth(double w) = 0;
    virtual void SetRectangleHeight(double h) = 0;

    // Properties
    virtual void SetPropertyMacro(std::wstring name, double value) = 0;
    virtual void GetPropertyMacro(std::wstring name, double& value) const = 0;
    virtual void SetMaterialPropertyToMacro(std::wstring value) = 0;
    virtual std::wstring GetMaterialPropertyFromMacro() const = 0;

    // Result table and specification
    virtual void CreateTableInMacro(const SheetTableParams& par) = 0;
    virtual void UpdateTableInMacro(int i, int j, std::wstring str) = 0;
    virtual void ResizeTableInMacro(const SheetTableParams& par) = 0;
    virtual void DeleteTableInMacro() = 0;
    virtual void CreateSpecificationObject() = 0;

    // Stored parameters
    virtual void ForbidEditable() = 0;
    virtual void SaveMacroParams(const std::vector<uint8_t>& params) = 0;
    virtual void LoadMacroParams(std::vector<uint8_t>& params) = 0;
};
