// dxf_bounds_bench [--keep FOLDER] [NAME]: DXF files as large as the readers' caps let them
// be (256 MB, 250,000 objects, 500,000 pieces, 100,000 points of splines,
// 20,000 ellipses, 100,000 layers and linetypes, 500,000 blocks, two million
// records and twenty million groups looked at), and larger, and parts of many
// holes and vertices within them (holes drawn twice in one curve kind or two
// among them), written by the benchmark into a temporary
// folder, each through the DXF converter alone and through the library's
// import of parts (which runs the converter too), each step in a process of
// its own; and 3D plates of many holes, read from their assembly alone and
// then imported whole (read, unbent and written with their marking). The
// part file an import wrote is then loaded as the source data loads it.
// Prints per file the seconds and the peak memory of each step and the closing
// message, and for the kinds measured at two sizes how many times longer the
// larger took against how many times larger it is. Exit status 1 when a step
// takes more than 10 s or 1 GB, a part file written does not load, or time
// grows much faster than the file.
// NAME: a part of the names of the cases to run (all by default); with
// --keep FOLDER first, each file is also left in FOLDER, named as its case.
#include "io/AssemblyReader.h"
#include "io/DxfImport.h"
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"
#include "vlhost/Parts.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kGoalSeconds = 10;
constexpr double kGoalMegabytes = 1024;

// A file written piece by piece: its sections, header first.
class Writer {
public:
    explicit Writer(const fs::path& path) : m_out(path, std::ios::binary)
    {
        Put(0, "SECTION"), Put(2, "HEADER"), Put(9, "$ACADVER"), Put(1, "AC1015"), Put(9, "$INSUNITS"), Put(70, "4");
        Put(0, "ENDSEC");
    }
    ~Writer() { Put(0, "EOF"); }
    void Put(int code, const std::string& value) { m_out << code << '\n' << value << '\n'; }
    void Raw(const std::string& text) { m_out << text; }
    void Section(const char* name) { Put(0, "SECTION"), Put(2, name); }
    void End() { Put(0, "ENDSEC"); }
    void Line(double x1, double y1, double x2, double y2, const std::string& layer = "0")
    {
        Put(0, "LINE"), Put(8, layer), Put(10, Num(x1)), Put(20, Num(y1)), Put(11, Num(x2)), Put(21, Num(y2));
    }
    void Square(double side)
    {
        Line(0, 0, side, 0), Line(side, 0, side, side), Line(side, side, 0, side), Line(0, side, 0, 0);
    }
    // `text` repeated until `bytes` are written.
    void Fill(const std::string& text, size_t bytes)
    {
        std::string chunk;
        while (chunk.size() < (size_t{1} << 20))
            chunk += text;
        for (size_t written = 0; written < bytes; written += chunk.size())
            m_out << chunk;
    }
    static std::string Num(double v)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.12g", v);
        return text;
    }

private:
    std::ofstream m_out;
};

// `count` layers, each with a line: with `linetypes`, each line in a linetype of its own.
void Layers(const fs::path& path, int count, bool linetypes)
{
    Writer w(path);
    w.Section("TABLES");
    if (linetypes) {
        w.Put(0, "TABLE"), w.Put(2, "LTYPE");
        for (int i = 0; i < count; ++i)
            w.Put(0, "LTYPE"), w.Put(2, "T" + std::to_string(i)), w.Put(70, "0"), w.Put(73, "2"), w.Put(49, "2"),
                w.Put(49, "-1");
        w.Put(0, "ENDTAB");
    }
    w.Put(0, "TABLE"), w.Put(2, "LAYER");
    for (int i = 0; i < count; ++i)
        w.Put(0, "LAYER"), w.Put(2, "L" + std::to_string(i)), w.Put(70, "0"), w.Put(62, "7"), w.Put(6, "CONTINUOUS");
    w.Put(0, "ENDTAB");
    w.End();
    w.Section("ENTITIES");
    w.Square(100);
    for (int i = 0; i < count; ++i) {
        w.Line(200 + i % 100, i / 100, 200.5 + i % 100, i / 100, "L" + std::to_string(i));
        if (linetypes)
            w.Put(6, "T" + std::to_string(i));
    }
    w.End();
}

