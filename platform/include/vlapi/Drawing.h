#pragma once
// Drawing containers, drawing objects, macros, groups, texts, tables and fills.
#include <cstdint>
#include <string>
#include <vector>

#include "vlapi/Document.h"

namespace vlapi {

// What holds drawing objects: a view, or a macro object (its members).
struct IDrawingContainer : IAPIObject {
  // The first-level objects whose drawing-object type or API-object type is in
  // `types` ({vlAllObj}: every object), in drawing order.
  virtual DrawingObjectList GetObjects(const TypeList& types) = 0;
  // The collection that adds objects of DrawingObjectTypeEnum `type` to this
  // container (line segments, circles, arcs, texts, polylines, rectangles,
  // NURBS, equidistants, hatches, ellipses, ...).
  virtual IDrawingObjectsPtr GetCollection(int type) = 0;
  virtual IMacroObjectsPtr GetMacroObjects() = 0;
  virtual IDrawingContoursPtr GetDrawingContours() = 0;
  virtual IColouringsPtr GetColourings() = 0;
};

// Symbols of a container; a view and a macro answer it.
struct ISymbols2DContainer : IAPIObject {
  virtual IDrawingTablesPtr GetDrawingTables() = 0;
};

struct IDrawingObjects : IAPIObject {
  virtual int GetCount() = 0;
  virtual IDrawingObjectPtr GetItem(int index) = 0;
  // A new object with default settings; it stands in the drawing once updated.
  virtual IDrawingObjectPtr Add() = 0;
};

struct IMacroObjects : IDrawingObjects {
  virtual IMacroObjectPtr AddMacro(int mode) = 0;  // a new, empty macro
};

struct IDrawingContours : IDrawingObjects {
  // The closed contours made of the container's curves that enclose (x, y),
  // new objects gathered in a temporary group; empty when no region encloses it.
  virtual IDrawingGroupPtr CreateEnclosingContours(double x, double y, const APIObjectList& objects, int mode) = 0;
};

struct IDrawingTables : IDrawingObjects {
  virtual IDrawingTablePtr AddTable(int rows, int columns, double rowHeight, double columnWidth, int mode) = 0;
};

struct IColourings : IDrawingObjects {};

struct IDrawingObject : IVarnelAPIObject {
  virtual int GetType() = 0;  // DrawingObjectTypeEnum
  virtual int GetLayer() = 0;
  virtual void SetLayer(int layer) = 0;
  virtual int GetStyle() = 0;  // line style
  virtual void SetStyle(int style) = 0;
  // True for objects with a parametric curve (GetCurve gives one).
  virtual bool IsGeometry() = 0;
  // True for the objects that draw a part (curves and macros), false for
  // annotations: texts, tables, hatches and colourings.
  virtual bool IsGraphic() = 0;
  virtual ICurve2DPtr GetCurve() = 0;
  virtual IVarnelAPIObjectPtr GetParent() = 0;  // the view, or the macro it is a member of
  virtual IViewPtr GetView() = 0;               // the view it stands in, at any depth
  virtual bool Delete() = 0;
};

// The parametric curve of an object, in the coordinates of its container.
struct ICurve2D : IAPIObject {
  virtual double GetParamMin() = 0;
  virtual double GetParamMax() = 0;
  virtual bool GetPoint(double t, double& x, double& y) = 0;
  virtual bool GetNearestPoint(double x, double y, double& nx, double& ny, double& t, double& distance) = 0;
  virtual double GetLength() = 0;
  virtual bool IsClosed() = 0;
};

struct ILineSegment : IDrawingObject {
  virtual double GetX1() = 0;
  virtual double GetY1() = 0;
  virtual double GetX2() = 0;
  virtual double GetY2() = 0;
  virtual void SetX1(double v) = 0;
  virtual void SetY1(double v) = 0;
  virtual void SetX2(double v) = 0;
  virtual void SetY2(double v) = 0;
};

struct ICircle : IDrawingObject {
  virtual double GetXc() = 0;
  virtual double GetYc() = 0;
  virtual double GetRadius() = 0;
  virtual void SetXc(double v) = 0;
  virtual void SetYc(double v) = 0;
  virtual void SetRadius(double v) = 0;
};

// An arc from its first end to its second end about its centre; direction
// true runs counter-clockwise.
struct IArc : IDrawingObject {
  virtual double GetXc() = 0;
  virtual double GetYc() = 0;
  virtual double GetX1() = 0;
  virtual double GetY1() = 0;
  virtual double GetX2() = 0;
  virtual double GetY2() = 0;
  virtual double GetRadius() = 0;
  virtual bool GetDirection() = 0;
  virtual void SetXc(double v) = 0;
  virtual void SetYc(double v) = 0;
  virtual void SetX1(double v) = 0;
  virtual void SetY1(double v) = 0;
  virtual void SetX2(double v) = 0;
  virtual void SetY2(double v) = 0;
  virtual void SetRadius(double v) = 0;
  virtual void SetDirection(bool counterClockwise) = 0;
  // The arc through three points, from the first to the second end by the third.
  virtual bool SetBy3Points(double x1, double y1, double x2, double y2, double x3, double y3) = 0;
};

// A rectangle with its corner at (x, y), turned by its angle about that corner.
struct IRectangle : IDrawingObject {
  virtual double GetX() = 0;
  virtual double GetY() = 0;
  virtual double GetWidth() = 0;
  virtual double GetHeight() = 0;
  virtual double GetAngle() = 0;
  virtual void SetX(double v) = 0;
  virtual void SetY(double v) = 0;
  virtual void SetWidth(double v) = 0;
  virtual void SetHeight(double v) = 0;
  virtual void SetAngle(double degrees) = 0;
};

struct IPolyLine2D : IDrawingObject {
  virtual std::vector<double> GetPoints() = 0;  // x0, y0, x1, y1, ...
  virtual void SetPoints(const std::vector<double>& xy) = 0;
  virtual int GetClosed() = 0;
  virtual void SetClosed(int closed) = 0;
};

struct INurbs : IDrawingObject {
  // points: x0, y0, x1, y1, ...; one weight per point; knots: points + degree + 1 values.
  virtual bool SetNurbs(const std::vector<double>& points, const std::vector<double>& weights,
                        const std::vector<double>& knots, int degree, bool closed) = 0;
  virtual std::vector<double> GetPoints() = 0;
  virtual std::vector<double> GetWeights() = 0;
  virtual std::vector<double> GetKnots() = 0;
  virtual int GetDegree() = 0;
  virtual bool GetClosed() = 0;
};

// A curve at a distance from a base curve; `side` true takes the left side of
// the base curve as it runs, `arc` true rounds the corners with arcs.
struct IEquidistant : IDrawingObject {
  virtual void SetBaseObject(IDrawingObject* base) = 0;
  virtual IDrawingObjectPtr GetBaseObject() = 0;
  virtual void SetSide(bool side) = 0;
  virtual void SetArc(bool arc) = 0;
  virtual void SetEquidistantType(int type) = 0;  // vlEquidistantTypeEnum
  virtual void SetRadius1(double radius) = 0;
  virtual void SetRadius2(double radius) = 0;
  virtual double GetRadius1() = 0;
};

// A drawing contour: a chain of curves, also an IContour.
struct IDrawingContour : IDrawingObject {};

struct IContour : IAPIObject {
  // Copies the curves of `objects` into the contour; the objects stay as they are.
  virtual bool CopyCurves(const APIObjectList& objects, int mode) = 0;
  virtual int GetSegmentsCount() = 0;
};

struct IHatch : IDrawingObject {
  virtual double GetAngle() = 0;
  virtual double GetStep() = 0;
};

struct IColouring : IDrawingObject {
  virtual int GetColor() = 0;  // red | green << 8 | blue << 16
  virtual void SetColor(int color) = 0;
  virtual int GetTransparency() = 0;
  virtual void SetTransparency(int value) = 0;
};

// The boundaries of a hatch or a colouring.
struct IBoundariesObject : IAPIObject {
  virtual bool SetBoundaries(const DrawingObjectList& boundaries, int mode) = 0;
  virtual DrawingObjectList GetBoundaries() = 0;
};

// A named group of drawing objects with a placement: its members stand in its
// own coordinates; the view sees them turned by the angle (degrees,
// counter-clockwise) about the origin and shifted to (x, y).
// A macro also answers IDrawingContainer, ISymbols2DContainer,
// IUserParameters and IPropertyKeeper.
struct IMacroObject : IDrawingObject {
  virtual std::wstring GetName() = 0;
  virtual void SetName(const std::wstring& name) = 0;
  virtual bool GetPlacement(double& x, double& y, double& angle, int& mirrored) = 0;
  // `relative` 0 sets the placement; 1 shifts the origin by (x, y) along the
  // view's axes and turns the macro by `angle` about its origin.
  virtual bool SetPlacement(double x, double y, double angle, int mode, int relative) = 0;
  // Moves the objects into the macro: their coordinates, as they were in their
  // container, become the macro's own, so that the macro's placement now
  // places them (an object at (x, y) in a view stands at the placement of
  // (x, y) afterwards; with the placement (0, 0, 0) nothing moves).
  virtual bool AddObjects(const APIObjectList& objects) = 0;
  virtual bool GetEditable() = 0;
  virtual void SetEditable(bool editable) = 0;
  virtual bool GetEditMode() = 0;
  virtual void SetEditMode(bool on) = 0;
  virtual bool GetHotPointsEditable() = 0;
  virtual void SetHotPointsEditable(bool editable) = 0;
  virtual int GetDrawOrder() = 0;
  virtual void SetDrawOrder(int order) = 0;
  virtual int GetCopyMode() = 0;
  virtual void SetCopyMode(int mode) = 0;
  virtual int GetExplodeMode() = 0;
  virtual void SetExplodeMode(int mode) = 0;
};

// What an application library keeps in its macro objects.
struct IUserParameters : IAPIObject {
  virtual int GetCommand() = 0;
  virtual void SetCommand(int command) = 0;
  virtual std::wstring GetLibraryId() = 0;
  virtual void SetLibraryId(const std::wstring& text) = 0;
  virtual std::wstring GetModuleName() = 0;
  virtual void SetModuleName(const std::wstring& name) = 0;
  virtual std::vector<uint8_t> GetUserData() = 0;
  virtual void SetUserData(const std::vector<uint8_t>& data) = 0;
};

// A text object of the drawing; also an IText.
struct IDrawingText : IDrawingObject {
  virtual double GetX() = 0;
  virtual double GetY() = 0;
  virtual void SetX(double x) = 0;
  virtual void SetY(double y) = 0;
  virtual double GetHeight() = 0;  // of its first item
  virtual void SetHeight(double height) = 0;  // of every item
  // A temporary group that draws the text (it holds the text object itself).
  virtual IDrawingGroupPtr GetTextGroup() = 0;
};

// Lines of items; each item carries a string and a font.
struct IText : IAPIObject {
  virtual std::wstring GetText() = 0;  // lines joined by "\n"
  virtual void SetText(const std::wstring& text) = 0;  // one line, one item per "\n"-separated part
  virtual int GetLinesCount() = 0;
  virtual ITextLinePtr GetLine(int index) = 0;
};

struct ITextLine : IVarnelAPIObject {
  virtual int GetItemsCount() = 0;
  virtual ITextItemPtr GetItem(int index) = 0;
  virtual void SetHeight(double height) = 0;  // of every item of the line
  virtual int GetAlignment() = 0;
  virtual void SetAlignment(int alignment) = 0;
  virtual double GetStep() = 0;
  virtual void SetStep(double step) = 0;
};

// An item of a line; it also answers ITextFont.
struct ITextItem : IVarnelAPIObject {
  virtual int GetItemType() = 0;  // vlTextItemEnum
  virtual void SetItemType(int type) = 0;
  virtual std::wstring GetString() = 0;
  virtual void SetString(const std::wstring& text) = 0;
  virtual int GetJustification() = 0;
  virtual void SetJustification(int value) = 0;
};

struct ITextFont : IAPIObject {
  virtual double GetHeight() = 0;
  virtual void SetHeight(double height) = 0;
  virtual std::wstring GetFontName() = 0;
  virtual void SetFontName(const std::wstring& name) = 0;
  virtual double GetWidthFactor() = 0;
  virtual void SetWidthFactor(double factor) = 0;
};

// A table of the drawing, with its corner at (x, y); also an ITable.
struct IDrawingTable : IDrawingObject {
  virtual double GetX() = 0;
  virtual double GetY() = 0;
  virtual void SetX(double x) = 0;
  virtual void SetY(double y) = 0;
};

struct ITable : IAPIObject {
  virtual int GetRowsCount() = 0;
  virtual int GetColumnsCount() = 0;
  virtual ITableCellPtr GetCell(int row, int column) = 0;
  // Inserts `count` header rows at row `first`: a table added with n rows
  // and given one header row has rows 0 (the header) to n.
  virtual void SetHeaderRows(int first, int count) = 0;
  virtual bool AddRows(int count) = 0;
  // Inserts an empty row after row `after`, as high as that row; false when
  // the table has no such row.
  virtual bool InsertRow(int after) = 0;
  // Removes row `row` with its cells; false when the table has no such row.
  virtual bool RemoveRow(int row) = 0;
};

// A cell; it also answers ICellFormat (its column's width, its row's height).
struct ITableCell : IAPIObject {
  virtual IVarnelAPIObjectPtr GetText() = 0;  // answers IText
};

struct ICellFormat : IAPIObject {
  virtual double GetWidth() = 0;
  virtual void SetWidth(double width) = 0;
  virtual double GetHeight() = 0;
  virtual void SetHeight(double height) = 0;
};

// A set of drawing objects. An open group takes every object drawn in its
// document; objects that a group copies or pastes stand in no view until the
// group is stored. A temporary group is not saved with the drawing.
struct IDrawingGroups : IAPIObject {
  virtual int GetCount() = 0;
  virtual IDrawingGroupPtr GetItem(int index) = 0;
  virtual IDrawingGroupPtr Add(bool temporary, const std::wstring& name) = 0;
};

struct IDrawingGroup : IVarnelAPIObject {
  virtual std::wstring GetName() = 0;
  virtual bool IsTemporary() = 0;
  virtual bool Open() = 0;
  virtual bool Close() = 0;
  virtual bool IsOpen() = 0;
  virtual DrawingObjectList GetObjects(const TypeList& types) = 0;
  virtual bool AddObjects(const APIObjectList& objects) = 0;
  virtual bool CopyToClipboard(int mode, int param) = 0;
  virtual bool ReadFromClipboard(int mode, int param) = 0;
  // A new temporary group in `document` holding copies of the members.
  virtual IDrawingGroupPtr CopyToDocument(IVarnelDocument* document) = 0;
  // Puts the members that stand in no view into the current view.
  virtual bool Store() = 0;
  // Lets go of the members; they stay in the drawing as free objects.
  virtual bool Clear(bool temporary) = 0;
  // Deletes the group with its members.
  virtual bool Delete() = 0;
};

// How CopyObjects places copies: from the base point to the target point,
// turned by the angle about the target and scaled about it.
struct ICopyObjectParam : IVarnelAPIObject {
  virtual void SetBaseX(double v) = 0;
  virtual void SetBaseY(double v) = 0;
  virtual void SetTargetX(double v) = 0;
  virtual void SetTargetY(double v) = 0;
  virtual void SetScale(double v) = 0;
  virtual void SetAngle(double degrees) = 0;
  virtual void SetCopyAttributes(bool copy) = 0;
  virtual double GetBaseX() = 0;
  virtual double GetBaseY() = 0;
  virtual double GetTargetX() = 0;
  virtual double GetTargetY() = 0;
  virtual double GetScale() = 0;
  virtual double GetAngle() = 0;
};

// A mesh of copies: columns along x at the column step, rows along y at the
// row step; the source itself is not repeated.
struct IMeshCopyObjectParam : ICopyObjectParam {
  virtual void SetColumns(int count) = 0;
  virtual void SetRows(int count) = 0;
  virtual void SetRowStep(double step) = 0;
  virtual void SetColumnStep(double step) = 0;
};

struct ISpecificationObjectCreateParam : IVarnelAPIObject {
  virtual void SetSectionMode(int mode) = 0;
  virtual void SetPositionMode(int mode) = 0;
};

struct ISpecificationDescriptions : IAPIObject {
  virtual int GetCount() = 0;
  virtual ISpecificationDescriptionPtr GetDescription() = 0;  // the current one
  virtual ISpecificationDescriptionPtr Add(const std::wstring& name, int mode, const std::wstring& library) = 0;
};

struct ISpecificationDescription : IAPIObject {
  virtual ISpecificationTuningPtr GetTuning() = 0;
  virtual ISpecificationBaseObjectsPtr GetBaseObjects() = 0;
};

struct ISpecificationTuning : IAPIObject {
  virtual ISpecificationTuningSectionsPtr GetSections() = 0;
  virtual bool Apply() = 0;
};

struct ISpecificationTuningSections : IAPIObject {
  virtual int GetCount() = 0;
  virtual ISpecificationTuningSectionPtr GetItem(int index) = 0;
};

struct ISpecificationTuningSection : IAPIObject {
  virtual int GetKind() = 0;
  virtual bool SetColumns(int first, int count, int mode, int width) = 0;
};

struct ISpecificationBaseObjects : IAPIObject {
  virtual int GetCount() = 0;
  virtual ISpecificationBaseObjectPtr Add(ISpecificationObjectCreateParam* param, IPropertyKeeper* keeper, int mode,
                                          const APIObjectList& geometry) = 0;
};

struct ISpecificationBaseObject : IVarnelAPIObject {
  virtual void SetAutoFill(int value) = 0;
};

}  // namespace vlapi
