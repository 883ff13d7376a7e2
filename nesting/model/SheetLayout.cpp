#include "model/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kAlignTolerance = 1e-4;
constexpr double kGapTolerance = 0.1;

enum Scheme : int32_t { kUserDefined = 0, kRow = 1, kColumn = 2, kRows = 3 };

// The kept number: the scheme + 1, plus the column count times 10.
constexpr double kColumnsFactor = 10.0;
constexpr double kLargestNumber = 1e6;

bool AllScalesAreOne(const std::vector<SheetViewPlace>& places) {
    return std::all_of(places.begin(), places.end(), [](const SheetViewPlace& place) {
        return std::fabs(place.scale - 1.0) <= kAlignTolerance;
    });
}

// Sheet `next` stands right of sheet `prev` on the line of `lineStart`, the
// horizontal gap `gx` apart.
bool FollowsInRow(const SheetViewPlace& lineStart, const SheetViewPlace& prev, const SheetViewPlace& next,
                  double gx) {
    return std::fabs(next.origin.y - lineStart.origin.y) <= kAlignTolerance && prev.origin.x <= next.origin.x &&
           std::fabs((next.origin.x - prev.origin.x - prev.width) - gx) <= kGapTolerance;
}

// Sheet `next` stands below sheet `prev` under `columnStart`, the vertical gap `gy` apart.
bool FollowsInColumn(const SheetViewPlace& columnStart, const SheetViewPlace& prev, const SheetViewPlace& next,
                     double gy) {
    return std::fabs(next.origin.x - columnStart.origin.x) <= kAlignTolerance && next.origin.y <= prev.origin.y &&
           std::fabs((prev.origin.y - prev.height - next.origin.y) - gy) <= kGapTolerance;
}

// The index of the first sheet that does not continue the first row; the
// number of sheets when all do.
size_t FirstOutOfRow(const std::vector<SheetViewPlace>& places, double gx) {
    for (size_t k = 1; k < places.size(); ++k) {
        if (!FollowsInRow(places[0], places[k - 1], places[k], gx)) {
            return k;
        }
    }
    return places.size();
}

bool IsOneColumn(const std::vector<SheetViewPlace>& places) {
    const double gy = places[0].origin.y - places[0].height - places[1].origin.y;
    for (size_t k = 1; k < places.size(); ++k) {
        if (!FollowsInColumn(places[0], places[k - 1], places[k], gy)) {
            return false;
        }
    }
    return true;
}

// The sheets from index `columns` on, cut into rows of `columns`, each make a
// row like the first one (the rows' places relative to each other are not judged).
bool AreRowsOf(const std::vector<SheetViewPlace>& places, size_t columns, double gx) {
    for (size_t start = columns; start < places.size(); start += columns) {
        const size_t end = std::min(start + columns, places.size());
        for (size_t j = start; j + 1 < end; ++j) {
            if (!FollowsInRow(places[start], places[j], places[j + 1], gx)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void RecognizeSheetLayout(const std::vector<SheetViewPlace>& places, SheetSchemeParams& scheme) {
    if (places.size() < 2) {
        return;
    }
    if (!AllScalesAreOne(places)) {
        scheme.sheetScheme = kUserDefined;
        return;
    }
    const double gx = places[1].origin.x - places[0].origin.x - places[0].width;
    const size_t columns = FirstOutOfRow(places, gx);
    if (columns == places.size()) {
        scheme.sheetScheme = kRow;
    } else if (IsOneColumn(places)) {
        scheme.sheetScheme = kColumn;
    } else if (AreRowsOf(places, columns, gx)) {
        scheme.sheetScheme = kRows;
        scheme.countColumns = static_cast<int32_t>(columns);
    } else {
        scheme.sheetScheme = kUserDefined;
    }
}

double SheetSchemeNumber(const SheetSchemeParams& scheme) {
    return static_cast<double>(scheme.sheetScheme + 1) + kColumnsFactor * static_cast<double>(scheme.countColumns);
}

bool SheetSchemeOfNumber(double number, SheetSchemeParams& scheme) {
    if (!(number >= 1.0 && number <= kLargestNumber) || number != std::floor(number)) {
        return false;
    }
    const auto whole = static_cast<int32_t>(number);
    const int32_t kind = whole % static_cast<int32_t>(kColumnsFactor) - 1;
    if (kind < kUserDefined || kind > kRows) {
        return false;
    }
    scheme.sheetScheme = kind;
    scheme.countColumns = whole / static_cast<int32_t>(kColumnsFactor);
    return true;
}

void PreferKeptScheme(const SheetSchemeParams& kept, size_t sheets, SheetSchemeParams& recognised) {
    const bool rowsAsOneRow = kept.sheetScheme == kRows && recognised.sheetScheme == kRow && kept.countColumns > 0 &&
                              sheets <= static_cast<size_t>(kept.countColumns);
    const bool sameRows = kept.sheetScheme != kRows || kept.countColumns == recognised.countColumns;
    if (sheets < 2 || kept.sheetScheme == kUserDefined || rowsAsOneRow ||
        (kept.sheetScheme == recognised.sheetScheme && sameRows)) {
        recognised.sheetScheme = kept.sheetScheme;
        recognised.countColumns = kept.countColumns;
    }
}

std::optional<NPoint> SheetViewOrigin(const SheetSchemeParams& scheme, size_t index, const NPoint& first,
                                      double width, double height, double gap) {
    const double stepX = width + gap;
    const double stepY = height + gap;
    const double i = static_cast<double>(index);
    switch (scheme.sheetScheme) {
    case kUserDefined:
    case kRow:
        return NPoint{first.x + i * stepX, first.y};
    case kColumn:
        return NPoint{first.x, first.y - i * stepY};
    case kRows: {
        if (scheme.countColumns < 1) {
            return std::nullopt;
        }
        const size_t columns = static_cast<size_t>(scheme.countColumns);
        return NPoint{first.x + static_cast<double>(index % columns) * stepX,
                      first.y - static_cast<double>(index / columns) * stepY};
    }
    default:
        return std::nullopt;
    }
}
