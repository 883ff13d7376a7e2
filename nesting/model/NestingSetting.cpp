#include "model/NestingSetting.h"

#include "geometry/UtilityFunctions.h"
#include "host/FileWriting.h"

#include <pugixml.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <functional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

NestingSetting NestingSetting::m_instance;

namespace fs = std::filesystem;

namespace {

constexpr std::wstring_view kDefaultCardName = L"Карта раскроя ";
constexpr std::string_view kStyleLibraryFile = "Nesting.vst";

// Accepted ranges of the stored values; a value outside is refused.
constexpr double kMinBridgeSize = 0.0;  // excluded: a bridge has a size
constexpr double kMaxBridgeSize = 10000.0;
constexpr double kMinTolerance = 0.1;
constexpr double kMaxTolerance = 10.0;
constexpr int32_t kMinSheetFormat = 1;  // A1
constexpr int32_t kMaxSheetFormat = 4;  // A4

// The start-up values: what a value the file does not hold reads as.
const ConfigParams kStartup{};

NestingSetting::FoldersHook& FoldersHookStore() {
    static NestingSetting::FoldersHook hook;
    return hook;
}

std::string Utf8(std::wstring_view text) { return pugi::as_utf8(std::wstring(text)); }

std::wstring Wide(const fs::path& path) { return pugi::as_wide(path.string()); }

std::wstring WideText(std::string_view text) { return pugi::as_wide(std::string(text)); }

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The whole text must be the number (blanks around it aside), in the C
// notation whatever the process locale is.
template <class Number>
bool ParseNumber(const char* text, Number& value) {
    const std::string_view digits = Trimmed(text);
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    return error == std::errc() && stop == end;
}

std::string FormatDouble(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

template <class Number>
std::wstring NumberText(Number value) {
    if constexpr (std::is_floating_point_v<Number>) {
        return WideText(FormatDouble(value));
    } else {
        return std::to_wstring(value);
    }
}

// What one read found amiss, a line per value.
class ReadNotes {
public:
    void Refused(std::wstring_view section, std::wstring_view key, const char* text, const std::wstring& taken) {
        m_lines.push_back(std::wstring(section) + L"/" + std::wstring(key) + L": значение «" + WideText(text) +
                          L"» не принято, действует " + taken);
    }
    void Repeated(std::wstring_view what) { m_lines.push_back(std::wstring(what) + L": записан не раз, взят первый"); }
    std::wstring Text(const fs::path& file) const {
        if (m_lines.empty()) {
            return {};
        }
        std::wstring text = L"Файл настроек " + Wide(file) + L" прочитан не полностью:";
        for (const std::wstring& line : m_lines) {
            text += L"\n" + line;
        }
        return text;
    }

private:
    std::vector<std::wstring> m_lines;
};

// The value attribute of the first item of `section` named `key`; empty when
// there is no such item or it has no value.
pugi::xml_attribute ItemValue(const pugi::xml_node& section, std::wstring_view key) {
    return section.find_child_by_attribute("item", "name", Utf8(key).c_str()).attribute("value");
}

// What the reader makes of an item's text.
enum class Verdict {
    Absent,   // no item or no value: the start-up value
    Taken,    // the value
    Refused,  // not a value of the field's kind, or out of range: the field keeps what it held
    TooLow,   // at or below an excluded lower bound: the start-up value, and the user is told
};

// A number in [low, high] (`lowExcluded` refuses `low` itself and gives the
// start-up value for it and below).
template <class Number>
Verdict JudgeNumber(const pugi::xml_attribute& text, Number low, Number high, bool lowExcluded, Number& value) {
    if (!text) {
        return Verdict::Absent;
    }
    bool sound = ParseNumber(text.value(), value);
    if constexpr (std::is_floating_point_v<Number>) {
        sound = sound && std::isfinite(value);
    }
    if (sound && lowExcluded && value <= low) {
        return Verdict::TooLow;
    }
    return !sound || value < low || value > high ? Verdict::Refused : Verdict::Taken;
}

// A flag: true or 1, false or 0 or nothing.
Verdict JudgeFlag(const pugi::xml_attribute& text, bool& flag) {
    const std::string_view word = Trimmed(text.value());
    if (word.empty() || word == "false" || word == "0") {
        flag = false;
    } else if (word == "true" || word == "1") {
        flag = true;
    } else {
        return Verdict::Refused;
    }
    return Verdict::Taken;
}

// A missing item or value reads as the start-up value `startup`; a refused
// one leaves the field as it was, and the user is told.
template <class Number>
void ReadNumber(const pugi::xml_node& section, std::wstring_view sectionName, std::wstring_view key, Number low,
                Number high, bool lowExcluded, Number startup, Number& field, ReadNotes& notes) {
    const pugi::xml_attribute text = ItemValue(section, key);
    Number value{};
    switch (JudgeNumber(text, low, high, lowExcluded, value)) {
    case Verdict::Absent:
        field = startup;
        break;
    case Verdict::Taken:
        field = value;
        break;
    case Verdict::TooLow:
        field = startup;
        notes.Refused(sectionName, key, text.value(), NumberText(field));
        break;
    case Verdict::Refused:
        notes.Refused(sectionName, key, text.value(), NumberText(field));
        break;
    }
}

void ReadFlag(const pugi::xml_node& section, std::wstring_view sectionName, std::wstring_view key, bool& field,
              ReadNotes& notes) {
    const pugi::xml_attribute value = ItemValue(section, key);
    if (JudgeFlag(value, field) == Verdict::Refused) {
        notes.Refused(sectionName, key, value.value(), field ? L"true" : L"false");
    }
}

void ReadText(const pugi::xml_node& section, std::wstring_view key, std::wstring& field) {
    field = pugi::as_wide(ItemValue(section, key).value());
}

pugi::xml_node Section(const pugi::xml_document& doc, std::wstring_view name) {
    return doc.child(Utf8(name).c_str());
}

// Appends to `parent` an item `key` with the value `text`.
void AppendItem(pugi::xml_node parent, std::wstring_view key, const std::string& text) {
    pugi::xml_node item = parent.append_child("item");
    item.append_attribute("name").set_value(Utf8(key).c_str());
    item.append_attribute("value").set_value(text.c_str());
}

// A configuration file is a few hundred bytes: one past this size is no
// configuration file.
constexpr uintmax_t kLargestFile = 1u << 20;

// How a read found the file.
enum class FileState {
    Missing,  // none there: nothing to take
    NotFile,  // a folder or a device in its place: nothing to take, nothing to replace
    Read,     // parsed whole
    Damaged,  // there, but not readable whole: nothing of it is taken
    Foreign,  // written in an encoding this program does not read
};

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lowered;
}

// The encoding the XML declaration at the start of `bytes` names, in lower
// case; empty without a declaration or a name.
std::string DeclaredEncoding(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    const std::string_view declaration = bytes.substr(0, bytes.find("?>"));
    size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    at = declaration.find_first_not_of(" \t\r\n", at + 8);
    if (at == std::string_view::npos || declaration[at] != '=') {
        return {};
    }
    at = declaration.find_first_not_of(" \t\r\n", at + 1);
    if (at == std::string_view::npos || (declaration[at] != '"' && declaration[at] != '\'')) {
        return {};
    }
    const size_t end = declaration.find(declaration[at], at + 1);
    return end == std::string_view::npos ? std::string() : Lowered(declaration.substr(at + 1, end - at - 1));
}

// "байт 0x98 в позиции 120 не из кодировки windows-1251", the position
// counted in the file from 0.
std::wstring StrayByte(unsigned char b, size_t position, std::string_view encoding) {
    static const char kHex[] = "0123456789ABCDEF";
    return L"байт 0x" + WideText(std::string{kHex[b >> 4], kHex[b & 15]}) + L" в позиции " +
           std::to_wstring(position) + L" не из кодировки " + WideText(encoding);
}

// Whether `bytes` hold a letter beyond ASCII and are UTF-8 throughout: a
// text in a one-byte encoding is so only by rare chance.
bool WrittenInUtf8(std::string_view bytes) {
    std::wstring text;
    const bool beyondAscii =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    return beyondAscii && uf::DecodeUtf8(bytes, text);
}

// Whether `bytes` hold a word of Cyrillic letters in windows-1251: three
// bytes from 0xC0 up in a row, which a Latin-1 text (its accented letters
// stand among plain ones) hardly ever has.
bool WrittenInCp1251(std::string_view bytes) {
    int run = 0;
    for (const char c : bytes) {
        run = static_cast<unsigned char>(c) >= 0xC0 ? run + 1 : 0;
        if (run == 3) {
            return true;
        }
    }
    return false;
}

// How the file's characters are written as bytes.
struct FileCoding {
    enum Kind { Utf8, Cp1251, Latin1, Ascii, Utf16Le, Utf16Be, Utf32Le, Utf32Be };
    Kind kind = Utf8;
    bool mark = false;  // a byte-order mark begins the file
};

// The encoding of a file in UTF-16 or UTF-32: as its byte-order mark says,
// or, without one, as the zero bytes of its first two characters (ASCII in
// any XML file) stand. None for a file of one byte a character.
std::optional<FileCoding> WideCoding(std::string_view bytes) {
    if (bytes.size() < 4) {
        return std::nullopt;
    }
    const auto zero = [&bytes](std::initializer_list<size_t> at) {
        return std::all_of(at.begin(), at.end(), [&bytes](size_t i) { return bytes[i] == '\0'; });
    };
    const auto set = [&bytes](std::initializer_list<size_t> at) {
        return std::none_of(at.begin(), at.end(), [&bytes](size_t i) { return bytes[i] == '\0'; });
    };
    if (bytes.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4)) {
        return FileCoding{FileCoding::Utf32Le, true};
    }
    if (bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        return FileCoding{FileCoding::Utf32Be, true};
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        return FileCoding{FileCoding::Utf16Le, true};
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        return FileCoding{FileCoding::Utf16Be, true};
    }
    if (set({0}) && zero({1, 2, 3})) {
        return FileCoding{FileCoding::Utf32Le, false};
    }
    if (zero({0, 1, 2}) && set({3})) {
        return FileCoding{FileCoding::Utf32Be, false};
    }
    if (set({0, 2}) && zero({1, 3})) {
        return FileCoding{FileCoding::Utf16Le, false};
    }
    if (zero({0, 2}) && set({1, 3})) {
        return FileCoding{FileCoding::Utf16Be, false};
    }
    return std::nullopt;
}

