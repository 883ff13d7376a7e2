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
    fuzzhost::Folder root{"dxf_import_fuzz"};
    vlhost::Host host{root.path / "host"};
    std::unique_ptr<vlhost::ConverterModule> converter;
    std::filesystem::path in = root.path / "part.dxf";
    std::filesystem::path out = root.path / "parts";

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
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Run run;
    fuzzhost::TakeInput(run.in, run.out, data, size);
    std::vector<FileMetaParams> entries{{vlhost::Host::Wide(run.in.string()), L"", 1, 0.0}};
    NestingModel model;
    dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide(run.out.string()),
                                    [](const std::wstring& path) { return run.converter->Convert(path, L""); });
    if (std::filesystem::exists(run.out / "part.vfw"))
        fuzzhost::ExpectOpens(run.host, run.out / "part.vfw", "a part fragment the import wrote");
    run.host.State().messages.clear();
    return 0;
}
