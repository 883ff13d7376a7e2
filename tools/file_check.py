"""Independent readings of the DXF and CSV files the library writes, with
Debian's /usr/bin/python3 and python3-ezdxf (used by the tests and by
job_check).

  file_check.py csv FILE...   JSON {file: {"bom": b, "rows": [[cell, ...], ...]}}
                              as Python's csv module reads the register (";"
                              delimited, UTF-8, a byte-order mark passed
                              over); "bom" is true when one leads the file
  file_check.py dxf FILE...   JSON {file: {"errors": n, "fixes": f, "areas": [...], "open": k,
                              "loose": [[x, y, gap], ...]}}:
                              the audit's errors and fixes after a strict load
                              (ezdxf.readfile), the areas of the closed
                              outlines in model space, exact for lines, arcs,
                              circles and bulged polylines (ellipses and
                              splines flattened to 1e-4), the number of
                              curve chains left open, and the joints where
                              curve ends meet only within JOIN, not as one
                              point (an open polyline's ends too): where,
                              and how far apart its ends lie
  file_check.py outlines FILE...
                              JSON {file: {"loops": [[[ax, ay, bx, by, sweep], ...], ...],
                              "open": k}}: the closed outlines as their edges
                              in order, each from a to b, an arc turning by
                              sweep radians (counter-clockwise positive) or a
                              line (sweep 0); a circle is two half arcs

A file that cannot be read gives {"error": text}.
"""
import csv
import json
import math
import sys

import ezdxf

FLAT = 1e-4  # the largest distance of a flattened curve from the curve, mm


def read_csv(file):
    with open(file, "rb") as f:
        bom = f.read(3) == b"\xef\xbb\xbf"
    with open(file, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))
    return {"bom": bom, "rows": rows}


def segment_area(chord, sweep):
    """Signed area between a circular arc of the sweep (radians, + counter-clockwise) and its chord."""
    if sweep == 0 or chord == 0:
        return 0.0
    r = chord / (2 * math.sin(abs(sweep) / 2))
    return 0.5 * r * r * (sweep - math.sin(sweep))


class Edge:
    """A piece of an outline from a to b, bulging by `sweep` (radians) when it is an arc."""

    def __init__(self, a, b, sweep=0.0):
        self.a, self.b, self.sweep = (a[0], a[1]), (b[0], b[1]), sweep

    def area(self, reverse):
        a, b = (self.b, self.a) if reverse else (self.a, self.b)
        sweep = -self.sweep if reverse else self.sweep
        chord = math.hypot(b[0] - a[0], b[1] - a[1])
        return 0.5 * (a[0] * b[1] - b[0] * a[1]) + segment_area(chord, sweep)


def circle_edges(center, r):
    """A circle as two half arcs, counter-clockwise."""
    a, b = (center[0] + r, center[1]), (center[0] - r, center[1])
    return [Edge(a, b, math.pi), Edge(b, a, math.pi)]


def polyline_edges(points, closed):
    """Edges of (x, y, bulge) vertices; the bulge belongs to the edge leaving the vertex."""
    edges = []
    count = len(points) if closed else len(points) - 1
    for i in range(count):
        a, b = points[i], points[(i + 1) % len(points)]
        edges.append(Edge(a, b, 4 * math.atan(a[2])))
    return edges


def flattened(entity):
    points = [(v.x, v.y) for v in entity.flattening(FLAT)]
    return [Edge(p, q) for p, q in zip(points, points[1:])]


def entity_edges(e):
    """The entity's pieces of outline, and the outlines it closes by itself
    (each a list of edges; the area of a full ellipse stands beside its
    flattened edges, exact)."""
    kind = e.dxftype()
    if kind == "LINE":
        return [Edge(e.dxf.start, e.dxf.end)], []
    if kind == "ARC":
        sweep = math.radians((e.dxf.end_angle - e.dxf.start_angle) % 360.0) or 2 * math.pi
        return [Edge(e.start_point, e.end_point, sweep)], []
    if kind == "CIRCLE":
        return [], [Loop(circle_edges(e.dxf.center, e.dxf.radius), math.pi * e.dxf.radius ** 2)]
    if kind == "LWPOLYLINE":
        edges = polyline_edges(list(e.get_points("xyb")), e.closed)
        return (edges, []) if not e.closed else ([], [Loop(edges)])
    if kind == "POLYLINE" and not (e.is_3d_polyline or e.is_poly_face_mesh or e.is_polygon_mesh):
        points = [(v.dxf.location.x, v.dxf.location.y, v.dxf.bulge) for v in e.vertices]
        edges = polyline_edges(points, e.is_closed)
        return (edges, []) if not e.is_closed else ([], [Loop(edges)])
    if kind == "ELLIPSE" and abs(abs(e.dxf.end_param - e.dxf.start_param) - 2 * math.pi) < 1e-12:
        return [], [Loop(flattened(e), math.pi * e.dxf.major_axis.magnitude ** 2 * e.dxf.ratio)]
    if kind in ("ELLIPSE", "SPLINE"):
        edges = flattened(e)
        if edges and math.dist(edges[0].a, edges[-1].b) < 1e-9:
            return [], [Loop(edges)]
        return edges, []
    return [], []


