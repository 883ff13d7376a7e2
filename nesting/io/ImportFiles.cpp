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

fs::path UniqueNames::Reserve(const fs::path& folder, const std::wstring& base, const std::wstring& extension)
{
    const std::wstring name = m_books[folder.lexically_normal()].Reserve(base, {extension});
    return folder / vrnApi::detail::PathOf(name + extension);
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
