"""Files a user may pick as a sheet, written into the folder given: remnants
turned, tiny, huge, L-shaped, with extra objects and odd names (ezdxf)."""
import math
import sys
from pathlib import Path

import ezdxf

LABEL = "Отход Карта раскроя 1-1(1) {}"


def write(folder, name, outline, texts=(), extra=None):
    doc = ezdxf.new("R2010", units=4)  # millimetres
    msp = doc.modelspace()
    msp.add_lwpolyline(outline, close=True)
    for text in texts:
        msp.add_text(text, dxfattribs={"height": 5}).set_placement((outline[0][0] + 5, outline[0][1] + 5))
    if extra:
        extra(msp)
    doc.saveas(folder / name)


def turned(w, h, degrees, at=(100.0, 100.0)):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return [(at[0] + x * c - y * s, at[1] + x * s + y * c) for x, y in ((0, 0), (w, 0), (w, h), (0, h))]


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    write(folder, "turned.dxf", turned(120, 80, 30), [LABEL.format("3x120x80 Ст3")])
    write(folder, "tiny.dxf", [(0, 0), (0.5, 0), (0.5, 10), (0, 10)], [LABEL.format("2x0.5x10 Ст3")])
    write(folder, "huge.dxf", [(0, 0), (200000, 0), (200000, 1000), (0, 1000)])
    write(folder, "corner.dxf", [(0, 0), (100, 0), (100, 40), (40, 40), (40, 100), (0, 100)],
          [LABEL.format("2x100x100 Ст3")])
    # Marks, a dimension-like line and a point beside the label change nothing.
    def marks(msp):
        msp.add_line((10, 10), (50, 10))
        msp.add_point((20, 20))
        msp.add_text("Партия 12", dxfattribs={"height": 3}).set_placement((10, 30))
    write(folder, "отход №5 (копия).DXF", [(0, 0), (210.7, 0), (210.7, 95.2), (0, 95.2)],
          [LABEL.format("1,5x210x95 AISI 304")], marks)
    write(folder, "outside.dxf", [(0, 0), (100, 0), (100, 50), (0, 50)], [],
          lambda msp: msp.add_circle((300, 300), 10))


main()
