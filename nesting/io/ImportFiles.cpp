#include "io/ImportFiles.h"

#include "geometry/UtilityFunctions.h"
#include "host/FileWriting.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <cerrno>
#include <cwctype>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace importfiles {

std::wstring CleanComponent(std::wstring name)
{
    uf::DeleteIllegalSymbolsFromStr(name, L' ');
    for (wchar_t& c : name) {
        if (c < 0x20 || c == 0x7F)
            c = L' ';
    }
    return name;
}

std::wstring CleanedText(const std::wstring& name)
{
    const std::wstring clean = CleanComponent(name);
    std::wstring signs;
    bool controls = false;
    for (size_t i = 0; i < name.size() && i < clean.size(); ++i) {
        if (clean[i] == name[i])
            continue;
        if (name[i] < 0x20 || name[i] == 0x7F)
            controls = true;
        else if (signs.find(L"«" + name.substr(i, 1) + L"»") == std::wstring::npos)
            signs += (signs.empty() ? L"«" : L", «") + name.substr(i, 1) + L"»";
    }
    if (signs.empty() && !controls)
        return {};
    std::wstring text = signs.empty() ? L"" : L"знаки " + signs;
    if (controls)
        text += signs.empty() ? L"управляющие символы" : L" и управляющие символы";
    return text + L" заменены пробелами";
}

bool IsUsableComponent(const std::wstring& component)
{
    return !component.empty() && component != L"." && component != L"..";
}

fs::path OutputFolder(std::wstring text)
{
    while (text.size() > 1 && text.back() == L'\\')
        text.pop_back();
    return vrnApi::detail::PathOf(text);
}

bool IsInside(const fs::path& folder, const fs::path& path)
{
    std::error_code ec;
    const fs::path base = fs::absolute(folder, ec).lexically_normal();
    const fs::path full = fs::absolute(path, ec).lexically_normal();
    if (ec)
        return false;
    auto b = base.begin();
    auto f = full.begin();
    for (; b != base.end() && !b->empty(); ++b, ++f) {
        if (f == full.end() || *b != *f)
            return false;
    }
    return f != full.end();
}

std::wstring NoFolderText(const fs::path& given, bool tryIt)
{
    const fs::path folder = given.has_filename() ? given : given.parent_path();  // "x/" is the folder x
    const std::wstring head = std::wstring(outputs::kNoFolder) + L" «" + vrnApi::detail::TextOf(folder) + L"»: ";
    if (const std::wstring fault = filewriting::NameFault(folder, true); !fault.empty())
        return head + fault;
    std::error_code ec;
    for (fs::path p = folder; !p.empty(); p = p.parent_path()) {
        const fs::file_status status = fs::status(p, ec);
        if (fs::exists(status) && !fs::is_directory(status))
            return head + (p == folder ? std::wstring(L"на её месте файл")
                                       : L"на пути к ней файл «" + vrnApi::detail::TextOf(p) + L"»");
        if (fs::exists(status) || p == p.parent_path())
            break;
    }
    if (!tryIt)
        return {};
    fs::create_directories(folder, ec);
    if (ec)
        return head + filewriting::FaultText(ec.value());
    return head.substr(0, head.size() - 2);
}

std::wstring NoWriteText(const fs::path& given)
{
    const fs::path folder = given.has_filename() ? given : given.parent_path();  // "x/" is the folder x
    int error = 0;
    const fs::path tried = filewriting::TemporaryBeside(folder / "part.vfw", error);
    if (!tried.empty()) {
        outputs::RemoveFile(tried);
        return {};
    }
    return L"в папку «" + vrnApi::detail::TextOf(folder) + L"» не записать файлы: " +
           (error == ENAMETOOLONG ? filewriting::FolderTooLong(folder) : filewriting::FaultText(error));
}

std::wstring ReadFault(const fs::path& file)
{
    // Not waiting for a writer, should the name be a pipe's.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        switch (const int error = errno) {
        case ENOENT:
        case ENOTDIR:
            return L"файл не найден";
        case EACCES:
        case EPERM:
            return L"нет прав на чтение";
        case ENAMETOOLONG:
            if (std::wstring fault = filewriting::NameFault(file); !fault.empty())
                return fault;
            [[fallthrough]];
        default:
            return filewriting::FaultText(error);
        }
    }
    struct stat status {};
    const bool read = ::fstat(fd, &status) == 0;
    ::close(fd);
    if (read && S_ISDIR(status.st_mode))
        return L"это папка, а не файл";
    if (read && !S_ISREG(status.st_mode))
        return L"это не файл, а устройство или канал";
    return {};
}

std::wstring FoldedName(const std::wstring& name)
{
    std::wstring folded = name;
    for (wchar_t& c : folded) {
        if ((c >= L'A' && c <= L'Z') || (c >= L'А' && c <= L'Я'))
            c = static_cast<wchar_t>(c + 0x20);
        else if (c >= 0x400 && c <= 0x40F)  // Ѐ … Џ, Ё among them
            c = static_cast<wchar_t>(c + 0x50);
        else if (c >= 0x80)
            c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return folded;
}

fs::path UniqueNames::Key(const fs::path& path)
{
    return path.parent_path().lexically_normal() / vrnApi::detail::PathOf(FoldedName(vrnApi::detail::TextOf(path.filename())));
}

fs::path UniqueNames::Earlier(const fs::path& folder, const std::wstring& file)
{
    auto [known, added] = m_earlier.try_emplace(folder.lexically_normal());
    if (added) {
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->is_regular_file(ec))
                known->second.emplace(FoldedName(vrnApi::detail::TextOf(it->path().filename())), it->path().filename());
        }
    }
    const auto found = known->second.find(FoldedName(file));
    return found == known->second.end() ? fs::path() : folder / found->second;
}

fs::path UniqueNames::Reserve(const fs::path& folder, const std::wstring& base, const std::wstring& extension)
{
    std::wstring name = base;
    for (int n = 2; m_used.count(Key(folder / vrnApi::detail::PathOf(name + extension))) != 0; ++n)
        name = base + L"_" + std::to_wstring(n);
    const fs::path earlier = Earlier(folder, name + extension);
    const fs::path path = earlier.empty() ? folder / vrnApi::detail::PathOf(name + extension) : earlier;
    m_used.insert(Key(path));
    return path;
}

MadeFolders::~MadeFolders()
{
    for (auto it = m_made.rbegin(); it != m_made.rend(); ++it) {
        std::error_code ec;
        if (fs::is_directory(*it, ec) && fs::is_empty(*it, ec) && !ec)
            fs::remove(*it, ec);
    }
}

bool MadeFolders::Ensure(const fs::path& folder)
{
    std::vector<fs::path> missing;
    std::error_code ec;
    for (fs::path p = folder; !p.empty() && !fs::exists(p, ec); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    const bool ok = outputs::EnsureFolder(folder);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (fs::is_directory(*it, ec))
            m_made.push_back(*it);
    }
    return ok;
}

HiddenFragment::HiddenFragment()
    : HiddenFragment(application ? application->GetActiveDocument() : nullptr)
{
}

HiddenFragment::HiddenFragment(vlapi::IVarnelDocumentPtr source)
    : m_document(outputs::NewHiddenDocument(vlapi::vlDocumentFragment), std::move(source), 0)
    , m_fragment(m_document.Get())
{
}

bool HiddenFragment::IsActive() const
{
    return m_fragment && application &&
           vlapi::IAPIObjectPtr(application->GetActiveDocument()) == vlapi::IAPIObjectPtr(m_fragment);
}

}  // namespace importfiles
