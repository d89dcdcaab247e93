#!/usr/bin/env bash
# Renders the icon's PNGs (32x32 and 16x16) and the Windows .ico (both sizes, 256 colours with
# a transparency mask) from lumivex.svg. Needs librsvg2-bin and imagemagick; the results are
# committed.
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert -w 32 -h 32 lumivex.svg -o lumivex-32.png
rsvg-convert -w 16 -h 16 lumivex.svg -o lumivex-16.png
convert lumivex-32.png lumivex-16.png -colors 256 lumivex.ico
