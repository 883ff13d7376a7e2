// The starters whose commands are not built yet: each shows nothing and does
// nothing. A command's own source replaces its starter here.
#include "shell/Starters.h"

// The source-data command comes next.
void RunReadContoursProcess() {}

// The optimisation command comes next.
void RunOptimizationProcess() {}

// The remnants command comes next.
void RunWasteProcess() {}

// The documentation command comes next.
void RunDocumentationProcess() {}

// The settings command comes next.
void RunSettingProcess() {}

// The bridges command comes next.
void RunBridgesProcess() {}
