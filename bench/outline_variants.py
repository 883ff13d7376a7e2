#!/usr/bin/python3
"""Writes variants of every instance file of a folder, the outlines given as
CAD exports and drawings give them, one folder per kind:

    bench/outline_variants.py [--seed N] [--kinds LIST] SOURCE_DIR TARGET_DIR

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
    TARGET_DIR/tiny     everything a tenth as large (parts of a few mm)
    TARGET_DIR/huge     everything a hundred times as large
    TARGET_DIR/rotated  every outline turned by 17 degrees about its origin
    TARGET_DIR/mirrored every outline mirrored in the y axis (clockwise rings)
    TARGET_DIR/split    every edge split into three collinear pieces
    TARGET_DIR/bent     every edge split into three pieces whose inner
                        vertices lie 1e-6 mm off its line, out and in
    TARGET_DIR/arcs     every corner rounded by an arc of many short chords
                        (a few hundred vertices a part)
    TARGET_DIR/slivers  at a few places of every ring a vertex 1e-3 mm off an
                        edge's middle, inwards at one place, outwards at another
    TARGET_DIR/holes    a square hole deep inside every part without holes
    TARGET_DIR/far      every outline moved 10^6 mm away from its origin
    TARGET_DIR/spikes   at one place of every ring a spike out along the
                        line of the edge before a vertex and back, and at
                        another the ring running back along its edge and
                        forward again (no material either way)
    TARGET_DIR/inner    the holes of "holes" written as a "polygon" of an
                        "outer" ring and "inner" ones
    TARGET_DIR/runs     at a few places of every ring a run of vertices each
                        closer than the point tolerance to the one before
                        and together farther: two 7e-5 mm apart along the
                        outline, and a jog of 5e-5 mm steps off its line and
                        back; at another a vertex the point tolerance along
                        it
    TARGET_DIR/dense    at a few places of every ring the outline digitised
                        in steps shorter than the point tolerance, together
                        far longer: a corner rounded from DENSE_REACH
                        before it to as far after it, and a straight run of
                        DENSE_RUN vertices along an edge
    TARGET_DIR/thin     at three places of every ring a spike whose sides are
                        1e-5, 1e-6 and 1e-7 mm apart (below the point
                        tolerance: no material): out along the edge before a
                        vertex and back to a point that far off it, on one
                        side or the other, and a strip that wide out of the
                        middle of an edge

    --kinds LIST (comma separated) writes only those folders.

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
KINDS = ("repeats", "near", "origin", "scaled", "all", "tiny", "huge", "rotated", "mirrored",
         "split", "bent", "arcs", "slivers", "holes", "far", "spikes", "inner", "thin", "runs", "dense")
SCALES = {"scaled": SCALE, "all": SCALE, "tiny": 0.1, "huge": 100.0}
TURN_DEGREES = 17.0
FAR = 1.0e6
BEND = 1e-6  # mm off the edge's line
SLIVER = 1e-3  # mm off the edge's line
ARC_VERTICES = 300  # about this many a part
RUN_STEP = 7e-5  # mm between the vertices of a straight run
JOG_STEP = 5e-5  # mm of each step of a jog
DENSE_STEP = 9e-5  # mm between the vertices of a densely digitised stretch
DENSE_REACH = 0.02  # mm from the corner where its rounding starts
DENSE_RUN = 100  # vertices of a dense straight run


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


def signed_area(ring):
    return 0.5 * sum(ring[k - 1][0] * p[1] - p[0] * ring[k - 1][1] for k, p in enumerate(ring))


def off_line(a, b, t, offset):
    """The point at t along a-b moved by offset to the left of it."""
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dy)
    if length == 0.0:
        return [a[0] + t * dx, a[1] + t * dy]
    return [a[0] + t * dx - offset * dy / length, a[1] + t * dy + offset * dx / length]


def with_split_edges(ring, offset):
    """Every edge in three pieces, the inner vertices offset to the left and
    to the right of its line (0: on it)."""
    out = []
    for k, p in enumerate(ring):
        q = ring[(k + 1) % len(ring)]
        out += [p, off_line(p, q, 1.0 / 3.0, offset), off_line(p, q, 2.0 / 3.0, -offset)]
    return out


def with_slivers(ring, outward_sign):
    """A vertex SLIVER off the middle of the longest edge, into the material,
    and one off the middle of the second longest, out of it."""
    n = len(ring)
    lengths = sorted(range(n), key=lambda k: -math.dist(ring[k], ring[(k + 1) % n]))
    spikes = {lengths[0]: -outward_sign * SLIVER}
    if n > 3:
        spikes[lengths[1]] = outward_sign * SLIVER
    out = []
    for k, p in enumerate(ring):
        out.append(p)
        if k in spikes:
            out.append(off_line(p, ring[(k + 1) % n], 0.5, spikes[k]))
    return out


def with_arcs(ring):
    """Every corner cut by an arc tangent to both its edges a quarter of the
    shorter edge from it, in as many chords as make about ARC_VERTICES."""
    n = len(ring)
    if n >= ARC_VERTICES:
        return ring
    chords = max(2, ARC_VERTICES // n)
    out = []
    for k, p in enumerate(ring):
        a, b = ring[k - 1], ring[(k + 1) % n]
        la, lb = math.dist(a, p), math.dist(p, b)
        t = 0.25 * min(la, lb)
        if t == 0.0:
            out.append(p)
            continue
        s = [p[0] + (a[0] - p[0]) * t / la, p[1] + (a[1] - p[1]) * t / la]
        e = [p[0] + (b[0] - p[0]) * t / lb, p[1] + (b[1] - p[1]) * t / lb]
        # the quadratic Bezier s-p-e: tangent to both edges, inside their corner
        for j in range(chords + 1):
            u = j / chords
            out.append([(1 - u) ** 2 * s[0] + 2 * u * (1 - u) * p[0] + u * u * e[0],
                        (1 - u) ** 2 * s[1] + 2 * u * (1 - u) * p[1] + u * u * e[1]])
    return out


def with_spikes(ring):
    """A spike out along the line of the edge before one vertex and back,
    as long as a quarter of that edge where it meets no other edge; and the
    ring running back along the edge before another vertex by a quarter of
    it and forward again."""
    n = len(ring)
    spots = places(ring, 2)
    out = []
    for k, p in enumerate(ring):
        out.append(p)
        if not spots or n < 4:
            continue
        o = ring[k - 1]
        length = math.dist(o, p)
        if length == 0.0:
            continue
        u = [(p[0] - o[0]) / length, (p[1] - o[1]) / length]
        if k == spots[0]:
            reach = 0.25 * length
            for attempt in range(8):
                tip = [p[0] + reach * u[0], p[1] + reach * u[1]]
                if not any(cross(p, tip, ring[j - 1], ring[j]) for j in range(n) if k not in (j, (j - 1) % n)):
                    out += [tip, list(p)]
                    break
                reach /= 2.0
        elif len(spots) > 1 and k == spots[1]:
            out += [[p[0] - 0.25 * length * u[0], p[1] - 0.25 * length * u[1]], list(p)]
    return out


def with_thin_spikes(ring):
    """Three spikes narrower than the point tolerance, each as long as a
    quarter of its edge where it meets no other edge: out along the edge
    before a vertex and back to a point 1e-5 mm off the vertex on the outer
    side, the same 1e-7 mm off it on the inner side, and a strip 1e-6 mm wide
    out of the middle of the edge after a third vertex, square to it."""
    n = len(ring)
    spots = places(ring, 3)
    if n < 4 or len(spots) < 3:
        return ring
    outer = 1.0 if signed_area(ring) > 0 else -1.0  # right of a counter-clockwise edge is out

    def clear(a, b, k):
        return not any(cross(a, b, ring[j - 1], ring[j]) for j in range(n) if k not in (j, (j - 1) % n))

    out = []
    for k, p in enumerate(ring):
        out.append(p)
        o, q = ring[k - 1], ring[(k + 1) % n]
        if k in spots[:2]:
            length = math.dist(o, p)
            if length == 0.0:
                continue
            u = [(p[0] - o[0]) / length, (p[1] - o[1]) / length]
            width, side = (1e-5, outer) if k == spots[0] else (1e-7, -outer)
            reach = 0.25 * length
            for attempt in range(8):
                tip = [p[0] + reach * u[0], p[1] + reach * u[1]]
                if clear(p, tip, k):
                    out += [tip, [p[0] + side * width * u[1], p[1] - side * width * u[0]]]
                    break
                reach /= 2.0
        elif k == spots[2]:
            length = math.dist(p, q)
            if length == 0.0:
                continue
            u = [(q[0] - p[0]) / length, (q[1] - p[1]) / length]
            normal = [outer * u[1], -outer * u[0]]
            m = [(p[0] + q[0]) / 2, (p[1] + q[1]) / 2]
            reach = 0.25 * length
            for attempt in range(8):
                base = [m[0] - 5e-7 * u[0], m[1] - 5e-7 * u[1]]
                tip = [base[0] + reach * normal[0], base[1] + reach * normal[1]]
                if clear(m, tip, k):
                    out += [base, tip, [tip[0] + 1e-6 * u[0], tip[1] + 1e-6 * u[1]],
                            [base[0] + 1e-6 * u[0], base[1] + 1e-6 * u[1]]]
                    break
                reach /= 2.0
    return out


def with_runs(ring):
    """After a vertex at three places, vertices along its next edge: two
    RUN_STEP apart; a jog of JOG_STEP along, JOG_STEP off to the left and
    JOG_STEP along again (the edge then runs on from there); one the point
    tolerance along. An edge shorter than a hundred times that is left as
    it is."""
    spots = places(ring, 3)
    n = len(ring)
    out = []
    for k, p in enumerate(ring):
        out.append(p)
        if k not in spots or n < 4:
            continue
        r = ring[(k + 1) % n]
        length = math.dist(p, r)
        if length < 100 * POINT_TOLERANCE:
            continue
        u = [(r[0] - p[0]) / length, (r[1] - p[1]) / length]
        left = [-u[1], u[0]]
        at = lambda along, off=0.0: [p[0] + along * u[0] + off * left[0], p[1] + along * u[1] + off * left[1]]
        if k == spots[0]:
            out += [at(RUN_STEP), at(2 * RUN_STEP)]
        elif len(spots) > 1 and k == spots[1]:
            out += [at(JOG_STEP), at(JOG_STEP, JOG_STEP), at(2 * JOG_STEP, JOG_STEP)]
        else:
            out.append(at(POINT_TOLERANCE))
    return out


def with_dense_stretches(ring):
    """At three places: the corner rounded by a curve tangent to both its
    edges from DENSE_REACH before it to as far after it, in steps of about
    DENSE_STEP, and after the vertex a straight run of DENSE_RUN vertices
    DENSE_STEP apart along its edge. Edges shorter than a hundred times the
    reach are left as they are."""
    spots = places(ring, 3)
    n = len(ring)
    out = []
    for k, p in enumerate(ring):
        a, b = ring[k - 1], ring[(k + 1) % n]
        la, lb = math.dist(a, p), math.dist(p, b)
        if k not in spots or n < 4 or min(la, lb) < 100 * DENSE_REACH:
            out.append(p)
            continue
        s = [p[0] + (a[0] - p[0]) * DENSE_REACH / la, p[1] + (a[1] - p[1]) * DENSE_REACH / la]
        e = [p[0] + (b[0] - p[0]) * DENSE_REACH / lb, p[1] + (b[1] - p[1]) * DENSE_REACH / lb]
        steps = int(2 * DENSE_REACH / DENSE_STEP)
        for j in range(steps + 1):
            u = j / steps
            out.append([(1 - u) ** 2 * s[0] + 2 * u * (1 - u) * p[0] + u * u * e[0],
                        (1 - u) ** 2 * s[1] + 2 * u * (1 - u) * p[1] + u * u * e[1]])
        u = [(b[0] - p[0]) / lb, (b[1] - p[1]) / lb]
        out += [[e[0] + j * DENSE_STEP * u[0], e[1] + j * DENSE_STEP * u[1]] for j in range(1, DENSE_RUN + 1)]
    return out


def inner_square(ring):
    """A square hole around the middle of the longest chord of the ring's
    middle row, a third of the way from it to the nearest edge; None when
    there is no room."""
    ys = [p[1] for p in ring]
    y = (min(ys) + max(ys)) / 2.0 + (max(ys) - min(ys)) * 1e-3
    xs = []
    for k, p in enumerate(ring):
        q = ring[k - 1]
        if (p[1] > y) != (q[1] > y):
            xs.append(q[0] + (y - q[1]) * (p[0] - q[0]) / (p[1] - q[1]))
    xs.sort()
    spans = [(xs[j], xs[j + 1]) for j in range(0, len(xs) - 1, 2)]
    if not spans:
        return None
    x0, x1 = max(spans, key=lambda s: s[1] - s[0])
    c = [(x0 + x1) / 2.0, y]

    def distance(a, b):
        dx, dy = b[0] - a[0], b[1] - a[1]
        l2 = dx * dx + dy * dy
        t = 0.0 if l2 == 0.0 else max(0.0, min(1.0, ((c[0] - a[0]) * dx + (c[1] - a[1]) * dy) / l2))
        return math.hypot(a[0] + t * dx - c[0], a[1] + t * dy - c[1])
    h = min(distance(ring[k - 1], p) for k, p in enumerate(ring)) / 3.0
    if h <= 0.0:
        return None
    square = [[c[0] - h, c[1] - h], [c[0] + h, c[1] - h], [c[0] + h, c[1] + h], [c[0] - h, c[1] + h]]
    return square if signed_area(ring) < 0 else square[::-1]  # against the outline


def variant(doc, kind, rng):
    out = json.loads(json.dumps(doc))
    factor = millimetres(doc) * SCALES.get(kind, 1.0)
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
        if kind == "rotated":
            c, s = math.cos(math.radians(TURN_DEGREES)), math.sin(math.radians(TURN_DEGREES))
            rings = [[[c * x - s * y, s * x + c * y] for x, y in ring] for ring in rings]
        elif kind == "mirrored":
            rings = [[[-x, y] for x, y in ring] for ring in rings]
        elif kind in ("split", "bent"):
            rings = [with_split_edges(ring, BEND if kind == "bent" else 0.0) for ring in rings]
        elif kind == "arcs":
            rings = [with_arcs(ring) for ring in rings]
        elif kind == "slivers":
            outward = 1.0 if signed_area(rings[0]) < 0 else -1.0  # left of a clockwise edge
            rings = [with_slivers(ring, outward if j == 0 else -outward) for j, ring in enumerate(rings)]
        elif kind == "spikes":
            rings = [with_spikes(ring) for ring in rings]
        elif kind == "thin":
            rings = [with_thin_spikes(ring) for ring in rings]
        elif kind == "runs":
            rings = [with_runs(ring) for ring in rings]
        elif kind == "dense":
            rings = [with_dense_stretches(ring) for ring in rings]
        elif kind in ("holes", "inner") and len(rings) == 1:
            hole = inner_square(rings[0])
            rings += [hole] if hole else []
        elif kind == "far":
            rings = moved(rings, FAR, FAR)
        if kind in ("near", "all"):
            rings = [with_near_repeats(ring, rng) for ring in rings]
        if kind in ("repeats", "all"):
            rings = [with_repeats(ring) for ring in rings]
        if kind == "inner":
            shape.clear()
            shape.update({"type": "polygon", "outer": closed(rings[0]), "inner": [closed(r) for r in rings[1:]]})
            continue
        shape["data"] = closed(rings[0])
        if len(rings) > 1:
            shape["holes"] = [closed(ring) for ring in rings[1:]]
    return out


def main(argv):
    seed, kinds = 1, KINDS
    while len(argv) > 3 and argv[1] in ("--seed", "--kinds"):
        if argv[1] == "--seed":
            seed = int(argv[2])
        else:
            kinds = tuple(k for k in argv[2].split(",") if k)
            unknown = [k for k in kinds if k not in KINDS]
            if unknown:
                print(f"outline_variants: unknown kinds {','.join(unknown)} (known: {','.join(KINDS)})",
                      file=sys.stderr)
                return 2
        argv = [argv[0]] + argv[3:]
    docs, target, status = read_instances("outline_variants", "[--seed N] [--kinds LIST] ", argv)
    if docs is None:
        return status
    for kind in kinds:
        folder = target / kind
        folder.mkdir(parents=True, exist_ok=True)
        for name, doc in docs:
            rng = random.Random(f"{seed}:{kind}:{name}")
            with open(folder / name, "w", encoding="utf-8") as f:
                json.dump(variant(doc, kind, rng), f)
    print(f"outline_variants: {len(docs)} instances in {len(kinds)} variants written to {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
