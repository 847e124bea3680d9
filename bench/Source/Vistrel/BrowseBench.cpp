// Browsing 100 generated 4000 x 3000 photos in the viewer's main window
// (headless), forward through the list and back:
//   preview:  "next" until the next photo's preview is shown,
//   full:     the full-resolution picture asked for until it is shown,
//   cold:     a new list until its first preview is shown (nothing read ahead),
// with, for telling the decode from what the viewer adds, the full picture's
// decode in the reader thread (the read-ahead of the neighbour that entered
// the queue runs beside it) and the viewer's reader called alone,
// each as a median in milliseconds and as a ratio to a bare libjpeg-turbo
// decode of the same file at the same scale (1/4 for the preview of a
// 640 x 480 picture area, 1/1 for the full picture), timed in the same run.
//
//   vistrel_browse_bench [--photos=N] [--dir=FOLDER]
// The photos are generated once into FOLDER (default: the build folder's
// bench-data/vistrel) and reused.
#include <glib.h>
#include <unistd.h>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "BenchTiming.h"
#include "App.h"
#include "BaseWnd.h"
#include "MainFrame.h"
#include "ThumbPool.h"
#include "img/ImageFile.h"
#include "os/AppleEvents.h"
#include "qel/QelMessage.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;
using bench::Ms;

namespace {

// A photo-like picture: smooth light, soft shapes and fine texture, shifted
// for each seed so no two files are alike.
void WritePhoto(const fs::path& path, int seed) {
  const int w = 4000, h = 3000;
  img::Bitmap b = img::Bitmap::Create(w, h);
  uint32_t noise = 2463534242u + uint32_t(seed) * 7919u;
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.mutable_row(y);
    for (int x = 0; x < w; ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      double fx = x / double(w), fy = y / double(h);
      double light = 0.55 + 0.35 * std::sin(3.1 * fx + seed) * std::cos(2.3 * fy - seed * 0.7);
      double shape = 0.25 * std::sin(40.0 * fx * fy + seed) + 0.1 * std::sin(90.0 * fx + 13 * fy);
      int t = int(noise & 15) - 8;
      auto clamp = [](double v) { return uint8_t(std::clamp(v, 0.0, 255.0)); };
      row[3 * x + 0] = clamp(255 * (light * 0.7 + shape) + t);
      row[3 * x + 1] = clamp(255 * (light * 0.85 + shape * 0.5) + t);
      row[3 * x + 2] = clamp(255 * (light + shape * 0.3) + t);
    }
  }
  img::JpegOptions o;
  o.quality = 90;
  img::SaveJpeg(b, path.string(), o);
}

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
};

// Decodes the file with libjpeg-turbo alone, at 1/scale; milliseconds. The
// pixels go into a buffer kept from the last call (as a program decoding
// one picture after another would keep it): fresh zeroed pages are not the
// library's work.
double BareDecodeMs(const fs::path& path, int scale) {
  static std::vector<uint8_t> pixels;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  auto start = Clock::now();
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<JpegError*>(c->err)->jump, 1); };
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::fclose(f);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = unsigned(scale);
  cinfo.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  const size_t bytes = size_t(cinfo.output_width) * cinfo.output_height * 3;
  if (pixels.size() < bytes) pixels.resize(bytes);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + size_t(cinfo.output_scanline) * cinfo.output_width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(f);
  return Ms(Clock::now() - start);
}

bool PumpUntil(const std::function<bool()>& done) {
  auto deadline = Clock::now() + std::chrono::seconds(60);
  while (!done()) {
    if (Clock::now() > deadline) return false;
    qel::DeliverPostedMessages();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    std::this_thread::yield();
  }
  return true;
}

