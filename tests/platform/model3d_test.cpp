// 3D documents of the stand-in host: sheet parts as a reader of assemblies
// asks for them, recipes and sketches across save and open, refusals of bad
// recipes and of files nested too deep, and the failure switch on each call.
#include <cwchar>
#include <fstream>
#include <regex>

#include "HostFixture.h"
#include "kernel/Kernel.h"
#include "model/Document3D.h"
#include "model3d/Body.h"
#include "vlapi/Runtime.h"
#include "vlhost/Host.h"
#include "vlhost/TestParts.h"

namespace vlhost::test {
namespace {

namespace tp = testparts;

class Model3DTest : public HostTest {
 protected:
  // An assembly of the test parts, not yet saved.
  vlapi::IVarnelDocument3DPtr Assembly() {
    Ref<Document3D> doc = app->NewDocument3D(vlapi::vlDocumentAssembly, false);
    tp::AddAssembly(*doc->top);
    return vlapi::IVarnelDocument3DPtr(static_cast<vlapi::IVarnelDocument3D*>(doc.get()));
  }
  static vlapi::IPartPtr Component(const vlapi::IVarnelDocument3DPtr& doc, int index) {
    return doc->GetTopPart()->GetParts()->GetItem(index);
  }
  // A sketch on the XY plane of the top part, named and updated.
  static vlapi::ISketchPtr AddSketch(const vlapi::IVarnelDocument3DPtr& doc, const std::wstring& name) {
    vlapi::IPartPtr top = doc->GetTopPart();
    vlapi::ISketchPtr sketch = vlapi::IModelContainerPtr(top)->GetSketches()->Add();
    EXPECT_TRUE(sketch->SetBaseObject(top->GetDefaultPlane(vlapi::vlPlaneXOY).get()));
    sketch->SetName(name);
    EXPECT_TRUE(sketch->Update());
    return sketch;
  }
  // Pastes the clipboard into the active document the way a library does.
  void Paste() {
    vlapi::IVarnelDocument2DPtr doc(Api()->GetActiveDocument());
    ASSERT_TRUE(doc);
    vlapi::IDrawingGroupPtr group = doc->GetDrawingGroups()->Add(true, L"");
    group->Close();
    group->ReadFromClipboard(0, 0);
    group->Store();
    group->Clear(true);
    group->Delete();
  }
  // Puts a w × h rectangle of lines on the clipboard, drawn in a drawing of its own.
  void CopyRectangle(double w, double h) {
    auto drawing = NewDrawing();
    auto view = Container(ActiveView(drawing));
    vlapi::APIObjectList lines;
    for (auto line : {AddLine(view, 0, 0, w, 0), AddLine(view, w, 0, w, h), AddLine(view, w, h, 0, h),
                      AddLine(view, 0, h, 0, 0)})
      lines.emplace_back(line);
    vlapi::IDrawingGroupPtr group = drawing->GetDrawingGroups()->Add(true, L"");
    group->AddObjects(lines);
    group->CopyToClipboard(0, 0);
    group->Clear(true);
    group->Delete();
  }
};

TEST_F(Model3DTest, SheetPartAnswersAsAReaderOfAssembliesAsks) {
  vlapi::IVarnelDocument3DPtr doc = Assembly();
  vlapi::IPartPtr bracket = Component(doc, 0);
  EXPECT_EQ(bracket->GetMaterial(), L"Сталь 3");
  vlapi::IFeaturePtr feature(bracket);
  ASSERT_TRUE(feature);
  const vlapi::BodyList bodies = feature->GetResultBodies();
  ASSERT_EQ(bodies.size(), 1u);
  const int64_t id = bodies[0]->GetId();
  EXPECT_GT(id, int64_t{1} << 31);
  EXPECT_EQ(bracket->GetBody(id)->GetId(), id);
  EXPECT_FALSE(bracket->GetBody(id + 1));

  vlapi::ISheetMetalContainerPtr container(bracket);
  ASSERT_TRUE(container);
  vlapi::ISheetMetalBendUnfoldParametersPtr unfold = container->GetUnfoldParameters();
  ASSERT_TRUE(unfold);
  EXPECT_TRUE(unfold->GetUnfold());
  // The eighteen collections in the container's order: the base plate, then the flange.
  const std::vector<vlapi::IAPIObjectPtr> collections = {
      container->GetSheetMetalBodies(),         container->GetSheetMetalBends(),        container->GetSheetMetalLineBends(),
      container->GetSheetMetalHoles(),          container->GetSheetMetalCuts(),         container->GetSheetMetalSketchBends(),
      container->GetSheetMetalClosedCorners(),  container->GetSheetMetalPlates(),       container->GetSheetMetalJogs(),
      container->GetSheetMetalBendedStraightens(), container->GetSheetMetalPressFormings(), container->GetSheetMetalShoulders(),
      container->GetSheetMetalJalousies(),      container->GetSheetMetalRibs(),         container->GetSheetMetalLoftedBodies(),
      container->GetSheetMetalPunchs(),         container->GetSheetMetalEdgeBends(),    container->GetConvertsToSheetMetal()};
  std::vector<vlapi::IFeaturePtr> elements;
  for (const auto& c : collections) {
    vlapi::ISheetMetalCollectionPtr collection(c);
    ASSERT_TRUE(collection);
    for (int i = 0; i < collection->GetCount(); ++i) elements.push_back(collection->GetItem(i));
  }
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_TRUE(vlapi::ISheetMetalBodyPtr(elements[0]));
  EXPECT_DOUBLE_EQ(vlapi::ISheetMetalBendPtr(elements[1])->GetAngle(), 90);
  for (const auto& element : {elements[0], elements[1], vlapi::IFeaturePtr(unfold)}) {
    const vlapi::ModelObjectList faces = element->GetModelObjects(vlapi::o3d_face);
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(vlapi::IFacePtr(faces[0])->GetBody()->GetId(), id);
  }
  const vlapi::FeatureList related = vlapi::IFeaturePtr(bodies[0])->GetRelatedFeatures(true, true, true);
  ASSERT_EQ(related.size(), 2u);
  vlapi::ISheetMetalBodyPtr sheet(related[0]);
  ASSERT_TRUE(sheet);
  EXPECT_DOUBLE_EQ(sheet->GetThickness(), 2);
  EXPECT_DOUBLE_EQ(sheet->GetBendCoefficient(), 0.4);
  EXPECT_DOUBLE_EQ(sheet->GetBendRadius(), 3);

  // The body's kernel solid, and its faces those the host lists.
  SPtr<MbRefItem> item(GetTransferService()->GetKernelObject(bodies[0].get(), 0));
  auto* solid = dynamic_cast<MbSolid*>(item.get());
  ASSERT_TRUE(solid);
  const vlapi::ModelObjectList faces = feature->GetModelObjects(vlapi::o3d_face);
  EXPECT_EQ(faces.size(), solid->GetShell()->GetFacesCount());
  EXPECT_EQ(GetTransferService()->GetKernelObject(faces[3].get(), 0), solid->GetShell()->GetFace(3));
  EXPECT_NEAR(vlapi::IFacePtr(faces[0])->GetArea(), 60 * 30, 1e-9);

  // A block is no sheet part.
  vlapi::IPartPtr block = Component(doc, 5);
  EXPECT_FALSE(vlapi::ISheetMetalContainerPtr(block));
  const vlapi::BodyList blockBodies = vlapi::IFeaturePtr(block)->GetResultBodies();
  ASSERT_EQ(blockBodies.size(), 1u);
  EXPECT_FALSE(vlapi::ISheetMetalBodyPtr(vlapi::IFeaturePtr(blockBodies[0])->GetRelatedFeatures(true, true, true)[0]));
}

// The part tree, its recipes (rebuilt into the same solids) and sketches with
// their drawings come back from the file.
TEST_F(Model3DTest, AssemblyWithSketchesSurvivesSaveAndOpen) {
  vlapi::IVarnelDocument3DPtr doc = Assembly();
  CopyRectangle(100, 50);
  doc->Activate();
  vlapi::ISketchPtr sketch = AddSketch(doc, L"Sheet1");
  ASSERT_TRUE(sketch->BeginEdit(0));
  Paste();
  EXPECT_TRUE(sketch->EndEdit());
  AddSketch(doc, L"Sheet2");
  ASSERT_TRUE(doc->SaveAs(File("assembly.v3d"))) << Utf8(app->State().errorText);
  doc->Close(0);

  vlapi::IVarnelDocument3DPtr opened = Api()->GetDocuments()->Open(File("assembly.v3d"), false, 1);
  ASSERT_TRUE(opened) << Utf8(app->State().errorText);
  PartData original;
  tp::AddAssembly(original);
  const PartData& read = *Host::Tree(opened);
  ASSERT_EQ(read.children.size(), original.children.size());
  for (std::size_t i = 0; i < read.children.size(); ++i) {
    const PartData &a = *read.children[i], &b = *original.children[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.designation, b.designation);
    EXPECT_EQ(a.material, b.material);
    EXPECT_EQ(a.unfold, b.unfold);
    ASSERT_EQ(a.bodies.size(), b.bodies.size());
    for (std::size_t k = 0; k < a.bodies.size(); ++k) {
      EXPECT_EQ(a.bodies[k].id, b.bodies[k].id);
      const MbFaceShell &sa = *a.bodies[k].built->solid->GetShell(), &sb = *b.bodies[k].built->solid->GetShell();
      ASSERT_EQ(sa.GetFacesCount(), sb.GetFacesCount());
      for (std::size_t f = 0; f < sa.GetFacesCount(); ++f)
        EXPECT_NEAR(sa.GetFace(f)->GetArea(), sb.GetFace(f)->GetArea(), 1e-9);
    }
  }
  EXPECT_EQ(read.children[3]->children[1]->name, L"Уголок");

  vlapi::ISketchesPtr sketches = vlapi::IModelContainerPtr(opened->GetTopPart())->GetSketches();
  ASSERT_EQ(sketches->GetCount(), 2);
  vlapi::ISketchPtr first = sketches->GetItem(0);
  EXPECT_EQ(first->GetName(), L"Sheet1");
  EXPECT_EQ(first->GetBaseObject()->GetModelObjectType(), vlapi::o3d_plane);
  vlapi::IVarnelDocument2DPtr drawing = first->BeginEdit(0);
  ASSERT_TRUE(drawing);
  EXPECT_EQ(Container(ActiveView(drawing))->GetObjects({vlapi::vlDrLineSeg}).size(), 4u);
  EXPECT_TRUE(first->EndEdit());
  const std::string svg = Host::Svg(first);
  std::size_t paths = 0;
  for (std::size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1)) ++paths;
  EXPECT_EQ(paths, 4u) << svg;
  EXPECT_EQ(sketches->GetItem(1)->GetName(), L"Sheet2");
}

TEST_F(Model3DTest, PasteLandsInTheSketchOnlyWhileItIsEdited) {
  Ref<Document3D> part = app->NewDocument3D(vlapi::vlDocumentPart, false);
  vlapi::IVarnelDocument3DPtr doc(static_cast<vlapi::IVarnelDocument3D*>(part.get()));
  vlapi::ISketchesPtr sketches = vlapi::IModelContainerPtr(doc->GetTopPart())->GetSketches();
  vlapi::ISketchPtr bare = sketches->Add();
  EXPECT_FALSE(bare->Update());
  EXPECT_FALSE(bare->BeginEdit(0));  // no base yet
  EXPECT_FALSE(bare->SetBaseObject(Assembly()->GetTopPart()->GetDefaultPlane(1).get()));  // another part's plane

  CopyRectangle(20, 10);
  doc->Activate();
  vlapi::ISketchPtr sketch = AddSketch(doc, L"Эскиз");
  vlapi::ISketchPtr other = AddSketch(doc, L"Другой");
  EXPECT_FALSE(vlapi::IVarnelDocument2DPtr(Api()->GetActiveDocument()));
  vlapi::IVarnelDocument2DPtr drawing = sketch->BeginEdit(0);
  ASSERT_TRUE(drawing);
  EXPECT_TRUE(sketch->IsEditing());
  EXPECT_FALSE(other->BeginEdit(0));  // one sketch at a time
  Paste();
  Paste();
  EXPECT_TRUE(sketch->EndEdit());
  EXPECT_FALSE(sketch->EndEdit());
  EXPECT_FALSE(vlapi::IVarnelDocument2DPtr(Api()->GetActiveDocument()));
  EXPECT_EQ(Container(ActiveView(drawing))->GetObjects({vlapi::vlAllObj}).size(), 8u);
  EXPECT_EQ(Container(ActiveView(drawing))->GetObjects({vlapi::vlAllObj}).size(), 8u);
  ASSERT_TRUE(other->BeginEdit(0));
  EXPECT_TRUE(Container(ActiveView(vlapi::IVarnelDocument2DPtr(Api()->GetActiveDocument())))
                  ->GetObjects({vlapi::vlAllObj})
                  .empty());
  doc->Close(0);
  EXPECT_FALSE(other->IsEditing());
}

// A recipe spoilt one way adds nothing and says why.
TEST(BadRecipeTest, AddsNothingAndSaysWhy) {
  const struct {
    const char* name;
    void (*spoil)(SheetRecipe&);
    const char* says;
  } cases[] = {
      {"no_thickness", [](SheetRecipe& r) { r.thickness = 0; }, "толщина"},
      {"nan_radius", [](SheetRecipe& r) { r.flanges[0].radius = NAN; }, "отгибка 1: радиус гиба не число"},
      {"narrow_bend", [](SheetRecipe& r) { r.flanges[0].angle = 1e-5; }, "отгибка 1: угол 1e-05° меньше 0.0001°"},
      {"sharp_bend", [](SheetRecipe& r) { r.flanges[0].radius = 1e-7; },
       "отгибка 1: дуга гиба 1.5708e-07 мм короче 1e-06 мм (радиус 1e-07 мм, угол 90°)"},
      {"far_bend", [](SheetRecipe& r) { r.flanges[0].radius = 99999; },
       "отгибка 1: гиб выходит за 100000 мм (радиус 99999 мм, толщина 2 мм)"},
      {"missing_edge", [](SheetRecipe& r) { r.flanges[0].edge = 9; }, "нет ребра 9"},
      {"curved_edge", [](SheetRecipe& r) { r.outline = SheetLoop::Rounded(0, 0, 60, 30, 5); }, "не прямое"},
      {"neighbours", [](SheetRecipe& r) { r.flanges.push_back(r.flanges[0]), r.flanges[1].edge = 2; }, "соседних"},
      {"same_edge", [](SheetRecipe& r) { r.flanges.push_back(r.flanges[0]); }, "две отгибки"},
      {"over_turned", [](SheetRecipe& r) { r.flanges[0].angle = 190; }, "угол"},
      {"bow_tie", [](SheetRecipe& r) { r.outline.vertices = {{0, 0, 0}, {60, 30, 0}, {60, 0, 0}, {0, 20, 0}}; },
       "пересекает сам себя"},
      {"far_away", [](SheetRecipe& r) { r.holes.push_back(SheetLoop::Circle(30, 15, 1e12)); }, "выходит за"},
      {"hole_outside", [](SheetRecipe& r) { r.holes.push_back(SheetLoop::Circle(70, 10, 3)); },
       "основание: отверстие 1 вне внешнего контура"},
      {"hole_over_edge", [](SheetRecipe& r) { r.holes.push_back(SheetLoop::Circle(59, 10, 3)); },
       "основание: отверстие 1 касается внешнего контура"},
      {"holes_meet", [](SheetRecipe& r) { r.holes = {SheetLoop::Circle(20, 10, 3), SheetLoop::Circle(25, 10, 3)}; },
       "основание: отверстие 2 касается отверстия 1"},
      {"hole_in_hole", [](SheetRecipe& r) { r.holes = {SheetLoop::Circle(20, 15, 8), SheetLoop::Circle(20, 15, 3)}; },
       "основание: отверстие 2 внутри отверстия 1"},
      {"hole_in_later_hole", [](SheetRecipe& r) {
           r.holes = {SheetLoop::Circle(50, 10, 2), SheetLoop::Circle(20, 15, 3), SheetLoop::Circle(20, 15, 8)}; },
       "основание: отверстие 2 внутри отверстия 3"},
      {"flange_hole_on_bend", [](SheetRecipe& r) { r.flanges[0].holes[0] = SheetLoop::Circle(15, 1, 3); },
       "отгибка 1: отверстие 1 касается внешнего контура"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SheetRecipe recipe = tp::LBracket().recipe;
    c.spoil(recipe);
    PartData part;
    const std::wstring error = part.AddSheet(recipe);
    EXPECT_NE(Utf8(error).find(c.says), std::string::npos) << Utf8(error);
    EXPECT_TRUE(part.bodies.empty());
  }
}

// A file is read whole or not at all: a nested tree beyond the host's depth,
// a recipe that does not build, two bodies of one id.
TEST_F(Model3DTest, DamagedFilesAreRefusedNamingWhatIsWrong) {
  std::string deep;
  const int levels = 20000;
  for (int i = 0; i < levels; ++i)
    deep += R"({"name": "Узел )" + std::to_string(i) + R"(", "designation": "", "fileName": "", "detail": false, "children": [)";
  for (int i = 0; i < levels; ++i) deep += "]}";
  deep = R"({"format": "vlhost-document", "version": 1, "type": 5, "top": )" + deep + "}";
  std::ofstream(root / "deep.v3d") << deep;
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("deep.v3d"), false, 1));
  EXPECT_NE(app->State().errorText.find(L"компонент «Узел 65» вложен глубже 64 уровней"), std::wstring::npos)
      << Utf8(app->State().errorText);

