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


def part(folder, name, count, draw, texts=(), count_at=(0, -30)):
    doc = ezdxf.new("R2007", units=4)
    msp = doc.modelspace()
    draw(msp)
    msp.add_text(f"[Кол-во={count}]", dxfattribs={"height": 10, "insert": count_at})
    for text, at, *height in texts:
        msp.add_text(text, dxfattribs={"height": height[0] if height else 5, "insert": at})
    doc.saveas(folder / f"{name}.dxf")


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)

    def frame(msp):
        msp.add_lwpolyline(rounded(0, 0, 596, 242, 20), format="xyb", close=True)
        msp.add_lwpolyline(rounded(42, 42, 554, 200, 10), format="xyb", close=True)

    def flange(msp):
        msp.add_circle((261, 261), 261)
        msp.add_circle((261, 261), 104.4)

    def square_flange(msp):
        msp.add_lwpolyline([(0, 0), (365, 0), (365, 365), (0, 365)], close=True)
        msp.add_circle((182.5, 182.5), 91.25)

    def bracket(msp):
        msp.add_lwpolyline([(0, 0, 0), (421, 0, 0), (421, 46, 0), (66, 46, -QUARTER), (46, 66, 0), (46, 283, 0),
                            (0, 283, 0)], format="xyb", close=True)
        msp.add_circle((23, 23), 9)

    def short_bracket(msp):
        msp.add_lwpolyline([(0, 0), (157, 0), (157, 88), (88, 88), (88, 213), (0, 213)], close=True)

    def plate(msp):
        msp.add_lwpolyline([(0, 0), (158, 0), (158, 102), (0, 102)], close=True)

    def labelled(msp):
        msp.add_lwpolyline([(0, 0), (300, 0), (300, 200), (0, 200)], close=True)

    def labelled_wedge(msp):
        msp.add_lwpolyline([(0, 0), (300, 0), (0, 200)], close=True)

    def labelled_flange(msp):
        msp.add_circle((150, 150), 150)
        msp.add_circle((150, 150), 50)

    part(folder, "Рама с окном", 4, frame)
    part(folder, "Фланец круглый", 4, flange)
    part(folder, "Фланец квадратный", 4, square_flange)
    part(folder, "Кронштейн", 9, bracket)
    part(folder, "Кронштейн малый", 3, short_bracket)
    part(folder, "Пластина", 1, plate)
    (folder / "labelled").mkdir(exist_ok=True)
    part(folder / "labelled", "Пластина с надписью", 1, labelled,
         texts=[("Деталь 1", (100, 120)), ("Ст3 2 мм", (100, 112)), ("Заказ 15", (100, 104))])
    part(folder / "labelled", "Фланец с надписью", 1, labelled_flange,
         texts=[("Фланец 7", (100, 60), 10), ("Ст3 2 мм", (100, 56), 2.5)], count_at=(0, 30))
    part(folder / "labelled", "Клин с надписью", 2, labelled_wedge, texts=[("Клин", (20, 40), 6), ("Заказ 7", (20, 30), 6)])


if __name__ == "__main__":
    ezdxf.options.write_fixed_meta_data_for_testing = True  # the same bytes every time
    main()
