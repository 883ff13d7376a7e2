#include "model/View.h"

#include "geom/Contour.h"

#include <algorithm>

#include "model/Group.h"
#include "model/Macro.h"
#include "model/Shapes.h"
#include "model/Table.h"

namespace vlhost {
namespace {

// Adds shapes of one kind to a container; the new shape joins the open groups.
template <class I>
class CollectionApi : public Api<NoCore, I> {
 public:
  CollectionApi(Container& container, int type) : keep_(container.OwnerNode()), container_(container), type_(type) {}
  int GetCount() override { return static_cast<int>(container_.ItemsOf({type_}).size()); }
  vlapi::IDrawingObjectPtr GetItem(int index) override {
    const auto items = container_.ItemsOf({type_});
    if (index < 0 || index >= static_cast<int>(items.size())) return {};
    return vlapi::IDrawingObjectPtr(items[static_cast<std::size_t>(index)]->Identity());
  }
  vlapi::IDrawingObjectPtr Add() override {
    Ref<Shape> shape = New();
    return shape ? vlapi::IDrawingObjectPtr(shape->Identity()) : nullptr;
  }

 protected:
  Ref<Shape> New() {
    Document2D* doc = container_.OwnerNode()->Doc();
    if (!doc || Failures::Instance().Fails("IDrawingObjects::Add")) return {};
    Ref<Shape> shape = MakeShape(type_);
    if (!shape) return {};
    shape->Register(doc);
    shape->layer = container_.DefaultLayer();
    container_.Adopt(shape);
    doc->Drawn(shape);
    return shape;
  }
  Container& Target() { return container_; }

 private:
  Ref<Node> keep_;
  Container& container_;
  int type_;
};

class MacroCollection : public CollectionApi<vlapi::IMacroObjects> {
 public:
  using CollectionApi::CollectionApi;
  vlapi::IMacroObjectPtr AddMacro(int) override {
    if (Failures::Instance().Fails("IMacroObjects::AddMacro")) return {};
    Ref<Shape> shape = New();
    return shape ? vlapi::IMacroObjectPtr(shape->Identity()) : nullptr;
  }
};

class ContourCollection : public CollectionApi<vlapi::IDrawingContours> {
 public:
  using CollectionApi::CollectionApi;
  vlapi::IDrawingGroupPtr CreateEnclosingContours(double x, double y, const vlapi::APIObjectList&, int) override;
};

class TableCollection : public CollectionApi<vlapi::IDrawingTables> {
 public:
  using CollectionApi::CollectionApi;
  vlapi::IDrawingTablePtr AddTable(int rows, int columns, double rowHeight, double columnWidth, int) override {
    if (rows < 0 || columns <= 0 || rowHeight <= 0 || columnWidth <= 0 ||
        Failures::Instance().Fails("IDrawingTables::AddTable"))
      return {};
    Ref<Shape> shape = New();
    auto* table = static_cast<DrawingTable*>(shape.get());
    if (!table) return {};
    table->Resize(rows, columns, rowHeight, columnWidth);
    return vlapi::IDrawingTablePtr(shape->Identity());
  }
};

class ColouringCollection : public CollectionApi<vlapi::IColourings> {
 public:
  using CollectionApi::CollectionApi;
};

// The curves a user sees in `container`, in its coordinates `t` maps to those
// searched: its objects on visible layers and, placed by their macros, the
// members of its macros at any depth. A macro on a hidden layer hides its members.
void CollectVisibleCurves(const Container& container, const View* view, const geom::Transform& t,
                          std::vector<geom::Curve>& out) {
  for (const Ref<Shape>& shape : container.Items()) {
    if (view && !view->ShowsLayer(shape->layer)) continue;
    if (const auto* macro = dynamic_cast<const MacroObject*>(shape.get()))
      CollectVisibleCurves(*macro, view, macro->Placement().then(t), out);
    else if (shape->HasCurve())
      for (const geom::Curve& c : shape->Curves()) out.push_back(geom::transformed(c, t));
  }
}

vlapi::IDrawingGroupPtr ContourCollection::CreateEnclosingContours(double x, double y, const vlapi::APIObjectList&,
                                                                   int) {
  Document2D* doc = Target().OwnerNode()->Doc();
  if (!doc || Failures::Instance().Fails("IDrawingContours::CreateEnclosingContours")) return {};
  std::vector<geom::Curve> curves;
  CollectVisibleCurves(Target(), Target().OwnerView(), {}, curves);
  std::vector<Ref<Shape>> contours;
  for (const geom::Contour& found : geom::enclosingContours(curves, {x, y})) {
    Ref<ContourShape> contour = Make<ContourShape>();
    for (const geom::ContourEdge& edge : found.edges) contour->pieces.push_back(edge.curve);
    contour->Register(doc);
    contours.push_back(contour);
  }
  if (contours.empty()) return {};
  return Give<vlapi::IDrawingGroup>(FloatingGroup(doc, contours).get());
}

class LayersApi : public Api<NoCore, vlapi::ILayers> {
 public:
  explicit LayersApi(View* view) : view_(view) {}
  int GetCount() override { return static_cast<int>(view_->LayerList().size()); }
  vlapi::IVarnelAPIObjectPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::IVarnelAPIObject>(view_->LayerList()[static_cast<std::size_t>(index)].get());
  }
  vlapi::ILayerPtr GetLayer(int number) override {
    return Give<vlapi::ILayer>("ILayers::GetLayer", view_->LayerByNumber(number));
  }
  vlapi::ILayerPtr FindLayer(const std::wstring& name) override {
    return Give<vlapi::ILayer>("ILayers::FindLayer", view_->LayerByName(name));
  }
  vlapi::ILayerPtr Add() override {
    if (Failures::Instance().Fails("ILayers::Add")) return {};
    return Give<vlapi::ILayer>(view_->AddLayer(view_->NextLayerNumber(), L"").get());
  }

