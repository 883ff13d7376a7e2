#include "model/Group.h"

#include <algorithm>

#include "host/Application.h"
#include "model/View.h"

namespace vlhost {
namespace {

class GroupsApi : public Api<NoCore, vlapi::IDrawingGroups> {
 public:
  explicit GroupsApi(Document2D* doc) : doc_(doc) {}
  int GetCount() override { return static_cast<int>(doc_->StoredGroups().size()); }
  vlapi::IDrawingGroupPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::IDrawingGroup>(doc_->StoredGroups()[static_cast<std::size_t>(index)].get());
  }
  vlapi::IDrawingGroupPtr Add(bool temporary, const std::wstring& name) override {
    if (Failures::Instance().Fails("IDrawingGroups::Add")) return {};
    Ref<Group> group = Make<Group>(doc_.get(), temporary, name);
    if (!temporary) doc_->Keep(group);
    return Give<vlapi::IDrawingGroup>(group.get());
  }

 private:
  Ref<Document2D> doc_;
};

std::vector<Ref<Shape>> CopiesOf(const std::vector<Ref<Shape>>& shapes, Document2D* doc) {
  std::vector<Ref<Shape>> copies;
  for (const auto& s : shapes) {
    CloneMap map;
    Ref<Shape> copy = s->Clone(doc, map);
    // Members of macros are taken as they stand in the view.
    if (s->Parent()) copy->Apply(s->ToView());
    copies.push_back(copy);
  }
  return copies;
}

}  // namespace

Group::Group(Document2D* doc, bool temporary, std::wstring name) : temporary(temporary), name(std::move(name)) {
  Register(doc);
}

Group::~Group() {
  if (Doc()) Doc()->Closed(this);
}

void Group::Take(const Ref<Shape>& shape) {
  if (taken_.insert(shape.get()).second) members.push_back(shape);
}

std::vector<Ref<Shape>> Group::LiveMembers() const {
  std::vector<Ref<Shape>> live;
  for (const auto& m : members)
    if (m->Alive()) live.push_back(m);
  return live;
}

std::vector<Ref<View>> Group::LiveViews() const {
  std::vector<Ref<View>> live;
  for (const auto& v : views)
    if (v->Alive()) live.push_back(v);
  return live;
}

bool Group::Open() {
  if (!Doc()) return false;
  open = true;
  Doc()->Opened(this);
  return true;
}

bool Group::Close() {
  open = false;
  if (Doc()) Doc()->Closed(this);
  return true;
}

vlapi::DrawingObjectList Group::GetObjects(const vlapi::TypeList& types) {
  vlapi::DrawingObjectList out;
  if (Failures::Instance().Fails("IDrawingGroup::GetObjects")) return out;
  for (const auto& m : LiveMembers())
    if (TypeMatches(*m, types)) out.emplace_back(m->Identity());
  return out;
}

bool Group::AddObjects(const vlapi::APIObjectList& objects) {
  for (const auto& o : objects) {
    if (Shape* s = ShapeOf(o.get()); s && s->Alive()) {
      Take(Ref<Shape>(s));
    } else if (auto* v = dynamic_cast<View*>(NodeOf(o.get())); v && v->Alive() && v->Doc() == Doc() &&
               std::none_of(views.begin(), views.end(), [&](const Ref<View>& m) { return m.get() == v; })) {
      views.emplace_back(v);
    }
  }
  return true;
}

bool Group::CopyToClipboard(int, int) {
  if (!Doc() || !Doc()->App() || Failures::Instance().Fails("IDrawingGroup::CopyToClipboard")) return false;
  Doc()->App()->Clipboard() = CopiesOf(LiveMembers(), nullptr);
  return true;
}

bool Group::ReadFromClipboard(int, int) {
  if (!Doc() || !Doc()->App() || Failures::Instance().Fails("IDrawingGroup::ReadFromClipboard")) return false;
  for (const auto& copy : CopiesOf(Doc()->App()->Clipboard(), Doc())) Take(copy);
  return true;
}

vlapi::IDrawingGroupPtr Group::CopyToDocument(vlapi::IVarnelDocument* document) {
  auto* target = dynamic_cast<Document2D*>(document);
  if (!target || Failures::Instance().Fails("IDrawingGroup::CopyToDocument")) return {};
  Ref<Group> copy = FloatingGroup(target, CopiesOf(LiveMembers(), target));
  for (const auto& v : LiveViews()) copy->views.push_back(v->CopyFor(target));
  return Give<vlapi::IDrawingGroup>(copy.get());
}

bool Group::Store() {
  View* view = Doc() ? Doc()->CurrentView() : nullptr;
  if (!view || Failures::Instance().Fails("IDrawingGroup::Store")) return false;
  for (const auto& m : LiveMembers()) {
    if (m->Parent()) continue;
    view->Adopt(m);
    Doc()->Drawn(m);
  }
  for (const auto& v : LiveViews()) Doc()->TakeView(v);
  return true;
}

bool Group::Clear(bool) {
  members.clear();
  taken_.clear();
  views.clear();
  return true;
}

bool Group::Delete() {
  Ref<Group> keep(this);
  for (const auto& m : LiveMembers()) m->Kill();
  members.clear();
  taken_.clear();
  for (const auto& v : LiveViews())
    if (Doc() && Doc()->ViewByNumber(v->number) == v.get()) v->Delete();  // the system view stays
    else v->Kill();
  views.clear();
  if (Doc()) Doc()->Drop(this);
  Kill();
  return true;
}

vlapi::IDrawingGroupsPtr MakeGroups(Document2D* doc) { return Give<vlapi::IDrawingGroups>(new GroupsApi(doc)); }

Ref<Group> FloatingGroup(Document2D* doc, const std::vector<Ref<Shape>>& shapes) {
  Ref<Group> group = Make<Group>(doc, true, L"");
  for (const auto& s : shapes) group->Take(s);
  return group;
}

}  // namespace vlhost
