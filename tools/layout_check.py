#!/usr/bin/env python3
"""Checks a nesting drawing of the stand-in host on its own, from the drawing
file alone (and the text picture of the optimisation panel, when given): no
library code takes part.

    layout_check.py DRAWING [--figures N] [--panel DUMP] [--bridges N]

- every figure standing on a sheet lies inside the sheet's outline, and no two
  figures of one sheet overlap (areas by shapely);
  --figures N: the drawing holds N figures, on sheets or in the container;
- --panel DUMP: the optimisation panel's result grid has one row per sheet,
  with the sheet's area, its figures' area, their utilisation and the cut
  length as measured here, then the totals row with the overall utilisation;
  each sheet shows its size, length and utilisation in its page's title block
  (a drawing with page layouts) or in its result table;
- --bridges N: the drawing holds N bridges, each on the layer "Мостики/старты";
- nothing but library macros stands loose in the views (no preview left behind).

Exits 0 when every check holds, 1 with the failures listed otherwise.
"""
import argparse
import json
import math
import re
import sys

from shapely.geometry import LineString, Polygon
from shapely.ops import polygonize, unary_union

FIGURE, SHEET, BRIDGE = 101, 102, 103
LINE, CIRCLE, ARC, RECTANGLE, TABLE = 1, 2, 3, 7, 25
ARC_SAG = 1e-5  # mm a chord of a circle or an arc may leave it by; an arc keeps its exact ends
MACRO = 27
BRIDGES_LAYER = "Мостики/старты"
TOL = 1e-6

failures = []


def fail(text):
    failures.append(text)


def placed(macro, point):
    """A point of a macro's own coordinates in its view."""
    ox, oy = macro["origin"]
    a = math.radians(macro.get("angle", 0.0))
    x, y = point
    return (ox + x * math.cos(a) - y * math.sin(a), oy + x * math.sin(a) + y * math.cos(a))


def arc_points(m):
    """A circle's or an arc's points in the macro's coordinates, the arc's
    ends as drawn."""
    cx, cy = m["centre"]
    r = m["radius"]
    turn = math.pi / math.acos(1.0 - ARC_SAG / r) if r > ARC_SAG else 16  # chords of a whole turn
    if m["type"] == CIRCLE:
        n = max(16, int(math.ceil(turn)))
        ring = [(cx + r * math.cos(2 * math.pi * k / n), cy + r * math.sin(2 * math.pi * k / n)) for k in range(n)]
        return ring + ring[:1]
    (x1, y1), (x2, y2) = m["p1"], m["p2"]
    a1, a2 = math.atan2(y1 - cy, x1 - cx), math.atan2(y2 - cy, x2 - cx)
    sweep = (a2 - a1) % (2 * math.pi) if m.get("ccw", True) else -((a1 - a2) % (2 * math.pi))
    n = max(1, int(math.ceil(abs(sweep) / (2 * math.pi) * turn)))
    inner = [a1 + sweep * k / n for k in range(1, n)]
    return [(x1, y1)] + [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in inner] + [(x2, y2)]


class Ends:
    """The ends of an outline's members, each within TOL of one met before
    taken as that one: ends the drawing holds a rounding apart (an arc's end
    turned with its macro) meet, as the library joins them."""

    def __init__(self):
        self.cells = {}

    def snap(self, points):
        for k in (0, len(points) - 1):
            x, y = points[k]
            cx, cy = round(x / TOL), round(y / TOL)
            near = [q for i in (-1, 0, 1) for j in (-1, 0, 1) for q in self.cells.get((cx + i, cy + j), [])
                    if math.hypot(q[0] - x, q[1] - y) <= TOL]
            if near:
                points[k] = near[0]
            else:
                self.cells.setdefault((cx, cy), []).append((x, y))
        return points


def outline(macro, place=None):
    """The region a figure's or sheet's outline members enclose, in its view;
    a compound figure's members are macros of their own."""
    to_view = (lambda p: placed(macro, p)) if place is None else (lambda p: place(placed(macro, p)))
    lines, regions = [], []
    ends = Ends()
    for m in macro["members"]:
        if m["type"] == LINE:
            lines.append(LineString(ends.snap([to_view(m["start"]), to_view(m["end"])])))
        elif m["type"] in (CIRCLE, ARC):
            lines.append(LineString(ends.snap([to_view(q) for q in arc_points(m)])))
        elif m["type"] == RECTANGLE and not m.get("angle"):
            x, y = m["corner"]
            corners = [(x, y), (x + m["width"], y), (x + m["width"], y + m["height"]), (x, y + m["height"])]
            return Polygon([to_view(c) for c in corners])
        elif m["type"] == MACRO and "members" in m:
            regions.append(outline(m, to_view))
    # Each closed outline encloses its ring; the region is what an odd number
    # of them enclose (a washer's hole is no part of it), with the members'.
    region = Polygon()
    for face in (polygonize(unary_union(lines)) if lines else []):
        region = region.symmetric_difference(Polygon(face.exterior))
    return unary_union([region] + [r for r in regions if not r.is_empty])


def cell_texts(table):
    return [["".join(item["text"] for line in cell for item in line["items"]) for cell in row] for row in table["cells"]]


