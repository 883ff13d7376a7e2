#include "vlhost/Converters.h"

#include <dlfcn.h>

#include "io/Files.h"

namespace vlhost {

ConverterModule::ConverterModule(vlapi::IApplication* app, const std::string& name) {
  vlapi::ISystemSettingsPtr settings = app ? app->GetSystemSettings() : nullptr;
  if (!settings) {
    error_ = "no host";
    return;
  }
  const std::string path = Utf8(settings->GetSystemPath(vlapi::vlApplications)) + "/ImpExp/" + name + ".vcl";
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* why = dlerror();
    error_ = why ? why : path + ": cannot be loaded";
    return;
  }
  auto create = reinterpret_cast<vlapi::CreateConverterFunction>(dlsym(handle_, vlapi::kCreateConverterName));
  if (!create) {
    error_ = path + ": no creation function";
    return;
  }
  converter_ = vlapi::IFileConverterPtr::Attach(create(app->GetMainWindow()));
  if (!converter_) error_ = path + ": no converter for this host's main window";
}

ConverterModule::~ConverterModule() {
  converter_ = nullptr;
  if (handle_) dlclose(handle_);
}

bool ConverterModule::Convert(const std::wstring& in, const std::wstring& out) {
  return converter_ && converter_->Convert(in, out);
}

void ConverterModule::ShowProblems(bool show) {
  if (converter_) converter_->SetShowProblems(show);
}

std::vector<std::wstring> ConverterModule::Problems() const {
  return converter_ ? converter_->GetProblems() : std::vector<std::wstring>{};
}

}  // namespace vlhost
