// Makes a nesting drawing of the stand-in host from a list of flat parts,
// through the library as its source data would: a sheet of the given size and
// one figure per part (with the part's count, thickness and material) laid
// out in the container view; with --placed, the optimiser then places the
// figures on the sheet (a part it leaves in the container is named, and the
// job fails). The host knows a library's macros by the file of the
// library that made them: with --library, the drawing's library macros are
// stamped as made by the library at PATH, so that a host that loads it from
// there offers their hot points. With --fragments, the parts' fragment files
// (NAME.vfr) are kept in DIR for scripts that load them. With --layout, every
// sheet gets a page of the drawing with its title block. Then --remnants
// builds the remnants automatically, and --export and --document write into
// their folders, through the library's exporter and reporter, everything they
// can. With --times, the wall seconds of each of these steps go into FILE, a
// line each: the step ("make", "place", "remnants", "export", "document",
// "save"), a tab and the seconds (a benchmark's figures).
//   nesting_job <parts.txt> <drawing.vdw> [--sheet WIDTH HEIGHT] [--gaps FIGURE SHEET] [--precision MM] [--placed] [--layout]
//               [--library PATH] [--fragments DIR] [--remnants] [--export DIR] [--document DIR] [--times FILE]
// A parts list holds one part a line, "name|count|thickness|material|RING;RING...",
// the outer ring first, then its holes. A ring is "x,y x,y ...", where "x,y,b"
// makes the edge to the next vertex an arc of bulge b (the tangent of a
// quarter of its turn, counter-clockwise positive), or "@x,y,r", a circle.
// Blank lines and lines starting with "#" are skipped.
#include "api/INestingObjects.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A vertex of a ring and the bulge of the edge leaving it; a circle is one
// vertex, its centre, with the radius.
struct Vertex {
    double x = 0.0, y = 0.0, bulge = 0.0, radius = 0.0;
};
using Ring = std::vector<Vertex>;

struct Part {
    std::wstring name;
    int count = 1;
    double thickness = 0.0;
    std::wstring material;
    std::vector<Ring> rings;
};

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
}

Ring ReadRing(const std::string& text)
{
    Ring ring;
    for (const std::string& point : Split(text, ' ')) {
        if (point.empty())
            continue;
        const bool circle = point[0] == '@';
        const std::vector<std::string> v = Split(circle ? point.substr(1) : point, ',');
        if (v.size() != 3 && (circle || v.size() != 2))
            throw std::invalid_argument("point");
        Vertex vertex{std::stod(v[0]), std::stod(v[1])};
        (circle ? vertex.radius : vertex.bulge) = v.size() == 3 ? std::stod(v[2]) : 0.0;
        if (circle && (!ring.empty() || !(vertex.radius > 0.0)))
            throw std::invalid_argument("circle");
        ring.push_back(vertex);
    }
    return ring;
}

// The parts of the list; false, with the line, at the first line that is no part.
bool ReadParts(const std::filesystem::path& file, std::vector<Part>& parts)
{
    std::ifstream in(file);
    if (!in) {
        std::cerr << "cannot read " << file << "\n";
        return false;
    }
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Split(line, '|');
        Part part;
        try {
            if (f.size() != 5)
                throw std::invalid_argument("fields");
            part = {vlhost::Host::Wide(f[0]), std::stoi(f[1]), std::stod(f[2]), vlhost::Host::Wide(f[3]), {}};
            for (const std::string& text : Split(f[4], ';'))
                part.rings.push_back(ReadRing(text));
        } catch (const std::exception&) {
            std::cerr << file.string() << ":" << number << ": not a part\n";
            return false;
        }
        const auto tooShort = [](const Ring& ring) { return ring.size() < 3 && !(ring.size() == 1 && ring[0].radius > 0); };
        if (part.rings.empty() || std::any_of(part.rings.begin(), part.rings.end(), tooShort)) {
            std::cerr << file.string() << ":" << number << ": a ring needs three points or is a circle\n";
            return false;
        }
        parts.push_back(std::move(part));
    }
    return true;
}

void DrawRing(const vlapi::IDrawingContainerPtr& view, const Ring& ring)
{
    if (ring.size() == 1) {
        vlapi::ICirclePtr circle = view->GetCollection(vlapi::vlDrCircle)->Add();
        circle->SetXc(ring[0].x);
        circle->SetYc(ring[0].y);
        circle->SetRadius(ring[0].radius);
        circle->Update();
        return;
    }
    for (size_t i = 0; i < ring.size(); ++i) {
        const Vertex& a = ring[i];
        const Vertex& b = ring[(i + 1) % ring.size()];
        if (a.bulge == 0.0) {
            vlapi::ILineSegmentPtr line = view->GetCollection(vlapi::vlDrLineSeg)->Add();
            line->SetX1(a.x);
            line->SetY1(a.y);
            line->SetX2(b.x);
            line->SetY2(b.y);
            line->Update();
            continue;
        }
        // The arc's middle lies the sagitta (bulge times half the chord) to
        // the right of the chord for a counter-clockwise arc.
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double s = 0.5 * a.bulge;
        vlapi::IArcPtr arc = view->GetCollection(vlapi::vlDrArc)->Add();
        arc->SetBy3Points(a.x, a.y, b.x, b.y, 0.5 * (a.x + b.x) + s * dy, 0.5 * (a.y + b.y) - s * dx);
        arc->Update();
    }
}

