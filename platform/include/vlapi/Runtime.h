// The host side of the SDK runtime: the running host registers here what the
// runtime's free functions (GetTransferService) hand out to libraries.
#pragma once

#include "vlapi/Application.h"

namespace vlapi {

using TransferServiceProvider = ITransferServicePtr (*)();

// Called by the host once it runs; a null provider makes GetTransferService
// give nothing.
void SetTransferServiceProvider(TransferServiceProvider provider);

}  // namespace vlapi
