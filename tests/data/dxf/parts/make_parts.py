"""Writes the DXF part files of the import tests (run with Debian's python3 and ezdxf):

  /usr/bin/python3 make_parts.py FOLDER

Each file is one case; the closed forms the tests check are beside each.
"""
import os
import sys

import ezdxf


def new():
    doc = ezdxf.new("R2000")
    doc.header["$INSUNITS"] = 4  # millimetres
    return doc, doc.modelspace()


def lines(msp, points, **attribs):
    for a, b in zip(points, points[1:] + points[:1]):
        msp.add_line(a, b, dxfattribs=attribs)


def write(folder):
    def save(doc, name):
        doc.saveas(os.path.join(folder, name))

    # 100 x 50 of lines, two of them drawn again (one the other way round): area 5000.
    doc, msp = new()
    lines(msp, [(0, 0), (100, 0), (100, 50), (0, 50)])
    msp.add_line((0, 0), (100, 0))
    msp.add_line((100, 50), (100, 0))
    save(doc, "duplicate_lines.dxf")

    # The same rectangle with a gap of 1 mm in its top edge.
    doc, msp = new()
    msp.add_line((0, 0), (100, 0))
    msp.add_line((100, 0), (100, 50))
    msp.add_line((100, 50), (51, 50))
    msp.add_line((50, 50), (0, 50))
    msp.add_line((0, 50), (0, 0))
    save(doc, "open_outline.dxf")

    # A rectangle 100 x 50 whose top edge is a quadratic spline bulging 30 above
    # it at the middle: area 5000 + 2/3 * 100 * 30 = 7000.
    doc, msp = new()
    msp.add_line((0, 50), (0, 0))
    msp.add_line((0, 0), (100, 0))
    msp.add_line((100, 0), (100, 50))
    spline = msp.add_spline()
    spline.dxf.degree = 2
    spline.control_points = [(100, 50, 0), (50, 110, 0), (0, 50, 0)]
    spline.knots = [0, 0, 0, 1, 1, 1]
    save(doc, "splines.dxf")

    # A slot: 100 x 40 with half circles on its short sides, one polyline with
    # two bulges: area 4000 + pi * 20^2; a round hole of radius 5 at (50, 20).
    doc, msp = new()
    msp.add_lwpolyline([(0, 0, 0), (100, 0, 1), (100, 40, 0), (0, 40, 1)], format="xyb", close=True)
    msp.add_circle((50, 20), 5)
    save(doc, "bulges.dxf")

    # A plate 200 x 200 with a hole 100 x 100 holding a ring of its own.
    doc, msp = new()
    msp.add_lwpolyline([(0, 0), (200, 0), (200, 200), (0, 200)], close=True)
    msp.add_lwpolyline([(50, 50), (150, 50), (150, 150), (50, 150)], close=True)
    msp.add_circle((100, 100), 20)
    save(doc, "nested_holes.dxf")

    # Two plates side by side.
    doc, msp = new()
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 50), (0, 50)], close=True)
    msp.add_lwpolyline([(100, 0), (150, 0), (150, 50), (100, 50)], close=True)
    save(doc, "two_parts.dxf")

    # A plate 120 x 80 with a round hole (r 10 at (30, 40)) and a square hole
    # 20 x 20 at (70..90, 30..50): area 9600 - 100 pi - 400; a bend line in a
    # dashed linetype, a centre line, bracketed and plain texts.
    doc, msp = new()
    doc.layers.add("Детали")
    doc.linetypes.add("DASHED", pattern=[0.75, 0.5, -0.25], description="Dashed")
    doc.linetypes.add("CENTER", pattern=[2.0, 1.25, -0.25, 0.25, -0.25], description="Center")
    msp.add_lwpolyline([(0, 0), (120, 0), (120, 80), (0, 80)], close=True, dxfattribs={"layer": "Детали"})
    msp.add_circle((30, 40), 10, dxfattribs={"layer": "Детали"})
    lines(msp, [(70, 30), (90, 30), (90, 50), (70, 50)], layer="Детали")
    msp.add_line((60, 0), (60, 80), dxfattribs={"linetype": "DASHED"})
    msp.add_line((0, 40), (120, 40), dxfattribs={"linetype": "CENTER", "layer": "Детали"})
    msp.add_text("[Материал=Сталь 3]", dxfattribs={"height": 5, "insert": (5, 85)})
    msp.add_text("[Толщина: 2,5 мм]", dxfattribs={"height": 5, "insert": (5, 95)})
    msp.add_text("[кол-во = 4 шт]", dxfattribs={"height": 5, "insert": (5, 105)})
    msp.add_text("Деталь [Ст3]", dxfattribs={"height": 5, "insert": (5, 115)})
    msp.add_mtext("Примечание\\P[Толщина=abc]", dxfattribs={"char_height": 3, "insert": (5, 130)})
    save(doc, "texts.dxf")

    # Nothing drawn at all.
    doc, msp = new()
    save(doc, "empty.dxf")

    # The texts file cut off in the middle of its entities.
    with open(os.path.join(folder, "texts.dxf"), "rb") as f:
        data = f.read()
    start = data.index(b"\nENTITIES")
    end = data.index(b"\nENDSEC", start)
    with open(os.path.join(folder, "truncated.dxf"), "wb") as f:
        f.write(data[: (start + end) // 2])


if __name__ == "__main__":
    write(sys.argv[1])
