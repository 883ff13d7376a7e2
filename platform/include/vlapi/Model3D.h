#pragma once
// 3D documents: parts and assemblies, their features, bodies and faces, the
// sheet-metal container of a part, and sketches.
//
// A part (a detail) has bodies, each with an identifier (a 64-bit integer
// unique within the part) and faces. Features are what built them: a part's
// IFeature gives its bodies, its faces and the features of its bodies; a
// body's IFeature gives its own faces and, as related features, the features
// that built it, the sheet-metal body's feature (ISheetMetalBody) first. A
// sheet part answers ISheetMetalContainer: its unfold parameters and its
// element collections, each element a feature whose model objects are the
// faces it made. GetTransferService() gives a body's kernel solid.
#include <cstdint>
#include <string>
#include <vector>

#include "vlapi/Document.h"

namespace vlapi {

VLAPI_INTERFACE(IModelObject, "9bb9e264-28ce-5a22-ac8f-63278bbac1d3")
VLAPI_INTERFACE(IFeature, "082da37d-0beb-5c3f-89a5-ced88e904d32")
VLAPI_INTERFACE(IBody, "7a1d9635-3a7a-5bc8-ac30-c3e719cfea96")
VLAPI_INTERFACE(IFace, "12e21beb-d22d-5848-b852-49de318bc2ae")
VLAPI_INTERFACE(ISheetMetalContainer, "09f68452-c1f3-53ac-92c9-68def381b58f")
VLAPI_INTERFACE(ISheetMetalBendUnfoldParameters, "d5223004-3c47-5a07-ae90-ab797e901ab4")
VLAPI_INTERFACE(ISheetMetalCollection, "5478eaf1-38d9-538f-b14b-1078fbecffb0")
VLAPI_INTERFACE(ISheetMetalBodies, "e1838282-2fcb-5913-847a-8d0d9a2e84ee")
VLAPI_INTERFACE(ISheetMetalBends, "0802eeff-f5bf-55eb-95f2-43cca98e6ebe")
VLAPI_INTERFACE(ISheetMetalLineBends, "7f2922c9-fd2d-59ec-8ddc-46a64e349b7a")
VLAPI_INTERFACE(ISheetMetalHoles, "a7613740-3f43-5e1f-bb98-28908a520f29")
VLAPI_INTERFACE(ISheetMetalCuts, "5abe4590-9dad-5683-bf16-c9465563d088")
VLAPI_INTERFACE(ISheetMetalSketchBends, "c7bbd37b-1577-5a01-a68b-fc7a13d0a061")
VLAPI_INTERFACE(ISheetMetalClosedCorners, "9040c8cd-b9bf-5de5-8386-6cce55ae82cd")
VLAPI_INTERFACE(ISheetMetalPlates, "d1c0777a-cb41-5656-b586-633819645097")
VLAPI_INTERFACE(ISheetMetalBendedStraightens, "7485cc25-82b7-5680-8c6d-18fca1853dcd")
VLAPI_INTERFACE(ISheetMetalPressFormings, "9e2ccc6b-19b9-53dc-bb83-12b9663a5c52")
VLAPI_INTERFACE(ISheetMetalShoulders, "09f9a4b8-4ccc-5ecc-8018-f4f53ab8993d")
VLAPI_INTERFACE(ISheetMetalJalousies, "8a1b5c6a-2632-5087-9488-7b125f61f8f0")
VLAPI_INTERFACE(ISheetMetalRibs, "6c5b9a02-1a8b-5467-827a-0b9a2a03fb01")
VLAPI_INTERFACE(ISheetMetalPunchs, "07807ca5-7e4a-5819-acd5-0c6b38f39d3a")
VLAPI_INTERFACE(IConvertsToSheetMetals, "f4e33759-3d58-5207-846e-0249f8e3ff3f")
VLAPI_INTERFACE(ISheetMetalBody, "d20c07ec-dc07-5c71-a434-f768a888d1f9")
VLAPI_INTERFACE(ISheetMetalBend, "edc5fed5-fffc-5555-b3d1-e5fa65f1a25a")
VLAPI_INTERFACE(ISheetMetalLineBend, "dae279e1-1776-5618-9829-a77c9e497084")
VLAPI_INTERFACE(IModelContainer, "778ec385-1009-584d-94b9-322b5ef9fae6")
VLAPI_INTERFACE(ISketches, "e8fdf04e-5965-5e1d-9cc9-6c769ba32792")
VLAPI_INTERFACE(ISketch, "46aea26f-b5c2-5a61-bb63-807174665ba4")

using ModelObjectList = std::vector<IModelObjectPtr>;
using BodyList = std::vector<IBodyPtr>;
using FeatureList = std::vector<IFeaturePtr>;

// Kinds of model objects (IModelObject::GetModelObjectType, IFeature::GetModelObjects).
enum vlObj3dTypeEnum {
  o3d_unknown = 0,
  o3d_plane = 1,  // a base plane of a part
  o3d_sketch = 5,
  o3d_face = 6,
  o3d_body = 9,
};

// The base planes of a part (IPart::GetDefaultPlane).
enum vlDefaultPlaneEnum {
  vlPlaneXOY = 1,
  vlPlaneXOZ = 2,
  vlPlaneYOZ = 3,
};

// A component of a 3D document: a detail or a sub-assembly. It also answers
// IFeature, ISheetMetalContainer (a sheet part) and IModelContainer.
struct IPart : IVarnelAPIObject {
  virtual std::wstring GetName() = 0;
  virtual std::wstring GetDesignation() = 0;
  virtual std::wstring GetFileName() = 0;
  virtual std::wstring GetMaterial() = 0;
  virtual bool IsDetail() = 0;  // false for an assembly
  virtual IPartsPtr GetParts() = 0;
  // The body of the part with that identifier; empty when there is none.
  virtual IBodyPtr GetBody(int64_t id) = 0;
  // A base plane of the part (vlDefaultPlaneEnum), on which sketches stand.
  virtual IModelObjectPtr GetDefaultPlane(int kind) = 0;
};

struct IParts : IAPIObject {
  virtual int GetCount() = 0;
  virtual IPartPtr GetItem(int index) = 0;
  virtual APIObjectList GetObjects() = 0;
};

struct IVarnelDocument3D : IVarnelDocument {
  virtual IPartPtr GetTopPart() = 0;
};

struct IModelObject : IVarnelAPIObject {
  virtual int GetModelObjectType() = 0;  // vlObj3dTypeEnum
  virtual std::wstring GetName() = 0;
};

struct IFeature : IAPIObject {
  virtual BodyList GetResultBodies() = 0;
  // The model objects of a kind (vlObj3dTypeEnum) that the feature made.
  virtual ModelObjectList GetModelObjects(int type) = 0;
  // The features this one is built on (`parents`) and those built on it
  // (`children`), `allLevels` through every step of either.
  virtual FeatureList GetRelatedFeatures(bool parents, bool children, bool allLevels) = 0;
};

// A body; it also answers IFeature.
struct IBody : IModelObject {
  virtual int64_t GetId() = 0;
};

struct IFace : IModelObject {
  virtual IBodyPtr GetBody() = 0;
  virtual double GetArea() = 0;
};

struct ISheetMetalContainer : IAPIObject {
  // Empty when the part keeps none.
  virtual ISheetMetalBendUnfoldParametersPtr GetUnfoldParameters() = 0;
  virtual ISheetMetalBodiesPtr GetSheetMetalBodies() = 0;
  virtual ISheetMetalBendsPtr GetSheetMetalBends() = 0;
  virtual ISheetMetalLineBendsPtr GetSheetMetalLineBends() = 0;
  virtual ISheetMetalHolesPtr GetSheetMetalHoles() = 0;
  virtual ISheetMetalCutsPtr GetSheetMetalCuts() = 0;
  virtual ISheetMetalSketchBendsPtr GetSheetMetalSketchBends() = 0;
  virtual ISheetMetalClosedCornersPtr GetSheetMetalClosedCorners() = 0;
  virtual ISheetMetalPlatesPtr GetSheetMetalPlates() = 0;
  virtual ISheetMetalLineBendsPtr GetSheetMetalJogs() = 0;
  virtual ISheetMetalBendedStraightensPtr GetSheetMetalBendedStraightens() = 0;
  virtual ISheetMetalPressFormingsPtr GetSheetMetalPressFormings() = 0;
  virtual ISheetMetalShouldersPtr GetSheetMetalShoulders() = 0;
  virtual ISheetMetalJalousiesPtr GetSheetMetalJalousies() = 0;
  virtual ISheetMetalRibsPtr GetSheetMetalRibs() = 0;
  virtual ISheetMetalBodiesPtr GetSheetMetalLoftedBodies() = 0;
  virtual ISheetMetalPunchsPtr GetSheetMetalPunchs() = 0;
  virtual ISheetMetalBendsPtr GetSheetMetalEdgeBends() = 0;
  virtual IConvertsToSheetMetalsPtr GetConvertsToSheetMetal() = 0;
};

// The part's unfold switch; also an IFeature.
struct ISheetMetalBendUnfoldParameters : IAPIObject {
  virtual bool GetUnfold() = 0;
  virtual void SetUnfold(bool unfold) = 0;
};

// A collection of sheet-metal elements; each element is an IFeature that
// also answers its own interface (ISheetMetalBody, ISheetMetalBend, ...).
struct ISheetMetalCollection : IAPIObject {
  virtual int GetCount() = 0;
  virtual IFeaturePtr GetItem(int index) = 0;
};
struct ISheetMetalBodies : ISheetMetalCollection {};
struct ISheetMetalBends : ISheetMetalCollection {};
struct ISheetMetalLineBends : ISheetMetalCollection {};
struct ISheetMetalHoles : ISheetMetalCollection {};
struct ISheetMetalCuts : ISheetMetalCollection {};
struct ISheetMetalSketchBends : ISheetMetalCollection {};
struct ISheetMetalClosedCorners : ISheetMetalCollection {};
struct ISheetMetalPlates : ISheetMetalCollection {};
struct ISheetMetalBendedStraightens : ISheetMetalCollection {};
struct ISheetMetalPressFormings : ISheetMetalCollection {};
struct ISheetMetalShoulders : ISheetMetalCollection {};
struct ISheetMetalJalousies : ISheetMetalCollection {};
struct ISheetMetalRibs : ISheetMetalCollection {};
struct ISheetMetalPunchs : ISheetMetalCollection {};
struct IConvertsToSheetMetals : ISheetMetalCollection {};

// The element that made a sheet body: the sheet's thickness, its bend
// coefficient (the neutral layer at radius + coefficient × thickness) and the
// inner bend radius of its bends that give none of their own.
struct ISheetMetalBody : IAPIObject {
  virtual double GetThickness() = 0;
  virtual double GetBendCoefficient() = 0;
  virtual double GetBendRadius() = 0;
};

// A bend: its angle (degrees, the turn from one side to the other) and its inner radius.
struct ISheetMetalBend : IAPIObject {
  virtual double GetAngle() = 0;
  virtual double GetRadius() = 0;
};

struct ISheetMetalLineBend : IAPIObject {
  virtual double GetAngle() = 0;
};

// What a part holds besides its bodies: its sketches.
struct IModelContainer : IAPIObject {
  virtual ISketchesPtr GetSketches() = 0;
};

struct ISketches : IAPIObject {
  virtual int GetCount() = 0;
  virtual ISketchPtr GetItem(int index) = 0;
  virtual ISketchPtr Add() = 0;  // a new sketch without a base, last in the list
};

// A flat drawing on a base plane of its part. It stands in the model once it
// has a base and has been updated. While it is edited, its 3D document also
// answers IVarnelDocument2D with the sketch's drawing, so that whatever a
// library draws or pastes into the active document lands in the sketch.
struct ISketch : IModelObject {
  virtual bool SetBaseObject(IModelObject* base) = 0;  // a base plane of the same part
  virtual IModelObjectPtr GetBaseObject() = 0;
  virtual void SetName(const std::wstring& name) = 0;
  // Opens the sketch for editing (mode 0) and gives its drawing; empty when
  // the sketch has no base or another sketch of the document is being edited.
  virtual IVarnelDocument2DPtr BeginEdit(int mode) = 0;
  virtual bool EndEdit() = 0;
  virtual bool IsEditing() = 0;
};

}  // namespace vlapi
