#include "io/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>

namespace vlhost {

std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t wc : text) {
    auto c = static_cast<uint32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Malformed sequences become U+FFFD.
std::wstring Wide(const std::string& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size() + (extra == 0 ? 1 : 0);
    for (int k = 1; ok && k <= extra; ++k) {
      const auto n = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((n >> 6) != 2) ok = false;
      c = (c << 6) | (n & 0x3F);
    }
    if (!ok) {
      out += static_cast<wchar_t>(0xFFFD);
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::filesystem::path PathOf(const std::wstring& path) { return std::filesystem::path(Utf8(path)); }
std::wstring WideOf(const std::filesystem::path& path) { return Wide(path.string()); }

std::filesystem::path TemporaryBeside(const std::filesystem::path& target, const char* suffix) {
  const std::filesystem::path folder = target.parent_path();
  // Made with the permissions of any new file (the umask applied), not
  // mkstemp's owner-only ones: the file takes the target's name.
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::minstd_rand letters(static_cast<unsigned>(std::random_device{}()) ^ static_cast<unsigned>(::getpid()));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string stem = ".~";
    for (int k = 0; k < 6; ++k) stem += kLetters[letters() % (sizeof kLetters - 1)];
    const std::string name = ((folder.empty() ? std::filesystem::path(".") : folder) / stem).string() + suffix;
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

bool NameTooLong(const std::filesystem::path& target) {
  std::error_code ec;
  std::filesystem::path folder = target.parent_path();
  while (!folder.empty() && !std::filesystem::is_directory(folder, ec) && folder != folder.parent_path())
    folder = folder.parent_path();
  const long most = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return target.filename().string().size() > static_cast<std::size_t>(most > 0 ? most : 255);
}

}  // namespace vlhost
