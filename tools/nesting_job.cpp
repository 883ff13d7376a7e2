// Makes a nesting drawing of the stand-in host from a list of flat parts,
// through the library as its source data would: a sheet of the given size and
// one figure per part (with the part's count, thickness and material) laid
// out in the container view; with --placed, the optimiser then places the
// figures on the sheet. The host knows a library's macros by the file of the
// library that made them: with --library, the drawing's library macros are
// stamped as made by the library at PATH, so that a host that loads it from
// there offers their hot points. With --fragments, the parts' fragment files
// (NAME.vfr) are kept in DIR for scripts that load them. With --layout, every
// sheet gets a page of the drawing with its title block.
//   nesting_job (<parts.txt> | --open) <drawing.vdw> [--sheet WIDTH HEIGHT] [--parts-only] [--placed]
//               [--rotate 0|90|180] [--remnants] [--layout] [--import FOLDER] [--export FOLDER]
//               [--document FOLDER] [--library PATH] [--fragments DIR]
// A parts list holds one part a line, "name|count|thickness|material|x,y x,y ...",
// or with "@FILE" for the outline, the part drawn in a fragment or drawing
// file (relative to the list); blank lines and lines starting with "#" are
// skipped. A DXF file or a 3D assembly (.v3d) goes through the library's
// import into fragments (in the --import folder, else a temporary one): the
// DXF file's texts give count, thickness and material over the list's, and
// every flat pattern of the assembly becomes a part. --remnants builds the
// remnants automatically after the placement; --export and --document write,
// through the library's exporter and reporter, everything they can into the
// folders. --parts-only makes the parts' files alone and saves an empty
// drawing; --open works on a drawing that holds a job already (placing,
// building remnants, exporting, documenting) and saves it again.
#include "api/INestingObjects.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "io/AssemblyReader.h"
#include "model/NestingSetting.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Part {
    std::wstring name;
    int count = 1;
    double thickness = 0.0;
    std::wstring material;
    std::vector<double> outline;  // x0, y0, x1, y1, ...
    std::filesystem::path file;   // or the document it is drawn in
};

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
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
            part = {vlhost::Host::Wide(f[0]), std::stoi(f[1]), std::stod(f[2]), vlhost::Host::Wide(f[3]), {}, {}};
            if (!f[4].empty() && f[4][0] == '@') {
                part.file = file.parent_path() / f[4].substr(1);
                parts.push_back(std::move(part));
                continue;
            }
            for (const std::string& point : Split(f[4], ' ')) {
                const std::vector<std::string> xy = Split(point, ',');
                if (xy.size() != 2)
                    throw std::invalid_argument("point");
                part.outline.push_back(std::stod(xy[0]));
                part.outline.push_back(std::stod(xy[1]));
            }
        } catch (const std::exception&) {
            std::cerr << file.string() << ":" << number << ": not a part\n";
            return false;
        }
        if (part.outline.size() < 6) {
            std::cerr << file.string() << ":" << number << ": an outline needs three points\n";
            return false;
        }
        parts.push_back(std::move(part));
    }
    return true;
}

// The part as a fragment file carrying its count, thickness and material;
// the drawing stays active. Empty when the part's own file does not open.
std::wstring FragmentFile(vlhost::Host& host, const Part& part, const std::filesystem::path& folder)
{
    const vlapi::IVarnelDocumentPtr active = host.Application()->GetActiveDocument();
    const vlapi::IVarnelDocument2DPtr fragment =
        part.file.empty() ? host.NewDrawing(vlapi::vlDocumentFragment) : vlapi::IVarnelDocument2DPtr(host.Open(part.file, false));
    if (!fragment) {
        std::cerr << "nesting_job: cannot read " << part.file.string() << "\n";
        active->Activate();
        return {};
    }
    const vlapi::IDrawingContainerPtr view(fragment->GetViewsAndLayersManager()->GetViews()->GetActiveView());
    const size_t n = part.outline.size() / 2;
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        vlapi::ILineSegmentPtr line = view->GetCollection(vlapi::vlDrLineSeg)->Add();
        line->SetX1(part.outline[2 * i]);
        line->SetY1(part.outline[2 * i + 1]);
        line->SetX2(part.outline[2 * j]);
        line->SetY2(part.outline[2 * j + 1]);
        line->Update();
    }
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), part.count);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), part.thickness);
    vrnApi::SetMaterialPropertyToDocument(part.material);
    const std::wstring path = vlhost::Host::Wide((folder / (vlhost::Host::Utf8(part.name) + ".vfr")).string());
    fragment->SaveAs(path);
    fragment->Close(0);
    active->Activate();
    return path;
}

