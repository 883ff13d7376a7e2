#pragma once
// Parameter objects made by a 2D document, and the parts-list (specification object) descriptions.
#include <vector>

#include "model/Document2D.h"

namespace vlhost {

struct CopyData {
  virtual ~CopyData() = default;
  geom::Point base, target;
  double scale = 1, angle = 0;
  bool copyAttributes = false;
  int columns = 1, rows = 1;
  double rowStep = 0, columnStep = 0;
  bool mesh = false;
  // Where the k-th copy of the mesh goes (k from 0): base → target, turned,
  // scaled, then shifted along the mesh.
  geom::Transform Placement(int column, int row) const;
};

template <class I>
class CopyParamApi : public Api<CopyData, I> {
 public:
  int GetAPIObjectType() override { return this->mesh ? vlapi::vlObjectMeshCopyObjectParam : vlapi::vlObjectCopyObjectParam; }
  bool Update() override { return true; }
  void SetBaseX(double v) override { this->base.x = v; }
  void SetBaseY(double v) override { this->base.y = v; }
  void SetTargetX(double v) override { this->target.x = v; }
  void SetTargetY(double v) override { this->target.y = v; }
  void SetScale(double v) override { this->scale = v; }
  void SetAngle(double v) override { this->angle = v; }
  void SetCopyAttributes(bool v) override { this->copyAttributes = v; }
  double GetBaseX() override { return this->base.x; }
  double GetBaseY() override { return this->base.y; }
  double GetTargetX() override { return this->target.x; }
  double GetTargetY() override { return this->target.y; }
  double GetScale() override { return this->scale; }
  double GetAngle() override { return this->angle; }
};

class CopyParam : public CopyParamApi<vlapi::ICopyObjectParam> {};

class MeshCopyParam : public CopyParamApi<vlapi::IMeshCopyObjectParam> {
 public:
  MeshCopyParam() { mesh = true; }
  void SetColumns(int count) override { columns = count; }
  void SetRows(int count) override { rows = count; }
  void SetRowStep(double step) override { rowStep = step; }
  void SetColumnStep(double step) override { columnStep = step; }
};

class InertiaProperties : public Api<NoCore, vlapi::IInertiaProperties> {
 public:
  double area = 0, perimeter = 0, cx = 0, cy = 0;
  int GetAPIObjectType() override { return vlapi::vlObjectInertiaProperties; }
  bool Update() override { return true; }
  double GetArea() override { return area; }
  double GetPerimeter() override { return perimeter; }
  double GetCenterX() override { return cx; }
  double GetCenterY() override { return cy; }
};

class InertiaParam : public Api<NoCore, vlapi::IInertiaPropertiesCalculateParam> {
 public:
  double density = 1;
  int GetAPIObjectType() override { return vlapi::vlObjectInertiaPropertiesCalculateParam; }
  bool Update() override { return true; }
  double GetDensity() override { return density; }
  void SetDensity(double v) override { density = v; }
};

class FindParams : public Api<NoCore, vlapi::IFindObjectParameters> {
 public:
  vlapi::TypeList types{vlapi::vlAllObj};
  int GetAPIObjectType() override { return vlapi::vlObjectFindObjectParameters; }
  bool Update() override { return true; }
  vlapi::TypeList GetTypes() override { return types; }
  void SetTypes(const vlapi::TypeList& v) override { types = v; }
};

class SpecCreateParam : public Api<NoCore, vlapi::ISpecificationObjectCreateParam> {
 public:
  int sectionMode = -1, positionMode = -1;
  int GetAPIObjectType() override { return vlapi::vlSpecificationObjectCreateParam; }
  bool Update() override { return true; }
  void SetSectionMode(int v) override { sectionMode = v; }
  void SetPositionMode(int v) override { positionMode = v; }
};

// What the host keeps of a document's specification: its descriptions, the
// columns set up in their sections and the objects entered into them.
struct SpecSection {
  int kind = 0;
  std::vector<int> columns;  // the last SetColumns arguments
};

struct SpecObject {
  int32_t keeperRef = 0;
  int mode = 0;
  int autoFill = 0;
  int sectionMode = -1, positionMode = -1;
};

struct SpecDescription {
  std::wstring name;
  std::vector<SpecSection> sections{{10, {}}, {20, {}}, {30, {}}};
  int tuningApplied = 0;
  std::vector<SpecObject> objects;
};

class Specification : public Api<NoCore, vlapi::ISpecificationDescriptions> {
 public:
  std::vector<SpecDescription> descriptions;
  int GetCount() override { return static_cast<int>(descriptions.size()); }
  vlapi::ISpecificationDescriptionPtr GetDescription() override;
  vlapi::ISpecificationDescriptionPtr Add(const std::wstring& name, int mode, const std::wstring& library) override;
};

}  // namespace vlhost
