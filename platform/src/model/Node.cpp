#include "model/Node.h"

#include <algorithm>

#include "model/Document2D.h"
#include "model/View.h"

namespace vlhost {

Node::~Node() {
  if (doc_) doc_->Leave(this);
}

void Node::Register(Document2D* doc, int32_t ref) {
  if (doc_) doc_->Leave(this);
  doc_ = doc;
  ref_ = doc ? doc->Enter(this, ref) : 0;
}

void Node::Kill() {
  alive_ = false;
  if (doc_) doc_->Leave(this);
  doc_ = nullptr;
  ref_ = 0;
}

vlapi::IAPIObjectPtr Node::Identity() {
  void* out = nullptr;
  if (!QueryInterface(vlapi::IID_IAPIObject, &out)) return {};
  return vlapi::IAPIObjectPtr::Attach(static_cast<vlapi::IAPIObject*>(out));
}

geom::Box Shape::Box() const {
  geom::Box box;
  for (const geom::Curve& curve : Curves()) box.add(geom::boundingBox(curve));
  return box;
}

void Shape::Kill() {
  Ref<Shape> keep(this);
  if (Document2D* doc = Doc()) doc->Forget(this);
  if (parent_) parent_->Remove(this);
  Node::Kill();
}

View* Shape::OwnerView() const { return parent_ ? parent_->OwnerView() : nullptr; }

geom::Transform Shape::ToView() const {
  geom::Transform t;
  for (Container* c = parent_; c; c = c->ParentContainer()) t = t.then(c->ToParent());
  return t;
}

void Container::Adopt(const Ref<Shape>& shape) {
  if (!shape) return;
  Ref<Shape> keep = shape;
  if (Container* old = shape->Parent()) old->Remove(shape.get());
  shape->slot_ = items_.size();
  items_.push_back(shape);
  shape->SetParent(this);
}

void Container::Remove(Shape* shape) {
  if (!shape || shape->parent_ != this || shape->slot_ >= items_.size() || items_[shape->slot_].get() != shape) return;
  shape->SetParent(nullptr);
  ++holes_;
  items_[shape->slot_] = nullptr;  // last: it may hold the last reference
}

void Container::Compact() const {
  std::erase(items_, nullptr);
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->slot_ = i;
  holes_ = 0;
}

std::vector<Ref<Shape>> Container::ItemsOf(const vlapi::TypeList& types) const {
  std::vector<Ref<Shape>> out;
  for (const Ref<Shape>& s : Items())
    if (TypeMatches(*s, types)) out.push_back(s);
  return out;
}

bool TypeMatches(const Shape& shape, const vlapi::TypeList& types) {
  return std::any_of(types.begin(), types.end(), [&](int t) {
    return t == vlapi::vlAllObj || t == shape.Type() || t == shape.ApiType();
  });
}

Node* AsNode(View* view) { return view; }

}  // namespace vlhost
