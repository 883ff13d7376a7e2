// job_check: independent checks of what a nesting job leaves, and its summary.
// Drawings are read through the stand-in host with the library's model
// loading; outlines come from the host's curves, DXF and CSV files from
// Debian's /usr/bin/python3 (ezdxf, csv) through tools/file_check.py, and
// overlaps are measured exactly by CGAL.
//
//   job_check summary DRAWING... [--import FOLDER] [--files FOLDER]
//                                    what the drawings hold, the parts imported into FOLDER, the files under FOLDER
//   job_check overlap DRAWING        no two placed parts overlap (each shrunk by 0.05 mm, more than 1e-6 mm²)
//   job_check accounted DRAWING (--import FOLDER | --parts LIST)...
//                                    every imported part is on a sheet or in the container, as many
//                                    pieces as its file carries or, from a later list, as asked for
//   job_check reopen DRAWING         reopened, with the results updated by the library, it holds the same model
//   job_check same BEFORE AFTER      the two drawings hold the same model (as reopen compares them)
//   job_check dxf DRAWING FOLDER     every DXF file loads strictly, ezdxf's audit mends nothing in it (no
//                                    error, no fix) and its outlines are the drawing's; a remnant's
//                                    outlines closed (a polyline's flag set or its pieces' ends one point)
//   job_check gaps DRAWING FOLDER    on every sheet's DXF file, the parts' true outlines (arcs and circles
//                                    as such) stand the set gap apart and the set edge gap from the sheet's
//                                    edge (a bar of linear nesting: no edge gap), less 0.001 mm at most
//   job_check remnants DRAWING       no remnant on a sheet holds a part or comes nearer to one than the
//                                    part gap; none is under 1 mm, nor, made as rectangles only, under
//                                    the minimum size
//   job_check csv FOLDER             every CSV file starts with a UTF-8 byte-order mark, parses, ends
//                                    each line with ";" and equals its table document, a text that a
//                                    spreadsheet would take for a formula after an apostrophe
//   job_check registers DRAWING FOLDER [--min-remnant MM]
//                                    the registers of the documentation in FOLDER say what the drawing
//                                    holds: parts by map and those placed on none marked so, the maps'
//                                    and bars' sizes and the pieces' lengths and remainders to 0.1 mm,
//                                    the sheets' material and thickness, the remnants by map, a bar's
//                                    offcut named as a remnant only from MM up (250 by default)
//   job_check dump DRAWING           the drawing as JSON
//
// Exit 0 when the check holds, 1 with a line for each fault, 2 for bad usage
// or a file that cannot be read.
#include "job_check/Clearance.h"
#include "job_check/JobDrawing.h"
#include "job_check/Registers.h"
#include "job_check/RemnantCheck.h"
#include "io/OutputFiles.h"
#include "job_check/SummaryText.h"
#include "support/cgal_areas.h"
#include "support/shell_command.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace jobcheck;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr double kShrink = 0.05;        // mm each part is shrunk by before overlaps count
constexpr double kOverlap = 1e-6;       // mm² two shrunk parts may share
constexpr double kPlace = 1e-6;         // mm and degrees a reopened drawing may differ by
constexpr double kAreaMatch = 1e-4;     // relative: 0.01 %
constexpr double kInside = 1e-3;        // mm a placed part may stand out of its sheet
constexpr double kGapShort = 1e-3;      // mm a true gap may fall short of the set one

struct Usage {};       // a bad command line
struct Unreadable {};  // a file that cannot be read, already said

// Faults of one check, printed as they are found.
struct Faults {
    std::string check;
    int count = 0;
    void operator()(const std::string& what)
    {
        ++count;
        std::cout << "job_check " << check << ": " << what << "\n";
    }
    int Finish(const std::string& passed) const
    {
        if (count == 0)
            std::cout << "job_check " << check << ": " << passed << "\n";
        else
            std::cout << "job_check " << check << ": " << count << (count == 1 ? " fault\n" : " faults\n");
        return count == 0 ? 0 : 1;
    }
};

// tools/file_check.py's reading of the files; `what` is "dxf" or "csv".
// The files go to Python a batch at a time, so that no command line grows
// past what the system takes, however many files an export wrote.
nlohmann::json PythonReading(const std::string& what, const std::vector<fs::path>& files)
{
    constexpr size_t kCommandBytes = 64 * 1024;
    nlohmann::json reading = nlohmann::json::object();
    std::string head = "/usr/bin/python3";
    for (const std::string& word : {std::string(JOB_CHECK_FILE_CHECK), what})
        head.append(" ").append(shellcommand::Quoted(word));
    for (size_t next = 0; next < files.size();) {
        std::string command = head;
        do
            command.append(" ").append(shellcommand::Quoted(files[next].string()));
        while (++next < files.size() && command.size() + files[next].string().size() + 3 < kCommandBytes);
        const std::string out = shellcommand::Run(command).output;
        nlohmann::json json = nlohmann::json::parse(out, nullptr, false);
        if (json.is_discarded() || !json.is_object()) {
            std::cerr << "job_check: /usr/bin/python3 with ezdxf gave no reading:\n" << out << "\n";
            throw Unreadable{};
        }
        reading.update(json);
    }
    return reading;
}

std::vector<fs::path> FilesUnder(const fs::path& folder, const std::string& extension)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
        if (it->is_regular_file() && it->path().extension() == extension)
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

// Calls `each` with every file of the kind ("dxf", "csv") under the folder
// and Python's reading of it; a file Python could not read is a fault, and
// so is a folder without any such file (nothing would be checked). The
// number of files.
size_t ForEachReading(const std::string& kind, const fs::path& folder, Faults& fault,
                      const std::function<void(const fs::path&, const nlohmann::json&)>& each)
{
    const std::vector<fs::path> files = FilesUnder(folder, "." + kind);
    if (files.empty())
        fault("no ." + kind + " file under " + folder.string());
    const nlohmann::json reading = PythonReading(kind, files);
    for (const fs::path& file : files) {
        const auto it = reading.find(file.string());
        if (it == reading.end() || it->contains("error"))
            fault(file.filename().string() + ": " +
                  (it == reading.end() ? std::string("not read") : (*it)["error"].get<std::string>()));
        else
            each(file, *it);
    }
    return files.size();
}

