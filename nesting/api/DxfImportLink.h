// Where the automation model meets the DXF import of the io layer.
#pragma once

#include "model/Params.h"

#include <string>
#include <vector>

class NestingModel;

// Converts each listed DXF file into a fragment in `outPath`, giving it the
// file's count, thickness and material; the entries may be updated in place.
// The files that could not be converted are reported to the user. The
// model's progress bar shows the run.
void ImportDxfFiles(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outPath);
