#include "model/Properties.h"

namespace vlhost {

PropertyMng::PropertyMng() {
  builtIn.push_back(Make<Property>(vlapi::vlPropertyDesignation, L"Обозначение", vlapi::vlPropertyDataTypeString));
  builtIn.push_back(Make<Property>(vlapi::vlPropertyName, L"Наименование", vlapi::vlPropertyDataTypeString));
  builtIn.push_back(Make<Property>(vlapi::vlPropertyMaterial, L"Материал", vlapi::vlPropertyDataTypeString));
}

Ref<Property> PropertyMng::Define(const std::wstring& name, int type, int id) {
  if (id <= 0) {
    id = 1000;
    for (const auto& p : defined) id = std::max(id, p->id + 1);
  }
  Ref<Property> property = Make<Property>(id, name, type);
  defined.push_back(property);
  return property;
}

Property* PropertyMng::ById(int id) const {
  for (const auto* list : {&builtIn, &defined})
    for (const auto& p : *list)
      if (p->id == id) return p.get();
  return nullptr;
}

vlapi::IPropertyPtr PropertyMng::GetItem(int index) {
  if (index < 0 || index >= GetCount()) return {};
  return Give<vlapi::IProperty>(defined[static_cast<std::size_t>(index)].get());
}

vlapi::IPropertyPtr PropertyMng::GetProperty(const std::wstring& name) {
  if (Failures::Instance().Fails("IPropertyMng::GetProperty")) return {};
  for (const auto& p : defined)
    if (p->name == name) return Give<vlapi::IProperty>(p.get());
  return {};
}

vlapi::IPropertyPtr PropertyMng::GetBuiltInProperty(int number) {
  if (Failures::Instance().Fails("IPropertyMng::GetBuiltInProperty")) return {};
  for (const auto& p : builtIn)
    if (p->id == number) return Give<vlapi::IProperty>(p.get());
  return {};
}

vlapi::IPropertyPtr PropertyMng::AddProperty() {
  if (Failures::Instance().Fails("IPropertyMng::AddProperty")) return {};
  return Give<vlapi::IProperty>(Define(L"", vlapi::vlPropertyDataTypeDouble).get());
}

}  // namespace vlhost
