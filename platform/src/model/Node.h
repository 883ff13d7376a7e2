#pragma once
// The plain bases of the host's document content: nodes with references,
// drawing objects (shapes) and the containers that hold them.
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/Api.h"
#include "geom/Curves.h"

namespace vlhost {

class Document2D;
class Container;
class View;

// Anything that can be named by a reference within a 2D document. The
// reference-counting functions are those of the vlapi object built on it.
class Node {
 public:
  Node() = default;
  Node(const Node& other) : doc_(nullptr), ref_(0), alive_(other.alive_) {}
  Node& operator=(const Node&) = delete;
  virtual ~Node();

  virtual long AddRef() = 0;
  virtual long Release() = 0;
  virtual bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) = 0;

  Document2D* Doc() const { return doc_; }
  int32_t Reference() const { return ref_; }
  bool Alive() const { return alive_; }
  // Enters the node into the document's reference table: under `ref` when it
  // is free (a document being read), else under the next free reference.
  void Register(Document2D* doc, int32_t ref = 0);
  // Takes the node out of the drawing: its reference names nothing any more.
  virtual void Kill();
  // The document is going: the node no longer belongs to it.
  void Orphan() { doc_ = nullptr; ref_ = 0; }
  vlapi::IAPIObjectPtr Identity();
  // Counts the updates the host was asked for (tests read them).
  int Updates() const { return updates_; }
  void CountUpdate() { ++updates_; }

 private:
  Document2D* doc_ = nullptr;
  int32_t ref_ = 0;
  bool alive_ = true;
  int updates_ = 0;
};

using CloneMap = std::unordered_map<const class Shape*, class Shape*>;

// A drawing object. Its geometry is in the coordinates of its container.
class Shape : public Node {
 public:
  Shape() = default;
  // A copy stands in no container until it is put in one.
  Shape(const Shape& other) : Node(other), layer(other.layer), style(other.style) {}
  int layer = 0;
  int style = 1;

  virtual int Type() const = 0;     // DrawingObjectTypeEnum
  virtual int ApiType() const = 0;  // VarnelAPIObjectTypeEnum
  // The curves that draw the object; empty for objects without geometry.
  virtual std::vector<geom::Curve> Curves() const { return {}; }
  virtual bool HasCurve() const { return false; }
  virtual bool Graphic() const { return true; }
  virtual geom::Box Box() const;
  virtual void Apply(const geom::Transform& t) = 0;
  // A copy for `doc`; `map` learns old → new of this and of every copied member.
  virtual Ref<Shape> Clone(Document2D* doc, CloneMap& map) const = 0;
  // Re-aims links to other shapes after a copy.
  virtual void Remap(const CloneMap&) {}
  void Kill() override;

  Container* Parent() const { return parent_; }
  void SetParent(Container* parent) { parent_ = parent; }
  View* OwnerView() const;
  // From this object's coordinates to those of the view it stands in.
  geom::Transform ToView() const;

 private:
  friend class Container;
  Container* parent_ = nullptr;
  std::size_t slot_ = 0;  // its place among its container's items
};

// A view or a macro: holds shapes in drawing order.
class Container {
 public:
  Container() = default;
  // A copy of a container starts empty: its owner copies the members.
  Container(const Container&) {}
  Container& operator=(const Container&) = delete;
  virtual ~Container() = default;
  const std::vector<Ref<Shape>>& Items() const {
    if (holes_) Compact();
    return items_;
  }
  // Puts `shape` at the end; it leaves its former container.
  void Adopt(const Ref<Shape>& shape);
  void Remove(Shape* shape);
  std::vector<Ref<Shape>> ItemsOf(const vlapi::TypeList& types) const;
  virtual Node* OwnerNode() = 0;
  virtual View* OwnerView() = 0;
  // From the container's coordinates to those of its parent container.
  virtual geom::Transform ToParent() const = 0;
  virtual Container* ParentContainer() const = 0;
  // The layer given to new objects.
  virtual int DefaultLayer() const = 0;

 private:
  void Compact() const;
  // In drawing order. A shape removed leaves its place empty until the items
  // are asked for, so that removing many shapes costs no more than their count.
  mutable std::vector<Ref<Shape>> items_;
  mutable std::size_t holes_ = 0;
};

Node* AsNode(View* view);

bool TypeMatches(const Shape& shape, const vlapi::TypeList& types);

}  // namespace vlhost
