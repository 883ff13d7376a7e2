// The registers of a documentation run against the drawing they were made
// from: what each says of the sheets, parts, remnants and bars is what the
// drawing holds, lengths to a tenth of a millimetre.
#pragma once

#include "job_check/JobDrawing.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace jobcheck {

// A register as its CSV twin reads: rows of cells, the titles first.
using RegisterRows = std::vector<std::vector<std::wstring>>;

// A CSV cell against the cell of its table document: the same text, or, for
// a text a spreadsheet would take for a formula ("=", "+", "-", "@", a tab
// or a carriage return first), that text after an apostrophe.
bool SameCell(const std::wstring& csv, const std::wstring& table);
// A CSV cell a spreadsheet would evaluate: one starting as a formula does,
// unless it is a plain number ("-10", "+2.5").
bool Evaluated(const std::wstring& csv);
// The text a CSV cell stands for: an apostrophe before a formula's first
// character dropped.
std::wstring CellText(const std::wstring& csv);

// Checks each register given (by file name without extension: "Ведомость
// деталей", "Ведомость карт раскроя", "Ведомость материалов", "Ведомость
// делового отхода", "Ведомость линейного раскроя") against the drawing, and
// calls `fault` with each difference. `minimumRemnant` is the shortest
// offcut of a bar that the register of linear cuts names as a remnant (mm).
// The number of registers checked.
size_t CheckRegisters(const Job& job, const std::map<std::wstring, RegisterRows>& registers, double minimumRemnant,
                      const std::function<void(const std::string&)>& fault);

}  // namespace jobcheck
