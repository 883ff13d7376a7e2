#include "shell/LinearDetailList.h"

#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cwchar>
#include <fstream>
#include <initializer_list>

namespace {

constexpr uintmax_t kLargestList = 64u << 20;
// The largest length (mm) and count a row may have.
constexpr double kLongest = 1e9;
constexpr int32_t kMostPieces = 1'000'000'000;

bool Digit(const std::wstring& s, size_t i)
{
    return i < s.size() && s[i] >= L'0' && s[i] <= L'9';
}

// A space of any width a spreadsheet or a word processor writes, or a tab.
bool Blank(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\u00A0' || c == L'\u202F' || c == L'\u2009';
}

// What may stand between groups of three digits besides a decimal mark.
bool GroupBlank(wchar_t c)
{
    return c == L' ' || c == L'\u00A0' || c == L'\u202F' || c == L'\u2009' || c == L'\'';
}

// A sign: the minus a spreadsheet or a word processor may write too.
bool Sign(wchar_t c)
{
    return c == L'-' || c == L'+' || c == L'\u2212';
}

bool Mark(const std::wstring& s, size_t i)
{
    return i < s.size() && (s[i] == L'.' || s[i] == L',');
}

// Three digits at i and no fourth.
bool Group(const std::wstring& s, size_t i)
{
    return Digit(s, i) && Digit(s, i + 1) && Digit(s, i + 2) && !Digit(s, i + 3);
}

size_t SkipBlanks(const std::wstring& s, size_t i)
{
    while (i < s.size() && Blank(s[i]))
        ++i;
    return i;
}

// Whether the field starts like a number (a sign, then a digit or a mark
// and a digit), whatever follows.
bool LooksNumeric(const std::wstring& s)
{
    size_t i = SkipBlanks(s, 0);
    if (i < s.size() && Sign(s[i]))
        ++i;
    return Digit(s, i) || (Mark(s, i) && Digit(s, i + 1));
}

// The number at the start of `s` as C text for std::from_chars (digit groups
// joined, the decimal mark a point, an exponent kept), and in `end` where it
// ends; empty when the field does not start with a number, when `whole` and
// it has a fraction or an exponent, or when what follows would make it
// another number.
std::string FieldNumber(const std::wstring& s, bool whole, size_t& end)
{
    size_t i = SkipBlanks(s, 0);
    std::string text;
    if (i < s.size() && Sign(s[i])) {
        if (s[i] != L'+')
            text += '-';
        ++i;
    }
    auto digits = [&] {
        size_t n = 0;
        for (; Digit(s, i); ++i, ++n)
            text += static_cast<char>(s[i]);
        return n;
    };
    const size_t lead = digits();
    if (lead == 0 && !(Mark(s, i) && Digit(s, i + 1)))
        return {};
    if (lead > 0 && lead <= 3) {
        while (i + 1 < s.size() && GroupBlank(s[i]) && Group(s, i + 1)) {
            ++i;
            digits();
        }
    }
    if (Mark(s, i) && Digit(s, i + 1)) {
        // One mark between groups of three, then the other one or the same
        // again: the first mark groups the digits.
        const wchar_t mark = s[i];
        size_t j = i;
        size_t groups = 0;
        while (j < s.size() && s[j] == mark && Group(s, j + 1)) {
            j += 4;
            ++groups;
        }
        const bool otherFollows = Mark(s, j) && s[j] != mark && Digit(s, j + 1);
        if (lead > 0 && lead <= 3 && (groups >= 2 || (groups == 1 && otherFollows))) {
            for (; i < j; i += 4)
                text.append({static_cast<char>(s[i + 1]), static_cast<char>(s[i + 2]), static_cast<char>(s[i + 3])});
        }
        if (Mark(s, i) && Digit(s, i + 1)) {
            if (whole)
                return {};
            text += '.';
            ++i;
            digits();
        }
    }
    if (Mark(s, i) && Digit(s, i + 1))
        return {};
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == L'-' || s[j] == L'+'))
            exponent += static_cast<char>(s[j++]);
        if (Digit(s, j)) {
            if (whole)
                return {};
            for (; Digit(s, j); ++j)
                exponent += static_cast<char>(s[j]);
            text += exponent;
            i = j;
        }
    }
    // "1 25": another number after a blank, which reading would lose.
    size_t after = i;
    while (after < s.size() && GroupBlank(s[after]))
        ++after;
    if (after > i && Digit(s, after))
        return {};
    end = i;
    return text;
}

