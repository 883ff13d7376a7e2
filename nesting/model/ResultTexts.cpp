#include "model/ResultTexts.h"

#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace {

// printf-style formatting into a buffer of 255 wide characters; a text that
// does not fit is cut at the buffer's end.
template <class... Numbers>
std::wstring FormatNumbers(const wchar_t* format, Numbers... numbers) {
    wchar_t buffer[255] = {};
    const int written = std::swprintf(buffer, std::size(buffer), format, numbers...);
    if (written < 0) {
        return std::wstring(buffer, wcsnlen(buffer, std::size(buffer) - 1));
    }
    return std::wstring(buffer, std::min<size_t>(static_cast<size_t>(written), std::size(buffer) - 1));
}

}  // namespace

std::wstring SheetSizeText(double width, double height, double thickness) {
    return uf::NumberText(width) + L"x" + uf::NumberText(height) + L"x" + uf::NumberText(thickness);
}

std::wstring BarSizeText(const std::wstring& length, const std::wstring& width, const std::wstring& thickness) {
    std::wstring text = length;
    if (!width.empty() || !thickness.empty())
        text += L"x" + (width.empty() ? std::wstring(L"—") : width);
    if (!thickness.empty())
        text += L"x" + thickness;
    return text;
}

std::wstring SheetThicknessText(double thickness) { return FormatNumbers(L"%g", thickness); }

std::wstring TwoDecimalsText(double value) { return FormatNumbers(L"%1.2f", value); }

std::wstring ThreeDecimalsText(double value) { return FormatNumbers(L"%1.3f", value); }
