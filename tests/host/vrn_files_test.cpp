// Drawing files opened for reading, part data read from a file, the curves of
// a file, 3D assembly trees, and objects carried through the clipboard.
#include "vrn_fixture.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"

#include <cmath>
#include <limits>
#include <utility>

namespace {


class VrnFilesTest : public vrntest::VrnTest {
protected:
    // A drawing file with a 40 x 20 rectangle of lines, a layer "Метки" and
    // the part data as document properties; `count` -1e10 writes no count.
    std::wstring PartFile(const std::string& name, double count, bool withObjects = true)
    {
        vlapi::IVarnelDocument2DPtr part = NewDrawing();
        if (withObjects) {
            vrntest::AddRing(Container(), {{0, 0}, {40, 0}, {40, 20}, {0, 20}});
            vrnApi::CreateLayer(L"Метки", 0, false);
        }
        if (count != -1e10)
            vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), count);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), 3.0);
        vrnApi::SetMaterialPropertyToDocument(L"Ст3");
        const std::wstring path = File(name);
        EXPECT_TRUE(part->SaveAs(path));
        part->Close(0);
        return path;
    }
    // How many objects the clipboard pastes into a new drawing.
    size_t Pasted()
    {
        vlapi::IVarnelDocument2DPtr target = NewDrawing();
        vrnApi::ReadObjectsFromClip();
        const size_t count = DrawingObjects();
        target->Close(0);
        return count;
    }
};

TEST_F(VrnFilesTest, DrawingFilesAreFoundOpenOrOpenedWithoutAWindow)
{
    const std::wstring path = PartFile("part.vdw", 2);
    const int before = OpenDocuments();
    bool visible = false;
    vlapi::IVarnelDocument2DPtr opened = vrnApi::GetVarnel2DDocument(path, visible, true);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(visible);
    EXPECT_FALSE(opened->IsVisible());

    bool again = false;
    EXPECT_TRUE(hostAccess::SameObject(vrnApi::GetVarnel2DDocument(path, again, true), opened));
    EXPECT_TRUE(again);
    EXPECT_EQ(OpenDocuments(), before + 1);
    opened->Close(0);

    bool missing = false;
    EXPECT_FALSE(vrnApi::GetVarnel2DDocument(File("none.vdw"), missing, false));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(vrnApi::GetVarnel2DDocument(File("none.vdw"), missing, true));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].flags, 0x10);
    // The message names the file and why it did not open.
    EXPECT_EQ(Messages()[0].text, vrnApi::LoadStr(105) + L" " + File("none.vdw") + L": файл не найден");
}

TEST_F(VrnFilesTest, PartDataComesWithTheObjectsAndTheFileIsClosedAgain)
{
    FileMetaParams par;
    par.m_path = PartFile("part.vdw", 2.9);
    const int before = OpenDocuments();
    MacroLayers layers;
    ASSERT_TRUE(vrnApi::ReadFileAndWriteToClip(par, layers));
    EXPECT_EQ(par.m_count, 2);
    EXPECT_DOUBLE_EQ(par.m_thickness, 3.0);
    EXPECT_EQ(par.m_material, L"Ст3");
    EXPECT_EQ(Pasted(), 4u);
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers.rbegin()->second, L"Метки");
    EXPECT_EQ(OpenDocuments(), before);
    EXPECT_TRUE(hostAccess::SameObject(vrnApi::GetActiveDocument2D(), doc));
}

TEST_F(VrnFilesTest, CountOfCopiesIsNeverBelowOneNorBeyondAnInteger)
{
    const std::pair<double, int32_t> cases[] = {
        {-1.5, 1}, {0.0, 1}, {0.9, 1}, {-1e10, 1}, {1e12, std::numeric_limits<int32_t>::max()}};
    for (const auto& [stored, count] : cases) {
        FileMetaParams par;
        par.m_path = PartFile("part.vdw", stored);
        MacroLayers layers;
        vrnApi::ReadFileAndWriteToClip(par, layers);
        EXPECT_EQ(par.m_count, count) << stored;
    }
}

TEST_F(VrnFilesTest, EmptyFileGivesNoObjectsButItsDataAndIsClosed)
{
    FileMetaParams par;
    par.m_path = PartFile("empty.vdw", 4, false);
    const int before = OpenDocuments();
    MacroLayers layers;
    EXPECT_FALSE(vrnApi::ReadFileAndWriteToClip(par, layers));
    EXPECT_TRUE(layers.empty());
    EXPECT_EQ(par.m_count, 4);
    EXPECT_EQ(OpenDocuments(), before);
}

