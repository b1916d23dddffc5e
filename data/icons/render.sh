#!/bin/sh
# Renders the icon's fixed sizes from its drawing; run after changing
# hicolor/scalable/apps/dorv.svg and commit the pictures. Windows take their
# icon from these at once, without drawing the SVG at start-up.
set -eu
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
  mkdir -p "hicolor/${size}x${size}/apps"
  /usr/bin/python3 - "$size" <<'PY'
import sys
import gi
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf
size = int(sys.argv[1])
pixbuf = GdkPixbuf.Pixbuf.new_from_file_at_scale("hicolor/scalable/apps/dorv.svg", size, size, True)
pixbuf.savev(f"hicolor/{size}x{size}/apps/dorv.png", "png", ["compression"], ["9"])
PY
done
