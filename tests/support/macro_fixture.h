// The fixture of the macro tests, and helpers that make and read macros.
#pragma once

#include "host_fixture.h"

#include "host/NestingMacro.h"

#include <string>
#include <vector>

namespace macrotest {

using MacroHostTest = hosttest::HostTest;
using hosttest::AddArc;
using hosttest::AddCircle;
using hosttest::AddLine;
using hosttest::AddRing;

// A library macro of the objects (stamped as `command`), as the factories make one.
INestingMacroObjectPtr MakeMacro(const vlapi::IDrawingContainerPtr& c, const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                 const std::wstring& name, MacroCommand command = MacroCommand::Figure);
vlapi::IMacroObjectPtr HostMacro(const INestingMacroObjectPtr& macro);

// Every vertex of `ring` runs counter-clockwise and lies within `tol` of `expected`, in any start.
bool SameRing(const NPolygon& ring, const std::vector<NPoint>& expected, double tol);

}  // namespace macrotest