// A part, then `head` and `text` repeated to `bytes` among its objects, or
// before its section with `before`.
void Minimal(const fs::path& path, const std::string& head, const std::string& text, size_t bytes, bool before = false)
{
    Writer w(path);
    if (before)
        w.Fill(text, bytes);
    w.Section("ENTITIES");
    w.Square(100);
    if (!before) {
        w.Raw(head);
        w.Fill(text, bytes);
    }
    w.End();
}

// A part and `texts` MTEXTs of `breaks` line breaks each.
void Texts(const fs::path& path, int breaks, int texts)
{
    Writer w(path);
    w.Section("ENTITIES");
    w.Square(100);
    std::string text;
    for (int i = 0; i < breaks; ++i)
        text += "\\P";
    for (int t = 0; t < texts; ++t)
        w.Put(0, "MTEXT"), w.Put(8, "0"), w.Put(10, "10"), w.Put(20, "10"), w.Put(40, "2.5"), w.Put(1, text);
    w.End();
}

// A circle of radius 500 as one closed polyline of `count` vertices, or as
// `count` lines.
void Ring(const fs::path& path, int count, bool lines)
{
    Writer w(path);
    w.Section("ENTITIES");
    auto at = [&](int i) {
        const double t = 2 * std::numbers::pi * i / count;
        return std::pair{500 * std::cos(t), 500 * std::sin(t)};
    };
    if (!lines) {
        w.Put(0, "LWPOLYLINE"), w.Put(8, "0"), w.Put(90, std::to_string(count)), w.Put(70, "1");
        for (int i = 0; i < count; ++i)
            w.Put(10, Writer::Num(at(i).first)), w.Put(20, Writer::Num(at(i).second));
    } else {
        for (int i = 0; i < count; ++i)
            w.Line(at(i).first, at(i).second, at((i + 1) % count).first, at((i + 1) % count).second);
    }
    w.End();
}

// Empty blocks, each inserted once, and nothing else.
void Blocks(const fs::path& path, int count)
{
    Writer w(path);
    w.Section("BLOCKS");
    for (int i = 0; i < count; ++i)
        w.Put(0, "BLOCK"), w.Put(2, "B" + std::to_string(i)), w.Put(0, "ENDBLK");
    w.End();
    w.Section("ENTITIES");
    for (int i = 0; i < count; ++i)
        w.Put(0, "INSERT"), w.Put(2, "B" + std::to_string(i));
    w.End();
}

// A plate of `w` × `h` with `count` round holes of radius `r` on an even grid
// (`rows` of them), or as a ring of that many holes when `ringCount` is set:
// the outline as a polyline of `outlineVertices` vertices round a circle
// (a rectangle when 0).
void Holes(const fs::path& path, int count, double r, int outlineVertices = 0)
{
    Writer w(path);
    w.Section("ENTITIES");
    const int side = static_cast<int>(std::ceil(std::sqrt(count / (outlineVertices ? 0.6 : 1.0))));
    const double pitch = 10, extent = side * pitch + pitch;
    if (outlineVertices == 0) {
        w.Put(0, "LWPOLYLINE"), w.Put(8, "0"), w.Put(90, "4"), w.Put(70, "1");
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, {extent, 0.0}, {extent, extent}, {0.0, extent}})
            w.Put(10, Writer::Num(x)), w.Put(20, Writer::Num(y));
    } else {
        w.Put(0, "LWPOLYLINE"), w.Put(8, "0"), w.Put(90, std::to_string(outlineVertices)), w.Put(70, "1");
        for (int i = 0; i < outlineVertices; ++i) {
            const double t = 2 * std::numbers::pi * i / outlineVertices;
            w.Put(10, Writer::Num(extent / 2 + extent / 2 * std::cos(t))), w.Put(20, Writer::Num(extent / 2 + extent / 2 * std::sin(t)));
        }
    }
    int made = 0;
    for (int i = 0; i < side && made < count; ++i) {
        for (int j = 0; j < side && made < count; ++j) {
            const double x = pitch + i * pitch, y = pitch + j * pitch;
            if (outlineVertices && std::hypot(x - extent / 2, y - extent / 2) > extent / 2 - 2 * pitch)
                continue;
            w.Put(0, "CIRCLE"), w.Put(8, "0"), w.Put(10, Writer::Num(x)), w.Put(20, Writer::Num(y)), w.Put(40, Writer::Num(r));
            ++made;
        }
    }
    w.End();
}

