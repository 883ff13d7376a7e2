// The units a DXF file's drawing is in, as its header gives them ($INSUNITS):
// the host's DXF reader takes the drawing into millimetres by them, and the
// import says so for each part they scaled.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dxfimport {

// The unit code the HEADER sections of a DXF file give, from its groups in
// order, as the host's reader takes it: the last value from 0 to 24 of
// $INSUNITS counts; 0 (no units) when there is none.
class HeaderUnits {
public:
    void Take(int code, std::string_view value);
    int Code() const { return m_code; }
    // The last value of $INSUNITS not taken (no whole number from 0 to 24),
    // when no value was taken: the units are then not known, and
    // millimetres are taken. Empty otherwise.
    const std::string& Unread() const { return m_unread; }

private:
    enum class Where { Outside, Header, Other } m_where = Where::Outside;
    bool m_name = false;   // a section's start read: its name comes next
    bool m_value = false;  // $INSUNITS read: its value comes next
    int m_code = 0;
    bool m_taken = false;
    std::string m_unread;
};

// The unit code (1 to 24) the header of the DXF file `file` gives, read as
// the host's reader reads it (the last value from 0 to 24 of $INSUNITS in a
// HEADER section counts); none when it gives millimetres (4), no units (0)
// or none at all, which the reader takes as millimetres, and none for a file
// that cannot be read.
std::optional<int> ScalingUnits(const std::filesystem::path& file);

// What the import says of a file whose $INSUNITS gives no unit it knows
// ("6.0", "abc", "99") and no other that it does: "единицы файла
// ($INSUNITS) не прочитаны: «6.0» — не целое число от 0 до 24: размеры
// взяты в миллиметрах"; empty when it gives one, or none at all.
std::wstring UnreadUnitsText(const std::filesystem::path& file);

// Millimetres in one unit of the code `code` of $INSUNITS; 1 for a code
// that names no unit (the reader then takes millimetres).
double MillimetresIn(long code);

// What the import says of a part drawn in the units `code`: "единицы файла
// ($INSUNITS) — метры: размеры умножены на 1000"; empty for a code that
// scales nothing (millimetres, no units) or names no unit.
std::wstring UnitsText(int code);

}  // namespace dxfimport
