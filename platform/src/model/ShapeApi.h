#pragma once
// The vlapi face shared by every drawing object.
#include "model/Document2D.h"
#include "model/Node.h"

namespace vlhost {

// The parametric curve of an object: its curves one after another, curve k
// taking the parameters [k, k + 1) when there are several.
vlapi::ICurve2DPtr CurveOf(const Shape& shape);

template <class Leaf, class... Extra>
class ShapeApi : public Api<Shape, Leaf, Extra...> {
 public:
  int GetAPIObjectType() override { return this->ApiType(); }
  bool Update() override {
    this->CountUpdate();
    if (Document2D* doc = this->Doc()) doc->CountUpdate();
    return this->Alive();
  }
  int GetType() override { return this->Type(); }
  int GetLayer() override { return this->layer; }
  void SetLayer(int layer) override { this->layer = layer; }
  int GetStyle() override { return this->style; }
  void SetStyle(int style) override { this->style = style; }
  bool IsGeometry() override { return this->HasCurve(); }
  bool IsGraphic() override { return this->Graphic(); }
  vlapi::ICurve2DPtr GetCurve() override {
    if (Failures::Instance().Fails("IDrawingObject::GetCurve")) return {};
    return CurveOf(*this);
  }
  vlapi::IVarnelAPIObjectPtr GetParent() override {
    Container* parent = this->Parent();
    if (!parent || Failures::Instance().Fails("IDrawingObject::GetParent")) return {};
    return parent->OwnerNode()->Identity();
  }
  vlapi::IViewPtr GetView() override {
    View* view = this->OwnerView();
    if (!view || Failures::Instance().Fails("IDrawingObject::GetView")) return {};
    return vlapi::IViewPtr(AsNode(view)->Identity());
  }
  bool Delete() override {
    if (!this->Alive()) return false;
    this->Kill();
    return true;
  }
};

}  // namespace vlhost
