// The model's enumerations and parameter structures.
//
// The structures stored in a drawing (ModelParams, ObjectParams, FigureParams,
// WasteParams, JumperParams) are raw little-endian images: no padding, no
// version word, no length word; their reserve arrays belong to the format and
// travel unchanged through every load and save. Each Save* copies the image
// into a byte vector at a running offset (the vector grows when it is too
// short) and advances the offset; each Load* checks that the whole image lies
// within the bytes and that it is sound (flags 0 or 1, finite measures)
// before taking it, and otherwise answers false leaving the structure and the
// offset untouched.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using ByteBlock = std::vector<uint8_t>;

// The number stamped into a library macro: which kind of object it carries.
enum class MacroCommand : int32_t {
    Undefined = 0,
    Figure = 101,
    Sheet = 102,
    Bridge = 103,
    Waste = 104,
};

enum class NestingObjectType : int32_t {
    Undefined = 0,
    Sheet = 1,
    Figure = 2,
    CompoundFigure = 3,
    Bridge = 4,
    Waste = 5,
};

enum class BridgeType : int32_t {
    Gap = 0,
    Double = 1,
    Left = 2,
    Right = 3,
    Cross = 4,
    CutOut = 5,
    Start = 6,
    DoubleStart = 7,
    LeftStart = 8,
    RightStart = 9,
    CrossStart = 10,
};
inline constexpr int32_t BridgeTypeCount = 11;

enum class RotationType : int32_t {
    WithoutRotation = 0,
    Rotation180 = 1,
    Rotation90 = 2,
    Rotation45 = 3,
    RotationGorzVert = 4,
};

enum class NestingMode : int32_t {
    AutoForAll = 0,    // whole-job placement
    AutoForOne = 1,    // one figure after the user dropped it
    AutoArrange = 2,   // rectangle placement without rotation (the container)
    OffsetLeft = 3,    // slide until touching
    OffsetRight = 4,
    OffsetUp = 5,
    OffsetDown = 6,
};

// The largest values the measures of the model's parameters take, mm (the
// scale, a ratio): their setters refuse more, and a stored block holding more,
// or less than nothing, is corrupt.
namespace paramlimits {
inline constexpr double kScale = 1.0e6;  // above 0
inline constexpr double kThickness = 1000.0;
inline constexpr double kTextSize = 1000.0;  // above 0
inline constexpr double kRemnantSize = 1.0e6;
inline constexpr double kGap = 10000.0;
// The pieces of one part a model makes at once: each is a figure and a macro.
inline constexpr double kCopies = 1.0e5;
// The shortest offcut of linear nesting named as a remnant, as the panel takes it.
inline constexpr double kLinearMinimum = 1000.0;
}  // namespace paramlimits

// The model's parameters, stored as a 224-byte block in every sheet macro.
struct ModelParams {
    static constexpr size_t kSize = 224;

    double m_scale1 = 1.0;          // drawing scale a:b, first number
    double m_scale2 = 1.0;          // second number
    double m_thicknessSheet = 0.0;  // mm
    double m_textSize = 5.0;        // height of the figures' labels, mm
    double m_wastSize = 0.0;        // size setting of automatic remnants, mm
    double m_wastRectSize = 0.0;    // minimum side of a remnant rectangle, mm
    double m_figureGap = 5.0;       // gap between figures, mm
    double m_sheetGap = 10.0;       // gap between a figure and the sheet edge, mm
    // The shortest offcut of linear nesting named as a remnant, mm, when
    // m_linearMinimumKept says it was kept (drawings saved before hold 0 in both).
    double m_linearMinimum = 0.0;
    double reserve1[11] = {};
    int32_t m_wastesColor = 13160960;  // r | g << 8 | b << 16: (0, 210, 200)
    int32_t m_nestingMethod = 0;       // 0 figure nesting; any other value linear nesting
    int32_t reserve2[8] = {};
    bool m_rectSheet = true;
    bool m_hideText = false;
    bool m_uniteFigures = true;
    bool m_uniteMirrors = false;
    bool m_wasteMethod = false;
    bool m_wastesRect = false;
    bool m_wastesHide = false;
    bool m_checkOrient = false;
    // Not 0 once the sheets' size was given (typed, or read from a sheet
    // file); until then it is the default one. Drawings saved before it was
    // kept hold 0 here.
    uint8_t m_sheetSized = 0;
    uint8_t m_linearMinimumKept = 0;
    // Linear nesting: whether its bars' width was given (BarWidth). Their
    // thickness and material are given where set: the drawing starts its bars
    // without the sheets'.
    uint8_t m_barSized = 0;
    uint8_t reserve3[13] = {};

