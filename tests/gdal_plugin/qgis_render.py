"""QGIS opens VXV layer sets through the driver and draws them.

Converts the bundled samples with the built vxtranslate, opens the town set (three layers of
its three kinds) and the UTM layers of the folder, checks each layer's driver, coordinate
system and feature count, and renders each group to a PNG in the screenshots folder, checking
that the picture holds the drawing. Run by CTest with QT_QPA_PLATFORM=offscreen and
GDAL_DRIVER_PATH pointing at the build's plugin.
"""
import argparse
import os
import subprocess
import sys
import tempfile

from qgis.core import (QgsApplication, QgsCoordinateReferenceSystem, QgsCoordinateTransform,
                       QgsMapRendererSequentialJob, QgsMapSettings, QgsPointXY, QgsProject,
                       QgsRectangle, QgsVectorLayer)
from qgis.PyQt.QtCore import QSize
from qgis.PyQt.QtGui import QColor

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)
        print("FAILED: " + text)


def open_layer(uri, name, count, crs, probe):
    """A layer with `count` features in the system `crs`: `probe`, a point in the layer's
    coordinates, lands on itself in that system."""
    layer = QgsVectorLayer(uri, name, "ogr")
    check(layer.isValid(), name + " opens")
    if not layer.isValid():
        return None
    storage = layer.dataProvider().storageType()
    check(storage == "VXV", name + " is read by the VXV driver, not " + storage)
    check(layer.featureCount() == count, "%s has %d features, not %d"
          % (name, layer.featureCount(), count))
    to = QgsCoordinateTransform(layer.crs(), QgsCoordinateReferenceSystem(crs),
                                QgsProject.instance())
    there = to.transform(QgsPointXY(*probe))
    check(abs(there.x() - probe[0]) < 1e-6 and abs(there.y() - probe[1]) < 1e-6,
          "%s is in %s (%s lands at %s)" % (name, crs, probe, there))
    return layer


def render(layers, path):
    """Draws the layers on white; the drawing must cover part of the picture in more than one
    colour."""
    extent = QgsRectangle()
    for layer in layers:
        extent.combineExtentWith(layer.extent())
    extent.scale(1.1)
    settings = QgsMapSettings()
    settings.setLayers(layers)
    settings.setDestinationCrs(layers[0].crs())
    settings.setExtent(extent)
    settings.setOutputSize(QSize(800, 600))
    settings.setBackgroundColor(QColor(255, 255, 255))
    job = QgsMapRendererSequentialJob(settings)
    job.start()
    job.waitForFinished()
    image = job.renderedImage()
    check(image.save(path, "PNG"), "the picture is saved to " + path)
    pixels = [image.pixel(x, y) & 0xFFFFFF
              for y in range(0, image.height(), 2) for x in range(0, image.width(), 2)]
    drawn = [rgb for rgb in pixels if rgb != 0xFFFFFF]
    share = len(drawn) / len(pixels)
    print("%s: %.1f%% drawn in %d colours" % (path, 100 * share, len(set(drawn))))
    check(share > 0.003, path + " shows the layers (%.2f%% drawn)" % (100 * share))
    check(len(set(drawn)) > 1, path + " is drawn in more than one colour")


def check_samples(args):
    with tempfile.TemporaryDirectory() as work:
        run = subprocess.run([args.convert, work + "/out", args.bin], capture_output=True,
                             text=True)
        check(run.returncode == 0, "the samples convert:\n" + run.stdout + run.stderr)
        vxv = work + "/out/VXV"
        # The town set by its name: its kinds are town_rg, town_ln and town_pt.
        town = [open_layer(vxv + "/town.vxv|layername=" + name, name, count, "EPSG:4326",
                           (12.49, 41.9))
                for name, count in (("town_rg", 2), ("town_ln", 2), ("town_pt", 3))]
        utm = [open_layer(vxv + "|layername=" + name, name, count, "EPSG:32633",
                          (512000.0, 4640000.0))
               for name, count in (("lakes", 2), ("streams", 2), ("wells", 3))]
        if all(town):
            names = [f["Name"] for f in town[2].getFeatures()]
            check(names == ["Fountain", 'Church of St. "Maria"', "Colosseum"],
                  "the town's points carry their names: %s" % names)
            render(town[::-1], args.out + "/vxv_town.png")  # points over lines over regions
        if all(utm):
            render(utm[::-1], args.out + "/vxv_utm33.png")


def main():
    parser = argparse.ArgumentParser()
    for option in ("--convert", "--bin", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    app = QgsApplication([], False)
    app.initQgis()
    check_samples(args)  # every layer is gone before QGIS shuts down
    app.exitQgis()
    print("%d failed" % len(failures) if failures else "QGIS drew the VXV layers")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