  // Saving such a tree is refused too, rather than writing what cannot be read.
  Ref<Document3D> tall = app->NewDocument3D();
  PartData* level = tall->top.get();
  for (int i = 0; i < 70; ++i) level = &level->Add(L"Узел " + std::to_wstring(i), false);
  EXPECT_FALSE(tall->SaveAs(File("tall.v3d")));
  EXPECT_FALSE(std::filesystem::exists(root / "tall.v3d"));
  EXPECT_NE(app->State().errorText.find(L"«Узел 64»"), std::wstring::npos);

  Ref<Document3D> good = app->NewDocument3D(vlapi::vlDocumentPart, false);
  good->top->name = L"Кронштейн";
  ASSERT_EQ(good->top->AddSheet(tp::LBracket().recipe), L"");
  ASSERT_EQ(good->top->AddBlock(1, 2, 3), L"");
  ASSERT_TRUE(good->SaveAs(File("good.v3d")));
  good->Close(0);
  std::ifstream in(root / "good.v3d");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  struct Damage {
    const char* after;
    const char* from;
    const char* to;
    const char* says;
  };
  for (const Damage& d : {Damage{"", "\"edge\": 1", "\"edge\": 7", "деталь «Кронштейн», тело 4294967296: отгибка 1"},
                          Damage{"", "\"thickness\": 2.0", "\"thickness\": -2.0", "толщина"},
                          Damage{"", "4294967297", "4294967296", "у двух тел один номер 4294967296"},
                          Damage{"\"block\"", "2.0", "-2.0", "размеры"}}) {
    std::string damaged = text;
    const std::size_t at = damaged.find(d.from, damaged.find(d.after));
    ASSERT_NE(at, std::string::npos) << d.from;
    damaged.replace(at, std::strlen(d.from), d.to);
    std::ofstream(root / "bad.v3d") << damaged;
    EXPECT_FALSE(Api()->GetDocuments()->Open(File("bad.v3d"), false, 1)) << d.from;
    EXPECT_NE(Utf8(app->State().errorText).find(d.says), std::string::npos) << Utf8(app->State().errorText);
  }

