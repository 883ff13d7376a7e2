// The failure switch for queries of the 3D interfaces.
#include "core/Api3D.h"

namespace vlhost {
namespace {

template <class... Is>
bool Refused(vlapi::IAPIObjectIID iid) {
  const Failures& failures = Failures::Instance();
  bool refused = false;
  ((vlapi::SameIID(iid, Traits<Is>::iid) ? (refused = failures.Fails(Traits<Is>::name)) : false) || ...);
  return refused;
}

}  // namespace

bool QueryFails3D(vlapi::IAPIObjectIID iid) {
  return Refused<vlapi::IModelObject, vlapi::IFeature, vlapi::IBody, vlapi::IFace, vlapi::ISheetMetalContainer,
                 vlapi::ISheetMetalBendUnfoldParameters, vlapi::ISheetMetalBody, vlapi::ISheetMetalBend,
                 vlapi::ISheetMetalLineBend, vlapi::IModelContainer, vlapi::ISketches, vlapi::ISketch>(iid);
}

}  // namespace vlhost