Job ReadJob(Reader& reader, const fs::path& drawing)
{
    Job job;
    std::string error;
    if (!reader.Read(drawing, job, error)) {
        std::cerr << "job_check: " << error << "\n";
        throw Unreadable{};
    }
    return job;
}

std::string Fixed(double value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    return text;
}

std::string PartName(const PartRecord& part, size_t index)
{
    return std::string("part ") + std::to_string(index + 1) + " \"" + Utf8(part.name) + "\"";
}

areas::Region RegionOf(const Outline& outline)
{
    areas::Region region;
    for (const Ring& ring : outline.rings)
        region.push_back(ring.points);
    return region;
}

bool Inside(const NRect& inner, const NRect& outer)
{
    return inner.pBot.x > outer.pBot.x - kInside && inner.pBot.y > outer.pBot.y - kInside &&
           inner.pTop.x < outer.pTop.x + kInside && inner.pTop.y < outer.pTop.y + kInside;
}

// ---- overlap -------------------------------------------------------------------------

int Overlap(const fs::path& drawing)
{
    Reader reader;
    const Job job = ReadJob(reader, drawing);
    Faults fault{"overlap"};
    size_t placed = 0, pairs = 0;
    for (size_t s = 0; s < job.sheets.size(); ++s) {
        struct Candidate {
            size_t part;
            NRect box;
            areas::Region region;
        };
        std::vector<Candidate> candidates;
        for (size_t i = 0; i < job.parts.size(); ++i) {
            const PartRecord& part = job.parts[i];
            if (part.sheet != static_cast<int>(s))
                continue;
            ++placed;
            if (part.outline.rings.empty() || !part.outline.open.empty()) {
                fault(PartName(part, i) + " on \"" + Utf8(job.sheets[s].name) + "\" has no closed outline");
                continue;
            }
            NRect box = BoxOf(part.outline);
            box.pBot = {box.pBot.x + kShrink, box.pBot.y + kShrink};
            box.pTop = {box.pTop.x - kShrink, box.pTop.y - kShrink};
            candidates.push_back({i, box, RegionOf(part.outline)});
        }
        std::sort(candidates.begin(), candidates.end(),
                  [](const Candidate& a, const Candidate& b) { return a.box.pBot.x < b.box.pBot.x; });
        for (size_t a = 0; a < candidates.size(); ++a) {
            for (size_t b = a + 1; b < candidates.size() && candidates[b].box.pBot.x < candidates[a].box.pTop.x; ++b) {
                const NRect& p = candidates[a].box;
                const NRect& q = candidates[b].box;
                if (q.pBot.y >= p.pTop.y || p.pBot.y >= q.pTop.y)
                    continue;
                ++pairs;
                const double area = areas::ShrunkOverlapArea(candidates[a].region, candidates[b].region, kShrink);
                if (area > kOverlap) {
                    const size_t i = std::min(candidates[a].part, candidates[b].part);
                    const size_t j = std::max(candidates[a].part, candidates[b].part);
                    fault(PartName(job.parts[i], i) + " and " + PartName(job.parts[j], j) + " on \"" +
                          Utf8(job.sheets[s].name) + "\" share " + Fixed(area, 6) + " mm²");
                }
            }
        }
    }
    return fault.Finish(std::to_string(placed) + " placed parts on " + std::to_string(job.sheets.size()) +
                        " sheets, " + std::to_string(pairs) + " neighbouring pairs measured, none overlaps");
}

// ---- remnants ---------------------------------------------------------------------

int Remnants(const fs::path& drawing)
{
    Reader reader;
    const RemnantReport report = CheckRemnants(ReadJob(reader, drawing));
    Faults fault{"remnants"};
    for (const std::string& what : report.faults)
        fault(what);
    return fault.Finish(report.passed);
}

// ---- accounted ---------------------------------------------------------------------

// name → pieces: every part file the import wrote under a folder ("--import"),
// with the count it carries, or the parts of a list ("--parts", one
// "name|count" a line, as nesting_job reads them). The parts of a list given
// after a folder set the pieces the source data asked for instead.
void AddParts(Reader& reader, const std::string& how, const fs::path& where, std::map<std::wstring, int>& parts)
{
    if (how == "--import") {
        for (const fs::path& file : FilesUnder(where, ".vfw"))
            parts[vlhost::Host::Wide(file.stem().string())] += reader.CountOf(file);
        return;
    }
    std::ifstream in(where);
    if (!in) {
        std::cerr << "job_check: cannot read " << where << "\n";
        throw Unreadable{};
    }
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t bar = line.find('|');
        parts[vlhost::Host::Wide(line.substr(0, bar))] = bar == std::string::npos ? 1 : std::atoi(line.c_str() + bar + 1);
    }
}

// The parts of the "--import FOLDER" and "--parts LIST" arguments from `from` on.
std::map<std::wstring, int> PartsOf(Reader& reader, const std::vector<std::string>& args, size_t from)
{
    std::map<std::wstring, int> parts;
    for (size_t i = from; i + 1 < args.size(); i += 2) {
        if (args[i] != "--import" && args[i] != "--parts")
            throw Usage{};
        AddParts(reader, args[i], args[i + 1], parts);
    }
    if ((args.size() - from) % 2 != 0)
        throw Usage{};
    return parts;
}

