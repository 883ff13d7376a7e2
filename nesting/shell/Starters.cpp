// The starters whose commands are not built yet: each shows nothing and does
// nothing. A command's own source replaces its starter here.
#include "shell/Starters.h"

// The import command comes next.
void RunImportProcess() {}

// The source-data command comes next.
void RunReadContoursProcess() {}

// The remnants command comes next.
void RunWasteProcess() {}

// The export command comes next.
void RunExportProcess() {}

// The documentation command comes next.
void RunDocumentationProcess() {}

// The settings command comes next.
void RunSettingProcess() {}
