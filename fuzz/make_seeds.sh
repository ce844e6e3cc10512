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
mkdir -p fuzz/corpus/{mif,vxv,shape,dbf,recordset,ascii}
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
for shp in ["lakes", "streams", "wells"]:
    (corpus / "shape" / shp).write_bytes((work / (shp + ".shp")).read_bytes())
    table = (work / (shp + ".dbf")).read_bytes()
    (corpus / "recordset" / shp).write_bytes(table)
    # The first byte chooses the table operations: here all of them but the deletion.
    (corpus / "dbf" / shp).write_bytes(bytes([0x3f]) + table)
(corpus / "dbf" / "town_pt").write_bytes(bytes([0x1d]) + (work / "v" / "town_pt.dbf").read_bytes())
survey = (work / "survey.txt").read_bytes()
for kind in range(3):
    (corpus / "ascii" / f"survey{kind + 1}").write_bytes(bytes([kind]) + survey)
PY
du -sh fuzz/corpus
