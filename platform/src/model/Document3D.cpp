#include "model/Document3D.h"

#include "host/Application.h"
#include "io/Files.h"

namespace vlhost {
namespace {

class PartApi : public Api<NoCore, vlapi::IPart, vlapi::IParts> {
 public:
  PartApi(Ref<Document3D> doc, std::shared_ptr<PartData> part) : doc_(std::move(doc)), part_(std::move(part)) {}
  int GetAPIObjectType() override { return vlapi::vlObjectPart; }
  bool Update() override { return true; }
  std::wstring GetName() override { return part_->name; }
  std::wstring GetDesignation() override { return part_->designation; }
  std::wstring GetFileName() override { return part_->fileName; }
  bool IsDetail() override { return part_->detail; }
  vlapi::IPartsPtr GetParts() override { return Give<vlapi::IParts>("IPart::GetParts", this); }
  int GetCount() override { return static_cast<int>(part_->children.size()); }
  vlapi::IPartPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return Give<vlapi::IPart>(new PartApi(doc_, part_->children[static_cast<std::size_t>(index)]));
  }
  vlapi::APIObjectList GetObjects() override {
    vlapi::APIObjectList list;
    for (int i = 0; i < GetCount(); ++i) list.emplace_back(GetItem(i));
    return list;
  }

 private:
  Ref<Document3D> doc_;
  std::shared_ptr<PartData> part_;
};

}  // namespace

PartData& PartData::Add(const std::wstring& componentName, bool isDetail) {
  auto child = std::make_shared<PartData>();
  child->name = componentName;
  child->detail = isDetail;
  children.push_back(child);
  return *child;
}

Document3D::Document3D(Application* app, int type, bool visible)
    : Api(app, type, visible), top(std::make_shared<PartData>()) {
  top->detail = type != vlapi::vlDocumentAssembly;
}

bool Document3D::Activate() {
  if (!App()) return false;
  App()->Activate(this);
  return true;
}

bool Document3D::SaveAs(const std::wstring& path) {
  if (Failures::Instance().Fails("IVarnelDocument::SaveAs")) return false;
  return SaveDocument3D(*this, path);
}

bool Document3D::Close(int) {
  if (!App()) return false;
  Ref<Document3D> keep(this);
  App()->Closing(this);
  Orphan();
  return true;
}

vlapi::IPartPtr Document3D::GetTopPart() {
  return Give<vlapi::IPart>("IVarnelDocument3D::GetTopPart", new PartApi(Ref<Document3D>(this), top));
}

}  // namespace vlhost