bool QueueSettled() {
  for (const tagIMGFILEDATA& e : CBaseWnd::QueueSnapshot())
    if (!e.szFile.empty() && !e.objPict) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int photos = 100;
  fs::path dir = fs::path(DUNSELLOW_BENCH_DATA) / "vistrel";
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--photos=", 0) == 0) photos = std::max(10, std::atoi(a.c_str() + 9));
    if (a.rfind("--dir=", 0) == 0) dir = a.substr(6);
  }
  setenv("QEL_BACKEND", "headless", 1);
  fs::create_directories(dir);
  std::vector<fs::path> files;
  for (int i = 0; i < photos; ++i) {
    fs::path p = dir / ("photo_" + std::to_string(1000 + i) + ".jpg");
    if (!fs::exists(p)) {
      std::fprintf(stderr, "generating %s\n", p.c_str());
      WritePhoto(p, i);
    }
    files.push_back(p);
  }

  // A private settings folder: the bench never reads the user's placement.
  fs::path home = fs::temp_directory_path() / ("vistrel-bench-" + std::to_string(getpid()));
  fs::create_directories(home / "config");
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  theApp.SetBundleContents(VISTREL_STAGED_BUNDLE);
  if (!theApp.InitInstance()) {
    std::fprintf(stderr, "the viewer did not start\n");
    return 1;
  }
  CMainFrame& main = *theApp.GetMainFrame();
  auto send = [](const std::vector<fs::path>& list) {
    std::u16string text;
    for (const fs::path& p : list) text += u"\"" + QelFromUTF8(p.string()) + u"\" ";
    plat::AEDispatch(plat::MakeCommandLineEvent(text));
  };
  auto shownFromQueue = [&] {
    std::vector<tagIMGFILEDATA> q = CBaseWnd::QueueSnapshot();
    const tagIMGFILEDATA& centre = q[q.size() / 2];
    return centre.objPict && main.ShownPicture() == centre.objPict && !main.IsReadingCurThumb();
  };
  auto fullShown = [&] {
    return main.ShownPicture() && main.ShownPicture() == CBaseWnd::FullResolutionPicture();
  };

  std::vector<double> preview, full, cold, barePreview, bareFull, libraryFull, decoded;
  // Cold start: each list of two photos is new to the viewer.
  for (int i = 0; i + 1 < photos && i < 20; i += 2) {
    auto t0 = Clock::now();
    send({files[size_t(i)], files[size_t(i + 1)]});
    if (!PumpUntil(shownFromQueue)) break;
    cold.push_back(Ms(Clock::now() - t0));
    PumpUntil(QueueSettled);
  }
  send(files);
  PumpUntil(shownFromQueue);
  PumpUntil(QueueSettled);
  auto step = [&](bool forward) {
    // The user looks at each photo long enough for the read-ahead to finish.
    PumpUntil(QueueSettled);
    auto t0 = Clock::now();
    if (forward) {
      main.DoNext();
    } else {
      main.DoPrevious();
    }
    if (!PumpUntil(shownFromQueue)) return;
    preview.push_back(Ms(Clock::now() - t0));
    auto t1 = Clock::now();
    main.StartReadOrgImgThread();
    while (!CBaseWnd::FullResolutionPicture() && Clock::now() - t1 < std::chrono::seconds(60)) std::this_thread::yield();
    decoded.push_back(Ms(Clock::now() - t1));
    if (!PumpUntil(fullShown)) return;
    full.push_back(Ms(Clock::now() - t1));
  };
  for (int i = 0; i + 1 < photos; ++i) step(true);
  for (int i = 0; i + 1 < photos; ++i) step(false);
  for (const fs::path& p : files) {
    barePreview.push_back(BareDecodeMs(p, 4));
    bareFull.push_back(BareDecodeMs(p, 1));
  }
  // The viewer's reader alone (imaging library and toolkit picture), for
  // telling the decode from what the viewer adds.
  for (size_t i = 0; i < files.size(); i += 4) {
    auto t0 = Clock::now();
    PubImage::QelPicture* p = GetPictureReader()->Open(QelFromUTF8(files[i].string()), 1, nullptr, nullptr, nullptr);
    libraryFull.push_back(Ms(Clock::now() - t0));
    ReleasePicture(p);
  }
  theApp.ExitInstance();
  fs::remove_all(home);

  double bp = Median(barePreview), bf = Median(bareFull);
  std::printf("%d photos of 4000 x 3000, 640 x 480 picture area; medians\n", photos);
  std::printf("%-34s %9s %12s %8s\n", "", "viewer ms", "bare jpeg ms", "ratio");
  std::printf("%-34s %9.2f %12.2f %8.3f\n", "next -> preview shown (read ahead)", Median(preview), bp,
              Median(preview) / bp);
  std::printf("%-34s %9.2f %12.2f %8.3f\n", "new list -> first preview shown", Median(cold), bp, Median(cold) / bp);
  std::printf("%-34s %9.2f %12.2f %8.3f\n", "full picture asked -> shown", Median(full), bf, Median(full) / bf);
  std::printf("%-34s %9.2f %12.2f %8.3f\n", "(reader alone, full picture)", Median(libraryFull), bf,
              Median(libraryFull) / bf);
  std::printf("%-34s %9.2f %12.2f %8.3f\n", "(of which decoded in the reader)", Median(decoded), bf,
              Median(decoded) / bf);
  std::printf("steps: %zu previews, %zu full pictures, %zu cold starts\n", preview.size(), full.size(), cold.size());
  return 0;
}
