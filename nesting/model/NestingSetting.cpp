#include "model/NestingSetting.h"

#include "geometry/UtilityFunctions.h"

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

// A missing item or value reads as the start-up value `startup`; a value that
// is not a number of the field's kind, or lies outside [low, high], is refused
// and the field keeps what it held; `lowExcluded` refuses `low` itself and
// gives the start-up value for it and below.
template <class Number>
void ReadNumber(const pugi::xml_node& section, std::wstring_view sectionName, std::wstring_view key, Number low,
                Number high, bool lowExcluded, Number startup, Number& field, ReadNotes& notes) {
    const pugi::xml_attribute text = ItemValue(section, key);
    if (!text) {
        field = startup;
        return;
    }
    Number value{};
    bool sound = ParseNumber(text.value(), value);
    if constexpr (std::is_floating_point_v<Number>) {
        sound = sound && std::isfinite(value);
    }
    if (sound && lowExcluded && value <= low) {
        field = startup;
        notes.Refused(sectionName, key, text.value(), NumberText(field));
        return;
    }
    if (!sound || value < low || value > high) {
        notes.Refused(sectionName, key, text.value(), NumberText(field));
        return;
    }
    field = value;
}

void ReadFlag(const pugi::xml_node& section, std::wstring_view sectionName, std::wstring_view key, bool& field,
              ReadNotes& notes) {
    const pugi::xml_attribute value = ItemValue(section, key);
    const std::string_view text = Trimmed(value.value());
    if (text.empty() || text == "false" || text == "0") {
        field = false;
    } else if (text == "true" || text == "1") {
        field = true;
    } else {
        notes.Refused(sectionName, key, value.value(), field ? L"true" : L"false");
    }
}

void ReadText(const pugi::xml_node& section, std::wstring_view key, std::wstring& field) {
    field = pugi::as_wide(ItemValue(section, key).value());
}

pugi::xml_node Section(const pugi::xml_document& doc, std::wstring_view name) {
    return doc.child(Utf8(name).c_str());
}

// The first top-level element `name` of `doc`, appended when it has none.
pugi::xml_node OwnSection(pugi::xml_document& doc, std::wstring_view name) {
    const std::string tag = Utf8(name);
    pugi::xml_node section = doc.child(tag.c_str());
    return section ? section : doc.append_child(tag.c_str());
}

// The value of the first item of `section` named `key` made `text`, unless
// it already reads as the same value (`same`, given the text it holds): an
// item or value the section lacks is appended, what else it holds stays.
void PutItem(pugi::xml_node section, std::wstring_view key, const std::string& text,
             const std::function<bool(const char*)>& same) {
    const std::string name = Utf8(key);
    pugi::xml_node item = section.find_child_by_attribute("item", "name", name.c_str());
    if (!item) {
        item = section.append_child("item");
        item.append_attribute("name").set_value(name.c_str());
    }
    pugi::xml_attribute value = item.attribute("value");
    if (!value) {
        value = item.append_attribute("value");
    } else if (same(value.value())) {
        return;
    }
    value.set_value(text.c_str());
}

void PutNumber(pugi::xml_node section, std::wstring_view key, double number) {
    PutItem(section, key, FormatDouble(number), [number](const char* held) {
        double value = 0.0;
        return ParseNumber(held, value) && value == number;
    });
}

void PutNumber(pugi::xml_node section, std::wstring_view key, int32_t number) {
    PutItem(section, key, std::to_string(number), [number](const char* held) {
        int32_t value = 0;
        return ParseNumber(held, value) && value == number;
    });
}

void PutFlag(pugi::xml_node section, std::wstring_view key, bool flag) {
    PutItem(section, key, flag ? "true" : "false", [flag](const char* held) {
        const std::string_view text = Trimmed(held);
        return flag ? text == "true" || text == "1" : text.empty() || text == "false" || text == "0";
    });
}

void PutText(pugi::xml_node section, std::wstring_view key, std::wstring_view text) {
    const std::string bytes = Utf8(text);
    PutItem(section, key, bytes, [&bytes](const char* held) { return bytes == held; });
}

