// Parts, bodies, faces, features and the sheet-metal container of a 3D
// document, made on demand over its part tree.
#include "model3d/Part3D.h"

#include "host/Application.h"

namespace vlhost {
namespace {

using vlapi::IFeature;

bool Off(const char* call) { return Failures::Instance().Fails(call); }

// One body of a part and what the host knows of it.
struct BodyRef {
  std::shared_ptr<PartData> part;
  std::size_t index = 0;
  const BodyData& Data() const { return part->bodies[index]; }
  const BuiltBody* Built() const { return Data().built.get(); }
  std::size_t Faces() const { return Built() ? Built()->element.size() : 0; }
  // Recipe elements: 0 the base plate or the block, 1 + i flange i.
  std::size_t Elements() const { return Data().sheet ? 1 + Data().recipe.flanges.size() : 1; }
};

vlapi::IBodyPtr BodyApiOf(const BodyRef& body);
vlapi::IFeaturePtr ElementOf(const BodyRef& body, std::size_t element);

class FaceApi : public Api<NoCore, vlapi::IFace>, public KernelHolder {
 public:
  FaceApi(BodyRef body, std::size_t face) : body_(std::move(body)), face_(face) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetModelObjectType() override { return vlapi::o3d_face; }
  std::wstring GetName() override { return L"Грань " + std::to_wstring(face_ + 1); }
  vlapi::IBodyPtr GetBody() override { return Off("IFace::GetBody") ? nullptr : BodyApiOf(body_); }
  double GetArea() override { return Off("IFace::GetArea") ? 0 : Face()->GetArea(); }
  MbRefItem* KernelObject() override { return Face(); }

 private:
  MbFace* Face() const { return body_.Built()->solid->GetShell()->GetFace(face_); }
  BodyRef body_;
  std::size_t face_;
};

vlapi::ModelObjectList FacesOf(const BodyRef& body, int element) {
  vlapi::ModelObjectList faces;
  for (std::size_t f = 0; f < body.Faces(); ++f)
    if (element < 0 || body.Built()->element[f] == element) faces.emplace_back(Give<vlapi::IFace>(new FaceApi(body, f)));
  return faces;
}

// The features that built a body, its sheet-metal body's first.
vlapi::FeatureList ElementsOf(const BodyRef& body) {
  vlapi::FeatureList list;
  for (std::size_t e = 0; e < body.Elements(); ++e) list.push_back(ElementOf(body, e));
  return list;
}

// What every feature of a body answers.
template <class... Is>
class FeatureBase : public Api<NoCore, IFeature, Is...> {
 public:
  FeatureBase(BodyRef body, int element) : body_(std::move(body)), element_(element) {}
  vlapi::BodyList GetResultBodies() override {
    if (Off("IFeature::GetResultBodies")) return {};
    return {BodyApiOf(body_)};
  }
  vlapi::ModelObjectList GetModelObjects(int type) override {
    if (Off("IFeature::GetModelObjects")) return {};
    if (type == vlapi::o3d_face) return FacesOf(body_, element_);
    if (type == vlapi::o3d_body) return {vlapi::IModelObjectPtr(BodyApiOf(body_))};
    return {};
  }
  vlapi::FeatureList GetRelatedFeatures(bool parents, bool children, bool) override {
    if (Off("IFeature::GetRelatedFeatures")) return {};
    vlapi::FeatureList list;
    const vlapi::FeatureList all = ElementsOf(body_);
    // A flange is built on the base plate; the body on every element.
    if (element_ < 0 && parents) return all;
    if (element_ > 0 && parents) list.push_back(all.front());
    if (element_ == 0 && children) list.insert(list.end(), all.begin() + 1, all.end());
    return list;
  }

 protected:
  BodyRef body_;
  int element_;  // -1: the body itself
};

class BodyApi : public FeatureBase<vlapi::IBody>, public KernelHolder {
 public:
  explicit BodyApi(BodyRef body) : FeatureBase(std::move(body), -1) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetModelObjectType() override { return vlapi::o3d_body; }
  std::wstring GetName() override { return body_.Data().name; }
  int64_t GetId() override { return Off("IBody::GetId") ? 0 : body_.Data().id; }
  MbRefItem* KernelObject() override { return body_.Built() ? body_.Built()->solid.get() : nullptr; }
};

class BaseElement : public FeatureBase<vlapi::ISheetMetalBody> {
 public:
  using FeatureBase::FeatureBase;
  double GetThickness() override { return Off("ISheetMetalBody::GetThickness") ? 0 : Recipe().thickness; }
  double GetBendCoefficient() override {
    return Off("ISheetMetalBody::GetBendCoefficient") ? 0 : Recipe().coefficient;
  }
  double GetBendRadius() override { return Off("ISheetMetalBody::GetBendRadius") ? 0 : Recipe().radius; }

