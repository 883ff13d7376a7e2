// A sheet read from a file: a drawing or fragment, or a DXF file, whose
// outer outline is a rectangle, such as a sheet or a remnant the export wrote.
// A remnant's label names its thickness and material too.
#pragma once

#include <optional>
#include <string>

namespace sheetfile {

struct SheetOfFile {
    double width = 0.0;   // whole millimetres, rounded down
    double height = 0.0;
    std::optional<double> thickness;    // from a remnant's label that gives one
    std::optional<std::wstring> material;
};

// The thickness and material a remnant's label gives: "<word> <sheet>-n(m)",
// then the size ("TxWxH", or "WxH" without a thickness; a comma may stand
// for the point), then the material; nothing for any other text. A
// thickness no sheet has (over 1000 mm, not finite) is not taken.
void ReadRemnantLabel(const std::wstring& text, const std::wstring& word, SheetOfFile& sheet);

// Reads the sheet of the file; empty when it was read, otherwise the whole
// message that tells the user which file and why (the file cannot be
// opened, or read as DXF; it holds no closed outline, or its outer outline
// is not a rectangle, or is under 1 mm or over 100000 mm a side).
std::wstring ReadSheet(const std::wstring& path, SheetOfFile& sheet);

}  // namespace sheetfile
