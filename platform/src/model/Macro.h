#pragma once
// Macro objects: named, placed groups of members with an application
// library's user parameters and property values.
#include <cstdint>
#include <string>
#include <vector>

#include "model/Shapes.h"
#include "model/View.h"

namespace vlhost {

// Six settings of a macro, in the order libraries write them.
struct MacroSettings {
  bool editable = true;
  bool editMode = false;
  bool hotPointsEditable = true;
  int drawOrder = 0;
  int copyMode = 0;
  int explodeMode = 0;
};

struct UserParameters {
  int command = 0;
  std::wstring libraryId;
  std::wstring moduleName;
  std::vector<uint8_t> data;
};

class MacroCore : public Shape, public Container {
 public:
  using Shape::Shape;
};

class MacroObject : public Api<MacroCore, vlapi::IMacroObject, vlapi::IDrawingContainer, vlapi::ISymbols2DContainer,
                               vlapi::IUserParameters, vlapi::IPropertyKeeper> {
 public:
  MacroObject() = default;
  MacroObject(const MacroObject& other);
  int Type() const override { return vlapi::vlDrMacro; }
  int ApiType() const override { return vlapi::vlObjectMacroObject; }
  Ref<Shape> Clone(Document2D* doc, CloneMap& map) const override;

  std::wstring name;
  geom::Point origin;
  double angle = 0;  // degrees
  MacroSettings settings;
  UserParameters user;
  PropertyValues values;

  static void Rehome(Shape& shape, Document2D* doc);
  bool Contains(const Shape& shape) const;
  // From the members' coordinates to the macro's container.
  geom::Transform Placement() const;
  std::vector<geom::Curve> Curves() const override;
  geom::Box Box() const override;
  void Apply(const geom::Transform& t) override;
  void Kill() override;

  // Container
  Node* OwnerNode() override { return this; }
  View* OwnerView() override { return Shape::OwnerView(); }
  geom::Transform ToParent() const override { return Placement(); }
  Container* ParentContainer() const override { return Parent(); }
  int DefaultLayer() const override { return 0; }

  // vlapi::IDrawingObject
  int GetAPIObjectType() override { return ApiType(); }
  bool Update() override;
  int GetType() override { return Type(); }
  int GetLayer() override { return layer; }
  void SetLayer(int value) override { layer = value; }
  int GetStyle() override { return style; }
  void SetStyle(int value) override { style = value; }
  bool IsGeometry() override { return false; }
  bool IsGraphic() override { return true; }
  vlapi::ICurve2DPtr GetCurve() override { return {}; }
  vlapi::IVarnelAPIObjectPtr GetParent() override;
  vlapi::IViewPtr GetView() override;
  bool Delete() override;
  // vlapi::IMacroObject
  std::wstring GetName() override { return name; }
  void SetName(const std::wstring& value) override { name = value; }
  bool GetPlacement(double& x, double& y, double& a, int& mirrored) override;
  bool SetPlacement(double x, double y, double a, int mode, int relative) override;
  bool AddObjects(const vlapi::APIObjectList& objects) override;
  bool GetEditable() override { return settings.editable; }
  void SetEditable(bool v) override { settings.editable = v; }
  bool GetEditMode() override { return settings.editMode; }
  void SetEditMode(bool v) override { settings.editMode = v; }
  bool GetHotPointsEditable() override { return settings.hotPointsEditable; }
  void SetHotPointsEditable(bool v) override { settings.hotPointsEditable = v; }
  int GetDrawOrder() override { return settings.drawOrder; }
  void SetDrawOrder(int v) override { settings.drawOrder = v; }
  int GetCopyMode() override { return settings.copyMode; }
  void SetCopyMode(int v) override { settings.copyMode = v; }
  int GetExplodeMode() override { return settings.explodeMode; }
  void SetExplodeMode(int v) override { settings.explodeMode = v; }
  // vlapi::IDrawingContainer
  vlapi::DrawingObjectList GetObjects(const vlapi::TypeList& types) override { return ListObjects(*this, types); }
  vlapi::IDrawingObjectsPtr GetCollection(int type) override { return CollectionOf(*this, type); }
  vlapi::IMacroObjectsPtr GetMacroObjects() override { return MacroCollectionOf(*this); }
  vlapi::IDrawingContoursPtr GetDrawingContours() override { return ContourCollectionOf(*this); }
  vlapi::IColouringsPtr GetColourings() override { return ColouringCollectionOf(*this); }
  // vlapi::ISymbols2DContainer
  vlapi::IDrawingTablesPtr GetDrawingTables() override { return TableCollectionOf(*this); }
  // vlapi::IUserParameters
  int GetCommand() override { return user.command; }
  void SetCommand(int v) override { user.command = v; }
  std::wstring GetLibraryId() override { return user.libraryId; }
  void SetLibraryId(const std::wstring& v) override { user.libraryId = v; }
  std::wstring GetModuleName() override { return user.moduleName; }
  void SetModuleName(const std::wstring& v) override { user.moduleName = v; }
  std::vector<uint8_t> GetUserData() override { return user.data; }
  void SetUserData(const std::vector<uint8_t>& v) override { user.data = v; }
  // vlapi::IPropertyKeeper
  bool SetPropertyValue(vlapi::IProperty* property, const vlapi::PropertyValue& value, bool) override {
    return values.Set(property, value);
  }
  bool GetPropertyValue(vlapi::IProperty* property, vlapi::PropertyValue& value, bool, bool& fromSource) override {
    fromSource = false;
    return values.Get(property, value);
  }
};

}  // namespace vlhost