bool IsUtf32(const FileCoding& coding) {
    return coding.kind == FileCoding::Utf32Le || coding.kind == FileCoding::Utf32Be;
}

bool IsBigEndian(const FileCoding& coding) {
    return coding.kind == FileCoding::Utf16Be || coding.kind == FileCoding::Utf32Be;
}

// The text of a file in UTF-16 or UTF-32 (its mark left out); false, with
// the reason, where a unit is no character.
bool DecodeWide(std::string_view bytes, const FileCoding& coding, std::wstring& text, std::wstring& reason) {
    const size_t unit = IsUtf32(coding) ? 4 : 2;
    const size_t skipped = coding.mark ? unit : 0;
    const std::wstring name = IsUtf32(coding) ? L"UTF-32" : L"UTF-16";
    if ((bytes.size() - skipped) % unit != 0) {
        reason = L"файл в кодировке " + name + L" обрывается посреди знака";
        return false;
    }
    const auto at = [&](size_t i) {
        uint32_t value = 0;
        for (size_t k = 0; k < unit; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + (IsBigEndian(coding) ? k : unit - 1 - k)]);
            value = value << 8 | b;
        }
        return value;
    };
    const auto stray = [&](size_t i) {
        reason = L"в позиции " + std::to_wstring(i) + L" нет знака кодировки " + name;
        return false;
    };
    text.clear();
    for (size_t i = skipped; i < bytes.size(); i += unit) {
        uint32_t c = at(i);
        if (unit == 2 && c >= 0xD800 && c <= 0xDBFF && i + 2 < bytes.size()) {
            const uint32_t low = at(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            return stray(i);
        }
        text += static_cast<wchar_t>(c);
    }
    return true;
}

// The characters of windows-1251 beyond ASCII, by byte.
const std::wstring& Cp1251Upper() {
    static const std::wstring upper = [] {
        std::string bytes;
        for (int b = 0x80; b <= 0xFF; ++b) {
            bytes += static_cast<char>(b);
        }
        return uf::DecodeCp1251(bytes);
    }();
    return upper;
}