int Accounted(const std::vector<std::string>& args)
{
    Reader reader;
    const std::map<std::wstring, int> imported = PartsOf(reader, args, 2);
    const Job job = ReadJob(reader, args[1]);
    Faults fault{"accounted"};
    std::map<std::wstring, int> placed, held;
    for (size_t i = 0; i < job.parts.size(); ++i) {
        const PartRecord& part = job.parts[i];
        if (part.sheet < 0) {
            ++held[part.name];
        } else if (Inside(BoxOf(part.outline), job.sheets[static_cast<size_t>(part.sheet)].rect)) {
            ++placed[part.name];
        } else {
            fault(PartName(part, i) + " stands on \"" + Utf8(job.sheets[static_cast<size_t>(part.sheet)].name) +
                  "\" but outside the sheet");
        }
    }
    int pieces = 0, onSheets = 0, inContainer = 0;
    for (const auto& [name, count] : imported) {
        const int p = placed.count(name) ? placed.at(name) : 0;
        const int h = held.count(name) ? held.at(name) : 0;
        pieces += count;
        onSheets += p;
        inContainer += h;
        if (p + h != count)
            fault(std::string("\"") + Utf8(name) + "\": " + std::to_string(count) + " imported, " + std::to_string(p) +
                  " placed and " + std::to_string(h) + " in the container");
    }
    for (const auto& [name, count] : placed)
        if (!imported.count(name))
            fault(std::string("\"") + Utf8(name) + "\": " + std::to_string(count) + " placed but never imported");
    for (const auto& [name, count] : held)
        if (!imported.count(name))
            fault(std::string("\"") + Utf8(name) + "\": " + std::to_string(count) + " in the container but never imported");
    return fault.Finish(std::to_string(pieces) + " pieces of " + std::to_string(imported.size()) + " parts: " +
                        std::to_string(onSheets) + " placed, " + std::to_string(inContainer) + " in the container");
}

// ---- reopen ------------------------------------------------------------------------

bool Close(double a, double b) { return std::fabs(a - b) <= kPlace * std::max(1.0, std::fabs(a)); }
bool CloseAngle(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)) <= kPlace; }
bool ClosePoint(const NPoint& a, const NPoint& b) { return Close(a.x, b.x) && Close(a.y, b.y); }
bool CloseRect(const NRect& a, const NRect& b) { return ClosePoint(a.pBot, b.pBot) && ClosePoint(a.pTop, b.pTop); }

bool SameAreas(const Outline& a, const Outline& b)
{
    if (a.rings.size() != b.rings.size())
        return false;
    for (size_t i = 0; i < a.rings.size(); ++i)
        if (!Close(a.rings[i].area, b.rings[i].area))
            return false;
    return true;
}

// Every cell of every page's title block: the same text on the same page.
void CompareTitleBlocks(const std::vector<std::map<int, std::wstring>>& a,
                        const std::vector<std::map<int, std::wstring>>& b, Faults& fault)
{
    if (a.size() != b.size())
        fault(std::to_string(a.size()) + " pages became " + std::to_string(b.size()));
    for (size_t page = 0; page < std::min(a.size(), b.size()); ++page) {
        std::map<int, std::pair<std::wstring, std::wstring>> cells;
        for (const auto& [cell, text] : a[page])
            cells[cell].first = text;
        for (const auto& [cell, text] : b[page])
            cells[cell].second = text;
        for (const auto& [cell, texts] : cells) {
            if (texts.first != texts.second)
                fault("the title block of page " + std::to_string(page + 1) + ": cell " + std::to_string(cell) +
                      " held \"" + Utf8(texts.first) + "\", holds \"" + Utf8(texts.second) + "\"");
        }
    }
}

// The differences between the model a drawing held and the model it holds reopened.
void CompareJobs(const Job& a, const Job& b, Faults& fault)
{
    if (a.method != b.method)
        fault(std::string("the nesting method was ") + std::to_string(a.method) + ", is " + std::to_string(b.method));
    if (a.params != b.params)
        fault("the model's stored parameters changed");
    if (a.layers.size() != b.layers.size())
        fault(std::to_string(a.layers.size()) + " layers became " + std::to_string(b.layers.size()));
    for (size_t i = 0; i < std::min(a.layers.size(), b.layers.size()); ++i) {
        if (a.layers[i] != b.layers[i])
            fault("layer " + a.layers[i] + " became " + b.layers[i]);
    }
    if (a.sheets.size() != b.sheets.size())
        fault(std::to_string(a.sheets.size()) + " sheets became " + std::to_string(b.sheets.size()));
    for (size_t i = 0; i < std::min(a.sheets.size(), b.sheets.size()); ++i) {
        const SheetRecord &x = a.sheets[i], &y = b.sheets[i];
        if (x.name != y.name || x.view != y.view || !CloseRect(x.rect, y.rect) || !Close(x.count, y.count))
            fault(std::string("sheet ") + std::to_string(i + 1) + " \"" + Utf8(x.name) + "\" changed");
        if (!Close(x.utilisation, y.utilisation) || !Close(x.figuresArea, y.figuresArea))
            fault(std::string("sheet ") + std::to_string(i + 1) + ": utilisation " + Fixed(x.utilisation, 6) + " % became " +
                  Fixed(y.utilisation, 6) + " %");
    }
    if (!Close(a.utilisation, b.utilisation))
        fault(std::string("the overall utilisation ") + Fixed(a.utilisation, 6) + " % became " + Fixed(b.utilisation, 6) + " %");
    if (a.parts.size() != b.parts.size())
        fault(std::to_string(a.parts.size()) + " parts became " + std::to_string(b.parts.size()));
    for (size_t i = 0; i < std::min(a.parts.size(), b.parts.size()); ++i) {
        const PartRecord &x = a.parts[i], &y = b.parts[i];
        if (x.name != y.name || x.view != y.view || x.compound != y.compound)
            fault(PartName(x, i) + " became \"" + Utf8(y.name) + "\" in view " + std::to_string(y.view));
        else if (!Close(x.x, y.x) || !Close(x.y, y.y) || !CloseAngle(x.angle, y.angle))
            fault(PartName(x, i) + " stood at " + Fixed(x.x, 6) + ", " + Fixed(x.y, 6) + " turned " + Fixed(x.angle, 6) +
                  ", stands at " + Fixed(y.x, 6) + ", " + Fixed(y.y, 6) + " turned " + Fixed(y.angle, 6));
        else if (!SameAreas(x.outline, y.outline))
            fault(PartName(x, i) + ": its outline changed");
        else if (x.count != y.count || !Close(x.thickness, y.thickness) || x.material != y.material)
            fault(PartName(x, i) + ": its count, thickness or material changed");
    }
    if (a.remnants.size() != b.remnants.size())
        fault(std::to_string(a.remnants.size()) + " remnants became " + std::to_string(b.remnants.size()));
    for (size_t i = 0; i < std::min(a.remnants.size(), b.remnants.size()); ++i) {
        const RemnantRecord &x = a.remnants[i], &y = b.remnants[i];
        if (x.name != y.name || x.view != y.view || x.automatic != y.automatic || !SameAreas(x.outline, y.outline))
            fault(std::string("remnant ") + std::to_string(i + 1) + " \"" + Utf8(x.name) + "\" changed");
    }
    if (a.bridges.size() != b.bridges.size())
        fault(std::to_string(a.bridges.size()) + " bridges became " + std::to_string(b.bridges.size()));
    for (size_t i = 0; i < std::min(a.bridges.size(), b.bridges.size()); ++i) {
        const BridgeRecord &x = a.bridges[i], &y = b.bridges[i];
        if (x.type != y.type || x.view != y.view || !Close(x.width, y.width) || !ClosePoint(x.point1, y.point1) ||
            !ClosePoint(x.point2, y.point2))
            fault(std::string("bridge ") + std::to_string(i + 1) + " \"" + Utf8(x.name) + "\" changed");
    }
    if (a.tables != b.tables)
        fault("the result tables differ from those the library writes for the reopened drawing");
    CompareTitleBlocks(a.titleBlocks, b.titleBlocks, fault);
}

