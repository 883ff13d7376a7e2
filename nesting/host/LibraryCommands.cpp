// This library as the host knows it, and groups by reference.
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace vrnApi {

vlapi::IProceduresLibraryPtr GetProceduresLibrary()
{
    if (!application)
        return {};
    vlapi::ILibraryManagerPtr manager = application->GetLibraryManager();
    vlapi::IProceduresLibrariesPtr libraries = manager ? manager->GetProceduresLibraries()
                                                       : vlapi::IProceduresLibrariesPtr{};
    return libraries ? libraries->GetLibrary(L"APP_Nesting") : vlapi::IProceduresLibraryPtr{};
}

void ClearGroup(int ref, bool temp)
{
    vlapi::IDrawingGroupPtr group(hostAccess::ObjectOf(GetActiveDocument2D(), ref));
    if (group)
        group->Clear(temp);
}

}  // namespace vrnApi