 private:
  const SheetRecipe& Recipe() const { return body_.Data().recipe; }
};

class FlangeElement : public FeatureBase<vlapi::ISheetMetalBend> {
 public:
  using FeatureBase::FeatureBase;
  double GetAngle() override { return Off("ISheetMetalBend::GetAngle") ? 0 : Flange().angle; }
  double GetRadius() override {
    if (Off("ISheetMetalBend::GetRadius")) return 0;
    return Flange().radius > 0 ? Flange().radius : body_.Data().recipe.radius;
  }

 private:
  const vlhost::Flange& Flange() const { return body_.Data().recipe.flanges[static_cast<std::size_t>(element_ - 1)]; }
};

class BlockFeature : public FeatureBase<> {
 public:
  using FeatureBase::FeatureBase;
};

vlapi::IBodyPtr BodyApiOf(const BodyRef& body) { return Give<vlapi::IBody>(new BodyApi(body)); }

vlapi::IFeaturePtr ElementOf(const BodyRef& body, std::size_t element) {
  const int e = static_cast<int>(element);
  if (!body.Data().sheet) return Give<IFeature>(new BlockFeature(body, e));
  if (element == 0) return Give<IFeature>(static_cast<IFeature*>(new BaseElement(body, e)));
  return Give<IFeature>(static_cast<IFeature*>(new FlangeElement(body, e)));
}

std::vector<BodyRef> SheetBodies(const std::shared_ptr<PartData>& part) {
  std::vector<BodyRef> bodies;
  for (std::size_t b = 0; b < part->bodies.size(); ++b)
    if (part->bodies[b].sheet && part->bodies[b].built) bodies.push_back({part, b});
  return bodies;
}

// The part's unfold switch; its faces are those of every sheet body.
class UnfoldParameters : public Api<NoCore, vlapi::ISheetMetalBendUnfoldParameters, IFeature> {
 public:
  explicit UnfoldParameters(std::shared_ptr<PartData> part) : part_(std::move(part)) {}
  bool GetUnfold() override { return !Off("ISheetMetalBendUnfoldParameters::GetUnfold") && part_->unfold; }
  void SetUnfold(bool unfold) override { part_->unfold = unfold; }
  vlapi::BodyList GetResultBodies() override {
    vlapi::BodyList list;
    if (Off("IFeature::GetResultBodies")) return list;
    for (const BodyRef& body : SheetBodies(part_)) list.push_back(BodyApiOf(body));
    return list;
  }
  vlapi::ModelObjectList GetModelObjects(int type) override {
    vlapi::ModelObjectList list;
    if (Off("IFeature::GetModelObjects") || type != vlapi::o3d_face) return list;
    for (const BodyRef& body : SheetBodies(part_)) {
      const vlapi::ModelObjectList faces = FacesOf(body, -1);
      list.insert(list.end(), faces.begin(), faces.end());
    }
    return list;
  }
  vlapi::FeatureList GetRelatedFeatures(bool, bool, bool) override { return {}; }

 private:
  std::shared_ptr<PartData> part_;
};

template <class C>
class Collection : public Api<NoCore, C> {
 public:
  explicit Collection(vlapi::FeatureList items) : items_(std::move(items)) {}
  int GetCount() override { return static_cast<int>(items_.size()); }
  vlapi::IFeaturePtr GetItem(int index) override {
    if (index < 0 || index >= GetCount() || Off("ISheetMetalCollection::GetItem")) return {};
    return items_[static_cast<std::size_t>(index)];
  }

 private:
  vlapi::FeatureList items_;
};

class BasePlane : public Api<NoCore, vlapi::IModelObject> {
 public:
  BasePlane(std::shared_ptr<PartData> part, int kind) : part_(std::move(part)), kind_(kind) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetModelObjectType() override { return vlapi::o3d_plane; }
  std::wstring GetName() override {
    return kind_ == vlapi::vlPlaneXOY ? L"Плоскость XY" : kind_ == vlapi::vlPlaneXOZ ? L"Плоскость XZ" : L"Плоскость YZ";
  }
  const PartData* Part() const { return part_.get(); }
  int Kind() const { return kind_; }

