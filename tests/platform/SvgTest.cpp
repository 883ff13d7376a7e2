// The SVG picture of a drawing: well-formed, and showing every object.
#include <pugixml.hpp>

#include <cstdlib>

#include "HostFixture.h"
#include "io/Files.h"

namespace vlhost::test {
namespace {

// A nesting-like drawing: two pages, a sheet view at scale 1:10 with a sheet
// macro, two figure macros (one turned) with labels and a colouring, a text
// layer, and a container view.
vlapi::IDrawingContainerPtr ContainerOf(const vlapi::IViewPtr& view) { return vlapi::IDrawingContainerPtr(view); }

vlapi::IVarnelDocument2DPtr BuildDrawing(const vlapi::IVarnelDocument2DPtr& doc) {
  auto pages = doc->GetLayoutSheets();
  pages->Add();
  auto views = doc->GetViewsAndLayersManager()->GetViews();
  vlapi::IViewPtr sheet = views->Add(1);
  sheet->SetName(L"Лист 1");
  sheet->SetX(30);
  sheet->SetY(70);
  sheet->SetScale(0.1);
  vlapi::ILayerPtr texts = sheet->GetLayers()->Add();
  texts->SetName(L"Надписи");
  texts->SetColor(0x0000C0);
  auto container = ContainerOf(sheet);
  vlapi::IMacroObjectPtr sheetMacro = AddSquareMacro(container, 3000, 1500);
  vlapi::ITablePtr table = vlapi::ISymbols2DContainerPtr(sheetMacro)->GetDrawingTables()->AddTable(1, 3, 60, 500, 0);
  table->SetHeaderRows(0, 1);
  vlapi::IDrawingTablePtr(table)->SetX(1400);
  vlapi::IDrawingTablePtr(table)->SetY(1400);
  const wchar_t* cells[2][3] = {{L"Лист", L"Материал", L"КИМ, %"}, {L"1", L"Сталь 3", L"41.5"}};
  for (int r = 0; r < 2; ++r)
    for (int c = 0; c < 3; ++c) {
      vlapi::ITextPtr text = table->GetCell(r, c)->GetText();
      text->SetText(cells[r][c]);
      text->GetLine(0)->SetHeight(35);
    }
  for (int k = 0; k < 2; ++k) {
    vlapi::IMacroObjectPtr figure = AddSquareMacro(container, 800, 500);
    vlapi::IDrawingContainerPtr members = figure;
    AddCircle(members, 400, 250, 100);
    vlapi::IDrawingTextPtr label = AddText(members, L"Деталь " + std::to_wstring(k + 1), 300, 150, 60);
    label->SetLayer(texts->GetNumber());
    vlapi::IColouringPtr colouring = members->GetColourings()->Add();
    vlapi::IBoundariesObjectPtr(colouring)->SetBoundaries(members->GetObjects({vlapi::vlDrLineSeg, vlapi::vlDrCircle}), 0);
    colouring->SetColor(k == 0 ? 0x80C080 : 0x4040E0);
    figure->SetPlacement(100 + 1200 * k, 100, k == 0 ? 0 : 30, 0, 1);
  }
  vlapi::IViewPtr box = views->Add(1);
  box->SetName(L"Контейнер деталей");
  box->SetX(30);
  box->SetY(340);
  box->SetScale(0.1);
  AddSquareMacro(ContainerOf(box), 600, 400);
  vlapi::ITextPtr(pages->GetItem(0)->GetStamp()->GetCellText(1101))->SetText(L"3000x1500x3");
  return doc;
}

TEST_F(HostTest, PictureIsWellFormedAndShowsEveryObject) {
  auto doc = BuildDrawing(NewDrawing());
  auto* host = dynamic_cast<Document2D*>(doc.get());
  ASSERT_TRUE(host);
  const std::string svg = RenderSvg(*host);
  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_string(svg.c_str())) << "not well-formed";
  const pugi::xml_node svgRoot = xml.child("svg");
  ASSERT_TRUE(svgRoot);
  EXPECT_EQ(svgRoot.select_nodes("//g").size(), 3u);  // one group per view
  EXPECT_TRUE(svgRoot.select_node("//text[text()='Сталь 3']"));
  // Sheet 4 lines + 2 figures × (4 lines + circle) + container 4 lines.
  EXPECT_EQ(svgRoot.select_nodes("//path[@fill='none']").size(), 18u);
  EXPECT_EQ(svgRoot.select_nodes("//path[@fill='#80c080']").size(), 1u);
  EXPECT_EQ(svgRoot.select_nodes("//path[@fill='#e04040']").size(), 1u);
  EXPECT_TRUE(svgRoot.select_node("//text[text()='Деталь 1']"));
  EXPECT_TRUE(svgRoot.select_node("//text[text()='Деталь 2']"));
  EXPECT_TRUE(svgRoot.select_node("//text[text()='1101: 3000x1500x3']"));
  // Labels take their layer's colour.
  EXPECT_EQ(std::string(svgRoot.select_node("//text[text()='Деталь 1']").node().attribute("fill").value()), "#c00000");

  // A hidden layer is not drawn.
  vlapi::IViewPtr sheet = doc->GetViewsAndLayersManager()->GetViews()->GetView(1);
  sheet->GetLayers()->FindLayer(L"Надписи")->SetVisible(false);
  EXPECT_EQ(RenderSvg(*host).find("Деталь 1"), std::string::npos);

  // A picture for a person to look at.
  sheet->GetLayers()->FindLayer(L"Надписи")->SetVisible(true);
  EXPECT_TRUE(WriteSvg(*host, File("drawing.svg")));
  if (const char* keep = std::getenv("VLHOST_KEEP_SVG"))
    std::filesystem::copy_file(root / "drawing.svg", keep, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace vlhost::test
