// Integer references: given and resolved by the transfer service, stable for
// the life of an object and across a save and an open.
#include "HostFixture.h"

#include <fstream>
#include <iterator>

namespace vlhost::test {
namespace {

int32_t RefOf(const vlapi::IAPIObjectPtr& o) { return GetTransferService()->GetReference(o.get()); }

TEST_F(HostTest, ReferencesRoundTripWithinTheirDocument) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  auto line = AddLine(container, 0, 0, 10, 0);
  auto macro = AddSquareMacro(container, 20, 10);
  const int32_t docRef = RefOf(vlapi::IAPIObjectPtr(doc));
  ASSERT_NE(docRef, 0);
  for (const vlapi::IAPIObjectPtr& o : {vlapi::IAPIObjectPtr(line), vlapi::IAPIObjectPtr(macro)}) {
    const int32_t ref = RefOf(o);
    ASSERT_GT(ref, 0);
    EXPECT_EQ(GetTransferService()->GetObject(ref, docRef), o);
  }
  EXPECT_NE(RefOf(vlapi::IAPIObjectPtr(line)), RefOf(vlapi::IAPIObjectPtr(macro)));
  // The document resolves to itself; a reference of another document names nothing here.
  EXPECT_EQ(GetTransferService()->GetObject(docRef, docRef), vlapi::IAPIObjectPtr(doc));
  auto other = NewDrawing();
  EXPECT_FALSE(GetTransferService()->GetObject(RefOf(vlapi::IAPIObjectPtr(line)), RefOf(vlapi::IAPIObjectPtr(other))) ==
               vlapi::IAPIObjectPtr(line));
  // Objects numbered as far as the documents are still found, never their document.
  for (int i = 0; i < 20; ++i)
    NewDrawing();
  auto later = NewDrawing();
  const int32_t laterRef = RefOf(vlapi::IAPIObjectPtr(later));
  for (int i = 0; i < 30; ++i) {
    auto object = AddLine(Container(ActiveView(later)), 0, i, 10, i);
    EXPECT_EQ(GetTransferService()->GetObject(RefOf(vlapi::IAPIObjectPtr(object)), laterRef),
              vlapi::IAPIObjectPtr(object));
  }
}

TEST_F(HostTest, ReferencesStayStableAcrossSaveAndOpen) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  auto macro = AddSquareMacro(container, 20, 10);
  auto text = AddText(container, L"Деталь", 1, 2, 5);
  const int32_t macroRef = RefOf(vlapi::IAPIObjectPtr(macro));
  const int32_t savedTextRef = RefOf(vlapi::IAPIObjectPtr(text));
  const auto members = vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlDrLineSeg});
  ASSERT_EQ(members.size(), 4u);
  const int32_t memberRef = RefOf(vlapi::IAPIObjectPtr(members[2]));
  ASSERT_TRUE(doc->SaveAs(File("refs.vdw")));
  doc->Close(0);
  // A file may hold any positive reference: the text's is made large, as
  // large as a document's number above 2^30 (the file opens as the second).
  const int32_t textRef = (int32_t{1} << 30) + 2;
  {
    const std::filesystem::path path = root / "refs.vdw";
    std::ifstream in(path);
    std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string from = "\"ref\": " + std::to_string(savedTextRef) + ",";
    const size_t at = json.find(from);
    ASSERT_NE(at, std::string::npos);
    json.replace(at, from.size(), "\"ref\": " + std::to_string(textRef) + ",");
    std::ofstream(path) << json;
  }

  auto opened = vlapi::IVarnelDocument2DPtr(Api()->GetDocuments()->Open(File("refs.vdw"), false, 1));
  ASSERT_TRUE(opened);
  const int32_t docRef = RefOf(vlapi::IAPIObjectPtr(opened));
  vlapi::IMacroObjectPtr again = GetTransferService()->GetObject(macroRef, docRef);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->GetName(), macro->GetName());
  vlapi::IDrawingTextPtr textAgain = GetTransferService()->GetObject(textRef, docRef);
  ASSERT_TRUE(textAgain);
  EXPECT_EQ(vlapi::ITextPtr(textAgain)->GetText(), L"Деталь");
  vlapi::ILineSegmentPtr member = GetTransferService()->GetObject(memberRef, docRef);
  ASSERT_TRUE(member);
  EXPECT_DOUBLE_EQ(member->GetX1(), 20);
  EXPECT_DOUBLE_EQ(member->GetY1(), 10);
  // New objects never take a reference that the file already used.
  auto line = AddLine(Container(ActiveView(opened)), 0, 0, 1, 0);
  EXPECT_GT(RefOf(vlapi::IAPIObjectPtr(line)), std::max({macroRef, textRef, memberRef}));
}

}  // namespace
}  // namespace vlhost::test