  // Holes past what the host builds in seconds: refused before any is built.
  std::string heavy = text;
  std::string holes = "\"holes\": [";
  for (int i = 0; i < 20000; ++i) holes += R"({"circle": [30.0, 15.0, 1.0]}, )";
  heavy.replace(heavy.find("\"holes\": ["), std::strlen("\"holes\": ["), holes);
  std::ofstream(root / "heavy.v3d") << heavy;
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("heavy.v3d"), false, 1));
  EXPECT_NE(Utf8(app->State().errorText).find("тело 4294967296: в телах документа"), std::string::npos) << Utf8(app->State().errorText);
  EXPECT_NE(Utf8(app->State().errorText).find("больше 200 000 вершин"), std::string::npos);
  // So do bodies past what the host builds in seconds, whatever their kind.
  std::string crowded = text, blocks = "\"bodies\": [";
  for (int i = 1; i <= 20000; ++i)
    blocks += R"({"id": )" + std::to_string(i) + R"(, "name": "", "pose": [0, 0, 0, 0, 0, 0], "block": [1, 1, 1]}, )";
  crowded.replace(crowded.find("\"bodies\": ["), std::strlen("\"bodies\": ["), blocks);
  std::ofstream(root / "crowded.v3d") << crowded;
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("crowded.v3d"), false, 1));
  EXPECT_NE(Utf8(app->State().errorText).find("больше 200 000 вершин"), std::string::npos)
      << Utf8(app->State().errorText);
}

