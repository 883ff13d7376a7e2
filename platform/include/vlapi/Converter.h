#pragma once
// The host's file converters (DXF export and import): shared objects in the
// host's folder of applications ("ImpExp/dxfExport.vcl", "ImpExp/dxfImport.vcl"),
// each exporting the creation function below. A library loads one by its
// path, looks the function up by kCreateConverterName and calls it with the
// host's main window (IApplication::GetMainWindow).
#include <string>
#include <vector>

#include "vlapi/Application.h"

namespace vlapi {

// Convert(in, out):
// - an export converter writes the host document file `in` (empty: the active
//   2D document) to the file `out`;
// - an import converter reads the file `in` into the fragment file `out`
//   (empty: into the current view of the active 2D document).
// What cannot be read is named, with the file, in one message box, unless
// the caller reports it itself (SetShowProblems(false)) and asks
// GetProblems. A failed conversion writes nothing and answers false.
struct IFileConverter : IAPIObject {
  virtual bool Convert(const std::wstring& in, const std::wstring& out) = 0;
  // Whether Convert shows what it could not read in a message box (true until set).
  virtual void SetShowProblems(bool show) = 0;
  // What the last conversion could not read, and why, one text a problem
  // in the host's language; empty when it read everything.
  virtual std::vector<std::wstring> GetProblems() = 0;
};

// The creation function: a new converter (with one reference for the caller)
// working for the host whose main window is `mainWindow`; null for a window
// that is not a host's.
using CreateConverterFunction = IFileConverter* (*)(WindowHandle mainWindow);
inline constexpr char kCreateConverterName[] = "CreateConverter";

}  // namespace vlapi

extern "C" vlapi::IFileConverter* CreateConverter(vlapi::WindowHandle mainWindow);
