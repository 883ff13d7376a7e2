#include "model/Document2D.h"

#include <algorithm>
#include <cmath>

#include "host/Application.h"
#include "host/Panel.h"
#include "io/Files.h"
#include "model/Group.h"
#include "model/Layout.h"
#include "model/Macro.h"
#include "model/Params.h"
#include "model/Properties.h"
#include "model/Shapes.h"
#include "model/View.h"

namespace vlhost {
namespace {

template <class T>
void EraseFrom(std::vector<Ref<T>>& list, const T* item) {
  list.erase(std::remove_if(list.begin(), list.end(), [&](const Ref<T>& r) { return r.get() == item; }), list.end());
}

class FrameApi : public Api<NoCore, vlapi::IDocumentFrame> {
 public:
  explicit FrameApi(Document2D* doc) : doc_(doc) {}
  void Refresh() override { doc_->CountRefresh(); }

 private:
  Ref<Document2D> doc_;
};

template <class I>
class SelectionApi : public Api<NoCore, I> {
 public:
  SelectionApi(Document2D* doc, std::vector<Ref<Shape>>& list) : doc_(doc), list_(list) {}

 protected:
  vlapi::APIObjectList Listed(const char* call) {
    vlapi::APIObjectList out;
    if (Failures::Instance().Fails(call)) return out;
    for (const auto& s : list_)
      if (s->Alive()) out.emplace_back(s->Identity());
    return out;
  }
  bool Put(const vlapi::APIObjectList& objects) {
    for (const auto& o : objects) {
      Shape* s = ShapeOf(o.get());
      if (!s || !s->Alive() || s->Doc() != doc_.get()) continue;
      if (std::none_of(list_.begin(), list_.end(), [&](const Ref<Shape>& r) { return r.get() == s; }))
        list_.emplace_back(s);
    }
    return true;
  }
  bool Take(const vlapi::APIObjectList& objects) {
    for (const auto& o : objects)
      if (Shape* s = ShapeOf(o.get())) EraseFrom(list_, s);
    return true;
  }
  bool TakeAll() {
    list_.clear();
    return true;
  }

