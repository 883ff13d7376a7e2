// Views and layers of the active drawing, visibility by object and for the
// labels, and the roads that end quietly without a 2D drawing.
#include "vrn_fixture.h"


namespace {

class VrnViewsLayersTest : public vrntest::VrnTest {
protected:
    vlapi::ILayerPtr Layer(const vlapi::IViewPtr& view, const std::wstring& name) const
    {
        return view->GetLayers()->FindLayer(name);
    }
    vlapi::ILayerPtr AddLayer(const vlapi::IViewPtr& view, const std::wstring& name) const
    {
        vlapi::ILayerPtr layer = view->GetLayers()->Add();
        layer->SetName(name);
        layer->Update();
        return layer;
    }
};

TEST_F(VrnViewsLayersTest, CreateLayerMakesMissingLayersOnlyAndKeepsTheFirstCurrent)
{
    const int hidden = vrnApi::CreateLayer(L"Раскраска", 0x00ff00, true);
    ASSERT_GE(hidden, 1);
    vlapi::ILayerPtr layer = Layer(ActiveView(), L"Раскраска");
    EXPECT_FALSE(layer->GetVisible());
    EXPECT_EQ(layer->GetColor(), 0x00ff00);
    EXPECT_TRUE(vlapi::ILayerPtr(ActiveView()->GetLayers()->GetItem(0))->GetCurrent());

    layer->MakeCurrent();
    EXPECT_EQ(vrnApi::CreateLayer(L"Раскраска", 0x0000ff, false), hidden);
    EXPECT_FALSE(layer->GetVisible());
    EXPECT_EQ(layer->GetColor(), 0x00ff00);
    EXPECT_TRUE(layer->GetCurrent());
}

TEST_F(VrnViewsLayersTest, LayerChangesReachEveryViewButReadsOnlyTheActiveOne)
{
    vlapi::IViewPtr second = AddView(500, 0, 1);
    vlapi::ILayerPtr other = AddLayer(second, L"Надписи");
    vrnApi::CreateLayer(L"Надписи", 0, false);

    vrnApi::ShowHideLayer(L"Надписи", true);
    vrnApi::ChangeLayerColor(L"Надписи", 0x112233);
    EXPECT_FALSE(other->GetVisible());
    EXPECT_EQ(other->GetColor(), 0x112233);

    other->SetColor(0x445566);
    other->Update();
    int color = -1;
    bool hide = false;
    vrnApi::GetLayerParams(L"Надписи", color, hide);
    EXPECT_EQ(color, 0x112233);
    EXPECT_TRUE(hide);

    vrnApi::ShowHideText(false);
    EXPECT_EQ(vrnApi::LoadStr(7017), L"Надписи");
    EXPECT_TRUE(other->GetVisible());

    vrnApi::DeleteLayer(doc, L"Надписи");
    EXPECT_FALSE(Layer(second, L"Надписи"));
    EXPECT_FALSE(Layer(ActiveView(), L"Надписи"));
}

TEST_F(VrnViewsLayersTest, ShowHideObjectActsOnItsLayerInItsViewAndSparesTheSystemLayer)
{
    vlapi::IViewPtr second = AddView(500, 0, 1);
    const int number = vrnApi::CreateLayer(L"Метки", 0, false);
    AddLayer(second, L"Метки");
    vlapi::ILineSegmentPtr marked = vrntest::AddLine(Container(), {0, 0}, {10, 0});
    marked->SetLayer(number);
    marked->Update();
    vlapi::ILineSegmentPtr plain = vrntest::AddLine(Container(), {0, 5}, {10, 5});

    vrnApi::ShowHideObject(marked, true);
    EXPECT_FALSE(ActiveView()->GetLayers()->GetLayer(number)->GetVisible());
    EXPECT_TRUE(Layer(second, L"Метки")->GetVisible());

    vrnApi::ShowHideObject(plain, true);
    EXPECT_TRUE(ActiveView()->GetLayers()->GetLayer(0)->GetVisible());
    vrnApi::ShowHideObject(marked, false);
    EXPECT_TRUE(ActiveView()->GetLayers()->GetLayer(number)->GetVisible());
    vrnApi::ShowHideObject(nullptr, true);
}

TEST_F(VrnViewsLayersTest, ViewsAreMadeNamedPlacedAndDeleted)
{
    const int system = vrnApi::GetSystemView();
    EXPECT_EQ(system, ActiveView()->GetNumber());
    const int view = vrnApi::CreateView();
    ASSERT_GE(view, 0);
    EXPECT_NE(view, system);
    vrnApi::SetViewName(view, L"Лист 1");
    EXPECT_EQ(vrnApi::GetViewByName(L"Лист 1"), view);
    vrnApi::SetViewParams(view, 12, 34, 0.5);
    double x = 0, y = 0, scale = 0;
    vrnApi::GetViewParams(view, x, y, scale);
    EXPECT_EQ(std::vector<double>({x, y, scale}), std::vector<double>({12, 34, 0.5}));

    vrnApi::GetViewPtrByNumber(view)->SetCurrent(true);
    EXPECT_EQ(vrnApi::GetActiveView(), view);
    EXPECT_EQ(vrnApi::SetActiveSystemView(), system);
    EXPECT_EQ(vrnApi::GetActiveView(), system);

    std::vector<vlapi::IViewPtr> views{nullptr};
    vrnApi::GetAllViews(doc, views);
    EXPECT_EQ(views.size(), 3u);
    vrnApi::DeleteView(view);
    EXPECT_EQ(vrnApi::GetViewByName(L"Лист 1"), -1);
    x = y = scale = -7;
    vrnApi::GetViewParams(view, x, y, scale);
    EXPECT_EQ(std::vector<double>({x, y, scale}), std::vector<double>({-7, -7, -7}));
}

TEST_F(VrnViewsLayersTest, WithoutA2DDrawingEverythingEndsQuietly)
{
    vlapi::IVarnelDocument3DPtr part = host->NewDocument3D(vlapi::vlDocumentPart);
    EXPECT_EQ(vrnApi::GetActiveView(), -1);
    EXPECT_EQ(vrnApi::GetSystemView(), -1);
    EXPECT_EQ(vrnApi::CreateView(), -1);
    EXPECT_EQ(vrnApi::CreateContainerView(100, 100), -1);
    EXPECT_EQ(vrnApi::CreateLayer(L"x", 0, false), -1);
    EXPECT_FALSE(vrnApi::CheckActiveProcessRunnig());
    EXPECT_EQ(vrnApi::GetFirstSelectedObj(), 0);
    EXPECT_EQ(vrnApi::FindObjByPoint({0, 0}), 0);
    EXPECT_EQ(vrnApi::DrawLineSeg({0, 0}, {1, 1}, 1), 0);
    NPoint p{3, 4};
    vrnApi::TransformFromViewToSheet(p);
    EXPECT_DOUBLE_EQ(p.x, 3);
    NRect rc{{1, 2}, {3, 4}};
    vrnApi::GetObjectGabarit(nullptr, rc);
    EXPECT_DOUBLE_EQ(rc.pTop.y, 4);
    EXPECT_EQ(vrnApi::GetPropertyFromDocument(L"Толщина"), 0.0);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
