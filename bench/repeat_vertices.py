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


def read_instances(tool, usage, argv):
    """The instance files of SOURCE_DIR, each with its document, and
    TARGET_DIR; (None, None, status) after a message when they cannot be had."""
    if len(argv) != 3:
        print(f"usage: {tool}.py {usage}SOURCE_DIR TARGET_DIR", file=sys.stderr)
        return None, None, 2
    source = pathlib.Path(argv[1])
    docs = []
    for file in sorted(source.glob("*.json")):
        try:
            with open(file, encoding="utf-8") as f:
                docs.append((file.name, json.load(f)))
        except (OSError, ValueError) as e:
            print(f"{tool}: {file}: {e}", file=sys.stderr)
            return None, None, 1
    if not docs:
        print(f"{tool}: no instance files in {source}", file=sys.stderr)
        return None, None, 1
    return docs, pathlib.Path(argv[2]), 0


def main(argv):
    docs, target, status = read_instances("repeat_vertices", "", argv)
    if docs is None:
        return status
    target.mkdir(parents=True, exist_ok=True)
    for name, doc in docs:
        for item in doc.get("items", []):
            shape = item.get("shape", {})
            if "data" in shape:
                shape["data"] = repeated_clockwise(shape["data"])
        with open(target / name, "w", encoding="utf-8") as f:
            json.dump(doc, f)
    print(f"repeat_vertices: {len(docs)} instances written to {target}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
