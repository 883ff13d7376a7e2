// The host's DXF converters as the library loads them: export of the active
// drawing, import back into a fragment, and the roads on which none loads.
#include "io/io_fixture.h"

#include "io/ConverterDXF.h"

#include <functional>

namespace iotest {
namespace {

using ConverterTest = IoTest;

TEST_F(ConverterTest, ExportsTheActiveDrawingAndImportsItBack)
{
    hosttest::AddRing(Container(), {{0, 0}, {100, 0}, {100, 50}, {0, 50}});
    std::filesystem::create_directories(Out());
    const std::wstring dxf = OutText() + L"/part.dxf";
    const std::wstring fragment = OutText() + L"/part.vfw";

    ConverterDXF exporter;
    ASSERT_TRUE(exporter.Init(false, false)) << vlhost::Host::Utf8(exporter.Error());
    EXPECT_TRUE(exporter.Convert(L"", dxf));
    EXPECT_NE(Bytes(Out() / "part.dxf").find("ENTITIES"), std::string::npos);
    EXPECT_FALSE(exporter.Convert(L"", OutText() + L"/missing/part.dxf"));

    ConverterDXF importer;
    ASSERT_TRUE(importer.Init(true, false)) << vlhost::Host::Utf8(importer.Error());
    EXPECT_TRUE(importer.Convert(dxf, fragment));
    vlapi::IVarnelDocument2DPtr read(host->Open(Out() / "part.vfw", false));
    ASSERT_TRUE(read);
    EXPECT_EQ(DrawingObjects(), 4u);
    read->Close(0);
}

TEST_F(ConverterTest, AConverterThatDoesNotLoadSaysWhyAndConvertsNothing)
{
    struct Case {
        const char* what;
        std::function<void()> breakHost;
    };
    const Case cases[] = {
        {"no converter file",
         [&] { std::filesystem::remove(host->Folder(vlapi::vlApplications) / "ImpExp" / "dxfExport.vcl"); }},
        {"no main window", [] { vlhost::Failures::Instance().Fail("IApplication::GetMainWindow"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.breakHost();
        ConverterDXF converter;
        EXPECT_FALSE(converter.Init(false, false));
        EXPECT_FALSE(converter.IsLoaded());
        EXPECT_NE(converter.Error().find(L"dxfExport.vcl"), std::wstring::npos);
        EXPECT_FALSE(converter.Convert(L"", OutText() + L"/card.dxf"));
        EXPECT_FALSE(std::filesystem::exists(Out() / "card.dxf"));
        vlhost::Failures::Instance().RestoreAll();
    }
}

}  // namespace
}  // namespace iotest
