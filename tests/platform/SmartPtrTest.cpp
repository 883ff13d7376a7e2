// The reference counting and interface queries every host object answers.
#include "HostFixture.h"
#include "model/Macro.h"

namespace vlhost::test {
namespace {

TEST_F(HostTest, QueriesFollowInterfacesAndKeepOneIdentity) {
  auto doc = NewDrawing();
  vlapi::IMacroObjectPtr macro = AddSquareMacro(Container(ActiveView(doc)), 10, 10);
  vlapi::IDrawingObjectPtr asObject = macro;
  vlapi::IUserParametersPtr asUser = asObject;
  vlapi::IDrawingContainerPtr asContainer = asUser;
  ASSERT_TRUE(asObject && asUser && asContainer);
  EXPECT_EQ(vlapi::IAPIObjectPtr(asUser), vlapi::IAPIObjectPtr(asContainer));
  // A line is no macro and no container.
  vlapi::IDrawingObjectPtr line = AddLine(Container(ActiveView(doc)), 0, 0, 1, 1);
  EXPECT_FALSE(vlapi::IMacroObjectPtr(line));
  EXPECT_FALSE(vlapi::IDrawingContainerPtr(line));
}

TEST_F(HostTest, ObjectGoesWithItsLastReference) {
  auto doc = NewDrawing();
  auto container = Container(ActiveView(doc));
  vlapi::ILineSegmentPtr line = AddLine(container, 0, 0, 5, 0);
  const int32_t ref = GetTransferService()->GetReference(line.get());
  line->Delete();
  // Deleted from the drawing but still held here: the object answers, its reference names nothing.
  EXPECT_DOUBLE_EQ(line->GetX2(), 5);
  EXPECT_FALSE(GetTransferService()->GetObject(ref, GetTransferService()->GetReference(doc.get())));
  EXPECT_TRUE(container->GetObjects({vlapi::vlAllObj}).empty());
  vlapi::ILineSegmentPtr copy = line;
  line = nullptr;
  EXPECT_DOUBLE_EQ(copy->GetX2(), 5);
}

}  // namespace
}  // namespace vlhost::test
