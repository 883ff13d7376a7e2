// libFuzzer entry point of the stand-in host's DXF import converter: the
// input is the DXF file. The converter never crashes, hangs or allocates
// beyond reason, and a fragment it says it wrote opens again.
#include "fuzz_host.h"

#include "vlhost/Converters.h"

namespace {

struct Run {
    fuzzhost::Folder root{"dxf_convert_fuzz"};
    vlhost::Host host{root.path / "host"};
    vlhost::ConverterModule converter{host.Application(), "dxfImport"};
    std::filesystem::path in = root.path / "in.dxf";
    std::filesystem::path out = root.path / "out.vfw";

    Run()
    {
        if (!converter.Loaded())
            fuzzhost::Fail(converter.Error());
        host.NewDrawing();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Run run;
    fuzzhost::TakeInput(run.in, run.root.path, data, size);
    const std::wstring in = vlhost::Host::Wide(run.in.string());
    if (run.converter.Convert(in, vlhost::Host::Wide(run.out.string())))
        fuzzhost::ExpectOpens(run.host, run.out, "a fragment the converter wrote");
    // Into the active drawing too; it starts empty each time.
    vlapi::IVarnelDocument2DPtr drawing = run.host.NewDrawing();
    run.converter.Convert(in, L"");
    drawing->Close(0);
    run.host.State().messages.clear();
    return 0;
}
