// The bridge object: its stored record, its initialisation by type, its name,
// its overlap tests and its macro's life.
#include "bridge_fixture.h"

#include "ByteAccess.h"

#include <climits>

namespace bridgetest {
namespace {

ByteBlock StoredBlock(const Jumper& jumper)
{
    ByteBlock block;
    jumper.m_macro->LoadMacroParams(block);
    return block;
}

// A bridge on a macro of its own, stamped as a bridge.
JumperPtr BridgeOnMacro(const vlapi::IDrawingContainerPtr& container)
{
    return Jumper::Create(
        macrotest::MakeMacro(container, {macrotest::AddCircle(container, {0, 0}, 5)}, L"B", MacroCommand::Bridge));
}

JumperPtr LooseBridge(BridgeType type, NPoint p1, NPoint p2, double width)
{
    JumperPtr jumper = Jumper::Create(nullptr);
    jumper->m_type = static_cast<int32_t>(type);
    jumper->m_width = width;
    jumper->Init();
    jumper->m_point1 = p1;
    jumper->m_point2 = p2;
    return jumper;
}

TEST_F(BridgeTest, NewBridgeStoresTheFortyDefaultBytes)
{
    const JumperPtr jumper = BridgeOnMacro(Container());
    EXPECT_EQ(jumper->m_command, MacroCommand::Bridge);
    EXPECT_EQ(jumper->m_objectType, NestingObjectType::Bridge);
    EXPECT_TRUE(jumper->m_valid);
    jumper->SaveParams();
    const ByteBlock block = StoredBlock(*jumper);
    ASSERT_EQ(block.size(), 40u);
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(block[i], 0) << i;
    EXPECT_EQ(ReadAt<double>(block, 8), 50.0);
    EXPECT_EQ(ReadAt<double>(block, 16), 25.0);
    EXPECT_EQ(ReadAt<double>(block, 24), 25.0);
    EXPECT_EQ(block[32], 1);
    EXPECT_EQ(block[33], 1);
    EXPECT_EQ(block[34], 0);
    for (size_t i = 35; i < 40; ++i)
        EXPECT_EQ(block[i], 0) << i;
}

TEST_F(BridgeTest, ReservedBytesAndRadiiTravelThroughLoadAndSave)
{
    const JumperPtr jumper = BridgeOnMacro(Container());
    jumper->SaveParams();
    ByteBlock block = StoredBlock(*jumper);
    WriteAt<uint8_t>(block, 5, 0xAB);
    WriteAt<double>(block, 16, 7.5);
    WriteAt<uint8_t>(block, 39, 0xCD);
    jumper->m_macro->SaveMacroParams(block);

    const JumperPtr loaded = Jumper::Create(jumper->m_macro);
    loaded->LoadParams();
    loaded->SaveParams();
    EXPECT_EQ(StoredBlock(*loaded), block);
}

TEST_F(BridgeTest, LoadingAnEmptyBlockKeepsDefaultsAndName)
{
    const JumperPtr jumper = BridgeOnMacro(Container());
    jumper->m_macro->SaveMacroParams({});
    jumper->m_name = L"Before";
    jumper->LoadParams();
    EXPECT_EQ(jumper->m_width, 50.0);
    EXPECT_EQ(jumper->m_name, L"Before");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BridgeTest, ShortOrCorruptBlockIsRefusedWithAMessage)
{
    const JumperPtr jumper = BridgeOnMacro(Container());
    jumper->m_width = 12.0;
    jumper->SaveParams();
    ByteBlock corrupt = StoredBlock(*jumper);
    WriteAt<uint8_t>(corrupt, 34, 7);  // a flag byte other than 0 or 1
    const ByteBlock shortBlock(corrupt.begin(), corrupt.begin() + 20);

    for (const ByteBlock& bad : {shortBlock, corrupt}) {
        Messages().clear();
        jumper->m_macro->SaveMacroParams(bad);
        const JumperPtr loaded = Jumper::Create(jumper->m_macro);
        loaded->m_name = L"Before";
        loaded->LoadParams();
        EXPECT_EQ(Messages().size(), 1u);
        EXPECT_EQ(loaded->m_width, 50.0);
        EXPECT_EQ(loaded->m_name, L"Before");
    }
}

TEST(JumperTest, TheTypeDecidesTheDrawerAndTheSecondPoint)
{
    for (int32_t type = 0; type < BridgeTypeCount; ++type) {
        const JumperPtr jumper = Jumper::Create(nullptr);
        jumper->m_type = type;
        jumper->m_twoPoints = true;
        jumper->Init();
        EXPECT_TRUE(jumper->m_drawer) << type;
        EXPECT_EQ(jumper->m_twoPoints, type != 0 && type != 6) << type;
        EXPECT_DOUBLE_EQ(jumper->m_drawer->m_r, 25.0);
    }
    for (int32_t type : {11, -1}) {
        const JumperPtr jumper = Jumper::Create(nullptr);
        jumper->m_type = type;
        jumper->m_point1 = {1, 2};
        jumper->m_point2 = {3, 4};
        jumper->Init();
        EXPECT_FALSE(jumper->m_drawer);
        ExpectPoint(jumper->m_point1, 1, 2);
        ExpectPoint(jumper->m_point2, 3, 4);
    }
}

TEST_F(BridgeTest, NamesShowOwnersWidthAndKind)
{
    const JumperPtr twin = BridgeOnMacro(Container());
    twin->m_type = static_cast<int32_t>(BridgeType::Double);
    twin->Init();
    twin->UpdateName();
    EXPECT_EQ(twin->m_name, L"Мостик: Потерян объект - Потерян объект b50.0 тип-2");
    EXPECT_EQ(twin->m_macro->GetName(), twin->m_name);

    const JumperPtr gap = BridgeOnMacro(Container());
    gap->Init();
    gap->m_owner1 = F1();
    gap->UpdateName();
    EXPECT_EQ(gap->m_name, L"Мостик: F1 b50.0 тип-1");

    twin->m_owner1 = F1();
    twin->m_owner2 = F2();
    twin->UpdateName();
    EXPECT_EQ(twin->m_name, L"Мостик: F1 - F2 b50.0 тип-2");

    // Each suffix keeps at most nine characters.
    gap->m_width = 123456.0;
    gap->m_type = INT_MAX;
    gap->UpdateName();
    EXPECT_EQ(gap->m_name, L"Мостик: F1 b123456. тип-2147");

    // Without a macro there is nothing to name.
    const JumperPtr loose = LooseBridge(BridgeType::Gap, {}, {}, 10);
    loose->UpdateName();
    EXPECT_TRUE(loose->m_name.empty());
}

TEST_F(BridgeTest, ValidOnlyWithTheOwnersItNeeds)
{
    const JumperPtr one = LooseBridge(BridgeType::Start, {}, {}, 10);
    EXPECT_FALSE(one->CheckValid());
    EXPECT_FALSE(one->m_valid);
    one->m_valid = true;
    one->m_owner1 = F1();
    EXPECT_TRUE(one->CheckValid());

    const JumperPtr two = LooseBridge(BridgeType::Cross, {}, {}, 10);
    two->m_owner1 = F1();
    EXPECT_FALSE(two->CheckValid());
    two->m_valid = true;
    two->m_owner2 = TheSheet();
    EXPECT_TRUE(two->CheckValid());
}

TEST(JumperTest, OverlapOfTwoBridgesIsStrict)
{
    const JumperPtr a = LooseBridge(BridgeType::Gap, {0, 0}, {0, 0}, 20);
    const JumperPtr b = LooseBridge(BridgeType::Gap, {30, 0}, {30, 0}, 40);
    EXPECT_FALSE(a->CheckIntersect(b));  // exactly (20 + 40) / 2 apart
    b->m_point1 = b->m_point2 = {29.999, 0};
    EXPECT_TRUE(a->CheckIntersect(b));
    EXPECT_FALSE(a->CheckIntersect(a));
    EXPECT_FALSE(a->CheckIntersect(nullptr));

    // Far-apart ends, but the two bridges cross.
    const JumperPtr h = LooseBridge(BridgeType::Double, {-100, 0}, {100, 0}, 2);
    const JumperPtr v = LooseBridge(BridgeType::Double, {0, -100}, {0, 100}, 2);
    EXPECT_TRUE(h->CheckIntersect(v));
    // A one-point bridge is tested by its ends only.
    const JumperPtr dot = LooseBridge(BridgeType::Gap, {0, 0}, {0, 0}, 2);
    EXPECT_FALSE(dot->CheckIntersect(h));
    // The second end counts too.
    const JumperPtr near = LooseBridge(BridgeType::Gap, {105, 0}, {105, 0}, 10);
    EXPECT_TRUE(h->CheckIntersect(near));
}

TEST(JumperTest, PointNearAnEndIsStrict)
{
    const JumperPtr a = LooseBridge(BridgeType::Double, {0, 0}, {100, 0}, 20);
    EXPECT_FALSE(a->CheckIntersectWithPoint({100, 15}, 10));
    EXPECT_TRUE(a->CheckIntersectWithPoint({100, 14.9}, 10));
    EXPECT_FALSE(a->CheckIntersectWithPoint({50, 0}, 10));  // the middle is not an end
}

TEST_F(BridgeTest, ABridgeTheModelDidNotMakeKeepsItsMacroWhenCleared)
{
    const JumperPtr jumper = AddBridge(BridgeType::Gap, {300, 150}, F1());
    jumper->m_edit = true;
    jumper->Clear();
    EXPECT_EQ(BridgeMacros(), 1u);
    jumper->m_edit = false;
    jumper->Clear();
    EXPECT_EQ(BridgeMacros(), 0u);
}

}  // namespace
}  // namespace bridgetest