// `text` written in `coding`; false when a character has no place in it.
bool Encode(std::wstring_view text, const FileCoding& coding, std::string& bytes) {
    bytes.clear();
    switch (coding.kind) {
    case FileCoding::Utf8:
        bytes = (coding.mark ? "\xEF\xBB\xBF" : "") + pugi::as_utf8(std::wstring(text));
        return true;
    case FileCoding::Cp1251:
    case FileCoding::Latin1:
    case FileCoding::Ascii:
        for (const wchar_t c : text) {
            if (c < 0x80 || (coding.kind == FileCoding::Latin1 && c <= 0xFF)) {
                bytes += static_cast<char>(c);
                continue;
            }
            const size_t at = coding.kind == FileCoding::Cp1251 && c != L'\xFFFD' ? Cp1251Upper().find(c)
                                                                                    : std::wstring::npos;
            if (at == std::wstring::npos) {
                return false;
            }
            bytes += static_cast<char>(0x80 + at);
        }
        return true;
    default:
        break;
    }
    const size_t unit = IsUtf32(coding) ? 4 : 2;
    const auto put = [&](uint32_t value) {
        for (size_t k = 0; k < unit; ++k) {
            const size_t shift = 8 * (IsBigEndian(coding) ? unit - 1 - k : k);
            bytes += static_cast<char>(value >> shift & 0xFF);
        }
    };
    if (coding.mark) {
        put(0xFEFF);
    }
    for (const wchar_t wc : text) {
        const auto c = static_cast<uint32_t>(wc);
        if (unit == 2 && c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return true;
}

// What the XML reader found, in the user's words.
std::wstring ParseFault(const pugi::xml_parse_result& result) {
    switch (result.status) {
    case pugi::status_no_document_element: return L"в нём нет ни одного элемента";
    case pugi::status_end_element_mismatch: return L"закрывающий тег не совпадает с открывающим";
    case pugi::status_bad_start_element: return L"ошибка в открывающем теге";
    case pugi::status_bad_end_element: return L"ошибка в закрывающем теге";
    case pugi::status_bad_attribute: return L"ошибка в атрибуте";
    case pugi::status_unrecognized_tag: return L"непонятный тег";
    case pugi::status_bad_pi: return L"ошибка в объявлении XML";
    case pugi::status_bad_comment: return L"ошибка в комментарии";
    case pugi::status_bad_cdata: return L"ошибка в разделе CDATA";
    case pugi::status_bad_doctype: return L"ошибка в объявлении типа документа";
    case pugi::status_bad_pcdata: return L"ошибка в тексте";
    case pugi::status_out_of_memory: return L"не хватило памяти";
    default: return L"ошибка разбора XML";
    }
}

// The top-level elements this program reads and writes.
constexpr std::wstring_view kVersionElement = L"config_version";
constexpr std::wstring_view kSections[] = {Attr::BridgeParams, Attr::PrecisParams, Attr::SheetParams,
                                           Attr::PatternParams};

bool OwnElement(const pugi::xml_node& node) {
    const std::wstring name = pugi::as_wide(node.name());
    return name == kVersionElement ||
           std::find(std::begin(kSections), std::end(kSections), name) != std::end(kSections);
}

// The reason of a failed system call in the user's words.
std::wstring Why(int code) {
    switch (code) {
    case ENOSPC:
    case EDQUOT:
        return L"на диске нет места";
    case EACCES:
    case EPERM:
        return L"нет прав на запись";
    case EROFS:
        return L"диск доступен только для чтения";
    case EISDIR:
        return L"на месте файла стоит папка";
    case EFBIG:
        return L"превышен допустимый размер файла";
    case ENAMETOOLONG:
    case ELOOP:
        return filewriting::FaultText(code);
    default:
        return L"ошибка записи " + std::to_wstring(code) + L" (" + WideText(std::strerror(code)) + L")";
    }
}

// The text of the file in the encoding it declares (UTF-8 when it declares
// none; a byte-order mark says UTF-8 whatever it declares). Damaged, with
// the reason, at a byte the encoding has no character for; Foreign, with the
// encoding's name, for an encoding this program does not read.
FileState DecodeText(std::string_view bytes, std::wstring& text, std::wstring& reason, FileCoding& coding) {
    const bool marked = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (marked) {
        bytes.remove_prefix(3);
    }
    coding = FileCoding{FileCoding::Utf8, marked};
    const std::string name = marked ? std::string("utf-8") : DeclaredEncoding(bytes);
    const size_t skipped = marked ? 3 : 0;
    const auto stray = [&](size_t at, std::string_view encoding) {
        reason = StrayByte(static_cast<unsigned char>(bytes[at]), at + skipped, encoding);
        return FileState::Damaged;
    };
    if (name.empty() || name == "utf-8" || name == "utf8") {
        size_t at = 0;
        if (uf::DecodeUtf8(bytes, text, &at)) {
            return FileState::Read;
        }
        stray(at, "UTF-8");
        // A file without a declaration is UTF-8: one in windows-1251 is read
        // only when it says so, never guessed (a damaged byte would be too).
        if (name.empty() && uf::DecodeCp1251(bytes).find(L'\xFFFD') == std::wstring::npos) {
            reason += L"; если файл записан в windows-1251, это должно быть сказано в его начале: "
                      L"<?xml version=\"1.0\" encoding=\"windows-1251\"?>";
        }
        return FileState::Damaged;
    }
    const bool singleByte = name == "windows-1251" || name == "cp1251" || name == "x-cp1251" ||
                            name == "iso-8859-1" || name == "latin1";
    if (singleByte && WrittenInUtf8(bytes)) {
        reason = L"в нём объявлена кодировка «" + WideText(name) + L"», а текст записан в UTF-8";
        return FileState::Damaged;
    }
    if ((name == "iso-8859-1" || name == "latin1") && WrittenInCp1251(bytes)) {
        reason = L"в нём объявлена кодировка «" + WideText(name) + L"», а текст записан в windows-1251";
        return FileState::Damaged;
    }
    if (name.rfind("utf-16", 0) == 0 || name.rfind("utf-32", 0) == 0 || name == "ucs-2" || name == "ucs-4") {
        reason = L"в нём объявлена кодировка «" + WideText(name) + L"», а текст записан по байту на знак";
        return FileState::Damaged;
    }
    if (name == "windows-1251" || name == "cp1251" || name == "x-cp1251") {
        coding.kind = FileCoding::Cp1251;
        text = uf::DecodeCp1251(bytes);
        const size_t at = text.find(L'\xFFFD');  // one character a byte
        return at == std::wstring::npos ? FileState::Read : stray(at, "windows-1251");
    }
    if (name == "iso-8859-1" || name == "latin1" || name == "us-ascii" || name == "ascii") {
        const bool ascii = name == "us-ascii" || name == "ascii";
        coding.kind = ascii ? FileCoding::Ascii : FileCoding::Latin1;
        text.clear();
        for (size_t at = 0; at < bytes.size(); ++at) {
            const auto b = static_cast<unsigned char>(bytes[at]);
            if (ascii && b >= 0x80) {
                return stray(at, name);
            }
            text += static_cast<wchar_t>(b);
        }
        return FileState::Read;
    }
    reason = WideText(name);
    return FileState::Foreign;
}

// A file as read: the document, the text it was parsed from (UTF-8, without
// a byte-order mark) and how that text was written in the file.
struct LoadedFile {
    pugi::xml_document doc;
    std::string text;
    FileCoding coding;
};

// Reads the file into `loaded`. Only a regular file is read (a folder or a
// device in its place is NotFile, with what stands there); a missing one
// leaves the document empty. A file that cannot be read whole leaves it
// empty too: nothing of it is taken. `reason` says why, or, for a Foreign
// file, names its encoding.
FileState LoadDocument(const fs::path& file, LoadedFile& loaded, std::wstring& reason) {
    pugi::xml_document& doc = loaded.doc;
    doc.reset();
    loaded.text.clear();
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status)) {
        return FileState::Missing;
    }
    if (!fs::is_regular_file(status)) {
        reason = fs::is_directory(status) ? Why(EISDIR) : L"на месте файла стоит не файл";
        return FileState::NotFile;
    }
    const uintmax_t size = fs::file_size(file, error);
    if (error || size > kLargestFile) {
        reason = error ? WideText(error.message()) : L"файл больше " + std::to_wstring(kLargestFile >> 20) + L" МБ";
        return FileState::Damaged;
    }
    std::ifstream in(file, std::ios::binary);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        reason = L"файл не читается";
        return FileState::Damaged;
    }
    // The text is parsed as UTF-8, the reader's own encoding: where each node
    // stands in it is known, so that a write changes only what it must.
    std::wstring text;
    if (const std::optional<FileCoding> wide = WideCoding(bytes)) {
        loaded.coding = *wide;
        if (!DecodeWide(bytes, *wide, text, reason)) {
            return FileState::Damaged;
        }
        loaded.text = pugi::as_utf8(text);
    } else {
        const FileState decoded = DecodeText(bytes, text, reason, loaded.coding);
        if (decoded != FileState::Read) {
            return decoded;
        }
        loaded.text = loaded.coding.kind == FileCoding::Utf8 ? bytes.substr(loaded.coding.mark ? 3 : 0)
                                                             : pugi::as_utf8(text);
    }
    // Comments and declarations are read too: a file written again keeps
    // what it held beside the settings.
    constexpr unsigned kParse = pugi::parse_default | pugi::parse_comments | pugi::parse_declaration |
                                pugi::parse_doctype | pugi::parse_pi;
    const std::string& read = loaded.text;
    const pugi::xml_parse_result result = doc.load_buffer(read.data(), read.size(), kParse, pugi::encoding_utf8);
    if (!result) {
        doc.reset();
        const bool blank = read.find_first_not_of(" \t\r\n") == std::string::npos;
        reason = blank ? L"файл пуст" : ParseFault(result);
        if (!blank && result.status != pugi::status_out_of_memory) {
            const auto offset = std::min(static_cast<size_t>(std::max<ptrdiff_t>(result.offset, 0)), read.size());
            reason += L", строка " + std::to_wstring(1 + std::count(read.begin(), read.begin() +
                                                                    static_cast<ptrdiff_t>(offset), '\n'));
        }
        return FileState::Damaged;
    }
    // XML of another kind (the settings wrapped in an element of their own,
    // another program's file) holds nothing this program would read.
    if (std::none_of(doc.children().begin(), doc.children().end(), OwnElement)) {
        const pugi::xml_node first = doc.document_element();
        reason = L"в нём нет настроек программы (его элемент — <" + pugi::as_wide(first.name()) + L">)";
        doc.reset();
        return FileState::Damaged;
    }
    return FileState::Read;
}