// A 100 mm square and `count` TEXTs at its middle, each a marking of another
// count (and, with `unknown`, of a key no table knows besides).
void MarkedTexts(const fs::path& path, int count, bool unknown)
{
    Writer w(path);
    w.Section("ENTITIES");
    w.Square(100);
    for (int i = 1; i <= count; ++i) {
        const std::string text = "[Кол-во=" + std::to_string(i) + "]" + (unknown ? " [Цвет=" + std::to_string(i) + "]" : "");
        w.Put(0, "TEXT"), w.Put(8, "0"), w.Put(10, "50"), w.Put(20, "50"), w.Put(40, "2.5"), w.Put(1, text);
    }
    w.End();
}

// The one MINSERT of a block of one circle of radius `r`, `n` × `n` copies
// inside a square; with `nested`, of a block that is itself such a MINSERT,
// `n` × `n` copies of it (the square then 1000 wide).
void MInsert(const fs::path& path, int n, double r = 1, bool nested = false)
{
    Writer w(path);
    w.Section("BLOCKS");
    w.Put(0, "BLOCK"), w.Put(2, "H"), w.Put(70, "0"), w.Put(10, "0"), w.Put(20, "0");
    w.Put(0, "CIRCLE"), w.Put(8, "0"), w.Put(10, "0"), w.Put(20, "0"), w.Put(40, Writer::Num(r));
    w.Put(0, "ENDBLK");
    const double pitch = nested ? 0.01 : 5;
    const auto array = [&](const char* block, double at, double step) {
        w.Put(0, "INSERT"), w.Put(8, "0"), w.Put(2, block), w.Put(10, Writer::Num(at)), w.Put(20, Writer::Num(at)),
            w.Put(70, std::to_string(n)), w.Put(71, std::to_string(n)), w.Put(44, Writer::Num(step)),
            w.Put(45, Writer::Num(step));
    };
    if (nested) {
        w.Put(0, "BLOCK"), w.Put(2, "A"), w.Put(70, "0"), w.Put(10, "0"), w.Put(20, "0");
        array("H", 0, pitch);
        w.Put(0, "ENDBLK");
    }
    w.End();
    w.Section("ENTITIES");
    w.Square(nested ? 1000 : n * pitch + pitch);
    if (nested)
        array("A", 1, 3.3);
    else
        array("H", pitch, pitch);
    w.End();
}

// A closed polyline of `count` vertices round a wavy circle, each edge an arc of bulge ±`bulge`.
void Bulged(const fs::path& path, int count, double bulge)
{
    Writer w(path);
    w.Section("ENTITIES");
    w.Put(0, "LWPOLYLINE"), w.Put(8, "0"), w.Put(90, std::to_string(count)), w.Put(70, "1");
    for (int i = 0; i < count; ++i) {
        const double t = 2 * std::numbers::pi * i / count, r = 500 + 3 * std::sin(200 * t);
        w.Put(10, Writer::Num(r * std::cos(t))), w.Put(20, Writer::Num(r * std::sin(t))), w.Put(42, Writer::Num(i % 2 ? bulge : -bulge));
    }
    w.End();
}

// A circle of radius 500 as `count` lines listed against the way they run.
void LinesBackwards(const fs::path& path, int count)
{
    Writer w(path);
    w.Section("ENTITIES");
    const auto at = [&](int i) {
        const double t = 2 * std::numbers::pi * i / count;
        return std::pair{500 * std::cos(t), 500 * std::sin(t)};
    };
    for (int i = count - 1; i >= 0; --i)
        w.Line(at(i).first, at(i).second, at((i + 1) % count).first, at((i + 1) % count).second);
    w.End();
}

