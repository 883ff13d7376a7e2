"""Writes the awkward DXF part files of the import tests with ezdxf (Debian's
/usr/bin/python3):

  /usr/bin/python3 make_awkward.py FOLDER

Small holes, outlines that cross themselves or one another, open curves,
curves drawn twice, a polyline of 5,000 points, inch units, spline and
ellipse outlines, joints 0.0002 mm apart. What each file must give (imported,
or refused with which reason) is stated where the tests read them.
"""
import math
import os
import sys

import ezdxf


def new(units=4):
    doc = ezdxf.new("R2000")
    doc.header["$INSUNITS"] = units  # 4 millimetres, 1 inches
    return doc, doc.modelspace()


def square(msp, x0, y0, x1, y1):
    msp.add_lwpolyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], close=True)


def write(folder):
    def save(doc, name):
        doc.saveas(os.path.join(folder, name))

    # A 100 x 100 plate with round holes of radius 2.381, 1 and 0.5.
    doc, msp = new()
    square(msp, 0, 0, 100, 100)
    for centre, r in (((20, 20), 2.381), ((50, 50), 1.0), ((80, 80), 0.5)):
        msp.add_circle(centre, r)
    save(doc, "small_holes.dxf")

    # Small holes of several pieces: a circle of two half arcs (r 0.8), a slot
    # 10 x 1 with half-round ends, and a circle as a polyline of two bulges (r 1).
    doc, msp = new()
    square(msp, 0, 0, 100, 100)
    msp.add_arc((30, 70), 0.8, 0, 180)
    msp.add_arc((30, 70), 0.8, 180, 360)
    msp.add_line((60, 20), (70, 20))
    msp.add_arc((70, 20.5), 0.5, -90, 90)
    msp.add_line((70, 21), (60, 21))
    msp.add_arc((60, 20.5), 0.5, 90, 270)
    msp.add_lwpolyline([(19, 40, 1), (21, 40, 1)], format="xyb", close=True)
    save(doc, "small_arcs.dxf")

    # A figure-eight: one closed polyline whose two lobes cross at (40, 20).
    doc, msp = new()
    msp.add_lwpolyline([(0, 20), (20, 0), (60, 40), (80, 20), (60, 0), (20, 40)], close=True)
    save(doc, "figure_eight.dxf")

    # A bow-tie of four lines crossing at (50, 30).
    doc, msp = new()
    for a, b in (((0, 0), (100, 60)), ((100, 60), (100, 0)), ((100, 0), (0, 60)), ((0, 60), (0, 0))):
        msp.add_line(a, b)
    save(doc, "bow_tie.dxf")

    # A raw offset outline: a small loop where its edges cross at (45, 48.75).
    doc, msp = new()
    msp.add_lwpolyline([(0, 0), (100, 0), (100, 60), (60, 60), (40, 45), (45, 40), (50, 45), (30, 60), (0, 60)],
                       close=True)
    save(doc, "offset_loop.dxf")

    # A sound plate with a small hole, and an open polyline beside it.
    doc, msp = new()
    square(msp, 0, 0, 100, 100)
    msp.add_circle((50, 50), 1.0)
    msp.add_lwpolyline([(120, 0), (150, 0), (150, 30)])
    save(doc, "open_beside.dxf")

    # Open chains only: two polylines and a small arc.
    doc, msp = new()
    msp.add_lwpolyline([(0, 0), (50, 0), (50, 30)])
    msp.add_lwpolyline([(0, 10), (0, 40), (40, 40)])
    msp.add_arc((70, 10), 1.0, 0, 270)
    save(doc, "open_chains.dxf")

    # A plate whose hole is a bow-tie crossing at (100, 100).
    doc, msp = new()
    square(msp, 0, 0, 200, 200)
    msp.add_lwpolyline([(50, 50), (150, 150), (150, 50), (50, 150)], close=True)
    save(doc, "inner_crossing.dxf")

    # A round hole crossing the plate's right edge.
    doc, msp = new()
    square(msp, 0, 0, 100, 100)
    msp.add_circle((100, 50), 10)
    save(doc, "rings_cross.dxf")

    # 100 x 50 of lines, two drawn again (one the other way round), and a
    # round hole of radius 5 drawn twice.
    doc, msp = new()
    corners = [(0, 0), (100, 0), (100, 50), (0, 50)]
    for a, b in zip(corners, corners[1:] + corners[:1]):
        msp.add_line(a, b)
    msp.add_line((0, 0), (100, 0))
    msp.add_line((100, 50), (100, 0))
    msp.add_circle((50, 25), 5)
    msp.add_circle((50, 25), 5)
    save(doc, "drawn_twice.dxf")

    # A wavy ring as one closed polyline of 5,000 points.
    doc, msp = new()
    n = 5000
    points = []
    for k in range(n):
        t = 2 * math.pi * k / n
        r = 100 + 2 * math.sin(12 * t)
        points.append((round(r * math.cos(t), 4), round(r * math.sin(t), 4)))
    msp.add_lwpolyline(points, close=True)
    save(doc, "polyline_5000.dxf")

    # A plate 4 x 2 inches with a hole of 0.5 inch across, in inch units.
    doc, msp = new(units=1)
    square(msp, 0, 0, 4, 2)
    msp.add_circle((1, 1), 0.25)
    save(doc, "inch_units.dxf")

    # An outline of two cubic splines, with a round hole of radius 2.
    doc, msp = new()
    msp.add_open_spline([(0, 0), (30, -40), (70, -40), (100, 0)], degree=3)
    msp.add_open_spline([(100, 0), (70, 50), (30, 50), (0, 0)], degree=3)
    msp.add_circle((50, 0), 2)
    save(doc, "spline_outline.dxf")

    # An ellipse 120 x 60 with a small turned elliptic hole (3 x 1.5) and a round one.
    doc, msp = new()
    msp.add_ellipse((0, 0), major_axis=(60, 0), ratio=0.5)
    msp.add_ellipse((-30, 0), major_axis=(3 * math.cos(math.radians(30)), 3 * math.sin(math.radians(30))),
                    ratio=0.5)
    msp.add_circle((30, 0), 5)
    save(doc, "ellipse.dxf")

    # 100 x 50 of lines whose ends miss each other by 0.0002 mm at two corners.
    doc, msp = new()
    for a, b in (((0, 0), (100, 0)), ((100.0002, 0), (100, 50)), ((100, 50), (0, 50)), ((0, 50.0002), (0, 0))):
        msp.add_line(a, b)
    save(doc, "near_closed.dxf")


if __name__ == "__main__":
    write(sys.argv[1])
