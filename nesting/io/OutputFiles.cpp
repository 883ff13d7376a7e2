#include "io/OutputFiles.h"

#include "geometry/UtilityFunctions.h"
#include "host/FileWriting.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <system_error>

namespace fs = std::filesystem;

namespace outputs {

void FailureList::Add(std::wstring file, std::wstring reason)
{
    m_lines.push_back(file + L": " + std::move(reason));
    m_files.push_back(std::move(file));
}

void FailureList::Truncate(size_t count)
{
    if (count < m_lines.size()) {
        m_lines.resize(count);
        m_files.resize(count);
    }
}

void FailureList::Append(const FailureList& other)
{
    m_lines.insert(m_lines.end(), other.m_lines.begin(), other.m_lines.end());
    m_files.insert(m_files.end(), other.m_files.begin(), other.m_files.end());
}

bool FailureList::Names(const std::wstring& file) const
{
    return std::find(m_files.begin(), m_files.end(), file) != m_files.end();
}

std::wstring FailureList::Text(const std::wstring& heading, size_t shown) const
{
    std::wstring text = heading;
    for (size_t i = 0; i < m_lines.size() && i < shown; ++i)
        text += L"\n" + m_lines[i];
    if (m_lines.size() > shown)
        text += L"\n… и ещё " + std::to_wstring(m_lines.size() - shown);
    return text;
}

std::wstring SafeFileName(std::wstring name)
{
    uf::DeleteIllegalSymbolsFromStr(name, L'_');
    for (wchar_t& c : name) {
        if (c < 0x20 || c == 0x7F || c == L'/')
            c = L'_';
    }
    return name.empty() ? std::wstring(L"_") : name;
}

std::wstring NameBook::Reserve(const std::wstring& base, std::initializer_list<std::wstring> tails)
{
    const auto isFree = [&](const std::wstring& name) {
        for (const std::wstring& tail : tails) {
            if (m_used.count(name + tail) != 0)
                return false;
        }
        return true;
    };
    std::wstring name = base;
    for (int n = 2; !isFree(name); ++n)
        name = base + L"_" + std::to_wstring(n);
    for (const std::wstring& tail : tails)
        m_used.insert(name + tail);
    return name;
}

bool EnsureFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

std::wstring FolderFault(const fs::path& folder)
{
    if (std::wstring fault = filewriting::NameFault(folder, true); !fault.empty())
        return fault;
    // A folder that is a link leading nowhere: where it leads, and why.
    int error = 0;
    const fs::path place = filewriting::LinkTarget(folder, &error);
    std::error_code ec;
    if (error != 0)
        return filewriting::FaultText(error);
    if (place != folder && !fs::is_directory(place, ec))
        return filewriting::WriteFault(folder, place, ENOENT, L"");
    return {};
}

std::wstring NoFolderReason(const fs::path& folder)
{
    const std::wstring fault = FolderFault(folder);
    return fault.empty() ? std::wstring(kNoFolder) : kNoFolder + (L": " + fault);
}

bool RemoveFile(const fs::path& file)
{
    std::error_code ec;
    fs::remove(file, ec);
    return !fs::exists(fs::symlink_status(file, ec));
}

std::vector<fs::path> FilesNotOurs(const fs::path& folder, std::initializer_list<const char*> extensions,
                                   const std::vector<fs::path>& ours)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& file = it->path();
        // ".DXF" as a Windows program writes it is a DXF file too.
        std::string extension = file.extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool listed = std::any_of(extensions.begin(), extensions.end(),
                                        [&](const char* e) { return extension == e; });
        std::error_code kind;
        if (listed && it->is_regular_file(kind) && file.filename().string()[0] != '.' &&
            std::find(ours.begin(), ours.end(), file) == ours.end())
            files.push_back(file);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::wstring ShownName(const fs::path& file, const fs::path& base)
{
    const fs::path relative = file.lexically_relative(base);
    return vrnApi::detail::TextOf(relative.empty() || relative == "." ? file : relative);
}

std::vector<std::wstring> EarlierFiles(const fs::path& folder, std::initializer_list<const char*> extensions,
                                       const std::vector<fs::path>& written, const FailureList& failures,
                                       const fs::path& base)
{
    std::vector<std::wstring> earlier;
    for (const fs::path& file : FilesNotOurs(folder, extensions, written)) {
        std::wstring shown = ShownName(file, base);
        if (!failures.Names(shown))
            earlier.push_back(std::move(shown));
    }
    return earlier;
}

std::wstring NamesNote(const std::wstring& heading, const std::vector<std::wstring>& names, size_t shown)
{
    if (names.empty())
        return {};
    std::wstring text = L"\n\n" + heading;
    for (size_t i = 0; i < names.size() && i < shown; ++i)
        text += L"\n" + names[i];
    if (names.size() > shown)
        text += L"\n… и ещё " + std::to_wstring(names.size() - shown);
    return text;
}

PendingFile::PendingFile(fs::path target, const fs::path& shown)
    : m_target(std::move(target))
    , m_fault(filewriting::NameFault(shown.empty() ? m_target : shown))
{
    if (!m_fault.empty())
        return;
    // A name the file system takes that cannot be written all the same: the
    // folder leaves no room for the name the file waits under.
    const fs::path asked = shown.empty() ? m_target : shown;
    if (!filewriting::NameFault(m_target).empty()) {
        m_fault = filewriting::FolderTooLong(asked.parent_path());
        return;
    }
    // A target that is a link is written where the link leads: the link
    // stays. Links that loop lead nowhere: nothing is written over them.
    int error = 0;
    m_place = filewriting::LinkTarget(m_target, &error);
    if (error != 0) {
        m_fault = filewriting::FaultText(error);
        return;
    }
    m_temp = filewriting::TemporaryBeside(m_place, error);
    if (m_temp.empty() && error == ENAMETOOLONG && m_place == m_target)
        m_fault = filewriting::FolderTooLong(asked.parent_path());
    else if (m_temp.empty())
        m_fault = filewriting::WriteFault(m_target, m_place, error, kNotWritten);
}

PendingFile::~PendingFile()
{
    if (!m_committed && !m_temp.empty())
        RemoveFile(m_temp);
}

std::wstring PendingFile::HostPath() const { return vrnApi::detail::TextOf(m_temp); }

bool PendingFile::Commit(std::wstring& reason)
{
    if (!m_fault.empty()) {
        reason = m_fault;
        return false;
    }
    std::error_code ec;
    const bool complete = fs::is_regular_file(m_temp, ec) && fs::file_size(m_temp, ec) > 0 && !ec;
    if (!complete) {
        reason = kNotWritten;
        return false;
    }
    // An existing file keeps its mode.
    filewriting::KeepMode(m_temp, m_place);
    fs::rename(m_temp, m_place, ec);
    if (ec) {
        reason = filewriting::WriteFault(m_target, m_place, ec.value(), kNotReplaced);
        return false;
    }
    m_committed = true;
    return true;
}

StagedFiles::StagedFiles(fs::path folder, std::string prefix)
    : m_folder(std::move(folder))
    , m_prefix(std::move(prefix))
{
    const fs::path stage = MakeStage(m_folder, m_error);
    if (!stage.empty())
        m_stages[m_folder] = stage;
}

StagedFiles::~StagedFiles()
{
    if (m_keep)
        return;
    std::error_code ec;
    for (const auto& [folder, stage] : m_stages)
        fs::remove_all(stage, ec);
}

fs::path StagedFiles::MakeStage(const fs::path& folder, std::wstring& error) const
{
    std::string name = (folder / (m_prefix + "XXXXXX")).string();
    if (::mkdtemp(name.data()))
        return name;
    error = errno == ENAMETOOLONG ? filewriting::FolderTooLong(folder) : filewriting::FaultText(errno);
    return {};
}

fs::path StagedFiles::Staged(const fs::path& target)
{
    if (const auto known = m_staged.find(target); known != m_staged.end())
        return known->second;
    // Beside its target, so that it is moved there, not copied; a sub-folder
    // that takes no hidden folder has its files wait in the run's.
    const fs::path folder = target.parent_path();
    auto stage = m_stages.find(folder);
    if (stage == m_stages.end()) {
        std::wstring error;
        if (fs::path made = MakeStage(folder, error); !made.empty())
            stage = m_stages.emplace(folder, std::move(made)).first;
        else
            stage = m_stages.find(m_folder);
    }
    fs::path staged = stage == m_stages.end() ? target : stage->second / target.filename();
    if (stage != m_stages.end() && stage->first != folder)
        staged = stage->second / target.lexically_relative(m_folder);
    std::error_code ec;
    fs::create_directories(staged.parent_path(), ec);
    m_staged[target] = staged;
    return staged;
}

void StagedFiles::Written(const fs::path& target)
{
    if (std::find(m_written.begin(), m_written.end(), target) == m_written.end())
        m_written.push_back(target);
}

void StagedFiles::Drop(const fs::path& target)
{
    const auto it = std::find(m_written.begin(), m_written.end(), target);
    if (it == m_written.end())
        return;
    m_written.erase(it);
    RemoveFile(m_staged[target]);
}

bool StagedFiles::Commit(std::wstring& file, std::wstring& reason)
{
    std::error_code ec;
    // The old files wait beside the new ones until every new one is in place:
    // in the hidden folder, or, for a target that is a link into another
    // folder, beside the file it leads to.
    const auto oldOf = [&](const fs::path& target) {
        const fs::path staged = m_staged[target];
        return staged.parent_path() / "previous" / staged.filename();
    };
    struct Moved {
        fs::path place;  // the target, or where its link leads
        fs::path old;    // where the old file waits; empty when there was none
    };
    std::vector<Moved> moved;
    const auto restore = [&](const Moved& m) {
        fs::remove(m.place, ec);
        if (m.old.empty())
            return true;
        fs::rename(m.old, m.place, ec);
        return !ec;
    };
    for (const fs::path& target : m_written) {
        // A link stays: the file it leads to gets the new contents. Links
        // that loop lead nowhere: nothing is written over them.
        int error = 0;
        Moved move{filewriting::LinkTarget(target, &error), {}};
        const bool linked = move.place != target;
        const fs::file_status status = fs::symlink_status(move.place, ec);
        // What stands in a file's place and is no file (a folder) is not the
        // user's earlier export: it is not moved aside.
        bool failed = error != 0;
        if (!failed && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
            failed = true;
            error = fs::is_directory(status) ? EISDIR : 0;
        }
        if (!failed && fs::exists(status)) {
            // The new file keeps the old one's mode.
            filewriting::KeepMode(m_staged[target], move.place);
            fs::path old = linked ? filewriting::TemporaryBeside(move.place, error) : oldOf(target);
            fs::create_directories(old.parent_path(), ec);
            failed = old.empty();
            if (!failed) {
                fs::rename(move.place, old, ec);
                failed = static_cast<bool>(ec);
                error = ec.value();
                if (failed && linked)
                    fs::remove(old, ec);
            }
            if (!failed)
                move.old = old;
        }
        if (!failed) {
            failed = !filewriting::MoveOver(m_staged[target], move.place, ec);
            error = ec.value();
            if (failed && !move.old.empty())
                fs::rename(move.old, move.place, ec);
        }
        if (failed) {
            const fs::path relative = target.lexically_relative(m_folder);
            file = vrnApi::detail::TextOf(relative.empty() ? target : relative);
            reason = filewriting::WriteFault(target, move.place, error, kNotReplaced);
            // Back as they were: the new files out, the old ones in.
            std::vector<fs::path> unrestored;
            for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
                if (!restore(*it))
                    unrestored.push_back(it->old.parent_path());
            }
            if (!unrestored.empty()) {
                m_keep = true;
                reason += L"; прежние файлы, которые не удалось вернуть на место, сохранены в папке " +
                          vrnApi::detail::TextOf(unrestored.front());
            }
            return false;
        }
        moved.push_back(move);
    }
    // The old files set aside beside the files of links go; those in the
    // hidden folders go with them.
    for (const Moved& m : moved) {
        if (!m.old.empty() && m.old.parent_path() == m.place.parent_path())
            fs::remove(m.old, ec);
    }
    return true;
}

