// The figure record kept in the user data of every figure macro:
//   0    ObjectParams (64 bytes)
//   64   FigureParams (160 bytes)
//   224  i32 text count T, then T text heights (f64)
//   228 + 8·T  three polygon lists (uf::SavePolygons): borders, gap polygons,
//        control polygons
//   then zero bytes up to the block length 252 + 8·T + 8·P + 16·N, P being the
//        number of polygons and N the number of points of the three lists.
// The polygons travel as they stand: the figure moves them into its macro's
// frame before saving and back to the macro's placement after loading.
#pragma once

#include "geometry/Polygon.h"
#include "model/Params.h"

#include <cstddef>
#include <vector>

struct FigureRecord {
    ObjectParams object;
    FigureParams figure;
    std::vector<FontParams> texts;  // source text heights, one per text of the macro
    VectorPolygon borders;          // outline rings, outer first
    VectorPolygon poligons;         // gap polygons
    VectorPolygon controls;         // control polygons
};

size_t FigureRecordLength(const FigureRecord& record);

// The record's block, zero-filled to its full length.
ByteBlock SaveFigureRecord(const FigureRecord& record);

// Reads a whole block into `record`. A block shorter than its own counts say,
// with a negative text count, a text height or a vertex that is not a finite
// number, or with another corrupt part is refused: the result
// is false and `record` is left as it was. (A figure keeps its own text
// heights when the record holds none.)
bool LoadFigureRecord(const ByteBlock& bytes, FigureRecord& record);
