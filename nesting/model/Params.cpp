#include "model/Params.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <type_traits>

static_assert(std::endian::native == std::endian::little,
              "stored records are little-endian memory images");

// The stored layouts, offset by offset.
static_assert(sizeof(ModelParams) == ModelParams::kSize);
static_assert(offsetof(ModelParams, m_linearMinimum) == 64);
static_assert(offsetof(ModelParams, reserve1) == 72);
static_assert(offsetof(ModelParams, m_wastesColor) == 160);
static_assert(offsetof(ModelParams, m_nestingMethod) == 164);
static_assert(offsetof(ModelParams, reserve2) == 168);
static_assert(offsetof(ModelParams, m_rectSheet) == 200);
static_assert(offsetof(ModelParams, m_checkOrient) == 207);
static_assert(offsetof(ModelParams, m_sheetSized) == 208);
static_assert(offsetof(ModelParams, m_linearMinimumKept) == 209);
static_assert(offsetof(ModelParams, m_barSized) == 210);
static_assert(offsetof(ModelParams, reserve3) == 211);

static_assert(sizeof(ObjectParams) == ObjectParams::kSize);
static_assert(offsetof(ObjectParams, m_objectType) == 32);
static_assert(offsetof(ObjectParams, reserve2) == 36);
static_assert(offsetof(ObjectParams, m_symmetry) == 56);
static_assert(offsetof(ObjectParams, reserve3) == 57);

static_assert(sizeof(FigureParams) == FigureParams::kSize);
static_assert(offsetof(FigureParams, m_borderSag) == 48);
static_assert(offsetof(FigureParams, m_beyond) == 56);
static_assert(offsetof(FigureParams, reserve1) == 64);
static_assert(offsetof(FigureParams, m_count) == 112);
static_assert(offsetof(FigureParams, m_fileUnits) == 116);
static_assert(offsetof(FigureParams, reserve2) == 120);
static_assert(offsetof(FigureParams, m_child) == 152);
static_assert(offsetof(FigureParams, m_convex) == 153);
static_assert(offsetof(FigureParams, m_sagKnown) == 154);
static_assert(offsetof(FigureParams, m_beyondKnown) == 155);
static_assert(offsetof(FigureParams, m_roundKnown) == 156);
static_assert(offsetof(FigureParams, m_reserve3) == 157);

static_assert(sizeof(WasteParams) == WasteParams::kSize);
static_assert(offsetof(WasteParams, m_builtWidth) == 16);
static_assert(offsetof(WasteParams, m_builtHeight) == 24);
static_assert(offsetof(WasteParams, reserve1) == 32);
static_assert(offsetof(WasteParams, m_startPoint) == 80);
static_assert(offsetof(WasteParams, m_ownerRef) == 96);
static_assert(offsetof(WasteParams, m_builtParts) == 100);
static_assert(offsetof(WasteParams, m_builtLayout) == 104);
static_assert(offsetof(WasteParams, reserve2) == 108);
static_assert(offsetof(WasteParams, m_rectform) == 136);
static_assert(offsetof(WasteParams, m_method) == 137);
static_assert(offsetof(WasteParams, m_builtKnown) == 138);
static_assert(offsetof(WasteParams, reserve3) == 139);

static_assert(sizeof(JumperParams) == JumperParams::kSize);
static_assert(offsetof(JumperParams, m_width) == 8);
static_assert(offsetof(JumperParams, m_radius2) == 24);
static_assert(offsetof(JumperParams, m_byarc1) == 32);
static_assert(offsetof(JumperParams, m_twoPoints) == 34);
static_assert(offsetof(JumperParams, reserve2) == 35);

