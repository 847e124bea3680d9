// The capture page's hot paths with the stand-in camera at 1920 x 1080:
//
//   preview: frames from the camera through the effect chain (frame judge,
//            denoiser and dynamic light all on), taken into the preview
//            picture on the main loop and drawn into a 960 x 540 view (or
//            --view=WxH) as the
//            preview view draws them, at its 30 ms timer's ticks. Frames
//            shown per second, CPU time per frame, and the cores busy.
//            The preview's own cost is the whole process's CPU per frame
//            less the camera's decoding and the effect chain, timed where
//            they run: the capture thread's reading and decoding, and its
//            time in the chain plus all threads but it and the main loop
//            (the chain's workers). What is left is the picture's
//            conversion from the camera, the view's picture made after the
//            chain and the capture thread's hand-over, and the main loop:
//            taking the frame, the view's picture where the capture thread
//            did not make it, the draw. Beside it, in turns with the preview (stopped meanwhile),
//            two in-process anchors at the camera's pace: the stand-in
//            camera's source decoded alone, and an effect object of the same
//            size and switches on the same pictures (CPU of all threads
//            inside its calls, on the thread counts the preview's chain had).
//   photo:   the photo command from the newest frame to the JPEG on disk
//            (date stamp, enlargement to the chosen size, quality 75) at
//            1920 x 1080 and at 3840 x 2160 (the largest photo size, twice the
//            video size), each as a median; and its save alone (the sized
//            picture to a whole-or-absent JPEG) against libjpeg-turbo alone
//            encoding the same pixels with the same settings to a file in
//            this run (plain, and with the fsync a whole-or-absent save
//            needs), whose bytes must be identical; wall time, and CPU time
//            of the thread doing both (the preview's threads run beside).
//
//   record:  with --record=N instead: N seconds of movie at the capture's
//            best quality (15 frames a second) with sound from the stand-in
//            microphone and every effect on: frames repeated because the
//            encoder fell behind, the sound/picture drift at the end as
//            ffprobe reads the file, the time "Record" takes to stop, and
//            CPU time per second of movie.
//
//   capture_bench [--seconds=N] [--effects=off] [--view=WxH] [--view-pictures=main] [--record=N]
//   (--view-pictures=main: the view's pictures all made on the main loop)
#include <cairo.h>
#include <glib.h>

#include <cstdio>

#include <jpeglib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "BareJpeg.h"
#include "BenchTiming.h"
#include "CaptureManage.h"
#include "CaptureWindow.h"
#include "PreviewAnchors.h"
#include "PreviewPictures.h"
#include "PreviewSurface.h"
#include "media/VideoCapture.h"
#include "DibHelper.h"
#include "ModuleInstance.h"
#include "ORVImageTools.h"
#include "PhotoWriter.h"
#include "os/Bundle.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;
using bench::Ms;

namespace {

double ProcessCpuMs() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The preview view's drawing as the capture page's view does it: the
// picture at the view's size as the capture thread made it for the frame on
// show (else converted here), then painted into the view.
struct View {
  CPreviewSurface picture;
  int width, height;
  cairo_surface_t* window;

  bool ask;  // false: every picture converted here, as before the capture thread made them

  View(int w, int h, bool askCapture)
      : width(w), height(h), window(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h)), ask(askCapture) {}

  ~View() { cairo_surface_destroy(window); }

  void Draw(CCaptureManage& engine) {
    GWorldPtr world = engine.GetSGGWorld();
    if (ask) engine.ViewPictures().Ask(width, height, 1.0);
    const CPreviewSurface* shown = engine.ViewPictures().Shown(world, width, height, 1.0);
    if (!shown) {
      if (!picture.Update(world, width, height, 1.0)) return;
      shown = &picture;
    }
    cairo_t* cr = cairo_create(window);
    shown->Paint(cr, SRect32{0, 0, width, height});
    cairo_destroy(cr);
    cairo_surface_flush(window);
  }
};

