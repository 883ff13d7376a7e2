#pragma once
// Views, their layers, and the collections that reach them.
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/Document2D.h"

namespace vlhost {

class Layer : public Api<Node, vlapi::ILayer> {
 public:
  Layer(View* view, int number, std::wstring name);
  int color = 0;
  bool visible = true;

  // Number and name change through SetNumber and SetName, which tell the view.
  int Number() const { return number_; }
  const std::wstring& Name() const { return name_; }

  void Detach() { view_ = nullptr; }
  int GetAPIObjectType() override { return vlapi::vlObjectLayer; }
  bool Update() override;
  int GetNumber() override { return number_; }
  void SetNumber(int value) override;
  std::wstring GetName() override { return name_; }
  void SetName(const std::wstring& value) override;
  int GetColor() override { return color; }
  void SetColor(int value) override { color = value; }
  bool GetVisible() override { return visible; }
  void SetVisible(bool value) override { visible = value; }
  bool GetCurrent() override;
  void MakeCurrent() override;
  bool Delete() override;

 private:
  friend class View;
  View* view_;
  int number_;
  std::wstring name_;
  std::uint64_t order_ = 0;  // its place among the view's layers
};

class ViewCore : public Node, public Container {
 public:
  using Node::Node;
};

// A view: sheet = origin + scale * view coordinates.
class View : public Api<ViewCore, vlapi::IView, vlapi::IDrawingContainer, vlapi::ISymbols2DContainer> {
 public:
  View(Document2D* doc, int number);
  ~View() override;
  int number;
  std::wstring name;
  double x = 0;
  double y = 0;
  double scale = 1;
  bool current = false;

  const std::vector<Ref<Layer>>& LayerList() const { return layers_; }
  Layer* LayerByNumber(int number) const;
  Layer* LayerByName(const std::wstring& name) const;
  // Whether objects on the layer show (a layer the view lacks hides nothing).
  bool ShowsLayer(int number) const {
    const Layer* l = LayerByNumber(number);
    return !l || l->visible;
  }
  Ref<Layer> AddLayer(int number, const std::wstring& name);
  void RemoveLayer(Layer* layer);
  // One more than the greatest number of a layer, at least 0.
  int NextLayerNumber() const;
  int CurrentLayer() const { return currentLayer_; }
  void SetCurrentLayer(int number) { currentLayer_ = number; }
  void Kill() override;
  // A copy for `doc` with its layers and objects, standing in none of its views yet.
  Ref<View> CopyFor(Document2D* doc) const;

  // Container
  Node* OwnerNode() override { return this; }
  View* OwnerView() override { return this; }
  geom::Transform ToParent() const override { return {}; }
  Container* ParentContainer() const override { return nullptr; }
  int DefaultLayer() const override { return currentLayer_; }

  // vlapi::IView
  int GetAPIObjectType() override { return vlapi::vlObjectView; }
  bool Update() override;
  int GetNumber() override { return number; }
  std::wstring GetName() override { return name; }
  void SetName(const std::wstring& value) override { name = value; }
  double GetX() override { return x; }
  void SetX(double value) override { x = value; }
  double GetY() override { return y; }
  void SetY(double value) override { y = value; }
  double GetScale() override { return scale; }
  void SetScale(double value) override { if (value > 0) scale = value; }
  bool GetCurrent() override;
  void SetCurrent(bool current) override;
  vlapi::ILayersPtr GetLayers() override;
  void TransformViewToSheet(double& px, double& py) override;
  void TransformSheetToView(double& px, double& py) override;
  bool Delete() override;
  // vlapi::IDrawingContainer
  vlapi::DrawingObjectList GetObjects(const vlapi::TypeList& types) override;
  vlapi::IDrawingObjectsPtr GetCollection(int type) override;
  vlapi::IMacroObjectsPtr GetMacroObjects() override;
  vlapi::IDrawingContoursPtr GetDrawingContours() override;
  vlapi::IColouringsPtr GetColourings() override;
  // vlapi::ISymbols2DContainer
  vlapi::IDrawingTablesPtr GetDrawingTables() override;

 private:
  friend class Layer;
  // The layers by number and by name, each list in the layers' order, so
  // that the first is the one a look-up gives: a view may hold many
  // thousands of layers, read from a file.
  using InOrder = std::map<std::uint64_t, Layer*>;
  void File(Layer* layer);
  void Unfile(Layer* layer);

  std::vector<Ref<Layer>> layers_;
  std::map<int, InOrder> byNumber_;
  std::unordered_map<std::wstring, InOrder> byName_;
  std::uint64_t nextOrder_ = 0;
  int currentLayer_ = 0;
};

// The IDrawingContainer and ISymbols2DContainer faces shared by views and macros.
vlapi::DrawingObjectList ListObjects(const Container& container, const vlapi::TypeList& types);
vlapi::IDrawingObjectsPtr CollectionOf(Container& container, int type);
vlapi::IMacroObjectsPtr MacroCollectionOf(Container& container);
vlapi::IDrawingContoursPtr ContourCollectionOf(Container& container);
vlapi::IColouringsPtr ColouringCollectionOf(Container& container);
vlapi::IDrawingTablesPtr TableCollectionOf(Container& container);

// The views of a document (also its views-and-layers manager).
vlapi::IViewsAndLayersManagerPtr MakeViewsManager(Document2D* doc);

}  // namespace vlhost
