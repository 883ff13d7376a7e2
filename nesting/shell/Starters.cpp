// The starters whose commands are not built yet: each shows nothing and does
// nothing. A command's own source replaces its starter here.
#include "shell/Starters.h"

// The import command comes next.
void RunImportProcess() {}


// The optimisation command comes next.
void RunOptimizationProcess() {}


// The export command comes next.
void RunExportProcess() {}



// The bridges command comes next.
void RunBridgesProcess() {}
