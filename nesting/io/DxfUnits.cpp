#include "io/DxfUnits.h"

#include "geometry/UtilityFunctions.h"
#include "io/DxfGroups.h"

#include <cstdlib>
#include <cerrno>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

constexpr int kMillimetres = 4;

struct Unit {
    const wchar_t* name;
    double millimetres;  // one of the unit
};

// By their codes, as the DXF format numbers them.
constexpr Unit kUnits[] = {
    {L"без единиц", 1},
    {L"дюймы", 25.4},
    {L"футы", 304.8},
    {L"мили", 1609344},
    {L"миллиметры", 1},
    {L"сантиметры", 10},
    {L"метры", 1000},
    {L"километры", 1e6},
    {L"микродюймы", 2.54e-5},
    {L"тысячные доли дюйма", 0.0254},
    {L"ярды", 914.4},
    {L"ангстремы", 1e-7},
    {L"нанометры", 1e-6},
    {L"микрометры", 1e-3},
    {L"дециметры", 100},
    {L"декаметры", 1e4},
    {L"гектометры", 1e5},
    {L"гигаметры", 1e12},
    {L"астрономические единицы", 1.495978707e14},
    {L"световые годы", 9.4607304725808e18},
    {L"парсеки", 3.0856775814913673e19},
    {L"топографические футы США", 304.8006096},
    {L"топографические дюймы США", 25.40005080},
    {L"топографические ярды США", 914.4018288},
    {L"топографические мили США", 1609347.219},
};
constexpr int kLastUnit = static_cast<int>(std::size(kUnits)) - 1;

// A whole number as the reader takes it: digits with a sign, nothing after them.
bool Whole(std::string_view text, long long& value)
{
    if (text.empty() || text.size() > 32)
        return false;
    const std::string s(text);
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(s.c_str(), &end, 10);
    return end && *end == '\0' && errno != ERANGE;
}

}  // namespace

void HeaderUnits::Take(int code, std::string_view value)
{
    if (m_value) {
        // The group after $INSUNITS is its value, unless the section or the
        // file ends there; taken or not, it is read on as any group.
        m_value = false;
        long long n = 0;
        if (!(code == 0 && (value == "ENDSEC" || value == "EOF"))) {
            if (Whole(value, n) && n >= 0 && n <= kLastUnit) {
                m_code = static_cast<int>(n);
                m_taken = true;
                m_unread.clear();
            } else if (!m_taken) {
                constexpr size_t kShown = 32;  // bytes of a value named
                m_unread.assign(value.empty() ? std::string_view(" ") : value.substr(0, kShown));
            }
        }
    }
    if (m_name) {
        m_name = false;
        if (code == 2) {
            m_where = value == "HEADER" ? Where::Header : Where::Other;
            return;
        }
        // Not a section's start after all: the group is read on outside.
    }
    if (m_where == Where::Outside) {
        m_name = code == 0 && value == "SECTION";
    } else if (code == 0 && value == "ENDSEC") {
        m_where = Where::Outside;
    } else if (m_where == Where::Header && code == 9 && value == "$INSUNITS") {
        m_value = true;
    }
}

std::optional<int> ScalingUnits(const fs::path& file)
{
    // What a file gives up to a line that is no group code counts, as the reader reads up to it.
    HeaderUnits header;
    ReadGroups(file, [&](int code, std::string_view value) { header.Take(code, value); });
    if (header.Code() == 0 || header.Code() == kMillimetres)
        return std::nullopt;
    return header.Code();
}

std::wstring UnreadUnitsText(const fs::path& file)
{
    HeaderUnits header;
    ReadGroups(file, [&](int code, std::string_view value) { header.Take(code, value); });
    if (header.Unread().empty())
        return {};
    std::wstring shown;
    if (!uf::DecodeUtf8(header.Unread(), shown))
        shown = uf::DecodeCp1251(header.Unread());
    return L"единицы файла ($INSUNITS) не прочитаны: «" + shown + L"» — не целое число от 0 до " +
           std::to_wstring(kLastUnit) + L": размеры взяты в миллиметрах";
}

double MillimetresIn(long code)
{
    return code >= 0 && code <= kLastUnit ? kUnits[code].millimetres : 1.0;
}

std::wstring UnitsText(int code)
{
    if (code <= 0 || code > kLastUnit || code == kMillimetres)
        return {};
    const Unit& unit = kUnits[code];
    return std::wstring(L"единицы файла ($INSUNITS) — ") + unit.name + L": размеры умножены на " +
           uf::NumberText(unit.millimetres);
}

}  // namespace dxfimport
