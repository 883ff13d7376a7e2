// Parts from DXF files: each file read by the host's DXF converter into a
// hidden fragment, its objects sorted onto layers by line style, its
// bracketed texts read for material, thickness and count, its cut outline
// checked by the rules of a figure's borders, and the fragment saved in the
// output folder under the file's own name.
#pragma once

#include "model/Params.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class NestingModel;

namespace dxfimport {

// Reads a DXF file into the current view of the active document; false when
// nothing could be read.
using DxfReader = std::function<bool(const std::wstring& dxfPath)>;
// What the reader left out of the file it read last, and why (texts of the
// host, in Russian); empty when it read everything.
using DxfProblems = std::function<std::vector<std::wstring>()>;

// The reader's problems in one text, separated by "; ".
std::wstring ProblemsText(const std::vector<std::wstring>& problems);
// Why the reader read nothing of the DXF file `file`: it holds only 3D
// objects, or nothing of the kinds read; objects of the kinds read that the
// reader left out all of ("ни один объект файла не прочитан", then what the
// reader said, `leftOut`); otherwise "файл не прочитан как DXF", followed by
// what the reader said when it said anything.
std::wstring UnreadText(const std::filesystem::path& file, const std::wstring& leftOut);

// Imports every entry of `files` into a fragment "<file name>.vfw" in
// `outFolder` (equal names in one run get "_2", "_3", ...), with the count,
// thickness and material the entry ends with as the fragment's properties.
// The entries take the values the file's bracketed texts give, and the path
// of the fragment written (empty for a file that gave none). The model's
// progress bar runs over the files. One closing message names every file that
// gave no fragment, with the reason, under the error's heading; then, under a
// heading of their own, the notes on the parts that were written: every
// bracketed value that could not be read, what `problems` says the reader
// left out of each file, and the units of a file that scaled its drawing
// (these also beside a refusal); last, the files that gave no count,
// thickness or material, a few named and the rest counted, with what their
// parts were taken with. It is an error with a file refused, a warning with
// something left out or taken otherwise, information when it only tells the
// units or the values taken for markings not given. `read` is null when no converter could be loaded.
void ImportFiguresFromDxf(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outFolder,
                          const DxfReader& read, const DxfProblems& problems = nullptr);

}  // namespace dxfimport
