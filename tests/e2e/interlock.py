"""Parts that share their sheet only meshed (interlock.play).

    interlock.py part FOLDER NAME   FOLDER/NAME.dxf: E_right|_left|_up|_down, an E 130 x 140 (spine 30, three
                                    legs 20 x 100, 40 apart) with its legs that way; comb_S_up|_down, ten
                                    teeth 10 x 60, S apart, on a spine 20 high; disc_D a circle of
                                    diameter D, halfdisc_D the same drawn as two half arcs of a polyline;
                                    tri_A_B_HAND a right triangle with legs A along x and B along y from
                                    its right angle, mirrored (HAND m) or not (n) across the y axis, then
                                    turned by the degrees HAND ends with (n0, m90, ...)
    interlock.py check DRAWING N GAP EDGE [SHEETS]   SHEETS sheets (one by default) hold the N parts (a
                                    joined pair's two), on each the nearest ones GAP apart and EDGE from
                                    its edge (no less, nor 0.01 mm more), measured by shapely
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import ezdxf  # noqa: E402
import layout_check  # noqa: E402


def ring(name):
    kind, way, *up = name.split("_")
    if kind == "tri":
        a, b, hand = float(way), float(up[0]), up[1]
        points = [(0, 0), (-a if hand[0] == "m" else a, 0), (0, b)]
        turn = math.radians(float(hand[1:]))
        c, s = round(math.cos(turn)), round(math.sin(turn))
        return [(x * c - y * s, x * s + y * c) for x, y in points]
    if kind == "E":
        points = [(0, 0), (130, 0), (130, 20), (30, 20), (30, 60), (130, 60), (130, 80), (30, 80), (30, 120),
                  (130, 120), (130, 140), (0, 140)]
        quarters = ["right", "up", "left", "down"].index(way)
    else:
        left = [k * (10 + float(way)) for k in range(10)]
        teeth = [(x + dx, y) for x in left for dx, y in ((0, 20), (0, 80), (10, 80), (10, 20))]
        points, quarters = [(0, 0)] + teeth[1:-1] + [(teeth[-1][0], 0)], 0 if up == ["up"] else 2
    for _ in range(quarters):
        points = [(-y, x) for x, y in points]
    return points


def check(drawing, parts, gap, edge, count=1):
    _, sheets, figures, _ = layout_check.read(drawing)
    faults = list(layout_check.failures)
    # A joined pair's region is its two parts'.
    placed = [(f["view"], p) for f in figures for p in getattr(f["region"], "geoms", [f["region"]])]
    views = {s["view"] for s in sheets}
    if len(sheets) != count or len(placed) != parts or any(view not in views for view, _ in placed):
        faults.append(f"{len(sheets)} sheets and {len(placed)} parts, {count} sheets holding {parts} expected")
    else:
        for sheet in sheets:
            region = sheet["region"]
            on = [p for view, p in placed if view == sheet["view"]]
            edges = [region.exterior.distance(p) if p.within(region) else -1 for p in on]
            gaps = [a.distance(b) for i, a in enumerate(on) for b in on[i + 1:]]
            for what, least, wanted in (("apart", min(gaps, default=gap), gap), ("from the edge", min(edges), edge)):
                if not wanted - 1e-3 < least < wanted + 0.01:
                    faults.append(f"the nearest parts stand {least:.4f} mm {what}, {wanted} expected")
    for text in faults:
        print(f"{drawing}: {text}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    if sys.argv[1] == "part":
        doc = ezdxf.new("R2007", units=4)
        kind, size = sys.argv[3].split("_")[:2]
        if kind == "disc":
            doc.modelspace().add_circle((0, 0), float(size) / 2)
        elif kind == "halfdisc":
            r = float(size) / 2
            doc.modelspace().add_lwpolyline([(-r, 0, 1), (r, 0, 1)], format="xyb", close=True)
        else:
            doc.modelspace().add_lwpolyline(ring(sys.argv[3]), close=True)
        os.makedirs(sys.argv[2], exist_ok=True)
        doc.saveas(os.path.join(sys.argv[2], sys.argv[3] + ".dxf"))
    else:
        sys.exit(check(sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5]), *map(int, sys.argv[6:7])))
