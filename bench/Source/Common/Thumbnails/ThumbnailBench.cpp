// thumbnail_bench [folder] [count]: writes `count` (500) JPEG photos of
// 2048 x 1536 into `folder` (kept for the next run), then measures:
//  - our thumbnails (decode at a reduced size, fit into 80 x 60, bitmap) on
//    every core, against libjpeg-turbo alone reading each file and decoding
//    it at 1/8 in this process on as many threads, with buffers kept from
//    file to file; three rounds of each side, interleaved; wall time and the
//    CPU time of every thread, the ratio is ours / libjpeg-turbo in files
//    per second;
//  - the album's thumbnail thread (one worker, database look-up, thumbnail,
//    database insert) cold, and warm (every thumbnail from the database).
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <jpeglib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "CDBManager.h"
#include "CDIBGetThread.h"
#include "DibHelper.h"
#include "ThumbData.h"
#include "img/ImageFile.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A page under a document camera: paper, lines of "text", a photo-like
// gradient block and sensor noise, so the files compress like real ones.
img::Bitmap Page(int w, int h, unsigned seed) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-6, 6);
  uint8_t* p = b.mutable_data();
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int v = 235;
      bool text = (y / 24) % 2 == 0 && (y % 24) > 6 && (x / 9 + y / 24 + int(seed)) % 7 != 0 && x > w / 10 &&
                  x < w * 9 / 10;
      if (text) v = 40;
      uint8_t* px = p + (size_t(y) * w + x) * 3;
      bool block = x > w / 2 && y > h / 2 && x < w * 7 / 8 && y < h * 7 / 8;
      int r = block ? (x * 255 / w) : v, g = block ? (y * 255 / h) : v, bl = block ? 128 + int(seed % 64) : v;
      px[0] = uint8_t(std::clamp(bl + noise(rng), 0, 255));
      px[1] = uint8_t(std::clamp(g + noise(rng), 0, 255));
      px[2] = uint8_t(std::clamp(r + noise(rng), 0, 255));
    }
  }
  return b;
}

template <typename Work>
void OnEveryCore(size_t n, unsigned cores, Work work) {
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < cores; ++t) {
    threads.emplace_back([&] {
      for (size_t i; (i = next++) < n;) work(i);
    });
  }
  for (auto& t : threads) t.join();
}

// The anchor: the file read into a buffer and decoded at 1/8 into another,
// both kept by the thread for the next file.
bool BareEighth(const std::string& file) {
  thread_local std::vector<uint8_t> bytes, pixels;
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  ::fstat(fd, &st);
  if (bytes.size() < size_t(st.st_size)) bytes.resize(size_t(st.st_size));
  size_t got = 0;
  for (ssize_t n; got < size_t(st.st_size) && (n = ::read(fd, bytes.data() + got, size_t(st.st_size) - got)) > 0;)
    got += size_t(n);
  ::close(fd);
  jpeg_decompress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  jpeg_mem_src(&c, bytes.data(), static_cast<unsigned long>(got));
  jpeg_read_header(&c, TRUE);
  c.scale_num = 1;
  c.scale_denom = 8;
  c.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  const size_t stride = size_t(c.output_width) * 3;
  if (pixels.size() < stride * c.output_height) pixels.resize(stride * c.output_height);
  while (c.output_scanline < c.output_height) {
    JSAMPROW rows[8];
    const JDIMENSION y = c.output_scanline;
    for (int i = 0; i < 8; ++i) rows[i] = pixels.data() + stride * std::min<JDIMENSION>(y + i, c.output_height - 1);
    jpeg_read_scanlines(&c, rows, 8);
  }
  jpeg_finish_decompress(&c);
  jpeg_destroy_decompress(&c);
  return c.output_width > 0;
}

double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Walk {
  std::vector<std::unique_ptr<_THUMBDATA>>* items;
  CDBManager* db;
  std::atomic<size_t> made{0};
};

int MakeOne(int32_t index, const void* first, const void*) {
  auto* w = static_cast<Walk*>(const_cast<void*>(first));
  if (index < 0 || size_t(index) >= w->items->size()) return 0;
  _THUMBDATA* record = (*w->items)[size_t(index)].get();
  _THUMBDATA probe(record->type, record->path);
  probe.fileTime = record->fileTime;
  int mustMake = 1;
  bool found = w->db->FindOneRecord(&probe, &mustMake);
  if (!found || mustMake) {
    if (found) w->db->DeleteOneRecord(&probe);
    probe.SetDib(DibGetFromImageFile(record->path, 80, 60));
    if (probe.dib) w->db->InsertOneRecord(&probe);
  }
  if (probe.dib) ++w->made;
  return 1;
}

