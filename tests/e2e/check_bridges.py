"""check_bridges.py FILE [X,Y ...]: the bridges FILE shows stand at exactly
these points (to 0.001 mm): a drawing's bridge macros (a map's plain ones,
by their names), a DXF file's circles.
Debian's python3 with ezdxf; exits 1 naming the difference."""
import json
import sys

path = sys.argv[1]
if path.lower().endswith(".dxf"):
    import ezdxf

    found = [e.dxf.center for e in ezdxf.readfile(path).modelspace() if e.dxftype() == "CIRCLE"]
else:
    with open(path, encoding="utf-8") as f:
        views = json.load(f)["views"]
    found = [o["origin"] for v in views for o in v["objects"]
             if o.get("user", {}).get("command") == 103 or o.get("name", "").startswith("Мостик: ")]
found = sorted((round(p[0], 3) + 0.0, round(p[1], 3) + 0.0) for p in found)
wanted = sorted(tuple(round(float(v), 3) + 0.0 for v in a.split(",")) for a in sys.argv[2:])
if found != wanted:
    sys.exit(f"{path}: bridges at {found}, expected {wanted}")