std::string Held(const Job& job)
{
    return std::to_string(job.sheets.size()) + " sheets, " + std::to_string(job.parts.size()) + " parts, " +
           std::to_string(job.remnants.size()) + " remnants, " + std::to_string(job.bridges.size()) + " bridges, " +
           std::to_string(job.tables.size()) + " result tables and the title blocks of " +
           std::to_string(job.titleBlocks.size()) + " pages";
}

int Reopen(const fs::path& drawing)
{
    Faults fault{"reopen"};
    Job before, after;
    const fs::path copy = fs::temp_directory_path() / (std::string("job_check-reopened-") + std::to_string(getpid()) + ".vdw");
    {
        Reader reader;
        before = ReadJob(reader, drawing);
        std::string error;
        if (!reader.RunAndSave(drawing, 5, copy, error)) {
            std::cerr << "job_check: " << error << "\n";
            throw Unreadable{};
        }
    }
    {
        Reader reader;
        after = ReadJob(reader, copy);
    }
    std::error_code ec;
    fs::remove(copy, ec);
    CompareJobs(before, after, fault);
    return fault.Finish(Held(before) + " the same after reopening");
}

int Same(const fs::path& first, const fs::path& second)
{
    Faults fault{"same"};
    Job before, after;
    {
        Reader reader;
        before = ReadJob(reader, first);
        after = ReadJob(reader, second);
    }
    CompareJobs(before, after, fault);
    return fault.Finish(Held(before) + " the same in both drawings");
}

// ---- dxf ---------------------------------------------------------------------------

// The stem of each sheet's files as the export names them: of the sheets that
// hold a part, in order, the name made fit for a file and numbered where it
// repeats; empty for a sheet that holds nothing (it has no file).
std::vector<std::wstring> SheetStems(const Job& job)
{
    outputs::NameBook book;
    std::vector<std::wstring> stems;
    for (size_t s = 0; s < job.sheets.size(); ++s) {
        const bool holds = std::any_of(job.parts.begin(), job.parts.end(),
                                       [&](const PartRecord& p) { return p.sheet == static_cast<int>(s); });
        stems.push_back(holds ? book.Reserve(outputs::SafeFileName(job.sheets[s].name), {L".vfw", L".dxf"}) : L"");
    }
    return stems;
}

// Takes each expected area from `found` (within 0.01 %); what is left on
// either side is named.
void MatchAreas(std::vector<double> expected, std::vector<double> found, bool exact, const std::string& file,
                Faults& fault)
{
    std::vector<double> missing;
    for (double area : expected) {
        auto it = std::min_element(found.begin(), found.end(),
                                   [&](double p, double q) { return std::fabs(p - area) < std::fabs(q - area); });
        if (it != found.end() && std::fabs(*it - area) <= kAreaMatch * area + 1e-9)
            found.erase(it);
        else
            missing.push_back(area);
    }
    for (double area : missing)
        fault(file + ": no closed outline of " + Fixed(area, 4) + " mm² as in the drawing");
    if (exact)
        for (double area : found)
            fault(file + ": a closed outline of " + Fixed(area, 4) + " mm² that the drawing does not hold");
}

std::vector<double> RingAreas(const Outline& outline, double scale)
{
    std::vector<double> out;
    for (const Ring& ring : outline.rings)
        out.push_back(ring.area * scale * scale);
    return out;
}

double RectArea(const NRect& r, double scale) { return (r.pTop.x - r.pBot.x) * (r.pTop.y - r.pBot.y) * scale * scale; }

// What the nesting map (card.dxf) must hold: every sheet, every placed part's
// outlines and every remnant on a sheet, each as drawn at its view's scale.
std::vector<double> MapAreas(const Job& job)
{
    std::vector<double> expected;
    for (const SheetRecord& sheet : job.sheets)
        expected.push_back(RectArea(sheet.rect, sheet.scale));
    for (const PartRecord& part : job.parts)
        if (part.sheet >= 0)
            for (double a : RingAreas(part.outline, job.sheets[static_cast<size_t>(part.sheet)].scale))
                expected.push_back(a);
    for (const RemnantRecord& remnant : job.remnants)
        for (const SheetRecord& sheet : job.sheets)
            if (sheet.view == remnant.view)
                for (double a : RingAreas(remnant.outline, sheet.scale))
                    expected.push_back(a);
    return expected;
}

