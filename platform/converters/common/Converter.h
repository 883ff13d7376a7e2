#pragma once
// What the two DXF converters share: the converter object the creation
// function gives, the host it works for, its one message per conversion, and
// texts between the host's wide strings and a DXF file's bytes.
#include <filesystem>
#include <string>
#include <vector>

#include "host/Application.h"
#include "vlapi/Converter.h"

namespace vlhost::dxf {

class Converter : public Api<NoCore, vlapi::IFileConverter> {
 public:
  explicit Converter(Application* app) : app_(app) {}
  bool Convert(const std::wstring& in, const std::wstring& out) override;
  void SetShowProblems(bool show) override { show_ = show; }
  std::vector<std::wstring> GetProblems() override { return problems_; }

 protected:
  // The conversion proper; a text put into `problems` is shown afterwards in
  // one message naming the file (or kept for GetProblems). No exception
  // escapes Convert.
  virtual bool Run(const std::wstring& in, const std::wstring& out, std::vector<std::wstring>& problems) = 0;
  // The file the message names.
  virtual std::wstring Subject(const std::wstring& in, const std::wstring& out) const = 0;
  virtual std::wstring Caption() const = 0;
  Application& App() const { return *app_; }

 private:
  Ref<Application> app_;
  bool show_ = true;
  std::vector<std::wstring> problems_;
};

// The 2D document a conversion works on: the file `path` (already open, or
// opened without a window and closed again when the holder goes), or the
// active document for an empty path.
class SourceDocument {
 public:
  SourceDocument(Application& app, const std::wstring& path);
  ~SourceDocument();
  Document2D* Get() const { return doc_.get(); }
  const std::wstring& Error() const { return error_; }

 private:
  Ref<Document2D> doc_;
  bool close_ = false;
  std::wstring error_;
};

// Writes a file through a temporary sibling that takes its name only when
// the writing has succeeded; otherwise nothing is left behind.
class SafeFile {
 public:
  explicit SafeFile(const std::filesystem::path& target);
  ~SafeFile();
  const std::filesystem::path& Temporary() const { return temporary_; }
  bool Commit();

 private:
  std::filesystem::path target_, temporary_;
  bool committed_ = false;
};

// Texts of DXF files. Before R2007 a file's texts are in its code page
// ($DWGCODEPAGE, "ANSI_1251" and the like), with \U+XXXX for what the code
// page lacks; from R2007 on they are UTF-8.
std::string EncodeText(const std::wstring& text);  // for ANSI_1251 files
inline constexpr char kWrittenCodePage[] = "ANSI_1251";
// `codePage`: the file's $DWGCODEPAGE value (empty: none given, then the
// host's own), `utf8`: an R2007+ file. Bytes that are UTF-8, with sequences
// of several bytes, are read as UTF-8 whatever the code page, and `asUtf8`
// says so when the file names one. Bytes of an ANSI_1252 file that are
// evidently Russian in cp1251 (a word of three or more letters all from
// 0xC0-0xFF) are read as cp1251, and `asCp1251` says so. Bytes of an R2007+
// file that are no UTF-8 are read in its code page (the host's own when it
// names none, or UTF-8), and `asCodePage` says so.
std::wstring DecodeText(const std::string& bytes, const std::string& codePage, bool utf8, bool* asCp1251 = nullptr,
                        bool* asUtf8 = nullptr, bool* asCodePage = nullptr);
// %%d, %%p, %%c and %%% of single-line texts.
std::wstring ExpandSpecials(const std::wstring& text);
// The plain text of an MTEXT value: paragraphs become lines, formatting goes.
std::wstring PlainMText(const std::wstring& text);

}  // namespace vlhost::dxf

// The creation function of a converter of class T.
#define VLHOST_DXF_CONVERTER(T)                                                              \
  extern "C" __attribute__((visibility("default"))) vlapi::IFileConverter* CreateConverter( \
      vlapi::WindowHandle window) {                                                           \
    vlhost::Application* app = vlhost::Application::OfWindow(window);                        \
    if (!app) return nullptr;                                                                 \
    try {                                                                                     \
      auto* converter = new T(app);                                                           \
      converter->AddRef();                                                                    \
      return converter;                                                                       \
    } catch (...) {                                                                           \
      return nullptr;                                                                         \
    }                                                                                         \
  }
