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


def write_more(folder):
    """Holes r 0.1 to 2 of every curve kind, slots, CAM arcs, joints at the
    joining tolerance, touching holes, islands, overlapping lines, point
    curves, polyline widths, mirrored and turned blocks, metres, hidden
    layers, 3D objects, R12 and R2018, CRLF with a cp1251 layer name, 200
    parts in one drawing."""
    def new(units=4, version="R2000"):
        doc = ezdxf.new(version); doc.header["$INSUNITS"] = units
        return doc, doc.modelspace()
    def save(doc, name): doc.saveas(os.path.join(folder, name))
    def plate(msp, w=100, h=100, x=0, y=0, **kw):
        msp.add_lwpolyline([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], close=True, **kw)
    radii = (0.1, 0.25, 0.5, 1, 2)
    centres = [(15 + 17 * k, 50) for k in range(len(radii))]
    kinds = {
        "circles": lambda m, c, r: m.add_circle(c, r),
        "arcs": lambda m, c, r: (m.add_arc(c, r, 10, 200), m.add_arc(c, r, 200, 370)),
        "bulges": lambda m, c, r: m.add_lwpolyline([(c[0] - r, c[1], 1), (c[0] + r, c[1], 1)], format="xyb", close=True),
        "splines": lambda m, c, r: m.add_rational_spline(
            *rational_circle(c, r), degree=2),
        "ellipses": lambda m, c, r: m.add_ellipse(c, major_axis=(0, r), ratio=0.5),
    }
    def rational_circle(c, r):
        s = math.sqrt(0.5)
        pts = [(1, 0), (1, 1), (0, 1), (-1, 1), (-1, 0), (-1, -1), (0, -1), (1, -1), (1, 0)]
        w = [1, s, 1, s, 1, s, 1, s, 1]
        k = [0, 0, 0, .25, .25, .5, .5, .75, .75, 1, 1, 1]
        return [(c[0] + r * x, c[1] + r * y) for x, y in pts], w, k
    def spline(m, c, r):
        p, w, k = rational_circle(c, r)
        e = m.add_rational_spline(p, w, degree=2, knots=k)
    kinds["splines"] = spline
    for kind, add in kinds.items():
        doc, m = new(); plate(m)
        for c, r in zip(centres, radii): add(m, c, r)
        save(doc, f"holes_{kind}.dxf")
    # Slots of two arcs and two lines, 0.2, 1 and 4 wide.
    doc, m = new(); plate(m)
    for k, w in enumerate((0.2, 1.0, 4.0)):
        y = 20 + 25 * k; r = w / 2
        m.add_line((20, y - r), (70, y - r)); m.add_arc((70, y), r, -90, 90)
        m.add_line((70, y + r), (20, y + r)); m.add_arc((20, y), r, 90, 270)
    save(doc, "slots.dxf")
    # A CAM export: an outline of 720 short arcs (a wavy disc) round a hole of 360 arcs.
    doc, m = new()
    n = 720
    for k in range(n):
        a0, a1 = 360 * k / n, 360 * (k + 1) / n
        # each piece an arc of radius 50 about the centre, alternately bulged out
        m.add_arc((0, 0), 50, a0, a1)
    for k in range(360):
        m.add_arc((10, 0), 5, k, k + 1)
    save(doc, "many_arcs.dxf")
    # Joints 0.0005, 0.001 and 0.0015 mm apart; an arc to a line and a spline to a line 0.0008 apart.
    for name, g in (("gap_0005", 0.0005), ("gap_0010", 0.001), ("gap_0015", 0.0015)):
        doc, m = new()
        for a, b in (((0, 0), (100, 0)), ((100 + g, 0), (100, 50)), ((100, 50), (0, 50)), ((0, 50), (0, 0))):
            m.add_line(a, b)
        save(doc, name + ".dxf")
    doc, m = new()
    m.add_line((0, 0), (100, 0)); m.add_line((100, 0), (100, 50))
    m.add_arc((50, 50), 50, 0, 180)  # from (100, 50) to (0, 50)
    m.add_line((0, 50.0008), (0, 0))
    save(doc, "gap_arc_line.dxf")
    doc, m = new()
    m.add_line((0, 0), (100, 0)); m.add_line((100, 0), (100, 50))
    m.add_open_spline([(100, 50), (70, 80), (30, 80), (0, 50)], degree=3)
    m.add_line((0.0008, 50), (0, 0))
    save(doc, "gap_spline_line.dxf")
    # Holes touching each other at a point, a hole touching the outline, a hole sharing an edge.
    doc, m = new(); plate(m); m.add_circle((30, 50), 10); m.add_circle((50, 50), 10); save(doc, "holes_touching.dxf")
    doc, m = new(); plate(m); m.add_circle((90, 50), 10); save(doc, "hole_touches_outline.dxf")
    doc, m = new(); plate(m); plate(m, 20, 20, 80, 40); save(doc, "hole_shares_edge.dxf")
    # Spikes (a polyline running out and back along one line): a hole's past
    # the outline; the outline's across a hole, and another hole's across it.
    doc, m = new(); plate(m)
    m.add_lwpolyline([(20, 20), (80, 20), (80, 60), (50, 60), (50, 120), (50, 60), (20, 60)], close=True)
    save(doc, "hole_spike_past.dxf")
    doc, m = new()
    m.add_lwpolyline([(0, 0), (100, 0), (100, 100), (70, 100), (70, 5), (70, 100), (0, 100)], close=True)
    plate(m, 40, 30, 50, 20)
    m.add_lwpolyline([(10, 60), (40, 60), (40, 80), (25, 80), (25, 30), (25, 80), (10, 80)], close=True)
    plate(m, 20, 10, 15, 35)
    save(doc, "spikes_across.dxf")
    # Text outlines: a plate with the letters O and B cut out, their islands kept.
    doc, m = new(); plate(m, 120, 60)
    m.add_lwpolyline([(10, 10), (50, 10), (50, 50), (10, 50)], close=True)
    m.add_lwpolyline([(20, 20), (40, 20), (40, 40), (20, 40)], close=True)
    m.add_lwpolyline([(60, 10), (100, 10), (100, 50), (60, 50)], close=True)
    m.add_lwpolyline([(70, 15), (90, 15), (90, 27), (70, 27)], close=True)
    m.add_lwpolyline([(70, 33), (90, 33), (90, 45), (70, 45)], close=True)
    save(doc, "text_islands.dxf")
    # Overlapping collinear lines (partly), the bottom edge drawn in overlapping pieces.
    doc, m = new()
    m.add_line((0, 0), (60, 0)); m.add_line((40, 0), (100, 0)); m.add_line((100, 0), (100, 50))
    m.add_line((100, 50), (0, 50)); m.add_line((0, 50), (0, 0)); m.add_line((30, 50), (70, 50))
    save(doc, "overlapping_lines.dxf")
    # Zero-length lines and arcs beside a sound plate.
    doc, m = new(); plate(m)
    m.add_line((100, 100), (100, 100)); m.add_line((50, 50), (50, 50)); m.add_arc((20, 20), 0, 0, 90)
    save(doc, "zero_length.dxf")
    # Light-weight polylines: constant width 2, closed flag with a repeated last point.
    doc, m = new(); m.add_lwpolyline([(0, 0), (100, 0), (100, 50), (0, 50)], close=True, dxfattribs={"const_width": 2}); save(doc, "lwpoly_width.dxf")
    doc, m = new(); m.add_lwpolyline([(0, 0), (100, 0), (100, 50), (0, 50), (0, 0)], close=True); save(doc, "lwpoly_repeated_end.dxf")
    # Blocks: a plate with an off-centre hole, inserted mirrored and rotated.
    for name, kw in (("block_mirrored", dict(xscale=2, yscale=-0.5)), ("block_rotated", dict(xscale=-1, rotation=30))):
        doc, m = new()
        b = doc.blocks.new("PLATE")
        b.add_lwpolyline([(0, 0), (100, 0), (100, 50), (0, 50)], close=True)
        b.add_circle((20, 15), 5); b.add_arc((70, 25), 3, 0, 180); b.add_arc((70, 25), 3, 180, 360)
        m.add_blockref("PLATE", (10, 10), dxfattribs=kw)
        save(doc, name + ".dxf")
    # Units: metres and inches.
    doc, m = new(units=6); m.add_lwpolyline([(0, 0), (0.1, 0), (0.1, 0.05), (0, 0.05)], close=True); m.add_circle((0.05, 0.025), 0.01); save(doc, "metres.dxf")
    doc, m = new(units=1); m.add_lwpolyline([(0, 0), (4, 0), (4, 2), (0, 2)], close=True); m.add_arc((2, 1), 0.5, 0, 180); m.add_arc((2, 1), 0.5, 180, 0); save(doc, "inches_arcs.dxf")
    # Layers frozen and off: a stray open line on each.
    doc, m = new(); plate(m)
    doc.layers.add("FROZEN").freeze(); doc.layers.add("OFF").off()
    m.add_line((120, 0), (150, 30), dxfattribs={"layer": "FROZEN"}); m.add_line((120, 40), (150, 70), dxfattribs={"layer": "OFF"})
    save(doc, "layers_hidden.dxf")
    # 3D polylines: flat at z 5, and one whose z varies.
    doc, m = new(); m.add_polyline3d([(0, 0, 5), (100, 0, 5), (100, 50, 5), (0, 50, 5)], close=True); save(doc, "poly3d_flat.dxf")
    doc, m = new(); m.add_polyline3d([(0, 0, 0), (100, 0, 10), (100, 50, 0), (0, 50, 10)], close=True); save(doc, "poly3d_z.dxf")
    # A polyface and a mesh.
    doc, m = new(); pf = m.add_polyface(); pf.append_face([(0, 0, 0), (100, 0, 0), (100, 50, 0), (0, 50, 0)]); save(doc, "polyface.dxf")
    # R12 and R2018.
    doc, m = new(version="R12"); m.add_polyline2d([(0, 0), (100, 0), (100, 50), (0, 50)], close=True); m.add_circle((50, 25), 1); save(doc, "r12.dxf")
    doc, m = new(version="R2018"); plate(m, 100, 50); m.add_circle((50, 25), 1); m.add_ellipse((20, 25), (3, 0), 0.5); save(doc, "r2018.dxf")
    # CRLF line ends, a cp1251 layer name, a Cyrillic file name.
    doc, m = new(version="R12"); doc.header["$DWGCODEPAGE"] = "ANSI_1251"; doc.layers.add("Контур")
    m.add_polyline2d([(0, 0), (100, 0), (100, 50), (0, 50)], close=True, dxfattribs={"layer": "Контур"})
    m.add_circle((50, 25), 2, dxfattribs={"layer": "Контур"})
    path = os.path.join(folder, "деталь_crlf.dxf"); doc.saveas(path, encoding="cp1251")
    data = open(path, "rb").read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"); open(path, "wb").write(data)
    # Two hundred parts in one drawing.
    doc, m = new()
    for k in range(200):
        plate(m, 10, 10, 15 * (k % 20), 15 * (k // 20))
    save(doc, "parts_200.dxf")


def write_fit_splines(folder):
    """Splines given by fit points only (the control points left to the
    reader), open and closed, sparse and dense, with and without end
    tangents; and a drawing of 3D objects only."""
    def new():
        doc = ezdxf.new("R2000"); doc.header["$INSUNITS"] = 4
        return doc, doc.modelspace()
    def save(doc, name): doc.saveas(os.path.join(folder, name))
    def fit(m, points, start=None, end=None, closed=False):
        s = m.add_spline(points)
        if start: s.dxf.start_tangent = start
        if end: s.dxf.end_tangent = end
        s.closed = closed
        return s
    bottom = [(0, 0), (30, -40), (70, -35), (100, 0)]
    top = [(100, 0), (80, 30), (50, 45), (20, 30), (0, 0)]
    # An outline of two sparse splines, without tangents and with them.
    doc, m = new(); fit(m, bottom); fit(m, top); save(doc, "fit_sparse.dxf")
    doc, m = new(); fit(m, bottom, (1, -2, 0), (1, 1.5, 0)); fit(m, top, (-0.5, 1, 0), (-1, -1.2, 0))
    save(doc, "fit_tangents.dxf")
    # A plate whose top edge is a wave of 20 fit points.
    doc, m = new()
    wave = [(10 * k, round(50 + 8 * math.sin(k / 1.5), 4)) for k in range(20)]
    fit(m, wave)
    m.add_lwpolyline([wave[-1], (190, 0), (0, 0), wave[0]])
    save(doc, "fit_dense.dxf")
    # Closed splines as CAD programs write them (the first point again at
    # the end): a sparse outline with its tangent at the joint, a dense round
    # hole without one.
    doc, m = new()
    blob = [(0, 0), (40, -10), (80, 5), (90, 40), (60, 70), (20, 60), (-5, 30), (0, 0)]
    fit(m, blob, (1, -0.4, 0), (1, -0.4, 0), closed=True)
    ring = [(45 + 12 * math.cos(k * math.pi / 10), 30 + 12 * math.sin(k * math.pi / 10)) for k in range(21)]
    fit(m, ring, closed=True)
    save(doc, "fit_closed.dxf")
    # 3D objects only: a face, a mesh, a rising line and a block of a face.
    doc, m = new()
    m.add_3dface([(0, 0, 0), (100, 0, 0), (100, 50, 10), (0, 50, 10)])
    mesh = m.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [(0, 0, 0), (10, 0, 0), (10, 10, 5), (0, 10, 5)]
        data.faces = [(0, 1, 2, 3)]
    m.add_line((0, 0, 0), (50, 50, 20))
    block = doc.blocks.new("FACE")
    block.add_3dface([(0, 0, 0), (10, 0, 0), (10, 10, 10)])
    m.add_blockref("FACE", (200, 0))
    save(doc, "solids_only.dxf")


def write_round_off_and_leftovers(folder):
    """Geometry as CAD programs leave it, and what the import must leave out,
    refuse or not read at all."""
    def save(doc, name): doc.saveas(os.path.join(folder, name))

    def plate(m, x0=0, y0=0, side=100):
        m.add_lwpolyline([(x0, y0), (x0 + side, y0), (x0 + side, y0 + side), (x0, y0 + side)], close=True)

    # A square whose first edge carries a bulge of round-off.
    doc, m = new()
    m.add_lwpolyline([(0, 0, 0, 0, 1e-12), (100, 0), (100, 100), (0, 100)], format="xyseb", close=True)
    save(doc, "bulge_round_off.dxf")
    # A plate with a bulged edge and a D-shaped hole, inserted at the scale (3, 0.5).
    doc, m = new()
    block = doc.blocks.new("PLATE")
    block.add_lwpolyline([(0, 0, 0, 0, 0.4), (100, 0), (100, 100), (0, 100)], format="xyseb", close=True)
    block.add_lwpolyline([(40, 30, 0, 0, 1), (40, 70)], format="xyseb", close=True)
    m.add_blockref("PLATE", (0, 0), dxfattribs={"xscale": 3, "yscale": 0.5})
    save(doc, "uneven_block_scale.dxf")
    # A six-pointed star of two quadratic splines with sharp corners (doubled
    # knots from 1), and the same star at half scale as its hole.
    doc, m = new()
    for scale in (1, 0.5):
        corners = [((40 if k % 2 else 100) * scale * math.cos(math.pi / 2 + k * math.pi / 6),
                    (40 if k % 2 else 100) * scale * math.sin(math.pi / 2 + k * math.pi / 6)) for k in range(13)]
        for first, last in ((0, 2), (2, 12)):
            poles, knots = [], [1.0] * 3
            for k in range(first, last):
                a, b = corners[k], corners[k + 1]
                poles += [a, ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)]
                if k > first:
                    knots += [1.0 + k - first] * 2
            spline = m.add_spline(degree=2)
            spline.control_points = poles + [corners[last]]
            spline.knots = knots + [1.0 + last - first] * 3
    save(doc, "star_splines.dxf")
    # The arrowhead block of dimensions, which nothing inserts, beside a plate.
    doc, m = new()
    doc.blocks.new("_CLOSEDFILLED").add_solid([(0, 0), (-1, 0.16), (-1, -0.16)])
    plate(m)
    save(doc, "arrow_block.dxf")
    # Centre marks: open lines on a visible layer CENTER over a plate with a hole.
    doc, m = new()
    doc.layers.add("CENTER")
    plate(m)
    m.add_circle((70, 50), 10)
    m.add_line((60, 40), (80, 60), dxfattribs={"layer": "CENTER"})
    m.add_line((80, 40), (60, 60), dxfattribs={"layer": "CENTER"})
    save(doc, "centre_marks.dxf")
    # A count that is not whole.
    doc, m = new()
    plate(m)
    m.add_text("[Кол-во=2,5]", dxfattribs={"insert": (10, 10), "height": 2.5})
    save(doc, "count_not_whole.dxf")
    # A plate in gigametres.
    doc, m = new(units=17)
    plate(m)
    save(doc, "gigametres.dxf")
    # A hole as an ellipse of no minor axis (ezdxf writes no ratio below
    # 1e-6: the file is mended), which the converter leaves out.
    doc, m = new()
    plate(m)
    m.add_ellipse((50, 50), major_axis=(10, 0), ratio=0.5)
    save(doc, "hole_flat_ellipse.dxf")
    path = os.path.join(folder, "hole_flat_ellipse.dxf")
    with open(path) as f:
        text = f.read()
    with open(path, "w") as f:
        f.write(text.replace(" 40\n0.5\n", " 40\n0.0\n"))
    # A plate smoothed from a square frame into a spline polyline (its frame
    # not drawn), with a hole whose arcs of round-off are points.
    doc, m = new()
    fit = [(50 + 40 * math.cos(k * math.pi / 8), 50 + 40 * math.sin(k * math.pi / 8)) for k in range(16)]
    smoothed = m.add_polyline2d([(0, 0), (100, 0), (100, 100), (0, 100)] + fit, close=True)
    smoothed.dxf.flags |= 4
    for k, vertex in enumerate(smoothed.vertices):
        vertex.dxf.flags = 16 if k < 4 else 8
    m.add_circle((50, 50), 10)
    m.add_arc((50, 50), 1e-9, 0, 90)
    m.add_arc((30, 50), 5, 0, 1e-7)
    save(doc, "spline_frame.dxf")
    # A hole drawn after the file's end, and a file cut off before it.
    doc, m = new()
    plate(m)
    save(doc, "after_eof.dxf")
    with open(os.path.join(folder, "after_eof.dxf"), "a") as f:
        f.write("  0\nSECTION\n  2\nENTITIES\n  0\nCIRCLE\n  8\n0\n 10\n50\n 20\n50\n 40\n10\n  0\nENDSEC\n  0\nEOF\n")
    with open(os.path.join(folder, "plate_cut_off.dxf"), "w") as f:
        f.write("  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n 11\n100\n 21\n0\n")


def write_reasons(folder):
    """One hole drawn twice in curves of other kinds and split points; parts
    refused for reasons that name their place; holes on hidden layers;
    markings beside other texts; windows the reader leaves out; fills."""
    def save(doc, name): doc.saveas(os.path.join(folder, name))

    def plate(m, x0=0, y0=0, w=100, h=100, **kw):
        m.add_lwpolyline([(x0, y0), (x0 + w, y0), (x0 + w, y0 + h), (x0, y0 + h)], close=True, **kw)

    # A hole of radius 10 at (60, 50) drawn twice: a circle and a polyline of
    # two bulges; a circle and two arcs; arcs split at 0 and 180 degrees and
    # again at 90 and 270; a circle and a 30-60 degree arc lying on it.
    doc, m = new(); plate(m); m.add_circle((60, 50), 10)
    m.add_lwpolyline([(50, 50, 1), (70, 50, 1)], format="xyb", close=True)
    save(doc, "twice_circle_bulges.dxf")
    doc, m = new(); plate(m); m.add_circle((60, 50), 10); m.add_arc((60, 50), 10, 0, 180); m.add_arc((60, 50), 10, 180, 0)
    save(doc, "twice_circle_arcs.dxf")
    doc, m = new(); plate(m)
    for a, b in ((0, 180), (180, 0), (90, 270), (270, 90)):
        m.add_arc((60, 50), 10, a, b)
    save(doc, "twice_arcs_split.dxf")
    doc, m = new(); plate(m); m.add_circle((60, 50), 10); m.add_arc((60, 50), 10, 30, 60)
    save(doc, "twice_circle_arc_30_60.dxf")
    # Refused, each at its place: two outer outlines, an island in a hole, an
    # outline drawn only in a dashed line, only a hatch, a part 1000000.5 mm long.
    doc, m = new(); plate(m); plate(m, 150, 0, 50, 50); save(doc, "two_outlines.dxf")
    doc, m = new(); plate(m); plate(m, 20, 20, 60, 60); plate(m, 40, 40, 20, 20); save(doc, "island_in_hole.dxf")
    doc, m = new(); plate(m, dxfattribs={"linetype": "DASHED"}); save(doc, "dashed_outline.dxf")
    doc, m = new(); m.add_hatch().paths.add_polyline_path([(0, 0), (100, 0), (100, 100), (0, 100)]); save(doc, "hatch_only.dxf")
    doc, m = new(); plate(m, w=1000000.5, h=10); save(doc, "longer_than_a_sheet.dxf")
    # An outline of 1.24 mm pieces with gaps of 0.00006 mm between them.
    doc, m = new()
    corners = [(0, 0), (100, 0), (100, 100), (0, 100)]
    for (x0, y0), (x1, y1) in zip(corners, corners[1:] + corners[:1]):
        n = 80
        for k in range(n):
            a, b = k / n, (k + 1) / n - (0.00006 / 100 if k + 1 < n else 0)
            m.add_line((x0 + (x1 - x0) * a, y0 + (y1 - y0) * a), (x0 + (x1 - x0) * b, y0 + (y1 - y0) * b))
    save(doc, "pieces_with_gaps.dxf")
    # Two holes of a 100 x 100 plate on a layer that is off and on one frozen.
    doc, m = new(); plate(m)
    doc.layers.add("HOLES_OFF").off(); doc.layers.add("HOLES_FROZEN").freeze()
    m.add_circle((30, 30), 5, dxfattribs={"layer": "HOLES_OFF"}); m.add_circle((70, 70), 5, dxfattribs={"layer": "HOLES_FROZEN"})
    save(doc, "holes_on_hidden_layers.dxf")
    # Drawn twice nearer than a joint: a hole 0.0002 mm wider; the outline
    # 0.0008 mm off, with its hole drawn three times (a circle, a polyline
    # of two bulges, four arcs). A plate divided by a line across it.
    doc, m = new(); plate(m); m.add_circle((60, 50), 10); m.add_circle((60, 50), 10.0002)
    save(doc, "twice_0002_apart.dxf")
    doc, m = new(); plate(m); plate(m, 0.0008, 0.0008); m.add_circle((60, 50), 10)
    m.add_lwpolyline([(50, 50, 1), (70, 50, 1)], format="xyb", close=True)
    for a in (45, 135, 225, 315):
        m.add_arc((60, 50), 10, a, a + 90)
    save(doc, "twice_0008_apart_hole_three_times.dxf")
    doc, m = new(); plate(m); m.add_line((50, 0), (50, 100)); save(doc, "divided_by_a_line.dxf")
    # Markings typed in full width, among the formatting codes of an MTEXT,
    # and one split between two texts.
    doc, m = new(); plate(m); m.add_text("［Кол-во＝4］ [Толщина=2,0 мм]", dxfattribs={"height": 3, "insert": (10, 10)})
    save(doc, "marking_full_width.dxf")
    doc, m = new(); plate(m)
    m.add_mtext("\\pxqc;{\\fArial|b0;[Кол-во=4]}\\n[Материал=«Ст3»]", dxfattribs={"char_height": 3, "insert": (10, 50)})
    save(doc, "marking_mtext_codes.dxf")
    doc, m = new(); plate(m)
    m.add_text("[Кол-во=", dxfattribs={"height": 3, "insert": (10, 10)}); m.add_text("4]", dxfattribs={"height": 3, "insert": (40, 10)})
    save(doc, "marking_split.dxf")
    # A paragraph text whose values hold square brackets (texts whose values do, below).
    doc, m = new(); plate(m)
    m.add_mtext("[Кол-во=[3]]\\P[Толщина=3 [мм]]", dxfattribs={"char_height": 3, "insert": (10, 50)})
    save(doc, "marking_bracketed_mtext.dxf")
    # A 200 x 100 plate with a construction line from corner to corner on Defpoints.
    doc, m = new(); plate(m, w=200); m.add_line((0, 0), (200, 100), dxfattribs={"layer": "Defpoints"})
    save(doc, "line_corner_to_corner.dxf")
    # A 120 x 80 plate drawn in millimetres in a file whose header says metres
    # (ezdxf's default): 120 000 x 80 000 mm, larger than any sheet.
    doc, m = new(units=6); plate(m, w=120, h=80); save(doc, "metres_120_by_80.dxf")
    # Markings with other texts beside them, two that disagree; values with square brackets in them, read to the
    # bracket that closes their own, and one cut short round a bracket.
    for name, texts in (("marking_two", ["[Кол-во=4] [Толщина=2]"]), ("marking_joined", ["[Кол-во=4][Толщина=2]"]),
                        ("marking_after_name", ["Деталь 1 [Кол-во=4]"]), ("marking_unit_after", ["[Кол-во=4] шт"]),
                        ("marking_material", ["[Кол-во=4] [Материал=Ст3]"]), ("marking_5_and_6", ["[Кол-во=5]", "[Кол-во=6]"]),
                        ("marking_bracketed_value", ["[Материал=Ст3 [ГОСТ]]"]),
                        ("marking_unclosed_round_a_bracket", ["[Материал=Ст3 [ГОСТ]"])):
        doc, m = new(); plate(m)
        for k, text in enumerate(texts):
            m.add_text(text, dxfattribs={"height": 3, "insert": (10, 10 + 10 * k)})
        save(doc, name + ".dxf")
    # A 200 x 100 plate with a 40 x 40 window from (30, 30) to (70, 70) that the reader leaves out: a closed 3D
    # polyline or four lines one vertex of which rises 0.005, 0.5 or 2 mm (0.0005 mm: within the flatness of a
    # 3D projection; a 3D polyline flat at 5 mm), or a hatch alone.
    window = [(30, 30), (70, 30), (70, 70), (30, 70)]
    for rise, tag in ((0.005, "0005"), (0.5, "05"), (2, "2"), (0.0005, "00005")):
        points = [(x, y, rise if k == 2 else 0) for k, (x, y) in enumerate(window)]
        doc, m = new(); plate(m, w=200); m.add_polyline3d(points, close=True)
        save(doc, "window3d_rise_" + tag + ".dxf")
        doc, m = new(); plate(m, w=200)
        for a, b in zip(points, points[1:] + points[:1]):
            m.add_line(a, b)
        save(doc, "window_lines_rise_" + tag + ".dxf")
    doc, m = new(); plate(m, w=200); m.add_polyline3d([(x, y, 5) for x, y in window], close=True)
    save(doc, "window3d_flat.dxf")
    doc, m = new(); plate(m, w=200); m.add_hatch().paths.add_polyline_path(window)
    save(doc, "window_hatch_only.dxf")
    # Fills: of a square hole at (550, 320) of a plate from (500, 300); beside a plate, at (12000, 8000).
    doc, m = new(); plate(m, 500, 300, 200); plate(m, 550, 320, 20, 20)
    m.add_hatch().paths.add_polyline_path([(550, 320), (570, 320), (570, 340), (550, 340)])
    save(doc, "hole_filled_550.dxf")
    doc, m = new(); plate(m, w=200)
    m.add_hatch().paths.add_polyline_path([(12000, 8000), (12100, 8000), (12100, 8100)])
    save(doc, "fill_beside_12000.dxf")

if __name__ == "__main__":
    write(sys.argv[1])
    write_more(sys.argv[1])
    write_fit_splines(sys.argv[1])
    write_round_off_and_leftovers(sys.argv[1])
    write_reasons(sys.argv[1])