// What a sheet's file must hold, and nothing more: the sheet and the outlines of its parts.
std::vector<double> SheetAreas(const Job& job, size_t index)
{
    std::vector<double> expected = {RectArea(job.sheets[index].rect, 1.0)};
    for (const PartRecord& part : job.parts)
        if (part.sheet == static_cast<int>(index))
            for (double a : RingAreas(part.outline, 1.0))
                expected.push_back(a);
    return expected;
}

int Dxf(const fs::path& drawing, const fs::path& folder)
{
    Reader reader;
    const Job job = ReadJob(reader, drawing);
    Faults fault{"dxf"};
    std::vector<double> remnantAreas;
    size_t matched = 0, remnantFiles = 0;
    const std::vector<std::wstring> stems = SheetStems(job);
    const size_t count = ForEachReading("dxf", folder, fault, [&](const fs::path& file, const nlohmann::json& r) {
        const std::string name = file.filename().string();
        const std::wstring stem = vlhost::Host::Wide(file.stem().string());
        const std::vector<double> found = r["areas"].get<std::vector<double>>();
        const int open = r["open"].get<int>();
        for (const char* kind : {"errors", "fixes"})
            if (r[kind].get<int>() != 0)
                fault(name + ": " + std::to_string(r[kind].get<int>()) + " audit " + kind);
        const auto sheet = std::find(stems.begin(), stems.end(), stem);
        if (name == "card.dxf") {
            MatchAreas(MapAreas(job), found, false, name, fault);
        } else if (stem.rfind(L"waste", 0) == 0) {
            ++remnantFiles;
            // A remnant marked by hand around parts standing free in it has them as islands.
            if (found.empty() || open != 0)
                fault(name + ": " + std::to_string(found.size()) + " closed and " + std::to_string(open) +
                      " open outlines where a remnant has one and its islands");
            // Closed means closed: a polyline's flag set or its pieces' ends one point.
            for (const auto& joint : r["loose"])
                fault(name + ": the outline is not closed at (" + Fixed(joint[0].get<double>(), 6) + ", " +
                      Fixed(joint[1].get<double>(), 6) + "): its ends lie " + Fixed(joint[2].get<double>(), 9) + " mm apart");
            remnantAreas.insert(remnantAreas.end(), found.begin(), found.end());
        } else if (!stem.empty() && sheet != stems.end()) {
            if (open != 0)
                fault(name + ": " + std::to_string(open) + " outlines left open");
            MatchAreas(SheetAreas(job, static_cast<size_t>(sheet - stems.begin())), found, true, name, fault);
        } else {
            return;  // not a file of this drawing: loaded strictly only
        }
        ++matched;
    });
    if (remnantFiles > 0) {
        std::vector<double> expected;
        for (const RemnantRecord& remnant : job.remnants)
            if (std::any_of(job.sheets.begin(), job.sheets.end(), [&](const SheetRecord& s) { return s.view == remnant.view; }))
                for (double a : RingAreas(remnant.outline, 1.0))
                    expected.push_back(a);
        MatchAreas(expected, remnantAreas, true, "the remnants' files", fault);
    }
    return fault.Finish(std::to_string(count) + " DXF files load strictly, the audit finding nothing to mend; the outlines of " +
                        std::to_string(matched) + " of them are the drawing's within 0.01 %");
}

// ---- gaps --------------------------------------------------------------------------

Loop LoopOf(const nlohmann::json& edges)
{
    Loop loop;
    for (const auto& e : edges)
        loop.push_back({{e[0].get<double>(), e[1].get<double>()}, {e[2].get<double>(), e[3].get<double>()},
                        e[4].get<double>()});
    return loop;
}

std::string Where(const Loop& loop)
{
    const NRect box = LoopBox(loop);
    return "(" + Fixed(box.pBot.x, 3) + ", " + Fixed(box.pBot.y, 3) + ")";
}

// The least gaps of one sheet's file: between outlines of different parts,
// and from the parts standing on the sheet to its edge. A part is an outer
// outline with the holes right inside it; a part in a hole is a part again.
void SheetGaps(const std::string& name, const SheetRecord& sheet, const Job& job, const std::vector<Loop>& loops,
               Faults& fault, double& between, double& edge)
{
    const double width = sheet.rect.pTop.x - sheet.rect.pBot.x, height = sheet.rect.pTop.y - sheet.rect.pBot.y;
    size_t outer = loops.size();
    for (size_t i = 0; i < loops.size(); ++i) {
        const NRect box = LoopBox(loops[i]);
        if (std::fabs(box.pTop.x - box.pBot.x - width) < kInside && std::fabs(box.pTop.y - box.pBot.y - height) < kInside)
            outer = i;
    }
    if (outer == loops.size()) {
        fault(name + ": no outline of the sheet " + Fixed(width, 3) + " × " + Fixed(height, 3));
        return;
    }
    const std::vector<int> parents = Parents(loops);
    std::vector<int> depth(loops.size(), -1), part(loops.size(), -1);
    for (size_t i = 0; i < loops.size(); ++i) {
        int d = 0;
        int at = static_cast<int>(i);
        while (at >= 0 && static_cast<size_t>(at) != outer && d <= static_cast<int>(loops.size())) {
            at = parents[static_cast<size_t>(at)];
            ++d;
        }
        if (at < 0) {
            fault(name + ": an outline at " + Where(loops[i]) + " outside the sheet");
            continue;
        }
        depth[i] = d;
        part[i] = d % 2 == 1 ? static_cast<int>(i) : parents[i];
    }
    // The least distance whole, as the export and the documentation name a
    // part nearer than its gap, not the first found below the gap.
    const auto measure = [&](size_t i, size_t j, double set, double& least, const std::string& what) {
        const double d = LoopDistance(loops[i], loops[j], 0.0);
        least = std::min(least, d);
        if (d < set - kGapShort)
            fault(name + ": " + what + " " + Fixed(d, 4) + " mm where " + Fixed(set, 4) + " mm is set");
    };
    for (size_t i = 0; i < loops.size(); ++i) {
        if (depth[i] < 1)
            continue;
        // A bar of linear nesting is cut from its end: no gap to its edge is set.
        if (depth[i] == 1 && job.method == 0)
            measure(i, outer, job.sheetGap, edge, "the part at " + Where(loops[i]) + " stands from the sheet's edge");
        const NRect box = LoopBox(loops[i]);
        for (size_t j = i + 1; j < loops.size(); ++j) {
            if (depth[j] < 1 || part[j] == part[i])
                continue;
            const NRect other = LoopBox(loops[j]);
            const double dx = std::max({0.0, other.pBot.x - box.pTop.x, box.pBot.x - other.pTop.x});
            const double dy = std::max({0.0, other.pBot.y - box.pTop.y, box.pBot.y - other.pTop.y});
            // Boxes no nearer than the least gap found so far hold no nearer pair.
            if (std::hypot(dx, dy) >= between)
                continue;
            measure(i, j, job.figureGap, between,
                    "the parts at " + Where(loops[i]) + " and " + Where(loops[j]) + " stand");
        }
    }
}

