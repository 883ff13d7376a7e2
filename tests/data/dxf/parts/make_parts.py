"""Writes the DXF part files of the import tests: small DXF files (AutoCAD 2007
header, so texts are UTF-8) with only what each case needs.

  python3 make_parts.py FOLDER

Each file is one case; the closed forms the tests check are beside each.
"""
import os
import sys


class Dxf:
    def __init__(self, linetypes=()):
        self.entities = []
        self.linetypes = linetypes

    def add(self, kind, layer="0", linetype=None, *pairs):
        codes = [(0, kind), (8, layer)]
        if linetype:
            codes.append((6, linetype))
        self.entities.append(codes + list(pairs))

    def line(self, a, b, layer="0", linetype=None):
        self.add("LINE", layer, linetype, (10, a[0]), (20, a[1]), (11, b[0]), (21, b[1]))

    def lines(self, points, layer="0", linetype=None):
        for a, b in zip(points, points[1:] + points[:1]):
            self.line(a, b, layer, linetype)

    def polyline(self, points, layer="0"):
        """A closed light-weight polyline; a point (x, y, bulge) bulges the edge it starts."""
        pairs = [(90, len(points)), (70, 1)]
        for p in points:
            pairs += [(10, p[0]), (20, p[1])]
            if len(p) > 2:
                pairs.append((42, p[2]))
        self.add("LWPOLYLINE", layer, None, *pairs)

    def circle(self, centre, radius, layer="0"):
        self.add("CIRCLE", layer, None, (10, centre[0]), (20, centre[1]), (40, radius))

    def spline(self, degree, knots, poles, layer="0"):
        pairs = [(70, 8), (71, degree), (72, len(knots)), (73, len(poles))]
        pairs += [(40, k) for k in knots]
        for p in poles:
            pairs += [(10, p[0]), (20, p[1]), (30, 0)]
        self.add("SPLINE", layer, None, *pairs)

    def text(self, text, at, height=5, layer="0"):
        self.add("TEXT", layer, None, (10, at[0]), (20, at[1]), (40, height), (1, text))

    def mtext(self, text, at, height=3, layer="0"):
        self.add("MTEXT", layer, None, (10, at[0]), (20, at[1]), (40, height), (1, text))

    def codes(self):
        out = [(0, "SECTION"), (2, "HEADER"), (9, "$ACADVER"), (1, "AC1021"), (9, "$INSUNITS"), (70, 4),
               (0, "ENDSEC")]
        if self.linetypes:
            out += [(0, "SECTION"), (2, "TABLES"), (0, "TABLE"), (2, "LTYPE")]
            for name, dashes in self.linetypes:
                out += [(0, "LTYPE"), (2, name), (70, 0), (3, name.capitalize()), (72, 65), (73, len(dashes)),
                        (40, sum(abs(d) for d in dashes))] + [(49, d) for d in dashes]
            out += [(0, "ENDTAB"), (0, "ENDSEC")]
        out += [(0, "SECTION"), (2, "ENTITIES")]
        for entity in self.entities:
            out += entity
        return out + [(0, "ENDSEC"), (0, "EOF")]

    def text_of(self):
        return "".join("%3d\n%s\n" % (code, value) for code, value in self.codes())


def write(folder):
    def save(dxf, name):
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(dxf.text_of())

    # 100 x 50 of lines, two of them drawn again (one the other way round): area 5000.
    d = Dxf()
    d.lines([(0, 0), (100, 0), (100, 50), (0, 50)])
    d.line((0, 0), (100, 0))
    d.line((100, 50), (100, 0))
    save(d, "duplicate_lines.dxf")

    # The same rectangle with a gap of 1 mm in its top edge.
    d = Dxf()
    for a, b in [((0, 0), (100, 0)), ((100, 0), (100, 50)), ((100, 50), (51, 50)), ((50, 50), (0, 50)),
                 ((0, 50), (0, 0))]:
        d.line(a, b)
    save(d, "open_outline.dxf")

    # A rectangle 100 x 50 whose top edge is a quadratic spline bulging 30 above
    # it at the middle: area 5000 + 2/3 * 100 * 30 = 7000.
    d = Dxf()
    for a, b in [((0, 50), (0, 0)), ((0, 0), (100, 0)), ((100, 0), (100, 50))]:
        d.line(a, b)
    d.spline(2, [0, 0, 0, 1, 1, 1], [(100, 50), (50, 110), (0, 50)])
    save(d, "splines.dxf")

    # A slot: 100 x 40 with half circles on its short sides, one polyline with
    # two bulges: area 4000 + pi * 20^2; a round hole of radius 5 at (50, 20).
    d = Dxf()
    d.polyline([(0, 0, 0), (100, 0, 1), (100, 40, 0), (0, 40, 1)])
    d.circle((50, 20), 5)
    save(d, "bulges.dxf")

    # A plate 200 x 200 with a hole 100 x 100 holding a ring of its own.
    d = Dxf()
    d.polyline([(0, 0), (200, 0), (200, 200), (0, 200)])
    d.polyline([(50, 50), (150, 50), (150, 150), (50, 150)])
    d.circle((100, 100), 20)
    save(d, "nested_holes.dxf")

    # Two plates side by side.
    d = Dxf()
    d.polyline([(0, 0), (50, 0), (50, 50), (0, 50)])
    d.polyline([(100, 0), (150, 0), (150, 50), (100, 50)])
    save(d, "two_parts.dxf")

    # A plate 120 x 80 with a round hole (r 10 at (30, 40)) and a square hole
    # 20 x 20 at (70..90, 30..50): area 9600 - 100 pi - 400; a bend line in a
    # dashed linetype, a centre line, bracketed and plain texts.
    d = Dxf(linetypes=[("DASHED", [0.5, -0.25]), ("CENTER", [1.25, -0.25, 0.25, -0.25])])
    d.polyline([(0, 0), (120, 0), (120, 80), (0, 80)], layer="Детали")
    d.circle((30, 40), 10, layer="Детали")
    d.lines([(70, 30), (90, 30), (90, 50), (70, 50)], layer="Детали")
    d.line((60, 0), (60, 80), linetype="DASHED")
    d.line((0, 40), (120, 40), layer="Детали", linetype="CENTER")
    d.text("[Материал=Сталь 3]", (5, 85))
    d.text("[Толщина: 2,5 мм]", (5, 95))
    d.text("[кол-во = 4 шт]", (5, 105))
    d.text("Деталь [Ст3]", (5, 115))
    d.mtext("Примечание\\P[Толщина=2,5]", (5, 130))  # the same thickness again
    save(d, "texts.dxf")

    # Nothing drawn at all.
    save(Dxf(), "empty.dxf")

    # The texts file cut off in the middle of its entities.
    with open(os.path.join(folder, "texts.dxf"), "rb") as f:
        data = f.read()
    start = data.index(b"\nENTITIES")
    end = data.index(b"\nENDSEC", start)
    with open(os.path.join(folder, "truncated.dxf"), "wb") as f:
        f.write(data[: (start + end) // 2])


if __name__ == "__main__":
    write(sys.argv[1])
