#include "common/Converter.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cwctype>
#include <cstdio>
#include <map>

#include "io/Files.h"

namespace vlhost::dxf {
namespace {

// Bytes of a single-byte code page (an iconv name) as wide text; bytes the
// code page does not define become U+FFFD.
std::wstring FromCodePage(const std::string& bytes, const char* iconvName) {
  iconv_t cd = iconv_open("WCHAR_T", iconvName);
  if (cd == reinterpret_cast<iconv_t>(-1)) return Wide(bytes);
  std::wstring out;
  std::string input = bytes;
  char* in = input.data();
  std::size_t inLeft = input.size();
  wchar_t buffer[256];
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(reinterpret_cast<wchar_t*>(outPtr) - buffer));
    if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += static_cast<wchar_t>(0xFFFD);  // a byte the code page does not know, or a cut-off sequence
      ++in;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

// The cp1251 byte of each character above ASCII that cp1251 has.
const std::map<wchar_t, char>& Cp1251Bytes() {
  static const std::map<wchar_t, char> bytes = [] {
    std::map<wchar_t, char> m;
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::wstring c = FromCodePage(std::string(1, static_cast<char>(b)), "CP1251");
      if (c.size() == 1 && c[0] != 0xFFFD) m[c[0]] = static_cast<char>(b);
    }
    return m;
  }();
  return bytes;
}

bool IsUtf8(const std::string& bytes) {
  bool multi = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    // Leads of the shortest forms only (no 0xC0, 0xC1, nor past U+10FFFF).
    const int extra = c < 0x80 ? 0 : c >= 0xC2 && c <= 0xDF ? 1 : (c >> 4) == 14 ? 2 : c >= 0xF0 && c <= 0xF4 ? 3 : -1;
    if (extra < 0 || i + static_cast<std::size_t>(extra) >= bytes.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]) >> 6) != 2) return false;
    multi = multi || extra > 0;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return multi;
}

// "ANSI_1251" → "CP1251", "DOS866" → "CP866"; the DXF default is ANSI_1252.
std::string IconvName(const std::string& codePage) {
  std::string upper;
  for (char c : codePage) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* prefix : {"ANSI_", "DOS"})
    if (upper.rfind(prefix, 0) == 0 && upper.size() > std::char_traits<char>::length(prefix))
      return "CP" + upper.substr(std::char_traits<char>::length(prefix));
  if (upper == "BIG5" || upper == "GB2312" || upper == "KSC5601" || upper == "JOHAB") return upper;
  return "CP1252";
}