 private:
  std::shared_ptr<PartData> part_;
  int kind_;
};

class SketchApi : public Api<NoCore, vlapi::ISketch> {
 public:
  SketchApi(Ref<Document3D> doc, std::shared_ptr<PartData> part, std::shared_ptr<SketchData> sketch)
      : doc_(std::move(doc)), part_(std::move(part)), sketch_(std::move(sketch)) {}
  SketchData* Data() const { return sketch_.get(); }

  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override {
    if (Off("ISketch::Update") || !sketch_->base) return false;
    sketch_->placed = true;
    return true;
  }
  int GetModelObjectType() override { return vlapi::o3d_sketch; }
  std::wstring GetName() override { return Off("ISketch::GetName") ? std::wstring() : sketch_->name; }
  void SetName(const std::wstring& name) override { sketch_->name = name; }
  bool SetBaseObject(vlapi::IModelObject* base) override {
    auto* plane = dynamic_cast<BasePlane*>(base);
    if (!plane || plane->Part() != part_.get() || Off("ISketch::SetBaseObject")) return false;
    sketch_->base = plane->Kind();
    return true;
  }
  vlapi::IModelObjectPtr GetBaseObject() override {
    if (!sketch_->base || Off("ISketch::GetBaseObject")) return {};
    return Give<vlapi::IModelObject>(new BasePlane(part_, sketch_->base));
  }
  vlapi::IVarnelDocument2DPtr BeginEdit(int) override {
    if (!sketch_->base || !sketch_->drawing || !doc_->App() || Off("ISketch::BeginEdit")) return {};
    if (doc_->editing && doc_->editing != sketch_) return {};
    doc_->editing = sketch_;
    return vlapi::IVarnelDocument2DPtr(static_cast<vlapi::IVarnelDocument2D*>(sketch_->drawing.get()));
  }
  bool EndEdit() override {
    if (doc_->editing != sketch_ || Off("ISketch::EndEdit")) return false;
    doc_->editing = nullptr;
    return true;
  }
  bool IsEditing() override { return doc_->editing == sketch_; }

 private:
  Ref<Document3D> doc_;
  std::shared_ptr<PartData> part_;
  std::shared_ptr<SketchData> sketch_;
};

class SketchesApi : public Api<NoCore, vlapi::ISketches> {
 public:
  SketchesApi(Ref<Document3D> doc, std::shared_ptr<PartData> part) : doc_(std::move(doc)), part_(std::move(part)) {}
  int GetCount() override { return static_cast<int>(part_->sketches.size()); }
  vlapi::ISketchPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount() || Off("ISketches::GetItem")) return {};
    return Give<vlapi::ISketch>(new SketchApi(doc_, part_, part_->sketches[static_cast<std::size_t>(index)]));
  }
  vlapi::ISketchPtr Add() override {
    if (!doc_->App() || Off("ISketches::Add")) return {};
    part_->sketches.push_back(NewSketch(doc_->App()));
    return GetItem(GetCount() - 1);
  }

 private:
  Ref<Document3D> doc_;
  std::shared_ptr<PartData> part_;
};

