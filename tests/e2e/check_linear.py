#!/usr/bin/python3
"""Checks a drawing of linear nesting saved by the stand-in host, from its
file alone: every sheet macro is a bar cut as often as its "Count" says; the
figure macros in the sheet's view are its pieces. Each bar's pieces must lie
on the bar without overlapping, their lengths plus a cut between neighbours
within the bar's length, and over all bars every demand must be met exactly.
With --register, the CSV register of linear cuts must say, bar by bar, what
the drawing holds: the bar's name, length and count, one line per piece name
and length with its count, lengths to a tenth of a millimetre, and the
remainder the drawn pieces leave (less the cut that parts it from the last
piece; an end no longer than the cut goes in it) in whole tenths, rounded
down, named as a remnant only when that is at least the minimum
(--min-remnant, 250 mm by default).

    check_linear.py DRAWING --bar LENGTH --gap CUT [--register CSV [--min-remnant MM]] NAME=LENGTHxCOUNT...
"""
import csv
import decimal
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


def tenths(value):
    """A length as the register gives it: to the nearest tenth of a millimetre,
    halves up (the length taken to a millionth first), a whole one without decimals."""
    snapped = decimal.Decimal(repr(round(value, 6)))
    text = str(snapped.quantize(decimal.Decimal("0.1"), rounding=decimal.ROUND_HALF_UP) + 0)
    return text[:-2] if text.endswith(".0") else text


def floor_tenths(value):
    """A remainder as the register gives it: in whole tenths of a millimetre,
    rounded down (the length taken to a millionth first)."""
    snapped = decimal.Decimal(repr(round(value, 6)))
    return float(snapped.quantize(decimal.Decimal("0.1"), rounding=decimal.ROUND_FLOOR))


def read_register(path):
    """The register's bars: (name, size, count, remainder, remnant, [(piece, length, count)])."""
    with open(path, encoding="utf-8-sig", newline="") as f:
        rows = list(csv.reader(f, delimiter=";"))[1:]
    bars = []
    for row in rows:
        row = (row + [""] * 9)[:9]
        if row[0]:
            bars.append((row[0], row[1], row[3], row[7], row[8], []))
        if row[4]:
            bars[-1][5].append((row[4], row[5], row[6]))
    return bars


def compare_register(path, drawn, failures):
    register = read_register(path)
    if len(register) != len(drawn):
        failures.append("register: %d bars, the drawing %d" % (len(register), len(drawn)))
    for listed, held in zip(register, drawn):
        # The size column is "LENGTH[xWIDTH[xTHICKNESS]]"; the drawing gives the length.
        if listed[1].split("x")[0] != held[1] or listed[:1] + listed[2:] != held[:1] + held[2:]:
            failures.append("register: %r, the drawing holds %r" % (listed, held))


def main(argv):
    path = argv[1]
    bar = gap = register = None
    minimum = 250.0
    demand = {}
    args = argv[2:]
    while args:
        arg = args.pop(0)
        if arg == "--bar":
            bar = float(args.pop(0))
        elif arg == "--gap":
            gap = float(args.pop(0))
        elif arg == "--register":
            register = args.pop(0)
        elif arg == "--min-remnant":
            minimum = float(args.pop(0))
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
    drawn = []
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
        lines = []
        for (x0, x1), name in pieces:
            length = tenths(x1 - x0)
            same = [i for i, line in enumerate(lines) if line[:2] == (name, length)]
            if same:
                lines[same[0]] = (name, length, str(int(lines[same[0]][2]) + 1))
            else:
                lines.append((name, length, "1"))
        # The offcut past the last piece, less the cut that parts it from the
        # piece; an end no longer than that cut goes in it.
        end_left = right - end
        if pieces:
            end_left = end_left - gap if end_left > gap + 1e-9 else 0.0
        left_over = floor_tenths(max(end_left, 0.0))
        remnant = "%s-%d" % (sheet["name"], len(drawn) + 1) if left_over > 0 and left_over >= minimum - 1e-9 else ""
        drawn.append((sheet["name"], tenths(right - left), "%d" % math.ceil(times - 1e-4),
                      tenths(left_over), remnant, lines))
    for name, (_, wanted) in demand.items():
        if cut[name] != wanted:
            failures.append("%s: %g cut, %d wanted" % (name, cut[name], wanted))
    if register:
        compare_register(register, drawn, failures)
    if bars == 0:
        failures.append("no bar is drawn")
    for failure in failures:
        print("check_linear: " + failure, file=sys.stderr)
    if failures:
        return 1
    print("check_linear: %d bars, every demand met" % bars)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
