#include "io/SheetFile.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/ConverterDXF.h"
#include "io/DxfImport.h"
#include "io/ImportFiles.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <filesystem>

namespace sheetfile {
namespace {

namespace fs = std::filesystem;

constexpr double kJoin = 0.01;  // mm: a chain whose ends are this near is closed

// The largest sheet side and thickness the source data take, mm.
constexpr double kLargestSide = 100000.0;
constexpr double kLargestThickness = 1000.0;

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

// A size "TxWxH" or "WxH" as a remnant's name gives it; the thickness when it
// has one that a sheet can have. False for any other word; a size of
// numbers no sheet has (not finite, negative) is a size all the same, and
// gives no thickness.
bool ReadSize(const std::wstring& word, std::optional<double>& thickness)
{
    std::vector<double> numbers;
    size_t from = 0;
    while (from <= word.size()) {
        const size_t x = std::min(word.find(L'x', from), word.size());
        const std::optional<double> number = ReadNumber(word.substr(from, x - from));
        if (!number)
            return false;
        numbers.push_back(*number);
        from = x + 1;
    }
    if (numbers.size() != 2 && numbers.size() != 3)
        return false;
    const double t = numbers.front();
    if (numbers.size() == 3 && std::isfinite(t) && t > 0.0 && t <= kLargestThickness)
        thickness = t;
    return true;
}

std::wstring Trimmed(const std::wstring& text)
{
    const auto blank = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), blank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), blank).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

bool IsDxf(const fs::path& file)
{
    std::wstring extension = file.extension().wstring();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); });
    return extension == L".dxf";
}

// The curves and texts of a DXF file, read by the host's converter into a
// hidden fragment that goes again; the reason when nothing could be read.
// What the converter could not read is not shown by it: it goes into our one
// message, the reason of a file not read, or `leftOut` of one read in part.
std::wstring ReadDxf(const std::wstring& path, std::vector<NContourPtr>& contours, std::vector<std::wstring>& texts,
                     std::wstring& leftOut)
{
    ConverterDXF converter;
    if (!converter.Init(true, true))
        return L"не загружен конвертер DXF: " + converter.Error();
    converter.ShowProblems(false);
    importfiles::HiddenFragment fragment;
    if (!fragment.Get() || !fragment.IsActive())
        return L"не удалось создать документ для чтения файла";
    const bool read = converter.Convert(path, std::wstring());
    leftOut = dxfimport::ProblemsText(converter.Problems());
    if (!read)
        return dxfimport::UnreadText(vrnApi::detail::PathOf(path), leftOut);
    if (!fragment.IsActive())
        return L"файл не прочитан как DXF";
    vrnApi::ReadDrawing(vrnApi::GetActiveDrawingContainer(), contours, texts);
    return {};
}

// The closed outlines among the contours, the one of the largest box first.
VectorPolygon ClosedOutlines(const std::vector<NContourPtr>& contours)
{
    VectorPolygon rings;
    for (const NContourPtr& contour : contours) {
        if (!contour || contour->m_segments.size() < 3 ||
            Distance(contour->m_segments.front()->p1, contour->m_segments.back()->p2) > kJoin)
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
std::wstring ReadOutline(const std::vector<NContourPtr>& contours, const std::vector<std::wstring>& texts,
                         SheetOfFile& sheet)
{
    const VectorPolygon rings = ClosedOutlines(contours);
    if (rings.empty())
        return L"в файле нет замкнутого контура листа";
    // A sheet's file may hold its parts; nothing lies outside the sheet.
    const NPolygonPtr& outer = rings.front();
    if (std::any_of(rings.begin() + 1, rings.end(), [&](const NPolygonPtr& ring) {
            return !outer->CheckContainPoligon(*ring, true);
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
    if (!(std::floor(w + EPS) >= 1.0 && std::floor(h + EPS) >= 1.0))
        return L"сторона листа меньше 1 мм";
    if (!(std::floor(w + EPS) <= kLargestSide && std::floor(h + EPS) <= kLargestSide))
        return L"сторона листа больше 100000 мм";
    SheetOfFile read;
    read.width = std::floor(w + EPS);
    read.height = std::floor(h + EPS);
    const std::wstring word = vrnApi::LoadStr(IDS_WASTE);
    bool remnant = false;
    for (const std::wstring& text : texts) {
        ReadRemnantLabel(text, word, read);
        remnant = remnant || Trimmed(text).rfind(word + L" ", 0) == 0;
    }
    // A remnant around parts left standing in it has them as islands: its
    // stock is no rectangle.
    if (remnant && rings.size() > 1)
        return vrnApi::LoadStr(IDS_MESS_SHEET_RECTANGLE) + L" (у отхода есть вырезы)";
    sheet = read;
    return {};
}

}  // namespace

void ReadRemnantLabel(const std::wstring& text, const std::wstring& word, SheetOfFile& sheet)
{
    const std::wstring label = Trimmed(text);
    if (word.empty() || label.rfind(word + L" ", 0) != 0)
        return;
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
    if (close == std::wstring::npos)
        return;
    std::wstring rest = Trimmed(label.substr(close + 1));
    const size_t blank = rest.find(L' ');
    std::optional<double> thickness;
    if (ReadSize(rest.substr(0, blank), thickness)) {
        rest = blank == std::wstring::npos ? std::wstring() : Trimmed(rest.substr(blank));
        if (thickness)
            sheet.thickness = thickness;
    }
    if (!rest.empty())
        sheet.material = rest;
}

std::wstring ReadSheet(const std::wstring& path, SheetOfFile& sheet)
{
    std::vector<NContourPtr> contours;
    std::vector<std::wstring> texts;
    std::wstring failure;
    std::wstring leftOut;
    const fs::path file = vrnApi::detail::PathOf(path);
    std::error_code ec;
    if (!IsDxf(file) || !fs::is_regular_file(file, ec)) {
        if (!vrnApi::ReadFileDrawing(path, contours, texts, failure))
            return failure;
    } else if (const std::wstring why = ReadDxf(path, contours, texts, leftOut); !why.empty()) {
        return vrnApi::LoadStr(IDS_ERR_OPEN_FILE) + L" " + path + L": " + why;
    }
    const std::wstring refused = L"Лист не загружен из файла " + path + L": ";
    const std::wstring why = ReadOutline(contours, texts, sheet);
    // A sheet refused for what it lacks may lack what the converter left out.
    if (!why.empty())
        return refused + why + (leftOut.empty() ? L"" : L"; при чтении " + leftOut);
    return {};
}

}  // namespace sheetfile
