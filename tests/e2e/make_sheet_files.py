"""Files a user may pick as a sheet, written into the folder given: remnants
turned, tiny, huge, L-shaped, with extra objects and odd names (ezdxf). Given
a remnant's DXF file the export wrote as well, its copies as a user edits
them: a hole drawn in with the label removed or kept, and the label damaged."""
import math
import re
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


def sheets(folder):
    write(folder, "turned.dxf", turned(120, 80, 30), [LABEL.format("3x120x80 Ст3")])
    write(folder, "tiny.dxf", [(0, 0), (0.5, 0), (0.5, 10), (0, 10)], [LABEL.format("2x0.5x10 Ст3")])
    write(folder, "huge.dxf", [(0, 0), (200000, 0), (200000, 1000), (0, 1000)])
    write(folder, "corner.dxf", [(0, 0), (100, 0), (100, 40), (40, 40), (40, 100), (0, 100)],
          [LABEL.format("2x100x100 Ст3")])
    # Marks, a dimension-like line and a point beside the label leave the sheet
    # whole; the line is said not to be cut.
    def marks(msp):
        msp.add_line((10, 10), (50, 10))
        msp.add_point((20, 20))
        msp.add_text("Партия 12", dxfattribs={"height": 3}).set_placement((10, 30))
    write(folder, "отход №5 (копия).DXF", [(0, 0), (210.7, 0), (210.7, 95.2), (0, 95.2)],
          [LABEL.format("1,5x210x95 AISI 304")], marks)
    write(folder, "outside.dxf", [(0, 0), (100, 0), (100, 50), (0, 50)], [],
          lambda msp: msp.add_circle((300, 300), 10))


def edited(folder, remnant):
    """The remnant with a hole drawn in (square or round) or a slot open to
    its edge, its label removed or kept, with its label's fields left out or
    spoilt, and retyped."""
    def copy(name, hole=None, label=lambda text: text):
        doc = ezdxf.readfile(remnant)
        msp = doc.modelspace()
        lines = [e for e in msp if e.dxftype() == "LINE"]
        x0 = min(min(e.dxf.start.x, e.dxf.end.x) for e in lines)
        y0 = min(min(e.dxf.start.y, e.dxf.end.y) for e in lines)
        for text in [e for e in msp if e.dxftype() == "TEXT"]:
            written = label(text.dxf.text)
            if written is None:
                msp.delete_entity(text)
            else:
                text.dxf.text = written
        if hole == "square":
            msp.add_lwpolyline([(x0 + 40, y0 + 50), (x0 + 90, y0 + 50), (x0 + 90, y0 + 100), (x0 + 40, y0 + 100)],
                               close=True)
        elif hole == "round":
            msp.add_circle((x0 + 90, y0 + 120), 20)
        elif hole == "slot":  # open to the left edge
            msp.add_lwpolyline([(x0, y0 + 80), (x0 + 60, y0 + 80), (x0 + 60, y0 + 120), (x0, y0 + 120)])
        doc.saveas(folder / name)
    def thickness(written):
        # "... 2x200x185 Ст3" with the thickness written otherwise.
        return lambda text: re.sub(r"\) [^x ]+x", ") %sx" % written, text)
    copy("с вырезом.dxf", "square", lambda text: None)
    copy("с круглым вырезом.dxf", "round", lambda text: None)
    copy("с вырезом и надписью.dxf", "square")
    copy("с прорезью.dxf", "slot")
    copy("без материала.dxf", label=lambda text: text.rsplit(" ", 1)[0])
    # Retyped: the word in lower case, the size with a Cyrillic "х" and blanks.
    copy("надпись набрана заново.dxf",
         label=lambda text: re.sub(r"\) (\d+)x(\d+)x(\d+) ", lambda m: ") %s х %s х %s " % m.groups(),
                                  text.replace("Отход", "отход")))
    for spoilt in ("0", "nan", "1e308"):
        copy("толщина %s.dxf" % spoilt, label=thickness(spoilt))


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    if len(sys.argv) > 2:
        edited(folder, sys.argv[2])
        return
    sheets(folder)


main()
