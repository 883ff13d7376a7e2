// The part's material, thickness and count as a DXF drawing writes them:
// bracketed items holding "key=value" or "key: value", the key one of the
// words of the key table (Russian or English, any letter case), wherever
// they stand in a text and however many a text holds. A value runs to the
// "]" that closes its "[", square brackets within it kept in pairs.
//
//   [Материал=Ст3]   [Толщина: 2,5 мм]   [Кол-во=4]   Деталь 1 [Count: 4 pcs] [Толщина=2]
//   [Материал=Ст3 [ГОСТ]]   [Кол-во=[3]]   [Толщина=3 [мм]]
#pragma once

#include "model/Params.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace dxfimport {

enum class PartKey { Material, Thickness, Count };

struct BracketText {
    PartKey key;
    std::wstring value;  // trimmed
};

// The key and value of one bracketed item ("[Кол-во=4]"); none when the
// item is not wholly in square brackets (its first "[" closed by its last
// "]"), holds no "=" or ":" before any inner bracket, or names no key of
// the table. Full-width forms ("［Кол-во＝4］"), brackets of other scripts and
// dashes other than "-" read as their plain forms; quotes or square
// brackets round the value go ("[Материал=[Ст3]]" gives Ст3).
std::optional<BracketText> ReadBracketText(const std::wstring& item);

// What the texts of one drawing give, and the bracketed items that give
// nothing or disagree (as they stand in the drawing).
struct PartValues {
    std::optional<std::wstring> material;
    std::optional<double> thickness;
    std::optional<int32_t> count;
    std::vector<BracketText> unreadable;  // the key, and the item as it stands
    // Items that look like marking but name no key of the table ("[Цвет=красный]",
    // or a key whose letters were read in a wrong code page), as they stand.
    std::vector<std::wstring> unknown;
    // Items whose "[" no "]" closes in their line, from the "[" on, as they
    // stand ("[Кол-во=", a marking split between two texts; "[Материал=Ст3 [ГОСТ]").
    std::vector<std::wstring> unclosed;
    // Keys given different values: the items as they stand, the one taken first.
    struct Conflict {
        PartKey key;
        std::vector<std::wstring> items;
        std::unordered_set<std::wstring> seen;  // the items, to keep each once
    };
    std::vector<Conflict> conflicts;

    // Reads every bracketed item of one text object, wherever it stands (in
    // another item too, unless that is a marking whose value it is part of);
    // the first readable value of a key wins.
    void Read(const std::wstring& text);
    // Puts the values found into the entry; the others stay as they were.
    void FillEntry(FileMetaParams& entry) const;

private:
    void ReadItem(const std::wstring& item, const BracketText& marking);
    // The value each key took (as a text, to tell values apart) and the item that gave it.
    struct Taken {
        PartKey key;
        std::wstring value;
        std::wstring item;
    };
    std::vector<Taken> m_taken;
};

// A thickness text: a decimal number (point or comma) from kLeastThickness
// to kMostThickness, an optional unit "мм" ("мм.") or "mm". A count text: a whole
// number from 1 to kMostCount (decimals of zeros allowed: "4.0"), an
// optional "шт" or "pcs". A unit may stand in square brackets ("3 [мм]"). None for anything else. No sheet is thinner than
// kLeastThickness, and thicknesses a thousandth apart are one where parts
// are matched to sheets: a thickness nearer 0 would be read as none. No
// part file asks for more pieces than loading takes of it.
inline constexpr double kLeastThickness = 0.01;  // mm
inline constexpr double kMostThickness = 500.0;  // mm
inline constexpr int32_t kMostCount = static_cast<int32_t>(paramlimits::kCopies);
std::optional<double> ReadThickness(const std::wstring& text);
std::optional<int32_t> ReadCount(const std::wstring& text);

// The bracketed items of a text that name a key of the table, as they stand,
// whatever their values.
std::vector<std::wstring> MarkingItems(const std::wstring& text);

// The keys of the table, as a text not taken for one names them.
std::wstring KnownKeys();

// What a value of `key` must be, as a refusal of it says.
std::wstring ValueRule(PartKey key);
// The value of `key` that `entry` holds, as "с количеством 4", "с толщиной
// 2.5 мм", "с материалом «Ст3»" (or "без толщины", "без материала").
std::wstring ValueTaken(PartKey key, const FileMetaParams& entry);

}  // namespace dxfimport
