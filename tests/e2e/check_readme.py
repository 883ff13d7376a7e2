"""The README's copy of a script is the script: the fenced block that follows
the line "<!-- NAME -->" (NAME the script's file name) holds its text exactly.

    check_readme.py README SCRIPT
"""
import difflib
import os
import sys


def main(readme, script):
    name = os.path.basename(script)
    text = open(readme, encoding="utf-8").read()
    opening = "<!-- %s -->\n```\n" % name
    at = text.find(opening)
    if at < 0:
        print("%s: no block after <!-- %s -->" % (readme, name))
        return 1
    start = at + len(opening)
    end = text.find("```\n", start)
    if end < 0:
        print("%s: the block after <!-- %s --> does not end" % (readme, name))
        return 1
    block = text[start:end]
    wanted = open(script, encoding="utf-8").read()
    if block != wanted:
        diff = difflib.unified_diff(wanted.splitlines(), block.splitlines(), script, readme, lineterm="")
        print("\n".join(diff))
        return 1
    print("%s holds %s as it is" % (readme, name))
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]) if len(sys.argv) == 3 else 2)
