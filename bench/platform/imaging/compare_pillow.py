#!/usr/bin/python3
"""Lanczos resampling of a 4000 x 3000 picture: ours against Pillow's LANCZOS,
the same picture in the same run, best of five each.

usage: bench/platform/imaging/compare_pillow.py [build/bench/platform/imaging/imaging_bench]
"""
import os
import subprocess
import sys
import tempfile
import time

import numpy as np
from PIL import Image

exe = sys.argv[1] if len(sys.argv) > 1 else "build/bench/platform/imaging/imaging_bench"
rng = np.random.default_rng(7)
h, w = 3000, 4000
y, x = np.mgrid[0:h, 0:w]
pic = np.stack([(x * 150 // w + 60), (y * 170 // h + 40), np.where(((x // 40 + y // 30) % 2) == 1, 190, 70)], axis=-1)
pic = np.clip(pic + rng.integers(-4, 4, size=pic.shape), 0, 255).astype(np.uint8)
im = Image.fromarray(pic, "RGB")
with tempfile.TemporaryDirectory() as tmp:
    ppm = os.path.join(tmp, "in.ppm")
    im.save(ppm)
    print(f"threads available: {os.cpu_count()} (ours uses them; Pillow uses one)")
    print("target        ours ms   Pillow ms   ours/Pillow")
    for tw, th in [(2000, 1500), (1000, 750), (4096, 3072), (160, 120)]:
        best = 1e9
        for _ in range(5):
            t0 = time.perf_counter()
            im.resize((tw, th), Image.Resampling.LANCZOS)
            best = min(best, (time.perf_counter() - t0) * 1000)
        ours = float(subprocess.check_output([exe, "--lanczos", ppm, str(tw), str(th)]).decode())
        print(f"{tw}x{th:<9} {ours:8.1f}   {best:9.1f}   {ours / best:8.2f}")
