// The host's DXF converters: the shared objects "ImpExp/dxfExport.vcl" and
// "ImpExp/dxfImport.vcl" of the host's folder of applications, loaded by path
// and made for the host's main window.
#pragma once

#include "vlapi/vlapi.h"

#include <string>
#include <vector>

class ConverterDXF {
public:
    ConverterDXF() = default;
    ~ConverterDXF() { Unload(); }
    ConverterDXF(const ConverterDXF&) = delete;
    ConverterDXF& operator=(const ConverterDXF&) = delete;

    // Loads the import converter (`fromDXF`) or the export converter, in
    // place of one loaded before. With `readToCurrentDoc` an import reads
    // into the current view of the active drawing instead of a file. False,
    // with Error() telling why, when it cannot be loaded.
    bool Init(bool fromDXF, bool readToCurrentDoc);
    bool IsLoaded() const { return static_cast<bool>(m_converter); }
    // The converter's file and why it is not loaded; empty once loaded.
    const std::wstring& Error() const { return m_error; }

    // Export: writes the document file `in` (empty: the active drawing) as the
    // DXF file `out`. Import: reads the DXF file `in` into the fragment file
    // `out`. False when no converter is loaded or the conversion failed.
    bool Convert(const std::wstring& in, const std::wstring& out);
    // Whether the converter shows what it could not read in a message box of
    // its own (as it does until told otherwise) or leaves it to Problems().
    void ShowProblems(bool show);
    // What the last conversion could not read, and why (the host's texts).
    std::vector<std::wstring> Problems() const;

private:
    void Unload();

    void* m_module = nullptr;
    vlapi::IFileConverterPtr m_converter;
    bool m_readToCurrentDoc = false;
    std::wstring m_error;
};
