#!/usr/bin/env python3
"""Measures what a DXF import wrote against the DXF files it read, with no
library code taking part (Debian's /usr/bin/python3 with ezdxf and shapely):

    check_dxf_import.py DXF_FOLDER FRAGMENT_FOLDER

Every fragment X.vfw (or X_2.vfw, ... for a second file of that name) in
FRAGMENT_FOLDER must enclose, with the curves on its layer 0, the area that
the closed outlines of X.dxf in DXF_FOLDER enclose (holes taken away, islands
added back), within 0.1 %. The DXF side is read by ezdxf in millimetres (its
$INSUNITS applied, when it states one), the fragment side from the stand-in host's document file;
both are flattened to 0.001 mm and their ends snapped to a 0.002 mm grid.

Exits 0 when every fragment holds, 1 with the failures listed otherwise.
"""
import json
import math
import os
import re
import sys
from functools import reduce

import ezdxf
from ezdxf.math import BSpline, ConstructionArc, Vec2, Vec3, bulge_to_arc
from ezdxf.units import conversion_factor
from shapely.geometry import LineString, Polygon
from shapely.ops import polygonize, unary_union

SAG = 0.001
GRID = 3  # decimals of the snapping grid, mm
SNAP = 0.002  # its step, mm: ends the import joins (closer than 0.001 mm) fall onto one node
TOLERANCE = 0.001  # relative
POINT_TOLERANCE = 1e-4  # mm: points nearer are one point


def snapped(points):
    out = []
    for x, y in points:
        p = (round(round(x / SNAP) * SNAP, GRID), round(round(y / SNAP) * SNAP, GRID))
        if not out or out[-1] != p:
            out.append(p)
    return out


def enclosed_area(chains):
    """The even-odd area the chains of points enclose, once noded."""
    lines = [LineString(c) for c in (snapped(c) for c in chains) if len(c) > 1]
    if not lines:
        return 0.0
    faces = list(polygonize(unary_union(lines)))
    if not faces:
        return 0.0
    return reduce(lambda a, b: a.symmetric_difference(b), [Polygon(f.exterior) for f in faces]).area


def entity_chains(e, sag):
    """The points along a DXF curve: polylines by their lines and arcs, every
    curve flattened by ezdxf itself."""
    kind = e.dxftype()
    if kind == "LINE":
        return [[e.dxf.start, e.dxf.end]]
    if kind == "LWPOLYLINE" or (kind == "POLYLINE" and e.is_2d_polyline):
        return polyline_chains(e, sag)
    if kind == "POLYLINE":
        return [c for part in e.virtual_entities() for c in entity_chains(part, sag)]
    if kind == "ELLIPSE" and not 0 < e.dxf.ratio <= 1:  # no ellipse: it encloses nothing
        return []
    if kind in ("ARC", "CIRCLE") and e.dxf.radius < POINT_TOLERANCE:
        return []  # a point
    if kind == "ARC" and 0 < e.dxf.radius * math.radians((e.dxf.end_angle - e.dxf.start_angle) % 360) < POINT_TOLERANCE:
        return []  # a point
    if kind in ("ARC", "CIRCLE", "ELLIPSE", "SPLINE"):
        return [list(e.flattening(sag))]
    if kind == "INSERT":  # block copies, placed, scaled and mirrored
        return [c for part in e.virtual_entities() for c in entity_chains(part, sag)]
    return []


def polyline_chains(e, sag):
    """A 2D polyline edge by edge, in its own coordinates and then placed as
    ezdxf places it: a bulge that stands its edge off the chord by less than
    the point tolerance (CAD round-off) is a straight edge."""
    if e.dxftype() == "LWPOLYLINE":
        points = [(x, y, b) for x, y, b in e.get_points("xyb")]
    else:
        # The control frame of a polyline smoothed into a spline is not drawn.
        points = [(v.dxf.location.x, v.dxf.location.y, v.dxf.bulge) for v in e.vertices if not v.dxf.flags & 16]
    closed = e.closed if e.dxftype() == "LWPOLYLINE" else e.is_closed
    if closed and points:
        points.append(points[0])
    ocs = e.ocs()
    elevation = e.dxf.elevation if e.dxftype() == "LWPOLYLINE" else e.dxf.elevation.z
    chains = []
    for (x0, y0, b), (x1, y1, _) in zip(points, points[1:]):
        start, end = Vec2(x0, y0), Vec2(x1, y1)
        if abs(b) * start.distance(end) / 2 <= POINT_TOLERANCE:
            chain = [start, end]
        else:
            centre, a0, a1, r = bulge_to_arc(start, end, b)
            chain = list(ConstructionArc(centre, r, math.degrees(a0), math.degrees(a1)).flattening(sag))
            if b < 0:
                chain.reverse()
        chains.append([ocs.to_wcs(Vec3(p.x, p.y, elevation)) for p in chain])
    return chains


