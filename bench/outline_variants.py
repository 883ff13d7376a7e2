#!/usr/bin/python3
"""Writes variants of every instance file of a folder, the outlines given as
CAD exports and drawings give them, one folder per kind:

    bench/outline_variants.py [--seed N] SOURCE_DIR TARGET_DIR

    TARGET_DIR/repeats  an exact repeat of a vertex at a few places of every
                        ring (once, twice, and the first point once more)
    TARGET_DIR/near     a vertex followed by one 1e-7, 1e-6, 1e-5 and 1e-3 mm
                        away along the outline (off its line by less than
                        half the point tolerance), at a few places of every
                        ring
    TARGET_DIR/origin   every part moved off its own origin: odd items centred
                        on it, even items offset by up to 2 m in x and y
    TARGET_DIR/scaled   everything ten times as large, the strip too
    TARGET_DIR/all      all of these at once

Every variant is written in millimetres ("units": "mm"; the classic instances
scaled to a strip 1,000 mm high, as place_bench reads them), so that the
distances above are millimetres. Holes ("holes" beside "data", each ring closed
like the outline) get the same treatment. The copies keep ids, demands and
orientations; nfp_oracle and place_bench read them like the originals."""
import json
import math
import random
import sys
from fractions import Fraction

from repeat_vertices import read_instances

STRIP_MILLIMETRES = 1000.0
NEAR_DISTANCES = (1e-7, 1e-6, 1e-5, 1e-3)
POINT_TOLERANCE = 1e-4  # mm: points this close are one
MAX_OFFSET = 2000.0
SCALE = 10.0
KINDS = ("repeats", "near", "origin", "scaled", "all")


def open_ring(points):
    ring = [[float(x), float(y)] for x, y in points]
    if len(ring) > 1 and ring[0] == ring[-1]:
        ring.pop()
    return ring


def closed(ring):
    return ring + [list(ring[0])]


def places(ring, count):
    """A few vertex indices spread along the ring, none of them the first."""
    n = len(ring)
    count = min(count, n - 1)
    return sorted({1 + (j * (n - 1)) // count for j in range(count)}) if count > 0 else []


def with_repeats(ring):
    """Repeats a vertex once at one place, twice at another, and ends the ring
    on its first point before the file closes it again."""
    out = []
    spots = places(ring, 2)
    for k, p in enumerate(ring):
        out.append(p)
        if spots and k == spots[0]:
            out.append(list(p))
        if len(spots) > 1 and k == spots[1]:
            out += [list(p), list(p)]
    out.append(list(ring[0]))
    return out


def side(a, b, c):
    """The sign of the turn a -> b -> c, computed exactly."""
    a, b, c = ([Fraction(v) for v in p] for p in (a, b, c))
    cross = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
    return (cross > 0) - (cross < 0)


def cross(a, b, c, d):
    """Segments a-b and c-d share a point."""
    s1, s2, s3, s4 = side(a, b, c), side(a, b, d), side(c, d, a), side(c, d, b)
    if s1 * s2 < 0 and s3 * s4 < 0:
        return True

    def on(p, q, r):  # r on the segment p-q, given that the three are collinear
        return min(p[0], q[0]) <= r[0] <= max(p[0], q[0]) and min(p[1], q[1]) <= r[1] <= max(p[1], q[1])
    return ((s1 == 0 and on(a, b, c)) or (s2 == 0 and on(a, b, d)) or (s3 == 0 and on(c, d, a)) or
            (s4 == 0 and on(c, d, b)))


def with_near_repeats(ring, rng):
    """After a vertex at a few places, one more a tiny distance along the
    outline, off its line by less than half the point tolerance either way
    (as exports of arcs leave them; the part stays the same part), in a
    direction that keeps the ring simple (the new edge and the next one cross
    neither the edge before nor the edge after them)."""
    spots = dict(zip(places(ring, len(NEAR_DISTANCES)), NEAR_DISTANCES))
    n = len(ring)
    out = []
    for k, p in enumerate(ring):
        out.append(p)
        if k not in spots or n < 4:
            continue
        d = spots[k]
        o, r, s = ring[k - 1], ring[(k + 1) % n], ring[(k + 2) % n]
        along = math.atan2(r[1] - p[1], r[0] - p[0])
        spread = math.asin(min(1.0, 0.5 * POINT_TOLERANCE / d))
        for attempt in range(16):
            a = along + rng.uniform(-spread, spread)
            q = [p[0] + d * math.cos(a), p[1] + d * math.sin(a)]
            if (q != p and q != r and side(p, q, r) != 0 and not cross(o, p, q, r) and
                    not cross(p, q, r, s)):
                out.append(q)
                break
    return out


def moved(rings, dx, dy):
    return [[[x + dx, y + dy] for x, y in ring] for ring in rings]


def centre(ring):
    xs = [p[0] for p in ring]
    ys = [p[1] for p in ring]
    return (min(xs) + max(xs)) / 2.0, (min(ys) + max(ys)) / 2.0


def millimetres(doc):
    """The factor from the file's units to millimetres: the industrial
    instances are millimetres, the classic ones scaled to a 1,000 mm strip."""
    name = str(doc.get("name", ""))
    height = float(doc.get("strip_height", 0.0))
    if doc.get("units") == "mm" or name.startswith("gardeyn") or height <= 0.0:
        return 1.0
    return STRIP_MILLIMETRES / height


def variant(doc, kind, rng):
    out = json.loads(json.dumps(doc))
    factor = millimetres(doc) * (SCALE if kind in ("scaled", "all") else 1.0)
    if "strip_height" in out:
        out["strip_height"] = float(out["strip_height"]) * factor
    out["units"] = "mm"
    for index, item in enumerate(out.get("items", [])):
        shape = item.get("shape", {})
        if "data" not in shape:
            continue
        rings = [open_ring(shape["data"])] + [open_ring(h) for h in shape.get("holes", [])]
        rings = [[[x * factor, y * factor] for x, y in ring] for ring in rings]
        if kind in ("origin", "all"):
            cx, cy = centre(rings[0])
            dx, dy = (0.0, 0.0) if index % 2 else (rng.uniform(-MAX_OFFSET, MAX_OFFSET),
                                                 rng.uniform(-MAX_OFFSET, MAX_OFFSET))
            rings = moved(rings, dx - cx, dy - cy)
        if kind in ("near", "all"):
            rings = [with_near_repeats(ring, rng) for ring in rings]
        if kind in ("repeats", "all"):
            rings = [with_repeats(ring) for ring in rings]
        shape["data"] = closed(rings[0])
        if len(rings) > 1:
            shape["holes"] = [closed(ring) for ring in rings[1:]]
    return out


def main(argv):
    seed = 1
    if len(argv) == 5 and argv[1] == "--seed":
        seed = int(argv[2])
        argv = [argv[0]] + argv[3:]
    docs, target, status = read_instances("outline_variants", "[--seed N] ", argv)
    if docs is None:
        return status
    for kind in KINDS:
        folder = target / kind
        folder.mkdir(parents=True, exist_ok=True)
        for name, doc in docs:
            rng = random.Random(f"{seed}:{kind}:{name}")
            with open(folder / name, "w", encoding="utf-8") as f:
                json.dump(variant(doc, kind, rng), f)
    print(f"outline_variants: {len(docs)} instances in {len(KINDS)} variants written to {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
