"""Writes the sample job's parts: flat sheet-metal parts as a shop gets them,
one part to a DXF file (R2007, texts in UTF-8, millimetres), the cut outline
and its holes drawn in the continuous line type, some files with bracketed
texts giving material, thickness and count.

  /usr/bin/python3 parts.py FOLDER

Outlines are drawn in both ways CAD systems write them: closed light-weight
polylines with bulges, and loose lines and arcs.
"""
import math
import os
import sys

import ezdxf

QUARTER = math.tan(math.pi / 8)  # the bulge of a 90° arc


class Part:
    def __init__(self, name):
        self.name = name
        self.doc = ezdxf.new("R2007")
        self.doc.header["$INSUNITS"] = 4
        self.doc.layers.add("Контур", color=7)
        self.doc.layers.add("Надписи", color=3)
        self.msp = self.doc.modelspace()

    def polyline(self, points):
        """A closed outline of (x, y, bulge) vertices; the bulge belongs to the edge leaving the vertex."""
        self.msp.add_lwpolyline(points, format="xyb", close=True, dxfattribs={"layer": "Контур"})

    def loose(self, points):
        """The same outline as loose lines and arcs."""
        for i, (x1, y1, bulge) in enumerate(points):
            x2, y2, _ = points[(i + 1) % len(points)]
            if bulge == 0:
                self.msp.add_line((x1, y1), (x2, y2), dxfattribs={"layer": "Контур"})
                continue
            # Centre and radius of the arc from the chord and the bulge.
            angle = 4 * math.atan(bulge)
            chord = math.hypot(x2 - x1, y2 - y1)
            radius = chord / (2 * math.sin(abs(angle) / 2))
            mx, my = (x1 + x2) / 2, (y1 + y2) / 2
            offset = radius * math.cos(angle / 2) * (1 if angle > 0 else -1)
            nx, ny = -(y2 - y1) / chord, (x2 - x1) / chord
            cx, cy = mx + nx * offset, my + ny * offset
            a1 = math.degrees(math.atan2(y1 - cy, x1 - cx))
            a2 = math.degrees(math.atan2(y2 - cy, x2 - cx))
            start, end = (a1, a2) if angle > 0 else (a2, a1)
            self.msp.add_arc((cx, cy), radius, start, end, dxfattribs={"layer": "Контур"})

    def circle(self, x, y, r):
        self.msp.add_circle((x, y), r, dxfattribs={"layer": "Контур"})

    def slot(self, x1, y1, x2, y2, r):
        """A straight slot of width 2r between two centres on one horizontal line."""
        self.loose([(x1, y1 - r, 0), (x2, y2 - r, 1), (x2, y2 + r, 0), (x1, y1 + r, 1)])

    def texts(self, *lines, at=(0, -30)):
        for k, text in enumerate(lines):
            self.msp.add_text(text, dxfattribs={"layer": "Надписи", "height": 10,
                                                "insert": (at[0], at[1] - 15 * k)})

    def save(self, folder):
        self.doc.saveas(os.path.join(folder, self.name + ".dxf"))


def rounded_rect(x0, y0, x1, y1, r):
    """A rectangle with its corners rounded by r, counter-clockwise."""
    return [(x0 + r, y0, 0), (x1 - r, y0, QUARTER), (x1, y0 + r, 0), (x1, y1 - r, QUARTER),
            (x1 - r, y1, 0), (x0 + r, y1, QUARTER), (x0, y1 - r, 0), (x0, y0 + r, QUARTER)]


def chamfered_rect(x0, y0, x1, y1, c):
    return [(x0 + c, y0, 0), (x1 - c, y0, 0), (x1, y0 + c, 0), (x1, y1 - c, 0),
            (x1 - c, y1, 0), (x0 + c, y1, 0), (x0, y1 - c, 0), (x0, y0 + c, 0)]


