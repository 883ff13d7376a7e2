"""Part and sheet files holding closed shapes of the kinds the DXF reader
leaves out, as a user's CAD writes them (ezdxf), written into the folder
given: in `parts`, a 100 × 200 plate with a 40 × 40 shape at (30, 30) inside
it, across its edge at (80, 30), beside it at (230, 30) or on a frozen layer;
in `sheets`, a 1000 × 500 sheet with a circle of radius 50 about (500, 250) on
a layer off or frozen, made invisible, in a centre line or plain on a layer
of its own, or with a closed multiline 100 × 100 at (300, 200)."""
import sys
from pathlib import Path

import ezdxf
from ezdxf.acis import api as acis
from ezdxf.render import MeshBuilder


def square(x, y, side=40):
    return [(x, y), (x + side, y), (x + side, y + side), (x, y + side)]


def region(doc, msp, ring, kind="region"):
    mesh = MeshBuilder()
    mesh.add_face([(x, y, 0) for x, y in ring])
    acis.export_dxf(msp.add_region() if kind == "region" else msp.add_3dsolid(), [acis.body_from_mesh(mesh)])


def mesh(doc, msp, ring):
    with msp.add_mesh().edit_data() as data:
        data.vertices, data.faces = [(x, y, 0) for x, y in ring], [(0, 1, 2, 3)]


def slot(doc, msp, ring):
    doc.layers.add("SLOT")
    msp.add_mline(ring, close=True, dxfattribs={"layer": "SLOT"})


KINDS = {
    "mline": slot,
    "region": region,
    "solid3d": lambda d, m, r: region(d, m, r, "3dsolid"),
    "face3d": lambda d, m, r: m.add_3dface([(x, y, 0) for x, y in r]),
    "polyface": lambda d, m, r: m.add_polyface().append_face([(x, y, 0) for x, y in r]),
    "mesh": mesh,
    "helix": lambda d, m, r: m.add_helix(radius=20, pitch=0, turns=2).translate(r[0][0] + 20, r[0][1] + 20, 0),
    "image": lambda d, m, r: m.add_image(d.add_image_def("logo.png", (400, 400)), r[0], (40, 40)),
    "solid": lambda d, m, r: m.add_solid([r[0], r[1], r[3], r[2]]),
    "trace": lambda d, m, r: m.add_trace([r[0], r[1], r[3], r[2]]),
    "wipeout": lambda d, m, r: m.add_wipeout(r),
}


def write(path, size, draw, version="R2018"):
    doc = ezdxf.new(version, units=4)  # millimetres
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (size[0], 0), size, (0, size[1])], close=True)
    draw(doc, msp)
    doc.saveas(path)


def frozen(draw):
    def drawn(doc, msp, ring):
        doc.layers.add("FROZEN").freeze()
        draw(doc, msp, ring)
        for e in msp:
            if e.dxftype() != "LWPOLYLINE":
                e.dxf.layer = "FROZEN"
    return drawn


def parts(folder):
    folder.mkdir(parents=True, exist_ok=True)
    for name, draw in KINDS.items():
        for where, x, drawn in (("inside", 30, draw), ("across", 80, draw), ("beside", 230, draw), ("frozen", 30, frozen(draw))):
            write(folder / f"{name}_{where}.dxf", (100, 200), lambda d, m: drawn(d, m, square(x, 30)))
    # As a file from before 2013 keeps a region: its ACIS data as text.
    write(folder / "region_r2010_inside.dxf", (100, 200), lambda d, m: region(d, m, square(30, 30)), "R2010")
    # A window drawn as a polyline 2 mm wide: read as its line.
    write(folder / "wide_polyline_inside.dxf", (100, 200),
          lambda d, m: m.add_lwpolyline(square(30, 30), close=True, dxfattribs={"const_width": 2}))


def sheets(folder):
    folder.mkdir(parents=True, exist_ok=True)

    def circle(layer=None, **attribs):
        def drawn(doc, msp):
            if layer:
                doc.layers.add(layer)
            if "linetype" in attribs:
                doc.linetypes.add("CENTER", pattern=[25.0, 18.0, -3.0, 1.0, -3.0])
            msp.add_circle((500, 250), 50, dxfattribs=dict(attribs, layer=layer or "0"))
            if layer == "OFF":
                doc.layers.get(layer).off()
            if layer == "FROZEN":
                doc.layers.get(layer).freeze()
        return drawn

    for name, draw in (("off", circle("OFF")), ("frozen", circle("FROZEN")), ("centre_line", circle(linetype="CENTER")),
                       ("visible", circle("HOLES")), ("multiline", lambda d, m: slot(d, m, square(300, 200, 100))),
                       ("invisible", circle())):
        write(folder / f"{name}.dxf", (1000, 500), draw)
    # ezdxf leaves group 60 out: the circle made invisible is written so by hand.
    text = (folder / "invisible.dxf").read_text()
    at = text.index("AcDbEntity\n  8\n0\n", text.index("\nCIRCLE\n")) + len("AcDbEntity\n  8\n0\n")
    (folder / "invisible.dxf").write_text(text[:at] + " 60\n1\n" + text[at:])


if __name__ == "__main__":
    root = Path(sys.argv[1])
    parts(root / "parts")
    sheets(root / "sheets")
