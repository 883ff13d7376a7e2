#pragma once
// A 2D document (a drawing or a fragment): views with layers, layout sheets,
// groups, selection, properties and the host's switches.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/Registry.h"
#include "model/LineStyles.h"
#include "model/Node.h"
#include "vlhost/HostState.h"

namespace vlhost {

class Application;
class View;
class Group;
class LayoutSheet;
class PropertyMng;
class Specification;

// Property values held by a document or a drawing object, by property id.
struct PropertyValues {
  std::map<int, vlapi::PropertyValue> values;
  bool Set(vlapi::IProperty* property, const vlapi::PropertyValue& value);
  bool Get(vlapi::IProperty* property, vlapi::PropertyValue& value) const;
};

// Common to 2D and 3D documents.
class DocumentBase {
 public:
  DocumentBase(Application* app, int type, bool visible);
  virtual ~DocumentBase() = default;
  Application* App() const { return app_; }
  void Orphan() { app_ = nullptr; }
  int DocType() const { return type_; }
  // Documents are numbered 1, 2, ... as they are made; their references are
  // the negated numbers, so that a document's reference never names one of
  // its objects (those are positive).
  int32_t DocNumber() const { return number_; }
  int32_t DocReference() const { return -number_; }
  const std::wstring& Path() const { return path_; }
  // The file's name, or the kind of the document and its number for one never saved.
  std::wstring Title() const;
  // The file as a search by path compares it: the path's canonical form,
  // worked out once, as the path is set (empty without a path), so that a
  // search over many open documents asks the file system nothing per document.
  const std::filesystem::path& CanonicalPath() const { return canonical_; }
  void SetPath(const std::wstring& path);
  bool Visible() const { return visible_; }
  int Refreshes() const { return refreshes_; }
  void CountRefresh() { ++refreshes_; }

 private:
  Application* app_;
  int type_;
  int32_t number_;
  std::wstring path_;
  std::filesystem::path canonical_;
  bool visible_;
  int refreshes_ = 0;
};

class Document2D : public Api<DocumentBase, vlapi::IVarnelDocument2D, vlapi::IPropertyKeeper> {
 public:
  Document2D(Application* app, int type, bool visible);
  ~Document2D() override;

  // References.
  int32_t Enter(Node* node, int32_t wanted);
  void Leave(Node* node);
  Node* Find(int32_t ref) const;
  int32_t NextReference() const { return nextRef_; }
  void SetNextReference(int32_t next) { nextRef_ = next; }
  int32_t HighestReference() const;

  // Views.
  const std::vector<Ref<View>>& Views() const { return views_; }
  View* ViewByNumber(int number) const;
  View* CurrentView() const;
  void MakeCurrent(View* view);
  Ref<View> AddView(int number);  // number < 0: the next free one
  // Takes a view made for this document (a copy) in, under its own number
  // when that is free, else under the next free one.
  void TakeView(const Ref<View>& view);
  void RemoveView(View* view);

  // Pages.
  const std::vector<Ref<LayoutSheet>>& Pages() const { return pages_; }
  Ref<LayoutSheet> AddPage();
  void RemovePage(LayoutSheet* page);

  // Groups.
  const std::vector<Ref<Group>>& StoredGroups() const { return groups_; }
  void Keep(const Ref<Group>& group);
  void Drop(Group* group);
  void Opened(Group* group);
  void Closed(Group* group);
  // A shape that has come into the drawing joins every open group.
  void Drawn(const Ref<Shape>& shape);

  // Selection and choice.
  std::vector<Ref<Shape>>& Selection() { return selection_; }
  std::vector<Ref<Shape>>& Chosen() { return chosen_; }
  void Forget(Shape* shape);

  LineStyleTable& LineStyles() { return lineStyles_; }
  PropertyMng& Properties() { return *properties_; }
  PropertyValues& OwnValues() { return values_; }
  DocumentSwitches& Switches() { return switches_; }
  int UpdateCount() const { return updateCount_; }
  void CountUpdate() { ++updateCount_; }
  void SetProcessRunning(bool running) { processRunning_ = running; }
  // Called when the document closes: its content lets go of it.
  void Dismantle();
  // Tells the event handlers that the shapes standing in the drawing were
  // moved, rotated or copied (ObjectsMoved, ObjectsRotated, ObjectsCopied).
  void Changed(Event event, const std::vector<Ref<Shape>>& shapes);
  // Empties the document before a file is read into it.
  void ClearForReading();

