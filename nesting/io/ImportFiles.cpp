#include "io/ImportFiles.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <system_error>

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

bool EnsureFolder(const fs::path& folder, bool& made)
{
    std::error_code ec;
    made = fs::create_directories(folder, ec) && !ec;
    return fs::is_directory(folder, ec);
}

void RemoveIfEmpty(const fs::path& folder)
{
    std::error_code ec;
    if (fs::is_directory(folder, ec) && fs::is_empty(folder, ec) && !ec)
        fs::remove(folder, ec);
}

fs::path UniqueNames::Reserve(const fs::path& folder, const std::wstring& base, const std::wstring& extension)
{
    fs::path path = folder / vrnApi::detail::PathOf(base + extension);
    for (int n = 2; m_used.count(path.lexically_normal()) != 0; ++n)
        path = folder / vrnApi::detail::PathOf(base + L"_" + std::to_wstring(n) + extension);
    m_used.insert(path.lexically_normal());
    return path;
}

HiddenDocument::HiddenDocument(int type)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    if (!documents)
        return;
    m_source = application->GetActiveDocument();
    vlapi::IVarnelDocumentPtr made = documents->Add(type, false);
    m_document = vlapi::IVarnelDocument2DPtr(made);
    if (made && !m_document)
        made->Close(0);
}

HiddenDocument::~HiddenDocument()
{
    if (m_document) {
        m_document->Close(0);
        m_document = nullptr;
    }
    if (m_source)
        m_source->Activate();
}

bool HiddenDocument::IsActive() const
{
    return m_document && application &&
           vlapi::IAPIObjectPtr(application->GetActiveDocument()) == vlapi::IAPIObjectPtr(m_document);
}

vlapi::IVarnelDocumentPtr OpenDocument(const fs::path& path)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    return documents ? documents->FindDocument(vrnApi::detail::TextOf(path)) : nullptr;
}

bool SaveDocument(const vlapi::IVarnelDocumentPtr& doc, const fs::path& target, std::wstring& reason)
{
    std::error_code ec;
    const fs::path temp = target.parent_path() / ("." + target.filename().string() + ".part");
    fs::remove(temp, ec);
    const bool saved = doc && doc->SaveAs(vrnApi::detail::TextOf(temp)) && fs::is_regular_file(temp, ec) &&
                       fs::file_size(temp, ec) > 0 && !ec;
    if (saved)
        fs::rename(temp, target, ec);
    if (!saved || ec) {
        fs::remove(temp, ec);
        reason = kNotSaved;
        return false;
    }
    return true;
}

std::wstring Refusals::Text(const std::wstring& heading) const
{
    std::wstring text = heading;
    for (const std::wstring& line : m_lines)
        text += L"\n" + line;
    return text;
}

}  // namespace importfiles
