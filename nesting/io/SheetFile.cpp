#include "io/SheetFile.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/ConverterDXF.h"
#include "io/DxfImport.h"
#include "io/DxfPartDrawing.h"
#include "io/ImportFiles.h"
#include "io/OutlineJoints.h"
#include "host/HostAccess.h"
#include "model/NestingSetting.h"
#include "geometry/RingArea.h"
#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <filesystem>

namespace sheetfile {
namespace {

namespace fs = std::filesystem;

constexpr double kJoin = 0.01;  // mm: a chain whose ends are this near is closed

// What of a sheet's DXF file is not cut, as the import of parts names it.
constexpr wchar_t kHiddenCurves[] = L"кривые на выключенных или замороженных слоях не загружены: ";
constexpr wchar_t kOtherStyles[] = L"замкнутые кривые не основной (сплошной) линии не режутся: ";

// The file's curves are followed within this of their course (mm), not with
// the sag the nesting follows parts with: an edge bowed by a millimetre or
// two is no side of a rectangle, and the sheet is not taken for one.
class FineSag {
public:
    FineSag() : m_saved(NestingSetting::m_instance.m_tolerance) { NestingSetting::m_instance.m_tolerance = kJoin; }
    ~FineSag() { NestingSetting::m_instance.m_tolerance = m_saved; }
    FineSag(const FineSag&) = delete;
    FineSag& operator=(const FineSag&) = delete;

private:
    double m_saved;
};

// The largest sheet side and thickness the source data take, mm.
constexpr double kLargestSide = 100000.0;
constexpr double kLargestThickness = 1000.0;
// The thinnest sheet a label gives: no part is thinner, and the registers,
// which print thicknesses to a hundredth, would show a thinner one as 0.
constexpr double kThinnest = 0.01;

// A number as a label gives it, with a point or a comma before its decimals.
std::optional<double> ReadNumber(std::wstring text)
{
    std::replace(text.begin(), text.end(), L',', L'.');
    if (text.empty() || std::iswspace(static_cast<wint_t>(text.front())))
        return std::nullopt;
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

bool Blank(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

std::wstring Trimmed(const std::wstring& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), Blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), Blank).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

// Latin and Cyrillic letters in lower case, whatever the locale.
std::wstring Folded(std::wstring text)
{
    for (wchar_t& c : text) {
        if ((c >= L'A' && c <= L'Z') || (c >= L'А' && c <= L'Я'))
            c = static_cast<wchar_t>(c + 0x20);
        else if (c == L'Ё')
            c = L'ё';
    }
    return text;
}

// What parts the numbers of a size: "2x200x185", "2X200X185", "2×200×185",
// "2*200*185", and "2х200х185" typed with a Cyrillic "х".
bool SizeSeparator(wchar_t c)
{
    return c == L'x' || c == L'X' || c == L'\u00D7' || c == L'*' || c == L'\u0445' || c == L'\u0425';
}

// The first word of the text; a size written with blanks about its
// separators ("2 x 200 x 185") is one word. `next` is where the rest begins.
std::wstring LeadingWord(const std::wstring& text, size_t& next)
{
    std::wstring word;
    size_t at = 0;
    const auto token = [&] {
        while (at < text.size() && !Blank(text[at]))
            word += text[at++];
    };
    token();
    const bool numeric = !word.empty() && (std::iswdigit(static_cast<wint_t>(word.front())) || word.front() == L'.' ||
                                           word.front() == L',' || word.front() == L'+' || word.front() == L'-');
    while (numeric && at < text.size()) {
        size_t after = at;
        while (after < text.size() && Blank(text[after]))
            ++after;
        if (after == text.size() || !(SizeSeparator(word.back()) || SizeSeparator(text[after])))
            break;
        at = after;
        token();
    }
    next = at;
    return word;
}

// Blanks of any kind (tabs, the line breaks of a text of several lines) as one space.
std::wstring OneLine(const std::wstring& text)
{
    std::wstring line;
    for (wchar_t c : text) {
        if (!Blank(c))
            line += c;
        else if (!line.empty() && line.back() != L' ')
            line += L' ';
    }
    return Trimmed(line);
}

// The outline drawn again: a ring inside it with its box and its area.
bool SameRing(const NPolygon& ring, const NPolygon& outline)
{
    const NRect& a = ring.GetGabarit();
    const NRect& b = outline.GetGabarit();
    const double area = std::fabs(SignedArea(outline.m_points));
    return Distance(a.pBot, b.pBot) <= kJoin && Distance(a.pTop, b.pTop) <= kJoin &&
           std::fabs(std::fabs(SignedArea(ring.m_points)) - area) <= 1e-6 * area + kJoin;
}

// A label's size is the outline's, either way round, to the millimetre it
// is written in.
bool SameSize(const std::pair<double, double>& label, double w, double h)
{
    constexpr double kWritten = 1.0;  // mm
    const auto near = [](double a, double b) { return std::fabs(a - b) <= kWritten; };
    return (near(label.first, w) && near(label.second, h)) || (near(label.first, h) && near(label.second, w));
}

bool IsDxf(const fs::path& file)
{
    std::wstring extension = file.extension().wstring();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
    return extension == L".dxf";
}

// What a sheet's file gives: the chains of the curves that are cut, its
// texts, the macros standing in it (their curves are not read), and the
// curves cut with the names of their layers, to name the rings they make
// while the file is open; of a DXF file besides, what is not cut and what
// its reader left out, as the import of parts tells them.
struct Drawn {
    std::vector<NContourPtr> contours;
    std::vector<std::wstring> texts;
    size_t macros = 0;
    std::vector<vlapi::IDrawingObjectPtr> curves;
    std::function<std::wstring(const vlapi::IDrawingObjectPtr&)> layerOf;
    std::wstring leftOut;                         // "пропущено: ..." of the reader
    std::vector<dxfimport::FileCurve> notRead;    // the closed curves it left out
    std::wstring hidden;                          // curves on layers off or frozen, by layer and kind
    std::vector<std::wstring> hiddenLabels;       // remnants' labels there, with their layers
    std::wstring otherStyles;                     // closed curves in line styles other than the main one
    std::wstring lost;                            // the outline is one not cut or left out: why
};

// Reads the objects of `container` into `drawn`: those `cut` takes as its
// curves (the others are none of the sheet's), every text.
void ReadObjects(const vlapi::IDrawingContainerPtr& container, const std::function<bool(const vlapi::IDrawingObjectPtr&)>& cut,
                 const std::function<std::wstring(const vlapi::IDrawingObjectPtr&)>& layerOf, Drawn& drawn)
{
    if (!container)
        return;
    for (const vlapi::IDrawingObjectPtr& object : container->GetObjects({vlapi::vlAllObj})) {
        if (vlapi::ITextPtr text{object})
            drawn.texts.push_back(text->GetText());
        else if (object && object->IsGeometry() && cut(object))
            drawn.curves.push_back(object);
        else if (vlapi::IMacroObjectPtr{object})
            ++drawn.macros;
    }
    std::vector<NSegmentPtr> segments;
    vrnApi::ApproximateObjectsByLineSegments(drawn.curves, segments);
    CreateContinuousContours(segments, drawn.contours);
    drawn.layerOf = layerOf;
}

// The names of the layers of the active view, by number.
std::map<int, std::wstring> LayerNames()
{
    std::map<int, std::wstring> names;
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(vrnApi::GetActiveDocument2D());
    const vlapi::IViewPtr view = views ? views->GetActiveView() : nullptr;
    if (const vlapi::ILayersPtr layers = view ? view->GetLayers() : nullptr)
        for (int i = 0; i < layers->GetCount(); ++i)
            if (const vlapi::ILayerPtr layer{layers->GetItem(i)})
                names[layer->GetNumber()] = layer->GetName();
    return names;
}

// The curves and texts of a DXF file, read by the host's converter into a
// hidden fragment that goes again; the reason when nothing could be read.
// What the converter could not read is not shown by it: it goes into our one
// message, the reason of a file not read, or `leftOut` of one read in part.
// Curves on layers off or frozen and curves in line styles other than the
// main one are not cut, as in a part. `then` runs while what was read is there.
std::wstring ReadDxf(const std::wstring& path, Drawn& drawn, const std::function<void()>& then)
{
    ConverterDXF converter;
    if (!converter.Init(true, true))
        return L"не загружен конвертер DXF: " + converter.Error();
    converter.ShowProblems(false);
    importfiles::HiddenFragment fragment;
    if (!fragment.Get() || !fragment.IsActive())
        return L"не удалось создать документ для чтения файла";
    const bool read = converter.Convert(path, std::wstring());
    drawn.leftOut = dxfimport::ProblemsText(converter.Problems());
    const fs::path file = vrnApi::detail::PathOf(path);
    if (!read)
        return dxfimport::UnreadText(file, drawn.leftOut);
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(fragment.Get());
    const vlapi::IViewPtr view = views ? views->GetActiveView() : nullptr;
    if (!fragment.IsActive() || !view)
        return L"файл не прочитан как DXF";
    // The closed curves it left out, which may be cuts inside the sheet.
    if (!drawn.leftOut.empty())
        drawn.notRead = dxfimport::CurvesNotRead(fragment.Get(), view, file);
    dxfimport::FileLayers fileLayers;
    std::vector<dxfimport::FileCurve> hiddenRings;
    std::vector<dxfimport::LayerText> hiddenTexts;
    dxfimport::SortOntoLayers(view, &fileLayers, &drawn.hidden, &hiddenRings, &hiddenTexts);
    const std::wstring word = vrnApi::LoadStr(IDS_WASTE);
    for (const dxfimport::LayerText& text : hiddenTexts)
        if (ReadRemnantLabel(text.text, word).found)
            drawn.hiddenLabels.push_back(L"«" + Trimmed(text.text) + L"» на слое «" + text.layer + L"»");
    drawn.lost = dxfimport::LostOutline(fragment.Get(), view, hiddenRings, &file, &fileLayers);
    drawn.otherStyles = dxfimport::ClosedCurvesNotCut(view, &fileLayers);
    const auto layerOf = [&](const vlapi::IDrawingObjectPtr& obj) {
        const auto named = fileLayers.find(hostAccess::ReferenceOf(obj));
        return named != fileLayers.end() ? named->second : std::wstring(L"0");
    };
    ReadObjects(vlapi::IDrawingContainerPtr(view), [](const vlapi::IDrawingObjectPtr& obj) { return obj->GetLayer() == 0; },
                layerOf, drawn);
    then();
    return {};
}

// The lost outline as a part's import tells it, told of a sheet.
std::wstring OfSheet(std::wstring text)
{
    static const std::pair<std::wstring_view, std::wstring_view> kWords[] = {
        {L"внешний контур не импортирован", L"контур листа не загружен"},
        {L"внешний контур проведён", L"контур листа проведён"},
        {L"все импортированные кривые детали", L"все загруженные кривые листа"},
        {L"внешним контуром детали", L"контуром листа"},
    };
    for (const auto& [part, sheet] : kWords)
        if (const size_t at = text.find(part); at != std::wstring::npos)
            text.replace(at, part.size(), sheet);
    return text;
}

// The ring of `rings` that `ring` follows (the boxes of the two
// within the sag it was followed with); "контур у (x; y)" when none is.
std::wstring RingName(const NPolygon& ring, const std::vector<dxfimport::FileCurve>& rings)
{
    const NRect& box = ring.GetGabarit();
    constexpr double kNear = 10 * kJoin;
    double best = kNear;
    const dxfimport::FileCurve* named = nullptr;
    for (const dxfimport::FileCurve& r : rings) {
        const double off = std::max({std::fabs(r.x1 - box.pBot.x), std::fabs(r.y1 - box.pBot.y), std::fabs(r.x2 - box.pTop.x),
                                     std::fabs(r.y2 - box.pTop.y)});
        if (off <= best)
            best = off, named = &r;
    }
    return named ? named->named : L"контур у " + dxfimport::PointText(ring.m_points.front());
}

// A closed chain: an outline, or a hole, or a part drawn on the sheet.
bool Closed(const NContour& contour)
{
    return contour.m_segments.size() >= 3 &&
           Distance(contour.m_segments.front()->p1, contour.m_segments.back()->p2) <= kJoin;
}

// An open chain that draws a line: a point drawn is none.
bool OpenLine(const NContourPtr& contour)
{
    return contour && !contour->m_segments.empty() && !Closed(*contour) &&
           std::all_of(contour->m_segments.begin(), contour->m_segments.end(), [](const NSegmentPtr& s) { return s; }) &&
           std::any_of(contour->m_segments.begin(), contour->m_segments.end(),
                       [](const NSegmentPtr& s) { return Distance(s->p1, s->p2) > kJoin; });
}

// The open chains (lines, arcs, polylines not closed) that reach the
// outline, touching it or crossing it: with it they part the sheet, as a
// slot open to its edge or a cut across it does. Chains that stand clear of
// it, such as marks, do not.
size_t ChainsReachingOutline(const std::vector<NContourPtr>& contours, const NPolygon& outline)
{
    const std::vector<NPoint>& corners = outline.m_points;
    const auto reaches = [&](const NSegment& segment) {
        for (size_t i = 0; i < corners.size(); ++i) {
            const NPoint& a = corners[i];
            const NPoint& b = corners[(i + 1) % corners.size()];
            if (CheckIntersectionSegments(segment.p1, segment.p2, a, b) ||
                DistancePointToSegment(segment.p1, a, b) <= kJoin || DistancePointToSegment(segment.p2, a, b) <= kJoin ||
                DistancePointToSegment(a, segment.p1, segment.p2) <= kJoin)
                return true;
        }
        return false;
    };
    return static_cast<size_t>(std::count_if(contours.begin(), contours.end(), [&](const NContourPtr& contour) {
        return OpenLine(contour) && std::any_of(contour->m_segments.begin(), contour->m_segments.end(),
                                                [&](const NSegmentPtr& segment) { return reaches(*segment); });
    }));
}

// The open lines inside the outline (none of them reaches it).
size_t ChainsInside(const std::vector<NContourPtr>& contours, const NPolygon& outline)
{
    return static_cast<size_t>(std::count_if(contours.begin(), contours.end(), [&](const NContourPtr& contour) {
        return OpenLine(contour) && outline.CheckContainPoint(contour->m_segments.front()->p1, false);
    }));
}

// The closed outlines among the contours, the one of the largest box first.
VectorPolygon ClosedOutlines(const std::vector<NContourPtr>& contours)
{
    VectorPolygon rings;
    for (const NContourPtr& contour : contours) {
        if (!contour || !Closed(*contour))
            continue;
        NPolygonPtr ring = contour->CreatePolygon();
        if (!ring)
            continue;
        ring->DelEquilPoints();
        ring->DelColinearPoints();
        ring->UpdateGabarit();
        if (ring->m_points.size() >= 3)
            rings.push_back(ring);
    }
    std::stable_sort(rings.begin(), rings.end(), [](const NPolygonPtr& a, const NPolygonPtr& b) {
        return a->GetGabaritArea() > b->GetGabaritArea();
    });
    return rings;
}

// The sheet the outlines and texts of a file give; empty when they give
// one, otherwise why they do not.
std::wstring ReadOutline(const Drawn& drawn, SheetOfFile& sheet)
{
    const std::vector<NContourPtr>& contours = drawn.contours;
    const VectorPolygon rings = ClosedOutlines(contours);
    if (rings.empty())
        return L"в файле нет замкнутого контура листа";
    // An outline not cut, or left out, about the one read: the sheet is not the one read.
    if (!drawn.lost.empty())
        return OfSheet(drawn.lost);
    // Every outline of the file lies within the sheet's.
    const NPolygonPtr& outer = rings.front();
    if (std::any_of(rings.begin() + 1, rings.end(), [&](const NPolygonPtr& ring) {
            return !SameRing(*ring, *outer) && !outer->CheckContainPoligon(*ring, true);
        }))
        return L"в файле не один контур листа: есть контуры вне самого большого";
    double w = 0.0;
    double h = 0.0;
    if (!outer->CheckRectangle(w, h))
        return vrnApi::LoadStr(IDS_MESS_SHEET_RECTANGLE);
    // An upright rectangle keeps its orientation; a turned one lies on its longer side.
    const NRect& box = outer->GetGabarit();
    const double boxWidth = box.pTop.x - box.pBot.x;
    const double boxHeight = box.pTop.y - box.pBot.y;
    if (std::fabs(boxWidth * boxHeight - w * h) < 1e-3 * w * h) {
        w = boxWidth;
        h = boxHeight;
    } else if (w < h) {
        std::swap(w, h);
    }
    // Whole millimetres as a remnant's name gives them.
    const double wholeW = uf::FloorMillimetres(w);
    const double wholeH = uf::FloorMillimetres(h);
    if (!(wholeW >= 1.0 && wholeH >= 1.0))
        return L"сторона листа меньше 1 мм";
    if (!(wholeW <= kLargestSide && wholeH <= kLargestSide))
        return L"сторона листа больше 100000 мм";
    SheetOfFile read;
    read.width = wholeW;
    read.height = wholeH;
    // The remnant's label, when the file holds one: every copy of it the same.
    const std::wstring word = vrnApi::LoadStr(IDS_WASTE);
    RemnantLabel label;
    std::wstring sheetLabel;
    for (const std::wstring& text : drawn.texts) {
        RemnantLabel given = ReadRemnantLabel(text, word);
        if (!given.found)
            continue;
        if (label.found && Trimmed(text) != sheetLabel)
            return L"в файле надписи разных отходов: «" + sheetLabel + L"» и «" + Trimmed(text) + L"»";
        label = std::move(given);
        sheetLabel = Trimmed(text);
    }
    // A sheet is taken whole: closed outlines inside it are holes, or parts
    // standing on it, that the nesting would cut through.
    // Each named with its kinds, layer and place.
    constexpr size_t kNamed = 5;
    std::vector<std::wstring> inside;
    std::optional<std::vector<dxfimport::FileCurve>> named;
    for (auto ring = rings.begin() + 1; ring != rings.end(); ++ring) {
        if (SameRing(**ring, *outer))
            continue;
        if (!named)
            named = dxfimport::NamedRings(drawn.curves, drawn.layerOf);
        inside.push_back(RingName(**ring, *named));
    }
    const std::wstring whose = label.found ? L"у отхода" : L"у листа";
    if (!inside.empty())
        return whose + L" есть вырезы (замкнутых контуров внутри контура листа: " + std::to_wstring(inside.size()) +
               L"): " + uf::FirstNames(inside, kNamed) + L", а лист загружается только целым";
    // So is a closed curve the DXF reader left out, whatever for (or one of
    // which it is not known where it lies).
    std::vector<std::wstring> unseen, unplaced;
    for (const dxfimport::FileCurve& curve : drawn.notRead) {
        if (curve.unplaced)
            unplaced.push_back(curve.named);
        else if (std::any_of(curve.on.begin(), curve.on.end(), [&](const NPoint& p) { return outer->CheckContainPoint(p, false); }))
            unseen.push_back(curve.named);
    }
    if (!unseen.empty())
        return whose + (unseen.size() == 1 ? L" есть вырез, который не прочитан: " : L" есть вырезы, которые не прочитаны: ") +
               uf::FirstNames(unseen, kNamed) + L", а лист загружается только целым";
    if (!unplaced.empty())
        return L"не прочитано, где лежит объект, который может быть вырезом листа: " + uf::FirstNames(unplaced, kNamed) +
               L", а лист загружается только целым";
    // What a macro holds is not read: a hole or a part drawn as one would go unseen.
    if (drawn.macros > 0)
        return L"в файле есть макроэлементы (" + std::to_wstring(drawn.macros) +
               L"): их контуры не читаются, а лист загружается только целым; разбейте их на линии";
    if (const size_t cuts = ChainsReachingOutline(contours, *outer); cuts > 0)
        return whose + L" есть прорези или разрезы (линий, доходящих до контура листа: " + std::to_wstring(cuts) +
               L"), а лист загружается только целым";
    read.looseLines = ChainsInside(contours, *outer);
    if (label.found) {
        if (!label.damage.empty())
            return L"в надписи отхода «" + sheetLabel + L"» " + label.damage;
        if (label.size && !SameSize(*label.size, w, h))
            return L"размер в надписи отхода «" + sheetLabel + L"» не совпадает с контуром листа " +
                   uf::NumberText(read.width) + L" × " + uf::NumberText(read.height) + L" мм";
        read.thickness = label.thickness;
        read.material = label.material;
        read.label = sheetLabel;
    }
    sheet = read;
    return {};
}

}  // namespace

RemnantLabel ReadRemnantLabel(const std::wstring& text, const std::wstring& word)
{
    RemnantLabel read;
    const std::wstring label = Trimmed(text);
    // The word in any case, then a blank: "Отход", "отход", "ОТХОД".
    if (word.empty() || label.size() <= word.size() || Folded(label.substr(0, word.size())) != Folded(word) ||
        !Blank(label[word.size()]))
        return read;
    read.found = true;
    // The numbers "-n(m)" close the sheet's part of the name, whatever the sheet is called.
    size_t close = std::wstring::npos;
    for (size_t at = label.find(L')'); at != std::wstring::npos; at = label.find(L')', at + 1)) {
        const size_t open = label.rfind(L'(', at);
        const size_t dash = open == std::wstring::npos ? std::wstring::npos : label.rfind(L'-', open);
        const auto digits = [&](size_t from, size_t to) {
            return to > from && std::all_of(label.begin() + static_cast<std::ptrdiff_t>(from),
                                            label.begin() + static_cast<std::ptrdiff_t>(to),
                                            [](wchar_t c) { return c >= L'0' && c <= L'9'; });
        };
        if (dash != std::wstring::npos && digits(dash + 1, open) && digits(open + 1, at))
            close = at;
    }
    if (close == std::wstring::npos) {
        read.damage = L"не прочитана: после имени листа нет номера отхода «-n(m)»";
        return read;
    }
    const std::wstring rest = Trimmed(label.substr(close + 1));
    size_t next = 0;
    const std::wstring first = LeadingWord(rest, next);
    const std::wstring material = Trimmed(rest.substr(next));
    // The size: numbers between "x" (or "X", "×", "*", a Cyrillic "х"). A
    // word that is no size is the material's start: a grade such as
    // "12Х18Н10Т" or "08X18H10" is no size, nor is "2X200X185" a material.
    std::vector<std::wstring> fields;
    bool plain = true;  // parted by "x" alone, as the export writes it
    for (size_t from = 0; from <= first.size();) {
        size_t to = from;
        while (to < first.size() && !SizeSeparator(first[to]))
            ++to;
        if (to < first.size())
            plain = plain && first[to] == L'x';
        fields.push_back(first.substr(from, to - from));
        from = to + 1;
    }
    std::vector<std::optional<double>> numbers;
    for (const std::wstring& field : fields)
        numbers.push_back(ReadNumber(field));
    const auto number = [](const std::optional<double>& n) { return n.has_value(); };
    const bool sized = fields.size() >= 2 && (std::all_of(numbers.begin(), numbers.end(), number) ||
                                              (plain && std::any_of(numbers.begin(), numbers.end(), number)));
    if (!sized) {
        if (!rest.empty())
            read.material = OneLine(rest);
        return read;
    }
    const size_t n = fields.size();
    const auto positive = [](const std::optional<double>& v, double most) {
        return v && std::isfinite(*v) && *v > 0.0 && *v <= most;
    };
    if (n > 3) {
        read.damage = L"размер «" + first + L"» не прочитан: в нём больше трёх чисел (толщина, длина и ширина)";
        return read;
    }
    if (!positive(numbers[n - 2], kLargestSide * 10.0) || !positive(numbers[n - 1], kLargestSide * 10.0)) {
        read.damage = L"размер «" + first + L"» не прочитан: нужны длина и ширина больше 0";
        return read;
    }
    if (n == 3 && !(positive(numbers[0], kLargestThickness) && *numbers[0] >= kThinnest)) {
        read.damage = L"толщина «" + fields[0] + L"» не прочитана: нужно число от " + uf::NumberText(kThinnest) +
                      L" до " + uf::NumberText(kLargestThickness) + L" мм";
        return read;
    }
    read.size = std::make_pair(*numbers[n - 2], *numbers[n - 1]);
    if (n == 3)
        read.thickness = numbers[0];
    if (!material.empty())
        read.material = OneLine(material);
    return read;
}

std::wstring ReadSheet(const std::wstring& path, SheetOfFile& sheet)
{
    Drawn drawn;
    std::wstring failure, why;
    const fs::path file = vrnApi::detail::PathOf(path);
    std::error_code ec;
    const FineSag sag;
    // Read while the file's objects are there; none is held once it goes.
    const auto outline = [&] {
        why = ReadOutline(drawn, sheet);
        drawn.curves.clear();
        drawn.layerOf = nullptr;
    };
    if (!IsDxf(file) || !fs::is_regular_file(file, ec)) {
        // A drawing's curves are all the sheet's, on whatever layer.
        const auto read = [&](const vlapi::IDrawingContainerPtr& container) {
            const std::map<int, std::wstring> names = LayerNames();
            const auto layerOf = [&](const vlapi::IDrawingObjectPtr& obj) {
                const auto named = names.find(obj->GetLayer());
                return named != names.end() ? named->second : std::to_wstring(obj->GetLayer());
            };
            ReadObjects(container, [](const vlapi::IDrawingObjectPtr&) { return true; }, layerOf, drawn);
            outline();
        };
        if (!vrnApi::ReadFileObjects(path, failure, read))
            return failure;
    } else if (const std::wstring fault = ReadDxf(path, drawn, outline); !fault.empty()) {
        return vrnApi::LoadStr(IDS_ERR_OPEN_FILE) + L" " + path + L": " + fault;
    }
    const std::wstring refused = L"Лист не загружен из файла " + path + L": ";
    // A sheet refused for what it lacks may lack what is not cut, or what
    // the converter left out; one taken is taken without them, and the user told.
    if (!why.empty())
        return refused + why + (drawn.hidden.empty() ? L"" : L"; " + std::wstring(kHiddenCurves) + drawn.hidden) +
               (drawn.otherStyles.empty() ? L"" : L"; " + std::wstring(kOtherStyles) + drawn.otherStyles) +
               (drawn.leftOut.empty() ? L"" : L"; при чтении " + drawn.leftOut);
    sheet.leftOut = drawn.leftOut;
    sheet.hidden = drawn.hidden;
    sheet.hiddenLabels = drawn.hiddenLabels;
    sheet.otherStyles = drawn.otherStyles;
    return {};
}

}  // namespace sheetfile
