"""Measures the exported remnants against the exported sheets on their own,
from the DXF files alone (Debian's /usr/bin/python3 with ezdxf and shapely):

    check_remnant_dxf.py EXPORT_FOLDER GAP [--remnants N] [--min-width W]

The sheet "<name> N.dxf" holds its outline and its parts' outlines; each
remnant "wasteN-...dxf" lies in the same coordinates on sheet N. The parts'
material is what their outlines enclose an odd number of times (a part in
another's hole is material, the free area that parts touching one another
close in is not); a remnant's area, what its outlines do. No remnant may
hold any area of a part, nor come nearer to one than GAP (less 0.01 mm).
--remnants N: N remnant files are measured, one per remnant of the drawing
(a remnant left out of the export is a fault too). A remnant's file name
gives the size of a rectangle, in whole millimetres rounded down, and none
of any other shape. --min-width W: no remnant, nor any arm or strip of one,
is narrower than W (what a square of side W sweeps within it is all of it,
less 1 mm²). Exits 0 when every check holds, 1 with the faults listed.
"""
import argparse
import math
import re
import sys
from pathlib import Path

import ezdxf
from ezdxf import path as dxfpath
from shapely.geometry import LineString, Polygon
from shapely.ops import polygonize, unary_union
from shapely.validation import make_valid

SAG = 1e-4        # mm an arc's chords may leave it by
JOIN = 1e-3       # mm within which the ends of two pieces are one point
GAP_SHORT = 0.01  # mm a remnant may come nearer than the gap
COMMON = 1e-6     # mm² a remnant and a part may share
NARROW = 1.0      # mm² of a remnant a square of the least width may leave
SIZE = re.compile(r"\)\s+(?:[\d.]+x)?(\d+)x(\d+)(?=\s|$)")


class Ends:
    """Points within JOIN of one met before become that one: a contour's
    pieces, written one by one, meet by rounding only."""

    def __init__(self):
        self.cells = {}

    def __call__(self, p):
        kx, ky = round(p[0] / JOIN), round(p[1] / JOIN)
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                for q in self.cells.get((kx + dx, ky + dy), []):
                    if math.hypot(q[0] - p[0], q[1] - p[1]) < JOIN:
                        return q
        self.cells.setdefault((kx, ky), []).append(p)
        return p


def lines_of(path):
    """The file's lines, arcs, circles and polylines as chains of points, their
    arcs flattened within SAG."""
    lines, ends = [], Ends()
    for e in ezdxf.readfile(path).modelspace():
        kind = e.dxftype()
        if kind == "LINE":
            points = [e.dxf.start, e.dxf.end]
        elif kind in ("CIRCLE", "ARC"):
            points = list(e.flattening(SAG))
        elif kind in ("LWPOLYLINE", "POLYLINE"):
            points = list(dxfpath.make_path(e).flattening(SAG))
            if e.closed and points[0] != points[-1]:
                points.append(points[0])
        else:
            continue
        lines.append(LineString([ends((p.x, p.y)) for p in points]))
    return lines


def closed_rings(lines):
    """The closed outlines the pieces make, each piece used once, as areas:
    where outlines touch, a chain may run on from one into the other; it
    still encloses what they do, taken an odd number of times."""
    ends = {}
    for i, line in enumerate(lines):
        for p in (line.coords[0], line.coords[-1]):
            ends.setdefault(p, []).append(i)
    used, rings = [False] * len(lines), []
    for start in range(len(lines)):
        if used[start]:
            continue
        used[start] = True
        ring = list(lines[start].coords)
        while ring[0] != ring[-1]:
            following = next((j for j in ends.get(ring[-1], []) if not used[j]), None)
            if following is None:
                break
            used[following] = True
            coords = list(lines[following].coords)
            ring += (coords if coords[0] == ring[-1] else coords[::-1])[1:]
        if ring[0] == ring[-1] and len(ring) >= 4:
            rings.append(make_valid(Polygon(ring)))
    return sorted(rings, key=lambda r: -r.area)