namespace {

// Where a record's measures (runs of doubles) and flags (a run of bools)
// lie, so that a block can be judged before it is taken: a measure that is
// not a finite number, or a flag byte other than 0 or 1, marks the block as
// corrupt. Reserves are not judged: they travel as they are.
struct Run {
    size_t first = 0;
    size_t count = 0;
};

struct ImageChecks {
    std::array<Run, 2> measures;
    Run flags;
};

bool AreFiniteMeasures(const uint8_t* image, const Run& run) {
    for (size_t i = 0; i < run.count; ++i) {
        double value = 0.0;
        std::memcpy(&value, image + run.first + i * sizeof(double), sizeof value);
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

bool IsSoundImage(const uint8_t* image, const ImageChecks& checks) {
    for (const Run& run : checks.measures) {
        if (!AreFiniteMeasures(image, run)) {
            return false;
        }
    }
    for (size_t i = 0; i < checks.flags.count; ++i) {
        if (image[checks.flags.first + i] > 1) {
            return false;
        }
    }
    return true;
}

template <class Record>
void SaveImage(const Record& record, ByteBlock& bytes, size_t& offset) {
    static_assert(std::is_trivially_copyable_v<Record>);
    if (bytes.size() < offset + Record::kSize) {
        bytes.resize(offset + Record::kSize);
    }
    std::memcpy(bytes.data() + offset, &record, Record::kSize);
    offset += Record::kSize;
}

template <class Record>
bool LoadImage(Record& record, const ByteBlock& bytes, size_t& offset, const ImageChecks& checks) {
    static_assert(std::is_trivially_copyable_v<Record>);
    if (offset > bytes.size() || bytes.size() - offset < Record::kSize) {
        return false;
    }
    const uint8_t* image = bytes.data() + offset;
    if (!IsSoundImage(image, checks)) {
        return false;
    }
    std::memcpy(&record, image, Record::kSize);
    offset += Record::kSize;
    return true;
}

}  // namespace

void ModelParams::InitModelParams() { *this = ModelParams{}; }

std::optional<double> ModelParams::LinearMinimum() const {
    // As the panel takes it: 0 to 1000 mm.
    if (m_linearMinimumKept != 1 || !(m_linearMinimum >= 0.0 && m_linearMinimum <= paramlimits::kLinearMinimum)) {
        return std::nullopt;
    }
    return m_linearMinimum;
}

void ModelParams::KeepLinearMinimum(double mm) {
    m_linearMinimum = mm;
    m_linearMinimumKept = 1;
}

void ModelParams::SaveModelParams(ByteBlock& bytes, size_t& offset) const {
    SaveImage(*this, bytes, offset);
}

bool ModelParams::LoadModelParams(const ByteBlock& bytes, size_t& offset) {
    constexpr ImageChecks checks{{{{offsetof(ModelParams, m_scale1), 8}}},
                                 {offsetof(ModelParams, m_rectSheet), 8}};
    // Measures no setter takes (a negative gap would let parts cut into one
    // another) mark the block as corrupt too.
    ModelParams read;
    size_t at = offset;
    if (!LoadImage(read, bytes, at, checks)) {
        return false;
    }
    const auto within = [](double value, double high, bool aboveZero) {
        return (aboveZero ? value > 0.0 : value >= 0.0) && value <= high;
    };
    using namespace paramlimits;
    if (!within(read.m_scale1, kScale, true) || !within(read.m_scale2, kScale, true) ||
        !within(read.m_thicknessSheet, kThickness, false) || !within(read.m_textSize, kTextSize, true) ||
        !within(read.m_wastSize, kRemnantSize, false) || !within(read.m_wastRectSize, kRemnantSize, false) ||
        !within(read.m_figureGap, kGap, false) || !within(read.m_sheetGap, kGap, false)) {
        return false;
    }
    *this = read;
    offset = at;
    return true;
}

void ObjectParams::InitObjectParams() { *this = ObjectParams{}; }

void ObjectParams::SaveObjectParams(ByteBlock& bytes, size_t& offset) const {
    SaveImage(*this, bytes, offset);
}

bool ObjectParams::LoadObjectParams(const ByteBlock& bytes, size_t& offset) {
    constexpr ImageChecks checks{{}, {offsetof(ObjectParams, m_symmetry), 1}};
    return LoadImage(*this, bytes, offset, checks);
}

void FigureParams::InitFigureParams() { *this = FigureParams{}; }

void FigureParams::SaveFigureParams(ByteBlock& bytes, size_t& offset) const {
    SaveImage(*this, bytes, offset);
}

bool FigureParams::LoadFigureParams(const ByteBlock& bytes, size_t& offset) {
    constexpr ImageChecks checks{{{{offsetof(FigureParams, m_thickness), 6}}},
                                 {offsetof(FigureParams, m_child), 2}};
    return LoadImage(*this, bytes, offset, checks);
}

void JumperParams::InitJumperParams() { *this = JumperParams{}; }

void JumperParams::SaveFigureParams(ByteBlock& bytes, size_t& offset) const {
    SaveImage(*this, bytes, offset);
}

bool JumperParams::LoadFigureParams(const ByteBlock& bytes, size_t& offset) {
    constexpr ImageChecks checks{{{{offsetof(JumperParams, m_width), 3}}},
                                 {offsetof(JumperParams, m_byarc1), 3}};
    return LoadImage(*this, bytes, offset, checks);
}

void WasteParams::InitWasteParams() { *this = WasteParams{}; }

void WasteParams::SaveWasteParams(ByteBlock& bytes, size_t& offset) const {
    SaveImage(*this, bytes, offset);
}

bool WasteParams::LoadWasteParams(const ByteBlock& bytes, size_t& offset) {
    constexpr ImageChecks checks{{{{offsetof(WasteParams, m_width), 2},
                                   {offsetof(WasteParams, m_startPoint), 2}}},
                                 {offsetof(WasteParams, m_rectform), 2}};
    return LoadImage(*this, bytes, offset, checks);
}
