#!/usr/bin/python3
"""Writes a large job as a new user brings it: the sample job's thirteen DXF
parts with every count ten times as large (the two without a count get ten),
and five smaller parts made from them, 18 files and 920 pieces in all, and
the three user scripts that import them, load them as figures on sheets of
3000 x 1500 and optimise them with turns of 90 degrees.

    /usr/bin/python3 bench/large_job.py FOLDER

FOLDER gets parts/*.dxf and import.play, load.play, optimise.play, which
bench/large_job.sh plays and times (they take -D LIB, -D OUT and -D PARTS).
"""
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples"))
import ezdxf  # noqa: E402
import parts as sample  # noqa: E402

# name of the smaller part, the part it is made from, its scale, its count
SMALLER = [("Шайба 100", "Шайба 160", 100 / 160, 60), ("Косынка 200", "Косынка 300", 2 / 3, 60),
           ("Проушина малая", "Проушина", 0.6, 50), ("Кронштейн малый", "Кронштейн с пазом", 0.7, 50),
           ("Косынка малая", "Косынка трапециевидная", 0.5, 50)]
COUNT = re.compile(r"Кол-во|Count|Quantity")


def tenfold(part):
    """Every count text ten times as large; a part without one gets ten."""
    counted = False
    for text in part.msp.query("TEXT"):
        if COUNT.search(text.dxf.text):
            text.dxf.text = re.sub(r"\d+", lambda m: str(int(m.group()) * 10), text.dxf.text, count=1)
            counted = True
    if not counted:
        part.texts("[Кол-во=10]", at=(0, -90))


def smaller(part, name, factor, count):
    made = sample.Part(name)
    for entity in part.msp:
        if entity.dxftype() != "TEXT":
            copy = entity.copy()
            copy.scale_uniform(factor)
            made.msp.add_entity(copy)
    made.texts(f"[Кол-во={count}]")
    return made


def script(lines):
    return "\n".join(lines) + "\n"


def main():
    folder = sys.argv[1]
    os.makedirs(os.path.join(folder, "parts"), exist_ok=True)
    ezdxf.options.write_fixed_meta_data_for_testing = True
    made = sample.parts()
    by_name = {part.name: part for part in made}
    extra = [smaller(by_name[source], name, factor, count) for name, source, factor, count in SMALLER]
    for part in made:
        tenfold(part)
    names = []
    for part in made + extra:
        part.save(os.path.join(folder, "parts"))
        names.append(part.name)
    dxf = " ".join(f'"${{PARTS}}/{name}.dxf"' for name in names)
    vfw = " ".join(f'"${{OUT}}/import/{name}.vfw"' for name in names)
    with open(os.path.join(folder, "import.play"), "w", encoding="utf-8") as f:
        f.write(script(["load ${LIB}", "new drawing", "command 1", "answer folder ${OUT}/import",
                        'press "Папка экспорта"', 'set "Тип импорта" "Импорт из DXF"', f"answer files {dxf}",
                        'press "Загрузить детали"', "expect faults 0", "esc", "expect stopped",
                        "save ${OUT}/job.vdw", "unload"]))
    sheets = ['set "Длина листа" 3000', 'set "Ширина листа" 1500', 'set "Толщина листа" 2',
              'set "Материал листа" Ст3', 'set "Зазор до края листа" 10', 'set "Зазор между деталями" 4']
    with open(os.path.join(folder, "load.play"), "w", encoding="utf-8") as f:
        f.write(script(["load ${LIB}", "open ${OUT}/job.vdw", "command 2"] + sheets +
                       [f"answer files {vfw}", 'press "Загрузить детали"',
                        'expect message "Загрузка файлов завершена"', "enter", "expect stopped", "expect faults 0",
                        "save ${OUT}/job.vdw", "unload"]))
    with open(os.path.join(folder, "optimise.play"), "w", encoding="utf-8") as f:
        f.write(script(["load ${LIB}", "open ${OUT}/job.vdw", "command 3", 'set "Поворот деталей" 90',
                        'press "Начать оптимизацию"', "expect faults 0", "enter", "expect stopped",
                        "save ${OUT}/job.vdw", "unload"]))


if __name__ == "__main__":
    main()
