#include "io/DxfGroups.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? std::string_view() : text.substr(first, last - first + 1);
}

// A group code: a whole number from 0, nothing after it; -1 when it is none.
int Code(std::string_view trimmed)
{
    if (trimmed.empty() || trimmed.size() > 6)
        return -1;
    char text[8] = {};
    trimmed.copy(text, trimmed.size());
    char* end = nullptr;
    const long code = std::strtol(text, &end, 10);
    return *end == '\0' && code >= 0 ? static_cast<int>(code) : -1;
}

}  // namespace

GroupsRead ReadGroups(const fs::path& file, const std::function<void(int, std::string_view)>& take)
{
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    if (ec || size > kDxfMaxBytes)
        return GroupsRead::Unreadable;
    std::string bytes(static_cast<size_t>(size), '\0');
    std::ifstream in(file, std::ios::binary);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size)))
        return GroupsRead::Unreadable;
    const std::string_view text(bytes);
    size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    const auto nextLine = [&](std::string_view& line) {
        if (at >= text.size())
            return false;
        const size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        line = Trim(text.substr(at, end - at));
        at = end + 1;
        if (end < text.size() && text[end] == '\r' && at < text.size() && text[at] == '\n')
            ++at;
        return true;
    };
    std::string_view codeLine, value;
    size_t records = 0, groups = 0;
    while (nextLine(codeLine) && nextLine(value)) {
        const int code = Code(codeLine);
        if (code < 0)
            return GroupsRead::Unreadable;
        if (code == 0 && value == "EOF")
            break;
        if ((code == 0 && ++records > kDxfMaxRecords) || ++groups > kDxfMaxGroups)
            return GroupsRead::Capped;
        take(code, value);
    }
    return GroupsRead::Whole;
}

}  // namespace dxfimport