// A name beside `file` for a copy of it no file has yet.
fs::path KeptCopyName(const fs::path& file) {
    constexpr int kMaxCopies = 1000;
    std::error_code error;
    for (int n = 1; n < kMaxCopies; ++n) {
        std::string name = file.stem().string();
        name.append(".повреждён");
        if (n > 1)
            name.append("-").append(std::to_string(n));
        name.append(file.extension().string());
        const fs::path copy = file.parent_path() / name;
        if (!fs::exists(fs::symlink_status(copy, error))) {
            return copy;
        }
    }
    return {};
}

// `bytes` written whole, with `mode`, to a new file beside `target` that no
// one else writes to (a short name of its own, whatever the target's), and
// flushed to the disk: `written` names it. False, with the reason and no file
// left, when any of it fails.
bool WriteBeside(const fs::path& target, const std::string& bytes, mode_t mode, fs::path& written,
                 std::wstring& reason) {
    int fd = -1;
    int error = 0;
    const std::string name = filewriting::TemporaryBeside(target, error, &fd).string();
    if (fd < 0) {
        reason = Why(error);
        return false;
    }
    int code = ::fchmod(fd, mode) != 0 ? errno : 0;
    size_t done = 0;
    while (code == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            code = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (code == 0 && ::fsync(fd) != 0) {
        code = errno;
    }
    if (::close(fd) != 0 && code == 0) {
        code = errno;
    }
    if (code != 0) {
        ::unlink(name.c_str());
        reason = Why(code);
        return false;
    }
    written = name;
    return true;
}

// A section, or an item of one, written more than once: only the first is
// read (and written), which the user is told.
void NoteRepeats(const pugi::xml_document& doc, ReadNotes& notes) {
    const auto count = [](const pugi::xml_node& parent, const auto& matches) {
        return std::count_if(parent.children().begin(), parent.children().end(), matches);
    };
    for (const std::wstring_view name : kSections) {
        const std::string tag = Utf8(name);
        const auto named = [&tag](const pugi::xml_node& node) { return tag == node.name(); };
        if (count(doc, named) > 1) {
            notes.Repeated(L"раздел " + std::wstring(name));
        }
        const pugi::xml_node section = doc.child(tag.c_str());
        std::vector<std::string> seen;
        for (const pugi::xml_node& item : section.children("item")) {
            const std::string key = item.attribute("name").value();
            if (key.empty() || std::find(seen.begin(), seen.end(), key) != seen.end()) {
                continue;
            }
            seen.push_back(key);
            if (count(section, [&key](const pugi::xml_node& node) {
                    return std::string_view(node.name()) == "item" && key == node.attribute("name").value();
                }) > 1) {
                notes.Repeated(std::wstring(name) + L"/" + WideText(key));
            }
        }
    }
}

// ---- Writing into the file's own text

// One change of the file's text: `erase` bytes at `at` give way to `text`.
struct Edit {
    size_t at = 0;
    size_t erase = 0;
    std::string text;
};

// `text` with the edits made (they do not overlap); edits at one place
// follow one another in the order given.
std::string Edited(const std::string& text, std::vector<Edit> edits) {
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string out;
    size_t done = 0;
    for (const Edit& edit : edits) {
        out.append(text, done, edit.at - done);
        out += edit.text;
        done = edit.at + edit.erase;
    }
    out.append(text, done, std::string::npos);
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// An attribute as it stands in the text: its value between `begin` and `end`.
struct TagAttribute {
    std::string name;
    size_t begin = 0;
    size_t end = 0;
    char quote = '"';
};

// Where the parts of a start tag (an element's, or the declaration's) stand.
struct StartTag {
    size_t open = 0;             // its '<'
    size_t nameEnd = 0;
    size_t attributesEnd = 0;    // past the last attribute, or the name
    size_t close = 0;            // its '>', or the '/' of "/>", or the '?' of "?>"
    bool empty = false;          // it ends with "/>"
    std::vector<TagAttribute> attributes;

    const TagAttribute* Attribute(std::string_view name) const {
        const auto it = std::find_if(attributes.begin(), attributes.end(),
                                     [name](const TagAttribute& a) { return a.name == name; });
        return it == attributes.end() ? nullptr : &*it;
    }
};

// The start tag of `node` in the text the document was parsed from; none
// when it cannot be read there.
std::optional<StartTag> ReadStartTag(const std::string& text, const pugi::xml_node& node) {
    const ptrdiff_t offset = node.offset_debug();
    const size_t n = text.size();
    if (offset < 1 || static_cast<size_t>(offset) >= n) {
        return std::nullopt;
    }
    StartTag tag;
    size_t p = static_cast<size_t>(offset);
    if (text[p - 1] == '<') {
        tag.open = p - 1;
    } else if (p >= 2 && text[p - 1] == '?' && text[p - 2] == '<') {
        tag.open = p - 2;  // the declaration
    } else {
        return std::nullopt;
    }
    while (p < n && !IsBlank(text[p]) && text[p] != '/' && text[p] != '>' && text[p] != '?') {
        ++p;
    }
    tag.nameEnd = tag.attributesEnd = p;
    const auto skipBlanks = [&] {
        while (p < n && IsBlank(text[p])) {
            ++p;
        }
        return p < n;
    };
    while (skipBlanks()) {
        if (text[p] == '>') {
            tag.close = p;
            return tag;
        }
        if ((text[p] == '/' || text[p] == '?') && p + 1 < n && text[p + 1] == '>') {
            tag.close = p;
            tag.empty = text[p] == '/';
            return tag;
        }
        TagAttribute attribute;
        const size_t nameAt = p;
        while (p < n && !IsBlank(text[p]) && text[p] != '=') {
            ++p;
        }
        attribute.name = text.substr(nameAt, p - nameAt);
        if (!skipBlanks() || text[p] != '=') {
            return std::nullopt;
        }
        ++p;
        if (!skipBlanks() || (text[p] != '"' && text[p] != '\'')) {
            return std::nullopt;
        }
        attribute.quote = text[p];
        attribute.begin = ++p;
        p = text.find(attribute.quote, p);
        if (p == std::string::npos) {
            return std::nullopt;
        }
        attribute.end = p++;
        tag.attributesEnd = p;
        tag.attributes.push_back(std::move(attribute));
    }
    return std::nullopt;
}

// `value` as the text of an attribute between `quote`s.
std::string Escaped(std::string_view value, char quote = '"') {
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += quote == '"' ? "&quot;" : "\""; break;
        case '\'': out += quote == '\'' ? "&apos;" : "'"; break;
        case '\t': out += "&#9;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        default: out += c;
        }
    }
    return out;
}

