#pragma once
// Documents, views, layers, layout sheets, properties and selection.
#include <cstdint>
#include <string>
#include <vector>

#include "vlapi/Application.h"

namespace vlapi {

struct IDocuments : IAPIObject {
  virtual int GetCount() = 0;
  virtual IVarnelDocumentPtr GetItem(int index) = 0;
  // An open document whose file is `path`; empty when none is open.
  virtual IVarnelDocumentPtr FindDocument(const std::wstring& path) = 0;
  // Opens the file and makes its document active; empty when it cannot be read.
  virtual IVarnelDocumentPtr Open(const std::wstring& path, bool visible, int mode) = 0;
  // A new empty document of DocumentTypeEnum `type`, made active.
  virtual IVarnelDocumentPtr Add(int type, bool visible) = 0;
};

struct IDocumentFrame : IAPIObject {
  virtual void Refresh() = 0;
};

struct IVarnelDocument : IVarnelAPIObject {
  virtual int GetDocumentType() = 0;  // DocumentTypeEnum
  virtual std::wstring GetPathName() = 0;
  virtual bool IsVisible() = 0;
  virtual bool Activate() = 0;  // makes it the active document
  virtual bool SaveAs(const std::wstring& path) = 0;
  // Closes the document; the one made active before it becomes active again.
  virtual bool Close(int mode) = 0;
  virtual IDocumentFramePtr GetFrame() = 0;  // empty for a windowless document
  // The title the host shows on the document's window and in its list of
  // windows: the file's name, or for a document never saved the name the
  // host gave it when it was made ("Чертёж 2").
  virtual std::wstring GetTitle() = 0;
};

struct IVarnelDocument2D : IVarnelDocument {
  virtual IViewsAndLayersManagerPtr GetViewsAndLayersManager() = 0;
  virtual ILayoutSheetsPtr GetLayoutSheets() = 0;
  virtual IDrawingGroupsPtr GetDrawingGroups() = 0;
  virtual ISelectionManagerPtr GetSelectionManager() = 0;
  virtual IChooseManagerPtr GetChooseManager() = 0;
  virtual IPropertyMngPtr GetPropertyMng() = 0;
  virtual ISpecificationDescriptionsPtr GetSpecificationDescriptions() = 0;
  // A new parameter object of VarnelAPIObjectTypeEnum `type`.
  virtual IVarnelAPIObjectPtr CreateAPIObject(int type) = 0;

  // Operations on lists of objects. Coordinates are those of each object's own
  // container (a view, or the macro it is a member of).
  virtual bool GetObjectsBox(const APIObjectList& objects, double& x1, double& y1, double& x2, double& y2) = 0;
  virtual bool MoveObjects(const APIObjectList& objects, double dx, double dy) = 0;
  virtual bool RotateObjects(const APIObjectList& objects, double x, double y, double angleDegrees) = 0;
  // Mirrors about the line through (x1, y1) and (x2, y2); returns the group of the mirrored objects.
  virtual IVarnelAPIObjectPtr MirrorObjects(const APIObjectList& objects, double x1, double y1, double x2, double y2,
                                            int copy, int param1, int param2) = 0;
  // Copies the objects (ICopyObjectParam or IMeshCopyObjectParam); returns the copies.
  virtual APIObjectList CopyObjects(const APIObjectList& objects, ICopyObjectParam* param) = 0;
  // TransformObjects applies the transformation set by SetTransformation:
  // scale about (x, y), then turn about it. Objects keep their shape: the x
  // scale is taken for both axes.
  virtual void SetTransformation(double x, double y, double angleDegrees, double scaleX, double scaleY) = 0;
  virtual void ResetTransformation() = 0;
  virtual bool TransformObjects(const APIObjectList& objects) = 0;
  // Breaks macro objects up: their members stay in the macro's place.
  virtual bool DestroyMacroObjects(const APIObjectList& macros) = 0;
  // Approximates an object by simpler objects (vlDecomposeObjectLevelEnum: 1 line
  // segments only, 4 line segments and arcs) within `tolerance`. The result is a
  // temporary group of new objects that stand in no view.
  virtual IDrawingGroupPtr DecomposeObject(IVarnelAPIObject* object, int level, int mode, double tolerance) = 0;
  virtual double GetSearchTolerance() = 0;
  virtual IVarnelAPIObjectPtr FindObject(double x, double y, double tolerance, IFindObjectParameters* param) = 0;