// The part as a fragment file carrying its count, thickness and material;
// the drawing stays active.
std::wstring FragmentFile(vlhost::Host& host, const Part& part, const std::filesystem::path& folder)
{
    const vlapi::IVarnelDocumentPtr active = host.Application()->GetActiveDocument();
    const vlapi::IVarnelDocument2DPtr fragment = host.NewDrawing(vlapi::vlDocumentFragment);
    const vlapi::IDrawingContainerPtr view(fragment->GetViewsAndLayersManager()->GetViews()->GetActiveView());
    for (const Ring& ring : part.rings)
        DrawRing(view, ring);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), part.count);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), part.thickness);
    vrnApi::SetMaterialPropertyToDocument(part.material);
    // The name as UTF-8 bytes of the path (a wide conversion would need a locale).
    const std::wstring path = vlhost::Host::Wide((folder / (vlhost::Host::Utf8(part.name) + ".vfr")).string());
    fragment->SaveAs(path);
    fragment->Close(0);
    active->Activate();
    return path;
}

// Every library macro of the active drawing stamped with the module file `module`.
void StampModule(const std::wstring& module)
{
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    const std::wstring library = vrnApi::LoadStr(IDS_LIBID);
    std::vector<vlapi::IViewPtr> views;
    vrnApi::GetAllViews(doc, views);
    for (const vlapi::IViewPtr& view : views) {
        for (const vlapi::IDrawingObjectPtr& object : vlapi::IDrawingContainerPtr(view)->GetObjects({vlapi::vlDrMacro})) {
            const vlapi::IUserParametersPtr user(object);
            if (user && user->GetLibraryId() == library) {
                user->SetModuleName(module);
                object->Update();
            }
        }
    }
}

// Whether a figure of the active drawing stands on none of its sheets: in the container.
bool LeftInContainer()
{
    const INestingModelPtr model = CreateNestingModelInstance();
    model->InitSheetsFromActiveDoc();
    model->InitFiguresFromActiveDoc();
    std::vector<INObjectPtr> sheets;
    std::vector<INObjectPtr> figures;
    model->GetSheetObjects(sheets);
    model->GetFigureObjects(figures);
    std::set<int> views;
    for (const INObjectPtr& sheet : sheets)
        views.insert(sheet->GetView());
    return std::any_of(figures.begin(), figures.end(),
                       [&](const INObjectPtr& figure) { return views.count(figure->GetView()) == 0; });
}

