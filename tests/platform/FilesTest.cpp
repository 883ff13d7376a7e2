// Documents in files: what survives a save and an open, and readers that
// refuse damaged files with a message.
#include <fstream>
#include <nlohmann/json.hpp>

#include "HostFixture.h"
#include "io/Files.h"
#include "io/JsonIo.h"
#include "model/Document3D.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, DrawingContentSurvivesSaveAndOpen) {
  auto doc = NewDrawing();
  auto views = doc->GetViewsAndLayersManager()->GetViews();
  vlapi::IViewPtr sheet = views->Add(1);
  sheet->SetName(L"Лист 1");
  sheet->SetX(30);
  sheet->SetY(20);
  sheet->SetScale(0.1);
  vlapi::ILayerPtr layer = sheet->GetLayers()->Add();
  layer->SetNumber(3);
  layer->SetName(L"Раскраска");
  layer->SetVisible(false);
  auto macro = AddSquareMacro(Container(sheet), 2000, 1000);
  vlapi::IColouringPtr colouring = vlapi::IDrawingContainerPtr(macro)->GetColourings()->Add();
  vlapi::IBoundariesObjectPtr(colouring)->SetBoundaries(
      vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlDrLineSeg}), 0);
  colouring->SetColor(0x00FF00);
  colouring->SetLayer(3);
  vlapi::IDrawingTablePtr table = vlapi::ISymbols2DContainerPtr(macro)->GetDrawingTables()->AddTable(2, 5, 8, 70, 0);
  vlapi::ITextPtr(vlapi::ITablePtr(table)->GetCell(1, 2)->GetText())->SetText(L"2000x1000x3");
  vlapi::IPropertyPtr count = doc->GetPropertyMng()->AddProperty();
  count->SetName(L"Count");
  vlapi::IPropertyKeeperPtr(macro)->SetPropertyValue(count.get(), vlapi::PropertyValue(3.0), true);
  vlapi::IPropertyKeeperPtr(doc)->SetPropertyValue(doc->GetPropertyMng()->GetBuiltInProperty(vlapi::vlPropertyMaterial).get(),
                                                  vlapi::PropertyValue(std::wstring(L"Сталь 3")), false);
  vlapi::ILayoutSheetPtr page = doc->GetLayoutSheets()->GetItem(0);
  vlapi::ITextPtr(page->GetStamp()->GetCellText(1104))->SetText(L"0.87");
  AddLine(Container(sheet), 0, 0, 0.1, 1e-9);
  AddText(Container(sheet), L"Строка\nвторая\n\nчетвёртая", 5, 5, 3.5);
  ASSERT_TRUE(doc->SaveAs(File("content.vdw")));
  // Written an object and a text line at a time, it is what its whole JSON tree gives.
  std::ifstream written(root / "content.vdw", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}),
            jsonio::DocumentJson(*dynamic_cast<Document2D*>(doc.get())).dump(1));
  doc->Close(0);

  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("content.vdw"), true, 1));
  ASSERT_TRUE(opened) << Utf8(app->State().errorText);
  vlapi::IViewPtr sheetAgain = opened->GetViewsAndLayersManager()->GetViews()->FindView(L"Лист 1");
  ASSERT_TRUE(sheetAgain);
  EXPECT_EQ(sheetAgain->GetNumber(), 1);
  EXPECT_DOUBLE_EQ(sheetAgain->GetScale(), 0.1);
  vlapi::ILayerPtr layerAgain = sheetAgain->GetLayers()->FindLayer(L"Раскраска");
  ASSERT_TRUE(layerAgain);
  EXPECT_EQ(layerAgain->GetNumber(), 3);
  EXPECT_FALSE(layerAgain->GetVisible());
  vlapi::IMacroObjectPtr macroAgain = Container(sheetAgain)->GetObjects({vlapi::vlDrMacro})[0];
  vlapi::IDrawingContainerPtr members = macroAgain;
  ASSERT_EQ(members->GetColourings()->GetCount(), 1);
  vlapi::IColouringPtr colouringAgain = members->GetColourings()->GetItem(0);
  EXPECT_EQ(colouringAgain->GetColor(), 0x00FF00);
  EXPECT_EQ(vlapi::IBoundariesObjectPtr(colouringAgain)->GetBoundaries().size(), 4u);
  vlapi::IDrawingTablePtr tableAgain = members->GetObjects({vlapi::vlObjectDrawingTable})[0];
  EXPECT_EQ(vlapi::ITextPtr(vlapi::ITablePtr(tableAgain)->GetCell(1, 2)->GetText())->GetText(), L"2000x1000x3");
  vlapi::PropertyValue value;
  bool fromSource = false;
  ASSERT_TRUE(vlapi::IPropertyKeeperPtr(macroAgain)->GetPropertyValue(
      opened->GetPropertyMng()->GetProperty(L"Count").get(), value, true, fromSource));
  EXPECT_DOUBLE_EQ(value.GetDouble(), 3.0);
  ASSERT_TRUE(vlapi::IPropertyKeeperPtr(opened)->GetPropertyValue(
      opened->GetPropertyMng()->GetBuiltInProperty(vlapi::vlPropertyMaterial).get(), value, true, fromSource));
  EXPECT_EQ(value.GetString(), L"Сталь 3");
  EXPECT_EQ(vlapi::ITextPtr(opened->GetLayoutSheets()->GetItem(0)->GetStamp()->GetCellText(1104))->GetText(), L"0.87");
}

