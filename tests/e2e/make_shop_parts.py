"""Writes a shop's job as DXF part files (ezdxf, millimetres) into the folder
given: a frame with a window, a round and a square flange, two L-brackets
(one with its inner corner rounded), a plate, each with its count; and in its
folder "labelled" a plate labelled with three texts 5 mm high, 8 mm apart,
a flange labelled with a text 10 mm high over one 2.5 mm high, 4 mm
lower, and two right triangles (joined into one part) labelled with two
texts 6 mm high.

  /usr/bin/python3 make_shop_parts.py FOLDER
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


def rect(w, h):
    return poly([(0, 0), (w, 0), (w, h), (0, h)])


def circle(centre, r):
    return lambda msp: msp.add_circle(centre, r)


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


def part(root, sub, name, count, outlines, texts=(), count_at=(0, -30)):
    (root / sub).mkdir(parents=True, exist_ok=True)
    doc = ezdxf.new("R2007", units=4)
    msp = doc.modelspace()
    for draw in outlines:
        draw(msp)
    msp.add_text(f"[Кол-во={count}]", dxfattribs={"height": 10, "insert": count_at})
    for text, at, *height in texts:
        msp.add_text(text, dxfattribs={"height": height[0] if height else 5, "insert": at})
    doc.saveas(root / sub / f"{name}.dxf")


if __name__ == "__main__":
    ezdxf.options.write_fixed_meta_data_for_testing = True  # the same bytes every time
    for row in PARTS:
        part(Path(sys.argv[1]), *row)
