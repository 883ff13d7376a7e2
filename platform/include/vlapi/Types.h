#pragma once
// Numbers the host SDK passes as plain integers.

namespace vlapi {

// Kinds of drawing objects, as IDrawingObject::GetType reports them and as type
// lists ask for them (a list holding only vlAllObj asks for every kind).
enum DrawingObjectTypeEnum {
  vlAllObj = 0,
  vlDrLineSeg = 1,
  vlDrCircle = 2,
  vlDrArc = 3,
  vlDrDrawText = 4,
  vlDrPoint = 5,
  vlDrPolyLine = 6,
  vlDrRectangle = 7,
  vlDrBezier = 8,
  vlDrHatch = 9,
  vlDrColouring = 10,
  vlDrContour = 11,
  vlDrEquidistant = 12,
  vlDrTable = 25,
  vlDrMacro = 27,
  vlDrEllipse = 32,
  vlDrNurbs = 33,
  vlDrEllipseArc = 34,
  vlDrNurbsByPoints = 80,
  vlDrConicCurve = 81,
};

// Kinds of API objects (IVarnelAPIObject::GetAPIObjectType). A container's type
// list may name these as well; parameter objects are made from them by
// IVarnelDocument2D::CreateAPIObject.
enum VarnelAPIObjectTypeEnum {
  vlObjectUnknown = 0,
  vlSpecificationObjectCreateParam = 10128,
  vlObjectInertiaProperties = 10141,
  vlObjectInertiaPropertiesCalculateParam = 10143,
  vlObjectDocument2D = 13001,
  vlObjectDocument3D = 13002,
  vlObjectView = 13003,
  vlObjectLayer = 13004,
  vlObjectLayoutSheet = 13005,
  vlObjectDrawingGroup = 13006,
  vlObjectProperty = 13007,
  vlObjectPart = 13008,
  vlObjectLineSegment = 13025,
  vlObjectArc = 13027,
  vlObjectDrawingText = 13030,
  vlObjectPoint = 13031,
  vlObjectPolyLine = 13032,
  vlObjectBezier = 13033,
  vlObjectHatch = 13034,
  vlObjectColouring = 13035,
  vlObjectDrawingContour = 13036,
  vlObjectEquidistant = 13037,
  vlObjectEllipse = 13038,
  vlObjectNurbs = 13039,
  vlObjectEllipseArc = 13040,
  vlObjectNurbsByPoints = 13041,
  vlObjectConicCurve = 13042,
  vlObjectDrawingTable = 13062,
  vlObjectCircle = 13075,
  vlObjectMacroObject = 13081,
  vlObjectRectangle = 13097,
  vlObjectCopyObjectParam = 13137,
  vlObjectMeshCopyObjectParam = 13141,
  vlObjectFindObjectParameters = 13165,
};

enum DocumentTypeEnum {
  vlDocumentUnknown = 0,
  vlDocumentDrawing = 1,
  vlDocumentFragment = 2,
  vlDocumentPart = 4,
  vlDocumentAssembly = 5,
};

enum vlDocumentFormatEnum {
  vlFormatA0 = 0,
  vlFormatA1 = 1,
  vlFormatA2 = 2,
  vlFormatA3 = 3,
  vlFormatA4 = 4,
  vlFormatA5 = 5,
  vlFormatUser = 6,
};

enum vlSystemPathTypeEnum {
  vlSystemFiles = 0,
  vlApplications = 1,
  vlLibraries = 2,
  vlConfigurations = 3,
};

enum vlPropertyTypeEnum {
  vlPropertyDataTypeString = 1,
  vlPropertyDataTypeDouble = 2,
  vlPropertyDataTypeInt = 3,
};

// Built-in document properties (IPropertyMng::GetBuiltInProperty).
enum vlBuiltInPropertyEnum {
  vlPropertyDesignation = 1,
  vlPropertyName = 2,
  vlPropertyMaterial = 9,
};

enum vlTextItemEnum {
  vlTItString = 0,
  vlTItHyperText = 8192,
};

enum vlEquidistantTypeEnum {
  vlETLeft = 0,
  vlETRight = 1,
  vlETBoth = 2,
};

// Levels of IVarnelDocument2D::DecomposeObject.
enum vlDecomposeObjectLevelEnum {
  vlDOLSegments = 1,
  vlDOLSegmentsArcs = 2,
  vlDOLSegmentsArcsPoints = 4,
};

// Flags of IApplication::MessageBox: the icon kind, and the buttons (one OK
// button unless vlMBYesNo asks for Yes and No).
enum vlMessageBoxFlags {
  vlMBYesNo = 0x04,
  vlMBIconError = 0x10,
  vlMBIconQuestion = 0x20,
  vlMBIconWarning = 0x30,
  vlMBIconInformation = 0x40,
};

// The buttons IApplication::MessageBox answers with, besides 1 for OK.
enum vlMessageBoxAnswer {
  vlIDYes = 6,
  vlIDNo = 7,
};

}  // namespace vlapi
