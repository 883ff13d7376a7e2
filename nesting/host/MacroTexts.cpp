// Texts and fonts of a library macro.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <utility>

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

// Sets every item of one line to `height`.
void SetLineHeight(vlapi::ITextLine& line, double height)
{
    line.SetHeight(height);
    vlapi::ITextItemPtr item;
    for (int k = 0; k < line.GetItemsCount(); ++k) {
        item = line.GetItem(k);
        if (!item)
            continue;
        if (item->GetItemType() == vlapi::vlTItHyperText)
            item->SetItemType(vlapi::vlTItString);
        if (vlapi::ITextFontPtr font{item})
            font->SetHeight(height);
    }
    if (item)
        item->Update();
}

// The height of a text as GetFontParams reads it: its first item's; 0 without one.
double HeightOf(vlapi::IText& text)
{
    vlapi::ITextLinePtr line = text.GetLinesCount() > 0 ? text.GetLine(0) : vlapi::ITextLinePtr{};
    vlapi::ITextItemPtr item = line && line->GetItemsCount() > 0 ? line->GetItem(0) : vlapi::ITextItemPtr{};
    vlapi::ITextFontPtr font{item};
    return font ? font->GetHeight() : 0.0;
}

// A macro's texts in text order, each with the number of the container
// (the macro or one of its member macros) whose frame its anchor is in.
void CollectTexts(const vlapi::IMacroObjectPtr& macro, int& containers,
                  std::vector<std::pair<vlapi::IDrawingTextPtr, int>>& texts)
{
    const int own = containers++;
    for (const vlapi::IDrawingObjectPtr& member : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(macro))) {
        const int type = member ? member->GetType() : vlapi::vlAllObj;
        if (type == vlapi::vlDrMacro) {
            CollectTexts(vlapi::IMacroObjectPtr(member), containers, texts);
        } else if (type == vlapi::vlDrDrawText) {
            if (vlapi::IDrawingTextPtr text{member})
                texts.emplace_back(text, own);
        }
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

void NMacroObject::SetFontParams(const std::vector<FontParams>& params, bool /*offset*/, bool /*inverScale*/)
{
    // A text's height and its anchor are lengths of one frame, the view's
    // as the macro stands in it: a label keeps its lines apart only when
    // they move as their heights change, whatever the view's scale (a factor
    // of the scale alone would pull the lines together at a small scale and
    // apart at a large one, their heights left as they were). So, for the
    // texts of one frame, each anchor moves from the label's middle by the
    // ratio of the text's new height to its old one. The middle is the
    // anchors' mean weighted by their inverse heights: the heights changed,
    // it stays where it was, and setting the old heights again puts every
    // anchor back.
    if (!m_macro)
        return;
    std::vector<std::pair<vlapi::IDrawingTextPtr, int>> texts;
    int containers = 0;
    CollectTexts(m_macro, containers, texts);
    if (texts.size() != params.size())
        return;
    struct Change {
        vlapi::IDrawingTextPtr drawing;
        vlapi::ITextPtr text;
        int frame;
        double before;
        double after;
        bool moves;
    };
    std::vector<Change> changes;
    for (size_t i = 0; i < texts.size(); ++i) {
        vlapi::ITextPtr text{texts[i].first};
        if (!text)
            continue;
        const double before = HeightOf(*text.get());
        const double after = params[i].height;
        const bool moves = before > 0.0 && after > 0.0 && std::isfinite(after / before);
        changes.push_back({texts[i].first, text, texts[i].second, before, after, moves});
    }
    std::vector<NPoint> sum(static_cast<size_t>(containers));
    std::vector<double> weight(static_cast<size_t>(containers), 0.0);
    for (const Change& c : changes) {
        if (!c.moves)
            continue;
        sum[static_cast<size_t>(c.frame)] += NPoint{c.drawing->GetX() / c.before, c.drawing->GetY() / c.before};
        weight[static_cast<size_t>(c.frame)] += 1.0 / c.before;
    }
    for (const Change& c : changes) {
        for (int j = 0; j < c.text->GetLinesCount(); ++j) {
            if (vlapi::ITextLinePtr line = c.text->GetLine(j))
                SetLineHeight(*line.get(), c.after);
        }
        if (c.moves) {
            const NPoint middle{sum[static_cast<size_t>(c.frame)].x / weight[static_cast<size_t>(c.frame)], sum[static_cast<size_t>(c.frame)].y / weight[static_cast<size_t>(c.frame)]};
            const double ratio = c.after / c.before;
            c.drawing->SetX(middle.x + (c.drawing->GetX() - middle.x) * ratio);
            c.drawing->SetY(middle.y + (c.drawing->GetY() - middle.y) * ratio);
        }
        c.drawing->Update();
    }
}
