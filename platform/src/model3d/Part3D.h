#pragma once
// The host objects of a 3D document's parts: parts, bodies, faces, features,
// the sheet-metal container and sketches, made on demand over the part tree.
#include <memory>

#include "core/Api3D.h"
#include "model/Document3D.h"
#include "model3d/Body.h"

namespace vlhost {

class Document2D;

struct SketchData {
  std::wstring name;
  int base = 0;         // vlDefaultPlaneEnum; 0 until it is given one
  bool placed = false;  // updated with a base: it stands in the model
  Ref<Document2D> drawing;
};

// A sketch with an empty drawing, windowless and in no document list.
std::shared_ptr<SketchData> NewSketch(Application* app);

// Host objects that stand for a kernel object (GetTransferService).
class KernelHolder {
 public:
  virtual ~KernelHolder() = default;
  virtual MbRefItem* KernelObject() = 0;
};

vlapi::IPartPtr PartApiOf(Ref<Document3D> doc, std::shared_ptr<PartData> part);
// The sketch behind an ISketch of this host, or null.
SketchData* SketchOf(vlapi::IAPIObject* object);

}  // namespace vlhost