// The wall seconds of the steps, as --times writes them.
class StepTimes {
public:
    void Begin() { m_start = std::chrono::steady_clock::now(); }
    void End(const char* step)
    {
        m_lines += std::string(step) + "\t" +
                   std::to_string(std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count()) +
                   "\n";
    }
    bool Write(const std::filesystem::path& file) const
    {
        std::ofstream out(file);
        return static_cast<bool>(out << m_lines);
    }

private:
    std::chrono::steady_clock::time_point m_start;
    std::string m_lines;
};

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    double width = 300.0;
    double height = 200.0;
    double figureGap = -1.0;
    double sheetGap = -1.0;
    double precision = 0.0;
    bool placed = false;
    bool remnants = false;
    std::filesystem::path library;
    std::filesystem::path fragments;
    std::filesystem::path exported;
    std::filesystem::path documented;
    std::filesystem::path timesFile;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--placed") {
            placed = true;
        } else if (args[i] == "--remnants") {
            remnants = true;
        } else if (args[i] == "--export" && i + 1 < args.size()) {
            exported = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--document" && i + 1 < args.size()) {
            documented = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--times" && i + 1 < args.size()) {
            timesFile = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--layout") {
            NestingSetting::m_withoutLayout = false;
        } else if (args[i] == "--library" && i + 1 < args.size()) {
            library = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--fragments" && i + 1 < args.size()) {
            fragments = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--gaps" && i + 2 < args.size()) {
            figureGap = std::atof(args[i + 1].c_str());
            sheetGap = std::atof(args[i + 2].c_str());
            i += 2;
        } else if (args[i] == "--precision" && i + 1 < args.size()) {
            precision = std::atof(args[++i].c_str());
        } else if (args[i] == "--sheet" && i + 2 < args.size()) {
            width = std::atof(args[i + 1].c_str());
            height = std::atof(args[i + 2].c_str());
            i += 2;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2 || !(width > 0.0) || !(height > 0.0)) {
        std::cerr << "usage: nesting_job <parts.txt> <drawing.vdw> [--sheet WIDTH HEIGHT] [--gaps FIGURE SHEET] [--precision MM] [--placed] [--layout]"
                     " [--library PATH] [--fragments DIR] [--remnants] [--export DIR] [--document DIR] [--times FILE]\n";
        return 2;
    }
    std::vector<Part> parts;
    if (!ReadParts(files[0], parts))
        return 1;

    const auto root = std::filesystem::temp_directory_path() / ("nesting_job-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    int result = 0;
    {
        vlhost::Host host(root);
        vlhost::Driver user(host);
        if (!user.Attach(&LoadVarnelLibrary, &UnloadVarnelLibrary)) {
            std::cerr << user.LoadError() << "\n";
            return 1;
        }
        // The precision with which curves are followed, as the configuration file sets it.
        if (precision > 0.0)
            NestingSetting::m_instance.m_tolerance = precision;
        user.New();
        StepTimes times;
        times.Begin();
        {
            const INestingModelPtr model = CreateNestingModelInstance();
            model->ReadFromConfig();
            model->SetWidthSheet(width);
            model->SetHeightSheet(height);
            if (figureGap >= 0.0)
                model->SetFigureGap(figureGap);
            if (sheetGap >= 0.0)
                model->SetSheetGap(sheetGap);
            model->AddSheet();
            if (!fragments.empty())
                std::filesystem::create_directories(fragments);
            // The model saves the copies it makes; the first piece of each
            // part is the caller's to save, with the thickness and material
            // its file carries.
            for (const Part& part : parts) {
                const size_t shown = host.State().messages.size();
                if (const IFigurePtr figure = model->AddFigure(FragmentFile(host, part, fragments.empty() ? root : fragments))) {
                    figure->SaveParams();
                    continue;
                }
                // A part the library refused is named, with what it told the user.
                std::cerr << "part " << vlhost::Host::Utf8(part.name) << " refused";
                for (size_t k = shown; k < host.State().messages.size(); ++k)
                    std::cerr << ": " << vlhost::Host::Utf8(host.State().messages[k].text);
                std::cerr << "\n";
                result = 1;
            }
            // Equal right triangles are joined into compounds, as loading
            // parts in the source data joins them when uniting is on.
            if (model->GetUniteFigures())
                model->CreateCompoundFigures();
            model->ArrangeFiguresInContainer(true, true);
            model->SaveParams();
            model->UpdateResultTables();
        }
        times.End("make");
        if (placed) {
            times.Begin();
            const IOptimizerPtr optimizer = CreateOptimizerInstance();
            optimizer->Init();
            const size_t shown = host.State().messages.size();
            optimizer->RunOptimization({1, RotationType::WithoutRotation, true});
            // Parts the run left in the container are named with what the
            // library told the user, and the job fails.
            if (LeftInContainer()) {
                std::cerr << "parts left in the container";
                for (size_t k = shown; k < host.State().messages.size(); ++k)
                    std::cerr << ": " << vlhost::Host::Utf8(host.State().messages[k].text);
                std::cerr << "\n";
                result = 1;
            }
            times.End("place");
        }
        if (remnants) {
            times.Begin();
            const INestingModelPtr model = CreateNestingModelInstance();
            model->InitSheetsFromActiveDoc();
            model->InitFiguresFromActiveDoc();
            model->InitWastesFromActiveDoc();
            model->ReadFromConfig();
            model->SetWasteMethod(true);
            model->CalculateWastes();
            model->SaveParams();
            times.End("remnants");
        }
        if (!exported.empty()) {
            times.Begin();
            const IExporterPtr exporter = CreateExporterInstance();
            ExportParams params;
            params.add3D = true;
            exporter->SetParams(params);
            exporter->ExportToDXF(vlhost::Host::Wide(exported.string()));
            times.End("export");
        }
        if (!documented.empty()) {
            times.Begin();
            const IReporterPtr reporter = CreateReporterInstance();
            reporter->Init();
            ReportParams params{true, true, vlhost::Host::Wide(documented.string()), L"", 4, 0, true, true, true, true, false};
            reporter->SetParams(params);
            reporter->CreateDocumentation();
            times.End("document");
        }
        times.Begin();
        if (!library.empty())
            StampModule(vlhost::Host::Wide(library.string()));
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::absolute(files[1]).parent_path(), ec);
        if (!user.Save(files[1])) {
            std::cerr << "cannot write " << files[1] << "\n";
            result = 1;
        }
        times.End("save");
        if (!timesFile.empty() && !times.Write(timesFile)) {
            std::cerr << "cannot write " << timesFile << "\n";
            result = 1;
        }
        user.Unload();
    }
    std::filesystem::remove_all(root);
    return result;
}
