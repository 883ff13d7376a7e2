// A usable remnant on a sheet, kept in a library macro (command 104).
#pragma once

#include "model/NestingObject.h"

#include <memory>
#include <string>

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
