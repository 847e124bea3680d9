// The capture page's hot paths with the stand-in camera at 1920 x 1080:
//
//   preview: frames from the camera through the effect chain (frame judge,
//            denoiser and dynamic light all on), taken into the preview
//            picture on the main loop and drawn into a 960 x 540 view as the
//            preview view draws them. Frames shown per second, CPU time per
//            frame of the whole process (camera thread, effect workers, main
//            loop) and of the main loop alone, and the cores busy.
//            The preview's own cost is the whole process's CPU per frame
//            less two in-process anchors run in turns with the preview (the
//            preview stopped meanwhile, so that nothing else runs):
//              decode: the stand-in camera's source read and decoded alone,
//                      as the camera thread reads it (lavfi testsrc2);
//              chain:  an effect object of the same size and switches on the
//                      same pictures, converted beforehand, CPU of all threads
//                      inside its calls only.
//            What is left is the picture's conversion from the camera, its
//            hand-over to the main loop, the view's picture and the draw.
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
//   capture_bench [--seconds=N] [--effects=off] [--record=N]
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
#include <string>
#include <thread>
#include <vector>

#include "BareJpeg.h"
#include "BenchTiming.h"
#include "CaptureManage.h"
#include "CaptureWindow.h"
#include "PreviewAnchors.h"
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

// The preview view's drawing: the picture into a cairo surface as the view
// takes it, then scaled into the view with the bilinear filter.
struct View {
  cairo_surface_t* frame = nullptr;
  cairo_surface_t* window = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 960, 540);

  ~View() {
    if (frame) cairo_surface_destroy(frame);
    cairo_surface_destroy(window);
  }

  void Draw(GWorldPtr world) {
    if (!CopyPreviewToSurface(world, &frame)) return;
    cairo_t* cr = cairo_create(window);
    cairo_scale(cr, 960.0 / world->width, 540.0 / world->height);
    cairo_set_source_surface(cr, frame, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(window);
  }
};

struct Turn {
  double wall = 0, cpu = 0, mainCpu = 0;
  uint64_t processed = 0, shown = 0;
  std::vector<double> drawMs;
};

// One turn of the main loop's share for `seconds`; the engine's Idle() is
// what the view's timer calls.
Turn PreviewTurn(CCaptureManage& engine, View& view, double seconds) {
  Turn t;
  uint64_t last = engine.FrameCount();
  const uint64_t processed0 = engine.FramesProcessed();
  const double cpu0 = ProcessCpuMs(), main0 = ThreadCpuMs();
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  while (Clock::now() < end) {
    if (engine.Idle() == 0 && engine.FrameCount() != last) {
      last = engine.FrameCount();
      const auto d = Clock::now();
      view.Draw(engine.GetSGGWorld());
      t.drawMs.push_back(Ms(Clock::now() - d));
      ++t.shown;
    }
    // The view's timer fires every 30 ms; polling faster only shows that no
    // frame waits on the main loop.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  t.wall = std::chrono::duration<double>(Clock::now() - start).count();
  t.cpu = ProcessCpuMs() - cpu0;
  t.mainCpu = ThreadCpuMs() - main0;
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

// Preview turns alternate with the anchors' turns (the preview stopped), so
// that both sides see the same load; medians over the rounds.
void Preview(CCaptureManage& engine, double seconds, int effects) {
  constexpr int kRounds = 4, kAnchorFrames = 45;
  View view;
  bench::PreviewAnchors anchors(1920, 1080, 30, effects, effects, effects);
  if (!anchors.Ok()) {
    std::fprintf(stderr, "the anchors' camera source cannot be opened\n");
    return;
  }
  // Warm-up: the effect objects settle on the first frames.
  Settle(engine, 2);
  anchors.ChainMs(10, 0);
  std::vector<double> total, mainLoop, decode, chain, own, cores, draw, rate, drawn;
  double wall = 0;
  std::vector<int> threadCounts;
  for (int round = 0; round < kRounds; ++round) {
    const Turn t = PreviewTurn(engine, view, seconds / kRounds);
    wall += t.wall;
    const int threads = engine.EffectThreadCount();
    threadCounts.push_back(threads);
    engine.StopPreview();
    const double d = anchors.DecodeMs(kAnchorFrames), c = anchors.ChainMs(kAnchorFrames, threads);
    const double perFrame = t.processed ? t.cpu / double(t.processed) : 0.0;
    total.push_back(perFrame);
    mainLoop.push_back(t.shown ? t.mainCpu / double(t.shown) : 0.0);
    decode.push_back(d);
    chain.push_back(c);
    own.push_back(perFrame - d - c);
    cores.push_back(t.cpu / (t.wall * 1e3));
    rate.push_back(t.processed / t.wall);
    drawn.push_back(t.shown / t.wall);
    draw.insert(draw.end(), t.drawMs.begin(), t.drawMs.end());
    engine.StartPreview();
    Settle(engine, 0.7);
  }
  const double frameMs = 1000.0 / 30;
  std::printf("preview 1920x1080, %s, %.0f s in %d turns, load %.1f:\n", effects ? "every effect on" : "effects off",
              wall, kRounds, bench::LoadAverage());
  std::printf("  frames through the effect chain %.1f/s, drawn %.1f/s\n", Median(rate), Median(drawn));
  std::printf("  CPU per frame: %.1f ms in all threads, %.1f ms on the main loop (draw median %.1f ms)\n",
              Median(total), Median(mainLoop), Median(draw));
  std::string counts;
  for (int n : threadCounts) counts += (counts.empty() ? "" : ",") + std::to_string(n);
  std::printf("  anchors, alone in turns: camera decode %.2f ms a frame, effect chain %.2f ms a frame "
              "(on the preview chain's threads: %s)\n",
              Median(decode), Median(chain), counts.c_str());
  std::printf("  preview's own cost (all threads - decode - chain): %.2f ms a frame (turns %.2f..%.2f), "
              "%.2f of the chain's, %.3f cores at 30 frames/s\n",
              Median(own), *std::min_element(own.begin(), own.end()), *std::max_element(own.begin(), own.end()),
              Median(chain) > 0 ? Median(own) / Median(chain) : 0.0, Median(own) / frameMs);
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
  int effects = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--record=", 9) == 0) record = std::max(1.0, std::atof(argv[i] + 9));
    if (std::strncmp(argv[i], "--seconds=", 10) == 0) seconds = std::max(1.0, std::atof(argv[i] + 10));
    if (std::strcmp(argv[i], "--effects=off") == 0) effects = 0;
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
  Preview(engine, seconds, effects);

  char tmpl[] = "/tmp/capture-bench-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  if (!dir) return 1;
  Photos(engine, dir);
  engine.StopPreview();
  fs::remove_all(dir);
  return 0;
}
