// The text groups of a DXF file, read as the host's DXF reader takes them:
// a group is a code line and a value line, lines end with LF, CR LF or CR,
// blanks about a line do not count, a UTF-8 byte-order mark before the first
// code is passed over, and nothing after the group "0 EOF" is read.
#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace dxfimport {

// Files, records (groups of code 0) and groups beyond which the reader reads
// nothing of a file (or no more of it).
inline constexpr std::uintmax_t kDxfMaxBytes = std::uintmax_t{256} << 20;
inline constexpr size_t kDxfMaxRecords = 2'000'000;
inline constexpr size_t kDxfMaxGroups = 20'000'000;

enum class GroupsRead {
    Whole,       // up to its end or its "0 EOF"
    Capped,      // up to the record or group beyond the reader's caps, which is not given
    Unreadable,  // not opened, larger than the reader reads, or a code line that is no code
};

// Gives `take` each group of `file` in order, its value trimmed (codes 1
// and 3, texts, too). The file is read whole and taken apart in place: a
// file may hold millions of groups.
GroupsRead ReadGroups(const std::filesystem::path& file, const std::function<void(int, std::string_view)>& take);

}  // namespace dxfimport
