"""Writes a shop's job as DXF part files (ezdxf, millimetres) into the folder
given: a frame with a window, a round and a square flange, two L-brackets
(one with its inner corner rounded), a plate, each with its count; and in its
folder "labelled" a plate labelled with three texts 5 mm high, 8 mm apart,
a flange labelled with a text 10 mm high over one 2.5 mm high, 4 mm
lower, and two right triangles (joined into one part) labelled with two
texts 6 mm high. With --drawn, 16 parts in two materials drawn as a drawing
office draws them instead, each count TIMES as large (1 by default); with
--metres, besides either set, a plate 120 × 80 in millimetres under a header
giving metres; with --unmarked, besides either set, three lids of AISI 304,
1.5 mm, and a gasket whose file gives no count, thickness or material.

  /usr/bin/python3 make_shop_parts.py FOLDER [--drawn [TIMES]] [--metres] [--unmarked]
"""
import math
import sys
from pathlib import Path

import ezdxf

QUARTER = math.tan(math.pi / 8)  # the bulge of a 90° arc


def rounded(x0, y0, x1, y1, r):
    return [(x0 + r, y0, 0), (x1 - r, y0, QUARTER), (x1, y0 + r, 0), (x1, y1 - r, QUARTER),
            (x1 - r, y1, 0), (x0 + r, y1, QUARTER), (x0, y1 - r, 0), (x0, y0 + r, QUARTER)]


def poly(points, form="xy"):
    return lambda msp: msp.add_lwpolyline(points, format=form, close=True)


def rect(w, h, x=0, y=0):
    return poly([(x, y), (x + w, y), (x + w, y + h), (x, y + h)])


def circle(centre, r, dxfattribs=None):
    return lambda msp: msp.add_circle(centre, r, dxfattribs=dxfattribs)


# Rows of part(): texts are (text, insert[, height, 5 if left out]).
PARTS = [
    ("", "Рама с окном", 4, [poly(rounded(0, 0, 596, 242, 20), "xyb"), poly(rounded(42, 42, 554, 200, 10), "xyb")]),
    ("", "Фланец круглый", 4, [circle((261, 261), 261), circle((261, 261), 104.4)]),
    ("", "Фланец квадратный", 4, [rect(365, 365), circle((182.5, 182.5), 91.25)]),
    ("", "Кронштейн", 9, [poly([(0, 0, 0), (421, 0, 0), (421, 46, 0), (66, 46, -QUARTER), (46, 66, 0), (46, 283, 0),
                                 (0, 283, 0)], "xyb"), circle((23, 23), 9)]),
    ("", "Кронштейн малый", 3, [poly([(0, 0), (157, 0), (157, 88), (88, 88), (88, 213), (0, 213)])]),
    ("", "Пластина", 1, [rect(158, 102)]),
    ("labelled", "Пластина с надписью", 1, [rect(300, 200)],
     [("Деталь 1", (100, 120)), ("Ст3 2 мм", (100, 112)), ("Заказ 15", (100, 104))]),
    ("labelled", "Фланец с надписью", 1, [circle((150, 150), 150), circle((150, 150), 50)],
     [("Фланец 7", (100, 60), 10), ("Ст3 2 мм", (100, 56), 2.5)], (0, 30)),
    ("labelled", "Клин с надписью", 2, [poly([(0, 0), (300, 0), (0, 200)])], [("Клин", (20, 40), 6), ("Заказ 7", (20, 30), 6)]),
]


def part(root, sub, name, count, outlines, texts=(), count_at=(0, -30), units=4):
    (root / sub).mkdir(parents=True, exist_ok=True)
    doc = ezdxf.new("R2007", units=units)
    msp = doc.modelspace()
    for draw in outlines:
        draw(msp)
    msp.add_text(f"[Кол-во={count}]", dxfattribs={"height": 10, "insert": count_at})
    for text, at, *height in texts:
        msp.add_text(text, dxfattribs={"height": height[0] if height else 5, "insert": at})
    doc.saveas(root / sub / f"{name}.dxf")


