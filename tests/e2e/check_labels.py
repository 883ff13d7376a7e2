"""Reads the labels of nesting maps on their own (Debian's /usr/bin/python3
with ezdxf): no two lines of a label print over each other.

    check_labels.py FILE... --pairs N

A DXF file (the exported map, card.dxf): every two texts of one column (their
left ends nearer than their height) stand at least the taller one's height
apart. A drawing of the stand-in host (a map, .vdw): the same for the texts of
each macro (a part's label). At least N such pairs of lines are measured in
all. Exits 0 when every check holds, 1 with the faults listed.
"""
import argparse
import json
import math
import sys

import ezdxf

SHORT = 1e-6  # mm two lines may stand nearer than their height by rounding


def dxf_texts(path):
    texts = []
    for e in ezdxf.readfile(path).modelspace():
        if e.dxftype() == "TEXT":
            texts.append((e.dxf.text, e.dxf.insert.x, e.dxf.insert.y, e.dxf.height))
    return [texts]


def drawing_texts(path):
    """The texts of each macro, placed in its view."""
    with open(path, encoding="utf-8") as f:
        drawing = json.load(f)
    labels = []

    def walk(macro):
        ox, oy = macro.get("origin", [0.0, 0.0])
        a = math.radians(macro.get("angle", 0.0))
        texts = []
        for m in macro.get("members", []):
            if m.get("type") == 4:
                x, y = m["anchor"]
                height = max((i.get("height", 0.0) for line in m["lines"] for i in line["items"]), default=0.0)
                text = "".join(i["text"] for line in m["lines"] for i in line["items"])
                texts.append((text, ox + x * math.cos(a) - y * math.sin(a), oy + x * math.sin(a) + y * math.cos(a),
                              height))
            elif m.get("type") == 27:
                walk(m)
        if texts:
            labels.append(texts)

    for view in drawing["views"]:
        for obj in view["objects"]:
            if obj.get("type") == 27:
                walk(obj)
    return labels


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--pairs", type=int, required=True)
    args = parser.parse_args()
    faults, pairs = [], 0
    for path in args.files:
        labels = dxf_texts(path) if path.lower().endswith(".dxf") else drawing_texts(path)
        for texts in labels:
            for i, (t1, x1, y1, h1) in enumerate(texts):
                for t2, x2, y2, h2 in texts[i + 1:]:
                    height = max(h1, h2)
                    if abs(x1 - x2) >= height:
                        continue
                    pairs += 1
                    if abs(y1 - y2) < height - SHORT:
                        faults.append(f"{path}: \"{t1}\" and \"{t2}\" stand {abs(y1 - y2):.4f} apart, "
                                      f"{height:.4f} high")
    if pairs < args.pairs:
        faults.append(f"{pairs} pairs of lines measured, {args.pairs} at least expected")
    for fault in faults:
        print(fault)
    print(f"check_labels: {pairs} pairs of lines in {len(args.files)} files, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