    // What m_barSized holds: drawings saved before it was kept, whose bars
    // gave every size; a drawing that became linear nesting, its bars' width
    // not given; and given (typed) since.
    enum BarWidth : uint8_t { kBarsBefore = 0, kBarWidthNotGiven = 1, kBarWidthGiven = 2 };

    void InitModelParams();
    // The kept shortest remnant of linear nesting; none when the drawing
    // kept none, or a value no one could have set.
    std::optional<double> LinearMinimum() const;
    void KeepLinearMinimum(double mm);
    void SaveModelParams(ByteBlock& bytes, size_t& offset) const;
    bool LoadModelParams(const ByteBlock& bytes, size_t& offset);
};

// The common 64-byte head of every object's stored record.
struct ObjectParams {
    static constexpr size_t kSize = 64;

    double reserve1[4] = {};
    NestingObjectType m_objectType = NestingObjectType::Undefined;
    int32_t reserve2[5] = {};
    bool m_symmetry = false;
    uint8_t reserve3[7] = {};

    void InitObjectParams();
    void SaveObjectParams(ByteBlock& bytes, size_t& offset) const;
    bool LoadObjectParams(const ByteBlock& bytes, size_t& offset);
};

// A figure's stored parameters: bytes 64 to 223 of the figure record.
struct FigureParams {
    static constexpr size_t kSize = 160;

    double m_thickness = 0.0;  // mm
    double m_scale1 = 1.0;     // the scale pair the geometry was last scaled to
    double m_scale2 = 1.0;
    double m_gap = 0.0;        // figure gap in force for this figure, mm
    double m_area = 0.0;       // mm²
    double m_length = 0.0;     // cut length, mm
    // How far the borders may lie inside the true curves of the outline; the
    // gap polygons stand that much further out. Known (1) only for records
    // whose gap polygons were made so; earlier ones are made again.
    double m_borderSag = 0.0;  // mm
    // How far the part may reach past its outer border's rectangle (curves
    // followed on chords may bulge past them); known (1) only for records
    // made since it is kept, the sag standing for it in the others.
    double m_beyond = 0.0;     // mm
    double reserve1[6] = {};
    int32_t m_count = 1;       // pieces wanted
    // The units ($INSUNITS code) of the DXF file the part was imported from,
    // when they scaled its drawing into millimetres; 0 otherwise, and in
    // records made before it was kept.
    int32_t m_fileUnits = 0;
    int32_t reserve2[8] = {};
    bool m_child = false;      // member of a compound figure
    bool m_convex = false;     // the first gap polygon is convex
    uint8_t m_sagKnown = 0;
    uint8_t m_beyondKnown = 0;
    // The gap polygons' convex corners follow the gap's round (1); earlier
    // records keep the offsets' mitres there and are made again.
    uint8_t m_roundKnown = 0;
    uint8_t m_reserve3[3] = {};

    void InitFigureParams();
    void SaveFigureParams(ByteBlock& bytes, size_t& offset) const;
    bool LoadFigureParams(const ByteBlock& bytes, size_t& offset);
};

// A remnant's stored record, 144 bytes.
struct WasteParams {
    static constexpr size_t kSize = 144;

    double m_width = 0.0;   // of a rectangular remnant
    double m_height = 0.0;
    // What the remnant was built for (kept when m_builtKnown is 1; records
    // of earlier versions hold zeros): its sheet's width and height, and the
    // parts standing on the sheet then, their count and their places hashed.
    double m_builtWidth = 0.0;
    double m_builtHeight = 0.0;
    double reserve1[6] = {};
    NPoint m_startPoint;
    reference m_ownerRef = 0;  // host reference of the owner sheet's macro
    int32_t m_builtParts = 0;
    uint32_t m_builtLayout = 0;
    int32_t reserve2[7] = {};
    bool m_rectform = false;  // the outline is one axis-parallel rectangle
    bool m_method = false;    // which building method made the remnant
    uint8_t m_builtKnown = 0;
    uint8_t reserve3[5] = {};

    void InitWasteParams();
    void SaveWasteParams(ByteBlock& bytes, size_t& offset) const;
    bool LoadWasteParams(const ByteBlock& bytes, size_t& offset);
};

// A bridge's stored record, 40 bytes.
struct JumperParams {
    static constexpr size_t kSize = 40;

    int32_t m_type = 0;            // a BridgeType value
    uint8_t reserve1[4] = {};      // alignment, carried unchanged
    double m_width = 50.0;         // mm; the drawn radius is half of it
    double m_radius1 = 25.0;
    double m_radius2 = 25.0;
    bool m_byarc1 = true;
    bool m_byarc2 = true;
    bool m_twoPoints = false;
    uint8_t reserve2[5] = {};      // alignment, carried unchanged

