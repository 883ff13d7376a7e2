#include "io/DxfPartTexts.h"

#include "geometry/UtilityFunctions.h"
#include "io/NumberText.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace dxfimport {
namespace {

struct KeyWord {
    const wchar_t* word;  // in lower case
    PartKey key;
};

// The one table of keys the drawings may use.
constexpr KeyWord kKeys[] = {
    {L"материал", PartKey::Material},  {L"material", PartKey::Material},
    {L"толщина", PartKey::Thickness},  {L"thickness", PartKey::Thickness},
    {L"кол-во", PartKey::Count},       {L"количество", PartKey::Count},
    {L"count", PartKey::Count},        {L"quantity", PartKey::Count},
    {L"qty", PartKey::Count},
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0xA0; }

std::wstring Trimmed(const std::wstring& text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// A character of a text as the marking reads it, one for one: the
// full-width forms of ASCII (a text typed with an East Asian input) as
// ASCII, square brackets of other scripts as "[" and "]", dashes and minus
// signs as "-", the ideographic space as a blank.
wchar_t Plain(wchar_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<wchar_t>(c - 0xFEE0);
    switch (c) {
    case 0x3010: case 0x3014: case 0x301A: case 0xFE47: return L'[';
    case 0x3011: case 0x3015: case 0x301B: case 0xFE48: return L']';
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212: case 0xFE63:
        return L'-';
    case 0x3000: return L' ';
    default: return c;
    }
}

std::wstring Plain(std::wstring text)
{
    for (wchar_t& c : text)
        c = Plain(c);
    return text;
}

// A value less the quotes round it ("Ст3", «Ст3», „Ст3“, 'Ст3'), trimmed.
std::wstring Unquoted(const std::wstring& value)
{
    static const std::pair<wchar_t, wchar_t> kQuotes[] = {
        {L'"', L'"'}, {L'\'', L'\''}, {0xAB, 0xBB}, {0x201E, 0x201C}, {0x201C, 0x201D}, {0x2018, 0x2019}};
    if (value.size() >= 2) {
        for (const auto& [open, close] : kQuotes)
            if (value.front() == open && value.back() == close)
                return Trimmed(value.substr(1, value.size() - 2));
    }
    return value;
}

// Lower case of Latin and Cyrillic letters, whatever the locale.
std::wstring Folded(std::wstring text)
{
    for (wchar_t& c : text) {
        if ((c >= L'A' && c <= L'Z') || (c >= 0x410 && c <= 0x42F))
            c = static_cast<wchar_t>(c + 0x20);
        else if (c == 0x401)
            c = 0x451;
    }
    return text;
}

// `text` less a trailing unit word of `units` (letter case aside), trimmed.
std::wstring WithoutUnit(const std::wstring& text, std::initializer_list<const wchar_t*> units)
{
    const std::wstring folded = Folded(text);
    for (const wchar_t* unit : units) {
        const std::wstring u = unit;
        if (folded.size() > u.size() && folded.compare(folded.size() - u.size(), u.size(), u) == 0)
            return Trimmed(text.substr(0, text.size() - u.size()));
    }
    return text;
}

// A letter of a key: Latin (the accented ones too, which Cyrillic read in a
// Western code page becomes), Cyrillic, or U+FFFD for a byte the code page lacks.
bool IsKeyLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||
           (c >= 0x400 && c <= 0x4FF) || c == 0xFFFD;
}

// The key and value of a bracketed text ("[key=value]", "[key: value]", no
// brackets inside), both trimmed; none for any other text.
std::optional<std::pair<std::wstring, std::wstring>> SplitBracketText(const std::wstring& item)
{
    const std::wstring text = Trimmed(Plain(item));
    if (text.size() < 2 || text.front() != L'[' || text.back() != L']')
        return std::nullopt;
    const std::wstring body = text.substr(1, text.size() - 2);
    const size_t sep = body.find_first_of(L"=:");
    if (sep == std::wstring::npos || body.find_first_of(L"[]") != std::wstring::npos)
        return std::nullopt;
    return std::pair{Trimmed(body.substr(0, sep)), Unquoted(Trimmed(body.substr(sep + 1)))};
}

// The bracketed items of a line, wherever they stand in it (brackets of
// other scripts too), as they stand: each "[" up to the next "]" with no
// "[" between. `unclosed` gets what follows the last "[" that no "]"
// closes (empty when there is none).
std::vector<std::wstring> BracketItems(const std::wstring& line, std::wstring& unclosed)
{
    const std::wstring plain = Plain(line);
    std::vector<std::wstring> items;
    unclosed.clear();
    size_t open = plain.find(L'[');
    while (open != std::wstring::npos) {
        const size_t next = plain.find_first_of(L"[]", open + 1);
        if (next == std::wstring::npos) {
            unclosed = Trimmed(line.substr(open));
            break;
        }
        if (plain[next] == L'[') {
            open = next;
            continue;
        }
        items.push_back(line.substr(open, next - open + 1));
        open = plain.find(L'[', next + 1);
    }
    return items;
}

// Whether a key that names none of the table looks like one all the same:
// letters, with blanks, "-", "." and "_" between them, no digits
// ("[Масштаб 1:2]" is no marking).
bool LooksLikeKey(const std::wstring& key)
{
    constexpr size_t kLongestKey = 40;
    if (key.empty() || key.size() > kLongestKey || !IsKeyLetter(key.front()))
        return false;
    return std::all_of(key.begin(), key.end(), [](wchar_t c) {
        return IsKeyLetter(c) || IsBlank(c) || c == L'-' || c == L'.' || c == L'_';
    });
}

}  // namespace

