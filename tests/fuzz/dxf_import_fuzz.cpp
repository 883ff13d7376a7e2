// libFuzzer entry point of the library's import of DXF part files on the
// stand-in host: the input is the DXF file. The import never crashes or
// hangs, and a fragment it writes opens again.
#include "fuzz_host.h"

#include "host/VarnelAPI.h"
#include "io/DxfImport.h"
#include "model/NestingModel.h"
#include "vlhost/Converters.h"

namespace {

struct Run {
    std::filesystem::path root = fuzzhost::Scratch("dxf_import_fuzz");
    vlhost::Host host{root / "host"};
    std::unique_ptr<vlhost::ConverterModule> converter;
    std::filesystem::path in = root / "part.dxf";
    std::filesystem::path out = root / "parts";

    Run()
    {
        application = host.Application();
        resourceModule = application->GetResourcesModule(L"Nesting");
        converter = std::make_unique<vlhost::ConverterModule>(application, "dxfImport");
        if (!converter->Loaded())
            fuzzhost::Fail(converter->Error());
        host.NewDrawing();
        std::filesystem::create_directories(out);
    }
    ~Run()
    {
        converter.reset();
        resourceModule = nullptr;
        application = nullptr;
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Run run;
    fuzzhost::ClearFragments(run.out);
    fuzzhost::WriteInput(run.in, data, size);
    std::vector<FileMetaParams> entries{{vlhost::Host::Wide(run.in.string()), L"", 1, 0.0}};
    NestingModel model;
    dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide(run.out.string()),
                                    [](const std::wstring& path) { return run.converter->Convert(path, L""); });
    if (std::filesystem::exists(run.out / "part.vfw")) {
        vlapi::IVarnelDocumentPtr written = run.host.Open(run.out / "part.vfw", false);
        if (!written)
            fuzzhost::Fail("a part fragment the import wrote does not open: " +
                           vlhost::Host::Utf8(run.host.State().errorText));
        written->Close(0);
    }
    run.host.State().messages.clear();
    return 0;
}
