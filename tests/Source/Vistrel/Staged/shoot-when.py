#!/usr/bin/python3
"""Screenshots the X display into OUT until at least MIN pixels are close to
the colour R,G,B (the picture is on screen), or SECONDS pass. Exit 0 when
seen, 1 otherwise; OUT holds the last screenshot either way."""
import subprocess
import sys
import time

from PIL import Image

out, r, g, b, least, seconds = sys.argv[1], *map(int, sys.argv[2:6]), float(sys.argv[6])
deadline = time.monotonic() + seconds
while True:
    subprocess.run(["import", "-window", "root", out], check=False)
    try:
        pixels = Image.open(out).convert("RGB").getdata()
        near = sum(1 for p in pixels if abs(p[0] - r) < 40 and abs(p[1] - g) < 40 and abs(p[2] - b) < 40)
    except OSError:
        near = 0
    if near >= least:
        sys.exit(0)
    if time.monotonic() > deadline:
        print(f"{out}: {near} pixels near {r},{g},{b}", file=sys.stderr)
        sys.exit(1)
    time.sleep(0.2)