std::wstring KnownKeys()
{
    std::wstring keys;
    for (const KeyWord& k : kKeys)
        keys += (keys.empty() ? L"" : L", ") + std::wstring(k.word);
    return keys;
}

std::optional<BracketText> ReadBracketText(const std::wstring& item)
{
    const auto parts = SplitBracketText(item);
    if (!parts)
        return std::nullopt;
    const std::wstring key = Folded(parts->first);
    for (const KeyWord& k : kKeys) {
        if (key == k.word)
            return BracketText{k.key, parts->second};
    }
    return std::nullopt;
}

std::optional<double> ReadThickness(const std::wstring& text)
{
    const std::wstring number = WithoutUnit(Trimmed(text), {L"мм.", L"мм", L"mm"});
    size_t used = 0;
    const std::optional<double> value = numbertext::LeadingDouble(number, &used);
    if (!value || used != number.size() || !(*value >= kLeastThickness && *value <= kMostThickness))
        return std::nullopt;
    return value;
}

std::optional<int32_t> ReadCount(const std::wstring& text)
{
    std::wstring number = WithoutUnit(Trimmed(text), {L"шт.", L"шт", L"pcs.", L"pcs"});
    // A whole number written with decimals that are all zeros ("4.0", "4,00").
    const size_t point = number.find_first_of(L".,");
    if (point != std::wstring::npos && point + 1 < number.size() &&
        number.find_first_not_of(L'0', point + 1) == std::wstring::npos)
        number.erase(point);
    size_t used = 0;
    const std::optional<int64_t> value = numbertext::LeadingInteger(number, &used);
    if (!value || used != number.size() || *value < 1 || *value > kMostCount)
        return std::nullopt;
    return static_cast<int32_t>(*value);
}

std::vector<std::wstring> MarkingItems(const std::wstring& text)
{
    std::vector<std::wstring> markings;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(L'\n', start), text.size());
        std::wstring rest;
        for (std::wstring& item : BracketItems(text.substr(start, end - start), rest)) {
            if (ReadBracketText(item))
                markings.push_back(std::move(item));
        }
        start = end + 1;
    }
    return markings;
}

void PartValues::Read(const std::wstring& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring line = text.substr(start, end - start);
        start = end + 1;
        std::wstring rest;
        for (const std::wstring& item : BracketItems(line, rest))
            ReadItem(item);
        // A marking cut short (its value in another text, or its "]" left
        // out) is named, so that what it gives is not lost unsaid.
        if (const auto parts = SplitBracketText(rest + L"]");
            parts && (ReadBracketText(rest + L"]") || LooksLikeKey(parts->first)))
            unclosed.push_back(rest);
    }
}

void PartValues::ReadItem(const std::wstring& item)
{
    const std::optional<BracketText> marking = ReadBracketText(item);
    if (!marking) {
        if (const auto parts = SplitBracketText(item); parts && LooksLikeKey(parts->first))
            unknown.push_back(item);
        return;
    }
    // The value read, as a text to tell values apart; none when it cannot be read.
    std::optional<std::wstring> read;
    switch (marking->key) {
    case PartKey::Material:
        if (!marking->value.empty()) {
            read = marking->value;
            if (!material)
                material = marking->value;
        }
        break;
    case PartKey::Thickness:
        if (const std::optional<double> value = ReadThickness(marking->value)) {
            read = uf::NumberText(*value);
            if (!thickness)
                thickness = value;
        }
        break;
    case PartKey::Count:
        if (const std::optional<int32_t> value = ReadCount(marking->value)) {
            read = std::to_wstring(*value);
            if (!count)
                count = value;
        }
        break;
    }
    if (!read) {
        unreadable.push_back({marking->key, item});
        return;
    }
    auto taken = std::find_if(m_taken.begin(), m_taken.end(), [&](const Taken& t) { return t.key == marking->key; });
    if (taken == m_taken.end()) {
        m_taken.push_back({marking->key, *read, item});
        return;
    }
    if (taken->value == *read)
        return;
    auto other = std::find_if(conflicts.begin(), conflicts.end(), [&](const Conflict& c) { return c.key == marking->key; });
    if (other == conflicts.end()) {
        other = conflicts.insert(conflicts.end(), {marking->key, {taken->item}, {taken->item}});
    }
    if (other->seen.insert(item).second)
        other->items.push_back(item);
}

std::wstring ValueRule(PartKey key)
{
    switch (key) {
    case PartKey::Material:
        return L"материал не назван";
    case PartKey::Thickness:
        return L"толщина должна быть числом от 0.01 до " + std::to_wstring(static_cast<int>(kMostThickness)) + L" мм";
    case PartKey::Count:
        break;
    }
    return L"количество должно быть целым числом от 1 до " + std::to_wstring(kMostCount);
}

std::wstring ValueTaken(PartKey key, const FileMetaParams& entry)
{
    switch (key) {
    case PartKey::Material:
        return entry.m_material.empty() ? L"без материала" : L"с материалом «" + entry.m_material + L"»";
    case PartKey::Thickness: {
        if (!(entry.m_thickness > 0.0))
            return L"без толщины";
        return L"с толщиной " + uf::NumberText(entry.m_thickness) + L" мм";
    }
    case PartKey::Count:
        break;
    }
    return L"с количеством " + std::to_wstring(entry.m_count);
}

void PartValues::FillEntry(FileMetaParams& entry) const
{
    if (material)
        entry.m_material = *material;
    if (thickness)
        entry.m_thickness = *thickness;
    if (count)
        entry.m_count = *count;
}

}  // namespace dxfimport
