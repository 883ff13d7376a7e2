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

// Where a member macro's own frame stands in its holder's: turned by its
// angle, then moved.
struct Frame {
    double c = 1.0, s = 0.0, x = 0.0, y = 0.0;

    NPoint Out(const NPoint& p) const { return {c * p.x - s * p.y + x, s * p.x + c * p.y + y}; }
    NPoint In(const NPoint& p) const { return {c * (p.x - x) + s * (p.y - y), -s * (p.x - x) + c * (p.y - y)}; }
    // This frame placed by `holder`.
    Frame Within(const Frame& holder) const
    {
        const NPoint origin = holder.Out({x, y});
        return {holder.c * c - holder.s * s, holder.s * c + holder.c * s, origin.x, origin.y};
    }
};

struct FramedText {
    vlapi::IDrawingTextPtr text;
    Frame frame;  // from the text's container to the macro's own frame
};

// A macro's texts in text order, each with the frame of the container (the
// macro or one of its member macros) its anchor is in.
void CollectTexts(const vlapi::IMacroObjectPtr& macro, const Frame& frame, std::vector<FramedText>& texts)
{
    for (const vlapi::IDrawingObjectPtr& member : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(macro))) {
        const int type = member ? member->GetType() : vlapi::vlAllObj;
        if (type == vlapi::vlDrMacro) {
            const vlapi::IMacroObjectPtr inner(member);
            double x = 0.0, y = 0.0, angle = 0.0;
            int mirrored = 0;
            if (!inner || !inner->GetPlacement(x, y, angle, mirrored))
                continue;
            const double a = angle * DR;
            CollectTexts(inner, Frame{std::cos(a), std::sin(a), x, y}.Within(frame), texts);
        } else if (type == vlapi::vlDrDrawText) {
            if (vlapi::IDrawingTextPtr text{member})
                texts.push_back({text, frame});
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
    // apart at a large one, their heights left as they were). So the label
    // grows as a whole, by the ratio of its smallest text's new height to
    // its smallest old one, about the middle of all its anchors (those of a
    // compound's members taken where the members stand): no text grows by
    // more than that, so texts that stood clear of one another still do,
    // and the lines keep their order and arrangement, whatever heights the
    // file gave them and however the members are turned. The middle stays
    // where it was, and setting the old heights again puts every anchor
    // back.
    if (!m_macro)
        return;
    std::vector<FramedText> texts;
    CollectTexts(m_macro, Frame{}, texts);
    if (texts.size() != params.size())
        return;
    struct Change {
        vlapi::IDrawingTextPtr drawing;
        vlapi::ITextPtr text;
        Frame frame;
        double after;
        bool moves;
    };
    std::vector<Change> changes;
    double smallestBefore = 0.0;
    double smallestAfter = 0.0;
    NPoint sum;
    double count = 0.0;
    for (size_t i = 0; i < texts.size(); ++i) {
        vlapi::ITextPtr text{texts[i].text};
        if (!text)
            continue;
        const double before = HeightOf(*text.get());
        const double after = params[i].height;
        const bool moves = before > 0.0 && after > 0.0 && std::isfinite(after / before);
        if (moves) {
            smallestBefore = smallestBefore > 0.0 ? std::min(smallestBefore, before) : before;
            smallestAfter = smallestAfter > 0.0 ? std::min(smallestAfter, after) : after;
            sum += texts[i].frame.Out({texts[i].text->GetX(), texts[i].text->GetY()});
            count += 1.0;
        }
        changes.push_back({texts[i].text, text, texts[i].frame, after, moves});
    }
    const double ratio = smallestBefore > 0.0 ? smallestAfter / smallestBefore : 1.0;
    const NPoint middle = count > 0.0 ? NPoint{sum.x / count, sum.y / count} : NPoint{};
    for (const Change& c : changes) {
        for (int j = 0; j < c.text->GetLinesCount(); ++j) {
            if (vlapi::ITextLinePtr line = c.text->GetLine(j))
                SetLineHeight(*line.get(), c.after);
        }
        if (c.moves) {
            const NPoint centre = c.frame.In(middle);
            c.drawing->SetX(centre.x + (c.drawing->GetX() - centre.x) * ratio);
            c.drawing->SetY(centre.y + (c.drawing->GetY() - centre.y) * ratio);
        }
        c.drawing->Update();
    }
}
