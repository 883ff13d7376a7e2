"""Reads the labels of nesting maps on their own (Debian's /usr/bin/python3
with ezdxf): no two lines of a label print over each other.

    check_labels.py FILE... --pairs N

A DXF file (the exported map, card.dxf): every two texts that run one way
and stand in one column (their left ends nearer than their height, along
their lines) or over each other (a character 0.7 of its height wide) stand
at least the taller one's height apart across their lines, and no two texts
whichever way they run cover one another (each a box 0.7 of its height a
character wide, its height high). A drawing of the stand-in host (a map, .vdw): the same for the texts
of each macro (a part's label), which run the way the macro (and the text
itself) is turned. At least N such pairs of lines are measured in all.
Exits 0 when every check holds, 1 with the faults listed.
"""
import argparse
import json
import math
import sys

import ezdxf
from shapely import affinity
from shapely.geometry import box

SHORT = 1e-6  # mm two lines may stand nearer than their height by rounding
COVERED = 0.01  # of the smaller box two texts may share: their ends touching


def dxf_texts(path):
    return [[(e.dxf.text, e.dxf.insert.x, e.dxf.insert.y, e.dxf.height, e.dxf.get("rotation", 0.0))
             for e in ezdxf.readfile(path).modelspace() if e.dxftype() == "TEXT"]]


def placed(frame, x, y):
    """The point (x, y) of the frame (x, y, degrees) in the frame it is placed in."""
    c, s = math.cos(math.radians(frame[2])), math.sin(math.radians(frame[2]))
    return frame[0] + x * c - y * s, frame[1] + x * s + y * c


def drawing_texts(path):
    """The texts of each macro, placed in its view."""
    with open(path, encoding="utf-8") as f:
        drawing = json.load(f)

    def walk(macro, place):
        """The texts of the macro and of its members, in the frame `place` puts the macro's own frame in."""
        frame = (*placed(place, *macro.get("origin", [0.0, 0.0])), place[2] + macro.get("angle", 0.0))
        texts = []
        for m in macro.get("members", []):
            if m.get("type") == 4:
                items = [i for line in m["lines"] for i in line["items"]]
                height = max((i.get("height", 0.0) for i in items), default=0.0)
                texts.append(("".join(i["text"] for i in items), *placed(frame, *m["anchor"]), height,
                              frame[2] + m.get("angle", 0.0)))
            elif m.get("type") == 27:
                texts += walk(m, frame)
        return texts

    labels = (walk(obj, (0.0, 0.0, 0.0)) for view in drawing["views"] for obj in view["objects"] if obj.get("type") == 27)
    return [texts for texts in labels if texts]


def width(text, height):
    """A text's length: 0.7 of its height a character."""
    return 0.7 * height * len(text)


def outline(text, x, y, height, angle):
    shape = box(0.0, 0.0, width(text, height), height)
    return affinity.translate(affinity.rotate(shape, angle, origin=(0.0, 0.0)), x, y)


def same_way(a1, a2):
    return abs(math.remainder(a1 - a2, 360.0)) < 1e-6


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--pairs", type=int, required=True)
    args = parser.parse_args()
    faults, pairs = [], 0
    for path in args.files:
        labels = dxf_texts(path) if path.lower().endswith(".dxf") else drawing_texts(path)
        for texts in labels:
            boxes = [outline(t, x, y, h, a) for t, x, y, h, a in texts]
            for i, (t1, x1, y1, h1, a1) in enumerate(texts):
                for k, (t2, x2, y2, h2, a2) in enumerate(texts[i + 1:], i + 1):
                    common = boxes[i].intersection(boxes[k]).area
                    if common > COVERED * min(boxes[i].area, boxes[k].area):
                        faults.append(f"{path}: \"{t1}\" and \"{t2}\" cover one another ({common:.4f} mm²)")
                        continue
                    if not same_way(a1, a2):
                        continue
                    height = max(h1, h2)
                    c, s = math.cos(math.radians(a1)), math.sin(math.radians(a1))
                    along = (x2 - x1) * c + (y2 - y1) * s
                    across = -(x2 - x1) * s + (y2 - y1) * c
                    # One column, or one line over the other.
                    if abs(along) >= height and not (along < width(t1, h1) and -along < width(t2, h2)):
                        continue
                    pairs += 1
                    if abs(across) < height - SHORT:
                        faults.append(f"{path}: \"{t1}\" and \"{t2}\" stand {abs(across):.4f} apart, "
                                      f"{height:.4f} high")
    if pairs < args.pairs:
        faults.append(f"{pairs} pairs of lines measured, {args.pairs} at least expected")
    for fault in faults:
        print(fault)
    print(f"check_labels: {pairs} pairs of lines in {len(args.files)} files, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