struct Turn {
  double wall = 0, cpu = 0, mainCpu = 0, viewMs = 0;
  media::VideoCapture::ThreadCpu camera;  // the capture thread's, in the turn
  uint64_t processed = 0, shown = 0;
  std::vector<double> drawMs;
  std::map<int, int> threads;  // the chain's thread count at each tick: ticks
};

// One turn of the main loop's share for `seconds`; the engine's Idle() is
// what the view's timer calls.
Turn PreviewTurn(CCaptureManage& engine, View& view, double seconds) {
  Turn t;
  uint64_t last = engine.FrameCount();
  const uint64_t processed0 = engine.FramesProcessed();
  const media::VideoCapture::ThreadCpu camera0 = engine.Video()->CpuSpent();
  const double cpu0 = ProcessCpuMs(), main0 = ThreadCpuMs(), view0 = engine.ViewPictures().CpuNs() / 1e6;
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  // Ticks as the view's 30 ms timer does, so the main loop's CPU holds its
  // wake-ups as in the program, not a faster poll's.
  auto tick = start;
  while (Clock::now() < end) {
    if (engine.Idle() == 0 && engine.FrameCount() != last) {
      last = engine.FrameCount();
      const auto d = Clock::now();
      view.Draw(engine);
      t.drawMs.push_back(Ms(Clock::now() - d));
      ++t.shown;
    }
    ++t.threads[engine.EffectThreadCount()];
    tick += std::chrono::milliseconds(30);
    std::this_thread::sleep_until(tick);
  }
  t.wall = std::chrono::duration<double>(Clock::now() - start).count();
  t.cpu = ProcessCpuMs() - cpu0;
  t.mainCpu = ThreadCpuMs() - main0;
  t.viewMs = engine.ViewPictures().CpuNs() / 1e6 - view0;
  const media::VideoCapture::ThreadCpu camera1 = engine.Video()->CpuSpent();
  t.camera = {camera1.totalNs - camera0.totalNs, camera1.readNs - camera0.readNs,
              camera1.convertNs - camera0.convertNs, camera1.hookNs - camera0.hookNs};
  t.processed = engine.FramesProcessed() - processed0;
  return t;
}

void Settle(CCaptureManage& engine, double seconds) {
  const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() < end) {
    engine.Idle();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::string Range(const std::vector<double>& v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f (%.2f..%.2f)", Median(v), *std::min_element(v.begin(), v.end()),
                *std::max_element(v.begin(), v.end()));
  return text;
}