struct Damage { const char* name; const char* from; const char* to; };
void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.name; }

class DamagedFileTest : public HostTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFileTest, IsRefusedWithAMessage) {
  auto doc = NewDrawing();
  AddSquareMacro(Container(ActiveView(doc)), 20, 10);
  ASSERT_TRUE(doc->SaveAs(File("good.vdw")));
  doc->Close(0);
  std::ifstream in(root / "good.vdw");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto [name, from, to] = GetParam();
  const std::size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, std::string(from).size(), to);
  std::ofstream(root / "bad.vdw") << text;

  const std::size_t before = app->Open().size();
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("bad.vdw"), true, 1));
  EXPECT_EQ(app->Open().size(), before);
  EXPECT_NE(Api()->GetLastError()->GetCode(), 0);
  EXPECT_FALSE(app->State().errorText.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedFileTest,
                         ::testing::Values(Damage{"missing_section", "\"views\"", "\"viewz\""},
                                           Damage{"odd_byte_text", "\"data\": \"\"", "\"data\": \"abc\""},
                                           Damage{"negative_scale", "\"scale\": 1.0", "\"scale\": -1.0"},
                                           Damage{"unknown_object", "\"type\": 27", "\"type\": 999"},
                                           Damage{"unknown_version", "\"version\": 1", "\"version\": 7"},
                                           Damage{"not_json", "\"views\"", "\"views\" [ ,"}),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// A drawing is read as it streams where its fields come in this host's order,
// whole where they do not: either way it is the drawing written. `field` is
// moved to the end of each view (inView) or of the document; "": none.
struct FieldOrder { const char* name; const char* field; bool inView; };
void PrintTo(const FieldOrder& order, std::ostream* out) { *out << order.name; }

class FieldOrderTest : public HostTest, public ::testing::WithParamInterface<FieldOrder> {};

TEST_P(FieldOrderTest, OpensTheDrawingWritten) {
  auto doc = NewDrawing();
  vlapi::IViewPtr sheet = doc->GetViewsAndLayersManager()->GetViews()->Add(1);
  sheet->SetScale(0.5);
  AddSquareMacro(Container(sheet), 200, 100);
  AddLine(Container(ActiveView(doc)), 0, 0, 10, 5);
  ASSERT_TRUE(doc->SaveAs(File("written.vdw")));
  const std::string written = jsonio::DocumentJson(*dynamic_cast<Document2D*>(doc.get())).dump(1);
  doc->Close(0);

  std::ifstream in(root / "written.vdw", std::ios::binary);
  nlohmann::ordered_json file = nlohmann::ordered_json::parse(in);
  const std::string field = GetParam().field;
  const auto moveToEnd = [&](nlohmann::ordered_json& record) {
    ASSERT_TRUE(record.contains(field)) << field;
    nlohmann::ordered_json value = std::move(record[field]);
    record.erase(field);
    record[field] = std::move(value);
  };
  if (!field.empty() && GetParam().inView)
    for (auto& view : file["views"]) moveToEnd(view);
  else if (!field.empty())
    moveToEnd(file);
  std::ofstream(root / "moved.vdw", std::ios::binary) << file.dump(1);

  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("moved.vdw"), true, 1));
  ASSERT_TRUE(opened) << Utf8(app->State().errorText);
  EXPECT_EQ(jsonio::DocumentJson(*dynamic_cast<Document2D*>(opened.get())).dump(1), written);
}

INSTANTIATE_TEST_SUITE_P(Files, FieldOrderTest,
                         ::testing::Values(FieldOrder{"as_written", "", false}, FieldOrder{"version_after_views", "version", false},
                                           FieldOrder{"properties_after_views", "properties", false},
                                           FieldOrder{"view_number_after_objects", "number", true},
                                           FieldOrder{"view_layers_after_objects", "layers", true},
                                           FieldOrder{"objects_last_in_view", "objects", true}),
                         [](const ::testing::TestParamInfo<FieldOrder>& info) { return std::string(info.param.name); });

