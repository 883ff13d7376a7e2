#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <iterator>
#include <time.h>

namespace uf {

namespace {

constexpr size_t COUNT_BYTES = sizeof(uint32_t);
constexpr size_t VERTEX_BYTES = 2 * sizeof(double);
constexpr double SCALE_MIN = 0.0099;  // bounds of a scale value, both exclusive
constexpr double SCALE_MAX = 100.0001;

// ------------------------------------------------------------ byte block

void WriteBytes(std::vector<uint8_t>& params, size_t& size, const void* data, size_t count)
{
    std::memcpy(params.data() + size, data, count);
    size += count;
}

size_t BlockLength(const VectorPolygon& polygons)
{
    size_t length = COUNT_BYTES;
    for (const NPolygonPtr& p : polygons)
        length += COUNT_BYTES + (p ? p->m_points.size() * VERTEX_BYTES : 0);
    return length;
}

// Reads counts out of a block, refusing any read past its end.
class BlockReader {
public:
    BlockReader(const std::vector<uint8_t>& params, size_t offset) : m_params(params), m_offset(offset) {}

    bool ReadCount(uint32_t& value)
    {
        if (Remaining() < COUNT_BYTES)
            return false;
        std::memcpy(&value, m_params.data() + m_offset, COUNT_BYTES);
        m_offset += COUNT_BYTES;
        return true;
    }

    bool ReadVertices(uint32_t count, std::vector<NPoint>& points)
    {
        if (count > Remaining() / VERTEX_BYTES)
            return false;
        points.resize(count);
        for (NPoint& p : points) {
            std::memcpy(&p.x, m_params.data() + m_offset, sizeof(double));
            std::memcpy(&p.y, m_params.data() + m_offset + sizeof(double), sizeof(double));
            m_offset += VERTEX_BYTES;
        }
        return true;
    }

    size_t Offset() const { return m_offset; }

private:
    size_t Remaining() const { return m_offset <= m_params.size() ? m_params.size() - m_offset : 0; }

    const std::vector<uint8_t>& m_params;
    size_t m_offset;
};

// ------------------------------------------------------------ scale strings

// A leading number after blanks; it must lie within the scale bounds.
bool ParseScalePart(const std::wstring& part, double& value)
{
    const wchar_t* text = part.c_str();
    while (*text == L' ')
        ++text;
    wchar_t* end = nullptr;
    errno = 0;
    const double v = std::wcstod(text, &end);
    if (end == text || errno == ERANGE)
        return false;
    if (!(SCALE_MIN < v && v < SCALE_MAX))
        return false;
    value = v;
    return true;
}

// Replaces occurrences left to right; inserted text is not searched again.
void ReplaceOnePass(std::wstring& str, const std::wstring& from, const std::wstring& to)
{
    size_t pos = str.find(from);
    while (pos != std::wstring::npos) {
        str.replace(pos, from.size(), to);
        pos = str.find(from, pos + to.size());
    }
}

bool IsIllegalFileNameChar(wchar_t c)
{
    return std::wcschr(L"\"*/:<>?|\\", c) != nullptr;
}

}  // namespace

int64_t MeasureTimeMS()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const double micro = (static_cast<double>(ts.tv_sec) * 1000000000.0 + static_cast<double>(ts.tv_nsec)) * 0.001;
    return static_cast<int64_t>(micro);
}

void SavePolygons(std::vector<uint8_t>& params, const VectorPolygon& polygons, size_t& size)
{
    const size_t end = size + BlockLength(polygons);
    if (params.size() < end)
        params.resize(end);
    const uint32_t count = static_cast<uint32_t>(polygons.size());
    WriteBytes(params, size, &count, COUNT_BYTES);
    for (const NPolygonPtr& p : polygons) {
        const uint32_t n = p ? static_cast<uint32_t>(p->m_points.size()) : 0;
        WriteBytes(params, size, &n, COUNT_BYTES);
        for (uint32_t k = 0; k < n; ++k) {
            WriteBytes(params, size, &p->m_points[k].x, sizeof(double));
            WriteBytes(params, size, &p->m_points[k].y, sizeof(double));
        }
    }
}

