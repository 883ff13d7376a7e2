// The rules every file the documentation and the export write follows: names
// made safe and unique within a run, folders made without exceptions, each
// file written under a temporary name and put in place only when complete,
// hidden host documents closed on every path, and one list of what was not
// written, with the reason, for the closing message.
#pragma once

#include "vlapi/vlapi.h"

#include <filesystem>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace outputs {

// Reasons shown beside a file that was not written.
inline constexpr wchar_t kNoDrawing[] = L"нет активного чертежа";
inline constexpr wchar_t kOpenInHost[] = L"файл открыт в программе";
inline constexpr wchar_t kNoFolder[] = L"не удалось создать папку";
inline constexpr wchar_t kNoDocument[] = L"не удалось создать документ";
inline constexpr wchar_t kNoView[] = L"не удалось скопировать вид листа";
inline constexpr wchar_t kNoTable[] = L"не удалось создать таблицу";
inline constexpr wchar_t kNotSaved[] = L"не удалось сохранить документ";
inline constexpr wchar_t kNotReplaced[] = L"не удалось заменить прежний файл";
inline constexpr wchar_t kNotConverted[] = L"не удалось преобразовать в DXF";
inline constexpr wchar_t kNoSketches[] = L"не удалось создать эскизы листов";
inline constexpr wchar_t kNoOutlines[] = L"не удалось получить контуры из чертежа";
inline constexpr wchar_t kNotWritten[] = L"не удалось записать файл";
inline constexpr wchar_t kTwinNotWritten[] = L"не записан парный файл";

// The outputs of one run that were not written.
class FailureList {
public:
    void Add(std::wstring file, std::wstring reason);
    // Adds every failure of `other`.
    void Append(const FailureList& other);
    bool Empty() const { return m_lines.empty(); }
    size_t Count() const { return m_lines.size(); }
    // Only the first `count` lines are kept.
    void Truncate(size_t count);
    // Whether `file` is one of those named, as given to Add.
    bool Names(const std::wstring& file) const;
    // `heading`, then one line "file: reason" per failure: all of them, or
    // the first `shown` and the number of the rest.
    std::wstring Text(const std::wstring& heading, size_t shown = SIZE_MAX) const;
    // Where one cause fails many files (a folder that takes nothing), the
    // first ones tell why and the rest are counted, so the message fits a screen.
    static constexpr size_t kShownOfMany = 15;

private:
    std::vector<std::wstring> m_lines;
    std::vector<std::wstring> m_files;
};

// An object's name as a file name: the characters a file name may not hold
// (those of uf::DeleteIllegalSymbolsFromStr) and control characters become
// "_", so that no name leaves its folder; an empty name becomes "_".
std::wstring SafeFileName(std::wstring name);

// The file names one run has used in one folder.
class NameBook {
public:
    // The first of `base`, `base`_2, `base`_3, ... for which none of
    // name + tail, for each tail, is used yet; all of them become used.
    // One object's files (map and part table, fragment and DXF) share it.
    std::wstring Reserve(const std::wstring& base, std::initializer_list<std::wstring> tails);
    // Marks a fixed file name as used.
    void Use(const std::wstring& file) { m_used.insert(file); }

private:
    std::set<std::wstring> m_used;
};

// Creates the folder with its parents; true when it is a folder afterwards.
// Never throws.
bool EnsureFolder(const std::filesystem::path& folder);
// Why the folder could not be made, when that is known: the file system's
// limit when a name on its way is longer than it takes, or, for a link, where
// it leads and why; empty otherwise.
std::wstring FolderFault(const std::filesystem::path& folder);
// kNoFolder, with FolderFault when there is one.
std::wstring NoFolderReason(const std::filesystem::path& folder);

// Removes a file; false when one is still there. Never throws.
bool RemoveFile(const std::filesystem::path& file);

