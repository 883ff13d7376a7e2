#include "io/ConverterDXF.h"

#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

#include <pugixml.hpp>

#include <filesystem>

#include <dlfcn.h>

bool ConverterDXF::Init(bool fromDXF, bool readToCurrentDoc)
{
    Unload();
    m_readToCurrentDoc = readToCurrentDoc;
    const std::wstring folder = vrnApi::GetSystemPathToLibs();
    const std::filesystem::path file = vrnApi::detail::PathOf(folder) / "ImpExp" /
                                       (fromDXF ? "dxfImport.vcl" : "dxfExport.vcl");
    const std::wstring shown = vrnApi::detail::TextOf(file);
    vlapi::WindowHandle window = application ? application->GetMainWindow() : nullptr;
    if (folder.empty() || !window) {
        m_error = shown + L": нет главного окна программы";
        return false;
    }
    m_module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module) {
        const char* why = dlerror();
        m_error = shown + L": " + (why ? pugi::as_wide(why) : std::wstring(L"не загружается"));
        return false;
    }
    auto create = reinterpret_cast<vlapi::CreateConverterFunction>(dlsym(m_module, vlapi::kCreateConverterName));
    vlapi::IFileConverter* converter = nullptr;
    try {
        converter = create ? create(window) : nullptr;
    } catch (...) {
        converter = nullptr;
    }
    if (!converter) {
        Unload();
        m_error = shown + L": конвертер не создан";
        return false;
    }
    m_converter = vlapi::IFileConverterPtr::Attach(converter);
    m_error.clear();
    return true;
}

bool ConverterDXF::Convert(const std::wstring& in, const std::wstring& out)
{
    if (!m_converter)
        return false;
    try {
        return m_converter->Convert(in, m_readToCurrentDoc ? std::wstring() : out);
    } catch (...) {
        return false;
    }
}

void ConverterDXF::ShowProblems(bool show)
{
    if (m_converter)
        m_converter->SetShowProblems(show);
}

std::vector<std::wstring> ConverterDXF::Problems() const
{
    try {
        return m_converter ? m_converter->GetProblems() : std::vector<std::wstring>{};
    } catch (...) {
        return {};
    }
}

void ConverterDXF::Unload()
{
    m_converter = nullptr;
    if (m_module)
        dlclose(m_module);
    m_module = nullptr;
    m_error.clear();
}