// Whether bytes that the file says are cp1252 are evidently Russian written
// in cp1251: a word of three or more letters all from 0xC0-0xFF (with 0xA8 and
// 0xB8, Ё and ё). Such a word is nothing in cp1252, where 0xC0-0xFF are the
// accented letters, and no Western word is made of them alone ("Größe",
// "élève" hold plain letters too).
bool LooksCp1251(const std::string& bytes) {
  std::size_t high = 0;  // letters of the word so far, all of them from 0xC0-0xFF
  bool plain = false;    // the word holds a plain Latin letter
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0xC0 || b == 0xA8 || b == 0xB8) {
      if (++high >= 3 && !plain) return true;
    } else if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      plain = true;
    } else {
      high = 0;
      plain = false;
    }
  }
  return false;
}

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// \U+XXXX escapes of characters that a code page lacks.
std::wstring DecodeUnicodeEscapes(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\' && i + 6 < text.size() && (text[i + 1] == L'U' || text[i + 1] == L'u') &&
        text[i + 2] == L'+') {
      int value = 0;
      bool ok = true;
      for (std::size_t k = 3; k < 7; ++k) {
        const int h = HexValue(text[i + k]);
        ok = ok && h >= 0;
        value = value * 16 + std::max(h, 0);
      }
      if (ok) {
        out += static_cast<wchar_t>(value);
        i += 6;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

bool Converter::Convert(const std::wstring& in, const std::wstring& out) {
  std::vector<std::wstring>& problems = problems_;
  problems.clear();
  bool done = false;
  try {
    done = Run(in, out, problems);
  } catch (const std::bad_alloc&) {
    problems.push_back(L"для преобразования не хватает памяти");
    done = false;
  } catch (const std::exception& e) {
    problems.push_back(L"файл не преобразован: " + Wide(e.what()));
    done = false;
  } catch (...) {  // dxflib's own exceptions
    problems.push_back(L"файл не читается как DXF");
    done = false;
  }
  if (!problems.empty() && show_) {
    std::wstring text = Subject(in, out) + L": ";
    for (std::size_t i = 0; i < problems.size(); ++i) text += (i ? L"; " : L"") + problems[i];
    App().MessageBox(text, Caption(), done ? vlapi::vlMBIconWarning : vlapi::vlMBIconError, 0, 0);
  }
  return done;
}

SourceDocument::SourceDocument(Application& app, const std::wstring& path) {
  vlapi::IVarnelDocumentPtr doc = path.empty() ? app.Active() : app.FindByPath(path);
  if (!doc && !path.empty()) {
    vlapi::IVarnelDocumentPtr active = app.Active();
    doc = ReadDocument(app, path, false, error_);
    close_ = static_cast<bool>(doc);
    if (active) app.Activate(active.get());  // opening made it active
  }
  doc_ = Ref<Document2D>(dynamic_cast<Document2D*>(doc.get()));
  if (!doc_ && error_.empty())
    error_ = path.empty() ? L"нет активного 2D-документа" : L"файл не 2D-документ";
}

SourceDocument::~SourceDocument() {
  if (close_ && doc_) doc_->Close(0);
}

SafeFile::SafeFile(const std::filesystem::path& target) : target_(target), temporary_(TemporaryBeside(target, ".part")) {}

SafeFile::~SafeFile() {
  if (committed_) return;
  std::error_code ec;
  std::filesystem::remove(temporary_, ec);
}

bool SafeFile::Commit() {
  std::error_code ec;
  if (temporary_.empty()) return false;
  std::filesystem::rename(temporary_, target_, ec);
  committed_ = !ec;
  return committed_;
}

std::string EncodeText(const std::wstring& text) {
  const auto& cp1251 = Cp1251Bytes();
  std::string out;
  for (wchar_t c : text) {
    if (c >= 0 && c < 0x80) {
      out += static_cast<char>(c);
    } else if (auto it = cp1251.find(c); it != cp1251.end()) {
      out += it->second;
    } else {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\U+%04X", static_cast<unsigned>(c) & 0xFFFFu);
      out += escape;
    }
  }
  return out;
}

std::wstring DecodeText(const std::string& bytes, const std::string& codePage, bool utf8, bool* asCp1251,
                        bool* asUtf8, bool* asCodePage) {
  std::wstring text;
  const bool saysUtf8 = codePage.size() >= 3 && std::toupper(static_cast<unsigned char>(codePage[0])) == 'U' &&
                       std::toupper(static_cast<unsigned char>(codePage[1])) == 'T' &&
                       std::toupper(static_cast<unsigned char>(codePage[2])) == 'F';
  bool russian = false;
  // Bytes that make whole UTF-8 sequences are UTF-8, whatever code page the
  // header names (exporters write UTF-8 under ANSI_1251 and ANSI_1252): a
  // text of a single-byte code page hardly ever makes them.
  const bool utf8Bytes = !utf8 && !saysUtf8 && IsUtf8(bytes);
  if (asUtf8) *asUtf8 = utf8Bytes && !codePage.empty();
  // And bytes of a file that should be UTF-8 but that make no UTF-8 (as a
  // writer leaves windows-1251 in an R2007 file) are in its code page.
  const bool codePageBytes = (utf8 || saysUtf8) &&
                             std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
                             !IsUtf8(bytes);
  if (asCodePage) *asCodePage = codePageBytes;
  if ((utf8 || saysUtf8 || utf8Bytes) && !codePageBytes) {
    text = Wide(bytes);
  } else {
    // A file that names no code page is in the host's own, as it writes them.
    const std::string name = IconvName(codePage.empty() || saysUtf8 ? kWrittenCodePage : codePage);
    russian = name == "CP1252" && LooksCp1251(bytes);
    text = FromCodePage(bytes, russian ? "CP1251" : name.c_str());
  }
  if (asCp1251) *asCp1251 = russian;
  return DecodeUnicodeEscapes(text);
}

std::wstring ExpandSpecials(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size() && text[i + 1] == L'%') {
      const wchar_t code = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(text[i + 2])));
      const wchar_t replacement = code == L'd' ? L'°' : code == L'p' ? L'±' : code == L'c' ? L'⌀' : code == L'%' ? L'%' : 0;
      if (replacement) {
        out += replacement;
        i += 2;
        continue;
      }
      if (code == L'u' || code == L'o') {  // underline and overline switches
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::wstring PlainMText(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'{' || c == L'}') continue;
    if (c != L'\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const wchar_t code = text[++i];
    switch (code) {
      case L'P': case L'N': case L'X': out += L'\n'; break;   // paragraph, column
      case L'~': out += L'\u00A0'; break;                     // non-breaking space
      case L'\\': case L'{': case L'}': out += code; break;  // escaped characters
      case L'L': case L'l': case L'O': case L'o': case L'K': case L'k': break;  // switches
      case L'S': {  // stacked text a^b, a/b, a#b: written side by side
        const std::size_t end = text.find(L';', i);
        const std::wstring stack = text.substr(i + 1, end == std::wstring::npos ? std::wstring::npos : end - i - 1);
        for (wchar_t s : stack) out += (s == L'^' || s == L'#') ? L'/' : s;
        i = end == std::wstring::npos ? text.size() : end;
        break;
      }
      case L'A': case L'C': case L'c': case L'F': case L'f': case L'H': case L'Q': case L'T': case L'W':
      case L'p': {  // \f...; \H...; \C...; \p...; and the like: up to the semicolon
        const std::size_t end = text.find(L';', i);
        i = end == std::wstring::npos ? text.size() : end;
        break;
      }
      default:  // no code: the text as it stands
        out += L'\\';
        out += code;
        break;
    }
  }
  return out;
}

}  // namespace vlhost::dxf
