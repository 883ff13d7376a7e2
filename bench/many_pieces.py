#!/usr/bin/python3
"""Writes a job of many pieces of few real outlines as a user brings it: the
distinct outlines of the industrial ESICUP sets (gardeyn*.json of the data
folder), one DXF part each with its count, and the three user scripts that
import them, load them as figures on sheets of 3000 x 1500 (edge gap 10, part
gap 5) and optimise them with turns of 90 degrees.

    /usr/bin/python3 bench/many_pieces.py DATA FOLDER PIECES [--longest MM] [--outlines N]

Each set is drawn at the scale that makes its strip as high as the sheet
(1,500 mm: the strip is the stock its parts were laid out on); the outlines
whose longer side is then more than MM (1,200 by default) are left out, and
those past the first N when N is given. The PIECES are shared out evenly, the
first outlines (in the sets' order) taking one more where they do not divide.
FOLDER gets parts/*.dxf and import.play, load.play, optimise.play, which
bench/many_pieces.sh plays and times (they take -D LIB, -D OUT and -D PARTS).
"""
import argparse
import glob
import json
import os

import ezdxf


def outlines(data, longest, height):
    """The distinct outlines of the sets, each moved to the origin."""
    seen = set()
    made = []
    for path in sorted(glob.glob(os.path.join(data, "gardeyn*.json"))):
        with open(path, encoding="utf-8") as f:
            job = json.load(f)
        scale = height / float(job["strip_height"])
        for item in job["items"]:
            points = [tuple(p) for p in item["shape"]["data"]]
            if len(points) > 1 and points[0] == points[-1]:
                points.pop()
            x0 = min(p[0] for p in points)
            y0 = min(p[1] for p in points)
            ring = tuple((round((x - x0) * scale, 4), round((y - y0) * scale, 4)) for x, y in points)
            if ring in seen or max(max(p[0] for p in ring), max(p[1] for p in ring)) > longest:
                continue
            seen.add(ring)
            made.append((f"{os.path.splitext(os.path.basename(path))[0]}-{item['id']}", list(ring)))
    return made


def part(folder, name, ring, count):
    doc = ezdxf.new("R2007")
    doc.header["$INSUNITS"] = 4
    doc.layers.add("Контур", color=7)
    doc.layers.add("Надписи", color=3)
    msp = doc.modelspace()
    msp.add_lwpolyline(ring, format="xy", close=True, dxfattribs={"layer": "Контур"})
    msp.add_text(f"[Кол-во={count}]", dxfattribs={"layer": "Надписи", "height": 10, "insert": (0, -30)})
    doc.saveas(os.path.join(folder, name + ".dxf"))


def script(path, lines):
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("data")
    parser.add_argument("folder")
    parser.add_argument("pieces", type=int)
    parser.add_argument("--longest", type=float, default=1200.0)
    parser.add_argument("--outlines", type=int, default=0)
    args = parser.parse_args()
    made = outlines(args.data, args.longest, 1500.0)
    if args.outlines > 0:
        made = made[:args.outlines]
    if not made or args.pieces < len(made):
        raise SystemExit(f"many_pieces.py: {len(made)} outlines in {args.data}, {args.pieces} pieces asked")
    parts = os.path.join(args.folder, "parts")
    os.makedirs(parts, exist_ok=True)
    ezdxf.options.write_fixed_meta_data_for_testing = True
    each, more = divmod(args.pieces, len(made))
    for k, (name, ring) in enumerate(made):
        part(parts, name, ring, each + (1 if k < more else 0))
    names = [name for name, _ in made]
    dxf = " ".join(f'"${{PARTS}}/{name}.dxf"' for name in names)
    vfw = " ".join(f'"${{OUT}}/import/{name}.vfw"' for name in names)
    script(os.path.join(args.folder, "import.play"),
           ["load ${LIB}", "new drawing", "command 1", "answer folder ${OUT}/import", 'press "Папка экспорта"',
            'set "Тип импорта" "Импорт из DXF"', f"answer files {dxf}", 'press "Загрузить детали"',
            "expect faults 0", "esc", "expect stopped", "save ${OUT}/job.vdw", "unload"])
    sheets = ['set "Длина листа" 3000', 'set "Ширина листа" 1500', 'set "Зазор до края листа" 10',
              'set "Зазор между деталями" 5']
    script(os.path.join(args.folder, "load.play"),
           ["load ${LIB}", "open ${OUT}/job.vdw", "command 2"] + sheets +
           [f"answer files {vfw}", 'press "Загрузить детали"', 'expect message "Загрузка файлов завершена"', "enter",
            "expect stopped", "expect faults 0", "save ${OUT}/job.vdw", "unload"])
    script(os.path.join(args.folder, "optimise.play"),
           ["load ${LIB}", "open ${OUT}/job.vdw", "command 3", 'set "Поворот деталей" 90',
            'press "Начать оптимизацию"', "dump ${OUT}/panel.txt", "expect faults 0", "enter", "expect stopped", "save ${OUT}/placed.vdw",
            "unload"])
    print(f"{len(made)} outlines, {args.pieces} pieces")


if __name__ == "__main__":
    main()
