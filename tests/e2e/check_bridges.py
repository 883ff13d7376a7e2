"""check_bridges.py FILE [X,Y ...]: the bridges FILE shows stand at exactly
these points, to 0.001 mm: in a drawing (.vdw) the placements of its bridge
macros, in a DXF file the centres of its circles (a one-point bridge is a
circle). Debian's python3 with ezdxf; exits 1 naming the difference."""
import json
import sys


def drawing_points(path):
    with open(path, encoding="utf-8") as f:
        drawing = json.load(f)
    points = []
    for view in drawing["views"]:
        for obj in view["objects"]:
            if obj.get("user", {}).get("command") == 103:
                points.append(tuple(obj["origin"][:2]))
    return points


def dxf_points(path):
    import ezdxf

    return [tuple(e.dxf.center)[:2] for e in ezdxf.readfile(path).modelspace() if e.dxftype() == "CIRCLE"]


def key(point):
    return tuple(round(v, 3) + 0.0 for v in point)


path = sys.argv[1]
found = sorted(key(p) for p in (dxf_points(path) if path.lower().endswith(".dxf") else drawing_points(path)))
wanted = sorted(key(tuple(float(v) for v in arg.split(","))) for arg in sys.argv[2:])
if found != wanted:
    print(f"{path}: bridges at {found}, expected {wanted}")
    sys.exit(1)
