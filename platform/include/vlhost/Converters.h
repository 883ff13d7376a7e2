#pragma once
// A host file converter loaded the way an application library loads one:
// the shared object "ImpExp/<name>.vcl" of the host's folder of applications,
// its creation function, and the host's main window.
//
//   vlhost::ConverterModule dxf(host.Application(), "dxfImport");
//   if (dxf.Loaded()) dxf.Convert(L"part.dxf", L"part.vfw");
#include <string>
#include <vector>

#include "vlapi/vlapi.h"

namespace vlhost {

class ConverterModule {
 public:
  ConverterModule(vlapi::IApplication* app, const std::string& name);
  ~ConverterModule();
  ConverterModule(const ConverterModule&) = delete;
  ConverterModule& operator=(const ConverterModule&) = delete;

  bool Loaded() const { return static_cast<bool>(converter_); }
  const std::string& Error() const { return error_; }  // why it is not loaded
  // False when not loaded or when the conversion failed.
  bool Convert(const std::wstring& in, const std::wstring& out);
  // As vlapi::IFileConverter::SetShowProblems and GetProblems.
  void ShowProblems(bool show);
  std::vector<std::wstring> Problems() const;

 private:
  void* handle_ = nullptr;
  vlapi::IFileConverterPtr converter_;
  std::string error_;
};

}  // namespace vlhost