bool LoadPolygons(const std::vector<uint8_t>& params, VectorPolygon& polygons, size_t& size)
{
    BlockReader reader(params, size);
    uint32_t count = 0;
    if (!reader.ReadCount(count))
        return false;
    VectorPolygon loaded;
    std::vector<NPoint> points;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t n = 0;
        if (!reader.ReadCount(n) || !reader.ReadVertices(n, points))
            return false;
        if (n > 0)
            loaded.push_back(std::make_shared<NPolygon>(NPoint{}, points));
    }
    polygons.insert(polygons.end(), loaded.begin(), loaded.end());
    size = reader.Offset();
    return true;
}

bool GetScaleFromString(const std::wstring& str, double& scale1, double& scale2)
{
    if (str.empty() || str.front() == L':')
        return false;
    const size_t colon = str.find(L':');
    if (colon != std::wstring::npos && str.find(L':', colon + 1) != std::wstring::npos)
        return false;
    const std::wstring left = colon == std::wstring::npos ? str : str.substr(0, colon);
    const std::wstring right = colon == std::wstring::npos ? str : str.substr(colon + 1);
    double value1 = 1.0;
    double value2 = 1.0;
    if (!ParseScalePart(left, value1) || !ParseScalePart(right, value2))
        return false;
    scale1 = value1;
    scale2 = value2;
    return true;
}

// Every search starts again from the beginning, so text produced by a
// replacement can be matched again ("aa" -> "a" turns "aaaa" into "a").
// That only ends when the replacement is shorter; otherwise one pass is made.
void ReplaceSubString(std::wstring& str, const std::wstring& from, const std::wstring& to)
{
    if (from.empty())
        return;
    if (to.size() >= from.size()) {
        ReplaceOnePass(str, from, to);
        return;
    }
    size_t pos = str.find(from);
    while (pos != std::wstring::npos) {
        str.replace(pos, from.size(), to);
        // No occurrence lies wholly before pos: a new one must overlap the replacement.
        pos = str.find(from, pos >= from.size() ? pos - from.size() + 1 : 0);
    }
}

void DeleteIllegalSymbolsFromStr(std::wstring& str, wchar_t replaceSymb)
{
    for (wchar_t& c : str) {
        if (c == L'\0')
            break;
        if (IsIllegalFileNameChar(c))
            c = replaceSymb;
    }
}

std::wstring GetFileNameFromPath(const std::wstring& path)
{
    if (path.empty())
        return {};
    const size_t slash = path.find_last_of(L"\\/");
    const size_t start = slash == std::wstring::npos ? 0 : slash + 1;
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < start)
        return path.substr(start);
    return path.substr(start, dot - start);
}

bool IsFileExtentionDFX(const std::wstring& file)
{
    const size_t n = file.size();
    if (n < 5)
        return false;
    auto is = [](wchar_t c, wchar_t lower) { return c == lower || c == lower - (L'a' - L'A'); };
    return is(file[n - 3], L'd') && is(file[n - 2], L'x') && is(file[n - 1], L'f');
}

double FloorMillimetres(double v)
{
    return std::floor(v + EPS) + 0.0;  // + 0 turns -0 into 0
}

std::wstring FirstNames(const std::vector<std::wstring>& names, size_t shown, std::wstring_view separator)
{
    std::wstring text;
    for (size_t i = 0; i < names.size() && i < shown; ++i)
        (text += i == 0 ? std::wstring_view() : separator) += names[i];
    if (names.size() > shown)
        text += L" и ещё " + std::to_wstring(names.size() - shown);
    return text;
}