 private:
  Ref<Document2D> doc_;
  std::vector<Ref<Shape>>& list_;
};

class SelectionManager : public SelectionApi<vlapi::ISelectionManager> {
 public:
  using SelectionApi::SelectionApi;
  vlapi::APIObjectList GetSelectedObjects() override { return Listed("ISelectionManager::GetSelectedObjects"); }
  bool Select(const vlapi::APIObjectList& objects) override { return Put(objects); }
  bool Unselect(const vlapi::APIObjectList& objects) override { return Take(objects); }
  bool UnselectAll() override { return TakeAll(); }
};

class ChooseManager : public SelectionApi<vlapi::IChooseManager> {
 public:
  using SelectionApi::SelectionApi;
  vlapi::APIObjectList GetChosenObjects() override { return Listed("IChooseManager::GetChosenObjects"); }
  bool Choose(const vlapi::APIObjectList& objects) override { return Put(objects); }
  bool Unchoose(const vlapi::APIObjectList& objects) override { return Take(objects); }
  bool UnchooseAll() override { return TakeAll(); }
};

// Where a copy goes: the view of its source, or the current view for members of macros.
Container* CopyTarget(Document2D& doc, const Shape& source) {
  Container* parent = source.Parent();
  if (parent && parent->OwnerNode() == parent->OwnerView()) return parent;
  return doc.CurrentView();
}

// Whether the point lies within `tolerance` of a curve of the shape, or, for a
// shape without curves (a text, a table), inside its box.
bool Hits(const Shape& shape, geom::Point p, double tolerance) {
  const std::vector<geom::Curve> curves = shape.Curves();
  if (curves.empty()) return shape.Box().contains(p, tolerance);
  return std::any_of(curves.begin(), curves.end(), [&](const geom::Curve& c) {
    const auto nearest = geom::nearestPoint(c, p);
    return nearest && nearest->distance <= tolerance;
  });
}

}  // namespace

bool PropertyValues::Set(vlapi::IProperty* property, const vlapi::PropertyValue& value) {
  auto* p = dynamic_cast<Property*>(property);
  if (!p) return false;
  values[p->id] = value;
  return true;
}

bool PropertyValues::Get(vlapi::IProperty* property, vlapi::PropertyValue& value) const {
  auto* p = dynamic_cast<Property*>(property);
  if (!p) return false;
  auto it = values.find(p->id);
  if (it == values.end()) return false;
  value = it->second;
  return true;
}

DocumentBase::DocumentBase(Application* app, int type, bool visible)
    : app_(app), type_(type), number_(app ? app->NewDocumentNumber() : 0), visible_(visible) {}

std::wstring DocumentBase::Title() const {
  if (!path_.empty()) return WideOf(PathOf(path_).filename());
  const wchar_t* kind = type_ == vlapi::vlDocumentFragment ? L"Фрагмент"
                        : type_ == vlapi::vlDocumentPart   ? L"Деталь"
                        : type_ == vlapi::vlDocumentAssembly ? L"Сборка"
                                                             : L"Чертёж";
  return std::wstring(kind) + L" " + std::to_wstring(number_);
}

void DocumentBase::SetPath(const std::wstring& path) {
  path_ = path;
  std::error_code ec;
  canonical_ = path.empty() ? std::filesystem::path() : std::filesystem::weakly_canonical(PathOf(path), ec);
}

Node* NodeOf(vlapi::IAPIObject* object) { return object ? dynamic_cast<Node*>(object) : nullptr; }
Shape* ShapeOf(vlapi::IAPIObject* object) { return object ? dynamic_cast<Shape*>(object) : nullptr; }

Document2D::Document2D(Application* app, int type, bool visible)
    : Api(app, type, visible), properties_(Make<PropertyMng>()), spec_(Make<Specification>()) {
  AddView(0);
  MakeCurrent(views_.front().get());
  AddPage();
}

Document2D::~Document2D() { Dismantle(); }

void Document2D::Dismantle() {
  for (auto& [ref, node] : nodes_) node->Orphan();
  nodes_.clear();
  selection_.clear();
  chosen_.clear();
  openGroups_.clear();
  groups_.clear();
  pages_.clear();
  views_.clear();
}

// While a file is read, the references the host makes up for new nodes stay
// clear of those the file gives them.
void Document2D::ClearForReading() {
  Dismantle();
  lineStyles_.Clear();
  nextRef_ = 1 << 30;
}

int32_t Document2D::HighestReference() const {
  int32_t highest = 0;
  for (const auto& [ref, node] : nodes_) highest = std::max(highest, ref);
  return highest;
}

int32_t Document2D::Enter(Node* node, int32_t wanted) {
  int32_t ref = wanted;
  if (ref <= 0 || nodes_.count(ref)) ref = nextRef_;
  nextRef_ = std::max(nextRef_, ref + 1);
  nodes_[ref] = node;
  return ref;
}

void Document2D::Leave(Node* node) {
  auto it = nodes_.find(node->Reference());
  if (it != nodes_.end() && it->second == node) nodes_.erase(it);
}

Node* Document2D::Find(int32_t ref) const {
  auto it = nodes_.find(ref);
  return it == nodes_.end() ? nullptr : it->second;
}

View* Document2D::ViewByNumber(int number) const {
  for (const auto& v : views_)
    if (v->number == number) return v.get();
  return nullptr;
}

View* Document2D::CurrentView() const {
  for (const auto& v : views_)
    if (v->current) return v.get();
  return views_.empty() ? nullptr : views_.front().get();
}

void Document2D::MakeCurrent(View* view) {
  for (const auto& v : views_) v->current = v.get() == view;
}

Ref<View> Document2D::AddView(int number) {
  if (number < 0) {
    number = 0;
    for (const auto& v : views_) number = std::max(number, v->number + 1);
  }
  Ref<View> view = Make<View>(this, number);
  views_.push_back(view);
  return view;
}

void Document2D::TakeView(const Ref<View>& view) {
  if (std::any_of(views_.begin(), views_.end(), [&](const Ref<View>& v) { return v == view; })) return;
  if (ViewByNumber(view->number))
    for (const auto& v : views_) view->number = std::max(view->number, v->number + 1);
  views_.push_back(view);
}

void Document2D::RemoveView(View* view) {
  Ref<View> keep(view);
  const bool wasCurrent = CurrentView() == view;
  view->Kill();
  EraseFrom(views_, view);
  if (wasCurrent && !views_.empty()) MakeCurrent(views_.front().get());
}

Ref<LayoutSheet> Document2D::AddPage() {
  Ref<LayoutSheet> page = Make<LayoutSheet>(this);
  pages_.push_back(page);
  return page;
}

void Document2D::RemovePage(LayoutSheet* page) {
  Ref<LayoutSheet> keep(page);
  page->Kill();
  EraseFrom(pages_, page);
}

void Document2D::Keep(const Ref<Group>& group) { groups_.push_back(group); }

void Document2D::Drop(Group* group) {
  Closed(group);
  EraseFrom(groups_, group);
}

void Document2D::Opened(Group* group) {
  if (std::find(openGroups_.begin(), openGroups_.end(), group) == openGroups_.end()) openGroups_.push_back(group);
}

void Document2D::Closed(Group* group) {
  openGroups_.erase(std::remove(openGroups_.begin(), openGroups_.end(), group), openGroups_.end());
}

void Document2D::Drawn(const Ref<Shape>& shape) {
  for (Group* group : openGroups_) group->Take(shape);
}

void Document2D::Forget(Shape* shape) {
  EraseFrom(selection_, shape);
  EraseFrom(chosen_, shape);
}

bool Document2D::Activate() {
  if (!App()) return false;
  App()->Activate(this);
  return true;
}

bool Document2D::Close(int) {
  if (!App()) return false;
  Ref<Document2D> keep(this);
  Shell& shell = App()->GetShell();
  shell.DocumentClosing(*this);  // the handlers see it standing
  if (!App()) return true;       // a handler closed it meanwhile
  App()->Closing(this);
  shell.DocumentGone(*this);
  Dismantle();
  Orphan();
  return true;
}

void Document2D::Changed(Event event, const std::vector<Ref<Shape>>& shapes) {
  if (!App()) return;
  std::vector<Shape*> standing;
  for (const auto& s : shapes)
    if (s->Alive() && s->OwnerView()) standing.push_back(s.get());
  App()->GetShell().ObjectsChanged(*this, event, standing);
}

vlapi::IProcessPtr Document2D::CreateProcess(int type) {
  if (!App() || type != vlapi::vlProcess2DCursor || Failures::Instance().Fails("IVarnelDocument2D::CreateProcess"))
    return {};
  App()->GetShell().Note("IVarnelDocument2D::CreateProcess(" + std::to_string(type) + ")");
  return Give<vlapi::IProcess>(new Process(App()->GetShell(), this, type));
}

bool Document2D::IsProcessRunning() {
  if (processRunning_) return true;
  const Process* running = App() ? App()->GetShell().Running() : nullptr;
  return running && running->Doc() == this;
}

vlapi::IDrawingObjectEventsPtr Document2D::GetDrawingObjectEvents(const std::wstring& owner) {
  if (!App() || Failures::Instance().Fails("IVarnelDocument2D::GetDrawingObjectEvents")) return {};
  return App()->GetShell().ObjectEventsObject(*this, owner);
}

vlapi::IVarnelDocumentEventsPtr Document2D::GetDocumentEvents() {
  if (!App() || Failures::Instance().Fails("IVarnelDocument2D::GetDocumentEvents")) return {};
  return App()->GetShell().DocumentEventsObject(*this);
}

vlapi::IDocumentFramePtr Document2D::GetFrame() {
  if (!Visible()) return {};
  return Give<vlapi::IDocumentFrame>("IVarnelDocument::GetFrame", new FrameApi(this));
}

vlapi::IViewsAndLayersManagerPtr Document2D::GetViewsAndLayersManager() {
  if (Failures::Instance().Fails("IVarnelDocument2D::GetViewsAndLayersManager")) return {};
  return MakeViewsManager(this);
}

vlapi::ILayoutSheetsPtr Document2D::GetLayoutSheets() {
  if (Failures::Instance().Fails("IVarnelDocument2D::GetLayoutSheets")) return {};
  return MakeLayoutSheets(this);
}

vlapi::IDrawingGroupsPtr Document2D::GetDrawingGroups() {
  if (Failures::Instance().Fails("IVarnelDocument2D::GetDrawingGroups")) return {};
  return MakeGroups(this);
}

vlapi::ISelectionManagerPtr Document2D::GetSelectionManager() {
  return Give<vlapi::ISelectionManager>("IVarnelDocument2D::GetSelectionManager", new SelectionManager(this, selection_));
}

vlapi::IChooseManagerPtr Document2D::GetChooseManager() {
  return Give<vlapi::IChooseManager>("IVarnelDocument2D::GetChooseManager", new ChooseManager(this, chosen_));
}

vlapi::IPropertyMngPtr Document2D::GetPropertyMng() {
  return Give<vlapi::IPropertyMng>("IVarnelDocument2D::GetPropertyMng", properties_.get());
}

vlapi::ISpecificationDescriptionsPtr Document2D::GetSpecificationDescriptions() {
  return Give<vlapi::ISpecificationDescriptions>("IVarnelDocument2D::GetSpecificationDescriptions", spec_.get());
}

vlapi::IVarnelAPIObjectPtr Document2D::CreateAPIObject(int type) {
  if (Failures::Instance().Fails("IVarnelDocument2D::CreateAPIObject")) return {};
  switch (type) {
    case vlapi::vlObjectCopyObjectParam: return Give<vlapi::IVarnelAPIObject>(new CopyParam());
    case vlapi::vlObjectMeshCopyObjectParam: return Give<vlapi::IVarnelAPIObject>(new MeshCopyParam());
    case vlapi::vlObjectInertiaProperties: return Give<vlapi::IVarnelAPIObject>(new InertiaProperties());
    case vlapi::vlObjectInertiaPropertiesCalculateParam: return Give<vlapi::IVarnelAPIObject>(new InertiaParam());
    case vlapi::vlObjectFindObjectParameters: return Give<vlapi::IVarnelAPIObject>(new FindParams());
    case vlapi::vlSpecificationObjectCreateParam: return Give<vlapi::IVarnelAPIObject>(new SpecCreateParam());
    default: return {};
  }
}

std::vector<Ref<Shape>> Document2D::ShapesOf(const vlapi::APIObjectList& objects) const {
  std::vector<Ref<Shape>> out;
  for (const auto& o : objects) {
    if (Shape* s = vlhost::ShapeOf(o.get()); s && s->Alive()) {
      out.emplace_back(s);
    } else if (auto* g = dynamic_cast<Group*>(NodeOf(o.get()))) {
      for (const auto& member : g->LiveMembers()) out.push_back(member);
    }
  }
  return out;
}

bool Document2D::GetObjectsBox(const vlapi::APIObjectList& objects, double& x1, double& y1, double& x2, double& y2) {
  geom::Box box;
  for (const auto& s : ShapesOf(objects)) box.add(s->Box());
  if (box.empty() || Failures::Instance().Fails("IVarnelDocument2D::GetObjectsBox")) return false;
  x1 = box.min.x;
  y1 = box.min.y;
  x2 = box.max.x;
  y2 = box.max.y;
  return true;
}

bool Document2D::MoveObjects(const vlapi::APIObjectList& objects, double dx, double dy) {
  const auto t = geom::Transform::move(dx, dy);
  const std::vector<Ref<Shape>> shapes = ShapesOf(objects);
  for (const auto& s : shapes) s->Apply(t);
  Changed(Event::ObjectsMoved, shapes);
  return true;
}

bool Document2D::RotateObjects(const vlapi::APIObjectList& objects, double x, double y, double angleDegrees) {
  const auto t = geom::Transform::turn({x, y}, angleDegrees);
  const std::vector<Ref<Shape>> shapes = ShapesOf(objects);
  for (const auto& s : shapes) s->Apply(t);
  Changed(Event::ObjectsRotated, shapes);
  return true;
}

vlapi::IVarnelAPIObjectPtr Document2D::MirrorObjects(const vlapi::APIObjectList& objects, double x1, double y1,
                                                     double x2, double y2, int, int, int) {
  if (std::hypot(x2 - x1, y2 - y1) <= 0) return {};
  const auto t = geom::Transform::mirror({x1, y1}, {x2, y2});
  std::vector<Ref<Shape>> shapes = ShapesOf(objects);
  for (const auto& s : shapes) s->Apply(t);
  Changed(Event::ObjectsMoved, shapes);
  Ref<Group> group = Make<Group>(this, true, L"");
  for (const auto& s : shapes) group->Take(s);
  return Give<vlapi::IVarnelAPIObject>(group.get());
}

vlapi::APIObjectList Document2D::CopyObjects(const vlapi::APIObjectList& objects, vlapi::ICopyObjectParam* param) {
  auto* data = dynamic_cast<CopyData*>(param);
  vlapi::APIObjectList out;
  if (!data || Failures::Instance().Fails("IVarnelDocument2D::CopyObjects")) return out;
  const int columns = data->mesh ? std::max(data->columns, 0) : 1;
  const int rows = data->mesh ? std::max(data->rows, 1) : 1;
  std::vector<Ref<Shape>> copies;
  for (const auto& source : ShapesOf(objects)) {
    Container* target = CopyTarget(*this, *source);
    if (!target) continue;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < columns; ++c) {
        CloneMap map;
        Ref<Shape> copy = source->Clone(this, map);
        // The copy is placed from the source's own coordinates.
        copy->Apply(data->Placement(data->mesh ? c + 1 : 0, r));
        target->Adopt(copy);
        Drawn(copy);
        out.emplace_back(copy->Identity());
        copies.push_back(copy);
      }
    }
  }
  Changed(Event::ObjectsCopied, copies);
  return out;
}