def faces(path, drop_largest=False):
    """What the file's outlines enclose an odd number of times (outlines in
    holes, holes in those...; parts touching one another leave the free area
    they close in free), as the faces of the drawing that make it up.
    drop_largest: the largest outline (a sheet's) does not count."""
    lines = lines_of(path)
    if not lines:
        return []
    rings = closed_rings(lines)
    if drop_largest:
        rings = rings[1:]
    return [face for face in polygonize(unary_union(lines))
            if sum(1 for ring in rings if ring.contains(face.representative_point())) % 2]


def common_area(a, b, deeper=0.0):
    """What the remnant's faces `a` share with the parts' faces `b` (farther
    than `deeper` inside them)."""
    return sum(f.intersection(g.buffer(-deeper) if deeper else g).area
               for f in a for g in b if f.envelope.intersects(g.envelope))


def name_faults(name, region):
    """A rectangle's size in the name, floored; none for another shape."""
    given = SIZE.search(name)
    rectangle = abs(region.area - region.envelope.area) <= 1e-6 * max(region.area, 1.0)
    if not rectangle:
        return [f"{name}: no rectangle, yet named with the size {given.group(0)[1:].strip()}"] if given else []
    x1, y1, x2, y2 = region.bounds
    sides = sorted(math.floor(v + 1e-3) for v in (x2 - x1, y2 - y1))
    if not given:
        return [f"{name}: a rectangle {x2 - x1:.3f} x {y2 - y1:.3f} named without its size"]
    if sorted(int(v) for v in given.groups()) != sides:
        return [f"{name}: named {given.group(1)}x{given.group(2)}, drawn {x2 - x1:.3f} x {y2 - y1:.3f}"]
    return []


def narrow_area(region, width):
    """What of the region a square of side `width` cannot sweep inside it."""
    r = width / 2 - 1e-3
    opened = region.buffer(-r, join_style=2, mitre_limit=10).buffer(r, join_style=2, mitre_limit=10)
    return region.difference(opened).area


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("gap", type=float)
    parser.add_argument("--remnants", type=int)
    parser.add_argument("--min-width", type=float)
    args = parser.parse_args()
    folder = Path(args.folder)
    faults, measured, nearest, sheets = [], 0, math.inf, {}
    for path in folder.glob("*.dxf"):
        number = re.fullmatch(r"\D*?(\d+)\.dxf", path.name)
        if path.name.startswith("waste") or path.name == "card.dxf" or not number:
            continue
        # The sheet's outline is the largest ring; the parts lie inside it.
        sheets[number.group(1)] = faces(path, drop_largest=True)
    for path in sorted(folder.glob("waste*.dxf")):
        sheet = re.match(r"waste(\d+)-", path.name)
        if not sheet or sheet.group(1) not in sheets:
            faults.append(f"{path.name}: no sheet file of its own")
            continue
        remnant = faces(path)
        if not remnant:
            faults.append(f"{path.name}: no closed outline")
            continue
        measured += 1
        region = unary_union(remnant)
        faults += name_faults(path.stem, region)
        if args.min_width is not None and (left := narrow_area(region, args.min_width)) > NARROW:
            faults.append(f"{path.name}: {left:.2f} mm² of it narrower than {args.min_width}")
        material = sheets[sheet.group(1)]
        apart = min((f.distance(g) for f in remnant for g in material), default=math.inf)
        nearest = min(nearest, apart)
        # The chords an arc is read on pass inside it by up to SAG: an outline
        # drawn along a part's hollow (a hole, a rounded inner corner) through
        # points of its arc meets a part read so within that much.
        if common_area(remnant, material, SAG) > COMMON:
            faults.append(f"{path.name} holds {common_area(remnant, material):.4f} mm² of the parts")
        elif apart < args.gap - GAP_SHORT:
            faults.append(f"{path.name} stands {apart:.4f} mm from a part, within the gap {args.gap}")
    if args.remnants is not None and measured != args.remnants:
        faults.append(f"{measured} remnant files measured, {args.remnants} expected")
    for fault in faults:
        print(fault)
    print(f"check_remnant_dxf: {measured} remnants on {len(sheets)} sheets, nearest part {nearest:.4f} mm, "
          f"{len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
