// The starters of the interactive commands: each builds its command with its
// defaults and runs it as the current command (StartCommand, BaseProcess.h).
#pragma once

void RunImportProcess();         // command 1
void RunReadContoursProcess();   // commands 2 and 101: source data
void RunOptimizationProcess();   // command 3
void RunWasteProcess();          // commands 4 and 104: remnants
void RunExportProcess();         // command 6
void RunDocumentationProcess();  // command 7
void RunSettingProcess();        // command 8
void RunBridgesProcess();        // command 10