bool SaveInPlace(const vlapi::IVarnelDocumentPtr& document, PendingFile& file, std::wstring& reason)
{
    if (!file.Fault().empty()) {
        reason = file.Fault();
        return false;
    }
    if (!document->SaveAs(file.HostPath())) {
        reason = kNotSaved;
        return false;
    }
    return file.Commit(reason);
}

HiddenDocument::HiddenDocument(vlapi::IVarnelDocumentPtr document, vlapi::IVarnelDocumentPtr source,
                               int closeMode)
    : m_document(std::move(document))
    , m_source(std::move(source))
    , m_closeMode(closeMode)
{
}

void HiddenDocument::Close()
{
    if (m_document) {
        m_document->Close(m_closeMode);
        m_document = nullptr;
    }
    if (m_source)
        m_source->Activate();
}

void DrawnCopies::Delete()
{
    for (const vlapi::IDrawingObjectPtr& object : m_objects) {
        if (object)
            object->Delete();
    }
    m_objects.clear();
}

vlapi::IVarnelDocumentPtr OpenDocument(const fs::path& path)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    return documents ? documents->FindDocument(vrnApi::detail::TextOf(path)) : nullptr;
}

vlapi::IVarnelDocumentPtr NewHiddenDocument(int type)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    return documents ? documents->Add(type, false) : nullptr;
}