bool Imported(const Part& part) { return part.file.extension() == ".dxf" || part.file.extension() == ".v3d"; }

std::set<std::filesystem::path> Fragments(const std::filesystem::path& folder)
{
    std::set<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".vfw")
            files.insert(entry.path());
    return files;
}

// The fragments the library's import makes of the part's DXF file (its texts
// give count, thickness and material over the list's) or of the flat
// patterns of the assembly, written into `folder`.
std::vector<std::wstring> ImportPart(const INestingModelPtr& model, const Part& part, const std::filesystem::path& folder)
{
    const std::set<std::filesystem::path> before = Fragments(folder);
    const std::wstring out = vlhost::Host::Wide(folder.string());
    const std::wstring path = vlhost::Host::Wide(std::filesystem::absolute(part.file).string());
    if (part.file.extension() == ".dxf") {
        std::vector<FileMetaParams> files = {{path, part.material, part.count, part.thickness}};
        model->ImportFiguresFromDXF(files, out, {});
    } else {
        AssemblyReader reader;
        reader.Init(path, out);
        reader.ReadContoursFromAssembly();
        // Files named, and marked, by the part's name, as the import command starts.
        reader.m_namePattern = L"Наименование";
        reader.m_textPattern = L"Наименование";
        reader.WriteContoursToFragments(false);
    }
    std::vector<std::wstring> made;
    for (const std::filesystem::path& file : Fragments(folder))
        if (!before.count(file))
            made.push_back(vlhost::Host::Wide(file.string()));
    return made;
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

struct Options {
    double width = 300.0;
    double height = 200.0;
    bool open = false;       // work on the drawing given, not on a parts list
    bool partsOnly = false;  // the parts' files made, no sheet and no figure
    bool placed = false;
    bool remnants = false;
    RotationType rotation = RotationType::WithoutRotation;
    std::filesystem::path library;
    std::filesystem::path importFolder;
    std::filesystem::path exportFolder;
    std::filesystem::path documentFolder;
    std::filesystem::path fragments;
    std::vector<std::string> files;
};

bool ReadOptions(const std::vector<std::string>& args, Options& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const bool more = i + 1 < args.size();
        if (args[i] == "--placed") {
            o.placed = true;
        } else if (args[i] == "--layout") {
            NestingSetting::m_withoutLayout = false;
        } else if (args[i] == "--open") {
            o.open = true;
        } else if (args[i] == "--parts-only") {
            o.partsOnly = true;
        } else if (args[i] == "--remnants") {
            o.remnants = true;
        } else if (args[i] == "--rotate" && more) {
            const std::string step = args[++i];
            if (step != "0" && step != "90" && step != "180")
                return false;
            o.rotation = step == "90" ? RotationType::Rotation90 : step == "180" ? RotationType::Rotation180
                                                                               : RotationType::WithoutRotation;
        } else if (args[i] == "--library" && more) {
            o.library = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--import" && more) {
            o.importFolder = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--export" && more) {
            o.exportFolder = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--fragments" && more) {
            o.fragments = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--document" && more) {
            o.documentFolder = std::filesystem::absolute(args[++i]);
        } else if (args[i] == "--sheet" && i + 2 < args.size()) {
            o.width = std::atof(args[i + 1].c_str());
            o.height = std::atof(args[i + 2].c_str());
            i += 2;
        } else {
            o.files.push_back(args[i]);
        }
    }
    return o.files.size() == (o.open ? 1u : 2u) && o.width > 0.0 && o.height > 0.0;
}

