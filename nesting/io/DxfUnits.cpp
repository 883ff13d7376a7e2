#include "io/DxfUnits.h"

#include "geometry/UtilityFunctions.h"

#include <cstdlib>
#include <cerrno>
#include <fstream>
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

// The lines of a file read a piece at a time: they end with LF, CR LF or
// CR, as the reader takes them. A line longer than any group the reader
// takes is cut (the rest is skipped).
class Lines {
public:
    explicit Lines(const fs::path& file) : m_in(file, std::ios::binary) {}
    bool Open() const { return static_cast<bool>(m_in); }

    bool Next(std::string& line)
    {
        line.clear();
        bool any = false;
        for (;;) {
            if (m_at == m_end && !Fill())
                return any;
            any = true;
            const char c = m_buffer[m_at++];
            if (c == '\n')
                return true;
            if (c == '\r') {
                if ((m_at < m_end || Fill()) && m_buffer[m_at] == '\n')
                    ++m_at;
                return true;
            }
            if (line.size() < kLongest)
                line += c;
        }
    }

private:
    static constexpr size_t kLongest = 4096;

    bool Fill()
    {
        m_in.read(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_at = 0;
        m_end = static_cast<size_t>(m_in.gcount());
        return m_end > 0;
    }

    std::ifstream m_in;
    std::vector<char> m_buffer = std::vector<char>(size_t{1} << 20);
    size_t m_at = 0, m_end = 0;
};

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
}

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

std::optional<int> ScalingUnits(const fs::path& file)
{
    Lines lines(file);
    if (!lines.Open())
        return std::nullopt;
    int units = 0;
    bool first = true;
    std::string codeLine, value, nextCode, nextValue;
    bool pending = false;  // a group read ahead, waiting in nextCode and nextValue
    // The next group: its code and value; false at the end, or at a line that is no group code.
    const auto group = [&](int& code, std::string& text) {
        if (pending) {
            pending = false;
            codeLine.swap(nextCode);
            text.swap(nextValue);
        } else if (!lines.Next(codeLine) || !lines.Next(text)) {
            return false;
        }
        std::string_view c = codeLine;
        if (first && c.substr(0, 3) == "\xEF\xBB\xBF")
            c.remove_prefix(3);
        first = false;
        long long n = 0;
        if (!Whole(Trim(c), n) || n < 0 || n > 1071)
            return false;
        code = static_cast<int>(n);
        if (code != 1 && code != 3)
            text = std::string(Trim(text));
        return true;
    };
    enum class Where { Outside, Header, Other } where = Where::Outside;
    int code = 0;
    while (group(code, value)) {
        if (code == 0 && value == "EOF")
            break;
        if (where == Where::Outside) {
            if (code != 0 || value != "SECTION")
                continue;
            int nameCode = 0;
            std::string name;
            if (!group(nameCode, name))
                break;
            if (nameCode != 2) {
                // Not a section's start after all: the group is read again.
                nextCode = std::to_string(nameCode);
                nextValue = name;
                pending = true;
                continue;
            }
            where = name == "HEADER" ? Where::Header : Where::Other;
        } else if (code == 0 && value == "ENDSEC") {
            where = Where::Outside;
        } else if (where == Where::Header && code == 9 && value == "$INSUNITS") {
            // Its value is the next group, unless the section or the file ends there.
            int valueCode = 0;
            std::string number;
            if (!group(valueCode, number))
                break;
            long long n = 0;
            if (!(valueCode == 0 && (number == "ENDSEC" || number == "EOF")) && Whole(number, n) && n >= 0 &&
                n <= kLastUnit)
                units = static_cast<int>(n);
            nextCode = std::to_string(valueCode);
            nextValue = number;
            pending = true;
        }
    }
    if (units == 0 || units == kMillimetres)
        return std::nullopt;
    return units;
}

bool IsUnitCode(long code)
{
    return code >= 0 && code <= kLastUnit;
}

double MillimetresIn(long code)
{
    return IsUnitCode(code) ? kUnits[code].millimetres : 1.0;
}

std::wstring UnitsText(int code)
{
    if (code < 0 || code > kLastUnit)
        return {};
    const Unit& unit = kUnits[code];
    return std::wstring(L"единицы файла ($INSUNITS) — ") + unit.name + L": размеры умножены на " +
           uf::NumberText(unit.millimetres);
}

}  // namespace dxfimport