void Document2D::SetTransformation(double x, double y, double angleDegrees, double scaleX, double) {
  transformation_ = geom::Transform::scale({x, y}, scaleX).then(geom::Transform::turn({x, y}, angleDegrees));
}

void Document2D::ResetTransformation() { transformation_ = geom::Transform{}; }

bool Document2D::TransformObjects(const vlapi::APIObjectList& objects) {
  const std::vector<Ref<Shape>> shapes = ShapesOf(objects);
  for (const auto& s : shapes) s->Apply(transformation_);
  const bool turns = std::abs(transformation_.turnAngle()) > 1e-12;
  Changed(turns ? Event::ObjectsRotated : Event::ObjectsMoved, shapes);
  return true;
}

bool Document2D::DestroyMacroObjects(const vlapi::APIObjectList& macros) {
  for (const auto& o : macros) {
    auto* macro = dynamic_cast<MacroObject*>(vlhost::ShapeOf(o.get()));
    if (!macro || !macro->Alive() || !macro->Parent()) continue;
    Ref<MacroObject> keep(macro);
    Container* parent = macro->Parent();
    const geom::Transform placement = macro->Placement();
    std::vector<Ref<Shape>> members = macro->Items();
    for (const auto& member : members) {
      member->Apply(placement);
      parent->Adopt(member);
    }
    macro->Kill();
  }
  return true;
}

