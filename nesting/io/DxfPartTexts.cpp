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

// A value less the quotes round it ("Ст3", «Ст3», „Ст3“, 'Ст3') or the
// square brackets round it ("[Ст3]": the "[" closed by the last "]"), trimmed.
std::wstring Unquoted(const std::wstring& value)
{
    static const std::pair<wchar_t, wchar_t> kQuotes[] = {
        {L'"', L'"'}, {L'\'', L'\''}, {0xAB, 0xBB}, {0x201E, 0x201C}, {0x201C, 0x201D}, {0x2018, 0x2019}};
    if (value.size() < 2)
        return value;
    for (const auto& [open, close] : kQuotes)
        if (value.front() == open && value.back() == close)
            return Trimmed(value.substr(1, value.size() - 2));
    if (value.front() != L'[' || value.back() != L']')
        return value;
    size_t depth = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == L'[')
            ++depth;
        else if (value[i] == L']' && --depth == 0)
            return i + 1 == value.size() ? Trimmed(value.substr(1, value.size() - 2)) : value;
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

// `text` less a trailing unit word of `units` (letter case aside), bare
// or in square brackets ("3 [мм]"), trimmed.
std::wstring WithoutUnit(const std::wstring& text, std::initializer_list<const wchar_t*> units)
{
    const std::wstring folded = Folded(text);
    for (const wchar_t* unit : units) {
        for (const std::wstring& u : {std::wstring(unit), L"[" + std::wstring(unit) + L"]"}) {
            if (folded.size() > u.size() && folded.compare(folded.size() - u.size(), u.size(), u) == 0)
                return Trimmed(text.substr(0, text.size() - u.size()));
        }
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

constexpr size_t kNoGroup = SIZE_MAX;

// A bracketed group of a line: a "[" and the "]" that closes it, the
// brackets between them in pairs (`close` npos when no "]" closes it: it
// runs to the line's end), and the group it stands in.
struct Group {
    size_t open = 0;
    size_t close = std::wstring::npos;
    size_t parent = kNoGroup;
};

// The groups of a line (in its plain form) in the order they open; a "]"
// that closes no group is text.
std::vector<Group> Groups(const std::wstring& plain)
{
    std::vector<Group> groups;
    std::vector<size_t> open;  // of the groups not closed yet, the innermost last
    for (size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == L'[') {
            groups.push_back({i, std::wstring::npos, open.empty() ? kNoGroup : open.back()});
            open.push_back(groups.size() - 1);
        } else if (plain[i] == L']' && !open.empty()) {
            groups[open.back()].close = i;
            open.pop_back();
        }
    }
    return groups;
}

// The key of a group (of the plain line), trimmed: what stands between its
// "[" and the first "=" or ":", no bracket before them; none when there is
// no such key. `sep` gets the place of the "=" or ":".
std::optional<std::wstring> KeyOf(const std::wstring& plain, const Group& group, size_t& sep)
{
    sep = plain.find_first_of(L"=:[]", group.open + 1);
    if (sep == std::wstring::npos || plain[sep] == L'[' || plain[sep] == L']')
        return std::nullopt;
    return Trimmed(plain.substr(group.open + 1, sep - group.open - 1));
}

// The value of a group whose key ends at `sep`: up to the "]" that closes
// the group (brackets within it kept), trimmed and unquoted.
std::wstring ValueOf(const std::wstring& plain, const Group& group, size_t sep)
{
    const size_t end = group.close == std::wstring::npos ? plain.size() : group.close;
    return Unquoted(Trimmed(plain.substr(sep + 1, end - sep - 1)));
}

// The key of the table a key names; none when it names none.
std::optional<PartKey> TableKey(const std::wstring& key)
{
    const std::wstring folded = Folded(key);
    for (const KeyWord& k : kKeys) {
        if (folded == k.word)
            return k.key;
    }
    return std::nullopt;
}

// A group of a line that may be a marking, as it stands, with its key and,
// for a key of the table, the key and value read.
struct Candidate {
    std::wstring item;  // from its "[" to the "]" that closes it, or to the line's end
    bool closed = false;
    std::optional<std::wstring> key;
    std::optional<BracketText> marking;
};

// The groups of a line that may be markings (brackets of other scripts too):
// those standing in no group, and those standing in a group that is no
// marking of a key of the table: a bracket within a marking's value is
// part of it ("[Материал=Ст3 [ГОСТ]]").
std::vector<Candidate> Candidates(const std::wstring& line)
{
    const std::wstring plain = Plain(line);
    const std::vector<Group> groups = Groups(plain);
    std::vector<bool> taken(groups.size(), false);  // within a marking of the table
    std::vector<Candidate> candidates;
    for (size_t g = 0; g < groups.size(); ++g) {
        const Group& group = groups[g];
        if (group.parent != kNoGroup && taken[group.parent]) {
            taken[g] = true;
            continue;
        }
        Candidate c;
        c.closed = group.close != std::wstring::npos;
        c.item = c.closed ? line.substr(group.open, group.close - group.open + 1) : Trimmed(line.substr(group.open));
        size_t sep = 0;
        c.key = KeyOf(plain, group, sep);
        if (const std::optional<PartKey> key = c.key ? TableKey(*c.key) : std::nullopt) {
            c.marking = BracketText{*key, ValueOf(plain, group, sep)};
            taken[g] = true;
        }
        candidates.push_back(std::move(c));
    }
    return candidates;
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
    const std::wstring text = Trimmed(Plain(item));
    const std::vector<Group> groups = Groups(text);
    if (groups.empty() || groups.front().open != 0 || groups.front().close + 1 != text.size())
        return std::nullopt;
    size_t sep = 0;
    const std::optional<std::wstring> key = KeyOf(text, groups.front(), sep);
    const std::optional<PartKey> known = key ? TableKey(*key) : std::nullopt;
    if (!known)
        return std::nullopt;
    return BracketText{*known, ValueOf(text, groups.front(), sep)};
}

std::optional<double> ReadThickness(const std::wstring& text)
{
    const std::wstring number = Unquoted(WithoutUnit(Trimmed(text), {L"мм.", L"мм", L"mm"}));
    size_t used = 0;
    const std::optional<double> value = numbertext::LeadingDouble(number, &used);
    if (!value || used != number.size() || !(*value >= kLeastThickness && *value <= kMostThickness))
        return std::nullopt;
    return value;
}

std::optional<int32_t> ReadCount(const std::wstring& text)
{
    std::wstring number = Unquoted(WithoutUnit(Trimmed(text), {L"шт.", L"шт", L"pcs.", L"pcs"}));
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

namespace {

// Calls `take` for each line of a text.
template <class Take>
void EachLine(const std::wstring& text, Take take)
{
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find(L'\n', start), text.size());
        take(text.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::vector<std::wstring> MarkingItems(const std::wstring& text)
{
    std::vector<std::wstring> markings;
    EachLine(text, [&](const std::wstring& line) {
        for (Candidate& c : Candidates(line)) {
            if (c.closed && c.marking)
                markings.push_back(std::move(c.item));
        }
    });
    return markings;
}

void PartValues::Read(const std::wstring& text)
{
    EachLine(text, [&](const std::wstring& line) {
        for (const Candidate& c : Candidates(line)) {
            // A marking cut short (its value in another text, or its "]"
            // left out) is named, so that what it gives is not lost unsaid.
            if (!c.closed) {
                if (c.marking || (c.key && LooksLikeKey(*c.key)))
                    unclosed.push_back(c.item);
            } else if (c.marking) {
                ReadItem(c.item, *c.marking);
            } else if (c.key && LooksLikeKey(*c.key)) {
                unknown.push_back(c.item);
            }
        }
    });
}

void PartValues::ReadItem(const std::wstring& item, const BracketText& marking)
{
    // The value read, as a text to tell values apart; none when it cannot be read.
    std::optional<std::wstring> read;
    switch (marking.key) {
    case PartKey::Material:
        if (!marking.value.empty()) {
            read = marking.value;
            if (!material)
                material = marking.value;
        }
        break;
    case PartKey::Thickness:
        if (const std::optional<double> value = ReadThickness(marking.value)) {
            read = uf::NumberText(*value);
            if (!thickness)
                thickness = value;
        }
        break;
    case PartKey::Count:
        if (const std::optional<int32_t> value = ReadCount(marking.value)) {
            read = std::to_wstring(*value);
            if (!count)
                count = value;
        }
        break;
    }
    if (!read) {
        unreadable.push_back({marking.key, item});
        return;
    }
    auto taken = std::find_if(m_taken.begin(), m_taken.end(), [&](const Taken& t) { return t.key == marking.key; });
    if (taken == m_taken.end()) {
        m_taken.push_back({marking.key, *read, item});
        return;
    }
    if (taken->value == *read)
        return;
    auto other = std::find_if(conflicts.begin(), conflicts.end(), [&](const Conflict& c) { return c.key == marking.key; });
    if (other == conflicts.end()) {
        other = conflicts.insert(conflicts.end(), {marking.key, {taken->item}, {taken->item}});
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
