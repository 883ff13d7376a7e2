// The starters whose commands are not built yet: each shows nothing and does
// nothing. A command's own source replaces its starter here.
#include "shell/Starters.h"

// The optimisation command comes next.
void RunOptimizationProcess() {}

// The bridges command comes next.
void RunBridgesProcess() {}