int Gaps(const fs::path& drawing, const fs::path& folder)
{
    Reader reader;
    const Job job = ReadJob(reader, drawing);
    Faults fault{"gaps"};
    std::vector<fs::path> files;
    std::vector<size_t> sheets;
    const std::vector<std::wstring> stems = SheetStems(job);
    for (const fs::path& file : FilesUnder(folder, ".dxf")) {
        const std::wstring stem = vlhost::Host::Wide(file.stem().string());
        const auto sheet = std::find(stems.begin(), stems.end(), stem);
        if (!stem.empty() && sheet != stems.end()) {
            files.push_back(file);
            sheets.push_back(static_cast<size_t>(sheet - stems.begin()));
        }
    }
    const nlohmann::json reading = PythonReading("outlines", files);
    double between = 1e300, edge = 1e300;
    size_t outlines = 0;
    for (size_t k = 0; k < files.size(); ++k) {
        const std::string name = files[k].filename().string();
        const auto it = reading.find(files[k].string());
        if (it == reading.end() || it->contains("error")) {
            fault(name + ": " + (it == reading.end() ? std::string("not read") : (*it)["error"].get<std::string>()));
            continue;
        }
        if ((*it)["open"].get<int>() != 0)
            fault(name + ": " + std::to_string((*it)["open"].get<int>()) + " outlines left open");
        std::vector<Loop> loops;
        for (const auto& edges : (*it)["loops"])
            loops.push_back(LoopOf(edges));
        outlines += loops.size();
        SheetGaps(name, job.sheets[sheets[k]], job, loops, fault, between, edge);
    }
    const size_t holding = static_cast<size_t>(std::count_if(stems.begin(), stems.end(), [](const std::wstring& s) { return !s.empty(); }));
    if (files.size() != holding)
        fault(std::to_string(holding) + " sheets hold parts but " + std::to_string(files.size()) + " sheet DXF files in " +
              folder.string());
    const auto shown = [](double d) { return d < 1e300 ? Fixed(d, 4) + " mm" : std::string("none measured"); };
    const std::string figures = std::to_string(files.size()) + " sheets, " + std::to_string(outlines) +
                                " outlines: the least gap between parts " + shown(between) + " (" +
                                Fixed(job.figureGap, 4) + " set), to the sheet's edge " +
                                (job.method == 0 ? shown(edge) + " (" + Fixed(job.sheetGap, 4) + " set)"
                                                 : std::string("not measured (linear nesting sets no edge gap)"));
    if (fault.count > 0)
        std::cout << "job_check gaps: " << figures << "\n";
    return fault.Finish(figures);
}

// ---- csv ---------------------------------------------------------------------------

int Csv(const fs::path& folder)
{
    Reader reader;
    Faults fault{"csv"};
    const size_t count = ForEachReading("csv", folder, fault, [&](const fs::path& file, const nlohmann::json& r) {
        const std::string name = file.filename().string();
        if (!r["bom"].get<bool>())
            fault(name + ": no byte-order mark leads the file");
        Rows rows;
        for (const auto& row : r["rows"]) {
            std::vector<std::wstring> cells;
            for (const auto& cell : row)
                cells.push_back(vlhost::Host::Wide(cell.get<std::string>()));
            if (cells.empty() || !cells.back().empty())
                fault(name + ": a line that does not end with \";\"");
            else
                cells.pop_back();
            for (const std::wstring& cell : cells)
                if (Evaluated(cell))
                    fault(name + ": row " + std::to_string(rows.size() + 1) + ": a spreadsheet evaluates the cell \"" +
                          vlhost::Host::Utf8(cell) + "\"");
            rows.push_back(std::move(cells));
        }
        Rows table;
        fs::path twin = file;
        twin.replace_extension(".vfw");
        if (!reader.ReadTable(twin, table)) {
            fault(name + ": no table document " + twin.filename().string() + " beside it");
            return;
        }
        // A text the table holds as it is may stand in the CSV after an
        // apostrophe, so that a spreadsheet keeps it text.
        const auto same = [](const std::vector<std::wstring>& csv, const std::vector<std::wstring>& cells) {
            return std::equal(csv.begin(), csv.end(), cells.begin(), cells.end(), SameCell);
        };
        if (!std::equal(rows.begin(), rows.end(), table.begin(), table.end(), same)) {
            size_t at = 0;
            while (at < rows.size() && at < table.size() && same(rows[at], table[at]))
                ++at;
            fault(name + ": differs from its table document from row " + std::to_string(at + 1) + " (" +
                  std::to_string(rows.size()) + " rows against " + std::to_string(table.size()) + ")");
        }
    });
    return fault.Finish(std::to_string(count) +
                        " CSV files parse, start with a byte-order mark and equal their table documents");
}

// ---- registers ---------------------------------------------------------------------