// The blanks before `at` on its line; none when the line holds more before it.
std::string Indent(const std::string& text, size_t at) {
    size_t start = at;
    while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t')) {
        --start;
    }
    return start == 0 || text[start - 1] == '\n' ? text.substr(start, at - start) : std::string();
}

std::string ItemElement(std::wstring_view key, const std::string& value) {
    return "<item name=\"" + Escaped(Utf8(key)) + "\" value=\"" + Escaped(value) + "\" />";
}

// One item to write: its value as written, whether a value the file holds
// reads as the same, and whether the reader refuses the one it holds.
struct Put {
    std::wstring_view section;
    std::wstring_view key;
    std::string text;
    std::function<bool(const pugi::xml_attribute&)> same;
    std::function<bool(const pugi::xml_attribute&)> refused;
};

template <class Number>
Put NumberPut(std::wstring_view section, std::wstring_view key, Number value, Number low, Number high,
              bool lowExcluded) {
    std::string text;
    if constexpr (std::is_floating_point_v<Number>) {
        text = FormatDouble(value);
    } else {
        text = std::to_string(value);
    }
    return Put{section, key, text,
               [=](const pugi::xml_attribute& held) {
                   Number read{};
                   return ParseNumber(held.value(), read) && held && read == value;
               },
               [=](const pugi::xml_attribute& held) {
                   Number read{};
                   const Verdict verdict = JudgeNumber(held, low, high, lowExcluded, read);
                   return verdict == Verdict::Refused || verdict == Verdict::TooLow;
               }};
}