TEST_F(HostTest, FilesWithRussianNamesAreFoundAgain) {
  std::filesystem::create_directories(root / "Карты раскроя");
  const std::wstring path = WideOf(root / "Карты раскроя" / "Карта 1.vdw");
  auto doc = NewDrawing();
  ASSERT_TRUE(doc->SaveAs(path));
  EXPECT_TRUE(std::filesystem::exists(root / "Карты раскроя" / "Карта 1.vdw"));
  EXPECT_EQ(Api()->GetDocuments()->FindDocument(path), vlapi::IVarnelDocumentPtr(doc));
}

// An open document is found by any spelling of its file's path, and by the
// path it was saved under last only; the host counts the most documents open
// at once.
TEST_F(HostTest, AnOpenDocumentIsFoundByAnySpellingOfItsLastPath) {
  std::filesystem::create_directories(root / "maps" / "sub");
  std::filesystem::create_directory_symlink(root / "maps", root / "link");
  const size_t open = static_cast<size_t>(Api()->GetDocuments()->GetCount());
  auto doc = NewDrawing();
  auto other = NewDrawing();
  ASSERT_TRUE(other->SaveAs(File("other.vdw")));
  ASSERT_TRUE(doc->SaveAs(File("maps/first.vdw")));
  const vlapi::IVarnelDocumentPtr found(doc);
  for (const char* spelling : {"maps/first.vdw", "maps/./first.vdw", "maps/sub/../first.vdw", "link/first.vdw"})
    EXPECT_EQ(Api()->GetDocuments()->FindDocument(File(spelling)), found) << spelling;
  ASSERT_TRUE(doc->SaveAs(File("link/second.vdw")));
  EXPECT_EQ(Api()->GetDocuments()->FindDocument(File("maps/second.vdw")), found);
  EXPECT_FALSE(Api()->GetDocuments()->FindDocument(File("maps/first.vdw")));
  EXPECT_EQ(Api()->GetDocuments()->FindDocument(File("other.vdw")), vlapi::IVarnelDocumentPtr(other));
  other->Close(0);
  EXPECT_FALSE(Api()->GetDocuments()->FindDocument(File("other.vdw")));
  EXPECT_EQ(app->State().peakOpenDocuments, open + 2);
}

TEST_F(HostTest, ADrawingHoldingANumberThatIsNotFiniteIsNotSaved) {
  auto doc = NewDrawing();
  AddLine(Container(ActiveView(doc)), 0, 0, 1, 0);
  ASSERT_TRUE(doc->SaveAs(File("kept.vdw")));
  const auto size = std::filesystem::file_size(root / "kept.vdw");
  AddLine(Container(ActiveView(doc)), 0, 0, HUGE_VAL, 0);
  EXPECT_FALSE(doc->SaveAs(File("kept.vdw")));
  EXPECT_EQ(std::filesystem::file_size(root / "kept.vdw"), size) << "the file saved before is left whole";
  EXPECT_FALSE(std::filesystem::exists(root / "kept.vdw.writing")) << "nothing written beside it";
  EXPECT_NE(app->State().errorText.find(L"не конечно"), std::wstring::npos);
}

TEST_F(HostTest, MacrosNestedBeyondReasonAreRefused) {
  auto doc = NewDrawing();
  vlapi::IDrawingContainerPtr container = Container(ActiveView(doc));
  for (int depth = 0; depth < 70; ++depth) container = container->GetMacroObjects()->AddMacro(1);
  ASSERT_TRUE(doc->SaveAs(File("deep.vdw")));
  doc->Close(0);
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("deep.vdw"), false, 1));
  EXPECT_NE(app->State().errorText.find(L"вложены слишком глубоко"), std::wstring::npos);
}

TEST_F(HostTest, ThreeDimensionalTreeSurvivesSaveAndOpen) {
  Ref<Document3D> doc = app->NewDocument3D();
  PartData& sub = doc->top->Add(L"S1", false);
  sub.Add(L"P1", true);
  sub.Add(L"P2", true);
  doc->top->Add(L"P3", true);
  ASSERT_TRUE(doc->SaveAs(File("tree.v3d")));
  doc->Close(0);
  vlapi::IVarnelDocument3DPtr opened = Api()->GetDocuments()->Open(File("tree.v3d"), false, 1);
  ASSERT_TRUE(opened);
  vlapi::IPartsPtr parts = opened->GetTopPart()->GetParts();
  ASSERT_EQ(parts->GetCount(), 2);
  EXPECT_FALSE(parts->GetItem(0)->IsDetail());
  EXPECT_EQ(parts->GetItem(0)->GetParts()->GetItem(1)->GetName(), L"P2");
  EXPECT_TRUE(parts->GetItem(1)->IsDetail());
}

}  // namespace
}  // namespace vlhost::test