  // vlapi::IVarnelAPIObject
  int GetAPIObjectType() override { return vlapi::vlObjectDocument2D; }
  bool Update() override { CountUpdate(); return true; }
  // vlapi::IVarnelDocument
  int GetDocumentType() override { return DocType(); }
  std::wstring GetPathName() override { return Path(); }
  bool IsVisible() override { return Visible(); }
  bool Activate() override;
  bool SaveAs(const std::wstring& path) override;
  bool Close(int mode) override;
  vlapi::IDocumentFramePtr GetFrame() override;
  std::wstring GetTitle() override { return Title(); }
  // vlapi::IVarnelDocument2D
  vlapi::IViewsAndLayersManagerPtr GetViewsAndLayersManager() override;
  vlapi::ILayoutSheetsPtr GetLayoutSheets() override;
  vlapi::IDrawingGroupsPtr GetDrawingGroups() override;
  vlapi::ISelectionManagerPtr GetSelectionManager() override;
  vlapi::IChooseManagerPtr GetChooseManager() override;
  vlapi::IPropertyMngPtr GetPropertyMng() override;
  vlapi::ISpecificationDescriptionsPtr GetSpecificationDescriptions() override;
  vlapi::IVarnelAPIObjectPtr CreateAPIObject(int type) override;
  bool GetObjectsBox(const vlapi::APIObjectList& objects, double& x1, double& y1, double& x2, double& y2) override;
  bool MoveObjects(const vlapi::APIObjectList& objects, double dx, double dy) override;
  bool RotateObjects(const vlapi::APIObjectList& objects, double x, double y, double angleDegrees) override;
  vlapi::IVarnelAPIObjectPtr MirrorObjects(const vlapi::APIObjectList& objects, double x1, double y1, double x2,
                                           double y2, int copy, int param1, int param2) override;
  vlapi::APIObjectList CopyObjects(const vlapi::APIObjectList& objects, vlapi::ICopyObjectParam* param) override;
  void SetTransformation(double x, double y, double angleDegrees, double scaleX, double scaleY) override;
  void ResetTransformation() override;
  bool TransformObjects(const vlapi::APIObjectList& objects) override;
  bool DestroyMacroObjects(const vlapi::APIObjectList& macros) override;
  vlapi::IDrawingGroupPtr DecomposeObject(vlapi::IVarnelAPIObject* object, int level, int mode,
                                          double tolerance) override;
  double GetSearchTolerance() override { return 1.0; }
  vlapi::IVarnelAPIObjectPtr FindObject(double x, double y, double tolerance,
                                        vlapi::IFindObjectParameters* param) override;
  vlapi::IProcessPtr CreateProcess(int type) override;
  bool IsProcessRunning() override;
  vlapi::IDrawingObjectEventsPtr GetDrawingObjectEvents(const std::wstring& owner) override;
  vlapi::IVarnelDocumentEventsPtr GetDocumentEvents() override;
  void SetTreeRebuild(bool rebuild) override;
  void SetTreeUpdate(bool update) override { switches_.treeUpdate = update; }
  void SetEnableUndo(bool enable) override;
  void SetUndoContainer(bool open) override;
  // vlapi::IPropertyKeeper
  bool SetPropertyValue(vlapi::IProperty* property, const vlapi::PropertyValue& value, bool notify) override;
  bool GetPropertyValue(vlapi::IProperty* property, vlapi::PropertyValue& value, bool withSource,
                        bool& fromSource) override;

 private:
  std::vector<Ref<Shape>> ShapesOf(const vlapi::APIObjectList& objects) const;

  int32_t nextRef_ = 1;
  std::unordered_map<int32_t, Node*> nodes_;
  std::vector<Ref<View>> views_;
  std::vector<Ref<LayoutSheet>> pages_;
  std::vector<Ref<Group>> groups_;
  std::vector<Group*> openGroups_;
  std::vector<Ref<Shape>> selection_;
  std::vector<Ref<Shape>> chosen_;
  Ref<PropertyMng> properties_;
  LineStyleTable lineStyles_;
  PropertyValues values_;
  Ref<Specification> spec_;
  DocumentSwitches switches_;
  geom::Transform transformation_;
  int updateCount_ = 0;
  bool processRunning_ = false;
};

// The shape behind a vlapi object of this host, or null.
Shape* ShapeOf(vlapi::IAPIObject* object);
Node* NodeOf(vlapi::IAPIObject* object);

}  // namespace vlhost
