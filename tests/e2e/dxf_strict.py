"""Exits 0 when every DXF file given loads with ezdxf's strict reader and its
audit finds nothing to mend, no error and no fix (Debian's python3 and
python3-ezdxf); else prints why and exits 1."""
import sys

import ezdxf

failed = False
for name in sys.argv[1:]:
    try:
        doc = ezdxf.readfile(name)
    except Exception as error:  # a file the reader refuses
        print(f"{name}: {error}")
        failed = True
        continue
    auditor = doc.audit()
    if auditor.has_errors:
        print(f"{name}: {len(auditor.errors)} audit errors")
        auditor.print_error_report()
        failed = True
    if auditor.has_fixes:
        print(f"{name}: {len(auditor.fixes)} audit fixes")
        auditor.print_fixed_errors()
        failed = True
    if not any(True for _ in doc.modelspace()):
        print(f"{name}: nothing in model space")
        failed = True
sys.exit(1 if failed else 0)
