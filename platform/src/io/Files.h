#pragma once
// Documents in files (JSON, UTF-8) and texts between UTF-8 and wide strings.
#include <filesystem>
#include <string>

#include "vlapi/vlapi.h"

namespace vlhost {

class Application;
class Document2D;
class Document3D;

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& text);
// Paths between wide texts and the file system: names are UTF-8 bytes on disk,
// whatever the process locale (std::filesystem converts wide names by the locale).
std::filesystem::path PathOf(const std::wstring& path);
std::wstring WideOf(const std::filesystem::path& path);
// A new empty file beside `target` under a short name of its own (".~" six
// letters and `suffix`), that a file is written into before it takes the
// target's name: every name the file system takes for the target can be
// written so, however long. Empty when the folder takes no file.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target, const char* suffix);
// Whether `target`'s name is longer than the file system of its folder takes.
bool NameTooLong(const std::filesystem::path& target);

bool SaveDocument2D(Document2D& doc, const std::wstring& path);
bool SaveDocument3D(Document3D& doc, const std::wstring& path);

// Reads the document file at `path` into a new document of `app`; on failure
// the result is empty and `error` tells why.
vlapi::IVarnelDocumentPtr ReadDocument(Application& app, const std::wstring& path, bool visible, std::wstring& error);

// An SVG picture of the document's pages (unless `pages` is false), views and objects.
std::string RenderSvg(Document2D& doc, bool pages = true);
bool WriteSvg(Document2D& doc, const std::wstring& path);

}  // namespace vlhost