// A letter in lower case: Latin and Cyrillic.
wchar_t Lower(wchar_t c)
{
    if ((c >= L'A' && c <= L'Z') || (c >= L'\u0410' && c <= L'\u042F'))
        return static_cast<wchar_t>(c + 0x20);
    return c == L'\u0401' ? L'\u0451' : c;
}

// Whether what follows a number, from `i` on, is blanks, or blanks around
// one of `units` (any case, a point after it allowed): "84 мм", "1200mm.".
// "84о" is no length: a letter typed for a zero, or the start of a word.
bool UnitOnly(const std::wstring& s, size_t i, std::initializer_list<const wchar_t*> units)
{
    i = SkipBlanks(s, i);
    if (i == s.size())
        return true;
    for (const wchar_t* unit : units) {
        size_t j = i;
        for (const wchar_t* u = unit; *u && j < s.size() && Lower(s[j]) == *u; ++u)
            ++j;
        if (j - i != std::wcslen(unit))
            continue;
        if (j < s.size() && s[j] == L'.')
            ++j;
        if (SkipBlanks(s, j) == s.size())
            return true;
    }
    return false;
}

// Why a field that starts with a number is no length or count: it is
// followed by something other than `unit`.
std::wstring NotAUnit(const std::wstring& s, size_t end, const wchar_t* what, const wchar_t* unit)
{
    const size_t start = SkipBlanks(s, 0);
    return L"за числом «" + s.substr(start, end - start) + L"» стоит «" + s.substr(SkipBlanks(s, end)) + L"»: " +
           what + L" — число, после него можно написать только «" + unit + L"»";
}

// The fields of a line, cut at ";" outside double quotes. A field that starts
// (after blanks) with a quote runs to its closing quote, a doubled quote
// standing for one, and keeps what follows that quote up to the next ";";
// blanks around a field are dropped. A ";" that ends the line adds no field.
std::vector<std::wstring> Fields(const std::wstring& line)
{
    std::vector<std::wstring> fields;
    for (size_t i = 0; i < line.size();) {
        i = SkipBlanks(line, i);
        std::wstring field;
        size_t kept = 0;  // characters of the field blanks may not be taken from
        if (i < line.size() && line[i] == L'"') {
            for (++i; i < line.size(); ++i) {
                if (line[i] != L'"') {
                    field += line[i];
                } else if (i + 1 < line.size() && line[i + 1] == L'"') {
                    field += L'"';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            kept = field.size();
        }
        for (; i < line.size() && line[i] != L';'; ++i)
            field += line[i];
        while (field.size() > kept && Blank(field.back()))
            field.pop_back();
        fields.push_back(std::move(field));
        if (i == line.size())
            break;
        ++i;
    }
    return fields;
}

bool LineEnd(wchar_t c) { return c == L'\r' || c == L'\n'; }

// Where the row that starts at `start` ends: at its line's end, unless a
// field that opens with a quote (after blanks) runs past it, as a
// spreadsheet writes a cell holding a line break; such a field is read on to
// its closing quote, when only blanks stand between that quote and the
// field's end (";" or a line's end). A quote that never closes, or closes
// into more text, leaves the row its own line.
size_t RowEnd(const std::wstring& text, size_t start)
{
    size_t lineEnd = start;
    while (lineEnd < text.size() && !LineEnd(text[lineEnd]))
        ++lineEnd;
    bool fieldStart = true;
    for (size_t i = start; i < text.size();) {
        const wchar_t c = text[i];
        if (LineEnd(c))
            return i;
        if (fieldStart && Blank(c)) {
            ++i;
            continue;
        }
        if (fieldStart && c == L'"') {
            size_t close = i + 1;
            while (close < text.size() && (text[close] != L'"' || (close + 1 < text.size() && text[close + 1] == L'"')))
                close += text[close] == L'"' ? 2 : 1;
            if (close >= text.size())
                return lineEnd;
            if (close > lineEnd) {
                size_t after = close + 1;
                while (after < text.size() && Blank(text[after]))
                    ++after;
                if (after < text.size() && text[after] != L';' && !LineEnd(text[after]))
                    return lineEnd;
            }
            i = close + 1;
            fieldStart = false;
            continue;
        }
        fieldStart = c == L';';
        ++i;
    }
    return text.size();
}

}  // namespace

const wchar_t kLengthRule[] = L"длина детали должна быть числом больше 0 и не больше 1000000000 мм";
const wchar_t kCountRule[] = L"количество деталей должно быть целым числом от 1 до 1000000000";

bool ReadDetailLength(const std::wstring& field, double& length, std::wstring* why)
{
    size_t end = 0;
    const std::string text = FieldNumber(field, false, end);
    double value = 0.0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || last != text.data() + text.size() || !std::isfinite(value) ||
        value <= 0.0 || value > kLongest) {
        if (why)
            *why = kLengthRule;
        return false;
    }
    if (!UnitOnly(field, end, {L"мм", L"mm"})) {
        if (why)
            *why = NotAUnit(field, end, L"длина детали", L"мм");
        return false;
    }
    length = value;
    return true;
}

