"""Parts for the README's job among files its import refuses: FOLDER, made
anew, holds in parts/ an open outline ("Открытый.dxf"), an empty file
("Пустой.dxf"), a PDF named ".dxf" ("Чертёж.dxf") and a closed outline saved
as binary DXF ("Двоичный.dxf"), and, with PARTS, the
DXF part files of PARTS beside them; with --mended, parts/ alone is made anew
with PARTS's files, as a user leaves it once the refused files are mended
(the rest of FOLDER, a run's output, stays).

    make_refused_parts.py FOLDER [PARTS [--mended]]
"""
import os
import shutil
import sys

import ezdxf


def main(folder, parts=None, mended=False):
    target = os.path.join(folder, "parts")
    shutil.rmtree(target if mended else folder, ignore_errors=True)
    os.makedirs(target)
    if not mended:
        doc = ezdxf.new("R2007", units=4)
        doc.modelspace().add_lwpolyline([(0, 0), (100, 0), (100, 50), (0, 50)], close=False)
        doc.saveas(os.path.join(target, "Открытый.dxf"))
        binary = ezdxf.new("R2007", units=4)
        binary.modelspace().add_lwpolyline([(0, 0), (100, 0), (100, 50), (0, 50)], close=True)
        binary.saveas(os.path.join(target, "Двоичный.dxf"), fmt="bin")
        open(os.path.join(target, "Пустой.dxf"), "wb").close()
        with open(os.path.join(target, "Чертёж.dxf"), "wb") as pdf:
            pdf.write(b"%PDF-1.4\n1 0 obj\n<<>>\nendobj\ntrailer\n<<>>\n%%EOF\n")
    names = sorted(n for n in os.listdir(parts) if n.lower().endswith(".dxf")) if parts else []
    for name in names:
        shutil.copyfile(os.path.join(parts, name), os.path.join(target, name))
    print("%s: %d part files%s" % (target, len(names), "" if mended else " and 4 files to refuse"))
    return 0


if __name__ == "__main__":
    args = sys.argv[1:]
    mended = "--mended" in args
    args = [a for a in args if a != "--mended"]
    sys.exit(main(*args, mended=mended) if 1 <= len(args) <= 2 and (args[1:] or not mended) else 2)
