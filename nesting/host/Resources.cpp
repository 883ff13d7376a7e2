// The library's string resources and its module name.
#include "host/VarnelAPI.h"

vlapi::IResourcesModulePtr& GetModule()
{
    return resourceModule;
}

namespace vrnApi {

std::wstring LoadStr(int strID)
{
    vlapi::IProceduresLibraryPtr library = GetProceduresLibrary();
    vlapi::IVarnelDictionaryPtr dictionary = library ? library->GetDictionary() : vlapi::IVarnelDictionaryPtr{};
    if (!dictionary)
        return {};
    return dictionary->GetString(strID, GetModule().get());
}

std::wstring GetFileNameModule()
{
    if (!application)
        return {};
    vlapi::IApplicationServicesPtr services = application->GetApplicationServices();
    return services ? services->GetModuleFileName(GetModule().get()) : std::wstring{};
}

}  // namespace vrnApi
