// Document properties of the active drawing: numeric properties by name,
// made on first write, and the built-in material property.
#include "host/VarnelAPI_Detail.h"

namespace vrnApi {
namespace {

constexpr int kNamedFlag = 1;
constexpr int kMaterialFlag = 0;

struct PropertyRoad {
    vlapi::IPropertyPtr property;
    vlapi::IPropertyKeeperPtr keeper;
    explicit operator bool() const { return property && keeper; }
};

PropertyRoad RoadTo(vlapi::IPropertyPtr property)
{
    return {std::move(property), vlapi::IPropertyKeeperPtr(GetActiveDocument2D())};
}

PropertyRoad NamedProperty(const std::wstring& name)
{
    vlapi::IPropertyMngPtr manager = detail::ActivePropertyMng();
    return RoadTo(manager ? manager->GetProperty(name) : nullptr);
}

vlapi::PropertyValue ReadValue(const PropertyRoad& road)
{
    vlapi::PropertyValue value;
    bool fromSource = false;
    road.keeper->GetPropertyValue(road.property.get(), value, kNamedFlag, fromSource);
    return value;
}

}  // namespace

namespace detail {

vlapi::IPropertyMngPtr ActivePropertyMng()
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    return doc ? doc->GetPropertyMng() : nullptr;
}

vlapi::IPropertyPtr FindOrCreateDoubleProperty(const std::wstring& name)
{
    vlapi::IPropertyMngPtr manager = ActivePropertyMng();
    if (!manager)
        return {};
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

vlapi::IPropertyPtr MaterialProperty()
{
    vlapi::IPropertyMngPtr manager = ActivePropertyMng();
    return manager ? manager->GetBuiltInProperty(vlapi::vlPropertyMaterial) : nullptr;
}

}  // namespace detail

void SetPropertyToDocument(std::wstring name, double value)
{
    PropertyRoad road = RoadTo(detail::FindOrCreateDoubleProperty(name));
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
    PropertyRoad road = RoadTo(detail::MaterialProperty());
    if (road)
        road.keeper->SetPropertyValue(road.property.get(), vlapi::PropertyValue(value), kMaterialFlag);
}

std::wstring GetMaterialPropertyFromDocument()
{
    PropertyRoad road = RoadTo(detail::MaterialProperty());
    return road ? ReadValue(road).GetString() : std::wstring();
}

}  // namespace vrnApi
