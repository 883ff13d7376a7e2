#include "io/NumberText.h"

#include <charconv>
#include <cmath>

namespace numbertext {
namespace {

// The ASCII form of the leading number, ready for std::from_chars (a minus
// kept, a plus dropped); empty when the text starts otherwise.
std::string Leading(const std::wstring& text, bool whole, size_t& used)
{
    auto digit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
    size_t i = 0;
    std::string out;
    auto digits = [&] {
        size_t n = 0;
        for (; i < text.size() && digit(text[i]); ++i, ++n)
            out += static_cast<char>(text[i]);
        return n;
    };
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        if (text[i] == L'-')
            out += '-';
        ++i;
    }
    size_t count = digits();
    if (!whole && i < text.size() && (text[i] == L'.' || text[i] == L',')) {
        out += '.';
        ++i;
        count += digits();
    }
    if (count == 0)
        return {};
    if (!whole && i + 1 < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        const bool sign = text[i + 1] == L'+' || text[i + 1] == L'-';
        const size_t first = i + 1 + (sign ? 1 : 0);
        if (first < text.size() && digit(text[first])) {
            out += 'e';
            if (sign)
                out += static_cast<char>(text[i + 1]);
            i = first;
            digits();
        }
    }
    used = i;
    return out;
}

}  // namespace

std::optional<double> LeadingDouble(const std::wstring& text, size_t* used)
{
    size_t n = 0;
    const std::string number = Leading(text, false, n);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || result.ec != std::errc() || !std::isfinite(value))
        return std::nullopt;
    if (used)
        *used = n;
    return value;
}

std::optional<int64_t> LeadingInteger(const std::wstring& text, size_t* used)
{
    size_t n = 0;
    const std::string number = Leading(text, true, n);
    int64_t value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || result.ec != std::errc())
        return std::nullopt;
    if (used)
        *used = n;
    return value;
}

}  // namespace numbertext
