#pragma once
// Traits of the 3D interfaces (see core/Api.h).
#include "core/Api.h"

namespace vlhost {

#define VLHOST_TRAITS_3D(Name, BaseName)                            \
  template <>                                                       \
  struct Traits<vlapi::Name> {                                      \
    using Base = vlapi::BaseName;                                   \
    static constexpr vlapi::IAPIObjectIID iid = vlapi::IID_##Name;  \
    static constexpr std::string_view name = #Name;                 \
  };

VLHOST_TRAITS_3D(IModelObject, IVarnelAPIObject)
VLHOST_TRAITS_3D(IFeature, IAPIObject)
VLHOST_TRAITS_3D(IBody, IModelObject)
VLHOST_TRAITS_3D(IFace, IModelObject)
VLHOST_TRAITS_3D(ISheetMetalContainer, IAPIObject)
VLHOST_TRAITS_3D(ISheetMetalBendUnfoldParameters, IAPIObject)
VLHOST_TRAITS_3D(ISheetMetalCollection, IAPIObject)
VLHOST_TRAITS_3D(ISheetMetalBodies, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalBends, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalLineBends, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalHoles, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalCuts, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalSketchBends, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalClosedCorners, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalPlates, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalBendedStraightens, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalPressFormings, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalShoulders, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalJalousies, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalRibs, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalPunchs, ISheetMetalCollection)
VLHOST_TRAITS_3D(IConvertsToSheetMetals, ISheetMetalCollection)
VLHOST_TRAITS_3D(ISheetMetalBody, IAPIObject)
VLHOST_TRAITS_3D(ISheetMetalBend, IAPIObject)
VLHOST_TRAITS_3D(ISheetMetalLineBend, IAPIObject)
VLHOST_TRAITS_3D(IModelContainer, IAPIObject)
VLHOST_TRAITS_3D(ISketches, IAPIObject)
VLHOST_TRAITS_3D(ISketch, IModelObject)
#undef VLHOST_TRAITS_3D

// Whether a query for one of the 3D interfaces is switched off by the failure switch.
bool QueryFails3D(vlapi::IAPIObjectIID iid);

}  // namespace vlhost
