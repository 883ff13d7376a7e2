#pragma once
// A 3D document: a tree of parts, details and sub-assemblies, with the bodies
// and sketches of each.
#include <memory>
#include <string>
#include <vector>

#include "model/Document2D.h"
#include "vlhost/Parts.h"

namespace vlhost {

class Document3D : public Api<DocumentBase, vlapi::IVarnelDocument3D> {
 public:
  Document3D(Application* app, int type, bool visible);
  std::shared_ptr<PartData> top;
  // The sketch being edited: while there is one, the document answers
  // IVarnelDocument2D with its drawing.
  std::shared_ptr<SketchData> editing;

  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override;
  int GetAPIObjectType() override { return vlapi::vlObjectDocument3D; }
  bool Update() override { return true; }
  int GetDocumentType() override { return DocType(); }
  std::wstring GetPathName() override { return Path(); }
  bool IsVisible() override { return Visible(); }
  bool Activate() override;
  bool SaveAs(const std::wstring& path) override;
  bool Close(int mode) override;
  vlapi::IDocumentFramePtr GetFrame() override { return {}; }
  std::wstring GetTitle() override { return Title(); }
  vlapi::IPartPtr GetTopPart() override;
};

}  // namespace vlhost
