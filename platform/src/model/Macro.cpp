#include "model/Macro.h"

#include <cmath>

namespace vlhost {

MacroObject::MacroObject(const MacroObject& other)
    : Api(other), name(other.name), origin(other.origin), angle(other.angle), settings(other.settings),
      user(other.user), values(other.values) {
  layer = other.layer;
  style = other.style;
}

Ref<Shape> MacroObject::Clone(Document2D* doc, CloneMap& map) const {
  Ref<MacroObject> copy(new MacroObject(*this));
  map[this] = copy.get();
  if (doc) copy->Register(doc);
  for (const Ref<Shape>& member : Items()) copy->Adopt(member->Clone(doc, map));
  for (const Ref<Shape>& member : copy->Items()) member->Remap(map);
  return copy;
}

geom::Transform MacroObject::Placement() const {
  return geom::Transform::turn({0, 0}, angle).then(geom::Transform::move(origin.x, origin.y));
}

std::vector<geom::Curve> MacroObject::Curves() const {
  const geom::Transform t = Placement();
  std::vector<geom::Curve> out;
  for (const Ref<Shape>& member : Items())
    for (const geom::Curve& c : member->Curves()) out.push_back(geom::transformed(c, t));
  return out;
}

geom::Box MacroObject::Box() const {
  const geom::Transform t = Placement();
  geom::Box box;
  for (const Ref<Shape>& member : Items()) {
    const geom::Box b = member->Box();
    if (b.empty()) continue;
    for (geom::Point p : {b.min, b.max, geom::Point{b.min.x, b.max.y}, geom::Point{b.max.x, b.min.y}})
      box.add(t.apply(p));
  }
  return box;
}

// The members stay in the macro's own coordinates: a turn and a move change
// the placement; a scale or a mirror also reaches into the members.
void MacroObject::Apply(const geom::Transform& t) {
  origin = t.apply(origin);
  const double turn = t.turnAngle() * 180.0 / geom::kPi;
  angle = t.mirrors() ? turn - angle : angle + turn;
  geom::Transform inner = geom::Transform::scale({0, 0}, t.lengthFactor());
  if (t.mirrors()) inner = inner.then(geom::Transform::mirror({0, 0}, {1, 0}));
  if (t.mirrors() || std::abs(t.lengthFactor() - 1.0) > 1e-12)
    for (const Ref<Shape>& member : Items()) member->Apply(inner);
}

void MacroObject::Kill() {
  std::vector<Ref<Shape>> members = Items();
  for (const Ref<Shape>& member : members) member->Kill();
  Shape::Kill();
}

bool MacroObject::Update() {
  CountUpdate();
  if (Document2D* doc = Doc()) doc->CountUpdate();
  return Alive();
}

vlapi::IVarnelAPIObjectPtr MacroObject::GetParent() {
  Container* parent = Parent();
  if (!parent || Failures::Instance().Fails("IDrawingObject::GetParent")) return {};
  return parent->OwnerNode()->Identity();
}

vlapi::IViewPtr MacroObject::GetView() {
  View* view = Shape::OwnerView();
  if (!view || Failures::Instance().Fails("IDrawingObject::GetView")) return {};
  return vlapi::IViewPtr(view->Identity());
}

bool MacroObject::Delete() {
  if (!Alive()) return false;
  Kill();
  return true;
}

bool MacroObject::GetPlacement(double& x, double& y, double& a, int& mirrored) {
  x = origin.x;
  y = origin.y;
  a = angle;
  mirrored = 0;
  return true;
}

bool MacroObject::SetPlacement(double x, double y, double a, int, int relative) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(a)) return false;
  const geom::Point oldOrigin = origin;
  const double oldAngle = angle;
  if (relative) {
    origin = origin + geom::Point{x, y};
    angle += a;
  } else {
    origin = {x, y};
    angle = a;
  }
  // A turn is reported as one, a shift alone as a move.
  if (Document2D* doc = Doc(); doc && (angle != oldAngle || !(origin == oldOrigin)))
    doc->Changed(angle != oldAngle ? Event::ObjectsRotated : Event::ObjectsMoved, {Ref<Shape>(this)});
  return true;
}

// Whether `shape` is this macro's own container, at any depth (a macro cannot take it in).
bool MacroObject::Contains(const Shape& shape) const {
  for (Container* c = Parent(); c; c = c->ParentContainer())
    if (c->OwnerNode() == &shape) return true;
  return false;
}

// A shape from another document (or from none) takes references in `doc`, with its members.
void MacroObject::Rehome(Shape& shape, Document2D* doc) {
  shape.Register(doc);
  if (auto* macro = dynamic_cast<MacroObject*>(&shape))
    for (const Ref<Shape>& member : macro->Items()) Rehome(*member, doc);
}

// The members' coordinates become the macro's own: its placement places them.
bool MacroObject::AddObjects(const vlapi::APIObjectList& objects) {
  for (const auto& object : objects) {
    Shape* shape = ShapeOf(object.get());
    if (!shape || shape == this || !shape->Alive() || Contains(*shape)) continue;
    if (shape->Doc() != Doc()) Rehome(*shape, Doc());
    Adopt(Ref<Shape>(shape));
  }
  return true;
}

}  // namespace vlhost
