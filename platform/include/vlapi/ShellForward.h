#pragma once
// Interface ids and holders of the host's library loading, events, processes
// and property panels (declared in Library.h, Events.h and Process.h).
#include "vlapi/Forward.h"

namespace vlapi {

VLAPI_INTERFACE(IApplicationEvents, "233b52fa-8c61-5778-8116-e585ef9dff59")
VLAPI_INTERFACE(IPressedKeys, "df4bc930-703f-53db-88fe-aa6d501e0dbc")
VLAPI_INTERFACE(IDrawingObjectEvents, "70e1ce88-6b83-5ef0-a075-34c20bf324d4")
VLAPI_INTERFACE(IVarnelDocumentEvents, "054daebb-add2-5d20-afff-8b75654588cf")
VLAPI_INTERFACE(IVarnelLibraryActions, "88135267-1d15-5588-b019-6a2f96289737")
VLAPI_INTERFACE(IHotPointObject, "6ce0802f-d7ce-5880-8fcd-157be1e52f96")
VLAPI_INTERFACE(IProcessParam, "e7ec31ba-1850-56b2-b515-1a4a828540b7")
VLAPI_INTERFACE(IProcess, "a2f08bd1-e684-5a92-939d-4871f9a9bb02")
VLAPI_INTERFACE(IProcess2D, "24c40173-7b81-512b-aaa0-b7e3108b6ee3")
VLAPI_INTERFACE(IProcess2DEvents, "259725a2-99c3-5ab4-b6e3-8112980a617c")
VLAPI_INTERFACE(IPropertiesManagerEvents, "63cf5baa-b15a-5634-b219-059f5f31a0e0")
VLAPI_INTERFACE(IPropertyTabs, "061a0c31-5eb3-59c0-9fa1-0c63c5fe71a8")
VLAPI_INTERFACE(IPropertyTab, "7f9eb619-172a-5d95-8251-a48f5d324672")
VLAPI_INTERFACE(IPropertyControls, "9d16367b-b226-597b-81c6-2400e0bf9f15")
VLAPI_INTERFACE(IPropertyControl, "c26ad775-e260-5598-bf80-086d8f1af792")
VLAPI_INTERFACE(IPropertyEdit, "0d2921bb-380a-5903-9ff2-70284e11fc19")
VLAPI_INTERFACE(IPropertyList, "e783873c-add8-5208-a2e6-bae170c5cf9b")
VLAPI_INTERFACE(IPropertyCheckBox, "71b4d96e-9b51-5aa0-8cc5-2e5c7ed67636")
VLAPI_INTERFACE(IPropertyGrid, "c273feb5-3c3f-54b8-a894-b46a5226ebbe")
VLAPI_INTERFACE(IPropertySlideBox, "3fb07a2a-9c5f-569c-862b-7145bfffe559")
VLAPI_INTERFACE(IPropertyTextButton, "f594bf50-9a27-57ab-81e9-d406fbb1ca93")
VLAPI_INTERFACE(IPropertyColor, "a47b7bda-0413-5e88-9805-4d4bdd1104d0")
VLAPI_INTERFACE(IPropertyEditList, "261e62a9-13bb-5d0e-a625-49e546e97ab2")
VLAPI_INTERFACE(IPropertyEditCheckBox, "c30a7a99-41aa-5462-b2a1-6b11db855b56")
VLAPI_INTERFACE(IPropertyToolBar, "20807ed5-b094-5bf7-9e71-e06a66911f22")
VLAPI_INTERFACE(IProcessContextPanel, "3bbf08cb-cc0a-5ed4-89eb-f28717dc8a2c")
VLAPI_INTERFACE(IProcessContextIconMenu, "4e2e379b-fb1a-5fa4-ade3-21c7da0e19e9")

}  // namespace vlapi
