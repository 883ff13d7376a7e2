// Drawings whose objects are drawn from each other in a circle (an equidistant
// built on itself, fills among their own boundaries) are refused on open with
// a message naming the object, and cannot be made through the host calls.
#include <fstream>
#include <nlohmann/json.hpp>

#include "HostFixture.h"

namespace vlhost::test {
namespace {

using nlohmann::json;

// A drawing with two equidistants of one rectangle, a hatch and a colouring of it.
struct Linked {
  vlapi::IEquidistantPtr first, second;
  vlapi::IHatchPtr hatch;
  vlapi::IColouringPtr colouring;
};

Linked Draw(const vlapi::IDrawingContainerPtr& c) {
  vlapi::IRectanglePtr base = c->GetCollection(vlapi::vlDrRectangle)->Add();
  base->SetWidth(40);
  base->SetHeight(20);
  Linked l{c->GetCollection(vlapi::vlDrEquidistant)->Add(), c->GetCollection(vlapi::vlDrEquidistant)->Add(),
           c->GetCollection(vlapi::vlDrHatch)->Add(), c->GetColourings()->Add()};
  for (const auto& e : {l.first, l.second}) {
    e->SetBaseObject(base.get());
    e->SetRadius1(2);
  }
  vlapi::IBoundariesObjectPtr(l.hatch)->SetBoundaries({vlapi::IDrawingObjectPtr(base)}, 0);
  vlapi::IBoundariesObjectPtr(l.colouring)->SetBoundaries({vlapi::IDrawingObjectPtr(base)}, 0);
  return l;
}

struct Cycle {
  const char* name;
  int object;                 // index in the view's objects: 1, 2 equidistants, 3 hatch, 4 colouring
  const char* field;          // what is pointed back
  int target;                 // at which object
  const wchar_t* message;
};
void PrintTo(const Cycle& c, std::ostream* out) { *out << c.name; }

class HostileLinkTest : public HostTest, public ::testing::WithParamInterface<Cycle> {};

TEST_P(HostileLinkTest, IsRefusedOnOpenNamingTheObject) {
  auto doc = NewDrawing();
  Draw(Container(ActiveView(doc)));
  ASSERT_TRUE(doc->SaveAs(File("good.vdw")));
  doc->Close(0);
  json j;
  std::ifstream(root / "good.vdw") >> j;
  json& objects = j["views"][0]["objects"];
  const Cycle& c = GetParam();
  json& object = objects[static_cast<std::size_t>(c.object)];
  const int target = objects[static_cast<std::size_t>(c.target)]["ref"];
  if (std::string(c.field) == "base") object["base"] = target;
  else object["boundaries"].push_back(target);
  if (c.object == 1 && c.target == 2) objects[2]["base"] = objects[1]["ref"];  // each the other's base
  if (c.object == 3 && c.target == 4) objects[4]["boundaries"].push_back(objects[3]["ref"]);
  std::ofstream(root / "bad.vdw") << j.dump();

  EXPECT_FALSE(Api()->GetDocuments()->Open(File("bad.vdw"), true, 1));
  const std::wstring& error = app->State().errorText;
  EXPECT_NE(error.find(c.message + std::to_wstring(object["ref"].get<int>())), std::wstring::npos) << Utf8(error);
}

INSTANTIATE_TEST_SUITE_P(Files, HostileLinkTest,
                         ::testing::Values(Cycle{"equidistant_on_itself", 1, "base", 1, L"эквидистанта "},
                                           Cycle{"equidistants_on_each_other", 1, "base", 2, L"эквидистанта "},
                                           Cycle{"hatch_among_its_boundaries", 3, "boundaries", 3, L"штриховка "},
                                           Cycle{"colouring_among_its_boundaries", 4, "boundaries", 4, L"заливка "},
                                           Cycle{"fills_bounding_each_other", 3, "boundaries", 4, L"штриховка "}),
                         [](const ::testing::TestParamInfo<Cycle>& info) { return std::string(info.param.name); });

TEST_F(HostTest, LinksInACircleCannotBeMadeAndDrawingStaysBounded) {
  auto doc = NewDrawing();
  auto c = Container(ActiveView(doc));
  const Linked l = Draw(c);
  vlapi::IDrawingObjectPtr base = l.first->GetBaseObject();
  l.first->SetBaseObject(l.first.get());
  l.second->SetBaseObject(l.first.get());
  l.first->SetBaseObject(l.second.get());  // would make the two each other's base
  EXPECT_EQ(vlapi::IAPIObjectPtr(l.first->GetBaseObject()), vlapi::IAPIObjectPtr(base));
  EXPECT_FALSE(vlapi::IBoundariesObjectPtr(l.hatch)->SetBoundaries({vlapi::IDrawingObjectPtr(l.hatch)}, 0));
  EXPECT_TRUE(vlapi::IBoundariesObjectPtr(l.colouring)->SetBoundaries({vlapi::IDrawingObjectPtr(l.hatch)}, 0));
  EXPECT_FALSE(vlapi::IBoundariesObjectPtr(l.hatch)->SetBoundaries({vlapi::IDrawingObjectPtr(l.colouring)}, 0));
  // A long chain of equidistants still draws and saves.
  vlapi::IDrawingObjectPtr last = base;
  for (int i = 0; i < 200; ++i) {
    vlapi::IEquidistantPtr next = c->GetCollection(vlapi::vlDrEquidistant)->Add();
    next->SetBaseObject(last.get());
    next->SetRadius1(1);
    last = next;
  }
  ASSERT_TRUE(doc->SaveAs(File("chain.vdw")));
  doc->Close(0);
  EXPECT_TRUE(Api()->GetDocuments()->Open(File("chain.vdw"), true, 1)) << Utf8(app->State().errorText);
}

}  // namespace
}  // namespace vlhost::test