class PartApi : public Api<NoCore, vlapi::IPart, vlapi::IParts, IFeature, vlapi::ISheetMetalContainer,
                           vlapi::IModelContainer> {
 public:
  PartApi(Ref<Document3D> doc, std::shared_ptr<PartData> part) : doc_(std::move(doc)), part_(std::move(part)) {}

  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override {
    // Only a part with a sheet body is a sheet part.
    if (vlapi::SameIID(iid, vlapi::IID_ISheetMetalContainer) && SheetBodies(part_).empty()) {
      *object = nullptr;
      return false;
    }
    return Api::QueryInterface(iid, object);
  }

  // vlapi::IPart
  int GetAPIObjectType() override { return vlapi::vlObjectPart; }
  bool Update() override { return true; }
  std::wstring GetName() override { return part_->name; }
  std::wstring GetDesignation() override { return part_->designation; }
  std::wstring GetFileName() override { return part_->fileName; }
  std::wstring GetMaterial() override { return Off("IPart::GetMaterial") ? std::wstring() : part_->material; }
  bool IsDetail() override { return part_->detail; }
  vlapi::IPartsPtr GetParts() override { return Give<vlapi::IParts>("IPart::GetParts", this); }
  vlapi::IBodyPtr GetBody(int64_t id) override {
    if (Off("IPart::GetBody")) return {};
    for (std::size_t b = 0; b < part_->bodies.size(); ++b)
      if (part_->bodies[b].id == id && part_->bodies[b].built) return BodyApiOf({part_, b});
    return {};
  }
  vlapi::IModelObjectPtr GetDefaultPlane(int kind) override {
    if (kind < vlapi::vlPlaneXOY || kind > vlapi::vlPlaneYOZ || Off("IPart::GetDefaultPlane")) return {};
    return Give<vlapi::IModelObject>(new BasePlane(part_, kind));
  }

  // vlapi::IParts
  int GetCount() override { return static_cast<int>(part_->children.size()); }
  vlapi::IPartPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return PartApiOf(doc_, part_->children[static_cast<std::size_t>(index)]);
  }
  vlapi::APIObjectList GetObjects() override {
    vlapi::APIObjectList list;
    for (int i = 0; i < GetCount(); ++i) list.emplace_back(GetItem(i));
    return list;
  }

  // vlapi::IFeature: the part's bodies, their faces and what built them.
  vlapi::BodyList GetResultBodies() override {
    vlapi::BodyList list;
    if (Off("IFeature::GetResultBodies")) return list;
    for (std::size_t b = 0; b < part_->bodies.size(); ++b)
      if (part_->bodies[b].built) list.push_back(BodyApiOf({part_, b}));
    return list;
  }
  vlapi::ModelObjectList GetModelObjects(int type) override {
    vlapi::ModelObjectList list;
    if (Off("IFeature::GetModelObjects")) return list;
    for (std::size_t b = 0; b < part_->bodies.size(); ++b) {
      if (!part_->bodies[b].built) continue;
      if (type == vlapi::o3d_body) list.emplace_back(BodyApiOf({part_, b}));
      if (type == vlapi::o3d_face) {
        const vlapi::ModelObjectList faces = FacesOf({part_, b}, -1);
        list.insert(list.end(), faces.begin(), faces.end());
      }
    }
    return list;
  }
  vlapi::FeatureList GetRelatedFeatures(bool, bool children, bool) override {
    vlapi::FeatureList list;
    if (!children || Off("IFeature::GetRelatedFeatures")) return list;
    for (std::size_t b = 0; b < part_->bodies.size(); ++b) {
      if (!part_->bodies[b].built) continue;
      const vlapi::FeatureList elements = ElementsOf({part_, b});
      list.insert(list.end(), elements.begin(), elements.end());
    }
    return list;
  }

  // vlapi::ISheetMetalContainer: base plates among the bodies, flanges among the edge bends.
  vlapi::ISheetMetalBendUnfoldParametersPtr GetUnfoldParameters() override {
    if (Off("ISheetMetalContainer::GetUnfoldParameters")) return {};
    return Give<vlapi::ISheetMetalBendUnfoldParameters>(
        static_cast<vlapi::ISheetMetalBendUnfoldParameters*>(new UnfoldParameters(part_)));
  }
  vlapi::ISheetMetalBodiesPtr GetSheetMetalBodies() override {
    return Elements<vlapi::ISheetMetalBodies>("ISheetMetalContainer::GetSheetMetalBodies", true);
  }
  vlapi::ISheetMetalBendsPtr GetSheetMetalBends() override {
    return Elements<vlapi::ISheetMetalBends>("ISheetMetalContainer::GetSheetMetalBends", false);
  }
  vlapi::ISheetMetalBendsPtr GetSheetMetalEdgeBends() override {
    return None<vlapi::ISheetMetalBends>("ISheetMetalContainer::GetSheetMetalEdgeBends");
  }
  vlapi::ISheetMetalLineBendsPtr GetSheetMetalLineBends() override {
    return None<vlapi::ISheetMetalLineBends>("ISheetMetalContainer::GetSheetMetalLineBends");
  }
  vlapi::ISheetMetalHolesPtr GetSheetMetalHoles() override {
    return None<vlapi::ISheetMetalHoles>("ISheetMetalContainer::GetSheetMetalHoles");
  }
  vlapi::ISheetMetalCutsPtr GetSheetMetalCuts() override {
    return None<vlapi::ISheetMetalCuts>("ISheetMetalContainer::GetSheetMetalCuts");
  }
  vlapi::ISheetMetalSketchBendsPtr GetSheetMetalSketchBends() override {
    return None<vlapi::ISheetMetalSketchBends>("ISheetMetalContainer::GetSheetMetalSketchBends");
  }
  vlapi::ISheetMetalClosedCornersPtr GetSheetMetalClosedCorners() override {
    return None<vlapi::ISheetMetalClosedCorners>("ISheetMetalContainer::GetSheetMetalClosedCorners");
  }
  vlapi::ISheetMetalPlatesPtr GetSheetMetalPlates() override {
    return None<vlapi::ISheetMetalPlates>("ISheetMetalContainer::GetSheetMetalPlates");
  }
  vlapi::ISheetMetalLineBendsPtr GetSheetMetalJogs() override {
    return None<vlapi::ISheetMetalLineBends>("ISheetMetalContainer::GetSheetMetalJogs");
  }
  vlapi::ISheetMetalBendedStraightensPtr GetSheetMetalBendedStraightens() override {
    return None<vlapi::ISheetMetalBendedStraightens>("ISheetMetalContainer::GetSheetMetalBendedStraightens");
  }
  vlapi::ISheetMetalPressFormingsPtr GetSheetMetalPressFormings() override {
    return None<vlapi::ISheetMetalPressFormings>("ISheetMetalContainer::GetSheetMetalPressFormings");
  }
  vlapi::ISheetMetalShouldersPtr GetSheetMetalShoulders() override {
    return None<vlapi::ISheetMetalShoulders>("ISheetMetalContainer::GetSheetMetalShoulders");
  }
  vlapi::ISheetMetalJalousiesPtr GetSheetMetalJalousies() override {
    return None<vlapi::ISheetMetalJalousies>("ISheetMetalContainer::GetSheetMetalJalousies");
  }
  vlapi::ISheetMetalRibsPtr GetSheetMetalRibs() override {
    return None<vlapi::ISheetMetalRibs>("ISheetMetalContainer::GetSheetMetalRibs");
  }
  vlapi::ISheetMetalBodiesPtr GetSheetMetalLoftedBodies() override {
    return None<vlapi::ISheetMetalBodies>("ISheetMetalContainer::GetSheetMetalLoftedBodies");
  }
  vlapi::ISheetMetalPunchsPtr GetSheetMetalPunchs() override {
    return None<vlapi::ISheetMetalPunchs>("ISheetMetalContainer::GetSheetMetalPunchs");
  }
  vlapi::IConvertsToSheetMetalsPtr GetConvertsToSheetMetal() override {
    return None<vlapi::IConvertsToSheetMetals>("ISheetMetalContainer::GetConvertsToSheetMetal");
  }

  // vlapi::IModelContainer
  vlapi::ISketchesPtr GetSketches() override {
    return Give<vlapi::ISketches>("IModelContainer::GetSketches", new SketchesApi(doc_, part_));
  }

 private:
  // The base plates (`bases`) or the flanges of every sheet body, in body order.
  template <class C>
  SmartPtr<C, Traits<C>::iid> Elements(const char* call, bool bases) {
    vlapi::FeatureList items;
    for (const BodyRef& body : SheetBodies(part_))
      for (std::size_t e = bases ? 0 : 1; e < (bases ? 1 : body.Elements()); ++e) items.push_back(ElementOf(body, e));
    return Give<C>(call, new Collection<C>(std::move(items)));
  }
  template <class C>
  SmartPtr<C, Traits<C>::iid> None(const char* call) {
    return Give<C>(call, new Collection<C>({}));
  }

  Ref<Document3D> doc_;
  std::shared_ptr<PartData> part_;
};

}  // namespace

vlapi::IPartPtr PartApiOf(Ref<Document3D> doc, std::shared_ptr<PartData> part) {
  return Give<vlapi::IPart>(new PartApi(std::move(doc), std::move(part)));
}

SketchData* SketchOf(vlapi::IAPIObject* object) {
  auto* sketch = dynamic_cast<SketchApi*>(object);
  return sketch ? sketch->Data() : nullptr;
}

std::shared_ptr<SketchData> NewSketch(Application* app) {
  auto sketch = std::make_shared<SketchData>();
  sketch->drawing = Make<Document2D>(app, vlapi::vlDocumentFragment, false);
  return sketch;
}

}  // namespace vlhost
