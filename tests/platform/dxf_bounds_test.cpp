// The DXF import converter on files that bring more than a host reads:
// thousands of layers and linetypes come through whole; what lies beyond the
// caps on pieces, text, groups and objects is left out and named, and the
// rest makes a fragment that opens.
#include <fstream>
#include <functional>

#include "HostFixture.h"
#include "model/Text.h"
#include "model/View.h"
#include "support/dxf_text.h"
#include "vlhost/Converters.h"

namespace vlhost::test {
namespace {

using namespace dxftext;

struct Bounded {
  const char* name;
  std::function<std::string()> bytes;  // made when the case runs: some are tens of megabytes
  const wchar_t* why;   // in the one message; null: no message
  std::size_t objects;  // in the fragment
};
void PrintTo(const Bounded& b, std::ostream* out) { *out << b.name; }

class DxfBoundsTest : public HostTest {
 protected:
  // Converts `b` into a fragment and opens it; checks the message.
  Ref<Document2D> Convert(const Bounded& b) {
    std::ofstream(root / "big.dxf", std::ios::binary) << b.bytes();
    ConverterModule module(static_cast<vlapi::IApplication*>(app.get()), "dxfImport");
    EXPECT_TRUE(module.Loaded()) << module.Error();
    EXPECT_TRUE(module.Convert(File("big.dxf"), File("big.vfw")));
    EXPECT_EQ(app->State().messages.size(), b.why ? 1u : 0u);
    if (b.why && !app->State().messages.empty()) {
      EXPECT_NE(app->State().messages[0].text.find(b.why), std::wstring::npos) << Utf8(app->State().messages[0].text);
    }
    vlapi::IVarnelDocumentPtr doc = Api()->GetDocuments()->Open(File("big.vfw"), false, 0);
    Ref<Document2D> fragment(dynamic_cast<Document2D*>(doc.get()));
    EXPECT_TRUE(fragment) << Utf8(app->State().errorText);
    if (fragment) {
      EXPECT_EQ(fragment->ViewByNumber(0)->Items().size(), b.objects);
    }
    return fragment;
  }
};

void Append(Groups& to, const Groups& more) { to.insert(to.end(), more.begin(), more.end()); }

// `count` layers, every tenth off, each with a line drawn in a linetype of its own.
std::string LayersAndLinetypes(int count) {
  Groups tables{{0, "TABLE"}, {2, "LTYPE"}}, layers{{0, "TABLE"}, {2, "LAYER"}}, lines;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    Append(tables, {{0, "LTYPE"}, {2, "T" + n}, {70, "0"}, {72, "65"}, {73, "2"}, {40, "3"}, {49, "2"}, {49, "-1"}});
    Append(layers, {{0, "LAYER"}, {2, "L" + n}, {70, "0"}, {62, i % 10 ? "7" : "-7"}, {6, "CONTINUOUS"}});
    Append(lines, Line(i, 0, i, 1, "L" + n));
    lines.emplace_back(6, "T" + n);
  }
  Append(tables, {{0, "ENDTAB"}});
  Append(tables, layers);
  Append(tables, {{0, "ENDTAB"}});
  return File({{"TABLES", tables}, {"ENTITIES", lines}});
}

// An MTEXT of `text`.
Groups MText(const std::string& text) { return Text(0, 0, text, "MTEXT"); }

Groups Repeat(const Groups& groups, std::size_t times) {
  Groups out;
  for (std::size_t i = 0; i < times; ++i) Append(out, groups);
  return out;
}

std::string Repeated(const std::string& piece, std::size_t times) {
  std::string out;
  out.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) out += piece;
  return out;
}

class BoundedDxfTest : public DxfBoundsTest, public ::testing::WithParamInterface<Bounded> {};