vlapi::IDrawingGroupPtr Document2D::DecomposeObject(vlapi::IVarnelAPIObject* object, int level, int, double tolerance) {
  Shape* shape = vlhost::ShapeOf(object);
  if (!shape || !shape->Alive() || tolerance <= 0 || Failures::Instance().Fails("IVarnelDocument2D::DecomposeObject"))
    return {};
  std::vector<Ref<Shape>> pieces;
  for (const geom::Curve& curve : shape->Curves()) {
    if (level >= vlapi::vlDOLSegmentsArcs) {
      for (const geom::LineArc& piece : geom::linesAndArcs(curve, tolerance)) {
        if (const auto* seg = std::get_if<geom::Segment>(&piece)) {
          Ref<LineSegment> line = Make<LineSegment>();
          line->seg = *seg;
          pieces.push_back(line);
        } else {
          Ref<ArcShape> arc = Make<ArcShape>();
          arc->SetFrom(std::get<geom::Arc>(piece));
          pieces.push_back(arc);
        }
      }
    } else {
      const std::vector<geom::Point> points = geom::chordPoints(curve, tolerance);
      for (std::size_t i = 1; i < points.size(); ++i) {
        Ref<LineSegment> line = Make<LineSegment>();
        line->seg = {points[i - 1], points[i]};
        pieces.push_back(line);
      }
    }
  }
  for (const auto& p : pieces) {
    p->Register(this);
    p->layer = shape->layer;
    p->style = shape->style;
  }
  return Give<vlapi::IDrawingGroup>(FloatingGroup(this, pieces).get());
}

