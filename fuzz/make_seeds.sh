#!/usr/bin/env bash
# Remakes the seed corpora in fuzz/corpus/ from the bundled samples: the samples themselves,
# and VXV layers that build/bin/vxtranslate imports from them. Paired inputs (MIF with MID,
# VXV with VXS) are one file: the first part's length in four little-endian bytes, then both
# parts. Run after scripts/build.sh; the seeds are small and kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp samples/* "$work/"
build/bin/vxtranslate import mif "$work/town.mif" -o "$work/v" -q
build/bin/vxtranslate import shp "$work/lakes.shp" "$work/wells.shp" -o "$work/v" -q
build/bin/vxtranslate import txt "$work/survey.txt" -o "$work/v" -q

rm -rf fuzz/corpus
mkdir -p fuzz/corpus/{mif,vxv,shape,dbf,recordset,ascii,gdal_vxv}
python3 - "$work" <<'PY'
import pathlib, struct, sys
work = pathlib.Path(sys.argv[1])
corpus = pathlib.Path("fuzz/corpus")

def pair(name, first, second):
    a, b = first.read_bytes(), second.read_bytes()
    (corpus / name).write_bytes(struct.pack("<I", len(a)) + a + b)

pair("mif/town", work / "town.mif", work / "town.mid")
for layer in ["town_rg", "town_ln", "town_pt", "survey", "VXV/lakes", "VXV/wells"]:
    pair("vxv/" + layer.split("/")[-1], work / "v" / (layer + ".vxv"), work / "v" / (layer + ".vxs"))
# The GDAL driver's layers: the .vxv, then the .vxs and the table as a pair of their own.
for layer in ["town_rg", "town_pt", "VXV/lakes", "VXV/wells"]:
    base = work / "v" / layer
    vxs, dbf = (base.parent / (base.name + ".vxs")).read_bytes(), (base.parent / (base.name + ".dbf")).read_bytes()
    rest = struct.pack("<I", len(vxs)) + vxs + dbf
    vxv = (base.parent / (base.name + ".vxv")).read_bytes()
    (corpus / "gdal_vxv" / layer.split("/")[-1]).write_bytes(struct.pack("<I", len(vxv)) + vxv + rest)
for shp in ["lakes", "streams", "wells"]:
    (corpus / "shape" / shp).write_bytes((work / (shp + ".shp")).read_bytes())
    table = (work / (shp + ".dbf")).read_bytes()
    (corpus / "recordset" / shp).write_bytes(table)
    # The first byte chooses the table operations: here all of them but the deletion.
    (corpus / "dbf" / shp).write_bytes(bytes([0x3f]) + table)
(corpus / "dbf" / "town_pt").write_bytes(bytes([0x1d]) + (work / "v" / "town_pt.dbf").read_bytes())
# Every object kind with its style clauses, on a projection, after the tests' fixtures.
kinds_mif = (
    b'Version 300\r\nCharset "WindowsLatin1"\r\nDelimiter ";"\r\n'
    b'CoordSys Earth Projection 3, 57, "m", -96.5, 23, 20.5, 60, 1000.4, -7\r\n'
    b'Columns 3\r\n  Name Char(10)\r\n  Size Decimal(12,2)\r\n  Seen Date\r\nData\r\n\r\n'
    b'Point 1.5 -2.25\r\n    Symbol (35,255,12)\r\n'
    b'Line 1 2 3 4\r\n    Pen (0,3,0)\r\n'
    b'Pline 3\r\n1 1\r\n2 2\r\n3 1\r\n    Pen (1,1,16711680)\r\n    Smooth\r\n'
    b'Pline Multiple 2\r\n  2\r\n0 0\r\n1 1\r\n  2\r\n5 5\r\n5 6\r\n'
    b'Region 2\r\n  5\r\n0 0\r\n10 0\r\n10 10\r\n0 10\r\n0 0\r\n  4\r\n2 2\r\n2 4\r\n4 4\r\n2 2\r\n'
    b'    Pen (1,2,0)\r\n    Brush (2,16777215,0)\r\n    Center 5 5\r\n'
    b'Rect 0 0 10 5\r\n  Pen (2,5,0)\r\n  Brush (4,0)\r\n'
    b'Roundrect 0 0 5 5\r\n  1\r\n'
    b'Ellipse 0 0 4 2\r\n'
    b'Arc 0 0 4 4 0 90\r\n'
    b'Text\r\n    "A label"\r\n    1 1 3 2\r\n    Font ("Arial",0,0,0)\r\n    Angle 15\r\n'
)
kinds_mid = b''.join(b'"r%d";%d.5;20240102\r\n' % (i, i) for i in range(1, 11))
(corpus / "mif" / "kinds").write_bytes(struct.pack("<I", len(kinds_mif)) + kinds_mif + kinds_mid)
# Multipoints, a collection, an object kind not read and numbers on the lines after their
# keyword, in Cyrillic.
parts_mif = (
    b'Version 300\r\nCharset "WindowsCyrillic"\r\nColumns 1\r\n  Name Char(10)\r\nData\r\n'
    b'MultiPoint 3\r\n1 2 3 4\r\n5 6\r\n    Symbol (35,0,12)\r\n'
    b'Collection 3\r\n  Region 1\r\n  4\r\n0 0\r\n0 9\r\n9 9\r\n0 0\r\n    Pen (1,2,0)\r\n'
    b'  Pline 3\r\n0 0\r\n1 1\r\n2 0\r\n  MultiPoint 2\r\n7 7\r\n8 8\r\n'
    b'Doughnut 1 2\r\nArc 0 0 4 4\r\n  350 10\r\nNone\r\nPoint 9 9\r\n'
)
parts_mid = b''.join(b'"\xcc\xee\xf1%d"\r\n' % i for i in range(1, 7))
(corpus / "mif" / "parts").write_bytes(struct.pack("<I", len(parts_mif)) + parts_mif + parts_mid)
survey = (work / "survey.txt").read_bytes()
for kind in range(3):
    (corpus / "ascii" / f"survey{kind + 1}").write_bytes(bytes([kind]) + survey)
PY
du -sh fuzz/corpus