# The drawn parts' marks, none of them cut: centre lines and bolt circles in
# CENTER, dimensions in ezdxf's own style, hatches.
AXIS = {"linetype": "CENTER", "layer": "Оси"}
DIMS = {"dimstyle": "EZDXF", "dxfattribs": {"layer": "Размеры"}}


def centre_cross(x, y, r):
    """The centre lines of a hole or a round part: a cross reaching 5 mm past it."""
    def draw(msp):
        for a, b in (((x - r - 5, y), (x + r + 5, y)), ((x, y - r - 5), (x, y + r + 5))):
            msp.add_line(a, b, dxfattribs=AXIS)
    return draw


def dim(p1, p2, offset):
    """A linear dimension of p1–p2, its line `offset` away."""
    def draw(msp):
        horizontal = abs(p1[1] - p2[1]) < abs(p1[0] - p2[0])
        base = (p1[0], p1[1] + offset) if horizontal else (p1[0] + offset, p1[1])
        msp.add_linear_dim(base=base, p1=p1, p2=p2, angle=0 if horizontal else 90, **DIMS).render()
    return draw


def diameter(x, y, r):
    return lambda msp: msp.add_diameter_dim(center=(x, y), radius=r, angle=30, **DIMS).render()


def hatch(points):
    """A hatch (ANSI31) over the polygon `points`."""
    def draw(msp):
        h = msp.add_hatch(color=1, dxfattribs={"layer": "Штриховка"})
        h.set_pattern_fill("ANSI31", scale=2)
        h.paths.add_polyline_path(points, is_closed=True)
    return draw


def slot(x0, y0, length, width):
    """A slot along x from (x0, y0), its ends round."""
    r, x1 = width / 2, x0 + length - width / 2
    return poly([(x0 + r, y0, 0), (x1, y0, 1), (x1, y0 + width, 0), (x0 + r, y0 + width, 1)], "xyb")


def flange(r, bore, bolts, n, hole, *marks):
    """A flange's outlines and marks: n holes on a bolt circle of radius `bolts`."""
    at = [2 * math.pi * k / n + math.pi / n for k in range(n)]
    holes = [circle((r + bolts * math.cos(a), r + bolts * math.sin(a)), hole) for a in at]
    return ([circle((r, r), r), circle((r, r), bore)] + holes,
            [centre_cross(r, r, r), circle((r, r), bolts, AXIS), diameter(r, r, r), *marks])


