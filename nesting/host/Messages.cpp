// Messages, paths and host state.
#include "host/VarnelAPI.h"

vlapi::IResourcesModulePtr& GetModule()
{
    return resourceModule;
}

namespace vrnApi {

void Message(std::wstring mess)
{
    if (application)
        application->MessageBox(mess, LoadStr(100), vlapi::vlMBIconInformation, 0, 1);
}

}  // namespace vrnApi