 private:
  Ref<View> view_;
};

class ViewsApi : public Api<NoCore, vlapi::IViews, vlapi::IViewsAndLayersManager> {
 public:
  explicit ViewsApi(Document2D* doc) : doc_(doc) {}
  vlapi::IViewsPtr GetViews() override { return Give<vlapi::IViews>("IViewsAndLayersManager::GetViews", this); }
  int GetCount() override { return static_cast<int>(doc_->Views().size()); }
  vlapi::IVarnelAPIObjectPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::IVarnelAPIObject>(doc_->Views()[static_cast<std::size_t>(index)].get());
  }
  vlapi::IViewPtr GetView(int number) override { return Give<vlapi::IView>("IViews::GetView", doc_->ViewByNumber(number)); }
  vlapi::IViewPtr GetActiveView() override {
    return Give<vlapi::IView>("IViews::GetActiveView", doc_->CurrentView());
  }
  vlapi::IViewPtr FindView(const std::wstring& name) override {
    for (const auto& v : doc_->Views())
      if (v->name == name) return Give<vlapi::IView>("IViews::FindView", v.get());
    return {};
  }
  vlapi::IViewPtr Add(int) override {
    if (Failures::Instance().Fails("IViews::Add")) return {};
    return Give<vlapi::IView>(doc_->AddView(-1).get());
  }

 private:
  Ref<Document2D> doc_;
};

}  // namespace

Layer::Layer(View* view, int number, std::wstring name) : view_(view), number_(number), name_(std::move(name)) {}

void Layer::SetNumber(int value) {
  if (view_) view_->Unfile(this);
  number_ = value;
  if (view_) view_->File(this);
}

void Layer::SetName(const std::wstring& value) {
  if (view_) view_->Unfile(this);
  name_ = value;
  if (view_) view_->File(this);
}

bool Layer::Update() {
  CountUpdate();
  return view_ != nullptr;
}

bool Layer::GetCurrent() { return view_ && view_->CurrentLayer() == number_; }

void Layer::MakeCurrent() {
  if (view_) view_->SetCurrentLayer(number_);
}

bool Layer::Delete() {
  if (!view_ || number_ == 0) return false;  // the system layer stays
  Ref<Layer> keep(this);
  View* view = view_;
  view_ = nullptr;
  view->RemoveLayer(this);
  return true;
}

View::View(Document2D* doc, int number) : number(number) {
  Register(doc);
  AddLayer(0, L"0");
}

View::~View() {
  for (const auto& l : layers_) l->Detach();
}

Layer* View::LayerByNumber(int wanted) const {
  auto it = byNumber_.find(wanted);
  return it == byNumber_.end() ? nullptr : it->second.begin()->second;
}

Layer* View::LayerByName(const std::wstring& wanted) const {
  auto it = byName_.find(wanted);
  return it == byName_.end() ? nullptr : it->second.begin()->second;
}

int View::NextLayerNumber() const { return byNumber_.empty() ? 0 : std::max(0, byNumber_.rbegin()->first + 1); }

void View::File(Layer* layer) {
  byNumber_[layer->number_].emplace(layer->order_, layer);
  byName_[layer->name_].emplace(layer->order_, layer);
}

void View::Unfile(Layer* layer) {
  auto number = byNumber_.find(layer->number_);
  if (number != byNumber_.end() && number->second.erase(layer->order_) && number->second.empty()) byNumber_.erase(number);
  auto name = byName_.find(layer->name_);
  if (name != byName_.end() && name->second.erase(layer->order_) && name->second.empty()) byName_.erase(name);
}

Ref<Layer> View::AddLayer(int layerNumber, const std::wstring& layerName) {
  Ref<Layer> layer = Make<Layer>(this, layerNumber, layerName);
  if (Doc()) layer->Register(Doc());
  layer->order_ = nextOrder_++;
  layers_.push_back(layer);
  File(layer.get());
  return layer;
}

