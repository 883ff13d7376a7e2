// NMacroObject: a library object kept in the drawing as one stamped host macro.
#pragma once

#include "host/INestingMacro.h"

// The sag of the fine chords that curves other than arcs and circles
// (ellipses, splines, ...) are followed on when a figure's borders are made:
// the borders may lie that far inside such a curve, no further.
inline constexpr double kFineChordSag = 0.01;  // mm
// Objects made of pieces (contours, polylines, equidistants, ...) are read as
// lines and arcs; a smooth piece among them becomes arcs this close to it.
inline constexpr double kPieceSag = 0.0001;  // mm

class NMacroObject;
using NMacroObjectPtr = std::shared_ptr<NMacroObject>;

class NMacroObject : public INestingMacroObject {
public:
    explicit NMacroObject(vlapi::IMacroObjectPtr macro);
    ~NMacroObject() override;

    static INestingMacroObjectPtr Create(vlapi::IMacroObjectPtr macro);
    // The wrapper of the object `ref` of the active 2D document; empty only
    // without such a document.
    static INestingMacroObjectPtr Create(reference ref);

    // The host macro this wrapper holds (empty after DestroyMacro/DeleteMacro).
    const vlapi::IMacroObjectPtr& GetMacro() const { return m_macro; }

    MacroCommand GetCommand() const override;
    reference GetReference() const override;
    void GetGabarit(NRect& rc) const override;
    std::wstring GetName() const override;
    void SetName(std::wstring name) override;
    void DestroyMacro() override;
    void DeleteMacro() override;
    void CancelEditMode() override;
    bool InActiveDocument() const override;

    INestingMacroObjectPtr CreateMacroCopy(int command) const override;
    void CreateMacroCopies(int command, int count, double step,
                           std::vector<INestingMacroObjectPtr>& copies) const override;
    int GetMacroViewNumber() const override;
    void SetMacroViewNumber(int viewNumber) override;
    void SetCurrentMacroView() override;
    void ChangeMacroView(int viewNumber, double& x, double& y) override;
    void ChangeMacroLayer(int numLayer) override;
    int GetMacroLayer() const override;
    void GetMacroPlacement(double& x, double& y, double& angle) const override;
    void SetMacroPlacement(double x, double y, double angle, bool fromHP) override;
    void SetMacroMirrorPlacement() override;
    void TransformScale(double scale) override;

    bool CheckSelect() override;
    void SelectMacro(bool select) override;
    void ChooseMacro(bool choose) override;
    void SetBorderStyle(int style) override;
    void ChangeStyleMacro(int style) override;
    bool CheckStyleMacro() const override;

    void InitBordersFromMacro(std::vector<NPolygonPtr>& borders) override;
    void InitConvexBordersFromMacro(std::vector<NPolygonPtr>& borders, double& area, double& length,
                                    double& sag, double& beyond) override;
    void GetBoundaryContours(std::vector<NContourPtr>& contours) override;
    void GetCutPieces(std::vector<clearance::CutPiece>& pieces) override;

    void CreateHatchInMacro(const std::vector<NPolygonPtr>& poligons) override;
    void CreateColouringInMacro(const std::vector<NPolygonPtr>& poligons, int color) override;
    void DeleteColouringInMacro(int color) override;

    void InitTextLayer() override;
    void AddTextInMacro(std::wstring str, double x, double y, double h) override;
    void ChangeTextInMacro(std::wstring str) override;
    void OffsetTextInMacro(const NPoint& dp) override;
    void GetFontParams(std::vector<FontParams>& params) const override;
    void SetFontParams(const std::vector<FontParams>& params, bool offset, bool inverScale) override;

    using INestingMacroObject::CheckMacroLibraryNameAndCommand;
    bool CheckMacroLibraryNameAndCommand(MacroCommand command) override;

    vlapi::ILineSegmentPtr GetLineSegmFromMacro(size_t ind) override;
    vlapi::ICirclePtr GetCircleFromMacro(size_t ind) override;
    vlapi::IArcPtr GetArcFromMacro(size_t ind) override;
    vlapi::IRectanglePtr GetRectangleFromMacro() override;
    // The same first rectangle member, for the const queries.
    vlapi::IRectanglePtr GetRectangleFromMacro() const;
    void GetMacroObjectsFromMacro(std::vector<INestingMacroObjectPtr>& macros) override;
    void GetDrawingObjectsFromMacro(INestingMacroObjectPtr owner,
                                    std::vector<vlapi::IDrawingObjectPtr>& objs, bool sysLayer,
                                    bool withText) override;
    void GetTextObjectsFromMacro(INestingMacroObjectPtr owner, const std::vector<FontParams>& params,
                                 std::vector<vlapi::IDrawingObjectPtr>& objs) override;
    void SetRectangleWidth(double w) override;
    void SetRectangleHeight(double h) override;

    void SetPropertyMacro(std::wstring name, double value) override;
    void GetPropertyMacro(std::wstring name, double& value) const override;
    void SetMaterialPropertyToMacro(std::wstring value) override;
    std::wstring GetMaterialPropertyFromMacro() const override;

    vlapi::IDrawingTablePtr GetTableFromMacro() const;
    void CreateTableInMacro(const SheetTableParams& par) override;
    void UpdateTableInMacro(int i, int j, std::wstring str) override;
    void ResizeTableInMacro(const SheetTableParams& par) override;
    void DeleteTableInMacro() override;
    void CreateSpecificationObject() override;

    void ForbidEditable() override;
    void SaveMacroParams(const std::vector<uint8_t>& params) override;
    void LoadMacroParams(std::vector<uint8_t>& params) override;

private:
    // The boundary contours, and the drawing object each of their segments
    // was read from, in the contours' order (for a colouring's boundaries).
    void BoundaryContours(std::vector<NContourPtr>& contours, vlapi::DrawingObjectList* objects);

    vlapi::IMacroObjectPtr m_macro;
    vlapi::IViewPtr m_view;
};

// The library's stamp on a freshly made macro: name, command number, library
// id text, module file name and editing settings, then the members. Returns
// false, writing nothing, when the macro is empty, has no user parameters or
// the library id text cannot be loaded.
bool SetMacroParams(vlapi::IMacroObjectPtr macro, std::wstring name, int command,
                    const std::vector<vlapi::IDrawingObjectPtr>& objs);

// The macro carries this library's id text (compared exactly, never empty)
// and the command number `command`.
bool CheckLibraryStamp(const vlapi::IMacroObjectPtr& macro, MacroCommand command);