class Loop:
    """A closed outline: its edges in order, and its area."""

    def __init__(self, edges, area=None):
        self.edges = edges
        self.area = abs(sum(x.area(False) for x in edges)) if area is None else area

    def json(self):
        return [[x.a[0], x.a[1], x.b[0], x.b[1], x.sweep] for x in self.edges]


JOIN = 1e-3  # ends of curves this close are one joint, mm
SAME = 1e-9  # ends of curves this close are one point (an arc's ends are computed), mm;
#              ends farther apart within a joint are bridged by a line


class Joints:
    """The joints of the edges' ends (2i the start of edge i, 2i + 1 its
    end). Ends at the very same point are one joint, however many meet
    there. An end left without a fellow there joins the nearest such end
    within JOIN (nearest pairs first): curves a hair apart. An edge that is
    a point (its ends within JOIN, a line or an arc of less than half a
    turn) joins the joints of its ends, the shortest first, while the ends
    of the joint all lie within JOIN of one another: a vertex repeated a
    hair away is one joint, yet a run of such edges longer than JOIN (a
    densely sampled curve) keeps its way."""

    def __init__(self, edges):
        self.points = [p for edge in edges for p in (edge.a, edge.b)]
        self.parent = list(range(len(self.points)))
        sites = {}
        for i, p in enumerate(self.points):
            sites.setdefault((p[0] + 0.0, p[1] + 0.0), []).append(i)
        odd = []
        for members in sites.values():
            for i in members:
                self.parent[i] = members[0]
            if len(members) % 2:
                odd.append(members[0])
        odd.sort()
        self.box = {i: (p[0], p[1], p[0], p[1]) for i, p in enumerate(self.points)}
        cells, meetings = {}, []
        for i in odd:
            p = self.points[i]
            cx, cy = math.floor(p[0] / JOIN), math.floor(p[1] / JOIN)
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    for j in cells.get((cx + dx, cy + dy), []):
                        d = math.dist(self.points[j], p)
                        if d <= JOIN:
                            meetings.append((d, j, i))
            cells.setdefault((cx, cy), []).append(i)
        met = set()
        for _, j, i in sorted(meetings):
            if i not in met and j not in met:
                met.update((i, j))
                self.join(i, j)
        # Where curves meet: joints before the points among the edges join theirs.
        self.meeting = [self.root(i) for i in range(len(self.points))]
        points = sorted((math.dist(edge.a, edge.b), k) for k, edge in enumerate(edges)
                        if math.dist(edge.a, edge.b) <= JOIN and abs(edge.sweep) < math.pi)
        for _, k in points:
            a, b = self.root(2 * k), self.root(2 * k + 1)
            if a != b:
                box = self.merged(a, b)
                if math.hypot(box[2] - box[0], box[3] - box[1]) <= JOIN:
                    self.join(a, b)

    def root(self, i):
        while self.parent[i] != i:
            self.parent[i] = self.parent[self.parent[i]]
            i = self.parent[i]
        return i

    def merged(self, a, b):
        x, y = self.box[self.root(a)], self.box[self.root(b)]
        return (min(x[0], y[0]), min(x[1], y[1]), max(x[2], y[2]), max(x[3], y[3]))

    def join(self, a, b):
        box = self.merged(a, b)
        a, b = self.root(a), self.root(b)
        r = min(a, b)
        self.parent[max(a, b)] = r
        self.box[r] = box

    def loose(self):
        """The joints where curves meet whose ends are not one point: [x, y, gap]
        with the largest distance between two ends met there (an edge that is
        a point does not make its ends' joints one)."""
        ends = {}
        for i, p in enumerate(self.points):
            ends.setdefault(self.meeting[i], []).append(p)
        found = []
        for j, points in sorted(ends.items()):
            gap = max(math.dist(p, q) for p in points for q in points)
            if gap > SAME:
                found.append([self.points[j][0], self.points[j][1], gap])
        return found