TEST_F(VrnFilesTest, AFileTheUserHasOpenIsReadAndStaysOpenBehindTheActiveDrawing)
{
    const std::wstring path = PartFile("part.vdw", 1);
    bool visible = true;
    vlapi::IVarnelDocument2DPtr open = vrnApi::GetVarnel2DDocument(path, visible, true);
    doc->Activate();
    vrntest::AddLine(Container(), {0, 0}, {5, 5});
    const int before = OpenDocuments();
    FileMetaParams par;
    par.m_path = path;
    MacroLayers layers;
    EXPECT_TRUE(vrnApi::ReadFileAndWriteToClip(par, layers));
    EXPECT_TRUE(hostAccess::SameObject(vrnApi::GetActiveDocument2D(), doc));
    std::vector<NContourPtr> contours;
    vrnApi::ReadContoursFromFile(path, contours);
    ASSERT_EQ(contours.size(), 1u);
    EXPECT_EQ(contours[0]->m_segments.size(), 4u);
    EXPECT_TRUE(hostAccess::SameObject(vrnApi::GetActiveDocument2D(), doc));
    EXPECT_EQ(OpenDocuments(), before);
    EXPECT_TRUE(hostAccess::SameObject(application->GetDocuments()->FindDocument(path), open));
    EXPECT_EQ(Pasted(), 4u);
}

TEST_F(VrnFilesTest, CurvesOfAFileBecomeContours)
{
    const std::wstring path = PartFile("part.vdw", 1);
    std::vector<NContourPtr> contours(1);
    const int before = OpenDocuments();
    vrnApi::ReadContoursFromFile(path, contours);
    ASSERT_EQ(contours.size(), 2u);
    EXPECT_EQ(contours[1]->m_segments.size(), 4u);
    EXPECT_EQ(OpenDocuments(), before);
    vrnApi::ReadContoursFromFile(File("none.vdw"), contours);
    EXPECT_EQ(contours.size(), 2u);
}

TEST_F(VrnFilesTest, AssemblyTreeIsListedDepthFirstAndItsDepthIsBounded)
{
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D();
    vlhost::PartData* top = vlhost::Host::Tree(assembly);
    vlhost::PartData& s1 = top->Add(L"S1", false);
    s1.Add(L"P1", true);
    s1.Add(L"P2", true);
    top->Add(L"P3", true);
    s1.Add(L"P1", true);  // used twice: listed twice
    std::vector<vlapi::IPartPtr> parts;
    vrnApi::GetPartsFromAssembly(assembly->GetTopPart(), true, parts);
    std::vector<std::wstring> names;
    for (const vlapi::IPartPtr& part : parts)
        names.push_back(part->GetName());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"S1", L"P1", L"P2", L"P1", L"P3"}));

    vlhost::PartData* level = top;
    for (int i = 0; i < 1000; ++i)
        level = &level->Add(L"S", false);
    parts.clear();
    vrnApi::GetPartsFromAssembly(assembly->GetTopPart(), false, parts);
    EXPECT_GT(parts.size(), 4u);
    EXPECT_LT(parts.size(), 100u);
    vrnApi::GetPartsFromAssembly(nullptr, false, parts);
}

TEST_F(VrnFilesTest, ObjectsTravelThroughTheClipboardAndStayWhereTheyWere)
{
    std::vector<vlapi::IDrawingObjectPtr> ring = vrntest::AddRing(Container(), {{0, 0}, {10, 0}, {10, 10}});
    const reference since = NextReference();
    vrnApi::WriteObjectsToClip(ring);
    EXPECT_EQ(DrawingObjects(), 3u);
    EXPECT_TRUE(NoTemporaryGroupSince(since));
    vrnApi::WriteObjectsToClip({});  // leaves the clipboard as it was

    vlapi::IVarnelDocument2DPtr target = vrnApi::CreateSleep2DDocument(false);
    ASSERT_TRUE(target);
    EXPECT_FALSE(target->IsVisible());
    EXPECT_EQ(target->GetDocumentType(), vlapi::vlDocumentFragment);
    const reference pasteSince = NextReference();
    vrnApi::ReadObjectsFromClip();
    EXPECT_EQ(DrawingObjects(), 3u);
    EXPECT_TRUE(NoTemporaryGroupSince(pasteSince));
    target->Close(0);
    EXPECT_EQ(DrawingObjects(), 3u);
    EXPECT_EQ(Pasted(), 3u);
}

TEST_F(VrnFilesTest, ThreeDimensionalDocumentsAreMadeWithoutAWindowOrOpenedByPath)
{
    vlapi::IVarnelDocument3DPtr sleeping = vrnApi::CreateSleep3DDocument();
    ASSERT_TRUE(sleeping);
    EXPECT_FALSE(sleeping->IsVisible());
    const std::wstring path = File("asm.v3d");
    ASSERT_TRUE(sleeping->SaveAs(path));
    bool visible = false;
    EXPECT_TRUE(hostAccess::SameObject(vrnApi::GetVarnel3DDocument(path, visible), sleeping));
    EXPECT_TRUE(visible);
    sleeping->Close(0);

    const int before = OpenDocuments();
    const std::wstring drawing = PartFile("part.vdw", 1);
    visible = false;
    EXPECT_FALSE(vrnApi::GetVarnel3DDocument(drawing, visible));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(OpenDocuments(), before);  // the drawing it opened by mistake is closed again
}

}  // namespace
