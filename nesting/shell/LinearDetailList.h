// The details of linear nesting as users type them into the grid and keep
// them in list files: the numbers of a field and the list file itself.
#pragma once

#include "api/INestingObjects.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The numbers of a list or grid field: blanks before the number are skipped,
// and after it may stand only blanks or its unit, in any case and with a
// point after it or not: "мм" or "mm" after a length ("12,5 мм" reads 12.5;
// a comma stands for the decimal point), "шт" after a count. Digits may be
// grouped in threes by blanks or an apostrophe ("1 250,5"), or by the
// decimal mark not used as such ("1.250,5", "1,250.5"). False, with the
// reason in `why` when given, when the field does not start with a number,
// when what follows would make it another number ("1 25", "1,25.5") or is
// not its unit ("84о", "84 см"), or when the number is out of range: a
// length must be above 0 and at most 10^9 mm, a count a whole number from 1
// to 10^9 ("4.7" and "1e3" are none).
bool ReadDetailLength(const std::wstring& field, double& length, std::wstring* why = nullptr);
bool ReadDetailCount(const std::wstring& field, int32_t& count, std::wstring* why = nullptr);
// What the readers ask of a length and a count, as a message says it.
extern const wchar_t kLengthRule[];
extern const wchar_t kCountRule[];
// A detail from the fields name, length and count (further fields ignored);
// false with fewer than three fields or numbers that the readers refuse,
// with the reason in `why` when given.
bool DetailFromFields(const std::vector<std::wstring>& fields, LNDetailParams& detail, std::wstring* why = nullptr);
// "строка N «name»", as messages name a row of a list or of the grid.
std::wstring DetailRowText(size_t row, const std::wstring& name);

// A linear-nesting list file read: text in UTF-8 (a byte-order mark skipped)
// or, when it is not, in the Cyrillic code page Windows-1251 that spreadsheet
// programs write lists in; lines end at a line feed, a carriage return or
// both. A line is cut into fields at ";" as a spreadsheet writes them: a
// field in double quotes may hold ";" (a doubled quote stands for one) and
// line breaks (the row runs on over the lines to its closing quote, is
// named by the line it starts on, and keeps each break as a line feed), and
// blanks around a field are no part of it. The first non-blank line is a
// header unless its length and count fields start with numbers; a line with
// an empty field before its last ";" is dropped and a line DetailFromFields
// refuses is skipped, each named with its reason; blank lines are ignored.
// A file holding a zero byte (UTF-16, a spreadsheet's own format) is no list.
struct DetailList {
    std::vector<LNDetailParams> details;  // in file order
    std::vector<size_t> lines;            // the line of each detail in the file, from 1
    size_t skipped = 0;                   // lines dropped or skipped
    std::vector<std::wstring> refused;    // each line dropped or skipped: its number, name and why
    std::wstring error;                   // not empty: nothing can be imported
    std::wstring reason;                  // why the file could not be opened or read, when known
};
DetailList ParseDetailList(std::string_view bytes);
DetailList ReadDetailList(const std::filesystem::path& file);
