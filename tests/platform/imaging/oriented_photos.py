#!/usr/bin/env python3
"""Photos as cameras and phones write them, with Pillow's upright references.

usage: oriented_photos.py DIR [WIDTH HEIGHT]
  writes DIR/orient-N.jpg (EXIF orientation N = 1..8; the stored pixels are
  the upright scene turned the way a camera of that orientation stores it)
  and DIR/orient-N-upright.ppm, ImageOps.exif_transpose of the JPEG.
usage: oriented_photos.py --upright IN.jpg OUT.ppm
  only the upright reference of one file.
"""
import os
import sys

from PIL import Image, ImageOps

# The stored pixels of orientation N are the upright scene with the inverse
# of the transpose that exif_transpose applies.
INVERSE = {
    1: None,
    2: Image.Transpose.FLIP_LEFT_RIGHT,
    3: Image.Transpose.ROTATE_180,
    4: Image.Transpose.FLIP_TOP_BOTTOM,
    5: Image.Transpose.TRANSPOSE,
    6: Image.Transpose.ROTATE_90,
    7: Image.Transpose.TRANSVERSE,
    8: Image.Transpose.ROTATE_270,
}


def scene(w, h):
    # Four flat quadrants and a bar along the top: no turn or mirror of it
    # looks like another, and flat areas survive JPEG nearly unchanged.
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            left, top = x < w // 2, y < h // 2
            c = {(True, True): (220, 40, 40), (False, True): (40, 200, 40),
                 (True, False): (40, 40, 220), (False, False): (230, 230, 60)}[(left, top)]
            if y < h // 4 and x < w // 4:
                c = (250, 250, 250)
            px[x, y] = c
    return im


def upright(src, dst):
    ImageOps.exif_transpose(Image.open(src)).convert("RGB").save(dst, format="PPM")


def main():
    if sys.argv[1] == "--upright":
        upright(sys.argv[2], sys.argv[3])
        return
    out = sys.argv[1]
    w, h = (int(sys.argv[2]), int(sys.argv[3])) if len(sys.argv) > 3 else (96, 64)
    base = scene(w, h)
    for n, inverse in INVERSE.items():
        stored = base if inverse is None else base.transpose(inverse)
        exif = Image.Exif()
        exif[0x0112] = n
        exif[0x010F] = "Dunsellow test camera"  # Make: a field a save must keep
        path = os.path.join(out, "orient-%d.jpg" % n)
        stored.save(path, format="JPEG", quality=95, exif=exif.tobytes())
        upright(path, os.path.join(out, "orient-%d-upright.ppm" % n))


main()