void View::RemoveLayer(Layer* layer) {
  // Looked for from the end: layers are mostly taken away last first.
  auto at = std::find_if(layers_.rbegin(), layers_.rend(), [&](const Ref<Layer>& l) { return l.get() == layer; });
  if (at == layers_.rend()) return;
  Unfile(layer);
  if (currentLayer_ == layer->number_) currentLayer_ = 0;
  layers_.erase(std::next(at).base());
}

void View::Kill() {
  std::vector<Ref<Shape>> items = Items();
  for (const auto& s : items) s->Kill();
  Node::Kill();
}

Ref<View> View::CopyFor(Document2D* doc) const {
  Ref<View> copy = Make<View>(doc, number);
  copy->name = name;
  copy->x = x;
  copy->y = y;
  copy->scale = scale;
  for (const auto& l : layers_) {
    Ref<Layer> layer = l->number_ == 0 ? Ref<Layer>(copy->LayerByNumber(0)) : copy->AddLayer(l->number_, l->name_);
    layer->SetName(l->name_);
    layer->color = l->color;
    layer->visible = l->visible;
  }
  copy->currentLayer_ = currentLayer_;
  // One map for the whole view, so that links between its objects follow the copies.
  CloneMap map;
  for (const auto& s : Items()) copy->Adopt(s->Clone(doc, map));
  for (const auto& s : copy->Items()) s->Remap(map);
  return copy;
}

bool View::Update() {
  CountUpdate();
  return Alive();
}

bool View::GetCurrent() { return Doc() && Doc()->CurrentView() == this; }

void View::SetCurrent(bool current) {
  if (Doc() && current) Doc()->MakeCurrent(this);
}

vlapi::ILayersPtr View::GetLayers() { return Give<vlapi::ILayers>("IView::GetLayers", new LayersApi(this)); }

void View::TransformViewToSheet(double& px, double& py) {
  px = x + scale * px;
  py = y + scale * py;
}

void View::TransformSheetToView(double& px, double& py) {
  px = (px - x) / scale;
  py = (py - y) / scale;
}

bool View::Delete() {
  if (!Doc() || number == 0) return false;  // the system view stays
  Doc()->RemoveView(this);
  return true;
}

vlapi::DrawingObjectList View::GetObjects(const vlapi::TypeList& types) { return ListObjects(*this, types); }
vlapi::IDrawingObjectsPtr View::GetCollection(int type) { return CollectionOf(*this, type); }
vlapi::IMacroObjectsPtr View::GetMacroObjects() { return MacroCollectionOf(*this); }
vlapi::IDrawingContoursPtr View::GetDrawingContours() { return ContourCollectionOf(*this); }
vlapi::IColouringsPtr View::GetColourings() { return ColouringCollectionOf(*this); }

vlapi::DrawingObjectList ListObjects(const Container& container, const vlapi::TypeList& types) {
  vlapi::DrawingObjectList out;
  if (Failures::Instance().Fails("IDrawingContainer::GetObjects")) return out;
  for (const Ref<Shape>& s : container.ItemsOf(types)) out.emplace_back(s->Identity());
  return out;
}

vlapi::IDrawingObjectsPtr CollectionOf(Container& container, int type) {
  if (!MakeShape(type)) return {};
  return Give<vlapi::IDrawingObjects>("IDrawingContainer::GetCollection",
                                      new CollectionApi<vlapi::IDrawingObjects>(container, type));
}

vlapi::IMacroObjectsPtr MacroCollectionOf(Container& container) {
  return Give<vlapi::IMacroObjects>("IDrawingContainer::GetMacroObjects", new MacroCollection(container, vlapi::vlDrMacro));
}

vlapi::IDrawingContoursPtr ContourCollectionOf(Container& container) {
  return Give<vlapi::IDrawingContours>("IDrawingContainer::GetDrawingContours",
                                       new ContourCollection(container, vlapi::vlDrContour));
}

vlapi::IColouringsPtr ColouringCollectionOf(Container& container) {
  return Give<vlapi::IColourings>("IDrawingContainer::GetColourings",
                                  new ColouringCollection(container, vlapi::vlDrColouring));
}

vlapi::IDrawingTablesPtr View::GetDrawingTables() { return TableCollectionOf(*this); }

vlapi::IDrawingTablesPtr TableCollectionOf(Container& container) {
  return Give<vlapi::IDrawingTables>("ISymbols2DContainer::GetDrawingTables",
                                     new TableCollection(container, vlapi::vlDrTable));
}

vlapi::IViewsAndLayersManagerPtr MakeViewsManager(Document2D* doc) {
  return Give<vlapi::IViewsAndLayersManager>(new ViewsApi(doc));
}

}  // namespace vlhost