def parts():
    made = []

    p = Part("Кронштейн угловой")
    # Legs 400 and 300 long, 80 wide, the inner corner rounded by 20.
    p.polyline([(0, 0, 0), (400, 0, 0), (400, 80, 0), (100, 80, -QUARTER), (80, 100, 0), (80, 300, 0), (0, 300, 0)])
    for x, y in [(360, 40), (200, 40), (40, 140), (40, 260)]:
        p.circle(x, y, 9)
    p.texts("[Материал=Ст3]", "[Толщина=2]", "[Кол-во=6]")
    made.append(p)

    p = Part("Кронштейн с пазом")
    p.polyline(rounded_rect(0, 0, 360, 180, 15))
    p.slot(130, 120, 230, 120, 10)
    p.circle(40, 40, 9)
    p.circle(320, 40, 9)
    p.texts("[Material: Ст3]", "[Thickness: 2 mm]", "[Count: 4 pcs]")
    made.append(p)

    p = Part("Фланец круглый 500")
    p.circle(250, 250, 250)
    p.circle(250, 250, 120)
    for k in range(12):
        a = 2 * math.pi * k / 12
        p.circle(250 + 200 * math.cos(a), 250 + 200 * math.sin(a), 11)
    p.texts("[Кол-во: 3]")
    made.append(p)

    p = Part("Фланец квадратный 400")
    p.loose(rounded_rect(0, 0, 400, 400, 30))
    for x, y in [(50, 50), (350, 50), (350, 350), (50, 350)]:
        p.circle(x, y, 13)
    p.circle(200, 200, 100)
    made.append(p)

    p = Part("Косынка 300")
    # A right triangle with its tip cut off and a weld notch of radius 20 in the right angle.
    p.polyline([(20, 0, 0), (300, 0, 0), (300, 30, 0), (30, 300, 0), (0, 300, 0), (0, 20, -QUARTER)])
    p.circle(90, 90, 15)
    p.texts("[Материал=Ст3]", "[Толщина=2]", "[Кол-во=8]")
    made.append(p)

    p = Part("Косынка трапециевидная")
    p.loose([(0, 0, 0), (400, 0, 0), (400, 60, 0), (100, 240, 0), (0, 240, 0)])
    p.circle(110, 90, 30)
    p.texts("[Кол-во = 4 шт]")
    made.append(p)

    p = Part("Кольцо 800")
    p.circle(400, 400, 400)
    p.circle(400, 400, 350)
    p.texts("[Материал: Ст3]", "[Толщина: 2,0 мм]", "[Кол-во: 2]")
    made.append(p)

    p = Part("Пластина с окном")
    # A cut-out 400 x 200 with rounded corners, a slot above it, a hole in each corner.
    p.polyline(rounded_rect(0, 0, 640, 440, 20))
    p.loose(rounded_rect(120, 100, 520, 300, 25))
    p.slot(220, 370, 420, 370, 10)
    for x, y in [(30, 30), (610, 30), (610, 410), (30, 410)]:
        p.circle(x, y, 9)
    p.texts("[Материал=Ст3]", "[Толщина=2]", "[Кол-во=2]")
    made.append(p)

    p = Part("Планка с пазом")
    p.polyline(chamfered_rect(0, 0, 1000, 120, 10))
    p.slot(200, 60, 800, 60, 15)
    p.circle(60, 60, 9)
    p.circle(940, 60, 9)
    p.texts("[Кол-во=6]")
    made.append(p)

    p = Part("Опора")
    p.loose(chamfered_rect(0, 0, 500, 500, 40))
    for x, y in [(60, 60), (440, 60), (440, 440), (60, 440)]:
        p.circle(x, y, 13)
    p.circle(250, 250, 40)
    made.append(p)

    p = Part("Проушина")
    # A plate 240 wide ending in a half circle about the hole's centre.
    p.loose([(0, 0, 0), (240, 0, 0), (240, 160, 1), (0, 160, 0)])
    p.circle(120, 160, 40)
    p.texts("[Quantity=6]")
    made.append(p)

    p = Part("Ребро жёсткости")
    p.polyline([(20, 0, 0), (600, 0, 0), (600, 60, 0), (0, 200, 0), (0, 20, -QUARTER)])
    p.texts("[Материал=Ст3]", "[Толщина=2]", "[Кол-во=8]")
    made.append(p)

    p = Part("Шайба 160")
    p.circle(80, 80, 80)
    p.circle(80, 80, 35)
    p.texts("[Кол-во=12]")
    made.append(p)
    return made


if __name__ == "__main__":
    ezdxf.options.write_fixed_meta_data_for_testing = True  # the same bytes every time
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for part in parts():
        part.save(folder)
