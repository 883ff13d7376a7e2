// The DXF converters, loaded as a library loads them: an export read back
// strictly by ezdxf (Debian's /usr/bin/python3), its import back into the
// host, awkward files written by ezdxf, and files that cannot be read.
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>

#include "HostFixture.h"
#include "geom/Curves.h"
#include "model/Macro.h"
#include "model/Table.h"
#include "model/Text.h"
#include "model/View.h"
#include "support/dxf_text.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

namespace vlhost::test {
namespace {

using nlohmann::json;

// probe.py run by Debian's python with ezdxf; its output, or what went wrong.
json Probe(const std::string& args) {
  const std::string command = "/usr/bin/python3 " NESTING_SOURCE_DIR "/tests/data/dxf/probe.py " + args + " 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    if (pclose(pipe) != 0) ADD_FAILURE() << command << "\n" << output;
  }
  return json::parse(output, nullptr, false);
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

class DxfTest : public HostTest {
 protected:
  bool Convert(const char* converter, const std::wstring& in, const std::wstring& out) {
    ConverterModule module(static_cast<vlapi::IApplication*>(app.get()), converter);
    EXPECT_TRUE(module.Loaded()) << module.Error();
    return module.Convert(in, out);
  }
  // Objects of the first view of the fragment at `path`, counted by kind.
  std::map<int, int> KindsIn(Document2D& doc) {
    std::map<int, int> kinds;
    for (const auto& view : doc.Views())
      for (const auto& s : view->Items()) ++kinds[s->Type()];
    return kinds;
  }
  Ref<Document2D> OpenFragment(const std::string& name) {
    vlapi::IVarnelDocumentPtr doc = Api()->GetDocuments()->Open(File(name), false, 0);
    return Ref<Document2D>(dynamic_cast<Document2D*>(doc.get()));
  }
};

// The drawing every kind is exported from: two views at different scales,
// layers and texts in Cyrillic, a macro, a table.
struct Drawing {
  vlapi::IViewPtr small, large;
};

Drawing Fill(const vlapi::IVarnelDocument2DPtr& doc) {
  auto views = doc->GetViewsAndLayersManager()->GetViews();
  Drawing d{views->Add(1), views->Add(2)};
  d.small->SetScale(0.5);
  d.small->SetX(100);
  d.small->SetY(50);
  d.large->SetScale(2);
  d.large->SetX(400);
  vlapi::ILayerPtr outline = d.small->GetLayers()->Add();
  outline->SetName(L"Контур");
  outline->SetColor(0x0000FF);
  vlapi::ILayerPtr hidden = d.small->GetLayers()->Add();
  hidden->SetName(L"Скрытый слой");
  hidden->SetVisible(false);
  vlapi::ILayerPtr tables = d.large->GetLayers()->Add();
  tables->SetName(L"Таблица");

  vlapi::IDrawingContainerPtr small(d.small), large(d.large);
  AddLine(small, 0, 0, 40, 0)->SetLayer(1);
  vlapi::IArcPtr arc = small->GetCollection(vlapi::vlDrArc)->Add();
  arc->SetBy3Points(0, 30, 20, 30, 10, 20);  // clockwise, below its chord
  arc->SetLayer(1);
  AddCircle(small, 50, 50, 10);
  vlapi::IRectanglePtr rectangle = small->GetCollection(vlapi::vlDrRectangle)->Add();
  rectangle->SetX(60);
  rectangle->SetWidth(30);
  rectangle->SetHeight(20);
  rectangle->SetAngle(30);
  rectangle->SetStyle(5);
  vlapi::IPolyLine2DPtr poly = small->GetCollection(vlapi::vlDrPolyLine)->Add();
  poly->SetPoints({0, 60, 20, 80, 40, 60});
  poly->SetLayer(2);
  vlapi::IMacroObjectPtr turned = AddSquareMacro(small, 20, 10);
  turned->SetPlacement(200, 0, 90, 0, 0);
  AddText(vlapi::IDrawingContainerPtr(turned), L"Поз. 4", 2, 2, 3);  // runs up the sheet
  AddText(small, L"Деталь №1", 0, -20, 5)->SetLayer(1);
  AddText(small, L"Лист 2\nСталь 3", 0, -40, 4);

  Host::AddEllipse(large, 0, 0, 20, 10, 30);
  Host::AddEllipseArc(large, 60, 0, 10, 25, 0, 0, 135, false);
  Host::AddBezier(large, {0, 40, 10, 60, 20, 60, 30, 40, 40, 20, 50, 20, 60, 40}, 3);
  vlapi::INurbsPtr nurbs = large->GetCollection(vlapi::vlDrNurbs)->Add();
  nurbs->SetNurbs({0, 80, 10, 100, 30, 100, 40, 80}, {1, 2, 0.5, 1}, {0, 0, 0, 0, 1, 1, 1, 1}, 3, false);
  Host::AddConic(large, 50, 80, 60, 100, 70, 80, 0.7);
  Host::AddNurbsByPoints(large, {80, 80, 90, 95, 100, 85, 110, 90});
  auto left = AddLine(large, 0, 120, 20, 120);
  vlapi::IArcPtr cap = large->GetCollection(vlapi::vlDrArc)->Add();
  cap->SetBy3Points(20, 120, 0, 120, 10, 130);
  vlapi::IContourPtr contour = large->GetCollection(vlapi::vlDrContour)->Add();
  contour->CopyCurves({vlapi::IVarnelAPIObjectPtr(left), vlapi::IVarnelAPIObjectPtr(cap)}, 0);
  left->Delete();
  cap->Delete();
  vlapi::IMacroObjectPtr holder = large->GetMacroObjects()->AddMacro(0);
  vlapi::IDrawingTablePtr grid = vlapi::ISymbols2DContainerPtr(holder)->GetDrawingTables()->AddTable(2, 2, 8, 30, 0);
  grid->SetX(0);
  grid->SetY(200);
  grid->SetLayer(tables->GetNumber());
  vlapi::ITablePtr cells = grid;
  vlapi::ITextPtr(cells->GetCell(0, 0)->GetText())->SetText(L"Лист");
  vlapi::ITextPtr(cells->GetCell(0, 1)->GetText())->SetText(L"Масса");
  vlapi::ITextPtr(cells->GetCell(1, 1)->GetText())->SetText(L"12,5");
  return d;
}

// Every object of the document in sheet coordinates (macros by their
// members), with the name of its layer: what the export must have written.
struct Placed {
  Ref<Shape> shape;  // a copy, moved onto the sheet
  std::wstring layer;
};

std::vector<Placed> OnSheet(Document2D& doc) {
  std::vector<Placed> out;
  std::function<void(const View&, const Shape&, const geom::Transform&)> add = [&](const View& view, const Shape& s,
                                                                                   const geom::Transform& t) {
    if (const auto* macro = dynamic_cast<const MacroObject*>(&s)) {
      for (const auto& member : macro->Items()) add(view, *member, macro->Placement().then(t));
      return;
    }
    CloneMap map;
    Ref<Shape> copy = s.Clone(nullptr, map);
    copy->Apply(t);
    const Layer* layer = view.LayerByNumber(s.layer);
    out.push_back({copy, layer ? layer->Name() : L"0"});
  };
  for (const auto& view : doc.Views()) {
    const geom::Transform t = geom::Transform::scale({0, 0}, view->scale).then(geom::Transform::move(view->x, view->y));
    for (const auto& s : view->Items()) add(*view, *s, t);
  }
  return out;
}

geom::Box BoxOf(const std::vector<Ref<Shape>>& shapes) {
  geom::Box box;
  for (const auto& s : shapes) box.add(s->Box());
  return box;
}

TEST_F(DxfTest, ExportIsReadStrictlyByEzdxfAndImportsBackTheSame) {
  auto doc = NewDrawing();
  Fill(doc);
  auto* source = dynamic_cast<Document2D*>(doc.get());
  const std::wstring dxf = File("карта.dxf");
  ASSERT_TRUE(Convert("dxfExport", L"", dxf));
  EXPECT_TRUE(app->State().messages.empty());

  const json read = Probe("read " + Quoted(root / "карта.dxf"));
  ASSERT_FALSE(read.is_discarded());
  EXPECT_EQ(read["errors"], 0);
  EXPECT_EQ(read["fixes"], 0);
  std::map<std::string, int> types;
  for (const json& e : read["entities"]) ++types[e["type"].get<std::string>()];
  const std::map<std::string, int> expected = {{"LINE", 11}, {"ARC", 1},  {"CIRCLE", 1}, {"ELLIPSE", 2},
                                               {"LWPOLYLINE", 3}, {"SPLINE", 4}, {"TEXT", 5}, {"MTEXT", 1}};
  EXPECT_EQ(types, expected);
  EXPECT_TRUE(read["layers"]["Контур"]["on"]);
  EXPECT_EQ(read["layers"]["Контур"]["rgb"], json::array({255, 0, 0}));
  EXPECT_FALSE(read["layers"]["Скрытый слой"]["on"]);
  EXPECT_NE(std::find(read["linetypes"].begin(), read["linetypes"].end(), "DASHED"), read["linetypes"].end());

  // Every point ezdxf finds on a curve lies on an object of that layer on the sheet; texts are equal.
  const std::vector<Placed> placed = OnSheet(*source);
  for (const json& e : read["entities"]) {
    const std::wstring layer = Wide(e["layer"].get<std::string>());
    const std::string type = e["type"];
    if (type == "TEXT" || type == "MTEXT") {
      const std::wstring text = Wide(e["text"].get<std::string>());
      const bool found = std::any_of(placed.begin(), placed.end(), [&](const Placed& p) {
        if (auto* t = dynamic_cast<DrawingText*>(p.shape.get())) {
          const double lift = type == "MTEXT" ? t->model.Height() : 0.0;
          return t->model.Joined() == text && p.layer == layer && std::abs(t->anchor.x - e["at"][0].get<double>()) < 1e-6 &&
                 std::abs(t->anchor.y + lift - e["at"][1].get<double>()) < 1e-6 &&
                 std::abs(t->model.Height() - e["height"].get<double>()) < 1e-6 &&
                 std::abs(std::remainder(t->angle - e["rotation"].get<double>(), 360.0)) < 1e-6;
        }
        auto* table = dynamic_cast<DrawingTable*>(p.shape.get());
        return table && p.layer == layer && std::any_of(table->cells.begin(), table->cells.end(), [&](const auto& row) {
                 return std::any_of(row.begin(), row.end(), [&](const auto& c) { return c->model.Joined() == text; });
               });
      });
      EXPECT_TRUE(found) << Utf8(text);
      continue;
    }
    const bool found = std::any_of(placed.begin(), placed.end(), [&](const Placed& p) {
      if (p.layer != layer) return false;
      if (auto* table = dynamic_cast<DrawingTable*>(p.shape.get()))
        return std::all_of(e["points"].begin(), e["points"].end(), [&](const json& q) {
          return table->Box().contains({q[0].get<double>(), q[1].get<double>()}, 1e-6);
        });
      const auto curves = p.shape->Curves();
      return !curves.empty() && std::all_of(e["points"].begin(), e["points"].end(), [&](const json& q) {
        return std::any_of(curves.begin(), curves.end(), [&](const geom::Curve& c) {
          const auto near = geom::nearestPoint(c, {q[0].get<double>(), q[1].get<double>()});
          return near && near->distance < 1e-6;
        });
      });
    });
    EXPECT_TRUE(found) << type << " on " << Utf8(layer) << " lies on no object of the drawing";
  }

  // Imported into a new drawing: the same kinds by the mapping, the same box.
  auto target = NewDrawing();
  ASSERT_TRUE(Convert("dxfImport", dxf, L""));
  auto* imported = dynamic_cast<Document2D*>(target.get());
  const std::map<int, int> kinds = {{vlapi::vlDrLineSeg, 11},   {vlapi::vlDrArc, 1},     {vlapi::vlDrCircle, 1},
                                    {vlapi::vlDrEllipse, 1},    {vlapi::vlDrEllipseArc, 1}, {vlapi::vlDrPolyLine, 2},
                                    {vlapi::vlDrContour, 1},    {vlapi::vlDrNurbs, 4},   {vlapi::vlDrDrawText, 6}};
  EXPECT_EQ(KindsIn(*imported), kinds);
  for (const auto& shape : imported->CurrentView()->Items()) {
    if (const auto* text = dynamic_cast<const DrawingText*>(shape.get())) {
      EXPECT_NEAR(text->angle, text->model.Joined() == L"Поз. 4" ? 90.0 : 0.0, 1e-9) << Utf8(text->model.Joined());
    }
  }
  std::vector<Ref<Shape>> before;
  for (const auto& p : placed) before.push_back(p.shape);
  const geom::Box a = BoxOf(before), b = BoxOf(imported->CurrentView()->Items());
  EXPECT_NEAR(a.min.x, b.min.x, 1e-6);
  EXPECT_NEAR(a.min.y, b.min.y, 1e-6);
  EXPECT_NEAR(a.max.x, b.max.x, 1e-6);
  EXPECT_NEAR(a.max.y, b.max.y, 1e-6);
  View* view = imported->CurrentView();
  ASSERT_TRUE(view->LayerByName(L"Скрытый слой"));
  EXPECT_FALSE(view->LayerByName(L"Скрытый слой")->visible);
  EXPECT_EQ(view->LayerByName(L"Контур")->color, 0x0000FF);
  EXPECT_TRUE(app->State().messages.empty());
}

// Awkward files written by ezdxf import whole, into fragment files.
struct Awkward {
  const char* kind;
  std::map<int, int> kinds;
  std::wstring text;      // a text that must come through
  double firstLineLength; // millimetres, after the file's units
};
void PrintTo(const Awkward& a, std::ostream* out) { *out << a.kind; }

class AwkwardDxfTest : public DxfTest, public ::testing::WithParamInterface<Awkward> {};

const std::map<int, int> kWritten = {{vlapi::vlDrLineSeg, 2},   {vlapi::vlDrPolyLine, 4}, {vlapi::vlDrContour, 1},
                                     {vlapi::vlDrNurbs, 3},     {vlapi::vlDrCircle, 2},   {vlapi::vlDrArc, 1},
                                     {vlapi::vlDrEllipseArc, 1}, {vlapi::vlDrDrawText, 1}};

TEST_P(AwkwardDxfTest, ImportsWhole) {
  const Awkward& a = GetParam();
  const std::string name = std::string(a.kind) + ".dxf";
  Probe(std::string("write ") + a.kind + " " + Quoted(root / name));
  ASSERT_TRUE(Convert("dxfImport", File(name), File("part.vfw")));
  EXPECT_TRUE(app->State().messages.empty()) << Utf8(app->State().messages.at(0).text);
  Ref<Document2D> doc = OpenFragment("part.vfw");
  ASSERT_TRUE(doc);
  EXPECT_EQ(KindsIn(*doc), a.kinds);
  View* view = doc->ViewByNumber(0);
  std::vector<std::wstring> texts;
  int lines = 0;
  for (const auto& s : view->Items()) {
    if (auto* t = dynamic_cast<DrawingText*>(s.get())) texts.push_back(t->model.Joined());
    if (auto* l = dynamic_cast<LineSegment*>(s.get()); l && lines++ == 0) {
      EXPECT_NEAR(geom::distance(l->seg.start, l->seg.end), a.firstLineLength, 1e-9);
    }
  }
  EXPECT_NE(std::find(texts.begin(), texts.end(), a.text), texts.end());
  // Linetypes with equal patterns stay apart.
  std::set<int> styles;
  for (const auto& s : view->Items()) styles.insert(s->style);
  if (std::string(a.kind) != "r12") {
    EXPECT_EQ(styles.size(), 3u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Dxf, AwkwardDxfTest,
    ::testing::Values(Awkward{"r12", {{vlapi::vlDrPolyLine, 1}, {vlapi::vlDrContour, 1}, {vlapi::vlDrDrawText, 1}},
                              L"Деталь [Ст3] [2] [5 шт]", 0},
                      Awkward{"r2000", kWritten, L"Первая строка\nВторая строка\n[Кол-во=4]\\n[Толщина=3]", 100},
                      Awkward{"r2018", kWritten, L"Первая строка\nВторая строка\n[Кол-во=4]\\n[Толщина=3]", 1000},
                      Awkward{"crlf", kWritten, L"Первая строка\nВторая строка\n[Кол-во=4]\\n[Толщина=3]", 100}),
    [](const ::testing::TestParamInfo<Awkward>& info) { return std::string(info.param.kind); });

// Files that cannot be read: one message naming the file, nothing written.
struct Unreadable {
  const char* name;
  std::string bytes;
  const wchar_t* why;
};
void PrintTo(const Unreadable& u, std::ostream* out) { *out << u.name; }

class UnreadableDxfTest : public DxfTest, public ::testing::WithParamInterface<Unreadable> {};

TEST_P(UnreadableDxfTest, GivesOneMessageAndWritesNothing) {
  const Unreadable& u = GetParam();
  std::string bytes = u.bytes;
  if (bytes == "truncated") {
    Probe("write r2000 " + Quoted(root / "whole.dxf"));
    std::ifstream in(root / "whole.dxf", std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    bytes.resize(bytes.size() / 2);
  }
  std::ofstream(root / "bad.dxf", std::ios::binary) << bytes;
  auto doc = NewDrawing();
  EXPECT_FALSE(Convert("dxfImport", File("bad.dxf"), File("bad.vfw")));
  EXPECT_FALSE(Convert("dxfImport", File("bad.dxf"), L""));
  EXPECT_FALSE(std::filesystem::exists(root / "bad.vfw"));
  EXPECT_TRUE(ActiveView(doc) && Container(ActiveView(doc))->GetObjects({vlapi::vlAllObj}).empty());
  ASSERT_EQ(app->State().messages.size(), 2u);  // one per conversion
  const std::wstring& text = app->State().messages[0].text;
  EXPECT_NE(text.find(File("bad.dxf")), std::wstring::npos) << Utf8(text);
  EXPECT_NE(text.find(u.why), std::wstring::npos) << Utf8(text);
  EXPECT_EQ(app->State().messages[0].flags, vlapi::vlMBIconError);
}

INSTANTIATE_TEST_SUITE_P(
    Dxf, UnreadableDxfTest,
    ::testing::Values(Unreadable{"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 30), L"двоичный"},
                      Unreadable{"dwg", std::string("AC1032\0\0\0\0\0\x01\x02", 13) + std::string(64, '\x7f'), L"DWG"},
                      Unreadable{"truncated", "truncated", L"обрывается"},
                      Unreadable{"not_dxf", "hello\nworld\n", L"не файл DXF"},
                      Unreadable{"only_3d", "0\nSECTION\n2\nENTITIES\n0\n3DFACE\n8\n0\n10\n0\n20\n0\n30\n0\n0\nENDSEC\n0\nEOF\n",
                                 L"3D"}),
    [](const ::testing::TestParamInfo<Unreadable>& info) { return std::string(info.param.name); });

// A closed 3D polyline of three vertices at z 5 and at `last` for the third.
std::string Polyline3D(int last) {
  std::string text = "0\nPOLYLINE\n8\n0\n66\n1\n70\n9\n";
  for (const auto& [x, y, z] : {std::tuple{0, 0, 5}, {9, 0, 5}, {9, 9, last}})
    text += "0\nVERTEX\n8\n0\n10\n" + std::to_string(x) + "\n20\n" + std::to_string(y) + "\n30\n" +
            std::to_string(z) + "\n70\n32\n";
  return text + "0\nSEQEND\n";
}

TEST_F(DxfTest, WhatCannotBeReadIsLeftOutAndNamedOnce) {
  // A line with a coordinate that is not a number, a 3D face, a polyline that
  // claims two thousand million vertices, a block that inserts itself, one
  // good line and arc, a 3D polyline at one height (read as its plan) and
  // one that rises.
  std::ofstream(root / "mixed.dxf") << "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nLOOP\n10\n0\n20\n0\n0\nINSERT\n2\nLOOP\n"
                                       "10\n1\n20\n1\n0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n"
                                       "0\nLINE\n8\n0\n10\nnan\n20\n0\n11\n1\n21\n1\n"
                                       "0\n3DFACE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n5\n"
                                       "0\nLWPOLYLINE\n8\n0\n90\n2000000000\n10\n0\n20\n0\n10\n1\n20\n1\n"
                                       "0\nINSERT\n8\n0\n2\nLOOP\n10\n0\n20\n0\n"
                                       "0\nLINE\n8\n0\n10\n0\n20\n0\n11\n5\n21\n5\n"
                                       "0\nARC\n8\n0\n10\n10\n20\n0\n40\n5\n50\n0\n51\n90\n210\n0\n220\n0\n230\n-1\n"
                                    << Polyline3D(5) << Polyline3D(0) << "0\nENDSEC\n0\nEOF\n";
  auto doc = NewDrawing();
  ASSERT_TRUE(Convert("dxfImport", File("mixed.dxf"), L""));
  const auto objects = Container(ActiveView(doc))->GetObjects({vlapi::vlAllObj});
  ASSERT_EQ(objects.size(), 3u);
  EXPECT_EQ(objects[2]->GetType(), vlapi::vlDrPolyLine);
  // An arc whose normal is -Z lies mirrored in x: from 180 to 90 degrees about (-10, 0).
  vlapi::IArcPtr arc = objects[1];
  ASSERT_TRUE(arc);
  EXPECT_NEAR(arc->GetXc(), -10, 1e-12);
  EXPECT_NEAR(arc->GetX1(), -15, 1e-12);
  EXPECT_NEAR(arc->GetY2(), 5, 1e-12);
  EXPECT_FALSE(arc->GetDirection());
  ASSERT_EQ(app->State().messages.size(), 1u);
  const std::wstring& text = app->State().messages[0].text;
  for (const wchar_t* part : {L"mixed.dxf", L"не в десятичной записи", L"3D-объекты — 2", L"не столько, сколько заявлено", L"вставляют сами себя"})
    EXPECT_NE(text.find(part), std::wstring::npos) << Utf8(text) << " lacks " << Utf8(part);
  EXPECT_EQ(app->State().messages[0].flags, vlapi::vlMBIconWarning);
}

// Hostile files: what dxflib must not be given, or a fragment cannot hold,
// is left out and named in the one message; the rest makes a fragment that
// opens again.
struct Hostile {
  const char* name;
  std::string bytes;
  const wchar_t* why;
  std::size_t objects;      // in the fragment
  std::wstring text = L"";  // a text that comes through whole
};
void PrintTo(const Hostile& h, std::ostream* out) { *out << h.name; }

class HostileDxfTest : public DxfTest, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileDxfTest, LeavesOutWhatCannotBeReadAndWritesAFragmentThatOpens) {
  const Hostile& h = GetParam();
  std::ofstream(root / "hostile.dxf", std::ios::binary) << h.bytes;
  ASSERT_TRUE(Convert("dxfImport", File("hostile.dxf"), File("hostile.vfw")));
  ASSERT_EQ(app->State().messages.size(), 1u);
  EXPECT_NE(app->State().messages[0].text.find(h.why), std::wstring::npos) << Utf8(app->State().messages[0].text);
  Ref<Document2D> doc = OpenFragment("hostile.vfw");
  ASSERT_TRUE(doc) << Utf8(app->State().errorText);
  const auto& items = doc->ViewByNumber(0)->Items();
  EXPECT_EQ(items.size(), h.objects);
  const bool found = std::any_of(items.begin(), items.end(), [&](const auto& s) {
    auto* t = dynamic_cast<DrawingText*>(s.get());
    return t && t->model.Joined() == h.text;
  });
  EXPECT_TRUE(h.text.empty() || found);
}

using namespace dxftext;
const std::string kLongText = [] {
  std::string text;
  for (int i = 0; i < 12; ++i) text += std::string(150, 'x') + " два пробела  \u0429";  // 4,000 bytes, spaces at chunk ends
  return text;
}();

INSTANTIATE_TEST_SUITE_P(
    Dxf, HostileDxfTest,
    ::testing::Values(
        Hostile{"count_in_header",
                dxftext::File({{"HEADER", {{0, "SPLINE"}, {72, "900000000E+20"}}}, {"ENTITIES", Line(0, 0, 1, 1)}}),
                L"заголовке", 1},
        Hostile{"long_values",
                dxftext::File({{"ENTITIES", Line(0, 0, 5, 5, std::string(1024, 'A')) + Text(0, 0, std::string(1023, 'B')) +
                                                Text(0, 9, kLongText, "MTEXT")}}),
                L"объекты со значениями длиннее 1023 символов — 1", 2, Wide(kLongText)},
        // Empty blocks cost their copies: arrays in arrays are left out before
        // a copy is made, arrays side by side are cut short.
        Hostile{"empty_blocks_in_arrays_in_arrays",
                dxftext::File({{"BLOCKS", Block("C", {}) + Block("B", Insert("C", 0, 0, "1", 1000, 100, 1)) +
                                              Block("A", Insert("B", 0, 0, "1", 1000, 100, 1))},
                               {"ENTITIES", Insert("A", 0, 0) + Line(0, 0, 1, 1)}}),
                L"пропущено сверх пределов программы: вставки, блоки которых разворачиваются больше чем в десять миллионов копий и объектов", 1},
        Hostile{"empty_blocks_in_arrays_side_by_side",
                dxftext::File({{"BLOCKS", Block("C", {}) + Block("B", Insert("C", 0, 0, "1", 1000, 100, 1))},
                               {"ENTITIES", [] {
                                  Groups copies;
                                  for (int i = 0; i < 200; ++i) copies = copies + Insert("B", 0, 0);
                                  return copies;
                                }() + Line(0, 0, 1, 1)}}),
                L"вставки, блоки которых разворачиваются больше чем в десять миллионов копий и объектов", 1},
        Hostile{"block_scale_overflows",
                dxftext::File({{"BLOCKS", Block("BIG", Line(0, 0, 1e10, 0) + Text(1e10, 0, "x"))},
                               {"ENTITIES", Insert("BIG", 0, 0, "1e300") + Line(0, 0, 1, 1)}}),
                L"переполняются с масштабами блоков и единицами файла — 2", 1},
        Hostile{"units_overflow",
                dxftext::File({{"HEADER", {{9, "$INSUNITS"}, {70, "20"}}},
                               {"ENTITIES", Line(0, 0, 1e296, 0) + Text(1e296, 0, "x") + Line(0, 0, 1, 1)}}),
                L"переполняются с масштабами блоков и единицами файла — 2", 1},
        Hostile{"spline_through_one_point",
                dxftext::File({{"ENTITIES", Square(0, 0, 10) + FitSpline({{5, 5}, {5, 5}, {5, 5}})}}),
                L"сплайны через совпадающие точки — 1", 4}),
    [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

// What the reader leaves out of a block is named where each copy of the
// block puts it, counted once a copy: turned, scaled and mirrored (by a scale
// or by the extrusion), within a turned block, in an array; and what it
// leaves out on a plane turned over (-Z) stands mirrored, as drawn.
TEST_F(DxfTest, WhatIsLeftOutOfABlockIsNamedWhereItsCopiesPutIt) {
  using namespace dxftext;
  Groups rising{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {70, "8"}};
  for (const auto& [x, y, z] : {std::tuple{"5", "5", "0"}, {"10", "5", "3"}, {"10", "10", "0"}})
    rising = rising + Groups{{0, "VERTEX"}, {8, "0"}, {10, x}, {20, y}, {30, z}, {70, "32"}};
  const Groups hatch{{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {2, "SOLID"}, {91, "1"}, {92, "2"}, {72, "0"},
                     {73, "1"}, {93, "3"}, {10, "5"}, {20, "5"}, {10, "15"}, {20, "5"}, {10, "15"}, {20, "15"},
                     {97, "0"}, {75, "0"}, {76, "1"}, {98, "0"}};
  const Groups blocks = Block("H3D", rising + Groups{{0, "SEQEND"}}) + Block("HB", hatch) +
                        Block("L", Line(0, 0, 20, 0) + Groups{{60, "1"}}) +
                        Block("HOLDER", Insert("HB", 40, 20) + Groups{{50, "90"}});
  const std::wstring h3d = L"3D-объекты — 1 (полилиния на слое «0» в блоке «H3D» у ",
                     hb = L"объекты HATCH, которые не импортируются — ", at = L"штриховка на слое «0» в блоке «HB» у ";
  const std::vector<std::tuple<const char*, Groups, std::wstring>> cases = {
      {"turned_90", TurnedInsert("H3D", 150, 30, 90), h3d + L"(145; 35))"},
      {"moved", TurnedInsert("HB", 90, 50, 0), hb + L"1 (" + at + L"(95; 55))"},
      {"at_the_block_origin", TurnedInsert("L", 90, 50, 0),
       L"невидимые объекты, которые не импортируются — 1 (отрезок на слое «0» в блоке «L» у (90; 50))"},
      {"mirrored_scaled_turned_30", TurnedInsert("H3D", 150, 30, 30, -2, 2), h3d + L"(136.3397; 33.6603))"},
      {"extruded_along_minus_z", TurnedInsert("H3D", 150, 30, 0, 1, 1, {{210, "0"}, {220, "0"}, {230, "-1"}}), h3d + L"(-155; 35))"},
      {"in_a_turned_block", TurnedInsert("HOLDER", 50, 30, 90), hb + L"1 (" + at + L"(25; 65))"},
      {"in_an_array", Insert("HB", 0, 0, "1", 5, 1, 100),
       hb + L"5 (" + at + L"(5; 5), " + at + L"(105; 5), " + at + L"(205; 5) и ещё 2)"},
      {"turned_over", Circle("10", "5", 2, {{60, "1"}, {210, "0"}, {220, "0"}, {230, "-1"}}),
       L"невидимые объекты, которые не импортируются — 1 (окружность на слое «0» у (-10; 5))"},
  };
  for (const auto& [name, drawn, said] : cases) {
    SCOPED_TRACE(name);
    std::ofstream(root / "left.dxf") << dxftext::File({{"BLOCKS", blocks}, {"ENTITIES", Square(0, 0, 300) + drawn}});
    app->State().messages.clear();
    NewDrawing();
    ASSERT_TRUE(Convert("dxfImport", File("left.dxf"), L""));
    ASSERT_EQ(app->State().messages.size(), 1u);
    const std::wstring& text = app->State().messages[0].text;
    EXPECT_NE(text.find(L"пропущено: " + said), std::wstring::npos) << Utf8(text);
  }
}

// A bulged edge (0, 0)-(1000, 0) in a block keeps, once placed, the sag its
// bulge gives it (a quarter of the chord times the bulge, scaled), arcs of
// radius 1e11 and more included, and lies on its ends.
TEST_F(DxfTest, BulgedEdgesKeepTheirSagAtAnyScale) {
  const struct {
    double bulge;
    const char* sx;
    const char* sy;
    double sag;  // mm, off the placed chord's middle
  } cases[] = {{2e-9, "1", "500", 5e-4}, {-2e-9, "2", "500", -5e-4}, {0.4, "1", "0.5", 100}, {1e-6, "1", "1", 5e-4},
                 {1e-9, "500", "500", 2.5e-4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bulge);
    const Groups insert{{0, "INSERT"}, {8, "0"}, {2, "B"}, {10, "0"}, {20, "0"}, {41, c.sx}, {42, c.sy}};
    std::ofstream(root / "bulge.dxf", std::ios::binary)
        << dxftext::File({{"BLOCKS", Block("B", BulgedPolyline({{0, 0, c.bulge}, {1000, 0, 0}, {1000, 10, 0}}))},
                          {"ENTITIES", insert}});
    ASSERT_TRUE(Convert("dxfImport", File("bulge.dxf"), File("bulge.vfw")));
    Ref<Document2D> doc = OpenFragment("bulge.vfw");
    ASSERT_TRUE(doc);
    auto* contour = dynamic_cast<ContourShape*>(doc->ViewByNumber(0)->Items().at(0).get());
    ASSERT_TRUE(contour);
    const geom::Curve& edge = contour->pieces.at(0);
    const double length = 1000 * std::stod(c.sx);
    EXPECT_NEAR(geom::distance(geom::pointAt(edge, geom::domain(edge).min), {0, 0}), 0, 1e-6);
    EXPECT_NEAR(geom::distance(geom::pointAt(edge, geom::domain(edge).max), {length, 0}), 0, 1e-6);
    const geom::Point middle = geom::pointAt(edge, (geom::domain(edge).min + geom::domain(edge).max) / 2);
    EXPECT_NEAR(middle.x, length / 2, 1e-6);
    EXPECT_NEAR(middle.y, -c.sag, std::abs(c.sag) * 1e-3);
  }
}

// Texts before R2007 are in the file's code page; a file that names none is
// in UTF-8 when its bytes are, else in the host's own.
TEST_F(DxfTest, TextsAreReadInTheFilesCodePage) {
  const std::string count = "[\xCA\xEE\xEB-\xE2\xEE=4]";  // in cp1251
  const struct {
    const char* name;
    Groups header;
    std::string text;
    std::wstring read;
  } cases[] = {
      {"cp1251", {{9, "$ACADVER"}, {1, "AC1009"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1251"}}, count, L"[Кол-во=4]"},
      {"no code page", {{9, "$ACADVER"}, {1, "AC1009"}}, count, L"[Кол-во=4]"},
      {"no code page, UTF-8", {{9, "$ACADVER"}, {1, "AC1009"}}, "[Кол-во=4]", L"[Кол-во=4]"},
      {"cp1252", {{9, "$ACADVER"}, {1, "AC1009"}, {9, "$DWGCODEPAGE"}, {3, "ANSI_1252"}}, "\xC9", L"\u00C9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(root / "text.dxf", std::ios::binary)
        << dxftext::File({{"HEADER", c.header}, {"ENTITIES", Square(0, 0, 10) + Text(1, 1, c.text)}});
    ASSERT_TRUE(Convert("dxfImport", File("text.dxf"), File("text.vfw")));
    Ref<Document2D> doc = OpenFragment("text.vfw");
    ASSERT_TRUE(doc);
    std::vector<std::wstring> texts;
    for (const auto& s : doc->ViewByNumber(0)->Items())
      if (auto* t = dynamic_cast<DrawingText*>(s.get())) texts.push_back(t->model.Joined());
    EXPECT_EQ(texts, std::vector<std::wstring>{c.read});
  }
}

// Every name the file system takes is written, however little it leaves for
// a temporary name beside it: a drawing saved, a DXF file exported, a
// fragment imported; a longer name is refused, the converters saying why,
// and nothing is left beside it.
TEST_F(DxfTest, EveryNameTheFileSystemTakesIsWritten) {
  auto drawing = NewDrawing();
  AddLine(Container(ActiveView(drawing)), 0, 0, 10, 0);
  const std::string tooLong = "имя файла длиннее, чем допускает файловая система";
  for (const std::size_t bytes : {250, 255, 256}) {
    SCOPED_TRACE(bytes);
    const std::string stem(bytes - 4, 'n');
    const bool fits = bytes <= 255;
    app->State().messages.clear();
    EXPECT_EQ(drawing->SaveAs(File(stem + ".vdw")), fits);
    EXPECT_EQ(Convert("dxfExport", L"", File(stem + ".dxf")), fits);
    const std::string dxf = fits ? stem + ".dxf" : "small.dxf";  // a file to import from
    ASSERT_TRUE(fits || Convert("dxfExport", L"", File(dxf)));
    EXPECT_EQ(Convert("dxfImport", File(dxf), File(stem + ".vfw")), fits);
    std::error_code ec;
    for (const char* extension : {".vdw", ".dxf", ".vfw"})
      EXPECT_EQ(std::filesystem::exists(root / (stem + extension), ec), fits) << extension;
    if (fits) {
      EXPECT_EQ(KindsIn(*OpenFragment(stem + ".vfw")).size(), 1u);
    }
    std::size_t said = 0;
    for (const RecordedMessage& m : app->State().messages) said += Utf8(m.text).find(tooLong) != std::string::npos;
    EXPECT_EQ(said, fits ? 0u : 2u);
    for (const auto& entry : std::filesystem::directory_iterator(root))
      EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

TEST_F(DxfTest, ConvertersNeedAHostWindowAndAFileToWrite) {
  ConverterModule exporter(static_cast<vlapi::IApplication*>(app.get()), "dxfExport");
  ASSERT_TRUE(exporter.Loaded()) << exporter.Error();
  EXPECT_FALSE(exporter.Convert(L"", File("none.dxf")));  // no active document
  EXPECT_FALSE(std::filesystem::exists(root / "none.dxf"));
  NewDrawing();
  EXPECT_FALSE(exporter.Convert(L"", WideOf(root / "missing" / "folder.dxf")));
  EXPECT_EQ(app->State().messages.size(), 2u);
  // A document file is read for the export and let go again; the active document stays active.
  auto saved = NewDrawing();
  AddLine(Container(ActiveView(saved)), 0, 0, 10, 0);
  ASSERT_TRUE(saved->SaveAs(File("saved.vdw")));
  saved->Close(0);
  auto active = NewDrawing();
  EXPECT_TRUE(exporter.Convert(File("saved.vdw"), File("saved.dxf")));
  EXPECT_EQ(Api()->GetActiveDocument(), vlapi::IVarnelDocumentPtr(active));
  EXPECT_FALSE(Api()->GetDocuments()->FindDocument(File("saved.vdw")));
  EXPECT_EQ(Probe("read " + Quoted(root / "saved.dxf"))["entities"].size(), 1u);
  FailureScope noWindow("IApplication::GetMainWindow");
  ConverterModule refused(static_cast<vlapi::IApplication*>(app.get()), "dxfExport");
  EXPECT_FALSE(refused.Loaded());
}

}  // namespace
}  // namespace vlhost::test