  // An interactive process of vlProcessTypeEnum `type` in this document (Process.h).
  virtual IProcessPtr CreateProcess(int type) = 0;
  // True from the start of a process of this document to its end.
  virtual bool IsProcessRunning() = 0;
  // The drawing-object events as the owner key `owner` sees them (Events.h).
  virtual IDrawingObjectEventsPtr GetDrawingObjectEvents(const std::wstring& owner) = 0;
  virtual IVarnelDocumentEventsPtr GetDocumentEvents() = 0;
  virtual void SetTreeRebuild(bool rebuild) = 0;
  virtual void SetTreeUpdate(bool update) = 0;
  virtual void SetEnableUndo(bool enable) = 0;
  virtual void SetUndoContainer(bool open) = 0;
};

struct IViewsAndLayersManager : IAPIObject {
  virtual IViewsPtr GetViews() = 0;
};

struct IViews : IAPIObject {
  virtual int GetCount() = 0;
  virtual IVarnelAPIObjectPtr GetItem(int index) = 0;
  virtual IViewPtr GetView(int number) = 0;  // 0 is the system view
  virtual IViewPtr GetActiveView() = 0;
  virtual IViewPtr FindView(const std::wstring& name) = 0;
  virtual IViewPtr Add(int mode) = 0;
};

// A view maps its own coordinates onto the sheet: sheet = origin + scale * view.
// It is also the IDrawingContainer of what stands in it.
struct IView : IVarnelAPIObject {
  virtual int GetNumber() = 0;
  virtual std::wstring GetName() = 0;
  virtual void SetName(const std::wstring& name) = 0;
  virtual double GetX() = 0;
  virtual void SetX(double x) = 0;
  virtual double GetY() = 0;
  virtual void SetY(double y) = 0;
  virtual double GetScale() = 0;
  virtual void SetScale(double scale) = 0;
  virtual bool GetCurrent() = 0;
  virtual void SetCurrent(bool current) = 0;  // the current view receives new objects
  virtual ILayersPtr GetLayers() = 0;
  virtual void TransformViewToSheet(double& x, double& y) = 0;
  virtual void TransformSheetToView(double& x, double& y) = 0;
  virtual bool Delete() = 0;
};

struct ILayers : IAPIObject {
  virtual int GetCount() = 0;
  virtual IVarnelAPIObjectPtr GetItem(int index) = 0;
  virtual ILayerPtr GetLayer(int number) = 0;
  virtual ILayerPtr FindLayer(const std::wstring& name) = 0;
  virtual ILayerPtr Add() = 0;  // numbered after the highest number
};

struct ILayer : IVarnelAPIObject {
  virtual int GetNumber() = 0;
  virtual void SetNumber(int number) = 0;
  virtual std::wstring GetName() = 0;
  virtual void SetName(const std::wstring& name) = 0;
  virtual int GetColor() = 0;  // red | green << 8 | blue << 16
  virtual void SetColor(int color) = 0;
  virtual bool GetVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool GetCurrent() = 0;
  virtual void MakeCurrent() = 0;
  virtual bool Delete() = 0;
};

struct ILayoutSheets : IAPIObject {
  virtual int GetCount() = 0;
  virtual ILayoutSheetPtr GetItem(int index) = 0;
  virtual ILayoutSheetPtr Add() = 0;
};

// A page of the drawing. A page whose style library is "GRAPHIC.vst" has no layout.
struct ILayoutSheet : IVarnelAPIObject {
  virtual ISheetFormatPtr GetFormat() = 0;
  virtual std::wstring GetStyleLibrary() = 0;
  virtual void SetStyleLibrary(const std::wstring& path) = 0;
  virtual int GetStyleNumber() = 0;
  virtual void SetStyleNumber(int number) = 0;
  virtual IStampPtr GetStamp() = 0;
  virtual bool Delete() = 0;
};

struct ISheetFormat : IVarnelAPIObject {
  virtual int GetFormat() = 0;  // vlDocumentFormatEnum
  virtual void SetFormat(int format) = 0;
  virtual bool GetVertical() = 0;
  virtual void SetVertical(bool vertical) = 0;
  virtual double GetWidth() = 0;  // as the page stands, orientation applied
  virtual double GetHeight() = 0;
  virtual void SetUserSize(double width, double height) = 0;  // for vlFormatUser
};

// The title block of a page; cells by their numbers.
struct IStamp : IVarnelAPIObject {
  virtual ITextPtr GetCellText(int cell) = 0;
  // The numbers of the cells that hold a text, ascending.
  virtual std::vector<int> GetCellNumbers() = 0;
};

// A value of a property as it crosses IPropertyKeeper.
class PropertyValue {
 public:
  PropertyValue() = default;
  explicit PropertyValue(double value) : kind_(Kind::Double), number_(value) {}
  explicit PropertyValue(const std::wstring& value) : kind_(Kind::String), text_(value) {}
  void SetDouble(double value) { kind_ = Kind::Double; number_ = value; text_.clear(); }
  void SetString(const std::wstring& value) { kind_ = Kind::String; text_ = value; number_ = 0.0; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsDouble() const { return kind_ == Kind::Double; }
  // The double reading of a text is its leading number, 0.0 for none.
  double GetDouble() const { return kind_ == Kind::String ? ParseDouble(text_) : number_; }
  // The text reading of a number is its shortest exact decimal form.
  std::wstring GetString() const { return kind_ == Kind::Double ? FormatDouble(number_) : text_; }

 private:
  static double ParseDouble(const std::wstring& text) {
    try { return std::stod(text); } catch (...) { return 0.0; }
  }
  static std::wstring FormatDouble(double value) {
    std::wstring text = std::to_wstring(value);
    while (text.find(L'.') != std::wstring::npos && (text.back() == L'0' || text.back() == L'.')) {
      bool dot = text.back() == L'.';
      text.pop_back();
      if (dot) break;
    }
    return text;
  }
  enum class Kind { Empty, Double, String };
  Kind kind_ = Kind::Empty;
  double number_ = 0.0;
  std::wstring text_;
};

struct IProperty : IVarnelAPIObject {
  virtual std::wstring GetName() = 0;
  virtual void SetName(const std::wstring& name) = 0;
  virtual int GetDataType() = 0;  // vlPropertyTypeEnum
  virtual void SetDataType(int type) = 0;
};

struct IPropertyMng : IAPIObject {
  virtual int GetCount() = 0;
  virtual IPropertyPtr GetItem(int index) = 0;
  virtual IPropertyPtr GetProperty(const std::wstring& name) = 0;
  virtual IPropertyPtr GetBuiltInProperty(int number) = 0;  // vlBuiltInPropertyEnum
  virtual IPropertyPtr AddProperty() = 0;
};

// An object (a document or a drawing object) that holds property values.
struct IPropertyKeeper : IAPIObject {
  virtual bool SetPropertyValue(IProperty* property, const PropertyValue& value, bool notify) = 0;
  // false (and `value` untouched) when the object holds no value of the property.
  virtual bool GetPropertyValue(IProperty* property, PropertyValue& value, bool withSource, bool& fromSource) = 0;
};

struct ISelectionManager : IAPIObject {
  virtual APIObjectList GetSelectedObjects() = 0;
  virtual bool Select(const APIObjectList& objects) = 0;
  virtual bool Unselect(const APIObjectList& objects) = 0;
  virtual bool UnselectAll() = 0;
};

// The document's chosen objects: a marking kept apart from the selection.
struct IChooseManager : IAPIObject {
  virtual APIObjectList GetChosenObjects() = 0;
  virtual bool Choose(const APIObjectList& objects) = 0;
  virtual bool Unchoose(const APIObjectList& objects) = 0;
  virtual bool UnchooseAll() = 0;
};

struct IFindObjectParameters : IVarnelAPIObject {
  virtual TypeList GetTypes() = 0;  // {vlAllObj} by default
  virtual void SetTypes(const TypeList& types) = 0;
};

}  // namespace vlapi