Put FlagPut(std::wstring_view section, std::wstring_view key, bool flag) {
    return Put{section, key, flag ? "true" : "false",
               [flag](const pugi::xml_attribute& held) {
                   bool read = false;
                   return JudgeFlag(held, read) == Verdict::Taken && read == flag;
               },
               [](const pugi::xml_attribute& held) {
                   bool read = false;
                   return JudgeFlag(held, read) == Verdict::Refused;
               }};
}

Put TextPut(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const std::string text = Utf8(value);
    return Put{section, key, text, [text](const pugi::xml_attribute& held) { return held && text == held.value(); },
               [](const pugi::xml_attribute&) { return false; }};
}

// The items of `items` with the values of `c`, in the file's order.
std::vector<Put> ItemsToPut(const ConfigParams& c, unsigned items) {
    std::vector<Put> puts;
    const auto add = [&](unsigned item, Put put) {
        if (items & item) {
            puts.push_back(std::move(put));
        }
    };
    add(NestingSetting::BridgesWidth, NumberPut(Attr::BridgeParams, Attr::maxWidth, c.m_bridgesWidth,
                                                kMinBridgeSize, kMaxBridgeSize, true));
    add(NestingSetting::BridgesLength, NumberPut(Attr::BridgeParams, Attr::maxLength, c.m_bridgesLength,
                                                 kMinBridgeSize, kMaxBridgeSize, true));
    add(NestingSetting::Tolerance,
        NumberPut(Attr::PrecisParams, Attr::tolerance, c.m_tolerance, kMinTolerance, kMaxTolerance, false));
    add(NestingSetting::SheetFormat,
        NumberPut(Attr::SheetParams, Attr::format, c.m_sheetFormat, kMinSheetFormat, kMaxSheetFormat, false));
    add(NestingSetting::SheetOrient, FlagPut(Attr::SheetParams, Attr::orientation, c.m_sheetOrient));
    add(NestingSetting::LytPath, TextPut(Attr::SheetParams, Attr::lytFile, c.m_lytPath));
    add(NestingSetting::SheetPattern, TextPut(Attr::PatternParams, Attr::cardName, c.m_sheetPattern));
    return puts;
}

// Items appended to an existing section: after its last item written as
// one tag, indented as it is and on a line of their own when it stands on
// one; else after the section's start tag, on the tag's line or each on a
// line of its own as the section's content begins.
void AppendToSection(const std::string& text, const pugi::xml_node& section, const StartTag& tag,
                     const std::vector<std::string>& elements, const std::string& newline, std::vector<Edit>& edits) {
    const std::string indent = Indent(text, tag.open);
    const std::string name = text.substr(tag.open + 1, tag.nameEnd - tag.open - 1);
    if (tag.empty) {
        size_t from = tag.close;
        while (from > tag.attributesEnd && IsBlank(text[from - 1])) {
            --from;
        }
        std::string body = ">";
        for (const std::string& element : elements) {
            body += newline + indent + "\t" + element;
        }
        edits.push_back({from, tag.close + 2 - from, body + newline + indent + "</" + name + ">"});
        return;
    }
    const auto lines = [&](const std::string& lead) {
        std::string body;
        for (const std::string& element : elements) {
            body += lead + element;
        }
        return body;
    };
    pugi::xml_node last;
    for (const pugi::xml_node& item : section.children("item")) {
        last = item;
    }
    if (const std::optional<StartTag> item = last ? ReadStartTag(text, last) : std::nullopt; item && item->empty) {
        const std::string itemIndent = Indent(text, item->open);
        const bool ownLine = item->open > 0 && (item->open == itemIndent.size() ||
                                                text[item->open - itemIndent.size() - 1] == '\n');
        edits.push_back({item->close + 2, 0, lines(ownLine ? newline + itemIndent : std::string())});
        return;
    }
    size_t p = tag.close + 1;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) {
        ++p;
    }
    if (p < text.size() && (text[p] == '\r' || text[p] == '\n')) {
        const size_t line = text.find('\n', p) + 1;
        size_t first = line;
        while (first < text.size() && (text[first] == ' ' || text[first] == '\t')) {
            ++first;
        }
        edits.push_back({tag.close + 1, 0,
                         lines(newline + (text.compare(first, 2, "</") == 0 ? indent + "\t"
                                                                             : text.substr(line, first - line)))});
    } else {
        edits.push_back({tag.close + 1, 0, lines(std::string())});
    }
}

