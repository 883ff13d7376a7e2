// The documentation and export tests' host: a nesting drawing built through a
// model of the test (sheets in views of their own, parts placed on them,
// remnants), the job's statics put back after each test, and readers of the
// files the reporter and the exporter write.
#pragma once

#include "model/NestingModel.h"
#include "model/NestingSetting.h"
#include "support/host_fixture.h"
#include "support/shell_command.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace iotest {

// A table document as the host reads it back.
struct TableFile {
    bool read = false;
    std::vector<std::vector<std::wstring>> cells;  // row 0 holds the titles
    std::vector<double> heights;                   // of each row's last cell
    double x = 0.0, y = 0.0;                       // the table's corner
    std::wstring title;
    double titleX = 0.0, titleY = 0.0;
};

// The file names in a folder, temporary ones included.
std::set<std::string> Listing(const std::filesystem::path& folder);
// The sketches of a 3D document file: each one's name and the line segments
// it holds, read through editing; empty when the file does not open.
std::vector<std::pair<std::wstring, size_t>> SketchLines(vlhost::Host& host, const std::filesystem::path& file);

// Marks each file (relative to the folder) at its end with white space, which
// its readers pass over, and gives the marked bytes by file.
std::map<std::string, std::string> MarkOldFiles(const std::filesystem::path& folder,
                                                const std::vector<std::string>& files);

// A file's bytes.
std::string Bytes(const std::filesystem::path& file);
// tools/file_check.py's answer (JSON) for the files; checks run by Debian's python3
// with ezdxf. `what` is "csv" or "dxf".
nlohmann::json PythonCheck(const std::string& what, const std::vector<std::filesystem::path>& files);
// Python's csv reading of a register (";", UTF-8 led by a byte-order mark), each
// row without the empty field after its last ";", which every row must have.
std::vector<std::vector<std::wstring>> PythonCsv(const nlohmann::json& file);

// Objects of the type in the container and, at any depth, in its macros
// (appended to `found` when given).
size_t CountDeep(const vlapi::IDrawingContainerPtr& container, int type,
                 std::vector<vlapi::IDrawingObjectPtr>* found = nullptr);
std::vector<vlapi::IViewPtr> Views(const vlapi::IVarnelDocument2DPtr& drawing);
// The same over every view of the drawing.
size_t CountDeep(const vlapi::IVarnelDocument2DPtr& drawing, int type);

class IoTest : public hosttest::HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A sheet of the job in a new view of its own, renamed, with its count.
    SheetPtr AddSheet(const std::wstring& name, double width, double height, double count = 1.0);
    // A part on the sheet: the ring moved so that its origin stands at (x, y)
    // from the sheet's lower-left corner.
    FigurePtr AddPart(const SheetPtr& sheet, const std::wstring& name, const std::vector<NPoint>& ring, double x,
                      double y);
    FigurePtr AddRectPart(const SheetPtr& sheet, const std::wstring& name, double width, double height, double x,
                          double y);
    // A disc of the radius on the sheet, drawn as a circle, its centre at
    // (x, y) from the sheet's lower-left corner.
    FigurePtr AddDisc(const SheetPtr& sheet, const std::wstring& name, double radius, double x, double y);
    // Two equal right triangles named `name` joined into a compound figure
    // on the sheet, its box at (x, y) from the sheet's lower-left corner.
    FigurePtr AddCompound(const SheetPtr& sheet, const std::wstring& name, double x, double y);
    // A remnant rectangle on the sheet, at (x, y) from its lower-left corner.
    WastePtr AddWaste(const SheetPtr& sheet, double x, double y, double width, double height);
    // Stores the model's parameters and records in the drawing and lets the
    // model go, leaving everything in the drawing.
    void Store();

    // Closes the test's drawing and makes a new one active, with no output yet.
    void FreshDrawing();

    // Opens a table document hidden, reads its first table and title text,
    // and closes it again; the test's drawing stays active.
    TableFile ReadTableFile(const std::filesystem::path& file);
    // The host documents open besides the test's drawing.
    int ExtraDocuments() const { return OpenDocuments() - 1; }
    // A message with this text was shown (with this icon, when given).
    bool Shown(const std::wstring& text, int flags = 0) const;
    // ... or one holding it among its lines.
    bool ShownWithin(const std::wstring& text, int flags) const;
    // No hidden document left open, the test's drawing active, the user's
    // access and the progress bar back, no temporary file in the folders.
    void ExpectCleanHost(const std::vector<std::filesystem::path>& folders);

    std::filesystem::path Out() const { return root / "out"; }
    std::wstring OutText() const;

    NestingModel model;

private:
    // The figure of the macro standing on the sheet, of the job's stock.
    FigurePtr AddFigure(const SheetPtr& sheet, const INestingMacroObjectPtr& macro);

    hosttest::LayoutSwitch m_layout{true};
    NestingSetting m_setting;
    bool m_session = false;
    ModelParams m_copyParams;
    double m_width = 0.0, m_height = 0.0;
    std::wstring m_material;
};

}  // namespace iotest
