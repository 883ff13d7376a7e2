// What every file the library writes goes through: a temporary name beside
// the target that is short whatever the target's name, so that every name
// the file system takes can be written, and the reasons a name or a write
// fails, in the user's words.
#pragma once

#include <filesystem>
#include <string>

namespace filewriting {

inline constexpr wchar_t kNameTooLong[] = L"имя файла длиннее, чем допускает файловая система";
inline constexpr wchar_t kFolderNameTooLong[] = L"имя папки длиннее, чем допускает файловая система";
inline constexpr wchar_t kPathTooLong[] = L"путь к файлу длиннее, чем допускает файловая система";

// Why no file (or, with `folder`, no folder) can be made at `target`: its
// name, the name of a folder on its way, or its whole path is longer than
// the file system allows (the lengths said in bytes, as the file system
// counts them); empty when one can.
std::wstring NameFault(const std::filesystem::path& target, bool folder = false);

// Why nothing can be written into `folder` although the target's own name
// and path are taken: the folder's path leaves no room for the short name
// a file is written under first. "путь к папке слишком длинный для записи в
// неё (4077 байт)".
std::wstring FolderTooLong(const std::filesystem::path& folder);

// A new empty file beside `target` (in its folder) under a short name of its
// own, ".~" and six letters, then ".tmp" and the target's extension, that no
// one else writes to; left open for writing with its descriptor in `open`
// when that is given (closed otherwise). Empty, with the error number in
// `error`, when the folder takes none.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target, int& error, int* open = nullptr);

// Where `path` leads through symbolic links (a relative link read from its
// own folder): the file that writing `path` is to change, so that a link
// stays a link and the file it shares with others is written. `path` itself
// when it is no link, or when its links loop or cannot be read: then, given
// `error`, the error number (ELOOP for a loop) goes there, 0 otherwise; such
// a link is never written over.
std::filesystem::path LinkTarget(const std::filesystem::path& path, int* error = nullptr);

// Why a file could not be written at `target` whose link leads to `place`
// (the target itself when it is no link), for the error number: FaultText,
// or `unknown` for 0, and for a link where it leads ("ссылка ведёт на папку
// …", "ссылка ведёт на …: нет прав на запись").
std::wstring WriteFault(const std::filesystem::path& target, const std::filesystem::path& place, int error,
                        const std::wstring& unknown);

// Gives `file` the permission bits of `old` when that is a regular file
// (links followed): a file written anew keeps the mode of the one it
// replaces.
void KeepMode(const std::filesystem::path& file, const std::filesystem::path& old);

// Moves the file `from` over `to`: renamed, or, on another file system,
// copied beside `to` under a temporary name and renamed there (`from` then
// removed). False, with the error, when it could not be moved; `to` is
// untouched then.
bool MoveOver(const std::filesystem::path& from, const std::filesystem::path& to, std::error_code& error);

// Why a file or folder could not be made, for the error number: the user's
// words for the common causes, the system's text for the others.
std::wstring FaultText(int error);

}  // namespace filewriting
