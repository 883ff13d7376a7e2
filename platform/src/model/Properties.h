#pragma once
// Document property definitions.
#include <string>
#include <vector>

#include "model/Document2D.h"

namespace vlhost {

class Property : public Api<NoCore, vlapi::IProperty> {
 public:
  Property(int id, std::wstring name, int type) : id(id), name(std::move(name)), type(type) {}
  int id;
  std::wstring name;
  int type;
  int GetAPIObjectType() override { return vlapi::vlObjectProperty; }
  bool Update() override { return true; }
  std::wstring GetName() override { return name; }
  void SetName(const std::wstring& value) override { name = value; }
  int GetDataType() override { return type; }
  void SetDataType(int value) override { type = value; }
};

// Built-in properties have their numbers as ids; defined ones count from 1000.
class PropertyMng : public Api<NoCore, vlapi::IPropertyMng> {
 public:
  PropertyMng();
  std::vector<Ref<Property>> builtIn;
  std::vector<Ref<Property>> defined;
  Ref<Property> Define(const std::wstring& name, int type, int id = 0);
  Property* ById(int id) const;

  int GetCount() override { return static_cast<int>(defined.size()); }
  vlapi::IPropertyPtr GetItem(int index) override;
  vlapi::IPropertyPtr GetProperty(const std::wstring& name) override;
  vlapi::IPropertyPtr GetBuiltInProperty(int number) override;
  vlapi::IPropertyPtr AddProperty() override;
};

}  // namespace vlhost