// The preview's CPU split where it is spent, per frame: the main loop's
// thread (hand-over, the view's picture, the draw) and the capture thread
// (reading, converting, the effect chain's share on it) are timed in place;
// the process's other threads are the chain's workers. Preview turns
// alternate with the anchors' turns (the preview stopped): the camera's
// decoding and the chain each alone, so that both sides see the same load.
void Preview(CCaptureManage& engine, double seconds, int effects, int viewWidth, int viewHeight, bool viewPictures) {
  constexpr int kRounds = 4, kAnchorFrames = 30;
  View view(viewWidth, viewHeight, viewPictures);
  bench::PreviewAnchors anchors(1920, 1080, 30, effects, effects, effects);
  if (!anchors.Ok()) {
    std::fprintf(stderr, "the anchors' camera source cannot be opened\n");
    return;
  }
  // Warm-up: the effect objects settle on the first frames.
  Settle(engine, 2);
  anchors.ChainMs(10, 0);
  std::vector<double> total, mainLoop, decode, chain, own, convert, viewPicture, cores, draw, rate, drawn,
      decodeAlone, chainAlone;
  double wall = 0;
  std::vector<std::string> threadCounts;
  for (int round = 0; round < kRounds; ++round) {
    const Turn t = PreviewTurn(engine, view, seconds / kRounds);
    wall += t.wall;
    engine.StopPreview();
    decodeAlone.push_back(anchors.DecodeMs(kAnchorFrames));
    // The chain's tuner may change its thread count within a turn: the
    // anchor runs on each count seen, weighted by its share of the turn.
    double c = 0;
    int ticks = 0;
    for (const auto& [n, k] : t.threads) ticks += k;
    std::string seen;
    for (const auto& [n, k] : t.threads) {
      c += anchors.ChainMs(kAnchorFrames, n) * k / ticks;
      seen += (seen.empty() ? "" : "+") + std::to_string(n);
    }
    chainAlone.push_back(c);
    threadCounts.push_back(seen);
    const double frames = std::max<double>(1, double(t.processed));
    // The frame hook is the chain and, after it, the view's picture.
    const double cameraMs = t.camera.totalNs / 1e6, readMs = t.camera.readNs / 1e6,
                 hookMs = t.camera.hookNs / 1e6 - t.viewMs;
    const double workers = std::max(0.0, t.cpu - t.mainCpu - cameraMs);
    total.push_back(t.cpu / frames);
    mainLoop.push_back(t.mainCpu / frames);
    decode.push_back(readMs / frames);
    chain.push_back((hookMs + workers) / frames);
    convert.push_back(t.camera.convertNs / 1e6 / frames);
    viewPicture.push_back(t.viewMs / frames);
    own.push_back((t.mainCpu + cameraMs - readMs - hookMs) / frames);
    cores.push_back(t.cpu / (t.wall * 1e3));
    rate.push_back(t.processed / t.wall);
    drawn.push_back(t.shown / t.wall);
    draw.insert(draw.end(), t.drawMs.begin(), t.drawMs.end());
    engine.StartPreview();
    Settle(engine, 0.7);
  }
  std::string counts;
  for (const std::string& n : threadCounts) counts += (counts.empty() ? "" : ",") + n;
  const double frameMs = 1000.0 / 30;
  std::printf("preview 1920x1080 in a %dx%d view, %s, %.0f s in %d turns, load %.1f; ms of CPU a frame, median "
              "(turns):\n",
              viewWidth, viewHeight, effects ? "every effect on" : "effects off", wall, kRounds, bench::LoadAverage());
  std::printf("  frames through the effect chain %.1f/s, drawn %.1f/s\n", Median(rate), Median(drawn));
  std::printf("  all threads %s = camera decode %s + effect chain %s + the preview's own\n", Range(total).c_str(),
              Range(decode).c_str(), Range(chain).c_str());
  std::printf("  preview's own %s: conversion from the camera %s, view's picture on the capture thread %s, main "
              "loop %s (draw median %.2f ms wall); %.3f cores, %.2f of the chain's\n",
              Range(own).c_str(), Range(convert).c_str(), Range(viewPicture).c_str(), Range(mainLoop).c_str(),
              Median(draw),
              Median(own) / frameMs, Median(chain) > 0 ? Median(own) / Median(chain) : 0.0);
  std::printf("  anchors, alone in turns: camera decode %s (in the preview %.2f of it), effect chain %s on the "
              "preview chain's threads %s (in the preview %.2f of it)\n",
              Range(decodeAlone).c_str(), Median(decodeAlone) > 0 ? Median(decode) / Median(decodeAlone) : 0.0,
              Range(chainAlone).c_str(), counts.c_str(),
              Median(chainAlone) > 0 ? Median(chain) / Median(chainAlone) : 0.0);
  std::printf("  CPU cores busy: %.2f\n", Median(cores));
}

