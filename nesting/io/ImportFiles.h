// What the import adds to the rules of the files a run writes
// (io/OutputFiles.h): names made from part data and DXF file names blanked
// of what a file name may not hold and kept inside the output folder, unique
// names per folder, folders a run made dropped again when they stay empty,
// and the check that a hidden document is the one the host works on.
#pragma once

#include "io/OutputFiles.h"

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace importfiles {

// Reasons shown beside a part or a file that was not written (beside those of
// io/OutputFiles.h).
inline constexpr wchar_t kBadName[] = L"недопустимое имя файла";
inline constexpr wchar_t kOutsideFolder[] = L"путь выходит за пределы папки";
inline constexpr wchar_t kNotActive[] = L"документ фрагмента не стал активным";

// One component of a path made from a name: characters a file name may not
// hold (" * / : < > ? | \), control characters and NUL become blanks.
std::wstring CleanComponent(std::wstring name);
// What CleanComponent changed of `name`, as a note says it: "знаки «"», «:»
// заменены пробелами" (control characters named as such); empty for none.
std::wstring CleanedText(const std::wstring& name);
// A cleaned component that names something of its own: not empty, not "."
// and not "..".
bool IsUsableComponent(const std::wstring& component);

// The output folder a caller names; a trailing backslash, as the host's
// folder dialog of another system ends a folder with, is dropped.
std::filesystem::path OutputFolder(std::wstring text);

// Whether `path` lies inside `folder` (both made absolute and normal first).
bool IsInside(const std::filesystem::path& folder, const std::filesystem::path& path);

// Why the folder cannot be made, named with the cause: a file standing at
// its place or on its way, a name too long, and, when `tryIt` (the folder
// is then made if it can), no right to write, no room, ...
// ("не удалось создать папку «/x/Фрагменты»: на её месте файл"); empty
// when nothing stands in its way.
std::wstring NoFolderText(const std::filesystem::path& folder, bool tryIt = true);

// Why no file can be written into the existing folder (a file is tried),
// named once for all the files of a run with the cause: "в папку
// «/x/Фрагменты» не записать файлы: нет прав на запись"; empty when one can.
std::wstring NoWriteText(const std::filesystem::path& folder);

// Why the file cannot be read, in the user's words: "файл не найден", "нет
// прав на чтение", "это папка, а не файл", ...; empty when it opens for reading.
std::wstring ReadFault(const std::filesystem::path& file);

// A file name as the host's file system tells names apart: a letter in
// either case is one letter ("Шайба.vfw" names "шайба.vfw").
std::wstring FoldedName(const std::wstring& name);

// The file names one run has used, folder by folder: `base`, then `base`_2,
// `base`_3, ... (the numbering of outputs::NameBook), told apart as the
// host's file system tells them (FoldedName). A name that a file of the
// folder had before the run has whatever the case of its letters is given
// as that file has it: the file is written over, as the file system would.
class UniqueNames {
public:
    std::filesystem::path Reserve(const std::filesystem::path& folder, const std::wstring& base,
                                  const std::wstring& extension);
    // A name reserved for a file that was not written is free again.
    void Release(const std::filesystem::path& path) { m_used.erase(Key(path)); }
    // The file of `folder` that had the name `file` before the run, whatever
    // the case of its letters; empty when none had.
    std::filesystem::path Earlier(const std::filesystem::path& folder, const std::wstring& file);

private:
    static std::filesystem::path Key(const std::filesystem::path& path);

    std::set<std::filesystem::path> m_used;  // by Key
    // The files of each folder looked into, as the run found them: by FoldedName.
    std::map<std::filesystem::path, std::map<std::wstring, std::filesystem::path>> m_earlier;
};

// The folders a run made, with every parent it had to make; those left empty
// are removed again, deepest first, when the run ends.
class MadeFolders {
public:
    MadeFolders() = default;
    ~MadeFolders();
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;
    // Creates the folder with its parents; false when it is not a folder afterwards.
    bool Ensure(const std::filesystem::path& folder);

private:
    std::vector<std::filesystem::path> m_made;
};

// A fragment made without a window (made active), closed on every path with
// the document active before it made active again.
class HiddenFragment {
public:
    HiddenFragment();
    const vlapi::IVarnelDocument2DPtr& Get() const { return m_fragment; }
    // Whether it is the host's active document now.
    bool IsActive() const;

private:
    explicit HiddenFragment(vlapi::IVarnelDocumentPtr source);

    outputs::HiddenDocument m_document;
    vlapi::IVarnelDocument2DPtr m_fragment;
};

}  // namespace importfiles
