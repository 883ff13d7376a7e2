#include "HostFixture.h"

namespace vlhost::test {

vlapi::ILineSegmentPtr AddLine(const vlapi::IDrawingContainerPtr& c, double x1, double y1, double x2, double y2) {
  vlapi::ILineSegmentPtr line = c->GetCollection(vlapi::vlDrLineSeg)->Add();
  line->SetX1(x1);
  line->SetY1(y1);
  line->SetX2(x2);
  line->SetY2(y2);
  line->Update();
  return line;
}

vlapi::ICirclePtr AddCircle(const vlapi::IDrawingContainerPtr& c, double x, double y, double r) {
  vlapi::ICirclePtr circle = c->GetCollection(vlapi::vlDrCircle)->Add();
  circle->SetXc(x);
  circle->SetYc(y);
  circle->SetRadius(r);
  circle->Update();
  return circle;
}

vlapi::IDrawingTextPtr AddText(const vlapi::IDrawingContainerPtr& c, const std::wstring& text, double x, double y,
                               double h) {
  vlapi::IDrawingTextPtr t = c->GetCollection(vlapi::vlDrDrawText)->Add();
  t->SetX(x);
  t->SetY(y);
  vlapi::ITextPtr(t)->SetText(text);
  t->SetHeight(h);
  t->Update();
  return t;
}

vlapi::IMacroObjectPtr AddSquareMacro(const vlapi::IDrawingContainerPtr& c, double w, double h) {
  vlapi::APIObjectList members;
  members.emplace_back(AddLine(c, 0, 0, w, 0));
  members.emplace_back(AddLine(c, w, 0, w, h));
  members.emplace_back(AddLine(c, w, h, 0, h));
  members.emplace_back(AddLine(c, 0, h, 0, 0));
  vlapi::IMacroObjectPtr macro = c->GetMacroObjects()->AddMacro(1);
  macro->SetPlacement(0, 0, 0, 0, 0);
  macro->AddObjects(members);
  macro->Update();
  return macro;
}

vlapi::APIObjectList ListOf(const vlapi::IAPIObjectPtr& object) { return {vlapi::IVarnelAPIObjectPtr(object)}; }

void ExpectBox(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& objects, double x1, double y1, double x2, double y2) {
  double got[4];
  ASSERT_TRUE(doc->GetObjectsBox(objects, got[0], got[1], got[2], got[3]));
  const double want[] = {x1, y1, x2, y2};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[i], want[i], 1e-9) << (i % 2 ? "y" : "x") << (i < 2 ? 1 : 2);
}

}  // namespace vlhost::test
