#!/usr/bin/python3
"""Checks a drawing of linear nesting saved by the stand-in host, from its
file alone: every sheet macro is a bar cut as often as its "Count" says; the
figure macros in the sheet's view are its pieces. Each bar's pieces must lie
on the bar without overlapping, their lengths plus a cut between neighbours
within the bar's length, and over all bars every demand must be met.

    check_linear.py DRAWING --bar LENGTH --gap CUT NAME=LENGTHxCOUNT...
"""
import json
import math
import sys

SHEET, FIGURE, MACRO = 102, 101, 27
COUNT_PROPERTY = "Count"
EPS = 1e-6


def extent(macro):
    """The x extent of a macro's rectangles and lines in its view."""
    ox, oy = macro["origin"]
    turn = math.radians(macro.get("angle", 0.0))
    xs = []
    for member in macro["members"]:
        if member["type"] == 7:
            cx, cy = member["corner"]
            points = [(cx, cy), (cx + member["width"], cy), (cx + member["width"], cy + member["height"]),
                      (cx, cy + member["height"])]
        elif member["type"] == 1:
            points = [tuple(member["start"]), tuple(member["end"])]
        else:
            continue
        for x, y in points:
            xs.append(ox + x * math.cos(turn) - y * math.sin(turn))
    if not xs:
        raise ValueError("macro %r has no outline" % macro.get("name"))
    return min(xs), max(xs)


def main(argv):
    path = argv[1]
    bar = gap = None
    demand = {}
    args = argv[2:]
    while args:
        arg = args.pop(0)
        if arg == "--bar":
            bar = float(args.pop(0))
        elif arg == "--gap":
            gap = float(args.pop(0))
        else:
            name, wanted = arg.split("=")
            length, count = wanted.split("x")
            demand[name] = (float(length), int(count))
    with open(path, encoding="utf-8") as f:
        drawing = json.load(f)
    count_id = next(p["id"] for p in drawing["properties"] if p["name"] == COUNT_PROPERTY)
    failures = []
    cut = {name: 0 for name in demand}
    bars = 0
    for view in drawing["views"]:
        macros = [o for o in view["objects"] if o.get("type") == MACRO]
        sheets = [m for m in macros if m["user"]["command"] == SHEET]
        if not sheets:
            continue
        sheet = sheets[0]
        left, right = extent(sheet)
        if abs(right - left - bar) > EPS:
            failures.append("%s: a bar of %g, not %g" % (view["name"], right - left, bar))
        times = next((v["number"] for v in sheet.get("values", []) if v["id"] == count_id), 1.0)
        pieces = sorted((extent(m), m["name"]) for m in macros if m["user"]["command"] == FIGURE)
        end = left
        used = 0.0
        for (x0, x1), name in pieces:
            length = x1 - x0
            if name not in demand or abs(length - demand[name][0]) > EPS:
                failures.append("%s: a piece %s of %g" % (view["name"], name, length))
            if x0 < end - EPS or x1 > right + EPS:
                failures.append("%s: %s at %g..%g leaves the bar or overlaps" % (view["name"], name, x0, x1))
            end = x1
            used += length
            cut[name] = cut.get(name, 0) + times
        if pieces and used + gap * (len(pieces) - 1) > bar + EPS:
            failures.append("%s: pieces and cuts take %g of %g" % (view["name"], used + gap * (len(pieces) - 1), bar))
        bars += times
    for name, (_, wanted) in demand.items():
        if cut[name] < wanted:
            failures.append("%s: %g cut, %d wanted" % (name, cut[name], wanted))
    if bars == 0:
        failures.append("no bar is drawn")
    for failure in failures:
        print("check_linear: " + failure, file=sys.stderr)
    if failures:
        return 1
    print("check_linear: %g bars, every demand met" % bars)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
