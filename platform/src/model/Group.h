#pragma once
// Drawing groups.
#include <string>
#include <unordered_set>
#include <vector>

#include "model/Document2D.h"

namespace vlhost {

class Group : public Api<Node, vlapi::IDrawingGroup> {
 public:
  Group(Document2D* doc, bool temporary, std::wstring name);
  ~Group() override;
  bool temporary;
  std::wstring name;
  std::vector<Ref<Shape>> members;
  std::vector<Ref<View>> views;  // whole views, each one member
  bool open = false;

  // Takes a shape in (once).
  void Take(const Ref<Shape>& shape);
  std::vector<Ref<Shape>> LiveMembers() const;
  std::vector<Ref<View>> LiveViews() const;

  int GetAPIObjectType() override { return vlapi::vlObjectDrawingGroup; }
  bool Update() override { CountUpdate(); return true; }
  std::wstring GetName() override { return name; }
  bool IsTemporary() override { return temporary; }
  bool Open() override;
  bool Close() override;
  bool IsOpen() override { return open; }
  vlapi::DrawingObjectList GetObjects(const vlapi::TypeList& types) override;
  bool AddObjects(const vlapi::APIObjectList& objects) override;
  bool CopyToClipboard(int mode, int param) override;
  bool ReadFromClipboard(int mode, int param) override;
  vlapi::IDrawingGroupPtr CopyToDocument(vlapi::IVarnelDocument* document) override;
  bool Store() override;
  bool Clear(bool temporary) override;
  bool Delete() override;

 private:
  std::unordered_set<const Shape*> taken_;  // the members, found without a walk through them
};

vlapi::IDrawingGroupsPtr MakeGroups(Document2D* doc);
// A temporary group of shapes that stand in no view.
Ref<Group> FloatingGroup(Document2D* doc, const std::vector<Ref<Shape>>& shapes);

}  // namespace vlhost
