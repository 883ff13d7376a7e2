#include "host/VarnelAPI.h"

// Both are set by the library's entry point when the host loads it.
vlapi::IApplication* application = nullptr;
vlapi::IResourcesModulePtr resourceModule;
