#include "host/FileWriting.h"

#include "host/VarnelAPI_Detail.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace filewriting {
namespace {

// The nearest folder of `path` that stands; "." for a relative path none of whose folders does.
fs::path StandingFolder(fs::path folder)
{
    std::error_code ec;
    while (!folder.empty() && !fs::is_directory(folder, ec) && folder != folder.parent_path())
        folder = folder.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// A limit of the file system of `folder` (pathconf), or `otherwise` when it gives none.
size_t Limit(const fs::path& folder, int name, long otherwise)
{
    const long limit = ::pathconf(folder.c_str(), name);
    return static_cast<size_t>(limit > 0 ? limit : otherwise);
}

// "1 байт", "2 байта", "5 байт".
std::wstring Bytes(size_t n)
{
    const size_t tens = n % 100, ones = n % 10;
    const bool few = ones >= 2 && ones <= 4 && !(tens >= 12 && tens <= 14);
    return std::to_wstring(n) + (few ? L" байта" : L" байт");
}

std::wstring TooLong(const wchar_t* what, size_t bytes, size_t most)
{
    return std::wstring(what) + L" (" + Bytes(bytes) + L", допустимо не больше " + Bytes(most) + L")";
}

}  // namespace

std::wstring NameFault(const fs::path& target, bool folder)
{
    const fs::path standing = StandingFolder(target.parent_path());
    const size_t mostName = Limit(standing, _PC_NAME_MAX, NAME_MAX);
    for (auto part = target.begin(); part != target.end(); ++part) {
        const size_t name = part->native().size();
        if (name > mostName)
            return TooLong(folder || std::next(part) != target.end() ? kFolderNameTooLong : kNameTooLong, name, mostName);
    }
    std::error_code ec;
    const fs::path full = fs::absolute(target, ec);
    const size_t path = (ec ? target : full).native().size();
    const size_t mostPath = Limit(standing, _PC_PATH_MAX, PATH_MAX) - 1;  // the limit counts the ending zero
    if (path > mostPath)
        return TooLong(kPathTooLong, path, mostPath);
    return {};
}

std::wstring FolderTooLong(const fs::path& folder)
{
    std::error_code ec;
    const fs::path full = fs::absolute(folder, ec);
    return L"путь к папке слишком длинный для записи в неё (" + Bytes((ec ? folder : full).native().size()) + L")";
}

fs::path TemporaryBeside(const fs::path& target, int& error, int* open)
{
    // An extension longer than a few letters is a part of the name, not its kind.
    constexpr size_t kLongestExtension = 8;
    std::string suffix = ".tmp";
    if (const std::string extension = target.extension().string(); extension.size() <= kLongestExtension)
        suffix += extension;
    const fs::path folder = target.parent_path();
    // Made with the permissions of any new file (the umask applied), not
    // mkstemp's owner-only ones: the file takes the target's name, and those
    // who read the folder read it.
    constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    // Plain static, not thread_local: everything runs on the host's one
    // thread, and thread storage of a library the host unloads outlives it.
    static std::minstd_rand letters(static_cast<unsigned>(std::random_device{}()) ^
                                    static_cast<unsigned>(::getpid()));
    std::string name;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        std::string stem = ".~";
        for (int k = 0; k < 6; ++k)
            stem += kLetters[letters() % (sizeof kLetters - 1)];
        name = ((folder.empty() ? fs::path(".") : folder) / stem).string() + suffix;
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = errno;
        return {};
    }
    if (open)
        *open = fd;
    else
        ::close(fd);
    error = 0;
    return name;
}

fs::path LinkTarget(const fs::path& path, int* error)
{
    constexpr int kMaxLinks = 40;
    fs::path target = path;
    std::error_code ec;
    if (error)
        *error = 0;
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!fs::is_symlink(target, ec))
            return target;
        const fs::path link = fs::read_symlink(target, ec);
        if (ec)
            break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    // Links that loop (or one that cannot be read) lead nowhere.
    if (error)
        *error = ec ? ec.value() : ELOOP;
    return path;
}

std::wstring WriteFault(const fs::path& target, const fs::path& place, int error, const std::wstring& unknown)
{
    const std::wstring why = error != 0 ? FaultText(error) : unknown;
    if (place == target)
        return why;
    const std::wstring to = vrnApi::detail::TextOf(place);
    return error == EISDIR ? L"ссылка ведёт на папку " + to : L"ссылка ведёт на " + to + L": " + why;
}

void KeepMode(const fs::path& file, const fs::path& old)
{
    struct stat was {};
    if (::stat(old.c_str(), &was) == 0 && S_ISREG(was.st_mode))
        ::chmod(file.c_str(), was.st_mode & 07777);
}

bool MoveOver(const fs::path& from, const fs::path& to, std::error_code& error)
{
    fs::rename(from, to, error);
    if (error.value() != EXDEV)
        return !error;
    int made = 0;
    const fs::path beside = TemporaryBeside(to, made);
    if (beside.empty()) {
        error.assign(made, std::generic_category());
        return false;
    }
    fs::copy_file(from, beside, fs::copy_options::overwrite_existing, error);
    if (!error) {
        struct stat mode {};
        if (::stat(from.c_str(), &mode) == 0)
            ::chmod(beside.c_str(), mode.st_mode & 07777);
        fs::rename(beside, to, error);
    }
    if (error) {
        std::error_code ignored;
        fs::remove(beside, ignored);
        return false;
    }
    fs::remove(from, error);
    error.clear();
    return true;
}

std::wstring FaultText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return L"нет прав на запись";
    case EROFS:
        return L"диск доступен только для чтения";
    case ENOSPC:
    case EDQUOT:
        return L"на диске нет места";
    case ENAMETOOLONG:
        return kNameTooLong;
    case ENOENT:
    case ENOTDIR:
        return L"папка не найдена";
    case EISDIR:
        return L"на месте файла стоит папка";
    case ELOOP:
        return L"символические ссылки ведут по кругу";
    default:
        return vrnApi::detail::TextOf(fs::path(std::strerror(error)));
    }
}

}  // namespace filewriting
