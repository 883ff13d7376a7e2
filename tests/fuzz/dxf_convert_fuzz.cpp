// libFuzzer entry point of the stand-in host's DXF import converter: the
// input is the DXF file. The converter never crashes, hangs or allocates
// beyond reason, and a fragment it says it wrote opens again.
#include "fuzz_host.h"

#include "vlhost/Converters.h"

namespace {

struct Run {
    std::filesystem::path root = fuzzhost::Scratch("dxf_convert_fuzz");
    vlhost::Host host{root / "host"};
    vlhost::ConverterModule converter{host.Application(), "dxfImport"};
    std::filesystem::path in = root / "in.dxf";
    std::filesystem::path out = root / "out.vfw";

    Run()
    {
        if (!converter.Loaded())
            fuzzhost::Fail(converter.Error());
        host.NewDrawing();
    }
    ~Run()
    {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Run run;
    fuzzhost::ClearFragments(run.root);
    fuzzhost::WriteInput(run.in, data, size);
    const std::wstring in = vlhost::Host::Wide(run.in.string());
    if (run.converter.Convert(in, vlhost::Host::Wide(run.out.string()))) {
        vlapi::IVarnelDocumentPtr written = run.host.Open(run.out, false);
        if (!written)
            fuzzhost::Fail("a fragment the converter wrote does not open: " + vlhost::Host::Utf8(run.host.State().errorText));
        written->Close(0);
    }
    // Into the active drawing too; it starts empty each time.
    vlapi::IVarnelDocument2DPtr drawing = run.host.NewDrawing();
    run.converter.Convert(in, L"");
    drawing->Close(0);
    run.host.State().messages.clear();
    return 0;
}