TEST_P(BoundedDxfTest, KeepsWhatFitsAndNamesWhatIsLeftOut) { Convert(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Dxf, BoundedDxfTest,
    ::testing::Values(
        Bounded{"text_of_a_million_lines",
                [] { return File({{"ENTITIES", Square(0, 0, 10) + MText(Repeated("\\P", 1'000'000))}}); },
                L"объекты сверх 500 000 частей (вершин, дуговых за две, точек сплайнов, строк текстов), которые программа берёт из одного файла — 1", 4},
        Bounded{"text_copies_beyond_ten_million_characters",
                [] {
                  return File({{"BLOCKS", Block("T", MText(std::string(3'000'000, 'x')))},
                               {"ENTITIES", Insert("T", 0, 0) + Insert("T", 0, 10) + Insert("T", 0, 20) + Insert("T", 0, 30)}});
                },
                L"тексты сверх десяти миллионов символов, которые программа берёт из одного файла — 1", 3},
        Bounded{"line_of_ten_thousand_and_one_groups",
                [] { return File({{"ENTITIES", Square(0, 0, 10) + Line(0, 0, 1, 1) + Groups(10'001, {5, "A"})}}); },
                L"объекты больше чем из десяти тысяч групп помимо их списков — 1", 4},
        // An array of arrays is stopped as an array is, before a copy is
        // made: 300 × 300 copies of 300 × 300 circles make 8.1 billion; a
        // block that only holds another adds no copies.
        Bounded{"array_of_arrays",
                [] {
                  return File({{"BLOCKS", Block("H", Circle("0", "0", 0.001)) + Block("A", Insert("H", 0, 0, "1", 300, 300, 0.01))},
                               {"ENTITIES", Square(0, 0, 1000) + Insert("A", 1, 1, "1", 300, 300, 3.3)}});
                },
                L"вставки, копии которых дают объекты сверх 250 000, которые программа берёт из одного файла — 1 (вставка блока на слое «0» у (1; 1))", 4},
        Bounded{"array_of_a_block_holding_another",
                [] {
                  return File({{"BLOCKS", Block("H", Circle("0", "0", 1)) + Block("W", Insert("H", 0, 0))},
                               {"ENTITIES", Square(0, 0, 1000) + Insert("W", 5, 5, "1", 300, 300, 3)}});
                },
                nullptr, 90'004},
        Bounded{"object_of_no_kind", [] { return File({{"ENTITIES", Square(0, 0, 10) + Groups{{0, ""}, {8, "0"}}}}); },
                L"объекты без имени типа, которые не импортируются — 1 (объект без имени типа на слое «0»)", 4},
        // A polyline's vertex whose edge is an arc counts twice.
        Bounded{"polyline_of_250_001_arcs",
                [] {
                  return File({{"ENTITIES", Square(0, 0, 10) + BulgedPolyline(std::vector<std::array<double, 3>>(250'001, {1, 1, 0.5}))}});
                },
                L"объекты сверх 500 000 частей (вершин, дуговых за две, точек сплайнов, строк текстов), которые программа берёт из одного файла — 1", 4},
        // Splines and ellipses beyond a file's share cost too much to read: left out whole.
        Bounded{"spline_of_a_hundred_thousand_and_one_points",
                [] { return File({{"ENTITIES", Square(0, 0, 10) + FitSpline(std::vector<std::pair<double, double>>(100'001, {1, 1}))}}); },
                L"сплайны сверх 100 000 точек (управляющих и определяющих), которые программа берёт из одного файла — 1", 4},
        Bounded{"twenty_thousand_and_one_ellipses",
                [] { return File({{"ENTITIES", Square(0, 0, 10) + Repeat(HalfEllipse(5, 5, 2, 1, true), 20'001)}}); },
                L"эллипсы сверх 20 000, которые программа берёт из одного файла — 1", 20'004},
        // Records past two million are not looked at: the file is read as if it ended there.
        Bounded{"two_million_records_and_more",
                [] { return File({{"ENTITIES", Square(0, 0, 10) + Groups(2'000'000, {0, "FOO"}) + Line(0, 0, 5, 5)}}); },
                L"всё, что в файле дальше первых 2 000 000 записей (объектов, вершин, элементов таблиц) или 20 000 000 групп, "
                L"которые программа просматривает в одном файле (со строки 4000043); пропущено: объекты FOO, которые не импортируются — 1999995", 4}),
    [](const ::testing::TestParamInfo<Bounded>& info) { return std::string(info.param.name); });

TEST_F(DxfBoundsTest, ThousandsOfLayersAndLinetypesComeThroughWhole) {
  const int count = 5000;
  Ref<Document2D> doc = Convert({"layers", [&] { return LayersAndLinetypes(count); }, nullptr, static_cast<std::size_t>(count)});
  ASSERT_TRUE(doc);
  const View& view = *doc->ViewByNumber(0);
  EXPECT_EQ(view.LayerList().size(), static_cast<std::size_t>(count) + 1);
  EXPECT_EQ(doc->LineStyles().Own().size(), static_cast<std::size_t>(count));
  for (int i : {0, 1, count - 1}) {
    const Layer* layer = view.LayerByName(L"L" + std::to_wstring(i));
    ASSERT_TRUE(layer) << i;
    EXPECT_EQ(layer->visible, i % 10 != 0);
    const auto& line = *std::find_if(view.Items().begin(), view.Items().end(),
                                     [&](const auto& s) { return s->layer == layer->Number(); });
    const LineStyle* style = doc->LineStyles().Find(line->style);
    ASSERT_TRUE(style);
    EXPECT_EQ(style->linetype, L"T" + std::to_wstring(i));
  }
}

// Caps that take files of hundreds of thousands of objects or a million
// placed vertices to reach.
TEST_F(DxfBoundsTest, ObjectsLayersAndPlacedVerticesBeyondTheCapsAreLeftOutSlow) {
  // 100,001 layers defined; lines on 100,001 other layers, then in 100,001 linetypes.
  Groups layers{{0, "TABLE"}, {2, "LAYER"}}, onLayers = Square(0, 0, 10), inLinetypes = Square(0, 0, 10);
  for (int i = 0; i <= 100'000; ++i) {
    const std::string n = std::to_string(i);
    Append(layers, {{0, "LAYER"}, {2, "L" + n}, {70, "0"}});
    Append(onLayers, Line(0, i, 1, i, "M" + n));
    Append(inLinetypes, Line(0, i, 1, i));
    inLinetypes.emplace_back(6, "T" + n);
  }
  Append(layers, {{0, "ENDTAB"}});
  const auto convert = [&](const Bounded& b) { app->State().messages.clear(); Convert(b); };
  convert({"defined", [&] { return dxftext::File({{"TABLES", layers}, {"ENTITIES", Square(0, 0, 10)}}); },
           L"слои сверх 100 000, которые программа читает из одного файла — 1", 4});
  // What is drawn on a layer whose definition was left out is not known to be shown.
  convert({"on_a_layer_defined_past_the_cap",
           [&] { return dxftext::File({{"TABLES", layers}, {"ENTITIES", Square(0, 0, 10) + Line(0, 0, 5, 5, "L100000")}}); },
           L"объекты на слоях сверх 100 000, которые программа читает из одного файла — 1", 4});
  // Layer 0 and 99,999 others are drawn on; CONTINUOUS and 99,999 linetypes.
  convert({"on_layers", [&] { return dxftext::File({{"ENTITIES", onLayers}}); }, L"объекты на слоях сверх 100 000, которые программа читает из одного файла — 2",
           100'003});
  convert({"in_linetypes", [&] { return dxftext::File({{"ENTITIES", inLinetypes}}); }, L"объекты с типами линий сверх 100 000, которые программа читает из одного файла — 2",
           100'003});
  // Copies of a block the file does not define are objects all the same.
  Groups inserts = Square(0, 0, 10);
  for (int i = 0; i < 250'000; ++i) Append(inserts, {{0, "INSERT"}, {2, "NONE"}});
  convert({"objects", [&] { return dxftext::File({{"ENTITIES", inserts}}); }, L"объекты сверх 250 000, которые программа берёт из одного файла — 4", 4});
  // Three copies of a polyline of 150,000 vertices are placed, the fourth would pass half a million.
  const Groups polyline = Polyline(std::vector<std::pair<double, double>>(150'000, {0, 0}), false);
  convert({"copies",
           [&] {
             return dxftext::File({{"BLOCKS", Block("P", polyline)},
                                   {"ENTITIES", Insert("P", 0, 0) + Insert("P", 0, 1) + Insert("P", 0, 2) + Insert("P", 0, 3)}});
           },
           L"объекты сверх 500 000 частей (вершин, дуговых за две, точек сплайнов, строк текстов), которые программа берёт из одного файла — 1", 3});
}

}  // namespace
}  // namespace vlhost::test
