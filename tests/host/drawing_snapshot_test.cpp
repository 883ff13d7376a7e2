// A snapshot gives a drawing back as it was taken, whatever was done to it,
// and says which reference each object given back had.
#include "host/DrawingSnapshot.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <string_view>
#include <optional>

namespace hosttest {
namespace {

// The drawing as the host saves it, without references: the objects given
// back are copies.
nlohmann::json Picture(const vlapi::IVarnelDocument2DPtr& doc, const std::filesystem::path& file)
{
    EXPECT_TRUE(doc->SaveAs(file.wstring()));
    std::ifstream in(file);
    nlohmann::json picture = nlohmann::json::parse(in);
    const std::function<void(nlohmann::json&)> strip = [&](nlohmann::json& node) {
        if (node.is_object()) {
            node.erase("ref");
            node.erase("nextRef");
        }
        if (node.is_structured()) {
            for (auto& child : node)
                strip(child);
        }
    };
    strip(picture);
    return picture;
}

class DrawingSnapshotTest : public WithLayoutTest {
protected:
    void SetUp() override
    {
        WithLayoutTest::SetUp();
        AddLine(Container(), {0, 0}, {10, 0});  // the system view
        sheet = AddCurrentView(100, 0);
        line = AddLine(Container(), {0, 0}, {50, 20});
        SheetMacro(L"Лист", 300, 200);
        if (vlapi::ILayerPtr layer = View(sheet)->GetLayers()->Add()) {
            layer->SetName(L"Деловой отход");
            layer->SetColor(0xC8D200);
        }
        container = AddCurrentView(500, 0, 0.5);
        AddCircle(Container(), {5, 5}, 3);
        MakeViewCurrent(sheet);
    }