vlapi::IVarnelAPIObjectPtr Document2D::FindObject(double x, double y, double tolerance,
                                                  vlapi::IFindObjectParameters* param) {
  View* view = CurrentView();
  if (!view || Failures::Instance().Fails("IVarnelDocument2D::FindObject")) return {};
  const vlapi::TypeList types = param ? param->GetTypes() : vlapi::TypeList{vlapi::vlAllObj};
  // The last drawn object under the point wins, as it lies on top.
  const auto items = view->ItemsOf(types);
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    if (Hits(**it, {x, y}, tolerance)) return (*it)->Identity();
  return {};
}

void Document2D::SetTreeRebuild(bool rebuild) {
  switches_.treeRebuild = rebuild;
  ++(rebuild ? switches_.treeRebuildOn : switches_.treeRebuildOff);
}

void Document2D::SetEnableUndo(bool enable) {
  switches_.undoEnabled = enable;
  ++(enable ? switches_.undoOn : switches_.undoOff);
}

void Document2D::SetUndoContainer(bool open) {
  if (open) {
    ++switches_.undoDepth;
    ++switches_.undoContainersOpened;
  } else {
    switches_.undoDepth = std::max(0, switches_.undoDepth - 1);
    ++switches_.undoContainersClosed;
  }
}

bool Document2D::SetPropertyValue(vlapi::IProperty* property, const vlapi::PropertyValue& value, bool) {
  return values_.Set(property, value);
}

bool Document2D::GetPropertyValue(vlapi::IProperty* property, vlapi::PropertyValue& value, bool, bool& fromSource) {
  fromSource = false;
  return values_.Get(property, value);
}

}  // namespace vlhost
