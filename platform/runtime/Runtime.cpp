// The host SDK's runtime: the free functions a library imports from the host.
// It is a shared object of its own so that the host and every library it loads
// reach the same running host through it.
#include "vlapi/Application.h"
#include "vlapi/Runtime.h"

namespace {
vlapi::TransferServiceProvider provider = nullptr;
}

namespace vlapi {
void SetTransferServiceProvider(TransferServiceProvider p) { provider = p; }
}  // namespace vlapi

vlapi::ITransferServicePtr GetTransferService() {
  return provider ? provider() : vlapi::ITransferServicePtr();
}