// The edits that put the items (and, when given, the version) into the
// file's text, each where the reader takes it from: the first item of its
// name in the first section of its name. A value held that reads as the one
// put stays as it is spelt; what else the text holds stays byte for byte.
// `replaced`: a line per value the reader refused that a new one replaces.
// False when a tag cannot be read in the text.
bool ItemEdits(const LoadedFile& loaded, const std::vector<Put>& puts, const std::optional<std::string>& version,
               std::vector<Edit>& edits, std::vector<std::wstring>& replaced) {
    const std::string& text = loaded.text;
    const pugi::xml_document& doc = loaded.doc;
    const std::string newline = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    // The value of `node`'s attribute "value" made `value`.
    const auto putValue = [&](const pugi::xml_node& node, const std::string& value) {
        const std::optional<StartTag> tag = ReadStartTag(text, node);
        if (!tag) {
            return false;
        }
        if (const TagAttribute* held = tag->Attribute("value")) {
            edits.push_back({held->begin, held->end - held->begin, Escaped(value, held->quote)});
        } else {
            edits.push_back({tag->attributesEnd, 0, " value=\"" + Escaped(value) + "\""});
        }
        return true;
    };
    if (version) {
        const pugi::xml_node element = doc.child(Utf8(kVersionElement).c_str());
        const pugi::xml_node declaration = doc.first_child().type() == pugi::node_declaration ? doc.first_child()
                                                                                              : pugi::xml_node();
        std::string added = "<";
        added.append(Utf8(kVersionElement)).append(" value=\"").append(Escaped(*version)).append("\" />");
        if (element) {
            if (*version != element.attribute("value").value() && !putValue(element, *version)) {
                return false;
            }
        } else if (declaration) {
            const std::optional<StartTag> tag = ReadStartTag(text, declaration);
            if (!tag) {
                return false;
            }
            edits.push_back({tag->close + 2, 0, newline + added});
        } else {
            edits.push_back({0, 0, added + newline});
        }
    }
    for (size_t first = 0; first < puts.size();) {
        const std::wstring_view sectionName = puts[first].section;
        size_t end = first;
        while (end < puts.size() && puts[end].section == sectionName) {
            ++end;
        }
        const pugi::xml_node section = Section(doc, sectionName);
        std::vector<std::string> missing;
        for (size_t i = first; i < end; ++i) {
            const Put& put = puts[i];
            const pugi::xml_node item = section.find_child_by_attribute("item", "name", Utf8(put.key).c_str());
            if (!item) {
                missing.push_back(ItemElement(put.key, put.text));
                continue;
            }
            const pugi::xml_attribute held = item.attribute("value");
            if (put.same(held)) {
                continue;
            }
            if (held && put.refused(held)) {
                replaced.push_back(std::wstring(put.section) + L"/" + std::wstring(put.key) + L": «" +
                                   WideText(held.value()) + L"» заменено на " + WideText(put.text));
            }
            if (!putValue(item, put.text)) {
                return false;
            }
        }
        if (!missing.empty() && section) {
            const std::optional<StartTag> tag = ReadStartTag(text, section);
            if (!tag) {
                return false;
            }
            AppendToSection(text, section, *tag, missing, newline, edits);
        } else if (!missing.empty()) {
            // A section the file lacks goes at its end.
            const size_t last = text.find_last_not_of(" \t\r\n");
            const std::string name = Utf8(sectionName);
            std::string body = newline + "<" + name + ">";
            for (const std::string& element : missing) {
                body += newline + "\t" + element;
            }
            edits.push_back({last == std::string::npos ? 0 : last + 1, 0, body + newline + "</" + name + ">"});
        }
        first = end;
    }
    return true;
}

// The edit that declares the text UTF-8; none when it has no declaration
// (UTF-8 then goes without saying).
std::optional<Edit> DeclareUtf8Edit(const LoadedFile& loaded) {
    const pugi::xml_node declaration = loaded.doc.first_child();
    if (declaration.type() != pugi::node_declaration) {
        return std::nullopt;
    }
    const std::optional<StartTag> tag = ReadStartTag(loaded.text, declaration);
    if (!tag) {
        return std::nullopt;
    }
    if (const TagAttribute* encoding = tag->Attribute("encoding")) {
        return Edit{encoding->begin, encoding->end - encoding->begin, "UTF-8"};
    }
    const TagAttribute* version = tag->Attribute("version");
    return Edit{version ? version->end + 1 : tag->nameEnd, 0, " encoding=\"UTF-8\""};
}

}  // namespace

void NestingSetting::SetFoldersHook(FoldersHook hook) { FoldersHookStore() = std::move(hook); }

NestingSetting::Folders NestingSetting::HostFolders() {
    const FoldersHook& hook = FoldersHookStore();
    return hook ? hook() : Folders{};
}

fs::path NestingSetting::ConfigFile(const fs::path& configFolder) {
    return configFolder / "Nesting" / "Nesting-cfg.xml";
}

std::wstring NestingSetting::ReadFromConfig() { return ReadFromConfig(HostFolders()); }

std::wstring NestingSetting::ReadFromConfig(const Folders& folders) {
    std::wstring said;
    LoadedFile loaded;
    const pugi::xml_document& doc = loaded.doc;
    const fs::path file = folders.config.empty() ? fs::path() : ConfigFile(folders.config);
    std::wstring reason;
    const FileState state = file.empty() ? FileState::Missing : LoadDocument(file, loaded, reason);
    if (state == FileState::Damaged) {
        said = L"Файл настроек " + Wide(file) + L" повреждён (" + reason +
               L"): настройки из него не взяты, действуют прежние.";
    } else if (state == FileState::NotFile) {
        said = L"Файл настроек " + Wide(file) + L" не прочитан (" + reason +
               L"): настройки из него не взяты, действуют прежние.";
    } else if (state == FileState::Foreign) {
        said = L"Файл настроек " + Wide(file) + L" записан в кодировке «" + reason +
               L"», которую программа не читает: настройки из него не взяты, действуют прежние, а сам файл "
               L"программа не перезапишет.";
    }
    ReadNotes notes;
    NoteRepeats(doc, notes);
    if (const pugi::xml_node version = doc.child("config_version")) {
        m_version = pugi::as_wide(version.attribute("value").value());
    }
    if (const pugi::xml_node bridges = Section(doc, Attr::BridgeParams)) {
        ReadNumber(bridges, Attr::BridgeParams, Attr::maxWidth, kMinBridgeSize, kMaxBridgeSize, true,
                   kStartup.m_bridgesWidth, m_bridgesWidth, notes);
        ReadNumber(bridges, Attr::BridgeParams, Attr::maxLength, kMinBridgeSize, kMaxBridgeSize, true,
                   kStartup.m_bridgesLength, m_bridgesLength, notes);
    }
    if (const pugi::xml_node precision = Section(doc, Attr::PrecisParams)) {
        ReadNumber(precision, Attr::PrecisParams, Attr::tolerance, kMinTolerance, kMaxTolerance, false,
                   kStartup.m_tolerance, m_tolerance, notes);
    }
    if (const pugi::xml_node sheets = Section(doc, Attr::SheetParams)) {
        ReadNumber(sheets, Attr::SheetParams, Attr::format, kMinSheetFormat, kMaxSheetFormat, false,
                   kStartup.m_sheetFormat, m_sheetFormat, notes);
        ReadFlag(sheets, Attr::SheetParams, Attr::orientation, m_sheetOrient, notes);
        ReadText(sheets, Attr::lytFile, m_lytPath);
    }
    if (const pugi::xml_node patterns = Section(doc, Attr::PatternParams)) {
        ReadText(patterns, Attr::cardName, m_sheetPattern);
    }
    ApplyDefaults(folders);
    return said.empty() ? notes.Text(file) : said;
}

