"""DXF files for the stand-in host's converter tests, read and written with ezdxf.

  probe.py read FILE           JSON of what a strict load finds: audit errors and fixes,
                               layers, linetypes, entities with points on them
  probe.py write KIND FILE     an awkward DXF of the named kind
"""
import json
import math
import sys

import ezdxf


def points_on(entity):
    """Points that lie exactly on the entity's curve."""
    kind = entity.dxftype()
    if kind in ("LWPOLYLINE", "POLYLINE"):
        return [p for part in entity.virtual_entities() for p in points_on(part)]
    if kind == "LINE":
        return [list(entity.dxf.start)[:2], list(entity.dxf.end)[:2]]
    if not hasattr(entity, "flattening"):
        return []
    return [[v.x, v.y] for v in entity.flattening(0.01)]


def read(file):
    doc = ezdxf.readfile(file)
    auditor = doc.audit()
    entities = []
    for e in doc.modelspace():
        item = {"type": e.dxftype(), "layer": e.dxf.layer, "linetype": e.dxf.get("linetype", "BYLAYER")}
        if e.dxftype() == "TEXT":
            item.update(text=e.dxf.text, at=list(e.dxf.insert)[:2], height=e.dxf.height, rotation=e.dxf.rotation)
        elif e.dxftype() == "MTEXT":
            item.update(text=e.plain_text(), at=list(e.dxf.insert)[:2], height=e.dxf.char_height,
                        rotation=e.get_rotation())
        else:
            item["points"] = points_on(e)
        entities.append(item)
    layers = {l.dxf.name: {"on": l.is_on(), "rgb": list(l.rgb) if l.rgb else None} for l in doc.layers}
    linetypes = [lt.dxf.name for lt in doc.linetypes]
    json.dump({"errors": len(auditor.errors), "fixes": len(auditor.fixes), "layers": layers, "linetypes": linetypes,
               "entities": entities}, sys.stdout, ensure_ascii=False)


def square(msp, x, y, size, **attribs):
    msp.add_lwpolyline([(x, y), (x + size, y), (x + size, y + size), (x, y + size)], close=True, dxfattribs=attribs)


def write(kind, file):
    version = {"r12": "R12", "r2000": "R2000", "r2018": "R2018", "crlf": "R2000"}.get(kind, "R2000")
    doc = ezdxf.new(version)
    msp = doc.modelspace()
    if kind == "r12":  # cp1251 texts and layers, an old-style polyline with a bulge
        doc.encoding = "cp1251"
        doc.header["$DWGCODEPAGE"] = "ANSI_1251"
        doc.layers.add("Контур")
        msp.add_polyline2d([(0, 0), (10, 0), (10, 10), (0, 10)], close=True, dxfattribs={"layer": "Контур"})
        p = msp.add_polyline2d([(20, 0, 0, 0, 1), (30, 0)], format="xyseb", dxfattribs={"layer": "Контур"})
        msp.add_text("Деталь [Ст3] [2] [5 шт]", dxfattribs={"layer": "Контур", "height": 5, "insert": (1, 2)})
    else:
        doc.header["$INSUNITS"] = 5 if kind == "r2018" else 4  # centimetres or millimetres
        doc.layers.add("Cut", color=1)
        doc.layers.add("Marks", color=3)
        doc.linetypes.add("DASHED2", pattern=[0.75, 0.5, -0.25], description="Dashed")
        doc.linetypes.add("DASHED3", pattern=[0.75, 0.5, -0.25], description="Dashed, the same")
        msp.add_line((0, 0), (100, 0), dxfattribs={"layer": "Cut"})
        msp.add_line((0, 0), (100, 0), dxfattribs={"layer": "Cut"})  # a duplicate
        msp.add_lwpolyline([(0, 10), (50, 10), (50, 40)], dxfattribs={"layer": "Cut"})  # open
        msp.add_lwpolyline([(60, 0, 0.5), (80, 0, 0), (80, 20, -1)], format="xyb", close=True,
                           dxfattribs={"layer": "Cut", "linetype": "DASHED2"})
        msp.add_spline([(0, 50), (10, 60), (20, 50), (30, 60)], dxfattribs={"layer": "Cut", "linetype": "DASHED3"})
        msp.add_open_spline([(0, 70), (10, 80), (20, 70), (30, 80)], degree=3, dxfattribs={"layer": "Cut"})
        square(msp, 100, 100, 50, layer="Cut")  # an outline with nested holes
        square(msp, 110, 110, 30, layer="Cut")
        square(msp, 120, 120, 10, layer="Cut")
        block = doc.blocks.new("HOLE", base_point=(5, 5))
        block.add_circle((5, 5), 2)
        inner = doc.blocks.new("PAIR")
        inner.add_blockref("HOLE", (0, 0))
        inner.add_blockref("HOLE", (10, 0), dxfattribs={"xscale": -1})
        msp.add_blockref("PAIR", (200, 0), dxfattribs={"layer": "Marks", "rotation": 90})
        msp.add_blockref("HOLE", (250, 0), dxfattribs={"xscale": 2, "yscale": 1})  # unequal scales
        msp.add_ellipse((0, 200), major_axis=(20, 0), ratio=0.5, start_param=0, end_param=math.pi)
        msp.add_arc((50, 200), 10, 0, 270, dxfattribs={"layer": "Marks"})
        msp.add_mtext("Первая строка\\PВторая {\\fArial;строка}\\P\\pxqc;[Кол-во=4]\\n[Толщина=3]",
                      dxfattribs={"layer": "Marks", "char_height": 3, "insert": (0, 300)})
    if kind == "crlf":
        doc.saveas(file)
        with open(file, "rb") as f:
            data = f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
        with open(file, "wb") as f:
            f.write(data)
    else:
        doc.saveas(file)


if __name__ == "__main__":
    if sys.argv[1] == "read":
        read(sys.argv[2])
    else:
        write(sys.argv[2], sys.argv[3])