// The declaration names UTF-8, the encoding the file is written in; a
// document without one gets the program's own.
void DeclareUtf8(pugi::xml_document& doc) {
    pugi::xml_node declaration = doc.first_child();
    if (declaration.type() != pugi::node_declaration) {
        declaration = doc.prepend_child(pugi::node_declaration);
        declaration.append_attribute("version").set_value("23.0");
        declaration.append_attribute("standalone").set_value("yes");
    }
    pugi::xml_attribute encoding = declaration.attribute("encoding");
    if (!encoding) {
        const pugi::xml_attribute version = declaration.attribute("version");
        encoding = version ? declaration.insert_attribute_after("encoding", version)
                           : declaration.prepend_attribute("encoding");
    }
    encoding.set_value("UTF-8");
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

// The encoding of a file in UTF-16 or UTF-32: as its byte-order mark says,
// or, without one, as the zero bytes of its first two characters (ASCII in
// any XML file) stand. None for a file of one byte a character.
std::optional<pugi::xml_encoding> WideEncoding(std::string_view bytes) {
    if (bytes.size() < 4) {
        return std::nullopt;
    }
    const auto zero = [&bytes](std::initializer_list<size_t> at) {
        return std::all_of(at.begin(), at.end(), [&bytes](size_t i) { return bytes[i] == '\0'; });
    };
    const auto set = [&bytes](std::initializer_list<size_t> at) {
        return std::none_of(at.begin(), at.end(), [&bytes](size_t i) { return bytes[i] == '\0'; });
    };
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF" ||
        bytes.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4)) {
        return pugi::encoding_auto;
    }
    if (set({0}) && zero({1, 2, 3})) {
        return pugi::encoding_utf32_le;
    }
    if (zero({0, 1, 2}) && set({3})) {
        return pugi::encoding_utf32_be;
    }
    if (set({0, 2}) && zero({1, 3})) {
        return pugi::encoding_utf16_le;
    }
    if (zero({0, 2}) && set({1, 3})) {
        return pugi::encoding_utf16_be;
    }
    return std::nullopt;
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
    default:
        return L"ошибка записи " + std::to_wstring(code) + L" (" + WideText(std::strerror(code)) + L")";
    }
}

