#include "model/NestingSetting.h"

#include <pugixml.hpp>

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <type_traits>

NestingSetting NestingSetting::m_instance;

namespace fs = std::filesystem;

namespace {

constexpr std::wstring_view kDefaultCardName = L"Карта раскроя ";
constexpr std::string_view kStyleLibraryFile = "Nesting.vst";

// Accepted ranges of the stored values; a value outside is refused.
constexpr double kMinBridgeSize = 0.0;
constexpr double kMaxBridgeSize = 10000.0;
constexpr double kMinTolerance = 0.1;
constexpr double kMaxTolerance = 10.0;
constexpr int32_t kMinSheetFormat = 1;  // A1
constexpr int32_t kMaxSheetFormat = 4;  // A4

NestingSetting::FoldersHook& FoldersHookStore() {
    static NestingSetting::FoldersHook hook;
    return hook;
}

std::string Utf8(std::wstring_view text) { return pugi::as_utf8(std::wstring(text)); }

std::wstring Wide(const fs::path& path) { return pugi::as_wide(path.string()); }

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

// The value attribute of the first item of `section` named `key`; empty when
// there is no such item or it has no value.
pugi::xml_attribute ItemValue(const pugi::xml_node& section, std::wstring_view key) {
    return section.find_child_by_attribute("item", "name", Utf8(key).c_str()).attribute("value");
}

// A missing item or value reads as zero (false, empty text); a value that is
// not a number of the field's kind, or lies outside [low, high], is refused
// and the field keeps what it held.
template <class Number>
void ReadNumber(const pugi::xml_node& section, std::wstring_view key, Number low, Number high,
                Number& field) {
    Number value{};
    const pugi::xml_attribute text = ItemValue(section, key);
    if (text && !ParseNumber(text.value(), value)) {
        return;
    }
    if constexpr (std::is_floating_point_v<Number>) {
        if (!std::isfinite(value)) {
            return;
        }
    }
    if (value < low || value > high) {
        return;
    }
    field = value;
}

void ReadFlag(const pugi::xml_node& section, std::wstring_view key, bool& field) {
    const std::string_view text = Trimmed(ItemValue(section, key).value());
    if (text.empty() || text == "false" || text == "0") {
        field = false;
    } else if (text == "true" || text == "1") {
        field = true;
    }
}

void ReadText(const pugi::xml_node& section, std::wstring_view key, std::wstring& field) {
    field = pugi::as_wide(ItemValue(section, key).value());
}

pugi::xml_node Section(const pugi::xml_document& doc, std::wstring_view name) {
    return doc.child(Utf8(name).c_str());
}

// Appends an item named `key` and returns its (still empty) value attribute.
pugi::xml_attribute AppendItem(pugi::xml_node section, std::wstring_view key) {
    pugi::xml_node item = section.append_child("item");
    item.append_attribute("name").set_value(Utf8(key).c_str());
    return item.append_attribute("value");
}

void AppendDeclaration(pugi::xml_document& doc) {
    pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("23.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    declaration.append_attribute("standalone").set_value("yes");
}

// Only a regular file is parsed (a folder or a device in its place would be
// taken for a file of absurd size). A missing file leaves the document empty
// and a malformed one keeps what was parsed before the fault.
void LoadDocument(const fs::path& configFolder, pugi::xml_document& doc) {
    if (configFolder.empty()) {
        return;
    }
    const fs::path file = NestingSetting::ConfigFile(configFolder);
    std::error_code error;
    if (fs::is_regular_file(file, error)) {
        doc.load_file(Wide(file).c_str());
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

void NestingSetting::ReadFromConfig() { ReadFromConfig(HostFolders()); }

void NestingSetting::ReadFromConfig(const Folders& folders) {
    pugi::xml_document doc;
    LoadDocument(folders.config, doc);
    if (const pugi::xml_node version = doc.child("config_version")) {
        m_version = pugi::as_wide(version.attribute("value").value());
    }
    if (const pugi::xml_node bridges = Section(doc, Attr::BridgeParams)) {
        ReadNumber(bridges, Attr::maxWidth, kMinBridgeSize, kMaxBridgeSize, m_bridgesWidth);
        ReadNumber(bridges, Attr::maxLength, kMinBridgeSize, kMaxBridgeSize, m_bridgesLength);
    }
    if (const pugi::xml_node precision = Section(doc, Attr::PrecisParams)) {
        ReadNumber(precision, Attr::tolerance, kMinTolerance, kMaxTolerance, m_tolerance);
    }
    if (const pugi::xml_node sheets = Section(doc, Attr::SheetParams)) {
        ReadNumber(sheets, Attr::format, kMinSheetFormat, kMaxSheetFormat, m_sheetFormat);
        ReadFlag(sheets, Attr::orientation, m_sheetOrient);
        ReadText(sheets, Attr::lytFile, m_lytPath);
    }
    if (const pugi::xml_node patterns = Section(doc, Attr::PatternParams)) {
        ReadText(patterns, Attr::cardName, m_sheetPattern);
    }
    ApplyDefaults(folders);
}

void NestingSetting::ApplyDefaults(const Folders& folders) {
    if (m_lytPath.empty()) {
        m_lytPath = Wide(folders.systemFiles / kStyleLibraryFile);
    }
    if (m_sheetPattern.empty()) {
        m_sheetPattern = kDefaultCardName;
    }
}

bool NestingSetting::WriteToConfig() const { return WriteToConfig(HostFolders().config); }

bool NestingSetting::WriteToConfig(const fs::path& configFolder) const {
    if (configFolder.empty()) {
        return false;
    }
    std::error_code ignored;  // an existing folder is no fault
    fs::create_directory(ConfigFile(configFolder).parent_path(), ignored);

    pugi::xml_document doc;
    AppendDeclaration(doc);
    doc.append_child("config_version").append_attribute("value").set_value(Utf8(m_version).c_str());

    pugi::xml_node bridges = doc.append_child(Utf8(Attr::BridgeParams).c_str());
    AppendItem(bridges, Attr::maxWidth).set_value(FormatDouble(m_bridgesWidth).c_str());
    AppendItem(bridges, Attr::maxLength).set_value(FormatDouble(m_bridgesLength).c_str());

    pugi::xml_node precision = doc.append_child(Utf8(Attr::PrecisParams).c_str());
    AppendItem(precision, Attr::tolerance).set_value(FormatDouble(m_tolerance).c_str());

    pugi::xml_node sheets = doc.append_child(Utf8(Attr::SheetParams).c_str());
    AppendItem(sheets, Attr::format).set_value(m_sheetFormat);
    AppendItem(sheets, Attr::orientation).set_value(m_sheetOrient);
    AppendItem(sheets, Attr::lytFile).set_value(Utf8(m_lytPath).c_str());

    pugi::xml_node patterns = doc.append_child(Utf8(Attr::PatternParams).c_str());
    AppendItem(patterns, Attr::cardName).set_value(Utf8(m_sheetPattern).c_str());

    return doc.save_file(Wide(ConfigFile(configFolder)).c_str(), "\t", pugi::format_indent,
                         pugi::encoding_utf8);
}
