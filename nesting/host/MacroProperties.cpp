// Numeric and material property values kept on a library macro.
#include "host/NestingMacro.h"

#include "host/VarnelAPI.h"

namespace {

vlapi::IPropertyMngPtr PropertyManager()
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    return doc ? doc->GetPropertyMng() : vlapi::IPropertyMngPtr{};
}

void WriteValue(const vlapi::IMacroObjectPtr& macro, vlapi::IProperty& property, const vlapi::PropertyValue& value)
{
    vlapi::IPropertyKeeperPtr keeper(macro);
    if (!keeper)
        return;
    keeper->SetPropertyValue(&property, value, true);
    macro->Update();
}

// The macro's value of the property; false when the macro holds none.
bool ReadValue(const vlapi::IMacroObjectPtr& macro, vlapi::IProperty& property, vlapi::PropertyValue& value)
{
    vlapi::IPropertyKeeperPtr keeper(macro);
    bool fromSource = false;
    return keeper && keeper->GetPropertyValue(&property, value, true, fromSource);
}

vlapi::IPropertyPtr MaterialProperty()
{
    vlapi::IPropertyMngPtr manager = PropertyManager();
    return manager ? manager->GetBuiltInProperty(vlapi::vlPropertyMaterial) : vlapi::IPropertyPtr{};
}

}  // namespace

void NMacroObject::SetPropertyMacro(std::wstring name, double value)
{
    vlapi::IPropertyMngPtr manager = PropertyManager();
    if (!manager || name.empty())
        return;
    vlapi::IPropertyPtr property = manager->GetProperty(name);
    if (!property) {
        property = manager->AddProperty();
        if (!property)
            return;
        property->SetName(name);
        property->SetDataType(vlapi::vlPropertyDataTypeDouble);
        property->Update();
    }
    WriteValue(m_macro, *property.get(), vlapi::PropertyValue(value));
}

void NMacroObject::GetPropertyMacro(std::wstring name, double& value) const
{
    vlapi::IPropertyMngPtr manager = PropertyManager();
    vlapi::IPropertyPtr property = manager && !name.empty() ? manager->GetProperty(name) : vlapi::IPropertyPtr{};
    vlapi::PropertyValue held;
    if (property && ReadValue(m_macro, *property.get(), held) && !held.IsEmpty())
        value = held.GetDouble();
}

void NMacroObject::SetMaterialPropertyToMacro(std::wstring value)
{
    if (vlapi::IPropertyPtr property = MaterialProperty())
        WriteValue(m_macro, *property.get(), vlapi::PropertyValue(value));
}

std::wstring NMacroObject::GetMaterialPropertyFromMacro() const
{
    vlapi::IPropertyPtr property = MaterialProperty();
    vlapi::PropertyValue held;
    if (property && ReadValue(m_macro, *property.get(), held))
        return held.GetString();
    return {};
}