// The files a run found in its folder (not in its sub-folders) and did not
// write: those with one of the extensions (in any case), other than hidden ones (a
// temporary name) and those `ours` lists, sorted by name. Never throws.
std::vector<std::filesystem::path> FilesNotOurs(const std::filesystem::path& folder,
                                                std::initializer_list<const char*> extensions,
                                                const std::vector<std::filesystem::path>& ours);
// A file's name as a closing message shows it: relative to `base`, the
// whole path when it lies outside.
std::wstring ShownName(const std::filesystem::path& file, const std::filesystem::path& base);
// The files of an earlier run that a run found in `folder` (FilesNotOurs of
// what it wrote), shown relative to `base`: a file of this run that could not
// be replaced is named once, among `failures` under the same shown name, not
// again as an earlier run's.
std::vector<std::wstring> EarlierFiles(const std::filesystem::path& folder, std::initializer_list<const char*> extensions,
                                       const std::vector<std::filesystem::path>& written, const FailureList& failures,
                                       const std::filesystem::path& base);
// The note of a closing message on such files: two line feeds, `heading`,
// then the first `shown` names a line each and the number of the rest;
// nothing without names.
std::wstring NamesNote(const std::wstring& heading, const std::vector<std::wstring>& names, size_t shown);

// A file written under a temporary name beside its target, then renamed over
// the target once it is complete (over the file a target that is a link
// leads to: the link stays), keeping the mode of the file it replaces. The
// temporary name is short whatever the
// target's (filewriting::TemporaryBeside), so that every name the file
// system takes is written; a name it does not take is refused before anything
// is written, with that reason. Left uncommitted, the temporary file is
// removed and the old target stays as it was.
class PendingFile {
public:
    // `shown`: the target the user asked for, when `target` is where its
    // file waits meanwhile (StagedFiles): a fault is that target's.
    explicit PendingFile(std::filesystem::path target, const std::filesystem::path& shown = {});
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& Target() const { return m_target; }
    const std::filesystem::path& Temporary() const { return m_temp; }
    // Why nothing can be written for the target (its name longer than the
    // file system allows, a folder that takes no file); empty when the
    // temporary file is there to be written.
    const std::wstring& Fault() const { return m_fault; }
    // The temporary path as the host takes paths.
    std::wstring HostPath() const;
    // Renames a complete (present, not empty) temporary file over the target.
    // False, with the reason, when there is none or the rename fails.
    bool Commit(std::wstring& reason);

private:
    std::filesystem::path m_target;
    std::filesystem::path m_place;  // the target, or where its link leads
    std::filesystem::path m_temp;
    std::wstring m_fault;
    bool m_committed = false;
};

// The files of one run written into hidden folders of their own (`prefix`
// and a unique ending), one in the run's folder and one in each of its
// sub-folders a file goes to, each file under its final name, and moved over
// their targets together at the end (through a target that is a link to
// the file it leads to, an existing file's mode kept): all of them, or none (those moved
// before one that cannot be are moved back, and the old files with them).
// Left uncommitted (the run cut short), the hidden folders go with all they
// hold: the folders' files are as they were.
class StagedFiles {
public:
    StagedFiles(std::filesystem::path folder, std::string prefix);
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Whether the run's hidden folder was made; Error says why not.
    bool Ready() const { return m_stages.count(m_folder) != 0; }
    const std::wstring& Error() const { return m_error; }
    // Where the file for `target` (in the run's folder or one of its
    // sub-folders) is written meanwhile: in the hidden folder beside it,
    // which is made at the first need.
    std::filesystem::path Staged(const std::filesystem::path& target);
    // The file staged for `target` is complete.
    void Written(const std::filesystem::path& target);
    // The file staged for `target` is not to be put in place after all.
    void Drop(const std::filesystem::path& target);
    // Moves every file written over its target. False, with the file's name
    // (relative to the run's folder) and the reason, when one cannot be:
    // every target is as before then.
    bool Commit(std::wstring& file, std::wstring& reason);

private:
    // A new hidden folder in `folder`; empty, with the reason, when none can be made.
    std::filesystem::path MakeStage(const std::filesystem::path& folder, std::wstring& error) const;