def read(path):
    """The sheets, figures and bridges of the drawing by their macros."""
    with open(path, encoding="utf-8") as f:
        drawing = json.load(f)
    sheets, figures, bridges = [], [], []
    for view in drawing["views"]:
        layers = {layer["number"]: layer["name"] for layer in view["layers"]}
        for obj in view["objects"]:
            if obj["type"] != MACRO:
                fail(f"an object of type {obj['type']} stands loose in view {view['number']}")
                continue
            command = obj.get("user", {}).get("command")
            if command == SHEET:
                tables = [cell_texts(m) for m in obj["members"] if m["type"] == TABLE]
                sheets.append({"view": view["number"], "region": outline(obj), "table": tables[0] if tables else None})
            elif command == FIGURE:
                figures.append({"view": view["number"], "name": obj["name"], "region": outline(obj)})
            elif command == BRIDGE:
                bridges.append({"view": view["number"], "layer": layers.get(obj["layer"], "")})
    return drawing, sheets, figures, bridges


def panel_rows(path):
    rows = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            match = re.match(r"\s+row (\d+): (.*)$", line)
            if match:
                rows[int(match.group(1))] = re.findall(r'"([^"]*)"', match.group(2))
    return rows


def near(text, value, digits):
    try:
        return abs(float(text) - value) <= 0.6 * 10 ** -digits
    except ValueError:
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("drawing")
    parser.add_argument("--figures", type=int)
    parser.add_argument("--panel")
    parser.add_argument("--bridges", type=int)
    args = parser.parse_args()

    drawing, sheets, figures, bridges = read(args.drawing)
    if not sheets:
        fail("no sheet in the drawing")
    by_view = {sheet["view"]: sheet for sheet in sheets}
    for figure in figures:
        if figure["region"].is_empty:
            fail(f"figure {figure['name']}: no closed outline")
    on_sheet = {view: [f for f in figures if f["view"] == view] for view in by_view}
    for view, placed_figures in on_sheet.items():
        sheet = by_view[view]["region"]
        for i, a in enumerate(placed_figures):
            outside = a["region"].difference(sheet).area
            if outside > TOL:
                fail(f"figure {a['name']} of view {view}: {outside:.6f} mm² outside its sheet")
            for b in placed_figures[i + 1:]:
                common = a["region"].intersection(b["region"]).area
                if common > TOL:
                    fail(f"figures {a['name']} and {b['name']} of view {view} overlap by {common:.6f} mm²")
    if args.figures is not None and len(figures) != args.figures:
        fail(f"{len(figures)} figures in the drawing, {args.figures} expected")

    if args.panel:
        rows = panel_rows(args.panel)
        # The model counts a sheet in the total when it carries figures.
        results = []
        for sheet in sorted(sheets, key=lambda s: s["view"]):
            area = sheet["region"].area
            covered = sum(f["region"].area for f in on_sheet[sheet["view"]])
            length = sum(f["region"].length for f in on_sheet[sheet["view"]])
            results.append((area, covered, covered * 100.0 / area, length))
        if sorted(rows) != list(range(len(results) + 2)):
            fail(f"grid rows {sorted(rows)}: a header, {len(results)} sheets and a total expected")
        for i, (area, covered, kim, length) in enumerate(results, start=1):
            row = rows.get(i, [])
            if len(row) != 5 or row[0] != str(i) or not (near(row[1], area, 1) and near(row[2], covered, 1)
                                                        and near(row[3], kim, 2) and near(row[4], length, 2)):
                fail(f"grid row {i} {row}: {area:.1f}, {covered:.1f}, {kim:.2f}, {length:.2f} measured")
        used = [r for r in results if r[1] > 0]
        total = sum(r[1] for r in used) * 100.0 / sum(r[0] for r in used) if used else 0.0
        last = rows.get(len(results) + 1, [])
        if len(last) != 5 or last[0] != "Итого" or not near(last[3], total, 2):
            fail(f"totals row {last}: utilisation {total:.2f} measured")
        # Each sheet's own figures: in its page's title block, or in its result table.
        stamps = [{c["cell"]: "".join(i["text"] for l in c["lines"] for i in l["items"]) for c in page["stamp"]}
                  for page in drawing["pages"]]
        with_layout = any(stamps)
        for i, (area, covered, kim, length) in enumerate(results):
            if with_layout:
                stamp = stamps[i] if i < len(stamps) else {}
                if not (near(stamp.get(1104, ""), kim, 2) and near(stamp.get(1103, ""), length, 3)):
                    fail(f"title block of page {i + 1}: {stamp}")
            else:
                table = sorted(sheets, key=lambda s: s["view"])[i]["table"]
                if not table or len(table) < 2 or not near(table[1][3], kim, 2) or not near(table[1][4], length, 2):
                    fail(f"result table of sheet {i + 1}: {table}")

    if args.bridges is not None:
        if len(bridges) != args.bridges:
            fail(f"{len(bridges)} bridges in the drawing, {args.bridges} expected")
        for bridge in bridges:
            if bridge["layer"] != BRIDGES_LAYER:
                fail(f"a bridge of view {bridge['view']} on layer {bridge['layer']!r}")

    for text in failures:
        print(f"{args.drawing}: {text}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
