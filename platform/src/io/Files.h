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

bool SaveDocument2D(Document2D& doc, const std::wstring& path);
bool SaveDocument3D(Document3D& doc, const std::wstring& path);

// Reads the document file at `path` into a new document of `app`; on failure
// the result is empty and `error` tells why.
vlapi::IVarnelDocumentPtr ReadDocument(Application& app, const std::wstring& path, bool visible, std::wstring& error);

// An SVG picture of the document's pages (unless `pages` is false), views and objects.
std::string RenderSvg(Document2D& doc, bool pages = true);
bool WriteSvg(Document2D& doc, const std::wstring& path);

}  // namespace vlhost
