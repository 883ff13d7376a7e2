#include "model/Document3D.h"

#include "host/Application.h"
#include "io/Files.h"
#include "model3d/Part3D.h"

namespace vlhost {

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

bool Document3D::QueryInterface(vlapi::IAPIObjectIID iid, void** object) {
  if (editing && editing->drawing && vlapi::SameIID(iid, vlapi::IID_IVarnelDocument2D))
    return static_cast<vlapi::IVarnelDocument2D*>(editing->drawing.get())->QueryInterface(iid, object);
  return Api::QueryInterface(iid, object);
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
  editing = nullptr;
  App()->Closing(this);
  Orphan();
  // The sketches' drawings let go of the application with it.
  for (std::vector<PartData*> parts{top.get()}; !parts.empty();) {
    PartData* part = parts.back();
    parts.pop_back();
    for (const auto& sketch : part->sketches)
      if (sketch->drawing) sketch->drawing->Orphan();
    for (const auto& child : part->children) parts.push_back(child.get());
  }
  return true;
}

vlapi::IPartPtr Document3D::GetTopPart() {
  if (Failures::Instance().Fails("IVarnelDocument3D::GetTopPart")) return {};
  return PartApiOf(Ref<Document3D>(this), top);
}

}  // namespace vlhost