    int sheet = 0, container = 0;
    vlapi::ILineSegmentPtr line;
};

TEST_F(DrawingSnapshotTest, RestoreGivesTheDrawingBackWhateverWasDone)
{
        const std::pair<const char*, std::function<void()>> edits[] = {
        {"a line moved and one deleted", [this] { line->SetX2(80); line->Update();
                                                                   AddLine(Container(), {1, 1}, {2, 2})->Delete(); }},
        {"objects of the system view", [this] {
             for (const auto& o : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(View(0)))) o->Delete();
             AddCircle(vlapi::IDrawingContainerPtr(View(0)), {1, 1}, 1); }},
        {"a view added, one deleted", [this] { AddView(0, 0, 2); View(sheet)->Delete(); }},
        {"a view moved, scaled and renamed", [this] {
             const vlapi::IViewPtr v = View(container);
             v->SetX(7); v->SetScale(3); v->SetName(L"Другой"); v->Update(); }},
        {"a layer recoloured, hidden, added", [this] {
             const vlapi::ILayerPtr l = View(sheet)->GetLayers()->FindLayer(L"Деловой отход");
             l->SetColor(1); l->SetVisible(false); View(0)->GetLayers()->Add()->SetName(L"Новый"); }},
        {"the current view", [this] { MakeViewCurrent(container); }},
        {"a page added, the first one's format and title block", [&] {
             doc->GetLayoutSheets()->Add();
             doc->GetLayoutSheets()->GetItem(0)->GetFormat()->SetFormat(vlapi::vlFormatA1);
             doc->GetLayoutSheets()->GetItem(0)->GetStamp()->GetCellText(1101)->SetText(L"1 × 2"); }},
        {"the material", [this] {
             const vlapi::IPropertyPtr material = doc->GetPropertyMng()->GetBuiltInProperty(vlapi::vlPropertyMaterial);
             vlapi::IPropertyKeeperPtr(doc)->SetPropertyValue(material.get(), vlapi::PropertyValue(L"Ст3"), false); }},
    };
    for (const auto& [what, edit] : edits) {
        const reference lineBefore = hostAccess::ReferenceOf(line);
        DrawingSnapshot snapshot;
        ASSERT_TRUE(snapshot.Take(doc)) << what;
        const nlohmann::json before = Picture(doc, root / "before.vdw");
        edit();
        const int containers = Switches().undoContainersOpened;
        DrawingSnapshot::Moved moved;
        ASSERT_TRUE(snapshot.Restore(moved)) << what;
        EXPECT_FALSE(snapshot.Holds());
        // One step for the user, its brackets closed.
        EXPECT_EQ(Switches().undoContainersOpened, containers + 1) << what;
        EXPECT_EQ(Switches().undoContainersClosed, Switches().undoContainersOpened) << what;
        EXPECT_TRUE(Switches().treeRebuild && Switches().treeUpdate) << what;
        EXPECT_EQ(Picture(doc, root / "after.vdw"), before) << what;
        // The line given back is a copy: its old reference leads to i
        ASSERT_EQ(moved.count(lineBefore), 1u) << what;
        line = vlapi::ILineSegmentPtr(hostAccess::ObjectOf(doc, moved[lineBefore]));
        ASSERT_TRUE(line) << what;
        EXPECT_EQ(line->GetView()->GetNumber(), sheet) << what;
    }
}

// Every cell of every title block comes back on its own page, the user's
// own cells too, whichever pages went or came.
TEST_F(DrawingSnapshotTest, EveryTitleBlockCellComesBackOnItsPage)
{
    using Cells = std::map<int, std::wstring>;
    const auto page = [this](int i) { return doc->GetLayoutSheets()->GetItem(i); };
    const auto write = [&](int i, int cell, const std::wstring& text) {
        page(i)->GetStamp()->GetCellText(cell)->SetText(text);
    };
    const auto cells = [&] {
        std::vector<Cells> pages;
        for (int i = 0; i < doc->GetLayoutSheets()->GetCount(); ++i) {
            const vlapi::IStampPtr stamp = page(i)->GetStamp();
            Cells& held = pages.emplace_back();
            for (int cell : stamp->GetCellNumbers())
                held[cell] = stamp->GetCellText(cell)->GetText();
        }
        return pages;
    };
    while (doc->GetLayoutSheets()->GetCount() < 3)
        doc->GetLayoutSheets()->Add();
    for (int i = 0; i < 3; ++i) {
        write(i, 1, L"Обозначение листа " + std::to_wstring(i + 1));
        write(i, 1101, L"130x80x2");
    }
    write(0, 110, L"Иванов И.И.");
    const std::vector<Cells> before = cells();
    const std::pair<const char*, std::function<void()>> edits[] = {
        {"the middle page deleted", [&] { page(1)->Delete(); }},
        {"the first page deleted, one added", [&] { page(0)->Delete(); doc->GetLayoutSheets()->Add(); }},
        {"cells rewritten, emptied and new", [&] { write(0, 1, L"Другой"); write(1, 1, L""); write(2, 1103, L"7.5"); }},
        {"the middle page of a drawing without layout deleted", [&] { page(1)->Delete(); }},
    };
    for (const auto& [what, edit] : edits) {
        // A page without layout draws no title block but keeps its cells.
        const bool plain = std::string_view(what).find("without layout") != std::string_view::npos;
        for (int i = 0; i < doc->GetLayoutSheets()->GetCount(); ++i)
            page(i)->SetStyleLibrary(plain ? L"GRAPHIC.vst" : L"Nesting.vst");
        DrawingSnapshot snapshot;
        ASSERT_TRUE(snapshot.Take(doc)) << what;
        edit();
        DrawingSnapshot::Moved moved;
        ASSERT_TRUE(snapshot.Restore(moved)) << what;
        EXPECT_EQ(cells(), before) << what;
    }
}

TEST_F(DrawingSnapshotTest, NothingIsGivenBackToAClosedDrawingOrWithoutASnapshot)
{
    DrawingSnapshot snapshot;
    DrawingSnapshot::Moved moved;
    EXPECT_FALSE(snapshot.Restore(moved));
    ASSERT_TRUE(snapshot.Take(doc));
    doc->Close(0);
    EXPECT_FALSE(snapshot.Restore(moved));
    EXPECT_TRUE(moved.empty());
    EXPECT_FALSE(snapshot.Holds());
}

// A host that cannot copy the drawing at the start, or take the copies back
// at the restore, leaves it as it is then: never emptied.
TEST_F(DrawingSnapshotTest, AHostThatCannotCopyOrStoreLeavesTheDrawingAsItIs)
{
    for (const bool atRestore : {false, true}) {
        DrawingSnapshot snapshot;
        std::optional<vlhost::FailureScope> failing;
        if (!atRestore)
            failing.emplace("IDrawingGroup::CopyToDocument");
        EXPECT_EQ(snapshot.Take(doc), atRestore);
        AddCircle(Container(), {40, 40}, 5);
        const nlohmann::json before = Picture(doc, root / "before.vdw");
        if (atRestore)
            failing.emplace("IDrawingGroup::Store");
        DrawingSnapshot::Moved moved;
        EXPECT_FALSE(snapshot.Restore(moved)) << atRestore;
        EXPECT_FALSE(snapshot.Holds()) << atRestore;
        EXPECT_EQ(Picture(doc, root / "after.vdw"), before) << atRestore;
    }
}

}  // namespace
}  // namespace hosttest