int Registers(const std::vector<std::string>& args)
{
    if (args.size() != 3 && !(args.size() == 5 && args[3] == "--min-remnant"))
        throw Usage{};
    const double minimumRemnant = args.size() == 5 ? std::stod(args[4]) : 250.0;
    Reader reader;
    const Job job = ReadJob(reader, args[1]);
    Faults fault{"registers"};
    std::map<std::wstring, RegisterRows> registers;
    const fs::path folder = fs::path(args[2]) / "Документация";
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().extension() == ".csv")
            files.push_back(it->path());
    const nlohmann::json reading = PythonReading("csv", files);
    for (const fs::path& file : files) {
        const auto it = reading.find(file.string());
        if (it == reading.end() || it->contains("error")) {
            fault(file.filename().string() + ": not read");
            continue;
        }
        RegisterRows rows;
        for (const auto& row : (*it)["rows"]) {
            rows.emplace_back();
            for (const auto& cell : row)
                rows.back().push_back(CellText(vlhost::Host::Wide(cell.get<std::string>())));
            if (!rows.back().empty())
                rows.back().pop_back();  // the empty field after the last ";"
        }
        registers[vlhost::Host::Wide(file.stem().string())] = std::move(rows);
    }
    const size_t checked = CheckRegisters(job, registers, minimumRemnant, [&](const std::string& what) { fault(what); });
    if (checked == 0)
        fault("no register of this drawing in " + folder.string());
    return fault.Finish(std::to_string(checked) + " registers say what the drawing holds, lengths to 0.1 mm");
}

// ---- summary and dump ---------------------------------------------------------------

std::string Area(double mm2) { return Fixed(mm2 / 1e6, 2) + " m²"; }

// A linear plan: the bars it uses against the least its pieces need (as the
// solver proves it: ProvenLeastBars), and each bar layout with its bars and
// pieces.
void SummariseLinear(const Job& job)
{
    int bars = 0;
    double bar = 0.0;
    // The pieces by length, to a ten-thousandth of a millimetre.
    std::map<long long, std::pair<double, int>> byLength;
    for (const SheetRecord& sheet : job.sheets) {
        const int count = static_cast<int>(std::lround(sheet.count));
        bars += count;
        bar = std::max(bar, sheet.rect.pTop.x - sheet.rect.pBot.x);
        for (const PartRecord& part : job.parts) {
            if (part.view != sheet.view)
                continue;
            const NRect box = BoxOf(part.outline);
            const double length = box.pTop.x - box.pBot.x;
            auto& [kept, pieces] = byLength[std::llround(length * 1e4)];
            kept = length;
            pieces += count;
        }
    }
    std::vector<std::pair<double, int>> lengths;
    for (const auto& [key, piece] : byLength)
        lengths.push_back(piece);
    std::cout << "  linear nesting   " << BarsAgainstLeast(bars, ProvenLeastBars(lengths, bar, job.figureGap, bars))
              << ", cut in " << job.sheets.size() << (job.sheets.size() == 1 ? " layout\n" : " layouts\n");
    for (const SheetRecord& sheet : job.sheets) {
        int onBar = 0;
        for (const PartRecord& part : job.parts)
            onBar += part.view == sheet.view ? 1 : 0;
        std::cout << "    " << Utf8(sheet.name) << ": " << LayoutBars(static_cast<int>(std::lround(sheet.count)), onBar)
                  << ", " << Fixed(sheet.rect.pTop.x - sheet.rect.pBot.x, 0) << " mm, utilisation "
                  << Fixed(sheet.utilisation, 1) << " %\n";
    }
}

// What a drawing holds; `imported`, when given, the pieces imported by part
// name, which a figure drawing's pieces are set against.
void Summarise(const fs::path& drawing, const Job& job, const std::map<std::wstring, int>* imported)
{
    std::cout << drawing.filename().string() << "\n";
    std::map<std::wstring, int> container;
    size_t onSheets = 0;
    for (const PartRecord& part : job.parts) {
        if (part.sheet < 0)
            ++container[part.name];
        else
            ++onSheets;
    }
    if (job.method != 0) {
        SummariseLinear(job);
        return;
    }
    std::cout << "  parts            " << job.parts.size() << " pieces: " << onSheets << " placed, "
              << (job.parts.size() - onSheets) << " in the container\n";
    if (imported) {
        std::map<std::wstring, int> toNest;
        for (const PartRecord& part : job.parts)
            ++toNest[part.name];
        std::cout << "  as imported      " << ImportedAgainstNested(*imported, toNest) << "\n";
    }
    std::cout << "  sheets used      " << job.sheets.size() << "\n";
    for (size_t s = 0; s < job.sheets.size(); ++s) {
        const SheetRecord& sheet = job.sheets[s];
        size_t count = 0;
        for (const PartRecord& part : job.parts)
            count += part.sheet == static_cast<int>(s) ? 1 : 0;
        std::cout << "    " << Utf8(sheet.name) << ": " << Fixed(sheet.rect.pTop.x - sheet.rect.pBot.x, 0) << " × "
                  << Fixed(sheet.rect.pTop.y - sheet.rect.pBot.y, 0) << ", " << count << " parts, "
                  << Area(sheet.figuresArea) << " of " << Area(sheet.sheetArea) << ", utilisation "
                  << Fixed(sheet.utilisation, 1) << " %\n";
    }
    std::cout << "  utilisation      " << Fixed(job.utilisation, 1) << " % overall\n";
    std::cout << "  in the container ";
    if (container.empty())
        std::cout << "nothing";
    for (auto it = container.begin(); it != container.end(); ++it)
        std::cout << (it == container.begin() ? "" : ", ") << Utf8(it->first) << " × " << it->second;
    std::cout << "\n";
    double remnantArea = 0.0;
    size_t automatic = 0;
    for (const RemnantRecord& remnant : job.remnants) {
        // The outer ring (the largest) less the islands of parts standing free in it.
        for (size_t i = 0; i < remnant.outline.rings.size(); ++i)
            remnantArea += (i == 0 ? 1.0 : -1.0) * remnant.outline.rings[i].area;
        automatic += remnant.automatic ? 1 : 0;
    }
    std::cout << "  remnants         " << job.remnants.size() << " (" << automatic << " automatic, "
              << job.remnants.size() - automatic << " manual), " << Area(remnantArea) << "\n";
    std::cout << "  bridges          " << job.bridges.size() << "\n";
}

