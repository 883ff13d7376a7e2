// The dents of outlines by their shape: the copies of a part, wherever they
// stand, share them, so that they are found once a shape (and a turn) rather
// than once a figure.
#pragma once

#include "geometry/DentEntry.h"
#include "geometry/Polygon.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <unordered_map>
#include <utility>
#include <vector>

class OutlineDents {
public:
    struct Shape {
        NPolygonPtr outline; // the first ring of this shape met, as it stood then
        std::vector<std::vector<DentChoice>> choices;               // its dents of every width
        std::vector<std::pair<DentEdit, DentMouth>> mouths;         // of the dents looked at
        std::vector<std::pair<std::vector<DentEdit>, NPolygonPtr>> closed; // `outline` with them closed
        std::unordered_map<double, double> widest; // WidestClosing of the dents narrower than a width
    };

    // The shape of `ring`: that of a ring met before that matches it point for
    // point once moved onto it, or a new one. It stays valid until Clear.
    Shape& Of(const NPolygon& ring);
    // The dents narrower than `width` closed on `ring` (of `shape`): the
    // shape's outline with them closed, moved onto the ring; `ring` itself
    // when none is or the closing would not hold it.
    static NPolygonPtr Closed(Shape& shape, const NPolygonPtr& ring, const std::vector<DentEdit>& edits);
    // The longest edge closing the dents narrower than `width` gives the shape.
    static double WidestClosing(Shape& shape, double width);
    // The mouth of one of the shape's dents.
    static const DentMouth& Mouth(Shape& shape, const DentEdit& edit);

    size_t Size() const { return m_shapes.size(); }
    void Clear();

private:
    std::deque<Shape> m_shapes;
    std::unordered_map<uint64_t, std::vector<size_t>> m_byHash; // shapes by their size and a far point
};
