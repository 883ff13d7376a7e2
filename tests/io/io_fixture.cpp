#include "io/io_fixture.h"

#include "host/VarnelAPI_Detail.h"
#include "support/macro_fixture.h"

#include <pugixml.hpp>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace iotest {

std::string Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, std::string> MarkOldFiles(const std::filesystem::path& folder,
                                                const std::vector<std::string>& files)
{
    std::map<std::string, std::string> old;
    for (const std::string& file : files) {
        std::ofstream(folder / file, std::ios::app) << "\n \n";
        old[file] = Bytes(folder / file);
    }
    return old;
}

std::set<std::string> Listing(const std::filesystem::path& folder)
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        names.insert(entry.path().filename().string());
    return names;
}

std::vector<std::pair<std::wstring, size_t>> SketchLines(vlhost::Host& host, const std::filesystem::path& file)
{
    std::vector<std::pair<std::wstring, size_t>> sketches;
    vlapi::IVarnelDocumentPtr active = application->GetActiveDocument();
    vlapi::IVarnelDocument3DPtr part(host.Open(file, false));
    vlapi::IModelContainerPtr container(part ? part->GetTopPart() : nullptr);
    vlapi::ISketchesPtr list = container ? container->GetSketches() : nullptr;
    for (int n = 0; list && n < list->GetCount(); ++n) {
        vlapi::ISketchPtr sketch = list->GetItem(n);
        vlapi::IVarnelDocument2DPtr drawing = sketch->BeginEdit(0);
        vlapi::IDrawingContainerPtr view(
            drawing ? drawing->GetViewsAndLayersManager()->GetViews()->GetActiveView() : nullptr);
        sketches.emplace_back(sketch->GetName(), view ? view->GetObjects({vlapi::vlDrLineSeg}).size() : 0);
        sketch->EndEdit();
    }
    if (part)
        part->Close(0);
    if (active)
        active->Activate();
    return sketches;
}

nlohmann::json PythonCheck(const std::string& what, const std::vector<std::filesystem::path>& files)
{
    std::string command = "/usr/bin/python3 " + shellcommand::Quoted(NESTING_SOURCE_DIR "/tools/file_check.py") + " " + what;
    for (const std::filesystem::path& file : files)
        command += " " + shellcommand::Quoted(file.string());
    const std::string out = shellcommand::Run(command).output;
    nlohmann::json json = nlohmann::json::parse(out, nullptr, false);
    EXPECT_FALSE(json.is_discarded()) << out;
    return json.is_discarded() ? nlohmann::json::object() : json;
}

std::vector<std::vector<std::wstring>> PythonCsv(const nlohmann::json& file)
{
    std::vector<std::vector<std::wstring>> rows;
    EXPECT_TRUE(file.contains("rows")) << file.dump();
    if (!file.contains("rows"))
        return rows;
    EXPECT_TRUE(file["bom"].get<bool>());
    for (const auto& row : file["rows"]) {
        std::vector<std::wstring> cells;
        for (const auto& cell : row)
            cells.push_back(vlhost::Host::Wide(cell.get<std::string>()));
        EXPECT_TRUE(!cells.empty() && cells.back().empty());
        if (!cells.empty())
            cells.pop_back();
        rows.push_back(std::move(cells));
    }
    return rows;
}

size_t CountDeep(const vlapi::IDrawingContainerPtr& container, int type, std::vector<vlapi::IDrawingObjectPtr>* found)
{
    size_t n = 0;
    for (const vlapi::IDrawingObjectPtr& object : container->GetObjects({vlapi::vlAllObj})) {
        if (object->GetType() == type) {
            ++n;
            if (found)
                found->push_back(object);
        }
        if (vlapi::IDrawingContainerPtr inner{object})
            n += CountDeep(inner, type, found);
    }
    return n;
}

std::vector<vlapi::IViewPtr> Views(const vlapi::IVarnelDocument2DPtr& drawing)
{
    std::vector<vlapi::IViewPtr> views;
    vrnApi::GetAllViews(drawing, views);
    return views;
}

size_t CountDeep(const vlapi::IVarnelDocument2DPtr& drawing, int type)
{
    size_t n = 0;
    for (const vlapi::IViewPtr& view : Views(drawing))
        n += CountDeep(vlapi::IDrawingContainerPtr(view), type);
    return n;
}

