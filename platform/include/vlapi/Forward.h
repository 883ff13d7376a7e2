#pragma once
// Interface ids, smart-pointer names and list types of every host interface.
#include <vector>

#include "vlapi/SmartPtr.h"

// Declares interface `Name`, its id `IID_Name` and its holder `NamePtr`.
#define VLAPI_INTERFACE(Name, guid)               \
  struct Name;                                    \
  inline constexpr char IID_##Name[37] = guid;    \
  using Name##Ptr = SmartPtr<Name, IID_##Name>;

namespace vlapi {

VLAPI_INTERFACE(IAPIObject, "ab4b614e-2718-50b7-9b68-93c5f5b40f6c")
VLAPI_INTERFACE(IVarnelAPIObject, "70f811e3-35e9-59b1-a98f-6356215917b4")
VLAPI_INTERFACE(ITransferService, "0ffa228e-fd41-50eb-9c50-0d22057cf2a7")
VLAPI_INTERFACE(IApplication, "c57120f8-3c9b-5b24-baac-b65ac7618359")
VLAPI_INTERFACE(IApplicationServices, "46634406-aa65-59ef-b9d4-270fa091a127")
VLAPI_INTERFACE(ISystemSettings, "9dea2dd6-1457-565e-86b4-b3cc449ecbfa")
VLAPI_INTERFACE(IApplicationDialogs, "a011a2dc-bb7d-5bb3-a573-3651fee4828c")
VLAPI_INTERFACE(IVarnelError, "942aa8fc-acb0-5bb8-b6ef-ca47dada6b06")
VLAPI_INTERFACE(IDocuments, "e5dc3258-7a16-538f-8051-f4d5c775f9e7")
VLAPI_INTERFACE(IVarnelDocument, "a3d47b13-3453-55a0-8cee-d85fd8ad0593")
VLAPI_INTERFACE(IDocumentFrame, "622f3f83-66ec-5e7b-ab02-9f9c6fb396ba")
VLAPI_INTERFACE(IVarnelDocument2D, "6ad12b76-c6ab-515d-a483-b87ffa29d923")
VLAPI_INTERFACE(IVarnelDocument3D, "9f5dd086-1807-5e30-9dda-30d1d53645f9")
VLAPI_INTERFACE(IPart, "8ca7dfa5-c69e-509b-8953-42ee0ea41a83")
VLAPI_INTERFACE(IParts, "8312da68-aac5-52b5-9101-f82aa02b94f5")
VLAPI_INTERFACE(IResourcesModule, "ad2690c4-8733-5e52-be35-f6d1021985c5")
VLAPI_INTERFACE(IVarnelDictionary, "7d3d7c28-f96f-5e38-9d50-0fe64b162232")
VLAPI_INTERFACE(ILibraryManager, "7b1dc6a0-22ff-5fdb-9e27-4aeb9ae7c6e0")
VLAPI_INTERFACE(IProceduresLibraries, "6f8586ef-bb55-540e-9dd5-4778be90bca9")
VLAPI_INTERFACE(IProceduresLibrary, "bb3c3a24-0d7b-53a3-9312-770f9340887b")
VLAPI_INTERFACE(ILibrary, "245a182f-f877-52ee-a148-29d294442fa3")
VLAPI_INTERFACE(IFileConverter, "adc97cab-012e-523e-a829-8010569c9125")
VLAPI_INTERFACE(IMath2D, "dbeb1729-0e33-5753-83ba-9cebf6c79a03")
VLAPI_INTERFACE(IInertiaProperties, "a46052a7-c6e6-5a04-b1f5-ccf8d985fbc3")
VLAPI_INTERFACE(IInertiaPropertiesCalculateParam, "a9677051-d5b8-57fd-b01c-7f0d135111d9")
VLAPI_INTERFACE(IViewsAndLayersManager, "5be22bae-14a5-5a43-890d-99d1c982af23")
VLAPI_INTERFACE(IViews, "8d952946-5a67-51a1-adf3-2b5cb5859dbd")
VLAPI_INTERFACE(IView, "619e2086-8efc-5a50-9fc6-5d60dc1d90a0")
VLAPI_INTERFACE(ILayers, "f7ad5f99-0948-53a2-8d8a-dedd202704dc")
VLAPI_INTERFACE(ILayer, "7b4b9e26-8765-580b-b89a-cd7eb1e5bc3b")
VLAPI_INTERFACE(ILayoutSheets, "d50ae859-1fa8-5309-8183-68d33bbebc61")
VLAPI_INTERFACE(ILayoutSheet, "24f4e2cf-68b6-5dae-8c0b-81e1799821fe")
VLAPI_INTERFACE(ISheetFormat, "91271a29-ed7a-5217-a40e-18e74f2166d6")
VLAPI_INTERFACE(IStamp, "d45a681e-361b-538f-a133-318944896d65")
VLAPI_INTERFACE(IPropertyMng, "c1f0f6e1-62c8-5148-ace8-23569aff1085")
VLAPI_INTERFACE(IProperty, "208a44b8-a62e-5eba-98fd-c31b75d9b65d")
VLAPI_INTERFACE(IPropertyKeeper, "b9899bb7-7024-550d-96b8-6d278eb84944")
VLAPI_INTERFACE(ISelectionManager, "a5b311b1-6e80-52ba-8ffe-d1d802a9d31b")
VLAPI_INTERFACE(IChooseManager, "13236693-f25e-5fc9-afb6-3c1e2d709b9a")
VLAPI_INTERFACE(IFindObjectParameters, "63d58cbd-444e-50c7-9af4-f3bf6c6cbde8")
VLAPI_INTERFACE(IDrawingContainer, "3a297bd2-a392-5933-8572-13ef00b38da5")
VLAPI_INTERFACE(ISymbols2DContainer, "1cd774db-5e29-56c6-a518-9c9587beb0ee")
VLAPI_INTERFACE(IDrawingObjects, "da921047-4dbd-5242-9080-d9f7119cbd2b")
VLAPI_INTERFACE(IMacroObjects, "a76477b5-bf90-5909-b085-84ab1cfad55e")
VLAPI_INTERFACE(IDrawingContours, "ee758747-91d3-5287-bc7d-cc4da7f5a0b0")
VLAPI_INTERFACE(IDrawingTables, "1724165a-00b1-5530-8581-260752097b95")
VLAPI_INTERFACE(IColourings, "5c7ffd45-86ca-583d-a3f7-a09aaee77213")
VLAPI_INTERFACE(IDrawingGroups, "f93599c2-ddc0-5426-b145-56258b4ba0aa")
VLAPI_INTERFACE(IDrawingGroup, "f901fb92-a444-5c1c-b4f6-d84f8edf1a5b")
VLAPI_INTERFACE(IDrawingObject, "f2c5511b-2f8e-5931-96e3-894ba4414203")
VLAPI_INTERFACE(ICurve2D, "aaee567f-992b-5e9a-b5ba-e878f0ba3fa3")
VLAPI_INTERFACE(ILineSegment, "7c209c8b-a1e5-5738-b573-5eebf5723544")
VLAPI_INTERFACE(ICircle, "4b42faba-0fd3-5e6c-a11f-7dba7bc26c4e")
VLAPI_INTERFACE(IArc, "ed4d0576-9e27-5deb-bea4-2d9080db9dfa")
VLAPI_INTERFACE(IRectangle, "a8f40bf7-b826-5c11-b3d9-c9d6634469e1")
VLAPI_INTERFACE(IPolyLine2D, "64318d57-b7c8-5798-a5f0-55578fc56c23")
VLAPI_INTERFACE(INurbs, "c7458b8c-e440-5182-8cc4-0e44571a9a5f")
VLAPI_INTERFACE(IEquidistant, "ee0e5c49-e1ec-5247-96d1-c524b7f76d42")
VLAPI_INTERFACE(IDrawingContour, "dd9d0c33-dd0d-51dc-8c1b-e85aa21be208")
VLAPI_INTERFACE(IContour, "91e7e97d-2b0d-5ede-9114-e78d927db56f")
VLAPI_INTERFACE(IHatch, "38b74d08-a4be-5e95-ba8c-c2eede05a182")
VLAPI_INTERFACE(IColouring, "b4b676b4-6fe5-5e60-96f6-0f4e1503586c")
VLAPI_INTERFACE(IBoundariesObject, "a9a2835c-f41c-5b75-9907-99bb57da683e")
VLAPI_INTERFACE(IMacroObject, "c015f55b-9601-539f-a235-a082b3c9c31b")
VLAPI_INTERFACE(IUserParameters, "0d06ba5c-c5a1-51c9-bc66-254bb3c9973f")
VLAPI_INTERFACE(IDrawingText, "6cfc27bc-b491-5793-a180-c0ae5b81fb8e")
VLAPI_INTERFACE(IText, "4a340332-b4ac-5eff-a2ab-0225f7dd4408")
VLAPI_INTERFACE(ITextLine, "6e47573b-3cc4-5613-8300-dd476b1c4277")
VLAPI_INTERFACE(ITextItem, "021ddd7f-9914-529a-b5b9-72595f12213e")
VLAPI_INTERFACE(ITextFont, "b132dafb-3556-5d49-9abe-5c613e76ef68")
VLAPI_INTERFACE(IDrawingTable, "7105b1a8-a4ac-5fb5-8a4f-500a739d992e")
VLAPI_INTERFACE(ITable, "1d7ab4c8-5d4b-5a16-aea6-e30d7fabc47a")
VLAPI_INTERFACE(ITableCell, "90c79dd6-dd74-5ac9-9880-c808307551e6")
VLAPI_INTERFACE(ICellFormat, "c7ba95fe-7fd2-5961-8365-c79d1b8aa940")
VLAPI_INTERFACE(ICopyObjectParam, "20f468e6-8ff5-5038-b573-80f25a3753b1")
VLAPI_INTERFACE(IMeshCopyObjectParam, "298f918c-2260-52ea-9cb7-2c9111a186ab")
VLAPI_INTERFACE(ISpecificationDescriptions, "36355ea0-279c-5259-91ee-516e2a947110")
VLAPI_INTERFACE(ISpecificationDescription, "e1538ea1-35c2-51ca-b5b6-a0ca5e338abf")
VLAPI_INTERFACE(ISpecificationTuning, "81b78d9c-663b-5fc9-891d-54fe7ce1bfe7")
VLAPI_INTERFACE(ISpecificationTuningSections, "1a0fc8c1-569e-52a9-86d7-e61f99e1cf51")
VLAPI_INTERFACE(ISpecificationTuningSection, "0481244f-7292-55b4-8fad-78534fd3b47c")
VLAPI_INTERFACE(ISpecificationBaseObjects, "5dd820c6-e27a-5e5f-a5cb-6cbb72821ec1")
VLAPI_INTERFACE(ISpecificationBaseObject, "35b1ae99-c34e-5b93-97ea-2095e03d2500")
VLAPI_INTERFACE(ISpecificationObjectCreateParam, "08af3285-c568-5552-bb67-047dd56962af")

// Objects handed to the host and type lists asked of it.
using APIObjectList = std::vector<IVarnelAPIObjectPtr>;
using DrawingObjectList = std::vector<IDrawingObjectPtr>;
using TypeList = std::vector<int>;

}  // namespace vlapi