// The text of the file in the encoding it declares (UTF-8 when it declares
// none; a byte-order mark says UTF-8 whatever it declares). Damaged, with
// the reason, at a byte the encoding has no character for; Foreign, with the
// encoding's name, for an encoding this program does not read.
FileState DecodeText(std::string_view bytes, std::wstring& text, std::wstring& reason) {
    const bool marked = bytes.substr(0, 3) == "\xEF\xBB\xBF";
    if (marked) {
        bytes.remove_prefix(3);
    }
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
        text = uf::DecodeCp1251(bytes);
        const size_t at = text.find(L'\xFFFD');  // one character a byte
        return at == std::wstring::npos ? FileState::Read : stray(at, "windows-1251");
    }
    if (name == "iso-8859-1" || name == "latin1" || name == "us-ascii" || name == "ascii") {
        const bool ascii = name == "us-ascii" || name == "ascii";
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

// Reads the file into `doc`. Only a regular file is read (a folder or a
// device in its place is NotFile, with what stands there); a missing one
// leaves the document empty. A file that cannot be read whole leaves it
// empty too: nothing of it is taken. `reason` says why, or, for a Foreign
// file, names its encoding.
FileState LoadDocument(const fs::path& file, pugi::xml_document& doc, std::wstring& reason) {
    doc.reset();
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
    // Comments and declarations are read too: a file written again keeps
    // what it held beside the settings.
    constexpr unsigned kParse = pugi::parse_default | pugi::parse_comments | pugi::parse_declaration |
                                pugi::parse_doctype | pugi::parse_pi;
    pugi::xml_parse_result result;
    std::wstring text;
    const std::optional<pugi::xml_encoding> wideEncoding = WideEncoding(bytes);
    const bool wide = wideEncoding.has_value();
    if (wide) {
        result = doc.load_buffer(bytes.data(), bytes.size(), kParse, *wideEncoding);
    } else {
        const FileState decoded = DecodeText(bytes, text, reason);
        if (decoded != FileState::Read) {
            return decoded;
        }
        result = doc.load_buffer(text.data(), text.size() * sizeof(wchar_t), kParse, pugi::encoding_wchar);
    }
    if (!result) {
        doc.reset();
        const bool blank = !wide && text.find_first_not_of(L" \t\r\n") == std::wstring::npos;
        reason = blank ? L"файл пуст" : ParseFault(result);
        if (!blank && !wide && result.status != pugi::status_out_of_memory) {
            // The reader counts its offset in the bytes of the text as UTF-8.
            const std::string read = pugi::as_utf8(text);
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

// Whether the file ends its lines with CR LF, as written on Windows (in a
// one-byte encoding or in UTF-16 of either byte order).
bool CrlfLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return bytes.find("\r\n") != std::string::npos || bytes.find(std::string("\r\0\n", 3)) != std::string::npos;
}

// A name beside `file` for a copy of it no file has yet.
fs::path KeptCopyName(const fs::path& file) {
    constexpr int kMaxCopies = 1000;
    std::error_code error;
    for (int n = 1; n < kMaxCopies; ++n) {
        const std::string number = n == 1 ? std::string() : "-" + std::to_string(n);
        const fs::path copy =
            file.parent_path() / (file.stem().string() + ".повреждён" + number + file.extension().string());
        if (!fs::exists(fs::symlink_status(copy, error))) {
            return copy;
        }
    }
    return {};
}

// `bytes` written whole, with `mode`, to a new file beside `target` that no
// one else writes to (its name a unique ending to the target's), and flushed
// to the disk: `written` names it. False, with the reason and no file left,
// when any of it fails.
bool WriteBeside(const fs::path& target, const std::string& bytes, mode_t mode, fs::path& written,
                 std::wstring& reason) {
    std::string name = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = Why(errno);
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

// Where `path` leads through symbolic links (a relative link read from its
// own folder); `path` itself when it is no link or a link loops.
fs::path LinkTarget(const fs::path& path) {
    constexpr int kMaxLinks = 40;
    fs::path target = path;
    std::error_code error;
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!fs::is_symlink(target, error)) {
            return target;
        }
        const fs::path link = fs::read_symlink(target, error);
        if (error) {
            return path;
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return path;
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
    pugi::xml_document doc;
    const fs::path file = folders.config.empty() ? fs::path() : ConfigFile(folders.config);
    std::wstring reason;
    const FileState state = file.empty() ? FileState::Missing : LoadDocument(file, doc, reason);
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

void NestingSetting::ApplyDefaults(const Folders& folders) {
    if (m_lytPath.empty()) {
        m_lytPath = Wide(folders.systemFiles / kStyleLibraryFile);
    }
    if (m_sheetPattern.empty()) {
        m_sheetPattern = kDefaultCardName;
    }
}

bool NestingSetting::ReadsWhole(const fs::path& configFolder) {
    if (configFolder.empty()) {
        return true;
    }
    pugi::xml_document doc;
    std::wstring reason;
    const FileState state = LoadDocument(ConfigFile(configFolder), doc, reason);
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
    keptCopy.clear();
    if (configFolder.empty()) {
        reason = L"папка настроек программы не известна";
        return false;
    }
    std::error_code error;
    fs::create_directory(ConfigFile(configFolder).parent_path(), error);  // an existing folder is no fault
    // A file that is a link is replaced where it points: the link stays, and
    // the file it shares with others gets the settings.
    const fs::path file = LinkTarget(ConfigFile(configFolder));
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
    pugi::xml_document current;
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

    // The file as it stands gets the values; what it holds beside them (a
    // comment, an element of its own, a section written twice) stays. A file
    // not read whole gives nothing: the settings are written anew.
    pugi::xml_document doc;
    if (state == FileState::Read) {
        doc.reset(current);
    }
    DeclareUtf8(doc);
    pugi::xml_node version = doc.child(Utf8(kVersionElement).c_str());
    if (!version) {
        version = doc.insert_child_after(Utf8(kVersionElement).c_str(), doc.first_child());
    }
    (version.attribute("value") ? version.attribute("value") : version.append_attribute("value"))
        .set_value(Utf8(m_version).c_str());

    const pugi::xml_node bridges = OwnSection(doc, Attr::BridgeParams);
    PutNumber(bridges, Attr::maxWidth, m_bridgesWidth);
    PutNumber(bridges, Attr::maxLength, m_bridgesLength);
    PutNumber(OwnSection(doc, Attr::PrecisParams), Attr::tolerance, m_tolerance);
    const pugi::xml_node sheets = OwnSection(doc, Attr::SheetParams);
    PutNumber(sheets, Attr::format, m_sheetFormat);
    PutFlag(sheets, Attr::orientation, m_sheetOrient);
    PutText(sheets, Attr::lytFile, m_lytPath);
    PutText(OwnSection(doc, Attr::PatternParams), Attr::cardName, m_sheetPattern);

    std::ostringstream text;
    doc.save(text, "\t", pugi::format_indent, pugi::encoding_utf8);
    std::string bytes = text.str();
    // Lines end as they did in the file read.
    if (state == FileState::Read && CrlfLines(file)) {
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 2)) {
            bytes.insert(at, 1, '\r');
        }
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
