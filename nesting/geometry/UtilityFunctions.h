// Small shared helpers: timing, the polygon list byte block, scale strings,
// file names and the text encodings of files users write.
#pragma once

#include "geometry/Polygon.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace uf {

// Monotonic clock in microseconds; only differences of readings are meaningful.
int64_t MeasureTimeMS();

// Polygon list block, native byte order, no gaps:
//   u32 polygon count, then per polygon: u32 vertex count n, n times f64 x, f64 y.
// SavePolygons writes at `size` (growing `params` when it is too short) and
// advances `size` past the block.
void SavePolygons(std::vector<uint8_t>& params, const VectorPolygon& polygons, size_t& size);
// Reads a block at `size`, appends one polygon (pole at the origin) per
// non-empty record and advances `size`. A block that does not fit in the
// remaining bytes gives false and leaves `polygons` and `size` untouched.
bool LoadPolygons(const std::vector<uint8_t>& params, VectorPolygon& polygons, size_t& size);

// Parses "a:b" (or a lone "a", read as "a:a"); both values must lie in [0.01, 100].
// On refusal the outputs keep their values.
bool GetScaleFromString(const std::wstring& str, double& scale1, double& scale2);

void ReplaceSubString(std::wstring& str, const std::wstring& from, const std::wstring& to);
// Overwrites each of  " * / : < > ? | \  with `replaceSymb`.
void DeleteIllegalSymbolsFromStr(std::wstring& str, wchar_t replaceSymb);
// The file name of `path` without directories and extension.
std::wstring GetFileNameFromPath(const std::wstring& path);
// The name ends in "dxf" (any case) and has at least 5 characters.
bool IsFileExtentionDFX(const std::wstring& file);

// A size in whole millimetres, as every remnant's label, file name and
// register shows it and a sheet file is read: never more than there is.
// Noise within 1e-4 is dropped, then the whole millimetres are taken
// (401.99999 gives 402, 172.718 gives 172, 2.9 gives 2).
double FloorMillimetres(double v);
// A number as "%g" writes it (six significant digits, no trailing zeros), but
// written out where "%g" would take an exponent: a sheet of a million
// millimetres gives "1000000", not "1e+06"; 0.00005 gives "0.00005"; below
// a trillionth it gives "0". Only a number of more than 15 digits, which no
// one reads digit by digit, keeps its exponent.
std::wstring NumberText(double v);

// The first `shown` of `names` joined by `separator`, then how many more:
// "A, B и ещё 3"; a message names a few of a long list so.
std::wstring FirstNames(const std::vector<std::wstring>& names, size_t shown, std::wstring_view separator = L", ");

// The UTF-8 text as wide characters; false at the first byte sequence that is
// not UTF-8 (overlong forms, surrogates and values past U+10FFFF included),
// whose offset goes to `failedAt` when given.
bool DecodeUtf8(std::string_view bytes, std::wstring& text, size_t* failedAt = nullptr);
// The Windows-1251 (Cyrillic) text as wide characters; the one byte of the
// code page without a character, 0x98, gives U+FFFD.
std::wstring DecodeCp1251(std::string_view bytes);

// The words of a text (runs of letters and digits) that mix Latin and
// Cyrillic letters, which look alike on screen ("Cт3" typed with a Latin C),
// each with its letters of both: "в слове «Cт3» латинские буквы C, русские т";
// empty when no word mixes them.
std::wstring MixedScriptsText(const std::wstring& text);
// Whether two texts that differ read the same once the Latin letters that
// look like Cyrillic ones are taken for those ("12X18H10T" and "12Х18Н10Т").
bool DifferOnlyInLookalikes(const std::wstring& a, const std::wstring& b);

}  // namespace uf
