// Document properties of the active drawing: numeric properties by name,
// made on first write, and the built-in material property.
#include "host/VarnelAPI.h"

namespace vrnApi {
namespace {

constexpr int kNamedFlag = 1;
constexpr int kMaterialFlag = 0;

struct PropertyRoad {
    vlapi::IPropertyPtr property;
    vlapi::IPropertyKeeperPtr keeper;
    explicit operator bool() const { return property && keeper; }
};

vlapi::IPropertyMngPtr ActivePropertyMng()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    return doc ? doc->GetPropertyMng() : nullptr;
}

PropertyRoad RoadTo(vlapi::IPropertyPtr property)
{
    return {std::move(property), vlapi::IPropertyKeeperPtr(GetActiveDocument2D())};
}

PropertyRoad NamedProperty(const std::wstring& name)
{
    vlapi::IPropertyMngPtr manager = ActivePropertyMng();
    return RoadTo(manager ? manager->GetProperty(name) : nullptr);
}

PropertyRoad MaterialProperty()
{
    vlapi::IPropertyMngPtr manager = ActivePropertyMng();
    return RoadTo(manager ? manager->GetBuiltInProperty(vlapi::vlPropertyMaterial) : nullptr);
}

vlapi::PropertyValue ReadValue(const PropertyRoad& road)
{
    vlapi::PropertyValue value;
    bool fromSource = false;
    road.keeper->GetPropertyValue(road.property.get(), value, kNamedFlag, fromSource);
    return value;
}

vlapi::IPropertyPtr FindOrCreateDouble(const vlapi::IPropertyMngPtr& manager, const std::wstring& name)
{
    if (vlapi::IPropertyPtr found = manager->GetProperty(name))
        return found;
    vlapi::IPropertyPtr created = manager->AddProperty();
    if (!created)
        return {};
    created->SetName(name);
    created->SetDataType(vlapi::vlPropertyDataTypeDouble);
    created->Update();
    return created;
}

}  // namespace

void SetPropertyToDocument(std::wstring name, double value)
{
    vlapi::IPropertyMngPtr manager = ActivePropertyMng();
    if (!manager)
        return;
    PropertyRoad road = RoadTo(FindOrCreateDouble(manager, name));
    if (road)
        road.keeper->SetPropertyValue(road.property.get(), vlapi::PropertyValue(value), kNamedFlag);
}

double GetPropertyFromDocument(std::wstring name)
{
    PropertyRoad road = NamedProperty(name);
    return road ? ReadValue(road).GetDouble() : 0.0;
}

void SetMaterialPropertyToDocument(std::wstring value)
{
    PropertyRoad road = MaterialProperty();
    if (road)
        road.keeper->SetPropertyValue(road.property.get(), vlapi::PropertyValue(value), kMaterialFlag);
}

std::wstring GetMaterialPropertyFromDocument()
{
    PropertyRoad road = MaterialProperty();
    return road ? ReadValue(road).GetString() : std::wstring();
}

}  // namespace vrnApi