void Photos(CCaptureManage& engine, const fs::path& dir) {
  constexpr int kRuns = 7;
  for (SIZE size : {SIZE{1920, 1080}, SIZE{3840, 2160}}) {
    std::vector<double> command, save, saveCpu, bare, bareCpu, durable;
    bool same = true;
    for (int i = 0; i < kRuns; ++i) {
      engine.Idle();
      const std::string ourPath = (dir / ("photo" + std::to_string(i) + ".jpg")).string();
      const std::string savePath = (dir / ("save" + std::to_string(i) + ".jpg")).string();
      const std::string barePath = (dir / ("bare" + std::to_string(i) + ".jpg")).string();
      // The photo command: the newest frame to a whole file on disk.
      const auto t0 = Clock::now();
      PubImage::QelPicture* picture = nullptr;
      if (engine.CapturePic(&picture) != 0 || !picture) {
        std::fprintf(stderr, "no picture from the camera\n");
        return;
      }
      PhotoRequest request;
      request.resolution = size;
      request.timeStamp = true;
      request.type = 1;
      request.quality = 50;
      request.path = QelFromUTF8(ourPath);
      const int saved = WritePhoto(picture, request);
      command.push_back(Ms(Clock::now() - t0));
      if (!saved) {
        std::fprintf(stderr, "the photo was not written\n");
        picture->Release();
        return;
      }
      // Its save alone: the stamped picture at the photo's size to a JPEG,
      // as the command's last step does it. The preview goes on meanwhile
      // (as when the user takes a photo), so CPU time is this thread's: the
      // save and the bare encode both run on it alone.
      PubImage::QelPicture* sized = CoverResolution(picture, size);
      if (!sized) return;
      const int quality = PhotoJpegQuality(request.quality);
      double c0 = ThreadCpuMs();
      auto t1 = Clock::now();
      ORVGF::SaveImageFile(sized, QelFromUTF8(savePath).c_str(), quality, 1);
      save.push_back(Ms(Clock::now() - t1));
      saveCpu.push_back(ThreadCpuMs() - c0);
      // The same pixels, bare, with the same settings and EXIF marker.
      unsigned char* dib = Pict2Dib(sized);
      if (sized != picture) sized->Release();
      picture->Release();
      if (!dib) return;
      const auto* h = reinterpret_cast<const tagBITMAPINFOHEADER*>(dib);
      const bench::JpegLike like = bench::SettingsOf(savePath, quality);
      c0 = ThreadCpuMs();
      t1 = Clock::now();
      bench::BareJpeg(dib + h->biSize, DIBStride(h->biWidth, 24), h->biWidth, h->biHeight, true, like, barePath,
                      false);
      bare.push_back(Ms(Clock::now() - t1));
      bareCpu.push_back(ThreadCpuMs() - c0);
      t1 = Clock::now();
      bench::BareJpeg(dib + h->biSize, DIBStride(h->biWidth, 24), h->biWidth, h->biHeight, true, like, barePath,
                      true);
      durable.push_back(Ms(Clock::now() - t1));
      DIBDelete(dib);
      same = same && bench::ReadFileBytes(savePath) == bench::ReadFileBytes(barePath);
      fs::remove(ourPath);
      fs::remove(savePath);
      fs::remove(barePath);
    }
    const double s = Median(save), sc = Median(saveCpu), b = Median(bare), bc = Median(bareCpu),
                 d = Median(durable);
    std::printf("photo %dx%d (stamped, JPEG 75), load %.1f: command %.1f ms; its save %.1f ms (cpu %.1f), bare "
                "libjpeg-turbo %.1f ms (cpu %.1f): ratio %.2f (cpu %.2f); bare with fsync %.1f ms: ratio %.2f; "
                "files %s\n",
                int(size.cx), int(size.cy), bench::LoadAverage(), Median(command), s, sc, b, bc, b > 0 ? s / b : 0.0,
                bc > 0 ? sc / bc : 0.0, d, d > 0 ? s / d : 0.0, same ? "identical" : "DIFFER");
  }
}

std::string Probe(const std::string& path, const std::string& stream, const std::string& entry) {
  const std::string cmd = "ffprobe -v error -select_streams " + stream + " -show_entries stream=" + entry +
                          " -of csv=p=0 '" + path + "'";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
  return out;
}

