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
from ezdxf.addons.r12writer import r12writer


def new(units=4):
    doc = ezdxf.new("R2000")
    doc.header["$INSUNITS"] = units  # 4 millimetres, 1 inches
    return doc, doc.modelspace()


def square(msp, x0, y0, x1, y1):
    msp.add_polyline_2d([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], closed=True)


def write(folder):
    def r12(name):
        """The small files: their entities only, in millimetres."""
        return r12writer(os.path.join(folder, name))

    # A 100 x 100 plate with round holes of radius 2.381, 1 and 0.5.
    with r12("small_holes.dxf") as msp:
        square(msp, 0, 0, 100, 100)
        for centre, r in (((20, 20), 2.381), ((50, 50), 1.0), ((80, 80), 0.5)):
            msp.add_circle(centre, r)

    # Small holes of several pieces: a circle of two half arcs (r 0.8), a slot
    # 10 x 1 with half-round ends, and a circle as a polyline of two bulges (r 1).
    with r12("small_arcs.dxf") as msp:
        square(msp, 0, 0, 100, 100)
        msp.add_arc((30, 70), 0.8, 0, 180)
        msp.add_arc((30, 70), 0.8, 180, 360)
        msp.add_line((60, 20), (70, 20))
        msp.add_arc((70, 20.5), 0.5, -90, 90)
        msp.add_line((70, 21), (60, 21))
        msp.add_arc((60, 20.5), 0.5, 90, 270)
        msp.add_polyline_2d([(19, 40, 1), (21, 40, 1)], format="xyb", closed=True)

    # A figure-eight: one closed polyline whose two lobes cross at (40, 20).
    with r12("figure_eight.dxf") as msp:
        msp.add_polyline_2d([(0, 20), (20, 0), (60, 40), (80, 20), (60, 0), (20, 40)], closed=True)

    # A bow-tie of four lines crossing at (50, 30).
    with r12("bow_tie.dxf") as msp:
        for a, b in (((0, 0), (100, 60)), ((100, 60), (100, 0)), ((100, 0), (0, 60)), ((0, 60), (0, 0))):
            msp.add_line(a, b)

    # A raw offset outline: a small loop where its edges cross at (45, 48.75).
    with r12("offset_loop.dxf") as msp:
        msp.add_polyline_2d([(0, 0), (100, 0), (100, 60), (60, 60), (40, 45), (45, 40), (50, 45), (30, 60), (0, 60)],
                            closed=True)

    # A sound plate with a small hole, and an open polyline beside it.
    with r12("open_beside.dxf") as msp:
        square(msp, 0, 0, 100, 100)
        msp.add_circle((50, 50), 1.0)
        msp.add_polyline_2d([(120, 0), (150, 0), (150, 30)])

    # Open chains only: two polylines and a small arc.
    with r12("open_chains.dxf") as msp:
        msp.add_polyline_2d([(0, 0), (50, 0), (50, 30)])
        msp.add_polyline_2d([(0, 10), (0, 40), (40, 40)])
        msp.add_arc((70, 10), 1.0, 0, 270)

    # A plate whose hole is a bow-tie crossing at (100, 100).
    with r12("inner_crossing.dxf") as msp:
        square(msp, 0, 0, 200, 200)
        msp.add_polyline_2d([(50, 50), (150, 150), (150, 50), (50, 150)], closed=True)

    # A round hole crossing the plate's right edge.
    with r12("rings_cross.dxf") as msp:
        square(msp, 0, 0, 100, 100)
        msp.add_circle((100, 50), 10)

    # 100 x 50 of lines, two drawn again (one the other way round), and a
    # round hole of radius 5 drawn twice.
    with r12("drawn_twice.dxf") as msp:
        corners = [(0, 0), (100, 0), (100, 50), (0, 50)]
        for a, b in zip(corners, corners[1:] + corners[:1]):
            msp.add_line(a, b)
        msp.add_line((0, 0), (100, 0))
        msp.add_line((100, 50), (100, 0))
        msp.add_circle((50, 25), 5)
        msp.add_circle((50, 25), 5)

    # 100 x 50 of lines whose ends miss each other by 0.0002 mm at two corners.
    with r12("near_closed.dxf") as msp:
        for a, b in (((0, 0), (100, 0)), ((100.0002, 0), (100, 50)), ((100, 50), (0, 50)), ((0, 50.0002), (0, 0))):
            msp.add_line(a, b)

    # A wavy ring as one closed light-weight polyline of 5,000 points.
    doc, msp = new()
    n = 5000
    points = []
    for k in range(n):
        t = 2 * math.pi * k / n
        r = 100 + 2 * math.sin(12 * t)
        points.append((round(r * math.cos(t), 3), round(r * math.sin(t), 3)))
    msp.add_lwpolyline(points, close=True)
    doc.saveas(os.path.join(folder, "polyline_5000.dxf"))

    # A plate 4 x 2 inches with a hole of 0.5 inch across, in inch units.
    doc, msp = new(units=1)
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 2), (0, 2)], close=True)
    msp.add_circle((1, 1), 0.25)
    doc.saveas(os.path.join(folder, "inch_units.dxf"))

    # An outline of two cubic splines, with a round hole of radius 2.
    doc, msp = new()
    msp.add_open_spline([(0, 0), (30, -40), (70, -40), (100, 0)], degree=3)
    msp.add_open_spline([(100, 0), (70, 50), (30, 50), (0, 0)], degree=3)
    msp.add_circle((50, 0), 2)
    doc.saveas(os.path.join(folder, "spline_outline.dxf"))

    # An ellipse 120 x 60 with a small turned elliptic hole (3 x 1.5) and a round one.
    doc, msp = new()
    msp.add_ellipse((0, 0), major_axis=(60, 0), ratio=0.5)
    msp.add_ellipse((-30, 0), major_axis=(3 * math.cos(math.radians(30)), 3 * math.sin(math.radians(30))),
                    ratio=0.5)
    msp.add_circle((30, 0), 5)
    doc.saveas(os.path.join(folder, "ellipse.dxf"))


if __name__ == "__main__":
    write(sys.argv[1])
