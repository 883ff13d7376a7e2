// How the views of a model's sheets stand on the drawing: the recognition of
// an existing lay-out (one row, one column, rows of a few columns) from the
// views' origins, and the origin each sheet's view gets under a lay-out.
#pragma once

#include "geometry/BaseAlgorithms.h"
#include "model/Params.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// One sheet as its view shows it: the view's origin and scale, and the size
// of the sheet's bounding rectangle.
struct SheetViewPlace {
    NPoint origin;
    double scale = 1.0;
    double width = 0.0;
    double height = 0.0;
};

// Whether a page's style library (a path) is the host's library of pages
// without layout.
bool IsPlainLayout(const std::wstring& library);

// Recognises the lay-out of the views, in the order of the sheets, into
// `scheme.sheetScheme` (and `scheme.countColumns` for rows). With fewer than
// two sheets the scheme is left as it is.
void RecognizeSheetLayout(const std::vector<SheetViewPlace>& places, SheetSchemeParams& scheme);

// The drawing's number property that keeps the scheme the user chose in the
// settings, so that the drawing reopened shows that scheme, also where the
// views alone cannot tell it (one sheet, rows not filled, the user's own).
inline constexpr wchar_t kSheetSchemeProperty[] = L"Схема размещения листов";
// The scheme and its column count as that number, and back: false for a
// number that names no scheme (0: none was kept).
double SheetSchemeNumber(const SheetSchemeParams& scheme);
bool SheetSchemeOfNumber(double number, SheetSchemeParams& scheme);
// The scheme kept with the drawing, when the views as they stand agree with
// it, replaces the one recognised from them: the user's own scheme always,
// the others when recognised the same, or (rows) as one row not yet filled.
void PreferKeptScheme(const SheetSchemeParams& kept, size_t sheets, SheetSchemeParams& recognised);

// The origin of the view of sheet `index` when the first view stands at
// `first`, the sheets are `width` x `height` and `gap` apart; none when the
// scheme places no view (an unknown scheme, or rows without a column).
std::optional<NPoint> SheetViewOrigin(const SheetSchemeParams& scheme, size_t index, const NPoint& first,
                                      double width, double height, double gap);
