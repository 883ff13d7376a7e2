#pragma once
// Interface traits of the host's library, event, process and panel interfaces.
#include "core/Api.h"

namespace vlhost {

#define VLHOST_SHELL_TRAITS(Name, BaseName)                       \
  template <>                                                     \
  struct Traits<vlapi::Name> {                                    \
    using Base = BaseName;                                        \
    static constexpr vlapi::IAPIObjectIID iid = vlapi::IID_##Name; \
    static constexpr std::string_view name = #Name;               \
  };

VLHOST_SHELL_TRAITS(IApplicationEvents, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPressedKeys, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IDrawingObjectEvents, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IVarnelDocumentEvents, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IVarnelLibraryActions, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IHotPointObject, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcessParam, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcess, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcess2D, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcess2DEvents, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertiesManagerEvents, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertyTabs, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertyTab, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertyControls, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertyControl, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IPropertyEdit, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyList, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyCheckBox, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyGrid, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertySlideBox, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyTextButton, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyColor, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyEditList, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyEditCheckBox, vlapi::IPropertyControl)
VLHOST_SHELL_TRAITS(IPropertyToolBar, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcessContextPanel, vlapi::IAPIObject)
VLHOST_SHELL_TRAITS(IProcessContextIconMenu, vlapi::IAPIObject)
#undef VLHOST_SHELL_TRAITS

}  // namespace vlhost