// A square with `count` elliptic holes (radii 3 and 1.5) on a 10 mm grid.
// `count` ellipses in a square; drawn twice, or round (as circles of radius 3) over circles.
enum class Again { kNo, kTwice, kOverCircles };
void Ellipses(const fs::path& path, int count, Again again = Again::kNo)
{
    Writer w(path);
    w.Section("ENTITIES");
    const int side = static_cast<int>(std::ceil(std::sqrt(count)));
    w.Square(side * 10.0 + 10.0);
    for (int k = 0; k < count; ++k) {
        const std::string x = Writer::Num(10 + k / side * 10.0), y = Writer::Num(10 + k % side * 10.0);
        if (again == Again::kOverCircles)
            w.Put(0, "CIRCLE"), w.Put(8, "0"), w.Put(10, x), w.Put(20, y), w.Put(30, "0"), w.Put(40, "3");
        for (int copy = 0; copy < (again == Again::kTwice ? 2 : 1); ++copy)
            w.Put(0, "ELLIPSE"), w.Put(8, "0"), w.Put(10, x), w.Put(20, y), w.Put(30, "0"), w.Put(11, "3"),
                w.Put(21, "0"), w.Put(31, "0"), w.Put(40, again == Again::kOverCircles ? "1" : "0.5"), w.Put(41, "0"),
                w.Put(42, Writer::Num(2 * std::numbers::pi));
    }
    w.End();
}

// A closed cubic spline of `count` control points round a circle of radius 500.
void Spline(const fs::path& path, int count, bool twice = false)
{
    Writer w(path);
    w.Section("ENTITIES");
    const int poles = count, knots = poles + 4;
    for (int copy = 0; copy < (twice ? 2 : 1); ++copy) {
        w.Put(0, "SPLINE"), w.Put(8, "0"), w.Put(70, "8"), w.Put(71, "3"), w.Put(72, std::to_string(knots)),
            w.Put(73, std::to_string(poles)), w.Put(74, "0");
        for (int k = 0; k < knots; ++k)
            w.Put(40, std::to_string(k));
        for (int i = 0; i < poles; ++i) {
            const double t = 2 * std::numbers::pi * (i % (poles - 3)) / (poles - 3);
            w.Put(10, Writer::Num(500 * std::cos(t))), w.Put(20, Writer::Num(500 * std::sin(t))), w.Put(30, "0");
        }
    }
    w.End();
}