    void InitJumperParams();
    void SaveFigureParams(ByteBlock& bytes, size_t& offset) const;
    bool LoadFigureParams(const ByteBlock& bytes, size_t& offset);
};

// The height of one text of a figure, in drawing units.
struct FontParams {
    double height = 0.0;
};

// A sheet as shown in its result table.
struct SheetParams {
    int32_t number = 0;  // from 1
    std::wstring name;
    double width = 0.0;
    double height = 0.0;
    double thickness = 0.0;
    std::wstring material;
    std::wstring size;  // as shown; empty: width, height and thickness
};

struct SheetResult {
    double sheetArea = 0.0;    // mm²
    double figuresArea = 0.0;  // mm²
    double length = 0.0;       // cut length of the sheet's figures, mm
    double KIM = 0.0;          // utilisation, percent
};

struct NestingResult {
    std::vector<SheetResult> sheet_results;  // one per sheet, in the model's order
    double KIM = 0.0;  // the job's utilisation, percent, over the sheets that hold a figure
};

struct OptimizationParams {
    int32_t optimizationMethod = 1;  // 0 by bounding rectangles, 1 by contours
    RotationType rotateMethod = RotationType::WithoutRotation;
    bool autoAddSheet = true;
};

struct ReportParams {
    bool addCards = false;
    bool addSpecif = false;
    std::wstring folder;
    std::wstring lytPath;
    int32_t format = 4;
    int32_t orient = 0;
    bool addTableCards = false;
    bool addTableDetails = false;
    bool addTableMaterial = false;
    bool addTableWastes = false;
    bool addTableLN = false;
};

struct ExportParams {
    bool addCard = true;
    bool addSheets = true;
    bool addWastes = true;
    bool add3D = false;
    bool text3DSour = false;
    bool text3DCont = false;
    bool text2DSour = false;
    bool text2DCont = false;
    int32_t format = 0;  // 0 DXF and fragments, 1 DXF only, 2 fragments only
};

// One source file of parts with what it carries.
struct FileMetaParams {
    FileMetaParams() = default;
    FileMetaParams(std::wstring path, std::wstring material, int32_t count = 1, double thickness = 0.0)
        : m_path(std::move(path)), m_material(std::move(material)), m_count(count), m_thickness(thickness)
    {
    }

    std::wstring m_path;
    std::wstring m_material;
    int32_t m_count = 1;
    double m_thickness = 0.0;
    std::wstring m_fragment;  // the fragment a DXF import wrote for the file; empty when it wrote none
    // The units ($INSUNITS code) that scaled the DXF drawing a part file was
    // imported from, kept in the file as the property kFileUnitsProperty; 0
    // for none (a file in millimetres, or not from DXF).
    int32_t m_fileUnits = 0;
};

// The part file's property that keeps the units its DXF drawing was scaled
// by, so that a refusal for the part's size can name them.
inline constexpr wchar_t kFileUnitsProperty[] = L"Единицы файла DXF";

struct ScriptMetaParams {
    std::wstring m_path;
    std::vector<std::wstring> m_arguments;
};

// One detail of linear nesting.
struct LNDetailParams {
    std::wstring name;
    double length = 0.0;  // finished piece length without the gap, mm
    int32_t count = 1;
};

// One cutting pattern of linear nesting.
struct LNResultParams {
    std::vector<int32_t> counts;  // pieces per bar of the detail at each position
    double count = 0.0;           // bars cut with this pattern
    double efficiency = 0.0;      // percent of the bar taken by finished pieces
};

struct SheetSchemeParams {
    bool withoutLayout = true;
    int32_t sheetScheme = 1;  // 0 user-defined, 1 horizontal, 2 vertical, 3 rows
    int32_t countColumns = 3;
};

// The frame of a sheet's result table, mm.
struct SheetTableParams {
    double botX = 0.0;
    double botY = 0.0;
    double cellWidth = 70.0;
    double cellHeight = 12.0;
    double heightFont = 5.0;
    double kofWidth = 0.5;  // fraction of the sheet width the table spans at least
    int32_t countCols = 4;
};

// What the configuration file stores, with the adapters it does not store.
struct ConfigParams {
    double m_bridgesWidth = 30.0;
    double m_bridgesLength = 100.0;
    double m_tolerance = 2.5;
    std::wstring m_lytPath;
    int32_t m_sheetFormat = 4;
    bool m_sheetOrient = false;
    std::wstring m_sheetPattern;
    std::map<std::wstring, bool> m_adapters;
};
