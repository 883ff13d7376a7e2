// The import of parts on a drawing of thousands of layers and linetypes: the
// curves of frozen or off layers go (and are named), every other line style
// gets its layer, and the part comes through whole.
#include "io/DxfImport.h"

#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "support/dxf_text.h"
#include "support/host_fixture.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace dxftext;

class DxfImportBoundsTest : public hosttest::HostTest {};

TEST_F(DxfImportBoundsTest, APartAmongThousandsOfLayersAndLinetypesComesThroughWhole)
{
    // A 100 × 100 square, and beside it a line on each of `count` layers
    // (every tenth off) in a linetype of its own.
    const int count = 3000;
    Groups tables{{0, "TABLE"}, {2, "LTYPE"}}, layers{{0, "TABLE"}, {2, "LAYER"}}, lines = Square(0, 0, 100);
    auto append = [](Groups& to, const Groups& more) { to.insert(to.end(), more.begin(), more.end()); };
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        append(tables, {{0, "LTYPE"}, {2, "T" + n}, {70, "0"}, {72, "65"}, {73, "2"}, {40, "3"}, {49, "2"}, {49, "-1"}});
        append(layers, {{0, "LAYER"}, {2, "L" + n}, {70, "0"}, {62, i % 10 ? "7" : "-7"}, {6, "CONTINUOUS"}});
        append(lines, Line(200 + i, 0, 200 + i, 1, "L" + n));
        lines.emplace_back(6, "T" + n);
    }
    append(tables, {{0, "ENDTAB"}});
    append(tables, layers);
    append(tables, {{0, "ENDTAB"}});
    fs::create_directories(root / "dxf");
    const fs::path dxf = root / "dxf" / "plate.dxf";
    std::ofstream(dxf, std::ios::binary) << dxftext::File({{"TABLES", tables}, {"ENTITIES", lines}});

    vlhost::ConverterModule converter(application, "dxfImport");
    ASSERT_TRUE(converter.Loaded()) << converter.Error();
    std::vector<FileMetaParams> entries{{vlhost::Host::Wide(dxf.string()), L"", 1, 0.0}};
    const size_t before = Messages().size();
    {
        NestingModel model;
        dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide((root / "out").string()),
                                        [&](const std::wstring& path) { return converter.Convert(path, L""); });
    }
    // The lines of the layers that are off are named, the first by their layers.
    ASSERT_EQ(Messages().size(), before + 1);
    EXPECT_NE(Messages().back().text.find(L"plate.dxf: деталь импортирована, но кривые на выключенных или замороженных "
                                          L"слоях не импортированы: 1 отрезок на слое «L0», 1 отрезок на слое «L10», "),
              std::wstring::npos);
    EXPECT_NE(Messages().back().text.find(L" и ещё 295 объектов на других слоях"), std::wstring::npos);
    NestingModel model;
    const FigurePtr figure = model.AddFigure(vlhost::Host::Wide((root / "out" / "plate.vfw").string()));
    ASSERT_TRUE(figure);
    EXPECT_NEAR(figure->m_area, 10000, 1e-6);

    vlapi::IVarnelDocumentPtr fragment = application->GetDocuments()->Open(File("out/plate.vfw"), false, 0);
    ASSERT_TRUE(fragment);
    vlapi::IViewPtr view = vlapi::IVarnelDocument2DPtr(fragment)->GetViewsAndLayersManager()->GetViews()->GetView(0);
    const int shown = count - count / 10;
    EXPECT_EQ(ObjectsIn(view), static_cast<size_t>(4 + shown));
    EXPECT_EQ(view->GetLayers()->GetCount(), 1 + shown);  // the outline's, and one a line style
    fragment->Close(0);
}

// Hundreds of markings that disagree or are not read: the part comes
// through, the message names the first few of each kind and counts the rest.
TEST_F(DxfImportBoundsTest, HundredsOfMarkingsAreNamedAFewAndCounted)
{
    Groups texts = Square(0, 0, 100);
    for (int i = 1; i <= 300; ++i)
        texts = texts + Text(50, 50, "[Кол-во=" + std::to_string(i) + "]") + Text(50, 50, "[Цвет=" + std::to_string(i) + "]");
    fs::create_directories(root / "dxf");
    const fs::path dxf = root / "dxf" / "marked.dxf";
    std::ofstream(dxf, std::ios::binary) << dxftext::File({{"ENTITIES", texts}});
    vlhost::ConverterModule converter(application, "dxfImport");
    ASSERT_TRUE(converter.Loaded()) << converter.Error();
    std::vector<FileMetaParams> entries{{vlhost::Host::Wide(dxf.string()), L"", 1, 0.0}};
    NestingModel model;
    dxfimport::ImportFiguresFromDxf(model, entries, vlhost::Host::Wide((root / "out").string()),
                                    [&](const std::wstring& path) { return converter.Convert(path, L""); });
    EXPECT_TRUE(fs::exists(root / "out" / "marked.vfw"));
    const std::wstring& text = Messages().back().text;
    EXPECT_NE(text.find(L"[Кол-во=9], [Кол-во=10] и ещё 290: деталь импортирована с количеством 1"), std::wstring::npos);
    EXPECT_NE(text.find(L"[Цвет=10] (ключи"), std::wstring::npos);
    EXPECT_EQ(text.find(L"[Цвет=11]"), std::wstring::npos);
    EXPECT_NE(text.find(L"маркировка не распознана — ещё 290"), std::wstring::npos);
    EXPECT_LT(text.size(), 5000u);
}

}  // namespace