namespace {

template <class... Args>
std::wstring Printed(const wchar_t* format, Args... args)
{
    wchar_t buffer[255];
    const int n = std::swprintf(buffer, 255, format, args...);
    return n < 0 ? std::wstring() : std::wstring(buffer, static_cast<size_t>(n));
}

}  // namespace

std::wstring Format(const wchar_t* format, double value) { return Printed(format, value); }
std::wstring Format(const wchar_t* format, double a, double b) { return Printed(format, a, b); }
std::wstring Format(const wchar_t* format, double a, double b, double c) { return Printed(format, a, b, c); }

double CeilClean(double v) { return std::ceil(v - 1e-4) + 0.0; }

std::wstring CountText(double v) { return Printed(L"%.0f", CeilClean(v)); }

double Tenths(double mm)
{
    constexpr double kMillionths = 1e6;
    const double snapped = std::fabs(mm) < 1e9 ? std::round(mm * kMillionths) / kMillionths : mm;
    return (std::round(snapped * 10.0) + 0.0) / 10.0;  // + 0 turns -0 into 0
}

double FloorTenths(double mm)
{
    constexpr double kMillionths = 1e6;
    const double snapped = std::fabs(mm) < 1e9 ? std::round(mm * kMillionths) / kMillionths : mm;
    return std::floor(snapped * 10.0 + 1e-6) / 10.0 + 0.0;  // + 0 turns -0 into 0
}

std::wstring TenthsText(double mm)
{
    const double tenths = std::round(Tenths(mm) * 10.0) + 0.0;
    if (std::fmod(tenths, 10.0) == 0.0)
        return Printed(L"%.0f", tenths / 10.0);
    return Printed(L"%.1f", tenths / 10.0);
}

}  // namespace outputs
