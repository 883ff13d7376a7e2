"""Independent checks of the documentation and export files, with Debian's
python3 and python3-ezdxf.

  io_check.py csv FILE...   JSON {file: rows} as Python's csv module reads the
                            register (";" delimited, UTF-8); "bom": true when a
                            byte-order mark leads the file
  io_check.py dxf FILE...   JSON {file: {"errors": n, "areas": [...]}}: the
                            audit errors after a strict load, and the areas of
                            the closed outlines (closed polylines, circles and
                            loops of lines) in model space
"""
import csv
import json
import math
import sys

import ezdxf


def read_csv(file):
    with open(file, "rb") as f:
        bom = f.read(3) == b"\xef\xbb\xbf"
    with open(file, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))
    return {"bom": bom, "rows": rows}


def ring_area(points):
    s = 0.0
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        s += x1 * y2 - x2 * y1
    return abs(s) / 2.0


def key(p):
    return (round(p[0], 4), round(p[1], 4))


def line_loops(lines):
    """Areas of the simple loops the lines make, each line used once."""
    ends = {}
    for i, (a, b) in enumerate(lines):
        ends.setdefault(key(a), []).append(i)
        ends.setdefault(key(b), []).append(i)
    used = [False] * len(lines)
    areas = []
    for start in range(len(lines)):
        if used[start]:
            continue
        used[start] = True
        a, b = lines[start]
        ring = [a]
        at = b
        while key(at) != key(a):
            nxt = next((j for j in ends.get(key(at), []) if not used[j]), None)
            if nxt is None:
                ring = None
                break
            used[nxt] = True
            p, q = lines[nxt]
            ring.append(at)
            at = q if key(p) == key(at) else p
        if ring and len(ring) >= 3:
            areas.append(ring_area(ring))
    return areas


def read_dxf(file):
    doc = ezdxf.readfile(file)
    auditor = doc.audit()
    areas, lines = [], []
    for e in doc.modelspace():
        kind = e.dxftype()
        if kind == "LINE":
            lines.append((tuple(e.dxf.start)[:2], tuple(e.dxf.end)[:2]))
        elif kind == "LWPOLYLINE" and e.closed:
            areas.append(ring_area([tuple(p)[:2] for p in e.get_points("xy")]))
        elif kind == "CIRCLE":
            areas.append(math.pi * e.dxf.radius ** 2)
    areas += line_loops(lines)
    return {"errors": len(auditor.errors), "areas": sorted(areas)}


if __name__ == "__main__":
    read = read_csv if sys.argv[1] == "csv" else read_dxf
    out = {}
    for file in sys.argv[2:]:
        try:
            out[file] = read(file)
        except Exception as error:  # reported to the test, which fails on it
            out[file] = {"error": str(error)}
    json.dump(out, sys.stdout, ensure_ascii=False)
