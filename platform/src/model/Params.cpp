#include "model/Params.h"

#include "model/Macro.h"

namespace vlhost {
namespace {

class SectionApi : public Api<NoCore, vlapi::ISpecificationTuningSection> {
 public:
  SectionApi(Ref<Specification> spec, std::size_t d, std::size_t s) : spec_(std::move(spec)), d_(d), s_(s) {}
  int GetKind() override { return Section().kind; }
  bool SetColumns(int first, int count, int mode, int width) override {
    Section().columns = {first, count, mode, width};
    return true;
  }

 private:
  SpecSection& Section() { return spec_->descriptions[d_].sections[s_]; }
  Ref<Specification> spec_;
  std::size_t d_, s_;
};

class SectionsApi : public Api<NoCore, vlapi::ISpecificationTuningSections, vlapi::ISpecificationTuning> {
 public:
  SectionsApi(Ref<Specification> spec, std::size_t d) : spec_(std::move(spec)), d_(d) {}
  int GetCount() override { return static_cast<int>(spec_->descriptions[d_].sections.size()); }
  vlapi::ISpecificationTuningSectionPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::ISpecificationTuningSection>(new SectionApi(spec_, d_, static_cast<std::size_t>(index)));
  }
  vlapi::ISpecificationTuningSectionsPtr GetSections() override {
    return Give<vlapi::ISpecificationTuningSections>(this);
  }
  bool Apply() override {
    ++spec_->descriptions[d_].tuningApplied;
    return true;
  }

 private:
  Ref<Specification> spec_;
  std::size_t d_;
};

class BaseObjectApi : public Api<NoCore, vlapi::ISpecificationBaseObject> {
 public:
  BaseObjectApi(Ref<Specification> spec, std::size_t d, std::size_t o) : spec_(std::move(spec)), d_(d), o_(o) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  void SetAutoFill(int value) override { spec_->descriptions[d_].objects[o_].autoFill = value; }

 private:
  Ref<Specification> spec_;
  std::size_t d_, o_;
};

class BaseObjectsApi : public Api<NoCore, vlapi::ISpecificationBaseObjects> {
 public:
  BaseObjectsApi(Ref<Specification> spec, std::size_t d) : spec_(std::move(spec)), d_(d) {}
  int GetCount() override { return static_cast<int>(spec_->descriptions[d_].objects.size()); }
  vlapi::ISpecificationBaseObjectPtr Add(vlapi::ISpecificationObjectCreateParam* param, vlapi::IPropertyKeeper* keeper,
                                         int mode, const vlapi::APIObjectList&) override {
    auto* create = dynamic_cast<SpecCreateParam*>(param);
    if (!create) return {};
    SpecObject object;
    if (Node* node = dynamic_cast<Node*>(keeper)) object.keeperRef = node->Reference();
    object.mode = mode;
    object.sectionMode = create->sectionMode;
    object.positionMode = create->positionMode;
    auto& objects = spec_->descriptions[d_].objects;
    objects.push_back(object);
    return Give<vlapi::ISpecificationBaseObject>(new BaseObjectApi(spec_, d_, objects.size() - 1));
  }

 private:
  Ref<Specification> spec_;
  std::size_t d_;
};

class DescriptionApi : public Api<NoCore, vlapi::ISpecificationDescription> {
 public:
  DescriptionApi(Ref<Specification> spec, std::size_t d) : spec_(std::move(spec)), d_(d) {}
  vlapi::ISpecificationTuningPtr GetTuning() override {
    return Give<vlapi::ISpecificationTuning>("ISpecificationDescription::GetTuning", new SectionsApi(spec_, d_));
  }
  vlapi::ISpecificationBaseObjectsPtr GetBaseObjects() override {
    return Give<vlapi::ISpecificationBaseObjects>("ISpecificationDescription::GetBaseObjects",
                                                  new BaseObjectsApi(spec_, d_));
  }

 private:
  Ref<Specification> spec_;
  std::size_t d_;
};

}  // namespace

geom::Transform CopyData::Placement(int column, int row) const {
  return geom::Transform::move(target.x - base.x, target.y - base.y)
      .then(geom::Transform::turn(target, angle))
      .then(geom::Transform::scale(target, scale))
      .then(geom::Transform::move(column * columnStep, row * rowStep));
}

vlapi::ISpecificationDescriptionPtr Specification::GetDescription() {
  if (descriptions.empty()) return {};
  return Give<vlapi::ISpecificationDescription>(new DescriptionApi(Ref<Specification>(this), 0));
}

vlapi::ISpecificationDescriptionPtr Specification::Add(const std::wstring& name, int, const std::wstring&) {
  if (Failures::Instance().Fails("ISpecificationDescriptions::Add")) return {};
  SpecDescription description;
  description.name = name;
  descriptions.push_back(std::move(description));
  return Give<vlapi::ISpecificationDescription>(new DescriptionApi(Ref<Specification>(this), descriptions.size() - 1));
}

}  // namespace vlhost
