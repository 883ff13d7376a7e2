"""A fresh FOLDER whose parts/ holds the DXF part files of PARTS with their
names ending in ".dxf", ".DXF" and ".Dxf" by turns, as different CAD systems
write them.

    make_cased_parts.py PARTS FOLDER
"""
import os
import shutil
import sys


def main(parts, folder):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, "parts"))
    names = sorted(n for n in os.listdir(parts) if n.lower().endswith(".dxf"))
    for i, name in enumerate(names):
        stem = name[: -len(".dxf")]
        shutil.copyfile(os.path.join(parts, name), os.path.join(folder, "parts", stem + (".dxf", ".DXF", ".Dxf")[i % 3]))
    print("%d parts in %s" % (len(names), os.path.join(folder, "parts")))
    return 0 if names else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]) if len(sys.argv) == 3 else 2)