// Makes the parts' fragments (imported, or drawn from the list) and, unless
// the parts alone are asked for, a sheet and the parts' figures in the
// container view of the new active drawing. False when a part gave nothing.
bool MakeJob(vlhost::Host& host, const Options& o, const std::vector<Part>& parts, const std::filesystem::path& root)
{
    bool made = true;
    const INestingModelPtr model = CreateNestingModelInstance();
    model->ReadFromConfig();
    if (!o.partsOnly) {
        model->SetWidthSheet(o.width);
        model->SetHeightSheet(o.height);
        // The sheet of the first part's thickness and material: the
        // optimiser places only parts that match their sheet.
        model->SetThicknessSheet(parts.front().thickness);
        model->SetMaterialSheet(parts.front().material);
        model->AddSheet();
    }
    const std::filesystem::path imports = o.importFolder.empty() ? root / "import" : o.importFolder;
    std::filesystem::create_directories(imports);
    if (!o.fragments.empty())
        std::filesystem::create_directories(o.fragments);
    for (const Part& part : parts) {
        const std::vector<std::wstring> fragments =
            Imported(part) ? ImportPart(model, part, imports)
                           : std::vector<std::wstring>{FragmentFile(host, part, o.fragments.empty() ? root : o.fragments)};
        for (const std::wstring& fragment : fragments) {
            if (fragment.empty() || (!o.partsOnly && !model->AddFigure(fragment))) {
                std::cerr << "nesting_job: no figure made of " << vlhost::Host::Utf8(part.name) << "\n";
                made = false;
            }
        }
        if (fragments.empty()) {
            std::cerr << "nesting_job: nothing imported of " << part.file.string() << "\n";
            made = false;
        }
    }
    if (!o.partsOnly) {
        model->ArrangeFiguresInContainer(true, true);
        model->SaveParams();
        model->UpdateResultTables();
    }
    return made;
}

std::wstring FolderText(const std::filesystem::path& folder) { return vlhost::Host::Wide(folder.string()); }

}  // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!ReadOptions(std::vector<std::string>(argv + 1, argv + argc), o)) {
        std::cerr << "usage: nesting_job (<parts.txt> | --open) <drawing.vdw> [--sheet WIDTH HEIGHT] [--parts-only]\n"
                     "                   [--placed] [--rotate 0|90|180] [--remnants] [--layout] [--import FOLDER]\n"
                     "                   [--export FOLDER] [--document FOLDER] [--library PATH] [--fragments DIR]\n";
        return 2;
    }
    std::vector<Part> parts;
    if (!o.open && !ReadParts(o.files[0], parts))
        return 1;
    if (!o.open && parts.empty()) {
        std::cerr << "nesting_job: no part in " << o.files[0] << "\n";
        return 1;
    }
    const std::filesystem::path drawing = std::filesystem::absolute(o.files.back());

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
        if (o.open) {
            if (!user.Open(drawing)) {
                std::cerr << "nesting_job: cannot open " << drawing.string() << "\n";
                return 1;
            }
        } else {
            user.New();
            result = MakeJob(host, o, parts, root) ? 0 : 1;
        }
        if (o.placed) {
            const IOptimizerPtr optimizer = CreateOptimizerInstance();
            optimizer->Init();
            optimizer->RunOptimization({1, o.rotation, true});
        }
        if (o.remnants) {
            const INestingModelPtr model = CreateNestingModelInstance();
            model->InitSheetsFromActiveDoc();
            model->InitFiguresFromActiveDoc();
            model->InitWastesFromActiveDoc();
            model->ReadFromConfig();
            model->SetWasteMethod(true);
            model->CalculateWastes();
            model->SaveParams();
        }
        if (!o.exportFolder.empty()) {
            const IExporterPtr exporter = CreateExporterInstance();
            ExportParams params;
            params.add3D = true;
            exporter->SetParams(params);
            exporter->ExportToDXF(FolderText(o.exportFolder));
        }
        if (!o.documentFolder.empty()) {
            const IReporterPtr reporter = CreateReporterInstance();
            reporter->Init();
            ReportParams params{true, true, FolderText(o.documentFolder), L"", 4, 0, true, true, true, true, false};
            reporter->SetParams(params);
            reporter->CreateDocumentation();
        }
        if (!o.library.empty())
            StampModule(o.library.wstring());
        for (const vlhost::RecordedMessage& message : host.State().messages)
            std::cerr << "nesting_job: the host showed \"" << vlhost::Host::Utf8(message.text) << "\"\n";
        std::error_code ec;
        std::filesystem::create_directories(drawing.parent_path(), ec);
        if (!user.Save(drawing)) {
            std::cerr << "nesting_job: cannot write " << drawing.string() << "\n";
            result = 1;
        }
        user.Unload();
    }
    std::filesystem::remove_all(root);
    return result;
}