def dxf_area(file):
    doc = ezdxf.readfile(file)
    # A file without a header is in millimetres, as the import reads it
    # (ezdxf gives such a file a default header of its own).
    with open(file, "rb") as f:
        stated = b"$INSUNITS" in f.read()
    units = doc.header.get("$INSUNITS", 0) if stated else 0
    scale = conversion_factor(units, 4) if units else 1.0
    chains = []
    for e in doc.modelspace():
        for chain in entity_chains(e, SAG / scale):
            chains.append([(v.x * scale, v.y * scale) for v in chain])
    return enclosed_area(chains)


def circular(centre, radius, start, sweep):
    n = max(8, int(math.ceil(abs(sweep) / (2 * math.acos(max(-1.0, 1 - SAG / radius))))))
    return [(centre[0] + radius * math.cos(start + sweep * k / n), centre[1] + radius * math.sin(start + sweep * k / n))
            for k in range(n + 1)]


def sweep_of(start, end, ccw):
    d = end - start if ccw else start - end
    s = math.fmod(d, 2 * math.pi)
    if s < 0:
        s += 2 * math.pi
    if s < 1e-12:
        s = 2 * math.pi
    return s if ccw else -s


def elliptic(c, start, sweep):
    cos_r, sin_r = math.cos(c["rotation"]), math.sin(c["rotation"])
    n = 4000
    out = []
    for k in range(n + 1):
        t = start + sweep * k / n
        x, y = c["a"] * math.cos(t), c["b"] * math.sin(t)
        out.append((c["centre"][0] + x * cos_r - y * sin_r, c["centre"][1] + x * sin_r + y * cos_r))
    return out


def curve_points(c):
    kind = c["curve"]
    if kind == "segment":
        return [tuple(c["start"]), tuple(c["end"])]
    if kind == "arc":
        return circular(c["centre"], c["radius"], c["start"], sweep_of(c["start"], c["end"], c["ccw"]))
    if kind == "circle":
        return circular(c["centre"], c["radius"], 0.0, 2 * math.pi)
    if kind == "ellipse":
        return elliptic(c, 0.0, 2 * math.pi)
    if kind == "ellipticArc":
        return elliptic(c, c["start"], sweep_of(c["start"], c["end"], c["ccw"]))
    if kind == "nurbs":
        spline = BSpline(c["poles"], order=c["degree"] + 1, knots=c["knots"], weights=c["weights"] or None)
        return [(v.x, v.y) for v in spline.flattening(SAG)]
    if kind == "polyline":
        points = [tuple(p) for p in c["points"]]
        return points + points[:1] if c["closed"] else points
    raise ValueError("a curve of kind " + kind)


def object_points(o):
    """The chains of one drawing object of the document file; none for a text or a table."""
    if "pieces" in o:
        return [curve_points(p) for p in o["pieces"]]
    if "curve" in o:
        return [curve_points(o["curve"])]
    if "nurbs" in o:
        return [curve_points(o["nurbs"])]
    if "p1" in o:
        a1 = math.atan2(o["p1"][1] - o["centre"][1], o["p1"][0] - o["centre"][0])
        a2 = math.atan2(o["p2"][1] - o["centre"][1], o["p2"][0] - o["centre"][0])
        return [circular(o["centre"], o["radius"], a1, sweep_of(a1, a2, o["ccw"]))]
    if "centre" in o and "radius" in o:
        return [circular(o["centre"], o["radius"], 0.0, 2 * math.pi)]
    if "start" in o and "end" in o:
        return [[tuple(o["start"]), tuple(o["end"])]]
    if "points" in o:
        points = [tuple(p) for p in o["points"]]
        return [points + points[:1] if o["closed"] else points]
    return []


def fragment_area(file):
    with open(file, encoding="utf-8") as f:
        doc = json.load(f)
    chains = []
    for view in doc["views"]:
        for o in view["objects"]:
            if o["layer"] == 0:
                chains.extend(object_points(o))
    return enclosed_area(chains)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    dxf_folder, fragment_folder = sys.argv[1:]
    failures = []
    fragments = sorted(f for f in os.listdir(fragment_folder) if f.endswith(".vfw"))
    if not fragments:
        failures.append("no fragment in " + fragment_folder)
    for fragment in fragments:
        stem = fragment[:-4]
        source = os.path.join(dxf_folder, stem + ".dxf")
        if not os.path.exists(source):
            source = os.path.join(dxf_folder, re.sub(r"_\d+$", "", stem) + ".dxf")
        expected = dxf_area(source)
        found = fragment_area(os.path.join(fragment_folder, fragment))
        line = f"{fragment}: {found:.4f} mm², {os.path.basename(source)} encloses {expected:.4f} mm²"
        print(line)
        if expected <= 0 or abs(found - expected) > TOLERANCE * expected:
            failures.append(line)
    for failure in failures:
        print("FAILED " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
