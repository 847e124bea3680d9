#!/usr/bin/env python3
"""Times FFmpeg's hqdn3d and nlmeans denoisers (one thread) on the frames the
effect-chain benchmark generates, and prints our chain's and our denoiser's
time per frame as a ratio to each.

Usage: compare_ffmpeg.py [path/to/enhance_bench] [--sizes 640x480,1920x1080]
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SIZES = ["640x480", "1280x720", "1920x1080", "2592x1944"]
# Frames pushed through ffmpeg per measurement (looped over the written ones);
# nlmeans is slow, so it gets fewer.
FFMPEG_FRAMES = {"hqdn3d": 300, "nlmeans": 6}


def find_bench(explicit):
    if explicit:
        return explicit
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    for entry in sorted(os.listdir(root)):
        candidate = os.path.join(root, entry, "bench", "enhance", "chain", "enhance_bench")
        if entry.startswith("build") and os.access(candidate, os.X_OK):
            return candidate
    sys.exit("enhance_bench not found: build with -DDUNSELLOW_BENCH=ON or pass its path")


def our_times(bench, sizes):
    """ms per frame by (stage, form, size) from the benchmark's JSON output."""
    pattern = "^(chain|denoise)/.*/(" + "|".join(sizes) + ")/"
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        subprocess.run([bench, "--benchmark_filter=" + pattern, "--benchmark_out=" + out.name,
                        "--benchmark_out_format=json"], check=True, capture_output=True)
        report = json.load(open(out.name))
    times = {}
    for b in report["benchmarks"]:
        if b.get("error_occurred"):
            continue
        stage, form, size = b["name"].split("/")[:3]
        scale = {"ms": 1.0, "us": 1e-3, "ns": 1e-6, "s": 1e3}[b["time_unit"]]
        times[(stage, form, size)] = b["real_time"] * scale
    return times


def ffmpeg_seconds(raw, size, vf, frames):
    cmd = ["ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-threads", "1",
           "-filter_threads", "1", "-filter_complex_threads", "1",
           "-stream_loop", "-1", "-f", "rawvideo", "-pix_fmt", "yuv422p", "-s", size,
           "-i", raw, "-frames:v", str(frames), "-vf", vf, "-f", "null", "-"]
    start = time.perf_counter()
    subprocess.run(cmd, check=True)
    return time.perf_counter() - start


def ffmpeg_ms_per_frame(raw, size, filt):
    frames = FFMPEG_FRAMES[filt]
    # The run without the filter (reading and passing frames on) is taken off;
    # the best of three runs each keeps other load on the machine out.
    base = min(ffmpeg_seconds(raw, size, "null", frames) for _ in range(3))
    total = min(ffmpeg_seconds(raw, size, filt, frames) for _ in range(3))
    return max(total - base, 0.0) * 1000.0 / frames


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("bench", nargs="?")
    parser.add_argument("--sizes", default=",".join(SIZES))
    args = parser.parse_args()
    if not shutil.which("ffmpeg"):
        sys.exit("ffmpeg not installed")
    bench = find_bench(args.bench)
    sizes = args.sizes.split(",")

    with tempfile.TemporaryDirectory(prefix="enhance-bench-") as tmp:
        subprocess.run([bench, "--write_frames=" + tmp], check=True, capture_output=True)
        ours = our_times(bench, sizes)
        print(f"{'size':>10} {'filter':>8} {'ffmpeg ms':>10} | "
              f"{'chain ms':>9} {'ratio':>6} | {'denoise ms':>10} {'ratio':>6}   (our best form)")
        for size in sizes:
            raw = os.path.join(tmp, f"page_{size}.yuv422p")
            forms = [f for (s, f, z) in ours if s == "chain" and z == size]
            best = min(forms, key=lambda f: ours[("chain", f, size)]) if forms else None
            chain = ours.get(("chain", best, size))
            denoise = min((ours[k] for k in ours if k[0] == "denoise" and k[2] == size), default=None)
            for filt in ("hqdn3d", "nlmeans"):
                ff = ffmpeg_ms_per_frame(raw, size, filt)
                def cell(v):
                    if v is None:
                        return f"{'n/a':>9} {'':>6}"
                    return f"{v:9.2f} {v / ff if ff > 0 else float('inf'):6.3f}"
                print(f"{size:>10} {filt:>8} {ff:10.2f} | {cell(chain)} | {cell(denoise):>17}")
                sys.stdout.flush()
        print("ratio = our ms per frame / ffmpeg ms per frame (below 1: we are faster)")


if __name__ == "__main__":
    main()
