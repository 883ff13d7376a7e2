// The fixture of the tests of the vrnApi layer.
#pragma once

#include "support/host_fixture.h"

namespace vrntest {

using VrnTest = hosttest::HostTest;
using WithLayoutTest = hosttest::WithLayoutTest;
using hosttest::AddCircle;
using hosttest::AddLine;
using hosttest::AddRing;

}  // namespace vrntest
