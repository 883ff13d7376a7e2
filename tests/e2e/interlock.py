"""Parts that share their sheet only meshed (interlock.play).

    interlock.py part FOLDER NAME   FOLDER/NAME.dxf: E_right|_left|_up|_down, an E 130 x 140 (spine 30, three
                                    legs 20 x 100, 40 apart) with its legs that way; comb_S_up|_down, ten
                                    teeth 10 x 60, S apart, on a spine 20 high; disc_D a circle of
                                    diameter D, halfdisc_D the same drawn as two half arcs of a polyline
    interlock.py check DRAWING N GAP EDGE   one sheet holds the N figures, the nearest ones GAP apart and
                                    EDGE from its edge (no less, nor 0.01 mm more), measured by shapely
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import ezdxf  # noqa: E402
import layout_check  # noqa: E402


def ring(name):
    kind, way, *up = name.split("_")
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


def check(drawing, parts, gap, edge):
    _, sheets, figures, _ = layout_check.read(drawing)
    faults = list(layout_check.failures)
    if len(sheets) != 1 or len(figures) != parts or any(f["view"] != sheets[0]["view"] for f in figures):
        faults.append(f"{len(sheets)} sheets and {len(figures)} figures, one sheet holding {parts} expected")
    else:
        sheet = sheets[0]["region"]
        edges = [sheet.exterior.distance(f["region"]) if f["region"].within(sheet) else -1 for f in figures]
        gaps = [a["region"].distance(b["region"]) for i, a in enumerate(figures) for b in figures[i + 1:]]
        for what, least, wanted in (("apart", min(gaps), gap), ("from the edge", min(edges), edge)):
            if not wanted - 1e-3 < least < wanted + 0.01:
                faults.append(f"the nearest figures stand {least:.4f} mm {what}, {wanted} expected")
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
        sys.exit(check(sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5])))
