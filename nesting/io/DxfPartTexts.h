// The part's material, thickness and count as a DXF drawing writes them: a
// text wholly in square brackets holding "key=value" or "key: value", the key
// one of the words of the key table (Russian or English, any letter case).
//
//   [Материал=Ст3]   [Толщина: 2,5 мм]   [Кол-во=4]   [Count: 4 pcs]
#pragma once

#include "model/Params.h"

#include <optional>
#include <string>
#include <vector>

namespace dxfimport {

enum class PartKey { Material, Thickness, Count };

struct BracketText {
    PartKey key;
    std::wstring value;  // trimmed
};

// The key and value of one line of text; none when the line is not wholly in
// square brackets, holds no "=" or ":", or names no key of the table.
std::optional<BracketText> ReadBracketText(const std::wstring& line);

// What the texts of one drawing give, and the bracketed texts whose value
// could not be read (as they stand in the drawing).
struct PartValues {
    std::optional<std::wstring> material;
    std::optional<double> thickness;
    std::optional<int32_t> count;
    std::vector<std::wstring> unreadable;

    // Reads every line of one text object; the first readable value of a key wins.
    void Read(const std::wstring& text);
    // Puts the values found into the entry; the others stay as they were.
    void FillEntry(FileMetaParams& entry) const;
};

// A thickness text: a positive decimal number (point or comma), an optional
// unit "мм" or "mm". A count text: a whole number from 1, an optional "шт" or
// "pcs". None for anything else.
std::optional<double> ReadThickness(const std::wstring& text);
std::optional<int32_t> ReadCount(const std::wstring& text);

}  // namespace dxfimport
