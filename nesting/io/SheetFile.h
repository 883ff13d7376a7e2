// A sheet read from a file: a drawing or fragment, or a DXF file, whose
// outer outline is a rectangle, such as a sheet or a remnant the export wrote.
// A remnant's label names its thickness and material too.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sheetfile {

struct SheetOfFile {
    double width = 0.0;   // whole millimetres, rounded down
    double height = 0.0;
    std::optional<double> thickness;    // from a remnant's label that gives one
    std::optional<std::wstring> material;
    std::wstring label;  // the remnant's label the file holds; empty for a plain sheet
    // Open lines inside the outline that do not reach it (marks, or a cut
    // drawn not quite closed): the sheet is taken whole, and the user told.
    size_t looseLines = 0;
    // What the DXF reader left out of a sheet taken all the same (nothing
    // closed inside it: a fill, a text, something beside it), as it names
    // it ("пропущено: ..."); empty when it left out nothing.
    std::wstring leftOut;
    // Of a DXF file, what is not cut, as the import of a part names it: the
    // curves on layers off or frozen, by layer and kind ("1 окружность на
    // слое «OFF»"); remnants' labels there, with their layers; the closed
    // curves in line styles other than the main (solid) one.
    std::wstring hidden;
    std::vector<std::wstring> hiddenLabels;
    std::wstring otherStyles;
};

// A remnant's label as read: "<word> <sheet>-n(m)" (the word in any case),
// then the size ("TxWxH", or "WxH" without a thickness; a comma may stand for
// the point, "X", "×", "*" or a Cyrillic "х" for the "x", with blanks about
// them or not), then the material. A field left out is empty; a field there
// that no remnant can have (a thickness of 0, not a number, over 1000 mm; a
// size that is no size) is named in `damage`, with what was written.
struct RemnantLabel {
    bool found = false;  // the text starts with the word: it is a remnant's label
    std::optional<double> thickness;
    std::optional<std::pair<double, double>> size;  // as written, mm
    std::optional<std::wstring> material;
    std::wstring damage;  // empty when every field written is read
};
RemnantLabel ReadRemnantLabel(const std::wstring& text, const std::wstring& word);

// Reads the sheet of the file; empty when it was read, otherwise the whole
// message that tells the user which file and why: the file cannot be opened,
// or read as DXF; it holds no closed outline, or its outer outline is not a
// rectangle (followed within 0.01 mm), or is under 1 mm or over 100000 mm a
// side; closed outlines lie inside it (holes, or parts drawn on the sheet: a
// sheet is loaded whole only), read or left out by the DXF reader (a fill
// is none), or lines reach it (a slot, a cut); a
// remnant's label in it cannot be read in full, or gives another size, or
// the file holds labels of different remnants.
std::wstring ReadSheet(const std::wstring& path, SheetOfFile& sheet);

}  // namespace sheetfile