bool ReadDetailCount(const std::wstring& field, int32_t& count, std::wstring* why)
{
    size_t end = 0;
    const std::string text = FieldNumber(field, true, end);
    int32_t value = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || last != text.data() + text.size() || value < 1 ||
        value > kMostPieces) {
        if (why)
            *why = kCountRule;
        return false;
    }
    if (!UnitOnly(field, end, {L"шт"})) {
        if (why)
            *why = NotAUnit(field, end, L"количество деталей", L"шт");
        return false;
    }
    count = value;
    return true;
}

bool DetailFromFields(const std::vector<std::wstring>& fields, LNDetailParams& detail, std::wstring* why)
{
    LNDetailParams read;
    std::wstring reason;
    if (fields.size() < 3)
        reason = L"меньше трёх полей";
    else if (ReadDetailLength(fields[1], read.length, &reason))
        ReadDetailCount(fields[2], read.count, &reason);
    if (!reason.empty()) {
        if (why)
            *why = reason;
        return false;
    }
    read.name = fields[0];
    detail = std::move(read);
    return true;
}

std::wstring DetailRowText(size_t row, const std::wstring& name)
{
    return L"строка " + std::to_wstring(row) + L" «" + name + L"»";
}

DetailList ParseDetailList(std::string_view bytes)
{
    DetailList list;
    // UTF-16 (a spreadsheet's "Unicode text") or a spreadsheet's own file:
    // no text a line of which could be read.
    if (bytes.find('\0') != std::string_view::npos) {
        list.error = L"Не удалось прочитать файл списка деталей";
        list.reason = L"это не текст в UTF-8 или Windows-1251 (в нём нулевые байты): сохраните список как CSV";
        return list;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    std::wstring text;
    if (!uf::DecodeUtf8(bytes, text))
        text = uf::DecodeCp1251(bytes);
    bool first = true;
    size_t start = 0;
    for (size_t next = 1; start < text.size();) {
        // A row is named by the line it starts on; the line breaks a quoted
        // field holds are line feeds of its text, and count as lines.
        const size_t number = next;
        const size_t end = RowEnd(text, start);
        std::wstring line;
        for (size_t i = start; i < end; ++i) {
            if (!LineEnd(text[i])) {
                line += text[i];
                continue;
            }
            line += L'\n';
            ++next;
            if (text[i] == L'\r' && i + 1 < end && text[i + 1] == L'\n')
                ++i;
        }
        ++next;
        start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        if (std::all_of(line.begin(), line.end(), Blank))
            continue;
        const std::vector<std::wstring> fields = Fields(line);
        // The first line is a header unless its length and count are numbers.
        if (first) {
            first = false;
            if (fields.size() < 3 || !LooksNumeric(fields[1]) || !LooksNumeric(fields[2]))
                continue;
        }
        LNDetailParams detail;
        std::wstring why;
        const bool emptyField =
            std::any_of(fields.begin(), fields.end(), [](const std::wstring& f) { return f.empty(); });
        if (emptyField)
            why = L"пустое поле";
        if (emptyField || !DetailFromFields(fields, detail, &why)) {
            ++list.skipped;
            list.refused.push_back(DetailRowText(number, fields.empty() ? std::wstring() : fields[0]) + L": " + why);
            continue;
        }
        list.details.push_back(std::move(detail));
        list.lines.push_back(number);
    }
    return list;
}

DetailList ReadDetailList(const std::filesystem::path& file)
{
    DetailList list;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    if (error || !in) {
        list.error = L"Не удалось открыть файл списка деталей";
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec))
            list.reason = L"это папка, а не файл";
        else if (!std::filesystem::exists(file, ec))
            list.reason = L"файл не найден";
        else
            list.reason = L"нет прав на чтение";
        return list;
    }
    if (size > kLargestList) {
        list.error = L"Файл списка деталей слишком велик";
        return list;
    }
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        list.error = L"Не удалось прочитать файл списка деталей";
        return list;
    }
    return ParseDetailList(bytes);
}
