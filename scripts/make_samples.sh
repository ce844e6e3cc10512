#!/usr/bin/env bash
# Makes the bundled sample set in samples/ from data this script writes: a hand-written
# MIF/MID with every kind of object, and GDAL-written shapefiles, a TAB table and a DGN
# drawing, plus an ASCII coordinate file. Run once; the results are committed.
set -euo pipefail
cd "$(dirname "$0")/.."
out=samples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# A small town in MIF/MID: points with symbols, a quoted name, polylines (one of two
# sections), a park with a pond as its hole, a triangle lot, and a text label.
printf '%s\r\n' 'Version 300' 'Charset "WindowsLatin1"' 'Delimiter ","' 'CoordSys Earth Projection 1, 104' \
    'Columns 3' '  Name Char(40)' '  Kind Char(16)' '  Length Decimal(10, 2)' 'Data' '' \
    'Point 12.4964 41.9028' '    Symbol (35,16711680,12)' \
    'Point 12.4823 41.8986' '    Symbol (34,255,10)' \
    'Pline 4' '12.4700 41.8900' '12.4800 41.8950' '12.4900 41.8970' '12.5000 41.9050' '    Pen (2,2,255)' \
    'Pline Multiple 2' '  3' '12.4600 41.9100' '12.4700 41.9120' '12.4800 41.9130' '  2' '12.4850 41.9140' \
    '12.4950 41.9160' '    Pen (1,5,8421504)' \
    'Region 2' '  5' '12.4750 41.8850' '12.4950 41.8850' '12.4950 41.9000' '12.4750 41.9000' '12.4750 41.8850' \
    '  5' '12.4800 41.8900' '12.4850 41.8900' '12.4850 41.8950' '12.4800 41.8950' '12.4800 41.8900' \
    '    Pen (1,2,0)' '    Brush (2,65280,16777215)' \
    'Region 1' '  4' '12.5000 41.9100' '12.5100 41.9100' '12.5050 41.9200' '12.5000 41.9100' \
    '    Pen (2,2,32768)' '    Brush (5,16776960,0)' \
    'Text' '    "Colosseum"' '    12.4900 41.8890 12.4950 41.8910' '    Font ("Arial",0,0,0)' >"$out/town.mif"
printf '%s\r\n' '"Fountain","poi",0' '"Church of St. ""Maria""","poi",0' '"Via Lata","road",1234.56' \
    '"Ring road","road",2210.00' '"Central park","park",0' '"Triangle lot","parcel",0' \
    '"Colosseum","label",0' >"$out/town.mid"

cat >"$work/wells.geojson" <<'JSON'
{"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"WELL_ID":"W-101","DEPTH_M":42.5,"ACTIVE":1},"geometry":{"type":"Point","coordinates":[512300.5,4640120.25]}},
{"type":"Feature","properties":{"WELL_ID":"W-102","DEPTH_M":37.0,"ACTIVE":0},"geometry":{"type":"Point","coordinates":[512950.0,4640410.75]}},
{"type":"Feature","properties":{"WELL_ID":"W-103","DEPTH_M":55.25,"ACTIVE":1},"geometry":{"type":"Point","coordinates":[513420.0,4639980.0]}}]}
JSON
cat >"$work/lakes.geojson" <<'JSON'
{"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"NAME":"Long Lake","AREA_HA":182.4},"geometry":{"type":"Polygon","coordinates":[[[510000,4638000],[512000,4638000],[512000,4639500],[510000,4639500],[510000,4638000]],[[510500,4638500],[510900,4638500],[510900,4638900],[510500,4638900],[510500,4638500]]]}},
{"type":"Feature","properties":{"NAME":"Round Pond","AREA_HA":12.9},"geometry":{"type":"Polygon","coordinates":[[[514000,4641000],[514300,4641100],[514200,4641400],[513900,4641300],[514000,4641000]]]}}]}
JSON
cat >"$work/streams.geojson" <<'JSON'
{"type":"FeatureCollection","features":[
{"type":"Feature","properties":{"NAME":"Mill Creek","ORDER":2},"geometry":{"type":"LineString","coordinates":[[509000,4637000],[510200,4637800],[511000,4638050],[512500,4639900]]}},
{"type":"Feature","properties":{"NAME":"Twin Brook","ORDER":1},"geometry":{"type":"MultiLineString","coordinates":[[[513000,4640000],[513500,4640600]],[[513600,4640700],[514100,4641050]]]}}]}
JSON
rm -f "$out"/wells.* "$out"/lakes.* "$out"/streams.* "$out"/districts.* "$out"/network.dgn
ogr2ogr -a_srs EPSG:32633 "$out/wells.shp" "$work/wells.geojson"
ogr2ogr -a_srs EPSG:32633 "$out/lakes.shp" "$work/lakes.geojson"
ogr2ogr -a_srs EPSG:32633 -nlt MULTILINESTRING "$out/streams.shp" "$work/streams.geojson"
ogr2ogr -f "MapInfo File" -a_srs EPSG:32633 "$out/districts.tab" "$work/lakes.geojson"
# DGN has no attribute columns; GDAL says so for each field it cannot carry.
ogr2ogr -f DGN -dsco SEED=/usr/share/gdal/seed_2d.dgn "$out/network.dgn" "$work/streams.geojson" 2>/dev/null

printf '%s\r\n' '# Benchmarks of a levelling survey: easting, northing, height (metres)' \
    '512300.50 4640120.25 212.4' '512950.00 4640410.75 208.9' '513420.00 4639980.00 215.1' \
    '513880.25 4640702.50 219.7' >"$out/survey.txt"
echo "Samples written to $out/"
