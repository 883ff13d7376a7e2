// Numbers typed by users and written in drawings, read the same way whatever
// the locale: a decimal point or comma, no thousands separators.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace numbertext {

// The number at the start of `text` (blanks before it skipped): digits with
// a point or comma and an exponent, or, with `whole`, digits alone, with an
// optional sign. `used` receives how many characters it took, blanks
// included. None when the text does not start with a number or the number is
// out of range.
std::optional<double> LeadingDouble(const std::wstring& text, size_t* used = nullptr);
std::optional<int64_t> LeadingInteger(const std::wstring& text, size_t* used = nullptr);

}  // namespace numbertext