def loops(edges):
    """The loops the edges make, each edge used once, and the number of chains
    left open. An edge from a joint back to it that stays within a joint (a
    line, or an arc of less than half a turn) is a point: the loop runs on
    over it, wherever it starts. Ends that meet only within a joint are
    bridged by a line, so that a loop's area does not depend on where it lies."""
    joints = Joints(edges)
    ends = [(joints.root(2 * i), joints.root(2 * i + 1)) for i in range(len(edges))]
    used = [a == b and abs(edge.sweep) < math.pi for edge, (a, b) in zip(edges, ends)]
    at_joint = {}
    for i, (a, b) in enumerate(ends):
        if not used[i]:
            at_joint.setdefault(a, []).append(i)
            at_joint.setdefault(b, []).append(i)
    found, open_chains = [], 0

    def bridged(chain, edge):
        if math.dist(chain[-1].b, edge.a) > SAME:
            chain.append(Edge(chain[-1].b, edge.a))
        chain.append(edge)

    for start in range(len(edges)):
        if used[start]:
            continue
        used[start] = True
        chain = [edges[start]]
        first, at = ends[start]
        closed = True
        while at != first:
            nxt = next((j for j in at_joint.get(at, []) if not used[j]), None)
            if nxt is None:
                closed = False
                break
            used[nxt] = True
            e = edges[nxt]
            reverse = ends[nxt][0] != at
            bridged(chain, Edge(e.b, e.a, -e.sweep) if reverse else e)
            at = ends[nxt][0] if reverse else ends[nxt][1]
        if closed:
            if math.dist(chain[-1].b, chain[0].a) > SAME:
                chain.append(Edge(chain[-1].b, chain[0].a))
            found.append(Loop(chain))
        else:
            open_chains += 1
    return found, open_chains


def dxf_loops(file):
    """The strictly loaded file, its closed loops, the number of chains left
    open and the edges they were chained from."""
    doc = ezdxf.readfile(file)
    closed, edges = [], []
    for e in doc.modelspace():
        pieces, whole = entity_edges(e)
        edges += pieces
        closed += whole
    found, open_chains = loops(edges)
    return doc, [x for x in closed + found if not point_sized(x)], open_chains, edges


POINT_RING = 1e-3  # mm: a closed outline smaller than this across is a point (a centre mark), as the library reads it


def point_sized(loop):
    """Whether the loop's box (its edges' ends and the middles of its arcs)
    is smaller than POINT_RING both ways, beyond rounding."""
    xs, ys = [], []
    for e in loop.edges:
        xs += [e.a[0], e.b[0]]
        ys += [e.a[1], e.b[1]]
        chord = math.dist(e.a, e.b)
        if e.sweep and chord > 0.0:
            sag = 0.5 * chord * math.tan(e.sweep / 4)
            nx, ny = -(e.b[1] - e.a[1]) / chord, (e.b[0] - e.a[0]) / chord  # left of a -> b
            xs.append(0.5 * (e.a[0] + e.b[0]) - nx * sag)
            ys.append(0.5 * (e.a[1] + e.b[1]) - ny * sag)
    if not xs:
        return False
    # Smaller by more than the rounding of the coordinates, as the library
    # takes it: circles of one radius are all points or all rings.
    far = max(1.0, *(abs(v) for v in xs + ys))
    size = POINT_RING - 64 * sys.float_info.epsilon * far
    return max(xs) - min(xs) < size and max(ys) - min(ys) < size


def read_dxf(file):
    doc, found, open_chains, edges = dxf_loops(file)
    auditor = doc.audit()
    return {"errors": len(auditor.errors), "fixes": len(auditor.fixes), "areas": sorted(x.area for x in found),
            "open": open_chains, "loose": Joints(edges).loose()}


def read_outlines(file):
    _, found, open_chains, _ = dxf_loops(file)
    return {"loops": [x.json() for x in found], "open": open_chains}


if __name__ == "__main__":
    read = {"csv": read_csv, "dxf": read_dxf, "outlines": read_outlines}[sys.argv[1]]
    out = {}
    for file in sys.argv[2:]:
        try:
            out[file] = read(file)
        except Exception as error:  # reported to the caller, which fails on it
            out[file] = {"error": "%s: %s" % (type(error).__name__, error)}
    json.dump(out, sys.stdout, ensure_ascii=False)