// An assembly of one sheet part: a plate `w` × `h`, 2 mm thick, with `count`
// round holes of radius `r` in rows of 50 over its lower part (or over all of
// it with `even`), its unfold switch on; with `outlineVertices`, the plate is
// a disc round that rectangle, its outline of that many vertices.
void Plate(const fs::path& path, int count, double r, double w, double h, bool even, int outlineVertices = 0)
{
    const fs::path root = path.parent_path() / "writer";
    {
        vlhost::Host host(root);
        const vlapi::IVarnelDocument3DPtr assembly = host.NewDocument3D(vlapi::vlDocumentAssembly, false);
        vlhost::PartData& top = *vlhost::Host::Tree(assembly);
        top.name = L"Плита в сборе";
        top.detail = false;
        auto part = std::make_shared<vlhost::PartData>();
        part->name = L"Пластина";
        part->material = L"Ст3";
        part->fileName = L"Пластина.v3d";
        part->unfold = true;
        vlhost::SheetRecipe recipe;
        recipe.thickness = 2;
        recipe.outline = vlhost::SheetLoop::Rectangle(0, 0, w, h);
        if (outlineVertices > 0) {
            recipe.outline.vertices.clear();
            const double radius = std::hypot(w, h) / 2 + 5;
            for (int i = 0; i < outlineVertices; ++i) {
                const double t = 2 * std::numbers::pi * i / outlineVertices;
                recipe.outline.vertices.push_back({w / 2 + radius * std::cos(t), h / 2 + radius * std::sin(t), 0.0});
            }
        }
        const int rows = (count + 49) / 50;
        for (int k = 0; k < count; ++k) {
            const double x = 5 + (k % 50) * (w - 10) / 49;
            const double y = 5 + (k / 50) * (even ? (h - 10) / std::max(1, rows - 1) : 7.5);
            recipe.holes.push_back(vlhost::SheetLoop::Circle(x, y, r));
        }
        part->AddSheet(recipe);
        top.children.push_back(part);
        assembly->SaveAs(vlhost::Host::Wide(path.string()));
        assembly->Close(0);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
}

struct Case {
    std::string name;
    std::function<void(const fs::path&)> write;
    std::string kind;  // cases of one kind at two sizes: the larger's growth is checked
    bool assembly = false;  // a 3D assembly, not a DXF file
};

struct Step {
    double seconds = -1;
    double megabytes = -1;
    bool ended = false;  // the process ended by itself
};

// Runs `work` in a process of its own; its seconds and peak memory.
Step Measure(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        alarm(120);
        work();
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    Step step;
    if (child > 0 && wait4(child, &status, 0, &usage) == child) {
        step.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        step.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
        step.ended = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return step;
}

// The stand-in host for one step, with the library's globals set.
struct Host {
    vlhost::Host host;
    std::unique_ptr<vlhost::ConverterModule> converter;
    explicit Host(const fs::path& root) : host(root)
    {
        application = host.Application();
        resourceModule = application->GetResourcesModule(L"Nesting");
        host.NewDrawing();
        converter = std::make_unique<vlhost::ConverterModule>(application, "dxfImport");
    }
    ~Host()
    {
        converter.reset();
        resourceModule = nullptr;
        application = nullptr;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    // --keep FOLDER: each file also copied there, named as its case, to be played by host_play.
    const bool keep = argc > 2 && std::string(argv[1]) == "--keep";
    const fs::path kept = keep ? fs::path(argv[2]) : fs::path();
    const std::string only = argc > (keep ? 3 : 1) ? argv[keep ? 3 : 1] : "";
    const size_t mb = size_t{1} << 20;
    const std::vector<Case> cases = {
        {"80,000 layers, a line each", [](const fs::path& p) { Layers(p, 80000, false); }, "layers"},
        {"300,000 layers, a line each", [](const fs::path& p) { Layers(p, 300000, false); }, "layers"},
        {"80,000 layers and linetypes", [](const fs::path& p) { Layers(p, 80000, true); }, "linetypes"},
        {"300,000 layers and linetypes", [](const fs::path& p) { Layers(p, 300000, true); }, "linetypes"},
        {"250 MB of empty LINEs", [&](const fs::path& p) { Minimal(p, "", "0\nLINE\n", 250 * mb); }, ""},
        {"250 MB of HATCHes", [&](const fs::path& p) { Minimal(p, "", "0\nHATCH\n", 250 * mb); }, ""},
        {"250 MB of groups of one LINE", [&](const fs::path& p) { Minimal(p, "0\nLINE\n8\n0\n", "5\nA\n", 250 * mb); }, ""},
        {"250 MB of comments", [&](const fs::path& p) { Minimal(p, "", "999\n\n", 250 * mb, true); }, ""},
        {"5,000,000 empty blocks inserted", [](const fs::path& p) { Blocks(p, 5000000); }, ""},
        {"MTEXT of 100,000 line breaks", [](const fs::path& p) { Texts(p, 100000, 1); }, "text"},
        {"MTEXT of 900,000 line breaks", [](const fs::path& p) { Texts(p, 900000, 1); }, "text"},
        {"MTEXT of 1,000,000 line breaks", [](const fs::path& p) { Texts(p, 1000000, 1); }, ""},
        {"two MTEXTs of 1,000,000 line breaks", [](const fs::path& p) { Texts(p, 1000000, 2); }, ""},
        {"closed polyline of 250,000 vertices", [](const fs::path& p) { Ring(p, 250000, false); }, "polyline"},
        {"closed polyline of 1,000,000 vertices", [](const fs::path& p) { Ring(p, 1000000, false); }, "polyline"},
        {"closed polyline of 5,000,000 vertices", [](const fs::path& p) { Ring(p, 5000000, false); }, ""},
        {"ring of 125,000 lines", [](const fs::path& p) { Ring(p, 125000, true); }, "lines"},
        {"ring of 500,000 lines", [](const fs::path& p) { Ring(p, 500000, true); }, "lines"},
        {"ring of 250,000 lines listed backwards", [](const fs::path& p) { LinesBackwards(p, 250000); }, ""},
        {"closed polyline of 990,000 vertices", [](const fs::path& p) { Ring(p, 990000, false); }, ""},
        {"closed polyline of 500,000 vertices", [](const fs::path& p) { Ring(p, 500000, false); }, ""},
        {"closed polyline of 249,000 arcs", [](const fs::path& p) { Bulged(p, 249000, 0.05); }, ""},
        {"closed polyline of 499,000 arcs", [](const fs::path& p) { Bulged(p, 499000, 0.05); }, ""},
        {"50,000 round holes r 2", [](const fs::path& p) { Holes(p, 50000, 2); }, "holes"},
        {"100,000 round holes r 2", [](const fs::path& p) { Holes(p, 100000, 2); }, "holes"},
        {"250,000 round holes r 2", [](const fs::path& p) { Holes(p, 250000, 2); }, ""},
        {"100,000 round holes, outline of 100,000 vertices", [](const fs::path& p) { Holes(p, 100000, 2, 100000); }, ""},
        {"100,000 TEXTs of different counts", [](const fs::path& p) { MarkedTexts(p, 100000, false); }, ""},
        {"200,000 TEXTs of different counts and unknown keys", [](const fs::path& p) { MarkedTexts(p, 200000, true); }, ""},
        {"MINSERT of 300 x 300 circles", [](const fs::path& p) { MInsert(p, 300); }, ""},
        {"MINSERT of 300 x 300 circles r 0.003", [](const fs::path& p) { MInsert(p, 300, 0.003); }, ""},
        {"MINSERT of 300 x 300 MINSERTs of 300 x 300 circles r 0.001", [](const fs::path& p) { MInsert(p, 300, 0.001, true); }, ""},
        {"20,000 ellipses", [](const fs::path& p) { Ellipses(p, 20000); }, ""},
        {"100,000 ellipses", [](const fs::path& p) { Ellipses(p, 100000); }, ""},
        {"10,000 ellipses, each drawn twice", [](const fs::path& p) { Ellipses(p, 10000, Again::kTwice); }, ""},
        {"10,000 round holes, each drawn again as an ellipse", [](const fs::path& p) { Ellipses(p, 10000, Again::kOverCircles); }, ""},
        {"spline of 99,000 points", [](const fs::path& p) { Spline(p, 99000); }, ""},
        {"spline of 49,000 points, drawn twice", [](const fs::path& p) { Spline(p, 49000, true); }, ""},
        {"250 MB of empty records", [&](const fs::path& p) { Minimal(p, "", "0\n\n", 250 * mb); }, ""},
        {"250 MB of empty groups in one LINE", [&](const fs::path& p) { Minimal(p, "0\nLINE\n", "8\n\n", 250 * mb); }, ""},
        {"250 MB of unknown objects", [&](const fs::path& p) { Minimal(p, "", "0\nFOO\n", 250 * mb); }, ""},
        {"204 MB of one LINE repeated", [&](const fs::path& p) {
             Minimal(p, "", "0\nLINE\n8\n0\n10\n200\n20\n0\n11\n300\n21\n0\n", 204 * mb);
         }, ""},
        {"3D plate 400 x 300 with 1,500 holes r 1", [](const fs::path& p) { Plate(p, 1500, 1, 400, 300, false); }, "", true},
        {"3D plate 400 x 300, 1,500 holes r 1 all over", [](const fs::path& p) { Plate(p, 1500, 1, 400, 300, true); }, "plate", true},
        {"3D plate 400 x 600, 3,000 holes r 1 all over", [](const fs::path& p) { Plate(p, 3000, 1, 400, 600, true); }, "plate", true},
        {"3D plate 1,000 x 1,000, 10,000 holes r 2", [](const fs::path& p) { Plate(p, 10000, 2, 1000, 1000, true); }, "", true},
        {"3D plate 1,000 x 2,000, 20,000 holes r 1", [](const fs::path& p) { Plate(p, 20000, 1, 1000, 2000, true); }, "", true},
        {"3D disc of 100,000 vertices, one hole", [](const fs::path& p) { Plate(p, 1, 2, 1000, 1000, true, 100000); }, "disc", true},
        {"3D disc of 200,000 vertices, one hole", [](const fs::path& p) { Plate(p, 1, 2, 1000, 1000, true, 200000); }, "disc", true},
        {"3D disc of 100,000 vertices, 10,000 holes r 2", [](const fs::path& p) { Plate(p, 10000, 2, 1000, 1000, true, 100000); }, "", true},
    };
    const fs::path scratch = fs::temp_directory_path() / ("dxf_bounds_bench-" + std::to_string(getpid()));
    int status = 0;
    std::printf("%-50s %7s %10s %10s %10s %10s %8s %8s  %s\n", "file", "MB", "convert s", "convert MB", "import s",
                "import MB", "load s", "load MB", "closing message");
    std::fflush(stdout);
    struct Last {
        std::string kind;
        double bytes = 0, seconds = 0;
    } last;
    for (const Case& c : cases) {
        if (c.name.find(only) == std::string::npos)
            continue;
        std::error_code ec;
        fs::remove_all(scratch, ec);
        fs::create_directories(scratch);
        const fs::path file = scratch / (c.assembly ? "assembly.v3d" : "part.dxf");
        c.write(file);
        const double bytes = static_cast<double>(fs::file_size(file, ec));
        if (keep) {
            std::string name = c.name;
            std::replace_if(name.begin(), name.end(), [](char ch) { return ch == ' ' || ch == ',' || ch == '/'; }, '_');
            fs::create_directories(kept);
            fs::copy_file(file, kept / (name + file.extension().string()), fs::copy_options::overwrite_existing);
        }
        const std::wstring path = vlhost::Host::Wide(file.string());
        const fs::path message = scratch / "message.txt";
        const std::wstring out = vlhost::Host::Wide((scratch / "out").string());
        // The first step: the converter alone, or the reading of the assembly.
        const Step convert = Measure([&] {
            Host host(scratch / "host");
            if (!c.assembly) {
                host.converter->Convert(path, vlhost::Host::Wide((scratch / "alone.vfw").string()));
                return;
            }
            AssemblyReader reader;
            reader.Init(path, out);
            reader.ReadContoursFromAssembly();
        });
        const Step import = Measure([&] {
            Host host(scratch / "host");
            std::vector<FileMetaParams> entries{{path, L"", 1, 0.0}};
            if (c.assembly) {
                AssemblyReader reader;
                reader.Init(path, out);
                reader.ReadContoursFromAssembly();
                reader.m_namePattern = L"Наименование";
                reader.m_textPattern = L"Наименование";
                reader.WriteContoursToFragments(false);
            } else {
                NestingModel model;
                dxfimport::ImportFiguresFromDxf(model, entries, out,
                                                [&](const std::wstring& dxf) { return host.converter->Convert(dxf, L""); });
            }
            std::wstring closing;
            for (const auto& m : host.host.State().messages)
                closing += (closing.empty() ? L"" : L" | ") + m.text;
            std::replace(closing.begin(), closing.end(), L'\n', L' ');
            std::ofstream(message) << vlhost::Host::Utf8(closing.substr(0, 200));
        });
        // The source data loading what the import wrote, as a figure.
        const fs::path fragment = scratch / "out" / (c.assembly ? "Пластина.vfw" : "part.vfw");
        const bool written = fs::exists(fragment);
        const Step load = !written ? Step{} : Measure([&] {
            Host host(scratch / "host");
            NestingModel model;
            if (!model.AddFigure(vlhost::Host::Wide(fragment.string())))
                _exit(1);
        });
        std::string closing;
        std::getline(std::ifstream(message), closing);
        if (closing.empty())
            closing = fs::exists(scratch / "out" / "part.vfw") ? "(a fragment written)" : "none";
        if (c.assembly)
            closing += fs::exists(scratch / "out" / "Пластина.vfw") ? " (a fragment written)" : " (none written)";
        const bool ok = convert.ended && import.ended && convert.seconds <= kGoalSeconds && import.seconds <= kGoalSeconds &&
                        convert.megabytes <= kGoalMegabytes && import.megabytes <= kGoalMegabytes &&
                        (!written || (load.ended && load.seconds <= kGoalSeconds && load.megabytes <= kGoalMegabytes));
        std::string growth;
        bool grew = true;
        if (!c.kind.empty() && c.kind == last.kind) {
            // Time may grow with the file, and some more for the caches; not with its square.
            const double size = bytes / last.bytes, time = import.seconds / std::max(last.seconds, 0.01);
            char text[64];
            std::snprintf(text, sizeof text, "  (%.1f times the file, %.1f times the time)", size, time);
            growth = text;
            grew = time <= 2 * size;
        }
        status |= ok && grew ? 0 : 1;
        std::printf("%-50s %7.1f %10.2f %10.0f %10.2f %10.0f %8.2f %8.0f  %s%s%s\n", c.name.c_str(), bytes / mb,
                    convert.seconds, convert.megabytes, import.seconds, import.megabytes, load.seconds, load.megabytes,
                    closing.c_str(), growth.c_str(), ok && grew ? "" : "  << FAILED");
        std::fflush(stdout);
        last = {c.kind, bytes, import.seconds};
    }
    std::error_code ec;
    fs::remove_all(scratch, ec);
    return status;
}