std::wstring NumberText(double v)
{
    constexpr int kMostDecimals = 12;
    constexpr double kLargestWrittenOut = 1e15;
    wchar_t buffer[400];  // the widest double written out
    int n = std::swprintf(buffer, std::size(buffer), L"%g", v);
    std::wstring text(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    if (text.find(L'e') == std::wstring::npos)
        return text;
    if (std::fabs(v) >= kLargestWrittenOut)
        return text;
    if (std::fabs(v) >= 1.0) {
        n = std::swprintf(buffer, std::size(buffer), L"%.0f", v);
        return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    // Six significant digits after the zeros that follow the point.
    const int decimals = std::min(kMostDecimals, 5 - static_cast<int>(std::floor(std::log10(std::fabs(v)))));
    n = std::swprintf(buffer, std::size(buffer), L"%.*f", decimals, v);
    text.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    text.erase(text.find_last_not_of(L'0') + 1);
    if (!text.empty() && text.back() == L'.')
        text.pop_back();
    return text == L"-0" ? L"0" : text;
}

bool DecodeUtf8(std::string_view bytes, std::wstring& text, size_t* failedAt)
{
    text.clear();
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (lead < 0x80) {
            length = 1;
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
            least = 0x10000;
        }
        bool sound = length > 0 && i + length <= bytes.size();
        for (size_t k = 1; sound && k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            sound = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!sound || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            if (failedAt)
                *failedAt = i;
            return false;
        }
        text += static_cast<wchar_t>(code);
        i += length;
    }
    return true;
}

std::wstring DecodeCp1251(std::string_view bytes)
{
    static const char16_t kUpper[64] = {
        0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
        0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
        0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
        0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
        0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
    std::wstring text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += b < 0x80 ? static_cast<wchar_t>(b)
                : b < 0xC0 ? static_cast<wchar_t>(kUpper[b - 0x80])
                           : static_cast<wchar_t>(0x0410 + (b - 0xC0));
    }
    return text;
}

namespace {

bool IsLatin(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }
bool IsCyrillic(wchar_t c) { return c >= 0x400 && c <= 0x4FF; }

}  // namespace

std::wstring MixedScriptsText(const std::wstring& text)
{
    std::wstring said;
    const auto isWordChar = [](wchar_t c) { return (c >= L'0' && c <= L'9') || IsLatin(c) || IsCyrillic(c); };
    for (size_t start = 0; start < text.size();) {
        if (!isWordChar(text[start])) {
            ++start;
            continue;
        }
        size_t end = start;
        std::wstring latin, cyrillic;  // each letter once, as met
        for (; end < text.size() && isWordChar(text[end]); ++end) {
            std::wstring& letters = IsLatin(text[end]) ? latin : cyrillic;
            if (!std::iswdigit(static_cast<wint_t>(text[end])) && letters.find(text[end]) == std::wstring::npos)
                letters += text[end];
        }
        if (!latin.empty() && !cyrillic.empty()) {
            said += said.empty() ? L"в слове «" : L"; в слове «";
            said += text.substr(start, end - start) + L"» латинские буквы ";
            for (size_t i = 0; i < latin.size(); ++i)
                said += (i ? L", " : L"") + latin.substr(i, 1);
            said += L", русские ";
            for (size_t i = 0; i < cyrillic.size(); ++i)
                said += (i ? L", " : L"") + cyrillic.substr(i, 1);
        }
        start = end;
    }
    return said;
}

bool DifferOnlyInLookalikes(const std::wstring& a, const std::wstring& b)
{
    // Latin letters drawn as Cyrillic ones are: А В С Е Н К М О Р Т Х а с е о р х у.
    static const std::pair<wchar_t, wchar_t> kLookalikes[] = {
        {L'A', 0x410}, {L'B', 0x412}, {L'C', 0x421}, {L'E', 0x415}, {L'H', 0x41D}, {L'K', 0x41A},
        {L'M', 0x41C}, {L'O', 0x41E}, {L'P', 0x420}, {L'T', 0x422}, {L'X', 0x425}, {L'a', 0x430},
        {L'c', 0x441}, {L'e', 0x435}, {L'o', 0x43E}, {L'p', 0x440}, {L'x', 0x445}, {L'y', 0x443}};
    const auto read = [](std::wstring text) {
        for (wchar_t& c : text) {
            for (const auto& [latin, cyrillic] : kLookalikes)
                if (c == latin)
                    c = cyrillic;
        }
        return text;
    };
    return a != b && read(a) == read(b);
}

}  // namespace uf