    std::filesystem::path m_folder;
    std::string m_prefix;
    std::map<std::filesystem::path, std::filesystem::path> m_stages;  // folder: its hidden folder
    std::map<std::filesystem::path, std::filesystem::path> m_staged;  // target: its file meanwhile
    std::vector<std::filesystem::path> m_written;
    std::wstring m_error;
    bool m_keep = false;  // old files could not be moved back: they stay
};

// Saves the document under the pending file's temporary name and puts it in
// place; false, with the reason, when either fails.
bool SaveInPlace(const vlapi::IVarnelDocumentPtr& document, PendingFile& file, std::wstring& reason);

// A document the run made without a window: closed, once, whatever way the
// scope is left, and the source document made active again.
class HiddenDocument {
public:
    HiddenDocument(vlapi::IVarnelDocumentPtr document, vlapi::IVarnelDocumentPtr source, int closeMode);
    ~HiddenDocument() { Close(); }
    HiddenDocument(const HiddenDocument&) = delete;
    HiddenDocument& operator=(const HiddenDocument&) = delete;

    const vlapi::IVarnelDocumentPtr& Get() const { return m_document; }
    void Close();

private:
    vlapi::IVarnelDocumentPtr m_document;
    vlapi::IVarnelDocumentPtr m_source;
    int m_closeMode;
};

// Drawing objects a run drew only to hand them to the clipboard: deleted,
// whatever way the scope is left.
class DrawnCopies {
public:
    DrawnCopies() = default;
    ~DrawnCopies() { Delete(); }
    DrawnCopies(const DrawnCopies&) = delete;
    DrawnCopies& operator=(const DrawnCopies&) = delete;
    DrawnCopies(DrawnCopies&& other) noexcept : m_objects(std::move(other.m_objects)) { other.m_objects.clear(); }

    std::vector<vlapi::IDrawingObjectPtr>& Objects() { return m_objects; }
    bool Empty() const { return m_objects.empty(); }
    void Delete();

private:
    std::vector<vlapi::IDrawingObjectPtr> m_objects;
};

// The open document of the host whose file is `path`; empty for none or when
// the host has no document collection.
vlapi::IVarnelDocumentPtr OpenDocument(const std::filesystem::path& path);

// A new document of the type without a window (made active); empty when the
// host makes none.
vlapi::IVarnelDocumentPtr NewHiddenDocument(int type);

// Number formats of the reports: wide printf into 255 characters.
std::wstring Format(const wchar_t* format, double value);
std::wstring Format(const wchar_t* format, double a, double b);
std::wstring Format(const wchar_t* format, double a, double b, double c);

// Rounding of the reports. Noise within 1e-4 of a whole number is dropped
// first, so that 1250.0000001 rounds up to 1250 while 1250.01 gives 1251.
double CeilClean(double v);
// A count of blanks, rounded up as CeilClean does, written in full: a
// million sheets give "1000000", not "1e+06".
std::wstring CountText(double v);
// A length to the nearest tenth of a millimetre, halves up. The length is
// first taken to a millionth, so that one length reached by other sums
// (0.15 as 0.14999999999999991) gives the same tenth.
double Tenths(double mm);
// A length in whole tenths of a millimetre, rounded down (taken to a
// millionth first, as Tenths does): what a remnant's length is named by,
// never more than it is (99.96 gives 99.9, 99.9000000001 gives 99.9).
double FloorTenths(double mm);
// A length to a tenth of a millimetre (Tenths), a whole one without decimals:
// 2450.5 gives "2450.5", 6000 and 5999.96 give "6000", -0.01 gives "0".
std::wstring TenthsText(double mm);

}  // namespace outputs