double AlbumWorker(std::vector<std::unique_ptr<_THUMBDATA>>& items, CDBManager& db, size_t* made) {
  Walk walk{&items, &db};
  auto start = Clock::now();
  auto* thread = new CDIBGetThread(0, &walk, nullptr, &MakeOne);
  thread->WaitFor();
  CDIBGetThread::StopCurrent();
  *made = walk.made;
  return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "dunsellow-thumbnail-bench";
  size_t count = argc > 2 ? size_t(std::atoi(argv[2])) : 500;
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  setenv("DUNSELLOW_BUNDLE", DUNSELLOW_APP, 0);
  fs::create_directories(folder);

  if (const char* t = std::getenv("THUMBNAIL_BENCH_THREADS")) cores = std::max(1u, unsigned(std::atoi(t)));
  std::vector<std::string> files(count);
  for (size_t i = 0; i < count; ++i) files[i] = (folder / ("photo" + std::to_string(i + 1) + ".jpg")).string();
  auto made = Clock::now();
  OnEveryCore(count, cores, [&](size_t i) {
    if (!fs::exists(files[i])) img::SaveJpeg(Page(2048, 1536, unsigned(i)), files[i], {});
  });
  std::printf("%zu photos of 2048 x 1536 in %s (%.1f s to make the missing ones); %u cores\n", count,
              folder.c_str(), Seconds(made), cores);

  // Each side once before measuring, so both read the files from the cache.
  for (const auto& f : files) {
    if (unsigned char* dib = DibGetFromImageFile(QelFromUTF8(f).c_str(), 80, 60)) DIBDelete(dib);
    BareEighth(f);
  }

  double load[1] = {0};
  getloadavg(load, 1);
  // Each side three times, in the order ours, libjpeg-turbo, libjpeg-turbo,
  // ours, ours, libjpeg-turbo: a change in the machine's load during the
  // run weighs on both sides alike. The figures are the sums of the rounds.
  size_t ours = 0, theirs = 0;
  double ourSeconds = 0, ourCpu = 0, bareSeconds = 0, bareCpu = 0;
  for (bool oursNow : {true, false, false, true, true, false}) {
    std::atomic<size_t> done{0};
    const double cpu0 = ProcessCpuSeconds();
    const auto start = Clock::now();
    if (oursNow) {
      OnEveryCore(count, cores, [&](size_t i) {
        if (unsigned char* dib = DibGetFromImageFile(QelFromUTF8(files[i]).c_str(), 80, 60)) {
          DIBDelete(dib);
          ++done;
        }
      });
    } else {
      OnEveryCore(count, cores, [&](size_t i) { done += BareEighth(files[i]) ? 1 : 0; });
    }
    (oursNow ? ourSeconds : bareSeconds) += Seconds(start);
    (oursNow ? ourCpu : bareCpu) += ProcessCpuSeconds() - cpu0;
    (oursNow ? ours : theirs) += done;
  }
  std::printf("thumbnails, %u threads, load %.1f: ours %zu in %.3f s (%.0f files/s, cpu %.3f s), libjpeg-turbo "
              "1/8 decode %zu in %.3f s (%.0f files/s, cpu %.3f s): ratio %.2f (cpu per file %.2f)\n",
              cores, load[0], ours, ourSeconds, ours / ourSeconds, ourCpu, theirs, bareSeconds,
              theirs / bareSeconds, bareCpu, (ours / ourSeconds) / (theirs / bareSeconds),
              (bareCpu / std::max<size_t>(theirs, 1)) / (ourCpu / std::max<size_t>(ours, 1)));

  // The album's one thumbnail thread with its database, cold then warm.
  fs::path db = folder / "ZylORVThumb.db";
  fs::remove(db);
  std::vector<std::unique_ptr<_THUMBDATA>> items;
  for (const auto& f : files) {
    items.push_back(std::make_unique<_THUMBDATA>(1, QelFromUTF8(f).c_str()));
    items.back()->fileTime.bytes[0] = 1;
  }
  CDBManager manager;
  if (!manager.Connect(QelFromUTF8(folder.string()).c_str())) std::printf("(no database: thumbnails not kept)\n");
  size_t n = 0;
  double cold = AlbumWorker(items, manager, &n);
  std::printf("album thread, cold: %zu thumbnails made and stored in %.3f s (%.1f ms each)\n", n, cold,
              1000 * cold / std::max<size_t>(n, 1));
  double warm = AlbumWorker(items, manager, &n);
  std::printf("album thread, warm: %zu thumbnails read from the database in %.3f s (%.2f ms each)\n", n, warm,
              1000 * warm / std::max<size_t>(n, 1));
  return 0;
}