void IoTest::SetUp()
{
    HostTest::SetUp();
    m_setting = NestingSetting::m_instance;
    m_session = NestingModel::m_session;
    m_copyParams = NestingModel::copyParams;
    m_width = NestingModel::m_widthSheet;
    m_height = NestingModel::m_heightSheet;
    m_material = NestingModel::m_materialSheet;
    NestingSetting::m_instance = NestingSetting();
    NestingModel::m_session = false;
    NestingModel::m_materialSheet = L"Ст3";
    vrnApi::ConnectConfiguration();
    model.m_thicknessSheet = 2.0;
    model.m_sheetPattern = L"Лист";
    // The tests' parts stand at their sheets' edges.
    model.m_sheetGap = 0.0;
}

void IoTest::TearDown()
{
    model.m_sheets.clear();
    model.m_figures.clear();
    model.m_wastes.clear();
    NestingSetting::SetFoldersHook({});
    NestingSetting::m_instance = m_setting;
    NestingModel::m_session = m_session;
    NestingModel::copyParams = m_copyParams;
    NestingModel::m_widthSheet = m_width;
    NestingModel::m_heightSheet = m_height;
    NestingModel::m_materialSheet = m_material;
    HostTest::TearDown();
}

SheetPtr IoTest::AddSheet(const std::wstring& name, double width, double height, double count)
{
    NestingModel::m_widthSheet = width;
    NestingModel::m_heightSheet = height;
    SheetPtr sheet = model.AddSheet();
    sheet->m_name = name;
    sheet->UpdateName();
    sheet->m_count = count;
    return sheet;
}

FigurePtr IoTest::AddPart(const SheetPtr& sheet, const std::wstring& name, const std::vector<NPoint>& ring, double x,
                          double y)
{
    sheet->SetCurrentView();
    std::vector<NPoint> placed;
    for (const NPoint& p : ring)
        placed.push_back({sheet->m_rect.pBot.x + x + p.x, sheet->m_rect.pBot.y + y + p.y});
    return AddFigure(sheet,
                     vrnApi::CreateMacroByPolygon(NPolygon({}, placed), name, static_cast<int>(MacroCommand::Figure)));
}

FigurePtr IoTest::AddDisc(const SheetPtr& sheet, const std::wstring& name, double radius, double x, double y)
{
    sheet->SetCurrentView();
    const vlapi::ICirclePtr circle =
        hosttest::AddCircle(Container(), {sheet->m_rect.pBot.x + x, sheet->m_rect.pBot.y + y}, radius);
    return AddFigure(sheet, macrotest::MakeMacro(Container(), {circle}, name));
}

FigurePtr IoTest::AddFigure(const SheetPtr& sheet, const INestingMacroObjectPtr& macro)
{
    FigurePtr figure = Figure::Create(macro);
    figure->InitParams();
    figure->InitPolygons(0.0, model.m_figureGap, nullptr);
    figure->SetThickness(model.m_thicknessSheet);
    figure->SetMaterial(NestingModel::m_materialSheet);
    figure->m_owner = sheet;
    model.m_figures.push_back(figure);
    return figure;
}

FigurePtr IoTest::AddRectPart(const SheetPtr& sheet, const std::wstring& name, double width, double height, double x,
                              double y)
{
    return AddPart(sheet, name, {{0, 0}, {width, 0}, {width, height}, {0, height}}, x, y);
}

FigurePtr IoTest::AddCompound(const SheetPtr& sheet, const std::wstring& name, double x, double y)
{
    const std::vector<NPoint> triangle = {{0, 0}, {100, 0}, {0, 60}};
    NestingModel pair;
    pair.m_figureGap = model.m_figureGap;
    pair.m_figures = {AddPart(sheet, name, triangle, x, y), AddPart(sheet, name, triangle, x + 150, y)};
    model.m_figures.resize(model.m_figures.size() - 2);
    pair.CreateCompoundFigures();
    FigurePtr compound = pair.m_figures.front();
    pair.m_figures.clear();
    EXPECT_EQ(compound->m_objectType, NestingObjectType::CompoundFigure);
    compound->SetPlacement(sheet->m_rect.pBot.x + x - compound->m_rect.pBot.x,
                           sheet->m_rect.pBot.y + y - compound->m_rect.pBot.y, 0.0, false);
    compound->m_owner = sheet;
    model.m_figures.push_back(compound);
    return compound;
}

