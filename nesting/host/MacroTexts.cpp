// Texts and fonts of a library macro.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace {


std::vector<vlapi::IDrawingTextPtr> TextsOf(const vlapi::IMacroObjectPtr& macro)
{
    std::vector<vlapi::IDrawingTextPtr> texts;
    vrnApi::InitTextFromMacro(macro, texts);
    return texts;
}

int TextLayerNumber()
{
    return vrnApi::GetLayerNumber(vrnApi::LoadStr(IDS_NAME_TEXT_LAYER));
}

// The anchor factor of SetFontParams: 1, the view scale or its inverse.
double AnchorFactor(const vlapi::IMacroObjectPtr& macro, bool offset, bool inverScale)
{
    if (!offset && !inverScale)
        return 1.0;
    vlapi::IViewPtr view(macro->GetParent());
    const double scale = view ? view->GetScale() : 1.0;
    if (scale <= 0.0)
        return 1.0;
    return inverScale ? 1.0 / scale : scale;
}

// Sets every item of one line to `height`; true when an item had a font.
bool SetLineHeight(vlapi::ITextLine& line, double height)
{
    line.SetHeight(height);
    bool fontSet = false;
    vlapi::ITextItemPtr item;
    for (int k = 0; k < line.GetItemsCount(); ++k) {
        item = line.GetItem(k);
        if (!item)
            continue;
        if (item->GetItemType() == vlapi::vlTItHyperText)
            item->SetItemType(vlapi::vlTItString);
        if (vlapi::ITextFontPtr font{item}) {
            font->SetHeight(height);
            fontSet = true;
        }
    }
    if (item)
        item->Update();
    return fontSet;
}

// Gives one text the height and moves its anchor by the factor, once.
void SetTextHeight(vlapi::IDrawingText& drawingText, vlapi::IText& text, double height, double factor)
{
    bool anchorScaled = false;
    for (int j = 0; j < text.GetLinesCount(); ++j) {
        vlapi::ITextLinePtr line = text.GetLine(j);
        if (!line)
            continue;
        if (SetLineHeight(*line.get(), height) && !anchorScaled) {
            drawingText.SetX(drawingText.GetX() * factor);
            drawingText.SetY(drawingText.GetY() * factor);
            anchorScaled = true;
        }
        drawingText.Update();
    }
}

}  // namespace

namespace vrnApi {

void GetTextObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    for (const vlapi::IDrawingObjectPtr& member : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(macro))) {
        const int type = member ? member->GetType() : vlapi::vlAllObj;
        if (type == vlapi::vlDrMacro)
            GetTextObjectsFromMacro(vlapi::IMacroObjectPtr(member), objs);
        else if (type == vlapi::vlDrDrawText)
            objs.push_back(member);
    }
}

void InitTextFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingTextPtr>& text)
{
    std::vector<vlapi::IDrawingObjectPtr> objs;
    GetTextObjectsFromMacro(macro, objs);
    for (const vlapi::IDrawingObjectPtr& obj : objs) {
        if (vlapi::IDrawingTextPtr drawingText{obj})
            text.push_back(drawingText);
    }
}

int GetLayerNumber(std::wstring name)
{
    vlapi::IViewPtr view = GetViewPtrByNumber(GetActiveView());
    vlapi::ILayersPtr layers = view ? view->GetLayers() : vlapi::ILayersPtr{};
    vlapi::ILayerPtr layer = layers ? layers->FindLayer(name) : vlapi::ILayerPtr{};
    return layer ? layer->GetNumber() : -1;
}

void OffsetObject(vlapi::IVarnelAPIObjectPtr obj, const NPoint& dp)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (doc && obj)
        doc->MoveObjects({obj}, dp.x, dp.y);
}

}  // namespace vrnApi

void NMacroObject::InitTextLayer()
{
    const int number = TextLayerNumber();
    if (number < 0)
        return;  // no text layer in the active view: the texts keep theirs
    for (const vlapi::IDrawingTextPtr& text : TextsOf(m_macro)) {
        text->SetLayer(number);
        text->Update();
    }
}

void NMacroObject::AddTextInMacro(std::wstring str, double x, double y, double h)
{
    const int number = TextLayerNumber();
    vlapi::IDrawingTextPtr text = vrnApi::CreateText(vlapi::IDrawingContainerPtr(m_macro), str, x, y, h);
    if (!text)
        return;
    if (number >= 0) {
        text->SetLayer(number);
        text->Update();
    }
    m_macro->Update();
}

void NMacroObject::ChangeTextInMacro(std::wstring str)
{
    const std::vector<vlapi::IDrawingTextPtr> texts = TextsOf(m_macro);
    for (const vlapi::IDrawingTextPtr& text : texts) {
        if (vlapi::ITextPtr face{text})
            face->SetText(str);
        text->Update();
    }
    if (!texts.empty())
        m_macro->Update();
}

void NMacroObject::OffsetTextInMacro(const NPoint& dp)
{
    if (!m_macro)
        return;
    std::vector<vlapi::IDrawingObjectPtr> texts;
    vrnApi::GetTextObjectsFromMacro(m_macro, texts);
    for (const vlapi::IDrawingObjectPtr& text : texts)
        vrnApi::OffsetObject(vlapi::IVarnelAPIObjectPtr(text), dp);
    m_macro->Update();
}

void NMacroObject::GetFontParams(std::vector<FontParams>& params) const
{
    for (const vlapi::IDrawingTextPtr& drawingText : TextsOf(m_macro)) {
        vlapi::ITextPtr text{drawingText};
        vlapi::ITextLinePtr line = text && text->GetLinesCount() > 0 ? text->GetLine(0) : vlapi::ITextLinePtr{};
        vlapi::ITextItemPtr item = line && line->GetItemsCount() > 0 ? line->GetItem(0) : vlapi::ITextItemPtr{};
        vlapi::ITextFontPtr font{item};
        if (font)
            params.push_back({font->GetHeight()});
    }
}

void NMacroObject::SetFontParams(const std::vector<FontParams>& params, bool offset, bool inverScale)
{
    if (!m_macro)
        return;
    const std::vector<vlapi::IDrawingTextPtr> texts = TextsOf(m_macro);
    if (texts.size() != params.size())
        return;
    const double factor = AnchorFactor(m_macro, offset, inverScale);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (vlapi::ITextPtr text{texts[i]})
            SetTextHeight(*texts[i].get(), *text.get(), params[i].height, factor);
    }
}
