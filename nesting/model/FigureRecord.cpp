#include "model/FigureRecord.h"

#include "geometry/UtilityFunctions.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace {

// Both heads, the text count, the three list counts and the zero tail.
constexpr size_t kFixedLength = 252;

template <class T>
void Put(ByteBlock& bytes, size_t& offset, T value) {
    std::memcpy(bytes.data() + offset, &value, sizeof value);
    offset += sizeof value;
}

template <class T>
bool Take(const ByteBlock& bytes, size_t& offset, T& value) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof value) {
        return false;
    }
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    offset += sizeof value;
    return true;
}

void PutTexts(ByteBlock& bytes, size_t& offset, const std::vector<FontParams>& texts) {
    Put(bytes, offset, int32_t(texts.size()));
    for (const FontParams& text : texts) {
        Put(bytes, offset, text.height);
    }
}

// The count is checked against the bytes left before anything is allocated.
bool TakeTexts(const ByteBlock& bytes, size_t& offset, std::vector<FontParams>& texts) {
    int32_t count = 0;
    if (!Take(bytes, offset, count) || count < 0 ||
        (bytes.size() - offset) / sizeof(double) < size_t(count)) {
        return false;
    }
    texts.resize(size_t(count));
    for (FontParams& text : texts) {
        Take(bytes, offset, text.height);
        if (!std::isfinite(text.height)) {
            return false;
        }
    }
    return true;
}

// A part whose outline or offset polygons hold a vertex that is not a finite
// number is corrupt as a whole.
bool FiniteVertices(const FigureRecord& record) {
    for (const VectorPolygon* list : {&record.borders, &record.poligons, &record.controls}) {
        for (const NPolygonPtr& polygon : *list) {
            for (const NPoint& p : polygon->m_points) {
                if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                    return false;
                }
            }
        }
    }
    return true;
}

}  // namespace

size_t FigureRecordLength(const FigureRecord& record) {
    size_t polygons = 0;
    size_t points = 0;
    for (const VectorPolygon* list : {&record.borders, &record.poligons, &record.controls}) {
        polygons += list->size();
        for (const NPolygonPtr& polygon : *list) {
            points += polygon->m_points.size();
        }
    }
    return kFixedLength + 8 * record.texts.size() + 8 * polygons + 16 * points;
}

ByteBlock SaveFigureRecord(const FigureRecord& record) {
    ByteBlock bytes(FigureRecordLength(record), 0);
    size_t offset = 0;
    record.object.SaveObjectParams(bytes, offset);
    record.figure.SaveFigureParams(bytes, offset);
    PutTexts(bytes, offset, record.texts);
    for (const VectorPolygon* list : {&record.borders, &record.poligons, &record.controls}) {
        uf::SavePolygons(bytes, *list, offset);
    }
    return bytes;
}

bool LoadFigureRecord(const ByteBlock& bytes, FigureRecord& record) {
    FigureRecord loaded;
    size_t offset = 0;
    const bool sound = loaded.object.LoadObjectParams(bytes, offset) &&
                       loaded.figure.LoadFigureParams(bytes, offset) &&
                       TakeTexts(bytes, offset, loaded.texts) &&
                       uf::LoadPolygons(bytes, loaded.borders, offset) &&
                       uf::LoadPolygons(bytes, loaded.poligons, offset) &&
                       uf::LoadPolygons(bytes, loaded.controls, offset) && FiniteVertices(loaded);
    if (sound) {
        record = std::move(loaded);
    }
    return sound;
}