// Each new host call can be made to give nothing.
TEST_F(Model3DTest, FailureSwitchCoversEachCall) {
  vlapi::IVarnelDocument3DPtr doc = Assembly();
  vlapi::IPartPtr part = Component(doc, 0);
  vlapi::IBodyPtr body = vlapi::IFeaturePtr(part)->GetResultBodies()[0];
  vlapi::ISheetMetalContainerPtr container(part);
  vlapi::ISketchPtr sketch = AddSketch(doc, L"S");
  vlapi::IFeaturePtr bend = container->GetSheetMetalBends()->GetItem(0);
  using Gives = std::function<bool()>;
  const std::vector<std::pair<const char*, Gives>> calls = {
      {"IVarnelDocument3D::GetTopPart", [&] { return !!doc->GetTopPart(); }},
      {"IPart::GetMaterial", [&] { return !part->GetMaterial().empty(); }},
      {"IPart::GetBody", [&] { return !!part->GetBody(body->GetId()); }},
      {"IPart::GetDefaultPlane", [&] { return !!part->GetDefaultPlane(1); }},
      {"IBody::GetId", [&] { return body->GetId() != 0; }},
      {"IFeature::GetResultBodies", [&] { return !vlapi::IFeaturePtr(part)->GetResultBodies().empty(); }},
      {"IFeature::GetModelObjects", [&] { return !bend->GetModelObjects(vlapi::o3d_face).empty(); }},
      {"IFeature::GetRelatedFeatures", [&] { return !vlapi::IFeaturePtr(body)->GetRelatedFeatures(1, 1, 1).empty(); }},
      {"IFace::GetBody", [&] { return !!vlapi::IFacePtr(bend->GetModelObjects(vlapi::o3d_face)[0])->GetBody(); }},
      {"IFace::GetArea", [&] { return vlapi::IFacePtr(bend->GetModelObjects(vlapi::o3d_face)[0])->GetArea() > 0; }},
      {"ISheetMetalContainer::GetUnfoldParameters", [&] { return !!container->GetUnfoldParameters(); }},
      {"ISheetMetalContainer::GetSheetMetalBends", [&] { return !!container->GetSheetMetalBends(); }},
      {"ISheetMetalContainer::GetConvertsToSheetMetal", [&] { return !!container->GetConvertsToSheetMetal(); }},
      {"ISheetMetalCollection::GetItem", [&] { return !!container->GetSheetMetalBodies()->GetItem(0); }},
      {"ISheetMetalBendUnfoldParameters::GetUnfold", [&] { return container->GetUnfoldParameters()->GetUnfold(); }},
      {"ISheetMetalBend::GetAngle", [&] { return vlapi::ISheetMetalBendPtr(bend)->GetAngle() != 0; }},
      {"ISheetMetalBend::GetRadius", [&] { return vlapi::ISheetMetalBendPtr(bend)->GetRadius() != 0; }},
      {"ISheetMetalBody::GetThickness",
       [&] { return vlapi::ISheetMetalBodyPtr(container->GetSheetMetalBodies()->GetItem(0))->GetThickness() != 0; }},
      {"ISheetMetalContainer", [&] { return !!vlapi::ISheetMetalContainerPtr(part); }},
      {"ISheetMetalBend", [&] { return !!vlapi::ISheetMetalBendPtr(bend); }},
      {"IFeature", [&] { return !!vlapi::IFeaturePtr(part); }},
      {"IModelContainer", [&] { return !!vlapi::IModelContainerPtr(part); }},
      {"IModelContainer::GetSketches", [&] { return !!vlapi::IModelContainerPtr(part)->GetSketches(); }},
      {"ISketches::Add", [&] { return !!vlapi::IModelContainerPtr(part)->GetSketches()->Add(); }},
      {"ISketches::GetItem", [&] { return !!vlapi::IModelContainerPtr(doc->GetTopPart())->GetSketches()->GetItem(0); }},
      {"ISketch::SetBaseObject", [&] { return sketch->SetBaseObject(doc->GetTopPart()->GetDefaultPlane(2).get()); }},
      {"ISketch::GetBaseObject", [&] { return !!sketch->GetBaseObject(); }},
      {"ISketch::GetName", [&] { return !sketch->GetName().empty(); }},
      {"ISketch::Update", [&] { return sketch->Update(); }},
      {"ISketch::BeginEdit", [&] { return !!sketch->BeginEdit(0) && sketch->EndEdit(); }},
      {"ITransferService::GetKernelObject", [&] { return !!GetTransferService()->GetKernelObject(body.get(), 0); }}};
  for (const auto& [name, gives] : calls) {
    EXPECT_TRUE(gives()) << name;
    FailureScope off(name);
    EXPECT_FALSE(gives()) << name;
  }
}

TEST_F(Model3DTest, ExportTimeTextTakesOneFloatingNumber) {
  const std::wstring text = app->Text(L"Nesting", 7421);
  const std::string format = Utf8(text);
  const std::regex conversion("%[-+ #0]*[0-9]*(\\.[0-9]+)?[a-zA-Z%]");
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(format.begin(), format.end(), conversion); it != std::sregex_iterator(); ++it)
    found.push_back(it->str());
  ASSERT_EQ(found.size(), 1u) << format;
  EXPECT_NE(std::string("fFeEgG").find(found[0].back()), std::string::npos) << found[0];
  wchar_t buffer[100];
  ASSERT_GT(std::swprintf(buffer, 100, text.c_str(), 12.345), 0);
  EXPECT_NE(std::wstring(buffer).find(L"12.3"), std::wstring::npos);
}

}  // namespace
}  // namespace vlhost::test