fs::path NestingSetting::DefaultStyleLibrary(const Folders& folders) { return folders.systemFiles / kStyleLibraryFile; }

void NestingSetting::ApplyDefaults(const Folders& folders) {
    if (m_lytPath.empty()) {
        m_lytPath = Wide(DefaultStyleLibrary(folders));
    }
    if (m_sheetPattern.empty()) {
        m_sheetPattern = kDefaultCardName;
    }
}

bool NestingSetting::ReadsWhole(const fs::path& configFolder) {
    if (configFolder.empty()) {
        return true;
    }
    LoadedFile loaded;
    std::wstring reason;
    const FileState state = LoadDocument(ConfigFile(configFolder), loaded, reason);
    return state == FileState::Missing || state == FileState::Read;
}

bool NestingSetting::WriteToConfig() const {
    std::wstring reason;
    return WriteToConfig(reason);
}

bool NestingSetting::WriteToConfig(const fs::path& configFolder) const {
    std::wstring reason;
    return WriteToConfig(configFolder, reason);
}

bool NestingSetting::WriteToConfig(std::wstring& reason) const { return WriteToConfig(HostFolders().config, reason); }

bool NestingSetting::WriteToConfig(const fs::path& configFolder, std::wstring& reason) const {
    fs::path kept;
    return WriteToConfig(configFolder, reason, kept);
}

bool NestingSetting::WriteToConfig(const fs::path& configFolder, std::wstring& reason, fs::path& keptCopy) const {
    std::vector<std::wstring> replaced;
    return WriteItems(configFolder, AllItems, reason, keptCopy, replaced);
}

bool NestingSetting::WriteItems(const fs::path& configFolder, unsigned items, std::wstring& reason,
                                fs::path& keptCopy, std::vector<std::wstring>& replaced) const {
    replaced.clear();
    keptCopy.clear();
    if (configFolder.empty()) {
        reason = L"папка настроек программы не известна";
        return false;
    }
    std::error_code error;
    fs::create_directory(ConfigFile(configFolder).parent_path(), error);  // an existing folder is no fault
    // A file that is a link is replaced where it points: the link stays, and
    // the file it shares with others gets the settings.
    int loop = 0;
    const fs::path file = filewriting::LinkTarget(ConfigFile(configFolder), &loop);
    if (loop != 0) {
        reason = Why(loop);
        return false;
    }
    if (!fs::is_directory(file.parent_path(), error)) {
        reason = L"не удалось создать папку " + Wide(file.parent_path());
        return false;
    }
    // The old file's permissions go to the new one; a file nobody may write
    // to is not replaced.
    mode_t mode = 0644;
    struct stat old {};
    if (::stat(file.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode)) {
            reason = Why(EISDIR);
            return false;
        }
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            reason = L"файл доступен только для чтения";
            return false;
        }
        mode = old.st_mode & 07777;
    }
    // A folder nobody may write to takes no new file, whoever asks.
    struct stat folder {};
    if (::stat(file.parent_path().c_str(), &folder) == 0 && (folder.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        reason = L"папка " + Wide(file.parent_path()) + L" доступна только для чтения";
        return false;
    }
    // A file this program could not read is never replaced unseen: one in an
    // encoding it does not read stays as it is, a damaged one is kept first
    // as a copy beside it.
    LoadedFile current;
    std::wstring trouble;
    const FileState state = LoadDocument(file, current, trouble);
    if (state == FileState::Foreign) {
        reason = L"он записан в кодировке «" + trouble + L"», которую программа не читает";
        return false;
    }
    if (state == FileState::NotFile) {
        reason = trouble;
        return false;
    }
    if (state == FileState::Damaged) {
        const fs::path copy = KeptCopyName(file);
        if (copy.empty() || !fs::copy_file(file, copy, fs::copy_options::none, error)) {
            reason = L"он повреждён (" + trouble + L"), а копию его содержимого сохранить не удалось" +
                     (error ? L" (" + WideText(error.message()) + L")" : std::wstring());
            return false;
        }
        keptCopy = copy;
    }

    std::string bytes;
    if (state == FileState::Read) {
        // The file as it stands gets the values: what it holds beside them
        // (a comment, an element of its own, a section written twice, the
        // spelling of a value, its encoding and line ends) stays as it is.
        std::vector<Edit> edits;
        if (!ItemEdits(current, ItemsToPut(*this, items), items == AllItems ? std::optional(Utf8(m_version))
                                                                             : std::nullopt,
                       edits, replaced)) {
            reason = L"не удалось разобрать его текст";
            return false;
        }
        if (edits.empty()) {
            return true;  // it holds these values already
        }
        std::string text = Edited(current.text, edits);
        if (!Encode(pugi::as_wide(text), current.coding, bytes)) {
            // A value its encoding has no character for: the file goes over
            // to UTF-8, and says so.
            if (const std::optional<Edit> declare = DeclareUtf8Edit(current)) {
                edits.push_back(*declare);
                text = Edited(current.text, edits);
            }
            bytes = text;
        } else if (current.coding.kind == FileCoding::Utf8) {
            bytes = (current.coding.mark ? "\xEF\xBB\xBF" : "") + text;
        }
    } else {
        // Nothing to keep: the settings are written anew, all of them.
        pugi::xml_document doc;
        pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
        declaration.append_attribute("version").set_value("23.0");
        declaration.append_attribute("encoding").set_value("UTF-8");
        declaration.append_attribute("standalone").set_value("yes");
        doc.append_child(Utf8(kVersionElement).c_str()).append_attribute("value").set_value(Utf8(m_version).c_str());
        pugi::xml_node section;
        for (const Put& put : ItemsToPut(*this, AllItems)) {
            if (!section || Utf8(put.section) != section.name()) {
                section = doc.append_child(Utf8(put.section).c_str());
            }
            AppendItem(section, put.key, put.text);
        }
        std::ostringstream text;
        doc.save(text, "\t", pugi::format_indent, pugi::encoding_utf8);
        bytes = text.str();
    }
    fs::path temporary;
    if (!WriteBeside(file, bytes, mode, temporary, reason)) {
        return false;
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        reason = Why(errno);
        fs::remove(temporary, error);
        return false;
    }
    return true;
}
