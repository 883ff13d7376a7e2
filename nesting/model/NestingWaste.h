// A usable remnant on a sheet, kept in a library macro (command 104).
#pragma once

#include "model/NestingObject.h"

#include "vlapi/vlapi.h"

#include <memory>
#include <string>
#include <vector>

class Sheet;
class Waste;
using SheetPtr = std::shared_ptr<Sheet>;
using WastePtr = std::shared_ptr<Waste>;

class Waste : public NObject, public WasteParams {
public:
    explicit Waste(INestingMacroObjectPtr macro);
    static WastePtr Create(INestingMacroObjectPtr macro);

    void UpdateGabarit() override;
    void SaveParams() override;
    void LoadParams() override;

    // Reads name and outline from the macro, recognises a rectangle, updates
    // the gabarit and colours the macro. The host binding reports the outline
    // in the millimetres of the macro's own view whatever the view's scale,
    // so the outline is already in view coordinates: `transform` asks for
    // exactly that and needs no further conversion.
    void InitParams(bool transform);
    // The outline from the macro, its outer ring cleaned, the gabarit, and
    // the rectangle flag and size as the outline has them.
    void ReadOutline();
    // The label at the centre of the gabarit, and its text height.
    void AddText(double height);
    void UpdateSizeText(double height);
    // "<remnant> <sheet>-<index>(<indTotal>) <size> <material>"; needs an owner sheet.
    void UpdateName(int index, int indTotal);
    // The size as labels, file names and registers show it: "<thickness>x<width>x<height>"
    // (no thickness when there is none), the sides in whole millimetres,
    // rounded down (uf::FloorMillimetres): a stock list never promises more
    // than the remnant holds, and its file read back as a sheet has that
    // size. Empty for a remnant that is not a rectangle (or has no outline).
    std::wstring SizeText() const;
    // Moves the label to a place inside the outline where it fits.
    void CorrectTextPosition();
    // The two remnants overlap (one inside a hole of the other does not).
    bool CheckIntersect(const Waste& other) const;
    // A rectangle neither of whose sides is short of `size` (by EPS_WIDTH or more).
    bool CheckRectangle(double size) const;
    // The macro's drawing objects that make the outline, and its label.
    void GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objs, bool text);
    void Draw();
    void DeleteColouring();

    // m_rectform, m_width and m_height from the outline (the size is kept
    // for a remnant that is not a rectangle).
    void UpdateRectForm();

    void SetColor(int color) { m_color = color; }
    void ChangeLayer(int layer);
    void ChangeText(std::wstring text);

    VectorPolygon m_polygons;  // outline, outer first
    SheetPtr m_owner;
    int32_t m_number = 0;
    int32_t m_subNumber = 0;
    double m_thickness = 0.0;
    std::wstring m_material;
    int32_t m_color = 0;
};
