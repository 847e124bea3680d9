#!/usr/bin/python3
"""Lanczos resampling of a 4000 x 3000 picture: ours against Pillow's LANCZOS,
the same picture in the same run, best of five each, with the load average.

Pillow keeps freed image blocks for the next image (PILLOW_BLOCKS_MAX, set
before Pillow is loaded), as ours keeps its large buffers, so neither side
pays for fresh pages. Pillow resamples on one thread, ours on the machine's
cores: both wall time and CPU time (every thread of the process) are given,
with a ratio for each.

usage: bench/platform/imaging/compare_pillow.py [build/bench/platform/imaging/imaging_bench]
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

# Before Pillow is loaded: it reads the block cache's size once.
os.environ.setdefault("PILLOW_BLOCKS_MAX", "256")

import numpy as np
from PIL import Image

try:  # older Pillow reads only the call
    Image.core.set_blocks_max(int(os.environ["PILLOW_BLOCKS_MAX"]))
except AttributeError:
    pass


def cpu_ms():
    r = resource.getrusage(resource.RUSAGE_SELF)
    return (r.ru_utime + r.ru_stime) * 1000


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
    print(f"threads available: {os.cpu_count()} (ours uses them; Pillow uses one); "
          f"load {os.getloadavg()[0]:.1f}; PILLOW_BLOCKS_MAX {os.environ['PILLOW_BLOCKS_MAX']}")
    print("target        ours ms (cpu)     Pillow ms (cpu)   wall ours/Pillow   cpu ours/Pillow")
    for tw, th in [(2000, 1500), (1000, 750), (4096, 3072), (160, 120)]:
        im.resize((tw, th), Image.Resampling.LANCZOS)  # blocks of this size in the cache
        best, best_cpu = 1e9, 1e9
        for _ in range(5):
            c0 = cpu_ms()
            t0 = time.perf_counter()
            im.resize((tw, th), Image.Resampling.LANCZOS)
            best = min(best, (time.perf_counter() - t0) * 1000)
            best_cpu = min(best_cpu, cpu_ms() - c0)
        ours, ours_cpu = (float(v) for v in
                          subprocess.check_output([exe, "--lanczos", ppm, str(tw), str(th)]).decode().split())
        print(f"{tw}x{th:<9} {ours:8.1f} ({ours_cpu:6.1f})  {best:8.1f} ({best_cpu:6.1f})"
              f"   {ours / best:10.2f}   {ours_cpu / best_cpu:14.2f}")
