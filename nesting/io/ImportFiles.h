// Files the import writes: names made from part data and DXF file names, kept
// inside the output folder and unique within a run; fragments saved under a
// temporary name and put in place only when complete; the hidden documents
// closed on every path; and the closing message of a run.
#pragma once

#include "vlapi/vlapi.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace importfiles {

// Reasons shown beside a part or a file that was not written.
inline constexpr wchar_t kBadName[] = L"недопустимое имя файла";
inline constexpr wchar_t kNoFolder[] = L"не удалось создать папку";
inline constexpr wchar_t kOutsideFolder[] = L"путь выходит за пределы папки";
inline constexpr wchar_t kOpenInHost[] = L"файл открыт в программе";
inline constexpr wchar_t kNoDocument[] = L"не удалось создать документ";
inline constexpr wchar_t kNotActive[] = L"документ фрагмента не стал активным";
inline constexpr wchar_t kNotSaved[] = L"не удалось сохранить фрагмент";

// One component of a path made from a name: characters a file name may not
// hold (" * / : < > ? | \), control characters and NUL become blanks.
std::wstring CleanComponent(std::wstring name);
// A cleaned component that names something of its own: not empty, not "."
// and not "..".
bool IsUsableComponent(const std::wstring& component);

// The output folder a caller names; a trailing backslash, as the host's
// folder dialog of another system ends a folder with, is dropped.
std::filesystem::path OutputFolder(std::wstring text);

// Whether `path` lies inside `folder` (both made absolute and normal first).
bool IsInside(const std::filesystem::path& folder, const std::filesystem::path& path);

// Creates the folder with its parents; `made` tells whether it was not there
// before. False when it is not a folder afterwards. Never throws.
bool EnsureFolder(const std::filesystem::path& folder, bool& made);
// Removes the folder when it is empty. Never throws.
void RemoveIfEmpty(const std::filesystem::path& folder);

// The file names one run has used, per folder: `base`, then `base`_2, `base`_3, ...
class UniqueNames {
public:
    std::filesystem::path Reserve(const std::filesystem::path& folder, const std::wstring& base,
                                  const std::wstring& extension);

private:
    std::set<std::filesystem::path> m_used;
};

// A document the run made without a window, closed once whatever way the
// scope is left, with the document active before it made active again.
class HiddenDocument {
public:
    explicit HiddenDocument(int type);
    ~HiddenDocument();
    HiddenDocument(const HiddenDocument&) = delete;
    HiddenDocument& operator=(const HiddenDocument&) = delete;

    const vlapi::IVarnelDocument2DPtr& Get() const { return m_document; }
    // Whether it is the host's active document now.
    bool IsActive() const;

private:
    vlapi::IVarnelDocumentPtr m_source;
    vlapi::IVarnelDocument2DPtr m_document;
};

// The open document of the host whose file is `path`; empty for none.
vlapi::IVarnelDocumentPtr OpenDocument(const std::filesystem::path& path);

// Saves the document as `target` through a temporary file beside it, so that
// a file already there is replaced only by a complete one. False, with the
// reason, when it was not written.
bool SaveDocument(const vlapi::IVarnelDocumentPtr& doc, const std::filesystem::path& target, std::wstring& reason);

// What a run did not do, one line per item: "item: reason".
class Refusals {
public:
    void Add(const std::wstring& item, const std::wstring& reason) { m_lines.push_back(item + L": " + reason); }
    bool Empty() const { return m_lines.empty(); }
    size_t Count() const { return m_lines.size(); }
    // `heading`, then the lines.
    std::wstring Text(const std::wstring& heading) const;

private:
    std::vector<std::wstring> m_lines;
};

}  // namespace importfiles