WastePtr IoTest::AddWaste(const SheetPtr& sheet, double x, double y, double width, double height)
{
    sheet->SetCurrentView();
    const double x0 = sheet->m_rect.pBot.x + x;
    const double y0 = sheet->m_rect.pBot.y + y;
    const NPolygon ring({}, {{x0, y0}, {x0 + width, y0}, {x0 + width, y0 + height}, {x0, y0 + height}});
    WastePtr waste = Waste::Create(vrnApi::CreateMacroByPolygon(ring, L"", static_cast<int>(MacroCommand::Waste)));
    model.InitWasteParams(waste, sheet, false);
    model.m_wastes.push_back(waste);
    return waste;
}

void IoTest::Store()
{
    model.SaveParams();
    for (const FigurePtr& figure : model.m_figures)
        figure->SaveParams();
    for (const WastePtr& waste : model.m_wastes)
        waste->SaveParams();
    model.m_jumpers.clear();
    model.m_sheets.clear();
    model.m_figures.clear();
    model.m_wastes.clear();
}

bool IoTest::Shown(const std::wstring& text, int flags) const
{
    for (const vlhost::RecordedMessage& m : host->State().messages) {
        if (m.text == text && (flags == 0 || m.flags == flags))
            return true;
    }
    return false;
}

bool IoTest::ShownWithin(const std::wstring& text, int flags) const
{
    for (const vlhost::RecordedMessage& m : host->State().messages) {
        if (m.text.find(text) != std::wstring::npos && m.flags == flags)
            return true;
    }
    return false;
}

void IoTest::ExpectCleanHost(const std::vector<std::filesystem::path>& folders)
{
    EXPECT_EQ(ExtraDocuments(), 0);
    EXPECT_EQ(application->GetActiveDocument(), vlapi::IVarnelDocumentPtr(doc));
    EXPECT_TRUE(State().access.enabled);
    EXPECT_EQ(State().access.offs, State().access.ons);
    EXPECT_FALSE(State().progress.shown);
    for (const std::filesystem::path& folder : folders) {
        for (const std::string& name : Listing(folder)) {
            EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
            EXPECT_NE(name.rfind(".~", 0), 0u) << name;  // a temporary file of the host's
        }
    }
}

void IoTest::FreshDrawing()
{
    doc->Close(0);
    doc = NewDrawing();
    std::filesystem::remove_all(Out());
}

std::wstring IoTest::OutText() const { return vrnApi::detail::TextOf(Out()); }

namespace {

std::wstring TextOf(const vlapi::IAPIObjectPtr& object)
{
    vlapi::ITextPtr text{object};
    return text ? text->GetText() : std::wstring();
}

}  // namespace

TableFile IoTest::ReadTableFile(const std::filesystem::path& file)
{
    TableFile out;
    vlapi::IVarnelDocument2DPtr document(host->Open(file, false));
    if (!document)
        return out;
    vlapi::IDrawingContainerPtr view(ActiveView());
    const vlapi::DrawingObjectList tables = view ? view->GetObjects({vlapi::vlDrTable}) : vlapi::DrawingObjectList{};
    const vlapi::DrawingObjectList texts = view ? view->GetObjects({vlapi::vlDrDrawText}) : vlapi::DrawingObjectList{};
    if (!tables.empty()) {
        vlapi::IDrawingTablePtr drawn(tables.front());
        vlapi::ITablePtr table(drawn);
        out.read = true;
        out.x = drawn->GetX();
        out.y = drawn->GetY();
        for (int r = 0; r < table->GetRowsCount(); ++r) {
            std::vector<std::wstring> row;
            for (int c = 0; c < table->GetColumnsCount(); ++c) {
                vlapi::ITableCellPtr cell = table->GetCell(r, c);
                row.push_back(TextOf(cell->GetText()));
                if (c + 1 == table->GetColumnsCount())
                    out.heights.push_back(vlapi::ICellFormatPtr(cell)->GetHeight());
            }
            out.cells.push_back(std::move(row));
        }
    }
    if (!texts.empty()) {
        vlapi::IDrawingTextPtr title(texts.front());
        out.title = TextOf(title);
        out.titleX = title->GetX();
        out.titleY = title->GetY();
    }
    document->Close(0);
    doc->Activate();
    return out;
}

}  // namespace iotest
