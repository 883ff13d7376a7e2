// The texts of the results as the sheets' result tables and the title block
// show them, formatted as the host's tables expect (at most 254 characters).
#pragma once

#include <string>

// "%gx%gx%g": width, height and thickness of a sheet.
std::wstring SheetSizeText(double width, double height, double thickness);
// "%g": a thickness as the sheet's size shows it.
std::wstring SheetThicknessText(double thickness);
// "%1.2f" and "%1.3f".
std::wstring TwoDecimalsText(double value);
std::wstring ThreeDecimalsText(double value);
