"""Parts that share their sheet only meshed (interlock.play), measured with
shapely on the saved drawing alone:

    interlock.py part FOLDER NAME   writes FOLDER/NAME.dxf: E_right|E_left|E_up|E_down, an E 130 x 140 (a spine
                                    30 wide, three legs 20 x 100, 40 apart), its legs pointing that way;
                                    comb_S_up|comb_S_down, ten teeth 10 x 60, S apart, on a spine 20 high
    interlock.py check DRAWING N GAP EDGE   the drawing has one sheet, with the N figures on it at least GAP
                                    apart and EDGE from its edges, the nearest ones at that (to 0.01 mm)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import ezdxf  # noqa: E402
import layout_check  # noqa: E402


def ring(name):
    kind, *way = name.split("_")
    if kind == "E":
        points = [(0, 0), (130, 0), (130, 20), (30, 20), (30, 60), (130, 60), (130, 80), (30, 80), (30, 120),
                  (130, 120), (130, 140), (0, 140)]
        quarters = ["right", "up", "left", "down"].index(way[0])
    else:
        slot = float(way[0])
        teeth = [(k * (10 + slot) + dx, y) for k in range(10) for dx, y in ((0, 20), (0, 80), (10, 80), (10, 20))]
        points = [(0, 0)] + teeth[1:-1] + [(teeth[-1][0], 0)]
        quarters = 0 if way[1] == "up" else 2
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
        edges = [sheet.exterior.distance(f["region"]) for f in figures if f["region"].within(sheet)]
        gaps = [a["region"].distance(b["region"]) for i, a in enumerate(figures) for b in figures[i + 1:]]
        for what, least, wanted in (("apart", min(gaps), gap), ("from the edge", min(edges, default=-1), edge)):
            if not wanted - 1e-3 < least < wanted + 0.01 or len(edges) != parts:
                faults.append(f"the nearest figures stand {least:.4f} mm {what}, {wanted} expected")
    for text in faults:
        print(f"{drawing}: {text}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["part"]:
        doc = ezdxf.new("R2007", units=4)
        doc.modelspace().add_lwpolyline(ring(sys.argv[3]), close=True)
        os.makedirs(sys.argv[2], exist_ok=True)
        doc.saveas(os.path.join(sys.argv[2], sys.argv[3] + ".dxf"))
    else:
        sys.exit(check(sys.argv[2], int(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5])))