void Files(const fs::path& folder)
{
    std::map<std::string, int> kinds;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator(); ++it) {
        const std::string top = fs::relative(it->path(), folder).begin()->string();
        if (top == "host" || top == "pictures" || top == "transcripts") {
            if (it->is_directory())
                it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && it->path().filename().string()[0] != '.')
            ++kinds[it->path().extension().string()];
    }
    static const std::map<std::string, std::string> names = {
        {".vdw", "drawings"}, {".vfw", "fragments and table documents"}, {".dxf", "DXF files"},
        {".csv", "CSV registers"}, {".v3d", "3D documents"}};
    std::cout << "files written under " << folder.string() << ":";
    bool first = true;
    for (const auto& [extension, count] : kinds) {
        const auto name = names.find(extension);
        std::cout << (first ? " " : ", ") << (name == names.end() ? "other" : name->second) << " " << count;
        first = false;
    }
    std::cout << (first ? " none\n" : "\n");
}

nlohmann::json PointJson(const NPoint& p) { return {p.x, p.y}; }

nlohmann::json OutlineJson(const Outline& outline)
{
    nlohmann::json rings = nlohmann::json::array();
    for (const Ring& ring : outline.rings)
        rings.push_back({{"area", ring.area}, {"points", ring.points.size()}});
    const NRect box = BoxOf(outline);
    return {{"rings", rings}, {"open", outline.open.size()}, {"box", {PointJson(box.pBot), PointJson(box.pTop)}}};
}

int Dump(const fs::path& drawing)
{
    Reader reader;
    const Job job = ReadJob(reader, drawing);
    nlohmann::json out;
    out["method"] = job.method;
    out["utilisation"] = job.utilisation;
    for (const SheetRecord& s : job.sheets)
        out["sheets"].push_back({{"name", Utf8(s.name)}, {"view", s.view}, {"scale", s.scale}, {"count", s.count},
                                 {"rect", {PointJson(s.rect.pBot), PointJson(s.rect.pTop)}},
                                 {"sheetArea", s.sheetArea}, {"figuresArea", s.figuresArea}, {"utilisation", s.utilisation}});
    for (const PartRecord& p : job.parts)
        out["parts"].push_back({{"name", Utf8(p.name)}, {"view", p.view}, {"sheet", p.sheet}, {"x", p.x}, {"y", p.y},
                                {"angle", p.angle}, {"count", p.count}, {"thickness", p.thickness}, {"material", Utf8(p.material)},
                                {"compound", Utf8(p.compound)}, {"outline", OutlineJson(p.outline)}});
    for (const RemnantRecord& r : job.remnants)
        out["remnants"].push_back({{"name", Utf8(r.name)}, {"view", r.view}, {"automatic", r.automatic},
                                   {"outline", OutlineJson(r.outline)}});
    for (const BridgeRecord& b : job.bridges)
        out["bridges"].push_back({{"name", Utf8(b.name)}, {"type", b.type}, {"view", b.view}, {"width", b.width},
                                  {"point1", PointJson(b.point1)}, {"point2", PointJson(b.point2)}});
    out["tables"] = job.tables.size();
    out["pages"] = job.titleBlocks.size();
    std::cout << out.dump(1) << "\n";
    return 0;
}

int Summary(const std::vector<std::string>& args)
{
    Reader reader;
    std::vector<std::string> drawings;
    std::optional<std::map<std::wstring, int>> imported;
    std::string importFolder, filesFolder;
    for (size_t i = 1; i < args.size(); ++i) {
        if ((args[i] == "--files" || args[i] == "--import") && i + 1 == args.size())
            throw Usage{};
        if (args[i] == "--files")
            filesFolder = args[++i];
        else if (args[i] == "--import")
            importFolder = args[++i];
        else
            drawings.push_back(args[i]);
    }
    if (!importFolder.empty()) {
        imported = PartsOf(reader, {"", "--import", importFolder}, 1);
        int pieces = 0;
        for (const auto& [name, count] : *imported)
            pieces += count;
        std::cout << "parts imported: " << imported->size() << " part files, " << pieces
                  << " pieces by the counts they carry, in " << importFolder << "\n";
    }
    for (const std::string& drawing : drawings)
        Summarise(drawing, ReadJob(reader, drawing), imported ? &*imported : nullptr);
    if (!filesFolder.empty())
        Files(filesFolder);
    return 0;
}

int Run(const std::vector<std::string>& a)
{
    const std::string what = a.empty() ? "" : a[0];
    if (what == "summary" && a.size() >= 2)
        return Summary(a);
    if (what == "overlap" && a.size() == 2)
        return Overlap(a[1]);
    if (what == "accounted" && a.size() >= 4)
        return Accounted(a);
    if (what == "reopen" && a.size() == 2)
        return Reopen(a[1]);
    if (what == "same" && a.size() == 3)
        return Same(a[1], a[2]);
    if (what == "dxf" && a.size() == 3)
        return Dxf(a[1], a[2]);
    if (what == "gaps" && a.size() == 3)
        return Gaps(a[1], a[2]);
    if (what == "remnants" && a.size() == 2)
        return Remnants(a[1]);
    if (what == "csv" && a.size() == 2)
        return Csv(a[1]);
    if (what == "registers" && a.size() >= 3)
        return Registers(a);
    if (what == "dump" && a.size() == 2)
        return Dump(a[1]);
    throw Usage{};
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Usage&) {
        std::cerr << "usage: job_check summary DRAWING... [--import FOLDER] [--files FOLDER] | overlap DRAWING |\n"
                     "       accounted DRAWING (--import FOLDER | --parts LIST)... | reopen DRAWING |\n"
                     "       same BEFORE AFTER | remnants DRAWING |\n"
                     "       dxf DRAWING FOLDER | gaps DRAWING FOLDER | csv FOLDER |\n"
                     "       registers DRAWING FOLDER [--min-remnant MM] | dump DRAWING\n";
        return 2;
    } catch (const Unreadable&) {
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "job_check: " << e.what() << "\n";
        return 2;
    }
}
