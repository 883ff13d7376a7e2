// The texts of the results as the sheets' result tables and the title block
// show them, formatted as the host's tables expect (at most 254 characters).
#pragma once

#include <string>

// "%gx%gx%g": width, height and thickness of a sheet.
std::wstring SheetSizeText(double width, double height, double thickness);
// A bar of linear nesting as given: its length, then its width and its
// thickness where given (an empty text is none): "6000", "6000x40",
// "6000x40x2", and "6000x—x2" for a thickness without a width.
std::wstring BarSizeText(const std::wstring& length, const std::wstring& width, const std::wstring& thickness);
// "%g": a thickness as the sheet's size shows it.
std::wstring SheetThicknessText(double thickness);
// "%1.2f" and "%1.3f".
std::wstring TwoDecimalsText(double value);
std::wstring ThreeDecimalsText(double value);
