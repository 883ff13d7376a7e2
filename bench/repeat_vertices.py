#!/usr/bin/env python3
"""Writes a copy of every instance file of a folder with each outline given
clockwise and every vertex repeated once, as CAD exports often give them:

    bench/repeat_vertices.py SOURCE_DIR TARGET_DIR

The copies keep everything else (ids, demands, orientations); nfp_oracle and
place_bench read them like the originals."""
import json
import pathlib
import sys


def repeated_clockwise(points):
    ring = [list(p) for p in points]
    if len(ring) > 1 and ring[0] == ring[-1]:
        ring.pop()
    ring.reverse()
    out = []
    for p in ring:
        out.append(p)
        out.append(list(p))
    out.append(list(out[0]))  # the files close their rings
    return out


def main(argv):
    if len(argv) != 3:
        print("usage: repeat_vertices.py SOURCE_DIR TARGET_DIR", file=sys.stderr)
        return 2
    source = pathlib.Path(argv[1])
    target = pathlib.Path(argv[2])
    files = sorted(source.glob("*.json"))
    if not files:
        print(f"repeat_vertices: no instance files in {source}", file=sys.stderr)
        return 1
    target.mkdir(parents=True, exist_ok=True)
    for file in files:
        with open(file, encoding="utf-8") as f:
            doc = json.load(f)
        for item in doc.get("items", []):
            shape = item.get("shape", {})
            if "data" in shape:
                shape["data"] = repeated_clockwise(shape["data"])
        with open(target / file.name, "w", encoding="utf-8") as f:
            json.dump(doc, f)
    print(f"repeat_vertices: {len(files)} instances written to {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
