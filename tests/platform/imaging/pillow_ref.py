#!/usr/bin/env python3
"""Independent reference results from Pillow for the imaging tests.

usage: pillow_ref.py IN.ppm OUT.ppm OP [ARGS...]
"""
import sys

from PIL import Image, ImageFilter, ImageOps

src, dst, op, *args = sys.argv[1:]
im = Image.open(src).convert("RGB")
if op == "rotate":
    im = im.transpose({"90": Image.Transpose.ROTATE_90, "180": Image.Transpose.ROTATE_180,
                       "270": Image.Transpose.ROTATE_270}[args[0]])
elif op == "flip":
    im = im.transpose(Image.Transpose.FLIP_LEFT_RIGHT if args[0] == "lr"
                      else Image.Transpose.FLIP_TOP_BOTTOM)
elif op == "crop":
    im = im.crop(tuple(int(a) for a in args))
elif op == "unsharp":
    im = im.filter(ImageFilter.UnsharpMask(radius=float(args[0]), percent=int(args[1]), threshold=0))
elif op == "autocontrast":
    im = ImageOps.autocontrast(im, cutoff=float(args[0]), preserve_tone=True)
elif op == "lanczos":
    im = im.resize((int(args[0]), int(args[1])), Image.Resampling.LANCZOS)
else:
    sys.exit("unknown op " + op)
im.save(dst, format="PPM")
