// Numeric and material property values kept on a library macro.
#include "host/NestingMacro.h"

#include "host/VarnelAPI_Detail.h"

namespace {

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

}  // namespace

void NMacroObject::SetPropertyMacro(std::wstring name, double value)
{
    if (name.empty())
        return;
    if (vlapi::IPropertyPtr property = vrnApi::detail::FindOrCreateDoubleProperty(name))
        WriteValue(m_macro, *property.get(), vlapi::PropertyValue(value));
}

void NMacroObject::GetPropertyMacro(std::wstring name, double& value) const
{
    vlapi::IPropertyMngPtr manager = vrnApi::detail::ActivePropertyMng();
    vlapi::IPropertyPtr property = manager && !name.empty() ? manager->GetProperty(name) : vlapi::IPropertyPtr{};
    vlapi::PropertyValue held;
    if (property && ReadValue(m_macro, *property.get(), held) && !held.IsEmpty())
        value = held.GetDouble();
}

void NMacroObject::SetMaterialPropertyToMacro(std::wstring value)
{
    if (vlapi::IPropertyPtr property = vrnApi::detail::MaterialProperty())
        WriteValue(m_macro, *property.get(), vlapi::PropertyValue(value));
}

std::wstring NMacroObject::GetMaterialPropertyFromMacro() const
{
    vlapi::IPropertyPtr property = vrnApi::detail::MaterialProperty();
    vlapi::PropertyValue held;
    if (property && ReadValue(m_macro, *property.get(), held))
        return held.GetString();
    return {};
}
