// Steps shared by the macro factories.
#pragma once

#include "host/NestingMacro.h"

namespace factorySteps {

// A new, empty macro in `container`; empty without one.
vlapi::IMacroObjectPtr AddMacro(const vlapi::IDrawingContainerPtr& container);

// Stamps `macro` with its members and wraps it. A macro that cannot be
// stamped is taken away (its members stay free objects) and the result is empty.
INestingMacroObjectPtr StampOrDiscard(const vlapi::IMacroObjectPtr& macro, const std::wstring& name, int command,
                                      const std::vector<vlapi::IDrawingObjectPtr>& members);

void DeleteObjects(const std::vector<vlapi::IDrawingObjectPtr>& objects);

}  // namespace factorySteps
