#pragma once
// The geometric kernel: everything a caller uses.
#include "kernel/Curves.h"
#include "kernel/Math.h"
#include "kernel/RefItem.h"
#include "kernel/SheetMetal.h"
#include "kernel/Topology.h"