int Record(double seconds, const fs::path& dir) {
  CCaptureManage engine(nullptr, CCaptureManage::kVideo | CCaptureManage::kSound, 0);
  engine.SetVideoResolution(SIZE{1920, 1080});
  engine.SetVideoQuality(100);
  engine.EnableFrameJudge(1);
  engine.EnableDenoise(1);
  engine.EnableDelight(1);
  if (engine.StartPreview() != 0) return 1;
  auto pump = [&engine](double s) {
    const auto end = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
    while (Clock::now() < end) {
      engine.Idle();
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  };
  pump(1.5);  // the first frames and sound blocks
  const std::string path = (dir / "movie.mov").string();
  const double cpu0 = ProcessCpuMs();
  if (engine.StartRecord(QelFromUTF8(path)) != 0) {
    std::fprintf(stderr, "the recording did not start\n");
    return 1;
  }
  pump(seconds);
  const auto stop = Clock::now();
  const int32_t stopped = engine.StopRecord();
  const double stopMs = Ms(Clock::now() - stop);
  const double cpu = ProcessCpuMs() - cpu0;
  engine.StopPreview();
  if (stopped != 0) return 1;
  const double video = std::atof(Probe(path, "v:0", "duration").c_str());
  const double sound = std::atof(Probe(path, "a:0", "duration").c_str());
  const long frames = std::atol(Probe(path, "v:0", "nb_frames").c_str());
  std::printf("record %.0f s of 1920x1080 at 15 frames a second with sound, every effect on:\n", seconds);
  std::printf("  frames %ld (%.1f s), sound %.3f s: drift %.1f ms (one frame %.1f ms)\n", frames, video, sound,
              (video - sound) * 1e3, 1000.0 / 15);
  std::printf("  frames repeated because the encoder was behind: %llu\n",
              (unsigned long long)engine.LastBacklogRepeats());
  std::printf("  stop took %.0f ms; CPU %.0f ms per second of movie (%.2f cores)\n", stopMs, cpu / seconds,
              cpu / (seconds * 1e3));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10, record = 0;
  int effects = 1, viewWidth = 960, viewHeight = 540;
  bool viewPictures = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--record=", 9) == 0) record = std::max(1.0, std::atof(argv[i] + 9));
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::max(1.0, std::atof(argv[i] + 10));
    if (std::strcmp(argv[i], "--effects=off") == 0) effects = 0;
    if (std::strcmp(argv[i], "--view-pictures=main") == 0) viewPictures = false;
    if (std::strncmp(argv[i], "--view=", 7) == 0 &&
        (std::sscanf(argv[i] + 7, "%dx%d", &viewWidth, &viewHeight) != 2 || viewWidth <= 0 || viewHeight <= 0)) {
      std::fprintf(stderr, "--view=WxH\n");
      return 2;
    }
  }
  setenv("DUNSELLOW_CAPTURE_DEVICES", "synthetic", 1);
  setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1920x1080,fps=30", 1);
  // The date stamp's digit pictures come from the staged module.
  auto bundle = plat::Bundle::AtPath(std::string(CAPTURE_STAGED_MODULE) + "/capture.bundle");
  if (!bundle) {
    std::fprintf(stderr, "the staged capture module is missing: build the capture target first\n");
    return 1;
  }
  vStoreModuleInst(&*bundle);
  if (record > 0) {
    char folder[] = "/tmp/capture-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const int rc = Record(record, folder);
    fs::remove_all(folder);
    return rc;
  }

  CCaptureManage engine(nullptr, CCaptureManage::kVideo, 0);
  engine.SetVideoResolution(SIZE{1920, 1080});
  engine.EnableFrameJudge(effects);
  engine.EnableDenoise(effects);
  engine.EnableDelight(effects);
  if (engine.StartPreview() != 0) {
    std::fprintf(stderr, "the stand-in camera did not start\n");
    return 1;
  }
  SIZE got{0, 0};
  engine.GetVideoResolution(got);
  std::printf("camera: %dx%d, %u cores, load %.1f\n", int(got.cx), int(got.cy), std::thread::hardware_concurrency(),
              [] {
                double l[1] = {0};
                return getloadavg(l, 1) == 1 ? l[0] : -1.0;
              }());
  Preview(engine, seconds, effects, viewWidth, viewHeight, viewPictures);

  char tmpl[] = "/tmp/capture-bench-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) return 1;
  Photos(engine, dir);
  engine.StopPreview();
  fs::remove_all(dir);
  return 0;
}