# Rows of drawn(): name, count, material, the cut outlines, the marks.
DRAWN = [
    ("Фланец 140", 4, "Ст3", *flange(70, 25, 50, 4, 6)),
    ("Фланец 300", 2, "Ст3", *flange(150, 60, 110, 8, 9, hatch([(280, 130), (295, 130), (295, 170), (280, 170)]))),
    ("Фланец квадратный 200", 2, "Ст3",
     [rect(200, 200), circle((100, 100), 40)] + [circle((x, y), 8) for x in (25, 175) for y in (25, 175)],
     [centre_cross(x, y, 8) for x in (25, 175) for y in (25, 175)]
     + [centre_cross(100, 100, 40), dim((0, 0), (200, 0), -20), dim((200, 0), (200, 200), 20)]),
    ("Пластина с пазами", 6, "Ст3", [rect(300, 150), slot(40, 30, 80, 16), slot(180, 104, 80, 16)],
     [centre_cross(80, 38, 8), centre_cross(220, 112, 8), dim((0, 0), (300, 0), -20), dim((300, 0), (300, 150), 20)]),
    ("Планка с пазом", 8, "Ст3", [rect(400, 60), slot(100, 24, 200, 12)],
     [centre_cross(200, 30, 6), dim((0, 0), (400, 0), -15)]),
    ("Кольцо 400", 2, "Ст3", [circle((200, 200), 200), circle((200, 200), 150)],
     [centre_cross(200, 200, 200), diameter(200, 200, 200), diameter(200, 200, 150)]),
    ("Кольцо 250", 3, "Ст3", [circle((125, 125), 125), circle((125, 125), 95)], [centre_cross(125, 125, 125)]),
    ("Рамка с окном", 1, "Ст3", [poly(rounded(0, 0, 500, 350, 15), "xyb"), rect(400, 250, 50, 50)],
     [dim((0, 0), (500, 0), -25), dim((500, 0), (500, 350), 25), dim((50, 300), (450, 300), 20),
      hatch([(5, 5), (45, 5), (45, 45), (5, 45)])]),
    ("Косынка 200", 8, "Ст3", [poly([(0, 0), (200, 0), (0, 200)]), circle((45, 45), 15)],
     [centre_cross(45, 45, 15), dim((0, 0), (200, 0), -15)]),
    ("Ребро 250", 10, "Ст3", [poly([(0, 0), (250, 0), (250, 40), (60, 120), (0, 120)])], [dim((0, 0), (250, 0), -15)]),
    ("Опора", 4, "Ст3", [rect(250, 180), circle((40, 90), 12), circle((210, 90), 12)],
     [centre_cross(40, 90, 12), centre_cross(210, 90, 12), hatch([(80, 20), (170, 20), (170, 160), (80, 160)])]),
    ("Шайба 100", 12, "Ст3", [circle((50, 50), 50), circle((50, 50), 21)], [centre_cross(50, 50, 50)]),
    ("Проушина", 6, "Ст3", [poly([(0, 0, 0), (120, 0, 1), (120, 80, 0), (0, 80, 0)], "xyb"), circle((120, 40), 20)],
     [centre_cross(120, 40, 20), dim((0, 0), (120, 0), -15)]),
    ("Уголок плоский", 4, "Ст3", [poly([(0, 0), (300, 0), (300, 60), (60, 60), (60, 200), (0, 200)])],
     [dim((0, 0), (300, 0), -15), dim((0, 0), (0, 200), -15)]),
    ("Пластина 09Г2С", 2, "09Г2С", [rect(350, 250), circle((175, 125), 50)],
     [centre_cross(175, 125, 50), dim((0, 0), (350, 0), -20)]),
    ("Фланец 09Г2С", 2, "09Г2С", *flange(100, 40, 75, 6, 8)),
]


def drawn(root, times):
    """The drawn parts, each count `times` as large."""
    root.mkdir(parents=True, exist_ok=True)
    for name, count, material, outlines, marks in DRAWN:
        doc = ezdxf.new("R2007", setup=True, units=4)
        msp = doc.modelspace()
        for draw in outlines + marks:
            draw(msp)
        for k, text in enumerate((f"[Кол-во={count * times}]", f"[Материал={material}]", "[Толщина=2]")):
            msp.add_text(text, dxfattribs={"height": 8, "insert": (0, -40 - 12 * k), "layer": "Надписи"})
        doc.saveas(root / f"{name}.dxf")


if __name__ == "__main__":
    ezdxf.options.write_fixed_meta_data_for_testing = True  # the same bytes every time
    folder, options = Path(sys.argv[1]), sys.argv[2:]
    if "--drawn" in options:
        at = options.index("--drawn") + 1
        drawn(folder, int(options[at]) if at < len(options) and options[at].isdigit() else 1)
    else:
        for row in PARTS:
            part(folder, *row)
    if "--metres" in options:
        part(folder, "", "Планка 120x80", 2, [rect(120, 80)], units=6)
    if "--unmarked" in options:
        part(folder, "", "Крышка AISI", 3, [rect(250, 150), circle((125, 75), 30)],
             [("[Материал=AISI 304]", (10, 10)), ("[Толщина=1,5]", (10, 20))])
        doc = ezdxf.new("R2007", units=4)
        for draw in (rect(150, 100), circle((75, 50), 20)):
            draw(doc.modelspace())
        doc.saveas(folder / "Прокладка 150x100.dxf")
