#include "vlhost/Failures.h"

#include <array>

#include "core/Api3D.h"

namespace vlhost {

Failures& Failures::Instance() {
  static Failures instance;
  return instance;
}

namespace {

struct NamedIID {
  vlapi::IAPIObjectIID iid;
  std::string_view name;
};

template <class... Is>
constexpr std::array<NamedIID, sizeof...(Is)> Table() {
  return {NamedIID{Traits<Is>::iid, Traits<Is>::name}...};
}

}  // namespace

bool QueryFails(vlapi::IAPIObjectIID iid) {
  static constexpr auto table =
      Table<IAPIObject, IVarnelAPIObject, IVarnelDocument, IVarnelDocument2D, IVarnelDocument3D, IDrawingContainer,
            ISymbols2DContainer, IDrawingObject, IMacroObject, IUserParameters, IPropertyKeeper, IView, ILayer,
            IDrawingGroup, IDrawingText, IText, ITextFont, ITable, ICellFormat, ICurve2D, ILineSegment, ICircle, IArc,
            IRectangle, IPolyLine2D, IContour, IColouring, IBoundariesObject, ILibrary, ICopyObjectParam,
            IMeshCopyObjectParam, IInertiaProperties, IInertiaPropertiesCalculateParam, IDrawingTable, IPart,
            ISpecificationObjectCreateParam, IFindObjectParameters, IEquidistant, INurbs, IHatch>();
  const Failures& failures = Failures::Instance();
  if (!failures.Any()) return false;
  for (const NamedIID& entry : table) {
    if (vlapi::SameIID(entry.iid, iid)) return failures.Fails(entry.name);
  }
  return QueryFails3D(iid);
}

}  // namespace vlhost
